#include "kx/appserver/ContentHandlers.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/HttpPackets.h"
#include "support/SessionTestDoubles.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

using Buffer = std::vector<std::uint8_t>;

// A handler that remembers what it was registered as, whether it ran and when it was freed.
class TTaggedHandler : public TContentBase {
 public:
  explicit TTaggedHandler(std::string tag, bool* freed = nullptr) : mTag(std::move(tag)), mFreed(freed) {}
  ~TTaggedHandler() override {
    if (mFreed) *mFreed = true;
  }

  bool Execute(THttpRequest&, THttpReply&, const std::string& fileName, TKXApplication*, TStrings&) override {
    mExecutedWith.push_back(fileName);
    return mAnswer;
  }

  std::string mTag;
  bool* mFreed;
  bool mAnswer = true;
  std::vector<std::string> mExecutedWith;
};

std::string TagOf(TContentBase* handler) {
  auto* tagged = dynamic_cast<TTaggedHandler*>(handler);
  return tagged != nullptr ? tagged->mTag : "(none)";
}

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(no exception)";
}

// Registers a tagged handler under path + document and returns it.
TTaggedHandler* AddTagged(const std::string& path, const std::string& document) {
  auto handler = std::make_unique<TTaggedHandler>(path + document);
  TTaggedHandler* result = handler.get();
  THandlers::Add(path, document, std::move(handler));
  return result;
}

class THandlersTest : public ::testing::Test {
 protected:
  void SetUp() override { THandlers::Clear(); }
  void TearDown() override { THandlers::Clear(); }
};

// ---------------------------------------------------------------------------
// THandlers: matching

TEST_F(THandlersTest, EachKeyWinsOverEveryKeyTriedAfterIt) {
  // The keys tried for /a/b/c/d.txt, in order, each as (path, document).
  const std::vector<std::pair<std::string, std::string>> keys = {
      {"/a/b/c/", "d.txt"}, {"/a/b/c/", "*.txt"}, {"/a/b/c/", ""}, {"", "d.txt"},
      {"", "*.txt"},        {"/a/b/", ""},        {"/a/", ""},
  };
  for (std::size_t first = 0; first < keys.size(); ++first) {
    SCOPED_TRACE(keys[first].first + keys[first].second);
    THandlers::Clear();
    for (std::size_t i = keys.size(); i-- > first;) AddTagged(keys[i].first, keys[i].second);
    EXPECT_EQ(TagOf(THandlers::FindMatch("/a/b/c/d.txt")), keys[first].first + keys[first].second);
  }
}

TEST_F(THandlersTest, FolderBeatsExtensionButNotTheFileOrFolderExtension) {
  AddTagged("", "*.pdf");
  AddTagged("/docs/", "");
  EXPECT_EQ(TagOf(THandlers::FindMatch("/docs/a.pdf")), "/docs/");
  EXPECT_EQ(TagOf(THandlers::FindMatch("/other/a.pdf")), "*.pdf");
  AddTagged("/docs/", "*.pdf");
  EXPECT_EQ(TagOf(THandlers::FindMatch("/docs/a.pdf")), "/docs/*.pdf");
  AddTagged("/docs/", "a.pdf");
  EXPECT_EQ(TagOf(THandlers::FindMatch("/docs/a.pdf")), "/docs/a.pdf");
}

TEST_F(THandlersTest, ParentFoldersStopBelowTheRoot) {
  AddTagged("/", "");
  EXPECT_EQ(TagOf(THandlers::FindMatch("/a/b/c/d.txt")), "(none)");
  EXPECT_EQ(TagOf(THandlers::FindMatch("/a/")), "(none)");
  // A document right under the root has "/" as its folder.
  EXPECT_EQ(TagOf(THandlers::FindMatch("/d.txt")), "/");

  AddTagged("/a/", "");
  EXPECT_EQ(TagOf(THandlers::FindMatch("/a/b/c/")), "/a/");
  EXPECT_EQ(TagOf(THandlers::FindMatch("/a/b/c/d")), "/a/");
  EXPECT_EQ(TagOf(THandlers::FindMatch("/ab/c/")), "(none)");
}

