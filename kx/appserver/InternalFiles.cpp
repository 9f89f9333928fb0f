#include "kx/appserver/InternalFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string_view>

#include "kx/appserver/Compression.h"
#include "kx/foundation/FileUtils.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/Paths.h"
#include "kx/foundation/Streams.h"
#include "kx/platform/Resources.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

struct TFileTableRow {
  const char* Name;
  const char* URLPath;
};

// The gzip data of source inflated into a new stream at position 0, for a client that refuses gzip.
std::unique_ptr<TStream> Gunzip(const TCustomMemoryStream& source) {
  z_stream z{};
  if (::inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) throw ECompressionError("Cannot initialise decompression.");
  auto result = std::make_unique<TKXMemoryStream>(source.Size() * 4);
  z.next_in = static_cast<Bytef*>(const_cast<void*>(source.Memory()));
  z.avail_in = uInt(source.Size());
  unsigned char block[65536];
  int status = Z_OK;  // truncated data ends in Z_BUF_ERROR, reported below
  while (status == Z_OK) {
    z.next_out = block;
    z.avail_out = sizeof block;
    status = ::inflate(&z, Z_NO_FLUSH);
    const std::int64_t produced = std::int64_t(sizeof block - z.avail_out);
    if (produced > 0) result->WriteBuffer(block, produced);
  }
  ::inflateEnd(&z);
  if (status != Z_STREAM_END) throw ECompressionError("Invalid compressed data.");
  result->SetPosition(0);
  return result;
}

// Registered by the constructor, in this order.
constexpr TFileTableRow kSystemFiles[] = {
    {"KX_FAVICON", "FAVICON.ICO"},
    {"KX_GFX_SECURITYCHECK", "SecurityCheckError.html"},
    {"KX_GFX_ERROR", "Error.html"},
    {"KX_GFX_SESSIONTIMEOUT", "SessionTimeout.html"},
    {"KX_GFX_SESSIONINVALID", "SessionInvalid.html"},
    {"KX_JS_KXBASE", "/js/KXBase.js"},
    {"KX_JS_KXLIB", "/js/KXLib.js"},
    {"KX_JS_KXEXPLORER", "/js/KXExplorer.js"},
    {"KX_JS_KXGECKO", "/js/KXGecko.js"},
    {"KX_JS_KXBACKINTERCEPT", "/js/KXBackIntercept.js"},
    {"KX_GFX_Tp", "/gfx/Tp.gif"},
    {"KX_GFX_LogoBrenmoor", "/gfx/BrenmoorLogo.gif"},
    {"KX_GFX_LogoKestrix", "/gfx/KestrixLogo.gif"},
    {"KX_GFX_loading", "/gfx/loading.gif"},
};

// The readable script files of the framework, registered when UseUncompressedFiles becomes true, in this order;
// the control families add theirs (AddReadable).
constexpr TFileTableRow kUncompressedFiles[] = {
    {"KX_JS_KXBROWSER_DBG", "/js/KXBrowser.js"},
    {"KX_JS_KXPRESCRIPT_DBG", "/js/KXPreScript.js"},
    {"KX_JS_JQUERY_DBG", "/js/jquery.js"},
    {"KX_JS_JQUERYMASKEDINPUT_DBG", "/js/jquerymaskedinput.js"},
    {"KX_JS_KXCOMMON_DBG", "/js/KXCommon.js"},
    {"KX_JS_KXCL_DBG", "/js/KXCL.js"},
    {"KX_JS_KXAJAX_DBG", "/js/KXAjax.js"},
    {"KX_JS_KXEXPLORER_DBG", "/js/KXExplorer.js"},
    {"KX_JS_KXGECKO_DBG", "/js/KXGecko.js"},
    {"KX_JS_KXBACKINTERCEPT_DBG", "/js/KXBackIntercept.js"},
};

const void* BytesOf(const TCustomMemoryStream* stream) { return stream ? stream->Memory() : nullptr; }
std::int64_t SizeOf(const TCustomMemoryStream* stream) { return stream ? stream->Size() : 0; }

