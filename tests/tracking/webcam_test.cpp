// The camera front end: settings, modes, frame intake, the picture and splitting merged blobs.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <limits>

#include "frame/frame_globals.h"
#include "tests/support/marker_scene.h"
#include "tests/support/ps3eye_packets.h"
#include "tests/support/test_dirs.h"
#include "tests/tracking/webcam_test_util.h"
#include "tracking/camera_geometry.h"

using skyt_test::MarkerScene;
using skyt_test::OfflineWebcam;

namespace {

std::string WriteSettings(const std::string& dir, const std::string& text) {
  const std::string path = skyt_test::FreshDir(dir) + "/skytapper.cfg";
  std::ofstream(path) << text;
  return path;
}

TEST(WebcamSettings, MissingKeysKeepDefaultsAndBadValuesAreBroughtInRange) {
  fake_usb::Reset();
  skyt_test::GlContext gl(320, 240);
  {
    IniFile ini;
    ASSERT_TRUE(ini.Init(WriteSettings("webcam_settings_a", "[Webcam]\nThreshold = 90\n")));
    Webcam cam;
    EXPECT_FALSE(cam.Init(ini));  // no camera
    EXPECT_EQ(cam.GetThreshold(), 90);
    EXPECT_EQ(cam.GetGain(), 0);
    EXPECT_EQ(cam.GetExposure(), 73);
    EXPECT_EQ(cam.GetExposureVGA(), 511);
    EXPECT_EQ(cam.GetProcessPriority(), 2);
  }
  {
    IniFile ini;
    ASSERT_TRUE(ini.Init(WriteSettings(
        "webcam_settings_b",
        "[Webcam]\nGain = 12\nExposure_Mocap = 9000\nExposure_VGA = 300\nThreshold  = 255\nProcess priority = 1\n")));
    Webcam cam;
    testing::internal::CaptureStdout();
    cam.Init(ini);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(cam.GetGain(), 12);
    EXPECT_EQ(cam.GetExposure(), 511);
    EXPECT_EQ(cam.GetExposureVGA(), 300);
    EXPECT_EQ(cam.GetThreshold(), 254);
    EXPECT_EQ(cam.GetProcessPriority(), 1);
    EXPECT_NE(out.find("Threshold = 255 is out of range"), std::string::npos) << out;
  }
  {
    IniFile ini;
    ASSERT_TRUE(ini.Init(WriteSettings("webcam_settings_c", "[Webcam]\nThreshold = -40\n")));
    Webcam cam;
    cam.Init(ini);
    EXPECT_EQ(cam.GetThreshold(), 0);
    // A dark frame is still dark: nothing is bright at threshold 0 with luminance 0.
    memset(cam.GetQVGAFrame(), 0, Webcam::kQvgaFrameBytes);
    Webcam::Blob b[4];
    EXPECT_EQ(cam.FindBlobs(b, 4), 0);
  }
  PSEyeDestroy();
}

TEST(WebcamSettings, SavedSectionReadsBack) {
  skyt_test::OfflineWebcam w;
  const std::string path = skyt_test::FreshDir("webcam_save") + "/saved.cfg";
  FILE* f = fopen(path.c_str(), "w");
  ASSERT_TRUE(f);
  IniFile none;
  w.cam.SaveIniFileSection(f, none);
  fclose(f);
  IniFile ini;
  ASSERT_TRUE(ini.Init(path));
  int v = 0;
  EXPECT_TRUE(ini.GetInt("Webcam", "Process priority", v));
  EXPECT_EQ(v, 2);
  EXPECT_TRUE(ini.GetInt("Webcam", "Threshold", v));
  EXPECT_EQ(v, 120);

  // Every setting, none at its default, survives a save and a fresh start.
  const struct {
    const char* key;
    int value;
  } settings[] = {{"Gain", 12}, {"Exposure_Mocap", 300}, {"Exposure_VGA", 200}, {"Threshold", 90}, {"Process priority", 1}};
  std::string text = "[Webcam]\n";
  for (const auto& s : settings) text += std::string(s.key) + " = " + std::to_string(s.value) + "\n";
  IniFile given;
  ASSERT_TRUE(given.Init(WriteSettings("webcam_save_all", text)));
  Webcam cam;
  cam.Init(given);
  const std::string again = skyt_test::FreshDir("webcam_save_all_again") + "/saved.cfg";
  f = fopen(again.c_str(), "w");
  ASSERT_TRUE(f);
  cam.SaveIniFileSection(f, none);
  fclose(f);
  IniFile saved;
  ASSERT_TRUE(saved.Init(again));
  for (const auto& s : settings) {
    v = -1;
    EXPECT_TRUE(saved.GetInt("Webcam", s.key, v)) << s.key;
    EXPECT_EQ(v, s.value) << s.key;
  }
  PSEyeDestroy();
}

// With the fake camera plugged in: modes, frames, the uploaded picture.
class WebcamWithCamera : public ::testing::Test {
 protected:
  void SetUp() override {
    PSEyeDestroy();
    fake_usb::Reset();
    fake_usb::PlugCamera();
    graphics_mode = 0;
    render_what = 0;
    Webcam::CenterWebcam(320, 240);
  }
  void TearDown() override {
    cam.CleanUp();
    EXPECT_EQ(fake_usb::TransferMisuse(), 0);
    EXPECT_EQ(fake_usb::TransfersAllocated(), 0);
  }
  skyt_test::GlContext gl{320, 240};
  Webcam cam;
  skyt_test::Ps3EyePacketiser packets;
};

TEST_F(WebcamWithCamera, FramesArriveOnceAndThePictureIsBrightened) {
  IniFile none;
  ASSERT_TRUE(cam.Init(none));
  EXPECT_EQ(fake_usb::SensorRegister(0x10), 73);  // tracking exposure applied
  MarkerScene scene(20);
  scene.AddMarker(160, 120, 5);
  const auto frame = scene.Render();
  fake_usb::Feed(packets.Frame(frame));
  ASSERT_TRUE(fake_usb::WaitFeedConsumed());
  ASSERT_TRUE(cam.Update(true));
  EXPECT_TRUE(cam.IsNewFrame());
  EXPECT_EQ(memcmp(cam.GetQVGAFrame(), frame.data(), frame.size()), 0);
  ASSERT_TRUE(cam.Update(true));
  EXPECT_FALSE(cam.IsNewFrame());

  // The texture holds 2 x luminance + 100.
  std::vector<uint8_t> tex(320 * 240);
  glBindTexture(GL_TEXTURE_2D, cam.GetQVGAImage().texture);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, tex.data());
  EXPECT_NEAR(tex[10 * 320 + 10], 2 * 20 + 100, 1);
  EXPECT_EQ(tex[120 * 320 + 160], 255);

