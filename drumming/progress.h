// The two progress displays: samples loading after a kit was chosen, and the progress bar of
// kit loading and element conversion.
#pragma once
#include <string>

// With start: records how many samples wait in the loader queues as the total; nothing drawn.
// Without: once a frame, "Samples loaded:" and a bar until the queues are empty.
void DrawSamplesProgress(int unused, bool start);
// A bar in the middle of the window filled to percent, with its caption.
void DisplayProgressBar(int percent, const std::string& caption, bool progress_only, bool both_buffers);
