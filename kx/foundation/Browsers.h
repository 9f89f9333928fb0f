// Browser detection: each new session classifies its client from the User-Agent
// header into one browser class with a version. The classes sit in an ordered
// registry (TBrowsers); the first whose Match accepts the agent wins, and the
// catch-all TOther ends the default list.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "kx/platform/Classes.h"

namespace kx {

class TBrowser;

// The class record that stands for a browser class: what a class reference
// offers (its name, class methods and virtual constructor). Records are
// constant-initialised; the registry holds pointers to them.
struct TBrowserClass {
  std::string_view Name;         // "TChrome"
  const TBrowserClass* Parent;   // nullptr for TBrowser
  // Match(upper-cased user agent, out version): whether the class takes the agent.
  bool (*Match)(std::string_view upperUserAgent, float& version);
  // The virtual constructor; nullptr for the abstract TBrowser and TWebkit.
  std::unique_ptr<TBrowser> (*Create)(float version);
  void (*Init)();

  // Whether this class is `ancestor` or derives from it.
  bool InheritsFrom(const TBrowserClass& ancestor) const;
};

// The record of a browser class T: T::Match, T::Init and a constructor T(float),
// each possibly inherited from T's base. Declare it in one line:
//   const TBrowserClass TMyBrowser::ClassRecord = MakeBrowserClass<TMyBrowser>("TMyBrowser", &TChrome::ClassRecord);
template <class T>
constexpr TBrowserClass MakeBrowserClass(std::string_view name, const TBrowserClass* parent) {
  return TBrowserClass{name, parent, &T::Match,
                       [](float version) -> std::unique_ptr<TBrowser> { return std::make_unique<T>(version); },
                       &T::Init};
}

class TBrowser : public TObject {
 public:
  static const TBrowserClass ClassRecord;

  // Versions above this are taken as this; it keeps MajorVersion within int32.
  static constexpr float MaxVersion = 1.0e6f;

  TBrowser(float version, float minSupportedVersion);

  // The class record of this object's class.
  virtual const TBrowserClass& ClassType() const { return ClassRecord; }
  bool InheritsFrom(const TBrowserClass& ancestor) const { return ClassType().InheritsFrom(ancestor); }

  // The version truncated to an integer.
  int MajorVersion() const { return mMajorVersion; }
  float Version() const { return mVersion; }
  float MinSupportedVersion() const { return mMinSupportedVersion; }
  // False by default; when set every version counts as supported.
  bool AllowOlderBrowsers() const { return mAllowOlderBrowsers; }
  void SetAllowOlderBrowsers(bool value) { mAllowOlderBrowsers = value; }
  // True by default.
  bool StrictMode() const { return mStrictMode; }
  void SetStrictMode(bool value) { mStrictMode = value; }
  // The user agent as received (not upper-cased).
  const std::string& UserAgent() const { return mUserAgent; }
  void SetUserAgent(std::string value) { mUserAgent = std::move(value); }
  const std::string& BrowserName() const { return mBrowserName; }
  bool IsMobile() const { return mIsMobile; }

  // AllowOlderBrowsers or Version >= MinSupportedVersion.
  virtual bool IsSupported() const;

  // Class methods: TBrowser itself matches nothing and needs no set-up.
  static bool Match(std::string_view upperUserAgent, float& version);
  static void Init() {}

  // The browser object for a user agent from the registry, or nullptr when no
  // registered class matches (never with the default list).
  static std::unique_ptr<TBrowser> CreateBrowser(const std::string& userAgent);
  // ","->"."; up to the first blank; major "." minor, each cut at its first
  // non-digit, an empty part "0"; "." whatever the locale. 0..MaxVersion.
  static float ParseBrowserVersion(std::string_view text);

 protected:
  int mMajorVersion = 0;
  float mVersion = 0;
  float mMinSupportedVersion = 0;
  bool mAllowOlderBrowsers = false;
  bool mStrictMode = true;
  std::string mUserAgent;
  std::string mBrowserName;
  bool mIsMobile = false;
};

// The common base of the WebKit- and Blink-based classes.
class TWebkit : public TBrowser {
 public:
  static const TBrowserClass ClassRecord;
  const TBrowserClass& ClassType() const override { return ClassRecord; }

