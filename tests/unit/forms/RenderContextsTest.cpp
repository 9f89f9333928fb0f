#include "kx/forms/RenderContexts.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/TestForms.h"

namespace kx {
namespace {

using test::TFormFixture;
using test::TTestEdit;
using test::TTestPanel;

// A page context whose file URLs show which kind they are.
class TURLPageContext : public TKXPageContext40 {
 public:
  TURLPageContext() : TKXPageContext40(nullptr) {}
  std::string GetInternalFileURL(const std::string& file) const override { return "/app/$" + file; }
  std::string GetExternalFileURL(const std::string& file) const override { return "/app/" + file; }
};

std::string TagText(TKXMarkupLanguageElement* element) { return element ? element->Render() : std::string(); }

TEST(TKXPageContext40, StartUpCollectorsEndEachTextWithALineBreakAndIgnoreEmptyText) {
  TKXPageContext40 page(nullptr);
  page.AddToInitProc("a();");
  page.AddToInitProc("");
  page.AddToInitProcDoLastCode("last();");
  page.AddToInitProcFocusCode("focus();");
  page.AddToInitProcNewWindowCode("open();");
  page.AddToInitProcPageUnlockCode("ReleaseLock();");
  page.AddToInitProc("b();");
  EXPECT_EQ(page.GetInitProc(), "a();\r\nb();\r\nReleaseLock();\r\nfocus();\r\nopen();\r\nlast();\r\n");

  page.AddToOnReady("x();");
  page.AddToOnReady("y();");
  EXPECT_EQ(page.GetOnReadyProc(), "$(document).ready(function(){x();y();});");
}

TEST(TKXPageContext40, ReadyCodeIsEmptyWithoutReadyCode) {
  TKXPageContext40 page(nullptr);
  EXPECT_EQ(page.GetOnReadyProc(), "");
}

TEST(TKXPageContext40, OnceOnlyScriptGetsExactlyOneLineBreak) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"f();", "f();\r\n"},
      {"f();\r\n", "f();\r\n"},
      {"\r\n", "\r\n\r\n"},  // two characters: not taken as ending with a break
      {"", "\r\n"},
      {"x\n", "x\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TKXPageContext40 page(nullptr);
    page.AddToJavaScriptOnce(c.text);
    EXPECT_EQ(page.JavaScript(), c.expected);
  }
}

TEST(TKXPageContext40, UpdateInitProcAlwaysEndsWithTheTimeoutCallOfEscapedCode) {
  TKXPageContext40 page(nullptr);
  EXPECT_EQ(page.GetUpdateInitProc(), "setTimeout(\"\");\r\n");

  page.AddToUpdateInitProc("u();");
  page.AddToUpdateInitProcPageUnlockCode("ReleaseLock();");
  page.AddToUpdateInitProcFocusCode("KX.Utils.setActiveControl(\"EDIT1\");");
  page.AddToUpdateInitProcNewWindowCode("open('x');");
  EXPECT_EQ(page.GetUpdateInitProc(),
            "u();\r\nReleaseLock();\r\n"
            "setTimeout(\"KX.Utils.setActiveControl(\\x22EDIT1\\x22);\\nopen(\\x27x\\x27);\\n\");\r\n");
}

TEST(TKXPageContext40, FileListsKeepEachFileOnceIgnoringCase) {
  TURLPageContext page;
  page.AddScriptFile("/js/KXSplitter.js");
  page.AddScriptFile("/JS/kxsplitter.JS");
  page.AddScriptFile("");
  page.AddScriptFile("js/app.js");
  page.AddLinkFile("css/site.css");
  page.AddLinkFile("CSS/SITE.css");
  EXPECT_EQ(page.ScriptFiles().Count(), 2);
  EXPECT_EQ(page.LinkFiles().Count(), 1);
  EXPECT_EQ(page.RenderScriptFiles(),
            "<script type=\"text/javascript\" src=\"/app/$/js/KXSplitter.js\"></script>\r\n"
            "<script type=\"text/javascript\" src=\"/app/js/app.js\"></script>\r\n");
  EXPECT_EQ(page.RenderLinkFiles(), "<link href=\"/app/css/site.css\" rel=\"stylesheet\" type=\"text/css\"/>\r\n");
}

