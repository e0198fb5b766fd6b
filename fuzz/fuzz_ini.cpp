// The settings-file reader and its four rewriters on a fuzzed file. The reader must not crash
// and must hand out sane values; every rewrite must keep, byte for byte and in order, each line
// it was not asked to change, and must leave no temporary file behind.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/stat.h>

#include <cmath>

#include "frame/ini_file.h"
#include "fuzz/fuzz_common.h"

namespace {

using fuzz::ReadFile;
using fuzz::WriteFile;

// The file as the rewriters see it: lines with their line ends.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t nl = text.find('\n', at);
    size_t end = nl == std::string::npos ? text.size() : nl + 1;
    lines.push_back(text.substr(at, end - at));
    at = end;
  }
  return lines;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l;
  return s;
}

bool StartsWith(const std::string& line, const std::string& prefix) {
  return line.compare(0, prefix.size(), prefix) == 0;
}

// The program only ever passes whole lines without line ends or NULs to the rewriters.
std::string Arg(FuzzedDataProvider& in, size_t max) {
  std::string s = in.ConsumeRandomLengthString(max);
  std::string out;
  for (char c : s)
    if (c != '\n' && c != '\0') out += c;
  return out;
}

bool OnlyFileInFolder(const std::string& dir) {
  int n = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    (void)e;
    ++n;
  }
  return n == 1;
}

// Names that occur in the file: the text between brackets and before '=' signs.
void NamesFrom(const std::string& text, std::vector<std::string>& sections, std::vector<std::string>& keys) {
  for (const std::string& line : Lines(text)) {
    size_t open = line.find('['), close = line.rfind(']');
    if (open != std::string::npos && close != std::string::npos && close > open)
      sections.push_back(line.substr(open + 1, close - open - 1));
    size_t eq = line.find('=');
    if (eq != std::string::npos) {
      size_t b = line.find_first_not_of(" \t");
      if (b < eq) keys.push_back(line.substr(b, eq - b));
    }
    if (sections.size() > 8 || keys.size() > 16) break;
  }
}

void ExerciseReader(const std::string& path, const std::string& text) {
  IniFile ini;
  FUZZ_CHECK(ini.Init(path));
  std::vector<std::string> sections = {"Settings", "Sound", "Drumkit calibration", ""};
  std::vector<std::string> keys = {"Name", "Volume", ""};
  NamesFrom(text, sections, keys);
  for (const std::string& s : sections) {
    for (const std::string& k : keys) {
      const char* value = nullptr;
      if (ini.GetString(s, k, value)) {
        FUZZ_CHECK(value != nullptr);
        FUZZ_CHECK(strlen(value) <= text.size());
      }
      int i = 0;
      ini.GetInt(s, k, i);
      float f = 0.0f;
      if (ini.GetFloat(s, k, f)) FUZZ_CHECK(std::isfinite(f));
      bool b = false;
      ini.GetBool(s, k, b);
    }
  }
  ini.CleanUp();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::QuietStdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  // The rewriters' arguments come first, the file is the rest.
  const int op = in.ConsumeIntegralInRange(0, 3);
  std::vector<std::string> a;
  std::vector<std::pair<std::string, std::string>> pairs;
  const int count = in.ConsumeIntegralInRange(0, 3);
  for (int i = 0; i < count; ++i) a.push_back(Arg(in, 24));
  for (int i = 0; i < count; ++i) pairs.push_back({Arg(in, 24), Arg(in, 24)});
  const std::string text = in.ConsumeRemainingBytesAsString();

  const std::string dir = fuzz::ScratchDir() + "/ini";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string path = dir + "/settings.cfg";
  WriteFile(path, text);
  chmod(path.c_str(), 0640);

  ExerciseReader(path, text);

  const std::vector<std::string> lines = Lines(text);
  bool ok = false;
  switch (op) {
    case 0: {
      ok = IniFile::EraseEntries(path, a);
      std::vector<std::string> kept;
      for (const std::string& l : lines) {
        bool drop = false;
        for (const std::string& p : a) drop = drop || StartsWith(l, p);
        if (!drop) kept.push_back(l);
      }
      FUZZ_CHECK(ok);
      FUZZ_CHECK(ReadFile(path) == Join(kept));
      break;
    }
    case 1: {
      ok = IniFile::ReplaceEntries(path, pairs);
      std::vector<std::string> expected = lines;
      for (std::string& l : expected)
        for (const auto& [prefix, replacement] : pairs)
          if (StartsWith(l, prefix)) {
            l = replacement + "\n";
            break;
          }
      FUZZ_CHECK(ok);
      FUZZ_CHECK(ReadFile(path) == Join(expected));
      break;
    }
    case 2: {
      ok = IniFile::AddEntries(path, pairs);
      std::vector<std::string> expected;
      for (const std::string& l : lines) {
        expected.push_back(l);
        for (const auto& [anchor, added] : pairs)
          if (StartsWith(l, anchor)) {
            if (expected.back().back() != '\n') expected.back() += "\n";
            expected.push_back(added + "\n");
            break;
          }
      }
      FUZZ_CHECK(ok);
      FUZZ_CHECK(ReadFile(path) == Join(expected));
      break;
    }
    case 3: {
      const std::string section = a.empty() ? std::string("Sound") : a[0];
      std::vector<std::string> body(a.begin() + (a.empty() ? 0 : 1), a.end());
      ok = IniFile::ReplaceSection(path, section, body);
      FUZZ_CHECK(ok);
      // The result is whole lines of the file (the first i), the new lines, then whole lines
      // of the file (from the j-th on, j >= i).
      const std::string out = ReadFile(path);
      std::string added;
      for (const std::string& l : body) added += l + "\n";
      bool found = false;
      std::string prefix;
      for (size_t i = 0; i <= lines.size() && !found; ++i) {
        std::string p = prefix;
        if (!p.empty() && p.back() != '\n') p += "\n";
        if (out.size() >= p.size() + added.size() && out.compare(0, p.size(), p) == 0 &&
            out.compare(p.size(), added.size(), added) == 0) {
          const std::string rest = out.substr(p.size() + added.size());
          for (size_t j = i; j <= lines.size() && !found; ++j) {
            std::string tail;
            for (size_t k = j; k < lines.size(); ++k) tail += lines[k];
            found = tail == rest;
          }
        }
        if (i < lines.size()) prefix += lines[i];
      }
      FUZZ_CHECK(found);
      break;
    }
  }
  FUZZ_CHECK(OnlyFileInFolder(dir));
  struct stat st;
  FUZZ_CHECK(stat(path.c_str(), &st) == 0 && (st.st_mode & 07777) == 0640);
  return 0;
}
