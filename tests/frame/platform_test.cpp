// The desktop platform layer with a scripted command runner: no dialog ever opens.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "frame/platform/platform.h"
#include "frame/platform/spawn.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "tests/support/test_dirs.h"

namespace {

bool Has(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

std::string ArgStarting(const std::vector<std::string>& v, const std::string& prefix) {
  for (const std::string& a : v)
    if (a.rfind(prefix, 0) == 0) return a.substr(prefix.size());
  return "";
}

// Answers each command in turn and remembers what was asked.
class Script {
 public:
  explicit Script(std::vector<CommandResult> answers) : answers_(std::move(answers)) {
    SetCommandRunner([this](const std::vector<std::string>& argv, const std::string* input) {
      calls.push_back(argv);
      inputs.push_back(input ? *input : std::string("<none>"));
      if (next_ >= answers_.size()) return CommandResult{};
      return answers_[next_++];
    });
  }
  ~Script() { SetCommandRunner(nullptr); }
  std::vector<std::vector<std::string>> calls;
  std::vector<std::string> inputs;

 private:
  std::vector<CommandResult> answers_;
  size_t next_ = 0;
};

}  // namespace

// ---- Message boxes and dialogs ------------------------------------------------------------

TEST(MessageBoxTest, YesNoAnswers) {
  Script script({{0, ""}, {1, ""}, {-1, ""}});
  EXPECT_EQ(MessageBox("Delete the kit?", true, false), 0);
  EXPECT_EQ(MessageBox("Delete the kit?", true, false), -1);
  EXPECT_EQ(MessageBox("Delete the kit?", true, false), -1) << "zenity missing or killed is not a Yes";
  const auto& args = script.calls[0];
  EXPECT_EQ(args[0], "zenity");
  EXPECT_TRUE(Has(args, "--question"));
  EXPECT_EQ(ArgStarting(args, "--ok-label="), "Yes");
  EXPECT_EQ(ArgStarting(args, "--cancel-label="), "No");
  EXPECT_EQ(ArgStarting(args, "--text="), "Delete the kit?");
  EXPECT_EQ(ArgStarting(args, "--attach="), "") << "before the window opens a box stands on its own";
}

TEST(MessageBoxTest, StylesAndMarkupAreSafe) {
  auto info = platform::MessageBoxArgs("a & b <i>x</i>", false, false, 0);
  EXPECT_TRUE(Has(info, "--info"));
  EXPECT_EQ(ArgStarting(info, "--ok-label="), "Ok");
  EXPECT_EQ(ArgStarting(info, "--text="), "a &amp; b &lt;i&gt;x&lt;/i&gt;");
  EXPECT_EQ(ArgStarting(info, "--attach="), "");
  auto critical = platform::MessageBoxArgs("x", false, true, 0x1a00003);
  EXPECT_TRUE(Has(critical, "--warning"));
  EXPECT_EQ(ArgStarting(critical, "--attach="), std::to_string(0x1a00003));
  // A user's kit name is one argument, never shell text.
  auto odd = platform::MessageBoxArgs("'; rm -rf ~ \"$(x)\"", false, false, 0);
  EXPECT_EQ(ArgStarting(odd, "--text="), "&apos;; rm -rf ~ &quot;$(x)&quot;");
}

TEST(MessageBoxTest, LongTextsUseTheSmallFont) {
  std::string exactly(1024, 'a'), longer(2000, 'a');
  EXPECT_EQ(ArgStarting(platform::MessageBoxArgs(exactly, false, false, 0), "--text="), exactly);
  std::string small = ArgStarting(platform::MessageBoxArgs(longer, false, false, 0), "--text=");
  EXPECT_EQ(small.rfind("<span size=", 0), 0u);
  EXPECT_NE(small.find(longer), std::string::npos);
}

TEST(FileDialogs, SaveAddsTheExtensionAndSplitsThePath) {
  Script script({{0, "/home/u/Music/take one\n"}, {0, "/home/u/Music/b.WAV\n"}});
  std::string path, name, ext;
  EXPECT_EQ(SaveFileDialog("Export", "Save", {"wav"}, path, name, ext), 0);
  EXPECT_EQ(path, "/home/u/Music/take one.wav");
  EXPECT_EQ(name, "take one.wav");
  EXPECT_EQ(ext, "wav");
  EXPECT_EQ(SaveFileDialog("Export", "Save", {"wav"}, path, name, ext), 0);
  EXPECT_EQ(path, "/home/u/Music/b.WAV");
  const auto& args = script.calls[0];
  EXPECT_TRUE(Has(args, "--save"));
  EXPECT_TRUE(Has(args, "--confirm-overwrite"));
  EXPECT_EQ(ArgStarting(args, "--ok-label="), "Choose");
  EXPECT_NE(ArgStarting(args, "--file-filter=").find("*.wav"), std::string::npos);
}

// The choosers open in the player's music folder; without a home they open where they like.
TEST(FileDialogs, TheChooserStartsInTheMusicFolderOfHome) {
  const std::string old_home = getenv("HOME") ? getenv("HOME") : "";
  const struct {
    const char* home;
    std::string folder;
  } cases[] = {{"/home/u", "/home/u/Music/"}, {"", ""}, {nullptr, ""}};
  for (const auto& c : cases) {
    c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
    Script script({{1, ""}});
    std::string path, name, ext;
    OpenFileDialog("Add", "Songs", {"mp3"}, path, name, ext);
    EXPECT_EQ(ArgStarting(script.calls[0], "--filename="), c.folder) << (c.home ? c.home : "no HOME");
  }
  setenv("HOME", old_home.c_str(), 1);
}

TEST(FileDialogs, CancelLeavesTheOutputsUntouched) {
  Script script({{1, ""}, {0, ""}, {0, "/music/a.txt\n"}, {0, "/music/a.pgg\n"}, {0, "/music/a.oggx\n"}});
  std::string path = "old", name = "old", ext = "old";
  EXPECT_EQ(OpenFileDialog("Add", "Songs", {"mp3", "ogg"}, path, name, ext), -1);
  EXPECT_EQ(OpenFileDialog("Add", "Songs", {"mp3", "ogg"}, path, name, ext), -1);  // nothing chosen
  EXPECT_EQ(OpenFileDialog("Add", "Songs", {"mp3", "ogg"}, path, name, ext), -1);  // not a song
  EXPECT_EQ(OpenFileDialog("Add", "Songs", {"mp3", "ogg"}, path, name, ext), -1);  // nor this one
  EXPECT_EQ(OpenFileDialog("Add", "Songs", {"mp3", "ogg"}, path, name, ext), -1);  // nor a longer one
  EXPECT_EQ(path, "old");
  EXPECT_EQ(name, "old");
  EXPECT_EQ(ext, "old");
  EXPECT_FALSE(Has(script.calls[0], "--save"));
}

TEST(FileDialogs, OpenAndDirectory) {
  Script script({{0, "/music/Song 1.mp3\n"}, {0, "/samples/snare\n"}, {1, ""}});
  std::string path, name, ext;
  EXPECT_EQ(OpenFileDialog("Add", "Songs", {"mp3"}, path, name, ext), 0);
  EXPECT_EQ(name, "Song 1.mp3");
  EXPECT_EQ(ext, "mp3");
  std::string folder = "keep";
  EXPECT_EQ(OpenDirectoryDialog(folder), 0);
  EXPECT_EQ(folder, "/samples/snare");
  EXPECT_TRUE(Has(script.calls[1], "--directory"));
  EXPECT_EQ(OpenDirectoryDialog(folder), -1);
  EXPECT_EQ(folder, "/samples/snare");
}

// The directory dialog's own words follow the language.
TEST(FileDialogs, DirectoryDialogWordsFollowTheLanguage) {
  Script script({{1, ""}, {1, ""}});
  for (const char* code : {"de", "en"}) {
    SetLanguage(code);
    std::string folder;
    OpenDirectoryDialog(folder);
    const auto& args = script.calls.back();
    EXPECT_EQ(ArgStarting(args, "--ok-label="), GetUtf8(kTextChoose)) << code;
    EXPECT_EQ(ArgStarting(args, "--title=").rfind(GetUtf8(kTextChooseDirectory), 0), 0u) << code;
  }
}

TEST(FileDialogs, TheTitleAndTheMessageEachShowOnce) {
  Script script({{1, ""}});
  std::string path, name, ext;
  OpenFileDialog("Choose a song file (.mp3 or .ogg)", "Choose a song", {"mp3", "ogg"}, path, name, ext);
  EXPECT_EQ(ArgStarting(script.calls[0], "--title="), "Choose a song");
  EXPECT_EQ(ArgStarting(script.calls[0], "--file-filter="),
            "Choose a song file (.mp3 or .ogg) | *.mp3 *.MP3 *.ogg *.OGG");
}

// ---- Clipboard ----------------------------------------------------------------------------

TEST(Clipboard, AsksForTheTypesBeforeReadingText) {
  Script script({{0, "TARGETS\nUTF8_STRING\nSTRING\n"}, {0, "grüße"}});
  std::string text = "x";
  ReadFromPasteboard(text);
  EXPECT_EQ(text, "grüße");
  ASSERT_EQ(script.calls.size(), 2u);
  EXPECT_TRUE(Has(script.calls[0], "TARGETS"));
  EXPECT_TRUE(Has(script.calls[1], "UTF8_STRING"));
}

TEST(Clipboard, TypesWithLineEndsOrBlankLinesStillOfferText) {
  for (const char* targets : {"TARGETS\r\nUTF8_STRING\r\n", "TARGETS\n\nSTRING \n"}) {
    Script script({{0, targets}, {0, "abc"}});
    std::string text;
    ReadFromPasteboard(text);
    EXPECT_EQ(text, "abc") << targets;
  }
}

TEST(Clipboard, PictureOrEmptyClipboardReadsAsNoText) {
  Script script({{0, "TARGETS\nimage/png\n"}, {1, ""}});
  std::string text = "x";
  ReadFromPasteboard(text);
  EXPECT_EQ(text, "");
  EXPECT_EQ(script.calls.size(), 1u) << "the picture's bytes were read";
  text = "x";
  ReadFromPasteboard(text);
  EXPECT_EQ(text, "");
}

TEST(Clipboard, WritesTheTextOnStandardInput) {
  Script script({{0, ""}});
  WriteToPasteboard("a\nb");
  ASSERT_EQ(script.calls.size(), 1u);
  EXPECT_TRUE(Has(script.calls[0], "clipboard"));
  EXPECT_EQ(script.inputs[0], "a\nb");
}

// ---- Language -----------------------------------------------------------------------------

class Language : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* v : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(v);
  }
};

