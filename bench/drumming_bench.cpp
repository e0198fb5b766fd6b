// Per-frame costs of drumming: finding the drum for a stroke, playing a hit, a whole tracking
// frame of the drumming controller (with what it allocates), the way from a detected stroke to
// a started voice, and how many frames and how long a stroke takes to become a voice.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "tests/support/allocation_count.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"

namespace {

// A kit of n drums spread over the picture (see LoadGridKit), in a scratch folder.
void BuildKit(Drumkit& kit, int n) {
  static skyt_test::ScopedChdir* in = nullptr;
  if (!in) in = new skyt_test::ScopedChdir(skyt_test::FreshDir("bench_drumming"));
  skyt_test::LoadGridKit(kit, n);
}

void BM_FindDrum(benchmark::State& state) {
  Drumkit kit;
  BuildKit(kit, int(state.range(0)));
  float x = 10;
  for (auto _ : state) {
    x = x > 300 ? 10 : x + 7.3f;
    benchmark::DoNotOptimize(kit.FindDrum(Sound::CATEGORY_HAND, x, 120, 4.2f));
  }
}
BENCHMARK(BM_FindDrum)->Arg(5)->Arg(12)->Arg(30);

void BM_FindDrumOrMenu(benchmark::State& state) {
  Drumkit kit;
  BuildKit(kit, int(state.range(0)));
  kit.use_3d = state.range(1) != 0;
  kit.disk_radius_factor = 1.3f;
  kit.disk_plane_distance = 0.2f;
  kit.disk_min_diameter = kit.use_3d ? -1.0f : 16.0f;
  DistanceMenu menu;
  menu.buttons.push_back({103, "Menu", 120, 175, 22, true, false});
  menu.buttons.push_back({146, "Save", 80, 175, 22, false, false});
  float x = 10;
  int nearby;
  for (auto _ : state) {
    x = x > 300 ? 10 : x + 7.3f;
    benchmark::DoNotOptimize(kit.FindDrumOrMenu(x, 120, 4.2f, true, &menu, nearby));
  }
}
BENCHMARK(BM_FindDrumOrMenu)->ArgsProduct({{5, 12, 30}, {0, 1}})->ArgNames({"drums", "3d"});

void BM_PlayDrum(benchmark::State& state) {
  Drumkit kit;
  BuildKit(kit, 12);
  int i = 0;
  float out[2 * 64];
  for (auto _ : state) {
    kit.PlayDrum(2 + (i++ % 10), 0.7f, Sound::LIMB_HAND_1, -1.0f, false, false);
    if (i % 32 == 0) {
      state.PauseTiming();
      sound.audio.StopAllSounds(false);
      sound.audio.RenderOffline(out, 64);
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_PlayDrum);

// What the camera sees in one frame of a benchmark scene.
enum Scene { kNoMarkers = 0, kHovering = 1, kStriking = 2 };

// Frame `frame` of the scene: none; both sticks hovering over the drums with a little drift and
// both feet resting on the pedals; or two sticks drumming and both feet working the pedals.
int SceneBlobs(Scene scene, int frame, Webcam::Blob* blobs) {
  static const std::vector<float> stick = skyt_test::StrokeTrack(100, 8, 6, 4);
  static const std::vector<float> foot = skyt_test::StrokeTrack(212, 2, 6, 4);
  if (scene == kNoMarkers) return 0;
  if (scene == kHovering) {
    const float drift = 1.5f * std::sin(float(frame) * 0.05f);
    blobs[0] = skyt_test::Blob(250 + drift, 90 - drift);
    blobs[1] = skyt_test::Blob(60 - drift, 95 + drift);
    blobs[2] = skyt_test::Blob(200, 220, 5);
    blobs[3] = skyt_test::Blob(90, 220, 5);
    return 4;
  }
  const size_t k = size_t(frame) % stick.size();
  blobs[0] = skyt_test::Blob(250, stick[k]);
  blobs[1] = skyt_test::Blob(60, stick[(k + 5) % stick.size()]);
  blobs[2] = skyt_test::Blob(200, foot[k], 5);
  blobs[3] = skyt_test::Blob(90, foot[(k + 3) % foot.size()], 5);
  return 4;
}

// A whole tracking frame of the drumming controller, after a warm-up of 1000 frames; the
// allocs/frame counter is what one Drum call allocates in that steady state.
void BM_DrummerFrame(benchmark::State& state) {
  const Scene scene = Scene(state.range(0));
  Drumkit kit;
  BuildKit(kit, int(state.range(1)));
  Drummer d;
  skyt_test::ResetDrummer(d, kit);
  DistanceMenu menu;
  menu.buttons.push_back({103, "Menu", 120, 175, 22, true, false});
  int frame = 0;
  float out[2 * 64];
  Webcam::Blob blobs[4];
  long allocated = 0;
  auto step = [&] {
    const int n = SceneBlobs(scene, frame++, blobs);
    DistanceMenu::UpdateButtonActivation();
    const long before = skyt_test::AllocationCount();
    d.Drum(blobs, n, nullptr, &menu, false);
    return skyt_test::AllocationCount() - before;
  };
  for (int i = 0; i < 1000; ++i) step();
  sound.audio.StopAllSounds(false);
  sound.audio.RenderOffline(out, 64);
  for (auto _ : state) {
    allocated += step();
    if (frame % 16 == 0) {
      state.PauseTiming();
      sound.audio.StopAllSounds(false);
      sound.audio.RenderOffline(out, 64);
      // The drawing that ages the icons' hits in the program runs here: none piles up.
      for (Drumkit::Drum& drum : kit.drums) drum.StopAnimations();
      state.ResumeTiming();
    }
  }
  state.counters["allocs/frame"] = double(allocated) / double(state.iterations());
}
BENCHMARK(BM_DrummerFrame)
    ->ArgsProduct({{kNoMarkers, kHovering, kStriking}, {5, 12, 30}})
    ->ArgNames({"scene", "drums"});

// Strokes onto the hand drums of a 12-drum kit at speeds of 3 to 10 pixels a frame, one stroke
// an iteration. Counters: the camera frames from the stroke's arrival at the drum (the last
// frame of its fall) to the frame whose Drum call started the voice (negative: the stroke was
// taken before the stick arrived), as minimum, median and 99th percentile; the time of that Drum
// call (the voice is in the mixer when it returns) as median and 99th percentile; strokes that
// started no voice.
void BM_StrokeToVoice(benchmark::State& state) {
  Drumkit kit;
  BuildKit(kit, 12);
  Drummer d;
  skyt_test::ResetDrummer(d, kit);
  std::vector<double> micros;
  std::vector<int> frames;
  int stroke = 0, silent = 0;
  float out[2 * 64];
  for (auto _ : state) {
    const Drumkit::Drum& drum = kit.drums[2 + stroke % 10];
    const float step = 3.0f + float(stroke % 8);
    ++stroke;
    const int still = 3, down = 6;
    const std::vector<float> ys = skyt_test::StrokeTrack(drum.y - down * step, step, down, 6, still);
    bool started = false;
    for (size_t f = 0; f < ys.size(); ++f) {
      Webcam::Blob blobs[2] = {skyt_test::Blob(drum.x, ys[f]), skyt_test::Blob(20, 40)};
      const auto t0 = std::chrono::steady_clock::now();
      d.Drum(blobs, 2, nullptr, nullptr, false);
      const auto t1 = std::chrono::steady_clock::now();
      if (!started && sound.audio.GetNumPlayingSounds() > 0) {
        started = true;
        micros.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        frames.push_back(int(f) - (still + down - 1));
      }
    }
    silent += !started;
    sound.audio.StopAllSounds(false);
    sound.audio.RenderOffline(out, 64);
  }
  auto percentile = [](auto values, double p) {
    if (values.empty()) return -1.0;
    std::sort(values.begin(), values.end());
    return double(values[std::min(values.size() - 1, size_t(p * double(values.size())))]);
  };
  state.counters["frames_min"] = percentile(frames, 0.0);
  state.counters["frames_p50"] = percentile(frames, 0.5);
  state.counters["frames_p99"] = percentile(frames, 0.99);
  state.counters["us_p50"] = percentile(micros, 0.5);
  state.counters["us_p99"] = percentile(micros, 0.99);
  state.counters["silent"] = silent;
}
BENCHMARK(BM_StrokeToVoice)->Iterations(2000);

// From a detected stroke to the voice in the mixer: volume map, icon animation, sample choice
// and the voice start (the mixer sounds it in its next buffer).
void BM_TriggerToVoice(benchmark::State& state) {
  Drumkit kit;
  BuildKit(kit, 12);
  Drummer d;
  skyt_test::ResetDrummer(d, kit);
  d.right_hand.Update(skyt_test::Blob(kit.drums[3].x + 2, kit.drums[3].y + 1), true);
  float volume = 0;
  int i = 0;
  float out[2 * 64];
  for (auto _ : state) {
    d.TriggerHit(d.right_hand, 600.0f + float(i % 7) * 50.0f, Drummer::RIGHT_HAND, 3, volume, false);
    if (++i % 32 == 0) {
      state.PauseTiming();
      sound.audio.StopAllSounds(false);
      sound.audio.RenderOffline(out, 64);
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_TriggerToVoice);

}  // namespace
