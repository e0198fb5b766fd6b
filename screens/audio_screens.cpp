// The audio device screen (state 15) and the latency screen (state 5): which output device,
// buffer size and stream type the sound manager opens, with a first-run variant that guides a
// new user through Apply, Test and Finish.
#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "drumming/settings_keys.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "render/airwidget_drawing.h"
#include "render/font.h"
#include "render/imgui.h"
#include "screens/paged_list.h"
#include "screens/screen_common.h"
#include "screens/screen_services.h"
#include "screens/screens.h"
#include "sound/midi.h"
#include "sound/sound.h"
#include "tracking/mocap_marker.h"

namespace {

enum : int { kLetChoose = ScreenId(kAudioDeviceScreen, 1), kNone, kDevicePrevious, kDeviceNext, kDeviceOk, kDevice = ScreenId(kAudioDeviceScreen, 100) };
enum : int {
  kBeginner = ScreenId(kLatencyScreen, 1), kProficient, kExpert, kChange, kBuffer, kLowLatency,
  kPlainStream, kClose, kApply, kTest
};

constexpr int kAutomatic = -1, kNoDevice = -2;
constexpr int kLowLatencyType = Audio::kLowLatencyStream, kPlainType = Audio::kPlainStream, kNoStream = Audio::kNoOutput;
constexpr int kDevicesPerPage = 6;

// Ok on the device screen: back to the latency screen with the chosen device, which the latency
// screen's entry reads (state_param = kAudioDeviceScreen, state_param2 = the device).
void ReturnToLatencyScreen(int device) { ChangeInterfaceState(kLatencyScreen, kAudioDeviceScreen, device, 0); }

}  // namespace

void DoAudioDeviceScreen() {
  static std::map<int, std::string> audio_device_names;
  static int port_page = 0, num_port_pages = 0, audio_device_number = kAutomatic;
  if (EnteringPage()) {
    screen_services.audio_device_names(audio_device_names);
    audio_device_number = screen_services.audio_choice_manual() ? screen_services.audio_device_index() : kAutomatic;
    port_page = PageOf(audio_device_names, audio_device_number, kDevicesPerPage);
    num_port_pages = NumPages(static_cast<int>(audio_device_names.size()), kDevicesPerPage);
  }
  const int H = ScreenHeight();
  imgui.DoText(48, H - 41, "%s", GetUtf8(kTextDoRunSeveral));
  imgui.DoText(48, H - 71, "%s", GetUtf8(kTextSeveralSoundPlayback));
  imgui.DoText(48, H - 101, "%s", GetUtf8(kTextDefaultOptionBelow));
  if (imgui.DoCheckBox(kLetChoose, 88, H - 141, GetUtf8(kTextLetSkytapperChoose), audio_device_number == kAutomatic,
                       true))
    audio_device_number = kAutomatic;
  imgui.DoText(48, H - 181, "%s", GetUtf8(kTextOtherwiseSelectAudio));
  if (imgui.DoCheckBox(kNone, 88, H - 221, GetUtf8(kTextNoneSkytapperPlay), audio_device_number == kNoDevice, true))
    audio_device_number = kNoDevice;
  const int shown = DoPagedChoices(kDevice, H - 251, audio_device_names, port_page, kDevicesPerPage, audio_device_number, false);
  DoPageButtons(kDevicePrevious, kDeviceNext, H - 263 - 30 * shown, port_page, num_port_pages);
  if (imgui.DoButton(kDeviceOk, 48, H - 571, 104, 50, GetUtf8(kTextOk)))
    ReturnToLatencyScreen(audio_device_number);
}

