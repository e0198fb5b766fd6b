// The in-air menu: aiming, activation windows, hits, sliders and messages.
#include <gtest/gtest.h>

#include "drumming/distance_menu.h"
#include "tests/support/stroke_harness.h"

namespace {

class Menu : public ::testing::Test {
 protected:
  void SetUp() override {
    DistanceMenu::ResetButtonActivation();
    DistanceMenu::ClearMessages();
  }
  static DistanceMenu MakeMenu(bool needs_activation) {
    DistanceMenu m;
    m.buttons.push_back({102, "Done", 100, 100, 22, needs_activation, false});
    m.buttons.push_back({101, "Next", 200, 100, 22, needs_activation, false});
    return m;
  }
  static MocapMarker At(float x, float y) {
    MocapMarker m;
    m.Update(skyt_test::Blob(x, y), true);
    return m;
  }
};

}  // namespace

TEST_F(Menu, NearestButtonWithAndWithoutLimit) {
  DistanceMenu m = MakeMenu(false);
  MocapMarker::Position far{300, 230, 4};
  EXPECT_TRUE(m.FindMenuButton(far, true, false));  // alone, the nearest button is always aimed at
  EXPECT_EQ(m.dominant_active, 101);
  EXPECT_FALSE(m.FindMenuButton(far, true, true));
  EXPECT_EQ(m.dominant_active, kNoButton);
  EXPECT_EQ(DistanceMenu::m_previous_active_dominant, kNoButton);
  MocapMarker::Position edge{122, 100, 4};
  EXPECT_FALSE(m.FindMenuButton(edge, false, true));  // exactly the radius is outside
  MocapMarker::Position inside{121.9f, 100, 4};
  EXPECT_TRUE(m.FindMenuButton(inside, false, true));
  EXPECT_EQ(m.non_dominant_active, 102);
  DistanceMenu empty;
  EXPECT_FALSE(empty.FindMenuButton(inside, true, false));
}

// Each hand aims with its own side of the menu; a hand holding a slider keeps its aim.
TEST_F(Menu, EachHandAimsWithItsOwnSide) {
  const struct {
    bool dominant_held, other_held;
    int dominant, other;
  } cases[] = {{false, false, 102, 101}, {true, false, kNoButton, 101}, {false, true, 102, kNoButton}};
  const MocapMarker dominant = At(100, 100), other = At(200, 100);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dominant_held << c.other_held);
    DistanceMenu m = MakeMenu(false);
    m.dominant_slider_held = c.dominant_held;
    m.non_dominant_slider_held = c.other_held;
    m.DoButtonsAlone(dominant, other, true);
    EXPECT_EQ(m.dominant_active, c.dominant);
    EXPECT_EQ(m.non_dominant_active, c.other);
  }
}

TEST_F(Menu, ActivationTakesSixtyThreeFramesOfAiming) {
  DistanceMenu m = MakeMenu(true);
  MocapMarker::Position p{100, 100, 4};
  for (int frame = 1; frame <= 63; ++frame) {
    DistanceMenu::UpdateButtonActivation();
    m.FindMenuButton(p, true, false);
    EXPECT_FALSE(m.TestAndSetButtonHit(true, 500, 200)) << frame;
  }
  DistanceMenu::UpdateButtonActivation();  // the 64th frame sees a count of 63
  m.FindMenuButton(p, true, false);
  EXPECT_EQ(DistanceMenu::m_how_many_frames_for_dominant_hit, 125);
  EXPECT_FALSE(m.TestAndSetButtonHit(true, 200, 200));  // must be strictly faster
  EXPECT_TRUE(m.TestAndSetButtonHit(true, 201, 200));
  EXPECT_EQ(m.dominant_value, 1.0f);
  EXPECT_TRUE(m.WasHit(102));
  EXPECT_FLOAT_EQ(DistanceMenu::GetActivationProgress(), 1.0f);
  // The window counts down once the hand moves away, and moving onto another button while it is
  // open re-opens it.
  MocapMarker::Position away{150, 200, 4};
  for (int i = 0; i < 10; ++i) {
    DistanceMenu::UpdateButtonActivation();
    m.FindMenuButton(away, true, true);
  }
  // (the first update still saw the full count)
  EXPECT_EQ(DistanceMenu::m_how_many_frames_for_dominant_hit, 116);
  MocapMarker::Position next{200, 100, 4};
  m.FindMenuButton(next, true, true);
  EXPECT_EQ(DistanceMenu::m_how_many_frames_for_dominant_hit, 125);
  // The other hand has its own window.
  EXPECT_FALSE(m.IsButtonActivated(0, false));
  EXPECT_TRUE(m.IsButtonActivated(0, true));
  EXPECT_FALSE(m.IsButtonActivated(5, true));
  DistanceMenu::ResetButtonActivation();
  EXPECT_EQ(DistanceMenu::m_previous_active_dominant, 0);
}

TEST_F(Menu, MenuButtonHitNeedsItsWindow) {
  DistanceMenu m;
  m.buttons.push_back({103, "Menu", 100, 100, 22, true, false});
  m.HitButton(103, true);
  EXPECT_FALSE(m.WasHit(103));
  DistanceMenu::m_how_many_frames_for_dominant_hit = 1;
  m.HitButton(103, true);
  EXPECT_TRUE(m.WasHit(103));
  DistanceMenu other;
  other.HitButton(120, false);  // ordinary buttons fire at once
  EXPECT_TRUE(other.WasHit(120));
  EXPECT_FALSE(other.WasHit(161));
}

