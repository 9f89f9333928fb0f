#include "kx/appserver/Compression.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

namespace kx {

namespace {

constexpr int kBufferSize = 32768;

[[noreturn]] void RaiseZLibError(int code) { throw ECompressionError(zError(code)); }

// Ends the deflate stream on every way out.
class TDeflateGuard {
 public:
  explicit TDeflateGuard(z_stream& stream) : mStream(stream) {}
  ~TDeflateGuard() { deflateEnd(&mStream); }
  TDeflateGuard(const TDeflateGuard&) = delete;
  TDeflateGuard& operator=(const TDeflateGuard&) = delete;

 private:
  z_stream& mStream;
};

int ZLibLevel(int level) {
  if (level == 1) return Z_BEST_SPEED;
  if (level == 9) return Z_BEST_COMPRESSION;
  return Z_DEFAULT_COMPRESSION;
}

// Deflates what the stream holds as input with flush, writing every block produced, until the output buffer comes
// back with room left (all input taken; with Z_FINISH, the stream ended). Returns deflate's last result.
int DeflateInto(z_stream& stream, unsigned char* output, TStream& dest, int flush) {
  int result;
  do {
    stream.next_out = output;
    stream.avail_out = kBufferSize;
    result = deflate(&stream, flush);
    // Z_BUF_ERROR only says that no progress was possible; it is not a failure.
    if (result < 0 && result != Z_BUF_ERROR) RaiseZLibError(result);
    dest.WriteBuffer(output, kBufferSize - std::int64_t(stream.avail_out));
  } while (stream.avail_out == 0);
  return result;
}

}  // namespace

void KXCompressStream(TStream& source, TStream& dest, int level, TKXCompressMethod method) {
  z_stream stream{};
  int windowBits = method == kxcmGZIP ? 31 : 15;
  int result = deflateInit2(&stream, ZLibLevel(level), Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
  if (result < 0) RaiseZLibError(result);
  TDeflateGuard guard(stream);

  auto input = std::make_unique<unsigned char[]>(kBufferSize);
  auto output = std::make_unique<unsigned char[]>(kBufferSize);
  for (;;) {
    std::int64_t count = source.Read(input.get(), kBufferSize);
    if (count <= 0) break;
    stream.next_in = input.get();
    stream.avail_in = static_cast<uInt>(count);
    DeflateInto(stream, output.get(), dest, Z_NO_FLUSH);
  }
  // With Z_FINISH, deflate leaves room in the output buffer only once the stream is complete.
  if (DeflateInto(stream, output.get(), dest, Z_FINISH) != Z_STREAM_END) RaiseZLibError(Z_STREAM_ERROR);
}

TKXCompressStreamProc KXCompressStreamProc = &KXCompressStream;

// ---------------------------------------------------------------------------
// TKXCompressionOptions

void TKXCompressionOptions::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  if (FEnabled && !FAllowGZip && !FAllowDeflate) {
    FAllowGZip = true;
    FAllowDeflate = true;
  }
}

void TKXCompressionOptions::SetLevel(TKXCompressionLevel value) {
  FLevel = std::clamp<TKXCompressionLevel>(value, 1, 9);
}

void TKXCompressionOptions::SetAllowGZip(bool value) {
  if (value == FAllowGZip) return;
  FAllowGZip = value;
  if (!FAllowGZip && !FAllowDeflate) FEnabled = false;
}

void TKXCompressionOptions::SetAllowDeflate(bool value) {
  if (value == FAllowDeflate) return;
  FAllowDeflate = value;
  if (!FAllowGZip && !FAllowDeflate) FEnabled = false;
}

void TKXCompressionOptions::SetMinSize(std::int32_t value) { FMinSize = value; }

void TKXCompressionOptions::SetPreCompress(bool value) { FPreCompress = value; }

void TKXCompressionOptions::Assign(const TPersistent* source) {
  if (auto options = dynamic_cast<const TKXCompressionOptions*>(source)) {
    FLevel = options->FLevel;
    FAllowDeflate = options->FAllowDeflate;
    FAllowGZip = options->FAllowGZip;
    FMinSize = options->FMinSize;
    FEnabled = options->FEnabled;
    FPreCompress = options->FPreCompress;
    return;
  }
  TPersistent::Assign(source);
}

}  // namespace kx
