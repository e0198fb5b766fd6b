// Start-up migrations that bring older settings and content files up to date, the preset kits
// and MIDI maps they write, and the saving of the language chosen from the system. All run on
// the main thread before any other thread reads these files; none reports failure to its
// caller (diagnostics go to standard output).
#pragma once
#include <string>

// ---- Settings markers (migrations.cpp) ----------------------------------------------------
// Stores a [Session] line of conf/skytapper.cfg: replaces every line that begins with key;
// else inserts line after the "Wants_Startup_Help" line; else after the "[Session]" line.
// False when the file could not be rewritten.
bool SetSessionKey(const std::string& key, const std::string& line);

// ---- The deferred start-up's migrations, run in this order (migrations.cpp) ---------------
// newer_lamp: the user's lamp is of the newer model. Each is guarded by its [Session] marker,
// except PatchMay2021, which acts on every start while Never_Ran is true.
void PatchLampForBatch2(bool newer_lamp);
// Makes conf/midi-maps/ and writes the preset MIDI maps missing from it (never over a file
// that is there), marking done once all are on disk; the flag is not used.
void PatchMidiMaps(bool newer_lamp);
void Patch3D(bool newer_lamp);
void PatchMay2021();

// ---- Preset files (preset_files.cpp) ------------------------------------------------------
// Writes size bytes of data as the whole file, atomically. Prints "Error: could not write
// file" with the path on failure.
bool DumpPreset(const char* path, int size, const char* data);
// The 14 preset kits into conf/drumkits/ (made when missing), overwriting files of the same
// names; a failed file does not stop the others. True when all were written.
bool WritePresetDrumkits();
// Each of the 11 preset MIDI maps that conf/midi-maps/ does not hold yet: a user's map of the
// same file name is kept. True when all are on disk afterwards.
bool WritePresetMidiMaps();

// ---- Shin markers (shin_migration.cpp) ----------------------------------------------------
// Converts shin-marker settings to foot-marker settings; run by main before the settings file
// is read. Acts only while [Drummer] Speed_Threshold_Shin_Play exists, which it erases; may
// ask whether the shin pedal settings become the kits' foot settings.
void PatchShinsForBatch2();
// Drops the shin keys of one kit file; with keep_shin, the foot drums on the side of a leg
// that used a shin marker take their shin values as foot values (only those the drum has).
// Lines are matched by containment. False when the file could not be read or rewritten.
bool PatchDrumkitShinsForBatch2(const std::string& path, bool left_uses_foot, bool right_uses_foot,
                                bool keep_shin);

// ---- Small migrations (migrations.cpp) ----------------------------------------------------
// Writes the current language's code into [Session] Language of conf/skytapper.cfg.
void SaveLanguage();
// Adds one to midi_output_number when [Session] Use_Old_Style_Menu_Button cannot be read.
void PatchPerformanceModeMIDIBug();
// Scales the marker sizes of every user kit by 0.699 (not called at start-up; nothing records
// that it ran, so a second call scales again).
void PatchCustomDrumSets();
// Multiplies Drum%d.size and Drum%d.foot_size of drums 0 .. drum_count - 1 by 0.699, where the
// file has them.
void PatchDrumSetMarkerSizes(const std::string& path, int drum_count);
