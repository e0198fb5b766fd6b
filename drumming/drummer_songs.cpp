// The playlist (conf/playlist.txt), the current song and the per-frame song scheduler.
#include <cmath>
#include <cstdio>
#include <fstream>

#include "drumming/drummer.h"
#include "drumming/viewer_calls.h"
#include "frame/paths.h"

namespace {

std::string PlaylistPath() { return MakePath(kPathPlaylist, "playlist.txt"); }

Drummer::Song SongFromLine(const std::string& line) {
  Drummer::Song song;
  song.path = line;
  size_t slash = line.find_last_of("/\\");
  std::string file = slash == std::string::npos ? line : line.substr(slash + 1);
  size_t dot = file.find_last_of('.');
  song.name = dot == std::string::npos ? file : file.substr(0, dot);
  return song;
}

// ScheduleSongLoadingPlaying's state.
int frame = 76;
bool loaded_song = false;
int last_played_song = -1;
int frames_since_playing_songs = 0;

}  // namespace

void Drummer::LoadPlaylist() {
  playlist.clear();
  std::ifstream in(PlaylistPath(), std::ios::binary);
  std::string line;
  while (in && std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();  // a playlist edited elsewhere
    if (line.empty()) continue;  // a blank line names no song
    playlist.push_back(SongFromLine(line));
  }
  if (playlist.empty()) {
    current_song = -1;
  } else if (current_song < 0 || current_song >= int(playlist.size())) {
    current_song = 0;
    start_time = 0;
  }
}

void Drummer::SavePlaylistAndSetCurrentSong(int index) {
  std::string path = PlaylistPath();
  if (playlist.empty()) {
    std::remove(path.c_str());
    current_song = -1;
    return;
  }
  // Written beside the old list and renamed over it, so a failed write keeps the old list.
  std::string temporary = path + ".new";
  bool ok = false;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    for (const Song& s : playlist) out << s.path << '\n';
    out.flush();
    ok = bool(out);
  }
  if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
    printf("Could not write the playlist %s\n", path.c_str());
    std::remove(temporary.c_str());
  }
  if (index >= 0 && index < int(playlist.size()))
    current_song = index;
  else if (current_song < 0 || current_song >= int(playlist.size()))
    current_song = 0;
}

bool Drummer::LoadSong() {
  if (playlist.empty()) return true;
  if (current_song < 0 || current_song >= int(playlist.size())) current_song = 0;
  return sound.LoadSong(playlist[current_song].path.c_str());
}

void Drummer::PlaySong(bool now) {
  song_playing = true;
  if (now) sound.PlaySong(start_time, true);
}

bool Drummer::StopSong() {
  bool result = sound.StopSong(true);
  song_playing = false;
  return result;
}

bool Drummer::NextSong() {
  if (playlist.size() < 2) return false;
  sound.StopSong(true);
  sound.UnloadSong();
  current_song = (current_song + 1) % int(playlist.size());
  if (current_song < 0) current_song = 0;
  return true;
}

bool Drummer::PreviousSong() {
  if (playlist.size() < 2) return false;
  sound.StopSong(true);
  sound.UnloadSong();
  current_song = current_song <= 0 || current_song > int(playlist.size()) ? int(playlist.size()) - 1 : current_song - 1;
  return true;
}

bool Drummer::GetCurrentSongAndStartTime(float& start, Song& song) const {
  if (playlist.empty() || current_song < 0 || current_song >= int(playlist.size())) return false;
  start = start_time;
  song = playlist[current_song];
  return true;
}

void Drummer::ScheduleSongLoadingPlaying(bool request, bool& loaded) {
  frames_since_playing_songs = song_playing ? frames_since_playing_songs + 1 : 0;
  bool have_song = !playlist.empty() && current_song >= 0 && current_song < int(playlist.size());
  if (request) {
    frame = 1;
    loaded_song = true;
    loaded = true;
    start_time = 0;
    last_played_song = -1;
  } else if (loaded_song && frame == 75) {
    loaded = have_song ? sound.LoadSong(playlist[current_song].path.c_str()) : false;
    loaded_song = false;
  }
  if (song_playing && have_song && !(sound.audio.GetPlayingTime(sound.song) >= 0)) {
    if (last_played_song >= 0 && !start_slider_dragged && frames_since_playing_songs >= 188) {
      sound.UnloadSong();
      current_song = (current_song + 1) % int(playlist.size());
      start_time = 0;
      loaded = sound.LoadSong(playlist[current_song].path.c_str());
      loaded_song = false;
      last_played_song = -1;
      viewer_calls.song_name();
    } else if (!loaded_song) {
      if (sound.song.IsLoaded() || sound.audio.GetDuration(sound.song) > start_time + 10.0f) {
        sound.PlaySong(start_time, true);
        last_played_song = current_song;
      }
    }
  }
  if (frame <= 75) ++frame;
}
