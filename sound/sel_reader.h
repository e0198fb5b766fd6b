// Reading performance recordings (.sel files) with every length and count checked against the
// file, so that a damaged file is refused instead of misread.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sound/sound.h"

// A whole file in memory with a bounded read position.
class SelReader {
 public:
  bool Open(const char* path);
  bool U32(uint32_t& v);
  bool I32(int32_t& v);
  bool F32(float& v);
  // A counted string: u32 length, then the bytes. Keeps at most `keep` bytes but always moves
  // past all of them; fails when the length runs past the end of the file or above `limit`.
  bool String(std::string& s, size_t keep, uint32_t limit);
  bool Seek(size_t pos);
  size_t Remaining() const { return bytes_.size() - pos_; }

 private:
  std::vector<unsigned char> bytes_;
  size_t pos_ = 0;
};

namespace sel {

constexpr uint32_t kNoSong = 0xFFFFFFFFu;
constexpr uint32_t kMaxPath = 4096;     // longer paths are taken for damage
constexpr size_t kMaxTextKept = 255;    // date and description are kept to 255 bytes

struct Header {
  int version = 1;
  uint32_t event_count = 0;
  float duration = 0.0f;
  uint32_t first_song_offset = kNoSong;
  std::string date;
  std::string description;
  float tempo = 0.0f;
};

struct ElementRecord {
  int32_t slot = 0;
  std::string path;
  int32_t hand_curve = 0;
  int32_t hand_volume = 0;
  int32_t foot_curve = 0;
  int32_t foot_volume = 0;
  float pan = 0.0f;
};

// A whole recording: header, elements and events. Events keep their recorded slots (mapped at
// load time) and index the song path list for song starts.
struct Performance {
  Header header;
  std::vector<ElementRecord> elements;
  std::vector<Sound::Event> events;
  std::vector<std::string> song_paths;
};

// Magic, counts, duration, first song offset, date and description. False (with a reason) when
// the file is not a recording or the header is damaged.
bool ReadHeader(SelReader& in, Header& header, std::string& error);
// The whole file. Event values are made safe to play (times not NaN and not negative, velocity
// and openness in 0..1, limbs 0..2, volumes 0..100); reading stops at an unknown event type or
// at the end of the file. An event time far beyond the stated duration (without one, far after
// the events before it), far after the events that follow it, or beyond a day, is refused as
// damage.
bool ReadPerformance(const char* path, Performance& out, std::string& error);

}  // namespace sel
