// Element files: conversion from sample folders, and the whole-sample preview reader.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <queue>

#include "frame/paths.h"
#include "sound/element_file.h"
#include "sound/sound.h"

namespace {

using element_file::kHeadFrames;

// The output goes to a temporary file beside the target and replaces it only when complete.
struct PendingFile {
  std::string target, temp;
  FILE* file = nullptr;

  bool Open(const char* path) {
    target = path;
    temp = target + ".part";
    file = fopen(temp.c_str(), "wb");
    return file != nullptr;
  }
  // Closes and renames; on failure removes the temporary file and keeps any old target.
  bool Finish(bool ok) {
    if (!file) return false;
    ok = fflush(file) == 0 && ok;
    ok = fclose(file) == 0 && ok;
    file = nullptr;
    if (ok) ok = rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) remove(temp.c_str());
    return ok;
  }
  ~PendingFile() { Finish(false); }
};

void Report(void (*progress)(int), int percent) {
  if (progress) progress(percent);
}

}  // namespace

float Sound::MeasureLevel(const int16_t* data, uint32_t frames) {
  if (!data) return 0.0f;
  // The ten largest magnitudes of the first `frames` values (half the interleaved data).
  std::priority_queue<int, std::vector<int>, std::greater<int>> top;
  for (uint32_t i = 0; i < frames; ++i) {
    int v = std::abs(static_cast<int>(data[i]));
    if (top.size() < 10) {
      top.push(v);
    } else if (v > top.top()) {
      top.pop();
      top.push(v);
    }
  }
  float sum = 0.0f;
  while (!top.empty()) {
    sum += static_cast<float>(top.top()) / 32768.0f;
    top.pop();
  }
  return sum / 10.0f;
}

void Sound::LoadSamplesFromPath(const char* folder, std::vector<Sample>& set) {
  for (Sample& s : set) audio.FreeSound(s.sound);
  set.clear();
  std::vector<std::string> names;
  ScanDirectory(folder, ".wav", names);
  set.reserve(names.size());
  for (const std::string& name : names) {
    std::string path = std::string(folder) + "/" + name;
    set.emplace_back();
    Sample& sample = set.back();
    if (!audio.LoadWav(sample.sound, path.c_str(), 8)) {
      printf("Audio error: can't load sample \"%s\"\n", path.c_str());
      set.pop_back();
      continue;
    }
    sample.level = MeasureLevel(sample.sound.Data(), sample.sound.Frames());
    // A silent layer would need an endless gain to reach its velocity: leave it out.
    if (!(sample.level > 0.0f)) {
      printf("Audio error: sample \"%s\" is silent\n", path.c_str());
      audio.FreeSound(sample.sound);
      set.pop_back();
    }
  }
}

void Sound::LoadLeftRightSamples(const std::string& folder, const std::string& left_sub,
                                 const std::string& right_sub, std::vector<Sample>& left,
                                 std::vector<Sample>& right) {
  LoadSamplesFromPath((folder + left_sub).c_str(), left);
  LoadSamplesFromPath((folder + right_sub).c_str(), right);
  if (left.empty() && right.empty()) LoadSamplesFromPath(folder.c_str(), left);
}

