// Font atlas baking with stb_truetype + stb_rect_pack, measuring and drawing.
#include "render/font.h"

#include <GL/gl.h>
#include <stb/stb_rect_pack.h>  // before stb_truetype: packing goes through stb_rect_pack
#include <stb/stb_truetype.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "frame/utf8.h"

namespace {

const unsigned short kDefaultRanges[] = {0x0020, 0x00FF, 0};

uint32_t ReadU32(const unsigned char* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
uint16_t ReadU16(const unsigned char* p) { return uint16_t((p[0] << 8) | p[1]); }

// stb_truetype trusts the file: a truncated or damaged table directory makes it read past the
// buffer. Checks that the face's table directory and every table it lists lie inside the
// data, and that the tables stb_truetype needs are there.
bool FaceTablesInside(const unsigned char* data, size_t size, size_t offset) {
  if (offset > size || size - offset < 12) return false;
  const unsigned char* dir = data + offset;
  const uint32_t num_tables = ReadU16(dir + 4);
  if (num_tables == 0 || (size - offset - 12) / 16 < num_tables) return false;
  bool have_cmap = false, have_head = false, have_hhea = false, have_hmtx = false;
  bool have_glyf = false, have_loca = false, have_cff = false, have_maxp = false;
  for (uint32_t i = 0; i < num_tables; ++i) {
    const unsigned char* rec = dir + 12 + 16 * i;
    const uint32_t table_offset = ReadU32(rec + 8), length = ReadU32(rec + 12);
    if (table_offset > size || length > size - table_offset) return false;
    if (!std::memcmp(rec, "cmap", 4)) have_cmap = true;
    if (!std::memcmp(rec, "head", 4)) have_head = length >= 54;
    if (!std::memcmp(rec, "hhea", 4)) have_hhea = length >= 36;
    if (!std::memcmp(rec, "hmtx", 4)) have_hmtx = true;
    if (!std::memcmp(rec, "glyf", 4)) have_glyf = true;
    if (!std::memcmp(rec, "loca", 4)) have_loca = true;
    if (!std::memcmp(rec, "CFF ", 4)) have_cff = true;
    if (!std::memcmp(rec, "maxp", 4)) have_maxp = length >= 6;
  }
  return have_cmap && have_head && have_hhea && have_hmtx && have_maxp &&
         ((have_glyf && have_loca) || have_cff);
}

bool ReadWholeFile(const char* path, std::vector<unsigned char>& data) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  bool ok = std::fseek(f, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(f) : -1;
  ok = ok && size > 0 && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    data.resize(size_t(size));
    ok = std::fread(data.data(), 1, data.size(), f) == data.size();
  }
  std::fclose(f);
  return ok;
}

int CountCodePoints(const unsigned short* ranges) {
  int count = 0;
  for (const unsigned short* r = ranges; r[0] != 0 && r[1] != 0; r += 2) {
    if (r[1] >= r[0]) count += r[1] - r[0] + 1;
  }
  return count;
}

int NextPowerOfTwo(int v) {
  int p = 1;
  while (p < v) p <<= 1;
  return p;
}

// Walks a UTF-8 text the way the drawing functions read it: an invalid sequence ends it.
template <typename Fn>
void ForEachChar(const char* text, Fn&& fn) {
  const char* end = text + std::strlen(text);
  for (const char* p = text; p < end;) {
    unsigned int c = static_cast<unsigned char>(*p);
    if (c < 0x80) {
      ++p;
    } else {
      const int n = CharFromUtf8(&c, p, end);
      if (n == 0) break;
      p += n;
    }
    fn(c);
  }
}

// The texture state Print and Init change, put back as it was.
struct TextureStateKeeper {
  TextureStateKeeper() {
    enabled = glIsEnabled(GL_TEXTURE_2D);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
  }
  ~TextureStateKeeper() {
    glBindTexture(GL_TEXTURE_2D, GLuint(binding));
    if (enabled) glEnable(GL_TEXTURE_2D); else glDisable(GL_TEXTURE_2D);
  }
  GLboolean enabled;
  GLint binding;
};

}  // namespace

