// Marker tracks rendered into camera frames and found by the camera's blob finder play as the
// same tracks fed to the drumming controller as blobs do.
#include <gtest/gtest.h>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "tests/drumming/drumming_test_util.h"
#include "tests/support/stroke_harness.h"
#include "tests/tracking/webcam_test_util.h"

namespace {

struct Hit {
  int frame;
  skyt_test::Voice voice;
  float speed;
};

// A right-stick stroke onto the drum, the left stick resting aside, through either path. The
// blobs have the radius the blob finder measures for the rendered markers (the radius tells
// the depth, and so the drum).
std::vector<Hit> Stroke(Drummer& drummer, Drumkit& kit, const Drumkit::Drum& drum, float step, Webcam& camera,
                        bool render) {
  skyt_test::ResetDrummer(drummer, kit);
  skyt_test::StrokeHarness harness(drummer);
  std::vector<Hit> hits;
  const float r = 4.0f, seen_r = skyt_test::MarkerScene::ExpectedRadius(drum.x, drum.y, r, 255, camera.GetThreshold());
  const std::vector<float> ys = skyt_test::StrokeTrack(drum.y - 6 * step, step, 6, 6);
  for (size_t f = 0; f < ys.size(); ++f) {
    const std::vector<skyt_test::Voice> voices =
        render ? harness.CameraFrame({{drum.x, ys[f], r}, {30, 120, r}}, camera)
               : harness.Frame({skyt_test::Blob(drum.x, ys[f], seen_r), skyt_test::Blob(30, 120, seen_r)});
    for (const skyt_test::Voice& v : voices) hits.push_back({int(f), v, kit.shown_speed});
  }
  return hits;
}

using CameraStrokes = drumming_test::GridKitTest;

TEST_F(CameraStrokes, RenderedTracksPlayAsTheirBlobsDo) {
  const struct {
    int drum;
    float step;  // pixels a frame
  } cases[] = {{2, 3}, {3, 6}, {5, 9}, {7, 12}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "drum " << c.drum << ", step " << c.step);
    const Drumkit::Drum drum = kit.drums[c.drum];
    const std::vector<Hit> blobs = Stroke(drummer, kit, drum, c.step, camera.cam, false);
    const std::vector<Hit> seen = Stroke(drummer, kit, drum, c.step, camera.cam, true);
    ASSERT_EQ(blobs.size(), 1u);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].frame, blobs[0].frame);
    EXPECT_EQ(seen[0].voice.slot, blobs[0].voice.slot);
    EXPECT_EQ(seen[0].voice.layer, blobs[0].voice.layer);
    EXPECT_NEAR(seen[0].speed, blobs[0].speed, 0.02f * blobs[0].speed);
    EXPECT_NEAR(seen[0].voice.volume, blobs[0].voice.volume, 0.03f * blobs[0].voice.volume);
    EXPECT_NEAR(seen[0].voice.pan, blobs[0].voice.pan, 0.01f);
  }
}

}  // namespace
