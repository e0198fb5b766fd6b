// The floors a kit load is measured against, for the benchmarks that load kits: `cat` reading
// the element files (started directly, without a shell), and FastLZ decompressing every block
// of the same files from memory with four threads, as many as the sample loaders.
#pragma once
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "fastlz.h"

extern char** environ;

namespace kit_floors {

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

inline double SecondsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// `cat` reading `paths` to /dev/null; its wall time in seconds, or -1 when it failed.
inline double CatSeconds(const std::vector<std::string>& paths) {
  std::vector<char*> argv = {const_cast<char*>("cat")};
  for (const std::string& p : paths) argv.push_back(const_cast<char*>(p.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto t0 = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, "cat", &actions, nullptr, argv.data(), environ);
  int status = 1;
  if (!failed) waitpid(pid, &status, 0);
  const double seconds = SecondsSince(t0);
  posix_spawn_file_actions_destroy(&actions);
  return !failed && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1.0;
}

// Every block of a set of element files held in memory, and where its bytes go.
class Decompression {
 public:
  // False when a file cannot be read or is not an element file.
  bool Load(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
      std::ifstream in(path, std::ios::binary);
      files_.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      if (!Parse(files_.back())) return false;
    }
    out_.assign(out_bytes_, 0);  // mapped once, as the loaders' kept sample buffers are
    return !blocks_.empty();
  }

  // Decompresses every block with `threads` threads taking blocks in file order; seconds.
  double Run(int threads) {
    std::atomic<size_t> next{0};
    std::atomic<bool> ok{true};
    const auto t0 = std::chrono::steady_clock::now();
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
      pool.emplace_back([&] {
        for (size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < blocks_.size();)
          if (!Unpack(blocks_[i])) ok = false;
      });
    for (std::thread& t : pool) t.join();
    const double seconds = SecondsSince(t0);
    return ok ? seconds : -1.0;
  }

  size_t Blocks() const { return blocks_.size(); }
  size_t RawBytes() const { return out_bytes_; }

 private:
  struct Block {
    const uint8_t* src;
    uint32_t stored, raw;
    size_t out;
  };
  static constexpr uint32_t kStored = 0xFFFFFFFFu;

  bool Unpack(const Block& b) {
    uint8_t* dest = out_.data() + b.out;
    if (b.stored == kStored || b.raw < 16) {
      std::memcpy(dest, b.src, b.raw);
      return true;
    }
    return fastlz_decompress(b.src, static_cast<int>(b.stored), dest, static_cast<int>(b.raw)) ==
           static_cast<int>(b.raw);
  }

  static bool U32(const std::vector<uint8_t>& f, size_t at, uint32_t& v) {
    if (at + 4 > f.size()) return false;
    v = f[at] | f[at + 1] << 8 | f[at + 2] << 16 | static_cast<uint32_t>(f[at + 3]) << 24;
    return true;
  }

  // One block at `at`; moves `at` past it. False at a terminator or damage.
  bool TakeBlock(const std::vector<uint8_t>& f, size_t& at) {
    uint32_t stored = 0, raw = 0;
    if (!U32(f, at, stored) || !U32(f, at + 4, raw) || static_cast<int32_t>(raw) < 1) return false;
    const size_t bytes = stored == kStored || raw < 16 ? raw : stored;
    if (at + 8 + bytes > f.size()) return false;
    blocks_.push_back({f.data() + at + 8, stored, raw, out_bytes_});
    out_bytes_ += raw;
    at += 8 + bytes;
    return true;
  }

  // "ELE0", type, category, set count; per set its samples: level, frames, head block, rest
  // offset; the rest's chunks end at a terminator.
  bool Parse(const std::vector<uint8_t>& f) {
    uint32_t sets = 0;
    if (f.size() < 16 || std::memcmp(f.data(), "ELE0", 4) != 0 || !U32(f, 12, sets)) return false;
    size_t at = 16;
    std::vector<uint32_t> rests;
    for (uint32_t s = 0; s < sets; ++s) {
      uint32_t samples = 0;
      if (!U32(f, at, samples)) return false;
      at += 4;
      for (uint32_t i = 0; i < samples; ++i) {
        uint32_t frames = 0, head_raw = 0, rest = 0;
        if (!U32(f, at + 4, frames) || !U32(f, at + 12, head_raw)) return false;
        at += 8;
        if (head_raw == 0)
          at += 8;
        else if (!TakeBlock(f, at))
          return false;
        if (!U32(f, at, rest)) return false;
        at += 4;
        if (head_raw / 4 < frames) rests.push_back(rest);
      }
    }
    for (uint32_t rest : rests)
      for (size_t chunk = rest; TakeBlock(f, chunk);) {
      }
    return true;
  }

  std::vector<std::vector<uint8_t>> files_;
  std::vector<Block> blocks_;
  size_t out_bytes_ = 0;
  std::vector<uint8_t> out_;
};

}  // namespace kit_floors
