// The set-up wizard. Stand-in until the in-air pages and the wizard are written: it keeps its
// objects and draws nothing of its own.
#include "airmenu/calibration.h"

#include "drumming/progress.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"

Calibration calibration;
int Calibration::m_fps_frame = 0;

void Calibration::Init(Drummer& drummer, Webcam& webcam, Imgui& imgui, const IniFile&) {
  m_drummer = &drummer;
  m_webcam = &webcam;
  m_imgui = &imgui;
}

void Calibration::Display() { just_changed_state = false; }

void Calibration::DoFPS(DistanceMenu&) {}

void Calibration::DoDrummingMouseButtons() { DrawSamplesProgress(0, false); }

void InstallFrameRateWatch() {
  restart_frame_rate_watch = [] { Calibration::m_fps_frame = 1; };
}
