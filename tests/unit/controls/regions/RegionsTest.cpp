#include "kx/controls/regions/Regions.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "kx/appserver/InternalFiles.h"
#include "kx/appserver/Startup.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/labels/Labels.h"
#include "kx/forms/Forms.h"
#include "kx/forms/LayoutManagers.h"
#include "support/RenderedTags.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::Attribute;
using test::Rendered;
using test::TFormFixture;
using test::TSessionFixture;

// The child tag of tag at index; null when there is none or it is no tag.
TKXMarkupLanguageTag* Child(TKXMarkupLanguageTag* tag, int index) {
  if (tag == nullptr || index >= tag->Contents()->Count()) return nullptr;
  return dynamic_cast<TKXMarkupLanguageTag*>(tag->Contents()->GetHTMLElement(index));
}

// ---------------------------------------------------------------------------
// TKXContainerBorderOptions, TKXBorderOptions

TEST(TKXContainerBorderOptions, PixelWidthByStyleAndWidth) {
  struct Case {
    TKXContainerBorderStyle style;
    TKXContainerBorderWidth width;
    int numeric;
    int pixels;
  };
  const Case cases[] = {
      {cbsSolid, cbwNumeric, 1, 1}, {cbsSolid, cbwThin, 9, 1},    {cbsDotted, cbwMedium, 9, 3},
      {cbsInset, cbwThick, 9, 5},   {cbsHidden, cbwNumeric, 5, 0}, {cbsNone, cbwThick, 5, 0},
      {cbsDouble, cbwNumeric, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.style) * 100 + int(c.width));
    TKXContainerBorderOptions options(c.numeric, c.width, c.style, clBlack);
    EXPECT_EQ(options.GetPixelWidth(), c.pixels);
  }
  // A control whose style options leave borders out has none.
  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  EXPECT_EQ(region->BorderPixelWidth(), 1);
  region->StyleRenderOptions().SetRenderBorder(false);
  EXPECT_EQ(region->BorderPixelWidth(), 0);
}

TEST(TKXContainerBorderOptions, FrameStyle) {
  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  TKXContainerBorderOptions& options = region->BorderOptions();
  options.SetColor(clRed);
  options.SetStyle(cbsDashed);
  options.InitalizeForRendering(clYellow, true, false);
  EXPECT_EQ(options.RenderFrameStyle(true),
            "border-color:#FF0000; border-style: dashed; border-width: 1px; overflow-x: auto; overflow-y: hidden; "
            "background-color: #FFFF00; padding: 0; ");
  options.SetBorderWidth(cbwMedium);
  options.InitalizeForRendering(clNone, false, true);
  EXPECT_EQ(options.RenderFrameStyle(false), "border-color:#FF0000; border-style: dashed; border-width: medium; padding: 0; ");
  // Without a control that draws borders: no border at all.
  TKXContainerBorderOptions loose(3, cbwNumeric, cbsSolid, clRed);
  EXPECT_EQ(loose.RenderFrameStyle(true), "border-width: 0;overflow-x: auto; overflow-y: auto; padding: 0; ");
}

TEST(TKXContainerBorderOptions, SettersTellOnlyRealChangesAndAssignCopiesTheValues) {
  TKXContainerBorderOptions options;
  int changes = 0;
  options.OnChange = [&](TObject*) { ++changes; };
  options.SetStyle(cbsNone);
  options.SetColor(0);
  options.SetNumericWidth(0);
  options.SetBorderWidth(cbwThin);
  EXPECT_EQ(changes, 0);
  options.SetStyle(cbsRidge);
  options.SetColor(clGreen);
  options.SetNumericWidth(4);
  options.SetBorderWidth(cbwNumeric);
  EXPECT_EQ(changes, 4);

  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  region->SetBorderOptions(options);
  EXPECT_EQ(region->BorderOptions().Style(), cbsRidge);
  EXPECT_EQ(region->BorderOptions().NumericWidth(), 4);
  EXPECT_EQ(region->BorderOptions().Control(), region);  // the region's own control stays
  EXPECT_EQ(region->BorderPixelWidth(), 4);
  EXPECT_EQ(changes, 4);
}

