#include "kx/appserver/CacheFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "kx/appserver/InternalFiles.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/FileUtils.h"
#include "kx/foundation/Identifiers.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/RuntimeSlots.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

namespace fs = std::filesystem;

constexpr char kDefaultContentType[] = "text/html; charset=UTF-8";
constexpr char kPrefix[] = "BRM";
constexpr std::string_view kExtension = ".tmp";
// The last 11 bytes of every cache file: the text "KXCACHE" (its int32 count, then its bytes).
constexpr std::uint8_t kMarker[11] = {7, 0, 0, 0, 'K', 'X', 'C', 'A', 'C', 'H', 'E'};
// The content length N (int64) and the marker.
constexpr std::int64_t kTailSize = 19;
// The longest content type or href a trailer may hold; both are short texts.
constexpr std::int64_t kMaxTrailerText = 65536;
// Names tried before creating or renaming gives up.
constexpr int kNameAttempts = 100;

// The cache controller belongs to a runtime: a second application in the process never takes over the first's
// cache files.
struct TCacheControllerSlot {
  std::atomic<IKXCacheController*> Controller{nullptr};
};

TCacheControllerSlot* CacheControllerSlot() {
  TKXRuntimeSlots* runtime = TKXRuntimeSlots::Current();
  return runtime ? &runtime->Slot<TCacheControllerSlot>() : nullptr;
}

// Serialises this module's changes to the cache lists: any session may add to the controller's.
std::mutex gListLock;

// ---------------------------------------------------------------------------
// Owner lists

void AddToList(TStrings* list, const std::string& fileName) {
  if (list == nullptr) return;
  std::lock_guard<std::mutex> lock(gListLock);
  list->Add(fileName);
}

void RemoveFromList(TStrings* list, const std::string& fileName) noexcept {
  if (list == nullptr) return;
  try {
    std::lock_guard<std::mutex> lock(gListLock);
    for (int i = list->Count() - 1; i >= 0; --i)
      if (list->Strings(i) == fileName) {
        list->Delete(i);
        return;
      }
  } catch (...) {
  }
}

bool IsListed(TStrings* list, const std::string& fileName) {
  if (list == nullptr) return false;
  std::lock_guard<std::mutex> lock(gListLock);
  for (int i = 0; i < list->Count(); ++i)
    if (list->Strings(i) == fileName) return true;
  return false;
}

IKXCacheController* RequireController() {
  IKXCacheController* controller = TKXAppCache::Controller();
  EKXException::IfNotAssigned(controller, "Cache folder is not defined.");
  return controller;
}

struct TOwnerInfo {
  IKXCacheOwner* Session;
  TStrings* List;  // nullptr for ctOneTime
};

// The session of owner and the list its files of cacheType go to. Owner is assigned.
TOwnerInfo ResolveOwner(IKXCacheOwner* owner, TCacheType cacheType) {
  IKXCacheOwner* session = owner->CacheSession();
  EKXException::IfNotAssigned(session, "Session object is not defined.");
  EKXException::IfTrue(cacheType == ctForm && !owner->IsCacheForm(), "KXForm object is not defined.");
  TStrings* list = nullptr;
  switch (cacheType) {
    case ctApp: list = &RequireController()->CacheFiles(); break;
    case ctSession: list = &session->CacheFiles(); break;
    case ctForm: list = &owner->CacheFiles(); break;
    case ctOneTime: break;
  }
  return {session, list};
}

// ---------------------------------------------------------------------------
// Names

