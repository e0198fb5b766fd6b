// The edit box under scripted input: starting and ending editing, limits, refused characters,
// selection editing, the pasteboard, caret keys with repeat, composition and buffer bounds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "render/font.h"
#include "render/imgui.h"
#include "tests/render/imgui_test_support.h"
#include "tests/support/kept_pictures.h"

using namespace skyt_test;

namespace {

constexpr int kBox = 1 << 16, kOther = 2 << 16;
constexpr int kX = 100, kY = 500, kW = 300, kH = 32;

class EditBoxTest : public ImguiTest {
 protected:
  // One frame with the box; returns whether the text changed.
  bool Box(bool file_name = false) {
    bool changed = false;
    Frame([&] {
      changed = gui.DoEditBox(kBox, kX, kY, kW, kH, text, max_chars, file_name);
      refused = gui.refused_char;
    });
    return changed;
  }
  // Makes the box the edited one with the caret at `at` and no selection.
  void StartEditing(int at) {
    input->Key('z');  // the first key only starts editing
    Box();
    ASSERT_EQ(gui.edited_id, kBox);
    gui.caret = at;
    gui.selection_start = gui.selection_end = 0;
  }
  void Type(const std::string& s, bool file_name = false) {
    input->Text(s);
    Box(file_name);
  }
  void Press(int glut_key) {
    input->Hold(glut_key);
    Box();
    input->Let(glut_key);
  }

  char text[64 * 4] = "";
  int max_chars = 64;
  bool refused = false;
};

class RussianEditBoxTest : public EditBoxTest {
 protected:
  const unsigned short* FontRanges() const override {
    static const unsigned short ranges[] = {0x0020, 0x00FF, 0x0400, 0x044F, 0};
    return ranges;
  }
};

}  // namespace

TEST_F(EditBoxTest, FirstKeyStartsEditingAndEnterEndsIt) {
  strcpy(text, "ab");
  Box();
  EXPECT_EQ(gui.focus_id, kBox);
  EXPECT_EQ(gui.edited_id, -1);
  input->Text("x");
  EXPECT_FALSE(Box());
  EXPECT_STREQ(text, "ab");
  EXPECT_EQ(gui.edited_id, kBox);
  input->Text("x");
  EXPECT_TRUE(Box());
  EXPECT_STREQ(text, "xab");
  EXPECT_EQ(gui.caret, 1);
  input->Key(13);
  Box();
  EXPECT_EQ(gui.edited_id, -1);
  EXPECT_EQ(gui.focus_id, kBox);
  EXPECT_EQ(gui.caret, 0);
  input->Text("y");
  EXPECT_FALSE(Box());
  EXPECT_STREQ(text, "xab");
}

TEST_F(EditBoxTest, LimitsOnCharacters) {
  strcpy(text, "ab");
  max_chars = 2;
  StartEditing(2);
  Type("c");
  EXPECT_STREQ(text, "ab");
  strcpy(text, "a");
  gui.caret = 1;
  Type("cd");
  EXPECT_STREQ(text, "ac");
  // Pasting stops at the limit too.
  strcpy(text, "");
  gui.caret = 0;
  input->clipboard = "wxyz";
  input->Key(22);
  EXPECT_TRUE(Box());
  EXPECT_STREQ(text, "wx");
}

TEST_F(EditBoxTest, FileNameModeRefusesCharacters) {
  strcpy(text, "kit");
  StartEditing(3);
  Type("/", true);
  EXPECT_STREQ(text, "kit");
  EXPECT_TRUE(refused);
  Type("?", true);
  EXPECT_TRUE(refused);
  Type("s", true);
  EXPECT_FALSE(refused);
  EXPECT_STREQ(text, "kits");
  input->clipboard = "a/b";
  input->Key(22);
  Box(true);
  EXPECT_STREQ(text, "kitsa_b");
  EXPECT_TRUE(refused);
  // Outside file-name mode the same characters go in.
  Type("/?");
  EXPECT_STREQ(text, "kitsa_b/?");
}

TEST_F(RussianEditBoxTest, CyrillicLetterSharingTheLowByteOfAQuestionMarkIsAccepted) {
  StartEditing(0);
  Type("\xd0\xbf", true);  // U+043F
  EXPECT_FALSE(refused);
  EXPECT_STREQ(text, "\xd0\xbf");
}

TEST_F(EditBoxTest, SelectionIsReplacedRemovedCopiedAndCut) {
  auto select_bc = [&] {
    strcpy(text, "abcd");
    gui.caret = 3;
    gui.selection_start = 1;
    gui.selection_end = 3;
  };
  StartEditing(0);
  select_bc();
  Type("x");
  EXPECT_STREQ(text, "axd");
  EXPECT_EQ(gui.caret, 2);
  select_bc();
  input->Key(127);
  Box();
  EXPECT_STREQ(text, "ad");
  select_bc();
  input->Key(3);
  EXPECT_FALSE(Box());
  EXPECT_STREQ(text, "abcd");
  EXPECT_EQ(input->clipboard, "bc");
  select_bc();
  input->clipboard.clear();
  input->Key(24);
  EXPECT_TRUE(Box());
  EXPECT_STREQ(text, "ad");
  EXPECT_EQ(input->clipboard, "bc");
  // Delete forwards (8) removes the character at the caret.
  gui.caret = 0;
  input->Key(8);
  Box();
  EXPECT_STREQ(text, "d");
}

