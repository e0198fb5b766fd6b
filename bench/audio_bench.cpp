// The audio engine's costs: one mixer buffer for 1, 8 and 64 voices with and without reverb at
// 16, 64 and 256 frames, and beside the tightest plain loop doing the same mixing; resampling;
// decoding WAV (beside FFmpeg's own decoding and resampling of the same file, in turns),
// Ogg Vorbis and MP3.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
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

// The 64 voices of the comparison below: voice i plays layer i % 8 from i * 0.1 s on, with its
// own volume and pan.
constexpr int kLayers = 8;
float VoiceVolume(int i) { return 0.05f + 0.01f * static_cast<float>(i % 7); }
float VoicePan(int i) { return static_cast<float>(i % 5) * 0.4f - 0.8f; }
float VoiceStart(int i) { return 0.1f * static_cast<float>(i); }

// The tightest plain loop doing the mixer's work for 64 steady voices without reverb: per
// voice its layer's samples times its side's gain (pan, volume and the 16-bit scale in one
// factor) summed into the two buses, and its position advanced; then the master gain, the
// peak and the clamp into the interleaved output.
class PlainMixer {
 public:
  PlainMixer(const std::vector<const int16_t*>& layers, int frames) : left_(frames), right_(frames) {
    for (int i = 0; i < Audio::kMaxVoices; ++i) {
      const float x = (VoicePan(i) + 1.0f) * 3.14159f * 0.25f;
      voices_.push_back({layers[size_t(i % kLayers)], 2 * static_cast<int64_t>(VoiceStart(i) * 44100.0f),
                         std::cos(x) * VoiceVolume(i) / 32768.0f, std::sin(x) * VoiceVolume(i) / 32768.0f});
    }
  }
  void Restart() {
    for (int i = 0; i < Audio::kMaxVoices; ++i)
      voices_[size_t(i)].position = 2 * static_cast<int64_t>(VoiceStart(i) * 44100.0f);
  }
  float Mix(float* out, int frames, float gain) {
    float* __restrict l = left_.data();
    float* __restrict r = right_.data();
    std::fill(l, l + frames, 0.0f);
    std::fill(r, r + frames, 0.0f);
    for (Voice& v : voices_) {
      const int16_t* __restrict x = v.data + v.position;
      for (int k = 0; k < frames; ++k) {
        l[k] += x[2 * k] * v.gl;
        r[k] += x[2 * k + 1] * v.gr;
      }
      v.position += 2 * frames;
    }
    float peak = 0.0f;
    for (int k = 0; k < frames; ++k) {
      const float a = l[k] * gain, b = r[k] * gain;
      peak = std::max(peak, std::max(std::fabs(a), std::fabs(b)));
      out[2 * k] = std::clamp(a, -1.0f, 1.0f);
      out[2 * k + 1] = std::clamp(b, -1.0f, 1.0f);
    }
    return peak;
  }

 private:
  struct Voice {
    const int16_t* data;
    int64_t position;
    float gl, gr;
  };
  std::vector<Voice> voices_;
  std::vector<float> left_, right_;
};

// The mixer's buffer for 64 voices without reverb beside the plain loop, in turns of about 4096
// frames each (the side that goes first alternates). The reported time is the mixer's per turn;
// mixer_us and plain_us are the medians per buffer, ratio = mixer / loop.
void BM_MixerVsPlainLoop(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const int frames = static_cast<int>(state.range(0));
  const int turn = std::max(1, 4096 / frames);
  constexpr int kLayerFrames = 44100 * 10;
  Audio audio;
  audio.BeginOffline(frames);
  std::vector<Audio::Sound> layers(kLayers);
  std::vector<const int16_t*> data;
  for (Audio::Sound& layer : layers) {
    FillNoise(layer, kLayerFrames);
    data.push_back(layer.data.load());
  }
  auto start = [&] {
    audio.StopAllSounds(false);
    std::vector<float> scratch(2 * static_cast<size_t>(frames));
    Audio::PortAudioCallback(nullptr, scratch.data(), frames, nullptr, 0, &audio);
    for (int i = 0; i < Audio::kMaxVoices; ++i)
      audio.StartSound(layers[size_t(i % kLayers)], VoiceVolume(i), VoicePan(i), false, VoiceStart(i), false);
  };
  start();
  PlainMixer plain(data, frames);
  std::vector<float> out(2 * static_cast<size_t>(frames));
  std::vector<double> mixer_times, plain_times;
  int64_t played = 0;
  bool mixer_first = true;
  for (auto _ : state) {
    if (played + turn * frames + 44100 * 7 > kLayerFrames) {  // keep every voice inside its layer
      start();
      plain.Restart();
      played = 0;
    }
    double took[2];
    for (int side : {mixer_first ? 0 : 1, mixer_first ? 1 : 0}) {
      const auto t0 = Clock::now();
      for (int b = 0; b < turn; ++b) {
        if (side == 0)
          Audio::PortAudioCallback(nullptr, out.data(), frames, nullptr, 0, &audio);
        else
          benchmark::DoNotOptimize(plain.Mix(out.data(), frames, 1.0f));
        benchmark::DoNotOptimize(out.data());
      }
      took[side] = std::chrono::duration<double>(Clock::now() - t0).count();
    }
    mixer_first = !mixer_first;
    played += turn * frames;
    mixer_times.push_back(took[0] / turn);
    plain_times.push_back(took[1] / turn);
    state.SetIterationTime(took[0]);
  }
  const double a = Median(mixer_times), b = Median(plain_times);
  state.counters["mixer_us"] = a * 1e6;
  state.counters["plain_us"] = b * 1e6;
  state.counters["ratio"] = a / b;
  if (audio.GetNumPlayingSounds() != Audio::kMaxVoices) state.SkipWithError("voices ended early");
  audio.EndOffline();
  for (Audio::Sound& layer : layers) audio.FreeSound(layer);
}
BENCHMARK(BM_MixerVsPlainLoop)->Arg(16)->Arg(64)->Arg(256)->ArgName("frames")->UseManualTime();

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

