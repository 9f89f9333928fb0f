#include "kx/controls/regions/Regions.h"

#include <algorithm>
#include <utility>

#include "kx/appserver/Application.h"
#include "kx/appserver/InternalFiles.h"
#include "kx/controls/regions/FamilyFiles.h"
#include "kx/forms/Forms.h"
#include "kx/forms/LayoutManagers.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/Colors.h"
#include "kx/platform/Properties.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* FrameRegionName = "KXFrameRegion";

const char* BorderStyleText(TKXContainerBorderStyle style) {
  switch (style) {
    case cbsNone: return "none; ";
    case cbsHidden: return "hidden; ";
    case cbsDotted: return "dotted; ";
    case cbsDashed: return "dashed; ";
    case cbsSolid: return "solid; ";
    case cbsDouble: return "double; ";
    case cbsGroove: return "groove; ";
    case cbsRidge: return "ridge; ";
    case cbsInset: return "inset; ";
    case cbsOutset: return "outset; ";
  }
  return "none; ";
}

// Whether the control draws borders: one without the HTML 4.0 control interface draws none.
bool RendersBorder(TControl* control) {
  IKXHTML40Control* html = Supports<IKXHTML40Control>(control);
  return html != nullptr && html->StyleRenderOptions().RenderBorder();
}

// Internet Explorer outside strict mode, whose box model puts the border inside the size.
bool QuirksExplorer(const TBrowser* browser) {
  return Supports<const TInternetExplorer>(browser) != nullptr && !browser->StrictMode();
}

const TBrowser* CurrentBrowser() { return TKXControlSession::Current().Browser(); }

