// The reply object: status, headers, cookies, caching policy and one body
// (inline content, a file or a cache file), committed as a reply packet into
// the host's buffer; and, for hosts, the reader of that packet.
// Builds on foundation/HttpPackets.h and the HTTP dates of foundation/HttpDates.h.
#pragma once

#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/Streams.h"
#include "kx/platform/Classes.h"
#include "kx/platform/DateUtils.h"
#include "kx/platform/StringLists.h"

namespace kx {

// The in-process host's side door for a reply's body. While a host keeps one
// installed on the thread that runs the entry point, a Commit into the host's
// buffer hands an inline body of at most MemoryBound bytes over here, in memory,
// and writes the packet with empty inline content; the host takes the body from
// here instead of from the packet. Reply bodies also stay in memory up to MemoryBound (not the packet's
// flush size) while one is installed. Without one, nothing changes: the packet
// carries everything, as between processes.
class TReplyBodyHandOver {
 public:
  // Bodies larger than this still go through a spill file.
  static constexpr std::int64_t MemoryBound = 4 * 1024 * 1024;

  // Installs this hand-over on the calling thread until destroyed (the one
  // before it comes back), for replies committed into buffer.
  explicit TReplyBodyHandOver(const void* buffer);
  TReplyBodyHandOver(const TReplyBodyHandOver&) = delete;
  TReplyBodyHandOver& operator=(const TReplyBodyHandOver&) = delete;
  ~TReplyBodyHandOver();

  // The hand-over installed on the calling thread, or nullptr.
  static TReplyBodyHandOver* Current();

  const void* Buffer() const { return mBuffer; }
  bool HasBody() const { return mOwner != nullptr; }
  // The body's bytes, valid while this object (or a copy of Owner) lives.
  std::string_view Body() const { return mBody; }
  // Keeps the bytes of Body alive (the reply's content stream, whose memory is not copied).
  const std::shared_ptr<const void>& Owner() const { return mOwner; }

  void SetBody(std::shared_ptr<const void> owner, std::string_view body);
  void Clear();

 private:
  TReplyBodyHandOver* mPrevious;
  const void* mBuffer;
  std::shared_ptr<const void> mOwner;
  std::string_view mBody;
};

class THTTPCookie : public TObject {
 public:
  const std::string& Name() const { return mName; }
  void SetName(const std::string& name) { mName = name; }
  const std::string& Value() const { return mValue; }
  void SetValue(const std::string& value) { mValue = value; }
  const std::string& Path() const { return mPath; }
  void SetPath(const std::string& path) { mPath = path; }
  // 0 or less: no expiry (a browser-session cookie); -1 marks a removal.
  TDateTime Expires() const { return mExpires; }
  void SetExpires(TDateTime expires) { mExpires = expires; }
  const std::string& Domain() const { return mDomain; }
  void SetDomain(const std::string& domain) { mDomain = domain; }
  bool Secure() const { return mSecure; }
  void SetSecure(bool secure) { mSecure = secure; }
  bool HttpOnly() const { return mHttpOnly; }
  void SetHttpOnly(bool httpOnly) { mHttpOnly = httpOnly; }
  // "Lax", "Strict" or "None"; empty (the default): the cookie names no SameSite.
  const std::string& SameSite() const { return mSameSite; }
  void SetSameSite(const std::string& sameSite) { mSameSite = sameSite; }

 private:
  std::string mName;
  std::string mValue;
  std::string mPath;
  TDateTime mExpires = 0;
  std::string mDomain;
  bool mSecure = false;
  bool mHttpOnly = false;
  std::string mSameSite;
};

// The cookies of a reply, in the order added; owns them.
class TCookieList : public TObject {
 public:
  TCookieList() = default;
  TCookieList(const TCookieList&) = delete;
  TCookieList& operator=(const TCookieList&) = delete;

  int Count() const { return int(mItems.size()); }
  // An index outside 0..Count-1 raises EListError "List index out of bounds (N)".
  THTTPCookie* Items(int index) const;

  THTTPCookie* AddCookie(const std::string& name, const std::string& value, const std::string& path,
                         TDateTime expires, bool httpOnly, bool secure);
  // Adds a cookie that makes the browser drop name at path: empty value, expiry -1.
  THTTPCookie* RemoveCookie(const std::string& name, const std::string& path);
  void Clear() { mItems.clear(); }

 private:
  std::vector<std::unique_ptr<THTTPCookie>> mItems;
};

// A reply holds at most one body. The body kind (DataType) moves from rtNone to
// rtNoData (status only) and from either to one body kind; once a body is
// chosen, a status change or a second body raises "Reply type already set.".
//
// Header values never carry CR or LF: AddHeader, SendRedirect and Commit drop
// those characters from names and values (also from lines put into Headers
// directly, and from status text, content type, realm and cookie fields), so no
// text can split into a second response header.
class THttpReply : public TObject {
 public:
  // The packet writer's flush size: a host buffer of 32768 bytes less the envelope.
  static constexpr std::int32_t ContentFlushSize = TKXRenderStream::FlushSize;
  // The flush size for a reply body made on the calling thread: MemoryBound
  // while a TReplyBodyHandOver is installed, else ContentFlushSize.
  static std::int32_t BodyFlushSize();
  static constexpr std::string_view DefaultContentType = "text/html; charset=UTF-8";

