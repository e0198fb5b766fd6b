// The sound libraries' own error lines never reach the terminal: they come out folded into one
// line of ours, and a listing that meets the same problems again adds no second line.
#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "sound/device_messages.h"

TEST(DeviceMessages, FoldedIntoOneWarningLine) {
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  for (int listing = 0; listing < 2; ++listing) {
    const DeviceMessageFold fold;
    for (int i = 0; i < 3; ++i) {
      snd_pcm_t* pcm = nullptr;
      EXPECT_LT(snd_pcm_open(&pcm, "no_such_device_of_the_test", SND_PCM_STREAM_PLAYBACK, 0), 0);
    }
  }
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.find("ALSA lib"), std::string::npos) << err;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  EXPECT_EQ(out.rfind("Warning: the sound libraries reported ", 0), 0u) << out;
  EXPECT_NE(out.find("no_such_device_of_the_test"), std::string::npos) << out;
}
