#include "kx/platform/Streams.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kx {

// ---------------------------------------------------------------------------
// TStream

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count <= 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  constexpr std::int64_t kMaxBufferSize = 0xF000;
  std::vector<char> buffer(std::size_t(std::min(count, kMaxBufferSize)));
  std::int64_t result = count;
  while (count > 0) {
    std::int64_t n = std::min(count, kMaxBufferSize);
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    count -= n;
  }
  return result;
}

// ---------------------------------------------------------------------------
// TCustomMemoryStream

std::int64_t TCustomMemoryStream::Read(void* buffer, std::int64_t count) {
  if (mPosition < 0 || count <= 0 || mPosition >= mSize) return 0;
  std::int64_t n = std::min(count, mSize - mPosition);
  std::memcpy(buffer, static_cast<const char*>(mMemory) + mPosition, std::size_t(n));
  mPosition += n;
  return n;
}

std::int64_t TCustomMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case soBeginning: mPosition = offset; break;
    case soCurrent: mPosition += offset; break;
    case soEnd: mPosition = mSize + offset; break;
  }
  return mPosition;
}

void TCustomMemoryStream::SetPointer(void* memory, std::int64_t size) {
  mMemory = memory;
  mSize = size;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) const { stream.WriteBuffer(mMemory, mSize); }

void TCustomMemoryStream::SaveToFile(const std::string& fileName) const {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

// ---------------------------------------------------------------------------
// TMemoryStream

TMemoryStream::~TMemoryStream() { std::free(mMemory); }

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (mPosition < 0 || count <= 0) return 0;
  std::int64_t end = mPosition + count;
  if (end > mSize) {
    if (end > mCapacity) SetCapacity(end);
    if (mPosition > mSize) std::memset(static_cast<char*>(mMemory) + mSize, 0, std::size_t(mPosition - mSize));
    mSize = end;
  }
  std::memcpy(static_cast<char*>(mMemory) + mPosition, buffer, std::size_t(count));
  mPosition = end;
  return count;
}

void TMemoryStream::SetSize(std::int64_t newSize) {
  if (newSize < 0) newSize = 0;
  std::int64_t oldSize = mSize;
  SetCapacity(newSize);
  if (newSize > oldSize) std::memset(static_cast<char*>(mMemory) + oldSize, 0, std::size_t(newSize - oldSize));
  mSize = newSize;
  if (mPosition > newSize) mPosition = newSize;
}

void TMemoryStream::SetCapacity(std::int64_t newCapacity) {
  void* memory = Realloc(newCapacity);
  mMemory = memory;
  mCapacity = newCapacity;
  if (mSize > mCapacity) mSize = mCapacity;
}

void TMemoryStream::Clear() {
  SetCapacity(0);
  mSize = 0;
  mPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  std::int64_t count = stream.Size();
  SetSize(count);
  if (count != 0) stream.ReadBuffer(mMemory, count);
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void* TMemoryStream::Realloc(std::int64_t& newCapacity) {
  constexpr std::int64_t kMemoryDelta = 8192;
  if (newCapacity > 0 && newCapacity != mSize)
    newCapacity = (newCapacity + kMemoryDelta - 1) / kMemoryDelta * kMemoryDelta;
  return ReallocMemory(newCapacity);
}

void* TMemoryStream::ReallocMemory(std::int64_t newCapacity) {
  if (newCapacity == mCapacity) return mMemory;
  if (newCapacity <= 0) {
    std::free(mMemory);
    return nullptr;
  }
  void* memory = std::realloc(mMemory, std::size_t(newCapacity));
  if (!memory) throw EStreamError("Out of memory while expanding memory stream");
  return memory;
}

// ---------------------------------------------------------------------------
// TFileStream

namespace {

bool HasWriteAccess(std::uint16_t mode) {
  return (mode & 0xFF00) == fmCreate || (mode & 0x0003) != fmOpenRead;
}

int LockFor(std::uint16_t mode) {
  std::uint16_t share = mode & 0x00F0;
  if (share == fmShareExclusive) return LOCK_EX;
  if (share == fmShareDenyWrite) return HasWriteAccess(mode) ? LOCK_EX : LOCK_SH;
  return 0;  // deny-none or compatibility mode: no lock
}

}  // namespace

int TFileStream::OpenHandle(const std::string& fileName, std::uint16_t mode) {
  bool create = (mode & 0xFF00) == fmCreate;
  int flags = O_CLOEXEC;
  mode_t permissions = 0666;
  if (create) {
    flags |= O_RDWR | O_CREAT;
    if (mode & fmExclusive) {
      flags |= O_EXCL | O_NOFOLLOW;
      permissions = 0600;
    }
  } else {
    switch (mode & 0x0003) {
      case fmOpenWrite: flags |= O_WRONLY; break;
      case fmOpenReadWrite: flags |= O_RDWR; break;
      default: flags |= O_RDONLY; break;
    }
  }
  int handle = ::open(fileName.c_str(), flags, permissions);
  if (handle < 0) return -1;
  int lock = LockFor(mode);
  if (lock != 0 && ::flock(handle, lock | LOCK_NB) != 0) {
    int error = errno;
    ::close(handle);
    errno = error;
    return -1;
  }
  // Truncate only once the lock is ours, so a refused open leaves the file intact.
  if (create && !(mode & fmExclusive) && ::ftruncate(handle, 0) != 0) {
    int error = errno;
    ::close(handle);
    errno = error;
    return -1;
  }
  return handle;
}

void TFileStream::RaiseOpenError(const std::string& fileName, std::uint16_t mode, int errorCode) {
  if ((mode & 0xFF00) == fmCreate)
    throw EFCreateError(Format("Cannot create file \"%s\". %s", fileName, SysErrorMessage(errorCode)));
  throw EFOpenError(Format("Cannot open file \"%s\". %s", fileName, SysErrorMessage(errorCode)));
}

TFileStream::TFileStream(const std::string& fileName, std::uint16_t mode) : mFileName(fileName) {
  mHandle = OpenHandle(fileName, mode);
  if (mHandle < 0) RaiseOpenError(fileName, mode, errno);
}

TFileStream::TFileStream(std::pair<std::string, int> file) : mFileName(std::move(file.first)), mHandle(file.second) {}

TFileStream::~TFileStream() { CloseHandle(); }

void TFileStream::CloseHandle() {
  if (mHandle >= 0) ::close(mHandle);
  mHandle = -1;
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  std::int64_t done = 0;
  while (done < count) {
    ssize_t n = ::read(mHandle, static_cast<char*>(buffer) + done, std::size_t(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  std::int64_t done = 0;
  while (done < count) {
    ssize_t n = ::write(mHandle, static_cast<const char*>(buffer) + done, std::size_t(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  off_t result = ::lseek(mHandle, off_t(offset), whence);
  if (result < 0) RaiseLastOSError();
  return result;
}

std::int64_t TFileStream::Position() const { return ::lseek(mHandle, 0, SEEK_CUR); }

std::int64_t TFileStream::Size() const {
  struct stat info;
  return ::fstat(mHandle, &info) == 0 ? std::int64_t(info.st_size) : 0;
}

void TFileStream::SetSize(std::int64_t newSize) {
  if (::ftruncate(mHandle, off_t(newSize)) != 0) RaiseLastOSError();
  if (Position() > newSize) Seek(0, soEnd);
}

}  // namespace kx
