// The MIDI-map list, new-map and editor screens over the preset maps: clones and new maps
// named and refused, the editor's note, channel and controller texts, entries equal to the
// defaults left out of the file, Save reaching the kit's notes, a failed write keeping the
// editor and its edits, and Default and Default all (on Yes) undoing them.
#include <filesystem>

#include "drumming/drumkit.h"
#include "frame/paths.h"
#include "library/midi_map_chooser.h"
#include "library/migrations.h"
#include "render/widget_drawing.h"
#include "screens/midi_map_editor.h"
#include "screens/screen_common.h"
#include "tests/screens/screen_test_support.h"
#include "tests/support/kept_pictures.h"

namespace {

using skyt_test::Fakes;
using skyt_test::ReadFile;

class MidiMapScreens : public skyt_test::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    InitMIDI();
    std::filesystem::create_directories("conf/midi-maps");
    ASSERT_TRUE(WritePresetMidiMaps());
    midi_map_chooser.BuildMidiMapList();
    drummer.SetMidiMapIndex(-1);
    drumkit.drums.assign(1, {});
    drumkit.drums[0].type = Sound::SNARE;
    drummer.kit = &drumkit;
    drumkit.RecreateMIDIMap();
  }
  void TearDown() override {
    drummer.kit = nullptr;
    ClearMIDIMap();
    midi_map_chooser.midi_maps.clear();
    ScreenTest::TearDown();
  }
  int Line(const std::string& name) const {
    std::vector<std::string> names;
    midi_map_chooser.GetMidiMapNames(names);
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
  }
  // The screen drawn once more over the window's background, against its kept picture.
  std::string Picture(const std::string& name) {
    input->Frame([] {
      DrawBackground(false);
      skyt_test::RunScreen();
    });
    return skyt_test::DiffersFromKeptPicture(*gl, name);
  }
  int SelectedLine() const { return All(Imgui::TraceKind::LIST_BOX).at(0).value; }
  // The new-map screen from New, with that name, then Ok.
  void NewMap(const std::string& name) {
    Enter(kChooseMidiMapScreen);
    ASSERT_TRUE(Click(213));
    working_midi_map.Name = name;
    ASSERT_TRUE(Click(224));
  }
  // Replaces the text of the edit box drawn n-th.
  void Type(size_t n, const std::string& text) {
    const auto box = All(Imgui::TraceKind::EDIT_BOX).at(n);
    ClickAt(box.x + box.w - 3, box.y - box.h / 2);
    for (int i = 0; i < 4; ++i) {
      input->Key(127);  // one backspace a frame
      Frame();
    }
    input->Text(text);
    Frame();
  }
};

TEST_F(MidiMapScreens, CloneAndNewNameUserMapsAndRefuseATakenName) {
  Enter(kChooseMidiMapScreen, Line("BFD3") + 1);
  ASSERT_TRUE(Click(214));
  ASSERT_EQ(interface_state, kNewMidiMapScreen);
  ASSERT_TRUE(Click(224));
  ASSERT_EQ(interface_state, kChooseMidiMapScreen);
  Frame();
  const MidiMapChooser::MidiMap* copy = midi_map_chooser.GetMidiMap(SelectedLine());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Name, "Copy of BFD3");
  EXPECT_FALSE(copy->Is_Preset);
  EXPECT_NE(ReadFile(copy->path).find("Is_Preset = no"), std::string::npos);

  NewMap("Mine");
  EXPECT_EQ(interface_state, kChooseMidiMapScreen);
  NewMap("Mine");
  EXPECT_EQ(interface_state, kNewMidiMapScreen);
  EXPECT_EQ(Fakes::messages.size(), 1u);
  EXPECT_EQ(Fakes::boxes, std::vector<std::string>{"warning"});
}

