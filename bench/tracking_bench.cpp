// The whole per-frame tracking step: blobs, lighting, labels and stroke detection, with its 99th
// percentile and what it allocates.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

#include "frame/ini_file.h"
#include "tests/support/allocation_count.h"
#include "tests/support/fake_libusb.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/marker_scene.h"
#include "tracking/labeler.h"
#include "tracking/ps3eye_glue.h"
#include "tracking/webcam.h"

namespace {

enum Scene { kDark, kFourMarkers, kNoise, kManySpecks };

std::vector<std::vector<uint8_t>> MakeFrames(Scene kind) {
  std::vector<std::vector<uint8_t>> frames;
  skyt_test::MarkerScene scene(kind == kNoise ? 90 : 12, kind == kNoise ? 40 : 3, 7);
  for (int f = 0; f < 32; ++f) {
    scene.Clear();
    if (kind != kDark) {
      const float t = float(f) / 32.0f;
      scene.AddMarker(220, 60 + 90 * t * t, 5.0f);
      scene.AddMarker(100, 80 + 20 * std::sin(t * 6.28f), 4.5f);
      scene.AddMarker(190, 215, 3.0f);
      scene.AddMarker(120, 215, 3.0f);
    }
    if (kind == kManySpecks) scene.AddRandomSpecks(300);
    frames.push_back(scene.Render());
  }
  return frames;
}

void BM_TrackingStep(benchmark::State& state) {
  fake_usb::Reset();
  skyt_test::GlContext gl(320, 240);
  static Webcam cam;
  IniFile none;
  cam.Init(none);
  const auto frames = MakeFrames(Scene(state.range(0)));
  Labeler labeler;
  labeler.Init(cam, none);
  MocapMarker rh, lh, rf, lf;
  size_t f = 0;
  std::vector<double> steps;
  steps.reserve(state.max_iterations);
  const long allocations = skyt_test::AllocationCount();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    // The copy stands for the frame intake, which copies each frame once too.
    memcpy(cam.GetQVGAFrame(), frames[f++ % frames.size()].data(), Webcam::kQvgaFrameBytes);
    Webcam::Blob blobs[4];
    const int n = cam.FindBlobs(blobs, 4);
    benchmark::DoNotOptimize(cam.BadLightingSuspected(n));
    labeler.Label(blobs, n, false, 1.0f, rh, lh, rf, lf);
    MocapMarker* m[4] = {&rh, &lh, &rf, &lf};
    for (int i = 0; i < 4; ++i) {
      float speed = 0, hitY = 0;
      benchmark::DoNotOptimize(m[i]->DetectHit(100.0f, speed, hitY, i >= 2, 1.0f, false));
    }
    steps.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.counters["allocs/frame"] =
      double(skyt_test::AllocationCount() - allocations) / double(state.iterations());
  // The slowest steps matter: a frame arrives every 8 ms and must not wait for the one before.
  std::sort(steps.begin(), steps.end());
  state.counters["p99_us"] = steps[steps.size() * 99 / 100] * 1e6;
  cam.CleanUp();
}

}  // namespace

BENCHMARK(BM_TrackingStep)->Arg(kDark)->Arg(kFourMarkers)->Arg(kNoise)->Arg(kManySpecks)
    ->ArgNames({"scene"})->Unit(benchmark::kMicrosecond);
