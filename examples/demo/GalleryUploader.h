// The gallery's file uploader page: several files at a time, picked or dropped, sent with progress into the
// session's cache folder; the page lists what arrived with its size. Files over 100 kB or of other types than text,
// images and PDF are refused (in the browser, and again by the server).
#pragma once

#include <string>
#include <vector>

#include "examples/demo/Gallery.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/uploader/FileUploader.h"

namespace kx {

class TGalleryUploaderForm : public TGalleryForm {
  KX_COMPONENT_CLASS(TGalleryUploaderForm, TGalleryForm)

 public:
  TKXLabel* LABELHINT = nullptr;
  TKXFileUploader* UPLOADER1 = nullptr;
  TKXLabel* LABELFILES = nullptr;

 protected:
  void BuildComponents() override;

 private:
  void ShowReceived();
  // "name (N bytes)" of every file saved so far, in order.
  std::vector<std::string> FReceived;
};

}  // namespace kx
