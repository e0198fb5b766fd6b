// The drum kit the player drums on: its drums, where each sits in the camera picture, which
// sound element each plays, how a stroke's speed becomes a volume, icons, pedals, MIDI
// mapping and the cymbal choke zones.
#pragma once
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "render/animation.h"
#include "render/image.h"
#include "sound/midi.h"
#include "sound/sound.h"
#include "tracking/mocap_marker.h"

class IniFile;
class DistanceMenu;

// The hit disk of one drum in 3D (metres).
struct DrumDisk {
  float centre[3];
  float hit_centre[3];
  float normal[3];
  float radius;
};

void SetDrumDisk(float x, float y, float size, Sound::ElementType type, DrumDisk& disk, float min_diameter);

// Natural cubic spline over arrays indexed 1..n.
void fit_spline(const float* x, const float* y, int n, float* y2);
void eval_spline(const float* x, const float* y, const float* y2, int n, float at, float& result);

// Interpolates one of the 21-point response curves at velocity 0..1.
float ApplyVolumeCurve(float velocity, Sound::VolumeResponseCurve curve);

// Pushes (x, y) away from the obstacles until it is 38 pixels from all of them; false when it
// gave up after 3001 steps.
bool FindBestLocation(const std::vector<MocapMarker::Position>& obstacles, bool move_right, float x, float y,
                      float& out_x, float& out_y);
// Moves a menu button at (x, y) straight away from the first button's place until their rims
// stand a pixel apart (the drums keep buttons only 38 pixels away, less than two radii).
void KeepButtonsApart(const MocapMarker::Position& first, float& x, float& y);

// Prints the "Missing" label centred at a window point.
void PrintMissing(float x, float y);

// Default icon pictures shared by all kits; empty until Drumkit::Init.
extern std::string default_pedal_path;
extern std::string default_hihat_bottom_icon_path;
extern std::string default_kick_beater_icon_path;

// Colour of drums not yet placed by the set-up wizard.
extern const float not_yet_placed_drum_color[4];

class Drumkit {
 public:
  // Speed (camera pixels per tracking frame as the marker measures it) to volume 0..1.
  class VolumeMap {
   public:
    VolumeMap() = default;

    void SetVolume(std::vector<std::pair<float, float>>& points);
    void MakeOnePointMap(float max_speed);
    float GetVolume(float speed) const;
    // The second point's speed of a two-point map (0 for a map with fewer points).
    float GetMaxSpeed() const;
    bool Init(const char* prefix, int point_count, const IniFile& ini, MocapMarkerType type);
    bool SaveIni(const char* prefix, FILE* file, MocapMarkerType type) const;
    void Evaluate(std::vector<std::pair<float, float>>& out) const;

    // Arrays: with fewer than three points `count` values from index 0; with three or more
    // count + 1 values, the points at 1..count (the spline layout).
    std::vector<float> speeds;
    std::vector<float> volumes;
    std::vector<float> second_derivatives;
    int count = 0;
    std::vector<std::pair<float, float>> points;
  };

  struct VolumeSensitivityDefault {
    float hand_sensitivity;
    int volume;
    int volume_curve;
    float spare;
    float foot_sensitivity;
    int volume2;
    int volume_curve2;
  };

  // One picture of a drum. The texture is made the first time the icon is drawn, so kits load
  // without a GL context.
  struct Icon {
    bool Init(const char* path, Animation::Type type);
    bool Init(const char* path, const std::vector<Animation::Type>& types);
    void Draw(float x, float y, float scale, bool tint, bool dim, float t);
    void DrawHalo(float x, float y, float scale, bool rectangular) const;
    void GetScreenDimensions(float scale, float& w, float& h) const;
    void Animate(int index, float strength, float dir_a, float dir_b);
    void StopAnimations();

    std::vector<Animation> animations;
    Image image;
    float width = 0;
    float height = 0;
    int current_animation = 0;
    float offset_x = 0;
    float offset_y = 0;
    std::string path;
    bool texture_tried = false;  // the texture was made (or failed) at the first drawing
  };

  struct Drum {
    bool IsCalibrated() const;
    void Animate(float strength, Sound::ElementCategory stroke_category, float dir_a, float dir_b);
    void StopAnimations();

    float x = 0, y = 0;
    float size = 0;
    float foot_x = 0, foot_y = 0;
    float foot_size = 0;
    char name[32] = {};
    Sound::ElementType type = Sound::ElementType(0);
    Sound::ElementCategory category = Sound::ElementCategory(0);
    VolumeMap hand_map;
    VolumeMap foot_map;
    std::vector<Icon> icons;
    Icon pedal_icon;
    float openness = 0;
    float pedal_lowest_foot_y = 0;
    float pedal_foot_range = 0;  // negated: -r for a travel of r pixels
    float raw_openness = 0;
    float hihat_splash_sensitivity = 0;
    float hihat_clutch_openness = 100.0f;
    float midi_bow_edge_threshold = 0;
    float midi_rimshot_threshold = 0;
    float midi_hand_filter_threshold = 0;
    float midi_foot_filter_threshold = 0;
    // foot_x as the kit file has it, and what the camera stand added to it in memory: saving
    // writes the file's value back while the pedal was not moved.
    float foot_x_in_file = 0;
    float stand_shift = 0;
    // A drum without sound (its element is missing): its calibration lines as read, written
    // back unchanged.
    std::string lines_as_read;
  };

