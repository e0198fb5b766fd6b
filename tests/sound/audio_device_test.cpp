// The engine on a real PortAudio stream: a JACK server with the dummy driver (started and
// stopped by this test) runs the callback in real time, and jack_rec captures the output.
#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <jack/jack.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "frame/ini_file.h"
#include "sound/audio.h"
#include "sound/jack_keeper.h"
#include "sound/midi.h"
#include "sound/sound.h"
#include "tests/sound/audio_test_util.h"
#include "tests/sound/element_test_util.h"
#include "tests/sound/jack_server.h"
#include "tests/sound/refused_opens.h"
#include "tests/support/test_dirs.h"

// Counts PortAudio's sessions ended.
int terminations = 0;

extern "C" PaError Pa_Terminate() {
  static const auto real = reinterpret_cast<PaError (*)()>(dlsym(RTLD_NEXT, "Pa_Terminate"));
  ++terminations;
  return real();
}

// A sound card plugged in, as ALSA's card list shows it.
constexpr int kPluggedCard = 29;
bool card_plugged = false;

extern "C" int snd_card_next(int* card) {
  static const auto real = reinterpret_cast<int (*)(int*)>(dlsym(RTLD_NEXT, "snd_card_next"));
  const int before = *card;
  const int err = real(card);
  if (card_plugged && err == 0 && *card < 0 && before < kPluggedCard) *card = kPluggedCard;
  return err;
}

// A JACK server too busy to answer PortAudio's client in time.
bool portaudio_misses_jack = false;

extern "C" jack_client_t* jack_client_open(const char* name, jack_options_t options, jack_status_t* status, ...) {
  using Open = jack_client_t* (*)(const char*, jack_options_t, jack_status_t*, ...);
  static const Open real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "jack_client_open"));
  if (portaudio_misses_jack && std::string(name) != jack_keeper::kClientName) {
    *status = JackServerFailed;
    return nullptr;
  }
  return real(name, options, status);
}

// Probing a device that cannot open: ALSA prints its own lines, as PortAudio's probe of such
// a device makes it.
bool probe_prints = false;

extern "C" PaError Pa_IsFormatSupported(const PaStreamParameters* in, const PaStreamParameters* out, double rate) {
  using Probe = PaError (*)(const PaStreamParameters*, const PaStreamParameters*, double);
  static const Probe real = reinterpret_cast<Probe>(dlsym(RTLD_NEXT, "Pa_IsFormatSupported"));
  snd_pcm_t* pcm = nullptr;
  if (probe_prints) snd_pcm_open(&pcm, "no_such_device_of_the_test", SND_PCM_STREAM_PLAYBACK, 0);
  return real(in, out, rate);
}

namespace {

using jack_test::Capture;
using jack_test::JackServer;
using jack_test::Spawn;

const auto* const env = ::testing::AddGlobalTestEnvironment(new JackServer);

class RealStream : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(JackServer::ready) << JackServer::words;
    dir = skyt_test::FreshDir("device");
    ASSERT_TRUE(audio.Init(5, 64, false, 23, -1));
  }
  void TearDown() override {
    audio.CleanUp(true);
    for (auto* s : {&a, &b}) audio.FreeSound(*s);
  }
  std::string dir;
  Audio audio;
  Audio::Sound a, b;
};

TEST_F(RealStream, OpensJackAndPlaysWhatJackRecCaptures) {
  EXPECT_EQ(audio.GetDeviceType(), 5);
  const PaDeviceInfo* info = Pa_GetDeviceInfo(audio.GetDeviceIndexInUse());
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(std::string(info->name), "system");
  EXPECT_EQ(Pa_GetHostApiInfo(info->hostApi)->type, paJACK);
  EXPECT_FALSE(audio.IsDeviceChosenManually());

  // The stream clock runs in real time.
  const int64_t before = audio.GetSampleCounter();
  usleep(200000);
  EXPECT_GT(audio.GetSampleCounter() - before, 44100 / 10);

  // Our output ports, as JACK lists them.
  std::vector<std::string> ports;
  std::istringstream lines(Capture("jack_lsp"));
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("system:", 0) != 0 && !line.empty()) ports.push_back(line);
  ASSERT_EQ(ports.size(), 2u);

  audio_test::Fill(a, audio_test::Constant(44100 * 4, 8192), 1);
  audio.StartSound(a, 1.0f, -1.0f, false, 0.0f, false);
  const std::string wav = dir + "/captured.wav";
  const pid_t rec = Spawn({"jack_rec", "-f", wav, "-d", "1", "-b", "16", ports[0], ports[1]});
  ASSERT_GT(rec, 0);
  int status = 0;
  waitpid(rec, &status, 0);
  std::vector<uint8_t> bytes = element_test::ReadBytes(wav);
  ASSERT_GT(bytes.size(), 44u + 4 * 22050);
  // Left at 0.25 (hard left), right silent, in the middle of the capture.
  const size_t data = bytes.size() - 4 * 22050;
  int16_t left, right;
  memcpy(&left, &bytes[data], 2);
  memcpy(&right, &bytes[data + 2], 2);
  EXPECT_NEAR(left, 8192, 40);
  EXPECT_EQ(right, 0);

  // Freeing a playing sound waits until the mixer has let go of it.
  audio.SafeFreeSound(a);
  EXPECT_EQ(a.Data(), nullptr);
  EXPECT_EQ(audio.GetNumPlayingSounds(), 0);
}

