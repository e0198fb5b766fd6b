// Sample loader threads: heads at once, the rest in the background, priority for samples that
// are played while still incomplete, freeing while a thread reads, damaged chunks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "fastlz.h"
#include "sound/audio.h"
#include "tests/sound/audio_test_util.h"
#include "tests/sound/element_test_util.h"
#include "tests/support/test_dirs.h"

struct AudioTestAccess {
  static std::vector<Audio::Sound*> Priority(Audio& a) {
    return std::vector<Audio::Sound*>(a.priority_queue_.begin(), a.priority_queue_.end());
  }
  static std::vector<Audio::Sound*> Normal(Audio& a) {
    return std::vector<Audio::Sound*>(a.normal_queue_.begin(), a.normal_queue_.end());
  }
};

namespace {

using element_test::PutU32;

void PutBlock(std::vector<uint8_t>& out, const int16_t* pcm, uint32_t bytes) {
  if (bytes < 16) {
    PutU32(out, 0xFFFFFFFFu);
    PutU32(out, bytes);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(pcm);
    out.insert(out.end(), p, p + bytes);
    return;
  }
  std::vector<uint8_t> packed(bytes + bytes / 10 + 100);
  const int n = fastlz_compress(pcm, static_cast<int>(bytes), packed.data());
  PutU32(out, static_cast<uint32_t>(n));
  PutU32(out, bytes);
  out.insert(out.end(), packed.begin(), packed.begin() + n);
}

// Samples as an element file lays them out: every head (frame count, head block, rest offset),
// then the chunks of each longer sample with a terminator. Returns the offset of each header.
std::vector<size_t> WriteSamples(const std::string& path, const std::vector<element_test::Pcm>& samples,
                                 uint32_t chunk_bytes = 32768) {
  std::vector<uint8_t> heads, chunks;
  std::vector<size_t> header_at, rest_field;
  for (const auto& pcm : samples) {
    const uint32_t frames = static_cast<uint32_t>(pcm.size() / 2);
    header_at.push_back(heads.size());
    PutU32(heads, frames);
    PutBlock(heads, pcm.data(), 4 * std::min<uint32_t>(frames, 6144));
    rest_field.push_back(heads.size());
    PutU32(heads, 0);
  }
  for (size_t i = 0; i < samples.size(); ++i) {
    const auto& pcm = samples[i];
    const uint32_t frames = static_cast<uint32_t>(pcm.size() / 2);
    if (frames <= 6144) continue;
    const uint32_t at = static_cast<uint32_t>(heads.size() + chunks.size());
    for (int b = 0; b < 4; ++b) heads[rest_field[i] + b] = static_cast<uint8_t>(at >> (8 * b));
    for (uint32_t f = 6144; f < frames;) {
      const uint32_t n = std::min<uint32_t>(chunk_bytes / 4, frames - f);
      PutBlock(chunks, pcm.data() + 2 * f, 4 * n);
      f += n;
    }
    PutU32(chunks, 0xFFFFFFFFu);
    PutU32(chunks, 0xFFFFFFFFu);
  }
  heads.insert(heads.end(), chunks.begin(), chunks.end());
  element_test::WriteBytes(path, heads);
  return header_at;
}

bool WaitLoaded(const std::vector<Audio::Sound*>& sounds, int ms = 10000) {
  for (int i = 0; i < ms; ++i) {
    bool all = true;
    for (auto* s : sounds) all = all && s->IsLoaded();
    if (all) return true;
    usleep(1000);
  }
  return false;
}

class Loader : public ::testing::Test {
 protected:
  void SetUp() override { dir = skyt_test::FreshDir("loader"); }
  void TearDown() override {
    audio.StopRawThreads();
    for (auto& s : sounds) audio.FreeSound(s);
  }
  // Loads every sample with LoadRaw from one stream, as the element loader does.
  void LoadAll(const std::string& path, size_t count) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(0);
    for (size_t i = 0; i < count; ++i) audio.LoadRaw(sounds[i], path.c_str(), in, 8);
  }
  std::vector<Audio::Sound*> Ptrs(size_t n) {
    std::vector<Audio::Sound*> p;
    for (size_t i = 0; i < n; ++i) p.push_back(&sounds[i]);
    return p;
  }
  std::string dir;
  Audio audio;
  Audio::Sound sounds[12];
};

