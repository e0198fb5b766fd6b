// The viewer link's messages: what the server tells the viewer over TCP, what it does with the
// viewer's requests, and the head-pose panning. Values from the viewer are untrusted: they are
// checked or clamped here before they reach the kit, the mixer or a file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "airmenu/viewer_link.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/progress.h"
#include "library/drumkit_chooser.h"
#include "sound/logger.h"
#include "sound/sound.h"

int drumkit_index = -1;

namespace {

constexpr int kMinTempo = 50, kMaxTempo = 250;

int32_t GetI32(const unsigned char* in) { return static_cast<int32_t>(GetU32(in)); }

void PutU16(unsigned char* out, unsigned v) {
  out[0] = static_cast<unsigned char>(v);
  out[1] = static_cast<unsigned char>(v >> 8);
}

// The first hi-hat of the kit: its pedal moves with the cymbal.
int FirstHihat() {
  for (size_t i = 0; i < drumkit.drums.size(); ++i)
    if (drumkit.drums[i].type == Sound::HIHAT) return int(i);
  return -1;
}

// The drum a viewer's move names, when the index is in the kit and every value a number.
Drumkit::Drum* MovedDrum(const unsigned char* payload, int values) {
  const int32_t index = GetI32(payload);
  if (index < 0 || index >= int32_t(drumkit.drums.size())) return nullptr;
  for (int i = 0; i < values; ++i)
    if (!std::isfinite(GetF32(payload + 4 + 4 * i))) return nullptr;
  return &drumkit.drums[index];
}

void ViewerMovesDrum(const unsigned char* p) {
  Drumkit::Drum* drum = MovedDrum(p, 3);
  if (!drum) return;
  const int index = GetI32(p);
  drum->x = GetF32(p + 4);
  drum->y = GetF32(p + 8);
  drum->size = GetF32(p + 12);
  if (index == FirstHihat()) drum->foot_x = drum->x;
  QueueMessage(kMsgMoveDrum, p);
  drumkit.SetPan(!drummer.Is_Left_Handed, index);
}

void ViewerMovesPedal(const unsigned char* p) {
  Drumkit::Drum* drum = MovedDrum(p, 2);
  if (!drum) return;
  const int index = GetI32(p);
  const float foot_x = GetF32(p + 4);
  if (drumkit.PedalPlacedTooClose(index, foot_x)) return;  // the viewer keeps showing its own place
  drum->foot_x = foot_x;
  drum->foot_y = GetF32(p + 8);
  if (index == FirstHihat()) {
    drum->x = foot_x;
    SendMessage_MoveDrum(index, *drum);
  } else {
    QueueMessage(kMsgMovePedal, p);
  }
  drum->pedal_lowest_foot_y = drum->foot_y;
  drum->pedal_foot_range = -Drummer::m_default_pedal_range_foot;
  drumkit.SetPan(!drummer.Is_Left_Handed, index);
}

void SetFinite(float& field, const unsigned char* p) {
  const float v = GetF32(p);
  if (std::isfinite(v)) field = v;
}

// The song loads on its own thread; the frame's song scheduler starts it once its start is in
// memory, so the frame never waits for it.
void PlaySong() {
  if (!sound.song.IsLoaded() && sound.song.Frames() == 0 && !drummer.playlist.empty()) drummer.LoadSong();
  drummer.PlaySong(false);
}

// `steps` songs on (back when negative), as that many single steps would leave the playlist,
// with one stop, one scheduling and one name for the viewer: at least one step is taken, a
// whole turn when the steps cancel out.
void MoveInPlaylist(int steps) {
  const int size = int(drummer.playlist.size());
  const int calls = size < 2 ? 1 : (std::abs(steps) + size - 1) % size + 1;
  bool moved = false;
  for (int i = 0; i < calls; ++i) moved = steps < 0 ? drummer.PreviousSong() : drummer.NextSong();
  if (size > 0) {
    bool loaded = false;
    drummer.ScheduleSongLoadingPlaying(moved, loaded);
  }
  SendMessage_SongName();
}

void StartMetronome(const unsigned char* p) {
  sound.SetMetronomeTempo(float(std::clamp(GetI32(p), kMinTempo, kMaxTempo)));
  sound.StartMetronome(0.0f, 0.0f);
  is_metronome_playing = true;
}

void StopMetronome() {
  sound.StopMetronome();
  is_metronome_playing = false;
}

// The mixer clamps the levels to 0-100 itself.
void SetVolume(const unsigned char* p) {
  switch (p[0]) {
    case 0: sound.SetMasterVolume(p[1]); break;
    case 1: sound.SetDrumsVolume(p[1]); break;
    case 2: sound.SetSongVolume(p[1]); break;
    case 3: sound.SetMetronomeVolume(p[1]); break;
    default: break;
  }
}

void UseBrowsedKit() {
  if (!drumkit_chooser.GetDrumkit(drumkit_index)) {
    drumkit_index = drumkit_chooser.GetCurrentKitIndex();
    SendMessage_DrumkitName();
  }
  const DrumkitChooser::LogicalDrumkit* kit = drumkit_chooser.GetDrumkit(drumkit_index);
  if (!kit) return;  // an empty list, or no kit in use
  const std::string name = kit->Name;  // loading may rebuild the list
  if (drummer.ChooseDrumkit(name, false)) DrawSamplesProgress(0, true);
}

// A viewer may send a request as fast as it can. A run of play-song, of previous- and
// next-song, or of use-kit requests, unbroken by any other message, is acted on once a frame
// (when another message comes or the frame's messages end), and a run that has chosen its kit
// does not load it again while that kit is in use.
enum class RunKind { kNone, kPlay, kSongs, kKit };

struct RequestRun {
  RunKind kind = RunKind::kNone;
  bool pending = false;
  int song_steps = 0;
  bool kit_chosen = false;
};
RequestRun run;

RunKind KindOf(MessageType code) {
  switch (code) {
    case kMsgPlaySong: return RunKind::kPlay;
    case kMsgPreviousSong:
    case kMsgNextSong: return RunKind::kSongs;
    case kMsgUseBrowsedKit: return RunKind::kKit;
    default: return RunKind::kNone;
  }
}

bool BrowsedKitInUse() {
  const DrumkitChooser::LogicalDrumkit* kit = drumkit_chooser.GetDrumkit(drumkit_index);
  return kit && kit->Name == drumkit_chooser.current_drumkit_name;
}

void ActOnRun() {
  if (!run.pending) return;
  run.pending = false;
  switch (run.kind) {
    case RunKind::kPlay: PlaySong(); break;
    case RunKind::kSongs: MoveInPlaylist(run.song_steps); break;
    case RunKind::kKit:
      if (run.kit_chosen && BrowsedKitInUse()) break;
      UseBrowsedKit();
      run.kit_chosen = true;
      break;
    case RunKind::kNone: break;
  }
  run.song_steps = 0;
}

void JoinRun(MessageType code) {
  const RunKind kind = KindOf(code);
  if (kind != run.kind) {
    ActOnRun();
    run = RequestRun{kind};
  }
  run.pending = kind != RunKind::kNone;
  if (code == kMsgPreviousSong) --run.song_steps;
  if (code == kMsgNextSong) ++run.song_steps;
}

// The viewer has no place to show a failure: it goes to standard output.
void SaveKitForViewer() {
  std::string message;
  if (!drummer.SaveCalibration(&message))
    printf("Error: the viewer's save of the drum kit failed: %s\n", message.c_str());
}

// One step through the library's list, wrapping at both ends; an unset index starts from the
// kit in use.
void BrowseKit(int step) {
  const int n = int(drumkit_chooser.drumkits.size());
  if (n == 0) return;
  int i = drumkit_chooser.GetDrumkit(drumkit_index) ? drumkit_index : drumkit_chooser.GetCurrentKitIndex();
  i += step;
  drumkit_index = i < 0 ? n - 1 : i >= n ? 0 : i;
  SendMessage_DrumkitName();
}

void QueueFloat(MessageType code, float v) {
  unsigned char p[4];
  PutF32(p, v);
  QueueMessage(code, p);
}

void QueueName(MessageType code, const char* name) {
  unsigned char p[kNameFieldSize];
  EncodeName(p, name);
  QueueMessage(code, p);
}

}  // namespace

