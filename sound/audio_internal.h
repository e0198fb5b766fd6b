// Song loader state and the WAV decoder's resampling, shared by the engine's source files (not
// part of the engine's interface).
#pragma once
#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "sound/audio.h"

struct Audio::SongLoader {
  pthread_t thread{};
  bool running = false;
  std::atomic<bool> cancel{false};
  Audio::Sound* target = nullptr;
  // Ogg Vorbis: the encoded bytes.
  unsigned char* bytes = nullptr;
  int size = 0;
  bool free_bytes = false;
  // FFmpeg: the opened file, and buffers replaced while the song grew (the mixer may still
  // read a replaced buffer during the buffer in which it was replaced; they are freed with
  // the song).
  FfmpegSong* file = nullptr;
  std::vector<std::pair<Audio::Sound*, int16_t*>> retired;
};

// Empties `sound` before a loader fills it: no data, no frames, not loaded, in `state`.
inline void ResetSound(Audio::Sound& sound, Audio::SoundState state, int max_voices) {
  sound.data.store(nullptr, std::memory_order_relaxed);
  sound.frames.store(0, std::memory_order_relaxed);
  sound.capacity.store(0, std::memory_order_relaxed);
  sound.max_voices = max_voices;
  sound.loaded.store(0, std::memory_order_relaxed);
  sound.state.store(state, std::memory_order_relaxed);
}

// Resamples the frames of a WAV data chunk (8, 16 or 24-bit little-endian values, `channels` a
// frame, the first two kept) at `rate` (not 44100) to stereo at 44100 Hz, each value taken to
// 16 bits first: the same result as converting the values to 16-bit frames and then calling
// Audio::ConvertTo44100HzStereo, without the 16-bit copy. `out` as there.
void ResampleWavData(const unsigned char* data, int frames, int bits, int channels, int rate, int16_t* out,
                     int& out_frames);
