// The files built into the library: cmake/EmbedResources.cmake turns each file listed in resources/manifest.txt
// into a static byte array and a row of a table sorted by name. The bytes live as long as the process, so a look-up
// hands out a view of them: never a copy, and nothing to free.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace kx {

struct TEmbeddedResource {
  std::string_view Name;       // upper case (ASCII), as listed in the manifest otherwise
  const unsigned char* Data;   // never null, also for an empty file
  std::size_t Size;

  std::span<const std::byte> Bytes() const { return std::as_bytes(std::span(Data, Size)); }
  // The bytes as text, for the UTF-8 page templates.
  std::string_view Text() const { return {reinterpret_cast<const char*>(Data), Size}; }
};

// Every embedded resource, sorted by the byte order of the upper-case names. Defined by the generated source.
std::span<const TEmbeddedResource> EmbeddedResources();

// The resource called name, compared ignoring ASCII case ("kx_gfx_tp" finds "KX_GFX_Tp"); nullptr when there is
// none. A binary search: no allocation, safe from any thread.
const TEmbeddedResource* FindResource(std::string_view name);

}  // namespace kx
