// What the fuzz targets share: a folder of their own for every file a target may write or delete, and the
// confinement of request packets to it. A request packet names files the framework deletes once the request is
// done (a packet stored in a file, the temporary files of uploads); fuzzed bytes must never name a file outside
// that folder.
#pragma once

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "kx/foundation/HttpPackets.h"

namespace kx::fuzz {

// A temporary folder ending in "/", made once per process and removed with what it holds at its exit.
inline const std::string& Sandbox() {
  struct TFolder {
    TFolder() {
      std::string pattern = std::filesystem::temp_directory_path().string() + "/kx-fuzz-XXXXXX";
      if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
      }
      Name = pattern + "/";
    }
    ~TFolder() {
      std::error_code error;
      std::filesystem::remove_all(Name, error);
    }
    std::string Name;
  };
  static const TFolder folder;
  return folder.Name;
}

// Whether the bytes hold their content inline: a packet stored in a file names that file, which its reader
// deletes, so such inputs are not run.
inline bool StoredInline(const std::uint8_t* data, std::size_t size) {
  return size > std::size_t(THttpPacket::EnvelopeSize - 1) && data[THttpPacket::EnvelopeSize - 1] == ptInline;
}

// The fields with every upload's temporary file moved into the sandbox (by its position, as a name no file has).
inline bool ConfineFiles(TRequestPacketFields& fields) {
  bool moved = false;
  for (std::size_t i = 0; i < fields.Files.size(); ++i) {
    fields.Files[i].TempPathName = Sandbox() + "upload-" + std::to_string(i) + ".tmp";
    moved = true;
  }
  return moved;
}

// The request packet of fields in a host-sized buffer.
inline std::vector<char> EncodeRequest(const TRequestPacketFields& fields) {
  std::vector<char> buffer(THttpPacket::HostBufferSize);
  WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
  return buffer;
}

// Aborts with the message when the condition fails: libFuzzer keeps the input as a crash.
inline void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
  }
}

}  // namespace kx::fuzz
