// Loading the elements of the largest preset kit (Big Jazz Kit, 11 drums) from the installed
// element files: the heads that a kit load waits for, and the whole samples with the four
// loader threads beside `cat` reading the same files. Also the cost of one hit.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "sound/midi.h"
#include "sound/sound.h"

namespace {

const char* const kBigJazzKit[] = {"12in bop snare", "14in bop tom",   "14in bop kick",
                                   "20in ride",      "20in ride bell", "18in crash",
                                   "13in hi-hats",   "12in bop tom",   "12in bop cross-stick",
                                   "10in bop tom",   "19in china"};

// Builds the elements once into the build folder (kept while up to date).
const std::string& ElementsDir() {
  static const std::string dir = [] {
    std::string dest = std::string(SKYT_BENCH_BUILD_DIR) + "/bench_install";
    std::string command = std::string("bash '") + SKYT_BENCH_SOURCE_DIR +
                          "/tools/install.d/30-elements.sh' '" + SKYT_BENCH_SOURCE_DIR + "' '" +
                          dest + "' '" + SKYT_BENCH_BUILD_DIR + "' > /dev/null";
    if (std::system(command.c_str()) != 0) return std::string();
    return dest + "/data/elements/";
  }();
  return dir;
}

std::vector<int> LoadKit(Sound& s) {
  std::vector<int> slots;
  for (const char* name : kBigJazzKit)
    slots.push_back(s.LoadElement((ElementsDir() + name + ".ele").c_str(), 0, 0, 100, 0, 100));
  return slots;
}

void WaitAllLoaded(const Sound& s) {
  for (const auto& e : s.elements)
    if (e.samples)
      for (const auto& set : e.samples->sets)
        for (const auto& sample : set)
          while (!sample.sound.IsLoaded()) std::this_thread::sleep_for(std::chrono::microseconds(100));
}

void BM_LoadBigJazzKitHeads(benchmark::State& state) {
  if (ElementsDir().empty()) return state.SkipWithError("could not install the elements");
  Sound s;
  for (auto _ : state) {
    std::vector<int> slots = LoadKit(s);
    benchmark::DoNotOptimize(slots.data());
    state.PauseTiming();
    for (int slot : slots) s.UnloadElement(slot);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LoadBigJazzKitHeads)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadBigJazzKitComplete(benchmark::State& state) {
  if (ElementsDir().empty()) return state.SkipWithError("could not install the elements");
  Sound s;
  for (auto _ : state) {
    std::vector<int> slots = LoadKit(s);
    s.audio.StartRawThreads(4);
    WaitAllLoaded(s);
    state.PauseTiming();
    s.audio.StopRawThreads();
    for (int slot : slots) s.UnloadElement(slot);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LoadBigJazzKitComplete)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor for the line above, in the same run: `cat` reading the same files to /dev/null.
void BM_CatBigJazzKitElements(benchmark::State& state) {
  if (ElementsDir().empty()) return state.SkipWithError("could not install the elements");
  std::string command = "cat";
  for (const char* name : kBigJazzKit) command += " '" + ElementsDir() + name + ".ele'";
  command += " > /dev/null";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) return state.SkipWithError("cat failed");
}
BENCHMARK(BM_CatBigJazzKitElements)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlayElementHit(benchmark::State& state) {
  if (ElementsDir().empty()) return state.SkipWithError("could not install the elements");
  midi_mode = 0;
  Sound s;
  s.SetDrumsVolume(80);
  int slot = s.LoadElement((ElementsDir() + "13in hi-hats.ele").c_str(), 0, 0, 100, 0, 100);
  s.audio.BeginOffline(64);
  float velocity = 0.0f;
  for (auto _ : state) {
    s.PlayElement(slot, velocity, 1, 0.6f, 0.0f);
    velocity = velocity > 0.95f ? 0.05f : velocity + 0.01f;
  }
  s.audio.StopAllSounds(false);
  s.audio.EndOffline();
  s.UnloadElement(slot);
}
BENCHMARK(BM_PlayElementHit);

}  // namespace
