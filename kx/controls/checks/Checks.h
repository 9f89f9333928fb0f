// The two-state controls and the radio group: TKXCheckBox (a native check box,
// or an image check box drawn from two GIFs), TKXRadioButton (a native radio
// input; buttons with the same Group form one browser group) and TKXRadioGroup
// (a list of texts shown as the radio buttons of one group). Each posts
// through an input named after the control's HTML name N plus a suffix.
#pragma once

#include <cstdint>
#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/controls/labels/Labels.h"
#include "kx/forms/CustomControl.h"
#include "kx/platform/StringLists.h"

namespace kx {

// Scoped: the combo box's styles share the name stNormal.
enum class TKXCustomCheckBoxStyle : std::uint8_t { stNormal, stCool };

class TKXCustomCheckBox : public TKXControl, public virtual IKXExInputControl {
  KX_COMPONENT_CLASS(TKXCustomCheckBox, TKXControl)

 public:
  // The control's text, shown beside the box (as text).
  const std::string& Caption() const { return Text(); }
  void SetCaption(const std::string& value) { SetText(value); }
  // False by default; a change invalidates and fires OnChange.
  bool Checked() const { return FChecked; }
  void SetChecked(bool value);
  // stNormal (a native check box) by default; stCool draws two images.
  TKXCustomCheckBoxStyle Style() const { return FStyle; }
  void SetStyle(TKXCustomCheckBoxStyle value) { SetProperty(FStyle, value); }
  TNotifyEvent OnChange;

  // ---- posted values (field N + "_CHECKBOX")
  void GetInputControlNames(TStrings& list) override;
  // name is N + "_CHECKBOX", ignoring case.
  bool IsForThisControl(const std::string& name) override;
  void SetValue(const std::string& value) override;
  // Tells the parent, then checks the box for "on" (any case), clears it for
  // anything else; the browser shows it already, so no refresh. OnChange follows from ValueChanged.
  void SetValue(const std::string& value, bool& changed) override;
  // OnChange.
  void ValueChanged() override;
  // Stores value, then DoClick (OnClick).
  void Submit(const std::string& value) override;

  bool HasName() override { return false; }
  bool ShouldRenderTabOrder() const override { return false; }
  // The base's; for stNormal and an editable box the submit on "OnClick" (with OnClick) or "OnChange".
  void HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) override;
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXCHECKBOX": caption, checked and enabled state, the common properties.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  // 121 x 21, needs the form tag, may take the focus.
  void InitControl() override;

 private:
  void RenderNormal(TKXCompContext* context, TKXHTMLTag* span);
  void RenderCool(TKXCompContext* context, TKXHTMLTag* span);

  bool FChecked = false;
  TKXCustomCheckBoxStyle FStyle = TKXCustomCheckBoxStyle::stNormal;
};

class TKXCheckBox : public TKXCustomCheckBox {
  KX_COMPONENT_CLASS(TKXCheckBox, TKXCustomCheckBox)
};

// ---------------------------------------------------------------------------

class TKXCustomRadioButton : public TKXControl {
  KX_COMPONENT_CLASS(TKXCustomRadioButton, TKXControl)

 public:
  const std::string& Caption() const { return Text(); }
  void SetCaption(const std::string& value) { SetText(value); }
  // What the group posts when this button is checked; follows the name while it is empty or equal to it.
  // (SetValue is the entry of posted values.)
  const std::string& Value() const { return FValue; }
  void SetButtonValue(const std::string& value) { SetProperty(FValue, value); }
  // "no group" by default: the buttons of one group share the browser's NAME.
  const std::string& Group() const { return FGroup; }
  void SetGroup(const std::string& value) { SetProperty(FGroup, value); }
  // False by default; a change invalidates.
  bool Checked() const { return FChecked; }
  void SetChecked(bool value) { SetProperty(FChecked, value); }

  bool HasName() override { return false; }
  // Value follows the name (see Value), then the base's.
  void SetName(const std::string& value) override;
  // Never takes a tab order: always 0.
  int TabOrder() const override { return 0; }
  void SetTabOrder(int value) override;

  // ---- posted values (field N + "_INPUT", which the client writes for every button of the group)
  void GetInputControlNames(TStrings& list) override;
  bool IsForThisControl(const std::string& name) override;
  // Tells the parent, then checks the button when value is its Value (ignoring case), else clears it.
  void SetValue(const std::string& value) override;
  // Stores value, then DoClick (OnClick).
  void Submit(const std::string& value) override;

  // The base's; with OnClick and editable, the submit on "OnClick".
  void HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) override;
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXRADIOBUTTON": checked state, value, caption, enabled state, the common properties.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  // 121 x 21, enabled, needs the form tag, may take the focus.
  void InitControl() override;

 private:
  std::string FValue;
  std::string FGroup = "no group";
  bool FChecked = false;
};

class TKXRadioButton : public TKXCustomRadioButton {
  KX_COMPONENT_CLASS(TKXRadioButton, TKXCustomRadioButton)
};

// ---------------------------------------------------------------------------

enum TKXRadioGroupLayout : std::uint8_t { glVertical, glHorizontal };

class TKXCustomRadioGroup : public TKXControl, public virtual IKXExInputControl {
  KX_COMPONENT_CLASS(TKXCustomRadioGroup, TKXControl)

 public:
  // -1 (nothing) by default; an index outside the items checks nothing. A change marks the group for refresh.
  std::int32_t ItemIndex() const { return FItemIndex; }
  void SetItemIndex(std::int32_t value);
  // The texts of the buttons; a change marks the group for refresh.
  TStringList& Items() { return FItems; }
  void SetItems(const TStrings& list);
  // glVertical by default; a change invalidates.
  TKXRadioGroupLayout Layout() const { return FLayout; }
  void SetLayout(TKXRadioGroupLayout value) { SetProperty(FLayout, value); }

  // ---- posted values (field N + "_INPUT", the checked button's index)
  void GetInputControlNames(TStrings& list) override;
  bool IsForThisControl(const std::string& name) override;
  void SetValue(const std::string& value) override;
  // Tells the parent, then takes the posted index (-1: nothing checked);
  // changed when that differs from ItemIndex. A value that is not the index
  // of an item changes nothing.
  void SetValue(const std::string& value, bool& changed) override;
  // The click: OnClick.
  void ValueChanged() override;
  // Stores value only.
  void Submit(const std::string& value) override;
  // Nothing: the click comes from ValueChanged once the posted index is in.
  void DoClick() override {}

  bool HasName() override { return false; }
  bool HasTabOrder() const override { return false; }
  // The base's; with OnClick and enabled, the submit on "OnClick".
  void HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) override;
  // The base's, then " white-space:nowrap;" for glHorizontal.
  std::string RenderStyle(TKXCompContext* context) override;
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXRADIOGROUP": layout, the items and the common properties.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  // 89 x 112, vertical, needs the form tag.
  void InitControl() override;
  // The items changed: the group shows them anew.
  virtual void OnItemsChange();

 private:
  std::int32_t FItemIndex = -1;
  TKXNotifyStringList FItems;
  TKXRadioGroupLayout FLayout = glVertical;
};

class TKXRadioGroup : public TKXCustomRadioGroup {
  KX_COMPONENT_CLASS(TKXRadioGroup, TKXCustomRadioGroup)
};

// The family's registration (check boxes, radio buttons, radio groups), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& ChecksFamily();

}  // namespace kx
