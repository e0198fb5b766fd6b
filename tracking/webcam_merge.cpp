// Splitting a blob in which the two stick markers have run together.
#include <algorithm>
#include <cmath>

#include "tracking/webcam.h"

bool Webcam::UnmergeBlobs(const Blob& merged, Blob* out) {
  const int T = m_threshold;
  const int M = merged.maxLuma;
  const int step = std::max((M - T) / 5, 1);
  int t = M;
  bool split = false;
  while (t > T) {
    if (FindBlobs(out, 2, t, merged.xmin, merged.xmax, merged.ymin, merged.ymax) == 2) {
      split = true;
      break;
    }
    t -= step;
  }
  if (!split) return false;
  if (t - T < 5) return true;
  // The lowest threshold that still splits gives the fullest pair.
  int lo = T, hi = t;
  for (;;) {
    const int mid = (lo + hi) / 2;
    Blob pair[2];
    if (FindBlobs(pair, 2, mid, merged.xmin, merged.xmax, merged.ymin, merged.ymax) == 2) {
      out[0] = pair[0];
      out[1] = pair[1];
      if (mid - lo < 5) return true;
      hi = mid;
    } else {
      lo = mid;
      if (hi - mid < 5) return true;
    }
  }
}

namespace {

// Truncation toward zero that treats a value that is not a number (a radius from an empty
// history) as 0 instead of converting it.
int Trunc(float v) {
  if (!std::isfinite(v)) return 0;
  return int(std::clamp(v, -1.0e6f, 1.0e6f));
}

// One axis of a placed blob of diameter d: against the merged blob's low edge lo, or its high
// edge hi.
void PlaceOnAxis(int lo, int hi, float r, int d, bool at_low, float& centre, int& min, int& max) {
  if (at_low) {
    centre = float(lo) + r;
    min = lo;
    max = lo + d;
  } else {
    centre = float(hi) - r;
    min = hi - d;
    max = hi;
  }
}

void Place(const Webcam::Blob& merged, float r, bool left, bool top, Webcam::Blob& b) {
  const int d = Trunc(2.0f * r);
  b.radius = r;
  PlaceOnAxis(merged.xmin, merged.xmax, r, d, left, b.x, b.xmin, b.xmax);
  PlaceOnAxis(merged.ymin, merged.ymax, r, d, top, b.y, b.ymin, b.ymax);
}

}  // namespace

bool Webcam::RecoverMergedBlobs(const Blob& merged, float r1, float r2, Blob* out) {
  auto centred = [&](Blob& b, float r) {
    b.x = merged.x;
    b.y = merged.y;
    b.radius = r;
    b.xmin = merged.xmin;
    b.xmax = merged.xmax;
    b.ymin = merged.ymin;
    b.ymax = merged.ymax;
  };
  if (Trunc(merged.radius - r1) == 0) {
    centred(out[0], r2);
    centred(out[1], r1);
    return false;
  }
  const int T = m_threshold;
  auto luma = [&](int x, int y) -> int {
    if (!m_qvga_frame || x < 0 || x >= kWidth || y < 0 || y >= kHeight) return 0;
    return m_qvga_frame[(y * kWidth + x) * 2];
  };
  auto first_in_row = [&](int y) {
    for (int x = merged.xmin; x <= merged.xmax; ++x)
      if (luma(x, y) > T) return x;
    return -1;
  };
  auto first_in_column = [&](int x) {
    for (int y = merged.ymin; y <= merged.ymax; ++y)
      if (luma(x, y) > T) return y;
    return -1;
  };
  const int topX = first_in_row(merged.ymin);
  const int bottomX = first_in_row(merged.ymax);
  bool falling;
  if (topX <= bottomX - 2) {
    falling = true;
  } else if (topX >= bottomX + 2) {
    falling = false;
  } else {
    falling = first_in_column(merged.xmin) < first_in_column(merged.xmax);
  }
  // The weighted centre leans towards the larger disc.
  const bool right_heavy = merged.x > float(merged.xmin) + float(merged.xmax - merged.xmin) * 0.5f;
  // The larger disc (r1) takes the heavy side, the smaller one the other; on a falling line
  // the left one is at the top, on a rising one the right one.
  const bool first_left = right_heavy;
  const bool first_top = falling == right_heavy;
  Place(merged, r2, first_left, first_top, out[0]);
  Place(merged, r1, !first_left, !first_top, out[1]);
  return true;
}
