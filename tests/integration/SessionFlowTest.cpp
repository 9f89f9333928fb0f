// Session flows through the entry point: each test writes request packets as a
// host would, calls HttpExecute with the session layer registered, and reads the
// reply packets back (start page and cookie, start check, main form, callbacks,
// expired, invalid and hijacked sessions, keep-alive, stop and start).
#include "kx/appserver/ServerSession.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <utility>
#include <vector>

#include "support/SessionTestDoubles.h"
#include "kx/appserver/Authenticators.h"
#include "kx/appserver/Admission.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/RequestWatch.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/platform/SysUtils.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

constexpr const char* kChrome = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";
constexpr const char* kCookieName = "KX_MyKXApp";

std::string gAppFolder;
std::vector<std::string> gLogLines;
void KeepLogLine(const std::string& line) { gLogLines.push_back(line); }
std::atomic<std::int64_t> gNowMs{0};
std::chrono::steady_clock::time_point TestNow() {
  return std::chrono::steady_clock::time_point(std::chrono::milliseconds(gNowMs.load()));
}

// A controller whose OnConfig applies Config, for the settings locked after creation.
class TFlowController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TFlowController, TKXServerControllerBase)

 public:
  static inline std::function<void(TKXServerControllerBase&)> Config;

 protected:
  void BuildComponents() override {
    if (Config) OnConfig = [this, config = Config](TObject*) { config(*this); };
  }
};

class SessionFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = gsTempPath() + "kx-sessions-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    gAppFolder = pattern + "/";
    gGetAppPath = [] { return gAppFolder; };
    fs::create_directories(gAppFolder + "wwwroot/");
    gNowMs = 10'000'000;
    gSessionClock = &TestNow;
    RegisterSessionLayer();
    gCreateCallBackResponse = &TTestCallBackResponse::Create;
    gMainFormClass = &TTestForm::ClassRecord();
    Reconfigure({});
  }

  // A fresh controller (and store) configured by config.
  void Reconfigure(std::function<void(TKXServerControllerBase&)> config) {
    mController.reset();
    RegisterSessionLayer();
    TFlowController::Config = std::move(config);
    mController.reset(TComponent::Create<TFlowController>(nullptr));
    TFlowController::Config = nullptr;
    gSC = gServerController = mController.get();
    SC().OnException = [this](TKXApplication*, const std::exception& e, bool&) { mErrors.push_back(e.what()); };
  }

  static std::function<void(TRequestPacketFields&)> From(const char* peer, const char* forwardedFor = "",
                                                         const char* clientIP = "") {
    return [=](TRequestPacketFields& f) {
      f.RemoteAddr = peer;
      f.ForwardedFor = forwardedFor;
      f.HttpClientIP = clientIP;
    };
  }

  // A refused session: 503 with Retry-After and a plain message, no cookie.
  static void ExpectTooManySessions(const TReplyPacket& reply) {
    EXPECT_EQ(reply.Code, 503);
    EXPECT_NE(std::find(reply.Headers.begin(), reply.Headers.end(), "Retry-After: 60"), reply.Headers.end());
    EXPECT_EQ(reply.ContentType, "text/plain");
    EXPECT_NE(reply.Content.find("Too many sessions"), std::string::npos);
    EXPECT_EQ(SessionCookie(reply), nullptr);
  }

  void TearDown() override {
    gErrorLogProcedure = nullptr;
    mController.reset();  // frees the store and every session
    TTestForm::OnExecute = nullptr;
    TTestForm::OnGenerate = nullptr;
    fs::remove_all(gAppFolder);
  }

  TKXServerControllerBase& SC() { return *mController; }
  static TKXSessions& Store() { return *SessionStore(); }
  static void Advance(std::chrono::milliseconds step) { gNowMs += step.count(); }

  static TRequestPacketFields Request(const std::string& pathInfo, const std::string& query = "") {
    TRequestPacketFields fields;
    fields.PathInfo = pathInfo;
    fields.URL = pathInfo;
    fields.Query = query;
    fields.Method = "GET";
    fields.Host = "www.example.com";
    fields.ServerPort = 80;
    fields.RemoteAddr = "192.0.2.10";
    fields.UserAgent = kChrome;
    std::string_view rest(query);
    while (!rest.empty()) {
      std::size_t end = rest.find('&');
      fields.QueryFields.emplace_back(rest.substr(0, end));
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
    return fields;
  }

  static TReplyPacket Exchange(const TRequestPacketFields& fields) {
    std::vector<char> buffer(THttpPacket::HostBufferSize);
    WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
    HttpExecute(buffer.data(), std::int32_t(buffer.size()));
    return ReadReplyPacket(buffer.data(), std::int64_t(buffer.size()));
  }

  // A request that carries the session cookie value (when not empty).
  TReplyPacket Get(const std::string& path, const std::string& query = "", const std::string& cookie = "",
                   const std::function<void(TRequestPacketFields&)>& adjust = {}) {
    TRequestPacketFields fields = Request(path, query);
    if (!cookie.empty()) fields.CookieFields.push_back(std::string(kCookieName) + "=" + cookie);
    if (adjust) adjust(fields);
    return Exchange(fields);
  }

  static const TReplyPacketCookie* SessionCookie(const TReplyPacket& reply) {
    for (const TReplyPacketCookie& cookie : reply.Cookies)
      if (cookie.Name == kCookieName) return &cookie;
    return nullptr;
  }

  // A new session: the first request, whose cookie names it. Returns the cookie value "id_1".
  std::string StartSession(const std::string& query = "") {
    TReplyPacket reply = Get("/", query);
    const TReplyPacketCookie* cookie = SessionCookie(reply);
    EXPECT_NE(cookie, nullptr);
    return cookie != nullptr ? cookie->Value : std::string();
  }

  static std::string IdOf(const std::string& cookie) { return cookie.substr(0, cookie.find('_')); }

  // A form posted as a page posts it (with the cookie value, when not empty). The stand-alone host lists the body's
  // fields after the query's among the query fields, and none among the content fields.
  TReplyPacket Post(const std::string& path, const std::vector<std::string>& body, const std::string& cookie = "",
                    const std::string& query = "") {
    return Get(path, query, cookie, [&](TRequestPacketFields& f) {
      f.Method = "POST";
      f.QueryFields.insert(f.QueryFields.end(), body.begin(), body.end());
      f.HasContent = true;
    });
  }

  TOwnedComponent<TKXServerControllerBase> mController;
  std::vector<std::string> mErrors;
};

constexpr const char* kXml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

TEST_F(SessionFlowTest, FirstRequestAnswersTheStartPageAndSetsTheCookie) {
  TReplyPacket reply = Get("/");
  EXPECT_EQ(reply.Code, 200);
  const TReplyPacketCookie* cookie = SessionCookie(reply);
  ASSERT_NE(cookie, nullptr);
  const std::string id = IdOf(cookie->Value);
  EXPECT_EQ(cookie->Value, id + "_1");
  EXPECT_EQ(cookie->Path, "/");
  EXPECT_EQ(cookie->Expires, 0);
  EXPECT_EQ(cookie->SameSite, "Lax");
  EXPECT_EQ(id.size(), 22u);
  EXPECT_TRUE(reply.Content.starts_with("<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n"));
  EXPECT_NE(reply.Content.find("  p += \"&KX_SessionID_=" + id + "&KX_TrackID_=1\";\r\n"), std::string::npos);
  EXPECT_NE(reply.Content.find(" get(\"/$/StartCheck\"); }, 0); });\r\n"), std::string::npos);
  EXPECT_TRUE(reply.Content.ends_with("</form>\r\n</body>\r\n</html>"));
  EXPECT_EQ(Store().GetCount(), 1);
  EXPECT_TRUE(mErrors.empty());
}

TEST_F(SessionFlowTest, StartCheckStoresTheWindowSizeAndPostsBack) {
  const std::string cookie = StartSession("a=1");
  TReplyPacket reply = Get("/$/StartCheck", "KX_width=800&KX_height=600", cookie);
  EXPECT_EQ(reply.Code, 200);
  const std::string id = IdOf(cookie);
  EXPECT_NE(reply.Content.find("<form method=post action=\"/?a=1\">\r\n"), std::string::npos) << reply.Content;
  EXPECT_NE(reply.Content.find("<input type=hidden name=\"KX_SessionID_\" value=\"" + id + "\">\r\n"),
            std::string::npos);
  EXPECT_NE(reply.Content.find("<input type=hidden name=\"KX_TrackID_\" value=\"1\">\r\n"), std::string::npos);
  EXPECT_NE(reply.Content.find("init();\r\n"), std::string::npos);
  TKXApplication* session = Store().LookUp(id);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->FormWidth(), 800);
  EXPECT_EQ(session->FormHeight(), 600);
}

TEST_F(SessionFlowTest, StartCheckWithoutSessionIsAnError) {
  TReplyPacket reply = Get("/$/StartCheck");
  EXPECT_EQ(reply.Code, 500);
  EXPECT_EQ(mErrors, (std::vector<std::string>{"/$/StartCheck requires a session Id."}));
}

// The second request gives the session the configured timeout; the root
// redirects to the form path, which shows the main form and counts the track.
TEST_F(SessionFlowTest, MainFormIsShownAndTheTrackGrows) {
  const std::string cookie = StartSession();
  const std::string id = IdOf(cookie);
  EXPECT_EQ(Store().LookUp(id)->SessionTimeOut(), 1);

  TReplyPacket root = Get("/", "", cookie);
  EXPECT_NE(root.Content.find("window.location.replace(\"/$/\")"), std::string::npos) << root.Content;
  EXPECT_EQ(Store().LookUp(id)->SessionTimeOut(), 10);

  TReplyPacket form = Get("/$/", "", cookie);
  EXPECT_EQ(form.Code, 200);
  EXPECT_EQ(form.Content, "<html> track 2</html>");
  ASSERT_NE(SessionCookie(form), nullptr);
  EXPECT_EQ(SessionCookie(form)->Value, id + "_2");
  TReplyPacket again = Get("/$/", "", id + "_2");
  EXPECT_EQ(again.Content, "<html> track 3</html>");
}

TEST_F(SessionFlowTest, NoMainFormClassAnswersAClearError) {
  gMainFormClass = nullptr;
  const std::string cookie = StartSession();
  TReplyPacket reply = Get("/$/", "", cookie);
  EXPECT_EQ(reply.Code, 500);
  EXPECT_EQ(mErrors, (std::vector<std::string>{"Application main form is not defined"}));
  // The session was released: the next request is served.
  EXPECT_EQ(Get("/$/KeepAlive", "", cookie).Code, 200);
  EXPECT_NE(Store().LookupAndLock(IdOf(cookie), 50), nullptr);
  Store().LookUp(IdOf(cookie))->Unlock();
}

TEST_F(SessionFlowTest, ExpiredSessionAnswersTheTimeoutErrorAndRemovesTheCookie) {
  const std::string cookie = StartSession("a=1");
  Advance(std::chrono::minutes(1));
  TReplyPacket reply = Get("/$/", "", cookie);
  EXPECT_EQ(reply.Code, 500);
  EXPECT_EQ(mErrors, (std::vector<std::string>{"Your session has expired due to inactivity."}));
  const TReplyPacketCookie* removal = SessionCookie(reply);
  ASSERT_NE(removal, nullptr);
  EXPECT_EQ(removal->Value, "");
  EXPECT_EQ(removal->Expires, -1);
  EXPECT_EQ(Store().GetExpiredParams(IdOf(cookie), false), "?a=1");
}

TEST_F(SessionFlowTest, UnknownAndHostileSessionIdsAnswerInvalidSession) {
  for (const std::string& cookie : {std::string("nope_1"), std::string("\"><script>alert(1)</script>_1"),
                                    std::string("x;domain=evil.example_1"), std::string("id_!!"),
                                    std::string("id_zzzzzzzzzzzzzzzzzzzzzzzzzzzzzz")}) {
    SCOPED_TRACE(cookie);
    mErrors.clear();
    TReplyPacket reply = Get("/$/", "", cookie);
    EXPECT_EQ(reply.Code, 500);
    EXPECT_EQ(mErrors, (std::vector<std::string>{"Session ID is invalid."}));
    EXPECT_EQ(reply.Content.find("<script>alert"), std::string::npos);
    const TReplyPacketCookie* removal = SessionCookie(reply);
    ASSERT_NE(removal, nullptr);
    EXPECT_EQ(removal->Path, "/");
  }
  EXPECT_EQ(Store().GetCount(), 0);
}

