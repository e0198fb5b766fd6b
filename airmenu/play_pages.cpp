// The drumming page (18), the play menu (19) and the temporary display (36).
#include <string>

#include "airmenu/calibration.h"
#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "sound/logger.h"
#include "sound/sound.h"
#include "tracking/webcam.h"

namespace {

constexpr int kPresetNoticeDelay = 250;  // frames from entry to the preset-kit notice

struct PlayNotices {
  int frames_to_preset_notice = -1;  // -1: no notice due
  bool show_intro_text = false;
};

void EnterPlay(PlayNotices& notices) {
  webcam.ChangeMode(1);
  notices.frames_to_preset_notice = -1;
  const PlayEntry entry = PlayEntry(state_param);
  if (entry == PlayEntry::kFromPlayButton) notices.frames_to_preset_notice = kPresetNoticeDelay;
  if (entry == PlayEntry::kAfterWizard) {
    notices.show_intro_text = true;
    notices.frames_to_preset_notice = kPresetNoticeDelay;
    drumkit.last_hit_drum = -1;
  }
  have_drummed_this_session = true;
}

void Message(TextId text, int line, int style, float ms) {
  DistanceMenu::AddMessage(GetUtf8(text), line, style, ms, false, false);
}

void GraphicsModeNotice(TextId first_text) {
  Message(first_text, 0, 3, 6000.0f);
  Message(kTextPressCtrlG, 1, 3, 0.0f);
  for (int line : {2, 4, 5}) DistanceMenu::AddMessage("", line, 1, 0.0f, false, false);
}

void IntroNotice() {
  const bool first_run = calibration.IsFirstRun();
  Message(kTextDrumKitSet, 0, 1, first_run ? 6000.0f : 4000.0f);
  if (!first_run) return;
  const struct {
    int line;
    TextId text;
  } lines[] = {{1, kTextDontForgetPlugTurn},
               {2, kTextPutSomeMarkersWish},
               {4, kTextNotePedalBehave},
               {5, kTextCorrespondingFootTapped}};
  for (const auto& l : lines) Message(l.text, l.line, 1, 6000.0f);
}

void ShowNotices(const PlayNotices& notices) {
  if (graphics_mode == kGraphicsSlowSimplified) return GraphicsModeNotice(kTextFastGraphicsMode3);
  if (graphics_mode == kGraphicsSlow) return GraphicsModeNotice(kTextFastGraphicsMode2);
  if (notices.show_intro_text) return IntroNotice();
  if (notices.frames_to_preset_notice != 0 || drumkit.is_user_kit) return;
  const TextId texts[] = {kTextThisIsPresetKit, kTextHavingTroubleHitting, kTextRepositionThem, kTextEnterMenuThen};
  for (int line = 0; line < 4; ++line) Message(texts[line], line, 1, 9000.0f);
}

const char* KitName() { return drummer.kit_library ? drummer.kit_library->current_drumkit_name.c_str() : ""; }

}  // namespace

void OpenPlayPage(PlayEntry entry) { ChangeInterfaceState(kPlay, int(entry), 0, 0); }

void Play() {
  static PlayNotices notices;
  DistanceMenu menu;
  if (EnteringPage()) EnterPlay(notices);
  ShowNotices(notices);
  if (use_old_style_menu_button)
    AddButton(menu, kMenuButton, kTextMenu, DistanceMenu::m_with_drums_x, DistanceMenu::m_with_drums_y, false, true);
  Boilerplate(menu, true, kPlay);
  if (drumkit.last_hit_drum >= 0) notices.show_intro_text = false;
  if (menu.WasHit(kMenuButton) && graphics_mode != kGraphicsNone) {
    ChangeInterfaceState(kPlayMenu, 0, 0, 0);
    Click();
  }
  if (notices.frames_to_preset_notice >= 0 && !notices.show_intro_text) --notices.frames_to_preset_notice;
}

void PlayMenu() {
  DistanceMenu menu;
  const bool can_sound = sound.audio.HasStream();
  AddButton(menu, kBackButton, kTextBack, DistanceMenu::m_no_drums_x, DistanceMenu::m_no_drums_y);
  AddButton(menu, kSongsButton, kTextSongs, DistanceMenu::m_no_drums2_x, DistanceMenu::m_no_drums2_y);
  AddButton(menu, kDrumKitButton, kTextDrumKitButton, DistanceMenu::m_no_drums3_x, DistanceMenu::m_no_drums3_y);
  if (recording)
    AddButton(menu, kStopButton, kTextStopRecording, DistanceMenu::m_no_drums4_x, DistanceMenu::m_no_drums4_y);
  else
    AddButton(menu, kRecordButton, kTextRecord, DistanceMenu::m_no_drums4_x, DistanceMenu::m_no_drums4_y);
  AddButton(menu, kMetronomeButton, kTextMetroNome, DistanceMenu::m_no_drums5_x, DistanceMenu::m_no_drums5_y);
  AddButton(menu, kSoundButton, kTextSound, DistanceMenu::m_no_drums6_x, DistanceMenu::m_no_drums6_y, !can_sound);
  Boilerplate(menu, false, kPlayMenu);

  if (menu.WasHit(kBackButton)) {
    OpenPlayPage();
  } else if (menu.WasHit(kStopButton)) {
    logger.StopRecording(recording);
  } else if (menu.WasHit(kMetronomeButton)) {
    ChangeInterfaceState(kMetronome, 0, 0, 0);
  } else if (menu.WasHit(kRecordButton)) {
    // A recording that could not start leaves the flag clear: no border pulses over nothing.
    logger.StartRecording(recording, KitName());
    if (recording) OpenPlayPage();
    else
      ShowLine(3, GetUtf8(kTextRecordingFailed));
  } else if (menu.WasHit(kDrumKitButton)) {
    ChangeInterfaceState(kDrumKits, kDrumKits, 0, 0);
  } else if (menu.WasHit(kSoundButton) && can_sound) {
    OpenSoundPage(false);
  } else if (menu.WasHit(kSongsButton)) {
    ChangeInterfaceState(kPlaySong, 0, 0, 0);
  } else {
    return;
  }
  Click();
}

void TemporaryDisplay() {
  DistanceMenu menu;
  if (EnteringPage()) {
    webcam.ChangeMode(1);
  }
  Boilerplate(menu, false, kTemporaryDisplay);
}
