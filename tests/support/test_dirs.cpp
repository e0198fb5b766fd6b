#include "tests/support/test_dirs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace skyt_test {

namespace fs = std::filesystem;

static std::string FromEnv(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::string(v) : fallback;
}

std::string SourceDir() { return FromEnv("SKYT_SOURCE_DIR", "."); }
std::string BuildDir() { return FromEnv("SKYT_BUILD_DIR", "."); }

std::string FreshDir(const std::string& name) {
  fs::path base = FromEnv("SKYT_TEST_TMP", (fs::temp_directory_path() / "skyt_test").string());
  fs::path dir = base / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return fs::absolute(dir).string();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

ScopedChdir::ScopedChdir(const std::string& dir) : previous_(fs::current_path().string()) {
  if (chdir(dir.c_str()) != 0) throw std::runtime_error("cannot enter " + dir);
}

ScopedChdir::~ScopedChdir() { (void)chdir(previous_.c_str()); }

Installation::Installation(const std::string& name) : dir_(FreshDir(name)), chdir_(dir_) {
  for (const char* d : {"conf", "conf/drumkits", "conf/midi-maps", "data", "data/elements"}) mkdir(d, 0755);
}

long OpenFiles() { return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()); }

}  // namespace skyt_test
