#include "kx/appserver/Server.h"

#include <arpa/inet.h>
#include <sys/stat.h>

#include <atomic>
#include <cstring>

#include "kx/appserver/Application.h"
#include "kx/appserver/Base64Text.h"
#include "kx/appserver/InternalFiles.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/MimeTypes.h"
#include "kx/appserver/ServerController.h"
#include "kx/foundation/FileUtils.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/HttpDates.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/KXMessages.h"
#include "kx/foundation/KXUtils.h"
#include "kx/foundation/Paths.h"
#include "kx/foundation/TextUtils.h"
#include "kx/net/http/IdCoderMIME.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

constexpr char kNotFound[] = "404 - Not Found";
constexpr char kBlankPage[] = "<html><head><title></title></head><body></body></html>";
constexpr char kAuthenticationFailed[] = "<b>Authentication Failed.</b>";
constexpr char kUnknownAppType[] = "Unknown application type.";
constexpr char kInvalidUrl[] = "Invalid characters in URL.";
constexpr char kEmptyContentType[] = "ContentType cannot be empty";
constexpr char kNoSessionLayer[] = "Session dispatch is not available.";
constexpr char kFailurePage[] = "<html><body>500 - Internal Server Error</body></html>";
// The part of "/$/filesnc/..." that names the folder; the rest is the path under it.
constexpr std::size_t kFilesNCPrefixLength = 10;  // "/$/filesnc"
// The folder under ContentPath that "/$/files/" redirects into and "/$/filesnc/" reads from. Linux names are
// case-sensitive, so both use the same spelling.
constexpr char kFilesFolder[] = "files/";

std::atomic<TKXExceptionRenderProc> gExceptionRenderer{nullptr};

