// Finding the drum or in-air button a stroke meant, firm-stroke memory and the menu layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"

namespace {

class Finding : public ::testing::Test {
 protected:
  void SetUp() override {
    chdir_ = std::make_unique<skyt_test::ScopedChdir>(skyt_test::FreshDir("drum_finding"));
    skyt_test::ResetSound();
    kit_.Init();
    DistanceMenu::ResetButtonActivation();
  }
  // Sets the search like the session's accuracy setting does.
  void Accuracy(int setting, bool three_d) {
    const float t[4][3] = {{10, 10, 30}, {1.6f, 0.29f, 16}, {1.3f, 0.2f, 16}, {1.1f, 0.15f, 16}};
    kit_.use_3d = three_d;
    kit_.disk_radius_factor = t[setting][0];
    kit_.disk_plane_distance = t[setting][1];
    kit_.disk_min_diameter = three_d && setting ? -1.0f : t[setting][2];
  }
  std::unique_ptr<skyt_test::ScopedChdir> chdir_;
  Drumkit kit_;
};

DistanceMenu MenuWithButton(int id, float x, float y, bool needs_activation) {
  DistanceMenu menu;
  menu.buttons.push_back({id, "B", x, y, 22.0f, needs_activation, false});
  return menu;
}

}  // namespace

TEST_F(Finding, EmptyKitFindsNothing) {
  int nearby = 5;
  DistanceMenu menu;
  EXPECT_EQ(kit_.FindDrum(Sound::CATEGORY_HAND, 100, 100, 4), -1);
  EXPECT_EQ(kit_.FindDrum(Sound::CATEGORY_FOOT, 100, 100, 4), -1);
  EXPECT_EQ(kit_.FindDrumOrMenu(100, 100, 4, true, &menu, nearby), -1);
  EXPECT_EQ(nearby, -1);
  EXPECT_EQ(menu.dominant_active, kNoButton);
}

TEST_F(Finding, HandSearchPicksNearestAndFirstOfEquals) {
  int a = skyt_test::AddElement(Sound::HIGH_TOM, 0), b = skyt_test::AddElement(Sound::MID_TOM, 0);
  int k = skyt_test::AddElement(Sound::KICK, 1);
  ASSERT_TRUE(skyt_test::LoadKit(kit_, {{"a", Sound::HIGH_TOM, 0, a}, {"b", Sound::MID_TOM, 0, b}, {"gone", Sound::SNARE, 0, -1}, {"k", Sound::KICK, 1, k}},
                                 "Drum0.x = 100\nDrum0.y = 100\nDrum0.size = 4\nDrum1.x = 120\nDrum1.y = 100\nDrum1.size = 4\n"
                                 "Drum2.x = 110\nDrum2.y = 100\nDrum2.size = 4\nDrum3.foot_x = 110\n"));
  EXPECT_EQ(kit_.FindDrum(Sound::CATEGORY_HAND, 110, 100, 4), 0);  // equal distances: the earlier
  EXPECT_EQ(kit_.FindDrum(Sound::CATEGORY_HAND, 111, 100, 4), 1);
  // Depth counts 30 pixels per unit of radius.
  EXPECT_EQ(kit_.FindDrum(Sound::CATEGORY_HAND, 101, 100, 5.5f), 0);
  EXPECT_EQ(kit_.FindDrum(Sound::CATEGORY_FOOT, 110, 230, 6), 3);
  EXPECT_EQ(kit_.FindDrum(Sound::ElementCategory(2), 110, 100, 4), -1);
  EXPECT_EQ(kit_.FindDrum(Sound::CATEGORY_HAND, NAN, 100, 4), -1);
}

