// The program frame's decisions, as small functions of their inputs (tested on their own).
#pragma once
#include <string>

namespace frame_decisions {

// The interface state after reconciling it with the 3D viewer: 34 shows the drumming page for
// a connected viewer, 18 is the normal play page; states below 18 never change.
int ReconcileViewerState(int state, bool client_connected, bool client_on_this_device,
                         bool show_drumming_ui, bool server_has_focus);

enum class FrameFunction { kNone, kNormal, kMarkersOnly, kSlowLow, kNo, kWithClient };
FrameFunction ChooseFrameFunction(int state, int graphics_mode, bool drums_muted);

// One display call's step of the song count-down. start_song: start the song now; schedule:
// run the playlist scheduler (before the count-down step).
struct SongStep {
  bool schedule = false;
  bool start_song = false;
  int frames_until_song_start = -1;
};
SongStep SongCountdownStep(int state, int frames_until_song_start, bool playlist_empty);

// The deferred start-up's count-down: true when it is to run on this call; frames counts down.
bool DeferredStartupDue(bool done, int& frames);

// Where the deferred start-up leaves the program: the help screen (9) on a first run or when
// the user wants start-up help, else the main screen (0).
int StartupScreen(bool never_ran, bool wants_startup_help);

// Whether the graphics driver needs the warning: below OpenGL 2.0 and with neither
// non-power-of-two texture extension. No extensions string: no check.
bool GraphicsDriverTooOld(const char* version, const char* extensions);

// What Esc does beyond the widget GUI.
enum class EscAction { kNothing, kQuit, kBackToMainMenu };
EscAction EscapeAction(int state, int graphics_mode);

// The graphics mode after Ctrl-G on the play page.
int NextGraphicsMode(int mode);

// The state of the three-call picture after one call of the slow frame function.
int NextRenderWhat(int render_what);

// The full-screen switch: what DoFullScreenToggle does at this count.
enum class ToggleAction { kNothing, kCountDown, kEnterFullScreen, kLeaveFullScreen };
ToggleAction FullScreenToggleAction(int toggle_frames, bool full_screen);

// The window title: text 233 + " v" + the version.
std::string WindowTitle(const std::string& program_name, const std::string& version);

}  // namespace frame_decisions
