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
    gui.Init(Imgui::InitParams::ProgramLayout(font.get(), 16));
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
