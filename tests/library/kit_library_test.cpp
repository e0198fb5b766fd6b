// Loading, saving, naming and deleting kits and elements, and the atomic file writer.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "frame/atomic_file.h"
#include "frame/platform/spawn.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "library/library_calls.h"
#include "library/library_names.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"
#include "tests/support/test_elements.h"

namespace {

using skyt_test::Installation;
using skyt_test::ReadFile;
using skyt_test::WriteFile;

void MakeElement(const std::string& name, Sound::ElementType type, Sound::ElementCategory category) {
  ASSERT_TRUE(Sound::ConvertElement(("data/elements/" + name + ".ele").c_str(), type, category));
}

void WriteKit(const std::string& file, const std::string& name, const std::vector<std::string>& elements,
              bool preset = false, const std::string& calibration = "") {
  std::string text = "[Drumkit]\nName = " + name + "\nIs_Preset = " + (preset ? "yes" : "no") + "\n\n";
  for (size_t i = 0; i < elements.size(); ++i) text += "Drum" + std::to_string(i) + ".element = " + elements[i] + "\n";
  WriteFile("conf/drumkits/" + file, text + "\n[Drumkit calibration]\n" + calibration);
}

// A drummer over the kits on disk, as the program's start lists them.
struct DrummerOverKits {
  DrummerOverKits() {
    kits.Init();
    kits.BuildDrumkitList(false);
    d.kit = &drumkit;
    d.kit_library = &kits;
  }
  DrumkitChooser kits;
  Drummer d;
};

// Loads kits into the program-wide kit with a scripted message box and a recorded progress bar.
class KitLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    skyt_test::ResetSound();
    drumkit.drums.clear();
    drumkit.drum_to_element.clear();
    drumkit.splash_element = -1;
    drummer.Is_Left_Handed = false;
    drummer.Use_Camera_Stand = false;
    SetCommandRunner([this](const std::vector<std::string>& args, const std::string*) {
      ++boxes_;
      box_kind_ = args.at(1);
      return CommandResult{0, ""};
    });
    kit_progress = [](int percent, const std::string&, bool) { Progress().push_back(percent); };
    Progress().clear();
  }
  void TearDown() override { SetCommandRunner(nullptr); }
  static std::vector<int>& Progress() {
    static std::vector<int> p;
    return p;
  }
  int Load(DrumkitChooser& c, const std::string& name, bool progress = false) {
    testing::internal::CaptureStdout();
    int r = c.LoadDrumkit(&drumkit, name, progress);
    output_ = testing::internal::GetCapturedStdout();
    return r;
  }
  int boxes_ = 0;
  std::string box_kind_;
  std::string output_;
};

}  // namespace

TEST(KitNames, FreeFileNamesAndRefusedNames) {
  const std::pair<const char*, const char*> next[] = {
      {"./conf/drumkits/Rock", "./conf/drumkits/Rock-2"}, {"Rock-2", "Rock-3"}, {"Kit 5", "Kit 6"},
      {"Kit 5 b", "Kit 5 b-2"}, {"Kit 99999999999999999999", "Kit 100000000000000000000"}, {"a/9", "a/10"},
      {"7/x", "7/x-2"}, {"99", "100"}};
  for (const auto& [from, to] : next) EXPECT_EQ(NextFileName(from), to) << from;

  struct Case { const char* name; bool element; bool ok; const char* kept; };
  const Case cases[] = {{"  snare \t", true, true, "snare"}, {"   ", false, false, ""}, {"a\nb", false, false, ""},
                        {"../elements/snare", true, false, ""}, {"a\\b", true, false, ""}, {".hidden", true, false, ""},
                        {"12345678901234567890123456789012", true, false, ""},
                        {"1234567890123456789012345678901", true, true, "1234567890123456789012345678901"},
                        {"Rock/Pop: live", false, true, "Rock/Pop: live"}};
  for (const Case& c : cases) {
    std::string name = c.name, message;
    EXPECT_EQ(ValidateLibraryName(name, c.element, " drumkit ", message), c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(name, c.kept);
    }
    EXPECT_EQ(message.empty(), c.ok) << c.name;
  }
}

