#include "render/webcam_window.h"

#include <GL/gl.h>

float WebcamWindowMapping::webcam_scale_x = 1.0f;
float WebcamWindowMapping::webcam_scale_y = 1.0f;
float WebcamWindowMapping::webcam_offset_x = 0.0f;

void WebcamWindowMapping::CenterWebcam(int width, int height) {
  const float w = 1.4f * float(height);
  webcam_offset_x = (float(width) - w) / 2.0f;
  webcam_scale_x = w / 319.0f;
  webcam_scale_y = float(height) / 239.0f;
}

void WebcamWindowMapping::ApplyWebcamToWindowScale() {
  glTranslatef(webcam_offset_x, 0.0f, 0.0f);
  glScalef(webcam_scale_x, webcam_scale_y, 1.0f);
}