Font::Font() = default;

Font::~Font() {
  if (texture != 0) {
    GLuint name = texture;
    glDeleteTextures(1, &name);
  }
}

void Font::CleanUp() {
  glyphs.clear();
  glyph_index.clear();
  if (texture != 0) {
    GLuint name = texture;
    glDeleteTextures(1, &name);
    texture = 0;
  }
}

bool Font::Init(const char* path, float size, const unsigned short* ranges, int font_index) {
  std::vector<unsigned char> data;
  if (!path || !ReadWholeFile(path, data)) return false;
  pixel_size = size;
  if (!ranges) ranges = kDefaultRanges;

  // stb_truetype reads the collection header before it knows the file's size.
  if (data.size() >= 12 && !std::memcmp(data.data(), "ttcf", 4)) {
    const uint32_t faces = ReadU32(data.data() + 8);
    if (font_index < 0 || uint32_t(font_index) >= faces || (data.size() - 12) / 4 <= uint32_t(font_index))
      return false;
  }
  const int offset = stbtt_GetFontOffsetForIndex(data.data(), font_index);
  stbtt_fontinfo info;
  if (offset < 0 || !FaceTablesInside(data.data(), data.size(), size_t(offset)) ||
      !stbtt_InitFont(&info, data.data(), offset))
    return false;

  const int requested = CountCodePoints(ranges);
  const int width = requested > 10000 ? 4096 : requested >= 1001 ? 1024 : 512;

  std::vector<stbtt_pack_range> pack_ranges;
  std::vector<std::vector<stbtt_packedchar>> packed;
  for (const unsigned short* r = ranges; r[0] != 0 && r[1] != 0; r += 2) {
    if (r[1] < r[0]) continue;
    packed.emplace_back(size_t(r[1] - r[0] + 1));  // zeroed: a skipped glyph stays all 0
    stbtt_pack_range pr = {};
    pr.font_size = pixel_size;
    pr.first_unicode_codepoint_in_range = r[0];
    pr.num_chars = r[1] - r[0] + 1;
    pack_ranges.push_back(pr);
  }
  for (size_t i = 0; i < pack_ranges.size(); ++i) pack_ranges[i].chardata_for_range = packed[i].data();

  stbtt_pack_context pc;
  int height = 1;
  std::vector<unsigned char> image;
  if (!pack_ranges.empty()) {
    if (!stbtt_PackBegin(&pc, nullptr, width, 32768, 0, 1, nullptr)) return false;
    stbtt_PackSetOversampling(&pc, 1, 1);
    stbtt_PackSetSkipMissingCodepoints(&pc, 1);
    std::vector<stbrp_rect> rects(static_cast<size_t>(requested));
    const int num_rects = stbtt_PackFontRangesGatherRects(&pc, &info, pack_ranges.data(),
                                                          int(pack_ranges.size()), rects.data());
    stbrp_pack_rects(static_cast<stbrp_context*>(pc.pack_info), rects.data(), num_rects);
    int bottom = 0;
    for (int i = 0; i < num_rects; ++i) {
      if (rects[size_t(i)].was_packed && rects[size_t(i)].y + rects[size_t(i)].h > bottom)
        bottom = rects[size_t(i)].y + rects[size_t(i)].h;
    }
    height = NextPowerOfTwo(bottom);
    image.assign(size_t(width) * size_t(height), 0);
    pc.pixels = image.data();
    pc.height = height;
    stbtt_PackFontRangesRenderIntoRects(&pc, &info, pack_ranges.data(), int(pack_ranges.size()),
                                        rects.data());
    stbtt_PackEnd(&pc);
  } else {
    image.assign(size_t(width), 0);
  }

  int ascent = 0, descent = 0, line_gap = 0;
  stbtt_GetFontVMetrics(&info, &ascent, &descent, &line_gap);
  const float baseline =
      ascent != descent ? std::trunc(pixel_size / float(ascent - descent) * float(ascent)) : 0.0f;

  for (size_t i = 0; i < pack_ranges.size(); ++i) {
    for (int j = 0; j < pack_ranges[i].num_chars; ++j) {
      const stbtt_packedchar& pcd = packed[i][size_t(j)];
      if (pcd.x0 == 0 && pcd.y0 == 0 && pcd.x1 == 0 && pcd.y1 == 0) continue;
      Glyph g;
      g.code_point = uint16_t(pack_ranges[i].first_unicode_codepoint_in_range + j);
      g.x_offset = int16_t(pcd.xoff);
      g.y_offset = int16_t(pcd.yoff + baseline);
      g.width = uint16_t(pcd.x1 + 1 - pcd.x0);
      g.height = uint16_t(pcd.y1 + 1 - pcd.y0);
      g.advance = int16_t(pcd.xadvance + 1.0f);
      g.s0 = (pcd.x0 - 0.5f) / float(width);
      g.t0 = (pcd.y0 - 0.5f) / float(height);
      g.s1 = (pcd.x0 - 0.5f + g.width) / float(width);
      g.t1 = (pcd.y0 - 0.5f + g.height) / float(height);
      glyphs.push_back(g);
    }
  }

  int largest = -1;
  for (const Glyph& g : glyphs) largest = g.code_point > largest ? g.code_point : largest;
  glyph_index.assign(size_t(largest + 1), -1);
  if (glyph_index.empty()) glyph_index.assign(1, -1);
  for (size_t i = 0; i < glyphs.size(); ++i) glyph_index[glyphs[i].code_point] = int(i);

  TextureStateKeeper keep;
  GLint unpack_alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack_alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, width, height, 0, GL_ALPHA, GL_UNSIGNED_BYTE, image.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, unpack_alignment);
  texture = name;
  return true;
}

