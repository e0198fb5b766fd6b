// The kit list, kit editor and new-element screens over the preset kits: a clone saved with
// the preset's calibration, presets refused for Edit and Delete, a kit without a name or with
// another's kept in the editor, a user kit deleted only on Yes, an element made from a folder
// of samples and veiled while it is made, with names that would leave data/elements/ refused
// and folders past 1023 bytes refused, and elements in use kept from deletion.
#include <filesystem>

#include <algorithm>
#include <tuple>

#include "frame/platform/platform.h"
#include "frame/window.h"
#include "library/library_calls.h"
#include "library/migrations.h"
#include "render/widget_drawing.h"
#include "screens/screen_common.h"
#include "tests/screens/screen_test_support.h"
#include "tests/support/kept_pictures.h"

namespace {

using skyt_test::Fakes;
using skyt_test::ReadFile;

constexpr const char* kPreset = "My First Skytapper Kit (RH)";

class KitScreens : public skyt_test::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    drummer.Is_Left_Handed = false;
    std::filesystem::create_directories("conf/drumkits");
    std::filesystem::create_directories("data/elements");
    ASSERT_TRUE(WritePresetDrumkits());
    drumkit_chooser.element_names.clear();
    drumkit_chooser.BuildDrumkitList(false);
  }
  void TearDown() override {
    drumkit_chooser.drumkits.clear();
    drumkit_chooser.element_names.clear();
    ScreenTest::TearDown();
  }
  // The kit list with the line of that kit selected.
  void EnterListAt(const std::string& name) {
    std::vector<std::string> names;
    drumkit_chooser.GetDrumkitNames(names);
    const int line = static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    ASSERT_LT(line, static_cast<int>(names.size())) << name;
    Enter(kChooseDrumkitScreen, line + 1);
  }
  int SelectedKitLine() const { return All(Imgui::TraceKind::LIST_BOX).at(0).value; }
};

TEST_F(KitScreens, CloneOfAPresetIsSavedAsAUserKitWithItsCalibration) {
  EnterListAt(kPreset);
  const std::string preset_file = ReadFile(drumkit_chooser.drumkits[SelectedKitLine()].path);
  ASSERT_TRUE(Click(214));
  ASSERT_EQ(interface_state, kNewDrumkitScreen);
  ASSERT_TRUE(Click(224));
  ASSERT_EQ(interface_state, kChooseDrumkitScreen);
  Frame();
  const std::string copy = std::string("Copy of ") + kPreset;
  const auto& kit = drumkit_chooser.drumkits.at(SelectedKitLine());
  EXPECT_EQ(kit.Name, copy);
  EXPECT_EQ(kit.path, "./conf/drumkits/" + copy + ".ini");
  const std::string file = ReadFile(kit.path);
  EXPECT_NE(file.find("Is_Preset = no"), std::string::npos) << file;
  for (const char* value : {"Drum0.x = 149.119614", "Drum1.foot_x = 174.897430", "Drum2.volume2 = 29"}) {
    EXPECT_NE(preset_file.find(value), std::string::npos) << value;
    EXPECT_NE(file.find(value), std::string::npos) << value;
  }
  // Edited and saved again while another kit is loaded, the copy keeps its calibration.
  const std::string path = kit.path;
  ASSERT_TRUE(Click(216));
  Frame();
  ASSERT_TRUE(Click(224));
  EXPECT_NE(ReadFile(path).find("Drum0.x = 149.119614"), std::string::npos) << ReadFile(path);
  // With another user kit listed after it, Ok on its edit selects it again.
  EnterListAt(kPreset);
  ASSERT_TRUE(Click(214));
  working_drumkit.Name = "Zz";
  ASSERT_TRUE(Click(224));
  EnterListAt(copy);
  ASSERT_TRUE(Click(216));
  Frame();
  ASSERT_TRUE(Click(224));
  Frame();
  EXPECT_EQ(drumkit_chooser.drumkits.at(SelectedKitLine()).Name, copy);
}

TEST_F(KitScreens, PresetsCannotBeEditedOrDeleted) {
  const std::pair<int, int> cases[] = {{216, 217}, {218, 219}};
  for (const auto& [button, message] : cases) {
    Fakes::messages.clear();
    EnterListAt(kPreset);
    ASSERT_TRUE(Click(button));
    EXPECT_EQ(interface_state, kChooseDrumkitScreen);
    EXPECT_EQ(Fakes::messages, std::vector<std::string>{GetUtf8(message)});
    EXPECT_EQ(Fakes::boxes.back(), "warning");
  }
  EXPECT_EQ(drumkit_chooser.drumkits.size(), 7u);  // the right-handed presets, none deleted
}

