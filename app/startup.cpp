// Program start-up, the deferred start-up and the exit handler.
#include <GL/gl.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "airmenu/calibration.h"
#include "airmenu/frame_rate_watch.h"
#include "airmenu/page_frame.h"
#include "airmenu/viewer_link.h"
#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "drumming/progress.h"
#include "app/app.h"
#include "app/decisions.h"
#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/interface_states.h"
#include "frame/paths.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "library/drumkit_chooser.h"
#include "library/library_calls.h"
#include "library/midi_map_chooser.h"
#include "library/migrations.h"
#include "render/font.h"
#include "render/imgui.h"
#include "render/ui_style.h"
#include "sound/logger.h"
#include "sound/midi.h"
#include "sound/sound.h"
#include "tracking/ps3eye_glue.h"
#include "tracking/webcam.h"

namespace {

long FileSize(const char* path) {
  FILE* f = fopen(path, "rb");
  if (!f) return -1;
  long size = -1;
  if (fseek(f, 0, SEEK_END) == 0) size = ftell(f);
  fclose(f);
  return size;
}

void CheckGraphicsDriver() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (frame_decisions::GraphicsDriverTooOld(version, extensions))
    MessageBox(GetUtf8(kTextGraphicsCardDoes), false, true);
}

// The lower layers reach the libraries, the viewer link and the wizard through these.
void InstallCalls() {
  InstallLibraryCalls();
  InstallViewerCalls();
  InstallFrameRateWatch();
  frame_calls = {.client_on_this_device = ClientRunningOnThisDevice, .menu_seen = KeepInAirMenuForTrace};
}

// The font of the current language, then the widget GUI on the desktop's clipboard, input
// method and window size.
void InitFontAndGui() {
  Imgui::platform.write_clipboard = [](const std::string& text) { WriteToPasteboard(text); };
  Imgui::platform.read_clipboard = [](std::string& text) { ReadFromPasteboard(text); };
  Imgui::platform.unmark_text = [] { window_services.unmark_text(); };
  Imgui::platform.window_width = [] { return window_services.width(); };
  Imgui::platform.window_height = [] { return window_services.height(); };
  const float font_height = GetFontHeight();
  Font* font = new Font;
  if (!font->Init(GetFontPath().c_str(), font_height, GetGlyphRanges(), 0)) {
    delete font;
    font = nullptr;
  }
  imgui.Init(Imgui::InitParams::ProgramLayout(font, font_height));
}

// A failed audio device: a fallback stream open, or no audio at all.
void InitSound(const IniFile& settings) {
  if (sound.Init(settings)) return;
  MessageBox(GetUtf8(sound.audio.GetDeviceType() != Audio::kNoOutput ? kTextAudioFallbackDevice : kTextNoAudioOutput),
             false, true);
}

}  // namespace

void RegisterCallbacks() {
  WindowCallbacks c;
  c.reshape = Reshape;
  c.idle = Idle;
  c.display = Display;
  c.keyboard = Keyboard;
  c.keyboard_up = KeyboardUp;
  c.special = Special;
  c.special_up = SpecialUp;
  c.mouse = Mouse;
  c.passive_motion = PassiveMotion;
  c.motion = Motion;
  c.insert_text = InsertText;
  c.set_marked_text = SetMarkedText;
  c.close = WindowClosed;
  window_services.set_callbacks(c);
}

void DummyMacDisplay() {}

void ApplyVsyncOff() {
  std::string error;
  window_services.set_swap_interval(1, &error);
  if (!window_services.set_swap_interval(0, &error)) printf("Vsync message: %s\n", error.c_str());
}

void Init() {
  ApplyVsyncOff();
  glClearColor(background_color[0], background_color[1], background_color[2], background_color[3]);
}

bool DetermineLanguage() {
  IniFile settings;
  settings.Init(MakePath(kPathConf, "skytapper.cfg"));
  const char* value = nullptr;
  if (settings.GetString("Session", "Language", value) && value) {
    SetLanguage(value);
    settings.CleanUp();
    return false;
  }
  std::string code = "en";
  GetSystemLanguage(code);
  SetLanguage(code);
  settings.CleanUp();
  return true;
}

