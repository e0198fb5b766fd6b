// The lighting check's mask work on plain arrays: thresholds, areas, merging and the overlay.
#include "airmenu/dead_pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using dead_pixels::kHeight;
using dead_pixels::kWidth;

struct Picture {
  std::vector<uint8_t> yuyv = std::vector<uint8_t>(kWidth * kHeight * 2, 0);
  std::vector<uint8_t> mask = std::vector<uint8_t>(kWidth * kHeight, 0);
  int spans[kHeight][2];
  Picture() {
    for (auto& s : spans) {
      s[0] = 0;
      s[1] = kWidth;
    }
  }
  void Luma(int x, int y, uint8_t v) { yuyv[2 * (y * kWidth + x)] = v; }
  int Marked() const {
    int n = 0;
    for (uint8_t m : mask) n += m;
    return n;
  }
};

Webcam::Blob Disc(float x, float y, float r) {
  Webcam::Blob b;
  b.x = x, b.y = y, b.radius = r;
  return b;
}

TEST(DeadPixels, MarksOnlyAboveNinetyFivePercentInsideTheSpans) {
  const int threshold = 120;  // int(0.95 * 120) = 114
  struct Case { int x, luma, x0, x1, marked; } cases[] = {
      {10, 114, 0, kWidth, 0},  // equal to the limit: not bright
      {10, 115, 0, kWidth, 1},
      {10, 255, 20, 300, 0},    // outside the vignette span
      {299, 255, 20, 300, 1},
      {10, 255, -5, 400, 1},    // a span beyond the picture is clipped
  };
  for (const Case& c : cases) {
    Picture p;
    for (auto& s : p.spans) s[0] = c.x0, s[1] = c.x1;
    p.Luma(c.x, 7, uint8_t(c.luma));
    EXPECT_EQ(dead_pixels::MarkBright(p.yuyv.data(), threshold, p.spans, p.mask.data()), c.marked) << c.luma;
    EXPECT_EQ(p.Marked(), c.marked);
  }
  // A bright row just past the picture, inside its span, is neither read nor marked.
  std::vector<uint8_t> yuyv(2 * kWidth * (kHeight + 1), 0), mask(kWidth * (kHeight + 1), 0);
  std::fill(yuyv.begin() + 2 * kWidth * kHeight, yuyv.end(), 255);
  int spans[kHeight + 1][2];
  for (auto& s : spans) s[0] = 0, s[1] = kWidth;
  EXPECT_EQ(dead_pixels::MarkBright(yuyv.data(), threshold, spans, mask.data()), 0);
  EXPECT_EQ(std::count(mask.begin(), mask.end(), 1), 0);
}

TEST(DeadPixels, OneBrightPixelBecomesAThreeByThreeSquareAndOneArea) {
  Picture p;
  p.Luma(100, 50, 200);
  dead_pixels::MarkBright(p.yuyv.data(), 120, p.spans, p.mask.data());
  Webcam::Blob blobs[4];
  ASSERT_EQ(dead_pixels::FindBlobs(p.mask.data(), blobs, 4), 1);
  EXPECT_FLOAT_EQ(blobs[0].x, 100);
  EXPECT_FLOAT_EQ(blobs[0].y, 50);
  dead_pixels::EnlargeSmallBlobs(blobs, 1, p.mask.data());
  EXPECT_EQ(p.Marked(), 9);
  EXPECT_EQ(p.mask[49 * kWidth + 99], 1);
  EXPECT_EQ(p.mask[51 * kWidth + 101], 1);
  ASSERT_EQ(dead_pixels::FindBlobs(p.mask.data(), blobs, 4), 1);
  Webcam::Blob merged[4];
  EXPECT_EQ(dead_pixels::MergeBlobs(blobs, 1, merged), 1);
}

