// The kit model: per-type defaults, volume maps and the kit file's calibration section.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "drumming/drumkit.h"
#include "drumming/kit_carry.h"
#include "frame/ini_file.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"

using skyt_test::KitDrum;

namespace {

using skyt_test::ReadFile;

// The [Drumkit calibration] part of a kit file, from its header on.
std::string CalibrationPart(const std::string& text) {
  size_t at = text.find("[Drumkit calibration]");
  return at == std::string::npos ? std::string() : text.substr(at);
}

class KitModel : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = skyt_test::FreshDir("kit_model");
    chdir_ = std::make_unique<skyt_test::ScopedChdir>(dir_);
    skyt_test::ResetSound();
    kit_.Init();
  }
  std::string dir_;
  std::unique_ptr<skyt_test::ScopedChdir> chdir_;
  Drumkit kit_;
};

using Map = Drumkit::VolumeMap;
std::vector<std::pair<float, float>> Points(std::initializer_list<std::pair<float, float>> p) { return p; }

}  // namespace

TEST(VolumeMap, TwoPointMapsInterpolateAndClamp) {
  Map m;
  auto p = Points({{1260, 1}, {0, 0}});
  m.SetVolume(p);
  EXPECT_EQ(p.front().first, 0);  // the caller's vector is sorted in place
  EXPECT_FLOAT_EQ(m.GetVolume(630), 0.5f);
  EXPECT_FLOAT_EQ(m.GetVolume(2000), 1.0f);
  EXPECT_FLOAT_EQ(m.GetVolume(-5), 0.0f);
  EXPECT_FLOAT_EQ(m.GetMaxSpeed(), 1260);
  EXPECT_EQ(m.GetVolume(NAN), 0.0f);
  EXPECT_EQ(m.GetVolume(INFINITY), 1.0f);
  // A map from a kit file may start above speed 0: the line runs between its own two points.
  auto raised = Points({{200, 0.2f}, {1200, 0.7f}});
  m.SetVolume(raised);
  EXPECT_FLOAT_EQ(m.GetVolume(700), 0.45f);
  EXPECT_FLOAT_EQ(m.GetVolume(100), 0.15f);

  Map empty;
  EXPECT_EQ(empty.GetVolume(10), 1.0f);
  EXPECT_EQ(empty.GetMaxSpeed(), 0.0f);  // no second point to read
  auto one = Points({{100, 0.5f}});
  empty.SetVolume(one);
  EXPECT_EQ(empty.GetVolume(10), 1.0f);
  EXPECT_EQ(empty.GetMaxSpeed(), 0.0f);
}

TEST(VolumeMap, EqualSpeedsDoNotDivideByZero) {
  Map m;
  auto p = Points({{0, 0}, {0, 1}});  // sensitivity 100
  m.SetVolume(p);
  EXPECT_EQ(m.GetVolume(0.5f), 1.0f);
  EXPECT_EQ(m.GetVolume(0.0f), 0.0f);
  auto q = Points({{0, 0}, {500, 0.5f}, {500, 0.9f}, {1000, 1}});
  m.SetVolume(q);
  for (float s : {0.f, 250.f, 500.f, 750.f, 1000.f, 5000.f}) {
    float v = m.GetVolume(s);
    EXPECT_TRUE(std::isfinite(v)) << s;
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 1);
  }
  // Beyond repeated speeds the curve starts afresh: it is the spline of the points after them.
  auto r = Points({{0, 0}, {500, 0.5f}, {500, 0.6f}, {1000, 0.9f}, {1500, 1}});
  auto t = Points({{500, 0.6f}, {1000, 0.9f}, {1500, 1}});
  Map tail;
  m.SetVolume(r);
  tail.SetVolume(t);
  for (float s : {750.f, 1250.f}) EXPECT_NEAR(m.GetVolume(s), tail.GetVolume(s), 1e-5) << s;
}