TEST_F(Finding, FootReachLimitsPedals) {
  int k = skyt_test::AddElement(Sound::KICK, 1), h = skyt_test::AddElement(Sound::HIHAT, 2);
  ASSERT_TRUE(skyt_test::LoadKit(kit_, {{"k", Sound::KICK, 1, k}, {"h", Sound::HIHAT, 2, h}},
                                 "Drum0.foot_x = 200\nDrum1.foot_x = 100\nDrum1.x = 150\nDrum1.y = 100\nDrum1.size = 4\n"));
  EXPECT_EQ(kit_.FindDrum(Sound::CATEGORY_FOOT, 242, 230, 5), 0);
  EXPECT_EQ(kit_.FindDrum(Sound::CATEGORY_FOOT, 243, 230, 5), -1);  // 43 pixels: out of reach
  EXPECT_EQ(kit_.FindDrum(Sound::CATEGORY_FOOT, 57, 230, 5), -1);
  EXPECT_EQ(kit_.FindDrum(Sound::CATEGORY_FOOT, 120, 230, 5), 1);
  EXPECT_EQ(kit_.FindDrum(Sound::CATEGORY_HAND, 150, 100, 4), 1);  // the hi-hat is also a hand drum
}

TEST_F(Finding, TwoDimensionalSearchChecksTheDisk) {
  int s = skyt_test::AddElement(Sound::SNARE, 0);
  ASSERT_TRUE(skyt_test::LoadKit(kit_, {{"s", Sound::SNARE, 0, s}}, "Drum0.x = 160\nDrum0.y = 150\nDrum0.size = 4\n"));
  Accuracy(3, false);
  int nearby = 0;
  EXPECT_EQ(kit_.FindDrumOrMenu(170, 150, 4, true, nullptr, nearby), 0);
  EXPECT_EQ(nearby, -1);  // the chosen drum is not reported as nearby
  // The same picture position far in front of the drum misses it and reports it as nearby.
  EXPECT_EQ(kit_.FindDrumOrMenu(170, 150, 6, true, nullptr, nearby), -1);
  EXPECT_EQ(nearby, 0);
  // Further than 14 pixels in the picture: not nearby either.
  EXPECT_EQ(kit_.FindDrumOrMenu(160, 165, 6, true, nullptr, nearby), -1);
  EXPECT_EQ(nearby, -1);
  // The loosest setting takes almost anything.
  Accuracy(0, false);
  EXPECT_EQ(kit_.FindDrumOrMenu(170, 150, 6, true, nullptr, nearby), 0);
  EXPECT_EQ(kit_.FindDrumOrMenu(NAN, 150, 4, true, nullptr, nearby), -1);
}

