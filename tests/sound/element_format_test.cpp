// Element files: the exact bytes the converter writes, the folder rules, layer order, failed
// writes, and readers that refuse damaged files.
#include <fastlz.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "sound/element_file.h"
#include "sound/sound.h"
#include "tests/sound/element_test_util.h"
#include "tests/support/test_dirs.h"

namespace {

namespace fs = std::filesystem;
using namespace element_test;

class ElementFormatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = skyt_test::FreshDir(std::string("element_format_") +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  Parsed Convert(const std::string& folder, Sound::ElementType type, Sound::ElementCategory cat) {
    std::string out = Path("out.ele");
    EXPECT_TRUE(sound_.ConvertElement(out.c_str(), Path(folder), type, cat, nullptr));
    return Parse(ReadBytes(out));
  }
  static std::vector<size_t> Counts(const Parsed& p) {
    std::vector<size_t> c;
    for (const auto& set : p.sets) c.push_back(set.size());
    return c;
  }

  std::string dir_;
  Sound sound_;
};

TEST_F(ElementFormatTest, MidiOnlyElementIsTheSixteenByteHeader) {
  ASSERT_TRUE(Sound::ConvertElement(Path("midi.ele").c_str(), Sound::HIHAT, 2));
  std::vector<uint8_t> expected = {'E', 'L', 'E', '0', 9, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(ReadBytes(Path("midi.ele")), expected);

  testing::internal::CaptureStdout();
  EXPECT_FALSE(Sound::ConvertElement(Path("missing/midi.ele").c_str(), Sound::HIHAT, 2));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: No such file or directory\n");
}

TEST_F(ElementFormatTest, ShortSamplesByteForByte) {
  // Left stick: 3 frames (a 12-byte head kept raw); right stick: 6145 frames (a compressed
  // head and one 4-byte chunk kept raw).
  Pcm tiny = {1000, -2000, 3000, 500, -100, 7};
  Pcm one_over = Tone(6145, 20000, 7);
  WriteWav(Path("snare/l/a.wav"), tiny);
  WriteWav(Path("snare/r/b.wav"), one_over);
  std::string out = Path("snare.ele");
  ASSERT_TRUE(sound_.ConvertElement(out.c_str(), Path("snare"), Sound::SNARE, 0, nullptr));

  std::vector<uint8_t> head(element_file::CompressBound(24576));
  int head_size = fastlz_compress(one_over.data(), 24576, head.data());
  head.resize(static_cast<size_t>(head_size));
  uint32_t chunk_area = 16 + 4 + (16 + 12 + 4) + 4 + (16 + static_cast<uint32_t>(head_size) + 4);

  std::vector<uint8_t> e = {'E', 'L', 'E', '0'};
  PutU32(e, 1);  // SNARE
  PutU32(e, 0);  // hand
  PutU32(e, 2);
  PutU32(e, 1);
  PutF32(e, 1.0f);
  PutU32(e, 3);
  PutU32(e, 0xFFFFFFFF);
  PutU32(e, 12);
  auto put16 = [&e](int16_t v) {
    e.push_back(static_cast<uint8_t>(v));
    e.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
  };
  for (int16_t v : tiny) put16(v);
  PutU32(e, chunk_area);
  PutU32(e, 1);
  PutF32(e, 1.0f);
  PutU32(e, 6145);
  PutU32(e, static_cast<uint32_t>(head_size));
  PutU32(e, 24576);
  e.insert(e.end(), head.begin(), head.end());
  PutU32(e, chunk_area);
  ASSERT_EQ(e.size(), chunk_area);
  PutU32(e, 0xFFFFFFFF);
  PutU32(e, 4);
  put16(one_over[2 * 6144]);
  put16(one_over[2 * 6144 + 1]);
  PutU32(e, 0xFFFFFFFF);
  PutU32(e, 0xFFFFFFFF);
  EXPECT_EQ(ReadBytes(out), e);
}

TEST_F(ElementFormatTest, LongSampleGoesIntoFullChunksAndARest) {
  WriteWav(Path("tom/x.wav"), Tone(20000, 12000));
  WriteWav(Path("tom/y.wav"), Tone(6144, 6000));
  Parsed p = Convert("tom", Sound::MID_TOM, 0);
  ASSERT_TRUE(p.ok) << p.error;
  ASSERT_EQ(Counts(p), (std::vector<size_t>{2, 0}));
  const SampleInfo& shorter = p.sets[0][0];
  const SampleInfo& longer = p.sets[0][1];
  EXPECT_EQ(shorter.frames, 6144u);
  EXPECT_EQ(shorter.head_raw, 24576u);
  EXPECT_TRUE(shorter.chunk_raw.empty());
  EXPECT_EQ(longer.frames, 20000u);
  EXPECT_EQ(longer.head_raw, 24576u);
  EXPECT_EQ(longer.chunk_raw, (std::vector<uint32_t>{32768, 22656}));
  for (uint32_t stored : longer.chunk_stored) EXPECT_LE(stored, element_file::kMaxCompressedChunk);
  // The short sample's rest offset points at the chunk area too (written, never used).
  EXPECT_EQ(shorter.rest_offset, p.chunk_area);
  EXPECT_EQ(p.end, ReadBytes(Path("out.ele")).size());
}

TEST_F(ElementFormatTest, HandFolderRules) {
  WriteWav(Path("both/l/1.wav"), Tone(100, 1000));
  WriteWav(Path("both/r/1.wav"), Tone(100, 1000));
  WriteWav(Path("both/r/2.WAV"), Tone(100, 2000));  // the extension in any case
  WriteWav(Path("both/stray.wav"), Tone(100, 1000));  // ignored while l or r has samples
  EXPECT_EQ(Counts(Convert("both", Sound::SNARE, 0)), (std::vector<size_t>{1, 2}));

  WriteWav(Path("flat/1.wav"), Tone(100, 1000));
  WriteWav(Path("flat/2.wav"), Tone(100, 3000));
  WriteBytes(Path("flat/notes.txt"), {'x'});
  EXPECT_EQ(Counts(Convert("flat", Sound::SNARE, 0)), (std::vector<size_t>{2, 0}));

  // No usable sample: refused, no file (a silent element is no element).
  testing::internal::CaptureStdout();
  EXPECT_FALSE(sound_.ConvertElement(Path("none.ele").c_str(), Path("nothing_here"), Sound::SNARE, 0, nullptr));
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(ReadBytes(Path("none.ele")).empty());
}

TEST_F(ElementFormatTest, FootFolderRules) {
  WriteWav(Path("kick/a/1.wav"), Tone(100, 1000));
  WriteWav(Path("kick/b/1.wav"), Tone(100, 1000));
  WriteWav(Path("kick/b/2.wav"), Tone(100, 1500));
  WriteWav(Path("kick/l/1.wav"), Tone(100, 1000));  // hand folders mean nothing for a foot
  Parsed p = Convert("kick", Sound::KICK, 1);
  EXPECT_EQ(p.category, 1u);
  EXPECT_EQ(Counts(p), (std::vector<size_t>{1, 2}));

  WriteWav(Path("flatkick/1.wav"), Tone(100, 1000));
  EXPECT_EQ(Counts(Convert("flatkick", Sound::KICK, 1)), (std::vector<size_t>{1, 0}));
}

TEST_F(ElementFormatTest, HandAndFootFolderRules) {
  WriteWav(Path("hh/ped/a/1.wav"), Tone(100, 1000));
  WriteWav(Path("hh/ped/b/1.wav"), Tone(100, 1000));
  WriteWav(Path("hh/a/l/1.wav"), Tone(100, 1000));
  WriteWav(Path("hh/a/r/1.wav"), Tone(100, 1000));
  WriteWav(Path("hh/a/r/2.wav"), Tone(100, 2000));
  WriteWav(Path("hh/b/1.wav"), Tone(100, 1000));  // straight in the letter: its left set
  WriteWav(Path("hh/b/2.wav"), Tone(100, 1200));
  WriteWav(Path("hh/d/l/1.wav"), Tone(100, 1000));  // after the gap at "c": not used
  std::vector<int> reported;
  static std::vector<int>* progress_out;
  progress_out = &reported;
  ASSERT_TRUE(sound_.ConvertElement(Path("hh.ele").c_str(), Path("hh"), Sound::HIHAT, 2,
                                    [](int p) { progress_out->push_back(p); }));
  Parsed p = Parse(ReadBytes(Path("hh.ele")));
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(Counts(p), (std::vector<size_t>{1, 1, 1, 2, 2, 0}));
  ASSERT_FALSE(reported.empty());
  EXPECT_EQ(reported.front(), 0);
  EXPECT_EQ(reported.back(), 100);
  EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));

