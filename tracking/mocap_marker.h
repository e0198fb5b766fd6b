// One tracked marker (a stick tip or a foot): history, velocity, prediction and the stroke
// detector. Positions are QVGA pixels with y downwards; the radius stands in for depth.
#pragma once
#include <cstdint>
#include <cstdio>

#include "tracking/webcam.h"

enum MocapMarkerType { MOCAP_MARKER_HAND = 0, MOCAP_MARKER_FOOT = 1 };

class MocapMarker {
 public:
  struct Position {
    float x = 0;
    float y = 0;
    float radius = 0;
  };

  // Newest-first history of at most 50 positions in a fixed ring (no allocation per frame).
  class History {
   public:
    static constexpr int kCapacity = 50;
    int size() const { return count_; }
    bool empty() const { return count_ == 0; }
    void clear() { count_ = 0; }
    // 0 = newest.
    const Position& operator[](int i) const { return items_[(head_ + i) % kCapacity]; }
    const Position& front() const { return (*this)[0]; }
    void push_front(const Position& p) {
      head_ = (head_ + kCapacity - 1) % kCapacity;
      items_[head_] = p;
      if (count_ < kCapacity) ++count_;
    }

   private:
    Position items_[kCapacity];
    int head_ = 0;
    int count_ = 0;
  };

  MocapMarker() = default;

  // Seen at the blob this frame.
  void Update(const Webcam::Blob& blob, bool reliable);
  // Not seen this frame: the history empties, everything else stays.
  void Update();
  int WasPresent() const { return m_history.empty() ? 0 : 1; }
  // Newest position; only while WasPresent().
  const Position* GetLastPosition() const { return &m_history.front(); }

  float DistanceToBlob(const Webcam::Blob& b, float k, bool usePredicted) const;
  float AccelerationIfBlob(const Webcam::Blob& b, float k) const;
  static float ComputeSpeed(const Position& a, const Position& b, int frames);
  static float ComputeSpeedFoot(const Position& a, const Position& b, int frames);
  // Smoothstep-weighted radius over history entries start.. (newest weight 1, oldest 0);
  // NaN for an empty range.
  float StableRadius(int start, int count) const;
  // The stroke detector; once per frame after the update. True when a stroke fired; speed
  // is its speed times scale, hitY the expected braking row.
  bool DetectHit(float threshold, float& speed, float& hitY, bool foot, float scale, bool placing);
  void SetLastDrumHit(int drum);
  void Render(int outline, int unused, bool outlined, float scale, const float* colour) const;

  // Kept with the class; the program does not call them.
  float DistanceToMocapMarker(const MocapMarker& other, float k) const;
  float RadiusEstimateBeforeMerge(int start, int count) const;
  float RadiusRateOfChangeBeforeMerge() const;
  float DirectionAngle() const;
  void GetHalfPlane(const MocapMarker& other, float& a, float& b) const;
  bool LocalMinimum(float& y) const;
  float PositionToDisplacementWeight(const Position& position) const { return 1.0f; }
  static void ToggleLogging();

  History m_history;
  Position m_predicted;
  Position m_velocity;
  Position m_acceleration;
  uint8_t m_reliable = 0;
  Position m_stroke_top;
  int32_t m_down_count = 0;
  int32_t m_up_count = 0;
  int32_t m_previous_up_count = 0;
  uint8_t m_ascending = 0;
  int32_t m_last_drum_hit = -1;
  float m_hit_x = 0;
  float m_hit_y = 0;
  uint64_t m_hit_time = 0;  // host time, nanoseconds

  static int32_t m_down_frames_needed;        // 5
  static int32_t m_down_frames_needed_place;  // 5
  static int32_t m_up_frames_needed;          // 0
  static float m_size_speed_coefficient;      // 0
  static float m_max_y_deceleration_coefficient;            // 1.0
  static float m_max_y_speed_for_deceleration_coefficient;  // 4.0
  static bool m_logging;
  static FILE* m_file;

 private:
  // The stroke detector's steps (DetectHit).
  struct Descent;
  bool StrokeDue(bool placing) const;
  Descent MeasureDescent() const;
  float ExpectedRow(const Descent& descent) const;
  bool Strike(const Descent& descent, float threshold, float& speed, bool foot, float scale);
  void FollowDirection();
};
