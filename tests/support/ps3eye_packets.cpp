#include "tests/support/ps3eye_packets.h"

#include <algorithm>

namespace skyt_test {

std::vector<std::vector<uint8_t>> Ps3EyePacketiser::Frame(const uint8_t* data, size_t size,
                                                          const PacketFaults& f) {
  // Packets first.
  std::vector<std::vector<uint8_t>> packets;
  const int count = PacketCount(size);
  for (int i = 0; i < count; ++i) {
    const size_t off = size_t(i) * kPayloadPerPacket;
    const size_t n = std::min<size_t>(kPayloadPerPacket, size - off);
    std::vector<uint8_t> p(12 + n, 0);
    uint8_t flags = 0x04 | fid_;  // time stamp present
    if (i == count - 1 && !f.no_end) flags |= 0x02;
    if (i == f.error_flag) flags |= 0x40;
    p[0] = i == f.bad_header ? 11 : 12;
    p[1] = flags;
    p[2] = uint8_t(pts_);
    p[3] = uint8_t(pts_ >> 8);
    p[4] = uint8_t(pts_ >> 16);
    p[5] = uint8_t(pts_ >> 24);
    std::copy(data + off, data + off + n, p.begin() + 12);
    if (i == f.cut) p.resize(p.size() > size_t(f.cut_bytes) + 12 ? p.size() - f.cut_bytes : 12);
    if (i == f.drop) continue;
    packets.push_back(p);
    if (i == f.duplicate) packets.push_back(p);
  }
  pts_ += 0x1f40;
  fid_ ^= 1;

  // Then bulk transfers: full packets fill a transfer; a short one ends it.
  std::vector<std::vector<uint8_t>> transfers;
  std::vector<uint8_t> cur;
  for (const auto& p : packets) {
    cur.insert(cur.end(), p.begin(), p.end());
    if (p.size() < 2048 || cur.size() >= 16384) {
      transfers.push_back(std::move(cur));
      cur.clear();
    }
  }
  if (!cur.empty()) transfers.push_back(std::move(cur));
  return transfers;
}

std::vector<uint8_t> PatternFrame(int width, int height, uint32_t seed) {
  std::vector<uint8_t> f(size_t(width) * height * 2);
  uint32_t x = seed * 2654435761u + 12345u;
  for (auto& b : f) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = uint8_t(x >> 3);
  }
  return f;
}

}  // namespace skyt_test