// The file-name part of a path; "\" counts as a separator too.
std::string FilePart(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool EndsWithTmp(std::string_view name) {
  return name.size() >= kExtension.size() && name.substr(name.size() - kExtension.size()) == kExtension;
}

// Whether segment, as the last part of an href under "temp/", leads the router back to segment + ".tmp": the
// router refuses segments that begin or end with "." or hold ":", "\" or control characters; "/", "#", "?" and
// "%" would change what the URL names.
bool IsServableSegment(std::string_view segment) {
  if (segment.empty() || segment.front() == '.' || segment.back() == '.') return false;
  for (unsigned char c : segment)
    if (c < 0x20 || c == 0x7F || std::string_view("/\\:#?%").find(char(c)) != std::string_view::npos) return false;
  return true;
}

// The name a cache file made from a file called name takes: name itself when it ends with ".tmp" (Linux names
// are case-sensitive and the router appends ".tmp"), else name + ".tmp". Empty when the href of that name would not
// resolve: the caller then generates a name.
std::string CacheNameFor(const std::string& name) {
  std::string cacheName = EndsWithTmp(name) ? name : name + std::string(kExtension);
  std::string_view segment(cacheName.data(), cacheName.size() - kExtension.size());
  return IsServableSegment(segment) ? cacheName : std::string();
}

// "BRM" and 64 random bits (13 base-36 digits). Generated names are served under "temp/", so a counter alone
// would let one client guess the files of another session; MakeTempFile's stamp and counter keep them unique.
std::string RandomPrefix() {
  std::uint64_t bits = 0;
  auto* bytes = reinterpret_cast<std::uint8_t*>(&bits);
  for (std::size_t filled = 0; filled < sizeof bits;) {
    const ssize_t n = ::getrandom(bytes + filled, sizeof bits - filled, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseLastOSError();
    }
    filled += std::size_t(n);
  }
  return kPrefix + ToBase36(bits, 13);
}

// A fresh name in folder for a file that wanted name (empty: any).
std::string UniqueName(const std::string& folder, const std::string& name) {
  return name.empty() ? MakeTempFile(folder, RandomPrefix()) : MakeTempFile(folder, RandomPrefix(), "_" + name);
}

bool PathTaken(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

// A new file created exclusively in folder under name, or under a unique name when name is taken or empty.
std::unique_ptr<TFileStream> CreateExclusive(const std::string& folder, const std::string& name) {
  if (name.empty()) return std::make_unique<TTempFileStream>(false, RandomPrefix(), folder);
  constexpr std::uint16_t kMode = fmCreate | fmExclusive | fmShareDenyWrite;
  std::string path = folder + name;
  for (int attempt = 1;; ++attempt) {
    try {
      return std::make_unique<TFileStream>(path, kMode);
    } catch (const EFCreateError&) {
      if (attempt >= kNameAttempts || !PathTaken(path)) throw;
    }
    path = UniqueName(folder, name);
  }
}

// Renames without ever replacing a file: false when to exists; other failures raise EOSError.
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  int error = errno;
  if (error == EINVAL || error == ENOSYS) {
    // A file system without RENAME_NOREPLACE: link refuses an existing name just as atomically.
    if (::link(from.c_str(), to.c_str()) == 0) {
      ::unlink(from.c_str());
      return true;
    }
    error = errno;
  }
  if (error != EEXIST) RaiseLastOSError(error);
  return false;
}

// Renames the file in folder so that its href resolves (see CacheNameFor); returns the new path.
std::string MoveToCacheName(const std::string& path, const std::string& folder) {
  std::string name = CacheNameFor(FilePart(path));
  std::string target = name.empty() ? UniqueName(folder, name) : folder + name;
  for (int attempt = 1;; ++attempt) {
    if (RenameNoReplace(path, target)) return target;
    if (attempt >= kNameAttempts) RaiseLastOSError(EEXIST);
    target = UniqueName(folder, name);
  }
}

// Whether path is a regular file (not a link) directly in folder.
bool IsFileInFolder(const std::string& path, const std::string& folder) {
  std::error_code error;
  if (!fs::is_regular_file(fs::symlink_status(path, error))) return false;
  fs::path parent = fs::path(path).parent_path();
  return fs::equivalent(parent.empty() ? fs::path(".") : parent, fs::path(folder), error);
}

// ---------------------------------------------------------------------------
// The trailer

struct TCacheTrailer {
  std::int64_t InnerSize = 0;
  std::string ContentType;
  TCacheType CacheType = ctOneTime;
  std::string Href;
};

template <class T>
T GetLittleEndian(const std::uint8_t* bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) value |= std::uint64_t(bytes[i]) << (8 * i);
  return T(value);
}

