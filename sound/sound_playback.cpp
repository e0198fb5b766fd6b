// Performance playback: a loaded recording is replayed through the sound manager, each event at
// its own frame inside the audio buffer in which it falls.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "frame/host_clock.h"
#include "sound/sel_reader.h"
#include "sound/sound_runtime.h"

namespace {

using Runtime = Sound::PerformanceRuntime;

void SetSongVolumeQuietly(Sound& s, int value) {
  // The song volume without reading the song path, which the helper thread may be changing.
  s.song_volume = value;
  s.audio.SetPlayingSoundVolume(s.song, value * 0.01f);
  s.RecordVolumeEvent(2, value);
}

// End of playback on the audio thread: nothing here waits or touches files.
void StopFromHook(Sound& s) {
  if (!s.performance_playing.exchange(false, std::memory_order_acq_rel)) return;
  s.SetMasterVolume(s.saved_master_volume);
  s.SetDrumsVolume(s.saved_drums_volume);
  SetSongVolumeQuietly(s, s.saved_song_volume);
  s.audio.StopAllSounds(false);
  s.audio.RemoveHook();
}

void CancelSongRequest(Runtime* rt) {
  rt->request_song.store(-1, std::memory_order_relaxed);
  rt->request_seq.fetch_add(1, std::memory_order_release);
}

// The helper thread: song changes met during live playback, and the events the audio thread
// queued for an open recording.
void HelperMain(Sound* s) {
  Runtime* rt = s->runtime_holder.runtime;
  uint32_t seen = rt->request_seq.load(std::memory_order_acquire);
  int idle = 0;
  while (!rt->helper_stop.load(std::memory_order_acquire)) {
    const uint32_t seq = rt->request_seq.load(std::memory_order_acquire);
    if (seq != seen) {
      seen = seq;
      const int index = rt->request_song.load(std::memory_order_relaxed);
      const float position = rt->request_position.load(std::memory_order_relaxed);
      const int64_t frame = rt->request_frame.load(std::memory_order_relaxed);
      if (index >= 0 && index < static_cast<int>(s->performance_song_paths.size())) {
        rt->busy.store(true, std::memory_order_release);
        const std::string& path = s->performance_song_paths[index];
        if (s->LoadSong(path.c_str())) {
          // Wait (briefly) for the first decoded frames, then start where the song should be now.
          const uint64_t deadline = HostTimeNanos() + 2000000000ull;
          while (s->song.Frames() == 0 && !s->song.IsLoaded() && HostTimeNanos() < deadline &&
                 !rt->helper_stop.load(std::memory_order_acquire))
            usleep(1000);
          rt->loaded_song.store(index, std::memory_order_seq_cst);
          if (rt->request_seq.load(std::memory_order_acquire) == seen &&
              s->performance_playing.load(std::memory_order_acquire)) {
            const double late = static_cast<double>(s->audio.GetSampleCounter() - frame) / Audio::kSampleRate;
            s->audio.StopSound(s->song, false);
            sound_internal::StartSongVoice(*s, static_cast<float>(position + late), path);
          }
        }
        rt->busy.store(false, std::memory_order_release);
      }
    }
    if (++idle >= 10) {
      idle = 0;
      if (rt->recording_open.load(std::memory_order_acquire)) sound_internal::FlushQueuedEvents(*s);
    }
    usleep(5000);
  }
}

void StopHelper(Sound& s) {
  Runtime* rt = s.runtime_holder.runtime;
  if (!rt->helper.joinable()) return;
  rt->helper_stop.store(true, std::memory_order_release);
  rt->helper.join();
  rt->helper_stop.store(false, std::memory_order_release);
  rt->busy.store(false, std::memory_order_release);
}

// Every event played, no song on its way and nothing still sounding: the performance is over.
void StopWhenPerformanceEnds(Sound& s) {
  const bool song_pending = s.runtime_holder.runtime->busy.load(std::memory_order_acquire);
  const bool over = !song_pending && s.audio.GetPlayingTime(s.song) < 0.0f && s.audio.GetNumPlayingSounds() == 0;
  if (!over) return;
  if (Audio::OnAudioThread())
    StopFromHook(s);
  else
    s.StopPerformance();
}

// Element 0 is the master volume, 1 the drums', 2 the song's.
void PlayVolumeEvent(Sound& s, const Sound::Event& ev) {
  if (ev.element == 2)
    SetSongVolumeQuietly(s, ev.volume);
  else if (ev.element == 1)
    s.SetDrumsVolume(ev.volume);
  else if (ev.element == 0)
    s.SetMasterVolume(ev.volume);
}

// On the audio thread a song already loaded starts at once; loading one waits for threads and for
// the mixer, so the helper thread is asked to do it (at = the event's frame, to make up for the
// time the load takes).
void StartSongOnAudioThread(Sound& s, const Sound::Event& ev, float position, int64_t at) {
  Runtime* rt = s.runtime_holder.runtime;
  if (rt->loaded_song.load(std::memory_order_seq_cst) == ev.element) {
    s.audio.StopSound(s.song, false);
    sound_internal::StartSongVoice(s, position, s.performance_song_paths[ev.element]);
    return;
  }
  rt->request_song.store(ev.element, std::memory_order_relaxed);
  rt->request_position.store(ev.song_position, std::memory_order_relaxed);
  rt->request_frame.store(at, std::memory_order_relaxed);
  rt->request_seq.fetch_add(1, std::memory_order_release);
}

void StartSongOnCallerThread(Sound& s, const Sound::Event& ev, float position) {
  if (!s.LoadSong(s.performance_song_paths[ev.element].c_str())) return;
  s.runtime_holder.runtime->loaded_song.store(ev.element, std::memory_order_seq_cst);
  if (s.audio.IsOffline()) {
    // Rendering runs faster than decoding: let the song finish loading first.
    s.audio.WaitForLoadMp3Async(true);
    s.audio.WaitForLoadOggAsync(true);
  }
  s.PlaySong(position, false);
}

void PlaySongStartEvent(Sound& s, const Sound::Event& ev, int64_t at, float offset, bool on_audio_thread) {
  if (!s.with_song || ev.element < 0 || ev.element >= static_cast<int>(s.performance_song_paths.size())) return;
  const float position = ev.song_position + offset;
  if (on_audio_thread)
    StartSongOnAudioThread(s, ev, position, at);
  else
    StartSongOnCallerThread(s, ev, position);
}

void PlaySongStopEvent(Sound& s) {
  if (!s.with_song) return;
  CancelSongRequest(s.runtime_holder.runtime);
  s.audio.StopSound(s.song, false);
  sound_internal::RecordSongStop(s);
}

// A hit is left out while another drum plays solo, or when only the pedals are asked for.
void PlayHitEvent(Sound& s, const Sound::Event& ev, float offset) {
  if (s.solo_slot != -1 && ev.element != s.solo_slot) return;
  if (s.pedal_only && ev.limb != Sound::LIMB_FOOT) return;
  s.PlayElement(ev.element, ev.velocity, ev.limb, ev.openness, offset);
}

// at: the event's frame; offset: how far into the buffer it falls, in (negative) seconds.
void PlayEvent(Sound& s, const Sound::Event& ev, int64_t at, float offset, bool on_audio_thread) {
  switch (ev.type) {
    case Sound::EVENT_VOLUME:
      PlayVolumeEvent(s, ev);
      break;
    case Sound::EVENT_SONG_START:
      PlaySongStartEvent(s, ev, at, offset, on_audio_thread);
      break;
    case Sound::EVENT_SONG_STOP:
      PlaySongStopEvent(s);
      break;
    case Sound::EVENT_HIT:
      PlayHitEvent(s, ev, offset);
      break;
    case Sound::EVENT_HIHAT_FADE:
      s.FadeHihats(ev.element);
      break;
    default:
      break;
  }
}

}  // namespace

