// Control of the fake libusb (tests/support/fake_libusb.cpp, linked with LINK skyt_fake_libusb):
// an emulated PS3 Eye with its bridge registers, the sensor behind the SCCB master, a log of
// every control transfer, and bulk transfers completed from a feed of payloads.
#pragma once
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <vector>

namespace fake_usb {

struct ControlTransfer {
  uint8_t request_type;
  uint8_t request;
  uint16_t value;
  uint16_t index;  // the bridge register
  uint8_t data;    // byte written, or byte returned
};

struct RegWrite {
  uint8_t reg;
  uint8_t val;
  bool operator==(const RegWrite&) const = default;
};
inline void PrintTo(const RegWrite& w, std::ostream* os) {
  char text[16];
  snprintf(text, sizeof text, "%02x:%02x", w.reg, w.val);
  *os << text;
}

// Forgets everything: no camera, empty logs and feed, default registers and errors.
void Reset();
// Puts a camera on the bus (seen by the next device scan).
void PlugCamera();
// Takes the camera away: transfers in flight end with "no device", and every later control
// transfer and submission fails with LIBUSB_ERROR_NO_DEVICE.
void Unplug();
void SetOpenError(int libusb_error);
void SetClaimError(int libusb_error);
void SetInitError(int libusb_error);
// The next bulk submission fails with this error (once).
void FailNextSubmit(int libusb_error);
// The next transfer allocation fails (once).
void FailNextAlloc();
// Status bytes the bridge's SCCB status register (0xf6) reports next, one per read, before it
// falls back to 0x00.
void QueueSccbStatus(const std::vector<uint8_t>& statuses);

std::vector<ControlTransfer> ControlLog();
// Writes to the bridge registers (every vendor-out control transfer) in order.
std::vector<RegWrite> BridgeWrites();
// Writes that reached the sensor through the SCCB master, in order.
std::vector<RegWrite> SensorWrites();
void ClearLogs();
uint8_t BridgeRegister(uint8_t reg);
uint8_t SensorRegister(uint8_t reg);
void SetSensorRegister(uint8_t reg, uint8_t val);
bool KernelDriverAutoDetach();
bool InterfaceClaimed();

// Bulk data: each chunk completes one bulk transfer (truncated to the transfer's length).
void Feed(const std::vector<uint8_t>& chunk);
void Feed(const std::vector<std::vector<uint8_t>>& chunks);
size_t FeedLeft();
// Waits (up to timeout_ms) until the feed is empty and no callback is running.
bool WaitFeedConsumed(int timeout_ms = 2000);

// Transfer bookkeeping.
int TransfersInFlight();
int TransfersAllocated();  // allocated and not yet freed
// Misuse seen: a transfer freed while in flight, cancelled or submitted after being freed,
// or submitted twice.
int TransferMisuse();

}  // namespace fake_usb
