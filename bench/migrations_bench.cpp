// The start-up migrations: a first start on a fresh installation (the presets and maps are
// written, the markers set) and a start after they have all run (the markers are read).
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <filesystem>

#include "library/migrations.h"
#include "tests/support/test_dirs.h"

namespace {

// The shipped settings of the source tree, in a fresh installation folder of the bench.
void FreshInstallation(const std::string& dir) {
  static const std::string shipped = skyt_test::ReadFile(std::string(SKYT_BENCH_SOURCE_DIR) + "/assets/conf/skytapper.cfg");
  std::filesystem::remove_all(dir + "/conf");
  for (const char* d : {"/conf", "/conf/drumkits", "/conf/midi-maps"}) mkdir((dir + d).c_str(), 0755);
  skyt_test::WriteFile(dir + "/conf/skytapper.cfg", shipped);
}

void StartUp() {
  PatchShinsForBatch2();
  PatchLampForBatch2(true);
  PatchMidiMaps(true);
  Patch3D(true);
  PatchMay2021();
}

void BM_FirstStartMigrations(benchmark::State& state) {
  const std::string dir = std::filesystem::absolute(skyt_test::FreshDir("bench_migrations_first"));
  skyt_test::ScopedChdir in(dir);
  for (auto _ : state) {
    state.PauseTiming();
    FreshInstallation(dir);
    state.ResumeTiming();
    StartUp();
  }
}
BENCHMARK(BM_FirstStartMigrations)->Unit(benchmark::kMillisecond);

void BM_MigratedStart(benchmark::State& state) {
  const std::string dir = std::filesystem::absolute(skyt_test::FreshDir("bench_migrations_done"));
  skyt_test::ScopedChdir in(dir);
  FreshInstallation(dir);
  StartUp();
  const std::string cfg = skyt_test::ReadFile("conf/skytapper.cfg");
  skyt_test::WriteFile("conf/skytapper.cfg", "[Session]\nNever_Ran = false\n" + cfg.substr(cfg.find("Wants_Startup_Help")));
  for (auto _ : state) StartUp();
}
BENCHMARK(BM_MigratedStart)->Unit(benchmark::kMillisecond);

}  // namespace
