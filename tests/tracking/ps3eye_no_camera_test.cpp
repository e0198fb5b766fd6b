// The real libusb on a machine without the camera: no camera is reported, nothing breaks.
#include <gtest/gtest.h>

#include <vector>

#include "tracking/ps3eye_glue.h"

TEST(CameraWithRealLibusb, NoCameraIsReportedAsNone) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(PSEyeInit(), 1);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("No devices connected."), std::string::npos);
  EXPECT_FALSE(PSEyeIsWorking());
  std::vector<uint8_t> out(320 * 240 * 2, 7);
  bool is_new = true;
  EXPECT_FALSE(PSEyeGetFrame(out.data(), nullptr, &is_new));
  EXPECT_FALSE(is_new);
  EXPECT_EQ(out[0], 7);
  PSEyeStop();
  PSEyeDestroy();
}
