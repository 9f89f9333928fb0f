// Request execution: HttpExecute, the entry point every host calls, and TKXServer, which carries one request from
// the request packet to the reply packet written back into the same buffer: base URL, cookie path, client
// address, credentials, parameters, the dispatch events, URL normalisation, the answers that need no session
// (favicon, static files, internal files, cache files, blank page, ping) and the exception page. Every other path
// goes to session dispatch. Builds on the request and reply objects, the server controller (gSC), the internal
// files and the MIME types.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kx/appserver/ClientOrigin.h"
#include "kx/appserver/Runtime.h"
#include "kx/foundation/HttpReply.h"
#include "kx/foundation/HttpRequest.h"
#include "kx/platform/Classes.h"
#include "kx/platform/DateUtils.h"

namespace kx {

enum TSendFileType : std::uint8_t { ftCache, ftStatic, ftNonCached };

// One server object per request, made and freed by HttpExecute. The session layer derives TKXServerSession from
// it and fills in ExecuteSession and HandleException.
class TKXServer : public TObject {
 public:
  // Reads the request from buffer (packet errors pass out) and makes the reply over the same buffer.
  TKXServer(void* buffer, std::int32_t bufferSize);
  ~TKXServer() override;
  TKXServer(const TKXServer&) = delete;
  TKXServer& operator=(const TKXServer&) = delete;

  // Runs the steps below in order. The silent abort (EAbort) ends them with the reply prepared so far; any other
  // exception goes to HandleException. Always clears the thread's current application and commits the reply.
  void Execute();

  THttpRequest& Request() const { return *mRequest; }
  THttpReply& Reply() const { return *mReply; }
  // "KX_" + AppName + the cookie-name suffix.
  const std::string& CookieName() const { return mCookieName; }
  const std::string& CookiePath() const { return mCookiePath; }
  std::int64_t TrackID() const { return mTrackID; }  // -1 until known
  const std::string& BaseURL() const { return mBaseURL; }
  // The reply may be cached by the browser (its AllowCaching at commit).
  bool CacheIt() const { return mCacheIt; }
  const std::string& ClientIP() const { return mClientIP; }
  const std::string& Username() const { return mUsername; }
  const std::string& Password() const { return mPassword; }
  // The request's parameters (nullptr before GetParams).
  TStrings* Params() const { return mParams; }
  const std::string& FullUrlPath() const { return mFullUrlPath; }
  const std::string& UrlPath() const { return mUrlPath; }

  // --- The steps of Execute, in order.

  // BaseURL := URLBase + the request's script name, ending with "/".
  void SetBaseUrl();
  // CookiePath := the base URL without its last character, made to begin and end with "/".
  void SetCookiePath();
  // ClientIP := ClientAddress of the request, with the controller's TrustedProxies.
  void GetClientIP();
  // Username and Password from the host's decoded user, else from a "Basic" authorization value. Credentials
  // that do not decode leave both empty: a failed login, never an error page.
  void GetUserPass();
  void GetParams();
  // With NonSSLRequest = nsRedirect, a request on another port than the SSL port is redirected to https and ends
  // silently. An application type outside the three raises EKXException "Unknown application type.".
  void StartupChecks();
  // OnBeforeDispatch (request, reply) when assigned.
  void BeforeDispatch();
  // The request's path info normalised: URLBase taken off (the leading "/" stays), "" -> "/", a leading "/../"
  // taken off once, "/$" -> "/$/", each "//" -> "/" in one pass. A "\" raises EKXException "Invalid characters in
  // URL.".
  std::string GetUrlPath() const;
  // OnExecuteRequest first (handled ends the request), then the routing table of the session-less paths; any other
  // path goes to ExecuteSession.
  void ExecuteUrl(const std::string& urlPath);
  // OnAfterDispatch (request, reply) when assigned; runs even when GetUrlPath or ExecuteUrl raised.
  void AfterDispatch();
  // AllowCaching when CacheIt, the controller's IECompatibilityMode, the frame headers, then the reply's Commit.
  void CommitReply();
  // Content-Security-Policy "frame-ancestors" and X-Frame-Options by the controller's FrameAncestors.
  void AddFrameHeaders();

  // --- Answers.

