// The playlist screen (state 6): the drummer's playlist of backing songs edited in place (add
// through a file dialog, remove, reorder), a preview of the selected song, and Ok writing the
// playlist file.
#include <string>
#include <utility>
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
#include "sound/sound.h"

namespace {

enum : int {
  kList = ScreenId(kPlaylistScreen, 1), kListUp, kListDown, kPreview, kMoveUp, kMoveDown, kAdd,
  kRemove, kOk
};
// A song this short (seconds decoded) cannot be previewed.
constexpr float kShortestPreview = 2.0f;

struct PlaylistState {
  Imgui::ListBoxState list;
  int num_visible_lines = 8;
};
PlaylistState song_list;

std::vector<Drummer::Song>& Songs() { return drummer.playlist; }
int Count() { return static_cast<int>(Songs().size()); }
bool Valid(int line) { return line >= 0 && line < Count(); }

void DoList(int H) {
  std::vector<std::string> names;
  names.reserve(Songs().size());
  for (const auto& s : Songs()) names.push_back(s.name);
  imgui.DoText(48, H - 41, "%s", GetUtf8(kTextPlaylist));
  if (imgui.DoListBox(kList, kListUp, kListDown, 48, H - 81, 492, song_list.num_visible_lines, names, song_list.list) &&
      Valid(song_list.list.selected) && !sound.LoadSong(Songs()[song_list.list.selected].path.c_str())) {
    MessageBox(GetUtf8(kTextFailedLoadSongMake), false, true);
  }
}

void DoPreview(int H) {
  if (sound.audio.GetPlayingTime(sound.song) >= 0) {
    if (imgui.DoButton(kPreview, 580, H - 81, 160, 50, GetUtf8(kTextStop))) sound.StopSong(true);
  } else if (sound.audio.GetDuration(sound.song) <= kShortestPreview) {
    imgui.DoButtonGreyed(580, H - 81, 160, 50, GetUtf8(kTextPlay));
  } else if (imgui.DoButton(kPreview, 580, H - 81, 160, 50, GetUtf8(kTextPlay)) && Valid(song_list.list.selected)) {
    sound.PlaySong(0, true);
  }
}

// Swaps the selected song with its neighbour `by` lines away; the selection moves with it.
void Move(int by) {
  const int from = song_list.list.selected, to = from + by;
  if (!Valid(from) || !Valid(to)) return;
  std::swap(Songs()[from], Songs()[to]);
  song_list.list.selected = to;
}

void Add() {
  std::string path, file_name, extension;
  if (OpenFileDialog(GetUtf8(kTextChooseSongFile), GetUtf8(kTextChooseSong), {"mp3", "mp4", "m4a", "aac", "ogg"}, path,
                     file_name, extension) != 0) {
    return;
  }
  // The playlist file holds one path a line.
  if (path.find_first_of("\r\n") != std::string::npos) {
    MessageBox(GetUtf8(kTextErrorSongWhose), false, true);
    return;
  }
  Songs().push_back({file_name, path, 0.0f, 0, false});
}

void Remove() {
  if (!Valid(song_list.list.selected)) return;
  Songs().erase(Songs().begin() + song_list.list.selected);
  if (Songs().empty()) {
    song_list.list.selected = -1;
  } else if (song_list.list.selected >= Count()) {
    song_list.list.selected = Count() - 1;
  }
}

void DoButtons(int H) {
  if (imgui.DoButton(kMoveUp, 580, H - 147, 160, 50, GetUtf8(kTextMoveUp))) Move(-1);
  if (imgui.DoButton(kMoveDown, 580, H - 213, 160, 50, GetUtf8(kTextMoveDown))) Move(1);
  if (imgui.DoButton(kAdd, 48, H - 476, IsLanguage("de") ? 124 : 104, 50, GetUtf8(kTextAdd))) Add();
  if (imgui.DoButton(kRemove, 182, H - 476, 120, 50, GetUtf8(kTextRemove))) Remove();
  if (imgui.DoButton(kOk, 48, H - 571, 104, 50, GetUtf8(kTextOk))) {
    song_list.list.selected = -1;
    drummer.SavePlaylistAndSetCurrentSong(-1);
    sound.StopSong(true);
    ChangeInterfaceState(kMainScreen);
  }
}

void DoHoveredPath(int line) {
  const int mx = imgui.mouse_x, my = imgui.mouse_y;
  RecordingOverlayBackground(mx + 10, my + 10, 5000, 36, true);
  char path[1024];
  PathCompactPathEx(path, Songs()[line].path.c_str(), 60, 0, sizeof path);
  imgui.DoText(mx + 24, my, "%s", path);
}

}  // namespace

void DoPlaylistScreen() {
  const int H = ScreenHeight();
  if (EnteringPage()) {
    song_list.num_visible_lines = imgui.ListBoxHeightToNumVisibleLines(385);
  }
  DoList(H);
  const int hovered = imgui.GetHoveredLine(48, H - 81, 492, song_list.num_visible_lines, Count(), song_list.list);
  DoPreview(H);
  DoButtons(H);
  if (Valid(hovered)) DoHoveredPath(hovered);
}