std::atomic<int> hook_calls{0};
bool SlowHook(float, float, void*) {
  hook_calls.fetch_add(1);
  std::this_thread::sleep_for(std::chrono::microseconds(300));
  return true;
}

TEST_F(RealStream, WaitsEndAndHookRemovalIsClean) {
  audio_test::Fill(a, audio_test::Constant(44100 * 2, 1000), 8);
  audio_test::Fill(b, audio_test::Constant(44100 * 2, 1000), 8);
  for (int i = 0; i < 8; ++i) audio.StartSound(a, 0.5f, 0.0f, true, 0.0f, false);
  audio.StartSound(b, 0.5f, 0.0f, true, 0.0f, false);
  testing::internal::CaptureStdout();
  audio.StopSound(a, true);
  EXPECT_EQ(audio.GetPlayingTime(a), -1.0f);
  EXPECT_GE(audio.GetPlayingTime(b), 0.0f);
  audio.StopAllSounds(true);
  EXPECT_EQ(audio.GetNumPlayingSounds(), 0);
  // The mixer let go of them in time: no complaint of a device that stopped releasing voices.
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

  // After RemoveHook returns, the hook is not running and never runs again.
  for (int i = 0; i < 20; ++i) {
    audio.SetHook(SlowHook, nullptr, 0);
    usleep(2000);
    audio.RemoveHook();
    const int calls = hook_calls.load();
    usleep(5000);
    EXPECT_EQ(hook_calls.load(), calls);
  }
  EXPECT_GT(hook_calls.load(), 0);
}

TEST_F(RealStream, LoadersAndVoicesUnderLoad) {
  // Element samples loading on four threads while the main thread plays and frees them.
  std::vector<element_test::Pcm> pcm;
  for (int i = 0; i < 8; ++i) pcm.push_back(element_test::Tone(100000, 3000, i + 1));
  std::vector<uint8_t> file;
  Audio::Sound samples[8];
  // One sample per file keeps this independent of the element writer.
  for (int i = 0; i < 8; ++i) {
    const std::string path = dir + "/s" + std::to_string(i) + ".raw";
    std::vector<uint8_t> bytes;
    element_test::PutU32(bytes, 100000);
    element_test::PutU32(bytes, 0xFFFFFFFFu);  // head stored as it is
    element_test::PutU32(bytes, 6144 * 4);
    const uint8_t* head = reinterpret_cast<const uint8_t*>(pcm[i].data());
    bytes.insert(bytes.end(), head, head + 6144 * 4);
    const uint32_t rest = static_cast<uint32_t>(bytes.size() + 4);
    element_test::PutU32(bytes, rest);
    for (uint32_t f = 6144; f < 100000; f += 8192) {
      const uint32_t n = std::min<uint32_t>(8192, 100000 - f);
      element_test::PutU32(bytes, 0xFFFFFFFFu);
      element_test::PutU32(bytes, 4 * n);
      const uint8_t* p = reinterpret_cast<const uint8_t*>(pcm[i].data() + 2 * f);
      bytes.insert(bytes.end(), p, p + 4 * n);
    }
    element_test::PutU32(bytes, 0xFFFFFFFFu);
    element_test::PutU32(bytes, 0xFFFFFFFFu);
    element_test::WriteBytes(path, bytes);
  }
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 8; ++i) {
      const std::string path = dir + "/s" + std::to_string(i) + ".raw";
      std::ifstream in(path, std::ios::binary);
      audio.LoadRaw(samples[i], path.c_str(), in, 8);
    }
    audio.StartRawThreads(4);
    for (int k = 0; k < 200; ++k) {
      audio.StartSound(samples[k % 8], 0.1f, 0.0f, true, -0.001f * (k % 3), false);
      if (k % 50 == 49) usleep(1000);
    }
    for (auto& s : samples) audio.SafeFreeSound(s);
    audio.StopRawThreads();
    EXPECT_EQ(audio.GetNumPlayingSounds(), 0);
  }
}

