// The whole program in a fresh installation on a virtual X server: its window, its keys, a
// busy viewer port and closing the window. Dialogs are answered by a scripted zenity.
#include <gtest/gtest.h>
// After the test framework: Xlib's macros clash with its names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>

#include "assets/presets/preset_texts.h"
#include "frame/platform/spawn.h"
#include "tests/support/free_ports.h"
#include "tests/support/program_driver.h"
#include "tests/sound/jack_server.h"
#include "tests/sound/record_test_util.h"
#include "tests/support/test_dirs.h"

namespace {

std::string install_dir;
std::string fake_bin;
int viewer_port = 0;  // the first of the four viewer-link ports the program under test uses

using skyt_test::ClickOn;
using skyt_test::ReadFile;
using skyt_test::TraceFrame;
using skyt_test::WaitForWidget;
using skyt_test::WaitFrames;
using skyt_test::WaitForWindow;
using skyt_test::Xdo;
using skyt_test::WriteFile;

// Sets the value of a key's line in the installation's settings file.
void SetSetting(const std::string& key, const std::string& value) {
  std::string cfg = ReadFile(install_dir + "/conf/skytapper.cfg");
  size_t at = cfg.find("\n" + key + " = ");
  ASSERT_NE(at, std::string::npos) << key;
  size_t end = cfg.find('\n', at + 1);
  cfg.replace(at + 1, end - at - 1, key + " = " + value);
  WriteFile(install_dir + "/conf/skytapper.cfg", cfg);
}

void SetSession(bool never_ran, bool wants_help) {
  SetSetting("Never_Ran", never_ran ? "true" : "false");
  SetSetting("Wants_Startup_Help", wants_help ? "true" : "false");
}

// The program under test in the shared installation.
class Program : public skyt_test::Program {
 public:
  Program() : skyt_test::Program({skyt_test::BuildDir() + "/skytapper", install_dir, fake_bin, viewer_port}) {}
};

// What a window manager sends when the user clicks the close button.
bool AskToClose(const std::string& window) {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return false;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = std::stoul(window);
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = XInternAtom(d, "WM_DELETE_WINDOW", False);
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, e.xclient.window, False, NoEventMask, &e);
  XSync(d, False);
  XCloseDisplay(d);
  return true;
}

bool PortFree(int port) {
  int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_ANY);
  addr.sin_port = htons(port);
  int one = 1;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  bool ok = bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && listen(s, 1) == 0;
  close(s);
  return ok;
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Starts the program, waits until it has loaded the last kit (the session it then saves drops
// a line that only the test writes), closes it and returns what it printed.
std::string StartLoadAndClose() {
  const std::string cfg = install_dir + "/conf/skytapper.cfg";
  std::string text = ReadFile(cfg);
  text.insert(text.find("[Session]\n") + 10, "Saved_By_The_Program = no\n");
  WriteFile(cfg, text);
  Program program;
  std::string window = WaitForWindow();
  EXPECT_FALSE(window.empty()) << program.Output();
  if (window.empty()) return program.Output();
  for (int i = 0; i < 300 && ReadFile(cfg).find("Saved_By_The_Program") != std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(AskToClose(window));
  EXPECT_EQ(program.WaitForExit(20), 0) << program.Output();
  return program.Output();
}

// The program's window once the start-up has had `settle` to reach its first screen; "" when
// no window opened.
std::string SettledWindow(std::chrono::seconds settle) {
  std::string window = WaitForWindow();
  if (!window.empty()) std::this_thread::sleep_for(settle);
  return window;
}

class WholeProgram : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    viewer_port = skyt_test::FreePorts(4);
    install_dir = skyt_test::FreshInstallation("program_install");
    ASSERT_FALSE(install_dir.empty());
    // Dialogs are answered at once with OK, and what they showed is kept.
    fake_bin = skyt_test::ScriptedDialogs("program_fake_bin");
  }
  void SetUp() override {
    remove((fake_bin + "/zenity.log").c_str());
    remove((fake_bin + "/answer").c_str());
  }
};

}  // namespace