TEST(KitNames, NewKitsTakeFreeFilesAndNoTakenName) {
  Installation install("kitlib_names");
  WriteKit("Rock.ini", "Rock", {});
  WriteKit("MIDI_Kit__LH_.ini", "MIDI Kit (LH)", {}, true);  // the other hand's preset: not listed
  WriteFile("conf/drumkits/Nameless.ini", "[Drumkit]\n");
  DrumkitChooser c;
  c.BuildDrumkitList(false);
  const std::pair<const char*, const char*> cases[] = {{"Rock?", "Rock_.ini"}, {"Rock:", "Rock_-2.ini"},
                                                       {"Rock!", "Rock!.ini"}, {"MIDI_Kit__LH_ ", "MIDI_Kit__LH_-2.ini"},
                                                       {"Nameless", "Nameless-2.ini"}};
  for (const auto& [name, file] : cases) {
    DrumkitChooser::LogicalDrumkit kit;
    kit.Name = name;
    std::string message;
    ASSERT_TRUE(c.SaveDrumkit(kit, message, nullptr)) << name << message;
    EXPECT_EQ(kit.path, std::string("./conf/drumkits/") + file);
  }
  EXPECT_EQ(ReadFile("conf/drumkits/MIDI_Kit__LH_.ini").find("Is_Preset = yes") != std::string::npos, true);
  // A rename onto another kit's Name is refused, the file stays as it was.
  DrumkitChooser::LogicalDrumkit renamed = c.drumkits[1];
  renamed.Name = "Rock";
  const std::string before = ReadFile(renamed.path);
  std::string message;
  EXPECT_FALSE(c.SaveDrumkit(renamed, message, nullptr));
  EXPECT_EQ(message, "A  drumkit  of that name already exists.");
  EXPECT_EQ(ReadFile(c.drumkits[1].path), before);
  // A Name that would write a line of its own is refused before any file is written.
  renamed.Name = "Rock\n[Drumkit calibration]";
  EXPECT_FALSE(c.SaveDrumkit(renamed, message, nullptr));
  EXPECT_EQ(ReadFile(c.drumkits[1].path), before);
  EXPECT_EQ(c.MakeUniqueDrumkitCopyName("Rock"), "Copy of Rock");
  // Deleting: the last of several selects the new last, a vanished file is -2.
  const int n = int(c.drumkits.size());
  EXPECT_EQ(c.DeleteDrumkit(n - 1, message), n - 2);
  unlink(c.drumkits[0].path.c_str());
  EXPECT_EQ(c.DeleteDrumkit(0, message), -2);
  EXPECT_EQ(message, "Error deleting drumkit file ./conf/drumkits/Rock.ini.");
  // Two files of one Name (a file copied by hand): each still saves under its own Name.
  WriteKit("Twin.ini", "Twin", {});
  WriteKit("Twin2.ini", "Twin", {});
  c.BuildDrumkitList(false);
  for (DrumkitChooser::LogicalDrumkit k : c.drumkits) EXPECT_TRUE(c.SaveDrumkit(k, message, nullptr)) << k.path;
}

