// The labeller's rules on hand-made blobs.
#include <gtest/gtest.h>

#include <array>

#include "frame/host_clock.h"
#include "tests/support/blobs.h"
#include "tests/support/marker_scene.h"
#include "tests/tracking/webcam_test_util.h"
#include "tracking/labeler.h"

using skyt_test::OfflineWebcam;

namespace {

Webcam::Blob B(float x, float y, float r = 3.0f) { return skyt_test::Blob(x, y, r); }

class LabelerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    IniFile none;
    labeler.Init(w.cam, none);
    // Past the settling period, so that pops are counted.
    Webcam::Blob b[4];
    for (int i = 0; i < 199; ++i) {
      w.cam.FindBlobs(b, 4);
      w.cam.BadLightingSuspected(0);
    }
  }
  void Label(std::vector<Webcam::Blob> blobs, bool leftHanded = false) {
    labeler.Label(blobs.data(), int(blobs.size()), leftHanded, 1.0f, rh, lh, rf, lf);
  }
  // Pops recorded so far, read through the status of the next frames.
  int PopsSeen() {
    for (int i = 0; i < 5; ++i) w.cam.RecordMocapMarkerPop();
    Webcam::Blob b[4];
    w.Fill(10);
    w.cam.FindBlobs(b, 4);
    return w.cam.BadLightingSuspected(0);
  }
  OfflineWebcam w;
  Labeler labeler;
  MocapMarker rh, lh, rf, lf;
};

TEST_F(LabelerTest, FourBlobsTwoHighestAreHands) {
  Label({B(100, 200), B(200, 205), B(120, 50), B(220, 60)});
  ASSERT_TRUE(rh.WasPresent() && lh.WasPresent() && rf.WasPresent() && lf.WasPresent());
  EXPECT_FLOAT_EQ(rh.GetLastPosition()->x, 220);
  EXPECT_FLOAT_EQ(lh.GetLastPosition()->x, 120);
  EXPECT_FLOAT_EQ(rf.GetLastPosition()->x, 200);
  EXPECT_FLOAT_EQ(lf.GetLastPosition()->x, 100);
  // Four blobs all above the foot line: still two hands and two feet.
  Label({B(100, 20), B(200, 25), B(120, 10), B(220, 12)});
  EXPECT_FLOAT_EQ(rf.GetLastPosition()->y, 25);
  EXPECT_FLOAT_EQ(lf.GetLastPosition()->y, 20);
  // The two lowest one above the other: the higher is the right foot.
  Label({B(100, 210), B(100, 200), B(120, 50), B(220, 60)});
  EXPECT_FLOAT_EQ(rf.GetLastPosition()->y, 200);
  EXPECT_FLOAT_EQ(lf.GetLastPosition()->y, 210);
}

TEST_F(LabelerTest, ThreeBlobsAboveTheFootLine) {
  Label({B(100, 60), B(200, 100), B(150, 40)});
  EXPECT_FLOAT_EQ(rh.GetLastPosition()->y, 40);
  EXPECT_FLOAT_EQ(lh.GetLastPosition()->y, 60);
  ASSERT_TRUE(rf.WasPresent());  // the lowest becomes the only foot
  EXPECT_FLOAT_EQ(rf.GetLastPosition()->x, 200);
  EXPECT_FALSE(lf.WasPresent());
}

TEST_F(LabelerTest, ThreeBlobsBelowTheFootLine) {
  Label({B(200, 230), B(100, 200), B(150, 215)});
  ASSERT_TRUE(rf.WasPresent() && lf.WasPresent());  // the two lowest are the feet
  EXPECT_FLOAT_EQ(rf.GetLastPosition()->y, 230);
  EXPECT_FLOAT_EQ(lf.GetLastPosition()->y, 215);
  // The highest becomes the only hand.
  ASSERT_NE(rh.WasPresent(), lh.WasPresent());
  EXPECT_FLOAT_EQ((rh.WasPresent() ? rh : lh).GetLastPosition()->x, 100);
}

TEST_F(LabelerTest, HandsAppearingArePops) {
  Label({B(100, 60), B(200, 60)});
  EXPECT_FLOAT_EQ(rh.GetLastPosition()->x, 200);
  EXPECT_FLOAT_EQ(lh.GetLastPosition()->x, 100);
  // Two pops recorded: three more make five.
  for (int i = 0; i < 3; ++i) w.cam.RecordMocapMarkerPop();
  Webcam::Blob b[4];
  w.Fill(10);
  w.cam.FindBlobs(b, 4);
  EXPECT_EQ(w.cam.BadLightingSuspected(0), 2);
}

