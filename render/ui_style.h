// The drawing style shared by every widget: palette, colour functions, corner geometry,
// base shapes and the UI images.
//
// Coordinates are window pixels, y upwards; a rectangle (x, y, w, h) has (x, y) as its
// top-left corner and spans x..x+w, y-h..y. Colours are RGBA floats in 0..1. The caller
// enables blending; the shapes leave the shade model flat and the current colour changed.
#pragma once
#include "render/image.h"

// ---- Palette ----------------------------------------------------------------------------
#define SKYT_RGBA(r, g, b, a) {(r) / 255.0f, (g) / 255.0f, (b) / 255.0f, (a)}
inline constexpr float shadow_color[4] = SKYT_RGBA(21, 20, 18, 0.5f);
inline constexpr float scroll_bar_color[4] = SKYT_RGBA(235, 234, 232, 1.0f);
inline constexpr float button_bevel_color[4] = SKYT_RGBA(181, 180, 178, 1.0f);
inline constexpr float edit_box_active_color[4] = SKYT_RGBA(245, 244, 242, 1.0f);
inline constexpr float edit_box_color[4] = SKYT_RGBA(235, 234, 232, 1.0f);
inline constexpr float button_active_color[4] = SKYT_RGBA(235, 234, 232, 1.0f);
inline constexpr float button_hot_color[4] = SKYT_RGBA(235, 234, 232, 1.0f);
inline constexpr float button_color[4] = SKYT_RGBA(224, 223, 221, 1.0f);
inline constexpr float button_greyed_bevel_color[4] = SKYT_RGBA(181, 180, 178, 0.3f);
inline constexpr float button_greyed_color[4] = SKYT_RGBA(224, 223, 221, 0.3f);
inline constexpr float radio_selected_color[4] = SKYT_RGBA(51, 50, 48, 1.0f);
inline constexpr float button_hitable_color[4] = SKYT_RGBA(240, 239, 237, 1.0f);
inline constexpr float distance_button_deactivated_bevel_color[4] = SKYT_RGBA(181, 180, 178, 0.5f);
inline constexpr float distance_button_deactivated_hot_color[4] = SKYT_RGBA(235, 234, 232, 0.5f);
inline constexpr float distance_button_deactivated_color[4] = SKYT_RGBA(224, 223, 221, 0.5f);
inline constexpr float distance_menu_visibility_color[4] = SKYT_RGBA(219, 218, 216, 1.0f);
inline constexpr float distance_menu_text_visibility_color[4] = SKYT_RGBA(239, 238, 236, 0.9f);
inline constexpr float distance_slider_highlighted_color[4] = SKYT_RGBA(139, 173, 251, 0.8f);
inline constexpr float distance_slider_color[4] = SKYT_RGBA(157, 180, 233, 0.8f);
inline constexpr float distance_slider_progress_only_color[4] = SKYT_RGBA(139, 173, 251, 1.0f);
inline constexpr float distance_arrow_color[4] = SKYT_RGBA(87, 137, 213, 0.8f);
inline constexpr float distance_arrow_slider_color[4] = SKYT_RGBA(255, 255, 153, 0.9f);
inline constexpr float left_vignette_edge1[4] = SKYT_RGBA(125, 124, 122, 0.0f);
inline constexpr float left_vignette_edge2[4] = SKYT_RGBA(125, 124, 122, 1.0f);
inline constexpr float left_vignette_edge3[4] = SKYT_RGBA(209, 208, 206, 1.0f);
inline constexpr float left_vignette_edge_shadow1[4] = SKYT_RGBA(21, 20, 18, 0.5f);
inline constexpr float left_vignette_edge_shadow2[4] = SKYT_RGBA(21, 20, 18, 0.15f);
inline constexpr float left_vignette_edge_shadow3[4] = SKYT_RGBA(21, 20, 18, 0.0f);
inline constexpr float right_vignette_edge1[4] = SKYT_RGBA(239, 238, 236, 0.0f);
inline constexpr float right_vignette_edge2[4] = SKYT_RGBA(239, 238, 236, 1.0f);
inline constexpr float right_vignette_edge3[4] = SKYT_RGBA(209, 208, 206, 1.0f);
inline constexpr float recording_overlay_background_color[4] = SKYT_RGBA(255, 255, 255, 0.95f);
// The two colours of a bevelled band (RoundedRectGradientOutline).
inline constexpr float bevel_light_color[3] = {239 / 255.0f, 238 / 255.0f, 236 / 255.0f};
inline constexpr float bevel_dark_color[3] = {105 / 255.0f, 104 / 255.0f, 102 / 255.0f};
#undef SKYT_RGBA