TEST(VolumeMap, SplineMapsPassThroughTheirPoints) {
  Map m;
  auto p = Points({{0, 0}, {500, 0.8f}, {1000, 1}});
  m.SetVolume(p);
  EXPECT_NEAR(m.GetVolume(0), 0, 1e-5);
  EXPECT_NEAR(m.GetVolume(500), 0.8f, 1e-5);
  EXPECT_NEAR(m.GetVolume(1000), 1.0f, 1e-5);
  EXPECT_EQ(m.GetVolume(3000), 1.0f);
  EXPECT_GT(m.GetVolume(250), 0.4f);  // a natural spline bulges above the chord here
  std::vector<std::pair<float, float>> samples;
  m.Evaluate(samples);
  ASSERT_EQ(samples.size(), 20u);
  EXPECT_NEAR(samples.back().first, 1200, 1e-2);
  EXPECT_EQ(m.GetMaxSpeed(), 1000);  // where it reaches its top
}

TEST(VolumeMap, SensitivityIsSavedAndRead) {
  Map m;
  m.MakeOnePointMap(1260);
  char buffer[128] = {};
  FILE* f = fmemopen(buffer, sizeof(buffer), "w");
  ASSERT_TRUE(m.SaveIni("Drum0", f, MOCAP_MARKER_HAND));
  fclose(f);
  int s = 0;
  ASSERT_EQ(sscanf(buffer, "Drum0.Hand.Sensitivity = %d", &s), 1);
  EXPECT_TRUE(s == 37 || s == 36) << buffer;

  // A spline map from an old kit file keeps its reach when written as a sensitivity.
  auto p = Points({{0, 0}, {500, 0.8f}, {1000, 1}});
  m.SetVolume(p);
  f = fmemopen(buffer, sizeof(buffer), "w");
  ASSERT_TRUE(m.SaveIni("Drum0", f, MOCAP_MARKER_HAND));
  fclose(f);
  EXPECT_STREQ(buffer, "Drum0.Hand.Sensitivity = 50\n");
}

TEST_F(KitModel, TypeDefaultsFollowTheTable) {
  EXPECT_EQ(kit_.order_weights.size(), 21u);
  EXPECT_EQ(kit_.order_weights[Sound::SNARE], 933);
  EXPECT_EQ(kit_.order_weights[Sound::RIDE], 1900);
  EXPECT_EQ(kit_.type_animations[Sound::HIHAT_SPLASH], 8);
  EXPECT_EQ(kit_.type_defaults.size(), 22u);
  EXPECT_EQ(kit_.type_defaults[Sound::ElementType(255)].volume, 60);
  EXPECT_EQ(kit_.type_defaults[Sound::KICK].spare, 60.0f);
  EXPECT_EQ(kit_.type_defaults[Sound::SNARE].spare, 50.0f);
  EXPECT_NE(kit_.type_icon_paths[Sound::CRASH].find("data/images/crash"), std::string::npos);
  EXPECT_NE(default_pedal_path.find("pedal"), std::string::npos);

  int hihat = skyt_test::AddElement(Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT);
  int kick = skyt_test::AddElement(Sound::KICK, Sound::CATEGORY_FOOT);
  ASSERT_TRUE(skyt_test::LoadKit(kit_, {{"hh", Sound::HIHAT, 2, hihat}, {"bd", Sound::KICK, 1, kick}, {"x", Sound::CUSTOM_HAND, 0, -1}}, ""));
  kit_.SetDrumDefaults(0);
  EXPECT_NEAR(kit_.drums[0].hand_map.points[1].first, 1400, 1e-3);
  EXPECT_NEAR(kit_.drums[0].foot_map.points[1].first, 134, 1e-3);
  EXPECT_EQ(sound.GetElementVolume(hihat, false), 35);
  EXPECT_EQ(sound.GetElementCurve(hihat, false), 0);
  EXPECT_EQ(sound.GetElementVolume(hihat, true), 29);
  EXPECT_EQ(sound.GetElementCurve(hihat, true), 3);
  kit_.SetDrumDefaults(1);
  EXPECT_NEAR(kit_.drums[1].foot_map.points[1].first, 160, 1e-3);
  EXPECT_NEAR(kit_.drums[1].hand_map.points[1].first, 1000, 1e-3);
  // A drum without an element: getters give 0 and setters change nothing.
  kit_.SetVolume(2, 90, false);
  EXPECT_EQ(kit_.GetVolume(2, false), 0);
  EXPECT_EQ(kit_.GetVolumeCurve(2, true), Sound::CURVE_LINEAR);
  EXPECT_EQ(kit_.GetDrumkitElementToSoundElement(7), -1);
  // An unknown type gets the fallback record.
  kit_.drums[2].type = Sound::ElementType(40);
  kit_.SetDrumDefaults(2);
  EXPECT_EQ(kit_.type_defaults[Sound::ElementType(40)].hand_sensitivity, 40.0f);
}