TEST_F(LabelerTest, OneHandJumpingFarIsTheOtherHand) {
  Label({B(100, 60)});  // dominant (right) hand
  ASSERT_TRUE(rh.WasPresent());
  Label({B(105, 62)});
  EXPECT_TRUE(rh.WasPresent());
  EXPECT_TRUE(rh.m_reliable);  // seen on its own: its strokes count at the player's threshold
  Label({B(105 + 128, 62)});
  EXPECT_FALSE(rh.WasPresent());
  ASSERT_TRUE(lh.WasPresent());
  EXPECT_FLOAT_EQ(lh.GetLastPosition()->x, 233);
  // Left-handed players' first hand is the left one.
  MocapMarker a, b, c, d;
  Webcam::Blob one[1] = {B(50, 50)};
  Labeler other;
  other.Label(one, 1, true, 1.0f, a, b, c, d);
  EXPECT_FALSE(a.WasPresent());
  EXPECT_TRUE(b.WasPresent());
}

TEST_F(LabelerTest, ANewHandBesideATrackedOneTakesTheBlobTheTrackedOneIsNotHeadingFor) {
  for (const bool tracked_first : {false, true}) {
    SCOPED_TRACE(tracked_first ? "tracked hand's blob first" : "new hand's blob first");
    Labeler fresh;
    IniFile none;
    fresh.Init(w.cam, none);
    MocapMarker r, l, a, b;
    Webcam::Blob one[1] = {B(200, 60)};
    fresh.Label(one, 1, false, 1.0f, r, l, a, b);
    ASSERT_TRUE(r.WasPresent());
    Webcam::Blob two[2] = {B(205, 62), B(100, 50)};
    if (!tracked_first) std::swap(two[0], two[1]);
    fresh.Label(two, 2, false, 1.0f, r, l, a, b);
    ASSERT_TRUE(r.WasPresent() && l.WasPresent());
    EXPECT_FLOAT_EQ(r.GetLastPosition()->x, 205);
    EXPECT_FLOAT_EQ(l.GetLastPosition()->x, 100);
  }
}

TEST_F(LabelerTest, ConvergingHandsMergeAndAreSplit) {
  // Two hands moving towards each other.
  for (int i = 0; i < 6; ++i) Label({B(130 + 3 * i, 80), B(180 - 3 * i, 80)});
  ASSERT_TRUE(rh.WasPresent() && lh.WasPresent());
  EXPECT_GT(labeler.GetMergeHandler().first_close_step, 0);
  const float rx = rh.GetLastPosition()->x, lx = lh.GetLastPosition()->x;
  ASSERT_GT(rx, lx);
  w.Fill(10);
  Label({B((rx + lx) / 2, 80, 5)});
  EXPECT_TRUE(labeler.MergeActive());
  EXPECT_TRUE(rh.WasPresent());
  EXPECT_TRUE(lh.WasPresent());
  // Two blobs again: the merge ends.
  Label({B(rx - 20, 80), B(lx + 20, 80)});
  EXPECT_FALSE(labeler.MergeActive());
  EXPECT_TRUE(rh.WasPresent() && lh.WasPresent());

  // Without a camera picture to place them in, both hands sit at the merged blob's centre, and
  // the merge says so.
  Labeler blind;
  MocapMarker r, l, a, b;
  for (int i = 0; i < 6; ++i) {
    Webcam::Blob two[2] = {B(130 + 3 * i, 80), B(180 - 3 * i, 80)};
    blind.Label(two, 2, false, 1.0f, r, l, a, b);
  }
  Webcam::Blob one[1] = {B(155, 80, 5)};
  blind.Label(one, 1, false, 1.0f, r, l, a, b);
  ASSERT_TRUE(blind.MergeActive());
  EXPECT_TRUE(blind.Centred());
  EXPECT_FLOAT_EQ(r.GetLastPosition()->x, 155);
  EXPECT_FLOAT_EQ(l.GetLastPosition()->x, 155);
}

