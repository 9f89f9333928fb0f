#include "kx/controls/labels/Labels.h"

#include "kx/foundation/Colors.h"

namespace kx {

namespace {

// Restores a flag on every way out.
class TFlagScope {
 public:
  TFlagScope(bool& flag, bool value) : mFlag(flag), mOld(flag) { flag = value; }
  ~TFlagScope() { mFlag = mOld; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& mFlag;
  bool mOld;
};

}  // namespace

// ---------------------------------------------------------------------------
// TKXNotifyStringList

template <class F>
void TKXNotifyStringList::Batch(F change) {
  ++mBatch;
  try {
    change();
  } catch (...) {
    --mBatch;
    throw;
  }
  --mBatch;
  Changed();
}

void TKXNotifyStringList::Changed() {
  if (mBatch == 0 && OnChange) OnChange(this);
}

void TKXNotifyStringList::InsertItem(int index, const std::string& s, TObject* object) {
  TStringList::InsertItem(index, s, object);
  Changed();
}

void TKXNotifyStringList::SetStrings(int index, const std::string& s) {
  TStringList::SetStrings(index, s);
  Changed();
}

void TKXNotifyStringList::Delete(int index) {
  TStringList::Delete(index);
  Changed();
}

void TKXNotifyStringList::Clear() {
  if (Count() == 0) return;
  TStringList::Clear();
  Changed();
}

void TKXNotifyStringList::Exchange(int index1, int index2) {
  TStringList::Exchange(index1, index2);
  Changed();
}

void TKXNotifyStringList::Move(int curIndex, int newIndex) {
  TStringList::Move(curIndex, newIndex);
  Changed();
}

void TKXNotifyStringList::SetText(std::string_view text) {
  Batch([&] { TStringList::SetText(text); });
}

void TKXNotifyStringList::AddStrings(const TStrings& strings) {
  Batch([&] { TStringList::AddStrings(strings); });
}

void TKXNotifyStringList::Assign(const TPersistent* source) {
  Batch([&] { TStringList::Assign(source); });
}

// ---------------------------------------------------------------------------
// TKXControlLines

TKXControlLines::TKXControlLines(TKXCustomControl* control) : FControl(control) {
  FLines.OnChange = [this](TObject*) { LinesChanged(); };
}

// A change of either side is copied to the other under mSyncing, so that neither copies back.
void TKXControlLines::LinesChanged() {
  if (mSyncing) return;
  {
    TFlagScope syncing(mSyncing, true);
    FControl->SetText(FLines.Text());
  }
  FControl->SetDoRefreshControl(true);
  FControl->Invalidate();
}

void TKXControlLines::TextChanged() {
  if (mSyncing) return;
  TFlagScope syncing(mSyncing, true);
  FLines.SetText(FControl->Text());
  FControl->SetText(FLines.Text());
}

// ---------------------------------------------------------------------------
// TKXCustomLabel

void TKXCustomLabel::InitControl() {
  TKXCustomControl::InitControl();
  SetBounds(Left(), Top(), 121, 21);
  SetAutoSize(true);
  FRawText = false;
  FAlignment = taLeftJustify;
  SetWebColor(clNone);
  FHasTabOrder = false;
  FNoWrap = false;
  FConvertSpaces = false;
}

void TKXCustomLabel::SetAlignment(TAlignment value) { SetProperty(FAlignment, value); }

void TKXCustomLabel::SetAutoSize(bool value) {
  TKXCustomControl::SetAutoSize(value);
  SetRenderSize(!value);
}

void TKXCustomLabel::RenderLabelText(TKXMarkupLanguageTag* tag) {
  if (tag == nullptr) return;
  std::string text;
  if (Caption().empty()) {
    text = "<span></span>";
  } else {
    // Never the callback form of "&nbsp;": the text is markup in the page and in the update's innerHTML alike.
    text = FRawText ? Caption() : TextToHTML(Caption(), true, FConvertSpaces, false);
    if (FNoWrap) text = "<nobr>" + text + "</nobr>";
  }
  tag->Contents()->AddText(text, false);
}

TKXElementPtr<TKXHTMLTag> TKXCustomLabel::RenderHTML(TKXCompContext* context) {
  (void)context;
  TKXElementPtr<TKXHTMLTag> tag;
  if (TKXCustomControl* target = ForControl()) {
    tag = TKXHTMLTag::Create("LABEL");
    tag->AddStringParam("for", target->HTMLName());
  } else {
    tag = TKXHTMLTag::Create("SPAN");
  }
  RenderLabelText(tag.get());
  return tag;
}

TKXElementPtr<TKXXMLTag> TKXCustomLabel::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXLABEL");
  RenderLabelText(tag->Contents()->AddTag("innerHTML", false));
  std::string style;
  if (FAlignment == taRightJustify) {
    style = "text-align: right; ";
  } else if (FAlignment == taCenter) {
    style = "text-align: center; ";
  }
  if (WebColor() != clNone) style += RenderBGColor(WebColor());
  AddAsyncStyle(tag.get(), style);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  return tag;
}

std::string TKXCustomLabel::RenderStyle(TKXCompContext* context) {
  std::string style;
  TKXHTMLControlImplementation* implementation = HTMLControlImplementation();
  const bool renderSize = implementation->RenderSize();
  const bool autoSize = AutoSize();
  if (renderSize == autoSize) {
    // The base writes the size for RenderSize or for AutoSize off: switch both
    // off for the base (without marking the control) and put them back after.
    struct TRestore {
      TKXCustomLabel* Label;
      bool RenderSize;
      bool AutoSize;
      ~TRestore() {
        Label->HTMLControlImplementation()->SetRenderSize(RenderSize);
        Label->TKXCustomControl::SetAutoSize(AutoSize);
      }
    } restore{this, renderSize, autoSize};
    implementation->SetRenderSize(false);
    TKXCustomControl::SetAutoSize(true);
    style = TKXCustomControl::RenderStyle(context);
  } else {
    style = TKXCustomControl::RenderStyle(context);
  }
  if (Css().empty()) {
    if (FAlignment == taRightJustify) {
      style += "text-align:right; ";
    } else if (FAlignment == taCenter) {
      style += "text-align:center; ";
    }
  }
  if (WebColor() != clNone) style += RenderBGColor(WebColor());
  return style;
}

// ---------------------------------------------------------------------------
// TKXCustomText

void TKXCustomText::InitControl() {
  TKXCustomControl::InitControl();
  FBGColor = clNone;
  SetBounds(Left(), Top(), 121, 121);
  FWantReturns = true;
  FConvertSpaces = false;
}

void TKXCustomText::SetBGColor(TKXColor value) { SetProperty(FBGColor, value); }

void TKXCustomText::SetLines(const TStrings& value) {
  Lines().Assign(&value);
  SetText(Lines().Text());
  Invalidate();
}

void TKXCustomText::TextChangedNotification() {
  TKXCustomControl::TextChangedNotification();
  FLines.TextChanged();
}

// RawText off: the text escaped, line breaks as "<br>" with WantReturns.
// RawText on: each line + CR LF with WantReturns, else the lines joined.
std::string TKXCustomText::RetrieveLinesForRendering() {
  const TKXNotifyStringList& lines = FLines.Lines();
  if (!FRawText) return TextToHTML(lines.Text(), FWantReturns, FConvertSpaces, false);
  std::string text;
  for (int i = 0; i < lines.Count(); ++i) {
    text += lines.Strings(i);
    if (FWantReturns) text += "\r\n";
  }
  return text;
}

TKXElementPtr<TKXHTMLTag> TKXCustomText::RenderHTML(TKXCompContext* context) {
  (void)context;
  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("DIV");
  tag->Contents()->AddText(RetrieveLinesForRendering(), false);
  return tag;
}

TKXElementPtr<TKXXMLTag> TKXCustomText::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXTEXT");
  if (FBGColor != clNone) AddAsyncStyle(tag.get(), "background-color:" + ColorToRGBString(FBGColor) + ";");
  tag->Contents()->AddTag("innerhtml", false)->Contents()->AddText(RetrieveLinesForRendering(), false);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  return tag;
}

std::string TKXCustomText::RenderStyle(TKXCompContext* context) {
  std::string style = TKXCustomControl::RenderStyle(context);
  if (FBGColor != clNone) style += " background-color: " + ColorToRGBString(FBGColor) + ";";
  return style;
}

// ---------------------------------------------------------------------------

const TKXControlFamily& LabelsFamily() {
  static const TKXControlFamily family{.Name = "labels"};
  return family;
}

}  // namespace kx
