// The stand-alone server: plain and TLS HTTP listeners on Boost.Beast/Asio that
// turn each request into a request packet, call the framework through
// gHttpExecuteHook and write the reply packet back as the HTTP response.
// Builds on hosts/HostRequest.h, hosts/HostReply.h and appserver/KXGlobal.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kx/hosts/HostReply.h"

namespace kx {

// What becomes of plain (non-TLS) requests once an SSL port is set.
enum class THostNonSSLRequest {
  Accept,    // the plain server serves them
  Block,     // the plain server is not started
  Redirect,  // the plain server serves them; the framework answers with a redirect to the SSL port
};

// The configuration the server controller hands to the server.
struct TKXStandAloneServerOptions {
  std::uint16_t Port = 0;  // 0: a free port, see TKXStandAloneServer::Port
  // One binding per address; empty: "0.0.0.0" alone.
  std::vector<std::string> BoundIPs;
  std::uint16_t SSLPort = 0;  // 0: no TLS server
  // The folder of "cert.pem" (with its chain), "key.pem" and, when present,
  // "root.pem"; the application's folder when empty.
  std::string CertificateFolder;
  std::string CertificatePassword;  // of an encrypted "key.pem"
  std::string CipherList;           // OpenSSL's default when empty
  THostNonSSLRequest NonSSLRequest = THostNonSSLRequest::Accept;
  THostCompression Compression;

  // Bytes of the request line and header block together; beyond: 431. The trailer block of a chunked body gets
  // what the header block left (at least 4 KiB, at most 65000 bytes), and a chunk line at most that too; chunk
  // extensions beyond 4 KiB: 400. Trailer fields count against MaxHeaderLines and are not passed on.
  std::uint32_t HeaderLimit = 65536;
  // Header lines per request, trailer lines included; beyond: 431.
  std::uint32_t MaxHeaderLines = 1024;
  // Bytes of a request body; beyond: 413.
  std::uint64_t BodyLimit = 64 * 1024 * 1024;
  // Bodies up to this size stay in memory; larger and chunked ones are spooled to a file.
  std::uint64_t MemoryBodyLimit = 65536;
  // Form fields per request: those of the query and of a form-encoded or multipart body together; beyond: 413.
  std::uint32_t MaxFormFields = 10000;
  // Seconds a connection may stay silent (waiting for a request, or in the
  // middle of reading or writing one) before it is closed.
  int IdleTimeout = 30;
  // Bytes a second a request body must average, from its start, once BodyRateGrace seconds have passed; a slower
  // body is answered 408 and its connection closed, so that bodies trickling in cannot hold every connection.
  // 0: no minimum.
  std::uint32_t MinBodyRate = 256;
  int BodyRateGrace = 10;
  // Seconds Stop waits for requests in progress before it leaves them behind; requests that are still waiting
  // in the framework (for a busy session) are then told to give up.
  int StopTimeout = 10;
  // Connections open at once; further ones wait in the listen backlog until one closes, and idle connections
  // (waiting for their next request, a header incomplete included) are closed to make room for them, oldest-idle
  // first. 0: derived from the soft RLIMIT_NOFILE at Start, less a reserve for the process's other files of 128
  // descriptors or of half the limit when that is smaller (1024 gives 896, 64 gives 32).
  int MaxConnections = 0;
  // Event loops, each served by a thread of its own: a connection belongs to one loop, which reads its requests,
  // runs the framework and writes the answers on that thread. A loop whose threads are all inside the framework
  // for a while (a request that takes long) gets a relief thread until one of them is free again, so its other
  // connections are not held up. 0: one per processor, at least 2, and at most one per 32 descriptors of the soft
  // RLIMIT_NOFILE, since each holds three from Start on.
  int Threads = 0;
  // Folder of spooled bodies and uploaded files; TTempFileStream's TempPath when empty.
  std::string TempFolder;
};

// The stand-alone HTTP(S) server. Start binds and serves on its own threads;
// Stop (also run by the destructor) closes the listeners and connections and
// waits at most StopTimeout seconds. Requests go to gHttpExecuteHook; without
// one they get 500 with a text saying so. Log lines go to gLogProcedure and
// the bytes sent to gLogBytesProcedure, when set. When accepting fails for want
// of descriptors or memory, or would leave the process fewer than two spare
// descriptors, the listener retries every 100 ms and logs one line when the
// failures start and one when accepting works again. Meanwhile no connection
// waits: for want of descriptors, a descriptor the server keeps for this is let
// go to accept each waiting connection, answer it 503 "The server is busy"
// (Retry-After: 10, X-KX-Retry-Cause: server; a TLS connection is only closed)
// and close it. The request watch tells the framework when fewer descriptors
// are free than the sessions keep in reserve (SessionDescriptorReserve), so
// that it refuses new sessions long before that.
class TKXStandAloneServer {
 public:
  explicit TKXStandAloneServer(TKXStandAloneServerOptions options);
  TKXStandAloneServer(const TKXStandAloneServer&) = delete;
  TKXStandAloneServer& operator=(const TKXStandAloneServer&) = delete;
  ~TKXStandAloneServer();

  const TKXStandAloneServerOptions& Options() const { return mOptions; }
  bool Active() const;
  // The port the plain server listens on (the free one chosen for Port 0), 0 when it is not active.
  std::uint16_t Port() const;
  // The port the TLS server listens on, 0 when it is not active.
  std::uint16_t SSLPort() const;

  // Raises Exception when an address cannot be bound or the certificate files
  // cannot be loaded; nothing is left listening then. Starting a started server
  // does nothing. Sets TTempFileStream's TempPath to gsTempPath when it is still
  // empty, since a request packet that outgrows the buffer spills there.
  void Start();
  void Stop();

  // The state of a running server, shared with its threads (internal).
  struct TCore;

 private:
  TKXStandAloneServerOptions mOptions;
  std::shared_ptr<TCore> mCore;
};

}  // namespace kx
