// A fake libusb-1.0 for tests: the same function names as the real library, defined in the test
// executable so that they take precedence over it. It emulates one PS3 Eye (OV534 bridge
// registers, the OV772x sensor behind the bridge's SCCB master) and completes bulk transfers
// from a feed of payloads. Callbacks run inside libusb_handle_events*, one thread at a time,
// as with the real library.
#include <libusb-1.0/libusb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <condition_variable>
#include <cstdarg>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <utility>

#include "tests/support/fake_libusb.h"

struct libusb_context {
  int dummy = 0;
};
struct libusb_device {
  int refs = 1;
};
struct libusb_device_handle {
  libusb_device* device = nullptr;
};

namespace {

struct State {
  std::mutex mutex;
  std::condition_variable changed;
  bool handling_events = false;  // one thread handles events at a time
  bool present = false;
  bool unplugged = false;
  int open_error = 0, claim_error = 0, init_error = 0, submit_error = 0;
  bool alloc_fails = false;  // the next transfer allocation fails (once)
  bool auto_detach = false;
  bool claimed = false;
  uint8_t bridge[256] = {};
  uint8_t sensor[256] = {};
  std::deque<uint8_t> sccb_status;
  std::vector<fake_usb::ControlTransfer> log;
  std::vector<fake_usb::RegWrite> sensor_writes;
  std::deque<std::vector<uint8_t>> feed;
  std::set<libusb_transfer*> allocated;
  std::deque<libusb_transfer*> flying;
  std::set<libusb_transfer*> cancel_requested;
  int callbacks_running = 0;
  int misuse = 0;
  libusb_device device;
  libusb_device_handle handle;
  libusb_context context;
};

State& S() {
  static State* s = new State();  // never destroyed: threads may still call in at exit
  return *s;
}

// The error code one of the calls is to return from now on.
void SetError(int State::*error, int e) {
  std::lock_guard<std::mutex> lock(S().mutex);
  S().*error = e;
}

void SensorReset(State& s) {
  memset(s.sensor, 0, sizeof s.sensor);
  s.sensor[0x0a] = 0x77;  // product id of the OV772x
  s.sensor[0x0b] = 0x21;
  s.sensor[0x13] = 0xe7;
  s.sensor[0x64] = 0x00;
  s.sensor[0x0c] = 0x10;
}

void BridgeWrite(State& s, uint8_t reg, uint8_t val) {
  s.bridge[reg] = val;
  if (reg == 0xf5) {
    const uint8_t addr = s.bridge[0xf2];
    if (val == 0x37) {  // SCCB write
      s.sensor_writes.push_back({addr, s.bridge[0xf3]});
      if (addr == 0x12 && (s.bridge[0xf3] & 0x80)) {
        SensorReset(s);
      } else {
        s.sensor[addr] = s.bridge[0xf3];
      }
    } else if (val == 0xf9) {  // SCCB read, second phase
      s.bridge[0xf4] = s.sensor[addr];
    }
  }
}

uint8_t BridgeRead(State& s, uint8_t reg) {
  if (reg == 0xf6) {
    if (s.sccb_status.empty()) return 0x00;
    uint8_t v = s.sccb_status.front();
    s.sccb_status.pop_front();
    return v;
  }
  return s.bridge[reg];
}

const libusb_endpoint_descriptor kEndpoints[] = {
    {LIBUSB_DT_ENDPOINT_SIZE, LIBUSB_DT_ENDPOINT, 0x81, LIBUSB_TRANSFER_TYPE_INTERRUPT, 16, 10, 0, 0,
     nullptr, 0},
    {LIBUSB_DT_ENDPOINT_SIZE, LIBUSB_DT_ENDPOINT, 0x82, LIBUSB_TRANSFER_TYPE_BULK, 0, 0, 0, 0,
     nullptr, 0},
    {LIBUSB_DT_ENDPOINT_SIZE, LIBUSB_DT_ENDPOINT, 0x83, LIBUSB_TRANSFER_TYPE_BULK, 512, 0, 0, 0,
     nullptr, 0},
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Control of the fake

namespace fake_usb {

void Reset() {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.present = false;
  s.unplugged = false;
  s.open_error = s.claim_error = s.init_error = s.submit_error = 0;
  s.alloc_fails = false;
  s.auto_detach = false;
  s.claimed = false;
  memset(s.bridge, 0, sizeof s.bridge);
  SensorReset(s);
  s.sccb_status.clear();
  s.log.clear();
  s.sensor_writes.clear();
  s.feed.clear();
  s.misuse = 0;
}

void PlugCamera() {
  std::lock_guard<std::mutex> lock(S().mutex);
  S().present = true;
  S().unplugged = false;
}

void Unplug() {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.unplugged = true;
  s.present = false;
  s.changed.notify_all();
}

void SetOpenError(int e) { SetError(&State::open_error, e); }
void SetClaimError(int e) { SetError(&State::claim_error, e); }
void SetInitError(int e) { SetError(&State::init_error, e); }
void FailNextSubmit(int e) { SetError(&State::submit_error, e); }
void FailNextAlloc() {
  std::lock_guard<std::mutex> lock(S().mutex);
  S().alloc_fails = true;
}
void QueueSccbStatus(const std::vector<uint8_t>& statuses) {
  std::lock_guard<std::mutex> lock(S().mutex);
  for (uint8_t v : statuses) S().sccb_status.push_back(v);
}

std::vector<ControlTransfer> ControlLog() {
  std::lock_guard<std::mutex> lock(S().mutex);
  return S().log;
}

std::vector<RegWrite> BridgeWrites() {
  std::lock_guard<std::mutex> lock(S().mutex);
  std::vector<RegWrite> out;
  for (const auto& c : S().log)
    if (c.request_type == 0x40) out.push_back({uint8_t(c.index), c.data});
  return out;
}

std::vector<RegWrite> SensorWrites() {
  std::lock_guard<std::mutex> lock(S().mutex);
  return S().sensor_writes;
}

void ClearLogs() {
  std::lock_guard<std::mutex> lock(S().mutex);
  S().log.clear();
  S().sensor_writes.clear();
}

uint8_t BridgeRegister(uint8_t reg) {
  std::lock_guard<std::mutex> lock(S().mutex);
  return S().bridge[reg];
}
uint8_t SensorRegister(uint8_t reg) {
  std::lock_guard<std::mutex> lock(S().mutex);
  return S().sensor[reg];
}
void SetSensorRegister(uint8_t reg, uint8_t val) {
  std::lock_guard<std::mutex> lock(S().mutex);
  S().sensor[reg] = val;
}
bool KernelDriverAutoDetach() {
  std::lock_guard<std::mutex> lock(S().mutex);
  return S().auto_detach;
}
bool InterfaceClaimed() {
  std::lock_guard<std::mutex> lock(S().mutex);
  return S().claimed;
}

void Feed(const std::vector<uint8_t>& chunk) {
  std::lock_guard<std::mutex> lock(S().mutex);
  S().feed.push_back(chunk);
  S().changed.notify_all();
}

void Feed(const std::vector<std::vector<uint8_t>>& chunks) {
  std::lock_guard<std::mutex> lock(S().mutex);
  for (const auto& c : chunks) S().feed.push_back(c);
  S().changed.notify_all();
}

size_t FeedLeft() {
  std::lock_guard<std::mutex> lock(S().mutex);
  return S().feed.size();
}

bool WaitFeedConsumed(int timeout_ms) {
  State& s = S();
  std::unique_lock<std::mutex> lock(s.mutex);
  return s.changed.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                            [&] { return s.feed.empty() && s.callbacks_running == 0; });
}

int TransfersInFlight() {
  std::lock_guard<std::mutex> lock(S().mutex);
  return int(S().flying.size());
}
int TransfersAllocated() {
  std::lock_guard<std::mutex> lock(S().mutex);
  return int(S().allocated.size());
}
int TransferMisuse() {
  std::lock_guard<std::mutex> lock(S().mutex);
  return S().misuse;
}

}  // namespace fake_usb

// ---------------------------------------------------------------------------------------------
// The libusb functions the driver calls

extern "C" {

int LIBUSB_CALL libusb_init(libusb_context** ctx) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.init_error) return s.init_error;
  if (ctx) *ctx = &s.context;
  return 0;
}

