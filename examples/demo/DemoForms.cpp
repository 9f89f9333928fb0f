#include "examples/demo/DemoForms.h"

#include "examples/demo/Gallery.h"
#include "examples/demo/TemplateForm.h"

namespace kx {

// ---------------------------------------------------------------------------
// The main form

void TMainForm::BuildComponents() {
  SetTitle("KXDemo");
  PlaceHeader(this, "KXDemo",
              "Edit the text and press Submit or Callback on the left; open a page of the gallery on the right.");

  REGION1 = Place<TKXRegion>(this, this, "REGION1", 16, 16, 420, 236);
  REGION1->BorderOptions().SetStyle(cbsSolid);
  REGION1->BorderOptions().SetColor(clSilver);

  EDIT1 = Place<TKXEdit>(this, REGION1, "EDIT1", 12, 12, 240, 21);
  EDIT1->SetText("Hello, world");
  MEMO1 = Place<TKXMemo>(this, REGION1, "MEMO1", 12, 44, 392, 120);
  MEMO1->Lines().SetText("A memo keeps its lines across submits.\nType here, then press a button.");
  LABEL1 = Place<TKXLabel>(this, REGION1, "LABEL1", 12, 180, 392, 21);
  LABEL1->SetCaption("The edit's text shows here.");

  BUTTON1 = Place<TKXButton>(this, this, "BUTTON1", 16, 268, 96, 25);
  BUTTON1->SetCaption("Submit");
  BUTTON1->OnClick = [this](TObject* sender) { Button1Click(sender); };
  BUTTON2 = Place<TKXButton>(this, this, "BUTTON2", 124, 268, 96, 25);
  BUTTON2->SetCaption("Callback");
  BUTTON2->OnAsyncClick = [this](TObject* sender, TStrings& params) { Button2AsyncClick(sender, params); };
  BUTTON3 = Place<TKXButton>(this, this, "BUTTON3", 232, 268, 96, 25);
  BUTTON3->SetCaption("Message");
  BUTTON3->OnClick = [this](TObject* sender) { Button3Click(sender); };
  BUTTON4 = Place<TKXButton>(this, this, "BUTTON4", 340, 268, 96, 25);
  BUTTON4->SetCaption("Second form");
  BUTTON4->OnClick = [this](TObject* sender) { Button4Click(sender); };
  BUTTON5 = Place<TKXButton>(this, this, "BUTTON5", 16, 304, 420, 25);
  BUTTON5->SetCaption("A form from an HTML template");
  BUTTON5->OnClick = [this](TObject* sender) { Button5Click(sender); };
  BuildGalleryButtons(476, 16);
  MoveBelowHeader(this);
}

// A list of links beside the others under the title "Gallery", one per page of the gallery.
void TMainForm::BuildGalleryButtons(int left, int top) {
  auto* title = Place<TKXLabel>(this, this, "LABELGALLERY", left, top, 300, 21);
  title->SetCaption("Gallery");
  title->SetCss("demo-section");
  int number = 0;
  for (const TGalleryPage& page : GalleryPages()) {
    auto* button = Place<TKXButton>(this, this, "GALLERY" + std::to_string(number + 1), left,
                                    top + 28 + number * 30, 300, 26);
    button->SetCss("demo-menu-item");
    button->SetCaption(page.Caption);
    button->OnClick = [this, open = page.Open](TObject*) { open(WebApplication()); };
    ++number;
  }
}

void TMainForm::Button1Click(TObject*) { LABEL1->SetCaption(EDIT1->Text()); }

void TMainForm::Button2AsyncClick(TObject*, TStrings&) { LABEL1->SetCaption(EDIT1->Text()); }

void TMainForm::Button3Click(TObject*) { WebApplication()->ShowMessage("Hello from the server: " + EDIT1->Text()); }

void TMainForm::Button4Click(TObject*) { TComponent::Create<TSecondForm>(WebApplication())->Show(); }

void TMainForm::Button5Click(TObject*) { TComponent::Create<TTemplateForm>(WebApplication())->Show(); }

// ---------------------------------------------------------------------------
// The second form

void TSecondForm::BuildComponents() {
  SetTitle("KXDemo - second form");
  PlaceHeader(this, "Second form", "Back closes this form and shows the main form as it was.");
  LABEL1 = Place<TKXLabel>(this, this, "LABEL1", 16, 16, 320, 21);
  LABEL1->SetCaption("This is the second form.");
  BUTTONBACK = Place<TKXButton>(this, this, "BUTTONBACK", 16, 52, 96, 25);
  BUTTONBACK->SetCaption("Back");
  BUTTONBACK->OnClick = [this](TObject* sender) { ButtonBackClick(sender); };
  MoveBelowHeader(this);
}

// Releasing the form takes it off the session's stack: the main form below it shows again.
void TSecondForm::ButtonBackClick(TObject*) { Release(); }

}  // namespace kx
