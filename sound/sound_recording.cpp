// Performance recording: the .sel file written while the drummer plays, its header reader for
// the recordings list, and the editing operations on a loaded performance.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "frame/host_clock.h"
#include "sound/sel_reader.h"
#include "sound/sound_runtime.h"

namespace {

using Runtime = Sound::PerformanceRuntime;

// One event being put together: time, type and payload, little-endian, in fixed storage (the
// audio thread builds events too and must not allocate). The largest is a song start with a
// path of the longest length readers accept; an event that does not fit is not recorded.
struct EventBytes {
  unsigned char bytes[4 + 4 + 4 + sel::kMaxPath + 4];
  size_t size = 0;
  bool fits = true;

  void Put(const void* p, size_t n) {
    if (size + n > sizeof bytes) {
      fits = false;
      return;
    }
    std::memcpy(bytes + size, p, n);
    size += n;
  }
  void U32(uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    Put(b, 4);
  }
  void F32(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    U32(v);
  }
  void Str(const std::string& s) {
    U32(static_cast<uint32_t>(s.size()));
    Put(s.data(), s.size());
  }
  const unsigned char* Data() const { return bytes; }
};

void WriteU32(std::ostream& out, uint32_t v) {
  const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 24)};
  out.write(b, 4);
}
void WriteF32(std::ostream& out, float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  WriteU32(out, v);
}
void WriteStr(std::ostream& out, const std::string& s) {
  WriteU32(out, static_cast<uint32_t>(s.size()));
  out.write(s.data(), static_cast<std::streamsize>(s.size()));
}

// The elements that hold samples: their count, then slot, sample file, curves, volumes and pan
// of each.
void WriteElementTable(std::ostream& out, const std::vector<Sound::Element>& elements) {
  uint32_t used = 0;
  for (const Sound::Element& e : elements)
    if (!e.free && e.samples) ++used;
  WriteU32(out, used);
  for (size_t i = 0; i < elements.size(); ++i) {
    const Sound::Element& e = elements[i];
    if (e.free || !e.samples) continue;
    WriteU32(out, static_cast<uint32_t>(i));
    WriteStr(out, e.samples->path);
    WriteU32(out, static_cast<uint32_t>(e.hand_curve));
    WriteU32(out, static_cast<uint32_t>(e.hand_volume));
    WriteU32(out, static_cast<uint32_t>(e.foot_curve));
    WriteU32(out, static_cast<uint32_t>(e.foot_volume));
    WriteF32(out, e.pan);
  }
}

// Time and type of a new event; false without an open recording. The first event sets the
// recording's start time 0.25 s before itself.
bool BeginEvent(const Sound& s, uint32_t type, EventBytes& e) {
  Runtime* rt = s.runtime_holder.runtime;
  if (!rt->recording_open.load(std::memory_order_acquire)) return false;
  const uint64_t now = HostTimeNanos();
  uint64_t start = s.recording_start_time.load(std::memory_order_acquire);
  if (start == 0) {
    const uint64_t want = now - 250000000ull;
    if (s.recording_start_time.compare_exchange_strong(start, want, std::memory_order_acq_rel))
      start = want;
  }
  const double seconds = (static_cast<double>(now) - static_cast<double>(start)) / 1e9;
  e.F32(static_cast<float>(seconds));
  e.U32(type);
  return true;
}

// Appends one whole event to the file (file_mutex held).
void WriteLocked(const Sound& s, const unsigned char* bytes, size_t size) {
  uint32_t type = 0;
  if (size >= 8) std::memcpy(&type, bytes + 4, 4);
  if (type == Sound::EVENT_SONG_START && s.first_song_offset == sel::kNoSong) {
    const std::streamoff at = s.recording_stream.tellp();
    if (at >= 0) s.first_song_offset = static_cast<uint32_t>(at + 8);
  }
  s.recording_stream.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  ++s.recording_event_count;
}

size_t RingRead(const Runtime* rt, size_t at, unsigned char* out, size_t n) {
  const size_t cap = Runtime::kRingBytes;
  for (size_t i = 0; i < n; ++i) out[i] = rt->ring[(at + i) % cap];
  return at + n;
}

void DrainLocked(const Sound& s) {
  Runtime* rt = s.runtime_holder.runtime;
  size_t tail = rt->ring_tail.load(std::memory_order_relaxed);
  const size_t head = rt->ring_head.load(std::memory_order_acquire);
  std::vector<unsigned char> record;
  while (tail < head) {
    unsigned char len_bytes[4];
    tail = RingRead(rt, tail, len_bytes, 4);
    uint32_t len;
    std::memcpy(&len, len_bytes, 4);
    record.resize(len);
    tail = RingRead(rt, tail, record.data(), len);
    if (rt->recording_open.load(std::memory_order_relaxed)) WriteLocked(s, record.data(), len);
  }
  rt->ring_tail.store(tail, std::memory_order_release);
}

