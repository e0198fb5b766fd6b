// Listing kits, elements and MIDI maps, and the small settings migrations.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>


#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "library/midi_map_chooser.h"
#include "library/migrations.h"
#include "sound/midi.h"
#include "tests/support/test_dirs.h"

namespace {

using skyt_test::ReadFile;
using skyt_test::WriteFile;

using skyt_test::Installation;

std::vector<std::string> Names(const DrumkitChooser& c) {
  std::vector<std::string> names;
  for (const auto& k : c.drumkits) names.push_back(k.Name);
  return names;
}

}  // namespace

TEST(KitList, PresetsOfThePlayersHandFirstThenUserKits) {
  Installation install("library_kits");
  WriteFile("conf/drumkits/A__First__RH_.ini",
            "[Drumkit]\r\nName = First (RH)\r\nIs_Preset = yes\r\n\r\nDrum0.element = 14in snare\r\n"
            "Drum1.element = 20in kick\r\nDrum3.element = after a gap\r\n");
  WriteFile("conf/drumkits/A__First__LH_.ini", "[Drumkit]\nName = First (LH)\nIs_Preset = yes\n");
  WriteFile("conf/drumkits/Mine.ini", "[Drumkit]\nName = Mine\nIs_Preset = no\n\nDrum0.element = cowbell\n");
  WriteFile("conf/drumkits/Broken.ini", "[Drumkit]\nIs_Preset = no\n");
  WriteFile("conf/drumkits/notes.txt", "[Drumkit]\nName = Not a kit\n");
  DrumkitChooser chooser;
  testing::internal::CaptureStdout();
  chooser.BuildDrumkitList(false);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("Drumkit has no name, skipping it"), std::string::npos);
  EXPECT_EQ(Names(chooser), (std::vector<std::string>{"First (RH)", "Mine"}));
  EXPECT_EQ(chooser.drumkits[0].elements, (std::vector<std::string>{"14in snare", "20in kick"}));
  EXPECT_TRUE(chooser.drumkits[0].Is_Preset);
  EXPECT_FALSE(chooser.drumkits[1].left_handed);
  chooser.BuildDrumkitList(true);
  EXPECT_EQ(Names(chooser), (std::vector<std::string>{"First (LH)", "Mine"}));
  EXPECT_TRUE(chooser.drumkits[0].left_handed);
  EXPECT_EQ(chooser.drumkits[1].path, "./conf/drumkits/Mine.ini");
}

