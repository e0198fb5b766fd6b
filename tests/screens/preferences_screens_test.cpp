// Languages: German saved and shown at once, Chinese built from the CJK font, a broken CJK font
// keeps English and saves nothing, the CJK rows greyed without the font; the two options saved.
#include <sys/stat.h>
#include <unistd.h>

#include "drumming/drumming_globals.h"
#include "screens/preferences_screens.h"
#include "tests/screens/screen_test_support.h"

namespace {

using skyt_test::Fakes;

class Languages : public skyt_test::ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    mkdir("data", 0755);
    mkdir("data/fonts", 0755);
    symlink(kFontPath, "data/fonts/Ubuntu-R.ttf");
  }
  void Cjk(const char* target) { symlink(target, "data/fonts/SourceHanSans-Normal.ttf"); }
  // Clicks the language box on the row of code.
  void Choose(int row) {
    const auto boxes = All(Imgui::TraceKind::CHECK_BOX);
    ClickAt(boxes.at(row).x + 12, boxes.at(row).y - 12);
  }
  std::string Settings() const { return skyt_test::ReadFile("conf/skytapper.cfg"); }
};

TEST_F(Languages, GermanIsSavedAndTheNextFrameIsGerman) {
  Enter(kLanguagesScreen);
  const auto boxes = All(Imgui::TraceKind::CHECK_BOX);
  ASSERT_EQ(boxes.size(), 11u);
  EXPECT_EQ(boxes[0].value, 1);
  EXPECT_EQ(boxes[10].y, 720 - 433);
  const Font* before = imgui.font;
  Choose(2);
  EXPECT_EQ(GetLanguageString(), "de");
  EXPECT_NE(Settings().find("Language = de"), std::string::npos);
  EXPECT_NE(imgui.font, before);
  Frame();
  EXPECT_NE(FindText(400), nullptr);
  EXPECT_EQ(FindText(400)->label, "Sprache");
  EXPECT_EQ(All(Imgui::TraceKind::CHECK_BOX)[2].value, 1);
  // The current language again: nothing saved, no new font.
  skyt_test::WriteFile("conf/skytapper.cfg", "[Session]\n");
  const Font* german = imgui.font;
  Choose(2);
  EXPECT_EQ(imgui.font, german);
  EXPECT_EQ(Settings(), "[Session]\n");
}

TEST_F(Languages, ChineseIsBuiltFromTheCjkFontAndABrokenOneKeepsEnglish) {
  skyt_test::WriteFile("data/fonts/broken.ttf", "not a font");
  Cjk("broken.ttf");
  Enter(kLanguagesScreen);
  const Font* english = imgui.font;
  Choose(9);
  EXPECT_EQ(GetLanguageString(), "en");
  EXPECT_EQ(imgui.font, english);
  EXPECT_EQ(Settings().find("Language"), std::string::npos);
  ASSERT_EQ(Fakes::messages.size(), 1u);
  EXPECT_NE(Fakes::messages[0].find("SourceHanSans-Normal.ttf"), std::string::npos);
  EXPECT_EQ(Fakes::boxes, std::vector<std::string>{"warning"});

  unlink("data/fonts/SourceHanSans-Normal.ttf");
  Cjk("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc");
  Frame();
  Choose(9);
  EXPECT_EQ(GetLanguageString(), "zh");
  EXPECT_NE(Settings().find("Language = zh"), std::string::npos);
  EXPECT_GT(imgui.font->GetWidth(GetUtf8(400)), 0.0f);
  Frame();
  EXPECT_EQ(FindText(400)->label, GetUtf8(400));
}

// The switch's result for the callers that check it: false for a font that does not build,
// true once the language has switched.
TEST_F(Languages, SwitchLanguageTellsWhetherItSwitched) {
  skyt_test::WriteFile("data/fonts/broken.ttf", "not a font");
  Cjk("broken.ttf");
  EXPECT_FALSE(SwitchLanguage("zh"));
  EXPECT_EQ(GetLanguageString(), "en");
  EXPECT_TRUE(SwitchLanguage("de"));
  EXPECT_EQ(GetLanguageString(), "de");
}

TEST_F(Languages, CjkRowsAreGreyedWithoutTheFont) {
  Enter(kLanguagesScreen);
  const auto boxes = All(Imgui::TraceKind::CHECK_BOX);
  for (int row : {1, 9, 10}) EXPECT_TRUE(boxes.at(row).greyed) << row;
  for (int row : {0, 2, 8}) EXPECT_FALSE(boxes.at(row).greyed) << row;
  EXPECT_EQ(FindText(463)->y, 720 - 109);
}

TEST_F(Languages, PreferencesSaveBothOptions) {
  use_old_style_menu_button = 0;
  Enter(kPreferencesScreen);
  ASSERT_TRUE(Click(447));
  ASSERT_TRUE(Click(499));
  EXPECT_TRUE(drummer.Use_Camera_Stand);
  const std::string s = Settings();
  EXPECT_NE(s.find("Use_Old_Style_Menu_Button = yes"), std::string::npos);
  EXPECT_NE(s.find("Use_Camera_Stand = yes"), std::string::npos) << s;
  ASSERT_TRUE(Click(std::string(GetUtf8(400)) + "..."));
  EXPECT_EQ(interface_state, kLanguagesScreen);
}

}  // namespace
