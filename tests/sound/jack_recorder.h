// A JACK client that records two output ports, noting when the server processed each cycle
// on the host clock: the dummy driver's frame count falls behind the wall clock on a busy
// machine (it sleeps a period after each cycle's work), so frame distances in its recording
// are not time. Link: jack.
#pragma once
#include <jack/jack.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/test_dirs.h"

namespace jack_test {

class JackRecorder {
 public:
  // Records from the two ports for at most `seconds`; nothing when the server refuses.
  JackRecorder(const std::vector<std::string>& sources, double seconds)
      : samples_(2 * size_t(seconds * 44100)), cycle_nanos_(samples_.size() / 32 + 1) {
    client_ = jack_client_open("skyt_test_recorder", JackNoStartServer, nullptr);
    if (!client_ || sources.size() != 2) return;
    for (int i = 0; i < 2; ++i)
      ports_[i] = jack_port_register(client_, ("in_" + std::to_string(i + 1)).c_str(), JACK_DEFAULT_AUDIO_TYPE,
                                     JackPortIsInput, 0);
    jack_set_process_callback(client_, &JackRecorder::Process, this);
    if (jack_activate(client_) != 0) return;
    for (int i = 0; i < 2; ++i) jack_connect(client_, sources[i].c_str(), jack_port_name(ports_[i]));
  }
  ~JackRecorder() { Stop(); }
  JackRecorder(const JackRecorder&) = delete;
  JackRecorder& operator=(const JackRecorder&) = delete;

  void Stop() {
    if (client_) jack_client_close(client_);
    client_ = nullptr;
  }
  // What was recorded, as a 16-bit stereo WAV file at 44100 frames a second.
  void SaveWav(const std::string& path) const {
    const uint32_t data = 4 * frames_.load();
    std::string wav = "RIFF....WAVEfmt ";
    const uint32_t fmt[] = {16, 0x20001, 44100, 176400, 0x100004};
    wav.append(reinterpret_cast<const char*>(fmt), sizeof fmt);
    wav += "data";
    wav.append(reinterpret_cast<const char*>(&data), 4);
    const uint32_t riff = 36 + data;
    memcpy(&wav[4], &riff, 4);
    for (size_t i = 0; i < 2 * size_t(frames_.load()); ++i) {
      const int16_t v = int16_t(std::clamp(samples_[i], -1.0f, 1.0f) * 32767.0f);
      wav.append(reinterpret_cast<const char*>(&v), 2);
    }
    skyt_test::WriteFile(path, wav);
  }
  // When a recorded frame sounded, in host milliseconds: its cycle's processing time plus its
  // place in the cycle.
  double Millis(int frame) const {
    const int cycle = frame / period_;
    return cycle_nanos_[size_t(cycle)] * 1e-6 + (frame % period_) * 1e3 / 44100;
  }
  // How late a sound starting at this frame may be, in milliseconds: a voice started between two
  // cycles sounds from the second, so by up to the time between them (one period, or longer when
  // the server fell behind).
  double LagMillis(int frame) const {
    const size_t cycle = size_t(frame / period_);
    return cycle == 0 ? period_ * 1e3 / 44100 : (cycle_nanos_[cycle] - cycle_nanos_[cycle - 1]) * 1e-6;
  }

 private:
  static int Process(jack_nframes_t n, void* arg) {
    auto* self = static_cast<JackRecorder*>(arg);
    const uint32_t at = self->frames_.load(std::memory_order_relaxed);
    if (2 * size_t(at + n) > self->samples_.size()) return 0;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    self->period_ = int(n);
    self->cycle_nanos_[at / n] = now.tv_sec * 1e9 + now.tv_nsec;
    const auto* left = static_cast<const float*>(jack_port_get_buffer(self->ports_[0], n));
    const auto* right = static_cast<const float*>(jack_port_get_buffer(self->ports_[1], n));
    for (jack_nframes_t i = 0; i < n; ++i) {
      self->samples_[2 * (at + i)] = left[i];
      self->samples_[2 * (at + i) + 1] = right[i];
    }
    self->frames_.store(at + n, std::memory_order_release);
    return 0;
  }

  jack_client_t* client_ = nullptr;
  jack_port_t* ports_[2] = {};
  std::vector<float> samples_;
  std::vector<double> cycle_nanos_;  // by cycle (the server's period stays, 16 frames or more)
  int period_ = 1;
  std::atomic<uint32_t> frames_{0};
};

}  // namespace jack_test