  TWebkit(float version, float minSupportedVersion) : TBrowser(version, minSupportedVersion) {}
};

// The concrete classes, in default detection order. MinVersion is the lowest
// supported version and, unless noted, the version of an agent that names none.
class TFirefoxMobile : public TBrowser {
 public:
  static const TBrowserClass ClassRecord;
  static constexpr float MinVersion = 14.0f;
  explicit TFirefoxMobile(float version);
  const TBrowserClass& ClassType() const override { return ClassRecord; }
  static bool Match(std::string_view upperUserAgent, float& version);
};

class TFirefox : public TBrowser {
 public:
  static const TBrowserClass ClassRecord;
  static constexpr float MinVersion = 3.6f;
  explicit TFirefox(float version);
  const TBrowserClass& ClassType() const override { return ClassRecord; }
  static bool Match(std::string_view upperUserAgent, float& version);
};

// No default version: an agent without one gets 0 and is not supported.
class TInternetExplorer : public TBrowser {
 public:
  static const TBrowserClass ClassRecord;
  static constexpr float MinVersion = 7.0f;
  explicit TInternetExplorer(float version);
  const TBrowserClass& ClassType() const override { return ClassRecord; }
  static bool Match(std::string_view upperUserAgent, float& version);
};

class TOperaNext : public TWebkit {
 public:
  static const TBrowserClass ClassRecord;
  static constexpr float MinVersion = 15.0f;
  explicit TOperaNext(float version);
  const TBrowserClass& ClassType() const override { return ClassRecord; }
  static bool Match(std::string_view upperUserAgent, float& version);
};

class TChromeMobile : public TWebkit {
 public:
  static const TBrowserClass ClassRecord;
  static constexpr float MinVersion = 18.0f;
  explicit TChromeMobile(float version);
  const TBrowserClass& ClassType() const override { return ClassRecord; }
  static bool Match(std::string_view upperUserAgent, float& version);
};

class TChrome : public TWebkit {
 public:
  static const TBrowserClass ClassRecord;
  static constexpr float MinVersion = 12.0f;
  explicit TChrome(float version);
  const TBrowserClass& ClassType() const override { return ClassRecord; }
  static bool Match(std::string_view upperUserAgent, float& version);
};

// The default version applies only when the agent has a "Version/" marker.
class TAndroid : public TWebkit {
 public:
  static const TBrowserClass ClassRecord;
  static constexpr float MinVersion = 4.0f;
  explicit TAndroid(float version);
  const TBrowserClass& ClassType() const override { return ClassRecord; }
  static bool Match(std::string_view upperUserAgent, float& version);
};

class TSafariMobile : public TWebkit {
 public:
  static const TBrowserClass ClassRecord;
  static constexpr float MinVersion = 4.0f;
  explicit TSafariMobile(float version);
  const TBrowserClass& ClassType() const override { return ClassRecord; }
  static bool Match(std::string_view upperUserAgent, float& version);
};

class TSafari : public TWebkit {
 public:
  static const TBrowserClass ClassRecord;
  static constexpr float MinVersion = 5.0f;
  explicit TSafari(float version);
  const TBrowserClass& ClassType() const override { return ClassRecord; }
  static bool Match(std::string_view upperUserAgent, float& version);
};

class TOperaMobile : public TBrowser {
 public:
  static const TBrowserClass ClassRecord;
  static constexpr float MinVersion = 11.0f;
  explicit TOperaMobile(float version);
  const TBrowserClass& ClassType() const override { return ClassRecord; }
  static bool Match(std::string_view upperUserAgent, float& version);
};

class TOpera : public TBrowser {
 public:
  static const TBrowserClass ClassRecord;
  static constexpr float MinVersion = 12.0f;
  explicit TOpera(float version);
  const TBrowserClass& ClassType() const override { return ClassRecord; }
  static bool Match(std::string_view upperUserAgent, float& version);
};

class TSearchEngine : public TBrowser {
 public:
  static const TBrowserClass ClassRecord;
  static constexpr float MinVersion = 0.0f;
  explicit TSearchEngine(float version);
  const TBrowserClass& ClassType() const override { return ClassRecord; }
  static bool Match(std::string_view upperUserAgent, float& version);
  // The user agent.
  const std::string& GetEngineName() const { return mUserAgent; }
};

// The catch-all: matches every agent and is never supported.
class TOther : public TBrowser {
 public:
  static const TBrowserClass ClassRecord;
  static constexpr float MinVersion = 0.0f;
  explicit TOther(float version);
  const TBrowserClass& ClassType() const override { return ClassRecord; }
  static bool Match(std::string_view upperUserAgent, float& version);
  bool IsSupported() const override { return false; }
};

// The ordered registry of browser classes; one per process (Browsers()).
// Registration takes the registry's re-entrant lock; so does detection, so a
// late registration never races a session start.
class TBrowsers : public TObject {
 public:
  TBrowsers() = default;
  TBrowsers(const TBrowsers&) = delete;
  TBrowsers& operator=(const TBrowsers&) = delete;

  // A snapshot of the registered classes in order.
  std::vector<const TBrowserClass*> BrowserList() const;

  // Ignores a class already registered; otherwise inserts it first (asFirst) or
  // before the last two classes (search engine and catch-all), then calls its Init.
  void RegisterBrowser(const TBrowserClass& browserClass, bool asFirst = false);
  bool Registered(const TBrowserClass& browserClass) const;
  // Appends the thirteen default classes in detection order, calling each Init;
  // classes already registered are skipped.
  void RegisterDefaultBrowsers();

  void Lock() const { mLock.lock(); }
  void Unlock() const { mLock.unlock(); }

  // The first registered class that matches the upper-cased agent, with its version.
  const TBrowserClass* FindMatch(std::string_view upperUserAgent, float& version) const;

 private:
  mutable std::recursive_mutex mLock;
  std::vector<const TBrowserClass*> FBrowserList;
};

// The process's registry. Empty until RegisterBrowsers() ran.
TBrowsers& Browsers();
// Start-up: registers the default classes once; later calls do nothing.
void RegisterBrowsers();

}  // namespace kx
