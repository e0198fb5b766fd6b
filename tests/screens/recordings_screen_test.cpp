// The recordings screen over a performance made by the recorder: whole and split WAV export
// through a scripted save dialog, its progress part-way as kept, Cancel and Esc putting panning
// and reverb back, a failed write stopping either export, renames that would replace another
// recording, a typed name kept by its own recording when another is clicked, load failures told
// plainly and rename and delete failures as warnings, and the duration texts of the details
// panel.
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "render/widget_drawing.h"
#include "screens/recordings_screen.h"
#include "sound/logger.h"
#include "tests/screens/screen_test_support.h"
#include "tests/support/kept_pictures.h"
#include "tests/sound/record_test_util.h"

namespace {

using skyt_test::Fakes;

class RecordingsScreen : public skyt_test::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    std::filesystem::create_directories("recordings");
    sound.SetMasterVolume(40);
    sound.SetDrumsVolume(100);
    sound.SetSongVolume(50);
    sound.panning_enabled = true;
    sound.audio.SetReverbAmount(0.4f);
    AnswerFileSelections(wav_path);
  }
  void TearDown() override {
    EndWavExport();
    logger.UnloadRecording();
    logger.recordings.clear();
    record_test::UnloadOffline(sound);
    ScreenTest::TearDown();
  }

  // Two snares, a hi-hat by stick and by pedal and a song, over `seconds` of recording.
  void Record(const char* file, int seconds) {
    using record_test::MakeElement;
    const std::string snare = MakeElement("snare", Sound::SNARE, Sound::CATEGORY_HAND, 40);
    const std::string snare2 = MakeElement("snare2", Sound::SNARE, Sound::CATEGORY_HAND, 60);
    const std::string hihat = MakeElement("hihat", Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT, 20);
    const std::vector<int> slots = record_test::LoadElementsOffline(sound, {snare, snare2, hihat});
    ASSERT_FALSE(HasFailure());
    const int s1 = slots[0], s2 = slots[1], h = slots[2];
    ASSERT_TRUE(record_test::LoadTestSong(sound, "1"));
    using record_test::Hit;
    record_test::OfflineSession live{sound, 1000000000000ull, 0, {}};
    ASSERT_NO_FATAL_FAILURE(record_test::RecordTake(
        live, std::string("recordings/") + file, "Kit",
        {{0, [](Sound& s) { s.PlaySong(0.0f, false); }}, Hit(2000, s1, 0.9f, 0), Hit(4000, s2, 0.9f, 1),
         Hit(6000, h, 0.7f, 2), Hit(44100 * seconds, h, 0.7f, 0, 0.5f)},
        44100 * seconds + 2000));
    for (int slot : slots) sound.UnloadElement(slot);
    sound.UnloadSong();
    sound.audio.EndOffline();
    logger.BuildRecordingList();
  }

  // Recordings a and b, each file holding its own path.
  void TwoRecordingFiles() {
    logger.recordings.assign(2, {});
    for (int i = 0; i < 2; ++i) {
      Logger::Recording& r = logger.recordings[i];
      r.name = r.short_name = i ? "b" : "a";
      r.folder = "recordings/";
      r.path = r.folder + r.name + ".sel";
      skyt_test::WriteFile(r.path, r.path);
    }
  }
  void SelectFirstLine() { ClickAt(100, input->window_height - 81 - 10); }
  void Export(const std::string& path) {
    wav_path = path;
    ASSERT_TRUE(Click(287));
  }
  void FinishExport() {
    for (int i = 0; i < 1000 && exporting_wav; ++i) Frame();
    EXPECT_FALSE(exporting_wav);
    Frame();
  }

  std::string wav_path;
};

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST_F(RecordingsScreen, ExportsOneWavOrOnePerElement) {
  Record("take.sel", 1);
  Enter(kRecordingScreen);
  SelectFirstLine();
  ASSERT_TRUE(Click(kTextPlay));
  ASSERT_TRUE(logger.IsPlaying());
  Export("out.wav");  // the playing stops for the export
  EXPECT_FALSE(logger.IsPlaying());
  FinishExport();
  const std::vector<uint8_t> b = element_test::ReadBytes("out.wav");
  ASSERT_GT(b.size(), 44u);
  EXPECT_EQ(U32(b, 4), b.size() - 8);
  EXPECT_EQ(U32(b, 40), b.size() - 44);

  ASSERT_TRUE(Click(291));  // one wav per element
  Export("split.wav");
  FinishExport();
  for (const char* f : {"split_snare.wav", "split_snare_2.wav", "split_hihat_pedal.wav", "split_hihat.wav", "split_song.wav"})
    EXPECT_TRUE(std::filesystem::exists(f)) << f;
  ASSERT_TRUE(Click(291));
}

