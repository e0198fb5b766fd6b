// The element file format ("ELE0"), little-endian, no padding:
//   "ELE0", u32 type, u32 category, u32 set count,
//   per set: u32 sample count, then per sample: f32 level, u32 frames, head block, u32 rest
//   offset; then the chunk area: per sample longer than kHeadFrames, its chunks and an
//   8-byte terminator (raw size below 1).
// A block is u32 stored size (kStored when kept uncompressed), u32 raw size, then the bytes:
// FastLZ-compressed when the raw size is 16 or more, else raw.
#pragma once
#include <cstdint>
#include <cstdio>
#include <istream>
#include <vector>

namespace element_file {

constexpr char kMagic[4] = {'E', 'L', 'E', '0'};
constexpr uint32_t kHeadFrames = 6144;
constexpr uint32_t kChunkBytes = 32768;
constexpr uint32_t kMaxCompressedChunk = 34407;  // CompressBound(kChunkBytes)
constexpr uint32_t kStored = 0xFFFFFFFFu;
constexpr uint32_t kMinCompressBytes = 16;

// Limits beyond which a file is taken as damaged rather than read.
constexpr uint32_t kMaxSets = 2 + 2 * 26;          // pedal pair and 26 openness steps
constexpr uint32_t kMaxSamplesPerSet = 1024;
constexpr uint32_t kMaxFrames = 1u << 26;          // about 25 minutes at 44100 Hz
constexpr uint32_t kMinSampleHeader = 20;          // level, frames, two sizes, rest offset
constexpr uint32_t kMaxEmbeddedBytes = 16u << 20;  // a built-in sound
// A layer's level is relative to the loudest of its set (1.0); real layers lie within about
// 30 dB of it. A level far below would boost its samples far beyond full scale.
constexpr float kMinLevel = 1e-4f;  // -80 dB
constexpr float kMaxLevel = 1.0f;

// FastLZ's decompressor may read a few bytes past a damaged input; readers keep this many
// zero bytes after every compressed block.
constexpr uint32_t kInputSlack = 16;

// The buffer FastLZ needs to compress `bytes` bytes: int(1.05 * bytes) + 1, at least 66.
uint32_t CompressBound(uint32_t bytes);

inline uint32_t GetU32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
bool ReadU32(std::istream& in, uint32_t& value);
bool ReadF32(std::istream& in, float& value);

// Writing (checked: false as soon as a write fails).
bool WriteU32(FILE* out, uint32_t value);
bool WriteF32(FILE* out, float value);
// Bytes the block takes in the file after its two sizes.
uint32_t StoredSize(const uint8_t* raw, uint32_t bytes, std::vector<uint8_t>& buffer);
bool WriteBlock(FILE* out, const uint8_t* raw, uint32_t bytes, std::vector<uint8_t>& buffer);

// Reads one block's two sizes and data into `out` (room for max_raw bytes). Returns the raw
// size in `raw_size`; false for a damaged block (sizes out of bounds, short read, data that
// does not decompress to exactly the raw size). A raw size below 1 (read as signed, as in the
// chunk terminator) gives raw_size 0 without reading data.
bool ReadBlock(std::istream& in, uint8_t* out, uint32_t max_raw, uint32_t& raw_size,
               std::vector<uint8_t>& scratch);

}  // namespace element_file
