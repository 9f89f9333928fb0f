// The demo application's forms. The main form holds a region with an edit, a
// memo and a label, and four buttons: BUTTON1 copies the edit's text into the
// label with a full submit, BUTTON2 does the same through a callback, BUTTON3
// shows a message box, BUTTON4 opens the second form, whose BUTTONBACK
// closes it again, and BUTTON5 opens a form laid out by an HTML template. Beside them, a list of links (buttons
// styled by the demo's sheet), one per page of the gallery (Gallery.h), opens that page. Builds on
// controls/AppForm.h and the controls.
#pragma once

#include <string>

#include "kx/controls/appform/AppForm.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/regions/Regions.h"

namespace kx {

class TMainForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TMainForm, TKXAppForm)

 public:
  TKXRegion* REGION1 = nullptr;
  TKXEdit* EDIT1 = nullptr;
  TKXMemo* MEMO1 = nullptr;
  TKXLabel* LABEL1 = nullptr;
  TKXButton* BUTTON1 = nullptr;
  TKXButton* BUTTON2 = nullptr;
  TKXButton* BUTTON3 = nullptr;
  TKXButton* BUTTON4 = nullptr;
  TKXButton* BUTTON5 = nullptr;

 protected:
  void BuildComponents() override;

 private:
  void Button1Click(TObject* sender);
  void Button2AsyncClick(TObject* sender, TStrings& params);
  void Button3Click(TObject* sender);
  void Button4Click(TObject* sender);
  void Button5Click(TObject* sender);
  // The buttons that open the gallery's pages (examples/demo/Gallery.h), a list from top down.
  void BuildGalleryButtons(int left, int top);
};

class TSecondForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TSecondForm, TKXAppForm)

 public:
  TKXLabel* LABEL1 = nullptr;
  TKXButton* BUTTONBACK = nullptr;

 protected:
  void BuildComponents() override;

 private:
  void ButtonBackClick(TObject* sender);
};

}  // namespace kx
