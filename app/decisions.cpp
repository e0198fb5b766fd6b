#include "app/decisions.h"

#include <cstdio>
#include <cstring>

#include "frame/frame_globals.h"
#include "frame/interface_states.h"

namespace frame_decisions {

int ReconcileViewerState(int state, bool client_connected, bool client_on_this_device,
                         bool show_drumming_ui, bool server_has_focus) {
  if (state < kFirstInAirState) return state;
  if (!client_connected) return state == kPlayWithClient ? kPlay : state;
  if (!client_on_this_device) {
    if (show_drumming_ui) return state == kPlayWithClient ? kPlay : state;
    return kPlayWithClient;
  }
  // The viewer on this computer: whoever has the focus shows the drums.
  if (server_has_focus) return state == kPlayWithClient ? kPlay : state;
  return kPlayWithClient;
}

FrameFunction ChooseFrameFunction(int state, int graphics_mode, bool drums_muted) {
  if (state == kPlayWithClient) return FrameFunction::kWithClient;
  switch (graphics_mode) {
    case kGraphicsNormal: return FrameFunction::kNormal;
    case kGraphicsMarkersOnly:
      return (state == kPlay && !drums_muted) ? FrameFunction::kMarkersOnly : FrameFunction::kSlowLow;
    case kGraphicsSlow:
    case kGraphicsSlowSimplified: return FrameFunction::kSlowLow;
    case kGraphicsNone: return (state == kPlay && !drums_muted) ? FrameFunction::kNo : FrameFunction::kSlowLow;
    default: return graphics_mode < kGraphicsNormal ? FrameFunction::kNormal : FrameFunction::kNone;
  }
}

SongStep SongCountdownStep(int state, int frames, bool playlist_empty) {
  SongStep step;
  step.schedule = state != kPlaySong && frames < 1 && !playlist_empty;
  step.start_song = frames == 0;
  step.frames_until_song_start = frames >= 0 ? frames - 1 : frames;
  return step;
}

bool DeferredStartupDue(bool done, int& frames) {
  if (done) return false;
  if (frames != 0) {
    --frames;
    return false;
  }
  return true;
}

int StartupScreen(bool never_ran, bool wants_startup_help) {
  return (never_ran || wants_startup_help) ? kHelpScreen : kMainScreen;
}

bool GraphicsDriverTooOld(const char* version, const char* extensions) {
  if (!extensions) return false;
  float v = 0.0f;
  if (!version || sscanf(version, "%f", &v) != 1) v = 0.0f;
  if (strstr(extensions, "texture_non_power_of_two") || strstr(extensions, "texture_npot")) return false;
  return v < 2.0f;
}

EscAction EscapeAction(int state, int graphics_mode) {
  if (state == kMainScreen) return EscAction::kQuit;
  const bool fast = graphics_mode == kGraphicsMarkersOnly || graphics_mode == kGraphicsNone;
  if (state >= kFirstInAirState && fast) return EscAction::kBackToMainMenu;
  return EscAction::kNothing;
}

int NextGraphicsMode(int mode) { return mode == kGraphicsNone ? kGraphicsNormal : mode + 1; }

int NextRenderWhat(int render_what) { return render_what >= kPhaseSwap ? kPhaseBackground : render_what + 1; }

ToggleAction FullScreenToggleAction(int toggle_frames, bool full_screen) {
  if (toggle_frames < 1) return ToggleAction::kNothing;
  if (toggle_frames > 1) return ToggleAction::kCountDown;
  return full_screen ? ToggleAction::kEnterFullScreen : ToggleAction::kLeaveFullScreen;
}

std::string WindowTitle(const std::string& program_name, const std::string& version) {
  return program_name + " v" + version;
}

}  // namespace frame_decisions