  // Writes int32 bufferSize and int32 0 over the first 8 bytes of buffer (only
  // when it has 8 bytes), so a buffer nobody commits into carries no packet.
  THttpReply(void* buffer, std::int32_t bufferSize);
  THttpReply(const THttpReply&) = delete;
  THttpReply& operator=(const THttpReply&) = delete;
  // An owned content stream that spilled to a file takes the file with it.
  ~THttpReply() override;

  // Minutes until expiry of a caching reply; 120 unless changed. Thread-safe.
  static std::int32_t DefaultCacheTTL();
  static void SetDefaultCacheTTL(std::int32_t minutes);
  // The Cache-Control value of a caching reply; "private" unless changed. Thread-safe.
  static std::string DefaultCacheControl();
  static void SetDefaultCacheControl(const std::string& value);

  // 200 unless changed. Setting it makes the reply rtNoData (may raise "Reply type already set.").
  std::uint16_t Code() const { return mCode; }
  void SetCode(std::uint16_t code);
  const std::string& CodeText() const { return mCodeText; }
  void SetCodeText(const std::string& codeText) { mCodeText = codeText; }
  // Commit writes caching headers instead of no-cache headers. Default false.
  bool AllowCaching() const { return mAllowCaching; }
  void SetAllowCaching(bool allowCaching) { mAllowCaching = allowCaching; }
  // Non-empty: the host answers with a Basic authentication challenge for this realm.
  const std::string& AuthRealm() const { return mAuthRealm; }
  void SetAuthRealm(const std::string& authRealm) { mAuthRealm = authRealm; }
  // Default "text/html; charset=UTF-8".
  const std::string& ContentType() const { return mContentType; }
  void SetContentType(const std::string& contentType) { mContentType = contentType; }
  // Extra header lines; name-value separator ":".
  TStringList& Headers() { return mHeaders; }
  const TStringList& Headers() const { return mHeaders; }
  // Replaces the lines of Headers with those of headers (the separator stays ":").
  void SetHeaders(const TStrings& headers);
  // Local time; 0 = none.
  TDateTime LastModified() const { return mLastModified; }
  void SetLastModified(TDateTime lastModified) { mLastModified = lastModified; }
  // Local time; 0 = none. Setting it sets CacheTTL to -1.
  TDateTime Expires() const { return mExpires; }
  void SetExpires(TDateTime expires);
  // Minutes; below 0 = no computed expiry. Setting it sets Expires to 0.
  std::int32_t CacheTTL() const { return mCacheTTL; }
  void SetCacheTTL(std::int32_t minutes);
  THttpReplyType DataType() const { return mDataType; }
  TCookieList& Cookies() { return mCookies; }
  const TCookieList& Cookies() const { return mCookies; }
  // The file a rtFile or rtCacheFile reply sends, and whether the host deletes it after sending.
  const std::string& FilePathname() const { return mFilePathname; }
  bool FileDelete() const { return mFileDelete; }
  std::int32_t ServerPort() const { return mServerPort; }
  void SetServerPort(std::int32_t serverPort) { mServerPort = serverPort; }
  // A file or stream body was chosen.
  bool SendingFile() const { return mSendingFile; }
  void SetSendingFile(bool sendingFile) { mSendingFile = sendingFile; }
  // Commit writes the caching headers. Default true.
  bool CacheControlEnabled() const { return mCacheControlEnabled; }
  void SetCacheControlEnabled(bool enabled) { mCacheControlEnabled = enabled; }
  // Value of an "X-UA-Compatible" header for a 200 HTML reply; empty = none.
  const std::string& IECompatibilityMode() const { return mIECompatibilityMode; }
  void SetIECompatibilityMode(const std::string& mode) { mIECompatibilityMode = mode; }