// The audio thread never writes files: its events wait in the ring.
void Push(const Sound& s, const EventBytes& e) {
  Runtime* rt = s.runtime_holder.runtime;
  const size_t cap = Runtime::kRingBytes;
  const size_t head = rt->ring_head.load(std::memory_order_relaxed);
  const size_t tail = rt->ring_tail.load(std::memory_order_acquire);
  const size_t need = 4 + e.size;
  if (need > cap - (head - tail)) {
    rt->ring_dropped.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  const uint32_t len = static_cast<uint32_t>(e.size);
  unsigned char len_bytes[4];
  std::memcpy(len_bytes, &len, 4);
  for (size_t i = 0; i < 4; ++i) rt->ring[(head + i) % cap] = len_bytes[i];
  const unsigned char* p = e.Data();
  for (size_t i = 0; i < e.size; ++i) rt->ring[(head + 4 + i) % cap] = p[i];
  rt->ring_head.store(head + need, std::memory_order_release);
}

void Commit(const Sound& s, const EventBytes& e) {
  Runtime* rt = s.runtime_holder.runtime;
  if (!e.fits) return;
  if (Audio::OnAudioThread()) {
    Push(s, e);
    return;
  }
  std::lock_guard<std::mutex> lock(rt->file_mutex);
  if (!rt->recording_open.load(std::memory_order_relaxed)) return;
  DrainLocked(s);
  WriteLocked(s, e.Data(), e.size);
}

}  // namespace

// ---------------------------------------------------------------------------------------------

Sound::RuntimeHolder::RuntimeHolder() : runtime(new PerformanceRuntime) {}

Sound::RuntimeHolder::~RuntimeHolder() {
  if (runtime->helper.joinable()) {
    runtime->helper_stop.store(true, std::memory_order_release);
    runtime->helper.join();
  }
  delete runtime;
}

void Sound::RecordVolumeEvent(int kind, int value) const {
  EventBytes e;
  if (!BeginEvent(*this, EVENT_VOLUME, e)) return;
  e.U32(static_cast<uint32_t>(kind));
  e.U32(static_cast<uint32_t>(value));
  Commit(*this, e);
}

void Sound::RecordHitEvent(int slot, float velocity, Limb limb, float openness) const {
  EventBytes e;
  if (!BeginEvent(*this, EVENT_HIT, e)) return;
  e.U32(static_cast<uint32_t>(slot));
  e.F32(velocity);
  e.U32(static_cast<uint32_t>(limb));
  e.F32(openness);
  Commit(*this, e);
}

void Sound::RecordHihatFadeEvent(int slot) const {
  EventBytes e;
  if (!BeginEvent(*this, EVENT_HIHAT_FADE, e)) return;
  e.U32(static_cast<uint32_t>(slot));
  Commit(*this, e);
}

namespace sound_internal {

void RecordSongStart(const Sound& s, const std::string& path, float position) {
  EventBytes e;
  if (!BeginEvent(s, Sound::EVENT_SONG_START, e)) return;
  e.Str(path);
  e.F32(position);
  Commit(s, e);
}

bool RecordSongStop(const Sound& s) {
  EventBytes e;
  if (!BeginEvent(s, Sound::EVENT_SONG_STOP, e)) return false;
  Commit(s, e);
  return true;
}

void FlushQueuedEvents(const Sound& s) {
  Runtime* rt = s.runtime_holder.runtime;
  std::lock_guard<std::mutex> lock(rt->file_mutex);
  DrainLocked(s);
}

}  // namespace sound_internal

bool Sound::IsRecording() const {
  return runtime_holder.runtime->recording_open.load(std::memory_order_acquire);
}

bool Sound::StartRecording(const char* path, const char* description) {
  Runtime* rt = runtime_holder.runtime;
  if (!path || IsRecording()) return false;  // one recording at a time: the open one goes on
  {
    std::lock_guard<std::mutex> lock(rt->file_mutex);
    recording_stream.clear();
    recording_stream.open(path, std::ios::binary | std::ios::trunc);
    if (!recording_stream) {
      recording_stream.clear();
      return false;
    }
    recording_stream.write("SEL1", 4);
    recording_event_count = 0;
    WriteU32(recording_stream, 0);
    WriteF32(recording_stream, 0.0f);
    first_song_offset = sel::kNoSong;
    WriteU32(recording_stream, first_song_offset);
    char date[64];
    const time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    const size_t n = strftime(date, sizeof date, "%a, %d %b %Y, %H:%M:%S", &local);
    WriteStr(recording_stream, std::string(date, n));
    WriteStr(recording_stream, description ? description : "");
    WriteF32(recording_stream, metronome_on ? 60.0f / beat_period : 0.0f);
    WriteElementTable(recording_stream, elements);
    recording_start_time.store(0, std::memory_order_release);
    rt->ring_tail.store(rt->ring_head.load(std::memory_order_acquire), std::memory_order_release);
    rt->ring_dropped.store(0, std::memory_order_relaxed);
    rt->recording_open.store(true, std::memory_order_release);
  }
  audio.SetMasterGain(master_volume * 0.01f * 2.5f);
  RecordVolumeEvent(0, master_volume);
  RecordVolumeEvent(1, drums_volume);
  if (!song_path.empty()) audio.SetPlayingSoundVolume(song, song_volume * 0.01f);
  RecordVolumeEvent(2, song_volume);
  if (!song_path.empty()) {
    const float playing = audio.GetPlayingTime(song);
    if (playing >= 0.0f) sound_internal::RecordSongStart(*this, song_path, playing);
  }
  return true;
}

