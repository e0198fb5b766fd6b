// The audio engine: device and stream, the 64-voice mixer, voices, the hook and offline
// rendering.
#include "sound/audio.h"

#include <emmintrin.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/events.h"
#include "frame/host_clock.h"
#include "sound/device_messages.h"
#include "sound/jack_keeper.h"
#include "sound/reverb.h"

namespace {

thread_local bool t_on_audio_thread = false;

constexpr uint32_t kStateMask = 3u;
constexpr uint32_t kFree = 0u;
constexpr uint32_t kFilling = 1u;
constexpr uint32_t kPlaying = 2u;
constexpr float kSilent = 1e-5f;
// Longest wait for the mixer to release voices or for a hook call to end. A running stream
// calls back at least every few milliseconds; a stream that stalls longer is treated as gone.
constexpr uint64_t kWaitLimitNanos = 2000000000ull;

inline uint32_t NextClaim(uint32_t s) { return ((s >> 2) + 1u) << 2 | kFilling; }

bool SameSound(const Audio::Sound* a, const Audio::Sound* b) {
  if (a == b) return true;
  if (!a || !b) return false;
  const int16_t* da = a->data.load(std::memory_order_relaxed);
  return da != nullptr && da == b->data.load(std::memory_order_relaxed);
}

void Spin() { usleep(100); }

// A voice at a steady volume over frames k..n-1 from sample p on (p >= 0 unless k == n; what
// lies past the end of the data adds nothing): the same products as the mixer's ramp, each
// sample times its side's gain, then times the volume, with no branch per frame and four
// frames to a step (SSE2, which every x86-64 has). Returns the sample after frame n-1.
int64_t MixSteady(const int16_t* data, int64_t total, int64_t p, int k, int n, float gl, float gr,
                  float volume, float* __restrict left, float* __restrict right) {
  const int64_t end = p + 2 * static_cast<int64_t>(n - k);
  if (p < 0 || p >= total) return end;
  const int frames = static_cast<int>(std::min<int64_t>(n - k, (total - p + 1) / 2));
  const int16_t* x = data + p;
  float* l = left + k;
  float* r = right + k;
  const __m128 gains = _mm_setr_ps(gl, gr, gl, gr), v = _mm_set1_ps(volume);
  int j = 0;
  for (; j + 4 <= frames; j += 4) {
    const __m128i pcm = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + 2 * j));
    const __m128i lo = _mm_srai_epi32(_mm_unpacklo_epi16(pcm, pcm), 16);  // frames j, j+1
    const __m128i hi = _mm_srai_epi32(_mm_unpackhi_epi16(pcm, pcm), 16);  // frames j+2, j+3
    const __m128 a = _mm_mul_ps(_mm_mul_ps(_mm_cvtepi32_ps(lo), gains), v);
    const __m128 b = _mm_mul_ps(_mm_mul_ps(_mm_cvtepi32_ps(hi), gains), v);
    const __m128 lefts = _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 rights = _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
    _mm_storeu_ps(l + j, _mm_add_ps(_mm_loadu_ps(l + j), lefts));
    _mm_storeu_ps(r + j, _mm_add_ps(_mm_loadu_ps(r + j), rights));
  }
  for (; j < frames; ++j) {
    l[j] += x[2 * j] * gl * volume;
    r[j] += x[2 * j + 1] * gr * volume;
  }
  return end;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Audio::Sound

Audio::Sound::Sound(const Sound& other) { *this = other; }

Audio::Sound& Audio::Sound::operator=(const Sound& other) {
  if (this == &other) return *this;
  path = other.path;
  data.store(other.data.load(std::memory_order_acquire), std::memory_order_relaxed);
  frames.store(other.frames.load(std::memory_order_acquire), std::memory_order_release);
  max_voices = other.max_voices;
  loaded.store(other.loaded.load(std::memory_order_acquire), std::memory_order_release);
  state.store(other.state.load(std::memory_order_relaxed), std::memory_order_relaxed);
  chunk_offset.store(other.chunk_offset.load(std::memory_order_relaxed), std::memory_order_relaxed);
  cancel.store(other.cancel.load(std::memory_order_relaxed), std::memory_order_relaxed);
  capacity.store(other.capacity.load(std::memory_order_relaxed), std::memory_order_relaxed);
  return *this;
}

