// Edit-box input sequences that once broke the edited text.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/render/imgui_test_support.h"

using namespace skyt_test;

namespace {

constexpr int kBox = 1 << 16;
constexpr int kX = 100, kY = 500, kW = 300, kH = 32;

class EditBoxRegressions : public ImguiTest {
 protected:
  void Box() {
    Frame([&] { gui.DoEditBox(kBox, kX, kY, kW, kH, text, 64, false); });
  }
  char text[64 * 4] = "abc";
};

// The selection anchor of a press was kept while keys shortened the text under the held
// button: the next frame selected past the end and erasing it made the length negative.
TEST_F(EditBoxRegressions, ErasingWhileTheButtonIsHeldKeepsTheSelectionInTheText) {
  input->MoveTo(kX + kW - 5, kY - 10);  // right of the text: the anchor is at its end
  input->Press();
  Box();
  ASSERT_EQ(gui.edited_id, kBox);
  ASSERT_EQ(gui.caret, 3);
  input->Key(127);  // erases the character before the caret
  Box();
  EXPECT_STREQ(text, "ab");
  Box();  // still held
  EXPECT_LE(gui.selection_end, 2);
  EXPECT_LE(gui.selection_start, gui.selection_end);
  input->Text("x");
  Box();
  EXPECT_STREQ(text, "abx");
  input->Release();
  Box();
  EXPECT_STREQ(text, "abx");
}

}  // namespace
