// Decides which blob is which marker (right hand, left hand, right foot, left foot), through
// hands appearing and vanishing, sticks crossing and merging, and same-drum hits from the
// wrong sides.
#pragma once
#include <array>
#include <cstdint>

#include "tracking/mocap_marker.h"
#include "tracking/webcam.h"

class IniFile;

class Labeler {
 public:
  // Predicts both hands 1..8 frames ahead and notes when their paths come close.
  struct MergeHandler {
    std::array<MocapMarker::Position, 8> right;
    std::array<MocapMarker::Position, 8> left;
    int32_t first_close_step = 0;  // 1..8, 0 = none
    int32_t close_steps = 0;
    void Predict(const MocapMarker& rightHand, const MocapMarker& leftHand);
  };

  Labeler() = default;
  void Init(Webcam& webcam, const IniFile& settings);

  // Feeds each marker its blob or marks it absent. Always true.
  bool Label(Webcam::Blob* blobs, int n, bool leftHanded, float reach, MocapMarker& rightHand,
             MocapMarker& leftHand, MocapMarker& rightFoot, MocapMarker& leftFoot);
  bool LabelHands(int n, Webcam::Blob* hands, MocapMarker& rightHand, MocapMarker& leftHand,
                  bool leftHanded);
  void LabelHandsDuringMerge(Webcam::Blob* two, MocapMarker& rightHand, MocapMarker& leftHand,
                             bool reliable);
  void LabelFeet(int n, const Webcam::Blob* feet, MocapMarker& rightFoot, MocapMarker& leftFoot);
  // True when two[0] is the right hand.
  bool LabelAfterMerge(Webcam::Blob* two, float rightZ, float leftZ, float rightX, float leftX,
                       bool centred);
  void SameDrumCheck(MocapMarker& rightHand, MocapMarker& leftHand, bool leftHanded);
  void DominantHandReachCheck(bool leftHanded, float reach, MocapMarker& a, MocapMarker& b);
  // By radius (depth): true when two[0] goes with the marker of stable radius sA, two[1] with
  // sB's; clear when the two pairings' costs differ enough to tell.
  bool SizeLabeling(const Webcam::Blob* two, float sA, float sB, bool& clear) const;

  // Reach hull (nothing fills it in this program).
  static void DrawHull();
  static bool IsInHull(float x, float y);

  bool MergeActive() const { return m_merge_active != 0; }
  bool Centred() const { return m_centred != 0; }
  const MergeHandler& GetMergeHandler() const { return m_merge_handler; }
  float FootLine() const { return m_foot_line; }

  static const float* m_convex_hull;
  static int32_t m_convex_hull_size;
  static bool m_show_hull;
  static bool m_update_hull;

 private:
  // The steps of Label and LabelHands.
  void LabelFourBlobs(Webcam::Blob* list, MocapMarker& rightHand, MocapMarker& leftHand,
                      MocapMarker& rightFoot, MocapMarker& leftFoot, bool leftHanded);
  void LabelByFootLine(const Webcam::Blob* list, int n, MocapMarker& rightHand, MocapMarker& leftHand,
                       MocapMarker& rightFoot, MocapMarker& leftFoot, bool leftHanded);
  void LoseHands(MocapMarker& rightHand, MocapMarker& leftHand);
  // Which of two hand blobs (0 or 1) is the right hand's; records the pops of hands appearing.
  int RightHandsBlob(Webcam::Blob* two, const MocapMarker& rightHand, const MocapMarker& leftHand);
  bool LabelOneHandBlob(const Webcam::Blob& blob, MocapMarker& rightHand, MocapMarker& leftHand,
                        bool leftHanded);
  void BeginMerge(MocapMarker::Position right, MocapMarker::Position left);
  void SplitMergedBlob(const Webcam::Blob& blob, MocapMarker& rightHand, MocapMarker& leftHand);

  uint8_t m_merge_active = 0;
  uint8_t m_centred = 0;
  MergeHandler m_merge_handler;
  float m_foot_line = 182.0f;
  float m_radius_weight = 0.0f;
  Webcam* m_webcam = nullptr;
  // Hands' X and Z when the current merge began.
  float m_right_x_before_merge = 0, m_right_z_before_merge = 0;
  float m_left_x_before_merge = 0, m_left_z_before_merge = 0;
};

// Free helpers kept with the labeller.
bool SizeLabelingMerge(const Webcam::Blob* two, float sA, float sB, bool& distinct);
float RadiusRange(float r);
bool LabelingMerge(const Webcam::Blob* two, const MocapMarker::Position& pA,
                   const MocapMarker::Position& pB);
// Debug drawing: a point at a camera position, and a line from camera x 160 to 160 + 25 r on
// row y; mode 0-2 picks the colour.
void RenderPosition(int mode, float x, float y, float size);
void RenderRadius(float y, float radius, int mode, float width);
bool is_hull_point(const float* points, int n, float x, float y);
int convexhull(const float* points, int n, int* out);
