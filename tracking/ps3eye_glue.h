// The camera as a small C-style interface on the main thread. The driver and its frame thread
// live in tracking/ps3eye.h.
#pragma once
#include <cstdint>

// Why the last PSEyeInit found no usable camera: none plugged in, or one plugged in that this
// user may not open (the udev rule of tools/camera_access.sh is missing), or one that another
// program holds.
enum class CameraFault { kNone, kNotFound, kNoAccess, kBusy };

// Finds and initialises the first camera, creates the new-frame event and starts the camera
// thread. 0 on success, 1 when there is no usable camera: "No devices connected." when none is
// plugged in, else a warning that says why the camera could not be opened and what to do.
int PSEyeInit();
// The fault of the last PSEyeInit (kNone before the first and after a success).
CameraFault PSEyeFault();
// Starts streaming: mode 1 = QVGA 320x240 YUYV at 125 frames a second, 0 = VGA 640x480 at 50.
int PSEyeStart(int mode);
// Stops streaming (when it streams) and resets the new-frame event.
void PSEyeStop();
// id 3 = gain, 5 = exposure; other ids do nothing.
void PSEyeSetParameter(int id, int value);
// id 3 = gain (sensor register 0x00), 5 = exposure; other ids 0.
int PSEyeGetParameter(int id);
// Waits at most 20 ms for a new frame and copies it to out: QVGA as YUYV (153600 bytes), VGA
// as RGB (921600 bytes, converted only inside the given per-row spans [start, end), black
// elsewhere). Without a new frame out is left unchanged. *is_new (when given) tells whether
// out received a new frame. Returns false once the camera is lost (unplugged, or its stream
// failed), true otherwise.
bool PSEyeGetFrame(uint8_t* out, const int (*spans)[2], bool* is_new = nullptr);
// A camera was found and initialised, and has not been lost or destroyed.
bool PSEyeIsWorking();
// A camera was found and initialised and has since been lost (unplugged, or its stream
// failed); false again once PSEyeDestroy has released it.
bool PSEyeIsLost();
// The lens vignette's half-axes in QVGA pixels: 150 and 190 once a mode has been started.
void PSEyeGetVignette(int* a, int* b);
// Stops the camera thread and releases the camera; PSEyeIsWorking is false afterwards and a
// later PSEyeInit may find the camera again.
void PSEyeDestroy();
