// Request packets as bytes from a host: ReadRequestPacket and THttpRequest must read them or raise a packet error,
// and what they read must survive writing it again unchanged.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/HttpRequest.h"
#include "kx/platform/SysUtils.h"

using namespace kx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!fuzz::StoredInline(data, size)) return 0;
  TRequestPacketFields fields;
  try {
    fields = ReadRequestPacket(data, std::int64_t(size));
  } catch (const Exception&) {
    return 0;
  }
  // Upload files are deleted with the request: with any named, the request reads the packet rewritten to name
  // files in the sandbox instead of the fuzzed bytes.
  std::vector<char> confined;
  const bool moved = fuzz::ConfineFiles(fields);
  try {
    if (moved) confined = fuzz::EncodeRequest(fields);
  } catch (const Exception&) {
    return 0;  // more files than a packet holds
  }
  const void* packet = moved ? static_cast<const void*>(confined.data()) : data;
  const std::int64_t length = moved ? std::int64_t(confined.size()) : std::int64_t(size);
  THttpRequest request(packet, length);
  fuzz::Check(request.PathInfo() == fields.PathInfo && request.Query() == fields.Query &&
                  request.HasContent() == fields.HasContent && request.Files().Count() == int(fields.Files.size()) &&
                  request.QueryFields().Count() == int(fields.QueryFields.size()),
              "THttpRequest reads the fields ReadRequestPacket reads");
  request.GetParams();
  request.GetRawHeaderValue("Content-Type");
  request.GetCookieValue("KX_MyKXApp");

  try {
    const std::vector<char> again = fuzz::EncodeRequest(fields);
    fuzz::Check(ReadRequestPacket(again.data(), std::int64_t(again.size())) == fields,
                "a packet read and written again reads the same");
  } catch (const Exception&) {
  }
  return 0;
}
