#include "kx/foundation/HttpReply.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <mutex>

#include "kx/foundation/HttpDates.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

std::atomic<std::int32_t> gDefaultCacheTTL{120};
std::mutex gDefaultCacheControlLock;
std::string gDefaultCacheControl = "private";

// A text bound for a response header, with every CR and LF removed.
std::string HeaderSafe(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text)
    if (c != '\r' && c != '\n') result += c;
  return result;
}

// The smallest cookie in a packet: six empty texts and two booleans.
constexpr std::int64_t kMinCookieBytes = 6 * 4 + 2;

thread_local TReplyBodyHandOver* tReplyBodyHandOver = nullptr;

// What keeps a handed-over body's bytes alive: the reply's content stream and,
// for a render stream that did not own it, its hybrid stream (freed last).
struct THandedOverContent {
  std::unique_ptr<THsmStream> AdoptedHsmStream;
  std::unique_ptr<TStreamHelper> ContentStream;
  std::string Copy;  // for a stream that is not one block of memory
};

// The block of memory a stream keeps its content in, or nullptr.
const TCustomMemoryStream* MemoryBlockOf(TStream* stream) {
  if (auto* hsm = dynamic_cast<THsmStream*>(stream)) {
    if (hsm->IsFlushed()) return nullptr;
    stream = hsm->InnerStream();
  }
  return dynamic_cast<const TCustomMemoryStream*>(stream);
}

void CheckBytesLeft(const TStreamHelper& stream, std::int64_t needed) {
  if (needed > stream.Stream()->Size() - stream.Stream()->Position())
    throw Exception("Packet is truncated or corrupt.");
}

}  // namespace

// ---------------------------------------------------------------------------
// TReplyBodyHandOver

TReplyBodyHandOver::TReplyBodyHandOver(const void* buffer) : mPrevious(tReplyBodyHandOver), mBuffer(buffer) {
  tReplyBodyHandOver = this;
}

TReplyBodyHandOver::~TReplyBodyHandOver() { tReplyBodyHandOver = mPrevious; }

TReplyBodyHandOver* TReplyBodyHandOver::Current() { return tReplyBodyHandOver; }

void TReplyBodyHandOver::SetBody(std::shared_ptr<const void> owner, std::string_view body) {
  mOwner = std::move(owner);
  mBody = body;
}

void TReplyBodyHandOver::Clear() {
  mOwner.reset();
  mBody = {};
}

// ---------------------------------------------------------------------------
// TCookieList

THTTPCookie* TCookieList::Items(int index) const {
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
  return mItems[std::size_t(index)].get();
}

THTTPCookie* TCookieList::AddCookie(const std::string& name, const std::string& value, const std::string& path,
                                    TDateTime expires, bool httpOnly, bool secure) {
  auto cookie = std::make_unique<THTTPCookie>();
  cookie->SetName(name);
  cookie->SetValue(value);
  cookie->SetPath(path);
  cookie->SetExpires(expires);
  cookie->SetHttpOnly(httpOnly);
  cookie->SetSecure(secure);
  mItems.push_back(std::move(cookie));
  return mItems.back().get();
}

THTTPCookie* TCookieList::RemoveCookie(const std::string& name, const std::string& path) {
  return AddCookie(name, "", path, -1.0, false, false);
}

// ---------------------------------------------------------------------------
// THttpReply

THttpReply::THttpReply(void* buffer, std::int32_t bufferSize)
    : mBuffer(buffer),
      mBufferSize(bufferSize),
      mContentType(DefaultContentType),
      mCacheTTL(DefaultCacheTTL()) {
  if (buffer && bufferSize >= 8) {
    std::int32_t head[2] = {bufferSize, 0};
    std::memcpy(buffer, head, sizeof head);
  }
  mHeaders.SetNameValueSeparator(':');
}

THttpReply::~THttpReply() { FreeContentStream(); }

std::int32_t THttpReply::BodyFlushSize() {
  return TReplyBodyHandOver::Current() ? std::int32_t(TReplyBodyHandOver::MemoryBound) : ContentFlushSize;
}

std::int32_t THttpReply::DefaultCacheTTL() { return gDefaultCacheTTL.load(); }

void THttpReply::SetDefaultCacheTTL(std::int32_t minutes) { gDefaultCacheTTL.store(minutes); }

