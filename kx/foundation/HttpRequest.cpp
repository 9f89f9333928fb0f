#include "kx/foundation/HttpRequest.h"

#include <unistd.h>

#include <charconv>
#include <utility>

#include "kx/foundation/FileUtils.h"

namespace kx {

// ---------------------------------------------------------------------------
// THttpFile

THttpFile::THttpFile(std::string fileName, std::string tempPathName, std::string contentType, std::string fieldName,
                     std::int64_t fileSize)
    : mFileName(std::move(fileName)),
      mTempPathName(std::move(tempPathName)),
      mContentType(std::move(contentType)),
      mFileSize(fileSize),
      mFieldName(std::move(fieldName)) {}

THttpFile::THttpFile(const THttpFile& source)
    : TObject(source),
      mFileName(source.mFileName),
      mTempPathName(source.mTempPathName),
      mContentType(source.mContentType),
      mFileSize(source.mFileSize),
      mFieldName(source.mFieldName),
      mDeleteFile(true) {
  source.mAdopted = true;
}

THttpFile::~THttpFile() {
  // A file already gone is not worth an error in a destructor.
  if (mDeleteFile && !mTempPathName.empty()) ::unlink(mTempPathName.c_str());
}

void THttpFile::SetTempPathName(const std::string& tempPathName) {
  if (tempPathName != mTempPathName) mAdopted = true;
  mTempPathName = tempPathName;
}

void THttpFile::SaveToFile(const std::string& destination, bool overwrite) const {
  FileCopy(mTempPathName, destination, overwrite);
}

void THttpFile::SaveToStream(TStream& stream) const {
  TFileStream file(mTempPathName, fmOpenRead | fmShareDenyNone);
  stream.CopyFrom(file, 0);
}

// ---------------------------------------------------------------------------
// THttpFileList

THttpFile* THttpFileList::Items(int index) const {
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
  return mItems[std::size_t(index)].get();
}

THttpFile* THttpFileList::Add(std::unique_ptr<THttpFile> file) {
  mItems.push_back(std::move(file));
  return mItems.back().get();
}

THttpFile* THttpFileList::Find(std::string_view fieldName) const {
  for (const auto& file : mItems)
    if (SameText(file->FieldName(), fieldName)) return file.get();
  return nullptr;
}

THttpFile* THttpFileList::FindFile(std::string_view fileName) const {
  for (const auto& file : mItems)
    if (SameText(file->FileName(), fileName)) return file.get();
  return nullptr;
}

// ---------------------------------------------------------------------------
// THttpRequest

namespace {

// The value of the last line "name: value" of lines whose name is name.
std::string LastHeaderValue(const TStringList& lines, std::string_view name) {
  if (name.empty()) return "";
  for (int i = lines.Count() - 1; i >= 0; --i) {
    std::string_view line = lines.Strings(i);
    if (line.size() > name.size() && line[name.size()] == ':' && SameText(line.substr(0, name.size()), name)) {
      std::string_view value = line.substr(name.size() + 1);
      if (!value.empty() && value.front() == ' ') value.remove_prefix(1);
      return std::string(value);
    }
  }
  return "";
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Each line is let go once the list has its copy, so that a large field is held twice only while it is copied.
void AddLines(TStringList& list, std::vector<std::string>& lines) {
  for (std::string& line : lines) {
    list.Add(line);
    std::string().swap(line);
  }
}

}  // namespace

THttpRequest::THttpRequest(const void* buffer, std::int64_t length) { ReadPacket(ReadRequestPacket(buffer, length)); }

THttpRequest::~THttpRequest() {
  for (int i = 0; i < mFiles.Count(); ++i) {
    const THttpFile& file = *mFiles.Items(i);
    // An owning entry deletes its file itself; a file already gone is no error.
    if (!file.Adopted() && !file.DeleteFile() && !file.TempPathName().empty()) ::unlink(file.TempPathName().c_str());
  }
}

void THttpRequest::ReadPacket(TRequestPacketFields&& f) {
  mUserAgent = std::move(f.UserAgent);
  mReferer = std::move(f.Referer);
  mScriptName = std::move(f.ScriptName);
  mHost = std::move(f.Host);
  mAuthorization = std::move(f.Authorization);
  mURL = std::move(f.URL);
  mPathInfo = std::move(f.PathInfo);
  mRemoteAddr = std::move(f.RemoteAddr);
  mServerPort = f.ServerPort;
  mQuery = std::move(f.Query);
  mHttpMethod = HttpMethodFromText(f.Method);
  mIfModifiedSince = std::move(f.IfModifiedSince);
  mForwardedFor = std::move(f.ForwardedFor);
  mHttpClientIP = std::move(f.HttpClientIP);
  mAuthorizationHeader = std::move(f.AuthorizationHeader);
  mAuthUser = std::move(f.AuthUser);
  mAuthPass = std::move(f.AuthPass);
  mAcceptLanguage = std::move(f.AcceptLanguage);
  mHttpsHeader = std::move(f.HttpsHeader);
  AddLines(mRawHeaders, f.RawHeaders);
  AddLines(mContentFields, f.ContentFields);
  AddLines(mCookieFields, f.CookieFields);
  AddLines(mQueryFields, f.QueryFields);
  AddLines(mServerVariables, f.ServerVariables);
  for (TRequestPacketFile& file : f.Files)
    mFiles.Add(std::make_unique<THttpFile>(std::move(file.FileName), std::move(file.TempPathName),
                                           std::move(file.ContentType), std::move(file.FieldName), file.FileSize));
  mHasContent = f.HasContent;
}

std::string THttpRequest::GetRawHeaderValue(std::string_view name) const { return LastHeaderValue(mRawHeaders, name); }

std::string THttpRequest::GetServerVariableValue(std::string_view name) const {
  return LastHeaderValue(mServerVariables, name);
}

std::string THttpRequest::GetCookieValue(const std::string& name) const { return mCookieFields.Values(name); }

std::string THttpRequest::GetContentFieldValue(const std::string& name) const { return mContentFields.Values(name); }

TStringList& THttpRequest::GetParams() {
  if (mHttpMethod != hmPost) return mQueryFields;
  if (!mParamsMerged) {
    mParamsMerged = true;
    for (int i = 0; i < mQueryFields.Count(); ++i) mContentFields.Add(mQueryFields.Strings(i));
  }
  return mContentFields;
}

bool THttpRequest::AcceptsGZip() const {
  double gzip = -1, any = -1;  // -1: not named
  const std::string value = GetRawHeaderValue("accept-encoding");
  std::string_view rest = value;
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    std::string_view item = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    const std::size_t semicolon = item.find(';');
    const std::string_view coding = TrimBlanks(item.substr(0, semicolon));
    double quality = 1;
    if (semicolon != std::string_view::npos) {
      const std::string_view parameter = TrimBlanks(item.substr(semicolon + 1));
      if (parameter.size() > 2 && (parameter[0] == 'q' || parameter[0] == 'Q') && parameter[1] == '=') {
        std::string_view digits = parameter.substr(2);
        digits = TrimBlanks(digits.substr(0, digits.find(';')));
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), quality);
        if (error != std::errc() || end != digits.data() + digits.size()) quality = 0;
      }
    }
    if (SameText(coding, "gzip") || SameText(coding, "x-gzip"))
      gzip = quality;
    else if (coding == "*")
      any = quality;
  }
  return (gzip >= 0 ? gzip : any) > 0;
}

}  // namespace kx
