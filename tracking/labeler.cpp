// Which blob is which marker.
#include "tracking/labeler.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "frame/host_clock.h"
#include "tracking/camera_geometry.h"

const float* Labeler::m_convex_hull = nullptr;
int32_t Labeler::m_convex_hull_size = 0;
bool Labeler::m_show_hull = false;
bool Labeler::m_update_hull = true;

namespace {

constexpr float kPi = 3.14159f;

// The labeller's tuned numbers.
constexpr float kHandJump = 128.0f;   // pixels: farther than a tracked hand moves in a frame
constexpr float kRadiusMargin = 0.4f;  // radius costs closer than this do not tell the hands apart
constexpr float kMeetingRadii = 3.0f;  // predicted paths this many radii (summed) apart are meeting

bool Present(const MocapMarker& m) { return m.WasPresent() == 1; }

void Pop(Webcam* webcam) {
  if (webcam) webcam->RecordMocapMarkerPop();
}

// Blob 1 for the right hand when that pairing accelerates the hands less (ties too).
bool RightTakesSecond(const MocapMarker& rh, const MocapMarker& lh, const Webcam::Blob* two,
                      float k) {
  return rh.AccelerationIfBlob(two[1], k) + lh.AccelerationIfBlob(two[0], k) <=
         rh.AccelerationIfBlob(two[0], k) + lh.AccelerationIfBlob(two[1], k);
}

float Distance2(const MocapMarker::Position& p, const Webcam::Blob& b) {
  const float dx = b.x - p.x, dy = b.y - p.y;
  return dx * dx + dy * dy;
}

// The frame's one hand blob goes to `to`; `other` goes on without one.
void GiveBlob(const Webcam::Blob& blob, MocapMarker& to, MocapMarker& other) {
  to.Update(blob, true);
  other.Update();
}

// A blob for a group of at most two (feet or hands). A third one makes the group keep two and
// hand its odd one out, the highest of three feet (odd_highest) or the lowest of three hands,
// to the other group as that group's only blob.
void JoinGroup(const Webcam::Blob& b, bool odd_highest, Webcam::Blob* group, int& n, Webcam::Blob* other,
          int& other_n) {
  if (n < 2) {
    group[n++] = b;
    return;
  }
  Webcam::Blob three[3] = {group[0], group[1], b};
  int odd = 0;
  for (int k = 1; k < 3; ++k)
    if (odd_highest ? three[k].y < three[odd].y : three[k].y > three[odd].y) odd = k;
  int w = 0;
  for (int k = 0; k < 3; ++k)
    if (k != odd) group[w++] = three[k];
  other[0] = three[odd];
  other_n = 1;
}

}  // namespace

void Labeler::Init(Webcam& webcam, const IniFile&) { m_webcam = &webcam; }

void Labeler::MergeHandler::Predict(const MocapMarker& rh, const MocapMarker& lh) {
  right.fill({});
  left.fill({});
  first_close_step = 0;
  close_steps = 0;
  if (!Present(rh) || !Present(lh)) return;
  const MocapMarker::Position& r0 = *rh.GetLastPosition();
  const MocapMarker::Position& l0 = *lh.GetLastPosition();
  for (int t = 1; t <= 8; ++t) {
    const float tt = float(t), h = 0.5f * tt * tt;
    MocapMarker::Position& r = right[t - 1];
    MocapMarker::Position& l = left[t - 1];
    r = {r0.x + rh.m_velocity.x * tt + rh.m_acceleration.x * h,
         r0.y + rh.m_velocity.y * tt + rh.m_acceleration.y * h, r0.radius};
    l = {l0.x + lh.m_velocity.x * tt + lh.m_acceleration.x * h,
         l0.y + lh.m_velocity.y * tt + lh.m_acceleration.y * h, l0.radius};
    const float dx = r.x - l.x, dy = r.y - l.y;
    if (kMeetingRadii * (r.radius + l.radius) >= std::sqrt(dx * dx + dy * dy)) {
      if (!first_close_step) first_close_step = t;
      ++close_steps;
    }
  }
}

