#include "kx/appserver/Application.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/KXExceptions.h"
#include "support/SessionTestDoubles.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

constexpr const char* kChrome = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";
std::string gFolder;

class TKXApplicationTest : public ::testing::Test {
 protected:

  void SetUp() override {
    std::string pattern = gsTempPath() + "kx-app-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    gFolder = pattern + "/";
    gGetAppPath = [] { return gFolder; };
    gCreateCallBackResponse = &TTestCallBackResponse::Create;
    mController.reset(TComponent::Create<TKXServerControllerBase>(nullptr));
    gServerController = mController.get();
  }

  void TearDown() override {
    mController.reset();  // frees the store and its sessions
    TTestForm::OnExecute = nullptr;
    fs::remove_all(gFolder);
  }

  TKXServerControllerBase& SC() { return *mController; }

  // A new session, registered; the calling thread holds its lock once.
  TKXApplication* NewSession(const std::string& agent = kChrome, const std::string& scriptName = "/app") {
    return TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser(agent), nullptr, nullptr,
                                              "192.0.2.1", "", "", scriptName);
  }

  static TTestForm* NewForm(TKXApplication* session, const std::string& name) {
    TTestForm* form = TComponent::Create<TTestForm>(session);
    form->SetName(name);
    return form;
  }

  TOwnedComponent<TKXServerControllerBase> mController;
};

TEST(TKXParamsString, KeepsOnlyRunParameters) {
  TStringList request;
  for (const char* line : {"KX_x=1", "kx_y=2", "a=2", "b=<script>x", "", "c=ok"}) request.Add(line);
  TKXParamsString params;
  params.AddStrings(request);
  EXPECT_EQ(params.Count(), 2);
  EXPECT_EQ(params.GetRawString(), "?a=2&c=ok");
  EXPECT_EQ(params.Values("A"), "2");
}

// A value holding "&", "=", "?" or "%" comes back whole from its URL text.
TEST(TKXParamsString, RawTextRoundTripsAnyValue) {
  TKXParamsString params;
  params.Add("q=a&b=c?d%e f");
  params.Add("x=1");
  const std::string raw = params.GetRawString();
  EXPECT_EQ(raw, "?q=a%26b%3Dc%3Fd%25e%20f&x=1");
  TKXParamsString back;
  back.SetRawString("  " + raw + " ");
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.Strings(0), "q=a&b=c?d%e f");
  EXPECT_EQ(back.Strings(1), "x=1");
  back.SetRawString("");
  EXPECT_EQ(back.Count(), 0);
  EXPECT_EQ(back.GetRawString(), "");
}

TEST_F(TKXApplicationTest, NewSessionStartsAtTrackOneWithItsUrls) {
  TKXApplication* session = NewSession();
  EXPECT_EQ(session->TrackID(), 1);
  EXPECT_EQ(session->TrackID36(), "1");
  EXPECT_EQ(session->AppUrlBase(), "/app/");
  EXPECT_EQ(session->InternalUrlBase(), "/app/$/");
  EXPECT_EQ(session->SessionInternalUrlBase(), "/app/$/");
  EXPECT_EQ(session->SessionUrlBase(), "/app/");
  EXPECT_EQ(session->GetExecAction(), "/app/$/");
  EXPECT_EQ(session->TaggedSessionName(), session->AppID());
  EXPECT_EQ(session->SessionTimeOut(), 10);
  EXPECT_EQ(session->UserCacheDir(), SC().CacheDir() + "user/" + session->AppID() + "/");
  session->SetTrackID(36);
  EXPECT_EQ(session->TrackID36(), "10");
  session->Unlock();
}

TEST_F(TKXApplicationTest, UnsupportedBrowserRaisesAndLeavesNothingRegistered) {
  try {
    NewSession("curl/8.0");
    ADD_FAILURE() << "no exception";
  } catch (const EUnknownBrowserException& e) {
    EXPECT_EQ(e.Message(), "Unknown browser type. User Agent string: curl/8.0");
  }
  EXPECT_EQ(gSessions->GetCount(), 0);
}

