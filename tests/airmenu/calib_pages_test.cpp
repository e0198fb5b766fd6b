// The wizard's mouse pages driven through the display callback: the camera page's hand and
// stand form, the seat page's warning and buttons, the camera-stand page's "Done" twice, and
// the first two pages' pictures against their buttons at the window sizes the program takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "airmenu/calibration.h"
#include "airmenu/page_frame.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "drumming/library_calls.h"
#include "drumming/menu_ids.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/paths.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "library/drumkit_chooser.h"
#include "render/font.h"
#include "render/imgui.h"
#include "render/webcam_window.h"
#include "tests/support/fake_host_clock.h"
#include "tests/support/fake_libusb.h"
#include "tests/support/in_air_kit.h"
#include "tests/support/kit_choices.h"
#include "tests/support/test_dirs.h"
#include "tracking/webcam.h"

using skyt_test::Chosen;
using skyt_test::InAirKit;
using skyt_test::Scene;
using skyt_test::StrokeScript;

namespace {

std::string Settings() {
  std::ifstream in(MakePath(kPathConf, "skytapper.cfg"));
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class WizardPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_calls_ = library_calls;
    skyt_test::RecordKitChoices();
    drummer.kit_library = &drumkit_chooser;
    drummer.Is_Left_Handed = false;
    drummer.Use_Camera_Stand = false;
    kit_.Enter(kPlay);  // the way into the in-air states takes a few frames
  }
  void TearDown() override {
    library_calls = saved_calls_;
    imgui.font = nullptr;
    imgui.font_size = 0;
    imgui.mouse_down = false;
    imgui.mouse_x = imgui.mouse_y = -1;
  }
  // How many window pixels within r of a camera point pass the test.
  template <typename Test>
  int PixelsAround(float webcam_x, float webcam_y, int r, Test test) {
    const int x = int(WebcamWindowMapping::WebcamXToWindowX(webcam_x));
    const int y = int(WebcamWindowMapping::WebcamYToWindowY(webcam_y));
    int n = 0;
    for (int dx = -r; dx <= r; ++dx)
      for (int dy = -r; dy <= r; ++dy) n += test(kit_.gl().Pixel(x + dx, y + dy));
    return n;
  }
  // The wizard at a stage; first_run as the session's Never_Ran says.
  void Enter(Calibration::Stage stage, int param, bool never_ran) {
    drummer.Never_Ran = never_ran;
    ChangeInterfaceState(kWizard, param, 0, 0);
    calibration.Start(false);
    calibration.ChangeStage(stage);
    state_param = param;
    kit_.Frame(dark_);
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) kit_.Frame(dark_);
  }

  InAirKit kit_{"calib_pages"};
  LibraryCalls saved_calls_;
  const Scene dark_{};
};

// Where the pages put their buttons (left edge and top, y upwards), clicked in the middle.
int FormX() { return int(0.4 * WindowWidth()) + 12; }
int FormY() { return int(0.6 * WindowHeight()) - 12; }
enum FormBox { kRightHand = 35, kLeftHand = 70, kYes = 155, kNo = 190 };
int FormNextX() { return int(0.4 * WindowWidth()) + 90; }
int FormNextY() { return int(0.6 * WindowHeight()) - 240 - 20; }
int NextX(double at = 0.25) { return int(at * WindowWidth()) + 52; }
int NextY() { return int(0.16 * WindowHeight()) - 25; }

// The widgets of the last traced frame with this label.
int Traced(int text) {
  return int(std::count_if(imgui.trace.begin(), imgui.trace.end(),
                           [&](const Imgui::TraceItem& t) { return t.label == GetUtf8(text); }));
}

// What the window shows: a digest of its pixels, and how many are drawn over the dark ground.
struct Look {
  uint64_t digest = 1469598103934665603ull;
  int drawn = 0;
};
Look LookAt(const skyt_test::GlContext& gl) {
  Look look;
  for (int y = 0; y < gl.height(); ++y)
    for (int x = 0; x < gl.width(); ++x) {
      const auto p = gl.Pixel(x, y);
      for (int i = 0; i < 3; ++i) look.digest = (look.digest ^ uint64_t(p[i])) * 1099511628211ull;
      look.drawn += std::max({p[0], p[1], p[2]}) >= 24;
    }
  return look;
}

