// The mixer driven offline: pan and gain, sample-accurate starts, voice limits and stealing,
// fades, clamp and meter, the hook and the reverb.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "sound/audio.h"
#include "sound/reverb.h"
#include "tests/sound/audio_test_util.h"

using audio_test::Constant;
using audio_test::Fill;
using audio_test::FirstLoudFrame;
using audio_test::Render;

namespace {

class Mixer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(audio.BeginOffline(64), 64); }
  void TearDown() override {
    audio.EndOffline();
    for (Audio::Sound* s : {&a, &b, &c}) audio.FreeSound(*s);
  }
  Audio audio;
  Audio::Sound a, b, c;
};

TEST_F(Mixer, EqualPowerPanAndGains) {
  Fill(a, Constant(1000, 16384), 8);
  audio.StartSound(a, 1.0f, 0.0f, true, 0.0f, false);
  std::vector<float> out = Render(audio, 64);
  EXPECT_NEAR(out[0], 0.5f * 0.70711f, 1e-4);
  EXPECT_NEAR(out[1], 0.5f * 0.70711f, 1e-4);

  audio.StopAllSounds(false);
  Render(audio, 64);
  audio.StartSound(a, 1.0f, -1.0f, true, 0.0f, false);
  out = Render(audio, 64);
  EXPECT_NEAR(out[0], 0.5f, 1e-4);
  EXPECT_NEAR(out[1], 0.0f, 1e-4);

  audio.StopAllSounds(false);
  Render(audio, 64);
  audio.SetMasterGain(2.0f);
  audio.StartSound(a, 0.5f, 1.0f, true, 0.0f, false);
  out = Render(audio, 64);
  EXPECT_NEAR(out[0], 0.0f, 1e-4);
  EXPECT_NEAR(out[1], 0.5f, 1e-4);  // 0.5 sample * 0.5 volume * gain 2
}

TEST_F(Mixer, StartOffsetsAreExactAcrossBuffers) {
  Fill(a, Constant(2000, 16384), 8);
  audio.StartSound(a, 1.0f, 0.0f, true, -0.01f, false);
  EXPECT_LT(audio.GetPlayingTime(a), 0.0f);
  std::vector<float> out = Render(audio, 1024);
  EXPECT_EQ(FirstLoudFrame(out), 441);
  // A pending voice does not fade before it starts: full level at its first frame.
  EXPECT_NEAR(out[2 * 441], 0.5f * 0.70711f, 1e-4);

  // A positive start skips into the sound.
  std::vector<int16_t> ramp(2 * 1000);
  for (int i = 0; i < 1000; ++i) ramp[2 * i] = ramp[2 * i + 1] = static_cast<int16_t>(i * 10);
  Fill(b, ramp, 1);
  audio.StopAllSounds(false);
  Render(audio, 64);
  audio.StartSound(b, 1.0f, -1.0f, false, 100.0f / 44100.0f, false);
  out = Render(audio, 1);
  EXPECT_NEAR(out[0], 1000.0f / 32768.0f, 1e-5);
}

TEST_F(Mixer, VoiceLimitsAndStealing) {
  Fill(a, Constant(100000, 1000), 8);
  Fill(b, Constant(100000, 1000), 8);
  audio.StartSound(b, 1.0f, 0.0f, true, 0.0f, false);
  for (int i = 0; i < 8; ++i) {
    audio.StartSound(a, 1.0f, 0.0f, true, 0.0f, false);
    Render(audio, 64);
  }
  EXPECT_EQ(audio.GetNumPlayingSounds(), 9);
  // The ninth voice of `a` replaces its oldest voice (slot 1), not the other sound.
  audio.StartSound(a, 1.0f, 0.0f, true, 0.0f, false);
  EXPECT_EQ(audio.GetNumPlayingSounds(), 9);
  EXPECT_FLOAT_EQ(audio.GetPlayingTime(a), 0.0f);
  EXPECT_GT(audio.GetPlayingTime(b), 0.0f);

  // A full table of voices that may not be stolen refuses a new sound...
  audio.StopAllSounds(false);
  Render(audio, 64);
  Fill(c, Constant(100000, 1000), 64);
  for (int i = 0; i < 64; ++i) audio.StartSound(c, 0.1f, 0.0f, false, 0.0f, false);
  Render(audio, 64);
  audio.StartSound(a, 1.0f, 0.0f, true, 0.0f, false);
  EXPECT_EQ(audio.GetNumPlayingSounds(), 64);
  EXPECT_FLOAT_EQ(audio.GetPlayingTime(a), -1.0f);
  // ...while stealable ones give way, the oldest started first.
  audio.StopAllSounds(false);
  Render(audio, 64);
  for (int i = 0; i < 64; ++i) audio.StartSound(c, 0.1f, 0.0f, true, 0.0f, false);
  Render(audio, 64);
  audio.StartSound(a, 1.0f, 0.0f, true, 0.0f, false);
  EXPECT_FLOAT_EQ(audio.GetPlayingTime(a), 0.0f);
  EXPECT_EQ(audio.GetNumPlayingSounds(), 64);
}