// Page faults of the calling thread so far (a fresh page costs one when first touched).
double Faults() {
  rusage r;
  getrusage(RUSAGE_THREAD, &r);
  return static_cast<double>(r.ru_minflt);
}

void BM_DecodeWav48k24bit(benchmark::State& state) {
  const std::string path = Fixture("ten.wav", "sox -r 48000 -n -r 48000 -c 2 -b 24 -t wav", "synth 10 sine 440");
  if (path.empty()) return state.SkipWithError("sox failed");
  Audio audio;
  const double f0 = Faults();
  for (auto _ : state) {
    Audio::Sound s;
    audio.LoadWav(s, path.c_str(), 8);
    audio.FreeSound(s);
  }
  state.counters["faults"] = (Faults() - f0) / static_cast<double>(state.iterations());
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

// The project's decoder and FFmpeg's in one process, in ten rounds of five decodes a side taken
// in turns. Per round the two medians and their ratio (ours / FFmpeg); ratio is the median over
// the rounds and ratio_max the worst round. faults_ours and faults_ffmpeg are the page faults
// per decode (fresh pages the decode touches first).
void BM_DecodeWavVsFfmpeg(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const std::string path = Fixture("ten.wav", "sox -r 48000 -n -r 48000 -c 2 -b 24 -t wav", "synth 10 sine 440");
  if (path.empty()) return state.SkipWithError("sox failed");
  Audio audio;
  std::vector<int16_t> out;
  std::vector<double> ours_ms, theirs_ms, ratios;
  double faults_ours = 0, faults_theirs = 0;
  for (auto _ : state) {
    std::vector<double> ours, theirs;
    for (int turn = 0; turn < 5; ++turn) {
      double f0 = Faults();
      auto t0 = Clock::now();
      Audio::Sound s;
      if (!audio.LoadWav(s, path.c_str(), 8)) return state.SkipWithError("the WAV did not load");
      audio.FreeSound(s);
      ours.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
      faults_ours += Faults() - f0;
      f0 = Faults();
      t0 = Clock::now();
      if (FfmpegDecodeTo44100(path, out) < 1) return state.SkipWithError("FFmpeg failed");
      theirs.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
      faults_theirs += Faults() - f0;
    }
    ours_ms.push_back(1e3 * Median(ours));
    theirs_ms.push_back(1e3 * Median(theirs));
    ratios.push_back(ours_ms.back() / theirs_ms.back());
    state.SetIterationTime(ours_ms.back() / 1e3);
  }
  const double decodes = 5.0 * static_cast<double>(ratios.size());
  state.counters["ours_ms"] = Median(ours_ms);
  state.counters["ffmpeg_ms"] = Median(theirs_ms);
  state.counters["ratio_max"] = *std::max_element(ratios.begin(), ratios.end());
  state.counters["ratio"] = Median(ratios);
  state.counters["faults_ours"] = faults_ours / decodes;
  state.counters["faults_ffmpeg"] = faults_theirs / decodes;
}
BENCHMARK(BM_DecodeWavVsFfmpeg)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

// Loads and frees the file with the loader each iteration.
void TimeDecodes(benchmark::State& state, const std::string& path,
                 bool (Audio::*load)(Audio::Sound&, const char*, int), const char* label) {
  Audio audio;
  for (auto _ : state) {
    Audio::Sound s;
    (audio.*load)(s, path.c_str(), 1);
    audio.FreeSound(s);
  }
  state.SetLabel(label);
}

void BM_DecodeOgg(benchmark::State& state) {
  const std::string path = Fixture("ten.ogg", "sox -n -r 44100 -c 2 -t ogg", "synth 10 sine 440");
  if (path.empty()) return state.SkipWithError("sox failed");
  TimeDecodes(state, path, &Audio::LoadOgg, "10 s of 44.1 kHz stereo");
}
BENCHMARK(BM_DecodeOgg)->Unit(benchmark::kMillisecond);

void BM_DecodeMp3(benchmark::State& state) {
  const std::string path = Fixture("ten.mp3", "ffmpeg -y -f lavfi -i sine=duration=10 -ac 2 -b:a 192k");
  if (path.empty()) return state.SkipWithError("ffmpeg failed");
  TimeDecodes(state, path, &Audio::LoadMp3, "10 s of 44.1 kHz stereo MP3");
}
BENCHMARK(BM_DecodeMp3)->Unit(benchmark::kMillisecond);

}  // namespace
