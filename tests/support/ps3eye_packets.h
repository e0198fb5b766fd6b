// Turns camera frames into the PS3 Eye's bulk stream: packets of at most 2048 bytes with a
// 12-byte header (length 12, flags: frame id, end of frame, time stamp present), packed into
// bulk transfers of 16384 bytes, a short packet ending a transfer. Faults can be injected.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace skyt_test {

struct PacketFaults {
  int drop = -1;        // index of a packet left out
  int duplicate = -1;   // index of a packet sent twice
  int cut = -1;         // index of a packet cut short by cut_bytes
  int cut_bytes = 100;
  int bad_header = -1;  // index of a packet whose header length byte is wrong
  int error_flag = -1;  // index of a packet with the error flag set
  bool no_end = false;  // the last packet lacks the end-of-frame flag
};

class Ps3EyePacketiser {
 public:
  static constexpr int kPayloadPerPacket = 2048 - 12;

  // Bulk transfer payloads carrying one frame.
  std::vector<std::vector<uint8_t>> Frame(const uint8_t* data, size_t size,
                                          const PacketFaults& faults = {});
  std::vector<std::vector<uint8_t>> Frame(const std::vector<uint8_t>& data,
                                          const PacketFaults& faults = {}) {
    return Frame(data.data(), data.size(), faults);
  }
  static int PacketCount(size_t frame_bytes) {
    return int((frame_bytes + kPayloadPerPacket - 1) / kPayloadPerPacket);
  }

 private:
  uint32_t pts_ = 0x1000;
  uint8_t fid_ = 0;
};

// A YUYV frame whose every byte derives from the seed (for byte-exact checks).
std::vector<uint8_t> PatternFrame(int width, int height, uint32_t seed);

}  // namespace skyt_test
