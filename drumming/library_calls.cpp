#include "drumming/library_calls.h"

namespace {
const std::string kNoKit;
}  // namespace

LibraryCalls library_calls = {
    [](DrumkitChooser&, MidiMapChooser&, bool, int) {},
    [](DrumkitChooser&, Drumkit*, const std::string&, bool, bool) { return -1; },
    [](DrumkitChooser&, std::string&, std::string&) { return false; },
    [](DrumkitChooser&, const std::string&, bool, std::string&) { return false; },
    [](const DrumkitChooser&) -> const std::string& { return kNoKit; },
    [](DrumkitChooser&, const std::string&) {},
};
