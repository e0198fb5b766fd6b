// The main screen (state 0), its greyed twin shown during start-up, and the first screen of
// the program (state 16).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "airmenu/calibration.h"
#include "airmenu/page_frame.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "drumming/progress.h"
#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/interface_states.h"
#include "frame/paths.h"
#include "frame/texts.h"
#include "render/airwidget_drawing.h"
#include "render/imgui.h"
#include "render/widget_drawing.h"
#include "screens/help_screens.h"
#include "screens/main_screen.h"
#include "screens/screen_common.h"
#include "screens/screen_services.h"
#include "screens/screens.h"

namespace {

enum : int {
  kDrum = ScreenId(kMainScreen, 1), kSetup, kDrumKits, kPlaylist, kRecordings, kLatency, kMidi,
  kPreferences, kHelp, kQuit, kProgress
};

struct MainButton {
  int id, x, top, w;  // top: pixels below the window's top edge (0: the bottom row)
  TextId text;
  InterfaceState target;
};

// Drum and Setup come first and are handled apart; Help and Quit sit on the bottom row.
constexpr MainButton kButtons[] = {
    {kDrumKits, 48, 351, 210, kTextDrumKits, kChooseDrumkitScreen},
    {kPlaylist, 320, 351, 210, kTextPlaylist, kPlaylistScreen},
    {kRecordings, 48, 431, 210, kTextRecordings, kRecordingScreen},
    {kLatency, 320, 431, 210, kTextLatency, kLatencyScreen},
    {kMidi, 48, 511, 210, kTextMIDI, kMidiScreen},
    {kPreferences, 320, 511, 210, kTextPreferences, kPreferencesScreen},
};

// Help and Quit: at the bottom in windows lower than 710 pixels, else hanging from the top.
int BottomRowY(int H) { return H < 710 ? 64 : H - 651; }

// The two lines that say why there is no camera and what to do: not plugged in, plugged in
// but not open to this user, or held by another program.
void DoCameraMissingText(int H) {
  const CameraFault fault = screen_services.camera_fault();
  const bool denied = fault == CameraFault::kNoAccess, busy = fault == CameraFault::kBusy;
  const TextId first = denied ? kTextCameraFoundBut : busy ? kTextCameraUseAnother : kTextCameraNotFound;
  const TextId second =
      denied ? kTextRunCameraAccessScript : busy ? kTextCloseProgramLaunch : kTextLaunchSkytapperAgain;
  imgui.DoText(48, H - 201, "%s", GetUtf8(first));
  imgui.DoText(48, H - 229, "%s", GetUtf8(second));
}

void DoStatusText(int H, bool camera, const std::string& kit) {
  if (!camera) {
    DoCameraMissingText(H);
    return;
  }
  if (kit.empty()) {
    imgui.DoText(48, H - 216, "%s", GetUtf8(kTextNoDrumKit));
    return;
  }
  const int n = static_cast<int>(drumkit.drums.size());
  int pedals = 0;
  for (const auto& d : drumkit.drums) pedals += d.category == Sound::CATEGORY_FOOT || d.category == Sound::CATEGORY_HAND_AND_FOOT;
  // The Japanese text has no words for element and pedal: three conversions only.
  const bool ja = IsLanguage("ja");
  auto line = [&](const std::string& name) {
    char text[1024];
    if (ja) {
      snprintf(text, sizeof text, GetUtf8(kTextCurrentDrumKitCounts), name.c_str(), n, pedals);
    } else {
      snprintf(text, sizeof text, GetUtf8(kTextCurrentDrumKitCounts), name.c_str(), n,
               GetUtf8(n == 1 ? kTextElementWord : kTextElements), pedals,
               GetUtf8(pedals == 1 ? kTextPedalWord : kTextPedals));
    }
    return std::string(text);
  };
  // A long kit name (a copy's, say) is shortened so that the line ends inside the window.
  const int room = ScreenWidth() - 48 - 16 - TextWidth(line("").c_str());
  imgui.DoText(48, H - 216, "%s", line(FitName(kit, room)).c_str());
}

void Drum() {
  const bool lights = screen_services.lights_checked();
  if (drumkit.is_calibrated && lights) {
    OpenPlayPage(PlayEntry::kFromPlayButton);
  } else if (drumkit.is_calibrated) {
    screen_services.change_wizard_stage(Calibration::kLighting);
    OpenWizard(drummer.Use_Camera_Stand);
  } else {
    OpenWizard();
    screen_services.start_wizard(true);
  }
}

void DrawGreyedButtons(int H) {
  imgui.DoButtonGreyed(48, H - 271, 210, 54, GetUtf8(kTextDrum));
  imgui.DoButtonGreyed(320, H - 271, 210, 54, GetUtf8(kTextSetup));
  for (const auto& b : kButtons) imgui.DoButtonGreyed(b.x, H - b.top, b.w, 54, GetUtf8(b.text));
  imgui.DoButtonGreyed(204, BottomRowY(H), 120, 54, GetUtf8(kTextHelp));
  imgui.DoButtonGreyed(48, BottomRowY(H), 120, 54, GetUtf8(kTextQuit));
}

}  // namespace

