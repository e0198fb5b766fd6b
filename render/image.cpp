#include "render/image.h"

#include <GL/gl.h>
#include <stb/stb_image.h>

#include <cstdio>
#include <utility>


namespace {

// Key of the compiled-in table for a file name: the last path component up to its first '.'.
std::string EmbeddedKey(const std::string& file_name) {
  std::string name = file_name;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  size_t slash = name.find_last_of('/');
  if (slash != std::string::npos && name.size() > 1) name = name.substr(slash + 1);
  size_t dot = name.find('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

struct TypeFormats {
  GLenum format;
  GLint internal_format;
};

TypeFormats FormatsOf(Image::Type type) {
  switch (type) {
    case Image::RGB: return {GL_RGB, GL_RGB};
    case Image::RGBA: return {GL_RGBA, GL_RGBA};
    case Image::LUMINANCE: return {GL_LUMINANCE, GL_LUMINANCE};
    case Image::LUMINANCE_ALPHA: return {GL_LUMINANCE_ALPHA, GL_LUMINANCE_ALPHA};
    case Image::ALPHA: return {GL_ALPHA, GL_ALPHA};
    case Image::LUMINANCE_DROP_ALPHA: return {GL_LUMINANCE_ALPHA, GL_LUMINANCE};
  }
  return {GL_RGBA, GL_RGBA};
}

// Rows of raw data are tightly packed: upload with an unpack alignment of 1 (an RGB or
// luminance picture of odd width would otherwise be read with padded rows), then put the
// caller's alignment back.
class TightUnpack {
 public:
  TightUnpack() {
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previous_);
    if (previous_ != 1) glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  }
  ~TightUnpack() {
    if (previous_ != 1) glPixelStorei(GL_UNPACK_ALIGNMENT, previous_);
  }

 private:
  GLint previous_ = 1;
};

}  // namespace

Image::~Image() { CleanUp(); }

Image::Image(Image&& o) noexcept
    : width(o.width), height(o.height), texture(std::exchange(o.texture, 0u)), format(o.format) {}

Image& Image::operator=(Image&& o) noexcept {
  if (this != &o) {
    CleanUp();
    width = o.width;
    height = o.height;
    format = o.format;
    texture = std::exchange(o.texture, 0u);
  }
  return *this;
}

void Image::CleanUp() {
  if (texture != 0) {
    GLuint name = texture;
    glDeleteTextures(1, &name);
    texture = 0;
  }
}

bool Image::Init(const char* file_name) {
  const std::string name = file_name ? file_name : "";
  int w = 0, h = 0, channels = 0;
  stbi_uc* pixels = nullptr;
  auto it = g_embedded_png_map.find(EmbeddedKey(name));
  if (it != g_embedded_png_map.end()) {
    pixels = stbi_load_from_memory(it->second.data, static_cast<int>(it->second.size), &w, &h, &channels, 0);
  } else {
    pixels = stbi_load(name.c_str(), &w, &h, &channels, 0);
  }
  if (!pixels) {
    printf("Error: could not load file \"%s\": %s\n", name.c_str(), stbi_failure_reason());
    return false;
  }
  // A picture larger than the GL can hold would give no texture while reporting success.
  GLint max_size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
  if (max_size > 0 && (w > max_size || h > max_size)) {
    printf("Error: could not load file \"%s\": %dx%d is larger than the largest texture (%d)\n",
           name.c_str(), w, h, max_size);
    stbi_image_free(pixels);
    return false;
  }
  Type type = RGBA;
  switch (channels) {
    case 1: type = LUMINANCE; break;
    case 2: type = LUMINANCE_ALPHA; break;
    case 3: type = RGB; break;
    default: type = RGBA; break;
  }
  width = w;
  height = h;
  Init(type, w, h, pixels);
  stbi_image_free(pixels);
  return true;
}

uint32_t UploadTexture(Image::Type type, int w, int h, const unsigned char* data) {
  const TypeFormats f = FormatsOf(type);
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  {
    TightUnpack unpack;
    glTexImage2D(GL_TEXTURE_2D, 0, f.internal_format, w, h, 0, f.format, GL_UNSIGNED_BYTE, data);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  return name;
}

void Image::Init(Type type, int w, int h, const unsigned char* data) {
  width = w;
  height = h;
  format = FormatsOf(type).format;
  texture = UploadTexture(type, w, h, data);
}

void Image::UpdateData(const unsigned char* data) {
  // Without a texture the upload would land in whatever texture happens to be bound.
  if (texture == 0) return;
  glBindTexture(GL_TEXTURE_2D, texture);
  TightUnpack unpack;
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, data);
}
