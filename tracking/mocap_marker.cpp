// One tracked marker: history, velocity, prediction and the stroke detector.
#include "tracking/mocap_marker.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "frame/frame_globals.h"
#include "frame/host_clock.h"

int32_t MocapMarker::m_down_frames_needed = 5;
int32_t MocapMarker::m_down_frames_needed_place = 5;
int32_t MocapMarker::m_up_frames_needed = 0;
float MocapMarker::m_size_speed_coefficient = 0.0f;
float MocapMarker::m_max_y_deceleration_coefficient = 1.0f;
float MocapMarker::m_max_y_speed_for_deceleration_coefficient = 4.0f;
bool MocapMarker::m_logging = false;
FILE* MocapMarker::m_file = nullptr;

namespace {
constexpr float kFrameTime = 1.0f / kFramesPerSecond;  // seconds

// The stroke detector's tuned numbers.
constexpr int kDescentWindow = 6;            // samples that measure a descent: the newest and five before
constexpr float kSlowDescent = 4.0f;         // pixels a frame; see ExpectedRow
constexpr float kGuessedThreshold = 177.0f;  // pixels a second: the threshold for an unreliable position
constexpr float kFootSlope = 1.0f;           // a foot stroke moves sideways at most as far as down
constexpr float kTurnPixels = 0.1f;          // a smaller move against the direction is noise, not a turn
}  // namespace

// The last frames of a descent, up to kDescentWindow samples (newest first): their number and
// the mean movement per frame from the oldest of them to the one before the newest (0 with
// fewer than three).
struct MocapMarker::Descent {
  int samples = 0;
  float vx = 0;
  float vy = 0;
};

void MocapMarker::Update(const Webcam::Blob& blob, bool reliable) {
  m_reliable = reliable ? 1 : 0;
  m_history.push_front({blob.x, blob.y, blob.radius});
  const int n = m_history.size();
  const Position& p0 = m_history[0];
  m_velocity = {};
  m_acceleration = {};
  if (n >= 2) {
    const Position& p1 = m_history[1];
    m_velocity = {p0.x - p1.x, p0.y - p1.y, p0.radius - p1.radius};
    if (n >= 3) {
      const Position& p2 = m_history[2];
      m_acceleration = {m_velocity.x - (p1.x - p2.x), m_velocity.y - (p1.y - p2.y),
                        m_velocity.radius - (p1.radius - p2.radius)};
    }
  }
  m_predicted = {p0.x + m_velocity.x + m_acceleration.x * 0.5f,
                 p0.y + m_velocity.y + m_acceleration.y * 0.5f,
                 p0.radius + m_velocity.radius + m_acceleration.radius * 0.5f};
}

void MocapMarker::Update() { m_history.clear(); }

float MocapMarker::DistanceToBlob(const Webcam::Blob& b, float k, bool usePredicted) const {
  const Position& p = usePredicted ? m_predicted : m_history.front();
  const float dx = b.x - p.x, dy = b.y - p.y, dr = b.radius - p.radius;
  return std::sqrt(dx * dx + dy * dy + k * dr * dr);
}

float MocapMarker::AccelerationIfBlob(const Webcam::Blob& b, float k) const {
  const Position& p0 = m_history[0];
  if (m_history.size() >= 2) {
    const Position& p1 = m_history[1];
    const float ex = (b.x - p0.x) - (p0.x - p1.x);
    const float ey = (b.y - p0.y) - (p0.y - p1.y);
    const float er = (b.radius - p0.radius) - (p0.radius - p1.radius);
    return std::sqrt(ex * ex + ey * ey + k * er * er);
  }
  const float dx = b.x - p0.x, dy = b.y - p0.y, dr = b.radius - p0.radius;
  return std::sqrt(dx * dx + dy * dy + k * dr * dr);
}

float MocapMarker::ComputeSpeed(const Position& a, const Position& b, int frames) {
  const float dx = a.x - b.x, dy = a.y - b.y;
  const float dr = m_size_speed_coefficient * std::fabs(a.radius - b.radius);
  return std::sqrt(dx * dx + dy * dy + dr * dr) / (float(frames) * kFrameTime);
}

float MocapMarker::ComputeSpeedFoot(const Position& a, const Position& b, int frames) {
  return std::fabs(a.y - b.y) / (float(frames) * kFrameTime);
}

float MocapMarker::StableRadius(int start, int count) const {
  const int n = std::min(m_history.size() - start, count);
  if (n < 1 || start < 0) return std::numeric_limits<float>::quiet_NaN();
  if (n == 1) return m_history[start].radius;
  float sw = 0, swr = 0;
  for (int i = 0; i < n; ++i) {
    const float u = 1.0f - float(i) / float(n - 1);
    const float w = 3.0f * u * u - 2.0f * u * u * u;
    sw += w;
    swr += w * m_history[start + i].radius;
  }
  return swr / sw;
}

