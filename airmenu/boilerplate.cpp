// The in-air frame body: tracking, the picture in the current graphics mode, the song
// count-down, the frame-rate watch, the recording border and the mouse buttons of the
// drumming screens, then the way from the drumming page to the play menu.
#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "airmenu/calibration.h"
#include "airmenu/drumming_mouse_buttons.h"
#include "airmenu/frame_rate_watch.h"
#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "airmenu/viewer_link.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "render/airwidget_drawing.h"
#include "render/imgui.h"
#include "sound/sound.h"
#include "tracking/webcam.h"

namespace {

constexpr int kViewerIconGreyFrames = 251;  // the icon stays "..." until the counter reaches it

// What the common head of the renderers found this frame.
struct Head {
  int w = 0, h = 0;
  int status = 0;
  bool tracking = false;  // status below 3: markers are tracked and drawn
};

void LightingMessages(int status) {
  struct TwoLines {
    int first, second;
  };
  TwoLines text = {-1, -1};
  if (status == Webcam::kStatusBlobTooLarge) text = {kTextSomeMarkersToo, kTextClickHomeButton};
  if (status == Webcam::kStatusFarTooManyBlobs || status == Webcam::kStatusOverflow)
    text = {kTextDrummingLocationToo, kTextButtonThenSetup};
  if (status == Webcam::kStatusTooManyBlobs || status == Webcam::kStatusPopping)
    text = {kTextWarningMarkersBit, kTextHomeButtonThen};
  if (text.first < 0) return;
  DistanceMenu::AddMessage(GetUtf8(text.first), 15, 1, 0.0f, false, false);
  DistanceMenu::AddMessage(GetUtf8(text.second), 16, 1, 0.0f, false, false);
}

Head RunHead(DistanceMenu& menu, bool drumming, bool vignette) {
  Head head;
  head.w = WindowWidth();
  head.h = WindowHeight();
  Webcam::Blob blobs[4];
  const int n = webcam.FindBlobs(blobs, 4);
  head.status = webcam.BadLightingSuspected(n);
  LightingMessages(head.status);
  DistanceMenu::UpdateButtonActivation();
  head.tracking = head.status < Webcam::kStatusBlobTooLarge;
  const bool track = head.tracking && NewCameraFrame();
  if (drumming) {
    if (track) drummer.Drum(blobs, n, nullptr, &menu, false);
    return head;
  }
  if (vignette) webcam.DrawVignette();
  if (track) {
    drummer.Label(blobs, n);
    drummer.TestDistanceMenu(menu, false);
  }
  return head;
}

const Font* MessageFont() {
  return drummer.Drum_Full_Screen ? DistanceMenu::m_message_font : DistanceMenu::m_message_windowed_font;
}

void DrawRecordingBorder(float& frame, int w, int h) {
  if (!recording) return;
  const float pi = 3.1415927f;
  const float alpha = 0.5f + 0.5f * std::sin(pi * std::sin(pi * frame / kFramesPerSecond) + 4.71238899f);
  glColor4f(1.0f, 0.0f, 0.0f, alpha);
  glEnable(GL_LINE_SMOOTH);
  glLineWidth(6.0f);
  glBegin(GL_LINE_LOOP);
  glVertex2f(1.0f, 1.0f);
  glVertex2f(w - 1.0f, 1.0f);
  glVertex2f(w - 1.0f, h - 1.0f);
  glVertex2f(1.0f, h - 1.0f);
  glEnd();
  glLineWidth(1.0f);
  glDisable(GL_LINE_SMOOTH);
  frame += 1.0f;
}

void DrawMarkers(const Head& head, bool labels) {
  if (!head.tracking) return;
  drummer.RenderMocapMarkers(head.w, head.h, !show_marker_color);
  if (labels) drummer.RenderMocapMarkerLabels(head.w, head.h, DistanceMenu::m_message_font);
}

// The icon that opens the viewer start page, or asks a connected viewer to quit.
void ViewerIcon(int& id, int w, int& frames_since_pressed) {
  if (interface_state != kPlay) return;
  if (frames_since_pressed < kViewerIconGreyFrames) {
    imgui.DoButtonGreyed(w - 75, 55, 70, 50, "...");
  } else if (!IsClientConnected()) {
    if (imgui.DoButtonIconOnly(id++, w - 75, 55, 70, 50, UI_ICON_THREE_D)) {
      ChangeInterfaceState(kClientStartScreen, 0, 0, 0);
      frames_since_pressed = 0;
    }
  } else if (imgui.DoButtonIconOnly(id++, w - 75, 55, 70, 50, UI_ICON_THREE_D_CROSSED)) {
    SendMessage_QuitClient();
    frames_since_pressed = 0;
  }
}

// The widget part of a renderer: return-to-viewer button, VU meter, mouse icons, viewer icon.
void MouseButtons(const Head& head, bool vu_meter, int& frames_since_pressed, int counter_step) {
  imgui.Begin(false);
  int id = 1;
  if (interface_state == kPlay && IsClientConnected() && !frame_calls.client_on_this_device() &&
      imgui.DoButton(id++, int(head.w * 0.5 - 210), int(head.h * 0.95), 420, 50, GetUtf8(kTextReturnSkytapper3D)))
    show_drumming_ui_when_client_connected = false;
  if (vu_meter) DrawVUMeter(head.w - 55, head.h - 20, 40, 150, sound.audio.GetPeak(), true, true);
  DoDrummingMouseButtons(id);
  ViewerIcon(id, head.w, frames_since_pressed);
  frames_since_pressed += counter_step;
  imgui.End();
}

void DrawKitNormal(DistanceMenu& menu, const Head& head, int state) {
  const bool left = drummer.Is_Left_Handed;
  drummer.RenderProperties(head.w, head.h, MessageFont());
  if (state == kAdjustCymbalChoking) {
    webcam.DrawVignette();
    menu.Render(true, kFramesPerSecond);
    drumkit.DrawPedals(true, left);
    drumkit.DrawChokeZones(true, drummer.Drum_Full_Screen);
  } else {
    drumkit.DrawChokeZones(false, drummer.Drum_Full_Screen);
    webcam.DrawVignette();
    menu.Render(true, kFramesPerSecond);
    drumkit.DrawPedals(true, left);
  }
  drumkit.Draw(true, left);
  Calibration::DrawDeadPixels();
}

void DrawKitSlowLow(DistanceMenu& menu, const Head& head, int state) {
  const bool left = drummer.Is_Left_Handed;
  if (render_what == kPhaseBackground && state != kAdjustCymbalChoking)
    drumkit.DrawChokeZones(false, drummer.Drum_Full_Screen);
  if (render_what == kPhaseBackground) {
    drummer.RenderProperties(head.w, head.h, MessageFont());
    if (!DrawsSimplified(graphics_mode)) webcam.DrawVignette();
  }
  if (render_what == kPhaseMiddle) menu.Render(true, kFramesPerSecond);
  if (render_what == kPhaseBackground) {
    drumkit.DrawPedals(true, left);
    if (state == kAdjustCymbalChoking) drumkit.DrawChokeZones(true, drummer.Drum_Full_Screen);
    drumkit.Draw(true, left);
    Calibration::DrawDeadPixels();
  }
}

// The head of the normal and the slow renderers: the markers, the kit drawn by draw_kit while
// drumming, the song's count-down and the frame rate.
Head RunKitHead(DistanceMenu& menu, bool drumming, int state, void (*draw_kit)(DistanceMenu&, const Head&, int)) {
  const Head head = RunHead(menu, drumming, true);
  if (drumming) draw_kit(menu, head, state);
  DisplaySongCountDown(menu, head.w, head.h, false);
  DoFPS();
  return head;
}

// What the normal and the slow renderers draw over the picture and the kit; each renderer keeps
// its own recording-border phase and viewer-icon counter.
struct Overlay {
  float frame = 0.0f;
  int frames_since_client_button_pressed = kViewerIconGreyFrames;
};

void DrawOverlay(DistanceMenu& menu, const Head& head, Overlay& overlay, bool vu_meter, int counter_step) {
  menu.Render(false, kFramesPerSecond);
  if (interface_state == kAdjustAnyVolume) drumkit.DrawHitSpeed();
  DrawMarkers(head, true);
  DrawRecordingBorder(overlay.frame, head.w, head.h);
  MouseButtons(head, vu_meter, overlay.frames_since_client_button_pressed, counter_step);
}

void DrawCountDownDirect(const char* first, const char* second, int width, int height) {
  const Font* font = MessageFont();
  if (!font) return;
  glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
  font->Print(width * 0.5f, height * 0.6f, Font::ALIGN_CENTER, first);
  if (second) font->Print(width * 0.5f, height * 0.54f, Font::ALIGN_CENTER, second);
}

}  // namespace

