// The request object: everything the framework reads of one HTTP request
// (headers, parameters, cookies, uploaded files), built once from the request
// packet a host passed to the entry point. Builds on foundation/HttpPackets.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kx/foundation/HttpPackets.h"
#include "kx/platform/Classes.h"
#include "kx/platform/StringLists.h"

namespace kx {

// One uploaded file, already stored by the host in a temporary file.
class THttpFile : public TObject {
 public:
  // An entry that leaves its temporary file alone when destroyed.
  THttpFile(std::string fileName, std::string tempPathName, std::string contentType, std::string fieldName,
            std::int64_t fileSize);
  // A copy that owns the temporary file: it deletes the file when destroyed,
  // and source counts as adopted. Whoever keeps an upload beyond the request
  // (the session) copies it this way, once; explicit so that no copy happens
  // by accident.
  explicit THttpFile(const THttpFile& source);
  THttpFile& operator=(const THttpFile&) = delete;
  ~THttpFile() override;

  // The name as the client sent it.
  const std::string& FileName() const { return mFileName; }
  const std::string& ContentType() const { return mContentType; }
  std::int64_t FileSize() const { return mFileSize; }
  // The form field the file was posted in.
  const std::string& FieldName() const { return mFieldName; }
  // Full name of the temporary file holding the bytes.
  const std::string& TempPathName() const { return mTempPathName; }
  // A new name means the file was moved there: it counts as adopted.
  void SetTempPathName(const std::string& tempPathName);
  bool DeleteFile() const { return mDeleteFile; }
  // Whether someone took the temporary file (an owning copy, a new TempPathName):
  // the request that received it then leaves it on disk.
  bool Adopted() const { return mAdopted; }

  // Copies the bytes to destination with FileCopy (its messages; missing folders are created).
  void SaveToFile(const std::string& destination, bool overwrite) const;
  // Appends the whole temporary file to stream.
  void SaveToStream(TStream& stream) const;

 private:
  std::string mFileName;
  std::string mTempPathName;
  std::string mContentType;
  std::int64_t mFileSize;
  std::string mFieldName;
  bool mDeleteFile = false;
  mutable bool mAdopted = false;  // set through const sources by the owning copy
};

// The uploaded files of a request; owns them.
class THttpFileList : public TObject {
 public:
  THttpFileList() = default;
  THttpFileList(const THttpFileList&) = delete;
  THttpFileList& operator=(const THttpFileList&) = delete;

  int Count() const { return int(mItems.size()); }
  // An index outside 0..Count-1 raises EListError "List index out of bounds (N)".
  THttpFile* Items(int index) const;
  THttpFile* Add(std::unique_ptr<THttpFile> file);
  void Clear() { mItems.clear(); }

  // The first file posted in that form field (ignoring case), or nullptr.
  THttpFile* Find(std::string_view fieldName) const;
  // The first file with that client file name (ignoring case), or nullptr.
  THttpFile* FindFile(std::string_view fileName) const;

 private:
  std::vector<std::unique_ptr<THttpFile>> mItems;
};

class THttpRequest : public TObject {
 public:
  // Reads the request packet in buffer. Packet errors ("No stream signature
  // found.", "Stream version mismatch.", "Unknown packet type.", "Packet is
  // truncated or corrupt.") pass out; a file size that is not a decimal number
  // raises EConvertError. A packet stored in a file has that file deleted once read.
  THttpRequest(const void* buffer, std::int64_t length);
  // Deletes the temporary file of every upload that nothing adopted
  // (THttpFile::Adopted): a request lives for one call of the entry point, and
  // an upload nobody took is not left on disk after it.
  ~THttpRequest() override;
  THttpRequest(const THttpRequest&) = delete;
  THttpRequest& operator=(const THttpRequest&) = delete;

