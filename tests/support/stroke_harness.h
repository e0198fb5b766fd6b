// Drumming test bench: drum elements made of constant-level test tones in the program-wide
// sound manager, kits built from them, synthetic marker tracks fed to the drumming controller
// as blobs, and what came out: the voices started in the mixer (rendered offline) and the MIDI
// bytes (through the fake PortMidi, when the test links skyt_fake_portmidi).
#pragma once
#include <string>
#include <vector>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "sound/sound.h"
#include "tests/support/blobs.h"
#include "tracking/webcam.h"

class DistanceMenu;

namespace skyt_test {

// Sound manager ready for offline mixing: master gain 1 (master volume 40), drums 100, no
// reverb, panning on, no elements.
void ResetSound();

// Adds an element whose every sample is a tone of its own constant level; `layers` velocity
// layers per sample set with levels (i + 1) / layers. Returns the slot.
int AddElement(Sound::ElementType type, Sound::ElementCategory category, int layers = 3, int volume = 100,
               Sound::VolumeResponseCurve curve = Sound::CURVE_LINEAR);

struct KitDrum {
  std::string name;
  Sound::ElementType type;
  Sound::ElementCategory category;
  int slot;  // element slot, -1 for a drum without samples
};

// Writes `calibration` as the kit file's [Drumkit calibration] body (after a [Drumkit] part) to
// conf/drumkits/<file> under the working directory and loads it into kit.
bool LoadKit(Drumkit& kit, const std::vector<KitDrum>& drums, const std::string& calibration,
             const std::string& file = "test.ini", bool preset = false);

// One voice found playing: which element, sample set and velocity layer, and how it sounds.
struct Voice {
  int slot = -1;
  int set = -1;
  int layer = -1;
  float volume = 0;  // the mixer's voice volume
  float pan = 0;     // -1 left .. 1 right
};

// The voices playing now (volume and pan measured by rendering one short block when exactly one
// voice plays; both 0 otherwise). Rendering advances the mixer a little.
std::vector<Voice> PlayingVoices();
// Silences and releases every voice.
void SilenceAll();

// Vertical positions of a stroke: `rise` frames still at y0, then `down` frames moving down by
// `step` pixels a frame, then `rest` frames braked at the bottom.
std::vector<float> StrokeTrack(float y0, float step, int down, int rest, int still = 3);

// Feeds frames to the drummer and collects what each frame started.
class StrokeHarness {
 public:
  explicit StrokeHarness(Drummer& drummer, DistanceMenu* menu = nullptr) : drummer_(drummer), menu_(menu) {}

  // One tracking frame; returns the voices started in it (the mixer is silenced afterwards).
  std::vector<Voice> Frame(std::vector<Webcam::Blob> blobs);
  // All voices started so far, frame by frame.
  const std::vector<std::vector<Voice>>& History() const { return history_; }
  int TotalVoices() const;
  void SetMenu(DistanceMenu* menu) { menu_ = menu; }

 private:
  Drummer& drummer_;
  DistanceMenu* menu_;
  std::vector<std::vector<Voice>> history_;
};

// Resets the drummer's per-run state (markers, holds, pedals, picks) and points it at kit.
void ResetDrummer(Drummer& drummer, Drumkit& kit);

}  // namespace skyt_test
