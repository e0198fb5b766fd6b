// The desktop platform layer: modal dialogs and message boxes, the window's resize lock,
// keeping the display awake, the clipboard, the application menu, the screen-size check at
// start-up, the user's preferred language, the Super (Command) key, and finding, launching
// and activating the companion 3D viewer. Main thread only; dialogs are modal.
//
// On this desktop: dialogs are zenity, the clipboard is xclip, sleep prevention is the X
// screen-saver extension, the language comes from the locale environment and the viewer is
// the application of the desktop entry "org.kmw.Skytapper3D.desktop".
#pragma once
#include <string>
#include <vector>

// The viewer application's identity (its desktop entry is this name plus ".desktop").
inline constexpr const char* kViewerBundleId = "org.kmw.Skytapper3D";

// ---- Dialogs: 0 for the confirming button (Choose, Ok, Yes), -1 for cancel or No ----------
int OpenFileDialog(const std::string& message, const std::string& title,
                   const std::vector<std::string>& extensions, std::string& path,
                   std::string& file_name, std::string& extension);
int SaveFileDialog(const std::string& message, const std::string& title,
                   const std::vector<std::string>& extensions, std::string& path,
                   std::string& file_name, std::string& extension);
int OpenDirectoryDialog(std::string& path);
int MessageBox(const std::string& text, bool yes_no, bool critical);

// ---- Window, display and input ----------------------------------------------------------
// The user cannot resize the window by dragging (full screen goes through the frame).
void DisableResize();
// Keeps the display awake while the in-air pages run; AllowSleeping undoes exactly one
// PreventSleeping.
void PreventSleeping();
void AllowSleeping();
bool IsSleepPrevented();
// Whether the Super (Command) key is held now.
bool IsCmdPressed();
void WriteToPasteboard(const std::string& text);
// Empty when the clipboard holds no text.
void ReadFromPasteboard(std::string& text);

// ---- Start-up -----------------------------------------------------------------------------
// The origin that centres a width x height window on the screen (never above or left of a
// smaller screen), the screen's height, and a warning when it has fewer than 740 lines.
void MacResolutionWarning(int width, int height, int& x, int& y, int& screen_height);
// The two-letter code of the user's first preferred language; code unchanged when unknown.
void GetSystemLanguage(std::string& code);

// ---- The 3D viewer --------------------------------------------------------------------------
bool ClientRunningOnThisMac();
void GiveFocusToClientMac();
bool ServerHasFocusMac();
bool IsMacClientInstalled();
void LaunchMacClient();

// ---- Pieces the functions above are made of (tested on their own) --------------------------
namespace platform {

// Escapes & < > " ' for Pango markup.
std::string EscapeMarkup(const std::string& text);
// The zenity argument vector of a message box (window 0: not attached).
std::vector<std::string> MessageBoxArgs(const std::string& text, bool yes_no, bool critical,
                                        unsigned long window);
// The two-letter language code from the locale variables (LANGUAGE's first entry, LC_ALL,
// LC_MESSAGES, LANG; C and POSIX ignored); empty when none gives one.
std::string LanguageFromEnvironment();
// The desktop entry of an application id on the XDG data paths; empty when none.
std::string FindDesktopEntry(const std::string& app_id);
// The argument vector of a desktop entry's Exec line (field codes dropped, quoting undone);
// empty when the entry has no usable Exec line or is hidden.
std::vector<std::string> DesktopEntryCommand(const std::string& entry_path);
// Splits an Exec value into arguments as the desktop-entry rules say.
std::vector<std::string> SplitExec(const std::string& exec);
// How many sleep-prevention requests this program has outstanding on the display (0 or 1).
int SleepSuspendCount();
// The window class a running viewer's windows carry: the entry's StartupWMClass, else the id.
std::string ViewerWindowClass();

}  // namespace platform
