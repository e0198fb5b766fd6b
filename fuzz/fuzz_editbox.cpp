// The widget GUI's edit box driven by fuzzed input through the scripted-input helper: typed
// keys and text, held caret keys, modifiers, composition, mouse, pasteboard and time, over any
// starting text (names read from files need not be valid UTF-8) in a buffer of exactly its size.
// A rewritten text must be valid UTF-8 within the box's limits.
#include <fuzzer/FuzzedDataProvider.h>

#include <memory>

#include "frame/utf8.h"
#include "fuzz/fuzz_common.h"
#include "render/font.h"
#include "render/imgui.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/scripted_input.h"

namespace {

constexpr int kBox = 1 << 16, kOther = 2 << 16;
constexpr int kX = 20, kY = 150, kW = 240, kH = 32;

skyt_test::GlContext* gl = nullptr;
Font* font = nullptr;
Imgui* gui = nullptr;

// Characters of valid UTF-8 text, or -1.
int Utf8Chars(const char* s) {
  int n = 0;
  const char* end = s + strlen(s);
  while (s < end) {
    unsigned int c;
    const int len = CharFromUtf8(&c, s, end);
    if (len <= 0) return -1;
    s += len;
    ++n;
  }
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::QuietStdout();
  gl = new skyt_test::GlContext(480, 200);
  font = new Font;
  if (!font->Init("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 16, nullptr, 0)) abort();
  gui = new Imgui;
  gui->Init(Imgui::InitParams::ProgramLayout(font, 16));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  skyt_test::ScriptedInput input(*gui);
  input.window_width = 480;
  input.window_height = 200;
  const size_t buffer_size = in.ConsumeIntegralInRange<size_t>(1, 96);
  const int max_chars = in.ConsumeIntegralInRange(-2, 80);
  const bool file_name = in.ConsumeBool();
  std::unique_ptr<char[]> text(new char[buffer_size]);
  const std::string start = in.ConsumeRandomLengthString(buffer_size - 1);
  memcpy(text.get(), start.c_str(), start.size() + 1);  // stops at an embedded NUL all the same

  auto frame = [&] {
    bool changed = false;
    input.Frame([&] {
      changed = gui->DoEditBox(kBox, kX, kY, kW, kH, text.get(), buffer_size, max_chars, file_name);
      static char other[8] = "x";
      gui->DoEditBox(kOther, kX, kY - 60, kW, kH, other, 2, file_name);
    });
    const size_t len = strnlen(text.get(), buffer_size);
    FUZZ_CHECK(len < buffer_size);
    if (changed) {
      const int chars = Utf8Chars(text.get());
      FUZZ_CHECK(chars >= 0);
      FUZZ_CHECK(chars <= std::max(max_chars, 0));
    }
    if (gui->edited_id == kBox) {
      FUZZ_CHECK(gui->caret >= 0 && gui->selection_start >= 0 && gui->selection_end >= 0);
    }
  };

  frame();
  int steps = 0;
  while (in.remaining_bytes() > 0 && steps++ < 24) {
    switch (in.ConsumeIntegralInRange(0, 11)) {
      case 0: input.Key(in.ConsumeIntegralInRange(0, 0xFFFF)); break;
      case 1: input.Key(in.ConsumeIntegralInRange(0, 32)); break;
      case 2: input.Text(in.ConsumeRandomLengthString(12)); break;
      case 3: input.Hold(in.ConsumeIntegralInRange(100, 108)); break;
      case 4: input.Let(in.ConsumeIntegralInRange(100, 108)); break;
      case 5: input.Modifiers(in.ConsumeIntegralInRange(0, 7)); break;
      case 6: input.Compose(in.ConsumeRandomLengthString(12)); break;
      case 7: input.MoveTo(in.ConsumeIntegralInRange(kX - 10, kX + kW + 10), in.ConsumeIntegralInRange(kY - 100, kY + 10)); break;
      case 8: input.Press(); break;
      case 9: input.Release(); break;
      case 10: input.clipboard = in.ConsumeRandomLengthString(40); break;
      case 11: input.now += in.ConsumeIntegralInRange(0, 2000); break;
    }
    frame();
  }
  input.Compose("");
  frame();
  return 0;
}
