// The element library: creating element files from sample folders (or MIDI-only), which kits
// use an element, and deleting element files.
#include <sys/stat.h>

#include <cstdio>

#include "frame/paths.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "library/library_names.h"
#include "sound/sound.h"

namespace {

void UpdateConvertElementProgress(int percent) { kit_progress(percent, GetUtf8(kTextCreatingDrumKit), percent == 0); }

bool FileExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

}  // namespace

bool DrumkitChooser::SaveElement(const Element& element, std::string& message) {
  // The new-element screen's untouched placeholder is no name either.
  std::string name = element.name == GetUtf8(kTextNewElement) ? std::string() : element.name;
  if (!ValidateLibraryName(name, true, GetUtf8(kTextCannotSaveElement), message)) return false;
  const std::string path = MakePath(kPathElements, name + ".ele");
  bool listed = false;
  for (const std::string& e : element_names) listed = listed || e == name;
  if (listed || FileExists(path)) {
    message = GetUtf8(kTextNameAlreadyUsed);
    return false;
  }
  if (element.sample_path.empty()) {
    if (!Sound::ConvertElement(path.c_str(), element.type, element.category)) {
      message = GetUtf8(kTextThereErrorCreating);
      return false;
    }
    message = "No sample path was provided. This element will only be useful for MIDI playing.";
    element_names.push_back(name);
    return true;
  }
  if (!sound.ConvertElement(path.c_str(), element.sample_path, element.type, element.category,
                            UpdateConvertElementProgress)) {
    message = GetUtf8(kTextThereErrorCreating);
    return false;
  }
  element_names.push_back(name);
  return true;
}

int DrumkitChooser::CountDrumkitsUsingElement(int i, std::string& message) const {
  message.clear();
  if (i < 0 || i >= int(element_names.size())) return 0;
  std::vector<std::string> users;
  for (const LogicalDrumkit& k : drumkits)
    for (const std::string& e : k.elements)
      if (e == element_names[i]) {
        users.push_back(k.Name);
        break;
      }
  for (size_t u = 0; u < users.size(); ++u) {
    if (u > 0) message += u + 1 == users.size() ? GetUtf8(kTextAndSeparator2) : GetUtf8(kTextCommaSeparator);
    message += users[u];
  }
  return int(users.size());
}

int DrumkitChooser::DeleteElement(int i, std::string& message) {
  if (i < 0 || i >= int(element_names.size())) return -2;
  const std::string path = MakePath(kPathElements, element_names[i] + ".ele");
  if (remove(path.c_str()) != 0) {
    message = std::string(GetUtf8(kTextErrorDeletingDrumkitElement)) + path + GetUtf8(kTextDot);
    return -2;
  }
  element_names.erase(element_names.begin() + i);
  if (element_names.empty()) return -1;
  return i < int(element_names.size()) ? i : int(element_names.size()) - 1;
}
