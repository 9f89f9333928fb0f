#include "kx/controls/htmlelements/HTMLControls.h"

#include "kx/controls/links/Links.h"
#include "kx/foundation/Colors.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// A free text as an attribute value: escaped as HTML text, so that it reaches the browser as it was.
std::string Attr(const std::string& text) { return TKXBaseHTMLControl::TextToHTML(text, false, false, false); }

}  // namespace

// ---------------------------------------------------------------------------
// TKXHRule

void TKXHRule::InitControl() {
  TKXCustomControl::InitControl();
  SetBounds(Left(), Top(), 100, 3);
  SetRenderSize(true);
}

TKXElementPtr<TKXHTMLTag> TKXHRule::RenderHTML(TKXCompContext* context) {
  (void)context;
  return TKXHTMLTag::Create("HR");
}

std::string TKXHRule::RenderStyle(TKXCompContext* context) {
  std::string style = TKXCustomControl::RenderStyle(context) + "margin: 0; border-style: solid; ";
  if (FBGColor != clNone) style += "background-color:" + ColorToRGBString(FBGColor) + ";";
  if (FBorderColor != clNone) {
    const std::string color = ColorToRGBString(FBorderColor);
    style += "color:" + color + "; border-color: " + color + "; ";
  }
  return style;
}

// ---------------------------------------------------------------------------
// TKXList

namespace htmlcontrols {

void TKXList::InitControl() {
  TKXCustomControl::InitControl();
  SetBounds(Left(), Top(), 116, 24);
  FItems.OnChange = [this](TObject*) {
    SetDoRefreshControl(true);
    Invalidate();
  };
}

void TKXList::SetNumbered(bool value) {
  const bool changed = value != FNumbered || (value && FBulleted);
  FNumbered = value;
  if (value) FBulleted = false;
  if (changed) Invalidate();
}

void TKXList::SetBulleted(bool value) {
  const bool changed = value != FBulleted || (value && FNumbered);
  FBulleted = value;
  if (value) FNumbered = false;
  if (changed) Invalidate();
}

TKXElementPtr<TKXHTMLTag> TKXList::RenderHTML(TKXCompContext* context) {
  (void)context;
  if (FItems.Count() == 0) return nullptr;
  if (FRenderMode == rmHTMLList) {
    TKXElementPtr<TKXHTMLTag> list = TKXHTMLTag::Create(FNumbered ? "ol" : "ul");
    for (int i = 0; i < FItems.Count(); ++i) {
      list->Contents()->AddTag("li", false)->Contents()->AddText(FItems.Strings(i), false);
    }
    return list;
  }
  TKXElementPtr<TKXHTMLTag> table = TKXHTMLTag::Create("table");
  for (int i = 0; i < FItems.Count(); ++i) {
    TKXHTMLTag* row = table->Contents()->AddTag("TR", false);
    if (FNumbered || FBulleted) {
      TKXHTMLTag* mark = row->Contents()->AddTag("TD", false);
      mark->AddStringParam("width", "10%");
      mark->Contents()->AddText(FNumbered ? std::to_string(i + 1) + "." : "&#186;", false);
    }
    TKXHTMLTag* cell = row->Contents()->AddTag("TD", false);
    cell->AddStringParam("width", "90%");
    cell->Contents()->AddText(FItems.Strings(i), false);
  }
  return table;
}

std::string TKXList::RenderStyle(TKXCompContext* context) {
  std::string style = TKXCustomControl::RenderStyle(context);
  if (FRenderMode != rmHTMLList || !FBulleted) return style;
  const char* type = "disc";
  switch (FBulletType) {
    case btDisc: type = "disc"; break;
    case btCircle: type = "circle"; break;
    case btSquare: type = "square"; break;
    case btNone: type = "none"; break;
  }
  // With the separator the declaration needs before the base style.
  return std::string("list-style-type: ") + type + "; " + style;
}

}  // namespace htmlcontrols

// ---------------------------------------------------------------------------
// TKXApplet

