// Names of kits and elements as the user types them or their files hold them, and the free
// file name for a new kit.
#pragma once
#include <set>
#include <string>

class IniFile;

// Opens a kit or MIDI-map file into ini and reads its section's Name as written and, when
// the key is there, Is_Preset; false when the file cannot be read or has no Name (then a line
// "<kind> has no name, skipping it").
bool ReadNameAndPreset(IniFile& ini, const std::string& file, const char* section, const char* kind,
                       std::string& name, bool& is_preset);

// Cuts blanks and tabs from both ends of name, then refuses (false, message set, in the
// current language) an empty name (message = no_name, e.g. "Cannot save a drumkit without a
// name.") and control characters; element names, which become file names as they are, also may not hold '/' or
// '\', begin with '.', or be longer than a drum's 31-byte element name.
bool ValidateLibraryName(std::string& name, bool element, const std::string& no_name, std::string& message);

// The next file name after a taken one: the run of decimal digits at its end counted up by one
// (any length: "Kit 99" gives "Kit 100"), or "-2" appended when it ends in no digit. Only the
// part after the last '/' is looked at.
std::string NextFileName(const std::string& name);

// candidate, counted up with NextFileName until no entry of taken equals it.
std::string FreeFileName(std::string candidate, const std::set<std::string>& taken);
