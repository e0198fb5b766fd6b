// The kit library: choosing the largest preset kit (Big Jazz Kit, 11 drums) from the installed
// elements after a kit with none of its elements, until the call returns and until every
// sample is in memory, beside `cat` reading the same element files and the decompression
// floor; and listing a folder of 1000 kits.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

#include "bench/kit_load_floors.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "library/drumkit_chooser.h"
#include "library/library_calls.h"
#include "sound/sound.h"
#include "tests/support/test_dirs.h"

namespace {

const char* const kBigJazzKit[] = {"12in bop snare", "14in bop tom",   "14in bop kick",
                                   "20in ride",      "20in ride bell", "18in crash",
                                   "13in hi-hats",   "12in bop tom",   "12in bop cross-stick",
                                   "10in bop tom",   "19in china"};
const char kKitName[] = "Big Jazz Kit (RH)";
// Every other installed element: choosing this kit unloads all of the Big Jazz Kit's.
const char* const kOtherKit[] = {"12in bop snare (no rimshots)", "10in piccolo snare", "20in punch kick",
                                 "8in bop tom", "10in rock tom", "12in rock tom", "14in rock tom", "12in splash",
                                 "8in splash", "8in cowbell", "9in tambourine", "13in hi-hat foot splash"};
const char kOtherKitName[] = "Bench Other Kit";

template <size_t N>
std::string KitFile(const std::string& name, bool preset, const char* const (&elements)[N]) {
  std::string text = "[Drumkit]\nName = " + name + "\nIs_Preset = " + (preset ? "yes" : "no") + "\n\n";
  for (size_t d = 0; d < N; ++d) text += "Drum" + std::to_string(d) + ".element = " + elements[d] + "\n";
  return text + "\n[Drumkit calibration]\n";
}
std::string KitFile(const std::string& name, bool preset) { return KitFile(name, preset, kBigJazzKit); }

// An installation in the build folder (kept while up to date) with the preset kit in it.
const std::string& InstallDir() {
  static const std::string dir = [] {
    const std::string dest = std::string(SKYT_BENCH_BUILD_DIR) + "/bench_kit_install";
    const std::string command = std::string("bash '") + SKYT_BENCH_SOURCE_DIR + "/tools/install.sh' '" + dest +
                                "' '" + SKYT_BENCH_BUILD_DIR + "' > /dev/null";
    if (std::system(command.c_str()) != 0) return std::string();
    skyt_test::WriteFile(dest + "/conf/drumkits/Big_Jazz_Kit__RH_.ini", KitFile(kKitName, true));
    skyt_test::WriteFile(dest + "/conf/drumkits/Bench_Other_Kit.ini", KitFile(kOtherKitName, false, kOtherKit));
    return dest;
  }();
  return dir;
}

// The loader's progress lines go to /dev/null while a benchmark runs.
class QuietStdout {
 public:
  QuietStdout() : saved_(dup(1)) {
    fflush(stdout);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    dup2(null, 1);
    close(null);
  }
  ~QuietStdout() {
    fflush(stdout);
    dup2(saved_, 1);
    close(saved_);
  }

 private:
  int saved_;
};

void PrepareDrummer() {
  InstallLibraryCalls();
  drummer.kit = &drumkit;
  drummer.kit_library = &drumkit_chooser;
  drumkit_chooser.Init();
  drumkit_chooser.BuildDrumkitList(false);
}

bool AllSamplesLoaded() {
  for (const auto& e : sound.elements)
    if (!e.free && e.samples)
      for (const auto& set : e.samples->sets)
        for (const auto& sample : set)
          if (!sample.sound.IsLoaded()) return false;
  return true;
}

std::vector<std::string> BigJazzKitPaths() {
  std::vector<std::string> paths;
  for (const char* name : kBigJazzKit) paths.push_back(InstallDir() + "/data/elements/" + name + ".ele");
  return paths;
}

void WaitForSamples() {
  while (!AllSamplesLoaded()) std::this_thread::sleep_for(std::chrono::microseconds(10));
}

// Choosing the Big Jazz Kit while the other kit is loaded, so that every element is read each
// time (elements are shared by path: choosing a kit again reads nothing). Medians per load:
// playable_ms until ChooseDrumkit returns (heads in, the kit plays), and, in the same machine
// state, cat_ms for `cat` reading the kit's element files and floor_ms for FastLZ decompressing
// all their blocks from memory with four threads; ratio_floor and ratio_cat divide the load
// (until every sample is in, or until the call returns) by them.
void ChooseBigJazzKit(benchmark::State& state, bool wait_for_samples) {
  if (InstallDir().empty()) return state.SkipWithError("could not install the elements");
  const std::vector<std::string> paths = BigJazzKitPaths();
  kit_floors::Decompression floor;
  if (!floor.Load(paths)) return state.SkipWithError("could not read the element files");
  skyt_test::ScopedChdir in(InstallDir());
  QuietStdout quiet;
  PrepareDrummer();
  std::vector<double> load, playable, cat, unpack;
  for (auto _ : state) {
    state.PauseTiming();
    if (!drummer.ChooseDrumkit(kOtherKitName, false)) return state.SkipWithError("the other kit did not load");
    WaitForSamples();
    cat.push_back(kit_floors::CatSeconds(paths));
    unpack.push_back(floor.Run(4));
    if (cat.back() < 0 || unpack.back() < 0) return state.SkipWithError("a floor failed");
    state.ResumeTiming();
    const auto t0 = std::chrono::steady_clock::now();
    if (!drummer.ChooseDrumkit(kKitName, false)) return state.SkipWithError("the kit did not load");
    playable.push_back(kit_floors::SecondsSince(t0));
    if (!wait_for_samples) state.PauseTiming();
    WaitForSamples();
    if (wait_for_samples) load.push_back(kit_floors::SecondsSince(t0));
    if (!wait_for_samples) state.ResumeTiming();
  }
  sound.audio.StopRawThreads();
  const double done = kit_floors::Median(wait_for_samples ? load : playable);
  state.counters["playable_ms"] = 1e3 * kit_floors::Median(playable);
  state.counters["cat_ms"] = 1e3 * kit_floors::Median(cat);
  state.counters["floor_ms"] = 1e3 * kit_floors::Median(unpack);
  state.counters["ratio_floor"] = done / kit_floors::Median(unpack);
  state.counters["ratio_cat"] = done / kit_floors::Median(cat);
}

// Until ChooseDrumkit returns (the heads loaded, the samples loading behind it).
void BM_ChooseDrumkitReturns(benchmark::State& state) { ChooseBigJazzKit(state, false); }
BENCHMARK(BM_ChooseDrumkitReturns)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ChooseDrumkitAllSamples(benchmark::State& state) { ChooseBigJazzKit(state, true); }
BENCHMARK(BM_ChooseDrumkitAllSamples)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ListThousandKits(benchmark::State& state) {
  const std::string dir = skyt_test::FreshDir("bench_thousand_kits");
  skyt_test::ScopedChdir in(dir);
  if (std::system("mkdir -p conf/drumkits data/elements") != 0) return state.SkipWithError("no kit folder");
  for (int k = 0; k < 1000; ++k)
    skyt_test::WriteFile("conf/drumkits/Kit_" + std::to_string(k) + ".ini", KitFile("Kit " + std::to_string(k), false));
  DrumkitChooser chooser;
  for (auto _ : state) {
    chooser.BuildDrumkitList(false);
    benchmark::DoNotOptimize(chooser.drumkits.data());
  }
  if (chooser.drumkits.size() != 1000) state.SkipWithError("not every kit was listed");
}
BENCHMARK(BM_ListThousandKits)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