// An id from OnGetSessionID reaches cookies, URLs and a folder name.
TEST_F(TKXApplicationTest, SessionIdFromTheAuthorMustUseIdCharacters) {
  for (const char* id : {"../escape", "a_b", "a;b", "a\"b", "a/b"}) {
    SCOPED_TRACE(id);
    SC().OnGetSessionID = [id](TKXApplication*, std::string& value) { value = id; };
    EXPECT_THROW(NewSession(), EKXException);
    EXPECT_EQ(gSessions->GetCount(), 0);
  }
  SC().OnGetSessionID = [](TKXApplication*, std::string& value) { value = "My-Id~1"; };
  TKXApplication* session = NewSession();
  EXPECT_EQ(session->AppID(), "My-Id~1");
  session->Unlock();
}

// A failure after the session joined the store takes it out again before it is freed.
TEST_F(TKXApplicationTest, CreationFailingLateLeavesNoSessionInTheStore) {
  SC().SetLogSessionEvents(true);
  gLogSessionEvent = [](TKXApplication&, TSessionEvent event) {
    if (event == seCreate) throw Exception("log failed");
  };
  EXPECT_THROW(NewSession(), Exception);
  EXPECT_EQ(gSessions->GetCount(), 0);
  gLogSessionEvent = nullptr;
}

// The cache folder is made by the session's first file there, not with the session; freeing the session deletes
// the folder it made and nothing when it made none.
TEST_F(TKXApplicationTest, CacheFolderIsMadeOnDemandAndFreedWithTheSession) {
  for (const bool makeFolder : {false, true}) {
    SCOPED_TRACE(makeFolder);
    TKXApplication* session = NewSession();
    const std::string folder = session->UserCacheDir();
    EXPECT_FALSE(fs::exists(folder));
    if (makeFolder) {
      EXPECT_EQ(session->ForceUserCacheDir(), folder);
      std::ofstream(folder + "a.tmp") << "x";
      EXPECT_EQ(session->ForceUserCacheDir(), folder);  // a second file keeps the first
      EXPECT_TRUE(fs::exists(folder + "a.tmp"));
    } else {
      fs::create_directories(folder);  // not the session's: it is left alone
    }
    session->Unlock();
    EXPECT_TRUE(SessionStore()->Terminate(session->AppID()));
    EXPECT_EQ(fs::exists(folder), !makeFolder);
  }
}

TEST_F(TKXApplicationTest, ExecutionCountsTheTrackAndKeepsTheActiveForm) {
  TKXApplication* session = NewSession();
  TTestForm* form = NewForm(session, "Main");
  form->Show();
  TStringList params;
  params.Add("Edit1=x");
  session->ExecuteActiveForm(params);
  EXPECT_EQ(session->TrackID(), 2);
  EXPECT_EQ(form->mExecuteCount, 1);
  EXPECT_EQ(form->mParams.Values("Edit1"), "x");
  EXPECT_EQ(session->FormAction(), "/app/$/");
  session->Unlock();
}

TEST_F(TKXApplicationTest, SubmitOfAnotherFormExecutesWithoutParameters) {
  TKXApplication* session = NewSession();
  TTestForm* form = NewForm(session, "Main");
  form->Show();
  TStringList params;
  params.Add("KX_FormName=Other");
  params.Add("Edit1=x");
  session->ExecuteActiveForm(params);
  EXPECT_EQ(form->mExecuteCount, 1);
  EXPECT_EQ(form->mParams.Count(), 0);
  session->Unlock();
}

TEST_F(TKXApplicationTest, WithoutActiveFormTheSessionTerminates) {
  TKXApplication* session = NewSession();
  TStringList params;
  session->ExecuteActiveForm(params);
  EXPECT_TRUE(session->Terminated());
  EXPECT_EQ(session->TrackID(), 1);
  session->Unlock();
}

// A form error goes to OnExecuteFormError; released forms go all the same.
TEST_F(TKXApplicationTest, FormErrorsAreHandledAndReleasedFormsFreed) {
  TKXApplication* session = NewSession();
  TTestForm* form = NewForm(session, "Main");
  TTestForm* other = NewForm(session, "Other");
  form->Show();
  TTestForm::OnExecute = [&](TTestForm&, const TStrings&) {
    session->ReleaseForm(other);
    throw Exception("bad value");
  };
  std::string seen;
  session->OnExecuteFormError = [&](TObject* sender, const std::exception& e, bool& handled) {
    seen = std::string(e.what()) + (sender == form ? " from Main" : "");
    handled = true;
  };
  TStringList params;
  session->ExecuteActiveForm(params);
  EXPECT_EQ(seen, "bad value from Main");
  EXPECT_EQ(session->FindFormByName("Other"), nullptr);
  EXPECT_EQ(session->GetFormCount(), 1);
  session->Unlock();
}

