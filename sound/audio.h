// The low-level audio engine: one PortAudio output stream, a 64-voice mixer with equal-power
// pan, fades, a reverb send bus, a master gain, a hard clamp and a peak meter; the decoders
// (WAV, Ogg Vorbis, and MP3/MP4/M4A/AAC/AIFF songs through FFmpeg), the resampler, the sample
// loader threads and the song loader threads.
//
// Threads: the stream callback runs on the device's thread (or, offline, on the caller's);
// StartSound and StopSound may be called from the main thread and from the per-buffer hook at
// the same time. Voices are claimed with a compare-and-swap on their state word, so two
// starters never fill one slot, and the mixer never releases or overwrites a slot that was
// re-claimed while it mixed. On the device's thread the mixer and its hook never wait, take a
// lock they could have to wait for, or allocate.
#pragma once
#include <portaudio.h>
#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <list>
#include <string>
#include <vector>

#include "sound/sample_memory.h"

class Reverb;

class Audio {
 public:
  // The kind of output stream, as the settings file stores it (Device_Type).
  typedef int DeviceType;
  enum : DeviceType {
    kNoOutput = 0,  // no stream: the program runs silently
    // A plain stream on the chosen or default device: 6 is what MIDI mode opens, 2 and then
    // 1 are the fallbacks when the asked type does not open.
    kLastFallbackStream = 1,
    kFirstFallbackStream = 2,
    kStoredOnlyType = 3,     // only as a stored value, which MIDI mode maps to 1 or 2
    kLowLatencyStream = 5,   // the preferred host API (JACK when a server runs, else ALSA)
    kPlainStream = 6,
  };

  // Per-buffer hook: start and end of the buffer in seconds on the stream clock; returns true
  // to keep streaming.
  typedef bool (*Hook)(float t0, float t1, void* user);

  // The values of Sound::state: how the sound's data arrives.
  enum SoundState : uint32_t {
    kSoundEmpty = 0,
    kSoundWhole = 1,    // in one piece (a WAV file, an element's representative sample)
    kSoundChunked = 2,  // an element sample whose remaining chunks the loader threads read
    kSoundMp3Song = 3,  // a song decoded by FFmpeg on the MP3 loader's thread
    kSoundOggSong = 4,  // an Ogg Vorbis song decoded on the Ogg loader's thread
  };

  // One decoded sound: 16-bit interleaved stereo at 44100 Hz. The buffer is allocated before
  // loading starts; frames are written before `frames` is raised (release), and the mixer
  // reads `frames` before `data` (acquire). Copying a Sound copies the pointer (the copy shares
  // the data and must not be freed separately); only copy sounds that no thread is loading.
  struct Sound {
    std::atomic<int16_t*> data{nullptr};
    std::atomic<uint32_t> frames{0};      // frames loaded so far
    int32_t max_voices = 0;               // voices of this sound before the oldest is reused
    std::atomic<uint8_t> loaded{0};       // 1 when loading has finished (also cancelled/failed)
    std::atomic<uint32_t> state{kSoundEmpty};  // a SoundState
    std::string path;                     // kSoundChunked: the element file of the remaining chunks
    std::atomic<uint32_t> chunk_offset{0xFFFFFFFFu};  // kSoundChunked: first remaining chunk
    std::atomic<uint32_t> cancel{0};      // 1: a loader stops reading this sound
    std::atomic<uint32_t> capacity{0};    // frames the data buffer holds

    Sound() = default;
    Sound(const Sound& other);
    Sound& operator=(const Sound& other);

    int16_t* Data() const { return data.load(std::memory_order_acquire); }
    uint32_t Frames() const { return frames.load(std::memory_order_acquire); }
    bool IsLoaded() const { return loaded.load(std::memory_order_acquire) != 0; }
  };

  // One mixer slot. `state` holds a claim generation (upper bits) and 0 free, 1 being filled,
  // 2 playing (lowest two bits).
  struct Voice {
    std::atomic<uint32_t> state{0};
    std::atomic<Sound*> sound{nullptr};
    std::atomic<int32_t> position{0};  // next left sample; negative = start pending
    std::atomic<float> volume{0.0f};
    std::atomic<float> volume_delta{0.0f};  // per frame played
    std::atomic<float> left_gain{0.0f};
    std::atomic<float> right_gain{0.0f};
    std::atomic<uint8_t> stealable{0};
    std::atomic<uint8_t> reverb{0};
  };

