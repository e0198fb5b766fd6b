#include "frame/utf8.h"

namespace {

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

int Fail(unsigned int* out) {
  *out = 0;
  return 0;
}

// A lone surrogate unit never comes from UTF-8, nor a value past U+10FFFF; written out they become U+FFFD.
unsigned int Encodable(unsigned int c) { return (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF ? 0xFFFD : c; }

int EncodedLength(unsigned int c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

void Encode(char* out, unsigned int c) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
  } else if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

int CharFromUtf8(unsigned int* out_char, const char* text, const char* text_end) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  auto left = [&](long n) { return !text_end || text_end - text >= n; };
  unsigned char b0 = s[0];
  if (b0 < 0x80) {
    *out_char = b0;
    return 1;
  }
  if ((b0 & 0xE0) == 0xC0) {
    if (!left(2) || b0 < 0xC2 || !IsContinuation(s[1])) return Fail(out_char);
    *out_char = (b0 & 0x1Fu) << 6 | (s[1] & 0x3Fu);
    return 2;
  }
  if ((b0 & 0xF0) == 0xE0) {
    if (!left(3) || !IsContinuation(s[1])) return Fail(out_char);
    if (b0 == 0xE0 && s[1] < 0xA0) return Fail(out_char);
    if (b0 == 0xED && s[1] > 0x9F) return Fail(out_char);
    if (!IsContinuation(s[2])) return Fail(out_char);
    *out_char = (b0 & 0x0Fu) << 12 | (s[1] & 0x3Fu) << 6 | (s[2] & 0x3Fu);
    return 3;
  }
  if ((b0 & 0xF8) == 0xF0) {
    if (!left(4) || b0 > 0xF4 || !IsContinuation(s[1])) return Fail(out_char);
    if (b0 == 0xF0 && s[1] < 0x90) return Fail(out_char);
    if (b0 == 0xF4 && s[1] > 0x8F) return Fail(out_char);
    if (!IsContinuation(s[2]) || !IsContinuation(s[3])) return Fail(out_char);
    unsigned int c = (b0 & 0x07u) << 18 | (s[1] & 0x3Fu) << 12 | (s[2] & 0x3Fu) << 6 | (s[3] & 0x3Fu);
    if (c >= 0xD800 && c <= 0xDFFF) return Fail(out_char);
    *out_char = c;
    return 4;
  }
  return Fail(out_char);
}

int StrFromUtf8(unsigned short* buf, int buf_size, const char* text, const char* text_end) {
  if (buf_size <= 1) {
    if (buf_size == 1) buf[0] = 0;
    return 0;
  }
  int n = 0;
  while (n < buf_size - 1 && (!text_end || text < text_end) && *text) {
    unsigned int c;
    int len = CharFromUtf8(&c, text, text_end);
    if (c == 0) break;
    text += len;
    if (c <= 0xFFFF) buf[n++] = static_cast<unsigned short>(c);
  }
  buf[n] = 0;
  return n;
}

int StrToUtf8(char* buf, int buf_size, const unsigned short* text, const unsigned short* text_end) {
  if (buf_size <= 1) {
    if (buf_size == 1) buf[0] = 0;
    return 0;
  }
  int n = 0;
  for (; n < buf_size - 1 && (!text_end || text < text_end) && *text; ++text) {
    unsigned int c = Encodable(*text);
    int len = EncodedLength(c);
    if (len > buf_size - 1 - n) continue;
    Encode(buf + n, c);
    n += len;
  }
  buf[n] = 0;
  return n;
}

int CharToUtf8(char* buf, int buf_size, unsigned int c) {
  if (c == 0) return 0;
  c = Encodable(c);
  int len = EncodedLength(c);
  if (len > buf_size) return 0;
  Encode(buf, c);
  return len;
}
