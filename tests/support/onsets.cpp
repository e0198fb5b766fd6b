// Sound starts in a recording: energy windows find them, the first loud sample places them.
#include "tests/support/onsets.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "tests/support/test_dirs.h"

namespace skyt_test {

namespace {

constexpr int kWindow = kWavRate / 200;

uint32_t U32(const std::string& b, size_t at) {
  uint32_t v;
  memcpy(&v, &b[at], 4);
  return v;
}

// The louder channel of each frame of the data chunk.
std::vector<int> Frames(const std::string& bytes) {
  std::vector<int> frames;
  for (size_t at = 12; at + 8 <= bytes.size(); at += 8 + U32(bytes, at + 4)) {
    if (bytes.compare(at, 4, "data") != 0) continue;
    const size_t end = std::min(bytes.size(), at + 8 + U32(bytes, at + 4));
    for (size_t s = at + 8; s + 4 <= end; s += 4) {
      int16_t l, r;
      memcpy(&l, &bytes[s], 2);
      memcpy(&r, &bytes[s + 2], 2);
      frames.push_back(std::max(std::abs(int(l)), std::abs(int(r))));
    }
    break;
  }
  return frames;
}

double Energy(const std::vector<int>& frames, size_t from) {
  double energy = 0;
  for (size_t i = from; i < from + kWindow; ++i) energy += double(frames[i]) * frames[i];
  return energy / kWindow;
}

// The first frame from the window before `window` that is twice as loud as any of the window
// before that (and clearly above silence).
int FirstLoud(const std::vector<int>& frames, size_t window) {
  const size_t from = window >= kWindow ? window - kWindow : 0;
  const size_t quiet = from >= kWindow ? from - kWindow : 0;
  const auto q = frames.begin() + quiet;
  const int level = 2 * *std::max_element(q, std::max(q + 1, frames.begin() + from)) + 100;
  for (size_t i = from; i < window + kWindow; ++i)
    if (frames[i] > level) return int(i);
  return int(window);
}

}  // namespace

std::vector<int> Onsets(const std::string& path) {
  const std::vector<int> frames = Frames(ReadFile(path));
  std::vector<int> starts;
  double before = 0;
  for (size_t at = 0; at + kWindow <= frames.size(); at += kWindow) {
    const double energy = Energy(frames, at);
    const bool quiet_since = starts.empty() || int(at) - starts.back() > kWavRate * 15 / 100;
    if (energy > 1e4 && energy > 10 * before && quiet_since) starts.push_back(FirstLoud(frames, at));
    before = energy;
  }
  return starts;
}

}  // namespace skyt_test
