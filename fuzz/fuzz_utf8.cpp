// UTF-8 <-> 16-bit text conversions into buffers of exactly the stated size (the sanitizer
// catches a byte written past them), file names made from display names, and shortened paths.
#include <fuzzer/FuzzedDataProvider.h>

#include <memory>

#include "frame/paths.h"
#include "frame/utf8.h"
#include "fuzz/fuzz_common.h"

namespace {

// Walks the text as UTF-8: false at an invalid sequence. Counts the characters.
bool ValidUtf8(const char* s, size_t n, size_t& chars) {
  chars = 0;
  const char* end = s + n;
  while (s < end) {
    unsigned int c;
    int len = CharFromUtf8(&c, s, end);
    if (len <= 0) return false;
    s += len;
    ++chars;
  }
  return true;
}

void CheckCharFromUtf8(const std::string& text) {
  // Exactly the bytes given, nothing after them.
  std::unique_ptr<char[]> exact(new char[text.size() > 0 ? text.size() : 1]);
  memcpy(exact.get(), text.data(), text.size());
  const char* s = exact.get();
  const char* end = s + text.size();
  while (s < end) {
    unsigned int c = 12345;
    int len = CharFromUtf8(&c, s, end);
    FUZZ_CHECK(len >= 0 && len <= 4 && len <= end - s);
    if (len == 0) {
      FUZZ_CHECK(c == 0);
      ++s;
      continue;
    }
    FUZZ_CHECK(c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF));
    // The shortest form only: encoding the code point again gives the same bytes.
    if (c > 0) {
      char again[4];
      int n = CharToUtf8(again, 4, c);
      FUZZ_CHECK(n == len && memcmp(again, s, static_cast<size_t>(n)) == 0);
    }
    s += len;
  }
}

void CheckStrFromUtf8(const std::string& text, int buf_size, bool bounded) {
  std::unique_ptr<unsigned short[]> buf(new unsigned short[buf_size > 0 ? buf_size : 1]);
  const char* end = bounded ? text.data() + text.size() : nullptr;  // text.c_str() ends with NUL
  int n = StrFromUtf8(buf_size > 0 ? buf.get() : nullptr, buf_size, text.c_str(), end);
  FUZZ_CHECK(n >= 0);
  if (buf_size <= 0) {
    FUZZ_CHECK(n == 0);
    return;
  }
  FUZZ_CHECK(n < buf_size && buf[n] == 0);
  for (int i = 0; i < n; ++i) FUZZ_CHECK(buf[i] != 0);
  // Back to UTF-8 with room for all: a prefix of the input (the valid BMP part of it).
  std::unique_ptr<char[]> back(new char[3 * static_cast<size_t>(n) + 1]);
  int m = StrToUtf8(back.get(), 3 * n + 1, buf.get(), nullptr);
  FUZZ_CHECK(m >= n && back[m] == 0);
  size_t chars;
  FUZZ_CHECK(ValidUtf8(back.get(), static_cast<size_t>(m), chars) && chars == static_cast<size_t>(n));
}

// What a writer returned after writing text into `out` of `out_size` bytes: nothing without
// room, else n bytes of valid UTF-8 and the terminator. Returns the characters written.
size_t CheckWrittenUtf8(const char* out, int out_size, int n) {
  if (out_size <= 0) {
    FUZZ_CHECK(n == 0);
    return 0;
  }
  FUZZ_CHECK(n >= 0 && n < out_size && out[n] == 0);
  size_t chars;
  FUZZ_CHECK(ValidUtf8(out, static_cast<size_t>(n), chars));
  return chars;
}

void CheckStrToUtf8(const std::vector<unsigned short>& units, int buf_size, bool bounded) {
  std::vector<unsigned short> z = units;
  z.push_back(0);
  std::unique_ptr<char[]> buf(new char[buf_size > 0 ? buf_size : 1]);
  const unsigned short* end = bounded ? z.data() + units.size() : nullptr;
  int n = StrToUtf8(buf_size > 0 ? buf.get() : nullptr, buf_size, z.data(), end);
  CheckWrittenUtf8(buf.get(), buf_size, n);
}

void CheckNameToPath(const std::string& name) {
  const std::string path = NameToPath(name);
  size_t chars;
  FUZZ_CHECK(ValidUtf8(path.data(), path.size(), chars));
  for (unsigned char b : path) {
    FUZZ_CHECK(b >= 0x20 && b != 0x7F);
    FUZZ_CHECK(!strchr("\\/:*?\"<>|", b));
  }
  // One character or one '_' per character or refused byte of the name.
  size_t name_chars = 0;
  for (size_t i = 0; i < name.size();) {
    unsigned int c;
    int len = CharFromUtf8(&c, name.data() + i, name.data() + name.size());
    i += len > 0 ? static_cast<size_t>(len) : 1;
    ++name_chars;
  }
  FUZZ_CHECK(chars == name_chars);
}

void CheckCompactPath(const std::string& path, unsigned long max, int out_size) {
  std::unique_ptr<char[]> out(new char[out_size > 0 ? out_size : 1]);
  int n = PathCompactPathEx(out_size > 0 ? out.get() : nullptr, path.c_str(), max, 0, out_size);
  const size_t chars = CheckWrittenUtf8(out.get(), out_size, n);
  if (out_size > 0 && max >= 1) FUZZ_CHECK(chars <= max - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int buf_size = in.ConsumeIntegralInRange(-1, 64);
  const unsigned long max = in.ConsumeIntegralInRange<unsigned long>(0, 80);
  const int out_size = in.ConsumeIntegralInRange(-1, 96);
  const bool bounded = in.ConsumeBool();
  const std::string text = in.ConsumeRemainingBytesAsString();

  CheckCharFromUtf8(text);
  CheckStrFromUtf8(text, buf_size, bounded);
  std::vector<unsigned short> units;
  for (size_t i = 0; i + 1 < text.size(); i += 2)
    units.push_back(static_cast<unsigned short>(static_cast<unsigned char>(text[i]) |
                                                static_cast<unsigned char>(text[i + 1]) << 8));
  CheckStrToUtf8(units, buf_size, bounded);
  for (unsigned short u : units) {
    char one[3];
    int n = CharToUtf8(one, buf_size < 0 ? 0 : (buf_size > 3 ? 3 : buf_size), u);
    FUZZ_CHECK(n >= 0 && n <= 3);
  }
  CheckNameToPath(text);
  CheckCompactPath(text, max, out_size);
  return 0;
}
