#include "kx/foundation/Streams.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>

#include "kx/foundation/AppInfo.h"
#include "kx/foundation/RuntimeSlots.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

constexpr std::int64_t kMaxReadLineLength = 32768;
constexpr std::int64_t kFindStringBlockSize = 4096;

// Puts the stream back where it was, however the scope is left.
class TPositionKeeper {
 public:
  explicit TPositionKeeper(TStream& stream) : mStream(stream), mPosition(stream.Position()) {}
  ~TPositionKeeper() {
    try {
      mStream.SetPosition(mPosition);
    } catch (...) {
    }
  }
  TPositionKeeper(const TPositionKeeper&) = delete;
  TPositionKeeper& operator=(const TPositionKeeper&) = delete;

 private:
  TStream& mStream;
  std::int64_t mPosition;
};

void MakeValidUtf8(std::string& text) {
  if (!IsValidUtf8(text)) text = SanitizeUtf8(text);
}

template <class T>
void PutLittleEndian(std::uint8_t* bytes, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) bytes[i] = std::uint8_t(std::uint64_t(value) >> (8 * i));
}

template <class T>
T GetLittleEndian(const std::uint8_t* bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) value |= std::uint64_t(bytes[i]) << (8 * i);
  return T(value);
}

// text in UTF-16 code units of the given byte order.
std::string EncodeUtf16(std::string_view text, bool bigEndian) {
  std::string out;
  auto put = [&](char16_t unit) {
    char high = char(unit >> 8), low = char(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  };
  for (char32_t cp : Utf8ToCodePoints(text)) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(char16_t(0xD800 + (cp >> 10)));
      put(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
      put(char16_t(cp));
    }
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// TStreamHelper

TStreamHelper::TStreamHelper(TStream* stream, bool freeStream) : mFreeStream(freeStream), mStream(stream) {}

TStreamHelper::TStreamHelper(std::unique_ptr<TStream> stream) : TStreamHelper(stream.release(), true) {}

TStreamHelper::~TStreamHelper() {
  if (mFreeStream) delete mStream;
}

void TStreamHelper::WriteByte(std::uint8_t value) { mStream->WriteBuffer(&value, 1); }

void TStreamHelper::WriteBoolean(bool value) { WriteByte(value ? 1 : 0); }

void TStreamHelper::WriteWord(std::uint16_t value) {
  std::uint8_t bytes[2];
  PutLittleEndian(bytes, value);
  mStream->WriteBuffer(bytes, 2);
}

void TStreamHelper::WriteInteger(std::int32_t value) {
  std::uint8_t bytes[4];
  PutLittleEndian(bytes, value);
  mStream->WriteBuffer(bytes, 4);
}

void TStreamHelper::WriteInt64(std::int64_t value) {
  std::uint8_t bytes[8];
  PutLittleEndian(bytes, value);
  mStream->WriteBuffer(bytes, 8);
}

void TStreamHelper::WriteDouble(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, 8);
  WriteInt64(std::int64_t(bits));
}

void TStreamHelper::WriteText(std::string_view text) {
  if (text.size() > std::size_t(INT32_MAX)) throw EWriteError("Stream write error");
  WriteInteger(std::int32_t(text.size()));
  Write(text);
}

void TStreamHelper::WriteAnsiText(std::string_view latin1) { WriteText(Latin1ToUtf8(latin1)); }

void TStreamHelper::WriteStrings(const TStrings& strings) {
  WriteInteger(strings.Count());
  for (int i = 0; i < strings.Count(); ++i) WriteText(strings.Strings(i));
}

void TStreamHelper::WriteStrings(std::span<const std::string> strings) {
  if (strings.size() > std::size_t(INT32_MAX)) throw EWriteError("Stream write error");
  WriteInteger(std::int32_t(strings.size()));
  for (const std::string& s : strings) WriteText(s);
}

void TStreamHelper::Write(std::string_view text) { mStream->WriteBuffer(text.data(), std::int64_t(text.size())); }

void TStreamHelper::WriteLine(std::string_view text) {
  Write(text);
  Write("\r\n");
}

std::int64_t TStreamHelper::BytesLeft() const {
  return std::max<std::int64_t>(0, mStream->Size() - mStream->Position());
}

void TStreamHelper::ReadFixed(std::uint8_t* bytes, std::int64_t count) {
  std::memset(bytes, 0, std::size_t(count));
  mStream->Read(bytes, count);
}

void TStreamHelper::CheckCount(std::int64_t needed) const {
  if (needed > BytesLeft()) throw Exception("Packet is truncated or corrupt.");
}

std::uint8_t TStreamHelper::ReadByte() {
  std::uint8_t value;
  ReadFixed(&value, 1);
  return value;
}

bool TStreamHelper::ReadBoolean() { return ReadByte() == 1; }

std::uint16_t TStreamHelper::ReadWord() {
  std::uint8_t bytes[2];
  ReadFixed(bytes, 2);
  return GetLittleEndian<std::uint16_t>(bytes);
}

std::int32_t TStreamHelper::ReadInteger() {
  std::uint8_t bytes[4];
  ReadFixed(bytes, 4);
  return GetLittleEndian<std::int32_t>(bytes);
}

std::int64_t TStreamHelper::ReadInt64() {
  std::uint8_t bytes[8];
  ReadFixed(bytes, 8);
  return GetLittleEndian<std::int64_t>(bytes);
}

double TStreamHelper::ReadDouble() {
  std::uint64_t bits = std::uint64_t(ReadInt64());
  double value;
  std::memcpy(&value, &bits, 8);
  return value;
}

std::string TStreamHelper::ReadText() {
  std::int32_t count = ReadInteger();
  if (count < 1) return {};
  CheckCount(count);
  std::string text(std::size_t(count), '\0');
  text.resize(std::size_t(mStream->Read(text.data(), count)));
  MakeValidUtf8(text);
  return text;
}

std::string TStreamHelper::ReadAnsiText() { return Utf8ToLatin1(ReadText()); }

int TStreamHelper::ReadStrings(TStrings& strings) {
  std::int32_t count = std::max(ReadInteger(), 0);
  CheckCount(std::int64_t(count) * 4);  // each text takes at least its count
  for (std::int32_t i = 0; i < count; ++i) strings.Add(ReadText());
  return count;
}

std::string TStreamHelper::ReadLine() {
  std::string line;
  std::uint8_t previous = 0, byte;
  while (mStream->Read(&byte, 1) == 1) {
    if (previous == '\r' && byte == '\n') {
      line.pop_back();
      break;
    }
    if (std::int64_t(line.size()) > kMaxReadLineLength) throw Exception("Max ReadLine length exceeded.");
    line += char(byte);
    previous = byte;
  }
  MakeValidUtf8(line);
  return line;
}

std::string TStreamHelper::GetAsString() {
  TPositionKeeper keeper(*mStream);
  mStream->SetPosition(0);
  std::string text(std::size_t(std::max<std::int64_t>(mStream->Size(), 0)), '\0');
  text.resize(std::size_t(mStream->Read(text.data(), std::int64_t(text.size()))));
  MakeValidUtf8(text);
  return text;
}

std::int64_t TStreamHelper::CopyFrom(TStream* source, std::int64_t count) {
  if (!source) throw Exception("Source stream is not defined.");
  return mStream->CopyFrom(*source, count);
}

void TStreamHelper::CopyTo(void* buffer, std::int64_t bufferSize) {
  if (mStream->Size() > bufferSize) throw Exception("aBytes is not large enough to hold stream.");
  CopyToBuffer(buffer);
}

void TStreamHelper::CopyTo(std::span<std::uint8_t> bytes) { CopyTo(bytes.data(), std::int64_t(bytes.size())); }

void TStreamHelper::CopyToBuffer(void* buffer) {
  TPositionKeeper keeper(*mStream);
  mStream->SetPosition(0);
  mStream->ReadBuffer(buffer, mStream->Size());
}

void TStreamHelper::CopyToFile(const std::string& fileName) {
  TPositionKeeper keeper(*mStream);
  auto file = std::make_unique<TFileStream>(fileName, fmCreate | fmShareDenyWrite);
  try {
    file->CopyFrom(*mStream, 0);
  } catch (...) {
    file.reset();
    ::unlink(fileName.c_str());
    throw;
  }
}

std::int64_t TStreamHelper::FindString(std::string_view text, std::int64_t startPos, std::int64_t endPos) {
  if (text.empty()) return -1;
  TPositionKeeper keeper(*mStream);

  std::uint8_t bom[2] = {};
  mStream->SetPosition(0);
  mStream->Read(bom, 2);
  std::string needle;
  if (bom[0] == 0xFF && bom[1] == 0xFE)
    needle = EncodeUtf16(text, false);
  else if (bom[0] == 0xFE && bom[1] == 0xFF)
    needle = EncodeUtf16(text, true);
  else
    needle = std::string(text);

  // A block at least twice the text long, and an overlap of one byte less than
  // the text, so every turn advances and a match across two blocks is seen.
  const std::int64_t blockSize = std::max<std::int64_t>(kFindStringBlockSize, 2 * std::int64_t(needle.size()));
  std::string block(std::size_t(blockSize), '\0');
  mStream->SetPosition(std::max<std::int64_t>(startPos, 0));
  for (;;) {
    std::int64_t blockStart = mStream->Position();
    std::int64_t n = mStream->Read(block.data(), blockSize);
    std::size_t found = std::string_view(block.data(), std::size_t(n)).find(needle);
    if (found != std::string_view::npos) return blockStart + std::int64_t(found) + 1;
    if (n < blockSize) return -1;
    if (endPos > 0 && mStream->Position() >= endPos) return -1;
    mStream->Seek(-(std::int64_t(needle.size()) - 1), soCurrent);
  }
}

// ---------------------------------------------------------------------------
// TTempFileStream

namespace {

// The folder of temporary files belongs to a runtime: the uploads and spilled bodies of one application never land
// in another's folder. A process without a runtime keeps one of its own.
struct TTempPathState {
  std::mutex Lock;
  std::string Path;
};

TTempPathState gProcessTempPath;

TTempPathState& TempPathState() {
  TKXRuntimeSlots* runtime = TKXRuntimeSlots::Current();
  return runtime ? runtime->Slot<TTempPathState>() : gProcessTempPath;
}

}  // namespace

std::pair<std::string, int> TTempFileStream::CreateUniqueFile(const std::string& prefix, const std::string& folder) {
  constexpr std::uint16_t kMode = fmCreate | fmExclusive | fmShareDenyWrite;
  constexpr int kAttempts = 100;
  std::string path = folder.empty() ? TTempFileStream::GetTempPath() : folder;
  std::string name;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    name = MakeTempFile(path, prefix);
    int handle = OpenHandle(name, kMode);
    if (handle >= 0) return {name, handle};
    if (errno != EEXIST) break;
  }
  RaiseOpenError(name, kMode, errno);
}

