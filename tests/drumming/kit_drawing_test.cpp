// Kit drawing, icon animations and the samples-loading progress, drawn offscreen; the kit
// picture is saved to the build folder as drumming_kit.png and drumming_kit_placement.png.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/progress.h"
#include "frame/frame_globals.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "drumming/distance_menu.h"
#include "render/animation.h"
#include "render/imgui.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/kept_pictures.h"
#include "tests/support/layout_fit.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"
#include "render/webcam_window.h"
#include "sound/sound.h"

namespace {

float TranslationY() {
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  return m[13];
}

void ApplyOnce(Animation& a, float value) {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  a.Apply(value);
}

}  // namespace

TEST(IconAnimation, CurvesMoveAndAgeHits) {
  skyt_test::GlContext gl(64, 64);
  graphics_mode = 0;
  Animation bounce(5);
  EXPECT_EQ(bounce.length, 20.0f);
  EXPECT_FALSE(bounce.IsPermanent());
  bounce.AddInstance(1.0f, 0, 1);
  bounce.instances.front().elapsed = 5;
  glPushMatrix();
  glLoadIdentity();
  bounce.OpenGLTransformations(0);
  EXPECT_NEAR(TranslationY(), 80 * std::exp(-0.5f), 1e-3);
  glPopMatrix();
  // A swelling hit scales about the icon's own size.
  Animation swell(2);
  swell.AddInstance(1.0f, 0, 0);
  swell.instances.front().elapsed = 5;
  glPushMatrix();
  glLoadIdentity();
  swell.OpenGLTransformations(0);
  float scale[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, scale);
  EXPECT_NEAR(scale[0], 1 + 0.2f * std::exp(-0.5f), 1e-4);
  glPopMatrix();
  // Removed once older than its length.
  int drawings = 0;
  while (!bounce.instances.empty() && drawings < 100) {
    ApplyOnce(bounce, 0);
    glPopMatrix();
    ++drawings;
  }
  EXPECT_EQ(drawings, 16);  // from elapsed 5 to beyond 20

  // The delay holds a type-3 hit still for 10 frames.
  Animation delayed(3);
  delayed.AddInstance(1.0f, 0, 1);
  for (int i = 0; i < 10; ++i) {
    ApplyOnce(delayed, 0);
    EXPECT_EQ(TranslationY(), 0.0f) << i;
    glPopMatrix();
  }
  ApplyOnce(delayed, 0);
  glPopMatrix();
  ApplyOnce(delayed, 0);
  EXPECT_NE(TranslationY(), 0.0f);
  glPopMatrix();

  // Continuous curves follow the value and never age.
  Animation pedal(6);
  EXPECT_TRUE(pedal.IsPermanent());
  ApplyOnce(pedal, 1.0f);
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[5], 1.0f);  // no hit, no rotation
  glPopMatrix();
  pedal.AddInstance(0.5f, 0, 0);
  for (int i = 0; i < 1000; ++i) {
    ApplyOnce(pedal, 1.0f);
    glPopMatrix();
  }
  ASSERT_EQ(pedal.instances.size(), 1u);
  ApplyOnce(pedal, 1.0f);
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_NEAR(m[5], std::cos(25.0f * 3.14159265f / 180), 1e-4);  // 25 degrees about X
  glPopMatrix();
  Animation still(8);
  still.AddInstance(1, 0, 0);
  ApplyOnce(still, 5.0f);
  EXPECT_EQ(TranslationY(), 0.0f);
  glPopMatrix();
  // Only y negated: the curve moves x with the value and y against it, by as much.
  Animation slant(7);
  slant.AddInstance(1, 0, 0);
  ApplyOnce(slant, 1.0f);
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_GT(m[12], 0.0f);
  EXPECT_EQ(m[13], -m[12]);
  EXPECT_FLOAT_EQ(m[12], 12.0f);  // the value times the amplitude
  glPopMatrix();

  // Spread drawing ages hits three frames a call.
  graphics_mode = 2;
  Animation fast(5);
  fast.AddInstance(1, 0, 1);
  drawings = 0;
  while (!fast.instances.empty() && drawings < 100) {
    ApplyOnce(fast, 0);
    glPopMatrix();
    ++drawings;
  }
  EXPECT_EQ(drawings, 7);
  graphics_mode = 0;

  Animation unknown(9);
  EXPECT_EQ(unknown.length, 0.0f);
  EXPECT_FALSE(unknown.IsPermanent());
}

