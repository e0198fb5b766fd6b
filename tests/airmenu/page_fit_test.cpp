// Every in-air page and wizard stage in every language, with the installed fonts: button
// labels inside their round buttons, slider labels inside their sliders, message lines inside
// the window, and the wizard's mouse forms whole and clear of each other. One table of pages
// run once per language. Labels may shrink to fit, down to a 40th of the window's height. With SKYTAPPER_GALLERY naming a folder, each page is also written
// there as <language>/<page>.png.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
#include "tests/support/layout_fit.h"

using skyt_test::InAirKit;
using skyt_test::StrokeScript;

namespace {

struct Page {
  const char* name;
  int state, param;
  Calibration::Stage stage;  // kIdle outside the wizard
  int hit;                   // a button hit once on the page (kNoButton: none)
  bool first_run = false;    // the session's Never_Ran (the camera page then asks hand and stand)
};

const Page kPages[] = {
    {"drumming", kPlay, 0, Calibration::kIdle, kNoButton},
    {"drumming after the wizard", kPlay, 1, Calibration::kIdle, kNoButton},
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
    {"preset notice", kDrumKits, 0, Calibration::kIdle, kAdjustDrumsButton},
    {"viewer start", kClientStartScreen, 0, Calibration::kIdle, kNoButton},
    {"wizard: where to drum", kWizard, 0, Calibration::kWhereToDrum, kNoButton},
    {"wizard: camera", kWizard, 0, Calibration::kCamera, kNoButton},
    {"wizard: camera, first run", kWizard, 0, Calibration::kCamera, kNoButton, true},
    {"wizard: seat", kWizard, 0, Calibration::kSeat, kNoButton},
    {"wizard: lighting", kWizard, 0, Calibration::kLighting, kNoButton},
    {"wizard: place drums", kWizard, 0, Calibration::kPlaceDrums, kNoButton},
    {"wizard: stand", kWizard, 1, Calibration::kStand, kNoButton},
};

float WindowRadius(float r) { return WebcamWindowMapping::WebcamWidthToWindowWidth(r); }

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

class PageFit : public ::testing::Test {
 protected:
  void TearDown() override { imgui.tracing = false; }

  // The message fonts and the widget GUI's font of the current language.
  static void InstallFonts() {
    DistanceMenu::CleanUp();
    DistanceMenu::m_line_height_ratio = GetLineHeightRatio();
    const float h = float(WindowHeight()) / (float(GetNumTextLines()) * GetLineHeightRatio());
    DistanceMenu::m_message_font = DistanceMenu::m_message_windowed_font = skyt_test::MakeLanguageFont(h);
    DistanceMenu::m_delete_fonts = false;
    owned_.reset(DistanceMenu::m_message_font);
    ASSERT_NE(owned_, nullptr);
    ASSERT_TRUE(skyt_test::InstallLanguageFonts(imgui));
  }

  void Show(const Page& p) {
    DistanceMenu::ClearMessages();
    drumkit.is_user_kit = false;
    drummer.Never_Ran = p.first_run;
    ChangeInterfaceState(p.state, p.param, 0, 0);
    if (p.stage != Calibration::kIdle) {
      calibration.Start(false);
      calibration.ChangeStage(p.stage);
      state_param = p.param;
    }
    kit_.Run(StrokeScript::Rest(p.first_run ? 50 : 3));  // the camera page's form fades in
    if (p.hit != kNoButton) kit_.Hit(p.hit);
    imgui.tracing = true;
    kit_.Run(StrokeScript::Rest(2));
  }

