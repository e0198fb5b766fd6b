// The 3D viewer as a desktop application: found through its desktop entry on the XDG data
// paths and started from the entry's Exec line.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "frame/platform/platform.h"
#include "frame/platform/spawn.h"

namespace platform {

namespace {

std::vector<std::string> DataDirs() {
  std::vector<std::string> dirs;
  const char* home_data = getenv("XDG_DATA_HOME");
  if (home_data && *home_data) {
    dirs.push_back(home_data);
  } else if (const char* home = getenv("HOME"); home && *home) {
    dirs.push_back(std::string(home) + "/.local/share");
  }
  const char* data_dirs = getenv("XDG_DATA_DIRS");
  std::string list = (data_dirs && *data_dirs) ? data_dirs : "/usr/local/share:/usr/share";
  size_t start = 0;
  while (start <= list.size()) {
    size_t colon = list.find(':', start);
    std::string d = list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!d.empty()) dirs.push_back(d);
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return dirs;
}

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The value of a key of the [Desktop Entry] group, with the string escapes undone.
bool EntryValue(const std::string& entry_path, const std::string& key, std::string& value) {
  std::ifstream in(entry_path);
  std::string line;
  bool in_group = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      in_group = line == "[Desktop Entry]";
      continue;
    }
    if (!in_group) continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string k = line.substr(0, eq);
    while (!k.empty() && k.back() == ' ') k.pop_back();
    if (k != key) continue;
    std::string raw = line.substr(eq + 1);
    size_t first = raw.find_first_not_of(' ');
    raw = first == std::string::npos ? "" : raw.substr(first);
    value.clear();
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size()) {
        char n = raw[++i];
        switch (n) {
          case 's': value += ' '; break;
          case 'n': value += '\n'; break;
          case 't': value += '\t'; break;
          case 'r': value += '\r'; break;
          case '\\': value += '\\'; break;
          default: value += '\\'; value += n;
        }
      } else {
        value += raw[i];
      }
    }
    return true;
  }
  return false;
}

bool OnPath(const std::string& program) {
  if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0;
  const char* path = getenv("PATH");
  std::string list = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= list.size()) {
    size_t colon = list.find(':', start);
    std::string d = list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!d.empty() && access((d + "/" + program).c_str(), X_OK) == 0) return true;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return false;
}

}  // namespace

std::string FindDesktopEntry(const std::string& app_id) {
  for (const std::string& dir : DataDirs()) {
    std::string path = dir + "/applications/" + app_id + ".desktop";
    if (IsFile(path)) return path;
  }
  return "";
}

std::vector<std::string> SplitExec(const std::string& exec) {
  std::vector<std::string> args;
  std::string current;
  bool have = false, quoted = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    char c = exec[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && i + 1 < exec.size() &&
                 (exec[i + 1] == '"' || exec[i + 1] == '`' || exec[i + 1] == '$' || exec[i + 1] == '\\')) {
        current += exec[++i];
      } else {
        current += c;
      }
      continue;
    }
    if (c == ' ' || c == '\t') {
      if (have) args.push_back(current);
      current.clear();
      have = false;
    } else if (c == '"') {
      quoted = true;
      have = true;
    } else if (c == '%' && i + 1 < exec.size()) {
      char code = exec[++i];
      if (code == '%') {
        current += '%';
        have = true;
      }
      // Every other field code (%f %F %u %U %i %c %k ...) stands for something this program
      // never passes: dropped.
    } else {
      current += c;
      have = true;
    }
  }
  if (quoted) return {};  // unbalanced quote: not a usable command line
  if (have) args.push_back(current);
  return args;
}

std::vector<std::string> DesktopEntryCommand(const std::string& entry_path) {
  std::string value;
  if (EntryValue(entry_path, "Hidden", value) && value == "true") return {};
  if (EntryValue(entry_path, "TryExec", value) && !value.empty() && !OnPath(value)) return {};
  if (!EntryValue(entry_path, "Exec", value)) return {};
  return SplitExec(value);
}

std::string ViewerWindowClass() {
  std::string entry = FindDesktopEntry(kViewerBundleId);
  std::string value;
  if (!entry.empty() && EntryValue(entry, "StartupWMClass", value) && !value.empty()) return value;
  return kViewerBundleId;
}

}  // namespace platform

bool IsMacClientInstalled() {
  std::string entry = platform::FindDesktopEntry(kViewerBundleId);
  return !entry.empty() && !platform::DesktopEntryCommand(entry).empty();
}

void LaunchMacClient() {
  std::string entry = platform::FindDesktopEntry(kViewerBundleId);
  if (entry.empty()) return;
  std::vector<std::string> argv = platform::DesktopEntryCommand(entry);
  if (argv.empty()) return;
  if (!LaunchCommand(argv)) printf("Could not start the 3D viewer (%s).\n", argv[0].c_str());
}
