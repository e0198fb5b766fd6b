#include "frame/paths.h"

#include <dirent.h>

#include <algorithm>
#include <cstring>
#include <strings.h>

#include "frame/frame_globals.h"
#include "frame/utf8.h"

namespace {

const char* Folder(PathType type) {
  static const char* const folders[] = {"data/elements/", "data/images/", "data/sounds/",
                                        "conf/",          "conf/drumkits/", "conf/",
                                        "recordings/",    "conf/midi-maps/", "data/fonts/"};
  return (type >= kPathElements && type <= kPathFonts) ? folders[type] : "";
}

}  // namespace

std::string MakePath(PathType type, const std::string& name) {
  return installation_directory + "/" + Folder(type) + name;
}

void ScanDirectory(const char* path, const char* extension, std::vector<std::string>& names) {
  DIR* dir = opendir(path);
  if (!dir) return;
  const size_t ext_len = std::min<size_t>(4, strlen(extension));
  while (dirent* entry = readdir(dir)) {
    size_t len = strlen(entry->d_name);
    if (len >= 5 && strncasecmp(entry->d_name + len - 4, extension, ext_len) == 0 && ext_len == 4)
      names.emplace_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    signed char fa = static_cast<signed char>(a[0]), fb = static_cast<signed char>(b[0]);
    if (fa != fb) return fa < fb;
    return a < b;
  });
}

std::string NameToPath(const std::string& name) {
  static const char kForbidden[] = "\\/:*?\"<>|";
  std::string out;
  const char* s = name.c_str();
  const char* end = s + name.size();
  while (s < end) {
    unsigned char b = static_cast<unsigned char>(*s);
    if (b >= 0x80) {
      unsigned int c;
      int len = CharFromUtf8(&c, s, end);
      if (len > 0) {
        out.append(s, static_cast<size_t>(len));
        s += len;
        continue;
      }
      out += '_';
    } else if (b < 0x20 || b == 0x7F || (b && strchr(kForbidden, b))) {
      out += '_';
    } else {
      out += static_cast<char>(b);
    }
    ++s;
  }
  return out;
}

int PathCompactPathEx(char* out, const char* path, unsigned long max, int, int out_size) {
  static unsigned short units[1024];
  static unsigned short shortened[1024];
  if (out_size <= 0) return 0;
  unsigned long len = static_cast<unsigned long>(StrFromUtf8(units, 1024, path, nullptr));
  const unsigned short* result = units;
  if (max >= 1 && len > max - 1) {
    unsigned long head = max >= 4 ? (max - 4) / 2 : 0;
    unsigned long tail = max >= 4 + head ? max - 4 - head : 0;
    unsigned long n = 0;
    for (unsigned long i = 0; i < head; ++i) shortened[n++] = units[i];
    for (int i = 0; i < 3 && n + 1 < max; ++i) shortened[n++] = '.';
    for (unsigned long i = len - tail; i < len; ++i) shortened[n++] = units[i];
    shortened[n] = 0;
    result = shortened;
  } else if (max < 1) {
    shortened[0] = 0;
    result = shortened;
  }
  return StrToUtf8(out, std::min(out_size, 1024), result, nullptr);
}

std::string to_string(int value) { return std::to_string(value); }
