// Image files from a client or an application's folder, loaded by TPicture (PNG, JPEG, GIF, BMP, ICO chosen by
// their first bytes): a file loads or raises EInvalidGraphic, and a loaded image saves and loads again with its
// size and its opaque pixels.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "kx/foundation/Streams.h"
#include "kx/platform/Graphics.h"
#include "kx/platform/Streams.h"

using namespace kx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A few bytes of GIF may declare 16 million pixels, all within the default limit; a lower one keeps each run short
  // (the limit itself is tested with the graphics).
  static const bool limited = (TGraphic::SetMaxPixels(std::int64_t(1) << 20), true);
  (void)limited;
  TPointerStream source(data, std::int64_t(size));
  TPicture picture;
  try {
    picture.LoadFromStream(source);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  TGraphic* graphic = picture.Graphic();
  fuzz::Check(graphic != nullptr, "a picture that loaded holds a graphic");
  fuzz::Check(std::int64_t(graphic->Pixels().size()) == std::int64_t(graphic->Width()) * graphic->Height(),
              "a graphic holds width * height pixels");
  // The pixels as a bitmap (lossless), written and read back.
  TBitmap bitmap;
  bitmap.Assign(graphic);
  TMemoryStream saved;
  bitmap.SaveToStream(saved);
  saved.SetPosition(0);
  TBitmap again;
  again.LoadFromStream(saved);
  // An image without pixels may keep one side (a GIF screen 72 x 0 loads as such) where a bitmap file reads 0 x 0.
  if (bitmap.Empty())
    fuzz::Check(again.Empty(), "a saved empty bitmap stays empty");
  else
    fuzz::Check(again.Width() == bitmap.Width() && again.Height() == bitmap.Height(), "a saved bitmap keeps its size");
  // Opaque pixels travel unchanged; transparency may be written as a colour key, so it is not compared.
  if (!bitmap.Transparent()) fuzz::Check(again.Pixels() == bitmap.Pixels(), "a saved bitmap keeps its pixels");
  return 0;
}