TEST_F(Loader, HeadsAtOnceRestInTheBackground) {
  std::vector<element_test::Pcm> pcm = {element_test::Tone(50000, 9000, 1), element_test::Tone(6144, 5000, 2),
                                        element_test::Tone(3, 100, 3), element_test::Tone(20001, 7000, 4)};
  const std::string path = dir + "/a.ele";
  WriteSamples(path, pcm);
  LoadAll(path, pcm.size());
  EXPECT_EQ(sounds[0].Frames(), 6144u);
  EXPECT_FALSE(sounds[0].IsLoaded());
  EXPECT_TRUE(sounds[1].IsLoaded());  // all of it in the head
  EXPECT_TRUE(sounds[2].IsLoaded());  // a head too short to compress
  EXPECT_EQ(sounds[2].Frames(), 3u);
  EXPECT_EQ(audio.GetRawQueueSize(), 2);

  audio.StartRawThreads(4);
  audio.StartRawThreads(4);  // no second pool
  ASSERT_TRUE(WaitLoaded(Ptrs(4)));
  EXPECT_EQ(audio.GetRawQueueSize(), 0);
  for (size_t i = 0; i < pcm.size(); ++i) {
    ASSERT_EQ(sounds[i].Frames(), pcm[i].size() / 2) << i;
    EXPECT_EQ(0, memcmp(sounds[i].Data(), pcm[i].data(), pcm[i].size() * 2)) << i;
  }
}

TEST_F(Loader, PlayedSampleJumpsTheQueueAndStoppedThreadsKeepIt) {
  std::vector<element_test::Pcm> pcm;
  for (int i = 0; i < 6; ++i) pcm.push_back(element_test::Tone(30000, 3000 + i, i + 1));
  const std::string path = dir + "/b.ele";
  WriteSamples(path, pcm);
  LoadAll(path, pcm.size());
  ASSERT_EQ(AudioTestAccess::Normal(audio).size(), 6u);
  audio.BeginOffline(64);
  audio.StartSound(sounds[4], 1.0f, 0.0f, true, 0.0f, false);
  EXPECT_EQ(AudioTestAccess::Priority(audio), std::vector<Audio::Sound*>{&sounds[4]});
  EXPECT_EQ(AudioTestAccess::Normal(audio).size(), 5u);
  EXPECT_EQ(audio.GetRawQueueSize(), 6);
  audio.EndOffline();

  // Stopped threads leave the queues as they are; the next start reads them.
  audio.StartRawThreads(1);
  audio.StopRawThreads();
  audio.StartRawThreads(2);
  ASSERT_TRUE(WaitLoaded(Ptrs(6)));
  for (size_t i = 0; i < pcm.size(); ++i) EXPECT_EQ(sounds[i].Frames(), 30000u);
}

TEST_F(Loader, FreeingWhileThreadsReadIsSafe) {
  std::vector<element_test::Pcm> pcm;
  for (int i = 0; i < 12; ++i) pcm.push_back(element_test::Tone(400000, 2000, i + 1));
  const std::string path = dir + "/c.ele";
  WriteSamples(path, pcm);
  for (int round = 0; round < 4; ++round) {
    LoadAll(path, pcm.size());
    audio.StartRawThreads(4);
    std::this_thread::sleep_for(std::chrono::microseconds(200 * round));
    for (int i = 0; i < 12; ++i) {
      audio.FreeSound(sounds[i]);
      EXPECT_EQ(sounds[i].Data(), nullptr);
      EXPECT_EQ(sounds[i].state.load(), 0u);
    }
    EXPECT_EQ(audio.GetRawQueueSize(), 0);
    audio.StopRawThreads();
  }
}

uint32_t U32(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

TEST_F(Loader, LongSamplesReadByAllLoadersStopBeforeADamagedChunk) {
  // Two samples of 49 chunks each, the second with chunk 10 damaged; the loaders share them.
  const std::vector<element_test::Pcm> pcm = {element_test::Tone(400000, 9000, 5),
                                              element_test::Tone(400000, 9000, 6)};
  const std::string path = dir + "/long.ele";
  const std::vector<size_t> heads = WriteSamples(path, pcm);
  std::vector<uint8_t> bytes = element_test::ReadBytes(path);
  const size_t head = heads[1] + 4;  // compressed size, raw size, the block
  size_t chunk = U32(bytes, head + 8 + U32(bytes, head));
  for (int k = 0; k < 10; ++k) chunk += 8 + U32(bytes, chunk);
  bytes[chunk + 8] = 0xE0;  // chunk 10's block, now of no known kind
  element_test::WriteBytes(path, bytes);
  LoadAll(path, 2);
  audio.StartRawThreads(4);
  ASSERT_TRUE(WaitLoaded(Ptrs(2)));
  const uint32_t kept[2] = {400000, 6144 + 10 * 8192};
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(sounds[i].Frames(), kept[i]) << i;
    EXPECT_EQ(0, memcmp(sounds[i].Data(), pcm[i].data(), 4 * size_t(kept[i]))) << i;
  }
}

