#include "kx/appserver/ExceptionRenderer.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "kx/appserver/Application.h"
#include "kx/appserver/ClientOrigin.h"
#include "kx/appserver/ExceptionLogger.h"
#include "kx/appserver/InternalFiles.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Sessions.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/HttpRequest.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/Paths.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

bool IsBlank(const std::string& text) { return text.find_first_not_of(" \t,") == std::string::npos; }

// The client address that decides on the detail block: the one the trusted-proxy rule gives. A request that names
// a client through forwarding headers while its peer is no trusted proxy came through a proxy nobody configured (on
// this machine, say): its client is unknown, so it counts as remote.
std::string DetailsClientAddress(const THttpRequest& request) {
  const std::string& peer = request.RemoteAddr();
  const std::string client =
      ClientAddress(peer, request.ForwardedFor(), request.HttpClientIP(), gSC->TrustedProxies());
  const bool forwarded = !IsBlank(request.ForwardedFor()) || !IsBlank(request.HttpClientIP());
  return forwarded && client == peer ? std::string() : client;
}

constexpr std::string_view kDetailsDisabled = "[Error details are disabled in server configuration]";
constexpr std::string_view kDetailsTitle = "Error details:";

std::atomic<const TKXExceptionRendererClass*> gRendererClass{&TKXExceptionRenderer::ClassRecord};

// A URL part for an href: bytes a URL cannot hold (blanks, controls, quotes,
// "<", ">", "#", "\" ...) are percent-encoded, "%" escapes already there stay;
// then the whole is made safe for an HTML attribute.
std::string UrlForAttribute(std::string_view url) {
  return TextToHTMLStringLiteral(TURL::Encode(url, "\"#<>\\^`{|}"));
}

// The file's text without a UTF-8 byte-order mark; false when it cannot be read.
bool ReadTemplateFile(const std::string& fileName, std::string& text) {
  std::ifstream file(fileName, std::ios::binary);
  if (!file) return false;
  text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (file.bad()) return false;
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  return true;
}

}  // namespace

const TKXExceptionRendererClass TKXExceptionRenderer::ClassRecord{"TKXExceptionRenderer",
                                                                  &TKXExceptionRenderer::RenderHTML};

std::atomic<TColor> TKXExceptionRenderer::sHeaderBackColor1{0x094B22};
std::atomic<TColor> TKXExceptionRenderer::sHeaderBackColor2{0x80DBA9};
std::atomic<TColor> TKXExceptionRenderer::sHeaderTextColor{0xFFFFFF};
std::atomic<TColor> TKXExceptionRenderer::sBodyBackColor{0xF9F9F9};
std::atomic<TColor> TKXExceptionRenderer::sBodyTextColor{0};

void TKXExceptionRenderer::SetColors(TColor headerBackColor1, TColor headerBackColor2, TColor headerTextColor,
                                     TColor bodyBackColor, TColor bodyTextColor) {
  sHeaderBackColor1 = headerBackColor1;
  sHeaderBackColor2 = headerBackColor2;
  sHeaderTextColor = headerTextColor;
  sBodyBackColor = bodyBackColor;
  sBodyTextColor = bodyTextColor;
}

TKXErrorKind TKXExceptionRenderer::ErrorKind(const std::exception& e) {
  if (dynamic_cast<const EKXSecurityException*>(&e) != nullptr) return TKXErrorKind::SecurityCheck;
  if (dynamic_cast<const EExpiredSession*>(&e) != nullptr) return TKXErrorKind::SessionTimeout;
  if (dynamic_cast<const EInvalidSession*>(&e) != nullptr) return TKXErrorKind::SessionInvalid;
  return TKXErrorKind::Error;
}

std::string_view TKXExceptionRenderer::KindName(TKXErrorKind kind) {
  switch (kind) {
    case TKXErrorKind::SessionTimeout: return "SESSIONTIMEOUT";
    case TKXErrorKind::SessionInvalid: return "SESSIONINVALID";
    case TKXErrorKind::SecurityCheck: return "SECURITYCHECK";
    case TKXErrorKind::Error: break;
  }
  return "ERROR";
}

std::string TKXExceptionRenderer::SpecificText(TKXErrorKind kind, int sessionTimeout) {
  switch (kind) {
    case TKXErrorKind::SecurityCheck: return "Security check failed. Please restart the application.";
    case TKXErrorKind::SessionTimeout:
      return Format(
          "Your session has expired. You will have to restart the application. In order to keep sessions from "
          "expiring you may set the session timeout parameter to a higher value. The current session timeout "
          "value is %d minute%s.",
          sessionTimeout, std::string(sessionTimeout == 1 ? "" : "s"));
    case TKXErrorKind::SessionInvalid: return "Session ID is invalid.";
    case TKXErrorKind::Error: break;
  }
  return "Depending on the error condition, it might be possible to restart the application.";
}