TEST(KitList, ElementLibraryAndAnUnknownKit) {
  Installation install("library_elements");
  WriteFile("data/elements/20in kick.ele", "ELE0");
  WriteFile("data/elements/Ride.ELE", "ELE0");
  WriteFile("data/elements/readme.txt", "");
  DrumkitChooser chooser;
  chooser.Init();
  EXPECT_EQ(chooser.element_names, (std::vector<std::string>{"20in kick", "Ride"}));
  chooser.BuildDrumkitList(false);
  testing::internal::CaptureStdout();
  EXPECT_LT(chooser.LoadDrumkit(nullptr, "No such kit", false), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(chooser.current_drumkit_name, "");  // the name before the call comes back
}

TEST(KitList, FilesAnOldInstallerLeftBehindAreSkipped) {
  // The left-behind kit: its name, a drum 3 of element "test" without a place, 2541 bytes.
  auto kit = [](const std::string& name, const std::string& drum3, const std::string& key,
                int pad) {
    const std::string text = "[Drumkit]\nName = " + name + "\nIs_Preset = no\n\nDrum3.element = " +
                             drum3 + "\n" + key + " = 1\nNote = ";
    return text + std::string(size_t(2541 - 1 + pad) - text.size(), 'x') + "\n";
  };
  const std::string stale = "Copy_of_My_First_Skytapper_Kit__RH_.ini";
  const std::string name = "Copy of My First Skytapper Kit (RH)";
  const struct { std::string file, text; bool listed; } kits[] = {
      {stale, kit(name, "test", "Drum3.y", 0), false},
      {stale, kit(name, "test", "Drum3.y", 1), true},
      {stale, kit("Copy of My First Skytapper Kit (LH)", "test", "Drum3.y", 0), true},
      {stale, kit(name, "tesu", "Drum3.y", 0), true},
      {stale, kit(name, "test", "Drum3.x", 0), true},
      {"Copy_of_My_First_Skytapper_Kit.ini", kit(name, "test", "Drum3.y", 0), true},
  };
  for (const auto& k : kits) {
    Installation install("library_stale_kit");
    WriteFile("conf/drumkits/" + k.file, k.text);
    DrumkitChooser chooser;
    chooser.BuildDrumkitList(false);
    EXPECT_EQ(chooser.drumkits.size(), k.listed ? 1u : 0u) << k.file << " " << k.text.substr(0, 80);
  }
  // The left-behind elements, by their exact sizes.
  const struct { const char* file; long long size; bool listed; } elements[] = {
      {"test.ele", 10153279, false}, {"test.ele", 10153280, true}, {"test2.ele", 33979287, false},
      {"test2.ele", 10153279, true}};
  for (const auto& e : elements) {
    Installation install("library_stale_element");
    WriteFile(std::string("data/elements/") + e.file, "");
    ASSERT_EQ(truncate((std::string("data/elements/") + e.file).c_str(), e.size), 0);
    DrumkitChooser chooser;
    chooser.Init();
    EXPECT_EQ(chooser.element_names.size(), e.listed ? 1u : 0u) << e.file << " " << e.size;
  }
}

TEST(MidiMapList, PresetsFirstAndUnnamedMapsSkipped) {
  Installation install("library_midi_maps");
  WriteFile("conf/midi-maps/Z_Mine.ini", "[MIDI map]\nName = Mine\n");
  WriteFile("conf/midi-maps/A_Default.ini", "[MIDI map]\nName = Default\nIs_Preset = yes\n");
  WriteFile("conf/midi-maps/B_Broken.ini", "[MIDI map]\nIs_Preset = yes\n");
  MidiMapChooser chooser;
  testing::internal::CaptureStdout();
  chooser.BuildMidiMapList();
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("Skipping this MIDI map"), std::string::npos);
  ASSERT_EQ(chooser.midi_maps.size(), 2u);
  EXPECT_EQ(chooser.GetMidiMap(0)->Name, "Default");
  EXPECT_TRUE(chooser.GetMidiMap(0)->Is_Preset);
  EXPECT_EQ(chooser.GetMidiMap(1)->Name, "Mine");
  EXPECT_EQ(chooser.GetMidiMap(1)->path, "./conf/midi-maps/Z_Mine.ini");
  EXPECT_TRUE(chooser.IsValidMidiMapIndex(1));
  EXPECT_FALSE(chooser.IsValidMidiMapIndex(2));
  EXPECT_FALSE(chooser.IsValidMidiMapIndex(-1));
  EXPECT_EQ(chooser.GetMidiMap(5), nullptr);
}

TEST(Migrations, SaveLanguageReplacesTheExistingLine) {
  Installation install("library_save_language");
  WriteFile("conf/skytapper.cfg", "[Session]\nWants_Startup_Help = true\nLanguage = de\n");
  SetLanguage("ja");
  SaveLanguage();
  EXPECT_EQ(ReadFile("conf/skytapper.cfg"), "[Session]\nWants_Startup_Help = true\nLanguage = ja\n");
  SetLanguage("en");
}

TEST(Migrations, SaveLanguageWithoutAnAnchorGoesAfterTheSectionHeader) {
  Installation install("library_save_language_noanchor");
  WriteFile("conf/skytapper.cfg", "[Session]\nNever_Ran = true\n");
  SaveLanguage();
  EXPECT_EQ(ReadFile("conf/skytapper.cfg"), "[Session]\nLanguage = en\nNever_Ran = true\n");
}

TEST(Migrations, MidiPortCorrectionOnlyWithoutTheMenuButtonKey) {
  Installation install("library_midi_bug");
  const int saved = midi_output_number;
  midi_output_number = 2;
  WriteFile("conf/skytapper.cfg", "[Session]\nUse_Old_Style_Menu_Button = no\n");
  PatchPerformanceModeMIDIBug();
  EXPECT_EQ(midi_output_number, 2);
  WriteFile("conf/skytapper.cfg", "[Session]\nMidi_Output_Number = 2\n");
  PatchPerformanceModeMIDIBug();
  EXPECT_EQ(midi_output_number, 3);
  WriteFile("conf/skytapper.cfg", "[Session]\nUse_Old_Style_Menu_Button =\n");
  PatchPerformanceModeMIDIBug();
  EXPECT_EQ(midi_output_number, 4) << "an empty value counts as missing";
  midi_output_number = saved;
}
