#include "kx/foundation/Browsers.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace kx {
namespace {

struct AgentCase {
  const char* agent;
  const TBrowserClass* expected;
  float version;
  bool supported;
};

TEST(TBrowser, CreateBrowserClassifiesRealAgents) {
  const AgentCase cases[] = {
      {"Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/31.0.1650.63 "
       "Safari/537.36",
       &TChrome::ClassRecord, 31.0f, true},
      {"Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0.0.0 Safari/537.36",
       &TChrome::ClassRecord, 120.0f, true},
      // A Chromium-based browser with its own token still counts as the engine.
      {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/118.0.0.0 "
       "Safari/537.36 Edg/118.0.2088.46",
       &TChrome::ClassRecord, 118.0f, true},
      {"Mozilla/5.0 (Linux; Android 13; Pixel 7) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/116.0.0.0 Mobile "
       "Safari/537.36",
       &TChromeMobile::ClassRecord, 116.0f, true},
      {"Mozilla/5.0 (iPhone; CPU iPhone OS 16_6 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
       "CriOS/116.0.5845.146 Mobile/15E148 Safari/604.1",
       &TChromeMobile::ClassRecord, 116.0f, true},
      {"Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:109.0) Gecko/20100101 Firefox/118.0", &TFirefox::ClassRecord,
       118.0f, true},
      // 3.6 as float against a minimum of 3.6 as float: supported.
      {"Mozilla/5.0 (Windows; U; Windows NT 6.1; en-US; rv:1.9.2.8) Gecko/20100722 Firefox/3.6.8",
       &TFirefox::ClassRecord, 3.6f, true},
      {"Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.9.1) Gecko/20090624 Firefox/3.5", &TFirefox::ClassRecord,
       3.5f, false},
      {"Mozilla/5.0 (Android 13; Mobile; rv:109.0) Gecko/118.0 Firefox/118.0", &TFirefoxMobile::ClassRecord, 118.0f,
       true},
      {"Mozilla/5.0 (Android 4.4; Tablet; rv:41.0) Gecko/41.0 Firefox/41.0", &TFirefoxMobile::ClassRecord, 41.0f,
       true},
      {"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)", &TInternetExplorer::ClassRecord, 6.0f, false},
      {"Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Trident/4.0)", &TInternetExplorer::ClassRecord, 8.0f,
       true},
      {"Mozilla/5.0 (compatible; MSIE 10.0; Windows NT 6.2; Trident/6.0)", &TInternetExplorer::ClassRecord, 10.0f,
       true},
      {"Mozilla/5.0 (Windows NT 6.3; Trident/7.0; rv:11.0) like Gecko", &TInternetExplorer::ClassRecord, 11.0f, true},
      {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/116.0.0.0 "
       "Safari/537.36 OPR/102.0.0.0",
       &TOperaNext::ClassRecord, 102.0f, true},
      {"Opera/9.80 (Windows NT 6.1; WOW64) Presto/2.12.388 Version/12.16", &TOpera::ClassRecord, 12.16f, true},
      {"Opera/9.80 (Windows NT 6.1; Opera Mobi/49; U; en) Presto/2.12.388 Version/12.16",
       &TOperaMobile::ClassRecord, 12.16f, true},
      {"Opera/9.80 (Android 2.3.3; Linux; Opera Mobi/ADR-1111101157; U; es-ES) Presto/2.9.201 Version/11.50",
       &TOperaMobile::ClassRecord, 11.5f, true},
      // Blink-based Opera on a phone has no "Version/": the default applies.
      {"Mozilla/5.0 (Linux; Android 10; VOG-L29) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/96.0.4664.104 Mobile "
       "Safari/537.36 OPR/66.2.3445.62346",
       &TOperaMobile::ClassRecord, 11.0f, true},
      {"Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, like Gecko) Version/17.0 "
       "Safari/605.1.15",
       &TSafari::ClassRecord, 17.0f, true},
      {"Mozilla/5.0 (iPhone; CPU iPhone OS 7_0 like Mac OS X) AppleWebKit/537.51.1 (KHTML, like Gecko) Version/7.0 "
       "Mobile/11A465 Safari/9537.53",
       &TSafariMobile::ClassRecord, 7.0f, true},
      {"Mozilla/5.0 (iPad; CPU OS 9_1 like Mac OS X) AppleWebKit/601.1.46 (KHTML, like Gecko) Version/9.0 "
       "Mobile/13B143 Safari/601.1",
       &TSafariMobile::ClassRecord, 9.0f, true},
      {"Mozilla/5.0 (iPhone; CPU iPhone OS 16_6 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) FxiOS/117.0 "
       "Mobile/15E148 Safari/605.1.15",
       &TSafariMobile::ClassRecord, 4.0f, true},
      {"Mozilla/5.0 (Linux; U; Android 4.0.3; ko-kr; LG-L160L Build/IML74K) AppleWebkit/534.30 (KHTML, like Gecko) "
       "Version/4.0 Mobile Safari/534.30",
       &TAndroid::ClassRecord, 4.0f, true},
      // No "Version/" marker: no default version for this class.
      {"Mozilla/5.0 (Linux; Android 9; SAMSUNG SM-G960F) AppleWebKit/537.36 (KHTML, like Gecko) SamsungBrowser/10.1 "
       "Chrome/71.0.3578.99 Mobile Safari/537.36",
       &TAndroid::ClassRecord, 0.0f, false},
      {"Mozilla/5.0 (compatible; YandexBot/3.0; +http://yandex.com/bots)", &TSearchEngine::ClassRecord, 0.0f, true},
      {"Mozilla/5.0 (compatible; Yahoo! Slurp; http://help.yahoo.com/help/us/ysearch/slurp)",
       &TSearchEngine::ClassRecord, 0.0f, true},
      {"msnbot/2.0b", &TSearchEngine::ClassRecord, 0.0f, true},
      {"curl/7.88.1", &TOther::ClassRecord, 0.0f, false},
      {"", &TOther::ClassRecord, 0.0f, false},
  };
  for (const AgentCase& c : cases) {
    SCOPED_TRACE(c.agent);
    std::unique_ptr<TBrowser> browser = TBrowser::CreateBrowser(c.agent);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->ClassType().Name, c.expected->Name);
    EXPECT_EQ(browser->ClassName(), std::string(c.expected->Name));
    EXPECT_FLOAT_EQ(browser->Version(), c.version);
    EXPECT_EQ(browser->MajorVersion(), static_cast<int>(c.version));
    EXPECT_EQ(browser->IsSupported(), c.supported);
    EXPECT_EQ(browser->UserAgent(), c.agent);
  }
}