  std::vector<std::string> Problems() {
    std::vector<std::string> problems;
    const Font& font = *DistanceMenu::m_message_font;
    for (const DistanceMenu::Button& b : kit_.Menu().buttons)
      if (!LabelInside(b, font)) problems.push_back("label outside its button: \"" + b.label + "\"");
    for (const DistanceMenu::Slider& s : kit_.Menu().sliders) {
      const float w = WebcamWindowMapping::WebcamWidthToWindowWidth(float(s.width));
      std::vector<std::string> lines;
      const std::string value = s.style == 1 ? " 100%" : s.style == 2 ? " " + std::to_string(s.max) : "";
      split_string(s.label + value, "|", lines);
      const float least = std::min(1.0f, float(WindowHeight()) / 40.0f / font.GetPixelSize());
      for (const std::string& line : lines)
        if (font.GetWidth(line.c_str()) * least > w) problems.push_back("label outside its slider: \"" + s.label + "\"");
    }
    const float width = float(WindowWidth());
    for (const auto& [line, text] : DistanceMenu::m_lines_to_messages)
      if (font.GetWidth(text.c_str()) > width - 8) problems.push_back("message past the window: \"" + text + "\"");
    if (interface_state == kWizard)
      for (auto& p : skyt_test::LayoutProblems(imgui.trace, WindowWidth(), WindowHeight())) problems.push_back(p);
    return problems;
  }

  void Save(const std::string& language, const Page& p) {
    const char* folder = std::getenv("SKYTAPPER_GALLERY");
    if (!folder || !*folder) return;
    const std::string dir = std::string(folder) + "/" + language;
    std::filesystem::create_directories(dir);
    std::string name = std::string("air ") + p.name;
    for (char& c : name) c = (c == ' ' || c == ':') ? '-' : c;
    kit_.gl().SavePng(dir + "/" + name + ".png");
  }

  InAirKit kit_{"page_fit"};
  static inline std::unique_ptr<Font> owned_;
};

TEST_F(PageFit, EveryLabelInsideItsButtonAndEveryLineInsideTheWindowInEveryLanguage) {
  Reshape(kit_.gl().width(), kit_.gl().height());
  // The library's kits, the loaded one with the longest name a player is likely to give.
  const std::string long_name = "Copy of Copy of My First Skytapper Kit (RH) with the china and both splashes";
  for (const std::string& name : {std::string("My First Skytapper Kit (RH)"), long_name}) {
    DrumkitChooser::LogicalDrumkit kit;
    kit.Name = name;
    drumkit_chooser.drumkits.push_back(kit);
  }
  drumkit_chooser.current_drumkit_name = long_name;
  kit_.Enter(kPlay);
  for (const char* code : skyt_test::kLanguageCodes) {
    SetLanguage(code);
    InstallFonts();
    int count = 0;
    for (const Page& p : kPages) {
      Show(p);
      Save(code, p);
      for (const std::string& problem : Problems()) {
        ADD_FAILURE() << code << ", " << p.name << ": " << problem;
        ++count;
      }
    }
    std::printf("in-air layout problems in %s: %d\n", code, count);
  }
  DistanceMenu::m_message_font = DistanceMenu::m_message_windowed_font = nullptr;
  owned_.reset();
  drumkit_chooser.drumkits.clear();
}

TEST_F(PageFit, AFailedKitSaveNamingALongPathStaysInsideTheWindow) {
  Reshape(kit_.gl().width(), kit_.gl().height());
  kit_.Enter(kPlay);
  const std::string path = "/home/a-player-with-a-long-name/Music/Skytapper/conf/drumkits/"
                           "Copy of My First Skytapper Kit (RH) with both splashes.ini";
  for (const char* code : {"en", "de", "ru"}) {
    SetLanguage(code);
    InstallFonts();
    Show(kPages[3]);  // adjust drums, where Save changes stands
    ShowKitSaveFailed(std::string(GetUtf8(kTextCouldSaveDrumkit)) + path + GetUtf8(kTextDot));
    EXPECT_EQ(Problems(), std::vector<std::string>{}) << code;
  }
  DistanceMenu::m_message_font = DistanceMenu::m_message_windowed_font = nullptr;
  owned_.reset();
}

}  // namespace
