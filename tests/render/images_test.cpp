// Image textures and the compiled-in picture table.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "render/image.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_dirs.h"

namespace {

struct Size {
  int w, h;
};

const char* const kSuffixes[] = {"", "-jp", "-de", "-fr", "-es", "-id", "-tr", "-it", "-ru", "-zh", "-ko"};

const std::map<std::string, Size>& LocalisedBases() {
  static const std::map<std::string, Size> bases = {
      {"about-light", {960, 720}},           {"audio-device-setting", {829, 655}},
      {"calib-camera-left-600", {800, 600}}, {"calib-camera-right-600", {800, 600}},
      {"calib-where-to-drum-600", {800, 600}}, {"calib-camera-left-850", {1133, 850}},
      {"calib-camera-right-850", {1133, 850}}, {"calib-where-to-drum-850", {1133, 850}},
      {"help1", {960, 720}},                 {"help2", {960, 720}},
  };
  return bases;
}

const std::map<std::string, Size>& DrumPictures() {
  static const std::map<std::string, Size> drums = {
      {"bass-drum", {354, 264}},  {"beater", {58, 58}},        {"big-tom", {296, 313}},
      {"biggest-tom", {314, 332}}, {"china", {344, 343}},       {"cowbell", {128, 184}},
      {"crash", {348, 348}},      {"cross-stick", {304, 272}}, {"hihat-bottom", {296, 296}},
      {"hihat-top", {296, 296}},  {"medium-tom", {270, 286}},  {"pedal", {106, 259}},
      {"ride", {398, 398}},       {"ride-bell", {128, 128}},   {"small-tom", {244, 258}},
      {"smallest-tom", {214, 226}}, {"snare", {318, 315}},     {"splash", {224, 224}},
      {"tambourine", {240, 236}},
  };
  return drums;
}

std::map<std::string, Size> ExpectedTable() {
  std::map<std::string, Size> t = DrumPictures();
  for (const auto& [base, size] : LocalisedBases())
    for (const char* suffix : kSuffixes) t[base + suffix] = size;
  t["audio-device-setting-jp"] = {822, 734};
  const std::map<std::string, Size> others = {
      {"background-light", {960, 720}}, {"text", {1398, 281}},     {"home", {58, 42}},
      {"to-fullscreen", {58, 42}},      {"to-windowed", {58, 42}},  {"t", {39, 42}},
      {"t-crossed", {39, 42}},          {"three-d", {60, 42}},      {"three-d-crossed", {60, 42}},
      {"languages-list", {285, 387}},   {"drummer-sitting-left", {1024, 768}},
      {"drummer-sitting-right", {1024, 768}}, {"right-foot-too-far", {512, 256}},
      {"right-foot-too-near", {512, 256}},    {"left-foot-too-near", {512, 256}},
      {"left-foot-too-far", {512, 256}},      {"stand-strip", {837, 400}},
      {"lens-setting-stand", {512, 512}},
  };
  t.insert(others.begin(), others.end());
  return t;
}

uint32_t BigEndian(const unsigned char* p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }

struct Decoded {
  int w = 0, h = 0;
  std::vector<unsigned char> rgba;
};

Decoded Decode(const std::string& key) {
  Decoded d;
  const EmbeddedPngInfo& info = g_embedded_png_map.at(key);
  int channels = 0;
  unsigned char* p = stbi_load_from_memory(info.data, static_cast<int>(info.size), &d.w, &d.h, &channels, 4);
  if (p) {
    d.rgba.assign(p, p + static_cast<size_t>(d.w) * d.h * 4);
    stbi_image_free(p);
  }
  return d;
}

bool WritePng(const std::string& path, int w, int h, int channels, const std::vector<unsigned char>& pixels) {
  return stbi_write_png(path.c_str(), w, h, channels, pixels.data(), w * channels) != 0;
}

// Reads a texture back, rows tightly packed.
std::vector<unsigned char> ReadTexture(GLuint texture, GLenum format, int w, int h, int bytes_per_pixel) {
  std::vector<unsigned char> out(static_cast<size_t>(w) * h * bytes_per_pixel, 0xCD);
  GLint pack = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, out.data());
  glPixelStorei(GL_PACK_ALIGNMENT, pack);
  return out;
}

