// Drawing of the in-air interface's widgets (big, soft-edged, readable over the camera
// picture), halos, the camera picture's oval frame, meters, the volume mixer and the
// hit-speed curve.
//
// Conventions as in render/widget_drawing.h. Functions marked "simplified" draw plain
// rectangles and discs instead of bevels, shadows and feathered edges when graphics_mode is
// 1 or 3.
#pragma once

class Font;

// Icons of DrawIcon (one UI image each).
enum UIIconID {
  UI_ICON_FULLSCREEN = 0,
  UI_ICON_WINDOWED = 1,
  UI_ICON_HOME = 2,
  UI_ICON_T = 3,
  UI_ICON_T_CROSSED = 4,
  UI_ICON_THREE_D = 5,
  UI_ICON_THREE_D_CROSSED = 6,
};

// In-air round button (simplified). masked: the base is drawn with the stencil test on, under
// the stencil function the caller set; only when not hitable.
void RoundButtonBackgroundDistance(float cx, float cy, float r, bool activated, bool hot,
                                   bool hitable, bool shadow, bool masked, bool antialias);
// Light clouds behind in-air widgets (simplified).
void RoundButtonBackgroundDistanceVisibility(float cx, float cy, float r);
void SliderDistanceVisibility(float x, float y, float w, float h);
// Text panel; stands 10 pixels above y (simplified).
void TextDistanceVisibility(float x, float y, float w, float h);
// In-air slider, value 0..1, filling from the left or from the bottom (simplified).
void SliderDistance(float x, float y, float w, float h, float value, bool activated, bool hot,
                    bool shadow, bool horizontal, bool masked, bool antialias);
// Progress bar of long operations: only the fill, nothing below 2 pixels.
void SliderProgressOnly(float x, float y, float w, float h, float value);
// Pie growing clockwise from twelve o'clock while a button is being hit, progress 0..1.
void ActivationProgressDistance(float cx, float cy, float r, float progress);
// Ring growing round a button, progress 0..1.
void RoundButtonActivation(float cx, float cy, float r, float progress);
// Arrows swinging along their direction (a UIStyleDirection: 0 down, 1 up, 2 right, 3 left);
// advance moves the swing on by one frame.
void BlinkingArrow(float x, float y, float w, float h, int direction, bool advance);
void BlinkingArrowSlider(float x, float y, float w, float h, int direction, bool advance);
// Yellow glows round a selection.
void RoundHalo(float cx, float cy, float r);
void RectangleHalo(float x, float y, float w, float h);
void SliderHalo(float x, float y, float w, float h);
// A band's colours at its two edges, d1 and d2 from the ellipse.
struct VignetteShade {
  const float* at_d1;
  const float* at_d2;
};
// One band of the camera picture's elliptical frame, from rx + d1, ry + d1 to rx + d2, ry + d2
// in camera coordinates, round the whole ellipse: shaded left on the left half and right on the
// right half, the two blending across the top and the bottom so that they meet without a step.
void VignetteEdge(float rx, float ry, float d1, float d2, VignetteShade left, VignetteShade right);
// The whole oval frame round the camera picture: dark rim on the left, light on the right.
void WebcamVignette(float rx, float ry);
// White panel behind the recording overlays.
void RecordingOverlayBackground(float x, float y, float w, float h, bool antialias);
// An icon image with its lower-left corner at (x, y); pressed moves it 2 right and 2 down.
void DrawIcon(UIIconID id, int x, int y, bool pressed);
void VolumeResponseCurveBackground(float x, float y, float w, float h);
// Frame-rate verdict: state 0 good (green), 1 and 2 bad (red) (simplified).
void DrawFPSIndicator(float x, float y, float w, float h, int state, bool shadow, bool antialias);
// Green-to-red gradient in a unit-wide strip 0..length; the colour at its end goes to
// top_colour (three floats) when not null.
void DrawMeterGradient(float length, bool vertical, float* top_colour);
// Level meter rising from the bottom, level 0..1 (simplified).
void DrawVUMeter(float x, float y, float w, float h, float level, bool shadow, bool antialias);
// Four faders, volumes 0..100; selected 0 drums, 1 master, 2 metronome, 3 songs.
void DrawVolumeMixer(float x, float y, float w, float h, int drums, int master, int metronome,
                     int songs, int selected, const Font* font);
// Response curve over hit speed: values[0..count-1] in 0..1, the current speed fraction and
// the curve's height there.
void DrawHitSpeedCurve(float x, float y, float w, float h, float fraction, float value, int count,
                       const float* values, const Font* font);