// The default frame as the forms call it.
TKXElementPtr<TKXMarkupLanguageTag> DefaultFrame(TKXElementPtr<TKXMarkupLanguageTag> tag, TComponent* control) {
  return TKXContainerBorderOptions::CreateDefaultFrame(std::move(tag), nullptr, Supports<TControl>(control));
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXFrameHTMLTag

TKXFrameHTMLTag::TKXFrameHTMLTag(const std::string& tag, TKXMarkupLanguageElement* parent)
    : TKXHTMLTag(tag, cbTrue, parent) {}

TKXElementPtr<TKXFrameHTMLTag> TKXFrameHTMLTag::Create(TKXElementPtr<TKXMarkupLanguageTag> content) {
  TKXElementPtr<TKXFrameHTMLTag> frame(new TKXFrameHTMLTag("DIV", nullptr));
  if (content) {
    frame->FEmbededTag =
        static_cast<TKXMarkupLanguageTagCollection*>(frame->Contents())->AddTagAsObject(std::move(content), false);
  }
  return frame;
}

TKXMarkupLanguageTag* TKXFrameHTMLTag::EmbededTag() {
  if (FEmbededTag == nullptr) return nullptr;
  TKXMarkupLanguageTagCollection* contents = Contents();
  for (int i = 0; i < contents->Count(); ++i) {
    if (contents->GetHTMLElement(i) == FEmbededTag) return FEmbededTag;
  }
  FEmbededTag = nullptr;
  return nullptr;
}

TKXTagClass TKXFrameHTMLTag::TagClass() const {
  return [](const std::string& tag, TKXMarkupLanguageElement* parent) -> TKXElementPtr<TKXMarkupLanguageTag> {
    return TKXElementPtr<TKXMarkupLanguageTag>(new TKXFrameHTMLTag(tag, parent));
  };
}

// ---------------------------------------------------------------------------
// TKXContainerBorderOptions

TKXContainerBorderOptions::TKXContainerBorderOptions(TControl* control) : FControl(control) {}

TKXContainerBorderOptions::TKXContainerBorderOptions(std::int32_t numericWidth, TKXContainerBorderWidth borderWidth,
                                                     TKXContainerBorderStyle style, TKXColor color)
    : FStyle(style), FColor(color), FBorderWidth(borderWidth), FNumericWidth(numericWidth) {}

void TKXContainerBorderOptions::DoChange() {
  if (OnChange) OnChange(this);
}

void TKXContainerBorderOptions::SetNumericWidth(std::int32_t value) { AssignProperty(FNumericWidth, value, [this] { DoChange(); }); }

void TKXContainerBorderOptions::SetBorderWidth(TKXContainerBorderWidth value) { AssignProperty(FBorderWidth, value, [this] { DoChange(); }); }

void TKXContainerBorderOptions::SetStyle(TKXContainerBorderStyle value) { AssignProperty(FStyle, value, [this] { DoChange(); }); }

void TKXContainerBorderOptions::SetColor(TKXColor value) { AssignProperty(FColor, value, [this] { DoChange(); }); }

void TKXContainerBorderOptions::AssignTo(TPersistent* dest) const {
  auto* other = Supports<TKXContainerBorderOptions>(dest);
  if (other == nullptr) {
    TPersistent::AssignTo(dest);
    return;
  }
  other->FBGColor = FBGColor;
  other->FHorizScrollBar = FHorizScrollBar;
  other->FVertScrollBar = FVertScrollBar;
  other->FStyle = FStyle;
  other->FColor = FColor;
  other->FBorderWidth = FBorderWidth;
  other->FNumericWidth = FNumericWidth;
}

int TKXContainerBorderOptions::GetPixelWidth() const {
  if (Supports<IKXHTML40Control>(FControl) && !RendersBorder(FControl)) return 0;
  if (FStyle == cbsNone || FStyle == cbsHidden) return 0;
  switch (FBorderWidth) {
    case cbwThin: return 1;
    case cbwMedium: return 3;
    case cbwThick: return 5;
    case cbwNumeric: return FNumericWidth;
  }
  return 0;
}

void TKXContainerBorderOptions::InitalizeForRendering(TKXColor bgColor, bool horizScrollBar, bool vertScrollBar) {
  FBGColor = bgColor;
  FHorizScrollBar = horizScrollBar;
  FVertScrollBar = vertScrollBar;
}

std::string TKXContainerBorderOptions::RenderStyle(TKXCompContext* context) const {
  TComponent* control = FControl;
  if (control == nullptr && context != nullptr) control = context->Component();
  IKXHTML40Control* html = Supports<IKXHTML40Control>(control);
  return RenderFrameStyle(html ? html->Clip() : true);
}

std::string TKXContainerBorderOptions::RenderFrameStyle(bool clip) const {
  std::string style;
  if (RendersBorder(FControl)) {
    if (FColor != clNone) style += "border-color:" + ColorToRGBString(FColor) + "; ";
    style += std::string("border-style: ") + BorderStyleText(FStyle);
    style += "border-width: ";
    switch (FBorderWidth) {
      case cbwThin: style += "thin; "; break;
      case cbwMedium: style += "medium; "; break;
      case cbwThick: style += "thick; "; break;
      case cbwNumeric: style += std::to_string(FNumericWidth) + "px; "; break;
    }
  } else {
    style += "border-width: 0;";
  }
  if (clip) {
    style += std::string("overflow-x: ") + (FHorizScrollBar ? "auto; " : "hidden; ");
    style += std::string("overflow-y: ") + (FVertScrollBar ? "auto; " : "hidden; ");
  }
  if (FBGColor != clNone) style += "background-color: " + ColorToRGBString(FBGColor) + "; ";
  style += "padding: 0; ";
  return style;
}

TKXElementPtr<TKXFrameHTMLTag> TKXContainerBorderOptions::CreateFrame(TKXElementPtr<TKXMarkupLanguageTag> content,
                                                                      TKXPageContext40* pageContext,
                                                                      TControl* control) {
  (void)pageContext;
  if (FControl == nullptr) FControl = control;
  if (content && !content->Tag().empty()) {
    IKXBaseHTMLControl* html = Supports<IKXBaseHTMLControl>(control);
    content->AddStringParam("style", html ? html->WebFont().FontToStringStyle() : std::string(), true);
  }
  return TKXFrameHTMLTag::Create(std::move(content));
}

TKXElementPtr<TKXFrameHTMLTag> TKXContainerBorderOptions::CreateDefaultFrame(
    TKXElementPtr<TKXMarkupLanguageTag> content, TKXPageContext40* pageContext, TControl* control) {
  // No border colour: the browser shades the inset border itself.
  TKXContainerBorderOptions options(USE_FRAME_WIDTH, cbwNumeric, cbsInset, clNone);
  TKXElementPtr<TKXFrameHTMLTag> frame = options.CreateFrame(std::move(content), pageContext, control);
  IKXHTML40Control* html = Supports<IKXHTML40Control>(control);
  frame->AddStringParam("style", options.RenderFrameStyle(html ? html->Clip() : true));
  return frame;
}

// ---------------------------------------------------------------------------
// TKXBorderOptions

void TKXBorderOptions::SetColor(TKXColor value) { AssignProperty(FColor, value, [this] { DoChange(); }); }

void TKXBorderOptions::SetWidth(std::int32_t value) { AssignProperty(FWidth, value, [this] { DoChange(); }); }

void TKXBorderOptions::DoChange() {
  if (OnChange) OnChange(this);
  if (FControl && !FControl->ComponentState().Contains(csLoading)) FControl->Invalidate();
}

void TKXBorderOptions::AssignTo(TPersistent* dest) const {
  auto* other = Supports<TKXBorderOptions>(dest);
  if (other == nullptr) {
    TPersistent::AssignTo(dest);
    return;
  }
  other->SetColor(FColor);
  other->SetWidth(FWidth);
}

std::string TKXBorderOptions::RenderStyle() const {
  std::string style = "border-width: " + std::to_string(FWidth) + "px; border-style: solid; ";
  if (FColor != clNone) style += "border-color: " + ColorToRGBString(FColor) + "; ";
  return style;
}

// ---------------------------------------------------------------------------
// TKXCustomRegion

void TKXCustomRegion::InitControl() {
  FKXControlImplementation = std::make_unique<TKXHTMLControlImplementation>(this);
  FKXControlImplementation->StyleRenderOptions().OnChange = [this](TObject*) { StyleRenderOptionsChanged(); };
  TKXHTML40Container::InitControl();
  FBorderOptions.SetColor(clNone);
  FBorderOptions.SetStyle(cbsSolid);
  FBorderOptions.SetBorderWidth(cbwNumeric);
  FBorderOptions.SetNumericWidth(1);
  FBorderOptions.OnChange = [this](TObject*) { BorderChanged(); };
  TKXBaseContainer::SetWebColor(clNone);
  SetBounds(Left(), Top(), 60, 60);
  FKXControlImplementation->SetZIndex(1000);
  FKXControlImplementation->SetClip(true);
  SetShowHint(true);
}

void TKXCustomRegion::Loaded() {
  TKXHTML40Container::Loaded();
  if (!DesignMode() && OnCreate) OnCreate(this);
}

void TKXCustomRegion::Dispose() {
  FBorderOptions.OnChange = nullptr;
  FKXControlImplementation->DoFreeNotification();
  SetLayoutMgr(nullptr);
  TKXHTML40Container::Dispose();
  // The implementation object lives until the region is deleted: notices that
  // arrive after Dispose may still ask it for names and notifiers.
  FKXControlImplementation->StyleRenderOptions().OnChange = nullptr;
  FKXControlImplementation->SetFontChangeHook(nullptr);
}

void TKXCustomRegion::SetBorderOptions(const TKXContainerBorderOptions& value) {
  FBorderOptions.Assign(&value);
  BorderChanged();
}

void TKXCustomRegion::BorderChanged() {
  const int border = BorderPixelWidth();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    if (child->Left() < border || child->Top() < border) {
      child->SetBounds(std::max(child->Left(), border), std::max(child->Top(), border), child->Width(),
                       child->Height());
    }
  }
  if (!GetLoading()) Realign();
  Invalidate();
}

