// The home and full-screen icons of the drumming screens.
#include "airmenu/drumming_mouse_buttons.h"

#include "airmenu/calibration.h"
#include "drumming/drummer.h"
#include "drumming/progress.h"
#include "frame/frame_globals.h"
#include "render/airwidget_drawing.h"
#include "render/imgui.h"

void DoDrummingMouseButtons(int& id) {
  if (imgui.DoButtonIconOnly(id++, 3, 55, 70, 50, UI_ICON_HOME)) {
    if (calibration.GetStage() != Calibration::kIdle) calibration.LeaveWizard();
    drummer.GoBackToMainMenu();
  }
  if (imgui.DoButtonIconOnly(id++, 3, 115, 70, 50, full_screen ? UI_ICON_WINDOWED : UI_ICON_FULLSCREEN)) {
    calibration.DeleteCurrentImage();
    drummer.ToggleDrumsFullscreen();
  }
  DrawSamplesProgress(id, false);
  ++id;
}
