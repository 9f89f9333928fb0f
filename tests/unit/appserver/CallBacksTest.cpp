#include "kx/appserver/CallBacks.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/platform/Utf8.h"
#include "support/Escaping.h"

namespace kx {
namespace {

// The response rendered by StreamResponse.
std::string Streamed(TKXCallBackResponse& response) {
  TKXRenderStream stream(true, true);
  response.StreamResponse(stream);
  return stream.GetAsString();
}

// A parsed callback document; Ok() is false when the text is not well-formed XML.
class TParsedResponse {
 public:
  explicit TParsedResponse(const std::string& xml)
      : mDoc(xmlReadMemory(xml.data(), int(xml.size()), "response.xml", "UTF-8",
                           XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING)) {}
  ~TParsedResponse() { xmlFreeDoc(mDoc); }
  TParsedResponse(const TParsedResponse&) = delete;
  TParsedResponse& operator=(const TParsedResponse&) = delete;

  bool Ok() const { return mDoc != nullptr; }
  xmlNodePtr Root() const { return xmlDocGetRootElement(mDoc); }
  // The element child of the root named name.
  xmlNodePtr Part(const char* name) const {
    for (xmlNodePtr child = xmlFirstElementChild(Root()); child != nullptr; child = xmlNextElementSibling(child))
      if (Name(child) == name) return child;
    return nullptr;
  }

  static std::string Name(xmlNodePtr node) { return reinterpret_cast<const char*>(node->name); }
  static std::vector<xmlNodePtr> Elements(xmlNodePtr parent) {
    std::vector<xmlNodePtr> result;
    for (xmlNodePtr child = xmlFirstElementChild(parent); child != nullptr; child = xmlNextElementSibling(child))
      result.push_back(child);
    return result;
  }
  static std::string Text(xmlNodePtr node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = content != nullptr ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return text;
  }
  static std::string Attribute(xmlNodePtr node, const char* name) {
    xmlChar* value = xmlGetProp(node, BAD_CAST name);
    std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
  }

 private:
  xmlDocPtr mDoc;
};

// What an XML reader gets back for text: invalid UTF-8 as U+FFFD, the
// characters XML cannot carry gone, line ends read as LF.
std::string AsReadBack(const std::string& text) {
  std::u32string out;
  const std::u32string chars = Utf8ToCodePoints(text);
  for (std::size_t i = 0; i < chars.size(); ++i) {
    const char32_t c = chars[i];
    if (c == '\r') {
      out += U'\n';
      if (i + 1 < chars.size() && chars[i + 1] == '\n') ++i;
    } else if ((c >= 0x20 && c != 0xFFFE && c != 0xFFFF) || c == '\t' || c == '\n') {
      out += c;
    }
  }
  return CodePointsToUtf8(out);
}

std::vector<std::string> HostileTexts() {
  std::vector<std::string> texts = test::HostileStrings();
  texts.insert(texts.end(), {"]]>", "a]]>b]]>", "]]]]><![CDATA[>", "<![CDATA[x]]>", "x]]", "]",
                             "if (a < b && c > d) { s = \"'\"; }", "<script>alert('x')</script>",
                             std::string("\x01\x08\x0B\x0C\x1F\x7F", 6), "\xEF\xBF\xBE\xEF\xBF\xBF end",
                             "caf\xC3\xA9 \xF0\x9F\x98\x80", "&amp; &#1; &bogus;", ""});
  return texts;
}

// A form as the callback registry sees it.
class TFakeForm : public TComponent, public virtual IKXForm {
  KX_COMPONENT_CLASS(TFakeForm, TComponent)

 public:
  TKXFormState mState = fsCreated;
  TStringList mParams;
  bool mNotify = false;

