// Typed streams: TStreamHelper reads and writes the little-endian values and
// UTF-8 texts of the packet layout on any TStream; THsmStream keeps data in
// memory up to a threshold and then moves it to a temporary file; the concrete
// stores (temporary, read, pointer and memory streams); TKXRenderStream, the
// output buffer of rendering. Builds on platform/Streams.h and MakeTempFile.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "kx/platform/StringLists.h"
#include "kx/platform/Streams.h"

namespace kx {

// Writes and reads typed values at the stream's position. Layout: integers
// little-endian; a boolean one byte (1 true, 0 false); a text an int32 byte
// count N and N UTF-8 bytes, N <= 0 meaning the empty text; a string list an
// int32 count and that many texts.
//
// Fixed-size readers never fail: at the end of the stream the bytes missing
// read as zero (0, false). Counted readers never trust their count: a text or
// list that claims more bytes than are left raises Exception "Packet is
// truncated or corrupt." before allocating anything.
class TStreamHelper : public TObject {
 public:
  // With freeStream set the helper deletes stream when it is destroyed.
  TStreamHelper(TStream* stream, bool freeStream);
  explicit TStreamHelper(std::unique_ptr<TStream> stream);
  ~TStreamHelper() override;
  TStreamHelper(const TStreamHelper&) = delete;
  TStreamHelper& operator=(const TStreamHelper&) = delete;

  bool FreeStream() const { return mFreeStream; }
  TStream* Stream() const { return mStream; }

  void WriteByte(std::uint8_t value);
  void WriteBoolean(bool value);
  void WriteWord(std::uint16_t value);
  void WriteInteger(std::int32_t value);
  void WriteInt64(std::int64_t value);
  void WriteDouble(double value);
  // The empty text writes only the count 0. Raises EWriteError for a text of 2 GB or more.
  void WriteText(std::string_view text);
  // An 8-bit (Latin-1) string, written as the text of the same characters.
  void WriteAnsiText(std::string_view latin1);
  void WriteStrings(const TStrings& strings);
  void WriteStrings(std::span<const std::string> strings);
  // The UTF-8 bytes of text with no count (nothing for the empty text).
  void Write(std::string_view text);
  // Write(text) followed by CR LF.
  void WriteLine(std::string_view text);

  std::uint8_t ReadByte();
  // True only for the byte value 1.
  bool ReadBoolean();
  std::uint16_t ReadWord();
  std::int32_t ReadInteger();
  std::int64_t ReadInt64();
  double ReadDouble();
  // Invalid UTF-8 comes back with U+FFFD in its place.
  std::string ReadText();
  // The text as an 8-bit (Latin-1) string; characters above U+00FF become "?".
  std::string ReadAnsiText();
  // Appends each text with Add (the list is not cleared first) and returns the
  // count read; a negative count reads as 0 items.
  int ReadStrings(TStrings& strings);
  // Bytes up to CR LF (the pair is consumed, not returned); a lone CR or LF
  // is part of the line. At the end of the stream the bytes read so far are the
  // line. A line over 32768 bytes raises "Max ReadLine length exceeded.".
  std::string ReadLine();

  // The whole stream as UTF-8 text; the position is kept.
  std::string GetAsString();
  // Platform CopyFrom into the wrapped stream (count <= 0: all of source from
  // its start). A null source raises "Source stream is not defined.".
  std::int64_t CopyFrom(TStream* source, std::int64_t count);
  // The whole stream from position 0 into the buffer; a stream larger than the
  // buffer raises "aBytes is not large enough to hold stream.". The position is kept.
  void CopyTo(void* buffer, std::int64_t bufferSize);
  void CopyTo(std::span<std::uint8_t> bytes);
  // As CopyTo, without a size check: the caller guarantees room for Size() bytes.
  void CopyToBuffer(void* buffer);
  // Creates the file (deny-write) and copies the whole stream into it; a file
  // left half-written by a failure is deleted. The position is kept.
  void CopyToFile(const std::string& fileName);
  // 1-based byte position (block start + index) of text at or after startPos,
  // or -1. The search reads 4096-byte blocks (larger for long texts), stops at
  // the end of the stream or, with endPos > 0, once the position reached endPos.
  // A byte-order mark at the stream's start selects UTF-16 (LE or BE) for the
  // text; otherwise it is searched as UTF-8. The position is kept.
  std::int64_t FindString(std::string_view text, std::int64_t startPos, std::int64_t endPos);

 private:
  std::int64_t BytesLeft() const;
  // Reads up to N bytes; those missing stay zero.
  void ReadFixed(std::uint8_t* bytes, std::int64_t count);
  void CheckCount(std::int64_t needed) const;

  bool mFreeStream;
  TStream* mStream;
};

// A file in a temporary folder, named folder + prefix + process stamp +
// counter + ".tmp" and created exclusively (mode 0600, never through a symbolic
// link); a name already taken is skipped for the next one.
class TTempFileStream : public TFileStream {
 public:
  // An empty folder means TempPath; an empty TempPath raises
  // "MakeTempFile: No path was provided".
  TTempFileStream(bool deleteFile, const std::string& prefix, const std::string& folder = "");
  // Closes the file, then deletes it when DeleteFile is set.
  ~TTempFileStream() override;

