#include "GuideForms.h"

namespace kx {

void TGuideMessagesForm::BuildComponents() {
  SetTitle("kx guide - message boxes");
  struct TMode {
    const char* Name;
    const char* Caption;
    TKXShowMessageType Kind;
  };
  static constexpr TMode kModes[] = {
      {"BUTTONALERT", "Alert", smAlert},             // the browser's alert() over this page
      {"BUTTONSAME", "Same window", smSameWindow},   // a message page with "Ok", then back here
      {"BUTTONFRAME", "Framed", smSameWindowFrame},  // the same, the text in a frame
      {"BUTTONWINDOW", "New window", smNewWindow},   // a small window of its own (a pop-up blocker may stop it)
  };
  int top = 16;
  for (const TMode& mode : kModes) {
    auto* button = Place<TKXButton>(this, mode.Name, 16, top, 160);
    button->SetCaption(mode.Caption);
    button->OnClick = [this, mode](TObject*) {
      WebApplication()->ShowMessage(std::string("A message shown as \"") + mode.Caption + "\".", mode.Kind);
    };
    top += 36;
  }
  auto* back = Place<TKXButton>(this, "BUTTONBACK", 16, top + 8, 160);
  back->SetCaption("Back");
  back->OnClick = [this](TObject*) { Release(); };
}

}  // namespace kx