  // Drawn over the window, the background shows as that grey.
  gl.Clear();
  glEnable(GL_BLEND);
  cam.Draw(1.0f);
  EXPECT_NEAR(gl.Pixel(5, 5)[0], 140, 2);
  EXPECT_EQ(gl.Pixel(160, 240 - 120)[0], 255);
  // On a wider window the picture stands in the middle, every corner of it drawn.
  Webcam::CenterWebcam(320, 200);
  gl.Clear();
  cam.Draw(1.0f);
  for (int x : {20, 299})
    for (int y : {0, 199}) EXPECT_NEAR(gl.Pixel(x, y)[0], 140, 2) << x << " " << y;
}

TEST_F(WebcamWithCamera, ModeChangesAndUnplug) {
  IniFile none;
  ASSERT_TRUE(cam.Init(none));
  Webcam::Blob blobs[4];
  for (int i = 0; i < 3; ++i) cam.BadLightingSuspected(0);
  fake_usb::ClearLogs();
  EXPECT_FALSE(cam.ChangeMode(1));
  EXPECT_TRUE(fake_usb::ControlLog().empty());
  EXPECT_EQ(cam.GetFrameCounter(), 3);

  EXPECT_TRUE(cam.ChangeMode(0));
  EXPECT_EQ(cam.GetFrameCounter(), 0);
  std::vector<uint8_t> vga(640 * 480 * 2, 128);
  fake_usb::Feed(packets.Frame(vga));
  ASSERT_TRUE(fake_usb::WaitFeedConsumed());
  ASSERT_TRUE(cam.Update(true));
  EXPECT_TRUE(cam.IsNewFrame());
  EXPECT_EQ(cam.GetVGAFrame()[(240 * 640 + 320) * 3], 130);  // grey 128 in RGB
  EXPECT_EQ(cam.GetVGAFrame()[0], 0);                        // outside the lens

  // The colour view's automatic gain and exposure moved the sensor's registers: back in
  // tracking the fixed ones are written again.
  fake_usb::SetSensorRegister(0x00, 0x30);
  fake_usb::SetSensorRegister(0x10, 0x40);
  EXPECT_TRUE(cam.ChangeMode(1));
  EXPECT_FALSE(cam.IsNewFrame());  // the colour frame is no tracking frame
  EXPECT_EQ(fake_usb::SensorRegister(0x00), 0);
  EXPECT_EQ(fake_usb::SensorRegister(0x10), 73);
  fake_usb::Unplug();
  bool lost = false;
  for (int i = 0; i < 100 && !lost; ++i) lost = !cam.Update(true);
  EXPECT_TRUE(lost);
  cam.HandleUnplug();
  EXPECT_FALSE(PSEyeIsWorking());
  EXPECT_FALSE(cam.Update(true));
  EXPECT_EQ(cam.FindBlobs(blobs, 4), 0);
}