TEST(TKXPageContext40, ScriptFileChoosesTheInternalURLOnlyForAJsFolderFromTheRoot) {
  TURLPageContext page;
  EXPECT_EQ(page.ScriptFile("/JS/x.js"), "<script type=\"text/javascript\" src=\"/app/$/JS/x.js\"></script>\r\n");
  EXPECT_EQ(page.ScriptFile("js/x.js"), "<script type=\"text/javascript\" src=\"/app/js/x.js\"></script>\r\n");
  // A quote in a file name cannot end the attribute.
  EXPECT_EQ(page.ScriptFile("a\"b.js"), "<script type=\"text/javascript\" src=\"/app/a&quot;b.js\"></script>\r\n");
}

TEST(TKXPageContext40, ValidateFunctionIsWrittenEvenWithoutValidations) {
  TKXPageContext40 page(nullptr);
  page.FinalizeContext();
  EXPECT_EQ(page.JavaScript(), "function Validate() {\r\n  return true;\r\n}\r\n");
}

TEST(TKXPageContext40, ValidationMessagesAreScriptLiterals) {
  TKXPageContext40 page(nullptr);
  page.AddValidation("EDIT1KXCL.value == \"\"", "Say \"hi\"\n</script>");
  page.FinalizeContext();
  EXPECT_EQ(page.JavaScript(),
            "function Validate() {\r\n"
            "  if(EDIT1KXCL.value == \"\") {\r\n"
            "    ReleaseLock();\r\n"
            "    window.alert(\"Say \\x22hi\\x22\\n\\x3C/script\\x3E\");\r\n"
            "    return false;\r\n"
            "  }\r\n"
            "  return true;\r\n"
            "}\r\n");
}

TEST(TKXPageContext40, StylesGoIntoTheStyleTag) {
  TKXPageContext40 page(nullptr);
  page.AddStyle("");
  page.AddClassStyle(".EDIT1CSS", "color: red;");
  EXPECT_EQ(TagText(page.StyleTag()), "\r\n<style type=\"text/css\">\r\n.EDIT1CSS {color: red;}\r\n</style>");
}

TEST(TKXPageContext40, ClearKeepingContentKeepsStylesHiddenInputsAndHeaders) {
  TKXPageContext40 page(nullptr);
  page.AddStyle("a {}");
  page.AppendHiddenInput("EDIT1");
  page.ExtraHeader().Add("<meta x>");
  page.BodyTag()->AddStringParam("onload", "Initialize()");
  page.AddToInitProc("a();");
  page.AddScriptFile("x.js");
  page.AddValidation("1", "m");
  page.SetDocType("<!DOCTYPE HTML>");

  page.Clear(true);
  EXPECT_EQ(page.GetInitProc(), "");
  EXPECT_EQ(page.ScriptFiles().Count(), 0);
  EXPECT_EQ(page.Validation().Count(), 0);
  EXPECT_EQ(page.DocType(), "");
  EXPECT_EQ(page.BodyTag()->Params()->Count(), 0);
  EXPECT_EQ(page.StyleTag()->Contents()->Count(), 2);
  EXPECT_EQ(page.FormHiddenInput().Count(), 1);
  EXPECT_EQ(page.FormTag()->Contents()->Count(), 1);
  EXPECT_EQ(page.ExtraHeader().Count(), 1);

  page.Clear(false);
  EXPECT_EQ(TagText(page.StyleTag()), "\r\n<style type=\"text/css\">\r\n</style>");
  EXPECT_EQ(page.FormHiddenInput().Count(), 0);
  EXPECT_EQ(page.FormTag()->Contents()->Count(), 0);
  EXPECT_EQ(page.ExtraHeader().Count(), 0);
}

