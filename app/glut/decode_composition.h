// The characters of an input method's composition text, wide or multibyte in the LC_CTYPE locale.
#pragma once

#include <X11/Xlib.h>

#include <string>

// A multibyte text ends at its first invalid or incomplete sequence; a missing text is empty.
std::u32string DecodeComposition(const XIMText* text);

// Applies an input method's draw to the composition shown: the changed range, kept within the
// composition, gives way to the new text. A missing draw changes nothing.
void ApplyCompositionDraw(std::u32string& composition, const XIMPreeditDrawCallbackStruct* draw);