TEST_F(WholeProgram, OpensItsWindowAndEscOnTheMainScreenEndsIt) {
  SetSession(false, false);
  Program program;
  std::string window = WaitForWindow();
  ASSERT_FALSE(window.empty()) << program.Output();
  EXPECT_NE(Xdo({"getwindowgeometry", window}).find("Geometry: 960x720"), std::string::npos);
  // Let the deferred start-up reach the main screen, then look at the window.
  std::this_thread::sleep_for(std::chrono::seconds(2));
  SpawnAndWait({"ffmpeg", "-loglevel", "error", "-y", "-f", "x11grab", "-video_size", "1280x1024", "-i",
                getenv("DISPLAY"), "-frames:v", "1", install_dir + "/../program_main_screen.png"},
               nullptr);
  // Esc until the program, once on its main screen, ends (a busy machine starts slowly).
  const int status = EscUntilExit(program, window);
  EXPECT_EQ(status, 0) << program.Output();
  // The screen is 1024 lines high: no resolution warning; no audio device here: one notice.
  std::string dialogs = ReadFile(fake_bin + "/zenity.log");
  EXPECT_EQ(dialogs.find("740 lines"), std::string::npos) << dialogs;
  // The language came from the system and was written back once; the session was saved.
  std::string cfg = ReadFile(install_dir + "/conf/skytapper.cfg");
  EXPECT_NE(cfg.find("Language = "), std::string::npos);
  EXPECT_TRUE(PortFree(viewer_port)) << "the viewer port outlived the program";
  // Installing again keeps the user's settings.
  CommandResult again = SpawnAndWait(
      {"bash", skyt_test::SourceDir() + "/tools/install.sh", install_dir, skyt_test::BuildDir()}, nullptr);
  EXPECT_EQ(again.exit_code, 0);
  EXPECT_EQ(ReadFile(install_dir + "/conf/skytapper.cfg"), cfg);
}

TEST_F(WholeProgram, EscOnTheHelpScreenDoesNotEndIt) {
  SetSession(true, true);
  Program program;
  const std::string window = SettledWindow(std::chrono::seconds(2));
  ASSERT_FALSE(window.empty()) << program.Output();
  Xdo({"windowfocus", "--sync", window});
  Xdo({"key", "Escape"});
  EXPECT_EQ(program.WaitForExit(2), -1);
  // Super-Q is the application's Quit. The program asks whether Super is down when it handles
  // the Q, which a busy machine may do after a quick chord's release: Super is held until then.
  Xdo({"keydown", "super"});
  Xdo({"key", "q"});
  EXPECT_EQ(program.WaitForExit(20), 0) << program.Output();
  Xdo({"keyup", "super"});
}

// Without its language's font (here the Latin one) the program draws with the widgets' own.
TEST_F(WholeProgram, ClosingTheWindowEndsItCleanly) {
  SetSession(false, false);
  const std::string font = install_dir + "/data/fonts/Ubuntu-R.ttf";
  ASSERT_EQ(rename(font.c_str(), (font + ".away").c_str()), 0);
  Program program;
  const std::string window = SettledWindow(std::chrono::seconds(1));
  rename((font + ".away").c_str(), font.c_str());
  ASSERT_FALSE(window.empty()) << program.Output();
  ASSERT_TRUE(AskToClose(window));
  EXPECT_EQ(program.WaitForExit(20), 0) << program.Output();
  EXPECT_TRUE(PortFree(viewer_port));
}

TEST_F(WholeProgram, StartsWithTheChosenUserMidiMapAndKeepsItsIndex) {
  SetSession(false, false);
  const std::string cfg_path = install_dir + "/conf/skytapper.cfg", map = install_dir + "/conf/midi-maps/Mine.ini";
  const std::string cfg = ReadFile(cfg_path);
  ASSERT_NE(cfg.find("Midi_Map_Index = -1\n"), std::string::npos);
  // The map list holds the 11 preset maps (A_ ... K_) first, written by the first start.
  WriteFile(cfg_path, cfg.substr(0, cfg.find("Midi_Map_Index = -1")) + "Midi_Map_Index = 11" +
                          cfg.substr(cfg.find("Midi_Map_Index = -1") + 19));
  // The map's one bad entry shows that the reader went through it.
  WriteFile(map, "[MIDI map]\nName = Mine\nIs_Preset = no\n\n[Element type map]\nMap0.element_type = snare\n");
  Program program;
  const std::string window = SettledWindow(std::chrono::seconds(2));
  ASSERT_FALSE(window.empty()) << program.Output();
  const int status = EscUntilExit(program, window);
  EXPECT_EQ(status, 0) << program.Output();
  const std::string output = program.Output();
  EXPECT_NE(output.find("unknown element type \"snare\" in Map0 of MIDI map"), std::string::npos) << output;
  EXPECT_EQ(output.find("could not load ini file"), std::string::npos) << output;
  EXPECT_NE(ReadFile(cfg_path).find("Midi_Map_Index = 11\n"), std::string::npos);
  remove(map.c_str());
  WriteFile(cfg_path, cfg);
}

