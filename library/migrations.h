// Start-up migrations that bring older settings and preset files up to date, and the saving of
// the language chosen from the system.
#pragma once

// Converts shin-marker settings to foot-marker settings; run by main before the settings file
// is read. Changes nothing when there are no shin keys.
void PatchShinsForBatch2();
// The deferred start-up's migrations, in this order; each acts once, guarded by its own
// [Session] marker key.
void PatchLampForBatch2(bool flag);
void PatchMidiMaps(bool flag);
void Patch3D(bool flag);
void PatchMay2021();
// Writes the current language's code into [Session] Language of conf/skytapper.cfg.
void SaveLanguage();
// Adds one to midi_output_number when [Session] Use_Old_Style_Menu_Button cannot be read.
void PatchPerformanceModeMIDIBug();
