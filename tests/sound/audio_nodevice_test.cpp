// With no sound card and no JACK server the engine runs silently (device type 0).
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <portaudio.h>
#include <stdlib.h>

#include "sound/audio.h"
#include "sound/sound.h"
#include "tests/sound/audio_test_util.h"

namespace {

TEST(NoDevice, SilentProgram) {
  setenv("JACK_DEFAULT_SERVER", "skyt_no_such_server", 1);
  setenv("JACK_NO_START_SERVER", "1", 1);
  Sound s;
  ASSERT_TRUE(s.ReinitDevice(0, 16, -1));
  if (Pa_GetDeviceCount() > 0) GTEST_SKIP() << "this machine has an audio device";
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  EXPECT_FALSE(s.ReinitDevice(5, 16, -1));
  testing::internal::GetCapturedStdout();
  // A JACK server looked for and not found is no problem to report; JACK's own printer is back
  // afterwards.
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  testing::internal::CaptureStderr();
  jack_status_t status;
  EXPECT_EQ(jack_client_open("skyt_test", JackNoStartServer, &status), nullptr);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Cannot connect to server"), std::string::npos);
  EXPECT_EQ(s.audio.GetDeviceType(), 0);
  EXPECT_FALSE(s.audio.HasStream());
  std::string name;
  s.GetAudioDeviceName(name, -3);
  EXPECT_EQ(name, "None");

  Audio::Sound a;
  audio_test::Fill(a, audio_test::Constant(100, 1000), 8);
  s.audio.StartSound(a, 1.0f, 0.0f, true, 0.0f, false);
  EXPECT_EQ(s.audio.GetNumPlayingSounds(), 0);
  s.audio.StopSound(a, true);   // returns at once
  s.audio.SafeFreeSound(a);
  EXPECT_EQ(a.Data(), nullptr);
  s.audio.SetReverbAmount(0.5f);  // stored, no reverb without buffers
  EXPECT_FLOAT_EQ(s.audio.GetReverbAmount(), 0.5f);
  s.CleanUp();
}

// Long device names are cut between characters, never inside one.
TEST(DeviceNames, CutAtACharacterBoundary) {
  const std::string e = "\xC3\xA9";  // é: two bytes
  struct { std::string name; size_t keep; std::string shown; } cases[] = {
      {"short", 30, "short"},
      {std::string(30, 'a'), 30, std::string(30, 'a')},
      {std::string(29, 'a') + e, 30, std::string(29, 'a') + "..."},
      {std::string(28, 'a') + e + "b", 30, std::string(28, 'a') + e + "..."},
      {std::string(47, 'a') + "\xE2\x82\xAC", 48, std::string(47, 'a') + "..."},
  };
  for (const auto& c : cases) EXPECT_EQ(CutDeviceName(c.name.c_str(), c.keep), c.shown) << c.name;
}

}  // namespace