TTempFileStream::TTempFileStream(bool deleteFile, const std::string& prefix, const std::string& folder)
    : TTempFileStream(deleteFile, CreateUniqueFile(prefix, folder)) {}

TTempFileStream::TTempFileStream(bool deleteFile, std::pair<std::string, int> file)
    : TFileStream(std::move(file)), mDeleteFile(deleteFile) {}

TTempFileStream::~TTempFileStream() {
  CloseHandle();
  if (mDeleteFile) ::unlink(FileName().c_str());
}

std::string TTempFileStream::GetTempPath() {
  TTempPathState& state = TempPathState();
  std::lock_guard<std::mutex> lock(state.Lock);
  return state.Path;
}

void TTempFileStream::SetTempPath(const std::string& path) {
  TTempPathState& state = TempPathState();
  std::lock_guard<std::mutex> lock(state.Lock);
  state.Path = path;
}

// ---------------------------------------------------------------------------
// TReadFileStream

TReadFileStream::TReadFileStream(const std::string& fileName, bool deleteFile)
    : TFileStream(fileName, fmOpenRead | fmShareDenyWrite), mDeleteFile(deleteFile) {}

TReadFileStream::~TReadFileStream() {
  CloseHandle();
  if (mDeleteFile) ::unlink(FileName().c_str());
}

