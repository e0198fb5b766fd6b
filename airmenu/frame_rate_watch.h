// The frame-rate watchdog of the in-air frames: measures the display rate, warns through the
// in-air message lines while tracking is slowed down (by the graphics or by audio still
// loading) and draws the rate's indicator. Main thread only.
#pragma once

// Once an in-air frame: measures every 20 calls (the count is Calibration::m_fps_frame); judges
// only on the drumming, volume, move-drum and drum-placing pages, raising or lowering
// bad_state_count; the indicator shows from the 126th call after a restart.
void DoFPS();

// Lets every interface state change and full-screen switch restart the count; called once at
// start-up.
void InstallFrameRateWatch();