TEST(IconAnimation, IconsStartAndStopAnimations) {
  Drumkit::Icon icon;
  icon.animations.emplace_back(0);
  icon.animations.emplace_back(1);
  icon.Animate(0, 0.05f, 1, 0);  // too soft
  EXPECT_TRUE(icon.animations[0].instances.empty());
  icon.Animate(0, 0.1f, 1, 0);
  EXPECT_EQ(icon.animations[0].instances.size(), 1u);
  icon.Animate(1, 0.5f, 1, 0);  // another index clears the first
  EXPECT_TRUE(icon.animations[0].instances.empty());
  EXPECT_EQ(icon.current_animation, 1);
  icon.Animate(7, 0.5f, 1, 0);  // an index the icon lacks
  EXPECT_EQ(icon.current_animation, 1);
  icon.StopAnimations();
  EXPECT_TRUE(icon.animations[1].instances.empty());

  Drumkit::Icon pedal;
  pedal.animations.emplace_back(6);
  pedal.Animate(0, 1.0f, 0, 0);
  pedal.Animate(0, 1.0f, 0, 0);  // a permanent animation is not restarted
  EXPECT_EQ(pedal.animations[0].instances.size(), 1u);
  pedal.StopAnimations();
  EXPECT_EQ(pedal.animations[0].instances.size(), 1u);
}

// Where the kit is not drawn its hits never age: the icon keeps the newest 64, oldest first.
TEST(IconAnimation, HitsThatAreNeverDrawnStayBounded) {
  Drumkit::Icon icon;
  icon.animations.emplace_back(0);
  for (int hit = 1; hit <= 10000; ++hit) icon.Animate(0, float(hit) / 10000, 1, 0);
  const auto& hits = icon.animations[0].instances;
  ASSERT_EQ(hits.size(), 64u);
  EXPECT_FLOAT_EQ(hits.front().strength, 0.9937f);
  EXPECT_FLOAT_EQ(hits.back().strength, 1.0f);
}

// Every kind of icon movement on a plain square: the hit kinds six and fourteen frames after a
// hard hit (upper and lower row), then the pedal's tilt and the hi-hat's slide at half their value.
TEST(KitDrawing, EachKindOfHitMovesItsIconItsOwnWay) {
  skyt_test::GlContext gl(640, 240);
  window_services.reshape(640, 240);
  gl.Clear(0, 0, 0, 1);
  graphics_mode = 0;
  for (int type = 0; type < 8; ++type)
    for (const float elapsed : {6.0f, 14.0f}) {
      Drumkit::Icon icon;  // no picture: a plain white square
      icon.width = icon.height = 44;
      icon.texture_tried = true;
      icon.animations.emplace_back(type);
      icon.Animate(0, 1.0f, 0.6f, 0.8f);
      icon.animations[0].instances[0].elapsed = elapsed;
      icon.Draw(40.0f + 80 * type, elapsed < 10 ? 170.0f : 70.0f, 1.0f, true, false, 0.5f);
    }
  EXPECT_EQ(skyt_test::DiffersFromKeptPicture(gl, "kit/icon-movements"), "");
}

// An icon is drawn its own offset (a kit file's icon offsets) away from the point it is given.
TEST(KitDrawing, AnIconIsDrawnAtItsOffset) {
  skyt_test::GlContext gl(320, 240);
  window_services.reshape(320, 240);
  gl.Clear(0, 0, 0, 1);
  Drumkit::Icon icon;  // no picture: a plain white square
  icon.width = icon.height = 40;
  icon.texture_tried = true;
  icon.offset_x = 100;
  icon.offset_y = -50;
  icon.Draw(100, 150, 1.0f, true, false, 0);
  EXPECT_EQ(gl.Pixel(200, 100)[0], 255);
  EXPECT_EQ(gl.Pixel(100, 150)[0], 0);  // where it would be without the offset
  // A fresh icon has no offset: it is centred on the point given (its 40 units are 32 pixels
  // at its depth), from 84 to 115 across and 134 to 165 up.
  Drumkit::Icon plain;
  plain.width = plain.height = 40;
  plain.texture_tried = true;
  gl.Clear(0, 0, 0, 1);
  plain.Draw(100, 150, 1.0f, true, false, 0);
  const struct { int x, y, red; } edges[] = {{84, 150, 255},  {83, 150, 0},  {115, 150, 255}, {116, 150, 0},
                                             {100, 134, 255}, {100, 133, 0}, {100, 165, 255}, {100, 166, 0}};
  for (const auto& e : edges) EXPECT_EQ(gl.Pixel(e.x, e.y)[0], e.red) << e.x << ", " << e.y;
}