std::string THttpReply::DefaultCacheControl() {
  std::lock_guard lock(gDefaultCacheControlLock);
  return gDefaultCacheControl;
}

void THttpReply::SetDefaultCacheControl(const std::string& value) {
  std::lock_guard lock(gDefaultCacheControlLock);
  gDefaultCacheControl = value;
}

void THttpReply::CheckTypeSettable() const {
  if (mDataType != rtNone && mDataType != rtNoData) throw Exception("Reply type already set.");
}

void THttpReply::SetDataType(THttpReplyType dataType) {
  CheckTypeSettable();
  mDataType = dataType;
}

void THttpReply::CheckContentStreamFree() const {
  if (mContentStream) throw Exception("ContentStream already exists.");
}

void THttpReply::SetCode(std::uint16_t code) {
  SetDataType(rtNoData);
  mCode = code;
}

void THttpReply::SetHeaders(const TStrings& headers) {
  if (&headers == &mHeaders) return;
  mHeaders.Clear();
  for (int i = 0; i < headers.Count(); ++i) mHeaders.Add(headers.Strings(i));
}

void THttpReply::SetExpires(TDateTime expires) {
  mExpires = expires;
  mCacheTTL = -1;
}

void THttpReply::SetCacheTTL(std::int32_t minutes) {
  mCacheTTL = minutes;
  mExpires = 0;
}

void THttpReply::Clear() {
  mCookies.Clear();
  mHeaders.Clear();
  FreeContentStream();
  mAllowCaching = false;
  mCacheTTL = DefaultCacheTTL();
  mExpires = 0;
  mDataType = rtNone;
  mCode = 200;
  mSendingFile = false;
  mCacheControlEnabled = true;
  mContentType = DefaultContentType;
}

void THttpReply::AddHeader(const std::string& name, const std::string& value) {
  std::string safeName = HeaderSafe(name);
  if (!safeName.empty()) mHeaders.Add(safeName + ": " + HeaderSafe(value));
}

void THttpReply::WriteString(std::string_view text) {
  if (!mContentStream) {
    SetDataType(rtInline);
    // Transient until Commit hands the file (if any) to the host.
    mContentStream = std::make_unique<TStreamHelper>(std::make_unique<THsmStream>(BodyFlushSize(), true));
  }
  mContentStream->Stream()->Seek(0, soEnd);
  mContentStream->Write(text);
}

void THttpReply::AdoptStream(std::unique_ptr<TStream> stream, bool callerManagesCaching) {
  mContentStream = std::make_unique<TStreamHelper>(std::move(stream));
  mSendingFile = true;
  mCacheControlEnabled = !callerManagesCaching;
  mDataType = rtInline;
}

void THttpReply::SendHsmStream(std::unique_ptr<THsmStream>&& stream) {
  if (!stream->IsFlushed()) {
    CheckContentStreamFree();
    CheckTypeSettable();
    stream->SetPosition(0);
    AdoptStream(std::move(stream), false);
    return;
  }
  SendFile(stream->Pathname(), false, true);
  // The file now belongs to the host: freeing the stream must not delete it.
  stream->SetTransient(false);
  stream.reset();
}

void THttpReply::SendRenderStream(std::unique_ptr<TKXRenderStream>&& stream) {
  THsmStream* hsm = stream->HsmStream();
  if (hsm->IsFlushed()) {
    SendFile(hsm->Pathname(), false, true);
    hsm->SetTransient(false);
    std::unique_ptr<THsmStream> adopted(stream->FreeStream() ? nullptr : hsm);
    stream.reset();
    return;
  }
  CheckContentStreamFree();
  CheckTypeSettable();
  hsm->SetPosition(0);
  if (!stream->FreeStream()) mAdoptedHsmStream.reset(hsm);
  mContentStream = std::move(stream);
  mDataType = rtInline;
}

void THttpReply::SendFile(const std::string& fileName, bool callerManagesCaching, bool deleteFile) {
  SetDataType(rtFile);
  mSendingFile = true;
  mCacheControlEnabled = !callerManagesCaching;
  mFilePathname = fileName;
  mFileDelete = deleteFile;
}

void THttpReply::SendCacheFile(const std::string& fileName) {
  SetDataType(rtCacheFile);
  mFilePathname = fileName;
  mFileDelete = false;
}

