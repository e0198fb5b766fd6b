// The start-up migrations on a fresh and on an updated installation, the shin-marker
// migration and the marker sizes. Message boxes are answered by a scripted command runner.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <cstdio>
#include <string>

#include "assets/presets/preset_texts.h"
#include "frame/paths.h"
#include "frame/platform/spawn.h"
#include "library/migrations.h"
#include "tests/support/test_dirs.h"

namespace {

using skyt_test::Installation;
using skyt_test::ReadFile;
using skyt_test::WriteFile;

// Message boxes: every box is logged; the answer is answer_ (0 = Ok/Yes, 1 = No).
class Migrations : public ::testing::Test {
 protected:
  void SetUp() override {
    boxes_.clear();
    answer_ = 0;
    SetCommandRunner([this](const std::vector<std::string>& args, const std::string*) {
      for (const std::string& a : args) boxes_ += a + " ";
      boxes_ += "\n";
      return CommandResult{answer_, ""};
    });
  }
  void TearDown() override { SetCommandRunner(nullptr); }
  std::string Boxes() const { return boxes_; }
  void Answer(int code) { answer_ = code; }
  static void StartUp() {
    PatchLampForBatch2(true);
    PatchMidiMaps(true);
    Patch3D(true);
    PatchMay2021();
  }
  std::string boxes_;
  int answer_ = 0;
};

std::string Settings() { return ReadFile("conf/skytapper.cfg"); }
std::string Shipped() { return ReadFile(skyt_test::SourceDir() + "/assets/conf/skytapper.cfg"); }

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

void AllPresetsOnDisk(const PresetText* presets, int count, PathType type) {
  for (int i = 0; i < count; ++i) {
    const std::string text = ReadFile(MakePath(type, presets[i].file));
    EXPECT_EQ(text, std::string(presets[i].data, presets[i].size)) << presets[i].file;
    EXPECT_EQ(text.find('\0'), std::string::npos);
    EXPECT_EQ(Count(text, "\n"), Count(text, "\r\n")) << presets[i].file;
  }
}

void Age(const std::string& path) {
  utimbuf old{1000000000, 1000000000};
  utime(path.c_str(), &old);
}
time_t MTime(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mtime;
}

}  // namespace

TEST_F(Migrations, FreshInstallationGetsThePresetsOnceMarked) {
  Installation install("migrations_fresh");
  WriteFile("conf/skytapper.cfg", Shipped());
  StartUp();
  AllPresetsOnDisk(preset_drumkits, 14, kPathDrumkits);
  AllPresetsOnDisk(preset_midi_maps, 11, kPathMidiMaps);
  std::string cfg = Settings();
  EXPECT_NE(cfg.find("\nThreshold  = 115\n"), std::string::npos);
  for (const char* marker : {"Lamp_Checked = true", "Have_MIDI_Maps_Dir = true", "Replaced_Lamp = true",
                             "Patched_3D = true", "Applied_May2021_Presets_Patch = true"})
    EXPECT_EQ(Count(cfg, marker), 1) << marker;
  EXPECT_EQ(Boxes(), "");

  // Again, still never ran: the maps stay as they are, the kits are written again.
  const std::string map = MakePath(kPathMidiMaps, "C_AD2.ini"), kit = MakePath(kPathDrumkits, "MIDI_Kit__RH_.ini");
  Age(map);
  WriteFile(kit, "changed");
  StartUp();
  EXPECT_EQ(MTime(map), 1000000000);
  EXPECT_EQ(Settings(), cfg);
  EXPECT_NE(ReadFile(kit), "changed");
  // Once it has run, nothing is written.
  WriteFile("conf/skytapper.cfg", "[Session]\nNever_Ran = false\n" + cfg.substr(cfg.find("Wants_Startup_Help")));
  WriteFile(kit, "changed");
  StartUp();
  EXPECT_EQ(ReadFile(kit), "changed");
  EXPECT_EQ(Boxes(), "");
}