  struct RawThread {
    Audio* audio = nullptr;
    pthread_t thread{};
    void* done = nullptr;  // HANDLE, signalled as the thread's last act
  };

  struct SongLoader;  // song loader state (opaque)
  struct FfmpegSong;  // an open FFmpeg song (opaque)

  static constexpr int kMaxVoices = 64;
  static constexpr int kSampleRate = 44100;
  static constexpr int kMaxFramesPerBuffer = 4096;

  Audio();
  ~Audio();
  Audio(const Audio&) = delete;
  Audio& operator=(const Audio&) = delete;

  // --- Device and stream ---
  // Opens the output. frames_per_buffer is clamped to 1..kMaxFramesPerBuffer. Type 0 opens
  // nothing (silent) and returns true.
  bool Init(DeviceType type, int frames_per_buffer, bool leave_stopped, int buffers_per_meter,
            int device_index);
  // Aborts and closes the stream, frees the mix buffers and the reverb (the amount is kept);
  // PortAudio stays initialised for the next Init.
  void CloseStream();
  // CloseStream, then terminates PortAudio. With `all` also lets go of the JACK library's state
  // (jack_keeper.h), stops the loader threads and frees their state.
  void CleanUp(bool all);
  // Whether the machine's sound cards, or the presence of a JACK server, differ from what
  // PortAudio listed when it was initialised (also when it missed a server that ran): only then
  // must it be terminated and initialised again to offer them. False while PortAudio is not
  // initialised or is held (below); a JACK server that has ended holds it, with a "Warning: ..."
  // line.
  bool DevicesChanged();
  // What the device calls on its own thread: marks the thread as the audio thread (which never
  // waits, locks or allocates), then mixes with PortAudioCallback.
  static int DeviceCallback(const void* input, void* output, unsigned long frames,
                            const PaStreamCallbackTimeInfo* time_info, PaStreamCallbackFlags flags,
                            void* user);
  // The mixer; `user` is the Audio. Also called directly for offline rendering.
  static int PortAudioCallback(const void* input, void* output, unsigned long frames,
                               const PaStreamCallbackTimeInfo* time_info,
                               PaStreamCallbackFlags flags, void* user);
  void Pause();
  void Resume();

  // Offline rendering (tests and WAV export): pauses a running stream and makes the mixer
  // usable from the calling thread whether or not a device is open. Without a device it
  // allocates mix buffers of `frames_per_buffer` (clamped) and creates the reverb when the
  // amount calls for it. Returns the frames per buffer to render with.
  int BeginOffline(int frames_per_buffer);
  // Ends offline rendering: without a device frees what BeginOffline made; with one, resumes
  // the stream.
  void EndOffline();
  bool IsOffline() const { return offline_.load(std::memory_order_acquire); }
  // Renders `frames` frames into `out` (interleaved stereo float) by calling the stream
  // callback in buffers of at most the frames per buffer. Returns false when the hook asked to
  // stop.
  bool RenderOffline(float* out, int frames);

  DeviceType GetDeviceType() const { return device_type_; }
  int GetFramesPerBuffer() const { return frames_per_buffer_; }
  int GetDeviceIndexInUse() const { return device_index_in_use_; }
  bool IsDeviceChosenManually() const { return device_chosen_manually_; }
  bool HasStream() const { return stream_ != nullptr; }
  // Whether the stream runs (the callback may be called at any moment).
  bool IsStreamRunning() const;
  // Main thread, once a frame: when the stream has stopped without being asked (the device
  // vanished, its JACK server ended), prints one "Warning: ..." line naming the device and
  // what to do; nothing more for the same stream.
  void ReportStoppedStream();

