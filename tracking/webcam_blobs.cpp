// The blob finder: runs of bright pixels per row, joined across rows by union-find over runs,
// weighted centres and radii; lighting status and marker pops. Fixed tables, no allocation.
#include <algorithm>
#include <cmath>
#include <cstring>

#include <emmintrin.h>

#include "tracking/webcam.h"

int find(int label, int* array) {
  int root = label;
  while (array[root] > 0) root = array[root];
  while (array[label] > 0) {
    const int next = array[label];
    array[label] = root;
    label = next;
  }
  return root;
}

int Union(int a, int b, int* array) {
  const int ra = find(a, array);
  const int rb = find(b, array);
  if (ra != rb) {
    const int sum = array[ra] + array[rb] - 1;
    if (array[ra] > array[rb]) {  // a's set is smaller
      array[ra] = rb;
      array[rb] = sum;
    } else if (array[rb] > array[ra]) {
      array[rb] = ra;
      array[ra] = sum;
    } else {
      array[ra] = rb;
      array[rb] = sum;
    }
  }
  return rb;
}

namespace {

constexpr int kMaxRuns = 4096;
constexpr int kWidth = Webcam::kWidth;

struct Run {
  int32_t x0, x1, y, label, maxLuma;
  uint8_t dead;
};

struct BlobAccumulator {
  float swx, swy, sw;
  int32_t pixels, xmin, xmax, ymin, ymax, maxLuma;
  uint8_t dead;
};

constexpr int kWords = kWidth / 64;
static_assert(kWidth % 64 == 0 && kWidth % 16 == 0);

// One bit per pixel of a row, set where the pixel is bright.
using RowBits = uint64_t[kWords];

// Working storage of one finder (the main one and the windowed one each have their own).
// Labels run from 1 to kMaxRuns, so the tables indexed by label hold kMaxRuns + 1 entries.
struct Tables {
  Run lineBlobs[kMaxRuns];
  int rep[kMaxRuns + 1];
  BlobAccumulator acc[kMaxRuns + 1];
  int roots[kMaxRuns];
  uint32_t seen[kMaxRuns + 1];  // call stamp: acc[label] belongs to this call
  uint32_t stamp = 0;
  float weight[256];
  RowBits bits[Webcam::kHeight];
};

Tables g_main, g_window;

struct Scan {
  int runs = 0;
  int bright = 0;
  bool overflow = false;
};

// The bright bits of the sixteen pixels from `pixels` on: luminance above the limit, compared
// as signed bytes once both are biased by 0x80 (SSE2, which every x86-64 has).
uint64_t BrightBits16(const uint8_t* pixels, __m128i limit) {
  const __m128i luma_bytes = _mm_set1_epi16(0x00FF), bias = _mm_set1_epi8(char(0x80));
  const __m128i* p = reinterpret_cast<const __m128i*>(pixels);
  const __m128i a = _mm_and_si128(_mm_loadu_si128(p), luma_bytes);
  const __m128i b = _mm_and_si128(_mm_loadu_si128(p + 1), luma_bytes);
  const __m128i luma = _mm_xor_si128(_mm_packus_epi16(a, b), bias);
  return uint32_t(_mm_movemask_epi8(_mm_cmpgt_epi8(luma, limit)));
}

// Sets the bits of the pixels of columns start..end-1 whose luminance is above t (-1..255),
// 64 pixels to a word; every other bit is clear.
void BrightBits(const uint8_t* row, int start, int end, int t, RowBits& bits) {
  for (uint64_t& w : bits) w = 0;
  if (start >= end) return;
  const __m128i limit = _mm_set1_epi8(char(t ^ 0x80));
  for (int w = start / 64; w <= (end - 1) / 64; ++w) {
    const uint8_t* p = row + w * 128;
    bits[w] = t < 0 ? ~uint64_t(0)
                    : BrightBits16(p, limit) | BrightBits16(p + 32, limit) << 16 |
                          BrightBits16(p + 64, limit) << 32 | BrightBits16(p + 96, limit) << 48;
  }
  bits[start / 64] &= ~uint64_t(0) << (start % 64);
  if (end % 64) bits[end / 64] &= ~(~uint64_t(0) << (end % 64));
}

// Whether any bit of columns x0..x1 is set.
bool AnySet(const RowBits& bits, int x0, int x1) {
  for (int w = x0 / 64; w <= x1 / 64; ++w) {
    uint64_t m = bits[w];
    if (w == x0 / 64) m &= ~uint64_t(0) << (x0 % 64);
    if (w == x1 / 64 && x1 % 64 != 63) m &= ~(~uint64_t(0) << (x1 % 64 + 1));
    if (m) return true;
  }
  return false;
}

// A row's runs: first and last column of each, in column order.
struct RowRuns {
  int count;
  int16_t x0[kWidth / 2], x1[kWidth / 2];
};

// Appends the columns of the set bits of m (word w) to `columns`; returns the new count.
int AppendColumns(uint64_t m, int w, int16_t* columns, int n) {
  for (; m; m &= m - 1) columns[n++] = int16_t(w * 64 + __builtin_ctzll(m));
  return n;
}

// A run starts where a set bit follows a clear one and ends where a clear one follows it.
void FindRowRuns(const RowBits& bits, RowRuns& runs) {
  int starts = 0, ends = 0;
  for (int w = 0; w < kWords; ++w) {
    const uint64_t b = bits[w];
    if (!b) continue;
    const uint64_t before = w > 0 ? bits[w - 1] >> 63 : 0;
    const uint64_t after = w + 1 < kWords ? bits[w + 1] << 63 : 0;
    starts = AppendColumns(b & ~(b << 1 | before), w, runs.x0, starts);
    ends = AppendColumns(b & ~(b >> 1 | after), w, runs.x1, ends);
  }
  runs.count = starts;
}

// The number of runs of set bits in a row.
int CountRuns(const RowBits& bits) {
  int n = 0;
  uint64_t carry = 0;
  for (const uint64_t w : bits) {
    if (w) n += __builtin_popcountll(w & ~(w << 1 | carry));
    carry = w >> 63;
  }
  return n;
}

// Finds the runs of pixels brighter than t in rows y0..y1 between the given columns and joins
// them. Dark stretches are skipped a word of bits at a time; a frame of more runs than the
// tables hold is known before any is labelled.
Scan FindRuns(Tables& t, const uint8_t* frame, const uint8_t* mask, const int (*spans)[2], int y0,
              int y1, int cx0, int cx1, int threshold) {
  Scan s;
  int total = 0;
  for (int y = y0; y <= y1; ++y) {
    BrightBits(frame + size_t(y) * kWidth * 2, std::max(spans[y][0], cx0),
               std::min(spans[y][1], cx1 + 1), threshold, t.bits[y]);
    total += CountRuns(t.bits[y]);
  }
  if (total > kMaxRuns) {
    s.overflow = true;
    return s;
  }
  int prev_begin = 0, prev_end = 0;
  for (int y = y0; y <= y1; ++y) {
    const int row_begin = s.runs;
    const uint8_t* row = frame + size_t(y) * kWidth * 2;
    const uint8_t* mrow = mask + size_t(y) * kWidth;
    RowRuns runs;
    FindRowRuns(t.bits[y], runs);
    int join_from = prev_begin;
    for (int r = 0; r < runs.count; ++r) {
      const int x0 = runs.x0[r], x1 = runs.x1[r];
      int maxLuma = 0;
      uint8_t dead = 0;
      for (int x = x0; x <= x1; ++x) {
        maxLuma = std::max<int>(maxLuma, row[x * 2]);
        dead |= mrow[x];
      }
      if (x1 + 1 < spans[y][1]) dead |= mrow[x1 + 1];
      s.bright += x1 - x0 + 1;
      const int label = s.runs + 1;
      t.lineBlobs[s.runs] = {x0, x1, y, label, maxLuma, uint8_t(dead ? 1 : 0)};
      t.rep[label] = 0;
      ++s.runs;
      // Most runs touch nothing above (specks, noise): the bits say so without a search.
      if (y == y0 || !AnySet(t.bits[y - 1], x0, x1)) continue;
      // Runs of the row above are in column order: skip those wholly to the left.
      while (join_from < prev_end && t.lineBlobs[join_from].x1 < x0) ++join_from;
      for (int k = join_from; k < prev_end && t.lineBlobs[k].x0 <= x1; ++k)
        Union(label, t.lineBlobs[k].label, t.rep);
    }
    prev_begin = row_begin;
    prev_end = s.runs;
  }
  return s;
}

// Builds one accumulator per component; returns the number of components (roots in
// ascending label order in t.roots). Gives up (returns -1) past max_components.
int Accumulate(Tables& t, const uint8_t* frame, int runs, int max_components) {
  ++t.stamp;
  int n = 0;
  for (int i = 0; i < runs; ++i) {
    const Run& r = t.lineBlobs[i];
    const int root = find(r.label, t.rep);
    BlobAccumulator& a = t.acc[root];
    if (t.seen[root] != t.stamp) {
      t.seen[root] = t.stamp;
      if (n++ >= max_components) return -1;
      a = {0, 0, 0, 0, kWidth - 1, 0, r.y, r.y, 0, 0};
    }
    const uint8_t* row = frame + size_t(r.y) * kWidth * 2;
    float swx = 0, sw = 0;
    for (int x = r.x0; x <= r.x1; ++x) {
      const float w = t.weight[row[x * 2]];
      swx += float(x) * w;
      sw += w;
    }
    a.swx += swx;
    a.swy += float(r.y) * sw;
    a.sw += sw;
    a.pixels += r.x1 - r.x0 + 1;
    a.xmin = std::min(a.xmin, r.x0);
    a.xmax = std::max(a.xmax, r.x1);
    a.maxLuma = std::max(a.maxLuma, r.maxLuma);
    a.ymax = r.y;
    if (r.dead) a.dead = 1;
  }
  // Roots are labels of runs, stamped above: collected in label order, dead components left out.
  int kept = 0;
  for (int label = 1; label <= runs; ++label)
    if (t.seen[label] == t.stamp && !t.acc[label].dead) t.roots[kept++] = label;
  return kept;
}

void Write(const BlobAccumulator& a, Webcam::Blob& b) {
  b.x = a.sw > 0 ? a.swx / a.sw : 0.0f;
  b.y = a.sw > 0 ? a.swy / a.sw : 0.0f;
  b.radius = std::sqrt(a.sw / 3.14159f);
  b.xmin = a.xmin;
  b.xmax = a.xmax;
  b.ymin = a.ymin;
  b.ymax = a.ymax;
  b.maxLuma = a.maxLuma;
}

// Writes the largest components of fewer than limit pixels, largest first, at most max.
int WriteLargest(Tables& t, int n, int limit, Webcam::Blob* out, int max) {
  int m = 0;
  for (int i = 0; i < n; ++i)
    if (t.acc[t.roots[i]].pixels < limit) t.roots[m++] = t.roots[i];
  std::sort(t.roots, t.roots + m, [&](int a, int b) {
    if (t.acc[a].pixels != t.acc[b].pixels) return t.acc[a].pixels > t.acc[b].pixels;
    return a < b;
  });
  const int count = std::min(m, max);
  for (int i = 0; i < count; ++i) Write(t.acc[t.roots[i]], out[i]);
  return count;
}

// The number of components without a dead pixel, known before any is weighed.
int LiveComponents(Tables& t, int runs) {
  ++t.stamp;  // marks the roots of dead components
  for (int i = 0; i < runs; ++i)
    if (t.lineBlobs[i].dead) t.seen[find(t.lineBlobs[i].label, t.rep)] = t.stamp;
  int n = 0;
  for (int label = 1; label <= runs; ++label) n += t.rep[label] <= 0 && t.seen[label] != t.stamp;
  return n;
}

// Picks the blobs of the n (at most 2 * max) components found and sets the status by their
// number and size.
int SelectBlobs(Tables& t, int n, Webcam::Blob* out, int max, int32_t& status) {
  if (n <= max) {
    int written = 0;
    for (int i = 0; i < n; ++i) {
      const BlobAccumulator& a = t.acc[t.roots[i]];
      if (a.pixels < 400)
        Write(a, out[written++]);
      else
        status = Webcam::kStatusBlobTooLarge;
    }
    return written;
  }
  status = Webcam::kStatusTooManyBlobs;
  return WriteLargest(t, n, 400, out, max);
}

void FillWeights(Tables& t, int threshold) {
  for (int y = 0; y < 256; ++y) t.weight[y] = float(y - threshold) / float(255 - threshold);
}

}  // namespace

