// The program frame's calls into the other subsystems.
#include "frame/app/neighbours.h"

#include "airmenu/calibration.h"
#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "render/airwidget_drawing.h"
#include "render/font.h"
#include "render/imgui.h"
#include "render/ui_style.h"
#include "render/widget_drawing.h"
#include "sound/logger.h"
#include "sound/midi.h"
#include "sound/sound.h"
#include "tracking/ps3eye_glue.h"
#include "tracking/webcam.h"
#include "tracking/webcam_window.h"
#include "library/drumkit_chooser.h"
#include "library/midi_map_chooser.h"

namespace nb {

// ---- Texts ----------------------------------------------------------------------------------

void SetLanguage(const std::string& code) {
  ::SetLanguage(code);
}

std::string CurrentLanguage() {
  return GetLanguageString();
}

std::string Text(int id, const char* english) {
  const char* t = GetUtf8(id);
  if (t && *t) return t;
  return english;
}

// ---- Start-up -------------------------------------------------------------------------------
void InitMIDI() {
  ::InitMIDI();
}

void InitFontAndGui() {
  // The widget GUI's clipboard, input method and window size are the desktop's.
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

void InitDistanceMenu(int full_screen_height, int windowed_height) {
  DistanceMenu::Init(full_screen_height, windowed_height);
}

void InitUIStyleAndLogger() {
  InitUIStyle();
  logger.Init();
}

int InitSound(const IniFile& settings) {
  if (sound.Init(settings)) return 0;
  return sound.audio.GetDeviceType() != 0 ? 1 : 2;
}

void InitCalibration(const IniFile& settings) {
  calibration.Init(drummer, webcam, imgui, settings);
}

// ---- Deferred start-up -----------------------------------------------------------------------
void InitWebcam(const IniFile& settings) {
  webcam.Init(settings);
}

void InitDrumkit() {
  drumkit.Init();
}

void InitDrummer(const IniFile& settings) {
  drummer.Init(drumkit, drumkit_chooser, midi_map_chooser, webcam, settings);
}

void ChangeInterfaceState(int state) {
  ::ChangeInterfaceState(state, 0, 0, 0);
}

// ---- Shutdown -------------------------------------------------------------------------------
void StopCamera() {
  if (PSEyeIsWorking()) PSEyeStop();
}

void CleanUpDistanceMenu() {
  DistanceMenu::CleanUp();
}

void CleanUpMIDI() {
  ::CleanUpMIDI();
}

void StopAudio() {
  sound.CleanUp();
}

// ---- Frame ----------------------------------------------------------------------------------
bool DrumsMuted() {
  return drums_muted;
}

bool PlaylistEmpty() {
  return drummer.playlist.empty();
}

void ScheduleSongLoadingPlaying(bool& valid_song_file) {
  drummer.ScheduleSongLoadingPlaying(false, valid_song_file);
}

void PlaySongNow() {
  drummer.PlaySong(true);
}

bool CameraWorks() {
  return PSEyeIsWorking();
}

bool WebcamUpdate(bool upload) {
  return webcam.Update(upload);
}

void WebcamLost() {
  webcam.HandleUnplug();
}

void WebcamDraw(float alpha) {
  webcam.Draw(alpha);
}

void CenterWebcam(int width, int height) {
  WebcamWindowMapping::CenterWebcam(width, height);
}

void DrawBackground(bool with_title) {
  ::DrawBackground(with_title);
}

void GuiBegin() {
  imgui.Begin(false);
}

void GuiEnd() {
  imgui.End();
}

int RawQueueSize() {
  return sound.audio.GetRawQueueSize();
}

void DrawText(int x, int y, const std::string& text) {
  imgui.DoText(x, y, "%s", text.c_str());
}

void SliderBackground(float x, float y, float w, float h, float value, bool a, bool b, bool c, bool d) {
  ::SliderBackground(x, y, w, h, value, a, b, c, d);
}

void SliderProgressOnly(float x, float y, float w, float h, float value) {
  ::SliderProgressOnly(x, y, w, h, value);
}

// ---- Input ----------------------------------------------------------------------------------
void GuiAddKey(int key) {
  imgui.AddKey(key);
}

bool GuiHandleTextUnmarking(unsigned char key) {
  return imgui.HandleMacTextUnmarking(key);
}

void GuiSetModifiers(int modifiers) {
  imgui.modifiers = modifiers;
}

void GuiSetMouse(int x, int y) {
  imgui.mouse_x = x;
  imgui.mouse_y = y;
}

void GuiSetMouseDown(bool down) {
  imgui.mouse_down = down;
}

void GuiSetSpecialKey(int key, bool down) {
  imgui.SetSpecialKey(key, down);
}

void GuiSetMarkedText(const std::string& text) {
  imgui.marked_text = text;
}

void ClearInAirMessages() {
  DistanceMenu::ClearMessages();
}

void SaveLastSession() {
  drummer.SaveLastSession();
}

void GoBackToMainMenu() {
  drummer.GoBackToMainMenu();
}

void ClosePerformanceWav() {
  sound.ClosePerformanceWav();
}

}  // namespace nb
