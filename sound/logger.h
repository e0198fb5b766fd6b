// The list of recorded performances in recordings/, and the one entry point through which the
// program records, lists, renames, deletes, loads and plays them (the sound manager does the
// work).
#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

class Imgui;

extern const char* const recording_extension;          // ".sel"
extern const char* const recording_time_format_file;   // "%Y_%b_%d_(%a)_%Hh%Mm%Ss.sel"

class Logger {
 public:
  struct Recording {
    std::string name;         // file name without its extension (up to the last '.')
    std::string short_name;   // the name cut to 64 bytes
    std::string folder;       // recordings folder followed by "/"
    std::string date;
    float duration = 0.0f;    // seconds
    std::string song;         // first song played; empty when none
    std::string description;  // the drum kit's name
    std::string path;         // folder + file name

    Recording() = default;
    Recording(const Recording& other) = default;
    Recording& operator=(const Recording& other) = default;
    ~Recording() = default;
  };

  // Optional logging record of one tracking frame that the drumming controller fills when
  // given one (every caller passes none). One entry per limb: 0 left hand, 1 right hand,
  // 2 left foot, 3 right foot.
  struct Frame {
    struct Limb {
      bool present = false;
      float x = 0.0f, y = 0.0f;   // last position
      bool stroke = false;
      float speed = 0.0f;
      int found = -1;             // drum or in-air button found, -1 none
      float velocity = 0.0f;
      float hit_y = 0.0f;
      float marker[4] = {0, 0, 0, 0};
      float labeller[4] = {0, 0, 0, 0};
    };
    Limb limbs[4];
  };

  Logger() = default;

  void Init();
  void BuildRecordingList();
  // Returns the index to select next, -1 when the list became empty, -2 on failure.
  int DeleteRecording(int i, std::string& error);
  // Renames recording i's file to its (edited) name.
  bool RenameRecordingFile(int i, std::string& error);
  // Loads recording i for playback; i < 0 unloads.
  bool LoadRecording(int i, std::string& error);
  void UnloadRecording();
  void StartRecording(bool& recording, const char* description);
  void StopRecording(bool& recording);
  void StartPlaying(bool with_song);
  void StopPlaying();
  // Drawn by the recordings screen (it lives with the screens).
  void DoScrubBar(Imgui& gui, int x, int y, int w, int h);

  Recording& GetRecording(int i) { return recordings[i]; }
  int GetNumRecordings() const { return static_cast<int>(recordings.size()); }
  bool IsPlaying() const { return playing; }
  static std::string AddRecordingExtension(const std::string& name);

  std::vector<Recording> recordings;
  struct tm recording_start_time {};
  uint64_t frame_count = 0;
  int scrub_position = 0;  // tracking frames (kFramesPerSecond a second)
  bool scrub_moved = false;
  bool playing = false;

 private:
  std::string loaded_path_;
};

extern Logger logger;
