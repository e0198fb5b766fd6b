#include "sound/element_file.h"

#include <fastlz.h>

#include <cstring>

namespace element_file {

uint32_t CompressBound(uint32_t bytes) {
  // Sizes read from a damaged file can be near 2^32: the bound saturates instead of overflowing.
  const double scaled = 1.05 * bytes;
  if (scaled >= 4294967294.0) return 0xFFFFFFFFu;
  uint32_t bound = static_cast<uint32_t>(scaled) + 1;
  return bound < 66 ? 66 : bound;
}

bool ReadU32(std::istream& in, uint32_t& value) {
  unsigned char b[4];
  if (!in.read(reinterpret_cast<char*>(b), 4)) return false;
  value = GetU32(b);
  return true;
}

bool ReadF32(std::istream& in, float& value) {
  uint32_t bits;
  if (!ReadU32(in, bits)) return false;
  memcpy(&value, &bits, 4);
  return true;
}

bool WriteU32(FILE* out, uint32_t value) {
  unsigned char b[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                        static_cast<unsigned char>(value >> 16),
                        static_cast<unsigned char>(value >> 24)};
  return fwrite(b, 1, 4, out) == 4;
}

bool WriteF32(FILE* out, float value) {
  uint32_t bits;
  memcpy(&bits, &value, 4);
  return WriteU32(out, bits);
}

namespace {

int Compress(const uint8_t* raw, uint32_t bytes, std::vector<uint8_t>& buffer) {
  if (buffer.size() < CompressBound(bytes)) buffer.resize(CompressBound(bytes));
  return fastlz_compress(raw, static_cast<int>(bytes), buffer.data());
}

}  // namespace

uint32_t StoredSize(const uint8_t* raw, uint32_t bytes, std::vector<uint8_t>& buffer) {
  if (bytes < kMinCompressBytes) return bytes;
  return static_cast<uint32_t>(Compress(raw, bytes, buffer));
}

bool WriteBlock(FILE* out, const uint8_t* raw, uint32_t bytes, std::vector<uint8_t>& buffer) {
  if (bytes < kMinCompressBytes)
    return WriteU32(out, kStored) && WriteU32(out, bytes) &&
           (bytes == 0 || fwrite(raw, 1, bytes, out) == bytes);
  uint32_t size = static_cast<uint32_t>(Compress(raw, bytes, buffer));
  return WriteU32(out, size) && WriteU32(out, bytes) &&
         fwrite(buffer.data(), 1, size, out) == size;
}

bool ReadBlock(std::istream& in, uint8_t* out, uint32_t max_raw, uint32_t& raw_size,
               std::vector<uint8_t>& scratch) {
  uint32_t stored;
  if (!ReadU32(in, stored) || !ReadU32(in, raw_size)) return false;
  if (static_cast<int32_t>(raw_size) < 1) {  // the terminator (two 0xFFFFFFFF) or empty
    raw_size = 0;
    return true;
  }
  if (raw_size > max_raw || raw_size % 4 != 0) return false;
  if (raw_size < kMinCompressBytes) {
    // Kept uncompressed: the stored size is not needed.
    return static_cast<bool>(in.read(reinterpret_cast<char*>(out), raw_size));
  }
  if (stored == 0 || stored > CompressBound(raw_size)) return false;
  if (scratch.size() < stored + kInputSlack) scratch.resize(stored + kInputSlack);
  memset(scratch.data() + stored, 0, kInputSlack);
  if (!in.read(reinterpret_cast<char*>(scratch.data()), stored)) return false;
  int got = fastlz_decompress(scratch.data(), static_cast<int>(stored), out,
                              static_cast<int>(raw_size));
  return got == static_cast<int>(raw_size);
}

}  // namespace element_file
