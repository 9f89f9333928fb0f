#include "GuideForms.h"
#include "GuideSession.h"
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

  BUTTONSIGNUP = AddOpener<TGuideSignUpForm>("BUTTONSIGNUP", "Sign up", 16, 160);
  BUTTONMESSAGES = AddOpener<TGuideMessagesForm>("BUTTONMESSAGES", "Message boxes", 160, 160);
  BUTTONTEMPLATE = AddOpener<TGuideTemplateForm>("BUTTONTEMPLATE", "Template form", 304, 160);
  BUTTONCHOICES = AddOpener<TGuideChoicesForm>("BUTTONCHOICES", "Choices", 16, 196);
  BUTTONTASKS = AddOpener<TGuideTasksForm>("BUTTONTASKS", "Tasks (data)", 160, 196);
  BUTTONUPLOAD = AddOpener<TGuideUploadForm>("BUTTONUPLOAD", "Upload", 304, 196);
  BUTTONDESK = AddOpener<TGuideDeskForm>("BUTTONDESK", "Help desk", 16, 232);
  BUTTONLOGOUT = Place<TKXButton>(this, "BUTTONLOGOUT", 160, 232, 136);
  BUTTONLOGOUT->SetCaption("Log out");

  // Log out: the session ends and the browser goes to a page of the content folder (wwwroot/bye.html), which is
  // served without a session, so the visitor is left with none (GuideController.cpp makes ".html" static).
  BUTTONLOGOUT->OnClick = [this](TObject*) { WebApplication()->TerminateAndRedirect("/bye.html"); };

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
