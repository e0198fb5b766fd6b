// The kit browsing page: browsing, Apply, and copying a preset before adjusting it.
#include <gtest/gtest.h>
#include <cstdio>
#include <fstream>

#include <string>
#include <vector>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "drumming/library_calls.h"
#include "drumming/menu_ids.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/platform/spawn.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "tests/support/adjust_kit.h"
#include "tests/support/in_air_kit.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"

using skyt_test::InAirKit;

namespace {

constexpr const char* kCopyFile = "conf/drumkits/Copy of Test.ini";

// The test kit, listed first, then two kits without files.
void ListThreeKits() {
  skyt_test::LoadAdjustKit();
  for (const char* name : {"Jazz", "Funk"}) {
    DrumkitChooser::LogicalDrumkit kit;
    kit.Name = name;
    drumkit_chooser.drumkits.push_back(kit);
  }
}

}  // namespace

TEST(KitPage, BrowsingWrapsAndAFailedApplyStillCountsAsAChange) {
  InAirKit kit("kit_page_browse");
  ListThreeKits();
  skyt_test::EnterPage(kit, kDrumKits, 0, 0, 0);
  EXPECT_TRUE(kit.Button(kApplyButton)->greyed);
  kit.Run(skyt_test::StrokeScript::FootTap(200));  // on the kick pedal
  EXPECT_TRUE(skyt_test::PlayingVoices().empty()) << "the drums are silent while browsing";
  kit.Run(skyt_test::StrokeScript::Rest(5));
  const struct {
    int button;
    const char* selected;
    bool apply_greyed;
  } steps[] = {{kPreviousButton, "Funk", false}, {kNextButton, "Test", true}, {kNextButton, "Jazz", false},
               {kNextButton, "Funk", false},     {kNextButton, "Test", true}};
  for (const auto& s : steps) {
    kit.Hit(s.button);
    kit.Frame({});
    EXPECT_EQ(kit.Line(2), std::string("Selected drum kit: ") + s.selected + ".");
    EXPECT_EQ(kit.Button(kApplyButton)->greyed, s.apply_greyed) << s.selected;
  }
  static bool screen_progress = true;
  library_calls.load_drumkit = [](DrumkitChooser&, Drumkit*, const std::string&, bool progress, bool) {
    screen_progress = progress;
    return -1;
  };
  kit.Hit(kNextButton);
  kit.Hit(kApplyButton);
  kit.Frame({});
  EXPECT_EQ(kit.Line(0), "Current drum kit: Test.");
  EXPECT_FALSE(screen_progress) << "the page draws its own progress in the air";
  std::ofstream("conf/skytapper.cfg") << "[Session]\n";
  drummer.session_loaded = true;
  int clicks = kit.Clicks();
  kit.Hit(kDoneButton);
  EXPECT_EQ(interface_state, kPlay);
  EXPECT_EQ(state_param, 2);
  EXPECT_EQ(kit.Clicks(), clicks + 1);
  EXPECT_NE(skyt_test::ReadFile("conf/skytapper.cfg").find("Last_Drumkit = Test"), std::string::npos);
  drummer.session_loaded = false;
  // The loaded user kit is adjusted in place.
  skyt_test::EnterPage(kit, kDrumKits, 0, 0, 0);
  clicks = kit.Clicks();
  kit.Hit(kAdjustDrumsButton);
  EXPECT_EQ(interface_state, kAdjustDrums);
  EXPECT_EQ(kit.Clicks(), clicks + 1);
}

TEST(KitPage, AnEmptyListOrAnUnlistedKitLeavesOnlyDone) {
  for (bool empty : {true, false}) {
    SCOPED_TRACE(empty);
    InAirKit kit("kit_page_unlisted");
    ListThreeKits();
    if (empty) drumkit_chooser.drumkits.clear();
    else drumkit_chooser.current_drumkit_name = "Gone";
    skyt_test::EnterPage(kit, kDrumKits, 0, 0, 0);
    for (const DistanceMenu::Button& b : kit.Menu().buttons) EXPECT_EQ(b.greyed, b.id != kDoneButton) << b.id;
    EXPECT_EQ(kit.Line(0), "Current drum kit: .");
    for (int id : {kNextButton, kPreviousButton, kApplyButton, kAdjustDrumsButton}) kit.Hit(id);
    EXPECT_EQ(interface_state, kDrumKits);
  }
}

TEST(KitPage, AdjustingAPresetWarnsOnceThenAdjustsASavedCopy) {
  InAirKit kit("kit_page_preset");
  ListThreeKits();
  drumkit.is_user_kit = false;
  drumkit_chooser.drumkits[0].Is_Preset = true;
  const std::string preset = skyt_test::ReadFile("conf/drumkits/test.ini");
  std::vector<std::string> boxes;
  SetCommandRunner([&](const std::vector<std::string>& argv, const std::string*) {
    boxes.push_back(argv.empty() ? "" : argv[0]);
    return CommandResult{};
  });
  skyt_test::EnterPage(kit, kDrumKits, 0, 0, 0);
  kit.Hit(kAdjustDrumsButton);
  EXPECT_EQ(interface_state, kDrumKits);
  EXPECT_EQ(kit.Line(16), GetUtf8(108));
  EXPECT_EQ(kit.Line(17), GetUtf8(512));

  // The preset's calibration can not be read: a message box, and the next hit tries again.
  rename("conf/drumkits/test.ini", "conf/drumkits/kept.ini");
  kit.Hit(kAdjustDrumsButton);
  EXPECT_EQ(interface_state, kDrumKits);
  EXPECT_EQ(boxes, std::vector<std::string>{"zenity"});
  rename("conf/drumkits/kept.ini", "conf/drumkits/test.ini");

  const int clicks = kit.Clicks();
  kit.Hit(kAdjustDrumsButton);
  EXPECT_EQ(interface_state, kAdjustDrums);
  EXPECT_EQ(state_param, kAdjustDrums);
  EXPECT_EQ(kit.Clicks(), clicks + 1);
  const std::string copy = skyt_test::ReadFile(kCopyFile);
  EXPECT_NE(copy.find("Name = Copy of Test"), std::string::npos) << copy;
  EXPECT_NE(copy.find("Is_Preset = no"), std::string::npos) << "the copy is the player's own kit";
  EXPECT_NE(copy.find("[Drumkit calibration]"), std::string::npos);
  EXPECT_EQ(drumkit_chooser.current_drumkit_name, "Copy of Test");
  EXPECT_EQ(skyt_test::ReadFile("conf/drumkits/test.ini"), preset);
  SetCommandRunner(nullptr);
}
