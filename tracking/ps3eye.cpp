// PS3 Eye driver: register access, camera life and bulk-stream frame assembly.
#include "tracking/ps3eye.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "frame/host_clock.h"

namespace ps3eye {

uint8_t* frame_one = nullptr;
uint8_t* frame_two = nullptr;
FrameState frame;
gspca_packet_type last_packet_type = DISCARD_PACKET;
HANDLE new_frame_h = nullptr;
int frame_width = 320, frame_height = 240;
bool is_qvga = true;
int mode_fps = 125;
bool vignette_a = false, vignette_b = false;

namespace {
constexpr uint8_t kVendorOut = 0x40;  // host to device, vendor request, device recipient
constexpr uint8_t kVendorIn = 0xC0;
int g_frame_buffer_users = 0;  // cameras sharing the two frame buffers

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
}  // namespace

// ---------------------------------------------------------------------------------------------
// USB context

USBMgr* USBMgr::sInstance = nullptr;
int USBMgr::sTotalDevices = 0;

USBMgr::USBMgr() {
  if (libusb_init(&usb_context_) != 0) {
    printf("libusb could not be initialised\n");
    usb_context_ = nullptr;
    return;
  }
  libusb_set_option(usb_context_, LIBUSB_OPTION_LOG_LEVEL, LIBUSB_LOG_LEVEL_ERROR);
}

USBMgr::~USBMgr() {
  if (usb_context_) libusb_exit(usb_context_);
}

USBMgr* USBMgr::instance() {
  if (!sInstance) sInstance = new USBMgr();
  return sInstance;
}

int USBMgr::listDevices(std::vector<PS3EYECam*>& list) {
  if (!usb_context_) return 0;
  libusb_device** devs = nullptr;
  ssize_t cnt = libusb_get_device_list(usb_context_, &devs);
  if (cnt < 0) {
    printf("Error Device scan\n");
    return 0;
  }
  int found = 0;
  for (ssize_t i = 0; i < cnt; ++i) {
    libusb_device_descriptor desc;
    if (libusb_get_device_descriptor(devs[i], &desc) != 0) continue;
    if (desc.idVendor == PS3EYECam::VENDOR_ID && desc.idProduct == PS3EYECam::PRODUCT_ID) {
      libusb_ref_device(devs[i]);
      list.push_back(new PS3EYECam(devs[i]));
      ++found;
    }
  }
  libusb_free_device_list(devs, 1);
  return found;
}

bool USBMgr::handleEvents() {
  if (!usb_context_) return false;
  // A bounded wait, so that the camera thread notices when it is asked to end.
  timeval tv{0, 100000};
  return libusb_handle_events_timeout_completed(usb_context_, &tv, nullptr) == 0;
}

// ---------------------------------------------------------------------------------------------
// Bulk transfers and frame assembly

URBDesc::URBDesc() { transfer_buffer_ = new uint8_t[2 * kTransferBytes](); }

URBDesc::~URBDesc() {
  close_transfers();
  delete[] transfer_buffer_;
}

bool URBDesc::start_transfers(libusb_device_handle* handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  closing_ = false;
  failed_ = false;
  memset(transfer_buffer_, 0, 2 * kTransferBytes);

  uint8_t endpoint = 0;
  libusb_config_descriptor* config = nullptr;
  if (libusb_get_active_config_descriptor(libusb_get_device(handle), &config) == 0 && config) {
    for (int i = 0; i < config->bNumInterfaces && !endpoint; ++i) {
      const libusb_interface& itf = config->interface[i];
      if (itf.num_altsetting < 1) continue;
      const libusb_interface_descriptor& alt = itf.altsetting[0];
      if (alt.bInterfaceNumber != 0) continue;
      for (int e = 0; e < alt.bNumEndpoints; ++e) {
        const libusb_endpoint_descriptor& ep = alt.endpoint[e];
        if ((ep.bmAttributes & 3) == LIBUSB_TRANSFER_TYPE_BULK && ep.wMaxPacketSize != 0) {
          endpoint = ep.bEndpointAddress;
          break;
        }
      }
    }
    libusb_free_config_descriptor(config);
  }
  libusb_clear_halt(handle, endpoint);

  last_pts_ = 0;
  last_fid_ = 0;
  last_publish_time_ = 0;
  num_active_ = 2;
  bool ok = true;
  for (int i = 0; i < 2; ++i) {
    libusb_transfer* t = libusb_alloc_transfer(0);
    if (!t) {
      --num_active_;
      ok = false;
      continue;
    }
    libusb_fill_bulk_transfer(t, handle, endpoint, transfer_buffer_ + i * kTransferBytes,
                              kTransferBytes, cb_xfr, this, 0);
    xfr_[i] = t;
    if (libusb_submit_transfer(t) < 0) {
      xfr_[i] = nullptr;
      libusb_free_transfer(t);
      --num_active_;
      ok = false;
    }
  }
  if (!ok) {
    failed_ = true;
    for (auto& t : xfr_)
      if (t) libusb_cancel_transfer(t);
    closing_ = true;
  }
  return ok;
}

// Called with mutex_ held: the transfer has delivered its last callback and is freed here,
// exactly once.
void URBDesc::transfer_ended(libusb_transfer* transfer) {
  for (auto& t : xfr_)
    if (t == transfer) t = nullptr;
  libusb_free_transfer(transfer);
  --num_active_;
}

void URBDesc::close_transfers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    for (auto& t : xfr_)
      if (t) libusb_cancel_transfer(t);
  }
  USBMgr* mgr = USBMgr::instance();
  // The camera thread may be pumping the same context; a bounded wait in case the device
  // stopped answering altogether.
  for (int i = 0; i < 100 && num_active_ > 0; ++i) {
    timeval tv{0, 20000};
    if (mgr->context()) libusb_handle_events_timeout_completed(mgr->context(), &tv, nullptr);
  }
}

