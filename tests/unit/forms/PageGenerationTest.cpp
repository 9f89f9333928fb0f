#include "kx/forms/PageGeneration.h"

#include <gtest/gtest.h>

#include <string>

#include "kx/appserver/CallBacks.h"
#include "kx/forms/Forms.h"
#include "kx/forms/TemplateProcessor.h"
#include "kx/foundation/Paths.h"
#include "support/FormTestControls.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::AddControl;
using test::TFlowEdit;
using test::TFlowLabel;

class TPageForm : public TKXForm {
  KX_COMPONENT_CLASS(TPageForm, TKXForm)

 public:
  TFlowEdit* Edit1 = nullptr;
  TFlowLabel* Label1 = nullptr;

 protected:
  void BuildComponents() override {
    Edit1 = AddControl<TFlowEdit>(this, this, "Edit1", 0, 0);
    Label1 = AddControl<TFlowLabel>(this, this, "Label1", 0, 30);
  }
};

// A label that fails to render once Fail is set.
class TFailingLabel : public TFlowLabel {
  KX_COMPONENT_CLASS(TFailingLabel, TFlowLabel)

 public:
  bool Fail = false;
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override {
    if (Fail) throw Exception("render failed");
    return TFlowLabel::RenderHTML(context);
  }
};

class TTestIndicator : public TComponent, public virtual IKXProgressIndicator {
  KX_COMPONENT_CLASS(TTestIndicator, TComponent)

 public:
  TStringList Pre, Post, PreAsync, PostAsync;
  std::string Render() override { return "<div id=\"ProgressIndicator\"></div>"; }
  const TStrings& PreScript() override { return Pre; }
  const TStrings& PostScript() override { return Post; }
  const TStrings& PreAsyncScript() override { return PreAsync; }
  const TStrings& PostAsyncScript() override { return PostAsync; }
};

std::string Page(TKXForm& form) {
  TKXRenderStream stream(true, true);
  form.GenerateForm(stream);
  return stream.GetAsString();
}

// The body of the page's Initialize function.
std::string InitializeBody(const std::string& page) {
  const std::string start = "function Initialize() {\r\n";
  const std::size_t from = page.find(start);
  if (from == std::string::npos) return "<none>";
  return page.substr(from + start.size(), page.find("\r\n}\r\n</script>", from) - from - start.size());
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class TKXPageGeneratorTest : public ::testing::Test {
 protected:
  test::TTempController mController;
  TOwnedComponent<TPageForm> mForm{TComponent::Create<TPageForm>(nullptr)};
};

TEST_F(TKXPageGeneratorTest, OlderDoctypesGetTheCacheThemeToolbarAndExpiresLines) {
  const std::string xhtml = "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\">";
  mForm->SetDocType(xhtml);
  std::string page = Page(*mForm);
  EXPECT_TRUE(page.starts_with(xhtml + "\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
                               "<meta http-equiv=\"cache-control\" content=\"no-cache\">\r\n"
                               "<meta http-equiv=\"pragma\" content=\"no-cache\">\r\n<title>"));
  EXPECT_TRUE(Has(page, "<meta http-equiv=\"MSThemeCompatible\" Content=\"yes\">\r\n\r\n"
                        "<meta http-equiv=\"imagetoolbar\" content=\"no\">\r\n<meta http-equiv=\"Expires\" content=\"-1\">"));
  mController->SetEnableImageToolbar(true);
  mForm->SetXPTheme(false);
  page = Page(*mForm);
  EXPECT_TRUE(Has(page, "Content=\"no\""));
  EXPECT_FALSE(Has(page, "imagetoolbar"));
  // The controller's doctype applies to a form without one.
  mForm->SetDocType("");
  mController->SetDocType(xhtml);
  EXPECT_TRUE(Page(*mForm).starts_with(xhtml));
}

TEST_F(TKXPageGeneratorTest, StartUpCodeInItsOrder) {
  mForm->SetKeepAlive(true);
  mForm->SetActiveControl(mForm->Edit1);
  mForm->AddToInitProc("alert(1);\r\n");
  EXPECT_EQ(InitializeBody(Page(*mForm)),
            "GActivateLock = true;\r\nInitRects(185, 41);\r\nInitKXCLObjects();\r\n"
            "KX.Session.initKeepAlive(150000);\r\nAttachBeforeUnload();\r\nhistory.go(1);\r\n"
            "Body_OnResize();\r\nwindow.onresize = Body_OnResize;\r\ndocument.body.onblur = Body_OnBlur;\r\n"
            "KX.Utils.fixIEMargins();\r\nalert(1);\r\n\r\nReleaseLock();\r\n"
            "KX.Utils.setActiveControl(\"EDIT1\");\r\n");
  // The form's start-up code goes with one page only.
  EXPECT_FALSE(Has(Page(*mForm), "alert(1);"));
}

TEST_F(TKXPageGeneratorTest, LocksDecideTheLockerScript) {
  struct TCase {
    bool UntilLoaded;
    bool OnSubmit;
    const char* Locker;
    const char* Activate;
  };
  const TCase cases[] = {
      {true, true, "createKXLocker(\"\");ActivateLock();", "GActivateLock = true;"},
      {true, false, "createKXLocker(\"\");ActivateLock();", "GActivateLock = false;"},
      {false, true, "createKXLocker(\"\");</script>", "GActivateLock = true;"},
      {false, false, nullptr, "GActivateLock = false;"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.UntilLoaded) + std::to_string(c.OnSubmit));
    mForm->SetLockUntilLoaded(c.UntilLoaded);
    mForm->SetLockOnSubmit(c.OnSubmit);
    const std::string page = Page(*mForm);
    if (c.Locker == nullptr) {
      EXPECT_FALSE(Has(page, "createKXLocker"));
    } else {
      EXPECT_TRUE(Has(page, c.Locker)) << page;
    }
    EXPECT_EQ(Has(InitializeBody(page), "ReleaseLock();"), c.UntilLoaded);
    EXPECT_TRUE(Has(page, c.Activate));
  }
}

