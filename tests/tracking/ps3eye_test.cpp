// The camera driver against the fake libusb: register programming, frame assembly and its
// faults, the hand-off to the main thread, unplugging.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/allocation_count.h"
#include "tests/support/fake_libusb.h"
#include "tests/support/ps3eye_packets.h"
#include "tracking/ps3eye.h"
#include "tracking/ps3eye_glue.h"

using fake_usb::RegWrite;
using skyt_test::PacketFaults;
using skyt_test::PatternFrame;
using skyt_test::Ps3EyePacketiser;

namespace {

constexpr int kQvga = 320 * 240 * 2;

std::vector<RegWrite> Table(const ps3eye::RegPair* t, int n) {
  std::vector<RegWrite> v;
  for (int i = 0; i < n; ++i) v.push_back({t[i].reg, t[i].val});
  return v;
}

// Bridge writes other than the SCCB master's address, data and command registers.
std::vector<RegWrite> PlainBridgeWrites() {
  std::vector<RegWrite> v;
  for (const auto& w : fake_usb::BridgeWrites())
    if (w.reg != 0xf2 && w.reg != 0xf3 && w.reg != 0xf5) v.push_back(w);
  return v;
}

void Append(std::vector<RegWrite>& a, const std::vector<RegWrite>& b) {
  a.insert(a.end(), b.begin(), b.end());
}

class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PSEyeDestroy();
    fake_usb::Reset();
  }
  void TearDown() override {
    PSEyeDestroy();
    EXPECT_EQ(fake_usb::TransferMisuse(), 0);
    EXPECT_EQ(fake_usb::TransfersAllocated(), 0);
    fake_usb::Reset();
  }
  void StartQvga() {
    fake_usb::PlugCamera();
    ASSERT_EQ(PSEyeInit(), 0);
    PSEyeStart(1);
  }
  // Feeds the chunks and takes the frame the main thread then gets.
  bool Take(std::vector<uint8_t>& out) {
    EXPECT_TRUE(fake_usb::WaitFeedConsumed());
    bool is_new = false;
    EXPECT_TRUE(PSEyeGetFrame(out.data(), nullptr, &is_new));
    return is_new;
  }
  // Takes the next frame, which must be new and equal `expected`.
  void ExpectFrame(const std::vector<uint8_t>& expected) {
    std::vector<uint8_t> out(kQvga);
    ASSERT_TRUE(Take(out));
    EXPECT_EQ(out, expected);
  }
  Ps3EyePacketiser packets_;
};

TEST_F(CameraTest, NoCameraMeansInitFails) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(PSEyeInit(), 1);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("No devices connected."), std::string::npos);
  EXPECT_EQ(PSEyeFault(), CameraFault::kNotFound);
  EXPECT_FALSE(PSEyeIsWorking());
  std::vector<uint8_t> out(kQvga);
  EXPECT_FALSE(PSEyeGetFrame(out.data(), nullptr));
}

// A camera plugged in but refused (this user may not open it, another program holds it) says
// why, sends nothing, and opens at a later start once it is free.
TEST_F(CameraTest, RefusedCameraSaysWhyAndOpensAtALaterStart) {
  struct Case {
    int open_error, claim_error;
    CameraFault fault;
    const char* printed;
  } cases[] = {
      {LIBUSB_ERROR_ACCESS, 0, CameraFault::kNoAccess,
       "Warning: the PS3 Eye camera is plugged in but this user may not open it (access denied); "
       "run \"sudo bash tools/camera_access.sh\""},
      {0, LIBUSB_ERROR_BUSY, CameraFault::kBusy, "Warning: the PS3 Eye camera is in use by another program"},
      {LIBUSB_ERROR_NO_DEVICE, 0, CameraFault::kNotFound, "No devices connected."},  // gone while opening
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.printed);
    fake_usb::Reset();
    fake_usb::PlugCamera();
    fake_usb::SetOpenError(c.open_error);
    fake_usb::SetClaimError(c.claim_error);
    testing::internal::CaptureStdout();
    EXPECT_EQ(PSEyeInit(), 1);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find(c.printed), std::string::npos) << printed;
    EXPECT_EQ(PSEyeFault(), c.fault);
    EXPECT_FALSE(PSEyeIsWorking());
    PSEyeStart(1);
    PSEyeSetParameter(3, 10);
    EXPECT_TRUE(fake_usb::ControlLog().empty());

    fake_usb::SetOpenError(0);
    fake_usb::SetClaimError(0);
    EXPECT_EQ(PSEyeInit(), 0);
    EXPECT_EQ(PSEyeFault(), CameraFault::kNone);
    EXPECT_TRUE(PSEyeIsWorking());
    EXPECT_TRUE(fake_usb::InterfaceClaimed());
    PSEyeDestroy();
    EXPECT_FALSE(fake_usb::InterfaceClaimed()) << "the camera is given back";
  }
}