namespace {

using SampleSets = std::vector<std::vector<Sound::Sample>>;

// 1. The sample sets: a hand's left and right, a pedal's a and b; a hand-and-foot element has its
// pedal's pair first, then a left/right pair per lettered folder, up to the first empty one.
SampleSets LoadSampleSets(Sound& sound, const std::string& folder, Sound::ElementCategory category,
                          void (*progress)(int)) {
  SampleSets sets(2);
  if (category == Sound::CATEGORY_HAND) {
    sound.LoadLeftRightSamples(folder, "/l", "/r", sets[0], sets[1]);
  } else if (category == Sound::CATEGORY_FOOT) {
    sound.LoadLeftRightSamples(folder, "/a", "/b", sets[0], sets[1]);
  } else if (category == Sound::CATEGORY_HAND_AND_FOOT) {
    sound.LoadLeftRightSamples(folder + "/ped", "/a", "/b", sets[0], sets[1]);
    for (int k = 0; k < 26; ++k) {
      std::vector<Sound::Sample> left, right;
      sound.LoadLeftRightSamples(folder + "/" + static_cast<char>('a' + k), "/l", "/r", left, right);
      if (left.empty() && right.empty()) break;
      sets.push_back(std::move(left));
      sets.push_back(std::move(right));
      Report(progress, std::min(2 * k, 20));
    }
  }
  return sets;
}

size_t CountSamples(const SampleSets& sets) {
  size_t samples = 0;
  for (const auto& set : sets) samples += set.size();
  return samples;
}

// 2. Each set's layers quietest first, their levels relative to the set's loudest.
void SortByLevel(SampleSets& sets) {
  for (auto& set : sets) {
    std::stable_sort(set.begin(), set.end(),
                     [](const Sound::Sample& a, const Sound::Sample& b) { return a.level < b.level; });
    float loudest = set.empty() ? 0.0f : set.back().level;
    if (loudest > 0.0f)
      for (Sound::Sample& s : set) s.level /= loudest;
  }
}

const uint8_t* Pcm(const Sound::Sample& s) { return reinterpret_cast<const uint8_t*>(s.sound.Data()); }
uint32_t HeadBytes(const Sound::Sample& s) { return 4 * std::min<uint32_t>(s.sound.Frames(), kHeadFrames); }
uint64_t RestBytes(const Sound::Sample& s) { return 4ull * (s.sound.Frames() - kHeadFrames); }

// 3. Where the chunk area starts: after the header and every sample header.
uint64_t ChunkAreaOffset(const SampleSets& sets, std::vector<uint8_t>& buffer, void (*progress)(int)) {
  const uint32_t set_count = static_cast<uint32_t>(sets.size());
  uint64_t offset = 16 + 4ull * set_count;
  for (uint32_t i = 0; i < set_count; ++i) {
    for (const Sound::Sample& s : sets[i])
      offset += 16 + element_file::StoredSize(Pcm(s), HeadBytes(s), buffer) + 4;
    if (progress) Report(progress, 40 + static_cast<int>(i * 20 / set_count));
  }
  return offset;
}

// The bytes a sample's frames after its head take in the chunk area, with the closing marker.
uint64_t StoredRestSize(const Sound::Sample& s, std::vector<uint8_t>& buffer) {
  if (s.sound.Frames() <= kHeadFrames) return 0;
  const uint64_t rest = RestBytes(s);
  uint64_t size = 0;
  for (uint64_t at = 0; at < rest; at += element_file::kChunkBytes) {
    uint32_t bytes = static_cast<uint32_t>(std::min<uint64_t>(rest - at, element_file::kChunkBytes));
    size += 8 + element_file::StoredSize(Pcm(s) + 4ull * kHeadFrames + at, bytes, buffer);
  }
  return size + 8;
}

// 4. The header; an element without samples is this header alone.
bool WriteElementHeader(FILE* out, Sound::ElementType type, Sound::ElementCategory category,
                        uint32_t set_count) {
  return fwrite(element_file::kMagic, 1, 4, out) == 4 &&
         element_file::WriteU32(out, static_cast<uint32_t>(type)) &&
         element_file::WriteU32(out, static_cast<uint32_t>(category)) &&
         element_file::WriteU32(out, set_count);
}

// 5. Each set's sample headers (level, frames, the head's frames, where the rest lies), from
// offset, the start of the chunk area. Offsets are 32-bit: an element that does not fit fails.
bool WriteSampleHeaders(FILE* out, const SampleSets& sets, uint64_t offset, std::vector<uint8_t>& buffer,
                        void (*progress)(int)) {
  const uint32_t set_count = static_cast<uint32_t>(sets.size());
  bool ok = true;
  for (uint32_t i = 0; i < set_count && ok; ++i) {
    ok = element_file::WriteU32(out, static_cast<uint32_t>(sets[i].size()));
    for (const Sound::Sample& s : sets[i]) {
      ok = ok && element_file::WriteF32(out, s.level) && element_file::WriteU32(out, s.sound.Frames()) &&
           element_file::WriteBlock(out, Pcm(s), HeadBytes(s), buffer) &&
           element_file::WriteU32(out, static_cast<uint32_t>(offset));
      offset += StoredRestSize(s, buffer);
    }
    Report(progress, 60 + static_cast<int>(i * 20 / set_count));
  }
  return ok && offset <= 0xFFFFFFFFull;
}

// A sample's frames after its head, chunk by chunk, then the closing marker.
bool WriteRest(FILE* out, const Sound::Sample& s, std::vector<uint8_t>& buffer) {
  const uint64_t rest = RestBytes(s);
  bool ok = true;
  for (uint64_t at = 0; at < rest && ok; at += element_file::kChunkBytes) {
    uint32_t bytes = static_cast<uint32_t>(std::min<uint64_t>(rest - at, element_file::kChunkBytes));
    ok = element_file::WriteBlock(out, Pcm(s) + 4ull * kHeadFrames + at, bytes, buffer);
  }
  return ok && element_file::WriteU32(out, element_file::kStored) &&
         element_file::WriteU32(out, element_file::kStored);
}

// 6. The chunk area, while what came before is written (ok); every sample is freed either way.
bool WriteChunksAndFree(Sound& sound, FILE* out, SampleSets& sets, bool ok, std::vector<uint8_t>& buffer,
                        void (*progress)(int)) {
  const uint32_t set_count = static_cast<uint32_t>(sets.size());
  for (uint32_t i = 0; i < set_count; ++i) {
    for (Sound::Sample& s : sets[i]) {
      if (ok && s.sound.Frames() > kHeadFrames) ok = WriteRest(out, s, buffer);
      sound.audio.FreeSound(s.sound);
    }
    Report(progress, 80 + static_cast<int>(i * 20 / set_count));
  }
  return ok;
}

}  // namespace