// The maps made for drum programs say beside the list how to set the program up.
TEST_F(MidiMapScreens, ProgramMapsShowHowToSetUpTheProgram) {
  const std::pair<const char*, const char*> maps[] = {
      {"Addictive Drums 2", "addictive-drums"}, {"BFD3", "bfd"}, {"EZ Drummer 2", "ez-drummer"},
      {"Garage Band", "garage-band"}, {"Logic (Drum Kit Designer)", "logic"},
      {"NI Studio Drummer", "studio-drummer"}, {"Superior Drummer 2", "superior-drummer"},
      {"Ironwood Drums 4", "ironwood"}};
  for (const auto& [map, picture] : maps) {
    std::vector<std::string> names;
    midi_map_chooser.GetMidiMapNames(names);
    ASSERT_LT(Line(map), static_cast<int>(names.size())) << map;
    Enter(kChooseMidiMapScreen, Line(map) + 1);
    EXPECT_EQ(Picture(std::string("screens/MIDI-map-list--") + picture), "");
  }
}

// The list opens on the line it was opened on (line 0 too; a line past the end is the last),
// else on the map in use, else on the first.
TEST_F(MidiMapScreens, TheListOpensOnTheAskedLineElseTheMapInUse) {
  std::vector<std::string> names;
  midi_map_chooser.GetMidiMapNames(names);
  const int last = static_cast<int>(names.size()) - 1;
  ASSERT_GE(last, 2);
  const struct { int asked, in_use, want; } cases[] = {
      {0, 2, 0}, {1, -1, 1}, {last + 5, 2, last}, {-1, 2, 2}, {-1, -1, 0},
  };
  for (const auto& c : cases) {
    drummer.SetMidiMapIndex(c.in_use);
    Enter(kChooseMidiMapScreen, c.asked + 1);
    EXPECT_EQ(SelectedLine(), c.want) << c.asked << " " << c.in_use;
  }
  // Cancel on the new-map screen goes back to the line New was clicked on.
  for (int line : {2, 0}) {
    Enter(kChooseMidiMapScreen, line + 1);
    ASSERT_TRUE(Click(213));
    Frame();
    ASSERT_TRUE(Click(kTextCancel));
    Frame();
    EXPECT_EQ(SelectedLine(), line);
  }
  // An emptied list selects nothing, not the line it selected before.
  midi_map_chooser.midi_maps.clear();
  drummer.SetMidiMapIndex(-1);
  Enter(kChooseMidiMapScreen, 0);
  EXPECT_EQ(SelectedLine(), -1);
}

TEST_F(MidiMapScreens, NotesChannelsAndControllersOutsideTheirRangesAreNotTaken) {
  struct Case { const char* note; const char* channel; const char* cc; int want_note, want_channel, want_cc; };
  const Case cases[] = {
      {"D1", "3", "7", 38, 3, 7},  {"38", "16", "127", 38, 16, 127}, {"999", "3", "7", 50, 5, 9},
      {"#999", "3", "7", 50, 5, 9}, {"200", "3", "7", 50, 5, 9},      {"#12", "17", "128", 12, 5, 9},
      {"60", "0", "0", 60, 5, 9},  {"38x", "3", "7", 50, 5, 9},  {"0", "1", "1", 0, 1, 1},
  };
  const MidiMapSelection type{false, "", Sound::HIHAT, 1};
  for (const auto& c : cases) {
    MidiNotes notes;
    notes.notes[0] = 50, notes.channel = 5, notes.openness_cc = 9;
    MidiMapTables working;
    TryToSaveNoteChanges({c.note, "", "", c.channel, c.cc}, notes, type, working);
    EXPECT_EQ(notes.notes[0], c.want_note) << c.note;
    EXPECT_EQ(notes.channel, c.want_channel) << c.channel;
    EXPECT_EQ(notes.openness_cc, c.want_cc) << c.cc;
  }
  // The built-in snare (38, accent 40, channel 10) leaves no entry; anything else is stored.
  const MidiMapSelection snare{false, "", Sound::SNARE, 1};
  MidiMapTables working;
  MidiNotes notes = LookUpMidiNotes(snare, working);
  TryToSaveNoteChanges({"39", "40", "", "10", "0"}, notes, snare, working);
  EXPECT_EQ(working.element_type.size(), 1u);
  TryToSaveNoteChanges({"D1", "E1", "", "10", "0"}, notes, snare, working);
  EXPECT_TRUE(working.element_type.empty());
  // A type the built-in map has no notes for (an element file's unknown type) starts with no
  // openness controller.
  const MidiMapSelection unknown{true, "Newer", Sound::ElementType(Sound::NUM_ELEMENT_TYPES), 1};
  EXPECT_EQ(LookUpMidiNotes(unknown, working).openness_cc, 0);
}