// ---------------------------------------------------------------------------------------------
// Construction, device and stream

Audio::Audio() {
  pthread_mutex_init(&queue_mutex_, nullptr);
  pthread_cond_init(&helpers_left_, nullptr);
  queue_mutex_ready_ = true;
}

Audio::~Audio() {
  CleanUp(true);
  DeleteSongLoaders();
  pthread_cond_destroy(&helpers_left_);
  pthread_mutex_destroy(&queue_mutex_);
}

void Audio::EnsureQueueState() {
  if (!queue_event_) queue_event_ = CreateEvent(nullptr, true, false);
}

int Audio::PreferredHostApi() {
  const PaHostApiIndex jack = Pa_HostApiTypeIdToHostApiIndex(paJACK);
  if (jack >= 0 && !jack_keeper::ServerEnded()) {
    const PaHostApiInfo* info = Pa_GetHostApiInfo(jack);
    if (info && info->deviceCount > 0 && info->defaultOutputDevice != paNoDevice) return jack;
  }
  const PaHostApiIndex alsa = Pa_HostApiTypeIdToHostApiIndex(paALSA);
  if (alsa >= 0) {
    const PaHostApiInfo* info = Pa_GetHostApiInfo(alsa);
    if (info && info->deviceCount > 0) return alsa;
  }
  return -1;
}

void Audio::AllocateMixBuffers(int frames) {
  FreeMixBuffers();
  dry_left_ = new float[frames]();
  dry_right_ = new float[frames]();
}

void Audio::FreeMixBuffers() {
  Reverb* r = reverb_.exchange(nullptr, std::memory_order_acq_rel);
  delete r;
  delete[] dry_left_;
  delete[] dry_right_;
  delete[] send_left_;
  delete[] send_right_;
  dry_left_ = dry_right_ = send_left_ = send_right_ = nullptr;
}

bool Audio::Init(DeviceType type, int frames, bool leave_stopped, int buffers_per_meter,
                 int index) {
  displayed_peak_.store(0.0f, std::memory_order_relaxed);
  running_peak_ = 0.0f;
  buffers_counted_ = 0;
  buffers_per_meter_ = buffers_per_meter < 1 ? 1 : buffers_per_meter;
  for (Voice& v : voices_) v.state.store(v.state.load() & ~kStateMask, std::memory_order_release);

  EnsureQueueState();
  const DeviceMessageFold device_messages;
  if (!pa_initialised_ && !BeginPortAudio()) return false;
  if (type == kNoOutput) {
    device_index_in_use_ = -2;
    device_chosen_manually_ = true;
    return true;
  }
  if (frames < 1) frames = 1;
  if (frames > kMaxFramesPerBuffer) frames = kMaxFramesPerBuffer;

  const bool chosen = index > 0 && index < Pa_GetDeviceCount();
  PaDeviceIndex device = paNoDevice;
  if (chosen) {
    device = index;
  } else if (type == kLowLatencyStream) {
    const int api = PreferredHostApi();
    const PaHostApiInfo* info = api >= 0 ? Pa_GetHostApiInfo(api) : nullptr;
    device = info ? info->defaultOutputDevice : Pa_GetDefaultOutputDevice();
  } else {
    device = Pa_GetDefaultOutputDevice();
  }
  device_index_in_use_ = device;
  device_chosen_manually_ = chosen;
  if (device == paNoDevice) return false;
  const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
  if (!info) return false;
  // PortAudio may not have heard yet that its JACK server ended: its client must not be used.
  if (IsJackDevice(info) && jack_keeper::ServerEnded()) return false;

  PaStreamParameters out{};
  out.device = device;
  out.channelCount = 2;
  out.sampleFormat = paFloat32;
  out.suggestedLatency = info->defaultLowOutputLatency;
  out.hostApiSpecificStreamInfo = nullptr;
  PaStream* stream = nullptr;
  PaError err = Pa_OpenStream(&stream, nullptr, &out, kSampleRate, frames, paClipOff | paDitherOff,
                              DeviceCallback, this);
  if (err != paNoError) {
    printf("Audio error: %s\n", Pa_GetErrorText(err));
    return false;
  }
  AllocateMixBuffers(frames);
  frames_per_buffer_ = frames;
  device_type_ = type;
  stream_ = stream;
  stream_completed_.store(false, std::memory_order_relaxed);
  if (!leave_stopped) {
    err = Pa_StartStream(stream_);
    if (err != paNoError) {
      printf("Audio error: %s\n", Pa_GetErrorText(err));
      Pa_CloseStream(stream_);
      stream_ = nullptr;
      FreeMixBuffers();
      device_type_ = kNoOutput;
      frames_per_buffer_ = 0;
      return false;
    }
  }
  return true;
}