// A stroke is a marker moving down for a few frames and then braking: the frame on which it
// stops short of where its descent would have carried it is the hit, and the stroke's speed is
// the fastest movement of the descent. The detector follows the marker's direction frame by
// frame, counting the frames of each descent and rise; a long enough descent is tested on its
// braking frame, and the test ends the descent whether the stroke fired or not.
bool MocapMarker::DetectHit(float threshold, float& speed, float& hitY, bool foot, float scale,
                            bool placing) {
  // 1. Lost, or just found: no movement to follow yet.
  if (m_history.size() < 2) {
    m_ascending = 0;
    m_down_count = 0;
    m_up_count = 0;
    hitY = -1.0f;
    return false;
  }
  // 2. A descent long enough: hitY is the row the marker would reach if it went on; a newest
  // sample at or above it brakes, and the stroke is tested (the marker then rises).
  if (!m_ascending && StrokeDue(placing)) {
    const Descent descent = MeasureDescent();
    hitY = ExpectedRow(descent);
    if (m_history[0].y <= hitY && Strike(descent, threshold, speed, foot, scale)) return true;
  }
  // 3. Otherwise one more frame of the marker's direction, or a turn.
  FollowDirection();
  return false;
}

bool MocapMarker::StrokeDue(bool placing) const {
  const int need = placing ? m_down_frames_needed_place : m_down_frames_needed;
  return m_down_count >= need && m_previous_up_count >= m_up_frames_needed;
}

MocapMarker::Descent MocapMarker::MeasureDescent() const {
  Descent d;
  d.samples = std::min({m_history.size(), kDescentWindow, m_down_count});
  const int k = d.samples;
  if (k >= 3) {
    d.vy = (m_history[1].y - m_history[k - 1].y) / float(k - 2);
    d.vx = (m_history[1].x - m_history[k - 1].x) / float(k - 2);
  }
  return d;
}

float MocapMarker::ExpectedRow(const Descent& descent) const {
  const float vy = descent.vy;
  // The step the descent is expected to go on by; below kSlowDescent it shrinks with the
  // speed, so that a slow drift counts as braking only when it nearly stops.
  float c = m_max_y_deceleration_coefficient;
  if (std::fabs(vy) <= kSlowDescent) c = c * std::fabs(vy) / m_max_y_speed_for_deceleration_coefficient;
  return m_history[1].y + vy * c;
}

bool MocapMarker::Strike(const Descent& descent, float threshold, float& speed, bool foot, float scale) {
  // The speed: the fastest movement from the window's oldest sample to any newer one.
  const int k = descent.samples;
  float s = 0;
  for (int i = 0; i <= k - 2; ++i) {
    const float v = foot ? ComputeSpeedFoot(m_history[i], m_history[k - 1], k - 1 - i)
                         : ComputeSpeed(m_history[i], m_history[k - 1], k - 1 - i);
    s = std::max(s, v);
  }
  speed = s * scale;
  // A position guessed while the hands were merged counts only for a clearly hard stroke.
  if (!m_reliable) threshold = kGuessedThreshold;
  // The descent ends here, fired or not; the braking frame is the first of the rise.
  m_down_count = 0;
  m_previous_up_count = 0;
  m_ascending = 1;
  m_up_count = 0;
  // A foot stroke must be mostly vertical (and never fires without movement).
  const bool vertical =
      !foot || (descent.vy != 0.0f && std::fabs(descent.vx) / std::fabs(descent.vy) <= kFootSlope);
  if (vertical && speed > threshold) {
    m_up_count = 1;
    return true;
  }
  return false;
}

void MocapMarker::FollowDirection() {
  const Position& p0 = m_history[0];
  const Position& p1 = m_history[1];
  if (!m_ascending && p0.y > p1.y - kTurnPixels) {
    ++m_down_count;
    return;
  }
  if (m_ascending && p0.y < p1.y + kTurnPixels) {
    ++m_up_count;
    return;
  }
  // The turn: a rise counts from this frame; a descent starts at the top sample and keeps the
  // length of the rise before it.
  m_ascending = p0.y < p1.y ? 1 : 0;
  if (m_ascending) {
    m_down_count = 0;
    m_up_count = 1;
    return;
  }
  m_stroke_top = p1;
  m_down_count = 1;
  m_previous_up_count = m_up_count;
  m_up_count = 0;
}