// Ok on a kit without a name, or with another kit's, says why and stays in the editor with the
// kit as it was edited; nothing is saved.
TEST_F(KitScreens, AKitWithoutANameOrWithAnothersStaysInTheEditor) {
  const std::pair<const char*, int> cases[] = {{" ", kTextCannotSave}, {kPreset, kTextA}};
  for (const auto& [name, message] : cases) {
    Fakes::messages.clear();
    Fakes::boxes.clear();
    EnterListAt(kPreset);
    ASSERT_TRUE(Click(214));  // Clone
    ASSERT_EQ(interface_state, kNewDrumkitScreen);
    const std::vector<std::string> elements = working_drumkit.elements;
    working_drumkit.Name = name;
    ASSERT_TRUE(Click(224));  // Ok
    EXPECT_EQ(interface_state, kNewDrumkitScreen) << name;
    ASSERT_EQ(Fakes::messages.size(), 1u) << name;
    EXPECT_EQ(Fakes::messages[0].rfind(platform::EscapeMarkup(GetUtf8(message)), 0), 0u) << Fakes::messages[0];
    EXPECT_EQ(Fakes::boxes, std::vector<std::string>{"warning"}) << name;
    EXPECT_EQ(working_drumkit.elements, elements) << name;
    EXPECT_EQ(drumkit_chooser.drumkits.size(), 7u) << name;
  }
}

TEST_F(KitScreens, TheOtherHandListsItsKitsAndIsSaved) {
  EnterListAt(kPreset);
  ASSERT_TRUE(Click(kTextLeftHanded));
  EXPECT_TRUE(drummer.Is_Left_Handed);
  EXPECT_EQ(drumkit_chooser.drumkits.at(0).Name.find("(RH)"), std::string::npos);
  EXPECT_NE(ReadFile("conf/skytapper.cfg").find("Is_Left_Handed = true"), std::string::npos);
}

// Delete asks first: No keeps the user's kit, file and line; Yes deletes both. A file that
// cannot be removed stays listed and selected, with the error shown; deleting the last kit
// leaves no line selected and shows nothing more.
TEST_F(KitScreens, DeleteAsksFirstAndShowsAFailure) {
  const std::string file = "conf/drumkits/Mine.ini";
  const struct { int answer; bool stuck, presets, kept; int message; } cases[] = {
      {1, false, true, true, 220},
      {0, true, true, true, kTextErrorDeletingDrumkit},
      {0, false, true, false, 220},
      {0, false, false, false, 220},
  };
  for (const auto& c : cases) {
    if (!c.presets) std::filesystem::remove_all("conf/drumkits");
    std::filesystem::create_directories("conf/drumkits");
    skyt_test::WriteFile(file, "[Drumkit]\nName = Mine\nIs_Preset = no\n\nDrum0.element = snare\n");
    drumkit_chooser.BuildDrumkitList(false);
    if (c.stuck) {  // a folder with something in it cannot be removed as a file
      std::filesystem::remove(file);
      std::filesystem::create_directories(file + "/x");
    }
    EnterListAt("Mine");
    Fakes::answers = {c.answer};
    ASSERT_TRUE(Click(218));
    EXPECT_EQ(Fakes::messages.back().rfind(GetUtf8(c.message), 0), 0u) << c.answer << ": " << Fakes::messages.back();
    EXPECT_EQ(Fakes::boxes.back(), c.stuck ? "warning" : "warning question") << c.answer;
    EXPECT_EQ(std::filesystem::exists(file), c.kept) << c.answer;
    std::vector<std::string> names;
    drumkit_chooser.GetDrumkitNames(names);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Mine"), c.kept ? 1 : 0) << c.answer;
    Frame();
    const int line = SelectedKitLine();
    EXPECT_EQ(line < 0, names.empty()) << line;
    if (c.kept && line >= 0) {
      EXPECT_EQ(names.at(line), "Mine");
    }
    std::filesystem::remove_all(file);
  }
}