TEST_F(CameraTest, InitProgramsBridgeAndSensorFromTheTables) {
  fake_usb::PlugCamera();
  testing::internal::CaptureStdout();
  ASSERT_EQ(PSEyeInit(), 0);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("Sensor ID: 7721"), std::string::npos);
  EXPECT_TRUE(fake_usb::KernelDriverAutoDetach());
  EXPECT_TRUE(fake_usb::InterfaceClaimed());

  std::vector<RegWrite> sensor = {{0x12, 0x80}};
  Append(sensor, Table(ps3eye::ov772x_reg_initdata, 83));
  EXPECT_EQ(fake_usb::SensorWrites(), sensor);

  std::vector<RegWrite> bridge = {{0xe7, 0x3a}, {0xe0, 0x08}, {0xf1, 0x42}};
  Append(bridge, Table(ps3eye::ov534_reg_initdata, 50));
  // LED on, stream off, LED off: 0x21 holds 0xf0 from the table.
  Append(bridge, {{0x21, 0xf0}, {0x23, 0x80}, {0xe0, 0x09}, {0x21, 0xf0}, {0x23, 0x00}, {0x21, 0x70}});
  EXPECT_EQ(PlainBridgeWrites(), bridge);
}

// The camera's thread goes by its name in the system's lists of threads (top, a debugger).
TEST_F(CameraTest, TheCameraThreadIsNamed) {
  StartQvga();
  const auto named = [] {
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
      std::ifstream comm(task.path() / "comm");
      std::string name;
      if (std::getline(comm, name) && name == "camera") return true;
    }
    return false;
  };
  bool seen = named();
  for (int i = 0; i < 200 && !seen; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    seen = named();
  }
  EXPECT_TRUE(seen);
}

TEST_F(CameraTest, StartInTrackingModeWritesTheStartSequence) {
  fake_usb::PlugCamera();
  ASSERT_EQ(PSEyeInit(), 0);
  fake_usb::ClearLogs();
  PSEyeStart(1);

  std::vector<RegWrite> sensor = Table(ps3eye::sensor_start_qvga, 8);
  Append(sensor, {{0x11, 0x02}, {0x0d, 0x81},                 // 125 frames a second
                  {0x13, 0xf2}, {0x64, 0xff}, {0x63, 0xe0},  // no auto gain
                  {0x43, 0x80}, {0x42, 0x80}, {0x01, 0x8f}, {0x9b, 0x32}, {0x9c, 0x32},
                  {0x91, 0x00}, {0x8e, 0x00}, {0x0c, 0x90}});
  EXPECT_EQ(fake_usb::SensorWrites(), sensor);
  std::vector<RegWrite> bridge = Table(ps3eye::bridge_start_qvga, 9);
  Append(bridge, {{0xe5, 0x02}, {0x21, 0xf0}, {0x23, 0x80}, {0xe0, 0x00}});
  EXPECT_EQ(PlainBridgeWrites(), bridge);
  EXPECT_EQ(fake_usb::TransfersInFlight(), 2);

  // A second start while streaming changes nothing.
  fake_usb::ClearLogs();
  PSEyeStart(1);
  EXPECT_TRUE(fake_usb::ControlLog().empty());

  PSEyeStop();
  EXPECT_EQ(fake_usb::BridgeRegister(0xe0), 0x09);
  EXPECT_EQ(fake_usb::TransfersInFlight(), 0);
  EXPECT_EQ(fake_usb::TransfersAllocated(), 0);
  fake_usb::ClearLogs();
  PSEyeStop();  // not streaming: nothing
  EXPECT_TRUE(fake_usb::ControlLog().empty());

  // The colour view: VGA tables, 50 frames a second, automatic gain.
  PSEyeStart(0);
  std::vector<RegWrite> vga = Table(ps3eye::sensor_start_vga, 8);
  Append(vga, {{0x11, 0x01}, {0x0d, 0x41}, {0x13, 0xf2 | 0x07}});
  sensor = fake_usb::SensorWrites();
  ASSERT_GE(sensor.size(), vga.size());
  EXPECT_EQ(std::vector<RegWrite>(sensor.begin(), sensor.begin() + vga.size()), vga);
  // The sensor's window is the picture's size: register 0x18 counts 4 columns, 0x1a 2 rows.
  EXPECT_EQ(fake_usb::SensorRegister(0x18) * 4, 640);
  EXPECT_EQ(fake_usb::SensorRegister(0x1a) * 2, 480);
  int a = 0, b = 0;
  PSEyeGetVignette(&a, &b);
  EXPECT_EQ(a, 150);
  EXPECT_EQ(b, 190);
}