TEST_F(WholeProgram, StartsWithTheLastUserKitOfAFreshInstallation) {
  SetSession(false, false);
  const char* const elements[] = {"12in bop snare (no rimshots)", "20in punch kick", "13in hi-hats"};
  std::string kit = "[Drumkit]\nName = My Kit\nIs_Preset = no\n\n";
  for (int d = 0; d < 3; ++d) kit += "Drum" + std::to_string(d) + ".element = " + elements[d] + "\n";
  const std::string kit_path = install_dir + "/conf/drumkits/My_Kit.ini";
  WriteFile(kit_path, kit + "\n[Drumkit calibration]\n");
  const std::string cfg_path = install_dir + "/conf/skytapper.cfg", cfg = ReadFile(cfg_path);
  const size_t at = cfg.find("Last_Drumkit = ");
  ASSERT_NE(at, std::string::npos);
  WriteFile(cfg_path, cfg.substr(0, at) + "Last_Drumkit = My Kit" + cfg.substr(cfg.find('\n', at)));
  Program program;
  const std::string window = SettledWindow(std::chrono::seconds(2));
  ASSERT_FALSE(window.empty()) << program.Output();
  ASSERT_TRUE(AskToClose(window));
  ASSERT_EQ(program.WaitForExit(20), 0) << program.Output();
  const std::string output = program.Output();
  for (const char* e : elements)
    EXPECT_NE(output.find(std::string("Loading the ") + e + " element... success."), std::string::npos) << output;
  const std::string dialogs = ReadFile(fake_bin + "/zenity.log");
  EXPECT_EQ(dialogs.find("element is missing"), std::string::npos) << dialogs;
  remove(kit_path.c_str());
  WriteFile(cfg_path, cfg);
}

TEST_F(WholeProgram, ABusyViewerPortEndsItBeforeAnyWindowWithAFailure) {
  int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_ANY);
  addr.sin_port = htons(viewer_port);  // the server port of the program about to start
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(s, 1), 0);
  Program program;
  int status = program.WaitForExit(20);
  close(s);
  EXPECT_EQ(status, 1);
  EXPECT_NE(program.Output().find("Could not initialize server."), std::string::npos) << program.Output();
  EXPECT_EQ(Xdo({"search", "--name", "Skytapper"}), "");
}

