// The stream classes every layer reads and writes through: the abstract TStream
// with its buffer and copy operations, memory streams (owned memory with a
// replaceable growth rule) and file streams over POSIX file descriptors.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "kx/platform/Classes.h"

namespace kx {

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
 public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Reads up to count bytes at the position and advances it; returns the bytes
  // read, fewer than count (0 included) only at the end of the stream.
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  // Writes count bytes at the position and advances it; returns the bytes written.
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // Returns the new position.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

  virtual std::int64_t Position() const = 0;
  void SetPosition(std::int64_t position) { Seek(position, soBeginning); }
  virtual std::int64_t Size() const = 0;
  virtual void SetSize(std::int64_t newSize) = 0;

  // Read/Write that insist on the full count: EReadError "Stream read error" /
  // EWriteError "Stream write error" otherwise.
  void ReadBuffer(void* buffer, std::int64_t count);
  void WriteBuffer(const void* buffer, std::int64_t count);

  // Copies count bytes of source, from its current position, to this stream.
  // A count of 0 or less copies all of source from its start. Returns the bytes
  // copied; a source that ends early raises EReadError.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

// A stream over one block of memory; descendants decide who owns it.
class TCustomMemoryStream : public TStream {
 public:
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Position() const override { return mPosition; }
  std::int64_t Size() const override { return mSize; }

  const void* Memory() const { return mMemory; }
  void* Memory() { return mMemory; }

  void SaveToStream(TStream& stream) const;
  // Creates (or truncates) the file and writes the whole stream into it.
  void SaveToFile(const std::string& fileName) const;

 protected:
  void SetPointer(void* memory, std::int64_t size);

  void* mMemory = nullptr;
  std::int64_t mSize = 0;
  std::int64_t mPosition = 0;
};

// A memory stream that owns and grows its memory. Growth goes through the
// virtual Realloc, so a descendant can choose its own capacity steps.
class TMemoryStream : public TCustomMemoryStream {
 public:
  TMemoryStream() = default;
  ~TMemoryStream() override;

  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // Growing zero-fills the new bytes; a position past the new end moves to the end.
  void SetSize(std::int64_t newSize) override;

  std::int64_t Capacity() const { return mCapacity; }
  void SetCapacity(std::int64_t newCapacity);

  // Empties the stream and frees its memory.
  void Clear();
  // Replaces the content by all of stream / the file (read with deny-write sharing).
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const std::string& fileName);

 protected:
  // Returns the memory for newCapacity bytes, which it may round up. This rule:
  // a capacity above 0 that differs from the size is rounded up to a multiple
  // of 8192; 0 frees the memory.
  virtual void* Realloc(std::int64_t& newCapacity);
  // Resizes the block to exactly newCapacity bytes (0 frees it). Failure raises
  // EStreamError "Out of memory while expanding memory stream".
  void* ReallocMemory(std::int64_t newCapacity);

 private:
  std::int64_t mCapacity = 0;
};

// Open modes and share modes of TFileStream, combined with "|".
enum : std::uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  // With fmCreate: fail when the file exists (O_EXCL) and never follow a symbolic link.
  fmExclusive = 0x0004,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyNone = 0x0040,
  // Creates the file, or truncates an existing one, for reading and writing.
  fmCreate = 0xFF00,
};

// A stream over a file. Linux has no mandatory share modes; they become
// advisory flock locks taken without waiting: fmShareExclusive, or any share
// mode other than deny-none with write access, takes an exclusive lock;
// read access with fmShareDenyWrite takes a shared one.
class TFileStream : public TStream {
 public:
  // Failure raises EFCreateError "Cannot create file \"name\". <system text>"
  // (fmCreate) or EFOpenError "Cannot open file \"name\". <system text>".
  TFileStream(const std::string& fileName, std::uint16_t mode);
  ~TFileStream() override;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // An offset that leads before the start raises EOSError.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Position() const override;
  std::int64_t Size() const override;
  void SetSize(std::int64_t newSize) override;

  const std::string& FileName() const { return mFileName; }
  int Handle() const { return mHandle; }

 protected:
  // Takes over an open descriptor: {file name, handle}.
  explicit TFileStream(std::pair<std::string, int> file);
  // Opens (or creates) the file and takes its lock; -1 with errno set on failure.
  static int OpenHandle(const std::string& fileName, std::uint16_t mode);
  [[noreturn]] static void RaiseOpenError(const std::string& fileName, std::uint16_t mode, int errorCode);
  // Closes the file now (descendants that delete it afterwards); idempotent.
  void CloseHandle();

 private:
  std::string mFileName;
  int mHandle = -1;
};

}  // namespace kx