// At exactly its minimum a browser is supported, just below it not; the catch-all never is.
TEST(TBrowser, SupportedFromExactlyTheMinimum) {
  TBrowsers browsers;
  browsers.RegisterDefaultBrowsers();
  for (const TBrowserClass* cls : browsers.BrowserList()) {
    SCOPED_TRACE(std::string(cls->Name));
    const float minimum = cls->Create(0)->MinSupportedVersion();
    EXPECT_EQ(cls->Create(minimum)->IsSupported(), cls != &TOther::ClassRecord);
    if (minimum > 0) {
      EXPECT_FALSE(cls->Create(minimum - 0.1f)->IsSupported());
    }
  }
}

TEST(TBrowser, VersionMissingAfterMarkerTakesClassMinimum) {
  struct Row {
    const char* agent;
    const TBrowserClass* expected;
    float version;
  };
  const Row rows[] = {
      {"Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko) Chrome Safari/537.36", &TChrome::ClassRecord, 12},
      {"Mozilla/5.0 AppleWebKit/537.36 Chrome/ Safari/537.36", &TChrome::ClassRecord, 12},
      {"Mozilla/5.0 Gecko Firefox", &TFirefox::ClassRecord, 3.6f},
      {"Mozilla/5.0 AppleWebKit/537.36 Safari/537.36", &TSafari::ClassRecord, 5},
      {"Opera/9.64 (X11; Linux x86_64; U; en) Presto/2.1.1", &TOpera::ClassRecord, 12},
      // No default: an agent naming no version is not supported.
      {"Mozilla/4.0 (compatible; MSIE", &TInternetExplorer::ClassRecord, 0},
      {"Mozilla/5.0 (Windows NT 6.3; Trident/7.0) like Gecko", &TInternetExplorer::ClassRecord, 0},
      {"Mozilla/5.0 (Linux; Android 4.0.3) AppleWebKit/534.30 Mobile Safari/534.30", &TAndroid::ClassRecord, 0},
      {"Mozilla/5.0 (Linux; Android 4.0.3) AppleWebKit/534.30 Version/x Mobile Safari/534.30", &TAndroid::ClassRecord,
       4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.agent);
    std::unique_ptr<TBrowser> browser = TBrowser::CreateBrowser(row.agent);
    EXPECT_EQ(browser->ClassType().Name, row.expected->Name);
    EXPECT_FLOAT_EQ(browser->Version(), row.version);
  }
}

TEST(TBrowser, MatchWordsIgnoreCaseButMarkersNeedThem) {
  // Words match in any case; the marker is searched in the upper-cased agent.
  std::unique_ptr<TBrowser> browser = TBrowser::CreateBrowser("mozilla/5.0 applewebkit chrome/45.1 safari");
  EXPECT_EQ(browser->ClassType().Name, "TChrome");
  EXPECT_FLOAT_EQ(browser->Version(), 45.1f);
  EXPECT_EQ(browser->UserAgent(), "mozilla/5.0 applewebkit chrome/45.1 safari");
}

