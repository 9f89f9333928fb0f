#include "kx/platform/Graphics.h"

#include <gif_lib.h>
#include <png.h>
// jpeglib.h needs size_t and FILE declared first.
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <typeinfo>
#include <unordered_map>

namespace kx {

namespace {

std::atomic<std::int64_t> gMaxPixels{std::int64_t(1) << 25};
constexpr std::int64_t kMaxSide = 65535;

// Every byte from the stream's position to its end.
std::vector<std::uint8_t> ReadRest(TStream& stream) {
  std::int64_t count = std::max<std::int64_t>(0, stream.Size() - stream.Position());
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
  if (count > 0) stream.ReadBuffer(bytes.data(), count);
  return bytes;
}

[[noreturn]] void Invalid(std::string_view kind, std::string_view why) {
  throw EInvalidGraphic(Format("Invalid %s image: %s", kind, why));
}

// Raises EInvalidGraphic for a negative size or one over the limits, before any
// pixel memory is taken.
void CheckImageSize(std::int64_t width, std::int64_t height, std::string_view kind) {
  if (width < 0 || height < 0) throw EInvalidGraphic(Format("Invalid %s image size %d x %d", kind, width, height));
  if (width > kMaxSide || height > kMaxSide || width * height > TGraphic::MaxPixels())
    throw EInvalidGraphic(Format("The %s image of %d x %d pixels exceeds the size limit", kind, width, height));
}

bool HasAlpha(const std::vector<TRGBA>& pixels) {
  return std::any_of(pixels.begin(), pixels.end(), [](const TRGBA& p) { return p.A < 255; });
}

// The pixels as output writes them: alpha 255 unless transparent; alpha 0 for the
// transparent colour (an RGB value; anything above $00FFFFFF names none).
std::vector<TRGBA> OutputPixelsOf(const std::vector<TRGBA>& source, bool transparent, TColor color) {
  std::vector<TRGBA> pixels = source;
  bool keyed = transparent && color >= 0 && color <= 0xFFFFFF;
  std::uint8_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
  for (TRGBA& p : pixels) {
    if (!transparent)
      p.A = 255;
    else if (keyed && p.R == r && p.G == g && p.B == b)
      p.A = 0;
  }
  return pixels;
}

// Little-endian reads that never leave the data: a read past its end raises
// EInvalidGraphic "Invalid <kind> image: the data ends too early".
class TByteReader {
 public:
  TByteReader(std::span<const std::uint8_t> data, std::string_view kind) : mData(data), mKind(kind) {}

  std::span<const std::uint8_t> Data() const { return mData; }
  std::string_view Kind() const { return mKind; }
  void Need(std::uint64_t offset, std::uint64_t count) const {
    if (offset > mData.size() || count > mData.size() - offset) Fail("the data ends too early");
  }
  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= mData.size() && count <= mData.size() - offset;
  }
  std::uint8_t U8(std::uint64_t offset) const {
    Need(offset, 1);
    return mData[offset];
  }
  std::uint16_t U16(std::uint64_t offset) const {
    Need(offset, 2);
    return static_cast<std::uint16_t>(mData[offset] | mData[offset + 1] << 8);
  }
  std::uint32_t U32(std::uint64_t offset) const {
    Need(offset, 4);
    return std::uint32_t(mData[offset]) | std::uint32_t(mData[offset + 1]) << 8 |
           std::uint32_t(mData[offset + 2]) << 16 | std::uint32_t(mData[offset + 3]) << 24;
  }
  std::int32_t I32(std::uint64_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
  [[noreturn]] void Fail(std::string_view why) const { Invalid(mKind, why); }

 private:
  std::span<const std::uint8_t> mData;
  std::string_view mKind;
};

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

bool StartsWith(std::span<const std::uint8_t> data, std::string_view signature) {
  return data.size() >= signature.size() && std::memcmp(data.data(), signature.data(), signature.size()) == 0;
}

// ---------------------------------------------------------------------------
// Device-independent bitmaps (BMP files and the bitmap entries of icons)

enum : std::uint32_t { BI_RGB = 0, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

// One channel of a bit-field pixel scaled to 0..255; an empty mask gives emptyValue.
struct TChannelMask {
  std::uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;

