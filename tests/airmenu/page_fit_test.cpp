// Every in-air page and wizard stage, drawn by the program's display callback on the fake camera in
// a window set up as the program sets it up, with the installed fonts: button labels inside their
// round buttons, slider labels inside their sliders, message lines inside the window and clear of
// the buttons and sliders, no button over another, every target with its own id, and the wizard's
// mouse forms whole and clear of each other. Labels may shrink to fit, down to a 40th of the
// window's height. One table of pages, run in every language in full screen on a 1280x1024 screen
// (the narrowest for its height), and in one language each in the 960x720 window and in full screen
// on a 1920x1080 screen. With SKYTAPPER_GALLERY naming a folder, each page is also written there as
// <language>/<size>/<page>.png. Each page in each size's first language is compared with its kept
// picture.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "airmenu/calibration.h"
#include "airmenu/page_frame.h"
#include "app/app.h"
#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "drumming/menu_ids.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "library/drumkit_chooser.h"
#include "render/font.h"
#include "render/imgui.h"
#include "render/webcam_window.h"
#include "tests/support/in_air_kit.h"
#include "tests/support/kept_pictures.h"
#include "tests/support/layout_fit.h"
#include "tests/support/preset_kits.h"
#include "tests/support/stroke_harness.h"

using skyt_test::InAirKit;
using skyt_test::StrokeScript;

