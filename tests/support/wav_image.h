// WAV files made byte by byte, for the readers' tests and the fuzz targets' seeds.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace skyt_test {

inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Sample values as a PCM file stores them: bits / 8 little-endian bytes each.
template <typename Values>
std::vector<uint8_t> PcmBytes(const Values& values, int bits) {
  std::vector<uint8_t> out;
  for (int v : values)
    for (int b = 0; b < bits / 8; ++b) out.push_back(static_cast<uint8_t>(v >> (8 * b)));
  return out;
}

// A PCM WAV image: the RIFF header, then `before_fmt`, the 16-byte "fmt " chunk, `before_data`
// and `data` (the samples as stored) as the "data" chunk. The extra bytes are whole chunks.
inline std::vector<uint8_t> WavImage(int channels, uint32_t rate, int bits, const std::vector<uint8_t>& data,
                                     const std::vector<uint8_t>& before_fmt = {},
                                     const std::vector<uint8_t>& before_data = {}) {
  std::vector<uint8_t> w = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  w.insert(w.end(), before_fmt.begin(), before_fmt.end());
  for (char c : std::string("fmt ")) w.push_back(static_cast<uint8_t>(c));
  PutU32(w, 16);
  const int block = channels * bits / 8;
  w.insert(w.end(), {1, 0, static_cast<uint8_t>(channels), 0});
  PutU32(w, rate);
  PutU32(w, rate * static_cast<uint32_t>(block));
  w.insert(w.end(), {static_cast<uint8_t>(block), 0, static_cast<uint8_t>(bits), 0});
  w.insert(w.end(), before_data.begin(), before_data.end());
  for (char c : std::string("data")) w.push_back(static_cast<uint8_t>(c));
  PutU32(w, static_cast<uint32_t>(data.size()));
  w.insert(w.end(), data.begin(), data.end());
  const uint32_t riff = static_cast<uint32_t>(w.size() - 8);
  for (int i = 0; i < 4; ++i) w[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
  return w;
}

}  // namespace skyt_test