void THttpReply::SendRedirect(const std::string& url) {
  SetCode(302);
  // Two Location headers would make the response invalid.
  for (int i = mHeaders.IndexOfName("Location"); i >= 0; i = mHeaders.IndexOfName("Location")) mHeaders.Delete(i);
  AddHeader("Location", url);
  mCookies.Clear();
}

THsmStream* THttpReply::ContentHsmStream() const {
  return mContentStream ? dynamic_cast<THsmStream*>(mContentStream->Stream()) : nullptr;
}

void THttpReply::FreeContentStream() {
  if (THsmStream* hsm = ContentHsmStream()) hsm->SetTransient(true);
  mContentStream.reset();
  mAdoptedHsmStream.reset();
}

void THttpReply::WriteCachingHeaders() {
  if (!mCacheControlEnabled) return;
  TDateTime now = Now();
  if (mAllowCaching) {
    if (mLastModified > 0) mHeaders.SetValues("Last-Modified", LocalDateTimeToHttpStr(mLastModified));
    if (mCacheTTL >= 0) mExpires = now + mCacheTTL / kMinsPerDay;
    mHeaders.SetValues("Cache-Control", DefaultCacheControl());
  } else if (mCode != 304) {
    mHeaders.SetValues("Cache-Control", "no-cache");
    mHeaders.SetValues("Pragma", "no-cache");
  } else {
    mHeaders.SetValues("Date", LocalDateTimeToHttpStr(now));
    if (mCacheTTL >= 0) mExpires = now + mCacheTTL / kMinsPerDay;
  }
  if (mExpires > 0) mHeaders.SetValues("Expires", LocalDateTimeToHttpStr(mExpires));
}

void THttpReply::HandOverBody(TReplyBodyHandOver& handOver) {
  if (mDataType != rtInline || !mContentStream) return;
  TStream* stream = mContentStream->Stream();
  const std::int64_t size = stream->Size();
  if (size <= 0 || size > TReplyBodyHandOver::MemoryBound) return;
  auto content = std::make_shared<THandedOverContent>();
  std::string_view body;
  if (const TCustomMemoryStream* block = MemoryBlockOf(stream)) {
    body = std::string_view(static_cast<const char*>(block->Memory()), std::size_t(size));
    content->ContentStream = std::move(mContentStream);
    content->AdoptedHsmStream = std::move(mAdoptedHsmStream);
  } else {
    // Not one block of memory (a file, say): read once, and the stream is done with.
    content->Copy.resize(std::size_t(size));
    stream->SetPosition(0);
    stream->ReadBuffer(content->Copy.data(), size);
    body = content->Copy;
    FreeContentStream();
  }
  handOver.SetBody(std::move(content), body);
}

void THttpReply::WritePacketBody(TStreamHelper& writer) const {
  THttpPacket::WriteSig(writer);
  writer.WriteByte(mDataType);
  writer.WriteWord(mCode);
  writer.WriteText(HeaderSafe(mCodeText));
  writer.WriteText(HeaderSafe(mContentType));
  writer.WriteText(HeaderSafe(mAuthRealm));
  std::string headers;
  for (int i = 0; i < mHeaders.Count(); ++i) headers += HeaderSafe(mHeaders.Strings(i)) + "\r\n";
  writer.WriteText(headers);
  writer.WriteInteger(mCookies.Count());
  for (int i = 0; i < mCookies.Count(); ++i) {
    const THTTPCookie& cookie = *mCookies.Items(i);
    writer.WriteText(HeaderSafe(cookie.Name()));
    writer.WriteText(HeaderSafe(cookie.Value()));
    writer.WriteText(HeaderSafe(cookie.Path()));
    writer.WriteText(FloatToStr(cookie.Expires()));
    writer.WriteText(HeaderSafe(cookie.Domain()));
    writer.WriteBoolean(cookie.HttpOnly());
    writer.WriteBoolean(cookie.Secure());
    writer.WriteText(HeaderSafe(cookie.SameSite()));
  }
  switch (mDataType) {
    case rtFile:
    case rtCacheFile:
      writer.WriteText(mFilePathname);
      writer.WriteBoolean(mFileDelete);
      break;
    case rtInline: {
      std::int64_t size = mContentStream ? mContentStream->Stream()->Size() : 0;
      if (size > std::numeric_limits<std::int32_t>::max()) throw Exception("Reply content is too large for a packet.");
      writer.WriteInteger(std::int32_t(size));
      if (size > 0) writer.CopyFrom(mContentStream->Stream(), 0);
      break;
    }
    default:
      break;
  }
}

