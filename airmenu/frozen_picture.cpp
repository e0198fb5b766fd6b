// Frozen pictures: read-back without row padding, uploaded through render's texture upload.
#include "airmenu/frozen_picture.h"

#include <GL/gl.h>

#include <cstddef>
#include <vector>

#include "render/image.h"

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
  return UploadTexture(Image::RGB, w, h, pixels.data());
}