  explicit TChannelMask(std::uint32_t mask) : Mask(mask) {
    if (!mask) return;
    while (!((mask >> Shift) & 1)) ++Shift;
    while (Shift + Bits < 32 && ((mask >> (Shift + Bits)) & 1)) ++Bits;
  }
  std::uint8_t Get(std::uint32_t value, std::uint8_t emptyValue) const {
    if (!Mask) return emptyValue;
    std::uint32_t v = (value & Mask) >> Shift;
    if (Bits >= 8) return static_cast<std::uint8_t>(v >> (Bits - 8));
    return static_cast<std::uint8_t>(v * 255 / ((1u << Bits) - 1));
  }
};

struct TDibImage {
  int Width = 0;
  int Height = 0;
  std::vector<TRGBA> Pixels;
};

// Decodes the bitmap whose info header starts at `header`. The pixels start at
// pixelOffset, or right after the colour table when it is 0. An icon entry holds
// twice its height: the colour rows, then a 1-bit mask whose set bits are transparent.
TDibImage DecodeDib(const TByteReader& in, std::uint64_t header, std::uint64_t pixelOffset, bool icon) {
  std::uint32_t headerSize = in.U32(header);
  std::int64_t width, height;
  int bitCount;
  std::uint32_t compression = BI_RGB, colorsUsed = 0;
  std::uint64_t paletteAt, paletteEntry;
  std::uint32_t masks[4] = {0, 0, 0, 0};
  if (headerSize == 12) {
    width = in.U16(header + 4);
    height = in.U16(header + 6);
    bitCount = in.U16(header + 10);
    paletteAt = header + 12;
    paletteEntry = 3;
  } else if (headerSize >= 40) {
    width = in.I32(header + 4);
    height = in.I32(header + 8);
    bitCount = in.U16(header + 14);
    compression = in.U32(header + 16);
    colorsUsed = in.U32(header + 32);
    paletteAt = header + headerSize;
    paletteEntry = 4;
    if (compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) {
      // A 40-byte header is followed by the masks; larger headers hold them.
      std::uint64_t at = header + 40;
      int count = compression == BI_ALPHABITFIELDS || headerSize >= 56 ? 4 : 3;
      for (int i = 0; i < count; ++i) masks[i] = in.U32(at + 4 * i);
      if (headerSize == 40) paletteAt += 4 * count;
    }
  } else {
    in.Fail("unsupported bitmap header");
  }
  bool topDown = height < 0 && !icon;
  height = height < 0 ? -height : height;
  if (icon) height /= 2;
  if (width < 0) in.Fail("negative width");
  bool bitFields = compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS;
  bool supported = (compression == BI_RGB && (bitCount == 1 || bitCount == 4 || bitCount == 8 ||
                                              bitCount == 16 || bitCount == 24 || bitCount == 32)) ||
                   (bitFields && (bitCount == 16 || bitCount == 32));
  if (!supported) in.Fail("compressed bitmaps and this colour depth are not supported");
  CheckImageSize(width, height, in.Kind());
  if (width == 0 || height == 0) return {};

  std::vector<TRGBA> palette;
  std::uint64_t paletteCount = 0;
  if (bitCount <= 8) {
    paletteCount = colorsUsed ? colorsUsed : (1u << bitCount);
    std::uint64_t readable = std::min<std::uint64_t>(paletteCount, 1u << bitCount);
    in.Need(paletteAt, readable * paletteEntry);
    for (std::uint64_t i = 0; i < readable; ++i) {
      std::uint64_t at = paletteAt + i * paletteEntry;
      palette.push_back({in.U8(at + 2), in.U8(at + 1), in.U8(at), 255});
    }
  }
  if (!pixelOffset) pixelOffset = paletteAt + paletteCount * paletteEntry;
  std::uint64_t stride = (std::uint64_t(width) * bitCount + 31) / 32 * 4;
  in.Need(pixelOffset, stride * height);

  if (compression == BI_RGB && bitCount == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (compression == BI_RGB && bitCount == 32) {
    masks[0] = 0x00FF0000, masks[1] = 0x0000FF00, masks[2] = 0x000000FF, masks[3] = 0xFF000000;
  }
  TChannelMask red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);

  TDibImage image;
  image.Width = static_cast<int>(width);
  image.Height = static_cast<int>(height);
  image.Pixels.resize(static_cast<std::size_t>(width * height));
  const std::uint8_t* data = in.Data().data();
  for (std::int64_t y = 0; y < height; ++y) {
    const std::uint8_t* row = data + pixelOffset + stride * (topDown ? y : height - 1 - y);
    TRGBA* out = &image.Pixels[static_cast<std::size_t>(y * width)];
    for (std::int64_t x = 0; x < width; ++x) {
      if (bitCount <= 8) {
        int perByte = 8 / bitCount;
        int shift = 8 - bitCount * (1 + int(x % perByte));
        unsigned index = (row[x / perByte] >> shift) & ((1u << bitCount) - 1);
        out[x] = index < palette.size() ? palette[index] : TRGBA{0, 0, 0, 255};
      } else if (bitCount == 24) {
        out[x] = {row[3 * x + 2], row[3 * x + 1], row[3 * x], 255};
      } else {
        std::uint32_t v = bitCount == 16 ? std::uint32_t(row[2 * x] | row[2 * x + 1] << 8)
                                         : std::uint32_t(row[4 * x]) | std::uint32_t(row[4 * x + 1]) << 8 |
                                               std::uint32_t(row[4 * x + 2]) << 16 |
                                               std::uint32_t(row[4 * x + 3]) << 24;
        out[x] = {red.Get(v, 0), green.Get(v, 0), blue.Get(v, 0), alpha.Get(v, 255)};
      }
    }
  }
  // A 32-bit bitmap without masks whose alpha bytes are all 0 does not use them.
  bool alphaUsed = bitCount == 32 && alpha.Mask && (bitFields || !std::all_of(image.Pixels.begin(), image.Pixels.end(),
                                                                              [](const TRGBA& p) { return p.A == 0; }));
  if (bitCount == 32 && !alphaUsed)
    for (TRGBA& p : image.Pixels) p.A = 255;

  if (icon && !alphaUsed) {
    std::uint64_t maskAt = pixelOffset + stride * height;
    std::uint64_t maskStride = (std::uint64_t(width) + 31) / 32 * 4;
    in.Need(maskAt, maskStride * height);
    for (std::int64_t y = 0; y < height; ++y) {
      const std::uint8_t* row = data + maskAt + maskStride * (height - 1 - y);
      for (std::int64_t x = 0; x < width; ++x)
        if ((row[x / 8] >> (7 - x % 8)) & 1) image.Pixels[static_cast<std::size_t>(y * width + x)].A = 0;
    }
  }
  return image;
}

// ---------------------------------------------------------------------------
// PNG

TDibImage DecodePng(std::span<const std::uint8_t> data) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  struct TFree {
    png_image* Image;
    ~TFree() { png_image_free(Image); }
  } release{&image};
  if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) Invalid("PNG", image.message);
  CheckImageSize(image.width, image.height, "PNG");
  image.format = PNG_FORMAT_RGBA;
  TDibImage result;
  result.Width = static_cast<int>(image.width);
  result.Height = static_cast<int>(image.height);
  result.Pixels.resize(std::size_t(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, result.Pixels.data(), 0, nullptr)) Invalid("PNG", image.message);
  return result;
}

std::vector<std::uint8_t> EncodePng(const std::vector<TRGBA>& pixels, int width, int height) {
  if (width == 0 || height == 0) throw EInvalidGraphic("Cannot save an empty PNG image");
  bool alpha = HasAlpha(pixels);
  std::vector<std::uint8_t> buffer;
  const void* source = pixels.data();
  if (!alpha) {
    buffer.reserve(pixels.size() * 3);
    for (const TRGBA& p : pixels) buffer.insert(buffer.end(), {p.R, p.G, p.B});
    source = buffer.data();
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, source, 0, nullptr))
    throw EInvalidGraphic(Format("Cannot write the PNG image: %s", image.message));
  std::vector<std::uint8_t> bytes(size);
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, source, 0, nullptr))
    throw EInvalidGraphic(Format("Cannot write the PNG image: %s", image.message));
  bytes.resize(size);
  return bytes;
}

