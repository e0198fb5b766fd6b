// Paths under the installation folder, folder scans and file names made from display names.
#pragma once
#include <string>
#include <vector>

// The kind of file, which picks its folder under the installation directory; any other value
// gives the installation folder itself.
typedef int PathType;
enum : PathType {
  kPathElements = 0,    // data/elements/
  kPathImages = 1,      // data/images/
  kPathSounds = 2,      // data/sounds/
  kPathConf = 3,        // conf/: the settings file
  kPathDrumkits = 4,    // conf/drumkits/
  kPathPlaylist = 5,    // conf/: the playlist, and where the MIDI-map folder is made
  kPathRecordings = 6,  // recordings/
  kPathMidiMaps = 7,    // conf/midi-maps/
  kPathFonts = 8,       // data/fonts/
};

std::string MakePath(PathType type, const std::string& name);

// Appends the names of the folder's entries whose last four bytes equal the extension (".ini",
// ".ele", ".sel", ".wav"; ASCII case ignored; names of at least five bytes), then sorts the
// whole vector by first byte as a signed char (non-ASCII names first), ties by the whole name.
void ScanDirectory(const char* path, const char* extension, std::vector<std::string>& names);

// A file name made from a display name: \ / : * ? " < > | and control characters become '_',
// as do bytes that are not valid UTF-8; valid non-ASCII characters are kept.
std::string NameToPath(const std::string& name);

// The UTF-8 path shortened to fewer than max characters ("head...tail"), written into out
// (out_size bytes, always terminated, never cut inside a character). Returns the bytes written.
int PathCompactPathEx(char* out, const char* path, unsigned long max, int unused, int out_size);

// The decimal form of the integer.
std::string to_string(int value);
