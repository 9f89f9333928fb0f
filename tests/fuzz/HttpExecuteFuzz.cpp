// Request packets through the entry point of the demo application (its forms, the session layer and every other
// layer installed once): HttpExecute answers every packet with a reply packet and never raises.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzSupport.h"
#include "examples/demo/DemoForms.h"
#include "kx/appserver/Runtime.h"
#include "kx/appserver/Server.h"
#include "kx/appserver/ServerSession.h"
#include "kx/forms/FormTypes.h"
#include "kx/foundation/HttpReply.h"
#include "kx/hosts/StandAloneApp.h"
#include "kx/platform/SysUtils.h"
#include "support/FormTestControls.h"

using namespace kx;

namespace {

struct TFixture {
  TFixture() : scope(runtime) {
    InstallLayers();
    RegisterSessionLayer();
    SetAsMainForm<TMainForm>();
    controller = std::make_unique<test::TTempController>();
  }
  TKXRuntime runtime;
  TKXRuntimeSlots::TScope scope;
  std::unique_ptr<test::TTempController> controller;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TFixture* fixture = new TFixture;  // lives as long as the process
  (void)fixture;
  if (!fuzz::StoredInline(data, size) || size > std::size_t(THttpPacket::HostBufferSize)) return 0;
  std::vector<char> buffer(THttpPacket::HostBufferSize);
  std::memcpy(buffer.data(), data, size);
  // Upload files are deleted with the request: a packet that names any runs rewritten to name files in the sandbox.
  try {
    TRequestPacketFields fields = ReadRequestPacket(data, std::int64_t(size));
    if (fuzz::ConfineFiles(fields)) buffer = fuzz::EncodeRequest(fields);
  } catch (const Exception&) {
  }
  HttpExecute(buffer.data(), std::int32_t(buffer.size()));
  try {
    ReadReplyPacket(buffer.data(), std::int64_t(buffer.size()));
  } catch (const Exception&) {
    fuzz::Check(false, "HttpExecute leaves a reply packet that reads");
  }
  return 0;
}
