// The internal-file registry: the scripts, style sheets, images, page templates and site icon the server serves from
// its own embedded resources, each known by a resource name ("KX_JS_KXLIB") and a URL path ("/js/KXLib.js").
// Builds on platform/Resources.h (the embedded bytes), the streams, the reader/writer lock and Compression.h.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "kx/appserver/Runtime.h"
#include "kx/foundation/Locks.h"
#include "kx/foundation/TextUtils.h"
#include "kx/platform/Streams.h"

namespace kx {

// A read-only view of the bytes of a registry entry, positioned at 0; nothing is copied. The view shares ownership
// of the stream it looks at, so its bytes stay valid for its whole life, also after the registry replaced,
// pre-compressed or dropped the entry, or was itself freed (C1).
class TCloneMemoryStream : public TCustomMemoryStream {
 public:
  explicit TCloneMemoryStream(std::shared_ptr<const TCustomMemoryStream> source);

  // Both raise EStreamError "TCloneMemoryStream is read-only.".
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  void SetSize(std::int64_t newSize) override;

 private:
  std::shared_ptr<const TCustomMemoryStream> mSource;
};

// One registered file: a plain record that the registry owns. The stream is never changed once stored: replacing
// or compressing an entry stores a new stream, and views of the old one keep it alive.
class TInternalFile : public TObject {
 public:
  TInternalFile(std::string fileName, std::shared_ptr<const TCustomMemoryStream> resource)
      : mFileName(std::move(fileName)), mResource(std::move(resource)) {}

  std::string mFileName;  // the URL path ("/js/KXBase.js", "Error.html"); may be empty
  bool mIsCompressed = false;  // mResource holds gzip data
  std::shared_ptr<const TCustomMemoryStream> mResource;
  // The bytes the registry compressed into mResource (a shared view, no copy); nullptr when they came gzip-encoded.
  std::shared_ptr<const TCustomMemoryStream> mPlainResource;
};

// Supplies a file the registry does not hold: set ResStream to a stream the caller will own (leave it empty for
// "not found"); EnableCache comes in true.
using TKXResourceNeededEvent =
    std::function<void(const std::string& AFileName, std::unique_ptr<TStream>& ResStream, bool& EnableCache)>;

// The process-wide registry (gInternalFiles). Look-ups by name ignore case. Request threads read concurrently under
// the shared lock; registering, pre-compressing and switching to the readable scripts take it exclusively.
class TKXServerInternalFiles : public TObject {
 public:
  // Registers the system files whose resources are embedded (favicon, page templates, images, the base scripts);
  // a name of the table without an embedded resource is left out, so asking for it reports "not found".
  TKXServerInternalFiles();
  ~TKXServerInternalFiles() override;
  TKXServerInternalFiles(const TKXServerInternalFiles&) = delete;
  TKXServerInternalFiles& operator=(const TKXServerInternalFiles&) = delete;

  // Default false. While true, a name that begins with "KX_JS_" is served from its readable variant (name +
  // "_DBG") when one is registered. Setting true first registers the embedded readable scripts of the fixed table
  // (again: a registered one is replaced and no longer marked compressed). False keeps them but stops preferring
  // them.
  bool UseUncompressedFiles() const { return FUseUncompressedFiles; }
  void SetUseUncompressedFiles(bool value);
  // Default false. Setting true runs DoPreCompressFiles, which compresses what is registered at that moment.
  bool PreCompressFiles() const { return FPreCompressFiles; }
  void SetPreCompressFiles(bool value);

  // Asked for a name that is not registered. Called without any lock held, so it may register what it produced.
  TKXResourceNeededEvent OnResourceNeeded() const;
  void SetOnResourceNeeded(TKXResourceNeededEvent handler);

  // Registers the embedded resource name under urlPath, replacing an entry of that name (its bytes, URL path and
  // compressed mark). A name without an embedded resource raises EKXException "Cannot find internal file: NAME".
  void Add(const std::string& name, const std::string& urlPath);
  // Registers the embedded readable variant name ("..._DBG") of a script under urlPath, to be served while
  // UseUncompressedFiles is true (registered now when it is, else when it becomes true), as those of the fixed
  // table are. A name without an embedded resource raises as Add.
  void AddReadable(const std::string& name, const std::string& urlPath);
  // Registers the bytes of stream the same way; the registry owns the stream from here on and never changes it.
  void AddStream(std::unique_ptr<TMemoryStream> stream, const std::string& name, const std::string& urlPath);
  // The whole file, read now; a file that cannot be read raises EFOpenError.
  void AddFromFile(const std::string& fileName, const std::string& name, const std::string& urlPath);