// ---- Colour functions ---------------------------------------------------------------------
struct rgb {
  double r, g, b;  // 0..1
};
struct hsv {
  double h;  // degrees, 0..360
  double s;  // 0..1
  double v;  // 0..1
};
hsv rgb2hsv(rgb in);
rgb hsv2rgb(hsv in);
// Component-wise a*(1-f) + b*f; the hue is interpolated as a plain number (no wrap at 360).
hsv interpolate_hsv(float f, hsv a, hsv b);
// Green at 0, yellow at 0.5, red at 1 (level meters).
rgb GetMeterColor(float level);

// ---- Corner geometry and base shapes ------------------------------------------------------
// Points per rounded corner: 4 below a radius of 20, else 12.
int RadiusToSegmentCount(float radius);

// 0 down, 1 up, 2 right, 3 left. For HalfRoundedRectSolid: the side whose corners are rounded.
enum UIStyleDirection {
  UI_STYLE_DOWN = 0,
  UI_STYLE_UP = 1,
  UI_STYLE_RIGHT = 2,
  UI_STYLE_LEFT = 3,
};

// Filled rounded rectangle in the current colour.
void RoundedRectSolid(float x, float y, float w, float h, float radius);
// A band `thickness` wide just outside the rounded rectangle, shaded from the colour (its
// own alpha) on the inside edge to the colour with outer_alpha on the outside edge.
void RoundedRectOutline(float x, float y, float w, float h, float radius, float thickness,
                        const float* colour, float outer_alpha);
// The same band as a bevel: light top and left, dark right and bottom when raised (swapped
// when sunken); inside edge at alpha, outside edge at alpha or, with feather, 0.
void RoundedRectGradientOutline(float x, float y, float w, float h, float radius, float thickness,
                                bool raised, bool feather, float alpha);
// Fill in the colour, plus a 1-pixel edge fading to transparent when antialias is set.
void RoundedRect(float x, float y, float w, float h, float radius, const float* colour, bool antialias);
// A soft drop shadow below and right of a rounded rectangle (interior not filled).
void RoundedRectShadow(float x, float y, float w, float h, float radius);
// Filled rectangle in the current colour with only the two corners of one side rounded.
void HalfRoundedRectSolid(float x, float y, float w, float h, float radius, UIStyleDirection direction);
// Filled circle of 32 segments.
void Disc(float cx, float cy, float radius, const float* colour);
// Filled axis-aligned rectangle from (x, y) to (x + w, y - h).
void Rect(float x, float y, float w, float h, const float* colour);

// ---- UI images ----------------------------------------------------------------------------
extern Image text;                      // text.png: title artwork of the window background
extern Image hand;                      // background-light.png: the window background
extern Image fullscreen_icon;           // to-fullscreen.png
extern Image windowed_icon;             // to-windowed.png
extern Image home_icon;                 // home.png
extern Image t_icon;                    // t.png
extern Image t_crossed_icon;            // t-crossed.png
extern Image three_d_icon;              // three-d.png
extern Image three_d_crossed_icon;      // three-d-crossed.png
extern Image right_foot_too_far_icon;   // right-foot-too-far.png
extern Image right_foot_too_near_icon;  // right-foot-too-near.png
extern Image left_foot_too_near_icon;   // left-foot-too-near.png
extern Image left_foot_too_far_icon;    // left-foot-too-far.png

// Loads the thirteen UI images (after the window and its GL context exist). A picture that
// fails to load leaves its image without a texture.
void InitUIStyle();
// Releases the textures of hand, text, fullscreen_icon, windowed_icon, t_icon, t_crossed_icon.
void CleanUpUI();
