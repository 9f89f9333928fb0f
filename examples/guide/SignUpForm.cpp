#include "GuideForms.h"
#include "GuideSession.h"
#include "kx/platform/SysUtils.h"

namespace kx {

void TGuideSignUpForm::BuildComponents() {
  SetTitle("kx guide - sign up");
  NAME = Place<TKXEdit>(this, "NAME", 16, 16, 200);
  NAME->SetRequired(true);  // the browser refuses to submit the page while it is empty ...
  NAME->SetFriendlyName("Your name");  // ... and says "Your name is a required field."
  AGE = Place<TKXEdit>(this, "AGE", 16, 52, 60);
  AGE->SetRequired(true);
  AGE->SetFriendlyName("Your age");
  ERROR = Place<TKXLabel>(this, "ERROR", 16, 88, 420);
  ERROR->WebFont().SetColor(clRed);
  BUTTONSAVE = Place<TKXButton>(this, "BUTTONSAVE", 16, 124, 96);
  BUTTONSAVE->SetCaption("Save");
  BUTTONSAVE->OnClick = [this](TObject* sender) { SaveClick(sender); };
  BUTTONBACK = Place<TKXButton>(this, "BUTTONBACK", 120, 124, 96);
  BUTTONBACK->SetCaption("Back");
  BUTTONBACK->SetDoSubmitValidation(false);  // "Back" leaves without the Required checks
  // Releasing the form takes it off the session's form stack; the form below it shows again.
  BUTTONBACK->OnClick = [this](TObject*) { Release(); };
}

// Required is a check in the browser only: a request made by hand passes it, so the server checks again.
void TGuideSignUpForm::SaveClick(TObject*) {
  const std::string name = Trim(NAME->Text());
  if (name.size() < 2) {
    ERROR->SetCaption("The name needs two characters or more.");
    return;
  }
  // Not a number: StrToInt raises EConvertError, which ends in an alert with its message.
  const int age = StrToInt(AGE->Text());
  if (age < 1 || age > 150) {
    ERROR->SetCaption("The age lies between 1 and 150.");
    return;
  }
  TGuideSession& session = TGuideSession::Of(WebApplication());
  session.VisitorName = name;
  session.VisitorAge = age;
  Release();  // back to the main form, whose OnShow shows the visitor
}

}  // namespace kx
