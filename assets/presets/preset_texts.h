// The preset kits and preset MIDI maps compiled into the program, generated at build time by
// tools/gen_presets.py from kits.txt and midi_maps.txt beside this file. Each text is written
// to disk unchanged: CR LF line ends, no terminating NUL.
#pragma once

struct PresetText {
  const char* file;  // the file name in conf/drumkits/ or conf/midi-maps/
  const char* data;
  int size;  // bytes of data
};

// In the order they are written: the kit pairs A to F and the MIDI kits, left hand first.
extern const PresetText preset_drumkits[14];
// In the order A_ to K_.
extern const PresetText preset_midi_maps[11];