// ---------------------------------------------------------------------------
// JPEG. libjpeg reports errors through error_exit, which must not return; it
// jumps back to the setjmp of the step that called the library. Those steps keep
// only trivially destructible locals, so the jump skips no destructor.

constexpr int kMaxJpegScans = 1000;  // a hostile progressive file can hold thousands

struct TJpegError {
  jpeg_error_mgr Pub;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr info) {
  TJpegError* error = reinterpret_cast<TJpegError*>(info->err);
  (*info->err->format_message)(info, error->Message);
  std::longjmp(error->Jump, 1);
}

// Warnings are not printed; a file that ends early is an error, not a grey image.
void JpegEmitMessage(j_common_ptr info, int level) {
  if (level >= 0) return;
  ++info->err->num_warnings;
  if (info->err->msg_code == JWRN_JPEG_EOF) info->err->error_exit(info);
}

void JpegOutputMessage(j_common_ptr) {}

void JpegProgress(j_common_ptr info) {
  if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans) {
    TJpegError* error = reinterpret_cast<TJpegError*>(info->err);
    std::snprintf(error->Message, sizeof error->Message, "more than %d scans", kMaxJpegScans);
    std::longjmp(error->Jump, 1);
  }
}

void InitJpegError(TJpegError& error) {
  jpeg_std_error(&error.Pub);
  error.Pub.error_exit = JpegErrorExit;
  error.Pub.emit_message = JpegEmitMessage;
  error.Pub.output_message = JpegOutputMessage;
  error.Message[0] = 0;
}

struct TJpegDecoder {
  jpeg_decompress_struct Info;
  TJpegError Error;
  jpeg_progress_mgr Progress;
  bool Created = false;
  ~TJpegDecoder() {
    if (Created) jpeg_destroy_decompress(&Info);
  }
};

bool JpegReadHeader(TJpegDecoder& decoder, const std::uint8_t* data, std::size_t size) {
  if (setjmp(decoder.Error.Jump)) return false;
  jpeg_create_decompress(&decoder.Info);
  decoder.Created = true;
  decoder.Progress.progress_monitor = JpegProgress;
  decoder.Info.progress = &decoder.Progress;
  jpeg_mem_src(&decoder.Info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&decoder.Info, TRUE);
  return true;
}

bool JpegReadPixels(TJpegDecoder& decoder, TRGBA* pixels, JDIMENSION width, bool fast, bool smoothing) {
  if (setjmp(decoder.Error.Jump)) return false;
  jpeg_decompress_struct& info = decoder.Info;
  info.out_color_space = JCS_EXT_RGBA;
  info.dct_method = fast ? JDCT_IFAST : JDCT_ISLOW;
  info.do_fancy_upsampling = fast ? FALSE : TRUE;
  info.do_block_smoothing = smoothing ? TRUE : FALSE;
  jpeg_start_decompress(&info);
  if (info.output_width != width || info.output_components != 4) {
    std::snprintf(decoder.Error.Message, sizeof decoder.Error.Message, "unexpected output format");
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels + std::size_t(info.output_scanline) * width);
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  return true;
}

struct TJpegEncoder {
  jpeg_compress_struct Info;
  TJpegError Error;
  unsigned char* Buffer = nullptr;
  unsigned long Size = 0;
  bool Created = false;
  ~TJpegEncoder() {
    if (Created) jpeg_destroy_compress(&Info);
    std::free(Buffer);
  }
};

