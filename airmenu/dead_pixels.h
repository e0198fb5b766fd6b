// The lighting check's dead-pixel work on plain 320 x 240 arrays: marking pixels bright
// enough to pass for a marker, widening the mask, finding and merging its connected areas and
// the red overlay's alpha. No GL and no camera: the wizard hands in the camera's frame and
// mask and uploads the overlay itself. Main thread only (the blob search uses static tables).
#pragma once

#include <cstdint>

#include "tracking/webcam.h"

namespace dead_pixels {

constexpr int kWidth = Webcam::kWidth;
constexpr int kHeight = Webcam::kHeight;
constexpr int kMaxRuns = 4096;  // row runs FindBlobs can label; more is "too bright"
constexpr int kTooBrightOn = 16321, kTooBrightOff = 13056;  // masked pixels, with hysteresis

// Whether the picture is too bright with this many masked pixels: a too-bright picture stays
// so down to kTooBrightOff, a clean one becomes so from kTooBrightOn.
inline bool TooBright(bool was_too_bright, int masked) {
  return masked >= (was_too_bright ? kTooBrightOff : kTooBrightOn);
}

// Marks in mask (1 = ignored) every pixel inside its row's vignette span [start, end) whose
// luma (even byte of the YUYV frame) is above int(0.95 threshold). Returns the marked pixels
// inside the spans, those marked before included.
int MarkBright(const uint8_t* yuyv, int threshold, const int (*spans)[2], uint8_t* mask);
// Every marked pixel marks the 5 x 5 square around it, clipped to the picture.
void Dilate(uint8_t* mask);
// The overlay's alpha: the 5 x 5 kernel (weights 0.1 0.2 0.4 0.2 0.1 both ways, times 255)
// added around every marked pixel (a pixel gets at most the kernel's sum, 248).
void BuildOverlay(const uint8_t* mask, uint8_t* overlay);
// Connected areas of the mask, as centre and radius of a disc of the same area, in
// ascending label order. -1 past kMaxRuns row runs or past max areas.
int FindBlobs(const uint8_t* mask, Webcam::Blob* out, int max);
// Areas smaller than a radius of 3 get the 3 x 3 square around their centre marked.
void EnlargeSmallBlobs(const Webcam::Blob* blobs, int n, uint8_t* mask);
// Joins areas closer than their radii plus 5 into groups (at most 1000 written): centre the
// radius-weighted mean, radius reaching the farthest member's edge. Returns the groups written.
int MergeBlobs(const Webcam::Blob* in, int n, Webcam::Blob* out);

}  // namespace dead_pixels