// Once answered (or not asked), the page shows its picture: the one it shows when entered anew.
TEST_F(WizardPagesTest, CameraPageAsksWhatTheSessionLacks) {
  const struct {
    bool never_ran, ran_after_update;
    std::vector<FormBox> clicks;
    bool left_handed, stand;
    std::vector<std::string> chosen;
    Calibration::Stage after_next;
  } cases[] = {
      {true, false, {kLeftHand, kNo}, true, false, {"My First Skytapper Kit (LH)"}, Calibration::kSeat},
      {true, false, {kRightHand, kYes}, false, true, {}, Calibration::kLighting},
      {true, false, {kLeftHand, kRightHand, kNo}, false, false, {}, Calibration::kSeat},  // the last hand checked
      {false, false, {kLeftHand, kNo}, false, false, {}, Calibration::kSeat},  // the stand question only
      {false, true, {}, false, false, {}, Calibration::kSeat},                 // no form
  };
  for (const auto& c : cases) {
    drummer.Is_Left_Handed = false;
    drummer.Use_Camera_Stand = false;
    drummer.Ran_After_Stand_Update = c.ran_after_update;
    Chosen().clear();
    Enter(Calibration::kCamera, 0, c.never_ran);
    imgui.tracing = true;
    Frames(50);  // the form fades in
    imgui.tracing = false;
    EXPECT_EQ(Traced(kTextBack), c.clicks.empty() ? 1 : 0);  // the form hides the page's buttons
    for (FormBox box : c.clicks) {
      kit_.Click(FormNextX(), FormNextY());  // greyed until answered
      EXPECT_EQ(drummer.Ran_After_Stand_Update, c.ran_after_update);
      kit_.Click(FormX(), FormY() - box);
    }
    if (!c.clicks.empty()) kit_.Click(FormNextX(), FormNextY());
    Frames(1);
    const Look answered = LookAt(kit_.gl());
    Enter(Calibration::kCamera, 0, false);
    Frames(1);
    const Look anew = LookAt(kit_.gl());
    EXPECT_GT(answered.drawn, kit_.gl().width() * kit_.gl().height() / 10);
    EXPECT_EQ(answered.digest, anew.digest);
    EXPECT_EQ(drummer.Is_Left_Handed, c.left_handed);
    EXPECT_EQ(drummer.Use_Camera_Stand, c.stand);
    EXPECT_EQ(Chosen(), c.chosen);
    EXPECT_FALSE(drummer.Never_Ran);
    EXPECT_TRUE(drummer.Ran_After_Stand_Update);
    if (c.never_ran) {
      EXPECT_NE(Settings().find("Never_Ran = false"), std::string::npos);
    }
    kit_.Click(NextX(drummer.Use_Camera_Stand ? 0.5 : 0.25), NextY());
    EXPECT_EQ(calibration.GetStage(), c.after_next);
  }
}

// A hand chosen in the form puts that hand's picture on the page at once: the page shows what a
// later entry, for the same hand and without the form, shows.
TEST_F(WizardPagesTest, CameraPageShowsThePictureOfTheHandChosen) {
  drummer.Ran_After_Stand_Update = false;
  const auto picture = [&] {
    std::vector<std::array<int, 4>> pixels;
    for (int y = WindowHeight() / 3; y < WindowHeight() * 9 / 10; y += 4)
      for (int x = WindowWidth() / 4; x < WindowWidth() * 3 / 4; x += 4) pixels.push_back(kit_.gl().Pixel(x, y));
    return pixels;
  };
  Enter(Calibration::kCamera, 0, true);
  Frames(50);  // the form fades in
  kit_.Click(FormX(), FormY() - kLeftHand);
  kit_.Click(FormX(), FormY() - kNo);
  kit_.Click(FormNextX(), FormNextY());
  Frames(2);
  const auto after_form = picture();
  ASSERT_TRUE(drummer.Is_Left_Handed);
  Enter(Calibration::kCamera, 0, false);
  Frames(2);
  EXPECT_TRUE(picture() == after_form);
}