  // Frees cookies, headers and content; restores AllowCaching, CacheTTL,
  // Expires, DataType, Code, SendingFile, CacheControlEnabled and ContentType
  // to their defaults. CodeText, AuthRealm, LastModified, the file fields and
  // IECompatibilityMode keep their values.
  void Clear();
  // Adds "name: value" unless name is empty (CR and LF dropped from both).
  void AddHeader(const std::string& name, const std::string& value);
  // Appends the UTF-8 text to the inline body, which the first call creates
  // (rtInline). A body over ContentFlushSize bytes goes to the host as a
  // temporary file that the host deletes after sending.
  void WriteString(std::string_view text);
  // Makes stream the inline body. Raises "ContentStream already exists." or
  // "Reply type already set." and then leaves stream with the caller; takes it
  // only when both checks passed.
  template <std::derived_from<TStream> S>
  void SendStream(std::unique_ptr<S>&& stream, bool callerManagesCaching) {
    CheckContentStreamFree();
    CheckTypeSettable();
    AdoptStream(std::unique_ptr<TStream>(std::move(stream)), callerManagesCaching);
  }
  // In memory: rewound and sent as SendStream (stream, false). Spilled: its
  // file is sent with delete = true and the stream freed. Takes stream only
  // when no check raised.
  void SendHsmStream(std::unique_ptr<THsmStream>&& stream);
  // Takes the render stream and its hybrid stream (whether the render stream
  // owned it or not). Spilled: its file is sent with delete = true. Otherwise
  // the rewound render stream becomes the inline body. Takes stream only when
  // no check raised.
  void SendRenderStream(std::unique_ptr<TKXRenderStream>&& stream);
  void SendFile(const std::string& fileName, bool callerManagesCaching, bool deleteFile);
  // The host sends the cache file (with its own header) and never deletes it.
  void SendCacheFile(const std::string& fileName);
  // Status 302 with a "Location" header (replacing an earlier one); drops all cookies.
  void SendRedirect(const std::string& url);
  void ResetReplyType() { mDataType = rtNone; }
  // Writes the reply packet into the buffer; the last call for a request.
  // Raises "aBytes is not large enough to hold stream." when the packet does
  // not fit, which cannot happen for a 32768-byte buffer.
  void Commit();

 private:
  // Raises "Reply type already set." unless the type is rtNone or rtNoData.
  void CheckTypeSettable() const;
  void SetDataType(THttpReplyType dataType);
  // Raises "ContentStream already exists." when there is a content stream.
  void CheckContentStreamFree() const;
  void AdoptStream(std::unique_ptr<TStream> stream, bool callerManagesCaching);
  // The hybrid stream under the content, or nullptr.
  THsmStream* ContentHsmStream() const;
  // Frees the content; a spill file nobody was handed goes with it.
  void FreeContentStream();
  void WriteCachingHeaders();
  // Moves an inline body of at most MemoryBound bytes into the installed
  // hand-over, if any; the packet then carries empty content.
  void HandOverBody(TReplyBodyHandOver& handOver);
  void WritePacketBody(TStreamHelper& writer) const;

  std::uint16_t mCode = 200;
  std::string mCodeText;
  bool mAllowCaching = false;
  std::string mAuthRealm;
  void* mBuffer;
  std::int32_t mBufferSize;
  std::string mContentType;
  TStringList mHeaders;
  TDateTime mLastModified = 0;
  TDateTime mExpires = 0;
  std::int32_t mCacheTTL;
  THttpReplyType mDataType = rtNone;
  // The hybrid stream of a render stream that did not own it; declared first so
  // that it is freed after mContentStream.
  std::unique_ptr<THsmStream> mAdoptedHsmStream;
  std::unique_ptr<TStreamHelper> mContentStream;
  TCookieList mCookies;
  std::string mFilePathname;
  bool mFileDelete = false;
  std::int32_t mServerPort = 0;
  bool mSendingFile = false;
  bool mCacheControlEnabled = true;
  std::string mIECompatibilityMode;
};

// ---------------------------------------------------------------------------
// Host side: the reply packet as a plain value.

struct TReplyPacketCookie {
  std::string Name;
  std::string Value;
  std::string Path;
  TDateTime Expires = 0;  // 0 or less: no expiry; -1 with an empty value: remove the cookie
  std::string Domain;
  bool HttpOnly = false;
  bool Secure = false;
  std::string SameSite;  // empty: none

  bool operator==(const TReplyPacketCookie&) const = default;
};

struct TReplyPacket {
  THttpReplyType DataType = rtNone;
  std::uint16_t Code = 0;   // 0: keep the host's default status
  std::string CodeText;     // empty: keep the host's default reason text
  std::string ContentType;
  std::string AuthRealm;    // non-empty: answer with a Basic challenge for this realm
  std::vector<std::string> Headers;  // "name: value" or "name:value"; no empty lines
  std::vector<TReplyPacketCookie> Cookies;
  // rtFile and rtCacheFile: the file to send; for rtFile with DeleteFile set the
  // host deletes it once sent (or once it gave up sending it).
  std::string FileName;
  bool DeleteFile = false;
  std::string Content;  // rtInline: the body

  bool operator==(const TReplyPacket&) const = default;
};

// Reads a reply packet; a packet stored in a file has that file deleted once
// read. Raises the packet errors of THttpPacket::GetStream and CheckSig,
// "Uninitialized reply." for rtNone, "Unknown reply type." for a type above
// rtCacheFile and "Packet is truncated or corrupt." for a count or field beyond the data.
TReplyPacket ReadReplyPacket(const void* buffer, std::int64_t length);

}  // namespace kx