// F13: the warning goes into a script string escaped.
TEST_F(TKXPageGeneratorTest, BackButtonInterception) {
  EXPECT_TRUE(Has(InitializeBody(Page(*mForm)), "history.go(1);"));
  mController->BackButtonOptions()->SetMode(bmInterceptForm);
  std::string page = Page(*mForm);
  EXPECT_FALSE(Has(page, "KXBackIntercept"));
  EXPECT_FALSE(Has(page, "history.go(1);"));
  mForm->SetPreventBackButton(true);
  mController->BackButtonOptions()->SetWarningMessage("Don't \"go\" </script>");
  mController->BackButtonOptions()->SetShowMessage(true);
  page = Page(*mForm);
  EXPECT_TRUE(Has(page, "<script type=\"text/javascript\" src=\"/js/KXBackIntercept.js\"></script>\r\n"
                        "<script type=\"text/javascript\" src=\"/js/KXBase.js\">"))
      << page;
  EXPECT_TRUE(Has(page, "KXBackIntercept.Init(false,true, \"Don\\x27t \\x22go\\x22 \\x3C/script\\x3E\", \"\");"));
  mController->BackButtonOptions()->SetWarningMessage("");
  mController->BackButtonOptions()->SetMode(bmInterceptGlobal);
  mForm->SetPreventBackButton(false);
  EXPECT_TRUE(Has(Page(*mForm), "\"Back button cannot be used in this page\""));
}

TEST_F(TKXPageGeneratorTest, ContentFilesAreScriptsOrStyleSheets) {
  mController->ContentFiles()->Add("/site.css");
  mForm->ContentFiles().Add("/extra.JS");
  mForm->ContentFiles().Add("");
  const std::string page = Page(*mForm);
  EXPECT_TRUE(Has(page, "<link href=\"/site.css\" rel=\"stylesheet\" type=\"text/css\"/>\r\n"
                        "<script type=\"text/javascript\" src=\"/js/KXLib.js\"></script>\r\n"
                        "<script type=\"text/javascript\" src=\"/extra.JS\"></script>\r\n"))
      << page;
}

// A form that brings its own style sheet.
class TStyledForm : public TPageForm {
  KX_COMPONENT_CLASS(TStyledForm, TPageForm)

 protected:
  void BuildComponents() override {
    TPageForm::BuildComponents();
    StyleSheet().SetURL("https://cdn.example/own.css");
  }
};

// One style sheet for every page: a form whose own is empty once it has loaded takes the controller's.
TEST_F(TKXPageGeneratorTest, FormsWithoutAStyleSheetTakeTheControllers) {
  const std::string site = "<link rel=\"stylesheet\" type=\"text/css\" href=\"https://cdn.example/site.css\">";
  TKXFileReference sheet;
  sheet.SetURL("https://cdn.example/site.css");
  mController->SetStyleSheet(sheet);

  TOwnedComponent<TPageForm> plain(TComponent::Create<TPageForm>(nullptr));
  EXPECT_TRUE(Has(Page(*plain), site));
  TOwnedComponent<TStyledForm> styled(TComponent::Create<TStyledForm>(nullptr));
  std::string page = Page(*styled);
  EXPECT_TRUE(Has(page, "href=\"https://cdn.example/own.css\""));
  EXPECT_FALSE(Has(page, "site.css"));
  // The form loaded before the controller had one, and a form that has taken it keeps its copy.
  EXPECT_FALSE(Has(Page(*mForm), "site.css"));
  mController->SetStyleSheet(TKXFileReference());
  EXPECT_TRUE(Has(Page(*plain), site));
}

