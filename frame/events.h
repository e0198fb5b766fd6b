// Win32-style event objects on POSIX threads, used by the camera thread and the sample
// loaders. Every event is manual-reset: a wait never clears it; the consumer calls ResetEvent.
#pragma once
#include <cstdint>

typedef void* HANDLE;

constexpr uint32_t INFINITE_WAIT = 0xFFFFFFFFu;
constexpr uint32_t WAIT_TIMED_OUT = 64;  // a timed wait ended with no event signalled
constexpr uint32_t WAIT_FAILED_CODE = 96;  // nothing signalled, or the handles were unusable

// The first two arguments are accepted for the familiar shape and ignored.
HANDLE CreateEvent(void* attributes, bool manual_reset, bool initial_state);
int SetEvent(HANDLE event);
int ResetEvent(HANDLE event);
// Returns 0 when the event is signalled, another code otherwise. timeout_ms in milliseconds,
// INFINITE_WAIT for no limit.
uint32_t WaitForSingleObject(HANDLE event, uint32_t timeout_ms);
// Waits until any of the events is signalled (wait_all is ignored). Returns the highest index
// of a signalled event, WAIT_TIMED_OUT at the time-out, WAIT_FAILED_CODE for an empty or
// over-long array (more than 64), a null or repeated handle.
uint32_t WaitForMultipleObjects(uint32_t count, const HANDLE* events, bool wait_all, uint32_t timeout_ms);
// Frees the event; refuses (returns 0) while a thread waits on it.
int CloseHandle(HANDLE event);