const Font::Glyph* Font::FindGlyph(unsigned short c, bool fallback) const {
  if (c < glyph_index.size() && glyph_index[c] >= 0) return &glyphs[size_t(glyph_index[c])];
  if (!fallback || glyph_index.size() < 64 || glyph_index['?'] < 0) return nullptr;
  return &glyphs[size_t(glyph_index['?'])];
}

namespace {
// A code point beyond 16 bits has no glyph of its own (its low 16 bits name another character).
inline unsigned short AsUnit(unsigned int c) { return c > 0xFFFF ? 0xFFFF : (unsigned short)c; }
}  // namespace

float Font::GetWidth(const char* text) const {
  float width = 0.0f;
  if (!text) return width;
  ForEachChar(text, [&](unsigned int c) {
    if (const Glyph* g = FindGlyph(AsUnit(c), true)) width += g->advance;
  });
  return width;
}

float Font::GetWidthW(unsigned short c) const {
  const Glyph* g = FindGlyph(c, true);
  return g ? float(g->advance) : 0.0f;
}

float Font::GetWidthW(const unsigned short* text) const {
  float width = 0.0f;
  for (const unsigned short* p = text; p && *p; ++p) width += GetWidthW(*p);
  return width;
}

namespace {

struct QuadWriter {
  const Font& font;
  float pen_x, line_top;
  void Add(unsigned short c) {
    const Font::Glyph* g = font.FindGlyph(c, true);
    if (!g) return;
    if (c != 9 && c != 32) {
      const float x0 = pen_x + g->x_offset, x1 = x0 + g->width;
      const float y0 = line_top - g->y_offset, y1 = y0 - g->height;
      glTexCoord2f(g->s0, g->t0); glVertex2f(x0, y0);
      glTexCoord2f(g->s1, g->t0); glVertex2f(x1, y0);
      glTexCoord2f(g->s1, g->t1); glVertex2f(x1, y1);
      glTexCoord2f(g->s0, g->t1); glVertex2f(x0, y1);
    }
    pen_x += g->advance;
  }
};

float AlignedX(float x, Font::Alignment align, float width) {
  if (align == Font::ALIGN_RIGHT) return x - width;
  if (align == Font::ALIGN_CENTER) return x + width * -0.5f;
  return x;
}

// Draws one line of text from its left edge x: write_units(w) hands each 16-bit unit to the
// QuadWriter w.
template <typename WriteUnits>
void DrawLine(const Font& font, float x, float y, WriteUnits write_units) {
  TextureStateKeeper keep;
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, font.texture);
  glBegin(GL_QUADS);
  QuadWriter w{font, std::trunc(x) - 0.5f, std::trunc(y) - 0.5f + font.pixel_size};
  write_units(w);
  glEnd();
}

}  // namespace

