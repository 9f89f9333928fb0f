// What a control learns of its session and of the controller through TKXControlSession, with and without them.
#include "kx/forms/ControlSession.h"

#include <gtest/gtest.h>

#include <string>

#include "kx/appserver/Application.h"
#include "kx/appserver/FileReference.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/forms/RenderContexts.h"
#include "support/TestForms.h"

namespace kx::test {
namespace {

constexpr const char* kChrome = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";

TEST(TKXControlSession, WithoutSessionOrControllerEachAnswerHasItsDefault) {
  ASSERT_EQ(GetWebApplication(), nullptr);
  ASSERT_EQ(gSC, nullptr);
  const TKXControlSession session = TKXControlSession::Current();
  EXPECT_EQ(session.Application(), nullptr);
  EXPECT_EQ(session.Browser(), nullptr);
  EXPECT_FALSE(session.IsCallBack());
  EXPECT_EQ(session.CallBackResponse(), nullptr);
  session.AddScriptToAnswer("lost();");  // nowhere to go: nothing happens
  EXPECT_EQ(session.LibraryFileURL("gfx/x.gif"), "/$/gfx/x.gif");
  EXPECT_EQ(session.LibraryURLBase("/$/"), "/$/");
  EXPECT_EQ(session.AppURLBase(), "");
  EXPECT_EQ(TKXControlSession::ControllerURLBase(), "");
  EXPECT_EQ(TKXControlSession::ContentPath(), "");
  // No controller, no template folder: a bare name must not be looked for in the working folder.
  EXPECT_EQ(TKXControlSession::TemplatePath("message.html"), "");
  EXPECT_FALSE(TKXControlSession::RestrictsAll());
  TKXFileReference file;
  file.SetURL("img/x.png");
  EXPECT_EQ(session.FileLocation(file), "") << "no controller, no content folder to find a relative URL in";
}

TEST(TKXControlSession, TheRenderContextsSessionComesFirstThenTheThreads) {
  TSessionFixture f(kChrome);
  TOwnedComponent<TKXApplication> other(TComponent::Create<TKXApplication>(
      nullptr, TBrowser::CreateBrowser(kChrome), nullptr, nullptr, "192.0.2.2", "", "", "/other"));
  TKXContainerContext withOther(other.get(), false), withNone(nullptr, false);
  const TKXCompContext renderingForOther(nullptr, &withOther, nullptr), renderingForNone(nullptr, &withNone, nullptr);

  struct TRow {
    const char* What;
    TKXControlSession Session;
    TKXApplication* Expected;
  };
  const TRow rows[] = {
      {"the thread's", TKXControlSession::Current(), f.Session},
      {"no context", TKXControlSession::Of(nullptr), f.Session},
      {"a context without a session", renderingForNone.Session(), f.Session},
      {"a context with a session", renderingForOther.Session(), other.get()},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.What);
    EXPECT_EQ(row.Session.Application(), row.Expected);
    EXPECT_EQ(row.Session.LibraryURLBase("/$/"), row.Expected->InternalUrlBase());
    EXPECT_EQ(row.Session.LibraryFileURL("gfx/x.gif"), row.Expected->GetInternalFileURL("gfx/x.gif"));
    EXPECT_EQ(row.Session.Browser(), row.Expected->Browser());
  }
  f.Session->SetIsCallBack(true);
  EXPECT_TRUE(TKXControlSession::Current().IsCallBack());
  EXPECT_FALSE(renderingForOther.Session().IsCallBack());
}

TEST(TKXControlSession, AFileLiesUnderTheGivenURLBaseElseTheSessions) {
  TSessionFixture f(kChrome);
  TKXFileReference file;
  file.SetURL("img/none.png");  // not in the content folder: placed under the base as it is
  struct TRow {
    const char* What;
    const char* Base;
    const char* Expected;
  };
  const TRow rows[] = {
      {"no base: the session's", "", "/app/img/none.png"},
      {"a blank base: the session's", "  ", "/app/img/none.png"},
      {"a base given", "/cdn/", "/cdn/img/none.png"},
  };
  const TKXControlSession session = TKXControlSession::Current();
  for (const TRow& row : rows) EXPECT_EQ(session.FileLocation(file, row.Base), row.Expected) << row.What;
  EXPECT_EQ(session.FileLocation(TKXFileReference()), "") << "an empty reference";
}

TEST(TKXControlSession, TheControllersSettingsComeFromTheController) {
  TSessionFixture f(kChrome);
  EXPECT_EQ(TKXControlSession::ControllerURLBase(), gSC->URLBase());
  EXPECT_EQ(TKXControlSession::ContentPath(), gSC->ContentPath());
  EXPECT_EQ(TKXControlSession::TemplatePath("message.html"), gSC->TemplateDir() + "message.html");
  EXPECT_EQ(TKXControlSession::RestrictsAll(), false) << "no authenticator";
}

}  // namespace
}  // namespace kx::test
