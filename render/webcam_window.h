// The mapping from camera pixels (QVGA, 320x240, y downwards) to window pixels (y upwards).
// Every drawing in camera space (markers, drums, menus, the picture itself) goes through it.
// The camera picture takes the window's full height and 1.4 times that as width, centred.
// Camera rows grow downwards and window rows upwards: draw camera row y at window row
// WebcamYToWindowY(239 - y).
#pragma once

struct WebcamWindowMapping {
  static float webcam_scale_x;   // 1.0 until CenterWebcam
  static float webcam_scale_y;   // 1.0
  static float webcam_offset_x;  // 0.0

  // From the window's reshape callback: offset (width - 1.4 h) / 2, scale_x 1.4 h / 319,
  // scale_y h / 239.
  static void CenterWebcam(int width, int height);

  static float WebcamXToWindowX(float x) { return x * webcam_scale_x + webcam_offset_x; }
  static float WebcamYToWindowY(float y) { return y * webcam_scale_y; }
  static float WebcamWidthToWindowWidth(float w) { return w * webcam_scale_x; }
  static float WebcamHeightToWindowHeight(float h) { return h * webcam_scale_y; }
  // Multiplies the current OpenGL matrix by translate(offset_x, 0, 0) * scale(sx, sy, 1).
  static void ApplyWebcamToWindowScale();
};