// The URL path of an entry as a path relative to the target folder: "\" taken for "/", doubled "/" collapsed.
std::string RelativeUrlPath(std::string path) {
  TURL::ReplacePathDelimiter(path);
  std::string result;
  for (char c : path)
    if (c != '/' || result.empty() || result.back() != '/') result += c;
  return result;
}

// folder with the symbolic links of the part of it that exists resolved, without a trailing "/"; empty on failure.
std::filesystem::path RealPath(const std::string& folder) {
  std::error_code error;
  std::filesystem::path real = std::filesystem::weakly_canonical(folder, error);
  if (error) return {};
  if (!real.has_filename() && real.has_relative_path()) real = real.parent_path();
  return real;
}

// Whether the real path of folder is realRoot or lies under it.
bool StaysUnder(const std::string& folder, const std::filesystem::path& realRoot) {
  std::filesystem::path real = RealPath(folder);
  if (real.empty()) return false;
  return std::mismatch(realRoot.begin(), realRoot.end(), real.begin(), real.end()).first == realRoot.end();
}

// Creates the file (never an existing one, never through a symbolic link; advisory deny-write lock while
// writing) with the bytes. A file that cannot be written completely is deleted. Returns whether it was written.
bool WriteNewFile(const std::string& fileName, const void* data, std::int64_t size) {
  int handle = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (handle < 0) return false;
  bool written = ::flock(handle, LOCK_EX | LOCK_NB) == 0;
  std::int64_t done = 0;
  while (written && done < size) {
    ssize_t n = ::write(handle, static_cast<const char*>(data) + done, std::size_t(size - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) written = false;
    else done += n;
  }
  if (::close(handle) != 0) written = false;
  if (!written) ::unlink(fileName.c_str());
  return written;
}

}  // namespace

// ---------------------------------------------------------------------------
// TCloneMemoryStream

TCloneMemoryStream::TCloneMemoryStream(std::shared_ptr<const TCustomMemoryStream> source)
    : mSource(std::move(source)) {
  // The view never writes through the pointer: Write and SetSize refuse.
  SetPointer(const_cast<void*>(BytesOf(mSource.get())), SizeOf(mSource.get()));
}

std::int64_t TCloneMemoryStream::Write(const void*, std::int64_t) {
  throw EStreamError("TCloneMemoryStream is read-only.");
}

void TCloneMemoryStream::SetSize(std::int64_t) { throw EStreamError("TCloneMemoryStream is read-only."); }

// ---------------------------------------------------------------------------
// TKXServerInternalFiles

TKXServerInternalFiles::TKXServerInternalFiles() {
  mFiles.SetSorted(true);
  mFiles.SetDuplicates(dupError);
  // The client scripts of the table are embedded by later builds; until a resource exists its row is left out.
  for (const TFileTableRow& row : kSystemFiles)
    if (FindResource(row.Name)) InternalAddStream(GetResourceStream(row.Name), row.Name, row.URLPath);
}

TKXServerInternalFiles::~TKXServerInternalFiles() {
  TKXWriteGuard guard(FLock);
  mFiles.Clear();
}

void TKXServerInternalFiles::SetUseUncompressedFiles(bool value) {
  FUseUncompressedFiles = value;
  if (value) {
    TKXWriteGuard guard(FLock);
    AddUncompressedFiles();
  }
}

void TKXServerInternalFiles::SetPreCompressFiles(bool value) {
  FPreCompressFiles = value;
  if (value) DoPreCompressFiles();
}

TKXResourceNeededEvent TKXServerInternalFiles::OnResourceNeeded() const {
  TKXReadGuard guard(FLock);
  return FOnResourceNeeded;
}

void TKXServerInternalFiles::SetOnResourceNeeded(TKXResourceNeededEvent handler) {
  TKXWriteGuard guard(FLock);
  FOnResourceNeeded = std::move(handler);
}

void TKXServerInternalFiles::InternalAdd(const std::string& name, const std::string& urlPath) {
  std::string upperName = UpperCase(name);
  InternalAddStream(GetResourceStream(upperName), upperName, urlPath);
}