// The last-modified time of a regular file as local time; false when there is no such file.
bool RegularFileAge(const std::string& fileName, bool& hasAge, TDateTime& age) {
  struct stat status {};
  if (::stat(fileName.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  hasAge = false;
  try {
    age = SearchRecDateTime(status);
    hasAge = true;
  } catch (const Exception&) {
    // No time-zone information: the file is sent without a date.
  }
  return true;
}

// The host part of a Host header value, without its port ("[::1]:8080" -> "[::1]").
std::string HostWithoutPort(const std::string& host) {
  if (!host.empty() && host.front() == '[') {
    const std::size_t close = host.find(']');
    return close == std::string::npos ? host : host.substr(0, close + 1);
  }
  const std::size_t colon = host.find(':');
  if (colon != std::string::npos && host.find(':', colon + 1) == std::string::npos) return host.substr(0, colon);
  return host;
}

// Basic credentials: the decoded bytes as UTF-8 when they are UTF-8 (what browsers send), else one character
// per byte. Text that is not Base64 raises.
std::string DecodeCredentials(std::string_view encoded) {
  std::string bytes = TIdDecoderMIME::DecodeBytes(encoded);
  if (IsValidUtf8(bytes)) return bytes;
  return DecodeString(encoded);
}

// A cache file's name from a URL: one plain file name.
bool IsBareFileName(const std::string& name) {
  if (name.empty() || name.front() == '.' || name.back() == '.') return false;
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || c == ':' || byte < 0x20 || byte == 0x7F) return false;
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Creation

TKXServer::TKXServer(void* buffer, std::int32_t bufferSize)
    : mReplyBytes(buffer),
      mReplyBytesSize(bufferSize),
      mRequest(std::make_unique<THttpRequest>(buffer, bufferSize)) {
  mReply = std::make_unique<THttpReply>(buffer, bufferSize);
  if (gSC) mCookieName = "KX_" + gSC->AppName() + gSC->CookieOptions()->CookieNameSuffix();
}

TKXServer::~TKXServer() = default;

// ---------------------------------------------------------------------------
// Execute

void TKXServer::Execute() {
  try {
    RunSteps();
  } catch (const EAbort&) {
    // The silent abort: the reply prepared so far (a 401, a redirect) goes out.
  } catch (const std::exception& e) {
    try {
      HandleException(e);
    } catch (...) {
      SendFailure();
    }
  } catch (...) {
    try {
      HandleException(EKXException("Unknown exception."));
    } catch (...) {
      SendFailure();
    }
  }
  try {
    SetWebApplication(nullptr);
  } catch (...) {
    // The host's setter failed; the reply still goes out.
  }
  CommitReply();
}

void TKXServer::RunSteps() {
  EKXException::IfNotAssigned(gSC, RSNoServerController);
  SetBaseUrl();
  SetCookiePath();
  GetClientIP();
  GetUserPass();
  GetParams();
  StartupChecks();
  // COM initialisation has no counterpart on Linux.
  BeforeDispatch();
  try {
    // No resource is named with a backslash ("%5C"): it is not found, not an error of the server.
    if (mRequest->PathInfo().find('\\') != std::string::npos)
      Send404();
    else
      ExecuteUrl(GetUrlPath());
  } catch (...) {
    AfterDispatch();
    throw;
  }
  AfterDispatch();
}

void TKXServer::SetBaseUrl() {
  if (!gSC->RewriteURL().empty() && GAppType == atISAPI) mRequest->SetRewriteURL(gSC->RewriteURL());
  mBaseURL = gSC->URLBase() + mRequest->ScriptName();
  if (mBaseURL.empty() || mBaseURL.back() != '/') mBaseURL += '/';
}

void TKXServer::SetCookiePath() {
  std::string path = mBaseURL.substr(0, mBaseURL.empty() ? 0 : mBaseURL.size() - 1);
  if (path.empty() || path.front() != '/') path.insert(0, 1, '/');
  if (path.back() != '/') path += '/';
  mCookiePath = std::move(path);
}

void TKXServer::GetClientIP() {
  mClientIP = ClientAddress(mRequest->RemoteAddr(), mRequest->ForwardedFor(), mRequest->HttpClientIP(),
                            gSC->TrustedProxies());
}

void TKXServer::GetUserPass() {
  if (!mRequest->AuthUser().empty()) {
    mUsername = mRequest->AuthUser();
    mPassword = mRequest->AuthPass();
    return;
  }
  std::string authorization = mRequest->Authorization();
  if (authorization.empty()) authorization = mRequest->AuthorizationHeader();
  const std::size_t blank = authorization.find(' ');
  if (blank != std::string::npos && SameText(std::string_view(authorization).substr(0, blank), "Basic")) {
    std::string credentials;
    try {
      credentials = DecodeCredentials(std::string_view(authorization).substr(blank + 1));
    } catch (const Exception&) {
      credentials.clear();  // not Base64: no credentials, so the login fails
    }
    const std::size_t colon = credentials.find(':');
    mUsername = credentials.substr(0, colon);
    mPassword = colon == std::string::npos ? std::string() : credentials.substr(colon + 1);
  }
  if (gSC->AuthActive() && GAppType == atISAPI && mRequest->Authorization().empty() &&
      mRequest->AuthorizationHeader().empty())
    AuthFailed();
}

void TKXServer::GetParams() { mParams = &mRequest->GetParams(); }

void TKXServer::StartupChecks() {
  switch (GAppType) {
    case atStandAlone: {
      const TKXSSLOptions& ssl = *gSC->SSLOptions();
      // The client's scheme is the connection's, or behind a trusted proxy the proxy's word: the request that
      // reached the proxy over TLS is not sent round again, and the redirect goes to the proxy's https address.
      if (ssl.NonSSLRequest() == nsRedirect && !TKXApplication::IsHTTPS(mRequest.get())) {
        const TForwardedOrigin origin = ForwardedOrigin(*mRequest, gSC->TrustedProxies());
        // The Host value may carry the port the request came in on; the redirect names the SSL port instead.
        std::string url = origin.Known ? origin.URL(true)
                                       : "https://" + HostWithoutPort(mRequest->Host()) + ":" + IntToStr(ssl.Port());
        if (!mRequest->Query().empty()) url += "/?" + mRequest->Query();
        mReply->SendRedirect(url);
        Abort();
      }
      break;
    }
    case atISAPI:
    case atLibrary:
      break;
    default:
      throw EKXException(kUnknownAppType);
  }
}

void TKXServer::BeforeDispatch() {
  if (gSC->OnBeforeDispatch) gSC->OnBeforeDispatch(*mRequest, *mReply);
}

std::string TKXServer::GetUrlPath() const {
  std::string path = mRequest->PathInfo();
  const std::string& base = gSC->URLBase();
  if (!base.empty() && StartsText(base, path)) path.erase(0, base.size() - 1);
  if (path.empty() || path == "/$") {
    path += '/';  // "/" and "/$/"
  } else if (StartsText("/../", path)) {
    path.erase(0, 4);
  }
  if (path.find("//") != std::string::npos) path = KXStringReplace(path, "//", "/", rfReplaceAll);
  if (path.find('\\') != std::string::npos) throw EKXException(kInvalidUrl);
  return path;
}

void TKXServer::ExecuteUrl(const std::string& urlPath) {
  mCacheIt = false;
  if (gSC->OnExecuteRequest) {
    bool handled = false;
    gSC->OnExecuteRequest(urlPath, *mRequest, handled, *mReply);
    if (handled) return;
  }
  const std::string& path = urlPath;
  if (SameText(path, "/favicon.ico")) {
    SendFavIcon();
  } else if (!StartsText("/$/", path)) {
    if (!SendFile(path)) ExecuteSession(path);
  } else if (StartsText("/$/temp/", path)) {
    SendCacheFile(path.substr(8));
  } else if (StartsText("/$/js/", path)) {
    SendInternalFile("JS", path.substr(6));
  } else if (StartsText("/$/javascript/", path)) {
    SendInternalFile("JS", path.substr(14));
  } else if (StartsText("/$/gfx/", path)) {
    SendInternalFile("GFX", path.substr(7));
  } else if (StartsText("/$/css/", path)) {
    SendInternalFile("CSS", path.substr(7));
  } else if (StartsText("/$/files/", path)) {
    mReply->SendRedirect(mBaseURL + path.substr(3));
  } else if (StartsText("/$/filesnc/", path)) {
    SendNonCachedFile(path);
  } else if (SameText(path, "/$/blank") || SameText(path, "/$/blank_")) {
    SendBlankPage();
  } else if (SameText(path, "/$/ping")) {
    mReply->WriteString("Pong");
  } else {
    ExecuteSession(path);
  }
}

void TKXServer::AfterDispatch() {
  if (gSC->OnAfterDispatch) gSC->OnAfterDispatch(*mRequest, *mReply);
}

void TKXServer::CommitReply() {
  if (mCacheIt) mReply->SetAllowCaching(true);
  if (gSC) {
    mReply->SetIECompatibilityMode(gSC->IECompatibilityMode());
    AddFrameHeaders();
  }
  mReply->Commit();
}

// A page of the application in another origin's frame would show the visitor's session and take its clicks: an
// HTML answer says which origins may frame it.
void TKXServer::AddFrameHeaders() {
  const std::string& ancestors = gSC->FrameAncestors();
  if (ancestors.empty() || !StartsText("text/html", mReply->ContentType())) return;
  mReply->AddHeader("Content-Security-Policy", "frame-ancestors " + ancestors);
  const char* legacy = SameText(ancestors, "'self'") ? "SAMEORIGIN" : SameText(ancestors, "'none'") ? "DENY" : "";
  if (*legacy) mReply->AddHeader("X-Frame-Options", legacy);
}

// ---------------------------------------------------------------------------
// Session dispatch and exceptions

void TKXServer::ExecuteSession(const std::string& /*urlPath*/) { throw EKXException(kNoSessionLayer); }

void TKXServer::HandleException(const std::exception& e) {
  if (gSC && gSC->DoException(nullptr, e, mRequest.get())) return;
  SendException(e);
}

void TKXServer::SendException(const std::exception& e) {
  ResetReply();
  std::uint16_t code = 500;
  if (GAppType == atISAPI && ContainsText(mRequest->GetServerVariableValue("SERVER_SOFTWARE"), "Apache")) code = 501;
  mReply->SetCode(code);
  mReply->WriteString(GetExceptionRenderer()(e, mRequest.get()));
  if (dynamic_cast<const EInvalidSession*>(&e)) RemoveSessionCookie();
}

void TKXServer::SendFailure() noexcept {
  try {
    ResetReply();
    mReply->SetCode(500);
    mReply->WriteString(kFailurePage);
  } catch (...) {
    // Nothing else can be written.
  }
}

// ---------------------------------------------------------------------------
// Answers

void TKXServer::SendText(std::string_view text) {
  std::string page = "<html><body>";
  page += text;
  page += "</body></html>";
  mReply->WriteString(page);
}

bool TKXServer::SendFile(const std::string& urlPath) {
  std::string contentType;
  if (!TKXMimeTypes::IsStaticFile(urlPath, contentType)) return false;
  std::string fileName;
  try {
    fileName = TURL::UrlPathToFilePath(gSC->ContentPath(), urlPath);
  } catch (const Exception&) {
    Send404();  // the path leaves ContentPath or holds illegal characters
    return true;
  }
  // A missing file whose path a content handler answers (a handler for "*.pdf", say) goes to that handler;
  // any other missing file is a 404 and nothing runs after it.
  struct stat info {};
  if (::stat(fileName.c_str(), &info) != 0 && gFindContentHandler != nullptr && gFindContentHandler(urlPath) != nullptr)
    return false;
  DoSendFile(fileName, true, contentType, ftStatic);
  return true;
}

bool TKXServer::SendCacheFile(const std::string& name) {
  if (!IsBareFileName(name)) {
    Send404();
    return false;
  }
  std::string fileName;
  try {
    fileName = TURL::UrlPathToFilePath(gSC->CacheDir(), name + ".tmp");
  } catch (const Exception&) {
    Send404();
    return false;
  }
  return DoSendFile(fileName, true, "", ftCache);
}

bool TKXServer::SendNonCachedFile(const std::string& urlPath) {
  const std::string rest = urlPath.substr(std::min(urlPath.size(), kFilesNCPrefixLength));
  std::string fileName;
  try {
    fileName = TURL::UrlPathToFilePath(gSC->ContentPath() + kFilesFolder, rest);
  } catch (const Exception&) {
    Send404();
    return false;
  }
  return DoSendFile(fileName, true, TKXMimeTypes::GetAsString(TFilePath::GetExtension(fileName)), ftNonCached);
}

bool TKXServer::DoSendFile(const std::string& fileName, bool send404) {
  return DoSendFile(fileName, send404, TKXMimeTypes::GetAsString(TFilePath::GetExtension(fileName)), ftStatic);
}

bool TKXServer::DoSendFile(const std::string& fileName, bool send404, const std::string& contentType,
                           TSendFileType sendType) {
  if (fileName.find('#') != std::string::npos) {
    Send404();
    return false;
  }
  bool hasAge = false;
  TDateTime age = 0;
  if (!RegularFileAge(fileName, hasAge, age)) {
    if (send404) Send404();
    return false;
  }
  // A file whose date cannot be told is sent (without a date), never answered 304.
  const bool modified = !hasAge || IsModified(age);
  mReply->ResetReplyType();
  if (!modified) {
    mReply->SetCode(304);
    return true;
  }
  if (sendType == ftCache) {
    mReply->SendCacheFile(fileName);
  } else {
    EKXException::IfTrue(contentType.empty(), kEmptyContentType);
    mReply->SendFile(fileName, false, false);
    mReply->SetContentType(contentType);
  }
  mCacheIt = sendType != ftNonCached;
  if (sendType != ftNonCached && hasAge) mReply->SetLastModified(age);
  return true;
}

bool TKXServer::IsModified(TDateTime dateTime) const {
  const std::string& ifModifiedSince = mRequest->IfModifiedSince();
  if (ifModifiedSince.empty()) return true;
  try {
    int y1, mo1, d1, h1, mi1, s1, ms1, y2, mo2, d2, h2, mi2, s2, ms2;
    DecodeDateTime(GMTToLocalDateTime(ifModifiedSince), y1, mo1, d1, h1, mi1, s1, ms1);
    DecodeDateTime(dateTime, y2, mo2, d2, h2, mi2, s2, ms2);
    return y1 != y2 || mo1 != mo2 || d1 != d2 || h1 != h2 || mi1 != mi2 || s1 != s2;
  } catch (const Exception&) {
    return true;
  }
}

void TKXServer::Send404() {
  mReply->ResetReplyType();
  mReply->SetCode(404);
  mReply->SetContentType("text/html");
  SendText(kNotFound);
}

void TKXServer::SendBlankPage() {
  if (mRequest->IfModifiedSince().empty()) {
    mReply->WriteString(kBlankPage);
    mReply->SetLastModified(gSC->StartDateTime());
    mCacheIt = true;
  } else {
    mReply->SetCode(304);
  }
}

void TKXServer::SendFavIcon() {
  const std::string icoType = TKXMimeTypes::GetAsString(mtICO);
  const std::string fileName = gSC->ContentPath() + "favicon.ico";
  bool hasAge = false;
  TDateTime age = 0;
  if (fileName.find('#') == std::string::npos && RegularFileAge(fileName, hasAge, age) &&
      DoSendFile(fileName, false, icoType, ftStatic))
    return;
  mCacheIt = true;
  bool compressed = false, cacheable = false;
  if (!SendInternalStream("KX_FAVICON", compressed, cacheable)) return;
  mReply->SetContentType(icoType);
}

bool TKXServer::SendInternalStream(const std::string& name, bool& compressed, bool& cacheable) {
  std::unique_ptr<TStream> stream;
  try {
    if (gInternalFiles) stream = gInternalFiles->ResourceAsStream(name, cacheable, compressed, mRequest->AcceptsGZip());
  } catch (const EKXInvalidResourceException&) {
    stream.reset();
  }
  if (!stream) {
    // A name nobody registered is the client's mistake: a 404, not an exception report.
    mCacheIt = false;
    Send404();
    return false;
  }
  mReply->SendStream(std::move(stream), false);
  return true;
}

void TKXServer::SendInternalFile(std::string_view kind, const std::string& name) {
  const std::string extension = TFilePath::GetExtension(name);
  std::string base = name.substr(0, name.size() - extension.size());
  const std::size_t versionSuffix = base.find("__");
  if (versionSuffix != std::string::npos) base.resize(versionSuffix);
  for (char& c : base)
    if (c == '/') c = '_';

  if (!IsModified(gSC->StartDateTime())) {
    mReply->SetCode(304);
    return;
  }
  bool compressed = false, cacheable = false;
  if (!SendInternalStream("KX_" + std::string(kind) + "_" + base, compressed, cacheable)) return;
  mReply->SetContentType(TKXMimeTypes::GetAsString(extension));
  if (compressed) mReply->AddHeader("Content-Encoding", "gzip");
  // A client that refuses gzip got the plain bytes of what may be a compressed entry: caches must tell them apart.
  if (compressed || !mRequest->AcceptsGZip()) mReply->AddHeader("Vary", "Accept-Encoding");
  if (cacheable) {
    mReply->SetLastModified(gSC->StartDateTime());
    mCacheIt = true;
  } else {
    int year, month, day, hour, minute, second, millisecond;
    DecodeDateTime(Now(), year, month, day, hour, minute, second, millisecond);
    mReply->SetLastModified(EncodeDateTime(year, month, day, hour, minute, second, 0));
    mCacheIt = false;
  }
}

void TKXServer::SendHtmlRedirect(const std::string& url) { mReply->WriteString(HtmlRedirect(url, true)); }

void TKXServer::RemoveSessionCookie() {
  if (gSC && !gSC->CookieOptions()->UseCookies()) return;
  mReply->Cookies().RemoveCookie(mCookieName, mCookiePath);
}

void TKXServer::ResetReply() {
  mReply.reset();
  mReply = std::make_unique<THttpReply>(mReplyBytes, mReplyBytesSize);
}

void TKXServer::AuthFailed() {
  ResetReply();
  mReply->SetCode(401);
  mReply->SetAuthRealm(gSC->AppName());
  SendText(kAuthenticationFailed);
  Abort();
}

// ---------------------------------------------------------------------------
// Entry point

void HttpExecute(void* buffer, std::int32_t bufferSize) {
  std::unique_ptr<TKXServer> server;
  try {
    server = gServerFactory ? gServerFactory(buffer, bufferSize) : std::make_unique<TKXServer>(buffer, bufferSize);
  } catch (...) {
    // The request packet could not be read.
    try {
      THttpReply reply(buffer, bufferSize);
      reply.SetCode(500);
      reply.WriteString(kFailurePage);
      reply.Commit();
    } catch (...) {
      // The buffer cannot even take a reply: it holds no packet.
    }
    return;
  }
  gKXServer = server.get();
  try {
    server->Execute();
  } catch (...) {
    // Commit failed: the buffer holds no packet, which the host reports.
  }
  gKXServer = nullptr;
}

// ---------------------------------------------------------------------------
// Exception page

TKXExceptionRenderProc GetExceptionRenderer() {
  TKXExceptionRenderProc renderer = gExceptionRenderer.load();
  return renderer ? renderer : &DefaultExceptionRenderer;
}

void SetExceptionRenderer(TKXExceptionRenderProc renderer) { gExceptionRenderer.store(renderer); }

std::string DefaultExceptionRenderer(const std::exception& e, const THttpRequest* request) {
  std::string page =
      "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<title>Error</title>\r\n</head>\r\n"
      "<body>\r\n<h1>Error</h1>\r\n<p>";
  page += TextToHTMLStringLiteralEx(e.what());
  page += "</p>\r\n";
  if (gSC && request) {
    const std::string detail = gSC->ExceptionLogger()->GetExceptionDetail(&e, request->RemoteAddr());
    if (!detail.empty()) {
      page += "<h2>Error details:</h2>\r\n<p style=\"font-family:monospace\">";
      page += TextToHTMLStringLiteralEx(detail);
      page += "</p>\r\n";
    }
  }
  page += "</body>\r\n</html>\r\n";
  return page;
}

}  // namespace kx