  const std::string& UserAgent() const { return mUserAgent; }
  void SetUserAgent(const std::string& userAgent) { mUserAgent = userAgent; }
  const std::string& Referer() const { return mReferer; }
  const std::string& ScriptName() const { return mScriptName; }
  const std::string& Host() const { return mHost; }
  const std::string& Authorization() const { return mAuthorization; }
  const std::string& URL() const { return mURL; }
  const std::string& PathInfo() const { return mPathInfo; }
  const std::string& RemoteAddr() const { return mRemoteAddr; }
  std::int32_t ServerPort() const { return mServerPort; }
  // The raw query string.
  const std::string& Query() const { return mQuery; }
  const std::string& QueryString() const { return mQuery; }
  THttpMethod HttpMethod() const { return mHttpMethod; }
  const std::string& IfModifiedSince() const { return mIfModifiedSince; }
  const std::string& ForwardedFor() const { return mForwardedFor; }
  const std::string& HttpClientIP() const { return mHttpClientIP; }
  const std::string& AuthorizationHeader() const { return mAuthorizationHeader; }
  const std::string& AuthUser() const { return mAuthUser; }
  const std::string& AuthPass() const { return mAuthPass; }
  const std::string& AcceptLanguage() const { return mAcceptLanguage; }
  const std::string& HttpsHeader() const { return mHttpsHeader; }
  // Lines "name: value".
  TStringList& RawHeaders() { return mRawHeaders; }
  const TStringList& RawHeaders() const { return mRawHeaders; }
  // Lines "name=value".
  TStringList& ContentFields() { return mContentFields; }
  const TStringList& ContentFields() const { return mContentFields; }
  TStringList& CookieFields() { return mCookieFields; }
  const TStringList& CookieFields() const { return mCookieFields; }
  TStringList& QueryFields() { return mQueryFields; }
  const TStringList& QueryFields() const { return mQueryFields; }
  // Lines "name: value".
  TStringList& ServerVariables() { return mServerVariables; }
  const TStringList& ServerVariables() const { return mServerVariables; }
  bool HasContent() const { return mHasContent; }
  THttpFileList& Files() { return mFiles; }
  const THttpFileList& Files() const { return mFiles; }

  // The value of the last line "name: value" whose name matches (ignoring case):
  // the text after the colon and the blank that follows it (a value written
  // without that blank loses nothing). Empty for an empty name or no match.
  std::string GetRawHeaderValue(std::string_view name) const;
  std::string GetServerVariableValue(std::string_view name) const;
  // The value of the first line "name=value" whose name matches (ignoring case).
  std::string GetCookieValue(const std::string& name) const;
  std::string GetContentFieldValue(const std::string& name) const;
  // The request parameters: QueryFields, except for a POST: ContentFields with
  // the lines of QueryFields appended. The query lines are appended on the
  // first call only, so repeated calls never duplicate them.
  TStringList& GetParams();
  // Replaces ScriptName.
  void SetRewriteURL(const std::string& scriptName) { mScriptName = scriptName; }
  // Whether the Accept-Encoding header admits gzip: "gzip" or "x-gzip" (any
  // case) with a quality above 0, or else "*" with a quality above 0. No header,
  // "identity" and "gzip;q=0" refuse it.
  bool AcceptsGZip() const;

 private:
  void ReadPacket(TRequestPacketFields&& fields);

  std::string mUserAgent;
  std::string mReferer;
  std::string mScriptName;
  std::string mHost;
  std::string mAuthorization;
  std::string mURL;
  std::string mPathInfo;
  std::string mRemoteAddr;
  std::int32_t mServerPort = 0;
  std::string mQuery;
  THttpMethod mHttpMethod = hmNone;
  std::string mIfModifiedSince;
  std::string mForwardedFor;
  std::string mHttpClientIP;
  std::string mAuthorizationHeader;
  std::string mAuthUser;
  std::string mAuthPass;
  std::string mAcceptLanguage;
  std::string mHttpsHeader;
  TStringList mRawHeaders;
  TStringList mContentFields;
  TStringList mCookieFields;
  TStringList mQueryFields;
  TStringList mServerVariables;
  bool mHasContent = false;
  THttpFileList mFiles;
  bool mParamsMerged = false;
};

}  // namespace kx