TEST_F(TKXApplicationTest, ActiveFormStackShowsOnlyOnChange) {
  TKXApplication* session = NewSession();
  TTestForm* a = NewForm(session, "A");
  TTestForm* b = NewForm(session, "B");
  a->Show();
  a->Show();
  EXPECT_EQ(a->mShowCount, 1);
  EXPECT_EQ(session->GetActiveFormCount(), 1);
  b->Show();
  a->Show();
  EXPECT_EQ(session->GetActiveFormCount(), 3);
  session->RemoveForm(a);
  EXPECT_EQ(session->GetActiveFormCount(), 1);
  EXPECT_EQ(session->GetActiveForm(), b);
  EXPECT_EQ(b->mShowCount, 3);  // once when pushed, then once per removal
  EXPECT_EQ(session->FindFormByName("a"), a);
  EXPECT_EQ(session->FindFormByClassName("ttestform"), a);
  EXPECT_EQ(session->LastForm(), b);
  session->Unlock();
}

// A form freed while on the stack leaves the stack with it.
TEST_F(TKXApplicationTest, FreedFormLeavesTheStackAndTheFormList) {
  TKXApplication* session = NewSession();
  TTestForm* a = NewForm(session, "A");
  TTestForm* b = NewForm(session, "B");
  a->Show();
  b->Show();
  session->ReleaseForm(b);
  b->Free();
  EXPECT_EQ(session->GetActiveForm(), a);
  EXPECT_EQ(session->GetActiveFormCount(), 1);
  EXPECT_EQ(session->GetFormCount(), 1);
  TStringList params;
  session->ExecuteActiveForm(params);  // the release list no longer holds b
  EXPECT_EQ(session->TrackID(), 2);
  session->Unlock();
}

// Only a size the browser reported whole reaches the form.
TEST_F(TKXApplicationTest, BrowserSizeIsPassedOnlyWhenKnown) {
  TKXApplication* session = NewSession();
  TTestForm* a = NewForm(session, "A");
  session->SetFormWidth(800);
  a->Show();
  EXPECT_EQ(a->mBrowserSize, "");
  session->SetFormHeight(600);
  NewForm(session, "B")->Show();
  a->Show();
  EXPECT_EQ(a->mBrowserSize, "800x600");
  session->Unlock();
}

TEST_F(TKXApplicationTest, ConnectionModeIsEnforced) {
  TKXApplication* session = NewSession();
  TTestForm* form = NewForm(session, "Main");
  form->Show();
  form->mConnectionMode = cmSecure;
  try {
    session->ChangeActiveForm();
    ADD_FAILURE();
  } catch (const EKXException& e) {
    EXPECT_EQ(e.Message(), "Secure mode is required for this form.");
  }
  form->mConnectionMode = cmNonSecure;
  EXPECT_NO_THROW(session->ChangeActiveForm());
  form->mConnectionMode = TKXConnectionMode(7);
  try {
    session->ChangeActiveForm();
    ADD_FAILURE();
  } catch (const EKXException& e) {
    EXPECT_EQ(e.Message(), "Unknown connection mode");
  }
  session->Unlock();
}

TEST_F(TKXApplicationTest, UrlHelpers) {
  TKXApplication* session = NewSession();
  const std::string id = session->AppID();
  std::string url = "/app/" + id + "/$/x";
  session->RemoveAppIdFromURL(url);
  EXPECT_EQ(url, "/app/$/x");
  url = "/app/" + id;
  session->RemoveAppIdFromURL(url);
  EXPECT_EQ(url, "/app/" + id);
  EXPECT_EQ(session->GetExternalFileURL("img/a.png"), "/app/img/a.png");
  EXPECT_EQ(session->GetExternalFileURL("https://cdn.example/a.js"), "https://cdn.example/a.js");
  EXPECT_EQ(session->GetInternalFileURL("js/KXLib.JS"), "/app/$/js/KXLib__" + SC().StartUID() + ".JS");
  EXPECT_EQ(session->GetInternalFileURL("gfx/a.png"), "/app/$/gfx/a.png");
  session->Unlock();
}

