// Songs and the metronome: loading by extension, starting positions, unloading while a song
// decodes, and clicks on exact frames at several buffer sizes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

#include "sound/sound.h"
#include "tests/sound/audio_test_util.h"
#include "tests/support/test_dirs.h"

namespace {

class Metronome : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    // A click is one full-scale frame followed by silence.
    std::vector<int16_t> pcm(2 * 200, 0);
    pcm[0] = pcm[1] = 32767;
    audio_test::Fill(s.click, pcm, 2);
    s.metronome_volume = 100;
    s.audio.SetMasterGain(1.0f);
  }
  void TearDown() override {
    s.StopMetronome();
    s.audio.EndOffline();
  }
  // Frames at which clicks start, with their levels.
  std::vector<std::pair<int, float>> Clicks(const std::vector<float>& out) {
    std::vector<std::pair<int, float>> clicks;
    for (size_t f = 0; f < out.size() / 2; ++f)
      if (out[2 * f] > 0.01f) clicks.emplace_back(static_cast<int>(f), out[2 * f] / 0.70711f);
    return clicks;
  }
  Sound s;
};

TEST_P(Metronome, ClicksOnExactFrames) {
  s.audio.BeginOffline(GetParam());
  s.SetMetronomeTempo(120.0f);
  s.StartMetronome(0.0f, 0.0f);
  std::vector<float> out = audio_test::Render(s.audio, 44100 + 100);
  auto clicks = Clicks(out);
  ASSERT_EQ(clicks.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(clicks[i].first, i * 11025) << i;
    EXPECT_NEAR(clicks[i].second, i % 2 ? 0.35f : 1.0f, 1e-3) << i;
  }
  // Without eighth notes the half beats are silent, and the beats keep their places.
  s.ToggleMetronomePlayEighthNotes();
  s.StartMetronome(0.0f, 0.0f);
  clicks = Clicks(audio_test::Render(s.audio, 44100 + 100));
  ASSERT_EQ(clicks.size(), 3u);
  EXPECT_EQ(clicks[1].first, 22050);
  EXPECT_EQ(clicks[2].first, 44100);
  // Started late into the beat: the next half beat, with the right level.
  s.ToggleMetronomePlayEighthNotes();
  s.StartMetronome(0.0f, 0.3f);
  EXPECT_FLOAT_EQ(s.next_click_time.load(), 0.5f);
  EXPECT_FLOAT_EQ(s.next_click_level.load(), 1.0f);
  // Another tempo moves the clicks; a tempo that is no tempo keeps the last one.
  for (const auto& [bpm, half_beat] : {std::pair{100.0f, 13230}, {0.0f, 13230}, {-60.0f, 13230}}) {
    s.SetMetronomeTempo(bpm);
    s.StartMetronome(0.0f, 0.0f);
    clicks = Clicks(audio_test::Render(s.audio, 2 * 13230 + 100));
    ASSERT_EQ(clicks.size(), 3u) << bpm;
    EXPECT_EQ(clicks[1].first, half_beat) << bpm;
  }
  // At 600 beats a minute the largest buffers hold two clicks: both sound.
  s.SetMetronomeTempo(600.0f);
  s.StartMetronome(0.0f, 0.0f);
  clicks = Clicks(audio_test::Render(s.audio, 4 * 2205 + 100));
  ASSERT_EQ(clicks.size(), 5u);
  EXPECT_EQ(clicks[4].first - clicks[0].first, 4 * 2205);
  // Stopped: no more clicks, the hook is gone.
  s.StopMetronome();
  clicks = Clicks(audio_test::Render(s.audio, 44100));
  EXPECT_TRUE(clicks.empty());
}

