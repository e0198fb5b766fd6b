// The track-file command: hits printed with the formulas' numbers, damaged track files refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/test_dirs.h"

namespace {

// Runs drum_tracks on `tracks`; returns its exit status, with its output lines that are not
// comments in `hits` and its error output in `errors`.
int RunDrumTracks(const std::string& tracks, std::string& hits, std::string& errors) {
  const std::string dir = skyt_test::FreshDir("drum_tracks");
  skyt_test::WriteFile(dir + "/tracks.txt", tracks);
  const std::string command = skyt_test::BuildDir() + "/tools/cmd/drum_tracks " + dir + "/tracks.txt 2>" + dir + "/err";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return -1;
  hits.clear();
  char line[512];
  while (fgets(line, sizeof(line), p))
    if (line[0] != '#') hits += line;
  const int status = pclose(p);
  errors = skyt_test::ReadFile(dir + "/err");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A right-stick stroke of 8 pixels a frame onto drum 2 (a mid tom at (114, 96), MIDI note 47),
// the left stick resting; then a frame of damaged numbers and one without markers.
std::string TomStroke() {
  std::string text = "# tom stroke\n";
  for (float y : {48.f, 48.f, 48.f, 56.f, 64.f, 72.f, 80.f, 88.f, 96.f, 96.f, 96.f, 96.f})
    text += "114 " + std::to_string(y) + " 4  30 120 4\n";
  return text + "nan inf -1e30\n\n";
}

TEST(DrumTracks, PrintsHitsAndRefusesDamagedFiles) {
  const struct {
    std::string tracks;
    int status;
    std::string hits, error;
  } cases[] = {
      // A stick falling at a steady speed is taken part-way down (frame 6, 16 pixels above the
      // drum). Speed 8 x 125 = 1000 pixels a second saturates the default volume map: element
      // volume 0.75 on the loudest layer, velocity 127; pan (114 - 146) / 178 x 0.8.
      {TomStroke(), 0, "6 right_hand 2 1000.0 0.750 2 -0.144 99 2f 7f 89 2f 00\n", ""},
      {"100 100 4\n100 100\n", 1, "", "line 2: markers are \"x y radius\" triples"},
      {"100 1OO 4\n", 1, "", "line 1: \"1OO\" is not a number"},
  };
  for (const auto& c : cases) {
    std::string hits, errors;
    EXPECT_EQ(RunDrumTracks(c.tracks, hits, errors), c.status) << c.tracks;
    EXPECT_EQ(hits, c.hits) << c.tracks;
    EXPECT_NE(errors.find(c.error), std::string::npos) << errors;
  }
}

}  // namespace
