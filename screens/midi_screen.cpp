// The MIDI settings screen (state 10): output mode, port, note scheduler, which events send
// notes, the hi-hat options, and the switch of the sound engine into and out of MIDI-only mode
// when OK leaves.
#include <algorithm>
#include <map>
#include <string>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/interface_states.h"
#include "frame/paths.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "render/imgui.h"
#include "screens/paged_list.h"
#include "screens/screen_common.h"
#include "screens/screen_services.h"
#include "screens/screens.h"
#include "sound/audio.h"
#include "sound/midi.h"

namespace {

enum : int {
  kNoMidi = ScreenId(kMidiScreen, 1), kMidiOnly, kMidiAndSounds, kPortPrevious, kPortNext,
  kPedalClose, kMetronome, kMenuSound, kSchedulerYes, kSchedulerNo, kOpennessBeforeNote,
  kOpenOrClosed, kOk, kMidiMaps, kPort = ScreenId(kMidiScreen, 100)
};
constexpr int kPortsPerPage = 3;

struct MidiScreenState {
  std::map<int, std::string> midi_port_names;
  bool have_changes = false;
  int old_midi_mode = kNoMidiMode;
  int port_page = 0, num_port_pages = 0;
  // Set when the user went to the MIDI-map screens: the engine is still in old_midi_mode, so
  // the next entry keeps it (and the pending changes) for the switch that OK makes.
  bool visiting_maps = false;
};
MidiScreenState midi_settings;

void Enter() {
  screen_services.midi_port_names(midi_settings.midi_port_names);
  if (!midi_settings.visiting_maps) {
    midi_settings.have_changes = false;
    midi_settings.old_midi_mode = midi_mode;
  }
  midi_settings.visiting_maps = false;
  midi_settings.port_page = PageOf(midi_settings.midi_port_names, midi_output_number, kPortsPerPage);
  midi_settings.num_port_pages = NumPages(static_cast<int>(midi_settings.midi_port_names.size()), kPortsPerPage);
}

void SetMode(int mode) {
  midi_settings.have_changes |= midi_mode != mode;
  midi_mode = mode;
  if (mode != kNoMidiMode && !midi_settings.midi_port_names.empty() && !midi_settings.midi_port_names.count(midi_output_number)) {
    midi_output_number = midi_settings.midi_port_names.begin()->first;
  }
}

void DoModes(int H) {
  imgui.DoText(48, H - 41, "%s", GetUtf8(kTextMIDIOutputMode));
  if (imgui.DoCheckBox(kNoMidi, 88, H - 79, GetUtf8(kTextNoMIDI), midi_mode == kNoMidiMode, true)) SetMode(kNoMidiMode);
  if (midi_settings.midi_port_names.empty()) {
    imgui.DoCheckBoxGreyed(308, H - 79, GetUtf8(kTextMIDIOnly), midi_mode == kMidiOnlyMode);
    imgui.DoCheckBoxGreyed(528, H - 79, GetUtf8(kTextMIDISounds), midi_mode == kMidiAndSoundsMode);
    return;
  }
  if (imgui.DoCheckBox(kMidiOnly, 308, H - 79, GetUtf8(kTextMIDIOnly), midi_mode == kMidiOnlyMode, true))
    SetMode(kMidiOnlyMode);
  if (imgui.DoCheckBox(kMidiAndSounds, 528, H - 79, GetUtf8(kTextMIDISounds), midi_mode == kMidiAndSoundsMode, true))
    SetMode(kMidiAndSoundsMode);
}

// A text, greyed in mode 0.
void Text(bool greyed, int x, int y, int id) {
  if (greyed) {
    imgui.DoTextGreyed(x, y, "%s", GetUtf8(id));
  } else {
    imgui.DoText(x, y, "%s", GetUtf8(id));
  }
}

// A check box over a flag or a choice, greyed in mode 0; true when clicked.
bool Box(bool greyed, int id, int x, int y, TextId text, bool ticked, bool radio) {
  if (greyed) {
    imgui.DoCheckBoxGreyed(x, y, GetUtf8(text), ticked);
    return false;
  }
  return imgui.DoCheckBox(id, x, y, GetUtf8(text), ticked, radio);
}

void Toggle(bool greyed, int id, int x, int y, TextId text, bool& flag) {
  if (Box(greyed, id, x, y, text, flag, false)) {
    flag = !flag;
    midi_settings.have_changes = true;
  }
}

// The port list with its paging, or where its first line would stand, the advice to open a
// port; returns how many ports it shows.
int DoPorts(int H, bool greyed) {
  Text(greyed, 48, H - 120, kTextSendMIDIOutput);
  if (midi_settings.midi_port_names.empty()) imgui.DoText(88, H - 160, "%s", GetUtf8(kTextNoMIDIOutput));
  const int before = midi_output_number;
  const int n = DoPagedChoices(kPort, H - 160, midi_settings.midi_port_names, midi_settings.port_page, kPortsPerPage, midi_output_number, greyed);
  midi_settings.have_changes |= midi_output_number != before;
  if (midi_settings.num_port_pages >= 2 && greyed) {
    imgui.DoButtonGreyed(88, H - 164 - 30 * n, 124, 35, GetUtf8(kTextPrevious));
    imgui.DoButtonGreyed(233, H - 164 - 30 * n, 104, 35, GetUtf8(kTextNext));
  } else {
    DoPageButtons(kPortPrevious, kPortNext, H - 164 - 30 * n, midi_settings.port_page, midi_settings.num_port_pages);
  }
  return n;
}

void DoOptions(int H, int n, bool greyed) {
  const int d = 30 * n;
  Text(greyed, 48, H - 218 - d, kTextSendMIDINote);
  Toggle(greyed, kPedalClose, 88, H - 256 - d, kTextHihatPedalClose, midi_send_pedal_close);
  Toggle(greyed, kMetronome, IsLanguage("ja") ? 408 : 348, H - 256 - d, kTextMetronomeTick, midi_send_metronome);
  Toggle(greyed, kMenuSound, 88, H - 286 - d, kTextMenuSound, midi_send_menu_sound);
  Text(greyed, 48, H - 329 - d, kTextUseMIDINote);
  // Yes and No after the question, however long it is in the language.
  const int yes_x = std::max(398, 48 + TextWidth(GetUtf8(kTextUseMIDINote)) + 24);
  const int no_x = std::max(yes_x + 80, yes_x + 33 + TextWidth(GetUtf8(kTextYes)) + 24);
  if (Box(greyed, kSchedulerYes, yes_x, H - 329 - d, kTextYes, midi_latency != 0, true)) {
    midi_settings.have_changes |= midi_latency == 0;
    midi_latency = 1;
  }
  if (Box(greyed, kSchedulerNo, no_x, H - 329 - d, kTextNo, midi_latency == 0, true)) {
    midi_settings.have_changes |= midi_latency != 0;
    midi_latency = 0;
  }
  Text(greyed, 48, H - 372 - d, kTextHihats);
  Toggle(greyed, kOpennessBeforeNote, 88, H - 410 - d, kTextOnlySendOpenness, midi_send_cc_only_before_note);
  Toggle(greyed, kOpenOrClosed, 88, H - 440 - d, kTextOpenClosedOnly, midi_use_mdrummer_hack);
}

void ShowReopenFailure() {
  MessageBox(
      GetUtf8(screen_services.audio_device_type() != Audio::kNoOutput ? kTextAudioFallbackDevice : kTextNoAudioOutput),
      false, true);
}

// Out of MIDI-only: the stored audio settings come back and the kit is loaded with samples.
void LeaveMidiOnly() {
  int type = 1, frames = 256, index = -1;
  IniFile ini;
  if (ini.Init(MakePath(kPathConf, "skytapper.cfg"))) {
    ini.GetInt("Sound", "Device_Type", type);
    ini.GetInt("Sound", "Frames_Per_Buffer", frames);
    ini.GetInt("Sound", "Device_Index", index);
  }
  if (!screen_services.reinit_audio(type, frames, index)) ShowReopenFailure();
  drumkit.EraseForMIDI();
  DrawBusyVeil();
  drummer.ChooseDrumkit(drumkit_chooser.current_drumkit_name, true);
}

// Into MIDI-only: samples freed; a low-latency stream is re-opened as the plain one, which
// leaves the device to the music program that receives the notes.
void EnterMidiOnly() {
  drumkit.FreeSamplesForMIDI();
  const int d = screen_services.audio_choice_manual() ? screen_services.audio_device_index() : -1;
  const int type = screen_services.audio_device_type();
  if (type == Audio::kLowLatencyStream) {
    screen_services.reinit_audio(Audio::kPlainStream, 256, d);
    MessageBox(GetUtf8(kTextAlreadyRunningDAW), false, true);
  } else if (type == Audio::kStoredOnlyType) {
    screen_services.reinit_audio(Audio::kLastFallbackStream, 256, d);
  }
}

void Ok() {
  if (midi_settings.have_changes) drummer.SaveLastSession();
  if (midi_settings.old_midi_mode == kMidiOnlyMode && midi_mode != kMidiOnlyMode) LeaveMidiOnly();
  if (midi_settings.old_midi_mode != kMidiOnlyMode && midi_mode == kMidiOnlyMode) EnterMidiOnly();
  midi_settings.visiting_maps = false;
  ChangeInterfaceState(kMainScreen, 0, 0, 0);
}

}  // namespace

void DoMIDIScreen() {
  if (EnteringPage()) {
    Enter();
  }
  const int H = ScreenHeight();
  DoModes(H);
  const bool greyed = midi_mode == kNoMidiMode;
  const int n = DoPorts(H, greyed);
  DoOptions(H, n, greyed);
  if (imgui.DoButton(kOk, 48, H - 571, 104, 50, GetUtf8(kTextOk))) Ok();
  if (imgui.DoButton(kMidiMaps, 191, H - 571, IsLanguage("fr") ? 210 : 200, 50, GetUtf8(kTextMIDIMaps))) {
    midi_settings.visiting_maps = true;
    OpenMidiMapList(-1);
  }
}
