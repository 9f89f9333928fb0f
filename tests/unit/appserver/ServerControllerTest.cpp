#include "kx/appserver/ServerController.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "kx/appserver/Application.h"
#include "kx/appserver/CacheFiles.h"
#include "kx/appserver/Startup.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/Identifiers.h"
#include "kx/foundation/Paths.h"
#include "kx/foundation/Streams.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

// The folder that gGetAppPath names during a test.
std::string gTestAppFolder;
// What went through gLogProcedure during a test.
std::vector<std::string> gLogged;

// A controller whose BuildComponents runs the test's set-up, as a stored form would set properties.
class TTestController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TTestController, TKXServerControllerBase)

 public:
  static inline std::function<void(TTestController&)> Build;

 protected:
  void BuildComponents() override {
    if (Build) Build(*this);
  }
};

using TController = TOwnedComponent<TTestController>;

TController CreateController() { return TController(TComponent::Create<TTestController>(nullptr)); }

class TKXServerControllerBaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = gsTempPath() + "kx-controller-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    gTestAppFolder = pattern + "/";
    gGetAppPath = [] { return gTestAppFolder; };
    fs::create_directory(gTestAppFolder + "wwwroot");  // a missing content folder is logged
    mStartupStore = gSessions;
  }
  void TearDown() override {
    TTestController::Build = nullptr;
    gLogged.clear();
    // The store kx::Startup made, unless a controller freed it or the test put its own in its place.
    if (gSessions == mStartupStore) delete mStartupStore;
    gSessions = nullptr;
    fs::remove_all(gTestAppFolder);
  }

  IKXSessionStore* mStartupStore = nullptr;

  void WritePortIni(const std::string& text) { std::ofstream(gTestAppFolder + "port.ini") << text; }
};

std::string FolderOf(const std::string& fileName) { return fileName.substr(0, fileName.rfind('/') + 1); }

// A session object that owns cache files.
class TCacheTestSession final : public IKXCacheOwner {
 public:
  IKXCacheOwner* CacheSession() override { return this; }
  bool IsCacheForm() const override { return false; }
  TStrings& CacheFiles() override { return mFiles; }
  std::string InternalUrlBase() const override { return "/app/$/"; }

  TStringList mFiles;
};

// A store whose sessions are numbers; records what is done with them.
class TFakeStore : public IKXSessionStore {
 public:
  ~TFakeStore() override {
    if (Destroyed) *Destroyed = true;
  }
  void RemoveExpiredSessions(std::vector<TKXApplication*>& sessions) override {
    for (TKXApplication* session : Expired) sessions.push_back(session);
    Expired.clear();
  }
  void ClearExpiredSessionsList() override { ++Purges; }
  void FreeSession(TKXApplication* session) override {
    Freed.push_back(session);
    CurrentWhileFreed.push_back(sCurrent);
    if (session == Failing) throw std::runtime_error("session cannot be freed");
  }
  int GetCount() const override { return 3; }

  static TKXApplication* Session(std::uintptr_t n) { return reinterpret_cast<TKXApplication*>(n); }

  static inline TKXApplication* sCurrent = nullptr;
  std::vector<TKXApplication*> Expired;
  std::vector<TKXApplication*> Freed;
  std::vector<TKXApplication*> CurrentWhileFreed;
  TKXApplication* Failing = nullptr;
  int Purges = 0;
  bool* Destroyed = nullptr;
};

TEST_F(TKXServerControllerBaseTest, OnConfigRunsAfterTheDefaultsAndBeforeTheLock) {
  TTestController::Build = [](TTestController& sc) {
    sc.OnConfig = [](TObject* sender) {
      auto& controller = *static_cast<TTestController*>(sender);
      // OnConfig sees the defaults of the steps before it.
      EXPECT_EQ(controller.Description(), "Kestrix Application");
      EXPECT_EQ(controller.AppName(), "MyKXApp");
      EXPECT_FALSE(controller.Locked());
      controller.SetDescription("Shop");
    };
  };
  TController sc = CreateController();
  EXPECT_TRUE(sc->Locked());
  EXPECT_EQ(sc->Description(), "Shop");
  EXPECT_EQ(sc->DisplayName(), "Kestrix Application");  // taken before OnConfig ran
  EXPECT_EQ(sc->ContentPath(), gTestAppFolder + "wwwroot/");
  ASSERT_NE(sc->SessionTimeoutThread(), nullptr);
}

TEST_F(TKXServerControllerBaseTest, SessionTimeoutAcceptsOnlyZeroTo65535) {
  TController sc = CreateController();
  const struct {
    std::int32_t Value;
    bool Accepted;
  } cases[] = {{-1, false}, {0, true}, {65535, true}, {65536, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    sc->SetSessionTimeout(20);
    if (c.Accepted) {
      sc->SetSessionTimeout(c.Value);
      EXPECT_EQ(sc->SessionTimeout(), c.Value);
    } else {
      try {
        sc->SetSessionTimeout(c.Value);
        ADD_FAILURE() << "accepted";
      } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Invalid session timeout value.");
      }
      EXPECT_EQ(sc->SessionTimeout(), 20);
    }
  }
}

