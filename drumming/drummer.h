// The air-drumming controller: labels the blobs as the four markers, turns strokes of sticks
// and feet into drum hits or in-air button presses, works the pedals, and keeps the playlist
// and the last-session settings.
#pragma once
#include <string>
#include <vector>

#include "sound/logger.h"
#include "sound/sound.h"
#include "tracking/labeler.h"
#include "tracking/mocap_marker.h"
#include "tracking/webcam.h"

class Drumkit;
class DrumkitChooser;
class MidiMapChooser;
class DistanceMenu;
class IniFile;
class Font;

class Drummer {
 public:
  typedef int Limb;  // 0 left hand, 1 right hand, 2 left foot, 3 right foot
  enum : int { LEFT_HAND = 0, RIGHT_HAND = 1, LEFT_FOOT = 2, RIGHT_FOOT = 3 };

  struct Song {
    std::string name;  // file name without folder and extension
    std::string path;  // as listed in the playlist
    float tempo = 0;
    int offset = 0;
    bool changed = false;
  };

  static constexpr float m_default_pedal_range_foot = 5.0f;
  static constexpr float m_max_pedal_range = 12.0f;

  Drummer() = default;
  Drummer(const Drummer&) = delete;
  Drummer& operator=(const Drummer&) = delete;

  // Start-up and session.
  void Init(Drumkit& kit, DrumkitChooser& kits, MidiMapChooser& maps, Webcam& webcam, const IniFile& settings);
  bool LoadLastSession();
  void SaveLastSession();
  bool ChooseDrumkit(const std::string& name, bool flag);
  // Reloads the current kit, saved with an edited element list, keeping what its drums in memory
  // hold (saved or not) for the drums whose element stays; new drums come as the file has them.
  bool FollowEditedKit(const std::string& name, const std::vector<std::string>& old_elements,
                       const std::vector<std::string>& new_elements);
  // Saves the loaded kit with its positions: the library writes the [Drumkit] part to a
  // temporary file, the calibration is appended and the kit file replaced at once. False, with
  // the user's message, when the kit file was left as it was.
  bool SaveCalibration(std::string* message = nullptr);
  void TogglePanning();
  int GetMidiMapIndex() const { return Midi_Map_Index; }
  void SetMidiMapIndex(int index) { Midi_Map_Index = index; }

  // Per-frame drumming.
  void Drum(Webcam::Blob* blobs, int count, Logger::Frame* frame, DistanceMenu* menu, bool silent);
  // The step of one stick.
  void Drum(MocapMarker& marker, Logger::Frame* frame, DistanceMenu* menu, bool silent);
  void DrumFoot(MocapMarker& marker, Logger::Frame* frame, bool silent);
  void TriggerHit(MocapMarker& marker, float speed, Limb limb, int drum, float& volume, bool silent);
  void Label(Webcam::Blob* blobs, int count);
  bool TestDistanceMenu(DistanceMenu& menu, bool flag);
  bool DetectHitToPlaceDrumOrMenu(DistanceMenu& menu, MocapMarker::Position& position,
                                  MocapMarker::Position& stroke_position, float& speed, Limb& limb);
  bool HavePick(int& drum, Limb& limb) const;
  void PickDrum(int drum, Limb limb, float speed);

  // What every load of a kit ends with; false when it did not load.
  bool TakeLoadedKit(bool loaded);

  // Pedals.
  void UpdatePedals();
  bool BothHandsBelowFootLine() const;
  void GetFeetPositions(MocapMarker::Position& right, MocapMarker::Position& left) const;
  void SetPedalParams(int drum, float unused, bool right_foot);

  // Songs and playlist.
  void LoadPlaylist();
  void SavePlaylistAndSetCurrentSong(int index);
  bool LoadSong();
  void PlaySong(bool now);
  bool StopSong();
  bool NextSong();
  bool PreviousSong();
  void ScheduleSongLoadingPlaying(bool request, bool& loaded);
  bool GetCurrentSongAndStartTime(float& start, Song& song) const;
  bool IsPlayingSong() const { return song_playing; }

  // Interface.
  void GoBackToMainMenu();
  void ToggleDrumsFullscreen();

  // Rendering.
  void RenderMocapMarkers(int width, int height, bool smooth);
  void RenderMocapMarkerLabels(int width, int height, const Font* font);
  void RenderProperties(int width, int height, const Font* font);

  bool IsDominant(const MocapMarker& m) const { return Is_Left_Handed ? &m == &left_hand : &m == &right_hand; }
  MocapMarker& DominantHand() { return Is_Left_Handed ? left_hand : right_hand; }
  MocapMarker& OtherHand() { return Is_Left_Handed ? right_hand : left_hand; }

  bool picked = false;
  int picked_drum = -1;
  Limb picked_limb = 0;
  MocapMarker left_hand;
  MocapMarker right_hand;
  MocapMarker left_foot;
  MocapMarker right_foot;
  bool Is_Left_Handed = false;
  float Dominant_Hand_Reach = 0.4f;
  float Speed_Threshold_Play = 30.0f;
  float Speed_Threshold_Place = 200.0f;
  float Speed_Threshold_Foot_Play = 15.0f;
  float Speed_Threshold_Foot_Place = 40.0f;
  int splash_delay = 3;
  float right_pending_splash_volume = 0;
  float left_pending_splash_volume = 0;
  Drumkit* kit = nullptr;
  DrumkitChooser* kit_library = nullptr;
  MidiMapChooser* midi_maps = nullptr;
  std::vector<Song> playlist;
  int current_song = -1;
  float start_time = 0;
  bool song_playing = false;
  bool start_slider_dragged = false;
  Labeler labeler;
  int right_foot_hold = 0;
  int left_foot_hold = 0;
  bool Drum_Full_Screen = true;
  bool Never_Ran = true;
  bool Wants_Startup_Help = true;
  bool Lamp_Checked = false;
  bool Replaced_Lamp = false;
  bool Have_MIDI_Maps_Dir = false;
  bool Patched_3D = false;
  // Set once LoadLastSession has read the settings file: until then SaveLastSession writes
  // nothing, so that an exit during start-up cannot replace the stored session by defaults.
  bool session_loaded = false;
  int pedal_frame = 0;
  float left_rest_y = -1.0f, right_rest_y = -1.0f;
  int left_firm_frame = 0, right_firm_frame = 0;
  bool right_splash_pending = false, left_splash_pending = false;
  float left_splash_y = -1.0f, right_splash_y = -1.0f;
  int Midi_Map_Index = -1;
  float Z_Offset = 0.0f;
  float User_Height = 1.75f;
  bool Ran_After_Stand_Update = false;
  bool Use_Camera_Stand = false;

 private:
  // The phases of one stick's step (drummer.cpp).
  struct StickAim;
  StickAim AimStick(const MocapMarker& marker, bool dominant, DistanceMenu* menu);
  bool PassesGates(const StickAim& aim, bool dominant, DistanceMenu* menu);
  void StrikeStick(MocapMarker& marker, Limb limb, const StickAim& aim, float speed, DistanceMenu* menu, bool silent,
                   float& volume);
};

extern Drummer drummer;