TEST_F(EditBoxTest, SelectingWithShiftAndCaretKeys) {
  strcpy(text, "abcd");
  StartEditing(1);
  input->Modifiers(1);
  Press(GLUT_RIGHT);
  Press(GLUT_RIGHT);
  EXPECT_EQ(gui.selection_start, 1);
  EXPECT_EQ(gui.selection_end, 3);
  Press(GLUT_END);
  EXPECT_EQ(gui.selection_start, 3);
  EXPECT_EQ(gui.selection_end, 4);
  gui.caret = 2;
  gui.selection_start = 2;
  gui.selection_end = 4;
  Press(GLUT_HOME);
  EXPECT_EQ(gui.selection_start, 0);
  EXPECT_EQ(gui.selection_end, 2);
  EXPECT_EQ(gui.caret, 0);
  // Left without Shift clears the selection and keeps the caret.
  input->Modifiers(0);
  gui.caret = 3;
  gui.selection_start = 1;
  gui.selection_end = 3;
  Press(GLUT_LEFT);
  EXPECT_EQ(gui.caret, 3);
  EXPECT_EQ(gui.selection_start, gui.selection_end);
  EXPECT_STREQ(text, "abcd");
  // Right at the end of the text leaves the caret there.
  gui.caret = 4;
  Press(GLUT_RIGHT);
  EXPECT_EQ(gui.caret, 4);
}

TEST_F(EditBoxTest, HeldLeftRepeatsAfter400ThenEvery50Milliseconds) {
  strcpy(text, "abcdefghij");
  StartEditing(10);
  input->frame_ms = 10;
  input->Hold(GLUT_LEFT);
  Box();
  EXPECT_EQ(gui.caret, 9);
  while (input->now < 1000 + 16 + 395) Box();
  const int before = gui.caret;
  EXPECT_EQ(before, 9);
  input->Frames(10, [&] { gui.DoEditBox(kBox, kX, kY, kW, kH, text, max_chars, false); });
  Box();
  EXPECT_EQ(gui.caret, 8);
  for (int i = 0; i < 10; ++i) Box();  // 100 ms: two more steps
  EXPECT_EQ(gui.caret, 6);
  input->Let(GLUT_LEFT);
  // Released and pressed again: acts at once.
  input->Hold(GLUT_LEFT);
  Box();
  EXPECT_EQ(gui.caret, 5);
  // The caret shows while the key is held, as the kept picture has it.
  EXPECT_EQ(skyt_test::DiffersFromKeptPicture(*gl, "widgets/edit-box-caret-held"), "");
  input->Let(GLUT_LEFT);
}

// The caret shows in its blink's on phase, and in the off phase while a caret key is held that
// can move it (in a box of blanks the caret is the one tall dark line).
TEST_F(EditBoxTest, CaretShowsWhenOnOrWhileAKeyCanMoveIt) {
  strcpy(text, "   ");
  StartEditing(0);
  const struct { bool on; int key; int at; bool shown; } cases[] = {
      {true, 0, 1, true},           {false, 0, 1, false},          {false, GLUT_LEFT, 1, true},
      {false, GLUT_LEFT, 0, false}, {false, GLUT_RIGHT, 2, true},  {false, GLUT_RIGHT, 3, false},
  };
  for (const auto& c : cases) {
    gui.caret = c.at;
    gui.caret_visible = c.on;
    gui.caret_blink_due = input->now + 10000;
    if (c.key) input->Hold(c.key);
    gl->Clear(0, 0, 0, 1);
    Box();
    if (c.key) input->Let(c.key);
    const int dark = gl->CountDiffering(kX + 3, kY - kH + 3, kX + kW - 3, kY - 3, {245, 244, 242, 255}, 100);
    EXPECT_EQ(dark > 10, c.shown) << c.on << " " << c.key << " " << c.at << ": " << dark;
  }
}

TEST_F(EditBoxTest, MouseSetsTheCaretAtTheNearestBoundaryAndDragSelects) {
  strcpy(text, "WWWW");
  Box();
  const float X = 1.5f * font->GetWidth("X");
  const float ww = font->GetWidthW(static_cast<unsigned short>('W'));
  const int start = kX + static_cast<int>(X / 2);
  // A press just right of the middle of the second W lands after it.
  input->MoveTo(start + static_cast<int>(ww * 1.5f) + 2, kY - 10);
  input->Press();
  Box();
  EXPECT_EQ(gui.edited_id, kBox);
  EXPECT_EQ(gui.caret, 2);
  input->MoveTo(kX + 1, kY - 10);
  Box();
  EXPECT_EQ(gui.caret, 0);
  EXPECT_EQ(gui.selection_start, 0);
  EXPECT_EQ(gui.selection_end, 2);
  input->MoveTo(kX + kW + 50, kY - 10);
  Box();
  EXPECT_EQ(gui.caret, 4);
  EXPECT_EQ(gui.selection_start, 2);
  EXPECT_EQ(gui.selection_end, 4);
  input->Release();
  Box();
}