// The sensor's window (0x18 and 0x29 count 4 columns, 0x1a and 0x2c 2 rows) and the bridge's
// (0xc0 and 0xc1 count 8 pixels) are the picture's size once initialised and in either mode.
TEST_F(CameraTest, SensorAndBridgeWindowsAreThePictureSize) {
  fake_usb::PlugCamera();
  ASSERT_EQ(PSEyeInit(), 0);
  const struct {
    int mode, width, height;
  } rows[] = {{-1, 640, 480}, {1, 320, 240}, {0, 640, 480}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.mode);
    if (row.mode >= 0) {
      PSEyeStop();
      PSEyeStart(row.mode);
    }
    EXPECT_EQ(fake_usb::SensorRegister(0x18) * 4, row.width);
    EXPECT_EQ(fake_usb::SensorRegister(0x29) * 4, row.width);
    EXPECT_EQ(fake_usb::SensorRegister(0x1a) * 2, row.height);
    EXPECT_EQ(fake_usb::SensorRegister(0x2c) * 2, row.height);
    EXPECT_EQ(fake_usb::BridgeRegister(0xc0) * 8, row.width);
    EXPECT_EQ(fake_usb::BridgeRegister(0xc1) * 8, row.height);
  }
}

TEST_F(CameraTest, ResolutionAndFrameRateChoice) {
  fake_usb::PlugCamera();
  auto& cams = ps3eye::PS3EYECam::getDevices(true);
  ASSERT_EQ(cams.size(), 1u);
  ps3eye::PS3EYECam* cam = cams[0];
  ASSERT_TRUE(cam->init(320, 240, 125));
  EXPECT_EQ(cam->getWidth(), 320);
  EXPECT_EQ(cam->getFrameRate(), 125);
  ASSERT_TRUE(cam->init(0, 0, 10));
  EXPECT_EQ(cam->getWidth(), 640);
  EXPECT_EQ(cam->getFrameRate(), 15);
  ASSERT_TRUE(cam->init(321, 200, 60));
  EXPECT_EQ(cam->getHeight(), 480);
  ASSERT_TRUE(cam->init(320, 240, 10));
  EXPECT_EQ(cam->getFrameRate(), 30);

  fake_usb::ClearLogs();
  cam->ov534_set_frame_rate(20);  // QVGA: below every row ends on 30
  EXPECT_EQ(fake_usb::SensorWrites(), (std::vector<RegWrite>{{0x11, 0x04}, {0x0d, 0x41}}));
  EXPECT_EQ(fake_usb::BridgeRegister(0xe5), 0x04);
  fake_usb::ClearLogs();
  cam->ov534_set_frame_rate(99);
  EXPECT_EQ(fake_usb::SensorWrites(), (std::vector<RegWrite>{{0x11, 0x03}, {0x0d, 0xc1}}));
  PSEyeDestroy();
}