TEST(TKXContainerBorderOptions, DefaultFrameWrapsTheTagOfAControl) {
  TFormFixture f;
  auto* label = f.Add<TKXLabel>("Label1", f.Form);
  label->WebFont().SetSize(12);
  TKXElementPtr<TKXMarkupLanguageTag> content = TKXHTMLTag::Create("SPAN");
  content->AddStringParam("style", "color: red");
  TKXMarkupLanguageTag* inner = content.get();
  TKXElementPtr<TKXFrameHTMLTag> frame = TKXContainerBorderOptions::CreateDefaultFrame(std::move(content), nullptr, label);
  EXPECT_EQ(frame->Tag(), "div");
  EXPECT_EQ(frame->EmbededTag(), inner);
  EXPECT_EQ(Attribute(frame.get(), "style"), "border-style: inset; border-width: 2px; padding: 0; ");
  EXPECT_EQ(Attribute(inner, "style"), label->WebFont().FontToStringStyle());
  frame->Contents()->Clear();
  EXPECT_EQ(frame->EmbededTag(), nullptr);
}

TEST(TKXBorderOptions, StyleAndChangesInvalidateTheControl) {
  TFormFixture f;
  auto* label = f.Add<TKXLabel>("Label1", f.Form);
  TKXBorderOptions options(label);
  EXPECT_EQ(options.RenderStyle(), "border-width: 0px; border-style: solid; ");
  int changes = 0;
  options.OnChange = [&](TObject*) { ++changes; };
  label->SetDoRefreshControl(false);
  options.SetWidth(2);
  options.SetColor(clBlue);
  options.SetColor(clBlue);
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(label->DoRefreshControl());
  EXPECT_EQ(options.RenderStyle(), "border-width: 2px; border-style: solid; border-color: #0000FF; ");
  TKXBorderOptions copy(clNone, 0);
  copy.Assign(&options);
  EXPECT_EQ(copy.RenderStyle(), options.RenderStyle());
}

// ---------------------------------------------------------------------------
// TKXRegion

TEST(TKXRegion, DefaultsAndSizeInsideTheBorder) {
  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  EXPECT_EQ(region->HTMLWidth(), 58);
  EXPECT_EQ(region->HTMLHeight(), 58);
  EXPECT_EQ(region->ClientRect(), Rect(1, 1, 59, 59));
  region->SetBounds(0, 0, 1, 1);
  EXPECT_EQ(region->HTMLWidth(), 0);  // never below 0
  // The interfaces the forms query.
  EXPECT_NE(HTML40ControlInterface(region), nullptr);
  EXPECT_NE(HTML40ContainerInterface(region), nullptr);
  EXPECT_NE(InputInterface(region), nullptr);
  EXPECT_NE(Supports<IKXRegion>(region), nullptr);
  EXPECT_TRUE(region->SupportsInput());
  EXPECT_FALSE(region->SupportsSubmit());
}

TEST(TKXRegion, RendersADivWithItsChildrenLaidOutInside) {
  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  region->SetBounds(10, 20, 300, 200);
  auto* edit = f.Add<TKXEdit>("Edit1", region);
  edit->SetBounds(5, 6, 100, 21);
  auto* label = f.Add<TKXLabel>("Label1", region);
  label->SetCaption("a<b");
  label->SetBounds(5, 40, 100, 21);

  TKXContainerContext* context = f.Form->Render();
  TKXMarkupLanguageTag* div = context->GetMarkupLanguageTag("REGION1");
  ASSERT_NE(div, nullptr);
  EXPECT_EQ(div->Tag(), "div");
  const std::string text = div->Render();
  // The children as the region's form layout writes them: the edit in a FORM wrapper, the label outside it.
  EXPECT_NE(text.find("<form onsubmit=\"return FormDefaultSubmit();\">\r\n<input type=\"TEXT\" name=\"EDIT1\" "
                      "maxlength=\"2147483647\" class=\"EDIT1CSS\" id=\"EDIT1\""),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("<span class=\"LABEL1CSS\" id=\"LABEL1\">a&lt;b</span>"), std::string::npos) << text;
  // Their positions are class rules of the page.
  const std::string styles = f.Form->Page.StyleTag()->Render();
  EXPECT_NE(styles.find(".EDIT1CSS {position: absolute; left: 5px; top: 6px;"), std::string::npos) << styles;
  EXPECT_NE(styles.find(".LABEL1CSS {position: absolute; left: 5px; top: 40px;"), std::string::npos) << styles;
  // The edit's value field joins the page's post form.
  EXPECT_NE(f.Form->Page.FormHiddenInput().IndexOf("EDIT1"), -1);
  // The children's client objects belong to the region's.
  EXPECT_NE(f.Form->Page.GetKXCLInitProc().find("KX.initKXCL(REGION1KXCL,\"EDIT1\",true);"), std::string::npos);
  EXPECT_NE(f.Form->Page.GetKXCLInitProc().find("  REGION1KXCL.BorderWidthPixels = 1;\r\n"), std::string::npos);
  // The region's own layout was made for it and let go of it again.
  auto* layout = dynamic_cast<TKXLayoutMgrForm*>(region->LayoutMgr());
  ASSERT_NE(layout, nullptr);
  EXPECT_EQ(layout->GetCurrentContainer(), nullptr);
}