bool JpegWritePixels(TJpegEncoder& encoder, const TRGBA* pixels, int width, int height, int quality,
                     bool progressive, bool grayscale) {
  if (setjmp(encoder.Error.Jump)) return false;
  jpeg_compress_struct& info = encoder.Info;
  jpeg_create_compress(&info);
  encoder.Created = true;
  jpeg_mem_dest(&info, &encoder.Buffer, &encoder.Size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 4;
  info.in_color_space = JCS_EXT_RGBA;  // the alpha byte is skipped
  jpeg_set_defaults(&info);
  if (grayscale) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
  jpeg_set_quality(&info, quality, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(const_cast<TRGBA*>(pixels + std::size_t(info.next_scanline) * width));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  return true;
}

// ---------------------------------------------------------------------------
// GIF

struct TGifSource {
  std::span<const std::uint8_t> Data;
  std::size_t Position = 0;
};

int GifRead(GifFileType* gif, GifByteType* buffer, int count) {
  TGifSource* source = static_cast<TGifSource*>(gif->UserData);
  std::size_t n = std::min<std::size_t>(std::size_t(std::max(count, 0)), source->Data.size() - source->Position);
  if (n) std::memcpy(buffer, source->Data.data() + source->Position, n);
  source->Position += n;
  return static_cast<int>(n);
}

int GifWrite(GifFileType* gif, const GifByteType* buffer, int count) {
  auto* bytes = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
  bytes->insert(bytes->end(), buffer, buffer + count);
  return count;
}

struct TGifDecoderClose {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

struct TGifEncoderClose {
  void operator()(GifFileType* gif) const {
    int error = 0;
    EGifCloseFile(gif, &error);
  }
};

struct TGifMapFree {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

[[noreturn]] void GifFail(int error) {
  const char* text = GifErrorString(error);
  Invalid("GIF", text ? text : "unknown error");
}

TDibImage DecodeGif(std::span<const std::uint8_t> data) {
  TGifSource source{data};
  int error = 0;
  std::unique_ptr<GifFileType, TGifDecoderClose> gif(DGifOpen(&source, GifRead, &error));
  if (!gif) GifFail(error);
  int transparentIndex = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType record;
    if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) GifFail(gif->Error);
    if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) GifFail(gif->Error);
      GraphicsControlBlock control;
      if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] == 4 &&
          DGifExtensionToGCB(4, block + 1, &control) == GIF_OK)
        transparentIndex = control.TransparentColor;
      while (block)
        if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) GifFail(gif->Error);
    } else if (record == IMAGE_DESC_RECORD_TYPE) {
      break;
    } else if (record == TERMINATE_RECORD_TYPE) {
      Invalid("GIF", "the file holds no image");
    } else {
      Invalid("GIF", "unexpected record");
    }
  }
  if (DGifGetImageDesc(gif.get()) == GIF_ERROR) GifFail(gif->Error);
  const GifImageDesc& frame = gif->Image;
  std::int64_t width = gif->SWidth, height = gif->SHeight;
  std::int64_t left = frame.Left, top = frame.Top;
  if (width == 0 || height == 0) width = frame.Width, height = frame.Height, left = top = 0;
  CheckImageSize(width, height, "GIF");
  CheckImageSize(frame.Width, frame.Height, "GIF");
  const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
  if (!map) Invalid("GIF", "the image has no colour table");

  TDibImage image;
  image.Width = static_cast<int>(width);
  image.Height = static_cast<int>(height);
  image.Pixels.assign(std::size_t(width * height), TRGBA{});
  std::vector<GifPixelType> line(std::size_t(std::max(frame.Width, 1)));
  auto storeRow = [&](std::int64_t row) {
    if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) GifFail(gif->Error);
    std::int64_t y = top + row;
    if (y >= height) return;
    for (std::int64_t x = 0; x < frame.Width && left + x < width; ++x) {
      int index = line[std::size_t(x)];
      TRGBA pixel{0, 0, 0, 255};
      if (index < map->ColorCount) {
        const GifColorType& c = map->Colors[index];
        pixel = {c.Red, c.Green, c.Blue, static_cast<std::uint8_t>(index == transparentIndex ? 0 : 255)};
      }
      image.Pixels[std::size_t(y * width + left + x)] = pixel;
    }
  };
  if (frame.Interlace) {
    static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (std::int64_t row = kStart[pass]; row < frame.Height; row += kStep[pass]) storeRow(row);
  } else {
    for (std::int64_t row = 0; row < frame.Height; ++row) storeRow(row);
  }
  return image;
}

// The pixels as palette indices: the exact colours when they fit in the palette,
// else a median-cut reduction. Output pixels with an alpha below 128 take one more
// index, whose colour is that of the first such pixel.
struct TGifIndexed {
  std::vector<GifColorType> Colors;
  std::vector<GifByteType> Indices;
  int TransparentIndex = NO_TRANSPARENT_COLOR;
};

