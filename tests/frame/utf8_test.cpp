// UTF-8 decoding rules and the bounded conversions edit boxes and file names rely on.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "frame/utf8.h"

namespace {

struct Decoded {
  unsigned int c;
  int len;
};

Decoded Decode(std::vector<unsigned char> bytes, long end_at = -1) {
  bytes.push_back(0);
  const char* s = reinterpret_cast<const char*>(bytes.data());
  unsigned int c = 12345;
  int len = CharFromUtf8(&c, s, end_at >= 0 ? s + end_at : nullptr);
  return {c, len};
}

TEST(Utf8, DecodesValidAndRefusesInvalidSequences) {
  struct Case {
    std::vector<unsigned char> bytes;
    unsigned int c;
    int len;
  } cases[] = {
      {{'A'}, 0x41, 1},          {{0xC3, 0xA9}, 0xE9, 2},           {{0xC0, 0x80}, 0, 0},
      {{0xC1, 0xBF}, 0, 0},      {{0xE0, 0x80, 0x80}, 0, 0},        {{0xE0, 0xA0, 0x80}, 0x800, 3},
      {{0xED, 0xA0, 0x80}, 0, 0}, {{0xED, 0x9F, 0xBF}, 0xD7FF, 3},  {{0xEF, 0xBF, 0xBF}, 0xFFFF, 3},
      {{0xF0, 0x90, 0x80, 0x80}, 0x10000, 4}, {{0xF0, 0x9F, 0x98, 0x80}, 0x1F600, 4}, {{0xF0, 0x80, 0x80, 0x80}, 0, 0},
      {{0xF4, 0x90, 0x80, 0x80}, 0, 0}, {{0xF4, 0x8F, 0xBF, 0xBF}, 0x10FFFF, 4},
      {{0x80}, 0, 0},            {{0xF8, 0x80, 0x80, 0x80}, 0, 0},  {{0xC3, 'x'}, 0, 0},
      {{0xE2, 'x', 0x80}, 0, 0},
  };
  for (const Case& c : cases) {
    Decoded d = Decode(c.bytes);
    EXPECT_EQ(d.c, c.c) << std::hex << int(c.bytes[0]);
    EXPECT_EQ(d.len, c.len) << std::hex << int(c.bytes[0]);
    // A valid sequence is the one encoding of its code point.
    char again[4];
    if (c.len > 0 && c.c > 0) {
      EXPECT_EQ(std::string(again, CharToUtf8(again, 4, c.c)), std::string(c.bytes.begin(), c.bytes.end())) << c.c;
    }
  }
  Decoded cut = Decode({0xC3, 0xA9}, 1);
  EXPECT_EQ(cut.c, 0u);
  EXPECT_EQ(cut.len, 0);
}

TEST(Utf8, StringConversionsStopAtBadBytesAndFullBuffers) {
  unsigned short u[8];
  EXPECT_EQ(StrFromUtf8(u, 8, "a\xF0\x9F\x98\x80" "b", nullptr), 2);
  EXPECT_EQ(u[0], 'a');
  EXPECT_EQ(u[1], 'b');
  EXPECT_EQ(u[2], 0);
  EXPECT_EQ(StrFromUtf8(u, 3, "abc", nullptr), 2);
  EXPECT_EQ(u[2], 0);
  u[0] = 'z';
  EXPECT_EQ(StrFromUtf8(u, 1, "abc", nullptr), 0);
  EXPECT_EQ(u[0], 0);
  EXPECT_EQ(StrFromUtf8(u, 8, "ab\xFF" "cd", nullptr), 2);
  const char* text = "abcdef";
  EXPECT_EQ(StrFromUtf8(u, 8, text, text + 3), 3);

  char b[8];
  const unsigned short e_x[] = {0xE9, 'x', 0};
  EXPECT_EQ(StrToUtf8(b, 3, e_x, nullptr), 2);
  EXPECT_STREQ(b, "\xC3\xA9");
  const unsigned short x_e_y[] = {'x', 0xE9, 'y', 0};
  EXPECT_EQ(StrToUtf8(b, 3, x_e_y, nullptr), 2);
  EXPECT_STREQ(b, "xy");
  const unsigned short surrogate[] = {0xD800, 0};
  EXPECT_EQ(StrToUtf8(b, 8, surrogate, nullptr), 3);
  EXPECT_STREQ(b, "\xEF\xBF\xBD");
  EXPECT_EQ(CharToUtf8(b, 2, 0x20AC), 0);
  EXPECT_EQ(CharToUtf8(b, 3, 0x20AC), 3);
  for (unsigned int no_character : {0xDC00u, 0x110000u}) {
    EXPECT_EQ(CharToUtf8(b, 8, no_character), 3);
    EXPECT_EQ(std::string(b, 3), "\xEF\xBF\xBD") << no_character;
  }
  b[0] = 'z';
  EXPECT_EQ(StrToUtf8(b, 1, e_x, nullptr), 0);
  EXPECT_EQ(b[0], 0);
}

TEST(Utf8, EveryBmpCharacterRoundTrips) {
  for (unsigned int c = 1; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    unsigned short in[2] = {static_cast<unsigned short>(c), 0};
    char utf8[4];
    unsigned short back[2];
    ASSERT_GT(StrToUtf8(utf8, 4, in, nullptr), 0);
    ASSERT_EQ(StrFromUtf8(back, 2, utf8, nullptr), 1) << c;
    ASSERT_EQ(back[0], c);
  }
}

TEST(Utf8, RandomBytesStayInsideExactBuffers) {
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    std::vector<char> text(rng() % 40 + 1);
    for (char& ch : text) ch = static_cast<char>(rng() % 255 + 1);
    text.back() = 0;
    int size = static_cast<int>(rng() % 12);
    std::vector<unsigned short> u(static_cast<size_t>(std::max(size, 1)));
    int n = StrFromUtf8(u.data(), size, text.data(), nullptr);
    ASSERT_LE(n, std::max(size - 1, 0));
    std::vector<char> back(static_cast<size_t>(std::max(size, 1)));
    int m = StrToUtf8(back.data(), size, u.data(), nullptr);
    ASSERT_LE(m, std::max(size - 1, 0));
  }
}

}  // namespace