TEST_F(TKXServerControllerBaseTest, CookieNameSuffixDropsBlanksCommasAndSemicolons) {
  TController sc = CreateController();
  sc->CookieOptions()->SetCookieNameSuffix(" a,b;c d ");
  EXPECT_EQ(sc->CookieOptions()->CookieNameSuffix(), "abcd");
}

TEST_F(TKXServerControllerBaseTest, CacheDirGetsTheProcessFolderOnce) {
  std::string first, second;
  TTestController::Build = [&](TTestController& sc) {
    sc.OnConfig = [&](TObject*) {
      sc.SetCacheDir("cache");
      first = sc.CacheDir();
      sc.SetCacheDir(first);
      second = sc.CacheDir();
    };
  };
  std::string cacheDir;
  {
    TController sc = CreateController();
    EXPECT_EQ(first, gsTempPath() + "cache/" + sc->ProcessID() + "/");
    EXPECT_EQ(second, first);
    EXPECT_TRUE(fs::is_directory(first));
    EXPECT_EQ(sc->CacheDir(), first);
    cacheDir = sc->CacheDir();
  }
  // Each run works in its own folder, which goes with the controller; its parent stays.
  EXPECT_FALSE(fs::exists(cacheDir));
  EXPECT_TRUE(fs::is_directory(gsTempPath() + "cache"));
  fs::remove(gsTempPath() + "cache");
}

// A crash left every upload and cache file on disk for good: creation removes the process folders of dead
// processes beside its own, and nothing else.
TEST_F(TKXServerControllerBaseTest, CreationRemovesTheCacheFoldersOfDeadProcesses) {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  const std::string dead = ToBase36(std::uint64_t(child), 1), stamp = "0lk3j4k2l1";
  const std::string parent = gTestAppFolder + "cache/", elsewhere = gTestAppFolder + "elsewhere/";
  fs::create_directories(elsewhere + "inside");
  char ownNamespace[64] = {};
  ASSERT_GT(readlink("/proc/self/ns/pid", ownNamespace, sizeof ownNamespace - 1), 0);
  const struct {
    std::string Name;
    // 'm' folder made as a process folder (marked), holding a file; 'd' plain folder holding a file; 'f' file;
    // 'l' link to elsewhere; 'n' marked by a process of another PID namespace; 'c' holding the marker of another
    // folder (copied); 'o' marked by a process of another machine sharing the disk, in a namespace numbered as ours
    char Kind;
    bool Removed;
  } cases[] = {
      {stamp + "_" + dead, 'm', true},
      {"0123456789abc_" + dead, 'm', true},
      {stamp + "_" + ToBase36(std::uint64_t(getpid()), 1), 'm', false},  // alive
      {stamp + "_1", 'm', false},                                         // alive, though not ours (EPERM)
      {stamp + "_" + dead + "x", 'l', false},
      {stamp + "_" + dead + "y", 'f', false},
      {"012345678_" + dead, 'm', false},  // a stamp too short
      {"0LK3J4K2L1_" + dead, 'm', false},
      {stamp + "-" + dead, 'm', false},
      {stamp + "_" + dead + ".old", 'm', false},
      {stamp + "_zzzzzzzzzzzzzzzzzzzz", 'm', false},  // beyond any process id
      {stamp + "_", 'd', false},
      // Issue 31, fault 1: only folders this library made go, never across PID namespaces.
      {"1" + stamp + "_" + dead, 'd', false},  // the right shape, but no marker
      {"screenshots_2024", 'd', false},
      {"mysqlbackup_old", 'd', false},
      {"2" + stamp + "_" + dead, 'n', false},
      {"3" + stamp + "_" + dead, 'c', false},
      {"4" + stamp + "_" + dead, 'o', false},
  };
  for (const auto& c : cases) {
    const std::string folder = parent + c.Name + "/";
    if (c.Kind == 'm') {
      ASSERT_TRUE(TKXAppCache::MakeProcessFolder(folder));
    }
    if (c.Kind == 'd' || c.Kind == 'n' || c.Kind == 'c' || c.Kind == 'o') fs::create_directories(folder);
    if (c.Kind == 'o')
      std::ofstream(folder + ".kx-process") << "kx process folder " << c.Name << " " << ownNamespace
                                            << " on another-machine\n";
    if (c.Kind == 'n')
      std::ofstream(folder + ".kx-process") << "kx process folder " << c.Name << " pid:[1]\n";
    if (c.Kind == 'c')
      std::ofstream(folder + ".kx-process") << "kx process folder " << stamp << "_" << dead << " " << ownNamespace
                                            << "\n";
    if (c.Kind != 'f' && c.Kind != 'l') {
      fs::create_directories(folder + "sub");
      std::ofstream(folder + "sub/BRM1.tmp") << "x";
    }
    if (c.Kind == 'f') std::ofstream(parent + c.Name) << "x";
    if (c.Kind == 'l') fs::create_directory_symlink(elsewhere, parent + c.Name);
  }
  TTestController::Build = [&](TTestController& sc) { sc.OnConfig = [&](TObject*) { sc.SetCacheDir(parent); }; };
  TController sc = CreateController();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(fs::exists(fs::symlink_status(parent + c.Name)), !c.Removed);
  }
  EXPECT_TRUE(fs::exists(elsewhere + "inside"));
  EXPECT_TRUE(fs::is_directory(sc->CacheDir()));
}

