// What the screens use of the camera, the set-up wizard and the sound and MIDI devices, as one
// table of calls. The defaults reach the program-wide objects (the wizard's current picture
// serves the help, about and languages screens); tests replace single entries (13 audio
// devices, no camera, a failing device) and put the defaults back with ResetScreenServices.
// Main thread only.
#pragma once
#include <map>
#include <string>

#include "tracking/ps3eye_glue.h"

struct ScreenServices {
  // The camera delivers frames; when it does not, why the start-up could not open one.
  bool (*camera_working)();
  CameraFault (*camera_fault)();

  // The set-up wizard: starting it (the state is already 35), moving it to a stage, and
  // whether a lighting check has passed in this run.
  void (*start_wizard)(bool place_drums);
  void (*change_wizard_stage)(int stage);
  bool (*lights_checked)();

  // The one current picture of the help, about and languages screens. Load replaces it
  // (false, and no picture, when the file cannot be read); draw mode 0 is the natural size,
  // 2 stretched over the window; dx, dy move it (pixels, y upwards).
  bool (*load_picture)(const std::string& path);
  void (*draw_picture)(int mode, int dx, int dy);
  void (*delete_picture)();

  // The audio output: device list (index -> name), the name shown for an index (-3 the device
  // in use), the device in use and whether the user chose it, the stream's type and buffer
  // size, re-opening it, and the latency test sound.
  void (*audio_device_names)(std::map<int, std::string>& names);
  void (*audio_device_name)(std::string& name, int index);
  int (*audio_device_index)();
  bool (*audio_choice_manual)();
  int (*audio_device_type)();
  int (*audio_frames_per_buffer)();
  bool (*reinit_audio)(int type, int frames, int index);
  void (*play_latency_test)();

  // MIDI output ports (device index -> name).
  void (*midi_port_names)(std::map<int, std::string>& names);
};

extern ScreenServices screen_services;
void ResetScreenServices();
