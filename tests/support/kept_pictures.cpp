#include "tests/support/kept_pictures.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "tests/support/test_dirs.h"

namespace skyt_test {
namespace {

constexpr int kBlock = 4;
// Rounding in the GL driver moves a block's mean by a step or two, a change in drawing by more.
constexpr int kTolerance = 6;

struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;  // top row first
};

Picture Reduce(const GlContext& gl) {
  const std::vector<unsigned char> rgba = gl.Rgba();
  Picture p{gl.width() / kBlock, gl.height() / kBlock, {}};
  p.rgb.resize(static_cast<size_t>(p.width) * p.height * 3);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int dy = 0; dy < kBlock; ++dy)
          for (int dx = 0; dx < kBlock; ++dx)
            sum += rgba[((static_cast<size_t>(y) * kBlock + dy) * gl.width() + x * kBlock + dx) * 4 + c];
        p.rgb[(static_cast<size_t>(y) * p.width + x) * 3 + c] =
            static_cast<unsigned char>((sum + kBlock * kBlock / 2) / (kBlock * kBlock));
      }
  return p;
}

Picture Load(const std::string& path) {
  int w = 0, h = 0, n = 0;
  unsigned char* data = stbi_load(path.c_str(), &w, &h, &n, 3);
  if (!data) return {};
  Picture p{w, h, std::vector<unsigned char>(data, data + static_cast<size_t>(w) * h * 3)};
  stbi_image_free(data);
  return p;
}

bool Write(const Picture& p, const std::string& path) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  return stbi_write_png(path.c_str(), p.width, p.height, 3, p.rgb.data(), p.width * 3) != 0;
}

}  // namespace

std::string DiffersFromKeptPicture(const GlContext& gl, const std::string& name) {
  const std::string kept_path = SourceDir() + "/tests/pictures/" + name + ".png";
  const Picture now = Reduce(gl);
  if (std::getenv("SKYTAPPER_KEEP_PICTURES")) return Write(now, kept_path) ? "" : name + ": cannot write " + kept_path;
  const Picture kept = Load(kept_path);
  if (kept.width != now.width || kept.height != now.height)
    return name + ": no kept picture of " + std::to_string(now.width * kBlock) + "x" + std::to_string(now.height * kBlock) + " at " + kept_path;
  int differing = 0, first = -1;
  for (size_t i = 0; i < now.rgb.size(); ++i)
    if (std::abs(int(now.rgb[i]) - int(kept.rgb[i])) > kTolerance) {
      if (first < 0) first = int(i / 3);
      ++differing;
    }
  if (differing == 0) return "";
  const std::string drawn = FreshDir("drawn/" + name) + "/now.png";
  Write(now, drawn);
  return name + ": " + std::to_string(differing) + " block colours differ from the kept picture, the first at window pixel (" +
         std::to_string(first % now.width * kBlock) + ", " + std::to_string(first / now.width * kBlock) +
         ") from the top left; drawn now: " + drawn;
}

}  // namespace skyt_test
