// The recordings screen's WAV export as the rest of the program sees it.
#pragma once

// The save dialog for the exported file: on confirming, the chosen full path goes into buffer
// (1024 bytes, zeroed by the caller; longer paths are refused) and the result is true.
bool SaveWavDialog(char* buffer);
// Ends the running WAV export, however it ends (finished, Cancel, a failed file, Esc): closes
// what was written, clears exporting_wav and puts back the panning and reverb the export
// changed. Nothing when no export runs.
void EndWavExport();
