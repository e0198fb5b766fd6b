// The drumming controller's keys of the settings file conf/skytapper.cfg: [Session], the last
// session, which the controller rewrites as a whole whenever one of its values changes, and
// [Drummer], the reach and speed thresholds, which only the player edits.
//
// [Session] is one table of keys in the order the file keeps them, each with where its value
// lives (a controller field, a program-wide variable, the sound manager, the kit library, the
// kit), how it is written, the values reading accepts and what a missing key gives; reading and
// writing both run over it, so a key is added in one place. Main thread only.
#pragma once
#include <string>

class Drummer;
class IniFile;

// Reads every [Session] key the file gives into its home. A missing or unreadable key gives
// its default (or leaves the value as it is, for keys without one); a value out of range gives
// its fallback, with a message that names the key and the value.
void ReadSessionKeys(const IniFile& ini, Drummer& drummer);
// The lines of [Session] (header not included), every key in file order.
std::string WriteSessionKeys(const Drummer& drummer);

// Reads the [Drummer] thresholds; one missing or out of range keeps the controller's value.
void ReadDrummerKeys(const IniFile& ini, Drummer& drummer);

// Hit detection sensitivity, as the file and the audio screen name it (0 expert, 1 proficient,
// 2 beginner; any other value is beginner), and the frames of descent that make a stroke at each.
int DownFramesForSensitivity(int sensitivity);
int SensitivityForDownFrames(int frames);
