// The frame-rate watchdog: a measurement every 20 calls, judged where tracking matters.
#include "airmenu/frame_rate_watch.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>

#include "airmenu/calibration.h"
#include "airmenu/page_frame.h"
#include "drumming/distance_menu.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/host_clock.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "render/airwidget_drawing.h"
#include "sound/sound.h"

namespace {

constexpr int kMeasureEvery = 20;       // DoFPS calls between two measurements
constexpr int kHiddenCalls = 125;       // the indicator shows from the 126th call after a restart
constexpr int kBadMeasurements = 6;     // slow measurements before the graphics warning
constexpr int kStableForVsync = 31;     // steady slow measurements that mean vertical sync
constexpr int kAudioCauseMeasurements = 9;

struct Watch {
  uint64_t base = 0;
  float fps = 0.0f;
  int state = 0;
  float last_fps = 0.0f;
  int bad_stable_count = 0;
  bool can_be_vsync = false;
  bool is_vsync = false;
  float last_vsync_rate = 150.0f;
  int audio_loading_cause = 0;
};

int RateState(float fps) { return fps > 121.5f ? 0 : fps > 110.0f ? 1 : 2; }

// The watchdog judges only where tracking matters: drumming, the volume page, moving a drum
// and placing the drums.
bool Judged() {
  return interface_state == kPlay || interface_state == kAdjustAnyVolume || interface_state == kMoveDrum ||
         (interface_state == kWizard && calibration.GetStage() == Calibration::kPlaceDrums);
}

void GraphicsWarning() {
  DistanceMenu::AddMessage("", 11, 3, 1500.0f, true, false);
  DistanceMenu::AddMessage(GetUtf8(kTextGraphicsInterferingDrumming), 12, 3, 1500.0f, true, false);
  DistanceMenu::AddMessage(GetUtf8(kTextCycleThroughFaster), 13, 3, 1500.0f, true, false);
  DistanceMenu::AddMessage("", 14, 3, 1500.0f, true, false);
}

void VsyncWarning(Watch& watch) {
  GraphicsWarning();
  watch.is_vsync = true;
  watch.last_vsync_rate = watch.fps;
}

void AudioMessage() {
  DistanceMenu::AddMessage("", 9, 3, 3000.0f, false, false);
  DistanceMenu::AddMessage(GetUtf8(kTextSkytapperRunSmoother), 10, 3, 3000.0f, false, false);
  DistanceMenu::AddMessage("", 11, 3, 3000.0f, false, false);
}

bool AudioStillLoading() {
  const float duration = sound.audio.GetDuration(sound.song);
  return sound.audio.GetRawQueueSize() >= 1 || (duration > 0.0f && !sound.song.IsLoaded());
}

// A slow measurement; true when the audio message was shown.
bool JudgeSlow(Watch& watch) {
  ++bad_state_count;
  if (!watch.can_be_vsync) {
    if (std::fabs(watch.fps - watch.last_fps) < 1.5f) {
      if (++watch.bad_stable_count >= kStableForVsync) {
        VsyncWarning(watch);
        return false;
      }
    } else {
      if (watch.fps > watch.last_vsync_rate + 3.0f) {
        watch.can_be_vsync = true;
        watch.is_vsync = false;
      }
      watch.bad_stable_count = 0;
    }
  }
  if (watch.is_vsync) {
    VsyncWarning(watch);
  } else if (bad_state_count >= kBadMeasurements) {
    if (AudioStillLoading()) {
      AudioMessage();
      watch.audio_loading_cause = kAudioCauseMeasurements;
      return true;
    }
    if (watch.audio_loading_cause == 0) GraphicsWarning();
  }
  return false;
}

void Judge(Watch& watch) {
  if (watch.state == 0) {
    if (bad_state_count > 0) --bad_state_count;
  } else if (!JudgeSlow(watch) && watch.audio_loading_cause > 0) {
    --watch.audio_loading_cause;
  }
  watch.last_fps = watch.fps;
}

void Measure(Watch& watch) {
  const uint64_t now = HostTimeNanos();
  const double seconds = (now - watch.base) * 1e-9;
  watch.fps = seconds > 0.0 ? float(kMeasureEvery / seconds) : 0.0f;
  watch.base = now;
  watch.state = RateState(watch.fps);
  if (Judged()) Judge(watch);
}

void DrawIndicator(const Watch& watch) {
  if (graphics_mode == kGraphicsNone) {
    char title[512];
    snprintf(title, sizeof(title), GetUtf8(kTextSkytapperGraphicsDisabled), watch.fps);
    if (window_services.set_title) window_services.set_title(title);
    return;
  }
  if ((graphics_mode == kGraphicsSlow || graphics_mode == kGraphicsSlowSimplified) && render_what != kPhaseSwap) return;
  const int y = WindowHeight() - 1;
  const Font* font = DistanceMenu::m_message_windowed_font;
  if (graphics_mode != kGraphicsMarkersOnly && font) {
    glColor4f(0, 0, 0, 1);
    glPushMatrix();
    glTranslatef(5.0f, y - 65.0f, 0.0f);
    glScalef(0.5f, 0.5f, 1.0f);
    font->Printf(0, 0, Font::ALIGN_LEFT, GetUtf8(kTextFps), watch.fps);
    glPopMatrix();
  }
  DrawFPSIndicator(5, y - 5, 55, 40, watch.state, true, true);
}

}  // namespace

void DoFPS() {
  static Watch watch;
  static bool first_time = true;
  int& calls = Calibration::m_fps_frame;
  if (first_time || calls == 1) watch.base = HostTimeNanos();
  first_time = false;
  if (calls % kMeasureEvery == 0) Measure(watch);
  if (calls > kHiddenCalls) DrawIndicator(watch);
  ++calls;
}

void InstallFrameRateWatch() {
  interface_state_calls = {.restart_frame_rate_watch = [] { Calibration::m_fps_frame = 1; }};
}
