// Performance playback on a real stream (a JACK dummy server): the audio thread changes songs
// through the helper thread, writes no files itself while a recording is open, and ends the
// playback by itself.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "sound/sound.h"
#include "sound/sound_runtime.h"
#include "tests/sound/audio_test_util.h"
#include "tests/sound/jack_server.h"
#include "tests/sound/record_test_util.h"

using element_test::PutF32;
using element_test::PutU32;

namespace {

const auto* const env = ::testing::AddGlobalTestEnvironment(new jack_test::JackServer);

void PutString(std::vector<uint8_t>& b, const std::string& s) {
  PutU32(b, static_cast<uint32_t>(s.size()));
  for (char c : s) b.push_back(static_cast<uint8_t>(c));
}

// The head of a version-1 recording without a song: `events` events over `seconds`, made on
// `date` with `kit`, and one element (recorded in `slot`, from `path`) at full volume, centred.
std::vector<uint8_t> OneElementHead(uint32_t events, float seconds, const char* date, const char* kit,
                                    uint32_t slot, const std::string& path) {
  std::vector<uint8_t> b = {'S', 'E', 'L', '1'};
  PutU32(b, events);
  PutF32(b, seconds);
  PutU32(b, 0xFFFFFFFFu);
  PutString(b, date);
  PutString(b, kit);
  PutF32(b, 0.0f);
  PutU32(b, 1);
  PutU32(b, slot);
  PutString(b, path);
  for (uint32_t v : {0, 100, 0, 100}) PutU32(b, v);  // hand curve and volume, foot curve and volume
  PutF32(b, 0.0f);
  return b;
}

class LivePlayback : public record_test::RecordingFolderTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(jack_test::JackServer::ready) << jack_test::JackServer::words;
    EnterFolder("record_live");
    ASSERT_TRUE(sound.ReinitDevice(5, 64, -1));
    sound.audio.StartRawThreads(4);
    SetVolumes(80);
  }
  void TearDown() override {
    sound.StopRecording();
    sound.UnloadPerformance();
    sound.UnloadSong();
    sound.audio.CleanUp(true);
    cd.reset();
  }
};