TEST_F(Finding, ThreeDimensionalSearchUsesTheDisks) {
  int c = skyt_test::AddElement(Sound::CRASH, 0), r = skyt_test::AddElement(Sound::RIDE, 0);
  int k = skyt_test::AddElement(Sound::KICK, 1);
  ASSERT_TRUE(skyt_test::LoadKit(kit_, {{"c", Sound::CRASH, 0, c}, {"r", Sound::RIDE, 0, r}, {"k", Sound::KICK, 1, k}},
                                 "Drum0.x = 110\nDrum0.y = 80\nDrum0.size = 4\nDrum1.x = 150\nDrum1.y = 80\nDrum1.size = 4\n"
                                 "Drum2.x = 130\nDrum2.y = 80\nDrum2.size = 4\n"));
  Accuracy(1, true);
  int nearby = 7;
  // Each cymbal's own hit centre lies on its own disk; the foot drum is never a candidate.
  DrumDisk crash, ride;
  SetDrumDisk(110, 80, 4, Sound::CRASH, crash, -1.0f);
  SetDrumDisk(150, 80, 4, Sound::RIDE, ride, -1.0f);
  EXPECT_GT(ride.radius, crash.radius);
  EXPECT_NEAR(crash.radius, 16.5f * 0.0254f / 2, 1e-6);
  EXPECT_NEAR(ride.radius, 20 * 0.0254f / 2, 1e-6);
  float n = std::sqrt(crash.normal[0] * crash.normal[0] + crash.normal[1] * crash.normal[1] + crash.normal[2] * crash.normal[2]);
  EXPECT_NEAR(n, 1.0f, 1e-5);
  EXPECT_EQ(kit_.FindDrumOrMenu(110, 80, 4, true, nullptr, nearby), 0);
  EXPECT_EQ(nearby, -1);  // the 3D search reports no nearby drum
  EXPECT_EQ(kit_.FindDrumOrMenu(150, 80, 4, true, nullptr, nearby), 1);
  // A stroke between them lying on both disks goes to the nearer centre when the surface
  // distances differ less than the centre distances do.
  EXPECT_EQ(kit_.FindDrumOrMenu(125, 80, 4, true, nullptr, nearby), 0);
  EXPECT_EQ(kit_.FindDrumOrMenu(135, 80, 4, true, nullptr, nearby), 1);
  // Two like disks in one place: the earlier drum keeps the stroke.
  kit_.drums[1].x = kit_.drums[0].x;
  kit_.drums[1].type = kit_.drums[0].type;
  EXPECT_EQ(kit_.FindDrumOrMenu(110, 80, 4, true, nullptr, nearby), 0);
  // Far above both planes: nothing at a strict setting.
  Accuracy(3, true);
  EXPECT_EQ(kit_.FindDrumOrMenu(130, 5, 4, true, nullptr, nearby), -1);
  // Disk sizes: a snare's disk is 14 inches, a bell's 5, a kick's nothing.
  DrumDisk d;
  SetDrumDisk(100, 100, 4, Sound::RIDE_BELL, d, -1.0f);
  EXPECT_NEAR(d.radius, 5 * 0.0254f / 2, 1e-6);
  SetDrumDisk(100, 100, 4, Sound::RIDE_BELL, d, 16.0f);
  EXPECT_NEAR(d.radius, 16 * 0.0254f / 2, 1e-6);
  SetDrumDisk(100, 100, 4, Sound::KICK, d, -1.0f);
  EXPECT_EQ(d.radius, 0.0f);
  EXPECT_EQ(d.normal[1], 1.0f);
  // A rimshot or cross-stick pad is struck on a snare's disk.
  DrumDisk snare;
  SetDrumDisk(100, 100, 4, Sound::SNARE, snare, -1.0f);
  for (Sound::ElementType type : {Sound::RIMSHOT, Sound::CROSS_STICK}) {
    SetDrumDisk(100, 100, 4, type, d, -1.0f);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(d.centre[k], snare.centre[k]) << type;
      EXPECT_EQ(d.normal[k], snare.normal[k]) << type;
      EXPECT_EQ(d.hit_centre[k], snare.hit_centre[k]) << type;
    }
    EXPECT_EQ(d.radius, snare.radius) << type;
  }
}

TEST_F(Finding, MenuButtonsNeedTheRadiusAndActivation) {
  int s = skyt_test::AddElement(Sound::SNARE, 0);
  ASSERT_TRUE(skyt_test::LoadKit(kit_, {{"s", Sound::SNARE, 0, s}}, "Drum0.x = 160\nDrum0.y = 150\nDrum0.size = 4\n"));
  Accuracy(0, false);
  int nearby = -1;
  DistanceMenu plain = MenuWithButton(108, 100, 100, false);
  EXPECT_EQ(kit_.FindDrumOrMenu(110, 100, 4, true, &plain, nearby), 108);
  DistanceMenu edge = MenuWithButton(108, 100, 100, false);
  EXPECT_NE(kit_.FindDrumOrMenu(122, 100, 4, true, &edge, nearby), 108);  // exactly the radius
  EXPECT_EQ(edge.dominant_active, kNoButton);

  // A button among the drums: resting on it only makes it active.
  DistanceMenu::ResetButtonActivation();
  DistanceMenu guarded = MenuWithButton(103, 100, 100, true);
  EXPECT_EQ(kit_.FindDrumOrMenu(105, 100, 4, false, &guarded, nearby), 0);  // the drum is still found
  EXPECT_EQ(guarded.non_dominant_active, 103);
  EXPECT_EQ(DistanceMenu::m_how_many_frames_non_dominant_active, 1);
}