TEST(KitDrawing, KitPictureWithIconsPedalsZonesAndHitSpeed) {
  std::string dir = skyt_test::FreshDir("kit_drawing");
  skyt_test::ScopedChdir in(dir);
  skyt_test::ResetSound();
  // The kit loads before any GL context exists; textures are made at the first drawing.
  Drumkit kit;
  kit.Init();
  int snare = skyt_test::AddElement(Sound::SNARE, 0), hat = skyt_test::AddElement(Sound::HIHAT, 2);
  int kick = skyt_test::AddElement(Sound::KICK, 1), crash = skyt_test::AddElement(Sound::CRASH, 0);
  int ride = skyt_test::AddElement(Sound::RIDE, 0), tom = skyt_test::AddElement(Sound::HIGH_TOM, 0);
  ASSERT_TRUE(skyt_test::LoadKit(
      kit,
      {{"Snare", Sound::SNARE, 0, snare}, {"Hat", Sound::HIHAT, 2, hat}, {"Kick", Sound::KICK, 1, kick},
       {"Crash", Sound::CRASH, 0, crash}, {"Ride", Sound::RIDE, 0, ride}, {"Tom", Sound::HIGH_TOM, 0, tom},
       {"Missing", Sound::FLOOR_TOM, 0, -1}},
      "Drum0.x = 170\nDrum0.y = 160\nDrum0.size = 4\nDrum1.x = 90\nDrum1.y = 130\nDrum1.size = 4\n"
      "Drum1.foot_x = 100\nDrum1.foot_y = 225\nDrum1.foot_size = 5\nDrum2.foot_x = 170\nDrum2.foot_y = 225\n"
      "Drum2.foot_size = 5\nDrum3.x = 110\nDrum3.y = 60\nDrum3.size = 4\nDrum4.x = 250\nDrum4.y = 80\nDrum4.size = 4\n"
      "Drum5.x = 200\nDrum5.y = 115\nDrum5.size = 4\nDrum6.x = 260\nDrum6.y = 170\nDrum6.size = 4\n"));
  for (const Drumkit::Drum& d : kit.drums)
    for (const Drumkit::Icon& i : d.icons) EXPECT_EQ(i.image.texture, 0u);

  skyt_test::GlContext gl(960, 720);
  window_services.reshape(960, 720);
  WebcamWindowMapping::CenterWebcam(960, 720);
  gl.Clear(0.7f, 0.7f, 0.69f, 1);
  skyt_test::GlStateSnapshot before;
  kit.drums[0].openness = 0;
  kit.drums[1].openness = 0.6f;
  kit.drums[0].Animate(0.9f, 0, 1, 0);
  kit.shown_drum = 0;
  kit.shown_marker_type = MOCAP_MARKER_HAND;
  kit.shown_frames = 100;
  kit.shown_speed = 900;
  kit.DrawChokeZones(true, true);
  kit.DrawPedals(false, false);
  kit.Draw(false, false);
  kit.DrawHitSpeed();
  skyt_test::GlStateSnapshot after;
  EXPECT_TRUE(before == after);
  EXPECT_EQ(before.colour, after.colour);
  EXPECT_EQ(before.bound_texture, after.bound_texture);
  EXPECT_EQ(before.unpack_alignment, after.unpack_alignment);
  EXPECT_EQ(before.blend_src, after.blend_src);
  EXPECT_EQ(before.blend_dst, after.blend_dst);
  EXPECT_EQ(kit.shown_frames, 99);
  ASSERT_TRUE(gl.SavePng(skyt_test::BuildDir() + "/drumming_kit.png"));
  EXPECT_EQ(skyt_test::DiffersFromKeptPicture(gl, "kit/drumming"), "");

  auto changed_near = [&](float cx, float cy) {
    int x = int(WebcamWindowMapping::WebcamXToWindowX(cx)), y = int(WebcamWindowMapping::WebcamYToWindowY(239 - cy));
    return gl.CountDiffering(x - 10, y - 10, x + 10, y + 10, {178, 178, 176, 255}, 12);
  };
  EXPECT_GT(changed_near(170, 160), 50);  // snare
  EXPECT_GT(changed_near(250, 80), 50);   // ride
  EXPECT_GT(changed_near(100, 239 - 26), 20);  // hi-hat pedal row (window row 26 from the bottom)
  EXPECT_EQ(changed_near(300, 20), 0);    // empty corner

  // Placement view: the first three drums placed, the rest faint.
  gl.Clear(0.7f, 0.7f, 0.69f, 1);
  kit.DrawForPlacement(3, 5, {0, 3, 4, 5, 6, 1, 2}, false);
  EXPECT_TRUE(before == skyt_test::GlStateSnapshot());
  ASSERT_TRUE(gl.SavePng(skyt_test::BuildDir() + "/drumming_kit_placement.png"));
  EXPECT_EQ(skyt_test::DiffersFromKeptPicture(gl, "kit/placement"), "");
  EXPECT_GT(changed_near(170, 160), 50);
  // Placing the kick last: its pedal and its drum each in a rectangular halo.
  gl.Clear(0.7f, 0.7f, 0.69f, 1);
  kit.DrawForPlacement(6, 5, {0, 3, 4, 5, 6, 1, 2}, false);
  EXPECT_EQ(skyt_test::DiffersFromKeptPicture(gl, "kit/placement-kick"), "");
  EXPECT_FLOAT_EQ(kit.GetLowestDrumY(), 170.0f);
  // Placing the first drum: it stands in its halo too.
  const auto drawn_around_snare = [&](int current) {
    gl.Clear(0.7f, 0.7f, 0.69f, 1);
    kit.DrawForPlacement(current, 5, {0, 3, 4, 5, 6, 1, 2}, false);
    int x = int(WebcamWindowMapping::WebcamXToWindowX(170)), y = int(WebcamWindowMapping::WebcamYToWindowY(239 - 160));
    return gl.CountDiffering(x - 60, y - 60, x + 60, y + 60, {178, 178, 176, 255}, 12);
  };
  const int without_halo = drawn_around_snare(-1);
  EXPECT_GT(drawn_around_snare(0), without_halo + 100) << without_halo;
  // The hit-speed meter reads the stroke the same on the smallest placed drum.
  const auto meter = [&](float size) {
    kit.drums[0].size = size;
    kit.shown_frames = 100;
    gl.Clear(0.7f, 0.7f, 0.69f, 1);
    kit.DrawHitSpeed();
    return gl.Rgba();
  };
  EXPECT_TRUE(meter(1) == meter(4));
}

