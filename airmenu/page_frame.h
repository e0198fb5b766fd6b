// What the in-air pages share besides Boilerplate: the firing rule, the click, the two-step
// confirmation, the window size and the hooks through which the frame loop above tells the
// pages what they can not include. Main thread only.
#pragma once

#include <string>

#include "drumming/distance_menu.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "tracking/mocap_marker.h"

// What the frame loop (app/) knows and the pages ask for; the frame loop installs it at
// start-up with designated initialisers, the defaults do nothing until then.
struct FrameCalls {
  bool (*client_on_this_device)() = [] { return false; };  // the connected viewer runs here
  // Sees every menu handed to Boilerplate, after the page filled it, and the move-drum page's
  // own while a drum is being placed (tests read it).
  void (*menu_seen)(const DistanceMenu&) = [](const DistanceMenu&) {};
};
extern FrameCalls frame_calls;

// The level code `which_volume` of the volume and MIDI pages: an entry parameter, not a
// button id; drum i is kFirstDrumLevel + i.
enum WhichVolume : int {
  kReverbLevel = 132,
  kDrumsLevel = 135,
  kMasterLevel = 136,
  kMetronomeLevel = 137,
  kSongLevel = 138,
  kFirstDrumLevel = 139,
};

// The typed ways into the pages that take parameters. Each is ChangeInterfaceState with that
// page's own use of the state parameters, which only that page decodes.
// The drumming page: plainly, after the set-up wizard (the intro notice and the preset-kit
// notice), or from a Play button or an applied kit (the preset-kit notice).
enum class PlayEntry : int { kPlain = 0, kAfterWizard = 1, kFromPlayButton = 2 };
void OpenPlayPage(PlayEntry entry = PlayEntry::kPlain);
// The volume page on a level; side is the edited side of a hand-and-foot drum; back_to is where
// Done leaves a drum's level for (a mixer or reverb level always goes back to the sound page).
void OpenVolumePage(WhichVolume which, MocapMarkerType side, InterfaceState back_to);
// The MIDI page on a drum's level, its side and where Done leaves for, as the volume page.
void OpenMidiPage(WhichVolume which, MocapMarkerType side, InterfaceState back_to);
// The sound page; with unsaved changes (the volume page's) its Save button is live on entry.
void OpenSoundPage(bool with_unsaved_changes);
// A page of the adjust-drums family: the hub, the hi-hat and cymbals menu, the move-drums menu,
// the two hi-hat pages and the choke page. back_to is where the adjusting pages it opens lead
// back to (for the hi-hat and choke pages, where their own Done leads); with unsaved changes of
// the kit its Save is live. Done of an adjusting page may lead to the drumming page, which takes
// neither as its own.
void OpenAdjustPage(InterfaceState page, InterfaceState back_to, bool with_unsaved_changes);
// Done of an adjusting page (volume, MIDI, hi-hat, choke): back to back_to, handed itself as
// its own way back, with the changes made so far.
void ReturnToAdjustPage(InterfaceState back_to, bool with_unsaved_changes);
// What a page of the adjust-drums family was opened with, read by those pages on entry;
// default_back_to stands in when none was given.
struct AdjustPageEntry {
  InterfaceState back_to;
  bool with_unsaved_changes;
};
AdjustPageEntry EnteredAdjustPage(InterfaceState default_back_to);
// The move-drum page, for one drum or the whole kit; leaving it opens back_to of the adjust-drums
// family with its_back_to as that page's own way back.
void OpenMoveDrumPage(bool whole_kit, InterfaceState back_to, InterfaceState its_back_to);
// "Place all drums": the wizard's drum placing with the old positions kept, which leads back to
// back_to (the hub, or else the drumming page).
void OpenDrumPlacing(InterfaceState back_to);

// Nobody switches the marker colours on; the pages pass its negation to the marker drawing.
extern bool show_marker_color;

// True unless a running camera gave no new frame: the frame wait times out after 20 ms, and
// tracking the same picture twice reads as a stick that stopped dead.
bool NewCameraFrame();

// The window in pixels.
int WindowWidth();
int WindowHeight();

// A button of the given text at a slot, size 22, not needing activation unless said.
void AddButton(DistanceMenu& menu, int id, TextId text, float x, float y, bool greyed = false,
               bool needs_activation = false);
// A button at no-drums slot 1..6.
void AddSlotButton(DistanceMenu& menu, int id, TextId text, int slot, bool greyed = false);
// True while drum is an index of the loaded kit: pages that keep an index check it every
// frame, since the viewer may reload or edit the kit under them.
bool IsKitDrum(int drum);
// The menu click that follows a fired button's action.
void Click();
// The first firing only arms need_confirmation, shows the text on line 2 and sounds the error
// sample; a firing while armed returns true (the caller acts and clicks). Pages clear the flag
// on entry.
bool ConfirmTwice(bool& need_confirmation, TextId text);
// A message line in the menus' default look (style 1, default duration).
void ShowLine(int line, const char* text);
// The same with a text whose one "%s" takes a name (the name is never read as a format); a long
// name is shortened with "..." so that the line ends inside the window.
void ShowNameLine(int line, TextId text, const char* name);
// A failed kit save: the error on line 2 and, on line 3, the library's reason, shortened with
// "..." where its path would take it past the window's edges.
void ShowKitSaveFailed(const std::string& reason);
// The slider the hands hold this frame: the other hand's when it holds one, else the dominant
// hand's; false when no slider is held.
bool HeldSlider(const DistanceMenu& menu, int& id, float& value);
// Minutes and seconds of a duration: m = floor(d / 60), s = int(d - 60 m).
void MinutesSeconds(float seconds, int& m, int& s);
