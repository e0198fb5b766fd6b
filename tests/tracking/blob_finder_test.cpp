// The blob finder, the lighting status and the dead-pixel mask on synthetic frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/support/marker_scene.h"
#include "tests/tracking/webcam_test_util.h"

using skyt_test::MarkerScene;
using skyt_test::OfflineWebcam;

namespace {

class BlobFinderTest : public ::testing::Test {
 protected:
  void SetUp() override { w.Fill(10); }
  int Find(int max = 4) { return w.cam.FindBlobs(blobs, max); }
  OfflineWebcam w;
  Webcam::Blob blobs[16];
};

TEST_F(BlobFinderTest, VignetteSpans) {
  const int(*spans)[2] = w.cam.GetQVGASpans();
  EXPECT_EQ(spans[120][0], 11);
  EXPECT_EQ(spans[120][1], 310);
  for (int y = 0; y < 240; ++y) {
    EXPECT_LT(spans[y][0], spans[y][1]) << y;
    EXPECT_LE(spans[y][1] - spans[y][0], 299) << y;
  }
  const int(*vga)[2] = w.cam.GetVGASpans();
  for (int y = 0; y < 480; ++y) EXPECT_LT(vga[y][0], vga[y][1]) << y;
}

TEST_F(BlobFinderTest, DarkFrameAndThresholdEdge) {
  EXPECT_EQ(Find(), 0);
  EXPECT_EQ(w.cam.GetStatus(), 0);
  const int T = w.cam.GetThreshold();
  w.Set(100, 100, T);  // equal is dark
  EXPECT_EQ(Find(), 0);
  w.Set(100, 100, T + 1);
  ASSERT_EQ(Find(), 1);
  const float wgt = 1.0f / float(255 - T);
  EXPECT_FLOAT_EQ(blobs[0].x, 100.0f);
  EXPECT_FLOAT_EQ(blobs[0].y, 100.0f);
  EXPECT_FLOAT_EQ(blobs[0].radius, std::sqrt(wgt / 3.14159f));
  EXPECT_EQ(blobs[0].maxLuma, T + 1);
  EXPECT_EQ(blobs[0].xmin, 100);
  EXPECT_EQ(blobs[0].ymax, 100);
  w.Fill(10);
  w.Set(160, 239, T + 1);  // the frame's last row
  ASSERT_EQ(Find(), 1);
  EXPECT_EQ(blobs[0].ymin, 239);
}

TEST_F(BlobFinderTest, RowsJoinOnlyWhenTheirColumnsOverlap) {
  w.Rect(100, 100, 104, 100, 200);
  w.Rect(105, 101, 109, 101, 200);  // touches only at a corner
  EXPECT_EQ(Find(), 2);
  w.Rect(104, 102, 104, 102, 10);
  w.Rect(104, 101, 104, 101, 200);  // now overlaps by one column
  ASSERT_EQ(Find(), 1);
  EXPECT_EQ(blobs[0].xmin, 100);
  EXPECT_EQ(blobs[0].xmax, 109);
  EXPECT_EQ(blobs[0].ymin, 100);
  EXPECT_EQ(blobs[0].ymax, 101);
  // A U shape whose arms meet only further down is one blob.
  w.Fill(10);
  w.Rect(150, 100, 151, 110, 220);
  w.Rect(160, 100, 161, 110, 220);
  w.Rect(150, 111, 161, 111, 220);
  ASSERT_EQ(Find(), 1);
  EXPECT_NEAR(blobs[0].x, 155.5f, 1e-3);
}

TEST_F(BlobFinderTest, DeadPixelsDropTheirBlobSilently) {
  w.Rect(100, 100, 103, 103, 200);
  w.Rect(200, 100, 203, 103, 200);
  w.cam.SetDeadPixel(102, 102);  // inside
  w.cam.SetDeadPixel(204, 101);  // just right of a run
  ASSERT_EQ(Find(), 0);
  EXPECT_EQ(w.cam.GetStatus(), 0);
  w.cam.ResetDeadPixels();
  EXPECT_EQ(Find(), 2);
  w.cam.SetDeadPixel(320, 0);
  w.cam.SetDeadPixel(-1, 5);
  w.cam.SetDeadPixel(5, 240);
  const uint8_t* mask = w.cam.GetDeadPixelMask();
  EXPECT_EQ(std::count(mask, mask + 320 * 240, 1), 0);
}

// A blob dropped for a dead pixel does not count towards too many blobs, whether its run is the
// first of the scan or the last: eight live blobs of four asked are too many, not far too many.
TEST_F(BlobFinderTest, DeadBlobsDoNotCountTowardsTooMany) {
  for (const int dead_y : {60, 200}) {
    SCOPED_TRACE(dead_y);
    w.Fill(10);
    w.cam.ResetDeadPixels();
    for (int i = 0; i < 8; ++i) w.Set(80 + (i % 4) * 40, 100 + (i / 4) * 40, 200);
    w.Set(160, dead_y, 200);
    w.cam.SetDeadPixel(160, dead_y);
    EXPECT_EQ(Find(4), 4);
    EXPECT_EQ(w.cam.GetStatus(), Webcam::kStatusTooManyBlobs);
  }
}

// Too many blobs: the largest are picked among this frame's blobs, never among those an earlier
// frame left in the finder's tables.
TEST_F(BlobFinderTest, TooManyBlobsArePickedFromThisFrameOnly) {
  const int T = w.cam.GetThreshold();
  for (const bool windowed : {false, true}) {
    SCOPED_TRACE(windowed ? "windowed" : "whole frame");
    auto find = [&](int max) {
      return windowed ? w.cam.FindBlobs(blobs, max, T + 1, 0, 319, 0, 239) : Find(max);
    };
    // Five specks and, below them, a blob of 100 pixels: six blobs, all of them returned.
    w.Fill(10);
    for (int i = 0; i < 5; ++i) w.Set(80 + i * 40, 100, 200);
    w.Rect(150, 180, 159, 189, 200);
    ASSERT_EQ(find(8), 6);
    // Then the five specks alone, one more than asked for: four of them.
    w.Rect(150, 180, 159, 189, 10);
    ASSERT_EQ(find(4), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(blobs[i].ymin, 100) << i;
  }
}

TEST_F(BlobFinderTest, SelectionAndStatus) {
  // Five blobs of different sizes: the four largest, status 1.
  for (int i = 0; i < 5; ++i) w.Rect(60 + i * 40, 100, 60 + i * 40 + i, 100 + i, 200);
  ASSERT_EQ(Find(), 4);
  EXPECT_EQ(w.cam.GetStatus(), 1);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(blobs[i].xmin, 60 + (4 - i) * 40) << i;
  // Nine: status 5, none.
  for (int i = 0; i < 4; ++i) w.Rect(60 + i * 40, 140, 61 + i * 40, 141, 200);
  EXPECT_EQ(Find(), 0);
  EXPECT_EQ(w.cam.GetStatus(), 5);

  // Too many blobs, one of 400 pixels: the four others.
  w.Fill(10);
  for (int i = 0; i < 4; ++i) w.Rect(60 + i * 40, 100, 61 + i * 40, 101, 200);
  w.Rect(140, 140, 159, 159, 200);
  ASSERT_EQ(Find(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(blobs[i].ymin, 100) << i;

  // Three blobs, one of 400 pixels: two, status 3; 399 pixels is kept.
  w.Fill(10);
  w.Rect(100, 60, 101, 61, 200);
  w.Rect(140, 100, 159, 119, 200);  // 400 pixels
  w.Rect(200, 60, 201, 61, 200);
  ASSERT_EQ(Find(), 2);
  EXPECT_EQ(w.cam.GetStatus(), 3);
  w.Set(159, 119, 10);
  ASSERT_EQ(Find(), 3);
  EXPECT_EQ(w.cam.GetStatus(), 0);
  // Blobs come in the order of their first row.
  EXPECT_LT(blobs[0].ymin, blobs[2].ymin);
}

TEST_F(BlobFinderTest, OverflowFromLampsAndNoise) {
  // A lamp of more than 16320 bright pixels: its blob is too large, but the overflow wins.
  w.Rect(60, 40, 259, 131, 250);
  EXPECT_EQ(Find(), 0);
  EXPECT_EQ(w.cam.GetStatus(), 6);
  // A checkerboard of single bright pixels: far more runs than the table holds.
  w.Fill(10);
  for (int y = 0; y < 240; ++y)
    for (int x = y % 2; x < 320; x += 2) w.Set(x, y, 200);
  EXPECT_EQ(Find(), 0);
  EXPECT_EQ(w.cam.GetStatus(), 6);
  // At the bounds: 16320 bright pixels are a blob too large and one more an overflow; 4096
  // runs are far too many blobs and one more an overflow.
  for (const int extra : {0, 1}) {
    w.Fill(10);
    w.Rect(60, 40, 219, 141, 250);  // 160 x 102
    if (extra) w.Set(280, 120, 250);
    Find();
    EXPECT_EQ(w.cam.GetStatus(), extra ? 6 : 3) << extra;
  }
  for (const int runs : {4096, 4097}) {
    w.Fill(10);
    for (int i = 0; i < runs; ++i) w.Set(60 + 2 * (i % 100), 40 + 2 * (i / 100), 200);
    EXPECT_EQ(Find(), 0) << runs;
    EXPECT_EQ(w.cam.GetStatus(), runs == 4096 ? 5 : 6) << runs;
  }
  // 4096 runs in two components are read: a comb of 4094 runs (too large) and, last, a
  // 5 x 2 blob whose first run is the frame's 4095th.
  w.Fill(10);
  for (int y = 40; y <= 120; ++y)
    for (int x = 60; x <= (y == 120 ? 166 : 258); x += 2 - y % 2) w.Set(x, y, 200);
  w.Rect(150, 130, 154, 131, 200);
  ASSERT_EQ(Find(), 1);
  EXPECT_EQ(w.cam.GetStatus(), 3);
  EXPECT_FLOAT_EQ(blobs[0].x, 152.0f);
  EXPECT_FLOAT_EQ(blobs[0].y, 130.5f);
  EXPECT_EQ(blobs[0].xmin, 150);
  EXPECT_EQ(blobs[0].ymax, 131);
  // And the next ordinary frame is read normally.
  w.Fill(10);
  w.Rect(100, 100, 102, 102, 200);
  EXPECT_EQ(Find(), 1);
  EXPECT_EQ(w.cam.GetStatus(), 0);
}

TEST_F(BlobFinderTest, ALampWithSpecksIsStillAnOverflow) {
  // 18,400 bright pixels beside specks that alone read as too many blobs (1) or far too many (5).
  for (int specks : {5, 9}) {
    SCOPED_TRACE(specks);
    MarkerScene scene(10);
    scene.AddLamp(60, 40, 259, 131);
    for (int i = 0; i < specks; ++i) scene.AddSpeck(70 + i * 20, 200);
    w.Load(scene.Render());
    Find();
    EXPECT_EQ(w.cam.GetStatus(), Webcam::kStatusOverflow);
  }
}

TEST_F(BlobFinderTest, RenderedMarkersMatchTheirTruth) {
  MarkerScene scene;
  const int T = w.cam.GetThreshold();
  const float radii[] = {2.0f, 3.3f, 4.5f, 6.0f};
  for (int k = 0; k < 4; ++k) {
    for (int j = 0; j < 5; ++j) {
      scene.Clear();
      const float x = 80.0f + 47.3f * k + 0.21f * j, y = 60.0f + 31.7f * j + 0.13f * k;
      scene.AddMarker(x, y, radii[k]);
      w.Load(scene.Render());
      ASSERT_EQ(Find(), 1) << k << " " << j;
      EXPECT_NEAR(blobs[0].x, x, 0.05) << k << " " << j;
      EXPECT_NEAR(blobs[0].y, y, 0.05) << k << " " << j;
      EXPECT_NEAR(blobs[0].radius, MarkerScene::ExpectedRadius(x, y, radii[k], 255, T), 1e-3);
      EXPECT_NEAR(blobs[0].radius, radii[k], 0.6) << k << " " << j;
      EXPECT_GE(blobs[0].maxLuma, 240);
    }
  }
}

TEST_F(BlobFinderTest, StuckPixelsMaskedAsDeadAreIgnored) {
  MarkerScene scene(12, 4);
  scene.AddMarker(120, 90, 4);
  scene.AddMarker(200, 90, 4);
  scene.AddStuckPixel(150, 150);
  scene.AddStuckPixel(60, 120);
  w.Load(scene.Render());
  EXPECT_EQ(Find(), 4);
  w.cam.SetDeadPixel(150, 150);
  w.cam.SetDeadPixel(60, 120);
  ASSERT_EQ(Find(), 2);
  EXPECT_NEAR(blobs[0].x, 120, 0.05);
  EXPECT_NEAR(blobs[1].x, 200, 0.05);
}

TEST(LightingStatus, SettlingPeriodAndPops) {
  OfflineWebcam w;
  w.Fill(10);
  Webcam::Blob blobs[4];
  for (int f = 0; f < 198; ++f) {
    w.cam.FindBlobs(blobs, 4);
    ASSERT_EQ(w.cam.BadLightingSuspected(0), 4) << f;
  }
  w.cam.FindBlobs(blobs, 4);
  EXPECT_EQ(w.cam.BadLightingSuspected(0), 0);  // frame 198: pop tracking starts empty
  for (int i = 0; i < 5; ++i) w.cam.RecordMocapMarkerPop();
  w.cam.FindBlobs(blobs, 4);
  EXPECT_EQ(w.cam.BadLightingSuspected(0), 2);
  // A frame with another status keeps it.
  for (int i = 0; i < 5; ++i) w.Rect(60 + i * 40, 100, 61 + i * 40, 101, 200);
  w.cam.FindBlobs(blobs, 4);
  EXPECT_EQ(w.cam.BadLightingSuspected(0), 1);
  w.Fill(10);
  // The pops expire 251 frames after they were recorded (at frame 199).
  int frame = 201;
  for (; frame < 199 + 251; ++frame) {
    w.cam.FindBlobs(blobs, 4);
    ASSERT_EQ(w.cam.BadLightingSuspected(0), 2) << frame;
  }
  w.cam.FindBlobs(blobs, 4);
  EXPECT_EQ(w.cam.BadLightingSuspected(0), 0);
  EXPECT_EQ(w.cam.GetFrameCounter(), frame + 1);
}

TEST(UnionFind, PathCompressionAndUnionBySize) {
  int rep[8] = {};
  EXPECT_EQ(Union(1, 2, rep), 2);  // equal sizes: a's root goes under b's
  EXPECT_EQ(rep[1], 2);
  EXPECT_EQ(rep[2], -1);
  EXPECT_EQ(Union(3, 1, rep), 2);  // the smaller set joins the larger
  EXPECT_EQ(rep[3], 2);
  EXPECT_EQ(rep[2], -2);
  rep[4] = 3;  // a chain 4 -> 3 -> 2
  EXPECT_EQ(find(4, rep), 2);
  EXPECT_EQ(rep[4], 2);
}

}  // namespace
