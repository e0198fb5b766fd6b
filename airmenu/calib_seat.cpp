// Stage 3 of the set-up wizard: the camera's colour picture with a drawn drummer over it, to
// turn camera and seat until the user sits where the drawing does; warns of a bright place and
// leads to the lighting check.
#include "airmenu/calib_seat.h"

#include <vector>

#include "airmenu/calib_lighting.h"
#include "airmenu/calibration.h"
#include "airmenu/drumming_mouse_buttons.h"
#include "airmenu/page_frame.h"
#include "drumming/distance_menu.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "render/airwidget_drawing.h"
#include "render/imgui.h"
#include "tracking/ps3eye_glue.h"
#include "tracking/webcam.h"

namespace {

constexpr int kDoneFromFrame = 60;     // "Done" shows from the page's 61st frame
constexpr int kBrightWarningFrame = 61;
constexpr int kBrightGain = 20;        // the camera's gain at or below this: a bright place
constexpr int kGainParameter = 3;

struct SeatPage {
  bool manual_check_was_good = false;
  bool text_on = true;
  int frame = 0;  // frames since entry
};
SeatPage seat;

const Font* MessageFont() {
  return drummer.Drum_Full_Screen ? DistanceMenu::m_message_font : DistanceMenu::m_message_windowed_font;
}


void Enter() {
  const SeatEntry entry = SeatEntry(state_param);
  webcam.ChangeMode(0);
  seat.frame = 0;
  if (entry == SeatEntry::kFresh && Calibration::m_have_dead_pixels_image) {
    static const std::vector<unsigned char> clear(Webcam::kWidth * Webcam::kHeight, 0);
    Calibration::m_dead_pixels_image.UpdateData(clear.data());
  }
  seat.manual_check_was_good = entry == SeatEntry::kLightingFoundGood;
  seat.text_on = true;
}

// The picture, the drawing and the messages; true when "Check lighting" is offered.
bool Picture(int w, int h) {
  const bool stand = drummer.Use_Camera_Stand;
  if (!stand)
    calibration.LoadStagePicture(drummer.Is_Left_Handed ? "drummer-sitting-left.png" : "drummer-sitting-right.png");
  webcam.Draw(1.0f);
  Calibration::DrawDeadPixels();
  bool offer_check = false;
  if (CrownCount() > 0) {
    DrawFoundCrowns(seat.frame);
    ShowLine(13, GetUtf8(kTextRemoveCoverRed));
    ShowLine(14, GetUtf8(kTextNoteRedAreas));
    ShowLine(15, GetUtf8(kTextClickCheckLighting));
    offer_check = true;
  }
  if (!stand) {
    ShowLine(0, GetUtf8(kTextTurnCameraSideways));
    ShowLine(1, GetUtf8(kTextSitDrawnDrummer));
    if (calibration.IsFirstRun()) ShowLine(2, GetUtf8(kTextThenGoSit));
  }
  drummer.RenderProperties(w, h, MessageFont());
  if (!stand) calibration.DrawCurrentImage(Calibration::kOverCamera);
  webcam.DrawVignette();
  if (PSEyeGetParameter(kGainParameter) <= kBrightGain && seat.frame >= kBrightWarningFrame &&
      !seat.manual_check_was_good) {
    DistanceMenu::AddMessage(GetUtf8(kTextLocationSeemsQuite), 9, 1, 1500.0f, false, false);
    DistanceMenu::AddMessage(GetUtf8(kTextButtonBeforeAdjusting), 10, 1, 1500.0f, false, false);
    offer_check = true;
  }
  return offer_check;
}

void Buttons(int& id, int w, int h, bool offer_check) {
  const int x = int(0.25 * w), y = int(0.16 * h);
  if (offer_check && imgui.DoButton(id++, x - 120, int(0.48 * h), 220, 50, GetUtf8(kTextCheckLighting))) {
    calibration.DeleteCurrentImage();
    OpenLighting(Calibration::kLightingFromSeat);
    return;
  }
  if (seat.frame >= kDoneFromFrame && imgui.DoButton(id++, x, y, 104, 50, GetUtf8(kTextDone))) {
    calibration.DeleteCurrentImage();
    OpenLighting(Calibration::kLighting);
    return;
  }
  if (!imgui.DoButton(id++, x - 120, y, 104, 50, GetUtf8(kTextBack))) return;
  calibration.DeleteCurrentImage();
  if (!calibration.IsFirstRun()) calibration.LeaveToMainScreen();
  else calibration.ChangeStage(drummer.Use_Camera_Stand ? Calibration::kWhereToDrum : Calibration::kCamera);
}

}  // namespace

// state_param: the SeatEntry.
void OpenSeat(SeatEntry entry) {
  state_param = int(entry);
  calibration.ChangeStage(Calibration::kSeat);
}

int Calibration::CalibCameraSeatPlacement() {
  if (EnteringStage()) Enter();
  const int w = WindowWidth(), h = WindowHeight();
  const bool offer_check = Picture(w, h);
  imgui.Begin(false);
  int id = 1;
  if (imgui.DoButtonIconOnly(id++, w - 53, 55, 50, 50, seat.text_on ? UI_ICON_T_CROSSED : UI_ICON_T))
    seat.text_on = !seat.text_on;
  if (!seat.text_on) DistanceMenu::ClearMessages();
  DistanceMenu menu;
  menu.Render(false, 60.0f);
  Buttons(id, w, h, offer_check);
  DoDrummingMouseButtons(id);
  imgui.End();
  ++seat.frame;
  return 0;
}
