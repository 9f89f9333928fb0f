#include "appserver/CallBacks.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/KXExceptions.h"
#include "platform/Utf8.h"
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

TEST(TKXCallBackResponse, FocusedControlHTMLNameStartsEmpty) {
  TKXCallBackResponse response(nullptr);
  EXPECT_EQ(response.FocusedControlHTMLName(), "");
  response.SetFocusedControlHTMLName("EDIT1");
  EXPECT_EQ(response.FocusedControlHTMLName(), "EDIT1");
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

TEST(TKXCallBacks, UnknownNameWithoutSessionDoesNotRaise) {
  TKXCallBacks callbacks(nullptr);
  EXPECT_NO_THROW(callbacks.PerformCallBack(nullptr, "Nobody.Home"));
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

TEST(TKXCallBacks, InstallSetsTheCreatorsOfSessions) {
  const TKXCreateCallBacks savedCallbacks = gCreateCallBacks;
  const TKXCreateCallBackResponse savedResponse = gCreateCallBackResponse;
  gCreateCallBacks = nullptr;
  gCreateCallBackResponse = nullptr;
  InstallCallBacks();
  EXPECT_NE(gCreateCallBacks, nullptr);
  EXPECT_NE(gCreateCallBackResponse, nullptr);
  gCreateCallBacks = savedCallbacks;
  gCreateCallBackResponse = savedResponse;
}

}  // namespace
}  // namespace kx