TEST_F(LabelerTest, HandsHeadingForEachOtherOnEitherAxisAreAboutToMeet) {
  const struct {
    const char* what;
    float rx, ry, lx, ly, dx, dy;  // where the hands start; the right hand's step (the left's is opposite)
  } paths[] = {{"across", 180, 80, 130, 80, -3, 0}, {"up and down", 160, 40, 150, 120, 0, 4}};
  for (const auto& p : paths) {
    SCOPED_TRACE(p.what);
    Labeler fresh;
    MocapMarker r, l, a, b;
    for (int i = 0; i < 6; ++i) {
      Webcam::Blob two[2] = {B(p.rx + p.dx * i, p.ry + p.dy * i), B(p.lx - p.dx * i, p.ly - p.dy * i)};
      fresh.Label(two, 2, false, 1.0f, r, l, a, b);
    }
    EXPECT_GT(fresh.GetMergeHandler().first_close_step, 0);
  }
}

TEST_F(LabelerTest, MergedBlobWithTwoCoresIsSplitAlongTheHandsPaths) {
  for (int i = 0; i < 6; ++i) Label({B(130 + 3 * i, 80, 3.5f), B(180 - 3 * i, 80, 3)});
  ASSERT_GT(labeler.GetMergeHandler().first_close_step, 0);
  skyt_test::MarkerScene scene;
  scene.AddMarker(150, 80, 4, 255);
  scene.AddMarker(157.5f, 81, 4, 240);
  w.Load(scene.Render());
  Webcam::Blob merged[4];
  ASSERT_EQ(w.cam.FindBlobs(merged, 4), 1);
  Label({merged[0]});
  EXPECT_TRUE(labeler.MergeActive());
  // Each hand takes the core on its side, with its own last radius.
  EXPECT_NEAR(rh.GetLastPosition()->x, 157.5f, 1.0f);
  EXPECT_NEAR(lh.GetLastPosition()->x, 150, 1.0f);
  EXPECT_FLOAT_EQ(rh.GetLastPosition()->radius, 3);
  EXPECT_FLOAT_EQ(lh.GetLastPosition()->radius, 3.5f);
  EXPECT_TRUE(rh.m_reliable && lh.m_reliable);
}

TEST_F(LabelerTest, OneBlobForTwoSeparateHandsGoesToTheSmootherHand) {
  for (int i = 0; i < 4; ++i) Label({B(60, 80 + i), B(260, 80 - i)});
  EXPECT_EQ(labeler.GetMergeHandler().first_close_step, 0);
  Label({B(258, 76)});
  EXPECT_TRUE(rh.WasPresent());
  EXPECT_FALSE(lh.WasPresent());
  EXPECT_FALSE(labeler.MergeActive());
}

TEST_F(LabelerTest, SameDrumFromCrossedSidesSwapsTheHands) {
  auto setup = [&](uint64_t gap) {
    Label({B(100, 60), B(200, 60)});
    rh.m_last_drum_hit = lh.m_last_drum_hit = 3;
    rh.m_hit_x = 130;
    lh.m_hit_x = 160;  // the left hand struck to the right of the right hand
    rh.m_hit_time = HostTimeNanos();
    lh.m_hit_time = rh.m_hit_time + gap;
  };
  setup(400000000ull);
  const float before = rh.GetLastPosition()->x;
  labeler.SameDrumCheck(rh, lh, false);
  EXPECT_FLOAT_EQ(lh.GetLastPosition()->x, before);
  EXPECT_FLOAT_EQ(lh.m_hit_x, 130);

  rh = lh = MocapMarker();
  setup(600000000ull);
  labeler.SameDrumCheck(rh, lh, false);
  EXPECT_FLOAT_EQ(rh.GetLastPosition()->x, before);

  rh = lh = MocapMarker();
  setup(0);
  rh.m_last_drum_hit = lh.m_last_drum_hit = -1;
  labeler.SameDrumCheck(rh, lh, false);
  EXPECT_FLOAT_EQ(rh.GetLastPosition()->x, before);

  // Either hand out of view: the one in view keeps its track.
  for (MocapMarker* gone : {&lh, &rh}) {
    rh = lh = MocapMarker();
    setup(0);
    gone->Update();
    labeler.SameDrumCheck(rh, lh, false);
    EXPECT_FALSE(gone->WasPresent());
  }

  // Only hits within 100 pixels of the kit's middle count: 146 for a right-handed player, 178
  // for a left-handed one.
  const struct {
    bool left_handed;
    float rh_x, lh_x;
    bool swapped;
  } hits[] = {
      {false, 50, 60, true}, {false, 240, 250, false}, {true, 260, 270, true}, {true, 70, 80, false},
  };
  for (const auto& h : hits) {
    SCOPED_TRACE(testing::Message() << h.left_handed << " " << h.rh_x);
    rh = lh = MocapMarker();
    setup(0);
    rh.m_hit_x = h.rh_x;
    lh.m_hit_x = h.lh_x;
    labeler.SameDrumCheck(rh, lh, h.left_handed);
    EXPECT_EQ(lh.GetLastPosition()->x == before, h.swapped);
  }
}

