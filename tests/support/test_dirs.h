// Where tests find the source tree and a fresh scratch folder of their own.
#pragma once
#include <string>

namespace skyt_test {

// The repository's root folder (tests run from the build tree).
std::string SourceDir();
// The build folder (generated files, tools built beside the program).
std::string BuildDir();
// A new empty folder for this test, removed and made again on every call with the same name.
std::string FreshDir(const std::string& name);

// The whole file, byte for byte; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Replaces the file with `text`, byte for byte.
void WriteFile(const std::string& path, const std::string& text);
// How many files the process holds open.
long OpenFiles();

// Changes the working directory for the lifetime of the object (the program builds every
// path relative to the working directory).
class ScopedChdir {
 public:
  explicit ScopedChdir(const std::string& dir);
  ~ScopedChdir();
  ScopedChdir(const ScopedChdir&) = delete;
  ScopedChdir& operator=(const ScopedChdir&) = delete;

 private:
  std::string previous_;
};

// A fresh installation folder (conf/, conf/drumkits/, conf/midi-maps/, data/elements/) that is
// the working directory for the lifetime of the object.
class Installation {
 public:
  explicit Installation(const std::string& name);

 private:
  std::string dir_;
  ScopedChdir chdir_;
};

}  // namespace skyt_test