TEST_F(TKXApplicationTest, HostLeavesOutTheDefaultPorts) {
  TRequestPacketFields fields;
  fields.Host = "www.example.com";
  fields.Method = "GET";
  std::vector<char> buffer(THttpPacket::HostBufferSize);
  WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
  THttpRequest request(buffer.data(), std::int64_t(buffer.size()));
  for (auto [port, sslPort, plain, secure] :
       {std::tuple{0, 0, "http://www.example.com", "https://www.example.com"},
        std::tuple{80, 443, "http://www.example.com", "https://www.example.com"},
        std::tuple{8080, 8443, "http://www.example.com:8080", "https://www.example.com:8443"}}) {
    SCOPED_TRACE(port);
    SC().SetPort(port);
    SC().SSLOptions()->SetPort(sslPort);
    EXPECT_EQ(TKXApplication::GetHost(request, false), plain);
    EXPECT_EQ(TKXApplication::GetHost(request, true), secure);
  }
}

// Behind a balancer the instance's own port means nothing to the browser: the URLs and the secure mode follow what
// the trusted balancer reports; a peer that is no trusted proxy gets the direct rule.
TEST_F(TKXApplicationTest, BehindATrustedProxyTheHostAndSchemeAreTheClients) {
  SC().SetPort(9001);
  SC().SSLOptions()->SetPort(9443);
  const struct {
    const char* Peer;
    const char* Proto;
    bool Https;
    const char* Plain;
    const char* Secure;
  } cases[] = {
      {"127.0.0.1", "https", true, "http://shop.example", "https://shop.example:8443"},
      {"127.0.0.1", "http", false, "http://shop.example:8080", "https://shop.example"},
      {"198.51.100.7", "https", false, "http://www.example.com:9001", "https://www.example.com:9443"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Peer) + " " + c.Proto);
    TRequestPacketFields fields;
    fields.Host = "www.example.com";
    fields.Method = "GET";
    fields.RemoteAddr = c.Peer;
    fields.ServerPort = 9001;
    fields.RawHeaders = {"Host: www.example.com:9001", std::string("X-Forwarded-Proto: ") + c.Proto,
                         std::string("X-Forwarded-Host: shop.example:") + (c.Https ? "8443" : "8080")};
    std::vector<char> buffer(THttpPacket::HostBufferSize);
    WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
    THttpRequest request(buffer.data(), std::int64_t(buffer.size()));
    EXPECT_EQ(TKXApplication::IsHTTPS(&request), c.Https);
    EXPECT_EQ(TKXApplication::GetHost(request, false), c.Plain);
    EXPECT_EQ(TKXApplication::GetHost(request, true), c.Secure);
    EXPECT_EQ(TKXApplication::FullApplicationURL(request), c.Https ? c.Secure : c.Plain);
  }
}

// The secure mode is the connection's: the server port comes from the Host header, which the client writes.
TEST_F(TKXApplicationTest, HttpsIsTheConnectionsNotThePortTheClientNames) {
  SC().SetPort(9001);
  SC().SSLOptions()->SetPort(9443);
  const struct {
    const char* Connection;
    int ServerPort;
    bool Https;
  } cases[] = {
      {"off", 9443, false},
      {"off", 9001, false},
      {"on", 9443, true},
      {"ON", 9001, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Connection) + " " + std::to_string(c.ServerPort));
    TRequestPacketFields fields;
    fields.Host = "www.example.com";
    fields.Method = "GET";
    fields.ServerPort = c.ServerPort;
    fields.HttpsHeader = c.Connection;
    std::vector<char> buffer(THttpPacket::HostBufferSize);
    WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
    THttpRequest request(buffer.data(), std::int64_t(buffer.size()));
    EXPECT_EQ(TKXApplication::IsHTTPS(&request), c.Https);
  }
}

TEST_F(TKXApplicationTest, RedirectPreparesTheReplyOrTheCallbackScript) {
  TKXApplication* session = NewSession();
  session->GoToURL("page.html");
  EXPECT_TRUE(session->IsRedirect());
  EXPECT_TRUE(session->HasRenderOverride());
  session->SetIsCallBack(true);
  session->GoToURL("x\"y", true, false);
  auto* response = static_cast<TTestCallBackResponse*>(session->CallBackResponse());
  ASSERT_EQ(response->mExecute.size(), 1u);
  EXPECT_EQ(response->mExecute[0], "window.location.replace(\"x\\x22y\");");
  session->Unlock();
}

