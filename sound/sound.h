// The sound manager: the audio engine, the table of loaded drum elements, the built-in sounds,
// the volumes and the [Sound] settings. A hit on an element becomes one voice in the mixer.
#pragma once
#include <atomic>
#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "frame/element_types.h"
#include "sound/audio.h"

class IniFile;

class Sound {
 public:
  // The kind of a drum sound (the "element_type" of kit files and MIDI maps). An int-sized
  // enumeration rather than a plain int so that GetElementCategory(type) and
  // GetElementCategory(slot) are told apart: convert stored numbers with ElementType(n).
  using ElementType = drum_element::ElementType;
  using enum drum_element::ElementType;

  // 0 hand, 1 foot, 2 hand and foot (hi-hat-like).
  typedef int ElementCategory;
  enum : int { CATEGORY_HAND = 0, CATEGORY_FOOT = 1, CATEGORY_HAND_AND_FOOT = 2 };

  // 0 "Linear", 1 "S-curve 1", 2 "S-curve 2", 3 "Constant": 21-point gain tables.
  typedef int VolumeResponseCurve;
  enum : int { CURVE_LINEAR = 0, CURVE_S1 = 1, CURVE_S2 = 2, CURVE_CONSTANT = 3, NUM_CURVES = 4 };

  // Which sample set a hit uses: 0 and 1 the two hand sets (left and right stick), 2 foot.
  typedef int Limb;
  enum : int { LIMB_HAND_0 = 0, LIMB_HAND_1 = 1, LIMB_FOOT = 2 };

  // One velocity layer: the sound and its loudness relative to the loudest of its set.
  struct Sample {
    Audio::Sound sound;
    float level = 0.0f;
  };

  // The data of one element file, shared by every slot loaded from the same path.
  struct ElementSamples {
    std::vector<std::vector<Sample>> sets;
    std::string path;
    int reference_count = 0;
  };

  // One slot of the element table; a slot index is an element's identity everywhere.
  struct Element {
    ElementSamples* samples = nullptr;
    ElementType type = KICK;
    ElementCategory category = 0;
    VolumeResponseCurve hand_curve = 0;
    int hand_volume = 0;
    VolumeResponseCurve foot_curve = 0;
    int foot_volume = 0;
    float pan = 0.0f;
    mutable int alternation = 0;  // toggled by foot hits
    uint8_t free = 1;
  };

  Sound();
  ~Sound();
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;

  // Reads [Sound] (and [Session] Midi_Mode) from the opened settings file, opens the audio
  // device, loads the built-in sounds and starts the sample loader threads. Returns whether
  // the requested device opened at the first try.
  bool Init(const IniFile& settings);
  void CleanUp();

  // Audio device choice and names (defined with the audio engine's device code).
  bool ReinitDevice(Audio::DeviceType type, int frames_per_buffer, int device_index);
  int GetAudioDeviceIndex();
  bool IsAudioDeviceChoiceManual();
  void GetAudioDeviceNames(std::map<int, std::string>& names);
  void GetAudioDeviceName(std::string& name, int index);

  // Volumes in percent. The master gain is master * 0.01 * 2.5 (40 is unity).
  void SetMasterVolume(int volume);
  void SetDrumsVolume(int volume);
  void SetSongVolume(int volume);
  void SetMetronomeVolume(int volume);

  // Element table. LoadElement returns the slot, or -1 for a missing or bad file.
  int LoadElement(const char* path, float pan, VolumeResponseCurve hand_curve, int hand_volume,
                  VolumeResponseCurve foot_curve, int foot_volume);
  int LoadElementWithoutDataForMIDI(const char* path, float pan, VolumeResponseCurve hand_curve,
                                    int hand_volume, VolumeResponseCurve foot_curve,
                                    int foot_volume);
  // Takes a reference to `samples` and puts them in the first free slot (or a new one) with
  // these settings; a HIHAT_SPLASH joins the splash elements. Returns the slot.
  int PlaceElement(ElementSamples* samples, ElementType type, ElementCategory category, float pan,
                   VolumeResponseCurve hand_curve, int hand_volume, VolumeResponseCurve foot_curve,
                   int foot_volume);
  void UnloadElement(int slot);
  void FreeElementDataForMIDI(int slot);
  void EraseElementsForMIDI();

  // Accessors by slot; callers pass used slots. `pedal` selects the foot values.
  ElementType GetElementType(int slot) const { return elements[slot].type; }
  ElementCategory GetElementCategory(int slot) const { return elements[slot].category; }
  VolumeResponseCurve GetElementCurve(int slot, bool pedal) const;
  void SetElementCurve(int slot, VolumeResponseCurve curve, bool pedal);
  int GetElementVolume(int slot, bool pedal) const;
  void SetElementVolume(int slot, int volume, bool pedal);
  float GetElementPan(int slot) const { return elements[slot].pan; }
  void SetElementPan(int slot, float pan) { elements[slot].pan = pan; }

