#include "sound/sel_reader.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
constexpr long kMaxFileBytes = 512l * 1024 * 1024;

float Clamp(float v, float lo, float hi) {
  if (!(v >= lo)) return lo;  // NaN too
  return v > hi ? hi : v;
}

// Events are written in time order, all before the recording's end; those the audio thread
// queued reach the file a little late, so small steps back are normal. An event's time must be
// justified: by the stated length when there is one, else (a length of 0, NaN or below 0 is
// none: a stopped recording always has one) by the events before it, each at most the slack
// after the latest so far. An event beyond that, or far after the events that follow it, or
// beyond a day, is damage: playback would run, and an export write, for as long.
constexpr float kEventTimeSlack = 5.0f;       // seconds
constexpr float kLongestRecording = 86400.0f;  // seconds

bool EventTimesFit(const std::vector<Sound::Event>& events, float duration) {
  float latest = 0.0f;
  for (const Sound::Event& ev : events) {
    const float justified = duration > 0.0f ? duration : latest;
    if (ev.time > justified + kEventTimeSlack || ev.time > kLongestRecording) return false;
    if (latest - ev.time > kEventTimeSlack) return false;
    if (ev.time > latest) latest = ev.time;
  }
  return true;
}
}  // namespace

bool SelReader::Open(const char* path) {
  bytes_.clear();
  pos_ = 0;
  if (!path) return false;
  FILE* f = fopen(path, "rbe");
  if (!f) return false;
  bool ok = fseek(f, 0, SEEK_END) == 0;
  const long size = ok ? ftell(f) : -1;
  ok = ok && size >= 0 && size <= kMaxFileBytes && fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    bytes_.resize(static_cast<size_t>(size));
    ok = size == 0 || fread(bytes_.data(), 1, bytes_.size(), f) == bytes_.size();
  }
  fclose(f);
  if (!ok) bytes_.clear();
  return ok;
}

bool SelReader::U32(uint32_t& v) {
  if (Remaining() < 4) return false;
  const unsigned char* p = bytes_.data() + pos_;
  v = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
  pos_ += 4;
  return true;
}

bool SelReader::I32(int32_t& v) {
  uint32_t u;
  if (!U32(u)) return false;
  std::memcpy(&v, &u, 4);
  return true;
}

bool SelReader::F32(float& v) {
  uint32_t u;
  if (!U32(u)) return false;
  std::memcpy(&v, &u, 4);
  return true;
}

bool SelReader::String(std::string& s, size_t keep, uint32_t limit) {
  uint32_t n;
  if (!U32(n)) return false;
  if (n > limit || n > Remaining()) return false;
  s.assign(reinterpret_cast<const char*>(bytes_.data() + pos_), n < keep ? n : keep);
  pos_ += n;
  return true;
}

bool SelReader::Seek(size_t pos) {
  if (pos > bytes_.size()) return false;
  pos_ = pos;
  return true;
}

