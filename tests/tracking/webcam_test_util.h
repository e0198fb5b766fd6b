// A camera front end with its buffers allocated and no camera, for feeding synthetic frames.
#pragma once
#include <cstring>
#include <vector>

#include "frame/ini_file.h"
#include "tests/support/fake_libusb.h"
#include "tests/support/gl_fixture.h"
#include "tracking/ps3eye_glue.h"
#include "tracking/webcam.h"

namespace skyt_test {

class OfflineWebcam {
 public:
  OfflineWebcam() {
    fake_usb::Reset();  // no camera on the bus
    IniFile none;
    cam.Init(none);
  }
  ~OfflineWebcam() { PSEyeDestroy(); }
  void Load(const std::vector<uint8_t>& yuyv) {
    memcpy(cam.GetQVGAFrame(), yuyv.data(), Webcam::kQvgaFrameBytes);
  }
  // Sets the luminance of one pixel of the current frame.
  void Set(int x, int y, int luma) { cam.GetQVGAFrame()[(y * 320 + x) * 2] = uint8_t(luma); }
  void Fill(int luma) {
    for (int i = 0; i < 320 * 240; ++i) cam.GetQVGAFrame()[i * 2] = uint8_t(luma);
  }
  void Rect(int x0, int y0, int x1, int y1, int luma) {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) Set(x, y, luma);
  }

  GlContext gl{320, 240};
  Webcam cam;
};

}  // namespace skyt_test
