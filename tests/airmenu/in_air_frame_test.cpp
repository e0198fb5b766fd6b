// The in-air frame body's services: the frame-rate watchdog, lighting, frozen pictures and
// the wizard's start, and random scenes through the pages.
#include <gtest/gtest.h>
#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "airmenu/calibration.h"
#include "airmenu/frozen_picture.h"
#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "airmenu/viewer_link.h"
#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/platform/spawn.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "frame/ini_file.h"
#include "render/imgui.h"
#include "render/webcam_window.h"
#include "sound/sound.h"
#include "tests/support/free_ports.h"
#include "tests/support/in_air_kit.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"
#include "tests/support/viewer_probe.h"
#include "tracking/webcam.h"

using skyt_test::InAirKit;
using skyt_test::Scene;
using skyt_test::StrokeScript;

TEST(InAirFrame, WatchdogJudgesTheRateOnlyWhereTrackingMatters) {
  const struct {
    double fps;
    int state;
    int change;  // of bad_state_count over the second measurement, from `from`
    Calibration::Stage stage = Calibration::kIdle;
    int from = 3;
  } cases[] = {{121.6, kPlay, -1}, {121.5, kPlay, +1}, {110.0, kPlay, +1}, {121.6, kPlay, 0, Calibration::kIdle, 0},
               {110.0, kWizard, +1, Calibration::kPlaceDrums}, {110.0, kWizard, 0, Calibration::kStand},
               {110.0, kPlayMenu, 0}, {125.0, kPlaySong, 0}};
  InAirKit kit("inair_watchdog");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fps << " fps in state " << c.state << " stage " << c.stage << " from " << c.from);
    calibration.ChangeStage(c.stage);
    kit.Enter(c.state);
    kit.SetFrameRate(c.fps);
    Calibration::m_fps_frame = 1;
    kit.Run(StrokeScript::Rest(20));  // the first measurement spans 19 frames
    bad_state_count = c.from;
    kit.Run(StrokeScript::Rest(20));
    EXPECT_EQ(bad_state_count, c.from + c.change);
  }
}

// Slow drumming blames the graphics, or the samples while a sound is still loading. (The
// loading row last: the watchdog then holds its graphics warning back for 9 measurements.)
TEST(InAirFrame, SlowDrummingWarnsAfterSixSlowMeasurements) {
  const struct {
    bool loading;
    int line, text;
  } cases[] = {{false, 12, 2}, {true, 10, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.loading ? "a song still loading" : "nothing loading");
    InAirKit kit("inair_slow");
    kit.Enter(kPlay);
    kit.SetFrameRate(115.0);
    if (c.loading) sound.song.frames = 44100;  // a second of a song decoded, the rest to come
    Calibration::m_fps_frame = 1;
    bad_state_count = 0;
    kit.Run(StrokeScript::Rest(5 * 20));
    EXPECT_EQ(kit.Line(c.line), "");
    // The warning blanks the lines around it; the graphics warning takes four lines.
    for (int line : {11, 14}) DistanceMenu::AddMessage(std::to_string(line).c_str(), line, 3, 5000.0f, true, false);
    kit.Run(StrokeScript::Rest(20));
    EXPECT_EQ(kit.Line(c.line), GetUtf8(c.text));
    EXPECT_EQ(kit.Line(12), c.loading ? "" : GetUtf8(2));
    EXPECT_EQ(kit.Line(13), c.loading ? "" : GetUtf8(3));
    EXPECT_EQ(kit.Line(11), "");
    EXPECT_EQ(kit.Line(14), c.loading ? "14" : "");
    sound.song.frames = 0;
  }
}

// A slow rate that holds steady for 31 measurements is taken for vertical sync: the graphics
// are blamed even while a song loads, until the rate rises past the synced one.
TEST(InAirFrame, ASteadySlowRateIsTakenForVerticalSync) {
  InAirKit kit("inair_vsync", 320, 240);  // small: the watchdog needs many frames
  kit.Enter(kPlay);
  kit.SetFrameRate(115.0);
  sound.song.frames = 44100;  // a song still loading
  Calibration::m_fps_frame = 1;
  bad_state_count = 0;
  auto measure = [&](int times) {
    for (int i = 0; i < times * 20; ++i) kit.Redraw();
  };
  measure(32);  // the first two measurements are not yet steady
  EXPECT_EQ(kit.Line(12), "");
  measure(1);
  EXPECT_EQ(kit.Line(12), GetUtf8(2));
  kit.SetFrameRate(116.6);  // a rise within 3 frames a second of the synced rate is still the sync
  measure(10);
  EXPECT_EQ(kit.Line(12), GetUtf8(2));
  kit.SetFrameRate(120.0);
  measure(10);  // the last warning has faded
  EXPECT_EQ(kit.Line(12), "");
  sound.song.frames = 0;
}

