// The songs page (28) and the metronome page (29).
#include <cmath>
#include <cstdio>

#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "sound/sound.h"

namespace {

constexpr float kUnchosenSongTail = 5.0f;      // the last seconds of a song can not be a start
constexpr float kScrubRestartDistance = 2.0f;  // the song stops again only this far from the last stop
constexpr float kDelayedStartMinimum = 10.0f;  // below this many loaded seconds, Play with Delay reloads
constexpr int kDelayedStartFrames = 4 * kFramesPerSecond - 1;  // shows 4, 3, 2, 1

struct SongPage {
  bool first_time = false;
  bool valid_song_file = true;
  float song_start_time = 0.0f;
  float last_scrub_start_time = 0.0f;
  bool scrubbed = false;  // last_scrub_start_time holds a scrubbed time
};

// A text with one "%d:%02d" filled from a duration.
void FormatTime(char* out, size_t size, TextId text, float seconds) {
  int m = 0, s = 0;
  MinutesSeconds(seconds, m, s);
  snprintf(out, size, GetUtf8(text), m, s);
}

void StartSlider(DistanceMenu& menu, const char* label, float value, int width) {
  menu.sliders.push_back({kStartAtSlider, label, 0, int(DistanceMenu::m_no_drums_slider_top_x),
                          int(DistanceMenu::m_no_drums_slider_top_y), width, int(2 * DistanceMenu::m_menu_radius),
                          value, width, 0, false});
}

void SongControls(DistanceMenu& menu, SongPage& page, int width) {
  const bool valid = page.valid_song_file;
  AddButton(menu, kPreviousButton, kTextPreviousSong, DistanceMenu::m_no_drums5_x, DistanceMenu::m_no_drums5_y);
  if (drummer.IsPlayingSong())
    AddButton(menu, kStopButton, kTextStop, DistanceMenu::m_no_drums2_x, DistanceMenu::m_no_drums2_y);
  else
    AddButton(menu, kPlayButton, kTextPlay, DistanceMenu::m_no_drums2_x, DistanceMenu::m_no_drums2_y, !valid);
  AddButton(menu, kNextButton, kTextNextSong, DistanceMenu::m_no_drums6_x, DistanceMenu::m_no_drums6_y);
  AddButton(menu, kPlayWithDelayButton, kTextPlayDelay, DistanceMenu::m_no_drums4_x, DistanceMenu::m_no_drums4_y,
            !valid);
  float start = 0.0f;
  Drummer::Song song;
  drummer.GetCurrentSongAndStartTime(start, song);
  char line[512];
  ShowNameLine(1, kTextSongName, song.name.c_str());
  if (!valid) {
    ShowLine(3, GetUtf8(kTextFailedLoadSong));
    ShowLine(4, GetUtf8(kTextHasntMovedValid));
    return;
  }
  const float duration = sound.audio.GetDuration(sound.song);
  if (!sound.song.IsLoaded()) {
    FormatTime(line, sizeof(line), kTextLoadedSong, duration);
    ShowLine(3, line);
    ShowLine(4, "");
    StartSlider(menu, GetUtf8(kTextStartLoading), 0.0f, width);
    return;
  }
  FormatTime(line, sizeof(line), kTextStartAt, start);
  page.song_start_time = duration > 0.0f ? width * start / duration : 0.0f;
  StartSlider(menu, line, page.song_start_time, width);
}

void Scrub(SongPage& page, float value, int width) {
  drummer.start_slider_dragged = true;
  const float duration = sound.audio.GetDuration(sound.song);
  if (!sound.song.IsLoaded() || width <= 0 || duration <= 0.0f) return;
  const float t = duration * value / width;
  if (!(t < duration - kUnchosenSongTail)) return;
  drummer.start_time = t;
  if (!page.scrubbed) {
    page.last_scrub_start_time = t;
    page.scrubbed = true;
  }
  if (std::fabs(t - page.last_scrub_start_time) > kScrubRestartDistance) {
    sound.StopSong(true);
    page.last_scrub_start_time = t;
  }
}

// Play with Delay: true when the count-down started (the page left).
bool StartDelayed(SongPage& page) {
  drummer.StopSong();
  if (sound.audio.GetDuration(sound.song) < kDelayedStartMinimum) page.valid_song_file = drummer.LoadSong();
  if (!page.valid_song_file) return false;
  frames_until_song_start = kDelayedStartFrames;
  drummer.SaveLastSession();
  OpenPlayPage();
  return true;
}

// The buttons; true when Play with Delay fired (no scheduling in that frame).
bool SongButtons(const DistanceMenu& menu, SongPage& page, bool& changed) {
  bool delayed = false;
  if (menu.WasHit(kDoneButton)) {
    OpenPlayPage();
    drummer.SaveLastSession();
  } else if (menu.WasHit(kPlayButton)) {
    drummer.PlaySong(false);
  } else if (menu.WasHit(kStopButton)) {
    drummer.StopSong();
  } else if (menu.WasHit(kPlayWithDelayButton)) {
    StartDelayed(page);
    delayed = true;
  } else if (menu.WasHit(kPreviousButton)) {
    changed = drummer.PreviousSong();
  } else if (menu.WasHit(kNextButton)) {
    changed = drummer.NextSong();
  } else {
    return false;
  }
  Click();
  return delayed;
}

struct MetronomePage {
  float tempo = 120.0f;
  bool was_on_tempo = false;
  bool was_metronome_playing = false;
  bool have_changes = false;
};

void EnterMetronome(MetronomePage& page) {
  page.was_on_tempo = false;
  const float period = sound.beat_period.load();
  if (period > 0.0f) page.tempo = 60.0f / period;
  page.have_changes = false;
}

void StartMetronome() {
  sound.StartMetronome(0.0f, 0.0f);
  is_metronome_playing = true;
}

void ReleaseTempo(MetronomePage& page) {
  if (!page.was_on_tempo) return;
  sound.SetMetronomeTempo(std::floor(page.tempo + 0.5f));
  if (page.was_metronome_playing) {
    StartMetronome();
    page.have_changes = true;
  }
  page.was_on_tempo = false;
}

void MetronomeButtons(const DistanceMenu& menu, MetronomePage& page) {
  if (menu.WasHit(kStopButton)) {
    sound.StopMetronome();
    is_metronome_playing = false;
  } else if (menu.WasHit(kStartButton)) {
    StartMetronome();
  } else if (menu.WasHit(kDoneButton)) {
    if (page.have_changes) drummer.SaveLastSession();
    OpenPlayPage();
  } else if (menu.WasHit(kEighthNotesButton)) {
    sound.ToggleMetronomePlayEighthNotes();
  } else {
    return;
  }
  Click();
}

}  // namespace

