// Writing the compiled-in preset kits and MIDI maps to disk.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "assets/presets/preset_texts.h"
#include "frame/atomic_file.h"
#include "frame/paths.h"
#include "library/migrations.h"

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

bool HoldsExactly(const char* path, const std::string& bytes) {
  FILE* f = fopen(path, "rb");
  if (!f) return false;
  std::string text(bytes.size() + 1, '\0');
  const size_t n = fread(text.data(), 1, text.size(), f);
  fclose(f);
  return n == bytes.size() && text.compare(0, n, bytes) == 0;
}

bool Dump(PathType type, const PresetText& preset) {
  return DumpPreset(MakePath(type, preset.file).c_str(), preset.size, preset.data);
}

}  // namespace

bool DumpPreset(const char* path, int size, const char* data) {
  std::string bytes(data, size_t(size));
  // A file that holds the text already is left alone: the migrations write the kits up to
  // three times on a first start.
  if (HoldsExactly(path, bytes) || WriteFileAtomic(path, bytes)) return true;
  printf("Error: could not write file \"%s\"\n", path);
  return false;
}

bool WritePresetDrumkits() {
  mkdir(MakePath(kPathDrumkits, "").c_str(), 0777);
  bool all = true;
  for (const PresetText& preset : preset_drumkits) all = Dump(kPathDrumkits, preset) && all;
  return all;
}

bool WritePresetMidiMaps() {
  bool all = true;
  for (const PresetText& preset : preset_midi_maps)
    if (!Exists(MakePath(kPathMidiMaps, preset.file))) all = Dump(kPathMidiMaps, preset) && all;
  return all;
}