GLint InternalFormat(GLuint texture) {
  GLint f = 0;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &f);
  return f;
}

}  // namespace

// ---- The table -------------------------------------------------------------------------------

TEST(EmbeddedPictures, EveryKeyIsAnRgbaPngOfItsSize) {
  const auto expected = ExpectedTable();
  ASSERT_EQ(expected.size(), 147u);
  EXPECT_EQ(g_embedded_png_map.size(), 147u);
  for (const auto& [key, size] : expected) {
    SCOPED_TRACE(key);
    auto it = g_embedded_png_map.find(key);
    ASSERT_NE(it, g_embedded_png_map.end());
    const unsigned char* png = it->second.data;
    ASSERT_GT(it->second.size, 33u);
    EXPECT_EQ(0, std::memcmp(png, "\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(0, std::memcmp(png + 12, "IHDR", 4));
    EXPECT_EQ(BigEndian(png + 16), uint32_t(size.w));
    EXPECT_EQ(BigEndian(png + 20), uint32_t(size.h));
    EXPECT_EQ(png[24], 8) << "bit depth";
    EXPECT_EQ(png[25], 6) << "colour type";
    int w = 0, h = 0, comp = 0;
    EXPECT_TRUE(stbi_info_from_memory(png, static_cast<int>(it->second.size), &w, &h, &comp));
    EXPECT_EQ(comp, 4);
  }
}

TEST(EmbeddedPictures, LocalisedPicturesDifferBetweenLanguages) {
  for (const auto& [base, size] : LocalisedBases()) {
    SCOPED_TRACE(base);
    std::map<size_t, std::string> seen;
    for (const char* suffix : kSuffixes) {
      const Decoded d = Decode(base + suffix);
      ASSERT_FALSE(d.rgba.empty()) << suffix;
      const size_t hash = std::hash<std::string_view>()(
          std::string_view(reinterpret_cast<const char*>(d.rgba.data()), d.rgba.size()));
      auto [it, fresh] = seen.emplace(hash, suffix);
      EXPECT_TRUE(fresh) << "'" << suffix << "' shows the same picture as '" << it->second << "'";
    }
  }
}

TEST(EmbeddedPictures, DrumPicturesAreSolidOnTransparentGround) {
  for (const auto& [key, size] : DrumPictures()) {
    SCOPED_TRACE(key);
    const Decoded d = Decode(key);
    ASSERT_EQ(d.w, size.w);
    auto alpha = [&](int x, int y) { return d.rgba[(static_cast<size_t>(y) * d.w + x) * 4 + 3]; };
    EXPECT_EQ(alpha(0, 0), 0);
    EXPECT_EQ(alpha(d.w - 1, 0), 0);
    EXPECT_EQ(alpha(0, d.h - 1), 0);
    EXPECT_EQ(alpha(d.w - 1, d.h - 1), 0);
    EXPECT_EQ(alpha(d.w / 2, d.h / 2), 255);
    // Mostly opaque where the drawing is: the middle fifth of the picture.
    int solid = 0, total = 0;
    for (int y = d.h * 2 / 5; y < d.h * 3 / 5; ++y)
      for (int x = d.w * 2 / 5; x < d.w * 3 / 5; ++x, ++total) solid += alpha(x, y) == 255;
    EXPECT_GT(solid, total * 9 / 10);
  }
}

// Writes every picture onto one sheet (over a checkerboard, to show transparency) so that the
// artwork can be looked at in one go: <build>/pictures_contact_sheet.png.
TEST(EmbeddedPictures, ContactSheet) {
  const int cell = 200, cols = 12;
  const int rows = static_cast<int>((g_embedded_png_map.size() + cols - 1) / cols);
  const int W = cols * cell, H = rows * cell;
  std::vector<unsigned char> sheet(static_cast<size_t>(W) * H * 3);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) std::fill_n(&sheet[(static_cast<size_t>(y) * W + x) * 3], 3, ((x / 10 + y / 10) & 1) ? 205 : 235);
  int i = 0;
  for (const auto& entry : g_embedded_png_map) {
    const Decoded d = Decode(entry.first);
    ASSERT_FALSE(d.rgba.empty()) << entry.first;
    const double scale = std::min(1.0, double(cell - 6) / std::max(d.w, d.h));
    const int ox = (i % cols) * cell + 3, oy = (i / cols) * cell + 3;
    const int dw = std::max(1, int(d.w * scale)), dh = std::max(1, int(d.h * scale));
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) {
        // Box filter over the source pixels this one covers.
        const int x0 = int(x / scale), x1 = std::max(x0 + 1, int((x + 1) / scale));
        const int y0 = int(y / scale), y1 = std::max(y0 + 1, int((y + 1) / scale));
        double acc[4] = {0, 0, 0, 0};
        int n = 0;
        for (int sy = y0; sy < std::min(y1, d.h); ++sy)
          for (int sx = x0; sx < std::min(x1, d.w); ++sx, ++n) {
            const unsigned char* p = &d.rgba[(static_cast<size_t>(sy) * d.w + sx) * 4];
            const double a = p[3] / 255.0;
            for (int c = 0; c < 3; ++c) acc[c] += p[c] * a;
            acc[3] += a;
          }
        unsigned char* o = &sheet[(static_cast<size_t>(oy + y) * W + ox + x) * 3];
        const double a = n ? acc[3] / n : 0;
        for (int c = 0; c < 3; ++c) o[c] = static_cast<unsigned char>((acc[3] > 0 ? acc[c] / acc[3] : 0) * a + o[c] * (1 - a));
      }
    ++i;
  }
  const std::string path = skyt_test::BuildDir() + "/pictures_contact_sheet.png";
  EXPECT_TRUE(stbi_write_png(path.c_str(), W, H, 3, sheet.data(), W * 3)) << path;
}