TEST_F(LivePlayback, SongChangesAndRecordingFromTheAudioThread) {
  const std::string snare = record_test::MakeElement("snare", Sound::SNARE, Sound::CATEGORY_HAND, 40);
  ASSERT_TRUE(audio_test::Shell("sox -n -r 44100 -c 2 a.ogg synth 0.3 sine 300 vol 0.3"));
  ASSERT_TRUE(audio_test::Shell("ffmpeg -y -f lavfi -i sine=duration=0.4 -ac 2 b.mp3"));
  std::vector<uint8_t> b = OneElementHead(10, 1.5f, "today", "kit", 3, snare);
  auto hit = [&](float t) {
    PutF32(b, t);
    PutU32(b, 3);
    PutU32(b, 3);
    PutF32(b, 0.8f);
    PutU32(b, 1);
    PutF32(b, 0.0f);
  };
  auto song = [&](float t, const std::string& path) {
    PutF32(b, t);
    PutU32(b, 1);
    PutString(b, path);
    PutF32(b, 0.0f);
  };
  PutF32(b, 0.25f);
  PutU32(b, 0);
  PutU32(b, 1);
  PutU32(b, 90);
  PutF32(b, 0.25f);  // the song's volume too
  PutU32(b, 0);
  PutU32(b, 2);
  PutU32(b, 30);
  song(0.3f, "a.ogg");
  hit(0.35f);
  hit(0.4f);
  song(0.5f, "b.mp3");  // another song: loaded by the helper thread
  hit(0.6f);
  PutF32(b, 0.7f);
  PutU32(b, 4);
  PutU32(b, 3);
  hit(0.8f);
  PutF32(b, 0.9f);
  PutU32(b, 2);
  element_test::WriteBytes("recordings/perf.sel", b);

  ASSERT_TRUE(sound.LoadPerformance("recordings/perf.sel"));
  record_test::WaitForSamples(sound);
  ASSERT_TRUE(sound.StartRecording("recordings/again.sel", "again"));
  sound.PlayPerformance(0.0f, true);
  for (int i = 0; i < 1000 && sound.IsPerformancePlaying(); ++i) usleep(10000);
  EXPECT_FALSE(sound.IsPerformancePlaying());  // ended by itself on the audio thread
  EXPECT_EQ(sound.song_path, "b.mp3");
  EXPECT_EQ(sound.drums_volume, 80);  // restored
  EXPECT_EQ(sound.song_volume, 50);
  sound.StopRecording();

  // The events the audio thread made reached the file through the queue.
  sound.UnloadPerformance();
  ASSERT_TRUE(sound.LoadPerformance("recordings/again.sel"));
  int hits = 0, fades = 0, last_song_event = -1;
  std::vector<std::string> songs = sound.performance_song_paths;
  for (const auto& ev : sound.events) {
    hits += ev.type == Sound::EVENT_HIT;
    fades += ev.type == Sound::EVENT_HIHAT_FADE;
    if (ev.type == Sound::EVENT_SONG_START || ev.type == Sound::EVENT_SONG_STOP) last_song_event = ev.type;
  }
  EXPECT_EQ(hits, 4);
  EXPECT_EQ(fades, 1);
  EXPECT_EQ(last_song_event, Sound::EVENT_SONG_STOP);  // the song stop played at 0.9 s
  ASSERT_EQ(songs.size(), 2u);
  EXPECT_EQ(songs[0], "a.ogg");
  EXPECT_EQ(songs[1], "b.mp3");
  for (size_t i = 1; i < sound.events.size(); ++i)
    EXPECT_LE(sound.events[i - 1].time, sound.events[i].time + 0.05f);
}

// A song loaded by hand after the recording has taken the place of the recording's first song:
// playback loads the recording's song again rather than play the other one in its stead.
TEST_F(LivePlayback, ASongLoadedSinceIsNotPlayedAsTheRecordingsSong) {
  const std::string snare = record_test::MakeElement("snare", Sound::SNARE, Sound::CATEGORY_HAND, 40);
  ASSERT_TRUE(audio_test::Shell("sox -n -r 44100 -c 2 a.ogg synth 0.3 sine 300 vol 0.3"));
  ASSERT_TRUE(audio_test::Shell("sox -n -r 44100 -c 2 other.ogg synth 0.3 sine 500 vol 0.3"));
  std::vector<uint8_t> b = OneElementHead(2, 1.0f, "today", "kit", 3, snare);
  PutF32(b, 0.1f);
  PutU32(b, 1);
  PutString(b, "a.ogg");
  PutF32(b, 0.0f);
  // A hit after the song has ended keeps the performance going until the song was loaded.
  PutF32(b, 0.6f);
  for (uint32_t v : {3, 3}) PutU32(b, v);
  PutF32(b, 0.8f);
  PutU32(b, 1);
  PutF32(b, 0.0f);
  element_test::WriteBytes("recordings/song.sel", b);
  ASSERT_TRUE(sound.LoadPerformance("recordings/song.sel"));
  ASSERT_TRUE(sound.LoadSong("other.ogg"));
  sound.PlayPerformance(0.0f, true);
  for (int i = 0; i < 1000 && sound.IsPerformancePlaying(); ++i) usleep(10000);
  EXPECT_FALSE(sound.IsPerformancePlaying());
  sound.StopPerformance();  // joins the song helper, which set the path
  EXPECT_EQ(sound.song_path, "a.ogg");

  // The same when the song index kept still names the recording's song, as a helper that ended
  // its load after the song was changed by hand leaves it.
  ASSERT_TRUE(sound.LoadSong("other.ogg"));
  sound.runtime_holder.runtime->loaded_song.store(0);
  sound.PlayPerformance(0.0f, true);
  for (int i = 0; i < 1000 && sound.IsPerformancePlaying(); ++i) usleep(10000);
  EXPECT_FALSE(sound.IsPerformancePlaying());
  sound.StopPerformance();
  EXPECT_EQ(sound.song_path, "a.ogg");
}