// Splitting merged blobs.
class MergedBlobs : public ::testing::Test {
 protected:
  void Load(MarkerScene& s) { w.Load(s.Render()); }
  Webcam::Blob Merged() {
    Webcam::Blob b[4];
    EXPECT_EQ(w.cam.FindBlobs(b, 4), 1);
    return b[0];
  }
  // The merged blob taken as a disc of radius 8, split into discs of radius 5 and 2.
  bool SplitFiveAndTwo(Webcam::Blob out[2]) {
    Webcam::Blob m = Merged();
    m.radius = 8.0f;
    return w.cam.RecoverMergedBlobs(m, 5.0f, 2.0f, out);
  }
  OfflineWebcam w;
};

TEST_F(MergedBlobs, TwoCoresSeparateAtAHigherThreshold) {
  MarkerScene s;
  s.AddMarker(150, 120, 4, 255);
  s.AddMarker(157.5f, 121, 4, 240);
  Load(s);
  const Webcam::Blob m = Merged();
  Webcam::Blob out[2];
  ASSERT_TRUE(w.cam.UnmergeBlobs(m, out));
  const float xa = std::min(out[0].x, out[1].x), xb = std::max(out[0].x, out[1].x);
  EXPECT_NEAR(xa, 150, 1.0);
  EXPECT_NEAR(xb, 157.5, 1.0);
  // Both halves are the fullest pair, taken at the lowest threshold that still splits.
  EXPECT_GT(std::min(out[0].radius, out[1].radius), 3.0f);
  // The windowed finder counts a pixel equal to its threshold as bright.
  w.Fill(10);
  w.Set(100, 100, 150);
  Webcam::Blob b[2];
  EXPECT_EQ(w.cam.FindBlobs(b, 2, 150, 90, 110, 90, 110), 1);
  EXPECT_EQ(w.cam.FindBlobs(b, 2, 151, 90, 110, 90, 110), 0);
  EXPECT_EQ(w.cam.GetStatus(), 0);
  // At threshold 0 black is bright too: a black corner is a blob whose brightest pixel is 0.
  w.Rect(90, 90, 93, 93, 0);
  ASSERT_EQ(w.cam.FindBlobs(b, 2, 0, 90, 93, 90, 93), 1);
  EXPECT_EQ(b[0].maxLuma, 0);
}

