// Buffers of element samples, kept when a sample is freed so that the next kit load writes into
// pages that are already mapped: a fresh page costs its loader more to fault in and zero than
// to fill, and loaders faulting pages of one process at once wait for each other's locks.
// At most kKeptBytes stay kept; what does not fit is freed at once, the rest with the owner.
// Any thread may call it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class SampleMemory {
 public:
  static constexpr size_t kKeptBytes = size_t{32} << 20;

  SampleMemory() = default;
  ~SampleMemory();
  SampleMemory(const SampleMemory&) = delete;
  SampleMemory& operator=(const SampleMemory&) = delete;

  // A buffer of at least `values` values (a kept one when one is no more than an eighth
  // larger, the smallest such); nullptr when memory runs out. Its contents are undefined.
  int16_t* Take(size_t values);
  // Hands back a buffer from Take (nullptr is ignored).
  void Give(int16_t* data);
  size_t KeptBytes() const;

 private:
  struct Block {
    int16_t* data;
    size_t values;
  };
  mutable std::mutex mutex_;
  std::vector<Block> kept_;  // under mutex_
  size_t kept_bytes_ = 0;    // under mutex_
};
