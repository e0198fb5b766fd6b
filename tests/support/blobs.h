// Hand-made camera blobs for tracking and drumming tests.
#pragma once
#include "tracking/webcam.h"

namespace skyt_test {

// A fully lit marker blob centred on (x, y), its bounding box the square round its radius.
Webcam::Blob Blob(float x, float y, float radius = 4.0f);

}  // namespace skyt_test
