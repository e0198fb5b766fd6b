#include "sound/reverb.h"

#include <cmath>
#include <cstring>

namespace {
const int comb_lengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
const int allpass_lengths[4] = {225, 341, 441, 556};
const int stereo_spread = 12;

void filter_create(Reverb::filter_t* f, int size) {
  if (size < 1) size = 1;
  f->size = size;
  f->buffer = new float[size];
  std::memset(f->buffer, 0, sizeof(float) * size);
  f->position = f->buffer;
  f->store = 0.0f;
}

void filter_delete(Reverb::filter_t* f) {
  delete[] f->buffer;
  f->buffer = f->position = nullptr;
  f->size = 0;
}
}  // namespace

Reverb::Reverb(int block, float room_scale, float reverberance, float damping) {
  block_ = block < 1 ? 1 : block;
  feedback_ = 1.0f - std::exp((reverberance + 0.10032068f) / -0.28126642f);
  damping_ = damping * 0.3f + 0.2f;
  float* unused[2];
  reverb_create(&left_, room_scale, block_, unused);
  reverb_create(&right_, room_scale, block_, unused);
}

Reverb::~Reverb() {
  reverb_delete(&left_);
  reverb_delete(&right_);
}

void Reverb::filter_array_create(filter_array_t* a, float scale, int offset) {
  int s = offset;
  for (int i = 0; i < 8; ++i) {
    filter_create(&a->comb[i], static_cast<int>((comb_lengths[i] + stereo_spread * s) * scale + 0.5f));
    s = -s;
  }
  for (int j = 0; j < 4; ++j) {
    filter_create(&a->allpass[j], static_cast<int>(allpass_lengths[j] + stereo_spread * s + 0.5f));
    s = -s;
  }
}

void Reverb::filter_array_delete(filter_array_t* a) {
  for (auto& f : a->comb) filter_delete(&f);
  for (auto& f : a->allpass) filter_delete(&f);
}

namespace {

// One delay line's state, held in locals while a block is processed: the lines are written
// through float pointers, which the compiler must otherwise assume may point at the state.
struct Line {
  float* position;
  float* first;
  float* last;
  float store;
};

Line Take(const Reverb::filter_t& f) {
  return {f.position, f.buffer, f.buffer + f.size - 1, f.store};
}

// Back one sample, from the start of the buffer to its end.
inline void Step(Line& l) { l.position = l.position == l.first ? l.last : l.position - 1; }

}  // namespace

void Reverb::filter_array_process(filter_array_t* a, int frames, const float* in, float* out) {
  const float feedback = feedback_;
  const float damping = damping_;
  Line comb[8], allpass[4];
  for (int i = 0; i < 8; ++i) comb[i] = Take(a->comb[i]);
  for (int j = 0; j < 4; ++j) allpass[j] = Take(a->allpass[j]);
  for (int k = 0; k < frames; ++k) {
    const float x = in[k];
    float y = 0.0f;
#pragma GCC unroll 8
    for (int i = 7; i >= 0; --i) {
      Line& c = comb[i];
      const float d = *c.position;
      c.store = d + (c.store - d) * damping;
      *c.position = x + c.store * feedback;
      Step(c);
      y += d;
    }
#pragma GCC unroll 4
    for (int j = 3; j >= 0; --j) {
      Line& p = allpass[j];
      const float d = *p.position;
      *p.position = y + d * 0.5f;
      Step(p);
      y = d - y;
    }
    out[k] = y;
  }
  for (int i = 0; i < 8; ++i) {
    a->comb[i].position = comb[i].position;
    a->comb[i].store = comb[i].store;
  }
  for (int j = 0; j < 4; ++j) a->allpass[j].position = allpass[j].position;
}

void Reverb::reverb_create(reverb_t* r, float room_scale, int block, float** out) {
  const float scale = room_scale * 0.9f + 0.1f;
  filter_array_create(&r->chan[0], scale, 0);
  filter_array_create(&r->chan[1], scale, 1);
  for (int side = 0; side < 2; ++side) {
    r->out[side] = new float[block];
    std::memset(r->out[side], 0, sizeof(float) * block);
    out[side] = r->out[side];
  }
}

void Reverb::reverb_process(reverb_t* r, int frames, const float* in) {
  filter_array_process(&r->chan[0], frames, in, r->out[0]);
  filter_array_process(&r->chan[1], frames, in, r->out[1]);
}

void Reverb::reverb_delete(reverb_t* r) {
  filter_array_delete(&r->chan[0]);
  filter_array_delete(&r->chan[1]);
  delete[] r->out[0];
  delete[] r->out[1];
  r->out[0] = r->out[1] = nullptr;
}

void Reverb::Process(int frames, float* left, float* right, float amount) {
  if (frames > block_) frames = block_;
  if (frames <= 0) return;
  if (!(amount >= 0.0f)) amount = 0.0f;  // NaN or negative: dry only
  if (amount > 1.0f) amount = 1.0f;
  reverb_process(&left_, frames, left);
  reverb_process(&right_, frames, right);
  const float g = (1.0f - amount) * 0.25f + 0.75f;
  const float w = amount * 0.03f * 0.5f;
  const float* l0 = left_.out[0];
  const float* l1 = left_.out[1];
  const float* r0 = right_.out[0];
  const float* r1 = right_.out[1];
  for (int k = 0; k < frames; ++k) {
    left[k] = (l0[k] + r0[k]) * w + left[k] * g;
    right[k] = (l1[k] + r1[k]) * w + right[k] * g;
  }
}
