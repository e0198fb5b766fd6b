// State that recording and playback share between the main thread, the audio thread and the
// playback helper thread (internal to the sound manager's recording and playback code).
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sound/sound.h"

struct Sound::PerformanceRuntime {
  // Events made on the audio thread wait here (length-prefixed records) until a thread that
  // may write files appends them: single producer (audio thread), consumer under file_mutex.
  static constexpr size_t kRingBytes = 1 << 20;
  std::vector<unsigned char> ring = std::vector<unsigned char>(kRingBytes);
  std::atomic<size_t> ring_head{0};  // written by the producer
  std::atomic<size_t> ring_tail{0};  // written by the consumer
  std::atomic<uint32_t> ring_dropped{0};
  std::mutex file_mutex;             // the recording stream and its counters
  std::atomic<bool> recording_open{false};

  // Song changes that playback meets on the audio thread are done by the helper thread:
  // loading a song joins its loader and waits for the mixer, which the audio thread may not.
  std::thread helper;
  std::atomic<bool> helper_stop{false};
  std::atomic<uint32_t> request_seq{0};   // raised after a request's fields are written
  std::atomic<int> request_song{-1};      // song path index; -1 cancels a pending start
  std::atomic<float> request_position{0.0f};
  std::atomic<int64_t> request_frame{0};  // stream frame at which the song had to start
  std::atomic<int> loaded_song{-1};       // performance song index in `song`; -1 none
  std::atomic<bool> busy{false};          // the helper is loading a song
};

namespace sound_internal {
// Records a song start or stop event (no-op without an open recording).
void RecordSongStart(const Sound& s, const std::string& path, float position);
bool RecordSongStop(const Sound& s);
// Appends what the audio thread queued to the recording file (main or helper thread).
void FlushQueuedEvents(const Sound& s);
// Starts the song voice at `start_seconds` with the song volume and records stop and start
// (the part of PlaySong that may run on the audio thread).
void StartSongVoice(Sound& s, float start_seconds, const std::string& path);
}  // namespace sound_internal
