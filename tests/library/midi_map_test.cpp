// MIDI-map files, the active map, the notes a kit takes from it and the MIDI-map library.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/library_calls.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "library/library_calls.h"
#include "library/midi_map_chooser.h"
#include "library/midi_maps.h"
#include "tests/support/fake_portmidi.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"

namespace {

using skyt_test::Installation;
using skyt_test::ReadFile;
using skyt_test::WriteFile;

const char kEmptyMap[] = "[MIDI map]\n\nName = X\nIs_Preset = no\n\n[Per element map]\n\n[Element type map]\n\n";

std::string Map(const std::string& name, bool preset = false) {
  return "[MIDI map]\nName = " + name + "\nIs_Preset = " + (preset ? "yes" : "no") + "\n";
}

MidiNotes Notes(int channel, std::vector<int> notes) {
  MidiNotes m;
  m.channel = channel;
  m.note_count = int(notes.size());
  for (size_t i = 0; i < notes.size(); ++i) m.notes[i] = notes[i];
  m.foot_note_count = 0;
  m.openness_cc = m.positional_cc1 = m.positional_cc2 = -1;
  return m;
}

// Quiet: the library prints a line for every file it skips or cannot open.
template <class F>
auto Quiet(F f) {
  testing::internal::CaptureStdout();
  auto r = f();
  testing::internal::GetCapturedStdout();
  return r;
}

}  // namespace

// Every field, unused slots included: a fresh read leaves them 0.
static bool operator==(const MidiNotes& a, const MidiNotes& b) { return memcmp(&a, &b, sizeof(a)) == 0; }

TEST(MidiMapFile, NoteNamesComeBackAsNumbersAndALoadedMapSavesAsItWas) {
  Installation install("midimap_roundtrip");
  WriteFile("in.ini", Map("In") + "\r\n[Per element map]\r\nMap0.name = 14in snare\r\nMap0.number = 2\r\n"
                      "Map0.note0 = D1\r\nMap0.note1 = #38\r\nMap0.foot_note0 = c#1\r\nMap0.foot_note1 = Eb2\r\n"
                      "Map0.positional_cc1 = 16\r\nMap0.positional_cc2 = 17\r\n"
                      "[Element type map]\nMap0.element_type = CHOKE\nMap0.channel = 3\nMap0.note0 = 49\n"
                      "Map0.openness_cc = 4\n");
  ClearMIDIMap();
  ASSERT_TRUE(LoadMIDIMap("in.ini"));
  const MidiNotes& snare = per_element_midi_map.at({"14in snare", 2});
  EXPECT_EQ(std::vector<int>(snare.notes, snare.notes + snare.note_count), (std::vector<int>{38, 38}));
  EXPECT_EQ(std::vector<int>(snare.foot_notes, snare.foot_notes + snare.foot_note_count), (std::vector<int>{37, 51}));
  EXPECT_EQ(snare.channel, 10);
  EXPECT_EQ(std::make_pair(snare.positional_cc1, snare.positional_cc2), std::make_pair(16, 17));
  MidiNotes choke = Notes(3, {49});  // no foot notes, no positional controllers
  choke.openness_cc = 4;
  EXPECT_EQ(element_type_midi_map.at({Sound::CHOKE, 1}), choke);
  const auto per_element = per_element_midi_map;
  const auto types = element_type_midi_map;
  ASSERT_TRUE(SaveMIDIMap("out.ini", "Out", false));
  EXPECT_NE(ReadFile("out.ini").find("Map0.foot_note1 = 51\n"), std::string::npos);
  ClearMIDIMap();
  ASSERT_TRUE(LoadMIDIMap("out.ini"));
  EXPECT_EQ(per_element_midi_map, per_element);
  EXPECT_EQ(element_type_midi_map, types);
  // A file that cannot be opened leaves the active map as it was.
  EXPECT_FALSE(Quiet([] { return LoadMIDIMap("missing.ini"); }));
  EXPECT_EQ(per_element_midi_map, per_element);
}