namespace {

struct Page {
  const char* name;
  int state, param;
  Calibration::Stage stage;  // kIdle outside the wizard
  int hit;                   // a button hit once on the page (kNoButton: none)
  bool first_run = false;    // the session's Never_Ran (the camera page then asks hand and stand)
  int notice = -1;           // the message line the hit brings up
  bool preset_kit = false;   // the first preset kit in place of the small test kit
};

const Page kPages[] = {
    {"drumming", kPlay, 0, Calibration::kIdle, kNoButton},
    {"drumming after the wizard", kPlay, 1, Calibration::kIdle, kNoButton},
    {"drumming, the first preset kit", kPlay, 0, Calibration::kIdle, kNoButton, false, -1, true},
    {"menu", kPlayMenu, 0, Calibration::kIdle, kNoButton},
    {"adjust drums", kAdjustDrums, 0, Calibration::kIdle, kNoButton},
    {"place all drums prompt", kAdjustDrums, 0, Calibration::kIdle, kPlaceAllDrumsButton},
    {"sound", kAdjustVolumes, 0, Calibration::kIdle, kNoButton},
    {"one volume", kAdjustAnyVolume, 139, Calibration::kIdle, kNoButton},
    {"move drum", kMoveDrum, 0, Calibration::kIdle, kNoButton},
    {"hi-hat range", kAdjustHihatRangeAndSplash, 0, Calibration::kIdle, kNoButton},
    {"hi-hat clutch", kAdjustHihatClutch, 0, Calibration::kIdle, kNoButton},
    {"cymbal choking", kAdjustCymbalChoking, 0, Calibration::kIdle, kNoButton},
    {"hi-hat and cymbals", kHihatAndCymbals, 0, Calibration::kIdle, kNoButton},
    {"songs", kPlaySong, 0, Calibration::kIdle, kNoButton},
    {"metronome", kMetronome, 0, Calibration::kIdle, kNoButton},
    {"MIDI", kAdjustMidiSettings, 0, Calibration::kIdle, kNoButton},
    {"move drums", kMoveDrumsSubMenu, 0, Calibration::kIdle, kNoButton},
    {"drum kits", kDrumKits, 0, Calibration::kIdle, kNoButton},
    {"preset notice", kDrumKits, 0, Calibration::kIdle, kAdjustDrumsButton, false, 16},
    {"viewer start", kClientStartScreen, 0, Calibration::kIdle, kNoButton},
    {"wizard: where to drum", kWizard, 0, Calibration::kWhereToDrum, kNoButton},
    {"wizard: camera", kWizard, 0, Calibration::kCamera, kNoButton},
    {"wizard: camera, first run", kWizard, 0, Calibration::kCamera, kNoButton, true},
    {"wizard: seat", kWizard, 0, Calibration::kSeat, kNoButton},
    {"wizard: lighting", kWizard, 0, Calibration::kLighting, kNoButton},
    {"wizard: place drums", kWizard, 0, Calibration::kPlaceDrums, kNoButton},
    {"wizard: stand", kWizard, 1, Calibration::kStand, kNoButton},
};

// A screen the in-air pages are shown on: the window the program opens (960x720), or the whole
// screen when the pages are played full screen (the session's default).
struct Screen {
  const char* name;
  int width, height;
  bool full_screen;
  std::vector<const char*> languages;
};

// The other sizes in one language each (every language takes seconds at these sizes): the
// longest lines, and a CJK font.
const Screen kScreens[] = {
    {"1280x1024", 1280, 1024, true, {std::begin(skyt_test::kLanguageCodes), std::end(skyt_test::kLanguageCodes)}},
    {"960x720", 960, 720, false, {"ru"}},
    {"1920x1080", 1920, 1080, true, {"ja"}},
};

// Window pixels (y upwards) of camera pixels (y downwards).
float WindowX(float x) { return WebcamWindowMapping::WebcamXToWindowX(x); }
float WindowY(float y) { return WebcamWindowMapping::WebcamYToWindowY(239.0f - y); }
float WindowRadius(float r) { return WebcamWindowMapping::WebcamWidthToWindowWidth(r); }

// A box in window pixels, y upwards.
struct Box {
  float left, bottom, right, top;
};

Box SliderBox(const DistanceMenu::Slider& s) {
  return {WindowX(float(s.x)), WindowY(float(s.y + s.height)), WindowX(float(s.x + s.width)), WindowY(float(s.y))};
}

// Whether a round button reaches into the box by more than a pixel.
bool ButtonOver(const DistanceMenu::Button& b, const Box& box) {
  const float x = WindowX(b.x), y = WindowY(b.y);
  const float dx = x - std::clamp(x, box.left, box.right), dy = y - std::clamp(y, box.bottom, box.top);
  const float r = WindowRadius(b.size) - 1.0f;
  return dx * dx + dy * dy < r * r;
}

bool ButtonsOverlap(const DistanceMenu::Button& a, const DistanceMenu::Button& b) {
  const float dx = WindowX(a.x) - WindowX(b.x), dy = WindowY(a.y) - WindowY(b.y);
  const float r = WindowRadius(a.size) + WindowRadius(b.size) - 1.0f;
  return dx * dx + dy * dy < r * r;
}

// A '|'-separated label, its lines a font's height apart, may shrink to keep each line's ink
// (0.7 of the font's height about the line's middle) at both ends inside 0.9 of the button's
// radius, but not below a 40th of the window's height (18 pixels in a 720-pixel window).
bool LabelInside(const DistanceMenu::Button& b, const Font& font) {
  std::vector<std::string> lines;
  split_string(b.label, "|", lines);
  const float fh = font.GetPixelSize(), n = float(lines.size());
  const float least = std::min(1.0f, float(WindowHeight()) / 40.0f / fh);
  const float room = 0.9f * WindowRadius(b.size) / least;
  for (size_t i = 0; i < lines.size(); ++i) {
    const float dy = std::fabs((n - 1) * 0.5f - float(i)) * fh + 0.35f * fh;
    const float dx = font.GetWidth(lines[i].c_str()) / 2;
    if (dx * dx + dy * dy > room * room) return false;
  }
  return true;
}

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

class PageFit : public ::testing::Test {
 protected:
  void TearDown() override {
    imgui.tracing = false;
    DistanceMenu::m_message_font = DistanceMenu::m_message_windowed_font = nullptr;
    fonts_[0].reset();
    fonts_[1].reset();
    drumkit_chooser.drumkits.clear();
  }

  // The program's window on this screen, its in-air pages entered from the drumming page.
  void OpenWindow(const Screen& screen) {
    kit_.reset();  // its folder is the new one's
    kit_ = std::make_unique<InAirKit>("page_fit");
    preset_loaded_ = false;
    // The window's ground where no picture covers it, as the program's start-up sets it.
    glClearColor(background_color[0], background_color[1], background_color[2], background_color[3]);
    // A fresh window on the main screen.
    interface_state = kMainScreen;
    full_screen = false;
    full_screen_toggle_frames = 0;
    headless_window.screen_width = screen.width;
    headless_window.screen_height = screen.height;
    drummer.Drum_Full_Screen = screen.full_screen;
    screen_height_ = screen.height;
    kit_->Enter(kPlay);
  }

