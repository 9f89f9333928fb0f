#include "kx/hosts/HostUploads.h"

#include <unistd.h>

#include <utility>

namespace kx {

namespace {

constexpr std::size_t kReadBlock = 65536;

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Finds parameter name in a header value; see HeaderParameter. Absent and empty differ here.
bool FindHeaderParameter(std::string_view value, std::string_view name, std::string& result) {
  std::size_t i = value.find(';');
  while (i != std::string_view::npos && i < value.size()) {
    ++i;  // past ";"
    std::size_t eq = value.find_first_of("=;", i);
    if (eq == std::string_view::npos) return false;
    if (value[eq] == ';') {  // a parameter without value
      i = eq;
      continue;
    }
    std::string_view key = TrimBlanks(value.substr(i, eq - i));
    std::size_t v = eq + 1;
    while (v < value.size() && (value[v] == ' ' || value[v] == '\t')) ++v;
    std::string text;
    std::size_t next;
    if (v < value.size() && value[v] == '"') {
      // Taken literally up to the next quote: browsers send a quote in a name as %22 and a backslash as it is.
      std::size_t close = value.find('"', v + 1);
      std::size_t end = close == std::string_view::npos ? value.size() : close;
      text = value.substr(v + 1, end - v - 1);
      next = close == std::string_view::npos ? std::string_view::npos : value.find(';', close);
    } else {
      next = value.find(';', v);
      text = TrimBlanks(value.substr(v, next == std::string_view::npos ? std::string_view::npos : next - v));
    }
    if (SameText(key, name)) {
      result = std::move(text);
      return true;
    }
    i = next;
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// THostUploads

THostUploads::~THostUploads() {
  for (const TRequestPacketFile& file : mFiles) ::unlink(file.TempPathName.c_str());
}

std::unique_ptr<TTempFileStream> THostUploads::CreateFile(const std::string& folder) const {
  if (mFiles.size() >= MaxFiles) throw EMultipartLimit("Too many files in one request.");
  return std::make_unique<TTempFileStream>(true, "BRM", folder);
}

void THostUploads::Keep(std::unique_ptr<TTempFileStream> file, std::string_view clientName,
                        std::string_view fieldName, std::string_view contentType) {
  mFiles.push_back(TRequestPacketFile{std::string(clientName), file->FileName(), std::string(contentType),
                                      std::string(fieldName), file->Size()});
  file->SetDeleteFile(false);
}

void THostUploads::AddFile(TStream& source, const std::string& folder, std::string_view clientName,
                           std::string_view fieldName, std::string_view contentType) {
  std::unique_ptr<TTempFileStream> file = CreateFile(folder);
  std::string block(kReadBlock, '\0');
  for (std::int64_t n; (n = source.Read(block.data(), std::int64_t(block.size()))) > 0;) file->WriteBuffer(block.data(), n);
  Keep(std::move(file), clientName, fieldName, contentType);
}

std::string SafeUploadFileName(std::string_view clientName) {
  std::size_t slash = clientName.find_last_of("/\\");
  if (slash != std::string_view::npos) clientName.remove_prefix(slash + 1);
  std::string name;
  for (char c : clientName)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) name += c;
  if (name == "." || name == "..") name.clear();
  return name;
}

std::string HeaderParameter(std::string_view headerValue, std::string_view name) {
  std::string result;
  FindHeaderParameter(headerValue, name, result);
  return result;
}

// ---------------------------------------------------------------------------
// TMultipartParser

TMultipartParser::TMultipartParser(TStream& source, std::string_view boundary)
    : mSource(source), mDelimiter("\r\n--" + std::string(boundary)), mBuffer("\r\n") {
  // The CR LF put in front lets a body that starts with its delimiter match like every later one.
  if (boundary.empty()) Malformed();
}

void TMultipartParser::Malformed() { throw EMultipartError("Malformed multipart body."); }

bool TMultipartParser::Fill() {
  if (mStart > 0) {
    mBuffer.erase(0, mStart);
    mStart = 0;
  }
  std::size_t had = mBuffer.size();
  mBuffer.resize(had + kReadBlock);
  std::int64_t n = mSource.Read(mBuffer.data() + had, std::int64_t(kReadBlock));
  mBuffer.resize(had + std::size_t(n > 0 ? n : 0));
  return n > 0;
}

template <class Sink>
bool TMultipartParser::SkipToDelimiter(Sink&& sink) {
  for (;;) {
    std::size_t pos = mBuffer.find(mDelimiter, mStart);
    if (pos != std::string::npos) {
      sink(mBuffer.data() + mStart, pos - mStart);
      mStart = pos + mDelimiter.size();
      return true;
    }
    // The tail may hold the start of a delimiter that the next block completes.
    std::size_t keep = mDelimiter.size() - 1;
    std::size_t available = mBuffer.size() - mStart;
    if (available > keep) {
      sink(mBuffer.data() + mStart, available - keep);
      mStart += available - keep;
    }
    if (!Fill()) return false;
  }
}

bool TMultipartParser::AtCloseDelimiter() {
  while (mBuffer.size() - mStart < 2)
    if (!Fill()) Malformed();
  if (mBuffer.compare(mStart, 2, "--") == 0) return true;
  // Transport padding (blanks) may follow a delimiter before its CR LF.
  for (;;) {
    while (mStart < mBuffer.size() && (mBuffer[mStart] == ' ' || mBuffer[mStart] == '\t')) ++mStart;
    if (mBuffer.size() - mStart >= 2) break;
    if (!Fill()) Malformed();
  }
  if (mBuffer.compare(mStart, 2, "\r\n") != 0) Malformed();
  mStart += 2;
  return false;
}

std::string TMultipartParser::ReadPartHeaders() {
  for (;;) {
    if (mBuffer.size() - mStart >= 2 && mBuffer.compare(mStart, 2, "\r\n") == 0) {  // no header lines
      mStart += 2;
      return {};
    }
    std::size_t end = mBuffer.find("\r\n\r\n", mStart);
    if (end != std::string::npos && end - mStart <= MaxPartHeaderSize) {
      std::string headers = mBuffer.substr(mStart, end - mStart);
      mStart = end + 4;
      return headers;
    }
    if (mBuffer.size() - mStart > MaxPartHeaderSize + 4 || !Fill()) Malformed();
  }
}

void TMultipartParser::Parse(const std::string& folder, std::vector<std::string>& fields, THostUploads& uploads,
                             std::size_t maxFields) {
  auto discard = [](const char*, std::size_t) {};
  if (!SkipToDelimiter(discard)) Malformed();  // the preamble
  while (!AtCloseDelimiter()) {
    std::string disposition, contentType;
    std::string headers = ReadPartHeaders();
    for (std::size_t i = 0; i < headers.size();) {
      std::size_t eol = headers.find("\r\n", i);
      if (eol == std::string::npos) eol = headers.size();
      std::string_view line(headers.data() + i, eol - i);
      std::size_t colon = line.find(':');
      if (colon != std::string_view::npos) {
        std::string_view name = TrimBlanks(line.substr(0, colon));
        std::string_view value = TrimBlanks(line.substr(colon + 1));
        if (SameText(name, "Content-Disposition")) disposition = value;
        else if (SameText(name, "Content-Type")) contentType = value;
      }
      i = eol + 2;
    }
    std::string fieldName = HeaderParameter(disposition, "name");
    std::string fileName;
    bool found;
    if (!FindHeaderParameter(disposition, "filename", fileName)) {
      // Counted before it is read: a body of millions of empty parts stops at the limit.
      if (fields.size() >= maxFields) throw EMultipartLimit("Too many form fields.");
      std::string line = fieldName + "=";  // the value is read into its line: a large one is held once
      found = SkipToDelimiter([&](const char* p, std::size_t n) { line.append(p, n); });
      fields.push_back(std::move(line));
    } else if (fileName.empty()) {  // a file input left empty
      found = SkipToDelimiter(discard);
    } else {
      std::unique_ptr<TTempFileStream> file = uploads.CreateFile(folder);
      found = SkipToDelimiter([&](const char* p, std::size_t n) { file->WriteBuffer(p, std::int64_t(n)); });
      if (found) uploads.Keep(std::move(file), SafeUploadFileName(fileName), fieldName, contentType);
    }
    if (!found) Malformed();
  }
}

}  // namespace kx
