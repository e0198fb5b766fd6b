#include "tests/support/marker_scene.h"

#include <algorithm>
#include <cmath>

namespace skyt_test {

MarkerScene::MarkerScene(int background, int noise, uint32_t seed)
    : background_(background), noise_(noise), rng_(seed) {}

void MarkerScene::Clear() {
  markers_.clear();
  lamps_.clear();
  specks_.clear();
  stuck_.clear();
}

void MarkerScene::AddMarker(float x, float y, float radius, int peak) {
  markers_.push_back({x, y, radius, peak});
}

void MarkerScene::AddLamp(int x0, int y0, int x1, int y1, int luma) {
  lamps_.push_back({x0, y0, x1, y1, luma});
}

void MarkerScene::AddSpeck(int x, int y, int luma) { specks_.push_back({x, y, luma}); }

void MarkerScene::AddRandomSpecks(int count, int luma) {
  std::uniform_int_distribution<int> ux(40, kWidth - 41), uy(10, kHeight - 11);
  for (int i = 0; i < count; ++i) specks_.push_back({ux(rng_), uy(rng_), luma});
}

void MarkerScene::AddStuckPixel(int x, int y, int luma) { stuck_.push_back({x, y, luma}); }

float MarkerScene::Profile(float d, float radius, int peak) {
  // Saturated core up to radius - 1, then a linear edge to nothing at radius + 1.
  if (d <= radius - 1.0f) return float(peak);
  if (d >= radius + 1.0f) return 0.0f;
  return float(peak) * (radius + 1.0f - d) * 0.5f;
}

namespace {

// Mean of the profile over a pixel (4x4 samples).
float PixelValue(float px, float py, const SceneMarker& m) {
  float sum = 0;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      const float sx = px - 0.375f + 0.25f * float(i), sy = py - 0.375f + 0.25f * float(j);
      sum += MarkerScene::Profile(std::hypot(sx - m.x, sy - m.y), m.radius, m.peak);
    }
  return sum / 16.0f;
}

}  // namespace

void MarkerScene::Render(uint8_t* yuyv) {
  std::vector<float> luma(size_t(kWidth) * kHeight, float(background_));
  if (noise_ > 0) {
    std::uniform_int_distribution<int> un(-noise_, noise_);
    for (float& v : luma) v = float(std::max(0, background_ + un(rng_)));
  }
  for (const Rect& r : lamps_)
    for (int y = std::max(r.y0, 0); y <= std::min(r.y1, kHeight - 1); ++y)
      for (int x = std::max(r.x0, 0); x <= std::min(r.x1, kWidth - 1); ++x)
        luma[size_t(y) * kWidth + x] = float(r.luma);
  for (const SceneMarker& m : markers_) {
    const int x0 = std::max(0, int(std::floor(m.x - m.radius - 2))),
              x1 = std::min(kWidth - 1, int(std::ceil(m.x + m.radius + 2)));
    const int y0 = std::max(0, int(std::floor(m.y - m.radius - 2))),
              y1 = std::min(kHeight - 1, int(std::ceil(m.y + m.radius + 2)));
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        float& v = luma[size_t(y) * kWidth + x];
        v = std::max(v, PixelValue(float(x), float(y), m));
      }
  }
  for (const Pixel& p : specks_) luma[size_t(p.y) * kWidth + p.x] = float(p.luma);
  for (const Pixel& p : stuck_) luma[size_t(p.y) * kWidth + p.x] = float(p.luma);
  for (size_t i = 0; i < luma.size(); ++i) {
    yuyv[i * 2] = uint8_t(std::clamp(std::lround(luma[i]), 0L, 255L));
    yuyv[i * 2 + 1] = 128;
  }
}

std::vector<uint8_t> MarkerScene::Render() {
  std::vector<uint8_t> f(size_t(kWidth) * kHeight * 2);
  Render(f.data());
  return f;
}

float MarkerScene::ExpectedRadius(float x, float y, float radius, int peak, int threshold) {
  SceneMarker m{x, y, radius, peak};
  float sw = 0;
  for (int py = int(y - radius - 2); py <= int(y + radius + 2); ++py)
    for (int px = int(x - radius - 2); px <= int(x + radius + 2); ++px) {
      const long v = std::lround(PixelValue(float(px), float(py), m));
      if (v > threshold) sw += float(v - threshold) / float(255 - threshold);
    }
  return std::sqrt(sw / 3.14159f);
}

std::vector<PathPoint> StrokePath(float x, float rest_y, float top_y, float bottom_y,
                                  int down_frames, int strokes, float radius,
                                  std::vector<int>* hit_frames) {
  std::vector<PathPoint> path;
  for (int i = 0; i < 10; ++i) path.push_back({x, rest_y, radius});
  const float D = bottom_y - top_y;
  const float a = 2.0f * D / float(down_frames * (down_frames + 1));
  for (int s = 0; s < strokes; ++s) {
    // Up, eased.
    const float from = path.back().y;
    const int up_frames = 20;
    for (int i = 1; i <= up_frames; ++i) {
      const float u = float(i) / up_frames;
      path.push_back({x, from + (top_y - from) * (3 * u * u - 2 * u * u * u), radius});
    }
    for (int i = 0; i < 3; ++i) path.push_back({x, top_y, radius});
    // Down, speeding up every frame, then a sudden stop at the bottom.
    for (int i = 1; i <= down_frames; ++i)
      path.push_back({x, top_y + a * float(i * (i + 1)) * 0.5f, radius});
    path.back().y = bottom_y;
    if (hit_frames) hit_frames->push_back(int(path.size()) - 1);
    for (int i = 0; i < 6; ++i) path.push_back({x, bottom_y - 0.3f * float(i), radius});
  }
  for (int i = 0; i < 10; ++i) path.push_back({x, path.back().y, radius});
  return path;
}

float StrokeFinalSpeed(float top_y, float bottom_y, int down_frames) {
  return 2.0f * (bottom_y - top_y) / float(down_frames + 1) / 0.008f;
}

}  // namespace skyt_test
