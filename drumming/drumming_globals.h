// Program-wide drumming switches shared with the in-air pages and the screens.
#pragma once

extern bool drums_muted;                // the volumes page muted the drums
extern bool recording;                  // a performance recording runs (set through Logger)
extern bool is_metronome_playing;       // the metronome page (or the viewer) started the metronome
extern bool have_drummed_this_session;  // the drumming page was entered since start-up
extern int use_old_style_menu_button;   // [Session] Use_Old_Style_Menu_Button
// MIDI velocities skip the elements' response curves (set from the start; the in-air MIDI
// page reads it).
extern unsigned char midi_ignore_response_curves;