bool Labeler::Label(Webcam::Blob* blobs, int n, bool leftHanded, float, MocapMarker& RH,
                    MocapMarker& LH, MocapMarker& RF, MocapMarker& LF) {
  // 1. The blobs whose radius is a number, at most four.
  Webcam::Blob list[4];
  int m = 0;
  for (int i = 0; i < n && m < 4; ++i)
    if (blobs[i].radius * blobs[i].radius * kPi >= 0) list[m++] = blobs[i];
  // 2. Unless merged already, whether the hands' paths are about to meet.
  if (!m_merge_active) m_merge_handler.Predict(RH, LH);
  // 3. Four blobs are both hands and both feet; fewer are split at the foot line.
  if (m == 4) {
    LabelFourBlobs(list, RH, LH, RF, LF, leftHanded);
  } else if (m < 1) {
    LoseHands(RH, LH);
    RF.Update();
    LF.Update();
  } else {
    LabelByFootLine(list, m, RH, LH, RF, LF, leftHanded);
  }
  // 4. Hands that struck one drum from the wrong sides change places.
  SameDrumCheck(RH, LH, leftHanded);
  return true;
}

void Labeler::LabelFourBlobs(Webcam::Blob* list, MocapMarker& RH, MocapMarker& LH, MocapMarker& RF,
                             MocapMarker& LF, bool leftHanded) {
  // Top to bottom, keeping the finder's order on ties; by hand, as std::stable_sort takes a
  // buffer from the heap on every frame.
  for (int i = 1; i < 4; ++i)
    for (int j = i; j > 0 && list[j].y < list[j - 1].y; --j) std::swap(list[j], list[j - 1]);
  LabelHands(2, list, RH, LH, leftHanded);
  Webcam::Blob& a = list[2];
  Webcam::Blob& b = list[3];
  bool a_right;
  if (a.x != b.x)
    a_right = a.x > b.x;
  else
    a_right = a.y <= b.y;  // equal x: the higher one
  RF.Update(a_right ? a : b, true);
  LF.Update(a_right ? b : a, true);
}

void Labeler::LabelByFootLine(const Webcam::Blob* list, int m, MocapMarker& RH, MocapMarker& LH,
                              MocapMarker& RF, MocapMarker& LF, bool leftHanded) {
  Webcam::Blob hands[3], feet[3];
  int nh = 0, nf = 0;
  for (int i = 0; i < m; ++i) {
    const Webcam::Blob& b = list[i];
    if (b.y >= m_foot_line)
      JoinGroup(b, true, feet, nf, hands, nh);
    else
      JoinGroup(b, false, hands, nh, feet, nf);
  }
  if (nh == 0)
    LoseHands(RH, LH);
  else
    LabelHands(nh, hands, RH, LH, leftHanded);
  if (nf == 0) {
    RF.Update();
    LF.Update();
  } else {
    LabelFeet(nf, feet, RF, LF);
  }
}

void Labeler::LoseHands(MocapMarker& RH, MocapMarker& LH) {
  m_merge_active = 0;
  m_centred = 0;
  RH.Update();
  LH.Update();
}

// Hand blobs (n of them; only 1 or 2 label anything): two are shared out between the hands,
// one is a hand appearing, a hand that lost the other, or the two sticks merged in one blob.
// True when a merged blob was split this frame.
bool Labeler::LabelHands(int n, Webcam::Blob* hands, MocapMarker& RH, MocapMarker& LH,
                         bool leftHanded) {
  if (n == 2) {
    const int r = RightHandsBlob(hands, RH, LH);
    RH.Update(hands[r], true);
    LH.Update(hands[1 - r], true);
    m_merge_active = 0;
    m_centred = 0;
    return false;
  }
  if (n != 1) return false;
  return LabelOneHandBlob(hands[0], RH, LH, leftHanded);
}

int Labeler::RightHandsBlob(Webcam::Blob* hands, const MocapMarker& RH, const MocapMarker& LH) {
  const bool rp = Present(RH), lp = Present(LH);
  const float k = m_radius_weight;
  // Hands appearing (each a pop, unless they come out of a merge): a new pair by their sides, a
  // new hand beside a tracked one takes the blob the tracked one is not heading for.
  if (!rp && !lp) {
    if (!m_merge_active) {
      Pop(m_webcam);
      Pop(m_webcam);
    }
    return hands[0].x > hands[1].x ? 0 : 1;
  }
  if (rp != lp) {
    if (!m_merge_active) Pop(m_webcam);
    const MocapMarker& tracked = rp ? RH : LH;
    const int nearer =
        tracked.DistanceToBlob(hands[0], k, true) < tracked.DistanceToBlob(hands[1], k, true) ? 0 : 1;
    return rp ? nearer : 1 - nearer;
  }
  // Two tracked hands coming out of a merge: by their depth and sides before it.
  if (m_merge_active)
    return LabelAfterMerge(hands, m_right_z_before_merge, m_left_z_before_merge, m_right_x_before_merge,
                           m_left_x_before_merge, m_centred != 0)
               ? 0
               : 1;
  // Two tracked hands: by the blobs' radii (depth) where those tell, else by acceleration.
  bool clear;
  const bool straight_wins = SizeLabeling(hands, RH.StableRadius(0, 4), LH.StableRadius(0, 4), clear);
  if (clear) return straight_wins ? 0 : 1;
  return RightTakesSecond(RH, LH, hands, k) ? 1 : 0;
}

