// The blob finder on fuzzed 320x240 frames (drawn as rectangles, placed raw, or as dense noise),
// with dead pixels, the windowed finder that splits merged blobs, and the lighting status.
// Every blob reported must lie in the picture with finite, sane measures.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>

#include "frame/ini_file.h"
#include "fuzz/fuzz_common.h"
#include "tests/support/fake_libusb.h"
#include "tests/support/gl_fixture.h"
#include "tracking/ps3eye_glue.h"
#include "tracking/webcam.h"

namespace {

skyt_test::GlContext* gl = nullptr;
Webcam* cam = nullptr;

void CheckBlob(const Webcam::Blob& b, int threshold) {
  FUZZ_CHECK(std::isfinite(b.x) && std::isfinite(b.y) && std::isfinite(b.radius));
  FUZZ_CHECK(b.radius >= 0.0f);
  FUZZ_CHECK(b.xmin >= 0 && b.xmin <= b.xmax && b.xmax < Webcam::kWidth);
  FUZZ_CHECK(b.ymin >= 0 && b.ymin <= b.ymax && b.ymax < Webcam::kHeight);
  FUZZ_CHECK(b.x >= float(b.xmin) - 0.01f && b.x <= float(b.xmax) + 0.01f);
  FUZZ_CHECK(b.y >= float(b.ymin) - 0.01f && b.y <= float(b.ymax) + 0.01f);
  FUZZ_CHECK(b.maxLuma > threshold && b.maxLuma <= 255);
}

void Draw(FuzzedDataProvider& in, uint8_t* frame) {
  const int mode = in.ConsumeIntegralInRange(0, 2);
  const uint8_t background = in.ConsumeIntegral<uint8_t>();
  for (int i = 0; i < Webcam::kWidth * Webcam::kHeight; ++i) frame[2 * i] = background;
  const int dead_count = in.ConsumeIntegralInRange(0, 6);
  for (int i = 0; i < dead_count; ++i) {
    const int x = in.ConsumeIntegralInRange(0, Webcam::kWidth - 1);
    const int y = in.ConsumeIntegralInRange(0, Webcam::kHeight - 1);
    cam->SetDeadPixel(x, y);
  }
  if (mode == 0) {
    // Rectangles of one luminance each.
    while (in.remaining_bytes() >= 5) {
      const int x0 = in.ConsumeIntegralInRange(0, Webcam::kWidth - 1);
      const int y0 = in.ConsumeIntegralInRange(0, Webcam::kHeight - 1);
      const int w = in.ConsumeIntegralInRange(1, 40), h = in.ConsumeIntegralInRange(1, 40);
      const uint8_t luma = in.ConsumeIntegral<uint8_t>();
      for (int y = y0; y < std::min(y0 + h, Webcam::kHeight); ++y)
        for (int x = x0; x < std::min(x0 + w, Webcam::kWidth); ++x) frame[2 * (y * Webcam::kWidth + x)] = luma;
    }
  } else if (mode == 1) {
    // Raw luminance from a pixel on, row after row.
    int at = in.ConsumeIntegralInRange(0, Webcam::kWidth * Webcam::kHeight - 1);
    const std::vector<uint8_t> raw = in.ConsumeRemainingBytes<uint8_t>();
    for (uint8_t v : raw) {
      frame[2 * at] = v;
      at = (at + 1) % (Webcam::kWidth * Webcam::kHeight);
    }
  } else {
    // Noise over the whole frame: bright pixels at a density, from a seed.
    const uint32_t density = in.ConsumeIntegral<uint8_t>();
    uint32_t state = in.ConsumeIntegral<uint32_t>();
    const uint8_t bright = in.ConsumeIntegral<uint8_t>();
    for (int i = 0; i < Webcam::kWidth * Webcam::kHeight; ++i) {
      state = state * 1664525u + 1013904223u;
      if ((state >> 24) < density) frame[2 * i] = static_cast<uint8_t>(bright - (state >> 29));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::QuietStdout();
  fake_usb::Reset();  // no camera on the bus
  gl = new skyt_test::GlContext(320, 240);
  cam = new Webcam;
  IniFile none;
  cam->Init(none);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  cam->SetThreshold(in.ConsumeIntegral<uint8_t>());
  const int T = cam->GetThreshold();
  const int max = in.ConsumeIntegralInRange(1, 8);
  const bool settled = in.ConsumeBool();
  cam->ResetDeadPixels();
  Draw(in, cam->GetQVGAFrame());

  Webcam::Blob blobs[8];
  const int n = cam->FindBlobs(blobs, max);
  FUZZ_CHECK(n >= 0 && n <= max);
  const int status = cam->GetStatus();
  FUZZ_CHECK(status >= Webcam::kStatusOk && status <= Webcam::kStatusOverflow);
  for (int i = 0; i < n; ++i) {
    CheckBlob(blobs[i], T);
    Webcam::Blob pair[2];
    if (cam->UnmergeBlobs(blobs[i], pair)) {
      CheckBlob(pair[0], T);
      CheckBlob(pair[1], T);
    }
    const float r = blobs[i].radius;
    cam->RecoverMergedBlobs(blobs[i], r, r * 0.5f, pair);
    for (const Webcam::Blob& b : pair) FUZZ_CHECK(std::isfinite(b.x) && std::isfinite(b.y));
  }
  // A window anywhere, at a threshold above the tracking one.
  Webcam::Blob window[4];
  const int wt = T + 1 + (T < 254 ? n % (255 - T) : 0);
  const int m = cam->FindBlobs(window, 4, wt, -5 + n * 40, 200 + n * 30, 10 * n - 3, 250 - 20 * n);
  FUZZ_CHECK(m >= 0 && m <= 4);
  for (int i = 0; i < m; ++i) CheckBlob(window[i], T);
  if (settled) cam->ResetFrameCounter();
  const int lighting = cam->BadLightingSuspected(n);
  FUZZ_CHECK(lighting >= Webcam::kStatusOk && lighting <= Webcam::kStatusOverflow);
  if (n % 2) cam->RecordMocapMarkerPop();
  return 0;
}
