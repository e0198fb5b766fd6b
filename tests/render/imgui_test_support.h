// A widget GUI with a real font over an offscreen context, driven by scripted input.
#pragma once
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <memory>

#include "render/font.h"
#include "render/imgui.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/scripted_input.h"

namespace skyt_test {

inline constexpr const char* kTestFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class ImguiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gl = std::make_unique<GlContext>();
    font = std::make_unique<Font>();
    ASSERT_TRUE(font->Init(kTestFontPath, 16, FontRanges(), 0));
    input = std::make_unique<ScriptedInput>(gui);
    Imgui::InitParams p;
    p.font = font.get();
    p.font_height = 16;
    p.scroll_bar_width = 10;
    p.margin = 10;
    p.widget_width = 140;
    p.widget_height = 32;
    p.gap = 9;
    gui.Init(p);
  }
  void TearDown() override {
    input.reset();
    glFinish();  // OSMesa must not be destroyed with drawing still queued
  }
  virtual const unsigned short* FontRanges() const { return nullptr; }

  void Frame(const std::function<void()>& widgets) { input->Frame(widgets); }

  std::unique_ptr<GlContext> gl;
  std::unique_ptr<Font> font;
  Imgui gui;
  std::unique_ptr<ScriptedInput> input;
};

}  // namespace skyt_test