// A hand drum not yet placed (no size) and a kick's drum part are not drawn among the drums;
// a placed tom is.
TEST(KitDrawing, OnlyPlacedHandDrumsAreDrawn) {
  skyt_test::ScopedChdir in(skyt_test::FreshDir("kit_drawing_placed"));
  skyt_test::ResetSound();
  Drumkit kit;
  kit.Init();
  int snare = skyt_test::AddElement(Sound::SNARE, 0), kick = skyt_test::AddElement(Sound::KICK, 1);
  int tom = skyt_test::AddElement(Sound::HIGH_TOM, 0);
  ASSERT_TRUE(skyt_test::LoadKit(
      kit, {{"Snare", Sound::SNARE, 0, snare}, {"Kick", Sound::KICK, 1, kick}, {"Tom", Sound::HIGH_TOM, 0, tom}},
      "Drum0.x = 80\nDrum0.y = 120\nDrum1.x = 160\nDrum1.y = 120\nDrum1.size = 4\n"
      "Drum2.x = 240\nDrum2.y = 120\nDrum2.size = 4\n"));
  skyt_test::GlContext gl(960, 720);
  window_services.reshape(960, 720);
  WebcamWindowMapping::CenterWebcam(960, 720);
  gl.Clear(0.7f, 0.7f, 0.69f, 1);
  kit.Draw(false, false);
  auto changed_near = [&](float cx) {
    int x = int(WebcamWindowMapping::WebcamXToWindowX(cx)), y = int(WebcamWindowMapping::WebcamYToWindowY(119));
    return gl.CountDiffering(x - 10, y - 10, x + 10, y + 10, {178, 178, 176, 255}, 12);
  };
  EXPECT_EQ((std::vector<bool>{changed_near(80) > 0, changed_near(160) > 0, changed_near(240) > 50}),
            (std::vector<bool>{false, false, true}));
}

