#include "sound/sample_memory.h"

#include <new>

namespace {
// Each buffer starts with its size in values, one 16-byte header ahead of the data.
constexpr size_t kHeaderValues = 8;

size_t& SizeOf(int16_t* data) { return *reinterpret_cast<size_t*>(data - kHeaderValues); }
}  // namespace

SampleMemory::~SampleMemory() {
  for (const Block& b : kept_) delete[] (b.data - kHeaderValues);
}

int16_t* SampleMemory::Take(size_t values) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    size_t best = kept_.size();
    for (size_t i = 0; i < kept_.size(); ++i)
      if (kept_[i].values >= values && kept_[i].values - values <= values / 8 &&
          (best == kept_.size() || kept_[i].values < kept_[best].values))
        best = i;
    if (best < kept_.size()) {
      int16_t* data = kept_[best].data;
      kept_bytes_ -= 2 * kept_[best].values;
      kept_[best] = kept_.back();
      kept_.pop_back();
      return data;
    }
  }
  int16_t* block = new (std::nothrow) int16_t[kHeaderValues + values];
  if (!block) return nullptr;
  SizeOf(block + kHeaderValues) = values;
  return block + kHeaderValues;
}

void SampleMemory::Give(int16_t* data) {
  if (!data) return;
  const size_t values = SizeOf(data);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (kept_bytes_ + 2 * values <= kKeptBytes) {
      kept_.push_back({data, values});
      kept_bytes_ += 2 * values;
      return;
    }
  }
  delete[] (data - kHeaderValues);
}

size_t SampleMemory::KeptBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return kept_bytes_;
}