  static ElementCategory GetElementCategory(ElementType type);
  static const char* GetCurveName(VolumeResponseCurve curve);
  static const float* GetCurvePoints(VolumeResponseCurve curve);
  // The curve's gain at a velocity in 0..1 (clamped), between its 21 points.
  static float CurveGain(VolumeResponseCurve curve, float velocity);

  // One hit: velocity 0..1; openness 0 (closed) .. 1 (open) for hand hits on hand-and-foot
  // elements; start_offset as for Audio::StartSound (negative = later inside the buffer).
  void PlayElement(int slot, float velocity, Limb limb, float openness, float start_offset) const;
  void PlaySample(const std::vector<Sample>* sets, float velocity, Limb set,
                  VolumeResponseCurve curve, int volume, float pan, float start_offset) const;
  void FadeHihats(int slot) const;
  void ChokeCymbals() const;
  void PlayDistanceMenuButtonSound();
  void LoadEmbeddedSample(Audio::Sound& sound, const unsigned char* blob, int max_voices);

  // Element files (data/elements/<name>.ele) and their conversion from sample folders. The
  // converter writes a temporary file beside out_path and renames it only when every byte was
  // written, so a failed conversion never leaves a damaged element or replaces a good one. A
  // folder without one usable sample is refused (it would make a silent element).
  bool ConvertElement(const char* out_path, const std::string& folder, ElementType type,
                      ElementCategory category, void (*progress)(int));
  static bool ConvertElement(const char* out_path, ElementType type, ElementCategory category);
  void LoadLeftRightSamples(const std::string& folder, const std::string& left_sub,
                            const std::string& right_sub, std::vector<Sample>& left,
                            std::vector<Sample>& right);
  // Silent files (level 0) are left out with a diagnostic.
  void LoadSamplesFromPath(const char* folder, std::vector<Sample>& set);
  // One middle-velocity sample of the element, loaded whole (the kit editor's preview).
  bool LoadRepresentativeSoundFromElement(Audio::Sound& sound, const char* path);
  // Loudness of a decoded sample: the mean of the ten largest magnitudes among its first
  // `frames` 16-bit values, over 32768.
  static float MeasureLevel(const int16_t* data, uint32_t frames);

  // Hooks into the performance recording: each appends one event when a recording is open and
  // does nothing otherwise (defined with the recording code).
  void RecordVolumeEvent(int kind, int value) const;
  void RecordHitEvent(int slot, float velocity, Limb limb, float openness) const;
  void RecordHihatFadeEvent(int slot) const;

  // ---------------------------------------------------------------------------------------
  // BEGIN songs, metronome, recording, playback and WAV export (owned by the audio engine's
  // developer; defined in sound_songs.cpp, sound_metronome.cpp, sound_recording.cpp,
  // sound_playback.cpp and sound_export.cpp). CleanUp calls StopRecording() and
  // UnloadPerformance() before it unloads elements.

  // One event of a performance recording.
  typedef int EventType;
  enum : int {
    EVENT_VOLUME = 0,      // element = kind (0 master, 1 drums, 2 song), volume = percent
    EVENT_SONG_START = 1,  // element = index into performance_song_paths, song_position
    EVENT_SONG_STOP = 2,
    EVENT_HIT = 3,         // element = slot, velocity, limb, openness
    EVENT_HIHAT_FADE = 4,  // element = slot
  };
  struct Event {
    float time = 0.0f;  // seconds since the recording start
    EventType type = 0;
    int element = -1;
    union {
      int32_t volume = 0;
      float song_position;
      float velocity;
    };
    int limb = 0;
    float openness = 0.0f;
  };

  // Songs (one at a time) and the metronome.
  bool LoadSong(const char* path);
  void PlaySong(float start_seconds, bool wait);
  bool StopSong(bool wait);
  void UnloadSong();
  void SetMetronomeTempo(float bpm);
  void StartMetronome(float start_time, float now);
  void StopMetronome();
  void ToggleMetronomePlayEighthNotes();
  // The mixer's per-buffer hook: performance events, then metronome clicks.
  static bool AudioCallback(float t0, float t1, void* user);

  // Performance recording (.sel files).
  bool StartRecording(const char* path, const char* description);
  void StopRecording();
  bool IsRecording() const;
  static bool GetPerformanceMetaData(const char* path, std::string& date, float& duration,
                                     std::string& song, std::string& description);
  bool SavePerformance(const char* path);
  void InsertSelEvent(int index, float time);
  void RemoveSelEvent(int index);

  // Performance playback (the hook dispatches events to the sample).
  bool LoadPerformance(const char* path);
  void PlayPerformance(float start_seconds, bool with_song);
  void StopPerformance();
  void UnloadPerformance();
  bool IsPerformancePlaying() const;

