#include "kx/hosts/StandAloneServer.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/resource.h>
#include <unistd.h>

#include <boost/asio/dispatch.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "kx/appserver/ExceptionLogger.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/RequestWatch.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/FileUtils.h"
#include "kx/foundation/HttpDates.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/HttpReply.h"
#include "kx/foundation/Streams.h"
#include "kx/foundation/TextUtils.h"
#include "kx/hosts/Descriptors.h"
#include "kx/hosts/HostRequest.h"
#include "kx/hosts/LoopRelief.h"

namespace kx {

namespace beast = boost::beast;
namespace http = boost::beast::http;
namespace net = boost::asio;
namespace ssl = boost::asio::ssl;
using tcp = boost::asio::ip::tcp;

namespace {

class TSessionBase {
 public:
  using TClock = std::chrono::steady_clock;

  virtual ~TSessionBase() = default;
  // Closes the connection now unless a request of it is under way (read, in the framework or being answered); such
  // a one closes after its response.
  virtual void CloseFromOutside() = 0;
  // Closes the connection if it still waits for a request (IdleSince) and nothing it sent is left unread, so that a
  // connection waiting at MaxConnections gets its slot.
  virtual void CloseIfIdle() = 0;
  // Since when the connection waits for its next request: none read yet, or its header incomplete (a slow header
  // is an idle client too). Empty while a request is under way or the connection closes.
  std::optional<TClock::time_point> IdleSince() const {
    const TClock::rep since = mIdleSince.load();
    if (since < 0) return std::nullopt;
    return TClock::time_point(TClock::duration(since));
  }

 protected:
  // Set on the connection's strand; a drain reads it from another thread.
  void SetIdle() { mIdleSince = TClock::now().time_since_epoch().count(); }
  void SetBusy() { mIdleSince = kBusy; }
  void SetClosing() { mIdleSince = kClosing; }
  bool Busy() const { return mIdleSince.load() == kBusy; }

 private:
  static constexpr TClock::rep kBusy = -1, kClosing = -2;
  std::atomic<TClock::rep> mIdleSince{TClock::now().time_since_epoch().count()};  // waits for its first request
};

}  // namespace

// ---------------------------------------------------------------------------
// One event loop: an io_context its own thread runs, and the connections given to it. A request is read, handed to
// the framework and answered on that thread, so that a lone client pays no hand-off between threads. While every
// thread of a loop is inside the framework (a request that takes long), the loop's other connections would wait:
// the server's watch then gives the loop a relief thread, which leaves once one of the loop's threads is free again.
// A connection's handlers run on its strand, so two threads of one loop never run the same connection at once.

namespace {

struct TLoop {
  // All of the loop's threads are inside the framework: its other connections (and, on the first loop, the
  // listeners) wait.
  bool Stuck() const { return InFramework.load() >= Threads.load(); }
  // A relief thread may leave when another of the loop's threads is free; the count drops as it decides so.
  bool ReliefMayLeave() {
    int threads = Threads.load();
    return InFramework.load() < threads - 1 && Threads.compare_exchange_strong(threads, threads - 1);
  }

  std::atomic<int> Connections{0};  // open on this loop
  std::atomic<int> Threads{0};      // running Ioc
  std::atomic<int> InFramework{0};  // of those, inside a request's framework call
  // After the counters: destroying the io_context destroys the connections still queued in it, which count down.
  net::io_context Ioc;
  net::executor_work_guard<net::io_context::executor_type> Work{Ioc.get_executor()};
  // Asio makes a loop's epoll, wake-up and timer descriptors with its first socket. Made then, in an accept, they
  // took the descriptors the listener had just made sure were left for the rest of the process (and with none left
  // Asio raises out of the listener's handler): they are made with the loop.
  tcp::socket Warm{Ioc};
};

// Counts a thread of the loop inside the framework for its lifetime.
class TFrameworkCall {
 public:
  explicit TFrameworkCall(TLoop& loop) : mLoop(loop) { ++mLoop.InFramework; }
  ~TFrameworkCall() { --mLoop.InFramework; }
  TFrameworkCall(const TFrameworkCall&) = delete;
  TFrameworkCall& operator=(const TFrameworkCall&) = delete;

 private:
  TLoop& mLoop;
};

}  // namespace

// ---------------------------------------------------------------------------
// The shared state of a running server. Threads and sessions keep it alive, so
// a thread left behind by Stop still finds everything it uses.

namespace {
// How many relief threads there may be at once.
constexpr int kMaxReliefThreads = 64;

int OpenSpareDescriptor() { return ::open("/dev/null", O_RDONLY | O_CLOEXEC); }
}  // namespace

struct TKXStandAloneServer::TCore {
  explicit TCore(const TKXStandAloneServerOptions& options) : Options(options) {}
  ~TCore() {
    if (Spare >= 0) ::close(Spare);
  }

  void Log(const std::string& line) {
    std::lock_guard lock(LogMutex);
    // An error's text may quote what the client sent: cut as the framework's own lines are.
    if (gLogProcedure) gLogProcedure(LogLineText(CutLogText(line, kMaxLogMessage)));
  }

  void Register(const std::shared_ptr<TSessionBase>& session) {
    std::lock_guard lock(Mutex);
    Sessions[session.get()] = session;
  }
  // A session's connection slot is freed with it.
  void Unregister(TSessionBase* session) {
    {
      std::lock_guard lock(Mutex);
      Sessions.erase(session);
      if (Sessions.empty()) Changed.notify_all();
    }
    ReleaseSlot();
  }

  // A slot for the connection a listener is about to accept; false when all
  // MaxConnections are taken: the listener waits until ReleaseSlot resumes it,
  // and meanwhile makes room with CloseIdle when a connection waits for it.
  bool TakeSlot(const std::shared_ptr<class TListener>& listener) {
    std::lock_guard lock(Mutex);
    if (Connections < MaxConnections) {
      ++Connections;
      return true;
    }
    Waiting.push_back(listener);
    return false;
  }
  void ReleaseSlot();

  // At MaxConnections, asks as many connections as wait in a listener's backlog (waiting), at most kDrainBatch, of
  // those that wait for a request to close, those idle longest first (each still closes only if it is idle when its
  // strand gets to it); the slots they free let the listener accept the waiting ones. Logs a line when the drains
  // start: at the first, and after IdleTimeout seconds without one.
  void CloseIdle(int waiting);

  // How many more requests could be inside the framework at once: each loop's own thread and the relief threads
  // there may be, less the requests inside now.
  int SpareThreads() const {
    int inside = 0;
    for (const auto& loop : Loops) inside += loop->InFramework.load();
    return int(Loops.size()) + kMaxReliefThreads - inside;
  }

  // Whether fewer descriptors are free than the sessions keep in reserve (SessionDescriptorReserve of the soft limit
  // now), so that a new session is refused; logged when that starts and when it ends.
  bool DescriptorsShort() {
    const int reserve = SessionDescriptorReserve(DescriptorLimit());
    bool isShort;
    {
      std::lock_guard lock(SpareMutex);
      if (Spare < 0) Spare = OpenSpareDescriptor();
      isShort = Spare < 0 || !DescriptorsFree(Spare, reserve);
    }
    if (SessionsRefused.exchange(isShort) != isShort)
      Log(isShort ? "Open files: fewer than " + std::to_string(reserve) +
                        " free; new sessions are refused until there are"
                  : "Open files: enough free again; new sessions are taken");
    return isShort;
  }