  TKXForm* KXForm() override { return nullptr; }
  TKXFormState FormState() const override { return mState; }
  TKXConnectionMode ConnectionMode() const override { return cmAny; }
  bool IsAppForm() const override { return true; }
  void DoShow() override {}
  void Show() override {}
  void ForceAlign() override {}
  TStrings& Params() override { return mParams; }
  void ExecuteForm(const TStrings&) override {}
  void GenerateForm(TKXRenderStream&) override {}
  void GenerateCallBack(IKXCallBackResponse&) override {}
  void ResyncEvents() override {}
  bool RequestAuth(const THttpRequest&, std::string&) override { return false; }
  bool SendAJAXNotification() const override { return mNotify; }
  std::string GetKXAJAXNotificationJSCode() const override { return "notify();"; }
  const TComponentClass* MessageForm() const override { return nullptr; }
};

TOwnedComponent<TFakeForm> NewForm(const std::string& name, TKXFormState state) {
  TOwnedComponent<TFakeForm> form(TComponent::Create<TFakeForm>(nullptr));
  form->SetName(name);
  form->mState = state;
  return form;
}

// ---------------------------------------------------------------------------
// TKXCallBackResponse

TEST(TKXCallBackResponse, EmptyResponseHasTheFiveEmptyPartsInOrder) {
  TKXCallBackResponse response(nullptr);
  const std::string xml = Streamed(response);
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><response>", 0), 0u) << xml;

  TParsedResponse parsed(xml);
  ASSERT_TRUE(parsed.Ok()) << xml;
  EXPECT_EQ(TParsedResponse::Name(parsed.Root()), "response");
  std::vector<std::string> names;
  for (xmlNodePtr part : TParsedResponse::Elements(parsed.Root())) {
    names.push_back(TParsedResponse::Name(part));
    EXPECT_EQ(TParsedResponse::Text(part), "") << names.back();
  }
  EXPECT_EQ(names, (std::vector<std::string>{"update", "execute", "rewrite", "submit", "trackid"}));
}

// F13: a "]]>" inside a script or page used to end the CDATA section early;
// texts were also written unescaped into the submit and trackid parts.
TEST(TKXCallBackResponse, EveryPartStaysWellFormedAndReadsBackForHostileTexts) {
  for (const std::string& text : HostileTexts()) {
    SCOPED_TRACE(testing::PrintToString(text));
    TKXCallBackResponse response(nullptr);
    response.AddJavaScriptToExecute(text);
    response.AddJavaScriptToExecuteAsCDATA(text);
    response.AddTagToRewrite(text);
    response.SetSubmitURL(text);
    response.SetTrackNumber(text);
    const std::string xml = Streamed(response);

    TParsedResponse parsed(xml);
    ASSERT_TRUE(parsed.Ok()) << xml;
    const std::string expected = AsReadBack(text);
    const std::vector<xmlNodePtr> literals = TParsedResponse::Elements(parsed.Part("execute"));
    ASSERT_EQ(literals.size(), text.empty() ? 1u : 2u);
    for (xmlNodePtr literal : literals) {
      EXPECT_EQ(TParsedResponse::Name(literal), "literal");
      EXPECT_EQ(TParsedResponse::Text(literal), expected);
    }
    EXPECT_EQ(TParsedResponse::Text(parsed.Part("rewrite")), expected);
    EXPECT_EQ(TParsedResponse::Text(parsed.Part("submit")), expected);
    EXPECT_EQ(TParsedResponse::Text(parsed.Part("trackid")), expected);
  }
}

TEST(TKXCallBackResponse, CDATAVariantWritesOneSectionAndSkipsTheEmptyScript) {
  TKXCallBackResponse response(nullptr);
  response.AddJavaScriptToExecuteAsCDATA("");
  response.AddJavaScriptToExecuteAsCDATA("a<b");
  const std::string xml = Streamed(response);
  EXPECT_NE(xml.find("<execute>\r\n<literal><![CDATA[a<b]]></literal></execute>"), std::string::npos) << xml;
}

TEST(TKXCallBackResponse, ScriptsKeepTheirCallOrder) {
  TKXCallBackResponse response(nullptr);
  response.AddJavaScriptToExecute("one();");
  response.AddJavaScriptToExecuteAsCDATA("two();");
  auto tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", "X");
  response.AddTagToExecute(std::move(tag));
  response.AddJavaScriptToExecute("three();");

  TParsedResponse parsed(Streamed(response));
  ASSERT_TRUE(parsed.Ok());
  std::vector<std::string> seen;
  for (xmlNodePtr child : TParsedResponse::Elements(parsed.Part("execute")))
    seen.push_back(TParsedResponse::Name(child) + ":" + TParsedResponse::Text(child));
  EXPECT_EQ(seen, (std::vector<std::string>{"literal:one();", "literal:two();", "control:", "literal:three();"}));
}

TEST(TKXCallBackResponse, UpdateTakesStreamsTextsAndTagsInCallOrder) {
  TKXCallBackResponse response(nullptr);
  TKXRenderStream stream(true, true);
  stream.Write("<control id=\"A\"/>");
  response.AddTagToUpdate(stream);
  response.AddTagToUpdate(std::string("<control id=\"B\"/>"));
  auto tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", "C \"quoted\" <x> & y");
  auto* inner = static_cast<TKXXMLTag*>(tag->Contents()->AddTag("innerHTML", false));
  inner->SetCDATA(true);
  inner->Contents()->AddText("<b>]]></b>", false);
  response.AddTagToUpdate(std::move(tag));

