// Driver of the PS3 Eye (OV534 USB bridge, OV772x sensor) over libusb-1.0: register access,
// start and stop, and the assembly of the bulk stream into frames on the camera thread.
#pragma once
#include <libusb-1.0/libusb.h>

#include <atomic>
#include <mutex>
#include <cstdint>
#include <thread>
#include <vector>

#include "frame/events.h"

namespace ps3eye {

constexpr int kFrameBufferBytes = 640 * 480 * 2;  // one VGA YUYV frame
constexpr int kTransferBytes = 16384;             // one bulk transfer
constexpr int kPacketBytes = 2048;
constexpr int kHeaderBytes = 12;

// Packet header flags.
constexpr uint8_t UVC_STREAM_FID = 0x01;
constexpr uint8_t UVC_STREAM_EOF = 0x02;
constexpr uint8_t UVC_STREAM_PTS = 0x04;
constexpr uint8_t UVC_STREAM_ERR = 0x40;

enum gspca_packet_type { DISCARD_PACKET = 0, FIRST_PACKET = 1, INTER_PACKET = 2, LAST_PACKET = 3 };

struct RegPair {
  uint8_t reg;
  uint8_t val;
};
extern const RegPair ov534_reg_initdata[50];
extern const RegPair ov772x_reg_initdata[83];
extern const RegPair bridge_start_qvga[9];
extern const RegPair bridge_start_vga[9];
extern const RegPair sensor_start_qvga[8];
extern const RegPair sensor_start_vga[8];
struct RateRow {
  uint8_t fps, r11, r0d, re5;
};
extern const RateRow rate_0[5];
extern const RateRow rate_1[7];

// The two frame buffers; the camera thread fills one while the main thread reads the other.
extern uint8_t* frame_one;
extern uint8_t* frame_two;

// Frame hand-off between the camera thread (producer) and the main thread (consumer). The
// producer publishes a frame only when produced == consumed; the consumer copies the last
// frame and then counts it consumed.
struct FrameState {
  uint8_t* write_buffer = nullptr;  // camera thread only while streaming
  uint8_t* cursor = nullptr;
  std::atomic<uint8_t*> last_frame{nullptr};
  int64_t size = 0;
  std::atomic<int64_t> produced{0};
  std::atomic<int64_t> consumed{0};
};
extern FrameState frame;
extern gspca_packet_type last_packet_type;
extern HANDLE new_frame_h;

// Current mode, set by PS3EYECam::start before the transfers run.
extern int frame_width, frame_height;
extern bool is_qvga;
extern int mode_fps;
extern bool vignette_a, vignette_b;

class USBMgr {
 public:
  static USBMgr* instance();
  ~USBMgr();
  libusb_context* context() const { return usb_context_; }
  int listDevices(std::vector<class PS3EYECam*>& list);
  bool handleEvents();
  static USBMgr* sInstance;
  static int sTotalDevices;

 private:
  USBMgr();
  libusb_context* usb_context_ = nullptr;
};

// The two bulk transfers in flight and the assembly of their data into frames.
class URBDesc {
 public:
  URBDesc();
  ~URBDesc();
  bool start_transfers(libusb_device_handle* handle);
  // Cancels the transfers still in flight and waits until each has ended.
  void close_transfers();
  void fill_frames(const uint8_t* data, int length);
  void frame_add(gspca_packet_type type, const uint8_t* data, int length);
  // Completion callback of both transfers (camera thread).
  static void LIBUSB_CALL cb_xfr(libusb_transfer* transfer);

  int in_flight() const { return num_active_.load(); }
  // The stream ended by an error other than a cancellation (unplug, stall, failed resubmit).
  bool failed() const { return failed_.load(); }
  double last_publish_time() const { return last_publish_time_.load(); }

 private:
  void end_frame();
  void transfer_ended(libusb_transfer* transfer);

  std::atomic<int> num_active_{0};
  uint32_t last_pts_ = 0;
  uint16_t last_fid_ = 0;
  std::atomic<libusb_transfer*> xfr_[2] = {nullptr, nullptr};
  uint8_t* transfer_buffer_ = nullptr;  // 2 x 16384 bytes
  std::atomic<double> last_publish_time_{0};
  std::atomic<bool> failed_{false};
  bool closing_ = false;  // under mutex_: no resubmission, the transfers are ending
  std::mutex mutex_;      // orders resubmission against cancellation
};

class PS3EYECam {
 public:
  static constexpr uint16_t VENDOR_ID = 0x1415;
  static constexpr uint16_t PRODUCT_ID = 0x2000;

  explicit PS3EYECam(libusb_device* device);
  ~PS3EYECam();
  PS3EYECam(const PS3EYECam&) = delete;
  PS3EYECam& operator=(const PS3EYECam&) = delete;

  static std::vector<PS3EYECam*>& getDevices(bool refresh = false);
  static bool updateDevices();

  bool init(int width, int height, int fps);
  void start(int mode);
  void stop();
  bool isStreaming() const { return is_streaming_; }
  bool isOpen() const { return handle_ != nullptr; }
  // The libusb error of the last failed open or claim (LIBUSB_ERROR_ACCESS: this user may not
  // open the device; LIBUSB_ERROR_BUSY: another program holds it); 0 once opened.
  int openError() const { return open_error_; }
  // The stream died (device gone or transfer error).
  bool streamFailed() const { return urb_.failed(); }
  int getFrameRate() const { return frame_rate_; }
  int getWidth() const { return frame_width; }
  int getHeight() const { return frame_height; }
  const uint8_t* getLastFramePointer() const { return frame.last_frame.load(); }

  void ov534_set_led(bool on);
  void ov534_set_frame_rate(int fps);
  void pseye_noautogain_noaec_awb();
  void pseye_autogain_aec_awb();
  void release();

  void ov534_reg_write(uint16_t reg, uint8_t val);
  uint8_t ov534_reg_read(uint16_t reg);
  bool sccb_check_status();
  void sccb_reg_write(uint8_t reg, uint8_t val);
  uint8_t sccb_reg_read(uint16_t reg);
  void reg_w_array(const RegPair* data, int len);
  void sccb_w_array(const RegPair* data, int len);

  uint8_t gain = 20;  // kept by PSEyeSetParameter(3, ...)

  // Never destroyed: the global camera front end releases the cameras at exit.
  static std::vector<PS3EYECam*>& devices;
  static bool devicesEnumerated;

 private:
  bool open_usb();
  void close_usb();

  uint8_t flag_ = 0;
  uint32_t value120_ = 120;
  uint8_t reg91_ = 0, reg01_ = 0x8f, extra_ = 0, reg9b_ = 0x14, reg9c_ = 0x25, reg42_ = 0x80,
          reg43_ = 0x80, reg0c_flag_ = 0;
  bool is_streaming_ = false;
  USBMgr* mgr_;
  uint8_t frame_rate_ = 0;
  uint32_t counter_ = 0;
  libusb_device* device_;
  libusb_device_handle* handle_ = nullptr;
  int open_error_ = 0;
  uint8_t* usb_buf_ = nullptr;  // 64 bytes for control transfers
  URBDesc urb_;
  bool device_gone_ = false;  // a control transfer found no device
};

}  // namespace ps3eye

// The cameras found and the one in use, and the camera thread that pumps libusb events.
struct ps3eye_context {
  ps3eye_context(int width, int height, int fps);
  ~ps3eye_context();
  std::vector<ps3eye::PS3EYECam*> devices;
  ps3eye::PS3EYECam* eye = nullptr;  // the first camera found whose init succeeded
  std::atomic<bool> running{true};
  std::thread thread;
};