// The loaded kit [snare, kick, tom] (or [snare, hi-hat]; or first in a list without presets)
// edited (snare removed) or renamed, the list left with Cancel, the last drum moved, turned down
// and its pedal placed in the air (before the edit, unsaved, or after it) and the placement saved:
// the kit stays placed, the file holds the kit as edited, each drum's place and volumes under its
// own element, and no second kit appears. Only a kit reloaded for new elements veils the screen.
TEST_F(KitScreens, TheLoadedKitFollowsItsEditAndRename) {
  InstallLibraryCalls();
  drummer.kit = &drumkit;
  drummer.kit_library = &drumkit_chooser;
  const auto progress = kit_progress;
  kit_progress = [](int, const std::string&, bool) {};
  const std::tuple<const char*, Sound::ElementType, Sound::ElementCategory> elements[] = {
      {"snare", Sound::SNARE, Sound::CATEGORY_HAND},
      {"kick", Sound::KICK, Sound::CATEGORY_FOOT},
      {"tom", Sound::MID_TOM, Sound::CATEGORY_HAND},
      {"hihat", Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT}};
  for (const auto& [name, type, category] : elements)
    ASSERT_TRUE(Sound::ConvertElement(("data/elements/" + std::string(name) + ".ele").c_str(), type, category));
  drumkit_chooser.BuildElementList();
  const std::string kit_file = "conf/drumkits/K.ini";
  static const char* const snare_kick_tom =
      "Drum0.element = snare\nDrum1.element = kick\nDrum2.element = tom\n\n[Drumkit calibration]\n"
      "Drum0.x = 10\nDrum0.y = 40\nDrum0.size = 4\nDrum1.foot_x = 90\nDrum1.foot_y = 220\nDrum1.foot_size = 5\n"
      "Drum2.x = 30\nDrum2.y = 60\nDrum2.size = 4\n";
  const struct {
    bool remove_snare;
    const char* name;
    bool tom_changed_before_edit;
    std::vector<const char*> lines;
    const char* drums = snare_kick_tom;
    bool presets = true;  // listed before it; without them the kit is the list's first
  } cases[] = {
      {true, "K", false, {"Name = K\n", "Drum0.element = kick\nDrum1.element = tom\n\n", "Drum0.foot_x = 90.000000",
                          "Drum1.x = 77.000000", "Drum1.y = 60.000000", "Drum1.volume = 33\n"}},
      {false, "K2", false, {"Name = K2\n", "Drum2.element = tom\n", "Drum0.x = 10.000000", "Drum2.x = 77.000000",
                            "Drum2.volume = 33\n"}},
      {true, "K", true, {"Drum0.element = kick\nDrum1.element = tom\n\n", "Drum0.foot_x = 90.000000",
                         "Drum1.x = 77.000000", "Drum1.y = 60.000000", "Drum1.volume = 33\n"}},
      {false, "K2", true, {"Drum2.element = tom\n", "Drum0.x = 10.000000", "Drum2.x = 77.000000",
                           "Drum2.volume = 33\n"}},
      {true, "K", true, {"Drum0.element = hihat\n\n", "Drum0.x = 77.000000", "Drum0.foot_size = 5.000000",
                         "Drum0.volume = 33\n", "Drum0.volume2 = 40\n"},
       "Drum0.element = snare\nDrum1.element = hihat\n\n[Drumkit calibration]\nDrum0.x = 10\nDrum0.y = 40\n"
       "Drum0.size = 4\nDrum1.x = 30\nDrum1.y = 60\nDrum1.size = 4\nDrum1.foot_x = 120\nDrum1.foot_y = 220\n"
       "Drum1.volume2 = 40\n"},
      {true, "K", true, {"Drum0.element = kick\nDrum1.element = tom\n\n", "Drum1.x = 77.000000", "Drum1.volume = 33\n"},
       snare_kick_tom, false},
  };
  auto change_last_drum_in_air = [] {
    drumkit.drums.back().x = 77;
    drumkit.drums.back().foot_size = 5;
    drumkit.SetVolume(static_cast<int>(drumkit.drums.size()) - 1, 33, false);
  };
  for (const auto& c : cases) {
    if (!c.presets) std::filesystem::remove_all("conf/drumkits");
    std::filesystem::create_directories("conf/drumkits");
    skyt_test::WriteFile(kit_file, std::string("[Drumkit]\nName = K\nIs_Preset = no\n\n") + c.drums);
    drumkit_chooser.BuildDrumkitList(false);
    ASSERT_TRUE(drummer.ChooseDrumkit("K", false));
    if (c.tom_changed_before_edit) change_last_drum_in_air();
    EnterListAt("K");
    ASSERT_TRUE(Click(216));  // Edit
    Frame();
    if (c.remove_snare) {
      const auto chosen = All(Imgui::TraceKind::LIST_BOX).at(1);
      ClickAt(chosen.x + 10, chosen.y - 10);
      ASSERT_TRUE(Click(395));
    }
    working_drumkit.Name = c.name;
    static int swaps;
    swaps = 0;
    window_services.swap_buffers = [] { ++swaps; };
    ASSERT_TRUE(Click(224));  // Ok
    ResetWindowServices();
    EXPECT_EQ(swaps, c.remove_snare ? 2 : 0) << "a kit reloaded under its new elements is veiled first";
    ASSERT_EQ(interface_state, kChooseDrumkitScreen);
    Frame();
    EXPECT_TRUE(drumkit.is_calibrated) << c.name;
    ASSERT_TRUE(Click(8));  // Cancel on the kit list: nothing chosen there
    if (!c.tom_changed_before_edit) change_last_drum_in_air();
    std::string message;
    EXPECT_TRUE(drummer.SaveCalibration(&message)) << message;
    const std::string file = skyt_test::ReadFile(kit_file);
    for (const char* line : c.lines) EXPECT_NE(file.find(line), std::string::npos) << c.name << ": " << line;
    if (c.remove_snare) {
      EXPECT_EQ(file.find("Drum2."), std::string::npos) << file;
    }
    EXPECT_FALSE(std::filesystem::exists("conf/drumkits/K-2.ini")) << c.name;
    EXPECT_EQ(drumkit_chooser.current_drumkit_name, c.name);
  }
  drummer.kit = nullptr;
  drummer.kit_library = nullptr;
  kit_progress = progress;
}

