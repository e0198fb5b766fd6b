// The program frame's calls into the other subsystems. Each SKYT_WITH_* switch turns a group
// on once its implementation is in the tree; until then the frame runs without it (the
// fallbacks below do what the frame needs to go on, nothing more).
#include "frame/app/neighbours.h"

#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/platform/platform.h"
#include "frame/window.h"

#define SKYT_WITH_TEXTS 1           // frame/texts.h: SetLanguage, GetUtf8, fonts per language
#define SKYT_WITH_FONT_AND_GUI 1    // render/font.h, render/imgui.h
#define SKYT_WITH_UI_STYLE 1        // render/ui_style.h: InitUIStyle
#define SKYT_WITH_WIDGET_DRAWING 1  // render/widget_drawing.h, render/airwidget_drawing.h
#define SKYT_WITH_MIDI 1            // sound/midi.h
#define SKYT_WITH_SOUND 1           // sound/sound.h, sound/logger.h
#define SKYT_WITH_CAMERA 1          // tracking/ps3eye_glue.h
#define SKYT_WITH_WEBCAM 1          // tracking/webcam.h, tracking/webcam_window.h
#define SKYT_WITH_DRUMMING 1        // drumming/: drumkit, drummer, in-air menu, interface states

#if SKYT_WITH_TEXTS
#include "frame/texts.h"
#endif
#if SKYT_WITH_FONT_AND_GUI
#include "render/font.h"
#include "render/imgui.h"
#endif
#if SKYT_WITH_UI_STYLE
#include "render/ui_style.h"
#endif
#if SKYT_WITH_WIDGET_DRAWING
#include "render/airwidget_drawing.h"
#include "render/widget_drawing.h"
#endif
#if SKYT_WITH_MIDI
#include "sound/midi.h"
#endif
#if SKYT_WITH_SOUND
#include "sound/logger.h"
#include "sound/sound.h"
#endif
#if SKYT_WITH_CAMERA
#include "tracking/ps3eye_glue.h"
#endif
#if SKYT_WITH_WEBCAM
#include "tracking/webcam.h"
#include "tracking/webcam_window.h"
#endif
#if SKYT_WITH_DRUMMING
#include "airmenu/calibration.h"
#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "library/drumkit_chooser.h"
#include "library/midi_map_chooser.h"
#endif

