// The edit box over a string: texts longer than its buffer are shown cut between characters
// and left alone until edited; a refused key sounds the error sound.
#include "screens/screen_common.h"
#include "sound/sound.h"
#include "tests/screens/screen_test_support.h"
#include "tests/sound/audio_test_util.h"
#include "tests/support/wav_image.h"

namespace {

class EditBoxString : public skyt_test::ScreenTest {};

TEST_F(EditBoxString, LongTextsNeitherOverflowNorChangeUntilEdited) {
  const std::string e = "\xC3\xA9";
  struct Case { std::string text; size_t shown_bytes; };
  const Case cases[] = {
      {"short", 5},
      {std::string(5000, 'a'), 4095},
      {std::string(4094, 'a') + e + "b", 4094},
      {std::string(5000, '\x80'), 0},  // no character starts anywhere: nothing is shown
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    input->Frame([&] { DoEditBoxString(7, 10, 100, 300, 30, text, 8000, false); });
    EXPECT_EQ(text, c.text);
    ASSERT_EQ(imgui.trace.size(), 1u);
    EXPECT_EQ(imgui.trace[0].label.size(), c.shown_bytes);
  }
  std::string text = "ab";
  input->Click(20, 85, [&] { DoEditBoxString(7, 10, 100, 300, 30, text, 8000, false); });
  input->Key('c');
  input->Frame([&] { DoEditBoxString(7, 10, 100, 300, 30, text, 8000, false); });
  EXPECT_EQ(text.size(), 3u);
  EXPECT_NE(text.find('c'), std::string::npos);
}

// A refused key sounds the error sound, dry: with the reverb full up nothing of it is left once
// it has ended. A key taken sounds nothing.
TEST_F(EditBoxString, ARefusedKeySoundsTheErrorSoundDry) {
  const std::vector<uint8_t> tone = skyt_test::WavImage(1, 44100, 16, std::vector<uint8_t>(882, 0x40));
  ASSERT_TRUE(sound.audio.LoadWavFromMemory(sound.editbox_error_sound, tone.data(), static_cast<int>(tone.size()), 1));
  sound.audio.BeginOffline(441);
  sound.audio.SetReverbAmount(1.0f);
  const std::pair<int, bool> keys[] = {{'c', false}, {'/', true}};
  for (const auto& [key, sounds] : keys) {
    std::string text = "ab";
    auto box = [&] {
      DoEditBoxString(7, 10, 100, 300, 30, text, 8000, true);
      PlayRefusedKeySound();
    };
    input->Click(20, 85, box);
    input->Key(key);
    input->Frame(box);
    EXPECT_EQ(audio_test::FirstLoudFrame(audio_test::Render(sound.audio, 441)) != -1, sounds) << char(key);
    EXPECT_EQ(audio_test::FirstLoudFrame(audio_test::Render(sound.audio, 4410)), -1) << char(key);
  }
  sound.audio.EndOffline();
  sound.audio.FreeSound(sound.editbox_error_sound);
}

}  // namespace