TEST_F(MergedBlobs, UnsplittableBlobGivesUpAfterTheDescent) {
  const int T = w.cam.GetThreshold();
  w.Fill(10);
  w.Rect(100, 100, 104, 104, T + 3);
  const Webcam::Blob m = Merged();
  Webcam::Blob out[2];
  EXPECT_FALSE(w.cam.UnmergeBlobs(m, out));
  Webcam::Blob dim = m;
  dim.maxLuma = T;
  EXPECT_FALSE(w.cam.UnmergeBlobs(dim, out));
}

TEST_F(MergedBlobs, RecoveredDiscsGoToOppositeCorners) {
  w.Fill(10);
  // A falling diagonal: top row lit on the left, bottom row on the right.
  w.Rect(100, 100, 107, 107, 230);
  w.Rect(106, 106, 110, 110, 230);
  Webcam::Blob m = Merged();
  Webcam::Blob out[2];
  m.radius = 5.0f;
  EXPECT_FALSE(w.cam.RecoverMergedBlobs(m, 4.1f, 3.0f, out));  // 0.9: centred
  EXPECT_FLOAT_EQ(out[0].x, m.x);
  EXPECT_FLOAT_EQ(out[0].radius, 3.0f);
  EXPECT_FLOAT_EQ(out[1].radius, 4.1f);
  auto box = [](const Webcam::Blob& b) { return std::array<int, 4>{b.xmin, b.ymin, b.xmax, b.ymax}; };
  for (const Webcam::Blob& b : out) {
    EXPECT_FLOAT_EQ(b.x, m.x);
    EXPECT_FLOAT_EQ(b.y, m.y);
    EXPECT_EQ(box(b), box(m));
  }
  EXPECT_FALSE(w.cam.RecoverMergedBlobs(m, 5.9f, 3.0f, out));  // -0.9: centred
  ASSERT_TRUE(w.cam.RecoverMergedBlobs(m, 4.0f, 3.0f, out));   // 1.0: corners
  const float mid = (m.xmin + m.xmax) * 0.5f;
  // The centre leans to neither side here; the larger disc goes top-left.
  ASSERT_LE(m.x, mid);
  EXPECT_FLOAT_EQ(out[1].x, m.xmin + 4.0f);
  EXPECT_FLOAT_EQ(out[1].y, m.ymin + 4.0f);
  EXPECT_FLOAT_EQ(out[0].x, m.xmax - 3.0f);
  EXPECT_FLOAT_EQ(out[0].y, m.ymax - 3.0f);
  EXPECT_EQ(out[0].xmin, m.xmax - 6);
  // Each disc's box spans its diameter from the corner it sits in.
  EXPECT_EQ(box(out[1]), (std::array<int, 4>{m.xmin, m.ymin, m.xmin + 8, m.ymin + 8}));
  EXPECT_EQ(box(out[0]), (std::array<int, 4>{m.xmax - 6, m.ymax - 6, m.xmax, m.ymax}));
  EXPECT_FLOAT_EQ(out[1].radius, 4.0f);
  EXPECT_FLOAT_EQ(out[0].radius, 3.0f);
  // A centre right in the box's middle leans to neither side either.
  w.Fill(10);
  w.Rect(100, 100, 105, 105, 255);
  w.Rect(105, 105, 110, 110, 255);
  Webcam::Blob even = Merged();
  even.radius = 5.0f;
  ASSERT_EQ(even.x, (even.xmin + even.xmax) * 0.5f);
  ASSERT_TRUE(w.cam.RecoverMergedBlobs(even, 4.0f, 3.0f, out));
  EXPECT_LT(out[1].x, out[0].x);

  // A radius that is not a number centres both discs instead of converting it.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(w.cam.RecoverMergedBlobs(m, nan, nan, out));
  EXPECT_FLOAT_EQ(out[0].x, m.x);
}