TEST_F(KitScreens, NewElementFromAFolderOfSamplesAndNamesThatWouldLeaveTheLibrary) {
  const std::string samples = "samples/snare";
  std::filesystem::create_directories(samples);
  for (const char* f : {"Snare-Soft.wav", "Snare-Med.wav", "Snare-Hard.wav"})
    std::filesystem::copy_file(std::string("/usr/share/hydrogen/data/drumkits/GMRockKit/") + f, samples + "/" + f);
  EnterListAt(kPreset);
  ASSERT_TRUE(Click(213));  // a new kit
  ASSERT_TRUE(Click(213));  // a new element
  ASSERT_EQ(interface_state, kNewElementScreen);
  // The explanation takes the form's place until dismissed.
  Frame();
  for (const auto& [button, shown] : {std::pair{kTextHowShouldI, kTextCreateNewDrum}, {kTextDismiss, kTextHowShouldI}}) {
    ASSERT_TRUE(Click(button));
    Frame();
    EXPECT_EQ(Shown(shown), "active") << shown;
    EXPECT_EQ(Shown(button), "missing") << button;
  }
  // Each type's box, in its own place, ticks that type and its category (a kick's is the foot).
  for (int t = 0; t < drum_element::NUM_ELEMENT_TYPES; ++t) {
    ASSERT_TRUE(Click(ElementTypeTextId(t))) << t;
    EXPECT_EQ(working_element.type, t);
    EXPECT_EQ(working_element.category, Sound::GetElementCategory(Sound::ElementType(t))) << t;
  }

  working_element.name.clear();
  Frame();
  const auto box = All(Imgui::TraceKind::EDIT_BOX).at(0);
  ClickAt(box.x + 10, box.y - 10);
  input->Text("../evil");
  Frame();
  EXPECT_EQ(working_element.name, "..evil");
  working_element.name.clear();
  ASSERT_TRUE(Click(263));
  EXPECT_EQ(Fakes::messages.size(), 1u);
  EXPECT_EQ(Fakes::boxes, std::vector<std::string>{"warning"});

  working_element.name = "Snare test";
  working_element.sample_path = samples;
  ASSERT_TRUE(Click(244));  // Snare
  ASSERT_TRUE(Click(263));
  EXPECT_EQ(ReadFile("data/elements/Snare test.ele").substr(0, 4), "ELE0");
  for (const auto& f : std::filesystem::recursive_directory_iterator(".")) {
    if (f.path().extension() != ".ele") continue;
    EXPECT_EQ(f.path().parent_path(), "./data/elements") << f.path();
  }

  ASSERT_TRUE(Click(9));  // back to the editor, the new element selected
  ASSERT_EQ(interface_state, kNewDrumkitScreen);
  Frame();
  const auto lists = All(Imgui::TraceKind::LIST_BOX);
  ASSERT_FALSE(lists.empty());
  EXPECT_EQ(drumkit_chooser.element_names.at(lists[0].value), "Snare test");

  // A later visit that creates nothing goes back to the library's first line.
  ASSERT_TRUE(Sound::ConvertElement("data/elements/Kick.ele", Sound::KICK, Sound::CATEGORY_FOOT));
  drumkit_chooser.BuildElementList();
  ASSERT_EQ(drumkit_chooser.element_names.size(), 2u);
  ASSERT_TRUE(Click(213));
  ASSERT_EQ(interface_state, kNewElementScreen);
  Frame();
  ASSERT_TRUE(Click(9));
  Frame();
  EXPECT_EQ(All(Imgui::TraceKind::LIST_BOX).at(0).value, 0);
  // Another element made is the library's last line, selected on the way back.
  ASSERT_TRUE(Click(213));
  ASSERT_EQ(interface_state, kNewElementScreen);
  Frame();
  working_element.name = "Tom test";
  working_element.sample_path = samples;
  ASSERT_TRUE(Click(263));
  ASSERT_TRUE(Click(9));
  Frame();
  ASSERT_EQ(drumkit_chooser.element_names.size(), 3u);
  EXPECT_EQ(All(Imgui::TraceKind::LIST_BOX).at(0).value, 2);
  EXPECT_EQ(drumkit_chooser.element_names[2], "Tom test");

  // Ok saves the new kit as one of the user's own.
  ASSERT_TRUE(Click(224));
  ASSERT_EQ(interface_state, kChooseDrumkitScreen);
  Frame();
  const auto& kit = drumkit_chooser.drumkits.at(SelectedKitLine());
  EXPECT_EQ(kit.Name, GetUtf8(kTextNewDrumkit));
  EXPECT_NE(ReadFile(kit.path).find("Is_Preset = no"), std::string::npos);
}