// A fresh watchdog counts steady slow measurements from nothing too: 121 frames a second
// closely after 122 brings the warning on its 32nd measurement, not on its 31st. A run of its
// own, for a fresh watchdog.
TEST(InAirFrame, TheFirstSteadySlowRateCountsFromNothing) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto first_run = [] {
    InAirKit kit("inair_vsync_first", 320, 240);
    kit.SetFrameRate(122.0);
    kit.Enter(kPlay);
    sound.song.frames = 44100;  // a song still loading
    kit.SetFrameRate(121.0);
    const auto measure = [&](int times) {
      for (int i = 0; i < times * 20; ++i) kit.Redraw();
    };
    measure(31);
    const bool early = kit.Line(12) != "";
    measure(1);
    std::_Exit(!early && kit.Line(12) == GetUtf8(2) ? 0 : 1);
  };
  EXPECT_EXIT(first_run(), testing::ExitedWithCode(0), "");
}

// A rate that rises by exactly 3 frames a second over the synced one is still the sync: the
// graphics stay blamed while a song loads. 100 and 103 frames a second are measured exactly. A
// run of its own, for a fresh watchdog.
TEST(InAirFrame, ARiseOfExactlyThreeFramesASecondIsStillTheSync) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto run = [] {
    InAirKit kit("inair_vsync_rise", 320, 240);
    kit.Enter(kPlay);
    kit.SetFrameRate(100.0);
    sound.song.frames = 44100;  // a song still loading
    Calibration::m_fps_frame = 1;
    bad_state_count = 0;
    const auto measure = [&](int times) {
      for (int i = 0; i < times * 20; ++i) kit.Redraw();
    };
    measure(33);
    const bool synced = kit.Line(12) == GetUtf8(2);
    kit.SetFrameRate(103.0);
    measure(10);
    std::_Exit(synced && kit.Line(12) == GetUtf8(2) ? 0 : 1);
  };
  EXPECT_EXIT(run(), testing::ExitedWithCode(0), "");
}

TEST(InAirFrame, NoGraphicsTitleWaitsOutTheFirst125Calls) {
  InAirKit kit("inair_title");
  kit.Enter(kPlay);
  graphics_mode = 4;
  ChangeInterfaceState(kPlay, 0, 0, 0);
  headless_window.title.clear();
  kit.Run(StrokeScript::Rest(125));
  EXPECT_EQ(headless_window.title, "");
  kit.Frame({});
  EXPECT_EQ(headless_window.title.rfind("Skytapper - Graphics disabled", 0), 0u) << headless_window.title;
}

