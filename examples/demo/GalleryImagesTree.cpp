#include "examples/demo/GalleryImagesTree.h"

#include <cstdint>
#include <string>

namespace kx {

namespace {

// A picture of our own: a colour gradient with a grid, so that a click position can be told by eye.
void DrawChart(TBitmap& bitmap, int width, int height) {
  bitmap.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool grid = x % 20 == 0 || y % 20 == 0;
      const auto r = std::uint8_t(grid ? 255 : 40 + x * 200 / width);
      const auto g = std::uint8_t(grid ? 255 : 60 + y * 180 / height);
      bitmap.SetPixel(x, y, {r, g, std::uint8_t(grid ? 255 : 160), 255});
    }
  }
}

}  // namespace

void TGalleryImagesTreeForm::BuildComponents() {
  BuildGalleryFrame("Images, tree and timers",
                    "Click the picture or the image button, open the tree, start the timer, open the modal window.",
                    16, 16);
  BuildImage();
  BuildImageFiles();
  BuildTree();
  BuildProgress();
  BuildModalWindow();
}

void TGalleryImagesTreeForm::BuildImage() {
  IMAGE1 = Place<TKXImage>(this, this, "IMAGE1", 16, 56, 200, 120);
  TBitmap chart;
  DrawChart(chart, 200, 120);
  IMAGE1->Picture().SetGraphic(&chart);
  IMAGE1->SetAltText("A chart: click it");
  LABELCLICK = Place<TKXLabel>(this, this, "LABELCLICK", 16, 184, 200, 21);
  LABELCLICK->SetCaption("Click the picture.");
  IMAGE1->SetOnMouseDown([this](TObject*, std::int32_t x, std::int32_t y) {
    LABELCLICK->SetCaption("Clicked at " + std::to_string(x) + "," + std::to_string(y));
  });
}

// Pictures of the site's content folder: served as they are, nothing drawn by the server.
void TGalleryImagesTreeForm::BuildImageFiles() {
  IMAGEFILE1 = Place<TKXImageFile>(this, this, "IMAGEFILE1", 490, 56, 48, 48);
  TKXFileReference logo;
  logo.SetURL("logo.png");
  IMAGEFILE1->SetImageFile(logo);
  IMAGEFILE1->SetAltText("The demo's logo");

  IMAGEBUTTON1 = Place<TKXImageButton>(this, this, "IMAGEBUTTON1", 560, 56, 48, 48);
  TKXFileReference play, playHot;
  play.SetURL("images/play.png");
  playHot.SetURL("images/play-hot.png");
  IMAGEBUTTON1->SetImageFile(play);
  IMAGEBUTTON1->SetHotImageFile(playHot);
  IMAGEBUTTON1->SetAltText("Play");
  IMAGEBUTTON1->SetOnClick([this](TObject*) {
    ++FImageButtonClicks;
    LABELIMAGEBUTTON->SetCaption("The image button submitted the page " + std::to_string(FImageButtonClicks) +
                                 (FImageButtonClicks == 1 ? " time." : " times."));
  });
  LABELIMAGEBUTTON = Place<TKXLabel>(this, this, "LABELIMAGEBUTTON", 490, 112, 300, 21);
  LABELIMAGEBUTTON->SetCaption("The logo is an image file; the blue button is an image button.");
}

void TGalleryImagesTreeForm::BuildTree() {
  TREE1 = Place<TKXTreeView>(this, this, "TREE1", 240, 56, 220, 180);
  TKXTreeViewItems& items = TREE1->Items();
  auto add = [&items](TKXTreeViewItem* parent, const char* name, const char* caption) {
    TKXTreeViewItem* item = items.Add(parent);
    item->SetName(name);
    item->SetCaption(caption);
    return item;
  };
  TKXTreeViewItem* documents = add(nullptr, "documents", "Documents");
  TKXTreeViewItem* letters = add(documents, "letters", "Letters");
  add(letters, "letter1", "To the bank.txt");
  add(letters, "letter2", "To Tom & Jerry <2>.txt");
  add(documents, "notes", "Notes.txt");
  TKXTreeViewItem* pictures = add(nullptr, "pictures", "Pictures");
  add(pictures, "holiday", "Holiday.png");
  add(nullptr, "readme", "Read me.txt")->SetHint("The file's a plain text");
  letters->SetExpanded(false);
  pictures->SetExpanded(false);
  LABELTREE = Place<TKXLabel>(this, this, "LABELTREE", 240, 244, 220, 21);
  LABELTREE->SetCaption("Click a document.");
  TREE1->TreeItemClick = [this](TObject*, TKXTreeViewItem* item) { LABELTREE->SetCaption("Opened " + item->Caption()); };
}

void TGalleryImagesTreeForm::BuildProgress() {
  PROGRESS1 = Place<TKXProgressBar>(this, this, "PROGRESS1", 16, 216, 200, 17);
  PROGRESS1->SetShowText(true);
  PROGRESS1->WebFont().SetColor(clWhite);
  TIMER1 = TComponent::Create<TKXTimer>(this);
  TIMER1->SetName("TIMER1");
  TIMER1->SetInterval(400);
  TIMER1->SetEnabled(false);
  TIMER1->OnAsyncTimer = [this](TObject*, TStrings&) {
    PROGRESS1->SetPercent(PROGRESS1->Percent() + 20);
    if (PROGRESS1->Percent() >= 100) TIMER1->SetEnabled(false);
  };
  BUTTONSTART = Place<TKXButton>(this, this, "BUTTONSTART", 16, 244, 200, 25);
  BUTTONSTART->SetCaption("Start the timer");
  BUTTONSTART->OnAsyncClick = [this](TObject*, TStrings&) {
    PROGRESS1->SetPercent(0);
    TIMER1->SetEnabled(true);
  };
}

void TGalleryImagesTreeForm::BuildModalWindow() {
  LABELMODAL = Place<TKXLabel>(this, this, "LABELMODAL", 16, 290, 200, 21);
  LABELMODAL->SetCaption("Shown in the window.");
  LABELMODAL->SetVisible(false);
  MODAL1 = TComponent::Create<TKXModalWindow>(this);
  MODAL1->SetName("MODAL1");
  MODAL1->SetTitle("A modal window");
  MODAL1->SetSizeUnit(suPixel);
  MODAL1->SetWindowWidth(300);
  MODAL1->SetContentElement(LABELMODAL);
  MODAL1->Buttons().Add("OK");
  MODAL1->Buttons().Add("Cancel");
  MODAL1->OnAsyncClick = [this](TObject*, TStrings&) {
    LABELWINDOW->SetCaption(MODAL1->ButtonIndex() == 0 ? "Closed with OK" : "Closed with Cancel");
  };
  MODAL1->OnAsyncClose = [this](TObject*, TStrings&) { LABELWINDOW->SetCaption("Closed with its close box"); };
  BUTTONMODAL = Place<TKXButton>(this, this, "BUTTONMODAL", 240, 284, 220, 25);
  BUTTONMODAL->SetCaption("Open a modal window");
  BUTTONMODAL->OnAsyncClick = [this](TObject*, TStrings&) { MODAL1->Show(); };
  LABELWINDOW = Place<TKXLabel>(this, this, "LABELWINDOW", 240, 316, 220, 21);
  LABELWINDOW->SetCaption("The window is closed.");
}

}  // namespace kx
