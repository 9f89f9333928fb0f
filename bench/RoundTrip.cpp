// Round trips over keep-alive connections, each a client that sends its next request when the answer to the last
// one has come: the rate a lone user (one connection) or a few see, with no queueing in the client.
//   kx_bench_roundtrip PORT MODE [CONNECTIONS] [SECONDS]
// MODE is one of
//   ping        GET "/$/ping"
//   get:PATH    GET PATH with "Accept-Encoding: gzip" (a script as the browser asks for it)
//   callbacks   each connection opens a session of the demo as a browser does (start page, start check, start
//               post, main form), then clicks its callback button (BUTTON2) with the edit's text, each click with
//               the track id the previous answer set. Each connection's session comes from an address of its own
//               in 198.18.0.0/15 (X-Forwarded-For, which the demo believes from 127.0.0.1).
// Prints one line: requests answered, requests per second, median and 99th percentile round trip. Exits 1 when a
// request failed or an answer was not 200 (or, for callbacks, held no track id).
#include <utility>  // before Boost under C++20

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace beast = boost::beast;
namespace http = boost::beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using Clock = std::chrono::steady_clock;

const char* const kUserAgent = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";

// One browser on one keep-alive connection.
class TClient {
 public:
  TClient(std::uint16_t port, int number) : mSocket(mIoc) {
    mSocket.connect(tcp::endpoint(net::ip::address_v4::loopback(), port));
    mSocket.set_option(tcp::no_delay(true));
    mAddress = "198.18." + std::to_string(number / 250) + "." + std::to_string(number % 250 + 1);
  }

  // The answer's body; throws on a failed exchange or a status other than 200.
  std::string Exchange(http::verb method, const std::string& target, const std::string& body = {},
                       bool gzip = false) {
    http::request<http::string_body> req(method, target, 11);
    req.set(http::field::host, "127.0.0.1");
    req.set(http::field::user_agent, kUserAgent);
    req.set(http::field::accept_language, "en");
    req.set("X-Forwarded-For", mAddress);
    if (gzip) req.set(http::field::accept_encoding, "gzip, deflate");
    if (!mCookie.empty()) req.set(http::field::cookie, mCookie);
    if (method == http::verb::post) {
      req.set(http::field::content_type, "application/x-www-form-urlencoded; charset=UTF-8");
      req.body() = body;
    }
    req.prepare_payload();
    http::write(mSocket, req);
    http::response<http::string_body> res;
    http::read(mSocket, mBuffer, res);
    if (res.result() != http::status::ok)
      throw std::runtime_error(target + " answered " + std::to_string(res.result_int()));
    for (auto it = res.find(http::field::set_cookie); it != res.end() && it->name() == http::field::set_cookie; ++it) {
      std::string line(it->value());
      if (line.rfind("KX_", 0) == 0) mCookie = line.substr(0, line.find(';'));
    }
    return std::move(res.body());
  }