// Each frame rate the camera offers is chosen when asked for, and a rate between two offered
// ones rounds down to the slower; beyond the table's ends the fastest or the slowest is taken.
TEST_F(CameraTest, EveryOfferedFrameRateIsChosenAndOthersRoundDown) {
  fake_usb::PlugCamera();
  auto& cams = ps3eye::PS3EYECam::getDevices(true);
  ASSERT_EQ(cams.size(), 1u);
  ps3eye::PS3EYECam* cam = cams[0];
  struct Row {
    int width, asked, chosen;
  } rows[] = {
      {320, 200, 125}, {320, 125, 125}, {320, 124, 100}, {320, 100, 100}, {320, 99, 75},
      {320, 75, 75},   {320, 74, 60},   {320, 60, 60},   {320, 59, 50},   {320, 50, 50},
      {320, 49, 40},   {320, 40, 40},   {320, 39, 30},   {320, 30, 30},   {320, 1, 30},
      {640, 100, 60},  {640, 60, 60},   {640, 59, 50},   {640, 50, 50},   {640, 49, 40},
      {640, 40, 40},   {640, 39, 30},   {640, 30, 30},   {640, 29, 15},   {640, 15, 15},
      {640, 1, 15},
  };
  int width = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.width << " at " << row.asked);
    if (row.width != width) {
      ASSERT_TRUE(cam->init(width = row.width, row.width * 3 / 4, 125));
    }
    const std::span<const ps3eye::RateRow> table =
        row.width == 640 ? std::span<const ps3eye::RateRow>(ps3eye::rate_0) : ps3eye::rate_1;
    const ps3eye::RateRow* want = nullptr;
    for (const ps3eye::RateRow& rate : table)
      if (rate.fps == row.chosen) want = &rate;
    ASSERT_NE(want, nullptr) << "no row for " << row.chosen;
    fake_usb::ClearLogs();
    cam->ov534_set_frame_rate(row.asked);
    EXPECT_EQ(fake_usb::SensorWrites(), (std::vector<RegWrite>{{0x11, want->r11}, {0x0d, want->r0d}}));
    EXPECT_EQ(fake_usb::BridgeRegister(0xe5), want->re5);
  }
  PSEyeDestroy();
}

TEST_F(CameraTest, SccbStatusBusyIsRetriedSilentlyAndErrorsAreReported) {
  fake_usb::PlugCamera();
  auto& cams = ps3eye::PS3EYECam::getDevices(true);
  ASSERT_TRUE(cams[0]->init(320, 240, 125));
  fake_usb::ClearLogs();
  fake_usb::QueueSccbStatus({0x03, 0x03, 0x03, 0x03, 0x00});
  testing::internal::CaptureStdout();
  cams[0]->sccb_reg_write(0x55, 0x66);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(fake_usb::SensorRegister(0x55), 0x66);

  fake_usb::QueueSccbStatus({0x01, 0x03, 0x04});
  testing::internal::CaptureStdout();
  cams[0]->sccb_reg_write(0x55, 0x67);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "sccb status 0x01, attempt 1/5\nsccb_reg_write failed\n");
  fake_usb::QueueSccbStatus({0x01, 0x02, 0x05, 0x06, 0x07});
  EXPECT_FALSE(cams[0]->sccb_check_status());
  PSEyeDestroy();
}

TEST_F(CameraTest, GainAndExposure) {
  StartQvga();
  PSEyeSetParameter(3, 0x25);
  EXPECT_EQ(fake_usb::SensorRegister(0x00), 0x75);
  EXPECT_EQ(PSEyeGetParameter(3), 0x75);
  PSEyeSetParameter(3, 0x3f);
  EXPECT_EQ(fake_usb::SensorRegister(0x00), 0xff);
  PSEyeSetParameter(3, 0x07);
  EXPECT_EQ(fake_usb::SensorRegister(0x00), 0x07);
  PSEyeSetParameter(3, 0x1a);
  EXPECT_EQ(fake_usb::SensorRegister(0x00), 0x3a);
  PSEyeSetParameter(5, 0x1ff);
  EXPECT_EQ(fake_usb::SensorRegister(0x08), 0x01);
  EXPECT_EQ(fake_usb::SensorRegister(0x10), 0xff);
  EXPECT_EQ(PSEyeGetParameter(5), 0x1ff);
  EXPECT_EQ(PSEyeGetParameter(7), 0);
}

