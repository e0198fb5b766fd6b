#include "tests/support/preset_kits.h"

#include <cstring>
#include <sstream>
#include <vector>

#include "drumming/drumkit.h"
#include "frame/element_types.h"
#include "library/drumkit_chooser.h"
#include "library/migrations.h"
#include "sound/sound.h"
#include "tests/support/test_dirs.h"

namespace skyt_test {

bool MakeManifestElements() {
  std::istringstream manifest(ReadFile(SourceDir() + "/tools/elements/manifest.txt"));
  int made = 0;
  for (std::string line; std::getline(manifest, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f;
    std::istringstream row(line);
    for (std::string field; std::getline(row, field, '|');) f.push_back(field.substr(field.find_first_not_of(' ')));
    const std::string name = f[0].substr(0, f[0].find_last_not_of(' ') + 1);
    int type = 0;
    while (f[1].rfind(drum_element::kTypeWords[type], 0) != 0 || f[1][strlen(drum_element::kTypeWords[type])] != ' ')
      ++type;
    const int category = f[2].rfind("hand_and_foot", 0) == 0 ? Sound::CATEGORY_HAND_AND_FOOT
                         : f[2].rfind("foot", 0) == 0        ? Sound::CATEGORY_FOOT
                                                             : Sound::CATEGORY_HAND;
    if (!Sound::ConvertElement(("data/elements/" + name + ".ele").c_str(), Sound::ElementType(type),
                               Sound::ElementCategory(category)))
      return false;
    ++made;
  }
  return made > 0;
}

bool LoadPresetKit(Drumkit& kit, const std::string& name) {
  if (!MakeManifestElements() || !WritePresetDrumkits()) return false;
  DrumkitChooser library;
  library.Init();
  library.BuildDrumkitList(false);
  return library.LoadDrumkit(&kit, name, false) >= 0;
}

}  // namespace skyt_test
