// URL text from a client: KXHttpDecode gives valid UTF-8 or raises its decoding error, and encoding the result
// decodes back to it; the request's path normalised by TKXServer::GetUrlPath raises for a "\" or holds none.
// The input is split at its first NUL: the query text, then the path.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "kx/appserver/Runtime.h"
#include "kx/appserver/Server.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Startup.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/platform/Utf8.h"

using namespace kx;

namespace {

struct TFixture {
  TFixture() : scope(runtime) {
    Startup();
    gGetAppPath = [] { return fuzz::Sandbox(); };
    controller.reset(TComponent::Create<TKXServerControllerBase>(nullptr));
    gSC = gServerController = controller.get();
  }
  TKXRuntime runtime;
  TKXRuntimeSlots::TScope scope;
  TOwnedComponent<TKXServerControllerBase> controller;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TFixture* fixture = new TFixture;  // lives as long as the process
  (void)fixture;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string_view query = input.substr(0, split);
  const std::string_view path = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

  try {
    const std::string decoded = KXHttpDecode(query);
    fuzz::Check(SanitizeUtf8(decoded) == decoded, "decoded text is valid UTF-8");
    fuzz::Check(KXHttpDecode(KXHttpEncode(decoded)) == decoded, "encoding and decoding give the decoded text");
  } catch (const Exception&) {
  }

  TRequestPacketFields fields;
  fields.Method = "GET";
  fields.PathInfo = std::string(path);
  fields.URL = fields.PathInfo;
  std::vector<char> packet = fuzz::EncodeRequest(fields);
  TKXServer server(packet.data(), std::int32_t(packet.size()));
  try {
    const std::string normalised = server.GetUrlPath();
    fuzz::Check(normalised.find('\\') == std::string::npos, "a normalised path holds no backslash");
  } catch (const EKXException&) {
  }
  return 0;
}
