// The demo's form rendered through an HTML template: Templates/TemplateForm.html
// places its label, edit and two buttons. BUTTONCOPY copies the edit's text
// into the label with a full submit; BUTTONBACK closes the form again. Builds on
// forms/TemplateProcessor.h and the controls.
#pragma once

#include "kx/controls/appform/AppForm.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/labels/Labels.h"
#include "kx/forms/TemplateProcessor.h"

namespace kx {

class TTemplateForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TTemplateForm, TKXAppForm)

 public:
  TKXTemplateProcessorHTML* TEMPLATE = nullptr;
  TKXLabel* LABEL1 = nullptr;
  TKXEdit* EDIT1 = nullptr;
  TKXButton* BUTTONCOPY = nullptr;
  TKXButton* BUTTONBACK = nullptr;

 protected:
  void BuildComponents() override;
};

}  // namespace kx
