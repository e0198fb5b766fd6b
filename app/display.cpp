// The frame loop: the display callback, its five frame functions, idle, reshape and the
// deferred full-screen switch.
#include <GL/gl.h>

#include "airmenu/calibration.h"
#include "airmenu/pages.h"
#include "airmenu/viewer_link.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "app/app.h"
#include "app/decisions.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/platform/platform.h"
#include "frame/window.h"
#include "render/imgui.h"
#include "render/ui_style.h"
#include "render/widget_drawing.h"
#include "render/webcam_window.h"
#include "screens/screens.h"
#include "sound/sound.h"
#include "tracking/ps3eye_glue.h"
#include "tracking/webcam.h"

namespace {

int krakouikedf = 2;      // display calls to wait before the deferred start-up
bool krakouiked = false;  // the deferred start-up has run
bool valid_song_file = false;

bool DrawingAllowed() { return interface_state < kQuitting && full_screen_toggle_frames == 0; }

void OrthoOverWindow() {
  const double w = window_services.width(), h = window_services.height();
  glMatrixMode(GL_PROJECTION);
  glOrtho(0, w, 0, h, -w, w);
  glMatrixMode(GL_MODELVIEW);
}

void IdentityProjection() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
}

// Takes the newest camera frame. A camera lost since the last frame (its stream failed, so it
// no longer counts as working) is stopped, which also clears the new-frame flag so that nothing
// drums on its last picture, and the main screen is shown. Without a camera there is nothing
// to take.
void CameraStep(bool upload) {
  const bool working = PSEyeIsWorking() ? webcam.Update(upload) : !PSEyeIsLost();
  if (working) return;
  webcam.HandleUnplug();
  ChangeInterfaceState(kMainScreen);
}

// Readies a frame drawn over the window: on the in-air pages the newest camera picture is taken
// first (and uploaded to its texture when upload), then blending is on for the drawing.
void BeginBlendedFrame(bool upload) {
  IdentityProjection();
  if (interface_state >= kFirstInAirState) CameraStep(upload);
  OrthoOverWindow();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// Shows the frame drawn, then makes any full-screen switch asked for meanwhile.
void ShowFrame() {
  glFlush();
  window_services.swap_buffers();
  DoFullScreenToggle();
}

void PumpViewerLink() {
  const bool was_connected = IsClientConnected();
  UpdateDiscoveryServer();
  UpdateSockets();
  if (!was_connected && IsClientConnected()) SetWhetherClientIsRunningOnThisDevice();
}

void Background(bool camera_picture) {
  if (interface_state < kFirstInAirState) {
    DrawBackground(interface_state == kMainScreen || interface_state == kAboutScreen);
  } else if (interface_state != kWizard && camera_picture) {
    webcam.Draw(1.0f);
  }
}

void StateFrame(int entry_state) {
  if (entry_state < kFirstInAirState) imgui.Begin(false);
  RunStateFunction(interface_state);
  // Begin and End follow the entry state: a screen that moved on still gets its End.
  if (entry_state < kFirstInAirState) {
    imgui.End();
    WriteUiTrace();
  } else {
    WriteInAirTrace(interface_state);
  }
}

}  // namespace

void RunStateFunction(int state) {
  if (state < kFirstInAirState)
    RunScreen(state);
  else
    RunInAirPage(state);
}

void DisplayNormal() {
  const int entry_state = interface_state;
  glClear(GL_COLOR_BUFFER_BIT);
  if (DrawingAllowed()) {
    BeginBlendedFrame(true);
    Background(true);
    StateFrame(entry_state);
    glDisable(GL_BLEND);
  }
  PumpViewerLink();
  ShowFrame();
}

void DisplaySlowLow() {
  const int entry_state = interface_state;
  if (render_what == kPhaseBackground) glClear(GL_COLOR_BUFFER_BIT);
  if (DrawingAllowed()) {
    BeginBlendedFrame(graphics_mode == kGraphicsSlow || interface_state == kWizard);
    Background(render_what == kPhaseBackground && !DrawsSimplified(graphics_mode));
    StateFrame(entry_state);
    glDisable(GL_BLEND);
  }
  PumpViewerLink();
  if (render_what == kPhaseSwap) {
    ShowFrame();
  }
  render_what = frame_decisions::NextRenderWhat(render_what);
}

