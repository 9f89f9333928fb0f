#include "TemplateForm.h"

#include <string>

namespace kx {

namespace {

template <class T>
T* Place(TKXForm* form, const std::string& name, int left, int top, int width, int height) {
  T* control = TComponent::Create<T>(form);
  control->SetName(name);
  control->SetParent(form);
  control->SetBounds(left, top, width, height);
  return control;
}

}  // namespace

// The template's name is the class name without its "T": TemplateForm.html in
// the controller's TemplateDir. Without that file the form lays itself out.
void TTemplateForm::BuildComponents() {
  SetTitle("KXDemo - template form");
  TEMPLATE = TComponent::Create<TKXTemplateProcessorHTML>(this);
  SetLayoutMgr(TEMPLATE);
  LABEL1 = Place<TKXLabel>(this, "LABEL1", 16, 16, 320, 21);
  LABEL1->SetCaption("Type something and press Copy.");
  EDIT1 = Place<TKXEdit>(this, "EDIT1", 16, 48, 200, 21);
  BUTTONCOPY = Place<TKXButton>(this, "BUTTONCOPY", 224, 46, 75, 25);
  BUTTONCOPY->SetCaption("Copy");
  BUTTONCOPY->OnClick = [this](TObject*) { LABEL1->SetCaption(EDIT1->Text()); };
  BUTTONBACK = Place<TKXButton>(this, "BUTTONBACK", 16, 84, 75, 25);
  BUTTONBACK->SetCaption("Back");
  // Releasing the form takes it off the session's stack: the form below it shows again.
  BUTTONBACK->OnClick = [this](TObject*) { Release(); };
}

}  // namespace kx