  // Pedal samples straight in "ped"; no lettered folder at all: only the pedal pair.
  WriteWav(Path("pedonly/ped/1.wav"), Tone(100, 1000));
  WriteWav(Path("pedonly/ped/2.wav"), Tone(100, 900));
  EXPECT_EQ(Counts(Convert("pedonly", Sound::HIHAT, 2)), (std::vector<size_t>{2, 0}));
}

TEST_F(ElementFormatTest, LayersAreOrderedByMeasuredLevelNotByName) {
  WriteWav(Path("ride/1-hardest.wav"), Tone(300, 10000, 1));
  WriteWav(Path("ride/2-hard.wav"), Tone(200, 20000, 2));
  WriteWav(Path("ride/3-soft.wav"), Tone(100, 4000, 3));
  WriteWav(Path("ride/4-silent.wav"), Pcm(400, 0));
  WriteBytes(Path("ride/5-broken.wav"), {'R', 'I', 'F', 'F', 0, 0});
  testing::internal::CaptureStdout();
  Parsed p = Convert("ride", Sound::RIDE, 0);
  std::string out = testing::internal::GetCapturedStdout();
  ASSERT_TRUE(p.ok) << p.error;
  ASSERT_EQ(p.sets[0].size(), 3u);
  EXPECT_EQ(p.sets[0][0].frames, 100u);
  EXPECT_EQ(p.sets[0][1].frames, 300u);
  EXPECT_EQ(p.sets[0][2].frames, 200u);
  EXPECT_FLOAT_EQ(p.sets[0][2].level, 1.0f);
  EXPECT_NEAR(p.sets[0][0].level, 0.2f, 0.002f);
  EXPECT_NEAR(p.sets[0][1].level, 0.5f, 0.002f);
  EXPECT_NE(out.find("Audio error: can't load sample \"" + Path("ride") + "/5-broken.wav\"\n"),
            std::string::npos);
  EXPECT_NE(out.find("4-silent.wav\" is silent"), std::string::npos);
}

