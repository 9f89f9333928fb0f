#include "examples/demo/GalleryUploader.h"

namespace kx {

void TGalleryUploaderForm::BuildComponents() {
  BuildGalleryFrame("File uploader",
                    "Pick or drop files: refused ones say why, received ones are listed below.", 16, 420);

  LABELHINT = Place<TKXLabel>(this, this, "LABELHINT", 16, 40, 600, 21);
  LABELHINT->SetCaption("Pick or drop text, image or PDF files of up to 100 kB.");

  UPLOADER1 = Place<TKXFileUploader>(this, this, "UPLOADER1", 16, 70, 400, 200);
  UPLOADER1->SetMultiple(true);
  UPLOADER1->SetMaxFileSize(100 * 1024);
  UPLOADER1->SetAllowedExtensions("txt;png;jpg;gif;pdf");
  UPLOADER1->Style().ButtonOptions().SetWidth(200);
  // Saved into the session's cache folder (the destination it offers) under the safe name it offers.
  UPLOADER1->OnAsyncUploadCompleted = [this](TObject*, std::string&, std::string& fileName, bool&, bool&) {
    const THttpFileList& files = UPLOADER1->FileList();
    for (int i = 0; i < files.Count(); ++i)
      if (UploadTargetName(files.Items(i)->FileName()) == fileName)
        FReceived.push_back(fileName + " (" + std::to_string(files.Items(i)->FileSize()) + " bytes)");
  };
  // Each finished upload asks for the list again.
  UPLOADER1->OnAsyncUploadSuccess = [this](TObject*, TStrings&) { ShowReceived(); };

  LABELFILES = Place<TKXLabel>(this, this, "LABELFILES", 16, 290, 600, 120);
  ShowReceived();
}

void TGalleryUploaderForm::ShowReceived() {
  std::string text = FReceived.empty() ? "Nothing received yet." : "Received:";
  for (const std::string& line : FReceived) text += " " + line + ";";
  LABELFILES->SetCaption(text);
}

}  // namespace kx
