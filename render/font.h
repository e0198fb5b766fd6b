// One TrueType font at one pixel height, baked for a list of code-point ranges into a single
// alpha-only OpenGL texture, with one record per glyph; measures and draws UTF-8 and 16-bit
// text as textured quads in the current GL colour (callers set colour and blending).
// Coordinates are window pixels, y up: a line drawn at (x, y) spans y to y + pixel size.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class Font {
 public:
  // 0 left (x is the text's left edge), 1 centred (x is its middle), 2 right (x is its right edge).
  typedef int Alignment;
  enum : int { ALIGN_LEFT = 0, ALIGN_CENTER = 1, ALIGN_RIGHT = 2 };

  struct Glyph {
    uint16_t code_point;
    int16_t x_offset;   // pen position to the glyph's left edge
    int16_t y_offset;   // top of the line (ascent line) down to the glyph's top edge
    uint16_t width, height;
    int16_t advance;    // how far the pen moves after the glyph
    float s0, t0, s1, t1;  // atlas coordinates, (s0, t0) top-left
  };

  Font();
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Builds the atlas from the font file (font_index selects a face of a collection, 0 for a
  // plain font). ranges: pairs of first and last code point ended by 0 (null: U+0020-U+00FF).
  // False, with no texture, when the file cannot be read or is not a font. Needs a current
  // GL context; call once on a fresh object.
  bool Init(const char* path, float pixel_size, const unsigned short* ranges, int font_index);
  // Empties the glyph tables and deletes the texture; keeps the pixel size.
  void CleanUp();

  // c's glyph; with fallback, the glyph of '?' when c has none; null when neither exists.
  const Glyph* FindGlyph(unsigned short c, bool fallback) const;

  // Widths in pixels: the sum of the glyph advances ('?' stands in for missing glyphs).
  float GetWidth(const char* text) const;
  float GetWidthW(unsigned short c) const;
  float GetWidthW(const unsigned short* text) const;

  void Print(float x, float y, Alignment align, const char* text) const;
  // Formats into one static buffer (cut at 1023 bytes, never inside a character), then Print.
  // Not reentrant.
  void Printf(float x, float y, Alignment align, const char* format, ...) const
      __attribute__((format(printf, 5, 6)));
  void PrintW(float x, float y, Alignment align, const unsigned short* text) const;

  float GetPixelSize() const { return pixel_size; }
  uint32_t GetTexture() const { return texture; }

  float pixel_size = 0.0f;
  std::vector<Glyph> glyphs;       // in range-list order
  std::vector<int> glyph_index;    // code point -> index in glyphs, or -1
  uint32_t texture = 0;            // GL texture name of the atlas, 0 = none
};

// text as it fits in `width` pixels of `font`: whole, or its longest beginning (whole
// characters) followed by "...". For names the player chose, shown where a line is short.
std::string FitWithEllipsis(const Font& font, const std::string& text, float width);
// A sentence whose "%s" is filled with `name`, the whole as it fits in `width` pixels of `font`:
// the name shortened with FitWithEllipsis, and then a full stop right after it goes, as the dots
// end the sentence. A sentence without "%s" comes back as it is.
std::string FitNameInSentence(const Font& font, const std::string& sentence, const std::string& name, float width);