TEST(MidiMapFile, EntriesAndSlotsAsTheReaderCountsThem) {
  Installation install("midimap_read");
  struct Case {
    const char* body;  // of [Per element map]
    std::vector<std::pair<std::string, std::vector<int>>> per_element;  // name -> notes, number 1
  };
  const Case cases[] = {
      {"Map0.name = a\nMap0.note0 = 1\nMap0.note2 = 3\n", {{"a", {1}}}},
      {"Map0.name = a\n", {{"a", {}}}},
      {"Map0.name = a\nMap2.name = c\n", {{"a", {}}}},
      {"Map0.name = a\nMap0.note0 = 0\nMap0.note1 = 1\nMap0.note2 = 2\nMap0.note3 = 3\nMap0.note4 = 4\n"
       "Map0.note5 = 5\nMap0.note6 = 6\nMap0.note7 = 7\nMap0.note8 = 8\nMap0.note9 = 9\nMap0.note10 = 10\n",
       {{"a", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}}},
      {"Map0.name = a\nMap0.note0 = 1\nMap1.name = a\nMap1.note0 = 2\n", {{"a", {2}}}},
      {"Map0.name = a\nMap0.note0 = bad\nMap0.note1 = #-5\nMap0.note2 = 300\n", {{"a", {-1, -1, -1}}}},
  };
  for (const Case& c : cases) {
    WriteFile("m.ini", Map("M") + "[Per element map]\n" + c.body +
                           "[Element type map]\nMap0.element_type = KICK\nMap0.note0 = 36\n"
                           "Map1.element_type = snare\nMap1.note0 = 99\n");
    testing::internal::CaptureStdout();
    ASSERT_TRUE(LoadMIDIMap("m.ini"));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Warning: unknown element type \"snare\""), std::string::npos);
    std::vector<std::pair<std::string, std::vector<int>>> got;
    for (const auto& [key, n] : per_element_midi_map) got.push_back({key.first, {n.notes, n.notes + n.note_count}});
    EXPECT_EQ(got, c.per_element) << c.body;
    ASSERT_EQ(element_type_midi_map.size(), 1u) << c.body;
    EXPECT_EQ(element_type_midi_map.at({Sound::KICK, 1}).notes[0], 36);  // not replaced by "snare"
  }
}

TEST(MidiMapFile, WrittenInTableOrderWithNothingForEmptyTables) {
  Installation install("midimap_write");
  ClearMIDIMap();
  ASSERT_TRUE(SaveMIDIMap("empty.ini", "X", false));
  EXPECT_EQ(ReadFile("empty.ini"), kEmptyMap);
  element_type_midi_map[{Sound::CHOKE, 1}] = Notes(10, {55});
  element_type_midi_map[{Sound::SNARE, 2}] = Notes(10, {38});
  element_type_midi_map[{Sound::KICK, 1}] = Notes(10, {36});
  ASSERT_TRUE(SaveMIDIMap("types.ini", "X", true));
  const std::string text = ReadFile("types.ini");
  EXPECT_LT(text.find("Map0.element_type = KICK"), text.find("Map1.element_type = SNARE"));
  EXPECT_LT(text.find("Map1.element_type = SNARE"), text.find("Map2.element_type = CHOKE"));
  EXPECT_NE(text.find("Is_Preset = yes"), std::string::npos);
  ClearMIDIMap();
}

TEST(MidiMapKit, DrumsTakeElementThenTypeThenBuiltInNotes) {
  Installation install("midimap_kit");
  skyt_test::ResetSound();
  fake_portmidi::OpenOnlyOutput("Synth");  // also fills the built-in midi_map
  const int snare = skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND, 2);
  const int kick = skyt_test::AddElement(Sound::KICK, Sound::CATEGORY_FOOT, 2);
  Drumkit kit;
  kit.Init();
  ClearMIDIMap();
  per_element_midi_map[{"12in bop snare", 1}] = Notes(2, {40});
  element_type_midi_map[{Sound::SNARE, 1}] = Notes(10, {38, 37});
  element_type_midi_map[{Sound::SNARE, 2}] = Notes(10, {41});
  ASSERT_TRUE(skyt_test::LoadKit(kit,
                                 {{"12in bop snare", Sound::SNARE, 0, snare}, {"14in snare", Sound::SNARE, 0, snare},
                                  {"20in kick", Sound::KICK, 1, kick}},
                                 "Drum0.x = 100\nDrum0.y = 100\nDrum0.size = 4\n"));
  kit.RecreateMIDIMap();
  EXPECT_EQ(*kit.GetMIDINotes(0), per_element_midi_map.at({"12in bop snare", 1}));
  EXPECT_EQ(*kit.GetMIDINotes(1), element_type_midi_map.at({Sound::SNARE, 2}));
  EXPECT_EQ(*kit.GetMIDINotes(2), midi_map.at({Sound::KICK, 1}));
  // Without the per-element entry the first snare takes (SNARE, 1) and sends its first note.
  per_element_midi_map.clear();
  kit.RecreateMIDIMap();
  midi_mode = 1;
  fake_portmidi::ClearMessages();
  kit.PlayDrum(0, 0.5f, Sound::LIMB_HAND_1, -1.0f, false, false);
  ASSERT_FALSE(fake_portmidi::Messages().empty());
  EXPECT_EQ(fake_portmidi::Messages()[0].status(), 0x99);
  EXPECT_EQ(fake_portmidi::Messages()[0].data1(), 38);
  CloseMIDIOutput();
  midi_mode = 0;
  ClearMIDIMap();
}

