// The gallery page of the choice controls: a combo box (plain and scripted), a multi-select list box, a check
// box (native and image), two radio buttons of one group, a radio group, a time edit and an ordered list box,
// each with a label beside it that echoes its value after a full submit (BUTTONSUBMIT) and after the control's
// own callback.
#pragma once

#include "examples/demo/Gallery.h"
#include "kx/controls/checks/Checks.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/lists/Lists.h"
#include "kx/controls/lists/OrderedListbox.h"
#include "kx/controls/timeedit/TimeEdit.h"

namespace kx {

class TGalleryChoicesForm : public TGalleryForm {
  KX_COMPONENT_CLASS(TGalleryChoicesForm, TGalleryForm)

 public:
  TKXComboBox* COMBO1 = nullptr;
  TKXComboBox* COMBO2 = nullptr;
  TKXComboBox* COMBO3 = nullptr;  // read-only: shows the first combo's pick as a label
  TKXListbox* LIST1 = nullptr;
  TKXCheckBox* CHECK1 = nullptr;
  TKXCheckBox* CHECK2 = nullptr;
  TKXRadioButton* RADIO1 = nullptr;
  TKXRadioButton* RADIO2 = nullptr;
  TKXRadioGroup* GROUP1 = nullptr;
  TKXTimeEdit* TIME1 = nullptr;
  TKXOrderedListbox* ORDER1 = nullptr;
  TKXButton* BUTTONSUBMIT = nullptr;

 protected:
  void BuildComponents() override;

 private:
  // The label beside the control at top, named "ECHO" + its name.
  TKXLabel* AddEcho(const std::string& controlName, int top);
  // Every label shows its control's value (after a submit).
  void EchoAll();
  void EchoCombo(TKXComboBox* combo);
  void EchoList();
  void EchoCheck(TKXCheckBox* box);
  void EchoRadio();
  void EchoGroup();
  void EchoTime();
  void EchoOrder();
};

}  // namespace kx