  // Whether ResourceAsStream would find an entry, without asking OnResourceNeeded.
  bool ResourceExists(const std::string& name) const;
  // A view of the entry's bytes (TCloneMemoryStream; EnableCache true, Compressed = the entry holds gzip data), or
  // the stream OnResourceNeeded supplied (its EnableCache, Compressed false). Raises
  // EKXInvalidResourceException "Resource NAME not found." when neither has it.
  std::unique_ptr<TStream> ResourceAsStream(const std::string& name, bool& enableCache, bool& compressed) const;
  // The same, but without acceptsGZip a compressed entry comes as its plain bytes (Compressed false): the bytes
  // it was compressed from, or, for bytes registered gzip-encoded, those inflated now (corrupt data raises
  // ECompressionError).
  std::unique_ptr<TStream> ResourceAsStream(const std::string& name, bool& enableCache, bool& compressed,
                                            bool acceptsGZip) const;
  std::unique_ptr<TStream> ResourceAsStream(const std::string& name) const;
  // The bytes as UTF-8 text (invalid sequences become U+FFFD); meant for uncompressed entries (page templates).
  std::string ResourceAsString(const std::string& name) const;
  // The sum of the sizes of the stored streams.
  std::int64_t GetTotalSize() const;

  // Writes every entry that has a URL path into folder + URL path ("\" taken for "/", doubled "/" collapsed),
  // creating missing folders, with the stored bytes (gzip data for compressed entries). Never overwrites an
  // existing file and never writes outside folder: an entry whose path would leave it ("..", a symbolic link to
  // elsewhere) is skipped, and so is an entry whose file cannot be created or written (a file left half-written is
  // deleted). Raises nothing for one file.
  void WriteAllToDisk(const std::string& folder) const;

  // Compresses with gzip at level 9, through KXCompressStreamProc, every entry named "KX_JS_..." or "KX_CSS_..."
  // (the "_DBG" entries too) that is not compressed yet; bytes that begin with the gzip signature 1F 8B (3 bytes at
  // least) are only marked compressed. A compression failure propagates and leaves that entry as it was.
  void DoPreCompressFiles();

  // A read-only stream over the embedded bytes of name (no copy; they live as long as the process). Raises
  // EKXException "Cannot find internal file: NAME" when no resource has that name.
  static std::unique_ptr<TCustomMemoryStream> GetResourceStream(const std::string& name);
  // The embedded bytes of name as UTF-8 text (invalid sequences become U+FFFD); raises as GetResourceStream.
  static std::string GetResourceStreamAsString(const std::string& name);

 protected:
  // Registers the embedded resource name (upper-cased here) under urlPath. Takes no lock: the caller holds the
  // write lock. Not dispatched to overrides from the constructor.
  virtual void InternalAdd(const std::string& name, const std::string& urlPath);
  // Stores stream under name (upper-cased here), replacing an entry of that name. Takes no lock.
  void InternalAddStream(std::unique_ptr<TCustomMemoryStream> stream, const std::string& name,
                         const std::string& urlPath);

 private:
  // The registered entry that a request for name gets (its "_DBG" variant first, see UseUncompressedFiles), or
  // nullptr. The caller holds the lock.
  const TInternalFile* FindFile(const std::string& name) const;
  // Registers the embedded ones among the readable script files; the caller holds the write lock.
  void AddUncompressedFiles();

  mutable TKXMREW FLock;
  std::atomic<bool> FUseUncompressedFiles{false};
  // The readable scripts that AddReadable registered (name, URL path); under FLock.
  std::vector<std::pair<std::string, std::string>> mReadableFiles;
  TKXResourceNeededEvent FOnResourceNeeded;
  std::atomic<bool> FPreCompressFiles{false};
  TKXStringList mFiles{true};  // upper-case name -> TInternalFile; sorted, ignoring case, duplicates raise
};

// The runtime's registry: nullptr until CreateInternalFiles ran, and again after FreeInternalFiles.
inline constexpr TKXRuntimeRef<&TKXRuntime::InternalFiles> gInternalFiles{};
// Start-up: creates gInternalFiles with the system files; does nothing when it exists. Control modules add their
// files afterwards. Call from the start-up sequence, before requests are served.
void CreateInternalFiles();
// Shut-down, after the last request: frees gInternalFiles. Streams handed out earlier stay valid.
void FreeInternalFiles();

}  // namespace kx
