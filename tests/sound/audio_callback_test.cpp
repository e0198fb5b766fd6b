// The audio thread never allocates or waits for a lock. The device callback runs on a thread of
// its own with performance playback (hits on samples still loading, song starts with a long
// path), an open recording and MIDI metronome clicks, while the loader threads read samples
// and the main thread opens the MIDI output again and again. Every operator new and every
// blocking mutex lock made inside the callback is counted.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

#include "sound/midi.h"
#include "sound/sound.h"
#include "sound/sound_runtime.h"
#include "tests/sound/record_test_util.h"
#include "tests/support/fake_portmidi.h"

namespace {

thread_local bool in_callback = false;
std::atomic<int> allocations{0};
std::atomic<int> blocking_locks{0};

// The fake PortMidi's own bookkeeping is not the program's.
bool Counted() { return in_callback && !fake_portmidi::InsideWrite(); }

void* Allocate(size_t n) {
  if (Counted()) allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(n ? n : 1);
}

}  // namespace

// Every form is malloc and free underneath.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

// Every lock that may wait (std::mutex::lock ends here too); try-locks are not counted.
extern "C" int pthread_mutex_lock(pthread_mutex_t* m) {
  using Lock = int (*)(pthread_mutex_t*);
  static const Lock real = reinterpret_cast<Lock>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
  if (Counted()) blocking_locks.fetch_add(1, std::memory_order_relaxed);
  return real(m);
}

namespace {

constexpr int kFrames = 256;
constexpr int kBuffers = 700;  // about 4 s of stream time

TEST(AudioCallback, NeverAllocatesOrWaitsWhileLoadersMidiAndRecordingRun) {
  const std::string dir = skyt_test::FreshDir("audio_callback");
  skyt_test::ScopedChdir cd(dir);
  // An element of long samples, queued for the loaders before anything plays.
  for (const char* side : {"l", "r"})
    for (int i = 0; i < 8; ++i)
      element_test::WriteWav(std::string("samples/big/") + side + "/" + std::to_string(i) + ".wav",
                             record_test::Decay(150000, 3000 + 2000 * i, 40 + i));
  std::filesystem::create_directories("data/elements");
  ASSERT_TRUE(sound.ConvertElement("data/elements/big.ele", "samples/big", Sound::SNARE, 0, nullptr));
  const std::string folder = std::string(150, 's') + "/" + std::string(150, 't');
  const std::string song = folder + "/song.ogg";
  ASSERT_TRUE(audio_test::Shell("mkdir -p " + folder));
  ASSERT_TRUE(audio_test::Shell("sox -n -r 44100 -c 2 " + song + " synth 1 sine 300 vol 0.3"));
  element_test::WriteWav("samples/click.wav", record_test::Decay(2000, 8000, 10));

  sound.SetMasterVolume(40);
  sound.SetDrumsVolume(100);
  sound.SetMetronomeVolume(100);
  sound.audio.BeginOffline(kFrames);
  sound.audio.StopRawThreads();
  const int slot = sound.LoadElement("data/elements/big.ele", 0.0f, 0, 100, 0, 100);
  ASSERT_GE(slot, 0);
  ASSERT_GT(sound.audio.GetRawQueueSize(), 0);
  ASSERT_TRUE(sound.audio.LoadWav(sound.click, "samples/click.wav", 2));
  ASSERT_TRUE(sound.LoadSong(song.c_str()));
  sound.audio.WaitForLoadOggAsync(true);

  fake_portmidi::Reset();
  fake_portmidi::SetPorts({{"ALSA", "Drum Sampler", false, true}}, 0);
  midi_output_number = 0;
  midi_send_metronome = true;
  InitMIDI();
  OpenMIDIOutput(0);

  // A hit every 50 ms, the song restarted every half second.
  sound.events.clear();
  sound.performance_song_paths = {song};
  for (int i = 0; i < 80; ++i) {
    Sound::Event ev;
    ev.time = 0.01f + 0.05f * static_cast<float>(i);
    if (i % 10 == 0) {
      ev.type = Sound::EVENT_SONG_START;
      ev.element = 0;
      ev.song_position = 0.0f;
      sound.events.push_back(ev);
    }
    ev.type = Sound::EVENT_HIT;
    ev.element = slot;
    ev.velocity = 0.3f + 0.008f * static_cast<float>(i);
    ev.limb = i % 2;
    sound.events.push_back(ev);
  }
  sound.runtime_holder.runtime->loaded_song.store(0);
  ASSERT_TRUE(sound.StartRecording("take.sel", "Kit"));
  sound.PlayPerformance(0.0f, true);
  sound.SetMetronomeTempo(600.0f);
  sound.StartMetronome(0.0f, 0.0f);

  std::vector<float> out(2 * kFrames);
  std::atomic<int> buffers{0};
  std::thread device([&] {
    for (int i = 0; i < kBuffers; ++i) {
      in_callback = true;
      Audio::DeviceCallback(nullptr, out.data(), kFrames, nullptr, 0, &sound.audio);
      in_callback = false;
      buffers.fetch_add(1);
      usleep(1000);
    }
  });
  int opens = 0;
  bool loading = false;
  testing::internal::CaptureStdout();  // a line for every open
  while (buffers.load() < kBuffers) {
    // The first hits find their samples queued; then the loaders read while hits go on.
    if (!loading && buffers.load() >= 20) {
      sound.audio.StartRawThreads(4);
      loading = true;
    }
    OpenMIDIOutput(0);
    ++opens;
  }
  device.join();
  testing::internal::GetCapturedStdout();

  EXPECT_EQ(allocations.load(), 0);
  EXPECT_EQ(blocking_locks.load(), 0);
  EXPECT_GT(opens, 10);
  const auto& m = fake_portmidi::Messages();
  EXPECT_GT(std::count_if(m.begin(), m.end(), [](const auto& x) { return x.status() == 0x9A; }), 0);

  sound.StopMetronome();
  sound.StopPerformance();
  sound.StopRecording();
  std::string date, first_song, description;
  float duration = 0.0f;
  ASSERT_TRUE(Sound::GetPerformanceMetaData("take.sel", date, duration, first_song, description));
  EXPECT_EQ(first_song, song);  // recorded on the audio thread

  midi_send_metronome = false;
  CleanUpMIDI();
  sound.events.clear();
  sound.performance_song_paths.clear();
  sound.UnloadElement(slot);
  sound.UnloadSong();
  sound.audio.FreeSound(sound.click);
  sound.audio.EndOffline();
  sound.audio.StopRawThreads();
}

}  // namespace
