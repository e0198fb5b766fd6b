// The sound libraries' own error lines never reach the terminal: they come out folded into one
// line of ours, and a listing that meets the same problems again adds no second line.
#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "sound/device_messages.h"
#include "sound/wait_notice.h"

// Run first: the count of the program's first listing starts from nothing.
TEST(DeviceMessages, WarningCountsEveryProblemAndQuotesTheFirst) {
  struct Listing {
    void (*meet)();
    const char* printed;
  };
  const Listing listings[] = {
      {[] {
         snd_lib_error("pcm.c", 1, "snd_pcm_open", -ENOENT, "no card %d", 7);
         snd_lib_error("pcm.c", 2, "snd_pcm_open", 0, "second");
         jack_error_callback("third");
       },
       "3 problems while the audio and MIDI devices were listed (the first: ALSA snd_pcm_open: no card 7 "
       "(No such file or directory))\n"},
      {[] { jack_info_callback("met the server"); },
       "1 problem while the audio and MIDI devices were listed (the first: JACK: met the server)\n"},
      {[] { snd_lib_error("conf.c", 3, nullptr, 0, "bare"); },
       "1 problem while the audio and MIDI devices were listed (the first: ALSA : bare)\n"},
      {[] {}, ""},
  };
  for (const Listing& l : listings) {
    testing::internal::CaptureStdout();
    {
      const DeviceMessageFold fold;
      l.meet();
    }
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string expected =
        *l.printed ? std::string("Warning: the sound libraries reported ") + l.printed : "";
    EXPECT_EQ(out, expected);
  }
}

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

// After a listing, each library's own handler prints its errors again.
TEST(DeviceMessages, LibrariesPrintAgainAfterTheListing) {
  setenv("JACK_DEFAULT_SERVER", ("skyt_no_server_" + std::to_string(getpid())).c_str(), 1);
  struct Case {
    const char* library;
    void (*provoke)();
    const char* printed;
    bool on_stdout = false;
  };
  const Case cases[] = {
      {"ALSA",
       [] {
         snd_pcm_t* pcm = nullptr;
         snd_pcm_open(&pcm, "no_such_device_of_the_test", SND_PCM_STREAM_PLAYBACK, 0);
       },
       "ALSA lib"},
      {"JACK",
       [] {
         jack_status_t status;
         EXPECT_EQ(jack_client_open("skyt_test", JackNoStartServer, &status), nullptr);
       },
       "Cannot connect to server"},
      // JACK prints its info lines (a client meeting its server) through this variable, on stdout.
      {"JACK info", [] { jack_info_callback("skyt_test info"); }, "skyt_test info", true},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStdout();
    { const DeviceMessageFold listing; }
    testing::internal::GetCapturedStdout();
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    c.provoke();
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string& printed = c.on_stdout ? out : err;
    EXPECT_NE(printed.find(c.printed), std::string::npos) << c.library << ": " << printed;
  }
}

// With the output going to a log file the warning is in the file at once, not when the program
// ends.
TEST(DeviceMessages, WarningReachesALogFileAtOnce) {
  fflush(stdout);
  FILE* log = tmpfile();
  ASSERT_NE(log, nullptr);
  const int terminal = dup(1);
  dup2(fileno(log), 1);
  {
    const DeviceMessageFold fold;
    jack_error_callback("at once");
  }
  std::string logged(4096, '\0');
  logged.resize(static_cast<size_t>(std::max<ssize_t>(0, pread(fileno(log), logged.data(), logged.size(), 0))));
  dup2(terminal, 1);
  close(terminal);
  fclose(log);
  EXPECT_NE(logged.find("(the first: JACK: at once)"), std::string::npos) << logged;
}

// A call into the sound libraries that has not returned in its time is reported, and so is its
// end; one that returns in time says nothing.
TEST(WaitNotice, AWaitPastItsTimeIsReportedAndSoIsItsEnd) {
  const struct { int seconds; const char* printed; } cases[] = {
      {0,
       "Warning: the sound system has not answered for 0 seconds while testing; Skytapper waits for it (a JACK "
       "server that does not answer holds it)\nWarning: the sound system answered after 0 seconds (testing)\n"},
      {60, ""},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStdout();
    {
      const WaitNotice notice("testing", c.seconds);
      for (int i = 0; i < 10000 && *c.printed && !notice.Said(); ++i) usleep(1000);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed) << c.seconds;
  }
}
