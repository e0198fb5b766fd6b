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

}  // namespace