TEST_F(KitLoad, MiddleElementMissingAndSplashPartner) {
  Installation install("kitlib_load");
  MakeElement("12in bop snare (no rimshots)", Sound::SNARE, Sound::CATEGORY_HAND);
  MakeElement("13in hi-hats", Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT);
  MakeElement("13in hi-hat foot splash", Sound::HIHAT_SPLASH, Sound::CATEGORY_FOOT);
  MakeElement("03in hi-hat splash", Sound::SPLASH, Sound::CATEGORY_HAND);  // listed first, another hi-hat's
  WriteKit("Jazz.ini", "Jazz", {"12in bop snare (no rimshots)", "20in punch kick", "13in hi-hats"});
  DrumkitChooser c;
  c.Init();
  c.BuildDrumkitList(false);
  EXPECT_EQ(Load(c, "Jazz", true), 0);
  ASSERT_EQ(drumkit.drums.size(), 3u);
  EXPECT_EQ(drumkit.drums[0].category, Sound::CATEGORY_HAND);  // the first slot's element
  EXPECT_EQ(int(drumkit.drums[1].type), 255);
  EXPECT_EQ(drumkit.GetDrumkitElementToSoundElement(1), -1);
  EXPECT_EQ(Progress(), (std::vector<int>{0, 0, 50, 100, 100}));
  EXPECT_EQ(boxes_, 1);
  EXPECT_EQ(box_kind_, "--warning");  // told, not asked
  ASSERT_GE(drumkit.splash_element, 0);
  EXPECT_EQ(sound.GetElementType(drumkit.splash_element), Sound::HIHAT_SPLASH);
  // An unlisted name changes nothing; when it was the current name it is emptied.
  EXPECT_EQ(Load(c, "Pop"), -1);
  EXPECT_EQ(c.current_drumkit_name, "Jazz");
  EXPECT_EQ(drumkit.drums.size(), 3u);
  c.current_drumkit_name = "Pop";
  EXPECT_EQ(Load(c, ""), -1);
  EXPECT_EQ(c.current_drumkit_name, "");
}

TEST_F(KitLoad, SwitchingKitsFreesEveryOldSlotOnceAfterTheNewLoad) {
  Installation install("kitlib_switch");
  std::vector<std::string> a, b;
  for (int i = 0; i < 11; ++i) {
    a.push_back("a" + std::to_string(i));
    b.push_back("b" + std::to_string(i));
    MakeElement(a.back(), Sound::SNARE, Sound::CATEGORY_HAND);
    const bool hat = i == 5 || i == 6;
    MakeElement(b.back(), hat ? Sound::HIHAT : Sound::SNARE, hat ? Sound::CATEGORY_HAND_AND_FOOT : Sound::CATEGORY_HAND);
  }
  MakeElement("b5 splash", Sound::HIHAT_SPLASH, Sound::CATEGORY_FOOT);
  WriteKit("A.ini", "A", a);
  WriteKit("B.ini", "B", b);
  DrumkitChooser c;
  c.Init();
  c.BuildDrumkitList(false);
  Load(c, "A");
  size_t table = 0;
  for (int i = 0; i < 20; ++i) {
    const bool to_b = i % 2 == 0;
    std::set<int> old_slots;
    for (const auto& [drum, slot] : drumkit.drum_to_element) old_slots.insert(slot);
    ASSERT_GE(Load(c, to_b ? "B" : "A"), 0);
    // The old kit's slots were still taken while the new kit loaded.
    for (const auto& [drum, slot] : drumkit.drum_to_element) EXPECT_EQ(old_slots.count(slot), 0u) << i;
    if (i == 1) table = sound.elements.size();
    if (i > 1) {
      EXPECT_EQ(sound.elements.size(), table) << i;
    }
    size_t used = 0;
    for (const auto& e : sound.elements) used += !e.free;
    EXPECT_EQ(used, to_b ? 12u : 11u) << i;  // B's two hi-hats bring one splash partner
  }
}

