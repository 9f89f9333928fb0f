// The text-input controls: TKXEdit, a one-line INPUT of type text or password
// (shown as a label when it is not editable and NonEditableAsLabel is set),
// and TKXMemo, a multi-line TEXTAREA backed by a string list. Posted values
// arrive through SetValue during form execution, Enter in an edit through Submit.
#pragma once

#include <cstdint>
#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/controls/labels/Labels.h"
#include "kx/forms/CustomControl.h"

namespace kx {

class TKXCustomEdit : public TKXControl {
  KX_COMPONENT_CLASS(TKXCustomEdit, TKXControl)

 public:
  // taLeftJustify by default; a change invalidates.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  // clNone by default; a change invalidates.
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value);
  // The background while the edit has the focus; clNone (none) by default; a change invalidates.
  TKXColor FocusColor() const { return FFocusColor; }
  void SetFocusColor(TKXColor value);
  // In characters; 0 (the default) for no limit. A change invalidates. A
  // posted value is cut to it, as the browser cuts what is typed.
  std::int32_t MaxLength() const { return FMaxLength; }
  void SetMaxLength(std::int32_t value);
  // False by default: the input's type is "TEXT", "PASSWORD" when set (no invalidation).
  bool PasswordPrompt() const { return FPasswordPrompt; }
  void SetPasswordPrompt(bool value);
  // False by default: with it an empty field stops the page's submit (a check in the browser only).
  bool Required() const { return FRequired; }
  void SetRequired(bool value);
  // False by default; a change invalidates.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  // "TEXT" or "PASSWORD".
  const std::string& InputType() const { return FInputType; }
  // Runs on Submit (Enter in the field); without it the form's OnDefaultAction does.
  TNotifyEvent OnSubmit;

  // ---- posted values and submits
  // Tells a parent implementing IKXUpdateNotified, then takes value (cut to
  // MaxLength) as the text when it differs; the browser shows it already, so
  // the edit is not marked for refresh.
  void SetValue(const std::string& value) override;
  // Stores value, then DoSubmit.
  void Submit(const std::string& value) override;
  // OnSubmit, else the parent form's OnDefaultAction with the edit as sender, else nothing.
  virtual void DoSubmit();

  // ---- rendering
  // The base's hooks, then the client properties of the implicit submit and of the focus colour.
  void HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) override;
  // Editable, or shown as an input when not editable.
  bool ShouldRenderTabOrder() const override;
  // The base's less the border on both sides; never below 0.
  int HTMLWidth() override;
  int HTMLHeight() override;
  // An INPUT (see the .cpp), or the tag of a label when not editable and NonEditableAsLabel.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  std::string RenderStyle(TKXCompContext* context) override;
  // "control" of type "KXEDIT" (or "KXEDITASLABEL"): style, read-only and
  // enabled state, text, maximum length and the common properties but Enabled.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  // 121 x 21, not shown as a label, needs the form tag, may take the focus.
  void InitControl() override;

 private:
  bool ShownAsLabel() { return !Editable() && NonEditableAsLabel(); }
  // The text as shown: for a password, as many "*" as it has characters.
  std::string DisplayText() const;
  // Whether the parent form handles the default action.
  bool FormHasOnDefaultActionSet() const;

  TAlignment FAlignment = taLeftJustify;
  TKXColor FBGColor = clNone;
  TKXColor FFocusColor = clNone;
  std::int32_t FMaxLength = 0;
  bool FPasswordPrompt = false;
  bool FRequired = false;
  bool FReadOnly = false;
  std::string FInputType = "TEXT";
  std::int32_t FBorderWidth = 1;  // pixels, the inset border
};

class TKXEdit : public TKXCustomEdit {
  KX_COMPONENT_CLASS(TKXEdit, TKXCustomEdit)

 public:
  // Empties the text.
  void Clear() { SetText(std::string()); }
};

// ---------------------------------------------------------------------------

enum TMemoResizeDirection : std::uint8_t { rdNone, rdBoth, rdVertical, rdHorizontal };

class TKXCustomMemo : public TKXControl {
  KX_COMPONENT_CLASS(TKXCustomMemo, TKXControl)

 public:
  // rdBoth by default: how the user may resize the TEXTAREA.
  TMemoResizeDirection ResizeDirection() const { return FResizeDirection; }
  void SetResizeDirection(TMemoResizeDirection value) { FResizeDirection = value; }
  // False by default: lines wrap; true renders WRAP="OFF".
  bool HorizScrollBar() const { return FHorizScrollBar; }
  void SetHorizScrollBar(bool value) { FHorizScrollBar = value; }
  // True by default; a change invalidates.
  bool VertScrollBar() const { return FVertScrollBar; }
  void SetVertScrollBar(bool value);
  // clNone by default; a change invalidates.
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value);
  // The text; a change marks the memo for refresh. Text() is always Lines.Text.
  TKXNotifyStringList& Lines() { return FLines.Lines(); }
  // Copies the lines (the text then ends with a line break) and invalidates.
  void SetLines(const TStrings& value);
  // False by default: with it an empty memo stops the page's submit (a check in the browser only).
  bool Required() const { return FRequired; }
  void SetRequired(bool value) { FRequired = value; }
  // False by default: true draws no border.
  bool InvisibleBorder() const { return FInvisibleBorder; }
  void SetInvisibleBorder(bool value) { FInvisibleBorder = value; }
  // Whether the text last posted ended with a line break (true until a post says otherwise).
  bool EndsWithLineBreak() const { return FEndsWithLineBreak; }
  void Clear() { Lines().Clear(); }

  // A memo draws its own border: it never renders inside a frame (the setter does nothing).
  void SetUseFrame(bool value) override { (void)value; }

  // Tells a parent implementing IKXUpdateNotified, then takes value with its
  // line breaks made CR LF; the memo is not marked for refresh.
  void SetValue(const std::string& value) override;
  // The base's scripts, then the client property BorderWidthPixels = 1.
  void RenderScripts(TKXCompContext* context) override;
  // The base's less the border on both sides; never below 0.
  int HTMLWidth() override;
  int HTMLHeight() override;
  // A TEXTAREA holding the text (see the .cpp).
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  std::string RenderStyle(TKXCompContext* context) override;
  // "control" of type "KXMEMO": style, read-only state, the text and the common properties.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  // 121 x 121, needs the form tag, may take the focus.
  void InitControl() override;
  // Copies the text into the lines.
  void TextChangedNotification() override;
  // For a subclass that sets the text from elsewhere than a post.
  void SetEndsWithLineBreak(bool value) { FEndsWithLineBreak = value; }

 private:
  // The text escaped for HTML, less the line break the lines add when the posted text had none.
  std::string TextForRendering() const;

  TMemoResizeDirection FResizeDirection = rdBoth;
  bool FHorizScrollBar = false;
  bool FVertScrollBar = true;
  TKXColor FBGColor = clNone;
  TKXControlLines FLines{this};
  bool FRequired = false;
  bool FEndsWithLineBreak = true;
  bool FInvisibleBorder = false;
  std::int32_t FBorderWidth = 1;  // pixels, the inset border
};

class TKXMemo : public TKXCustomMemo {
  KX_COMPONENT_CLASS(TKXMemo, TKXCustomMemo)
};

// The family's registration (the edit and the memo), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& EditsFamily();

}  // namespace kx