TEST(InAirFrame, BadLightingWarnsAndStopsDrumming) {
  const struct {
    const char* what;
    Scene extra;
    int first_text;  // -1: no warning
    bool settling = false;
  } cases[] = {
      {"a lamp", {{250, 150, 14}}, 92},
      {"many lights", {{10, 200, 3}, {30, 200, 3}, {50, 200, 3}, {70, 200, 3}, {90, 200, 3}, {110, 200, 3},
                       {130, 200, 3}, {150, 200, 3}, {170, 200, 3}}, 94},
      {"a lamp while the camera settles", {{250, 150, 14}}, -1, true},
      {"good lighting", {}, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    InAirKit kit("inair_lighting");
    kit.Enter(kPlay);
    if (c.settling) webcam.ResetFrameCounter();
    const Drumkit::Drum& drum = drumkit.drums[2];
    for (Scene scene : StrokeScript::MenuStroke(drum.x, drum.y, 5.6f)) {
      scene.insert(scene.end(), c.extra.begin(), c.extra.end());
      kit.Frame(scene);
    }
    if (c.first_text < 0) {  // the stroke plays unless the camera is still settling
      EXPECT_EQ(kit.Line(15), "");
      EXPECT_EQ(drumkit.last_hit_drum, c.settling ? -1 : 2);
      continue;
    }
    EXPECT_EQ(kit.Line(15), GetUtf8(c.first_text));
    EXPECT_EQ(kit.Line(16), GetUtf8(c.first_text + 1));
    EXPECT_EQ(drumkit.last_hit_drum, -1) << "a drum was hit under bad lighting";
  }
}

// A display call that brings no new camera picture leaves the sticks' tracks as they were:
// the stick that came back on the last picture has one position, not two.
TEST(InAirFrame, ADrawWithoutANewPictureTracksNothing) {
  InAirKit kit("inair_no_picture", 320, 240);
  kit.Enter(kPlay);
  kit.Frame({});
  kit.Frame(StrokeScript::Rest(1)[0]);
  ASSERT_EQ(drummer.right_hand.m_history.size(), 1);
  kit.Redraw();
  EXPECT_EQ(drummer.right_hand.m_history.size(), 1);
}

// Rows of w * 3 bytes that are not a multiple of 4: the read-back must not pad them.
TEST(InAirFrame, FrozenPicturesOfAnOddWindowAndOneViewerTextureAtATime) {
  InAirKit kit("inair_frozen", 961, 721);
  kit.Enter(kPlay);
  graphics_mode = 1;
  ChangeInterfaceState(kPlay, 0, 0, 0);
  kit.Run(StrokeScript::Rest(3));
  const unsigned int markers = markers_only_texture;
  ASSERT_NE(markers, 0u);
  LeaveClientDisplay();
  EnterClientDisplay();
  const unsigned int first = client_display_texture;
  LeaveClientDisplay();
  EnterClientDisplay();
  EXPECT_FALSE(glIsTexture(first) && first != client_display_texture);
  EXPECT_TRUE(glIsTexture(client_display_texture));
  EXPECT_TRUE(glIsTexture(markers)) << "the markers-only picture was touched";
  GLint pack = 0, unpack = 0;
  glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
  EXPECT_EQ(pack, 4) << "the alignment was not restored";
  EXPECT_EQ(unpack, 4) << "the alignment was not restored";
  LeaveClientDisplay();
  LeaveMarkersOnly();
  graphics_mode = 0;
}

// The fast mode's frozen picture shows the cymbals' choke zones, light squares over the picture.
TEST(InAirFrame, MarkersOnlyPictureShowsTheChokeZones) {
  InAirKit kit("inair_frozen_zones", 320, 240);
  kit.Enter(kPlay);
  drumkit.left_choke_distance = drumkit.right_choke_distance = 80.0f;  // inside the vignette
  long brightness[2] = {};
  for (const float scale : {0.0f, 0.75f}) {
    drumkit.left_choke_scale = drumkit.right_choke_scale = scale;
    graphics_mode = 1;
    ChangeInterfaceState(kPlay, 0, 0, 0);
    kit.Run(StrokeScript::Rest(3));
    for (const unsigned char c : kit.gl().Rgba()) brightness[scale != 0] += c;
    LeaveMarkersOnly();
  }
  graphics_mode = 0;
  drumkit.left_choke_distance = drumkit.right_choke_distance = 200.0f;
  EXPECT_GT(brightness[1], brightness[0] + 100000);
}

// The slow renderer frames the camera picture in the vignette, a light rim at the window's
// edge and crossed by the dashed foot line; its simplified form draws no vignette.
TEST(InAirFrame, SlowRendererDrawsTheVignetteUnlessSimplified) {
  const struct {
    int mode;
    bool vignette;
  } cases[] = {{2, true}, {3, false}};
  InAirKit kit("inair_vignette");
  kit.Enter(kPlay);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    graphics_mode = c.mode;
    ChangeInterfaceState(kPlay, 0, 0, 0);
    kit.Run(StrokeScript::Rest(6));
    const int y = kit.gl().height() / 2;
    EXPECT_EQ(kit.gl().Pixel(0, y)[0] > kit.gl().Pixel(20, y)[0] + 20, c.vignette);
    if (!c.vignette) continue;
    const int foot = int(WebcamWindowMapping::WebcamYToWindowY(239 - drummer.labeler.FootLine()));
    int dashed = 0;
    for (int x = 40; x < kit.gl().width() - 40; ++x)
      dashed += kit.gl().Pixel(x, foot)[1] + 20 < kit.gl().Pixel(x, foot + 6)[1];
    EXPECT_GT(dashed, kit.gl().width() / 4) << "the dashed foot line crosses the picture";
  }
  graphics_mode = 0;
}

