#include "kx/foundation/Browsers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>

#include "kx/foundation/RuntimeSlots.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

using Words = std::initializer_list<std::string_view>;

// Case-insensitive word tests; each stops at the first entry that decides.
template <class List>
bool ContainsAllOf(std::string_view s, const List& words) {
  for (std::string_view word : words) {
    if (!ContainsText(s, word)) return false;
  }
  return true;
}

template <class List>
bool ContainsAnyOf(std::string_view s, const List& words) {
  for (std::string_view word : words) {
    if (ContainsText(s, word)) return true;
  }
  return false;
}

bool ContainsAll(std::string_view s, Words words) { return ContainsAllOf(s, words); }
bool ContainsAny(std::string_view s, Words words) { return ContainsAnyOf(s, words); }
bool ContainsNone(std::string_view s, Words words) { return !ContainsAnyOf(s, words); }

constexpr std::string_view kMobileWords[] = {"Mobile", "Android", "Tablet"};

bool HasMobileWord(std::string_view s) { return ContainsAnyOf(s, kMobileWords); }

// The text after the case-sensitive marker in the upper-cased agent; found
// tells whether the marker occurs.
std::string_view After(std::string_view upper, std::string_view marker, bool* found = nullptr) {
  std::size_t at = upper.find(marker);
  if (found) *found = at != std::string_view::npos;
  return at == std::string_view::npos ? std::string_view() : upper.substr(at + marker.size());
}

// s up to (not including) the first occurrence of stop; all of s without one.
std::string_view CutAt(std::string_view s, std::string_view stop) {
  std::size_t at = s.find(stop);
  return at == std::string_view::npos ? s : s.substr(0, at);
}

// The version after the marker, 0 when the marker is absent.
float VersionAfter(std::string_view upper, std::string_view marker) {
  bool found = false;
  std::string_view rest = After(upper, marker, &found);
  return found ? TBrowser::ParseBrowserVersion(rest) : 0.0f;
}

float OrDefault(float version, float minVersion) { return version == 0.0f ? minVersion : version; }

// The leading ASCII digits of s.
std::string_view LeadingDigits(std::string_view s) {
  std::size_t n = 0;
  while (n < s.size() && s[n] >= '0' && s[n] <= '9') ++n;
  return s.substr(0, n);
}

}  // namespace

// ---------------------------------------------------------------------------
// TBrowserClass

