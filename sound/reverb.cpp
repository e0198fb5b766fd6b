#include "sound/reverb.h"

#include <xmmintrin.h>

#include <cmath>
#include <cstring>

namespace {
const int comb_lengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
const int allpass_lengths[4] = {225, 341, 441, 556};
const int stereo_spread = 12;

// A line's pair at its position as lanes (0, 1) or (2, 3) of a register.
inline __m128 LoadLow(__m128 to, const float* pair) {
  return _mm_loadl_pi(to, reinterpret_cast<const __m64*>(pair));
}
inline __m128 LoadHigh(__m128 to, const float* pair) {
  return _mm_loadh_pi(to, reinterpret_cast<const __m64*>(pair));
}
inline void StoreLow(float* pair, __m128 v) { _mm_storel_pi(reinterpret_cast<__m64*>(pair), v); }
inline void StoreHigh(float* pair, __m128 v) { _mm_storeh_pi(reinterpret_cast<__m64*>(pair), v); }

// Back one pair, from the start of the buffer to its end.
inline void Step(int& position, int size) { position = position == 0 ? size - 1 : position - 1; }
}  // namespace

Reverb::Reverb(int block, float room_scale, float reverberance, float damping) {
  block_ = block < 1 ? 1 : block;
  feedback_ = 1.0f - std::exp((reverberance + 0.10032068f) / -0.28126642f);
  damping_ = damping * 0.3f + 0.2f;
  const float scale = room_scale * 0.9f + 0.1f;
  auto make = [](Line& line, int size) {
    line.size = size < 1 ? 1 : size;
    line.pairs = new float[2 * static_cast<size_t>(line.size)]();
    line.position = 0;
  };
  // The second side's lines are longer or shorter by the spread, in turn.
  for (int side = 0; side < 2; ++side) {
    int s = side;
    for (int i = 0; i < 8; ++i) {
      make(side_[side].comb[i], static_cast<int>((comb_lengths[i] + stereo_spread * s) * scale + 0.5f));
      s = -s;
    }
    for (int j = 0; j < 4; ++j) {
      make(side_[side].allpass[j], static_cast<int>(allpass_lengths[j] + stereo_spread * s + 0.5f));
      s = -s;
    }
  }
  wet_ = new float[4 * static_cast<size_t>(block_)]();
}

Reverb::~Reverb() {
  for (Side& side : side_) {
    for (Line& line : side.comb) delete[] line.pairs;
    for (Line& line : side.allpass) delete[] line.pairs;
  }
  delete[] wet_;
}

// Lanes: left input into side 0, right input into side 0, left into side 1, right into side 1.
// Each lane goes through exactly the operations of one bank on its own, in the same order.
void Reverb::Filter(int frames, const float* left, const float* right) {
  const __m128 feedback = _mm_set1_ps(feedback_);
  const __m128 damping = _mm_set1_ps(damping_);
  const __m128 half = _mm_set1_ps(0.5f);
  Side& a = side_[0];
  Side& b = side_[1];
  // Positions and stores in locals over the block: the lines are written through float
  // pointers, which the compiler must otherwise assume may point at them.
  int comb_a[8], comb_b[8], allpass_a[4], allpass_b[4];
  __m128 store[8];
  for (int i = 0; i < 8; ++i) {
    comb_a[i] = a.comb[i].position;
    comb_b[i] = b.comb[i].position;
    store[i] = _mm_load_ps(store_[i]);
  }
  for (int j = 0; j < 4; ++j) {
    allpass_a[j] = a.allpass[j].position;
    allpass_b[j] = b.allpass[j].position;
  }
  for (int k = 0; k < frames; ++k) {
    const __m128 x = _mm_setr_ps(left[k], right[k], left[k], right[k]);
    __m128 y = _mm_setzero_ps();
#pragma GCC unroll 8
    for (int i = 7; i >= 0; --i) {
      float* pa = a.comb[i].pairs + 2 * comb_a[i];
      float* pb = b.comb[i].pairs + 2 * comb_b[i];
      const __m128 d = LoadHigh(LoadLow(_mm_setzero_ps(), pa), pb);
      store[i] = _mm_add_ps(d, _mm_mul_ps(_mm_sub_ps(store[i], d), damping));
      const __m128 v = _mm_add_ps(x, _mm_mul_ps(store[i], feedback));
      StoreLow(pa, v);
      StoreHigh(pb, v);
      Step(comb_a[i], a.comb[i].size);
      Step(comb_b[i], b.comb[i].size);
      y = _mm_add_ps(y, d);
    }
#pragma GCC unroll 4
    for (int j = 3; j >= 0; --j) {
      float* pa = a.allpass[j].pairs + 2 * allpass_a[j];
      float* pb = b.allpass[j].pairs + 2 * allpass_b[j];
      const __m128 d = LoadHigh(LoadLow(_mm_setzero_ps(), pa), pb);
      const __m128 v = _mm_add_ps(y, _mm_mul_ps(d, half));
      StoreLow(pa, v);
      StoreHigh(pb, v);
      Step(allpass_a[j], a.allpass[j].size);
      Step(allpass_b[j], b.allpass[j].size);
      y = _mm_sub_ps(d, y);
    }
    _mm_storeu_ps(wet_ + 4 * k, y);
  }
  for (int i = 0; i < 8; ++i) {
    a.comb[i].position = comb_a[i];
    b.comb[i].position = comb_b[i];
    _mm_store_ps(store_[i], store[i]);
  }
  for (int j = 0; j < 4; ++j) {
    a.allpass[j].position = allpass_a[j];
    b.allpass[j].position = allpass_b[j];
  }
}

void Reverb::Process(int frames, float* left, float* right, float amount) {
  if (frames > block_) frames = block_;
  if (frames <= 0) return;
  if (!(amount >= 0.0f)) amount = 0.0f;  // NaN or negative: dry only
  if (amount > 1.0f) amount = 1.0f;
  Filter(frames, left, right);
  const float g = (1.0f - amount) * 0.25f + 0.75f;
  const float w = amount * 0.03f * 0.5f;
  for (int k = 0; k < frames; ++k) {
    const float* wet = wet_ + 4 * k;
    left[k] = (wet[0] + wet[1]) * w + left[k] * g;
    right[k] = (wet[2] + wet[3]) * w + right[k] * g;
  }
}
