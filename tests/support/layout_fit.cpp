#include "tests/support/layout_fit.h"

#include <sstream>

#include "frame/texts.h"
#include "render/font.h"

namespace skyt_test {

namespace {

struct Box {
  int left, bottom, right, top;
};

// A text reads as its own only with this many pixels between it and the widget beside, above or
// below it. Lines of one paragraph are set a font's height apart: their boxes touch.
constexpr int kTextGap = 4, kLinesTouch = -1;

// Whether two boxes come closer than gap_x side by side or gap_y one above the other (a negative
// gap lets them overlap by that much).
bool Closer(const Box& a, const Box& b, int gap_x, int gap_y) {
  return a.left < b.right + gap_x && b.left < a.right + gap_x && a.bottom < b.top + gap_y && b.bottom < a.top + gap_y;
}

// The box of the text a widget draws, if it draws one outside its own rectangle or none.
bool TextBox(const Imgui::TraceItem& t, Box& box) {
  if (t.kind == Imgui::TraceKind::TEXT && !t.label.empty()) {
    box = {t.x, t.y - t.h, t.x + t.text_w, t.y};
    return true;
  }
  if (t.kind == Imgui::TraceKind::CHECK_BOX && !t.label.empty()) {
    box = {t.x + 33, t.y - 24, t.x + 33 + t.text_w, t.y};
    return true;
  }
  return false;
}

Box WidgetBox(const Imgui::TraceItem& t) {
  if (t.kind == Imgui::TraceKind::CHECK_BOX) return {t.x, t.y - t.h, t.x + 33 + t.text_w, t.y};
  return {t.x, t.y - t.h, t.x + t.w, t.y};
}

std::string Quote(const Imgui::TraceItem& t) { return "\"" + t.label + "\""; }

}  // namespace

std::string InstalledFontFile() {
  const std::string path = GetFontPath();
  if (path.size() >= 24 && path.compare(path.size() - 24, 24, "SourceHanSans-Normal.ttf") == 0)
    return "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
  return "/usr/share/fonts/truetype/open-sans/OpenSans-Regular.ttf";
}

Font* MakeLanguageFont(float height) {
  auto* font = new Font;
  if (font->Init(InstalledFontFile().c_str(), height, GetGlyphRanges(), 0)) return font;
  delete font;
  return nullptr;
}

bool InstallLanguageFonts(Imgui& gui) {
  Font* font = MakeLanguageFont(GetFontHeight());
  if (!font) return false;
  gui.ReplaceFonts(font, nullptr);
  return true;
}

std::vector<std::string> LayoutProblems(const std::vector<Imgui::TraceItem>& trace, int width, int height) {
  std::vector<std::string> problems;
  for (size_t i = 0; i < trace.size(); ++i) {
    const Imgui::TraceItem& t = trace[i];
    if (t.cut) problems.push_back("cut: " + Quote(t));
    Box box;
    if (!TextBox(t, box)) continue;
    if (box.left < 0 || box.right > width || box.bottom < 0 || box.top > height) {
      std::ostringstream s;
      s << "outside the window: " << Quote(t) << " spans x " << box.left << ".." << box.right << ", y "
        << box.bottom << ".." << box.top;
      problems.push_back(s.str());
    }
    for (size_t j = 0; j < trace.size(); ++j) {
      if (j == i) continue;
      const Imgui::TraceItem& o = trace[j];
      Box other = WidgetBox(o);
      // Two texts are reported once.
      Box b;
      const bool text = TextBox(o, b);
      if (text && j < i) continue;
      if (Closer(box, other, kTextGap, text ? kLinesTouch : kTextGap))
        problems.push_back("touching another widget: " + Quote(t) + " and " + Quote(o));
    }
  }
  return problems;
}

}  // namespace skyt_test
