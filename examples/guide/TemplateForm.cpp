#include "GuideForms.h"
#include "GuideSession.h"

namespace kx {

// The template processor becomes the form's layout manager. Its file is the class name without its "T",
// GuideTemplateForm.html, in the controller's TemplateDir (Templates/ beside the program); the controls stand
// where the page names them ({%NOTE%}), and the positions given here no longer count.
void TGuideTemplateForm::BuildComponents() {
  SetTitle("kx guide - template form");
  TEMPLATE = TComponent::Create<TKXTemplateProcessorHTML>(this);
  SetLayoutMgr(TEMPLATE);
  VISITOR = Place<TKXLabel>(this, "VISITOR", 0, 0, 320);
  NOTE = Place<TKXEdit>(this, "NOTE", 0, 0, 200);
  BUTTONADD = Place<TKXButton>(this, "BUTTONADD", 0, 0, 75);
  BUTTONADD->SetCaption("Add");
  NOTES = Place<TKXLabel>(this, "NOTES", 0, 0, 320, 120);
  BUTTONBACK = Place<TKXButton>(this, "BUTTONBACK", 0, 0, 75);
  BUTTONBACK->SetCaption("Back");
  BUTTONBACK->OnClick = [this](TObject*) { Release(); };

  // A callback works in a template form as in any other: the typed note goes up, the emptied NOTE and NOTES come back.
  BUTTONADD->OnAsyncClick = [this](TObject*, TStrings&) {
    TGuideSession& session = TGuideSession::Of(WebApplication());
    session.Notes += NOTE->Text() + "\n";
    NOTES->SetCaption(session.Notes);
    NOTE->Clear();
  };
  OnShow = [this](TObject*) {
    const TGuideSession& session = TGuideSession::Of(WebApplication());
    VISITOR->SetCaption(session.VisitorName.empty() ? "Notes of an unnamed visitor"
                                                    : "Notes of " + session.VisitorName);
    NOTES->SetCaption(session.Notes);
  };
}

}  // namespace kx
