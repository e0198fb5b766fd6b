// The recordings screen (state 4): the list of recorded performances, playing, renaming and
// deleting them, and their export to one WAV file or one per element, rendered a slice at a
// time from the frame loop.
#include "screens/recordings_screen.h"

#include <GL/gl.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/paths.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "render/airwidget_drawing.h"
#include "render/imgui.h"
#include "screens/screen_common.h"
#include "screens/screens.h"
#include "sound/logger.h"
#include "sound/sound.h"

namespace {

enum : int {
  kList = ScreenId(kRecordingScreen, 1), kListUp, kListDown, kPlay, kExport, kIncludeSong,
  kPanToCenter, kDisableReverb, kSplit, kDelete, kName, kOk, kCancel
};
constexpr int kSlicesPerFrame = 100;

struct RecordingsState {
  Imgui::ListBoxState list;
  int num_visible_lines = 8;
  int editbox_id = -1;
  bool include_song = true, pan_to_center = false, disable_reverb = false, split_wavs = false;
};
RecordingsState rs;

// What the running export changed and must put back, and how it writes.
struct ExportState {
  bool split = false;
  bool disabled_panning = false;
  bool reverb_changed = false;
  float old_reverb_amount = 0.0f;
};
ExportState wav_export;

bool Valid(int line) { return line >= 0 && line < logger.GetNumRecordings(); }

void RestoreExportSettings() {
  if (wav_export.disabled_panning) drummer.TogglePanning();
  if (wav_export.reverb_changed) sound.audio.SetReverbAmount(wav_export.old_reverb_amount);
  wav_export = ExportState{};
}

// Commits the edited name of a recording; a refused name goes back to the file's own.
void CommitName(int line) {
  if (!Valid(line)) return;
  std::string error;
  if (logger.RenameRecordingFile(line, error)) return;
  MessageBox(error, false, true);
  Logger::Recording& r = logger.GetRecording(line);
  const size_t slash = r.path.rfind('/') + 1;
  r.name = r.path.substr(slash, r.path.rfind('.') - slash);
  logger.RenameRecordingFile(line, error);  // same path: only the shown name is rebuilt
}

void DoList(int H) {
  std::vector<std::string> names;
  names.reserve(logger.recordings.size());
  for (const auto& r : logger.recordings) names.push_back(r.short_name);
  imgui.DoText(48, H - 41, "%s", GetUtf8(kTextRecordingsList));
  const int before = rs.list.selected;
  if (imgui.DoListBox(kList, kListUp, kListDown, 48, H - 81, 492, rs.num_visible_lines, names, rs.list) &&
      Valid(rs.list.selected) && Valid(before)) {
    CommitName(before);
  }
}

void DoPlayButton(int H, int w) {
  if (logger.IsPlaying()) {
    if (imgui.DoButton(kPlay, 580, H - 81, w, 50, GetUtf8(kTextStop))) logger.StopPlaying();
    return;
  }
  if (!Valid(rs.list.selected)) {
    imgui.DoButtonGreyed(580, H - 81, w, 50, GetUtf8(kTextPlay));
    return;
  }
  if (!imgui.DoButton(kPlay, 580, H - 81, w, 50, GetUtf8(kTextPlay))) return;
  std::string error;
  if (!logger.LoadRecording(rs.list.selected, error)) {
    MessageBox(error, false, false);
    return;
  }
  if (rs.include_song) usleep(300000);
  logger.StartPlaying(rs.include_song);
}

void StartExport(const char* path) {
  logger.StopPlaying();
  std::string error;
  if (!logger.LoadRecording(rs.list.selected, error)) {
    MessageBox(error, false, false);
    return;
  }
  wav_export = ExportState{};
  wav_export.split = rs.split_wavs;
  if (sound.panning_enabled && rs.pan_to_center) {
    drummer.TogglePanning();
    wav_export.disabled_panning = true;
  }
  if (rs.disable_reverb) {
    wav_export.old_reverb_amount = sound.audio.GetReverbAmount();
    wav_export.reverb_changed = true;
    sound.audio.SetReverbAmount(0.0f);
  }
  if (rs.include_song) usleep(300000);
  if (wav_export.split) {
    sound.StartSavingSplitWavs(path, rs.include_song);
  } else if (!sound.OpenPerformanceWav(path, rs.include_song)) {
    RestoreExportSettings();
    MessageBox(GetUtf8(kTextCouldOpenWavFile), false, false);
    return;
  }
  exporting_wav = true;
}

void DoExportButton(int H, int w) {
  if (!Valid(rs.list.selected)) {
    imgui.DoButtonGreyed(580, H - 147, w, 50, GetUtf8(kTextExportWav));
    return;
  }
  if (!imgui.DoButton(kExport, 580, H - 147, w, 50, GetUtf8(kTextExportWav))) return;
  char buffer[1024] = {};
  if (SaveWavDialog(buffer)) StartExport(buffer);
}

void DoOptions(int H) {
  struct Option { int id, y, text; bool& flag; };
  const Option options[] = {{kIncludeSong, H - 213, kTextInclSong, rs.include_song},
                            {kPanToCenter, H - 251, kTextPanCenter, rs.pan_to_center},
                            {kDisableReverb, H - 289, kTextDisableReverb, rs.disable_reverb},
                            {kSplit, H - 327, kTextOneWavPer, rs.split_wavs}};
  for (const auto& o : options) {
    if (imgui.DoCheckBox(o.id, 584, o.y, GetUtf8(o.text), o.flag, false)) o.flag = !o.flag;
  }
}

void DoDeleteAndName(int H) {
  if (imgui.DoButton(kDelete, 48, H - 401, 120, 50, GetUtf8(kTextDelete)) && Valid(rs.list.selected)) {
    std::string error;
    const int next = logger.DeleteRecording(rs.list.selected, error);
    if (next == -2) {
      MessageBox(error, false, true);
    } else {
      rs.list.selected = next;
    }
  }
  if (!Valid(rs.list.selected)) return;
  imgui.DoText(48, H - 501, "%s", GetUtf8(kTextName));
  DoEditBoxString(kName, 148, H - 487, 390, 50, logger.GetRecording(rs.list.selected).name, 63, false);
  PlayRefusedKeySound();
}

void DoOk(int H) {
  if (!imgui.DoButton(kOk, 48, H - 571, 104, 50, GetUtf8(kTextOk))) return;
  CommitName(rs.list.selected);
  logger.StopPlaying();
  logger.UnloadRecording();
  rs.list.selected = -1;
  ChangeInterfaceState(kMainScreen);
}

void CommitOnLeavingNameBox() {
  if (imgui.edited_id == rs.editbox_id) return;
  CommitName(rs.list.selected);
  rs.editbox_id = imgui.edited_id;
}

void DoDetails(int line) {
  const Logger::Recording& r = logger.GetRecording(line);
  const int mx = imgui.mouse_x, my = imgui.mouse_y;
  const bool song = !r.song.empty();
  RecordingOverlayBackground(mx + 10, my + 10, 5000, song ? 132 : 108, true);
  char path[1024];
  PathCompactPathEx(path, r.path.c_str(), 60, 0, sizeof path);
  imgui.DoText(mx + 24, my, GetUtf8(kTextPath), path);
  const int m = static_cast<int>(std::floor(r.duration / 60.0f));
  const int s = static_cast<int>(r.duration - 60.0f * m);
  // "1 minute", "1 second": the singular texts for one.
  if (m < 1) {
    imgui.DoText(mx + 24, my - 22, GetUtf8(s == 1 ? kTextDurationSecond : kTextDurationSeconds), s);
  } else {
    const TextId text = m == 1 ? (s == 1 ? kTextDurationMinuteSecond : kTextDurationMinuteSeconds)
                            : (s == 1 ? kTextDurationMinutesSecond : kTextDurationMinutesSeconds);
    imgui.DoText(mx + 24, my - 22, GetUtf8(text), m, s);
  }
  int y = my - 44;
  if (song) {
    imgui.DoText(mx + 24, y, GetUtf8(kTextSongName), r.song.c_str());
    y -= 22;
  }
  imgui.DoText(mx + 24, y, GetUtf8(kTextDrumKitName), r.description.c_str());
  imgui.DoText(mx + 24, y - 22, GetUtf8(kTextDate), r.date.c_str());
}

void Rect(float x0, float y0, float x1, float y1, float r, float g, float b) {
  glColor4f(r, g, b, 1.0f);
  glRectf(x0, y0, x1, y1);
}

// One slice of the export and its progress; the export ends on Cancel, completion, a split
// file that cannot be opened or a file that cannot be written.
void DoExportProgress(int H) {
  const float W = static_cast<float>(Imgui::platform.window_width());
  const float bw = 0.5f * W, bx = (W - bw) / 2, d = 0.05f * H;
  const float t = (H + d) / 2, b = t - d;
  if (imgui.DoButton(kCancel, static_cast<int>(bx), static_cast<int>(b - 10), 160, 50, GetUtf8(kTextCancel))) {
    EndWavExport();
    return;
  }
  int r = 0;
  for (int i = 0; i < kSlicesPerFrame; ++i) {
    r = wav_export.split ? sound.UpdateSavingSplitWavs() : sound.PartialWritePerformanceWav();
    if (r == 100) {
      EndWavExport();
      break;
    }
    if (r < 0) {
      // A split file that cannot be opened, or a file that cannot be written (a full disk).
      const TextId text = wav_export.split && r == -1 ? kTextCouldOpenWav : kTextErrorWritingWav;
      EndWavExport();
      MessageBox(GetUtf8(text), false, false);
      return;
    }
  }
  glDisable(GL_TEXTURE_2D);
  Rect(bx, t, bx + bw, b, 0.5f, 0.5f, 0.5f);
  Rect(bx + 4, t - 4, bx + bw - 4, b + 4, 0.8f, 0.8f, 0.8f);
  Rect(bx + 4, t - 4, bx + 4 + (bw - 8) * r * 0.01f, b + 4, 0.3f, 1.0f, 0.3f);
}

}  // namespace

