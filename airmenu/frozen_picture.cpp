// Frozen pictures: read-back and upload with unpadded rows.
#include "airmenu/frozen_picture.h"

#include <GL/gl.h>

#include <cstddef>
#include <vector>

namespace {

unsigned int MakePictureTexture(int w, int h, const unsigned char* rgb) {
  GLint unpack = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  glPixelStorei(GL_UNPACK_ALIGNMENT, unpack);
  return texture;
}

}  // namespace

void ReadPicture(int w, int h, unsigned char* rgb) {
  GLint pack = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  glPixelStorei(GL_PACK_ALIGNMENT, pack);
}

unsigned int FreezePicture(int w, int h) {
  glFlush();
  if (w <= 0 || h <= 0) return 0;
  std::vector<unsigned char> pixels(size_t(w) * size_t(h) * 3);
  ReadPicture(w, h, pixels.data());
  return MakePictureTexture(w, h, pixels.data());
}