// ---------------------------------------------------------------------------
// TPointerStream

TPointerStream::TPointerStream(const void* memory, std::int64_t size) { SetPointer(const_cast<void*>(memory), size); }

std::int64_t TPointerStream::Write(const void*, std::int64_t) {
  throw Exception("TPointerStream classes cannot be reallocated.");
}

void TPointerStream::SetSize(std::int64_t) { throw Exception("TPointerStream classes cannot be reallocated."); }

// ---------------------------------------------------------------------------
// TKXMemoryStream

TKXMemoryStream::TKXMemoryStream(std::int64_t initialCapacity) {
  SetCapacity(initialCapacity < 1 ? 1024 : initialCapacity);
}

std::unique_ptr<TKXMemoryStream> TKXMemoryStream::CreateCopy(TStream* source, std::int64_t count) {
  if (!source) return nullptr;
  auto copy = std::make_unique<TKXMemoryStream>(count <= 0 ? source->Size() : count);
  copy->CopyFrom(*source, count);
  copy->SetPosition(0);
  return copy;
}

void* TKXMemoryStream::Realloc(std::int64_t& newCapacity) {
  constexpr std::int64_t kFirstStep = 1024, kStep = 8192;
  if (newCapacity > 0 && newCapacity != mSize)
    newCapacity = newCapacity > kFirstStep ? (newCapacity + kStep - 1) / kStep * kStep : kFirstStep;
  return ReallocMemory(newCapacity);
}

