// The four sounds compiled into the program, each a block of u32 compressed size, u32 raw size
// and the FastLZ-compressed bytes of a whole RIFF/WAVE file (generated at build time).
#pragma once

extern const unsigned char click_wav_data[];                 // metronome click
extern const unsigned char editbox_error_wav_data[];         // refused character in an edit box
extern const unsigned char latency_test_wav_data[];          // latency test transient
extern const unsigned char distance_menu_button_wav_data[];  // in-air menu button
