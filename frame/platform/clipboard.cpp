// The clipboard through xclip. Reading asks for the offered types first: with only a picture
// on the clipboard a plain read would hand back the picture's bytes.
#include <sstream>

#include "frame/platform/platform.h"
#include "frame/platform/spawn.h"

namespace {

bool OffersText(const std::string& targets) {
  std::istringstream in(targets);
  std::string t;
  while (std::getline(in, t)) {
    while (!t.empty() && (t.back() == '\r' || t.back() == ' ')) t.pop_back();
    if (t == "UTF8_STRING" || t == "STRING" || t == "TEXT" || t == "text/plain" ||
        t == "text/plain;charset=utf-8" || t == "COMPOUND_TEXT")
      return true;
  }
  return false;
}

}  // namespace

void WriteToPasteboard(const std::string& text) {
  RunCommand({"xclip", "-selection", "clipboard", "-in"}, &text);
}

void ReadFromPasteboard(std::string& text) {
  text.clear();
  CommandResult targets = RunCommand({"xclip", "-selection", "clipboard", "-out", "-t", "TARGETS"});
  if (targets.exit_code != 0 || !OffersText(targets.output)) return;
  CommandResult r = RunCommand({"xclip", "-selection", "clipboard", "-out", "-t", "UTF8_STRING"});
  if (r.exit_code != 0) return;
  text = r.output;
}
