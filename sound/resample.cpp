// Conversion of 16-bit PCM at any rate, mono or stereo, to stereo at 44100 Hz: a truncated,
// unwindowed sinc over the nine nearest input frames, normalised by the sum of its weights.
#include <cmath>

#include "sound/audio.h"

namespace {
inline int16_t Clamp16(double v) {
  if (v <= -32768.0) return -32768;
  if (v > 32767.0) return 32767;
  return static_cast<int16_t>(static_cast<int>(v + 0.5));
}
}  // namespace

void Audio::ConvertTo44100HzStereo(const int16_t* in, int frames, int channels, int rate,
                                   int16_t* out, int& out_frames) {
  out_frames = 0;
  if (!in || !out || frames < 1 || rate < 1 || (channels != 1 && channels != 2)) return;
  if (rate == kSampleRate) {
    for (int i = 0; i < frames; ++i) {
      out[2 * i] = in[i * channels];
      out[2 * i + 1] = in[i * channels + channels - 1];
    }
    out_frames = frames;
    return;
  }
  const double ratio = static_cast<double>(rate) / kSampleRate;
  const int n = static_cast<int>(std::ceil(frames / ratio));
  if (n < 1) return;
  const double pi = 3.1415927;
  for (int i = 0; i < n; ++i) {
    const double t = i * ratio;
    int lo = static_cast<int>(t - 4 + 0.5);
    if (lo < 0) lo = 0;
    int hi = static_cast<int>(t + 4 + 0.5);
    if (hi > frames - 1) hi = frames - 1;
    if (lo > hi) {
      out[2 * i] = out[2 * i + 1] = 0;
      continue;
    }
    double w_sum = 0.0, left = 0.0, right = 0.0;
    for (int j = lo; j <= hi; ++j) {
      const double x = j - t;
      const double w = (x == 0.0) ? 1.0 : std::sin(pi * x) / (pi * x);
      w_sum += w;
      left += in[j * channels] * w;
      right += in[j * channels + channels - 1] * w;
    }
    if (w_sum != 0.0) {
      left /= w_sum;
      right /= w_sum;
    }
    out[2 * i] = Clamp16(left);
    out[2 * i + 1] = Clamp16(right);
  }
  out_frames = n;
}