// Issue 31, fault 1: the folder a controller works in carries the marker that lets a later run tell it from a folder
// it never made.
TEST_F(TKXServerControllerBaseTest, TheCacheFolderIsMarkedAsAProcessFolder) {
  TController sc = CreateController();
  std::ifstream marker(sc->CacheDir() + ".kx-process");
  std::string line;
  ASSERT_TRUE(std::getline(marker, line));
  EXPECT_EQ(line.rfind("kx process folder " + sc->ProcessID() + " pid:[", 0), 0u) << line;
}

// Every machine's first PID namespace has the same number: on a disk that several machines share, a process of this
// machine must not judge (and remove) the folder of a process of another one, whose id means nothing here. The other
// machine is a child process with a host name of its own (a UTS namespace), gone by the time the sweep runs.
TEST_F(TKXServerControllerBaseTest, CreationLeavesTheCacheFoldersOfOtherMachines) {
  const std::string parent = gTestAppFolder + "cache/";
  fs::create_directories(parent);
  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const char renamed = unshare(CLONE_NEWUTS) == 0 && sethostname("kx-other-machine", 16) == 0 ? 'y' : 'n';
    if (renamed == 'y') TKXAppCache::MakeProcessFolder(parent + "0lk3j4k2l1_" + ToBase36(std::uint64_t(getpid()), 1));
    (void)!write(channel[1], &renamed, 1);
    _exit(0);
  }
  ASSERT_GT(child, 0);
  close(channel[1]);
  char renamed = 'n';
  (void)!read(channel[0], &renamed, 1);
  close(channel[0]);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  if (renamed != 'y') GTEST_SKIP() << "no UTS namespace can be made here";
  const std::string theirs = parent + "0lk3j4k2l1_" + ToBase36(std::uint64_t(child), 1);
  ASSERT_TRUE(fs::exists(theirs + "/.kx-process"));
  TTestController::Build = [&](TTestController& sc) { sc.OnConfig = [&](TObject*) { sc.SetCacheDir(parent); }; };
  TController sc = CreateController();
  EXPECT_TRUE(fs::exists(theirs));
}

// Two processes never share a folder: one that another process (of another machine on a shared disk) marked is
// refused, while this process may make its own again.
TEST_F(TKXServerControllerBaseTest, AProcessFolderMarkedByAnotherProcessIsNotShared) {
  const std::string parent = gTestAppFolder + "shared/";
  const std::string theirs = parent + "0lk3j4k2l1_1/", ours = parent + "0lk3j4k2l2_1/";
  fs::create_directories(theirs);
  char ownNamespace[64] = {};
  ASSERT_GT(readlink("/proc/self/ns/pid", ownNamespace, sizeof ownNamespace - 1), 0);
  std::ofstream(theirs + ".kx-process") << "kx process folder 0lk3j4k2l1_1 " << ownNamespace << " on another-machine\n";
  EXPECT_FALSE(TKXAppCache::MakeProcessFolder(theirs));
  EXPECT_TRUE(TKXAppCache::MakeProcessFolder(ours));
  EXPECT_TRUE(TKXAppCache::MakeProcessFolder(ours));
}

// Issue 30: the cache-file controller and the temporary-file folder were process-wide, so a second runtime took over
// the first's cache files (which failed once it was freed) and the first's uploads went to the second's folder.
TEST_F(TKXServerControllerBaseTest, TwoRuntimesKeepTheirCacheFilesAndTemporaryFilesApart) {
  TController first = CreateController();
  const std::string firstFolder = first->CacheDir();
  std::string secondFolder;
  auto newCacheFile = [](IKXCacheOwner& owner) {
    std::unique_ptr<TCacheStream> stream;
    std::string href;
    TKXAppCache::NewSessionCacheStream(&owner, "text/plain", stream, href);
    return stream->FileName();
  };
  auto newTempFile = [] { return TTempFileStream(true, "BRM").FileName(); };
  TCacheTestSession firstSession, secondSession;
  {
    auto secondRuntime = std::make_unique<TKXRuntime>();
    TKXRuntimeSlots::TScope scope(*secondRuntime);
    Startup();
    {
      TController second = CreateController();
      secondFolder = second->CacheDir();
      ASSERT_NE(secondFolder, firstFolder);
      EXPECT_EQ(FolderOf(newCacheFile(secondSession)), secondFolder);
      EXPECT_EQ(FolderOf(newTempFile()), secondFolder);
      {
        TKXRuntimeSlots::TScope back(first->Runtime());
        EXPECT_EQ(FolderOf(newCacheFile(firstSession)), firstFolder);
        EXPECT_EQ(FolderOf(newTempFile()), firstFolder);
      }
    }
  }
  // The second runtime is gone; the first serves on from its own folder.
  EXPECT_EQ(FolderOf(newCacheFile(firstSession)), firstFolder);
  EXPECT_EQ(FolderOf(newTempFile()), firstFolder);
  EXPECT_EQ(TTempFileStream::GetTempPath(), firstFolder);
  TKXAppCache::ClearCache(firstSession.mFiles);
}

