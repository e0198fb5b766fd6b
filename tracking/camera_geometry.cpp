#include "tracking/camera_geometry.h"

#include <cmath>

void CorrectCameraCoords(float& x, float& y, float& size) {
  const float cx = x, cy = y, s = size;
  x = 0.10865f * s - 1.09158f + (-0.00066f * s + 0.0067f) * cx;
  y = -0.03793f * s + 0.56051f + (0.0003f * s - 0.00484f) * cy;
  size = s * (2.2748e-8f * cx * cx - 1.3087e-5f * cy * cy + 7.5224e-6f * cx * cy -
              0.00048225f * cx + 0.0025759f * cy + 0.0075061f) +
         8.1466e-6f * cx * cx + 7.5081e-5f * cy * cy - 3.9431e-5f * cx * cy + 0.00024418f * cx -
         0.014392f * cy - 0.3877f;
}

float GetZNoise(float x, float y, float r) {
  float x0 = x, y0 = y, z0 = r;
  float x1 = x, y1 = y, z1 = r + 0.06f;
  CorrectCameraCoords(x0, y0, z0);
  CorrectCameraCoords(x1, y1, z1);
  return std::fabs(z0 - z1);
}

float GetZNoiseAndCorrect(float& x, float& y, float& r) {
  const float noise = GetZNoise(x, y, r);
  CorrectCameraCoords(x, y, r);
  return noise;
}
