#include "tests/support/kit_choices.h"

#include "drumming/library_calls.h"

namespace skyt_test {

void RecordKitChoices() {
  Chosen().clear();
  library_calls.load_drumkit = [](DrumkitChooser&, Drumkit*, const std::string& name, bool, bool) {
    Chosen().push_back(name);
    return -1;
  };
}

std::vector<std::string>& Chosen() {
  static std::vector<std::string> names;
  return names;
}

}  // namespace skyt_test