// A session id in the URL (cookie-less sessions) reaches the base URL and the
// cookie path only when it is made of id characters.
TEST_F(SessionFlowTest, HostileIdInTheUrlNeverReachesTheCookiePath) {
  SC().SetAllowMultipleSessionsPerUser(true);
  TReplyPacket reply = Get("/a;domain=evil/$/", "", "a;domain=evil_1");
  EXPECT_EQ(reply.Code, 500);
  const TReplyPacketCookie* removal = SessionCookie(reply);
  ASSERT_NE(removal, nullptr);
  EXPECT_EQ(removal->Path, "/");
}

TEST_F(SessionFlowTest, RestartExpiredSessionStartsANewOneWithTheSavedParameters) {
  SC().SetRestartExpiredSession(true);
  int restarted = 0;
  SC().OnSessionRestarted = [&](TKXApplication*) { ++restarted; };
  const std::string cookie = StartSession("a=1");
  Advance(std::chrono::minutes(1));
  TReplyPacket reply = Get("/$/", "", cookie);
  EXPECT_EQ(reply.Code, 200);
  EXPECT_EQ(restarted, 1);
  ASSERT_NE(SessionCookie(reply), nullptr);
  const std::string newId = IdOf(SessionCookie(reply)->Value);
  EXPECT_NE(newId, IdOf(cookie));
  EXPECT_NE(reply.Content.find(" get(\"/$/StartCheck?a=1\");"), std::string::npos) << reply.Content;
  EXPECT_EQ(Store().GetExpiredParams(IdOf(cookie), false), "");

  TReplyPacket unknown = Get("/$/", "", "nope_1");
  EXPECT_EQ(unknown.Code, 200);
  EXPECT_EQ(restarted, 2);
}

// A different client address fails the check; the session is ended by the next
// request of its own client.
TEST_F(SessionFlowTest, ChangedClientAddressFailsTheSecurityCheck) {
  const std::string cookie = StartSession();
  TReplyPacket reply = Get("/$/", "", cookie, [](TRequestPacketFields& f) { f.RemoteAddr = "198.51.100.7"; });
  EXPECT_EQ(reply.Code, 500);
  EXPECT_EQ(mErrors,
            (std::vector<std::string>{"The IP you are using is different than the one that initiated the session."}));
  EXPECT_EQ(SessionCookie(reply), nullptr);
  EXPECT_EQ(Store().GetCount(), 1);

  TReplyPacket next = Get("/$/", "", cookie);
  EXPECT_EQ(next.Code, 200);
  ASSERT_NE(SessionCookie(next), nullptr);
  EXPECT_EQ(SessionCookie(next)->Expires, -1);
  EXPECT_EQ(Store().GetCount(), 0);
}

// Hardening: a stolen cookie with a forged X-Forwarded-For or Client-IP header passed the same-address check.
// The headers count only from a trusted proxy (loopback by default), and then only the address it saw.
TEST_F(SessionFlowTest, ForwardedHeadersCountOnlyFromATrustedProxy) {
  const struct {
    const char* Name;
    std::function<void(TRequestPacketFields&)> Sender;
    bool Passes;
  } cases[] = {
      {"forged X-Forwarded-For", From("198.51.100.7", "192.0.2.10"), false},
      {"forged Client-IP", From("198.51.100.7", "", "192.0.2.10"), false},
      {"forged entry passed on by the proxy", From("127.0.0.1", "192.0.2.10, 198.51.100.7"), false},
      {"the owner through the proxy", From("127.0.0.1", "192.0.2.10"), true},
      {"the owner through the proxy, Client-IP", From("::1", "", "192.0.2.10"), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    mErrors.clear();
    const std::string cookie = StartSession();  // from 192.0.2.10, no proxy
    TReplyPacket reply = Get("/$/", "", cookie, c.Sender);
    EXPECT_EQ(reply.Code, c.Passes ? 200 : 500);
    EXPECT_EQ(mErrors.size(), c.Passes ? 0u : 1u);
  }
}

// Issue 45: a page of another site made the visitor's browser act in the visitor's session (a form post, a no-cors
// callback, a link with an action). A request that acts on its session comes from the session's own origin (by
// Sec-Fetch-Site, else Origin, as the client reached a trusted proxy) or, saying neither, posts the session's id;
// anything else is answered 403 with the form not run. Requests that only show the page pass.
TEST_F(SessionFlowTest, RequestsActingOnTheSessionComeFromItsOwnOrigin) {
  const auto with = [](std::string method, std::vector<std::string> headers, const char* peer = "192.0.2.10") {
    return [=](TRequestPacketFields& f) {
      f.Method = method;
      f.RawHeaders = headers;
      if (f.RemoteAddr != peer) f.ForwardedFor = std::exchange(f.RemoteAddr, peer);  // through the proxy
    };
  };
  const auto behindTls = [&](const std::string& origin) {
    return with("POST", {"Host: www.example.com", "X-Forwarded-Proto: https", "Origin: " + origin}, "127.0.0.1");
  };
  const struct {
    const char* Name;
    const char* Path;
    const char* Query;  // "ID" stands for the session's id
    std::function<void(TRequestPacketFields&)> Adjust;
    int Code;
    const char* LogEnd = "";  // how the refusal's log line ends, when checked
  } cases[] = {
      {"post from another site", "/$/", "KX_Action=B1&KX_SessionID_=ID", with("POST", {"Sec-Fetch-Site: cross-site"}),
       403},
      {"callback from another port", "/$/callback", "callback=DoIt", with("POST", {"Sec-Fetch-Site: same-site"}), 403},
      {"link with an action", "/$/", "KX_Action=B1", with("GET", {"Sec-Fetch-Site: cross-site"}), 403},
      {"upload, Origin of another port", "/$/upload/2", "", with("POST", {"Origin: http://www.example.com:8080"}), 403},
      {"plain origin behind TLS", "/$/callback", "", behindTls("http://www.example.com"), 403},
      {"no headers, no session id", "/$/", "KX_Action=B1", with("GET", {}), 403},
      {"typed address with an action", "/$/", "KX_Action=B1", with("GET", {"Sec-Fetch-Site: none"}), 403},
      {"Origin of another port than Host's", "/$/", "KX_Action=B1",
       with("POST", {"Host: www.example.com:8080", "Origin: http://www.example.com:8081"}), 403,
       "POST \"/$/\": This request came from another site; the application refused it. Seen: Origin "
       "\"http://www.example.com:8081\"; expected origin \"http://www.example.com:8080\"; client 192.0.2.10."},
      {"Origin, a Host that names no origin", "/$/", "KX_Action=B1",
       with("POST", {"Host: www.example.com:99999", "Origin: http://www.example.com"}), 403},
      {"Origin closing its quote", "/$/", "KX_Action=B1",
       with("POST", {"Origin: http://e.test\"; expected origin \"http://e.test\"; client 203.0.113.9. Seen: Origin \"x"}),
       403,
       "Seen: Origin \"http://e.test\\\"; expected origin \\\"http://e.test\\\"; client 203.0.113.9. Seen: Origin "
       "\\\"x\"; expected origin \"http://www.example.com\"; client 192.0.2.10."},
      {"a path with a terminal's escape", "/$/\x1b[2J", "KX_Action=B1", with("GET", {"Sec-Fetch-Site: cross-site"}), 403,
       "GET \"/$/\\x1b[2J\": This request came from another site; the application refused it. Seen: "
       "Sec-Fetch-Site \"cross-site\"; expected origin \"http://www.example.com\"; client 192.0.2.10."},
      {"a path that reads as the rest of the line", "/$/Stop/: forged; client 10.9.8.7.", "KX_Action=B1",
       with("GET", {"Sec-Fetch-Site: cross-site"}), 403,
       "GET \"/$/Stop/: forged; client 10.9.8.7.\": This request came from another site; the application refused it. "
       "Seen: Sec-Fetch-Site \"cross-site\"; expected origin \"http://www.example.com\"; client 192.0.2.10."},
      {"Origin with a backslash before its quote", "/$/", "KX_Action=B1", with("POST", {"Origin: http://e.test\\\""}),
       403, "Seen: Origin \"http://e.test\\\\\\\"\"; expected origin \"http://www.example.com\"; client 192.0.2.10."},
      {"same origin", "/$/callback", "callback=DoIt", with("POST", {"Sec-Fetch-Site: same-origin"}), 200},
      {"own Origin", "/$/", "KX_Action=B1", with("POST", {"Origin: http://WWW.example.com:80"}), 200},
      {"own origin behind TLS", "/$/callback", "", behindTls("https://www.example.com"), 200},
      {"no headers, posted session id", "/$/upload/2", "KX_SessionID_=ID", with("POST", {}), 200},
      {"typed address, posted session id", "/$/", "KX_Action=B1&KX_SessionID_=ID", with("GET", {"Sec-Fetch-Site: none"}),
       200},
      {"own Origin on a port of its own", "/$/", "KX_Action=B1",
       with("POST", {"Host: www.example.com:8080", "Origin: http://www.example.com:8080"}), 200},
      {"own Origin, an IPv6 literal", "/$/callback", "callback=DoIt",
       with("POST", {"Host: [::1]:8888", "Origin: http://[::1]:8888"}), 200},
      {"own origin through a proxy on a port of its own", "/$/callback", "",
       with("POST", {"Host: app:8888", "X-Forwarded-Proto: https", "X-Forwarded-Host: www.example.com:8443",
                     "Origin: https://www.example.com:8443"}, "127.0.0.1"),
       200},
      {"another site's link shows the page", "/$/", "", with("GET", {"Sec-Fetch-Site: cross-site"}), 200},
  };
  gErrorLogProcedure = &KeepLogLine;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    gLogLines.clear();
    const std::string cookie = StartSession();
    ASSERT_EQ(Get("/$/", "", cookie).Code, 200);
    auto* form = dynamic_cast<TTestForm*>(Store().LookUp(IdOf(cookie))->GetActiveForm());
    ASSERT_NE(form, nullptr);
    const int executed = form->mExecuteCount;
    std::string query = c.Query;
    if (const std::size_t at = query.find("=ID"); at != std::string::npos) query.replace(at + 1, 2, IdOf(cookie));
    TReplyPacket reply = Get(c.Path, query, IdOf(cookie) + "_2", c.Adjust);
    EXPECT_EQ(reply.Code, c.Code) << reply.Content;
    EXPECT_EQ(form->mExecuteCount, executed + (c.Code == 200 ? 1 : 0));
    if (c.Code == 403) {
      EXPECT_TRUE(reply.Content.starts_with("403 - This request ")) << reply.Content;
    }
    // Each refusal is one line of the operator's log.
    EXPECT_EQ(gLogLines.size(), c.Code == 403 ? 1u : 0u);
    if (*c.LogEnd && !gLogLines.empty()) {
      EXPECT_NE(gLogLines[0].find(" warning session " + IdOf(cookie) + " "), std::string::npos) << gLogLines[0];
      EXPECT_TRUE(gLogLines[0].ends_with(c.LogEnd)) << gLogLines[0];
    }
  }
  // Without the cookie (SameSite keeps it from another site's post) the same answer, and no session starts.
  const int sessions = Store().GetCount();
  for (const char* path : {"/$/", "/$/callback"}) {
    TReplyPacket post = Get(path, "KX_Action=B1", "", with("POST", {"Sec-Fetch-Site: cross-site"}));
    EXPECT_EQ(post.Code, 403) << path;
    EXPECT_EQ(SessionCookie(post), nullptr);
  }
  EXPECT_EQ(Store().GetCount(), sessions);
}

