// The recordings list: building it from the folder, names, delete and rename rules, loading,
// and starting and stopping a recording.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "sound/logger.h"
#include "sound/sound.h"
#include "tests/sound/element_test_util.h"
#include "tests/support/test_dirs.h"

namespace {

// A valid recording without elements or events.
void WriteRecording(const std::string& path, const std::string& description) {
  std::vector<uint8_t> b = {'S', 'E', 'L', '1'};
  element_test::PutU32(b, 0);
  element_test::PutF32(b, 61.5f);
  element_test::PutU32(b, 0xFFFFFFFFu);
  element_test::PutU32(b, 4);
  for (char c : std::string("date")) b.push_back(static_cast<uint8_t>(c));
  element_test::PutU32(b, static_cast<uint32_t>(description.size()));
  for (char c : description) b.push_back(static_cast<uint8_t>(c));
  element_test::PutF32(b, 0.0f);
  element_test::PutU32(b, 0);
  element_test::WriteBytes(path, b);
}

class Recordings : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = skyt_test::FreshDir("logger");
    cd = std::make_unique<skyt_test::ScopedChdir>(dir);
    testing::internal::CaptureStdout();
  }
  void TearDown() override {
    testing::internal::GetCapturedStdout();
    logger.UnloadRecording();
    logger.recordings.clear();
    cd.reset();
  }
  std::string dir;
  std::unique_ptr<skyt_test::ScopedChdir> cd;
};

TEST_F(Recordings, ListFromTheFolder) {
  logger.Init();
  EXPECT_EQ(logger.GetNumRecordings(), 0);  // no folder at all
  std::filesystem::create_directories("recordings");
  logger.BuildRecordingList();
  EXPECT_EQ(logger.GetNumRecordings(), 0);

  WriteRecording("recordings/b.take.sel", "Rock kit");
  const std::string long_name(70, 'x');
  WriteRecording("recordings/" + long_name + ".sel", "");
  std::ofstream("recordings/broken.sel") << "SEL9 nothing";
  std::ofstream("recordings/notes.txt") << "not a recording";
  logger.BuildRecordingList();
  ASSERT_EQ(logger.GetNumRecordings(), 2);
  const Logger::Recording& r = logger.GetRecording(0);
  EXPECT_EQ(r.name, "b.take");
  EXPECT_EQ(r.short_name, "b.take");
  EXPECT_EQ(r.description, "Rock kit");
  EXPECT_EQ(r.date, "date");
  EXPECT_FLOAT_EQ(r.duration, 61.5f);
  EXPECT_EQ(r.song, "");
  EXPECT_EQ(r.path, "./recordings/b.take.sel");
  EXPECT_EQ(logger.GetRecording(1).short_name, std::string(64, 'x'));
  EXPECT_EQ(logger.GetRecording(1).name, long_name);
  EXPECT_EQ(Logger::AddRecordingExtension("x"), "x.sel");
}

TEST_F(Recordings, DeleteAndRenameRules) {
  std::filesystem::create_directories("recordings");
  for (const char* n : {"a", "b", "c"}) WriteRecording(std::string("recordings/") + n + ".sel", n);
  logger.BuildRecordingList();
  ASSERT_EQ(logger.GetNumRecordings(), 3);
  std::string error;
  for (int none : {-1, 3}) {
    error.clear();
    EXPECT_EQ(logger.DeleteRecording(none, error), -2);
    EXPECT_EQ(error, "No recording is selected.");
    error.clear();
    EXPECT_FALSE(logger.RenameRecordingFile(none, error));
    EXPECT_EQ(error, "No recording is selected.");
  }
  EXPECT_EQ(logger.DeleteRecording(2, error), 1);  // the last of three: select the new last
  EXPECT_FALSE(std::filesystem::exists("recordings/c.sel"));
  EXPECT_EQ(logger.DeleteRecording(0, error), 0);
  EXPECT_EQ(logger.GetRecording(0).name, "b");

  // Renaming to the same name does nothing; to a new one moves the file.
  EXPECT_TRUE(logger.RenameRecordingFile(0, error));
  logger.GetRecording(0).name = "better";
  EXPECT_TRUE(logger.RenameRecordingFile(0, error)) << error;
  EXPECT_TRUE(std::filesystem::exists("recordings/better.sel"));
  EXPECT_FALSE(std::filesystem::exists("recordings/b.sel"));
  EXPECT_EQ(logger.GetRecording(0).path, logger.GetRecording(0).folder + "better.sel");
  // Never onto another recording, never out of the folder, never to an empty name.
  WriteRecording("recordings/other.sel", "keep me");
  for (const char* name : {"other", "../escaped", ""}) {
    logger.GetRecording(0).name = name;
    EXPECT_FALSE(logger.RenameRecordingFile(0, error)) << name;
    EXPECT_EQ(error.rfind("Error renaming recording file", 0), 0u);
  }
  std::string date, song, description;
  float duration;
  ASSERT_TRUE(Sound::GetPerformanceMetaData("recordings/other.sel", date, duration, song, description));
  EXPECT_EQ(description, "keep me");
  EXPECT_TRUE(std::filesystem::exists("recordings/better.sel"));

  // A refused rename leaves the entry on its own file: Delete removes that file, not the other.
  logger.GetRecording(0).name = "other";
  EXPECT_FALSE(logger.RenameRecordingFile(0, error));
  EXPECT_EQ(logger.DeleteRecording(0, error), -1);  // the only one
  EXPECT_FALSE(std::filesystem::exists("recordings/better.sel"));
  EXPECT_TRUE(std::filesystem::exists("recordings/other.sel"));

  // A file removed behind the list's back: the error names it, the list stays.
  logger.BuildRecordingList();
  ASSERT_EQ(logger.GetNumRecordings(), 1);
  std::filesystem::remove("recordings/other.sel");
  EXPECT_EQ(logger.DeleteRecording(0, error), -2);
  EXPECT_EQ(error, "Error deleting recording file" + logger.GetRecording(0).folder + "other.sel.");
  EXPECT_EQ(logger.GetNumRecordings(), 1);
}

