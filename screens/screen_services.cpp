// The default screen services: the program-wide camera, set-up wizard, sound manager and MIDI
// output.
#include "screens/screen_services.h"

#include <GL/gl.h>

#include "airmenu/calibration.h"
#include "sound/midi.h"
#include "sound/sound.h"
#include "tracking/ps3eye_glue.h"

namespace {

// The wizard draws its picture at its natural size centred in the window; the languages
// screen moves it by (dx, dy).
void DrawPicture(int mode, int dx, int dy) {
  glPushMatrix();
  glTranslatef(static_cast<float>(dx), static_cast<float>(dy), 0);
  calibration.DrawCurrentImage(static_cast<Calibration::ImageDimensions>(mode));
  glPopMatrix();
}

void PlayLatencyTest() {
  sound.audio.StartSound(sound.latency_test_sound, 0.5f, 0.0f, true, 0.0f, false);
}

ScreenServices DefaultScreenServices() {
  return ScreenServices{
      .camera_working = [] { return PSEyeIsWorking(); },
      .camera_fault = PSEyeFault,
      .start_wizard = [](bool play) { calibration.Start(play); },
      .change_wizard_stage = [](int stage) { calibration.ChangeStage(static_cast<Calibration::Stage>(stage)); },
      .lights_checked = [] { return Calibration::were_lights_checked; },
      .load_picture = [](const std::string& path) { return calibration.LoadCurrentImage(path.c_str()); },
      .draw_picture = DrawPicture,
      .delete_picture = [] { calibration.DeleteCurrentImage(); },
      .audio_device_names = [](std::map<int, std::string>& n) { sound.GetAudioDeviceNames(n); },
      .audio_device_name = [](std::string& name, int i) { sound.GetAudioDeviceName(name, i); },
      .audio_device_index = [] { return sound.GetAudioDeviceIndex(); },
      .audio_choice_manual = [] { return sound.IsAudioDeviceChoiceManual(); },
      .audio_device_type = [] { return static_cast<int>(sound.audio.GetDeviceType()); },
      .audio_frames_per_buffer = [] { return sound.audio.GetFramesPerBuffer(); },
      .reinit_audio = [](int type, int frames, int index) {
        return sound.ReinitDevice(static_cast<Audio::DeviceType>(type), frames, index);
      },
      .play_latency_test = PlayLatencyTest,
      .midi_port_names = [](std::map<int, std::string>& n) { GetMIDIOutputPortNames(n); },
  };
}

}  // namespace

ScreenServices screen_services = DefaultScreenServices();

void ResetScreenServices() { screen_services = DefaultScreenServices(); }