// However the export ends early, panning and reverb come back as they were before it.
TEST_F(RecordingsScreen, CancelAndEscPutPanningAndReverbBack) {
  Record("long.sel", 20);
  Enter(kRecordingScreen);
  SelectFirstLine();
  ASSERT_TRUE(Click(289));  // pan to center
  ASSERT_TRUE(Click(290));  // disable reverb
  for (const char* how : {"Cancel", "Esc"}) {
    Export(std::string(how) + ".wav");
    ASSERT_TRUE(exporting_wav) << how;
    Frame();
    EXPECT_FALSE(sound.panning_enabled) << how;
    EXPECT_EQ(sound.audio.GetReverbAmount(), 0.0f) << how;
    if (std::string(how) == "Cancel") {
      // Part-way, as the player sees it.
      for (int i = 0; i < 12; ++i) Frame();
      input->Frame([] { DrawBackground(false), skyt_test::RunScreen(); });
      EXPECT_EQ(skyt_test::DiffersFromKeptPicture(*gl, "screens/recordings--exporting"), "");
      ASSERT_TRUE(Click(8));
    } else {
      EndWavExport();  // what the Esc key does
    }
    EXPECT_FALSE(exporting_wav) << how;
    EXPECT_TRUE(sound.panning_enabled) << how;
    EXPECT_FLOAT_EQ(sound.audio.GetReverbAmount(), 0.4f) << how;
    Frame();
  }
  // A file that cannot be opened puts them back too.
  Export("missing/folder/x.wav");
  EXPECT_FALSE(exporting_wav);
  EXPECT_EQ(Fakes::messages.back(), GetUtf8(428));
  EXPECT_EQ(Fakes::boxes.back(), "info");
  EXPECT_TRUE(sound.panning_enabled);
  EXPECT_FLOAT_EQ(sound.audio.GetReverbAmount(), 0.4f);
  Click(289);
  Click(290);
}

// A file-size limit (with its signal ignored) for as long as it lives: writes past it fail as
// on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    old_signal_ = signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, old_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, old_signal_);
  }

 private:
  rlimit old_{};
  sighandler_t old_signal_ = SIG_DFL;
};

// A write that fails stops either export with the message; the file keeps a valid header for
// what reached it, and no further split file is made.
TEST_F(RecordingsScreen, AFailedWriteStopsTheExportAndSaysSo) {
  Record("long.sel", 20);
  Enter(kRecordingScreen);
  SelectFirstLine();
  const struct { bool split; const char* file; } cases[] = {{false, "full.wav"}, {true, "full_hihat_pedal.wav"}};
  for (const auto& c : cases) {
    if (c.split) {
      ASSERT_TRUE(Click(291));
    }
    {
      const FileSizeLimit limit(256 * 1024);
      Export("full.wav");
      FinishExport();
    }
    ASSERT_FALSE(Fakes::messages.empty()) << c.file;
    EXPECT_EQ(Fakes::messages.back(), GetUtf8(528)) << c.file;
    EXPECT_EQ(Fakes::boxes.back(), "info") << c.file;
    const std::vector<uint8_t> b = element_test::ReadBytes(c.file);
    ASSERT_GT(b.size(), 44u) << c.file;
    EXPECT_LE(b.size(), 256u * 1024) << c.file;
    EXPECT_EQ(U32(b, 4), b.size() - 8) << c.file;
    EXPECT_EQ(U32(b, 40), b.size() - 44) << c.file;
    EXPECT_FALSE(std::filesystem::exists("full_hihat.wav")) << c.file;
    EXPECT_TRUE(sound.panning_enabled) << c.file;
  }
  ASSERT_TRUE(Click(291));
}

