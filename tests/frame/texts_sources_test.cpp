// The build step that turns assets/text/*.txt into the text table stops, naming file and line,
// on any fault in a source.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/test_dirs.h"

namespace {

struct Result {
  int status;
  std::string output;
};

class TextSources : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = skyt_test::FreshDir("text_sources");
    std::ifstream in(skyt_test::SourceDir() + "/assets/text/en.txt");
    std::stringstream s;
    s << in.rdbuf();
    english_ = s.str();
    ASSERT_FALSE(english_.empty());
  }

  // Every language's source as a copy of the English one.
  void WriteAll() {
    for (const char* code : {"en", "ja", "de", "fr", "es", "id", "tr", "it", "ru", "zh", "ko"})
      Write(std::string(code) + ".txt", english_);
  }

  void Write(const std::string& name, const std::string& content) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << content;
  }

  // The generator over the written sources; extra names the names file and header arguments.
  Result Generate(const std::string& extra = "") {
    const std::string command = "python3 '" + skyt_test::SourceDir() + "/tools/gen_text_table.py' '" + dir_ +
                                "' '" + dir_ + "/out/table.cpp'" + extra + " 2>&1";
    Result r{-1, ""};
    FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buf[512];
    while (fgets(buf, sizeof buf, p)) r.output += buf;
    r.status = pclose(p);
    return r;
  }

  // The English source with line `line` (1-based, counting every line) replaced.
  std::string EnglishWithLine(int line, const std::string& replacement) {
    std::stringstream in(english_), out;
    std::string l;
    for (int n = 1; std::getline(in, l); ++n) out << (n == line ? replacement : l) << "\n";
    return out.str();
  }

  int LineOf(const std::string& prefix) {
    std::stringstream in(english_);
    std::string l;
    for (int n = 1; std::getline(in, l); ++n)
      if (l.rfind(prefix, 0) == 0) return n;
    return -1;
  }

  std::string dir_, english_;
};

}  // namespace

TEST_F(TextSources, GoodSourcesMakeTheTable) {
  WriteAll();
  Write("de.txt", "\xEF\xBB\xBF" + EnglishWithLine(LineOf("7 \""), "7 \"Weiter\"\r"));
  const Result r = Generate();
  EXPECT_EQ(r.status, 0) << r.output;
  std::ifstream in(dir_ + "/out/table.cpp");
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_NE(s.str().find("\"Weiter\",  // 7"), std::string::npos);
  EXPECT_NE(s.str().find("\"Cannot find drumkit %s\\n\""), std::string::npos);
}

TEST_F(TextSources, FaultsStopTheBuildNamingFileAndLine) {
  const int line7 = LineOf("7 \"");
  struct Case {
    std::string content, message;
  } cases[] = {
      {EnglishWithLine(line7, ""), "de.txt:" + std::to_string(line7) + ": missing id 7"},
      {english_ + "7 \"again\"\n", "id 7 doubled (first given on line " + std::to_string(line7) + ")"},
      {english_ + "540 \"beyond\"\n", "id 540 is out of range"},
      {EnglishWithLine(line7, "7 \"Next\\q\""), "de.txt:" + std::to_string(line7) + ": bad escape '\\q'"},
      {EnglishWithLine(line7, "7 \"N\xC3\x28xt\""), "de.txt:" + std::to_string(line7) + ": invalid UTF-8"},
      {EnglishWithLine(line7, "7 \"\xED\xA0\x80\""), "invalid UTF-8"},  // an encoded surrogate
      {EnglishWithLine(line7, "7 \"\xF0\x9F\x98\x80\""), "outside U+0001-U+FFFF"},
      {EnglishWithLine(line7, "7 \"Ne\"xt\""), "unescaped '\"'"},
      {EnglishWithLine(line7, "7 Next"), "de.txt:" + std::to_string(line7) + ": expected"},
      {EnglishWithLine(line7, "7 \"Ne\txt\""), "control character"},
  };
  WriteAll();
  for (const Case& c : cases) {
    Write("de.txt", c.content);
    const Result r = Generate();
    EXPECT_NE(r.status, 0) << c.message;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << "expected \"" << c.message << "\" in: " << r.output;
  }
  // Every language must have its file.
  Write("de.txt", english_);
  std::remove((dir_ + "/ko.txt").c_str());
  const Result r = Generate();
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("ko.txt: the texts of this language are missing"), std::string::npos) << r.output;
}

// The names file: a doubled, missing or malformed name stops the build; good names become kText<Name>.
TEST_F(TextSources, NamesAreCheckedAndBecomeConstants) {
  WriteAll();
  std::ifstream in(skyt_test::SourceDir() + "/assets/text/names.txt");
  std::stringstream s;
  s << in.rdbuf();
  const std::string names = s.str();
  const auto generate = [&](const std::string& content) {
    Write("names.txt", content);
    return Generate(" '" + dir_ + "/names.txt' '" + dir_ + "/out/text_ids.h'");
  };
  struct Case {
    std::string content, message;
  } cases[] = {
      {names + "0 Next\n", "id 0 named twice"},
      {"7 Next\n8 Next\n", "name Next doubled (first given to id 7)"},
      {"7 Next\n", "id 0 has no name"},
      {"7 next step\n", "names.txt:1: expected <id> <Name>"},
  };
  for (const Case& c : cases) {
    const Result r = generate(c.content);
    EXPECT_NE(r.status, 0) << c.message;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << "expected \"" << c.message << "\" in: " << r.output;
  }
  ASSERT_EQ(generate(names).status, 0);
  std::ifstream header(dir_ + "/out/text_ids.h");
  std::stringstream h;
  h << header.rdbuf();
  EXPECT_NE(h.str().find("kTextNext = 7,"), std::string::npos) << h.str();
}