// Reads exactly count bytes at offset, leaving the file position alone.
bool ReadAt(int handle, void* buffer, std::int64_t count, std::int64_t offset) {
  std::int64_t done = 0;
  while (done < count) {
    ssize_t n = ::pread(handle, static_cast<char*>(buffer) + done, std::size_t(count - done), off_t(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

[[noreturn]] void RaiseCorrupted() { throw Exception("Cache file is corrupted"); }

std::string TrailerText(const std::uint8_t* bytes, std::int32_t length) {
  std::string_view text(reinterpret_cast<const char*>(bytes), std::size_t(length));
  return IsValidUtf8(text) ? std::string(text) : SanitizeUtf8(text);
}

// Reads and checks the trailer of the open file. Layout from the end: marker (11), N (8); from N: content type
// text, cache type byte, href text, which must end exactly where N begins. Nothing is allocated beyond what a
// valid trailer can hold.
TCacheTrailer ReadTrailer(int handle) {
  struct stat info;
  if (::fstat(handle, &info) != 0) RaiseLastOSError();
  const std::int64_t fileSize = info.st_size;
  std::uint8_t tail[kTailSize];
  if (fileSize < kTailSize || !ReadAt(handle, tail, kTailSize, fileSize - kTailSize) ||
      std::memcmp(tail + 8, kMarker, sizeof kMarker) != 0)
    throw Exception("Invalid cache file");

  TCacheTrailer trailer;
  trailer.InnerSize = GetLittleEndian<std::int64_t>(tail);
  if (trailer.InnerSize < 0 || trailer.InnerSize >= fileSize) RaiseCorrupted();
  // Content type text, cache type byte and href text.
  const std::int64_t length = fileSize - kTailSize - trailer.InnerSize;
  if (length < 9 || length > 9 + 2 * kMaxTrailerText) RaiseCorrupted();
  std::string fields(std::size_t(length), '\0');
  auto* bytes = reinterpret_cast<std::uint8_t*>(fields.data());
  if (!ReadAt(handle, bytes, length, trailer.InnerSize)) RaiseCorrupted();

  const std::int32_t typeLength = GetLittleEndian<std::int32_t>(bytes);
  if (typeLength < 0 || typeLength > kMaxTrailerText || 9 + std::int64_t(typeLength) > length) RaiseCorrupted();
  const std::uint8_t cacheType = bytes[4 + typeLength];
  if (cacheType > ctForm) RaiseCorrupted();
  const std::int32_t hrefLength = GetLittleEndian<std::int32_t>(bytes + 5 + typeLength);
  if (hrefLength < 0 || 9 + std::int64_t(typeLength) + hrefLength != length) RaiseCorrupted();

  trailer.ContentType = TrailerText(bytes + 4, typeLength);
  trailer.CacheType = TCacheType(cacheType);
  trailer.Href = TrailerText(bytes + 9 + typeLength, hrefLength);
  return trailer;
}

bool HasTrailer(int handle) {
  try {
    ReadTrailer(handle);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

bool HasTrailer(const std::string& fileName) {
  try {
    TFileStream file(fileName, fmOpenRead);
    return HasTrailer(file.Handle());
  } catch (const Exception&) {
    return false;
  }
}

bool SameBytes(TFileStream& a, TFileStream& b, std::int64_t count) {
  constexpr std::int64_t kBlock = 65536;
  std::string blockA(std::size_t(std::min(count, kBlock)), '\0'), blockB(blockA.size(), '\0');
  for (std::int64_t offset = 0; offset < count; offset += kBlock) {
    std::int64_t n = std::min(kBlock, count - offset);
    if (!ReadAt(a.Handle(), blockA.data(), n, offset) || !ReadAt(b.Handle(), blockB.data(), n, offset)) return false;
    if (std::memcmp(blockA.data(), blockB.data(), std::size_t(n)) != 0) return false;
  }
  return true;
}

// The href of the sealed cache file target when the owner may take it for source: list (the owner's list for
// cacheType) holds it, its trailer names that cache type and its content equals source's bytes.
std::optional<std::string> ReusableHref(const std::string& target, TStrings* list, TCacheType cacheType,
                                        const std::string& source) {
  if (!IsListed(list, target)) return std::nullopt;
  try {
    TFileStream cached(target, fmOpenRead | fmShareDenyWrite);
    TCacheTrailer trailer = ReadTrailer(cached.Handle());
    TFileStream original(source, fmOpenRead);
    if (trailer.CacheType != cacheType || original.Size() != trailer.InnerSize) return std::nullopt;
    if (!SameBytes(cached, original, trailer.InnerSize)) return std::nullopt;
    return trailer.Href;
  } catch (const Exception&) {
    return std::nullopt;
  }
}

// Seals the new cache file and returns its href; the stream is freed either way.
std::string Seal(std::unique_ptr<TCacheStream> stream, const std::string& contentType) {
  stream->SetContentType(contentType);
  std::string href = stream->GetHref();
  stream->Commit();
  return href;
}

}  // namespace

// ---------------------------------------------------------------------------
// TCacheStream

TCacheStream::TCacheStream(IKXCacheOwner* Owner, const std::string& FileName, TCacheType CacheType)
    : TCacheStream(OpenExisting(Owner, FileName, CacheType), CacheType) {}

TCacheStream::TCacheStream(IKXCacheOwner* Owner, TCacheType CacheType)
    : TCacheStream(CreateNew(Owner, CacheType, ""), CacheType) {}

TCacheStream::TCacheStream(IKXCacheOwner* Owner, TCacheType CacheType, const std::string& NewName)
    : TCacheStream(CreateNew(Owner, CacheType, NewName), CacheType) {}

TCacheStream::TCacheStream(TPrepared prepared, TCacheType CacheType)
    : TStreamHelper(std::move(prepared.File)),
      mSession(prepared.Session),
      mContentType(kDefaultContentType),
      mCacheType(CacheType),
      mFile(static_cast<TFileStream*>(Stream())),
      mList(prepared.List),
      mUncaughtExceptions(std::uncaught_exceptions()) {
  mFilename = mFile->FileName();
  try {
    AddToList(mList, mFilename);
  } catch (...) {
    if (prepared.Created) ::unlink(mFilename.c_str());
    throw;
  }
}

TCacheStream::TPrepared TCacheStream::OpenExisting(IKXCacheOwner* Owner, const std::string& FileName,
                                                   TCacheType CacheType) {
  EKXException::IfNotAssigned(Owner, "Cache owner must be specified.");
  std::error_code error;
  EKXException::IfFalse(fs::is_regular_file(FileName, error), "File \"" + FileName + "\" does not exist.");
  TOwnerInfo owner = ResolveOwner(Owner, CacheType);
  TPrepared prepared;
  prepared.File = std::make_unique<TFileStream>(FileName, fmOpenReadWrite | fmShareDenyWrite);
  // A second trailer would turn the first into content.
  if (HasTrailer(prepared.File->Handle())) throw Exception("Cache file \"" + FileName + "\" is already sealed.");
  prepared.Session = owner.Session;
  prepared.List = owner.List;
  return prepared;
}

TCacheStream::TPrepared TCacheStream::CreateNew(IKXCacheOwner* Owner, TCacheType CacheType,
                                                const std::string& NewName) {
  EKXException::IfNotAssigned(Owner, "Cache owner must be specified.");
  TOwnerInfo owner = ResolveOwner(Owner, CacheType);
  TPrepared prepared;
  prepared.File = CreateExclusive(TKXAppCache::CacheDir(), NewName);
  prepared.Session = owner.Session;
  prepared.List = owner.List;
  prepared.Created = true;
  return prepared;
}

TCacheStream::~TCacheStream() {
  if (mDone) return;
  if (std::uncaught_exceptions() > mUncaughtExceptions) {
    Discard();
    return;
  }
  try {
    WriteMetaData();
    mDone = true;
  } catch (...) {
    Discard();
  }
}

const std::string& TCacheStream::GetHref() {
  if (mHref.empty()) {
    std::string name = FilePart(mFilename);
    name.resize(name.size() >= kExtension.size() ? name.size() - kExtension.size() : 0);
    mHref = mSession->InternalUrlBase() + "temp/" + name;
  }
  return mHref;
}

void TCacheStream::Commit() {
  if (mDone) return;
  try {
    WriteMetaData();
  } catch (...) {
    Discard();
    throw;
  }
  mDone = true;
  ::flock(mFile->Handle(), LOCK_UN);
}

void TCacheStream::WriteMetaData() {
  const std::int64_t contentSize = mFile->Size();
  mFile->Seek(0, soEnd);
  WriteText(mContentType);
  WriteByte(mCacheType);
  WriteText(GetHref());
  WriteInt64(contentSize);
  WriteText("KXCACHE");
}

void TCacheStream::Discard() noexcept {
  mDone = true;
  ::unlink(mFilename.c_str());
  RemoveFromList(mList, mFilename);
}

// ---------------------------------------------------------------------------
// TReadCacheFileStream

TReadCacheFileStream::TReadCacheFileStream(const std::string& FileName)
    : TFileStream(FileName, fmOpenRead | fmShareDenyWrite) {
  ReadCacheMetaData();
}

TReadCacheFileStream::~TReadCacheFileStream() {
  CloseHandle();
  if (mDeleteFile && mCacheType == ctOneTime) ::unlink(FileName().c_str());
}

void TReadCacheFileStream::ReadCacheMetaData() {
  TCacheTrailer trailer = ReadTrailer(Handle());
  mInnerSize = trailer.InnerSize;
  mContentType = std::move(trailer.ContentType);
  mCacheType = trailer.CacheType;
  mHref = std::move(trailer.Href);
  TFileStream::Seek(0, soBeginning);
}

std::int64_t TReadCacheFileStream::Read(void* buffer, std::int64_t count) {
  std::int64_t left = mInnerSize - Position();
  if (count <= 0 || left <= 0) return 0;
  return TFileStream::Read(buffer, std::min(count, left));
}

std::int64_t TReadCacheFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  if (origin == soEnd) return TFileStream::Seek(mInnerSize + offset, soBeginning);
  return TFileStream::Seek(offset, origin);
}

void TReadCacheFileStream::SetSize(std::int64_t newSize) {
  if (newSize != 0) throw Exception("Stream is not resizable");
}

std::string TReadCacheFileStream::GetCacheFileHref(const std::string& FileName) {
  TReadCacheFileStream stream(FileName);
  stream.mDeleteFile = false;
  return stream.mHref;
}

// ---------------------------------------------------------------------------
// TKXAppCache

IKXCacheController* TKXAppCache::Controller() {
  TCacheControllerSlot* slot = CacheControllerSlot();
  return slot ? slot->Controller.load() : nullptr;
}

void TKXAppCache::SetController(IKXCacheController* controller) {
  TKXRuntimeSlots::Required().Slot<TCacheControllerSlot>().Controller.store(controller);
}

std::string TKXAppCache::CacheDir() {
  std::string folder = RequireController()->CacheDir();
  EKXException::IfTrue(folder.empty(), "Cache folder is not defined.");
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::string TKXAppCache::NewTempFileName(const std::string& Ext) {
  std::string extension = Ext.empty() ? std::string(kExtension) : Ext;
  for (unsigned char c : extension)
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') throw Exception("Invalid file extension");
  return MakeTempFile(CacheDir(), RandomPrefix(), extension);
}

void TKXAppCache::NewCacheStream(IKXCacheOwner* Owner, const std::string& ContentType, TCacheType CacheType,
                                 std::unique_ptr<TCacheStream>& Stream, std::string& Href) {
  auto stream = std::make_unique<TCacheStream>(Owner, CacheType);
  stream->SetContentType(ContentType);
  Href = stream->GetHref();
  Stream = std::move(stream);
}

void TKXAppCache::NewCacheStream(IKXCacheOwner* Owner, const std::string& FileName, const std::string& ContentType,
                                 TCacheType CacheType, std::unique_ptr<TCacheStream>& Stream, std::string& Href) {
  if (FileName.empty()) return NewCacheStream(Owner, ContentType, CacheType, Stream, Href);
  // Every check before the file is renamed.
  EKXException::IfNotAssigned(Owner, "Cache owner must be specified.");
  const std::string folder = CacheDir();
  std::string path = folder + FilePart(FileName);
  std::error_code error;
  EKXException::IfFalse(fs::is_regular_file(path, error), "File \"" + path + "\" does not exist.");
  ResolveOwner(Owner, CacheType);
  if (CacheNameFor(FilePart(path)) != FilePart(path)) path = MoveToCacheName(path, folder);
  auto stream = std::make_unique<TCacheStream>(Owner, path, CacheType);
  stream->SetContentType(ContentType);
  Href = stream->GetHref();
  Stream = std::move(stream);
}

void TKXAppCache::NewAppCacheStream(IKXCacheOwner* Owner, const std::string& ContentType,
                                    std::unique_ptr<TCacheStream>& Stream, std::string& Href) {
  NewCacheStream(Owner, ContentType, ctApp, Stream, Href);
}

void TKXAppCache::NewSessionCacheStream(IKXCacheOwner* Owner, const std::string& ContentType,
                                        std::unique_ptr<TCacheStream>& Stream, std::string& Href) {
  NewCacheStream(Owner, ContentType, ctSession, Stream, Href);
}

void TKXAppCache::NewFormCacheStream(IKXCacheOwner* Owner, const std::string& ContentType,
                                     std::unique_ptr<TCacheStream>& Stream, std::string& Href) {
  NewCacheStream(Owner, ContentType, ctForm, Stream, Href);
}

std::string TKXAppCache::AddFileToCache(IKXCacheOwner* Owner, const std::string& FileName,
                                        const std::string& ContentType, TCacheType CacheType) {
  std::error_code error;
  if (!fs::is_regular_file(FileName, error))
    throw Exception("Can't add file \"" + FilePart(FileName) + "\" to cache. The file does not exist.");
  EKXException::IfNotAssigned(Owner, "Cache owner must be specified.");
  TOwnerInfo owner = ResolveOwner(Owner, CacheType);
  const std::string folder = CacheDir();

  if (IsFileInFolder(FileName, folder)) {
    std::string path = folder + FilePart(FileName);
    if (HasTrailer(path)) return TReadCacheFileStream::GetCacheFileHref(path);
    if (CacheNameFor(FilePart(path)) != FilePart(path)) path = MoveToCacheName(path, folder);
    return Seal(std::make_unique<TCacheStream>(Owner, path, CacheType), ContentType);
  }

  // A file from elsewhere is copied in under its own name when that is free, or the same file is there already.
  const std::string name = CacheNameFor(FilePart(FileName));
  if (!name.empty())
    if (std::optional<std::string> href = ReusableHref(folder + name, owner.List, CacheType, FileName)) return *href;
  TFileStream source(FileName, fmOpenRead);
  std::unique_ptr<TCacheStream> stream(new TCacheStream(Owner, CacheType, name));
  stream->Stream()->CopyFrom(source, 0);
  return Seal(std::move(stream), ContentType);
}

std::string TKXAppCache::StreamToCacheFile(IKXCacheOwner* Owner, TStream& Stream, const std::string& FileName,
                                           const std::string& ContentType, TCacheType CacheType) {
  const std::string name = FileName.empty() ? std::string() : CacheNameFor(FilePart(FileName));
  std::unique_ptr<TCacheStream> stream(new TCacheStream(Owner, CacheType, name));
  stream->Stream()->CopyFrom(Stream, 0);
  return Seal(std::move(stream), ContentType);
}

std::string TKXAppCache::GraphicToCacheFile(IKXCacheOwner* Owner, const TGraphic& Graphic, TKXImageOutput Output,
                                            TCacheType CacheType) {
  const char* contentType = "image/png";
  if (Output == ioJPEG) contentType = "image/jpeg";
  if (Output == ioGIF) contentType = "image/gif";
  auto stream = std::make_unique<TCacheStream>(Owner, CacheType);
  GraphicToStream(Graphic, *stream->Stream(), Output);
  return Seal(std::move(stream), contentType);
}

std::string TKXAppCache::GraphicToCacheFile(IKXCacheOwner* Owner, const TGraphic& Graphic, TCacheType CacheType,
                                            bool ForcePNG) {
  return GraphicToCacheFile(Owner, Graphic, GetImageType(Graphic, ForcePNG), CacheType);
}

std::string TKXAppCache::ResourceToCacheFile(IKXCacheOwner* Owner, const std::string& ResourceName,
                                             const std::string& ContentType, TCacheType CacheType) {
  std::unique_ptr<TCustomMemoryStream> resource = TKXServerInternalFiles::GetResourceStream(ResourceName);
  auto stream = std::make_unique<TCacheStream>(Owner, CacheType);
  stream->Stream()->CopyFrom(*resource, 0);
  return Seal(std::move(stream), ContentType);
}

std::int32_t TKXAppCache::ClearCache(TStrings& List) {
  std::lock_guard<std::mutex> lock(gListLock);
  for (int i = List.Count() - 1; i >= 0; --i) {
    if (::unlink(List.Strings(i).c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) List.Delete(i);
  }
  return List.Count();
}

namespace {

// Written into each process folder when it is made; the sweep removes nothing without it.
constexpr char kProcessMarker[] = ".kx-process";

// The calling process's PID namespace ("pid:[4026531836]"), or "" when it cannot be read.
std::string PidNamespace() {
  char target[64];
  const ssize_t length = ::readlink("/proc/self/ns/pid", target, sizeof target - 1);
  return length > 0 ? std::string(target, std::size_t(length)) : std::string();
}

// The machine's name. Every machine's first PID namespace has the same number, so on a folder that several
// machines share (a network mount) only the name tells whose process made a folder.
std::string MachineName() {
  struct utsname names {};
  return ::uname(&names) == 0 ? std::string(names.nodename) : std::string();
}

// What the marker of a process folder holds: its name, the PID namespace its process id counts in and the machine.
std::string MarkerText(std::string_view folderName, const std::string& pidNamespace) {
  return "kx process folder " + std::string(folderName) + " " + pidNamespace + " on " + MachineName() + "\n";
}

// The process id of a folder named like a ProcessID, or 0 for any other name.
pid_t ProcessOfCacheFolder(std::string_view name) {
  const std::size_t separator = name.find('_');
  if (separator == std::string_view::npos || separator < 10 || separator + 1 == name.size()) return 0;
  const std::string_view stamp = name.substr(0, separator), pid = name.substr(separator + 1);
  for (std::string_view part : {stamp, pid})
    if (part.find_first_not_of(kBase36Digits) != std::string_view::npos) return 0;
  const std::uint64_t value = FromBase36(pid);  // 0 beyond 64 bits
  return value <= std::uint64_t(std::numeric_limits<pid_t>::max()) ? pid_t(value) : 0;
}

bool OwnedByUs(const struct stat& status) { return status.st_uid == ::geteuid(); }

// Whether the folder name (in the folder descriptor parent) is a folder this library made in this PID namespace, for
// this user: a real folder, ours, holding our regular marker file that names it and our namespace.
bool IsOurProcessFolder(int parent, const char* name, const std::string& pidNamespace) {
  struct stat status {};
  if (::fstatat(parent, name, &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(status.st_mode) || !OwnedByUs(status))
    return false;
  const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) return false;
  const int marker = ::openat(folder, kProcessMarker, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  ::close(folder);
  if (marker < 0) return false;
  const std::string expected = MarkerText(name, pidNamespace);
  std::string text(expected.size() + 1, '\0');
  const bool regular = ::fstat(marker, &status) == 0 && S_ISREG(status.st_mode) && OwnedByUs(status);
  const ssize_t length = regular ? ::read(marker, text.data(), text.size()) : -1;
  ::close(marker);
  return length == ssize_t(expected.size()) && text.compare(0, expected.size(), expected) == 0;
}

// IsOurProcessFolder for the folder name inside the folder path.
bool IsOurProcessFolder(const std::string& path, const std::string& name) {
  const std::string parent = path.size() > name.size() ? path.substr(0, path.size() - name.size()) : ".";
  const int folder = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return false;
  const bool ours = IsOurProcessFolder(folder, name.c_str(), PidNamespace());
  ::close(folder);
  return ours;
}

}  // namespace

bool TKXAppCache::MakeProcessFolder(const std::string& folder) {
  if (!MakeDirectory(folder, false)) return false;
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::string name = path.substr(path.rfind('/') + 1);
  const int marker =
      ::open((path + "/" + kProcessMarker).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  // Made already: by this process (a second call) when the marker is ours, else by another one, whose folder this
  // process must not share.
  if (marker < 0) return errno == EEXIST && IsOurProcessFolder(path, name);
  const std::string text = MarkerText(name, PidNamespace());
  const bool written = ::write(marker, text.data(), text.size()) == ssize_t(text.size());
  return ::close(marker) == 0 && written;
}

int TKXAppCache::RemoveStaleCacheFolders(const std::string& parent) {
  // A process id means nothing outside the namespace it counts in: without ours, nothing is judged dead.
  const std::string pidNamespace = PidNamespace();
  if (pidNamespace.empty()) return 0;
  DIR* dir = ::opendir(parent.c_str());
  if (dir == nullptr) return 0;
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(dir)) {
    const pid_t pid = ProcessOfCacheFolder(entry->d_name);
    if (pid <= 0 || !IsOurProcessFolder(::dirfd(dir), entry->d_name, pidNamespace)) continue;
    if (::kill(pid, 0) == -1 && errno == ESRCH) stale.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  const std::string folder = parent.empty() || parent.back() == '/' ? parent : parent + "/";
  int removed = 0;
  for (const std::string& name : stale) {
    try {
      if (KXDelTree(folder + name)) ++removed;
    } catch (const std::exception&) {
      // A folder KXDelTree refuses stays.
    }
  }
  return removed;
}

}  // namespace kx