  bool DeleteFile() const { return mDeleteFile; }
  void SetDeleteFile(bool deleteFile) { mDeleteFile = deleteFile; }

  // The folder for temporary files of the calling thread's runtime (of the
  // process when there is none); empty until the application server sets it.
  static std::string GetTempPath();
  static void SetTempPath(const std::string& path);

 private:
  TTempFileStream(bool deleteFile, std::pair<std::string, int> file);
  // The name and descriptor of a new file; retries with the next name when one exists.
  static std::pair<std::string, int> CreateUniqueFile(const std::string& prefix, const std::string& folder);

  bool mDeleteFile;
};

// A file opened read-only with deny-write sharing.
class TReadFileStream : public TFileStream {
 public:
  TReadFileStream(const std::string& fileName, bool deleteFile);
  // Closes the file, then deletes it when DeleteFile is set.
  ~TReadFileStream() override;

  bool DeleteFile() const { return mDeleteFile; }

 private:
  bool mDeleteFile;
};

// A read-only view of caller memory, not copied. Writing or resizing raises
// "TPointerStream classes cannot be reallocated.".
class TPointerStream : public TCustomMemoryStream {
 public:
  TPointerStream(const void* memory, std::int64_t size);

  std::int64_t Write(const void* buffer, std::int64_t count) override;
  void SetSize(std::int64_t newSize) override;
};

// A memory stream that grows to 1024 bytes first and then in steps of 8192.
class TKXMemoryStream : public TMemoryStream {
 public:
  // A capacity below 1 becomes 1024.
  explicit TKXMemoryStream(std::int64_t initialCapacity);

  // A copy of count bytes of source (count <= 0: all of source from its start;
  // otherwise from its current position), positioned at 0. Null for a null source.
  static std::unique_ptr<TKXMemoryStream> CreateCopy(TStream* source, std::int64_t count);

 protected:
  // A capacity C above 0 that differs from the size becomes 1024 when C <= 1024,
  // else C rounded up to a multiple of 8192; 0 frees the memory.
  void* Realloc(std::int64_t& newCapacity) override;
};

// Hybrid storage: memory until a write would end beyond FlushSize, then the
// content moves once, never back, into a TTempFileStream ("BRM" in TempPath).
// Positions and sizes are limited to 2 GB - 1: beyond that raises EStreamError
// "HsmStream position out of range.".
class THsmStream : public TStream {
 public:
  // With transient set the temporary file is deleted with the stream; without,
  // it is left on disk for whoever receives its name.
  THsmStream(std::int32_t flushSize, bool transient);
  ~THsmStream() override;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  // A write at position P ending beyond FlushSize first moves bytes 0..P-1 to a
  // file; a write that ends exactly at FlushSize stays in memory.
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Position() const override;
  std::int64_t Size() const override;
  // A size beyond FlushSize moves everything to a file first.
  void SetSize(std::int64_t newSize) override;

  // The current store: a TKXMemoryStream, later a TTempFileStream.
  TStream* InnerStream() const { return mInnerStream.get(); }
  std::int32_t FlushSize() const { return mFlushSize; }
  bool IsFlushed() const { return mIsFlushed; }
  // The temporary file's full name once flushed, else empty.
  const std::string& Pathname() const { return mPathname; }
  bool Transient() const { return mTransient; }
  // Also applies to a file already created: false hands the file to another owner.
  void SetTransient(bool transient);

  // Moves everything to a file now. Raises "HsmStream already flushed." when flushed.
  void Flush();
  // Moves bytes 0..count-1 to a file. Raises "HsmStream already flushed." when flushed.
  void Flush(std::int64_t count);
  // Moves count bytes from fromPosition into a new file, which becomes the store
  // (a previous file is deleted), positioned after them.
  void Flush(std::int64_t count, std::int64_t fromPosition);
  // Copies the whole content into a new file; the position is kept.
  void SaveToFile(const std::string& fileName);

 private:
  static void CheckPosition(std::int64_t position);

  std::unique_ptr<TStream> mInnerStream;
  std::int32_t mFlushSize;
  bool mIsFlushed = false;
  std::string mPathname;
  bool mTransient;
};

// The output buffer of rendering: a helper over its own THsmStream.
class TKXRenderStream : public TStreamHelper {
 public:
  // 32768, the host's packet buffer, minus the 9-byte packet envelope: content
  // that stays in memory always fits an inline packet.
  static constexpr std::int32_t FlushSize = 32759;

  // With ownsStream set the helper frees the THsmStream; otherwise whoever
  // takes HsmStream must. A reply body passes the reply's flush size.
  TKXRenderStream(bool ownsStream, bool transient, std::int32_t flushSize = FlushSize);

  THsmStream* HsmStream() const { return mHsmStream; }

 private:
  THsmStream* mHsmStream;
};

}  // namespace kx