TEST_F(Language, OrderOfTheLocaleVariables) {
  std::string code = "en";
  GetSystemLanguage(code);
  EXPECT_EQ(code, "en") << "no variable: unchanged";
  setenv("LANG", "ja_JP.UTF-8", 1);
  EXPECT_EQ(platform::LanguageFromEnvironment(), "ja");
  setenv("LC_MESSAGES", "ru_RU.UTF-8", 1);
  EXPECT_EQ(platform::LanguageFromEnvironment(), "ru");
  setenv("LC_ALL", "tr_TR", 1);
  EXPECT_EQ(platform::LanguageFromEnvironment(), "tr");
  setenv("LANGUAGE", "pt_BR:de", 1);
  EXPECT_EQ(platform::LanguageFromEnvironment(), "pt");
}

TEST_F(Language, CAndPosixAreNotLanguages) {
  setenv("LC_ALL", "C.UTF-8", 1);
  setenv("LANG", "ko_KR.UTF-8", 1);
  EXPECT_EQ(platform::LanguageFromEnvironment(), "ko");
  setenv("LANGUAGE", ":POSIX:zh_CN", 1);
  EXPECT_EQ(platform::LanguageFromEnvironment(), "zh");
  setenv("LANG", "C", 1);
  unsetenv("LANGUAGE");
  unsetenv("LC_ALL");
  std::string code = "fr";
  GetSystemLanguage(code);
  EXPECT_EQ(code, "fr");
}

