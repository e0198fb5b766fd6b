// Stages 1 and 2 of the set-up wizard: where in the room to drum, and how to place and set the
// camera, with the dominant-hand and camera-stand questions on a first run or after the
// camera-stand update.
#include <GL/gl.h>

#include <string>

#include "airmenu/calibration.h"
#include "airmenu/drumming_mouse_buttons.h"
#include "airmenu/page_frame.h"
#include "drumming/distance_menu.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "drumming/progress.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "render/font.h"
#include "render/imgui.h"
#include "render/widget_drawing_state.h"
#include "tracking/webcam.h"

namespace {

constexpr int kGerman = 2;
constexpr int kFormFadeFrames = 45;
constexpr int kBigPicturesHeight = 901;           // full-screen height from which the 850 pictures show
constexpr int kBigPicturesHeightAfterForm = 801;  // the same right after the form

// The form of the camera page and its answers.
struct HandForm {
  bool shown = false;
  int fade_frames = 0;
  bool right_hand = false, left_hand = false;
  bool stand = false, no_stand = false;
};
HandForm form;

bool BigPictures(int least_height) { return full_screen && DistanceMenu::m_full_screen_height >= least_height; }

std::string WhereToDrumPicture() {
  return BigPictures(kBigPicturesHeight) ? "calib-where-to-drum-850.png" : "calib-where-to-drum-600.png";
}

std::string CameraPicture(int least_height) {
  if (drummer.Use_Camera_Stand) return "lens-setting-stand.png";
  const std::string side = drummer.Is_Left_Handed ? "left" : "right";
  return "calib-camera-" + side + (BigPictures(least_height) ? "-850.png" : "-600.png");
}

// A check box of a pair: checking it clears the other.
void Choice(int& id, int x, int y, TextId text, bool& mine, bool& other) {
  if (imgui.DoCheckBox(id++, x, y, GetUtf8(text), mine, true)) {
    mine = true;
    other = false;
  }
}

// The form's ground, fading in; the form's texts after it are drawn with the blending the frame had.
void FadeIn(int w, int h) {
  skyt::EnableGuard blend(GL_BLEND, true);
  glColor4f(0.95f, 0.95f, 0.95f, (1.0f - float(form.fade_frames) / kFormFadeFrames) * 0.95f);
  glBegin(GL_QUADS);
  glVertex2f(0, 0);
  glVertex2f(0, float(h));
  glVertex2f(float(w), float(h));
  glVertex2f(float(w), 0);
  glEnd();
}

void CentredText(int y, int w, const char* text) {
  const Font* font = imgui.font;
  const int width = font ? int(font->GetWidth(text)) : 0;
  imgui.DoText(int(0.5 * w) - width / 2, y, "%s", text);
}

void CameraButtons(int& id, int w, int h) {
  int x = int(0.25 * w);
  if (drummer.Use_Camera_Stand) {
    CentredText(int(0.16 * h + 65), w, GetUtf8(kTextEnsureLampFully));
    CentredText(int(0.16 * h + 35), w, GetUtf8(kTextPutCameraLens));
    x = int(0.5 * w);
  }
  const bool next = imgui.DoButton(id++, x, int(0.16 * h), 104, 50, GetUtf8(kTextNext));
  const bool back = imgui.DoButton(id++, x - 120, int(0.16 * h), 104, 50, GetUtf8(kTextBack));
  if (next) {
    calibration.DeleteCurrentImage();
    calibration.ChangeStage(drummer.Use_Camera_Stand ? Calibration::kLighting : Calibration::kSeat);
  } else if (back) {
    calibration.DeleteCurrentImage();
    if (calibration.IsFirstRun()) calibration.ChangeStage(Calibration::kWhereToDrum);
    else calibration.LeaveToMainScreen();
  }
}

// The answers taken: the stand, a new hand with its first kit, the session.
void TakeHandForm() {
  drummer.Use_Camera_Stand = form.stand;
  const bool left = drummer.Never_Ran ? form.left_hand : drummer.Is_Left_Handed;
  if (left != drummer.Is_Left_Handed) {
    drummer.Is_Left_Handed = left;
    if (drummer.kit_library) drummer.kit_library->BuildDrumkitList(left);
    if (!form.stand) calibration.ReplaceStagePicture(CameraPicture(kBigPicturesHeightAfterForm));
    if (drummer.ChooseDrumkit(left ? "My First Skytapper Kit (LH)" : "My First Skytapper Kit (RH)", true))
      DrawSamplesProgress(0, true);
  }
  if (form.stand) calibration.ReplaceStagePicture("lens-setting-stand.png");
  drummer.Never_Ran = false;
  drummer.SaveLastSession();
  drummer.Ran_After_Stand_Update = true;
  form.shown = false;
}

// The form alone on its veil: the page's picture and buttons would only show through it.
void HandFormFrame(int& id, int w, int h) {
  FadeIn(w, h);
  if (form.fade_frames > 0) {
    --form.fade_frames;
    return;
  }
  const int x = int(0.4 * w), y = int(0.6 * h);
  const bool ask_hand = drummer.Never_Ran;
  if (ask_hand) {
    imgui.DoText(x, y, "%s", GetUtf8(kTextWhichDominantHand));
    Choice(id, x, y - 35, kTextRightHand, form.right_hand, form.left_hand);
    Choice(id, x, y - 70, kTextLeftHand, form.left_hand, form.right_hand);
  }
  imgui.DoText(x, y - 120, "%s", GetUtf8(kTextUsingSkytapperCamera));
  Choice(id, x, y - 155, kTextYes, form.stand, form.no_stand);
  Choice(id, x, y - 190, kTextNo, form.no_stand, form.stand);
  const bool answered = (!ask_hand || form.right_hand || form.left_hand) && (form.stand || form.no_stand);
  if (!answered)
    imgui.DoButtonGreyed(x, y - 240, 180, 40, GetUtf8(kTextNext));
  else if (imgui.DoButton(id++, x, y - 240, 180, 40, GetUtf8(kTextNext)))
    TakeHandForm();
  imgui.DoText(int(0.25 * w - 120), y - 298, "%s", GetUtf8(kTextCameraStandUsage));
}

}  // namespace

