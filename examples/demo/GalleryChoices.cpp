#include "examples/demo/GalleryChoices.h"

namespace kx {

namespace {

constexpr int kControlLeft = 16;
constexpr int kEchoLeft = 420;

TKXLabel* EchoOf(TKXForm* form, const std::string& controlName) {
  return static_cast<TKXLabel*>(form->FindComponent("ECHO" + controlName));
}

}  // namespace

TKXLabel* TGalleryChoicesForm::AddEcho(const std::string& controlName, int top) {
  auto* label = Place<TKXLabel>(this, this, "ECHO" + controlName, kEchoLeft, top, 460, 21);
  label->SetCaption("-");
  return label;
}

void TGalleryChoicesForm::BuildComponents() {
  BuildGalleryFrame("Choice controls",
                    "Pick from each control: the line beside it shows what the server received. Submit sends them all.",
                    kControlLeft, 600);
  // Each callback posts only its sender's value: every control echoes itself from its own callback.
  const auto echoOnAsync = [](auto echo) { return [echo](TObject*, TStrings&) { echo(); }; };

  COMBO1 = Place<TKXComboBox>(this, this, "COMBO1", kControlLeft, 16, 200, 21);
  for (const char* item : {"Red", "Green", "Blue & \"Cyan\""}) COMBO1->Items().Add(item);
  COMBO1->OnAsyncChange = echoOnAsync([this] {
    EchoCombo(COMBO1);
    COMBO3->SetItemIndex(COMBO1->ItemIndex());
  });
  AddEcho("COMBO1", 16);

  COMBO2 = Place<TKXComboBox>(this, this, "COMBO2", kControlLeft, 56, 200, 21);
  COMBO2->SetStyle(TKXCustomComboBoxStyle::stEnhanced);
  COMBO2->SetItemsHaveValues(true);
  for (const char* item : {"Small=s", "Medium=m", "Large=l"}) COMBO2->Items().Add(item);
  COMBO2->SetRequireSelection(false);
  // The enhanced combo calls back on every click, the one opening its list (nothing picked yet) included.
  COMBO2->OnAsyncClick = echoOnAsync([this] { EchoCombo(COMBO2); });
  AddEcho("COMBO2", 56);

  LIST1 = Place<TKXListbox>(this, this, "LIST1", kControlLeft, 152, 200, 80);
  LIST1->SetMultiSelect(true);
  for (const char* item : {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday"}) LIST1->Items().Add(item);
  LIST1->OnAsyncChange = echoOnAsync([this] { EchoList(); });
  AddEcho("LIST1", 152);

  CHECK1 = Place<TKXCheckBox>(this, this, "CHECK1", kControlLeft, 244, 200, 21);
  CHECK1->SetCaption("Native check box");
  CHECK1->OnAsyncClick = echoOnAsync([this] { EchoCheck(CHECK1); });
  AddEcho("CHECK1", 244);
  CHECK2 = Place<TKXCheckBox>(this, this, "CHECK2", kControlLeft, 272, 200, 21);
  CHECK2->SetStyle(TKXCustomCheckBoxStyle::stCool);
  CHECK2->SetCaption("Image check box");
  CHECK2->OnAsyncClick = echoOnAsync([this] { EchoCheck(CHECK2); });
  AddEcho("CHECK2", 272);

  RADIO1 = Place<TKXRadioButton>(this, this, "RADIO1", kControlLeft, 304, 120, 21);
  RADIO1->SetCaption("Tea");
  RADIO1->SetGroup("drink");
  RADIO1->SetChecked(true);
  RADIO2 = Place<TKXRadioButton>(this, this, "RADIO2", kControlLeft + 120, 304, 120, 21);
  RADIO2->SetCaption("Coffee");
  RADIO2->SetGroup("drink");
  RADIO1->OnAsyncClick = RADIO2->OnAsyncClick = [this](TObject* sender, TStrings&) {
    // Only the clicked button's field came: it tells which button the group checks now.
    auto* clicked = static_cast<TKXRadioButton*>(sender);
    EchoOf(this, "RADIO")->SetCaption(clicked->Checked() ? clicked->Caption() : "none");
  };
  AddEcho("RADIO", 304);

  GROUP1 = Place<TKXRadioGroup>(this, this, "GROUP1", kControlLeft, 336, 260, 24);
  GROUP1->SetLayout(glHorizontal);
  for (const char* item : {"North", "South", "East", "West"}) GROUP1->Items().Add(item);
  GROUP1->OnAsyncClick = echoOnAsync([this] { EchoGroup(); });
  AddEcho("GROUP1", 336);

  TIME1 = Place<TKXTimeEdit>(this, this, "TIME1", kControlLeft, 372, 120, 21);
  TIME1->SetFriendlyName("Effort");
  TIME1->SetMinutes(90);
  TIME1->OnAsyncChange = echoOnAsync([this] { EchoTime(); });
  AddEcho("TIME1", 372);

  // The height gives the list its lines (five); the caption above it draws beyond: about 125 pixels in all, clear
  // of the combo box below.
  ORDER1 = Place<TKXOrderedListbox>(this, this, "ORDER1", kControlLeft, 408, 270, 80);
  ORDER1->SetButtonWidth(90);
  for (const char* item : {"First=1", "Second=2", "Third=3"}) ORDER1->Items().Add(item);
  ORDER1->OnAsyncClick = echoOnAsync([this] { EchoOrder(); });
  AddEcho("ORDER1", 408);

  // Not editable, it shows as a label what the first combo box picked; its callback update keeps it in place.
  COMBO3 = Place<TKXComboBox>(this, this, "COMBO3", kControlLeft, 560, 200, 21);
  for (const char* item : {"Red", "Green", "Blue & \"Cyan\""}) COMBO3->Items().Add(item);
  COMBO3->SetEditable(false);

  BUTTONSUBMIT = Place<TKXButton>(this, this, "BUTTONSUBMIT", kControlLeft + 120, 600, 96, 25);
  BUTTONSUBMIT->SetCaption("Submit");
  BUTTONSUBMIT->OnClick = [this](TObject*) { EchoAll(); };
}

void TGalleryChoicesForm::EchoAll() {
  EchoCombo(COMBO1);
  EchoCombo(COMBO2);
  EchoList();
  EchoCheck(CHECK1);
  EchoCheck(CHECK2);
  EchoRadio();
  EchoGroup();
  EchoTime();
  EchoOrder();
}

void TGalleryChoicesForm::EchoCombo(TKXComboBox* combo) {
  const int index = combo->ItemIndex();
  EchoOf(this, combo->Name())->SetCaption(index < 0 ? "none" : std::to_string(index) + " " + combo->GetSelectedText());
}

void TGalleryChoicesForm::EchoList() {
  std::string text;
  for (int i = 0; i < LIST1->Items().Count(); ++i) {
    if (LIST1->GetSelected(i)) text += (text.empty() ? "" : ", ") + LIST1->Items().Strings(i);
  }
  EchoOf(this, "LIST1")->SetCaption(text.empty() ? "none" : text);
}

void TGalleryChoicesForm::EchoCheck(TKXCheckBox* box) {
  EchoOf(this, box->Name())->SetCaption(box->Checked() ? "checked" : "not checked");
}

void TGalleryChoicesForm::EchoRadio() {
  EchoOf(this, "RADIO")->SetCaption(RADIO1->Checked() ? RADIO1->Caption() : RADIO2->Checked() ? RADIO2->Caption() : "none");
}

void TGalleryChoicesForm::EchoGroup() {
  const int index = GROUP1->ItemIndex();
  EchoOf(this, "GROUP1")->SetCaption(index >= 0 && index < GROUP1->Items().Count() ? GROUP1->Items().Strings(index) : "none");
}

void TGalleryChoicesForm::EchoTime() {
  EchoOf(this, "TIME1")->SetCaption(std::to_string(TIME1->Minutes()) + " minutes");
}

void TGalleryChoicesForm::EchoOrder() {
  std::string text;
  for (int i = 0; i < ORDER1->Items().Count(); ++i) text += (i ? ", " : "") + ORDER1->ItemCaption(i);
  EchoOf(this, "ORDER1")->SetCaption(text);
}

}  // namespace kx