TEST_F(KitModel, KitWithoutCalibrationIsNotCalibrated) {
  int snare = skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND);
  int kick = skyt_test::AddElement(Sound::KICK, Sound::CATEGORY_FOOT);
  int hihat = skyt_test::AddElement(Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT);
  ASSERT_TRUE(skyt_test::LoadKit(kit_, {{"sn", Sound::SNARE, 0, snare}, {"bd", Sound::KICK, 1, kick}, {"hh", Sound::HIHAT, 2, hihat}}, ""));
  EXPECT_FALSE(kit_.is_calibrated);
  EXPECT_EQ(sound.GetElementVolume(snare, false), 75);
  EXPECT_EQ(sound.GetElementVolume(hihat, true), 75);
  EXPECT_EQ(kit_.drums[0].hand_map.points, Points({{0, 0}, {500, 1}}));
  EXPECT_EQ(kit_.drums[1].foot_map.points, Points({{0, 0}, {50, 1}}));
  EXPECT_EQ(kit_.drums[1].pedal_foot_range, -4.0f);
  EXPECT_FLOAT_EQ(kit_.drums[2].midi_hand_filter_threshold, 0.03f);
  EXPECT_FLOAT_EQ(kit_.drums[0].midi_hand_filter_threshold, 0.01f);
  EXPECT_FLOAT_EQ(kit_.drums[0].midi_rimshot_threshold, 1.0f);
  EXPECT_FLOAT_EQ(kit_.drums[2].midi_bow_edge_threshold, 1.0f);
  EXPECT_EQ(kit_.midi_notes.size(), 3u);
  // Default icons: kick beater and drum, hi-hat bottom and top, pedals.
  ASSERT_EQ(kit_.drums[1].icons.size(), 2u);
  EXPECT_EQ(kit_.drums[1].icons[0].offset_y, -90.0f);
  ASSERT_EQ(kit_.drums[2].icons.size(), 2u);
  EXPECT_EQ(kit_.drums[2].icons[0].animations.size(), 2u);
  EXPECT_EQ(kit_.drums[2].icons[1].animations[1].type, 1);
  EXPECT_EQ(kit_.drums[0].icons.size(), 1u);
  EXPECT_FALSE(kit_.drums[1].pedal_icon.animations.empty());
}

// A drum draws at most four icons: a fifth named in the kit file is not read.
TEST_F(KitModel, ADrumKeepsAtMostFourIcons) {
  int snare = skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND);
  std::string icons;
  for (int k = 0; k < 5; ++k)
    icons += "Drum0.icon" + std::to_string(k) + ".path = missing" + std::to_string(k) + ".png\n";
  ASSERT_TRUE(skyt_test::LoadKit(kit_, {{"sn", Sound::SNARE, 0, snare}}, icons));
  EXPECT_EQ(kit_.drums[0].icons.size(), 4u);
}