bool Sound::ConvertElement(const char* out_path, const std::string& folder, ElementType type,
                           ElementCategory category, void (*progress)(int)) {
  PendingFile out;
  if (!out.Open(out_path)) return false;
  Report(progress, 0);
  SampleSets sets = LoadSampleSets(*this, folder, category, progress);
  Report(progress, 20);
  // A folder without one usable sample would make a silent element.
  if (CountSamples(sets) == 0) {
    printf("Error: no usable WAV sample in \"%s\"\n", folder.c_str());
    return out.Finish(false);
  }
  SortByLevel(sets);
  Report(progress, 30);
  std::vector<uint8_t> buffer(element_file::CompressBound(element_file::kChunkBytes));
  Report(progress, 40);
  const uint64_t chunk_area = ChunkAreaOffset(sets, buffer, progress);
  bool ok = WriteElementHeader(out.file, type, category, static_cast<uint32_t>(sets.size())) &&
            WriteSampleHeaders(out.file, sets, chunk_area, buffer, progress);
  ok = WriteChunksAndFree(*this, out.file, sets, ok, buffer, progress);
  Report(progress, 100);
  return out.Finish(ok);
}

bool Sound::ConvertElement(const char* out_path, ElementType type, ElementCategory category) {
  PendingFile out;
  if (!out.Open(out_path)) {
    printf("Error: %s\n", strerror(errno));
    return false;
  }
  if (!out.Finish(WriteElementHeader(out.file, type, category, 0))) {
    printf("Error: %s\n", strerror(errno ? errno : EIO));
    return false;
  }
  return true;
}

namespace {

// Skips one sample header whose level has been read.
bool SkipSampleHeader(std::istream& in) {
  uint32_t frames, stored, raw;
  if (!element_file::ReadU32(in, frames) || !element_file::ReadU32(in, stored) ||
      !element_file::ReadU32(in, raw))
    return false;
  uint32_t bytes = raw < element_file::kMinCompressBytes ? raw : stored;
  if (raw >= element_file::kMinCompressBytes && bytes > element_file::CompressBound(raw))
    return false;
  in.seekg(static_cast<std::streamoff>(bytes) + 4, std::ios::cur);
  return static_cast<bool>(in);
}

// Skips count samples: each level and header.
bool SkipSamples(std::istream& in, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    float level;
    if (!element_file::ReadF32(in, level) || !SkipSampleHeader(in)) return false;
  }
  return true;
}