  // Opens a session of the demo as a browser does; remembers its id, form and track id.
  void OpenSession() {
    // The start page names the new session; its script sends the id on with the window's size.
    const std::string start = Exchange(http::verb::get, "/");
    const std::string fields = "KX_width=1024&KX_height=768&KX_SessionID_=" +
                               Match(start, R"rx(KX_SessionID_=([^&"]+))rx") +
                               "&KX_TrackID_=" + Match(start, R"(KX_TrackID_=([0-9a-z]+))");
    Exchange(http::verb::get, "/$/StartCheck?" + fields);
    std::string page = Exchange(http::verb::post, "/", fields);
    if (page.find("GAppID") == std::string::npos) page = Exchange(http::verb::get, "/$/");
    mApp = Match(page, R"(GAppID\s*=\s*"([^"]*)\")");
    mTrack = Match(page, R"(GTrackID\s*=\s*(\d+))");
    mForm = Match(page, R"rx(name="KX_FormID_"[^>]*value="([^"]*)")rx", false);
  }

  void Click(long counter) {
    const std::string target = "/$/callback?callback=BUTTON2.DoOnAsyncClick&KX_AjaxID=" + std::to_string(counter) +
                               "&KX_TrackID_=" + mTrack;
    std::string body = "EDIT1=click+" + std::to_string(counter) + "&KX_SessionID_=" + mApp;
    if (!mForm.empty()) body += "&KX_FormID_=" + mForm;
    mTrack = Between(Exchange(http::verb::post, target, body), "<trackid>", "</trackid>");
  }

 private:
  static std::string Match(const std::string& text, const char* pattern, bool required = true) {
    std::smatch match;
    if (std::regex_search(text, match, std::regex(pattern))) return match[1];
    if (required) throw std::runtime_error(std::string("the answer lacks ") + pattern);
    return {};
  }
  // What stands between open and close in text: a plain search, so that the client's own time stays small.
  static std::string Between(const std::string& text, const std::string& open, const std::string& close) {
    const std::size_t start = text.find(open);
    const std::size_t end = start == std::string::npos ? start : text.find(close, start + open.size());
    if (end == std::string::npos) throw std::runtime_error("the answer lacks " + open);
    return text.substr(start + open.size(), end - start - open.size());
  }

  net::io_context mIoc;
  tcp::socket mSocket;
  beast::flat_buffer mBuffer;
  std::string mAddress, mCookie, mApp, mTrack, mForm;
};

struct TResult {
  std::vector<double> Micros;  // one per round trip
  std::string Error;
};

void RunClient(std::uint16_t port, const std::string& mode, int number, std::atomic<int>& ready, int clients,
               double seconds, TResult& result) {
  try {
    TClient client(port, number);
    if (mode == "callbacks") client.OpenSession();
    ++ready;
    while (ready.load() < clients) std::this_thread::yield();  // every session open before the clock starts
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    for (long counter = 1; Clock::now() < end; ++counter) {
      const auto before = Clock::now();
      if (mode == "ping")
        client.Exchange(http::verb::get, "/$/ping");
      else if (mode.rfind("get:", 0) == 0)
        client.Exchange(http::verb::get, mode.substr(4), {}, true);
      else
        client.Click(counter);
      result.Micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - before).count());
    }
  } catch (const std::exception& e) {
    result.Error = e.what();
    ++ready;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: kx_bench_roundtrip PORT ping|get:PATH|callbacks [CONNECTIONS] [SECONDS]\n");
    return 2;
  }
  const auto port = std::uint16_t(std::atoi(argv[1]));
  const std::string mode = argv[2];
  const int clients = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1;
  const double seconds = argc > 4 ? std::atof(argv[4]) : 5;
  if (mode != "ping" && mode != "callbacks" && mode.rfind("get:", 0) != 0) {
    std::fprintf(stderr, "kx_bench_roundtrip: unknown mode \"%s\"\n", mode.c_str());
    return 2;
  }
  std::vector<TResult> results(static_cast<std::size_t>(clients));
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < clients; ++i)
    threads.emplace_back(RunClient, port, mode, i, std::ref(ready), clients, seconds, std::ref(results[std::size_t(i)]));
  for (std::thread& thread : threads) thread.join();

  std::vector<double> all;
  int failures = 0;
  for (const TResult& result : results) {
    all.insert(all.end(), result.Micros.begin(), result.Micros.end());
    if (!result.Error.empty()) {
      ++failures;
      std::fprintf(stderr, "kx_bench_roundtrip: %s\n", result.Error.c_str());
    }
  }
  std::sort(all.begin(), all.end());
  auto percentile = [&](double p) { return all.empty() ? 0.0 : all[std::size_t(p * double(all.size() - 1))]; };
  std::printf("%s, %d connection(s), %.0f s: %zu answered, %.0f requests/s, median %.1f us, p99 %.1f us\n",
              mode.c_str(), clients, seconds, all.size(), double(all.size()) / seconds, percentile(0.5),
              percentile(0.99));
  return failures == 0 ? 0 : 1;
}