TEST_F(KitModel, CalibrationRoundTripKeepsKeysAndLegend) {
  int snare = skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND);
  int kick = skyt_test::AddElement(Sound::KICK, Sound::CATEGORY_FOOT);
  int hihat = skyt_test::AddElement(Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT);
  const char* calibration =
      "Left_Choke_Zone_Param1 = 190.5\nRight_Choke_Zone_Param1 = 210\n"
      "Drum0.x = 150\nDrum0.y = 160\nDrum0.size = 4\nDrum0.Hand.Sensitivity = 37\nDrum0.volume = 80\n"
      "Drum0.volume_curve = 1\nDrum0.midi_hand_filter_threshold = 0.05\nDrum0.midi_rimshot_threshold = 0.9\n"
      "Drum2.foot_x = 160\nDrum2.foot_y = 220\nDrum2.foot_size = 5\n"
      "Drum2.Foot.Sensitivity = 25\nDrum2.volume = 60\nDrum2.midi_foot_filter_threshold = 0.4\n"
      "Drum1.x = 100\nDrum1.y = 120\nDrum1.size = 3.5\nDrum1.foot_x = 80\nDrum1.foot_y = 225\nDrum1.foot_size = 5\n"
      "Drum1.pedal_lowest_foot_y = 228\nDrum1.pedal_foot_range = 5\nDrum1.Hand.Sensitivity = 30\n"
      "Drum1.Foot.Sensitivity = 33\nDrum1.volume = 35\nDrum1.volume2 = 29\nDrum1.volume_curve2 = 3\n"
      "Drum1.hihat_splash_sensitivity = 40\nDrum1.hihat_clutch_openness = 50\nDrum1.midi_bow_edge_threshold = 0.7\n";
  std::vector<KitDrum> drums = {{"sn", Sound::SNARE, 0, snare}, {"hh", Sound::HIHAT, 2, hihat}, {"bd", Sound::KICK, 1, kick}};
  ASSERT_TRUE(skyt_test::LoadKit(kit_, drums, calibration));
  EXPECT_TRUE(kit_.is_calibrated);
  EXPECT_FLOAT_EQ(kit_.left_choke_distance, 190.5f);
  EXPECT_EQ(kit_.drums[2].pedal_lowest_foot_y, 220.0f);  // defaults to foot_y
  EXPECT_EQ(kit_.drums[1].pedal_foot_range, -5.0f);
  EXPECT_EQ(sound.GetElementCurve(hihat, true), 3);
  EXPECT_EQ(kit_.drums[1].hihat_clutch_openness, 50.0f);

  std::string path = "conf/drumkits/test.ini";
  std::string first_header = ReadFile(path).substr(0, ReadFile(path).find("[Drumkit calibration]"));
  std::ofstream(path) << first_header;  // what the library writes before the calibration
  ASSERT_TRUE(kit_.SaveCalibrationInfo(path));
  std::string written = ReadFile(path);
  std::string part = CalibrationPart(written);
  EXPECT_EQ(part.rfind("[Drumkit calibration]\n\n" + Drumkit::GetDrumkitCalibrationLegend() + "Left_Choke_Zone_Param1 = 190.500000\n", 0), 0u);
  EXPECT_NE(part.find("Drum2.pedal_foot_range = 4.000000\n"), std::string::npos);
  EXPECT_NE(part.find("Drum1.volume_curve2 = 3\n"), std::string::npos);
  EXPECT_NE(part.find("Drum0.midi_rimshot_threshold = 0.900000\n"), std::string::npos);
  EXPECT_EQ(part.find("Drum2.x ="), std::string::npos);  // a foot drum has no hand keys
  EXPECT_EQ(written.substr(written.size() - 3), "\n\n\n");
  // Every key read is written back with its value.
  std::istringstream keys(calibration);
  for (std::string line; std::getline(keys, line);) {
    const std::string key = line.substr(0, line.find(" = ") + 3);
    const size_t at = part.find("\n" + key);
    ASSERT_NE(at, std::string::npos) << key;
    EXPECT_FLOAT_EQ(std::stof(part.substr(at + 1 + key.size())), std::stof(line.substr(key.size()))) << key;
  }

  // Read back and write again: the same section.
  Drumkit again;
  again.Init();
  ASSERT_TRUE(again.InitFromChooser(sound, path, {"sn", "hh", "bd"}, {Sound::SNARE, Sound::HIHAT, Sound::KICK},
                                    {0, 2, 1}, {{0, snare}, {1, hihat}, {2, kick}}, -1, false, true, false));
  std::ofstream(path) << first_header;
  ASSERT_TRUE(again.SaveCalibrationInfo(path));
  std::string second = CalibrationPart(ReadFile(path));
  EXPECT_EQ(part, second);  // sensitivities included: the integer read is written back
}

