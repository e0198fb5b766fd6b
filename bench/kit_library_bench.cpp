// The kit library: choosing the largest preset kit (Big Jazz Kit, 11 drums) from the installed
// elements, until the call returns and until every sample is in memory, beside `cat` reading
// the same element files; and listing a folder of 1000 kits.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

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

std::string KitFile(const std::string& name, bool preset) {
  std::string text = "[Drumkit]\nName = " + name + "\nIs_Preset = " + (preset ? "yes" : "no") + "\n\n";
  for (size_t d = 0; d < std::size(kBigJazzKit); ++d)
    text += "Drum" + std::to_string(d) + ".element = " + kBigJazzKit[d] + "\n";
  return text + "\n[Drumkit calibration]\n";
}

// An installation in the build folder (kept while up to date) with the preset kit in it.
const std::string& InstallDir() {
  static const std::string dir = [] {
    const std::string dest = std::string(SKYT_BENCH_BUILD_DIR) + "/bench_kit_install";
    const std::string command = std::string("bash '") + SKYT_BENCH_SOURCE_DIR + "/tools/install.sh' '" + dest +
                                "' '" + SKYT_BENCH_BUILD_DIR + "' > /dev/null";
    if (std::system(command.c_str()) != 0) return std::string();
    skyt_test::WriteFile(dest + "/conf/drumkits/Big_Jazz_Kit__RH_.ini", KitFile(kKitName, true));
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

void ChooseBigJazzKit(benchmark::State& state, bool wait_for_samples) {
  if (InstallDir().empty()) return state.SkipWithError("could not install the elements");
  skyt_test::ScopedChdir in(InstallDir());
  QuietStdout quiet;
  PrepareDrummer();
  for (auto _ : state) {
    if (!drummer.ChooseDrumkit(kKitName, false)) return state.SkipWithError("the kit did not load");
    // Not waited for, the samples still loading would be waited for by the next load.
    if (!wait_for_samples) state.PauseTiming();
    while (!AllSamplesLoaded()) std::this_thread::sleep_for(std::chrono::microseconds(100));
    if (!wait_for_samples) state.ResumeTiming();
  }
  sound.audio.StopRawThreads();
}

// Until ChooseDrumkit returns (the heads loaded, the samples loading behind it).
void BM_ChooseDrumkitReturns(benchmark::State& state) { ChooseBigJazzKit(state, false); }
BENCHMARK(BM_ChooseDrumkitReturns)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ChooseDrumkitAllSamples(benchmark::State& state) { ChooseBigJazzKit(state, true); }
BENCHMARK(BM_ChooseDrumkitAllSamples)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor for the line above: `cat` reading the same element files to /dev/null.
void BM_CatKitElements(benchmark::State& state) {
  if (InstallDir().empty()) return state.SkipWithError("could not install the elements");
  std::string command = "cat";
  for (const char* name : kBigJazzKit) command += " '" + InstallDir() + "/data/elements/" + name + ".ele'";
  command += " > /dev/null";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) return state.SkipWithError("cat failed");
}
BENCHMARK(BM_CatKitElements)->Unit(benchmark::kMillisecond)->UseRealTime();

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
