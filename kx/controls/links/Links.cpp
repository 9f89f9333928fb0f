#include "kx/controls/links/Links.h"

#include <cctype>

#include "kx/controls/labels/Labels.h"
#include "kx/controls/links/FamilyFiles.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/Paths.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

const char* AlignmentStyle(TAlignment alignment) {
  switch (alignment) {
    case taLeftJustify: return "text-align:left;";
    case taRightJustify: return "text-align:right;";
    case taCenter: return "text-align:center;";
  }
  return "";
}

}  // namespace

bool IsScriptURL(const std::string& url) {
  std::string scheme;
  for (char c : url) {
    if (c == ':') break;
    if (std::isspace(static_cast<unsigned char>(c)) || std::iscntrl(static_cast<unsigned char>(c))) continue;
    scheme += char(std::tolower(static_cast<unsigned char>(c)));
  }
  return url.find(':') != std::string::npos && (scheme == "javascript" || scheme == "vbscript" || scheme == "data");
}

namespace {

std::string YesNo(bool value) { return value ? "yes" : "no"; }

std::string Quoted(const std::string& text) { return "'" + TKXBaseHTMLControl::TextToJSStringLiteral(text) + "'"; }

}  // namespace

// ---------------------------------------------------------------------------
// TKXLinkBase

void TKXLinkBase::InitControl() {
  TKXCustomControl::InitControl();
  SetBounds(Left(), Top(), 65, 17);
  SetWebColor(clNone);
  WebFont().SetStyle({fsUnderline});
}

std::string TKXLinkBase::GetRenderCaption() const {
  return FRawText ? Caption() : TextToHTML(Caption(), true, false, false);
}

std::string TKXLinkBase::RenderStyle(TKXCompContext* context) {
  std::string style = TKXCustomControl::RenderStyle(context) + RenderBGColor(WebColor());
  if (WebCursor() == crAuto) style += RenderCursorStyle(crHandPoint);
  return style;
}

TKXElementPtr<TKXXMLTag> TKXLinkBase::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXLINK");
  tag->Contents()->AddTag("innerhtml", false)->Contents()->AddText(GetRenderCaption(), false);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  return tag;
}

void TKXLinkBase::Submit(const std::string& value) {
  FSubmitParam = value;
  DoClick();
}

TSubmitProc TKXLinkBase::getSubmitProc() {
  TComponentRef<TKXLinkBase> link(this);
  return [link](const std::string& value) {
    if (link) link->Submit(value);
  };
}

bool TKXLinkBase::WrapsInAlignmentDiv() { return RenderSize() && FAlignment != taLeftJustify; }

TKXElementPtr<TKXHTMLTag> TKXLinkBase::AlignmentDiv(TKXElementPtr<TKXHTMLTag> content) {
  TKXElementPtr<TKXHTMLTag> div = TKXHTMLTag::Create("DIV");
  div->AddStringParam("style", AlignmentStyle(FAlignment));
  div->Contents()->AddTagAsObject(std::move(content), false);
  return div;
}

// ---------------------------------------------------------------------------
// TKXLink

void TKXLink::InitControl() {
  TKXLinkBase::InitControl();
  SetDoSubmitValidation(false);
  SetRenderSize(true);
}

bool TKXLink::IsLink() { return Enabled() && (OnClick || OnAsyncClick); }

TKXElementPtr<TKXHTMLTag> TKXLink::RenderHTML(TKXCompContext* context) {
  if (!IsLink()) {
    // Shown as a label made for the occasion.
    TOwnedComponent<TKXLabel> label(TComponent::Create<TKXLabel>(nullptr));
    label->SetName(Name());
    label->SetRawText(RawText());
    label->SetCaption(Caption());
    label->SetAlignment(Alignment());
    label->SetWebFont(WebFont());
    label->SetBounds(Left(), Top(), Width(), Height());
    label->SetAutoSize(false);
    label->SetRenderSize(RenderSize());
    label->SetStyleRenderOptions(StyleRenderOptions());
    return label->RenderHTML(context);
  }
  TKXElementPtr<TKXHTMLTag> anchor = TKXHTMLTag::Create("A");
  anchor->AddStringParam("HREF", "javascript:void(0);");
  const bool aligned = WrapsInAlignmentDiv();
  if (aligned) anchor->AddStringParam("style", WebFont().FontToStringStyle());
  if (DesignMode()) anchor->AddStringParam("onclick", "return false;");
  anchor->Contents()->AddText(GetRenderCaption(), false);
  return aligned ? AlignmentDiv(std::move(anchor)) : std::move(anchor);
}

void TKXLink::HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) {
  TKXLinkBase::HookEvents(pageContext, scriptEvents);
  if (!OnClick) return;
  const std::string element = "document.getElementById('" + TextToJSStringLiteral(HTMLName()) + "')" +
                              (WrapsInAlignmentDiv() ? ".childNodes[0]" : "");
  scriptEvents.HookEvent("OnClick", "if (" + element + ".href) {" + SubmitHandler("", HTMLName(), true) +
                                        "} else return false;");
}

// ---------------------------------------------------------------------------
// TKXURLTarget

TKXURLTarget::TKXURLTarget(bool addressBar, std::int32_t height, std::int32_t left, bool menu, bool resizable,
                           bool scrollbars, bool toolbar, std::int32_t top, std::int32_t width,
                           const std::string& windowName, TKXURLTargetMode mode)
    : FAddressBar(addressBar),
      FHeight(height),
      FLeft(left),
      FMenu(menu),
      FResizable(resizable),
      FScrollbars(scrollbars),
      FToolbar(toolbar),
      FTop(top),
      FWidth(width),
      FWindowName(windowName),
      FMode(mode) {}

