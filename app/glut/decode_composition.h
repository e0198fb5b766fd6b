// The characters of an input method's composition text, wide or multibyte in the LC_CTYPE locale,
// and the UTF-8 the program's text callbacks take.
#pragma once

#include <X11/Xlib.h>

#include <string>

// A multibyte text ends at its first invalid or incomplete sequence; a missing text is empty.
std::u32string DecodeComposition(const XIMText* text);

// Applies an input method's draw to the composition shown: the changed range, kept within the
// composition, gives way to the new text. A missing draw changes nothing.
void ApplyCompositionDraw(std::u32string& composition, const XIMPreeditDrawCallbackStruct* draw);

// The characters as UTF-8, for the marked and the inserted text alike: one past U+FFFF keeps its
// four bytes (the edit box treats it as it treats the same character typed), one that is no
// character (a surrogate, past U+10FFFF) becomes U+FFFD, and a 0 is left out.
std::string CharsToUtf8(const std::u32string& chars);
