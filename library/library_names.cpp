#include "library/library_names.h"

#include <cstdio>

#include "frame/ini_file.h"
#include "frame/texts.h"

namespace {

constexpr size_t kMaxElementName = 31;  // a drum keeps its element's name in 32 bytes

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7f; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool ElementNameUsable(const std::string& name) {
  return name[0] != '.' && name.size() <= kMaxElementName && name.find_first_of("/\\") == std::string::npos;
}

}  // namespace

bool ValidateLibraryName(std::string& name, bool element, const std::string& no_name, std::string& message) {
  size_t b = 0, e = name.size();
  while (b < e && IsBlank(name[b])) ++b;
  while (e > b && IsBlank(name[e - 1])) --e;
  name = name.substr(b, e - b);
  if (name.empty()) {
    message = no_name;
    return false;
  }
  bool usable = true;
  for (char c : name) usable = usable && !IsControl(static_cast<unsigned char>(c));
  if (element) usable = usable && ElementNameUsable(name);
  if (!usable) message = GetUtf8(kTextNameHoldControl);
  return usable;
}

std::string NextFileName(const std::string& name) {
  const size_t slash = name.rfind('/');
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  size_t digits = name.size();
  while (digits > start && IsDigit(name[digits - 1])) --digits;
  if (digits == name.size()) return name + "-2";
  std::string next = name;
  size_t i = next.size();
  while (i > digits && next[i - 1] == '9') next[--i] = '0';
  if (i > digits)
    ++next[i - 1];
  else
    next.insert(digits, "1");
  return next;
}

std::string FreeFileName(std::string candidate, const std::set<std::string>& taken) {
  while (taken.count(candidate)) candidate = NextFileName(candidate);
  return candidate;
}

bool ReadNameAndPreset(IniFile& ini, const std::string& file, const char* section, const char* kind,
                       std::string& name, bool& is_preset) {
  if (!ini.Init(file)) return false;
  const char* value = nullptr;
  if (!ini.GetString(section, "Name", value) || !value) {
    printf("%s has no name, skipping it\n", kind);
    return false;
  }
  name = value;
  bool preset = false;
  if (ini.GetBool(section, "Is_Preset", preset)) is_preset = preset;
  return true;
}