TGifIndexed IndexGifColors(const std::vector<TRGBA>& pixels, int width, int height) {
  TGifIndexed result;
  result.Indices.resize(pixels.size());
  auto found = std::find_if(pixels.begin(), pixels.end(), [](const TRGBA& p) { return p.A < 128; });
  bool transparent = found != pixels.end();
  std::size_t limit = transparent ? 255 : 256;

  std::unordered_map<std::uint32_t, GifByteType> exact;
  for (std::size_t i = 0; i < pixels.size() && exact.size() <= limit; ++i) {
    const TRGBA& p = pixels[i];
    if (p.A < 128) continue;
    std::uint32_t key = std::uint32_t(p.R) << 16 | std::uint32_t(p.G) << 8 | p.B;
    auto [entry, added] = exact.try_emplace(key, static_cast<GifByteType>(result.Colors.size()));
    if (added) result.Colors.push_back({p.R, p.G, p.B});
    result.Indices[i] = entry->second;
  }
  if (exact.size() > limit) {
    std::vector<GifByteType> red(pixels.size()), green(pixels.size()), blue(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) red[i] = pixels[i].R, green[i] = pixels[i].G, blue[i] = pixels[i].B;
    int size = static_cast<int>(limit);
    result.Colors.assign(256, GifColorType{0, 0, 0});
    if (GifQuantizeBuffer(unsigned(width), unsigned(height), &size, red.data(), green.data(), blue.data(),
                          result.Indices.data(), result.Colors.data()) == GIF_ERROR)
      throw EInvalidGraphic("Cannot reduce the colours of the GIF image");
    result.Colors.resize(std::size_t(std::clamp(size, 1, static_cast<int>(limit))));
  }
  if (transparent) {
    result.TransparentIndex = static_cast<int>(result.Colors.size());
    result.Colors.push_back({found->R, found->G, found->B});
    for (std::size_t i = 0; i < pixels.size(); ++i)
      if (pixels[i].A < 128) result.Indices[i] = static_cast<GifByteType>(result.TransparentIndex);
  }
  return result;
}

std::vector<std::uint8_t> EncodeGif(const std::vector<TRGBA>& pixels, int width, int height) {
  if (width == 0 || height == 0) throw EInvalidGraphic("Cannot save an empty GIF image");
  TGifIndexed indexed = IndexGifColors(pixels, width, height);
  int mapSize = 2;
  while (mapSize < static_cast<int>(indexed.Colors.size())) mapSize *= 2;
  indexed.Colors.resize(std::size_t(mapSize), GifColorType{0, 0, 0});
  std::unique_ptr<ColorMapObject, TGifMapFree> map(GifMakeMapObject(mapSize, indexed.Colors.data()));
  if (!map) throw EInvalidGraphic("Cannot write the GIF image: no colour table");

  std::vector<std::uint8_t> bytes;
  int error = 0;
  std::unique_ptr<GifFileType, TGifEncoderClose> gif(EGifOpen(&bytes, GifWrite, &error));
  auto check = [&](int result) {
    if (result == GIF_ERROR) {
      const char* text = GifErrorString(gif ? gif->Error : error);
      throw EInvalidGraphic(Format("Cannot write the GIF image: %s", text ? text : "unknown error"));
    }
  };
  check(gif ? GIF_OK : GIF_ERROR);
  EGifSetGifVersion(gif.get(), indexed.TransparentIndex != NO_TRANSPARENT_COLOR);
  check(EGifPutScreenDesc(gif.get(), width, height, 8, 0, map.get()));
  if (indexed.TransparentIndex != NO_TRANSPARENT_COLOR) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.DelayTime = 0;
    control.TransparentColor = indexed.TransparentIndex;
    GifByteType extension[4];
    std::size_t length = EGifGCBToExtension(&control, extension);
    check(EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension));
  }
  check(EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr));
  for (int y = 0; y < height; ++y) check(EGifPutLine(gif.get(), &indexed.Indices[std::size_t(y) * width], width));
  check(EGifCloseFile(gif.release(), &error));
  return bytes;
}

}  // namespace

// ---------------------------------------------------------------------------
// TGraphic

std::int64_t TGraphic::MaxPixels() { return gMaxPixels.load(); }

void TGraphic::SetMaxPixels(std::int64_t value) { gMaxPixels.store(std::max<std::int64_t>(value, 0)); }

void TGraphic::SetTransparent(bool value) {
  if (mTransparent == value) return;
  mTransparent = value;
  Modified();
}

void TGraphic::SetTransparentColor(TColor value) {
  if (mTransparentColor == value) return;
  mTransparentColor = value;
  Modified();
}

TRGBA TGraphic::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= mWidth || y >= mHeight)
    throw EInvalidGraphic(Format("Pixel (%d, %d) lies outside the %d x %d image", x, y, mWidth, mHeight));
  return mPixels[std::size_t(y) * mWidth + x];
}

void TGraphic::LoadFromStream(TStream& stream) {
  std::vector<std::uint8_t> bytes = ReadRest(stream);
  SetImage(Decode(bytes));
  mData = std::move(bytes);
  mTransparent = HasAlpha(mPixels);
  mTransparentColor = 0x1FFFFFFF;
  Changed();
}

void TGraphic::SaveToStream(TStream& stream) const {
  if (!mData.empty()) {
    stream.WriteBuffer(mData.data(), std::int64_t(mData.size()));
  } else {
    std::vector<std::uint8_t> bytes = Encode();
    stream.WriteBuffer(bytes.data(), std::int64_t(bytes.size()));
  }
}

