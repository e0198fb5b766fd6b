// The user's preferred language from the locale environment.
#include <cctype>
#include <cstdlib>

#include "frame/platform/platform.h"

namespace platform {

namespace {

// "de_DE.UTF-8" -> "de"; "" for C, POSIX and anything without two letters.
std::string CodeOf(const std::string& locale) {
  if (locale.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0)
    return "";
  if (locale.size() < 2 || !isalpha(static_cast<unsigned char>(locale[0])) ||
      !isalpha(static_cast<unsigned char>(locale[1])))
    return "";
  if (locale.size() > 2 && isalpha(static_cast<unsigned char>(locale[2]))) return "";  // "eng"
  std::string code = locale.substr(0, 2);
  for (char& c : code) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return code;
}

std::string Env(const char* name) {
  const char* v = getenv(name);
  return v ? v : "";
}

}  // namespace

std::string LanguageFromEnvironment() {
  // LANGUAGE is a colon-separated priority list; it only counts when a locale is set at all,
  // but a user who sets it means it, so its first usable entry wins.
  std::string list = Env("LANGUAGE");
  size_t start = 0;
  while (start <= list.size() && !list.empty()) {
    size_t colon = list.find(':', start);
    std::string entry = list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    std::string code = CodeOf(entry);
    if (!code.empty()) return code;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    std::string code = CodeOf(Env(name));
    if (!code.empty()) return code;
  }
  return "";
}

}  // namespace platform

void GetSystemLanguage(std::string& code) {
  std::string found = platform::LanguageFromEnvironment();
  if (found.size() >= 2) code = found;
}