TEST_F(Migrations, UpdatedInstallationShowsThe3DNoticeOnce) {
  Installation install("migrations_update");
  WriteFile("conf/skytapper.cfg",
            "[Session]\nNever_Ran = false\nLamp_Checked = true\nPatched_3D = false\nWants_Startup_Help = false\n"
            "Have_MIDI_Maps_Dir = true\n\n[Webcam]\nThreshold = 90\n");
  for (int i = 0; i < 14; ++i) WriteFile(MakePath(kPathDrumkits, preset_drumkits[i].file), "old");
  WriteFile("conf/drumkits/Mine.ini", "[Drumkit]\nName = Mine\n");  // one kit of the user's is enough
  StartUp();
  EXPECT_EQ(Count(Boxes(), "improved 3D tracking"), 1);
  EXPECT_EQ(Count(Boxes(), "--text="), 1) << Boxes();
  AllPresetsOnDisk(preset_drumkits, 14, kPathDrumkits);
  std::string cfg = Settings();
  EXPECT_NE(cfg.find("Patched_3D = true\nWants_Startup_Help"), std::string::npos) << cfg;
  EXPECT_EQ(Count(cfg, "Patched_3D"), 1);
  EXPECT_NE(cfg.find("Threshold = 90"), std::string::npos) << "a newer lamp keeps its threshold";

  boxes_.clear();
  WriteFile(MakePath(kPathDrumkits, preset_drumkits[0].file), "mine now");
  StartUp();
  EXPECT_EQ(Boxes(), "");
  EXPECT_EQ(ReadFile(MakePath(kPathDrumkits, preset_drumkits[0].file)), "mine now");
}

TEST_F(Migrations, MidiMapsJoinAUsersMapsWithoutOverwritingThem) {
  Installation install("migrations_user_maps");
  WriteFile("conf/skytapper.cfg", "[Session]\nWants_Startup_Help = true\n");
  WriteFile("conf/midi-maps/C_AD2.ini", "[MIDI map]\nName = My AD2\n");
  WriteFile("conf/midi-maps/Z_Mine.ini", "[MIDI map]\nName = Mine\n");
  PatchMidiMaps(true);
  EXPECT_EQ(ReadFile("conf/midi-maps/C_AD2.ini"), "[MIDI map]\nName = My AD2\n");
  EXPECT_EQ(ReadFile("conf/midi-maps/Z_Mine.ini"), "[MIDI map]\nName = Mine\n");
  EXPECT_EQ(ReadFile("conf/midi-maps/K_IWD4.ini"), std::string(preset_midi_maps[10].data, preset_midi_maps[10].size));
  EXPECT_EQ(Count(Settings(), "Have_MIDI_Maps_Dir = true"), 1);
  // Without a Never_Ran key the installation counts as fresh: the May 2021 presets are written.
  PatchMay2021();
  EXPECT_EQ(Count(Settings(), "Applied_May2021_Presets_Patch = true"), 1);
}

TEST_F(Migrations, MissingFoldersAreMadeBeforeThePresetsAreWritten) {
  Installation install("migrations_no_folders");
  rmdir("conf/drumkits");
  rmdir("conf/midi-maps");
  WriteFile("conf/skytapper.cfg", "[Session]\n");
  StartUp();
  AllPresetsOnDisk(preset_drumkits, 14, kPathDrumkits);
  AllPresetsOnDisk(preset_midi_maps, 11, kPathMidiMaps);
  EXPECT_EQ(Count(Settings(), "Have_MIDI_Maps_Dir = true"), 1) << "after [Session] without the anchor";
}

TEST_F(Migrations, SessionKeysGoWhereTheReaderFindsThem) {
  Installation install("migrations_session_keys");
  struct Case {
    const char* before;
    const char* after;
  } cases[] = {
      {"[Session]\nPatched_3D = false\nWants_Startup_Help = yes\n", "[Session]\nPatched_3D = true\nWants_Startup_Help = yes\n"},
      {"[Session]\nNever_Ran = true\nWants_Startup_Help = yes\n[Sound]\n",
       "[Session]\nNever_Ran = true\nWants_Startup_Help = yes\nPatched_3D = true\n[Sound]\n"},
      {"[Sound]\n[Session]\nNever_Ran = true\n", "[Sound]\n[Session]\nPatched_3D = true\nNever_Ran = true\n"},
      {"[Sound]\n", "[Sound]\n"},
  };
  for (const Case& c : cases) {
    WriteFile("conf/skytapper.cfg", c.before);
    SetSessionKey("Patched_3D", "Patched_3D = true");
    EXPECT_EQ(Settings(), c.after) << c.before;
  }
  // Without a settings file there is nowhere to put the key.
  std::remove("conf/skytapper.cfg");
  EXPECT_FALSE(SetSessionKey("Patched_3D", "Patched_3D = true"));
  EXPECT_EQ(Settings(), "");
}