TEST_F(Mixer, FadesReleaseVoices) {
  Fill(a, Constant(100000, 16384), 8);
  audio.StartSound(a, 1.0f, 0.0f, true, 0.0f, false);
  audio.FadeSound(a, 0.1f);
  int frames = 0;
  while (audio.GetNumPlayingSounds() > 0 && frames < 10000) {
    Render(audio, 64);
    frames += 64;
  }
  EXPECT_GE(frames, 4410);
  EXPECT_LE(frames, 4410 + 64);

  // A fade of no length or of NaN seconds stops the voice at once instead of leaving it on.
  for (float seconds : {0.0f, NAN, -1.0f}) {
    audio.StartSound(a, 1.0f, 0.0f, true, 0.0f, false);
    Render(audio, 64);
    audio.FadeSound(a, seconds);
    std::vector<float> out = Render(audio, 64);
    EXPECT_EQ(audio.GetNumPlayingSounds(), 0) << seconds;
    EXPECT_EQ(out[0], 0.0f);
  }
}

// Without a running stream a sound is freed at once, and its voices with it; other sounds play on.
TEST_F(Mixer, SafeFreeReleasesTheSoundsVoices) {
  Fill(a, Constant(1000, 16384), 8);
  Fill(b, Constant(1000, 16384), 8);
  for (Audio::Sound* s : {&a, &a, &b}) audio.StartSound(*s, 1.0f, 0.0f, true, 0.0f, false);
  audio.SafeFreeSound(a);
  EXPECT_EQ(a.Data(), nullptr);
  EXPECT_EQ(audio.GetNumPlayingSounds(), 1);
  EXPECT_GE(audio.GetPlayingTime(b), 0.0f);
}

TEST_F(Mixer, ClampKeepsUnclampedPeakForTheMeter) {
  Fill(a, Constant(1000, 32767), 8);
  audio.StartSound(a, 4.0f, 0.0f, true, 0.0f, false);
  std::vector<float> out = Render(audio, 64);
  EXPECT_FLOAT_EQ(out[0], 1.0f);
  EXPECT_NEAR(audio.GetPeak(), 4.0f * 0.70711f * 32767.0f / 32768.0f, 1e-3);
  // A new device, even one with no output, starts its meter from silence.
  audio.EndOffline();
  ASSERT_TRUE(audio.Init(Audio::kNoOutput, 64, false, 1, -1));
  EXPECT_EQ(audio.GetPeak(), 0.0f);
}

TEST_F(Mixer, NanNeverReachesTheOutput) {
  Fill(a, Constant(1000, 16384), 8);
  audio.StartSound(a, NAN, 0.0f, true, 0.0f, false);
  EXPECT_EQ(audio.GetNumPlayingSounds(), 0);
  audio.StartSound(a, 1.0f, NAN, true, NAN, false);  // centred, at once
  std::vector<float> out = Render(audio, 64);
  EXPECT_NEAR(out[0], 0.5f * 0.70711f, 1e-4);
  audio.SetMasterGain(NAN);
  out = Render(audio, 64);
  for (float v : out) ASSERT_EQ(v, 0.0f);
  audio.SetMasterGain(1.0f);
  audio.SetPlayingSoundVolume(a, INFINITY);
  out = Render(audio, 64);
  for (float v : out) ASSERT_TRUE(std::isfinite(v));
  EXPECT_EQ(out[126], 0.0f);  // an endless volume silences the playing sound
}

