// Cache files: content the server makes for a later request of the browser (a generated image, a download),
// kept in the server controller's cache folder and reached by a URL under "temp/". After its content every file
// carries a trailer: content type, cache type, href, content length and the marker "KXCACHE". TCacheStream writes
// such a file, TReadCacheFileStream reads one back, TKXAppCache holds the class operations that the application,
// forms and controls use. Builds on the typed streams, MakeTempFile, the internal files and the image output.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kx/appserver/ImageOutput.h"
#include "kx/foundation/Streams.h"
#include "kx/platform/StringLists.h"

namespace kx {

// How long a cache file lives; stored as one byte in the trailer.
enum TCacheType : std::uint8_t {
  ctOneTime,  // deleted once it was read
  ctApp,      // until the server controller ends
  ctSession,  // until the session ends
  ctForm      // until the form is destroyed
};

// The server controller's side of caching: the folder every cache file lives in and its list of ctApp files. The
// controller installs itself with TKXAppCache::SetController when created (after its cache folder exists) and, when
// it ends, clears its list with TKXAppCache::ClearCache and installs nullptr.
class IKXCacheController {
 public:
  // The full folder with a trailing "/".
  virtual std::string CacheDir() const = 0;
  // mCacheFiles. Any session thread may add to it: this module serialises its own changes to every cache list.
  virtual TStrings& CacheFiles() = 0;

 protected:
  ~IKXCacheController() = default;
};

// What the object a cache file is made for offers: the session object (TKXApplication) and the form implement it.
// Each clears its CacheFiles with TKXAppCache::ClearCache when it ends.
class IKXCacheOwner {
 public:
  // The session object the files belong to: a session answers itself, a form its WebApplication (nullptr while it
  // has none).
  virtual IKXCacheOwner* CacheSession() = 0;
  // Only a form may own ctForm files.
  virtual bool IsCacheForm() const = 0;
  // mCacheFiles, the full paths of the owner's files: ctSession files go to the session's, ctForm to the form's.
  virtual TStrings& CacheFiles() = 0;
  // The session's mInternalUrlBase ("/app/$/"); asked only of the object CacheSession returned.
  virtual std::string InternalUrlBase() const = 0;

 protected:
  ~IKXCacheOwner() = default;
};

// Writes one cache file: the caller writes the content through the helper and frees the stream, which appends the
// trailer. A stream freed while an exception unwinds, or whose trailer cannot be written, is not sealed: its file
// is deleted and taken off its owner's list, so a half-written file is never served.
class TCacheStream : public TStreamHelper {
 public:
  // Opens the existing file for reading and writing (deny-write sharing) at position 0. FileName is meant to lie in
  // the cache folder and end with ".tmp": the href is built from its name alone. Raises EKXException "Cache
  // owner must be specified.", "File \"<FileName>\" does not exist.", "Session object is not defined.", "KXForm
  // object is not defined." (ctForm for an owner that is no form), EFOpenError while another stream holds the file,
  // and Exception "Cache file \"<FileName>\" is already sealed." for a file that carries a trailer already.
  TCacheStream(IKXCacheOwner* Owner, const std::string& FileName, TCacheType CacheType);
  // Creates a new file "BRM..." ".tmp" in the cache folder, exclusively. Raises as above (owner checks first, so a
  // refused owner leaves no file) and EKXException "Cache folder is not defined." without a controller.
  TCacheStream(IKXCacheOwner* Owner, TCacheType CacheType);
  // Seals the file (see the class) unless Commit did. Never raises.
  ~TCacheStream() override;

  // Default "text/html; charset=UTF-8".
  const std::string& ContentType() const { return mContentType; }
  void SetContentType(const std::string& value) { mContentType = value; }
  TCacheType CacheType() const { return mCacheType; }
  IKXCacheOwner* Session() const { return mSession; }
  const std::string& FileName() const { return mFilename; }

  // The session's internal URL base + "temp/" + the file name without its ".tmp"; built once, then kept.
  const std::string& GetHref();
  // Writes the trailer now and releases the file to readers; the stream takes no more content. When the trailer
  // cannot be written the file is discarded as in the destructor and the error propagates. A second call does
  // nothing.
  void Commit();

 private:
  friend class TKXAppCache;