TEST_F(EditBoxTest, FocusLeavingEndsEditingAndCancelsComposition) {
  strcpy(text, "abc");
  bool other = false;
  auto two = [&] {
    gui.DoEditBox(kBox, kX, kY, kW, kH, text, max_chars, false);
    other = gui.DoButton(kOther, kX, kY - 100, 140, 32, "Other");
  };
  input->Key('q');
  Frame(two);
  ASSERT_EQ(gui.edited_id, kBox);
  input->Compose("ka");
  input->Key(9);  // held back while composing
  Frame(two);
  EXPECT_EQ(gui.focus_id, kBox);
  input->Click(kX + 10, kY - 110, two);
  EXPECT_TRUE(other);
  EXPECT_EQ(gui.focus_id, kOther);
  EXPECT_EQ(gui.edited_id, -1);
  EXPECT_TRUE(gui.marked_text.empty());
  EXPECT_GE(input->unmark_calls, 1);
  // A press in the box gives it the focus, and a release over it takes the focus back from a Tab
  // typed while the button was held; a press elsewhere released over the box does not.
  const struct { int press_y, release_y; bool tab; int focus; } drags[] = {
      {kY - 110, kY - 10, false, kOther}, {kY - 10, kY - 110, false, kBox}, {kY - 10, kY - 10, true, kBox}};
  for (const auto& d : drags) {
    gui.focus_id = kOther;
    input->MoveTo(kX + 10, d.press_y);
    input->Press();
    Frame(two);
    if (d.tab) {
      input->Key(9);
      Frame(two);
      ASSERT_EQ(gui.focus_id, kOther);
    }
    input->MoveTo(kX + 10, d.release_y);
    Frame(two);
    input->Release();
    Frame(two);
    EXPECT_EQ(gui.focus_id, d.focus) << d.press_y << " " << d.release_y;
  }
}

// A text too wide for the box, neither hovered nor edited, shows its start up to near the
// right end, cut there with dots.
TEST_F(EditBoxTest, TooWideTextShowsItsStartCut) {
  strcpy(text, "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz");
  input->MoveTo(10, 10);
  Box();
  EXPECT_EQ(gui.edited_id, -1);
  const int area = 40 * 16;  // the right part of the text line, before the dots
  EXPECT_LT(gl->CountDiffering(kX + kW - 90, kY - 24, kX + kW - 50, kY - 8, {0, 0, 0, 255}, 100), area);
}

TEST_F(EditBoxTest, CompositionWidensTheBox) {
  strcpy(text, "abcdefghijklmnopqrstu");
  StartEditing(3);
  gl->Clear(0, 0, 0, 1);
  input->Compose("WWWWWWWWWWWWWWWWWWWW");
  Box();
  EXPECT_GT(gl->CountDiffering(kX + kW + 5, kY - 20, kX + kW + 10, kY - 12, {0, 0, 0, 255}), 0);
}

TEST_F(EditBoxTest, SmallBuffersAndHugeLimitsAreNeverOverrun) {
  char small[8] = "";
  Frame([&] { gui.DoEditBox(kBox, kX, kY, kW, kH, small, 100, false); });
  input->Key('z');
  Frame([&] { gui.DoEditBox(kBox, kX, kY, kW, kH, small, 100, false); });
  input->Text("abcdefghijklmnop");
  Frame([&] { gui.DoEditBox(kBox, kX, kY, kW, kH, small, 100, false); });
  EXPECT_STREQ(small, "abcdefg");
  // Multi-byte characters stop where the next one no longer fits.
  small[0] = 0;
  gui.caret = 0;
  input->Text("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9");  // four e-acute, 8 bytes
  Frame([&] { gui.DoEditBox(kBox, kX, kY, kW, kH, small, 100, false); });
  EXPECT_STREQ(small, "\xc3\xa9\xc3\xa9\xc3\xa9");

  // A limit beyond the working copy is held to 1023 units.
  static char big[4096 * 4];
  std::string long_text(1500, 'a');
  input->clipboard = long_text;
  gui.focus_id = kOther;
  Frame(nullptr);
  gui.focus_id = kBox;
  input->Key('z');
  Frame([&] { gui.DoEditBox(kBox, kX, kY, kW, kH, big, 4096, false); });
  input->Key(22);
  Frame([&] { gui.DoEditBox(kBox, kX, kY, kW, kH, big, 4096, false); });
  EXPECT_EQ(strlen(big), 1023u);
}

TEST_F(EditBoxTest, ShiftInsertPastesWithRepeat) {
  StartEditing(0);
  input->clipboard = "ab";
  input->Modifiers(1);
  input->Hold(GLUT_INSERT);
  Box();
  EXPECT_STREQ(text, "ab");
  Box();
  EXPECT_STREQ(text, "ab") << "the next paste waits 400 ms";
  input->now += 400;
  Box();
  EXPECT_STREQ(text, "abab");
  input->Let(GLUT_INSERT);
  input->Modifiers(0);
}