// ---- Image ----------------------------------------------------------------------------------

class ImageTest : public ::testing::Test {
 protected:
  ImageTest() : dir_(skyt_test::FreshDir("image_test")), cd_(dir_) {}
  skyt_test::GlContext gl_{64, 64};
  std::string dir_;
  skyt_test::ScopedChdir cd_;
};

TEST_F(ImageTest, TablePictureWinsOverDiskFileOfTheSameBaseName) {
  ASSERT_TRUE(WritePng(dir_ + "/snare.png", 2, 2, 4, std::vector<unsigned char>(16, 99)));
  for (const std::string& name : std::vector<std::string>{"snare.png", dir_ + "/snare.png", "/any/where/snare.png", "snare", "snare.old.png"}) {
    SCOPED_TRACE(name);
    Image image;
    ASSERT_TRUE(image.Init(name.c_str()));
    EXPECT_NE(image.texture, 0u);
    EXPECT_EQ(image.width, 318);
    EXPECT_EQ(image.height, 315);
    EXPECT_EQ(image.format, GLenum(GL_RGBA));
  }
}

TEST_F(ImageTest, DiskPicturesKeepTheirChannelCount) {
  // Case matters: Snare.png is not the table's snare.
  const std::vector<unsigned char> grey = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150};
  ASSERT_TRUE(WritePng("Snare.png", 3, 5, 1, grey));
  Image one;
  ASSERT_TRUE(one.Init("Snare.png"));
  EXPECT_EQ(one.width, 3);
  EXPECT_EQ(one.height, 5);
  EXPECT_EQ(one.format, GLenum(GL_LUMINANCE));
  EXPECT_EQ(InternalFormat(one.texture), GL_LUMINANCE);
  EXPECT_EQ(ReadTexture(one.texture, GL_LUMINANCE, 3, 5, 1), grey);

  std::vector<unsigned char> grey_alpha;
  for (int i = 0; i < 5 * 3; ++i) {
    grey_alpha.push_back(static_cast<unsigned char>(i * 15));
    grey_alpha.push_back(static_cast<unsigned char>(255 - i * 10));
  }
  ASSERT_TRUE(WritePng(dir_ + "/two.png", 5, 3, 2, grey_alpha));
  Image two;
  ASSERT_TRUE(two.Init((dir_ + "/two.png").c_str()));
  EXPECT_EQ(two.format, GLenum(GL_LUMINANCE_ALPHA));
  EXPECT_EQ(InternalFormat(two.texture), GL_LUMINANCE_ALPHA);
  EXPECT_EQ(ReadTexture(two.texture, GL_LUMINANCE_ALPHA, 5, 3, 2), grey_alpha);

  std::vector<unsigned char> rgb(7 * 2 * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<unsigned char>(i * 7);
  ASSERT_TRUE(WritePng("rgb.png", 7, 2, 3, rgb));
  Image three;
  ASSERT_TRUE(three.Init("rgb.png"));
  EXPECT_EQ(three.format, GLenum(GL_RGB));
  EXPECT_EQ(ReadTexture(three.texture, GL_RGB, 7, 2, 3), rgb);
}

