#include "kx/controls/tabs/TabControl.h"

#include <algorithm>

#include "kx/appserver/Application.h"
#include "kx/controls/tabs/FamilyFiles.h"
#include "kx/foundation/Colors.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* CRLF = "\r\n";

std::string JSString(const std::string& text) {
  return "\"" + TKXBaseHTMLControl::TextToJSStringLiteral(text) + "\"";
}

std::string TabStyle(const TKXFont& font, TKXColor color) {
  return font.FontToStringStyle() + "background-color:" + ColorToRGBString(color) +
         ";cursor: pointer; height: 20px; padding: 3px;";
}

void AddStyleHolder(TKXHTMLTag* div, const std::string& id, const std::string& style) {
  TKXHTMLTag* input = div->Contents()->AddTag("input", false);
  input->AddStringParam("type", "hidden");
  input->AddStringParam("id", id);
  input->AddStringParam("style", style);
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXTabControl

void TKXTabControl::InitControl() {
  TKXCustomRegion::InitControl();
  SetClip(false);
  BorderOptions().SetStyle(cbsNone);
  BorderOptions().SetNumericWidth(0);
  SetUseFrame(false);
  SetWebColor(clSilver);
  FActivePage = 0;
  FActiveTabFont.SetColor(clWhite);
  FActiveTabFont.SetStyle({fsBold});
  FActiveTabFont.SetFontFamily(std::string(TKXFont::DefaultFontFamily));
  FActiveTabColor = 0xA9A9A9;
  FInactiveTabFont.SetColor(clBlack);
  FInactiveTabFont.SetFontFamily(std::string(TKXFont::DefaultFontFamily));
  FInactiveTabColor = 0xD3D3D3;
  FActiveTabFont.OnChange = [this](TObject*) { Invalidate(); };
  FInactiveTabFont.OnChange = [this](TObject*) { Invalidate(); };
}

void TKXTabControl::SetActiveTabColor(TKXColor value) {
  AssignProperty(FActiveTabColor, value, [this] { Invalidate(); });
}

void TKXTabControl::SetInactiveTabColor(TKXColor value) {
  AssignProperty(FInactiveTabColor, value, [this] { Invalidate(); });
}

void TKXTabControl::SetActivePage(std::int32_t value) {
  AssignProperty(FActivePage, value, [this] { Invalidate(); });
}

std::vector<TKXTabPage*> TKXTabControl::Pages() const {
  std::vector<TKXTabPage*> pages;
  for (const TComponentRef<TKXTabPage>& page : FPages) {
    if (page) pages.push_back(page.Get());
  }
  return pages;
}

std::vector<TKXTabPage*> TKXTabControl::VisiblePages() const {
  std::vector<TKXTabPage*> pages = Pages();
  std::erase_if(pages, [](TKXTabPage* page) { return !page->Visible(); });
  std::stable_sort(pages.begin(), pages.end(),
                   [](TKXTabPage* a, TKXTabPage* b) { return a->TabOrder() < b->TabOrder(); });
  return pages;
}

int TKXTabControl::ActiveIndex() const {
  const std::vector<TKXTabPage*> pages = VisiblePages();
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (pages[i]->TabOrder() == FActivePage) return int(i);
  }
  return 0;
}

void TKXTabControl::pageAdded(TKXTabPage* page) {
  if (page == nullptr) return;
  for (const TComponentRef<TKXTabPage>& known : FPages) {
    if (known.Get() == page) return;
  }
  FPages.emplace_back(page);
  // A page that never got a tab order takes its place at the end, so that every page can be named by one.
  if (page->TabOrder() < 0) page->SetTabOrder(int(Pages().size()) - 1);
  Invalidate();
}

void TKXTabControl::pageRemoved(TKXTabPage* page) {
  std::erase_if(FPages, [page](const TComponentRef<TKXTabPage>& known) { return !known || known.Get() == page; });
  if (!ComponentState().Contains(csDestroying)) Invalidate();
}

TKXTabPage* TKXTabControl::CreateNewPage(const std::string& title, const std::string& name) {
  TComponent* owner = Owner();
  TKXTabPage* page = TComponent::Create<TKXTabPage>(owner);
  std::string pageName = name;
  for (int i = 0; pageName.empty(); ++i) {
    const std::string candidate = Name() + "Page" + std::to_string(i);
    if (owner == nullptr || owner->FindComponent(candidate) == nullptr) pageName = candidate;
  }
  page->SetName(pageName);
  page->SetParent(this);
  page->SetBounds(0, KXTabHeaderHeight, Width(), std::max(Height() - KXTabHeaderHeight, 0));
  page->SetAnchors({akLeft, akTop, akRight, akBottom});
  page->SetTabOrder(int(Pages().size()) - 1);
  page->SetTitle(title.empty() ? "Page" + std::to_string(page->TabOrder()) : title);
  page->SetVisible(true);
  return page;
}

