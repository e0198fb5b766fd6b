#include "airmenu/viewer_protocol.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "frame/paths.h"
#include "frame/utf8.h"

namespace {

// Payload sizes of codes 0-31.
constexpr unsigned char kSizes[32] = {8,  24, 0, 16, 12, 12, 44, 64, 64, 4, 4, 0,  28, 0,  0,  0,
                                      0,  0,  0, 4,  0,  0,  0,  2,  0,  0, 0, 16, 12, 0,  4,  4};

constexpr int kNameUnits = 32;

}  // namespace

int GetMessageSize(unsigned char code) { return code < 32 ? kSizes[code] : 0; }

void PutU32(unsigned char* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(v >> (8 * i));
}

void PutF32(unsigned char* out, float v) {
  uint32_t bits;
  memcpy(&bits, &v, 4);
  PutU32(out, bits);
}

uint32_t GetU32(const unsigned char* in) {
  return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

float GetF32(const unsigned char* in) {
  const uint32_t bits = GetU32(in);
  float v;
  memcpy(&v, &bits, 4);
  return v;
}

bool ReadHeadPose(const unsigned char* data, long length, uint32_t& last, OculusPacket& packet) {
  if (length != long(sizeof(OculusPacket)) || memcmp(data, "SKY2", 4) != 0) return false;
  const uint32_t counter = GetU32(data + 4);
  const float p8 = GetF32(data + 8), p12 = GetF32(data + 12);
  if (counter <= last || !std::isfinite(p8) || !std::isfinite(p12)) return false;
  memcpy(packet.tag, "SKY", 3);
  packet.kind = '2';
  packet.counter = counter;
  packet.p8 = p8;
  packet.p12 = p12;
  last = counter;
  return true;
}

void EncodeHitPacket(unsigned char out[kHitPacketSize], uint32_t counter, int drum, float value, unsigned char limb) {
  memset(out, 0, kHitPacketSize);
  memcpy(out, "SKY", 3);
  out[3] = 0;
  PutU32(out + 4, counter);
  PutU32(out + 8, static_cast<uint32_t>(drum));
  PutF32(out + 12, value);
  out[16] = limb;
}

void EncodeMarkersPacket(unsigned char out[kMarkersPacketSize], uint32_t counter, const float values[kMarkerValues]) {
  memcpy(out, "SKY", 3);
  out[3] = 1;
  PutU32(out + 4, counter);
  for (int i = 0; i < kMarkerValues; ++i) PutF32(out + 8 + 4 * i, values[i]);
}

void EncodeName(unsigned char out[kNameFieldSize], const char* name) {
  // 32 units of three-byte characters need 96 bytes: shorten first, then cut whole characters.
  char shortened[4 * kNameUnits + 1];
  PathCompactPathEx(shortened, name, kNameUnits, 0, sizeof shortened);
  const char* end = shortened + strlen(shortened);
  int kept = 0;
  for (const char* p = shortened; p < end;) {
    unsigned int c;
    const int n = CharFromUtf8(&c, p, end);
    if (n == 0 || kept + n > kNameFieldSize - 1) break;
    kept += n;
    p += n;
  }
  memset(out, 0, kNameFieldSize);
  memcpy(out, shortened, kept);
}

void MessageParser::Feed(const unsigned char* data, size_t length, Handler handle) {
  for (size_t i = 0; i < length;) {
    if (!need_type_) {
      type_ = data[i++];
      msg_len_ = GetMessageSize(type_);
      have_ = 0;
      if (msg_len_ == 0)
        handle(MessageType(type_), nullptr);
      else
        need_type_ = true;
      continue;
    }
    const size_t take = std::min(length - i, size_t(msg_len_ - have_));
    memcpy(msg_ + have_, data + i, take);
    have_ += int(take);
    i += take;
    if (have_ == msg_len_) {
      need_type_ = false;
      handle(MessageType(type_), msg_);
    }
  }
}