  // --- Voices ---
  // start_seconds > 0 starts that far into the sound; < 0 delays the start by that long.
  void StartSound(Sound& sound, float volume, float pan, bool stealable, float start_seconds,
                  bool reverb);
  void SetPlayingSoundVolume(Sound& sound, float volume);
  void FadeSound(Sound& sound, float seconds);
  void FadeAllSounds(float seconds);
  // Silences every voice of the sound; with `wait` (never on the audio thread) waits until the
  // mixer has released the started ones.
  void StopSound(Sound& sound, bool wait);
  void StopAllSounds(bool wait);
  float GetPlayingTime(const Sound& sound) const;  // seconds; -1 when no voice plays it
  int GetNumPlayingSounds() const;
  float GetDuration(const Sound& sound) const;     // frames loaded / 44100
  // Stored always; the reverb is created the first time the amount exceeds 0.01 while mix
  // buffers exist (a stream is open or offline rendering runs).
  void SetReverbAmount(float amount);
  float GetReverbAmount() const { return reverb_amount_.load(std::memory_order_relaxed); }
  void SetMasterGain(float gain) { master_gain_.store(gain, std::memory_order_relaxed); }
  float GetMasterGain() const { return master_gain_.load(std::memory_order_relaxed); }
  float GetPeak() const { return displayed_peak_.load(std::memory_order_relaxed); }
  // Frees the sound's data once no loader touches it (cancels its loaders first).
  void FreeSound(Sound& sound);
  // Stops every voice of the sound, waits for the mixer to release them, then FreeSound.
  void SafeFreeSound(Sound& sound);

  // --- Per-buffer hook and stream clock ---
  // Installs the hook and sets the stream clock (frames). The user pointer is written first.
  void SetHook(Hook hook, void* user, int64_t sample_counter);
  // Removes the hook; called off the audio thread it returns only after a hook call in
  // progress has finished, so the hook's data may be freed afterwards.
  void RemoveHook();
  int64_t GetSampleCounter() const { return sample_counter_.load(std::memory_order_acquire); }
  // Inside the hook: the stream frame at which the buffer starts and its length, exactly (the
  // hook's seconds are floats and lose frame accuracy after a few minutes).
  int64_t HookBlockStart() const { return hook_block_start_; }
  int HookBlockFrames() const { return hook_block_frames_; }
  // True on the device's callback thread while it runs the callback (not offline).
  static bool OnAudioThread();

  // --- Decoding (WAV, Ogg, songs) ---
  static unsigned char* LoadDataFromFile(const char* path, int& size);  // delete[] the result
  bool LoadWav(Sound& sound, const char* path, int max_voices);
  bool LoadWavFromMemory(Sound& sound, const unsigned char* data, int size, int max_voices);
  // `out` must hold 2 * ceil(frames / (rate / 44100)) values.
  static void ConvertTo44100HzStereo(const int16_t* in, int frames, int channels, int rate,
                                     int16_t* out, int& out_frames);
  // Songs in MP3, MP4, M4A, AAC or AIFF, decoded by FFmpeg on a thread into a growing buffer
  // (playable while it loads). The sound is a kSoundMp3Song.
  bool LoadMp3Async(Sound& sound, const char* path, int max_voices);
  void WaitForLoadMp3Async(bool finish);
  bool LoadMp3(Sound& sound, const char* path, int max_voices);
  // Ogg Vorbis songs (kSoundOggSong), decoded by stb_vorbis on a thread.
  bool LoadOggAsync(Sound& sound, const char* path, int max_voices);
  bool LoadOggFromMemoryAsync(Sound& sound, unsigned char* data, int size, bool free_data,
                              int max_voices);
  void WaitForLoadOggAsync(bool finish);
  bool LoadOgg(Sound& sound, const char* path, int max_voices);
  bool LoadOggFromMemory(Sound& sound, const unsigned char* data, int size, int max_voices);

  // --- Sample loader threads ---
  // Reads a sample's head from an element file (stream at the sample's frame count) and
  // queues the rest. Leaves the stream at the next sample header. A damaged header leaves
  // the sound empty and marked loaded, and the stream failed.
  void LoadRaw(Sound& sound, const char* path, std::ifstream& file, int max_voices);
  void StartRawThreads(int count);
  void StopRawThreads();
  int GetRawQueueSize() const;
  // Reads queued samples and helps with rests being read, on the calling thread beside the
  // loader threads, until none is left to start; samples other loaders still read may be
  // incomplete when it returns.
  void FinishRawLoading();

  static bool IsWasapiSupported(DeviceType, int) { return false; }
  static bool IsAsioSupported(int) { return false; }

  // The host API index that device type 5 uses (JACK when its server runs, else ALSA);
  // -1 when neither is available. PortAudio must be initialised.
  static int PreferredHostApi();

 private:
  friend struct AudioTestAccess;

