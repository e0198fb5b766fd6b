// WAV export of the loaded performance: the mixer is driven offline, buffer by buffer, with the
// performance's events dispatched exactly as in live playback.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "frame/host_clock.h"
#include "sound/sound_runtime.h"

namespace {

// A split part's file-name word: the element type's word in lower case.
std::string PartName(int type) {
  const char* word = type >= 0 && type < Sound::NUM_ELEMENT_TYPES ? drum_element::ElementTypeWord(type) : nullptr;
  std::string name = word ? word : "element";
  for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return name;
}

void PutU32(std::ostream& out, uint32_t v) {
  const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 24)};
  out.write(b, 4);
}
void PutU16(std::ostream& out, uint16_t v) {
  const char b[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
  out.write(b, 2);
}

void WriteWavHeader(std::ostream& out) {
  out.write("RIFF", 4);
  PutU32(out, 0);
  out.write("WAVE", 4);
  out.write("fmt ", 4);
  PutU32(out, 16);
  PutU16(out, 1);
  PutU16(out, 2);
  PutU32(out, 44100);
  PutU32(out, 176400);
  PutU16(out, 4);
  PutU16(out, 16);
  out.write("data", 4);
  PutU32(out, 0);
}

// Completes a WAV file whose data follows its 44-byte header: both sizes count the whole frames
// that reached the file, at most `rendered` bytes, and a frame cut by a failed write goes. A
// device or pipe chosen as the file has nothing to complete.
bool FinishWavFile(const std::string& path, uint32_t rendered) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return true;
  FILE* f = fopen(path.c_str(), "r+be");
  if (!f) return false;
  bool ok = fstat(fileno(f), &st) == 0 && st.st_size >= 44;
  if (ok) {
    const uint64_t on_disk = (static_cast<uint64_t>(st.st_size) - 44) & ~uint64_t{3};
    const uint32_t data = on_disk < rendered ? static_cast<uint32_t>(on_disk) : rendered;
    auto put = [f](long at, uint32_t v) {
      const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                  static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
      return fseek(f, at, SEEK_SET) == 0 && fwrite(b, 1, 4, f) == 4;
    };
    ok = put(4, 36 + data) && put(40, data) && fflush(f) == 0;
    if (ok && static_cast<uint64_t>(st.st_size) > 44u + data) ok = ftruncate(fileno(f), 44 + data) == 0;
  }
  return fclose(f) == 0 && ok;
}

// Rendering must not outrun loading: every sample of the performance's elements and the song
// are complete before the first buffer.
void WaitForLoading(Sound& s) {
  s.audio.StartRawThreads(4);
  s.audio.WaitForLoadMp3Async(true);
  s.audio.WaitForLoadOggAsync(true);
  s.audio.FinishRawLoading();
  const uint64_t deadline = HostTimeNanos() + 120000000000ull;
  for (;;) {
    bool all = s.audio.GetRawQueueSize() == 0;
    for (size_t i = 0; all && i < s.performance_slots.size(); ++i) {
      const int slot = s.performance_slots[i];
      if (slot < 0 || slot >= static_cast<int>(s.elements.size()) || !s.elements[slot].samples) continue;
      for (const auto& set : s.elements[slot].samples->sets)
        for (const auto& sample : set)
          if (!sample.sound.IsLoaded()) all = false;
    }
    if (all) return;
    if (HostTimeNanos() > deadline) {
      printf("Audio error: samples still loading; exporting what is loaded\n");
      return;
    }
    usleep(2000);
  }
}

}  // namespace

bool Sound::OpenPerformanceWav(const char* path, bool song) {
  if (!path || wav_stream.is_open()) return false;
  wav_stream.clear();
  wav_stream.open(path, std::ios::binary | std::ios::trunc);
  if (!wav_stream) {
    wav_stream.clear();
    return false;
  }
  wav_path = path;
  WriteWavHeader(wav_stream);
  wav_total_frames = events.empty() ? 0 : static_cast<int>(events.back().time * 44100.0f);
  wav_written_frames = 0;
  StopPerformance();
  audio.StopAllSounds(true);
  WaitForLoading(*this);
  // Offline whether or not a device is open; the buffer size of the device when there is one.
  const int device_frames = audio.GetFramesPerBuffer();
  wav_frames_per_buffer = audio.BeginOffline(device_frames > 0 ? device_frames : 256);
  PlayPerformance(0.0f, song);
  render_buffer.assign(2 * static_cast<size_t>(wav_frames_per_buffer), 0.0f);
  convert_buffer.assign(2 * static_cast<size_t>(wav_frames_per_buffer), 0);
  return true;
}

