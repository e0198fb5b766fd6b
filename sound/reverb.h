// The room effect of the mixer's reverb send bus: per input channel and output side, eight
// damped feedback comb filters in parallel followed by four allpass filters in series, with
// fixed delay lengths. Processes the send buffers in place and mixes the wet signal in.
//
// The four filter banks (left and right input, each into both output sides) run side by side,
// one bank in each lane of an SSE register: the two banks of one output side have the same
// delay lengths, so their lines share one buffer of pairs and one position.
#pragma once

class Reverb {
 public:
  // block: the most frames one Process call is given.
  Reverb(int block, float room_scale, float reverberance, float damping);
  ~Reverb();
  Reverb(const Reverb&) = delete;
  Reverb& operator=(const Reverb&) = delete;

  // Processes `frames` frames (clamped to the block size) of the send buffers in place.
  void Process(int frames, float* left, float* right, float amount);
  int block() const { return block_; }

 private:
  // A delay line of (left input, right input) pairs, read and written at `position`, which
  // steps back one pair a frame from the start of the buffer round to its end.
  struct Line {
    float* pairs = nullptr;
    int size = 0;
    int position = 0;
  };
  // The comb and allpass lines of one output side.
  struct Side {
    Line comb[8];
    Line allpass[4];
  };

  void Filter(int frames, const float* left, const float* right);

  float feedback_;
  float damping_;
  Side side_[2];
  alignas(16) float store_[8][4] = {};  // each comb's damping state, per lane
  float* wet_ = nullptr;                // per frame the four banks' outputs
  int block_;
};
