// The set-up wizard (interface state 35): its stage machine, its help picture and the
// dead-pixel overlay. One global object, main thread only.
#pragma once

#include <cstdint>
#include <string>

#include "render/image.h"
#include "tracking/webcam.h"

class Drummer;
class Imgui;
class IniFile;
class DistanceMenu;

class Calibration {
 public:
  enum Stage : int {
    kIdle = 0,             // not in the wizard
    kWhereToDrum = 1,
    kCamera = 2,           // camera and handedness
    kSeat = 3,             // seat and camera placement
    kLighting = 4,         // lighting check of the wizard
    kLightingFromSeat = 5, // lighting check asked from the seat page
    kPlaceDrums = 6,
    kStand = 7,            // camera stand and feet
  };
  // How DrawCurrentImage places the picture.
  enum ImageDimensions : int { kNaturalSize = 0, kOverCamera = 1, kOverWindow = 2 };

  Calibration() = default;
  ~Calibration();
  Calibration(const Calibration&) = delete;
  Calibration& operator=(const Calibration&) = delete;

  // Keeps the three objects and makes the empty dead-pixel overlay; called once by the
  // program start after the sound manager (the settings are not read). Needs a GL context.
  void Init(Drummer& drummer, Webcam& webcam, Imgui& imgui, const IniFile& settings);
  // Frees the help picture and the overlay.
  void CleanUp();
  // Called by the main screen right after it changed to state 35: play is true for Play and
  // false for Setup. Takes the first-run flag from the session.
  void Start(bool play);
  void ChangeStage(Stage stage);
  // Camera back to tracking, stage 0; the wizard's exits do the same steps themselves.
  void Finish();
  // One frame of state 35: 0 at stage 0 (nothing drawn), else 1.
  int Display();

  bool LoadCurrentImage(const char* path);
  void DeleteCurrentImage();
  void DrawCurrentImage(ImageDimensions dimensions);

  // The red dead-pixel overlay over the camera picture.
  static void DrawDeadPixels();
  // The dead-pixel mask of the lighting check: cleared with its overlay; this frame's bright
  // pixels added (returns the masked pixels inside the vignette); widened by 2 pixels.
  void ResetDeadPixels();
  int ComputeDeadPixelsMax();
  void DilateDeadPixels();
  // Bright areas the last lighting check ringed (calib_lighting.h keeps them).
  int GetCrownCount() const;

  Stage GetStage() const { return stage; }
  bool IsFirstRun() const { return first_run; }

  // What the stage pages share. True once, on a stage's first frame.
  bool EnteringStage();
  // Stage 0, marked new, messages cleared, picture freed; then, for LeaveToMainScreen, the
  // camera back to tracking and the main screen.
  void LeaveWizard();
  void LeaveToMainScreen();
  // The stage's help picture from the images folder, unless one is loaded; a picture that
  // failed is tried again once a second, not every frame. Replace loads it afresh.
  void LoadStagePicture(const std::string& name);
  void ReplaceStagePicture(const std::string& name);

  static Image m_dead_pixels_image;  // 320 x 240, one alpha byte a pixel
  static bool m_have_dead_pixels_image;
  // Calls of the frame-rate watchdog (DoFPS, frame_rate_watch.h) since the last restart, plus
  // 1; any interface state change or full-screen switch sets it back to 1.
  static int m_fps_frame;
  // A lighting check passed or was skipped; the main screen reads it.
  static bool were_lights_checked;

 private:
  // The stage pages, each in its own file with its own state: 1 and 2 calib_camera.cpp, 3
  // calib_seat.cpp, 4 and 5 calib_lighting.cpp, 6 calib_drums.cpp, 7 calib_stand.cpp.
  int CalibWhereToDrum();
  int CalibCamera();
  int CalibCameraSeatPlacement();
  int CalibCheckLighting();
  int CalibDrums();
  int CalibStand();
  void UploadDeadPixels();

  Stage stage = kIdle;
  bool stage_is_new = false;
  Image current_image;
  bool image_loaded = false;
  Drummer* m_drummer = nullptr;
  Webcam* m_webcam = nullptr;
  Imgui* m_imgui = nullptr;
  bool first_run = true;
  uint64_t picture_failed_at = 0;  // host time of the last failed picture load, 0 none
  static constexpr uint64_t kPictureRetryNanos = 1'000'000'000;
};

extern Calibration calibration;

// Marks of the camera-stand page, in camera coordinates (a drawn y of v is camera row 239 - v):
// a circle of 32 segments, outlined W / 240 wide or filled; a foot icon centred at a window
// point; the stand picture centred at a window point.
void DrawCircle3fv(int W, float x, float y, float r, bool outline, float* rgb);
void DrawFootIcon(bool right, bool too_near, float x, float y, float alpha);
void DrawStandStrip(float x, float y, float scale, const Image& image);

// The wizard's state (35) entered from the main screen, its stage set apart (Start or
// ChangeStage); skip_stand_page: a lighting check that passes goes on without the camera-stand
// page.
void OpenWizard(bool skip_stand_page = false);