TEST_F(Loader, DamagedChunksAndMissingFilesKeepWhatWasRead) {
  std::vector<element_test::Pcm> pcm = {element_test::Tone(20000, 4000, 7)};
  const std::string path = dir + "/d.ele";
  WriteSamples(path, pcm);
  std::vector<uint8_t> bytes = element_test::ReadBytes(path);
  // Announce fewer frames than the chunks hold: reading stops at the announced length.
  bytes[0] = static_cast<uint8_t>(10000 & 0xFF);
  bytes[1] = static_cast<uint8_t>(10000 >> 8);
  element_test::WriteBytes(dir + "/short.ele", bytes);
  {
    std::ifstream in(dir + "/short.ele", std::ios::binary);
    audio.LoadRaw(sounds[0], (dir + "/short.ele").c_str(), in, 8);
  }
  // A head that claims more bytes than the sample has is refused at once.
  std::vector<uint8_t> bad = element_test::ReadBytes(path);
  bad[8] = 0xFF;
  bad[9] = 0xFF;
  bad[10] = 0x0F;
  element_test::WriteBytes(dir + "/bad.ele", bad);
  testing::internal::CaptureStdout();
  {
    std::ifstream in(dir + "/bad.ele", std::ios::binary);
    audio.LoadRaw(sounds[1], (dir + "/bad.ele").c_str(), in, 8);
    EXPECT_TRUE(in.fail());
  }
  EXPECT_NE(testing::internal::GetCapturedStdout().find("Audio error: "), std::string::npos);
  EXPECT_TRUE(sounds[1].IsLoaded());
  EXPECT_EQ(sounds[1].Frames(), 0u);
  // A file that ends inside a field of the head: refused with the field named.
  const std::vector<uint8_t> good = element_test::ReadBytes(path);
  const size_t head_end = 12 + element_test::GetU32(good, 4);
  WriteSamples(dir + "/tiny.ele", {element_test::Tone(3, 100)});
  const std::vector<uint8_t> tiny = element_test::ReadBytes(dir + "/tiny.ele");  // a head kept raw
  const struct { const std::vector<uint8_t>& file; size_t length; const char* what; } cuts[] = {
      {good, 2, "(frame count)"}, {good, 6, "(head size)"}, {good, 10, "(head size)"},
      {good, head_end - 5, "(head)"}, {tiny, 18, "(head)"}, {good, head_end + 2, "(rest offset)"}};
  for (size_t i = 0; i < std::size(cuts); ++i) {
    const std::vector<uint8_t> cut(cuts[i].file.begin(), cuts[i].file.begin() + static_cast<long>(cuts[i].length));
    element_test::WriteBytes(dir + "/cut.ele", cut);
    std::ifstream in(dir + "/cut.ele", std::ios::binary);
    testing::internal::CaptureStdout();
    audio.LoadRaw(sounds[3 + i], (dir + "/cut.ele").c_str(), in, 8);
    EXPECT_NE(testing::internal::GetCapturedStdout().find(cuts[i].what), std::string::npos) << cuts[i].length;
    EXPECT_TRUE(in.fail());
    EXPECT_TRUE(sounds[3 + i].IsLoaded());
  }
  // A file gone before the threads run leaves the head.
  WriteSamples(dir + "/gone.ele", pcm);
  {
    std::ifstream in(dir + "/gone.ele", std::ios::binary);
    audio.LoadRaw(sounds[2], (dir + "/gone.ele").c_str(), in, 8);
  }
  std::remove((dir + "/gone.ele").c_str());

  audio.StartRawThreads(4);
  ASSERT_TRUE(WaitLoaded({&sounds[0], &sounds[2]}));
  EXPECT_LE(sounds[0].Frames(), 10000u);
  EXPECT_GE(sounds[0].Frames(), 6144u);
  EXPECT_EQ(sounds[2].Frames(), 6144u);
}

TEST_F(Loader, CallerReadsBesideTheLoadersAndReloadsAreExact) {
  const std::vector<element_test::Pcm> pcm = {element_test::Tone(200000, 9000, 8), element_test::Tone(30000, 5000, 9),
                                              element_test::Tone(8000, 3000, 10)};
  const std::string path = dir + "/e.ele";
  WriteSamples(path, pcm);
  const long open_files = skyt_test::OpenFiles();
  for (int threads : {0, 4, 4}) {  // the last round reloads into the buffers freed before
    LoadAll(path, pcm.size());
    if (threads) audio.StartRawThreads(threads);
    audio.FinishRawLoading();
    if (!threads) {
      for (size_t i = 0; i < pcm.size(); ++i) EXPECT_TRUE(sounds[i].IsLoaded()) << i;
    }
    ASSERT_TRUE(WaitLoaded(Ptrs(pcm.size())));
    for (size_t i = 0; i < pcm.size(); ++i) {
      ASSERT_EQ(sounds[i].Frames(), pcm[i].size() / 2) << threads << " " << i;
      EXPECT_EQ(0, memcmp(sounds[i].Data(), pcm[i].data(), pcm[i].size() * 2)) << threads << " " << i;
    }
    audio.StopRawThreads();
    for (size_t i = 0; i < pcm.size(); ++i) audio.FreeSound(sounds[i]);
    EXPECT_EQ(skyt_test::OpenFiles(), open_files) << threads;  // each rest's file is closed once read
  }
}

}  // namespace