// An element edit reloads the kit from its file: what the drums held in memory, saved or not,
// goes over to the reloaded drums, so the kit saves as it did before the reload.
TEST_F(KitModel, KeptDrumsGiveTheReloadedKitWhatItsDrumsHeld) {
  int snare = skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND);
  int hihat = skyt_test::AddElement(Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT);
  int kick = skyt_test::AddElement(Sound::KICK, Sound::CATEGORY_FOOT);
  const std::vector<KitDrum> drums = {{"sn", Sound::SNARE, 0, snare}, {"hh", Sound::HIHAT, 2, hihat}, {"bd", Sound::KICK, 1, kick}};
  ASSERT_TRUE(skyt_test::LoadKit(
      kit_, drums,
      "Left_Choke_Zone_Param1 = 150\nRight_Choke_Zone_Param1 = 170\n"
      "Drum0.x = 150\nDrum0.y = 160\nDrum0.size = 4\nDrum0.Hand.Sensitivity = 37\nDrum0.volume = 80\n"
      "Drum0.volume_curve = 1\nDrum0.midi_hand_filter_threshold = 0.05\nDrum0.midi_rimshot_threshold = 0.9\n"
      "Drum1.x = 100\nDrum1.y = 120\nDrum1.size = 3.5\nDrum1.foot_x = 80\nDrum1.foot_y = 225\nDrum1.foot_size = 5\n"
      "Drum1.pedal_lowest_foot_y = 228\nDrum1.pedal_foot_range = 5\nDrum1.Hand.Sensitivity = 30\n"
      "Drum1.Foot.Sensitivity = 33\nDrum1.volume = 35\nDrum1.volume2 = 29\nDrum1.volume_curve = 2\n"
      "Drum1.volume_curve2 = 3\nDrum1.hihat_splash_sensitivity = 40\nDrum1.hihat_clutch_openness = 50\n"
      "Drum1.midi_bow_edge_threshold = 0.7\nDrum1.midi_hand_filter_threshold = 0.2\n"
      "Drum1.midi_foot_filter_threshold = 0.3\nDrum2.foot_x = 160\nDrum2.foot_y = 220\nDrum2.foot_size = 6\n"
      "Drum2.pedal_lowest_foot_y = 223\nDrum2.pedal_foot_range = 7\nDrum2.Foot.Sensitivity = 25\nDrum2.volume = 60\n"
      "Drum2.volume_curve = 1\nDrum2.midi_foot_filter_threshold = 0.4\n"));
  ASSERT_TRUE(kit_.SaveCalibrationInfo("before.ini"));
  const KeptDrums kept(kit_);
  ASSERT_TRUE(skyt_test::LoadKit(kit_, drums, ""));
  kept.PutInto(kit_, CarriedDrums({"sn", "hh", "bd"}, {"sn", "hh", "bd"}));
  EXPECT_TRUE(kit_.is_calibrated);
  ASSERT_TRUE(kit_.SaveCalibrationInfo("after.ini"));
  EXPECT_EQ(ReadFile("after.ini"), ReadFile("before.ini"));
}