TEST_F(THandlersTest, NeverMatchesEmptyRootOrInternalPaths) {
  EXPECT_EQ(THandlers::FindMatch("/reports/x.kxp"), nullptr) << "nothing registered";
  AddTagged("", "*.js");
  AddTagged("/", "");
  AddTagged("/$/", "");
  for (const char* path : {"", "/", "/$/", "/$/js/a.js", "/$/callback"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(THandlers::FindMatch(path), nullptr);
  }
  EXPECT_EQ(TagOf(THandlers::FindMatch("/js/a.js")), "*.js");
}

TEST_F(THandlersTest, CaseNeitherMattersForKeysNorForPaths) {
  TTaggedHandler* reports = AddTagged("/Reports/", "");
  TTaggedHandler* page = AddTagged("", "Index.KXP");
  EXPECT_EQ(THandlers::FindMatch("/REPORTS/x.PDF"), reports);
  EXPECT_EQ(THandlers::FindMatch("/index.kxp"), page);
  EXPECT_EQ(reports->Path(), "/Reports/") << "the path as given";
  EXPECT_EQ(page->Path(), "Index.KXP");
}

TEST_F(THandlersTest, DocumentsAndExtensionsRegisterWithoutPath) {
  auto kxp = std::make_unique<TTaggedHandler>("kxp");
  TTaggedHandler* handler = kxp.get();
  THandlers::AddForExtension(".kxp", std::move(kxp));
  EXPECT_EQ(handler->Path(), "*.kxp");
  EXPECT_EQ(THandlers::FindMatch("/shop/cart.kxp"), handler);

  auto doc = std::make_unique<TTaggedHandler>("doc");
  TTaggedHandler* document = doc.get();
  THandlers::Add("about.html", std::move(doc));
  EXPECT_EQ(THandlers::FindMatch("/any/where/about.html"), document);
}

// ---------------------------------------------------------------------------
// THandlers: registration

TEST_F(THandlersTest, AddRefusesMalformedPaths) {
  const struct {
    std::string path, document, message;
  } cases[] = {
      {"", "", "Path and Document cannot both be empty."},
      {"reports", "", "Path must start with /"},
      {"reports/", "x.html", "Path must start with /"},
      {"/reports", "", "Path must end with /"},
      {"/reports", "x.html", "Path must end with /"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + "|" + c.document);
    bool freed = false;
    EXPECT_EQ(MessageOf([&] { THandlers::Add(c.path, c.document, std::make_unique<TTaggedHandler>("x", &freed)); }),
              c.message);
    EXPECT_TRUE(freed) << "a refused handler is freed";
  }
  EXPECT_EQ(MessageOf([] { AddTagged("/", ""); }), "(no exception)");
  EXPECT_EQ(MessageOf([] { AddTagged("/", "x.html"); }), "(no exception)");
  EXPECT_EQ(TagOf(THandlers::FindMatch("/x.html")), "/x.html");
}

TEST_F(THandlersTest, ReplacingAKeyFreesTheOldHandler) {
  bool oldFreed = false;
  THandlers::Add("/r/", "", std::make_unique<TTaggedHandler>("old", &oldFreed));
  THandlers::Add("/R/", "", std::make_unique<TTaggedHandler>("new"));
  EXPECT_TRUE(oldFreed);
  EXPECT_EQ(TagOf(THandlers::FindMatch("/r/x")), "new");
}

TEST_F(THandlersTest, StartHandlerMayStartSessionsAndLaterOnesReplaceIt) {
  EXPECT_EQ(THandlers::GetStartHandler(nullptr), nullptr);
  auto first = std::make_unique<TTaggedHandler>("first");
  TTaggedHandler* firstHandler = first.get();
  THandlers::AddStartHandler("/start/", "", std::move(first));
  EXPECT_TRUE(firstHandler->CanStartSession());
  EXPECT_EQ(THandlers::GetStartHandler(nullptr), firstHandler);

  auto second = std::make_unique<TTaggedHandler>("second");
  TTaggedHandler* secondHandler = second.get();
  THandlers::AddStartHandler("", "welcome.html", std::move(second));
  EXPECT_EQ(THandlers::GetStartHandler(nullptr), secondHandler);
  EXPECT_EQ(THandlers::FindMatch("/start/"), firstHandler) << "still registered";
}

// The start handler used to dangle once its key was registered again.
TEST_F(THandlersTest, ReplacingTheStartHandlersKeyForgetsTheStartHandler) {
  THandlers::AddStartHandler("/start/", "", std::make_unique<TTaggedHandler>("start"));
  THandlers::Add("/start/", "", std::make_unique<TTaggedHandler>("plain"));
  EXPECT_EQ(THandlers::GetStartHandler(nullptr), nullptr);
}

TEST_F(THandlersTest, StartHandlerMethodDecidesFromTheRegisteredOne) {
  auto start = std::make_unique<TTaggedHandler>("start");
  TTaggedHandler* startHandler = start.get();
  THandlers::AddStartHandler("/start/", "", std::move(start));
  TTaggedHandler* other = AddTagged("/other/", "");
  TContentBase* offered = nullptr;
  THandlers::RegisterGetStartHandlerProc([&](TKXApplication*, TContentBase*& handler) {
    offered = handler;
    handler = other;
  });
  EXPECT_EQ(THandlers::GetStartHandler(nullptr), other);
  EXPECT_EQ(offered, startHandler);
}

// A controller whose OnConfig runs the test's code.
class TConfigController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TConfigController, TKXServerControllerBase)

 public:
  static inline std::function<void(TConfigController&)> Config;

 protected:
  void BuildComponents() override {
    OnConfig = [this](TObject*) {
      if (Config) Config(*this);
    };
  }
};

