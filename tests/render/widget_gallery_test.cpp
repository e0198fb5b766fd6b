// Renders every widget of the screens and of the in-air interface, in the normal and in the
// simplified graphics mode, into PNG files under the build folder's gallery/ for looking at,
// each compared with its kept picture.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/frame_globals.h"
#include "render/airwidget_drawing.h"
#include "render/font.h"
#include "render/imgui.h"
#include "render/ui_style.h"
#include "render/widget_drawing.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/kept_pictures.h"
#include "tests/support/scripted_input.h"
#include "tests/support/test_dirs.h"
#include "render/webcam_window.h"

using namespace skyt_test;

namespace {

std::string GalleryPath(const std::string& name) {
  const std::string dir = BuildDir() + "/gallery";
  std::filesystem::create_directories(dir);
  return dir + "/" + name;
}

void ScreenWidgets(Imgui& gui, ScriptedInput& input, Font& font) {
  static char name[64 * 4] = "My rock kit";
  static bool metronome = true, greyed = false;
  static int volume = 70;
  static Imgui::ListBoxState list;
  static const std::vector<std::string> kits = {"Rock kit", "Jazz kit", "Funk kit", "Metal kit",
                                                "Brush kit", "Latin kit", "Electronic kit"};
  list.selected = 2;
  gui.DoBoldText(40, 700, "Widget gallery (graphics mode %d)", graphics_mode);
  gui.DoText(40, 670, "A plain text line");
  gui.DoTextGreyed(300, 670, "A greyed text line");
  gui.DoButton(1 << 16, 40, 630, 140, 32, "Button");
  gui.DoButton(2 << 16, 200, 630, 140, 32, "Hot button");
  gui.DoButton(3 << 16, 360, 630, 140, 32, "Pressed");
  gui.DoButtonGreyed(520, 630, 140, 32, "Greyed");
  gui.DoButton(4 << 16, 680, 630, 140, 32, "A label much too long for its button");
  gui.DoButtonIconOnly(5 << 16, 840, 630, 80, 50, UI_ICON_HOME);
  gui.DoSlider(6 << 16, 40, 570, 300, 30, volume, 100, 5);
  gui.DoCheckBox(7 << 16, 400, 570, "Metronome", metronome, false);
  gui.DoCheckBox(8 << 16, 560, 570, "English", true, true);
  gui.DoCheckBoxGreyed(720, 570, "Greyed", greyed);
  gui.DoEditBox(9 << 16, 40, 520, 300, 32, name, 64, true);
  gui.DoListBox(10 << 16, (10 << 16) + 1, (10 << 16) + 2, 40, 470, 300, 5, kits, list);
  gui.DoEditBox(11 << 16, 400, 520, 200, 32, name, 64, true);
  (void)input;
  (void)font;
}

void InAirWidgets(const Font& font) {
  static const float curve[21] = {0,    0.05f, 0.1f, 0.16f, 0.22f, 0.3f,  0.38f, 0.46f, 0.54f, 0.6f, 0.66f,
                                  0.72f, 0.77f, 0.82f, 0.86f, 0.9f,  0.93f, 0.95f, 0.97f, 0.99f, 1};
  WebcamVignette(150, 110);
  // As in the in-air menu: every cloud first, then the buttons over them.
  RoundButtonBackgroundDistanceVisibility(100, 620, 50);
  RoundButtonBackgroundDistanceVisibility(230, 620, 50);
  RoundButtonBackgroundDistance(100, 620, 50, true, false, false, true, false, true);
  RoundButtonBackgroundDistance(230, 620, 50, true, true, false, true, false, true);
  RoundButtonBackgroundDistance(360, 620, 50, true, false, true, true, false, true);
  ActivationProgressDistance(360, 620, 50, 0.6f);
  RoundButtonBackgroundDistance(490, 620, 50, false, false, false, true, false, true);
  RoundHalo(620, 620, 60);
  RoundButtonBackgroundDistance(620, 620, 50, true, false, false, true, false, true);
  SliderDistanceVisibility(60, 480, 300, 60);
  SliderHalo(60, 480, 300, 60);
  SliderDistance(60, 480, 300, 60, 0.65f, true, true, true, true, false, true);
  BlinkingArrowSlider(210, 400, 40, 40, 1, false);
  SliderDistance(420, 520, 60, 220, 0.4f, true, false, true, false, false, true);
  BlinkingArrow(540, 400, 40, 40, 3, false);
  RectangleHalo(700, 520, 140, 120);
  TextDistanceVisibility(60, 300, 300, 60);
  glColor4f(0, 0, 0, 1);
  font.Print(80, 260, Font::ALIGN_LEFT, "An in-air message");
  DrawFPSIndicator(5, 180, 55, 40, 0, true, true);
  DrawFPSIndicator(70, 180, 55, 40, 1, true, true);
  DrawVUMeter(150, 200, 20, 150, 0.8f, true, true);
  SliderProgressOnly(200, 100, 300, 40, 0.7f);
  RecordingOverlayBackground(540, 340, 160, 80, true);
  DrawVolumeMixer(560, 230, 250, 150, 80, 100, 30, 55, 1, &font);
  DrawHitSpeedCurve(850, 380, 90, 90, 0.6f, 0.72f, 21, curve, &font);
}

}  // namespace