TEST_F(MidiMapScreens, SaveReachesTheFileAndTheKitAndAFailedWriteKeepsTheEdits) {
  NewMap("Mine");
  const int line = Line("Mine");
  Enter(kChooseMidiMapScreen, line + 1);
  ASSERT_TRUE(Click(216));
  ASSERT_EQ(interface_state, kMidiMapsScreen);
  ClickAt(100, input->window_height - 125 - 10 - 30 * 1);  // the type list's "Snare"
  ASSERT_NE(FindText(472), nullptr);
  Type(1, "39");
  EXPECT_NE(Find("(39)"), nullptr);

  // conf/midi-maps/ replaced by a plain file: the error, the editor and the edit stay.
  const std::string path = midi_map_chooser.GetMidiMap(line)->path;
  std::filesystem::rename("conf/midi-maps", "maps");
  skyt_test::WriteFile("conf/midi-maps", "not a folder");
  ASSERT_TRUE(Click(438));
  EXPECT_EQ(interface_state, kMidiMapsScreen);
  ASSERT_FALSE(Fakes::messages.empty());
  EXPECT_EQ(Fakes::messages.back().rfind(GetUtf8(435), 0), 0u) << Fakes::messages.back();
  EXPECT_EQ(Fakes::boxes.back(), "warning");
  EXPECT_NE(Find("(39)"), nullptr);

  std::filesystem::remove("conf/midi-maps");
  std::filesystem::rename("maps", "conf/midi-maps");
  ASSERT_TRUE(Click(438));
  EXPECT_EQ(interface_state, kChooseMidiMapScreen);
  EXPECT_NE(ReadFile(path).find("= 39"), std::string::npos) << ReadFile(path);
  // The rest of the entry is the built-in snare's: its accent, and no controllers.
  EXPECT_NE(ReadFile(path).find("Map0.note1 = 40\nMap0.openness_cc = 0\n"
                                "Map0.positional_cc1 = 0\nMap0.positional_cc2 = 0\n"),
            std::string::npos);
  EXPECT_EQ(drumkit.midi_notes.at(0).notes[0], 39);

  // Ok on the list puts the selected map into use: the kit's notes follow it, away and back.
  const int other = line == 0 ? 1 : 0;
  for (const auto& [map, is_39] : {std::pair{other, false}, {line, true}}) {
    Enter(kChooseMidiMapScreen, map + 1);
    ASSERT_TRUE(Click(224));
    EXPECT_EQ(drumkit.midi_notes.at(0).notes[0] == 39, is_39) << map;
  }
}

// Default puts the selected entry back to the built-in notes; Default all puts every entry back,
// on Yes only.
TEST_F(MidiMapScreens, DefaultAndDefaultAllOnYesUndoTheEdits) {
  NewMap("Mine");
  const std::vector<std::string> asked{"warning question"};
  const struct { int button, answer; bool kept; std::vector<std::string> boxes; } cases[] = {
      {kTextDefault, 0, false, {}}, {kTextDefaultAll, 1, true, asked}, {kTextDefaultAll, 0, false, asked}};
  for (const auto& c : cases) {
    Enter(kChooseMidiMapScreen, Line("Mine") + 1);
    ASSERT_TRUE(Click(216));
    ClickAt(100, input->window_height - 125 - 10 - 30 * 1);  // the type list's "Snare"
    Type(1, "39");
    ASSERT_NE(Find("(39)"), nullptr);
    Fakes::answers = {c.answer};
    Fakes::boxes.clear();
    ASSERT_TRUE(Click(c.button));
    Frame();
    EXPECT_EQ(Find("(39)") != nullptr, c.kept) << c.button << " " << c.answer;
    EXPECT_EQ(Fakes::boxes, c.boxes) << c.button;
  }
}