TEST_F(ElementFormatTest, LevelIsTheMeanOfTheTenLargestInTheFirstHalf) {
  // 8 frames = 16 values; only the first 8 count. Their magnitudes 1..8 (of 32768).
  const Pcm few = {1, -2, 3, -4, 5, -6, 7, -8, 30000, 30000, 30000, 30000, 30000, 30000, 30000, 30000};
  // Twelve values: the ten largest are 3..12.
  const Pcm many = {1, -2, 3, -4, 5, -6, 7, -8, 9, -10, 11, -12};
  const struct { const Pcm& pcm; uint32_t frames; float sum; } cases[] = {{few, 8, 36}, {many, 12, 75}};
  for (const auto& c : cases)
    EXPECT_FLOAT_EQ(Sound::MeasureLevel(c.pcm.data(), c.frames), c.sum / 32768.0f / 10.0f) << c.frames;
  EXPECT_FLOAT_EQ(Sound::MeasureLevel(nullptr, 8), 0.0f);
}

TEST_F(ElementFormatTest, FailedWritesKeepTheOldElementAndLeaveNoPart) {
  WriteWav(Path("crash/1.wav"), Tone(60000, 15000));
  std::vector<uint8_t> good = {'E', 'L', 'E', '0', 11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  WriteBytes(Path("crash.ele"), good);

  // The file system refuses to grow any file beyond 4 kB.
  struct rlimit old_limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  sighandler_t old_handler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old_limit;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool ok = sound_.ConvertElement(Path("crash.ele").c_str(), Path("crash"), Sound::CRASH, 0, nullptr);
  bool midi_ok = Sound::ConvertElement(Path("crash.ele").c_str(), Sound::CRASH, 0);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(ok);
  EXPECT_TRUE(midi_ok);  // 16 bytes fit
  EXPECT_EQ(ReadBytes(Path("crash.ele")).size(), 16u);
  EXPECT_FALSE(fs::exists(Path("crash.ele.part")));

  EXPECT_FALSE(sound_.ConvertElement(Path("no/such/folder.ele").c_str(), Path("crash"),
                                     Sound::CRASH, 0, nullptr));
}

// A valid element with three layers, one long enough for chunks, for the damage tests.
class DamagedElementTest : public ElementFormatTest {
 protected:
  void SetUp() override {
    ElementFormatTest::SetUp();
    WriteWav(Path("src/l/1.wav"), Tone(9000, 4000, 1));
    WriteWav(Path("src/l/2.wav"), Tone(50000, 9000, 2));
    WriteWav(Path("src/l/3.wav"), Tone(300, 20000, 3));
    ASSERT_TRUE(sound_.ConvertElement(Path("good.ele").c_str(), Path("src"), Sound::SNARE, 0, nullptr));
    good_ = ReadBytes(Path("good.ele"));
    parsed_ = Parse(good_);
    ASSERT_TRUE(parsed_.ok);
  }
  // Loads the bytes as an element and as a preview; neither may crash. Returns whether
  // LoadElement accepted them.
  bool TryLoad(const std::vector<uint8_t>& bytes, bool* preview = nullptr) {
    WriteBytes(Path("bad.ele"), bytes);
    Audio::Sound s;
    testing::internal::CaptureStdout();  // the diagnostics of damaged files
    bool p = sound_.LoadRepresentativeSoundFromElement(s, Path("bad.ele").c_str());
    if (preview) *preview = p;
    sound_.audio.FreeSound(s);
    int slot = sound_.LoadElement(Path("bad.ele").c_str(), 0, 0, 100, 0, 100);
    sound_.UnloadElement(slot);
    testing::internal::GetCapturedStdout();
    return slot >= 0;
  }
  std::vector<uint8_t> good_;
  Parsed parsed_;
};

TEST_F(DamagedElementTest, TruncatedFilesAreRefusedWithoutCrashing) {
  size_t heads_end = parsed_.chunk_area;
  for (size_t len = 0; len < good_.size(); len += (len < heads_end + 64 ? 1 : 997)) {
    std::vector<uint8_t> cut(good_.begin(), good_.begin() + static_cast<long>(len));
    bool preview = true;
    bool loaded = TryLoad(cut, &preview);
    // Without all sample heads the element is refused; the preview needs its whole sample.
    if (len < heads_end) {
      ASSERT_FALSE(loaded) << len;
    }
    ASSERT_FALSE(preview) << len;
  }
  bool preview = false;
  EXPECT_TRUE(TryLoad(good_, &preview));
  EXPECT_TRUE(preview);
}

// The field readers under the loaders: a stream that ends anywhere inside a field or a block
// is a failure, and the value read before is kept.
TEST(ElementFields, AStreamEndingInsideAFieldIsAFailure) {
  Pcm pcm = Tone(16, 5000);
  const uint8_t* raw = reinterpret_cast<const uint8_t*>(pcm.data());
  std::vector<uint8_t> packed(element_file::CompressBound(64));
  packed.resize(static_cast<size_t>(fastlz_compress(raw, 64, packed.data())));
  std::vector<uint8_t> kept_raw, compressed;
  PutU32(kept_raw, element_file::kStored);
  PutU32(kept_raw, 8);
  kept_raw.insert(kept_raw.end(), raw, raw + 8);
  PutU32(compressed, static_cast<uint32_t>(packed.size()));
  PutU32(compressed, 64);
  compressed.insert(compressed.end(), packed.begin(), packed.end());
  for (const std::vector<uint8_t>* block : {&kept_raw, &compressed}) {
    for (size_t len = 0; len <= block->size(); ++len) {
      std::istringstream in(std::string(block->begin(), block->begin() + static_cast<long>(len)));
      uint8_t out[64] = {};
      uint32_t raw_size = 0;
      std::vector<uint8_t> scratch;
      const bool whole = len == block->size();
      ASSERT_EQ(element_file::ReadBlock(in, out, 64, raw_size, scratch), whole) << block->size() << " " << len;
      if (whole) {
        EXPECT_EQ(memcmp(out, raw, raw_size), 0);
      }
    }
  }
  for (size_t len = 0; len < 4; ++len) {
    std::istringstream in(std::string("\x01\x02\x03", len));
    uint32_t value = 7;
    float level = 0.5f;
    EXPECT_FALSE(element_file::ReadU32(in, value)) << len;
    EXPECT_EQ(value, 7u);
    in.clear();
    in.seekg(0);
    EXPECT_FALSE(element_file::ReadF32(in, level)) << len;
    EXPECT_EQ(level, 0.5f);
  }
}

// Blocks on either side of the size from which they are compressed read back as written.
TEST(ElementFields, BlocksAboutTheCompressionThresholdReadBackAsWritten) {
  const Pcm pcm = Tone(16, 5000);
  const uint8_t* raw = reinterpret_cast<const uint8_t*>(pcm.data());
  for (const uint32_t bytes : {element_file::kMinCompressBytes - 4, element_file::kMinCompressBytes,
                               element_file::kMinCompressBytes + 4}) {
    FILE* f = tmpfile();
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> buffer;
    ASSERT_TRUE(element_file::WriteBlock(f, raw, bytes, buffer)) << bytes;
    std::string written(static_cast<size_t>(ftell(f)), '\0');
    rewind(f);
    ASSERT_EQ(fread(written.data(), 1, written.size(), f), written.size());
    fclose(f);
    std::istringstream in(written);
    uint8_t out[64] = {};
    uint32_t raw_size = 0;
    std::vector<uint8_t> scratch;
    ASSERT_TRUE(element_file::ReadBlock(in, out, 64, raw_size, scratch)) << bytes;
    EXPECT_EQ(raw_size, bytes);
    EXPECT_EQ(memcmp(out, raw, bytes), 0) << bytes;
  }
}

// A block of a few bytes holds no whole value: damage, not the empty block that ends a sample.
TEST(ElementFields, ABlockShorterThanAValueIsRefused) {
  for (const uint32_t size : {1u, 2u, 3u}) {
    std::vector<uint8_t> b;
    PutU32(b, element_file::kStored);
    PutU32(b, size);
    b.resize(b.size() + 4, 0);
    std::istringstream in(std::string(b.begin(), b.end()));
    uint8_t out[64];
    uint32_t raw_size = 0;
    std::vector<uint8_t> scratch;
    EXPECT_FALSE(element_file::ReadBlock(in, out, 64, raw_size, scratch)) << size;
  }
}

TEST_F(DamagedElementTest, AbsurdCountsAndSizesAreRefused) {
  auto with = [&](size_t at, uint32_t value) {
    std::vector<uint8_t> b = good_;
    for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    return b;
  };
  bool preview;
  EXPECT_FALSE(TryLoad(with(12, 0x7FFFFFFF), &preview));  // set count
  EXPECT_FALSE(preview);
  EXPECT_FALSE(TryLoad(with(16, 0x10000000), &preview));  // sample count
  EXPECT_FALSE(preview);
  EXPECT_FALSE(TryLoad(with(16, 100), &preview));  // more samples than the file holds
  EXPECT_FALSE(TryLoad(with(20 + 4, 0xFFFFFFF0), &preview));  // frames of the first sample
  EXPECT_FALSE(TryLoad(with(20, 0x7FC00000), &preview));      // a NaN level
  EXPECT_FALSE(TryLoad(with(20, 0x0DA24260), &preview));      // level 1e-30: a boost of 1e30
  EXPECT_FALSE(TryLoad(with(20, 0x40000000), &preview));      // level 2, above the loudest
  EXPECT_FALSE(TryLoad(with(20 + 8, 0x7FFFFFFF), &preview));  // head stored size
  EXPECT_FALSE(preview);
  EXPECT_FALSE(TryLoad(with(20 + 12, 24577), &preview));  // head raw size beyond the head
  // The same in the middle layer, which the preview reads.
  size_t middle_header = 20 + 16 + parsed_.sets[0][0].head_stored + 4;
  EXPECT_FALSE(TryLoad(with(middle_header + 12, 24580), &preview));
  EXPECT_FALSE(preview);
  // The middle layer's first chunk claims more than a chunk buffer holds.
  const SampleInfo& mid = parsed_.sets[0][1];
  TryLoad(with(mid.rest_offset, element_file::kMaxCompressedChunk + 1), &preview);
  EXPECT_FALSE(preview);
  TryLoad(with(mid.rest_offset + 4, 32772), &preview);  // raw size above a chunk
  EXPECT_FALSE(preview);
  // The pedal pair and 26 openness steps: 54 sets at most.
  for (const uint32_t sets : {54u, 55u}) {
    std::vector<uint8_t> b(good_.begin(), good_.begin() + 12);
    PutU32(b, sets);
    b.resize(b.size() + 4 * sets, 0);
    EXPECT_EQ(TryLoad(b), sets == 54) << sets;
  }
  // A set holds at most 1024 layers (here of one frame each).
  for (const uint32_t layers : {1024u, 1025u}) {
    std::vector<uint8_t> b(good_.begin(), good_.begin() + 12);
    PutU32(b, 1);
    PutU32(b, layers);
    for (uint32_t i = 0; i < layers; ++i) {
      PutF32(b, 1.0f);
      for (uint32_t field : {1u, element_file::kStored, 4u, 0x00010001u, 0u}) PutU32(b, field);
    }
    EXPECT_EQ(TryLoad(b, &preview), layers == 1024) << layers;
    EXPECT_EQ(preview, layers == 1024) << layers;
  }
  // A layer one frame longer than the longest one read (2^26 frames), all its frames present.
  {
    auto put_block = [](std::vector<uint8_t>& out, uint32_t raw_bytes) {
      std::vector<uint8_t> zeros(raw_bytes, 0), packed(element_file::CompressBound(raw_bytes));
      packed.resize(static_cast<size_t>(fastlz_compress(zeros.data(), static_cast<int>(raw_bytes), packed.data())));
      PutU32(out, static_cast<uint32_t>(packed.size()));
      PutU32(out, raw_bytes);
      out.insert(out.end(), packed.begin(), packed.end());
    };
    const uint32_t frames = (1u << 26) + 1, chunk_frames = element_file::kChunkBytes / 4;
    std::vector<uint8_t> b(good_.begin(), good_.begin() + 12);
    PutU32(b, 1);
    PutU32(b, 1);
    PutF32(b, 1.0f);
    PutU32(b, frames);
    put_block(b, 4 * element_file::kHeadFrames);
    PutU32(b, static_cast<uint32_t>(b.size() + 4));
    std::vector<uint8_t> chunk;
    put_block(chunk, element_file::kChunkBytes);
    const uint32_t rest = frames - element_file::kHeadFrames;
    for (uint32_t i = 0; i < rest / chunk_frames; ++i) b.insert(b.end(), chunk.begin(), chunk.end());
    put_block(b, 4 * (rest % chunk_frames));
    PutU32(b, 0);
    PutU32(b, 0);
    WriteBytes(Path("long.ele"), b);
    Audio::Sound s;
    EXPECT_FALSE(sound_.LoadRepresentativeSoundFromElement(s, Path("long.ele").c_str()));
    sound_.audio.FreeSound(s);
  }
  std::vector<uint8_t> foreign = good_;
  foreign[3] = '1';
  EXPECT_FALSE(TryLoad(foreign, &preview));
  EXPECT_FALSE(preview);
}

TEST_F(DamagedElementTest, CorruptedCompressedBytesNeverOverrun) {
  uint32_t state = 12345;
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> b = good_;
    for (int k = 0; k < 4; ++k) {
      state = state * 1664525u + 1013904223u;
      size_t at = 16 + state % (b.size() - 16);
      state = state * 1664525u + 1013904223u;
      b[at] = static_cast<uint8_t>(state >> 24);
    }
    TryLoad(b);
  }
  // A run of 0xFF bytes where the decompressor reads a long match length.
  std::vector<uint8_t> b = good_;
  const SampleInfo& mid = parsed_.sets[0][1];
  size_t chunk_data = mid.rest_offset + 8;
  for (size_t i = chunk_data; i < chunk_data + mid.chunk_stored[0]; ++i) b[i] = 0xFF;
  bool preview = true;
  TryLoad(b, &preview);
  EXPECT_FALSE(preview);
}

