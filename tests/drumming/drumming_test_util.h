// Fixtures of the drumming tests: kits over test-tone elements in a fresh working folder.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "sound/midi.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"
#include "tests/tracking/webcam_test_util.h"

namespace drumming_test {

// A snare (four layers), a hi-hat and a kick (two layers each) in the sound manager, sound
// through the mixer, drums not muted and an empty kit. The fixture's SetUp calls StartBench,
// then adds the rest of its elements and loads its kit.
class SnareHatKickTest : public ::testing::Test {
 protected:
  void StartBench(const std::string& folder) {
    chdir_ = std::make_unique<skyt_test::ScopedChdir>(skyt_test::FreshDir(folder));
    skyt_test::ResetSound();
    kit_.Init();
    midi_mode = 0;
    drums_muted = false;
    snare_ = skyt_test::AddElement(Sound::SNARE, 0, 4);
    hihat_ = skyt_test::AddElement(Sound::HIHAT, 2, 2);
    kick_ = skyt_test::AddElement(Sound::KICK, 1, 2);
  }
  void TearDown() override {
    CloseMIDIOutput();
    midi_mode = 0;
  }

  std::unique_ptr<skyt_test::ScopedChdir> chdir_;
  Drumkit kit_;
  int snare_, hihat_, kick_;
};

// The eight-drum grid kit (LoadGridKit) and a drummer, with a camera front end that has no
// camera, in a fresh working folder named after the test suite.
class GridKitTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(skyt_test::LoadGridKit(kit, 8)); }

  skyt_test::ScopedChdir in{
      skyt_test::FreshDir(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name())};
  skyt_test::OfflineWebcam camera;
  Drumkit kit;
  Drummer drummer;
};

}  // namespace drumming_test