void TGraphic::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) const {
  // Encode before the file is created, so a failure leaves no empty file behind.
  std::vector<std::uint8_t> bytes = mData.empty() ? Encode() : mData;
  TFileStream stream(fileName, fmCreate);
  stream.WriteBuffer(bytes.data(), std::int64_t(bytes.size()));
}

void TGraphic::Assign(const TPersistent* source) {
  const TGraphic* graphic = dynamic_cast<const TGraphic*>(source);
  if (!graphic) {
    TPersistent::Assign(source);
    return;
  }
  if (graphic == this) return;
  mWidth = graphic->mWidth;
  mHeight = graphic->mHeight;
  mPixels = graphic->mPixels;
  mTransparent = graphic->mTransparent;
  mTransparentColor = graphic->mTransparentColor;
  if (typeid(*graphic) == typeid(*this))
    mData = graphic->mData;
  else
    mData.clear();
  Changed();
}

std::vector<TRGBA> TGraphic::OutputPixels() const {
  return OutputPixelsOf(mPixels, mTransparent, mTransparentColor);
}

void TGraphic::SetImage(TImageData image) {
  mWidth = image.Width;
  mHeight = image.Height;
  mPixels = std::move(image.Pixels);
  mData.clear();
}

void TGraphic::Modified() {
  mData.clear();
  Changed();
}

