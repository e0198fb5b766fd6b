// Loading the elements of the largest preset kit (Big Jazz Kit, 11 drums) from the installed
// element files: the heads that a kit load waits for, and the whole samples with the four
// loader threads beside `cat` reading the same files and the decompression floor. Also the
// cost of one hit.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/kit_load_floors.h"
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
          while (!sample.sound.IsLoaded()) std::this_thread::sleep_for(std::chrono::microseconds(10));
}

std::vector<std::string> KitPaths() {
  std::vector<std::string> paths;
  for (const char* name : kBigJazzKit) paths.push_back(ElementsDir() + name + ".ele");
  return paths;
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

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + 1e-6 * t.tv_usec; }

// The whole kit with the four loader threads, from no element loaded, the caller waiting
// (helps:0, as after a kit change) or reading beside them (helps:1, as before an export). Each
// iteration also times, in the same machine state, `cat` reading the same files and FastLZ
// decompressing every block of them from memory with four threads (the floor). Medians:
// playable_ms until every element's heads are in (the kit plays), cat_ms, floor_ms;
// ratio_floor = load / floor, ratio_cat = load / cat. user_ms and sys_ms are the whole
// process's CPU time per load.
void BM_LoadBigJazzKitComplete(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  if (ElementsDir().empty()) return state.SkipWithError("could not install the elements");
  const std::vector<std::string> paths = KitPaths();
  kit_floors::Decompression floor;
  if (!floor.Load(paths)) return state.SkipWithError("could not read the element files");
  Sound s;
  std::vector<double> load, playable, cat, unpack;
  double user = 0, sys = 0;
  for (auto _ : state) {
    rusage r0, r1;
    getrusage(RUSAGE_SELF, &r0);
    const auto t0 = Clock::now();
    std::vector<int> slots = LoadKit(s);
    playable.push_back(kit_floors::SecondsSince(t0));
    s.audio.StartRawThreads(4);
    if (state.range(0)) s.audio.FinishRawLoading();
    WaitAllLoaded(s);
    load.push_back(kit_floors::SecondsSince(t0));
    getrusage(RUSAGE_SELF, &r1);
    user += Seconds(r1.ru_utime) - Seconds(r0.ru_utime);
    sys += Seconds(r1.ru_stime) - Seconds(r0.ru_stime);
    state.PauseTiming();
    s.audio.StopRawThreads();
    for (int slot : slots) s.UnloadElement(slot);
    cat.push_back(kit_floors::CatSeconds(paths));
    unpack.push_back(floor.Run(4));
    if (cat.back() < 0 || unpack.back() < 0) return state.SkipWithError("a floor failed");
    state.ResumeTiming();
  }
  const double n = static_cast<double>(load.size());
  state.counters["playable_ms"] = 1e3 * kit_floors::Median(playable);
  state.counters["cat_ms"] = 1e3 * kit_floors::Median(cat);
  state.counters["floor_ms"] = 1e3 * kit_floors::Median(unpack);
  state.counters["ratio_floor"] = kit_floors::Median(load) / kit_floors::Median(unpack);
  state.counters["ratio_cat"] = kit_floors::Median(load) / kit_floors::Median(cat);
  state.counters["raw_mb"] = static_cast<double>(floor.RawBytes()) / (1 << 20);
  state.counters["user_ms"] = 1e3 * user / n;
  state.counters["sys_ms"] = 1e3 * sys / n;
}
BENCHMARK(BM_LoadBigJazzKitComplete)->Arg(0)->Arg(1)->ArgName("helps")->Unit(benchmark::kMillisecond)->UseRealTime();

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