TEST(KitSave, SavedAfterPlacementKeepsValuesMissingDrumsAndTheOldFileOnFailure) {
  Installation install("kitlib_save");
  InstallLibraryCalls();
  skyt_test::ResetSound();
  SetCommandRunner([](const std::vector<std::string>&, const std::string*) { return CommandResult{0, ""}; });
  MakeElement("kick", Sound::KICK, Sound::CATEGORY_FOOT);
  MakeElement("snare", Sound::SNARE, Sound::CATEGORY_HAND);
  const std::string calibration =
      "Drum0.foot_x = 100.000000\nDrum0.foot_y = 220.000000\nDrum0.foot_size = 5.000000\n"
      "Drum0.pedal_lowest_foot_y = 220.000000\nDrum0.pedal_foot_range = 5.000000\nDrum0.Foot.Sensitivity = 43\n"
      "Drum1.x = 40.000000\nDrum1.y = 50.000000\nDrum1.note = kept\n"
      "Drum2.x = 150.000000\nDrum2.y = 120.000000\nDrum2.size = 4.000000\nDrum2.Hand.Sensitivity = 59\n";
  WriteKit("Stand.ini", "Stand (RH)", {"kick", "gone", "snare"}, true, calibration);
  DrummerOverKits kits;
  DrumkitChooser& c = kits.kits;
  Drummer& d = kits.d;
  drummer.Is_Left_Handed = false;
  drummer.Use_Camera_Stand = true;
  for (int round = 0; round < 3; ++round) {
    testing::internal::CaptureStdout();
    ASSERT_EQ(c.LoadDrumkit(&drumkit, "Stand (RH)", false), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_FLOAT_EQ(drumkit.drums[0].foot_x, 131.0f);
    std::string message;
    ASSERT_TRUE(d.SaveCalibration(&message)) << message;
    const std::string saved = ReadFile("conf/drumkits/Stand.ini");
    for (const char* line : {"Drum1.element = gone", "Drum0.foot_x = 100.000000", "Drum0.Foot.Sensitivity = 43",
                             "Drum1.note = kept", "Drum2.Hand.Sensitivity = 59", "Drum2.x = 150.000000"})
      EXPECT_NE(saved.find(line), std::string::npos) << round << ": " << line;
  }
  // A write that fails (file size limit) leaves the kit file byte for byte as it was.
  const std::string before = ReadFile("conf/drumkits/Stand.ini");
  signal(SIGXFSZ, SIG_IGN);
  rlimit old_limit, limit{64, 64};
  getrlimit(RLIMIT_FSIZE, &old_limit);
  limit.rlim_max = old_limit.rlim_max;
  setrlimit(RLIMIT_FSIZE, &limit);
  std::string message;
  testing::internal::CaptureStdout();
  const bool saved = d.SaveCalibration(&message);
  testing::internal::GetCapturedStdout();
  setrlimit(RLIMIT_FSIZE, &old_limit);
  EXPECT_FALSE(saved);
  EXPECT_EQ(message, "Could not save the drumkit to ./conf/drumkits/Stand.ini.");
  EXPECT_EQ(ReadFile("conf/drumkits/Stand.ini"), before);
  // A temporary file gone before the commit (a cleaned temporary folder) leaves the kit as well.
  std::string temp;
  ASSERT_TRUE(c.SaveWithCalibration(temp, message)) << message;
  unlink(temp.c_str());
  EXPECT_FALSE(c.CommitKitFile(temp, true, message));
  EXPECT_EQ(ReadFile("conf/drumkits/Stand.ini"), before);
  // A committed save leaves no temporary file behind.
  ASSERT_TRUE(c.SaveWithCalibration(temp, message)) << message;
  EXPECT_TRUE(c.CommitKitFile(temp, true, message)) << message;
  EXPECT_NE(access(temp.c_str(), F_OK), 0) << temp;
  drummer.Use_Camera_Stand = false;
  SetCommandRunner(nullptr);
}

TEST(AtomicFile, LinksStayLinksReadOnlyFilesStayUntouched) {
  Installation install("kitlib_atomic");
  WriteFile("real.ini", "old");
  ASSERT_EQ(symlink("real.ini", "link.ini"), 0);
  chmod("real.ini", 0640);
  testing::internal::CaptureStdout();
  EXPECT_TRUE(WriteFileAtomic("link.ini", "new"));
  struct stat st;
  ASSERT_EQ(lstat("link.ini", &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  stat("real.ini", &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(ReadFile("real.ini"), "new");
  chmod("real.ini", 0444);
  EXPECT_FALSE(WriteFileAtomic("real.ini", "newer"));
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(ReadFile("real.ini"), "new");
}

TEST(Elements, CreatingCountingAndRefusing) {
  Installation install("kitlib_elements");
  DrumkitChooser c;
  std::string message;
  DrumkitChooser::Element midi;
  midi.name = "Cowbell";
  midi.type = Sound::COWBELL;
  ASSERT_TRUE(c.SaveElement(midi, message));
  EXPECT_EQ(ReadFile("data/elements/Cowbell.ele").size(), 16u);
  EXPECT_EQ(c.element_names, std::vector<std::string>{"Cowbell"});
  mkdir("empty", 0755);
  WriteFile("data/elements/Ride.ele", "kept");  // on disk, not listed
  const std::pair<const char*, std::string> refused[] = {
      {"Cowbell", GetUtf8(kTextNameAlreadyUsed)}, {"Ride", GetUtf8(kTextNameAlreadyUsed)},
      {"../conf/x", GetUtf8(kTextNameHoldControl)}, {"", "Cannot save an element without a name."},
      {"Empty", "There was an error creating the element file."}};
  for (const auto& [name, refusal] : refused) {
    DrumkitChooser::Element e;
    e.name = name;
    e.sample_path = std::string(name) == "Empty" ? "empty" : "";
    testing::internal::CaptureStdout();
    EXPECT_FALSE(c.SaveElement(e, message)) << name;
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(message, refusal) << name;
  }
  EXPECT_EQ(ReadFile("data/elements/Ride.ele"), "kept");
  EXPECT_EQ(message, "There was an error creating the element file.");
  EXPECT_EQ(ReadFile("data/elements/Empty.ele"), "");
  EXPECT_EQ(ReadFile("conf/x.ele"), "");
  // Without a folder of samples too, a file that cannot be written is reported.
  std::filesystem::rename("data/elements", "elements_aside");
  midi.name = "Clap";
  message.clear();
  testing::internal::CaptureStdout();
  EXPECT_FALSE(c.SaveElement(midi, message));
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(message, "There was an error creating the element file.");
  std::filesystem::rename("elements_aside", "data/elements");
  EXPECT_EQ(c.element_names.size(), 1u);
  for (const char* name : {"A", "B", "C"}) WriteKit(std::string(name) + ".ini", name, {"Cowbell", "Clap", "Cowbell"});
  c.BuildDrumkitList(false);
  const std::pair<int, const char*> counts[] = {{3, "A, B and C"}, {2, "A and B"}, {1, "A"}};
  for (const auto& [n, text] : counts) {
    c.drumkits.resize(size_t(n));
    EXPECT_EQ(c.CountDrumkitsUsingElement(0, message), n);
    EXPECT_EQ(message, text);
  }
  // Deleting takes the file and the name away and gives the line to select next; a file gone
  // already is reported and keeps the name.
  for (const char* name : {"Bongo", "Conga"}) {
    midi.name = name;
    ASSERT_TRUE(c.SaveElement(midi, message)) << name;
  }
  std::filesystem::rename("data/elements/Bongo.ele", "Bongo.ele");
  message.clear();
  EXPECT_EQ(c.DeleteElement(1, message), -2);
  EXPECT_NE(message.find("/data/elements/Bongo.ele"), std::string::npos) << message;
  std::filesystem::rename("Bongo.ele", "data/elements/Bongo.ele");
  const struct { int line, next; std::vector<std::string> left; } deletes[] = {
      {1, 1, {"Cowbell", "Conga"}}, {1, 0, {"Cowbell"}}, {0, -1, {}}};
  for (const auto& d : deletes) {
    const std::string path = "data/elements/" + c.element_names.at(size_t(d.line)) + ".ele";
    EXPECT_EQ(c.DeleteElement(d.line, message), d.next) << path;
    EXPECT_EQ(c.element_names, d.left) << path;
    EXPECT_NE(access(path.c_str(), F_OK), 0) << path;
  }
  // From a folder of samples: made, listed, and no message to show.
  std::filesystem::create_directories("samples");
  std::filesystem::copy_file("/usr/share/hydrogen/data/drumkits/GMRockKit/Snare-Soft.wav", "samples/Snare-Soft.wav");
  kit_progress = [](int, const std::string&, bool) {};
  DrumkitChooser::Element snare;
  snare.name = "Snare";
  snare.type = Sound::SNARE;
  snare.category = Sound::CATEGORY_HAND;
  snare.sample_path = "samples";
  message.clear();
  EXPECT_TRUE(c.SaveElement(snare, message));
  EXPECT_EQ(message, "");
  EXPECT_EQ(c.element_names, std::vector<std::string>{"Snare"});
  EXPECT_EQ(ReadFile("data/elements/Snare.ele").substr(0, 4), "ELE0");
}

// The new-element screen's untouched placeholder is refused as no name is, with the kind word.
TEST(Elements, ThePlaceholderIsNoName) {
  Installation install("kitlib_placeholder");
  DrumkitChooser c;
  for (const char* name : {"", " \t", "<new element>"}) {
    DrumkitChooser::Element e;
    e.name = name;
    e.type = Sound::COWBELL;
    std::string message;
    EXPECT_FALSE(c.SaveElement(e, message)) << name;
    EXPECT_EQ(message, "Cannot save an element without a name.") << name;
  }
  EXPECT_EQ(ReadFile("data/elements/<new element>.ele"), "");
  EXPECT_TRUE(c.element_names.empty());
}

namespace {

// The installation's element files, converted once into the build folder (kept while up to date).
const std::string& InstalledElements() {
  static const std::string dir = [] {
    const std::string dest = skyt_test::BuildDir() + "/kit_library_test_install";
    const CommandResult r = SpawnAndWait({"bash", skyt_test::SourceDir() + "/tools/install.d/30-elements.sh",
                                          skyt_test::SourceDir(), dest, skyt_test::BuildDir()},
                                         nullptr);
    return r.exit_code == 0 ? dest + "/data/elements/" : std::string();
  }();
  return dir;
}

}  // namespace

TEST_F(KitLoad, InstalledElementsLoadAsTheFileSaysAndASnareStrokeSoundsOnce) {
  ASSERT_FALSE(InstalledElements().empty()) << "the elements could not be installed";
  Installation install("kitlib_installed");
  for (const char* e : {"12in bop snare (no rimshots)", "20in punch kick", "13in hi-hats", "13in hi-hat foot splash"})
    std::filesystem::copy_file(InstalledElements() + e + ".ele", std::string("data/elements/") + e + ".ele");
  WriteKit("Bop.ini", "Bop", {"12in bop snare (no rimshots)", "20in punch kick", "13in hi-hats"}, false,
           "Drum0.x = 240\nDrum0.y = 150\nDrum0.size = 4\nDrum0.Hand.Sensitivity = 37\n"
           "Drum1.foot_x = 200\nDrum1.foot_y = 225\nDrum1.foot_size = 5\n"
           "Drum2.x = 60\nDrum2.y = 120\nDrum2.size = 4\nDrum2.foot_x = 90\nDrum2.foot_y = 225\n");
  DrumkitChooser c;
  c.Init();
  c.BuildDrumkitList(false);
  drumkit.Init();  // the type defaults (volumes, sensitivities)
  ASSERT_EQ(Load(c, "Bop"), 0);
  EXPECT_EQ(boxes_, 0);
  const std::pair<const char*, Sound::ElementType> drums[] = {
      {"12in bop snare (no rimshots)", Sound::SNARE}, {"20in punch kick", Sound::KICK}, {"13in hi-hats", Sound::HIHAT}};
  ASSERT_EQ(drumkit.drums.size(), 3u);
  for (size_t d = 0; d < 3; ++d) {
    EXPECT_STREQ(drumkit.drums[d].name, drums[d].first);
    EXPECT_EQ(drumkit.drums[d].type, drums[d].second);
  }
  EXPECT_NE(output_.find("as pedal splash: 13in hi-hat foot splash\n"), std::string::npos) << output_;
  EXPECT_TRUE(skyt_test::WaitForSamples(sound)) << "the kit's samples were never read";
  // The harness's stroke, counted in the mixer (its own voice list knows only its test tones).
  Drummer d;
  skyt_test::ResetDrummer(d, drumkit);
  int voices = 0, struck = -1;
  for (float y : skyt_test::StrokeTrack(158 - 6 * 8, 8, 6, 6)) {
    Webcam::Blob blobs[] = {skyt_test::Blob(240, y), skyt_test::Blob(20, 40)};
    Logger::Frame log;
    d.Drum(blobs, 2, &log, nullptr, false);
    const int started = sound.audio.GetNumPlayingSounds();
    for (const auto& limb : log.limbs)
      if (started > 0 && limb.stroke) struck = limb.found;
    voices += started;
    skyt_test::SilenceAll();
  }
  EXPECT_EQ(voices, 1);
  EXPECT_EQ(struck, 0);
}

TEST_F(KitLoad, TheDrummerReadsTheSamplesOutsideMidiOnlyModeOnly) {
  ASSERT_FALSE(InstalledElements().empty()) << "the elements could not be installed";
  Installation install("kitlib_midi_only");
  InstallLibraryCalls();
  std::filesystem::copy_file(InstalledElements() + "20in punch kick.ele", "data/elements/20in punch kick.ele");
  WriteKit("Kick.ini", "Kick", {"20in punch kick"});
  DrummerOverKits kits;
  Drummer& d = kits.d;
  // As the MIDI screen does on leaving MIDI-only mode: the kit is erased, then loaded again.
  for (const int mode : {int(kMidiOnlyMode), 0}) {
    if (mode != kMidiOnlyMode) drumkit.EraseForMIDI();
    midi_mode = mode;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(d.ChooseDrumkit("Kick", false));
    testing::internal::GetCapturedStdout();
    const int slot = drumkit.GetDrumkitElementToSoundElement(0);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(sound.elements[slot].samples->sets.empty(), mode == kMidiOnlyMode) << mode;
  }
  skyt_test::WaitForSamples(sound);
}

TEST_F(KitLoad, AKitChangeStopsAPlayingRecording) {
  Installation install("kitlib_playing");
  mkdir("recordings", 0755);
  MakeElement("snare", Sound::SNARE, Sound::CATEGORY_HAND);
  WriteKit("A.ini", "A", {"snare"});
  DrumkitChooser c;
  c.Init();
  c.BuildDrumkitList(false);
  testing::internal::CaptureStdout();
  bool recording = false;
  logger.StartRecording(recording, "A");
  logger.StopRecording(recording);
  std::string error;
  ASSERT_TRUE(logger.LoadRecording(0, error)) << error;
  testing::internal::GetCapturedStdout();
  // Played from the recordings list, and played as the export renders it (the list's player idle).
  for (const bool from_list : {true, false}) {
    if (from_list) logger.StartPlaying(false);
    else sound.PlayPerformance(0.0f, false);
    ASSERT_EQ(logger.IsPlaying(), from_list);
    ASSERT_TRUE(sound.IsPerformancePlaying());
    ASSERT_EQ(Load(c, "A"), 0);
    EXPECT_FALSE(logger.IsPlaying());
    EXPECT_FALSE(sound.IsPerformancePlaying()) << from_list;
  }
  logger.UnloadRecording();
  logger.recordings.clear();
}

TEST(KitSave, EditedKitsCarryCalibrationByElementName) {
  Installation install("kitlib_carry");
  const struct {
    const char* calibration;
    const char* expected;  // the new file's drum lines after the legend
  } cases[] = {
      {"Drum0.x = 10\nDrum1.x = 11\nDrum2.x = 12\nDrum3.foot_x = 13\n",
       "Drum0.x = 10.000000\n\nDrum2.x = 12.000000\n\nDrum1.foot_x = 13.000000\n\n"},
      {"", ""},
  };
  for (const auto& c : cases) {
    WriteKit("Old.ini", "Old", {"sn", "tom", "sn", "kick"}, false, c.calibration);
    DrumkitChooser::LogicalDrumkit old, edited;
    ASSERT_TRUE(old.Load("conf/drumkits/Old.ini"));
    edited = old;
    edited.path = "conf/drumkits/New.ini";
    edited.elements = {"sn", "kick", "sn"};
    ASSERT_TRUE(edited.SaveWhenEditing(&old));
    const std::string saved = ReadFile(edited.path);
    const std::string legend = Drumkit::GetDrumkitCalibrationLegend() + "\n";
    ASSERT_NE(saved.find(legend), std::string::npos);
    EXPECT_EQ(saved.substr(saved.find(legend) + legend.size()), c.expected) << c.calibration;
  }
}

TEST(KitNames, CopyNamesAndDeletingSelectTheNext) {
  Installation install("kitlib_copy");
  for (const char* name : {"X", "Copy of X", "Copy of X 2"}) WriteKit(std::string(name) + ".ini", name, {});
  DrumkitChooser c;
  c.BuildDrumkitList(false);
  EXPECT_EQ(c.MakeUniqueDrumkitCopyName("X"), "Copy of X 3");
  const std::pair<size_t, int> deletes[] = {{2, 1}, {0, 0}, {0, -1}};  // (index, next) on 3, 2, then 1 kit
  for (const auto& [i, next] : deletes) {
    std::string message;
    const std::string path = c.drumkits[i].path;
    EXPECT_EQ(c.DeleteDrumkit(int(i), message), next) << c.drumkits.size();
    EXPECT_NE(access(path.c_str(), F_OK), 0) << path;
  }
  EXPECT_TRUE(c.drumkits.empty());
}

TEST(AtomicFile, AKillMidSaveLeavesTheOldOrTheNewKit) {
  Installation install("kitlib_kill");
  DrumkitChooser::LogicalDrumkit kits[2];
  for (int k = 0; k < 2; ++k) {
    kits[k].Name = k ? "New" : "Old";
    kits[k].path = "conf/drumkits/Kit.ini";
    kits[k].elements.assign(20000, k ? "new element" : "old element");
  }
  const std::string texts[] = {kits[0].DrumkitPart(), kits[1].DrumkitPart()};
  for (int delay_us : {0, 300, 1000, 3000, 7000}) {
    ASSERT_TRUE(kits[0].SaveWhenEditing(nullptr));
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
      close(ready[0]);
      (void)!write(ready[1], "s", 1);
      for (int i = 1;; ++i) kits[i % 2].SaveWhenEditing(nullptr);
    }
    close(ready[1]);
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);
    usleep(useconds_t(delay_us));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::string after = ReadFile("conf/drumkits/Kit.ini");
    EXPECT_TRUE(after == texts[0] || after == texts[1]) << delay_us << ": " << after.size() << " bytes";
  }
}

TEST(KitNames, ValuesCutShortByANulByteReadWithoutEndBlanks) {
  Installation install("kitlib_nul");
  WriteFile("conf/drumkits/Cut.ini", std::string("[Drumkit]\nName = Cut \r\0x\nDrum0.element = snare \t\0x\n", 51));
  DrumkitChooser::LogicalDrumkit kit;
  ASSERT_TRUE(kit.Load("conf/drumkits/Cut.ini"));
  EXPECT_EQ(kit.Name, "Cut");
  EXPECT_EQ(kit.elements, std::vector<std::string>{"snare"});
}