// Each new drum takes the first old drum of its element not yet taken; the rest are dropped.
TEST(CarriedDrums, EachNewDrumTakesTheFirstFreeOldDrumOfItsElement) {
  const struct {
    std::vector<std::string> old_elements, new_elements;
    std::map<int, int> old_to_new;
  } cases[] = {
      {{"sn", "hh", "bd"}, {"bd", "sn"}, {{0, 1}, {2, 0}}},
      {{"tom", "tom", "sn"}, {"tom", "sn", "tom", "tom"}, {{0, 0}, {1, 2}, {2, 1}}},
      {{"sn"}, {}, {}},
      {{}, {"sn"}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(CarriedDrums(c.old_elements, c.new_elements), c.old_to_new) << c.old_elements.size();
}

// Chooser lists shorter than the kit's element map leave the drums past them unnamed hand drums.
TEST_F(KitModel, DrumsPastTheChoosersListsAreUnnamedHandDrums) {
  int kick = skyt_test::AddElement(Sound::KICK, Sound::CATEGORY_FOOT);
  int snare = skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND);
  kit_.InitFromChooser(sound, "none.ini", {"bd"}, {Sound::KICK}, {Sound::CATEGORY_FOOT}, {{0, kick}, {1, snare}}, -1,
                       false, true, false);
  ASSERT_EQ(kit_.drums.size(), 2u);
  EXPECT_EQ(kit_.drums[0].category, Sound::CATEGORY_FOOT);
  EXPECT_EQ(kit_.drums[1].category, Sound::CATEGORY_HAND);
  EXPECT_STREQ(kit_.drums[1].name, "");
}

TEST_F(KitModel, DrumWithoutSamplesKeepsItsPlaceAndItsLines) {
  using namespace std::string_literals;
  int snare = skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND);
  int tom = skyt_test::AddElement(Sound::HIGH_TOM, Sound::CATEGORY_HAND);
  ASSERT_TRUE(skyt_test::LoadKit(kit_, {{"sn", Sound::SNARE, 0, snare}, {"gone", Sound::CRASH, 0, -1}, {"tom", Sound::HIGH_TOM, 0, tom}},
                                 "Drum0.x = 10\nDrum0.y = 10\nDrum0.size = 3\nDrum1.x = 7.5\nDrum1.odd\0key = 1\n"
                                 "Drum2.x = 50\nDrum2.y = 60\nDrum2.size = 4\n"s));
  EXPECT_TRUE(kit_.is_calibrated);  // the drum without samples does not count
  std::string path = "out.ini";
  ASSERT_TRUE(kit_.SaveCalibrationInfo(path));
  std::string part = CalibrationPart(ReadFile(path));
  EXPECT_NE(part.find("Drum1.x = 7.5\n"), std::string::npos);
  // A kept line holding a NUL byte is written whole and does not run into the next line.
  EXPECT_NE(part.find("Drum1.odd\0key = 1\n"s), std::string::npos);
  EXPECT_NE(part.find("\nDrum2.x = 50.000000"), std::string::npos);
  EXPECT_EQ(part.find("Drum1.y"), std::string::npos);  // nothing is added to the kept lines
}

TEST_F(KitModel, DamagedKitFileValuesAreReplaced) {
  int snare = skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND);
  int hihat = skyt_test::AddElement(Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT);
  ASSERT_TRUE(skyt_test::LoadKit(
      kit_, {{"sn", Sound::SNARE, 0, snare}, {"hh", Sound::HIHAT, 2, hihat}},
      "Left_Choke_Zone_Param1 = nan\nDrum0.x = nan\nDrum0.y = 100\nDrum0.size = inf\nDrum0.volume = 250\n"
      "Drum0.volume_curve = 9\nDrum0.Hand.Sensitivity = 180\nDrum0.midi_hand_filter_threshold = 7\n"
      "Drum1.pedal_foot_range = 0\nDrum1.volume2 = -4\nDrum1.volume_curve2 = -1\nDrum1.hihat_clutch_openness = 1e9\n"
      "Drum1.Foot.Sensitivity = -50\n"));
  EXPECT_EQ(kit_.left_choke_distance, 200.0f);
  EXPECT_EQ(kit_.drums[0].x, 0.0f);
  EXPECT_EQ(kit_.drums[0].size, 0.0f);
  EXPECT_EQ(sound.GetElementVolume(snare, false), 100);
  EXPECT_EQ(sound.GetElementCurve(snare, false), 3);
  EXPECT_EQ(kit_.drums[0].hand_map.GetMaxSpeed(), 0.0f);  // sensitivity held at 100
  EXPECT_EQ(kit_.drums[0].midi_hand_filter_threshold, 1.0f);
  EXPECT_EQ(kit_.drums[1].pedal_foot_range, -4.0f);
  EXPECT_EQ(sound.GetElementVolume(hihat, true), 0);
  EXPECT_EQ(sound.GetElementCurve(hihat, true), 0);
  EXPECT_EQ(kit_.drums[1].hihat_clutch_openness, 100.0f);
  EXPECT_EQ(kit_.drums[1].foot_map.GetMaxSpeed(), 200.0f);  // sensitivity held at 0
}