TEST_F(MergedBlobs, CentreRightOfTheBoxMiddlePutsTheLargerDiscRight) {
  w.Fill(10);
  w.Rect(100, 100, 102, 102, 200);  // small, top-left
  w.Rect(101, 101, 112, 112, 250);  // large, bottom-right
  Webcam::Blob out[2];
  ASSERT_TRUE(SplitFiveAndTwo(out));
  EXPECT_GT(out[1].x, out[0].x);
  EXPECT_GT(out[1].y, out[0].y);
}

TEST_F(MergedBlobs, TheLargerDiscTakesTheCornerOfTheLargerLight) {
  struct Case {
    const char* large_at;
    int small[4], large[4];  // x0, y0, x1, y1
    bool larger_right, larger_low;
  };
  const Case cases[] = {
      {"bottom left", {110, 100, 112, 102}, {100, 101, 111, 112}, false, true},
      {"top right", {100, 110, 102, 112}, {101, 100, 112, 111}, true, false},
      {"top left", {110, 110, 112, 112}, {100, 100, 111, 111}, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.large_at);
    w.Fill(10);
    w.Rect(c.small[0], c.small[1], c.small[2], c.small[3], 200);
    w.Rect(c.large[0], c.large[1], c.large[2], c.large[3], 250);
    Webcam::Blob out[2];
    ASSERT_TRUE(SplitFiveAndTwo(out));
    EXPECT_EQ(out[1].x > out[0].x, c.larger_right);
    EXPECT_EQ(out[1].y > out[0].y, c.larger_low);
  }
}

// Where the top and bottom rows start together, the box's outer columns tell the line: here the
// left column is lit only on the bottom row, the right one half way down, so the line rises.
TEST_F(MergedBlobs, WhenTheRowsTieTheOuterColumnsTellTheLine) {
  const int T = w.cam.GetThreshold();
  for (int corner : {10, T}) {  // a pixel at the threshold is dark
    SCOPED_TRACE(corner);
    w.Fill(10);
    w.Rect(101, 100, 102, 110, 230);
    w.Set(100, 110, 230);
    w.Rect(103, 105, 110, 105, 230);
    w.Set(100, 100, corner);
    Webcam::Blob out[2];
    ASSERT_TRUE(SplitFiveAndTwo(out));
    EXPECT_LT(out[1].x, out[0].x);
    EXPECT_GT(out[1].y, out[0].y);
  }
}

// The edge pictures, read back from their textures.
std::vector<uint8_t> TextureBytes(const Image& image) {
  std::vector<uint8_t> out(size_t(image.width) * size_t(image.height));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glBindTexture(GL_TEXTURE_2D, image.texture);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, out.data());
  return out;
}

TEST(EdgePictures, DarkPixelsBesideBrightOnesInTheGreyPicture) {
  OfflineWebcam w;
  w.cam.SetThreshold(100);
  std::vector<uint8_t> grey(320 * 240, 10);
  auto at = [&](int x, int y) -> uint8_t& { return grey[size_t(y) * 320 + size_t(x)]; };
  for (int y = 100; y < 110; ++y)
    for (int x = 100; x < 110; ++x) at(x, y) = 200;
  at(110, 105) = 100;  // as bright as the threshold: still dark
  at(50, 50) = 100;    // and so not bright for its neighbours
  at(160, 0) = 200;    // on the first row, which is not looked at
  Image image;
  image.Init(Image::LUMINANCE, 320, 240, nullptr);
  ASSERT_TRUE(w.cam.MakeEdgeImageQVGABW(grey.data(), image));
  const std::vector<uint8_t> edges = TextureBytes(image);
  auto edge = [&](int x, int y) { return edges[size_t(y) * 320 + size_t(x)]; };
  const struct { int x, y, want; } pixels[] = {
      {99, 99, 255}, {110, 105, 255}, {105, 110, 255}, {100, 100, 0}, {98, 105, 0},
      {51, 51, 0},   {160, 1, 255},   {159, 0, 0},
  };
  for (const auto& p : pixels) EXPECT_EQ(edge(p.x, p.y), p.want) << p.x << "," << p.y;
  EXPECT_EQ(std::count(edges.begin(), edges.end(), 255), 44 + 3);  // the square's ring, row 1
}

