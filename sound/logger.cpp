// The recordings list: the .sel files of the recordings folder, and recording, renaming,
// deleting, loading and playing them through the sound manager.
#include "sound/logger.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "frame/paths.h"
#include "sound/sound.h"

const char* const recording_extension = ".sel";
const char* const recording_time_format_file = "%Y_%b_%d_(%a)_%Hh%Mm%Ss.sel";

Logger logger;

namespace {
std::string RecordingsFolder() { return MakePath(kPathRecordings, ""); }

std::string ShortName(const std::string& name) { return name.size() > 64 ? name.substr(0, 64) : name; }

// Moves a file to a new name in the same folder; fails, touching nothing, when the new name is
// taken (the link is made first, so no other file can slip in between a check and the move).
bool MoveWithoutReplacing(const std::string& from, const std::string& to) {
  if (link(from.c_str(), to.c_str()) != 0) return false;
  if (unlink(from.c_str()) == 0) return true;
  unlink(to.c_str());
  return false;
}
}  // namespace

void Logger::Init() { BuildRecordingList(); }

void Logger::BuildRecordingList() {
  recordings.clear();
  const std::string folder = RecordingsFolder();
  std::vector<std::string> files;
  ScanDirectory(folder.c_str(), recording_extension, files);
  for (const std::string& file : files) {
    Recording r;
    r.folder = folder;
    r.path = r.folder + file;
    if (!Sound::GetPerformanceMetaData(r.path.c_str(), r.date, r.duration, r.song, r.description)) {
      printf("Can't parse the recording at %s, skipping it\n", r.path.c_str());
      continue;
    }
    const size_t dot = file.rfind('.');
    r.name = dot == std::string::npos ? file : file.substr(0, dot);
    r.short_name = ShortName(r.name);
    recordings.push_back(r);
  }
}

int Logger::DeleteRecording(int i, std::string& error) {
  if (i < 0 || i >= static_cast<int>(recordings.size())) {
    error = "No recording is selected.";
    return -2;
  }
  // The stored path, never one built from the name: after a refused rename the name may be
  // another recording's.
  const std::string file = recordings[i].path;
  if (remove(file.c_str()) != 0) {
    error = "Error deleting recording file" + file + ".";
    return -2;
  }
  if (file == loaded_path_) UnloadRecording();
  recordings.erase(recordings.begin() + i);
  if (recordings.empty()) return -1;
  return i < static_cast<int>(recordings.size()) ? i : static_cast<int>(recordings.size()) - 1;
}

bool Logger::RenameRecordingFile(int i, std::string& error) {
  if (i < 0 || i >= static_cast<int>(recordings.size())) {
    error = "No recording is selected.";
    return false;
  }
  Recording& r = recordings[i];
  r.short_name = ShortName(r.name);
  const std::string new_path = r.folder + r.name + recording_extension;
  const std::string old_path = r.path;
  if (new_path == old_path) return true;
  // A name that is empty or leaves the folder is refused, and so is an existing file: renaming
  // never replaces another recording.
  if (r.name.empty() || r.name.find('/') != std::string::npos || !MoveWithoutReplacing(old_path, new_path)) {
    error = "Error renaming recording file" + old_path + ".";
    return false;
  }
  r.path = new_path;
  if (loaded_path_ == old_path) loaded_path_ = new_path;
  return true;
}

bool Logger::LoadRecording(int i, std::string& error) {
  if (i < 0) {
    sound.UnloadPerformance();
    loaded_path_.clear();
    return true;
  }
  if (i >= static_cast<int>(recordings.size())) {
    error = "Could not load the recording.";
    return false;
  }
  const std::string& path = recordings[i].path;
  if (path == loaded_path_) return true;
  sound.UnloadPerformance();
  loaded_path_.clear();
  if (!sound.LoadPerformance(path.c_str())) {
    error = "Could not load the recording.";
    return false;
  }
  loaded_path_ = path;
  return true;
}

void Logger::UnloadRecording() {
  std::string scratch;
  LoadRecording(-1, scratch);
}

void Logger::StartRecording(bool& recording, const char* description) {
  const time_t now = time(nullptr);
  localtime_r(&now, &recording_start_time);
  char name[64];
  const size_t n = strftime(name, sizeof name, recording_time_format_file, &recording_start_time);
  const std::string folder = RecordingsFolder();
  mkdir(folder.c_str(), 0755);  // a fresh installation may not have it yet
  const std::string path = folder + std::string(name, n);
  errno = 0;
  recording = sound.StartRecording(path.c_str(), description);
  if (!recording)
    printf("Error: could not start the recording \"%s\": %s\n", path.c_str(),
           sound.IsRecording() ? "another recording is running" : strerror(errno));
}

void Logger::StopRecording(bool& recording) {
  sound.StopRecording();
  BuildRecordingList();
  recording = false;
}

void Logger::StartPlaying(bool with_song) {
  playing = true;
  sound.PlayPerformance(0.0f, with_song);
}

void Logger::StopPlaying() {
  playing = false;
  sound.StopPerformance();
}

std::string Logger::AddRecordingExtension(const std::string& name) { return name + recording_extension; }
