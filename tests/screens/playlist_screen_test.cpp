// The playlist screen: songs added through a scripted file dialog, the preview enabled once
// more than two seconds are decoded, moves at the ends, paths with line breaks refused, a song
// that cannot be loaded told, and Ok writing (or, for an empty list, deleting) the playlist file.
#include <algorithm>
#include <filesystem>

#include "frame/platform/platform.h"
#include "sound/logger.h"
#include "tests/screens/screen_test_support.h"
#include "tests/sound/audio_test_util.h"

namespace {

using skyt_test::Fakes;

class PlaylistScreen : public skyt_test::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    std::filesystem::create_directories("conf");
    drummer.playlist.clear();
    AnswerFileSelections(chosen);
  }
  void TearDown() override {
    sound.StopSong(true);
    sound.UnloadSong();
    drummer.playlist.clear();
    ScreenTest::TearDown();
  }
  void Add(const std::string& path) {
    chosen = path;
    ASSERT_TRUE(Click(371));
  }
  void Select(int line) { ClickAt(100, input->window_height - 81 - 10 - 30 * line); }
  std::vector<std::string> Paths() const {
    std::vector<std::string> out;
    for (const auto& s : drummer.playlist) out.push_back(s.path);
    return out;
  }
  std::string chosen;
};

TEST_F(PlaylistScreen, AddPreviewMoveAndOkWritePathsInOrder) {
  const std::string dir = std::filesystem::current_path().string();
  ASSERT_TRUE(audio_test::Shell("sox -n -r 44100 -c 2 long.ogg synth 3 sine 300 vol 0.3"));
  ASSERT_TRUE(audio_test::Shell("sox -n -r 44100 -c 2 short.ogg synth 1 sine 300 vol 0.3"));
  Enter(kPlaylistScreen);
  Add(dir + "/long.ogg");
  Add(dir + "/short.ogg");
  Add(dir + "/odd\nname.ogg");
  EXPECT_EQ(Fakes::messages, std::vector<std::string>{GetUtf8(527)});
  EXPECT_EQ(Fakes::boxes, std::vector<std::string>{"warning"});
  ASSERT_EQ(Paths(), (std::vector<std::string>{dir + "/long.ogg", dir + "/short.ogg"}));
  EXPECT_EQ(drummer.playlist[0].name, "long.ogg");

  Select(0);
  sound.audio.WaitForLoadOggAsync(true);
  Frame();
  EXPECT_EQ(Shown(166), "active");
  // Play: the song sounds.
  sound.audio.BeginOffline(256);
  const int volume = sound.song_volume.exchange(100);
  ASSERT_TRUE(Click(166));
  EXPECT_GE(audio_test::FirstLoudFrame(audio_test::Render(sound.audio, 1024)), 0);
  sound.StopSong(true);
  sound.song_volume = volume;
  sound.audio.EndOffline();
  Select(1);
  sound.audio.WaitForLoadOggAsync(true);
  Frame();
  EXPECT_EQ(Shown(166), "greyed");

  // Down at the end and up at the top do nothing; up from the end swaps.
  for (int move : {370, 369, 369}) ASSERT_TRUE(Click(move));
  EXPECT_EQ(drummer.playlist[0].name, "short.ogg");
  EXPECT_EQ(drummer.playlist[1].name, "long.ogg");
  // The selection goes with the song moved: down from the top, down again at the end (nothing)
  // and up bring the list back.
  for (int move : {370, 370, 369}) ASSERT_TRUE(Click(move));
  EXPECT_EQ(drummer.playlist[0].name, "short.ogg");
  EXPECT_EQ(drummer.playlist[1].name, "long.ogg");
  // The song under the pointer shows its path beside it.
  input->MoveTo(100, input->window_height - 81 - 10 - 30);
  Frame();
  EXPECT_TRUE(std::any_of(imgui.trace.begin(), imgui.trace.end(), [](const Imgui::TraceItem& t) {
    return t.label.find('/') != std::string::npos && t.label.ends_with("long.ogg");
  }));
  // A long path is shortened to 59 characters.
  for (const auto& t : imgui.trace) {
    if (t.label.find('/') != std::string::npos) {
      EXPECT_EQ(t.label.size(), std::min<size_t>(59, (dir + "/long.ogg").size())) << t.label;
    }
  }

  ASSERT_TRUE(Click(224));
  EXPECT_EQ(interface_state, kMainScreen);
  EXPECT_EQ(skyt_test::ReadFile("conf/playlist.txt"), dir + "/short.ogg\n" + dir + "/long.ogg\n");
}

TEST_F(PlaylistScreen, RemovingEverySongAndOkDeletesThePlaylistFile) {
  skyt_test::WriteFile("conf/playlist.txt", "a.ogg\nb.ogg\n");
  drummer.playlist = {{"a.ogg", "a.ogg"}, {"b.ogg", "b.ogg"}};
  Enter(kPlaylistScreen);
  Select(1);
  // A song that cannot be loaded says so and stays listed and selected.
  EXPECT_EQ(Fakes::messages, std::vector<std::string>{platform::EscapeMarkup(GetUtf8(kTextFailedLoadSongMake))});
  EXPECT_EQ(Fakes::boxes, std::vector<std::string>{"warning"});
  EXPECT_EQ(interface_state, kPlaylistScreen);
  ASSERT_TRUE(Click(375));
  EXPECT_EQ(Find("b.ogg"), nullptr);
  ASSERT_TRUE(Click(375));  // the selection moved onto the last song left
  EXPECT_TRUE(drummer.playlist.empty());
  ASSERT_TRUE(Click(224));
  EXPECT_FALSE(std::filesystem::exists("conf/playlist.txt"));
}

// The song under the pointer shows its path where the recordings list shows a recording's:
// the same place beside the pointer.
TEST_F(PlaylistScreen, ThePathNoteStandsWhereTheRecordingsNoteDoes) {
  drummer.playlist = {{"a", "/music/a.ogg"}};
  logger.recordings.assign(1, {});
  logger.recordings[0].short_name = "take";
  logger.recordings[0].path = "/music/take.rec";
  const int x = 100, y = input->window_height - 81 - 10;
  auto path_note = [&](int state) {
    Enter(state);
    input->MoveTo(x, y);
    Frame();
    for (const auto& t : imgui.trace)
      if (t.label.find("/music/") != std::string::npos) return std::pair{t.x - x, t.y - y};
    return std::pair{-1000, -1000};
  };
  const auto playlist = path_note(kPlaylistScreen);
  EXPECT_NE(playlist.first, -1000);
  EXPECT_EQ(playlist, path_note(kRecordingScreen));
  logger.recordings.clear();
}

}  // namespace
