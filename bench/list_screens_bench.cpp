// One frame of each list screen under OSMesa with long lists: 200 kits, 500 elements, 300
// recordings, 100 MIDI maps and 100 songs (CPU per frame; goal under 2 ms each), and listing
// data/elements/ with 500 element files.
#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <string>

#include "bench/screen_frames.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "drumming/drummer.h"
#include "library/drumkit_chooser.h"
#include "library/midi_map_chooser.h"
#include "screens/screens.h"
#include "sound/logger.h"
#include "tests/support/test_dirs.h"

namespace {

void FillLists() {
  drumkit_chooser.drumkits.assign(200, {});
  for (int i = 0; i < 200; ++i) {
    drumkit_chooser.drumkits[i].Name = "Kit number " + std::to_string(i);
    drumkit_chooser.drumkits[i].elements.assign(12, "Element 1");
  }
  drumkit_chooser.element_names.clear();
  for (int i = 0; i < 500; ++i) drumkit_chooser.element_names.push_back("Element " + std::to_string(i));
  logger.recordings.assign(300, {});
  for (int i = 0; i < 300; ++i) logger.recordings[i].name = logger.recordings[i].short_name = "2026_Dec_07_take_" + std::to_string(i);
  midi_map_chooser.midi_maps.assign(100, {});
  for (int i = 0; i < 100; ++i) midi_map_chooser.midi_maps[i].Name = "MIDI map " + std::to_string(i);
  drummer.playlist.assign(100, {});
  for (int i = 0; i < 100; ++i) drummer.playlist[i] = {"Song " + std::to_string(i), "/songs/song.ogg"};
}

void BM_ListScreenFrame(benchmark::State& state) {
  const int screen = static_cast<int>(state.range(0));
  screen_bench::ScreenFrames frames;
  if (!frames.FontLoaded()) return state.SkipWithError("no font");
  FillLists();
  void (*frame)() = screen == kChooseDrumkitScreen ? DoChooseDrumkitScreen
                    : screen == kNewDrumkitScreen  ? DoNewDrumkitScreen
                    : screen == kRecordingScreen   ? DoRecordingScreen
                    : screen == kPlaylistScreen    ? DoPlaylistScreen
                    : screen == kChooseMidiMapScreen ? DoChooseMidiMapScreen
                                                     : DoMIDIMapsScreen;
  state_param = 10;  // a line selected where the screen takes one
  frames.Time(state, screen, frame, 300, 600);  // over the list: the recordings' details panel shows
}
BENCHMARK(BM_ListScreenFrame)
    ->Arg(kChooseDrumkitScreen)->Arg(kNewDrumkitScreen)->Arg(kRecordingScreen)->Arg(kPlaylistScreen)
    ->Arg(kChooseMidiMapScreen)->Arg(kMidiMapsScreen)->Unit(benchmark::kMicrosecond);

void BM_ListElements(benchmark::State& state) {
  skyt_test::Installation install("bench_list_elements");
  mkdir("data", 0755);
  mkdir("data/elements", 0755);
  for (int i = 0; i < 500; ++i) skyt_test::WriteFile("data/elements/Element " + std::to_string(i) + ".ele", "ELE0");
  for (auto _ : state) {
    drumkit_chooser.BuildElementList();
    benchmark::DoNotOptimize(drumkit_chooser.element_names.size());
  }
  if (drumkit_chooser.element_names.size() != 500) state.SkipWithError("not every element listed");
}
BENCHMARK(BM_ListElements)->Unit(benchmark::kMicrosecond);

}  // namespace
