// Loading a large MIDI-map file (63 entries of about eight keys each, the size of the largest
// preset map) into the active map, and listing a folder of 1000 maps.
#include <benchmark/benchmark.h>

#include <string>

#include "frame/element_types.h"
#include "library/midi_map_chooser.h"
#include "library/midi_maps.h"
#include "tests/support/test_dirs.h"

namespace {

std::string Entry(int i, const std::string& first_line) {
  const std::string m = "Map" + std::to_string(i) + ".";
  return m + first_line + "\r\n" + m + "number = 1\r\n" + m + "channel = 10\r\n" + m + "note0 = C1\r\n" + m +
         "note1 = #40\r\n" + m + "foot_note0 = 44\r\n" + m + "openness_cc = 4\r\n" + m + "positional_cc1 = 16\r\n" +
         m + "positional_cc2 = 17\r\n\r\n";
}

// 42 per-element entries and the 21 element types.
std::string LargeMap() {
  std::string text = "[MIDI map]\r\nName = Large\r\nIs_Preset = yes\r\n\r\n[Per element map]\r\n\r\n";
  for (int i = 0; i < 42; ++i) text += Entry(i, "name = element " + std::to_string(i));
  text += "[Element type map]\r\n\r\n";
  for (int i = 0; i < 21; ++i) text += Entry(i, std::string("element_type = ") + drum_element::kTypeWords[i]);
  return text;
}

void BM_LoadLargeMidiMap(benchmark::State& state) {
  skyt_test::Installation install("bench_midi_map");
  skyt_test::WriteFile("conf/midi-maps/Large.ini", LargeMap());
  for (auto _ : state) benchmark::DoNotOptimize(LoadMIDIMap("conf/midi-maps/Large.ini"));
  state.counters["entries"] = double(per_element_midi_map.size() + element_type_midi_map.size());
}
BENCHMARK(BM_LoadLargeMidiMap)->Unit(benchmark::kMillisecond);

void BM_ListThousandMidiMaps(benchmark::State& state) {
  skyt_test::Installation install("bench_midi_map_list");
  for (int i = 0; i < 1000; ++i)
    skyt_test::WriteFile("conf/midi-maps/Map " + std::to_string(i) + ".ini",
                         "[MIDI map]\nName = Map " + std::to_string(i) + "\nIs_Preset = " + (i % 10 ? "no" : "yes") +
                             "\n\n[Per element map]\n\n[Element type map]\n\n");
  MidiMapChooser chooser;
  for (auto _ : state) chooser.BuildMidiMapList();
  state.counters["maps"] = double(chooser.midi_maps.size());
}
BENCHMARK(BM_ListThousandMidiMaps)->Unit(benchmark::kMillisecond);

}  // namespace