  TParsedResponse parsed(Streamed(response));
  ASSERT_TRUE(parsed.Ok());
  const std::vector<xmlNodePtr> controls = TParsedResponse::Elements(parsed.Part("update"));
  ASSERT_EQ(controls.size(), 3u);
  EXPECT_EQ(TParsedResponse::Attribute(controls[0], "id"), "A");
  EXPECT_EQ(TParsedResponse::Attribute(controls[1], "id"), "B");
  EXPECT_EQ(TParsedResponse::Attribute(controls[2], "id"), "C \"quoted\" <x> & y");
  EXPECT_EQ(TParsedResponse::Text(xmlFirstElementChild(controls[2])), "<b>]]></b>");
  EXPECT_EQ(stream.Stream()->Position(), 17) << "the stream's position is kept";
}

TEST(TKXCallBackResponse, UpdateMarkupLosesOnlyTheCharactersXMLCannotCarry) {
  TKXCallBackResponse response(nullptr);
  response.AddTagToUpdate(std::string("<control id=\"A\">x\x01y\x1Fz\xFF</control>"));
  TParsedResponse parsed(Streamed(response));
  ASSERT_TRUE(parsed.Ok());
  EXPECT_EQ(TParsedResponse::Text(parsed.Part("update")), "xyz\xEF\xBF\xBD");
}

TEST(TKXCallBackResponse, InitializeEmptiesEveryPartAndTheResponseStaysUsable) {
  TKXCallBackResponse response(nullptr);
  response.AddTagToUpdate(std::string("<control/>"));
  response.AddJavaScriptToExecute("a();");
  response.AddTagToRewrite("<html></html>");
  response.SetSubmitURL("/app/$/");
  response.SetTrackNumber("1a");
  const std::string empty = Streamed(*std::make_unique<TKXCallBackResponse>(nullptr));

  response.Initialize();
  EXPECT_EQ(Streamed(response), empty);

  response.SetTrackNumber("1b");
  TParsedResponse parsed(Streamed(response));
  ASSERT_TRUE(parsed.Ok());
  EXPECT_EQ(TParsedResponse::Text(parsed.Part("trackid")), "1b");
}

// The document is made by the first part added or by streaming, whichever part that is, and Initialize lets it go.
TEST(TKXCallBackResponse, DocumentIsMadeOnFirstUseAndLetGoByInitialize) {
  const struct {
    const char* what;
    void (*use)(TKXCallBackResponse&);
  } firstUses[] = {
      {"script", [](TKXCallBackResponse& r) { r.AddJavaScriptToExecute("a();"); }},
      {"CDATA script", [](TKXCallBackResponse& r) { r.AddJavaScriptToExecuteAsCDATA("a();"); }},
      {"update text", [](TKXCallBackResponse& r) { r.AddTagToUpdate(std::string("<control/>")); }},
      {"rewrite", [](TKXCallBackResponse& r) { r.AddTagToRewrite("<html></html>"); }},
      {"submit", [](TKXCallBackResponse& r) { r.SetSubmitURL("/app/$/"); }},
      {"track", [](TKXCallBackResponse& r) { r.SetTrackNumber("1a"); }},
      {"stream", [](TKXCallBackResponse& r) { Streamed(r); }},
  };
  for (const auto& first : firstUses) {
    SCOPED_TRACE(first.what);
    TKXCallBackResponse response(nullptr);
    EXPECT_FALSE(response.HasDocument());
    first.use(response);
    EXPECT_TRUE(response.HasDocument());
    response.Initialize();
    EXPECT_FALSE(response.HasDocument());
  }
  // The empty script adds nothing, so it makes nothing either.
  TKXCallBackResponse response(nullptr);
  response.AddJavaScriptToExecuteAsCDATA("");
  EXPECT_FALSE(response.HasDocument());
}

TEST(TKXCallBackResponse, RepeatedTextsAppend) {
  TKXCallBackResponse response(nullptr);
  response.SetSubmitURL("/a?x=1");
  response.SetSubmitURL("&y=2");
  response.AddTagToRewrite("<p>1</p>");
  response.AddTagToRewrite("<p>2</p>");
  TParsedResponse parsed(Streamed(response));
  ASSERT_TRUE(parsed.Ok());
  EXPECT_EQ(TParsedResponse::Text(parsed.Part("submit")), "/a?x=1&y=2");
  EXPECT_EQ(TParsedResponse::Text(parsed.Part("rewrite")), "<p>1</p><p>2</p>");
}

TEST(TKXCallBackResponse, DoFullSubmitIsNotImplemented) {
  TKXCallBackResponse response(nullptr);
  try {
    response.DoFullSubmit();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Operation not implemented");
  }
}

// ---------------------------------------------------------------------------
// TKXCallBacks without a session

TEST(TKXCallBacks, QualifiedNameQualifiesOnlyFormsAtWork) {
  struct Case {
    TKXFormState state;
    std::string name;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {fsCreating, "DoIt", "Main.DoIt"},          {fsRendering, "DoIt", "Main.DoIt"},
      {fsExecuting, "DoIt", "Main.DoIt"},         {fsCreated, "DoIt", "DoIt"},
      {fsUndefined, "DoIt", "DoIt"},              {fsExecuting, "Main.DoIt", "Main.DoIt"},
      {fsExecuting, "MAIN.DoIt", "MAIN.DoIt"},    {fsExecuting, "MainX.DoIt", "Main.MainX.DoIt"},
      {fsExecuting, "Main", "Main.Main"},         {fsExecuting, "", "Main."},
  };
  auto form = NewForm("Main", fsCreated);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " in state " + std::to_string(int(c.state)));
    form->mState = c.state;
    EXPECT_EQ(TKXCallBacks::QualifiedName(form.get(), c.name), c.expected);
  }
  TOwnedComponent<TComponent> plain(TComponent::Create<TComponent>(nullptr));
  plain->SetName("Main");
  EXPECT_EQ(TKXCallBacks::QualifiedName(plain.get(), "DoIt"), "DoIt");
  EXPECT_EQ(TKXCallBacks::QualifiedName(nullptr, "DoIt"), "DoIt");
}

