// WAV files and WAV images in memory: 8, 16 and 24-bit PCM, one or two channels (24-bit
// files may have more; the first two are kept), any rate.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "sound/audio.h"
#include "sound/audio_internal.h"

namespace {
uint32_t U32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t U16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
}  // namespace

unsigned char* Audio::LoadDataFromFile(const char* path, int& size) {
  size = 0;
  if (!path) return nullptr;
  FILE* f = fopen(path, "rbe");
  if (!f) return nullptr;
  if (fseek(f, 0, SEEK_END) != 0) {
    fclose(f);
    return nullptr;
  }
  const long length = ftell(f);
  if (length < 0 || length > 0x7FFFFFFFL) {
    fclose(f);
    return nullptr;
  }
  fseek(f, 0, SEEK_SET);
  unsigned char* bytes = new (std::nothrow) unsigned char[length > 0 ? length : 1];
  if (!bytes || fread(bytes, 1, length, f) != static_cast<size_t>(length)) {
    delete[] bytes;
    fclose(f);
    return nullptr;
  }
  fclose(f);
  size = static_cast<int>(length);
  return bytes;
}

bool Audio::LoadWav(Sound& sound, const char* path, int max_voices) {
  int size = 0;
  const std::unique_ptr<unsigned char[]> bytes(LoadDataFromFile(path, size));
  if (!bytes) {
    sound.state.store(kSoundWhole, std::memory_order_relaxed);
    return false;
  }
  return LoadWavFromMemory(sound, bytes.get(), size, max_voices);
}

bool Audio::LoadWavFromMemory(Sound& sound, const unsigned char* data, int size, int max_voices) {
  ResetSound(sound, kSoundWhole, max_voices);
  if (!data || size < 44) return false;
  if (std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) return false;

  // The chunks before "fmt " may only be "JUNK" and "bext".
  const int64_t end = size;
  int64_t pos = 12;
  int64_t fmt = -1;
  while (pos + 8 <= end) {
    const unsigned char* id = data + pos;
    const uint32_t length = U32(data + pos + 4);
    if (std::memcmp(id, "fmt ", 4) == 0) {
      fmt = pos;
      break;
    }
    if (std::memcmp(id, "JUNK", 4) != 0 && std::memcmp(id, "bext", 4) != 0) return false;
    pos += 8 + static_cast<int64_t>(length);
  }
  if (fmt < 0) return false;
  const uint32_t fmt_size = U32(data + fmt + 4);
  if (fmt_size < 16 || fmt + 8 + 16 > end) return false;
  const unsigned char* f = data + fmt + 8;
  // PCM only: format tag 1, or the extensible form whose sub-format is PCM (what most tools
  // write for 24-bit and multi-channel files).
  const uint16_t tag = U16(f);
  const bool extensible_pcm = tag == 0xFFFE && fmt_size >= 40 && fmt + 8 + 40 <= end && U16(f + 24) == 1;
  if (tag != 1 && !extensible_pcm) return false;
  const int channels = U16(f + 2);
  const int rate = static_cast<int>(U32(f + 4));
  const int bits = U16(f + 14);
  // A rate below 1000 Hz is taken for damage: upsampling it would turn a few kilobytes into
  // minutes of work and hundreds of megabytes.
  if (channels < 1 || rate < 1000 || rate > 1000000) return false;
  if (bits != 8 && bits != 16 && bits != 24) return false;
  if (channels > 2 && bits != 24) return false;

  pos = fmt + 8 + static_cast<int64_t>(fmt_size);
  int64_t data_pos = -1;
  uint32_t data_size = 0;
  while (pos + 8 <= end) {
    const uint32_t length = U32(data + pos + 4);
    if (std::memcmp(data + pos, "data", 4) == 0) {
      data_pos = pos + 8;
      data_size = length;
      break;
    }
    pos += 8 + static_cast<int64_t>(length);
  }
  if (data_pos < 0) return false;
  // A data chunk longer than the file (a header written before the recording ended) is cut.
  if (data_pos + static_cast<int64_t>(data_size) > end) data_size = static_cast<uint32_t>(end - data_pos);

  const int bytes_per_value = bits / 8;
  const int64_t frame_bytes = static_cast<int64_t>(bytes_per_value) * channels;
  const int64_t in_frames = data_size / frame_bytes;
  const int out_channels = channels > 2 ? 2 : channels;
  const int64_t values = in_frames * out_channels;
  if (in_frames < 1) return false;
  if (in_frames > 0x7FFFFFF) return false;

  const unsigned char* src = data + data_pos;
  int16_t* result = nullptr;
  int frames = 0;
  if (rate != kSampleRate) {
    // Resampled straight from the file's values.
    const double ratio = static_cast<double>(rate) / kSampleRate;
    const int64_t capacity = static_cast<int64_t>(std::ceil(in_frames / ratio));
    if (capacity < 1 || capacity > 0x7FFFFFF) return false;
    result = new (std::nothrow) int16_t[2 * capacity];
    if (!result) return false;
    ResampleWavData(src, static_cast<int>(in_frames), bits, channels, rate, result, frames);
  } else {
    std::unique_ptr<int16_t[]> pcm(new (std::nothrow) int16_t[values]);
    if (!pcm) return false;
    int64_t v = 0;
    for (int64_t i = 0; i < in_frames; ++i) {
      const unsigned char* frame = src + i * frame_bytes;
      for (int c = 0; c < out_channels; ++c) {
        const unsigned char* s = frame + c * bytes_per_value;
        int16_t out;
        if (bits == 8) {
          out = static_cast<int16_t>(static_cast<uint16_t>((s[0] << 8) ^ 0x8000));
        } else if (bits == 16) {
          out = static_cast<int16_t>(U16(s));
        } else {
          int32_t x = s[0] | (s[1] << 8) | (s[2] << 16);
          if (x & 0x800000) x -= 0x1000000;
          out = static_cast<int16_t>(x / 256);  // the top 16 bits, rounded towards zero
        }
        pcm[v++] = out;
      }
    }
    if (out_channels == 1) {
      const int64_t capacity = in_frames;
      result = new (std::nothrow) int16_t[2 * capacity];
      if (!result) return false;
      ConvertTo44100HzStereo(pcm.get(), static_cast<int>(in_frames), out_channels, rate, result, frames);
    } else {
      result = pcm.release();
      frames = static_cast<int>(in_frames);
    }
  }
  sound.data.store(result, std::memory_order_release);
  sound.capacity.store(frames, std::memory_order_relaxed);
  sound.frames.store(frames, std::memory_order_release);
  sound.max_voices = max_voices;
  sound.loaded.store(1, std::memory_order_release);
  return true;
}