TEST_F(RecordingsScreen, RenameNeverReplacesAnotherRecordingAndNeverEmpties) {
  TwoRecordingFiles();
  Enter(kRecordingScreen);
  SelectFirstLine();
  for (const char* name : {"b", ""}) {
    logger.GetRecording(0).name = name;
    ASSERT_TRUE(Click(224));
    EXPECT_EQ(skyt_test::ReadFile("recordings/a.sel"), "recordings/a.sel") << name;
    EXPECT_EQ(skyt_test::ReadFile("recordings/b.sel"), "recordings/b.sel") << name;
    Enter(kRecordingScreen);
    SelectFirstLine();
    EXPECT_EQ(logger.GetRecording(0).name, "a") << name;
  }
  EXPECT_EQ(Fakes::messages.size(), 2u);
}

// With no recording selected there is no name to take: OK leaves without a word.
TEST_F(RecordingsScreen, OkWithNothingSelectedLeavesQuietly) {
  logger = Logger();  // as the program starts: nothing has played yet
  TwoRecordingFiles();
  Enter(kRecordingScreen);
  EXPECT_EQ(Shown(kTextStop), "missing");
  ASSERT_TRUE(Click(kTextOk));
  EXPECT_EQ(interface_state, kMainScreen);
  EXPECT_TRUE(Fakes::messages.empty());
}

// A name typed for one recording goes to its file when another line is clicked.
TEST_F(RecordingsScreen, EditANameThenClickAnotherRecording) {
  TwoRecordingFiles();
  Enter(kRecordingScreen);
  SelectFirstLine();
  const auto box = All(Imgui::TraceKind::EDIT_BOX).at(0);
  ClickAt(box.x + box.w - 10, box.y - 10);
  input->Text("x");
  Frame();
  ClickAt(100, input->window_height - 81 - 30);  // the second line
  Frame();
  EXPECT_EQ(skyt_test::ReadFile("recordings/ax.sel"), "recordings/a.sel");
  EXPECT_EQ(skyt_test::ReadFile("recordings/b.sel"), "recordings/b.sel");
  EXPECT_FALSE(std::filesystem::exists("recordings/a.sel"));
  EXPECT_TRUE(Fakes::messages.empty());
}

// A recording that cannot be loaded (Play, Export) is told plainly; a name that cannot be taken
// or a file that cannot be deleted, as a warning.
TEST_F(RecordingsScreen, LoadFailuresArePlainRenameAndDeleteFailuresWarnings) {
  wav_path = "x.wav";
  const struct { int button; const char* kind; } cases[] = {
      {kTextPlay, "info"}, {kTextExportWav, "info"}, {kTextOk, "warning"}, {kTextDelete, "warning"}};
  for (const auto& c : cases) {
    TwoRecordingFiles();  // files that are no recordings
    Enter(kRecordingScreen);
    SelectFirstLine();
    logger.GetRecording(0).name = "b";
    std::filesystem::remove("recordings/a.sel");
    Fakes::boxes.clear();
    ASSERT_TRUE(Click(c.button)) << c.button;
    EXPECT_EQ(Fakes::boxes, std::vector<std::string>{c.kind}) << c.button;
  }
}

TEST_F(RecordingsScreen, DetailsGiveMinutesOnlyFromSixtySecondsAndTheSingularForOne) {
  const std::pair<float, std::string> cases[] = {
      {59.6f, "Duration: 59 seconds"},          {1.5f, "Duration: 1 second"},
      {60.0f, "Duration: 1 minute 0 seconds"},  {115.0f, "Duration: 1 minute 55 seconds"},
      {61.0f, "Duration: 1 minute 1 second"},   {121.0f, "Duration: 2 minutes 1 second"},
      {3599.9f, "Duration: 59 minutes 59 seconds"}};
  for (const auto& [seconds, text] : cases) {
    logger.recordings.assign(1, {});
    logger.recordings[0].short_name = "take";
    logger.recordings[0].duration = seconds;
    Enter(kRecordingScreen);
    input->MoveTo(100, input->window_height - 81 - 10);
    Frame();
    EXPECT_NE(Find(text), nullptr) << text;
  }
}

}  // namespace
