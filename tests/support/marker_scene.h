// Synthetic camera frames for tracking tests and benchmarks: lit markers (saturated core, soft
// edge) over a dark, optionally noisy background, lamps, specks and stuck pixels; and scripted
// stick movements (strokes, crossings) sampled at the camera's 125 frames a second.
#pragma once
#include <cstdint>
#include <random>
#include <vector>

namespace skyt_test {

struct SceneMarker {
  float x, y, radius;
  int peak = 255;
};

class MarkerScene {
 public:
  static constexpr int kWidth = 320, kHeight = 240;

  explicit MarkerScene(int background = 12, int noise = 0, uint32_t seed = 1);

  void Clear();  // markers, lamps, specks and stuck pixels
  void AddMarker(float x, float y, float radius, int peak = 255);
  void AddLamp(int x0, int y0, int x1, int y1, int luma = 250);  // inclusive rectangle
  void AddSpeck(int x, int y, int luma = 200);
  void AddRandomSpecks(int count, int luma = 200);
  void AddStuckPixel(int x, int y, int luma = 255);
  const std::vector<SceneMarker>& Markers() const { return markers_; }

  // Writes one 320x240 YUYV frame (153600 bytes); the noise changes from call to call.
  void Render(uint8_t* yuyv);
  std::vector<uint8_t> Render();

  // The blob radius the finder should report for a marker of this radius at threshold T:
  // sqrt(sum of weights / pi) over the rendered disc alone.
  static float ExpectedRadius(float x, float y, float radius, int peak, int threshold);

  // Luminance of a marker at distance d (pixel centre to marker centre), before the background.
  static float Profile(float d, float radius, int peak);

 private:
  int background_, noise_;
  std::mt19937 rng_;
  std::vector<SceneMarker> markers_;
  struct Rect {
    int x0, y0, x1, y1, luma;
  };
  std::vector<Rect> lamps_;
  struct Pixel {
    int x, y, luma;
  };
  std::vector<Pixel> specks_, stuck_;
};

// One scripted stick path: positions per frame.
struct PathPoint {
  float x, y, radius;
};

// Strokes: the stick rises from where it rests to top_y, falls to bottom_y in down_frames
// frames, speeding up every frame, and stops there at once. Returns the positions per frame
// and (in hit_frames) the frame at which each stroke reached bottom_y.
std::vector<PathPoint> StrokePath(float x, float rest_y, float top_y, float bottom_y,
                                  int down_frames, int strokes, float radius,
                                  std::vector<int>* hit_frames = nullptr);
// The stick's speed in pixels a second in the last frame of such a fall.
float StrokeFinalSpeed(float top_y, float bottom_y, int down_frames);

}  // namespace skyt_test
