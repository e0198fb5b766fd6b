// The preset kits as a new installation has them, for tests that draw or load the kit a player
// meets first: every element of the manifest (tools/elements/manifest.txt) and the preset
// kit files, in the current folder.
#pragma once
#include <string>

class Drumkit;

namespace skyt_test {

// Every element of the manifest in data/elements/, without samples, of its type and category;
// false when one could not be written or the manifest was not found.
bool MakeManifestElements();
// The manifest's elements and the preset kit files, then the preset of this name (right-handed
// list) loaded into `kit` by a kit library of its own; false when it does not load.
bool LoadPresetKit(Drumkit& kit, const std::string& name);

}  // namespace skyt_test