namespace sound_internal {

// Plays the events due in the buffer of frames starting at frame start.
void DispatchPerformance(Sound& s, int64_t start, int frames) {
  const int count = static_cast<int>(s.events.size());
  int index = s.next_event.load(std::memory_order_relaxed);
  if (index >= count) {
    StopWhenPerformanceEnds(s);
    return;
  }
  const bool on_audio_thread = Audio::OnAudioThread();
  while (index < count) {
    const Sound::Event& ev = s.events[index];
    const int64_t at = std::llround(static_cast<double>(ev.time) * Audio::kSampleRate);
    if (at >= start + frames) break;  // not due in this buffer
    // Due now; an event that is already late (out of order) plays at the buffer start.
    const int64_t into = at > start ? at - start : 0;
    const float offset = static_cast<float>(-static_cast<double>(into) / Audio::kSampleRate);
    s.next_event.store(++index, std::memory_order_relaxed);
    PlayEvent(s, ev, at, offset, on_audio_thread);
    if (!s.performance_playing.load(std::memory_order_acquire)) return;
  }
}

}  // namespace sound_internal

bool Sound::IsPerformancePlaying() const { return performance_playing.load(std::memory_order_acquire); }

bool Sound::LoadPerformance(const char* path) {
  sel::Performance p;
  std::string error;
  if (!sel::ReadPerformance(path, p, error)) {
    printf("Can't load the recording %s: %s\n", path ? path : "", error.c_str());
    return false;
  }
  if (!performance_slots.empty() || !events.empty()) UnloadPerformance();
  audio.StopRawThreads();

  performance_duration = p.header.duration;
  performance_date = p.header.date;
  performance_description = p.header.description;
  performance_first_song.clear();

  static const char* const prefix[5] = {"sn", "kd", "tm", "cy", "pn"};
  const size_t k = p.elements.size();
  std::vector<bool> loaded(k, false);
  performance_slots.assign(k, -1);
  std::map<int, int> slot_map;
  for (int pass = 0; pass < 6; ++pass) {
    for (size_t i = 0; i < k; ++i) {
      if (loaded[i]) continue;
      const sel::ElementRecord& e = p.elements[i];
      if (pass < 5 && e.path.find(prefix[pass]) == std::string::npos) continue;
      const int slot = LoadElement(e.path.c_str(), e.pan, e.hand_curve, e.hand_volume, e.foot_curve,
                                   e.foot_volume);
      performance_slots[i] = slot;
      slot_map[e.slot] = slot;
      loaded[i] = true;
    }
  }

  events = std::move(p.events);
  performance_song_paths = std::move(p.song_paths);
  for (Event& ev : events) {
    if (ev.type == EVENT_HIT || ev.type == EVENT_HIHAT_FADE) {
      // A slot without an element record plays nothing.
      auto it = slot_map.find(ev.element);
      ev.element = it == slot_map.end() ? -1 : it->second;
    }
  }
  runtime_holder.runtime->loaded_song.store(-1, std::memory_order_seq_cst);
  if (!performance_song_paths.empty()) {
    performance_first_song = performance_song_paths.front();
    if (LoadSong(performance_first_song.c_str()))
      runtime_holder.runtime->loaded_song.store(0, std::memory_order_seq_cst);
  }
  audio.StartRawThreads(4);
  return true;
}