TEST(MarkerDrawing, MarkersAndFootLine) {
  skyt_test::GlContext gl(960, 720);
  window_services.reshape(960, 720);
  WebcamWindowMapping::CenterWebcam(960, 720);
  gl.Clear(1, 1, 1, 1);
  Drummer d;
  d.right_hand.Update(skyt_test::Blob(200, 100, 4), true);
  d.left_foot.Update(skyt_test::Blob(80, 220, 5), true);
  skyt_test::GlStateSnapshot before;
  graphics_mode = 3;
  d.RenderProperties(960, 720, nullptr);
  d.RenderMocapMarkers(2, 0, true);
  d.RenderMocapMarkers(2, 0, false);
  graphics_mode = 0;
  EXPECT_TRUE(before == skyt_test::GlStateSnapshot());
  EXPECT_EQ(skyt_test::DiffersFromKeptPicture(gl, "kit/markers-simplified"), "");
  auto at = [&](float cx, float cy) {
    return gl.Pixel(int(WebcamWindowMapping::WebcamXToWindowX(cx)), int(WebcamWindowMapping::WebcamYToWindowY(239 - cy)));
  };
  std::array<int, 4> rh = at(200, 100), lf = at(80, 220);
  EXPECT_GT(rh[0], 200);  // magenta
  EXPECT_LT(rh[1], 60);
  EXPECT_GT(lf[0], 200);  // orange
  EXPECT_LT(lf[2], 60);
  EXPECT_EQ(at(120, 60), (std::array<int, 4>{255, 255, 255, 255}));  // the absent left hand
  // The dashed foot line crosses the window at the labeller's foot line.
  int y = int(WebcamWindowMapping::WebcamYToWindowY(239 - d.labeler.FootLine()));
  EXPECT_GT(gl.CountDiffering(0, y - 2, 960, y + 3, {255, 255, 255, 255}, 10), 200);

  // Each marker in view carries its label in dark letters to its right; the absent one none.
  d.right_foot.Update(skyt_test::Blob(240, 220, 5), true);
  std::unique_ptr<Font> font(skyt_test::MakeLanguageFont(24));
  ASSERT_NE(font, nullptr);
  gl.Clear(1, 1, 1, 1);
  d.RenderMocapMarkerLabels(960, 720, font.get());
  const struct {
    float cx, cy;
    bool labelled;
  } labels[] = {{200, 100, true}, {80, 220, true}, {240, 220, true}, {120, 60, false}};
  for (const auto& l : labels) {
    const int lx = int(WebcamWindowMapping::WebcamXToWindowX(l.cx));
    const int ly = int(WebcamWindowMapping::WebcamYToWindowY(239 - l.cy));
    EXPECT_EQ(gl.CountDiffering(lx, ly - 30, lx + 60, ly + 10, {255, 255, 255, 255}, 100) > 20, l.labelled) << l.cx;
  }
}