void DisplayMarkersOnly() {
  if (just_changed_state) {
    LeaveMarkersOnly();
    EnterMarkersOnly();
  }
  glClear(GL_COLOR_BUFFER_BIT);
  if (DrawingAllowed()) {
    BeginBlendedFrame(false);
    Play();
    glDisable(GL_BLEND);
  }
  PumpViewerLink();
  ShowFrame();
}

void DisplayNo() {
  if (just_changed_state) EnterNoGraphics();
  if (DrawingAllowed()) {
    IdentityProjection();
    CameraStep(false);
    Play();
  }
  PumpViewerLink();
  DoFullScreenToggle();
}

void DisplayWithClient() {
  if (just_changed_state) {
    LeaveClientDisplay();
    EnterClientDisplay();
  }
  if (DrawingAllowed()) {
    IdentityProjection();
    CameraStep(false);
    OrthoOverWindow();
    PlayWithClient();
  }
  PumpViewerLink();
  ShowFrame();
}

void Display() {
  using namespace frame_decisions;
  // 1. The viewer's state.
  const bool connected = IsClientConnected();
  const bool on_this_device = connected && ClientRunningOnThisDevice();
  const bool focus = (connected && on_this_device && interface_state >= kFirstInAirState) ? ServerHasFocus() : true;
  const int reconciled = ReconcileViewerState(interface_state, connected, on_this_device,
                                              show_drumming_ui_when_client_connected, focus);
  if (reconciled != interface_state) ChangeInterfaceState(reconciled);

  // 2. One frame function.
  switch (ChooseFrameFunction(interface_state, graphics_mode, drums_muted)) {
    case FrameFunction::kNormal: DisplayNormal(); break;
    case FrameFunction::kMarkersOnly: DisplayMarkersOnly(); break;
    case FrameFunction::kSlowLow: DisplaySlowLow(); break;
    case FrameFunction::kNo: DisplayNo(); break;
    case FrameFunction::kWithClient: DisplayWithClient(); break;
    case FrameFunction::kNone: break;
  }

  // 3. Songs: the playlist scheduler and the delayed start.
  if (SongCountdownStep(interface_state, frames_until_song_start, drummer.playlist.empty()).schedule)
    drummer.ScheduleSongLoadingPlaying(false, valid_song_file);
  if (frames_until_song_start == 0) drummer.PlaySong(true);
  if (frames_until_song_start >= 0) --frames_until_song_start;

  // 4. The deferred start-up, at the end of the third call.
  if (DeferredStartupDue(krakouiked, krakouikedf)) krakouiked = Krakouik();

  // 5. A sound device that stopped by itself is reported on the terminal, once.
  sound.audio.ReportStoppedStream();
}

void ResetDisplayForTest(bool started_up) {
  krakouikedf = 2;
  krakouiked = started_up;
}

void Idle() { window_services.post_redisplay(); }

void Reshape(int width, int height) {
  if (!full_screen) {
    window_width = width;
    window_height = height;
    DisableResize();
  }
  glViewport(0, 0, width, height);
  WebcamWindowMapping::CenterWebcam(width, height);
  window_services.post_redisplay();
}

bool DoFullScreenToggle() {
  using frame_decisions::ToggleAction;
  const ToggleAction action = frame_decisions::FullScreenToggleAction(full_screen_toggle_frames, full_screen);
  if (action == ToggleAction::kNothing) return false;
  if (action == ToggleAction::kEnterFullScreen) {
    window_x = window_services.x();
    window_y = window_services.y();
    window_width = window_services.width();
    window_height = window_services.height();
    window_services.full_screen();
  } else if (action == ToggleAction::kLeaveFullScreen) {
    window_services.position(window_x, window_y);
    window_services.reshape(window_width, window_height);
    DisableResize();
  }
  --full_screen_toggle_frames;
  return action != ToggleAction::kCountDown;
}
