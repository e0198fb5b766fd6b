// The viewer pages (33 and 34) and the frozen pictures: a picture drawn once, read back into
// a texture and shown in its place by graphics mode 1, graphics mode 4 and the viewer page.
#include <GL/gl.h>

#include <algorithm>

#include "airmenu/calibration.h"
#include "airmenu/drumming_mouse_buttons.h"
#include "airmenu/frame_rate_watch.h"
#include "airmenu/frozen_picture.h"
#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "airmenu/viewer_link.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "render/airwidget_drawing.h"
#include "render/imgui.h"
#include "tracking/webcam.h"

unsigned int client_display_texture = 0;

namespace {

constexpr int kQuitIconGreyFrames = 126;

void OrthoOverWindow(int w, int h) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, w, 0, h, -w, w);
  glMatrixMode(GL_MODELVIEW);
}

void StartPicture(int w, int h) {
  glClear(GL_COLOR_BUFFER_BIT);
  OrthoOverWindow(w, h);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// Blending off, then the picture as it stands.
unsigned int Freeze(int w, int h) {
  glDisable(GL_BLEND);
  return FreezePicture(w, h);
}

void DeleteTexture(unsigned int& texture) {
  if (texture) glDeleteTextures(1, &texture);
  texture = 0;
}

void ShowPicture(unsigned int texture, int w, int h) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0); glVertex2f(0, 0);
  glTexCoord2f(0, 1); glVertex2f(0, h);
  glTexCoord2f(1, 1); glVertex2f(w, h);
  glTexCoord2f(1, 0); glVertex2f(w, 0);
  glEnd();
  glDisable(GL_TEXTURE_2D);
}

// Red notice lines centred over a panel: first at top, the others 0.04 h apart below it.
void Notice(const int (&texts)[3], int w, int h, float panel_top, float panel_height, float first_y) {
  const Font* font = DistanceMenu::m_message_font;
  if (!font) return;
  const float width = font->GetWidth(GetUtf8(texts[0]));
  TextDistanceVisibility(w * 0.5f - width * 0.5f, h * panel_top, width, h * panel_height);
  glColor4f(0.8f, 0.0f, 0.0f, 1.0f);
  for (int i = 0; i < 3; ++i) font->Print(w * 0.5f, h * (first_y - 0.04f * i), Font::ALIGN_CENTER, GetUtf8(texts[i]));
}

void DrawFrozenKit(int w, int h) {
  webcam.Draw(1.0f);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  drumkit.DrawChokeZones(false, drummer.Drum_Full_Screen);
  drummer.RenderProperties(w, h, DistanceMenu::m_message_font);
  webcam.DrawVignette();
  DistanceMenu menu;
  if (use_old_style_menu_button)
    AddButton(menu, kMenuButton, kTextMenu, DistanceMenu::m_with_drums_x, DistanceMenu::m_with_drums_y, false, true);
  DistanceMenu::ResetButtonActivation();
  menu.Render(true, kFramesPerSecond);
  drumkit.StopAnimations();
  drumkit.Draw(true, drummer.Is_Left_Handed);
  Calibration::DrawDeadPixels();
}

void StartMessages() {
  const bool installed = IsMacClientInstalled();
  ShowLine(0, GetUtf8(kTextSkytapperNowDisplay));
  ShowLine(1, GetUtf8(kTextN3DVirtualReality));
  ShowLine(3, GetUtf8(installed ? kTextWishViewDrums : kTextViewerInstalledComputer));
  ShowLine(4, GetUtf8(installed ? kTextClickButtonBelow : kTextDownloadSkytapperOrg));
  const int first = installed ? 8 : 6;
  const TextId other_device[] = {kTextWishViewDrumsDifferent, kTextDeviceLikeMobile, kTextSkytapperApplicationDevice};
  for (int i = 0; i < 3; ++i) ShowLine(first + i, GetUtf8(other_device[i]));
}

}  // namespace

void EnterMarkersOnly() {
  const int w = WindowWidth(), h = WindowHeight();
  glClear(GL_COLOR_BUFFER_BIT);
  OrthoOverWindow(w, h);
  DrawFrozenKit(w, h);
  Notice({kTextFastGraphicsMode1, kTextPressCtrlG, kTextPressEscReturn}, w, h, 0.99f, 0.13f, 0.96f);
  markers_only_texture = Freeze(w, h);
}