void TKXCustomRegion::SetWebColor(TKXColor value) {
  if (value == WebColor()) return;
  TKXBaseContainer::SetWebColor(value);
  Invalidate();
}

void TKXCustomRegion::SetHorizScrollBar(bool value) { AssignProperty(FHorizScrollBar, value, [this] { Invalidate(); }); }

void TKXCustomRegion::SetVertScrollBar(bool value) { AssignProperty(FVertScrollBar, value, [this] { Invalidate(); }); }

TKXElementPtr<TKXHTMLTag> TKXCustomRegion::RenderHTML(TKXCompContext* context) {
  FBorderOptions.InitalizeForRendering(WebColor(), FHorizScrollBar, FVertScrollBar);
  TKXElementPtr<TKXFrameHTMLTag> frame =
      FBorderOptions.CreateFrame(nullptr, context ? context->PageContext() : nullptr, this);
  FRegionDIV = frame.get();
  return frame;
}

// ---- IKXBaseHTMLControl

int TKXCustomRegion::HTMLWidth() {
  int width = Width();
  if (!DesignMode() && !QuirksExplorer(CurrentBrowser())) width -= 2 * BorderPixelWidth();
  return std::max(width, 0);
}

int TKXCustomRegion::HTMLHeight() {
  int height = Height();
  if (!DesignMode() && !QuirksExplorer(CurrentBrowser())) height -= 2 * BorderPixelWidth();
  return std::max(height, 0);
}