void SendMessage_BeginDrumkit(int drum_count, bool user_kit) {
  unsigned char p[8] = {};
  PutU32(p, static_cast<uint32_t>(drum_count));
  p[4] = user_kit ? 1 : 0;
  QueueMessage(kMsgBeginDrumkit, p);
}

void SendMessage_AddDrum(int index, const Drumkit::Drum& drum) {
  unsigned char p[24];
  PutU32(p, static_cast<uint32_t>(index));
  PutU16(p + 4, unsigned(drum.type));
  PutU16(p + 6, unsigned(drum.category));
  PutF32(p + 8, drum.x);
  PutF32(p + 12, drum.y);
  PutF32(p + 16, drum.size);
  PutF32(p + 20, drum.foot_x);
  QueueMessage(kMsgAddDrum, p);
}

void SendMessage_EndDrumkit() { QueueMessage(kMsgEndDrumkit, nullptr); }

void SendMessage_MoveDrum(int index, const Drumkit::Drum& drum) {
  unsigned char p[16];
  PutU32(p, static_cast<uint32_t>(index));
  PutF32(p + 4, drum.x);
  PutF32(p + 8, drum.y);
  PutF32(p + 12, drum.size);
  QueueMessage(kMsgMoveDrum, p);
}

void SendMessage_MovePedal(int index, const Drumkit::Drum& drum) {
  unsigned char p[12];
  PutU32(p, static_cast<uint32_t>(index));
  PutF32(p + 4, drum.foot_x);
  PutF32(p + 8, drum.foot_y);
  QueueMessage(kMsgMovePedal, p);
}