TEST(MenuDrawing, ButtonsSlidersAndMessages) {
  std::string dir = skyt_test::FreshDir("menu_drawing");
  skyt_test::ScopedChdir in(dir);
  std::filesystem::create_directories("data/fonts");
  std::filesystem::create_symlink("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "data/fonts/Ubuntu-R.ttf");
  skyt_test::GlContext gl(960, 720);
  window_services.reshape(960, 720);
  WebcamWindowMapping::CenterWebcam(960, 720);
  full_screen = false;
  DistanceMenu::Init(1080, 720);
  ASSERT_NE(DistanceMenu::m_message_windowed_font, nullptr);
  // Rebuilt (as after a change of language), both fonts keep the heights they were made for.
  ASSERT_NE(DistanceMenu::m_message_font, nullptr);
  const float heights[2] = {DistanceMenu::m_message_font->GetPixelSize(),
                            DistanceMenu::m_message_windowed_font->GetPixelSize()};
  EXPECT_GT(heights[0], heights[1]);
  DistanceMenu::ReInit();
  ASSERT_NE(DistanceMenu::m_message_font, nullptr);
  ASSERT_NE(DistanceMenu::m_message_windowed_font, nullptr);
  EXPECT_EQ(DistanceMenu::m_message_font->GetPixelSize(), heights[0]);
  EXPECT_EQ(DistanceMenu::m_message_windowed_font->GetPixelSize(), heights[1]);
  DistanceMenu::ResetButtonActivation();
  DistanceMenu::ClearMessages();
  DistanceMenu menu;
  menu.buttons.push_back({102, "Done", 120, 140, 22, false, false});
  menu.buttons.push_back({146, "Save|changes", 170, 140, 22, false, false});
  menu.buttons.push_back({101, "Next", 220, 140, 22, false, true});
  menu.buttons.push_back({103, "Menu", 170, 200, 22, true, false});
  menu.sliders.push_back({104, "Volume|", 1, 98, 60, 144, 30, 72.0f, 100, 0, false});
  menu.dominant_active = 102;
  DistanceMenu::m_how_many_frames_non_dominant_active = 30;
  DistanceMenu::AddMessage("Hit 'Done' when you are ready", 1, 2, 2000, false, false);
  DistanceMenu::AddMessage("Bad lighting suspected", 2, 3, 2000, false, false);
  gl.Clear(0.55f, 0.55f, 0.53f, 1);
  skyt_test::GlStateSnapshot before;
  menu.Render(true, 125);
  menu.Render(false, 125);
  EXPECT_TRUE(before == skyt_test::GlStateSnapshot());
  ASSERT_TRUE(gl.SavePng(skyt_test::BuildDir() + "/drumming_menu.png"));
  EXPECT_EQ(skyt_test::DiffersFromKeptPicture(gl, "kit/menu-with-messages"), "");
  auto changed = [&](float cx, float cy) {
    int x = int(WebcamWindowMapping::WebcamXToWindowX(cx)), y = int(WebcamWindowMapping::WebcamYToWindowY(239 - cy));
    return gl.CountDiffering(x - 15, y - 15, x + 15, y + 15, {140, 140, 135, 255}, 10);
  };
  EXPECT_GT(changed(120, 140), 300);
  EXPECT_GT(changed(170, 75), 300);  // the slider
  EXPECT_GT(gl.CountDiffering(300, 640, 660, 700, {140, 140, 135, 255}, 10), 100);  // the first message line
  // Each message stands on its plate, as wide as its text and centred in the window, which
  // reaches out past the text's left end.
  const char* message = "Hit 'Done' when you are ready";
  const DistanceMenu::Plate plate = DistanceMenu::MessagePlate(1, message);
  EXPECT_FLOAT_EQ(plate.right - plate.left, DistanceMenu::m_message_windowed_font->GetWidth(message));
  EXPECT_FLOAT_EQ(plate.left + plate.right, 960.0f);
  const int left = int(plate.left), middle = int(0.5f * (plate.bottom + plate.top));
  EXPECT_EQ(gl.CountDiffering(left - 6, middle - 2, left - 2, middle + 2, {140, 140, 135, 255}, 10), 16);

  // A round button's label shrinks only until the farthest corner of its ink (each line's width
  // by 0.7 of the font's height, the lines a font's height apart) meets 0.9 of the radius.
  const Font& font = *DistanceMenu::m_message_windowed_font;
  const float fh = font.GetPixelSize();
  const struct { std::vector<std::string> lines; float r; bool shrinks; } labels[] = {
      {{"Done"}, 100, false}, {{"Done"}, 10, true}, {{"Save", "changes"}, 20, true},
      {{"Volume", "&", "sensitivity"}, 30, true}};
  for (const auto& l : labels) {
    const size_t n = l.lines.size();
    float corner = 0;
    for (size_t i = 0; i < n; ++i) {
      const float middle = std::fabs(float(i) - float(n - 1) / 2) * fh;
      corner = std::max(corner, std::hypot(font.GetWidth(l.lines[i].c_str()) / 2, middle + 0.35f * fh));
    }
    const float scale = DistanceMenu::LabelScale(font, l.lines, l.r);
    EXPECT_EQ(scale < 1.0f, l.shrinks) << l.lines[0] << " " << l.r;
    if (l.shrinks) {
      EXPECT_FLOAT_EQ(scale * corner, 0.9f * l.r) << l.lines[0] << " " << l.r;
    } else {
      EXPECT_LE(corner, 0.9f * l.r) << l.lines[0];
    }
  }

  // A drum without samples is labelled in red, centred half a line below the drum's point, on
  // a black backdrop (the text printed at every one-pixel offset).
  gl.Clear(1, 1, 1, 1);
  glColor4f(0, 0, 1, 1);  // the caller's colour does not show
  PrintMissing(480, 360);
  struct Box { int left = 960, right = -1, bottom = 720, top = -1; } ink, red;
  int blue = 0;
  for (int y = 300; y < 400; ++y)
    for (int x = 380; x < 580; ++x) {
      const auto p = gl.Pixel(x, y);
      blue += p[2] > 200 && p[0] < 60;
      for (Box* b : {&ink, &red}) {
        if (b == &red && !(p[0] > 200 && p[1] < 60)) continue;
        if (b == &ink && p == std::array<int, 4>{255, 255, 255, 255}) continue;
        b->left = std::min(b->left, x), b->right = std::max(b->right, x);
        b->bottom = std::min(b->bottom, y), b->top = std::max(b->top, y);
      }
    }
  EXPECT_NEAR((ink.left + ink.right) / 2.0, 480, 2);
  EXPECT_NEAR(ink.bottom, 360 - DistanceMenu::m_message_font->GetPixelSize() / 2, 3);
  // Seen through the red's soft edges: one pixel at the sides, two below, three above.
  EXPECT_EQ((std::vector<int>{red.left - ink.left, ink.right - red.right, red.bottom - ink.bottom, ink.top - red.top}),
            (std::vector<int>{1, 1, 2, 3}));
  EXPECT_EQ(blue, 0);
  DistanceMenu::CleanUp();
  EXPECT_EQ(DistanceMenu::m_message_font, nullptr);
}

// No loader thread runs in this test program, so a queued sample stays queued.
// In the markers-only mode a button shows only its activation: nothing before it starts, a
// sweep from its top clockwise while it grows, the whole disc at 0.6 opacity once it completes.
TEST(MenuDrawing, MarkersOnlyButtonsShowTheirActivation) {
  skyt_test::GlContext gl(960, 720);
  window_services.reshape(960, 720);
  WebcamWindowMapping::CenterWebcam(960, 720);
  DistanceMenu menu;
  menu.buttons.push_back({102, "Done", 160, 120, 30, false, false});
  const float cx = WebcamWindowMapping::WebcamXToWindowX(160), cy = WebcamWindowMapping::WebcamYToWindowY(119);
  const float r = WebcamWindowMapping::WebcamWidthToWindowWidth(30);
  const struct { int dominant, other; bool right, left; int centre; } cases[] = {
      {0, 0, false, false, 0}, {32, 0, true, false, -1}, {0, 63, true, true, 153}, {63, 10, true, true, 153}};
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  for (const auto& c : cases) {
    gl.Clear(0, 0, 0, 1);
    DistanceMenu::m_how_many_frames_dominant_active = c.dominant;
    DistanceMenu::m_how_many_frames_non_dominant_active = c.other;
    menu.RenderMocapMarkersOnly();
    auto lit = [&](float dx) { return gl.Pixel(int(cx + dx * r), int(cy))[0] > 40; };
    EXPECT_EQ((std::vector<bool>{lit(0.6f), lit(-0.6f), lit(1.1f), lit(-1.1f)}),
              (std::vector<bool>{c.right, c.left, false, false}))
        << c.dominant << " " << c.other;
    if (c.centre >= 0) {
      EXPECT_NEAR(gl.Pixel(int(cx), int(cy))[0], c.centre, 3) << c.dominant << " " << c.other;
    }
  }
  glDisable(GL_BLEND);
  DistanceMenu::m_how_many_frames_dominant_active = DistanceMenu::m_how_many_frames_non_dominant_active = 0;
}

// The volume-map plot clears the window and draws the drum's hand map in black, the speeds
// scaled to the fastest sample of every drum; a drum outside the kit leaves the window as it is.
TEST(KitDrawing, VolumeMapPlotsTheDrumAgainstTheFastestDrum) {
  skyt_test::GlContext gl(264, 100);
  Drumkit kit;
  kit.drums.resize(2);
  std::vector<std::pair<float, float>> slow{{10, 0.05f}, {50, 0.25f}, {100, 0.5f}},
      fast{{20, 0.05f}, {100, 0.25f}, {200, 0.5f}};
  kit.drums[0].hand_map.SetVolume(slow);
  kit.drums[1].hand_map.SetVolume(fast);
  // Samples reach 1.2 times the last point's speed; the view spans -0.05 to 1.05 of the fastest.
  const struct { int drum; int right; } cases[] = {{0, 132}, {1, 252}, {2, -1}, {-1, -1}};
  // The caller's matrices and matrix mode come back as they were.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glScalef(0.5f, 0.25f, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(3, 4, 0);
  float projection[16], modelview[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  for (const auto& c : cases) {
    gl.Clear(0, 0, 1, 1);
    glClearColor(1, 1, 1, 1);
    kit.DrawVolumeMap(c.drum);
    float after_projection[16], after_modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, after_projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, after_modelview);
    EXPECT_TRUE(std::equal(projection, projection + 16, after_projection)) << c.drum;
    EXPECT_TRUE(std::equal(modelview, modelview + 16, after_modelview)) << c.drum;
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW) << c.drum;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << c.drum;
    int right = -1, blue = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 264; ++x) {
        const auto p = gl.Pixel(x, y);
        if (p[0] < 60 && p[2] < 60) right = std::max(right, x);
        blue += p[0] < 60 && p[2] > 200;
      }
    EXPECT_NEAR(right, c.right, 2) << c.drum;
    EXPECT_EQ(blue, c.right < 0 ? 264 * 100 : 0) << c.drum;
  }
}