TEST_F(ImageTest, FailureIsReportedWithTheReason) {
  ASSERT_TRUE(WritePng("fine.png", 1, 1, 1, {0}));
  {
    FILE* f = fopen("broken.png", "wb");
    ASSERT_TRUE(f);
    fputs("not a picture", f);
    fclose(f);
  }
  for (const char* name : {"missing.png", "broken.png"}) {
    Image image;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(image.Init(name));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind(std::string("Error: could not load file \"") + name + "\": ", 0), 0u) << out;
    EXPECT_GT(out.size(), std::strlen(name) + 31) << "no reason given: " << out;
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(image.texture, 0u);
  }
}

TEST_F(ImageTest, PictureLargerThanTheLargestTextureFails) {
  GLint max_size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
  ASSERT_GT(max_size, 0);
  ASSERT_TRUE(WritePng("wide.png", max_size + 1, 1, 1, std::vector<unsigned char>(max_size + 1, 7)));
  Image image;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(image.Init("wide.png"));
  EXPECT_NE(testing::internal::GetCapturedStdout().find("wide.png"), std::string::npos);
  EXPECT_EQ(image.texture, 0u);
}

TEST_F(ImageTest, OddWidthsUploadExactlyAndAlignmentIsRestored) {
  ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  const skyt_test::GlStateSnapshot before;
  struct Case {
    Image::Type type;
    GLenum read_format;
    int bpp;
  };
  for (const Case& c : {Case{Image::RGB, GL_RGB, 3}, Case{Image::LUMINANCE, GL_LUMINANCE, 1},
                        Case{Image::LUMINANCE_ALPHA, GL_LUMINANCE_ALPHA, 2}, Case{Image::ALPHA, GL_ALPHA, 1},
                        Case{Image::RGBA, GL_RGBA, 4}}) {
    SCOPED_TRACE(c.type);
    const int w = 5, h = 3;
    std::vector<unsigned char> data(static_cast<size_t>(w) * h * c.bpp);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 11 + 3);
    Image image;
    image.Init(c.type, w, h, data.data());
    EXPECT_EQ(ReadTexture(image.texture, c.read_format, w, h, c.bpp), data);
    // The texture stays bound; the caller's unpack alignment is back.
    GLint bound = 0, unpack = 0;
    glBindTexture(GL_TEXTURE_2D, image.texture);
    image.UpdateData(data.data());
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    EXPECT_EQ(GLuint(bound), image.texture);
    EXPECT_EQ(unpack, 4);
    for (auto& v : data) v = static_cast<unsigned char>(255 - v);
    image.UpdateData(data.data());
    EXPECT_EQ(ReadTexture(image.texture, c.read_format, w, h, c.bpp), data);
    image.CleanUp();
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_EQ(skyt_test::GlStateSnapshot(), before);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ImageTest, LuminanceWithDroppedAlphaKeepsTwoBytesAPixelForUpdates) {
  const std::vector<unsigned char> frame = {10, 1, 20, 2, 30, 3, 40, 4, 50, 5, 60, 6};  // 3 x 2
  Image image;
  image.Init(Image::LUMINANCE_DROP_ALPHA, 3, 2, frame.data());
  EXPECT_EQ(image.format, GLenum(GL_LUMINANCE_ALPHA));
  EXPECT_EQ(InternalFormat(image.texture), GL_LUMINANCE);
  EXPECT_EQ(ReadTexture(image.texture, GL_LUMINANCE, 3, 2, 1), (std::vector<unsigned char>{10, 20, 30, 40, 50, 60}));
  const std::vector<unsigned char> next = {90, 9, 80, 8, 70, 7, 60, 6, 50, 5, 41, 4};
  image.UpdateData(next.data());
  EXPECT_EQ(ReadTexture(image.texture, GL_LUMINANCE, 3, 2, 1), (std::vector<unsigned char>{90, 80, 70, 60, 50, 41}));
}

