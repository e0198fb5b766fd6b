#include "frame/ini_file.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include "frame/atomic_file.h"

namespace {

// Reads one whole line (any length, NUL bytes included), line end included. False at the end
// of the file.
bool ReadRawLine(FILE* f, std::string& out) {
  out.clear();
  char* buf = nullptr;
  size_t capacity = 0;
  const ssize_t n = getline(&buf, &capacity, f);
  if (n > 0) out.assign(buf, static_cast<size_t>(n));
  free(buf);
  return n > 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The line without leading blanks and tabs and without trailing white space; the first
// remaining character is never removed.
std::string_view Normalise(std::string_view line) {
  size_t b = 0;
  while (b < line.size() && IsBlank(line[b])) ++b;
  size_t e = line.size();
  while (e > b + 1 && (IsBlank(line[e - 1]) || line[e - 1] == '\r' || line[e - 1] == '\n')) --e;
  if (e == b + 1 && (line[b] == '\r' || line[b] == '\n')) e = b;
  return line.substr(b, e - b);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return false;
  }
  return true;
}

// The name of a section header, or nothing when the line is not one. A '=' before the first
// '[' makes the line an entry whose value holds brackets (a kit named "Kit [2]").
std::optional<std::string_view> SectionName(std::string_view line) {
  if (line.empty() || line[0] == ';') return std::nullopt;
  size_t open = line.find('[');
  size_t close = line.rfind(']');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return std::nullopt;
  size_t eq = line.find('=');
  if (eq != std::string_view::npos && eq < open) return std::nullopt;
  return line.substr(open + 1, close - open - 1);
}

// The key (without trailing blanks) and value (without leading blanks) of an entry line.
bool SplitEntry(std::string_view line, std::string_view& key, std::string_view& value) {
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  size_t key_end = eq;
  while (key_end > 1 && IsBlank(line[key_end - 1])) --key_end;
  size_t v = eq + 1;
  while (v < line.size() && IsBlank(line[v])) ++v;
  key = line.substr(0, key_end);
  value = line.substr(v);
  return true;
}

bool StartsWith(const std::string& line, const std::string& prefix) {
  return line.compare(0, prefix.size(), prefix) == 0;
}

bool ReadAllLines(const std::string& path, std::vector<std::string>& lines) {
  FILE* f = fopen(path.c_str(), "rt");
  if (!f) {
    printf("Warning: could not open ini file \"%s\"\n", path.c_str());
    return false;
  }
  std::string line;
  while (ReadRawLine(f, line)) lines.push_back(line);
  bool ok = !ferror(f);
  fclose(f);
  if (!ok) printf("Warning: could not open ini file \"%s\"\n", path.c_str());
  return ok;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l;
  return text;
}

bool WriteAllLines(const std::string& path, const std::vector<std::string>& lines) {
  return WriteFileAtomic(path, Join(lines));
}

bool EndsWithNewline(const std::vector<std::string>& lines) {
  return lines.empty() || lines.back().back() == '\n';
}

}  // namespace

IniFile::~IniFile() { CleanUp(); }

bool IniFile::Init(const std::string& path) {
  CleanUp();
  file_ = fopen(path.c_str(), "rte");
  if (!file_) {
    printf("Warning: could not load ini file \"%s\"\n", path.c_str());
    return false;
  }
  return true;
}

void IniFile::CleanUp() {
  if (file_) fclose(file_);
  file_ = nullptr;
  line_.clear();
  line_.shrink_to_fit();
}

bool IniFile::GetString(const std::string& section, const std::string& key, const char*& value) const {
  if (!file_) return false;
  rewind(file_);
  bool in_section = false;
  while (ReadRawLine(file_, line_)) {
    std::string_view line = Normalise(line_);
    if (!line.empty() && line[0] == ';') continue;
    std::optional<std::string_view> name = SectionName(line);
    if (!in_section) {
      in_section = name && EqualNoCase(*name, section);
      continue;
    }
    if (name) return false;
    std::string_view k, v;
    if (!SplitEntry(line, k, v) || !EqualNoCase(k, key)) continue;
    // Terminate the value inside the buffer so the caller gets a C string.
    size_t offset = static_cast<size_t>(v.data() - line_.data());
    line_.resize(offset + v.size());
    value = line_.c_str() + offset;
    return true;
  }
  return false;
}

