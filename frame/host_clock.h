// The host clock: monotonic time for time stamps of song starts, recordings, marker hits and
// camera frames.
#pragma once
#include <cstdint>

uint64_t HostTimeNanos();
