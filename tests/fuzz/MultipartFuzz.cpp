// multipart/form-data bodies from a client, read by TMultipartParser. The first byte sets how many bytes the source
// hands out per read, the text up to the first "\n" is the boundary, the rest is the body. The body read in one go
// and read in small steps gives the same fields and files, or raises in both; every file holds the bytes its size
// says and is gone once its uploads object is.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "kx/foundation/Streams.h"
#include "kx/hosts/HostUploads.h"
#include "kx/platform/Streams.h"

using namespace kx;

namespace {

// A source that hands out at most Step bytes per read, so that delimiters fall across reads.
class TTrickleStream : public TPointerStream {
 public:
  TTrickleStream(std::string_view data, std::int64_t step)
      : TPointerStream(data.data(), std::int64_t(data.size())), mStep(step) {}
  std::int64_t Read(void* buffer, std::int64_t count) override {
    return TPointerStream::Read(buffer, std::min(count, mStep));
  }

 private:
  std::int64_t mStep;
};

struct TResult {
  bool Raised = false;
  std::vector<std::string> Fields;
  std::vector<std::string> Files;  // name, field, type and bytes of each
};

std::string FileBytes(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TResult Parse(std::string_view body, std::string_view boundary, std::int64_t step) {
  TResult result;
  std::vector<std::string> files;
  {
    THostUploads uploads;
    TTrickleStream source(body, step);
    try {
      TMultipartParser(source, boundary).Parse(fuzz::Sandbox(), result.Fields, uploads);
    } catch (const EMultipartError&) {
      result.Raised = true;
    }
    for (const TRequestPacketFile& file : uploads.Files()) {
      const std::string bytes = FileBytes(file.TempPathName);
      fuzz::Check(std::int64_t(bytes.size()) == file.FileSize, "an upload holds as many bytes as its size says");
      fuzz::Check(file.TempPathName.starts_with(fuzz::Sandbox()), "an upload is written to the upload folder");
      result.Files.push_back(file.FileName + '\n' + file.FieldName + '\n' + file.ContentType + '\n' + bytes);
      files.push_back(file.TempPathName);
    }
  }
  for (const std::string& file : files) fuzz::Check(!std::filesystem::exists(file), "uploads delete their files");
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::int64_t step = 1 + data[0] % 64;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t newline = rest.find('\n');
  if (newline == std::string_view::npos) return 0;
  const std::string_view boundary = rest.substr(0, newline);
  const std::string_view body = rest.substr(newline + 1);

  const TResult whole = Parse(body, boundary, std::int64_t(body.size()) + 1);
  const TResult stepped = Parse(body, boundary, step);
  fuzz::Check(whole.Raised == stepped.Raised, "reading in steps raises as reading at once does");
  if (!whole.Raised) {
    fuzz::Check(whole.Fields == stepped.Fields, "reading in steps gives the same fields");
    fuzz::Check(whole.Files == stepped.Files, "reading in steps gives the same files");
  }
  return 0;
}