TEST_F(RealStream, DeviceNamesAndReinit) {
  audio.CleanUp(true);
  Sound s;
  EXPECT_TRUE(s.ReinitDevice(5, 64, -1));
  EXPECT_TRUE(s.audio.IsStreamRunning());  // opened and started
  std::string name;
  s.GetAudioDeviceName(name, -3);
  EXPECT_EQ(name, "system");
  // The listing folds what the libraries print while it probes the devices into one line.
  std::map<int, std::string> names;
  probe_prints = true;
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  s.GetAudioDeviceNames(names);
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string err = testing::internal::GetCapturedStderr();
  probe_prints = false;
  EXPECT_EQ(err.find("ALSA lib"), std::string::npos) << err;
  EXPECT_EQ(out.rfind("Warning: the sound libraries reported ", 0), 0u) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  bool listed = false;
  for (auto& [index, n] : names) listed = listed || n == "system";
  EXPECT_TRUE(listed);
  // Index 0 is "default": the default device, counted as automatic.
  EXPECT_TRUE(s.ReinitDevice(5, 64, 0));
  EXPECT_FALSE(s.IsAudioDeviceChoiceManual());
  EXPECT_TRUE(s.ReinitDevice(0, 64, -1));
  s.GetAudioDeviceName(name, -3);
  EXPECT_EQ(name, "None");
  EXPECT_TRUE(s.IsAudioDeviceChoiceManual());
  s.GetAudioDeviceName(name, -1);
  EXPECT_EQ(name, "Click Apply...");
  s.GetAudioDeviceName(name, 9999);
  EXPECT_EQ(name, "N/A");
  s.CleanUp();
}

// A device change closes the stream and opens the next one in the same PortAudio session: its
// JACK client is never closed under a running program. Only a change in the machine's devices
// begins the session anew, so that they are listed; the idle JACK client that keeps the JACK
// library's state lives as long as the sound engine.
TEST_F(RealStream, DeviceChangesKeepPortAudioUnlessTheDevicesChange) {
  audio.CleanUp(true);
  jack_status_t status;
  jack_client_t* observer = jack_client_open("skyt_observer", JackNoStartServer, &status);
  ASSERT_NE(observer, nullptr);
  // The idle client's id as the server knows it ("" when there is none).
  const auto idle_client = [observer] {
    char* uuid = jack_get_uuid_for_client_name(observer, jack_keeper::kClientName);
    const std::string id = uuid ? uuid : "";
    jack_free(uuid);
    return id;
  };
  const struct { const char* what; int type, frames; bool plugged, misses; int terminations; bool runs; } changes[] = {
      {"another type and buffer size", 6, 256, false, false, 0, true},
      {"back", 5, 128, false, false, 0, true},
      {"no output", 0, 64, false, false, 0, false},
      {"a card plugged in", 5, 64, true, false, 1, true},
      {"the same again", 6, 64, true, false, 0, true},
      {"the card gone, and PortAudio misses the JACK server", 5, 64, false, true, 1, false},
      {"PortAudio reaches it at the next change", 6, 64, false, false, 1, true},
      {"and keeps it", 5, 64, false, false, 0, true},
  };
  Sound s;
  ASSERT_TRUE(s.ReinitDevice(5, 64, -1));
  const std::string idle = idle_client();
  ASSERT_NE(idle, "");
  for (const auto& c : changes) {
    card_plugged = c.plugged;
    portaudio_misses_jack = c.misses;
    terminations = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(s.ReinitDevice(c.type, c.frames, c.type ? -1 : -2), c.runs || !c.type) << c.what;
    testing::internal::GetCapturedStdout();
    portaudio_misses_jack = false;
    EXPECT_EQ(terminations, c.terminations) << c.what;
    EXPECT_EQ(s.audio.IsStreamRunning(), c.runs) << c.what;
    EXPECT_EQ(idle_client(), idle) << c.what;  // the same one throughout
  }
  s.CleanUp();
  EXPECT_EQ(idle_client(), "");
  jack_client_close(observer);
}

