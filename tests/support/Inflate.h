// Undoes what the server compressed: gzip (windowBits 31), zlib-wrapped deflate (15) or raw deflate (-15), of any
// length. A stream that does not end cleanly fails the calling test.
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace kx::test {

inline std::string Inflate(const std::string& data, int windowBits) {
  z_stream zs{};
  EXPECT_EQ(inflateInit2(&zs, windowBits), Z_OK);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = uInt(data.size());
  std::string out;
  char chunk[16384];
  int code;
  do {
    zs.next_out = reinterpret_cast<Bytef*>(chunk);
    zs.avail_out = sizeof chunk;
    code = inflate(&zs, Z_NO_FLUSH);
    out.append(chunk, sizeof chunk - zs.avail_out);
  } while (code == Z_OK);
  EXPECT_EQ(code, Z_STREAM_END);
  inflateEnd(&zs);
  return out;
}

inline std::string Gunzip(const std::string& data) { return Inflate(data, 15 + 16); }

}  // namespace kx::test