// While the hands are merged the split blobs are guesses: a hand coming down far enough to
// strike, and below a blob, is not given that blob; otherwise each hand keeps to its path.
TEST_F(LabelerTest, GuessedBlobsKeepAStrikingHandOffTheBlobAboveIt) {
  const struct {
    uint8_t ascending;
    int down_count;
    float rh_takes_x;
  } rows[] = {
      {1, MocapMarker::m_down_frames_needed, 150},
      {0, MocapMarker::m_down_frames_needed - 1, 150},
      {0, MocapMarker::m_down_frames_needed, 170},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << int(row.ascending) << " " << row.down_count);
    rh = lh = MocapMarker();
    for (int i = 0; i < 3; ++i) {
      rh.Update(B(150, 100 - 5 * i), true);
      lh.Update(B(170, 60 - 5 * i), true);
    }
    rh.m_ascending = row.ascending;
    rh.m_down_count = row.down_count;
    lh.m_ascending = 1;
    // The first blob continues the right hand's path just above it, the second lies below it.
    Webcam::Blob two[2] = {B(150, 85), B(170, 95)};
    labeler.LabelHandsDuringMerge(two, rh, lh, false);
    EXPECT_FLOAT_EQ(rh.GetLastPosition()->x, row.rh_takes_x);
  }
}

TEST_F(LabelerTest, FeetOnTheirOwn) {
  Label({B(160, 200)});
  EXPECT_TRUE(rf.WasPresent());
  EXPECT_FALSE(lf.WasPresent());
  rf = lf = MocapMarker();
  Label({B(159, 200)});
  EXPECT_TRUE(lf.WasPresent());
  EXPECT_FALSE(rf.WasPresent());
  // Both tracked: the nearer takes a lone blob.
  Label({B(100, 200), B(220, 200)});
  Label({B(210, 205)});
  EXPECT_TRUE(rf.WasPresent());
  EXPECT_FALSE(lf.WasPresent());
  Label({});
  EXPECT_FALSE(rf.WasPresent() || lf.WasPresent() || rh.WasPresent() || lh.WasPresent());
  Label({B(100, 200), B(220, 200)});
  labeler.LabelFeet(0, nullptr, rf, lf);
  EXPECT_FALSE(rf.WasPresent() || lf.WasPresent());
}

TEST_F(LabelerTest, BlobsWithoutANumberRadiusAreIgnored) {
  Webcam::Blob bad = B(100, 60);
  bad.radius = std::numeric_limits<float>::quiet_NaN();
  Label({bad, B(200, 60)});
  EXPECT_TRUE(rh.WasPresent());
  EXPECT_FLOAT_EQ(rh.GetLastPosition()->x, 200);
  EXPECT_FALSE(lh.WasPresent());
}

// Two blobs at the picture's middle: radius 4 stands nearer (-0.76 m) than radius 2.5 (-1.05 m).
TEST_F(LabelerTest, AfterAMergeTheNearerBlobGoesToTheNearerHand) {
  for (const bool right_near : {true, false}) {
    Webcam::Blob two[2] = {B(160, 120, 4), B(160, 120, 2.5f)};
    const float near = -0.75f, far = -1.0f;
    EXPECT_EQ(labeler.LabelAfterMerge(two, right_near ? near : far, right_near ? far : near, 0.5f, -0.5f, false),
              right_near);
  }
}