TEST_F(DamagedElementTest, PreviewIsTheWholeMiddleLayer) {
  Audio::Sound s;
  ASSERT_TRUE(sound_.LoadRepresentativeSoundFromElement(s, Path("good.ele").c_str()));
  // Sorted by level the layers are 4000, 9000 and 20000 peak: the middle one is the long one.
  Pcm source = Tone(50000, 9000, 2);
  ASSERT_EQ(s.Frames(), 50000u);
  EXPECT_EQ(s.max_voices, 8);
  EXPECT_EQ(s.state.load(), 1u);
  EXPECT_TRUE(s.IsLoaded());
  EXPECT_EQ(memcmp(s.Data(), source.data(), source.size() * 2), 0);
  // A second preview into the same sound replaces the first.
  ASSERT_TRUE(sound_.LoadRepresentativeSoundFromElement(s, Path("good.ele").c_str()));
  EXPECT_EQ(s.Frames(), 50000u);
  sound_.audio.FreeSound(s);

  EXPECT_FALSE(sound_.LoadRepresentativeSoundFromElement(s, Path("missing.ele").c_str()));
  ASSERT_TRUE(Sound::ConvertElement(Path("midi.ele").c_str(), Sound::SNARE, 0));
  EXPECT_FALSE(sound_.LoadRepresentativeSoundFromElement(s, Path("midi.ele").c_str()));
}

}  // namespace
