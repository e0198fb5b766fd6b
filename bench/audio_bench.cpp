// The audio engine's costs: one mixer buffer for 1, 8 and 64 voices with and without reverb at
// 16, 64 and 256 frames, and beside a plain loop doing the same mixing; resampling; decoding WAV (beside FFmpeg's own decoding and resampling
// of the same file), Ogg Vorbis and MP3.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "sound/audio.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

namespace {

void FillNoise(Audio::Sound& s, int frames) {
  int16_t* data = new int16_t[2 * static_cast<size_t>(frames)];
  uint32_t x = 1;
  for (int i = 0; i < 2 * frames; ++i) {
    x = x * 1664525u + 1013904223u;
    data[i] = static_cast<int16_t>(x >> 20);
  }
  s.data.store(data);
  s.capacity.store(frames);
  s.frames.store(frames);
  s.max_voices = 64;
  s.state.store(1);
  s.loaded.store(1);
}

// args: voices, reverb (0/1), frames per buffer
void BM_MixerBuffer(benchmark::State& state) {
  const int voices = static_cast<int>(state.range(0));
  const bool reverb = state.range(1) != 0;
  const int frames = static_cast<int>(state.range(2));
  Audio audio;
  audio.BeginOffline(frames);
  audio.SetReverbAmount(reverb ? 0.5f : 0.0f);
  Audio::Sound sound;
  FillNoise(sound, 44100 * 60);
  for (int i = 0; i < voices; ++i) audio.StartSound(sound, 0.1f, (i % 5) * 0.4f - 0.8f, false, 0.0f, reverb);
  std::vector<float> out(2 * static_cast<size_t>(frames));
  int64_t rendered = 0;
  for (auto _ : state) {
    Audio::PortAudioCallback(nullptr, out.data(), frames, nullptr, 0, &audio);
    benchmark::DoNotOptimize(out.data());
    rendered += frames;
    if (rendered > 44100 * 50) {  // keep the voices inside the sound
      state.PauseTiming();
      audio.StopAllSounds(false);
      Audio::PortAudioCallback(nullptr, out.data(), frames, nullptr, 0, &audio);
      for (int i = 0; i < voices; ++i) audio.StartSound(sound, 0.1f, 0.0f, false, 0.0f, reverb);
      rendered = 0;
      state.ResumeTiming();
    }
  }
  state.counters["buffer_budget_us"] = 1e6 * frames / 44100.0;
  audio.EndOffline();
  audio.FreeSound(sound);
}
BENCHMARK(BM_MixerBuffer)
    ->ArgsProduct({{1, 8, 64}, {0, 1}, {16, 64, 256}})
    ->ArgNames({"voices", "reverb", "frames"});

double Median(std::vector<double>& v) {
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

// A plain loop doing the mixer's work for the same 64 voices without reverb: each voice's
// samples times its side's gain and its volume, summed, then the master gain and the clamp
// into the interleaved output. Returns the sample the voices are at after the buffer.
int64_t PlainMix(const int16_t* data, int64_t p, int frames, std::vector<float>& left,
                 std::vector<float>& right, float* out) {
  std::fill(left.begin(), left.end(), 0.0f);
  std::fill(right.begin(), right.end(), 0.0f);
  for (int v = 0; v < 64; ++v) {
    const float pan = (v % 5) * 0.4f - 0.8f;
    const float gl = (1.0f - pan) / 32768.0f, gr = (1.0f + pan) / 32768.0f, volume = 0.1f;
    for (int k = 0; k < frames; ++k) {
      left[size_t(k)] += data[p + 2 * k] * gl * volume;
      right[size_t(k)] += data[p + 2 * k + 1] * gr * volume;
    }
  }
  for (int k = 0; k < frames; ++k) {
    out[2 * k] = std::clamp(left[size_t(k)], -1.0f, 1.0f);
    out[2 * k + 1] = std::clamp(right[size_t(k)], -1.0f, 1.0f);
  }
  return p + 2 * frames;
}

// The mixer's buffer for 64 voices without reverb beside the plain loop, buffer by buffer. The
// reported time is the mixer's median; plain_us is the loop's and ratio = mixer / loop.
void BM_MixerVsPlainLoop(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const int frames = static_cast<int>(state.range(0));
  Audio audio;
  audio.BeginOffline(frames);
  Audio::Sound sound;
  FillNoise(sound, 44100 * 60);
  const int16_t* data = sound.data.load();
  auto start = [&] {
    for (int i = 0; i < 64; ++i) audio.StartSound(sound, 0.1f, (i % 5) * 0.4f - 0.8f, false, 0.0f, false);
  };
  start();
  std::vector<float> out(2 * static_cast<size_t>(frames)), left(frames, 0.0f), right(frames, 0.0f);
  std::vector<double> mixer, plain;
  int64_t p = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    Audio::PortAudioCallback(nullptr, out.data(), frames, nullptr, 0, &audio);
    const auto t1 = Clock::now();
    p = PlainMix(data, p, frames, left, right, out.data());
    const auto t2 = Clock::now();
    benchmark::DoNotOptimize(out.data());
    mixer.push_back(std::chrono::duration<double>(t1 - t0).count());
    plain.push_back(std::chrono::duration<double>(t2 - t1).count());
    state.SetIterationTime(mixer.back());
    if (p > 2 * 44100 * 50) {  // keep the voices inside the sound
      audio.StopAllSounds(false);
      Audio::PortAudioCallback(nullptr, out.data(), frames, nullptr, 0, &audio);
      start();
      p = 0;
    }
  }
  const double a = Median(mixer), b = Median(plain);
  state.counters["mixer_us"] = a * 1e6;
  state.counters["plain_us"] = b * 1e6;
  state.counters["ratio"] = a / b;
  audio.EndOffline();
  audio.FreeSound(sound);
}
BENCHMARK(BM_MixerVsPlainLoop)->Arg(64)->Arg(256)->ArgName("frames")->UseManualTime();

void BM_Resample48000To44100(benchmark::State& state) {
  const int frames = 48000;
  std::vector<int16_t> in(2 * frames);
  for (int i = 0; i < 2 * frames; ++i) in[i] = static_cast<int16_t>((i * 37) % 20000 - 10000);
  std::vector<int16_t> out(2 * 44200);
  for (auto _ : state) {
    int n = 0;
    Audio::ConvertTo44100HzStereo(in.data(), frames, 2, 48000, out.data(), n);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * frames);  // input frames per second
}
BENCHMARK(BM_Resample48000To44100)->Unit(benchmark::kMillisecond);

std::string Fixture(const std::string& name, const std::string& command, const std::string& after = "") {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/skyt_audio_bench_XXXXXX";
    const char* d = mkdtemp(tmpl);
    return std::string(d ? d : "/tmp");
  }();
  const std::string path = dir + "/" + name;
  if (access(path.c_str(), R_OK) != 0) {
    const std::string full = command + " " + path + " " + after + " >/dev/null 2>&1";
    if (std::system(full.c_str()) != 0) return "";
  }
  return path;
}