TEST_P(Metronome, ClockJumpsAheadDoNotSilenceIt) {
  s.audio.BeginOffline(GetParam());
  s.SetMetronomeTempo(100.0f);
  s.StartMetronome(0.0f, 0.0f);
  s.audio.SetHook(Sound::AudioCallback, &s, 10 * 44100);  // as a playback started at 10 s
  auto clicks = Clicks(audio_test::Render(s.audio, 44100));
  EXPECT_GE(clicks.size(), 3u);
  // A jump onto a click plays it on the first frame, at the level of its place in the bar.
  s.SetMetronomeTempo(120.0f);
  s.StartMetronome(0.0f, 0.0f);
  s.audio.SetHook(Sound::AudioCallback, &s, 20 * 44100);
  clicks = Clicks(audio_test::Render(s.audio, 11025 + 100));
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[0].first, 0);
  EXPECT_NEAR(clicks[0].second, 1.0f, 1e-3);
  EXPECT_NEAR(clicks[1].second, 0.35f, 1e-3);
  // A jump from where the clicks had got to (20.5 s) onto the beat at 30 s: the same.
  s.audio.SetHook(Sound::AudioCallback, &s, 30 * 44100);
  clicks = Clicks(audio_test::Render(s.audio, 11025 + 100));
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[0].first, 0);
  EXPECT_NEAR(clicks[0].second, 1.0f, 1e-3);
}

// Clicks longer than the half beat keep to the click's two voices: the oldest gives way.
TEST_P(Metronome, LongClicksKeepToTheirVoices) {
  s.audio.FreeSound(s.click);
  audio_test::Fill(s.click, std::vector<int16_t>(2 * 44100, 1000), 2);
  s.audio.BeginOffline(GetParam());
  s.SetMetronomeTempo(600.0f);  // a click every 2205 frames
  s.StartMetronome(0.0f, 0.0f);
  audio_test::Render(s.audio, 5 * 2205 + 100);
  EXPECT_EQ(s.audio.GetNumPlayingSounds(), 2);
}

INSTANTIATE_TEST_SUITE_P(BufferSizes, Metronome, ::testing::Values(16, 64, 100, 256, Audio::kMaxFramesPerBuffer));

class Songs : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = skyt_test::FreshDir("songs");
    cd = std::make_unique<skyt_test::ScopedChdir>(dir);
    s.song_volume = 100;
    s.audio.BeginOffline(64);
  }
  void TearDown() override {
    s.UnloadSong();
    s.audio.EndOffline();
    cd.reset();
  }
  // Two minutes of a sine tone as long.mp3.
  static bool MakeLongMp3() {
    return audio_test::Shell(
        "ffmpeg -y -f lavfi -i sine=duration=120:sample_rate=44100 -ac 2 -c:a libmp3lame -b:a 128k long.mp3");
  }
  std::string dir;
  std::unique_ptr<skyt_test::ScopedChdir> cd;
  Sound s;
};

