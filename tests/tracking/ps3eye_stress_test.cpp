// The camera thread and the main thread under load: frames stream in (some broken) while the
// main thread takes them and changes mode now and then. Every frame taken must be whole.
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/support/fake_libusb.h"
#include "tests/support/ps3eye_packets.h"
#include "tracking/ps3eye_glue.h"

TEST(CameraStress, FramesStayWholeUnderLoad) {
  fake_usb::Reset();
  fake_usb::PlugCamera();
  ASSERT_EQ(PSEyeInit(), 0);
  PSEyeStart(1);

  std::atomic<bool> stop{false};
  std::thread feeder([&] {
    pthread_setname_np(pthread_self(), "feeder");
    skyt_test::Ps3EyePacketiser packets;
    std::vector<uint8_t> f(320 * 240 * 2);
    for (uint32_t i = 1; !stop; ++i) {
      if (fake_usb::FeedLeft() > 40) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        continue;
      }
      std::fill(f.begin(), f.end(), uint8_t(i % 251 + 1));
      skyt_test::PacketFaults faults;
      if (i % 7 == 0) faults.drop = int(i % 70);
      if (i % 11 == 0) faults.duplicate = int(i % 60);
      fake_usb::Feed(packets.Frame(f, faults));
    }
  });

  std::vector<uint8_t> out(320 * 240 * 2);
  int taken = 0;
  for (int round = 0; round < 400 && taken < 150; ++round) {
    bool is_new = false;
    ASSERT_TRUE(PSEyeGetFrame(out.data(), nullptr, &is_new));
    if (is_new) {
      ++taken;
      const uint8_t v = out[0];
      ASSERT_NE(v, 0);
      for (size_t k = 0; k < out.size(); k += 997) ASSERT_EQ(out[k], v) << "torn frame";
      ASSERT_EQ(out.back(), v);
    }
    if (round % 50 == 25) {
      PSEyeStop();
      PSEyeStart(1);
    }
  }
  stop = true;
  feeder.join();
  EXPECT_GT(taken, 20);
  PSEyeStop();
  PSEyeDestroy();
  EXPECT_EQ(fake_usb::TransferMisuse(), 0);
  EXPECT_EQ(fake_usb::TransfersAllocated(), 0);
}
