// Font: atlas building, glyph records, measuring, drawing positions, GL state, bad files, and
// every language's texts in its own font (rendered to font_languages.png for the eye).
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frame/texts.h"
#include "frame/utf8.h"
#include "render/font.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_dirs.h"

namespace {

const char kSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char kCjk[] = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";

// One drawn glyph quad, read back through GL feedback (Mesa hands a quad over as two triangles).
struct Quad {
  float left, right, top, bottom;
  float s0, t0, s1, t1;
};

template <typename Fn>
std::vector<Quad> Capture(Fn&& draw) {
  std::vector<GLfloat> buf(1 << 20);
  glFeedbackBuffer(GLsizei(buf.size()), GL_3D_COLOR_TEXTURE, buf.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const int n = glRenderMode(GL_RENDER);
  std::vector<std::array<float, 4>> verts;  // x, y, s, t
  for (int i = 0; i < n;) {
    EXPECT_EQ(buf[size_t(i)], GL_POLYGON_TOKEN);
    const int count = int(buf[size_t(i) + 1]);
    i += 2;
    for (int v = 0; v < count; ++v, i += 11)
      verts.push_back({buf[size_t(i)], buf[size_t(i) + 1], buf[size_t(i) + 7], buf[size_t(i) + 8]});
  }
  std::vector<Quad> quads;
  for (size_t i = 0; i + 6 <= verts.size(); i += 6) {
    Quad q{1e9f, -1e9f, -1e9f, 1e9f, 1e9f, 1e9f, -1e9f, -1e9f};
    for (size_t k = i; k < i + 6; ++k) {
      q.left = std::min(q.left, verts[k][0]);
      q.right = std::max(q.right, verts[k][0]);
      q.top = std::max(q.top, verts[k][1]);
      q.bottom = std::min(q.bottom, verts[k][1]);
      q.s0 = std::min(q.s0, verts[k][2]);
      q.s1 = std::max(q.s1, verts[k][2]);
      q.t0 = std::min(q.t0, verts[k][3]);
      q.t1 = std::max(q.t1, verts[k][3]);
    }
    quads.push_back(q);
  }
  return quads;
}

std::array<int, 2> TextureSize(const Font& font) {
  GLint w = 0, h = 0, old = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &old);
  glBindTexture(GL_TEXTURE_2D, font.texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  glBindTexture(GL_TEXTURE_2D, GLuint(old));
  return {w, h};
}

class FontTest : public ::testing::Test {
 protected:
  skyt_test::GlContext gl;
};

}  // namespace

TEST_F(FontTest, AtlasWidthFollowsTheRequestedCount) {
  for (auto [count, width] : {std::pair{225, 512}, {1000, 512}, {1001, 1024}, {10000, 1024}, {10001, 4096}}) {
    const unsigned short ranges[] = {0x20, static_cast<unsigned short>(0x20 + count - 1), 0};
    Font font;
    ASSERT_TRUE(font.Init(kSans, 18.0f, ranges, 0));
    const auto size = TextureSize(font);
    EXPECT_EQ(size[0], width) << count;
    EXPECT_EQ(size[1] & (size[1] - 1), 0) << "power of two";
  }
  Font latin;
  ASSERT_TRUE(latin.Init(kSans, 27.0f, nullptr, 0));  // the default list, U+0020-U+00FF
  EXPECT_EQ(TextureSize(latin)[0], 512);
  EXPECT_EQ(latin.GetPixelSize(), 27.0f);
  EXPECT_NE(latin.FindGlyph(0xE9, false), nullptr);
  EXPECT_EQ(latin.FindGlyph(0x100, false), nullptr);
  EXPECT_EQ(latin.glyph_index.size(), 0x100u);
}

TEST_F(FontTest, GlyphRecordsSitOnTheBaseline) {
  Font font;
  const unsigned short ranges[] = {0x7E, 0x20, 0x20, 0x7E, 0};  // a reversed pair is skipped
  ASSERT_TRUE(font.Init(kSans, 27.0f, ranges, 0));
  ASSERT_EQ(font.glyphs.size(), 95u);
  EXPECT_EQ(font.glyphs[0].code_point, 0x20);
  EXPECT_EQ(font.glyphs.back().code_point, 0x7E);
  // DejaVu Sans: ascent 1901, descent -483 font units; the baseline lies trunc(27 / 2384 *
  // 1901) = 21 pixels under the line top. Capitals stand on it, 'g' hangs below it.
  const Font::Glyph* h = font.FindGlyph('H', false);
  ASSERT_NE(h, nullptr);
  EXPECT_NEAR(h->y_offset + h->height, 22, 1);
  EXPECT_NEAR(h->height, 21 - h->y_offset + 1, 1);
  const Font::Glyph* g = font.FindGlyph('g', false);
  EXPECT_GT(g->y_offset + g->height, 23);
  EXPECT_GT(h->advance, 15);
  EXPECT_LT(h->advance, 25);
  for (const Font::Glyph& gl : font.glyphs) {
    EXPECT_GE(gl.s0, 0.0f);
    EXPECT_LE(gl.s1, 1.0f);
    EXPECT_GE(gl.t0, 0.0f);
    EXPECT_LE(gl.t1, 1.0f);
  }
}

TEST_F(FontTest, DrawsQuadsAtTheGlyphPositions) {
  Font font;
  ASSERT_TRUE(font.Init(kSans, 20.0f, nullptr, 0));
  const Font::Glyph* a = font.FindGlyph('a', false);
  const Font::Glyph* b = font.FindGlyph('b', false);
  const Font::Glyph* space = font.FindGlyph(' ', false);
  auto quads = Capture([&] { font.Print(100.7f, 50.3f, Font::ALIGN_LEFT, "a b"); });
  ASSERT_EQ(quads.size(), 2u) << "two quads, the blank only advances";
  const float top = 50.0f - 0.5f + 20.0f;
  EXPECT_NEAR(quads[0].left, 99.5f + a->x_offset, 1e-3);
  EXPECT_NEAR(quads[0].right, 99.5f + a->x_offset + a->width, 1e-3);
  EXPECT_NEAR(quads[0].top, top - a->y_offset, 1e-3);
  EXPECT_NEAR(quads[0].bottom, top - a->y_offset - a->height, 1e-3);
  EXPECT_FLOAT_EQ(quads[0].s0, a->s0);
  EXPECT_FLOAT_EQ(quads[0].t1, a->t1);
  EXPECT_NEAR(quads[1].left, 99.5f + a->advance + space->advance + b->x_offset, 1e-3);
  EXPECT_EQ(font.GetWidth("a b"), float(a->advance + space->advance + b->advance));

  // Right alignment subtracts the width, centring half of it, before the truncation.
  const float w = font.GetWidth("ab");
  quads = Capture([&] { font.Print(100.7f, 0.0f, Font::ALIGN_RIGHT, "ab"); });
  EXPECT_NEAR(quads[0].left, std::trunc(100.7f - w) - 0.5f + a->x_offset, 1e-3);
  quads = Capture([&] { font.Print(100.7f, 0.0f, Font::ALIGN_CENTER, "ab"); });
  EXPECT_NEAR(quads[0].left, std::trunc(100.7f - w * 0.5f) - 0.5f + a->x_offset, 1e-3);

  // The 16-bit path draws the same.
  const unsigned short units[] = {'a', ' ', 'b', 0};
  auto wide = Capture([&] { font.PrintW(100.7f, 50.3f, Font::ALIGN_LEFT, units); });
  ASSERT_EQ(wide.size(), 2u);
  EXPECT_NEAR(wide[1].left, 99.5f + a->advance + space->advance + b->x_offset, 1e-3);
  EXPECT_EQ(font.GetWidthW(units), font.GetWidth("a b"));
}

TEST_F(FontTest, MissingCharactersFallBackToTheQuestionMark) {
  Font latin;
  ASSERT_TRUE(latin.Init(kSans, 18.0f, GetItalianGlyphRanges(), 0));
  const Font::Glyph* q = latin.FindGlyph('?', false);
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(latin.FindGlyph(0x4E00, false), nullptr);
  EXPECT_EQ(latin.FindGlyph(0x4E00, true), q);
  EXPECT_EQ(latin.GetWidth("\xE4\xB8\x80"), q->advance);           // U+4E00
  EXPECT_EQ(latin.GetWidth("\xF0\x9F\x98\x80"), q->advance);       // U+1F600, beyond 16 bits
  EXPECT_EQ(latin.GetWidthW(0x4E00), q->advance);
  EXPECT_EQ(latin.GetWidth("\t"), q->advance) << "no list holds the tab";
  EXPECT_TRUE(Capture([&] { latin.Print(10, 10, 0, "\t"); }).empty());
  EXPECT_EQ(Capture([&] { latin.Print(10, 10, 0, "\xE4\xB8\x80"); }).size(), 1u);

  // Without a '?' glyph nothing stands in.
  Font capitals;
  const unsigned short caps[] = {'A', 'Z', 0};
  ASSERT_TRUE(capitals.Init(kSans, 18.0f, caps, 0));
  EXPECT_EQ(capitals.FindGlyph('x', true), nullptr);
  EXPECT_EQ(capitals.GetWidth("x"), 0.0f);
  EXPECT_EQ(capitals.GetWidth("AxA"), 2.0f * capitals.FindGlyph('A', false)->advance);
  EXPECT_EQ(Capture([&] { capitals.Print(0, 0, 0, "AxA"); }).size(), 2u);
}

TEST_F(FontTest, EmptyAndInvalidTexts) {
  Font font;
  ASSERT_TRUE(font.Init(kSans, 18.0f, nullptr, 0));
  EXPECT_EQ(font.GetWidth(""), 0.0f);
  EXPECT_TRUE(Capture([&] { font.Print(10, 10, 0, ""); }).empty());
  // An invalid byte ends the text: only what comes before it is drawn or measured.
  EXPECT_EQ(Capture([&] { font.Print(10, 10, 0, "ab\xFF" "cd"); }).size(), 2u);
  EXPECT_EQ(font.GetWidth("ab\xFF" "cd"), font.GetWidth("ab"));
  EXPECT_EQ(font.GetWidth("ab\xC3"), font.GetWidth("ab")) << "cut-off sequence";

  // A range list that asks for nothing: 512 x 1 atlas, one index entry, nothing drawn.
  Font none;
  const unsigned short empty[] = {0};
  ASSERT_TRUE(none.Init(kSans, 18.0f, empty, 0));
  EXPECT_EQ(TextureSize(none), (std::array<int, 2>{512, 1}));
  EXPECT_EQ(none.glyph_index, std::vector<int>{-1});
  EXPECT_EQ(none.GetWidth("abc"), 0.0f);
  EXPECT_TRUE(Capture([&] { none.Print(0, 0, 0, "abc"); }).empty());
}

TEST_F(FontTest, PrintfIsBoundedAndCutsWholeCharacters) {
  Font font;
  ASSERT_TRUE(font.Init(kSans, 10.0f, nullptr, 0));
  auto quads = Capture([&] { font.Printf(0, 0, 0, "%s=%d", "x", 42); });
  EXPECT_EQ(quads.size(), 4u);
  // 1022 letters then an e-acute that no longer fits whole: the letters only.
  // (Squeezed horizontally so that every quad stays inside the window for the feedback.)
  glPushMatrix();
  glScalef(0.01f, 1.0f, 1.0f);
  const std::string long_text = std::string(1022, 'a') + "\xC3\xA9" + std::string(3000, 'b');
  quads = Capture([&] { font.Printf(0, 0, 0, "%s", long_text.c_str()); });
  EXPECT_EQ(quads.size(), 1022u);
  // One letter fewer: the e-acute ends at the limit and is drawn.
  quads = Capture([&] { font.Printf(0, 0, 0, "%s", long_text.substr(1).c_str()); });
  EXPECT_EQ(quads.size(), 1022u);
  quads = Capture([&] { font.Printf(0, 0, 0, "%s", std::string(5000, 'c').c_str()); });
  EXPECT_EQ(quads.size(), 1023u);
  glPopMatrix();
}

TEST_F(FontTest, LeavesTheGlStateAsItFoundIt) {
  GLuint other = 0;
  glGenTextures(1, &other);
  glBindTexture(GL_TEXTURE_2D, other);
  glColor4f(0.2f, 0.4f, 0.6f, 0.8f);
  for (bool texturing : {false, true}) {
    if (texturing) glEnable(GL_TEXTURE_2D); else glDisable(GL_TEXTURE_2D);
    const skyt_test::GlStateSnapshot before;
    Font font;
    ASSERT_TRUE(font.Init(kSans, 18.0f, nullptr, 0));
    EXPECT_TRUE(before == skyt_test::GlStateSnapshot()) << "after Init";
    font.Print(10, 10, Font::ALIGN_CENTER, "Hello");
    font.Printf(10, 10, Font::ALIGN_RIGHT, "%d", 7);
    const unsigned short units[] = {'H', 0};
    font.PrintW(10, 10, Font::ALIGN_LEFT, units);
    EXPECT_TRUE(before == skyt_test::GlStateSnapshot()) << "after drawing";
  }
  glDisable(GL_TEXTURE_2D);
  glDeleteTextures(1, &other);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FontTest, DrawsInTheCurrentColour) {
  Font font;
  ASSERT_TRUE(font.Init(kSans, 40.0f, nullptr, 0));
  gl.Clear(0, 0, 0, 1);
  glColor4f(1, 0, 0, 1);
  font.Print(20, 20, 0, "H");
  const Font::Glyph* h = font.FindGlyph('H', false);
  // The left stem of the H, half-way up the capital.
  const int x = 20 + h->x_offset + 3;
  const int y = int(20 + 40 - h->y_offset - h->height / 2);
  const auto p = gl.Pixel(x, y);
  EXPECT_GT(p[0], 200);
  EXPECT_LT(p[1], 40);
  EXPECT_EQ(gl.CountDiffering(0, 0, 20, 720, {0, 0, 0, 255}), 0) << "nothing left of the pen";
  EXPECT_GT(gl.CountDiffering(20, 20, 60, 60, {0, 0, 0, 255}), 100);
}

TEST_F(FontTest, RefusesMissingDamagedAndForeignFiles) {
  const std::string dir = skyt_test::FreshDir("font_files");
  Font missing;
  EXPECT_FALSE(missing.Init((dir + "/nothing.ttf").c_str(), 18.0f, nullptr, 0));
  EXPECT_EQ(missing.texture, 0u);
  EXPECT_FALSE(missing.Init(nullptr, 18.0f, nullptr, 0));

  std::ifstream in(kSans, std::ios::binary);
  const std::string font_data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(font_data.size(), 100000u);
  auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
    return dir + "/" + name;
  };
  for (size_t cut : {size_t(0), size_t(4), size_t(12), size_t(200), font_data.size() / 2, font_data.size() - 1}) {
    Font f;
    EXPECT_FALSE(f.Init(write("cut.ttf", font_data.substr(0, cut)).c_str(), 18.0f, nullptr, 0)) << cut;
    EXPECT_EQ(f.texture, 0u);
  }
  Font text;
  EXPECT_FALSE(text.Init(write("text.ttf", std::string(4096, 'x')).c_str(), 18.0f, nullptr, 0));
  // A collection header that promises more faces than the file holds.
  EXPECT_FALSE(text.Init(write("bad.ttc", std::string("ttcf\0\1\0\0\0\0\0\x40", 12)).c_str(), 18.0f, nullptr, 0));
  // The first table listed reaches past the end of the file.
  std::string long_table = font_data;
  long_table.replace(12 + 12, 4, "\xff\xff\xff\xff");
  EXPECT_FALSE(text.Init(write("long.ttf", long_table).c_str(), 18.0f, nullptr, 0));

