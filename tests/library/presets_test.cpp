// The compiled-in preset kits and MIDI maps: what the files hold, how the kit library lists
// them, and that every kit loads and lays out its in-air menu over the manifest's elements.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "assets/presets/preset_texts.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "frame/platform/spawn.h"
#include "library/drumkit_chooser.h"
#include "library/midi_maps.h"
#include "library/migrations.h"
#include "tests/support/preset_kits.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"

namespace {

using skyt_test::Installation;
using skyt_test::ReadFile;

std::string Text(const PresetText& p) { return std::string(p.data, p.size); }

// The calibration part of a kit text, which the paired kits share.
std::string Calibration(const std::string& kit) { return kit.substr(kit.find("[Drumkit calibration]")); }

// "channel note0/note1 foot foot_note0 cc openness_cc" of a map entry; "" when the map has none.
std::string Entry(const MidiMapTables& map, Sound::ElementType type, int number) {
  auto it = map.element_type.find({type, number});
  if (it == map.element_type.end()) return "";
  const MidiNotes& n = it->second;
  std::string s = std::to_string(n.channel) + " " + std::to_string(n.notes[0]);
  if (n.note_count > 1) s += "/" + std::to_string(n.notes[1]);
  if (n.foot_note_count > 0) s += " foot " + std::to_string(n.foot_notes[0]);
  return s + " cc " + std::to_string(n.openness_cc) + " " + std::to_string(n.positional_cc1) +
         std::to_string(n.positional_cc2);
}

}  // namespace

TEST(Presets, KitsListLoadAndLayOutTheirMenus) {
  Installation install("presets_kits");
  skyt_test::ResetSound();
  ASSERT_TRUE(skyt_test::MakeManifestElements());
  WritePresetDrumkits();
  skyt_test::WriteFile("conf/drumkits/Mine.ini", "[Drumkit]\nName = Mine\nIs_Preset = no\n");
  int boxes = 0;
  SetCommandRunner([&](const std::vector<std::string>&, const std::string*) {
    ++boxes;
    return CommandResult{0, ""};
  });
  DrumkitChooser c;
  c.Init();
  for (bool left : {false, true}) {
    SCOPED_TRACE(left ? "LH" : "RH");
    c.BuildDrumkitList(left);
    const std::string h = left ? " (LH)" : " (RH)";
    std::vector<std::string> names;
    for (const auto& k : c.drumkits) names.push_back(k.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"My First Skytapper Kit" + h, "Small Jazz Kit" + h, "Big Jazz Kit" + h,
                                               "Small Rock Kit" + h, "Big Rock Kit" + h, "Percussion Kit" + h,
                                               "MIDI Kit" + h, "Mine"}));
    drummer.Is_Left_Handed = left;
    for (size_t k = 0; k + 1 < names.size(); ++k) {
      testing::internal::CaptureStdout();
      const int loaded = c.LoadDrumkit(&drumkit, names[k], false);
      const std::string out = testing::internal::GetCapturedStdout();
      ASSERT_EQ(loaded, int(k)) << names[k] << out;
      EXPECT_TRUE(c.drumkits[k].Is_Preset);
      EXPECT_TRUE(drumkit.is_calibrated) << names[k];
      for (size_t d = 0; d < drumkit.drums.size(); ++d) EXPECT_GE(drumkit.GetDrumkitElementToSoundElement(int(d)), 0);
      EXPECT_TRUE(drumkit.SetDistanceMenuLocations(left)) << names[k];
    }
  }
  EXPECT_EQ(boxes, 0);
  // The camera stand moves a right-handed preset's kick, not its file.
  drummer.Is_Left_Handed = false;
  drummer.Use_Camera_Stand = true;
  c.BuildDrumkitList(false);
  const std::string first = ReadFile("conf/drumkits/A__My_First_Skytapper_Kit__RH_.ini");
  testing::internal::CaptureStdout();
  ASSERT_EQ(c.LoadDrumkit(&drumkit, "My First Skytapper Kit (RH)", false), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_FLOAT_EQ(drumkit.drums[1].foot_x, 205.897430f);
  EXPECT_FLOAT_EQ(drumkit.drums[1].foot_x_in_file, 174.897430f);
  EXPECT_EQ(ReadFile("conf/drumkits/A__My_First_Skytapper_Kit__RH_.ini"), first);
  drummer.Use_Camera_Stand = false;
  // Under the Addictive Drums 2 map: the snare from the map, the kick (number 1, which the map
  // leaves out) from the built-in notes.
  WritePresetMidiMaps();
  ASSERT_TRUE(LoadMIDIMap("conf/midi-maps/C_AD2.ini"));
  const auto built_in = midi_map;
  midi_map[{Sound::KICK, 1}].notes[0] = 35;
  testing::internal::CaptureStdout();
  ASSERT_EQ(c.LoadDrumkit(&drumkit, "Big Jazz Kit (RH)", false), 2);
  testing::internal::GetCapturedStdout();
  const MidiNotes* snare = drumkit.GetMIDINotes(0);
  EXPECT_EQ(snare->channel, 10);
  EXPECT_EQ(snare->notes[0], 38);
  EXPECT_EQ(snare->notes[1], 37);
  EXPECT_EQ(drumkit.GetMIDINotes(2)->notes[0], 35);
  midi_map = built_in;
  ClearMIDIMap();
  SetCommandRunner(nullptr);
}