namespace sel {

bool ReadHeader(SelReader& in, Header& h, std::string& error) {
  unsigned char magic[4];
  uint32_t m;
  if (!in.U32(m)) {
    error = "not a recording";
    return false;
  }
  std::memcpy(magic, &m, 4);
  if (std::memcmp(magic, "SEL", 3) != 0 || (magic[3] != '0' && magic[3] != '1')) {
    error = "not a recording";
    return false;
  }
  h.version = magic[3] - '0';
  if (!in.U32(h.event_count) || !in.F32(h.duration) || !in.U32(h.first_song_offset) ||
      !in.String(h.date, kMaxTextKept, 0x7FFFFFFF) ||
      !in.String(h.description, kMaxTextKept, 0x7FFFFFFF)) {
    error = "damaged header";
    return false;
  }
  if (!std::isfinite(h.duration) || h.duration < 0.0f) h.duration = 0.0f;
  return true;
}

namespace {

bool ReadTempoAndElementCount(SelReader& in, Header& h, uint32_t& element_count, std::string& error) {
  if (!in.F32(h.tempo) || !in.U32(element_count)) {
    error = "damaged header";
    return false;
  }
  return true;
}

// An unknown curve is the first one; volumes are kept to 0..100 and the pan to -1..1.
void MakeElementSafe(ElementRecord& e, uint32_t hand_curve, uint32_t foot_curve) {
  e.hand_curve = hand_curve < Sound::NUM_CURVES ? static_cast<int32_t>(hand_curve) : 0;
  e.foot_curve = foot_curve < Sound::NUM_CURVES ? static_cast<int32_t>(foot_curve) : 0;
  e.hand_volume = e.hand_volume < 0 ? 0 : (e.hand_volume > 100 ? 100 : e.hand_volume);
  e.foot_volume = e.foot_volume < 0 ? 0 : (e.foot_volume > 100 ? 100 : e.foot_volume);
  e.pan = Clamp(e.pan, -1.0f, 1.0f);
}

// Version 0 has no foot curve and volume: the foot plays with the first curve at the hand's volume.
bool ReadElement(SelReader& in, int version, ElementRecord& e) {
  uint32_t hand_curve = 0, foot_curve = 0;
  if (!in.I32(e.slot) || !in.String(e.path, kMaxPath, kMaxPath) || !in.U32(hand_curve) ||
      !in.I32(e.hand_volume))
    return false;
  if (version == 0)
    e.foot_volume = e.hand_volume;
  else if (!in.U32(foot_curve) || !in.I32(e.foot_volume))
    return false;
  if (!in.F32(e.pan)) return false;
  MakeElementSafe(e, hand_curve, foot_curve);
  return true;
}

// A count more than the rest of the file can hold is refused before anything is allocated.
bool ReadElements(SelReader& in, int version, uint32_t count, std::vector<ElementRecord>& elements,
                  std::string& error) {
  const size_t min_record = version == 0 ? 20 : 28;
  if (count > in.Remaining() / min_record) {
    error = "damaged element table";
    return false;
  }
  elements.resize(count);
  for (ElementRecord& e : elements) {
    if (!ReadElement(in, version, e)) {
      error = "damaged element table";
      return false;
    }
  }
  return true;
}

bool ReadVolumeEvent(SelReader& in, Sound::Event& ev) {
  uint32_t kind = 0;
  int32_t value = 0;
  const bool ok = in.U32(kind) && in.I32(value);
  ev.element = kind > 2 ? 3 : static_cast<int>(kind);
  ev.volume = value < 0 ? 0 : (value > 100 ? 100 : value);
  return ok;
}

// The song's path joins the list; the event holds its index.
bool ReadSongStartEvent(SelReader& in, Sound::Event& ev, std::vector<std::string>& song_paths) {
  std::string song;
  float position = 0.0f;
  if (!in.String(song, kMaxPath, kMaxPath) || !in.F32(position)) return false;
  ev.element = static_cast<int>(song_paths.size());
  song_paths.push_back(song);
  ev.song_position = std::isfinite(position) ? Clamp(position, -86400.0f, 86400.0f) : 0.0f;
  return true;
}

bool ReadHitEvent(SelReader& in, Sound::Event& ev) {
  int32_t slot = 0;
  float velocity = 0.0f, openness = 0.0f;
  uint32_t limb = 0;
  const bool ok = in.I32(slot) && in.F32(velocity) && in.U32(limb) && in.F32(openness);
  ev.element = slot;
  ev.velocity = Clamp(velocity, 0.0f, 1.0f);
  ev.limb = limb > 2 ? 2 : static_cast<int>(limb);
  ev.openness = Clamp(openness, 0.0f, 1.0f);
  return ok;
}

bool ReadHihatFadeEvent(SelReader& in, Sound::Event& ev) {
  int32_t slot = 0;
  const bool ok = in.I32(slot);
  ev.element = slot;
  return ok;
}

// One event: time, type, then the type's payload. False where the events end: at the end of the
// file, or at an unknown type (its payload's size is unknown, so nothing after it can be trusted).
bool ReadEvent(SelReader& in, Sound::Event& ev, std::vector<std::string>& song_paths) {
  uint32_t type;
  if (!in.F32(ev.time) || !in.U32(type)) return false;
  if (type > 4) return false;
  ev.type = static_cast<int>(type);
  if (std::isnan(ev.time) || ev.time < 0.0f) ev.time = 0.0f;
  switch (type) {
    case Sound::EVENT_VOLUME:
      return ReadVolumeEvent(in, ev);
    case Sound::EVENT_SONG_START:
      return ReadSongStartEvent(in, ev, song_paths);
    case Sound::EVENT_HIT:
      return ReadHitEvent(in, ev);
    case Sound::EVENT_HIHAT_FADE:
      return ReadHihatFadeEvent(in, ev);
  }
  return true;  // a song stop has no payload
}

// The stated count, or fewer when the file ends early.
void ReadEvents(SelReader& in, Performance& out) {
  const size_t most = in.Remaining() / 8;
  const uint32_t count = out.header.event_count < most ? out.header.event_count : static_cast<uint32_t>(most);
  out.events.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    Sound::Event ev;
    if (!ReadEvent(in, ev, out.song_paths)) break;
    out.events.push_back(ev);
  }
}

}  // namespace

bool ReadPerformance(const char* path, Performance& out, std::string& error) {
  out = Performance();
  SelReader in;
  if (!in.Open(path)) {
    error = "cannot be read";
    return false;
  }
  uint32_t element_count = 0;
  if (!ReadHeader(in, out.header, error) || !ReadTempoAndElementCount(in, out.header, element_count, error) ||
      !ReadElements(in, out.header.version, element_count, out.elements, error))
    return false;
  ReadEvents(in, out);
  if (!EventTimesFit(out.events, out.header.duration)) {
    error = "event times beyond the performance's length";
    return false;
  }
  return true;
}

}  // namespace sel
