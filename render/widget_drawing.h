// Drawing of the mouse-and-keyboard screens' widgets: window background, push buttons, edit
// boxes, check boxes and radio buttons, sliders and list-box scroll-bar tracks.
//
// Window pixels, y upwards, a rectangle given as its top-left corner (x, y) and size (w, h),
// so it spans x..x+w and y-h..y. Callers enable alpha blending. These functions only draw:
// the widget GUI decides hot, pressed, checked and greyed.
#pragma once

class Image;

// The window background picture, with the title artwork when with_title is set.
void DrawBackground(bool with_title);

// A whole picture stretched over x0..x1, y0..y1 (its top row at y1), bound as the 2D texture;
// the caller enables texturing and sets the colour.
void TexturedQuad(const Image& image, float x0, float y0, float x1, float y1);

// Push button: raised bevel, sunken with the face shifted down-right while pressed.
void ButtonBackground(float x, float y, float w, float h, bool hot, bool pressed, bool shadow,
                      bool antialias);
// Disabled push button; never has a shadow.
void ButtonBackgroundGreyed(float x, float y, float w, float h, bool shadow, bool antialias);
// Round push button round (cx, cy).
void RoundButtonBackground(float cx, float cy, float r, bool hot, bool pressed, bool shadow,
                           bool antialias);
// Text field; active = it has the keyboard focus.
void EditBoxBackground(float x, float y, float w, float h, bool active, bool shadow, bool antialias);
// Check box, or radio button when radio is set.
void CheckBox(float x, float y, float w, float h, bool radio, bool hot, bool checked, bool shadow,
              bool antialias);
// Disabled check box (looks the same checked or not).
void CheckBoxGreyed(float x, float y, float w, float h, bool checked, bool antialias);
// Horizontal slider or progress bar, value 0..1.
void SliderBackground(float x, float y, float w, float h, float value, bool activated, bool hot,
                      bool shadow, bool antialias);
// The track of a list box's scroll bar.
void ScrollBar(float x, float y, float w, float h, bool shadow, bool antialias);
