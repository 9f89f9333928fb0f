// The push button of a form: rendered as an INPUT of type "button" (or, with a
// hot key, as a BUTTON whose caption underlines the key), it submits the form
// through the standard submit script when it has a server-side OnClick and
// answers callbacks with an update of its caption and colour.
#pragma once

#include <cstdint>
#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/forms/CustomControl.h"

namespace kx {

// Stored only: the rendered type is always "button".
enum TKXButtonType : std::uint8_t { btSubmit, btButton, btReset };

class TKXButton : public TKXCustomControl, public virtual IKXSubmitControl {
  KX_COMPONENT_CLASS(TKXButton, TKXCustomControl)

 public:
  // The control's text.
  const std::string& Caption() const { return Text(); }
  void SetCaption(const std::string& value) { SetText(value); }
  // btButton by default.
  TKXButtonType ButtonType() const { return FButtonType; }
  void SetButtonType(TKXButtonType value) { FButtonType = value; }
  // The access key; empty by default. When set, the button renders as a BUTTON
  // element whose caption underlines the first occurrence of the key.
  const std::string& HotKey() const { return FHotKey; }
  void SetHotKey(const std::string& value) { FHotKey = value; }

  // The base's hooks, then, with an OnClick handler, the submit script on "OnClick".
  void HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) override;
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXBUTTON": caption, colour and the common properties.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

  // ---- IKXSubmitControl
  // Stores value, then DoClick (OnClick).
  void Submit(const std::string& value) override;
  TSubmitProc getSubmitProc() override;
  // What the last Submit received.
  std::string GetSubmitParam() override { return FSubmitParam; }

 protected:
  // 75 x 25, button-face colour, RenderSize on, needs the form tag, may take the focus.
  void InitControl() override;

 private:
  // The caption as HTML text; with a hot key its first occurrence (ignoring case) underlined.
  std::string CaptionHTML() const;

  TCompactString FSubmitParam;
  TKXButtonType FButtonType = btButton;
  TCompactString FHotKey;
};

// The family's registration (the buttons), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& ButtonsFamily();

}  // namespace kx