TEST_F(Language, UnusableListEntriesFallThroughToTheLocale) {
  setenv("LANG", "ja_JP.UTF-8", 1);
  const std::pair<const char*, const char*> cases[] = {{"eng:POSIX", "ja"}, {"eng:de", "de"}, {"it", "it"}};
  for (const auto& [list, code] : cases) {
    setenv("LANGUAGE", list, 1);
    EXPECT_EQ(platform::LanguageFromEnvironment(), code) << list;
  }
}

// ---- The viewer's desktop entry -------------------------------------------------------------

class DesktopEntry : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = skyt_test::FreshDir("platform_desktop_home");
    system_ = skyt_test::FreshDir("platform_desktop_system");
    mkdir((home_ + "/applications").c_str(), 0755);
    mkdir((system_ + "/applications").c_str(), 0755);
    setenv("XDG_DATA_HOME", home_.c_str(), 1);
    setenv("XDG_DATA_DIRS", system_.c_str(), 1);
    SetCommandLauncher([this](const std::vector<std::string>& argv) {
      launched.push_back(argv);
      return true;
    });
  }
  void TearDown() override { SetCommandLauncher(nullptr); }
  void Write(const std::string& dir, const std::string& text) {
    std::ofstream(dir + "/applications/org.kmw.Skytapper3D.desktop") << text;
  }
  std::string home_, system_;
  std::vector<std::vector<std::string>> launched;
};