  // The message fonts the program makes at start-up (for the screen's height and for its
  // 720-pixel window) and the widget GUI's font and metrics, in the current language.
  void InstallFonts() {
    const float lines = float(GetNumTextLines()) * GetLineHeightRatio();
    DistanceMenu::CleanUp();
    DistanceMenu::m_line_height_ratio = GetLineHeightRatio();
    fonts_[0].reset(skyt_test::MakeLanguageFont(float(screen_height_) / lines));
    fonts_[1].reset(skyt_test::MakeLanguageFont(720.0f / lines));
    ASSERT_NE(fonts_[0], nullptr);
    ASSERT_NE(fonts_[1], nullptr);
    DistanceMenu::m_message_font = fonts_[0].get();
    DistanceMenu::m_message_windowed_font = fonts_[1].get();
    DistanceMenu::m_delete_fonts = false;
    // The heights start-up gives the pages (the wizard's pictures are chosen by them).
    DistanceMenu::m_full_screen_height = screen_height_;
    DistanceMenu::m_windowed_screen_height = 720;
    ASSERT_TRUE(skyt_test::InstallLanguageFonts(imgui));
    imgui.Init(Imgui::InitParams::ProgramLayout(imgui.font, GetFontHeight()));
  }

  // The kit of the page: the first preset kit a player meets, or the kit's small test kit.
  void UseKit(bool preset) {
    if (preset == preset_loaded_) return;
    if (preset) {
      ASSERT_TRUE(skyt_test::LoadPresetKit(drumkit, "My First Skytapper Kit (RH)"));
    } else {
      ASSERT_TRUE(skyt_test::LoadGridKit(drumkit, 3));
    }
    drumkit.SetDistanceMenuLocations(false);
    preset_loaded_ = preset;
  }

  void Show(const Page& p) {
    UseKit(p.preset_kit);
    DistanceMenu::ClearMessages();
    drumkit.is_user_kit = false;
    drummer.Never_Ran = p.first_run;
    ChangeInterfaceState(p.state, p.param, 0, 0);
    if (p.stage != Calibration::kIdle) {
      calibration.Start(false);
      calibration.ChangeStage(p.stage);
      state_param = p.param;
    }
    kit_->Run(StrokeScript::Rest(p.first_run ? 50 : 3));  // the camera page's form fades in
    if (p.hit != kNoButton) kit_->Hit(p.hit);
    frame_calls.menu_seen(DistanceMenu());  // a page that hands none shows no buttons
    imgui.tracing = true;
    kit_->Run(StrokeScript::Rest(2));
  }

  std::vector<std::string> Problems() {
    std::vector<std::string> problems;
    const Font& font = *(full_screen ? DistanceMenu::m_message_font : DistanceMenu::m_message_windowed_font);
    const DistanceMenu& menu = kit_->Menu();
    for (const DistanceMenu::Button& b : menu.buttons)
      if (!LabelInside(b, font)) problems.push_back("label outside its button: " + Quote(b.label));
    for (const DistanceMenu::Slider& s : menu.sliders) {
      const float w = WebcamWindowMapping::WebcamWidthToWindowWidth(float(s.width));
      std::vector<std::string> lines;
      const std::string value = s.style == 1 ? " 100%" : s.style == 2 ? " " + std::to_string(s.max) : "";
      split_string(s.label + value, "|", lines);
      const float least = std::min(1.0f, float(WindowHeight()) / 40.0f / font.GetPixelSize());
      for (const std::string& line : lines)
        if (font.GetWidth(line.c_str()) * least > w) problems.push_back("label outside its slider: " + Quote(s.label));
    }
    // A stroke at one target must not count for another, nor for a hand pointing at nothing.
    std::map<int, std::string> ids = {{kNoButton, "nothing"}};
    auto own_id = [&](int id, const std::string& label) {
      if (!ids.emplace(id, label).second) problems.push_back("one id for " + Quote(ids[id]) + " and " + Quote(label));
    };
    for (const DistanceMenu::Button& b : menu.buttons) own_id(b.id, b.label);
    for (const DistanceMenu::Slider& s : menu.sliders) own_id(s.id, s.label);
    for (size_t i = 0; i < menu.buttons.size(); ++i)
      for (size_t j = i + 1; j < menu.buttons.size(); ++j)
        if (ButtonsOverlap(menu.buttons[i], menu.buttons[j]))
          problems.push_back("button over another: " + Quote(menu.buttons[i].label) + " and " + Quote(menu.buttons[j].label));
    for (const DistanceMenu::Button& b : menu.buttons)
      for (const DistanceMenu::Slider& s : menu.sliders)
        if (ButtonOver(b, SliderBox(s))) problems.push_back("button over a slider: " + Quote(b.label) + " and " + Quote(s.label));
    const float width = float(WindowWidth());
    for (const auto& [line, text] : DistanceMenu::m_lines_to_messages) {
      if (font.GetWidth(text.c_str()) > width - 8) problems.push_back("message past the window: " + Quote(text));
      const DistanceMenu::Plate p = DistanceMenu::MessagePlate(line, text);
      const Box plate = {p.left, p.bottom, p.right, p.top};
      for (const DistanceMenu::Button& b : menu.buttons)
        if (ButtonOver(b, plate)) problems.push_back("message over a button: " + Quote(text) + " and " + Quote(b.label));
      for (const DistanceMenu::Slider& s : menu.sliders) {
        const Box box = SliderBox(s);
        if (box.left < plate.right && plate.left < box.right && box.bottom < plate.top && plate.bottom < box.top)
          problems.push_back("message over a slider: " + Quote(text) + " and " + Quote(s.label));
      }
    }
    if (interface_state == kWizard)
      for (auto& p : skyt_test::LayoutProblems(imgui.trace, WindowWidth(), WindowHeight())) problems.push_back(p);
    return problems;
  }

