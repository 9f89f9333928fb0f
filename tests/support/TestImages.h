// Small images for the graphics tests, and the byte round trips through streams.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kx/platform/Graphics.h"
#include "kx/platform/Streams.h"

namespace kx::test {

using Bytes = std::vector<std::uint8_t>;

// w x h pixels, each of its own colour, opaque.
inline void FillPattern(TBitmap& bitmap, int w, int h) {
  bitmap.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      bitmap.SetPixel(x, y, {std::uint8_t(x * 37 + 5), std::uint8_t(y * 23 + 7), std::uint8_t((x ^ y) * 11), 255});
}

// A smooth gradient, which lossy coding keeps close.
inline void FillGradient(TBitmap& bitmap, int w, int h) {
  bitmap.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      bitmap.SetPixel(x, y, {std::uint8_t(x * 255 / (w - 1)), std::uint8_t(y * 255 / (h - 1)), 128, 255});
}

inline Bytes SaveBytes(const TGraphic& graphic) {
  TMemoryStream stream;
  graphic.SaveToStream(stream);
  const auto* begin = static_cast<const std::uint8_t*>(stream.Memory());
  return Bytes(begin, begin + stream.Size());
}

inline void LoadBytes(TGraphic& graphic, const Bytes& bytes) {
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), std::int64_t(bytes.size()));
  stream.SetPosition(0);
  graphic.LoadFromStream(stream);
}

template <class T>
std::unique_ptr<T> Decoded(const Bytes& bytes) {
  auto graphic = std::make_unique<T>();
  LoadBytes(*graphic, bytes);
  return graphic;
}

inline bool HasMarker(const Bytes& bytes, std::uint8_t first, std::uint8_t second) {
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
    if (bytes[i] == first && bytes[i + 1] == second) return true;
  return false;
}

}  // namespace kx::test