TEST(TKXCallBacks, RegistryIsSortedIgnoresCaseAndReplacesTheMethod) {
  TKXCallBacks callbacks(nullptr);
  std::vector<std::string> calls;
  callbacks.RegisterCallBack("b.Click", [&](TStrings&) { calls.push_back("b"); });
  callbacks.RegisterCallBack("A.Click", [&](TStrings&) { calls.push_back("A old"); });
  callbacks.RegisterCallBack("a.CLICK", [&](TStrings&) { calls.push_back("A new"); });
  ASSERT_EQ(callbacks.Count(), 2);
  EXPECT_EQ(callbacks.Strings(0), "A.Click");
  EXPECT_EQ(callbacks.Strings(1), "b.Click");
  EXPECT_EQ(static_cast<TKXCallback*>(callbacks.Objects(0))->Name(), "A.Click");

  callbacks.PerformCallBack(nullptr, "A.CLICK");
  callbacks.PerformCallBack(nullptr, "b.click");
  EXPECT_EQ(calls, (std::vector<std::string>{"A new", "b"}));
}

TEST(TKXCallBacks, FindCallbackFallsBackToThePlainName) {
  TKXCallBacks callbacks(nullptr);
  callbacks.RegisterCallBack("Main.DoIt", [](TStrings&) {});
  callbacks.RegisterCallBack("Plain", [](TStrings&) {});
  EXPECT_EQ(callbacks.FindCallback("main.doit", "DoIt"), 0);
  EXPECT_EQ(callbacks.FindCallback("Main.Plain", "Plain"), 1);
  EXPECT_EQ(callbacks.FindCallback("Main.Other", "Other"), -1);
  EXPECT_EQ(callbacks.FindCallback("Other", "other"), -1);
}