TEST(ProgressDrawing, SamplesLoadedShowsWhileSamplesWaitForTheLoaders) {
  skyt_test::ScopedChdir in(skyt_test::FreshDir("samples_progress"));
  {
    // Frames, stored head, head bytes, the head (one of the two frames), rest offset.
    const uint32_t fields[] = {2, 0xFFFFFFFFu, 4, 0, 0};
    std::ofstream("half.ele", std::ios::binary).write(reinterpret_cast<const char*>(fields), sizeof fields);
  }
  Audio::Sound half;
  std::ifstream file("half.ele", std::ios::binary);
  sound.audio.LoadRaw(half, "half.ele", file, 8);
  skyt_test::GlContext gl;
  imgui.tracing = true;
  const struct { bool queued; bool shown; } rows[] = {{true, true}, {false, false}};
  for (const auto& row : rows) {
    if (!row.queued) sound.audio.FreeSound(half);
    EXPECT_EQ(sound.audio.GetRawQueueSize(), row.queued ? 1 : 0);
    DrawSamplesProgress(0, true);
    imgui.trace.clear();
    DrawSamplesProgress(0, false);
    const bool shown = std::any_of(imgui.trace.begin(), imgui.trace.end(), [](const Imgui::TraceItem& t) {
      return t.label == GetUtf8(kTextSamplesLoaded);
    });
    EXPECT_EQ(shown, row.shown) << row.queued;
  }
  // The queue is looked at every tenth drawing from the latest start: a queue that empties after
  // a restart is seen at the tenth drawing, which is the last one to show the text.
  std::ifstream again("half.ele", std::ios::binary);
  sound.audio.LoadRaw(half, "half.ele", again, 8);
  DrawSamplesProgress(0, true);
  for (int i = 0; i < 3; ++i) DrawSamplesProgress(0, false);
  DrawSamplesProgress(0, true);
  sound.audio.FreeSound(half);
  std::vector<int> shown_at;
  for (int drawing = 1; drawing <= 12; ++drawing) {
    imgui.trace.clear();
    DrawSamplesProgress(0, false);
    if (!imgui.trace.empty()) shown_at.push_back(drawing);
  }
  EXPECT_EQ(shown_at, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  imgui.tracing = false;
}

// Each choke zone is drawn where strokes choke: its square, turned its own way, covers the
// points TestChokeZones puts in it, and nothing is drawn outside the zones; a zone scaled to
// nothing is off.
TEST(KitDrawing, ChokeZonesAreDrawnWhereStrokesChoke) {
  skyt_test::GlContext gl(960, 720);
  window_services.reshape(960, 720);
  WebcamWindowMapping::CenterWebcam(960, 720);
  Drumkit kit;
  kit.left_choke_distance = 90;
  kit.right_choke_distance = 110;
  Font* const fonts[2] = {DistanceMenu::m_message_font, DistanceMenu::m_message_windowed_font};
  DistanceMenu::m_message_font = DistanceMenu::m_message_windowed_font = nullptr;  // the squares alone
  const std::pair<float, float> scales[] = {{0.75f, 1.0f}, {1.0f, 0.0f}};
  for (const auto& [left_scale, right_scale] : scales) {
    kit.left_choke_scale = left_scale;
    kit.right_choke_scale = right_scale;
    gl.Clear(0.7f, 0.7f, 0.69f, 1);
    kit.DrawChokeZones(false, true);
    const auto zones = [&](float x, float y) {
      std::pair<bool, bool> in;
      kit.TestChokeZones(in.first, in.second, x, y);
      return in;
    };
    // Points two rows and columns clear of every zone edge, in camera pixels counted up from the
    // bottom row.
    int in_left = 0, in_right = 0, wrong = 0;
    std::string first_wrong;
    for (float y = 2; y < 238; y += 4)
      for (float x = 2; x < 318; x += 4) {
        const int wx = int(WebcamWindowMapping::WebcamXToWindowX(x));
        if (wx < 0 || wx >= gl.width()) continue;  // the picture is wider than the window
        const auto here = zones(x, y);
        if (here != zones(x - 2, y - 2) || here != zones(x + 2, y - 2) || here != zones(x - 2, y + 2) ||
            here != zones(x + 2, y + 2))
          continue;
        in_left += here.first;
        in_right += here.second;
        const std::array<int, 4> p = gl.Pixel(wx, int(WebcamWindowMapping::WebcamYToWindowY(y)));
        const bool drawn = std::abs(p[0] - 178) > 10;
        if (drawn != (here.first || here.second) && wrong++ == 0)
          first_wrong = std::to_string(x) + ", " + std::to_string(y);
      }
    EXPECT_EQ(wrong, 0) << "first at " << first_wrong << " with the left scale " << left_scale;
    EXPECT_GT(in_left, 30);
    EXPECT_EQ(in_right > in_left, right_scale > left_scale) << right_scale;  // the larger square
  }
  DistanceMenu::m_message_font = fonts[0];
  DistanceMenu::m_message_windowed_font = fonts[1];
}