void Sound::PlayPerformance(float start_seconds, bool song) {
  StopPerformance();
  Runtime* rt = runtime_holder.runtime;
  saved_master_volume = master_volume;
  saved_drums_volume = drums_volume;
  saved_song_volume = song_volume;
  with_song = song;
  int next = 0;
  if (!std::isfinite(start_seconds)) start_seconds = 0.0f;
  if (start_seconds > 0.0f) {
    int master = master_volume, drums = drums_volume, song_vol = song_volume;
    int current_song = -1;
    const int count = static_cast<int>(events.size());
    next = count;  // a start after the last event: nothing is left to play
    for (int i = 0; i < count; ++i) {
      const Event& ev = events[i];
      if (ev.time >= start_seconds) {
        next = i;
        break;
      }
      if (ev.type == EVENT_SONG_START) current_song = i;
      if (ev.type == EVENT_SONG_STOP) current_song = -1;
      if (ev.type == EVENT_VOLUME) {
        if (ev.element == 0) master = ev.volume;
        if (ev.element == 1) drums = ev.volume;
        if (ev.element == 2) song_vol = ev.volume;
      }
    }
    SetMasterVolume(master);
    SetDrumsVolume(drums);
    SetSongVolume(song_vol);
    if (current_song >= 0 && with_song) {
      const Event& ev = events[current_song];
      if (ev.element >= 0 && ev.element < static_cast<int>(performance_song_paths.size()) &&
          LoadSong(performance_song_paths[ev.element].c_str())) {
        rt->loaded_song.store(ev.element, std::memory_order_seq_cst);
        PlaySong(start_seconds - ev.time + ev.song_position, true);
      }
    }
  }
  // The song in memory may have been changed since the performance was loaded.
  const int loaded_song = rt->loaded_song.load(std::memory_order_seq_cst);
  if (loaded_song >= 0 && (loaded_song >= static_cast<int>(performance_song_paths.size()) ||
                           song_path != performance_song_paths[loaded_song]))
    rt->loaded_song.store(-1, std::memory_order_seq_cst);
  next_event.store(next, std::memory_order_relaxed);
  if (with_song && !performance_song_paths.empty() && audio.IsStreamRunning())
    rt->helper = std::thread(HelperMain, this);
  performance_playing.store(true, std::memory_order_release);
  audio.SetHook(AudioCallback, this, std::llround(static_cast<double>(start_seconds) * Audio::kSampleRate));
}

void Sound::StopPerformance() {
  if (Audio::OnAudioThread()) {
    StopFromHook(*this);
    return;
  }
  StopHelper(*this);
  if (!performance_playing.exchange(false, std::memory_order_acq_rel)) return;
  audio.RemoveHook();  // returns once no hook call is in progress
  SetMasterVolume(saved_master_volume);
  SetDrumsVolume(saved_drums_volume);
  SetSongVolume(saved_song_volume);
  audio.StopAllSounds(true);
}

void Sound::UnloadPerformance() {
  StopPerformance();
  audio.StopRawThreads();
  for (int slot : performance_slots) UnloadElement(slot);
  audio.StartRawThreads(4);
  performance_slots.clear();
  events.clear();
  performance_song_paths.clear();
  runtime_holder.runtime->loaded_song.store(-1, std::memory_order_seq_cst);
}
