// Performance recording and playback: a performance recorded from scripted hits, saved, listed,
// loaded and played back offline equals the live render; the file's header; versions 0 and 1;
// damaged files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "sound/logger.h"
#include "sound/sound.h"
#include "tests/sound/audio_test_util.h"
#include "tests/sound/record_test_util.h"

using element_test::GetF32;
using element_test::GetU32;
using element_test::PutF32;
using element_test::PutU32;
using record_test::OfflineSession;

namespace {

class Recording : public record_test::RecordingFolderTest {
 protected:
  void SetUp() override {
    EnterFolder("record");
    snare_path = record_test::MakeElement("snare", Sound::SNARE, Sound::CATEGORY_HAND, 40);
    kick_path = record_test::MakeElement("kick", Sound::KICK, Sound::CATEGORY_FOOT, 90);
    SetVolumes(100);
    sound.SetMetronomeVolume(100);
    sound.audio.SetReverbAmount(0.0f);
    sound.audio.BeginOffline(64);
    sound.audio.StartRawThreads(4);
  }
  void TearDown() override {
    sound.StopRecording();
    logger.UnloadRecording();
    sound.UnloadPerformance();
    sound.metronome_on = false;
    record_test::UnloadOffline(sound);
    cd.reset();
  }
  std::string snare_path, kick_path;
};

TEST_F(Recording, PlaybackOfARecordingEqualsTheLiveRender) {
  const int snare = sound.LoadElement(snare_path.c_str(), -0.5f, 0, 100, 0, 100);
  const int kick = sound.LoadElement(kick_path.c_str(), 0.3f, 1, 90, 0, 100);
  ASSERT_GE(snare, 0);
  ASSERT_GE(kick, 0);
  record_test::WaitForSamples(sound);
  ASSERT_TRUE(record_test::LoadTestSong(sound, "0.5"));

  // The live session: hits between buffers at exact frames; changes that act on whole buffers
  // (master volume, fades, song stop) where playback's buffers also begin (frame + 11025 is a
  // multiple of 64: playback starts 0.25 s before the first event).
  using record_test::Hit;
  OfflineSession live{sound, 1000000000000ull, 0, {}};
  ASSERT_NO_FATAL_FAILURE(record_test::RecordTake(
      live, "recordings/perf.sel", "My kit",
      {Hit(1000, snare, 0.8f, 0),
       Hit(5000, kick, 1.0f, 2),
       Hit(5003, snare, 0.3f, 1),
       {8000, [](Sound& s) { s.PlaySong(0.0f, false); }},
       {10031, [](Sound& s) { s.SetMasterVolume(30); }},
       {12000, [](Sound& s) { s.SetDrumsVolume(60); }},
       Hit(12000, snare, 1.0f, 1),
       {14959, [snare](Sound& s) { s.FadeHihats(snare); }},
       {19951, [](Sound& s) { s.StopSong(false); }},
       Hit(30000, kick, 0.5f, 2)},
      60000));

  logger.BuildRecordingList();
  ASSERT_EQ(logger.GetNumRecordings(), 1);
  EXPECT_EQ(logger.GetRecording(0).name, "perf");
  EXPECT_EQ(logger.GetRecording(0).description, "My kit");
  EXPECT_EQ(logger.GetRecording(0).song, "song.ogg");
  EXPECT_NEAR(logger.GetRecording(0).duration, 0.25f + 60000 / 44100.0f, 1e-4);
  std::string error;
  ASSERT_TRUE(logger.LoadRecording(0, error)) << error;
  record_test::WaitForSamples(sound);

  sound.PlayPerformance(0.0f, true);
  const std::vector<float> played = record_test::RenderPlayback(sound, 400000);
  EXPECT_FALSE(sound.IsPerformancePlaying());  // ended by itself once everything died away
  // Playback ends when the last voice has died away; the live render is silent from there.
  const int played_frames = static_cast<int>(played.size() / 2) - 11025;
  ASSERT_GT(played_frames, 30000);
  for (int f = 0; f < 11025; ++f) ASSERT_EQ(played[2 * f], 0.0f) << f;
  for (int f = 0; f < 60000; ++f)
    for (int c = 0; c < 2; ++c) {
      const float expected = live.out[2 * f + c];
      const float got = f < played_frames ? played[2 * (11025 + f) + c] : 0.0f;
      ASSERT_NEAR(got, expected, 1e-6) << "frame " << f;
    }
  // Playback restored the volumes in force when it started.
  EXPECT_EQ(sound.master_volume, 30);
  EXPECT_EQ(sound.drums_volume, 60);

  // Played from frame 12975 on (a buffer start, as above): the volumes set before it are in
  // force, the song plays on from where it was, and once the hit before it has died away the
  // sound equals the live render (the kick's two takes alternate, so its sign may differ).
  SetVolumes(100);
  sound.PlayPerformance((11025 + 12975) / 44100.0f, true);
  EXPECT_EQ(sound.master_volume, 30);
  EXPECT_EQ(sound.drums_volume, 60);
  const std::vector<float> later = record_test::RenderPlayback(sound, 400000);
  const int later_end = 12975 + static_cast<int>(later.size() / 2);
  ASSERT_GT(later_end, 32000);  // past the last hit
  for (int f = 18500; f < 60000; ++f) {
    const float got = f < later_end ? later[2 * (f - 12975)] : 0.0f;
    ASSERT_NEAR(std::fabs(got), std::fabs(live.out[2 * f]), 1e-6) << "frame " << f;
  }
  // From past the last event there is nothing left to play.
  sound.PlayPerformance((11025 + 40000) / 44100.0f, true);
  const std::vector<float> after_end = record_test::RenderPlayback(sound, 400000);
  for (size_t i = 0; i < after_end.size(); ++i) ASSERT_EQ(after_end[i], 0.0f) << i;
  // Stopped by the player past its volume changes, playback gives back the volumes it found.
  SetVolumes(100);
  sound.SetSongVolume(70);  // not the recorded song volume, which playback sets
  sound.PlayPerformance(0.0f, true);
  audio_test::Render(sound.audio, 11025 + 12000 + 640);
  sound.StopPerformance();
  EXPECT_EQ(sound.master_volume, 40);
  EXPECT_EQ(sound.drums_volume, 100);
  EXPECT_EQ(sound.song_volume, 70);
  // Played without its song, the recording leaves alone a song the player has started: the
  // recording's song stop is not for that one.
  ASSERT_TRUE(audio_test::Shell("sox -n -r 44100 -c 2 long.ogg synth 2 sine 300 vol 0.3"));
  ASSERT_TRUE(sound.LoadSong("long.ogg"));
  sound.audio.WaitForLoadOggAsync(true);
  sound.PlaySong(0.0f, false);
  sound.PlayPerformance(0.0f, false);
  audio_test::Render(sound.audio, 11025 + 19951 + 640);
  EXPECT_GE(sound.audio.GetPlayingTime(sound.song), 0.0f);
}

TEST_F(Recording, HeaderFieldsAndFirstSong) {
  const int snare = sound.LoadElement(snare_path.c_str(), 0.0f, 0, 100, 0, 100);
  const int kick = sound.LoadElement(kick_path.c_str(), 0.0f, 0, 80, 0, 70);
  sound.UnloadElement(snare);  // a freed slot has no element record
  ASSERT_TRUE(audio_test::Shell("sox -n -r 44100 -c 2 a.ogg synth 0.2 sine 300"));
  ASSERT_TRUE(audio_test::Shell("sox -n -r 44100 -c 2 b.ogg synth 0.2 sine 400"));
  sound.metronome_on = true;
  sound.beat_period = 0.5f;
  OfflineSession live{sound, 1000000000000ull, 0, {}};
  live.HoldClock();
  ASSERT_TRUE(sound.StartRecording("recordings/h.sel", nullptr));
  EXPECT_FALSE(sound.StartRecording("recordings/h2.sel", "x"));  // one at a time
  EXPECT_TRUE(sound.IsRecording());
  ASSERT_TRUE(sound.LoadSong("a.ogg"));
  sound.PlaySong(0.0f, false);
  ASSERT_TRUE(sound.LoadSong("b.ogg"));
  sound.PlaySong(0.5f, false);
  live.Render(441);
  sound.StopRecording();
  EXPECT_FALSE(sound.IsRecording());

  const std::vector<uint8_t> b = element_test::ReadBytes("recordings/h.sel");
  ASSERT_GT(b.size(), 16u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "SEL1");
  // 3 volumes, then stop + start of each song (the first song start is its own pair).
  EXPECT_EQ(GetU32(b, 4), 7u);
  EXPECT_NEAR(GetF32(b, 8), 0.26f, 1e-6);
  size_t at = 16;
  const uint32_t date_len = GetU32(b, at);
  at += 4 + date_len;
  EXPECT_EQ(GetU32(b, at), 0u);  // null description
  at += 4;
  EXPECT_FLOAT_EQ(GetF32(b, at), 120.0f);
  at += 4;
  EXPECT_EQ(GetU32(b, at), 1u);      // one element record
  EXPECT_EQ(GetU32(b, at + 4), static_cast<uint32_t>(kick));
  std::string date, song, description;
  float duration = 0;
  ASSERT_TRUE(Sound::GetPerformanceMetaData("recordings/h.sel", date, duration, song, description));
  EXPECT_EQ(song, "a.ogg");  // only the first song start sets the offset
  EXPECT_FALSE(date.empty());
  EXPECT_EQ(description, "");

  // Stopped at once without a song: three volume events at 0.25 s, no song.
  sound.UnloadSong();
  ASSERT_TRUE(sound.StartRecording("recordings/quick.sel", "K"));
  sound.StopRecording();
  const std::vector<uint8_t> q = element_test::ReadBytes("recordings/quick.sel");
  EXPECT_EQ(GetU32(q, 4), 3u);
  EXPECT_EQ(GetU32(q, 12), 0xFFFFFFFFu);
  ASSERT_TRUE(Sound::GetPerformanceMetaData("recordings/quick.sel", date, duration, song, description));
  EXPECT_EQ(song, "");
  EXPECT_FLOAT_EQ(duration, 0.25f);
}

// A take made before the metronome was ever started stores no tempo.
TEST_F(Recording, WithoutTheMetronomeTheTempoIsZero) {
  Sound fresh;
  ASSERT_TRUE(fresh.StartRecording("recordings/plain.sel", "K"));
  fresh.StopRecording();
  const std::vector<uint8_t> b = element_test::ReadBytes("recordings/plain.sel");
  ASSERT_GT(b.size(), 24u);
  const size_t description = 16 + 4 + GetU32(b, 16);
  ASSERT_EQ(GetU32(b, description), 1u);
  EXPECT_EQ(GetF32(b, description + 4 + 1), 0.0f);
}

// A recording written by hand, version 0 or 1.
std::vector<uint8_t> HandMade(char version, const std::string& element, int hand_volume) {
  std::vector<uint8_t> b = {'S', 'E', 'L', static_cast<uint8_t>(version)};
  PutU32(b, 4);           // events
  PutF32(b, 2.0f);        // duration
  PutU32(b, 0xFFFFFFFFu);
  PutU32(b, 3);
  for (char c : std::string("day")) b.push_back(static_cast<uint8_t>(c));
  PutU32(b, 2);
  b.push_back('K');
  b.push_back('t');
  PutF32(b, 0.0f);
  PutU32(b, 1);           // one element, recorded in slot 7
  PutU32(b, 7);
  PutU32(b, static_cast<uint32_t>(element.size()));
  for (char c : element) b.push_back(static_cast<uint8_t>(c));
  PutU32(b, 2);
  PutU32(b, static_cast<uint32_t>(hand_volume));
  if (version == '1') {
    PutU32(b, 1);
    PutU32(b, 33);
  }
  PutF32(b, 0.25f);
  // Events: hit of slot 7 with a NaN velocity and limb 9, hit of unknown slot 3, volume, fade.
  PutF32(b, 0.3f);
  PutU32(b, 3);
  PutU32(b, 7);
  PutF32(b, NAN);
  PutU32(b, 9);
  PutF32(b, 0.0f);
  PutF32(b, 0.4f);
  PutU32(b, 3);
  PutU32(b, 3);
  PutF32(b, 1.0f);
  PutU32(b, 0);
  PutF32(b, 0.0f);
  PutF32(b, 0.5f);
  PutU32(b, 0);
  PutU32(b, 1);
  PutU32(b, 250);
  PutF32(b, 0.6f);
  PutU32(b, 4);
  PutU32(b, 7);
  return b;
}

TEST_F(Recording, VersionsZeroAndOneAndValuesMadeSafe) {
  element_test::WriteBytes("recordings/v0.sel", HandMade('0', snare_path, 77));
  element_test::WriteBytes("recordings/v1.sel", HandMade('1', snare_path, 77));
  ASSERT_TRUE(sound.LoadPerformance("recordings/v0.sel"));
  ASSERT_EQ(sound.performance_slots.size(), 1u);
  const int slot = sound.performance_slots[0];
  ASSERT_GE(slot, 0);
  EXPECT_EQ(sound.GetElementVolume(slot, false), 77);
  EXPECT_EQ(sound.GetElementVolume(slot, true), 77);  // version 0: foot volume = hand volume
  EXPECT_EQ(sound.GetElementCurve(slot, true), 0);
  EXPECT_EQ(sound.GetElementCurve(slot, false), 2);
  EXPECT_EQ(sound.performance_date, "day");
  EXPECT_EQ(sound.performance_description, "Kt");
  ASSERT_EQ(sound.events.size(), 4u);
  EXPECT_EQ(sound.events[0].element, slot);
  EXPECT_EQ(sound.events[0].velocity, 0.0f);
  EXPECT_EQ(sound.events[0].limb, 2);
  EXPECT_EQ(sound.events[1].element, -1);  // no element record for slot 3: plays nothing
  EXPECT_EQ(sound.events[2].volume, 100);
  EXPECT_EQ(sound.events[3].element, slot);
  sound.UnloadPerformance();

  ASSERT_TRUE(sound.LoadPerformance("recordings/v1.sel"));
  const int slot1 = sound.performance_slots[0];
  EXPECT_EQ(sound.GetElementVolume(slot1, true), 33);
  EXPECT_EQ(sound.GetElementCurve(slot1, true), 1);
  // Playing it does not crash on the odd values and ends by itself.
  sound.PlayPerformance(0.0f, false);
  record_test::RenderPlayback(sound, 44100 * 5);
  EXPECT_FALSE(sound.IsPerformancePlaying());
}

// A last event far out is refused whatever length the header states (a good one, one of days,
// none, NaN or below 0), so that neither playback nor export runs for hours; the same file with
// its events where they belong stays readable, in both versions.
TEST_F(Recording, AFarOutLastEventIsRefusedWhateverTheStatedLength) {
  auto set_f32 = [](std::vector<uint8_t>& b, size_t at, float v) { std::memcpy(b.data() + at, &v, 4); };
  for (const char version : {'0', '1'}) {
    for (const float length : {2.0f, 1e6f, 0.0f, NAN, -1.0f}) {
      for (const float last : {0.6f, 100000.0f, 1e9f}) {
        std::vector<uint8_t> b = HandMade(version, snare_path, 50);
        set_f32(b, 8, length);
        set_f32(b, b.size() - 12, last);  // the fade, the last event
        element_test::WriteBytes("recordings/far.sel", b);
        testing::internal::CaptureStdout();
        const bool loaded = sound.LoadPerformance("recordings/far.sel");
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(loaded, last < 1.0f) << version << " " << length << " " << last;
        sound.UnloadPerformance();
      }
    }
  }
}

TEST_F(Recording, DamagedFilesAreRefusedAndChangeNothing) {
  const std::vector<uint8_t> good = HandMade('1', snare_path, 50);
  element_test::WriteBytes("recordings/good.sel", good);
  ASSERT_TRUE(sound.LoadPerformance("recordings/good.sel"));
  const size_t events = sound.events.size();
  const std::vector<int> slots = sound.performance_slots;

  // `why`: the reason the refusal names.
  auto refused = [&](std::vector<uint8_t> bytes, const char* what, const std::string& why) {
    element_test::WriteBytes("recordings/bad.sel", bytes);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(sound.LoadPerformance("recordings/bad.sel")) << what;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't load the recording recordings/bad.sel: " + why + "\n")
        << what;
    EXPECT_EQ(sound.events.size(), events) << what;
    EXPECT_EQ(sound.performance_slots, slots) << what;
  };
  std::vector<uint8_t> b = good;
  b[3] = '2';
  refused(b, "version 2", "not a recording");
  b = good;
  b[0] = 'X';
  refused(b, "magic", "not a recording");
  std::string date, song, description;
  float duration;
  EXPECT_FALSE(Sound::GetPerformanceMetaData("recordings/bad.sel", date, duration, song, description));
  refused(std::vector<uint8_t>(good.begin(), good.begin() + 10), "truncated header", "damaged header");
  refused(std::vector<uint8_t>(good.begin(), good.begin() + 3), "shorter than its magic", "not a recording");
  b = good;
  b[16] = 0xFF;  // date longer than the file
  b[17] = 0xFF;
  refused(b, "date length", "damaged header");
  b = good;
  b[16 + 7 + 6 + 4] = 0xFF;  // element count
  b[16 + 7 + 6 + 5] = 0xFF;
  refused(b, "element count", "damaged element table");
  refused(std::vector<uint8_t>(good.begin(), good.begin() + 45), "element record cut", "damaged element table");
  // An event time far beyond the length would hold every later event back for hours, with or
  // without a stated duration.
  const size_t first_event = good.size() - 76;
  b = good;
  b.resize(first_event);
  PutF32(b, 50000.0f);
  b.insert(b.end(), good.begin() + static_cast<long>(first_event) + 4, good.end());
  refused(b, "event time", "event times beyond the performance's length");
  b[8] = b[9] = b[10] = b[11] = 0;  // duration 0.0
  refused(b, "event time, no duration", "event times beyond the performance's length");
  // Within a stated length of 100 s, an event a minute after the ones that follow it.
  b = good;
  const float minute = 60.0f, length = 100.0f;
  std::memcpy(b.data() + first_event, &minute, 4);
  std::memcpy(b.data() + 8, &length, 4);
  refused(b, "event time after the next ones", "event times beyond the performance's length");
  testing::internal::CaptureStdout();
  EXPECT_FALSE(sound.LoadPerformance("recordings/missing.sel"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't load the recording recordings/missing.sel: cannot be read\n");

  // A first song offset past the end gives no song; an event count past the end reads what
  // is there; an unknown event type ends the events.
  b = good;
  b[12] = 0x00;
  b[13] = 0x00;
  b[14] = 0x01;
  b[15] = 0x00;
  element_test::WriteBytes("recordings/odd.sel", b);
  ASSERT_TRUE(Sound::GetPerformanceMetaData("recordings/odd.sel", date, duration, song, description));
  EXPECT_EQ(song, "");
  b = good;
  b[4] = 200;
  b.resize(b.size() - 8);  // the fade event is cut
  PutF32(b, 0.7f);
  PutU32(b, 77);           // unknown type
  PutU32(b, 1);
  element_test::WriteBytes("recordings/odd.sel", b);
  sound.UnloadPerformance();
  ASSERT_TRUE(sound.LoadPerformance("recordings/odd.sel"));
  EXPECT_EQ(sound.events.size(), 3u);
  // A last event cut inside its payload is left out.
  b = good;
  b.resize(b.size() - 2);
  element_test::WriteBytes("recordings/odd.sel", b);
  sound.UnloadPerformance();
  ASSERT_TRUE(sound.LoadPerformance("recordings/odd.sel"));
  EXPECT_EQ(sound.events.size(), events - 1);
}

// The header's date and description are kept to 255 bytes; a song path of 4096 bytes is read,
// a longer one is taken for damage and gives no song.
TEST_F(Recording, HeaderTextsAndSongPathAtTheirLimits) {
  for (const uint32_t text : {255u, 256u}) {
    for (const uint32_t path : {4096u, 4097u}) {
      std::vector<uint8_t> b = {'S', 'E', 'L', '1'};
      PutU32(b, 0);
      PutF32(b, 1.0f);
      PutU32(b, 0);  // the first song's offset, set below
      PutU32(b, text);
      b.insert(b.end(), text, 'd');
      PutU32(b, text);
      b.insert(b.end(), text, 'n');
      const uint32_t song_at = static_cast<uint32_t>(b.size());
      std::memcpy(b.data() + 12, &song_at, 4);
      PutU32(b, path);
      b.insert(b.end(), path, 's');
      element_test::WriteBytes("recordings/limits.sel", b);
      std::string date, song, description;
      float duration;
      ASSERT_TRUE(Sound::GetPerformanceMetaData("recordings/limits.sel", date, duration, song, description));
      EXPECT_EQ(date, std::string(255, 'd')) << text;
      EXPECT_EQ(description, std::string(255, 'n')) << text;
      EXPECT_EQ(song.size(), path == 4096 ? 4096u : 0u) << path;
    }
  }
}

TEST_F(Recording, SavePerformanceWritesWhatWasLoaded) {
  element_test::WriteBytes("recordings/v1.sel", HandMade('1', snare_path, 50));
  ASSERT_TRUE(sound.LoadPerformance("recordings/v1.sel"));
  sound.InsertSelEvent(0, 0.1f);
  sound.RemoveSelEvent(2);
  Sound::Event song;
  song.time = 0.45f;
  song.type = Sound::EVENT_SONG_START;
  song.element = 0;
  song.song_position = 1.5f;
  sound.performance_song_paths = {"songs/a.ogg"};
  sound.events.insert(sound.events.begin() + 2, song);
  for (Sound::Event& ev : sound.events)
    if (ev.type == Sound::EVENT_VOLUME) ev.volume = 37;
  ASSERT_TRUE(sound.SavePerformance("recordings/saved.sel"));
  const std::vector<Sound::Event> before = sound.events;
  sound.UnloadPerformance();
  ASSERT_TRUE(sound.LoadPerformance("recordings/saved.sel"));
  ASSERT_EQ(sound.events.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(sound.events[i].type, before[i].type);
    EXPECT_FLOAT_EQ(sound.events[i].time, before[i].time);
    EXPECT_EQ(sound.events[i].element, before[i].element) << i;
    EXPECT_EQ(sound.events[i].volume, before[i].volume) << i;  // or the velocity or song position
  }
  EXPECT_EQ(sound.performance_song_paths, std::vector<std::string>{"songs/a.ogg"});
  std::string date, description, first_song;
  float duration = 0.0f;
  ASSERT_TRUE(Sound::GetPerformanceMetaData("recordings/saved.sel", date, duration, first_song, description));
  EXPECT_EQ(first_song, "songs/a.ogg");
}

}  // namespace
