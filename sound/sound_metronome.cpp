// The metronome: clicks on every beat (and half beat), placed to the frame by the mixer's
// per-buffer hook, which also drives performance playback.
#include <cmath>

#include "sound/midi.h"
#include "sound/sound_runtime.h"

namespace sound_internal {
void DispatchPerformance(Sound& s, int64_t block_start, int block_frames);
}

void Sound::SetMetronomeTempo(float bpm) {
  if (!std::isfinite(bpm) || bpm <= 0.0f) return;
  beat_period.store(60.0f / bpm, std::memory_order_relaxed);
}

void Sound::StartMetronome(float start_time, float now) {
  float next = start_time;
  float level = 1.0f;
  if (now > start_time) {
    const float half = beat_period.load(std::memory_order_relaxed) / 2.0f;
    const long n = static_cast<long>((now - start_time) / half) + 1;
    next = start_time + n * half;
    level = (n % 2) ? 0.35f : 1.0f;
  }
  next_click_time.store(next, std::memory_order_relaxed);
  next_click_level.store(level, std::memory_order_relaxed);
  metronome_on.store(true, std::memory_order_release);
  audio.SetHook(AudioCallback, this, 0);
}

void Sound::StopMetronome() {
  metronome_on.store(false, std::memory_order_release);
  audio.RemoveHook();
}

void Sound::ToggleMetronomePlayEighthNotes() {
  eighth_notes.store(!eighth_notes.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

bool Sound::AudioCallback(float t0, float t1, void* user) {
  Sound* s = static_cast<Sound*>(user);
  if (!s) return true;
  // Frame-exact buffer bounds from the engine; from the seconds when called by hand.
  int64_t start = s->audio.HookBlockStart();
  int frames = s->audio.HookBlockFrames();
  if (frames <= 0) {
    start = std::llround(static_cast<double>(t0) * Audio::kSampleRate);
    frames = static_cast<int>(std::llround(static_cast<double>(t1) * Audio::kSampleRate) - start);
  }
  if (s->performance_playing.load(std::memory_order_acquire))
    sound_internal::DispatchPerformance(*s, start, frames);

  if (!s->metronome_on.load(std::memory_order_acquire) || !s->click.Data() || s->click.Frames() == 0)
    return true;
  const float half = s->beat_period.load(std::memory_order_relaxed) / 2.0f;
  if (!(half > 0.0f)) return true;
  float next = s->next_click_time.load(std::memory_order_relaxed);
  float level = s->next_click_level.load(std::memory_order_relaxed);
  int64_t frame = std::llround(static_cast<double>(next) * Audio::kSampleRate);
  if (frame < start) {
    // The clock jumped past clicks (a playback started later in the song): go on from the
    // first click not before this buffer instead of never clicking again.
    const double missed = std::ceil((start - frame) / (static_cast<double>(half) * Audio::kSampleRate));
    next += static_cast<float>(missed * half);
    if (static_cast<int64_t>(missed) % 2) level = level > 0.5f ? 0.35f : 1.0f;
    frame = std::llround(static_cast<double>(next) * Audio::kSampleRate);
  }
  const bool eighths = s->eighth_notes.load(std::memory_order_relaxed);
  for (int guard = 0; guard < 64 && frame >= start && frame < start + frames; ++guard) {
    if (eighths || level > 0.5f) {
      const float volume = level * s->metronome_volume * 0.01f;
      s->audio.StartSound(s->click, volume, 0.0f, true,
                          static_cast<float>(-static_cast<double>(frame - start) / Audio::kSampleRate), false);
      if (midi_send_metronome) PlayMIDIMetronome(s->metronome_volume * level * 0.01f);
    }
    next += half;
    level = level > 0.5f ? 0.35f : 1.0f;
    frame = std::llround(static_cast<double>(next) * Audio::kSampleRate);
  }
  s->next_click_time.store(next, std::memory_order_relaxed);
  s->next_click_level.store(level, std::memory_order_relaxed);
  return true;
}