std::string TKXURLTarget::GetModeString(TKXURLTargetMode mode) {
  switch (mode) {
    case tmNewWindow: return "";
    case tmBlank: return "_blank";
    case tmSelf: return "_self";
    case tmParent: return "_parent";
    case tmTop: return "_top";
  }
  return "";
}

std::string TKXURLTarget::Features() const {
  std::string features = "location=" + YesNo(FAddressBar) + ",menubar=" + YesNo(FMenu) +
                         ",resizable=" + YesNo(FResizable) + ",toolbar=" + YesNo(FToolbar) +
                         ",scrollbars=" + YesNo(FScrollbars);
  if (FLeft >= 0) features += ",left=" + std::to_string(FLeft);
  if (FTop >= 0) features += ",top=" + std::to_string(FTop);
  if (FWidth >= 0) features += ",width=" + std::to_string(FWidth);
  if (FHeight >= 0) features += ",height=" + std::to_string(FHeight);
  return features;
}

void TKXURLTarget::Assign(const TPersistent* source) {
  const auto* other = Supports<const TKXURLTarget>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  FAddressBar = other->FAddressBar;
  FHeight = other->FHeight;
  FLeft = other->FLeft;
  FMenu = other->FMenu;
  FResizable = other->FResizable;
  FScrollbars = other->FScrollbars;
  FToolbar = other->FToolbar;
  FTop = other->FTop;
  FWidth = other->FWidth;
  FWindowName = other->FWindowName;
  FMode = other->FMode;
}

// ---------------------------------------------------------------------------
// TKXURL

void TKXURL::SetTerminateApp(bool value) {
  FTerminateApp = value;
  if (value) FUseTarget = false;
  Invalidate();
}

void TKXURL::SetUseTarget(bool value) {
  FUseTarget = value;
  if (value) FTerminateApp = false;
  Invalidate();
}

void TKXURL::SetURL(const std::string& value) {
  const std::string url = Trim(value);
  if (SameText(url, FURL)) return;
  if (Hint() == FURL) SetHint(url);
  FURL = url;
  Invalidate();
}

bool TKXURL::IsRelativeUrl(const std::string& url) {
  return !TURL::IsAbsolute(url) && !StartsText(".", url) && !StartsText("/", url);
}

std::string TKXURL::StopCode() const {
  std::string target = FURL;
  if (StartsText("http://", target)) {
    target = target.substr(7);
  } else if (StartsText("https://", target)) {
    target = "_s_." + target.substr(8);
  }
  return "parent.LoadURL(" + Quoted("/$/Stop/?url=" + KXHttpEncode(target)) + ")";
}

std::string TKXURL::NewWindowCode() const {
  return "NewWindow(" + Quoted(FURL) + ", " + Quoted(FTargetOptions.WindowName()) + "," +
         Quoted(FTargetOptions.Features()) + ")";
}

TKXURL::TLinkAction TKXURL::LinkAction() {
  TLinkAction action;
  if (!Enabled()) return action;
  if (IsRelativeUrl(FURL)) {
    if (!IsScriptURL(FURL)) action.Href = FURL;
  } else if (FTerminateApp) {
    action.OnClick = StopCode();
  } else {
    const TKXURLTargetMode mode = FUseTarget ? FTargetOptions.Mode() : tmBlank;
    if (mode != tmNewWindow) {
      action.Href = FURL;
      action.Target = TKXURLTarget::GetModeString(mode);
    } else {
      action.Href = "#" + HTMLName();
      action.OnClick = NewWindowCode();
    }
  }
  return action;
}

void TKXURL::DoRenderHTML(TKXHTMLTag* tag) {
  tag->Contents()->AddText(GetRenderCaption(), false);
  if (!Enabled()) return;
  const TLinkAction action = LinkAction();
  // Escaped as HTML text: an "&amp;" in the URL stays itself; the click code is a script literal already.
  tag->AddStringParam("href", TextToHTML(action.Href, false, false, false));
  tag->AddStringParam("target", TextToHTML(action.Target, false, false, false));
  tag->AddStringParam("OnClick", action.OnClick);
}

TKXElementPtr<TKXHTMLTag> TKXURL::RenderHTML(TKXCompContext* context) {
  if (Hint().empty()) SetHint(FURL);
  if (context != nullptr) context->AddScriptFile(links_files::kKXLinksJs);
  if (!Enabled()) {
    TKXElementPtr<TKXHTMLTag> span = TKXHTMLTag::Create("SPAN");
    DoRenderHTML(span.get());
    return span;
  }
  TKXElementPtr<TKXHTMLTag> anchor = TKXHTMLTag::Create("A");
  DoRenderHTML(anchor.get());
  return WrapsInAlignmentDiv() ? AlignmentDiv(std::move(anchor)) : std::move(anchor);
}

TKXElementPtr<TKXXMLTag> TKXURL::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXURL");
  tag->Contents()->AddTag("innerhtml", false)->Contents()->AddText(GetRenderCaption(), false);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  const TLinkAction action = LinkAction();
  RenderAsyncPropertyAsString("href", tag.get(), action.Href, false);
  if (!action.Target.empty()) RenderAsyncPropertyAsString("target", tag.get(), action.Target, false);
  RenderAsyncPropertyAsString("OnClick", tag.get(), action.OnClick, false);
  return tag;
}

// ---------------------------------------------------------------------------

const TKXControlFamily& LinksFamily() {
  static const TKXControlFamily family{.Name = "links"};
  return family;
}

void InstallLinks() { InstallControlFamily(LinksFamily()); }

}  // namespace kx
