// What a viewer sends, fuzzed: TCP chunks through the link's framing into its message handling,
// and datagrams through the head-pose check into the panning, over a loaded kit of four drums.
// Whatever arrives, positions stay numbers, pans stay in [-1, 1], volumes in 0-100, the
// metronome's tempo in 50-250, and no kit file is written (the kit library is not installed,
// so even code 29 cannot save). Codes 21 (a recording file) and 24 (a kit load) are left out.
// Input: records of [kind byte: even = TCP chunk, odd = datagram][length byte][bytes].
#include <cmath>

#include "airmenu/viewer_link.h"
#include "drumming/drummer.h"
#include "fuzz/fuzz_common.h"
#include "sound/sound.h"
#include "tests/support/stroke_harness.h"

namespace {

std::string kit_file;

void Handle(MessageType code, const unsigned char* payload) {
  if (code != kMsgStartRecording && code != kMsgUseBrowsedKit) HandleMessage(code, payload);
}

void CheckState() {
  for (const Drumkit::Drum& d : drumkit.drums)
    for (float v : {d.x, d.y, d.size, d.foot_x, d.foot_y, d.pedal_lowest_foot_y}) FUZZ_CHECK(std::isfinite(v));
  for (const Sound::Element& e : sound.elements) FUZZ_CHECK(e.pan >= -1.0f && e.pan <= 1.0f);
  for (int v : {sound.master_volume.load(), sound.drums_volume.load(), sound.song_volume.load(),
                sound.metronome_volume.load()})
    FUZZ_CHECK(v >= 0 && v <= 100);
  const float period = sound.beat_period.load();
  FUZZ_CHECK(period >= 60.0f / 250 - 1e-6f && period <= 60.0f / 50 + 1e-6f);
  FUZZ_CHECK(fuzz::ReadFile("conf/drumkits/viewer.ini") == kit_file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallInScratchDir();
  skyt_test::ResetSound();
  drumkit.Init();
  const std::vector<skyt_test::KitDrum> drums = {
      {"sn", Sound::SNARE, Sound::CATEGORY_HAND, skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND)},
      {"hh", Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT,
       skyt_test::AddElement(Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT)},
      {"bd", Sound::KICK, Sound::CATEGORY_FOOT, skyt_test::AddElement(Sound::KICK, Sound::CATEGORY_FOOT)},
      {"cr", Sound::CRASH, Sound::CATEGORY_HAND, skyt_test::AddElement(Sound::CRASH, Sound::CATEGORY_HAND)}};
  if (!skyt_test::LoadKit(drumkit, drums,
                          "Drum0.x = 240\nDrum0.y = 150\nDrum0.size = 4\nDrum1.x = 60\nDrum1.y = 120\n"
                          "Drum1.size = 4\nDrum1.foot_x = 90\nDrum1.foot_y = 225\nDrum1.foot_size = 5\n"
                          "Drum2.foot_x = 200\nDrum2.foot_y = 225\nDrum2.foot_size = 5\nDrum3.x = 200\n"
                          "Drum3.y = 60\nDrum3.size = 4\n",
                          "viewer.ini"))
    abort();
  kit_file = fuzz::ReadFile("conf/drumkits/viewer.ini");
  drummer.kit = &drumkit;
  fuzz::MaybeWriteSeeds([](std::vector<std::pair<std::string, fuzz::Bytes>>& seeds) {
    fuzz::Bytes moves = {0, 17, 27};
    fuzz::PutU32(moves, 1);
    for (float f : {70.0f, 110.0f, 5.0f}) fuzz::PutF32(moves, f);
    moves.insert(moves.end(), {1, 16, 'S', 'K', 'Y', '2', 1, 0, 0, 0});
    fuzz::PutF32(moves, 0.3f);
    fuzz::PutF32(moves, 0.9f);
    seeds.push_back({"moves_and_pose", moves});
    seeds.push_back({"tempo_and_volume", {0, 8, 19, 0, 0, 0, 0, 23, 0, 200}});
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MessageParser parser;
  uint32_t last_pose = 0;
  for (size_t at = 0; at + 2 <= size;) {
    const bool datagram = data[at] & 1;
    const size_t length = std::min<size_t>(data[at + 1], size - at - 2);
    const uint8_t* bytes = data + at + 2;
    OculusPacket pose;
    if (!datagram) {
      parser.Feed(bytes, length, Handle);
      EndOfViewerMessages();
    } else if (ReadHeadPose(bytes, long(length), last_pose, pose))
      SetOculusPanning(pose);
    CheckState();
    at += 2 + length;
  }
  return 0;
}
