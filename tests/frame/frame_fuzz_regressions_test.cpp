// Damaged settings files that once lost data: lines holding NUL bytes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "frame/ini_file.h"
#include "tests/support/test_dirs.h"

namespace {

using namespace std::string_literals;

class IniFuzzRegressions : public ::testing::Test {
 protected:
  std::string Write(const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  std::string Read() const {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  std::string dir = skyt_test::FreshDir(std::string("ini_fuzz_") +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::string path = dir + "/s.cfg";
};

// A NUL byte in a line made the reader join the rest of that line's bytes to the next line, so
// the key on the next line was not found.
TEST_F(IniFuzzRegressions, KeyAfterALineWithANulIsFound) {
  Write("[Sound]\nJunk = a\0b\nVolume = 7\nName = x\0y\n"s);
  IniFile ini;
  ASSERT_TRUE(ini.Init(path));
  int volume = 0;
  EXPECT_TRUE(ini.GetInt("Sound", "Volume", volume));
  EXPECT_EQ(volume, 7);
  const char* name = nullptr;
  ASSERT_TRUE(ini.GetString("Sound", "Name", name));
  EXPECT_STREQ(name, "x");  // the value as a C string ends at the NUL
}

// Every rewriter keeps the lines it was not asked to change byte for byte, NULs included.
TEST_F(IniFuzzRegressions, RewritersKeepLinesWithNulBytes) {
  const std::string damaged = "Junk = a\0\0b\n"s;
  const std::string original = "[Sound]\n"s + damaged + "Volume = 7\n[Other]\nKey = \0\n"s;

  Write(original);
  ASSERT_TRUE(IniFile::ReplaceEntries(path, {{"Volume", "Volume = 8"}}));
  EXPECT_EQ(Read(), "[Sound]\n"s + damaged + "Volume = 8\n[Other]\nKey = \0\n"s);

  Write(original);
  ASSERT_TRUE(IniFile::EraseEntries(path, {"Volume"}));
  EXPECT_EQ(Read(), "[Sound]\n"s + damaged + "[Other]\nKey = \0\n"s);

  Write(original);
  ASSERT_TRUE(IniFile::AddEntries(path, {{"Volume", "Reverb = 0"}}));
  EXPECT_EQ(Read(), "[Sound]\n"s + damaged + "Volume = 7\nReverb = 0\n[Other]\nKey = \0\n"s);

  Write(original);
  ASSERT_TRUE(IniFile::ReplaceSection(path, "Other", {"[Other]", "Key = 1"}));
  EXPECT_EQ(Read(), "[Sound]\n"s + damaged + "Volume = 7\n[Other]\nKey = 1\n"s);
}

}  // namespace