  // WAV export of the loaded performance, rendered offline, as one file or split per element.
  // PartialWritePerformanceWav gives the progress (0-99, 100 when done) or -1 when the file
  // could not be written (a full disk); ClosePerformanceWav then completes the file with what
  // reached it. The split export closes each of its files with it, and its update gives -1
  // when a file cannot be opened and -2 when one cannot be written.
  bool OpenPerformanceWav(const char* path, bool with_song);
  int PartialWritePerformanceWav();
  void ClosePerformanceWav();
  void StartSavingSplitWavs(const char* path, bool with_song);
  int UpdateSavingSplitWavs();
  // Ends an export of either kind, finished, cancelled (Esc, Cancel) or failed: completes the
  // open file with what was written, forgets the split parts and clears the solo and pedal-only
  // filters, so later exports and playback sound every element.
  void StopSavingSplitWavs();

  // Recording, playback and export state.
  struct PerformanceRuntime;  // event queue of the audio thread, song-change helper thread
  struct RuntimeHolder {
    PerformanceRuntime* runtime = nullptr;
    RuntimeHolder();
    ~RuntimeHolder();
    RuntimeHolder(const RuntimeHolder&) = delete;
    RuntimeHolder& operator=(const RuntimeHolder&) = delete;
  };
  mutable std::ofstream recording_stream;
  mutable uint32_t recording_event_count = 0;
  mutable std::atomic<uint64_t> recording_start_time{0};  // ns; 0 = no event written yet
  mutable uint32_t first_song_offset = 0xFFFFFFFFu;
  std::atomic<uint64_t> song_start_host_time{0};

  std::string performance_date;
  float performance_duration = 0.0f;
  std::string performance_first_song;
  std::string performance_description;
  std::vector<int> performance_slots;  // per element record: loaded slot, -1 failed
  std::vector<Event> events;
  std::vector<std::string> performance_song_paths;
  int saved_master_volume = 0, saved_drums_volume = 0, saved_song_volume = 0;
  std::atomic<bool> performance_playing{false};
  std::atomic<int> next_event{0};
  bool with_song = false;
  int solo_slot = -1;
  bool pedal_only = false;

  std::ofstream wav_stream;
  std::string wav_path;
  int wav_total_frames = 0;
  int wav_written_frames = 0;
  int wav_frames_per_buffer = 0;
  std::vector<float> render_buffer;
  std::vector<int16_t> convert_buffer;
  std::string split_base, split_extension;
  std::set<int> split_parts;
  std::set<int>::iterator split_current;
  int split_part_index = 0;
  int split_last_progress = 100;
  bool split_song_part = false;
  RuntimeHolder runtime_holder;
  // END songs, metronome, recording, playback and WAV export
  // ---------------------------------------------------------------------------------------

  // --- Data, in this order ---
  mutable Audio audio;  // hits start voices from const members
  std::vector<Element> elements;
  std::vector<int> splash_elements;  // slots of loaded HIHAT_SPLASH elements, in load order

  Audio::Sound song;      // backing song (1 voice)
  std::string song_path;  // empty: no song
  Audio::Sound click;     // metronome click (2 voices)
  // Metronome state: written on the main thread, read by the hook on the audio thread.
  std::atomic<bool> metronome_on{false};
  std::atomic<float> beat_period{0.5f};       // seconds (60 / tempo)
  std::atomic<float> next_click_time{0.0f};   // seconds on the stream clock
  std::atomic<float> next_click_level{1.0f};  // 1.0 on a beat, 0.35 on a half beat
  std::atomic<bool> eighth_notes{true};

  // Volumes in percent; performance playback also sets them from the audio thread.
  std::atomic<int> master_volume{0};
  std::atomic<int> drums_volume{0};
  std::atomic<int> song_volume{0};
  std::atomic<int> metronome_volume{0};
  bool panning_enabled = true;

  Audio::Sound editbox_error_sound;          // 1 voice
  Audio::Sound latency_test_sound;           // 5 voices
  Audio::Sound distance_menu_button_sound;   // 2 voices
};

// A device name cut to at most `keep` bytes, never inside a UTF-8 sequence, with "..." when
// it was cut (the device screen shows 48 bytes, the latency screen 30).
std::string CutDeviceName(const char* name, size_t keep);

// Where SaveSoundSettings takes the three device lines from: the running device, or the values
// the file already holds (1, 300 and -1 when absent), for a caller whose running device is
// the MIDI mode's own rather than the player's choice.
enum class SoundDeviceLines { kRunning, kKeepStored };
// Rewrites the [Sound] section of conf/skytapper.cfg from the running state.
bool SaveSoundSettings(SoundDeviceLines device_lines);

extern Sound sound;