  // Answers the connections waiting on listener while the process has no descriptor for them: the spare descriptor
  // is let go for as long as it takes to accept one, tell it (plain HTTP only) that the server is busy and close it.
  // At most kMaxTurnedAway a call; returns how many.
  int TurnAwayWaiting(int listener, bool plain);

  // The loop for a new connection: the one with the fewest connections, passing over stuck ones.
  TLoop& PickLoop() {
    TLoop* best = Loops.front().get();
    for (auto& loop : Loops)
      if (std::pair(loop->Stuck(), loop->Connections.load()) < std::pair(best->Stuck(), best->Connections.load()))
        best = loop.get();
    return *best;
  }

  TKXStandAloneServerOptions Options;
  std::string TempFolder;
  std::atomic<bool> Stopping{false};
  // Set once Stop waited StopTimeout: requests still waiting in the framework (for a busy session) give up.
  std::atomic<bool> EndWaits{false};
  std::mutex LogMutex;
  std::mutex Mutex;  // guards Sessions, RunningThreads, Connections and Waiting
  std::condition_variable Changed;  // a session ended, a thread ended, or Stop began
  std::map<TSessionBase*, std::weak_ptr<TSessionBase>> Sessions;
  int RunningThreads = 0;  // loop, relief and watch threads
  int ReliefThreads = 0;
  int MaxConnections = 1;
  int Connections = 0;  // open sessions and accepts in progress
  std::chrono::steady_clock::time_point LastDrain;  // of the last CloseIdle that found an idle connection
  std::optional<ssl::context> SslContext;
  std::mutex SpareMutex;  // guards Spare
  // A descriptor held for TurnAwayWaiting (and the copies DescriptorsShort counts with); -1 when it could not be
  // opened again after one.
  int Spare = -1;
  std::atomic<bool> SessionsRefused{false};  // DescriptorsShort's last answer
  // Declared after what sessions use: destroying them destroys the sessions still queued in them.
  std::vector<std::unique_ptr<TLoop>> Loops;
  std::vector<std::shared_ptr<class TListener>> Listeners;
  std::vector<std::shared_ptr<class TListener>> Waiting;  // listeners stopped at MaxConnections
  std::vector<std::thread> Threads;
  std::uint16_t Port = 0;
  std::uint16_t SSLPort = 0;
};

namespace {

using TCore = TKXStandAloneServer::TCore;

// Accepting failed for want of descriptors or kernel memory: an immediate retry would fail the same way.
bool IsResourceShortage(const beast::error_code& ec) {
  if (ec.category() != boost::system::system_category()) return false;
  return ec.value() == EMFILE || ec.value() == ENFILE || ec.value() == ENOBUFS || ec.value() == ENOMEM;
}

// Accepting failed, or would have left the process fewer than its spare descriptors.
bool IsDescriptorShortage(const beast::error_code& ec) {
  return ec.category() == boost::system::system_category() && (ec.value() == EMFILE || ec.value() == ENFILE);
}

// The Date value of an answer sent now.
std::string HttpDateNow() { return DateTimeGMTToHttpStr(NowUTC()); }

bool IsQuietError(const beast::error_code& ec) {
  return ec == net::error::operation_aborted || ec == beast::error::timeout || ec == http::error::end_of_stream ||
         ec == net::error::connection_reset || ec == net::error::eof || ec == net::error::broken_pipe ||
         ec == net::error::not_connected || ec == ssl::error::stream_truncated || ec == http::error::partial_message;
}

// A write into the temp folder failed for want of room: the disk or quota is full, or the file outgrew the size
// the system allows.
bool IsStorageShortage(const beast::error_code& ec) {
  if (ec.category() != boost::system::system_category()) return false;
  return ec.value() == ENOSPC || ec.value() == EDQUOT || ec.value() == EFBIG;
}

constexpr std::string_view kInsufficientStorage = "The request does not fit in the server's storage.";
constexpr std::string_view kBodyTooSlow = "The request body arrives too slowly.";

// A new spool file, created exclusively (mode 0600, never through a link).
int CreateSpoolFile(const std::string& folder, std::string& fileName) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    fileName = MakeTempFile(folder, "BRM");
    int fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The name of the file a spilled request packet travels in, or "".
std::string PacketFileName(const char* buffer, std::int64_t length) {
  if (length <= THttpPacket::EnvelopeSize || std::uint8_t(buffer[8]) != ptFile) return {};
  try {
    std::unique_ptr<TStreamHelper> reader = std::make_unique<TStreamHelper>(
        std::make_unique<TPointerStream>(buffer + THttpPacket::EnvelopeSize, length - THttpPacket::EnvelopeSize));
    return reader->ReadText();
  } catch (const Exception&) {
    return {};
  }
}

// The client of a connection has gone: the socket hung up, failed, or reads an end of stream. Data waiting to be
// read (a pipelined request) counts as a client still there. A client that only shut its sending side is gone
// too: it can no longer be told apart from one that closed.
bool ClientGone(int fd) {
  pollfd polled{fd, POLLIN, 0};
  if (::poll(&polled, 1, 0) <= 0) return false;
  if ((polled.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return true;
  char byte;
  const ssize_t n = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

// What the framework asks about a request of the connection on fd: while it waits, go on while its client is there
// and the server has not ended its waits; how many threads the server has to spare; whether its descriptors are too
// few for a new session.
class TConnectionWatch final : public IKXRequestWatch {
 public:
  TConnectionWatch(TCore& core, int fd) : mCore(core), mFd(fd) {}
  bool KeepWaiting() override { return !mCore.EndWaits.load() && !ClientGone(mFd); }
  int SpareThreads() override { return mCore.SpareThreads(); }
  bool DescriptorsShort() override { return mCore.DescriptorsShort(); }

 private:
  TCore& mCore;
  int mFd;
};

// Steps 2 to 6 of a request: encode the packet, call the framework, decode its reply.
THostResponse ExecuteRequest(TCore& core, const THostRequestHeader& header, const THostRequestBody& body,
                             const THostConnection& connection, const THostReplyContext& context, char* buffer) {
  THttpExecuteHook hook = gHttpExecuteHook;
  if (!hook) return TextResponse(500, "No request handler is installed (gHttpExecuteHook is not set).", context);
  THostUploads uploads;
  std::int64_t length;
  try {
    TRequestPacketFields fields = EncodeRequestFields(header, body, connection, core.TempFolder, uploads,
                                                      core.Options.MaxFormFields);
    length = WriteRequestPacket(fields, buffer, THttpPacket::HostBufferSize);
  } catch (const EHostRequestError& e) {
    return TextResponse(e.Status(), e.Message(), context);
  } catch (const EWriteError& e) {
    // The host writes only into its temp folder (uploads, a spilled packet): a failed write is a full one.
    core.Log(std::string("Request could not be stored: ") + e.what());
    return TextResponse(507, kInsufficientStorage, context);
  } catch (const std::exception& e) {
    core.Log(std::string("Request could not be encoded: ") + e.what());
    return TextResponse(500, "Internal Server Error", context);
  }
  std::string spill = PacketFileName(buffer, length);
  // The framework runs on this thread: its reply's body comes back through here, in memory up to a bound.
  TReplyBodyHandOver handOver(buffer);
  try {
    // The framework reads the request from the buffer and writes its reply over
    // the same buffer: it gets the whole buffer, not just the request's length.
    hook(buffer, std::int32_t(THttpPacket::HostBufferSize));
  } catch (const std::exception& e) {
    core.Log(std::string("Request handler failed: ") + e.what());
    if (!spill.empty()) ::unlink(spill.c_str());
    return TextResponse(500, "Internal Server Error", context);
  } catch (...) {
    core.Log("Request handler failed.");
    if (!spill.empty()) ::unlink(spill.c_str());
    return TextResponse(500, "Internal Server Error", context);
  }
  // The framework deletes a spilled packet when it reads it; one it never read must not stay behind.
  if (!spill.empty()) ::unlink(spill.c_str());
  // Named in the packet, the uploaded files are the framework's now.
  uploads.Release();
  try {
    return BuildResponse(ReadReplyPacket(buffer, THttpPacket::HostBufferSize), context, handOver);
  } catch (const std::exception& e) {
    core.Log(std::string("Invalid reply packet: ") + e.what());
    return TextResponse(500, "Internal Server Error", context);
  }
}

// ---------------------------------------------------------------------------
// One connection: read a request, answer it, and again while the connection is kept alive.

template <class Derived>
class THttpSession : public TSessionBase {
 public:
  THttpSession(TCore* core, TLoop* loop, THostConnection connection)
      : mCore(core), mLoop(loop), mConnection(std::move(connection)) {}
  ~THttpSession() override {
    --mLoop->Connections;
    mCore->Unregister(this);
  }

  void CloseFromOutside() override {
    net::post(Stream().get_executor(), [self = Self()] {
      if (!self->Busy()) beast::get_lowest_layer(self->Stream()).close();
    });
  }

  void CloseIfIdle() override {
    net::post(Stream().get_executor(), [self = Self()] {
      beast::error_code ec;
      // Bytes not yet read may complete a header: that client is sending its next request.
      const std::size_t unread = beast::get_lowest_layer(self->Stream()).socket().available(ec);
      if (self->IdleSince() && unread == 0 && !ec) beast::get_lowest_layer(self->Stream()).close();
    });
  }

 protected:
  Derived& Me() { return static_cast<Derived&>(*this); }
  auto& Stream() { return Me().Stream(); }
  std::shared_ptr<Derived> Self() { return Me().shared_from_this(); }
  void Expire() { beast::get_lowest_layer(Stream()).expires_after(std::chrono::seconds(mCore->Options.IdleTimeout)); }

  // A connection this side closed (Stop closes those that wait for a request) fails what is left of its work, with
  // "Bad file descriptor": as quiet as a client that went.
  void Fail(beast::error_code ec, const char* what) {
    if (IsQuietError(ec) || !beast::get_lowest_layer(Stream()).socket().is_open()) return;
    mCore->Log(std::string(what) + ": " + ec.message());
  }

  void DoRead() {
    SetIdle();
    if (mCore->Stopping) return Me().DoClose();
    // The buffer holds a header block and one read beyond it, never more.
    mBuffer.max_size(mCore->Options.HeaderLimit + kReadSize);
    mHeaderParser.emplace();
    mHeaderParser->header_limit(mCore->Options.HeaderLimit);
    mHeaderParser->body_limit(mCore->Options.BodyLimit);
    Expire();
    http::async_read_header(Stream(), mBuffer, *mHeaderParser, [self = Self()](beast::error_code ec, std::size_t n) {
      self->mHeaderBytes = n;
      self->OnReadHeader(ec);
    });
  }

  void OnReadHeader(beast::error_code ec) {
    if (ec == http::error::end_of_stream) return Me().DoClose();
    if (ec) return RejectOrClose(ec, "read");
    // Closed from outside (a drain, Stop) while its last bytes were on their way in: not run, since its answer could
    // not be sent.
    if (!beast::get_lowest_layer(Stream()).socket().is_open()) return;
    SetBusy();
    const auto& req = mHeaderParser->get();
    mHeaderLines = FieldCount(req);
    if (mHeaderLines > mCore->Options.MaxHeaderLines) return Reject(431, "Too many header lines.");
    if (req.find(http::field::host) == req.end()) return Reject(400, "The Host header is missing.");
    if (req.count(http::field::host) > 1) return Reject(400, "The Host header is repeated.");
    // Beast reads a body only when the last coding is "chunked"; any other
    // coding would leave the body to be read as the next request.
    if (req.find(http::field::transfer_encoding) != req.end() && !mHeaderParser->chunked())
      return Reject(400, "The last transfer coding is not \"chunked\".");
    if (mHeaderParser->content_length() && *mHeaderParser->content_length() > mCore->Options.BodyLimit)
      return Reject(413, "The request body is too large.");
    auto expect = req.find(http::field::expect);
    if (expect != req.end()) {
      if (!beast::iequals(expect->value(), "100-continue")) return Reject(417, "Expectation Failed");
      if (!mHeaderParser->is_done()) {
        mContinue.emplace(http::status::continue_, req.version());
        Expire();
        return http::async_write(Stream(), *mContinue, [self = Self()](beast::error_code ec, std::size_t n) {
          self->mBytes += n;
          if (ec) return self->Fail(ec, "write");
          self->ReadBody();
        });
      }
    }
    ReadBody();
  }

  void ReadBody() {
    if (mHeaderParser->is_done()) return Handle();
    mBodyStart = std::chrono::steady_clock::now();
    mBodyBytes = 0;
    bool spool = mHeaderParser->chunked() || *mHeaderParser->content_length() > mCore->Options.MemoryBodyLimit;
    if (!spool) {
      mStringParser.emplace(std::move(*mHeaderParser));
      mStringParser->body_limit(mCore->Options.BodyLimit);
      return ReadBodySome(*mStringParser);
    }
    std::string fileName;
    int fd = CreateSpoolFile(mCore->TempFolder, fileName);
    if (fd < 0) {
      mCore->Log("Cannot create a spool file in \"" + mCore->TempFolder + "\".");
      return Reject(500, "Internal Server Error");
    }
    mBody.emplace();
    mBody->SetSpoolFile(fileName);
    mFileParser.emplace(std::move(*mHeaderParser));
    mFileParser->body_limit(mCore->Options.BodyLimit);
    beast::file file;
    file.native_handle(fd);
    beast::error_code ec;
    mFileParser->get().body().reset(std::move(file), ec);
    if (mFileParser->chunked()) {
      // A chunk line and the trailer block must fit in the buffer; the trailers share the header block's limit.
      mBuffer.max_size(std::max(TrailerRoom(), mBuffer.size()));
      mFileParser->on_chunk_header(mOnChunkHeader);
    }
    ReadBodySome(*mFileParser);
  }

  // Reads the body piece by piece: silence times out, and so does a body that arrives slower than MinBodyRate.
  template <class Parser>
  void ReadBodySome(Parser& parser) {
    if (!WatchBodyRate()) return BodyTooSlow();
    Expire();
    http::async_read_some(Stream(), mBuffer, parser, [self = Self(), &parser](beast::error_code ec, std::size_t n) {
      self->mBodyBytes += n;
      if (ec == net::error::operation_aborted && self->mBodyTooSlow) return self->BodyTooSlow();
      if (ec || parser.is_done()) {
        ++self->mRateGeneration;
        self->mRateTimer->cancel();
      }
      if (ec) return self->RejectOrClose(ec, "read");
      if (!parser.is_done()) return self->ReadBodySome(parser);
      self->Handle();
    });
  }

  // The body so far falls below MinBodyRate once the time since it started exceeds both BodyRateGrace and what its
  // bytes pay for. False when it has; otherwise, when that moment comes before the idle limit, a timer stops the
  // read then (the idle expiry would close the socket, leaving no way to answer).
  bool WatchBodyRate() {
    using namespace std::chrono;
    if (!mRateTimer) mRateTimer.emplace(Stream().get_executor());
    mBodyTooSlow = false;
    const std::uint64_t generation = ++mRateGeneration;
    const std::uint32_t rate = mCore->Options.MinBodyRate;
    if (rate == 0) return true;
    const auto grace = duration_cast<steady_clock::duration>(seconds(mCore->Options.BodyRateGrace));
    const auto earned = duration_cast<steady_clock::duration>(duration<double>(double(mBodyBytes) / rate));
    const auto paid = mBodyStart + std::max(grace, earned);
    const auto now = steady_clock::now();
    if (paid <= now) return false;
    if (paid >= now + seconds(mCore->Options.IdleTimeout)) {
      mRateTimer->cancel();
      return true;
    }
    mRateTimer->expires_at(paid);
    // A wait that expired before it was re-armed still runs: the generation tells it apart.
    mRateTimer->async_wait([self = Self(), generation](beast::error_code ec) {
      if (ec || generation != self->mRateGeneration) return;
      self->mBodyTooSlow = true;
      beast::error_code ignored;
      beast::get_lowest_layer(self->Stream()).socket().cancel(ignored);
    });
    return true;
  }

  void BodyTooSlow() {
    ReleaseRequest();  // the spool file goes now, not when the connection ends
    Reject(408, kBodyTooSlow);
  }

  // Room for trailer fields: what the header block left of HeaderLimit, at least a chunk line's worth, and below
  // the 64 KiB that Beast's field container takes for one field (more raises out of the parser).
  std::size_t TrailerRoom() const {
    const std::size_t limit = mCore->Options.HeaderLimit;
    const std::size_t left = limit > mHeaderBytes ? limit - mHeaderBytes : 0;
    return std::clamp<std::size_t>(left, kMaxChunkExtensions, kMaxFieldBlock);
  }

  static std::size_t FieldCount(const http::fields& fields) {
    return std::size_t(std::distance(fields.begin(), fields.end()));
  }

  // Trailer fields are counted against MaxHeaderLines, then dropped: the parser adds them to the header's, where
  // they could stand for a header the checks above never saw (a second Host, a forwarded-for line).
  bool TakeTrailers(http::fields& fields) {
    if (FieldCount(fields) > mCore->Options.MaxHeaderLines) return false;
    auto trailer = fields.begin();
    std::advance(trailer, std::min(mHeaderLines, FieldCount(fields)));
    while (trailer != fields.end()) trailer = fields.erase(trailer);
    return true;
  }

  void Handle() {
    const THostRequestHeader* header;
    bool keepAlive;
    if (mStringParser) {
      header = &mStringParser->get().base();
      keepAlive = mStringParser->keep_alive();
      mBody.emplace();
      mBody->Memory() = std::move(mStringParser->get().body());
    } else if (mFileParser) {
      if (!TakeTrailers(mFileParser->get().base())) {
        ReleaseRequest();
        return Reject(431, "Too many header and trailer lines.");
      }
      header = &mFileParser->get().base();
      keepAlive = mFileParser->keep_alive();
      mFileParser->get().body().close();
    } else {
      header = &mHeaderParser->get().base();
      keepAlive = mHeaderParser->keep_alive();
      mBody.emplace();
    }
    THostReplyContext context;
    context.Version = header->version();
    context.KeepAlive = keepAlive && !mCore->Stopping;
    context.HeadRequest = header->method() == http::verb::head;
    auto accept = header->find(http::field::accept_encoding);
    if (accept != header->end()) context.AcceptEncoding = std::string(accept->value());
    context.Compression = mCore->Options.Compression;
    if (!mPacket) mPacket = std::make_unique<char[]>(std::size_t(THttpPacket::HostBufferSize));
    THostResponse response = [&] {
      TFrameworkCall call(*mLoop);
      TConnectionWatch watch(*mCore, beast::get_lowest_layer(Stream()).socket().native_handle());
      TKXRequestWatchScope watching(watch);
      return ExecuteRequest(*mCore, *header, *mBody, mConnection, context, mPacket.get());
    }();
    ReleaseRequest();
    std::visit([this](auto& res) { this->Send(std::move(res)); }, response);
  }

  void ReleaseRequest() {
    mHeaderParser.reset();
    mStringParser.reset();
    mFileParser.reset();
    mBody.reset();  // deletes a spool file
  }

  // A request the host refuses: answered, then the connection is closed.
  void Reject(unsigned status, std::string_view text) {
    SetBusy();
    THostReplyContext context;
    context.KeepAlive = false;
    Send(TextResponse(status, text, context));
  }

  void RejectOrClose(beast::error_code ec, const char* what) {
    if (ec == http::error::header_limit) return Reject(431, "The request header is too large.");
    if (ec == http::error::body_limit) return Reject(413, "The request body is too large.");
    // Only a chunk line or the trailer block can outgrow the buffer (DoRead, ReadBody).
    if (ec == http::error::buffer_overflow) return Reject(431, "A chunk line or the trailer block is too large.");
    if (IsStorageShortage(ec)) {
      mCore->Log(std::string("Request body could not be spooled: ") + ec.message());
      ReleaseRequest();  // the spool file goes now, not when the connection ends
      return Reject(507, kInsufficientStorage);
    }
    if (ec.category() == http::make_error_code(http::error::bad_method).category() &&
        ec != http::error::partial_message && ec != http::error::end_of_stream)
      return Reject(400, "Bad Request");
    Fail(ec, what);
    Me().DoClose();
  }

  template <class Body>
  void Send(http::response<Body>&& res) {
    auto& response = mResponse.template emplace<http::response<Body>>(std::move(res));
    // An origin server with a clock dates its answers; one the framework dated (a 304) keeps its own.
    if (response.find(http::field::date) == response.end()) response.set(http::field::date, HttpDateNow());
    mClose = response.need_eof();
    mSerializer.template emplace<http::response_serializer<Body>>(response);
    WriteSome<Body>();
  }

  template <class Body>
  void WriteSome() {
    Expire();  // per piece: a long download is not cut while it moves
    http::async_write_some(Stream(), std::get<http::response_serializer<Body>>(mSerializer),
                           [self = Self()](beast::error_code ec, std::size_t n) { self->template OnWriteSome<Body>(ec, n); });
  }

  template <class Body>
  void OnWriteSome(beast::error_code ec, std::size_t n) {
    mBytes += n;
    if (ec) {
      Fail(ec, "write");
      return Finish(true);
    }
    if (!std::get<http::response_serializer<Body>>(mSerializer).is_done()) return WriteSome<Body>();
    Finish(mClose);
  }

  void Finish(bool close) {
    if (gLogBytesProcedure && mBytes > 0) gLogBytesProcedure(mBytes);
    mBytes = 0;
    mSerializer.template emplace<std::monostate>();
    mResponse.template emplace<std::monostate>();  // closes a sent file, deleting it when asked
    if (close) return Me().DoClose();
    DoRead();
  }

  // Bytes Beast reads at once.
  static constexpr std::size_t kReadSize = 65536;
  // Chunk extensions carry nothing we use; a few KiB of them is plenty.
  static constexpr std::size_t kMaxChunkExtensions = 4096;
  static constexpr std::size_t kMaxFieldBlock = 65000;

  TCore* mCore;  // outlives every session: ~TCore destroys the io_contexts that hold them
  TLoop* mLoop;  // the loop the connection's socket belongs to
  THostConnection mConnection;
  beast::flat_buffer mBuffer;
  std::size_t mHeaderBytes = 0;  // of the request being read
  std::size_t mHeaderLines = 0;
  std::chrono::steady_clock::time_point mBodyStart;  // of the request being read
  std::uint64_t mBodyBytes = 0;                       // read so far, chunk framing included
  std::optional<net::steady_timer> mRateTimer;
  std::uint64_t mRateGeneration = 0;
  bool mBodyTooSlow = false;  // the timer stopped the read
  // The parser keeps a reference to it.
  std::function<void(std::uint64_t, beast::string_view, beast::error_code&)> mOnChunkHeader =
      [](std::uint64_t, beast::string_view extensions, beast::error_code& ec) {
        if (extensions.size() > kMaxChunkExtensions) ec = http::error::bad_chunk_extension;
      };
  bool mClose = false;
  std::int64_t mBytes = 0;
  std::optional<http::request_parser<http::empty_body>> mHeaderParser;
  std::optional<http::request_parser<http::string_body>> mStringParser;
  std::optional<http::request_parser<http::file_body>> mFileParser;
  std::optional<http::response<http::empty_body>> mContinue;
  std::optional<THostRequestBody> mBody;
  std::unique_ptr<char[]> mPacket;
  std::variant<std::monostate, THostStringResponse, THostFileResponse, THostMemoryResponse> mResponse;
  std::variant<std::monostate, http::response_serializer<http::string_body>, http::response_serializer<THostFileBody>,
               http::response_serializer<THostMemoryBody>>
      mSerializer;
};

class TPlainSession : public THttpSession<TPlainSession>, public std::enable_shared_from_this<TPlainSession> {
 public:
  TPlainSession(TCore* core, TLoop* loop, THostConnection connection, tcp::socket&& socket)
      : THttpSession(core, loop, std::move(connection)), mStream(std::move(socket)) {}

  beast::tcp_stream& Stream() { return mStream; }
  void Run() {
    net::dispatch(mStream.get_executor(), [self = shared_from_this()] { self->DoRead(); });
  }
  // Sends FIN, then reads and drops what the client still sends for a while:
  // closing with unread data would reset the connection and could destroy the
  // response (a 413 or 431) before the client has read it.
  void DoClose() {
    SetClosing();
    beast::error_code ec;
    mStream.socket().shutdown(tcp::socket::shutdown_send, ec);
    if (ec || mCore->Stopping) return;  // while stopping, the socket closes with the session
    // One deadline for the whole drain: a client sending a byte now and then does not keep the slot.
    mStream.expires_after(std::chrono::seconds(std::clamp(mCore->Options.IdleTimeout, 1, 5)));
    Drain(0);
  }

 private:
  static constexpr std::size_t kMaxDrain = 1024 * 1024;

  void Drain(std::size_t total) {
    if (total > kMaxDrain) return;
    mStream.async_read_some(net::buffer(mDrain), [self = shared_from_this(), total](beast::error_code ec, std::size_t n) {
      if (!ec) self->Drain(total + n);
    });
  }

  beast::tcp_stream mStream;
  std::array<char, 4096> mDrain;
};

class TSslSession : public THttpSession<TSslSession>, public std::enable_shared_from_this<TSslSession> {
 public:
  TSslSession(TCore* core, TLoop* loop, THostConnection connection, tcp::socket&& socket, ssl::context& context)
      : THttpSession(core, loop, std::move(connection)), mStream(std::move(socket), context) {}

  beast::ssl_stream<beast::tcp_stream>& Stream() { return mStream; }
  void Run() {
    net::dispatch(mStream.get_executor(), [self = shared_from_this()] {
      self->Expire();
      self->mStream.async_handshake(ssl::stream_base::server, [self](beast::error_code ec) {
        if (ec) return self->Fail(ec, "handshake");
        self->DoRead();
      });
    });
  }
  void DoClose() {
    SetClosing();
    if (mCore->Stopping) return beast::get_lowest_layer(mStream).close();  // no wait for the peer's close_notify
    Expire();
    mStream.async_shutdown([self = shared_from_this()](beast::error_code) {});
  }

 private:
  beast::ssl_stream<beast::tcp_stream> mStream;
};

}  // namespace

// ---------------------------------------------------------------------------
// One listening socket.

// Accepts on a strand of its own, since a closing session (ReleaseSlot) and
// Stop reach it from other threads. An accept holds a connection slot from
// before it starts until its session ends.
class TListener : public std::enable_shared_from_this<TListener> {
 public:
  TListener(TCore* core, const tcp::endpoint& endpoint, bool secure)
      : mCore(core), mAcceptor(net::make_strand(core->Loops.front()->Ioc)), mRetry(mAcceptor.get_executor()),
        mDrainPause(mAcceptor.get_executor()), mSecure(secure) {
    beast::error_code ec;
    mAcceptor.open(endpoint.protocol(), ec);
    if (!ec) mAcceptor.set_option(net::socket_base::reuse_address(true), ec);
    if (!ec) mAcceptor.bind(endpoint, ec);
    if (!ec) mAcceptor.listen(net::socket_base::max_listen_connections, ec);
    if (!ec) mAcceptor.non_blocking(true, ec);  // TurnAwayWaiting accepts on it by hand
    if (ec)
      throw Exception("Cannot listen on " + endpoint.address().to_string() + ":" + std::to_string(endpoint.port()) +
                      ": " + ec.message());
    mPort = mAcceptor.local_endpoint().port();
    mName = endpoint.address().to_string() + ":" + std::to_string(mPort);
  }

  std::uint16_t Port() const { return mPort; }
  void Run() { DoAccept(); }
  void Resume() {
    net::post(mAcceptor.get_executor(), [self = shared_from_this()] { self->DoAccept(); });
  }
  void Close() {
    net::post(mAcceptor.get_executor(), [self = shared_from_this()] {
      beast::error_code ignored;
      self->mAcceptor.close(ignored);
      self->mRetry.cancel();
      self->mDrainPause.cancel();
    });
  }

 private:
  static constexpr std::chrono::milliseconds kRetryDelay{100};

  void DoAccept() {
    if (!mAcceptor.is_open() || mCore->Stopping) return;
    mAtCap = !mCore->TakeSlot(shared_from_this());
    if (mAtCap) return WatchBacklog();
    if (beast::error_code ec = CheckSpareDescriptors(mAcceptor.native_handle())) {
      mCore->ReleaseSlot();
      return RetryLater(ec);
    }
    mLoop = &mCore->PickLoop();
    mAcceptor.async_accept(net::make_strand(mLoop->Ioc), [self = shared_from_this()](beast::error_code ec,
                                                                                        tcp::socket socket) {
      self->OnAccept(ec, std::move(socket));
    });
  }

  // Any failure waits kRetryDelay before the next accept: a failure that
  // persists (no descriptors left) would otherwise spin a thread and flood the
  // log. A shortage is logged when it starts and when it ends.
  void OnAccept(beast::error_code ec, tcp::socket socket) {
    if (ec || mCore->Stopping) mCore->ReleaseSlot();  // no session takes the slot over
    if (ec == net::error::operation_aborted || !mAcceptor.is_open()) return;
    if (ec) return RetryLater(ec);
    if (mShortage) {
      mShortage = false;
      mCore->Log("accept on " + mName + ": accepting again" +
                 (mTurnedAway > 0 ? "; " + std::to_string(mTurnedAway) + " connection(s) were told the server is busy"
                                  : std::string()));
      mTurnedAway = 0;
    }
    if (!mCore->Stopping) {
      socket.set_option(tcp::no_delay(true), ec);
      THostConnection connection;
      auto remote = socket.remote_endpoint(ec);
      if (!ec) connection.RemoteAddr = remote.address().to_string();
      connection.LocalPort = mPort;
      connection.Secure = mSecure;
      ++mLoop->Connections;
      if (mSecure) {
        auto session =
            std::make_shared<TSslSession>(mCore, mLoop, std::move(connection), std::move(socket), *mCore->SslContext);
        mCore->Register(session);
        session->Run();
      } else {
        auto session = std::make_shared<TPlainSession>(mCore, mLoop, std::move(connection), std::move(socket));
        mCore->Register(session);
        session->Run();
      }
    }
    DoAccept();
  }

  // At the cap no connection waits in the backlog for one to close of itself (the idle timeout at most): idle
  // connections are closed to make room for it, checked now and every kRetryDelay while the listener is at the cap
  // (a busy connection that finished its request is idle by the next check). The slots they free resume it.
  void WatchBacklog() {
    if (!mAtCap || mWatching || !mAcceptor.is_open() || mCore->Stopping) return;
    if (const int waiting = Backlog(); waiting > 0) mCore->CloseIdle(waiting);
    mWatching = true;
    mDrainPause.expires_after(kRetryDelay);
    mDrainPause.async_wait([self = shared_from_this()](beast::error_code cancelled) {
      self->mWatching = false;
      if (!cancelled) self->WatchBacklog();
    });
  }

  // The connections waiting in the listen backlog: Linux gives a listener's accept queue length as tcpi_unacked. 0
  // when it cannot be read: then they wait for a connection to close of itself.
  int Backlog() {
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(mAcceptor.native_handle(), IPPROTO_TCP, TCP_INFO, &info, &size) != 0) return 0;
    return int(info.tcpi_unacked);
  }

  // No connection waits for the shortage to end: those waiting now are told the server is busy.
  void RetryLater(const beast::error_code& ec) {
    if (IsDescriptorShortage(ec)) mTurnedAway += mCore->TurnAwayWaiting(mAcceptor.native_handle(), !mSecure);
    if (!IsResourceShortage(ec))
      mCore->Log("accept on " + mName + ": " + ec.message());
    else if (!mShortage)
      mCore->Log("accept on " + mName + ": " + ec.message() + "; retrying every " +
                 std::to_string(kRetryDelay.count()) + " ms");
    mShortage = mShortage || IsResourceShortage(ec);
    mRetry.expires_after(kRetryDelay);
    mRetry.async_wait([self = shared_from_this()](beast::error_code cancelled) {
      if (!cancelled) self->DoAccept();
    });
  }

  // Connections never take the process's last descriptors: kSpareDescriptors stay after an accept for the rest of
  // the process (a request's spool or cache file, a log line's file, a sanitizer runtime's probe). Probed by
  // duplicating fd; EMFILE (or ENFILE) when they are not there.
  static constexpr int kSpareDescriptors = 2;
  static beast::error_code CheckSpareDescriptors(int fd) {
    int copies[kSpareDescriptors + 1];
    int made = 0, error = 0;
    for (; made <= kSpareDescriptors; ++made)
      if ((copies[made] = ::fcntl(fd, F_DUPFD_CLOEXEC, 0)) < 0) {
        error = errno;
        break;
      }
    for (int i = 0; i < made; ++i) ::close(copies[i]);
    return error != 0 ? beast::error_code(error, boost::system::system_category()) : beast::error_code();
  }

  TCore* mCore;  // as for sessions
  TLoop* mLoop = nullptr;  // of the accept in progress
  tcp::acceptor mAcceptor;
  net::steady_timer mRetry;
  net::steady_timer mDrainPause;  // the next look at the backlog while at the cap
  bool mSecure;
  bool mShortage = false;  // the last accept failed for want of resources
  bool mAtCap = false;     // waiting for a slot (TakeSlot)
  bool mWatching = false;  // mDrainPause runs
  int mTurnedAway = 0;     // connections TurnAwayWaiting answered during this shortage
  std::uint16_t mPort = 0;
  std::string mName;  // address:port, for the log
};

namespace {

// Connections TurnAwayWaiting answers at once; the rest wait for the listener's next retry.
constexpr int kMaxTurnedAway = 256;
// Seconds a connection turned away for want of descriptors is asked to wait.
constexpr int kTurnedAwayRetryAfter = 10;

// Reads what the client sent already, so that closing does not reset the connection under the answer, then answers
// 503 on a plain connection (a TLS one has no handshake to speak in) and closes its sending side.
void AnswerBusy(int fd, bool plain) {
  char discard[4096];
  for (std::size_t total = 0; total < 65536;) {
    const ssize_t n = ::recv(fd, discard, sizeof discard, MSG_DONTWAIT);
    if (n <= 0) break;
    total += std::size_t(n);
  }
  if (plain) {
    const std::string body = "503 - The server is busy. Please try again later.";
    const std::string answer = "HTTP/1.1 503 Service Unavailable\r\nDate: " + HttpDateNow() +
                               "\r\nContent-Type: text/plain\r\nRetry-After: " +
                               std::to_string(kTurnedAwayRetryAfter) +
                               "\r\nX-KX-Retry-Cause: server\r\nConnection: close\r\nContent-Length: " +
                               std::to_string(body.size()) + "\r\n\r\n" + body;
    ::send(fd, answer.data(), answer.size(), MSG_DONTWAIT | MSG_NOSIGNAL);  // a full buffer: no answer
  }
  ::shutdown(fd, SHUT_WR);
}

}  // namespace

int TKXStandAloneServer::TCore::TurnAwayWaiting(int listener, bool plain) {
  std::lock_guard lock(SpareMutex);
  if (Spare < 0) Spare = OpenSpareDescriptor();
  int turnedAway = 0;
  while (turnedAway < kMaxTurnedAway && Spare >= 0) {
    pollfd waiting{listener, POLLIN, 0};
    if (::poll(&waiting, 1, 0) <= 0) break;
    ::close(Spare);
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd >= 0) {
      AnswerBusy(fd, plain);
      ::close(fd);
      ++turnedAway;
    }
    // Another thread may have taken the number meanwhile: then the next call tries again.
    Spare = OpenSpareDescriptor();
    if (fd < 0) break;
  }
  return turnedAway;
}

namespace {
// Connections one CloseIdle asks to close at most.
constexpr int kDrainBatch = 32;
}  // namespace

void TKXStandAloneServer::TCore::CloseIdle(int waiting) {
  using TClock = TSessionBase::TClock;
  // Released outside the lock: the last reference ends a session, which unregisters under it.
  std::vector<std::shared_ptr<TSessionBase>> sessions;
  {
    std::lock_guard lock(Mutex);
    if (Connections < MaxConnections) return;
    sessions.reserve(Sessions.size());
    for (auto& [key, weak] : Sessions)
      if (auto session = weak.lock()) sessions.push_back(std::move(session));
  }
  // Read once: a connection's state may change meanwhile, and the order must not.
  std::vector<std::pair<TClock::time_point, TSessionBase*>> idle;
  for (auto& session : sessions)
    if (auto since = session->IdleSince()) idle.emplace_back(*since, session.get());
  if (idle.empty()) return;
  const std::size_t asked = std::min({idle.size(), std::size_t(waiting), std::size_t(kDrainBatch)});
  std::nth_element(idle.begin(), idle.begin() + std::ptrdiff_t(asked), idle.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < asked; ++i) idle[i].second->CloseIfIdle();
  const auto now = TClock::now();
  bool starts;
  {
    std::lock_guard lock(Mutex);
    starts = LastDrain == TClock::time_point() ||
             now - LastDrain > std::chrono::seconds(std::max(Options.IdleTimeout, 1));
    LastDrain = now;
  }
  if (starts)
    Log("Connections: all " + std::to_string(MaxConnections) +
        " open and more waiting; idle ones are closed to make room");
}

void TKXStandAloneServer::TCore::ReleaseSlot() {
  std::vector<std::shared_ptr<TListener>> waiting;
  {
    std::lock_guard lock(Mutex);
    --Connections;
    if (!Stopping) waiting.swap(Waiting);  // while stopping, the io_context may be going away
  }
  for (auto& listener : waiting) listener->Resume();
}

// ---------------------------------------------------------------------------
// TKXStandAloneServer

namespace {

ssl::context MakeSslContext(const TKXStandAloneServerOptions& options) {
  std::string folder = IncludeTrailingPathDelim(options.CertificateFolder.empty() ? gsAppPath() : options.CertificateFolder);
  ssl::context context(ssl::context::tls_server);
  context.set_options(ssl::context::default_workarounds | ssl::context::no_sslv2 | ssl::context::no_sslv3 |
                      ssl::context::no_tlsv1 | ssl::context::no_tlsv1_1 | ssl::context::single_dh_use);
  SSL_CTX_set_min_proto_version(context.native_handle(), TLS1_2_VERSION);
  if (!options.CertificatePassword.empty()) {
    std::string password = options.CertificatePassword;
    context.set_password_callback([password](std::size_t, ssl::context::password_purpose) { return password; });
  }
  auto load = [&](const std::string& name, auto&& action) {
    try {
      action(folder + name);
    } catch (const boost::system::system_error& e) {
      throw Exception("Cannot load \"" + folder + name + "\": " + e.code().message());
    }
  };
  load("cert.pem", [&](const std::string& file) { context.use_certificate_chain_file(file); });
  load("key.pem", [&](const std::string& file) { context.use_private_key_file(file, ssl::context::pem); });
  if (::access((folder + "root.pem").c_str(), F_OK) == 0)
    load("root.pem", [&](const std::string& file) { context.load_verify_file(file); });
  if (!options.CipherList.empty() && SSL_CTX_set_cipher_list(context.native_handle(), options.CipherList.c_str()) != 1)
    throw Exception("Invalid cipher list \"" + options.CipherList + "\".");
  return context;
}

int DefaultMaxConnections() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 896;
  rlim_t soft = std::min<rlim_t>(limit.rlim_cur, 1 << 20);  // RLIM_INFINITY included
  return int(std::max<rlim_t>(soft - std::min<rlim_t>(128, soft / 2), 1));
}

// One loop per processor, at least 2, and at most one per kDescriptorsPerLoop of the soft limit: each holds three.
constexpr std::uint64_t kDescriptorsPerLoop = 32;
int DefaultLoops() {
  const std::uint64_t affordable = std::min<std::uint64_t>(DescriptorLimit() / kDescriptorsPerLoop, 1024);
  return std::max(2, std::min(int(std::thread::hardware_concurrency()), int(affordable)));
}

void MakeLoops(TCore& core, int count) {
  try {
    for (int i = 0; i < count; ++i) core.Loops.push_back(std::make_unique<TLoop>());
  } catch (const boost::system::system_error& e) {
    throw Exception("Cannot make the server's " + std::to_string(count) + " event loops: " + e.code().message());
  }
}

std::vector<tcp::endpoint> Bindings(const std::vector<std::string>& ips, std::uint16_t port) {
  std::vector<tcp::endpoint> endpoints;
  for (const std::string& ip : ips) {
    beast::error_code ec;
    auto address = net::ip::make_address(ip, ec);
    if (ec) throw Exception("Invalid bound IP address \"" + ip + "\".");
    endpoints.emplace_back(address, port);
  }
  if (endpoints.empty()) endpoints.emplace_back(net::ip::address_v4::any(), port);
  return endpoints;
}

// Binds each endpoint; with port 0, the first binding's free port is used for the others.
std::uint16_t Listen(const std::shared_ptr<TCore>& core, std::vector<tcp::endpoint> endpoints, bool secure) {
  std::uint16_t port = 0;
  for (tcp::endpoint& endpoint : endpoints) {
    if (endpoint.port() == 0) endpoint.port(port);
    auto listener = std::make_shared<TListener>(core.get(), endpoint, secure);
    port = listener->Port();
    core->Listeners.push_back(listener);
    const std::string address = endpoint.address().to_string();
    core->Log(std::string(secure ? "HTTPS" : "HTTP") + " server listening on " +
              (endpoint.address().is_v6() ? "[" + address + "]" : address) + ":" + std::to_string(port));
  }
  return port;
}

// How often the watch looks at the loops and how often a relief thread asks whether it may leave.
constexpr std::chrono::milliseconds kWatchInterval{10};
constexpr std::chrono::milliseconds kReliefCheck{20};
// How long Stop gives the requests whose waits it ended to leave their threads.
constexpr std::chrono::milliseconds kEndWaitsGrace{500};

// Starts a server thread that answers for the runtime the server was started in. The caller holds core.Mutex.
// Relief threads are detached: they come and go while the server runs, and Stop waits for the count, not for them.
template <class Body>
void StartThread(const std::shared_ptr<TCore>& core, const char* name, Body body, bool detached = false) {
  TKXRuntimeSlots* runtime = TKXRuntimeSlots::Current();
  ++core->RunningThreads;
  std::thread thread([core, name, runtime, body = std::move(body)] {
    SetThreadName(name);
    {
      std::optional<TKXRuntimeSlots::TScope> scope;
      if (runtime) scope.emplace(*runtime);
      body();
    }
    std::lock_guard lock(core->Mutex);
    --core->RunningThreads;
    core->Changed.notify_all();
  });
  if (detached)
    thread.detach();
  else
    core->Threads.push_back(std::move(thread));
}

// A loop's own thread runs it until Stop; a relief thread runs it while the loop needs it. The caller holds
// core.Mutex.
void StartLoopThread(const std::shared_ptr<TCore>& core, TLoop& loop, bool relief) {
  ++loop.Threads;
  if (relief) ++core->ReliefThreads;
  StartThread(core, relief ? "kx-http-relief" : "kx-http", [&core = *core, &loop, relief] {
    for (;;) {
      try {
        if (!relief) {
          loop.Ioc.run();
          --loop.Threads;
          break;
        }
        RunReliefThread(loop.Ioc, kReliefCheck, [&] {
          if (loop.ReliefMayLeave()) return true;  // counted out
          if (!core.Stopping) return false;
          --loop.Threads;
          return true;
        });
        break;
      } catch (const std::exception& e) {  // handlers catch their own; this is the last net
        core.Log(std::string("Server thread: ") + e.what());
      }
    }
    if (relief) {
      std::lock_guard lock(core.Mutex);
      --core.ReliefThreads;
    }
  }, relief);
}

// Every kWatchInterval: a loop found stuck at two checks in a row gets a relief thread.
void WatchLoops(const std::shared_ptr<TCore>& core) {
  std::vector<bool> stuckBefore(core->Loops.size());
  std::unique_lock lock(core->Mutex);
  while (!core->Changed.wait_for(lock, kWatchInterval, [&] { return core->Stopping.load(); })) {
    for (std::size_t i = 0; i < core->Loops.size(); ++i) {
      TLoop& loop = *core->Loops[i];
      const bool stuck = loop.Stuck();
      if (stuck && stuckBefore[i] && core->ReliefThreads < kMaxReliefThreads) {
        StartLoopThread(core, loop, true);
        stuckBefore[i] = false;
      } else {
        stuckBefore[i] = stuck;
      }
    }
  }
}

}  // namespace

TKXStandAloneServer::TKXStandAloneServer(TKXStandAloneServerOptions options) : mOptions(std::move(options)) {}

TKXStandAloneServer::~TKXStandAloneServer() { Stop(); }

bool TKXStandAloneServer::Active() const { return mCore != nullptr; }
std::uint16_t TKXStandAloneServer::Port() const { return mCore ? mCore->Port : 0; }
std::uint16_t TKXStandAloneServer::SSLPort() const { return mCore ? mCore->SSLPort : 0; }

void TKXStandAloneServer::Start() {
  if (mCore) return;
  auto core = std::make_shared<TCore>(mOptions);
  MakeLoops(*core, mOptions.Threads > 0 ? mOptions.Threads : DefaultLoops());
  core->Spare = OpenSpareDescriptor();
  core->MaxConnections = mOptions.MaxConnections > 0 ? mOptions.MaxConnections : DefaultMaxConnections();
  if (TTempFileStream::GetTempPath().empty()) TTempFileStream::SetTempPath(gsTempPath());
  core->TempFolder = mOptions.TempFolder.empty() ? TTempFileStream::GetTempPath() : mOptions.TempFolder;
  bool plain = mOptions.SSLPort == 0 || mOptions.NonSSLRequest != THostNonSSLRequest::Block;
  if (plain) core->Port = Listen(core, Bindings(mOptions.BoundIPs, mOptions.Port), false);
  if (mOptions.SSLPort != 0) {
    core->SslContext.emplace(MakeSslContext(mOptions));
    core->SSLPort = Listen(core, Bindings(mOptions.BoundIPs, mOptions.SSLPort), true);
  }
  for (auto& listener : core->Listeners) listener->Run();
  std::lock_guard lock(core->Mutex);
  for (auto& loop : core->Loops) StartLoopThread(core, *loop, false);
  StartThread(core, "kx-http-watch", [core] { WatchLoops(core); });
  mCore = std::move(core);
}

void TKXStandAloneServer::Stop() {
  if (!mCore) return;
  std::shared_ptr<TCore> core = std::move(mCore);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(core->Options.StopTimeout, 0));
  {
    std::lock_guard lock(core->Mutex);
    core->Stopping = true;
    core->Changed.notify_all();  // the watch ends
  }
  for (auto& listener : core->Listeners) listener->Close();
  std::vector<std::shared_ptr<TSessionBase>> sessions;
  {
    std::lock_guard lock(core->Mutex);
    for (auto& [key, weak] : core->Sessions)
      if (auto session = weak.lock()) sessions.push_back(std::move(session));
  }
  for (auto& session : sessions) session->CloseFromOutside();
  sessions.clear();
  std::unique_lock lock(core->Mutex);
  core->Changed.wait_until(lock, deadline, [&] { return core->Sessions.empty(); });
  // Requests still waiting for a busy session give up now; only the handlers already running are waited for.
  core->EndWaits = true;
  for (auto& loop : core->Loops) loop->Ioc.stop();
  core->Changed.wait_until(lock, deadline + kEndWaitsGrace, [&] { return core->RunningThreads == 0; });
  bool allEnded = core->RunningThreads == 0;
  lock.unlock();
  for (std::thread& thread : core->Threads) {
    if (allEnded)
      thread.join();
    else
      thread.detach();  // a request still running in the framework; the thread keeps the core alive
  // Relief threads are detached from the start; the wait above saw them end.
  }
  core->Threads.clear();
  if (!allEnded) core->Log("Server stopped with requests still running.");
  core->Log("Server stopped.");
}

}  // namespace kx