// ---- IKXHTML40Component

std::string TKXCustomRegion::RenderCSSClass(TKXCompContext* context) {
  (void)context;
  std::string cssClass = FKXControlImplementation->RenderCSSClass();
  if (Clip()) cssClass += " KXCLIPCONTROL";
  return cssClass;
}

std::string TKXCustomRegion::RenderStyle(TKXCompContext* context) {
  FBorderOptions.InitalizeForRendering(WebColor(), FHorizScrollBar, FVertScrollBar);
  return FKXControlImplementation->RenderStyle(context) + FBorderOptions.RenderStyle(context);
}

void TKXCustomRegion::RenderScripts(TKXCompContext* context) {
  if (context == nullptr) return;
  FKXControlImplementation->RenderScripts(context);
  context->InitKXCLProperty(HTMLName(), "BorderWidthPixels", std::to_string(BorderPixelWidth()));
}

// ---- IKXHTML40Control

void TKXCustomRegion::HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) {
  (void)pageContext, (void)scriptEvents;
}

void TKXCustomRegion::SetCss(const std::string& value) {
  if (SameText(value, Css())) return;
  FKXControlImplementation->SetCss(value);
  Invalidate();
}

void TKXCustomRegion::SetSkinId(const std::string& value) { FKXControlImplementation->SetSkinId(value); }

// ---- IKXBaseControl

void TKXCustomRegion::Invalidate() {
  TKXHTML40Container::Invalidate();
  SetDoRefreshControl(true);
}

void TKXCustomRegion::SetVisible(bool value) {
  if (value == Visible()) return;
  TKXHTML40Container::SetVisible(value);
  RequestAlign();
  SetDoRefreshControl(true);
}

// ---- IKXTabOrder

int TKXCustomRegion::TabOrder() const {
  if (Supports<TFrame>(Parent())) return TKXHTML40Container::TabOrder();
  return FKXControlImplementation ? FKXControlImplementation->TabOrder() : -1;
}

void TKXCustomRegion::SetTabOrder(int value) {
  if (Supports<TFrame>(Parent())) {
    TKXHTML40Container::SetTabOrder(value);
  } else if (value != -1 && FKXControlImplementation) {
    FKXControlImplementation->SetTabOrder(std::int16_t(value));
  }
}

// ---- container

std::unique_ptr<TKXContainerContext> TKXCustomRegion::InitContainerContext(TKXApplication* application) {
  return InitLayoutContext(this, application);
}

void TKXCustomRegion::RenderComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) {
  TKXHTML40Container::RenderComponents(containerContext, pageContext);
  ProcessLayoutControls(containerContext, pageContext);
  TKXRenderStream stream(true, true);
  if (!ProcessLayout(stream, containerContext, pageContext)) return;
  if (FRegionDIV != nullptr) FRegionDIV->Contents()->AddBuffer(stream, false);
  FRegionDIV = nullptr;
}