TEST_F(Mixer, SteadyVoicesSoundEveryFrameOfTheirSoundAndNoMore) {
  const struct {
    int frames, delay;  // the sound's length; frames before it starts
  } cases[] = {{1, 0}, {37, 0}, {64, 0}, {100, 441}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.frames);
    Fill(a, Constant(c.frames, 16384), 1);
    audio.StartSound(a, 1.0f, -1.0f, false, -c.delay / 44100.0f, false);
    const std::vector<float> out = Render(audio, 1024);
    for (int k = 0; k < 1024; ++k)
      ASSERT_FLOAT_EQ(out[2 * k], k >= c.delay && k < c.delay + c.frames ? 0.5f : 0.0f) << k;
    EXPECT_EQ(audio.GetNumPlayingSounds(), 0);
    audio.FreeSound(a);
  }
}

TEST_F(Mixer, GrowingSoundIsFollowedUntilCaughtUp) {
  // A sound still loading: room for 1000 frames, 100 there so far.
  Fill(a, Constant(1000, 16384), 1);
  a.frames.store(100);
  audio.StartSound(a, 1.0f, 0.0f, false, 0.0f, false);
  Render(audio, 64);
  a.frames.store(1000);
  std::vector<float> out = Render(audio, 512);
  EXPECT_GT(out[2 * 500], 0.1f);  // frame 564 of the sound
  // One that does not grow in time ends when the position passes what is loaded.
  audio.StopAllSounds(false);
  Render(audio, 64);
  a.frames.store(100);
  audio.StartSound(a, 1.0f, 0.0f, false, 0.0f, false);
  Render(audio, 128);
  EXPECT_EQ(audio.GetNumPlayingSounds(), 0);
}

struct HookLog {
  std::vector<std::pair<float, float>> calls;
  bool keep = true;
};

bool RecordingHook(float t0, float t1, void* user) {
  HookLog* log = static_cast<HookLog*>(user);
  log->calls.emplace_back(t0, t1);
  return log->keep;
}

TEST_F(Mixer, HookSeesTheStreamClock) {
  HookLog log;
  audio.SetHook(RecordingHook, &log, 44100);
  Render(audio, 128);
  ASSERT_EQ(log.calls.size(), 2u);
  EXPECT_FLOAT_EQ(log.calls[0].first, 1.0f);
  EXPECT_FLOAT_EQ(log.calls[0].second, (44100.0f + 64.0f) / 44100.0f);
  EXPECT_FLOAT_EQ(log.calls[1].first, (44100.0f + 64.0f) / 44100.0f);
  EXPECT_EQ(audio.GetSampleCounter(), 44100 + 128);
  log.keep = false;
  std::vector<float> out(128);
  EXPECT_EQ(Audio::PortAudioCallback(nullptr, out.data(), 64, nullptr, 0, &audio), 1);
  audio.RemoveHook();
  EXPECT_EQ(Audio::PortAudioCallback(nullptr, out.data(), 64, nullptr, 0, &audio), 0);
  EXPECT_EQ(log.calls.size(), 3u);
}

TEST_F(Mixer, ReverbSendOnlyAboveThreshold) {
  Fill(a, Constant(64, 16384), 8);
  audio.SetReverbAmount(0.01f);
  audio.StartSound(a, 1.0f, 0.0f, true, 0.0f, true);
  Render(audio, 64);
  std::vector<float> tail = Render(audio, 2048);
  EXPECT_EQ(FirstLoudFrame(tail), -1);  // dry: nothing after the sound

  audio.SetReverbAmount(1.0f);
  audio.StartSound(a, 1.0f, 0.0f, true, 0.0f, true);
  std::vector<float> first = Render(audio, 64);
  EXPECT_NEAR(first[0], 0.75f * 0.5f * 0.70711f, 1e-4);  // the send keeps 0.75 of its level
  tail = Render(audio, 2048);
  EXPECT_NE(FirstLoudFrame(tail), -1);  // the room answers
}