  void MixVoices(int n, int which, float* left, float* right);
  void RenderBlock(float* out, int n, bool& keep_going);
  int ClaimVoice(Sound& sound, bool stealable, uint32_t& generation);
  void MoveToPriorityQueue(Sound& sound);
  void AllocateMixBuffers(int frames);
  void FreeMixBuffers();
  void EnsureQueueState();
  static void* RawThreadMain(void* arg);
  static void* OggThreadMain(void* arg);
  static void* FfmpegThreadMain(void* arg);
  void JoinSongLoader(SongLoader& loader, bool finish);
  void DeleteSongLoaders();
  void WaitForVoicesToStop(const Sound* sound);
  // Whether the stream stopped by itself: not stopped by us, not ended by the hook, yet idle.
  bool StoppedByItself() const;
  static bool IsJackDevice(const PaDeviceInfo* info);
  // Whether it stopped because its JACK server ended: PortAudio can then neither stop nor
  // close it (it waits for a process cycle that never comes).
  bool OnEndedJackServer() const;

  // Initialises PortAudio after taking a hold on the JACK library's state, and notes the
  // machine's devices it lists.
  bool BeginPortAudio();
  // The ALSA cards, one line each.
  static std::string ListCards();
  // Whether PortAudio lists the devices of a JACK server.
  static bool PortAudioReachedJack();

  bool pa_initialised_ = false;
  bool holds_jack_state_ = false;
  std::string listed_cards_;  // ListCards when PortAudio was initialised
  bool listed_jack_ = false;  // PortAudio then listed a running JACK server's devices
  PaStream* stream_ = nullptr;
  std::atomic<bool> stream_completed_{false};  // the callback ended the stream (the hook asked)
  // Counts the callbacks that have returned. A stream left open on an ended server is never
  // stopped, so reading this is what orders its last callback before the mixer is taken down.
  std::atomic<unsigned> callbacks_returned_{0};
  bool stream_stop_reported_ = false;
  // A stream left open on an ended JACK server, or PortAudio's client of an ended server: PortAudio
  // is kept to the end of the run, as terminating it would close them.
  bool portaudio_held_ = false;
  DeviceType device_type_ = kNoOutput;
  int frames_per_buffer_ = 1;
  float* dry_left_ = nullptr;
  float* dry_right_ = nullptr;
  float* send_left_ = nullptr;
  float* send_right_ = nullptr;
  std::atomic<Reverb*> reverb_{nullptr};
  std::atomic<float> reverb_amount_{0.0f};
  std::atomic<float> master_gain_{1.0f};
  std::atomic<float> displayed_peak_{0.0f};
  float running_peak_ = 0.0f;
  int buffers_per_meter_ = 1;
  int buffers_counted_ = 0;
  Voice voices_[kMaxVoices];

  // Sample loaders.
  std::vector<RawThread*> raw_threads_;
  std::atomic<bool> raw_stop_{false};
  std::list<Sound*> normal_queue_;
  std::list<Sound*> priority_queue_;
  mutable pthread_mutex_t queue_mutex_;
  bool queue_mutex_ready_ = false;
  void* queue_event_ = nullptr;  // HANDLE
  int chunk_buffer_size_ = 0;
  uint8_t* chunk_buffer_ = nullptr;
  // The rests being read, whose chunks idle loaders help decompress (under queue_mutex_).
  struct ChunkJob;
  std::vector<ChunkJob*> chunk_jobs_;
  pthread_cond_t helpers_left_;  // signalled when a helper leaves a rest (with queue_mutex_)
  static void ReadRest(Audio* a, Sound* sound, uint32_t offset, uint8_t* buffer);
  static bool HelpWithChunks(Audio* a, uint8_t* buffer);
  static Sound* PopQueued(Audio* a);  // the next queued sample (priority first), or nullptr
  static void ReadQueued(Audio* a, Sound* sound, uint8_t* buffer);  // its rest; marks it loaded
  SampleMemory sample_memory_;  // the data of element samples (kSoundChunked)

  // Song loaders (one FFmpeg, one Ogg).
  SongLoader* mp3_loader_ = nullptr;
  SongLoader* ogg_loader_ = nullptr;

  // Per-buffer hook, stream clock and the callback's activity count (odd while inside).
  std::atomic<Hook> hook_{nullptr};
  std::atomic<void*> hook_user_{nullptr};
  std::atomic<int64_t> sample_counter_{0};
  std::atomic<uint32_t> callback_activity_{0};
  int64_t hook_block_start_ = 0;
  int hook_block_frames_ = 0;
  std::atomic<bool> offline_{false};
  bool offline_made_buffers_ = false;
  bool offline_paused_stream_ = false;

  int device_index_in_use_ = -2;
  bool device_chosen_manually_ = false;
};
