#include "examples/demo/Gallery.h"

#include "examples/demo/GalleryChoices.h"
#include "examples/demo/GalleryDBControls.h"
#include "examples/demo/GalleryDBGrid.h"
#include "examples/demo/GalleryEditorMedia.h"
#include "examples/demo/GalleryTabs.h"
#include "examples/demo/GalleryImagesTree.h"
#include "examples/demo/GalleryRecorder.h"
#include "examples/demo/GalleryServices.h"
#include "examples/demo/GalleryOrders.h"
#include "examples/demo/GalleryUploader.h"
#include "examples/demo/GalleryGrids.h"
#include "kx/controls/labels/Labels.h"

namespace kx {

std::span<const TGalleryPage> GalleryPages() {
  // One line per page: {"Caption", &OpenGalleryPage<TGallery...Form>},
  static const TGalleryPage pages[] = {
      {nullptr, nullptr},  // keeps the array non-empty; not shown
      {"Choice controls", &OpenGalleryPage<TGalleryChoicesForm>},
      {"Editor and media", &OpenGalleryPage<TGalleryEditorMediaForm>},
      {"Tabs, menus and links", &OpenGalleryPage<TGalleryTabsForm>},
      {"Images, tree and timers", &OpenGalleryPage<TGalleryImagesTreeForm>},
      {"Test recorder", &OpenGalleryPage<TGalleryRecorderForm>},
      {"Customers (data)", &OpenGalleryPage<TGalleryDBControlsForm>},
      {"File uploader", &OpenGalleryPage<TGalleryUploaderForm>},
      {"Grid and calendar", &OpenGalleryPage<TGalleryGridsForm>},
      {"Customers and orders (data grid)", &OpenGalleryPage<TGalleryDBGridForm>},
      {"Orders (look-ups)", &OpenGalleryPage<TGalleryOrdersForm>},
      {"Long jobs", &OpenGalleryPage<TGalleryServicesForm>},
  };
  return std::span<const TGalleryPage>(pages).subspan(1);
}

namespace {

constexpr int kHeaderHeight = 84;

}  // namespace

void PlaceHeader(TKXForm* form, const std::string& title, const std::string& hint) {
  form->StyleSheet().SetURL("css/demo.css");
  auto* heading = Place<TKXLabel>(form, form, "HEADING", 16, 14, 900, 30);
  heading->SetCaption(title);
  heading->SetCss("demo-heading");
  auto* line = Place<TKXLabel>(form, form, "HINT", 16, 48, 900, 21);
  line->SetCaption(hint);
  line->SetCss("demo-hint");
}

void MoveBelowHeader(TKXForm* form) {
  for (int i = 0; i < form->ControlCount(); ++i) {
    TControl* control = form->Controls(i);
    if (!control->Visible() || control->Name() == "HEADING" || control->Name() == "HINT") continue;
    control->SetTop(control->Top() + kHeaderHeight);
  }
}

void TGalleryForm::Loaded() {
  TKXAppForm::Loaded();
  MoveBelowHeader(this);
}

void TGalleryForm::BuildGalleryFrame(const std::string& title, const std::string& hint, int backLeft, int backTop) {
  SetTitle("KXDemo - " + title);
  PlaceHeader(this, title, hint);
  BUTTONBACK = Place<TKXButton>(this, this, "BUTTONBACK", backLeft, backTop, 96, 25);
  BUTTONBACK->SetCaption("Back");
  // Releasing the form takes it off the session's stack: the main form shows again.
  BUTTONBACK->OnClick = [this](TObject*) { Release(); };
}

}  // namespace kx
