// 100,000 tracking frames of random blobs, sane and damaged, through the drumming controller
// over a 30-drum kit with in-air buttons and sliders and MIDI going out: nothing crashes, every
// voice started has a finite, bounded volume and gains, and every MIDI message is a note or a
// controller with data bytes in range. Long: labelled so, and run under AddressSanitizer.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>

#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "sound/midi.h"
#include "tests/support/fake_portmidi.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"

// The mixer's voices, read between frames.
struct AudioTestAccess {
  static const Audio::Voice* Voices(const Audio& audio) { return audio.voices_; }
};

namespace {

const int kFrames = 100000;
// Element volume 100 and drums volume 100 give a voice the curve gain over its layer's level;
// with the test elements' layers at 1/3, 2/3 and 1 and the layer nearest the curve gain chosen,
// that is at most 1.5.
const float kMaxVoiceVolume = 1.5f;

// Four markers wandering over the picture and striking now and then, often onto one of the
// given drums, with blobs lost, added and damaged (non-numbers, infinities, huge and negative
// values).
class RandomBlobs {
 public:
  RandomBlobs(uint32_t seed, const std::vector<Drumkit::Drum>& drums) : rng_(seed), drums_(drums) {
    for (Marker& m : markers_) m = {Uniform(0, 320), Uniform(0, 240), 0};
  }
  std::vector<Webcam::Blob> Next() {
    std::vector<Webcam::Blob> blobs;
    for (Marker& m : markers_) {
      if (Chance(0.05f)) {  // a new stroke or a lift, half of the strokes aimed at a drum
        m.vy = Uniform(-4, 16);
        const Drumkit::Drum& d = drums_[std::uniform_int_distribution<size_t>(0, drums_.size() - 1)(rng_)];
        if (m.vy > 0 && Chance(0.5f) && d.y > 0) m = {d.x + Uniform(-3, 3), d.y - 6 * m.vy, m.vy};
      } else if (m.vy > 0 && Chance(0.2f)) m.vy = 0;  // a stroke stopped on something
      m.x = std::clamp(m.x + Uniform(-3, 3), -20.0f, 340.0f);
      m.y += m.vy;
      if (m.y > 250 || m.y < -10) m.vy = -m.vy * 0.5f;
      if (!Chance(0.1f)) blobs.push_back(Damaged(skyt_test::Blob(m.x, m.y, Uniform(1, 8))));
    }
    if (Chance(0.1f)) blobs.push_back(Damaged(skyt_test::Blob(Uniform(-50, 370), Uniform(-40, 280), Uniform(0, 12))));
    return blobs;
  }

 private:
  struct Marker {
    float x, y, vy;
  };
  float Uniform(float a, float b) { return std::uniform_real_distribution<float>(a, b)(rng_); }
  bool Chance(float p) { return Uniform(0, 1) < p; }
  Webcam::Blob Damaged(Webcam::Blob b) {
    switch (std::uniform_int_distribution<int>(0, 39)(rng_)) {
      case 0: b.x = NAN; break;
      case 1: b.y = INFINITY; break;
      case 2: b.radius = NAN; break;
      case 3: b.x = Uniform(-1e30f, 1e30f); b.y = Uniform(-1e30f, 1e30f); break;
      case 4: b.radius = -INFINITY; break;
      case 5: b.radius = -3; break;
      case 6: b.radius = 1e20f; break;
      default: break;
    }
    return b;
  }
  std::mt19937 rng_;
  const std::vector<Drumkit::Drum>& drums_;
  Marker markers_[4];
};

// In-air buttons (one needing activation) and a slider, as an in-air page shows them.
void FillMenu(DistanceMenu& menu) {
  menu.buttons.push_back({103, "Menu", 120, 175, 22.0f, true, false});
  menu.buttons.push_back({101, "Next", 250, 100, 22.0f, false, false});
  menu.buttons.push_back({146, "Save", 80, 175, 22.0f, false, true});
  menu.sliders.push_back({104, "Volume", 1, 150, 100, 50, 20, 50.0f, 100, 0, false});
}

bool IsNoteOrController(int status) {
  const int kind = status & 0xF0;
  return kind == 0x80 || kind == 0x90 || kind == 0xB0;
}

TEST(RandomBlobs, HundredThousandFramesOverALargeKit) {
  skyt_test::ScopedChdir in(skyt_test::FreshDir("random_blobs"));
  fake_portmidi::OpenOnlyOutput("Synth");
  midi_mode = 2;
  Drumkit kit;
  ASSERT_TRUE(skyt_test::LoadGridKit(kit, 30));
  // Damaged MIDI mappings among the sane ones.
  kit.GetMIDINotes(5)->notes[0] = 300;
  kit.GetMIDINotes(6)->channel = -7;
  kit.GetMIDINotes(7)->note_count = 1000;
  kit.GetMIDINotes(0)->openness_cc = -1;
  Drummer drummer;
  skyt_test::ResetDrummer(drummer, kit);
  DistanceMenu::ResetButtonActivation();
  RandomBlobs random(2024, kit.drums);
  const Audio::Voice* voices = AudioTestAccess::Voices(sound.audio);
  long hits = 0, started = 0, messages = 0;
  float loudest = 0;
  float out[2 * 64];
  const auto t0 = std::chrono::steady_clock::now();
  for (int frame = 0; frame < kFrames; ++frame) {
    std::vector<Webcam::Blob> blobs = random.Next();
    DistanceMenu menu;
    FillMenu(menu);
    DistanceMenu::UpdateButtonActivation();
    Logger::Frame log;
    drummer.Drum(blobs.data(), int(blobs.size()), &log, frame % 3 ? nullptr : &menu, false);
    for (const auto& limb : log.limbs) hits += limb.stroke && limb.found >= 0 && limb.velocity > 0;
    for (int v = 0; v < Audio::kMaxVoices; ++v) {
      if ((voices[v].state.load() & 3) != 2) continue;
      ++started;
      const float volume = voices[v].volume.load(), l = voices[v].left_gain.load(), r = voices[v].right_gain.load();
      ASSERT_TRUE(volume >= 0 && volume <= kMaxVoiceVolume) << "frame " << frame << " volume " << volume;
      ASSERT_TRUE(l >= 0 && l <= 1 && r >= 0 && r <= 1) << "frame " << frame << " gains " << l << " " << r;
      loudest = std::max(loudest, volume);
    }
    for (const fake_portmidi::Message& m : fake_portmidi::Messages()) {
      ASSERT_TRUE(IsNoteOrController(m.status()) && m.data1() < 0x80 && m.data2() < 0x80 && (m.message >> 24) == 0)
          << "frame " << frame << " message " << std::hex << m.message;
      ++messages;
    }
    fake_portmidi::ClearMessages();
    ASSERT_TRUE(std::isfinite(menu.dominant_value) && std::isfinite(menu.non_dominant_value)) << frame;
    for (const Drumkit::Drum& d : kit.drums) ASSERT_TRUE(std::isfinite(d.openness)) << frame;
    sound.audio.StopAllSounds(false);
    sound.audio.RenderOffline(out, 64);
    for (float s : out) ASSERT_TRUE(std::isfinite(s)) << frame;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  printf("%d frames: %ld hits, %ld voices (loudest %.3f), %ld MIDI messages, %.1f s\n", kFrames, hits, started,
         loudest, messages, seconds);
  // The run must have drummed, or it proves nothing.
  EXPECT_GT(hits, kFrames / 100);
  EXPECT_GT(started, kFrames / 100);
  EXPECT_GT(messages, kFrames / 100);
  CloseMIDIOutput();
  midi_mode = 0;
}

}  // namespace
