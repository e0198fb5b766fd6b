// Export speed: a one-minute performance (a hit every 125 ms on two elements, no device)
// rendered to a WAV file, as a real-time factor by wall-clock time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/paths.h"
#include "sound/sound.h"
#include "tests/sound/element_test_util.h"

namespace {

void PutString(std::vector<uint8_t>& b, const std::string& s) {
  element_test::PutU32(b, static_cast<uint32_t>(s.size()));
  for (char c : s) b.push_back(static_cast<uint8_t>(c));
}

// Makes the element files and the recording in a scratch folder (the working directory).
bool Prepare() {
  char tmpl[] = "/tmp/skyt_export_bench_XXXXXX";
  const char* dir = mkdtemp(tmpl);
  if (!dir || chdir(dir) != 0) return false;
  std::filesystem::create_directories("data/elements");
  std::vector<std::string> paths;
  for (int e = 0; e < 2; ++e) {
    const std::string folder = "samples/e" + std::to_string(e);
    for (const char* sub : {"l", "r"})
      for (int layer = 0; layer < 3; ++layer)
        element_test::WriteWav(folder + "/" + sub + "/" + std::to_string(layer) + ".wav",
                               element_test::Tone(30000, 4000 + 6000 * layer, layer + e + 1));
    paths.push_back(MakePath(kPathElements, "e" + std::to_string(e) + ".ele"));
    if (!sound.ConvertElement(paths.back().c_str(), folder, Sound::SNARE, Sound::CATEGORY_HAND, nullptr))
      return false;
  }
  std::vector<uint8_t> b = {'S', 'E', 'L', '1'};
  const int hits = 480;
  element_test::PutU32(b, hits);
  element_test::PutF32(b, 60.0f);
  element_test::PutU32(b, 0xFFFFFFFFu);
  PutString(b, "bench");
  PutString(b, "kit");
  element_test::PutF32(b, 0.0f);
  element_test::PutU32(b, 2);
  for (int e = 0; e < 2; ++e) {
    element_test::PutU32(b, e);
    PutString(b, paths[e]);
    for (int v : {0, 100, 0, 100}) element_test::PutU32(b, v);
    element_test::PutF32(b, e ? 0.5f : -0.5f);
  }
  for (int i = 0; i < hits; ++i) {
    element_test::PutF32(b, 0.25f + 0.125f * i);
    element_test::PutU32(b, 3);
    element_test::PutU32(b, i % 2);
    element_test::PutF32(b, (i % 8) / 8.0f + 0.1f);
    element_test::PutU32(b, i % 2);
    element_test::PutF32(b, 0.0f);
  }
  element_test::WriteBytes("recordings/minute.sel", b);
  return true;
}

// One export of the whole performance; the frames written.
int64_t ExportOnce() {
  sound.OpenPerformanceWav("minute.wav", false);
  int progress = 0;
  while (progress >= 0 && progress < 100) progress = sound.PartialWritePerformanceWav();
  const int64_t frames = sound.wav_written_frames;
  sound.ClosePerformanceWav();
  return frames;
}

// Each iteration is one whole export by wall-clock time; realtime_factor is the median of the
// exports' audio seconds per wall second (min and max beside it). The engine is set up as in a
// program without a sound device, so every export renders in 256-frame buffers: an engine
// never set up has a buffer size of 1 frame, and its first export (only that one; ending it
// leaves no buffer size) rendered 2.7 million one-frame buffers, 0.3-0.7 s of main-thread CPU
// time, which alone passed the minimum time and became the whole line in some runs. One export
// runs untimed first, for the samples to load.
void BM_ExportOneMinute(benchmark::State& state) {
  static const bool ready = Prepare();
  if (!ready) return state.SkipWithError("could not prepare the performance");
  sound.audio.CleanUp(false);
  sound.SetMasterVolume(40);
  sound.SetDrumsVolume(80);
  sound.audio.SetReverbAmount(state.range(0) ? 0.3f : 0.0f);
  sound.audio.StartRawThreads(4);
  if (!sound.LoadPerformance("recordings/minute.sel")) return state.SkipWithError("load failed");
  ExportOnce();
  std::vector<double> factors;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const int64_t frames = ExportOnce();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(seconds);
    factors.push_back(static_cast<double>(frames) / 44100.0 / seconds);
  }
  std::sort(factors.begin(), factors.end());
  state.counters["realtime_factor"] = factors[factors.size() / 2];
  state.counters["realtime_min"] = factors.front();
  state.counters["realtime_max"] = factors.back();
  state.counters["exports"] = static_cast<double>(factors.size());
  sound.UnloadPerformance();
}
BENCHMARK(BM_ExportOneMinute)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("reverb")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(2.0);

}  // namespace
