#include "frame/frame_globals.h"

#include "frame/interface_states.h"

const std::string skytapper_version = SKYT_VERSION;
std::string installation_directory = ".";

int interface_state = kFirstStart;
int state_param = 0, state_param2 = 0, state_param3 = 0;
bool just_changed_state = false;

int graphics_mode = kGraphicsNormal;
int render_what = kPhaseMiddle;
int frames_until_song_start = -1;
bool full_screen = false;
int full_screen_toggle_frames = 0;
int window_x = 0, window_y = 0, window_width = 0, window_height = 0;
bool show_drumming_ui_when_client_connected = false;
int bad_state_count = 0;
float background_color[4] = {178.0f / 255.0f, 178.0f / 255.0f, 176.0f / 255.0f, 1.0f};
bool exporting_wav = false;