TEST_F(CameraTest, FramesArriveByteExactAndRepeatsAreReportedAsOld) {
  StartQvga();
  std::vector<uint8_t> out(kQvga, 0xee);
  for (uint32_t i = 1; i <= 3; ++i) {
    const auto f = PatternFrame(320, 240, i);
    fake_usb::Feed(packets_.Frame(f));
    ASSERT_TRUE(Take(out)) << i;
    ASSERT_EQ(out, f) << i;
  }
  // Nothing new: after the 20 ms wait the buffer is untouched and reported old.
  std::vector<uint8_t> before = out;
  bool is_new = true;
  EXPECT_TRUE(PSEyeGetFrame(out.data(), nullptr, &is_new));
  EXPECT_FALSE(is_new);
  EXPECT_EQ(out, before);
}

TEST_F(CameraTest, BrokenFramesAreNeverPublished) {
  StartQvga();
  const int last = Ps3EyePacketiser::PacketCount(kQvga) - 1;
  struct Case {
    const char* name;
    PacketFaults faults;
    int extra_bytes = 0;  // added to the frame's size
  };
  const Case cases[] = {
      {"dropped packet", {.drop = 10}},
      {"dropped end packet", {.drop = last}},
      {"duplicated packet", {.duplicate = 20}},
      {"cut packet", {.cut = 30}},
      {"packet shorter than its header", {.cut = 31, .cut_bytes = 2040}},
      {"bad header", {.bad_header = 40}},
      {"bad header on the first packet", {.bad_header = 0}},
      {"bad header on the end packet", {.bad_header = last}},
      {"error flag on the first packet", {.error_flag = 0}},
      // 76 packets, one cut to make exactly a whole frame, then an end packet that overflows it.
      {"end packet past a whole frame", {.cut = 30, .cut_bytes = 1136}, 1400},
  };
  uint32_t seed = 100;
  for (const Case& c : cases) {
    auto bad = PatternFrame(320, 240, seed++);
    bad.resize(bad.size() + c.extra_bytes, 0xEE);
    const auto good = PatternFrame(320, 240, seed++);
    fake_usb::Feed(packets_.Frame(bad, c.faults));
    fake_usb::Feed(packets_.Frame(good));
    std::vector<uint8_t> out(kQvga);
    ASSERT_TRUE(Take(out)) << c.name;
    EXPECT_EQ(out, good) << c.name;
  }
  // One byte short of a whole frame.
  std::vector<uint8_t> short_frame = PatternFrame(320, 240, 7);
  short_frame.pop_back();
  const auto good = PatternFrame(320, 240, 8);
  fake_usb::Feed(packets_.Frame(short_frame));
  fake_usb::Feed(packets_.Frame(good));
  std::vector<uint8_t> out(kQvga);
  ASSERT_TRUE(Take(out));
  EXPECT_EQ(out, good);
  bool is_new = true;
  PSEyeGetFrame(out.data(), nullptr, &is_new);
  EXPECT_FALSE(is_new);
}

TEST_F(CameraTest, AFrameWithoutItsEndFlagCompletesAtTheNextFrame) {
  StartQvga();
  const auto a = PatternFrame(320, 240, 1), b = PatternFrame(320, 240, 2),
             c = PatternFrame(320, 240, 3);
  PacketFaults no_end;
  no_end.no_end = true;
  fake_usb::Feed(packets_.Frame(a, no_end));
  EXPECT_TRUE(fake_usb::WaitFeedConsumed());
  std::vector<uint8_t> out(kQvga);
  bool is_new = true;
  PSEyeGetFrame(out.data(), nullptr, &is_new);
  EXPECT_FALSE(is_new);  // not complete yet
  fake_usb::Feed(packets_.Frame(b));
  ExpectFrame(a);
  // b was finished while a was still unread, so it was dropped; c arrives.
  fake_usb::Feed(packets_.Frame(c));
  ExpectFrame(c);
}