TEST(TKXRegion, NestedRegionsNameTheirChildrenAndKeepThemInsideTheirBorders) {
  TFormFixture f;
  auto* outer = f.Add<TKXRegion>("Outer", f.Form);
  outer->SetBounds(0, 0, 400, 300);
  auto* inner = f.Add<TKXRegion>("Inner", outer);
  inner->SetBounds(0, 0, 200, 100);
  EXPECT_EQ(inner->Left(), 1);  // kept inside the outer border
  auto* button = f.Add<TKXButton>("Button1", inner);
  button->SetBounds(0, 0, 75, 25);
  EXPECT_EQ(button->Left(), 1);

  TKXContainerContext* context = f.Form->Render();
  const std::string text = context->GetMarkupLanguageTag("OUTER")->Render();
  EXPECT_NE(text.find("<div class=\"INNERCSS KXCLIPCONTROL\" id=\"INNER\""), std::string::npos) << text;
  EXPECT_NE(text.find("name=\"BUTTON1\""), std::string::npos) << text;

  // A wider border moves the children that lie within it.
  inner->BorderOptions().SetNumericWidth(4);
  EXPECT_EQ(button->Left(), 4);
  EXPECT_EQ(button->Top(), 4);
  EXPECT_EQ(inner->ClientRect(), Rect(4, 4, 196, 96));
}

TEST(TKXRegion, AlignedChildrenFillTheClientArea) {
  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  region->SetBounds(0, 0, 100, 80);
  region->BorderOptions().SetNumericWidth(2);
  auto* memo = f.Add<TKXMemo>("Memo1", region);
  memo->SetAlign(alClient);
  EXPECT_EQ(memo->BoundsRect(), Rect(2, 2, 98, 78));
}

TEST(TKXRegion, StyleClassAndHint) {
  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  region->SetColor(clAqua);
  region->SetVertScrollBar(false);
  region->SetHint("it's \"<b>\"");
  TKXMarkupLanguageTag* div = Rendered(f, "REGION1");
  EXPECT_EQ(Attribute(div, "title"), "it&#39;s &quot;&lt;b&gt;&quot;");
  auto* context = static_cast<TKXCompContext*>(f.Form->ContainerContext()->GetComponentContext("REGION1"));
  EXPECT_EQ(region->RenderStyle(context),
            "position: absolute; z-index: 1100; width: 58px; height: 58px; padding: 0; "
            "border-style: solid; border-width: 1px; overflow-x: auto; overflow-y: hidden; "
            "background-color: #00FFFF; padding: 0; ");
  EXPECT_EQ(region->RenderCSSClass(context), "REGION1CSS KXCLIPCONTROL");
  region->SetClipRegion(false);
  region->SetCss("Panel");
  EXPECT_EQ(region->RenderCSSClass(context), "Panel");
  EXPECT_EQ(region->RenderStyle(context).find("overflow"), std::string::npos);
}

TEST(TKXRegion, ControlWithUseFrameIsFramedInsideARegion) {
  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  auto* label = f.Add<TKXLabel>("Label1", region);
  label->SetCaption("x");
  label->SetUseFrame(true);
  const std::string text = Rendered(f, "REGION1")->Render();
  EXPECT_NE(text.find("<div style=\"border-style: inset; border-width: 2px; padding: 0; \" class=\"LABEL1CSS\" "
                      "id=\"LABEL1\"><span"),
            std::string::npos)
      << text;
}

