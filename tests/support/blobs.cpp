#include "tests/support/blobs.h"

namespace skyt_test {

Webcam::Blob Blob(float x, float y, float radius) {
  Webcam::Blob b;
  b.x = x;
  b.y = y;
  b.radius = radius;
  b.xmin = int(x - radius);
  b.xmax = int(x + radius);
  b.ymin = int(y - radius);
  b.ymax = int(y + radius);
  b.maxLuma = 255;
  return b;
}

}  // namespace skyt_test