TEST_F(TKXServerControllerBaseTest, ProcessIdTellsProcessesApart) {
  TController sc = CreateController();
  const std::string& id = sc->ProcessID();
  const std::size_t separator = id.find('_');
  ASSERT_NE(separator, std::string::npos);
  EXPECT_GE(separator, 10u);
  EXPECT_EQ(id.substr(separator + 1), ToBase36(std::uint64_t(getpid()), 1));
  EXPECT_EQ(sc->CacheDir(), gsTempPath() + id + "/");
}

TEST_F(TKXServerControllerBaseTest, TemporaryFilesGoToTheCacheFolderWhileTheControllerLives) {
  const std::string before = TTempFileStream::GetTempPath();
  {
    TController sc = CreateController();
    EXPECT_EQ(TTempFileStream::GetTempPath(), sc->CacheDir());
  }
  // The cache folder is gone: temporary files must not be sent there any more.
  EXPECT_EQ(TTempFileStream::GetTempPath(), before);
}

TEST_F(TKXServerControllerBaseTest, LockedPropertiesRefuseChangesAfterConfig) {
  TTestController::Build = [](TTestController& sc) {
    sc.OnConfig = [&sc](TObject*) {
      sc.SetAppName("ShopApp");
      sc.SetBoundIP("127.0.0.1");
      sc.SetContentPath(gTestAppFolder + "site");
      sc.SetMaxSessions(5);
      sc.SetTrustedProxies({"192.0.2.1"});
      EXPECT_THROW(sc.SetMaxSessionsPerIP(-1), Exception);
    };
  };
  TController sc = CreateController();
  EXPECT_EQ(sc->AppName(), "ShopApp");
  EXPECT_EQ(sc->ContentPath(), gTestAppFolder + "site/");
  const std::string cacheDir = sc->CacheDir();
  const struct {
    const char* Name;
    std::function<void()> Change;
  } cases[] = {
      {"AppName", [&] { sc->SetAppName("Other"); }},
      {"BoundIP", [&] { sc->SetBoundIP("0.0.0.0"); }},
      {"CacheDir", [&] { sc->SetCacheDir("elsewhere"); }},
      {"ContentPath", [&] { sc->SetContentPath("/srv"); }},
      {"MaxSessions", [&] { sc->SetMaxSessions(0); }},
      {"MaxSessionsPerIP", [&] { sc->SetMaxSessionsPerIP(0); }},
      {"TrustedProxies", [&] { sc->SetTrustedProxies({}); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      c.Change();
      ADD_FAILURE() << "changed";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), std::string(c.Name) + " is locked. Suggestion: Set in ServerController OnConfig event instead.");
    }
  }
  EXPECT_EQ(sc->AppName(), "ShopApp");
  EXPECT_EQ(sc->BoundIP(), "127.0.0.1");
  EXPECT_EQ(sc->CacheDir(), cacheDir);
  EXPECT_EQ(sc->ContentPath(), gTestAppFolder + "site/");
  EXPECT_EQ(sc->MaxSessions(), 5);
  EXPECT_EQ(sc->MaxSessionsPerIP(), 1000);
  EXPECT_EQ(sc->TrustedProxies(), std::vector<std::string>{"192.0.2.1"});

  gSC = sc.get();
  EXPECT_THROW(TKXServerControllerBase::CheckLockGlobal("Handlers"), Exception);
  gSC = nullptr;
  EXPECT_NO_THROW(TKXServerControllerBase::CheckLockGlobal("Handlers"));
}

TEST_F(TKXServerControllerBaseTest, AppNameMustBeAnIdentifier) {
  TTestController::Build = [](TTestController& sc) {
    const struct {
      const char* Value;
      const char* Message;  // nullptr: accepted as Expected
      const char* Expected;
    } cases[] = {
        {"", "Application name cannot be empty", nullptr},
        {"  ", "Application name cannot be empty", nullptr},
        {"1App", "Invalid application name. Application name must follow the same rules of TComponent name", nullptr},
        {"My App", "Invalid application name. Application name must follow the same rules of TComponent name",
         nullptr},
        {" Shop_2 ", nullptr, "Shop_2"},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(c.Value);
      sc.SetAppName("Before");
      if (c.Message) {
        try {
          sc.SetAppName(c.Value);
          ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
          EXPECT_EQ(e.Message(), c.Message);
        }
        EXPECT_EQ(sc.AppName(), "Before");
      } else {
        sc.SetAppName(c.Value);
        EXPECT_EQ(sc.AppName(), c.Expected);
      }
    }
  };
  CreateController();
}