TKXMarkupLanguageTag* TKXCustomRegion::DoPostRenderProcessing(TKXMarkupLanguageTag* tag, TKXCompContext* context,
                                                              TComponent* component) {
  tag = TKXHTML40Container::DoPostRenderProcessing(tag, context, component);
  IKXHTML40Control* control = Supports<IKXHTML40Control>(component);
  if (tag != nullptr && context != nullptr && control != nullptr && control->UseFrame()) {
    auto* layout =
        Supports<TKXContainerLayout>(context->ContainerContext() ? context->ContainerContext()->Layout() : nullptr);
    if (layout != nullptr && layout->AllowFrames()) {
      context->SetMLTag(TKXContainerBorderOptions::CreateDefaultFrame(context->TakeMLTag(), context->PageContext(),
                                                                       Supports<TControl>(component)));
      tag = context->MLTag();
    }
  }
  if (IKXHTML40Component* html = Supports<IKXHTML40Component>(component)) html->RenderScripts(context);
  return tag;
}

bool TKXCustomRegion::CheckComponentForRender(TComponent* component) {
  TWinControl* parent = Parent();
  if (Supports<IKXHTML40Form>(parent)) return false;
  if (IKXHTML40Container* container = Supports<IKXHTML40Container>(parent)) {
    return container->CheckComponentForRender(component);
  }
  if (auto* frame = Supports<TFrame>(parent)) {
    if (IKXHTML40Container* container = Supports<IKXHTML40Container>(frame->Parent())) {
      return container->CheckComponentForRender(component);
    }
  }
  return false;
}

bool TKXCustomRegion::CheckUpdateTree(TComponent* component) {
  IKXHTML40Component* html = Supports<IKXHTML40Component>(component);
  return html != nullptr && html->DoRefreshControl();
}

TRect TKXCustomRegion::ClientRect() const {
  TRect rect = TKXHTML40Container::ClientRect();
  if (DesignMode()) return rect;
  const int border = FBorderOptions.GetPixelWidth();
  return Rect(rect.Left + border, rect.Top + border, rect.Right - border, rect.Bottom - border);
}

void TKXCustomRegion::SetName(const std::string& value) {
  if (Name() == FrameRegionName) {
    SetAlign(alClient);
    return;
  }
  TKXHTML40Container::SetName(value);
}

// ---------------------------------------------------------------------------
// TKXRegion

bool TKXRegion::SplitterActive() const {
  const TAlign align = TControl::Align();
  return FSplitter && (align == alTop || align == alBottom || align == alLeft || align == alRight);
}

std::string TKXRegion::ContainerPrefix() {
  if (auto* frame = Supports<TFrame>(Owner())) return UpperCase(frame->Name());
  if (IKXBaseContainer* parent = Supports<IKXBaseContainer>(Parent())) return parent->ContainerPrefix();
  return UpperCase(Name());
}