  Drumkit();
  ~Drumkit();
  Drumkit(const Drumkit&) = delete;
  Drumkit& operator=(const Drumkit&) = delete;

  void Init();
  void CleanUp();
  bool InitFromChooser(Sound& sound, const std::string& path, const std::vector<std::string>& names,
                       const std::vector<Sound::ElementType>& types,
                       const std::vector<Sound::ElementCategory>& categories,
                       const std::map<int, int>& drum_to_element, int splash_element, bool is_preset,
                       bool right_handed, bool use_camera_stand);
  // Appends the [Drumkit calibration] section; false when the file could not be written.
  bool SaveCalibrationInfo(const std::string& path) const;
  static std::string GetDrumkitCalibrationLegend();
  // is_calibrated: every drum with a sound has its place and its volume maps.
  void UpdateCalibrated();
  void InitVolumeMaps(const IniFile& ini);
  void InitIcons(const IniFile& ini);

  void SetDrumDefaults(int drum);
  int GetDrumkitElementToSoundElement(int drum) const;
  void SetVolume(int drum, int volume, bool pedal);
  int GetVolume(int drum, bool pedal) const;
  void SetVolumeCurve(int drum, Sound::VolumeResponseCurve curve, bool pedal);
  Sound::VolumeResponseCurve GetVolumeCurve(int drum, bool pedal) const;
  void FreeSamplesForMIDI();
  void EraseForMIDI();
  void StopAnimations();

  // Camera x, y and marker radius to 3D metres (the tracking transform).
  static void CorrectCoords(float& x, float& y, float& size);

  // Finding the drum for a stroke.
  int FindDrum(Sound::ElementCategory category, float x, float y, float size);
  int FindDrumOrMenu(float x, float y, float size, bool dominant, DistanceMenu* menu, int& nearby);
  void RememberHit(int drum, MocapMarkerType type, float speed, bool firm);
  bool GetFirmlyHitTwiceDrum(int& drum, MocapMarkerType& type) const;
  void ResetTwiceFirmHit();

  // Playing.
  void PlayDrum(int drum, float volume, Sound::Limb limb, float openness, bool left_handed,
                bool second_foot) const;
  void TestChokeZones(bool& left, bool& right, float x, float y) const;
  void PedalCloses(int drum);
  void PedalSplash(int drum, float volume, float openness, bool second_foot);
  bool PedalPlacedTooClose(int drum, float x) const;
  void SetPan(bool right_handed, int drum);
  void SetPanCenter();
  void RecreateMIDIMap();
  MidiNotes* GetMIDINotes(int drum);

  // Drawing.
  void Draw(bool no_kick_halo, bool unused);
  void DrawPedals(bool dim, bool unused);
  void DrawPedalState(float x, float y, float scale, const Drum& drum, bool unused);
  void DrawSelectedDrum(int drum, float scale, MocapMarkerType type, bool no_kick_halo);
  void DrawForPlacement(int current, int first_foot, const std::vector<int>& order, bool unused);
  void DrawHitSpeed();
  void DrawChokeZones(bool highlight, bool full_screen);
  void DrawVolumeMap(int drum);
  float GetLowestDrumY() const;

  // In-air menu layout around the placed drums.
  bool SetDistanceMenuLocations(bool left_handed);

  bool use_3d = false;
  float disk_radius_factor = 0;
  float disk_plane_distance = 0;
  float disk_min_diameter = 0;
  int accuracy_setting = 0;
  bool vr_mode = false;
  Sound* sound = nullptr;
  std::vector<Drum> drums;
  bool is_calibrated = false;
  float depth_scale = 30.0f;
  std::map<Sound::ElementType, int> order_weights;
  std::map<Sound::ElementType, std::string> type_icon_paths;
  std::map<Sound::ElementType, Animation::Type> type_animations;
  std::map<Sound::ElementType, VolumeSensitivityDefault> type_defaults;
  std::map<int, int> drum_to_element;
  int shown_drum = -1;
  int last_hit_drum = -1;  // the drum a stroke last hit, -1 none; the drumming page resets it
  MocapMarkerType shown_marker_type = MocapMarkerType(0);
  int shown_frames = 0;
  float shown_speed = 0;
  int firm_drum = -1;
  MocapMarkerType firm_marker_type = MocapMarkerType(0);
  bool firmly_hit_twice = false;
  float pan_width = 0.8f;
  float foot_reach = 42.0f;
  bool is_user_kit = true;
  int splash_element = -1;
  float choke_zone_width = 70.0f;
  float choke_zone_height = 70.0f;
  float choke_zone_angle = 80.0f;
  float choke_zone_direction = 0.5324733f;
  float left_choke_distance = 200.0f;
  float right_choke_distance = 200.0f;
  float left_choke_scale = 0.75f;
  float right_choke_scale = 0.75f;
  std::vector<MidiNotes> midi_notes;  // one per drum, rebuilt by RecreateMIDIMap
};

extern Drumkit drumkit;