void TKXServerInternalFiles::InternalAddStream(std::unique_ptr<TCustomMemoryStream> stream, const std::string& name,
                                               const std::string& urlPath) {
  std::string key = UpperCase(name);
  std::shared_ptr<const TCustomMemoryStream> resource(std::move(stream));
  int index;
  if (mFiles.Find(key, index)) {
    auto* file = static_cast<TInternalFile*>(mFiles.Objects(index));
    file->mFileName = urlPath;
    file->mIsCompressed = false;
    file->mResource = std::move(resource);  // views of the old bytes keep them alive
    file->mPlainResource.reset();
    return;
  }
  auto file = std::make_unique<TInternalFile>(urlPath, std::move(resource));
  mFiles.AddObject(key, file.get());
  file.release();
}

void TKXServerInternalFiles::Add(const std::string& name, const std::string& urlPath) {
  TKXWriteGuard guard(FLock);
  InternalAdd(name, urlPath);
}

void TKXServerInternalFiles::AddStream(std::unique_ptr<TMemoryStream> stream, const std::string& name,
                                       const std::string& urlPath) {
  std::string upperName = UpperCase(name);
  TKXWriteGuard guard(FLock);
  InternalAddStream(std::move(stream), upperName, urlPath);
}

void TKXServerInternalFiles::AddFromFile(const std::string& fileName, const std::string& name,
                                         const std::string& urlPath) {
  auto stream = std::make_unique<TMemoryStream>();
  stream->LoadFromFile(fileName);
  AddStream(std::move(stream), name, urlPath);
}

const TInternalFile* TKXServerInternalFiles::FindFile(const std::string& name) const {
  int index;
  if (FUseUncompressedFiles && StartsText("KX_JS_", name) && mFiles.Find(name + "_DBG", index))
    return static_cast<const TInternalFile*>(mFiles.Objects(index));
  if (mFiles.Find(name, index)) return static_cast<const TInternalFile*>(mFiles.Objects(index));
  return nullptr;
}

bool TKXServerInternalFiles::ResourceExists(const std::string& name) const {
  TKXReadGuard guard(FLock);
  return FindFile(name) != nullptr;
}

std::unique_ptr<TStream> TKXServerInternalFiles::ResourceAsStream(const std::string& name, bool& enableCache,
                                                                   bool& compressed) const {
  return ResourceAsStream(name, enableCache, compressed, true);
}

std::unique_ptr<TStream> TKXServerInternalFiles::ResourceAsStream(const std::string& name, bool& enableCache,
                                                                   bool& compressed, bool acceptsGZip) const {
  compressed = false;
  TKXResourceNeededEvent handler;
  {
    TKXReadGuard guard(FLock);
    if (const TInternalFile* file = FindFile(name)) {
      enableCache = true;
      if (file->mIsCompressed && !acceptsGZip) {
        if (file->mPlainResource) return std::make_unique<TCloneMemoryStream>(file->mPlainResource);
        return Gunzip(*file->mResource);
      }
      compressed = file->mIsCompressed;
      return std::make_unique<TCloneMemoryStream>(file->mResource);
    }
    handler = FOnResourceNeeded;
  }
  // C2: the lock is released first, so a handler may register the file it produced.
  if (handler) {
    std::unique_ptr<TStream> stream;
    bool cache = true;
    handler(name, stream, cache);
    if (stream) {
      enableCache = cache;
      return stream;
    }
  }
  throw EKXInvalidResourceException(Format("Resource %s not found.", name));
}

std::unique_ptr<TStream> TKXServerInternalFiles::ResourceAsStream(const std::string& name) const {
  bool enableCache, compressed;
  return ResourceAsStream(name, enableCache, compressed);
}

std::string TKXServerInternalFiles::ResourceAsString(const std::string& name) const {
  std::unique_ptr<TStream> stream = ResourceAsStream(UpperCase(name));
  return TStreamHelper(stream.get(), false).GetAsString();
}

std::int64_t TKXServerInternalFiles::GetTotalSize() const {
  TKXReadGuard guard(FLock);
  std::int64_t total = 0;
  for (int i = 0; i < mFiles.Count(); ++i)
    total += SizeOf(static_cast<const TInternalFile*>(mFiles.Objects(i))->mResource.get());
  return total;
}

