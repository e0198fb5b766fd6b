// The blob finder against a reference labelling (OpenCV's connected components, 4-connected)
// on random frames: the same components, boxes and weighted centres.
#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "tests/support/marker_scene.h"
#include "tests/tracking/webcam_test_util.h"

namespace {

struct Box {
  int xmin, xmax, ymin, ymax;
  float x, y;
  bool operator<(const Box& o) const {
    return std::tie(ymin, xmin, xmax, ymax) < std::tie(o.ymin, o.xmin, o.xmax, o.ymax);
  }
};

TEST(BlobReference, SameComponentsAsConnectedComponentLabelling) {
  skyt_test::OfflineWebcam w;
  const int T = w.cam.GetThreshold();
  const int(*spans)[2] = w.cam.GetQVGASpans();
  std::mt19937 rng(42);
  for (int round = 0; round < 40; ++round) {
    skyt_test::MarkerScene scene(20, 10, uint32_t(round + 1));
    std::uniform_real_distribution<float> ux(10, 310), uy(5, 235), ur(0.8f, 5.0f);
    const int markers = int(rng() % 12);
    for (int i = 0; i < markers; ++i) scene.AddMarker(ux(rng), uy(rng), ur(rng), 130 + int(rng() % 126));
    scene.AddRandomSpecks(int(rng() % 10), 121 + int(rng() % 100));
    const auto frame = scene.Render();
    w.Load(frame);

    // Reference: bright pixels inside the lens, 4-connected components.
    cv::Mat mask(240, 320, CV_8U, cv::Scalar(0));
    for (int y = 0; y < 240; ++y)
      for (int x = spans[y][0]; x < spans[y][1]; ++x)
        if (frame[(y * 320 + x) * 2] > T) mask.at<uint8_t>(y, x) = 1;
    cv::Mat labels, stats, centroids;
    const int n = cv::connectedComponentsWithStats(mask, labels, stats, centroids, 4, CV_32S);
    std::vector<double> sw(n, 0), swx(n, 0), swy(n, 0);
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x) {
        const int l = labels.at<int>(y, x);
        if (!l) continue;
        const double wgt = double(frame[(y * 320 + x) * 2] - T) / (255 - T);
        sw[l] += wgt;
        swx[l] += wgt * x;
        swy[l] += wgt * y;
      }
    std::vector<Box> expected;
    for (int l = 1; l < n; ++l) {
      if (stats.at<int>(l, cv::CC_STAT_AREA) >= 400) continue;
      const int x0 = stats.at<int>(l, cv::CC_STAT_LEFT), y0 = stats.at<int>(l, cv::CC_STAT_TOP);
      expected.push_back({x0, x0 + stats.at<int>(l, cv::CC_STAT_WIDTH) - 1, y0,
                          y0 + stats.at<int>(l, cv::CC_STAT_HEIGHT) - 1, float(swx[l] / sw[l]),
                          float(swy[l] / sw[l])});
    }

    Webcam::Blob blobs[64];
    const int found = w.cam.FindBlobs(blobs, 64);
    std::vector<Box> got;
    for (int i = 0; i < found; ++i)
      got.push_back({blobs[i].xmin, blobs[i].xmax, blobs[i].ymin, blobs[i].ymax, blobs[i].x, blobs[i].y});
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    ASSERT_EQ(got.size(), expected.size()) << "round " << round;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].xmin, expected[i].xmin) << round;
      EXPECT_EQ(got[i].xmax, expected[i].xmax) << round;
      EXPECT_EQ(got[i].ymax, expected[i].ymax) << round;
      EXPECT_NEAR(got[i].x, expected[i].x, 1e-3) << round;
      EXPECT_NEAR(got[i].y, expected[i].y, 1e-3) << round;
    }
  }
}

}  // namespace
