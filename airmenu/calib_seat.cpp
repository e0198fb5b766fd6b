// Stage 3 of the set-up wizard: the camera's colour picture with a drawn drummer over it, to
// turn camera and seat until the user sits where the drawing does; warns of a bright place and
// leads to the lighting check.
#include <vector>

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
};
SeatPage seat;

const Font* MessageFont() {
  return drummer.Drum_Full_Screen ? DistanceMenu::m_message_font : DistanceMenu::m_message_windowed_font;
}

}  // namespace

// state_param: the SeatEntry.
void Calibration::OpenSeat(SeatEntry entry) {
  state_param = int(entry);
  ChangeStage(kSeat);
}

void Calibration::EnterSeat() {
  const SeatEntry entry = SeatEntry(state_param);
  webcam.ChangeMode(0);
  page_frame = 0;
  if (entry == SeatEntry::kFresh && m_have_dead_pixels_image) {
    static const std::vector<unsigned char> clear(Webcam::kWidth * Webcam::kHeight, 0);
    m_dead_pixels_image.UpdateData(clear.data());
  }
  seat.manual_check_was_good = entry == SeatEntry::kLightingFoundGood;
  seat.text_on = true;
  stage_is_new = false;
}

// The picture, the drawing and the messages; true when "Check lighting" is offered.
bool Calibration::SeatPicture(int w, int h) {
  const bool stand = drummer.Use_Camera_Stand;
  if (!stand) LoadStagePicture(drummer.Is_Left_Handed ? "drummer-sitting-left.png" : "drummer-sitting-right.png");
  webcam.Draw(1.0f);
  DrawDeadPixels();
  bool offer_check = false;
  if (crown_count > 0) {
    DrawCrowns(crowns, crown_count);
    ShowLine(13, GetUtf8(kTextRemoveCoverRed));
    ShowLine(14, GetUtf8(kTextNoteRedAreas));
    ShowLine(15, GetUtf8(kTextClickCheckLighting));
    offer_check = true;
  }
  if (!stand) {
    ShowLine(0, GetUtf8(kTextTurnCameraSideways));
    ShowLine(1, GetUtf8(kTextSitDrawnDrummer));
    if (first_run) ShowLine(2, GetUtf8(kTextThenGoSit));
  }
  drummer.RenderProperties(w, h, MessageFont());
  if (!stand) DrawCurrentImage(kOverCamera);
  webcam.DrawVignette();
  if (PSEyeGetParameter(kGainParameter) <= kBrightGain && page_frame >= kBrightWarningFrame &&
      !seat.manual_check_was_good) {
    DistanceMenu::AddMessage(GetUtf8(kTextLocationSeemsQuite), 9, 1, 1500.0f, false, false);
    DistanceMenu::AddMessage(GetUtf8(kTextButtonBeforeAdjusting), 10, 1, 1500.0f, false, false);
    offer_check = true;
  }
  return offer_check;
}

void Calibration::SeatButtons(int& id, int w, int h, bool offer_check) {
  const int x = int(0.25 * w), y = int(0.16 * h);
  if (offer_check && imgui.DoButton(id++, x - 120, int(0.48 * h), 220, 50, GetUtf8(kTextCheckLighting))) {
    DeleteCurrentImage();
    OpenLighting(kLightingFromSeat);
    return;
  }
  if (page_frame >= kDoneFromFrame && imgui.DoButton(id++, x, y, 104, 50, GetUtf8(kTextDone))) {
    DeleteCurrentImage();
    OpenLighting(kLighting);
    return;
  }
  if (!imgui.DoButton(id++, x - 120, y, 104, 50, GetUtf8(kTextBack))) return;
  DeleteCurrentImage();
  if (!first_run) LeaveToMainScreen();
  else ChangeStage(drummer.Use_Camera_Stand ? kWhereToDrum : kCamera);
}

int Calibration::CalibCameraSeatPlacement() {
  if (stage_is_new) EnterSeat();
  const int w = WindowWidth(), h = WindowHeight();
  const bool offer_check = SeatPicture(w, h);
  imgui.Begin(false);
  int id = 1;
  if (imgui.DoButtonIconOnly(id++, w - 53, 55, 50, 50, seat.text_on ? UI_ICON_T_CROSSED : UI_ICON_T))
    seat.text_on = !seat.text_on;
  if (!seat.text_on) DistanceMenu::ClearMessages();
  DistanceMenu menu;
  menu.Render(false, 60.0f);
  SeatButtons(id, w, h, offer_check);
  DoDrummingMouseButtons(id);
  imgui.End();
  ++page_frame;
  return 0;
}