TEST_F(Recordings, LoadingAndRecording) {
  std::filesystem::create_directories("recordings");
  WriteRecording("recordings/one.sel", "1");
  WriteRecording("recordings/two.sel", "2");
  logger.BuildRecordingList();
  std::string error;
  ASSERT_TRUE(logger.LoadRecording(0, error));
  EXPECT_EQ(sound.performance_description, "1");
  sound.performance_description = "marker";
  ASSERT_TRUE(logger.LoadRecording(0, error));  // already loaded: nothing reloads
  EXPECT_EQ(sound.performance_description, "marker");
  ASSERT_TRUE(logger.LoadRecording(1, error));
  EXPECT_EQ(sound.performance_description, "2");
  // Past the end of the list: refused, and the loaded recording stays.
  error.clear();
  EXPECT_FALSE(logger.LoadRecording(2, error));
  EXPECT_EQ(error, "Could not load the recording.");
  EXPECT_EQ(sound.performance_description, "2");
  std::ofstream("recordings/two.sel") << "garbage";
  logger.UnloadRecording();
  EXPECT_FALSE(logger.LoadRecording(1, error));
  EXPECT_EQ(error, "Could not load the recording.");
  // The failed load unloaded the one before: selecting that one again loads it again.
  ASSERT_TRUE(logger.LoadRecording(0, error));
  EXPECT_FALSE(logger.LoadRecording(1, error));
  sound.performance_description = "marker";
  ASSERT_TRUE(logger.LoadRecording(0, error));
  EXPECT_EQ(sound.performance_description, "1");

  bool recording = false;
  logger.StartRecording(recording, "Kit name");
  EXPECT_TRUE(recording);
  EXPECT_TRUE(sound.IsRecording());
  logger.StopRecording(recording);
  EXPECT_FALSE(recording);
  EXPECT_FALSE(sound.IsRecording());
  // The new file is in the list, named by the time it started.
  char expected[64];
  strftime(expected, sizeof expected, "%Y_%b_%d_(%a)_%Hh%Mm%Ss", &logger.recording_start_time);
  bool found = false;
  for (int i = 0; i < logger.GetNumRecordings(); ++i)
    if (logger.GetRecording(i).name == expected && logger.GetRecording(i).description == "Kit name") found = true;
  EXPECT_TRUE(found);

  // Playing an empty performance starts and stops cleanly.
  ASSERT_TRUE(logger.LoadRecording(0, error));
  logger.StartPlaying(false);
  EXPECT_TRUE(logger.IsPlaying());
  logger.StopPlaying();
  EXPECT_FALSE(logger.IsPlaying());
  EXPECT_FALSE(sound.IsPerformancePlaying());
}

TEST_F(Recordings, AFailedStartLeavesTheFlagClearAndSaysWhy) {
  std::ofstream("recordings") << "a file where the folder should be";
  bool recording = false;
  logger.StartRecording(recording, "Kit name");
  EXPECT_FALSE(recording);
  EXPECT_FALSE(sound.IsRecording());
  EXPECT_NE(testing::internal::GetCapturedStdout().find("Error: could not start the recording"), std::string::npos);
  testing::internal::CaptureStdout();
}

}  // namespace
