// Sound starts in a recording: 16-bit stereo WAV files at 44100 frames a second, as jack_rec
// and the program's WAV export write them.
#pragma once
#include <string>
#include <vector>

namespace skyt_test {

constexpr int kWavRate = 44100;

// The frame where each sound starts in the WAV file at `path` (empty when it does not read).
// A start is a 5 ms window of both channels ten times louder than the one before and above the
// noise floor, at least 150 ms after the last start; it is placed on the first sample of that
// window or the one before that stands out of what sounded before it.
std::vector<int> Onsets(const std::string& path);

}  // namespace skyt_test
