// The read-only text controls: TKXLabel shows a one-piece caption as a SPAN (or
// as a LABEL bound to another control), TKXText a multi-line text held in a
// string list as a DIV. TKXNotifyStringList is the string list they (and the
// memo) keep their lines in: it tells its owner of every change.
#pragma once

#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/forms/CustomControl.h"
#include "kx/platform/StringLists.h"

namespace kx {

// A string list that calls OnChange once after each change of its lines (a
// SetText, Assign or AddStrings is one change). Clear of an empty list changes nothing.
class TKXNotifyStringList : public TStringList {
 public:
  TNotifyEvent OnChange;

  void SetStrings(int index, const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;
  void Exchange(int index1, int index2) override;
  void Move(int curIndex, int newIndex) override;
  void SetText(std::string_view text) override;
  void AddStrings(const TStrings& strings) override;
  void Assign(const TPersistent* source) override;

 protected:
  void InsertItem(int index, const std::string& s, TObject* object) override;

 private:
  // Runs change as one change of the list.
  template <class F>
  void Batch(F change);
  void Changed();

  int mBatch = 0;
};

// The lines of a multi-line text control (the text block, the memo), kept
// equal to the control's text: a change of either is copied to the other and
// never back again, and a change of the lines marks the control for refresh.
class TKXControlLines {
 public:
  // control: the control whose text the lines follow (not owned; it owns the lines).
  explicit TKXControlLines(TKXCustomControl* control);
  TKXControlLines(const TKXControlLines&) = delete;
  TKXControlLines& operator=(const TKXControlLines&) = delete;

  TKXNotifyStringList& Lines() { return FLines; }
  // Copies the control's text into the lines (and their text back into the
  // control); the control calls it from its TextChangedNotification.
  void TextChanged();

 private:
  void LinesChanged();

  TKXCustomControl* FControl;
  TKXNotifyStringList FLines;
  bool mSyncing = false;  // the text and the lines are being brought in line
};

// ---------------------------------------------------------------------------
// Label

class TKXCustomLabel : public TKXCustomControl {
  KX_COMPONENT_CLASS(TKXCustomLabel, TKXCustomControl)

 public:
  // The control's text.
  const std::string& Caption() const { return Text(); }
  void SetCaption(const std::string& value) { SetText(value); }
  // taLeftJustify by default; a change invalidates.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  // False by default: the caption is escaped as HTML text; true writes it as markup.
  bool RawText() const { return FRawText; }
  void SetRawText(bool value) { FRawText = value; }
  // False by default; true wraps the text in NOBR.
  bool NoWrap() const { return FNoWrap; }
  void SetNoWrap(bool value) { FNoWrap = value; }
  // False by default; true writes blanks as "&nbsp;".
  bool ConvertSpaces() const { return FConvertSpaces; }
  void SetConvertSpaces(bool value) { FConvertSpaces = value; }
  // The control the label names (a LABEL for it); not owned, null once it is freed.
  TKXCustomControl* ForControl() const { return FForControl.Get(); }
  void SetForControl(TKXCustomControl* value) { FForControl = value; }
  // False by default: the label takes no place in the tab order.
  void SetHasTabOrder(bool value) { FHasTabOrder = value; }
  // The web colour; clNone by default.
  TKXColor BGColor() { return WebColor(); }
  void SetBGColor(TKXColor value) { SetWebColor(value); }

  // A label posts nothing.
  bool HasName() override { return false; }
  bool HasTabOrder() const override { return FHasTabOrder; }
  bool ShouldRenderTabOrder() const override { return FHasTabOrder; }
  // The base's, then RenderSize := not value.
  void SetAutoSize(bool value) override;

  // Adds the label text to the contents of tag: "<span></span>" for an empty
  // caption, else the caption (escaped unless RawText), in NOBR with NoWrap.
  void RenderLabelText(TKXMarkupLanguageTag* tag);
  // A SPAN, or a LABEL with "for" = the HTML name of ForControl.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXLABEL" with the text in "innerHTML".
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;
  // The size only when AutoSize is off and RenderSize on; then the alignment
  // (when Css is empty) and the background colour.
  std::string RenderStyle(TKXCompContext* context) override;

 protected:
  // 121 x 21, AutoSize on, alignment left, no colour.
  void InitControl() override;

 private:
  TAlignment FAlignment = taLeftJustify;
  bool FRawText = false;
  bool FNoWrap = false;
  bool FConvertSpaces = false;
  TComponentRef<TKXCustomControl> FForControl;
  bool FHasTabOrder = false;
};

class TKXLabel : public TKXCustomLabel {
  KX_COMPONENT_CLASS(TKXLabel, TKXCustomLabel)
};

// ---------------------------------------------------------------------------
// Text block

class TKXCustomText : public TKXCustomControl {
  KX_COMPONENT_CLASS(TKXCustomText, TKXCustomControl)

 public:
  // clNone by default; a change invalidates.
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value);
  // False by default; true writes blanks as "&nbsp;".
  bool ConvertSpaces() const { return FConvertSpaces; }
  void SetConvertSpaces(bool value) { FConvertSpaces = value; }
  // The text; a change marks the control for refresh. Text() is always Lines.Text.
  TKXNotifyStringList& Lines() { return FLines.Lines(); }
  // Copies the lines and invalidates.
  void SetLines(const TStrings& value);
  // False by default: the lines are escaped as HTML text.
  bool RawText() const { return FRawText; }
  void SetRawText(bool value) { FRawText = value; }
  // True by default: line breaks are kept (as "<br>" unless RawText).
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool value) { FWantReturns = value; }
  void Clear() { Lines().Clear(); }

  bool HasTabOrder() const override { return false; }

  // The text as the DIV shows it (see the .cpp).
  std::string RetrieveLinesForRendering();
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXTEXT" with the text in "innerhtml".
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;
  std::string RenderStyle(TKXCompContext* context) override;

 protected:
  // 121 x 121, empty lines, WantReturns on.
  void InitControl() override;
  // Copies the caption into the lines.
  void TextChangedNotification() override;

 private:
  TKXColor FBGColor = clNone;
  bool FConvertSpaces = false;
  TKXControlLines FLines{this};
  bool FRawText = false;
  bool FWantReturns = true;
};

class TKXText : public TKXCustomText {
  KX_COMPONENT_CLASS(TKXText, TKXCustomText)
};

// The family's registration (the labels and texts), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& LabelsFamily();

}  // namespace kx