TKXElementPtr<TKXHTMLTag> TKXRegion::RenderHTML(TKXCompContext* context) {
  TKXElementPtr<TKXHTMLTag> div = TKXCustomRegion::RenderHTML(context);
  if (!SplitterActive()) return div;

  int z = 11000;
  for (int i = 0; i < ControlCount(); ++i) {
    if (auto* control = Supports<TKXCustomControl>(Controls(i)); control && control->ZIndex() > z) {
      z = control->ZIndex() + 1;
    }
  }
  const TAlign align = Align();
  const bool vertical = align == alTop || align == alBottom;
  const int position = vertical ? Top() : Left();
  const int size = vertical ? Height() : Width();
  const char* grip = align == alTop ? "bottom" : align == alBottom ? "top" : align == alLeft ? "right" : "left";
  const std::string name = HTMLName();

  TKXHTMLTag* form = div->Contents()->AddTag("FORM", false);
  form->AddStringParam("onSubmit", "return FormDefaultSubmit();");
  TKXHTMLTag* input = form->Contents()->AddTag("INPUT", false);
  input->AddStringParam("name", name + "_data");
  input->AddStringParam("id", name + "_data");
  input->AddStringParam("type", "hidden");
  input->AddStringParam("value", std::to_string(position) + "," + std::to_string(size));

  const TBrowser* browser = context ? context->Browser() : nullptr;
  const std::string thickness = QuirksExplorer(browser) ? "6px" : "4px";
  std::string style = "z-index:" + std::to_string(z);
  switch (align) {
    case alTop:
      style += ";bottom:0px; width: 100%; height:" + thickness + ";" +
               "border-top: 2px solid; position: absolute; overflow: hidden; cursor: n-resize;";
      break;
    case alBottom:
      style += ";top:0px; WIDTH: 100%; height: " + thickness + ";" +
               "border-bottom: 2px solid; position: absolute; overflow: hidden; cursor: n-resize; ";
      break;
    case alLeft:
      style += ";right:0px; top:0px; height: 100%; width:" + thickness + ";" +
               "border-left: 2px solid; position: absolute; overflow: hidden; cursor: w-resize;";
      break;
    default:
      style += ";left:0px; top:0px; height: 100%; width:" + thickness + ";" +
               "border-right: 2px solid; position: absolute; overflow: hidden; cursor: w-resize;";
      break;
  }
  style += "background-color: lightgray;";

  TKXHTMLTag* gripTag = div->Contents()->AddTag("DIV", false);
  gripTag->AddStringParam("id", name + "_grip");
  gripTag->AddStringParam("onmousedown", std::string("return GripMouseDown(event,'") + grip + "')");
  gripTag->AddStringParam("style", style);
  if (context) context->AddScriptFile(regions_files::kKXSplitterJs);
  return div;
}

TKXElementPtr<TKXXMLTag> TKXRegion::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXREGION");
  HTMLControlImplementation()->RenderAsyncCommonProperties(
      context, tag.get(),
      {acpEnabled, acpCSS, acpVisible, acpLeft, acpTop, acpZIndex, acpHint, acpFont, acpPosition, acpAlignment});
  BorderOptions().InitalizeForRendering(WebColor(), HorizScrollBar(), VertScrollBar());
  std::string style = BorderOptions().RenderStyle(context);
  if (StyleRenderOptions().RenderSize()) {
    style += " height: " + std::to_string(HTMLHeight()) + "px; width: " + std::to_string(HTMLWidth()) + "px; ";
  }
  AddAsyncStyle(tag.get(), style);
  return tag;
}

void TKXRegion::SetValue(const std::string& value) {
  if (!SplitterActive() || value.empty()) return;
  const std::size_t comma = value.find(',');
  const int position = StrToInt(value.substr(0, comma));
  const int size = StrToInt(comma == std::string::npos ? std::string() : value.substr(comma + 1));
  switch (Align()) {
    case alTop: SetBounds(Left(), Top(), Width(), size); break;
    case alBottom: SetBounds(Left(), position, Width(), size); break;
    case alLeft: SetBounds(Left(), Top(), size, Height()); break;
    case alRight: SetBounds(position, Top(), size, Height()); break;
    default: break;
  }
  if (auto* parent = Supports<TKXBaseContainer>(Parent())) parent->ForceAlign();
}

void TKXRegion::GetInputControlNames(TStrings& list) {
  list.Clear();
  if (SplitterActive()) list.Add(HTMLName() + "_data");
}

bool TKXRegion::IsForThisControl(const std::string& name) { return SameText(name, HTMLName() + "_data"); }

// ---------------------------------------------------------------------------

namespace {


void InstallDefaultFrame() { gCreateDefaultFrame = DefaultFrame; }

}  // namespace

const TKXControlFamily& RegionsFamily() {
  static const TKXControlFamily family{.Name = "regions", .Install = &InstallDefaultFrame};
  return family;
}

void InstallRegions() { InstallControlFamily(RegionsFamily()); }

}  // namespace kx