TEST_F(TKXServerControllerBaseTest, CookiesAndMultipleSessionsGuardEachOther) {
  TController sc = CreateController();
  try {
    sc->CookieOptions()->SetUseCookies(false);
    ADD_FAILURE() << "cookies turned off with one session per user";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              "In order to disable cookies you must set ServerController.AllowMultipleSessionsPerUser to TRUE.");
  }
  EXPECT_TRUE(sc->CookieOptions()->UseCookies());

  sc->SetAllowMultipleSessionsPerUser(true);
  sc->CookieOptions()->SetUseCookies(false);
  try {
    sc->SetAllowMultipleSessionsPerUser(false);
    ADD_FAILURE() << "one session per user without cookies";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              "You must set CookieOptions.UseCookies to TRUE before setting "
              "ServerController.AllowMultipleSessionsPerUser to FALSE.");
  }
  EXPECT_TRUE(sc->AllowMultipleSessionsPerUser());
}

TEST_F(TKXServerControllerBaseTest, URLBaseBeginsAndEndsWithSlash) {
  TController sc = CreateController();
  const struct {
    const char* Value;
    const char* Expected;
  } cases[] = {{"app", "/app/"}, {" /app ", "/app/"}, {"a/b/", "/a/b/"}, {"/", "/"}, {"", ""}, {"  ", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    sc->SetURLBase(c.Value);
    EXPECT_EQ(sc->URLBase(), c.Expected);
  }
}

TEST_F(TKXServerControllerBaseTest, TemplateDirResolvesAgainstTheApplicationFolder) {
  fs::create_directory(gTestAppFolder + "tpl");
  const struct {
    const char* Value;
    std::string Expected;
  } cases[] = {{"tpl", gTestAppFolder + "tpl/"}, {"missing", "missing/"}, {"/srv/tpl", "/srv/tpl/"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    TTestController::Build = [&c](TTestController& sc) { sc.SetTemplateDir(c.Value); };
    EXPECT_EQ(CreateController()->TemplateDir(), c.Expected);
  }
}

TEST_F(TKXServerControllerBaseTest, PortIniOverridesTheStoredPorts) {
  TTestController::Build = [](TTestController& sc) {
    sc.SetPort(80);
    sc.SSLOptions()->SetPort(443);
  };
  {
    TController sc = CreateController();
    EXPECT_EQ(sc->Port(), 80);
    EXPECT_EQ(sc->SSLOptions()->Port(), 443);
  }
  WritePortIni("[PORTS]\nPort=8080\n");
  {
    TController sc = CreateController();
    EXPECT_EQ(sc->Port(), 8080);
    EXPECT_EQ(sc->SSLOptions()->Port(), 0);  // a missing key reads 0
  }
  WritePortIni("[ports]\r\nport = 81\r\nSSLPort=8443\r\n");
  {
    TController sc = CreateController();
    EXPECT_EQ(sc->Port(), 81);
    EXPECT_EQ(sc->SSLOptions()->Port(), 8443);
  }
}

// A port.ini value that is not a number used to read as 0, a free port, without a word.
TEST_F(TKXServerControllerBaseTest, PortIniValueThatIsNoNumberIsLoggedAndIgnored) {
  gLogProcedure = [](const std::string& line) { gLogged.push_back(line); };
  TTestController::Build = [](TTestController& sc) {
    sc.SetPort(1000);
    sc.SSLOptions()->SetPort(4430);
  };
  const struct {
    const char* Ini;
    std::int32_t Port;
    std::int32_t SSLPort;
    const char* Logged;  // nullptr: nothing about port.ini
  } cases[] = {
      {"[PORTS]\nPort=80a\nSSLPort=443\n", 1000, 443, "[PORTS] Port=80a is not a number"},
      {"[PORTS]\nPort=8080\nSSLPort=https\n", 8080, 4430, "[PORTS] SSLPort=https is not a number"},
      {"[PORTS]\nPort=\n", 0, 0, nullptr},
      {"[PORTS]\nPort=$1F\nSSLPort=0x20\n", 31, 32, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Ini);
    WritePortIni(c.Ini);
    gLogged.clear();
    TController sc = CreateController();
    EXPECT_EQ(sc->Port(), c.Port);
    EXPECT_EQ(sc->SSLOptions()->Port(), c.SSLPort);
    std::vector<std::string> about;
    for (const std::string& line : gLogged)
      if (line.find("port.ini") != std::string::npos) about.push_back(line);
    if (!c.Logged) {
      EXPECT_TRUE(about.empty()) << about.front();
      continue;
    }
    ASSERT_EQ(about.size(), 1u);
    EXPECT_EQ(about[0].rfind(gTestAppFolder + "port.ini: ", 0), 0u) << about[0];
    EXPECT_NE(about[0].find(c.Logged), std::string::npos) << about[0];
  }
}

// A missing content folder made every static file a 404 without a word.
TEST_F(TKXServerControllerBaseTest, MissingContentFolderIsLogged) {
  const auto contentLines = [] {
    std::vector<std::string> lines;
    for (const std::string& line : gLogged)
      if (line.find("content folder") != std::string::npos) lines.push_back(line);
    return lines;
  };
  gLogProcedure = [](const std::string& line) { gLogged.push_back(line); };
  fs::remove(gTestAppFolder + "wwwroot");
  CreateController();
  ASSERT_EQ(contentLines().size(), 1u);
  EXPECT_NE(contentLines()[0].find("MyKXApp: the content folder \"" + gTestAppFolder + "wwwroot/\" does not exist"),
            std::string::npos)
      << contentLines()[0];

  gLogged.clear();
  fs::create_directory(gTestAppFolder + "wwwroot");
  CreateController();
  EXPECT_TRUE(contentLines().empty());

  // Without a log procedure the line goes to standard error.
  fs::remove(gTestAppFolder + "wwwroot");
  gLogProcedure = nullptr;
  testing::internal::CaptureStderr();
  CreateController();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("wwwroot/\" does not exist"), std::string::npos);
}

// The command line has the last word over OnConfig; what it leaves out stays the controller's.
TEST_F(TKXServerControllerBaseTest, CommandLineOverridesApplyAfterOnConfig) {
  const struct {
    const char* Name;
    TKXCommandLineOverrides Overrides;
    const char* ConfigBoundIP;
    const char* BoundIP;
    std::int32_t Port;
    std::int32_t SessionTimeout;
  } cases[] = {
      {"none", {}, "", "", 80, 20},
      {"default address for a controller without one", {{}, {}, {}, "127.0.0.1"}, "", "127.0.0.1", 80, 20},
      {"the controller's address beats the default", {{}, {}, {}, "127.0.0.1"}, "0.0.0.0", "0.0.0.0", 80, 20},
      {"all given", {"::1", 0, 1, "127.0.0.1"}, "0.0.0.0", "::1", 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    CommandLineOverrides() = c.Overrides;
    TTestController::Build = [&c](TTestController& sc) {
      sc.OnConfig = [&c, &sc](TObject*) {
        sc.SetBoundIP(c.ConfigBoundIP);
        sc.SetPort(80);
        sc.SetSessionTimeout(20);
      };
    };
    TController sc = CreateController();
    EXPECT_EQ(sc->BoundIP(), c.BoundIP);
    EXPECT_EQ(sc->Port(), c.Port);
    EXPECT_EQ(sc->SessionTimeout(), c.SessionTimeout);
  }
}

// The cookie options copy SessionCookies only.
TEST_F(TKXServerControllerBaseTest, CookieOptionsAssignSessionCookiesOnly) {
  TKXSessionCookieOptions cookies;
  cookies.SetSessionCookies(false);
  cookies.SetSecure(true);
  TKXSessionCookieOptions copy;
  copy.Assign(&cookies);
  EXPECT_FALSE(copy.SessionCookies());
  EXPECT_FALSE(copy.Secure());
  TKXSSLOptions ssl;
  EXPECT_THROW(copy.Assign(&ssl), EConvertError);
}

TEST_F(TKXServerControllerBaseTest, SetServerControllerClassNamesTheClassTheHostCreates) {
  TKXServerControllerBase::SetServerControllerClass<TTestController>();
  ASSERT_EQ(gServerControllerClass, &TTestController::ClassRecord());
  TComponent* created = gServerControllerClass->Create(nullptr);
  EXPECT_NE(dynamic_cast<TTestController*>(created), nullptr);
  created->Free();
  gServerControllerClass = nullptr;
}

TEST_F(TKXServerControllerBaseTest, FreeClearsTheGlobalsThatNameIt) {
  TTestController* sc = TComponent::Create<TTestController>(nullptr);
  gSC = sc;
  gServerController = sc;
  sc->Free();
  EXPECT_EQ(gSC, nullptr);
  EXPECT_EQ(gServerController, nullptr);
}

TEST_F(TKXServerControllerBaseTest, IsTheCacheFilesControllerWhileItLives) {
  TTestController* sc = TComponent::Create<TTestController>(nullptr);
  EXPECT_EQ(TKXAppCache::Controller(), sc);
  EXPECT_EQ(TKXAppCache::CacheDir(), sc->CacheDir());
  sc->Free();
  EXPECT_EQ(TKXAppCache::Controller(), nullptr);
}

TEST_F(TKXServerControllerBaseTest, FreeStopsTheTimeoutThreadThenFreesTheStore) {
  bool destroyed = false;
  auto* store = new TFakeStore;
  store->Destroyed = &destroyed;
  delete gSessions;  // the store kx::Startup made: this test uses its own
  gSessions = store;
  TTestController* sc = TComponent::Create<TTestController>(nullptr);
  sc->OnDestroy = [&](TObject*) { EXPECT_FALSE(destroyed); };
  sc->Free();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(gSessions, nullptr);
}

TEST_F(TKXServerControllerBaseTest, FailedCreationRaisesAndLeavesTheStore) {
  TFakeStore store;
  delete gSessions;  // the store kx::Startup made: this test uses its own
  gSessions = &store;
  TTestController::Build = [](TTestController& sc) {
    sc.OnConfig = [](TObject*) { throw Exception("bad configuration"); };
  };
  try {
    CreateController();
    ADD_FAILURE() << "created";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "bad configuration");
  }
  EXPECT_EQ(gSessions, &store);
}

TEST_F(TKXServerControllerBaseTest, DoExceptionLogsThenAsksOnException) {
  TController sc = CreateController();
  std::vector<std::string> order;
  sc->ExceptionLogger()->SetEnabled(true);
  sc->OnLogException = [&](const TStrings&) {
    order.push_back("log");
    return true;
  };
  const Exception error("failure");
  EXPECT_FALSE(sc->DoException(nullptr, error));
  sc->OnException = [&](TKXApplication*, const std::exception& e, bool& handled) {
    order.push_back(std::string("event ") + e.what() + (handled ? " true" : " false"));
    handled = true;
  };
  EXPECT_TRUE(sc->DoException(nullptr, error));
  EXPECT_EQ(order, (std::vector<std::string>{"log", "log", "event failure false"}));
}

TEST_F(TKXServerControllerBaseTest, ReportsTellTheServerAndTheSessionCount) {
  TController sc = CreateController();
  TFakeStore store;
  sc->ExceptionLogger()->SetEnabled(true);
  std::string report;
  sc->OnLogException = [&](const TStrings& lines) {
    report = lines.Text();
    return true;
  };
  delete gSessions;  // the store kx::Startup made: this test uses its own
  gSessions = &store;
  sc->DoLogException(nullptr, Exception("failure"));
  gSessions = nullptr;  // the controller must not free the test's store
  EXPECT_NE(report.find("Kestrix Version   : " + std::string(kKXVersion)), std::string::npos);
  EXPECT_NE(report.find("Session count      : 3"), std::string::npos);
  EXPECT_NE(report.find("Content Path       : " + sc->ContentPath()), std::string::npos);
}

TEST_F(TKXServerControllerBaseTest, AuthActiveNeedsARestrictingAuthenticator) {
  TController sc = CreateController();
  EXPECT_FALSE(sc->AuthActive());
  {
    TKXAutherList auther(sc.get());
    sc->SetAuther(&auther);
    EXPECT_TRUE(sc->AuthActive());
    auther.SetAutherPolicy(apRestrictNone);
    EXPECT_FALSE(sc->AuthActive());
  }
  // The authenticator's destruction cleared the reference.
  EXPECT_EQ(sc->Auther(), nullptr);
}

TEST_F(TKXServerControllerBaseTest, StyleSheetAndThemeClearEachOther) {
  struct TCase {
    const char* Name;
    const char* Filename;
    const char* URL;
    const char* ThemeAfter;  // of the theme "blue" once the style sheet is set
  };
  const TCase cases[] = {
      {"a file", "css/site.css", "", ""},
      {"a URL", "", "https://cdn.example/site.css", ""},
      {"nothing", "", "", "blue"},
  };
  TController sc = CreateController();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    sc->SetTheme("blue");
    TKXFileReference sheet;
    sheet.SetFilename(c.Filename);
    if (*c.URL != '\0') sheet.SetURL(c.URL);
    sc->SetStyleSheet(sheet);
    EXPECT_EQ(sc->Theme(), c.ThemeAfter);
    EXPECT_EQ(sc->StyleSheet().Filename(), sheet.Filename());
    EXPECT_EQ(sc->StyleSheet().URL(), sheet.URL());
    // A theme takes the style sheet's place.
    sc->SetTheme("green");
    EXPECT_TRUE(sc->StyleSheet().Empty());
    EXPECT_EQ(sc->Theme(), "green");
  }
}

