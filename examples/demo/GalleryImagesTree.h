// The gallery page of the image controls, the tree view and the page services: a drawn image that reports where
// it was clicked, an image file of the site and an image button that lights up under the mouse, a tree of folders
// and documents, a progress bar that a timer moves by callbacks, and a modal window.
#pragma once

#include "examples/demo/Gallery.h"
#include "kx/controls/images/Images.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/pageservices/PageServices.h"
#include "kx/controls/progress/Progress.h"
#include "kx/controls/tree/TreeView.h"

namespace kx {

class TGalleryImagesTreeForm : public TGalleryForm {
  KX_COMPONENT_CLASS(TGalleryImagesTreeForm, TGalleryForm)

 public:
  TKXImage* IMAGE1 = nullptr;
  TKXLabel* LABELCLICK = nullptr;
  TKXImageFile* IMAGEFILE1 = nullptr;
  TKXImageButton* IMAGEBUTTON1 = nullptr;
  TKXLabel* LABELIMAGEBUTTON = nullptr;
  TKXTreeView* TREE1 = nullptr;
  TKXLabel* LABELTREE = nullptr;
  TKXProgressBar* PROGRESS1 = nullptr;
  TKXTimer* TIMER1 = nullptr;
  TKXButton* BUTTONSTART = nullptr;
  TKXModalWindow* MODAL1 = nullptr;
  TKXLabel* LABELMODAL = nullptr;
  TKXButton* BUTTONMODAL = nullptr;
  TKXLabel* LABELWINDOW = nullptr;

 protected:
  void BuildComponents() override;

 private:
  void BuildImage();
  void BuildImageFiles();
  void BuildTree();
  void BuildProgress();
  void BuildModalWindow();

  int FImageButtonClicks = 0;
};

}  // namespace kx