std::string gControllerFolder;

TEST_F(THandlersTest, RegistrationIsClosedOnceTheControllerIsLocked) {
  std::string pattern = gsTempPath() + "kx-handlers-XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  gControllerFolder = pattern + "/";
  gGetAppPath = [] { return gControllerFolder; };
  TConfigController::Config = [](TConfigController& sc) {
    gSC = &sc;  // as a host that publishes the controller early
    AddTagged("/config/", "");
  };
  {
    TOwnedComponent<TConfigController> sc(TComponent::Create<TConfigController>(nullptr));
    gSC = sc.get();
    EXPECT_EQ(MessageOf([] { AddTagged("/late/", ""); }),
              "Handlers.Add is locked. Suggestion: Set in ServerController OnConfig event instead.");
    EXPECT_EQ(TagOf(THandlers::FindMatch("/config/x")), "/config/");
    EXPECT_EQ(THandlers::FindMatch("/late/x"), nullptr);
    gSC = nullptr;
  }
  TConfigController::Config = nullptr;
  gGetAppPath = nullptr;
  fs::remove_all(gControllerFolder);
}

// ---------------------------------------------------------------------------
// TContentBase

class TContentBaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = gsTempPath() + "kx-content-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    mFolder = pattern + "/";
    Buffer packet(THttpPacket::HostBufferSize);
    packet.resize(std::size_t(WriteRequestPacket(TRequestPacketFields{}, packet.data(), std::int64_t(packet.size()))));
    mRequest = std::make_unique<THttpRequest>(packet.data(), std::int64_t(packet.size()));
    mReply = std::make_unique<THttpReply>(mReplyBuffer.data(), std::int32_t(mReplyBuffer.size()));
  }
  void TearDown() override { fs::remove_all(mFolder); }

  bool DoExecute(TContentBase& handler, const std::string& fileName) {
    return handler.DoExecute(*mRequest, *mReply, fileName, nullptr, mParams);
  }
  TReplyPacket Committed() {
    mReply->Commit();
    return ReadReplyPacket(mReplyBuffer.data(), std::int64_t(mReplyBuffer.size()));
  }

  std::string mFolder;
  Buffer mReplyBuffer = Buffer(THttpPacket::HostBufferSize);
  std::unique_ptr<THttpRequest> mRequest;
  std::unique_ptr<THttpReply> mReply;
  TStringList mParams;
};

TEST_F(TContentBaseTest, MissingFileAnswers404WithoutRunningTheHandler) {
  TTaggedHandler handler("x");
  EXPECT_TRUE(DoExecute(handler, mFolder + "missing.pdf"));
  EXPECT_TRUE(handler.mExecutedWith.empty());
  EXPECT_EQ(mReply->Code(), 404);
  EXPECT_EQ(mReply->ContentType(), "text/html");
}