void TKXServerInternalFiles::WriteAllToDisk(const std::string& folder) const {
  std::string root = ExpandFileName(folder.empty() ? "." : folder);
  std::filesystem::path realRoot = RealPath(root);
  if (realRoot.empty()) return;

  TKXReadGuard guard(FLock);
  for (int i = 0; i < mFiles.Count(); ++i) {
    const auto* file = static_cast<const TInternalFile*>(mFiles.Objects(i));
    if (file->mFileName.empty()) continue;
    std::string path;
    try {
      // Refuses "..", hidden names and control characters; the result lies lexically under root.
      path = TURL::UrlPathToFilePath(root, RelativeUrlPath(file->mFileName));
    } catch (const Exception&) {
      continue;
    }
    std::string fileFolder = TURL::ExtractPath(path);
    // Checked before and after creating the folder: a symbolic link on the way must not lead out of folder.
    if (!StaysUnder(fileFolder, realRoot) || !MakeDirectory(fileFolder, false) || !StaysUnder(fileFolder, realRoot))
      continue;
    WriteNewFile(path, BytesOf(file->mResource.get()), SizeOf(file->mResource.get()));
  }
}

void TKXServerInternalFiles::DoPreCompressFiles() {
  TKXWriteGuard guard(FLock);
  for (int i = 0; i < mFiles.Count(); ++i) {
    const std::string& name = mFiles.Strings(i);
    if (!StartsText("KX_JS_", name) && !StartsText("KX_CSS_", name)) continue;
    auto* file = static_cast<TInternalFile*>(mFiles.Objects(i));
    if (file->mIsCompressed) continue;
    TCloneMemoryStream source(file->mResource);
    const auto* bytes = static_cast<const unsigned char*>(source.Memory());
    if (source.Size() >= 3 && bytes[0] == 0x1F && bytes[1] == 0x8B) {
      file->mIsCompressed = true;
      continue;
    }
    auto compressed = std::make_shared<TKXMemoryStream>(0);
    KXCompressStreamProc(source, *compressed, 9, kxcmGZIP);
    compressed->SetPosition(0);
    file->mPlainResource = std::move(file->mResource);
    file->mResource = std::move(compressed);
    file->mIsCompressed = true;
  }
}

void TKXServerInternalFiles::AddReadable(const std::string& name, const std::string& urlPath) {
  if (!FindResource(UpperCase(name))) throw EKXException(Format("Cannot find internal file: %s", name));
  TKXWriteGuard guard(FLock);
  mReadableFiles.emplace_back(name, urlPath);
  if (FUseUncompressedFiles) InternalAdd(name, urlPath);
}

void TKXServerInternalFiles::AddUncompressedFiles() {
  for (const TFileTableRow& row : kUncompressedFiles)
    if (FindResource(row.Name)) InternalAdd(row.Name, row.URLPath);
  for (const auto& [name, urlPath] : mReadableFiles) InternalAdd(name, urlPath);
}

std::unique_ptr<TCustomMemoryStream> TKXServerInternalFiles::GetResourceStream(const std::string& name) {
  const TEmbeddedResource* resource = FindResource(name);
  if (!resource) throw EKXException(Format("Cannot find internal file: %s", name));
  return std::make_unique<TPointerStream>(resource->Data, std::int64_t(resource->Size));
}

std::string TKXServerInternalFiles::GetResourceStreamAsString(const std::string& name) {
  std::unique_ptr<TCustomMemoryStream> stream = GetResourceStream(UpperCase(name));
  return SanitizeUtf8(std::string_view(static_cast<const char*>(stream->Memory()), std::size_t(stream->Size())));
}

// ---------------------------------------------------------------------------
// The process's registry

void CreateInternalFiles() {
  TKXRuntime& runtime = TKXRuntime::Required();
  if (!runtime.InternalFiles)
    runtime.InternalFiles = {new TKXServerInternalFiles(), [](TKXServerInternalFiles* files) { delete files; }};
}

void FreeInternalFiles() { TKXRuntime::Required().InternalFiles.reset(); }

}  // namespace kx