int Calibration::CalibWhereToDrum() {
  const int w = WindowWidth(), h = WindowHeight();
  LoadStagePicture(WhereToDrumPicture());
  DrawCurrentImage(kNaturalSize);
  imgui.Begin(false);
  const int x = int(drummer.Use_Camera_Stand ? 0.5 * w : 0.25 * w), y = int(0.16 * h);
  int id = 1;
  const bool next = imgui.DoButton(id++, x, y, 104, 50, GetUtf8(kTextNext));
  const bool cancel = imgui.DoButton(id++, x - 120, y, language == kGerman ? 114 : 104, 50, GetUtf8(kTextCancel));
  if (next) {
    DeleteCurrentImage();
    ChangeStage(first_run ? kCamera : kSeat);
  } else if (cancel) {
    DeleteCurrentImage();
    LeaveToMainScreen();
  }
  DoDrummingMouseButtons(id);
  imgui.End();
  return 0;
}

int Calibration::CalibCamera() {
  const int w = WindowWidth(), h = WindowHeight();
  LoadStagePicture(CameraPicture(kBigPicturesHeight));
  if (EnteringStage()) {
    // Each entry asks afresh, and only while the session lacks an answer.
    form = HandForm();
    if (drummer.Never_Ran || !drummer.Ran_After_Stand_Update) form = HandForm{true, kFormFadeFrames};
  }
  if (!form.shown) DrawCurrentImage(kNaturalSize);
  imgui.Begin(false);
  int id = 1;
  if (form.shown) HandFormFrame(id, w, h);
  else CameraButtons(id, w, h);
  DoDrummingMouseButtons(id);
  imgui.End();
  return 0;
}