TKXElementPtr<TKXHTMLTag> TKXTabControl::RenderHTML(TKXCompContext* context) {
  TKXElementPtr<TKXHTMLTag> div = TKXCustomRegion::RenderHTML(context);
  const std::string name = HTMLName();
  const std::string variable = "TABCONTROL_" + name;

  std::string script = variable + "= new JSTabControl( document.getElementById( " + JSString(name) + " ) );";
  if (OnChange) script += CRLF + variable + ".SubmitOnChange = true;";
  if (OnAsyncChange) {
    TKXApplication* application = context ? context->WebApplication() : nullptr;
    if (application && application->CallBacks()) {
      TComponentRef<TKXTabControl> control(this);
      application->CallBacks()->RegisterCallBack(name + ".DoOnAsyncChange", [control](TStrings& params) {
        if (control) control->DoOnAsyncChange(params);
      });
    }
    script += CRLF + variable + ".SubmitOnAsync = true;";
  }

  const std::vector<TKXTabPage*> pages = VisiblePages();
  FRenderedPages.assign(pages.begin(), pages.end());
  const int activeIndex = ActiveIndex();

  TKXHTMLTag* header = div->Contents()->AddTag("div", false);
  header->AddStringParam("style", "z-index:1;white-space:nowrap;overflow:hidden;height:" +
                                      std::to_string(KXTabHeaderHeight) + "px;margin-top:0px;");
  script += CRLF + variable + ".selectedIndex = AIndex;";
  AddStyleHolder(header, "STYLEHOLDER_" + name + "_ACTIVE", TabStyle(FActiveTabFont, FActiveTabColor));
  AddStyleHolder(header, "STYLEHOLDER_" + name + "_INACTIVE", TabStyle(FInactiveTabFont, FInactiveTabColor));
  for (TKXTabPage* page : pages) {
    const std::string titleId = "PAGETITLE_" + page->HTMLName();
    TKXHTMLTag* title = header->Contents()->AddTag("span", false);
    title->AddStringParam("id", titleId);
    title->AddStringParam("style", "margin-top: 0;");
    title->Contents()->AddText(TKXBaseHTMLControl::TextToHTML(page->Title(), false, false, false), false);
    script += CRLF + variable + ".addTabPage(document.getElementById( " + JSString(page->HTMLName()) + " )," +
              JSString(titleId) + ");";
  }

  script = "if (" + name + "KXCL){" + script + "}";
  if (context != nullptr) {
    context->AddScriptFile(tabs_files::kTabcontrolJs);
    context->AddToJavaScriptOnce(CRLF + std::string("var ") + variable + "=null;");
    context->AddToJavaScriptOnce("function init_" + name + "(AIndex) {" + CRLF + script + CRLF + "}");
    context->AddToInitProc("init_" + name + "(" + std::to_string(activeIndex) + ");");
  }

  TKXHTMLTag* form = div->Contents()->AddTag("FORM", false);
  form->AddStringParam("onSubmit", "return FormDefaultSubmit();");
  TKXHTMLTag* input = form->Contents()->AddTag("INPUT", false);
  input->AddStringParam("type", "hidden");
  input->AddStringParam("name", name + "_input");
  input->AddStringParam("id", name + "_input");
  input->AddStringParam("value", std::to_string(activeIndex), true);
  return div;
}

std::string TKXTabControl::RenderCSSClass(TKXCompContext* context) {
  (void)context;
  return "tab-pane";
}

TKXElementPtr<TKXXMLTag> TKXTabControl::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXTABCONTROL");
  HTMLControlImplementation()->RenderAsyncCommonProperties(
      context, tag.get(),
      {acpEnabled, acpVisible, acpLeft, acpTop, acpZIndex, acpHint, acpFont, acpPosition, acpAlignment});
  BorderOptions().InitalizeForRendering(WebColor(), HorizScrollBar(), VertScrollBar());
  std::string style = BorderOptions().RenderStyle(context);
  if (StyleRenderOptions().RenderSize()) {
    style += " height: " + std::to_string(HTMLHeight()) + "px; width: " + std::to_string(HTMLWidth()) + "px; ";
  }
  AddAsyncStyle(tag.get(), style);
  const std::vector<TKXTabPage*> pages = VisiblePages();
  FRenderedPages.assign(pages.begin(), pages.end());
  HTMLControlImplementation()->RenderAsyncProperty("activeindex", tag.get(), std::int32_t(ActiveIndex()));
  return tag;
}

