// Conversion of 16-bit PCM at any rate, mono or stereo, to stereo at 44100 Hz: a truncated,
// unwindowed sinc over the nine nearest input frames, normalised by the sum of its weights.
// An output frame falls between input frames at one of q phases (rate / 44100 = p / q in lowest
// terms); the weights of each phase are worked out once per input rate and kept, so the inner
// loop is nine multiply-adds a channel. Frames whose nine inputs run past either end of the
// input are summed directly over the inputs there are.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>
#include <vector>

#include "sound/audio.h"
#include "sound/audio_internal.h"

namespace {

constexpr int kTaps = 9;
constexpr double kPi = 3.1415927;

inline int16_t Clamp16(double v) {
  if (v <= -32768.0) return -32768;
  if (v > 32767.0) return 32767;
  return static_cast<int16_t>(static_cast<int>(v + 0.5));
}

double Sinc(double x) { return x == 0.0 ? 1.0 : std::sin(kPi * x) / (kPi * x); }

// The first of the nine input frames around output time t, as it has always been rounded.
int FirstTap(double t) { return static_cast<int>(t - 4 + 0.5); }

// 16-bit frames in memory; the right value of a mono frame is its only one.
struct Int16Source {
  const int16_t* in;
  int channels;
  int16_t Left(int j) const { return in[j * channels]; }
  int16_t Right(int j) const { return in[j * channels + channels - 1]; }
};

// Frames of a WAV file's data chunk, 8, 16 or 24 bits a value, each value taken to 16 bits as
// the WAV decoder does; the right value of a mono frame is its only one.
template <int kBytes>
struct PcmSource {
  const unsigned char* data;
  int frame_bytes;
  int right;  // byte offset of the right value in a frame
  static int16_t Value(const unsigned char* s) {
    if constexpr (kBytes == 1) {
      return static_cast<int16_t>(static_cast<uint16_t>((s[0] << 8) ^ 0x8000));
    } else if constexpr (kBytes == 2) {
      return static_cast<int16_t>(static_cast<uint16_t>(s[0] | (s[1] << 8)));
    } else {
      int32_t x = s[0] | (s[1] << 8) | (s[2] << 16);
      if (x & 0x800000) x -= 0x1000000;
      return static_cast<int16_t>(x / 256);  // the top 16 bits, rounded towards zero
    }
  }
  int16_t Left(int j) const { return Value(data + static_cast<int64_t>(j) * frame_bytes); }
  int16_t Right(int j) const { return Value(data + static_cast<int64_t>(j) * frame_bytes + right); }
};

// The output frame at time t: the weighted mean of input frames lo..hi.
template <class Source>
void DirectFrame(const Source& in, double t, int lo, int hi, int16_t* out) {
  double w_sum = 0.0, left = 0.0, right = 0.0;
  for (int j = lo; j <= hi; ++j) {
    const double w = Sinc(j - t);
    w_sum += w;
    left += in.Left(j) * w;
    right += in.Right(j) * w;
  }
  if (w_sum != 0.0) {
    left /= w_sum;
    right /= w_sum;
  }
  out[0] = Clamp16(left);
  out[1] = Clamp16(right);
}

// The normalised weights of every phase of one input rate. Output frame i lies at input time
// n + k / q (i * p = n * q + k); its first input frame is n + offset[k].
struct PhaseTable {
  int64_t p = 1, q = 1;
  std::vector<std::array<double, kTaps>> weights;
  std::vector<int> offset;
};

PhaseTable BuildTable(int rate) {
  PhaseTable table;
  const int64_t g = std::gcd(int64_t(rate), int64_t(Audio::kSampleRate));
  table.p = rate / g;
  table.q = Audio::kSampleRate / g;
  table.weights.resize(size_t(table.q));
  table.offset.resize(size_t(table.q));
  for (int64_t k = 0; k < table.q; ++k) {
    const double f = double(k) / double(table.q);
    const int first = FirstTap(f + 8) - 8;  // kept off negative numbers, which round up
    std::array<double, kTaps>& w = table.weights[size_t(k)];
    double w_sum = 0.0;
    for (int j = 0; j < kTaps; ++j) w_sum += w[size_t(j)] = Sinc(first + j - f);
    for (double& v : w) v /= w_sum;
    table.offset[size_t(k)] = first;
  }
  return table;
}

// The table of one input rate, built by the first conversion from that rate and kept for the
// next ones. Loader threads convert at the same time, hence the lock. Files of many odd rates
// (a table holds up to 44100 phases) must not pile tables up: past kKeptTables rates, a table
// is built for the one conversion only.
std::shared_ptr<const PhaseTable> TableFor(int rate) {
  constexpr size_t kKeptTables = 16;
  static std::mutex mutex;
  static std::map<int, std::shared_ptr<const PhaseTable>> tables;
  {
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = tables.find(rate);
    if (it != tables.end()) return it->second;
  }
  auto table = std::make_shared<const PhaseTable>(BuildTable(rate));
  std::lock_guard<std::mutex> lock(mutex);
  if (tables.size() < kKeptTables) tables.emplace(rate, table);
  return table;
}

// Left and right of one frame: both lanes go through the same operations as a plain double.
typedef double Stereo __attribute__((vector_size(16)));

// Input frames as doubles, stereo, a block at a time: converted once instead of once for each
// of the nine outputs that read a frame.
template <class Source>
class InputBlock {
 public:
  InputBlock(const Source& in, int frames) : in_(in), frames_(frames) {}
  // Frames lo..lo+8, converting the block from lo on when they are not all there.
  const Stereo* From(int lo) {
    if (lo + kTaps > end_) {
      begin_ = lo;
      end_ = std::min(frames_, lo + kBlock);
      for (int j = begin_; j < end_; ++j) frames_at_[j - begin_] = Stereo{double(in_.Left(j)), double(in_.Right(j))};
    }
    return frames_at_ + (lo - begin_);
  }