void Sound::StopRecording() {
  Runtime* rt = runtime_holder.runtime;
  std::lock_guard<std::mutex> lock(rt->file_mutex);
  if (!rt->recording_open.load(std::memory_order_acquire)) return;
  DrainLocked(*this);
  const uint64_t start = recording_start_time.load(std::memory_order_acquire);
  const float duration = start ? static_cast<float>((static_cast<double>(HostTimeNanos()) - start) / 1e9) : 0.0f;
  recording_stream.seekp(4);
  WriteU32(recording_stream, recording_event_count);
  WriteF32(recording_stream, duration);
  WriteU32(recording_stream, first_song_offset);
  recording_stream.close();
  recording_stream.clear();
  rt->recording_open.store(false, std::memory_order_release);
  recording_start_time.store(0, std::memory_order_release);
  const uint32_t dropped = rt->ring_dropped.exchange(0);
  if (dropped) printf("Audio error: %u events of the recording were lost\n", dropped);
}

bool Sound::GetPerformanceMetaData(const char* path, std::string& date, float& duration,
                                   std::string& song, std::string& description) {
  SelReader in;
  if (!in.Open(path)) return false;
  sel::Header h;
  std::string error;
  if (!sel::ReadHeader(in, h, error)) return false;
  date = h.date;
  duration = h.duration;
  description = h.description;
  song.clear();
  if (static_cast<int32_t>(h.first_song_offset) >= 1 && in.Seek(h.first_song_offset)) {
    std::string s;
    if (in.String(s, sel::kMaxPath, sel::kMaxPath)) song = s;
  }
  return true;
}

bool Sound::SavePerformance(const char* path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write("SEL1", 4);
  WriteU32(out, static_cast<uint32_t>(events.size()));
  WriteF32(out, performance_duration);
  const std::streamoff offset_at = out.tellp();
  WriteU32(out, sel::kNoSong);
  WriteStr(out, performance_date);
  WriteStr(out, performance_description);
  WriteF32(out, 0.0f);
  WriteElementTable(out, elements);
  uint32_t first_song = sel::kNoSong;
  for (const Event& ev : events) {
    WriteF32(out, ev.time);
    WriteU32(out, static_cast<uint32_t>(ev.type));
    switch (ev.type) {
      case EVENT_VOLUME:
        WriteU32(out, static_cast<uint32_t>(ev.element));
        WriteU32(out, static_cast<uint32_t>(ev.volume));
        break;
      case EVENT_SONG_START: {
        // The offset of the first song's path, so that the recordings list finds it.
        if (first_song == sel::kNoSong) first_song = static_cast<uint32_t>(out.tellp());
        const bool known = ev.element >= 0 && ev.element < static_cast<int>(performance_song_paths.size());
        WriteStr(out, known ? performance_song_paths[ev.element] : std::string());
        WriteF32(out, ev.song_position);
        break;
      }
      case EVENT_HIT:
        WriteU32(out, static_cast<uint32_t>(ev.element));
        WriteF32(out, ev.velocity);
        WriteU32(out, static_cast<uint32_t>(ev.limb));
        WriteF32(out, ev.openness);
        break;
      case EVENT_HIHAT_FADE:
        WriteU32(out, static_cast<uint32_t>(ev.element));
        break;
      default:
        break;
    }
  }
  out.seekp(offset_at);
  WriteU32(out, first_song);
  return static_cast<bool>(out);
}

void Sound::InsertSelEvent(int index, float time) {
  if (IsPerformancePlaying()) return;  // the audio thread reads the event list
  if (index < 0) index = 0;
  if (index > static_cast<int>(events.size())) index = static_cast<int>(events.size());
  Event ev;
  ev.time = time;
  ev.type = EVENT_HIT;
  ev.element = performance_slots.empty() ? -1 : performance_slots.front();
  ev.velocity = 1.0f;
  ev.limb = 1;
  ev.openness = 0.0f;
  events.insert(events.begin() + index, ev);
}

void Sound::RemoveSelEvent(int index) {
  if (IsPerformancePlaying()) return;
  if (index >= 0 && index < static_cast<int>(events.size())) events.erase(events.begin() + index);
}
