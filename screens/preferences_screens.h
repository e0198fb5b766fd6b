// The languages screen's switch, for the screen and the tests that time it.
#pragma once
#include <string>

// Builds the GUI font of language `code` first; when it builds, makes the language current,
// saves the session and installs the font (and the in-air message fonts). When it does not,
// the language, the fonts and the settings file stay as they were, a message says so, and the
// result is false.
bool SwitchLanguage(const std::string& code);
