// Program-wide frame state shared by every subsystem.
#pragma once
#include <string>

extern const std::string skytapper_version;       // the project version of CMakeLists.txt
extern std::string installation_directory;         // "." : the base of every path

// The camera's tracking rate, which paces the frame loop: one display call per camera frame.
inline constexpr int kFramesPerSecond = 125;

extern int interface_state;                        // current screen: an InterfaceState (interface_states.h)
// The parameters of the last ChangeInterfaceState; their meaning belongs to the state entered.
// Written only by that page's or screen's typed opener (airmenu/page_frame.h, screens/screens.h,
// the wizard's beside each of its stages, airmenu/calib_*.h) and read only by its entering step,
// in the opener's file.
extern int state_param, state_param2, state_param3;
extern bool just_changed_state;

extern int graphics_mode;                          // a GraphicsMode, saved as Graphics_Mode
extern int render_what;                            // a RenderPhase
extern int frames_until_song_start;                // -1: no count-down
extern bool full_screen;
extern int full_screen_toggle_frames;
extern int window_x, window_y, window_width, window_height;
extern bool show_drumming_ui_when_client_connected;
extern int bad_state_count;
extern float background_color[4];
extern bool exporting_wav;                          // a WAV export runs on the recordings screen

// The values of graphics_mode: how much each display call draws. Modes 1 to 4 are the faster
// ones offered when the graphics hold the drumming back; outside the drumming page (or with the
// drums muted) modes 1 and 4 draw as kGraphicsSlow does.
enum GraphicsMode : int {
  kGraphicsNormal = 0,          // the whole picture on every call
  kGraphicsMarkersOnly = 1,     // only the markers over a frozen picture, simplified
  kGraphicsSlow = 2,            // one picture over three calls (render_what)
  kGraphicsSlowSimplified = 3,  // as kGraphicsSlow, simplified
  kGraphicsNone = 4,            // nothing drawn, only the drumming runs
};

// Modes 1 and 3 draw plain shapes: no camera picture, vignette, shadows or labels.
constexpr bool DrawsSimplified(int mode) { return mode == kGraphicsMarkersOnly || mode == kGraphicsSlowSimplified; }

// The values of render_what: which call of a picture spread over three this is.
enum RenderPhase : int {
  kPhaseBackground = 0,  // clears the window and draws the camera picture
  kPhaseMiddle = 1,
  kPhaseSwap = 2,        // finishes the picture and swaps the buffers
};

// Whether this display call draws the given phase: every call does in the normal mode.
inline bool DrawsPhase(RenderPhase phase) { return graphics_mode == kGraphicsNormal || render_what == phase; }