TEST_F(CameraTest, FramesFinishedWhileTheLastIsUnreadAreDropped) {
  StartQvga();
  const auto a = PatternFrame(320, 240, 1), b = PatternFrame(320, 240, 2),
             c = PatternFrame(320, 240, 3);
  fake_usb::Feed(packets_.Frame(a));
  fake_usb::Feed(packets_.Frame(b));
  ExpectFrame(a);
  fake_usb::Feed(packets_.Frame(c));
  ExpectFrame(c);
}

TEST_F(CameraTest, ColourViewIsConvertedInsideTheSpansOnly) {
  fake_usb::PlugCamera();
  ASSERT_EQ(PSEyeInit(), 0);
  PSEyeStart(0);
  std::vector<uint8_t> yuyv(640 * 480 * 2);
  for (size_t i = 0; i < yuyv.size(); i += 4) {
    yuyv[i] = 235;      // Y0: white
    yuyv[i + 1] = 128;  // U
    yuyv[i + 2] = 126;  // Y1
    yuyv[i + 3] = 128;  // V
  }
  static int spans[480][2];
  for (int y = 0; y < 480; ++y) spans[y][0] = 100, spans[y][1] = 540;
  fake_usb::Feed(packets_.Frame(yuyv));
  ASSERT_TRUE(fake_usb::WaitFeedConsumed());
  std::vector<uint8_t> rgb(640 * 480 * 3, 0x55);
  bool is_new = false;
  ASSERT_TRUE(PSEyeGetFrame(rgb.data(), spans, &is_new));
  ASSERT_TRUE(is_new);
  auto px = [&](int x, int y) { return &rgb[(size_t(y) * 640 + x) * 3]; };
  EXPECT_EQ(px(97, 10)[0], 0);    // 3 columns outside: black
  EXPECT_EQ(px(98, 10)[0], 255);  // 2 columns outside: converted
  EXPECT_EQ(px(99, 10)[1], 128);  // (298*126 - 4640) >> 8
  EXPECT_EQ(px(541, 10)[2], 128);
  EXPECT_EQ(px(542, 10)[0], 0);
}

// A colour frame longer than a whole one is dropped without a byte written past its buffer: the
// unread frame before it arrives whole.
TEST_F(CameraTest, AnOverlongColourFrameIsDroppedWithinItsBuffer) {
  fake_usb::PlugCamera();
  ASSERT_EQ(PSEyeInit(), 0);
  PSEyeStart(0);
  static int spans[480][2];
  for (int y = 0; y < 480; ++y) spans[y][0] = 0, spans[y][1] = 639;
  auto take = [&] {
    std::vector<uint8_t> rgb(640 * 480 * 3);
    bool is_new = false;
    EXPECT_TRUE(fake_usb::WaitFeedConsumed());
    EXPECT_TRUE(PSEyeGetFrame(rgb.data(), spans, &is_new));
    EXPECT_TRUE(is_new);
    return rgb;
  };
  const auto a = PatternFrame(640, 480, 1);
  std::vector<uint8_t> overlong = PatternFrame(640, 480, 2);
  overlong.resize(overlong.size() + 64 * 1024, 0xEE);
  fake_usb::Feed(packets_.Frame(a));
  fake_usb::Feed(packets_.Frame(overlong));
  const auto first = take();
  fake_usb::Feed(packets_.Frame(a));
  EXPECT_EQ(take(), first);
}

