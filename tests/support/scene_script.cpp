// Scene scripts: text to one scene a frame.
#include "tests/support/scene_script.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace skyt_test {

namespace {

// The counting stick: rows of 32 frames, one pixel sideways a frame, turning at the ends of a
// row; always rising, a fifth of a pixel a frame and a pixel more at each turn, so that it
// never strikes and the frames of one column lie at least a pixel apart.
constexpr int kCountRow = 32, kCountRows = 12;
constexpr float kCountX = 30, kCountY = 115, kCountRise = 0.2f;

void Append(std::vector<Scene>& frames, const std::vector<Scene>& more) {
  frames.insert(frames.end(), more.begin(), more.end());
}

// The right stick along the path, the left one resting.
void AppendRightStick(std::vector<Scene>& frames, const std::vector<PathPoint>& path) {
  for (const PathPoint& p : path) frames.push_back({{40, 40, StrokeScript::kHandRadius}, {p.x, p.y, p.radius}});
}

// Appends the frames of one line; false when it does not read.
bool ParseLine(const std::string& line, std::vector<Scene>& frames) {
  std::istringstream in(line);
  std::string verb;
  if (!(in >> verb) || verb[0] == '#') return true;
  if (verb == "press") {
    float x, y, r;
    if (!(in >> x >> y >> r)) return false;
    Append(frames, StrokeScript::MenuStroke(x, y, r));
    return true;
  }
  if (verb == "strokes") {
    float x, y, r;
    int count, down;
    if (!(in >> x >> y >> r >> count >> down) || count < 1 || count > 1000 || down < 1 || down > 125) return false;
    AppendRightStick(frames, StrokePath(x, y, y - 40.0f, y, down, count, r));
    return true;
  }
  if (verb == "counted") {
    std::string strokes;
    std::getline(in, strokes);
    const size_t first = frames.size();
    if (!ParseLine("strokes" + strokes, frames)) return false;
    for (size_t i = first; i < frames.size(); ++i) frames[i][0] = CountingStick(int(i));
    return true;
  }
  if (verb == "strike") {
    float x, y, r, height;
    int down;
    if (!(in >> x >> y >> r >> height >> down) || height < 1 || height > 240 || down < 1 || down > 125) return false;
    AppendRightStick(frames, StrokePath(x, y, y - height, y, down, 1, r));
    return true;
  }
  if (verb == "tap") {
    float x;
    if (!(in >> x)) return false;
    Append(frames, StrokeScript::FootTap(x));
    return true;
  }
  if (verb == "drag") {
    float x, y, dx;
    int count, every;
    if (!(in >> x >> y >> dx >> count >> every) || count < 0 || count > 10000 || every < 1 || every > 125) return false;
    for (int step = 0; step <= count; ++step) {
      const Scene scene = {{40, 40, StrokeScript::kHandRadius}, {x + step * dx, y, StrokeScript::kHandRadius}};
      frames.insert(frames.end(), every, scene);
    }
    return true;
  }
  int count = 0;
  if (!(in >> count) || count < 0 || count > 125 * 600) return false;
  if (verb == "dark") {
    frames.insert(frames.end(), count, Scene());
  } else if (verb == "rest") {
    Append(frames, StrokeScript::Rest(count));
  } else if (verb == "hold") {
    Scene scene;
    for (SceneMarker m{}; in >> m.x >> m.y >> m.radius;) scene.push_back(m);
    if (scene.empty() || !in.eof()) return false;
    frames.insert(frames.end(), count, scene);
  } else {
    return false;
  }
  return true;
}

}  // namespace

SceneMarker CountingStick(int frame) {
  const int i = frame % (kCountRows * kCountRow), row = i / kCountRow, column = i % kCountRow;
  const int x = row % 2 ? kCountRow - 1 - column : column;
  return {kCountX + float(x), kCountY - kCountRise * float(i) - float(row), StrokeScript::kHandRadius};
}

int CountedFrame(float x, float y) {
  const int column = int(std::lround(x - kCountX));
  if (column < 0 || column >= kCountRow) return -1;
  for (int row = 0; row < kCountRows; ++row) {
    const int frame = row * kCountRow + (row % 2 ? kCountRow - 1 - column : column);
    if (std::fabs(CountingStick(frame).y - y) < 0.5f) return frame;
  }
  return -1;
}

std::vector<Scene> ParseSceneScript(const std::string& text) {
  std::vector<Scene> frames;
  std::istringstream lines(text);
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    if (!ParseLine(line, frames)) fprintf(stderr, "Warning: scene script line %d skipped: %s\n", number, line.c_str());
  }
  return frames;
}

}  // namespace skyt_test
