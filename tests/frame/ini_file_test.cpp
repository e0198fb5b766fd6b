// The INI dialect as the settings, kit and MIDI-map files use it, and the rewriters' safety.
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <sstream>

#include "frame/atomic_file.h"
#include "frame/ini_file.h"
#include "tests/support/test_dirs.h"

namespace {

std::string Write(const std::string& dir, const std::string& content, const char* name = "s.ini") {
  std::string path = dir + "/" + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

std::string Read(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string Str(const IniFile& ini, const char* section, const char* key) {
  const char* v = nullptr;
  return ini.GetString(section, key, v) ? std::string(v) : std::string("<none>");
}

// Runs the check as a user without root's right to write anywhere: in a child that drops to
// "nobody" when the tests run as root. -1 when no such user can be taken.
int RunAsUser(const std::function<bool()>& check) {
  if (geteuid() != 0) return check() ? 1 : 0;
  const passwd* nobody = getpwnam("nobody");
  if (!nobody) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(2);
    _exit(check() ? 1 : 0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) < 2 ? WEXITSTATUS(status) : -1;
}

class IniTest : public ::testing::Test {
 protected:
  std::string dir = skyt_test::FreshDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
};

TEST_F(IniTest, ReadsTheDialect) {
  IniFile ini;
  ASSERT_TRUE(ini.Init(Write(dir,
      "; comment\r\nStray = before any section\r\n[Session]\r\nA=1\r\nB = 2\r\n"
      "\t  KeyC \t=\t three = 3 ; not a comment  \r\n;D = 4\r\nProcess priority = high\r\n"
      "Empty =\r\n[ Sound ]\r\nX = in blank-named section\r\n[sound]\r\nMaster_Volume = 80\r\n"
      "[Session]\r\nA = second section ignored\r\n")));
  EXPECT_EQ(Str(ini, "Session", "A"), "1");
  EXPECT_EQ(Str(ini, "session", "b"), "2");
  EXPECT_EQ(Str(ini, "SESSION", "keyc"), "three = 3 ; not a comment");
  EXPECT_EQ(Str(ini, "Session", "D"), "<none>");
  EXPECT_EQ(Str(ini, "Session", "Process priority"), "high");
  EXPECT_EQ(Str(ini, "Session", "Empty"), "");
  EXPECT_EQ(Str(ini, "Session", "Stray"), "<none>");
  EXPECT_EQ(Str(ini, "Sound", "X"), "<none>");
  EXPECT_EQ(Str(ini, "Sound", "Master_Volume"), "80");
  EXPECT_EQ(Str(ini, "Session", "Master_Volume"), "<none>");
  EXPECT_EQ(Str(ini, "Sess", "A"), "<none>");
}

TEST_F(IniTest, TypedGetters) {
  IniFile ini;
  ASSERT_TRUE(ini.Init(Write(dir,
      "[S]\nyes=yes\ntrue=TRUE\non=on\none=1\ntwo=2\nn=n\nNo=No\nfalse=FALSE\noff=off\nzero=0\nhalf=0.5\n"
      "empty=\nint=-42abc\nbig=99999999999\nword=abc\nf=1.5e2\nnan=nan\ninf=inf\nhuge=1e300\ncomma=2,5\n")));
  bool b = false;
  for (const char* k : {"yes", "true", "on", "one", "two", "n"}) {
    b = false;
    EXPECT_TRUE(ini.GetBool("S", k, b) && b) << k;
  }
  for (const char* k : {"No", "false", "off", "zero", "half"}) {
    b = true;
    EXPECT_TRUE(ini.GetBool("S", k, b) && !b) << k;
  }
  b = true;
  EXPECT_FALSE(ini.GetBool("S", "empty", b));
  EXPECT_TRUE(b);
  int i = 7;
  EXPECT_TRUE(ini.GetInt("S", "int", i));
  EXPECT_EQ(i, -42);
  EXPECT_TRUE(ini.GetInt("S", "big", i));
  EXPECT_EQ(i, 2147483647);
  EXPECT_TRUE(ini.GetInt("S", "word", i));
  EXPECT_EQ(i, 0);
  float f = 3;
  EXPECT_TRUE(ini.GetFloat("S", "f", f));
  EXPECT_FLOAT_EQ(f, 150.0f);
  EXPECT_TRUE(ini.GetFloat("S", "comma", f));
  EXPECT_FLOAT_EQ(f, 2.0f);
  f = 3;
  for (const char* k : {"nan", "inf", "huge"}) EXPECT_FALSE(ini.GetFloat("S", k, f)) << k;
  EXPECT_FLOAT_EQ(f, 3.0f);
}

TEST_F(IniTest, BracketsInAValueDoNotEndTheSection) {
  std::string path = Write(dir, "[Session]\nLast_Drumkit = My kit [2]\nNever_Ran = false\n[Sound]\nA = 1\n");
  IniFile ini;
  ASSERT_TRUE(ini.Init(path));
  EXPECT_EQ(Str(ini, "Session", "Last_Drumkit"), "My kit [2]");
  EXPECT_EQ(Str(ini, "Session", "Never_Ran"), "false");
  ini.CleanUp();
  ASSERT_TRUE(IniFile::ReplaceSection(path, "Session", {"[Session]", "Last_Drumkit = Other"}));
  EXPECT_EQ(Read(path), "[Session]\nLast_Drumkit = Other\n[Sound]\nA = 1\n");
}

TEST_F(IniTest, LongLinesSurviveReadingAndRewriting) {
  std::string long_value(1500, 'x');
  std::string content = "[S]\nK = " + long_value + "\nL = 1\n";
  std::string path = Write(dir, content);
  IniFile ini;
  ASSERT_TRUE(ini.Init(path));
  EXPECT_EQ(Str(ini, "S", "K"), long_value);
  EXPECT_EQ(Str(ini, "S", "L"), "1");
  ini.CleanUp();
  ASSERT_TRUE(IniFile::AddEntries(path, {{"Nothing", "x"}}));
  EXPECT_EQ(Read(path), content);
}

TEST_F(IniTest, ReplaceSectionKeepsEverythingElse) {
  std::string path = Write(dir, "; top\n[Session]\nA = 1\n; inside\n\n[Sound]\nB = 2\n[Session]\nC = 3");
  ASSERT_TRUE(IniFile::ReplaceSection(path, "session", {"[Session]", "A = 9"}));
  EXPECT_EQ(Read(path), "; top\n[Session]\nA = 9\n[Sound]\nB = 2\n[Session]\nC = 3");
  ASSERT_TRUE(IniFile::ReplaceSection(path, "Drummer", {"[Drummer]", "D = 4"}));
  EXPECT_EQ(Read(path), "; top\n[Session]\nA = 9\n[Sound]\nB = 2\n[Session]\nC = 3\n[Drummer]\nD = 4\n");
  // A file already ending its last line, or empty, gets no blank line before the new section.
  for (const char* before : {"A = 1\n", ""}) {
    path = Write(dir, before);
    ASSERT_TRUE(IniFile::ReplaceSection(path, "Drummer", {"[Drummer]"}));
    EXPECT_EQ(Read(path), std::string(before) + "[Drummer]\n");
  }
}

TEST_F(IniTest, PrefixRewritersMatchRawLineStarts) {
  std::string path = Write(dir, "[Webcam]\nThreshold = 90\nThreshold_Old = 3\n  Threshold = 7\nGain = 1\n[Session]\nWants_Startup_Help = no");
  ASSERT_TRUE(IniFile::ReplaceEntries(path, {{"Threshold", "Threshold  = 115"}}));
  EXPECT_EQ(Read(path), "[Webcam]\nThreshold  = 115\nThreshold  = 115\n  Threshold = 7\nGain = 1\n[Session]\nWants_Startup_Help = no");
  ASSERT_TRUE(IniFile::AddEntries(path, {{"Wants_Startup_Help", "Language = de"}}));
  EXPECT_EQ(Read(path), "[Webcam]\nThreshold  = 115\nThreshold  = 115\n  Threshold = 7\nGain = 1\n[Session]\nWants_Startup_Help = no\nLanguage = de\n");
  ASSERT_TRUE(IniFile::EraseEntries(path, {"Threshold", "Gain"}));
  EXPECT_EQ(Read(path), "[Webcam]\n  Threshold = 7\n[Session]\nWants_Startup_Help = no\nLanguage = de\n");
}

TEST_F(IniTest, FailedRewriteLeavesTheFileUntouched) {
  std::string sub = dir + "/ro";
  mkdir(sub.c_str(), 0755);
  std::string content = "[Sound]\nMaster_Volume = 80\n";
  std::string path = Write(sub, content);
  EXPECT_FALSE(IniFile::ReplaceSection(dir + "/missing.ini", "Sound", {"[Sound]"}));
  EXPECT_EQ(Read(path), content);
  // A missing file reads nothing.
  IniFile ini;
  EXPECT_FALSE(ini.Init(dir + "/missing.ini"));
  const char* v = nullptr;
  EXPECT_FALSE(ini.GetString("Sound", "Master_Volume", v));
}

TEST_F(IniTest, RewritesObeyTheFileNotTheFolder) {
  const struct {
    mode_t folder, file;
    bool saved;
    rlim_t largest_file = RLIM_INFINITY;
    bool as_user = true;  // else as whoever runs the tests, root included
  } cases[] = {
      {0555, 0666, true},   // read-only folder: rewritten in place
      {0777, 0444, false},  // read-only file: refused and untouched
      {0555, 0444, false},
      {0555, 0666, false, 45},  // the new bytes do not fit: the old ones are written back
      {0777, 0444, false, RLIM_INFINITY, false},  // refused even where the writer could write
  };
  const std::string before = "[Sound]\nMaster_Volume = 80\n[Webcam]\nGain = 3\n";
  const std::string after = "[Sound]\nMaster_Volume = 100\n[Webcam]\nGain = 3\n";
  ASSERT_EQ(before.size(), 45u);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::oct << c.folder << " " << c.file);
    const std::string sub = dir + "/" + std::to_string(&c - cases);
    mkdir(sub.c_str(), 0755);
    const std::string path = Write(sub, before);
    chmod(path.c_str(), c.file);
    chmod(sub.c_str(), c.folder);
    const auto save = [&] {
      rlimit old;
      getrlimit(RLIMIT_FSIZE, &old);
      rlimit limit = old;
      limit.rlim_cur = c.largest_file;
      setrlimit(RLIMIT_FSIZE, &limit);
      const auto on_too_large = signal(SIGXFSZ, SIG_IGN);
      const bool ok = IniFile::ReplaceSection(path, "Sound", {"[Sound]", "Master_Volume = 100"});
      signal(SIGXFSZ, on_too_large);
      setrlimit(RLIMIT_FSIZE, &old);
      return ok;
    };
    const int saved = c.as_user ? RunAsUser(save) : save();
    chmod(sub.c_str(), 0755);
    if (saved < 0) GTEST_SKIP() << "no unprivileged user to run as";
    EXPECT_EQ(saved, c.saved);
    EXPECT_EQ(Read(path), c.saved ? after : before);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, c.file);
  }
}