// Coming out of a merge at the same depth, each hand takes the blob on its own side, whether the
// hands met left or right of the picture's middle.
TEST_F(LabelerTest, AfterAMergeAtOneDepthEachHandTakesItsSide) {
  for (const float c : {110.0f, 210.0f}) {
    SCOPED_TRACE(c);
    Labeler fresh;
    IniFile none;
    fresh.Init(w.cam, none);
    MocapMarker r, l, rf, lf;
    auto label = [&](std::vector<Webcam::Blob> blobs) {
      fresh.Label(blobs.data(), int(blobs.size()), false, 1.0f, r, l, rf, lf);
    };
    for (int i = 0; i < 6; ++i) label({B(c - 25 + 3 * i, 80), B(c + 25 - 3 * i, 80)});
    ASSERT_GT(r.GetLastPosition()->x, l.GetLastPosition()->x);
    w.Fill(10);
    label({B(c, 80, 5)});
    ASSERT_TRUE(fresh.MergeActive());
    label({B(c - 12, 80), B(c + 12, 80)});
    ASSERT_FALSE(fresh.MergeActive());
    EXPECT_FLOAT_EQ(r.GetLastPosition()->x, c + 12);
    EXPECT_FLOAT_EQ(l.GetLastPosition()->x, c - 12);
  }
}

TEST(LabelerHelpers, RadiusRangeAndHull) {
  EXPECT_FLOAT_EQ(RadiusRange(4.0f), 0.039f);
  EXPECT_FLOAT_EQ(RadiusRange(std::numeric_limits<float>::quiet_NaN()), 0.039f);
  EXPECT_NEAR(RadiusRange(2.0f), 0.1402603f - 0.06027399f, 1e-6);
  EXPECT_FALSE(Labeler::IsInHull(10, 10));  // empty hull
  const float square[] = {0, 0, 10, 0, 10, 10, 0, 10, 5, 5};
  int out[5];
  EXPECT_EQ(convexhull(square, 5, out), 4);
  out[0] = -1;
  EXPECT_EQ(convexhull(square, 0, out), 1);
  EXPECT_EQ(out[0], 0);
}

TEST_F(LabelerTest, DominantHandBeyondItsReachTakesTheOtherSide) {
  // Reach 0.5: the right-handed line is at x 232.5, the left-handed one at x 89.
  struct Row {
    bool leftHanded;
    float ax, bx;  // < 0: absent
    bool swapped;
  } rows[] = {
      {false, -1, 240, true},    {false, 100, 240, true}, {false, 100, 232.5f, false},
      {false, 250, 240, false},  {true, 80, -1, true},    {true, 80, 200, true},
      {true, 89, 200, false},    {true, 80, 70, false},
  };
  for (const Row& row : rows) {
    MocapMarker a, b;
    if (row.ax >= 0) a.Update(B(row.ax, 60), true);
    if (row.bx >= 0) b.Update(B(row.bx, 60), true);
    labeler.DominantHandReachCheck(row.leftHanded, 0.5f, a, b);
    const float first = row.swapped ? row.bx : row.ax;
    EXPECT_EQ(a.WasPresent() == 1, first >= 0) << row.ax << " " << row.bx;
    if (first >= 0) {
      EXPECT_FLOAT_EQ(a.GetLastPosition()->x, first) << row.ax << " " << row.bx;
    }
  }
}

