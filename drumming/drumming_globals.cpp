#include "drumming/drumming_globals.h"

bool drums_muted = false;
bool recording = false;
bool is_metronome_playing = false;
bool have_drummed_this_session = false;
int use_old_style_menu_button = 1;
unsigned char midi_ignore_response_curves = 1;
