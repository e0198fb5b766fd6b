// Latency through the replay program: from the completion of the bulk transfer that ends a
// camera frame to each voice a hit on that frame starts in the mixer. Linked into
// skytapper_replay only, through link-time wraps (tests/app/CMakeLists.txt) of the bulk
// submission, the frame hand-off to the main thread, a drum hit and the voice start, so the
// program itself carries none of it. Each voice started for a hit appends a line to the file
// SKYTAPPER_LATENCY_LOG names (none without it): the microseconds, then the graphics mode.
#include <libusb-1.0/libusb.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "frame/frame_globals.h"
#include "frame/host_clock.h"
#include "sound/audio.h"
#include "tracking/ps3eye.h"

extern "C" {
int __real_libusb_submit_transfer(libusb_transfer* transfer);
bool __real__Z13PSEyeGetFramePhPA2_KiPb(uint8_t* out, const int (*spans)[2], bool* is_new);
void __real__ZNK5Sound11PlayElementEififf(const void* sound, int slot, float velocity, int limb, float openness,
                                          float start_offset);
void __real__ZN5Audio10StartSoundERNS_5SoundEffbfb(Audio* audio, Audio::Sound& sound, float volume, float pan,
                                                    bool stealable, float start_seconds, bool reverb);
}

namespace {

// Completion times by the number the camera gives a frame when it publishes it (the count of
// frames produced); the main thread looks its frame up by the count consumed.
constexpr int kFrames = 64;
std::atomic<uint64_t> completed_at[kFrames];
std::atomic<libusb_transfer_cb_fn> camera_callback{nullptr};
thread_local uint64_t taken_frame_completed_at = 0;
thread_local bool in_hit = false;

// Camera thread. A transfer that ends a frame publishes it inside the camera's callback, under
// the next number: its completion time is stored there first, so it is in place before the
// main thread can take the frame.
void LIBUSB_CALL Completed(libusb_transfer* transfer) {
  const int64_t next = ps3eye::frame.produced.load(std::memory_order_acquire) + 1;
  completed_at[next % kFrames].store(HostTimeNanos(), std::memory_order_relaxed);
  camera_callback.load()(transfer);
}

void Log(uint64_t nanos) {
  static FILE* log = [] {
    const char* path = getenv("SKYTAPPER_LATENCY_LOG");
    return path ? fopen(path, "a") : nullptr;
  }();
  if (!log) return;
  fprintf(log, "%.1f %d\n", nanos / 1000.0, graphics_mode);
  fflush(log);
}

}  // namespace

extern "C" {

int __wrap_libusb_submit_transfer(libusb_transfer* transfer) {
  if (transfer->callback != Completed) {
    camera_callback = transfer->callback;
    transfer->callback = Completed;
  }
  return __real_libusb_submit_transfer(transfer);
}

// Main thread: which frame it took.
bool __wrap__Z13PSEyeGetFramePhPA2_KiPb(uint8_t* out, const int (*spans)[2], bool* is_new) {
  bool taken = false;
  const bool ok = __real__Z13PSEyeGetFramePhPA2_KiPb(out, spans, &taken);
  if (is_new) *is_new = taken;
  if (taken)
    taken_frame_completed_at =
        completed_at[ps3eye::frame.consumed.load(std::memory_order_acquire) % kFrames].load(std::memory_order_relaxed);
  return ok;
}

void __wrap__ZNK5Sound11PlayElementEififf(const void* sound, int slot, float velocity, int limb, float openness,
                                          float start_offset) {
  in_hit = true;
  __real__ZNK5Sound11PlayElementEififf(sound, slot, velocity, limb, openness, start_offset);
  in_hit = false;
}

void __wrap__ZN5Audio10StartSoundERNS_5SoundEffbfb(Audio* audio, Audio::Sound& sound, float volume, float pan,
                                                    bool stealable, float start_seconds, bool reverb) {
  __real__ZN5Audio10StartSoundERNS_5SoundEffbfb(audio, sound, volume, pan, stealable, start_seconds, reverb);
  // A hit replayed from a recording runs on another thread, which took no camera frame.
  if (in_hit && taken_frame_completed_at) Log(HostTimeNanos() - taken_frame_completed_at);
}

}  // extern "C"
