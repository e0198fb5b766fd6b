// Tracking end to end on rendered scenes: strokes, crossings, feet and lighting.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/marker_scene.h"
#include "tests/tracking/webcam_test_util.h"
#include "tracking/labeler.h"

using skyt_test::MarkerScene;
using skyt_test::OfflineWebcam;
using skyt_test::PathPoint;

namespace {

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    IniFile none;
    labeler.Init(w.cam, none);
  }
  // One tracking frame: find, check the light, label, detect strokes.
  int Step(MarkerScene& scene, bool fired[4], float speed[4]) {
    w.Load(scene.Render());
    Webcam::Blob blobs[4];
    const int n = w.cam.FindBlobs(blobs, 4);
    const int status = w.cam.BadLightingSuspected(n);
    labeler.Label(blobs, n, false, 1.0f, rh, lh, rf, lf);
    MocapMarker* m[4] = {&rh, &lh, &rf, &lf};
    for (int i = 0; i < 4; ++i) {
      float hitY = 0;
      speed[i] = 0;
      fired[i] = m[i]->DetectHit(100.0f, speed[i], hitY, i >= 2, 1.0f, false);
    }
    return status;
  }
  OfflineWebcam w;
  Labeler labeler;
  MocapMarker rh, lh, rf, lf;
};

TEST_F(SceneTest, EachStrokeIsDetectedOnceWithItsSpeed) {
  std::vector<int> hits;
  const auto right = skyt_test::StrokePath(210, 150, 60, 150, 8, 4, 4.0f, &hits);
  const float expected = skyt_test::StrokeFinalSpeed(60, 150, 8);
  std::vector<std::pair<int, float>> strokes;
  MarkerScene scene(14, 6, 3);
  for (size_t f = 0; f < right.size(); ++f) {
    scene.Clear();
    scene.AddMarker(right[f].x, right[f].y, right[f].radius);
    scene.AddMarker(100, 120 + 0.5f * std::sin(float(f) * 0.3f), 4.0f);  // left hand resting
    scene.AddMarker(190, 215, 3.0f);
    scene.AddMarker(120, 215, 3.0f);
    bool fired[4];
    float speed[4];
    Step(scene, fired, speed);
    if (fired[0]) strokes.push_back({int(f), speed[0]});
    EXPECT_FALSE(fired[1]) << f;
    EXPECT_FALSE(fired[2] || fired[3]) << f;
    ASSERT_TRUE(rh.WasPresent() && lh.WasPresent() && rf.WasPresent() && lf.WasPresent()) << f;
    EXPECT_NEAR(rh.GetLastPosition()->x, right[f].x, 0.2) << f;
    EXPECT_NEAR(rh.GetLastPosition()->y, right[f].y, 0.2) << f;
  }
  ASSERT_EQ(strokes.size(), hits.size());
  for (size_t i = 0; i < hits.size(); ++i) {
    EXPECT_GE(strokes[i].first, hits[i]);
    EXPECT_LE(strokes[i].first, hits[i] + 1);
    EXPECT_GT(strokes[i].second, 0.6f * expected) << i;
    EXPECT_LT(strokes[i].second, 1.05f * expected) << i;
  }
}

TEST_F(SceneTest, FootStompsAreDetected) {
  std::vector<int> hits;
  const auto foot = skyt_test::StrokePath(200, 222, 200, 222, 6, 3, 3.0f, &hits);
  MarkerScene scene;
  int fired_count = 0;
  for (size_t f = 0; f < foot.size(); ++f) {
    scene.Clear();
    scene.AddMarker(foot[f].x, foot[f].y, foot[f].radius);
    scene.AddMarker(110, 222, 3.0f);
    bool fired[4];
    float speed[4];
    Step(scene, fired, speed);
    fired_count += fired[2];
    EXPECT_FALSE(fired[3]);
    ASSERT_TRUE(rf.WasPresent()) << f;
    EXPECT_NEAR(rf.GetLastPosition()->x, 200, 0.2);
  }
  EXPECT_EQ(fired_count, 3);
}

TEST_F(SceneTest, HandsKeepTheirLabelsThroughACrossing) {
  // The right hand (nearer the camera, larger) sweeps left, the left hand sweeps right,
  // a little lower; their light runs together while they pass.
  MarkerScene scene;
  const int frames = 60;
  int merged_frames = 0;
  for (int f = 0; f < frames; ++f) {
    const float t = float(f) / (frames - 1);
    const float rx = 220 - 120 * t, lx = 100 + 120 * t;
    const float ry = 90 + 2 * std::sin(t * 3.14159f), ly = 93 - 2 * std::sin(t * 3.14159f);
    scene.Clear();
    scene.AddMarker(rx, ry, 5.0f);
    scene.AddMarker(lx, ly, 3.5f, 235);
    bool fired[4];
    float speed[4];
    Step(scene, fired, speed);
    merged_frames += labeler.MergeActive();
    ASSERT_TRUE(rh.WasPresent() && lh.WasPresent()) << f;
    if (!labeler.MergeActive()) {
      EXPECT_NEAR(rh.GetLastPosition()->x, rx, 1.0) << f;
      EXPECT_NEAR(lh.GetLastPosition()->x, lx, 1.0) << f;
    }
  }
  EXPECT_GT(merged_frames, 0);
}

TEST_F(SceneTest, LampsAndSpecksSetTheLightingStatus) {
  Webcam::Blob blobs[4];
  for (int i = 0; i < 198; ++i) w.cam.BadLightingSuspected(0);
  MarkerScene scene;
  scene.AddMarker(120, 100, 4);
  scene.AddMarker(200, 100, 4);
  scene.AddLamp(150, 150, 180, 170);  // 651 pixels: dropped, status 3
  w.Load(scene.Render());
  EXPECT_EQ(w.cam.FindBlobs(blobs, 4), 2);
  EXPECT_EQ(w.cam.BadLightingSuspected(2), 3);

  scene.Clear();
  scene.AddLamp(40, 30, 280, 210);  // a window in view: far too many bright pixels
  w.Load(scene.Render());
  w.cam.FindBlobs(blobs, 4);
  EXPECT_EQ(w.cam.BadLightingSuspected(0), 6);

  scene.Clear();
  scene.AddMarker(120, 100, 4);
  scene.AddMarker(200, 100, 4);
  for (int i = 0; i < 4; ++i) scene.AddSpeck(100 + 20 * i, 200);
  w.Load(scene.Render());
  ASSERT_EQ(w.cam.FindBlobs(blobs, 4), 4);
  EXPECT_EQ(w.cam.BadLightingSuspected(4), 1);
  EXPECT_GT(blobs[1].radius, 3.0f);  // the markers come first

  scene.AddRandomSpecks(40);
  w.Load(scene.Render());
  EXPECT_EQ(w.cam.FindBlobs(blobs, 4), 0);
  EXPECT_EQ(w.cam.BadLightingSuspected(0), 5);
}

}  // namespace