// ---------------------------------------------------------------------------
// THsmStream

namespace {
constexpr std::int64_t kMaxHsmPosition = INT32_MAX;
constexpr std::int64_t kDoublingFrom = 64 * 1024;
}

THsmStream::THsmStream(std::int32_t flushSize, bool transient)
    : mInnerStream(std::make_unique<TKXMemoryStream>(0)), mFlushSize(flushSize), mTransient(transient) {}

THsmStream::~THsmStream() = default;

void THsmStream::CheckPosition(std::int64_t position) {
  if (position < 0 || position > kMaxHsmPosition) throw EStreamError("HsmStream position out of range.");
}

std::int64_t THsmStream::Read(void* buffer, std::int64_t count) { return mInnerStream->Read(buffer, count); }

std::int64_t THsmStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  std::int64_t position = mInnerStream->Position();
  CheckPosition(position + count);
  if (!mIsFlushed && position + count > mFlushSize) {
    Flush(std::min(position, mInnerStream->Size()), 0);
    mInnerStream->SetPosition(position);
  }
  if (!mIsFlushed) {
    // Past kDoublingFrom the memory doubles rather than growing by 8 KB steps,
    // so that a body of megabytes is not moved again and again as it grows.
    auto* memory = static_cast<TMemoryStream*>(mInnerStream.get());
    const std::int64_t end = position + count;
    if (end > memory->Capacity() && memory->Capacity() >= kDoublingFrom)
      memory->SetCapacity(std::min<std::int64_t>(std::max(end, 2 * memory->Capacity()), mFlushSize));
  }
  return mInnerStream->Write(buffer, count);
}

std::int64_t THsmStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t target = offset;
  if (origin == soCurrent) target += mInnerStream->Position();
  if (origin == soEnd) target += mInnerStream->Size();
  CheckPosition(target);
  return mInnerStream->Seek(target, soBeginning);
}

std::int64_t THsmStream::Position() const { return mInnerStream->Position(); }

std::int64_t THsmStream::Size() const { return mInnerStream->Size(); }

void THsmStream::SetSize(std::int64_t newSize) {
  CheckPosition(newSize);
  if (!mIsFlushed && newSize > mFlushSize) {
    std::int64_t position = mInnerStream->Position();
    Flush();
    mInnerStream->SetPosition(position);
  }
  mInnerStream->SetSize(newSize);
}

void THsmStream::SetTransient(bool transient) {
  mTransient = transient;
  if (mIsFlushed) static_cast<TTempFileStream*>(mInnerStream.get())->SetDeleteFile(transient);
}

void THsmStream::Flush() { Flush(mInnerStream->Size()); }

void THsmStream::Flush(std::int64_t count) {
  if (mIsFlushed) throw Exception("HsmStream already flushed.");
  Flush(count, 0);
}

void THsmStream::Flush(std::int64_t count, std::int64_t fromPosition) {
  // Deleted if the copy fails; kept afterwards only as Transient says.
  auto file = std::make_unique<TTempFileStream>(true, "BRM");
  if (count > 0) {
    mInnerStream->SetPosition(fromPosition);
    file->CopyFrom(*mInnerStream, count);
  }
  file->SetDeleteFile(mTransient);
  // The content now lives in the new file: an earlier one is of no use to anyone.
  if (mIsFlushed) static_cast<TTempFileStream*>(mInnerStream.get())->SetDeleteFile(true);
  mPathname = file->FileName();
  mInnerStream = std::move(file);
  mIsFlushed = true;
}

void THsmStream::SaveToFile(const std::string& fileName) {
  TPositionKeeper keeper(*mInnerStream);
  TFileStream file(fileName, fmCreate);
  file.CopyFrom(*mInnerStream, 0);
}

// ---------------------------------------------------------------------------
// TKXRenderStream

TKXRenderStream::TKXRenderStream(bool ownsStream, bool transient, std::int32_t flushSize)
    : TStreamHelper(new THsmStream(flushSize, transient), ownsStream) {
  mHsmStream = static_cast<THsmStream*>(Stream());
}

}  // namespace kx
