// The PSEye functions: camera start and stop, gain and exposure, and taking frames on the
// main thread; the camera thread that pumps libusb events.
#include "tracking/ps3eye_glue.h"

#include <pthread.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "frame/frame_globals.h"
#include "tracking/ps3eye.h"

using ps3eye::PS3EYECam;

namespace {

ps3eye_context* ctx = nullptr;
CameraFault fault = CameraFault::kNone;

void ps3eye_cam_thread(ps3eye_context* context) {
  pthread_setname_np(pthread_self(), "camera");
  while (context->running.load(std::memory_order_acquire)) PS3EYECam::updateDevices();
}

inline uint8_t clip(int v) { return uint8_t(std::clamp(v, 0, 255)); }

inline void yuv_to_rgb(int y, int u, int v, uint8_t* rgb) {
  const int c = 298 * y - 4640;
  rgb[0] = clip((c + 409 * (v - 128)) >> 8);
  rgb[1] = clip((c - 100 * (u - 128) - 208 * (v - 128)) >> 8);
  rgb[2] = clip((c + 516 * (u - 128)) >> 8);
}

// A camera refused by the system tells more than one that went away while it was opened.
CameraFault FaultOf(const std::vector<PS3EYECam*>& cameras) {
  for (const PS3EYECam* cam : cameras) {
    if (cam->openError() == LIBUSB_ERROR_ACCESS) return CameraFault::kNoAccess;
    if (cam->openError() == LIBUSB_ERROR_BUSY) return CameraFault::kBusy;
  }
  return CameraFault::kNotFound;
}

void ReportFault(CameraFault f) {
  if (f == CameraFault::kNoAccess) {
    printf("Warning: the PS3 Eye camera is plugged in but this user may not open it (access denied); "
           "run \"sudo bash tools/camera_access.sh\" in Skytapper's folder, then start Skytapper again\n");
  } else if (f == CameraFault::kBusy) {
    printf("Warning: the PS3 Eye camera is in use by another program; close that program, then start "
           "Skytapper again\n");
  } else {
    printf("No devices connected.\n");
  }
}

}  // namespace

ps3eye_context::ps3eye_context(int width, int height, int fps) {
  devices = PS3EYECam::getDevices(false);
  for (PS3EYECam* cam : devices) {
    if (cam->init(width, height, fps)) {
      eye = cam;
      break;
    }
  }
}

ps3eye_context::~ps3eye_context() {
  running = false;
  if (thread.joinable()) thread.join();
}

int PSEyeInit() {
  if (ctx) return ctx->eye ? 0 : 1;
  ctx = new ps3eye_context(320, 240, kFramesPerSecond);
  fault = ctx->eye ? CameraFault::kNone : FaultOf(ctx->devices);
  if (!ctx->eye) {
    ReportFault(fault);
    PSEyeDestroy();
    return 1;
  }
  ps3eye::is_qvga = true;
  ps3eye::new_frame_h = CreateEvent(nullptr, false, false);
  if (!ps3eye::new_frame_h) {
    printf("CreateEvent failed (PS3 Eye)\n");
    PSEyeDestroy();
    return 1;
  }
  ctx->thread = std::thread(ps3eye_cam_thread, ctx);
  printf("PSEye initialized.\n");
  return 0;
}

CameraFault PSEyeFault() { return fault; }

bool PSEyeIsWorking() { return ctx && ctx->eye && !ctx->eye->streamFailed(); }

bool PSEyeIsLost() { return ctx && ctx->eye && ctx->eye->streamFailed(); }

int PSEyeStart(int mode) {
  if (ctx && ctx->eye) ctx->eye->start(mode);
  return 0;
}

void PSEyeStop() {
  if (ctx && ctx->eye && ctx->eye->isStreaming()) ctx->eye->stop();
  if (ps3eye::new_frame_h) ResetEvent(ps3eye::new_frame_h);
}

void PSEyeSetParameter(int id, int value) {
  if (!ctx || !ctx->eye) return;
  PS3EYECam* eye = ctx->eye;
  if (id == 3) {
    eye->gain = uint8_t(value);
    uint8_t v;
    switch (value & 0x30) {
      case 0x00:
        v = value & 0x0f;
        break;
      case 0x10:
        v = (value & 0x0f) | 0x30;
        break;
      case 0x20:
        v = (value & 0x0f) | 0x70;
        break;
      default:
        v = (value | 0xf0) & 0xff;
        break;
    }
    eye->sccb_reg_write(0x00, v);
  } else if (id == 5) {
    eye->sccb_reg_write(0x08, uint8_t((value >> 8) & 0xff));
    eye->sccb_reg_write(0x10, uint8_t(value & 0xff));
  }
}

int PSEyeGetParameter(int id) {
  if (!ctx || !ctx->eye) return 0;
  PS3EYECam* eye = ctx->eye;
  if (id == 3) return eye->sccb_reg_read(0x00);
  if (id == 5) return ((eye->sccb_reg_read(0x08) & 1) << 8) | eye->sccb_reg_read(0x10);
  return 0;
}

bool PSEyeGetFrame(uint8_t* out, const int (*spans)[2], bool* is_new) {
  if (is_new) *is_new = false;
  if (!ctx || !ctx->eye) return false;
  PS3EYECam* eye = ctx->eye;
  if (eye->streamFailed()) return false;  // unplugged or the stream broke
  if (!eye->isStreaming()) return true;
  if (WaitForSingleObject(ps3eye::new_frame_h, 20) != 0) return true;
  ResetEvent(ps3eye::new_frame_h);
  auto& frame = ps3eye::frame;
  if (frame.produced.load(std::memory_order_acquire) ==
      frame.consumed.load(std::memory_order_relaxed))
    return true;  // nothing published since the last frame taken
  const uint8_t* src = frame.last_frame.load(std::memory_order_acquire);
  const int w = eye->getWidth(), h = eye->getHeight();
  if (w == 320) {
    memcpy(out, src, size_t(w) * h * 2);
  } else {
    memset(out, 0, size_t(w) * h * 3);
    for (int y = 0; y < h; ++y) {
      const uint8_t* row = src + size_t(y) * w * 2;
      uint8_t* dst = out + size_t(y) * w * 3;
      const int x0 = spans ? std::max(spans[y][0] - 2, 0) : 0;
      const int x1 = spans ? std::min(spans[y][1] + 2, w - 1) : w;
      for (int x = x0; x < x1; ++x) {
        const int pair = (x & ~1) * 2;  // Y0 U Y1 V
        yuv_to_rgb(row[x * 2], row[pair + 1], row[pair + 3], dst + x * 3);
      }
    }
  }
  frame.consumed.fetch_add(1, std::memory_order_acq_rel);
  if (is_new) *is_new = true;
  return true;
}

void PSEyeGetVignette(int* a, int* b) {
  *a = ps3eye::vignette_a ? 150 : 0;
  *b = ps3eye::vignette_b ? 190 : 0;
}

void PSEyeDestroy() {
  if (!ctx) return;
  if (ctx->eye && ctx->eye->isStreaming()) ctx->eye->stop();
  ctx->running = false;
  if (ctx->thread.joinable()) ctx->thread.join();
  delete ctx;
  ctx = nullptr;
  for (PS3EYECam* cam : PS3EYECam::devices) delete cam;
  PS3EYECam::devices.clear();
  PS3EYECam::devicesEnumerated = false;
  if (ps3eye::new_frame_h) {
    CloseHandle(ps3eye::new_frame_h);
    ps3eye::new_frame_h = nullptr;
  }
}