// Another site ended the visitor's session through "/$/Start" or "/$/Stop/" (a navigation, an image). These end
// the session only for a request of the session's own origin or, saying nothing of its origin, one that names
// the session as the page's own stop links do.
TEST_F(SessionFlowTest, StartAndStopEndTheSessionOnlyForItsOwnPages) {
  static constexpr const char* kUrl = "example.org/";
  const std::string longHost = "http://" + std::string(3000, 'a') + ".example/";
  const std::string longNamed = std::string(252, 'a') + "&#8230;";
  const struct {
    const char* Name;
    const char* Path;
    const char* Header;  // "" for none
    bool NamesSession;   // KX_SessionID_ in the query
    int Code;
    const char* Url = kUrl;
    const char* Button = "";  // the refusal page's button, "" for none
    const char* Leads = "";   // the other host the button (link) leads to, as the page writes it; "" for none named
    const char* Session = "live";  // the cookie's: "live", "none" (no cookie), "ended", "expired" or "unknown"
    const char* Link = "";         // without a live session: where the page's link goes
  } cases[] = {
      {"start, another site's navigation", "/$/Start", "Sec-Fetch-Site: cross-site", false, 403, kUrl, "Restart"},
      {"start, an image of the same site", "/$/Start", "Sec-Fetch-Site: same-site", false, 403, kUrl, "Restart"},
      {"start, typed", "/$/Start/", "Sec-Fetch-Site: none", false, 403, kUrl, "Restart"},
      {"start, no headers", "/$/Start", "", false, 403, kUrl, "Restart"},
      {"stop, another site's link", "/$/Stop/", "Sec-Fetch-Site: cross-site", true, 403, kUrl, "End", "example.org"},
      {"stop, no headers", "/$/Stop/", "", false, 403, kUrl, "End", "example.org"},
      // The stop's button leads to another host: the page names the host a browser goes to, escaped.
      {"stop, a user name that reads as this host", "/$/Stop/", "", false, 403,
       "http://www.example.com@x'\xc3\xa9.test/", "End", "xn--x&#39;-cja.test"},
      // Read as the browser reads it: the scheme's slashes and backslashes, in any case.
      {"stop, backslashes after the scheme", "/$/Stop/", "", false, 403, "http:\\\\evil.example\\x", "End",
       "evil.example"},
      {"stop, one slash after the scheme", "/$/Stop/", "", false, 403, "hTTp:/evil.example", "End", "evil.example"},
      // Another scheme names no page to go to: the stop ends nothing, as one without url.
      {"stop to ftp", "/$/Stop/", "", false, 403, "ftp://evil.example/"},
      {"stop to javascript", "/$/Stop/", "", false, 403, "javascript:alert(1)"},
      {"stop to data", "/$/Stop/", "", false, 403, "data:text/html,hi"},
      // The host the browser reaches, as it shows it: escapes resolved, then the A-label.
      {"stop, a host escaped", "/$/Stop/", "", false, 403, "http://b%D0%B0nk.example/", "End", "xn--bnk-6cd.example"},
      {"stop, a host escaped twice", "/$/Stop/", "", false, 403, "http://%2565%2576il.com/"},
      {"stop, full-width letters", "/$/Stop/", "", false, 403,
       "http://\xef\xbd\x85\xef\xbd\x96\xef\xbd\x89\xef\xbd\x8c.com/", "End", "evil.com"},
      {"stop to another port of this host", "/$/Stop/", "", false, 403, "http://www.example.com:1/", "End",
       "www.example.com&#58;1"},
      {"stop, a host longer than DNS allows", "/$/Stop/", "", false, 403, longHost.c_str(), "End", longNamed.c_str()},
      {"stop to this host", "/$/Stop/", "", false, 403, "WWW.example.com\\@evil.test/", "End"},
      {"stop without url, no headers", "/$/Stop/", "", false, 403, ""},
      // Read as the browser reads it, a url of blanks and controls names no page either.
      {"stop with a blank url, no headers", "/$/Stop/", "", false, 403, " \t\r\n\x01"},
      {"start, own page", "/$/Start", "Sec-Fetch-Site: same-origin", false, 200},
      {"start, naming the session", "/$/Start", "", true, 200},
      {"stop, own link", "/$/Stop/", "", true, 200},
      // A stop without a live session starts none: it says so and offers the way on, leading nowhere by itself.
      {"stop, no cookie", "/$/Stop/", "", false, 200, kUrl, "", "example.org", "none", "http://example.org/"},
      {"stop, no cookie, another site's link", "/$/Stop/", "Sec-Fetch-Site: cross-site", false, 200, kUrl, "",
       "example.org", "none", "http://example.org/"},
      {"stop without url, no cookie", "/$/Stop/", "", false, 200, "", "", "", "none", "/$/Start"},
      {"stop, ended session", "/$/Stop/", "", true, 200, "/bye.html", "", "", "ended", "/bye.html"},
      {"stop without url, ended session", "/$/Stop/", "", false, 200, "", "", "", "ended", "/$/Start"},
      {"stop, expired session", "/$/Stop/", "", true, 200, "./bye.html", "", "", "expired", "/./bye.html"},
      {"stop to javascript, unknown session", "/$/Stop/", "", false, 200, "javascript:alert(1)", "", "", "unknown",
       "/$/Start"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string cookie = StartSession();
    const std::string state(c.Session);
    if (state == "ended") Store().Terminate(IdOf(cookie));
    if (state == "expired") Advance(std::chrono::minutes(SC().SessionTimeout() + 1));
    const std::string sent = state == "none" ? "" : state == "unknown" ? "AAAAAAAAAAAAAAAAAAAAAA_1" : cookie;
    const int sessions = Store().GetCount();
    const std::string query = "url=" + std::string(c.Url) + (c.NamesSession ? "&KX_SessionID_=" + IdOf(cookie) : "");
    TReplyPacket reply = Get(c.Path, query, sent, [&](TRequestPacketFields& f) {
      if (*c.Header) f.RawHeaders = {c.Header};
    });
    EXPECT_EQ(reply.Code, c.Code) << reply.Content;
    const std::string leads = !*c.Leads  ? std::string("It leads to")
                              : *c.Link ? std::string("</a> It leads to ") + c.Leads + ".</p>"
                                        : std::string("</button> It leads to ") + c.Leads + ".</p>";
    EXPECT_EQ(reply.Content.find(leads) != std::string::npos, *c.Leads != '\0') << reply.Content;
    if (*c.Link) {
      EXPECT_EQ(Store().GetCount(), sessions);
      EXPECT_EQ(SessionCookie(reply), nullptr);
      EXPECT_NE(reply.Content.find("<h1>Your session has ended</h1>"), std::string::npos) << reply.Content;
      EXPECT_NE(reply.Content.find("<a href=\"" + TextToHTMLStringLiteral(c.Link) + "\">"), std::string::npos);
      EXPECT_EQ(reply.Content.find("<script"), std::string::npos);
      EXPECT_EQ(reply.Content.find("http-equiv"), std::string::npos);
      continue;
    }
    EXPECT_EQ(Store().LookUp(IdOf(cookie)) != nullptr, c.Code == 403);
    // The refusal leads on: back to the session, or the same start or stop posted from this page, naming it. A
    // stop without url ends nothing, so it says so and has no button.
    if (c.Code == 403) {
      EXPECT_NE(reply.Content.find("action=\"" + std::string(c.Path) + "?url=" + c.Url), std::string::npos);
      EXPECT_NE(reply.Content.find("name=\"KX_SessionID_\" value=\"" + IdOf(cookie) + "\""), std::string::npos);
      EXPECT_NE(reply.Content.find("<a href=\"/$/\">Back to the session</a>"), std::string::npos);
      const std::string button(c.Button);
      const std::string says = button.empty()        ? "names no page to go to, so it ends nothing"
                               : button == "Restart" ? "The address you followed restarts your session, but"
                                                     : "The address you followed ends your session, but";
      EXPECT_NE(reply.Content.find(says), std::string::npos) << reply.Content;
      const std::size_t at = reply.Content.find("<button");
      EXPECT_EQ(at != std::string::npos, !button.empty()) << reply.Content;
      if (!button.empty()) {
        EXPECT_EQ(reply.Content.find("<button type=submit>" + button + " the session</button>"), at);
      }
    }
  }
  // A start naming a session that is ending, expired or gone (the restart link of an error page) has nothing to
  // end: it starts afresh, whatever the request says of its origin.
  for (const char* state : {"ending", "expired", "gone"}) {
    const std::string cookie = StartSession();
    if (state == std::string_view("ending")) Store().LookUp(IdOf(cookie))->Terminate();
    if (state == std::string_view("expired")) Advance(std::chrono::minutes(SC().SessionTimeout() + 1));
    if (state == std::string_view("gone")) Store().Terminate(IdOf(cookie));
    EXPECT_EQ(Get("/$/Start", "", cookie).Code, 200) << state;
  }
}

// A path that ended in "/$/resize" skipped the posted-id rule while the routes sent it to a form submit, so another
// site's link ran an action. Every path of the route table, decorated (the others as suffixes, case, a trailing
// slash, ";params", an encoded "$", a doubled slash), with an action and no word of the page: none runs the form
// or ends the session.
TEST_F(SessionFlowTest, NoDecoratedPathActsWithoutThePagesWord) {
  const std::vector<std::string> paths = {"/$/callback",  "/$/StartCheck", "/$/Start", "/$/Start/",
                                          "/$/QueryStatus", "/$/KeepAlive", "/$/Stop/", "/$/",
                                          "/$/resize",    "/$/upload",     "/$/call",  "/reports"};
  std::vector<std::string> shapes;
  for (const std::string& path : paths) {
    for (const std::string& suffix : paths) shapes.push_back(path + suffix);
    shapes.insert(shapes.end(), {path, UpperCase(path), path + "/", path + ";x=1",
                                 KXStringReplace(path, "$", "%24", rfReplaceAll), KXStringReplace(path, "$/", "$//")});
  }
  const std::string cookie = StartSession();
  ASSERT_EQ(Get("/$/", "", cookie).Code, 200);
  for (const std::string& shape : shapes) {
    SCOPED_TRACE(shape);
    TKXApplication* session = Store().LookUp(IdOf(cookie));
    ASSERT_TRUE(session != nullptr && Store().IsLive(IdOf(cookie)));
    auto* form = dynamic_cast<TTestForm*>(session->GetActiveForm());
    ASSERT_NE(form, nullptr);
    const int executed = form->mExecuteCount;
    Get(shape, "KX_Action=B1&url=example.org/", cookie);
    EXPECT_EQ(form->mExecuteCount, executed);
  }
  EXPECT_TRUE(Store().IsLive(IdOf(cookie)));
  // Another site's post carries no Lax cookie: whatever it asks, no session starts and no cookie is set or removed,
  // or the visitor's browser would trade its session for the new one.
  const int sessions = Store().GetCount();
  for (const std::string& shape : shapes)
    for (const char* method : {"POST", "PUT"})
      for (const char* header : {"Origin: http://evil.test", "Origin: null", "Sec-Fetch-Site: cross-site",
                                 "Sec-Fetch-Site: same-site"}) {
        SCOPED_TRACE(shape + " " + method + " " + header);
        TReplyPacket reply = Get(shape, "url=example.org/", "", [&](TRequestPacketFields& f) {
          f.Method = method;
          f.RawHeaders = {header};
        });
        EXPECT_EQ(SessionCookie(reply), nullptr) << reply.Code;
        // It names no session to keep open: the plain refusal, never a page that posts its url on.
        EXPECT_EQ(reply.Content.find("Your session is still open"), std::string::npos);
      }
  EXPECT_EQ(Store().GetCount(), sessions);
}

// Issue 45: a link "/$/call?<id>_<track>" gave whoever followed it the session it named, cookie and all. With
// cookies the query counts only when it names the cookie's own session (the way back from https to http).
TEST_F(SessionFlowTest, CallLinkNeverHandsOverAnotherSession) {
  const std::string owner = StartSession();
  ASSERT_EQ(Get("/$/", "", owner).Code, 200);
  const std::string link = IdOf(owner) + "_2";
  const struct {
    const char* Name;
    std::string Cookie;
    bool InOwnersSession;
  } cases[] = {
      {"a new visitor", "", false}, {"a visitor with a session", StartSession(), false}, {"the owner", owner, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TReplyPacket reply = Get("/$/call", link, c.Cookie);
    const TReplyPacketCookie* cookie = SessionCookie(reply);
    ASSERT_NE(cookie, nullptr);
    EXPECT_EQ(IdOf(cookie->Value) == IdOf(owner), c.InOwnersSession) << cookie->Value;
  }
}

// Hardening: one client opened sessions without limit. The session past MaxSessions is refused and not created;
// once the timeout thread freed an expired one there is room again.
TEST_F(SessionFlowTest, SessionsPastMaxSessionsAreRefusedUntilOneExpires) {
  Reconfigure([](TKXServerControllerBase& sc) {
    sc.SetMaxSessions(2);
    sc.SetMaxSessionsPerIP(0);
  });
  int created = 0;
  SC().OnNewSession = [&](TKXApplication*) { ++created; };
  StartSession();
  Advance(std::chrono::seconds(30));
  EXPECT_NE(SessionCookie(Get("/", "", "", From("198.51.100.7"))), nullptr);
  ExpectTooManySessions(Get("/", "", "", From("203.0.113.5")));
  EXPECT_EQ(created, 2);
  EXPECT_EQ(Store().GetCount(), 2);

  Advance(std::chrono::seconds(30));  // the first session's start timeout has passed
  SC().SessionTimeoutThread()->Run();
  EXPECT_NE(SessionCookie(Get("/", "", "", From("203.0.113.5"))), nullptr);
  ExpectTooManySessions(Get("/"));
}

// The per-address limit counts the client address the session checks use, so clients behind a trusted proxy
// count apart; ending one of an address's sessions makes room for it.
TEST_F(SessionFlowTest, SessionsPerAddressAreCappedAndOtherAddressesUnaffected) {
  Reconfigure([](TKXServerControllerBase& sc) { sc.SetMaxSessionsPerIP(2); });
  const std::string first = StartSession();
  const std::string second = StartSession();
  for (const std::string& cookie : {first, second}) Get("/$/StartCheck", "", cookie);  // used: they never make room
  ExpectTooManySessions(Get("/"));
  ExpectTooManySessions(Get("/", "", "", From("127.0.0.1", "192.0.2.10")));
  EXPECT_NE(SessionCookie(Get("/", "", "", From("198.51.100.7"))), nullptr);
  EXPECT_NE(SessionCookie(Get("/", "", "", From("127.0.0.1", "203.0.113.5"))), nullptr);
  EXPECT_EQ(Store().GetCount(), 4);

  EXPECT_EQ(Get("/$/Start", "KX_SessionID_=" + IdOf(first), first).Code, 200);  // ends the first session
  EXPECT_NE(SessionCookie(Get("/")), nullptr);
}

TEST_F(SessionFlowTest, KeepAliveAndQueryStatusAnswerXml) {
  const std::string cookie = StartSession();
  const std::string id = IdOf(cookie);
  Advance(std::chrono::seconds(50));
  TReplyPacket alive = Get("/$/KeepAlive", "", cookie);
  EXPECT_EQ(alive.Content, std::string(kXml) + "<response>OK</response>");
  Advance(std::chrono::seconds(50));  // 100 s after creation, 50 s after the keep-alive
  Store().LookUp(id)->SetStatus(3);
  EXPECT_EQ(Get("/$/QueryStatus", "", cookie).Content, std::string(kXml) + "<status>3</status>");
  EXPECT_EQ(Get("/$/QueryStatus").Content, std::string(kXml) + "<status>-1</status>");
  EXPECT_EQ(Get("/$/QueryStatus", "", "nope_1").Content, std::string(kXml) + "<status>-1</status>");
  EXPECT_EQ(Get("/$/KeepAlive").Content, std::string(kXml) + "<response>OK</response>");
}

TEST_F(SessionFlowTest, CallbackWithoutSessionSaysTerminated) {
  TReplyPacket reply = Get("/$/callback");
  EXPECT_EQ(reply.Code, 500);
  EXPECT_EQ(mErrors, (std::vector<std::string>{"Session was terminated."}));
}

TEST_F(SessionFlowTest, CallbackRendersIntoTheCallbackResponse) {
  const std::string cookie = StartSession();
  Get("/$/", "", cookie);
  TReplyPacket reply = Get("/$/callback", "callback=DoIt&KX_SessionID_=" + IdOf(cookie), IdOf(cookie) + "_2");
  EXPECT_EQ(reply.Code, 200);
  EXPECT_EQ(reply.Content,
            "<response><update></update><execute><literal>render </literal></execute><rewrite></rewrite>"
            "<submit>/$/</submit><trackid></trackid></response>");
  ASSERT_NE(SessionCookie(reply), nullptr);
  EXPECT_EQ(SessionCookie(reply)->Value, IdOf(cookie) + "_3");
}

TEST_F(SessionFlowTest, StopTerminatesWithAnEscapedRedirect) {
  const std::string cookie = StartSession();
  TReplyPacket reply = Get("/$/Stop/", "url=_s_.example.org/a&KX_SessionID_=" + IdOf(cookie), cookie);
  EXPECT_NE(reply.Content.find("window.location.replace(\"https://example.org/a\");"), std::string::npos)
      << reply.Content;
  ASSERT_NE(SessionCookie(reply), nullptr);
  EXPECT_EQ(SessionCookie(reply)->Expires, -1);
  EXPECT_EQ(Store().GetCount(), 0);

  const std::string other = StartSession();
  TReplyPacket hostile = Get("/$/Stop/", "url=a\");alert(document.cookie);//&KX_SessionID_=" + IdOf(other), other);
  EXPECT_EQ(hostile.Content.find("\");alert"), std::string::npos);
  EXPECT_NE(hostile.Content.find("http://a\\x22);alert(document.cookie);//"), std::string::npos) << hostile.Content;
}

// Issue 55: a stop link to a path of this site leads to that path, not to a host named after it. Another host's
// address leads where the browser reads it, and one the browser would not read as an http or https page nowhere.
TEST_F(SessionFlowTest, StopLeadsToTheLinksAddress) {
  const struct {
    const char* Url;  // the decoded "url" of the link's stop address
    const char* To;
  } cases[] = {
      {"example.org/a", "http://example.org/a"},
      {"_s_.example.org/a", "https://example.org/a"},
      {"HTTPS://example.org/v", "https://example.org/v"},  // kept, not given a second scheme
      {"/bye.html", "/bye.html"},
      {"./bye.html", "/./bye.html"},
      // Another host's address is written anew as the browser reads it: where the page said it leads.
      {"//example.org/a", "http://example.org/a"},
      {"/\\example.org/a", "http://example.org/a"},
      {"/\t/example.org/$/Start", "http://example.org/$/Start"},
      {"/\r\n/example.org/$/Stop/", "http://example.org/$/Stop/"},
      {" \x01/bye.html ", "/bye.html"},
      {"http:\\\\evil.example\\x?a\\b", "http://evil.example/x?a\\b"},
      {"Http:/evil.example", "http://evil.example/"},
      {"example.org:8080/a", "http://example.org:8080/a"},
      {"http://b%D0%B0nk.example:080/", "http://xn--bnk-6cd.example/"},
      {"www.example.com@evil.example/", "http://evil.example/"},
      // Another scheme, or a host or port the browser refuses, leads nowhere: the stop ends nothing.
      {"javascript:alert(1)", ""},
      {"ftp://example.org/", ""},
      {"http://%2565%2576il.com/", ""},
      {"example.org:65536/", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Url);
    const std::string cookie = StartSession();
    TReplyPacket reply = Get("/$/Stop/", std::string("url=") + c.Url + "&KX_SessionID_=" + IdOf(cookie), cookie);
    if (!*c.To) {
      EXPECT_EQ(reply.Code, 404);
      EXPECT_TRUE(Store().IsLive(IdOf(cookie)));
      continue;
    }
    EXPECT_NE(reply.Content.find(JsRedirect(c.To, true)), std::string::npos) << reply.Content;
  }
}

TEST_F(SessionFlowTest, StartEndsTheNamedSessionAndStartsAfresh) {
  const std::string cookie = StartSession();
  TReplyPacket reply = Get("/$/Start", "b=2&KX_SessionID_=" + IdOf(cookie), cookie);
  EXPECT_EQ(reply.Code, 200);
  EXPECT_EQ(Store().GetCount(), 0);
  EXPECT_EQ(reply.Content.find("KX_SessionID_"), std::string::npos);
  EXPECT_NE(reply.Content.find(" get(\"/?b=2\");"), std::string::npos) << reply.Content;
  ASSERT_NE(SessionCookie(reply), nullptr);
  EXPECT_EQ(SessionCookie(reply)->Expires, -1);
}

// Run parameters: framework fields and script-bearing values stay out; a value
// holding "&" survives the start URL.
TEST_F(SessionFlowTest, RunParametersAreFilteredAndEncoded) {
  TReplyPacket reply = Get("/", "a=1&KX_x=2&b=%3Cscript%3E&c=x%26y", "",
                           [](TRequestPacketFields& f) { f.QueryFields = {"a=1", "KX_x=2", "b=<script>", "c=x&y"}; });
  EXPECT_NE(reply.Content.find(" get(\"/$/StartCheck?a=1\\x26c=x%26y\");"), std::string::npos) << reply.Content;
  // Read from the address's own query as a form's fields are: "+" is a space, "%2B" a plus.
  const TReplyPacket plus = Get("/", "q=a+b%2Bc");
  ASSERT_NE(SessionCookie(plus), nullptr);
  EXPECT_EQ(Store().LookUp(IdOf(SessionCookie(plus)->Value))->RunParams().Strings(0), "q=a b+c");
}

// What a visitor typed never reaches an address: a post that starts a session (curl's, with no cookie) leaves its
// body out of the start page's address, the start check's form action and the session's run parameters, which
// come from the address's query alone.
TEST_F(SessionFlowTest, APostedBodyNeverBecomesRunParameters) {
  const std::vector<std::string> typed = {"NAME=what was typed", "PASSWORD=secret", "BUTTONSUBMIT=Submit"};
  const TReplyPacket start = Post("/", typed, "", "lang=en");
  EXPECT_NE(start.Content.find(" get(\"/$/StartCheck?lang=en\");"), std::string::npos) << start.Content;
  ASSERT_NE(SessionCookie(start), nullptr);
  const std::string cookie = SessionCookie(start)->Value;
  EXPECT_EQ(Store().LookUp(IdOf(cookie))->RunParams().GetRawString(), "?lang=en");
  const TReplyPacket check = Post("/$/StartCheck", {"PASSWORD=secret", "KX_SessionID_=" + IdOf(cookie)}, cookie);
  EXPECT_NE(check.Content.find("<form method=post action=\"/?lang=en\">"), std::string::npos) << check.Content;
  const TReplyPacket restart = Post("/$/Start", typed, "", "b=2");
  EXPECT_NE(restart.Content.find(" get(\"/?b=2\");"), std::string::npos) << restart.Content;
  for (const TReplyPacket* reply : {&start, &check, &restart}) {
    EXPECT_EQ(reply->Content.find("secret"), std::string::npos);
    EXPECT_EQ(reply->Content.find("typed"), std::string::npos);
  }
}

// A page whose session has ended (logged out in another tab, which took the cookie; ended by its stop; unknown
// after a restart) is told so on its next submit or callback: the invalid-session page with the way to start again,
// never the application error page, a new session or what was typed.
TEST_F(SessionFlowTest, APageWhoseSessionEndedIsToldSoBySubmitAndCallback) {
  const struct {
    const char* Name;
    const char* Path;
    bool Cookie;  // the ended session's cookie is still sent
    const char* Error;
    bool Restart = false;  // RestartExpiredSession: a new session starts instead, as for an ended session's cookie
  } rows[] = {
      {"submit, cookie gone", "/$/", false, "Session was terminated."},
      {"callback, cookie gone", "/$/callback", false, "Session was terminated."},
      {"submit, cookie of the ended session", "/$/", true, "Session ID is invalid."},
      {"callback, cookie of the ended session", "/$/callback", true, "Session ID is invalid."},
      {"submit, cookie gone, RestartExpiredSession", "/$/", false, "", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    SC().SetRestartExpiredSession(row.Restart);
    const std::string cookie = StartSession();
    const std::string id = IdOf(cookie);
    ASSERT_EQ(Get("/$/", "", cookie).Code, 200);
    Store().Terminate(id);  // the log-out of another tab
    mErrors.clear();
    const TReplyPacket reply =
        Post(row.Path, {"NAME=typed", "callback=DoIt", "KX_Retry=0123456789abcdef", "KX_SessionID_=" + id},
             row.Cookie ? id + "_2" : "");
    if (row.Restart) {
      EXPECT_EQ(reply.Code, 200);
      EXPECT_EQ(mErrors, std::vector<std::string>{});
      ASSERT_NE(SessionCookie(reply), nullptr) << "a new session";
      EXPECT_NE(IdOf(SessionCookie(reply)->Value), id);
      EXPECT_EQ(reply.Content.find("typed"), std::string::npos);
      continue;
    }
    EXPECT_EQ(reply.Code, 500);
    EXPECT_EQ(mErrors, (std::vector<std::string>{row.Error}));
    EXPECT_NE(reply.Content.find("Invalid session"), std::string::npos) << reply.Content;
    EXPECT_NE(reply.Content.find("Restart the application"), std::string::npos);
    EXPECT_EQ(reply.Content.find("Error details"), std::string::npos);
    EXPECT_EQ(reply.Content.find("typed"), std::string::npos);
    const TReplyPacketCookie* set = SessionCookie(reply);
    EXPECT_TRUE(set == nullptr || set->Expires == -1) << "no new session";
    EXPECT_EQ(Store().GetCount(), 0);
  }
}

constexpr const char* kUploadSessionEnded = "{\"error\":\"Your session has ended. Restart the application to go on.\"}";

// A page of an ended session acts in no other: after a log-out in one tab and "Start again" the cookie names the
// browser's new session, while another tab's page still posts the old id. Its submit, callback or upload is told
// its session ended; the cookie's session runs nothing of it and keeps its cookie, its track and its form's state.
TEST_F(SessionFlowTest, APageOfAnotherSessionIsToldItsSessionEndedAndTheCookiesSessionGoesOn) {
  const struct {
    const char* Name;
    const char* Method;
    const char* Path;
    const char* Query;  // besides the ended session's KX_SessionID_
  } rows[] = {
      {"submit", "POST", "/$/", "NAME=StaleTab&BUTTONSUBMIT=Submit&KX_Retry=0123456789abcdef"},
      {"a link's action", "GET", "/$/", "KX_Action=Go&NAME=StaleTab"},
      {"callback", "POST", "/$/callback", "callback=DoIt&NAME=StaleTab"},
      {"upload", "POST", "/$/upload/2", "KXFileUploader=true"},
  };
  const std::string ended = IdOf(StartSession());
  Store().Terminate(ended);  // the log-out in tab A
  const std::string cookie = StartSession();  // its "Start again"
  ASSERT_EQ(Get("/$/", "NAME=A", cookie).Code, 200);
  TKXApplication* session = Store().LookUp(IdOf(cookie));
  auto* form = dynamic_cast<TTestForm*>(session->GetActiveForm());
  ASSERT_NE(form, nullptr);
  const std::int32_t track = session->TrackID();
  const int executed = form->mExecuteCount;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    mErrors.clear();
    const TReplyPacket reply =
        Get(row.Path, std::string(row.Query) + "&KX_SessionID_=" + ended, cookie, [&](TRequestPacketFields& f) {
          f.Method = row.Method;
          f.RawHeaders.push_back("Sec-Fetch-Site: same-origin");  // the browser's own page
        });
    EXPECT_EQ(mErrors, (std::vector<std::string>{"Session was terminated."}));
    if (std::string_view(row.Path).starts_with("/$/upload")) {
      EXPECT_EQ(reply.Code, 200);
      EXPECT_EQ(reply.Content, kUploadSessionEnded);
    } else {
      EXPECT_EQ(reply.Code, 500);
      EXPECT_NE(reply.Content.find("Invalid session"), std::string::npos) << reply.Content;
      EXPECT_NE(reply.Content.find("Restart the application"), std::string::npos);
      EXPECT_EQ(reply.Content.find("StaleTab"), std::string::npos);
    }
    EXPECT_TRUE(reply.Cookies.empty()) << "the cookie is neither removed nor replaced";
    EXPECT_EQ(Store().LookUp(IdOf(cookie)), session);
    EXPECT_FALSE(session->Terminated());
    EXPECT_EQ(session->TrackID(), track);
    EXPECT_EQ(form->mExecuteCount, executed);
    EXPECT_EQ(form->mParams.Values("NAME"), "A");
  }
  // The cookie's own page goes on.
  EXPECT_EQ(Post("/$/", {"NAME=B", "KX_SessionID_=" + IdOf(cookie)}, cookie).Content, "<html> track 3</html>");
  EXPECT_EQ(form->mParams.Values("NAME"), "B");
}

// An upload comes from a page of a session: with that session gone it makes none (a new session's start page
// reached the uploader's script as "Upload failed", and its cookie took the page's next click into that session),
// also with RestartExpiredSession and without cookies. It is answered the uploader's JSON error, with no cookie.
TEST_F(SessionFlowTest, AnUploadWhoseSessionIsGoneMakesNone) {
  enum TSent { kNoCookie, kEndedCookie, kExpiredCookie };
  const struct {
    const char* Name;
    bool Cookies;  // the controller uses cookies
    bool Restart;  // RestartExpiredSession
    TSent Sent;
    bool PostsId;  // the page posts its session's id
  } rows[] = {
      {"cookie taken by a log-out in another tab", true, false, kNoCookie, true},
      {"cookies cleared, no id posted", true, false, kNoCookie, false},
      {"cookie of the ended session", true, false, kEndedCookie, true},
      {"cookie taken, RestartExpiredSession", true, true, kNoCookie, true},
      {"cookie of an expired session, RestartExpiredSession", true, true, kExpiredCookie, true},
      {"without cookies, no id", false, false, kNoCookie, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    Reconfigure({});
    SC().SetRestartExpiredSession(row.Restart);
    std::string id, sent;
    if (row.Cookies) {
      const std::string cookie = StartSession("a=1");
      id = IdOf(cookie);
      ASSERT_EQ(Get("/$/", "", cookie).Code, 200);
      if (row.Sent == kExpiredCookie)
        Advance(std::chrono::minutes(SC().SessionTimeout() + 1));
      else
        Store().Terminate(id);
      if (row.Sent != kNoCookie) sent = id + "_2";
    } else {
      SC().SetAllowMultipleSessionsPerUser(true);
      SC().CookieOptions()->SetUseCookies(false);
    }
    mErrors.clear();
    const int sessions = Store().GetCount();  // an expired one stays until the timeout thread frees it
    std::vector<std::string> body = {"KXFileUploader=true"};
    if (row.PostsId) body.push_back("KX_SessionID_=" + id);
    const TReplyPacket reply = Post("/$/upload/2", body, sent);
    EXPECT_EQ(reply.Code, 200);
    EXPECT_EQ(reply.Content, kUploadSessionEnded);
    EXPECT_TRUE(reply.Cookies.empty());
    EXPECT_EQ(mErrors.size(), 1u);
    EXPECT_EQ(Store().GetCount(), sessions) << "no session is made of an upload";
    if (row.Sent == kExpiredCookie) {
      EXPECT_EQ(Store().GetExpiredParams(id, false), "?a=1") << "kept for a restart";
    }
  }
}

// A post the session has run already (the page its answer was, reloaded; the browser sending it again) runs
// nothing: its answer is the form as it stands. A new click runs, from a page behind as well.
TEST_F(SessionFlowTest, APostSentAgainRunsNothingAndAnswersTheFormAsItStands) {
  const std::string cookie = StartSession();
  const std::string id = IdOf(cookie);
  ASSERT_EQ(Get("/$/", "", cookie).Code, 200);  // an active form, track 2
  int executed = 0;
  TTestForm::OnExecute = [&](TTestForm&, const TStrings&) { ++executed; };
  const struct {
    const char* Name;
    const char* Token;
    int CookieTrack;  // the track of the page that posts
    const char* Page;
    int Executed;
  } rows[] = {
      {"a click", "0123456789abcdefA", 2, "<html> track 3</html>", 1},
      {"its page reloaded", "0123456789abcdefA", 2, "<html> track 3</html>", 1},
      {"the next click", "0123456789abcdefB", 3, "<html> track 4</html>", 2},
      {"an older page reloaded", "0123456789abcdefA", 4, "<html> track 4</html>", 2},
      {"a new click of a page behind", "0123456789abcdefC", 2, "<html> track 5</html>", 3},
      {"a post without a token", "", 5, "<html> track 6</html>", 4},
      {"again without a token", "", 5, "<html> track 7</html>", 5},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    std::vector<std::string> body = {"KX_SessionID_=" + id};
    if (*row.Token != 0) body.push_back(std::string("KX_Retry=") + row.Token);
    const TReplyPacket reply = Post("/$/", body, id + "_" + std::to_string(row.CookieTrack));
    EXPECT_EQ(reply.Code, 200);
    EXPECT_EQ(reply.Content, row.Page);
    EXPECT_EQ(executed, row.Executed);
  }

  // The session keeps its last 16 posts: a reload 15 submits back runs nothing, one 16 newer posts pushed out runs.
  const auto click = [&](int i) {
    return Post("/$/", {"KX_SessionID_=" + id, "KX_Retry=0123456789abcdefD" + std::to_string(i)}, id + "_7");
  };
  for (int i = 0; i <= 16; ++i) ASSERT_EQ(click(i).Code, 200);
  executed = 0;
  const struct {
    const char* Name;
    int Click;
    int Executed;
  } reloads[] = {{"15 submits back", 1, 0}, {"the newest", 16, 0}, {"pushed out by 16 newer", 0, 1}};
  for (const auto& reload : reloads) {
    SCOPED_TRACE(reload.Name);
    EXPECT_EQ(click(reload.Click).Code, 200);
    EXPECT_EQ(executed, reload.Executed);
  }
}

// A page whose post has had no answer for long asks the session what became of it: waiting for the session,
// running, done, or not there at all (turned away, lost), which its page gives up, so that it never runs should it
// still arrive.
TEST_F(SessionFlowTest, APageAsksWhatBecameOfItsPost) {
  const std::string cookie = StartSession();
  const std::string id = IdOf(cookie);
  ASSERT_EQ(Get("/$/", "", cookie).Code, 200);
  const auto status = [&](const std::string& token, const std::string& sent) {
    return Get("/$/PostStatus", "KX_Retry=" + token + "&KX_SessionID_=" + id, sent).Content;
  };
  const auto post = [&](const std::string& token) {
    return Post("/$/", {"KX_Retry=" + token, "KX_SessionID_=" + id}, id + "_2");
  };
  const auto answer = [](const char* state) { return std::string(kXml) + "<post>" + state + "</post>"; };
  const std::string running = "0123456789abcdef1", waiting = "0123456789abcdef2", lost = "0123456789abcdef3",
                    turnedAway = "0123456789abcdef4";
  int executed = 0;
  std::string seenWhileRunning;
  TTestForm::OnExecute = [&](TTestForm&, const TStrings& params) {
    if (params.Values("KX_Retry").empty()) return;  // the callbacks that fill the waiters
    ++executed;
    if (executed == 1) seenWhileRunning = std::async(std::launch::async, [&] { return status(running, cookie); }).get();
  };
  ASSERT_EQ(post(running).Code, 200);
  EXPECT_EQ(seenWhileRunning, answer("running"));
  EXPECT_EQ(status(running, cookie), answer("done"));

  TKXApplication* session = Store().LookupAndLock(id, 0);  // held as a running request holds it
  std::future<TReplyPacket> queued = std::async(std::launch::async, [&] { return post(waiting); });
  while (session->SharedLock().use_count() < 2) std::this_thread::yield();
  EXPECT_EQ(status(waiting, cookie), answer("waiting"));
  // Past the session's waiters a post is turned away (204): nothing of it is kept.
  std::vector<std::future<TReplyPacket>> more;
  for (int i = 1; i < TKXSessions::MaxWaiters; ++i)
    more.push_back(std::async(std::launch::async,
                              [&] { return Get("/$/callback", "callback=DoIt&KX_SessionID_=" + id, id + "_2"); }));
  while (session->SharedLock().use_count() < 1 + TKXSessions::MaxWaiters) std::this_thread::yield();
  EXPECT_EQ(std::async(std::launch::async, [&] { return post(turnedAway); }).get().Code, 204);
  EXPECT_EQ(status(turnedAway, cookie), answer("unknown"));
  session->Unlock();
  EXPECT_EQ(queued.get().Code, 200);
  for (auto& request : more) request.get();
  EXPECT_EQ(status(waiting, cookie), answer("done"));
  EXPECT_EQ(executed, 2);

  // Asking gives nothing up: a post that arrives after the question (a stalled server reading the question first,
  // a body still on its way) runs.
  EXPECT_EQ(status(lost, cookie), answer("unknown"));
  EXPECT_EQ(post(lost).Code, 200);
  EXPECT_EQ(executed, 3);
  EXPECT_EQ(status(lost, cookie), answer("done"));
  // The page withdraws its post at its try-again limit (KX_GiveUp=1): one unknown then never runs, and its answer
  // leaves the page as it is; a post the session knows is answered as it stands and stays so.
  const auto withdraw = [&](const std::string& token) { return status(token + "&KX_GiveUp=1", cookie); };
  const std::string withdrawn = "0123456789abcdef6";
  EXPECT_EQ(withdraw(withdrawn), answer("abandoned"));
  EXPECT_EQ(post(withdrawn).Code, 204) << "given up by its page, it leaves that page as it is";
  EXPECT_EQ(executed, 3);
  EXPECT_EQ(withdraw(lost), answer("done"));
  EXPECT_EQ(status("not-a-token", cookie), answer("unknown"));
  // It gives up posts: another site's request, or one that does not name its session, is refused.
  const std::string other = "0123456789abcdef5";
  EXPECT_EQ(Get("/$/PostStatus", "KX_Retry=" + other + "&KX_GiveUp=1", cookie).Code, 403);
  EXPECT_EQ(Get("/$/PostStatus", "KX_Retry=" + other + "&KX_GiveUp=1&KX_SessionID_=" + id, cookie,
                [](TRequestPacketFields& f) { f.RawHeaders.push_back("Sec-Fetch-Site: cross-site"); })
                .Code,
            403);
  EXPECT_EQ(status(other, cookie), answer("unknown")) << "neither gave it up";
  EXPECT_EQ(status(running, ""), answer("ended"));
  Store().Terminate(id);
  EXPECT_EQ(status(running, cookie), answer("ended"));
}

// A post is done once the session ran it: one refused before its form ran (a 401, for a submit or a call link) is
// forgotten, so the browser's resend with credentials runs it, once; one whose handler failed, or whose page ended
// the request itself, ran, and runs nothing when sent again.
TEST_F(SessionFlowTest, APostIsDoneOnlyOnceItRan) {
  TKXAutherList auther;
  auther.List()->Add("user=secret");
  const auto credentials = [](TRequestPacketFields& f) {
    f.AuthUser = "user";
    f.AuthPass = "secret";
  };
  std::function<void()> fail;  // what the first copy's form does after it counted the run
  int executed = 0;
  TTestForm::OnExecute = [&](TTestForm&, const TStrings&) {
    ++executed;
    if (fail) fail();
  };
  const struct {
    const char* Name;
    const char* Path;
    bool Auth;  // the controller asks for a user, and the first copy sends none
    std::function<void()> Fail;
    int Code;      // the first copy's answer
    int Executed;  // by the first copy
    const char* State;
  } rows[] = {
      {"a submit answered 401", "/$/", true, {}, 401, 0, "unknown"},
      {"a call link answered 401", "/$/call", true, {}, 401, 0, "unknown"},
      {"a handler that raises", "/$/", false, [] { throw Exception("handler failed"); }, 200, 1, "done"},
      {"a handler whose error escapes",
       "/$/",
       false,
       [this] {
         SC().OnException = [](TKXApplication*, const std::exception&, bool&) { throw Exception("logger failed"); };
         throw Exception("handler failed");
       },
       500, 1, "done"},
      {"a page that ends its request itself", "/$/", false,
       [] {
         TTestForm::OnGenerate = [](TTestForm& form) {
           form.Session()->Response()->SetCode(303);
           Abort();
         };
       },
       303, 1, "done"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    const std::string cookie = StartSession();
    const std::string id = IdOf(cookie);
    ASSERT_EQ(Get("/$/", "", cookie).Code, 200);
    SC().SetAuther(row.Auth ? &auther : nullptr);
    const std::string token = "0123456789abcdef" + std::to_string(&row - rows);
    const std::string query = SameText(row.Path, "/$/call") ? id + "_2" : "";
    const auto send = [&](const std::function<void(TRequestPacketFields&)>& adjust) {
      return Get(row.Path, query, cookie, [&](TRequestPacketFields& f) {
        f.Method = "POST";
        f.HasContent = true;
        f.QueryFields.push_back("KX_Retry=" + token);
        f.QueryFields.push_back("KX_SessionID_=" + id);
        adjust(f);
      });
    };
    executed = 0;
    fail = row.Fail;
    EXPECT_EQ(send([](TRequestPacketFields&) {}).Code, row.Code);
    fail = nullptr;
    TTestForm::OnGenerate = nullptr;
    SC().OnException = [this](TKXApplication*, const std::exception& e, bool&) { mErrors.push_back(e.what()); };
    EXPECT_EQ(executed, row.Executed);
    EXPECT_EQ(Get("/$/PostStatus", "KX_Retry=" + token + "&KX_SessionID_=" + id, cookie).Content,
              std::string(kXml) + "<post>" + row.State + "</post>");
    const TReplyPacket again = send(credentials);
    EXPECT_EQ(again.Code, 200) << again.Content;
    EXPECT_EQ(executed, 1) << "sent again, it runs once in all";
    SC().SetAuther(nullptr);
  }
}

// The copies of one post (the page sends its post again with its own token when the server did not know it, or
// tries again after a turn-away) run it once, whichever takes the session first; one turned away while another
// waits never keeps that one from running.
TEST_F(SessionFlowTest, OfTheCopiesOfAPostTheFirstToTakeTheSessionRunsIt) {
  const std::string cookie = StartSession();
  const std::string id = IdOf(cookie);
  ASSERT_EQ(Get("/$/", "", cookie).Code, 200);
  std::atomic<int> executed{0};
  TTestForm::OnExecute = [&](TTestForm&, const TStrings&) { ++executed; };
  const std::string token = "0123456789abcdefC";
  const auto post = [&] { return Post("/$/", {"KX_Retry=" + token, "KX_SessionID_=" + id}, id + "_2"); };
  const auto status = [&] {
    return Get("/$/PostStatus", "KX_Retry=" + token + "&KX_SessionID_=" + id, cookie).Content;
  };
  const auto answer = [](const char* state) { return std::string(kXml) + "<post>" + state + "</post>"; };
  // A watch whose request stops waiting when told, as when its client has gone.
  struct TLeavingWatch final : IKXRequestWatch {
    std::atomic<bool> Stay{true};
    bool KeepWaiting() override { return Stay; }
  } watch;

  TKXApplication* session = Store().LookupAndLock(id, 0);  // held as a running request holds it
  std::future<TReplyPacket> first = std::async(std::launch::async, [&] {
    TKXRequestWatchScope watching(watch);
    return post();
  });
  while (session->SharedLock().use_count() < 2) std::this_thread::yield();
  std::future<TReplyPacket> second = std::async(std::launch::async, post);
  while (session->SharedLock().use_count() < 3) std::this_thread::yield();
  watch.Stay = false;
  EXPECT_EQ(first.get().Code, 204) << "turned away";
  EXPECT_EQ(status(), answer("waiting")) << "the other copy still waits";
  session->Unlock();
  EXPECT_EQ(second.get().Content, "<html> track 3</html>");
  EXPECT_EQ(executed, 1);

  // One more copy, after the post ran: the form as it stands.
  EXPECT_EQ(post().Content, "<html> track 3</html>");
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(status(), answer("done"));
}

TEST_F(SessionFlowTest, BrowserSessionCookieOrOneDayBeyondTheTimeout) {
  SC().CookieOptions()->SetSessionCookies(false);
  const TDateTime before = Now();
  TReplyPacket reply = Get("/");
  const TDateTime after = Now();
  ASSERT_NE(SessionCookie(reply), nullptr);
  const TDateTime expires = SessionCookie(reply)->Expires;
  // One minute (a new session's timeout) and one day after the reply; a second's leeway for rounding.
  EXPECT_GE(expires, before + 1.0 / 1440 + 1.0 - 1.0 / 86400);
  EXPECT_LE(expires, after + 1.0 / 1440 + 1.0 + 1.0 / 86400);
}

TEST_F(SessionFlowTest, UnsupportedBrowserGetsAnErrorAndNoSession) {
  TReplyPacket reply = Get("/", "", "", [](TRequestPacketFields& f) { f.UserAgent = "curl/8.0"; });
  EXPECT_EQ(reply.Code, 500);
  EXPECT_EQ(mErrors, (std::vector<std::string>{"Unknown browser type. User Agent string: curl/8.0"}));
  EXPECT_EQ(Store().GetCount(), 0);
}

// Whether another thread can take the session's lock at once (the lock is
// re-entrant, so the test thread could always take it again): "free", "held",
// or "gone" when the store no longer has the session.
std::string LockStateFromAnotherThread(const std::string& id) {
  return std::async(std::launch::async, [&id] {
           TKXApplication* session = SessionStore()->LookUp(id);
           if (session == nullptr) return std::string("gone");
           if (!session->TryLock()) return std::string("held");
           session->Unlock();
           return std::string("free");
         }).get();
}

// Every way out of a request lets go of the session, and the error page is made
// while it is still held: after each way out another thread finds the session
// free (or gone, when the request ended it) and the next request of the client
// (with credentials, for the 401) is answered.
TEST_F(SessionFlowTest, EveryWayOutReleasesTheSession) {
  TKXAutherList auther;
  auther.List()->Add("user=secret");
  struct TWayOut {
    const char* Name;
    std::function<void()> Arrange;
    std::string Path;
    std::string Query;
    std::function<void(TRequestPacketFields&)> Adjust;
    int Code;
    bool ErrorPage;       // OnException runs, with the session held
    std::string After;    // the lock state after the request
    int NextCode;         // the next request of the client ("/$/")
  };
  const auto otherAddress = [](TRequestPacketFields& f) { f.RemoteAddr = "198.51.100.7"; };
  const TWayOut wayOuts[] = {
      {"page", {}, "/$/", "", {}, 200, false, "free", 200},
      {"callback", {}, "/$/callback", "callback=DoIt", {}, 200, false, "free", 200},
      {"start check", {}, "/$/StartCheck", "", {}, 200, false, "free", 200},
      {"resize", {}, "/$/resize", "KX_width=10&KX_height=20", {}, 200, false, "free", 200},
      {"stop without a url goes on to the content path", {}, "/$/Stop/", "", {}, 404, false, "free", 200},
      {"upload whose form raises",
       [] { TTestForm::OnExecute = [](TTestForm&, const TStrings&) { throw Exception("upload failed"); }; },
       "/$/upload/3", "", {}, 200, false, "free", 200},
      {"exception while rendering",
       [] { TTestForm::OnGenerate = [](TTestForm&) { throw Exception("render failed"); }; }, "/$/", "", {}, 500,
       true, "free", 200},
      {"error page whose event raises",
       [this] {
         TTestForm::OnGenerate = [](TTestForm&) { throw Exception("render failed"); };
         SC().OnException = [](TKXApplication*, const std::exception&, bool&) { throw Exception("logger failed"); };
       },
       "/$/", "", {}, 500, false, "free", 200},
      {"the silent abort of a 401", [&] { SC().SetAuther(&auther); }, "/$/", "", {}, 401, false, "free", 200},
      {"failed client check", {}, "/$/", "", otherAddress, 500, true, "free", 200},
      {"stop that ends the session", {}, "/$/Stop/", "url=example.org", {}, 200, false, "gone", 500},
  };
  for (const TWayOut& way : wayOuts) {
    SCOPED_TRACE(way.Name);
    const std::string cookie = StartSession();
    const std::string id = IdOf(cookie);
    ASSERT_EQ(Get("/$/", "", cookie).Code, 200);  // an active form, track 2
    std::vector<std::string> seenOnError;
    SC().OnException = [&](TKXApplication* session, const std::exception& e, bool&) {
      mErrors.push_back(e.what());
      seenOnError.push_back(std::string(session != nullptr ? "session " : "no session ") +
                            LockStateFromAnotherThread(id));
    };
    if (way.Arrange) way.Arrange();

    // Posting the session id as the client scripts do.
    const std::string query = way.Query + (way.Query.empty() ? "" : "&") + "KX_SessionID_=" + id;
    EXPECT_EQ(Get(way.Path, query, id + "_2", way.Adjust).Code, way.Code);
    TTestForm::OnExecute = nullptr;
    TTestForm::OnGenerate = nullptr;
    EXPECT_EQ(seenOnError, way.ErrorPage ? std::vector<std::string>{"session held"} : std::vector<std::string>{});
    EXPECT_EQ(LockStateFromAnotherThread(id), way.After);
    EXPECT_EQ(Get("/$/", "", id + "_3", [](TRequestPacketFields& f) {
                f.AuthUser = "user";
                f.AuthPass = "secret";
              }).Code,
              way.NextCode);
    SC().SetAuther(nullptr);
  }
}

// A busy session has at most MaxWaiters requests waiting for it: the next one is answered 503 with Retry-After at
// once and runs nothing; those waiting are served once the session is free.
TEST_F(SessionFlowTest, ARequestPastTheWaitersOfABusySessionIs503) {
  const std::string cookie = StartSession();
  const std::string id = IdOf(cookie);
  ASSERT_EQ(Get("/$/", "", cookie).Code, 200);  // an active form, track 2
  std::atomic<int> executed{0};
  TTestForm::OnExecute = [&](TTestForm&, const TStrings&) { ++executed; };
  TKXApplication* session = Store().LookupAndLock(id, 0);  // held as a running request holds it
  const auto callback = [&] { return Get("/$/callback", "callback=DoIt&KX_SessionID_=" + id, id + "_2"); };
  std::vector<std::future<TReplyPacket>> waiting;
  for (int i = 0; i < TKXSessions::MaxWaiters; ++i) waiting.push_back(std::async(std::launch::async, callback));
  while (session->SharedLock().use_count() < 1 + TKXSessions::MaxWaiters) std::this_thread::yield();
  std::future<TReplyPacket> refused = std::async(std::launch::async, callback);
  // Bounded only so that a request that waits fails the test instead of hanging it.
  refused.wait_for(std::chrono::seconds(10));
  // A posted form whose script waits is told the cause in a word of the page's.
  const TReplyPacket form = std::async(std::launch::async, [&] {
                              return Get("/$/", "KX_Retry=0123456789abcdef&KX_SessionID_=" + id, id + "_2");
                            }).get();
  EXPECT_EQ(form.Code, 204);
  ASSERT_EQ(form.Cookies.size(), 1u);
  EXPECT_EQ(form.Cookies[0].Value, "1:session");
  EXPECT_EQ(executed, 0);
  session->Unlock();
  const TReplyPacket reply = refused.get();
  EXPECT_EQ(reply.Code, 503);
  EXPECT_NE(std::find(reply.Headers.begin(), reply.Headers.end(), "Retry-After: 1"), reply.Headers.end());
  // Issue 5: the callback's page says the cause in its own words, by this word.
  EXPECT_NE(std::find(reply.Headers.begin(), reply.Headers.end(), "X-KX-Retry-Cause: session"), reply.Headers.end());
  for (auto& request : waiting) EXPECT_EQ(request.get().Code, 200);
  EXPECT_EQ(executed, TKXSessions::MaxWaiters);
}

// Where the host does not count its threads, one client address has at most MaxRequestsPerIP requests in the
// session layer, waiting or running, whatever its sessions: the next, on a free session, is answered 503 with Retry-After at once and runs nothing (behind a
// trusted proxy the forwarded address counts); another address is served meanwhile, and those waiting once their
// sessions are free.
TEST_F(SessionFlowTest, ARequestPastTheRequestsOfItsAddressIs503) {
  const auto activeSession = [&](const std::function<void(TRequestPacketFields&)>& from) {
    const std::string id = IdOf(SessionCookie(Get("/", "", "", from))->Value);
    EXPECT_EQ(Get("/$/", "", id + "_1", from).Code, 200);  // an active form, track 2
    return id;
  };
  const auto callback = [&](const std::string& id, const std::function<void(TRequestPacketFields&)>& from) {
    return Get("/$/callback", "callback=DoIt&KX_SessionID_=" + id, id + "_2", from);
  };
  const std::string free = activeSession(From("192.0.2.10"));
  const std::string other = activeSession(From("198.51.100.7"));
  const int kBusySessions = SC().MaxRequestsPerIP() / TKXSessions::MaxWaiters;
  std::vector<TKXApplication*> held;  // as running requests hold them
  std::vector<std::future<TReplyPacket>> waiting;
  for (int i = 0; i < kBusySessions; ++i) {
    const std::string id = activeSession(From("192.0.2.10"));
    held.push_back(Store().LookupAndLock(id, 0));
    for (int j = 0; j < TKXSessions::MaxWaiters; ++j)
      waiting.push_back(std::async(std::launch::async, callback, id, From("192.0.2.10")));
  }
  for (TKXApplication* session : held)
    while (session->SharedLock().use_count() < 1 + TKXSessions::MaxWaiters) std::this_thread::yield();
  std::atomic<int> executed{0};
  TTestForm::OnExecute = [&](TTestForm&, const TStrings&) { ++executed; };

  const TReplyPacket refused = callback(free, From("127.0.0.1", "192.0.2.10"));
  EXPECT_EQ(refused.Code, 503);
  EXPECT_NE(std::find(refused.Headers.begin(), refused.Headers.end(), "Retry-After: 1"), refused.Headers.end());
  EXPECT_EQ(executed, 0);
  EXPECT_EQ(callback(other, From("198.51.100.7")).Code, 200);
  for (TKXApplication* session : held) session->Unlock();
  for (auto& request : waiting) EXPECT_EQ(request.get().Code, 200);
  EXPECT_EQ(executed, 1 + SC().MaxRequestsPerIP());
  EXPECT_EQ(callback(free, From("192.0.2.10")).Code, 200);
}

// A host that reports its threads. Only the test thread asks it.
struct TSpareWatch final : IKXRequestWatch {
  explicit TSpareWatch(int spare) : Spare(spare) {}
  bool KeepWaiting() override { return true; }
  int SpareThreads() override { return Spare; }
  int Spare;
};

// An address with MaxRequestsPerIP requests in (an office behind one address with its jobs running) is refused only
// while the host has at most ReserveThreads to spare, and then with its own answer; status polls never count; a
// new visitor of the address is let in while threads are spare. Another address is let in either way.
TEST_F(SessionFlowTest, AnAddressWithManyRequestsInIsRefusedOnlyWhileTheHostIsNearlyFull) {
  const std::string office = StartSession();
  ASSERT_EQ(Get("/$/", "", office).Code, 200);
  const std::string elsewhere = IdOf(SessionCookie(Get("/", "", "", From("198.51.100.7")))->Value);
  ASSERT_EQ(Get("/$/", "", elsewhere + "_1", From("198.51.100.7")).Code, 200);
  for (int i = 0; i < SC().MaxRequestsPerIP(); ++i) ASSERT_TRUE(RequestAdmission().Join("192.0.2.10", 0, 0));
  const auto callback = [&](const std::string& id, const std::function<void(TRequestPacketFields&)>& from) {
    return Get("/$/callback", "callback=DoIt&KX_SessionID_=" + id, id + "_2", from);
  };
  const int reserve = TKXAdmission::ReserveThreads;
  const struct {
    int Spare;
    std::function<TReplyPacket()> Send;
    int Code;
  } rows[] = {
      {60, [&] { return Get("/"); }, 200},
      {60, [&] { return Get("/$/QueryStatus", "", office); }, 200},
      {reserve + 1, [&] { return callback(IdOf(office), From("192.0.2.10")); }, 200},
      {reserve, [&] { return Get("/$/QueryStatus", "", office); }, 200},
      {reserve, [&] { return Get("/$/KeepAlive", "", office); }, 200},
      {reserve, [&] { return Get("/"); }, 503},
      {reserve, [&] { return callback(IdOf(office), From("192.0.2.10")); }, 503},
      {reserve, [&] { return Get("/$/Start", "KX_SessionID_=" + IdOf(office), office); }, 503},  // waits for it
      {reserve, [&] { return callback(elsewhere, From("198.51.100.7")); }, 200},
  };
  gErrorLogProcedure = &KeepLogLine;
  gLogLines.clear();
  for (const auto& row : rows) {
    TSpareWatch watch(row.Spare);
    TKXRequestWatchScope watching(watch);
    const TReplyPacket reply = row.Send();
    EXPECT_EQ(reply.Code, row.Code) << row.Spare << " " << reply.Content;
    if (row.Code == 503) {
      EXPECT_EQ(reply.Content, "503 - Too many requests from your address. Please try again later.");
      EXPECT_NE(std::find(reply.Headers.begin(), reply.Headers.end(), "Retry-After: 1"), reply.Headers.end());
      EXPECT_NE(std::find(reply.Headers.begin(), reply.Headers.end(), "X-KX-Retry-Cause: address"),
                reply.Headers.end());
    }
  }
  // The two refusals: one line of the operator's log.
  ASSERT_EQ(gLogLines.size(), 1u);
  EXPECT_NE(gLogLines[0].find(" warning GET \"/\": Too many requests from client 192.0.2.10: it has 16 or more in "
                              "while the host has 8 threads to spare; "),
            std::string::npos)
      << gLogLines[0];
  for (int i = 0; i < SC().MaxRequestsPerIP(); ++i) RequestAdmission().Leave("192.0.2.10");
}

// A host short of descriptors. Only the test thread asks it.
struct TDescriptorsWatch final : IKXRequestWatch {
  explicit TDescriptorsWatch(bool isShort) : Short(isShort) {}
  bool KeepWaiting() override { return true; }
  bool DescriptorsShort() override { return Short; }
  bool Short;
};

// While the host is short of descriptors, a request that would make a session is told to try again, with the
// server's cause (a post that can wait gets its 204 and cookie), and makes none: a session may open files (a data
// form's database) that those already there need. Those go on; once the host has descriptors again, a visitor gets
// a session.
TEST_F(SessionFlowTest, NewSessionsAreTurnedAwayWhileTheHostIsShortOfDescriptors) {
  const std::string cookie = StartSession();
  ASSERT_EQ(Get("/$/", "", cookie).Code, 200);
  const std::string token = "0123456789abcdef";
  const struct {
    bool Short;
    std::function<TReplyPacket()> Send;
    int Code;
  } rows[] = {
      {true, [&] { return Get("/"); }, 503},
      {true, [&] { return Get("/$/", "KX_Retry=" + token); }, 204},
      {true, [&] { return Get("/$/callback", "callback=DoIt&KX_SessionID_=" + IdOf(cookie), IdOf(cookie) + "_2"); },
       200},
      {true, [&] { return Get("/$/", "", cookie); }, 200},
      {false, [&] { return Get("/"); }, 200},
  };
  for (const auto& row : rows) {
    const int sessions = Store().GetCount();
    TDescriptorsWatch watch(row.Short);
    TKXRequestWatchScope watching(watch);
    const TReplyPacket reply = row.Send();
    EXPECT_EQ(reply.Code, row.Code) << reply.Content;
    if (row.Code == 200) continue;
    EXPECT_EQ(Store().GetCount(), sessions);
    EXPECT_EQ(SessionCookie(reply), nullptr);
    EXPECT_NE(std::find(reply.Headers.begin(), reply.Headers.end(), "Retry-After: 30"), reply.Headers.end());
    if (row.Code == 503) {
      EXPECT_EQ(reply.Content, "503 - The server is busy. Please try again later.");
      EXPECT_NE(std::find(reply.Headers.begin(), reply.Headers.end(), "X-KX-Retry-Cause: server"),
                reply.Headers.end());
    } else {
      ASSERT_EQ(reply.Cookies.size(), 1u);
      EXPECT_EQ(reply.Cookies[0].Name, "KX_Retry_" + token);
      EXPECT_EQ(reply.Cookies[0].Value, "30:server");
    }
  }
  EXPECT_EQ(Store().GetCount(), 2);
}

// A posted form whose script can wait (KX_Retry=TOKEN) is turned away with 204, which leaves the page in place, and
// the cookie named after the token with the wait and the cause, which lives a few minutes; any other request, or one
// with a KX_Retry that is no token, gets the 503.
TEST_F(SessionFlowTest, APostedFormThatCanWaitIsTurnedAwayWith204AndTheCookie) {
  const std::string cookie = StartSession();
  ASSERT_EQ(Get("/$/", "", cookie).Code, 200);
  const struct {
    std::string Retry;  // the posted KX_Retry, form-encoded; none when empty
    int Code;
  } rows[] = {
      {"0123456789abcdeF", 204},  {std::string(64, 'Z'), 204}, {"", 503},
      {"1", 503},                 {std::string(15, 'a'), 503}, {std::string(65, 'a'), 503},
      {"0123456789abcde-", 503},  {"0123456789abcdef%3Bx=1", 503},
  };
  for (int i = 0; i < SC().MaxRequestsPerIP(); ++i) ASSERT_TRUE(RequestAdmission().Join("192.0.2.10", 0, 0));
  for (const auto& row : rows) {
    const TDateTime before = Now();
    const TReplyPacket reply = Get("/$/", (row.Retry.empty() ? "" : "KX_Retry=" + row.Retry + "&") +
                                              "KX_SessionID_=" + IdOf(cookie), IdOf(cookie) + "_2");
    EXPECT_EQ(reply.Code, row.Code) << row.Retry;
    EXPECT_NE(std::find(reply.Headers.begin(), reply.Headers.end(), "Retry-After: 1"), reply.Headers.end());
    if (row.Code != 204) {
      EXPECT_TRUE(reply.Cookies.empty()) << row.Retry;
      continue;
    }
    ASSERT_EQ(reply.Cookies.size(), 1u);
    EXPECT_EQ(reply.Cookies[0].Name, "KX_Retry_" + row.Retry);
    EXPECT_EQ(reply.Cookies[0].Value, "1:address") << "the cause, in a word the page turns into its own text";
    EXPECT_EQ(reply.Cookies[0].Path, "/");
    EXPECT_GT(reply.Cookies[0].Expires, before);
    EXPECT_LT(reply.Cookies[0].Expires, before + 11 / 1440.0) << "a leftover goes within minutes";
  }
  for (int i = 0; i < SC().MaxRequestsPerIP(); ++i) RequestAdmission().Leave("192.0.2.10");
}

// A page of another site showing the start address as a thousand images starts a session with each (no Lax cookie
// goes with an image). At the address's MaxSessionsPerIP the oldest session that no request used since its start
// page makes room for a new visitor, who gets a working page; a used session never does, and its address is
// refused as before.
TEST_F(SessionFlowTest, StartPagesNeverFollowedMakeRoomForANewVisitor) {
  Reconfigure([](TKXServerControllerBase& sc) { sc.SetMaxSessionsPerIP(3); });
  const std::string used = StartSession();
  ASSERT_EQ(Get("/$/StartCheck", "", used).Code, 200);
  for (int i = 0; i < 10; ++i) ASSERT_NE(SessionCookie(Get("/")), nullptr);  // the images
  EXPECT_EQ(Store().GetCount(), 3);
  const std::string visitor = StartSession();
  ASSERT_FALSE(visitor.empty());
  EXPECT_EQ(Get("/$/StartCheck", "", visitor).Code, 200);
  EXPECT_EQ(Get("/$/", "", IdOf(visitor) + "_1").Code, 200);
  EXPECT_NE(Store().LookUp(IdOf(used)), nullptr);
  EXPECT_EQ(Store().GetCount(), 3);
  // The image session that made the last room: its id restarts as an expired one does.
  EXPECT_EQ(Store().ExpiredCount(), 9);

  ASSERT_NE(SessionCookie(Get("/")), nullptr);  // one more image, then a visitor who uses the session
  ASSERT_EQ(Get("/$/StartCheck", "", SessionCookie(Get("/"))->Value).Code, 200);
  ExpectTooManySessions(Get("/"));
}

// Which start page makes room at the address's MaxSessionsPerIP: the oldest one, passed over while a request holds
// it (its first request may still be running, and its visitor may yet follow it).
TEST_F(SessionFlowTest, TheOldestStartPageNoRequestHoldsMakesRoom) {
  const struct {
    const char* Name;
    std::vector<int> Held;  // the start pages, 0 the oldest, that a request on another thread holds
    int Gives;              // the start page that makes room
  } rows[] = {
      {"the oldest", {}, 0},
      {"the oldest one not held", {0}, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    Reconfigure([](TKXServerControllerBase& sc) { sc.SetMaxSessionsPerIP(3); });
    std::vector<std::string> pages;
    for (int i = 0; i < 3; ++i) pages.push_back(IdOf(StartSession()));
    // Held by this thread, as a running request holds a session, without the look-up that marks it used.
    for (int i : row.Held) ASSERT_TRUE(Store().LookUp(pages[i])->TryLock());
    const TReplyPacket visitor = std::async(std::launch::async, [&] { return Get("/"); }).get();
    for (int i : row.Held)
      if (TKXApplication* held = Store().LookUp(pages[i])) held->Unlock();
    EXPECT_EQ(visitor.Code, 200);
    EXPECT_NE(SessionCookie(visitor), nullptr);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Store().LookUp(pages[i]) == nullptr, i == row.Gives) << "start page " << i;
  }
}

// A new session whose OnNewSession raises stays in the store, unlocked.
TEST_F(SessionFlowTest, NewSessionWhoseEventRaisesIsLeftUnlocked) {
  SC().OnNewSession = [](TKXApplication*) { throw Exception("no session today"); };
  EXPECT_EQ(Get("/").Code, 500);
  EXPECT_EQ(mErrors, (std::vector<std::string>{"no session today"}));
  ASSERT_EQ(Store().GetCount(), 1);
  std::vector<TKXApplication*> sessions = Store().LockList();
  const std::string id = sessions[0]->AppID();
  Store().UnLockList();
  EXPECT_EQ(LockStateFromAnotherThread(id), "free");
}

TEST_F(SessionFlowTest, FormTerminatingTheSessionEndsItAfterTheReply) {
  TTestForm::OnExecute = [](TTestForm& form, const TStrings&) { form.Session()->Terminate(); };
  const std::string cookie = StartSession();
  TReplyPacket reply = Get("/$/", "", cookie);
  EXPECT_EQ(reply.Code, 200);
  ASSERT_NE(SessionCookie(reply), nullptr);
  EXPECT_EQ(SessionCookie(reply)->Expires, -1);
  EXPECT_EQ(Store().GetCount(), 0);
  EXPECT_EQ(Get("/$/", "", cookie).Code, 500);
  EXPECT_EQ(mErrors.back(), "Session ID is invalid.");
}

TEST_F(SessionFlowTest, ExpiredSessionsAreFreedByTheTimeoutThread) {
  StartSession();
  StartSession();
  Advance(std::chrono::minutes(1));
  const std::string live = StartSession();
  SC().SessionTimeoutThread()->Run();
  EXPECT_EQ(Store().GetCount(), 1);
  EXPECT_NE(Store().LookUp(IdOf(live)), nullptr);
  EXPECT_EQ(Store().ExpiredCount(), 2);
}

// Without cookies the session lives in the URL: "/<id>/$/...".
TEST_F(SessionFlowTest, CookielessSessionsTravelInTheUrl) {
  SC().SetAllowMultipleSessionsPerUser(true);
  SC().CookieOptions()->SetUseCookies(false);
  TReplyPacket start = Get("/");
  EXPECT_TRUE(start.Cookies.empty());
  ASSERT_EQ(Store().GetCount(), 1);
  std::vector<TKXApplication*> sessions = Store().LockList();
  const std::string id = sessions[0]->AppID();
  Store().UnLockList();
  EXPECT_NE(start.Content.find(" get(\"/" + id + "/$/StartCheck\");"), std::string::npos) << start.Content;

  TReplyPacket root = Get("/" + id, "KX_SessionID_=" + id);
  EXPECT_NE(root.Content.find("window.location.replace(\"/" + id + "/$/\")"), std::string::npos) << root.Content;
  TReplyPacket form = Get("/" + id + "/$/");
  EXPECT_EQ(form.Content, "<html> track 2</html>");
  // The form field names the session too, with the track in base 36.
  TReplyPacket field = Get("/$/", "KX_SessionID_=" + id + "&KX_TrackID_=2");
  EXPECT_EQ(field.Content, "<html> track 3</html>");
}

TEST_F(SessionFlowTest, StaleTrackFiresOnBackButton) {
  std::vector<std::string> seen;
  SC().OnBackButton = [&](TKXResyncInfo& info) {
    seen.push_back(std::to_string(info.CurrentTrackId) + "/" + std::to_string(info.SubmittedTrackId));
  };
  const std::string cookie = StartSession();
  Get("/$/", "", cookie);                          // track 1 -> 2
  Get("/$/", "KX_TrackID_=2", IdOf(cookie) + "_2");  // current: nothing to resync
  Get("/$/", "KX_TrackID_=1", IdOf(cookie) + "_3");  // an older page
  EXPECT_EQ(seen, (std::vector<std::string>{"3/1"}));
}

TEST_F(SessionFlowTest, UploadAnswersJson) {
  const std::string cookie = StartSession();
  Get("/$/", "", cookie);
  TReplyPacket ok = Get("/$/upload/2", "KX_SessionID_=" + IdOf(cookie), IdOf(cookie) + "_2");
  EXPECT_EQ(ok.Content, "{\"success\":true}");
  TTestForm::OnExecute = [](TTestForm&, const TStrings&) { throw Exception("bad \"name\"\n<img>"); };
  TReplyPacket failed = Get("/$/upload/3", "KX_SessionID_=" + IdOf(cookie), IdOf(cookie) + "_3");
  EXPECT_EQ(failed.Content, "{\"error\":\"bad \\\"name\\\"\\n\\u003Cimg>\"}");
}

TEST_F(SessionFlowTest, ResizeSetsTheFormSizeAndAnswersPositions) {
  const std::string cookie = StartSession();
  // Before the session has a form: the page without positions, and no fault.
  TReplyPacket early = Get("/$/resize", "KX_width=1024&KX_height=700", IdOf(cookie) + "_1");
  EXPECT_EQ(early.Code, 200);
  EXPECT_NE(early.Content.find("return w;\r\n}\r\n\r\nKXTop().GSubmitting=false;"), std::string::npos) << early.Content;
  EXPECT_TRUE(mErrors.empty());
  Get("/$/", "", cookie);
  TReplyPacket reply = Get("/$/resize", "KX_width=1024&KX_height=700", IdOf(cookie) + "_2");
  EXPECT_NE(reply.Content.find("positions();\r\nKXTop().GSubmitting=false;\r\n</script></head></html>"),
            std::string::npos)
      << reply.Content;
  TKXApplication* session = Store().LookUp(IdOf(cookie));
  EXPECT_EQ(session->FormWidth(), 1024);
  auto* form = dynamic_cast<TTestForm*>(session->GetActiveForm());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->mWidth, 1024);
  EXPECT_EQ(form->mHeight, 700);
  EXPECT_FALSE(form->mRefresh);
}

}  // namespace
}  // namespace kx
