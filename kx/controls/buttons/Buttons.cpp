#include "kx/controls/buttons/Buttons.h"

#include <string_view>

#include "kx/foundation/Colors.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

// The byte range of the first occurrence of key in text, compared character by
// character ignoring case (Unicode-aware); false when there is none.
bool FindIgnoringCase(std::string_view text, std::string_view key, std::size_t& start, std::size_t& length) {
  const std::size_t keyLength = Utf8Length(key);
  if (keyLength == 0) return false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    // The bytes of keyLength characters from pos.
    std::size_t end = pos;
    std::size_t count = 0;
    char32_t c;
    while (count < keyLength && end < text.size()) {
      DecodeUtf8(text, end, c);
      ++count;
    }
    if (count < keyLength) return false;
    if (AnsiSameText(text.substr(pos, end - pos), key)) {
      start = pos;
      length = end - pos;
      return true;
    }
    DecodeUtf8(text, pos, c);
  }
  return false;
}

}  // namespace

void TKXButton::InitControl() {
  TKXCustomControl::InitControl();
  SetWebColor(clBtnFace);
  SetNeedsFormTag(true);
  FButtonType = btButton;
  SetRenderSize(true);
  SetBounds(Left(), Top(), 75, 25);
  FHotKey.clear();
  SetCanReceiveFocus(true);
}

// The key is looked up in the caption itself and the pieces are escaped apart,
// so that a key never matches inside an escape ("a" in "&amp;") and the
// underline is the only markup added.
std::string TKXButton::CaptionHTML() const {
  std::size_t start = 0;
  std::size_t length = 0;
  if (!FindIgnoringCase(Caption(), FHotKey.Get(), start, length)) return TextToHTML(Caption(), true, false, false);
  const std::string_view caption = Caption();
  return TextToHTML(caption.substr(0, start), true, false, false) + "<u>" +
         TextToHTML(FHotKey.Get(), true, false, false) + "</u>" +
         TextToHTML(caption.substr(start + length), true, false, false);
}

TKXElementPtr<TKXHTMLTag> TKXButton::RenderHTML(TKXCompContext* context) {
  (void)context;
  TKXElementPtr<TKXHTMLTag> tag;
  if (!FHotKey.empty()) {
    tag = TKXHTMLTag::Create("BUTTON");
    tag->AddStringParam("ACCESSKEY", TextToHTML(FHotKey.Get(), false, false, false));
    tag->Contents()->AddText(CaptionHTML(), false);
  } else {
    tag = TKXHTMLTag::Create("INPUT");
    // An attribute value: a line break stays a line break (as "<br>" it would show as text).
    tag->AddStringParam("VALUE", TextToHTML(Caption(), false, false, false));
  }
  tag->AddStringParam("NAME", HTMLName());
  tag->AddStringParam("TYPE", "button");
  if (EffectiveFont().Enabled() && WebColor() != clBtnFace) {
    tag->AddStringParam("STYLE", RenderBGColor(WebColor()) + EffectiveFont().FontToStringStyle());
  }
  if (!Enabled()) tag->Add("DISABLED");
  return tag;
}

TKXElementPtr<TKXXMLTag> TKXButton::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXBUTTON");
  RenderAsyncPropertyAsString("Caption", tag.get(), Caption(), false);
  if (EffectiveFont().Enabled() && WebColor() != clBtnFace) AddAsyncStyle(tag.get(), RenderBGColor(WebColor()));
  RenderAsyncPropertyAsColor("Color", tag.get(), WebColor());
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  return tag;
}

void TKXButton::HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) {
  TKXCustomControl::HookEvents(pageContext, scriptEvents);
  if (OnClick) scriptEvents.HookEvent("OnClick", SubmitHandler("", HTMLName(), false));
}

void TKXButton::Submit(const std::string& value) {
  FSubmitParam = value;
  DoClick();
}

TSubmitProc TKXButton::getSubmitProc() {
  TComponentRef<TKXButton> button(this);
  return [button](const std::string& value) {
    if (button) button->Submit(value);
  };
}

// ---------------------------------------------------------------------------

const TKXControlFamily& ButtonsFamily() {
  static const TKXControlFamily family{.Name = "buttons"};
  return family;
}

}  // namespace kx
