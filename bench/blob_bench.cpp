// The blob finder against OpenCV's threshold and connected-component labelling (4-connected,
// with statistics, on one thread), frame by frame on the same scenes. The reported time is the
// finder's median; opencv_us is OpenCV's median on the same frames and ratio = opencv / finder.
// OpenCV is handed its luminance plane ready-made and already cut to the lens, work that the
// finder does within its own time.
#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "tests/support/marker_scene.h"
#include "tests/tracking/webcam_test_util.h"

namespace {

enum Scene { kFourMarkers, kCrossing, kLamp, kNoise, kSpecks };

struct Frame {
  std::vector<uint8_t> yuyv;
  cv::Mat luma;
};

std::vector<Frame> MakeFrames(Scene kind, const int (*spans)[2]) {
  std::vector<Frame> frames;
  skyt_test::MarkerScene scene(kind == kNoise ? 90 : 12, kind == kNoise ? 40 : 3, 7);
  for (int f = 0; f < 32; ++f) {
    const float t = float(f) / 32.0f;
    scene.Clear();
    if (kind == kCrossing) {  // the hands pass each other, merging halfway
      scene.AddMarker(100 + 120 * t, 90, 5.0f);
      scene.AddMarker(220 - 120 * t, 96, 4.5f);
    } else {
      scene.AddMarker(220, 60 + 90 * t * t, 5.0f);
      scene.AddMarker(100, 80 + 20 * std::sin(t * 6.28f), 4.5f);
    }
    scene.AddMarker(190, 215, 3.0f);
    scene.AddMarker(120, 215, 3.0f);
    if (kind == kLamp) scene.AddLamp(250, 20, 290, 50);
    if (kind == kSpecks) scene.AddRandomSpecks(4000);
    Frame frame{scene.Render(), cv::Mat(240, 320, CV_8U, cv::Scalar(0))};
    for (int y = 0; y < 240; ++y)
      for (int x = spans[y][0]; x < spans[y][1]; ++x)
        frame.luma.at<uint8_t>(y, x) = frame.yuyv[size_t(y * 320 + x) * 2];
    frames.push_back(std::move(frame));
  }
  return frames;
}

double Median(std::vector<double>& v) {
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

void BM_FindBlobsVsOpenCv(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  cv::setNumThreads(1);
  skyt_test::OfflineWebcam w;
  const auto frames = MakeFrames(Scene(state.range(0)), w.cam.GetQVGASpans());
  const int T = w.cam.GetThreshold();
  cv::Mat mask, labels, stats, centroids;
  std::vector<double> ours, theirs;
  size_t f = 0;
  for (auto _ : state) {
    const Frame& frame = frames[f++ % frames.size()];
    w.Load(frame.yuyv);
    Webcam::Blob blobs[4];
    const auto t0 = Clock::now();
    benchmark::DoNotOptimize(w.cam.FindBlobs(blobs, 4));
    const auto t1 = Clock::now();
    cv::threshold(frame.luma, mask, T, 1, cv::THRESH_BINARY);
    benchmark::DoNotOptimize(
        cv::connectedComponentsWithStats(mask, labels, stats, centroids, 4, CV_32S));
    const auto t2 = Clock::now();
    ours.push_back(std::chrono::duration<double>(t1 - t0).count());
    theirs.push_back(std::chrono::duration<double>(t2 - t1).count());
    state.SetIterationTime(ours.back());
  }
  const double a = Median(ours), b = Median(theirs);
  state.counters["finder_us"] = a * 1e6;
  state.counters["opencv_us"] = b * 1e6;
  state.counters["ratio"] = b / a;
}

}  // namespace

BENCHMARK(BM_FindBlobsVsOpenCv)
    ->Arg(kFourMarkers)->Arg(kCrossing)->Arg(kLamp)->Arg(kNoise)->Arg(kSpecks)
    ->ArgNames({"scene"})->UseManualTime()->Unit(benchmark::kMicrosecond);