bool Krakouik() {
  const bool flag = true;
  PatchLampForBatch2(flag);
  PatchMidiMaps(flag);
  Patch3D(flag);
  PatchMay2021();
  IniFile settings;
  settings.Init(MakePath(kPathConf, "skytapper.cfg"));
  webcam.Init(settings);
  drumkit.Init();
  drumkit_chooser.Init();
  drummer.Init(drumkit, drumkit_chooser, midi_map_chooser, webcam, settings);
  DrawSamplesProgress(0, true);
  // The drumming controller read the session (a missing Never_Ran or Wants_Startup_Help is
  // true, as for the first screen) and has saved it again by now.
  ChangeInterfaceState(frame_decisions::StartupScreen(drummer.Never_Ran, drummer.Wants_Startup_Help));
  settings.CleanUp();
  return true;
}

void CleanUp() {
  static bool done = false;
  if (done) return;
  done = true;
  CleanUpDiscoveryServer();
  CleanUpSockets();
  interface_state = kQuitting;
  if (PSEyeIsWorking()) PSEyeStop();
  DistanceMenu::CleanUp();
  CleanUpMIDI();
  // The audio callback and the sample loaders use the kit, the recordings list and the other
  // program-wide objects, which are destroyed before the sound manager: stop them now.
  sound.CleanUp();
  if (IsSleepPrevented()) AllowSleeping();
}

void WindowClosed() {
  // The window system reports the close again while exit() runs.
  static bool closing = false;
  if (closing) return;
  closing = true;
  exit(0);
}

void PatchFirstRelease() {
  const char* kit = "conf/drumkits/Copy_of_My_First_Skytapper_Kit__RH_.ini";
  if (FileSize(kit) == 2541) {
    IniFile ini;
    if (ini.Init(kit)) {
      const char* name = nullptr;
      const char* element = nullptr;
      const char* x = nullptr;
      bool stale = ini.GetString("Drumkit", "Name", name) && name &&
                   std::string(name) == "Copy of My First Skytapper Kit (RH)";
      stale = stale && ini.GetString("Drumkit", "Drum3.element", element) && element &&
              std::string(element) == "test";
      stale = stale && !ini.GetString("Drumkit", "Drum3.x", x);
      ini.CleanUp();
      if (stale) remove(kit);
    }
  }
  if (FileSize("data/elements/test.ele") == 10153279) remove("data/elements/test.ele");
  if (FileSize("data/elements/test2.ele") == 33979287) remove("data/elements/test2.ele");
}

int SkytapperMain(int argc, char** argv) {
  // A viewer or helper program that goes away mid-write must not end the program.
  signal(SIGPIPE, SIG_IGN);
  InstallCalls();
  // The language first: a start that ends for busy ports says why in it.
  const bool language_from_system = DetermineLanguage();

  InitSockets(nullptr, true);
  InitDiscoveryServer();

  window_services.init(&argc, argv);
  int x = 0, y = 0, screen_height = 0;
  MacResolutionWarning(960, 720, x, y, screen_height);
  const std::string title = frame_decisions::WindowTitle(GetUtf8(kTextSkytapper), skytapper_version);
  if (!window_services.create_window(x, y, 960, 720, title.c_str())) {
    printf("Could not open the window.\n");
    exit(1);
  }
  WindowCallbacks dummy;
  dummy.display = DummyMacDisplay;
  window_services.set_callbacks(dummy);

  PatchShinsForBatch2();

  IniFile settings;
  settings.Init(MakePath(kPathConf, "skytapper.cfg"));
  CheckGraphicsDriver();
  InitMIDI();
  InitFontAndGui();
  DistanceMenu::Init(screen_height, 720);
  InitUIStyle();
  logger.Init();
  InitSound(settings);
  calibration.Init(drummer, webcam, imgui, settings);

  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glShadeModel(GL_FLAT);

  RegisterCallbacks();
  atexit(CleanUp);
  Init();
  settings.CleanUp();
  if (language_from_system) SaveLanguage();
  window_services.main_loop();
  return 0;
}
