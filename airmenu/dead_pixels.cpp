// Dead-pixel mask work of the lighting check, on plain arrays.
#include "airmenu/dead_pixels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace dead_pixels {

namespace {

constexpr int kMaxGroups = 1000;
constexpr float kMergeGap = 5.0f;

struct Run {
  int x0, x1, y;  // columns x0..x1 inclusive
};

struct Area {
  int n = 0;
  double sum_x = 0, sum_y = 0;
};

// Row runs of the mask, labelled 1, 2, ... in scan order; rep[label] is the union-find table.
// Runs of consecutive rows whose columns overlap are joined. False past kMaxRuns.
bool LabelRuns(const uint8_t* mask, Run* runs, int* rep, int& count) {
  count = 0;
  int prev_begin = 0, prev_end = 0;
  for (int y = 0; y < kHeight; ++y) {
    const uint8_t* row = mask + y * kWidth;
    const int row_begin = count;
    int join_from = prev_begin;
    for (int x = 0; x < kWidth; ++x) {
      if (!row[x]) continue;
      const int x0 = x;
      while (x + 1 < kWidth && row[x + 1]) ++x;
      if (count >= kMaxRuns) return false;
      runs[count] = {x0, x, y};
      const int label = ++count;
      rep[label] = 0;
      while (join_from < prev_end && runs[join_from].x1 < x0) ++join_from;
      for (int k = join_from; k < prev_end && runs[k].x0 <= x; ++k) Union(label, k + 1, rep);
    }
    prev_begin = row_begin;
    prev_end = count;
  }
  return true;
}

bool Near(const Webcam::Blob& a, const Webcam::Blob& b) {
  return std::hypot(a.x - b.x, a.y - b.y) < a.radius + b.radius + kMergeGap;
}

bool Holds(const std::vector<int>& group, int i) { return std::find(group.begin(), group.end(), i) != group.end(); }

void Join(std::vector<std::vector<int>>& groups, int i, int j) {
  for (auto& g : groups) {
    const bool has_i = Holds(g, i), has_j = Holds(g, j);
    if (!has_i && !has_j) continue;
    if (!has_i) g.push_back(i);
    if (!has_j) g.push_back(j);
    return;
  }
  groups.push_back({i, j});
}

Webcam::Blob GroupBlob(const Webcam::Blob* in, const std::vector<int>& group) {
  float weight = 0, x = 0, y = 0;
  for (int m : group) {
    weight += in[m].radius;
    x += in[m].x * in[m].radius;
    y += in[m].y * in[m].radius;
  }
  Webcam::Blob out;
  out.x = weight > 0 ? x / weight : in[group[0]].x;
  out.y = weight > 0 ? y / weight : in[group[0]].y;
  for (int m : group) out.radius = std::max(out.radius, std::hypot(in[m].x - out.x, in[m].y - out.y) + in[m].radius);
  return out;
}

}  // namespace

int MarkBright(const uint8_t* yuyv, int threshold, const int (*spans)[2], uint8_t* mask) {
  const int limit = int(0.95 * threshold);
  int count = 0;
  for (int y = 0; y < kHeight; ++y) {
    const int start = std::clamp(spans[y][0], 0, kWidth), end = std::clamp(spans[y][1], 0, kWidth);
    const uint8_t* luma = yuyv + 2 * kWidth * y;
    uint8_t* row = mask + kWidth * y;
    for (int x = start; x < end; ++x) {
      if (luma[2 * x] > limit) row[x] = 1;
      count += row[x] != 0;
    }
  }
  return count;
}

void Dilate(uint8_t* mask) {
  static uint8_t out[kWidth * kHeight];
  std::memset(out, 0, sizeof(out));
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      if (!mask[y * kWidth + x]) continue;
      for (int v = std::max(0, y - 2); v <= std::min(kHeight - 1, y + 2); ++v)
        std::memset(out + v * kWidth + std::max(0, x - 2), 1, std::min(kWidth - 1, x + 2) - std::max(0, x - 2) + 1);
    }
  std::memcpy(mask, out, sizeof(out));
}

void BuildOverlay(const uint8_t* mask, uint8_t* overlay) {
  static const float w[5] = {0.1f, 0.2f, 0.4f, 0.2f, 0.1f};
  int kernel[5][5];
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j) kernel[i][j] = int(w[i] * w[j] * 255.0f);
  std::memset(overlay, 0, kWidth * kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      if (!mask[y * kWidth + x]) continue;
      for (int v = std::max(0, y - 2); v <= std::min(kHeight - 1, y + 2); ++v)
        for (int u = std::max(0, x - 2); u <= std::min(kWidth - 1, x + 2); ++u)
          overlay[v * kWidth + u] += uint8_t(kernel[v - y + 2][u - x + 2]);
    }
}

int FindBlobs(const uint8_t* mask, Webcam::Blob* out, int max) {
  static Run runs[kMaxRuns];
  static int rep[kMaxRuns + 1];
  static Area areas[kMaxRuns + 1];
  int count = 0;
  if (!LabelRuns(mask, runs, rep, count)) return -1;
  for (int label = 1; label <= count; ++label) areas[label] = Area();
  for (int i = 0; i < count; ++i) {
    Area& a = areas[find(i + 1, rep)];
    const int len = runs[i].x1 - runs[i].x0 + 1;
    a.n += len;
    a.sum_x += (runs[i].x0 + runs[i].x1) * 0.5 * len;
    a.sum_y += double(runs[i].y) * len;
  }
  int n = 0;
  for (int label = 1; label <= count; ++label) {
    if (areas[label].n == 0) continue;
    if (n == max) return -1;
    const Area& a = areas[label];
    out[n].x = float(a.sum_x / a.n);
    out[n].y = float(a.sum_y / a.n);
    out[n].radius = std::sqrt(a.n / 3.14159f);
    ++n;
  }
  return n;
}

void EnlargeSmallBlobs(const Webcam::Blob* blobs, int n, uint8_t* mask) {
  for (int i = 0; i < n; ++i) {
    if (blobs[i].radius >= 3.0f) continue;
    const int cx = int(blobs[i].x), cy = int(blobs[i].y);
    for (int y = cy - 1; y <= cy + 1; ++y)
      for (int x = cx - 1; x <= cx + 1; ++x)
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) mask[y * kWidth + x] = 1;
  }
}

int MergeBlobs(const Webcam::Blob* in, int n, Webcam::Blob* out) {
  if (n <= 0) return 0;
  if (n == 1) {
    out[0] = in[0];
    return 1;
  }
  std::vector<std::vector<int>> groups;
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j)
      if (Near(in[i], in[j])) Join(groups, i, j);
    if (std::none_of(groups.begin(), groups.end(), [i](const std::vector<int>& g) { return Holds(g, i); }))
      groups.push_back({i});
  }
  const int written = std::min<int>(int(groups.size()), kMaxGroups);
  for (int g = 0; g < written; ++g) out[g] = GroupBlob(in, groups[g]);
  return written;
}

}  // namespace dead_pixels
