// The least Beast server that answers what bench/load.sh asks the demo for: "/$/ping" and the pre-compressed
// "/$/js/KXBase.js" and "/$/js/KXLib.js", with the same status, header lines and body bytes as the stand-alone server sends, from
// memory, with no packets and no framework. Its throughput is the limit of the machine for the load test. Its
// threads are arranged as the stand-alone server's: one io_context per thread, each connection on one of them
// (given in turn); --shared runs one io_context on all the threads instead, as Beast's examples do.
//   kx_bench_minimal_beast [--port N] [--threads N] [--shared]
// Prints "Listening on http://127.0.0.1:PORT/" and stops on SIGINT or SIGTERM.
#include <pthread.h>
#include <signal.h>
#include <time.h>

#include <utility>  // before Boost under C++20

#include <boost/asio/dispatch.hpp>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "kx/appserver/Compression.h"
#include "kx/platform/Resources.h"
#include "kx/foundation/Streams.h"

namespace kx {
namespace {

namespace beast = boost::beast;
namespace http = boost::beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using TSpanResponse = http::response<http::span_body<const char>>;

// An HTTP date, seconds from now.
std::string HttpDate(int fromNow) {
  const time_t t = time(nullptr) + fromNow;
  struct tm utc {};
  gmtime_r(&t, &utc);
  char text[64];
  strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &utc);
  return text;
}

struct TAnswers {
  std::string Ping = "Pong";
  // gzip of KX_JS_KXBASE and KX_JS_KXLIB at level 9, as the internal files pre-compress them
  std::string Script = Compressed("KX_JS_KXBASE");
  std::string Bundle = Compressed("KX_JS_KXLIB");
  std::string LastModified = HttpDate(0);
  std::string Expires = HttpDate(2 * 3600);

  static std::string Compressed(const char* name) {
    const TEmbeddedResource* resource = FindResource(name);
    if (!resource) throw std::runtime_error(std::string(name) + " is not embedded");
    TPointerStream source(resource->Data, std::int64_t(resource->Size));
    TMemoryStream compressed;
    KXCompressStreamProc(source, compressed, 9, kxcmGZIP);
    return std::string(static_cast<const char*>(compressed.Memory()), std::size_t(compressed.Size()));
  }
};

const TAnswers* gAnswers = nullptr;

TSpanResponse Answer(const http::request<http::empty_body>& req) {
  TSpanResponse res;
  res.version(req.version());
  res.keep_alive(req.keep_alive());
  const beast::string_view target = req.target();
  if (target == "/$/ping") {
    res.set(http::field::content_type, "text/html; charset=UTF-8");
    res.set(http::field::cache_control, "no-cache");
    res.set(http::field::pragma, "no-cache");
    res.body() = {gAnswers->Ping.data(), gAnswers->Ping.size()};
  } else if (target == "/$/js/KXBase.js" || target == "/$/js/KXLib.js") {
    const std::string& script = target == "/$/js/KXBase.js" ? gAnswers->Script : gAnswers->Bundle;
    res.set(http::field::content_type, "application/x-javascript; charset=UTF-8");
    res.set(http::field::content_encoding, "gzip");
    res.set(http::field::vary, "Accept-Encoding");
    res.set(http::field::last_modified, gAnswers->LastModified);
    res.set(http::field::cache_control, "private");
    res.set(http::field::expires, gAnswers->Expires);
    res.body() = {script.data(), script.size()};
  } else {
    res.result(http::status::not_found);
    res.set(http::field::content_type, "text/plain");
  }
  res.prepare_payload();
  return res;
}

class TSession : public std::enable_shared_from_this<TSession> {
 public:
  explicit TSession(tcp::socket&& socket) : mStream(std::move(socket)) {}

  void Run() {
    net::dispatch(mStream.get_executor(), [self = shared_from_this()] { self->DoRead(); });
  }

 private:
  void DoRead() {
    mRequest = {};
    mStream.expires_after(std::chrono::seconds(30));
    http::async_read(mStream, mBuffer, mRequest,
                     [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnRead(ec); });
  }

  void OnRead(beast::error_code ec) {
    if (ec) return DoClose();
    mResponse = Answer(mRequest);
    http::async_write(mStream, mResponse, [self = shared_from_this()](beast::error_code ec, std::size_t) {
      if (ec || !self->mResponse.keep_alive()) return self->DoClose();
      self->DoRead();
    });
  }

  void DoClose() {
    beast::error_code ec;
    mStream.socket().shutdown(tcp::socket::shutdown_send, ec);
  }

  beast::tcp_stream mStream;
  beast::flat_buffer mBuffer;
  http::request<http::empty_body> mRequest;
  TSpanResponse mResponse;
};

class TListener : public std::enable_shared_from_this<TListener> {
 public:
  TListener(std::vector<std::unique_ptr<net::io_context>>& loops, tcp::endpoint endpoint)
      : mLoops(loops), mAcceptor(*loops.front()) {
    mAcceptor.open(endpoint.protocol());
    mAcceptor.set_option(net::socket_base::reuse_address(true));
    mAcceptor.bind(endpoint);
    mAcceptor.listen(net::socket_base::max_listen_connections);
  }
  std::uint16_t Port() const { return mAcceptor.local_endpoint().port(); }
  void DoAccept() {
    net::io_context& loop = *mLoops[mNext++ % mLoops.size()];
    mAcceptor.async_accept(net::make_strand(loop), [self = shared_from_this()](beast::error_code ec, tcp::socket s) {
      if (!ec) {
        s.set_option(tcp::no_delay(true), ec);
        std::make_shared<TSession>(std::move(s))->Run();
      }
      if (self->mAcceptor.is_open()) self->DoAccept();
    });
  }

 private:
  std::vector<std::unique_ptr<net::io_context>>& mLoops;
  std::size_t mNext = 0;
  tcp::acceptor mAcceptor;
};

int Run(int argc, char** argv) {
  int port = 0;
  int threads = std::max(2, int(std::thread::hardware_concurrency()));  // as many as the stand-alone server
  bool shared = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--shared") == 0) shared = true;
    if (i + 1 < argc && std::strcmp(argv[i], "--port") == 0) port = std::atoi(argv[++i]);
    if (i + 1 < argc && std::strcmp(argv[i], "--threads") == 0) threads = std::max(1, std::atoi(argv[++i]));
  }
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  TAnswers answers;
  gAnswers = &answers;
  std::vector<std::unique_ptr<net::io_context>> loops;
  for (int i = 0; i < (shared ? 1 : threads); ++i) loops.push_back(std::make_unique<net::io_context>());
  auto listener = std::make_shared<TListener>(loops, tcp::endpoint(net::ip::address_v4::loopback(), std::uint16_t(port)));
  listener->DoAccept();
  std::vector<net::executor_work_guard<net::io_context::executor_type>> busy;  // a loop with no connection yet waits
  for (auto& loop : loops) busy.push_back(net::make_work_guard(*loop));
  std::vector<std::thread> pool;
  for (int i = 0; i < threads; ++i) pool.emplace_back([&loops, i] { loops[std::size_t(i) % loops.size()]->run(); });
  std::printf("Listening on http://127.0.0.1:%d/\n", int(listener->Port()));
  std::fflush(stdout);
  int signalNumber = 0;
  sigwait(&stopSignals, &signalNumber);
  for (auto& loop : loops) loop->stop();
  for (std::thread& thread : pool) thread.join();
  return 0;
}

}  // namespace
}  // namespace kx

int main(int argc, char** argv) {
  try {
    return kx::Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kx_bench_minimal_beast: %s\n", e.what());
    return 1;
  }
}