TEST(TKXBaseHTMLPageContext, HiddenInputIsAddedOncePerName) {
  TKXPageContext40 page(nullptr);
  page.AppendHiddenInput("EDIT1");
  page.AppendHiddenInput("EDIT1");
  page.AppendHiddenInput("EDIT1_data");
  EXPECT_EQ(TagText(page.FormTag()),
            "\r\n<form>\r\n<input type=\"hidden\" name=\"EDIT1\">\r\n<input type=\"hidden\" name=\"EDIT1_data\"></form>");
}

TEST(TKXPageContext40, AppendContextMergesAComponentsCodeInOrder) {
  TFormFixture f;
  TKXPageContext40 page(nullptr);
  TKXContainerContext container(nullptr, true);
  TKXCompContext context(f.Form, &container, &page);
  context.AddToInitProc("init();");
  context.AddToInitProc("");
  context.AddToInitProcDoLastCode("last();");
  context.AddToKXCLInitProc("kxcl();");
  context.AddToUpdateInitProc("upd();");
  context.AddToUpdateInitProc("more();");
  context.AddToJavaScriptOnce("function f(){}");

  page.AddToInitProc("page();");
  page.AppendContext(&context);
  // Each text already ends with its line break and gets one more as it is appended.
  EXPECT_EQ(page.GetInitProc(), "page();\r\ninit();\r\n\r\nlast();\r\n\r\n");
  EXPECT_EQ(page.JavaScript(), "function f(){}\r\n");
  EXPECT_EQ(page.GetKXCLInitProc(), "kxcl();\r\n\r\n");
  EXPECT_EQ(page.GetUpdateInitProc(), "upd();more();\r\nsetTimeout(\"\");\r\n");

  context.Clear();
  page.AppendContext(&context);  // nothing left to merge but the empty texts' line breaks
  EXPECT_EQ(page.JavaScript(), "function f(){}\r\n");
}

TEST(TKXCompContext, ClientPropertiesAreWrittenOnlyUnderTheFormLayout) {
  TFormFixture f;
  TKXPageContext40 page(nullptr);
  TKXContainerContext container(nullptr, true);
  container.SetLayout(f.Form->Layout());
  TKXCompContext context(f.Form, &container, &page);

  context.InitKXCLProperty("EDIT1", "MaxLength", "10");
  EXPECT_EQ(page.GetKXCLInitProc(), "  EDIT1KXCL.MaxLength = 10;\r\n\r\n");

  f.Form->Layout()->Kind = lkTemplate;
  context.InitKXCLProperty("EDIT1", "Other", "1");
  container.SetLayout(nullptr);
  context.InitKXCLProperty("EDIT1", "Third", "1");
  EXPECT_EQ(page.GetKXCLInitProc(), "  EDIT1KXCL.MaxLength = 10;\r\n\r\n");
}

TEST(TKXCompContext, CachedImageSourceIsAScriptLiteral) {
  TKXCompContext context(nullptr, nullptr, nullptr);
  context.CacheImage("Logo", "img/a\".png");
  EXPECT_EQ(context.JavaScript(),
            "GImageCache_Logo=new Image();\r\nGImageCache_Logo.src=\"img/a\\x22.png\";\r\n");
}

TEST(TKXCompContext, ForgetsAPageContextThatWasFreed) {
  TFormFixture f;
  TKXContainerContext container(nullptr, true);
  auto page = std::make_unique<TKXPageContext40>(nullptr);
  TKXCompContext context(f.Form, &container, page.get());
  EXPECT_EQ(context.PageContext(), page.get());
  page.reset();
  EXPECT_EQ(context.PageContext(), nullptr);
  context.AddScriptFile("x.js");  // nothing to forward to, and no crash
  context.InitKXCLProperty("A", "B", "C");
}

// ---------------------------------------------------------------------------

struct ContainerFixture : TFormFixture {
  TKXPageContext40 Page{nullptr};
  TKXContainerContext Context{nullptr, true};