TEST_F(IniTest, ASymbolicLinkStaysALink) {
  mkdir((dir + "/real").c_str(), 0755);
  Write(dir + "/real", "[S]\nA = 1\n");
  const std::string link = dir + "/link.ini";
  ASSERT_EQ(symlink("real/s.ini", link.c_str()), 0);
  ASSERT_TRUE(IniFile::ReplaceEntries(link, {{"A", "A = 2"}}));
  struct stat st;
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Read(dir + "/real/s.ini"), "[S]\nA = 2\n");
}

TEST_F(IniTest, RewriteKeepsPermissions) {
  std::string path = Write(dir, "[S]\nA = 1\n");
  chmod(path.c_str(), 0600);
  ASSERT_TRUE(IniFile::ReplaceEntries(path, {{"A", "A = 2"}}));
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace

TEST(IniRead, SectionInOneScanAsTheGettersReadIt) {
  const std::string dir = skyt_test::FreshDir("ini_section");
  IniFile ini;
  ASSERT_TRUE(ini.Init(Write(dir, std::string("[a]\nx=1\n[Map]\r\n ; c\r\n Key  =  v 1 \r\nnone\nNul = a\0b\n[map]\ny = 2\n", 63))));
  std::vector<std::pair<std::string, std::string>> entries;
  EXPECT_TRUE(ini.GetSection("MAP", entries));
  using Entries = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(entries, (Entries{{"Key", "v 1"}, {"Nul", std::string("a\0b", 3)}}));
  EXPECT_EQ(Str(ini, "map", "key"), "v 1");
  EXPECT_FALSE(ini.GetSection("b", entries));
}

// A new kit or preset file gets the permissions the user's umask allows, every time.
TEST(AtomicFile, NewFilesFollowTheUmask) {
  const std::string dir = skyt_test::FreshDir("atomic_umask");
  const mode_t old = umask(027);
  for (const char* name : {"/a.ini", "/b.ini"}) {
    ASSERT_TRUE(WriteFileAtomic(dir + name, "x"));
    struct stat st;
    ASSERT_EQ(stat((dir + name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << name;
  }
  umask(old);
}

// In a folder that takes no new file, a file whose old bytes cannot be read is left alone: they
// could not be put back if the new ones failed.
TEST(AtomicFile, InPlaceRewriteNeedsTheOldBytes) {
  const std::string sub = skyt_test::FreshDir("atomic_in_place") + "/ro";
  mkdir(sub.c_str(), 0755);
  const std::string path = Write(sub, "old\n");
  chmod(path.c_str(), 0222);
  chmod(sub.c_str(), 0555);
  const int saved = RunAsUser([&] { return WriteFileAtomic(path, "new\n"); });
  chmod(sub.c_str(), 0755);
  if (saved < 0) GTEST_SKIP() << "no unprivileged user to run as";
  EXPECT_EQ(saved, 0);
  EXPECT_EQ(Read(path), "old\n");
}