void TKXApplet::InitControl() {
  TKXCustomControl::InitControl();
  SetBounds(Left(), Top(), 200, 200);
}

TKXElementPtr<TKXHTMLTag> TKXApplet::RenderHTML(TKXCompContext* context) {
  (void)context;
  static const char* const kAlignments[] = {"top", "middle", "bottom", "left", "right"};
  TKXElementPtr<TKXHTMLTag> applet = TKXHTMLTag::Create("APPLET");
  applet->AddStringParam("CODE", Attr(FClassFile));
  applet->AddIntegerParam("HEIGHT", HTMLHeight());
  applet->AddIntegerParam("WIDTH", HTMLWidth());
  applet->AddStringParam("ALIGN", kAlignments[FAlignment]);
  std::string codeBase = FCodeBase;
  if (codeBase.empty()) codeBase = TKXControlSession::ControllerURLBase();
  applet->AddStringParam("CODEBASE", Attr(codeBase));
  // Written as attributes, so that a blank or quote in a value cannot add attributes of its own.
  applet->AddStringParam("NAME", Attr(FAppletName));
  if (Width() >= 1) applet->AddIntegerParam("HSPACE", FHorizSpace);
  if (Height() >= 1) applet->AddIntegerParam("VSPACE", FVertSpace);
  applet->AddStringParam("ALT", Attr(FAltText));
  applet->AddStringParam("ARCHIVE", Attr(FArchive));
  for (int i = 0; i < FParams.Count(); ++i) {
    TKXHTMLTag* param = applet->Contents()->AddTag("PARAM", false);
    param->AddStringParam("NAME", Attr(FParams.Names(i)), true);
    param->AddStringParam("VALUE", Attr(FParams.ValueFromIndex(i)), true);
  }
  return applet;
}

// ---------------------------------------------------------------------------
// TKXURLWindow

void TKXURLWindow::InitControl() {
  TKXCustomControl::InitControl();
  SetBounds(Left(), Top(), 150, 100);
}

void TKXURLWindow::SetURI(const std::string& value) {
  const std::string uri = Trim(value);
  if (SameText(uri, FURI)) return;
  FURI = uri;
  SetDoRefreshControl(true);
  Invalidate();
}

std::string TKXURLWindow::SafeURI() const { return IsScriptURL(FURI) ? std::string() : FURI; }

TKXElementPtr<TKXHTMLTag> TKXURLWindow::RenderHTML(TKXCompContext* context) {
  TKXElementPtr<TKXHTMLTag> frame = TKXHTMLTag::Create("IFRAME");
  frame->AddStringParam("SRC", Attr(SafeURI()));
  frame->AddStringParam("LONGDESC", Attr(FLongDesc));
  if (StyleRenderOptions().RenderSize()) {
    frame->AddIntegerParam("WIDTH", HTMLWidth());
    frame->AddIntegerParam("HEIGHT", HTMLHeight());
    TKXPageContext40* page = context ? context->PageContext() : nullptr;
    if (page == nullptr || !IsHtml5(page->DocType())) {
      frame->AddIntegerParam("MARGINWIDTH", FMarginWidth);
      frame->AddIntegerParam("MARGINHEIGHT", FMarginHeight);
    }
  }
  if (StyleRenderOptions().RenderBorder()) frame->AddIntegerParam("FRAMEBORDER", FBorder ? 1 : 0);
  frame->AddStringParam("NAME", HTMLName());
  frame->AddStringParam("ID", HTMLName());
  static const char* const kScrolling[] = {"SCROLLING=YES", "SCROLLING=NO", "SCROLLING=AUTO"};
  frame->Add(kScrolling[FScrolling]);
  return frame;
}

TKXElementPtr<TKXXMLTag> TKXURLWindow::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXURLWINDOW");
  RenderAsyncPropertyAsString("src", tag.get(), SafeURI(), false);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  return tag;
}

// ---------------------------------------------------------------------------

const TKXControlFamily& HTMLElementsFamily() {
  static const TKXControlFamily family{.Name = "htmlelements"};
  return family;
}

}  // namespace kx