TEST_F(TKXPageGeneratorTest, BodyCarriesDirectionBackgroundAndColours) {
  mForm->SetLeftToRight(false);
  mForm->SetBGColor(clRed);
  mForm->SetTextColor(clBlack);
  mForm->Background().SetURL("http://example.com/bg.png");
  mForm->Background().SetFixed(true);
  const std::string page = Page(*mForm);
  EXPECT_TRUE(Has(page, "<body dir=\"RTL\" background=\"http://example.com/bg.png\" bgproperties=\"fixed\" "
                        "text=\"#000000\" style=\"margin: 0;background-color: #FF0000;\" onload=\"Initialize()\" "
                        "onunload=\"ReleaseKXCL()\">"))
      << page;
}

// F4: a character above U+FFFF is one reference.
TEST_F(TKXPageGeneratorTest, HiddenFieldValuesAreCharacterReferences) {
  mForm->HiddenFields().Add("Smile=\xF0\x9F\x98\x80 \"<x>\"");
  EXPECT_TRUE(Has(Page(*mForm), "<input type=\"hidden\" name=\"Smile\" value=\"&#128512;&#32;&#34;&#60;x&#62;&#34;\" "
                                "id=\"HIDDEN_Smile\" size=\"-1\">"));
}

TEST_F(TKXPageGeneratorTest, DefaultActionGetsTheFullDefaultSubmit) {
  EXPECT_TRUE(Has(Page(*mForm), "KX.implicitSubmit = false;"));
  mForm->OnDefaultAction = [](TObject*) {};
  const std::string page = Page(*mForm);
  EXPECT_TRUE(Has(page, "KX.implicitSubmit = true;"));
  EXPECT_TRUE(Has(page, "function FormDefaultSubmit()\r\n{ \r\n   var i;\r\n"));
  EXPECT_TRUE(Has(page, "    SubmitClickConfirm(\"\", \"default\", true, \"\");\r\n    return false;\r\n}"));
}

TEST_F(TKXPageGeneratorTest, ProgressIndicatorScripts) {
  auto* indicator = TComponent::Create<TTestIndicator>(mForm.get());
  indicator->Pre.Add("show();");
  indicator->PostAsync.Add("hide();");
  mForm->SetProgressIndicator(indicator);
  const std::string page = Page(*mForm);
  EXPECT_TRUE(Has(page, "<div id=\"ProgressIndicator\"></div><script type=\"text/javascript\">"
                        "var PreScript=true; function PreProgressScript() {ReleaseLock();\r\nshow();\r\n}"
                        "var PostScript=false;var PreAsyncScript=false;"
                        "var PostAsyncScript=true; function PostAsyncProgressScript() {hide();\r\n}</script>"))
      << page;
  indicator->Free();
  EXPECT_EQ(mForm->ProgressIndicator(), nullptr);
  EXPECT_TRUE(Has(Page(*mForm), "var PreScript=false; PostScript=false;"));
}

// Once written, a page's context keeps the names of what it showed (a submit finds its control by them) but lets
// go of the tags and scripts; the next page renders the same.
TEST_F(TKXPageGeneratorTest, AWrittenPageKeepsTheNamesButNotTheTags) {
  const std::string first = Page(*mForm);
  TKXContainerContext* context = mForm->ContainerContext();
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(context->GetControlsCount(), 2);
  EXPECT_EQ(context->GetControlInstance("EDIT1"), mForm->Edit1);
  EXPECT_EQ(context->GetControlInstance("label1"), mForm->Label1);
  EXPECT_TRUE(context->IsValidComponent("Edit1"));
  EXPECT_EQ(context->GetComponentContext("EDIT1"), nullptr);
  EXPECT_EQ(context->GetMarkupLanguageTag("LABEL1"), nullptr);
  EXPECT_EQ(Page(*mForm), first);
  mForm->Label1->Free();
  EXPECT_EQ(mForm->ContainerContext()->GetControlInstance("LABEL1"), nullptr);
}