TEST(TKXCallBacks, UnregisterDeletesOnlyThatName) {
  TKXCallBacks callbacks(nullptr);
  callbacks.RegisterCallBack("One", [](TStrings&) {});
  callbacks.RegisterCallBack("Two", [](TStrings&) {});
  callbacks.UnregisterCallBack("ONE");
  callbacks.UnregisterCallBack("Three");
  ASSERT_EQ(callbacks.Count(), 1);
  EXPECT_EQ(callbacks.Strings(0), "Two");
}

TEST(TKXCallBacks, WhatTheMethodRaisesPropagates) {
  TKXCallBacks callbacks(nullptr);
  callbacks.RegisterCallBack("Boom", [](TStrings&) { throw EKXException("boom"); });
  EXPECT_THROW(callbacks.PerformCallBack(nullptr, "Boom"), EKXException);
}

// A method that unregisters or re-registers its own callback used to free the
// code it was running.
TEST(TKXCallBacks, MethodMayUnregisterOrReplaceItsOwnCallback) {
  TKXCallBacks callbacks(nullptr);
  int runs = 0;
  callbacks.RegisterCallBack("Once", [&callbacks, &runs, keep = std::string(200, 'x')](TStrings&) {
    callbacks.UnregisterCallBack("Once");
    runs += int(keep.size() / 200);
  });
  callbacks.PerformCallBack(nullptr, "Once");
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(callbacks.Count(), 0);

  callbacks.RegisterCallBack("Again", [&callbacks, &runs, keep = std::string(200, 'y')](TStrings&) {
    callbacks.RegisterCallBack("Again", [&runs](TStrings&) { runs += 10; });
    runs += int(keep.size() / 200);
  });
  callbacks.PerformCallBack(nullptr, "Again");
  callbacks.PerformCallBack(nullptr, "Again");
  EXPECT_EQ(runs, 12);
}

// ---------------------------------------------------------------------------
// TKXCallBacks of a session

constexpr const char* kChrome = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";
std::string gSessionFolder;

class TKXCallBacksSessionTest : public ::testing::Test {
 protected:

  void SetUp() override {
    std::string pattern = gsTempPath() + "kx-callbacks-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    gSessionFolder = pattern + "/";
    gGetAppPath = [] { return gSessionFolder; };
    mSavedCallBacks = gCreateCallBacks;
    mSavedResponse = gCreateCallBackResponse;
    InstallCallBacks();
    mController.reset(TComponent::Create<TKXServerControllerBase>(nullptr));
    gServerController = mController.get();
    mSession = TComponent::Create<TKXApplication>(nullptr, TBrowser::CreateBrowser(kChrome), nullptr, nullptr,
                                                  "192.0.2.1", "", "", "/app");
  }

  void TearDown() override {
    mSession->Unlock();
    mController.reset();  // frees the store and the session
    gCreateCallBacks = mSavedCallBacks;
    gCreateCallBackResponse = mSavedResponse;
    std::filesystem::remove_all(gSessionFolder);
  }

