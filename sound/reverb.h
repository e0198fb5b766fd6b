// The room effect of the mixer's reverb send bus: per input channel and output side, eight
// damped feedback comb filters in parallel followed by four allpass filters in series, with
// fixed delay lengths. Processes the send buffers in place and mixes the wet signal in.
#pragma once

class Reverb {
 public:
  struct filter_t {
    int size = 0;
    float* buffer = nullptr;
    float* position = nullptr;
    float store = 0.0f;
  };
  struct filter_array_t {
    filter_t comb[8];
    filter_t allpass[4];
  };
  struct reverb_t {
    filter_array_t chan[2];
    float* out[2] = {nullptr, nullptr};
  };

  // block: the most frames one Process call is given.
  Reverb(int block, float room_scale, float reverberance, float damping);
  ~Reverb();
  Reverb(const Reverb&) = delete;
  Reverb& operator=(const Reverb&) = delete;

  // Processes `frames` frames (clamped to the block size) of the send buffers in place.
  void Process(int frames, float* left, float* right, float amount);
  int block() const { return block_; }

  void reverb_create(reverb_t* r, float room_scale, int block, float** out);
  void reverb_process(reverb_t* r, int frames, const float* in);
  void reverb_delete(reverb_t* r);
  void filter_array_create(filter_array_t* a, float scale, int offset);
  void filter_array_process(filter_array_t* a, int frames, const float* in, float* out);
  void filter_array_delete(filter_array_t* a);

 private:
  float feedback_;
  float damping_;
  reverb_t left_;
  reverb_t right_;
  int block_;
};