void MocapMarker::SetLastDrumHit(int drum) {
  m_last_drum_hit = drum;
  if (!m_history.empty()) {
    const int j = std::max(0, std::min(m_down_frames_needed, m_history.size() - 1));
    m_hit_x = m_history[j].x;
    m_hit_y = m_history[j].y;
  }
  m_hit_time = HostTimeNanos();
}

namespace {

void Ellipse(GLenum mode, float cx, float cy, float rx, float ry) {
  glBegin(mode);
  if (mode == GL_TRIANGLE_FAN) glVertex2f(cx, cy);
  for (float a = 0.0f; a < 6.28318f; a += 0.19634938f)
    glVertex2f(cx + rx * std::cos(a), cy + ry * std::sin(a));
  if (mode == GL_TRIANGLE_FAN) glVertex2f(cx + rx, cy);
  glEnd();
}

}  // namespace

void MocapMarker::Render(int outline, int, bool outlined, float scale, const float* colour) const {
  if (m_history.empty()) return;
  const Position& p = m_history.front();
  const float cx = Webcam::WebcamXToWindowX(p.x);
  const float cy = Webcam::WebcamYToWindowY(239.0f - p.y);
  const float rw = Webcam::WebcamWidthToWindowWidth(p.radius) * scale;
  const float rh = Webcam::WebcamHeightToWindowHeight(p.radius) * scale;
  if (!outlined) {
    Ellipse(GL_TRIANGLE_FAN, cx, cy, rw, rh);
    return;
  }
  const float ro = rw + float(outline) / 240.0f;
  glColor4f(0, 0, 0, 1);
  Ellipse(GL_TRIANGLE_FAN, cx, cy, ro, ro);
  Ellipse(GL_LINE_LOOP, cx, cy, ro, ro);
  if (colour)
    glColor4fv(colour);
  else
    glColor4f(1.0f, 0.995f, 0.995f, 1.0f);
  Ellipse(GL_TRIANGLE_FAN, cx, cy, rw, rw);
  glColor4f(0, 0, 0, 1);
  Ellipse(GL_LINE_LOOP, cx, cy, rw, rw);
}

float MocapMarker::DistanceToMocapMarker(const MocapMarker& other, float k) const {
  const float dx = m_predicted.x - other.m_predicted.x, dy = m_predicted.y - other.m_predicted.y,
              dr = m_predicted.radius - other.m_predicted.radius;
  return std::sqrt(dx * dx + dy * dy + k * dr * dr);
}

float MocapMarker::RadiusEstimateBeforeMerge(int start, int count) const {
  const int n = std::min(m_history.size() - start, count);
  if (n < 1 || start < 0) return std::numeric_limits<float>::quiet_NaN();
  float s = 0;
  for (int i = 0; i < n; ++i) s += m_history[start + i].radius;
  return s / float(n);
}

float MocapMarker::RadiusRateOfChangeBeforeMerge() const {
  const int n = std::min(m_history.size(), 7);
  if (n < 2) return 0.0f;
  float sw = 0, s = 0;
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) {
      // The pair's rate of change weighted by its distance in frames.
      const float w = float(j - i);
      s += m_history[i].radius - m_history[j].radius;
      sw += w;
    }
  return s / sw;
}

float MocapMarker::DirectionAngle() const {
  if (m_history.size() < 3) return -1.0f;
  return std::atan2(m_history[0].y - m_history[2].y, m_history[0].x - m_history[2].x);
}

void MocapMarker::GetHalfPlane(const MocapMarker& other, float& a, float& b) const {
  const float dx = m_velocity.x - other.m_velocity.x, dy = m_velocity.y - other.m_velocity.y;
  const float l2 = dx * dx + dy * dy;
  if (l2 <= 1e-5f) {
    a = b = 0;
    return;
  }
  a = dx / l2;
  b = dy / l2;
}

bool MocapMarker::LocalMinimum(float& y) const {
  if (m_history.size() < 8) return false;
  const float y3 = m_history[3].y;
  if (!(y3 > m_history[7].y && y3 > m_history[0].y - 0.2f)) return false;
  y = 0;
  for (int i = 0; i <= 4; ++i) y = std::max(y, m_history[i].y);
  return true;
}

void MocapMarker::ToggleLogging() {
  if (!m_logging) {
    m_file = fopen("marker.log", "wt");
    if (m_file) {
      printf("Now logging marker in marker.log\n");
      m_logging = true;
    } else {
      printf("Warning: could not open marker.log file\n");
    }
  } else {
    if (m_file) fclose(m_file);
    m_file = nullptr;
    m_logging = false;
  }
}
