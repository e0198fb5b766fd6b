// The set-up wizard (interface state 35), its frame-rate watchdog and the drumming screens'
// mouse buttons.
#pragma once

class Drummer;
class Webcam;
class Imgui;
class IniFile;
class DistanceMenu;

class Calibration {
 public:
  // Keeps the three objects and prepares the wizard; called by main after the sound manager.
  void Init(Drummer& drummer, Webcam& webcam, Imgui& imgui, const IniFile& settings);
  // One frame of the wizard (interface state 35).
  void Display();
  // Measures the frame rate every 20 frames and draws the verdict.
  void DoFPS(DistanceMenu& menu);
  // The mouse buttons of the drumming screens.
  void DoDrummingMouseButtons();

  // Set to 1 whenever the frame-rate measurement must restart.
  static int m_fps_frame;

 private:
  Drummer* m_drummer = nullptr;
  Webcam* m_webcam = nullptr;
  Imgui* m_imgui = nullptr;
};

extern Calibration calibration;

// Lets every interface state change restart the frame-rate watchdog; called once at start-up.
void InstallFrameRateWatch();