TEST_F(TContentBaseTest, MissingIndexKxpLetsDispatchFallBack) {
  TTaggedHandler handler("x");
  for (const char* name : {"index.kxp", "INDEX.KXP", "sub/Index.Kxp"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(DoExecute(handler, mFolder + name));
    EXPECT_NE(mReply->Code(), 404);
  }
  EXPECT_TRUE(DoExecute(handler, mFolder + "myindex.kxp")) << "only a document named index.kxp";
  EXPECT_EQ(mReply->Code(), 404);
}

TEST_F(TContentBaseTest, ExistingFileRunsTheHandlerAndReturnsItsAnswer) {
  std::ofstream(mFolder + "a.pdf") << "%PDF";
  fs::create_directory(mFolder + "folder.pdf");
  TTaggedHandler handler("x");
  handler.mAnswer = false;
  EXPECT_FALSE(DoExecute(handler, mFolder + "a.pdf"));
  EXPECT_EQ(handler.mExecutedWith, std::vector<std::string>{mFolder + "a.pdf"});
  EXPECT_TRUE(DoExecute(handler, mFolder + "folder.pdf")) << "a folder is no file";
  EXPECT_EQ(mReply->Code(), 404);
  EXPECT_EQ(handler.mExecutedWith.size(), 1u);
}

TEST_F(TContentBaseTest, HandlerThatNeedsNoFileRunsForAMissingOne) {
  TTaggedHandler handler("x");
  handler.SetFileMustExist(false);
  EXPECT_TRUE(DoExecute(handler, mFolder + "missing.pdf"));
  EXPECT_EQ(handler.mExecutedWith.size(), 1u);
  EXPECT_NE(mReply->Code(), 404);
}

TEST_F(TContentBaseTest, StubHandlersAnswerHelloOrNothing) {
  TContentPas pas;
  pas.SetFileMustExist(false);
  EXPECT_TRUE(DoExecute(pas, ""));
  EXPECT_EQ(Committed().Content, "Hello");
  TContentRSS rss;
  rss.SetFileMustExist(false);
  EXPECT_FALSE(DoExecute(rss, ""));
}

// ---------------------------------------------------------------------------
// TContentForm (what it does without a session)

class TAbstractForm : public TComponent {
  KX_COMPONENT_CLASS(TAbstractForm, TComponent)

 public:
  virtual void Pure() = 0;
};

class TPlainComponent : public TComponent {
  KX_COMPONENT_CLASS(TPlainComponent, TComponent)
};

class TContentFormTest : public TContentBaseTest {
 protected:
  void TearDown() override {
    TContentBaseTest::TearDown();
  }
};

TEST_F(TContentFormTest, ClassNameMustNameARegisteredClass) {
  const std::string notRegistered =
      "TContentForm: KXAppForm class \"TMissing\" is not registered. \r\n"
      "You must use RegisterClass() to register your KXAppForm class before executing it.";
  EXPECT_EQ(MessageOf([] { TContentForm form("TMissing"); }), notRegistered) << "no class registry";
  gFindAppFormClass = [](const std::string& name) -> const TComponentClass* {
    return SameText(name, "TPlainComponent") ? &TPlainComponent::ClassRecord() : nullptr;
  };
  EXPECT_EQ(MessageOf([] { TContentForm form("TMissing"); }), notRegistered);
  EXPECT_EQ(MessageOf([] { TContentForm form(""); }), "TContentForm: KXAppForm class name is not defined.");
  EXPECT_EQ(MessageOf([] { TContentForm form(static_cast<const TComponentClass*>(nullptr)); }),
            "TContentForm: KXAppForm class name is not defined.");
  EXPECT_EQ(MessageOf([] { TContentForm form(&TAbstractForm::ClassRecord()); }),
            "TContentForm: KXAppForm class \"TAbstractForm\" cannot be created.");
  EXPECT_THROW(TContentForm form("TMissing"), EKXContentFormException);

  TContentForm found("tplaincomponent");
  EXPECT_EQ(found.FormClass(), &TPlainComponent::ClassRecord());
  EXPECT_FALSE(found.FileMustExist());
  EXPECT_TRUE(found.UseExistingInstance());
}

TEST_F(TContentFormTest, BeforeExecuteOrAMissingSessionStopsIt) {
  bool askedWithSelf = false;
  TContentForm handler(&TPlainComponent::ClassRecord(), [&](TContentBase* sender, bool& aContinue) {
    askedWithSelf = sender != nullptr;
    aContinue = false;
  });
  EXPECT_FALSE(handler.Execute(*mRequest, *mReply, "", nullptr, mParams));
  EXPECT_TRUE(askedWithSelf);
  handler.OnBeforeExecute = nullptr;
  EXPECT_FALSE(handler.Execute(*mRequest, *mReply, "", nullptr, mParams));
}

TEST_F(TContentFormTest, RequestAuthAsksTheFormClass) {
  TContentForm handler(&TPlainComponent::ClassRecord());
  std::string realm;
  EXPECT_TRUE(handler.RequestAuth(*mRequest, realm)) << "without the forms layer";
  gAppFormClassRequestAuth = [](const TComponentClass& formClass, const THttpRequest&, std::string& realm) {
    realm = std::string(formClass.Name);
    return false;
  };
  EXPECT_FALSE(handler.RequestAuth(*mRequest, realm));
  EXPECT_EQ(realm, "TPlainComponent");
}

// ---------------------------------------------------------------------------
// TContentForm with a session

// A test form that also takes the request as an application form does.
class TURLForm : public TTestForm, public virtual IKXAppForm {
  KX_COMPONENT_CLASS(TURLForm, TTestForm)

 public:
  void DoURLRequest(THttpRequest& request) override { mRequestSeen = &request; }
  THttpRequest* mRequestSeen = nullptr;
};

constexpr const char* kChrome = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";

class TContentFormSessionTest : public TContentBaseTest {
 protected:

  void SetUp() override {
    TContentBaseTest::SetUp();
    gControllerFolder = mFolder;
    gGetAppPath = [] { return gControllerFolder; };
    mController.reset(TComponent::Create<TKXServerControllerBase>(nullptr));
    gServerController = mController.get();
    mSession = TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser(kChrome), mRequest.get(),
                                                  mReply.get(), "192.0.2.1", "", "", "/app");
  }

  void TearDown() override {
    mSession->Unlock();
    mController.reset();
    TContentBaseTest::TearDown();
  }

  bool Execute(TContentForm& handler) { return handler.DoExecute(*mRequest, *mReply, "", mSession, mParams); }
  void NewReply() {
    mReply = std::make_unique<THttpReply>(mReplyBuffer.data(), std::int32_t(mReplyBuffer.size()));
    mSession->Initialize(mRequest.get(), mReply.get());
  }

  TOwnedComponent<TKXServerControllerBase> mController;
  TKXApplication* mSession = nullptr;
};