void SendMessage_SongName() {
  float start;
  Drummer::Song song;
  if (drummer.GetCurrentSongAndStartTime(start, song)) QueueName(kMsgSongName, song.path.c_str());
}

void SendMessage_DrumkitName() {
  if (const DrumkitChooser::LogicalDrumkit* kit = drumkit_chooser.GetDrumkit(drumkit_index))
    QueueName(kMsgDrumkitName, kit->Name.c_str());
}

void SendMessage_StickOffset() { QueueFloat(kMsgStickOffset, drummer.Z_Offset); }
void SendMessage_UserHeight() { QueueFloat(kMsgUserHeight, drummer.User_Height); }
void SendMessage_RecordingReplay() { QueueMessage(kMsgRecordingReplay, nullptr); }
void SendMessage_QuitClient() { QueueMessage(kMsgQuitClient, nullptr); }

void SendConnectSequence() {
  SendMessage_StickOffset();
  SendMessage_UserHeight();
  SendMessage_BeginDrumkit(int(drumkit.drums.size()), drumkit.is_user_kit);
  for (size_t i = 0; i < drumkit.drums.size(); ++i) SendMessage_AddDrum(int(i), drumkit.drums[i]);
  SendMessage_EndDrumkit();
  SendMessage_SongName();
  drumkit_index = drumkit_chooser.GetCurrentKitIndex();
  SendMessage_DrumkitName();
  run = RequestRun{};
}

void HandleMessage(MessageType code, const unsigned char* p) {
  JoinRun(code);
  switch (code) {
    case kMsgMenuClick: sound.PlayDistanceMenuButtonSound(); break;
    case kMsgStopSong: drummer.StopSong(); break;
    case kMsgMetronomeOn: StartMetronome(p); break;
    case kMsgMetronomeOff: StopMetronome(); break;
    case kMsgStartRecording:
      if (!recording) logger.StartRecording(recording, drumkit_chooser.current_drumkit_name.c_str());
      break;
    case kMsgStopRecording:
      if (recording) logger.StopRecording(recording);
      break;
    case kMsgSetVolume: SetVolume(p); break;
    case kMsgBrowsePreviousKit: BrowseKit(-1); break;
    case kMsgBrowseNextKit: BrowseKit(1); break;
    case kMsgViewerMovesDrum: ViewerMovesDrum(p); break;
    case kMsgViewerMovesPedal: ViewerMovesPedal(p); break;
    case kMsgSaveCalibration: SaveKitForViewer(); break;
    case kMsgSetStickOffset: SetFinite(drummer.Z_Offset, p); break;
    case kMsgSetUserHeight: SetFinite(drummer.User_Height, p); break;
    default: break;  // the server's own codes and unknown ones
  }
}

void EndOfViewerMessages() { ActOnRun(); }

void SetOculusPanning(const OculusPacket& packet) {
  if (!sound.panning_enabled) return;
  const float c = drummer.Is_Left_Handed ? 178.0f : 146.0f;
  for (size_t i = 0; i < drumkit.drums.size(); ++i) {
    const int slot = drumkit.GetDrumkitElementToSoundElement(int(i));
    if (slot < 0) continue;
    const Drumkit::Drum& drum = drumkit.drums[i];
    float pan = 0.0f;
    if (drum.IsCalibrated()) {
      const float d = (drum.category == Sound::CATEGORY_FOOT ? drum.foot_x : drum.x) - c;
      const float s = std::sqrt(d * d + 640000.0f);
      pan = (-800.0f / s) * packet.p8 + (d / s) * packet.p12;
      pan = std::isfinite(pan) ? std::clamp(pan, -1.0f, 1.0f) : 0.0f;
    }
    sound.SetElementPan(slot, pan);
  }
}