bool Labeler::LabelOneHandBlob(const Webcam::Blob& blob, MocapMarker& RH, MocapMarker& LH, bool leftHanded) {
  const bool rp = Present(RH), lp = Present(LH);
  // No hand tracked: the dominant hand appears.
  if (!rp && !lp) {
    if (leftHanded)
      GiveBlob(blob, LH, RH);
    else
      GiveBlob(blob, RH, LH);
    Pop(m_webcam);
    return false;
  }
  // One hand tracked: it keeps the blob unless the blob is too far for it to have moved there.
  if (rp != lp) {
    MocapMarker& present = rp ? RH : LH;
    MocapMarker& other = rp ? LH : RH;
    if (Distance2(*present.GetLastPosition(), blob) < kHandJump * kHandJump)
      GiveBlob(blob, present, other);
    else
      GiveBlob(blob, other, present);
    return false;
  }
  // Both tracked, and their paths were not meeting: the one hand still seen is the one whose
  // path the blob continues best; the other is lost.
  if (!m_merge_active && m_merge_handler.first_close_step == 0) {
    const float k = m_radius_weight;
    const float aR = RH.AccelerationIfBlob(blob, k), aL = LH.AccelerationIfBlob(blob, k);
    if (aR < aL)
      GiveBlob(blob, RH, LH);
    else
      GiveBlob(blob, LH, RH);
    Pop(m_webcam);
    return false;
  }
  // Both tracked and their paths meeting (or merged already): both are split out of the blob.
  if (!m_merge_active) BeginMerge(*RH.GetLastPosition(), *LH.GetLastPosition());
  SplitMergedBlob(blob, RH, LH);
  return true;
}

void Labeler::BeginMerge(MocapMarker::Position r, MocapMarker::Position l) {
  m_merge_active = 1;
  m_centred = 0;
  CorrectCameraCoords(r.x, r.y, r.radius);
  CorrectCameraCoords(l.x, l.y, l.radius);
  m_right_x_before_merge = r.x;
  m_right_z_before_merge = r.radius;
  m_left_x_before_merge = l.x;
  m_left_z_before_merge = l.radius;
}

void Labeler::SplitMergedBlob(const Webcam::Blob& blob, MocapMarker& RH, MocapMarker& LH) {
  const float k = m_radius_weight;
  // The camera's picture shows two sticks: each hand takes the one that continues its path, with
  // its own last radius (the split blobs' radii are not to be trusted).
  Webcam::Blob split[2];
  if (m_webcam && m_webcam->UnmergeBlobs(blob, split)) {
    const int r = RightTakesSecond(RH, LH, split, k) ? 1 : 0;
    split[r].radius = RH.GetLastPosition()->radius;
    split[1 - r].radius = LH.GetLastPosition()->radius;
    RH.Update(split[r], true);
    LH.Update(split[1 - r], true);
    return;
  }
  // Otherwise two discs of the hands' sizes are placed in the blob, unreliable positions both.
  const float sR = RH.StableRadius(0, 4), sL = LH.StableRadius(0, 4);
  bool placed = false;
  if (m_webcam) {
    placed = m_webcam->RecoverMergedBlobs(blob, std::max(sR, sL), std::min(sR, sL), split);
  } else {
    split[0] = split[1] = blob;
  }
  LabelHandsDuringMerge(split, RH, LH, false);
  if (!placed) m_centred = 1;
}

void Labeler::LabelHandsDuringMerge(Webcam::Blob* two, MocapMarker& RH, MocapMarker& LH,
                                    bool reliable) {
  const float k = m_radius_weight;
  bool right_first = !RightTakesSecond(RH, LH, two, k);  // RH <- blob 0
  if (!reliable) {
    auto armed = [](const MocapMarker& m, const Webcam::Blob& b) {
      return m.GetLastPosition()->y > b.y && !m.m_ascending &&
             m.m_down_count >= MocapMarker::m_down_frames_needed;
    };
    const bool R0 = armed(RH, two[0]), R1 = armed(RH, two[1]);
    const bool L0 = armed(LH, two[0]), L1 = armed(LH, two[1]);
    if (right_first) {
      if (!L0 && (R0 || L1)) right_first = R1 ? true : false;
    } else {
      if (!L1 && (R1 || L0)) right_first = R0 ? false : true;
    }
  }
  const int r = right_first ? 0 : 1;
  two[r].radius = RH.GetLastPosition()->radius;
  two[1 - r].radius = LH.GetLastPosition()->radius;
  RH.Update(two[r], reliable);
  LH.Update(two[1 - r], reliable);
}

