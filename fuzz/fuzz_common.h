// Shared by the fuzz targets: a private scratch folder, file helpers, and the seed inputs a
// target generates for itself (written when SKYT_FUZZ_SEEDS names a folder, see tools/fuzz.sh).
#pragma once
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "frame/frame_globals.h"
#include "tests/support/wav_image.h"

namespace fuzz {

using Bytes = std::vector<uint8_t>;

// Stops the run with a message when an invariant of the code under test does not hold; the
// fuzzer records the input as a crash.
#define FUZZ_CHECK(cond)                                                              \
  do {                                                                                \
    if (!(cond)) {                                                                    \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);        \
      abort();                                                                        \
    }                                                                                 \
  } while (0)

// A fresh folder of this process under the system's temporary folder, removed at exit.
inline const std::string& ScratchDir() {
  static std::string dir = [] {
    std::string templ = (std::filesystem::temp_directory_path() / "skyt_fuzz_XXXXXX").string();
    if (!mkdtemp(templ.data())) abort();
    static std::string* keep = new std::string(templ);
    atexit([] { std::error_code ec; std::filesystem::remove_all(*keep, ec); });
    return templ;
  }();
  return dir;
}

inline void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}
inline void WriteFile(const std::string& path, const std::string& text) {
  WriteFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

using skyt_test::PutU32;
inline void PutF32(Bytes& out, float f) {
  uint32_t v;
  memcpy(&v, &f, 4);
  PutU32(out, v);
}
inline void PutStr(Bytes& out, const std::string& s) {
  PutU32(out, static_cast<uint32_t>(s.size()));
  out.insert(out.end(), s.begin(), s.end());
}

// A canonical 44-byte-header PCM WAV image.
inline Bytes Wav(int channels, int rate, int bits, const std::vector<int>& values) {
  return skyt_test::WavImage(channels, static_cast<uint32_t>(rate), bits, skyt_test::PcmBytes(values, bits));
}

// A stereo 16-bit tone of `frames` frames with a little deterministic noise.
inline std::vector<int> Tone(int frames, int peak, uint32_t seed) {
  std::vector<int> v(2 * static_cast<size_t>(frames));
  uint32_t state = seed;
  for (size_t i = 0; i < v.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    v[i] = (((i / 2) / 40) % 2 ? peak : -peak) + static_cast<int>(state >> 29);
  }
  return v;
}

// When SKYT_FUZZ_SEEDS names a folder, `make` writes the target's seeds there (file name,
// bytes) and the process ends; otherwise nothing happens.
template <typename Make>
void MaybeWriteSeeds(Make make) {
  const char* dir = getenv("SKYT_FUZZ_SEEDS");
  if (!dir || !*dir) return;
  std::vector<std::pair<std::string, Bytes>> seeds;
  make(seeds);
  for (const auto& [name, bytes] : seeds) WriteFile(std::string(dir) + "/" + name, bytes.data(), bytes.size());
  printf("wrote %zu seeds to %s\n", seeds.size(), dir);
  fflush(stdout);
  _exit(0);
}

// Program output (diagnostics of damaged files) would drown the fuzzer's own: silenced unless
// SKYT_FUZZ_VERBOSE is set.
inline void QuietStdout() {
  if (getenv("SKYT_FUZZ_VERBOSE")) return;
  if (!freopen("/dev/null", "w", stdout)) abort();
}

// Program output silenced and the process working in its scratch folder.
inline void StartInScratchDir() {
  QuietStdout();
  if (chdir(ScratchDir().c_str()) != 0) abort();
}

// The same, the scratch folder being the program's installation folder too.
inline void InstallInScratchDir() {
  StartInScratchDir();
  installation_directory = ScratchDir();
}

}  // namespace fuzz