// A stream type that does not open falls back to type 2, then to type 1, then to no output; the
// reverb amount set before survives each of them, and a stream that opened answers with a tail.
TEST_F(RealStream, FallbacksKeepTheReverb) {
  audio.CleanUp(true);
  const struct { int failing; bool asked; int type; } cases[] = {{0, true, 5}, {1, false, 2}, {2, false, 1}, {3, false, 0}};
  for (const auto& c : cases) {
    Sound s;
    s.audio.SetReverbAmount(0.5f);
    refused_opens = c.failing;
    testing::internal::CaptureStdout();
    EXPECT_EQ(s.ReinitDevice(5, 64, -1), c.asked) << c.failing;
    testing::internal::GetCapturedStdout();
    refused_opens = 0;
    EXPECT_EQ(s.audio.GetDeviceType(), c.type) << c.failing;
    EXPECT_FLOAT_EQ(s.audio.GetReverbAmount(), 0.5f) << c.failing;
    std::string name;
    s.GetAudioDeviceName(name, -3);
    EXPECT_EQ(name, c.type != 0 ? "system" : "None") << c.failing;
    if (c.type != 0) {
      s.audio.Pause();  // the callback is called from here on
      Audio::Sound x;
      audio_test::Fill(x, audio_test::Constant(64, 16384), 8);
      s.audio.StartSound(x, 1.0f, 0.0f, true, 0.0f, true);
      std::vector<float> out(2 * 64);
      Audio::PortAudioCallback(nullptr, out.data(), 64, nullptr, 0, &s.audio);
      std::vector<float> tail(2 * 2048);
      Audio::PortAudioCallback(nullptr, tail.data(), 2048, nullptr, 0, &s.audio);
      EXPECT_NE(audio_test::FirstLoudFrame(tail), -1) << c.failing;  // the room answers
      s.audio.StopSound(x, true);
      s.audio.SafeFreeSound(x);
    }
    s.CleanUp();
  }
}

// A buffer size read from the settings past the largest the mixer takes opens the stream with
// the largest.
TEST_F(RealStream, ABufferSizePastTheLargestOpensWithTheLargest) {
  audio.CleanUp(true);
  const std::pair<int, int> cases[] = {{4096, 4096}, {4097, 4096}};
  for (const auto& [stored, opened] : cases) {
    const std::string path = dir + "/skytapper.cfg";
    std::ofstream(path) << "[Sound]\nDevice_Type = 5\nFrames_Per_Buffer = " << stored << "\n";
    IniFile ini;
    ASSERT_TRUE(ini.Init(path));
    Sound s;
    EXPECT_TRUE(s.Init(ini)) << stored;
    EXPECT_EQ(s.audio.GetDeviceType(), 5) << stored;
    EXPECT_EQ(s.audio.GetFramesPerBuffer(), opened) << stored;
    s.CleanUp();
  }
}

// Started in MIDI-only mode, a stored low-latency type opens the plain stream (the device is
// left to the music program) and the stored-only type opens a fallback by its device index;
// other types, and every type outside MIDI-only mode, open as stored.
TEST_F(RealStream, MidiOnlyStartMapsTheStoredType) {
  audio.CleanUp(true);
  const struct { int mode, stored, index, opened; } cases[] = {
      {1, 5, -1, 6}, {1, 3, -1, 2}, {1, 3, 0, 1}, {1, 2, -1, 2}, {0, 5, -1, 5}, {2, 5, -1, 5}};
  for (const auto& c : cases) {
    const std::string path = dir + "/skytapper.cfg";
    std::ofstream(path) << "[Session]\nMidi_Mode = " << c.mode << "\n\n[Sound]\nDevice_Type = " << c.stored
                        << "\nDevice_Index = " << c.index << "\n";
    IniFile ini;
    ASSERT_TRUE(ini.Init(path));
    Sound s;
    s.Init(ini);
    EXPECT_EQ(s.audio.GetDeviceType(), c.opened) << c.mode << " " << c.stored << " " << c.index;
    s.CleanUp();
  }
  midi_mode = kNoMidiMode;
}

}  // namespace