void Labeler::LabelFeet(int n, const Webcam::Blob* feet, MocapMarker& RF, MocapMarker& LF) {
  if (n == 2) {
    const int r = feet[1].x > feet[0].x ? 1 : 0;
    RF.Update(feet[r], true);
    LF.Update(feet[1 - r], true);
    return;
  }
  if (n != 1) {
    RF.Update();
    LF.Update();
    return;
  }
  const Webcam::Blob& b = feet[0];
  const bool rp = Present(RF), lp = Present(LF);
  bool right;
  if (rp && lp)
    right = std::fabs(RF.GetLastPosition()->x - b.x) <= std::fabs(LF.GetLastPosition()->x - b.x);
  else if (rp || lp)
    right = rp;
  else
    right = b.x >= 160.0f;
  if (right) {
    RF.Update(b, true);
    LF.Update();
  } else {
    LF.Update(b, true);
    RF.Update();
  }
}

bool Labeler::LabelAfterMerge(Webcam::Blob* two, float rightZ, float leftZ, float rightX,
                              float leftX, bool centred) {
  float x0 = two[0].x, y0 = two[0].y, z0 = two[0].radius;
  float x1 = two[1].x, y1 = two[1].y, z1 = two[1].radius;
  const float n0 = GetZNoiseAndCorrect(x0, y0, z0);
  const float n1 = GetZNoiseAndCorrect(x1, y1, z1);
  const float noise = n0 + n1;
  const float costLeft0 = std::fabs(z0 - leftZ) + std::fabs(z1 - rightZ);
  const float costRight0 = std::fabs(z0 - rightZ) + std::fabs(z1 - leftZ);
  if (noise <= std::fabs(z0 - z1) && noise <= std::fabs(rightZ - leftZ))
    return costLeft0 > costRight0;
  if (std::fabs(x0 - x1) < 0.03f || std::fabs(rightX - leftX) < 0.03f || centred)
    return costLeft0 > costRight0;
  return (rightX - leftX) * (x0 - x1) > 0;
}

void Labeler::SameDrumCheck(MocapMarker& RH, MocapMarker& LH, bool leftHanded) {
  if (!Present(RH) || !Present(LH)) return;
  const float centre = leftHanded ? 178.0f : 146.0f;
  if (std::fabs(RH.m_hit_x - centre) > 100.0f || std::fabs(LH.m_hit_x - centre) > 100.0f) return;
  if (RH.m_last_drum_hit != LH.m_last_drum_hit || RH.m_last_drum_hit < 0) return;
  const uint64_t a = RH.m_hit_time, b = LH.m_hit_time;
  if ((a > b ? a - b : b - a) >= 500000000ull) return;
  if (!(LH.m_hit_x > RH.m_hit_x)) return;
  std::swap(RH, LH);
}

void Labeler::DominantHandReachCheck(bool leftHanded, float reach, MocapMarker& a, MocapMarker& b) {
  bool beyond;
  if (leftHanded)
    beyond = Present(a) && a.GetLastPosition()->x < (1.0f - reach) * 178.0f;
  else
    beyond = Present(b) && b.GetLastPosition()->x > reach * 173.0f + 146.0f;
  if (!beyond) return;
  const MocapMarker& other = leftHanded ? b : a;
  if (Present(other) && Present(a) && Present(b) &&
      !(b.GetLastPosition()->x > a.GetLastPosition()->x))
    return;
  std::swap(a, b);
}

bool Labeler::SizeLabeling(const Webcam::Blob* two, float sA, float sB, bool& clear) const {
  const float crossed = std::fabs(two[0].radius - sB) + std::fabs(two[1].radius - sA);
  const float straight = std::fabs(two[0].radius - sA) + std::fabs(two[1].radius - sB);
  clear = std::fabs(crossed - straight) > kRadiusMargin;
  return crossed > straight;
}

float RadiusRange(float r) {
  if (!(r < 3.4f)) return 0.039f;
  return 0.1402603f - 0.030136995f * r;
}

bool SizeLabelingMerge(const Webcam::Blob* two, float sA, float sB, bool& distinct) {
  const float crossed = std::fabs(two[0].radius - sB) + std::fabs(two[1].radius - sA);
  const float straight = std::fabs(two[0].radius - sA) + std::fabs(two[1].radius - sB);
  distinct = std::fabs(two[0].radius - two[1].radius) >
             RadiusRange(two[0].radius) + RadiusRange(two[1].radius);
  return crossed > straight;
}