void LIBUSB_CALL libusb_exit(libusb_context*) {}

int LIBUSB_CALL libusb_set_option(libusb_context*, enum libusb_option, ...) { return 0; }

ssize_t LIBUSB_CALL libusb_get_device_list(libusb_context*, libusb_device*** list) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  auto** out = new libusb_device*[2]();
  ssize_t n = 0;
  if (s.present) out[n++] = &s.device;
  *list = out;
  return n;
}

void LIBUSB_CALL libusb_free_device_list(libusb_device** list, int) { delete[] list; }

int LIBUSB_CALL libusb_get_device_descriptor(libusb_device*, libusb_device_descriptor* desc) {
  memset(desc, 0, sizeof *desc);
  desc->bLength = LIBUSB_DT_DEVICE_SIZE;
  desc->bDescriptorType = LIBUSB_DT_DEVICE;
  desc->idVendor = 0x1415;
  desc->idProduct = 0x2000;
  desc->bNumConfigurations = 1;
  return 0;
}

libusb_device* LIBUSB_CALL libusb_ref_device(libusb_device* dev) {
  std::lock_guard<std::mutex> lock(S().mutex);
  ++dev->refs;
  return dev;
}

void LIBUSB_CALL libusb_unref_device(libusb_device* dev) {
  std::lock_guard<std::mutex> lock(S().mutex);
  --dev->refs;
}

