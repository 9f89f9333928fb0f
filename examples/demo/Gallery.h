// The demo's gallery: one page per control family, each opened from an item of the main form's list ("GALLERY1",
// "GALLERY2", ... in the order of GalleryPages()) and closed again by its own "Back" button. A family's page is a
// form of its own in examples/demo/Gallery<Family>.{h,cpp}, added to the list in Gallery.cpp with one line.
//
// Every form of the demo links the demo's style sheet (wwwroot/css/demo.css) and starts with a header: its name
// and one line on what to try. A form places its own controls from (0, 0); once they are built, MoveBelowHeader
// moves them down by the header's height.
#pragma once

#include <span>
#include <string>

#include "kx/controls/appform/AppForm.h"
#include "kx/controls/buttons/Buttons.h"

namespace kx {

struct TGalleryPage {
  // The caption of its item on the main form; the page's title.
  const char* Caption;
  // Creates the page's form in the session's application and shows it.
  void (*Open)(TKXApplication* application);
};

// Every page, in the order of the main form's buttons.
std::span<const TGalleryPage> GalleryPages();

// Creates a control of form, names it and places it on parent.
template <class T>
T* Place(TKXForm* form, TWinControl* parent, const std::string& name, int left, int top, int width, int height) {
  T* control = TComponent::Create<T>(form);
  control->SetName(name);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  return control;
}

// Links the demo's style sheet and places the header: HEADING (the title) and HINT (what to try).
void PlaceHeader(TKXForm* form, const std::string& title, const std::string& hint);
// Moves the form's own visible controls but the header down by the header's height. A control a grid's cell holds
// is hidden and keeps its place.
void MoveBelowHeader(TKXForm* form);

// Opens a page: Open = &OpenGalleryPage<TGalleryTreeForm>.
template <class TPageForm>
void OpenGalleryPage(TKXApplication* application) {
  TComponent::Create<TPageForm>(application)->Show();
}

// The base of a gallery page: a title, and a "Back" button (BUTTONBACK) at the given place that closes the page.
class TGalleryForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TGalleryForm, TKXAppForm)

 public:
  TKXButton* BUTTONBACK = nullptr;

 protected:
  // Once the page's controls are built: MoveBelowHeader.
  void Loaded() override;
  // Titles the page "KXDemo - <title>", places its header (PlaceHeader) and its Back button.
  void BuildGalleryFrame(const std::string& title, const std::string& hint, int backLeft, int backTop);
};

}  // namespace kx
