// An offscreen OpenGL context (OSMesa) for drawing tests, sized like the program's window.
#pragma once
#include <GL/gl.h>

#include <array>
#include <string>
#include <vector>

namespace skyt_test {

class GlContext {
 public:
  // Creates a context with an RGBA colour buffer, 24 depth bits and 8 stencil bits, makes it
  // current and sets the program's projection: window pixels, y upwards, blending on.
  GlContext(int width = 960, int height = 720);
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  // Draws into a new buffer of this size from now on, as a window the system resized (the
  // pixels are undefined until the next drawing; the GL state is kept).
  void Resize(int width, int height);

  // Clears to the given colour (0..1).
  void Clear(float r = 0, float g = 0, float b = 0, float a = 1);
  // The pixel at window coordinates (x, y), y upwards, as 0..255 RGBA.
  std::array<int, 4> Pixel(int x, int y) const;
  // Number of pixels in the rectangle [x0, x1) x [y0, y1) that differ from the colour by more
  // than tolerance in any channel.
  int CountDiffering(int x0, int y0, int x1, int y1, std::array<int, 4> colour, int tolerance = 8) const;
  // The colour buffer as RGBA rows, top row first.
  std::vector<unsigned char> Rgba() const;
  // Writes the colour buffer to a PNG file, top row first.
  bool SavePng(const std::string& path) const;

 private:
  void Finish() const;
  int width_, height_;
  std::vector<unsigned char> buffer_;
  void* context_ = nullptr;
};

// Stops the program with a message when the drawing so far left a GL error behind (an
// unbalanced glBegin, say); `after` names that drawing. A crash rather than a test failure, as
// the fuzz targets, built without GoogleTest, share these helpers.
void CheckNoGlError(const std::string& after);

// The GL state a drawing function must leave as it found it.
struct GlStateSnapshot {
  GlStateSnapshot();
  bool operator==(const GlStateSnapshot& o) const = default;
  GLboolean blend, texture2d, stencil, scissor, line_smooth, depth;
  GLint bound_texture, matrix_mode, unpack_alignment, blend_src, blend_dst;
  std::array<GLint, 8> stencil_state;  // masks, function, reference, operations, clear value
  std::array<GLfloat, 4> colour;
};

}  // namespace skyt_test
