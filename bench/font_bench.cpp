// Font costs: building the atlas of a language (start-up, language change) and drawing and
// measuring one line of text (every frame, many times).
#include <benchmark/benchmark.h>

#include "frame/texts.h"
#include "render/font.h"
#include "tests/support/gl_fixture.h"

namespace {

const char kSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char kCjk[] = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";

void BM_BuildAtlas(benchmark::State& state, const char* path, const unsigned short* (*ranges)(), float size) {
  skyt_test::GlContext gl(64, 64);
  for (auto _ : state) {
    Font font;
    if (!font.Init(path, size, ranges(), 0)) state.SkipWithError("font missing");
    benchmark::DoNotOptimize(font.texture);
  }
}
BENCHMARK_CAPTURE(BM_BuildAtlas, latin, kSans, GetItalianGlyphRanges, 27.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildAtlas, russian, kSans, GetRussianGlyphRanges, 19.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildAtlas, japanese, kCjk, GetJapaneseGlyphRanges, 18.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildAtlas, korean, kCjk, GetKoreanGlyphRanges, 19.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildAtlas, chinese, kCjk, GetChineseGlyphRanges, 19.0f)->Unit(benchmark::kMillisecond);

void BM_PrintLine(benchmark::State& state) {
  skyt_test::GlContext gl(960, 720);
  Font font;
  font.Init(kSans, 27.0f, GetItalianGlyphRanges(), 0);
  const char* line = "Your drum kit is setup. Go to your seat to start drumming.";
  for (auto _ : state) font.Print(480.0f, 300.0f, Font::ALIGN_CENTER, line);
  glFinish();
}
BENCHMARK(BM_PrintLine);

void BM_MeasureLine(benchmark::State& state) {
  skyt_test::GlContext gl(64, 64);
  Font font;
  font.Init(kSans, 27.0f, GetItalianGlyphRanges(), 0);
  const char* line = "Your drum kit is setup. Go to your seat to start drumming.";
  for (auto _ : state) benchmark::DoNotOptimize(font.GetWidth(line));
}
BENCHMARK(BM_MeasureLine);

}  // namespace