bool IniFile::GetSection(const std::string& section, std::vector<std::pair<std::string, std::string>>& entries) const {
  if (!file_) return false;
  rewind(file_);
  bool in_section = false, found = false;
  while (ReadRawLine(file_, line_)) {
    std::string_view line = Normalise(line_);
    if (!line.empty() && line[0] == ';') continue;
    std::optional<std::string_view> name = SectionName(line);
    if (!in_section) {
      found = in_section = name && EqualNoCase(*name, section);
      continue;
    }
    if (name) break;
    std::string_view k, v;
    if (SplitEntry(line, k, v)) entries.emplace_back(std::string(k), std::string(v));
  }
  return found;
}

bool IniFile::GetInt(const std::string& section, const std::string& key, int& value) const {
  const char* s;
  if (!GetString(section, key, s)) return false;
  errno = 0;
  long v = strtol(s, nullptr, 10);
  if (v > std::numeric_limits<int>::max()) v = std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) v = std::numeric_limits<int>::min();
  value = static_cast<int>(v);
  return true;
}

bool IniFile::GetFloat(const std::string& section, const std::string& key, float& value) const {
  const char* s;
  if (!GetString(section, key, s)) return false;
  // Parsed the same in every locale: settings always use '.' as the decimal point.
  while (*s == ' ' || *s == '\t') ++s;
  const char* begin = (*s == '+') ? s + 1 : s;
  double v = 0.0;
  auto [end, ec] = std::from_chars(begin, begin + strlen(begin), v, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) return false;
  if (ec != std::errc()) v = 0.0;  // no number: the value reads as 0, like atof
  (void)end;
  if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max()) return false;
  value = static_cast<float>(v);
  return true;
}

bool IniFile::GetBool(const std::string& section, const std::string& key, bool& value) const {
  const char* s;
  if (!GetString(section, key, s) || !*s) return false;
  auto begins = [s](const char* word) { return strncasecmp(s, word, strlen(word)) == 0; };
  value = !(begins("false") || begins("no") || begins("off") || s[0] == '0');
  return true;
}

bool IniFile::ReplaceSection(const std::string& path, const std::string& section,
                             const std::vector<std::string>& lines) {
  std::vector<std::string> in;
  if (!ReadAllLines(path, in)) return false;
  size_t start = in.size(), end = in.size();
  for (size_t i = 0; i < in.size(); ++i) {
    std::string_view line = Normalise(in[i]);
    std::optional<std::string_view> name = SectionName(line);
    if (!name) continue;
    if (start == in.size()) {
      if (EqualNoCase(*name, section)) start = i;
    } else {
      end = i;
      break;
    }
  }
  std::vector<std::string> out(in.begin(), in.begin() + static_cast<long>(start));
  if (start == in.size() && !EndsWithNewline(in)) out.back() += "\n";
  for (const std::string& l : lines) out.push_back(l + "\n");
  out.insert(out.end(), in.begin() + static_cast<long>(end), in.end());
  return WriteAllLines(path, out);
}

bool IniFile::EraseEntries(const std::string& path, const std::vector<std::string>& prefixes) {
  std::vector<std::string> in, out;
  if (!ReadAllLines(path, in)) return false;
  for (const std::string& line : in) {
    bool drop = false;
    for (const std::string& p : prefixes) drop = drop || StartsWith(line, p);
    if (!drop) out.push_back(line);
  }
  return WriteAllLines(path, out);
}

bool IniFile::ReplaceEntries(const std::string& path,
                             const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::vector<std::string> lines;
  if (!ReadAllLines(path, lines)) return false;
  for (std::string& line : lines) {
    for (const auto& [prefix, replacement] : pairs) {
      if (StartsWith(line, prefix)) {
        line = replacement + "\n";
        break;
      }
    }
  }
  return WriteAllLines(path, lines);
}

bool IniFile::AddEntries(const std::string& path,
                         const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::vector<std::string> in, out;
  if (!ReadAllLines(path, in)) return false;
  for (const std::string& line : in) {
    out.push_back(line);
    for (const auto& [anchor, added] : pairs) {
      if (StartsWith(line, anchor)) {
        if (out.back().back() != '\n') out.back() += "\n";
        out.push_back(added + "\n");
        break;
      }
    }
  }
  return WriteAllLines(path, out);
}