bool SaveWavDialog(char* buffer) {
  std::string path, file_name, extension;
  if (SaveFileDialog(GetUtf8(kTextChooseNameLocation), GetUtf8(kTextChooseWavFile), {"wav"}, path, file_name,
                     extension) != 0)
    return false;
  if (path.empty() || path.size() > 1023) return false;
  std::memcpy(buffer, path.data(), path.size());
  return true;
}

void EndWavExport() {
  if (!exporting_wav) return;
  sound.StopSavingSplitWavs();
  exporting_wav = false;
  RestoreExportSettings();
}

void DoRecordingScreen() {
  const int H = ScreenHeight();
  if (EnteringPage()) {
    rs.num_visible_lines = imgui.ListBoxHeightToNumVisibleLines(310);
  }
  if (exporting_wav) {
    DoExportProgress(H);
    return;
  }
  DoList(H);
  const int hovered = imgui.GetHoveredLine(48, H - 81, 492, rs.num_visible_lines,
                                           logger.GetNumRecordings(), rs.list);
  const int w = IsLanguage("ja") || IsLanguage("de") ? 226 : 166;
  DoPlayButton(H, w);
  DoExportButton(H, w);
  DoOptions(H);
  DoDeleteAndName(H);
  DoOk(H);
  CommitOnLeavingNameBox();
  if (Valid(hovered)) DoDetails(hovered);
  if (!sound.IsPerformancePlaying()) logger.StopPlaying();
}
