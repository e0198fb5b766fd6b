// The in-air menu: round buttons and horizontal sliders placed in camera space, aimed at and
// hit with the sticks, plus the message lines shown over the picture. A page builds a fresh
// menu every frame; what must last from frame to frame lives in the statics.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "drumming/menu_ids.h"
#include "render/font.h"
#include "tracking/mocap_marker.h"

class DistanceMenu {
 public:
  struct Button {
    int id;             // a MenuId
    std::string label;  // '|' starts a new line
    float x, y;         // centre, camera pixels, y downwards
    float size;         // radius, camera pixels
    bool needs_activation;
    bool greyed;
  };

  struct Slider {
    int id;
    std::string label;
    int style;  // 0 no value, 1 percentage of max, 2 integer
    int x, y, width, height;  // top-left corner, camera pixels, y downwards
    float value;
    int max;
    int min;
    bool needs_activation;
  };

  struct Message {
    int line;
    float milliseconds;
    int style;  // 0 yellow, 1 black, 2 white on black, 3 dark red, 4 red on black
    bool persistent;
  };

  std::vector<Button> buttons;
  std::vector<Slider> sliders;
  int dominant_active = kNoButton;
  bool dominant_slider_held = false;
  float dominant_value = 0;
  int non_dominant_active = kNoButton;
  bool non_dominant_slider_held = false;
  float non_dominant_value = 0;
  bool slider_active = false;
  float radius = 22.0f;

  void DoSliders(const MocapMarker& dominant, const MocapMarker& other);
  void DoButtonsAlone(const MocapMarker& dominant, const MocapMarker& other, bool limit);
  bool FindMenuButton(const MocapMarker::Position& p, bool dominant, bool limit);
  void SetActiveButton(int button_index, bool dominant);
  bool IsButtonActivated(int button_index, bool dominant) const;
  bool IsSliderActivated(int slider_index, bool dominant) const;
  bool TestAndSetButtonHit(bool dominant, float speed, float threshold);
  void HitButton(int id, bool dominant);
  // Button X fired this frame for either hand.
  bool WasHit(int id) const {
    return (dominant_active == id && dominant_value == 1.0f) || (non_dominant_active == id && non_dominant_value == 1.0f);
  }
  void Render(bool activation_pass, float fps);
  void RenderMocapMarkersOnly();

  static void Init(int full_screen_height, int windowed_height);
  static void CleanUp();
  static void ReInit();
  static void UpdateButtonActivation();
  static void ResetButtonActivation();
  static float GetActivationProgress();
  static void AddMessage(const char* text, int line, int style, float milliseconds, bool refresh, bool persistent);
  static void ClearMessages();
  static bool PrintPersistentMessages(float fps);
  // The plate behind a message line's text in window pixels (y upwards), as drawn in the
  // current window with its current font; all zero without a font.
  struct Plate {
    float left, bottom, right, top;
  };
  static Plate MessagePlate(int line, const std::string& text);
  static void PrintBackground(float x, float y, Font::Alignment a, const char* format, ...)
      __attribute__((format(printf, 4, 5)));
  // A round button's label stays inside this share of its radius.
  static constexpr float kLabelRoom = 0.9f;
  // The scale (at most 1) at which a label's lines, a font's height apart, keep their ink
  // (0.7 of the font's height about each line's middle) inside kLabelRoom of radius r.
  static float LabelScale(const Font& font, const std::vector<std::string>& lines, float r);

  static int m_previous_active_dominant, m_previous_active_non_dominant;
  static int m_how_many_frames_dominant_active, m_how_many_frames_non_dominant_active;
  static int m_how_many_frames_for_dominant_hit, m_how_many_frames_for_non_dominant_hit;
  static std::map<std::string, Message> m_messages;
  static std::map<int, std::string> m_lines_to_messages;
  static Font* m_message_font;
  static Font* m_message_windowed_font;
  static bool m_delete_fonts;
  static int m_full_screen_height, m_windowed_screen_height;
  static float m_line_height_ratio;
  static float m_menu_radius;
  static float m_lowest_drum_y;
  static float m_no_drums_x, m_no_drums_y, m_no_drums2_x, m_no_drums2_y, m_no_drums3_x, m_no_drums3_y;
  static float m_no_drums4_x, m_no_drums4_y, m_no_drums5_x, m_no_drums5_y, m_no_drums6_x, m_no_drums6_y;
  static float m_with_drums_x, m_with_drums_y, m_with_drums2_x, m_with_drums2_y;
  static float m_with_drums_perf_mode_x, m_with_drums_perf_mode_y;
  static float m_with_drums_slider_x, m_with_drums_slider_y, m_with_drums_slider2_x, m_with_drums_slider_width;
  static float m_no_drums_slider_top_x, m_no_drums_slider_top_y, m_no_drums_slider_top_width;
  static float m_no_drums_slider_bottom_x, m_no_drums_slider_bottom_y, m_no_drums_slider_bottom_width;

 private:
  void RenderUsable(bool open, float fps);
  void RenderWaiting(bool open);
  void DragSlider(bool dominant, const MocapMarker& marker, float& last_x);
  void EnterSlider(bool dominant, const MocapMarker& marker, float& last_x, bool& entered);
  int& ActiveId(bool dominant) { return dominant ? dominant_active : non_dominant_active; }
  bool& SliderHeld(bool dominant) { return dominant ? dominant_slider_held : non_dominant_slider_held; }
  float& Value(bool dominant) { return dominant ? dominant_value : non_dominant_value; }
};

// Appends every maximal run of characters of s not in delimiters (empty pieces skipped).
void split_string(const std::string& s, const std::string& delimiters, std::vector<std::string>& out);