TEST_F(TKXPageGeneratorTest, FailedRenderStillCleansUp) {
  auto* label = AddControl<TFailingLabel>(mForm.get(), mForm.get(), "Bad", 0, 60);
  int afterRender = 0;
  mForm->OnAfterRender = [&afterRender](TObject*) { ++afterRender; };
  mForm->AddToInitProc("once();");
  label->Fail = true;
  TKXRenderStream stream(true, true);
  EXPECT_THROW(mForm->GenerateForm(stream), Exception);
  EXPECT_EQ(mForm->PageContext(), nullptr);
  EXPECT_EQ(afterRender, 1);
  EXPECT_EQ(mForm->FormState(), fsCreated);
  label->Fail = false;
  EXPECT_FALSE(Has(Page(*mForm), "once();"));
}

// The callback answer of a form in a session.
class CallBackTest : public ::testing::Test {
 protected:

  std::string Answer() {
    TKXCallBackResponse& response = *static_cast<TKXCallBackResponse*>(mFixture.Session->CallBackResponse());
    response.Initialize();
    mFixture.Session->SetIsCallBack(true);
    mForm->GenerateCallBack(response);
    TKXRenderStream stream(true, true);
    response.StreamResponse(stream);
    return stream.GetAsString();
  }

  test::TSessionFixture mFixture{"Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36"};
  TPageForm* mForm = TComponent::Create<TPageForm>(mFixture.Session);
};

TEST_F(CallBackTest, AnswerHoldsUpdatesAndScriptsButNoPage) {
  kx::SetDoRefreshControl(mForm, false);
  mForm->Label1->SetText("new");
  mForm->AddToInitProc("start();");
  mFixture.Session->SetTrackID(12);
  const std::string answer = Answer();
  EXPECT_FALSE(Has(answer, "<html") || Has(answer, "<head") || Has(answer, "<body")) << answer;
  EXPECT_TRUE(Has(answer, "<control id=\"PageForm\" type=\"KXFORM\"></control>")) << answer;
  EXPECT_TRUE(Has(answer, "<control id=\"LABEL1\" type=\"FLOWLABEL\">")) << answer;
  EXPECT_FALSE(Has(answer, "id=\"EDIT1\""));
  EXPECT_TRUE(Has(answer, "<literal><![CDATA[start();]]></literal>"));
  EXPECT_TRUE(Has(answer, "<trackid>12</trackid>"));
  EXPECT_FALSE(Has(Answer(), "start();"));
}

TEST_F(CallBackTest, KeepAliveIsResentOnceAfterAChange) {
  mForm->SetKeepAlive(true);
  EXPECT_TRUE(Has(Answer(), "KX.Session.initKeepAlive(150000);"));
  EXPECT_FALSE(Has(Answer(), "initKeepAlive"));
  mForm->SetKeepAlive(false);
  EXPECT_TRUE(Has(Answer(), "KX.Session.initKeepAlive(0);"));
}

TEST_F(CallBackTest, FocusedControlIsFocusedWithoutItsBlurHandler) {
  mFixture.Session->SetIsCallBack(true);
  mForm->SetActiveControl(mForm->Edit1);
  EXPECT_TRUE(Has(Answer(), "<literal>var xEvent = EDIT1KXCL.onBlur; EDIT1KXCL.onBlur = null; EDIT1KXCL.focus(); "
                            "EDIT1KXCL.onBlur = xEvent; </literal>"));
  EXPECT_FALSE(Has(Answer(), "focus()"));
}

// F12: the page keeps the track id decimal; the resize URL carries it as the server reads it.
TEST_F(CallBackTest, PageGlobalsOfTheSession) {
  mFixture.Session->SetTrackID(40);
  mForm->OnResize = [](TObject*) {};
  const std::string page = Page(*mForm);
  EXPECT_TRUE(Has(page, "var GURLBase=\"/app/$/\";\r\nvar GAppID=\"" + mFixture.Session->AppID() +
                            "\";\r\nvar GTrackID=40;\r\n"));
  EXPECT_TRUE(Has(page, "var GResizeURL=\"/app/$/RESIZE?KX_TrackID_=14\";"));
  EXPECT_TRUE(Has(page, "<iframe id=\"onresize\" style=\"position: absolute; left: -1000px; top: -1000px;\"></iframe>"))
      << page;
  EXPECT_TRUE(Has(page, "createKXLocker(\"/app/$/gfx/loading.gif\");"));
}

// A layout of kind TBase that gives the page the submit frame as it writes it, with the update code Update.
template <class TBase>
class TSubmitFrameLayout : public TBase {
 public:
  std::string Update;
  std::string FormMarkup;  // the page's FORM as the frame's page received it