// A version past any range (client input) must not overflow MajorVersion.
TEST(TBrowser, AbsurdVersionIsClamped) {
  const std::string agents[] = {
      "Mozilla/5.0 AppleWebKit/537.36 Chrome/99999999999999999999 Safari/537.36",
      "Mozilla/5.0 AppleWebKit/537.36 Chrome/" + std::string(400, '9') + ".5 Safari/537.36",
      "Mozilla/5.0 Firefox/4294967296.0",
  };
  for (const std::string& agent : agents) {
    SCOPED_TRACE(agent);
    std::unique_ptr<TBrowser> browser = TBrowser::CreateBrowser(agent);
    EXPECT_FLOAT_EQ(browser->Version(), TBrowser::MaxVersion);
    EXPECT_EQ(browser->MajorVersion(), static_cast<int>(TBrowser::MaxVersion));
    EXPECT_TRUE(browser->IsSupported());
  }
}

TEST(TBrowser, ConstructorKeepsVersionFinite) {
  TChrome nan(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(nan.MajorVersion(), 0);
  TChrome inf(std::numeric_limits<float>::infinity());
  EXPECT_EQ(inf.MajorVersion(), static_cast<int>(TBrowser::MaxVersion));
  TChrome negative(-5.5f);
  EXPECT_EQ(negative.MajorVersion(), 0);
}

TEST(TBrowser, ParseBrowserVersion) {
  struct Row {
    std::string text;
    float version;
  };
  const Row rows[] = {
      {"11.0.696", 11.0f},
      {"537.36 (KHTML, like Gecko)", 537.36f},
      {"9a", 9.0f},
      {"1,5", 1.5f},
      {"12.16", 12.16f},
      {"3.6.8", 3.6f},
      {"4.0b1", 4.0f},
      {"7.", 7.0f},
      {".5", 0.5f},
      {"10_15_7", 10.0f},
      {"", 0.0f},
      {" 3.0", 0.0f},
      {"abc", 0.0f},
      {"-3.2", 0.2f},  // each part is cut at its first non-digit
      {"+3.2", 0.2f},
      {"1e5", 1.0f},
      {"\xD9\xA3.1", 0.1f},  // a non-ASCII digit does not count
      {"99999999999999999999", TBrowser::MaxVersion},
      {"1." + std::string(500, '0') + "1", 1.0f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_FLOAT_EQ(TBrowser::ParseBrowserVersion(row.text), row.version);
  }
}

TEST(TBrowser, AllowOlderBrowsersSupportsAnyVersionButNotTheCatchAll) {
  std::unique_ptr<TBrowser> ie6 = TBrowser::CreateBrowser("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)");
  ASSERT_FALSE(ie6->IsSupported());
  ie6->SetAllowOlderBrowsers(true);
  EXPECT_TRUE(ie6->IsSupported());

  std::unique_ptr<TBrowser> other = TBrowser::CreateBrowser("");
  other->SetAllowOlderBrowsers(true);
  EXPECT_FALSE(other->IsSupported());
}

TEST(TBrowser, ClassMembershipFollowsTheTree) {
  std::unique_ptr<TBrowser> chrome = TBrowser::CreateBrowser("Mozilla/5.0 AppleWebKit/537.36 Chrome/31.0 Safari");
  EXPECT_TRUE(chrome->InheritsFrom(TWebkit::ClassRecord));
  EXPECT_TRUE(chrome->InheritsFrom(TBrowser::ClassRecord));
  EXPECT_FALSE(chrome->InheritsFrom(TChromeMobile::ClassRecord));
  EXPECT_NE(dynamic_cast<TWebkit*>(chrome.get()), nullptr);

  std::unique_ptr<TBrowser> firefoxMobile = TBrowser::CreateBrowser("Mozilla/5.0 (Android; Mobile) Firefox/40.0");
  EXPECT_FALSE(firefoxMobile->InheritsFrom(TFirefox::ClassRecord));
  EXPECT_FALSE(firefoxMobile->InheritsFrom(TWebkit::ClassRecord));
  EXPECT_EQ(dynamic_cast<TFirefox*>(firefoxMobile.get()), nullptr);
}

TEST(TBrowser, SearchEngineNameIsTheAgent) {
  std::unique_ptr<TBrowser> browser = TBrowser::CreateBrowser("ExampleCrawler/1.2");
  auto* engine = dynamic_cast<TSearchEngine*>(browser.get());
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(engine->GetEngineName(), "ExampleCrawler/1.2");
}

// ---------------------------------------------------------------------------
// The registry

std::vector<std::string> Names(const TBrowsers& browsers) {
  std::vector<std::string> names;
  for (const TBrowserClass* c : browsers.BrowserList()) names.emplace_back(c->Name);
  return names;
}

int gInitCalls = 0;

class TTestAgent : public TChrome {
 public:
  static const TBrowserClass ClassRecord;
  using TChrome::TChrome;
  const TBrowserClass& ClassType() const override { return ClassRecord; }
  static bool Match(std::string_view upperUserAgent, float& version) {
    version = 2.5f;
    return upperUserAgent.find("KXTESTAGENT") != std::string_view::npos;
  }
  // Runs under the registry lock; re-entering the process registry must not deadlock.
  static void Init() {
    ++gInitCalls;
    (void)Browsers().Registered(ClassRecord);
  }
};
const TBrowserClass TTestAgent::ClassRecord = MakeBrowserClass<TTestAgent>("TTestAgent", &TChrome::ClassRecord);

TEST(TBrowsers, DefaultListIsInDetectionOrder) {
  TBrowsers browsers;
  browsers.RegisterDefaultBrowsers();
  const std::vector<std::string> expected = {"TFirefoxMobile", "TFirefox",      "TInternetExplorer", "TOperaNext",
                                             "TChromeMobile",  "TChrome",       "TAndroid",          "TSafariMobile",
                                             "TSafari",        "TOperaMobile",  "TOpera",            "TSearchEngine",
                                             "TOther"};
  EXPECT_EQ(Names(browsers), expected);
  browsers.RegisterDefaultBrowsers();
  EXPECT_EQ(Names(browsers), expected);

  std::vector<std::string> process = Names(Browsers());
  std::erase(process, "TTestAgent");  // another test may have added it
  EXPECT_EQ(process, expected);
}

TEST(TBrowsers, RegisterBrowserInsertsBeforeSearchEngineOrFirst) {
  TBrowsers browsers;
  browsers.RegisterDefaultBrowsers();
  gInitCalls = 0;
  browsers.RegisterBrowser(TTestAgent::ClassRecord);
  EXPECT_EQ(gInitCalls, 1);
  std::vector<std::string> names = Names(browsers);
  ASSERT_EQ(names.size(), 14u);
  EXPECT_EQ(names[11], "TTestAgent");
  EXPECT_EQ(names[12], "TSearchEngine");

  // Already registered: ignored, Init not called again.
  browsers.RegisterBrowser(TTestAgent::ClassRecord, true);
  EXPECT_EQ(Names(browsers), names);
  EXPECT_EQ(gInitCalls, 1);

  TBrowsers first;
  first.RegisterDefaultBrowsers();
  first.RegisterBrowser(TTestAgent::ClassRecord, true);
  EXPECT_EQ(Names(first).front(), "TTestAgent");
  EXPECT_TRUE(first.Registered(TTestAgent::ClassRecord));
}

TEST(TBrowsers, RegisterIntoShortListNeverGoesBelowZero) {
  TBrowsers browsers;
  EXPECT_FALSE(browsers.Registered(TOther::ClassRecord));
  browsers.RegisterBrowser(TOther::ClassRecord);
  browsers.RegisterBrowser(TSearchEngine::ClassRecord);
  EXPECT_EQ(Names(browsers), (std::vector<std::string>{"TSearchEngine", "TOther"}));
  browsers.RegisterBrowser(TChrome::ClassRecord);
  EXPECT_EQ(Names(browsers), (std::vector<std::string>{"TChrome", "TSearchEngine", "TOther"}));
}

TEST(TBrowsers, EmptyRegistryFindsNothing) {
  TBrowsers browsers;
  float version = 1;
  EXPECT_EQ(browsers.FindMatch("ANYTHING", version), nullptr);
  // An abstract record never answers, even if registered.
  browsers.RegisterBrowser(TWebkit::ClassRecord);
  EXPECT_EQ(browsers.FindMatch("ANYTHING", version), nullptr);
}

TEST(TBrowsers, RegisteredClassTakesPartInDetection) {
  gInitCalls = 0;
  Browsers().RegisterBrowser(TTestAgent::ClassRecord, true);
  EXPECT_EQ(gInitCalls, 1);
  std::unique_ptr<TBrowser> browser = TBrowser::CreateBrowser("Mozilla/5.0 KXTestAgent Chrome/31.0");
  EXPECT_EQ(browser->ClassType().Name, "TTestAgent");
  EXPECT_TRUE(browser->InheritsFrom(TChrome::ClassRecord));
  EXPECT_FLOAT_EQ(browser->Version(), 2.5f);
  EXPECT_FALSE(browser->IsSupported());
  // Other agents are unaffected.
  EXPECT_EQ(TBrowser::CreateBrowser("Mozilla/5.0 Chrome/31.0")->ClassType().Name, "TChrome");
}

}  // namespace
}  // namespace kx
