// Song decoding on background threads: MP3, MP4, M4A, AAC and AIFF through FFmpeg, Ogg Vorbis
// through stb_vorbis. Both write beyond the frames already published and then raise the frame
// count, so a song plays while it loads.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

#include "sound/audio.h"
#include "sound/audio_internal.h"

namespace {
// Longer streams are taken for a damaged header.
constexpr int64_t kMaxSongFrames = 44100ll * 3600 * 3;

// Empties `sound` for a song loader, which reads it until cancelled.
void ResetSong(Audio::Sound& sound, Audio::SoundState state, int max_voices) {
  ResetSound(sound, state, max_voices);
  sound.cancel.store(0, std::memory_order_relaxed);
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// FFmpeg

struct Audio::FfmpegSong {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  SwrContext* swr = nullptr;
  int stream = -1;
  int64_t estimated_frames = 0;
  std::string path;
  int in_format = -1, in_rate = 0, in_channels = 0;  // what the resampler is set up for

  ~FfmpegSong() {
    swr_free(&swr);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
  }
};

namespace {

// (Re)configures the resampler for this input: 16-bit stereo at 44100 Hz out, a mono input
// copied to both channels at full level (not -3 dB).
bool ConfigureResampler(Audio::FfmpegSong* s, const AVChannelLayout& layout, int format, int rate) {
  swr_free(&s->swr);
  AVChannelLayout in_layout;
  if (layout.order == AV_CHANNEL_ORDER_UNSPEC)
    av_channel_layout_default(&in_layout, layout.nb_channels);
  else
    av_channel_layout_copy(&in_layout, &layout);
  AVChannelLayout out_layout = AV_CHANNEL_LAYOUT_STEREO;
  const int err = swr_alloc_set_opts2(&s->swr, &out_layout, AV_SAMPLE_FMT_S16, Audio::kSampleRate,
                                      &in_layout, static_cast<AVSampleFormat>(format), rate, 0, nullptr);
  const bool mono = in_layout.nb_channels == 1;
  av_channel_layout_uninit(&in_layout);
  if (err < 0 || !s->swr) return false;
  if (mono) {
    const double matrix[2] = {1.0, 1.0};
    if (swr_set_matrix(s->swr, matrix, 1) < 0) return false;
  }
  if (swr_init(s->swr) < 0) return false;
  s->in_format = format;
  s->in_rate = rate;
  s->in_channels = layout.nb_channels;
  return true;
}

Audio::FfmpegSong* OpenSong(const char* path) {
  av_log_set_level(AV_LOG_QUIET);
  std::unique_ptr<Audio::FfmpegSong> s(new Audio::FfmpegSong);
  s->path = path;
  if (avformat_open_input(&s->format, path, nullptr, nullptr) < 0) return nullptr;
  if (avformat_find_stream_info(s->format, nullptr) < 0) return nullptr;
  const AVCodec* decoder = nullptr;
  s->stream = av_find_best_stream(s->format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (s->stream < 0 || !decoder) return nullptr;
  AVStream* st = s->format->streams[s->stream];
  s->codec = avcodec_alloc_context3(decoder);
  if (!s->codec) return nullptr;
  if (avcodec_parameters_to_context(s->codec, st->codecpar) < 0) return nullptr;
  if (avcodec_open2(s->codec, decoder, nullptr) < 0) return nullptr;
  if (s->codec->sample_rate < 1 || s->codec->ch_layout.nb_channels < 1) return nullptr;

  if (!ConfigureResampler(s.get(), s->codec->ch_layout, s->codec->sample_fmt, s->codec->sample_rate))
    return nullptr;

  double seconds = 0.0;
  if (st->duration > 0 && st->duration != AV_NOPTS_VALUE)
    seconds = st->duration * av_q2d(st->time_base);
  else if (s->format->duration > 0)
    seconds = static_cast<double>(s->format->duration) / AV_TIME_BASE;
  int64_t frames = static_cast<int64_t>(seconds * Audio::kSampleRate);
  if (frames < 0 || frames > kMaxSongFrames) frames = 0;
  s->estimated_frames = frames;
  return s.release();
}

// Appends converted frames to the song, replacing its buffer by a larger one when the
// duration estimate was short.
bool AppendFrames(Audio::Sound& sound, const int16_t* pcm, int count,
                  std::vector<std::pair<Audio::Sound*, int16_t*>>& retired) {
  if (count <= 0) return true;
  const uint32_t frames = sound.frames.load(std::memory_order_relaxed);
  uint32_t capacity = sound.capacity.load(std::memory_order_relaxed);
  int16_t* data = sound.data.load(std::memory_order_relaxed);
  if (static_cast<int64_t>(frames) + count > kMaxSongFrames) return false;
  if (!data || frames + count > capacity) {
    int64_t grown = static_cast<int64_t>(capacity) * 3 / 2;
    if (grown < static_cast<int64_t>(frames) + count + Audio::kSampleRate)
      grown = static_cast<int64_t>(frames) + count + Audio::kSampleRate;
    int16_t* bigger = new (std::nothrow) int16_t[2 * grown];
    if (!bigger) return false;
    if (data && frames) std::memcpy(bigger, data, sizeof(int16_t) * 2 * frames);
    sound.data.store(bigger, std::memory_order_release);
    sound.capacity.store(static_cast<uint32_t>(grown), std::memory_order_release);
    if (data) retired.emplace_back(&sound, data);
    data = bigger;
  }
  std::memcpy(data + 2 * static_cast<size_t>(frames), pcm, sizeof(int16_t) * 2 * count);
  sound.frames.store(frames + count, std::memory_order_release);
  return true;
}

// Decodes the whole song into the sound, checking the cancel flag between packets.
void DecodeSong(Audio::FfmpegSong* s, Audio::Sound& sound, const std::atomic<bool>& cancel,
                std::vector<std::pair<Audio::Sound*, int16_t*>>& retired) {
  int64_t capacity = s->estimated_frames > 0 ? s->estimated_frames + Audio::kSampleRate / 2
                                             : 30ll * Audio::kSampleRate;
  int16_t* data = new (std::nothrow) int16_t[2 * capacity];
  if (data) {
    sound.data.store(data, std::memory_order_release);
    sound.capacity.store(static_cast<uint32_t>(capacity), std::memory_order_release);
  }
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  std::vector<int16_t> pcm;
  bool ok = packet && frame;
  int failures = 0;

  auto convert = [&](const uint8_t** in, int in_count) -> bool {
    if (!s->swr) return true;
    const int room = swr_get_out_samples(s->swr, in_count);
    if (room <= 0) return true;
    pcm.resize(2 * static_cast<size_t>(room));
    uint8_t* out = reinterpret_cast<uint8_t*>(pcm.data());
    const int got = swr_convert(s->swr, &out, room, in, in_count);
    if (got < 0) return false;
    return AppendFrames(sound, pcm.data(), got, retired);
  };
  auto flush = [&]() {
    for (int i = 0; s->swr && i < 64; ++i) {
      const int room = swr_get_out_samples(s->swr, 0);
      if (room <= 0) break;
      pcm.resize(2 * static_cast<size_t>(room));
      uint8_t* out = reinterpret_cast<uint8_t*>(pcm.data());
      const int got = swr_convert(s->swr, &out, room, nullptr, 0);
      if (got <= 0 || !AppendFrames(sound, pcm.data(), got, retired)) break;
    }
  };
  // A stream may change its rate or channels midway (files joined together): the resampler
  // follows, or the rest would play at the wrong speed.
  auto follow_format = [&](const AVFrame* f) -> bool {
    if (f->sample_rate == s->in_rate && f->format == s->in_format && f->ch_layout.nb_channels == s->in_channels)
      return true;
    if (f->sample_rate < 1 || f->ch_layout.nb_channels < 1) return false;
    flush();
    return ConfigureResampler(s, f->ch_layout, f->format, f->sample_rate);
  };
  auto drain = [&]() -> bool {
    for (;;) {
      const int r = avcodec_receive_frame(s->codec, frame);
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
      if (r < 0) return ++failures < 64;
      failures = 0;
      if (!follow_format(frame)) {
        av_frame_unref(frame);
        continue;
      }
      const bool appended = convert(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
      av_frame_unref(frame);
      if (!appended) return false;
    }
  };

  while (ok && !cancel.load(std::memory_order_acquire)) {
    const int r = av_read_frame(s->format, packet);
    if (r < 0) break;
    if (packet->stream_index == s->stream) {
      if (avcodec_send_packet(s->codec, packet) < 0) {
        if (++failures >= 64) ok = false;
      } else {
        ok = drain();
      }
    }
    av_packet_unref(packet);
  }
  if (ok && !cancel.load(std::memory_order_acquire)) {
    avcodec_send_packet(s->codec, nullptr);
    drain();
    flush();  // what the resampler still holds
  }
  av_frame_free(&frame);
  av_packet_free(&packet);
  if (sound.Frames() == 0 && !cancel.load(std::memory_order_acquire))
    printf("Audio error: can't decode the song \"%s\"\n", s->path.c_str());
  sound.loaded.store(1, std::memory_order_release);
}

}  // namespace

void* Audio::FfmpegThreadMain(void* arg) {
  SongLoader* loader = static_cast<SongLoader*>(arg);
  DecodeSong(loader->file, *loader->target, loader->cancel, loader->retired);
  delete loader->file;
  loader->file = nullptr;
  return nullptr;
}

void Audio::JoinSongLoader(SongLoader& loader, bool finish) {
  if (!loader.running) return;
  if (!finish) loader.cancel.store(true, std::memory_order_release);
  pthread_join(loader.thread, nullptr);
  loader.running = false;
}

void Audio::WaitForLoadMp3Async(bool finish) {
  if (mp3_loader_) JoinSongLoader(*mp3_loader_, finish);
}

void Audio::WaitForLoadOggAsync(bool finish) {
  if (ogg_loader_) JoinSongLoader(*ogg_loader_, finish);
}

bool Audio::LoadMp3Async(Sound& sound, const char* path, int max_voices) {
  ResetSong(sound, kSoundMp3Song, max_voices);
  FfmpegSong* file = path ? OpenSong(path) : nullptr;
  if (!file) {
    printf("Audio error: can't open the song \"%s\"\n", path ? path : "");
    return false;
  }
  if (!mp3_loader_) mp3_loader_ = new SongLoader;
  JoinSongLoader(*mp3_loader_, true);
  mp3_loader_->cancel.store(false, std::memory_order_release);
  mp3_loader_->file = file;
  mp3_loader_->target = &sound;
  mp3_loader_->running = pthread_create(&mp3_loader_->thread, nullptr, FfmpegThreadMain, mp3_loader_) == 0;
  if (!mp3_loader_->running) {
    delete file;
    mp3_loader_->file = nullptr;
    sound.loaded.store(1, std::memory_order_release);
    return false;
  }
  return true;
}

bool Audio::LoadMp3(Sound& sound, const char* path, int max_voices) {
  ResetSong(sound, kSoundMp3Song, max_voices);
  std::unique_ptr<FfmpegSong> file(path ? OpenSong(path) : nullptr);
  if (!file) {
    printf("Audio error: can't open the song \"%s\"\n", path ? path : "");
    return false;
  }
  if (!mp3_loader_) mp3_loader_ = new SongLoader;
  std::atomic<bool> never{false};
  DecodeSong(file.get(), sound, never, mp3_loader_->retired);
  return sound.Frames() > 0;
}

// ---------------------------------------------------------------------------------------------
// Ogg Vorbis

namespace {

// Whether the stream's comment header (its second packet) is whole and its counts and lengths
// fit inside it. stb_vorbis allocates from the unchecked lengths of a damaged comment header and
// frees pointers it never set while giving up on it, so such streams are refused before they
// reach it.
bool CommentHeaderIntact(const unsigned char* bytes, int size) {
  std::vector<unsigned char> packet;
  int packets_done = 0;
  bool have_serial = false;
  uint32_t serial = 0;
  int64_t at = 0;
  while (at + 27 <= size && packets_done < 2) {
    const unsigned char* page = bytes + at;
    if (std::memcmp(page, "OggS", 4) != 0) return false;
    const uint32_t page_serial = page[14] | page[15] << 8 | page[16] << 16 | static_cast<uint32_t>(page[17]) << 24;
    const int segments = page[26];
    if (at + 27 + segments > size) return false;
    int64_t data = at + 27 + segments;
    const bool ours = !have_serial || page_serial == serial;
    have_serial = true;
    if (ours) serial = page_serial;
    for (int i = 0; i < segments; ++i) {
      const int lace = page[27 + i];
      if (data + lace > size) return false;
      if (ours && packets_done < 2) {
        if (packets_done == 1) packet.insert(packet.end(), bytes + data, bytes + data + lace);
        if (lace < 255) ++packets_done;
      }
      data += lace;
    }
    at = data;
  }
  if (packets_done < 2) return false;
  const size_t n = packet.size();
  if (n < 11 || packet[0] != 3 || std::memcmp(packet.data() + 1, "vorbis", 6) != 0) return false;
  size_t pos = 7;
  auto length = [&](uint32_t& v) {
    if (n - pos < 4) return false;
    const unsigned char* p = packet.data() + pos;
    v = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
    pos += 4;
    return true;
  };
  uint32_t vendor = 0, count = 0;
  if (!length(vendor) || vendor > n - pos) return false;
  pos += vendor;
  if (!length(count) || count > (n - pos) / 4) return false;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t len = 0;
    if (!length(len) || len > n - pos) return false;
    pos += len;
  }
  return true;
}

// Decodes the stream into the sound; returns the input frames decoded and sets `total`.
int64_t DecodeOgg(const unsigned char* bytes, int size, Audio::Sound& sound,
                  const std::atomic<bool>& cancel, int64_t& total) {
  total = 0;
  if (!bytes || size < 1 || !CommentHeaderIntact(bytes, size)) {
    printf("Audio error: can't decode the Ogg Vorbis stream (damaged headers)\n");
    return 0;
  }
  int error = 0;
  stb_vorbis* v = stb_vorbis_open_memory(bytes, size, &error, nullptr);
  if (!v) {
    printf("Audio error: can't decode the Ogg Vorbis stream (error %d)\n", error);
    return 0;
  }
  const stb_vorbis_info info = stb_vorbis_get_info(v);
  total = stb_vorbis_stream_length_in_samples(v);
  // As for WAV files, a rate below 1000 Hz is taken for damage (the upsampling would take
  // minutes and hundreds of megabytes for a few kilobytes), and so is one above 1 MHz (past
  // 2^31 it would even turn negative in the resampler's arithmetic).
  if (total < 1 || total > kMaxSongFrames || info.channels < 1 || info.sample_rate < 1000 ||
      info.sample_rate > 1000000) {
    printf("Audio error: the Ogg Vorbis stream is empty or damaged\n");
    stb_vorbis_close(v);
    total = 0;
    return 0;
  }
  const int channels = info.channels >= 2 ? 2 : 1;  // more channels are mixed to two
  const int rate = static_cast<int>(info.sample_rate);
  // The song's buffer of `frames` frames, handed to the mixer; nullptr (the stream closed)
  // for more frames than the longest song or without the memory.
  auto song_buffer = [&](int64_t frames) -> int16_t* {
    int16_t* data = frames > kMaxSongFrames ? nullptr : new (std::nothrow) int16_t[2 * frames];
    if (!data) {
      stb_vorbis_close(v);
      return nullptr;
    }
    sound.data.store(data, std::memory_order_release);
    sound.capacity.store(static_cast<uint32_t>(frames), std::memory_order_release);
    return data;
  };
  int64_t decoded = 0;
  if (rate == Audio::kSampleRate && info.channels == 2) {
    int16_t* data = song_buffer(total);
    if (!data) return 0;
    while (!cancel.load(std::memory_order_acquire) && decoded < total) {
      int64_t want = total - decoded;
      if (want > 2048) want = 2048;
      const int n = stb_vorbis_get_samples_short_interleaved(v, 2, data + 2 * decoded,
                                                             static_cast<int>(2 * want));
      if (n <= 0) break;
      decoded += n;
      sound.frames.store(static_cast<uint32_t>(decoded), std::memory_order_release);
    }
  } else {
    const double ratio = static_cast<double>(rate) / Audio::kSampleRate;
    const int block = 4096 / channels;
    const int64_t blocks = (total + block - 1) / block;
    const int64_t per_block = static_cast<int64_t>(std::ceil(block / ratio)) + 1;
    const int64_t capacity = per_block * blocks;
    int16_t* data = song_buffer(capacity);
    if (!data) return 0;
    std::vector<int16_t> work(4096);
    int64_t out = 0;
    while (!cancel.load(std::memory_order_acquire)) {
      const int n = stb_vorbis_get_samples_short_interleaved(v, channels, work.data(), block * channels);
      if (n <= 0) break;
      decoded += n;
      if (out + static_cast<int64_t>(std::ceil(n / ratio)) > capacity) break;  // never past the buffer
      int made = 0;
      Audio::ConvertTo44100HzStereo(work.data(), n, channels, rate, data + 2 * out, made);
      out += made;
      sound.frames.store(static_cast<uint32_t>(out), std::memory_order_release);
    }
  }
  stb_vorbis_close(v);
  return decoded;
}

}  // namespace

void* Audio::OggThreadMain(void* arg) {
  SongLoader* loader = static_cast<SongLoader*>(arg);
  int64_t total = 0;
  DecodeOgg(loader->bytes, loader->size, *loader->target, loader->cancel, total);
  // Marked loaded also when cancelled; a stream that could not be opened stays unloaded.
  if (total > 0) loader->target->loaded.store(1, std::memory_order_release);
  if (loader->free_bytes) delete[] loader->bytes;
  loader->bytes = nullptr;
  return nullptr;
}

bool Audio::LoadOggAsync(Sound& sound, const char* path, int max_voices) {
  ResetSong(sound, kSoundOggSong, max_voices);
  int size = 0;
  unsigned char* bytes = LoadDataFromFile(path, size);
  if (!bytes) {
    printf("Audio error: can't open the song \"%s\"\n", path ? path : "");
    return false;
  }
  return LoadOggFromMemoryAsync(sound, bytes, size, true, max_voices);
}

bool Audio::LoadOggFromMemoryAsync(Sound& sound, unsigned char* data, int size, bool free_data,
                                   int max_voices) {
  ResetSong(sound, kSoundOggSong, max_voices);
  if (!ogg_loader_) ogg_loader_ = new SongLoader;
  JoinSongLoader(*ogg_loader_, true);
  ogg_loader_->cancel.store(false, std::memory_order_release);
  ogg_loader_->bytes = data;
  ogg_loader_->size = size;
  ogg_loader_->free_bytes = free_data;
  ogg_loader_->target = &sound;
  ogg_loader_->running = pthread_create(&ogg_loader_->thread, nullptr, OggThreadMain, ogg_loader_) == 0;
  if (!ogg_loader_->running) {
    if (free_data) delete[] data;
    ogg_loader_->bytes = nullptr;
    return false;
  }
  return true;
}

bool Audio::LoadOgg(Sound& sound, const char* path, int max_voices) {
  int size = 0;
  const std::unique_ptr<unsigned char[]> bytes(LoadDataFromFile(path, size));
  if (!bytes) {
    ResetSong(sound, kSoundOggSong, max_voices);
    return false;
  }
  return LoadOggFromMemory(sound, bytes.get(), size, max_voices);
}

bool Audio::LoadOggFromMemory(Sound& sound, const unsigned char* data, int size, int max_voices) {
  ResetSong(sound, kSoundOggSong, max_voices);
  std::atomic<bool> never{false};
  int64_t total = 0;
  const int64_t decoded = DecodeOgg(data, size, sound, never, total);
  if (total < 1 || decoded < total) {
    delete[] sound.data.exchange(nullptr);
    sound.frames.store(0);
    sound.capacity.store(0);
    return false;
  }
  sound.loaded.store(1, std::memory_order_release);
  return true;
}

void Audio::DeleteSongLoaders() {
  for (SongLoader** slot : {&mp3_loader_, &ogg_loader_}) {
    SongLoader* loader = *slot;
    if (!loader) continue;
    JoinSongLoader(*loader, false);
    for (auto& r : loader->retired) delete[] r.second;
    delete loader->file;
    if (loader->free_bytes) delete[] loader->bytes;
    delete loader;
    *slot = nullptr;
  }
}