TEST_F(KitModel, SaveToAnUnwritablePlaceReportsFailure) {
  int snare = skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND);
  ASSERT_TRUE(skyt_test::LoadKit(kit_, {{"sn", Sound::SNARE, 0, snare}}, ""));
  EXPECT_FALSE(kit_.SaveCalibrationInfo("no-such-dir/kit.ini"));
  EXPECT_FALSE(kit_.SaveCalibrationInfo("/dev/full"));
}

TEST_F(KitModel, PresetKitsShiftPedalsForTheCameraStand) {
  int kick = skyt_test::AddElement(Sound::KICK, Sound::CATEGORY_FOOT);
  int hihat = skyt_test::AddElement(Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT);
  std::string cal = "Drum0.foot_x = 100\nDrum1.foot_x = 200\n";
  std::string path = "conf/drumkits/p.ini";
  skyt_test::LoadKit(kit_, {{"bd", Sound::KICK, 1, kick}, {"hh", Sound::HIHAT, 2, hihat}}, cal, "p.ini", true);
  std::vector<std::string> names = {"bd", "hh"};
  std::vector<Sound::ElementType> types = {Sound::KICK, Sound::HIHAT};
  std::vector<Sound::ElementCategory> cats = {1, 2};
  std::map<int, int> map = {{0, kick}, {1, hihat}};
  kit_.InitFromChooser(sound, path, names, types, cats, map, -1, true, true, true);
  EXPECT_EQ(kit_.drums[0].foot_x, 131.0f);
  EXPECT_EQ(kit_.drums[1].foot_x, 217.0f);
  EXPECT_FALSE(kit_.is_user_kit);
  kit_.InitFromChooser(sound, path, names, types, cats, map, -1, false, true, true);
  EXPECT_EQ(kit_.drums[0].foot_x, 100.0f);
  kit_.InitFromChooser(sound, path, names, types, cats, map, -1, true, false, true);
  EXPECT_EQ(kit_.drums[0].foot_x, 100.0f);
}

// A kit whose file cannot be read keeps its drums unplaced: saved, every place and pedal of
// them is written as nothing (zero).
TEST_F(KitModel, AKitWithoutItsFileSavesItsDrumsUnplaced) {
  int snare = skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND);
  int kick = skyt_test::AddElement(Sound::KICK, Sound::CATEGORY_FOOT);
  int hihat = skyt_test::AddElement(Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT);
  EXPECT_FALSE(kit_.InitFromChooser(sound, "conf/drumkits/gone.ini", {"sn", "bd", "hh"},
                                    {Sound::SNARE, Sound::KICK, Sound::HIHAT},
                                    {Sound::CATEGORY_HAND, Sound::CATEGORY_FOOT, Sound::CATEGORY_HAND_AND_FOOT},
                                    {{0, snare}, {1, kick}, {2, hihat}}, -1, false, true, false));
  ASSERT_TRUE(kit_.SaveCalibrationInfo("unplaced.ini"));
  const std::string text = ReadFile("unplaced.ini");
  for (const char* lines : {"Drum0.x = 0.000000\nDrum0.y = 0.000000\nDrum0.size = 0.000000\n",
                            "Drum1.foot_x = 0.000000\nDrum1.foot_y = 0.000000\nDrum1.foot_size = 0.000000\n",
                            "Drum2.x = 0.000000\nDrum2.y = 0.000000\nDrum2.size = 0.000000\n",
                            "Drum2.foot_x = 0.000000\nDrum2.foot_y = 0.000000\nDrum2.foot_size = 0.000000\n"})
    EXPECT_NE(text.find(lines), std::string::npos) << lines << "in\n" << text;
}