int Webcam::FindBlobs(Blob* out, int max) {
  m_status = kStatusOk;
  if (!m_qvga_frame || !m_dead_pixels) return 0;
  const int T = m_threshold;
  Tables& t = g_main;
  const Scan s = FindRuns(t, m_qvga_frame, m_dead_pixels, m_qvga_spans, 0, kHeight - 1, 0,
                          kWidth - 1, T);
  if (s.overflow) {
    // More runs than the table holds (a lamp or a window in view): nothing to track.
    m_status = kStatusOverflow;
    return 0;
  }
  int written = 0;
  if (LiveComponents(t, s.runs) > 2 * max) {
    m_status = kStatusFarTooManyBlobs;  // none returned, so none weighed
  } else {
    FillWeights(t, T);
    written = SelectBlobs(t, Accumulate(t, m_qvga_frame, s.runs, kMaxRuns), out, max, m_status);
  }
  // Too many bright pixels (a lamp in view) outranks whatever the blobs say: that frame must
  // never be drummed on.
  if (s.bright >= 16321) m_status = kStatusOverflow;
  return written;
}

int Webcam::FindBlobs(Blob* out, int max, int threshold, int x0, int x1, int y0, int y1) {
  if (!m_qvga_frame || !m_dead_pixels || max <= 0) return 0;
  x0 = std::max(x0, 0);
  x1 = std::min(x1, kWidth - 1);
  y0 = std::max(y0, 0);
  y1 = std::min(y1, kHeight - 1);
  if (x1 < x0 || y1 < y0) return 0;
  Tables& t = g_window;
  // At or above the threshold is above threshold - 1; clamped so that t stays in -1..255.
  const Scan s = FindRuns(t, m_qvga_frame, m_dead_pixels, m_qvga_spans, y0, y1, x0, x1,
                          std::clamp(threshold - 1, -1, 255));
  if (s.overflow) return 0;
  FillWeights(t, m_threshold);
  const int n = Accumulate(t, m_qvga_frame, s.runs, 3 * max);
  if (n < 0) return 0;
  if (n <= max) {
    int written = 0;
    for (int i = 0; i < n; ++i) {
      const BlobAccumulator& a = t.acc[t.roots[i]];
      if (a.pixels < 600) Write(a, out[written++]);
    }
    return written;
  }
  return WriteLargest(t, n, 600, out, max);
}

int Webcam::BadLightingSuspected(int) {
  int result;
  if (m_frame_counter < 198) {
    m_status = kStatusSettling;
    m_pop_tracking = 0;
    result = kStatusSettling;
  } else {
    if (!m_pop_tracking) {
      m_pop_count = 0;
      m_pop_tracking = 1;
    }
    const bool popping = m_pop_count == kPopsForStatus &&
                         m_frame_counter - m_pop_frames[m_pop_next] < 251;
    if (m_status == kStatusOk && popping) m_status = kStatusPopping;
    result = m_status;
  }
  ++m_frame_counter;
  return result;
}

void Webcam::RecordMocapMarkerPop() {
  if (!m_pop_tracking) return;
  m_pop_frames[m_pop_next] = m_frame_counter;
  m_pop_next = (m_pop_next + 1) % kPopsForStatus;
  m_pop_count = std::min(m_pop_count + 1, kPopsForStatus);
}