  TFakeForm* NewSessionForm(const std::string& name, TKXFormState state) {
    TFakeForm* form = TComponent::Create<TFakeForm>(mSession);
    form->SetName(name);
    form->mState = state;
    return form;
  }
  TKXCallBacks& CallBacks() { return *dynamic_cast<TKXCallBacks*>(mSession->CallBacks()); }
  TKXCallBackResponse& Response() { return *dynamic_cast<TKXCallBackResponse*>(mSession->CallBackResponse()); }
  // The texts of the "literal" children of "execute".
  std::vector<std::string> Scripts() {
    TParsedResponse parsed(Streamed(Response()));
    std::vector<std::string> scripts;
    if (!parsed.Ok()) return {"(not well-formed)"};
    for (xmlNodePtr literal : TParsedResponse::Elements(parsed.Part("execute")))
      scripts.push_back(TParsedResponse::Text(literal));
    return scripts;
  }

  TKXCreateCallBacks mSavedCallBacks = nullptr;
  TKXCreateCallBackResponse mSavedResponse = nullptr;
  TOwnedComponent<TKXServerControllerBase> mController;
  TKXApplication* mSession = nullptr;
};

TEST_F(TKXCallBacksSessionTest, SessionGetsTheRegistryAndTheResponse) {
  ASSERT_NE(dynamic_cast<TKXCallBacks*>(mSession->CallBacks()), nullptr);
  ASSERT_NE(dynamic_cast<TKXCallBackResponse*>(mSession->CallBackResponse()), nullptr);
  EXPECT_EQ(CallBacks().Session(), mSession);
  EXPECT_EQ(Response().Owner(), mSession);
}

TEST_F(TKXCallBacksSessionTest, NameRegisteredWhileTheFormIsCreatedIsFoundFromThatForm) {
  TFakeForm* main = NewSessionForm("Main", fsCreating);
  int calls = 0;
  mSession->RegisterCallBack("DoIt", [&](TStrings&) { ++calls; });
  ASSERT_EQ(CallBacks().Count(), 1);
  EXPECT_EQ(CallBacks().Strings(0), "Main.DoIt");

  main->mState = fsExecuting;
  mSession->SetActiveForm(main);
  mSession->PerformCallBack(main, "DoIt");
  mSession->PerformCallBack(main, "Main.DoIt");
  mSession->PerformCallBack(nullptr, "main.doit");
  EXPECT_EQ(calls, 3);
  EXPECT_TRUE(Scripts().empty());

  mSession->PerformCallBack(nullptr, "DoIt");
  EXPECT_EQ(calls, 3) << "the plain name is not registered";
  EXPECT_EQ(Scripts(), std::vector<std::string>{"logMessage(\"Callback method not found: DoIt\")"});
}

TEST_F(TKXCallBacksSessionTest, OutsideCreationTheActiveFormOwnsNewNames) {
  TFakeForm* main = NewSessionForm("Main", fsExecuting);
  NewSessionForm("Other", fsCreated);  // the last created form, but not being created
  mSession->SetActiveForm(main);
  mSession->RegisterCallBack("Click", [](TStrings&) {});
  EXPECT_EQ(CallBacks().GetOwnerForm(), main);
  ASSERT_EQ(CallBacks().Count(), 1);
  EXPECT_EQ(CallBacks().Strings(0), "Main.Click");

  mSession->UnregisterCallBack("Click");
  EXPECT_EQ(CallBacks().Count(), 0);
}

