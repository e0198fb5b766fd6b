// The backing song: loading by file type, starting, stopping and unloading.
#include <strings.h>

#include <cstring>

#include "frame/host_clock.h"
#include "sound/sound_runtime.h"

bool Sound::LoadSong(const char* path) {
  if (!path) return false;
  if (!song_path.empty() && song_path == path) return true;
  runtime_holder.runtime->loaded_song.store(-1, std::memory_order_seq_cst);
  audio.WaitForLoadMp3Async(false);
  audio.WaitForLoadOggAsync(false);
  audio.SafeFreeSound(song);
  song_path.clear();
  const char* dot = strrchr(path, '.');
  if (!dot) return false;
  bool started;
  if (!strncasecmp(dot, ".mp3", 4) || !strncasecmp(dot, ".mp4", 4) || !strncasecmp(dot, ".m4a", 4) ||
      !strncasecmp(dot, ".aac", 4) || !strncasecmp(dot, ".aiff", 5)) {
    started = audio.LoadMp3Async(song, path, 1);
  } else if (!strncasecmp(dot, ".ogg", 4)) {
    started = audio.LoadOggAsync(song, path, 1);
  } else {
    return false;
  }
  if (!started) return false;
  song_path = path;
  return true;
}

namespace sound_internal {

void StartSongVoice(Sound& s, float start_seconds, const std::string& path) {
  RecordSongStop(s);
  s.audio.StartSound(s.song, s.song_volume * 0.01f, 0.0f, false, start_seconds, false);
  s.song_start_host_time.store(HostTimeNanos(), std::memory_order_relaxed);
  RecordSongStart(s, path, start_seconds);
}

}  // namespace sound_internal

void Sound::PlaySong(float start_seconds, bool wait) {
  if (song_path.empty()) return;
  audio.StopSound(song, wait);
  sound_internal::StartSongVoice(*this, start_seconds, song_path);
}

bool Sound::StopSong(bool wait) {
  audio.StopSound(song, wait);
  return sound_internal::RecordSongStop(*this);
}

void Sound::UnloadSong() {
  runtime_holder.runtime->loaded_song.store(-1, std::memory_order_seq_cst);
  audio.WaitForLoadMp3Async(false);
  audio.WaitForLoadOggAsync(false);
  audio.SafeFreeSound(song);
  song_path.clear();
}
