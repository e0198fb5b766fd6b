// Icon animations: damped-sine wobbles, bounces and swings that make a drum's picture react
// to a hit, plus continuous curves that follow a value (a hi-hat's openness).
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

class Animation {
 public:
  typedef int Type;  // 0..8, the rows of the table filled by Init

  // One curve; several curves of one type are applied in table order.
  struct Parameters {
    float base;
    float amplitude;
    float decay;     // per frame
    float period;    // frames
    float delay;     // frames
    float duration;  // frames; 0 = continuous curve driven by the value passed to Apply
    uint16_t flags;  // kNegateX, kNegateY, kAxisX, kAxisY, kAxisZ, kOwnAxis
    int16_t kind;    // kRotation, kTranslation, kScaling
  };
  enum : uint16_t { kNegateX = 0x01, kNegateY = 0x02, kAxisX = 0x08, kAxisY = 0x10, kAxisZ = 0x20, kOwnAxis = 0x40 };
  enum : int16_t { kRotation = 1, kTranslation = 2, kScaling = 4 };

  // One hit that is still moving.
  struct Instance {
    float elapsed;   // frames since the hit
    float strength;  // 0..1
    float axis_x;    // the hit's direction in the icon's plane (curves with kOwnAxis)
    float axis_y;
  };

  // The curves of every type; a lookup of a missing type inserts an empty list.
  static std::map<Type, std::vector<Parameters>> m_animations;
  // Fills m_animations (run once by a static initialiser; calling it again changes nothing).
  static void Init();

  explicit Animation(Type type);

  // Multiplies the current GL matrix by every curve's transformation for every live hit.
  void OpenGLTransformations(float value);
  // OpenGLTransformations, then ages the hits (1 frame a call in graphics mode 0, else 3).
  void Apply(float value);
  // The type has curves and its first one is continuous.
  bool IsPermanent();

  // Starts a hit (elapsed 0), dropping the oldest when kMostInstances are live. Allocates only
  // when more hits are live than ever before on this animation (kInstancesReserved are ready
  // from the start): the hit path stays allocation-free.
  void AddInstance(float strength, float axis_x, float axis_y);
  // Removes every live hit.
  void ClearInstances() { instances.clear(); }

  Type type;
  float length;  // largest duration among the type's curves
  static constexpr int kInstancesReserved = 16;
  // A hit this many hits back has all but died away (a fast roll gives about 20 a second).
  static constexpr size_t kMostInstances = 64;
  std::vector<Instance> instances;  // oldest first
};