TEST_F(DesktopEntry, NotInstalledWithoutAnEntry) {
  EXPECT_FALSE(IsMacClientInstalled());
  LaunchMacClient();
  EXPECT_TRUE(launched.empty());
}

TEST_F(DesktopEntry, LaunchesTheExecLineWithoutAShell) {
  Write(system_, "[Desktop Entry]\nType=Application\nName=Viewer\n"
                 "Exec=\"/opt/sky viewer/bin/viewer\" --kit=\"a \\\\\"b\\\\\"\" %U $(id) 100%%\n");
  EXPECT_TRUE(IsMacClientInstalled());
  LaunchMacClient();
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0], (std::vector<std::string>{"/opt/sky viewer/bin/viewer", "--kit=a \"b\"", "$(id)", "100%"}));
}

TEST_F(DesktopEntry, TheUsersEntryWinsAndHiddenMeansRemoved) {
  Write(system_, "[Desktop Entry]\nExec=system-viewer\n");
  Write(home_, "[Desktop Entry]\nExec=my-viewer --fast\n");
  LaunchMacClient();
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0][0], "my-viewer");
  Write(home_, "[Desktop Entry]\nExec=my-viewer\nHidden=true\n");
  EXPECT_FALSE(IsMacClientInstalled());
  Write(home_, "[Desktop Entry]\nExec=my-viewer\nTryExec=/nonexistent/viewer\n");
  EXPECT_FALSE(IsMacClientInstalled());
  Write(home_, "[Desktop Entry]\nExec=my-viewer\nTryExec=/bin/sh\n");
  EXPECT_TRUE(IsMacClientInstalled());
  // A bare TryExec name is looked for along the whole PATH.
  const std::string path = getenv("PATH");
  setenv("PATH", "/nonexistent:/usr/bin:/nonexistent2", 1);
  Write(home_, "[Desktop Entry]\nExec=my-viewer\nTryExec=sh\n");
  EXPECT_TRUE(IsMacClientInstalled());
  setenv("PATH", "/usr/bin", 1);  // the first folder counts as well
  EXPECT_TRUE(IsMacClientInstalled());
  setenv("PATH", path.c_str(), 1);
}

// Without the XDG data variables the user's entries are looked for under ~/.local/share (and the
// system's in their usual places).
TEST_F(DesktopEntry, TheUsersFolderDefaultsToLocalShare) {
  const std::string home = skyt_test::FreshDir("platform_desktop_user");
  std::filesystem::create_directories(home + "/.local/share/applications");
  std::ofstream(home + "/.local/share/applications/org.kmw.Skytapper3D.desktop") << "[Desktop Entry]\nExec=mine\n";
  const std::string old_home = getenv("HOME") ? getenv("HOME") : "";
  setenv("HOME", home.c_str(), 1);
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_DATA_DIRS");
  EXPECT_TRUE(IsMacClientInstalled());
  // Without a home folder at all only the system's entries count.
  unsetenv("HOME");
  setenv("XDG_DATA_DIRS", system_.c_str(), 1);
  Write(system_, "[Desktop Entry]\nExec=theirs\n");
  EXPECT_TRUE(IsMacClientInstalled());
  setenv("HOME", old_home.c_str(), 1);
}

TEST_F(DesktopEntry, ExecInOtherGroupsOrUnbalancedIsNotUsable) {
  Write(home_, "[Desktop Action Other]\nExec=other\n[Desktop Entry]\nName=x\n");
  EXPECT_FALSE(IsMacClientInstalled());
  EXPECT_TRUE(platform::SplitExec("viewer \"unclosed").empty());
  EXPECT_EQ(platform::SplitExec("  a   b  %f "), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(platform::SplitExec("a \"\""), (std::vector<std::string>{"a", ""}));
}

// ---- Resolution warning -----------------------------------------------------------------------

TEST(ResolutionWarning, CentresTheWindowAndWarnsBelow740Lines) {
  ResetWindowServices();
  Script script({{0, ""}, {0, ""}, {0, ""}});
  int x, y, h;
  headless_window.screen_width = 1440;
  headless_window.screen_height = 900;
  MacResolutionWarning(960, 720, x, y, h);
  EXPECT_EQ(x, 240);
  EXPECT_EQ(y, 90);
  EXPECT_EQ(h, 900);
  EXPECT_TRUE(script.calls.empty());
  headless_window.screen_height = 720;
  MacResolutionWarning(960, 720, x, y, h);
  ASSERT_EQ(script.calls.size(), 1u);
  EXPECT_NE(ArgStarting(script.calls[0], "--text=").find("740 lines"), std::string::npos);
  headless_window.screen_width = 1024;  // a small laptop screen: the title bar stays reachable
  headless_window.screen_height = 600;
  MacResolutionWarning(960, 720, x, y, h);
  EXPECT_EQ(x, 32);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(script.calls.size(), 2u);
  headless_window.screen_width = headless_window.screen_height = 0;  // no screen at all
  MacResolutionWarning(960, 720, x, y, h);
  EXPECT_EQ(x, -480);
  EXPECT_EQ(script.calls.size(), 3u);
  ResetWindowServices();
}

// ---- Without an X server ----------------------------------------------------------------------

TEST(NoXServer, NoKeyHeldNoViewerAndTheFocusIsOurs) {
  unsetenv("DISPLAY");
  EXPECT_FALSE(IsCmdPressed());
  PreventSleeping();
  EXPECT_FALSE(IsSleepPrevented());
  DisableResize();
  EXPECT_TRUE(ServerHasFocusMac());
  EXPECT_FALSE(ClientRunningOnThisMac());
  GiveFocusToClientMac();
}

// ---- Spawning -------------------------------------------------------------------------------

TEST(Spawn, ArgumentsAreNeverShellText) {
  CommandResult r = SpawnAndWait({"printf", "%s|", "a;b", "$(echo x)", "*"}, nullptr);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.output, "a;b|$(echo x)|*|");
}

