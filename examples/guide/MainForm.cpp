#include "examples/guide/GuideForms.h"
#include "examples/guide/GuideSession.h"
#include "kx/platform/SysUtils.h"

namespace kx {

void TGuideMainForm::BuildComponents() {
  SetTitle("kx guide");
  VISITOR = Place<TKXLabel>(this, "VISITOR", 16, 16, 420);
  NAME = Place<TKXEdit>(this, "NAME", 16, 52, 200);
  BUTTONSUBMIT = Place<TKXButton>(this, "BUTTONSUBMIT", 224, 50, 96);
  BUTTONSUBMIT->SetCaption("Submit");
  BUTTONCALLBACK = Place<TKXButton>(this, "BUTTONCALLBACK", 328, 50, 96);
  BUTTONCALLBACK->SetCaption("Callback");
  GREETING = Place<TKXLabel>(this, "GREETING", 16, 88, 420);
  COUNT = Place<TKXLabel>(this, "COUNT", 16, 116, 420);

  // A submit: the browser posts the whole form, the server runs OnClick and sends the whole page back.
  BUTTONSUBMIT->OnClick = [this](TObject*) { Greet("submit"); };
  // A callback: the browser posts the controls the user changed, the server runs OnAsyncClick and answers
  // with the controls that changed on the server; the page stays as it is.
  BUTTONCALLBACK->OnAsyncClick = [this](TObject*, TStrings&) { Greet("callback"); };

  // Moving between forms: create the next one with the session as owner and show it.
  BUTTONSIGNUP = Place<TKXButton>(this, "BUTTONSIGNUP", 16, 160, 136);
  BUTTONSIGNUP->SetCaption("Sign up");
  BUTTONSIGNUP->OnClick = [this](TObject*) { TComponent::Create<TGuideSignUpForm>(WebApplication())->Show(); };
  BUTTONMESSAGES = Place<TKXButton>(this, "BUTTONMESSAGES", 160, 160, 136);
  BUTTONMESSAGES->SetCaption("Message boxes");
  BUTTONMESSAGES->OnClick = [this](TObject*) { TComponent::Create<TGuideMessagesForm>(WebApplication())->Show(); };
  BUTTONTEMPLATE = Place<TKXButton>(this, "BUTTONTEMPLATE", 304, 160, 136);
  BUTTONTEMPLATE->SetCaption("Template form");
  BUTTONTEMPLATE->OnClick = [this](TObject*) { TComponent::Create<TGuideTemplateForm>(WebApplication())->Show(); };
  BUTTONCHOICES = Place<TKXButton>(this, "BUTTONCHOICES", 16, 196, 136);
  BUTTONCHOICES->SetCaption("Choices");
  BUTTONCHOICES->OnClick = [this](TObject*) { TComponent::Create<TGuideChoicesForm>(WebApplication())->Show(); };
  BUTTONTASKS = Place<TKXButton>(this, "BUTTONTASKS", 160, 196, 136);
  BUTTONTASKS->SetCaption("Tasks (data)");
  BUTTONTASKS->OnClick = [this](TObject*) { TComponent::Create<TGuideTasksForm>(WebApplication())->Show(); };
  BUTTONUPLOAD = Place<TKXButton>(this, "BUTTONUPLOAD", 304, 196, 136);
  BUTTONUPLOAD->SetCaption("Upload");
  BUTTONUPLOAD->OnClick = [this](TObject*) { TComponent::Create<TGuideUploadForm>(WebApplication())->Show(); };

  // OnShow runs each time the form becomes the active one, also when a form above it is released.
  OnShow = [this](TObject*) { ShowVisitor(); };
}

// NAME->Text() is what the browser posted: in a submit every field, in a callback every field the user changed.
void TGuideMainForm::Greet(const std::string& how) {
  TGuideSession& session = TGuideSession::Of(WebApplication());
  ++session.Greetings;
  GREETING->SetCaption("Hello, " + NAME->Text() + " (" + how + ")");
  COUNT->SetCaption(IntToStr(session.Greetings) + " greeting(s) in this session");
}

void TGuideMainForm::ShowVisitor() {
  const TGuideSession& session = TGuideSession::Of(WebApplication());
  VISITOR->SetCaption(session.VisitorName.empty()
                          ? "Nobody signed up in this session yet."
                          : "Signed up: " + session.VisitorName + ", " + IntToStr(session.VisitorAge));
}

}  // namespace kx
