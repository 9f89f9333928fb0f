// Server time against size, 1 to 64 MiB, for request shapes a hostile client may send, through the stand-alone
// host's decoding as it runs for every request before any session: Beast's parser fed 64 KiB reads as the host's
// connection feeds it (the header, then a body over 64 KiB spooled to a file), the request fields with the host's
// limits (EncodeRequestFields, 10,000 form fields), the request packet and the framework's request read from it.
// Each iteration is one request. Shapes that a limit refuses before their reader (the header block's 64 KiB and
// 1,024 lines) run with that limit raised, so that the reader below it is measured; a cookie longer than the 64 KiB
// a header field can hold at all is measured at its reader, ParseCookies. The counter "status" is what the host
// answers (200: passed on to the framework). bench/client-bytes.sh runs it and prints milliseconds per MiB.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/file_body.hpp>
#include <boost/beast/http/parser.hpp>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/HttpRequest.h"
#include "kx/foundation/Streams.h"
#include "kx/hosts/HostRequest.h"
#include "kx/foundation/AppInfo.h"

namespace {

using namespace kx;
namespace beast = boost::beast;
namespace http = beast::http;

constexpr std::size_t kMiB = 1 << 20;
constexpr std::size_t kRead = 65536;            // the host's read size
constexpr std::uint32_t kHeaderLimit = 65536;   // the host's defaults
constexpr std::uint64_t kBodyLimit = 64 * kMiB;
constexpr std::size_t kMaxFormFields = 10000;

// The folder of spooled bodies and uploads, removed at the end of the run.
const std::string& Folder() {
  static const struct TFolder {
    std::string Name;
    TFolder() {
      std::string pattern = std::filesystem::temp_directory_path().string() + "/kx-client-bytes-XXXXXX";
      if (!mkdtemp(pattern.data())) std::abort();
      Name = pattern + "/";
      TTempFileStream::SetTempPath(Name);  // where a large request packet spills
    }
    ~TFolder() { std::filesystem::remove_all(Name); }
  } folder;
  return folder.Name;
}

// text repeated up to size bytes, then tail.
std::string Repeat(std::string_view text, std::size_t size, std::string_view tail = {}) {
  std::string result;
  result.reserve(size + tail.size());
  while (result.size() + text.size() <= size) result += text;
  return result += tail;
}

// A request: what the client sends, and whether its header block exceeds the host's limits.
struct TShape {
  std::string Bytes;
  bool RaiseHeaderLimit = false;
};

TShape Post(std::string_view contentType, std::string body, std::string_view extraHeader = {}) {
  std::string head = "POST /$/call HTTP/1.1\r\nHost: h\r\nContent-Type: " + std::string(contentType) + "\r\n";
  head += extraHeader;
  if (extraHeader.empty()) head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return {head + "\r\n" + body};
}

TShape Form(std::string body) { return Post("application/x-www-form-urlencoded", std::move(body)); }

const std::string kBoundary(70, 'b');  // the longest a boundary may be

TShape Multipart(std::string body) {
  return Post("multipart/form-data; boundary=" + kBoundary, std::move(body) + "--" + kBoundary + "--\r\n");
}
constexpr std::size_t kCloseRoom = 80;  // for the closing delimiter, within the body limit

// One request through the host's decoding; the status the host answers.
unsigned Serve(const TShape& shape) {
  beast::flat_buffer buffer;
  std::size_t sent = 0;
  // Appends the next read's worth of bytes to the buffer; false when all are sent.
  auto read = [&] {
    const std::size_t n = std::min(kRead, shape.Bytes.size() - sent);
    if (n == 0) return false;
    std::memcpy(buffer.prepare(n).data(), shape.Bytes.data() + sent, n);
    buffer.commit(n);
    sent += n;
    return true;
  };
  auto parse = [&](auto& parser, auto done) {
    for (;;) {
      beast::error_code ec;
      if (buffer.size() > 0) buffer.consume(parser.put(buffer.data(), ec));
      if (ec && ec != http::error::need_more) throw std::runtime_error("refused: " + ec.message());
      if (done(parser)) return;
      if ((buffer.size() == 0 || ec == http::error::need_more) && !read()) throw std::runtime_error("short request");
    }
  };
  http::request_parser<http::empty_body> header;
  header.header_limit(shape.RaiseHeaderLimit ? std::uint32_t(shape.Bytes.size()) : kHeaderLimit);
  header.body_limit(kBodyLimit);
  parse(header, [](auto& p) { return p.is_header_done(); });

  THostRequestBody body;
  std::optional<http::request_parser<http::file_body>> file;
  if (!header.is_done()) {
    std::string name = MakeTempFile(Folder(), "BRM");
    beast::error_code ec;
    file.emplace(std::move(header));
    file->body_limit(kBodyLimit);
    file->get().body().open(name.c_str(), beast::file_mode::write, ec);
    body.SetSpoolFile(name);
    parse(*file, [](auto& p) { return p.is_done(); });
    file->get().body().close();
  }
  const THostRequestHeader& fields = file ? file->get().base() : header.get().base();
  THostUploads uploads;
  try {
    TRequestPacketFields packetFields =
        EncodeRequestFields(fields, body, {"10.0.0.1", 8080, false}, Folder(), uploads, kMaxFormFields);
    std::vector<char> packet(THttpPacket::HostBufferSize);
    const std::int64_t length = WriteRequestPacket(packetFields, packet.data(), std::int64_t(packet.size()));
    THttpRequest request(packet.data(), length);
    benchmark::DoNotOptimize(request.GetParams().Count());
  } catch (const EHostRequestError& e) {
    return e.Status();
  }
  return 200;
}

void Report(benchmark::State& state, std::size_t size, unsigned status) {
  state.SetBytesProcessed(std::int64_t(state.iterations() * size));
  state.counters["status"] = status;
}

void Run(benchmark::State& state, const std::function<TShape(std::size_t)>& make) {
  const std::size_t size = std::size_t(state.range(0)) * kMiB;
  const TShape shape = make(size);
  unsigned status = 0;
  for (auto _ : state) status = Serve(shape);
  Report(state, size, status);
}

// The reader of a Cookie header, for a cookie the header block could never hold.
void RunCookies(benchmark::State& state, std::string_view unit, std::string_view tail) {
  const std::size_t size = std::size_t(state.range(0)) * kMiB;
  const std::string cookies = Repeat(unit, size, tail);
  for (auto _ : state) {
    std::vector<std::string> lines;
    ParseCookies(cookies, lines);
    benchmark::DoNotOptimize(lines.data());
  }
  Report(state, size, 200);
}

std::string NamesThenOne(std::size_t size) {  // 9,999 names without "=", then one of the rest: within the limit
  return Repeat("a&", 2 * (kMaxFormFields - 1)) + std::string(size - 2 * (kMaxFormFields - 1), 'n');
}

void BM_FormPairsWithoutEquals(benchmark::State& s) { Run(s, [](std::size_t n) { return Form(Repeat("a&", n)); }); }
void BM_FormPairsWithEquals(benchmark::State& s) { Run(s, [](std::size_t n) { return Form(Repeat("a=&", n)); }); }
void BM_FormNamesThenOneHuge(benchmark::State& s) { Run(s, [](std::size_t n) { return Form(NamesThenOne(n)); }); }
void BM_FormOnlyAmpersands(benchmark::State& s) { Run(s, [](std::size_t n) { return Form(std::string(n, '&')); }); }
void BM_FormOneHugeName(benchmark::State& s) { Run(s, [](std::size_t n) { return Form(std::string(n, 'n')); }); }
// The same name as one-byte chunks, each with an extension: the chunked framing.
void BM_ChunkedOneByteChunks(benchmark::State& s) {
  Run(s, [](std::size_t n) {
    return Post("application/x-www-form-urlencoded", Repeat("1;e\r\nn\r\n", n - 5, "0\r\n\r\n"),
                "Transfer-Encoding: chunked\r\n");
  });
}
void BM_QueryPairsWithoutEquals(benchmark::State& s) {
  Run(s, [](std::size_t n) { return TShape{"GET /?" + Repeat("a&", n) + " HTTP/1.1\r\nHost: h\r\n\r\n", true}; });
}
void BM_MultipartEmptyParts(benchmark::State& s) {
  Run(s, [](std::size_t n) { return Multipart(Repeat("--" + kBoundary + "\r\n\r\n\r\n", n - kCloseRoom)); });
}
void BM_MultipartEmptyFileParts(benchmark::State& s) {
  Run(s, [](std::size_t n) {
    const std::string part =
        "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"\"\r\n\r\n\r\n";
    return Multipart(Repeat(part, n - kCloseRoom));
  });
}
// One field whose value is the start of the delimiter over and over, all but its last byte.
void BM_MultipartNearDelimiters(benchmark::State& s) {
  Run(s, [](std::size_t n) {
    const std::string head = "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"v\"\r\n\r\n";
    return Multipart(head + Repeat("\r\n--" + kBoundary.substr(1), n - head.size() - kCloseRoom, "\r\n"));
  });
}
void BM_ManyHeaderLines(benchmark::State& s) {
  Run(s, [](std::size_t n) { return TShape{"GET / HTTP/1.1\r\nHost: h\r\n" + Repeat("X-A: 1\r\n", n, "\r\n"), true}; });
}
void BM_ManyCookieLines(benchmark::State& s) {
  Run(s, [](std::size_t n) {
    return TShape{"GET / HTTP/1.1\r\nHost: h\r\n" + Repeat("Cookie: a=1; b; c=\r\n", n, "\r\n"), true};
  });
}
void BM_CookieOneHuge(benchmark::State& s) { RunCookies(s, "v", "a="); }
void BM_CookiesWithoutEquals(benchmark::State& s) { RunCookies(s, "a;", ""); }

#define SIZES ->RangeMultiplier(4)->Range(1, 64)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_FormPairsWithoutEquals) SIZES;
BENCHMARK(BM_FormPairsWithEquals) SIZES;
BENCHMARK(BM_FormNamesThenOneHuge) SIZES;
BENCHMARK(BM_FormOnlyAmpersands) SIZES;
BENCHMARK(BM_FormOneHugeName) SIZES;
BENCHMARK(BM_ChunkedOneByteChunks) SIZES;
BENCHMARK(BM_QueryPairsWithoutEquals) SIZES;
BENCHMARK(BM_MultipartEmptyParts) SIZES;
BENCHMARK(BM_MultipartEmptyFileParts) SIZES;
BENCHMARK(BM_MultipartNearDelimiters) SIZES;
BENCHMARK(BM_ManyHeaderLines) SIZES;
BENCHMARK(BM_ManyCookieLines) SIZES;
BENCHMARK(BM_CookieOneHuge) SIZES;
BENCHMARK(BM_CookiesWithoutEquals) SIZES;

}  // namespace

BENCHMARK_MAIN();
