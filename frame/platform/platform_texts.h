// The translated texts the platform layer shows (buttons, dialog titles, warnings).
#pragma once
#include <string>

namespace platform {
// The text of the id in the current language.
std::string Text(int id, const char* english);
}