TEST(TKXRegion, SplitterOfATopAlignedRegion) {
  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  region->SetAlign(alTop);
  region->SetHeight(100);
  region->SetSplitter(true);
  TKXMarkupLanguageTag* div = Rendered(f, "REGION1");
  TKXMarkupLanguageTag* form = Child(div, 0);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Render(),
            "\r\n<form onsubmit=\"return FormDefaultSubmit();\">\r\n"
            "<input name=\"REGION1_data\" id=\"REGION1_data\" type=\"hidden\" value=\"0,100\"></form>");
  TKXMarkupLanguageTag* grip = Child(div, 1);
  ASSERT_NE(grip, nullptr);
  EXPECT_EQ(Attribute(grip, "id"), "REGION1_grip");
  EXPECT_EQ(Attribute(grip, "onmousedown"), "return GripMouseDown(event,'bottom')");
  EXPECT_EQ(Attribute(grip, "style"),
            "z-index:11000;bottom:0px; width: 100%; height:4px;border-top: 2px solid; position: absolute; "
            "overflow: hidden; cursor: n-resize;background-color: lightgray;");
  EXPECT_NE(f.Form->Page.ScriptFiles().IndexOf("/js/KXSplitter.js"), -1);

  // The posted position and size: the height changes, the top stays.
  TStringList names;
  region->GetInputControlNames(names);
  ASSERT_EQ(names.Count(), 1);
  EXPECT_EQ(names.Strings(0), "REGION1_data");
  EXPECT_TRUE(region->IsForThisControl("region1_DATA"));
  region->SetValue("10,250");
  EXPECT_EQ(region->Top(), 0);
  EXPECT_EQ(region->Height(), 250);
}

TEST(TKXRegion, SplitterPerAlignment) {
  struct Case {
    TAlign align;
    const char* side;
    const char* value;  // of a 600 x 400 form, region 100 wide or high
    TRect after;        // after posting "10,250"
  };
  const Case cases[] = {
      {alTop, "bottom", "0,100", Rect(0, 0, 800, 250)},
      {alBottom, "top", "500,100", Rect(0, 350, 800, 600)},
      {alLeft, "right", "0,100", Rect(0, 0, 250, 600)},
      {alRight, "left", "700,100", Rect(550, 0, 800, 600)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.align));
    TFormFixture f;
    auto* region = f.Add<TKXRegion>("Region1", f.Form);
    region->SetBounds(0, 0, 100, 100);
    region->SetAlign(c.align);
    region->SetSplitter(true);
    TKXMarkupLanguageTag* div = Rendered(f, "REGION1");
    EXPECT_EQ(Attribute(Child(Child(div, 0), 0), "value"), c.value);
    EXPECT_EQ(Attribute(Child(div, 1), "onmousedown"), std::string("return GripMouseDown(event,'") + c.side + "')");
    region->SetValue("10,250");
    // The form realigns: the region keeps to its edge with its new size.
    EXPECT_EQ(region->BoundsRect(), c.after);
  }
}

TEST(TKXRegion, NoSplitterWithoutAnEdgeAlignment) {
  for (TAlign align : {alNone, alClient}) {
    SCOPED_TRACE(int(align));
    TFormFixture f;
    auto* region = f.Add<TKXRegion>("Region1", f.Form);
    region->SetAlign(align);
    region->SetSplitter(true);
    TKXMarkupLanguageTag* div = Rendered(f, "REGION1");
    EXPECT_EQ(div->Contents()->Count(), 1);  // only the (empty) body of the layout
    TStringList names;
    names.Add("stale");
    region->GetInputControlNames(names);
    EXPECT_EQ(names.Count(), 0);
    const TRect before = region->BoundsRect();
    region->SetValue("10,250");
    EXPECT_EQ(region->BoundsRect(), before);
  }
}

