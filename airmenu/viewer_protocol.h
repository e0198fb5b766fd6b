// What passes on the viewer link, without sockets: message codes and sizes, the framing of the
// TCP stream, the UDP packets and the text fields. Everything is packed and little-endian,
// coded byte by byte so the host's order and alignment never matter. Pure functions and one
// small parser object; the fuzz target and the tests drive them directly.
#pragma once
#include <cstddef>
#include <cstdint>

// One byte on the wire. 0-13 go to the viewer, 14-31 come from it.
enum MessageType : uint8_t {
  kMsgBeginDrumkit = 0,
  kMsgAddDrum = 1,
  kMsgEndDrumkit = 2,
  kMsgMoveDrum = 3,
  kMsgMovePedal = 4,
  kMsgHitDrum = 5,  // travels as the UDP hit packet
  kMsgMarkers = 6,  // travels as the UDP markers packet
  kMsgSongName = 7,
  kMsgDrumkitName = 8,
  kMsgStickOffset = 9,
  kMsgUserHeight = 10,
  kMsgRecordingReplay = 11,
  kMsgHeadPose = 12,  // travels as the UDP head-pose packet
  kMsgQuitClient = 13,
  kMsgMenuClick = 14,
  kMsgPlaySong = 15,
  kMsgStopSong = 16,
  kMsgPreviousSong = 17,
  kMsgNextSong = 18,
  kMsgMetronomeOn = 19,
  kMsgMetronomeOff = 20,
  kMsgStartRecording = 21,
  kMsgStopRecording = 22,
  kMsgSetVolume = 23,
  kMsgUseBrowsedKit = 24,
  kMsgBrowsePreviousKit = 25,
  kMsgBrowseNextKit = 26,
  kMsgViewerMovesDrum = 27,
  kMsgViewerMovesPedal = 28,
  kMsgSaveCalibration = 29,
  kMsgSetStickOffset = 30,
  kMsgSetUserHeight = 31,
};

// The payload size of a code; 0 for any code above 31 (the byte is read unsigned).
int GetMessageSize(unsigned char code);
constexpr int kMaxMessageSize = 64;
constexpr int kNameFieldSize = 64;  // codes 7 and 8

// The viewer's head pose, as it arrives on the UDP socket.
struct __attribute__((packed)) OculusPacket {
  char tag[3];  // "SKY"
  char kind;    // '2'
  uint32_t counter;
  float p8;
  float p12;
};
static_assert(sizeof(OculusPacket) == 16, "the head-pose packet is 16 bytes on the wire");

constexpr int kHitPacketSize = 20;
constexpr int kMarkersPacketSize = 52;
constexpr int kMarkerValues = 11;

// Little-endian fields.
void PutU32(unsigned char* out, uint32_t v);
void PutF32(unsigned char* out, float v);
uint32_t GetU32(const unsigned char* in);
float GetF32(const unsigned char* in);

// A head-pose datagram taken when it is exactly 16 bytes of "SKY2", its counter is newer than
// `last` (unsigned) and both floats are finite; false leaves packet and last alone.
bool ReadHeadPose(const unsigned char* data, long length, uint32_t& last, OculusPacket& packet);

// The UDP packets the viewer receives (padding zero).
void EncodeHitPacket(unsigned char out[kHitPacketSize], uint32_t counter, int drum, float value, unsigned char limb);
void EncodeMarkersPacket(unsigned char out[kMarkersPacketSize], uint32_t counter, const float values[kMarkerValues]);

// A name for codes 7 and 8: shortened to 32 units around "...", then cut at a character
// boundary to at most 63 bytes; a NUL and zeros fill the rest of the field.
void EncodeName(unsigned char out[kNameFieldSize], const char* name);

// Assembles messages from the viewer's TCP stream, chunk by chunk: a code byte, then exactly
// its size in payload bytes. A message may span any number of chunks; a chunk may hold many.
class MessageParser {
 public:
  typedef void (*Handler)(MessageType code, const unsigned char* payload);
  // Calls handle for every message completed by these bytes, in order (payload null for a
  // code of size 0).
  void Feed(const unsigned char* data, size_t length, Handler handle);
  // Forgets a message in progress (a new viewer starts clean).
  void Reset() { need_type_ = false; }

 private:
  bool need_type_ = false;  // true while a payload is being collected
  unsigned char type_ = 0;
  int msg_len_ = 0;
  int have_ = 0;
  unsigned char msg_[kMaxMessageSize] = {};
};