TEST_F(Songs, LoadingByExtension) {
  ASSERT_TRUE(audio_test::Shell("sox -n -r 44100 -c 2 a.ogg synth 40 sine 300 vol 0.3"));
  ASSERT_TRUE(audio_test::Shell("ffmpeg -y -f lavfi -i sine=duration=1 B.MP3"));
  ASSERT_TRUE(s.LoadSong("a.ogg"));
  EXPECT_EQ(s.song.state.load(), 4u);
  s.audio.WaitForLoadOggAsync(true);
  const int16_t* data = s.song.Data();
  EXPECT_TRUE(s.LoadSong("a.ogg"));  // already loaded: nothing reloads
  EXPECT_EQ(s.song.Data(), data);

  // 30 s into the song.
  s.PlaySong(30.0f, false);
  EXPECT_FLOAT_EQ(s.audio.GetPlayingTime(s.song), 30.0f);
  // Played again: it starts over in one voice.
  s.PlaySong(10.0f, false);
  audio_test::Render(s.audio, 64);
  EXPECT_EQ(s.audio.GetNumPlayingSounds(), 1);
  EXPECT_NEAR(s.audio.GetPlayingTime(s.song), 10.0f, 0.01f);
  audio_test::Render(s.audio, 64);
  EXPECT_TRUE(s.StopSong(false) == false);  // no recording: no event
  audio_test::Render(s.audio, 64);
  EXPECT_EQ(s.audio.GetPlayingTime(s.song), -1.0f);

  ASSERT_TRUE(s.LoadSong("B.MP3"));  // upper case goes to FFmpeg
  EXPECT_EQ(s.song.state.load(), 3u);
  EXPECT_EQ(s.song_path, "B.MP3");
  std::filesystem::copy_file("a.ogg", "d.OGGx");
  ASSERT_TRUE(s.LoadSong("d.OGGx"));  // the first four characters decide, in any case
  EXPECT_EQ(s.song.state.load(), 4u);
  std::ofstream("c.oga") << "x";
  EXPECT_FALSE(s.LoadSong("c.oga"));
  EXPECT_EQ(s.song_path, "");  // the previous song is gone
  EXPECT_EQ(s.song.Data(), nullptr);
  EXPECT_FALSE(s.LoadSong("noextension"));
  EXPECT_FALSE(s.LoadSong("missing.mp3"));
  s.PlaySong(0.0f, false);  // no song: nothing
  EXPECT_EQ(s.audio.GetNumPlayingSounds(), 0);
  // Unloaded while it decodes: the loader stops and the song's memory is released.
  ASSERT_TRUE(s.LoadSong("a.ogg"));
  s.UnloadSong();
  s.audio.WaitForLoadOggAsync(true);
  EXPECT_EQ(s.song.Data(), nullptr);
  EXPECT_EQ(s.song.Frames(), 0u);
}

TEST_F(Songs, PlaysWhileItLoads) {
  ASSERT_TRUE(MakeLongMp3());
  ASSERT_TRUE(s.LoadSong("long.mp3"));
  // Replacing a song that is still decoding cancels its loader.
  ASSERT_TRUE(audio_test::Shell("sox -n -r 44100 -c 2 short.ogg synth 1 sine 300"));
  for (int i = 0; i < 200 && s.song.Frames() == 0; ++i) usleep(1000);
  s.PlaySong(0.0f, false);
  std::vector<float> out = audio_test::Render(s.audio, 4096);
  EXPECT_NE(audio_test::FirstLoudFrame(out), -1);
  ASSERT_TRUE(s.LoadSong("short.ogg"));
  s.audio.WaitForLoadOggAsync(true);
  EXPECT_EQ(s.song.Frames(), 44100u);
}

// Unloaded while it decodes, an MP3 song stops being read: the song comes through a pipe that
// is fed, after the first 256 KiB, only once the unload has begun and until it has returned.
TEST_F(Songs, UnloadingAnMp3WhileItDecodesStopsItsLoader) {
  ASSERT_TRUE(MakeLongMp3());
  std::ifstream in("long.mp3", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(mkfifo("piped.mp3", 0600), 0);
  std::atomic<bool> unloading{false}, unloaded{false};
  size_t written = 0;
  std::thread writer([&] {
    sigset_t pipe_signal;  // a write after the loader has closed the pipe fails instead
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_signal, nullptr);
    int fd = -1;
    for (int i = 0; i < 1000 && fd < 0; ++i)
      if ((fd = open("piped.mp3", O_WRONLY | O_NONBLOCK)) < 0) usleep(10000);
    while (fd >= 0 && written < bytes.size() && !unloaded.load()) {
      if (written >= 256 * 1024 && !unloading.load()) {
        usleep(1000);
        continue;
      }
      const ssize_t n = write(fd, bytes.data() + written, std::min<size_t>(4096, bytes.size() - written));
      if (n < 0 && errno == EPIPE) break;
      if (n > 0) written += static_cast<size_t>(n);
      usleep(n > 0 && unloading.load() ? 1000 : 200);
    }
    if (fd >= 0) close(fd);
  });
  EXPECT_TRUE(s.LoadSong("piped.mp3"));
  unloading = true;
  s.UnloadSong();
  unloaded = true;
  writer.join();
  EXPECT_LT(written, bytes.size()) << "the loader read the song to its end";
}

}  // namespace
