// Drumming test bench: drum elements made of constant-level test tones in the program-wide
// sound manager, kits built from them, synthetic marker tracks fed to the drumming controller
// as blobs, and what came out: the voices started in the mixer (rendered offline) and the MIDI
// bytes (through the fake PortMidi, when the test links skyt_fake_portmidi). The tracks may also
// be rendered into camera frames and found by the camera's own blob finder.
#pragma once
#include <string>
#include <vector>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "sound/logger.h"
#include "sound/sound.h"
#include "tests/support/blobs.h"
#include "tests/support/marker_scene.h"
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

// A kit of n (2..) drums spread over the picture, each an element of three layers: drum 0 a
// hi-hat (stick at (60, 120), pedal at (90, 225)), drum 1 a kick pedal at (200, 225), the rest
// hand drums of eight kinds on a grid. Resets the sound manager first; panning as a
// right-handed player's.
bool LoadGridKit(Drumkit& kit, int n);

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
  // The same, with the markers rendered into the camera's current QVGA frame (dark background)
  // and found by its blob finder (at most four blobs, lighting status updated). The camera
  // must have been initialised.
  std::vector<Voice> CameraFrame(const std::vector<SceneMarker>& markers, Webcam& camera);
  // What the drumming controller logged for each limb in the last frame.
  const Logger::Frame& LastLog() const { return log_; }
  // All voices started so far, frame by frame.
  const std::vector<std::vector<Voice>>& History() const { return history_; }
  int TotalVoices() const;
  void SetMenu(DistanceMenu* menu) { menu_ = menu; }

 private:
  Drummer& drummer_;
  DistanceMenu* menu_;
  std::vector<std::vector<Voice>> history_;
  Logger::Frame log_;
};

// Resets the drummer's per-run state (markers, holds, pedals, picks) and points it at kit.
void ResetDrummer(Drummer& drummer, Drumkit& kit);

}  // namespace skyt_test
