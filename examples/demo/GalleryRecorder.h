// The gallery's page of the test recorder: recording switched on, a user's typing and clicks, and the test source
// the recording becomes, shown in a memo.
#pragma once

#include "examples/demo/Gallery.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/labels/Labels.h"

namespace kx {

class TGalleryRecorderForm : public TGalleryForm {
  KX_COMPONENT_CLASS(TGalleryRecorderForm, TGalleryForm)

 public:
  TKXButton* BUTTONRECORD = nullptr;  // starts a new recording
  TKXButton* BUTTONSTOP = nullptr;    // ends it and shows the test source in MEMOSOURCE
  TKXLabel* LABELSTATE = nullptr;
  TKXEdit* EDITNAME = nullptr;
  TKXButton* BUTTONGREET = nullptr;   // greets with EDITNAME's text in LABELGREETING
  TKXLabel* LABELGREETING = nullptr;
  TKXMemo* MEMOSOURCE = nullptr;      // read-only, so it is never recorded itself

 protected:
  void BuildComponents() override;
};

}  // namespace kx
