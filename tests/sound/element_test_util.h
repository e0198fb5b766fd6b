// Helpers of the element tests: writing WAV files and reading element files back field by
// field, independently of the program's reader.
#pragma once
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/wav_image.h"

namespace element_test {

// Stereo 16-bit 44100 Hz PCM, interleaved.
using Pcm = std::vector<int16_t>;

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

using skyt_test::PutU32;
inline void PutF32(std::vector<uint8_t>& out, float f) {
  uint32_t v;
  memcpy(&v, &f, 4);
  PutU32(out, v);
}
inline uint32_t GetU32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b.at(at)) | static_cast<uint32_t>(b.at(at + 1)) << 8 |
         static_cast<uint32_t>(b.at(at + 2)) << 16 | static_cast<uint32_t>(b.at(at + 3)) << 24;
}
inline float GetF32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = GetU32(b, at);
  float f;
  memcpy(&f, &v, 4);
  return f;
}

// A canonical stereo 16-bit 44100 Hz WAV file.
inline void WriteWav(const std::string& path, const Pcm& pcm) {
  WriteBytes(path, skyt_test::WavImage(2, 44100, 16, skyt_test::PcmBytes(pcm, 16)));
}

// `frames` frames of a square wave of the given peak (so its measured level is peak / 32768),
// with a little deterministic noise that keeps it from compressing to nothing.
inline Pcm Tone(uint32_t frames, int peak, uint32_t seed = 1) {
  Pcm pcm(2 * static_cast<size_t>(frames));
  uint32_t state = seed;
  for (size_t i = 0; i < pcm.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    int noise = static_cast<int>(state >> 28) - 8;  // -8..7
    int v = ((i / 2) / 50) % 2 ? peak : -peak;
    if (v > 0) v -= 8;
    else v += 8;
    pcm[i] = static_cast<int16_t>(v + noise);
  }
  return pcm;
}

struct SampleInfo {
  float level;
  uint32_t frames;
  uint32_t head_stored;  // the stored-size field as written
  uint32_t head_raw;
  uint32_t rest_offset;
  std::vector<uint32_t> chunk_raw;     // raw sizes of the chunks
  std::vector<uint32_t> chunk_stored;  // stored-size fields of the chunks
};

struct Parsed {
  bool ok = false;
  std::string error;
  uint32_t type = 0, category = 0;
  std::vector<std::vector<SampleInfo>> sets;
  size_t chunk_area = 0;
  size_t end = 0;  // where the walk ended
};

// Walks the whole file as the format describes, checking every offset.
inline Parsed Parse(const std::vector<uint8_t>& b) {
  Parsed p;
  try {
    if (b.size() < 16 || memcmp(b.data(), "ELE0", 4) != 0) throw std::runtime_error("magic");
    p.type = GetU32(b, 4);
    p.category = GetU32(b, 8);
    uint32_t set_count = GetU32(b, 12);
    size_t at = 16;
    for (uint32_t s = 0; s < set_count; ++s) {
      uint32_t count = GetU32(b, at);
      at += 4;
      p.sets.emplace_back();
      for (uint32_t i = 0; i < count; ++i) {
        SampleInfo info{};
        info.level = GetF32(b, at);
        info.frames = GetU32(b, at + 4);
        info.head_stored = GetU32(b, at + 8);
        info.head_raw = GetU32(b, at + 12);
        at += 16 + (info.head_raw < 16 ? info.head_raw : info.head_stored);
        info.rest_offset = GetU32(b, at);
        at += 4;
        p.sets.back().push_back(info);
      }
    }
    p.chunk_area = at;
    for (auto& set : p.sets)
      for (SampleInfo& info : set) {
        if (info.frames <= 6144) continue;
        if (info.rest_offset != at) throw std::runtime_error("rest offset");
        for (;;) {
          uint32_t stored = GetU32(b, at), raw = GetU32(b, at + 4);
          at += 8;
          if (static_cast<int32_t>(raw) < 1) break;
          info.chunk_stored.push_back(stored);
          info.chunk_raw.push_back(raw);
          at += raw < 16 ? raw : stored;
        }
      }
    p.end = at;
    p.ok = true;
  } catch (const std::exception& e) {
    p.error = e.what();
  }
  return p;
}

}  // namespace element_test
