// The program frame's calls into the other subsystems, each a step of start-up, the frame or
// an input callback, gathered in one place.
#pragma once
#include <string>

class IniFile;

namespace nb {

// Texts and languages.
void SetLanguage(const std::string& code);
std::string CurrentLanguage();
std::string Text(int id, const char* english);

// Start-up of the subsystems, in main's order.
void InitMIDI();
void InitFontAndGui();  // font of the current language, then the widget GUI
void InitDistanceMenu(int full_screen_height, int windowed_height);
void InitUIStyleAndLogger();
// Sound::Init: 0 ok, 1 failed with a fallback stream open, 2 failed without audio.
int InitSound(const IniFile& settings);
void InitCalibration(const IniFile& settings);

// Deferred start-up.
void InitWebcam(const IniFile& settings);
void InitDrumkit();
void InitDrummer(const IniFile& settings);
void ChangeInterfaceState(int state);

// Shutdown.
void StopCamera();
void CleanUpDistanceMenu();
void CleanUpMIDI();
void StopAudio();

// Frame.
bool DrumsMuted();
bool PlaylistEmpty();
void ScheduleSongLoadingPlaying(bool& valid_song_file);
void PlaySongNow();
bool CameraWorks();
bool WebcamUpdate(bool upload);
void WebcamLost();
void WebcamDraw(float alpha);
void CenterWebcam(int width, int height);
void DrawBackground(bool with_title);
void GuiBegin();
void GuiEnd();
int RawQueueSize();
void DrawText(int x, int y, const std::string& text);
void SliderBackground(float x, float y, float w, float h, float value, bool a, bool b, bool c, bool d);
void SliderProgressOnly(float x, float y, float w, float h, float value);

// Input.
void GuiAddKey(int key);
bool GuiHandleTextUnmarking(unsigned char key);
void GuiSetModifiers(int modifiers);
void GuiSetMouse(int x, int y);
void GuiSetMouseDown(bool down);
void GuiSetSpecialKey(int key, bool down);
void GuiSetMarkedText(const std::string& text);
void ClearInAirMessages();
void SaveLastSession();
void GoBackToMainMenu();
void ClosePerformanceWav();

}  // namespace nb