int LIBUSB_CALL libusb_open(libusb_device* dev, libusb_device_handle** handle) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.open_error) return s.open_error;
  if (s.unplugged) return LIBUSB_ERROR_NO_DEVICE;
  s.handle.device = dev;
  *handle = &s.handle;
  return 0;
}

void LIBUSB_CALL libusb_close(libusb_device_handle*) {
  std::lock_guard<std::mutex> lock(S().mutex);
  S().claimed = false;
}

libusb_device* LIBUSB_CALL libusb_get_device(libusb_device_handle* handle) { return handle->device; }

int LIBUSB_CALL libusb_set_auto_detach_kernel_driver(libusb_device_handle*, int enable) {
  std::lock_guard<std::mutex> lock(S().mutex);
  S().auto_detach = enable != 0;
  return 0;
}

int LIBUSB_CALL libusb_claim_interface(libusb_device_handle*, int) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.claim_error) return s.claim_error;
  s.claimed = true;
  return 0;
}

int LIBUSB_CALL libusb_release_interface(libusb_device_handle*, int) {
  std::lock_guard<std::mutex> lock(S().mutex);
  S().claimed = false;
  return 0;
}

int LIBUSB_CALL libusb_clear_halt(libusb_device_handle*, unsigned char) { return 0; }

int LIBUSB_CALL libusb_get_active_config_descriptor(libusb_device*, libusb_config_descriptor** config) {
  auto* alt = new libusb_interface_descriptor();
  alt->bLength = LIBUSB_DT_INTERFACE_SIZE;
  alt->bDescriptorType = LIBUSB_DT_INTERFACE;
  alt->bInterfaceNumber = 0;
  alt->bNumEndpoints = 3;
  alt->endpoint = kEndpoints;
  auto* itf = new libusb_interface();
  itf->altsetting = alt;
  itf->num_altsetting = 1;
  auto* cfg = new libusb_config_descriptor();
  cfg->bNumInterfaces = 1;
  cfg->interface = itf;
  *config = cfg;
  return 0;
}

void LIBUSB_CALL libusb_free_config_descriptor(libusb_config_descriptor* config) {
  if (!config) return;
  delete config->interface->altsetting;
  delete config->interface;
  delete config;
}

int LIBUSB_CALL libusb_control_transfer(libusb_device_handle*, uint8_t request_type,
                                        uint8_t request, uint16_t value, uint16_t index,
                                        unsigned char* data, uint16_t length, unsigned int) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.unplugged) return LIBUSB_ERROR_NO_DEVICE;
  if (length < 1 || request != 0x01) return LIBUSB_ERROR_PIPE;
  if (request_type == 0x40) {
    BridgeWrite(s, uint8_t(index), data[0]);
  } else if (request_type == 0xC0) {
    data[0] = BridgeRead(s, uint8_t(index));
  } else {
    return LIBUSB_ERROR_PIPE;
  }
  s.log.push_back({request_type, request, value, index, data[0]});
  return 1;
}

