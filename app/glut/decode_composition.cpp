#include "app/glut/decode_composition.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "frame/utf8.h"

std::u32string DecodeComposition(const XIMText* text) {
  std::u32string out;
  if (!text || text->length == 0) return out;
  if (text->encoding_is_wchar) {
    for (unsigned i = 0; i < text->length && text->string.wide_char; ++i)
      out += static_cast<char32_t>(text->string.wide_char[i]);
    return out;
  }
  if (!text->string.multi_byte) return out;
  const char* p = text->string.multi_byte;
  mbstate_t state;
  memset(&state, 0, sizeof state);
  size_t left = strlen(p);
  while (left > 0) {
    wchar_t wc;
    size_t n = mbrtowc(&wc, p, left, &state);
    if (n == 0 || n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) break;
    out += static_cast<char32_t>(wc);
    p += n;
    left -= n;
  }
  return out;
}

void ApplyCompositionDraw(std::u32string& composition, const XIMPreeditDrawCallbackStruct* draw) {
  if (!draw) return;
  const size_t first = std::min<size_t>(draw->chg_first, composition.size());
  composition.replace(first, draw->chg_length, DecodeComposition(draw->text));  // a long range stops at the end
}

std::string CharsToUtf8(const std::u32string& chars) {
  std::string out;
  for (char32_t c : chars) {
    char bytes[4];
    out.append(bytes, static_cast<size_t>(CharToUtf8(bytes, sizeof bytes, c)));
  }
  return out;
}