TEST(Reverb, ImpulseResponse) {
  Reverb r(64, 1.0f, 0.5f, 0.5f);
  std::vector<float> left(4096, 0.0f), right(4096, 0.0f);
  left[0] = 1.0f;
  for (int k = 0; k < 4096; k += 64) r.Process(64, &left[k], &right[k], 1.0f);
  EXPECT_FLOAT_EQ(left[0], 0.75f);
  for (int k = 1; k < 1116; ++k) ASSERT_EQ(left[k], 0.0f) << k;
  EXPECT_NEAR(left[1116], 0.015f, 1e-6);
  for (int k = 0; k < 1128; ++k) ASSERT_EQ(right[k], 0.0f) << k;
  EXPECT_NEAR(right[1128], 0.015f, 1e-6);
  EXPECT_NE(right[1128 + 329], 0.0f);  // the second side's all-passes are longer and shorter in turn
  // Before the first all-pass echo the room answers at the comb lengths alone, the second
  // side's combs longer and shorter by the spread in turn.
  const std::pair<const std::vector<float>*, std::vector<int>> arrivals[] = {
      {&left, {1116, 1188, 1277}}, {&right, {1128, 1176, 1289}}};
  for (const auto& [out, frames] : arrivals) {
    std::vector<int> heard;
    for (int k = 1; k < 1341; ++k)
      if ((*out)[k] != 0.0f) heard.push_back(k);
    EXPECT_EQ(heard, frames);
  }
  // Each of the second side's eight combs answers first at its own length, not a frame sooner
  // (on the first side the all-pass echoes cancel one comb's first answer).
  for (int n : {1128, 1176, 1289, 1344, 1434, 1479, 1569, 1605}) {
    EXPECT_NE(right[n], 0.0f) << n;
    EXPECT_EQ(right[n - 1], 0.0f) << n;
  }
  // The filters carry their state from block to block: cut into blocks, the tail is the
  // same as in one block.
  Reverb whole(4096, 1.0f, 0.5f, 0.5f);
  std::vector<float> whole_left(4096, 0.0f), whole_right(4096, 0.0f);
  whole_left[0] = 1.0f;
  whole.Process(4096, whole_left.data(), whole_right.data(), 1.0f);
  for (int k = 0; k < 4096; ++k) ASSERT_EQ(left[k], whole_left[k]) << k;

  // Silence stays silent; amount 0 leaves the send as it is.
  Reverb quiet(64, 1.0f, 0.5f, 0.5f);
  std::vector<float> l(64, 0.0f), rr(64, 0.25f);
  quiet.Process(64, l.data(), rr.data(), 0.0f);
  for (int k = 0; k < 64; ++k) {
    ASSERT_EQ(l[k], 0.0f);
    ASSERT_EQ(rr[k], 0.25f);
  }
  // More frames than the block are cut to the block.
  std::vector<float> big(128, 1.0f), big_r(128, 1.0f);
  quiet.Process(128, big.data(), big_r.data(), 0.5f);
  EXPECT_EQ(big[100], 1.0f);
}

// Voices started and stopped from two threads while a third mixes: no slot is filled twice,
// the table stays consistent, and (under ThreadSanitizer) no data race.
TEST(MixerThreads, ConcurrentStartsAndStops) {
  Audio audio;
  audio.BeginOffline(64);
  Audio::Sound s1, s2;
  Fill(s1, Constant(20000, 1000), 8);
  Fill(s2, Constant(20000, 1000), 64);
  std::atomic<bool> done{false};
  std::thread mixer([&] {
    std::vector<float> out(128);
    while (!done.load()) Audio::PortAudioCallback(nullptr, out.data(), 64, nullptr, 0, &audio);
  });
  auto starter = [&](Audio::Sound* s, bool stealable) {
    for (int i = 0; i < 20000; ++i) {
      audio.StartSound(*s, 0.5f, (i % 3) - 1.0f, stealable, (i % 5) * -0.001f, false);
      if (i % 7 == 0) audio.StopSound(*s, false);
      if (i % 11 == 0) audio.FadeSound(*s, 0.01f);
      EXPECT_LE(audio.GetNumPlayingSounds(), 64);
    }
  };
  std::thread t1(starter, &s1, true);
  std::thread t2(starter, &s2, false);
  t1.join();
  t2.join();
  done.store(true);
  mixer.join();
  audio.EndOffline();
  EXPECT_EQ(audio.GetNumPlayingSounds(), 0);
  audio.FreeSound(s1);
  audio.FreeSound(s2);
}

}  // namespace