// A song stop met while the helper still reads the song asked for before it: once read, that
// song is not started. The song is a pipe that is filled only after the stop has been played.
TEST_F(LivePlayback, AStopWhileTheHelperLoadsASongCancelsIt) {
  const std::string snare = record_test::MakeElement("snare", Sound::SNARE, Sound::CATEGORY_HAND, 40);
  ASSERT_TRUE(audio_test::Shell("sox -n -r 44100 -c 2 a.ogg synth 0.3 sine 300 vol 0.3"));
  ASSERT_TRUE(audio_test::Shell("ffmpeg -y -f lavfi -i sine=duration=0.3 -ac 2 late_bytes.mp3"));
  ASSERT_EQ(mkfifo("late.mp3", 0600), 0);
  std::vector<uint8_t> b = OneElementHead(3, 1.0f, "today", "kit", 3, snare);
  for (const auto& [t, path] : {std::pair<float, const char*>{0.05f, "a.ogg"}, {0.1f, "late.mp3"}}) {
    PutF32(b, t);
    PutU32(b, 1);
    PutString(b, path);
    PutF32(b, 0.0f);
  }
  PutF32(b, 0.4f);
  PutU32(b, 2);
  element_test::WriteBytes("recordings/stop.sel", b);
  ASSERT_TRUE(sound.LoadPerformance("recordings/stop.sel"));
  ASSERT_TRUE(sound.StartRecording("recordings/again.sel", "again"));
  sound.PlayPerformance(0.0f, true);
  for (int i = 0; i < 1000 && sound.next_event.load() < 3; ++i) usleep(10000);
  // The helper waits in the pipe's open for a writer.
  int fd = -1;
  for (int i = 0; i < 500 && fd < 0; ++i) {
    fd = open("late.mp3", O_WRONLY | O_NONBLOCK);
    if (fd < 0) usleep(10000);
  }
  if (fd >= 0) {
    fcntl(fd, F_SETFL, 0);
    std::ifstream in("late_bytes.mp3", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
  }
  for (int i = 0; i < 1000 && sound.IsPerformancePlaying(); ++i) usleep(10000);
  EXPECT_FALSE(sound.IsPerformancePlaying());
  sound.StopPerformance();
  sound.StopRecording();
  sound.UnloadPerformance();
  ASSERT_TRUE(sound.LoadPerformance("recordings/again.sel"));
  EXPECT_EQ(sound.performance_song_paths, std::vector<std::string>{"a.ogg"});
}

TEST_F(LivePlayback, StoppingFromTheMainThreadWhileItPlays) {
  const std::string snare = record_test::MakeElement("snare", Sound::SNARE, Sound::CATEGORY_HAND, 40);
  std::vector<uint8_t> b = OneElementHead(200, 2.0f, "d", "k", 0, snare);
  for (int i = 0; i < 200; ++i) {
    PutF32(b, 0.01f * i);
    PutU32(b, 3);
    PutU32(b, 0);
    PutF32(b, 0.5f);
    PutU32(b, i % 2);
    PutF32(b, 0.0f);
  }
  element_test::WriteBytes("recordings/dense.sel", b);
  ASSERT_TRUE(sound.LoadPerformance("recordings/dense.sel"));
  for (int round = 0; round < 10; ++round) {
    sound.PlayPerformance(0.0f, false);
    usleep(20000 + 5000 * round);
    sound.StopPerformance();
    EXPECT_FALSE(sound.IsPerformancePlaying());
    EXPECT_EQ(sound.audio.GetNumPlayingSounds(), 0);
  }
  sound.UnloadPerformance();
}

}  // namespace
