#include "GuideForms.h"

namespace kx {

void TGuideChoicesForm::BuildComponents() {
  SetTitle("kx guide - choices");
  // A combo box: one item of a list. Items are texts; ItemIndex is the chosen one, -1 for none.
  COLOR = Place<TKXComboBox>(this, "COLOR", 16, 16, 160);
  COLOR->Items().SetText("Red\nGreen\nBlue\n");
  COLOR->SetItemIndex(1);
  // A change of the selection can answer at once, in a callback, like a button's OnAsyncClick.
  COLOR->OnAsyncChange = [this](TObject*, TStrings&) { ShowChoices(); };

  // A list box: with MultiSelect several items at once; GetSelected(i) reads each.
  DAYS = Place<TKXListbox>(this, "DAYS", 16, 52, 160, 90);
  DAYS->SetMultiSelect(true);
  DAYS->Items().SetText("Monday\nTuesday\nWednesday\nThursday\nFriday\n");

  // A check box: Checked.
  NEWSLETTER = Place<TKXCheckBox>(this, "NEWSLETTER", 16, 152, 200);
  NEWSLETTER->SetCaption("Send me the newsletter");

  // Radio buttons: the buttons of one Group exclude each other; each has its own Checked.
  TEA = Place<TKXRadioButton>(this, "TEA", 16, 184, 90);
  TEA->SetCaption("Tea");
  TEA->SetGroup("drink");
  TEA->SetChecked(true);
  COFFEE = Place<TKXRadioButton>(this, "COFFEE", 110, 184, 90);
  COFFEE->SetCaption("Coffee");
  COFFEE->SetGroup("drink");

  // A radio group: one control, its items the buttons; ItemIndex is the checked one, -1 for none.
  SIZE = Place<TKXRadioGroup>(this, "SIZE", 16, 216, 260, 24);
  SIZE->SetLayout(glHorizontal);
  SIZE->Items().SetText("Small\nMedium\nLarge\n");

  BUTTONSHOW = Place<TKXButton>(this, "BUTTONSHOW", 16, 252, 96);
  BUTTONSHOW->SetCaption("Show");
  BUTTONSHOW->OnClick = [this](TObject*) { ShowChoices(); };
  CHOSEN = Place<TKXLabel>(this, "CHOSEN", 16, 288, 500);
  BUTTONBACK = Place<TKXButton>(this, "BUTTONBACK", 120, 252, 96);
  BUTTONBACK->SetCaption("Back");
  BUTTONBACK->OnClick = [this](TObject*) { Release(); };
}

// Every control holds what the browser posted before a handler runs, in a submit and in a callback alike.
void TGuideChoicesForm::ShowChoices() {
  std::string days;
  for (int i = 0; i < DAYS->Items().Count(); ++i)
    if (DAYS->GetSelected(i)) days += (days.empty() ? "" : ", ") + DAYS->Items().Strings(i);
  CHOSEN->SetCaption("Colour: " + COLOR->GetSelectedText() + "; days: " + (days.empty() ? "none" : days) +
                     "; newsletter: " + (NEWSLETTER->Checked() ? "yes" : "no") +
                     "; drink: " + (COFFEE->Checked() ? "coffee" : TEA->Checked() ? "tea" : "none") +
                     "; size: " + (SIZE->ItemIndex() >= 0 ? SIZE->Items().Strings(SIZE->ItemIndex()) : "none"));
}

}  // namespace kx
