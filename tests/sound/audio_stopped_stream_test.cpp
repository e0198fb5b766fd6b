// A stream that stops by itself is reported once, in our voice, and the engine can still be
// cleaned up and reopened afterwards; a stream the hook ends is not reported.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "sound/audio.h"
#include "sound/jack_keeper.h"
#include "sound/sound.h"
#include "tests/sound/jack_server.h"

namespace {

using jack_test::JackServer;

auto* const server = static_cast<JackServer*>(::testing::AddGlobalTestEnvironment(new JackServer));

bool EndStream(float, float, void*) { return false; }

// The "Warning:" lines that a few frames' reports print, as far as they reached a redirected
// stdout (a log file) by the end of the frames.
int ReportedWarnings(Audio& audio) {
  fflush(stdout);
  FILE* log = tmpfile();
  const int terminal = dup(STDOUT_FILENO);
  dup2(fileno(log), STDOUT_FILENO);
  for (int frame = 0; frame < 5; ++frame) audio.ReportStoppedStream();
  dup2(terminal, STDOUT_FILENO);
  close(terminal);
  std::string out(4096, '\0');
  rewind(log);
  out.resize(fread(out.data(), 1, out.size(), log));
  fclose(log);
  EXPECT_TRUE(out.empty() || out.find("\"system\"") != std::string::npos) << out;
  int warnings = 0;
  for (size_t at = out.find("Warning: "); at != std::string::npos; at = out.find("Warning: ", at + 1)) ++warnings;
  return warnings;
}

TEST(StoppedStream, ReportedOnceWhenTheServerEnds) {
  ASSERT_TRUE(JackServer::ready) << JackServer::words;
  struct Case {
    const char* what;
    void (*stop)(Audio&);
    int warnings;
    bool portaudio_held;  // to the end of the run, as it cannot close the stream
  };
  // The server's end comes last: nothing plays after it.
  const Case cases[] = {
      {"the hook ends the stream", [](Audio& a) { a.SetHook(EndStream, nullptr, 0); }, 0, false},
      {"the JACK server ends", [](Audio&) { server->Stop(); }, 1, true},
  };
  for (const Case& c : cases) {
    Audio audio;
    ASSERT_TRUE(audio.Init(5, 64, false, 23, -1)) << c.what;
    c.stop(audio);
    for (int i = 0; i < 250 && audio.IsStreamRunning(); ++i) usleep(20000);
    EXPECT_EQ(ReportedWarnings(audio), c.warnings) << c.what;
    // Neither cleaning up nor opening anew waits for the ended server.
    audio.CleanUp(false);
    audio.Init(5, 64, false, 23, -1);
    audio.CleanUp(true);
    // A released PortAudio reads the devices anew when the engine is next opened.
    EXPECT_EQ(Pa_GetDeviceCount() >= 0, c.portaudio_held) << c.what;
  }
}

// A JACK server that ends while no stream uses it: the next device change keeps PortAudio (its
// client of the ended server would abort on closing), says once what brings the server back,
// and opens what is left (nothing, here).
TEST(StoppedStream, AServerEndedUnderNoStreamKeepsPortAudio) {
  server->Stop();  // a server of the test's own, whatever the tests before did with theirs
  server->SetUp();
  ASSERT_TRUE(JackServer::ready) << JackServer::words;
  Sound s;
  ASSERT_TRUE(s.ReinitDevice(0, 64, -2));
  server->Stop();
  // The server's end reaches the JACK library on a thread of its own.
  for (int i = 0; i < 250 && !jack_keeper::ServerEnded(); ++i) usleep(20000);
  testing::internal::CaptureStdout();
  for (int change = 0; change < 2; ++change) s.ReinitDevice(5, 64, -1);
  const std::string out = testing::internal::GetCapturedStdout();
  const size_t said = out.find("Warning: the JACK server ended");
  EXPECT_NE(said, std::string::npos) << out;
  EXPECT_EQ(out.find("Warning: the JACK server ended", said + 1), std::string::npos) << out;
  std::string name;
  s.GetAudioDeviceName(name, -3);
  EXPECT_NE(name, "system");
  s.CleanUp();
}

}  // namespace