TEST(WidgetGallery, RendersScreensAndInAirWidgets) {
  GlContext gl;
  WebcamWindowMapping::CenterWebcam(gl.width(), gl.height());
  Font font, bold;
  ASSERT_TRUE(font.Init("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 16, nullptr, 0));
  ASSERT_TRUE(bold.Init("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 16, nullptr, 0));
  Imgui gui;
  ScriptedInput input(gui);
  Imgui::InitParams p = Imgui::InitParams::ProgramLayout(&font, 16);
  p.bold_font = &bold;
  gui.Init(p);
  for (int mode : {0, 1}) {
    graphics_mode = mode;
    // Screens: a hot button, a pressed one, an edit box with a selection being edited.
    gl.Clear(background_color[0], background_color[1], background_color[2], 1);
    auto widgets = [&] { ScreenWidgets(gui, input, font); };
    input.Frame(widgets);
    input.Key('q');
    gui.focus_id = 9 << 16;
    input.Frame(widgets);
    gui.caret = 8;
    gui.selection_start = 3;
    gui.selection_end = 8;
    input.MoveTo(250, 620);
    input.Frames(700, widgets);
    input.MoveTo(700, 620);
    input.Frames(700, widgets);
    gl.Clear(background_color[0], background_color[1], background_color[2], 1);
    input.MoveTo(400, 620);
    input.Press();
    input.Frame(widgets);
    input.Release();
    EXPECT_TRUE(gl.SavePng(GalleryPath("screens_mode" + std::to_string(mode) + ".png")));
    EXPECT_EQ(DiffersFromKeptPicture(gl, "widgets/screens_mode" + std::to_string(mode)), "");
    // In air, over a mid-grey camera picture.
    gl.Clear(0.35f, 0.37f, 0.4f, 1);
    glEnable(GL_BLEND);
    InAirWidgets(font);
    EXPECT_TRUE(gl.SavePng(GalleryPath("inair_mode" + std::to_string(mode) + ".png")));
    EXPECT_EQ(DiffersFromKeptPicture(gl, "widgets/inair_mode" + std::to_string(mode)), "");
  }
  graphics_mode = 0;
  // The Metronome check box under the mouse.
  auto widgets = [&] { ScreenWidgets(gui, input, font); };
  input.MoveTo(410, 560);
  input.Frame(widgets);
  gl.Clear(background_color[0], background_color[1], background_color[2], 1);
  input.Frame(widgets);
  EXPECT_TRUE(gl.SavePng(GalleryPath("check_box_hot.png")));
  EXPECT_EQ(DiffersFromKeptPicture(gl, "widgets/check_box_hot"), "");
}
