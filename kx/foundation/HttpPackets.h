// The request and reply packets, the byte contract between a host and the
// framework: the envelope (signature, version, inline or file storage) and, for
// hosts and tests, the request body as a plain value with its writer and reader.
// Builds on the typed streams of foundation/Streams.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kx/foundation/Streams.h"

namespace kx {

// Storage byte of the envelope.
enum TPacketType : std::uint8_t { ptInline = 0, ptFile = 1 };

// What a reply carries, first byte of the reply body.
enum THttpReplyType : std::uint8_t { rtNone = 0, rtFile = 1, rtNoData = 2, rtInline = 3, rtCacheFile = 4 };

enum THttpMethod { hmNone, hmGet, hmPut, hmPost, hmHead };

// The method text upper-cased: "GET", "PUT", "POST", "HEAD"; anything else hmNone.
THttpMethod HttpMethodFromText(std::string_view method);
// The other way: "GET", "PUT", "POST", "HEAD"; "" for hmNone.
const char* HttpMethodText(THttpMethod method);

// Envelope: int32 Signature, int32 Version, storage byte, then the content
// (ptInline) or a text naming the file that holds it (ptFile). The content
// starts again with signature and version, then the body.
class THttpPacket {
 public:
  THttpPacket() = delete;

  static constexpr std::int32_t Signature = 0x07220807;
  static constexpr std::int32_t Version = 6;
  static constexpr std::int64_t EnvelopeSize = 9;
  // The buffer a host passes to the entry point.
  static constexpr std::int64_t HostBufferSize = 32768;

  static void WriteSig(TStreamHelper& stream);
  // Raises "No stream signature found." or "Stream version mismatch.".
  static void CheckSig(TStreamHelper& stream);
  // Writes the envelope of content into buffer: the file name when content is
  // flushed, else all of content from position 0. Returns the bytes written;
  // an envelope larger than bufferSize raises "aBytes is not large enough to
  // hold stream." and writes nothing.
  static std::int64_t Encode(THsmStream& content, void* buffer, std::int64_t bufferSize);
  // A reader positioned at the content: over the buffer itself (no copy) for
  // ptInline; for ptFile over the named file's content, read into memory in
  // one pass, the file deleted when the reader is freed.
  // Raises "No stream signature found.", "Stream version mismatch." or
  // "Unknown packet type.".
  static std::unique_ptr<TStreamHelper> GetStream(const void* buffer, std::int64_t length);
};

// Reads packet fields at the helper's position, strictly: a field that is not
// wholly inside the packet raises Exception "Packet is truncated or corrupt."
// (the helper itself reads missing bytes as zeros). A negative list count reads
// as no items.
class TPacketReader {
 public:
  explicit TPacketReader(TStreamHelper& stream) : mStream(stream) {}

  std::uint8_t ReadByte();
  // True only for the byte value 1.
  bool ReadBoolean();
  std::uint16_t ReadWord();
  std::int32_t ReadInteger();
  std::string ReadText();
  // Appends the items; returns their number.
  int ReadStrings(std::vector<std::string>& strings);
  int ReadStrings(TStrings& strings);

 private:
  void Need(std::int64_t bytes) const;
  std::int32_t ReadListCount();

  TStreamHelper& mStream;
};

// One uploaded file as a request packet carries it; the bytes are in TempPathName.
struct TRequestPacketFile {
  std::string FileName;  // as the client sent it
  std::string TempPathName;
  std::string ContentType;
  std::string FieldName;
  std::int64_t FileSize = 0;  // travels as decimal text

  bool operator==(const TRequestPacketFile&) const = default;
};

// The fields of a request packet, in packet order.
struct TRequestPacketFields {
  std::string UserAgent;
  std::string Referer;
  std::string ScriptName;
  std::string Host;
  std::string Authorization;
  std::string URL;
  std::string PathInfo;
  std::string RemoteAddr;
  std::int32_t ServerPort = 0;
  std::string Query;
  std::string Method;  // as sent; HttpMethodFromText maps it
  std::string IfModifiedSince;
  std::string ForwardedFor;
  std::string HttpClientIP;
  std::string AuthorizationHeader;
  std::string AuthUser;
  std::string AuthPass;
  std::string AcceptLanguage;
  std::string HttpsHeader;
  std::vector<std::string> RawHeaders;       // "name: value"
  std::vector<std::string> ContentFields;    // "name=value"
  std::vector<std::string> CookieFields;     // "name=value"
  std::vector<std::string> QueryFields;      // "name=value"
  std::vector<std::string> ServerVariables;  // "name: value"
  std::vector<TRequestPacketFile> Files;     // at most 65535
  bool HasContent = false;

  bool operator==(const TRequestPacketFields&) const = default;
};

// Builds the request packet into buffer (normally HostBufferSize bytes) and
// returns its length. A body over TKXRenderStream::FlushSize bytes spills to a
// "BRM*.tmp" file in TTempFileStream's TempPath, which the packet's reader
// deletes; on failure no such file is left. More than 65535 files raise
// "Too many files for a request packet.".
std::int64_t WriteRequestPacket(const TRequestPacketFields& fields, void* buffer, std::int64_t bufferSize);

// Reads a request packet (deleting its spill file, if any). Packet errors of
// GetStream and CheckSig pass out; so do "Packet is truncated or corrupt." for
// a count beyond the data and EConvertError for a file size that is not a
// decimal number.
TRequestPacketFields ReadRequestPacket(const void* buffer, std::int64_t length);

}  // namespace kx