// Through the new-element screen and back, Cancel in the editor returns to the kit's line.
TEST_F(KitScreens, CancelAfterTheNewElementScreenReturnsToTheKitsLine) {
  std::vector<std::string> names;
  drumkit_chooser.GetDrumkitNames(names);
  for (const int line : {2, 0}) {
    ASSERT_LT(line, static_cast<int>(names.size()));
    EnterListAt(names[line]);
    ASSERT_TRUE(Click(213));  // a new kit
    working_element.type = Sound::KICK;  // the type of the element made before
    ASSERT_TRUE(Click(213));  // a new element: of the custom hand type again
    Frame();
    const auto types = All(Imgui::TraceKind::CHECK_BOX);
    const auto ticked = std::find_if(types.begin(), types.end(), [](const auto& b) { return b.value == 1; });
    ASSERT_NE(ticked, types.end());
    EXPECT_EQ(ticked->label, GetUtf8(ElementTypeTextId(Sound::CUSTOM_HAND)));
    ASSERT_TRUE(Click(9));  // back to the editor
    Frame();
    ASSERT_TRUE(Click(kTextCancel));
    ASSERT_EQ(interface_state, kChooseDrumkitScreen);
    Frame();
    EXPECT_EQ(SelectedKitLine(), line);
  }
}