libusb_transfer* LIBUSB_CALL libusb_alloc_transfer(int iso_packets) {
  {
    std::lock_guard<std::mutex> lock(S().mutex);
    if (std::exchange(S().alloc_fails, false)) return nullptr;
  }
  auto* t = static_cast<libusb_transfer*>(calloc(1, sizeof(libusb_transfer) +
                                                     sizeof(libusb_iso_packet_descriptor) * iso_packets));
  std::lock_guard<std::mutex> lock(S().mutex);
  S().allocated.insert(t);
  return t;
}

void LIBUSB_CALL libusb_free_transfer(libusb_transfer* t) {
  if (!t) return;
  State& s = S();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.allocated.count(t)) {
      ++s.misuse;
      return;
    }
    for (auto* f : s.flying)
      if (f == t) {
        ++s.misuse;  // freed while in flight
        return;
      }
    s.allocated.erase(t);
    s.cancel_requested.erase(t);
  }
  free(t);
}

int LIBUSB_CALL libusb_submit_transfer(libusb_transfer* t) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.allocated.count(t)) {
    ++s.misuse;
    return LIBUSB_ERROR_INVALID_PARAM;
  }
  for (auto* f : s.flying)
    if (f == t) {
      ++s.misuse;
      return LIBUSB_ERROR_BUSY;
    }
  if (s.unplugged) return LIBUSB_ERROR_NO_DEVICE;
  if (s.submit_error) {
    const int e = s.submit_error;
    s.submit_error = 0;
    return e;
  }
  s.flying.push_back(t);
  s.changed.notify_all();
  return 0;
}

int LIBUSB_CALL libusb_cancel_transfer(libusb_transfer* t) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.allocated.count(t)) {
    ++s.misuse;  // cancelled after being freed
    return LIBUSB_ERROR_NOT_FOUND;
  }
  for (auto* f : s.flying)
    if (f == t) {
      s.cancel_requested.insert(t);
      s.changed.notify_all();
      return 0;
    }
  return LIBUSB_ERROR_NOT_FOUND;
}

int LIBUSB_CALL libusb_handle_events_timeout_completed(libusb_context*, struct timeval* tv, int*) {
  State& s = S();
  const auto timeout = tv ? std::chrono::microseconds(int64_t(tv->tv_sec) * 1000000 + tv->tv_usec)
                          : std::chrono::microseconds(60000000);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock<std::mutex> lock(s.mutex);
  if (!s.changed.wait_until(lock, deadline, [&] { return !s.handling_events; })) return 0;
  s.handling_events = true;
  auto ready = [&]() -> libusb_transfer* {
    for (auto* t : s.flying)
      if (s.cancel_requested.count(t) || s.unplugged) return t;
    if (!s.flying.empty() && !s.feed.empty()) return s.flying.front();
    return nullptr;
  };
  s.changed.wait_until(lock, deadline, [&] { return ready() != nullptr; });
  while (libusb_transfer* t = ready()) {
    for (auto it = s.flying.begin(); it != s.flying.end(); ++it)
      if (*it == t) {
        s.flying.erase(it);
        break;
      }
    if (s.cancel_requested.count(t)) {
      s.cancel_requested.erase(t);
      t->status = LIBUSB_TRANSFER_CANCELLED;
      t->actual_length = 0;
    } else if (s.unplugged) {
      t->status = LIBUSB_TRANSFER_NO_DEVICE;
      t->actual_length = 0;
    } else {
      std::vector<uint8_t> chunk = std::move(s.feed.front());
      s.feed.pop_front();
      const int n = std::min<int>(int(chunk.size()), t->length);
      memcpy(t->buffer, chunk.data(), n);
      t->actual_length = n;
      t->status = LIBUSB_TRANSFER_COMPLETED;
    }
    ++s.callbacks_running;
    lock.unlock();
    t->callback(t);
    lock.lock();
    --s.callbacks_running;
    s.changed.notify_all();
  }
  s.handling_events = false;
  s.changed.notify_all();
  return 0;
}

int LIBUSB_CALL libusb_handle_events(libusb_context* ctx) {
  timeval tv{60, 0};
  return libusb_handle_events_timeout_completed(ctx, &tv, nullptr);
}

const char* LIBUSB_CALL libusb_error_name(int) { return "fake libusb error"; }

}  // extern "C"
