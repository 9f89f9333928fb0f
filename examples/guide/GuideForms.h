// The guide's forms, one per topic of docs/GUIDE.md:
// - TGuideMainForm (MainForm.cpp): the main form. A name edit greeted by a full submit (BUTTONSUBMIT) or by a
//   callback (BUTTONCALLBACK), the session's greeting count, and the buttons that open the other forms.
// - TGuideSignUpForm (SignUpForm.cpp): validation. Required edits, server-side checks that write into the label
//   ERROR, a number left to StrToInt, whose exception ends in an alert; "Save" stores the visitor in the session.
// - TGuideMessagesForm (MessagesForm.cpp): one button per ShowMessage display mode.
// - TGuideTemplateForm (TemplateForm.cpp): a form laid out by Templates/GuideTemplateForm.html.
// Each form but the main one closes with its BUTTONBACK, which releases it. Builds on controls/AppForm.h.
#pragma once

#include <string>

#include "kx/controls/appform/AppForm.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/labels/Labels.h"
#include "kx/forms/TemplateProcessor.h"

namespace kx {

// Creates a control owned by form, names it and places it on the form.
template <class T>
T* Place(TKXForm* form, const std::string& name, int left, int top, int width, int height = 25) {
  T* control = TComponent::Create<T>(form);
  control->SetName(name);
  control->SetParent(form);
  control->SetBounds(left, top, width, height);
  return control;
}

class TGuideMainForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TGuideMainForm, TKXAppForm)

 public:
  TKXLabel* VISITOR = nullptr;
  TKXEdit* NAME = nullptr;
  TKXButton* BUTTONSUBMIT = nullptr;
  TKXButton* BUTTONCALLBACK = nullptr;
  TKXLabel* GREETING = nullptr;
  TKXLabel* COUNT = nullptr;
  TKXButton* BUTTONSIGNUP = nullptr;
  TKXButton* BUTTONMESSAGES = nullptr;
  TKXButton* BUTTONTEMPLATE = nullptr;

 protected:
  void BuildComponents() override;

 private:
  // The greeting of both buttons; how: "submit" or "callback".
  void Greet(const std::string& how);
  // Shows what the session's data module holds.
  void ShowVisitor();
};

class TGuideSignUpForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TGuideSignUpForm, TKXAppForm)

 public:
  TKXEdit* NAME = nullptr;
  TKXEdit* AGE = nullptr;
  TKXLabel* ERROR = nullptr;
  TKXButton* BUTTONSAVE = nullptr;
  TKXButton* BUTTONBACK = nullptr;

 protected:
  void BuildComponents() override;

 private:
  void SaveClick(TObject* sender);
};

class TGuideMessagesForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TGuideMessagesForm, TKXAppForm)

 protected:
  void BuildComponents() override;
};

class TGuideTemplateForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TGuideTemplateForm, TKXAppForm)

 public:
  TKXTemplateProcessorHTML* TEMPLATE = nullptr;
  TKXLabel* VISITOR = nullptr;
  TKXEdit* NOTE = nullptr;
  TKXButton* BUTTONADD = nullptr;
  TKXLabel* NOTES = nullptr;
  TKXButton* BUTTONBACK = nullptr;

 protected:
  void BuildComponents() override;
};

}  // namespace kx