TEST_F(TKXServerControllerBaseTest, NewCacheFileNeedsASessionAndMakesAOneTimeFileOfIt) {
  TController sc = CreateController();
  try {
    sc->NewCacheFile("text/plain");
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Session is not started.");
  }

  TKXApplication* session =
      TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser("Mozilla/5.0 Chrome/120.0 Safari/537.36"),
                                         nullptr, nullptr, "192.0.2.1", "", "", "/app");
  SetWebApplication(session);
  const std::string href = sc->NewCacheFile("application/pdf");
  SetWebApplication(nullptr);
  EXPECT_TRUE(href.starts_with("/app/$/temp/BRM")) << href;
  const std::string file = sc->CacheDir() + TURL::ExtractFileName(href) + ".tmp";
  EXPECT_EQ(session->CacheFiles().Count(), 0);
  EXPECT_EQ(sc->CacheFiles().Count(), 0);
  {
    TReadCacheFileStream stream(file);
    EXPECT_EQ(stream.ContentType(), "application/pdf");
    EXPECT_EQ(stream.CacheType(), ctOneTime);
    EXPECT_EQ(stream.Href(), href);
    EXPECT_EQ(stream.Size(), 0);
  }
  EXPECT_FALSE(fs::exists(file));  // read once, gone
}

