// Damaged inputs that once crashed the element and Ogg Vorbis readers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "sound/audio.h"
#include "sound/element_file.h"
#include "sound/sound.h"
#include "tests/sound/element_test_util.h"
#include "tests/support/test_dirs.h"
#include "tests/support/wav_image.h"

namespace {

using element_test::PutF32;
using element_test::PutU32;

class SoundFuzzRegressions : public ::testing::Test {
 protected:
  std::string dir = skyt_test::FreshDir(std::string("sound_fuzz_") +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
};

TEST_F(SoundFuzzRegressions, CompressBoundSaturatesForSizesNearTheTop) {
  EXPECT_EQ(element_file::CompressBound(0), 66u);
  EXPECT_EQ(element_file::CompressBound(element_file::kChunkBytes), element_file::kMaxCompressedChunk);
  EXPECT_EQ(element_file::CompressBound(0xFFFFFFFFu), 0xFFFFFFFFu);
  EXPECT_EQ(element_file::CompressBound(0xF8000000u), 0xFFFFFFFFu);
  EXPECT_EQ(element_file::CompressBound(4000000000u), 4200000001u);
}

// A hand element whose first (skipped) layer claims a raw head size near 2^32: the preview
// and the loader refuse it.
TEST_F(SoundFuzzRegressions, HugeRawSizeInASkippedLayerIsRefused) {
  std::vector<uint8_t> b = {'E', 'L', 'E', '0'};
  PutU32(b, Sound::SNARE);
  PutU32(b, Sound::CATEGORY_HAND);
  PutU32(b, 1);  // one set
  PutU32(b, 2);  // two layers: the preview skips the first
  PutF32(b, 0.5f);
  PutU32(b, 100);          // frames
  PutU32(b, 0x10);         // stored size
  PutU32(b, 0xFFFFFFF0u);  // raw size
  PutU32(b, 0);            // rest offset; the file ends here
  const std::string path = dir + "/huge.ele";
  element_test::WriteBytes(path, b);

  Sound s;
  Audio::Sound preview;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(s.LoadRepresentativeSoundFromElement(preview, path.c_str()));
  EXPECT_LT(s.LoadElement(path.c_str(), 0, 0, 100, 0, 100), 0);
  testing::internal::GetCapturedStdout();
  s.audio.FreeSound(preview);
}

std::vector<unsigned char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// A vendor length two bytes short makes the comment count and lengths come from the wrong
// bytes; the library freed pointers it had never set while giving up on such a header.
TEST_F(SoundFuzzRegressions, DamagedOggCommentHeaderIsRefused) {
  const std::string ogg = dir + "/tone.ogg";
  ASSERT_EQ(system(("sox -q -n -r 44100 -c 2 -C 0 " + ogg + " synth 0.05 sine 440").c_str()), 0);
  std::vector<unsigned char> good = ReadAll(ogg);
  ASSERT_GT(good.size(), 100u);

  Audio audio;
  Audio::Sound sound;
  EXPECT_TRUE(audio.LoadOggFromMemory(sound, good.data(), static_cast<int>(good.size()), 1));
  EXPECT_GT(sound.Frames(), 2000u);
  audio.FreeSound(sound);

  const unsigned char header[7] = {3, 'v', 'o', 'r', 'b', 'i', 's'};
  auto at = std::search(good.begin(), good.end(), header, header + 7);
  ASSERT_NE(at, good.end());
  const size_t vendor = static_cast<size_t>(at - good.begin()) + 7;
  std::vector<unsigned char> bad = good;
  ASSERT_GE(bad[vendor], 2);
  bad[vendor] -= 2;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(audio.LoadOggFromMemory(sound, bad.data(), static_cast<int>(bad.size()), 1));
  EXPECT_EQ(sound.Data(), nullptr);
  // Every other comment-header length pushed past the packet, and the header cut short.
  for (size_t k : {vendor, vendor + 4 + bad[vendor] + 2u}) {
    std::vector<unsigned char> b = good;
    b[k + 3] = 0x7F;
    EXPECT_FALSE(audio.LoadOggFromMemory(sound, b.data(), static_cast<int>(b.size()), 1));
  }
  EXPECT_FALSE(audio.LoadOggFromMemory(sound, good.data(), static_cast<int>(vendor + 8), 1));
  testing::internal::GetCapturedStdout();
}

// A WAV image of 16-bit mono PCM at the rate.
std::vector<unsigned char> MonoWav(uint32_t rate, int frames) {
  std::vector<int> values;
  for (int i = 0; i < frames; ++i) values.push_back((i * 37) % 20000 - 10000);
  return skyt_test::WavImage(1, rate, 16, skyt_test::PcmBytes(values, 16));
}

// A few kilobytes at a rate of a few hertz made the resampler work for minutes on half a
// gigabyte, and an Ogg Vorbis rate past 2^31 gave an empty sound reported as loaded: rates
// below 1000 Hz and above 1 MHz are refused, in WAV and in Ogg Vorbis.
TEST_F(SoundFuzzRegressions, RatesOutside1000HzTo1MHzAreRefused) {
  Audio audio;
  Audio::Sound sound;
  for (uint32_t rate : {1u, 17u, 999u, 1000001u, 0xE900AC44u}) {
    const std::vector<unsigned char> w = MonoWav(rate, 3000);
    EXPECT_FALSE(audio.LoadWavFromMemory(sound, w.data(), static_cast<int>(w.size()), 1)) << rate;
    EXPECT_EQ(sound.Data(), nullptr);
  }
  const std::vector<unsigned char> w = MonoWav(8000, 3000);
  ASSERT_TRUE(audio.LoadWavFromMemory(sound, w.data(), static_cast<int>(w.size()), 1));
  EXPECT_NEAR(static_cast<double>(sound.Frames()), 3000 * 44100 / 8000.0, 2);
  audio.FreeSound(sound);

  const std::string ogg = dir + "/tone.ogg";
  ASSERT_EQ(system(("sox -q -n -r 44100 -c 1 -C 0 " + ogg + " synth 0.05 sine 440").c_str()), 0);
  std::vector<unsigned char> bytes = ReadAll(ogg);
  const unsigned char id[7] = {1, 'v', 'o', 'r', 'b', 'i', 's'};
  auto at = std::search(bytes.begin(), bytes.end(), id, id + 7);
  ASSERT_NE(at, bytes.end());
  const size_t rate_at = static_cast<size_t>(at - bytes.begin()) + 7 + 4 + 1;
  ASSERT_EQ(bytes[rate_at] | bytes[rate_at + 1] << 8, 44100);
  for (uint32_t rate : {5u, 1000001u, 0xE900AC44u}) {
    for (int i = 0; i < 4; ++i) bytes[rate_at + i] = static_cast<unsigned char>(rate >> 8 * i);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(audio.LoadOggFromMemory(sound, bytes.data(), static_cast<int>(bytes.size()), 1)) << rate;
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(sound.Data(), nullptr);
  }
}

}  // namespace