bool TBrowserClass::InheritsFrom(const TBrowserClass& ancestor) const {
  for (const TBrowserClass* c = this; c; c = c->Parent) {
    if (c == &ancestor) return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// TBrowser

constinit const TBrowserClass TBrowser::ClassRecord{"TBrowser", nullptr, &TBrowser::Match, nullptr, &TBrowser::Init};
constinit const TBrowserClass TWebkit::ClassRecord{"TWebkit", &TBrowser::ClassRecord, &TWebkit::Match, nullptr,
                                                   &TWebkit::Init};

TBrowser::TBrowser(float version, float minSupportedVersion) : mMinSupportedVersion(minSupportedVersion) {
  // A user agent is client input: keep the version finite and within int32 so
  // that truncating it is defined.
  if (std::isnan(version) || version < 0) version = 0;
  if (version > MaxVersion) version = MaxVersion;
  mVersion = version;
  mMajorVersion = static_cast<int>(version);
}

bool TBrowser::IsSupported() const { return mAllowOlderBrowsers || mVersion >= mMinSupportedVersion; }

bool TBrowser::Match(std::string_view, float& version) {
  version = 0;
  return false;
}

std::unique_ptr<TBrowser> TBrowser::CreateBrowser(const std::string& userAgent) {
  float version = 0;
  const TBrowserClass* found = Browsers().FindMatch(UpperCase(userAgent), version);
  if (!found) return nullptr;
  std::unique_ptr<TBrowser> browser = found->Create(version);
  browser->SetUserAgent(userAgent);
  return browser;
}

float TBrowser::ParseBrowserVersion(std::string_view text) {
  std::string s(CutAt(text, " "));
  for (char& c : s) {
    if (c == ',') c = '.';
  }
  std::string_view rest(s);
  std::string_view major = CutAt(rest, ".");
  std::string_view minor;
  if (major.size() < rest.size()) minor = CutAt(rest.substr(major.size() + 1), ".");
  major = LeadingDigits(major);
  minor = LeadingDigits(minor);

  std::string number;
  number.reserve(major.size() + minor.size() + 3);
  number.append(major.empty() ? "0" : major).append(".").append(minor.empty() ? "0" : minor);
  float value = 0;
  auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)end;
  // Only digits and one point reach here, so the one failure is a value past
  // the float range: an absurd version, taken as the largest we keep.
  if (ec != std::errc() || value > MaxVersion) return MaxVersion;
  return value;
}

// ---------------------------------------------------------------------------
// The concrete classes

#define KX_DEFINE_BROWSER(Name, Base, DisplayName, Mobile)                                                        \
  constinit const TBrowserClass Name::ClassRecord = MakeBrowserClass<Name>(#Name, &Base::ClassRecord);              \
  Name::Name(float version) : Base(version, MinVersion) {                                                           \
    mBrowserName = DisplayName;                                                                                     \
    mIsMobile = Mobile;                                                                                             \
  }

KX_DEFINE_BROWSER(TFirefoxMobile, TBrowser, "Firefox Mobile", true)
KX_DEFINE_BROWSER(TFirefox, TBrowser, "Firefox", false)
KX_DEFINE_BROWSER(TInternetExplorer, TBrowser, "Microsoft Internet Explorer", false)
KX_DEFINE_BROWSER(TOperaNext, TWebkit, "Opera (Edition Next)", false)
KX_DEFINE_BROWSER(TChromeMobile, TWebkit, "Chrome Mobile", true)
KX_DEFINE_BROWSER(TChrome, TWebkit, "Chrome", false)
KX_DEFINE_BROWSER(TAndroid, TWebkit, "Android Webkit Browser", true)
KX_DEFINE_BROWSER(TSafariMobile, TWebkit, "Safari Mobile", true)
KX_DEFINE_BROWSER(TSafari, TWebkit, "Safari", false)
KX_DEFINE_BROWSER(TOperaMobile, TBrowser, "Opera Mobile", true)
KX_DEFINE_BROWSER(TOpera, TBrowser, "Opera", false)
KX_DEFINE_BROWSER(TSearchEngine, TBrowser, "Search Engine", false)
KX_DEFINE_BROWSER(TOther, TBrowser, "Unknown browser", false)

#undef KX_DEFINE_BROWSER

bool TFirefoxMobile::Match(std::string_view u, float& version) {
  if (!(ContainsText(u, "Firefox") && HasMobileWord(u))) return false;
  version = OrDefault(VersionAfter(u, "FIREFOX/"), MinVersion);
  return true;
}

bool TFirefox::Match(std::string_view u, float& version) {
  if (!(ContainsText(u, "Firefox") && !HasMobileWord(u))) return false;
  version = OrDefault(VersionAfter(u, "FIREFOX/"), MinVersion);
  return true;
}

bool TInternetExplorer::Match(std::string_view u, float& version) {
  bool found = false;
  std::string_view rest = After(u, "MSIE", &found);
  if (found) {
    // "MSIE 10.0; ...": skip the character after the marker, stop at ";".
    version = ParseBrowserVersion(CutAt(rest.substr(rest.empty() ? 0 : 1), ";"));
    return true;
  }
  if (u.find("TRIDENT/") == std::string_view::npos) return false;
  // "Trident/7.0; rv:11.0) like Gecko"
  rest = After(u, "RV:", &found);
  version = found ? ParseBrowserVersion(CutAt(rest, ")")) : 0.0f;
  return true;
}

bool TOperaNext::Match(std::string_view u, float& version) {
  if (!(ContainsAll(u, {"Opr/", "AppleWebKit"}) && !HasMobileWord(u))) return false;
  version = OrDefault(VersionAfter(u, "OPR/"), MinVersion);
  return true;
}

bool TChromeMobile::Match(std::string_view u, float& version) {
  if (!ContainsNone(u, {"Opera", "Opr/", "SamsungBrowser"})) return false;
  if (!((ContainsText(u, "Chrome") && HasMobileWord(u)) || ContainsText(u, "CRIOS"))) return false;
  bool found = false;
  std::string_view rest = After(u, "CHROME/", &found);
  if (!found) rest = After(u, "CRIOS/", &found);
  version = OrDefault(found ? ParseBrowserVersion(CutAt(rest, " ")) : 0.0f, MinVersion);
  return true;
}

bool TChrome::Match(std::string_view u, float& version) {
  if (!(ContainsText(u, "Chrome") && !HasMobileWord(u))) return false;
  bool found = false;
  std::string_view rest = After(u, "CHROME/", &found);
  version = OrDefault(found ? ParseBrowserVersion(CutAt(rest, " ")) : 0.0f, MinVersion);
  return true;
}

bool TAndroid::Match(std::string_view u, float& version) {
  if (ContainsText(u, "Opr/")) return false;
  if (!(ContainsAll(u, {"Android", "Safari"}) ||
        (ContainsAll(u, {"Safari", "AppleWebKit", "Mobile"}) && ContainsNone(u, {"iPhone", "iPad", "iPod"})))) {
    return false;
  }
  bool found = false;
  std::string_view rest = After(u, "VERSION/", &found);
  version = found ? OrDefault(ParseBrowserVersion(rest), MinVersion) : 0.0f;
  return true;
}

bool TSafariMobile::Match(std::string_view u, float& version) {
  if (!(ContainsAll(u, {"Safari", "AppleWebKit", "Mobile"}) && ContainsAny(u, {"iPhone", "iPod", "iPad"}))) {
    return false;
  }
  bool found = false;
  std::string_view rest = After(u, "VERSION/", &found);
  version = OrDefault(found ? ParseBrowserVersion(CutAt(rest, "SAFARI/")) : 0.0f, MinVersion);
  return true;
}

bool TSafari::Match(std::string_view u, float& version) {
  if (!(ContainsAll(u, {"Safari", "AppleWebKit"}) && !HasMobileWord(u))) return false;
  bool found = false;
  std::string_view rest = After(u, "VERSION/", &found);
  version = OrDefault(found ? ParseBrowserVersion(CutAt(rest, "SAFARI/")) : 0.0f, MinVersion);
  return true;
}

bool TOperaMobile::Match(std::string_view u, float& version) {
  if (!(ContainsAny(u, {"Opera Mobi/", "Opera Tablet/"}) ||
        (ContainsAny(u, {"Opera", "Opr/"}) && HasMobileWord(u)))) {
    return false;
  }
  version = OrDefault(VersionAfter(u, "VERSION/"), MinVersion);
  return true;
}

bool TOpera::Match(std::string_view u, float& version) {
  if (!(ContainsAll(u, {"Opera/", "Presto/"}) && !HasMobileWord(u))) return false;
  version = OrDefault(VersionAfter(u, "VERSION/"), MinVersion);
  return true;
}

bool TSearchEngine::Match(std::string_view u, float& version) {
  static constexpr std::string_view kTokens[] = {
      "BOT",   "CRAWLER", "SPIDER", "SEARCH",  "AGENT",    "SPYDER",    "NEWSGATOR",    "ICHIRO", "NYMESIS",
      "POST",  "POMPOS",  "QSEERO", "SCRUBBY", "SCOUTJET", "STACKRAMBLER", "TEOMA", "WEBSQUASH.COM", "YAHOO",
      "YANDEX", "YETI/"};
  for (std::string_view token : kTokens) {
    if (u.find(token) != std::string_view::npos) {
      version = 0;
      return true;
    }
  }
  return false;
}

bool TOther::Match(std::string_view, float& version) {
  version = 0;
  return true;
}

// ---------------------------------------------------------------------------
// TBrowsers

std::vector<const TBrowserClass*> TBrowsers::BrowserList() const {
  std::lock_guard<std::recursive_mutex> guard(mLock);
  return FBrowserList;
}

void TBrowsers::RegisterBrowser(const TBrowserClass& browserClass, bool asFirst) {
  std::lock_guard<std::recursive_mutex> guard(mLock);
  if (Registered(browserClass)) return;
  std::ptrdiff_t index = asFirst ? 0 : std::max<std::ptrdiff_t>(std::ptrdiff_t(FBrowserList.size()) - 2, 0);
  FBrowserList.insert(FBrowserList.begin() + index, &browserClass);
  if (browserClass.Init) browserClass.Init();
}

bool TBrowsers::Registered(const TBrowserClass& browserClass) const {
  std::lock_guard<std::recursive_mutex> guard(mLock);
  for (const TBrowserClass* c : FBrowserList) {
    if (c == &browserClass) return true;
  }
  return false;
}

void TBrowsers::RegisterDefaultBrowsers() {
  static const TBrowserClass* const kDefaults[] = {
      &TFirefoxMobile::ClassRecord, &TFirefox::ClassRecord, &TInternetExplorer::ClassRecord,
      &TOperaNext::ClassRecord,     &TChromeMobile::ClassRecord, &TChrome::ClassRecord,
      &TAndroid::ClassRecord,       &TSafariMobile::ClassRecord, &TSafari::ClassRecord,
      &TOperaMobile::ClassRecord,   &TOpera::ClassRecord,       &TSearchEngine::ClassRecord,
      &TOther::ClassRecord};
  std::lock_guard<std::recursive_mutex> guard(mLock);
  for (const TBrowserClass* c : kDefaults) {
    if (Registered(*c)) continue;
    FBrowserList.push_back(c);
    c->Init();
  }
}

const TBrowserClass* TBrowsers::FindMatch(std::string_view upperUserAgent, float& version) const {
  std::lock_guard<std::recursive_mutex> guard(mLock);
  for (const TBrowserClass* c : FBrowserList) {
    float v = 0;
    // A record without a constructor (an abstract class) cannot be the answer.
    if (c->Match && c->Create && c->Match(upperUserAgent, v)) {
      version = v;
      return c;
    }
  }
  return nullptr;
}

TBrowsers& Browsers() { return TKXRuntimeSlots::Required().Slot<TBrowsers>(); }

void RegisterBrowsers() { Browsers().RegisterDefaultBrowsers(); }

}  // namespace kx