  bool Register(TComponent* component) {
    return Context.AddComponent(std::make_unique<TKXCompContext>(component, &Context, &Page));
  }
};

TEST(TKXContainerContext, RegistersAComponentOnceAndFreesTheSecondContext) {
  ContainerFixture f;
  f.Form->AppForm = true;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  EXPECT_TRUE(f.Register(edit));
  EXPECT_FALSE(f.Register(edit));  // the context is freed (AddressSanitizer sees a leak otherwise)
  EXPECT_EQ(f.Context.GetControlsCount(), 1);
  EXPECT_EQ(f.Context.GetControlInstance("edit1"), edit);
  EXPECT_EQ(f.Context.GetControlInstanceFromIndex(0), edit);
  EXPECT_FALSE(f.Context.IsValidComponent("FORM1.EDIT1"));  // an application form adds no path
}

TEST(TKXContainerContext, FindsAControlOfAFrameByNameAndPathInAnyCase) {
  ContainerFixture f;
  auto* frame = f.Add<TFrame>("Frame1", f.Form);
  auto* edit = f.Add<TTestEdit>("Edit1", frame, frame);
  ASSERT_EQ(edit->HTMLName(), "FRAME1EDIT1");
  ASSERT_TRUE(f.Register(edit));
  for (const char* name : {"FRAME1EDIT1", "Edit1", "edit1", "Form1.Frame1.Edit1", "form1.frame1.EDIT1"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(f.Context.IsValidComponent(name));
    EXPECT_EQ(f.Context.GetControlInstance(name), edit);
    EXPECT_NE(f.Context.GetComponentContext(name), nullptr);
  }
}

TEST(TKXContainerContext, FrameRegionAddsNothingToThePath) {
  TFormFixture f;
  auto* frame = f.Add<TFrame>("Frame1", f.Form);
  auto* region = f.Add<TTestPanel>("KXFrameRegion", frame, frame);
  auto* edit = f.Add<TTestEdit>("Edit1", region, region);
  EXPECT_EQ(ComponentPath(region), "Form1.Frame1");
  EXPECT_EQ(ComponentPath(edit), "Form1.Frame1.Edit1");
  f.Form->AppForm = true;
  EXPECT_EQ(ComponentPath(edit), "Frame1.Edit1");
}

TEST(TKXContainerContext, DottedNamesDescendOnlyIntoRenderedContainers) {
  TFormFixture f;
  f.Form->AppForm = true;
  auto* panel = f.Add<TTestPanel>("Panel1", f.Form);
  auto* inner = f.Add<TTestEdit>("Inner", panel);
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  (void)edit;

  // Before the panel rendered it has no context: a forged name finds nothing and does not crash.
  TKXContainerContext context(nullptr, true);
  TKXPageContext40 page(nullptr);
  context.AddComponent(std::make_unique<TKXCompContext>(panel, &context, &page));
  context.AddComponent(std::make_unique<TKXCompContext>(edit, &context, &page));
  EXPECT_FALSE(context.IsValidComponent("PANEL1.INNER"));
  EXPECT_EQ(context.GetControlInstance("PANEL1.INNER"), nullptr);
  EXPECT_EQ(context.GetComponentContext("PANEL1.INNER"), nullptr);

  TKXContainerContext* rendered = f.Form->Render();
  EXPECT_TRUE(rendered->IsValidComponent("panel1.inner"));
  EXPECT_EQ(rendered->GetControlInstance("PANEL1.INNER"), inner);
  EXPECT_NE(rendered->GetMarkupLanguageTag("Panel1.Inner"), nullptr);
  // A first part that is not a container, or a missing part, makes the name invalid.
  for (const char* name : {"EDIT1.INNER", "NOSUCH.INNER", "PANEL1.NOSUCH", "PANEL1.", ".INNER"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(rendered->IsValidComponent(name));
    EXPECT_EQ(rendered->GetControlInstance(name), nullptr);
  }
}

TEST(TKXContainerContext, ComponentThatPostsFilesSwitchesToMultipart) {
  struct TUpload : TTestEdit, IMpfDataAttrib {};
  ContainerFixture f;
  f.Register(f.Add<TTestEdit>("Edit1", f.Form));
  EXPECT_EQ(f.Context.FormEncoding(), feURL);
  TComponent* upload = TComponent::Create<TUpload>(f.Form);
  upload->SetName("Upload1");
  f.Register(upload);
  EXPECT_EQ(f.Context.FormEncoding(), feMultiPart);
}

TEST(TKXContainerContext, AFreedComponentIsNoLongerFound) {
  ContainerFixture f;
  f.Form->AppForm = true;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  f.Register(edit);
  edit->Free();
  EXPECT_FALSE(f.Context.IsValidComponent("EDIT1"));
  EXPECT_EQ(f.Context.GetControlInstance("EDIT1"), nullptr);
  EXPECT_EQ(f.Context.GetControlInstanceFromIndex(0), nullptr);
}

TEST(TKXContainerContext, RemovedContextLeavesEveryName) {
  ContainerFixture f;
  auto* frame = f.Add<TFrame>("Frame1", f.Form);
  auto* edit = f.Add<TTestEdit>("Edit1", frame, frame);
  f.Register(edit);
  TKXBaseComponentContext* context = f.Context.GetComponentContext("EDIT1");
  std::unique_ptr<TKXBaseComponentContext> taken = f.Context.RemoveComponent(context);
  EXPECT_EQ(taken.get(), context);
  for (const char* name : {"FRAME1EDIT1", "EDIT1", "FORM1.FRAME1.EDIT1"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(f.Context.GetComponentContext(name), nullptr);
  }
  EXPECT_EQ(f.Context.RemoveComponent(context), nullptr);
}

// Names refer to their component's place in the registry: taking out one in the middle leaves the others' names
// leading to their own components and contexts, also for a name given by its path.
TEST(TKXContainerContext, RemovingOneKeepsTheOthersNamesOnTheirComponents) {
  ContainerFixture f;
  auto* frame = f.Add<TFrame>("Frame1", f.Form);
  auto* first = f.Add<TTestEdit>("Edit1", f.Form);
  auto* middle = f.Add<TTestEdit>("Edit2", f.Form);
  auto* last = f.Add<TTestEdit>("Edit3", frame, frame);
  for (TComponent* component : {static_cast<TComponent*>(first), static_cast<TComponent*>(middle),
                                static_cast<TComponent*>(last)})
    f.Register(component);
  TKXBaseComponentContext* firstContext = f.Context.GetComponentContext("EDIT1");
  TKXBaseComponentContext* lastContext = f.Context.GetComponentContext("FRAME1EDIT3");
  ASSERT_NE(f.Context.RemoveComponent(f.Context.GetComponentContext("EDIT2")), nullptr);
  EXPECT_EQ(f.Context.RemoveComponent(nullptr), nullptr);

  ASSERT_EQ(f.Context.GetControlsCount(), 2);
  const struct {
    const char* name;
    TComponent* component;
    TKXBaseComponentContext* context;
  } names[] = {{"EDIT1", first, firstContext},
               {"EDIT2", nullptr, nullptr},
               {"FRAME1EDIT3", last, lastContext},
               {"EDIT3", last, lastContext},
               {"FORM1.FRAME1.EDIT3", last, lastContext}};
  for (const auto& n : names) {
    SCOPED_TRACE(n.name);
    EXPECT_EQ(f.Context.GetControlInstance(n.name), n.component);
    EXPECT_EQ(f.Context.GetComponentContext(n.name), n.context);
  }
  EXPECT_EQ(f.Context.GetControlInstanceFromIndex(1), last);
  EXPECT_EQ(f.Context.GetComponentContextFromIndex(1), lastContext);
}

}  // namespace
}  // namespace kx
