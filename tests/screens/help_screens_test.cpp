// Help pages at 709 and 720 pixels, the first-run guide, Previous, Finish and Close, About and
// back to the same page, the start-up help box saved, the manual opened without a shell.
#include <set>
#include <tuple>

#include "tests/screens/screen_test_support.h"

namespace {

using skyt_test::Fakes;

class HelpScreens : public skyt_test::ScreenTest {};

TEST_F(HelpScreens, RowsFollowThePictureNaturalOrStretched) {
  struct Case { int h; const char* language; int top, nav, box, manual_w, box_x, about_x, about_w; const char* draw; };
  const Case cases[] = {
      {720, "en", 71, 259, 51, 346, 405, 814, 104, "draw 0"},
      {709, "en", 74, 260, 55, 346, 405, 814, 104, "draw 2"},
      {720, "ru", 71, 259, 51, 446, 505, 814, 124, "draw 0"},
      {720, "ja", 71, 259, 51, 346, 405, 794, 124, "draw 0"},
  };
  for (const auto& c : cases) {
    SetLanguage(c.language);
    Height(c.h);
    Fakes::calls.clear();
    Enter(kHelpScreen, 0);
    const auto* manual = FindText(376);
    const auto* close = FindText(326);
    const auto* about = FindText(378);
    const auto boxes = All(Imgui::TraceKind::CHECK_BOX);
    ASSERT_TRUE(manual && close && about && boxes.size() == 1u) << c.h << c.language;
    EXPECT_EQ(manual->y, c.top) << c.h;
    EXPECT_EQ(manual->w, c.manual_w) << c.language;
    EXPECT_EQ(close->y, c.nav) << c.h;
    EXPECT_EQ(boxes[0].y, c.box) << c.h;
    EXPECT_EQ(boxes[0].x, c.box_x) << c.language;
    EXPECT_EQ(about->x, c.about_x) << c.language;
    EXPECT_EQ(about->w, c.about_w) << c.language;
    EXPECT_TRUE(Fakes::Called(c.draw)) << c.h;
    EXPECT_EQ(Shown(306), "greyed");
  }
}

TEST_F(HelpScreens, FirstRunLeadsFromPageOneToConfigureAudio) {
  drummer.Never_Ran = true;
  Enter(kHelpScreen, -3);
  EXPECT_TRUE(Fakes::Called("load ./data/images/help1.png"));
  ASSERT_GE(Fakes::calls.size(), 2u);
  EXPECT_EQ(Fakes::calls[0], "delete") << "a picture the screen before left is let go first";
  EXPECT_EQ(Shown(306), "missing");
  EXPECT_EQ(Shown(326), "missing");
  ASSERT_TRUE(Click(7));
  Frame();
  EXPECT_TRUE(Fakes::Called("load ./data/images/help2.png"));
  EXPECT_EQ(Shown(306), "active");
  EXPECT_EQ(Shown(7), "missing");
  EXPECT_EQ(Shown(345), "missing");
  ASSERT_TRUE(Click(377));
  EXPECT_EQ(interface_state, kLatencyScreen);
}

TEST_F(HelpScreens, PreviousGoesBackAPageFinishAndCloseLeaveForTheMainScreen) {
  Enter(kHelpScreen, 2);
  Fakes::calls.clear();
  ASSERT_TRUE(Click(306));
  Frame();
  EXPECT_TRUE(Fakes::Called("load ./data/images/help1.png"));
  for (int button : {345, 326}) {
    Enter(kHelpScreen, 2);
    ASSERT_TRUE(Click(button));
    EXPECT_EQ(interface_state, kMainScreen) << button;
    EXPECT_EQ(Fakes::calls.back(), "delete") << button;  // the page's picture let go
  }
}

// The first start's greyed help page is page 1's picture with each greyed widget where the
// widget it stands for will be.
TEST_F(HelpScreens, TheGreyedFirstPageStandsWherePageOneWillBe) {
  auto places = [this] {
    std::set<std::tuple<Imgui::TraceKind, int, int, int>> out;
    for (const auto& t : imgui.trace)
      if (t.kind != Imgui::TraceKind::TEXT) out.insert({t.kind, t.x, t.y, t.w});
    return out;
  };
  for (const char* language : {"en", "ru"}) {
    SetLanguage(language);
    Enter(kHelpScreen, 1);
    const auto page = places();
    Fakes::calls.clear();
    input->Frame([] { DoHelpScreen1Greyed(); });
    if (language == std::string("en")) {
      EXPECT_TRUE(Fakes::Called("load ./data/images/help1.png"));
    }
    const auto greyed = places();
    EXPECT_EQ(greyed.size(), 5u);
    for (const auto& p : greyed) EXPECT_EQ(page.count(p), 1u) << language << " x " << std::get<1>(p);
  }
}

TEST_F(HelpScreens, AboutReturnsToThePageItCameFrom) {
  Enter(kHelpScreen, 2);
  ASSERT_TRUE(Click(378));
  EXPECT_EQ(interface_state, kAboutScreen);
  Fakes::calls.clear();
  Frame();
  EXPECT_TRUE(Fakes::Called("load ./data/images/about-light.png"));
  ASSERT_TRUE(Click(326));
  EXPECT_EQ(interface_state, kHelpScreen);
  Fakes::calls.clear();
  Frame();
  EXPECT_TRUE(Fakes::Called("load ./data/images/help2.png"));
  EXPECT_EQ(Shown(345), "active");
}

TEST_F(HelpScreens, StartupBoxIsSavedAndTheManualOpensWithXdgOpen) {
  Enter(kHelpScreen, 1);
  const auto box = All(Imgui::TraceKind::CHECK_BOX).at(0);
  EXPECT_EQ(box.value, 0);
  ClickAt(box.x + 12, box.y - 12);
  EXPECT_TRUE(drummer.Wants_Startup_Help);
  EXPECT_NE(skyt_test::ReadFile("conf/skytapper.cfg").find("Wants_Startup_Help = true"), std::string::npos);
  ASSERT_TRUE(Click(376));
  ASSERT_EQ(Fakes::launched.size(), 1u);
  EXPECT_EQ(Fakes::launched[0], std::string("xdg-open ") + kManualAddress);
}

TEST_F(HelpScreens, WithoutXdgOpenTheManualsAddressIsShown) {
  SetCommandLauncher([](const std::vector<std::string>&) { return false; });
  Enter(kHelpScreen, 1);
  ASSERT_TRUE(Click(376));
  ASSERT_EQ(Fakes::messages.size(), 1u);
  EXPECT_NE(Fakes::messages[0].find(kManualAddress), std::string::npos) << Fakes::messages[0];
  EXPECT_EQ(Fakes::boxes, std::vector<std::string>{"warning"});
}

}  // namespace