TEST(Presets, KitFilesThatDifferAreWrittenAgainWholeOnesLeftAlone) {
  Installation install("presets_rewrite");
  ASSERT_TRUE(WritePresetDrumkits());
  auto path = [](int k) { return "conf/drumkits/" + std::string(preset_drumkits[k].file); };
  struct stat before{}, after{};
  ASSERT_EQ(stat(path(0).c_str(), &before), 0);
  std::string same_size = Text(preset_drumkits[3]);
  same_size[0] = '#';
  skyt_test::WriteFile(path(1), Text(preset_drumkits[1]).substr(0, 100));
  skyt_test::WriteFile(path(2), Text(preset_drumkits[2]) + "x");
  skyt_test::WriteFile(path(3), same_size);
  const long open_files = skyt_test::OpenFiles();
  ASSERT_TRUE(WritePresetDrumkits());
  EXPECT_EQ(skyt_test::OpenFiles(), open_files) << "each kit file read is closed";
  for (int k : {1, 2, 3}) EXPECT_EQ(ReadFile(path(k)), Text(preset_drumkits[k])) << k;
  ASSERT_EQ(stat(path(0).c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "a file holding its text was written again";
  // A folder where a kit file belongs cannot be replaced: the call says so.
  ASSERT_EQ(remove(path(1).c_str()), 0);
  ASSERT_EQ(mkdir(path(1).c_str(), 0777), 0);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(WritePresetDrumkits());
  testing::internal::GetCapturedStdout();
}

TEST(Presets, KitTextsKeepTheirShapeAndRelations) {
  // Rock kits stand where the jazz kits of their size stand; the MIDI kits where Big Jazz does.
  for (int hand = 0; hand < 2; ++hand) {
    EXPECT_EQ(Calibration(Text(preset_drumkits[2 + hand])), Calibration(Text(preset_drumkits[6 + hand])));
    EXPECT_EQ(Calibration(Text(preset_drumkits[4 + hand])), Calibration(Text(preset_drumkits[8 + hand])));
  }
  const std::string my_first = Text(preset_drumkits[1]);
  for (const char* line : {"Drum0.size = 2.7819057\r\n", "Drum1.foot_x = 174.897430\r\n",
                           "Drum2.midi_bow_edge_threshold = 1.000000\r\n", "Drum0.midi_rimshot_threshold = 1.000000\r\n"})
    EXPECT_NE(my_first.find(line), std::string::npos) << line;
  EXPECT_NE(Text(preset_drumkits[0]).find("Drum1.foot_x = 144.102570\r\n"), std::string::npos) << "mirrored";
  const std::string midi = Text(preset_drumkits[13]);
  for (const char* line : {"Drum0.midi_rimshot_threshold = 0.854130\r\n", "Drum6.midi_bow_edge_threshold = 0.696654\r\n",
                           "Drum2.midi_foot_filter_threshold = 0.090000\r\n", "Drum3.volume = 100\r\n"})
    EXPECT_NE(midi.find(line), std::string::npos) << line;
  // The legend is the kit writer's, with CR LF.
  std::string legend = Drumkit::GetDrumkitCalibrationLegend();
  for (size_t at = 0; (at = legend.find('\n', at)) != std::string::npos; at += 2) legend.insert(at, "\r");
  for (const PresetText& p : preset_drumkits) {
    const std::string kit = Text(p);
    EXPECT_NE(kit.find("[Drumkit calibration]\r\n\r\n" + legend + "Left_Choke_Zone_Param1 = 200.000000\r\n"),
              std::string::npos) << p.file;
    EXPECT_EQ(kit.find("shin"), std::string::npos);
  }
}

TEST(Presets, MidiMapsHoldTheirEntries) {
  Installation install("presets_maps");
  WritePresetMidiMaps();
  const size_t counts[] = {0, 0, 63, 52, 1, 0, 1, 1, 62, 52, 50};
  MidiMapTables maps[11];
  for (int i = 0; i < 11; ++i) {
    ASSERT_TRUE(ReadMIDIMapFile("conf/midi-maps/" + std::string(preset_midi_maps[i].file), maps[i]));
    EXPECT_EQ(maps[i].element_type.size(), counts[i]) << preset_midi_maps[i].file;
    EXPECT_TRUE(maps[i].per_element.empty());
  }
  const struct {
    int map;
    Sound::ElementType type;
    int number;
    const char* entry;
  } cases[] = {
      {2, Sound::HIHAT, 4, "10 46/26 foot 46 cc 4 00"}, {2, Sound::KICK, 2, "10 36 cc 0 00"},
      {2, Sound::KICK, 1, ""},                          {8, Sound::KICK, 1, "10 60 cc 0 00"},
      {8, Sound::KICK, 3, "10 60 cc 0 00"},             {8, Sound::KICK, 2, "10 36 cc 0 00"},
      {4, Sound::HIHAT, 1, "10 46/42 foot 44 cc 4 00"}, {7, Sound::HIHAT, 1, "10 46/42 foot 65 cc 4 00"},
      {10, Sound::CUSTOM_HAND_AND_FOOT, 4, "10 34 cc 0 00"}, {10, Sound::CRASH, 4, "10 52 cc 0 00"},
  };
  for (const auto& c : cases) EXPECT_EQ(Entry(maps[c.map], c.type, c.number), c.entry) << c.map << " " << c.type;
  EXPECT_EQ(maps[9].element_type.size(), maps[3].element_type.size());
  for (const auto& [key, notes] : maps[3].element_type)
    EXPECT_EQ(Entry(maps[9], key.first, key.second), Entry(maps[3], key.first, key.second)) << "SD2 = EZD2";
  EXPECT_TRUE(Text(preset_midi_maps[4]).ends_with("Map0.positional_cc2 = 0\r\n")) << "Garage Band: no blank line at the end";
  EXPECT_TRUE(Text(preset_midi_maps[2]).ends_with("positional_cc2 = 0\r\n\r\n"));
}