  Font cjk;
  EXPECT_FALSE(cjk.Init(kCjk, 18.0f, nullptr, 99)) << "no face 99";
  ASSERT_TRUE(cjk.Init(kCjk, 18.0f, nullptr, 0));
  EXPECT_NE(cjk.FindGlyph('A', false), nullptr);
}

// Each language's GUI font, built from its own font file and glyph ranges as the program does,
// has a glyph for every character of that language's texts; one sentence per language goes
// into font_languages.png in the build folder.
TEST_F(FontTest, EveryLanguageShowsInItsOwnFont) {
  static const char* const codes[] = {"en", "ja", "de", "fr", "es", "id", "tr", "it", "ru", "zh", "ko"};
  gl.Clear(1, 1, 1, 1);
  glColor4f(0, 0, 0, 1);
  for (int lang = 0; lang < kNumLanguages; ++lang) {
    SetLanguage(codes[lang]);
    const bool cjk = GetFontPath().find("SourceHanSans") != std::string::npos;
    Font font;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(font.Init(cjk ? kCjk : kSans, GetFontHeight(), GetGlyphRanges(), 0));
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %zu glyphs, atlas %dx%d, built in %.0f ms\n", codes[lang], font.glyphs.size(),
                TextureSize(font)[0], TextureSize(font)[1], ms);
    for (int id = 0; id < kNumTextIds; ++id) {
      const char* text = GetUtf8(id);
      const char* end = text + std::strlen(text);
      for (const char* p = text; p < end;) {
        unsigned int c = 0;
        const int n = CharFromUtf8(&c, p, end);
        ASSERT_GT(n, 0);
        p += n;
        if (c == '\n' || c == '\t') continue;
        EXPECT_NE(font.FindGlyph(static_cast<unsigned short>(c), false), nullptr)
            << codes[lang] << " id " << id << ": no glyph for U+" << std::hex << c;
      }
    }
    const float y = 720.0f - 20.0f - 62.0f * float(lang + 1);
    font.Printf(20, y + 26, Font::ALIGN_LEFT, "%s  %s", codes[lang], GetUtf8(100));
    // The main screen's status line; Japanese takes only the name and the two counts.
    if (lang == 1)
      font.Printf(20, y, Font::ALIGN_LEFT, GetUtf8(200), "Rock", 7, 2);
    else
      font.Printf(20, y, Font::ALIGN_LEFT, GetUtf8(200), "Rock", 7, GetUtf8(201), 2, GetUtf8(202));
  }
  SetLanguage("en");
  EXPECT_TRUE(gl.SavePng(skyt_test::BuildDir() + "/font_languages.png"));
}