void TGraphic::Changed() {
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------
// TBitmap

std::unique_ptr<TGraphic> TBitmap::NewOfSameClass() const { return std::make_unique<TBitmap>(); }

void TBitmap::SetSize(int width, int height) {
  CheckImageSize(width, height, "bitmap");
  if (width == Width() && height == Height()) return;
  TImageData image{width, height, std::vector<TRGBA>(std::size_t(width) * height, TRGBA{255, 255, 255, 255})};
  for (int y = 0; y < std::min(height, Height()); ++y)
    for (int x = 0; x < std::min(width, Width()); ++x)
      image.Pixels[std::size_t(y) * width + x] = Pixels()[std::size_t(y) * Width() + x];
  SetImage(std::move(image));
  Changed();
}

void TBitmap::SetPixel(int x, int y, TRGBA color) {
  Pixel(x, y);  // raises outside the image
  MutablePixels()[std::size_t(y) * Width() + x] = color;
  Modified();
}

void TBitmap::Draw(int x, int y, const TGraphic& graphic) {
  bool blend = graphic.Transparent();
  std::vector<TRGBA> source = OutputPixelsOf(graphic.Pixels(), blend, graphic.TransparentColor());
  std::vector<TRGBA>& target = MutablePixels();
  for (int row = std::max(0, -y); row < graphic.Height() && y + row < Height(); ++row) {
    for (int column = std::max(0, -x); column < graphic.Width() && x + column < Width(); ++column) {
      const TRGBA& s = source[std::size_t(row) * graphic.Width() + column];
      TRGBA& d = target[std::size_t(y + row) * Width() + x + column];
      if (!blend) {
        d = s;
        continue;
      }
      // "Source over" with straight alpha.
      int under = d.A * (255 - s.A) / 255;
      int alpha = s.A + under;
      auto mix = [&](std::uint8_t sc, std::uint8_t dc) {
        return static_cast<std::uint8_t>(alpha ? (sc * s.A + dc * under) / alpha : 0);
      };
      d = {mix(s.R, d.R), mix(s.G, d.G), mix(s.B, d.B), static_cast<std::uint8_t>(alpha)};
    }
  }
  Modified();
}

TGraphic::TImageData TBitmap::Decode(std::span<const std::uint8_t> data) const {
  TByteReader in(data, "bitmap");
  if (!StartsWith(data, "BM")) in.Fail("not a BMP file");
  std::uint32_t pixelOffset = in.U32(10);
  if (!pixelOffset) in.Fail("no pixel offset");
  TDibImage image = DecodeDib(in, 14, pixelOffset, false);
  return {image.Width, image.Height, std::move(image.Pixels)};
}

std::vector<std::uint8_t> TBitmap::Encode() const {
  std::vector<TRGBA> pixels = OutputPixels();
  bool alpha = HasAlpha(pixels);
  std::uint32_t headerSize = alpha ? 108 : 40;  // with alpha: a V4 header carrying the masks
  std::uint32_t stride = alpha ? 4 * Width() : (3 * Width() + 3) & ~3u;
  std::uint32_t imageSize = stride * Height();
  std::vector<std::uint8_t> out;
  out.reserve(14 + headerSize + imageSize);
  out.insert(out.end(), {'B', 'M'});
  PutU32(out, 14 + headerSize + imageSize);
  PutU32(out, 0);
  PutU32(out, 14 + headerSize);
  PutU32(out, headerSize);
  PutU32(out, std::uint32_t(Width()));
  PutU32(out, std::uint32_t(Height()));
  PutU16(out, 1);
  PutU16(out, alpha ? 32 : 24);
  PutU32(out, alpha ? BI_BITFIELDS : BI_RGB);
  PutU32(out, imageSize);
  PutU32(out, 2835);  // 72 dots per inch
  PutU32(out, 2835);
  PutU32(out, 0);
  PutU32(out, 0);
  if (alpha) {
    for (std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) PutU32(out, mask);
    PutU32(out, 0x73524742);  // colour space "sRGB"
    out.resize(14 + headerSize, 0);  // end points and gamma unused
  }
  for (int y = Height() - 1; y >= 0; --y) {
    // Rows without columns have no pixel to point at: no element is taken.
    const TRGBA* row = pixels.data() + std::size_t(y) * Width();
    for (int x = 0; x < Width(); ++x) {
      out.insert(out.end(), {row[x].B, row[x].G, row[x].R});
      if (alpha) out.push_back(row[x].A);
    }
    if (!alpha) out.resize(out.size() + (stride - 3 * Width()), 0);
  }
  return out;
}

// ---------------------------------------------------------------------------
// TIcon

std::unique_ptr<TGraphic> TIcon::NewOfSameClass() const { return std::make_unique<TIcon>(); }

TGraphic::TImageData TIcon::Decode(std::span<const std::uint8_t> data) const {
  TByteReader in(data, "icon");
  if (in.U16(0) != 0 || in.U16(2) != 1) in.Fail("not an icon file");
  int count = in.U16(4);
  if (count == 0) in.Fail("the file holds no image");
  in.Need(6, 16u * count);
  int best = 0;
  auto area = [&](int i) {
    int w = in.U8(6 + 16 * i), h = in.U8(7 + 16 * i);
    return (w ? w : 256) * (h ? h : 256);
  };
  for (int i = 1; i < count; ++i) {
    if (area(i) > area(best) || (area(i) == area(best) && in.U16(12 + 16 * i) > in.U16(12 + 16 * best))) best = i;
  }
  std::uint32_t size = in.U32(14 + 16 * best), offset = in.U32(18 + 16 * best);
  in.Need(offset, size);
  std::span<const std::uint8_t> entry = data.subspan(offset, size);
  TDibImage image = StartsWith(entry, "\x89PNG\r\n\x1a\n") ? DecodePng(entry)
                                                           : DecodeDib(TByteReader(entry, "icon"), 0, 0, true);
  return {image.Width, image.Height, std::move(image.Pixels)};
}

std::vector<std::uint8_t> TIcon::Encode() const {
  if (Empty()) throw EInvalidGraphic("Cannot save an empty icon");
  if (Width() > 256 || Height() > 256) throw EInvalidGraphic("An icon holds at most 256 x 256 pixels");
  std::vector<TRGBA> pixels = OutputPixels();
  std::uint32_t maskStride = (std::uint32_t(Width()) + 31) / 32 * 4;
  std::uint32_t imageSize = 4 * Width() * Height() + maskStride * Height();
  std::vector<std::uint8_t> out;
  PutU16(out, 0);
  PutU16(out, 1);
  PutU16(out, 1);
  out.push_back(static_cast<std::uint8_t>(Width() & 0xFF));  // 0 stands for 256
  out.push_back(static_cast<std::uint8_t>(Height() & 0xFF));
  out.push_back(0);
  out.push_back(0);
  PutU16(out, 1);
  PutU16(out, 32);
  PutU32(out, 40 + imageSize);
  PutU32(out, 22);
  PutU32(out, 40);
  PutU32(out, std::uint32_t(Width()));
  PutU32(out, std::uint32_t(Height()) * 2);
  PutU16(out, 1);
  PutU16(out, 32);
  PutU32(out, BI_RGB);
  PutU32(out, imageSize);
  for (int i = 0; i < 4; ++i) PutU32(out, 0);
  for (int y = Height() - 1; y >= 0; --y)
    for (int x = 0; x < Width(); ++x) {
      const TRGBA& p = pixels[std::size_t(y) * Width() + x];
      out.insert(out.end(), {p.B, p.G, p.R, p.A});
    }
  for (int y = Height() - 1; y >= 0; --y) {
    std::size_t rowAt = out.size();
    out.resize(rowAt + maskStride, 0);
    for (int x = 0; x < Width(); ++x)
      if (pixels[std::size_t(y) * Width() + x].A < 128) out[rowAt + x / 8] |= std::uint8_t(0x80 >> (x % 8));
  }
  return out;
}

// ---------------------------------------------------------------------------
// TPngImage

std::unique_ptr<TGraphic> TPngImage::NewOfSameClass() const { return std::make_unique<TPngImage>(); }

TGraphic::TImageData TPngImage::Decode(std::span<const std::uint8_t> data) const {
  TDibImage image = DecodePng(data);
  return {image.Width, image.Height, std::move(image.Pixels)};
}

std::vector<std::uint8_t> TPngImage::Encode() const { return EncodePng(OutputPixels(), Width(), Height()); }

// ---------------------------------------------------------------------------
// TJPEGImage

std::unique_ptr<TGraphic> TJPEGImage::NewOfSameClass() const { return std::make_unique<TJPEGImage>(); }

void TJPEGImage::SetCompressionQuality(int value) { mCompressionQuality = std::clamp(value, 1, 100); }

void TJPEGImage::Compress() {
  mData = Encode();
}

void TJPEGImage::Assign(const TPersistent* source) {
  TGraphic::Assign(source);
  if (const TJPEGImage* jpeg = dynamic_cast<const TJPEGImage*>(source)) {
    mCompressionQuality = jpeg->mCompressionQuality;
    mPerformance = jpeg->mPerformance;
    mProgressiveEncoding = jpeg->mProgressiveEncoding;
    mSmoothing = jpeg->mSmoothing;
    mGrayscale = jpeg->mGrayscale;
  }
}

TGraphic::TImageData TJPEGImage::Decode(std::span<const std::uint8_t> data) const {
  TJpegDecoder decoder;
  InitJpegError(decoder.Error);
  decoder.Info.err = &decoder.Error.Pub;
  if (!JpegReadHeader(decoder, data.data(), data.size())) Invalid("JPEG", decoder.Error.Message);
  JDIMENSION width = decoder.Info.image_width, height = decoder.Info.image_height;
  CheckImageSize(width, height, "JPEG");
  TImageData image{static_cast<int>(width), static_cast<int>(height),
                   std::vector<TRGBA>(std::size_t(width) * height)};
  if (!JpegReadPixels(decoder, image.Pixels.data(), width, mPerformance == jpBestSpeed, mSmoothing))
    Invalid("JPEG", decoder.Error.Message);
  return image;
}

std::vector<std::uint8_t> TJPEGImage::Encode() const {
  if (Empty()) throw EInvalidGraphic("Cannot save an empty JPEG image");
  TJpegEncoder encoder;
  InitJpegError(encoder.Error);
  encoder.Info.err = &encoder.Error.Pub;
  if (!JpegWritePixels(encoder, Pixels().data(), Width(), Height(), mCompressionQuality, mProgressiveEncoding,
                       mGrayscale))
    throw EInvalidGraphic(Format("Cannot write the JPEG image: %s", encoder.Error.Message));
  return std::vector<std::uint8_t>(encoder.Buffer, encoder.Buffer + encoder.Size);
}

// ---------------------------------------------------------------------------
// TGIFImage

std::unique_ptr<TGraphic> TGIFImage::NewOfSameClass() const { return std::make_unique<TGIFImage>(); }

void TGIFImage::Pack() {
  if (Empty()) return;
  TGifIndexed indexed = IndexGifColors(OutputPixels(), Width(), Height());
  std::vector<TRGBA>& pixels = MutablePixels();
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    GifByteType index = indexed.Indices[i];
    const GifColorType& c = indexed.Colors[index];
    pixels[i] = {c.Red, c.Green, c.Blue, static_cast<std::uint8_t>(index == indexed.TransparentIndex ? 0 : 255)};
  }
  Modified();
}