bool Audio::BeginPortAudio() {
  // Never let the JACK client library start a server of its own.
  setenv("JACK_NO_START_SERVER", "1", 0);
  if (!holds_jack_state_) {
    jack_keeper::Hold();
    holds_jack_state_ = true;
  }
  listed_cards_ = ListCards();
  const bool jack_runs = jack_keeper::Refresh();  // the idle JACK client opens before PortAudio's
  const PaError err = Pa_Initialize();
  if (err != paNoError) {
    printf("Audio error: %s\n", Pa_GetErrorText(err));
    return false;
  }
  pa_initialised_ = true;
  listed_jack_ = jack_runs && PortAudioReachedJack();
  return true;
}

void Audio::CloseStream() {
  if (stream_) {
    if (OnEndedJackServer()) {
      portaudio_held_ = true;
      (void)callbacks_returned_.load(std::memory_order_acquire);
    } else {
      Pa_AbortStream(stream_);
      Pa_CloseStream(stream_);
    }
    stream_ = nullptr;
  }
  stream_stop_reported_ = false;
  offline_.store(false, std::memory_order_release);
  offline_made_buffers_ = offline_paused_stream_ = false;
  device_type_ = kNoOutput;
  frames_per_buffer_ = 0;
  FreeMixBuffers();
  for (Voice& v : voices_) v.state.store(v.state.load() & ~kStateMask, std::memory_order_release);
}

void Audio::CleanUp(bool all) {
  CloseStream();
  if (pa_initialised_ && !portaudio_held_) {
    Pa_Terminate();
    pa_initialised_ = false;
  }
  if (all) {
    if (holds_jack_state_) {
      jack_keeper::Release();
      holds_jack_state_ = false;
    }
    StopRawThreads();
    if (queue_event_) {
      CloseHandle(queue_event_);
      queue_event_ = nullptr;
    }
    delete[] chunk_buffer_;
    chunk_buffer_ = nullptr;
    chunk_buffer_size_ = 0;
  }
}

bool Audio::IsStreamRunning() const {
  return stream_ && !offline_.load(std::memory_order_acquire) && Pa_IsStreamActive(stream_) == 1;
}

void Audio::Pause() {
  if (stream_ && Pa_IsStreamStopped(stream_) == 0 && !OnEndedJackServer()) {
    Pa_AbortStream(stream_);
    displayed_peak_.store(0.0f, std::memory_order_relaxed);
    running_peak_ = 0.0f;
    buffers_counted_ = 0;
  }
}

void Audio::Resume() {
  if (!stream_ || OnEndedJackServer()) return;
  if (Pa_IsStreamStopped(stream_) == 0) Pa_StopStream(stream_);
  stream_completed_.store(false, std::memory_order_relaxed);
  Pa_StartStream(stream_);
}

int Audio::BeginOffline(int frames) {
  if (offline_.load(std::memory_order_acquire)) return frames_per_buffer_;
  offline_paused_stream_ = false;
  offline_made_buffers_ = false;
  if (stream_ && Pa_IsStreamStopped(stream_) == 0) {
    Pause();
    offline_paused_stream_ = true;
  }
  if (!dry_left_) {
    if (frames < 1) frames = 1;
    if (frames > kMaxFramesPerBuffer) frames = kMaxFramesPerBuffer;
    AllocateMixBuffers(frames);
    frames_per_buffer_ = frames;
    offline_made_buffers_ = true;
  }
  offline_.store(true, std::memory_order_release);
  SetReverbAmount(GetReverbAmount());
  return frames_per_buffer_;
}