// ---------------------------------------------------------------------------
// The session-timeout thread's run, called directly (the thread itself waits a minute between runs).

class TSessionTimeoutThreadTest : public TKXServerControllerBaseTest {
 protected:
  void SetUp() override {
    TKXServerControllerBaseTest::SetUp();
    mController = CreateController();
    gSetWebApplicationThreadVar = [](TKXApplication* application) { TFakeStore::sCurrent = application; };
  }
  void TearDown() override {
    gSessions = nullptr;
    mController.reset();
    TKXServerControllerBaseTest::TearDown();
  }

  TController mController;
};

TEST_F(TSessionTimeoutThreadTest, FreesEachExpiredSessionAsTheCurrentApplication) {
  TFakeStore store;
  store.Expired = {TFakeStore::Session(16), TFakeStore::Session(32)};
  delete gSessions;  // the store kx::Startup made: this test uses its own
  gSessions = &store;
  TSessionTimeoutThread thread(*mController, 1000);
  thread.Run();
  EXPECT_EQ(store.Freed, (std::vector<TKXApplication*>{TFakeStore::Session(16), TFakeStore::Session(32)}));
  EXPECT_EQ(store.CurrentWhileFreed, store.Freed);
  EXPECT_EQ(TFakeStore::sCurrent, nullptr);
}

