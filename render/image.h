// Textures made from pictures: the compiled-in PNG table, PNG files on the disk, or raw pixels.
#pragma once
#include <cstdint>
#include <map>
#include <string>

// One OpenGL 2D texture with its size and the pixel format its data is uploaded in.
// An Image owns its texture. Copying is meant for empty images (slots copied from an empty
// default before anything is loaded); a loaded image is moved, which hands the texture over.
class Image {
 public:
  // Pixel layout of raw data (rows from the top, tightly packed).
  enum Type {
    RGB = 0,               // 3 bytes a pixel, GL_RGB
    RGBA = 1,              // 4 bytes a pixel, GL_RGBA
    LUMINANCE = 2,         // 1 byte a pixel, GL_LUMINANCE
    LUMINANCE_ALPHA = 3,   // 2 bytes a pixel, GL_LUMINANCE_ALPHA
    ALPHA = 4,             // 1 byte a pixel, GL_ALPHA
    LUMINANCE_DROP_ALPHA = 5,  // 2 bytes a pixel uploaded into a GL_LUMINANCE texture
  };

  Image() = default;
  ~Image();
  Image(const Image&) = default;
  Image& operator=(const Image&) = default;
  Image(Image&& o) noexcept;
  Image& operator=(Image&& o) noexcept;

  // Loads a picture by file name: the compiled-in table by the name's base name (last path
  // component up to its first '.'), else the file itself. Keeps the file's channel count.
  // False (and a line on standard output) when the picture cannot be decoded.
  bool Init(const char* file_name);
  // Makes the texture from raw pixels of the given layout.
  void Init(Type type, int width, int height, const unsigned char* data);
  // Replaces the whole picture with new pixels of the same size and layout.
  void UpdateData(const unsigned char* data);
  // Deletes the texture, if any; the size and format stay.
  void CleanUp();

  int32_t width = 0;
  int32_t height = 0;
  uint32_t texture = 0;  // GLuint; 0 = no texture
  uint32_t format = 0;   // GLenum of the data: GL_RGB, GL_RGBA, GL_LUMINANCE, ...
};

// A new texture from raw pixels of the given layout (rows tightly packed, whatever the
// width), clamped and linear filtered, left bound; the caller owns it. The caller's unpack
// alignment stays.
uint32_t UploadTexture(Image::Type type, int width, int height, const unsigned char* data);

// One compiled-in PNG file; the bytes live in the program's constant data.
struct EmbeddedPngInfo {
  const unsigned char* data;
  uint32_t size;
};

// The compiled-in pictures, keyed by file name without folder and extension (case matters).
// Filled by static initialisation (assets library) and never changed afterwards.
extern const std::map<std::string, EmbeddedPngInfo> g_embedded_png_map;
