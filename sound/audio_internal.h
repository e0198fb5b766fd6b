// Song loader state shared by the engine's source files (not part of the engine's interface).
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
