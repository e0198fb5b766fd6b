// Decoding: WAV depths, rates and channel counts, the resampler, Ogg Vorbis, and songs in MP3,
// M4A and AIFF made at test time by sox and ffmpeg.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "sound/audio.h"
#include "tests/sound/audio_test_util.h"
#include "tests/sound/element_test_util.h"
#include "tests/support/allocation_count.h"
#include "tests/support/test_dirs.h"
#include "tests/support/wav_image.h"

using audio_test::Shell;
using skyt_test::WavImage;

namespace {

class Decode : public ::testing::Test {
 protected:
  void SetUp() override { dir = skyt_test::FreshDir("decode"); }
  void TearDown() override { audio.FreeSound(s); }
  bool LoadBytes(const std::vector<uint8_t>& bytes) {
    return audio.LoadWavFromMemory(s, bytes.data(), static_cast<int>(bytes.size()), 8);
  }
  int16_t L(int frame) const { return s.Data()[2 * frame]; }
  int16_t R(int frame) const { return s.Data()[2 * frame + 1]; }
  // Peak of each channel of the loaded sound.
  std::pair<int, int> Peaks() const {
    int l = 0, r = 0;
    for (uint32_t i = 0; i < s.Frames(); ++i) {
      l = std::max(l, std::abs(static_cast<int>(L(i))));
      r = std::max(r, std::abs(static_cast<int>(R(i))));
    }
    return {l, r};
  }
  // RMS of each channel between two frames.
  std::pair<double, double> Rms(uint32_t from, uint32_t to) const {
    double l = 0, r = 0;
    for (uint32_t i = from; i < to; ++i) {
      l += static_cast<double>(L(i)) * L(i);
      r += static_cast<double>(R(i)) * R(i);
    }
    return {std::sqrt(l / (to - from)), std::sqrt(r / (to - from))};
  }
  std::string dir;
  Audio audio;
  Audio::Sound s;
};

TEST_F(Decode, EightAndTwentyFourBitValues) {
  ASSERT_TRUE(LoadBytes(WavImage(2, 44100, 8, {0x80, 0xFF, 0x00, 0x80})));
  EXPECT_EQ(s.Frames(), 2u);
  EXPECT_EQ(L(0), 0);
  EXPECT_EQ(R(0), 32512);
  EXPECT_EQ(L(1), -32768);
  audio.FreeSound(s);

  // 24-bit, six channels: channels 1 and 2 are kept, the other four skipped.
  std::vector<uint8_t> d;
  for (int frame = 0; frame < 3; ++frame)
    for (int ch = 0; ch < 6; ++ch) {
      const int32_t v = (ch + 1) * 0x100000 * (frame % 2 ? -1 : 1);
      d.push_back(static_cast<uint8_t>(v));
      d.push_back(static_cast<uint8_t>(v >> 8));
      d.push_back(static_cast<uint8_t>(v >> 16));
    }
  ASSERT_TRUE(LoadBytes(WavImage(6, 44100, 24, d)));
  ASSERT_EQ(s.Frames(), 3u);
  EXPECT_EQ(L(0), 0x1000);
  EXPECT_EQ(R(0), 0x2000);
  EXPECT_EQ(L(1), -0x1000);
  EXPECT_EQ(R(2), 0x2000);
}

TEST_F(Decode, ChunkRulesAndRefusals) {
  const std::vector<uint8_t> pcm(16, 0);
  const std::vector<uint8_t> list = {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'};
  const std::vector<uint8_t> junk = {'J', 'U', 'N', 'K', 2, 0, 0, 0, 0, 0};
  EXPECT_FALSE(LoadBytes(WavImage(2, 44100, 16, pcm, list)));      // LIST before fmt
  EXPECT_TRUE(LoadBytes(WavImage(2, 44100, 16, pcm, junk)));       // JUNK before fmt
  audio.FreeSound(s);
  EXPECT_TRUE(LoadBytes(WavImage(2, 44100, 16, pcm, {}, list)));   // LIST after fmt is skipped
  EXPECT_EQ(s.Frames(), 4u);
  audio.FreeSound(s);
  EXPECT_FALSE(LoadBytes(WavImage(2, 44100, 12, pcm)));            // 12-bit
  EXPECT_FALSE(LoadBytes(WavImage(3, 44100, 16, pcm)));            // three 16-bit channels
  // Rates outside 1 kHz to 1 MHz are taken for damage.
  const std::vector<uint8_t> long_pcm(4000, 0);
  const std::pair<uint32_t, bool> rates[] = {{999, false}, {1000, true}, {1000000, true}, {1000001, false}};
  for (const auto& [rate, taken] : rates) {
    EXPECT_EQ(LoadBytes(WavImage(2, rate, 16, long_pcm)), taken) << rate;
    audio.FreeSound(s);
  }
  std::vector<uint8_t> bad = WavImage(2, 44100, 16, pcm);
  bad[20] = 3;                                                     // float format
  EXPECT_FALSE(LoadBytes(bad));
  EXPECT_FALSE(LoadBytes(std::vector<uint8_t>(bad.begin(), bad.begin() + 40)));  // too short
  bad = WavImage(2, 44100, 16, pcm);
  bad[8] = 'X';
  EXPECT_FALSE(LoadBytes(bad));
  // A data chunk that claims more than the file holds keeps what is there.
  bad = WavImage(2, 44100, 16, pcm);
  bad[40] = 0xF0;
  EXPECT_TRUE(LoadBytes(bad));
  EXPECT_EQ(s.Frames(), 4u);
  EXPECT_EQ(s.Data() == nullptr, false);
  audio.FreeSound(s);
  EXPECT_FALSE(audio.LoadWav(s, (dir + "/missing.wav").c_str(), 8));
}

// Out of memory while decoding a mono file: the load fails with no sound and nothing left
// allocated, whether the samples as stored (20000 bytes) or their stereo copy (40000) is refused.
TEST_F(Decode, OutOfMemoryFailsTheLoad) {
  const std::vector<uint8_t> mono = WavImage(1, 44100, 16, std::vector<uint8_t>(20000, 1));
  for (const std::size_t refused_from : {20000, 30000}) {
    const long live = skyt_test::LiveAllocations();
    skyt_test::RefuseAllocationsFrom(refused_from);
    const bool loaded = LoadBytes(mono);
    skyt_test::RefuseAllocationsFrom(0);
    EXPECT_FALSE(loaded) << refused_from;
    EXPECT_EQ(s.Data(), nullptr) << refused_from;
    EXPECT_EQ(skyt_test::LiveAllocations(), live) << refused_from;
  }
  ASSERT_TRUE(LoadBytes(mono));
  EXPECT_EQ(s.Frames(), 10000u);
}

TEST_F(Decode, SoxMadeWavAtOtherRatesAndDepths) {
  // 22050 Hz mono, 1000 frames: 2000 stereo frames with equal channels.
  ASSERT_TRUE(Shell("sox -r 22050 -n -r 22050 -c 1 -b 16 " + dir + "/m.wav synth 1000s sine 440 vol 0.5"));
  ASSERT_TRUE(audio.LoadWav(s, (dir + "/m.wav").c_str(), 8));
  EXPECT_EQ(s.Frames(), 2000u);
  for (uint32_t i = 0; i < s.Frames(); ++i) ASSERT_EQ(L(i), R(i));
  EXPECT_NEAR(Peaks().first, 16384, 700);  // full level, not -3 dB
  audio.FreeSound(s);

  // 48000 Hz stereo, 48000 frames: 44100 frames (24-bit: sox writes the extensible format).
  ASSERT_TRUE(Shell("sox -r 48000 -n -r 48000 -c 2 -b 24 " + dir + "/s.wav synth 48000s sine 1000 vol 0.25"));
  ASSERT_TRUE(audio.LoadWav(s, (dir + "/s.wav").c_str(), 8));
  EXPECT_EQ(s.Frames(), 44100u);
  EXPECT_NEAR(Peaks().second, 8192, 400);
  audio.FreeSound(s);

  ASSERT_TRUE(Shell("sox -r 11025 -n -r 11025 -c 2 -b 8 " + dir + "/e.wav synth 0.5 sine 300 vol 0.5"));
  ASSERT_TRUE(audio.LoadWav(s, (dir + "/e.wav").c_str(), 8));
  EXPECT_NEAR(static_cast<double>(s.Frames()), 22050.0, 4.0);
  EXPECT_NEAR(Peaks().first, 16384, 800);
}

// A WAV at another rate gives what the resampler gives for its values taken to 16 bits, each
// channel from its own place in the frame, at every depth.
TEST_F(Decode, ResampledWavKeepsEachChannel) {
  std::vector<int16_t> pcm;  // left and right unlike each other, in steps the 8-bit form holds
  for (int j = 0; j < 64; ++j) {
    pcm.push_back(static_cast<int16_t>(((j * 5) % 200 - 100) * 256));
    pcm.push_back(static_cast<int16_t>(((j * j) % 200 - 100) * 256));
  }
  std::vector<int16_t> want(2 * 128 + 2);
  int frames = 0;
  Audio::ConvertTo44100HzStereo(pcm.data(), 64, 2, 22050, want.data(), frames);
  ASSERT_EQ(frames, 128);
  for (const int bits : {8, 16, 24}) {
    std::vector<uint8_t> bytes;
    for (const int16_t v : pcm) {
      if (bits == 8) bytes.push_back(static_cast<uint8_t>((v >> 8) + 128));
      if (bits == 24) bytes.push_back(0);
      if (bits != 8) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
      }
    }
    ASSERT_TRUE(LoadBytes(WavImage(2, 22050, bits, bytes))) << bits;
    ASSERT_EQ(s.Frames(), 128u) << bits;
    for (int i = 0; i < 2 * frames; ++i) ASSERT_EQ(s.Data()[i], want[i]) << bits << " " << i;
    audio.FreeSound(s);
  }
}

TEST(Resampler, RatesAndEdges) {
  std::vector<int16_t> in(2 * 100, 1000), out(2 * 300);
  int frames = 0;
  Audio::ConvertTo44100HzStereo(in.data(), 100, 2, 22050, out.data(), frames);
  EXPECT_EQ(frames, 200);
  for (int i = 0; i < frames * 2; ++i) ASSERT_NEAR(out[i], 1000, 1) << i;  // weights normalised
  // Mono at 44100 is copied to both channels.
  const std::vector<int16_t> mono = {1, -2, 32767};
  Audio::ConvertTo44100HzStereo(mono.data(), 3, 1, 44100, out.data(), frames);
  EXPECT_EQ(frames, 3);
  EXPECT_EQ(out[4], 32767);
  EXPECT_EQ(out[5], 32767);
  // Nothing for empty or unsupported input.
  Audio::ConvertTo44100HzStereo(mono.data(), 0, 1, 22050, out.data(), frames);
  EXPECT_EQ(frames, 0);
  Audio::ConvertTo44100HzStereo(mono.data(), 3, 3, 22050, out.data(), frames);
  EXPECT_EQ(frames, 0);
}

// The nine-frame sinc mean summed the plain way, frame by frame, and rounded as the converter
// has always rounded (towards zero after adding a half), as the reference.
int SincMean(const std::vector<int16_t>& in, int frames, int channels, double t, int c) {
  const int lo = std::max(static_cast<int>(t - 3.5), 0), hi = std::min(static_cast<int>(t + 4.5), frames - 1);
  double sum = 0, w_sum = 0;
  for (int j = lo; j <= hi; ++j) {
    const double x = (j - t) * 3.1415927, w = x == 0 ? 1.0 : std::sin(x) / x;
    sum += in[j * channels + c] * w;
    w_sum += w;
  }
  return static_cast<int>(std::clamp(sum / w_sum, -32768.0, 32767.0) + 0.5);
}

TEST(Resampler, EveryRateWithinOneStepOfThePlainSum) {
  const struct {
    int rate, channels;
  } cases[] = {{48000, 2}, {96000, 1}, {32000, 2}, {22050, 2}, {8000, 1}, {44101, 2}, {7, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rate);
    const int frames = std::max(c.rate / 10, 40);
    std::vector<int16_t> in(size_t(frames * c.channels));
    uint32_t x = 7;
    for (int16_t& v : in) v = static_cast<int16_t>((x = x * 1664525u + 1013904223u) >> 17) - 16384;
    std::vector<int16_t> out(2 * size_t(std::ceil(frames * 44100.0 / c.rate)));
    int n = 0;
    Audio::ConvertTo44100HzStereo(in.data(), frames, c.channels, c.rate, out.data(), n);
    ASSERT_EQ(size_t(2 * n), out.size());
    for (int i = 0; i < n; ++i) {
      const double t = i * (static_cast<double>(c.rate) / 44100);
      ASSERT_NEAR(out[2 * i], SincMean(in, frames, c.channels, t, 0), 1.0) << i;
      ASSERT_NEAR(out[2 * i + 1], SincMean(in, frames, c.channels, t, c.channels - 1), 1.0) << i;
    }
  }
}

class Songs : public Decode {
 protected:
  // Loads asynchronously, waits for the loader, returns the frames.
  uint32_t LoadAndWait(const std::string& path, bool ogg) {
    const bool ok = ogg ? audio.LoadOggAsync(s, path.c_str(), 1) : audio.LoadMp3Async(s, path.c_str(), 1);
    if (!ok) return 0;
    if (ogg)
      audio.WaitForLoadOggAsync(true);
    else
      audio.WaitForLoadMp3Async(true);
    EXPECT_TRUE(s.IsLoaded());
    return s.Frames();
  }
};

TEST_F(Songs, OggVorbisAtAnyRate) {
  ASSERT_TRUE(Shell("sox -n -r 44100 -c 2 " + dir + "/a.ogg synth 2 sine 440 vol 0.5"));
  EXPECT_NEAR(static_cast<double>(LoadAndWait(dir + "/a.ogg", true)), 88200.0, 10.0);
  EXPECT_NEAR(Peaks().first, 16384, 1600);
  EXPECT_EQ(s.state.load(), 4u);
  audio.FreeSound(s);
  EXPECT_EQ(s.Data(), nullptr);
  // A stereo song at another rate keeps its channels apart.
  ASSERT_TRUE(Shell("sox -n -r 22050 -c 2 " + dir + "/lr.ogg synth 1 sine 440 vol 0.5 remix 1 0"));
  EXPECT_NEAR(static_cast<double>(LoadAndWait(dir + "/lr.ogg", true)), 44100.0, 10.0);
  EXPECT_NEAR(Peaks().first, 16384, 1600);
  EXPECT_LT(Peaks().second, 100);
  audio.FreeSound(s);

  ASSERT_TRUE(Shell("sox -n -r 22050 -c 1 " + dir + "/m.ogg synth 1 sine 440 vol 0.5"));
  EXPECT_NEAR(static_cast<double>(LoadAndWait(dir + "/m.ogg", true)), 44100.0, 10.0);
  auto peaks = Peaks();
  EXPECT_NEAR(peaks.first, 16384, 1600);
  EXPECT_EQ(peaks.first, peaks.second);
  audio.FreeSound(s);

  // The synchronous form decodes all of it.
  ASSERT_TRUE(audio.LoadOgg(s, (dir + "/a.ogg").c_str(), 1));
  EXPECT_NEAR(static_cast<double>(s.Frames()), 88200.0, 10.0);
  EXPECT_TRUE(s.IsLoaded());
}

TEST_F(Songs, CancelledOggLoadKeepsWhatWasDecoded) {
  ASSERT_TRUE(Shell("sox -n -r 44100 -c 2 " + dir + "/long.ogg synth 60 sine 440 vol 0.5"));
  ASSERT_TRUE(audio.LoadOggAsync(s, (dir + "/long.ogg").c_str(), 1));
  audio.WaitForLoadOggAsync(false);
  EXPECT_TRUE(s.IsLoaded());
  EXPECT_LE(s.Frames(), s.capacity.load());
  EXPECT_LE(s.Frames(), 60u * 44100u);
}

TEST_F(Songs, FfmpegFormatsAtFullLevel) {
  struct Case {
    const char* name;
    const char* filter;
    const char* args;
  } cases[] = {
      {"s.mp3", ",pan=stereo|c0=c0|c1=c0", "-ar 44100 -c:a libmp3lame -b:a 192k"},
      {"m.mp3", "", "-ac 1 -ar 22050 -c:a libmp3lame -b:a 96k"},
      {"s.m4a", ",pan=stereo|c0=c0|c1=c0", "-ar 48000 -c:a aac -b:a 192k"},
      {"m.m4a", "", "-ac 1 -ar 44100 -c:a aac -b:a 128k"},
      {"s.aiff", ",pan=stereo|c0=c0|c1=c0", "-ar 44100 -c:a pcm_s16be"},
      {"m.aiff", "", "-ac 1 -ar 32000 -c:a pcm_s16be"},
      // Its edit list starts the song a second into the stream: the 90 and more packets before
      // decode to nothing, which is no failure.
      {"e.m4a", ",pan=stereo|c0=c0|c1=c0,adelay=1s:all=1", "-ar 96000 -c:a aac -b:a 192k -output_ts_offset -1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir + "/" + c.name;
    ASSERT_TRUE(Shell(std::string("ffmpeg -y -f lavfi -i sine=frequency=440:duration=3:sample_rate=44100 "
                                  "-af 'volume=0.5") + c.filter + "' " + c.args + " " + path));
    const uint32_t frames = LoadAndWait(path, false);
    EXPECT_NEAR(static_cast<double>(frames), 3.0 * 44100, 0.05 * 44100);
    // ffmpeg's sine source peaks at 1/8 of full scale; -6 dB makes 1/16 (2048), RMS 1448.
    // A mono file is copied to both channels at full level, not -3 dB (1024).
    auto rms = Rms(22050, 110250);
    EXPECT_NEAR(rms.first, 1448, 100);
    EXPECT_NEAR(rms.second, 1448, 100);
    // The synchronous form decodes the same frames.
    audio.FreeSound(s);
    ASSERT_TRUE(audio.LoadMp3(s, path.c_str(), 1));
    EXPECT_EQ(s.Frames(), frames);
    EXPECT_TRUE(s.IsLoaded());
    EXPECT_EQ(Rms(22050, 110250), rms);
    audio.FreeSound(s);
  }
}

TEST_F(Songs, GrowsPastAShortDurationEstimate) {
  // Two ADTS streams back to back: FFmpeg estimates about 13 s from the first one's bit rate;
  // the song is 21 s long. The mixer plays it meanwhile, across the buffer replacements.
  ASSERT_TRUE(Shell("ffmpeg -y -f lavfi -i anoisesrc=duration=1:amplitude=0.9 -c:a aac -b:a 256k " + dir + "/y1.aac"));
  ASSERT_TRUE(Shell("ffmpeg -y -f lavfi -i sine=duration=20 -c:a aac -b:a 256k " + dir + "/y2.aac"));
  std::vector<uint8_t> both = element_test::ReadBytes(dir + "/y1.aac");
  const std::vector<uint8_t> second = element_test::ReadBytes(dir + "/y2.aac");
  both.insert(both.end(), second.begin(), second.end());
  element_test::WriteBytes(dir + "/y.aac", both);
  audio.BeginOffline(256);
  ASSERT_TRUE(audio.LoadMp3Async(s, (dir + "/y.aac").c_str(), 1));
  std::vector<float> out(512);
  bool started = false;
  while (!s.IsLoaded()) {
    if (!started && s.Frames() > 0) {
      audio.StartSound(s, 1.0f, 0.0f, false, 0.0f, false);
      started = true;
    }
    Audio::PortAudioCallback(nullptr, out.data(), 256, nullptr, 0, &audio);
  }
  audio.WaitForLoadMp3Async(true);
  audio.EndOffline();
  EXPECT_NEAR(static_cast<double>(s.Frames()), 21.0 * 44100, 0.1 * 44100);
  EXPECT_GT(Rms(19 * 44100, 20 * 44100).first, 500.0);  // the sine, past the estimate
}

TEST_F(Songs, DamagedFilesGiveNoFramesAndAMessage) {
  std::ofstream(dir + "/junk.mp3", std::ios::binary) << std::string(5000, '\x5a');
  std::ofstream(dir + "/junk.ogg", std::ios::binary) << "OggS but not really";
  testing::internal::CaptureStdout();
  EXPECT_EQ(LoadAndWait(dir + "/junk.mp3", false), 0u);
  EXPECT_FALSE(audio.LoadMp3Async(s, (dir + "/missing.m4a").c_str(), 1));
  EXPECT_FALSE(audio.LoadMp3(s, (dir + "/junk.mp3").c_str(), 1));
  EXPECT_FALSE(audio.LoadMp3(s, (dir + "/missing.m4a").c_str(), 1));
  audio.LoadOggAsync(s, (dir + "/junk.ogg").c_str(), 1);
  audio.WaitForLoadOggAsync(true);
  EXPECT_EQ(s.Frames(), 0u);
  EXPECT_FALSE(audio.LoadOggAsync(s, (dir + "/missing.ogg").c_str(), 1));
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("Audio error: "), std::string::npos);

  // A truncated Ogg stream decodes what is there.
  ASSERT_TRUE(Shell("sox -n -r 44100 -c 2 " + dir + "/t.ogg synth 3 sine 440"));
  std::vector<uint8_t> bytes = element_test::ReadBytes(dir + "/t.ogg");
  bytes.resize(bytes.size() / 2);
  element_test::WriteBytes(dir + "/half.ogg", bytes);
  audio.LoadOggAsync(s, (dir + "/half.ogg").c_str(), 1);
  audio.WaitForLoadOggAsync(true);
  EXPECT_LE(s.Frames(), s.capacity.load());
}

}  // namespace