  struct TPrepared {
    std::unique_ptr<TFileStream> File;
    IKXCacheOwner* Session = nullptr;
    TStrings* List = nullptr;  // the owner list of the cache type; nullptr for ctOneTime
    bool Created = false;      // the file was made for this stream
  };

  // Creates the file fileName (a bare name) in the cache folder exclusively; when it exists, under
  // "BRM" + 13 random base-36 digits + stamp + counter + "_" + fileName instead. An empty name makes a
  // "BRM" + random digits + stamp + counter + ".tmp" file: generated names cannot be guessed from another's.
  TCacheStream(IKXCacheOwner* Owner, TCacheType CacheType, const std::string& NewName);
  TCacheStream(TPrepared prepared, TCacheType CacheType);

  static TPrepared OpenExisting(IKXCacheOwner* Owner, const std::string& FileName, TCacheType CacheType);
  static TPrepared CreateNew(IKXCacheOwner* Owner, TCacheType CacheType, const std::string& NewName);
  void WriteMetaData();
  // Deletes the file and takes it off the owner list; never raises.
  void Discard() noexcept;

  std::string mHref;
  IKXCacheOwner* mSession;
  std::string mContentType;
  TCacheType mCacheType;
  std::string mFilename;
  TFileStream* mFile;  // the helper's stream
  TStrings* mList;
  int mUncaughtExceptions;
  bool mDone = false;  // sealed or discarded
};

// Reads a cache file back: only its content is visible (Size, Read, Seek from the end). The trailer is checked
// before anything is read or allocated: the marker, 0 <= content length < file size, text lengths that fit the
// file exactly, a known cache type.
class TReadCacheFileStream : public TFileStream {
 public:
  // Opens the file read-only with deny-write sharing, so a file still being written is refused (EFOpenError).
  // Raises Exception "Invalid cache file" without the marker (also for a file under 19 bytes) and "Cache file is
  // corrupted" for any other trailer fault.
  explicit TReadCacheFileStream(const std::string& FileName);
  // Closes the file; a ctOneTime file is deleted unless GetCacheFileHref opened it.
  ~TReadCacheFileStream() override;

  // Reads at most up to the end of the content; 0 at or beyond it.
  std::int64_t Read(void* buffer, std::int64_t count) override;
  // soEnd counts from the end of the content.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  // The content length N.
  std::int64_t Size() const override { return mInnerSize; }
  // 0 is accepted and does nothing; any other size raises Exception "Stream is not resizable".
  void SetSize(std::int64_t newSize) override;

  const std::string& ContentType() const { return mContentType; }
  TCacheType CacheType() const { return mCacheType; }
  const std::string& Href() const { return mHref; }

  // The href in the file's trailer; the file stays, whatever its cache type.
  static std::string GetCacheFileHref(const std::string& FileName);

 private:
  void ReadCacheMetaData();

  std::int64_t mInnerSize = 0;
  std::string mContentType;
  TCacheType mCacheType = ctOneTime;
  std::string mHref;
  bool mDeleteFile = true;
};

// The class operations on cache files. Owner is a session object or a form; each returns the new file's href.
class TKXAppCache {
 public:
  TKXAppCache() = delete;

  // The calling thread's runtime's controller, whose folder and ctApp list the operations use; nullptr until one is
  // installed (and while no runtime exists). SetController raises Exception while no runtime exists.
  static IKXCacheController* Controller();
  static void SetController(IKXCacheController* controller);
  // The controller's CacheDir. Raises EKXException "Cache folder is not defined." without a controller.
  static std::string CacheDir();

  // A new, unused file name in the cache folder: "BRM" + 13 random base-36 digits (64 bits) + stamp + counter + Ext
  // (".tmp" when empty). The file is not created. An Ext holding "/", "\" or a control character raises Exception "Invalid file extension".
  static std::string NewTempFileName(const std::string& Ext);