// An element a kit uses is kept, with a warning naming the kit or kits; an unused one is deleted
// on Yes only, and a file that cannot be removed stays listed with the error shown.
TEST_F(KitScreens, AnElementInUseIsKeptAnUnusedOneDeletedOnYes) {
  skyt_test::WriteFile("conf/drumkits/A.ini", "[Drumkit]\nName = A\nIs_Preset = no\n\nDrum0.element = one\nDrum1.element = two\n");
  skyt_test::WriteFile("conf/drumkits/B.ini", "[Drumkit]\nName = B\nIs_Preset = no\n\nDrum0.element = two\n");
  drumkit_chooser.BuildDrumkitList(false);
  const std::string used_by_two = GetUtf8(kTextDrumkitElementUsedFollowing) + std::string("A") +
                                  GetUtf8(kTextAndSeparator2) + "B" + GetUtf8(kTextMakeSureIsnt);
  const struct { int line, answer; bool stuck, kept; std::vector<std::string> boxes; std::string last; } cases[] = {
      {1, 0, false, true, {"warning"}, GetUtf8(kTextDrumkitElementUsed) + std::string("A") + GetUtf8(kTextDrumkitMakeSure)},
      {2, 0, false, true, {"warning"}, used_by_two},
      {0, 1, false, true, {"warning question"}, GetUtf8(kTextSureWantDeleteDrumkit)},
      {0, 0, true, true, {"warning question", "warning"}, GetUtf8(kTextErrorDeletingDrumkitElement)},
      {0, 0, false, false, {"warning question"}, GetUtf8(kTextSureWantDeleteDrumkit)},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all("data/elements");
    std::filesystem::create_directories("data/elements");
    for (const char* e : {"one", "two"}) skyt_test::WriteFile(std::string("data/elements/") + e + ".ele", "ELE0");
    // A folder with something in it cannot be removed as a file.
    if (c.stuck) std::filesystem::create_directories("data/elements/free.ele/x");
    else skyt_test::WriteFile("data/elements/free.ele", "ELE0");
    drumkit_chooser.BuildElementList();
    const std::string element = drumkit_chooser.element_names.at(c.line);
    Fakes::answers = {c.answer};
    Fakes::boxes.clear();
    Enter(kNewDrumkitScreen, 0, c.line + 1);
    ASSERT_TRUE(Click(kTextDelete));
    EXPECT_EQ(Fakes::boxes, c.boxes) << element << c.answer;
    EXPECT_EQ(Fakes::messages.back().rfind(platform::EscapeMarkup(c.last), 0), 0u) << Fakes::messages.back();
    EXPECT_EQ(std::filesystem::exists("data/elements/" + element + ".ele"), c.kept) << element << c.answer;
    const auto& names = drumkit_chooser.element_names;
    EXPECT_EQ(std::count(names.begin(), names.end(), element), c.kept ? 1 : 0) << element << c.answer;
  }
}

// Browse takes a chosen folder of up to 1023 bytes; a longer one is refused with a warning and
// a cancelled choice keeps the folder.
// While an element is made the screen is shown veiled, as drawn up to Create.
TEST_F(KitScreens, CreatingAnElementVeilsTheScreen) {
  static const skyt_test::GlContext* context;
  static std::vector<std::string> veiled;
  context = gl.get();
  veiled.clear();
  window_services.swap_buffers = [] {
    if (veiled.empty()) veiled.push_back(skyt_test::DiffersFromKeptPicture(*context, "screens/new-element--busy"));
  };
  working_element = {};
  working_element.name = "Snare test";
  working_element.sample_path = "samples";
  working_element.type = Sound::SNARE;
  working_element.category = Sound::CATEGORY_HAND;
  Enter(kNewElementScreen);
  const auto* create = FindText(kTextCreate);
  ASSERT_NE(create, nullptr);
  const auto framed = [] { DrawBackground(false), skyt_test::RunScreen(); };
  input->MoveTo(create->x + create->w / 2, create->y - create->h / 2);
  input->Press();
  input->Frame(framed);
  input->Release();
  input->Frame(framed);
  ResetWindowServices();
  EXPECT_EQ(veiled, std::vector<std::string>{""});
  // The veil fills both buffers, once each.
  static int swaps;
  swaps = 0;
  window_services.swap_buffers = [] { ++swaps; };
  DrawBusyVeil();
  ResetWindowServices();
  EXPECT_EQ(swaps, 2);
}

TEST_F(KitScreens, BrowseTakesAFolderOfUpTo1023Bytes) {
  std::string chosen;
  AnswerFileSelections(chosen);
  const struct { size_t length; bool taken; std::vector<std::string> boxes; } cases[] = {
      {0, false, {}}, {1023, true, {}}, {1024, false, {"warning"}}};
  for (const auto& c : cases) {
    chosen = c.length ? "/" + std::string(c.length - 1, 'f') : "";
    working_element.sample_path = "samples";
    Fakes::boxes.clear();
    Enter(kNewElementScreen);
    ASSERT_TRUE(Click(kTextBrowse));
    EXPECT_EQ(working_element.sample_path, c.taken ? chosen : "samples") << c.length;
    EXPECT_EQ(Fakes::boxes, c.boxes) << c.length;
  }
}

}  // namespace
