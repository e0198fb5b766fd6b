// WAV export of a recorded performance, whole and split per element, without an audio device;
// the files are checked with `sox --i`.
#include <gtest/gtest.h>

#include <memory>

#include "sound/logger.h"
#include "sound/sound.h"
#include "tests/sound/audio_test_util.h"
#include "tests/sound/record_test_util.h"

using element_test::GetU32;
using record_test::OfflineSession;

namespace {

std::string SoxInfo(const std::string& option, const std::string& path) {
  std::string out;
  if (FILE* p = popen(("sox --i " + option + " '" + path + "' 2>/dev/null").c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

// Checks a file with sox and with the header bytes; returns its frames.
long CheckWav(const std::string& path) {
  EXPECT_EQ(SoxInfo("-r", path), "44100") << path;
  EXPECT_EQ(SoxInfo("-c", path), "2") << path;
  EXPECT_EQ(SoxInfo("-b", path), "16") << path;
  const std::vector<uint8_t> b = element_test::ReadBytes(path);
  if (b.size() < 44) {
    ADD_FAILURE() << path;
    return 0;
  }
  EXPECT_EQ(GetU32(b, 4), GetU32(b, 40) + 36) << path;
  EXPECT_EQ(GetU32(b, 40), b.size() - 44) << path;
  const long frames = std::atol(SoxInfo("-s", path).c_str());
  EXPECT_EQ(frames, static_cast<long>((b.size() - 44) / 4)) << path;
  return frames;
}

// Largest sample magnitude of a written file, over its frames from `from` on.
int Peak(const std::string& path, size_t from = 0) {
  const std::vector<uint8_t> b = element_test::ReadBytes(path);
  int peak = 0;
  for (size_t i = 44 + 4 * from; i + 1 < b.size(); i += 2) {
    const int v = static_cast<int16_t>(b[i] | (b[i + 1] << 8));
    peak = std::max(peak, std::abs(v));
  }
  return peak;
}

class Export : public record_test::RecordingFolderTest {
 protected:
  void SetUp() override {
    EnterFolder("export");
    std::filesystem::create_directories("out");
    SetVolumes(100);
    sound.audio.SetReverbAmount(0.0f);
  }
  void TearDown() override {
    sound.StopSavingSplitWavs();
    sound.StopRecording();
    logger.UnloadRecording();
    sound.UnloadPerformance();
    record_test::UnloadOffline(sound);
    cd.reset();
  }

  // Records two snares, a kick, a hi-hat by stick and pedal and a song, then unloads the kit.
  void RecordKit() {
    const std::string snare = record_test::MakeElement("snare", Sound::SNARE, Sound::CATEGORY_HAND, 40);
    const std::string kick = record_test::MakeElement("kick", Sound::KICK, Sound::CATEGORY_FOOT, 90);
    const std::string hihat = record_test::MakeElement("hihat", Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT, 20);
    const std::string snare2 = record_test::MakeElement("snare2", Sound::SNARE, Sound::CATEGORY_HAND, 60);
    const std::vector<int> slots = record_test::LoadElementsOffline(sound, {snare, kick, hihat, snare2});
    ASSERT_FALSE(HasFailure());
    const int s1 = slots[0], k = slots[1], h = slots[2], s2 = slots[3];
    ASSERT_TRUE(record_test::LoadTestSong(sound, "1"));
    using record_test::Hit;
    OfflineSession live{sound, 1000000000000ull, 0, {}};
    ASSERT_NO_FATAL_FAILURE(record_test::RecordTake(
        live, "recordings/kit.sel", "Kit",
        {{0, [](Sound& s) { s.PlaySong(0.0f, false); }}, Hit(2000, s1, 0.9f, 0), Hit(4000, s2, 0.9f, 1),
         Hit(6000, h, 0.7f, 0, 0.5f), Hit(8000, h, 0.7f, 2), Hit(9000, k, 1.0f, 2)},
        20000));
    for (int slot : slots) sound.UnloadElement(slot);
    sound.UnloadSong();
    sound.audio.EndOffline();  // from here on: no device at all
  }

  int WriteWhole(const std::string& path, bool with_song) {
    if (!sound.OpenPerformanceWav(path.c_str(), with_song)) return -1;
    int progress = 0, calls = 0;
    highest_progress = 0;
    while (progress != 100 && calls < 100000) {
      progress = sound.PartialWritePerformanceWav();
      if (progress < 100) highest_progress = std::max(highest_progress, progress);
      ++calls;
    }
    sound.ClosePerformanceWav();
    return calls;
  }
  int highest_progress = 0;  // of the last WriteWhole, before it reached 100

};

TEST_F(Export, WholePerformanceWithoutADevice) {
  RecordKit();
  std::string error;
  logger.BuildRecordingList();
  ASSERT_EQ(logger.GetNumRecordings(), 1);
  ASSERT_TRUE(logger.LoadRecording(0, error)) << error;
  // At once, while the samples may still be loading: the export waits for them.
  const int whole_calls = WriteWhole("out/first.wav", true);
  ASSERT_GT(whole_calls, 1);
  const long frames = CheckWav("out/first.wav");
  EXPECT_GE(frames, 44100 + 11025);  // the song lasts a second from 0.25 s
  EXPECT_GT(Peak("out/first.wav"), 1000);
  EXPECT_LE(Peak("out/first.wav"), 32766);
  EXPECT_EQ(highest_progress, 99);  // the song outlasts the last event
  EXPECT_EQ(sound.audio.GetDeviceType(), 0);
  EXPECT_FALSE(sound.audio.IsOffline());
  // The same export of the recording loaded afresh (foot sample sets alternate from the
  // load on) gives the same bytes.
  logger.UnloadRecording();
  ASSERT_TRUE(logger.LoadRecording(0, error)) << error;
  record_test::WaitForSamples(sound);
  ASSERT_GT(WriteWhole("out/second.wav", true), 1);
  EXPECT_EQ(element_test::ReadBytes("out/first.wav"), element_test::ReadBytes("out/second.wav"));
  // The file holds the playback's render, every value of every buffer taken to 16 bits.
  {
    logger.UnloadRecording();
    ASSERT_TRUE(logger.LoadRecording(0, error)) << error;
    record_test::WaitForSamples(sound);
    const int n = sound.audio.BeginOffline(256);
    sound.PlayPerformance(0.0f, true);
    const std::vector<uint8_t> b = element_test::ReadBytes("out/first.wav");
    std::vector<float> block(2 * static_cast<size_t>(n));
    size_t differ = 0;
    for (size_t at = 44; at + 4 * n <= b.size(); at += 4 * n) {
      Audio::PortAudioCallback(nullptr, block.data(), n, nullptr, 0, &sound.audio);
      for (int i = 0; i < 2 * n; ++i)
        differ += static_cast<int16_t>(b[at + 2 * i] | (b[at + 2 * i + 1] << 8)) !=
                  static_cast<int16_t>(block[i] * 32766.0f);
    }
    EXPECT_EQ(differ, 0u);
    sound.StopPerformance();
    sound.audio.EndOffline();
  }
  // Without the song the file ends when the drums have died away; the file is completed
  // without a warning.
  testing::internal::CaptureStdout();
  WriteWhole("out/drums.wav", false);
  EXPECT_EQ(testing::internal::GetCapturedStdout().find("Warning"), std::string::npos);
  EXPECT_LT(CheckWav("out/drums.wav"), frames);
  EXPECT_FALSE(sound.OpenPerformanceWav("no_such_folder/x.wav", false));
  // A full disk ends the export at the first write that fails, not at the performance's end.
  ASSERT_TRUE(sound.OpenPerformanceWav("/dev/full", true));
  int calls = 1;
  while (sound.PartialWritePerformanceWav() != -1 && calls < whole_calls) ++calls;
  sound.ClosePerformanceWav();
  EXPECT_LT(calls, whole_calls / 4);
  EXPECT_FALSE(sound.IsPerformancePlaying());  // the playback that rendered it ends with it
  // A file removed while it is written cannot be completed: a warning says so.
  ASSERT_TRUE(sound.OpenPerformanceWav("out/gone.wav", true));
  sound.PartialWritePerformanceWav();
  std::filesystem::remove("out/gone.wav");
  testing::internal::CaptureStdout();
  sound.ClosePerformanceWav();
  EXPECT_NE(testing::internal::GetCapturedStdout().find("could not complete the .wav file \"out/gone.wav\""),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists("out/gone.wav"));
}

TEST_F(Export, SplitPerElementAndPedal) {
  RecordKit();
  std::string error;
  logger.BuildRecordingList();
  ASSERT_TRUE(logger.LoadRecording(0, error)) << error;
  // An export cancelled part way through its first file does not spoil the next one.
  sound.StartSavingSplitWavs("cancelled.wav", true);
  sound.UpdateSavingSplitWavs();
  sound.StopSavingSplitWavs();
  sound.StartSavingSplitWavs("out/split.wav", true);
  int progress = 0, calls = 0, last = -1;
  bool monotonic = true;
  while (progress != 100 && progress != -1 && calls < 100000) {
    progress = sound.UpdateSavingSplitWavs();
    if (progress >= 0 && progress < last) monotonic = false;
    last = progress;
    ++calls;
  }
  sound.StopSavingSplitWavs();
  EXPECT_EQ(progress, 100);
  EXPECT_TRUE(monotonic);
  long whole = 0;
  for (const char* name : {"split_snare.wav", "split_snare_2.wav", "split_kick.wav", "split_hihat.wav",
                           "split_hihat_pedal.wav", "split_song.wav"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(std::filesystem::exists(std::string("out/") + name));
    const long frames = CheckWav(std::string("out/") + name);
    EXPECT_GT(frames, 0);
    EXPECT_GT(Peak(std::string("out/") + name), 100);
    whole = std::max(whole, frames);
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("out"), {}), 6);
  // Only the song's part holds the song: the drums' parts end when their drums have died away.
  for (const char* name : {"split_snare.wav", "split_kick.wav", "split_hihat_pedal.wav"})
    EXPECT_LT(CheckWav(std::string("out/") + name), CheckWav("out/split_song.wav")) << name;
  // The drums sound again in a whole export after a split one, which ended on the song alone.
  WriteWhole("out/whole.wav", false);
  EXPECT_GT(Peak("out/whole.wav"), 100);

  // A path without an extension gives files without one; a folder that cannot be written
  // gives -1.
  sound.StartSavingSplitWavs("out/plain", false);
  while ((progress = sound.UpdateSavingSplitWavs()) != 100 && progress != -1) {
  }
  sound.StopSavingSplitWavs();
  EXPECT_TRUE(std::filesystem::exists("out/plain_kick"));
  EXPECT_FALSE(std::filesystem::exists("out/plain_song"));
  sound.StartSavingSplitWavs("no_such_folder/x.wav", false);
  EXPECT_EQ(sound.UpdateSavingSplitWavs(), -1);
  sound.StopSavingSplitWavs();
}

// A song started during the performance decodes on a helper thread; the export waits for all
// of it.
TEST_F(Export, ALaterSongPlaysToItsEnd) {
  ASSERT_TRUE(audio_test::Shell("ffmpeg -v error -y -f lavfi -i sine=frequency=300:duration=30 -ac 2 -c:a libmp3lame b.mp3"));
  sound.audio.BeginOffline(64);
  ASSERT_TRUE(record_test::LoadTestSong(sound, "1"));
  const auto play = [](Sound& s) { s.PlaySong(0.0f, false); };
  const auto second = [](Sound& s) {
    ASSERT_TRUE(s.LoadSong("b.mp3"));
    s.audio.WaitForLoadMp3Async(true);
    s.PlaySong(0.0f, false);
  };
  OfflineSession live{sound, 1000000000000ull, 0, {}};
  ASSERT_NO_FATAL_FAILURE(record_test::RecordTake(live, "recordings/songs.sel", "Kit", {{0, play}, {4410, second}}, 8820));
  sound.UnloadSong();
  sound.audio.EndOffline();
  ASSERT_TRUE(sound.LoadPerformance("recordings/songs.sel"));
  ASSERT_GT(WriteWhole("out/songs.wav", true), 1);
  const long frames = CheckWav("out/songs.wav");
  EXPECT_GE(frames, 30 * 44100);
  EXPECT_GT(Peak("out/songs.wav", frames - 44100), 500);  // the second song's last second sounds
}

TEST_F(Export, EmptyPerformances) {
  // No events at all: one buffer of silence, and done at once.
  std::vector<uint8_t> b = {'S', 'E', 'L', '1'};
  element_test::PutU32(b, 0);
  element_test::PutF32(b, 0.0f);
  element_test::PutU32(b, 0xFFFFFFFFu);
  element_test::PutU32(b, 0);
  element_test::PutU32(b, 0);
  element_test::PutF32(b, 0.0f);
  element_test::PutU32(b, 0);
  element_test::WriteBytes("recordings/empty.sel", b);
  ASSERT_TRUE(sound.LoadPerformance("recordings/empty.sel"));
  ASSERT_TRUE(sound.OpenPerformanceWav("out/empty.wav", true));
  EXPECT_EQ(sound.PartialWritePerformanceWav(), 100);
  sound.ClosePerformanceWav();
  const long frames = CheckWav("out/empty.wav");
  EXPECT_GT(frames, 0);
  EXPECT_EQ(Peak("out/empty.wav"), 0);
  // No hits: no split files, done at once.
  sound.StartSavingSplitWavs("out/none.wav", true);
  EXPECT_EQ(sound.UpdateSavingSplitWavs(), 100);
  sound.StopSavingSplitWavs();
  EXPECT_FALSE(std::filesystem::exists("out/none_song.wav"));
}

}  // namespace