  // A new cache file (TCacheStream's second constructor) with the content type set; Href is its href. The caller
  // writes the content into Stream and frees it, which seals the file.
  static void NewCacheStream(IKXCacheOwner* Owner, const std::string& ContentType, TCacheType CacheType,
                             std::unique_ptr<TCacheStream>& Stream, std::string& Href);
  // With a non-empty FileName: opens the existing file of that name part in the cache folder. A name that does not
  // end with ".tmp" (or cannot be a URL segment) is first renamed so that its href resolves, never over another
  // file. With an empty one, the variant above.
  static void NewCacheStream(IKXCacheOwner* Owner, const std::string& FileName, const std::string& ContentType,
                             TCacheType CacheType, std::unique_ptr<TCacheStream>& Stream, std::string& Href);
  static void NewAppCacheStream(IKXCacheOwner* Owner, const std::string& ContentType,
                                std::unique_ptr<TCacheStream>& Stream, std::string& Href);
  static void NewSessionCacheStream(IKXCacheOwner* Owner, const std::string& ContentType,
                                    std::unique_ptr<TCacheStream>& Stream, std::string& Href);
  static void NewFormCacheStream(IKXCacheOwner* Owner, const std::string& ContentType,
                                 std::unique_ptr<TCacheStream>& Stream, std::string& Href);

  // Makes the file a cache file. A missing file raises Exception "Can't add file \"<name>\" to cache. The file does
  // not exist.". A file outside the cache folder is copied in under its name + ".tmp"; an existing file of that
  // name is reused only when this owner's list holds it for the same cache type and it has the same content,
  // otherwise the copy takes a unique name. A file inside the cache folder is renamed to end with ".tmp" (never
  // over another file) and sealed; one that is sealed already keeps its trailer and gives its href.
  static std::string AddFileToCache(IKXCacheOwner* Owner, const std::string& FileName, const std::string& ContentType,
                                    TCacheType CacheType);
  // The whole of Stream (from position 0) as a new cache file, named after the name part of FileName (+ ".tmp")
  // when one is given and free, else "BRM....tmp". An existing file is never overwritten.
  static std::string StreamToCacheFile(IKXCacheOwner* Owner, TStream& Stream, const std::string& FileName,
                                       const std::string& ContentType, TCacheType CacheType);
  // The graphic converted by GraphicToStream, as "image/jpeg", "image/gif" or "image/png". A graphic that cannot be
  // converted raises EInvalidGraphic and leaves no file.
  static std::string GraphicToCacheFile(IKXCacheOwner* Owner, const TGraphic& Graphic, TKXImageOutput Output,
                                        TCacheType CacheType);
  // The same in the format GetImageType (Graphic, ForcePNG) chooses.
  static std::string GraphicToCacheFile(IKXCacheOwner* Owner, const TGraphic& Graphic, TCacheType CacheType,
                                        bool ForcePNG);
  // The framework's embedded resource of that name (case ignored). A missing one raises EKXException "Cannot find
  // internal file: NAME".
  static std::string ResourceToCacheFile(IKXCacheOwner* Owner, const std::string& ResourceName,
                                         const std::string& ContentType, TCacheType CacheType);

  // Deletes the listed files from the last entry to the first. An entry leaves the list when its file was deleted
  // or did not exist; one that cannot be deleted stays for a later attempt. Returns the count of entries left.
  // Never raises for a file.
  static std::int32_t ClearCache(TStrings& List);
  // Makes a process folder (named like a ProcessID) and writes into it the marker that RemoveStaleCacheFolders
  // looks for: the folder's name, the PID namespace of the process and the machine's name. True when the folder
  // exists and carries its marker; false when another process (of another machine sharing the disk) marked it
  // first, as two processes never share a folder. Never raises.
  static bool MakeProcessFolder(const std::string& folder);
  // Removes from parent the cache folders of processes that are gone, and only folders this library made: entries
  // named like a ProcessID that are folders (not links) owned by the effective user and hold the marker of
  // MakeProcessFolder, itself owned by that user, naming the folder, the calling process's PID namespace and its
  // machine, and whose process does not exist (kill(pid, 0) fails with ESRCH). A folder made in another PID namespace
  // or on another machine is never judged, a link is never followed, and a folder that cannot be removed stays.
  // Returns the number removed; never raises.
  static int RemoveStaleCacheFolders(const std::string& parent);
};

// The calling thread's current application as the owner of cache files; nullptr without one. Defined with the
// application (kx/appserver/Application.cpp), which the cache and the controller stand below.
IKXCacheOwner* CurrentCacheOwner();

}  // namespace kx