TEST_F(LabelerTest, DebugDrawingAndTheReachHull) {
  skyt_test::GlContext& gl = w.gl;
  Webcam::CenterWebcam(320, 240);
  auto at = [&](float x, float y) {  // camera position to its window pixel
    return gl.Pixel(int(Webcam::WebcamXToWindowX(x)), int(Webcam::WebcamYToWindowY(239 - y)));
  };
  const std::array<int, 4> black = {0, 0, 0, 255};
  const struct { int mode; std::array<int, 4> colour; } modes[] = {
      {-1, {255, 0, 0, 255}}, {1, {0, 255, 0, 255}}, {2, {0, 0, 255, 255}}, {7, {0, 0, 255, 255}}};
  for (const auto& m : modes) {
    gl.Clear();
    RenderPosition(m.mode, 100, 60, 5);
    EXPECT_EQ(at(100, 60), m.colour) << m.mode;
    EXPECT_EQ(at(102, 60), m.colour) << m.mode;  // five pixels across
    EXPECT_EQ(at(104, 60), black) << m.mode;
    glColor3f(1, 1, 1);  // each call sets its own colour
    RenderRadius(120, 2, m.mode, 3);  // camera x 160 to 210 on row 120
    EXPECT_EQ(at(161, 120), m.colour) << m.mode;
    EXPECT_EQ(at(207, 120), m.colour) << m.mode;
    EXPECT_EQ(at(215, 120), black) << m.mode;
    EXPECT_EQ(at(150, 120), black) << m.mode;
    EXPECT_EQ(at(185, 124), black) << m.mode;  // three pixels thick
  }
  GLfloat size = 0, width = 0;
  glGetFloatv(GL_POINT_SIZE, &size);
  glGetFloatv(GL_LINE_WIDTH, &width);
  EXPECT_EQ(size, 1.0f);
  EXPECT_EQ(width, 1.0f);
  // The hull (camera 100..200 across, 60..160 down) stays clear; the rest of the window is tinted.
  const float square[] = {100, 60, 200, 60, 200, 160, 100, 160};
  Labeler::m_convex_hull = square;
  const struct { bool show; int size; int outside_red; } hulls[] = {
      {false, 4, 0}, {true, 2, 0}, {true, 4, 38}, {true, 3, 38}};
  for (const auto& h : hulls) {
    Labeler::m_show_hull = h.show;
    Labeler::m_convex_hull_size = h.size;
    gl.Clear();
    Labeler::DrawHull();
    EXPECT_NEAR(gl.Pixel(20, 20)[0], h.outside_red, 1) << h.show << h.size;
    EXPECT_EQ(gl.Pixel(150, 150)[0], 0) << h.show << h.size;  // inside both hulls
    EXPECT_NEAR(gl.Pixel(110, 100)[0], h.size == 3 ? 38 : 0, 1) << h.size;  // beside the triangle
  }
  EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
  // Later drawing leaves the stencil alone again.
  for (const GLenum op : {GL_STENCIL_FAIL, GL_STENCIL_PASS_DEPTH_FAIL, GL_STENCIL_PASS_DEPTH_PASS}) {
    GLint v = 0;
    glGetIntegerv(op, &v);
    EXPECT_EQ(v, GL_KEEP) << op;
  }
  Labeler::m_show_hull = false;
  Labeler::m_convex_hull = nullptr;
  Labeler::m_convex_hull_size = 0;
}

TEST(LabelerHelpers, PairingsByRadiusAndByPosition) {
  struct SizeRow {
    float r0, r1, sA, sB;
    bool straight, distinct;  // straight: blob 0 goes with the marker of radius sA
  } sizes[] = {
      {3, 4, 3, 4, true, true},
      {4, 3, 3, 4, false, true},
      {3, 3.05f, 3.05f, 3, false, false},  // within both radii's tolerance
  };
  for (const SizeRow& row : sizes) {
    const Webcam::Blob two[2] = {B(0, 0, row.r0), B(0, 0, row.r1)};
    bool distinct = !row.distinct;
    EXPECT_EQ(SizeLabelingMerge(two, row.sA, row.sB, distinct), row.straight) << row.r0;
    EXPECT_EQ(distinct, row.distinct) << row.r0;
  }
  // Each blob sits where one marker was and has the other's radius: a radius step weighs as
  // much as 25 pixels.
  struct PlaceRow {
    float x1;
    bool crossed;
  } places[] = {{20, false}, {30, true}};
  for (const PlaceRow& row : places) {
    const Webcam::Blob two[2] = {B(0, 0, 3), B(row.x1, 0, 4)};
    EXPECT_EQ(LabelingMerge(two, {0, 0, 4}, {row.x1, 0, 3}), row.crossed) << row.x1;
  }
}

TEST(LabelerHelpers, PointsInsideTheReachHull) {
  const float square[] = {0, 0, 10, 0, 10, 10, 0, 10};
  struct Row {
    int size;
    float x, y;
    bool inside;
  } rows[] = {
      {4, 5, 5, true},    {4, 5, 0, true},    {3, 2, 1, true},          {2, 5, 0, false},
      {4, -10, 5, false}, {4, 5, -10, false}, {4, 0.005f, 0, false},
  };
  for (const Row& row : rows) {
    Labeler::m_convex_hull = square;
    Labeler::m_convex_hull_size = row.size;
    EXPECT_EQ(Labeler::IsInHull(row.x, row.y), row.inside) << row.x << "," << row.y;
  }
  Labeler::m_convex_hull = nullptr;
  Labeler::m_convex_hull_size = 0;
  const float two[] = {0, 0, 10, 0};
  EXPECT_TRUE(is_hull_point(two, 2, 10.5f, 0.5f));
  EXPECT_TRUE(is_hull_point(two, 2, -0.5f, 0.5f));
  EXPECT_FALSE(is_hull_point(two, 2, 9, 0));
  EXPECT_FALSE(is_hull_point(two, 1, 10, 0));
}

}  // namespace
