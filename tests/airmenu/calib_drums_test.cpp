// Placing the drums: the order the wizard asks for them and a scripted placement through the
// camera into the page.
#include "airmenu/calib_drums.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "airmenu/calibration.h"
#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/library_calls.h"
#include "drumming/menu_ids.h"
#include "airmenu/viewer_link.h"
#include "library/drumkit_chooser.h"
#include "tests/support/free_ports.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/viewer_probe.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "render/webcam_window.h"
#include "tests/support/in_air_kit.h"

using skyt_test::InAirKit;
using skyt_test::StrokeScript;

namespace {

struct KitDrum {
  const char* name;
  Sound::ElementType type;
  int category;
  int element;  // -1: missing
};

void MakeKit(Drumkit& kit, const std::vector<KitDrum>& drums) {
  kit.drums.assign(drums.size(), Drumkit::Drum());
  kit.drum_to_element.clear();
  for (size_t i = 0; i < drums.size(); ++i) {
    std::strncpy(kit.drums[i].name, drums[i].name, sizeof(kit.drums[i].name) - 1);
    kit.drums[i].type = drums[i].type;
    kit.drums[i].category = drums[i].category;
    kit.drum_to_element[int(i)] = drums[i].element;
  }
}

constexpr int kHand = Sound::CATEGORY_HAND, kFoot = Sound::CATEGORY_FOOT, kBoth = Sound::CATEGORY_HAND_AND_FOOT;

TEST(CalibDrums, OrderAndMissingLine) {
  const struct {
    std::vector<KitDrum> drums;
    std::vector<int> order;
    int first_foot;
    const char* missing;
  } cases[] = {
      // The hi-hat twice: by hand at 1300 among the hands, by foot after the kick's 1250.
      {{{"Kick", Sound::KICK, kFoot, 0}, {"Hat", Sound::HIHAT, kBoth, 1}, {"Snare", Sound::SNARE, kHand, 2},
        {"Ride", Sound::RIDE, kHand, 3}, {"Cow", Sound::COWBELL, kHand, 4}},
       {2, 1, 3, 4, 0, 1}, 4, ""},
      // Two crashes in index order.
      {{{"CrashB", Sound::CRASH, kHand, 0}, {"Tom", Sound::HIGH_TOM, kHand, 1}, {"CrashA", Sound::CRASH, kHand, 2}},
       {1, 0, 2}, 3, ""},
      {{{"Snare", Sound::SNARE, kHand, -1}, {"Tom", Sound::HIGH_TOM, kHand, 1}},
       {1}, 1, "The Snare is missing, skipping it"},
      {{{"Snare", Sound::SNARE, kHand, -1}, {"Tom", Sound::HIGH_TOM, kHand, 1}, {"Kick", Sound::KICK, kFoot, -1}},
       {1}, 1, "The Snare and Kick are missing, skipping them."},
      {{{"Snare", Sound::SNARE, kHand, -1}, {"Tom", Sound::HIGH_TOM, kHand, -1}, {"Kick", Sound::KICK, kFoot, -1}},
       {}, 0, "The Snare, Tom and Kick are missing, skipping them."},
  };
  for (const auto& c : cases) {
    Drumkit kit;
    MakeKit(kit, c.drums);
    const PlacingOrder order = ComputePlacingOrder(kit);
    EXPECT_EQ(order.order, c.order);
    EXPECT_EQ(order.first_foot, c.first_foot);
    EXPECT_EQ(MissingDrumsLine(order.missing), c.missing);
  }
}

int& Saves() {
  static int saves = 0;
  return saves;
}
// Whether the kit file can be written.
bool& SaveWorks() {
  static bool works = false;
  return works;
}

// The in-air kit's grid kit (0 hi-hat by hand and foot, 1 kick, 2 mid tom, 3 floor tom...) in
// the wizard's placing stage, with a viewer connected and the kit saves counted.
class PlacingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Saves() = 0;
    saved_calls_ = library_calls;
    SaveWorks() = false;
    library_calls.save_with_calibration = [](DrumkitChooser&, std::string& path, std::string& message) {
      ++Saves();
      path = "placed.ini";
      if (!SaveWorks()) message = "Could not save the drumkit to ./conf/drumkits/Grid.ini.";
      return SaveWorks();
    };
    library_calls.commit_kit_file = [](DrumkitChooser&, const std::string& temp, bool complete, std::string&) {
      std::remove(temp.c_str());
      return complete;
    };
    drummer.kit_library = &drumkit_chooser;
    const int first = skyt_test::FreePorts(4);
    viewer_ports = {first, first + 1, first + 2, first + 3};
    ASSERT_TRUE(InitSockets(nullptr, true));
    probe_ = std::make_unique<skyt_test::ViewerProbe>(skyt_test::ProbePorts{first, first + 1, first + 2, first + 3},
                                                      [] { UpdateSockets(); });
    ASSERT_TRUE(probe_->Connect());
    show_drumming_ui_when_client_connected = true;  // the pages show beside the viewer
    probe_->Run(2);
    probe_->TakeMessages();
  }
  void TearDown() override {
    probe_.reset();
    CleanUpSockets();
    library_calls = saved_calls_;
  }
  void Enter(bool placed, int param, int param2, int param3 = 0) {
    drumkit.is_calibrated = placed;
    calibration.ChangeStage(Calibration::kPlaceDrums);
    ChangeInterfaceState(kWizard, param, param2, param3);
    kit_.Settle();
  }
  // How many messages of each code the viewer got: [code].
  std::map<int, int> Codes() {
    probe_->Run(3);
    std::map<int, int> n;
    for (const auto& m : probe_->TakeMessages()) ++n[m.code];
    return n;
  }
  void Strike(float x, float y) { kit_.Run(StrokeScript::MenuStroke(x, y)); }
  void Press(int id) {
    const DistanceMenu::Button* b = kit_.Button(id);
    ASSERT_NE(b, nullptr) << id;
    kit_.Run(StrokeScript::Rest(30));  // the stick leaves the last button first
    kit_.Run(StrokeScript::Activation(b->x, b->y, 70));  // 63 frames activate it
    kit_.Hit(id);
  }

  InAirKit kit_{"calib_drums"};
  LibraryCalls saved_calls_;
  std::unique_ptr<skyt_test::ViewerProbe> probe_;
};