void DoMainScreen() {
  EnteringPage();  // nothing to set up on entry
  const int H = ScreenHeight();
  const bool camera = screen_services.camera_working();
  const std::string& kit = drumkit_chooser.current_drumkit_name;
  const bool lights = screen_services.lights_checked();
  DoStatusText(H, camera, kit);

  const bool ready = camera && !kit.empty();
  const bool drum_enabled = ready && (!drummer.Never_Ran || lights);
  if (drum_enabled) {
    if (imgui.DoButton(kDrum, 48, H - 271, 210, 54, GetUtf8(kTextDrum))) Drum();
  } else {
    imgui.DoButtonGreyed(48, H - 271, 210, 54, GetUtf8(kTextDrum));
  }
  if (ready && drummer.Never_Ran && !lights) RectangleHalo(318, H - 269, 214, 58);
  if (!ready) {
    imgui.DoButtonGreyed(320, H - 271, 210, 54, GetUtf8(kTextSetup));
  } else if (imgui.DoButton(kSetup, 320, H - 271, 210, 54, GetUtf8(kTextSetup))) {
    OpenWizard();
    screen_services.start_wizard(false);
  }
  for (const auto& b : kButtons) {
    if (imgui.DoButton(b.id, b.x, H - b.top, b.w, 54, GetUtf8(b.text))) ChangeInterfaceState(b.target, 0, 0, 0);
  }
  if (imgui.DoButton(kHelp, 204, BottomRowY(H), 120, 54, GetUtf8(kTextHelp)))
    OpenHelpScreen();
  if (imgui.DoButton(kQuit, 48, BottomRowY(H), 120, 54, GetUtf8(kTextQuit))) exit(0);
  DrawSamplesProgress(kProgress, false);
}

void DoMainScreenGreyed() {
  EnteringPage();  // nothing to set up on entry
  const int H = ScreenHeight();
  DrawBackground(true);
  imgui.DoText(48, H - 201, "%s", GetUtf8(kTextLoading));
  DrawGreyedButtons(H);
  DrawSamplesProgress(kProgress, false);
}

bool FirstStartWantsHelp(const std::string& settings_path) {
  // Missing keys (or file) read as the session loader reads them: a first run that wants help.
  bool never_ran = true, wants_help = true;
  IniFile ini;
  if (ini.Init(settings_path)) {
    ini.GetBool("Session", "Never_Ran", never_ran);
    ini.GetBool("Session", "Wants_Startup_Help", wants_help);
  }
  return never_ran || wants_help;
}

void DoMacStart() {
  static const bool show_help = FirstStartWantsHelp(MakePath(kPathConf, "skytapper.cfg"));
  if (show_help) {
    DoHelpScreen1Greyed();
  } else {
    DoMainScreenGreyed();
  }
}
