// The pieces of session dispatch that stand on their own: the hold on a session's
// lock (released once, on every way out of its scope) and the page templates.
// The dispatch itself is tested through HttpExecute (tests/integration/SessionFlowTest.cpp).
#include "kx/appserver/ServerSession.h"

#include <gtest/gtest.h>

#include <future>
#include <string>

#include "kx/appserver/Sessions.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/KXExceptions.h"

namespace kx {
namespace {

constexpr const char* kChrome = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";

class TKXSessionHoldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBrowsers();
    delete gSessions;  // the store kx::Startup made: this test uses its own
    gSessions = &mStore;
  }
  void TearDown() override {
    mStore.Clear();
    gSessions = nullptr;
  }

  // A new session, registered and locked by the calling thread (as the look-up leaves it).
  TKXApplication* NewLockedSession() {
    return TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser(kChrome), nullptr, nullptr,
                                              "127.0.0.1", "", "", "/");
  }

  // "free", "held" or "gone", seen from another thread (the session lock is re-entrant).
  std::string LockState(const std::string& id) {
    return std::async(std::launch::async, [&] {
             TKXApplication* session = mStore.LookUp(id);
             if (session == nullptr) return std::string("gone");
             if (!session->TryLock()) return std::string("held");
             session->Unlock();
             return std::string("free");
           }).get();
  }

  TKXSessions mStore;
};

TEST_F(TKXSessionHoldTest, ScopeEndReleasesTheSessionAsItsStateSays) {
  struct TCase {
    const char* Name;
    bool Terminated;
    bool UnlockOnly;
    const char* After;
  };
  const TCase cases[] = {
      {"live session: unlocked", false, false, "free"},
      {"terminated: out of the store and freed", true, false, "gone"},
      {"terminated but failed its checks: only unlocked", true, true, "free"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TKXApplication* held = nullptr;
    TKXApplication* session = NewLockedSession();
    const std::string id = session->AppID();
    {
      TKXSessionHold hold(held);
      hold.Take(session);
      EXPECT_EQ(held, session);
      if (c.Terminated) session->Terminate();
      if (c.UnlockOnly) hold.SetUnlockOnly();
      EXPECT_EQ(LockState(id), "held");
    }
    EXPECT_EQ(held, nullptr);
    EXPECT_EQ(LockState(id), c.After);
  }
}

// A hold moved on releases once, when its last owner's scope ends; taking another
// session or being assigned to releases what was held before.
TEST_F(TKXSessionHoldTest, MovedHoldReleasesOnceAtTheEndOfItsLastScope) {
  TKXApplication* held = nullptr;
  TKXApplication* first = NewLockedSession();
  TKXApplication* second = NewLockedSession();
  TKXSessionHold outer(held);
  {
    TKXSessionHold inner(held);
    inner.Take(first);
    outer = std::move(inner);
  }
  EXPECT_EQ(LockState(first->AppID()), "held");
  EXPECT_EQ(held, first);

  TKXSessionHold other(held);
  other.Take(second);
  outer = std::move(other);  // first is let go, second is held by outer now
  EXPECT_EQ(LockState(first->AppID()), "free");
  EXPECT_EQ(LockState(second->AppID()), "held");
  EXPECT_EQ(held, second);
  outer.Take(nullptr);
  EXPECT_EQ(LockState(second->AppID()), "free");
  EXPECT_EQ(held, nullptr);
}

TEST(FillPageTemplate, JoinsLinesWithCrLfAndFillsInOnePass) {
  EXPECT_EQ(FillPageTemplate("kx_tpl_pagehead"),
            "<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<title></title>\r\n"
            "<script type=\"text/javascript\">");
  // A value is never searched for placeholders again, and keeps its own line ends.
  const std::string page =
      FillPageTemplate("KX_TPL_RESIZE", {{"HEAD", "{%POSITIONS%}"}, {"POSITIONS", "a();\nb();"}});
  EXPECT_TRUE(page.starts_with("{%POSITIONS%}\r\nfunction KXTop() {\r\n")) << page;
  EXPECT_TRUE(page.ends_with("}\r\na();\nb();\r\nKXTop().GSubmitting=false;\r\n</script></head></html>")) << page;
  EXPECT_THROW(FillPageTemplate("KX_TPL_RESIZE", {{"HEAD", ""}}), EKXException);
  EXPECT_THROW(FillPageTemplate("KX_TPL_NOSUCHPAGE"), EKXException);
}

}  // namespace
}  // namespace kx
