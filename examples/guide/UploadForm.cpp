#include "GuideForms.h"
#include "kx/foundation/AppInfo.h"

namespace kx {

void TGuideUploadForm::BuildComponents() {
  SetTitle("kx guide - upload");
  // The uploader sends each file picked or dropped in a request of its own, in the background.
  UPLOADER = Place<TKXFileUploader>(this, "UPLOADER", 16, 16, 400, 160);
  UPLOADER->SetAllowedExtensions("txt;png;jpg;pdf");  // checked in the browser and again on the server
  UPLOADER->SetMaxFileSize(1024 * 1024);

  // Runs once per file, in the upload's request, before the file is saved. destPath starts as the session's cache
  // folder, which is deleted with the session: a file meant to last goes to a folder of the application's own.
  // The upload's answer carries no controls, so a caption set here does not reach the page.
  UPLOADER->OnAsyncUploadCompleted = [this](TObject*, std::string& destPath, std::string& fileName, bool&, bool&) {
    destPath = gsAppPath() + "uploads/" + WebApplication()->AppID();
    mReceived.push_back(fileName);
  };
  // The callback the browser makes once the file is saved: its answer updates the page.
  UPLOADER->OnAsyncUploadSuccess = [this](TObject*, TStrings&) {
    std::string names;
    for (const std::string& name : mReceived) names += (names.empty() ? "" : ", ") + name;
    RECEIVED->SetCaption("Kept: " + names);
  };

  RECEIVED = Place<TKXLabel>(this, "RECEIVED", 16, 188, 400);
  RECEIVED->SetCaption("Nothing uploaded yet.");
  BUTTONBACK = Place<TKXButton>(this, "BUTTONBACK", 16, 220, 96);
  BUTTONBACK->SetCaption("Back");
  BUTTONBACK->OnClick = [this](TObject*) { Release(); };
}

}  // namespace kx