  void Save(const std::string& language, const Screen& screen, const Page& p) {
    const char* folder = std::getenv("SKYTAPPER_GALLERY");
    if (!folder || !*folder) return;
    const std::string dir = std::string(folder) + "/" + language + "/" + screen.name;
    std::filesystem::create_directories(dir);
    kit_->gl().SavePng(dir + "/" + FileName(p) + ".png");
  }

  // Each page as it looks in the screen's first language.
  void ExpectAsKept(const std::string& language, const Screen& screen, const Page& p) {
    if (language != screen.languages[0]) return;
    EXPECT_EQ(skyt_test::DiffersFromKeptPicture(kit_->gl(), std::string("air/") + screen.name + "/" + FileName(p)), "");
  }

  static std::string FileName(const Page& p) {
    std::string name = std::string("air ") + p.name;
    for (char& c : name) c = (c == ' ' || c == ':') ? '-' : c;
    return name;
  }

  std::unique_ptr<InAirKit> kit_;
  int screen_height_ = 720;
  bool preset_loaded_ = false;
  std::unique_ptr<Font> fonts_[2];
};

TEST_F(PageFit, EveryLabelInsideItsButtonAndEveryLineInsideTheWindowAndClearOfTheButtons) {
  for (const Screen& screen : kScreens) {
    OpenWindow(screen);
    // The library's kits, the loaded one with the longest name a player is likely to give.
    const std::string long_name = "Copy of Copy of My First Skytapper Kit (RH) with the china and both splashes";
    drumkit_chooser.drumkits.clear();
    for (const std::string& name : {std::string("My First Skytapper Kit (RH)"), long_name}) {
      DrumkitChooser::LogicalDrumkit kit;
      kit.Name = name;
      drumkit_chooser.drumkits.push_back(kit);
    }
    drumkit_chooser.current_drumkit_name = long_name;
    // The wizard's pages after every language's other pages: its seat page switches the camera's
    // mode, and the pages after it would meet a camera still settling, tracking no stick.
    std::map<std::string, int> counts;
    for (const bool wizard : {false, true})
      for (const char* code : screen.languages) {
        SetLanguage(code);
        InstallFonts();
        for (const Page& p : kPages) {
          if ((p.stage != Calibration::kIdle) != wizard) continue;
          Show(p);
          Save(code, screen, p);
          ExpectAsKept(code, screen, p);
          if (p.notice >= 0) {
            EXPECT_NE(InAirKit::Line(p.notice), "") << screen.name << ", " << code << ", " << p.name;
          }
          for (const std::string& problem : Problems()) {
            ADD_FAILURE() << screen.name << ", " << code << ", " << p.name << ": " << problem;
            ++counts[code];
          }
        }
      }
    for (const char* code : screen.languages)
      std::printf("in-air layout problems in %s at %s: %d\n", code, screen.name, counts[code]);
  }
}

TEST_F(PageFit, AFailedKitSaveNamingALongPathStaysInsideTheWindow) {
  OpenWindow(kScreens[0]);
  const std::string path = "/home/a-player-with-a-long-name/Music/Skytapper/conf/drumkits/"
                           "Copy of My First Skytapper Kit (RH) with both splashes.ini";
  for (const char* code : {"en", "de", "ru"}) {
    SetLanguage(code);
    InstallFonts();
    Show(kPages[3]);  // adjust drums, where Save changes stands
    ShowKitSaveFailed(std::string(GetUtf8(kTextCouldSaveDrumkit)) + path + GetUtf8(kTextDot));
    EXPECT_EQ(Problems(), std::vector<std::string>{}) << code;
  }
}

}  // namespace