TEST_F(WholeProgram, FirstStartWritesThePresetsAndEveryPresetLoads) {
  // A fresh installation's settings and content folders.
  std::filesystem::remove_all(install_dir + "/conf");
  ASSERT_EQ(SpawnAndWait({"bash", skyt_test::SourceDir() + "/tools/install.sh", install_dir, skyt_test::BuildDir()},
                         nullptr).exit_code, 0);
  std::string out = StartLoadAndClose();
  for (const PresetText& p : preset_drumkits)
    EXPECT_EQ(ReadFile(install_dir + "/conf/drumkits/" + p.file), std::string(p.data, p.size)) << p.file;
  for (const PresetText& p : preset_midi_maps)
    EXPECT_EQ(ReadFile(install_dir + "/conf/midi-maps/" + p.file), std::string(p.data, p.size)) << p.file;
  // No audio device here: that one box, no other.
  const std::string dialogs = ReadFile(fake_bin + "/zenity.log");
  EXPECT_EQ(Count(dialogs, "--text="), 1) << dialogs;
  EXPECT_NE(dialogs.find("Could not initialize the audio device, Skytapper will not"), std::string::npos) << dialogs;
  EXPECT_EQ(Count(out, "success.\n"), 3) << out;
  EXPECT_NE(ReadFile(install_dir + "/conf/skytapper.cfg").find("Last_Drumkit = My First Skytapper Kit (RH)\n"),
            std::string::npos);

  const std::pair<const char*, int> kits[] = {
      {"My First Skytapper Kit", 3}, {"Small Jazz Kit", 8}, {"Big Jazz Kit", 11}, {"Small Rock Kit", 8},
      {"Big Rock Kit", 11},          {"Percussion Kit", 10}, {"MIDI Kit", 11}};
  for (const auto& [kit, drums] : kits) {
    for (const char* hand : {"LH", "RH"}) {
      const std::string name = std::string(kit) + " (" + hand + ")";
      SCOPED_TRACE(name);
      SetSetting("Last_Drumkit", name);
      SetSetting("Is_Left_Handed", hand[0] == 'L' ? "true" : "false");
      SetSetting("Midi_Mode", std::string(kit) == "MIDI Kit" ? "1" : "0");
      out = StartLoadAndClose();
      EXPECT_EQ(Count(out, "success.\n"), drums) << out;
      EXPECT_NE(ReadFile(install_dir + "/conf/skytapper.cfg").find("Last_Drumkit = " + name + "\n"), std::string::npos);
    }
  }
}