void Audio::EndOffline() {
  if (!offline_.load(std::memory_order_acquire)) return;
  offline_.store(false, std::memory_order_release);
  if (offline_made_buffers_) {
    FreeMixBuffers();
    frames_per_buffer_ = 0;
    offline_made_buffers_ = false;
  }
  if (!stream_) {
    // Nothing mixes any more: release what still plays.
    for (Voice& v : voices_) v.state.store(v.state.load() & ~kStateMask, std::memory_order_release);
  }
  if (offline_paused_stream_) {
    offline_paused_stream_ = false;
    Resume();
  }
}

bool Audio::RenderOffline(float* out, int frames) {
  bool keep = true;
  if (frames_per_buffer_ < 1) {
    std::memset(out, 0, sizeof(float) * 2 * (frames > 0 ? frames : 0));
    return keep;
  }
  int done = 0;
  while (done < frames) {
    int n = frames - done;
    if (n > frames_per_buffer_) n = frames_per_buffer_;
    if (PortAudioCallback(nullptr, out + 2 * done, n, nullptr, 0, this) != 0) keep = false;
    done += n;
  }
  return keep;
}

// ---------------------------------------------------------------------------------------------
// The mixer

int Audio::PortAudioCallback(const void*, void* output, unsigned long frames,
                             const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* user) {
  Audio* a = static_cast<Audio*>(user);
  float* out = static_cast<float*>(output);
  if (!a || !out) return 0;
  if (!a->dry_left_ || a->frames_per_buffer_ < 1) {
    std::memset(out, 0, sizeof(float) * 2 * frames);
    return 0;
  }
  bool keep = true;
  unsigned long done = 0;
  while (done < frames) {
    unsigned long n = frames - done;
    if (n > static_cast<unsigned long>(a->frames_per_buffer_)) n = a->frames_per_buffer_;
    a->RenderBlock(out + 2 * done, static_cast<int>(n), keep);
    done += n;
  }
  return keep ? 0 : 1;
}

void Audio::RenderBlock(float* out, int n, bool& keep_going) {
  // 1. The hook, on the stream clock.
  callback_activity_.fetch_add(1, std::memory_order_seq_cst);
  int64_t clock = sample_counter_.load(std::memory_order_acquire);
  Hook hook = hook_.load(std::memory_order_seq_cst);
  if (hook) {
    void* user = hook_user_.load(std::memory_order_acquire);
    hook_block_start_ = clock;
    hook_block_frames_ = n;
    const float t0 = static_cast<float>(static_cast<double>(clock) / kSampleRate);
    const float t1 = static_cast<float>(static_cast<double>(clock + n) / kSampleRate);
    if (!hook(t0, t1, user)) keep_going = false;
  }
  // A clock set by SetHook during the hook call wins over the advance.
  sample_counter_.compare_exchange_strong(clock, clock + n, std::memory_order_acq_rel);
  callback_activity_.fetch_add(1, std::memory_order_seq_cst);

  // 2-3. Dry pass, then the reverb send pass.
  Reverb* reverb = reverb_.load(std::memory_order_acquire);
  float amount = reverb_amount_.load(std::memory_order_relaxed);
  const bool reverb_pass = reverb && amount > 0.01f && send_left_ && reverb->block() >= n;
  std::memset(dry_left_, 0, sizeof(float) * n);
  std::memset(dry_right_, 0, sizeof(float) * n);
  MixVoices(n, reverb_pass ? 0 : -1, dry_left_, dry_right_);
  if (reverb_pass) {
    std::memset(send_left_, 0, sizeof(float) * n);
    std::memset(send_right_, 0, sizeof(float) * n);
    MixVoices(n, 1, send_left_, send_right_);
    reverb->Process(n, send_left_, send_right_, amount);
  }

  // 5. Output with master gain and clamp; 6. the meter (unclamped peak).
  float gain = master_gain_.load(std::memory_order_relaxed);
  if (!std::isfinite(gain)) gain = 0.0f;
  float peak = 0.0f;
  for (int k = 0; k < n; ++k) {
    float l = dry_left_[k];
    float r = dry_right_[k];
    if (reverb_pass) {
      l += send_left_[k];
      r += send_right_[k];
    }
    l *= gain;
    r *= gain;
    const float al = std::fabs(l);
    const float ar = std::fabs(r);
    if (al > peak) peak = al;
    if (ar > peak) peak = ar;
    if (!(l >= -1.0f)) l = (l < -1.0f) ? -1.0f : 0.0f;  // NaN becomes silence
    if (l > 1.0f) l = 1.0f;
    if (!(r >= -1.0f)) r = (r < -1.0f) ? -1.0f : 0.0f;
    if (r > 1.0f) r = 1.0f;
    out[2 * k] = l;
    out[2 * k + 1] = r;
  }
  if (!std::isfinite(peak)) peak = 0.0f;
  if (peak > running_peak_) running_peak_ = peak;
  if (++buffers_counted_ >= buffers_per_meter_) {
    displayed_peak_.store(running_peak_, std::memory_order_relaxed);
    running_peak_ = 0.0f;
    buffers_counted_ = 0;
  }
}