void PlaySong() {
  static SongPage page;
  DistanceMenu menu;
  const int width = int(DistanceMenu::m_no_drums_slider_top_width);
  if (!page.first_time) {
    page.valid_song_file = drummer.LoadSong();
    page.first_time = true;
    frames_until_song_start = -1;
  }
  AddButton(menu, kDoneButton, kTextDone, DistanceMenu::m_no_drums_x, DistanceMenu::m_no_drums_y);
  if (drummer.playlist.empty())
    ShowLine(1, GetUtf8(kTextPlaylistEmptyAdd));
  else SongControls(menu, page, width);
  Boilerplate(menu, false, kPlaySong);

  int id = kNoButton;
  float value = 0.0f;
  bool changed = false;
  if (HeldSlider(menu, id, value) && id == kStartAtSlider) {
    Scrub(page, value, width);
  } else {
    drummer.start_slider_dragged = false;
    if (SongButtons(menu, page, changed)) return;
  }
  // Also while scrubbing: the scheduler restarts a playing song from the new start.
  if (!drummer.playlist.empty()) drummer.ScheduleSongLoadingPlaying(changed, page.valid_song_file);
}

void Metronome() {
  static MetronomePage page;
  DistanceMenu menu;
  if (EnteringPage()) EnterMetronome(page);
  AddButton(menu, kDoneButton, kTextDone, DistanceMenu::m_no_drums4_x, DistanceMenu::m_no_drums4_y);
  if (is_metronome_playing)
    AddButton(menu, kStopButton, kTextStop, DistanceMenu::m_no_drums5_x, DistanceMenu::m_no_drums5_y);
  else
    AddButton(menu, kStartButton, kTextStart, DistanceMenu::m_no_drums5_x, DistanceMenu::m_no_drums5_y);
  AddButton(menu, kEighthNotesButton, sound.eighth_notes.load() ? kTextQuarterNotesOnly : kTextPlay8thNotes,
            DistanceMenu::m_no_drums6_x, DistanceMenu::m_no_drums6_y);
  menu.sliders.push_back({kTempoSlider, GetUtf8(kTextTempo), 2, int(DistanceMenu::m_no_drums_slider_bottom_x),
                          int(DistanceMenu::m_with_drums_slider_y), int(DistanceMenu::m_no_drums_slider_bottom_width),
                          int(2 * DistanceMenu::m_menu_radius), page.tempo, 250, 50, false});
  Boilerplate(menu, false, kMetronome);

  int id = kNoButton;
  float value = 0.0f;
  if (HeldSlider(menu, id, value) && id == kTempoSlider) {
    page.tempo = value;
    if (page.was_on_tempo) return;
    page.was_on_tempo = true;
    page.was_metronome_playing = is_metronome_playing;
    sound.StopMetronome();
    is_metronome_playing = false;
    return;
  }
  ReleaseTempo(page);
  MetronomeButtons(menu, page);
}