  // Writes "<html><body>" + text + "</body></html>".
  void SendText(std::string_view text);
  // For a path whose extension the MIME table marks static: the file under ContentPath (a 304, or a 404 when it is
  // missing or the path names nothing under ContentPath) and true. False for any other path, which then goes to
  // session dispatch. (A missing static file is answered 404 here and nothing runs after it.)
  bool SendFile(const std::string& urlPath);
  // The cache file name + ".tmp" in CacheDir. name must be a bare file name (no "/", "\", leading or trailing
  // "." or control character); anything else is answered 404. Returns whether the file was sent (or 304).
  bool SendCacheFile(const std::string& name);
  // The part after "/$/filesnc" mapped under ContentPath + "files/", not cacheable.
  bool SendNonCachedFile(const std::string& urlPath);
  // The content type from the MIME table by extension, ftStatic.
  bool DoSendFile(const std::string& fileName, bool send404);
  // A name with "#" and a missing file (send404 set) are answered 404 and give false; a missing file without
  // send404 gives false and writes nothing. Otherwise 304 when the client's copy is current, else the file, and
  // true. ftStatic and ftNonCached need a content type (else EKXException "ContentType cannot be empty").
  bool DoSendFile(const std::string& fileName, bool send404, const std::string& contentType, TSendFileType sendType);
  // False only when the request's If-Modified-Since names the same second as dateTime (local time).
  bool IsModified(TDateTime dateTime) const;
  // Status 404, content type "text/html", "404 - Not Found".
  void Send404();
  // An empty page, cacheable, dated the controller's start; 304 to any If-Modified-Since.
  void SendBlankPage();
  // ContentPath's "favicon.ico" when there is one, else the embedded "KX_FAVICON".
  void SendFavIcon();
  // The internal file "KX_" + kind + "_" + the name without extension, cut before "__", "/" taken as "_"; its
  // content type from the name's extension; gzip-encoded entries with "Content-Encoding: gzip" to a client that
  // accepts gzip, as their plain bytes to one that does not, with "Vary: Accept-Encoding" either way. 304 when If-Modified-Since names the controller's start; 404 for a name not registered.
  void SendInternalFile(std::string_view kind, const std::string& name);
  // The redirect page of HtmlRedirect (immediate).
  void SendHtmlRedirect(const std::string& url);
  // A fresh reply with status 500 and the page of the current exception renderer; an EInvalidSession also
  // removes the session cookie.
  virtual void SendException(const std::exception& e);
  // A removal cookie for the session cookie, unless the controller does not use cookies.
  void RemoveSessionCookie();
  // Frees the reply and makes a fresh one over the same buffer.
  void ResetReply();
  // A fresh reply: 401 with the realm AppName and "<b>Authentication Failed.</b>"; then the silent abort.
  [[noreturn]] void AuthFailed();

 protected:
  // An exception of Execute's steps: the controller's DoException, then SendException unless it was handled.
  virtual void HandleException(const std::exception& e);
  // A path that needs a session. Without the session layer this raises EKXException "Session dispatch is not
  // available.", which goes the way of every exception (an error page).
  virtual void ExecuteSession(const std::string& urlPath);

  std::unique_ptr<THttpReply> mReply;
  void* mReplyBytes;
  std::int32_t mReplyBytesSize;
  std::unique_ptr<THttpRequest> mRequest;
  std::string mCookieName;
  std::string mCookiePath;
  std::int64_t mTrackID = -1;
  std::string mBaseURL;
  bool mCacheIt = false;
  std::string mClientIP;
  std::string mUsername;
  std::string mPassword;
  TStrings* mParams = nullptr;
  std::string mFullUrlPath;
  std::string mUrlPath;

 private:
  // Steps 1 to 10 of Execute.
  void RunSteps();
  // The page of last resort, when even the exception handling failed.
  void SendFailure() noexcept;
  // Sends the embedded internal file name; false when it is not registered.
  bool SendInternalStream(const std::string& name, bool& compressed, bool& cacheable);
};

// The server object of the calling thread's current request; nullptr outside HttpExecute.
inline thread_local TKXServer* gKXServer = nullptr;

// Makes the server object of a request; the session layer installs one that makes TKXServerSession. nullptr (the
// default) makes a plain TKXServer. Set at start-up, before requests are served.
inline constexpr TKXRuntimeRef<&TKXRuntime::ServerFactory> gServerFactory{};

// The entry point (a THttpExecuteHook): answers the request packet in buffer (bufferSize bytes, normally
// THttpPacket::HostBufferSize) with a reply packet in the same buffer. Never raises: a request packet that cannot
// be read is answered 500; when even the reply cannot be written, the buffer holds no packet.
void HttpExecute(void* buffer, std::int32_t bufferSize);

// ---------------------------------------------------------------------------
// The exception page. The session layer installs its renderer (templates per kind of error); until then, and
// after SetExceptionRenderer(nullptr), DefaultExceptionRenderer writes a plain page.

using TKXExceptionRenderProc = std::string (*)(const std::exception& e, const THttpRequest* request);
TKXExceptionRenderProc GetExceptionRenderer();
void SetExceptionRenderer(TKXExceptionRenderProc renderer);
// A small HTML page with the exception's message, HTML-escaped, and, with a controller and a request, the
// exception logger's detail block for the request's connection address (in full only for a loopback peer).
std::string DefaultExceptionRenderer(const std::exception& e, const THttpRequest* request);

}  // namespace kx