TEST(TKXRegion, SplitterGripAboveTheChildrenAndWiderForOldExplorer) {
  TSessionFixture session("Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1)");
  session.Session->Browser()->SetStrictMode(false);
  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  region->SetAlign(alLeft);
  region->SetSplitter(true);
  auto* edit = f.Add<TKXEdit>("Edit1", region);
  edit->SetZIndex(20000);
  TKXPageContext40 page(session.Session);
  TKXContainerContext container(session.Session, true);
  TKXCompContext context(region, &container, &page);
  TKXElementPtr<TKXHTMLTag> div = region->RenderHTML(&context);
  EXPECT_EQ(Attribute(Child(div.get(), 1), "style").substr(0, 52),
            "z-index:20001;right:0px; top:0px; height: 100%; widt");
  EXPECT_NE(Attribute(Child(div.get(), 1), "style").find("width:6px;"), std::string::npos);
  // The border is inside the size for that browser.
  EXPECT_EQ(region->HTMLWidth(), region->Width());
}

TEST(TKXRegion, MalformedSplitterValueRaises) {
  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  region->SetAlign(alTop);
  region->SetSplitter(true);
  for (const char* value : {"10", "a,b", "10;250", "10,"}) {
    SCOPED_TRACE(value);
    EXPECT_THROW(region->SetValue(value), EConvertError);
  }
  region->SetValue("");  // nothing posted: nothing changes
}

TEST(TKXRegion, AsyncUpdate) {
  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  region->SetBounds(3, 4, 100, 50);
  region->StyleRenderOptions().SetRenderFont(false);
  TKXCompContext context(region, nullptr, nullptr);
  const std::string text = region->RenderAsync(&context)->Render();
  EXPECT_EQ(text,
            "\r\n<control id=\"REGION1\" type=\"KXREGION\">\r\n<css>REGION1CSS KXCLIPCONTROL</css>\r\n"
            "<supportsinput>false</supportsinput>\r\n<enabled>true</enabled>\r\n<hint></hint>\r\n<style>\r\n"
            "<attribute name=\"visibility\">inherit</attribute>\r\n<attribute name=\"left\">3px</attribute>\r\n"
            "<attribute name=\"top\">4px</attribute>\r\n<attribute name=\"z-index\">1100</attribute></style>\r\n"
            "<style>\r\n<attribute name=\"border-style\">solid</attribute>\r\n"
            "<attribute name=\"border-width\">1px</attribute>\r\n<attribute name=\"overflow-x\">auto</attribute>\r\n"
            "<attribute name=\"overflow-y\">auto</attribute>\r\n<attribute name=\"padding\">0</attribute>\r\n"
            "<attribute name=\"height\">48px</attribute>\r\n<attribute name=\"width\">98px</attribute></style>"
            "</control>");
}

TEST(TKXRegion, ChangesMarkTheRegionForRefresh) {
  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  const std::function<void()> changes[] = {
      [&] { region->SetVisible(false); },        [&] { region->SetColor(clRed); },
      [&] { region->BorderOptions().SetStyle(cbsGroove); },
      [&] { region->StyleRenderOptions().SetRenderFont(false); },
      [&] { region->SetCss("x"); },              [&] { region->SetHorizScrollBar(false); },
  };
  int index = 0;
  for (const auto& change : changes) {
    SCOPED_TRACE(index++);
    region->SetDoRefreshControl(false);
    change();
    EXPECT_TRUE(region->DoRefreshControl());
    EXPECT_TRUE(region->RequiresRefresh());
  }
  // An update renders the region and its marked children.
  auto* label = f.Add<TKXLabel>("Label1", region);
  region->SetDoRefreshControl(true);
  label->SetDoRefreshControl(true);
  EXPECT_EQ(f.Form->RenderUpdate()->GetControlsCount(), 2);
  EXPECT_TRUE(region->CheckUpdateTree(label));
  EXPECT_FALSE(region->CheckComponentForRender(label));  // on a form: never
}

