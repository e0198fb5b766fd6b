// The keyboard, mouse and text-input callbacks. Almost everything goes to the widget GUI; the
// keyboard callback acts on a few keys itself.
#include <cstdlib>

#include "airmenu/pages.h"
#include "airmenu/viewer_link.h"
#include "app/app.h"
#include "app/decisions.h"
#include "drumming/distance_menu.h"
#include "drumming/drummer.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "frame/utf8.h"
#include "frame/window.h"
#include "render/imgui.h"
#include "screens/recordings_screen.h"

namespace {

void CycleGraphicsMode() {
  switch (graphics_mode) {
    case kGraphicsNormal: EnterMarkersOnly(); break;
    case kGraphicsMarkersOnly: LeaveMarkersOnly(); break;
    case kGraphicsSlowSimplified: EnterNoGraphics(); break;
    case kGraphicsNone: {
      const std::string title = frame_decisions::WindowTitle(GetUtf8(kTextSkytapper), skytapper_version);
      window_services.set_title(title.c_str());
      break;
    }
    default: break;
  }
  graphics_mode = frame_decisions::NextGraphicsMode(graphics_mode);
}

void StoreMouse(int x, int y) {
  imgui.mouse_x = x;
  imgui.mouse_y = window_services.height() - 1 - y;
}

}  // namespace

void Keyboard(unsigned char key, int x, int y) {
  int k = key;
  if (k == 'c' || k == 'v' || k == 'x' || k == 'q' || k == 'Q') {
    if (IsCmdPressed()) {
      // Super-Q is the application's Quit; Super-C, -V and -X are copy, paste and cut.
      if (k == 'q' || k == 'Q') exit(0);
      k = k == 'c' ? 3 : (k == 'v' ? 22 : 24);
    }
  }
  if (k < 32 || k == 127) imgui.AddKey(k);
  const bool consumed = imgui.HandleMacTextUnmarking(static_cast<unsigned char>(k));
  imgui.modifiers = window_services.modifiers();
  if (!consumed) {
    switch (k) {
      case 7:  // Ctrl-G
        DistanceMenu::ClearMessages();
        if (interface_state == kPlay) {
          CycleGraphicsMode();
          drummer.SaveLastSession();
          bad_state_count = 0;
        }
        break;
      case 9:  // Tab
        ApplyVsyncOff();
        break;
      case 21:  // Ctrl-U
        if (IsClientConnected() && !ClientRunningOnThisDevice())
          show_drumming_ui_when_client_connected = !show_drumming_ui_when_client_connected;
        break;
      case 27:  // Esc
        EndWavExport();
        switch (frame_decisions::EscapeAction(interface_state, graphics_mode)) {
          case frame_decisions::EscAction::kQuit: exit(0);
          case frame_decisions::EscAction::kBackToMainMenu: drummer.GoBackToMainMenu(); break;
          case frame_decisions::EscAction::kNothing: break;
        }
        break;
      case 32:  // Space
        if (interface_state >= kFirstInAirState) {
          if (graphics_mode == kGraphicsNone) graphics_mode = kGraphicsSlowSimplified;
          drummer.GoBackToMainMenu();
        }
        break;
      default: break;
    }
  }
  (void)x;
  (void)y;
  window_services.post_redisplay();
}

void KeyboardUp(unsigned char, int, int) { window_services.post_redisplay(); }

void Special(int key, int, int) {
  if (!IsCmdPressed()) imgui.SetSpecialKey(key, true);
  imgui.modifiers = window_services.modifiers();
}

void SpecialUp(int key, int, int) {
  imgui.SetSpecialKey(key, false);
  imgui.modifiers = window_services.modifiers();
}

void Mouse(int button, int state, int x, int y) {
  StoreMouse(x, y);
  imgui.modifiers = window_services.modifiers();
  if (button == 0) imgui.mouse_down = state == 0;
}

void PassiveMotion(int x, int y) { StoreMouse(x, y); }

void Motion(int x, int y) { StoreMouse(x, y); }

void InsertText(const char* text) {
  static unsigned short units[1024];
  imgui.marked_text = "";
  const int n = StrFromUtf8(units, 1024, text, nullptr);
  for (int i = 0; i < n; ++i) imgui.AddKey(units[i]);
}

void SetMarkedText(const char* text) { imgui.marked_text = text ? text : ""; }