TEST_F(Finding, FirmStrokesMustMatchDrumAndMarkerType) {
  int drum = 0;
  MocapMarkerType type;
  kit_.RememberHit(2, MOCAP_MARKER_HAND, 300, true);
  kit_.RememberHit(2, MOCAP_MARKER_FOOT, 300, true);
  EXPECT_FALSE(kit_.GetFirmlyHitTwiceDrum(drum, type));
  kit_.RememberHit(2, MOCAP_MARKER_FOOT, 50, false);  // soft strokes do not count
  kit_.RememberHit(2, MOCAP_MARKER_FOOT, 300, true);
  ASSERT_TRUE(kit_.GetFirmlyHitTwiceDrum(drum, type));
  EXPECT_EQ(drum, 2);
  EXPECT_EQ(type, MOCAP_MARKER_FOOT);
  kit_.shown_drum = 2;
  kit_.shown_marker_type = MOCAP_MARKER_HAND;
  kit_.RememberHit(2, MOCAP_MARKER_HAND, 123, false);
  EXPECT_EQ(kit_.shown_frames, 250);
  EXPECT_EQ(kit_.shown_speed, 123);
  kit_.ResetTwiceFirmHit();
  EXPECT_FALSE(kit_.GetFirmlyHitTwiceDrum(drum, type));
  EXPECT_EQ(kit_.firm_drum, -1);
}

TEST_F(Finding, MenuLayoutKeepsClearOfDrums) {
  typedef DistanceMenu M;
  // Without drums the lower slider spans the row of three buttons, the upper one the outer button.
  auto sliders_span_their_buttons = [] {
    const float r = M::m_menu_radius, outer = M::m_no_drums3_x;
    EXPECT_EQ(M::m_no_drums_slider_bottom_x, std::min(M::m_no_drums_x, outer) - r);
    EXPECT_EQ(M::m_no_drums_slider_bottom_x + M::m_no_drums_slider_bottom_width, std::max(M::m_no_drums_x, outer) + r);
    EXPECT_EQ(M::m_no_drums_slider_top_x, outer - r);
    EXPECT_EQ(M::m_no_drums_slider_top_width, 2 * r);
  };
  EXPECT_FALSE(kit_.SetDistanceMenuLocations(false));
  sliders_span_their_buttons();
  EXPECT_GT(M::m_with_drums_slider_width, 0);  // usable before any kit with hand drums
  EXPECT_EQ(M::m_no_drums_y, 140);
  EXPECT_EQ(M::m_no_drums4_y, 90);
  EXPECT_EQ(M::m_no_drums_slider_top_y, 121);
  EXPECT_EQ(M::m_with_drums_slider_x, 145);
  EXPECT_EQ(M::m_with_drums2_x, 70);
  EXPECT_EQ(M::m_no_drums_slider_top_x, 198);
  EXPECT_EQ(M::m_no_drums_slider_bottom_x, 98);
  EXPECT_FALSE(kit_.SetDistanceMenuLocations(true));
  sliders_span_their_buttons();
  EXPECT_EQ(M::m_no_drums_x, 200);
  EXPECT_EQ(M::m_no_drums_slider_top_x, 78);
  EXPECT_EQ(M::m_no_drums_slider_bottom_x, 78);
  EXPECT_EQ(M::m_with_drums_slider2_x, 70);

  int s = skyt_test::AddElement(Sound::SNARE, 0);
  ASSERT_TRUE(skyt_test::LoadKit(kit_, {{"s", Sound::SNARE, 0, s}}, "Drum0.x = 300\nDrum0.y = 20\nDrum0.size = 4\n"));
  EXPECT_TRUE(kit_.SetDistanceMenuLocations(false));
  EXPECT_EQ(M::m_with_drums_x, 120);
  EXPECT_EQ(M::m_with_drums_y, 175);
  // The second button stands two radii and a pixel from the first, more than a drum's 38.
  EXPECT_EQ(M::m_with_drums2_x, 75);
  EXPECT_EQ(M::m_with_drums_slider_x, 145);
  // Left-handed, with the drum far off, the sliders stand leftwards of the first button where
  // they stand without drums.
  EXPECT_TRUE(kit_.SetDistanceMenuLocations(true));
  EXPECT_EQ(M::m_with_drums_x, 200);
  EXPECT_EQ(M::m_with_drums_slider_x, 125.5f);
  EXPECT_EQ(M::m_with_drums_slider2_x, 70);

  // A drum on the start point pushes the button diagonally away, to the left for a
  // right-handed player, until it is 38 pixels clear.
  kit_.drums[0].x = 120;
  kit_.drums[0].y = 175;
  EXPECT_TRUE(kit_.SetDistanceMenuLocations(false));
  EXPECT_LT(M::m_with_drums_x, 120);
  EXPECT_GT(M::m_with_drums_y, 175);
  EXPECT_NEAR(std::hypot(M::m_with_drums_x - 120, M::m_with_drums_y - 175), 38, 1.0);
  EXPECT_NEAR(M::m_with_drums_x - 120, -(M::m_with_drums_y - 175), 0.01);
  // A drum just above the slider's top edge moves the slider down by 10.
  kit_.drums[0].x = 160;
  kit_.drums[0].y = 150;
  EXPECT_TRUE(kit_.SetDistanceMenuLocations(false));
  EXPECT_EQ(M::m_with_drums_slider_y, 153 + 10);
  // The smallest placed drum is still one to keep clear of.
  kit_.drums[0].size = 1;
  EXPECT_TRUE(kit_.SetDistanceMenuLocations(false));
}

