#include "tests/support/gl_fixture.h"

#include <GL/osmesa.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace skyt_test {

GlContext::GlContext(int width, int height)
    : width_(width), height_(height), buffer_(static_cast<size_t>(width) * height * 4) {
  OSMesaContext ctx = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
  if (!ctx) throw std::runtime_error("OSMesa context creation failed");
  if (!OSMesaMakeCurrent(ctx, buffer_.data(), GL_UNSIGNED_BYTE, width, height)) {
    OSMesaDestroyContext(ctx);
    throw std::runtime_error("OSMesaMakeCurrent failed");
  }
  OSMesaPixelStore(OSMESA_Y_UP, 1);
  context_ = ctx;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, 0, height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_DEPTH_TEST);
  Clear();
}

GlContext::~GlContext() {
  glFinish();  // llvmpipe must not be rendering into the buffer while the context goes
  OSMesaDestroyContext(static_cast<OSMesaContext>(context_));
}

void GlContext::Clear(float r, float g, float b, float a) {
  glClearColor(r, g, b, a);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void GlContext::Resize(int width, int height) {
  glFinish();
  width_ = width;
  height_ = height;
  buffer_.assign(static_cast<size_t>(width) * height * 4, 0);
  if (!OSMesaMakeCurrent(static_cast<OSMesaContext>(context_), buffer_.data(), GL_UNSIGNED_BYTE, width, height))
    throw std::runtime_error("OSMesaMakeCurrent failed");
}

void GlContext::Finish() const {
  glFinish();
  CheckNoGlError("the drawing read back");
}

void CheckNoGlError(const std::string& after) {
  const GLenum error = glGetError();
  if (error == GL_NO_ERROR) return;
  fprintf(stderr, "GL error 0x%x after %s\n", error, after.c_str());
  std::abort();
}

std::array<int, 4> GlContext::Pixel(int x, int y) const {
  Finish();
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {-1, -1, -1, -1};
  const unsigned char* p = &buffer_[(static_cast<size_t>(y) * width_ + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

int GlContext::CountDiffering(int x0, int y0, int x1, int y1, std::array<int, 4> colour, int tolerance) const {
  Finish();
  int n = 0;
  for (int y = std::max(0, y0); y < std::min(height_, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(width_, x1); ++x) {
      const unsigned char* p = &buffer_[(static_cast<size_t>(y) * width_ + x) * 4];
      for (int c = 0; c < 4; ++c)
        if (std::abs(p[c] - colour[c]) > tolerance) {
          ++n;
          break;
        }
    }
  return n;
}

std::vector<unsigned char> GlContext::Rgba() const {
  Finish();
  std::vector<unsigned char> flipped(buffer_.size());
  const size_t row = static_cast<size_t>(width_) * 4;
  for (int y = 0; y < height_; ++y)
    std::copy_n(&buffer_[(height_ - 1 - y) * row], row, &flipped[y * row]);
  return flipped;
}

bool GlContext::SavePng(const std::string& path) const {
  return stbi_write_png(path.c_str(), width_, height_, 4, Rgba().data(), width_ * 4) != 0;
}

GlStateSnapshot::GlStateSnapshot() {
  blend = glIsEnabled(GL_BLEND);
  texture2d = glIsEnabled(GL_TEXTURE_2D);
  stencil = glIsEnabled(GL_STENCIL_TEST);
  scissor = glIsEnabled(GL_SCISSOR_TEST);
  line_smooth = glIsEnabled(GL_LINE_SMOOTH);
  depth = glIsEnabled(GL_DEPTH_TEST);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound_texture);
  glGetIntegerv(GL_MATRIX_MODE, &matrix_mode);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack_alignment);
  glGetIntegerv(GL_BLEND_SRC, &blend_src);
  glGetIntegerv(GL_BLEND_DST, &blend_dst);
  const GLenum stencil_names[] = {GL_STENCIL_WRITEMASK,       GL_STENCIL_VALUE_MASK,  GL_STENCIL_FUNC,
                                  GL_STENCIL_REF,             GL_STENCIL_FAIL,        GL_STENCIL_PASS_DEPTH_FAIL,
                                  GL_STENCIL_PASS_DEPTH_PASS, GL_STENCIL_CLEAR_VALUE};
  for (size_t i = 0; i < stencil_state.size(); ++i) glGetIntegerv(stencil_names[i], &stencil_state[i]);
  glGetFloatv(GL_CURRENT_COLOR, colour.data());
}

}  // namespace skyt_test