TEST(Spawn, OnlyTheStandardDescriptorsReachTheHelper) {
  // Deliberately without close-on-exec, as a socket or camera handle might be.
  int null_fd = open("/dev/null", O_RDONLY);
  int leaky = fcntl(null_fd, F_DUPFD, 100);
  close(null_fd);
  ASSERT_GE(leaky, 100);
  CommandResult r = SpawnAndWait({"ls", "/proc/self/fd"}, nullptr);
  close(leaky);
  EXPECT_EQ(r.exit_code, 0);
  // 0, 1, 2 and ls's own directory descriptor.
  EXPECT_EQ(r.output, "0\n1\n2\n3\n");
}

TEST(Spawn, FeedsLargeInputWhileReadingOutput) {
  std::string big(1 << 20, 'z');
  CommandResult r = SpawnAndWait({"cat"}, &big);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.output.size(), big.size());
  // A helper that ignores its input must not stall or kill the program.
  r = SpawnAndWait({"true"}, &big);
  EXPECT_EQ(r.exit_code, 0);
}

// This process's children that have ended and not been waited for.
int Zombies() {
  int n = 0;
  for (const auto& e : std::filesystem::directory_iterator("/proc")) {
    std::ifstream f(e.path() / "stat");
    std::string stat;
    if (!std::getline(f, stat) || stat.rfind(')') == std::string::npos) continue;
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));  // state, then the parent
    char state = 0;
    int parent = 0;
    rest >> state >> parent;
    if (state == 'Z' && parent == getpid()) ++n;
  }
  return n;
}

bool AwaitZombies(int n) {
  for (int i = 0; i < 1000 && Zombies() < n; ++i) usleep(5000);
  return Zombies() >= n;
}

// Each start reaps every detached helper that has ended, also one listed behind a running one.
TEST(Spawn, EndedDetachedHelpersAreReapedAtTheNextStart) {
  // A helper that is waited for starts like any other.
  ASSERT_TRUE(SpawnDetached({"true"}));
  ASSERT_TRUE(AwaitZombies(1));
  EXPECT_EQ(SpawnAndWait({"true"}, nullptr).exit_code, 0);
  EXPECT_EQ(Zombies(), 0);
  ASSERT_TRUE(SpawnDetached({"sleep", "0.1"}));
  ASSERT_TRUE(SpawnDetached({"sleep", "1"}));
  ASSERT_TRUE(AwaitZombies(1));
  ASSERT_TRUE(SpawnDetached({"true"}));  // the first has ended, the second still runs
  ASSERT_TRUE(AwaitZombies(2));
  ASSERT_TRUE(SpawnDetached({"sleep", "1"}));
  EXPECT_EQ(Zombies(), 0);
}

TEST(Spawn, MissingProgramAndExitCodes) {
  EXPECT_EQ(SpawnAndWait({"/nonexistent/zenity"}, nullptr).exit_code, -1);
  EXPECT_EQ(SpawnAndWait({"sh", "-c", "exit 3"}, nullptr).exit_code, 3);
  EXPECT_EQ(SpawnAndWait({}, nullptr).exit_code, -1);
  EXPECT_TRUE(SpawnDetached({"true"}));
  EXPECT_FALSE(SpawnDetached({"/nonexistent/viewer"}));
}