void LIBUSB_CALL URBDesc::cb_xfr(libusb_transfer* transfer) {
  URBDesc* urb = static_cast<URBDesc*>(transfer->user_data);
  if (transfer->status == LIBUSB_TRANSFER_COMPLETED) {
    urb->fill_frames(transfer->buffer, transfer->actual_length);
    std::lock_guard<std::mutex> lock(urb->mutex_);
    if (urb->closing_) {
      urb->transfer_ended(transfer);
    } else if (libusb_submit_transfer(transfer) < 0) {
      printf("error re-submitting URB\n");
      urb->failed_ = true;
      urb->closing_ = true;
      urb->transfer_ended(transfer);
      for (auto& t : urb->xfr_)
        if (t) libusb_cancel_transfer(t);
    }
    return;
  }
  std::lock_guard<std::mutex> lock(urb->mutex_);
  bool cancelled = transfer->status == LIBUSB_TRANSFER_CANCELLED;
  if (!cancelled) printf("transfer status %d\n", transfer->status);
  urb->transfer_ended(transfer);
  if (!cancelled && !urb->closing_) {
    // The stream is broken (device gone, stall, error): end the other transfer too.
    urb->failed_ = true;
    urb->closing_ = true;
    for (auto& t : urb->xfr_)
      if (t) libusb_cancel_transfer(t);
  }
}

void URBDesc::end_frame() {
  frame.size = frame.cursor - frame.write_buffer;
  if (frame.size != 320 * 240 * 2 && frame.size != 640 * 480 * 2) return;
  if (frame.produced.load(std::memory_order_acquire) !=
      frame.consumed.load(std::memory_order_acquire))
    return;  // the main thread still reads the previous one: refill this buffer
  uint8_t* done = frame.write_buffer;
  frame.write_buffer = (done == frame_one) ? frame_two : frame_one;
  frame.cursor = frame.write_buffer;
  frame.last_frame.store(done, std::memory_order_release);
  frame.produced.fetch_add(1, std::memory_order_acq_rel);
  last_publish_time_ = HostTimeNanos() * 1e-9;
  if (!SetEvent(new_frame_h)) printf("SetEvent failed in PS3 Eye thread\n");
}

void URBDesc::frame_add(gspca_packet_type type, const uint8_t* data, int length) {
  if (type == FIRST_PACKET) {
    frame.cursor = frame.write_buffer;
  } else if (last_packet_type == DISCARD_PACKET) {
    if (type == LAST_PACKET) last_packet_type = LAST_PACKET;
    return;
  }
  if (length > 0) {
    if (frame.cursor - frame.write_buffer + length > frame_width * frame_height * 2) {
      last_packet_type = DISCARD_PACKET;
      return;
    }
    memcpy(frame.cursor, data, length);
    frame.cursor += length;
  }
  last_packet_type = type;
  if (type == LAST_PACKET) end_frame();
}

