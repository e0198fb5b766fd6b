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

bool SelReader::Skip(size_t n) {
  if (n > Remaining()) return false;
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

bool ReadPerformance(const char* path, Performance& out, std::string& error) {
  out = Performance();
  SelReader in;
  if (!in.Open(path)) {
    error = "cannot be read";
    return false;
  }
  if (!ReadHeader(in, out.header, error)) return false;
  uint32_t element_count = 0;
  if (!in.F32(out.header.tempo) || !in.U32(element_count)) {
    error = "damaged header";
    return false;
  }
  const size_t min_record = out.header.version == 0 ? 20 : 28;
  if (element_count > in.Remaining() / min_record) {
    error = "damaged element table";
    return false;
  }
  out.elements.resize(element_count);
  for (ElementRecord& e : out.elements) {
    uint32_t hand_curve = 0, foot_curve = 0;
    if (!in.I32(e.slot) || !in.String(e.path, kMaxPath, kMaxPath) || !in.U32(hand_curve) ||
        !in.I32(e.hand_volume)) {
      error = "damaged element table";
      return false;
    }
    if (out.header.version == 0) {
      foot_curve = 0;
      e.foot_volume = e.hand_volume;
    } else if (!in.U32(foot_curve) || !in.I32(e.foot_volume)) {
      error = "damaged element table";
      return false;
    }
    if (!in.F32(e.pan)) {
      error = "damaged element table";
      return false;
    }
    e.hand_curve = hand_curve < Sound::NUM_CURVES ? static_cast<int32_t>(hand_curve) : 0;
    e.foot_curve = foot_curve < Sound::NUM_CURVES ? static_cast<int32_t>(foot_curve) : 0;
    e.hand_volume = e.hand_volume < 0 ? 0 : (e.hand_volume > 100 ? 100 : e.hand_volume);
    e.foot_volume = e.foot_volume < 0 ? 0 : (e.foot_volume > 100 ? 100 : e.foot_volume);
    e.pan = Clamp(e.pan, -1.0f, 1.0f);
  }

  // Events: the stated count, or fewer when the file ends early.
  const size_t most = in.Remaining() / 8;
  const uint32_t count = out.header.event_count < most ? out.header.event_count : static_cast<uint32_t>(most);
  out.events.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    Sound::Event ev;
    uint32_t type;
    if (!in.F32(ev.time) || !in.U32(type)) break;
    if (type > 4) break;  // unknown payload: nothing after it can be trusted
    ev.type = static_cast<int>(type);
    if (std::isnan(ev.time) || ev.time < 0.0f) ev.time = 0.0f;
    bool ok = true;
    switch (type) {
      case Sound::EVENT_VOLUME: {
        uint32_t kind = 0;
        int32_t value = 0;
        ok = in.U32(kind) && in.I32(value);
        ev.element = kind > 2 ? 3 : static_cast<int>(kind);
        ev.volume = value < 0 ? 0 : (value > 100 ? 100 : value);
        break;
      }
      case Sound::EVENT_SONG_START: {
        std::string song;
        float position = 0.0f;
        ok = in.String(song, kMaxPath, kMaxPath) && in.F32(position);
        if (ok) {
          ev.element = static_cast<int>(out.song_paths.size());
          out.song_paths.push_back(song);
          ev.song_position = std::isfinite(position) ? Clamp(position, -86400.0f, 86400.0f) : 0.0f;
        }
        break;
      }
      case Sound::EVENT_SONG_STOP:
        break;
      case Sound::EVENT_HIT: {
        int32_t slot = 0;
        float velocity = 0.0f, openness = 0.0f;
        uint32_t limb = 0;
        ok = in.I32(slot) && in.F32(velocity) && in.U32(limb) && in.F32(openness);
        ev.element = slot;
        ev.velocity = Clamp(velocity, 0.0f, 1.0f);
        ev.limb = limb > 2 ? 2 : static_cast<int>(limb);
        ev.openness = Clamp(openness, 0.0f, 1.0f);
        break;
      }
      case Sound::EVENT_HIHAT_FADE: {
        int32_t slot;
        ok = in.I32(slot);
        ev.element = slot;
        break;
      }
    }
    if (!ok) break;
    out.events.push_back(ev);
  }
  if (!EventTimesFit(out.events, out.header.duration)) {
    error = "event times beyond the performance's length";
    return false;
  }
  return true;
}

}  // namespace sel