void THttpReply::Commit() {
  // A body that spilled into a file goes to the host as that file, which the
  // host deletes after sending; caching stays as the body's sender chose it.
  TReplyBodyHandOver* handOver = TReplyBodyHandOver::Current();
  if (handOver && handOver->Buffer() != mBuffer) handOver = nullptr;  // a packet for someone else
  if (handOver) handOver->Clear();  // it always answers to the packet written last
  std::string spillFile;
  if (THsmStream* hsm = ContentHsmStream(); hsm && hsm->IsFlushed()) {
    spillFile = hsm->Pathname();
    hsm->SetTransient(false);
    mContentStream.reset();
    mAdoptedHsmStream.reset();
    mDataType = rtNone;
    SendFile(spillFile, !mCacheControlEnabled, true);
  }
  try {
    WriteCachingHeaders();
    if (mCode == 200 && !mIECompatibilityMode.empty() && SameText(mContentType, DefaultContentType))
      mHeaders.SetValues("X-UA-Compatible", mIECompatibilityMode);
    if (handOver) HandOverBody(*handOver);
    // Transient until written: a packet that could not be encoded leaves no file behind.
    TKXRenderStream packet(true, true);
    WritePacketBody(packet);
    THttpPacket::Encode(*packet.HsmStream(), mBuffer, mBufferSize);
    packet.HsmStream()->SetTransient(false);
  } catch (...) {
    if (handOver) handOver->Clear();
    // Nobody will receive the name of the spilled body.
    if (!spillFile.empty()) ::unlink(spillFile.c_str());
    throw;
  }
  FreeContentStream();
  mSendingFile = false;
}

// ---------------------------------------------------------------------------
// Reading a reply packet (host side)

TReplyPacket ReadReplyPacket(const void* buffer, std::int64_t length) {
  std::unique_ptr<TStreamHelper> stream = THttpPacket::GetStream(buffer, length);
  THttpPacket::CheckSig(*stream);
  TPacketReader reader(*stream);
  TReplyPacket reply;
  std::uint8_t dataType = reader.ReadByte();
  if (dataType == rtNone) throw Exception("Uninitialized reply.");
  if (dataType > rtCacheFile) throw Exception("Unknown reply type.");
  reply.DataType = THttpReplyType(dataType);
  reply.Code = reader.ReadWord();
  reply.CodeText = reader.ReadText();
  reply.ContentType = reader.ReadText();
  reply.AuthRealm = reader.ReadText();
  TStringList headers;
  headers.SetText(reader.ReadText());
  for (int i = 0; i < headers.Count(); ++i)
    if (!headers.Strings(i).empty()) reply.Headers.push_back(headers.Strings(i));

  std::int32_t cookieCount = std::max(reader.ReadInteger(), 0);
  CheckBytesLeft(*stream, std::int64_t(cookieCount) * kMinCookieBytes);
  for (std::int32_t i = 0; i < cookieCount; ++i) {
    TReplyPacketCookie cookie;
    cookie.Name = reader.ReadText();
    cookie.Value = reader.ReadText();
    cookie.Path = reader.ReadText();
    double expires = 0;
    if (TryStrToFloat(reader.ReadText(), expires)) cookie.Expires = expires;
    cookie.Domain = reader.ReadText();
    cookie.HttpOnly = reader.ReadBoolean();
    cookie.Secure = reader.ReadBoolean();
    cookie.SameSite = reader.ReadText();
    reply.Cookies.push_back(std::move(cookie));
  }

  switch (reply.DataType) {
    case rtFile:
      reply.FileName = reader.ReadText();
      reply.DeleteFile = reader.ReadBoolean();
      break;
    case rtCacheFile:
      // A cache file is never the host's to delete.
      reply.FileName = reader.ReadText();
      break;
    case rtInline: {
      std::int32_t size = std::max(reader.ReadInteger(), 0);
      CheckBytesLeft(*stream, size);
      reply.Content.resize(std::size_t(size));
      stream->Stream()->ReadBuffer(reply.Content.data(), size);
      break;
    }
    default:
      break;
  }
  return reply;
}

}  // namespace kx