std::string TKXExceptionRenderer::GetTemplate(TKXErrorKind kind, const std::string& templateDir) {
  const std::string name(KindName(kind));
  if (!templateDir.empty()) {
    const std::string fileName = templateDir + "KX" + name + ".html";
    std::error_code error;
    std::string text;
    if (std::filesystem::is_regular_file(fileName, error) && ReadTemplateFile(fileName, text)) return text;
  }
  return TKXServerInternalFiles::GetResourceStreamAsString("KX_GFX_" + name);
}

std::string TKXExceptionRenderer::RenderHTML(const std::exception& e, const THttpRequest* request) {
  // The message is shown in an HTML page either way, so it is escaped here too.
  if (gSC == nullptr || request == nullptr) return TextToHTMLStringLiteralEx(e.what());

  const TKXErrorKind kind = ErrorKind(e);
  bool showDetails = false;
  std::string sessionId;
  std::string runParams;
  switch (kind) {
    case TKXErrorKind::SecurityCheck:
      showDetails = gSC->SecurityOptions()->ShowSecurityErrorDetails();
      break;
    case TKXErrorKind::SessionTimeout:
      sessionId = static_cast<const EInvalidSession&>(e).AppID();
      if (TKXSessions* store = SessionStore()) runParams = store->GetExpiredParams(sessionId, false);
      break;
    case TKXErrorKind::SessionInvalid:
      sessionId = static_cast<const EInvalidSession&>(e).AppID();
      break;
    case TKXErrorKind::Error:
      showDetails = true;
      if (TKXApplication* application = GetWebApplication()) {
        runParams = application->RunParams().GetRawString();
        // The restart link ends this live session: it names the session, as the page's own requests do, for a
        // browser that says nothing of where a request comes from (another site's link names none).
        runParams += (runParams.empty() ? "?" : "&") + std::string("KX_SessionID_=") + application->AppID();
      }
      break;
  }

  const std::string page = GetTemplate(kind, gSC->TemplateDir());
  const std::string content = kind == TKXErrorKind::SecurityCheck && !showDetails
                                  ? std::string(kDetailsDisabled)
                                  : TextToHTMLStringLiteralEx(e.what());
  const std::string specific = TextToHTMLStringLiteralEx(SpecificText(kind, gSC->SessionTimeout()));
  const std::string address = gSC->URLBase() + request->ScriptName();
  if (!runParams.empty()) runParams.insert(0, "/");
  std::string detailsTitle;
  std::string detailsContent;
  // A remote client gets no detail block at all (GetExceptionDetail is empty for it): the message is the content.
  // Remote or not is judged on the client behind trusted proxies, never on the peer alone.
  if (showDetails)
    if (TKXExceptionLogger* logger = gSC->ExceptionLogger())
      detailsContent = TextToHTMLStringLiteralEx(logger->GetExceptionDetail(&e, DetailsClientAddress(*request)));
  if (!detailsContent.empty()) detailsTitle = kDetailsTitle;

  const std::array<std::pair<std::string_view, std::string>, 13> values{{
      {"APPID", TextToHTMLStringLiteral(sessionId)},
      {"RUNPARAMS", UrlForAttribute(runParams)},
      {"CONTENT", content},
      {"APPADDRESS", UrlForAttribute(address + "/")},
      {"APPNAME", TextToHTMLStringLiteral(gSC->AppName())},
      {"EXCEPTIONSPECIFIC", specific},
      {"FROMCOLOR", ColorToRGBString(HeaderBackColor1())},
      {"TOCOLOR", ColorToRGBString(HeaderBackColor2())},
      {"HEADERTEXTCOLOR", ColorToRGBString(HeaderTextColor())},
      {"BODYBACKCOLOR", ColorToRGBString(BodyBackColor())},
      {"BODYTEXTCOLOR", ColorToRGBString(BodyTextColor())},
      {"ERRORDETAILS_TITLE", detailsTitle},
      {"ERRORDETAILS_CONTENT", detailsContent},
  }};
  const std::string html = ReplacePlaceholders(page, [&values](std::string_view name, std::string& value) {
    for (const auto& [placeholder, text] : values) {
      if (placeholder == name) {
        value = text;
        return true;
      }
    }
    return false;
  });
  return RemoveCRLF(html);
}

const TKXExceptionRendererClass& GetExceptionRendererClass() { return *gRendererClass.load(); }

void SetExceptionRendererClass(const TKXExceptionRendererClass* rendererClass) {
  gRendererClass = rendererClass != nullptr ? rendererClass : &TKXExceptionRenderer::ClassRecord;
}

std::string RenderExceptionPage(const std::exception& e, const THttpRequest* request) {
  return GetExceptionRendererClass().RenderHTML(e, request);
}

// The server's seam (appserver/Server.h), declared here by its signature:
// that header gives its renderer pointer type this class's name.
void SetExceptionRenderer(std::string (*renderer)(const std::exception& e, const THttpRequest* request));

void InstallExceptionRenderer() { SetExceptionRenderer(&RenderExceptionPage); }

}  // namespace kx