TEST_F(Menu, SliderGrabAndDrag) {
  DistanceMenu::Slider slider{104, "Volume|", 1, 50, 100, 100, 20, 50.0f, 100, 0, false};
  MocapMarker dominant = At(60, 110), other;
  {
    DistanceMenu m;
    m.sliders.push_back(slider);
    m.DoSliders(dominant, other);
    EXPECT_TRUE(m.slider_active);
    EXPECT_TRUE(m.dominant_slider_held);
    EXPECT_EQ(m.dominant_active, 104);
    EXPECT_EQ(m.dominant_value, 50.0f);
  }
  // 10 pixels to the right in one frame: 10 x 10 x 0.04 x 100 x 100 / 100 = 400, clamped.
  dominant.Update(skyt_test::Blob(70, 110), true);
  {
    DistanceMenu m;
    m.sliders.push_back(slider);
    m.DoSliders(dominant, other);
    EXPECT_EQ(m.dominant_value, 100.0f);
    EXPECT_EQ(m.sliders[0].value, 100.0f);
  }
  // A slow move of one pixel to the left: 1 x -1 x 0.04 x 100 = -4.
  dominant.Update(skyt_test::Blob(69, 110), true);
  {
    DistanceMenu m;
    m.sliders.push_back(slider);
    m.DoSliders(dominant, other);
    EXPECT_FLOAT_EQ(m.dominant_value, 46.0f);
  }
  // Leaving the band vertically ends the drag.
  dominant.Update(skyt_test::Blob(69, 150), true);
  {
    DistanceMenu m;
    m.sliders.push_back(slider);
    m.DoSliders(dominant, other);
    EXPECT_FALSE(m.slider_active);
    EXPECT_FALSE(m.dominant_slider_held);
  }
  // Taken again further along, the drag counts from where the hand came in: one pixel, +4.
  for (const float x : {90.0f, 91.0f}) {
    dominant.Update(skyt_test::Blob(x, 110), true);
    DistanceMenu m;
    m.sliders.push_back(slider);
    m.DoSliders(dominant, other);
    EXPECT_FLOAT_EQ(m.dominant_value, x == 90.0f ? 50.0f : 54.0f);
  }
  // A slider that needs activation is not grabbed while the hand's window is closed, and a
  // degenerate slider gives no non-number.
  DistanceMenu::ResetButtonActivation();
  MocapMarker fresh = At(60, 110);
  DistanceMenu m;
  m.sliders.push_back({104, "x", 0, 50, 100, 0, 20, 5.0f, 10, 10, true});
  m.DoSliders(fresh, other);
  EXPECT_FALSE(m.slider_active);
}

TEST_F(Menu, MessagesReplaceRefreshAndProtect) {
  DistanceMenu::AddMessage("one", 2, 0, 1000, false, false);
  DistanceMenu::AddMessage("one", 2, 0, 5000, true, false);
  EXPECT_EQ(DistanceMenu::m_messages["one"].milliseconds, 5000.0f);
  DistanceMenu::AddMessage("one", 2, 0, 0, false, false);  // only extended below 1500 ms
  EXPECT_EQ(DistanceMenu::m_messages["one"].milliseconds, 5000.0f);
  DistanceMenu::AddMessage("two", 3, 0, 1000, false, false);
  DistanceMenu::AddMessage("two", 3, 0, 0, false, false);
  EXPECT_FLOAT_EQ(DistanceMenu::m_messages["two"].milliseconds, 1016.66f);
  DistanceMenu::AddMessage("three", 3, 1, 0, false, false);  // replaces "two"
  EXPECT_EQ(DistanceMenu::m_messages.count("two"), 0u);
  EXPECT_EQ(DistanceMenu::m_messages["three"].milliseconds, 3000.0f);
  EXPECT_EQ(DistanceMenu::m_lines_to_messages[3], "three");
  DistanceMenu::AddMessage("warning", 4, 3, 0, false, false);
  DistanceMenu::AddMessage("normal", 4, 0, 0, false, false);  // a style-3 message stays
  EXPECT_EQ(DistanceMenu::m_lines_to_messages[4], "warning");
  DistanceMenu::AddMessage("urgent", 4, 3, 0, false, false);
  EXPECT_EQ(DistanceMenu::m_lines_to_messages[4], "urgent");
  DistanceMenu::AddMessage("kept", 5, 0, 0, false, true);
  DistanceMenu::AddMessage("urgent too", 5, 3, 0, false, false);
  EXPECT_EQ(DistanceMenu::m_lines_to_messages[5], "kept");
  // The same text moving to another line leaves its old line empty.
  DistanceMenu::AddMessage("three", 6, 1, 0, false, false);
  EXPECT_EQ(DistanceMenu::m_lines_to_messages.count(3), 0u);
  EXPECT_EQ(DistanceMenu::m_messages["three"].line, 6);
  // Ageing: 1000/125 ms per drawn frame.
  DistanceMenu::ClearMessages();
  DistanceMenu::AddMessage("short", 1, 0, 16, false, false);
  EXPECT_FALSE(DistanceMenu::PrintPersistentMessages(125));
  EXPECT_TRUE(DistanceMenu::PrintPersistentMessages(125));
  EXPECT_TRUE(DistanceMenu::m_lines_to_messages.empty());
}

TEST(SplitString, SkipsEmptyPieces) {
  std::vector<std::string> out;
  split_string("|Volume||& sensiti-|vity|", "|", out);
  EXPECT_EQ(out, (std::vector<std::string>{"Volume", "& sensiti-", "vity"}));
  out.clear();
  split_string("", "|", out);
  EXPECT_TRUE(out.empty());
}