bool LabelingMerge(const Webcam::Blob* two, const MocapMarker::Position& pA,
                   const MocapMarker::Position& pB) {
  auto cost = [](const Webcam::Blob& b, const MocapMarker::Position& p) {
    const float dx = b.x - p.x, dy = b.y - p.y, dr = 25.0f * (b.radius - p.radius);
    return dx * dx + dy * dy + dr * dr;
  };
  return cost(two[0], pB) + cost(two[1], pA) > cost(two[0], pA) + cost(two[1], pB);
}

void Labeler::DrawHull() {
  if (!m_show_hull || m_convex_hull_size <= 2 || !m_convex_hull) return;
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const float w = float(viewport[2]), h = float(viewport[3]);
  glEnable(GL_STENCIL_TEST);
  glClear(GL_STENCIL_BUFFER_BIT);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glStencilFunc(GL_ALWAYS, 1, 1);
  glStencilOp(GL_REPLACE, GL_REPLACE, GL_REPLACE);
  glBegin(GL_POLYGON);
  for (int i = 0; i < m_convex_hull_size; ++i)
    glVertex2f(m_convex_hull[2 * i] / 320.0f * w, (1.0f - m_convex_hull[2 * i + 1] / 240.0f) * h);
  glEnd();
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glStencilFunc(GL_NOTEQUAL, 1, 1);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glColor4f(1, 0, 0, 0.15f);
  glBegin(GL_QUADS);
  glVertex2f(0, 0);
  glVertex2f(w, 0);
  glVertex2f(w, h);
  glVertex2f(0, h);
  glEnd();
  glDisable(GL_STENCIL_TEST);
}

bool Labeler::IsInHull(float x, float y) {
  if (m_convex_hull_size < 3 || !m_convex_hull) return false;
  float lo = 0, hi = 0;
  for (int i = 0; i < m_convex_hull_size; ++i) {
    const float dx = m_convex_hull[2 * i] - x, dy = m_convex_hull[2 * i + 1] - y;
    if (dx * dx + dy * dy <= 0.0001f) return false;
    const float a = std::atan2(dy, dx);
    if (i == 0) {
      lo = hi = a;
    } else {
      lo = std::min(lo, a);
      hi = std::max(hi, a);
    }
  }
  // Directions spanning half a turn or more surround the point.
  return hi - lo >= 3.14159265f;
}

namespace {
void ModeColour(int mode) {
  static const float colours[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const float* c = colours[std::clamp(mode, 0, 2)];
  glColor3f(c[0], c[1], c[2]);
}
}  // namespace

void RenderPosition(int mode, float x, float y, float size) {
  ModeColour(mode);
  glPointSize(size);
  glBegin(GL_POINTS);
  glVertex2f(Webcam::WebcamXToWindowX(x), Webcam::WebcamYToWindowY(239.0f - y));
  glEnd();
  glPointSize(1.0f);
}

void RenderRadius(float y, float radius, int mode, float width) {
  ModeColour(mode);
  glLineWidth(width);
  glBegin(GL_LINES);
  glVertex2f(Webcam::WebcamXToWindowX(160.0f), Webcam::WebcamYToWindowY(239.0f - y));
  glVertex2f(Webcam::WebcamXToWindowX(160.0f + 25.0f * radius), Webcam::WebcamYToWindowY(239.0f - y));
  glEnd();
  glLineWidth(1.0f);
}

bool is_hull_point(const float* points, int n, float x, float y) {
  for (int i = 0; i < n; ++i)
    if (std::fabs(points[2 * i] - x) < 1.0f && std::fabs(points[2 * i + 1] - y) < 1.0f) return true;
  return false;
}

int convexhull(const float* points, int n, int* out) {
  if (n <= 1) {
    out[0] = 0;
    return 1;
  }
  int start = 0;
  for (int i = 1; i < n; ++i)
    if (points[2 * i] < points[2 * start] ||
        (points[2 * i] == points[2 * start] && points[2 * i + 1] < points[2 * start + 1]))
      start = i;
  int count = 0, p = start;
  do {
    out[count++] = p;
    int q = (p + 1) % n;
    for (int i = 0; i < n; ++i) {
      const float cross = (points[2 * q] - points[2 * p]) * (points[2 * i + 1] - points[2 * p + 1]) -
                          (points[2 * q + 1] - points[2 * p + 1]) * (points[2 * i] - points[2 * p]);
      if (cross < 0) q = i;
    }
    p = q;
  } while (p != start && count < n);
  return count;
}