// A move between the wizard's pages shows the next page's own picture: the one it shows when
// entered anew. Cancel on the first page goes home.
TEST_F(WizardPagesTest, EachMoveShowsTheNextPagesOwnPicture) {
  drummer.Ran_After_Stand_Update = true;  // the camera page without its form
  const int back = NextX() - 120;
  const struct {
    const char* move;
    Calibration::Stage from;
    int x;
    Calibration::Stage to;  // kIdle: the main screen
  } cases[] = {{"where to drum, Next", Calibration::kWhereToDrum, NextX(), Calibration::kCamera},
               {"camera, Next", Calibration::kCamera, NextX(), Calibration::kSeat},
               {"camera, Back", Calibration::kCamera, back, Calibration::kWhereToDrum},
               {"seat, Back", Calibration::kSeat, back, Calibration::kCamera},
               {"where to drum, Cancel", Calibration::kWhereToDrum, back, Calibration::kIdle}};
  const auto enter = [&](Calibration::Stage stage) {  // a first run whose form has been answered
    drummer.Never_Ran = true;
    ChangeInterfaceState(kWizard, 0, 0, 0);
    calibration.Start(false);
    drummer.Never_Ran = false;
    calibration.ChangeStage(stage);
    Frames(1);
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.move);
    enter(c.from);
    kit_.Click(c.x, NextY());
    EXPECT_EQ(calibration.GetStage(), c.to);
    if (c.to == Calibration::kIdle) {
      EXPECT_EQ(interface_state, kMainScreen);
      continue;
    }
    Frames(6);  // the camera settles in its new mode
    const Look moved = LookAt(kit_.gl());
    enter(c.to);
    Frames(6);
    EXPECT_EQ(moved.digest, LookAt(kit_.gl()).digest);
  }
}

// A press begun beside Next and let go over it is no click; one begun on it is.
TEST_F(WizardPagesTest, WhereToDrumGoesOnForAPressBegunOnNext) {
  drummer.Ran_After_Stand_Update = true;  // the camera page without its form
  const struct {
    Calibration::Stage stage;
    bool never_ran;
    int x;  // the button's
    Calibration::Stage after;
  } cases[] = {{Calibration::kWhereToDrum, true, NextX(), Calibration::kCamera},
               {Calibration::kCamera, false, NextX(), Calibration::kSeat},
               {Calibration::kSeat, false, NextX() - 120, Calibration::kIdle}};  // Back, home
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stage);
    Enter(c.stage, 0, c.never_ran);
    for (const bool on_next : {false, true}) {
      imgui.mouse_x = on_next ? c.x : c.x + 200;
      imgui.mouse_y = NextY();
      imgui.mouse_down = true;
      Frames(1);
      imgui.mouse_x = c.x;
      Frames(1);
      imgui.mouse_down = false;
      Frames(1);
      EXPECT_EQ(calibration.GetStage(), on_next ? c.after : c.stage);
    }
  }
  EXPECT_EQ(webcam.GetMode(), 1) << "home from the seat page, the camera tracks again";
}

