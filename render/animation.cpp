// Icon animations: damped-sine curves applied to the GL matrix while an icon is drawn.
#include "render/animation.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "frame/frame_globals.h"

std::map<Animation::Type, std::vector<Animation::Parameters>> Animation::m_animations;

void Animation::Init() {
  if (!m_animations.empty()) return;
  // base, amplitude, decay, period, delay, duration, flags, kind
  m_animations[0] = {{0, 10, 0.01f, 40, 0, 500, kOwnAxis, kRotation},
                     {0, 20, 0.01f, 100, 0, 500, kAxisZ, kRotation}};
  m_animations[1] = {{0, 5, 0.05f, 50, 0, 200, kAxisZ, kRotation},
                     {0, 30, 0.05f, 25, 0, 200, kOwnAxis, kRotation}};
  m_animations[2] = {{1, 0.2f, 0.1f, 20, 0, 200, kAxisX | kAxisY, kScaling}};
  m_animations[3] = {{0, 40, 0.1f, 20, 10, 200, kAxisY, kTranslation}};
  m_animations[4] = {{0, 30, 0.2f, 20, 10, 100, kAxisX, kTranslation}};
  m_animations[5] = {{0, 80, 0.1f, 20, 0, 20, kAxisY, kTranslation}};
  m_animations[6] = {{0, 25, 0.1f, 0, 0, 0, kAxisX, kRotation}};
  m_animations[7] = {{0, 12, 0, 0, 0, 0, kAxisX | kAxisY | kNegateY, kTranslation}};
  m_animations[8] = {{0, 0, 0, 1, 0, 0, kAxisZ, kTranslation}};
}

namespace {
const bool animations_ready = (Animation::Init(), true);
}

Animation::Animation(Type t) : type(t), length(0) {
  (void)animations_ready;
  for (const Parameters& p : m_animations[type]) length = std::max(length, p.duration);
  instances.reserve(kInstancesReserved);
}

bool Animation::IsPermanent() {
  const std::vector<Parameters>& curves = m_animations[type];
  return !curves.empty() && curves[0].duration == 0;
}

void Animation::AddInstance(float strength, float axis_x, float axis_y) {
  // Hits age only when drawn: where the kit is not drawn the oldest make room for the newest.
  if (instances.size() >= kMostInstances) instances.erase(instances.begin());
  instances.push_back(Instance{0.0f, strength, axis_x, axis_y});
}

void Animation::OpenGLTransformations(float value) {
  const std::vector<Parameters>& curves = m_animations[type];
  for (const Parameters& p : curves) {
    for (const Instance& h : instances) {
      float v;
      if (p.duration != 0) {
        if (h.elapsed > p.duration) continue;
        float t = h.elapsed - p.delay;
        float envelope = std::exp(-(std::max(t, 0.0f) * p.decay));
        float s = 0.0f;
        if (p.period > 0) {
          float phase = t / p.period;
          if (phase > 0) s = std::sin(6.2831855f * phase);
        }
        v = (p.amplitude * 0.25f + p.amplitude * 0.75f * h.strength) * envelope * s + p.base;
      } else {
        v = p.amplitude * value;
      }
      float ax = (p.flags & kAxisX) ? 1.0f : 0.0f;
      float ay = (p.flags & kAxisY) ? 1.0f : 0.0f;
      float az = (p.flags & kAxisZ) ? 1.0f : 0.0f;
      switch (p.kind) {
        case kRotation:
          if (p.flags & kOwnAxis)
            glRotatef(v, h.axis_x, h.axis_y, 0.0f);
          else
            glRotatef(v, ax, ay, az);
          break;
        case kScaling:
          glScalef(ax ? v : 1.0f, ay ? v : 1.0f, az ? v : 1.0f);
          break;
        case kTranslation: {
          float tx = ax * v, ty = ay * v, tz = az * v;
          if (p.flags & kNegateX) tx = -tx;
          if (p.flags & kNegateY) ty = -ty;
          glTranslatef(tx, ty, tz);
          break;
        }
        default:
          break;
      }
    }
  }
}

void Animation::Apply(float value) {
  OpenGLTransformations(value);
  if (IsPermanent()) return;
  float step = graphics_mode == kGraphicsNormal ? 1.0f : 3.0f;
  for (Instance& h : instances) h.elapsed += step;
  std::erase_if(instances, [this](const Instance& h) { return h.elapsed > length; });
}