TEST_F(Migrations, MarkerSizesScaleOnlyTheKeysAKitHas) {
  Installation install("migrations_sizes");
  WriteFile("conf/drumkits/Mine.ini",
            "[Drumkit]\nName = Mine\nIs_Preset = no\n\nDrum0.element = a\nDrum1.element = b\n\n"
            "[Drumkit calibration]\nDrum0.size = 3\nDrum1.size = 2.7819057\nDrum1.foot_size = 5\n");
  PatchCustomDrumSets();
  EXPECT_EQ(ReadFile("conf/drumkits/Mine.ini"),
            "[Drumkit]\nName = Mine\nIs_Preset = no\n\nDrum0.element = a\nDrum1.element = b\n\n"
            "[Drumkit calibration]\nDrum0.size = 2.097\nDrum1.size = 1.94455\nDrum1.foot_size = 3.495\n");
}

// ---- Shin markers -------------------------------------------------------------------------

namespace {

const char kShinKit[] =
    "[Drumkit]\nName = K\n\nDrum0.element = kick\nDrum1.element = hat\nDrum2.element = snare\n"
    "Drum3.element = x\nDrum4.element = x\nDrum5.element = x\nDrum6.element = x\nDrum7.element = x\n"
    "Drum8.element = x\nDrum9.element = x\nDrum10.element = x\nDrum11.element = x\n\n"
    "[Drumkit calibration]\n; pedal_lowest_shin_y: between 190 and 239\n; volume: between 0 and 100\n"
    "Drum0.foot_x = 100\nDrum0.pedal_lowest_foot_y = 220\nDrum0.pedal_lowest_shin_y = 200\n"
    "Drum0.pedal_shin_range = 7\nDrum0.Shin.Sensitivity = 44\nDrum0.Foot.Sensitivity = 30\n"
    "Drum1.foot_x = 200\nDrum1.pedal_lowest_foot_y = 221\nDrum1.Shin.Sensitivity = 55\n"
    "Drum1.Foot.Sensitivity = 31\nDrum1.pedal_foot_range = 5\n"
    "Drum11.Shin.Sensitivity = 9\nDrum11.x = 3\n";

}  // namespace

TEST_F(Migrations, ShinKeysGoAndBecomeFootKeysOnTheShinLegOnly) {
  Installation install("migrations_shin_kit");
  const std::string base = "[Drumkit]\nName = K\n\nDrum0.element = kick\nDrum1.element = hat\n";
  struct Case {
    const char* name;
    std::string kit;
    bool left_uses_foot, right_uses_foot, keep;
    std::string after;  // the calibration lines kept or written
  } cases[] = {
      {"No: only the shin lines go", kShinKit, false, true, false,
       "; volume: between 0 and 100\nDrum0.foot_x = 100\nDrum0.pedal_lowest_foot_y = 220\nDrum0.Foot.Sensitivity = 30\n"
       "Drum1.foot_x = 200\nDrum1.pedal_lowest_foot_y = 221\nDrum1.Foot.Sensitivity = 31\nDrum1.pedal_foot_range = 5\n"
       "Drum11.Shin.Sensitivity = 9\nDrum11.x = 3\n"},
      {"Yes, left leg on a shin", kShinKit, false, true, true,
       "; volume: between 0 and 100\nDrum0.foot_x = 100\nDrum0.pedal_lowest_foot_y = 200.000000\n"
       "Drum0.Foot.Sensitivity = 44\nDrum1.foot_x = 200\nDrum1.pedal_lowest_foot_y = 221\nDrum1.Foot.Sensitivity = 31\n"
       "Drum1.pedal_foot_range = 5\nDrum11.Shin.Sensitivity = 9\nDrum11.x = 3\n"},
      {"Yes, right leg: only the keys drum 1 has", kShinKit, true, false, true,
       "; volume: between 0 and 100\nDrum0.foot_x = 100\nDrum0.pedal_lowest_foot_y = 220\nDrum0.Foot.Sensitivity = 30\n"
       "Drum1.foot_x = 200\nDrum1.pedal_lowest_foot_y = 221\nDrum1.Foot.Sensitivity = 55\nDrum1.pedal_foot_range = 5\n"
       "Drum11.Shin.Sensitivity = 9\nDrum11.x = 3\n"},
      {"Equal foot_x right of the middle: both right",
       base + "\n[Drumkit calibration]\nDrum0.foot_x = 170\nDrum0.Shin.Sensitivity = 1\nDrum0.Foot.Sensitivity = 2\n"
              "Drum1.foot_x = 170\nDrum1.Shin.Sensitivity = 3\nDrum1.Foot.Sensitivity = 4\n",
       true, false, true, "Drum0.foot_x = 170\nDrum0.Foot.Sensitivity = 1\nDrum1.foot_x = 170\nDrum1.Foot.Sensitivity = 3\n"},
  };
  for (const Case& c : cases) {
    WriteFile("conf/drumkits/K.ini", c.kit);
    EXPECT_TRUE(PatchDrumkitShinsForBatch2("conf/drumkits/K.ini", c.left_uses_foot, c.right_uses_foot, c.keep));
    std::string kit = ReadFile("conf/drumkits/K.ini");
    EXPECT_EQ(kit.substr(kit.find("[Drumkit calibration]\n") + 22), c.after) << c.name;
  }
  WriteFile("conf/drumkits/Plain.ini", "[Drumkit]\r\nDrum0.element = a\r\n[Drumkit calibration]\r\nDrum0.x = 1");
  EXPECT_TRUE(PatchDrumkitShinsForBatch2("conf/drumkits/Plain.ini", false, false, true));
  EXPECT_EQ(ReadFile("conf/drumkits/Plain.ini"), "[Drumkit]\r\nDrum0.element = a\r\n[Drumkit calibration]\r\nDrum0.x = 1");
  // A kit file gone since the folder was listed is reported, not written.
  testing::internal::CaptureStdout();
  EXPECT_FALSE(PatchDrumkitShinsForBatch2("conf/drumkits/Gone.ini", false, true, true));
  EXPECT_NE(testing::internal::GetCapturedStdout().find("\"conf/drumkits/Gone.ini\""), std::string::npos);
  EXPECT_EQ(ReadFile("conf/drumkits/Gone.ini"), "");
}