// Issue 55: an address the library writes to this application's start or stop names the session, as the stop
// links do (a browser that says nothing of where a request comes from is served only so); no other address does.
TEST_F(TKXApplicationTest, RedirectToTheOwnStartOrStopNamesTheSession) {
  TRequestPacketFields fields;
  fields.Host = "www.example.com:8080";
  fields.Method = "GET";
  std::vector<char> buffer(THttpPacket::HostBufferSize);
  WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
  THttpRequest request(buffer.data(), std::int64_t(buffer.size()));
  TKXApplication* session = NewSession();
  TKXApplication* atRoot = NewSession(kChrome, "/");
  const std::string id = "KX_SessionID_=" + session->AppID();
  const struct {
    const char* Url;
    std::string To;
    bool AtRoot = false;  // in an application at "/" rather than "/app/"
  } cases[] = {
      {"/app/$/Start", "/app/$/Start?" + id},
      {"$/Stop/?url=a#b", "/app/$/Stop/?url=a&" + id + "#b"},
      {"http://www.example.com:8080/app/$/start/", "http://www.example.com:8080/app/$/start/?" + id},
      {"http://www.example.com/app/$/Start", "http://www.example.com/app/$/Start"},
      {"//www.example.com:8080/app/$/Start", "//www.example.com:8080/app/$/Start"},
      {"/app/$/Started", "/app/$/Started"},
      // Read as a browser reads it, this is another host's start or stop.
      {"/\t/other.test/app/$/Start", "//other.test/app/$/Start"},
      {" /\r\n/other.test/app/$/Stop/\n", "//other.test/app/$/Stop/"},
      // A browser reads a backslash as a slash: these too are another host's.
      {"\\\\other.test/app/$/Stop/", "\\\\other.test/app/$/Stop/"},
      {"\\/other.test/app/$/Start", "\\/other.test/app/$/Start"},
      {"/\\other.test/app/$/Start", "/\\other.test/app/$/Start"},
      // Joined to the session's address, a backslash of the path is the slash a browser reads: this host's address
      // stays this host's ("/\other.test/page" is other.test's).
      {"\\other.test/page", "/other.test/page", true},
      {"a\\b.html?q=\\x#\\y", "/app/a/b.html?q=\\x#\\y"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Url);
    TKXApplication* at = c.AtRoot ? atRoot : session;
    at->Initialize(&request, nullptr);
    at->SetIsCallBack(true);
    at->GoToURL(c.Url, false);
    auto* response = static_cast<TTestCallBackResponse*>(at->CallBackResponse());
    ASSERT_EQ(response->mExecute.size(), 1u);
    EXPECT_EQ(response->mExecute[0], JsRedirect(c.To, false));
  }
  for (TKXApplication* at : {session, atRoot}) {
    at->FinishRequest();
    at->Unlock();
  }
}

TEST_F(TKXApplicationTest, AlertMessageIsAnEscapedScriptString) {
  TKXApplication* session = NewSession();
  TTestForm* form = NewForm(session, "Main");
  form->Show();
  session->ShowMessage("a\"</script>\n", smAlert);
  EXPECT_EQ(form->mInitProc, "window.alert(\"a\\x22\\x3C/script\\x3E\\n\");\r\n");
  session->Unlock();
}

TEST_F(TKXApplicationTest, UserSessionFindsItsSessionAndSurvivesItsOnDestroy) {
  TKXApplication* session = NewSession();
  auto* module = TComponent::Create<TKXUserSessionBase>(session, session);
  EXPECT_EQ(module->GetWebApplication(), session);
  EXPECT_EQ(session->GetFormCount(), 1);
  auto* loose = TComponent::Create<TKXUserSessionBase>(nullptr);
  SetWebApplication(session);
  EXPECT_EQ(loose->GetWebApplication(), session);
  SetWebApplication(nullptr);
  loose->OnDestroy = [](TObject*) { throw Exception("ignored"); };
  EXPECT_NO_THROW(loose->Free());
  session->Unlock();
}

}  // namespace
}  // namespace kx
