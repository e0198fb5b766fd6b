// Loading pictures into textures (OSMesa): the biggest compiled-in pictures, a drum icon, and
// the per-frame camera picture update.
#include <benchmark/benchmark.h>

#include <vector>

#include "render/image.h"
#include "tests/support/gl_fixture.h"

static void BM_ImageInitEmbedded(benchmark::State& state, const char* name) {
  skyt_test::GlContext gl(64, 64);
  for (auto _ : state) {
    Image image;
    benchmark::DoNotOptimize(image.Init(name));
  }
}
BENCHMARK_CAPTURE(BM_ImageInitEmbedded, calib_camera_left_850, "calib-camera-left-850.png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImageInitEmbedded, help1_jp, "data/images/help1-jp.png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImageInitEmbedded, snare, "snare.png")->Unit(benchmark::kMillisecond);

// The camera's QVGA tracking picture, uploaded every frame.
static void BM_ImageUpdateQvga(benchmark::State& state) {
  skyt_test::GlContext gl(64, 64);
  std::vector<unsigned char> frame(320 * 240 * 2, 100);
  Image image;
  image.Init(Image::LUMINANCE_DROP_ALPHA, 320, 240, frame.data());
  for (auto _ : state) {
    image.UpdateData(frame.data());
    glFinish();
  }
}
BENCHMARK(BM_ImageUpdateQvga)->Unit(benchmark::kMicrosecond);
