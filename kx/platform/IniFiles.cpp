#include "kx/platform/IniFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kx {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The whole file; false when it (or its folder) does not exist.
bool ReadWholeFile(const std::string& fileName, std::string& content) {
  int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    int error = errno;
    if (error == ENOENT || error == ENOTDIR) return false;
    throw EFOpenError(Format("Cannot open file \"%s\". %s", fileName, SysErrorMessage(error)));
  }
  char buffer[65536];
  for (;;) {
    ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count > 0) {
      content.append(buffer, static_cast<std::size_t>(count));
    } else if (count == 0) {
      break;
    } else if (errno != EINTR) {
      int error = errno;
      ::close(fd);
      throw EFOpenError(Format("Cannot open file \"%s\". %s", fileName, SysErrorMessage(error)));
    }
  }
  ::close(fd);
  return true;
}

// Removes one pair of matching enclosing quotes.
std::string Unquote(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

struct TMemIniFile::TIniLine {
  enum TKind { ilOther, ilSection, ilKey } mKind = ilOther;
  std::string mName;   // section or key name, trimmed
  std::string mValue;  // of a key line: trimmed and unquoted
};

TMemIniFile::TMemIniFile(std::string fileName) : mFileName(std::move(fileName)) {
  std::string content;
  if (ReadWholeFile(mFileName, content)) SetText(content);
}

void TMemIniFile::SetText(std::string_view text) {
  mLines.clear();
  mByteOrderMark = text.starts_with(kByteOrderMark);
  if (mByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  std::size_t firstBreak = text.find('\n');
  mLineBreak = firstBreak != std::string_view::npos && firstBreak > 0 && text[firstBreak - 1] != '\r' ? "\n" : "\r\n";
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    mLines.emplace_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
}

TMemIniFile::TIniLine TMemIniFile::Classify(const std::string& line) {
  TIniLine result;
  std::string trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] == ';') return result;
  if (trimmed[0] == '[') {
    std::size_t close = trimmed.find(']');
    if (close != std::string::npos) {
      result.mKind = TIniLine::ilSection;
      result.mName = Trim(std::string_view(trimmed).substr(1, close - 1));
    }
    return result;
  }
  std::size_t equals = trimmed.find('=');
  if (equals != std::string::npos) {
    result.mKind = TIniLine::ilKey;
    result.mName = Trim(std::string_view(trimmed).substr(0, equals));
    result.mValue = Unquote(Trim(std::string_view(trimmed).substr(equals + 1)));
  }
  return result;
}

int TMemIniFile::FindSection(std::string_view section, std::size_t& end) const {
  std::string name = Trim(section);
  int found = -1;
  for (std::size_t i = 0; i < mLines.size(); ++i) {
    TIniLine line = Classify(mLines[i]);
    if (line.mKind != TIniLine::ilSection) continue;
    if (found >= 0) {
      end = i;
      return found;
    }
    if (SameText(line.mName, name)) found = static_cast<int>(i);
  }
  end = mLines.size();
  return found;
}

int TMemIniFile::FindKey(std::size_t first, std::size_t end, std::string_view key) const {
  std::string name = Trim(key);
  for (std::size_t i = first; i < end; ++i) {
    TIniLine line = Classify(mLines[i]);
    if (line.mKind == TIniLine::ilKey && SameText(line.mName, name)) return static_cast<int>(i);
  }
  return -1;
}

std::string TMemIniFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
  std::size_t end = 0;
  int header = FindSection(section, end);
  if (header < 0) return std::string(defaultValue);
  int line = FindKey(static_cast<std::size_t>(header) + 1, end, key);
  return line < 0 ? std::string(defaultValue) : Classify(mLines[line]).mValue;
}

int TMemIniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
  return StrToIntDef(ReadString(section, key, ""), defaultValue);
}

void TMemIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string name = Trim(key);
  if (HasLineBreak(section) || section.find(']') != std::string_view::npos || HasLineBreak(key) ||
      name.empty() || name.find('=') != std::string::npos || name[0] == '[' || name[0] == ';' ||
      HasLineBreak(value)) {
    throw EIniFileException(Format("Invalid INI entry [%s] %s", section, key));
  }
  std::string entry = name + "=" + std::string(value);
  std::size_t end = 0;
  int header = FindSection(section, end);
  if (header < 0) {
    if (!mLines.empty() && !Trim(mLines.back()).empty()) mLines.emplace_back();
    mLines.push_back("[" + std::string(section) + "]");
    mLines.push_back(entry);
    return;
  }
  int line = FindKey(static_cast<std::size_t>(header) + 1, end, key);
  if (line >= 0) {
    mLines[line] = entry;
    return;
  }
  // After the section's last non-blank line, so blank lines keep separating sections.
  std::size_t at = end;
  while (at > static_cast<std::size_t>(header) + 1 && Trim(mLines[at - 1]).empty()) --at;
  mLines.insert(mLines.begin() + static_cast<std::ptrdiff_t>(at), entry);
}

void TMemIniFile::UpdateFile() const {
  std::string content;
  if (mByteOrderMark) content = kByteOrderMark;
  for (const std::string& line : mLines) {
    content += line;
    content += mLineBreak;
  }
  int fd = ::open(mFileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    int error = errno;
    throw EFCreateError(Format("Cannot create file \"%s\". %s", mFileName, SysErrorMessage(error)));
  }
  std::size_t written = 0;
  while (written < content.size()) {
    ssize_t count = ::write(fd, content.data() + written, content.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      int error = count < 0 ? errno : EIO;
      ::close(fd);
      throw EWriteError(Format("Cannot write file \"%s\". %s", mFileName, SysErrorMessage(error)));
    }
    written += static_cast<std::size_t>(count);
  }
  if (::close(fd) != 0) {
    throw EWriteError(Format("Cannot write file \"%s\". %s", mFileName, SysErrorMessage(errno)));
  }
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  TMemIniFile::WriteString(section, key, value);
  UpdateFile();
}

}  // namespace kx