TEST_F(TContentFormSessionTest, ShowsANewFormAndSendsSubmitsBackToTheHandlersURL) {
  auto owned = std::make_unique<TContentForm>(&TURLForm::ClassRecord());
  TContentForm& handler = *owned;
  THandlers::Clear();
  gSC = nullptr;  // registered as during start-up, before the controller is published
  THandlers::Add("/shop/", "", std::move(owned));
  gSC = mController.get();

  EXPECT_TRUE(Execute(handler));
  auto* form = dynamic_cast<TURLForm*>(mSession->GetActiveForm());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Owner(), mSession);
  EXPECT_EQ(form->mRequestSeen, mRequest.get());
  EXPECT_EQ(form->mExecuteCount, 1);
  EXPECT_EQ(mSession->MappedURL(), "/app/shop/");
  EXPECT_EQ(mSession->GetExecAction(), "/app/shop/");
  EXPECT_EQ(Committed().Content, "<html> track 2</html>");
  THandlers::Clear();
}

TEST_F(TContentFormSessionTest, ReusesTheSessionsFormUnlessToldNotTo) {
  TContentForm handler(&TURLForm::ClassRecord());
  EXPECT_TRUE(Execute(handler));
  TComponent* first = mSession->GetActiveForm();
  NewReply();
  EXPECT_TRUE(Execute(handler));
  EXPECT_EQ(mSession->GetActiveForm(), first);
  EXPECT_EQ(mSession->GetFormCount(), 1);
  EXPECT_EQ(dynamic_cast<TURLForm*>(first)->mExecuteCount, 2);

  handler.SetUseExistingInstance(false);
  NewReply();
  EXPECT_TRUE(Execute(handler));
  EXPECT_NE(mSession->GetActiveForm(), first);
  EXPECT_EQ(mSession->GetFormCount(), 2);
}

TEST_F(TContentFormSessionTest, TerminatedSessionAnswersWithItsOverride) {
  mSession->Terminate();
  auto stream = std::make_unique<TKXRenderStream>(true, false);
  stream->Write("bye");
  mSession->SetRenderOverride(std::move(stream));
  TContentForm handler(&TURLForm::ClassRecord());
  EXPECT_TRUE(Execute(handler));
  EXPECT_EQ(Committed().Content, "bye");
  auto* form = dynamic_cast<TURLForm*>(mSession->LastForm());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->mExecuteCount, 0);
  EXPECT_EQ(form->mRequestSeen, nullptr);
}

TEST_F(TContentFormSessionTest, ClassThatMakesNoFormRaisesAndLeavesNothing) {
  TContentForm handler(&TPlainComponent::ClassRecord());
  const int forms = mSession->ComponentCount();
  EXPECT_THROW(Execute(handler), EKXContentFormException);
  EXPECT_EQ(mSession->ComponentCount(), forms);
  EXPECT_EQ(mSession->GetActiveForm(), nullptr);
}

}  // namespace
}  // namespace kx