// The in-air message fonts, which the kit leaves out.
void LoadMessageFonts(int height) {
  std::filesystem::create_directories("data/fonts");
  std::filesystem::create_symlink("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "data/fonts/Ubuntu-R.ttf");
  DistanceMenu::CleanUp();
  DistanceMenu::Init(height, height);
}

// Red pixels around where the count-down's number is printed straight onto the picture.
int RedCountDownPixels(InAirKit& kit) {
  int red = 0;
  const int x = WindowWidth() / 2, y = int(WindowHeight() * 0.54f);
  for (int dx = -40; dx < 40; ++dx)
    for (int dy = -30; dy < 40; ++dy) {
      const auto p = kit.gl().Pixel(x + dx, y + dy);
      red += p[0] > 150 && p[1] < 80 && p[2] < 80;
    }
  return red;
}

// Which renderer draws the drumming page tells where the count-down goes: message lines 8 and
// 9 in the menu renderers, straight onto the picture in the markers-only one. The Japanese text
// holds the number itself, on one line.
TEST(InAirFrame, CountDownGoesWhereTheRendererOfTheStateShowsIt) {
  enum Lines { kCleared, kUntouched, kCounting };
  const struct {
    const char* what;
    int mode, state;
    bool muted;
    int frames;
    Lines lines;
    bool printed;
    bool japanese = false;
  } cases[] = {
      {"normal renderer at 0", 0, kPlay, false, 0, kCleared, false},
      {"markers-only at 0", 1, kPlay, false, 0, kUntouched, true},
      {"markers-only counting", 1, kPlay, false, 300, kUntouched, true},
      {"mode 1, drums muted", 1, kPlay, true, 300, kCounting, false},
      {"mode 1, play menu", 1, kPlayMenu, false, 300, kCounting, false},
      {"Japanese, normal renderer counting", 0, kPlay, false, 300, kCounting, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    InAirKit kit("inair_count_down");
    LoadMessageFonts(kit.gl().height());
    kit.Enter(c.state);
    graphics_mode = c.mode;
    drums_muted = c.muted;
    ChangeInterfaceState(c.state, 0, 0, 0);
    kit.Run(StrokeScript::Rest(3));
    const int before = RedCountDownPixels(kit);
    DistanceMenu::AddMessage("eight", 8, 1, 0.0f, false, false);
    DistanceMenu::AddMessage("nine", 9, 1, 0.0f, false, false);
    frames_until_song_start = c.frames;
    if (c.japanese) SetLanguage("ja");
    kit.Frame(StrokeScript::Rest(1)[0]);
    SetLanguage("en");
    const std::string counting8 = c.japanese ? "曲が始まるまで 3 秒" : GetUtf8(96);
    const std::string counting9 = c.japanese ? "nine" : "3";
    const std::string line8 = c.lines == kCleared ? "" : c.lines == kUntouched ? "eight" : counting8;
    const std::string line9 = c.lines == kCleared ? "" : c.lines == kUntouched ? "nine" : counting9;
    EXPECT_EQ(kit.Line(8), line8);
    EXPECT_EQ(kit.Line(9), line9);
    EXPECT_EQ(RedCountDownPixels(kit) > before + 20, c.printed) << before << " red pixels before";
    if (c.mode == 1 && interface_state == kPlay && !c.muted) LeaveMarkersOnly();
    frames_until_song_start = -1;
    graphics_mode = 0;
    drums_muted = false;
  }
}

void Mouse(int x, int y, bool down) {
  imgui.mouse_x = x;
  imgui.mouse_y = y;
  imgui.mouse_down = down;
}

// Calls of one frame with the mouse over (x, y) until a live widget there takes it (at most 400).
int GreyedCalls(int x, int y, const std::function<void()>& frame) {
  Mouse(x, y, false);
  int calls = 0;
  for (frame(); imgui.hot_id == 0 && calls < 400; frame()) ++calls;
  return calls;
}

// A press and a release over (x, y), one frame each.
void Click(InAirKit& kit, int x, int y) {
  Mouse(x, y, true);
  kit.Frame(StrokeScript::Rest(1)[0]);
  Mouse(x, y, false);
  kit.Frame(StrokeScript::Rest(1)[0]);
  Mouse(-1, -1, false);
}

// The viewer icon of the drumming page rests greyed ("...") for 250 frames after a press, the
// quit-viewer icon of the viewer page for 126 frames after entry; the icon under the home icon
// switches full screen; the home icon leaves, also from the viewer's start page.
TEST(InAirFrame, ViewerIconsRestAfterAPressTheScreenIconSwitchesAndTheHomeIconGoesHome) {
  InAirKit kit("inair_icons");
  kit.Enter(kPlay);
  const int icon_x = WindowWidth() - 40, icon_y = 30;
  const auto frame = [&] { kit.Frame(StrokeScript::Rest(1)[0]); };
  EXPECT_EQ(GreyedCalls(icon_x, icon_y, frame), 0);
  Click(kit, icon_x, icon_y);
  ASSERT_EQ(interface_state, kClientStartScreen);
  ChangeInterfaceState(kPlay, 0, 0, 0);
  EXPECT_EQ(GreyedCalls(icon_x, icon_y, frame), 250);

  interface_state = kPlayWithClient;
  just_changed_state = true;
  EXPECT_EQ(GreyedCalls(icon_x, icon_y, [] { PlayWithClient(); }), 126);
  ChangeInterfaceState(kPlay, 0, 0, 0);
  Mouse(-1, -1, false);
  frame();

  const bool was_full_screen = drummer.Drum_Full_Screen;
  for (const bool full : {!was_full_screen, was_full_screen}) {
    Click(kit, 38, 90);
    EXPECT_EQ(drummer.Drum_Full_Screen, full);
    frame();  // the switch takes a frame to settle
  }

  for (const int page : {kPlay, kClientStartScreen}) {
    if (page != kPlay) kit.Enter(page);
    Click(kit, 38, icon_y);
    EXPECT_EQ(interface_state, kMainScreen) << page;
  }
}

// The viewer page shows its frozen picture on every frame, whatever the buffer held and the
// colour last set; Show interface brings the drumming page back in front of the viewer, and
// the quit icon comes live where its greyed form stood.
TEST(InAirFrame, ViewerPageRedrawsItsPictureAndItsButtonsWork) {
  InAirKit kit("inair_viewer_page");
  kit.Enter(kPlay);
  EnterClientDisplay();
  const int w = kit.gl().width(), h = kit.gl().height();
  const std::array<int, 4> shown = kit.gl().Pixel(1, h / 2);  // the vignette's light rim
  ASSERT_GT(shown[0], 40);
  interface_state = kPlayWithClient;
  just_changed_state = true;
  Mouse(-1, -1, false);
  imgui.tracing = true;
  std::vector<Imgui::TraceItem> quit;
  for (int frame = 0; frame < 130; ++frame) {
    kit.gl().Clear(1, 0, 0);
    glColor4f(0, 0, 0, 1);
    PlayWithClient();
    if (frame < 2) {
      EXPECT_EQ(kit.gl().CountDiffering(1, h / 2, 2, h / 2 + 1, shown, 3), 0) << "frame " << frame;
      EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "the next page's drawing would take the picture's texture";
    }
    for (const Imgui::TraceItem& t : imgui.trace)
      if (t.x == w - 75 && (quit.empty() || quit.back().greyed != t.greyed)) quit.push_back(t);
  }
  ASSERT_EQ(quit.size(), 2u);
  EXPECT_EQ(quit[1].y, quit[0].y) << "the icon jumps when it comes live";
  const auto show = std::find_if(imgui.trace.begin(), imgui.trace.end(), [](const Imgui::TraceItem& t) {
    return t.label == GetUtf8(kTextShowInterface);
  });
  ASSERT_NE(show, imgui.trace.end());
  const Imgui::TraceItem button = *show;
  show_drumming_ui_when_client_connected = false;
  for (const bool down : {true, false}) {
    Mouse(button.x + button.w / 2, button.y - button.h / 2, down);
    PlayWithClient();
  }
  imgui.tracing = false;
  Mouse(-1, -1, false);
  EXPECT_TRUE(show_drumming_ui_when_client_connected);
  show_drumming_ui_when_client_connected = false;
  LeaveClientDisplay();
  kit.gl().Clear();
  ChangeInterfaceState(kPlay, 0, 0, 0);
}

// With the viewer installed, its start page offers it: the 3D icon starts it and goes back to
// drumming, as Back does.
TEST(InAirFrame, ViewerStartPageStartsAnInstalledViewer) {
  InAirKit kit("inair_viewer_start");
  const std::string data = skyt_test::FreshDir("inair_viewer_start_data");
  std::filesystem::create_directories(data + "/applications");
  std::ofstream(data + "/applications/org.kmw.Skytapper3D.desktop") << "[Desktop Entry]\nExec=viewer --kit\n";
  setenv("XDG_DATA_HOME", data.c_str(), 1);
  std::vector<std::vector<std::string>> launched;
  SetCommandLauncher([&](const std::vector<std::string>& argv) {
    launched.push_back(argv);
    return true;
  });
  const int w = kit.gl().width(), h = kit.gl().height();
  const struct {
    int x, y;  // the button's centre
    size_t launches;
  } cases[] = {{int(w * 0.5 - 35) + 35, int(h * 0.73) - 25, 1}, {int(w * 0.5 - 52) + 52, int(h * 0.16) - 25, 0}};
  for (const auto& c : cases) {
    kit.Enter(kClientStartScreen);
    EXPECT_EQ(kit.Line(3), GetUtf8(kTextWishViewDrums));
    const size_t before = launched.size();
    Click(kit, c.x, c.y);
    EXPECT_EQ(interface_state, kPlay) << c.y;
    EXPECT_EQ(launched.size() - before, c.launches) << c.y;
  }
  EXPECT_EQ(launched, (std::vector<std::vector<std::string>>{{"viewer", "--kit"}}));
  SetCommandLauncher(nullptr);
  unsetenv("XDG_DATA_HOME");
}

// An odd width: the read-back writes exactly w * h * 3 bytes and the texture holds the same
// rows (padded rows would spill into the guard and shear the uploaded picture).
TEST(InAirFrame, FrozenPictureRowsAreReadAndUploadedUnpadded) {
  const int w = 961, h = 721;
  const size_t size = size_t(w) * h * 3;
  skyt_test::GlContext gl(w, h);
  gl.Clear(0, 0, 1);
  glEnable(GL_SCISSOR_TEST);
  glScissor(100, 0, 7, h);  // a red bar down every row
  gl.Clear(1, 0, 0);
  glDisable(GL_SCISSOR_TEST);
  std::vector<unsigned char> read(size + 1024, 0xA5);
  glPixelStorei(GL_PACK_ALIGNMENT, 2);
  ReadPicture(w, h, read.data());
  GLint pack = 0;
  glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
  EXPECT_EQ(pack, 2) << "the caller's alignment was not restored";
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  EXPECT_EQ(std::count(read.begin() + size, read.end(), 0xA5), 1024) << "the read-back overran its rows";
  EXPECT_EQ(read[(size_t(h - 1) * w + 103) * 3], 255) << "the top row is not where an unpadded row puts it";

  GLuint texture = FreezePicture(w, h);
  std::vector<unsigned char> uploaded(size + 1024, 0xA5);
  glBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, uploaded.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  EXPECT_TRUE(std::equal(read.begin(), read.begin() + size, uploaded.begin())) << "the texture's rows are sheared";
  glDeleteTextures(1, &texture);
  // A window one pixel wide or high still gives a picture; an empty one gives none.
  const struct {
    int w, h;
  } sizes[] = {{0, h}, {1, h}, {w, 0}, {w, 1}};
  for (const auto& s : sizes) {
    texture = FreezePicture(s.w, s.h);
    EXPECT_EQ(glIsTexture(texture) == GL_TRUE, s.w > 0 && s.h > 0) << s.w << "x" << s.h;
    glDeleteTextures(1, &texture);
  }
}

// The red of the bright places the lighting check found lies over the kit in the graphics
// modes that draw it, the markers-only mode's frozen picture included.
TEST(InAirFrame, TheBrightPlacesShowRedInEachModeThatDrawsTheKit) {
  InAirKit kit("inair_bright_places");
  kit.Enter(kPlay);
  const std::vector<unsigned char> clear(Webcam::kWidth * Webcam::kHeight, 0);
  std::vector<unsigned char> marked = clear;
  for (int y = 100; y < 140; ++y)
    for (int x = 150; x < 170; ++x) marked[y * Webcam::kWidth + x] = 255;
  const int x = int(WebcamWindowMapping::WebcamXToWindowX(160));
  const int y = int(WebcamWindowMapping::WebcamYToWindowY(120));
  const auto redness = [&](const std::vector<unsigned char>& overlay, int mode) {
    Calibration::m_dead_pixels_image.UpdateData(overlay.data());
    graphics_mode = mode;
    ChangeInterfaceState(kPlay, 0, 0, 0);
    kit.Run(StrokeScript::Rest(3));
    const std::array<int, 4> p = kit.gl().Pixel(x, y);
    return p[0] - std::max(p[1], p[2]);
  };
  for (const int mode : {kGraphicsNormal, kGraphicsMarkersOnly, kGraphicsSlow}) {
    const int without = redness(clear, mode);
    EXPECT_GT(redness(marked, mode), without + 60) << "mode " << mode;
  }
  Calibration::m_dead_pixels_image.UpdateData(clear.data());
  LeaveMarkersOnly();
  graphics_mode = kGraphicsNormal;
  ChangeInterfaceState(kPlay, 0, 0, 0);
}

TEST(InAirFrame, WizardStartsWhereTheRunCalls) {
  const struct {
    bool never_ran, play, drummed;
    Calibration::Stage stage;
    int param2;
  } cases[] = {{true, false, false, Calibration::kWhereToDrum, 0},
               {false, false, false, Calibration::kSeat, 0},
               {false, true, true, Calibration::kPlaceDrums, 1},
               {true, true, false, Calibration::kWhereToDrum, 0}};
  for (const auto& c : cases) {
    Calibration wizard;
    drummer.Never_Ran = c.never_ran;
    have_drummed_this_session = c.drummed;
    state_param2 = state_param3 = 0;
    wizard.Init(drummer, webcam, imgui, IniFile());
    wizard.Start(c.play);
    EXPECT_EQ(wizard.GetStage(), c.stage);
    EXPECT_EQ(state_param2, c.param2);
    EXPECT_EQ(state_param3, c.param2);
    EXPECT_EQ(wizard.IsFirstRun(), c.never_ran);
  }
  have_drummed_this_session = false;
}

// With a viewer connected, the drumming page's crossed viewer icon asks the viewer to quit.
TEST(InAirFrame, TheCrossedViewerIconAsksTheViewerToQuit) {
  InAirKit kit("inair_quit_viewer");
  InstallViewerCalls();
  const int first = skyt_test::FreePorts(4);
  viewer_ports = {first, first + 1, first + 2, first + 3};
  ASSERT_TRUE(InitSockets(nullptr, true));
  show_drumming_ui_when_client_connected = true;  // the drumming page stays in front of the viewer
  {
    skyt_test::ViewerProbe probe({first, first + 1, first + 2, first + 3}, [&] { kit.Frame({}); });
    ASSERT_TRUE(probe.Connect());
    kit.Enter(kPlay);
    const int icon_x = WindowWidth() - 40, icon_y = 30;
    GreyedCalls(icon_x, icon_y, [&] { kit.Frame(StrokeScript::Rest(1)[0]); });
    probe.TakeMessages();
    Click(kit, icon_x, icon_y);
    probe.Run(2);
    std::vector<int> codes;
    for (const skyt_test::ServerMessage& m : probe.TakeMessages()) codes.push_back(m.code);
    EXPECT_EQ(codes, std::vector<int>{13});
  }
  show_drumming_ui_when_client_connected = false;
  CleanUpSockets();
}

// Random scenes through the pages where the sticks are live: nothing crashes and every voice
// started is a finite one. (Run under the sanitizers in CI.)
TEST(InAirFrame, RandomScenesThroughThePages) {
  InAirKit kit("inair_random");
  std::mt19937 rng(21);
  std::uniform_real_distribution<float> x(-20, 340), y(-20, 260), r(0.5f, 16);
  for (int state : {kPlay, kPlayMenu, kAdjustVolumes, kPlaySong, kMetronome}) {
    SCOPED_TRACE(state);
    kit.Enter(state);
    for (int i = 0; i < 400; ++i) {
      if (interface_state != state) ChangeInterfaceState(state, 0, 0, 0);
      Scene scene;
      for (int n = int(rng() % 7); n > 0; --n) scene.push_back({x(rng), y(rng), r(rng)});
      kit.Frame(scene);
      for (const skyt_test::Voice& v : skyt_test::PlayingVoices()) {
        EXPECT_TRUE(std::isfinite(v.volume) && std::isfinite(v.pan));
      }
    }
  }
  recording = false;
  drums_muted = false;
}
