// The help pages, the about screen and the greyed help page of the first screen. The pages are
// full pictures (the current picture of the screen services) with their buttons in rows that
// follow the picture: at its natural size from 710 pixels up, stretched over lower windows.
#include "screens/help_screens.h"

#include <cstdio>
#include <string>

#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/paths.h"
#include "frame/platform/platform.h"
#include "frame/platform/spawn.h"
#include "frame/texts.h"
#include "render/airwidget_drawing.h"
#include "render/imgui.h"
#include "screens/screen_common.h"
#include "screens/screen_services.h"
#include "screens/screens.h"

namespace {

enum : int { kManual = ScreenId(kHelpScreen, 1), kPrevious, kClose, kNext, kFinish, kConfigureAudio, kAbout, kStartupHelp };
enum : int { kAboutClose = ScreenId(kAboutScreen, 1) };

struct HelpRows {
  int top, nav, box;  // y of the manual and About row, the navigation row, the check box
  int extra;          // the manual button's widening in Russian
};

HelpRows Rows(int H) {
  HelpRows r{H - 649, H - 461, H - 669, IsLanguage("ru") ? 100 : 0};
  if (H < 710) {
    const float s = static_cast<float>(H) / 720.0f;
    const int k = static_cast<int>(4.0f / s);
    r.top = H - 1 - static_cast<int>(648 * s) + k;
    r.nav = H - 1 - static_cast<int>(460 * s) + k;
    r.box = H - 1 - static_cast<int>(668 * s) + k;
  }
  return r;
}

void DrawPage(int H) { screen_services.draw_picture(H < 710 ? 2 : 0, 0, 0); }

void LoadPicture(const char* name) {
  screen_services.load_picture(MakePath(kPathImages, GetImageFileName(name)));
}

// The About button: wider in Russian, wider and further left in Japanese.
void AboutBox(int& x, int& w) {
  const int j = IsLanguage("ja") ? 20 : 0, r = IsLanguage("ru") ? 20 : 0;
  x = 814 - j;
  w = 104 + j + r;
}

void ShowPage(int& page, int new_page) {
  screen_services.delete_picture();
  page = new_page;
  LoadHelpScreenImage(page);
}

void Leave(InterfaceState state) {
  screen_services.delete_picture();
  ChangeInterfaceState(state);
}

void DoNavigation(const HelpRows& r, int& page) {
  const bool first_run = drummer.Never_Ran;
  if (page != 1) {
    if (imgui.DoButton(kPrevious, 38, r.nav, 124, 54, GetUtf8(kTextPrevious))) ShowPage(page, page - 1);
  } else if (!first_run) {
    imgui.DoButtonGreyed(38, r.nav, 124, 54, GetUtf8(kTextPrevious));
  }
  if (!first_run && imgui.DoButton(kClose, 198, r.nav, 104, 54, GetUtf8(kTextClose))) Leave(kMainScreen);
  if (page != 2) {
    if (first_run) RectangleHalo(812, static_cast<float>(r.nav + 2), 108, 58);
    if (imgui.DoButton(kNext, 814, r.nav, 104, 54, GetUtf8(kTextNext))) ShowPage(page, page + 1);
  } else if (!first_run) {
    if (imgui.DoButton(kFinish, 814, r.nav, 104, 54, GetUtf8(kTextFinish))) Leave(kMainScreen);
  } else {
    RectangleHalo(712, static_cast<float>(r.nav + 2), 208, 58);
    if (imgui.DoButton(kConfigureAudio, 710, r.nav, 208, 54, GetUtf8(kTextConfigureAudio))) Leave(kLatencyScreen);
  }
}

// The manual in the browser without a shell; when the opener cannot be started, the player
// gets the manual's address instead.
void OpenManual() {
  if (LaunchCommand({"xdg-open", kManualAddress})) return;
  char text[512];
  snprintf(text, sizeof text, GetUtf8(kTextManualCouldOpened), kManualAddress);
  MessageBox(text, false, true);
}

}  // namespace

// state_param = the page (0: the first); the about screen's state_param is the help page.
void OpenHelpScreen(int page) { ChangeInterfaceState(kHelpScreen, page); }
void OpenAboutScreen(int help_page) { ChangeInterfaceState(kAboutScreen, help_page); }

void LoadHelpScreenImage(int page) {
  char name[32];
  snprintf(name, sizeof name, "help%d.png", page);
  LoadPicture(name);
}

void DoHelpScreen() {
  static int help_screen_number = 1;
  if (EnteringPage()) {
    screen_services.delete_picture();
    help_screen_number = state_param >= 1 ? state_param : 1;
    LoadHelpScreenImage(help_screen_number);
  }
  const int H = ScreenHeight();
  const HelpRows r = Rows(H);
  DrawPage(H);
  if (imgui.DoButton(kManual, 38, r.top, 346 + r.extra, 54, GetUtf8(kTextOpenManualBrowser))) OpenManual();
  DoNavigation(r, help_screen_number);
  int about_x, about_w;
  AboutBox(about_x, about_w);
  if (imgui.DoButton(kAbout, about_x, r.top, about_w, 54, GetUtf8(kTextAbout)))
    OpenAboutScreen(help_screen_number);
  if (imgui.DoCheckBox(kStartupHelp, 405 + r.extra, r.box, "", drummer.Wants_Startup_Help, false)) {
    drummer.Wants_Startup_Help = !drummer.Wants_Startup_Help;
    drummer.SaveLastSession();
  }
}

void DoHelpScreen1Greyed() {
  static bool once = false;
  if (!once) {
    once = true;
    screen_services.delete_picture();
    LoadHelpScreenImage(1);
  }
  const int H = ScreenHeight();
  const HelpRows r = Rows(H);
  DrawPage(H);
  imgui.DoButtonGreyed(38, r.top, 346 + r.extra, 54, GetUtf8(kTextOpenManualBrowser));
  if (!drummer.Never_Ran) imgui.DoButtonGreyed(198, r.nav, 104, 54, GetUtf8(kTextClose));
  imgui.DoButtonGreyed(814, r.nav, 104, 54, GetUtf8(kTextNext));
  int about_x, about_w;
  AboutBox(about_x, about_w);
  imgui.DoButtonGreyed(about_x, r.top, about_w, 54, GetUtf8(kTextAbout));
  imgui.DoCheckBoxGreyed(405 + r.extra, r.box, "", false);
}

void DoAboutScreen() {
  static int help_page = 0;  // the help page Close goes back to
  if (EnteringPage()) {
    help_page = state_param;
    screen_services.delete_picture();
    LoadPicture("about-light.png");
  }
  const int H = ScreenHeight();
  screen_services.draw_picture(0, 0, 0);
  if (imgui.DoButton(kAboutClose, 814, H - 651, 104, 54, GetUtf8(kTextClose))) {
    screen_services.delete_picture();
    OpenHelpScreen(help_page);
  }
}
