// Replacing a whole file so that a crash, a full disk or a write error leaves the old bytes or
// the new ones, never a mix and never an empty file.
#pragma once
#include <string>

// Writes bytes to a temporary file beside the real file (a symbolic link is followed, and stays
// a link), flushes it to disk and renames it over the file, keeping the file's permissions (a
// new file gets 0666 less the umask). When the folder takes no new file, an existing file is
// rewritten in place and checked (every byte written, the size cut, flushed; the old bytes
// written back when the new ones do not fit). A file without any write permission bit is
// refused and left untouched, also for root, as is a file the user may not write. False on
// failure, with a "Warning:" line naming the file; no temporary file is left behind.
bool WriteFileAtomic(const std::string& path, const std::string& bytes);