namespace {

// What the latency screen edits; kept across the visit to the device screen.
struct LatencyState {
  int frames_per_buffer = 1;
  int manual_device_choice = kAutomatic;
  int device_type = kLowLatencyType;
  bool failed_reinit = false;
  bool have_changes = false;
  bool can_close = true;
  bool device_changed = false;
  int glitch_hack = 0;
};
LatencyState latency_choice;

bool MidiOnlyOutsideFirstRun() { return midi_mode == kMidiOnlyMode && !drummer.Never_Ran; }

void EnterLatencyScreen() {
  latency_choice.device_changed = false;
  if (state_param == kAudioDeviceScreen) {
    const int d = state_param2;
    if (d != latency_choice.manual_device_choice) {
      if (latency_choice.manual_device_choice == kNoDevice && latency_choice.frames_per_buffer == 1) latency_choice.frames_per_buffer = 128;
      latency_choice.manual_device_choice = d;
      latency_choice.device_changed = true;
      latency_choice.have_changes = true;
      latency_choice.device_type = d == kNoDevice ? kNoStream : kLowLatencyType;
    }
    return;
  }
  latency_choice.manual_device_choice = screen_services.audio_choice_manual() ? screen_services.audio_device_index() : kAutomatic;
  latency_choice.frames_per_buffer = std::clamp(screen_services.audio_frames_per_buffer(), 1, 1000);
  latency_choice.failed_reinit = false;
  if (drummer.Never_Ran) {
    latency_choice.device_type = kLowLatencyType;
    latency_choice.have_changes = true;
    latency_choice.can_close = false;
  } else {
    latency_choice.device_type = screen_services.audio_device_type();
    latency_choice.can_close = true;
  }
}

void Apply() {
  if (MidiOnlyOutsideFirstRun()) {
    latency_choice.have_changes = false;
  } else if (screen_services.reinit_audio(latency_choice.device_type, latency_choice.frames_per_buffer, latency_choice.manual_device_choice)) {
    SaveSoundSettings(SoundDeviceLines::kRunning);
    latency_choice.have_changes = false;
  } else {
    latency_choice.failed_reinit = true;
    const int type_now = screen_services.audio_device_type();
    MessageBox(GetUtf8(type_now != kNoStream ? kTextAudioFallbackDevice : kTextNoAudioOutput), false, true);
    latency_choice.device_type = type_now;
  }
  latency_choice.device_changed = false;
  latency_choice.can_close = true;
  drummer.SaveLastSession();
}

void DoSensitivity(int H) {
  struct Choice { int id, x, text, sensitivity; };
  static constexpr Choice kChoices[] = {
      {kBeginner, 88, kTextBeginner, 2}, {kProficient, 308, kTextProficient, 1}, {kExpert, 528, kTextExpert, 0}};
  imgui.DoText(48, H - 41, "%s", GetUtf8(kTextDrumHitDetection));
  for (const auto& c : kChoices) {
    const int frames = DownFramesForSensitivity(c.sensitivity);
    if (imgui.DoCheckBox(c.id, c.x, H - 79, GetUtf8(c.text), MocapMarker::m_down_frames_needed == frames, true)) {
      MocapMarker::m_down_frames_needed = frames;
      latency_choice.have_changes = true;
    }
  }
}

void DoDeviceLine(int H) {
  std::string name;
  screen_services.audio_device_name(name, latency_choice.device_changed ? latency_choice.manual_device_choice : -3);
  imgui.DoText(48, H - 141, GetUtf8(kTextAudioLatencyDevice), name.c_str());
  const std::string head = std::string(GetUtf8(kTextAudioLatencyDeviceOpen)) + name;
  const float W = imgui.font ? imgui.font->GetWidth(head.c_str()) : 0.0f;
  if (imgui.DoButton(kChange, static_cast<int>(W + 68), H - 135, 122, 35, GetUtf8(kTextChange)))
    ChangeInterfaceState(kAudioDeviceScreen, 0, 0, 0);
  imgui.DoText(static_cast<int>(W + 202), H - 141, "%s", GetUtf8(kTextCloseParen));
}

void DoStreamChoice(int H) {
  const bool ja = IsLanguage("ja");
  imgui.DoText(88, H - 199, "%s", GetUtf8(kTextBufferSize));
  int value = std::min(latency_choice.frames_per_buffer, 256);
  if (imgui.DoSlider(kBuffer, ja ? 258 : 248, H - 185, ja ? 140 : 240, 50, value, 256, 1)) {
    latency_choice.frames_per_buffer = std::max(value, 14);
    latency_choice.have_changes = true;
  }
  imgui.DoText(ja ? 438 : 518, H - 199, GetUtf8(kTextMsBufferLatency),
               static_cast<double>(static_cast<float>(latency_choice.frames_per_buffer) / 44.1f),
               latency_choice.frames_per_buffer);
  imgui.DoText(ja ? 108 : 248, H - 245, "%s", GetUtf8(kTextLowerValuesGive));
  imgui.DoText(ja ? 108 : 248, H - 271, "%s", GetUtf8(kTextClickApplyBelow));
  imgui.DoText(88, H - 309, "%s", GetUtf8(kTextPickAudioAPI));
  if (imgui.DoCheckBox(kLowLatency, 88, H - 349, GetUtf8(kTextLowerAudioLatency),
                       latency_choice.device_type == kLowLatencyType, true)) {
    latency_choice.have_changes |= latency_choice.device_type != kLowLatencyType;
    latency_choice.device_type = kLowLatencyType;
  }
  imgui.DoText(120, H - 379, "%s", GetUtf8(kTextProgramsAffectedRecommended));
  if (imgui.DoCheckBox(kPlainStream, 88, H - 421, GetUtf8(kTextHigherAudioLatency),
                       latency_choice.device_type == kPlainType, true)) {
    latency_choice.have_changes |= latency_choice.device_type != kPlainType;
    latency_choice.device_type = kPlainType;
  }
  imgui.DoText(120, H - 451, "%s", GetUtf8(kTextAffected));
}

void DoLatencyButtons(int H) {
  const bool first_run = drummer.Never_Ran;
  const bool de = IsLanguage("de");
  const char* close = GetUtf8(first_run ? kTextFinish : kTextClose);
  if (!latency_choice.can_close) {
    imgui.DoButtonGreyed(48, H - 571, 104, 50, close);
  } else if (imgui.DoButton(kClose, 48, H - 571, 104, 50, close)) {
    ChangeInterfaceState(kMainScreen, 0, 0, 0);
  }
  const int apply_x = de ? 176 : 191, apply_w = de ? 134 : 104;
  if (!latency_choice.have_changes) {
    imgui.DoButtonGreyed(apply_x, H - 571, apply_w, 50, GetUtf8(kTextApply));
  } else {
    if (first_run) RectangleHalo(de ? 174 : 189, static_cast<float>(H - 569), de ? 138 : 108, 54);
    if (imgui.DoButton(kApply, apply_x, H - 571, apply_w, 50, GetUtf8(kTextApply))) Apply();
  }
  if (!MidiOnlyOutsideFirstRun()) {
    if (latency_choice.glitch_hack != 0 || latency_choice.manual_device_choice == kNoDevice) {
      imgui.DoButtonGreyed(334, H - 571, 104, 50, GetUtf8(kTextTest));
    } else if (imgui.DoButton(kTest, 334, H - 571, 104, 50, GetUtf8(kTextTest))) {
      if (latency_choice.have_changes) Apply();
      latency_choice.glitch_hack = 150;
      screen_services.play_latency_test();
    }
  }
  if (latency_choice.glitch_hack > 0) --latency_choice.glitch_hack;
}

}  // namespace

void DoLatencyScreen() {
  if (EnteringPage()) {
    EnterLatencyScreen();
  }
  const int H = ScreenHeight();
  if (drummer.Never_Ran) {
    imgui.DoText(48, H - 41, "%s", GetUtf8(kTextSelectAudioSettings));
    imgui.DoText(48, H - 67, "%s", GetUtf8(kTextMakeSureComputer));
    imgui.DoText(48, H - 93, "%s", GetUtf8(kTextLatencyButtonMain));
  } else {
    DoSensitivity(H);
  }
  if (!MidiOnlyOutsideFirstRun()) {
    DoDeviceLine(H);
    if (latency_choice.manual_device_choice != kNoDevice) DoStreamChoice(H);
    if (latency_choice.failed_reinit) imgui.DoText(48, H - 631, "%s", GetUtf8(kTextSorryCouldApply));
  }
  DoLatencyButtons(H);
}