// The members written once in TKXForwardToImplementation, answered by a region
// and by a control alike: a change marks the component for refresh, the same
// value again does not; the extra attributes always do.
TEST(TKXForwardToImplementation, ARegionAndAControlAnswerTheSharedMembersAlike) {
  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  auto* edit = f.Add<TKXEdit>("Edit1", f.Form);
  TStringList extra;
  extra.Add("data-x=1");
  for (TComponent* component : {static_cast<TComponent*>(region), static_cast<TComponent*>(edit)}) {
    SCOPED_TRACE(component->Name());
    IKXHTML40Control* control = Supports<IKXHTML40Control>(component);
    IKXHTML40Component* html = Supports<IKXHTML40Component>(component);
    ASSERT_TRUE(control && html);
    const bool clip = !control->Clip();  // on for a region, off for a control
    const std::function<void()> changes[] = {
        [&] { control->SetZIndex(7); },
        [&] { control->SetClip(clip); },
        [&] { control->SetWebCursor(crWait); },
        [&] { control->SetRenderSize(false); },
        [&] { Supports<IKXBaseControl>(component)->SetBounds(10, 10, 50, 50); },
    };
    int index = 0;
    for (const auto& change : changes) {
      SCOPED_TRACE(index++);
      html->SetDoRefreshControl(false);
      change();
      EXPECT_TRUE(control->RequiresRefresh());
      html->SetDoRefreshControl(false);
      change();
      EXPECT_FALSE(control->RequiresRefresh());
    }
    control->SetExtraTagParams(extra);
    EXPECT_TRUE(control->RequiresRefresh());
    EXPECT_EQ(control->ComponentName(), UpperCase(component->Name()));
  }
  // A region writes no tab index in front of the extra attributes (a control's: BaseControlsTest.cpp).
  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("DIV");
  EXPECT_EQ(region->MakeHTMLTag(tag.get()), "\r\n<div data-x=\"1\"></div>");
}

TEST(TKXRegion, ContainerPrefixAndFrameRegion) {
  TFormFixture f;
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  EXPECT_EQ(region->ContainerPrefix(), "");
  auto* frame = f.Add<TFrame>("Frame1", f.Form);
  auto* frameRegion = f.Add<TKXRegion>("KXFrameRegion", frame, frame);
  EXPECT_EQ(frameRegion->ContainerPrefix(), "FRAME1");
  auto* edit = f.Add<TKXEdit>("Edit1", frameRegion, frame);
  EXPECT_EQ(edit->HTMLName(), "EDIT1FRAME1");
  // The frame's region keeps its name and fills the frame.
  frameRegion->SetName("Other");
  EXPECT_EQ(frameRegion->Name(), "KXFrameRegion");
  EXPECT_EQ(frameRegion->Align(), alClient);
}

TEST(TKXRegion, OnCreateRunsAfterLoading) {
  class TRegionForm : public TKXForm {
    KX_COMPONENT_CLASS(TRegionForm, TKXForm)

   public:
    int Created = 0;

   protected:
    void BuildComponents() override {
      auto* region = TComponent::Create<TKXRegion>(this);
      region->SetName("Region1");
      region->SetParent(this);
      region->OnCreate = [this](TObject*) { ++Created; };
    }
  };
  TOwnedComponent<TRegionForm> form(TComponent::Create<TRegionForm>(nullptr));
  EXPECT_EQ(form->Created, 1);
}

TEST(TKXRegion, TabOrderIsTheStoredValueOffAFrame) {
  TFormFixture f;
  auto* first = f.Add<TKXRegion>("Region1", f.Form);
  auto* second = f.Add<TKXRegion>("Region2", f.Form);
  EXPECT_EQ(first->TabOrder(), 0);
  EXPECT_EQ(second->TabOrder(), 1);
  second->SetTabOrder(-1);  // -1 keeps the stored value
  EXPECT_EQ(second->TabOrder(), 1);
  first->SetTabOrder(5);
  EXPECT_EQ(first->TabOrder(), 5);
  // Children render in tab order: the second region first now.
  TKXContainerContext* context = f.Form->Render();
  EXPECT_EQ(context->GetControlInstanceFromIndex(0), second);
}

TEST(InstallRegions, RegistersTheSplitterScriptAndTheDefaultFrame) {
  Startup();
  gCreateDefaultFrame = nullptr;
  InstallRegions();
  ASSERT_NE(gInternalFiles, nullptr);
  EXPECT_TRUE(gInternalFiles->ResourceExists("KX_JS_KXSPLITTER"));
  ASSERT_NE(gCreateDefaultFrame, nullptr);
  TFormFixture f;
  auto* label = f.Add<TKXLabel>("Label1", f.Form);
  TKXElementPtr<TKXMarkupLanguageTag> frame = gCreateDefaultFrame(TKXHTMLTag::Create("SPAN"), label);
  EXPECT_EQ(frame->Render(), "\r\n<div style=\"border-style: inset; border-width: 2px; padding: 0; \"><span style=\"" +
                                 label->WebFont().FontToStringStyle() + "\"></span></div>");
}

}  // namespace
}  // namespace kx