// Issue 31, fault 5: a callback qualified with a live form that was not active ran that form's handler, so a form
// behind a login or confirmation form could be driven.
TEST_F(TKXCallBacksSessionTest, AFormsCallbacksRunOnlyWhileItIsActive) {
  std::vector<std::string> ran;
  auto record = [&ran](std::string what) { return [&ran, what](TStrings&) { ran.push_back(what); }; };
  mSession->RegisterCallBack("Ping", record("Ping"));  // no form: the session's own
  TFakeForm* main = NewSessionForm("Main", fsExecuting);
  mSession->SetActiveForm(main);
  mSession->RegisterCallBack("BUTTON2.DoOnAsyncClick", record("Main.BUTTON2"));
  TFakeForm* login = NewSessionForm("Login", fsExecuting);
  mSession->SetActiveForm(login);
  mSession->RegisterCallBack("Go", record("Login.Go"));
  const struct {
    TFakeForm* Active;
    const char* Name;
    const char* Ran;  // "" when refused
  } cases[] = {
      {login, "Main.BUTTON2.DoOnAsyncClick", ""},
      {login, "main.button2.doonasyncclick", ""},
      {login, "Ping", "Ping"},
      {login, "Go", "Login.Go"},
      {login, "Login.Go", "Login.Go"},
      {main, "Main.BUTTON2.DoOnAsyncClick", "Main.BUTTON2"},
      {main, "BUTTON2.DoOnAsyncClick", "Main.BUTTON2"},
      {main, "Login.Go", ""},
      {main, "Ping", "Ping"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Active->Name()) + " active, " + c.Name);
    mSession->SetActiveForm(c.Active);
    ran.clear();
    Response().Initialize();
    mSession->PerformCallBack(c.Active, c.Name);
    EXPECT_EQ(ran, std::string(c.Ran).empty() ? std::vector<std::string>{} : std::vector<std::string>{c.Ran});
    EXPECT_EQ(Scripts().size(), std::string(c.Ran).empty() ? 1u : 0u);
  }
}

// F10: the name used to be put into the script string unescaped.
TEST_F(TKXCallBacksSessionTest, UnknownNameIsReportedSafely) {
  const struct {
    std::string name;
    std::string logged;
  } cases[] = {
      {"Nobody", "Callback method not found: Nobody"},
      {"x<script>alert(1)</script>", "Callback method not found"},
      {"a\");alert(document.cookie);//", "Callback method not found: a\");alert(document.cookie);//"},
      {"b]]>c'&\\d\r\n", "Callback method not found: b]]>c'&\\d\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Response().Initialize();
    EXPECT_NO_THROW(mSession->PerformCallBack(nullptr, c.name));
    const std::vector<std::string> scripts = Scripts();
    ASSERT_EQ(scripts.size(), 1u);
    const std::string& script = scripts[0];
    const std::string prefix = "logMessage(\"";
    const std::string suffix = "\")";
    ASSERT_EQ(script.rfind(prefix, 0), 0u) << script;
    ASSERT_GE(script.size(), prefix.size() + suffix.size());
    const std::string body = script.substr(prefix.size(), script.size() - prefix.size() - suffix.size());
    EXPECT_EQ(script.substr(script.size() - suffix.size()), suffix);
    for (char c : {'"', '<', '\'', '&', '\r', '\n'}) EXPECT_EQ(body.find(c), std::string::npos) << body;
    EXPECT_EQ(test::UnescapeScriptLiteral(body), c.logged);
  }
}

TEST_F(TKXCallBacksSessionTest, MethodGetsACopyOfTheActiveFormsParameters) {
  TFakeForm* main = NewSessionForm("Main", fsExecuting);
  main->mParams.Add("a=1");
  mSession->SetActiveForm(main);
  std::string seen;
  mSession->RegisterCallBack("Edit", [&](TStrings& params) {
    seen = params.Text();
    params.Add("b=2");
  });
  mSession->PerformCallBack(main, "Edit");
  EXPECT_EQ(seen, "a=1\r\n");
  EXPECT_EQ(main->mParams.Count(), 1);
}

TEST_F(TKXCallBacksSessionTest, AjaxNotificationFollowsTheCallback) {
  TFakeForm* main = NewSessionForm("Main", fsExecuting);
  mSession->SetActiveForm(main);
  mSession->RegisterCallBack("Tick", [&](TStrings&) { main->mNotify = true; });
  mSession->PerformCallBack(main, "Tick");
  EXPECT_EQ(Scripts(), std::vector<std::string>{"notify();"});
}

}  // namespace
}  // namespace kx
