#include "kx/forms/LayoutManagers.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "kx/forms/Forms.h"
#include "kx/appserver/Startup.h"
#include "kx/foundation/Browsers.h"
#include "support/FormTestControls.h"

namespace kx {
namespace {

using test::AddControl;
using test::TFlowButton;
using test::TFlowEdit;
using test::TFlowLabel;
using test::TFlowPanel;

class TLayoutForm : public TKXForm {
  KX_COMPONENT_CLASS(TLayoutForm, TKXForm)
};

// A form layout that says it is a template, as the template processor does.
class TTemplateLayout : public TKXLayoutMgrForm {
  KX_COMPONENT_CLASS(TTemplateLayout, TKXLayoutMgrForm)

 public:
  TKXLayoutKind LayoutKind() override { return lkTemplate; }
};

// An input control that posts files: it takes no hidden input and makes the page multipart.
class TUploadEdit : public TFlowEdit, public virtual IMpfDataAttrib {
  KX_COMPONENT_CLASS(TUploadEdit, TFlowEdit)
};

std::string RenderPage(TKXForm& form) {
  TKXRenderStream stream(true, true);
  form.GenerateForm(stream);
  return stream.GetAsString();
}

// The BODY of a page, from its opening tag.
std::string Body(const std::string& page) { return page.substr(page.find("<body")); }

int Occurrences(const std::string& text, const std::string& what) {
  int count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

class TKXLayoutMgrFormTest : public ::testing::Test {
 protected:
  TOwnedComponent<TLayoutForm> mForm{TComponent::Create<TLayoutForm>(nullptr)};
};

TEST_F(TKXLayoutMgrFormTest, ControlsThatPostShareAWrapperAndOthersCloseIt) {
  AddControl<TFlowEdit>(mForm.get(), mForm.get(), "Edit1", 10, 10);
  AddControl<TFlowLabel>(mForm.get(), mForm.get(), "Label1", 10, 40);
  AddControl<TFlowEdit>(mForm.get(), mForm.get(), "Edit2", 10, 70);
  AddControl<TFlowButton>(mForm.get(), mForm.get(), "Button1", 10, 100);
  const std::string body = Body(RenderPage(*mForm));
  const std::regex wrappers(
      "<form onsubmit=\"return FormDefaultSubmit\\(\\);\">\r\n<input [^>]*id=\"EDIT1\"[^>]*></form>\r\n"
      "<span [^>]*id=\"LABEL1\"[^>]*></span>"
      "<form onsubmit=\"return FormDefaultSubmit\\(\\);\">\r\n<input [^>]*id=\"EDIT2\"[^>]*>\r\n"
      "<input [^>]*id=\"BUTTON1\"[^>]*></form>");
  EXPECT_TRUE(std::regex_search(body, wrappers)) << body;
  EXPECT_EQ(Occurrences(body, "<form onsubmit"), 2);
}

TEST_F(TKXLayoutMgrFormTest, UnderAnAbleTemplateTheWrappersAreDivs) {
  mForm->SetLayoutMgr(TComponent::Create<TTemplateLayout>(mForm.get()));
  auto* panel = AddControl<TFlowPanel>(mForm.get(), mForm.get(), "Panel1", 0, 0, 300, 200);
  AddControl<TFlowEdit>(mForm.get(), panel, "Edit1", 10, 10);
  const std::string body = Body(RenderPage(*mForm));
  EXPECT_NE(body.find("<div id=\"PANEL1\"><div>\r\n<input"), std::string::npos) << body;
  EXPECT_EQ(Occurrences(body, "<form onsubmit"), 0);
}

TEST_F(TKXLayoutMgrFormTest, TheOwnClassTokenMovesTheStyleIntoTheStyleTag) {
  AddControl<TFlowLabel>(mForm.get(), mForm.get(), "Label1", 10, 20, 100, 24);
  auto* custom = AddControl<TFlowLabel>(mForm.get(), mForm.get(), "Label2", 30, 40, 100, 24);
  custom->SetCss("fancy");
  const std::string page = RenderPage(*mForm);
  EXPECT_NE(page.find(".LABEL1CSS {position: absolute; left: 10px; top: 20px;"), std::string::npos) << page;
  EXPECT_NE(page.find("class=\"LABEL1CSS\""), std::string::npos);
  // A class of its own: the style stays on the tag.
  EXPECT_NE(page.find("class=\"fancy\" style=\"position: absolute; left: 30px; top: 40px;"), std::string::npos)
      << page;
  EXPECT_EQ(page.find(".LABEL2CSS"), std::string::npos);
}

TEST_F(TKXLayoutMgrFormTest, PositionIsRelativeWithoutRenderAbsolute) {
  auto* label = AddControl<TFlowLabel>(mForm.get(), mForm.get(), "Label1", 7, 9);
  label->StyleRenderOptions().SetRenderAbsolute(false);
  auto* layout = TComponent::Create<TKXLayoutMgrForm>(mForm.get());
  std::string style;
  layout->RenderStyle(label, style);
  EXPECT_EQ(style, "position: relative; left: 7px; top: 9px;");
  label->StyleRenderOptions().SetRenderPosition(false);
  style.clear();
  layout->RenderStyle(label, style);
  EXPECT_EQ(style, "");
}

TEST_F(TKXLayoutMgrFormTest, InputNamesBecomeHiddenInputsExceptForUploads) {
  AddControl<TFlowEdit>(mForm.get(), mForm.get(), "Edit1", 0, 0);
  AddControl<TUploadEdit>(mForm.get(), mForm.get(), "Upload1", 0, 30);
  AddControl<TFlowLabel>(mForm.get(), mForm.get(), "Label1", 0, 60);
  const std::string page = RenderPage(*mForm);
  EXPECT_NE(page.find("<input type=\"hidden\" name=\"EDIT1\">"), std::string::npos);
  EXPECT_EQ(page.find("type=\"hidden\" name=\"UPLOAD1\""), std::string::npos);
  EXPECT_EQ(page.find("type=\"hidden\" name=\"LABEL1\""), std::string::npos);
  EXPECT_NE(page.find("enctype=\"multipart/form-data\""), std::string::npos);
}

TEST_F(TKXLayoutMgrFormTest, ControlsGetIdAndInputControlsName) {
  AddControl<TFlowEdit>(mForm.get(), mForm.get(), "Edit1", 0, 0);
  auto* label = AddControl<TFlowLabel>(mForm.get(), mForm.get(), "Label1", 0, 30);
  std::string seen;
  label->SetOnHTMLTag([&seen](TObject*, TKXMarkupLanguageTag* tag) { seen = tag->Params()->Values("id"); });
  const std::string page = RenderPage(*mForm);
  EXPECT_TRUE(std::regex_search(page, std::regex("<input [^>]*id=\"EDIT1\" name=\"EDIT1\"")));
  EXPECT_TRUE(std::regex_search(page, std::regex("<span [^>]*id=\"LABEL1\" [^>]*>")));
  EXPECT_EQ(page.find("name=\"LABEL1\""), std::string::npos);
  EXPECT_EQ(seen, "LABEL1");
}

TEST(TKXContainerLayout, ProcessIsLeftToTheLayouts) {
  TOwnedComponent<TKXContainerLayout> layout(TComponent::Create<TKXContainerLayout>(nullptr));
  TKXRenderStream stream(true, true);
  try {
    layout->Process(stream, nullptr, nullptr);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "TKXContainerLayout: Method Process is not implemented in this class");
  }
}

class ScriptSectionTest : public ::testing::Test {
 protected:
  std::string Section() {
    TKXPageContext40 page(nullptr);
    return mLayout->ScriptSection(&page);
  }
  static std::vector<std::string> Files(const std::string& section) {
    std::vector<std::string> files;
    const std::regex src("src=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(section.begin(), section.end(), src); it != std::sregex_iterator(); ++it)
      files.push_back((*it)[1]);
    return files;
  }

  test::TTempController mController;
  TOwnedComponent<TKXLayoutMgrForm> mLayout{TComponent::Create<TKXLayoutMgrForm>(nullptr)};
};

TEST_F(ScriptSectionTest, FrameworkScriptsInBothModes) {
  struct TCase {
    bool Uncompressed;
    bool JQuery;
    std::vector<std::string> Files;
  };
  const TCase cases[] = {
      {false, true, {"/js/KXLib.js", "/js/KXBase.js", "/js/KXGecko.js"}},
      {false, false, {"/js/KXBase.js", "/js/KXGecko.js"}},
      {true,
       true,
       {"/js/jquery.js", "/js/jquerymaskedinput.js", "/js/KXPreScript.js", "/js/KXBrowser.js", "/js/KXCommon.js",
        "/js/KXCL.js", "/js/KXAjax.js", "/js/KXGecko.js"}},
      {true, false, {"/js/KXPreScript.js", "/js/KXBrowser.js", "/js/KXCommon.js", "/js/KXCL.js", "/js/KXAjax.js", "/js/KXGecko.js"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Uncompressed) + std::to_string(c.JQuery));
    mController->JavaScriptOptions()->SetUseUncompressedFiles(c.Uncompressed);
    mController->JavaScriptOptions()->SetRenderjQuery(c.JQuery);
    EXPECT_EQ(Files(Section()), c.Files);
  }
}

TEST_F(ScriptSectionTest, InternetExplorerGetsItsOwnFile) {
  std::unique_ptr<TBrowser> explorer = TBrowser::CreateBrowser("Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1)");
  ASSERT_NE(dynamic_cast<TInternetExplorer*>(explorer.get()), nullptr);
  mLayout->Initialize(explorer.get());
  const std::vector<std::string> files = Files(Section());
  ASSERT_FALSE(files.empty());
  EXPECT_EQ(files.back(), "/js/KXExplorer.js");
}

TEST_F(ScriptSectionTest, ErrorModeAndDebugLines) {
  struct TCase {
    TKXAjaxErrorMode Mode;
    const char* Line;
  };
  for (const TCase& c : {TCase{emAlert, nullptr}, TCase{emNone, "KXAjaxErrorMode = 0;\r\n"},
                         TCase{emConsole, "KXAjaxErrorMode = 2;\r\n"}}) {
    SCOPED_TRACE(int(c.Mode));
    mController->JavaScriptOptions()->SetAjaxErrorMode(c.Mode);
    const std::string section = Section();
    if (c.Line == nullptr) {
      EXPECT_EQ(section.find("KXAjaxErrorMode"), std::string::npos);
    } else {
      EXPECT_NE(section.find(c.Line), std::string::npos) << section;
    }
  }
  EXPECT_EQ(Section().find("KXDEBUG"), std::string::npos);
  mController->JavaScriptOptions()->SetDebug(true);
  EXPECT_NE(Section().find("<script type=\"text/javascript\">\r\nKXDEBUG = true;\r\n"), std::string::npos);
}

TEST_F(ScriptSectionTest, InlineScriptEndsWithTheStartUpFunctions) {
  TKXPageContext40 page(nullptr);
  page.AddToJavaScriptOnce("var once = 1;");
  page.AddToOnReady("ready();");
  page.AddToKXCLInitProc("  objects();");
  page.AddToInitProc("start();");
  const std::string section = mLayout->ScriptSection(&page);
  EXPECT_TRUE(section.ends_with("<script type=\"text/javascript\">\r\nvar once = 1;\r\n\r\n"
                                "$(document).ready(function(){ready();});\r\n"
                                "function InitKXCLObjects() {\r\n  objects();\r\n}\r\n\r\n"
                                "function Initialize() {\r\nstart();\r\n\r\n}\r\n</script>\r\n"))
      << section;
}

}  // namespace
}  // namespace kx
