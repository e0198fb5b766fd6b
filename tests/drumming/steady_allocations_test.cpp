// Drumming allocates nothing once warmed up: ten thousand camera frames of two sticks striking,
// each through the blob finder, the lighting check, the drumming controller, the voices it
// starts, the mixer and the icons' animations.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "tests/support/allocation_count.h"
#include "tests/support/marker_scene.h"
#include "tests/drumming/drumming_test_util.h"
#include "tests/support/stroke_harness.h"
#include "tests/tracking/webcam_test_util.h"

namespace {

// Both sticks stroke onto drums of the kit, out of step; one cycle of camera frames.
std::vector<std::vector<uint8_t>> StrokeFrames(const Drumkit& kit) {
  const Drumkit::Drum &a = kit.drums[2], &b = kit.drums[5];
  const std::vector<float> ys = skyt_test::StrokeTrack(0, 6, 6, 6);
  std::vector<std::vector<uint8_t>> frames;
  skyt_test::MarkerScene scene;
  for (size_t f = 0; f < ys.size(); ++f) {
    scene.Clear();
    scene.AddMarker(a.x, a.y - 36 + ys[f], 4);
    scene.AddMarker(b.x, b.y - 36 + ys[(f + 7) % ys.size()], 4);
    frames.push_back(scene.Render());
  }
  return frames;
}

void AgeAnimations(Drumkit& kit) {
  glLoadIdentity();
  for (Drumkit::Drum& d : kit.drums)
    for (Drumkit::Icon& icon : d.icons)
      for (Animation& a : icon.animations) a.Apply(0);
}

using SteadyAllocations = drumming_test::GridKitTest;

TEST_F(SteadyAllocations, DrummingFramesAllocateNothingAfterWarmUp) {
  skyt_test::ResetDrummer(drummer, kit);
  const std::vector<std::vector<uint8_t>> frames = StrokeFrames(kit);
  float out[2 * 64];
  long allocated = 0;
  int hits = 0;
  for (int f = 0; f < 11000; ++f) {
    const long before = skyt_test::AllocationCount();
    const int playing = sound.audio.GetNumPlayingSounds();
    camera.Load(frames[size_t(f) % frames.size()]);
    Webcam::Blob blobs[4];
    const int n = camera.cam.FindBlobs(blobs, 4);
    camera.cam.BadLightingSuspected(n);
    drummer.Drum(blobs, n, nullptr, nullptr, false);
    hits += sound.audio.GetNumPlayingSounds() > playing;
    AgeAnimations(kit);
    if (f % 16 == 0) sound.audio.StopAllSounds(false);
    sound.audio.RenderOffline(out, 64);
    if (f >= 1000) allocated += skyt_test::AllocationCount() - before;
  }
  EXPECT_GT(hits, 1000);
  EXPECT_EQ(allocated, 0);
}

// A fresh icon takes sixteen live hits, a fast roll's worth, without allocating.
TEST(IconHits, AFreshIconTakesSixteenWithoutAllocating) {
  Drumkit::Icon icon;
  icon.animations.emplace_back(0);
  const long before = skyt_test::AllocationCount();
  for (int hit = 0; hit < 16; ++hit) icon.Animate(0, 1.0f, 1, 0);
  EXPECT_EQ(skyt_test::AllocationCount() - before, 0);
  EXPECT_EQ(icon.animations[0].instances.size(), 16u);
}

}  // namespace