// Saved at once; a save that fails shows why and leaves the kit unplaced, to be placed again.
// Each part's lines name its drum.
TEST_F(PlacingTest, ANeverPlacedKitIsSavedAtOnceAndStaysUnplacedWhenThatFails) {
  for (const bool works : {true, false}) {
    SaveWorks() = works;
    Saves() = 0;
    DistanceMenu::ClearMessages();
    Enter(false, 0, 0);  // order: tom, hat | kick, hat pedal; old positions cleared
    EXPECT_EQ(drumkit.drums[0].size, 0);
    EXPECT_EQ(drumkit.shown_marker_type, MOCAP_MARKER_HAND);  // the tom's hand part is shown
    EXPECT_NE(kit_.Line(0).find("Drum2"), std::string::npos) << kit_.Line(0);
    EXPECT_EQ(kit_.Line(1), GetUtf8(kTextDrummingGestureWhere));
    EXPECT_EQ(kit_.Button(kBackButton), nullptr);
    EXPECT_EQ(kit_.Button(kNextButton), nullptr);
    Strike(150, 100);
    EXPECT_NEAR(drumkit.drums[2].x, 150, 2);
    EXPECT_NE(kit_.Button(kBackButton), nullptr);
    Strike(60, 180.5f);  // below the red line at 180
    EXPECT_EQ(kit_.Line(9), GetUtf8(52));
    EXPECT_EQ(drumkit.drums[0].size, 0);
    Strike(60, 120);
    EXPECT_NEAR(drumkit.drums[0].y, 120, 2);
    EXPECT_EQ(drumkit.shown_marker_type, MOCAP_MARKER_FOOT);  // then the kick's pedal
    EXPECT_NE(kit_.Line(0).find("Kick"), std::string::npos) << kit_.Line(0);
    EXPECT_EQ(kit_.Line(1), GetUtf8(kTextFootFirmlyWhere));
    kit_.Run(StrokeScript::FootTap(200));
    EXPECT_GT(drumkit.drums[1].foot_size, 0);
    kit_.Run(StrokeScript::FootTap(90));
    EXPECT_EQ(interface_state, kPlay);
    EXPECT_EQ(Saves(), 1);
    EXPECT_EQ(drumkit.is_calibrated, works);
    EXPECT_EQ(kit_.Line(2), works ? "" : GetUtf8(526));
    EXPECT_EQ(kit_.Line(3), works ? "" : "Could not save the drumkit to ./conf/drumkits/Grid.ini.");
    const auto codes = Codes();
    EXPECT_EQ(codes.count(3) ? codes.at(3) : 0, 2);  // one move per hand part
    EXPECT_EQ(codes.count(4) ? codes.at(4) : 0, 2);  // one per pedal
  }
}