void TKXTabControl::DoOnAsyncChange(TStrings& params) {
  if (!OnAsyncChange) return;
  const std::string text = params.Values("page");
  const int index = StrToIntDef(text, -1);
  const std::vector<TKXTabPage*> pages = VisiblePages();
  if (index >= 0 && index < int(pages.size())) SetActivePage(pages[std::size_t(index)]->TabOrder());
  OnAsyncChange(this, params);
}

void TKXTabControl::SetValue(const std::string& value) {
  if (IKXUpdateNotified* parent = Supports<IKXUpdateNotified>(Parent())) parent->ControlValueUpdated(this, value);
  const int index = StrToInt(value);
  std::vector<TKXTabPage*> pages;
  for (const TComponentRef<TKXTabPage>& page : FRenderedPages) pages.push_back(page.Get());
  if (FRenderedPages.empty()) pages = VisiblePages();
  if (index < 0 || index >= int(pages.size()) || pages[std::size_t(index)] == nullptr) return;
  SetActivePage(pages[std::size_t(index)]->TabOrder());
}

void TKXTabControl::GetInputControlNames(TStrings& list) {
  list.Clear();
  list.Add(HTMLName() + "_input");
}

bool TKXTabControl::IsForThisControl(const std::string& name) { return SameText(name, HTMLName() + "_input"); }

void TKXTabControl::Submit(const std::string& value) {
  FSubmitParam = value;
  if (OnChange) OnChange(this);
}

TSubmitProc TKXTabControl::getSubmitProc() {
  TComponentRef<TKXTabControl> control(this);
  return [control](const std::string& value) {
    if (control) control->Submit(value);
  };
}

// ---------------------------------------------------------------------------
// TKXTabPage

void TKXTabPage::InitControl() {
  TKXCustomRegion::InitControl();
  SetClip(false);
  FTitle = "Title";
  BorderOptions().SetStyle(cbsNone);
  BorderOptions().SetNumericWidth(0);
  SetUseFrame(false);
  SetWebColor(clWhite);
  SetAnchors({akLeft, akTop, akRight, akBottom});
}

void TKXTabPage::Dispose() {
  if (TKXTabControl* control = TabControl()) control->pageRemoved(this);
  TKXCustomRegion::Dispose();
}

TKXTabControl* TKXTabPage::TabControl() const { return Supports<TKXTabControl>(Parent()); }

void TKXTabPage::SetTitle(const std::string& value) {
  AssignProperty(FTitle, value, [this] { Invalidate(); });
}

void TKXTabPage::ParentChanging(TWinControl* oldParent, TWinControl* newParent) {
  TKXCustomRegion::ParentChanging(oldParent, newParent);
  if (auto* control = Supports<TKXTabControl>(oldParent)) control->pageRemoved(this);
  if (auto* control = Supports<TKXTabControl>(newParent)) control->pageAdded(this);
}

void TKXTabPage::Invalidate() {
  TKXCustomRegion::Invalidate();
  if (TKXTabControl* control = TabControl(); control && !control->ComponentState().Contains(csDestroying)) {
    control->Invalidate();
  }
}

std::string TKXTabPage::RenderCSSClass(TKXCompContext* context) {
  (void)context;
  return "tab-page";
}

std::string TKXTabPage::RenderStyle(TKXCompContext* context) {
  (void)context;
  return "z-index:2; width:" + std::to_string(HTMLWidth()) + "px;" + "height:" + std::to_string(HTMLHeight()) +
         "px;" + "position: absolute;" + "left:" + std::to_string(Left()) + "px;" + "top:" + std::to_string(Top()) +
         "px;" + "background-color:" + ColorToRGBString(WebColor()) + ";";
}

// ---------------------------------------------------------------------------

const TKXControlFamily& TabsFamily() {
  static const TKXControlFamily family{.Name = "tabs"};
  return family;
}

void InstallTabs() { InstallControlFamily(TabsFamily()); }

}  // namespace kx
