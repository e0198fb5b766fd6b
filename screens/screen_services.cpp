// The default screen services: the program-wide camera, sound manager and MIDI output, and a
// current picture kept here for the help, about and languages screens.
#include "screens/screen_services.h"

#include <GL/gl.h>

#include "render/image.h"
#include "render/imgui.h"
#include "render/widget_drawing.h"
#include "render/widget_drawing_state.h"
#include "sound/midi.h"
#include "sound/sound.h"
#include "tracking/ps3eye_glue.h"

namespace {

Image current_picture;

bool LoadPicture(const std::string& path) {
  current_picture.CleanUp();
  return current_picture.Init(path.c_str());
}

void DrawPicture(int mode, int dx, int dy) {
  if (!current_picture.texture) return;
  const float W = static_cast<float>(Imgui::platform.window_width());
  const float H = static_cast<float>(Imgui::platform.window_height());
  skyt::TextureGuard guard;
  glEnable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  if (mode == 2) {
    TexturedQuad(current_picture, 0, 0, W, H);
  } else {
    const float x0 = static_cast<float>(dx), top = H + static_cast<float>(dy);
    TexturedQuad(current_picture, x0, top - static_cast<float>(current_picture.height),
                 x0 + static_cast<float>(current_picture.width), top);
  }
}

void PlayLatencyTest() {
  sound.audio.StartSound(sound.latency_test_sound, 0.5f, 0.0f, true, 0.0f, false);
}

ScreenServices DefaultScreenServices() {
  return ScreenServices{
      .camera_working = [] { return PSEyeIsWorking(); },
      .start_wizard = [](bool) {},
      .change_wizard_stage = [](int) {},
      .lights_checked = [] { return false; },
      .load_picture = LoadPicture,
      .draw_picture = DrawPicture,
      .delete_picture = [] { current_picture.CleanUp(); },
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
