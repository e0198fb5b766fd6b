// Reader and line-by-line rewriter of the program's INI settings and content files.
//
// Reader: section and key names match without regard to ASCII case and at full length; only
// the first section of a name is searched and the first matching key in it wins; lines whose
// first non-blank character is ';' are comments. A line is a section header when it holds a
// '[' before its last ']' and no '=' before that '['; an entry is a line with '=' inside a
// section. Each getter rescans the file from the start.
//
// Rewriters: read the whole file, transform it and replace it through WriteFileAtomic (a
// failure at any point leaves the original untouched and returns false; a symbolic link stays
// a link; a read-only file is refused; a writable file in a folder that is not writable is
// rewritten in place). Lines are matched by a raw, case-sensitive prefix at the very start of
// the line, without regard to sections.
#pragma once
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

class IniFile {
 public:
  IniFile() = default;
  ~IniFile();
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  // Opens the file for reading; prints a warning and returns false when it cannot.
  bool Init(const std::string& path);
  void CleanUp();
  bool IsOpen() const { return file_ != nullptr; }

  // On false the output is left untouched. GetString's pointer stays valid until the next
  // getter call on this object.
  bool GetString(const std::string& section, const std::string& key, const char*& value) const;
  bool GetInt(const std::string& section, const std::string& key, int& value) const;
  bool GetFloat(const std::string& section, const std::string& key, float& value) const;
  bool GetBool(const std::string& section, const std::string& key, bool& value) const;
  // Appends every entry of the first section of the name, in file order, as GetString reads
  // them (keys as written), but with a value's NUL bytes kept: for readers that look up many
  // keys, one scan instead of one per key. False when there is no such section.
  bool GetSection(const std::string& section, std::vector<std::pair<std::string, std::string>>& entries) const;

  // Replaces the first section of the name (header included) by the lines; appends them at
  // the end when the section is missing.
  static bool ReplaceSection(const std::string& path, const std::string& section,
                             const std::vector<std::string>& lines);
  // Drops every line that begins with one of the prefixes.
  static bool EraseEntries(const std::string& path, const std::vector<std::string>& prefixes);
  // Replaces every line that begins with a pair's prefix by the pair's new line.
  static bool ReplaceEntries(const std::string& path,
                             const std::vector<std::pair<std::string, std::string>>& pairs);
  // Inserts a pair's new line after every line that begins with the pair's anchor prefix.
  static bool AddEntries(const std::string& path,
                         const std::vector<std::pair<std::string, std::string>>& pairs);

 private:
  FILE* file_ = nullptr;
  mutable std::string line_;
};