// A session that cannot be freed must not stop the others, nor later runs.
TEST_F(TSessionTimeoutThreadTest, ASessionThatRaisesIsReportedAndTheRunGoesOn) {
  TFakeStore store;
  store.Expired = {TFakeStore::Session(16), TFakeStore::Session(32), TFakeStore::Session(48)};
  store.Failing = TFakeStore::Session(32);
  delete gSessions;  // the store kx::Startup made: this test uses its own
  gSessions = &store;
  mController->ExceptionLogger()->SetEnabled(true);
  std::vector<std::string> reports;
  mController->OnLogException = [&](const TStrings& report) {
    reports.push_back(report.Text());
    return true;
  };
  TSessionTimeoutThread thread(*mController, 1000);
  EXPECT_NO_THROW(thread.Run());
  EXPECT_EQ(store.Freed.size(), 3u);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("session cannot be freed"), std::string::npos);
  EXPECT_EQ(TFakeStore::sCurrent, nullptr);

  store.Expired = {TFakeStore::Session(64)};
  thread.Run();
  EXPECT_EQ(store.Freed.back(), TFakeStore::Session(64));
}

// Hardening: the memory of thousands of expired sessions stayed with the process.
TEST_F(TSessionTimeoutThreadTest, GivesMemoryBackAfterFreeingManySessions) {
  TFakeStore store;
  delete gSessions;  // the store kx::Startup made: this test uses its own
  gSessions = &store;
  TSessionTimeoutThread thread(*mController, 1000);
  const auto expire = [&](std::size_t count) {
    for (std::size_t i = 1; i <= count; ++i) store.Expired.push_back(TFakeStore::Session(i * 16));
    thread.Run();
  };
  expire(TSessionTimeoutThread::TrimAfterFreed - 1);
  EXPECT_EQ(thread.MemoryTrims(), 0);
  expire(TSessionTimeoutThread::TrimAfterFreed);
  EXPECT_EQ(thread.MemoryTrims(), 1);
}

// A server that ran for months never purged its old reports (only the logger's destruction did): each run of the
// thread is the logger's clock.
TEST_F(TSessionTimeoutThreadTest, EachRunLetsTheExceptionLoggerPurgeOldReports) {
  const std::string folder = gTestAppFolder + "ErrorLog/";
  fs::create_directory(folder);
  const std::string old = folder + "MyApp@old.Log";
  std::ofstream(old) << "old report";
  fs::last_write_time(old, fs::file_time_type::clock::now() - std::chrono::hours(24 * 8));
  TKXExceptionLogger& logger = *mController->ExceptionLogger();
  logger.SetFilePath(folder);
  logger.SetFileName("MyApp");
  logger.SetPurgeAfterDays(7);
  TFakeStore store;
  delete gSessions;  // the store kx::Startup made: TearDown lets go of gSessions without freeing it
  gSessions = &store;
  TSessionTimeoutThread thread(*mController, 1000);
  thread.Run();
  EXPECT_TRUE(fs::exists(old)) << "not enabled: nothing";
  logger.SetEnabled(true);
  thread.Run();
  EXPECT_FALSE(fs::exists(old));
  logger.SetEnabled(false);
}

TEST_F(TSessionTimeoutThreadTest, PurgesTheExpiredListEverySixtiethRun) {
  TFakeStore store;
  delete gSessions;  // the store kx::Startup made: this test uses its own
  gSessions = &store;
  TSessionTimeoutThread thread(*mController, 1000);
  for (int run = 1; run <= 59; ++run) thread.Run();
  EXPECT_EQ(store.Purges, 0);
  thread.Run();
  EXPECT_EQ(store.Purges, 1);
  EXPECT_EQ(thread.RunCount(), 0);
  for (int run = 1; run <= 60; ++run) thread.Run();
  EXPECT_EQ(store.Purges, 2);
}

}  // namespace
}  // namespace kx