TEST(EdgePictures, SmoothedGradientOfTheColourPicture) {
  OfflineWebcam w;
  // A white rectangle on black, its left side between columns 319 and 320, and a red one from
  // column 480: the three colours' gradients add up.
  std::vector<uint8_t> rgb(640 * 480 * 3, 0);
  for (int y = 140; y < 340; ++y)
    for (int x = 320; x < 540; ++x)
      for (int c = 0; c < (x < 420 ? 3 : x < 480 ? 0 : 1); ++c)
        rgb[(size_t(y) * 640 + size_t(x)) * 3 + size_t(c)] = 255;
  Image image;
  image.Init(Image::LUMINANCE, 640, 480, nullptr);
  ASSERT_TRUE(w.cam.MakeEdgeImage(rgb.data(), image));
  const std::vector<uint8_t> edges = TextureBytes(image);
  // Across the side the 9-tap Gaussian weights g(k) = exp(-k^2/18) give gradients g(0) + g(1)
  // at the side, g(3) + g(4) three columns out and g(4) four out; half the largest is white.
  const float g3 = std::exp(-9.0f / 18), g4 = std::exp(-16.0f / 18), top = 1 + std::exp(-1.0f / 18);
  const struct { int x; float want; } columns[] = {
      {319, 255}, {320, 255}, {316, std::min(255.0f, 510 * (g3 + g4) / top)}, {315, 510 * g4 / top},
      {314, 0},   {200, 0}, {480, 510.0f / 3},
  };
  for (const auto& c : columns) EXPECT_NEAR(edges[240 * 640 + size_t(c.x)], c.want, 2.5f) << c.x;
}

TEST(CameraGeometry, DepthGrowsAsTheMarkerShrinks) {
  // Camera pixels and radius to metres: the middle, near and far, and towards the corners.
  const struct { float x, y, r, want_x, want_y, want_z; } points[] = {
      {160, 120, 4, -0.00738f, -0.02801f, -0.758972f},   {160, 120, 2.5f, -0.011955f, -0.025115f, -1.052993f},
      {20, 30, 6, -0.38488f, 0.24173f, -0.360109f},      {300, 220, 3, 0.65037f, -0.42008f, -0.832085f},
      {60, 200, 8, -0.13718f, -0.23093f, -0.20708f},
  };
  for (const auto& p : points) {
    float px = p.x, py = p.y, pr = p.r;
    CorrectCameraCoords(px, py, pr);
    EXPECT_NEAR(px, p.want_x, 1e-4) << p.x << " " << p.y << " " << p.r;
    EXPECT_NEAR(py, p.want_y, 1e-4) << p.x << " " << p.y << " " << p.r;
    EXPECT_NEAR(pr, p.want_z, 1e-4) << p.x << " " << p.y << " " << p.r;
  }
  float x = 160, y = 120, s = 4;
  CorrectCameraCoords(x, y, s);
  float x2 = 160, y2 = 120, s2 = 3;
  CorrectCameraCoords(x2, y2, s2);
  EXPECT_NE(s, s2);
  EXPECT_NEAR(x, 0.10865f * 4 - 1.09158f + (-0.00066f * 4 + 0.0067f) * 160, 1e-5);
  EXPECT_NEAR(GetZNoise(160, 120, 4), std::fabs(s - [] {
                float a = 160, b = 120, c = 4.06f;
                CorrectCameraCoords(a, b, c);
                return c;
              }()),
              1e-5);
}

}  // namespace
