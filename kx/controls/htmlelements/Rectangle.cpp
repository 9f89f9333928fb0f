#include "kx/controls/htmlelements/Rectangle.h"

#include "kx/foundation/Colors.h"

namespace kx {

void TKXCustomRectangle::InitControl() {
  TKXCustomControl::InitControl();
  SetWebColor(clNone);
  SetBounds(Left(), Top(), 200, 100);
  SetRenderSize(true);
}

void TKXCustomRectangle::RenderInnerHTML(TKXMarkupLanguageTag* tag) {
  if (tag == nullptr) return;
  TKXMarkupLanguageTag* table = tag->Contents()->AddTag("table", false);
  table->AddStringParam("style", "width:100%; height:100%; border-collapse:collapse; border-spacing:0; padding:0; "
                                 "background-color:" + ColorToRGBString(WebColor()) + ";" +
                                     FBorderOptions.RenderStyle());
  TKXMarkupLanguageTag* row = table->Contents()->AddTag("TR", false);
  TKXMarkupLanguageTag* cell = row->Contents()->AddTag("td", false);
  if (Text().empty()) return;
  row->AddStringParam("style", WebFont().FontToStringStyle() + RenderTextAlignStyle(FAlignment) +
                                   RenderVerticalAlignStyle(FVAlign));
  cell->Contents()->AddText(Text(), false);
}

TKXElementPtr<TKXHTMLTag> TKXCustomRectangle::RenderHTML(TKXCompContext* context) {
  (void)context;
  TKXElementPtr<TKXHTMLTag> div = TKXHTMLTag::Create("div");
  RenderInnerHTML(div.get());
  return div;
}

TKXElementPtr<TKXXMLTag> TKXCustomRectangle::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXRECTANGLE");
  RenderInnerHTML(tag->Contents()->AddTag("innerHTML", false));
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  return tag;
}

}  // namespace kx