TEST(MidiMapLibrary, ListingNamingSavingAndDeleting) {
  Installation install("midimap_library");
  WriteFile("conf/midi-maps/A_y.ini", Map("A y"));
  WriteFile("conf/midi-maps/B_x.ini", Map("B x", true));
  WriteFile("conf/midi-maps/C_bare.ini", "[MIDI map]\nName = Bare\n");
  WriteFile("conf/midi-maps/Rock_.ini", Map("Rock/"));
  WriteFile("conf/midi-maps/Nameless.ini", "[MIDI map]\nIs_Preset = yes\n");
  WriteFile("conf/midi-maps/BFD3.ini",
            Map("BFD3", true) + "[Element type map]\nMap0.element_type = RIDE\nMap0.note0 = 51\n");
  drummer.SetMidiMapIndex(-1);
  MidiMapChooser c;
  testing::internal::CaptureStdout();
  c.BuildMidiMapList();
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("MidiMap has no name, skipping it\nSkipping this MIDI map\n"), std::string::npos);
  std::vector<std::string> names;
  c.GetMidiMapNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"BFD3", "B x", "A y", "Bare", "Rock/"}));
  EXPECT_TRUE(c.IsMidiMapPreset(0));
  EXPECT_FALSE(c.IsMidiMapPreset(3));
  EXPECT_FALSE(c.IsMidiMapPreset(5));

  struct Case { const char* name; bool ok; const char* file_or_error; };
  const Case cases[] = {{" Rock? ", true, "./conf/midi-maps/Rock_-2.ini"},
                        {"Rock/", false, "A MIDI map of that name already exists."},
                        {" \t", false, "Cannot save a MIDI map without a name."},
                        {"a\nIs_Preset = yes", false, GetUtf8(523)},
                        {"Nameless", true, "./conf/midi-maps/Nameless-2.ini"}};
  for (const Case& k : cases) {
    MidiMapChooser::MidiMap map;
    map.Name = k.name;
    std::string error;
    EXPECT_EQ(Quiet([&] { return c.SaveMidiMap(map, error, nullptr); }), k.ok) << k.name;
    EXPECT_EQ(k.ok ? map.path : error, k.file_or_error) << k.name;
  }
  EXPECT_EQ(ReadFile("conf/midi-maps/Rock_-2.ini"), "[MIDI map]\n\nName = Rock?\nIs_Preset = no\n\n"
                                                    "[Per element map]\n\n[Element type map]\n\n");
  // A clone of a preset is a user map with the preset's entries.
  MidiMapChooser::MidiMap copy;
  copy.Name = "Copy of BFD3";
  std::string error;
  ASSERT_TRUE(Quiet([&] { return c.SaveMidiMap(copy, error, c.GetMidiMap(0)); }));
  EXPECT_NE(ReadFile(copy.path).find("Is_Preset = no\n"), std::string::npos);
  EXPECT_NE(ReadFile(copy.path).find("Map0.element_type = RIDE\nMap0.number = 1\nMap0.channel = 10\nMap0.note0 = 51\n"),
            std::string::npos);

  // Deleting: the last of several selects the new last, a vanished file is -2, the only map -1.
  const int n = int(c.midi_maps.size());
  EXPECT_EQ(Quiet([&] { return c.DeleteMidiMap(n - 1, error); }), n - 2);
  const std::string gone = c.GetMidiMap(0)->path;
  unlink(gone.c_str());
  EXPECT_EQ(c.DeleteMidiMap(0, error), -2);
  EXPECT_EQ(error, "Error deleting MIDI map file: " + gone + ".");
  while (c.midi_maps.size() > 1) Quiet([&] { return c.DeleteMidiMap(1, error); });
  EXPECT_EQ(Quiet([&] { return c.DeleteMidiMap(0, error); }), -1);
}