// A snare's second note is its accent, also while the hi-hat's notes go by openness (they are
// then named open and closed, for the hi-hat only).
TEST_F(MidiMapScreens, TheSnaresSecondNoteIsItsAccent) {
  NewMap("Mine");
  Enter(kChooseMidiMapScreen, Line("Mine") + 1);
  ASSERT_TRUE(Click(216));
  midi_use_mdrummer_hack = true;
  ClickAt(100, input->window_height - 125 - 10 - 30 * Sound::SNARE);
  Frame();
  EXPECT_NE(FindText(kTextNote), nullptr);
  EXPECT_NE(FindText(kTextAccent), nullptr);
  EXPECT_EQ(FindText(kTextClosed), nullptr);
  midi_use_mdrummer_hack = false;
}

// An element whose file cannot be read has no type to edit: no editing area.
TEST_F(MidiMapScreens, AnUnreadableElementShowsNoEditingArea) {
  drumkit_chooser.element_names = {"Missing"};
  edited_midi_map = {};
  Enter(kMidiMapsScreen, 1);
  ClickAt(600, input->window_height - 125 - 10);
  Frame();
  EXPECT_EQ(All(Imgui::TraceKind::LIST_BOX).at(0).value, 0);  // the element is selected
  EXPECT_EQ(FindText(471), nullptr);
  EXPECT_EQ(Shown(438), "active");
  drumkit_chooser.element_names.clear();
}

// Clicking through the element list reads each element's header and keeps no sound slot for it.
TEST_F(MidiMapScreens, ElementClicksKeepNoSoundSlots) {
  std::filesystem::create_directories("data/elements");
  for (const char* name : {"Ride", "Tom"})
    ASSERT_TRUE(Sound::ConvertElement(MakePath(kPathElements, std::string(name) + ".ele").c_str(), Sound::MID_TOM, Sound::CATEGORY_HAND));
  drumkit_chooser.element_names = {"Ride", "Tom"};
  edited_midi_map = {};
  Enter(kMidiMapsScreen, 1);
  const size_t slots = sound.elements.size();
  for (int click = 0; click < 5; ++click) {
    ClickAt(600, input->window_height - 125 - 10 - 30 * (click % 2));
    Frame();
    ASSERT_EQ(All(Imgui::TraceKind::LIST_BOX).at(0).value, click % 2);
    ASSERT_NE(FindText(471), nullptr) << "the element's notes are shown";
  }
  EXPECT_LE(sound.elements.size(), slots + 1);
  drumkit_chooser.element_names.clear();
}

// An element of a type that has no default mapping is edited from one made for it: a note and
// a pedal note, both 0.
TEST_F(MidiMapScreens, ATypeWithoutADefaultGetsAPedalNoteToEdit) {
  std::filesystem::create_directories("data/elements");
  ASSERT_TRUE(Sound::ConvertElement(MakePath(kPathElements, "Odd.ele").c_str(),
                                    Sound::ElementType(Sound::NUM_ELEMENT_TYPES), Sound::CATEGORY_HAND_AND_FOOT));
  drumkit_chooser.element_names = {"Odd"};
  edited_midi_map = {};
  Enter(kMidiMapsScreen, 1);
  ClickAt(600, input->window_height - 125 - 10);
  Frame();
  ASSERT_NE(FindText(kTextPedalNote), nullptr);
  EXPECT_EQ(All(Imgui::TraceKind::EDIT_BOX).back().label, PortMIDINoteToHumanReadable(0));
  drumkit_chooser.element_names.clear();
}