void BM_DecodeWav48k24bit(benchmark::State& state) {
  const std::string path = Fixture("ten.wav", "sox -r 48000 -n -r 48000 -c 2 -b 24 -t wav", "synth 10 sine 440");
  if (path.empty()) return state.SkipWithError("sox failed");
  Audio audio;
  for (auto _ : state) {
    Audio::Sound s;
    audio.LoadWav(s, path.c_str(), 8);
    audio.FreeSound(s);
  }
  state.SetLabel("10 s of 48 kHz 24-bit stereo");
}
BENCHMARK(BM_DecodeWav48k24bit)->Unit(benchmark::kMillisecond);

// FFmpeg's own decoding and resampling (libswresample) of the same file to the same 16-bit
// stereo at 44.1 kHz: the yardstick for BM_DecodeWav48k24bit.
int64_t FfmpegDecodeTo44100(const std::string& path, std::vector<int16_t>& out) {
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return -1;
  avformat_find_stream_info(format, nullptr);
  const AVCodec* decoder = nullptr;
  const int stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  AVCodecContext* codec = avcodec_alloc_context3(decoder);
  avcodec_parameters_to_context(codec, format->streams[stream]->codecpar);
  avcodec_open2(codec, decoder, nullptr);
  SwrContext* swr = nullptr;
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_S16, 44100, &codec->ch_layout, codec->sample_fmt,
                      codec->sample_rate, 0, nullptr);
  swr_init(swr);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  int64_t made = 0;
  auto convert = [&](const uint8_t** data, int count) {
    const int room = swr_get_out_samples(swr, count);
    if (out.size() < size_t(2 * (made + room))) out.resize(size_t(2 * (made + room)));
    uint8_t* dst = reinterpret_cast<uint8_t*>(out.data() + 2 * made);
    made += std::max(0, swr_convert(swr, &dst, room, data, count));
  };
  while (av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == stream && avcodec_send_packet(codec, packet) >= 0)
      while (avcodec_receive_frame(codec, frame) >= 0)
        convert(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    av_packet_unref(packet);
  }
  convert(nullptr, 0);  // what the resampler still holds
  av_frame_free(&frame);
  av_packet_free(&packet);
  swr_free(&swr);
  avcodec_free_context(&codec);
  avformat_close_input(&format);
  return made;
}

void BM_DecodeWav48k24bitFfmpeg(benchmark::State& state) {
  const std::string path = Fixture("ten.wav", "sox -r 48000 -n -r 48000 -c 2 -b 24 -t wav", "synth 10 sine 440");
  if (path.empty()) return state.SkipWithError("sox failed");
  std::vector<int16_t> out;
  int64_t frames = 0;
  for (auto _ : state) benchmark::DoNotOptimize(frames = FfmpegDecodeTo44100(path, out));
  state.counters["frames"] = double(frames);
  state.SetLabel("the same file by libavcodec and libswresample");
}
BENCHMARK(BM_DecodeWav48k24bitFfmpeg)->Unit(benchmark::kMillisecond);

void BM_DecodeOgg(benchmark::State& state) {
  const std::string path = Fixture("ten.ogg", "sox -n -r 44100 -c 2 -t ogg", "synth 10 sine 440");
  if (path.empty()) return state.SkipWithError("sox failed");
  Audio audio;
  for (auto _ : state) {
    Audio::Sound s;
    audio.LoadOgg(s, path.c_str(), 1);
    audio.FreeSound(s);
  }
  state.SetLabel("10 s of 44.1 kHz stereo");
}
BENCHMARK(BM_DecodeOgg)->Unit(benchmark::kMillisecond);

void BM_DecodeMp3(benchmark::State& state) {
  const std::string path = Fixture("ten.mp3", "ffmpeg -y -f lavfi -i sine=duration=10 -ac 2 -b:a 192k");
  if (path.empty()) return state.SkipWithError("ffmpeg failed");
  Audio audio;
  for (auto _ : state) {
    Audio::Sound s;
    audio.LoadMp3(s, path.c_str(), 1);
    audio.FreeSound(s);
  }
  state.SetLabel("10 s of 44.1 kHz stereo MP3");
}
BENCHMARK(BM_DecodeMp3)->Unit(benchmark::kMillisecond);

}  // namespace