TEST(DeadPixels, TooManyRunsOrAreasAreRefused) {
  Picture dots;  // every other pixel of every other row: 160 x 120 single-pixel areas
  for (int y = 0; y < kHeight; y += 2)
    for (int x = 0; x < kWidth; x += 2) dots.mask[y * kWidth + x] = 1;
  Webcam::Blob blobs[1000];
  EXPECT_EQ(dead_pixels::FindBlobs(dots.mask.data(), blobs, 1000), -1);  // 19200 runs
  Picture few;
  for (int i = 0; i < 5; ++i) few.mask[10 * kWidth + 4 * i] = 1;
  EXPECT_EQ(dead_pixels::FindBlobs(few.mask.data(), blobs, 4), -1);
  EXPECT_EQ(dead_pixels::FindBlobs(few.mask.data(), blobs, 5), 5);
  // The run table holds 4096 runs: single pixels, 160 to a row on every other row.
  std::vector<Webcam::Blob> many(4097);
  for (const int runs : {4096, 4097}) {
    Picture p;
    for (int i = 0; i < runs; ++i) p.mask[2 * (i / 160) * kWidth + 2 * (i % 160)] = 1;
    EXPECT_EQ(dead_pixels::FindBlobs(p.mask.data(), many.data(), 4097), runs == 4096 ? 4096 : -1) << runs;
  }
  Picture full;  // 240 runs joined into one area
  std::fill(full.mask.begin(), full.mask.end(), 1);
  ASSERT_EQ(dead_pixels::FindBlobs(full.mask.data(), blobs, 1), 1);
  EXPECT_FLOAT_EQ(blobs[0].x, 159.5f);
  EXPECT_FLOAT_EQ(blobs[0].y, 119.5f);
}

// Isolated discs 20 pixels apart, 50 to a row.
std::vector<Webcam::Blob> Scattered(int n) {
  std::vector<Webcam::Blob> discs;
  for (int i = 0; i < n; ++i) discs.push_back(Disc(float(i % 50 * 20), float(i / 50 * 20), 1));
  return discs;
}

TEST(DeadPixels, MergeBlobsGroupsNeighbours) {
  struct Case { std::vector<Webcam::Blob> in; int groups; float first_radius; } cases[] = {
      {{}, 0, 0},
      {{Disc(5, 5, 2)}, 1, 2},
      {{Disc(0, 0, 1), Disc(6, 0, 1), Disc(12, 0, 1)}, 1, 7},  // a chain: 0-1 and 1-2 near
      {{Disc(0, 0, 1), Disc(6, 0, 1), Disc(100, 0, 1), Disc(106, 0, 1)}, 2, 4},
      {{Disc(0, 0, 1), Disc(7, 0, 1)}, 2, 1},  // 7 is not less than 1 + 1 + 5
      {Scattered(1001), 1000, 1},  // at most 1000 written
  };
  for (const Case& c : cases) {
    std::vector<Webcam::Blob> out(c.in.size() + 1);
    ASSERT_EQ(dead_pixels::MergeBlobs(c.in.data(), int(c.in.size()), out.data()), c.groups);
    if (c.groups > 0) {
      EXPECT_FLOAT_EQ(out[0].radius, c.first_radius);
    }
  }
}

TEST(DeadPixels, OverlayKernelAndDilation) {
  Picture p;
  p.mask[100 * kWidth + 100] = 1;
  std::vector<uint8_t> overlay(kWidth * kHeight);
  dead_pixels::BuildOverlay(p.mask.data(), overlay.data());
  auto at = [&](int x, int y) { return int(overlay[y * kWidth + x]); };
  EXPECT_EQ(at(100, 100), 40);
  EXPECT_EQ(at(102, 100), 10);  // middle of an outer edge
  EXPECT_EQ(at(98, 98), 2);     // corner
  int sum = 0;
  for (uint8_t v : overlay) sum += v;
  EXPECT_EQ(sum, 248);
  std::fill(p.mask.begin(), p.mask.end(), 1);  // a whole kernel at most: no byte wraps
  dead_pixels::BuildOverlay(p.mask.data(), overlay.data());
  EXPECT_EQ(at(160, 120), 248);
  EXPECT_EQ(at(0, 0), 122);  // corner of the picture: the kernel's 3 x 3 quarter
  Picture d;
  d.mask[0] = 1;
  d.mask[100 * kWidth + 100] = 1;
  dead_pixels::Dilate(d.mask.data());
  EXPECT_EQ(d.Marked(), 9 + 25);
}

TEST(DeadPixels, TooBrightHasHysteresis) {
  const struct { bool was; int masked; bool is; } cases[] = {
      {false, 13056, false}, {false, 16320, false}, {false, 16321, true},
      {true, 16320, true},   {true, 13056, true},   {true, 13055, false},
  };
  for (const auto& c : cases) EXPECT_EQ(dead_pixels::TooBright(c.was, c.masked), c.is) << c.was << " " << c.masked;
}

}  // namespace