int Sound::PartialWritePerformanceWav() {
  if (!wav_stream.is_open() || wav_frames_per_buffer < 1) return 100;
  const int n = wav_frames_per_buffer;
  Audio::PortAudioCallback(nullptr, render_buffer.data(), n, nullptr, 0, &audio);
  for (int i = 0; i < 2 * n; ++i) convert_buffer[i] = static_cast<int16_t>(render_buffer[i] * 32766.0f);
  wav_stream.write(reinterpret_cast<const char*>(convert_buffer.data()), 4 * static_cast<std::streamsize>(n));
  if (!wav_stream) return -1;
  wav_written_frames += n;
  if (!IsPerformancePlaying()) return wav_stream.flush() ? 100 : -1;
  int progress = 0;
  if (wav_total_frames > 0)
    progress = static_cast<int>(static_cast<double>(wav_written_frames) / wav_total_frames * 100.0 + 0.5);
  if (progress < 0) progress = 0;
  return progress < 99 ? progress : 99;
}

void Sound::ClosePerformanceWav() {
  if (!wav_stream.is_open()) return;
  render_buffer.clear();
  convert_buffer.clear();
  StopPerformance();
  wav_stream.close();
  wav_stream.clear();
  if (!FinishWavFile(wav_path, static_cast<uint32_t>(wav_written_frames) * 4u))
    printf("Warning: could not complete the .wav file \"%s\"\n", wav_path.c_str());
  audio.EndOffline();
}

void Sound::StartSavingSplitWavs(const char* path, bool song) {
  const std::string p = path ? path : "";
  const size_t dot = p.rfind('.');
  split_base = dot == std::string::npos ? p : p.substr(0, dot);
  split_extension = dot == std::string::npos ? std::string() : p.substr(dot);
  split_parts.clear();
  for (const Event& ev : events) {
    if (ev.type != EVENT_HIT || ev.element < 0 || ev.element >= static_cast<int>(elements.size())) continue;
    const bool foot = elements[ev.element].category == CATEGORY_HAND_AND_FOOT && ev.limb == LIMB_FOOT;
    split_parts.insert(foot ? -(ev.element + 1) : ev.element + 1);
  }
  split_current = split_parts.begin();
  split_part_index = 0;
  split_last_progress = 100;
  split_song_part = song && !performance_song_paths.empty();
}

int Sound::UpdateSavingSplitWavs() {
  if (split_parts.empty()) return 100;
  const int total = static_cast<int>(split_parts.size()) + (split_song_part ? 1 : 0);
  if (split_part_index >= total) return 100;
  if (split_last_progress == 100) {
    std::string name;
    bool song = false;
    if (split_song_part && split_part_index == total - 1) {
      solo_slot = 10000;  // no hit has this slot: only the song and the volumes
      pedal_only = false;
      name = split_base + "_song";
      song = true;
    } else {
      const int key = *split_current;
      solo_slot = std::abs(key) - 1;
      pedal_only = key < 0;
      const int type = elements[solo_slot].type;
      name = split_base + "_" + PartName(type);
      if (pedal_only) name += "_pedal";
      int same = 0;
      for (auto it = split_parts.begin(); it != split_current; ++it) {
        const int other = std::abs(*it) - 1;
        if (elements[other].type == type && (*it < 0) == pedal_only) ++same;
      }
      if (same > 0) name += "_" + std::to_string(same + 1);
    }
    name += split_extension;
    if (!OpenPerformanceWav(name.c_str(), song)) return -1;
  }
  for (int i = 0; i < 100; ++i) {
    split_last_progress = PartialWritePerformanceWav();
    if (split_last_progress == -1) return -2;
    if (split_last_progress == 100) {
      ClosePerformanceWav();
      ++split_part_index;
      if (split_current != split_parts.end()) {
        auto next = split_current;
        ++next;
        if (next != split_parts.end()) split_current = next;
      }
      break;
    }
  }
  if (split_part_index >= total) return 100;
  const double done = split_last_progress * 0.01 + split_part_index - (split_last_progress == 100 ? 1 : 0);
  int progress = static_cast<int>(done * (100.0 / total) + 0.5);
  if (progress < 0) progress = 0;
  return progress > 99 ? 99 : progress;
}

void Sound::StopSavingSplitWavs() {
  ClosePerformanceWav();
  split_parts.clear();
  split_current = split_parts.end();
  solo_slot = -1;
  pedal_only = false;
}