// A name in a sentence: whole when it fits; cut, it ends the sentence with "..." in place of a
// full stop right after it, and the line stays inside its width.
TEST_F(FontTest, ANameCutInASentenceEndsItWithThreeDots) {
  Font font;
  ASSERT_TRUE(font.Init(kSans, 16.0f, nullptr, 0));
  const std::string name = "Copy of Copy of My First Skytapper Kit (RH) with the china and both splashes";
  const struct {
    const char* sentence;
    float width;
    const char* ends;
  } cases[] = {
      {"Current drum kit: %s.", 2000, "splashes."},
      {"Current drum kit: %s.", 400, "..."},
      {"\xE5\xBD\x93\xE5\x89\x8D\xE9\xBC\x93\xE7\xBB\x84\xEF\xBC\x9A%s\xE3\x80\x82", 400, "..."},
      {"of the %s pedal", 400, "... pedal"},
      {"Place the drum where you want it.", 400, "want it."},
  };
  for (const auto& c : cases) {
    const std::string line = FitNameInSentence(font, c.sentence, name, c.width);
    const std::string ends = c.ends;
    ASSERT_GE(line.size(), ends.size()) << c.sentence;
    EXPECT_EQ(line.substr(line.size() - ends.size()), ends) << line;
    EXPECT_EQ(line.find("...."), std::string::npos) << line;
    EXPECT_LE(font.GetWidth(line.c_str()), c.width) << line;
    if (std::strstr(c.sentence, "%s")) {
      EXPECT_NE(line.find("Copy of Copy of My"), std::string::npos) << line;  // as much as fits
    }
  }
}