// Its pedal note edited and saved, such an element's entry holds the rest of the one made for
// it: channel 10, one note and one pedal note, no controllers.
TEST_F(MidiMapScreens, ATypeWithoutADefaultIsSavedWithTheEntryMadeForIt) {
  NewMap("Mine");
  std::filesystem::create_directories("data/elements");
  ASSERT_TRUE(Sound::ConvertElement(MakePath(kPathElements, "Odd.ele").c_str(),
                                    Sound::ElementType(Sound::NUM_ELEMENT_TYPES), Sound::CATEGORY_HAND_AND_FOOT));
  drumkit_chooser.element_names = {"Odd"};
  Enter(kChooseMidiMapScreen, Line("Mine") + 1);
  ASSERT_TRUE(Click(216));
  ClickAt(600, input->window_height - 125 - 10);
  Frame();
  Type(All(Imgui::TraceKind::EDIT_BOX).size() - 1, "44");
  ASSERT_TRUE(Click(438));
  EXPECT_NE(ReadFile(midi_map_chooser.GetMidiMap(Line("Mine"))->path)
                .find("Map0.name = Odd\nMap0.number = 1\nMap0.channel = 10\nMap0.note0 = 0\n"
                      "Map0.foot_note0 = 44\nMap0.openness_cc = 0\nMap0.positional_cc1 = 0\n"
                      "Map0.positional_cc2 = 0\n"),
            std::string::npos)
      << ReadFile(midi_map_chooser.GetMidiMap(Line("Mine"))->path);
  drumkit_chooser.element_names.clear();
}

// A pedalled element's openness controller: mod wheel, foot pedal or another number typed in;
// the choice reaches the saved map.
TEST_F(MidiMapScreens, TheOpennessControllerFollowsItsCheckBoxes) {
  NewMap("Mine");
  std::filesystem::create_directories("data/elements");
  ASSERT_TRUE(Sound::ConvertElement(MakePath(kPathElements, "Hat.ele").c_str(), Sound::HIHAT,
                                    Sound::CATEGORY_HAND_AND_FOOT));
  drumkit_chooser.element_names = {"Hat"};
  Enter(kChooseMidiMapScreen, Line("Mine") + 1);
  ASSERT_TRUE(Click(216));
  ClickAt(600, input->window_height - 125 - 10);
  Frame();
  ASSERT_NE(FindText(kTextPedalNote), nullptr);
  EXPECT_EQ(Picture("screens/MIDI-maps--hi-hat-element"), "");
  const size_t boxes = All(Imgui::TraceKind::EDIT_BOX).size();
  // Each row clicks a check box (or types into the number box, click 0); the number box is
  // drawn with Other only, just before the pedal note's box.
  const struct { int click; const char* typed; std::vector<int> ticks; const char* number; } cases[] = {
      {kTextOther, "", {0, 0, 1}, "0"},           {0, "7", {0, 0, 1}, "7"},
      {kTextOther, "", {0, 0, 1}, "7"},           {0, "1", {0, 0, 1}, "1"},  // still being typed
      {kTextFootPedal, "", {0, 1, 0}, nullptr},
      {kTextModWheel, "", {1, 0, 0}, nullptr},
  };
  for (const auto& c : cases) {
    if (c.click) {
      ASSERT_TRUE(Click(c.click));
    } else {
      Type(boxes - 1, c.typed);
    }
    Frame();
    std::vector<int> ticks;
    for (const auto& box : All(Imgui::TraceKind::CHECK_BOX)) ticks.push_back(box.value);
    EXPECT_EQ(ticks, c.ticks) << c.click;
    const auto edit_boxes = All(Imgui::TraceKind::EDIT_BOX);
    EXPECT_EQ(edit_boxes.size(), boxes + (c.number ? 1 : 0)) << c.click;
    if (c.number) {
      EXPECT_EQ(edit_boxes.at(boxes - 1).label, c.number) << c.click;
    }
  }
  ASSERT_TRUE(Click(438));
  EXPECT_NE(ReadFile(midi_map_chooser.GetMidiMap(Line("Mine"))->path).find("openness_cc = 1\n"), std::string::npos);
  drumkit_chooser.element_names.clear();
}

}  // namespace
