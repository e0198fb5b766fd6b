// Rewrites PNG files as 8-bit RGBA (colour type 6) and checks their size.
//   png_rgba IN OUT WIDTH HEIGHT [IN OUT WIDTH HEIGHT ...]
// rsvg-convert writes opaque pictures as RGB; the program's picture table holds RGBA only.
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <iterator>
#include <vector>

namespace {

// True when the file already is a non-interlaced 8-bit RGBA PNG of the given size; it is then
// copied as it is (the renderer's compression beats a re-encoding).
bool CopyIfRgba(const char* in, const char* out, int want_w, int want_h) {
  std::ifstream f(in, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (bytes.size() < 33 || !std::equal(kSignature, kSignature + 8, bytes.begin())) return false;
  auto be32 = [&](size_t at) {
    return (uint32_t(bytes[at]) << 24) | (uint32_t(bytes[at + 1]) << 16) | (uint32_t(bytes[at + 2]) << 8) | bytes[at + 3];
  };
  if (std::string(bytes.begin() + 12, bytes.begin() + 16) != "IHDR") return false;
  if (be32(16) != uint32_t(want_w) || be32(20) != uint32_t(want_h)) return false;
  if (bytes[24] != 8 || bytes[25] != 6 || bytes[28] != 0) return false;
  std::ofstream o(out, std::ios::binary);
  o.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(o);
}

}  // namespace


int main(int argc, char** argv) {
  if (argc < 5 || (argc - 1) % 4 != 0) {
    fprintf(stderr, "usage: %s IN OUT WIDTH HEIGHT [...]\n", argv[0]);
    return 2;
  }
  stbi_write_png_compression_level = 9;
  for (int i = 1; i + 3 < argc; i += 4) {
    const char* in = argv[i];
    const char* out = argv[i + 1];
    const int want_w = atoi(argv[i + 2]), want_h = atoi(argv[i + 3]);
    if (CopyIfRgba(in, out, want_w, want_h)) continue;
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(in, &w, &h, &channels, 4);
    if (!pixels) {
      fprintf(stderr, "%s: %s\n", in, stbi_failure_reason());
      return 1;
    }
    if (w != want_w || h != want_h) {
      fprintf(stderr, "%s: %dx%d, expected %dx%d\n", in, w, h, want_w, want_h);
      stbi_image_free(pixels);
      return 1;
    }
    const int ok = stbi_write_png(out, w, h, 4, pixels, w * 4);
    stbi_image_free(pixels);
    if (!ok) {
      fprintf(stderr, "%s: cannot write\n", out);
      return 1;
    }
  }
  return 0;
}