TEST_F(PlacingTest, PlaceAllDrumsFromTheHubKeepsPositionsAndDoesNotSave) {
  drumkit.SetVolume(1, 33, false);
  Enter(true, kAdjustDrums, 1);
  ASSERT_NE(kit_.Button(kNextButton), nullptr);  // every part placed: each can be skipped
  // Next is drawn as a usable control: its face lets the red line at row 180 show through.
  const DistanceMenu::Button* next = kit_.Button(kNextButton);
  const auto on_line = kit_.gl().Pixel(int(WebcamWindowMapping::WebcamXToWindowX(next->x)),
                                       int(WebcamWindowMapping::WebcamYToWindowY(239 - 180)));
  EXPECT_GT(on_line[0], on_line[1] + 20);
  Press(kNextButton);  // the tom keeps its place
  EXPECT_NE(kit_.Button(kBackButton), nullptr);
  Strike(60, 120);
  kit_.Run(StrokeScript::FootTap(200));  // the kick again: its sound settings stay
  EXPECT_EQ(drumkit.GetVolume(1, false), 33);
  const auto codes = Codes();
  EXPECT_EQ(codes.count(3) ? codes.at(3) : 0, 1);
  EXPECT_EQ(codes.count(4) ? codes.at(4) : 0, 1);
  kit_.Run(StrokeScript::FootTap(90));
  EXPECT_EQ(interface_state, kAdjustDrums);
  EXPECT_EQ(state_param2, 1);
  EXPECT_EQ(Saves(), 0);
}

TEST_F(PlacingTest, TheReadyScreenComesFirstWhenAsked) {
  Enter(false, 0, 1, 1);
  EXPECT_EQ(kit_.Line(8), GetUtf8(13));
  ASSERT_NE(kit_.Button(kStartButton), nullptr);
  Press(kStartButton);
  EXPECT_EQ(kit_.Button(kStartButton), nullptr);
  EXPECT_NE(kit_.Button(kNextButton), nullptr);  // old positions kept: the tom can be skipped
  EXPECT_EQ(drumkit.shown_drum, 2);
}

TEST_F(PlacingTest, KitsThatChangeOrLackEveryElement) {
  skyt_test::LoadGridKit(drumkit, 4);  // tom 2, tom 3, hat | kick, hat
  drumkit.SetDistanceMenuLocations(false);
  Enter(false, 0, 0);
  Strike(150, 100);
  EXPECT_EQ(drumkit.shown_drum, 3);
  skyt_test::LoadGridKit(drumkit, 3);  // a viewer reload: drum 3 is gone
  kit_.Run(StrokeScript::Rest(3));
  EXPECT_EQ(drumkit.shown_drum, 2);
  for (auto& [drum, element] : drumkit.drum_to_element) element = -1;
  Enter(false, 0, 0);
  EXPECT_EQ(interface_state, kPlay);
  EXPECT_EQ(kit_.Line(8), "The Hat, Kick and Drum2 are missing, skipping them.");
}

}  // namespace
