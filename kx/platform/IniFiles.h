// INI files: TMemIniFile holds a file's lines in memory, reads values by
// section and key and writes them back without disturbing the other lines;
// TIniFile writes every change through to its file at once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kx/platform/Classes.h"
#include "kx/platform/SysUtils.h"

namespace kx {

KX_DECLARE_EXCEPTION(EIniFileException, Exception);

// The text is UTF-8 (a leading byte-order mark is skipped and kept for writing);
// lines end in CR LF or LF. A line is, after trimming blanks: empty, a comment
// (starting with ";"), a section header "[name]" or "key=value". Section and key
// names are trimmed and compared ignoring ASCII case; the first match wins.
// Values are trimmed and lose one pair of enclosing quotes ("..." or '...').
class TMemIniFile : public TObject {
 public:
  // Loads the file. A missing file (or folder) gives an empty INI; any other
  // failure raises EFOpenError "Cannot open file \"name\". <system text>".
  explicit TMemIniFile(std::string fileName);
  TMemIniFile(const TMemIniFile&) = delete;
  TMemIniFile& operator=(const TMemIniFile&) = delete;

  const std::string& FileName() const { return mFileName; }

  // Replaces the lines held in memory with text; the file is not touched.
  void SetText(std::string_view text);

  // The value of key in section; defaultValue when either is missing.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
  // The value read as a decimal or hexadecimal ("$1F", "0x1F") integer;
  // defaultValue when it is missing or not a valid integer.
  int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;

  // Sets key in section: replaces the key's first line, or adds "key=value"
  // after the section's last line, or a new section at the end. A section or
  // key with "[", "]" or "=" where they would change the file's structure, an
  // empty key, or a line break anywhere raises EIniFileException.
  virtual void WriteString(std::string_view section, std::string_view key, std::string_view value);

  // Writes the lines to FileName, with the byte-order mark and line ends it was
  // read with (CR LF for a new file). Raises EFCreateError when the file cannot
  // be created and EWriteError when writing fails.
  void UpdateFile() const;

 private:
  struct TIniLine;  // one line classified

  static TIniLine Classify(const std::string& line);
  // Index of the first header line of section, or -1; end receives the index
  // after the section's last line.
  int FindSection(std::string_view section, std::size_t& end) const;
  // Index of the first line holding key between first and end, or -1.
  int FindKey(std::size_t first, std::size_t end, std::string_view key) const;

  std::string mFileName;
  std::vector<std::string> mLines;
  bool mByteOrderMark = false;
  std::string mLineBreak = "\r\n";
};

// An INI file whose writes reach the file immediately.
class TIniFile : public TMemIniFile {
 public:
  using TMemIniFile::TMemIniFile;

  // Writes to memory as TMemIniFile does, then UpdateFile.
  void WriteString(std::string_view section, std::string_view key, std::string_view value) override;
};

}  // namespace kx