TGraphic::TImageData TGIFImage::Decode(std::span<const std::uint8_t> data) const {
  TDibImage image = DecodeGif(data);
  return {image.Width, image.Height, std::move(image.Pixels)};
}

std::vector<std::uint8_t> TGIFImage::Encode() const { return EncodeGif(OutputPixels(), Width(), Height()); }

// ---------------------------------------------------------------------------
// TPicture

TPicture::~TPicture() = default;

void TPicture::SetGraphic(const TGraphic* graphic) {
  if (!graphic) {
    TakeGraphic(nullptr);
    return;
  }
  std::unique_ptr<TGraphic> copy = graphic->NewOfSameClass();
  copy->Assign(graphic);
  TakeGraphic(std::move(copy));
}

int TPicture::Width() const { return mGraphic ? mGraphic->Width() : 0; }

int TPicture::Height() const { return mGraphic ? mGraphic->Height() : 0; }

void TPicture::LoadFromStream(TStream& stream) {
  std::int64_t start = stream.Position();
  std::uint8_t head[8] = {};
  std::int64_t got = stream.Read(head, sizeof head);
  stream.SetPosition(start);
  std::span<const std::uint8_t> signature(head, std::size_t(std::max<std::int64_t>(got, 0)));
  std::unique_ptr<TGraphic> graphic;
  if (StartsWith(signature, "\x89PNG\r\n\x1a\n"))
    graphic = std::make_unique<TPngImage>();
  else if (StartsWith(signature, "\xFF\xD8"))
    graphic = std::make_unique<TJPEGImage>();
  else if (StartsWith(signature, "GIF8"))
    graphic = std::make_unique<TGIFImage>();
  else if (StartsWith(signature, "BM"))
    graphic = std::make_unique<TBitmap>();
  else if (StartsWith(signature, std::string_view("\0\0\1\0", 4)))
    graphic = std::make_unique<TIcon>();
  else
    throw EInvalidGraphic("Unknown picture format");
  graphic->LoadFromStream(stream);
  TakeGraphic(std::move(graphic));
}

void TPicture::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TPicture::SaveToStream(TStream& stream) const {
  if (mGraphic) mGraphic->SaveToStream(stream);
}

void TPicture::SaveToFile(const std::string& fileName) const {
  if (mGraphic) mGraphic->SaveToFile(fileName);
}

void TPicture::Assign(const TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
  } else if (const TPicture* picture = dynamic_cast<const TPicture*>(source)) {
    if (picture != this) SetGraphic(picture->Graphic());
  } else if (const TGraphic* graphic = dynamic_cast<const TGraphic*>(source)) {
    SetGraphic(graphic);
  } else {
    TPersistent::Assign(source);
  }
}

void TPicture::AssignTo(TPersistent* dest) const {
  TGraphic* graphic = dynamic_cast<TGraphic*>(dest);
  if (graphic && mGraphic)
    graphic->Assign(mGraphic.get());
  else
    TPersistent::AssignTo(dest);
}

void TPicture::TakeGraphic(std::unique_ptr<TGraphic> graphic) {
  mGraphic = std::move(graphic);
  if (mGraphic) mGraphic->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

}  // namespace kx