namespace nb {

// ---- Texts ----------------------------------------------------------------------------------
#if !SKYT_WITH_TEXTS
namespace {
std::string& Language() {
  static std::string language = "en";
  return language;
}
}  // namespace
#endif

void SetLanguage(const std::string& code) {
#if SKYT_WITH_TEXTS
  ::SetLanguage(code);
#else
  Language() = code;
#endif
}

std::string CurrentLanguage() {
#if SKYT_WITH_TEXTS
  return GetLanguageString();
#else
  return Language();
#endif
}

std::string Text(int id, const char* english) {
#if SKYT_WITH_TEXTS
  const char* t = GetUtf8(id);
  if (t && *t) return t;
#endif
  (void)id;
  return english;
}

// ---- Start-up -------------------------------------------------------------------------------
void InitMIDI() {
#if SKYT_WITH_MIDI
  ::InitMIDI();
#endif
}

void InitFontAndGui() {
#if SKYT_WITH_FONT_AND_GUI
  // The widget GUI's clipboard, input method and window size are the desktop's.
  Imgui::platform.write_clipboard = [](const std::string& text) { WriteToPasteboard(text); };
  Imgui::platform.read_clipboard = [](std::string& text) { ReadFromPasteboard(text); };
  Imgui::platform.unmark_text = [] { window_services.unmark_text(); };
  Imgui::platform.window_width = [] { return window_services.width(); };
  Imgui::platform.window_height = [] { return window_services.height(); };
  Imgui::InitParams params;
  params.font_height = GetFontHeight();
  Font* font = new Font;
  if (font->Init(GetFontPath().c_str(), params.font_height, GetGlyphRanges(), 0)) {
    params.font = font;
  } else {
    delete font;
  }
  params.bold_font = nullptr;
  params.owns_fonts = false;
  params.scroll_bar_width = 10;
  params.margin = 10;
  params.widget_width = 140;
  params.widget_height = 32;
  params.gap = 9;
  params.unused = 0;
  imgui.Init(params);
#endif
}

void InitDistanceMenu(int full_screen_height, int windowed_height) {
#if SKYT_WITH_DRUMMING
  DistanceMenu::Init(full_screen_height, windowed_height);
#endif
  (void)full_screen_height;
  (void)windowed_height;
}

void InitUIStyleAndLogger() {
#if SKYT_WITH_UI_STYLE
  InitUIStyle();
#endif
#if SKYT_WITH_SOUND
  logger.Init();
#endif
}

int InitSound(const IniFile& settings) {
#if SKYT_WITH_SOUND
  if (sound.Init(settings)) return 0;
  return sound.audio.GetDeviceType() != 0 ? 1 : 2;
#else
  (void)settings;
  return 0;
#endif
}

void InitCalibration(const IniFile& settings) {
#if SKYT_WITH_DRUMMING && SKYT_WITH_WEBCAM && SKYT_WITH_FONT_AND_GUI
  calibration.Init(drummer, webcam, imgui, settings);
#endif
  (void)settings;
}

// ---- Deferred start-up -----------------------------------------------------------------------
void InitWebcam(const IniFile& settings) {
#if SKYT_WITH_WEBCAM
  webcam.Init(settings);
#endif
  (void)settings;
}

void InitDrumkit() {
#if SKYT_WITH_DRUMMING
  drumkit.Init();
#endif
}

void InitDrummer(const IniFile& settings) {
#if SKYT_WITH_DRUMMING && SKYT_WITH_WEBCAM
  drummer.Init(drumkit, drumkit_chooser, midi_map_chooser, webcam, settings);
#endif
  (void)settings;
}

void ChangeInterfaceState(int state) {
#if SKYT_WITH_DRUMMING
  ::ChangeInterfaceState(state, 0, 0, 0);
#else
  interface_state = state;
  state_param = state_param2 = state_param3 = 0;
  just_changed_state = true;
#endif
}

// ---- Shutdown -------------------------------------------------------------------------------
void StopCamera() {
#if SKYT_WITH_CAMERA
  if (PSEyeIsWorking()) PSEyeStop();
#endif
}

void CleanUpDistanceMenu() {
#if SKYT_WITH_DRUMMING
  DistanceMenu::CleanUp();
#endif
}

void CleanUpMIDI() {
#if SKYT_WITH_MIDI
  ::CleanUpMIDI();
#endif
}

void StopAudio() {
#if SKYT_WITH_SOUND
  sound.CleanUp();
#endif
}

// ---- Frame ----------------------------------------------------------------------------------
bool DrumsMuted() {
#if SKYT_WITH_DRUMMING
  return drums_muted;
#else
  return false;
#endif
}

bool PlaylistEmpty() {
#if SKYT_WITH_DRUMMING
  return drummer.playlist.empty();
#else
  return true;
#endif
}

void ScheduleSongLoadingPlaying(bool& valid_song_file) {
#if SKYT_WITH_DRUMMING
  drummer.ScheduleSongLoadingPlaying(false, valid_song_file);
#endif
  (void)valid_song_file;
}

void PlaySongNow() {
#if SKYT_WITH_DRUMMING
  drummer.PlaySong(true);
#endif
}

bool CameraWorks() {
#if SKYT_WITH_CAMERA
  return PSEyeIsWorking();
#else
  return false;
#endif
}

bool WebcamUpdate(bool upload) {
#if SKYT_WITH_WEBCAM
  return webcam.Update(upload);
#else
  (void)upload;
  return true;
#endif
}

void WebcamLost() {
#if SKYT_WITH_WEBCAM
  webcam.HandleUnplug();
#endif
}

void WebcamDraw(float alpha) {
#if SKYT_WITH_WEBCAM
  webcam.Draw(alpha);
#endif
  (void)alpha;
}

void CenterWebcam(int width, int height) {
#if SKYT_WITH_WEBCAM
  WebcamWindowMapping::CenterWebcam(width, height);
#endif
  (void)width;
  (void)height;
}

void DrawBackground(bool with_title) {
#if SKYT_WITH_WIDGET_DRAWING
  ::DrawBackground(with_title);
#endif
  (void)with_title;
}

void GuiBegin() {
#if SKYT_WITH_FONT_AND_GUI
  imgui.Begin(false);
#endif
}

void GuiEnd() {
#if SKYT_WITH_FONT_AND_GUI
  imgui.End();
#endif
}

int RawQueueSize() {
#if SKYT_WITH_SOUND
  return sound.audio.GetRawQueueSize();
#else
  return 0;
#endif
}

void DrawText(int x, int y, const std::string& text) {
#if SKYT_WITH_FONT_AND_GUI
  imgui.DoText(x, y, "%s", text.c_str());
#endif
  (void)x;
  (void)y;
  (void)text;
}

void SliderBackground(float x, float y, float w, float h, float value, bool a, bool b, bool c, bool d) {
#if SKYT_WITH_WIDGET_DRAWING
  ::SliderBackground(x, y, w, h, value, a, b, c, d);
#endif
}

void SliderProgressOnly(float x, float y, float w, float h, float value) {
#if SKYT_WITH_WIDGET_DRAWING
  ::SliderProgressOnly(x, y, w, h, value);
#endif
}

// ---- Input ----------------------------------------------------------------------------------
void GuiAddKey(int key) {
#if SKYT_WITH_FONT_AND_GUI
  imgui.AddKey(key);
#endif
  (void)key;
}

bool GuiHandleTextUnmarking(unsigned char key) {
#if SKYT_WITH_FONT_AND_GUI
  return imgui.HandleMacTextUnmarking(key);
#else
  (void)key;
  return false;
#endif
}

void GuiSetModifiers(int modifiers) {
#if SKYT_WITH_FONT_AND_GUI
  imgui.modifiers = modifiers;
#endif
  (void)modifiers;
}

void GuiSetMouse(int x, int y) {
#if SKYT_WITH_FONT_AND_GUI
  imgui.mouse_x = x;
  imgui.mouse_y = y;
#endif
  (void)x;
  (void)y;
}

void GuiSetMouseDown(bool down) {
#if SKYT_WITH_FONT_AND_GUI
  imgui.mouse_down = down;
#endif
  (void)down;
}

void GuiSetSpecialKey(int key, bool down) {
#if SKYT_WITH_FONT_AND_GUI
  imgui.SetSpecialKey(key, down);
#endif
  (void)key;
  (void)down;
}

void GuiSetMarkedText(const std::string& text) {
#if SKYT_WITH_FONT_AND_GUI
  imgui.marked_text = text;
#endif
  (void)text;
}

void ClearInAirMessages() {
#if SKYT_WITH_DRUMMING
  DistanceMenu::ClearMessages();
#endif
}

void SaveLastSession() {
#if SKYT_WITH_DRUMMING
  drummer.SaveLastSession();
#endif
}

void GoBackToMainMenu() {
#if SKYT_WITH_DRUMMING
  drummer.GoBackToMainMenu();
#else
  ChangeInterfaceState(0);
#endif
}

void ClosePerformanceWav() {
#if SKYT_WITH_SOUND
  sound.ClosePerformanceWav();
#endif
}

}  // namespace nb