void Font::Print(float x, float y, Alignment align, const char* text) const {
  if (!text || !*text || texture == 0) return;
  DrawLine(*this, AlignedX(x, align, GetWidth(text)), y, [&](QuadWriter& w) {
    ForEachChar(text, [&](unsigned int c) { w.Add(AsUnit(c)); });
  });
}

void Font::PrintW(float x, float y, Alignment align, const unsigned short* text) const {
  if (!text || !*text || texture == 0) return;
  DrawLine(*this, AlignedX(x, align, GetWidthW(text)), y, [&](QuadWriter& w) {
    for (const unsigned short* p = text; *p; ++p) w.Add(*p);
  });
}

void Font::Printf(float x, float y, Alignment align, const char* format, ...) const {
  static char buffer[1024];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  if (n < 0) return;
  if (size_t(n) >= sizeof(buffer)) {
    // Cut before a character the limit split: drop trailing continuation bytes and their lead.
    size_t len = sizeof(buffer) - 1;
    size_t k = len;
    while (k > 0 && (static_cast<unsigned char>(buffer[k - 1]) & 0xC0) == 0x80) --k;
    if (k > 0 && static_cast<unsigned char>(buffer[k - 1]) >= 0xC0) {
      const unsigned char lead = static_cast<unsigned char>(buffer[k - 1]);
      const size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
      if (len - (k - 1) < need) buffer[k - 1] = '\0';
    }
  }
  Print(x, y, align, buffer);
}

std::string FitWithEllipsis(const Font& font, const std::string& text, float width) {
  if (font.GetWidth(text.c_str()) <= width) return text;
  const float room = width - font.GetWidth("...");
  const char* begin = text.c_str();
  const char* end = begin + text.size();
  const char* fits = begin;
  float used = 0.0f;
  for (const char* p = begin; p < end;) {
    unsigned int c = static_cast<unsigned char>(*p);
    const int n = c < 0x80 ? 1 : CharFromUtf8(&c, p, end);
    if (n == 0) break;
    const Font::Glyph* g = font.FindGlyph(AsUnit(c), true);
    used += g ? g->advance : 0;
    if (used > room) break;
    p += n;
    fits = p;
  }
  return std::string(begin, fits) + "...";
}

namespace {

// Drops a full stop, Latin or ideographic, that starts `after`.
void DropStop(std::string& after) {
  for (const char* stop : {".", "\xE3\x80\x82"}) {
    if (after.rfind(stop, 0) != 0) continue;
    after.erase(0, std::strlen(stop));
    return;
  }
}

}  // namespace

std::string FitNameInSentence(const Font& font, const std::string& sentence, const std::string& name, float width) {
  const size_t at = sentence.find("%s");
  if (at == std::string::npos) return sentence;
  const std::string before = sentence.substr(0, at);
  std::string after = sentence.substr(at + 2);
  const std::string shown = FitWithEllipsis(font, name, width - font.GetWidth((before + after).c_str()));
  if (shown != name) DropStop(after);
  return before + shown + after;
}