TEST(MenuLocation, EnclosedPointGivesUp) {
  std::vector<MocapMarker::Position> ring;
  for (int i = 0; i < 64; ++i) {
    MocapMarker::Position p;
    p.x = 100 + 20 * std::cos(i * 6.2831853f / 64);
    p.y = 100 + 20 * std::sin(i * 6.2831853f / 64);
    ring.push_back(p);
  }
  float x, y;
  EXPECT_FALSE(FindBestLocation(ring, false, 100, 100, x, y));
  EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
  EXPECT_TRUE(FindBestLocation({}, false, 10, 20, x, y));
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
}

// The second menu button goes straight away from the first until two radii and a pixel part
// them; one already that far stays.
TEST(MenuLocation, SecondButtonKeepsApartFromTheFirst) {
  const float apart = 2 * DistanceMenu::m_menu_radius + 1;
  const MocapMarker::Position first{100, 100, 4};
  const struct {
    float x, y, want_x, want_y;
  } rows[] = {
      {106, 108, 100 + 0.6f * apart, 100 + 0.8f * apart},
      {100 - apart, 100, 100 - apart, 100},
      {130, 140, 130, 140},
  };
  for (const auto& r : rows) {
    float x = r.x, y = r.y;
    KeepButtonsApart(first, x, y);
    EXPECT_FLOAT_EQ(x, r.want_x) << r.x << " " << r.y;
    EXPECT_FLOAT_EQ(y, r.want_y) << r.x << " " << r.y;
  }
}

// Every hit disk stands off the drum's point along its own normal, and a cymbal's (or a hi-hat's,
// a cowbell's, a tambourine's) hit centre moves off the disk's middle within the disk's plane, on
// either side of the kit; a drum is hit at its middle.
TEST_F(Finding, HitCentresStayInTheirDisksPlane) {
  const struct {
    Sound::ElementType type;
    float x;
    bool moved;
  } cases[] = {{Sound::CRASH, 110, true},    {Sound::RIDE, 250, true},        {Sound::HIHAT, 90, true},
               {Sound::COWBELL, 200, true},  {Sound::TAMBOURINE, 60, true},   {Sound::CHINA, 280, true},
               {Sound::SNARE, 170, false},   {Sound::HIGH_TOM, 140, false}};
  const auto dot = [](const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " at " << c.x);
    DrumDisk d;
    SetDrumDisk(c.x, 100, 4, c.type, d, -1.0f);
    float p[3] = {c.x, 100, 4};
    Drumkit::CorrectCoords(p[0], p[1], p[2]);
    const float off[3] = {d.centre[0] - p[0], d.centre[1] - p[1], d.centre[2] - p[2]};
    const float along = dot(off, d.normal);
    EXPECT_NEAR(dot(off, off), along * along, 1e-7f);
    const float shift[3] = {d.hit_centre[0] - d.centre[0], d.hit_centre[1] - d.centre[1], d.hit_centre[2] - d.centre[2]};
    EXPECT_NEAR(dot(shift, d.normal), 0.0f, 1e-5f);
    const float length = std::sqrt(dot(shift, shift));
    if (c.moved) {
      EXPECT_GT(length, 0.25f * d.radius);
      EXPECT_LT(length, d.radius);
    } else {
      EXPECT_EQ(length, 0.0f);
    }
  }
}