// Each text of the faded-in form shows as glyphs: in the band from its baseline up, ink with
// paper between the strokes and partly covered edge pixels, not a filled box per glyph.
TEST_F(WizardPagesTest, CameraFormTextsShowGlyphsNotBoxes) {
  Font font;
  ASSERT_TRUE(font.Init("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 16, nullptr, 0));
  imgui.font = &font;
  imgui.font_size = 16;
  drummer.Ran_After_Stand_Update = false;
  imgui.tracing = true;
  Enter(Calibration::kCamera, 0, true);
  Frames(44);
  EXPECT_EQ(Traced(kTextWhichDominantHand), 0);  // the veil's last frame of fading; the form comes next
  Frames(6);
  imgui.tracing = false;
  // The page draws in window units over the whole colour buffer.
  const float sx = float(kit_.gl().width()) / WindowWidth(), sy = float(kit_.gl().height()) / WindowHeight();
  int texts = 0;
  for (const Imgui::TraceItem& t : imgui.trace) {
    if (t.label.empty() || (t.kind != Imgui::TraceKind::TEXT && t.kind != Imgui::TraceKind::CHECK_BOX)) continue;
    const bool box = t.kind == Imgui::TraceKind::CHECK_BOX;
    const float baseline = box ? t.y - (16 + 24) / 2.0f : t.y - 16.0f, left = box ? t.x + 33.0f : float(t.x);
    const int x0 = int(left * sx), x1 = int((left + font.GetWidth(t.label.c_str())) * sx);
    const int y0 = int(baseline * sy), y1 = int((baseline + 11) * sy);
    int ink = 0, paper = 0, edge = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const auto p = kit_.gl().Pixel(x, y);
        const int darkest = std::max({p[0], p[1], p[2]}), lightest = std::min({p[0], p[1], p[2]});
        if (darkest < 96) ++ink;
        else if (lightest > 200) ++paper;
        else ++edge;
      }
    const int all = (x1 - x0) * (y1 - y0);
    EXPECT_GT(ink, 0) << t.label;
    EXPECT_LT(ink, all / 2) << t.label;
    EXPECT_GT(paper, all / 4) << t.label;
    EXPECT_GT(edge, all / 20) << t.label;
    ++texts;
  }
  EXPECT_EQ(texts, 7);  // two questions, four answers, the note on the preferences
}

// A stage picture is loaded on its first try, whatever the clock shows; one that could not be
// read is tried again a second later, not before. A run of its own: the first try of the run.
TEST_F(WizardPagesTest, AStagePictureThatFailedIsTriedAgainASecondLater) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto run = [&] {
    // A picture from the images folder, not one of those built into the program.
    const std::string name = "a-picture-on-disk.png", path = "data/images/" + name;
    std::filesystem::create_directories("data/images");
    std::filesystem::copy_file(skyt_test::BuildDir() + "/generated/images/png/drummer-sitting-right.png", path);
    // Whether the window differs from what it shows without a picture.
    const auto drawn = [&] {
      kit_.gl().Clear();
      calibration.DrawCurrentImage(Calibration::kOverWindow);
      std::vector<std::array<int, 4>> pixels;
      for (int y = 0; y < kit_.gl().height(); y += 8)
        for (int x = 0; x < kit_.gl().width(); x += 8) pixels.push_back(kit_.gl().Pixel(x, y));
      return pixels;
    };
    const auto none = drawn();
    const auto shown = [&](uint64_t nanos) {
      skyt_test::SetHostTimeNanos(nanos);
      calibration.LoadStagePicture(name);
      return drawn() != none;
    };
    const struct {
      uint64_t now;
      bool readable, shown;
    } tries[] = {{500'000'000, true, true},         // the first try, half a second after boot
                 {2'000'000'000, false, false},     // fails
                 {2'999'999'999, true, false},      // too soon to try again
                 {3'000'000'000, true, true}};
    int step = 1;
    for (const auto& t : tries) {
      calibration.DeleteCurrentImage();
      if (!t.readable) std::filesystem::rename(path, path + ".kept");
      if (t.readable && !std::filesystem::exists(path)) std::filesystem::rename(path + ".kept", path);
      if (shown(t.now) != t.shown) std::_Exit(step);
      ++step;
    }
    std::_Exit(0);
  };
  EXPECT_EXIT(run(), testing::ExitedWithCode(0), "");
}

TEST_F(WizardPagesTest, SeatPageWarnsOfABrightPlaceAndOffersDoneLate) {
  const struct {
    int gain, param, frames;
    bool warning;
  } cases[] = {{20, 0, 62, true}, {21, 0, 62, false}, {20, 2, 62, false}, {20, 1, 62, true}, {20, 0, 61, false}};
  for (const auto& c : cases) {
    fake_usb::SetSensorRegister(0x00, uint8_t(c.gain));
    Enter(Calibration::kSeat, c.param, false);
    Frames(c.frames - 1);
    EXPECT_EQ(kit_.Line(9) == GetUtf8(26), c.warning) << c.gain << " " << c.param << " " << c.frames;
    DistanceMenu::ClearMessages();
  }
  fake_usb::SetSensorRegister(0x00, 40);
  Enter(Calibration::kSeat, 0, false);
  Frames(57);
  kit_.Click(NextX(), NextY());  // frames 59 and 60: no "Done" yet
  EXPECT_EQ(calibration.GetStage(), Calibration::kSeat);
  kit_.Click(NextX(), NextY());
  EXPECT_EQ(calibration.GetStage(), Calibration::kLighting);
  EXPECT_EQ(state_param, 0);
  fake_usb::SetSensorRegister(0x00, 10);
  Enter(Calibration::kSeat, 0, false);
  Frames(62);
  kit_.Click(int(0.25 * WindowWidth()) - 120 + 110, int(0.48 * WindowHeight()) - 25);  // "Check lighting"
  EXPECT_EQ(calibration.GetStage(), Calibration::kLightingFromSeat);
  EXPECT_EQ(state_param, 0);
}

// A wizard left without finishing (the camera was lost) and started again sets its first page
// up afresh: the seat page turns the camera to its colour view.
TEST_F(WizardPagesTest, AWizardStartedAgainSetsUpItsFirstPage) {
  Enter(Calibration::kSeat, 0, false);
  Frames(2);
  ChangeInterfaceState(kMainScreen, 0, 0, 0);
  webcam.ChangeMode(1);
  ChangeInterfaceState(kWizard, 0, 0, 0);
  calibration.Start(false);
  Frames(4);  // the way back into the in-air states takes a few frames
  EXPECT_EQ(calibration.GetStage(), Calibration::kSeat);
  EXPECT_EQ(webcam.GetMode(), 0);
}

// The home icon (top left) leaves the wizard from the pages that show the camera's picture.
TEST_F(WizardPagesTest, TheHomeIconLeavesTheWizardForTheMainScreen) {
  for (Calibration::Stage stage : {Calibration::kSeat, Calibration::kCamera, Calibration::kLighting}) {
    Enter(stage, 0, false);
    Frames(3);
    kit_.Click(38, 30);
    EXPECT_EQ(interface_state, kMainScreen) << stage;
    EXPECT_EQ(calibration.GetStage(), Calibration::kIdle) << stage;
  }
}

TEST_F(WizardPagesTest, StandPageFinishesOnTwoDonesWithin240Frames) {
  const struct {
    int rest;  // frames between the two strokes
    bool placed;
    bool finished;
  } cases[] = {{0, false, true}, {0, true, true}, {240, true, false}};
  for (const auto& c : cases) {
    drumkit.is_calibrated = c.placed;
    Enter(Calibration::kStand, 0, false);
    kit_.Run(StrokeScript::Rest(3));
    // No feet in view: the line the left foot goes on shows red.
    EXPECT_GT(PixelsAround(115, 20, 4, [](const auto& p) { return p[0] > 200 && p[1] < 60; }), 0);
    // "Done" is drawn as a usable control: a plain disc over the picture (the kit has no font,
    // so no label on it).
    const DistanceMenu::Button* done = kit_.Button(kDoneButton);
    ASSERT_NE(done, nullptr);
    const int cx = int(WebcamWindowMapping::WebcamXToWindowX(done->x));
    const int cy = int(WebcamWindowMapping::WebcamYToWindowY(239 - done->y));
    const int half = int(WebcamWindowMapping::WebcamWidthToWindowWidth(0.6f * done->size));
    EXPECT_EQ(kit_.gl().CountDiffering(cx - half, cy - half, cx + half, cy + half, kit_.gl().Pixel(cx, cy)), 0);
    kit_.Hit(kDoneButton);
    kit_.Run(StrokeScript::Rest(c.rest));
    kit_.Hit(kDoneButton);
    const bool left_stand = calibration.GetStage() != Calibration::kStand || interface_state != kWizard;
    EXPECT_EQ(left_stand, c.finished) << c.rest;
    if (!c.finished) continue;
    if (c.placed) {
      EXPECT_EQ(interface_state, kPlay);
      EXPECT_EQ(state_param, 1);
    } else {
      EXPECT_EQ(calibration.GetStage(), Calibration::kPlaceDrums);
      EXPECT_EQ(state_param2, 1);
      EXPECT_EQ(state_param3, 0);
    }
  }
}

// The target between the feet's lines turns green only with both feet in view and their middle
// on the kit's centre line.
TEST_F(WizardPagesTest, StandTargetTurnsGreenForBothFeetAboutTheCentre) {
  const struct {
    const char* what;
    Scene feet;
    bool green;
  } cases[] = {{"both feet about the centre", {{135, 219, 3.5f}, {185, 219, 3.5f}}, true},
               {"both feet right of the centre", {{150, 219, 3.5f}, {200, 219, 3.5f}}, false},
               {"one foot", {{135, 219, 3.5f}}, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Enter(Calibration::kStand, 0, false);
    Scene scene = StrokeScript::Rest(1)[0];
    scene.insert(scene.end(), c.feet.begin(), c.feet.end());
    kit_.Run(std::vector<Scene>(10, scene));
    const int green = PixelsAround(160, 20, 2, [](const auto& p) { return p[1] > 150 && p[0] < 60; });
    EXPECT_EQ(green > 0, c.green) << green;
  }
}

// A foot off its line is shown its icon above its own side of the picture, faded in; on the
// line the icon fades out.
TEST_F(WizardPagesTest, StandPageShowsEachFootOffItsLineAnIconOnItsOwnSide) {
  const auto icons_at = [&](float foot_y) {
    Enter(Calibration::kStand, 0, false);
    Scene scene = StrokeScript::Rest(1)[0];
    scene.insert(scene.end(), {{135, foot_y, 3.5f}, {185, foot_y, 3.5f}});
    kit_.Run(std::vector<Scene>(30, scene));
    std::vector<std::array<int, 4>> seen;
    for (const float x : {86.0f, 234.0f}) {
      const int wx = int(WebcamWindowMapping::WebcamXToWindowX(x)), wy = int(WebcamWindowMapping::WebcamYToWindowY(11));
      for (int d = -3; d <= 3; ++d) seen.push_back(kit_.gl().Pixel(wx + d, wy + d));
    }
    return seen;
  };
  const auto off = icons_at(190), on = icons_at(219);
  for (size_t side = 0; side < 2; ++side)
    EXPECT_FALSE(std::equal(off.begin() + 7 * side, off.begin() + 7 * side + 7, on.begin() + 7 * side)) << side;
}

// In the slow graphics mode a picture takes three calls; the one that shows it draws the same
// mouse buttons the normal mode draws on every call (home and full screen among them).
TEST_F(WizardPagesTest, StandPageShowsItsMouseButtonsInTheSlowMode) {
  const auto buttons = [&](int mode) {
    Enter(Calibration::kStand, 0, false);
    graphics_mode = mode;
    render_what = kPhaseBackground;
    imgui.tracing = true;
    Frames(3);
    imgui.tracing = false;
    graphics_mode = kGraphicsNormal;
    std::vector<std::array<int, 2>> at;
    for (const Imgui::TraceItem& t : imgui.trace)
      if (t.kind == Imgui::TraceKind::BUTTON || t.kind == Imgui::TraceKind::ICON_BUTTON) at.push_back({t.x, t.y});
    return at;
  };
  const auto normal = buttons(kGraphicsNormal);
  EXPECT_EQ(normal.size(), 4u) << "skip, back, home and full screen";
  EXPECT_EQ(buttons(kGraphicsSlow), normal);
}

// Whether the ring 3 pixels outside a widget's top and left sides runs from the window's dark
// ground onto something drawn: a picture's edge through or against the widget.
bool StraddlesAnEdge(const skyt_test::GlContext& gl, const Imgui::TraceItem& t) {
  int ground = 0, drawn = 0;
  const auto look = [&](int x, int y) {
    const auto p = gl.Pixel(x, y);
    (std::max({p[0], p[1], p[2]}) < 24 ? ground : drawn) += 1;
  };
  for (int x = t.x - 6; x <= t.x + t.w + 6; ++x) look(x, t.y + 6);
  for (int y = t.y - t.h - 6; y <= t.y + 6; ++y) look(t.x - 6, y);
  return ground > 0 && drawn > 0;
}

TEST(WizardPictures, BackAndNextStandClearOfThePanelAtEveryWindowSize) {
  const struct {
    int width, height;
    bool full_screen;  // else the program's window
  } sizes[] = {{960, 720, false}, {1280, 720, true},  {1366, 768, true},  {1280, 960, true},
               {1280, 1024, true}, {1680, 1050, true}, {1920, 1080, true}};
  const bool drums_full_screen = drummer.Drum_Full_Screen;
  drummer.Ran_After_Stand_Update = true;
  for (const auto& size : sizes) {
    InAirKit kit{"wizard_pictures", size.width, size.height};
    headless_window.screen_width = size.width;
    headless_window.screen_height = size.height;
    drummer.Drum_Full_Screen = size.full_screen;
    ChangeInterfaceState(kMainScreen, 0, 0, 0);
    for (Calibration::Stage stage : {Calibration::kWhereToDrum, Calibration::kCamera}) {
      drummer.Never_Ran = stage == Calibration::kWhereToDrum;
      ChangeInterfaceState(kWizard, 0, 0, 0);
      calibration.Start(false);
      calibration.ChangeStage(stage);
      imgui.tracing = true;
      kit.Run(StrokeScript::Rest(4));  // two of them while the window goes full screen
      imgui.tracing = false;
      ASSERT_EQ(WindowHeight(), size.height);
      for (const Imgui::TraceItem& t : imgui.trace) {
        if (t.kind != Imgui::TraceKind::BUTTON) continue;
        EXPECT_FALSE(StraddlesAnEdge(kit.gl(), t)) << size.width << "x" << size.height << " " << t.label;
      }
    }
    calibration.Finish();
    EXPECT_EQ(calibration.GetStage(), Calibration::kIdle);
    ChangeInterfaceState(kMainScreen, 0, 0, 0);
  }
  drummer.Drum_Full_Screen = drums_full_screen;
}

// The where-to-drum page's large picture needs a full screen at least 901 pixels high.
TEST(WizardPictures, TheLargePictureFromAFullScreen901High) {
  const struct {
    int screen_height, picture_height;
  } cases[] = {{900, 600}, {901, 850}};
  const bool drums_full_screen = drummer.Drum_Full_Screen;
  drummer.Drum_Full_Screen = true;
  for (const auto& c : cases) {
    InAirKit kit{"wizard_large_picture", 1280, c.screen_height};
    drummer.Never_Ran = true;
    ChangeInterfaceState(kWizard, 0, 0, 0);
    calibration.Start(false);
    calibration.ChangeStage(Calibration::kWhereToDrum);
    kit.Run(StrokeScript::Rest(4));
    kit.gl().Clear();
    calibration.DrawCurrentImage(Calibration::kNaturalSize);
    int rows = 0;  // rows the picture drew on
    for (int y = 0; y < kit.gl().height(); ++y)
      rows += kit.gl().CountDiffering(0, y, kit.gl().width(), y + 1, {0, 0, 0, 255}) > 0;
    EXPECT_EQ(rows, c.picture_height) << c.screen_height;
    calibration.Finish();
    ChangeInterfaceState(kMainScreen, 0, 0, 0);
  }
  drummer.Drum_Full_Screen = drums_full_screen;
  drummer.Never_Ran = false;
}

}  // namespace
