// Plays marker tracks through the drumming controller and prints every voice they start:
//   drum_tracks TRACKS [DRUMS]
// The kit is the drumming test bench's grid kit of DRUMS drums (2-30, default 5) made of test
// tones, printed first as "#" lines (drum, name, stick x y size, pedal x y size). TRACKS holds
// one line per camera frame: the markers seen in it as "x y radius" triples in camera pixels
// (an empty line is a frame without markers; lines starting with "#" are comments). Sound and
// MIDI (through a recording stand-in for the MIDI port) both go out. One line per voice:
//   frame limb drum speed volume layer pan midi...
// limb and speed are those of the stroke that found the drum ("-" for pedal chicks and
// splashes); volume (the mixer's voice volume) and pan are "-" when several voices start in one
// frame; midi lists the frame's MIDI messages as status, data1, data2 in hex.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "sound/midi.h"
#include "tests/support/fake_portmidi.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"

namespace {

const char* const kLimbNames[4] = {"left_hand", "right_hand", "left_foot", "right_foot"};

// Reads the track file: blobs per frame. False (with a message) on a line that is not a list of
// triples of numbers.
bool ReadTracks(const char* path, std::vector<std::vector<Webcam::Blob>>& frames) {
  std::ifstream in(path);
  if (!in) {
    fprintf(stderr, "Error: cannot read %s\n", path);
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line[0] == '#') continue;
    std::istringstream fields(line);
    std::vector<float> values;
    std::string field;
    while (fields >> field) {
      char* end = nullptr;
      const float v = strtof(field.c_str(), &end);
      if (*end != '\0') {
        fprintf(stderr, "Error: %s line %d: \"%s\" is not a number\n", path, number, field.c_str());
        return false;
      }
      values.push_back(v);
    }
    if (values.size() % 3 != 0) {
      fprintf(stderr, "Error: %s line %d: markers are \"x y radius\" triples\n", path, number);
      return false;
    }
    std::vector<Webcam::Blob> blobs;
    for (size_t i = 0; i < values.size(); i += 3) blobs.push_back(skyt_test::Blob(values[i], values[i + 1], values[i + 2]));
    frames.push_back(blobs);
  }
  return true;
}

void PrintKit(FILE* out, const Drumkit& kit) {
  fprintf(out, "# drum name stick_x stick_y stick_size pedal_x pedal_y pedal_size\n");
  for (size_t i = 0; i < kit.drums.size(); ++i) {
    const Drumkit::Drum& d = kit.drums[i];
    fprintf(out, "# %zu %s %g %g %g %g %g %g\n", i, d.name, d.x, d.y, d.size, d.foot_x, d.foot_y, d.foot_size);
  }
  fprintf(out, "# frame limb drum speed volume layer pan midi...\n");
}

int DrumOfSlot(const Drumkit& kit, int slot) {
  for (size_t i = 0; i < kit.drums.size(); ++i)
    if (kit.GetDrumkitElementToSoundElement(int(i)) == slot) return int(i);
  return -1;
}

void PrintVoice(FILE* out, int frame, const skyt_test::Voice& v, bool alone, const Drumkit& kit, const Logger::Frame& log) {
  const int drum = DrumOfSlot(kit, v.slot);
  int limb = -1;
  for (int l = 0; l < 4; ++l)
    if (log.limbs[l].stroke && log.limbs[l].found == drum) limb = l;
  fprintf(out, "%d %s %d ", frame, limb >= 0 ? kLimbNames[limb] : "-", drum);
  if (limb >= 0)
    fprintf(out, "%.1f ", log.limbs[limb].speed);
  else
    fprintf(out, "- ");
  if (alone)
    fprintf(out, "%.3f %d %.3f", v.volume, v.layer, v.pan);
  else
    fprintf(out, "- %d -", v.layer);
  for (const fake_portmidi::Message& m : fake_portmidi::Messages())
    fprintf(out, " %02x %02x %02x", m.status(), m.data1(), m.data2());
  fprintf(out, "\n");
}

}  // namespace

int main(int argc, char** argv) {
  const int drums = argc == 3 ? atoi(argv[2]) : 5;
  if (argc < 2 || argc > 3 || drums < 2 || drums > 30) {
    fprintf(stderr, "usage: %s TRACKS [DRUMS 2-30]\n", argv[0]);
    return 2;
  }
  std::vector<std::vector<Webcam::Blob>> frames;
  if (!ReadTracks(argv[1], frames)) return 1;

  // The kit file goes to a scratch folder of its own.
  const std::string scratch = (std::filesystem::temp_directory_path() / "drum_tracks_XXXXXX").string();
  std::vector<char> dir(scratch.begin(), scratch.end());
  dir.push_back('\0');
  if (!mkdtemp(dir.data())) {
    fprintf(stderr, "Error: cannot make a scratch folder in %s\n", scratch.c_str());
    return 1;
  }
  // What the program prints on the way (kit loading, MIDI port) would mix with the hits.
  fflush(stdout);
  FILE* out = fdopen(dup(STDOUT_FILENO), "w");
  if (!out || !freopen("/dev/null", "w", stdout)) {
    fprintf(stderr, "Error: cannot set up the output\n");
    return 1;
  }
  int status = 0;
  {
    skyt_test::ScopedChdir in(dir.data());
    fake_portmidi::OpenOnlyOutput("Recorder");
    midi_mode = 2;
    Drumkit kit;
    Drummer drummer;
    if (skyt_test::LoadGridKit(kit, drums)) {
      skyt_test::ResetDrummer(drummer, kit);
      PrintKit(out, kit);
      skyt_test::StrokeHarness harness(drummer);
      for (size_t f = 0; f < frames.size(); ++f) {
        fake_portmidi::ClearMessages();
        const std::vector<skyt_test::Voice> voices = harness.Frame(frames[f]);
        for (const skyt_test::Voice& v : voices) PrintVoice(out, int(f), v, voices.size() == 1, kit, harness.LastLog());
      }
    } else {
      fprintf(stderr, "Error: the test kit could not be loaded\n");
      status = 1;
    }
    CloseMIDIOutput();
  }
  std::filesystem::remove_all(dir.data());
  if (fclose(out) != 0) status = 1;
  return status;
}
