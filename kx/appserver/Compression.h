// Stream compression for replies and for the internal files: KXCompressStream deflates a stream with zlib into the
// gzip or the zlib format, KXCompressStreamProc is the routine every compressing caller goes through, and
// TKXCompressionOptions holds the server controller's compression settings. Builds on platform/Streams.h and zlib.
#pragma once

#include <cstdint>

#include "kx/platform/Classes.h"
#include "kx/platform/Streams.h"

namespace kx {

// The two encodings a reply can carry:
//   kxcmGZIP    the gzip format (RFC 1952: header 1F 8B 08, CRC-32 and length trailer), "Content-Encoding: gzip".
//   kxcmDEFLATE the zlib format (RFC 1950: two header bytes, Adler-32 trailer) around the deflate data. This, not
//               raw deflate, is what the HTTP "deflate" content coding means (RFC 9110) and what browsers decode.
enum TKXCompressMethod { kxcmGZIP, kxcmDEFLATE };

// Raised when zlib reports a failure; the message is zlib's text for the code.
KX_DECLARE_EXCEPTION(ECompressionError, Exception);

// Deflates everything source yields from its current position into dest, at dest's position. level 1 is zlib's
// fastest level, 9 its best compression, every other value zlib's default level (6). An empty source gives a
// complete empty stream (20 bytes of gzip, 8 of zlib). A failure of dest's Write raises EWriteError, a zlib
// failure ECompressionError; dest may then hold part of the stream.
void KXCompressStream(TStream& source, TStream& dest, int level, TKXCompressMethod method);

using TKXCompressStreamProc = void (*)(TStream& source, TStream& dest, int level, TKXCompressMethod method);

// The routine every user of compression calls (pre-compressed internal files, compressed replies); KXCompressStream
// unless the application puts its own in place, which it does at start-up, before requests are served.
extern TKXCompressStreamProc KXCompressStreamProc;

// 1..9; held in one byte.
using TKXCompressionLevel = std::uint8_t;

// The server controller's Compression settings. Every setter does nothing when the value is unchanged.
class TKXCompressionOptions : public TPersistent {
 public:
  TKXCompressionOptions() = default;

  // Default true. Turning it on while neither algorithm is allowed allows both.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  // Default 1. A value outside 1..9 is taken as the nearest bound.
  TKXCompressionLevel Level() const { return FLevel; }
  void SetLevel(TKXCompressionLevel value);
  // Default true. Disallowing the last allowed algorithm turns Enabled off.
  bool AllowGZip() const { return FAllowGZip; }
  void SetAllowGZip(bool value);
  // Default true. Disallowing the last allowed algorithm turns Enabled off.
  bool AllowDeflate() const { return FAllowDeflate; }
  void SetAllowDeflate(bool value);
  // Bytes; default 1024.
  std::int32_t MinSize() const { return FMinSize; }
  void SetMinSize(std::int32_t value);
  // Default true.
  bool PreCompress() const { return FPreCompress; }
  void SetPreCompress(bool value);

  // From another TKXCompressionOptions copies the six values as they are, without the setters' rules; any other
  // source goes to the inherited Assign.
  void Assign(const TPersistent* source) override;

 private:
  TKXCompressionLevel FLevel = 1;
  std::int32_t FMinSize = 1024;
  bool FEnabled = true;
  bool FAllowGZip = true;
  bool FAllowDeflate = true;
  bool FPreCompress = true;
};

}  // namespace kx
