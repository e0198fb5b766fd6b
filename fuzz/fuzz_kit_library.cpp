// The kit library's readers and namers on fuzzed input. The first byte picks the case:
// - even: the rest is a kit file, listed with LogicalDrumkit::Load and saved onto itself with
//   its own calibration carried over. The saved file lists the same kit, and saving it again
//   gives the same bytes (every value comes back as it was written).
// - odd: the rest is a kit Name (an element name when bit 1 is set) for a new kit, checked by
//   CheckNameBuildFilename beside one listed kit "Rock". A Name it takes gets a free file in
//   conf/drumkits/ whose name holds no folder and no control character; a refusal says why.
#include "frame/paths.h"
#include "frame/texts.h"
#include "fuzz/fuzz_common.h"
#include "library/drumkit_chooser.h"

namespace {

std::string folder;  // the kit folder as the library names it

bool SameKit(const DrumkitChooser::LogicalDrumkit& a, const DrumkitChooser::LogicalDrumkit& b) {
  return a.Name == b.Name && a.Is_Preset == b.Is_Preset && a.elements == b.elements;
}

void SaveOntoItself(const std::string& file) {
  const std::string path = folder + "fuzzed.ini";
  fuzz::WriteFile(path, file);
  DrumkitChooser::LogicalDrumkit read;
  if (!read.Load(path)) return;
  FUZZ_CHECK(read.SaveWhenEditing(&read));
  const std::string saved = fuzz::ReadFile(path);
  DrumkitChooser::LogicalDrumkit reread;
  FUZZ_CHECK(reread.Load(path));
  FUZZ_CHECK(SameKit(read, reread));
  FUZZ_CHECK(reread.SaveWhenEditing(&reread));
  if (fuzz::ReadFile(path) != saved) {
    fprintf(stderr, "saved:\n%s\nsaved again:\n%s\n", saved.c_str(), fuzz::ReadFile(path).c_str());
    abort();
  }
}

void CheckName(const std::string& name, bool element) {
  DrumkitChooser chooser;
  chooser.BuildDrumkitList(false);
  FUZZ_CHECK(chooser.drumkits.size() == 1);
  std::string path, message;
  if (!chooser.CheckNameBuildFilename(path, name, message, element)) {
    FUZZ_CHECK(!message.empty() && path.empty());
    return;
  }
  FUZZ_CHECK(path.compare(0, folder.size(), folder) == 0);
  FUZZ_CHECK(path.size() > folder.size() + 4 && path.compare(path.size() - 4, 4, ".ini") == 0);
  const std::string file = path.substr(folder.size());
  FUZZ_CHECK(file.find('/') == std::string::npos && file != "Rock.ini");
  for (char c : file) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
  FUZZ_CHECK(access(path.c_str(), F_OK) != 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::MaybeWriteSeeds([](std::vector<std::pair<std::string, fuzz::Bytes>>& seeds) {
    auto seed = [&](const std::string& name, const std::string& text) {
      seeds.emplace_back(name, fuzz::Bytes(text.begin(), text.end()));
    };
    seed("kit", std::string(1, '\0') +
                    "[Drumkit]\nName = Jazz (RH)\nIs_Preset = yes\n\nDrum0.element = 13in hi-hats\n"
                    "Drum1.element = 20in punch kick\nDrum2.element = 13in hi-hats\n\n[Drumkit calibration]\n"
                    "Left_Choke_Zone_Param1 = 180.5\nDrum0.x = 60.000000\nDrum0.foot_x = 90.25\n"
                    "Drum0.Hand.Sensitivity = 43\nDrum1.volume_curve = 2\nDrum2.pedal_foot_range = -5\n"
                    "Drum7.x = 3\n");
    seed("name", "\x01  Rock:/Pop? 99 ");
    seed("element", "\x03../elements/snare");
  });
  fuzz::InstallInScratchDir();
  folder = MakePath(kPathDrumkits, "");
  fuzz::WriteFile(folder + "Rock.ini", "[Drumkit]\nName = Rock\nIs_Preset = no\n\nDrum0.element = sn\n");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] % 2 == 0)
    SaveOntoItself(rest);
  else
    CheckName(rest, (data[0] & 2) != 0);
  unlink((folder + "fuzzed.ini").c_str());
  return 0;
}