// A fresh installation of its own, as a new user has it; the shared one is put back after.
class FirstStart : public WholeProgram {
 protected:
  void SetUp() override {
    WholeProgram::SetUp();
    shared_ = install_dir;
    install_dir = skyt_test::FreshInstallation("program_first_start");
    ASSERT_FALSE(install_dir.empty());
    trace = install_dir + "/ui_trace.txt";
    setenv("SKYTAPPER_UI_TRACE", trace.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("SKYTAPPER_UI_TRACE");
    install_dir = shared_;
  }
  // From the window to the first-run latency screen: help page 1, Next, Configure audio.
  void ToTheLatencyScreen(Program& program) {
    window = WaitForWindow();
    ASSERT_FALSE(window.empty()) << program.Output();
    ASSERT_TRUE(WaitForWidget(trace, 9, "Next", false, f)) << program.Output();
    EXPECT_EQ(f.Find("Close"), nullptr);
    ClickOn(window, trace, *f.Find("Next"));
    ASSERT_TRUE(WaitForWidget(trace, 9, "Configure audio", false, f)) << program.Output();
    ClickOn(window, trace, *f.Find("Configure audio"));
    ASSERT_TRUE(WaitForWidget(trace, 5, "Finish", true, f)) << program.Output();
  }
  // Apply on the latency screen, then Finish, until the main screen shows `widget` (greyed or not).
  void ApplyAndFinish(Program& program, const std::string& widget, bool greyed) {
    ClickOn(window, trace, *f.Find("Apply"));
    ASSERT_TRUE(WaitForWidget(trace, 5, "Finish", false, f)) << program.Output();
    ClickOn(window, trace, *f.Find("Finish"));
    ASSERT_TRUE(WaitForWidget(trace, 0, widget, greyed, f)) << program.Output();
  }
  size_t NoAudioWarnings() const {
    const std::string dialogs = ReadFile(fake_bin + "/zenity.log");
    size_t n = 0;
    for (size_t at = dialogs.find("will not be able to output audio"); at != std::string::npos;
         at = dialogs.find("will not be able to output audio", at + 1)) ++n;
    return n;
  }

  std::string trace, window;
  TraceFrame f;

 private:
  std::string shared_;
};

// A new user without camera or sound card: help, the audio set-up, then the main screen.
TEST_F(FirstStart, LeadsThroughHelpAndAudioToTheMainScreen) {
  {
    Program program;
    ToTheLatencyScreen(program);
    ApplyAndFinish(program, "Drum", true);
    EXPECT_TRUE(f.Find("Setup") && f.Find("Setup")->greyed);
    EXPECT_NE(f.Find("Camera not found. Please exit Skytapper, plug the camera and"), nullptr);
    EXPECT_NE(f.Find("launch Skytapper again if you wish to drum."), nullptr);
    EXPECT_EQ(EscUntilExit(program, window), 0) << program.Output();
    // The first preset kit was loaded, one line per drum.
    EXPECT_EQ(Count(program.Output(), " success.\n"), 3) << program.Output();
  }
  // No sound card: the warning at start and again for Apply; no [Sound] written by it.
  EXPECT_GE(NoAudioWarnings(), 2u) << ReadFile(fake_bin + "/zenity.log");
  const std::string cfg = ReadFile(install_dir + "/conf/skytapper.cfg");
  EXPECT_NE(cfg.find("Last_Drumkit = My First Skytapper Kit (RH)\n"), std::string::npos) << cfg;
  EXPECT_NE(cfg.find("Language = "), std::string::npos);
  EXPECT_NE(cfg.find("Never_Ran = "), std::string::npos);
}

// With a JACK server: Apply opens it and saves [Sound], Test sounds, and its end is reported.
TEST_F(FirstStart, AppliesAndTestsOnAJackServer) {
  jack_test::JackServer jack;
  jack.SetUp();
  ASSERT_TRUE(jack_test::JackServer::ready) << jack_test::JackServer::words;
  {
    Program program;
    ToTheLatencyScreen(program);
    ClickOn(window, trace, *f.Find("Apply"));
    ASSERT_TRUE(WaitForWidget(trace, 5, "Finish", false, f)) << program.Output();
    EXPECT_NE(ReadFile(install_dir + "/conf/skytapper.cfg").find("Device_Type = 5"), std::string::npos)
        << ReadFile(install_dir + "/conf/skytapper.cfg");
    std::vector<std::string> ports;
    std::istringstream lines(jack_test::Capture("jack_lsp"));
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("system:", 0) != 0 && !line.empty()) ports.push_back(line);
    ASSERT_EQ(ports.size(), 2u) << jack_test::Capture("jack_lsp");
    const std::string wav = install_dir + "/latency_test.wav";
    const pid_t rec = jack_test::Spawn({"jack_rec", "-f", wav, "-d", "2", "-b", "16", ports[0], ports[1]});
    ASSERT_GT(rec, 0);
    ClickOn(window, trace, *f.Find("Test"));
    waitpid(rec, nullptr, 0);
    const std::string bytes = ReadFile(wav);
    ASSERT_GT(bytes.size(), 44u);
    size_t loud = 0;
    for (size_t i = 44; i + 1 < bytes.size(); i += 2) {
      int16_t v;
      memcpy(&v, &bytes[i], 2);
      loud += v > 1000 || v < -1000;
    }
    EXPECT_GT(loud, 100u);
    ClickOn(window, trace, *f.Find("Finish"));
    ASSERT_TRUE(WaitForWidget(trace, 0, "Drum", true, f)) << program.Output();
    // The server ends under the program: the terminal says why the sound stopped, and Esc still ends it.
    jack.Stop();
    const std::string stopped = "Warning: the sound stopped: the JACK server";
    for (int i = 0; i < 100 && program.Output().find(stopped) == std::string::npos; ++i) WaitFrames(trace, 3);
    EXPECT_NE(program.Output().find(stopped), std::string::npos) << program.Output();
    EXPECT_EQ(EscUntilExit(program, window), 0) << program.Output();
  }
  EXPECT_EQ(NoAudioWarnings(), 0u) << ReadFile(fake_bin + "/zenity.log");
  jack.TearDown();
  unsetenv("JACK_DEFAULT_SERVER");
}