unsigned int markers_only_texture = 0;

void Boilerplate(DistanceMenu& menu, bool drumming, int state) {
  frame_calls.menu_seen(menu);
  switch (graphics_mode) {
    case kGraphicsNormal: BoilerplateNormal(menu, drumming, state); break;
    case kGraphicsMarkersOnly:
      if (interface_state == kPlay && !drums_muted) BoilerplateMocapMarkersOnly(menu, false, state);
      else BoilerplateSlowLow(menu, drumming, state);
      break;
    case kGraphicsSlow:
    case kGraphicsSlowSimplified: BoilerplateSlowLow(menu, drumming, state); break;
    case kGraphicsNone: BoilerplateNo(menu, drumming, state); break;
    default: break;
  }
  if (interface_state == kPlay && graphics_mode != kGraphicsNone && !use_old_style_menu_button &&
      drummer.BothHandsBelowFootLine())
    ChangeInterfaceState(kPlayMenu, 0, 0, 0);
}

void BoilerplateNormal(DistanceMenu& menu, bool drumming, int state) {
  static Overlay overlay;
  const Head head = RunKitHead(menu, drumming, state, DrawKitNormal);
  DrawOverlay(menu, head, overlay, drumming, 1);
}

void BoilerplateSlowLow(DistanceMenu& menu, bool drumming, int state) {
  static Overlay overlay;
  const Head head = RunKitHead(menu, drumming, state, DrawKitSlowLow);
  if (render_what != kPhaseSwap) return;
  DrawOverlay(menu, head, overlay, drumming && !DrawsSimplified(graphics_mode), 2);
}

