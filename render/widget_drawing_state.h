// Scoped GL state changes for the widget drawings: each restores what the caller had, so a
// drawing never leaves a switch, scissor box or texture binding behind.
#pragma once
#include <GL/gl.h>

namespace skyt {

// Sets a capability for the scope.
class EnableGuard {
 public:
  EnableGuard(GLenum cap, bool on) : cap_(cap), was_(glIsEnabled(cap)) {
    if (on) glEnable(cap); else glDisable(cap);
  }
  ~EnableGuard() {
    if (was_) glEnable(cap_); else glDisable(cap_);
  }
  EnableGuard(const EnableGuard&) = delete;
  EnableGuard& operator=(const EnableGuard&) = delete;

 private:
  GLenum cap_;
  GLboolean was_;
};

// Clips to a window-pixel box for the scope.
class ScissorGuard {
 public:
  ScissorGuard(int x, int y, int w, int h) : enable_(GL_SCISSOR_TEST, true) {
    glGetIntegerv(GL_SCISSOR_BOX, box_);
    glScissor(x, y, w < 0 ? 0 : w, h < 0 ? 0 : h);
  }
  ~ScissorGuard() { glScissor(box_[0], box_[1], box_[2], box_[3]); }
  ScissorGuard(const ScissorGuard&) = delete;
  ScissorGuard& operator=(const ScissorGuard&) = delete;

 private:
  EnableGuard enable_;
  GLint box_[4];
};

// Keeps the 2D texture switch and binding.
class TextureGuard {
 public:
  TextureGuard() : enable_(GL_TEXTURE_2D, glIsEnabled(GL_TEXTURE_2D)) {
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound_);
  }
  ~TextureGuard() { glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound_)); }
  TextureGuard(const TextureGuard&) = delete;
  TextureGuard& operator=(const TextureGuard&) = delete;

 private:
  EnableGuard enable_;
  GLint bound_ = 0;
};

}  // namespace skyt