// A new user clones the first preset kit and chooses the copy: its file is a user kit and
// the program loads it, one line per drum.
TEST_F(FirstStart, ClonesThePresetKitAndLoadsTheCopy) {
  const std::string copy = "Copy of My First Skytapper Kit (RH)";
  {
    Program program;
    ToTheLatencyScreen(program);
    ApplyAndFinish(program, "Drum kits", false);
    ClickOn(window, trace, *f.Find("Drum kits"));
    ASSERT_TRUE(WaitForWidget(trace, 1, "Clone", false, f)) << program.Output();
    ClickOn(window, trace, *f.Find("Clone"));
    ASSERT_TRUE(WaitForWidget(trace, 2, copy, false, f)) << program.Output();
    ClickOn(window, trace, *f.Find("Ok"));
    ASSERT_TRUE(WaitForWidget(trace, 1, "Clone", false, f)) << program.Output();
    ClickOn(window, trace, *f.Find("Ok"));
    ASSERT_TRUE(WaitForWidget(trace, 0, "Drum", true, f)) << program.Output();
    EXPECT_NE(f.Find("Camera not found. Please exit Skytapper, plug the camera and"), nullptr);
    EXPECT_EQ(EscUntilExit(program, window), 0) << program.Output();
    // The first preset kit at the start, then the copy.
    EXPECT_EQ(Count(program.Output(), " success.\n"), 6) << program.Output();
  }
  EXPECT_NE(ReadFile(install_dir + "/conf/drumkits/" + copy + ".ini").find("Is_Preset = no"), std::string::npos);
  const std::string cfg = ReadFile(install_dir + "/conf/skytapper.cfg");
  EXPECT_NE(cfg.find("Last_Drumkit = " + copy + "\n"), std::string::npos) << cfg;
}

// Records a snare played twice, in the test, into the installation's recordings.
void RecordInInstallation() {
  skyt_test::ScopedChdir cd(install_dir);
  const int snare = record_test::LoadElementsOffline(sound, {"data/elements/10in piccolo snare.ele"}, 2)[0];
  ASSERT_GE(snare, 0);
  record_test::OfflineSession live{sound, 1000000000000ull, 0, {}};
  ASSERT_NO_FATAL_FAILURE(record_test::RecordTake(
      live, "recordings/take.sel", "Test kit",
      {record_test::Hit(4000, snare, 0.9f, 0), record_test::Hit(30000, snare, 0.5f, 1)}, 60000));
  sound.UnloadElement(snare);
  sound.audio.EndOffline();
  sound.audio.StopRawThreads();
}

// A recording made in a test, exported from the recordings screen to a WAV file that sox reads
// with the sizes its header gives.
TEST_F(FirstStart, ExportsARecordingToAWavFile) {
  RecordInInstallation();
  const std::string wav = install_dir + "/take.wav";
  WriteFile(fake_bin + "/answer", wav + "\n");
  {
    Program program;
    ToTheLatencyScreen(program);
    ApplyAndFinish(program, "Recordings", false);
    ClickOn(window, trace, *f.Find("Recordings"));
    ASSERT_TRUE(WaitForWidget(trace, 4, "Export wav...", true, f)) << program.Output();
    ClickOn(window, trace, {0, 0, 48, 720 - 81, 492, 30, 0, ""});  // the first recording
    ASSERT_TRUE(WaitForWidget(trace, 4, "Export wav...", false, f)) << program.Output();
    ClickOn(window, trace, *f.Find("Export wav..."));
    // Done when the header holds the sizes (written as the file is closed).
    auto closed = [&] {
      const std::string b = ReadFile(wav);
      uint32_t riff = 0;
      if (b.size() > 44) memcpy(&riff, &b[4], 4);
      return b.size() > 44 && riff == b.size() - 8;
    };
    for (int i = 0; i < 300 && !closed(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(WaitForWidget(trace, 4, "Export wav...", false, f)) << program.Output();
    ClickOn(window, trace, *f.Find("Ok"));
    ASSERT_TRUE(WaitForWidget(trace, 0, "Drum", true, f)) << program.Output();
    EXPECT_EQ(EscUntilExit(program, window), 0) << program.Output();
  }
  const std::string bytes = ReadFile(wav);
  ASSERT_GT(bytes.size(), 44u);
  uint32_t riff = 0, data = 0;
  memcpy(&riff, &bytes[4], 4);
  memcpy(&data, &bytes[40], 4);
  EXPECT_EQ(riff, bytes.size() - 8);
  EXPECT_EQ(data, bytes.size() - 44);
  EXPECT_EQ(SpawnAndWait({"sox", "--i", "-r", wav}, nullptr).output, "44100\n");
  EXPECT_EQ(SpawnAndWait({"sox", "--i", "-s", wav}, nullptr).output, std::to_string(data / 4) + "\n");
}