TEST(MidiMapLibrary, TheChosenIndexFollowsItsMapAcrossSavesDeletesAndStarts) {
  Installation install("midimap_chosen");
  WriteFile("conf/skytapper.cfg", "[Session]\nMidi_Map_Index = 12\n");
  for (char letter = 'B'; letter <= 'M'; ++letter)
    WriteFile(std::string("conf/midi-maps/") + letter + ".ini", Map({letter}));
  WriteFile("conf/midi-maps/Zed.ini", Map("Zed") + "[Per element map]\nMap0.name = zed snare\nMap0.number = 2\n");
  MidiMapChooser c;
  c.BuildMidiMapList();
  ASSERT_EQ(c.GetMidiMap(12)->Name, "Zed");
  drummer.SetMidiMapIndex(12);
  std::string error;
  EXPECT_EQ(c.DeleteMidiMap(11, error), 11);
  EXPECT_EQ(drummer.GetMidiMapIndex(), 11);
  MidiMapChooser::MidiMap map;
  map.Name = "Aaa";
  ASSERT_TRUE(c.SaveMidiMap(map, error, nullptr));
  EXPECT_EQ(drummer.GetMidiMapIndex(), 12);
  EXPECT_NE(ReadFile("conf/skytapper.cfg").find("Midi_Map_Index = 12\n"), std::string::npos);
  MidiMapChooser fresh;
  fresh.BuildMidiMapList();
  EXPECT_EQ(fresh.GetMidiMap(12)->Name, "Zed");
  // A start lists the maps itself and loads the chosen one.
  InstallLibraryCalls();
  MidiMapChooser started;
  DrumkitChooser kits;
  const int output = midi_output_number;
  ClearMIDIMap();
  library_calls.prepare(kits, started, false, 12);
  midi_output_number = output;
  EXPECT_EQ(per_element_midi_map.count({"zed snare", 2}), 1u);
  EXPECT_EQ(c.DeleteMidiMap(12, error), 11);
  EXPECT_EQ(drummer.GetMidiMapIndex(), -1);
  drummer.SetMidiMapIndex(0);
  EXPECT_EQ(c.DeleteMidiMap(1, error), 1);
  EXPECT_EQ(drummer.GetMidiMapIndex(), 0);
  // H.ini is followed, not the first of the files whose names differ only in their first letter.
  drummer.SetMidiMapIndex(5);
  EXPECT_EQ(c.DeleteMidiMap(1, error), 1);
  EXPECT_EQ(drummer.GetMidiMapIndex(), 4);
}

TEST(MidiMapLibrary, SavingKeepsTheActiveMapAndFailuresKeepTheOldFile) {
  Installation install("midimap_save_safety");
  WriteFile("conf/midi-maps/Src.ini", Map("Src") + "[Per element map]\nMap0.name = s\nMap0.note0 = 40\n");
  drummer.SetMidiMapIndex(-1);
  MidiMapChooser c;
  c.BuildMidiMapList();
  ClearMIDIMap();
  element_type_midi_map[{Sound::KICK, 1}] = Notes(10, {35});
  const auto active = element_type_midi_map;
  std::string error;
  MidiMapChooser::MidiMap fresh, clone;
  fresh.Name = "New";
  clone.Name = "Clone";
  ASSERT_TRUE(c.SaveMidiMap(fresh, error, nullptr));
  ASSERT_TRUE(c.SaveMidiMap(clone, error, c.GetMidiMap(1)));
  EXPECT_EQ(element_type_midi_map, active);
  EXPECT_TRUE(per_element_midi_map.empty());

  // A clone whose source file is gone: the save message, no file, nothing listed.
  MidiMapChooser::MidiMap source = *c.GetMidiMap(2), orphan;
  ASSERT_EQ(source.Name, "Src");
  unlink(source.path.c_str());
  orphan.Name = "Orphan";
  EXPECT_FALSE(Quiet([&] { return c.SaveMidiMap(orphan, error, &source); }));
  EXPECT_EQ(error, "There was an error saving the MIDI map in: ./conf/midi-maps/Orphan.ini.");
  EXPECT_EQ(access("conf/midi-maps/Orphan.ini", F_OK), -1);
  EXPECT_EQ(c.midi_maps.size(), 3u);

  // A write cut short by the file size limit, or a save killed midway, leaves the old map.
  for (int i = 0; i < 300; ++i) per_element_midi_map[{"element " + std::to_string(i), 1}] = Notes(10, {i % 128});
  signal(SIGXFSZ, SIG_IGN);
  rlimit old_limit, limit{64, 64};
  getrlimit(RLIMIT_FSIZE, &old_limit);
  limit.rlim_max = old_limit.rlim_max;
  setrlimit(RLIMIT_FSIZE, &limit);
  const bool saved = Quiet([&] { return SaveMIDIMap("conf/midi-maps/New.ini", "New", false); });
  setrlimit(RLIMIT_FSIZE, &old_limit);
  EXPECT_FALSE(saved);
  EXPECT_EQ(ReadFile("conf/midi-maps/New.ini"), "[MIDI map]\n\nName = New\nIs_Preset = no\n\n"
                                                "[Per element map]\n\n[Element type map]\n\n");
  const pid_t child = fork();
  if (child == 0) {
    for (;;) SaveMIDIMap("conf/midi-maps/New.ini", "New", false);
  }
  usleep(20000);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  const auto big = per_element_midi_map;
  ASSERT_TRUE(LoadMIDIMap("conf/midi-maps/New.ini"));
  EXPECT_TRUE(per_element_midi_map.empty() || per_element_midi_map == big);
  ClearMIDIMap();
}