void URBDesc::fill_frames(const uint8_t* data, int length) {
  const int max_frame = frame_width * frame_height * 2;
  while (length > 0) {
    const int len = std::min(length, kPacketBytes);
    const uint8_t* packet = data;
    data += len;
    length -= len;
    if (len < kHeaderBytes || packet[0] != kHeaderBytes) {
      last_packet_type = DISCARD_PACKET;
      continue;
    }
    const uint8_t flags = packet[1];
    if ((flags & (UVC_STREAM_ERR | UVC_STREAM_PTS)) != UVC_STREAM_PTS) {
      last_packet_type = DISCARD_PACKET;
      continue;
    }
    const uint32_t pts = uint32_t(packet[2]) | uint32_t(packet[3]) << 8 |
                         uint32_t(packet[4]) << 16 | uint32_t(packet[5]) << 24;
    const uint16_t fid = flags & UVC_STREAM_FID;
    const uint8_t* payload = packet + kHeaderBytes;
    const int p = len - kHeaderBytes;

    if (pts != last_pts_ || fid != last_fid_) {
      if (last_packet_type == INTER_PACKET) frame_add(LAST_PACKET, nullptr, 0);
      last_pts_ = pts;
      last_fid_ = fid;
      frame.cursor = frame.write_buffer;
      if (p > max_frame) {
        last_packet_type = DISCARD_PACKET;
        continue;
      }
      if (p >= 1) {
        memcpy(frame.cursor, payload, p);
        frame.cursor += p;
      }
      last_packet_type = FIRST_PACKET;
    } else if (flags & UVC_STREAM_EOF) {
      last_pts_ = 0;
      frame_add(LAST_PACKET, payload, p);
    } else if (last_packet_type != DISCARD_PACKET) {
      if (p >= 1) {
        if (frame.cursor - frame.write_buffer + p > max_frame) {
          last_packet_type = DISCARD_PACKET;
          continue;
        }
        memcpy(frame.cursor, payload, p);
        frame.cursor += p;
      }
      last_packet_type = INTER_PACKET;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Camera

std::vector<PS3EYECam*>& PS3EYECam::devices = *new std::vector<PS3EYECam*>();
bool PS3EYECam::devicesEnumerated = false;

PS3EYECam::PS3EYECam(libusb_device* device) : mgr_(USBMgr::instance()), device_(device) {
  if (g_frame_buffer_users++ == 0) {
    frame_one = new uint8_t[kFrameBufferBytes]();
    frame_two = new uint8_t[kFrameBufferBytes]();
  }
}

PS3EYECam::~PS3EYECam() {
  stop();
  release();
  if (--g_frame_buffer_users == 0) {
    frame.last_frame = nullptr;
    frame.write_buffer = frame.cursor = nullptr;
    delete[] frame_one;
    delete[] frame_two;
    frame_one = frame_two = nullptr;
  }
}

std::vector<PS3EYECam*>& PS3EYECam::getDevices(bool refresh) {
  if (!devicesEnumerated || refresh) {
    for (PS3EYECam* cam : devices) delete cam;
    devices.clear();
    USBMgr::sTotalDevices = USBMgr::instance()->listDevices(devices);
    devicesEnumerated = true;
  }
  return devices;
}

bool PS3EYECam::updateDevices() { return USBMgr::instance()->handleEvents(); }

bool PS3EYECam::open_usb() {
  int res = libusb_open(device_, &handle_);
  open_error_ = res;
  if (res != 0) {
    printf("device open error: %d\n", res);
    handle_ = nullptr;
    return false;
  }
  // The kernel's own camera driver may hold the interface: let libusb detach it.
  libusb_set_auto_detach_kernel_driver(handle_, 1);
  res = libusb_claim_interface(handle_, 0);
  open_error_ = res;
  if (res != 0) {
    printf("device claim interface error: %d\n", res);
    libusb_close(handle_);
    handle_ = nullptr;
    return false;
  }
  return true;
}

void PS3EYECam::close_usb() {
  if (!handle_) return;
  libusb_release_interface(handle_, 0);
  libusb_close(handle_);
  handle_ = nullptr;
}

void PS3EYECam::release() {
  close_usb();
  if (device_) libusb_unref_device(device_);
  device_ = nullptr;
  delete[] usb_buf_;
  usb_buf_ = nullptr;
}

bool PS3EYECam::init(int width, int height, int fps) {
  if (!handle_ && (!device_ || !open_usb())) return false;
  if (!usb_buf_) usb_buf_ = new uint8_t[64]();
  device_gone_ = false;

  if ((width == 0 && height == 0) || width > 320 || height >= 241) {
    frame_width = 640;
    frame_height = 480;
    fps = std::max(fps, 15);
  } else {
    frame_width = 320;
    frame_height = 240;
    fps = std::max(fps, 30);
  }
  is_qvga = frame_width == 320;
  frame_rate_ = uint8_t(std::min(fps, 255));

  ov534_reg_write(0xe7, 0x3a);
  ov534_reg_write(0xe0, 0x08);
  Sleep(100);
  ov534_reg_write(0xf1, 0x42);
  sccb_reg_write(0x12, 0x80);  // sensor reset
  Sleep(10);

  uint16_t sensor_id = 0;
  sccb_reg_read(0x0a);
  sensor_id = uint16_t(sccb_reg_read(0x0a) << 8);
  sccb_reg_read(0x0b);
  sensor_id |= sccb_reg_read(0x0b);
  printf("Sensor ID: %04x\n", sensor_id);

  reg_w_array(ov534_reg_initdata, 50);
  ov534_set_led(true);
  sccb_w_array(ov772x_reg_initdata, 83);
  ov534_reg_write(0xe0, 0x09);  // stream off
  ov534_set_led(false);
  // Transfers that fail are only reported, but a device that went away is no camera.
  return !device_gone_;
}

void PS3EYECam::start(int mode) {
  if (is_streaming_ || !handle_) return;
  const bool known = mode == 0 || mode == 1;
  if (mode == 1) {
    frame_width = 320;
    frame_height = 240;
    frame_rate_ = 125;
  } else if (mode == 0) {
    frame_width = 640;
    frame_height = 480;
    frame_rate_ = 50;
  }
  if (known) {
    is_qvga = frame_width == 320;
    mode_fps = frame_rate_;
    vignette_a = vignette_b = true;
  }
  if (frame_width == 320) {
    reg_w_array(bridge_start_qvga, 9);
    sccb_w_array(sensor_start_qvga, 8);
  } else {
    reg_w_array(bridge_start_vga, 9);
    sccb_w_array(sensor_start_vga, 8);
  }
  ov534_set_frame_rate(frame_rate_);
  if (known) {
    if (frame_width == 320)
      pseye_noautogain_noaec_awb();
    else
      pseye_autogain_aec_awb();
  }
  reg43_ = 0x80;
  reg42_ = 0x80;
  reg01_ = 0x8f;
  reg9b_ = 0x32;
  reg9c_ = 0x32;
  reg91_ = 0x00;
  sccb_reg_write(0x43, reg43_);
  sccb_reg_write(0x42, reg42_);
  sccb_reg_write(0x01, reg01_);
  sccb_reg_write(0x9b, reg9b_);
  sccb_reg_write(0x9c, reg9c_);
  sccb_reg_write(0x91, reg91_);
  sccb_reg_write(0x8e, reg91_);
  sccb_reg_write(0x0c, (sccb_reg_read(0x0c) & 0x3f) | 0x80);
  reg0c_flag_ = 1;
  ov534_set_led(true);
  ov534_reg_write(0xe0, 0x00);  // stream on

  frame.write_buffer = frame.cursor = frame_one;
  memset(frame_two, 0, size_t(frame_width) * frame_height * 2);
  frame.last_frame = frame_two;
  frame.size = 0;
  frame.produced = 0;
  frame.consumed = 0;
  last_packet_type = DISCARD_PACKET;
  urb_.start_transfers(handle_);
  counter_ = 0;
  is_streaming_ = true;
}

void PS3EYECam::stop() {
  if (!is_streaming_) return;
  ov534_reg_write(0xe0, 0x09);
  ov534_set_led(false);
  urb_.close_transfers();
  is_streaming_ = false;
}

void PS3EYECam::ov534_set_led(bool on) {
  ov534_reg_write(0x21, ov534_reg_read(0x21) | 0x80);
  uint8_t data = ov534_reg_read(0x23);
  data = on ? (data | 0x80) : (data & 0x7f);
  ov534_reg_write(0x23, data);
  if (!on) ov534_reg_write(0x21, ov534_reg_read(0x21) & 0x7f);
}

void PS3EYECam::ov534_set_frame_rate(int fps) {
  const RateRow* rows = frame_width == 640 ? rate_0 : rate_1;
  const int n = frame_width == 640 ? 4 : 6;
  int i = 0;
  while (i < n && rows[i].fps > fps) ++i;
  sccb_reg_write(0x11, rows[i].r11);
  sccb_reg_write(0x0d, rows[i].r0d);
  ov534_reg_write(0xe5, rows[i].re5);
}

void PS3EYECam::pseye_noautogain_noaec_awb() {
  sccb_reg_write(0x13, sccb_reg_read(0x13) & 0xf2);
  sccb_reg_write(0x64, sccb_reg_read(0x64) | 0x03);
  sccb_reg_write(0x63, 0xe0);
}

void PS3EYECam::pseye_autogain_aec_awb() {
  sccb_reg_write(0x13, sccb_reg_read(0x13) | 0x07);
  sccb_reg_write(0x64, sccb_reg_read(0x64) | 0x03);
  sccb_reg_write(0x63, 0xe0);
}

void PS3EYECam::ov534_reg_write(uint16_t reg, uint8_t val) {
  int ret = LIBUSB_ERROR_NO_DEVICE;
  if (handle_ && usb_buf_) {
    usb_buf_[0] = val;
    ret = libusb_control_transfer(
        handle_, kVendorOut, 0x01,
        0x00, reg, usb_buf_, 1, 500);
  }
  if (ret < 0) {
    printf("write failed\n");
    if (ret == LIBUSB_ERROR_NO_DEVICE) device_gone_ = true;
  }
}

uint8_t PS3EYECam::ov534_reg_read(uint16_t reg) {
  if (!handle_ || !usb_buf_) {
    printf("read failed\n");
    device_gone_ = true;
    return 0;
  }
  int ret = libusb_control_transfer(
      handle_, kVendorIn, 0x01,
      0x00, reg, usb_buf_, 1, 500);
  if (ret < 0) {
    printf("read failed\n");
    if (ret == LIBUSB_ERROR_NO_DEVICE) device_gone_ = true;
  }
  return usb_buf_[0];
}

bool PS3EYECam::sccb_check_status() {
  for (int i = 0; i < 5; ++i) {
    uint8_t data = ov534_reg_read(0xf6);
    switch (data) {
      case 0x00:
        return true;
      case 0x04:
        return false;
      case 0x03:
        break;
      default:
        printf("sccb status 0x%02x, attempt %d/5\n", data, i + 1);
    }
  }
  return false;
}

void PS3EYECam::sccb_reg_write(uint8_t reg, uint8_t val) {
  ov534_reg_write(0xf2, reg);
  ov534_reg_write(0xf3, val);
  ov534_reg_write(0xf5, 0x37);
  if (!sccb_check_status()) printf("sccb_reg_write failed\n");
}

uint8_t PS3EYECam::sccb_reg_read(uint16_t reg) {
  ov534_reg_write(0xf2, uint8_t(reg));
  ov534_reg_write(0xf5, 0x33);
  if (!sccb_check_status()) printf("sccb_reg_read failed 1\n");
  ov534_reg_write(0xf5, 0xf9);
  if (!sccb_check_status()) printf("sccb_reg_read failed 2\n");
  return ov534_reg_read(0xf4);
}

void PS3EYECam::reg_w_array(const RegPair* data, int len) {
  for (int i = 0; i < len; ++i) ov534_reg_write(data[i].reg, data[i].val);
}

void PS3EYECam::sccb_w_array(const RegPair* data, int len) {
  for (int i = 0; i < len; ++i) {
    if (data[i].reg != 0xff) {
      sccb_reg_write(data[i].reg, data[i].val);
    } else {
      sccb_reg_read(data[i].val);
      sccb_reg_write(0xff, 0x00);
    }
  }
}

}  // namespace ps3eye
