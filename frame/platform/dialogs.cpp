// Modal dialogs and message boxes through zenity.
#include <cstdlib>

#include "frame/platform/platform.h"
#include "frame/platform/platform_texts.h"
#include "frame/platform/spawn.h"
#include "frame/texts.h"
#include "frame/window.h"

namespace platform {

std::string EscapeMarkup(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

std::vector<std::string> MessageBoxArgs(const std::string& text, bool yes_no, bool critical,
                                        unsigned long window) {
  std::vector<std::string> args = {"zenity"};
  args.push_back(yes_no ? "--question" : (critical ? "--warning" : "--info"));
  args.push_back("--title=Skytapper");
  args.push_back("--modal");
  if (window) args.push_back("--attach=" + std::to_string(window));
  if (yes_no) {
    args.push_back("--ok-label=" + Text(kTextYes, "Yes"));
    args.push_back("--cancel-label=" + Text(kTextNo, "No"));
    if (critical) args.push_back("--icon-name=dialog-warning");
  } else {
    args.push_back("--ok-label=" + Text(kTextOk, "Ok"));
  }
  std::string body = EscapeMarkup(text);
  // A long text gets the small message font so that the box still fits on the screen.
  if (text.size() > 1024) body = "<span size=\"11264\">" + body + "</span>";
  args.push_back("--text=" + body);
  return args;
}

}  // namespace platform

namespace {

std::string StartFolder() {
  const char* home = getenv("HOME");
  if (!home || !*home) return "";
  return std::string(home) + "/Music/";
}

std::string LastLine(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

void SplitPath(const std::string& path, std::string& file_name, std::string& extension) {
  size_t slash = path.find_last_of('/');
  file_name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = file_name.find_last_of('.');
  extension = (dot == std::string::npos || dot == 0) ? "" : file_name.substr(dot + 1);
}

bool HasExtension(const std::string& file_name, const std::vector<std::string>& extensions) {
  std::string name, ext;
  SplitPath(file_name, name, ext);
  for (const std::string& e : extensions) {
    if (e.size() != ext.size()) continue;
    bool same = true;
    for (size_t i = 0; i < e.size(); ++i)
      if (tolower(static_cast<unsigned char>(e[i])) != tolower(static_cast<unsigned char>(ext[i])))
        same = false;
    if (same) return true;
  }
  return false;
}

std::vector<std::string> FileDialogArgs(const std::string& message, const std::string& title,
                                        const std::vector<std::string>& extensions, bool save) {
  std::vector<std::string> args = {"zenity", "--file-selection", "--modal"};
  // The title heads the window and the message names the file filter inside it (the chooser
  // has no message line); each stands in for the other when empty.
  args.push_back("--title=" + (title.empty() ? message : title));
  if (unsigned long w = window_services.native_window()) args.push_back("--attach=" + std::to_string(w));
  args.push_back("--ok-label=" + platform::Text(kTextChoose, "Choose"));
  std::string folder = StartFolder();
  if (!folder.empty()) args.push_back("--filename=" + folder);
  if (save) {
    args.push_back("--save");
    args.push_back("--confirm-overwrite");
  }
  if (!extensions.empty()) {
    std::string filter = (message.empty() ? title : message) + " |";
    for (const std::string& e : extensions) {
      filter += " *." + e;
      std::string upper = e;
      for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
      if (upper != e) filter += " *." + upper;
    }
    args.push_back("--file-filter=" + filter);
  }
  return args;
}

int FileDialog(const std::string& message, const std::string& title,
               const std::vector<std::string>& extensions, bool save, std::string& path,
               std::string& file_name, std::string& extension) {
  CommandResult r = RunCommand(FileDialogArgs(message, title, extensions, save));
  std::string chosen = LastLine(r.output);
  if (r.exit_code != 0 || chosen.empty()) return -1;
  // A save dialog gives back the name as typed: the file type's extension is added here.
  if (save && !extensions.empty() && !HasExtension(chosen, extensions)) chosen += "." + extensions[0];
  if (!save && !extensions.empty() && !HasExtension(chosen, extensions)) return -1;
  path = chosen;
  SplitPath(chosen, file_name, extension);
  return 0;
}

}  // namespace

int OpenFileDialog(const std::string& message, const std::string& title,
                   const std::vector<std::string>& extensions, std::string& path,
                   std::string& file_name, std::string& extension) {
  return FileDialog(message, title, extensions, false, path, file_name, extension);
}

int SaveFileDialog(const std::string& message, const std::string& title,
                   const std::vector<std::string>& extensions, std::string& path,
                   std::string& file_name, std::string& extension) {
  return FileDialog(message, title, extensions, true, path, file_name, extension);
}

int OpenDirectoryDialog(std::string& path) {
  std::vector<std::string> args = {"zenity", "--file-selection", "--directory", "--modal"};
  args.push_back("--title=" + platform::Text(kTextChooseDirectory, "Choose Directory") + ": " +
                 platform::Text(kTextChooseDirectoryContaining, "Choose a directory containing sound samples:"));
  if (unsigned long w = window_services.native_window()) args.push_back("--attach=" + std::to_string(w));
  args.push_back("--ok-label=" + platform::Text(kTextChoose, "Choose"));
  std::string folder = StartFolder();
  if (!folder.empty()) args.push_back("--filename=" + folder);
  CommandResult r = RunCommand(args);
  std::string chosen = LastLine(r.output);
  if (r.exit_code != 0 || chosen.empty()) return -1;
  path = chosen;
  return 0;
}

int MessageBox(const std::string& text, bool yes_no, bool critical) {
  CommandResult r = RunCommand(
      platform::MessageBoxArgs(text, yes_no, critical, window_services.native_window()));
  return r.exit_code == 0 ? 0 : -1;
}
