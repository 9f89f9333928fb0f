// The demo's gallery: one page per control family, each opened from a button of the main form ("GALLERY1",
// "GALLERY2", ... in the order of GalleryPages()) and closed again by its own "Back" button. A family's page is a
// form of its own in examples/demo/Gallery<Family>.{h,cpp}, added to the list in Gallery.cpp with one line.
#pragma once

#include <span>
#include <string>

#include "kx/controls/appform/AppForm.h"
#include "kx/controls/buttons/Buttons.h"

namespace kx {

struct TGalleryPage {
  // The caption of its button on the main form.
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
  // Titles the page "KXDemo - <title>" and places its Back button.
  void BuildGalleryFrame(const std::string& title, int backLeft, int backTop);
};

}  // namespace kx