TEST_F(CameraTest, UnplugIsReportedAndEveryTransferEndsOnce) {
  StartQvga();
  const auto a = PatternFrame(320, 240, 1);
  fake_usb::Feed(packets_.Frame(a));
  std::vector<uint8_t> out(kQvga);
  ASSERT_TRUE(Take(out));
  fake_usb::Unplug();
  for (int i = 0; i < 200 && PSEyeIsWorking(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_FALSE(PSEyeIsWorking());
  EXPECT_FALSE(PSEyeGetFrame(out.data(), nullptr));
  EXPECT_EQ(fake_usb::TransfersInFlight(), 0);
  PSEyeStop();
  PSEyeDestroy();
  EXPECT_EQ(fake_usb::TransferMisuse(), 0);
  EXPECT_EQ(fake_usb::TransfersAllocated(), 0);

  // Plugged in again, the camera is found anew.
  fake_usb::PlugCamera();
  ASSERT_EQ(PSEyeInit(), 0);
  PSEyeStart(1);
  const auto b = PatternFrame(320, 240, 2);
  fake_usb::Feed(packets_.Frame(b));
  ASSERT_TRUE(Take(out));
  EXPECT_EQ(out, b);
}

TEST_F(CameraTest, AFailedResubmissionEndsTheStreamCleanly) {
  StartQvga();
  fake_usb::FailNextSubmit(LIBUSB_ERROR_IO);
  testing::internal::CaptureStdout();
  fake_usb::Feed(packets_.Frame(PatternFrame(320, 240, 1)));
  for (int i = 0; i < 200 && PSEyeIsWorking(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("error re-submitting URB"), std::string::npos);
  EXPECT_FALSE(PSEyeIsWorking());
  std::vector<uint8_t> out(kQvga);
  EXPECT_FALSE(PSEyeGetFrame(out.data(), nullptr));
  PSEyeStop();
  EXPECT_EQ(fake_usb::TransfersInFlight(), 0);
  EXPECT_EQ(fake_usb::TransferMisuse(), 0);
}

// A camera found, streaming and destroyed again gives back all it took: unplugging and plugging
// in again for hours does not grow the program.
TEST_F(CameraTest, ADestroyedCameraGivesBackAllItsMemory) {
  auto use_camera = [&] {
    fake_usb::PlugCamera();
    ASSERT_EQ(PSEyeInit(), 0);
    PSEyeStart(1);
    const auto a = PatternFrame(320, 240, 1);
    fake_usb::Feed(packets_.Frame(a));
    ExpectFrame(a);
    PSEyeStop();
    PSEyeDestroy();
    PSEyeStop();  // a stop after the camera is gone touches nothing of it
  };
  use_camera();  // the first use sets up the USB context for good
  const long live = skyt_test::LiveAllocations();
  use_camera();
  EXPECT_EQ(skyt_test::LiveAllocations(), live);
}

TEST_F(CameraTest, AFailedFirstSubmissionIsALostCamera) {
  fake_usb::PlugCamera();
  ASSERT_EQ(PSEyeInit(), 0);
  fake_usb::FailNextSubmit(LIBUSB_ERROR_NO_DEVICE);
  PSEyeStart(1);
  EXPECT_FALSE(PSEyeIsWorking());
  PSEyeStop();
  EXPECT_EQ(fake_usb::TransfersInFlight(), 0);
}

// Whichever transfer could not be set up, a failed start counts none in flight once its
// transfers are closed, so a stop does not wait its whole bounded time for one that never was.
TEST_F(CameraTest, AFailedStartLeavesNoTransferCountedInFlight) {
  const struct {
    const char* failure;
    void (*fail)();
  } rows[] = {
      {"allocation", [] { fake_usb::FailNextAlloc(); }},
      {"submission", [] { fake_usb::FailNextSubmit(LIBUSB_ERROR_IO); }},
  };
  fake_usb::PlugCamera();
  libusb_device** list = nullptr;
  ASSERT_EQ(libusb_get_device_list(ps3eye::USBMgr::instance()->context(), &list), 1);
  libusb_device_handle* handle = nullptr;
  ASSERT_EQ(libusb_open(list[0], &handle), 0);
  libusb_free_device_list(list, 1);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.failure);
    ps3eye::URBDesc urb;
    row.fail();
    EXPECT_FALSE(urb.start_transfers(handle));
    urb.close_transfers();
    EXPECT_EQ(urb.in_flight(), 0);
    EXPECT_TRUE(urb.failed());
  }
  libusb_close(handle);
}

}  // namespace
