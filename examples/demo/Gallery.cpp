#include "examples/demo/Gallery.h"

#include "examples/demo/GalleryChoices.h"
#include "examples/demo/GalleryDBControls.h"
#include "examples/demo/GalleryDBGrid.h"
#include "examples/demo/GalleryEditorMedia.h"
#include "examples/demo/GalleryTabs.h"
#include "examples/demo/GalleryImagesTree.h"
#include "examples/demo/GalleryRecorder.h"
#include "examples/demo/GalleryUploader.h"
#include "examples/demo/GalleryGrids.h"

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
  };
  return std::span<const TGalleryPage>(pages).subspan(1);
}

void TGalleryForm::BuildGalleryFrame(const std::string& title, int backLeft, int backTop) {
  SetTitle("KXDemo - " + title);
  BUTTONBACK = Place<TKXButton>(this, this, "BUTTONBACK", backLeft, backTop, 96, 25);
  BUTTONBACK->SetCaption("Back");
  // Releasing the form takes it off the session's stack: the main form shows again.
  BUTTONBACK->OnClick = [this](TObject*) { Release(); };
}

}  // namespace kx