  void Process(TKXRenderStream& stream, TKXContainerContext* containerContext,
               TKXPageContext40* pageContext) override {
    if (!Update.empty()) pageContext->AddToUpdateControlsProc(Update);
    Supports<TKXForm>(this->Owner())->AddSubmitIFrame();
    FormMarkup = pageContext->FormTag()->Render();
    TBase::Process(stream, containerContext, pageContext);
  }
};
class TSubmitFrameFormLayout : public TSubmitFrameLayout<TKXLayoutMgrForm> {
  KX_COMPONENT_CLASS(TSubmitFrameFormLayout, TKXLayoutMgrForm)
};
class TSubmitFrameHTMLLayout : public TSubmitFrameLayout<TKXLayoutMgrHTML> {
  KX_COMPONENT_CLASS(TSubmitFrameHTMLLayout, TKXLayoutMgrHTML)
};

// The src of the submit frame in page.
std::string SubmitFrameSource(const std::string& page) {
  const std::string start = "<iframe src=\"";
  const std::size_t from = page.find(start);
  if (from == std::string::npos) return std::string();
  const std::size_t end = page.find('"', from + start.size());
  return page.substr(from + start.size(), end - from - start.size());
}

TEST_F(CallBackTest, TheSubmitFrameLoadsTheUpdateCodeAroundThePagesForm) {
  struct TCase {
    const char* Name;
    bool Template;
    const char* Update;
    const char* Resize;  // what the frame's init runs between the update's start-up code and the unlock
  };
  const TCase cases[] = {
      {"form layout, no update", false, "", ""},
      {"form layout, update", false, "EDIT1KXCL.setValue(1);", "KXTop().Body_OnResize();\r\n"},
      {"template layout, update", true, "EDIT1KXCL.setValue(1);", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TPageForm* form = TComponent::Create<TPageForm>(mFixture.Session);
    TSubmitFrameLayout<TKXLayoutMgrHTML>* html = nullptr;
    TSubmitFrameLayout<TKXLayoutMgrForm>* plain = nullptr;
    if (c.Template) {
      html = TComponent::Create<TSubmitFrameHTMLLayout>(form);
      html->HTML().SetText("<html><body>{%Edit1%}</body></html>");
      html->Update = c.Update;
      form->SetLayoutMgr(html);
    } else {
      plain = TComponent::Create<TSubmitFrameFormLayout>(form);
      plain->Update = c.Update;
      form->SetLayoutMgr(plain);
    }
    const std::string page = Page(*form);
    const std::string href = SubmitFrameSource(page);
    ASSERT_TRUE(href.starts_with("/app/$/temp/BRM")) << page;
    EXPECT_TRUE(Has(page, "<iframe src=\"" + href +
                              "\" id=\"SubmitFrame\" style=\"position:absolute;left:-1000px;top:-1000px\"></iframe>"));

    const std::string update = c.Update[0] != '\0' ? std::string(c.Update) + "\r\n" : std::string();
    std::string rects;
    if (!update.empty()) {
      rects = "KXTop().InitRects(" + std::to_string(form->Width()) + ", " + std::to_string(form->Height()) +
              ");\r\nKXTop().InitKXCLObjects();\r\n";
    }
    const std::string formMarkup = c.Template ? html->FormMarkup : plain->FormMarkup;
    EXPECT_TRUE(Has(formMarkup, "name=\"SubmitForm\""));
    TReadCacheFileStream file(gSC->CacheDir() + TURL::ExtractFileName(href) + ".tmp");
    EXPECT_EQ(file.CacheType(), ctOneTime);
    EXPECT_EQ(file.ContentType(), "text/html; charset=UTF-8");
    std::string content(std::size_t(file.Size()), '\0');
    file.ReadBuffer(content.data(), file.Size());
    EXPECT_EQ(content, "<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<script>\r\nfunction updateControls() {\r\n" +
                           update + "}\r\nfunction init() { \r\nupdateControls();\r\n" + rects +
                           "setTimeout(\"\");\r\n\r\n" + c.Resize +
                           "KXTop().GSubmitting=false;\r\nKXTop().ValidClick=true;\r\n}\r\n</script>\r\n"
                           "</HEAD><body onload=\"init()\">" +
                           formMarkup + "\r\n</body>\r\n</html>");
    form->Free();
  }
}

TEST_F(CallBackTest, NoPageHasTheSubmitFrameUnlessItsLayoutAsksAndNoneCanOutsideOne) {
  EXPECT_FALSE(Has(Page(*mForm), "SubmitFrame"));
  try {
    mForm->AddSubmitIFrame();
    ADD_FAILURE() << "no exception";
  } catch (const EKXException& e) {
    EXPECT_EQ(e.Message(), "AddSubmitIFrame needs the page being generated.");
  }
}

}  // namespace
}  // namespace kx
