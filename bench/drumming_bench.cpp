// Per-frame costs of drumming: finding the drum for a stroke, playing a hit, a whole tracking
// frame of the drumming controller, and the way from a detected stroke to a started voice.
#include <benchmark/benchmark.h>

#include <cmath>
#include <sstream>

#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"

namespace {

const Sound::ElementType kHandTypes[] = {Sound::SNARE, Sound::HIGH_TOM, Sound::MID_TOM, Sound::FLOOR_TOM,
                                         Sound::CRASH, Sound::RIDE, Sound::CHINA, Sound::SPLASH};

// A kit of n drums spread over the picture: the first a hi-hat, the second a kick, the rest
// hand drums on a grid.
void BuildKit(Drumkit& kit, int n) {
  static skyt_test::ScopedChdir* in = nullptr;
  if (!in) in = new skyt_test::ScopedChdir(skyt_test::FreshDir("bench_drumming"));
  skyt_test::ResetSound();
  kit.Init();
  std::vector<skyt_test::KitDrum> drums;
  std::ostringstream cal;
  drums.push_back({"Hat", Sound::HIHAT, 2, skyt_test::AddElement(Sound::HIHAT, 2, 3)});
  cal << "Drum0.x = 60\nDrum0.y = 120\nDrum0.size = 4\nDrum0.foot_x = 90\nDrum0.foot_y = 225\nDrum0.foot_size = 5\n";
  drums.push_back({"Kick", Sound::KICK, 1, skyt_test::AddElement(Sound::KICK, 1, 3)});
  cal << "Drum1.foot_x = 200\nDrum1.foot_y = 225\nDrum1.foot_size = 5\n";
  for (int i = 2; i < n; ++i) {
    Sound::ElementType t = kHandTypes[i % 8];
    drums.push_back({"Drum" + std::to_string(i), t, 0, skyt_test::AddElement(t, 0, 3)});
    cal << "Drum" << i << ".x = " << 40 + (i * 37) % 250 << "\nDrum" << i << ".y = " << 50 + (i * 23) % 120
        << "\nDrum" << i << ".size = " << 3 + (i % 3) << "\n";
  }
  skyt_test::LoadKit(kit, drums, cal.str());
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

// A whole tracking frame: two sticks drumming on the kit and both feet working the pedals.
void BM_DrummerFrame(benchmark::State& state) {
  Drumkit kit;
  BuildKit(kit, int(state.range(0)));
  Drummer d;
  skyt_test::ResetDrummer(d, kit);
  std::vector<float> stick = skyt_test::StrokeTrack(100, 8, 6, 4);
  std::vector<float> foot = skyt_test::StrokeTrack(212, 2, 6, 4);
  DistanceMenu menu;
  menu.buttons.push_back({103, "Menu", 120, 175, 22, true, false});
  int frame = 0;
  float out[2 * 64];
  for (auto _ : state) {
    size_t k = size_t(frame++) % stick.size();
    Webcam::Blob blobs[4] = {skyt_test::Blob(250, stick[k]), skyt_test::Blob(60, stick[(k + 5) % stick.size()]),
                             skyt_test::Blob(200, foot[k], 5), skyt_test::Blob(90, foot[(k + 3) % foot.size()], 5)};
    DistanceMenu::UpdateButtonActivation();
    d.Drum(blobs, 4, nullptr, &menu, false);
    if (frame % 16 == 0) {
      state.PauseTiming();
      sound.audio.StopAllSounds(false);
      sound.audio.RenderOffline(out, 64);
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_DrummerFrame)->Arg(5)->Arg(12)->Arg(30);

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