void LeaveMarkersOnly() { DeleteTexture(markers_only_texture); }

void EnterNoGraphics() {
  const int w = WindowWidth(), h = WindowHeight();
  StartPicture(w, h);
  Notice({kTextNoGraphicsMode, kTextPressCtrlGGo, kTextPressEscReturn}, w, h, 0.63f, 0.135f, 0.6f);
  glDisable(GL_BLEND);
  glFlush();
  window_services.swap_buffers();
}

void EnterClientDisplay() {
  const int w = WindowWidth(), h = WindowHeight();
  StartPicture(w, h);
  webcam.DrawVignette();
  glPushMatrix();
  glTranslatef(0.0f, -0.38f * h, 0.0f);
  const Font* font = DistanceMenu::m_message_font;
  if (font) {
    const float width = font->GetWidth(GetUtf8(kTextSeeDrummingInterface));
    const bool here = frame_calls.client_on_this_device();
    TextDistanceVisibility(w * 0.5f - width * 0.5f, h * 0.99f, width, h * (here ? 0.05f : 0.25f));
    glColor4f(0, 0, 0, 1);
    font->Print(w * 0.5f, h * 0.96f, Font::ALIGN_CENTER, GetUtf8(kTextSkytapper3DViewer));
    if (!here) {
      font->Print(w * 0.5f, h * 0.92f, Font::ALIGN_CENTER, GetUtf8(kTextSeeDrummingInterface));
      font->Print(w * 0.5f, h * 0.88f, Font::ALIGN_CENTER, GetUtf8(kTextClickButtonBelow));
    }
  }
  glPopMatrix();
  client_display_texture = Freeze(w, h);
}

void LeaveClientDisplay() { DeleteTexture(client_display_texture); }

void ClientStartScreen() {
  DistanceMenu menu;
  EnteringPage();  // nothing to set up on entry
  const int w = WindowWidth(), h = WindowHeight();
  StartMessages();
  webcam.DrawVignette();
  menu.Render(true, kFramesPerSecond);
  menu.Render(false, kFramesPerSecond);
  imgui.Begin(false);
  int id = 1;
  DoDrummingMouseButtons(id);
  if (IsMacClientInstalled()) {
    if (imgui.DoButtonIconOnly(id++, int(w * 0.5 - 35), int(h * 0.73), 70, 50, UI_ICON_THREE_D)) {
      LaunchMacClient();
      OpenPlayPage();
    }
    if (imgui.DoButton(id++, int(w * 0.5 - 52), int(h * 0.16), 104, 50, GetUtf8(kTextBack)))
      OpenPlayPage();
  }
  imgui.End();
}

void PlayWithClient() {
  static int redraw_texture = -1;
  static int frames_since_client_button_pressed = 0;
  const int w = WindowWidth(), h = WindowHeight();
  if (EnteringPage()) {
    redraw_texture = -1;
    frames_since_client_button_pressed = 0;
  }
  DistanceMenu menu;
  Webcam::Blob blobs[4];
  const int n = webcam.FindBlobs(blobs, 4);
  if (webcam.BadLightingSuspected(n) < Webcam::kStatusBlobTooLarge && NewCameraFrame())
    drummer.Drum(blobs, n, nullptr, &menu, false);
  if (redraw_texture <= 0) {
    glClear(GL_COLOR_BUFFER_BIT);
    ShowPicture(client_display_texture, w, h);
  }
  imgui.Begin(false);
  int id = 1;
  if (!frame_calls.client_on_this_device() &&
      imgui.DoButton(id++, int(w * 0.5 - 102), int(h * 0.46), 204, 50, GetUtf8(kTextShowInterface)))
    show_drumming_ui_when_client_connected = true;
  if (frames_since_client_button_pressed < kQuitIconGreyFrames) {
    imgui.DoButtonGreyed(w - 75, 55, 70, 50, "...");
  } else if (imgui.DoButtonIconOnly(id++, w - 75, 55, 70, 50, UI_ICON_THREE_D_CROSSED)) {
    SendMessage_QuitClient();
    frames_since_client_button_pressed = 0;
  }
  redraw_texture = std::min(redraw_texture + 1, 0);
  DoFPS();
  ++frames_since_client_button_pressed;
  imgui.End();
}