void BoilerplateNo(DistanceMenu& menu, bool drumming, int) {
  RunHead(menu, drumming, true);
  DoFPS();
}

void BoilerplateMocapMarkersOnly(DistanceMenu& menu, bool, int) {
  static float frame = 0.0f;
  const Head head = RunHead(menu, true, false);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, markers_only_texture);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0); glVertex2f(0, 0);
  glTexCoord2f(0, 1); glVertex2f(0, head.h);
  glTexCoord2f(1, 1); glVertex2f(head.w, head.h);
  glTexCoord2f(1, 0); glVertex2f(head.w, 0);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  for (const Drumkit::Drum& drum : drumkit.drums) {
    if (drum.category == Sound::CATEGORY_HAND || drum.foot_size <= 0.0f) continue;
    drumkit.DrawPedalState(Webcam::WebcamXToWindowX(drum.foot_x), Webcam::WebcamYToWindowY(26.0f),
                           head.h * 0.8f / 1080.0f, drum, drummer.Is_Left_Handed);
  }
  DisplaySongCountDown(menu, head.w, head.h, true);
  menu.RenderMocapMarkersOnly();
  if (head.tracking && NewCameraFrame()) drummer.RenderMocapMarkers(head.w, head.h, !show_marker_color);
  DrawRecordingBorder(frame, head.w, head.h);
  DoFPS();
}

void DisplaySongCountDown(DistanceMenu&, int width, int height, bool direct) {
  if (frames_until_song_start < 0) return;
  if (frames_until_song_start == 0 && !direct) {
    DistanceMenu::AddMessage("", 8, 4, 0.0f, false, false);
    DistanceMenu::AddMessage("", 9, 4, 0.0f, false, false);
    return;
  }
  const int seconds = frames_until_song_start / kFramesPerSecond + 1;
  char number[32];
  if (GetLanguageString() == "ja") {
    char line[256];
    snprintf(line, sizeof(line), GetUtf8(kTextSongStarts), seconds);  // the Japanese text holds the number
    if (direct) DrawCountDownDirect(line, nullptr, width, height);
    else DistanceMenu::AddMessage(line, 8, 4, 0.0f, false, false);
    return;
  }
  snprintf(number, sizeof(number), "%d", seconds);
  if (direct) {
    DrawCountDownDirect(GetUtf8(kTextSongStarts), number, width, height);
    return;
  }
  DistanceMenu::AddMessage(GetUtf8(kTextSongStarts), 8, 4, 0.0f, false, false);
  DistanceMenu::AddMessage(number, 9, 4, 0.0f, false, false);
}
