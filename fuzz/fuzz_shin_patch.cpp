// The shin-key removal on a fuzzed kit file: every line is kept byte for byte, dropped only when
// it holds a shin key, or (when the shin settings are kept) replaced by the foot key it holds.
#include <fuzzer/FuzzedDataProvider.h>

#include <set>

#include "assets/presets/preset_texts.h"
#include "fuzz/fuzz_common.h"
#include "library/migrations.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t nl = text.find('\n', at);
    const size_t end = nl == std::string::npos ? text.size() : nl + 1;
    lines.push_back(text.substr(at, end - at));
    at = end;
  }
  return lines;
}

bool HoldsShinKey(const std::string& line) {
  return line.find("shin_") != std::string::npos || line.find("Shin.Sensitivity") != std::string::npos;
}

// "DrumN.key = value\n" for a foot key that the original line holds.
bool FootLineFor(const std::string& line, const std::string& original) {
  const size_t eq = line.find(" = ");
  if (line.rfind("Drum", 0) != 0 || eq == std::string::npos || line.back() != '\n') return false;
  const std::string key = line.substr(0, eq);
  const bool foot_key = key.ends_with(".pedal_lowest_foot_y") || key.ends_with(".pedal_foot_range") ||
                        key.ends_with(".Foot.Sensitivity");
  return foot_key && original.find(key) != std::string::npos;
}

std::string WithShinKeys() {
  std::string kit(preset_drumkits[11].data, preset_drumkits[11].size);
  const std::string at = "Drum1.pedal_foot_range";
  kit.insert(kit.find(at), "Drum1.pedal_lowest_shin_y = 200\r\nDrum1.pedal_shin_range = 6\r\nDrum1.Shin.Sensitivity = 40\r\n");
  // The flags byte is read from the end: keep the shin settings, the right leg on a shin marker.
  return kit + "\x03";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::MaybeWriteSeeds([](std::vector<std::pair<std::string, fuzz::Bytes>>& seeds) {
    const std::string kit = WithShinKeys();
    seeds.push_back({"percussion_with_shins", fuzz::Bytes(kit.begin(), kit.end())});
  });
  fuzz::QuietStdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const uint8_t flags = in.ConsumeIntegral<uint8_t>();
  const bool keep = flags & 1, left_uses_foot = flags & 2, right_uses_foot = flags & 4;
  const std::string text = in.ConsumeRemainingBytesAsString();
  const std::string path = fuzz::ScratchDir() + "/kit.ini";
  fuzz::WriteFile(path, text);
  FUZZ_CHECK(PatchDrumkitShinsForBatch2(path, left_uses_foot, right_uses_foot, keep));
  const std::vector<std::string> before = Lines(text), after = Lines(fuzz::ReadFile(path));
  // The lines of `after` that the lines read so far may have become, each line kept, replaced by a
  // foot line or dropped. A line holding both a foot key and a shin key may be either of the last two.
  std::set<size_t> reached = {0};
  for (const std::string& line : before) {
    std::set<size_t> next;
    for (const size_t j : reached) {
      if (j < after.size() && (after[j] == line || (keep && FootLineFor(after[j], line)))) next.insert(j + 1);
      if (HoldsShinKey(line)) next.insert(j);
    }
    FUZZ_CHECK(!next.empty());
    reached = std::move(next);
  }
  FUZZ_CHECK(reached.contains(after.size()));
  return 0;
}
