// Paths under the installation folder, folder scans in library order, file names from names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/paths.h"
#include "frame/texts.h"
#include "tests/support/test_dirs.h"

namespace {

TEST(Paths, MakePathPicksTheFolderOfEachKind) {
  EXPECT_EQ(MakePath(kPathConf, "skytapper.cfg"), "./conf/skytapper.cfg");
  EXPECT_EQ(MakePath(kPathDrumkits, "A_kit.ini"), "./conf/drumkits/A_kit.ini");
  EXPECT_EQ(MakePath(kPathElements, "snare.ele"), "./data/elements/snare.ele");
  EXPECT_EQ(MakePath(kPathImages, "help1.png"), "./data/images/help1.png");
  EXPECT_EQ(MakePath(kPathPlaylist, "playlist.txt"), "./conf/playlist.txt");
  EXPECT_EQ(MakePath(kPathRecordings, "take.wav"), "./recordings/take.wav");
  EXPECT_EQ(MakePath(kPathMidiMaps, "m.ini"), "./conf/midi-maps/m.ini");
  EXPECT_EQ(MakePath(kPathFonts, "f.ttf"), "./data/fonts/f.ttf");
  EXPECT_EQ(MakePath(9, "x"), "./x");
  EXPECT_EQ(MakePath(-1, "x"), "./x");
}

TEST(Paths, ScanListsMatchingNamesInLibraryOrder) {
  std::string dir = skyt_test::FreshDir("scan");
  for (const char* n : {"b.ini", "A.ini", "a.INI", "\xC3\xA9t\xC3\xA9.ini", "notes.txt", ".ini", "B_2.ini", "B_1.ini"})
    std::ofstream(dir + "/" + n) << "x";
  std::vector<std::string> names;
  ScanDirectory(dir.c_str(), ".ini", names);
  EXPECT_EQ(names, (std::vector<std::string>{"\xC3\xA9t\xC3\xA9.ini", "A.ini", "B_1.ini", "B_2.ini", "a.INI", "b.ini"}));
  std::vector<std::string> untouched{"keep"};
  ScanDirectory((dir + "/missing").c_str(), ".ini", untouched);
  EXPECT_EQ(untouched, std::vector<std::string>{"keep"});
}

// Folder scans, settings rewrites and the font check run again and again while screens are
// shown: each closes what it opened.
TEST(Paths, ScansAndReadsLeaveNoDescriptorOpen) {
  const std::string dir = skyt_test::FreshDir("descriptors");
  std::filesystem::create_directories(dir + "/data/fonts");
  std::ofstream(dir + "/data/fonts/SourceHanSans-Normal.ttf") << "x";
  std::ofstream(dir + "/a.ini") << "[S]\nA = 1\n";
  const std::string installation = installation_directory;
  installation_directory = dir;
  const long before = skyt_test::OpenFiles();
  for (int i = 0; i < 3; ++i) {
    std::vector<std::string> names;
    ScanDirectory(dir.c_str(), ".ini", names);
    EXPECT_TRUE(IniFile::ReplaceEntries(dir + "/a.ini", {{"A", "A = 2"}}));
    EXPECT_TRUE(HaveJapaneseFont());
    IniFile reloaded;  // a settings object loaded again lets go of the file it read before
    EXPECT_TRUE(reloaded.Init(dir + "/a.ini"));
    EXPECT_TRUE(reloaded.Init(dir + "/a.ini"));
  }
  EXPECT_EQ(skyt_test::OpenFiles(), before);
  installation_directory = installation;
}

TEST(Paths, NameToPathMakesSafeFileNames) {
  EXPECT_EQ(NameToPath("My kit/2: \"best\""), "My kit_2_ _best_");
  EXPECT_EQ(NameToPath("Caf\xC3\xA9 <*?|\\>"), "Caf\xC3\xA9 ______");
  // A bad byte no longer lets the rest through unfiltered.
  EXPECT_EQ(NameToPath("a\xFF/b\n"), "a__b_");
}

TEST(Paths, CompactPathKeepsHeadAndTail) {
  char out[1024];
  std::string path = "/home/player/music/songs/long/track1.mp3";  // 40 characters
  ASSERT_EQ(path.size(), 40u);
  EXPECT_EQ(PathCompactPathEx(out, path.c_str(), 32, 0, sizeof out), 31);
  EXPECT_EQ(std::string(out), path.substr(0, 14) + "..." + path.substr(26));
  EXPECT_EQ(PathCompactPathEx(out, "short", 32, 0, sizeof out), 5);
  EXPECT_STREQ(out, "short");
  EXPECT_EQ(PathCompactPathEx(out, "short", 0, 0, sizeof out), 0);  // fewer than no characters
  EXPECT_STREQ(out, "");
  // Non-ASCII text is cut on character boundaries inside the caller's buffer.
  std::string cjk;
  for (int i = 0; i < 40; ++i) cjk += "\xE9\xBC\x93";
  char small[64];
  int n = PathCompactPathEx(small, cjk.c_str(), 32, 0, sizeof small);
  EXPECT_LT(n, 64);
  EXPECT_EQ(n % 3, 0);
  // A path longer than the 1023 characters the conversion holds is compacted as its first 1023.
  std::string long_path;
  for (int i = 0; i < 1100; ++i) long_path += static_cast<char>('a' + i % 26);
  EXPECT_EQ(PathCompactPathEx(out, long_path.c_str(), 32, 0, sizeof out), 31);
  EXPECT_EQ(std::string(out), long_path.substr(0, 14) + "..." + long_path.substr(1023 - 14, 14));
}

TEST(Paths, ToStringWritesDecimals) {
  EXPECT_EQ(to_string(-12), "-12");
  EXPECT_EQ(to_string(0), "0");
}

}  // namespace