// Opens and checks the file's header: the magic, then type, category and set count.
bool ReadElementHeader(std::istream& in, uint32_t& category, uint32_t& set_count) {
  char magic[4];
  uint32_t type;
  return in && in.read(magic, 4) && memcmp(magic, element_file::kMagic, 4) == 0 &&
         element_file::ReadU32(in, type) && element_file::ReadU32(in, category) &&
         element_file::ReadU32(in, set_count) && set_count >= 1 && set_count <= element_file::kMaxSets;
}

// The frames after the head, chunk by chunk from rest_offset, never more than the frames the
// header announced; loaded counts the frames read.
bool ReadRest(std::istream& in, uint32_t rest_offset, uint8_t* bytes, uint32_t frames, uint32_t& loaded,
              std::vector<uint8_t>& scratch) {
  in.seekg(rest_offset);
  for (;;) {
    uint32_t room = std::min<uint32_t>(4 * (frames - loaded), element_file::kChunkBytes);
    uint32_t raw;
    if (!element_file::ReadBlock(in, bytes + 4ull * loaded, room, raw, scratch)) return false;
    if (raw == 0) return true;
    loaded += raw / 4;
  }
}

// Reads one sample (level, frames, head, the rest) into target as a whole sound.
bool ReadWholeSample(std::istream& in, Audio::Sound& target) {
  float level;
  uint32_t frames;
  // A preview with no frames has nothing to play.
  if (!element_file::ReadF32(in, level) || !element_file::ReadU32(in, frames) || frames == 0 ||
      frames > element_file::kMaxFrames)
    return false;
  std::unique_ptr<int16_t[]> data(new int16_t[2 * static_cast<size_t>(frames)]);
  uint8_t* bytes = reinterpret_cast<uint8_t*>(data.get());
  std::vector<uint8_t> scratch;
  uint32_t head_raw;
  uint32_t head_expected = 4 * std::min(frames, kHeadFrames);
  if (!element_file::ReadBlock(in, bytes, head_expected, head_raw, scratch) || head_raw != head_expected)
    return false;
  uint32_t loaded = head_raw / 4;
  uint32_t rest_offset;
  if (!element_file::ReadU32(in, rest_offset)) return false;
  if (loaded < frames && !ReadRest(in, rest_offset, bytes, frames, loaded, scratch)) return false;
  if (loaded != frames) return false;
  target.capacity = frames;
  target.data.store(data.release(), std::memory_order_release);
  target.frames.store(frames, std::memory_order_release);
  target.loaded.store(1, std::memory_order_release);
  return true;
}

}  // namespace

// The preview is the middle layer of the first hand set (a hand-and-foot element's first hand set
// follows its pedal's pair), or of its right set when the left one is empty.
bool Sound::LoadRepresentativeSoundFromElement(Audio::Sound& target, const char* path) {
  if (target.Data()) audio.SafeFreeSound(target);
  target.max_voices = 8;
  target.state = Audio::kSoundWhole;
  std::ifstream in(path ? path : "", std::ios::binary);
  uint32_t category, set_count;
  if (!ReadElementHeader(in, category, set_count)) return false;
  uint32_t target_set = category == CATEGORY_HAND_AND_FOOT ? 2 : 0;
  for (uint32_t s = 0; s < set_count; ++s) {
    uint32_t count;
    if (!element_file::ReadU32(in, count) || count > element_file::kMaxSamplesPerSet) return false;
    if (s != target_set) {
      if (!SkipSamples(in, count)) return false;
      continue;
    }
    if (count == 0) {
      if (s % 2 == 1) return false;
      ++target_set;
      continue;
    }
    return SkipSamples(in, count / 2) && ReadWholeSample(in, target);
  }
  return false;
}
