// Packets per second through the entry point: a request packet copied into the host buffer, HttpExecute, and the
// reply packet read back as a host reads it, for the ping path, a 30 KB pre-compressed script and a 404.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kx/appserver/Runtime.h"
#include "kx/appserver/InternalFiles.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/Server.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Startup.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/HttpReply.h"

namespace {

using namespace kx;

std::string gAppFolder;

// One controller for the whole run, over a temporary application folder.
class TBenchServer {
 public:
  // The run's runtime (the process's, so the benchmark's threads share it), made first and freed last.
  TKXRuntime mRuntime;

  TBenchServer() {
    Startup();
    std::string pattern = gsTempPath() + "kx-bench-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    gAppFolder = pattern + "/";
    gGetAppPath = [] { return gAppFolder; };
    std::filesystem::create_directories(gAppFolder + "wwwroot");
    mController.reset(TComponent::Create<TKXServerControllerBase>(nullptr));
    gSC = gServerController = mController.get();

    std::string script;
    for (int i = 0; script.size() < 30 * 1024; ++i)
      script += "function handler" + std::to_string(i) + "(event) { return event.value * " + std::to_string(i) +
                " + offset[" + std::to_string(i % 97) + "]; }\n";
    auto stream = std::make_unique<TMemoryStream>();
    stream->WriteBuffer(script.data(), std::int64_t(script.size()));
    gInternalFiles->AddStream(std::move(stream), "KX_JS_BENCHLIB", "/js/BenchLib.js");
    gInternalFiles->DoPreCompressFiles();
  }
  ~TBenchServer() {
    mController.reset();
    std::filesystem::remove_all(gAppFolder);
  }

 private:
  TOwnedComponent<TKXServerControllerBase> mController;
};

TBenchServer& Server() {
  static TBenchServer server;
  return server;
}

void RunPath(benchmark::State& state, const std::string& path, std::uint16_t expectedCode) {
  Server();
  TRequestPacketFields fields;
  fields.PathInfo = path;
  fields.URL = path;
  fields.Method = "GET";
  fields.Host = "localhost:8080";
  fields.ServerPort = 8080;
  fields.RemoteAddr = "127.0.0.1";
  fields.UserAgent = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";
  fields.RawHeaders = {"Accept-Encoding: gzip, deflate"};
  std::vector<char> request(THttpPacket::HostBufferSize);
  const std::int64_t length = WriteRequestPacket(fields, request.data(), std::int64_t(request.size()));
  std::vector<char> buffer(THttpPacket::HostBufferSize);
  std::int64_t replyBytes = 0;
  for (auto _ : state) {
    std::memcpy(buffer.data(), request.data(), std::size_t(length));
    HttpExecute(buffer.data(), std::int32_t(buffer.size()));
    TReplyPacket reply = ReadReplyPacket(buffer.data(), std::int64_t(buffer.size()));
    if (reply.Code != expectedCode) {
      state.SkipWithError("unexpected status");
      break;
    }
    replyBytes = std::int64_t(reply.Content.size());
    benchmark::DoNotOptimize(reply);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["body_bytes"] = benchmark::Counter(double(replyBytes), benchmark::Counter::kAvgThreads);
}

void BM_Ping(benchmark::State& state) { RunPath(state, "/$/ping", 200); }
void BM_PreCompressedScript(benchmark::State& state) { RunPath(state, "/$/js/BenchLib__1a2b.js", 200); }
void BM_NotFound(benchmark::State& state) { RunPath(state, "/missing/page.txt", 404); }

BENCHMARK(BM_Ping);
BENCHMARK(BM_PreCompressedScript);
BENCHMARK(BM_NotFound);
BENCHMARK(BM_Ping)->Threads(4)->UseRealTime();
BENCHMARK(BM_PreCompressedScript)->Threads(4)->UseRealTime();
BENCHMARK(BM_NotFound)->Threads(4)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