TEST_F(Migrations, ShinSettingsMigrateOnceAndAskOnlyForAShinLeg) {
  Installation install("migrations_shin_settings");
  const std::string untouched = "[Session]\nLeft_Leg_Uses_Foot_marker = false\n[Drummer]\nSpeed_Threshold_Foot_Play = 15\n";
  WriteFile("conf/skytapper.cfg", untouched);
  WriteFile("conf/drumkits/K.ini", kShinKit);
  PatchShinsForBatch2();
  EXPECT_EQ(Settings(), untouched);
  EXPECT_EQ(ReadFile("conf/drumkits/K.ini"), kShinKit);
  EXPECT_EQ(Boxes(), "");

  // Yes (0) keeps the shin leg's sensitivity as its foot's: drum 0 is the left pedal, drum 1 the right.
  const struct {
    const char* legs;
    int answer;
    const char* kept;
  } cases[] = {{"Left_Leg_Uses_Foot_marker = false\nRight_Leg_Uses_Foot_marker = true\n", 0, "Drum0.Foot.Sensitivity = 44"},
               {"Left_Leg_Uses_Foot_marker = false\nRight_Leg_Uses_Foot_marker = true\n", 1, "Drum0.Foot.Sensitivity = 44"},
               {"Right_Leg_Uses_Foot_marker = false\n", 0, "Drum1.Foot.Sensitivity = 55"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.legs << c.answer);
    boxes_.clear();
    Answer(c.answer);
    WriteFile("conf/skytapper.cfg", std::string("[Session]\n") + c.legs +
                                        "[Drummer]\nSpeed_Threshold_Shin_Play = 3\nSpeed_Threshold_Shin_Place = 4\n"
                                        "Speed_Threshold_Foot_Play = 15\nSpeed_Threshold_Foot_Place = 9\n");
    WriteFile("conf/drumkits/K.ini", kShinKit);
    PatchShinsForBatch2();
    EXPECT_EQ(Settings(), "[Session]\n[Drummer]\nSpeed_Threshold_Foot_Play = 18.000000\nSpeed_Threshold_Foot_Place = 40.000000\n");
    EXPECT_EQ(Count(Boxes(), "Use shin-specific pedal ranges and sensititivies?"), 1);
    EXPECT_EQ(Count(ReadFile("conf/drumkits/K.ini"), c.kept), c.answer == 0 ? 1 : 0);
  }
  // Legs that were never set used their foot markers: no shin to keep, nothing to ask.
  boxes_.clear();
  WriteFile("conf/skytapper.cfg", "[Drummer]\nSpeed_Threshold_Shin_Play = 3\n");
  PatchShinsForBatch2();
  EXPECT_EQ(Boxes(), "");
}