// which: -1 every playing voice, 0 the dry voices, 1 the reverb voices.
void Audio::MixVoices(int n, int which, float* left, float* right) {
  for (Voice& v : voices_) {
    const uint32_t s = v.state.load(std::memory_order_acquire);
    if ((s & kStateMask) != kPlaying) continue;
    if (which >= 0 && static_cast<int>(v.reverb.load(std::memory_order_relaxed) != 0) != which) continue;
    Sound* snd = v.sound.load(std::memory_order_relaxed);
    int32_t pos = v.position.load(std::memory_order_relaxed);
    const float start_volume = v.volume.load(std::memory_order_relaxed);
    float volume = start_volume;
    float delta = v.volume_delta.load(std::memory_order_relaxed);
    if (!std::isfinite(volume)) volume = 0.0f;
    if (!std::isfinite(delta)) delta = 0.0f;
    const float gl = v.left_gain.load(std::memory_order_relaxed) * (1.0f / 32768.0f);
    const float gr = v.right_gain.load(std::memory_order_relaxed) * (1.0f / 32768.0f);
    // Frames before data: a larger count always comes with a buffer that holds it.
    const uint32_t frames = snd ? snd->frames.load(std::memory_order_acquire) : 0;
    const int16_t* data = snd ? snd->data.load(std::memory_order_acquire) : nullptr;
    const int64_t total = data ? 2 * static_cast<int64_t>(frames) : 0;

    int64_t p = pos;
    bool silent = false;
    int k = 0;
    if (p < 0) {
      // Pending start: nothing mixed, no fade, until the position reaches 0.
      const int64_t wait = (-p + 1) / 2;
      if (wait >= n) {
        p += 2 * static_cast<int64_t>(n);
        k = n;
      } else {
        p += 2 * wait;
        k = static_cast<int>(wait);
      }
    }
    const bool steady = delta == 0.0f && volume > kSilent;
    if (steady) {
      p = MixSteady(data, total, p, k, n, gl, gr, volume, left, right);
    } else {
      for (; k < n; ++k) {
        if (p >= 0 && p < total) {
          left[k] += data[p] * gl * volume;
          right[k] += data[p + 1] * gr * volume;
        }
        volume += delta;
        if (volume <= kSilent) {
          silent = true;
          break;
        }
        p += 2;
      }
    }
    if (!silent && start_volume <= kSilent) silent = true;
    int32_t new_pos = static_cast<int32_t>(p > INT32_MAX ? INT32_MAX : p);
    // Write back only what nobody changed meanwhile: a stop or a new volume from another
    // thread wins, and a slot claimed again keeps its new position.
    if (v.state.load(std::memory_order_acquire) != s) continue;
    v.position.compare_exchange_strong(pos, new_pos, std::memory_order_relaxed);
    // A steady voice's volume is what it was (writing it back would change nothing).
    float expected = start_volume;
    if (!steady) v.volume.compare_exchange_strong(expected, volume, std::memory_order_relaxed);
    if (silent || p >= total) {
      uint32_t expected_state = s;
      v.state.compare_exchange_strong(expected_state, s & ~kStateMask, std::memory_order_acq_rel);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Voices

void Audio::MoveToPriorityQueue(Sound& sound) {
  if (!queue_mutex_ready_) return;
  // The audio thread never waits for the loaders: when one holds the queues it leaves the
  // sample where it is, to be read in turn.
  if (OnAudioThread()) {
    if (pthread_mutex_trylock(&queue_mutex_) != 0) return;
  } else {
    pthread_mutex_lock(&queue_mutex_);
  }
  // The node moves (no allocation). No wake-up is needed (setting the event would take its
  // lock): the queues were not empty, so no loader sleeps on them.
  for (auto it = normal_queue_.begin(); it != normal_queue_.end(); ++it) {
    if (*it == &sound) {
      priority_queue_.splice(priority_queue_.end(), normal_queue_, it);
      break;
    }
  }
  pthread_mutex_unlock(&queue_mutex_);
}

// Claims a slot for the sound; returns its index (state = filling, claim generation in
// `generation`) or -1.
int Audio::ClaimVoice(Sound& sound, bool, uint32_t& generation) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    int count = 0;
    int oldest = -1;
    int32_t oldest_pos = 0;
    uint32_t oldest_state = 0;
    for (int i = 0; i < kMaxVoices; ++i) {
      Voice& v = voices_[i];
      const uint32_t s = v.state.load(std::memory_order_acquire);
      if ((s & kStateMask) != kPlaying || !v.stealable.load(std::memory_order_relaxed)) continue;
      if (!SameSound(v.sound.load(std::memory_order_relaxed), &sound)) continue;
      ++count;
      const int32_t p = v.position.load(std::memory_order_relaxed);
      if (oldest < 0 || p >= oldest_pos) {
        oldest = i;
        oldest_pos = p;
        oldest_state = s;
      }
    }
    if (oldest >= 0 && count >= sound.max_voices) {
      uint32_t expected = oldest_state;
      const uint32_t claim = NextClaim(oldest_state);
      if (voices_[oldest].state.compare_exchange_strong(expected, claim, std::memory_order_acq_rel)) {
        generation = claim;
        return oldest;
      }
      continue;  // the mixer released it or another thread took it: look again
    }
    for (int i = 0; i < kMaxVoices; ++i) {
      uint32_t s = voices_[i].state.load(std::memory_order_acquire);
      if ((s & kStateMask) != kFree) continue;
      const uint32_t claim = NextClaim(s);
      if (voices_[i].state.compare_exchange_strong(s, claim, std::memory_order_acq_rel)) {
        generation = claim;
        return i;
      }
    }
    // Every slot plays: steal the oldest started stealable voice of any sound.
    int victim = -1;
    int32_t victim_pos = -1;
    uint32_t victim_state = 0;
    for (int i = 0; i < kMaxVoices; ++i) {
      Voice& v = voices_[i];
      const uint32_t s = v.state.load(std::memory_order_acquire);
      if ((s & kStateMask) != kPlaying || !v.stealable.load(std::memory_order_relaxed)) continue;
      const int32_t p = v.position.load(std::memory_order_relaxed);
      if (p >= 0 && p >= victim_pos) {
        victim = i;
        victim_pos = p;
        victim_state = s;
      }
    }
    if (victim < 0) return -1;
    uint32_t expected = victim_state;
    const uint32_t claim = NextClaim(victim_state);
    if (voices_[victim].state.compare_exchange_strong(expected, claim, std::memory_order_acq_rel)) {
      generation = claim;
      return victim;
    }
  }
  return -1;
}

void Audio::StartSound(Sound& sound, float volume, float pan, bool stealable, float start_seconds,
                       bool reverb) {
  if (device_type_ == kNoOutput && !offline_.load(std::memory_order_acquire)) return;
  if (!std::isfinite(volume) || volume <= 0.0f) return;
  if (!std::isfinite(pan)) pan = 0.0f;
  if (pan < -1.0f) pan = -1.0f;
  if (pan > 1.0f) pan = 1.0f;
  if (!std::isfinite(start_seconds)) start_seconds = 0.0f;
  const float limit = static_cast<float>(INT32_MAX / 2 / kSampleRate - 1);
  if (start_seconds > limit) start_seconds = limit;
  if (start_seconds < -limit) start_seconds = -limit;

  if (sound.state.load(std::memory_order_relaxed) == kSoundChunked && !sound.IsLoaded()) MoveToPriorityQueue(sound);

  uint32_t claim = 0;
  const int slot = ClaimVoice(sound, stealable, claim);
  if (slot < 0) return;
  Voice& v = voices_[slot];
  const float x = (pan + 1.0f) * 3.14159f * 0.25f;
  v.sound.store(&sound, std::memory_order_relaxed);
  // The nearest frame: -0.01 s is 441 frames although 0.01f * 44100 is 440.99999.
  v.position.store(2 * static_cast<int32_t>(std::lround(static_cast<double>(start_seconds) * kSampleRate)),
                   std::memory_order_relaxed);
  v.volume.store(volume, std::memory_order_relaxed);
  v.volume_delta.store(0.0f, std::memory_order_relaxed);
  v.left_gain.store(std::cos(x), std::memory_order_relaxed);
  v.right_gain.store(std::sin(x), std::memory_order_relaxed);
  v.stealable.store(stealable ? 1 : 0, std::memory_order_relaxed);
  v.reverb.store(reverb && reverb_amount_.load(std::memory_order_relaxed) > 0.01f ? 1 : 0,
                 std::memory_order_relaxed);
  v.state.store((claim & ~kStateMask) | kPlaying, std::memory_order_release);
}

void Audio::SetPlayingSoundVolume(Sound& sound, float volume) {
  if (!std::isfinite(volume) || volume < 0.0f) volume = 0.0f;
  for (Voice& v : voices_) {
    if ((v.state.load(std::memory_order_acquire) & kStateMask) != kPlaying) continue;
    if (SameSound(v.sound.load(std::memory_order_relaxed), &sound))
      v.volume.store(volume, std::memory_order_relaxed);
  }
}

namespace {
void FadeVoice(Audio::Voice& v, float seconds) {
  if (!(seconds > 0.0f) || !std::isfinite(seconds)) {
    // A fade of no length (or NaN) is a stop.
    v.volume.store(0.0f, std::memory_order_relaxed);
    return;
  }
  const float volume = v.volume.load(std::memory_order_relaxed);
  float delta = -volume / (seconds * 44100.0f);
  if (!std::isfinite(delta)) delta = 0.0f;
  v.volume_delta.store(delta, std::memory_order_relaxed);
}
}  // namespace

void Audio::FadeSound(Sound& sound, float seconds) {
  for (Voice& v : voices_) {
    if ((v.state.load(std::memory_order_acquire) & kStateMask) != kPlaying) continue;
    if (SameSound(v.sound.load(std::memory_order_relaxed), &sound)) FadeVoice(v, seconds);
  }
}

void Audio::FadeAllSounds(float seconds) {
  for (Voice& v : voices_) FadeVoice(v, seconds);
}

void Audio::WaitForVoicesToStop(const Sound* sound) {
  // Waiting is only possible where another thread mixes; on the audio thread (from the hook,
  // which runs before the mix) and without a running stream the mixer cannot be running.
  if (OnAudioThread() || !IsStreamRunning()) return;
  const uint64_t deadline = HostTimeNanos() + kWaitLimitNanos;
  for (;;) {
    bool found = false;
    for (Voice& v : voices_) {
      if ((v.state.load(std::memory_order_acquire) & kStateMask) != kPlaying) continue;
      if (sound && !SameSound(v.sound.load(std::memory_order_relaxed), sound)) continue;
      if (sound && v.position.load(std::memory_order_relaxed) < 0) return;  // pending start
      found = true;
      break;
    }
    if (!found) return;
    if (HostTimeNanos() > deadline || !IsStreamRunning()) {
      printf("Audio error: the audio device stopped releasing voices\n");
      return;
    }
    Spin();
  }
}

void Audio::StopSound(Sound& sound, bool wait) {
  for (Voice& v : voices_) {
    if ((v.state.load(std::memory_order_acquire) & kStateMask) != kPlaying) continue;
    if (SameSound(v.sound.load(std::memory_order_relaxed), &sound))
      v.volume.store(0.0f, std::memory_order_relaxed);
  }
  if (wait) WaitForVoicesToStop(&sound);
}

void Audio::StopAllSounds(bool wait) {
  for (Voice& v : voices_) v.volume.store(0.0f, std::memory_order_relaxed);
  if (wait) WaitForVoicesToStop(nullptr);
}

float Audio::GetPlayingTime(const Sound& sound) const {
  for (const Voice& v : voices_) {
    if ((v.state.load(std::memory_order_acquire) & kStateMask) != kPlaying) continue;
    if (SameSound(v.sound.load(std::memory_order_relaxed), &sound))
      return v.position.load(std::memory_order_relaxed) / 88200.0f;
  }
  return -1.0f;
}

int Audio::GetNumPlayingSounds() const {
  int count = 0;
  for (const Voice& v : voices_)
    if ((v.state.load(std::memory_order_acquire) & kStateMask) == kPlaying) ++count;
  return count;
}

float Audio::GetDuration(const Sound& sound) const { return sound.Frames() / 44100.0f; }

void Audio::SetReverbAmount(float amount) {
  if (!std::isfinite(amount) || amount < 0.0f) amount = 0.0f;
  if (amount > 1.0f) amount = 1.0f;
  reverb_amount_.store(amount, std::memory_order_relaxed);
  if (amount > 0.01f && !reverb_.load(std::memory_order_acquire) && dry_left_ &&
      frames_per_buffer_ > 0) {
    // Buffers first, then the reverb: the callback looks at the reverb before the buffers.
    delete[] send_left_;
    delete[] send_right_;
    send_left_ = new float[frames_per_buffer_]();
    send_right_ = new float[frames_per_buffer_]();
    reverb_.store(new Reverb(frames_per_buffer_, 1.0f, 0.5f, 0.5f), std::memory_order_release);
  }
}

void Audio::SafeFreeSound(Sound& sound) {
  if (IsStreamRunning() && !OnAudioThread()) {
    for (Voice& v : voices_) {
      if ((v.state.load(std::memory_order_acquire) & kStateMask) != kPlaying) continue;
      if (SameSound(v.sound.load(std::memory_order_relaxed), &sound))
        v.volume.store(0.0f, std::memory_order_relaxed);
    }
    const uint64_t deadline = HostTimeNanos() + kWaitLimitNanos;
    for (;;) {
      bool found = false;
      for (Voice& v : voices_) {
        const uint32_t s = v.state.load(std::memory_order_acquire);
        if ((s & kStateMask) == kFree) continue;
        if (SameSound(v.sound.load(std::memory_order_relaxed), &sound)) {
          // Silenced again each round: a voice started meanwhile from the hook stops too.
          v.volume.store(0.0f, std::memory_order_relaxed);
          found = true;
        }
      }
      if (!found) break;
      if (HostTimeNanos() > deadline || !IsStreamRunning()) {
        printf("Audio error: the audio device stopped releasing voices\n");
        break;
      }
      Spin();
    }
  }
  // No mixer runs at the same time (or it gave up): release the sound's voices directly.
  for (Voice& v : voices_) {
    uint32_t s = v.state.load(std::memory_order_acquire);
    if ((s & kStateMask) != kPlaying) continue;
    if (SameSound(v.sound.load(std::memory_order_relaxed), &sound))
      v.state.compare_exchange_strong(s, s & ~kStateMask, std::memory_order_acq_rel);
  }
  FreeSound(sound);
}

// ---------------------------------------------------------------------------------------------
// Hook

void Audio::SetHook(Hook hook, void* user, int64_t sample_counter) {
  hook_user_.store(user, std::memory_order_release);
  sample_counter_.store(sample_counter, std::memory_order_release);
  hook_.store(hook, std::memory_order_seq_cst);
}

void Audio::RemoveHook() {
  hook_.store(nullptr, std::memory_order_seq_cst);
  if (!OnAudioThread() && stream_ && !offline_.load(std::memory_order_acquire)) {
    const uint32_t a = callback_activity_.load(std::memory_order_seq_cst);
    if (a & 1u) {
      const uint64_t deadline = HostTimeNanos() + kWaitLimitNanos;
      while (callback_activity_.load(std::memory_order_seq_cst) == a) {
        if (HostTimeNanos() > deadline) {
          printf("Audio error: the audio callback does not return\n");
          break;
        }
        sched_yield();
      }
    }
  }
}

bool Audio::OnAudioThread() { return t_on_audio_thread; }

int Audio::DeviceCallback(const void* input, void* output, unsigned long frames,
                          const PaStreamCallbackTimeInfo* time_info, PaStreamCallbackFlags flags,
                          void* user) {
  t_on_audio_thread = true;
  const int result = PortAudioCallback(input, output, frames, time_info, flags, user);
  if (result != paContinue && user) static_cast<Audio*>(user)->stream_completed_.store(true, std::memory_order_release);
  if (user) static_cast<Audio*>(user)->callbacks_returned_.fetch_add(1, std::memory_order_release);
  return result;
}