 private:
  static constexpr int kBlock = 1024;
  const Source in_;
  int frames_;
  int begin_ = 0, end_ = 0;
  Stereo frames_at_[kBlock];
};

// One output frame from nine input frames and one phase's weights.
void TableFrame(const Stereo* x, const std::array<double, kTaps>& w, int16_t* out) {
  Stereo sum = {0.0, 0.0};
  for (int j = 0; j < kTaps; ++j) sum += x[j] * w[size_t(j)];
  out[0] = Clamp16(sum[0]);
  out[1] = Clamp16(sum[1]);
}

// Resamples `frames` frames of `in` (at `rate`, not 44100) into out.
template <class Source>
void Resample(const Source& in, int frames, int rate, int16_t* out, int& out_frames) {
  const double ratio = static_cast<double>(rate) / Audio::kSampleRate;
  const int n = static_cast<int>(std::ceil(frames / ratio));
  if (n < 1) return;
  const std::shared_ptr<const PhaseTable> kept = TableFor(rate);
  const PhaseTable& table = *kept;
  // i * p = whole * q + k, advanced without a division per frame.
  const int64_t step_whole = table.p / table.q, step_k = table.p % table.q;
  int64_t whole = 0, k = 0;
  InputBlock<Source> block(in, frames);
  for (int i = 0; i < n; ++i, whole += step_whole, k += step_k) {
    if (k >= table.q) {
      k -= table.q;
      ++whole;
    }
    const double t = i * ratio;
    const int lo = FirstTap(t);
    // Near the ends, and where t sits exactly half-way between frames (the rounding of t
    // decides which nine), the frame is summed directly.
    if (lo < 0 || lo + kTaps > frames || lo != whole + table.offset[size_t(k)]) {
      const int clipped_lo = lo < 0 ? 0 : lo;
      const int hi = std::min(static_cast<int>(t + 4 + 0.5), frames - 1);
      if (clipped_lo > hi)
        out[2 * i] = out[2 * i + 1] = 0;
      else
        DirectFrame(in, t, clipped_lo, hi, out + 2 * i);
      continue;
    }
    TableFrame(block.From(lo), table.weights[size_t(k)], out + 2 * i);
  }
  out_frames = n;
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
  Resample(Int16Source{in, channels}, frames, rate, out, out_frames);
}

void ResampleWavData(const unsigned char* data, int frames, int bits, int channels, int rate, int16_t* out,
                     int& out_frames) {
  out_frames = 0;
  if (!data || !out || frames < 1 || rate < 1 || rate == Audio::kSampleRate || channels < 1) return;
  const int bytes = bits / 8;
  const int frame_bytes = bytes * channels;
  const int right = channels > 1 ? bytes : 0;
  if (bytes == 1)
    Resample(PcmSource<1>{data, frame_bytes, right}, frames, rate, out, out_frames);
  else if (bytes == 2)
    Resample(PcmSource<2>{data, frame_bytes, right}, frames, rate, out, out_frames);
  else if (bytes == 3)
    Resample(PcmSource<3>{data, frame_bytes, right}, frames, rate, out, out_frames);
}
