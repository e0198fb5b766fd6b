// Program-wide frame state shared by every subsystem.
#pragma once
#include <string>

extern const std::string skytapper_version;       // the project version of CMakeLists.txt
extern std::string installation_directory;         // "." : the base of every path

extern int interface_state;                        // current screen: an InterfaceState (interface_states.h)
// The parameters of the last ChangeInterfaceState; their meaning belongs to the state entered.
// Written only by that page's or screen's typed opener (airmenu/page_frame.h, screens/screens.h,
// the wizard's beside each of its stages, airmenu/calib_*.h) and read only by its entering step,
// in the opener's file.
extern int state_param, state_param2, state_param3;
extern bool just_changed_state;

extern int graphics_mode;                          // 0 normal .. 4 no graphics
extern int render_what;                            // phase of the three-call picture
extern int frames_until_song_start;                // -1: no count-down
extern bool full_screen;
extern int full_screen_toggle_frames;
extern int window_x, window_y, window_width, window_height;
extern bool show_drumming_ui_when_client_connected;
extern int bad_state_count;
extern float background_color[4];
extern bool exporting_wav;                          // a WAV export runs on the recordings screen
