// The tracked marker: history, prediction, smoothed radius and the stroke detector.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "tests/support/blobs.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_dirs.h"
#include "tracking/mocap_marker.h"

namespace {

Webcam::Blob B(float x, float y, float r = 3.0f) { return skyt_test::Blob(x, y, r); }

// Feeds y positions (x fixed) and returns the frames at which a stroke fired.
std::vector<int> Feed(MocapMarker& m, const std::vector<float>& ys, float threshold,
                     std::vector<float>* speeds = nullptr, bool foot = false, bool reliable = true,
                     float x_step = 0.0f) {
  std::vector<int> fired;
  for (size_t i = 0; i < ys.size(); ++i) {
    m.Update(B(100 + x_step * float(i), ys[i]), reliable);
    float speed = 0, hitY = 0;
    if (m.DetectHit(threshold, speed, hitY, foot, 1.0f, false)) {
      fired.push_back(int(i));
      if (speeds) speeds->push_back(speed);
    }
  }
  return fired;
}

// Rest, then a fall of n frames speeding up by a pixels a frame each frame, then a stop.
std::vector<float> Fall(int n, float a, int rest_after = 4) {
  std::vector<float> ys = {50, 49, 48, 47};  // rising
  float y = 47;
  for (int i = 1; i <= n; ++i) ys.push_back(y += a * float(i));
  for (int i = 0; i < rest_after; ++i) ys.push_back(y - 0.5f * float(i + 1));
  return ys;
}

TEST(MocapMarker, HistoryAndPrediction) {
  MocapMarker m;
  EXPECT_EQ(m.WasPresent(), 0);
  m.Update(B(10, 20, 3), true);
  EXPECT_EQ(m.WasPresent(), 1);
  EXPECT_FLOAT_EQ(m.m_velocity.x, 0);
  EXPECT_FLOAT_EQ(m.m_predicted.x, 10);
  EXPECT_FLOAT_EQ(m.m_predicted.y, 20);
  // With one sample the step to the blob itself is the acceleration, its radius k times.
  EXPECT_FLOAT_EQ(m.AccelerationIfBlob(B(13, 24, 5), 2), std::sqrt(9.0f + 16.0f + 2 * 4.0f));
  m.Update(B(12, 21, 3), true);
  EXPECT_FLOAT_EQ(m.m_velocity.x, 2);  // two samples already make a velocity
  m.Update(B(16, 23, 3.5f), true);
  EXPECT_FLOAT_EQ(m.m_velocity.x, 4);
  EXPECT_FLOAT_EQ(m.m_acceleration.x, 2);
  EXPECT_FLOAT_EQ(m.m_predicted.x, 16 + 4 + 1);
  EXPECT_FLOAT_EQ(m.m_predicted.radius, 3.5f + 0.5f + 0.25f);
  EXPECT_FLOAT_EQ(m.AccelerationIfBlob(B(20, 25), 0), std::hypot(0.0f, 0.0f));
  EXPECT_FLOAT_EQ(m.DistanceToBlob(B(21, 25.5f), 0, true), 0.0f);
  // The radius counts k times: from the prediction (21, 25.5, 4.25) or the last place (16, 23, 3.5).
  const struct { float x, y, r, k; bool predicted; float want; } distances[] = {
      {21, 25.5f, 5.25f, 4, true, 2}, {19, 27, 3.5f, 9, false, 5}, {16, 23, 1.5f, 1, false, 2}};
  for (const auto& d : distances)
    EXPECT_FLOAT_EQ(m.DistanceToBlob(B(d.x, d.y, d.r), d.k, d.predicted), d.want) << d.x << " " << d.r;
  EXPECT_FLOAT_EQ(m.AccelerationIfBlob(B(20, 25, 5), 4), 2.0f);  // the radius speeds up by 1
  for (int i = 0; i < 60; ++i) m.Update(B(float(i), 0), true);
  EXPECT_EQ(m.m_history.size(), 50);
  EXPECT_FLOAT_EQ(m.GetLastPosition()->x, 59);
  EXPECT_FLOAT_EQ(m.m_history[49].x, 10);
  m.Update();
  EXPECT_EQ(m.WasPresent(), 0);
  EXPECT_FLOAT_EQ(m.m_velocity.x, 1);  // everything but the history stays
}

TEST(MocapMarker, StableRadiusWeightsTheNewestMost) {
  MocapMarker m;
  EXPECT_TRUE(std::isnan(m.StableRadius(0, 4)));
  for (float r : {4.0f, 3.0f, 2.0f, 1.0f}) m.Update(B(0, 0, r), true);  // newest radius 1
  EXPECT_FLOAT_EQ(m.StableRadius(3, 4), 4.0f);
  const float w1 = 3 * (4.f / 9) - 2 * (8.f / 27), w2 = 3 * (1.f / 9) - 2 * (1.f / 27);
  EXPECT_NEAR(w1, 0.7407f, 1e-4);
  EXPECT_NEAR(m.StableRadius(0, 4), (1 * 1 + w1 * 2 + w2 * 3) / (1 + w1 + w2), 1e-5);
}

TEST(MocapMarker, StrokeFiresOnceWhenTheFallBrakes) {
  MocapMarker m;
  std::vector<float> speeds;
  const auto ys = Fall(6, 1.5f);
  const auto fired = Feed(m, ys, 100.0f, &speeds);
  ASSERT_EQ(fired.size(), 1u);
  EXPECT_EQ(fired[0], 4 + 6);  // the first frame that moved less than expected
  // The fastest mean speed over the last frames: 1.5*(6+5+4+3)/4 pixels in 4 frames.
  EXPECT_NEAR(speeds[0], 1.5f * (6 + 5 + 4 + 3) / 4 / 0.008f, 1.0f);
  EXPECT_EQ(m.m_up_count, 4);  // the braking frame is the first of the rise in the frame log
  // Below the threshold: tested, not fired.
  MocapMarker quiet;
  EXPECT_TRUE(Feed(quiet, ys, speeds[0] + 1.0f).empty());
  EXPECT_TRUE(quiet.m_ascending);
  // No rise is needed first: a marker that comes into view falling strikes as well.
  MocapMarker appearing;
  EXPECT_EQ(Feed(appearing, std::vector<float>(ys.begin() + 3, ys.end()), 100.0f).size(), 1u);
  // A marker that does not move never strikes, however low the threshold.
  MocapMarker still;
  EXPECT_TRUE(Feed(still, std::vector<float>(12, 50.0f), 0.0f).empty());
}

TEST(MocapMarker, TooShortAFallIsNeverTested) {
  MocapMarker m;
  // Falls for 4 frames (counting the turn), then rises by 0.1 pixel or more.
  std::vector<float> ys = {50, 49, 48, 52, 58, 66, 76, 75.8f, 75};
  EXPECT_TRUE(Feed(m, ys, 1.0f).empty());
  // The frame log shows the rise's two frames and no descent.
  EXPECT_TRUE(m.m_ascending);
  EXPECT_EQ(m.m_up_count, 2);
  EXPECT_EQ(m.m_down_count, 0);
  // A rise of less than 0.1 pixel counts as falling on.
  MocapMarker n;
  std::vector<float> ys2 = {50, 49, 48, 52, 58, 66, 76, 75.95f, 75.95f, 75.9f};
  EXPECT_EQ(Feed(n, ys2, 1.0f).size(), 1u);
  // A pause at the top, still or sinking by less than 0.1 pixel a frame, belongs to the rise:
  // the short fall after it is never tested.
  MocapMarker p;
  std::vector<float> ys3 = {50, 49, 48, 47, 47, 46.95f, 46.9f, 46.9f, 52, 58, 57.5f};
  EXPECT_TRUE(Feed(p, ys3, 1.0f).empty());
  EXPECT_TRUE(p.m_ascending);
  // A marker labelled for a while before the detector first looks at it (a screen that only
  // labels), falling or held still: the log shows the descent's first frame and no rise, as for
  // a marker just found.
  for (const float y : {52.0f, 50.0f}) {
    SCOPED_TRACE(y);
    MocapMarker late;
    late.Update(B(100, 50), true);
    late.Update(B(100, y), true);
    float speed = 0, hitY = 0;
    EXPECT_FALSE(late.DetectHit(1.0f, speed, hitY, false, 1.0f, false));
    EXPECT_FALSE(late.m_ascending);
    EXPECT_EQ(late.m_down_count, 1);
    EXPECT_EQ(late.m_up_count, 0);
  }
}

TEST(MocapMarker, UnreliableSamplesNeedTheFixedThreshold) {
  const auto ys = Fall(6, 0.4f);  // about 190 pixels a second at most
  MocapMarker a;
  std::vector<float> speeds;
  ASSERT_EQ(Feed(a, ys, 10.0f, &speeds).size(), 1u);
  ASSERT_GT(speeds[0], 177.0f);
  MocapMarker b;
  EXPECT_EQ(Feed(b, ys, 10.0f, nullptr, false, false).size(), 1u);
  const auto slow = Fall(6, 0.3f);  // below 177
  MocapMarker c;
  EXPECT_TRUE(Feed(c, slow, 10.0f, nullptr, false, false).empty());
  MocapMarker d;
  EXPECT_EQ(Feed(d, slow, 10.0f).size(), 1u);
}

TEST(MocapMarker, FootStrokesMustBeMostlyVertical) {
  const auto ys = Fall(6, 1.0f);
  MocapMarker straight;
  EXPECT_EQ(Feed(straight, ys, 10.0f, nullptr, true).size(), 1u);
  MocapMarker sideways;
  EXPECT_TRUE(Feed(sideways, ys, 10.0f, nullptr, true, true, 8.0f).empty());
}

TEST(MocapMarker, LastDrumHitRecordsTheTopOfTheStroke) {
  MocapMarker m;
  m.Update(B(1, 10), true);
  m.Update(B(2, 20), true);
  m.Update(B(3, 30), true);
  m.SetLastDrumHit(4);
  EXPECT_EQ(m.m_last_drum_hit, 4);
  EXPECT_FLOAT_EQ(m.m_hit_x, 1);
  EXPECT_FLOAT_EQ(m.m_hit_y, 10);
  EXPECT_GT(m.m_hit_time, 0u);
}

TEST(MocapMarker, AbsentMarkerClearsItsStrokeState) {
  MocapMarker m;
  Feed(m, {50, 49, 48, 52, 58}, 1.0f);
  EXPECT_GT(m.m_down_count, 0);
  m.Update();
  float speed = 0, hitY = 0;
  EXPECT_FALSE(m.DetectHit(1.0f, speed, hitY, false, 1.0f, false));
  EXPECT_EQ(m.m_down_count, 0);
  EXPECT_FLOAT_EQ(hitY, -1.0f);
}

TEST(MocapMarker, MeasuresOfTheRecentPath) {
  MocapMarker m, still;
  EXPECT_FLOAT_EQ(m.RadiusRateOfChangeBeforeMerge(), 0);
  EXPECT_FLOAT_EQ(m.DirectionAngle(), -1);
  // Ten samples: three old ones of radius 100, then radii 7 .. 1 falling by one a frame.
  const float ys[] = {0, 0, 0, 0, 1, 30, 20, 10, 8, 20.1f};
  for (int i = 0; i < 10; ++i) m.Update(B(50, ys[i], i < 3 ? 100.0f : float(10 - i)), true);
  EXPECT_FLOAT_EQ(m.RadiusRateOfChangeBeforeMerge(), -1);
  struct Range {
    int start, count;
    float mean;  // < 0: not a number
  } ranges[] = {{0, 4, 2.5f}, {4, 3, 6}, {8, 5, 100}, {10, 1, -1}, {12, 1, -1}, {-1, 2, -1}};
  for (const Range& r : ranges) {
    const float got = m.RadiusEstimateBeforeMerge(r.start, r.count);
    if (r.mean < 0)
      EXPECT_TRUE(std::isnan(got)) << r.start;
    else
      EXPECT_FLOAT_EQ(got, r.mean) << r.start;
  }
  // Newest y 20.1, three back 20, seven back 0: a turn; the lowest point (30) of the newest five.
  float y = -1;
  EXPECT_TRUE(m.LocalMinimum(y));
  EXPECT_FLOAT_EQ(y, 30);
  m.Update(B(60, 12, 1), true);  // moving right and down from (50, 8) two frames back
  EXPECT_FLOAT_EQ(m.DirectionAngle(), std::atan2(4.0f, 10.0f));
  EXPECT_FALSE(m.LocalMinimum(y));  // three back (10) is not below the newest (12)
  // Between the predicted places, the radius counting k times; the half plane from the velocities.
  for (int i = 0; i < 3; ++i) still.Update(B(54, 7, 3), true);
  const MocapMarker::Position p = m.m_predicted, v = m.m_velocity;  // `still`: (54, 7, 3), at rest
  EXPECT_FLOAT_EQ(m.DistanceToMocapMarker(still, 0), std::hypot(p.x - 54, p.y - 7));
  EXPECT_FLOAT_EQ(m.DistanceToMocapMarker(still, 0.25f),
                  std::hypot(p.x - 54, p.y - 7, (p.radius - 3) / 2));
  float a = -1, b = -1;
  m.GetHalfPlane(still, a, b);
  EXPECT_FLOAT_EQ(a, v.x / (v.x * v.x + v.y * v.y));
  EXPECT_FLOAT_EQ(b, v.y / (v.x * v.x + v.y * v.y));
  still.GetHalfPlane(m, a, b);  // seen from the still marker, the other way
  EXPECT_FLOAT_EQ(a, -v.x / (v.x * v.x + v.y * v.y));
  EXPECT_FLOAT_EQ(b, -v.y / (v.x * v.x + v.y * v.y));
  still.GetHalfPlane(still, a, b);
  EXPECT_FLOAT_EQ(a, 0);
  EXPECT_FLOAT_EQ(b, 0);
}

TEST(MocapMarker, LoggingOpensTheLogFileAndClosesIt) {
  skyt_test::ScopedChdir in(skyt_test::FreshDir("marker_log"));
  testing::internal::CaptureStdout();
  MocapMarker::ToggleLogging();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Now logging marker in marker.log\n");
  EXPECT_TRUE(MocapMarker::m_logging);
  EXPECT_NE(MocapMarker::m_file, nullptr);
  EXPECT_TRUE(std::filesystem::exists("marker.log"));
  MocapMarker::ToggleLogging();
  EXPECT_FALSE(MocapMarker::m_logging);
  EXPECT_EQ(MocapMarker::m_file, nullptr);
  // A folder in the file's place: a warning, and still not logging.
  std::filesystem::remove("marker.log");
  std::filesystem::create_directory("marker.log");
  testing::internal::CaptureStdout();
  MocapMarker::ToggleLogging();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Warning: could not open marker.log file\n");
  EXPECT_FALSE(MocapMarker::m_logging);
}

TEST(MocapMarkerDrawing, OutlinedMarkerAtItsWindowPlace) {
  skyt_test::GlContext gl(320, 240);
  Webcam::CenterWebcam(320, 240);
  MocapMarker m;
  gl.Clear(0, 0, 1);
  m.Render(240, 0, true, 1.0f, nullptr);  // absent: nothing
  EXPECT_EQ(gl.CountDiffering(0, 0, 320, 240, {0, 0, 255, 255}), 0);
  m.Update(B(160, 60, 6), true);
  m.Render(240, 0, true, 1.0f, nullptr);
  const float cx = Webcam::WebcamXToWindowX(160), cy = Webcam::WebcamYToWindowY(239 - 60);
  const float rw = Webcam::WebcamWidthToWindowWidth(6);
  auto white = gl.Pixel(int(cx), int(cy));
  EXPECT_GT(white[0], 240);
  EXPECT_GT(white[1], 240);
  auto ring = gl.Pixel(int(cx + rw + 0.5f), int(cy));
  EXPECT_LT(ring[0] + ring[1] + ring[2], 60);
  auto outside = gl.Pixel(int(cx + rw + 4), int(cy));
  EXPECT_EQ(outside[2], 255);
}

}  // namespace
