// The edit box over a string: texts longer than its buffer are shown cut between characters
// and left alone until edited.
#include "screens/screen_common.h"
#include "tests/screens/screen_test_support.h"

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

}  // namespace