TEST_F(ImageTest, CleanUpReleasesOnceAndKeepsTheSize) {
  Image image;
  image.CleanUp();  // nothing to release
  ASSERT_TRUE(image.Init("beater.png"));
  const GLuint texture = image.texture;
  EXPECT_TRUE(glIsTexture(texture));
  image.CleanUp();
  EXPECT_FALSE(glIsTexture(texture));
  EXPECT_EQ(image.texture, 0u);
  EXPECT_EQ(image.width, 58);
  EXPECT_EQ(image.format, GLenum(GL_RGBA));
  image.CleanUp();
  // Loaded again after the clean-up, then destroyed at the end of the test.
  ASSERT_TRUE(image.Init("beater.png"));
  EXPECT_NE(image.texture, 0u);
}

TEST_F(ImageTest, UpdateWithoutTextureLeavesOtherTexturesAlone) {
  const std::vector<unsigned char> pixels = {1, 2, 3, 4};
  Image other;
  other.Init(Image::LUMINANCE, 2, 2, pixels.data());
  Image empty;
  empty.width = 2;
  empty.height = 2;
  empty.format = GL_LUMINANCE;
  const std::vector<unsigned char> junk = {9, 9, 9, 9};
  empty.UpdateData(junk.data());
  EXPECT_EQ(ReadTexture(other.texture, GL_LUMINANCE, 2, 2, 1), pixels);
}

TEST_F(ImageTest, MovingHandsTheTextureOver) {
  std::vector<Image> images;
  for (int i = 0; i < 9; ++i) {  // the vector grows and moves its elements
    images.emplace_back();
    ASSERT_TRUE(images.back().Init("home.png"));
  }
  std::set<GLuint> names;
  for (const Image& image : images) {
    EXPECT_TRUE(glIsTexture(image.texture));
    names.insert(image.texture);
  }
  EXPECT_EQ(names.size(), images.size());
  Image taken = std::move(images[0]);
  EXPECT_EQ(images[0].texture, 0u);
  EXPECT_TRUE(glIsTexture(taken.texture));
  // Moved onto an image with a texture: that texture is released, the moved one taken over.
  const GLuint held = taken.texture, moved = images[1].texture;
  taken = std::move(images[1]);
  EXPECT_EQ(taken.texture, moved);
  EXPECT_EQ(images[1].texture, 0u);
  EXPECT_FALSE(glIsTexture(held));
  images.clear();
  EXPECT_TRUE(glIsTexture(taken.texture));
}
