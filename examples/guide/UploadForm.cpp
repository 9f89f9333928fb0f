#include <filesystem>
#include <map>

#include "GuideForms.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// What a session keeps of its uploads, all its files together; LIMIT tells the visitor.
constexpr std::uintmax_t kSessionUploadBytes = 10 * 1024 * 1024;

// The files in folder by name, with their sizes; none before the first upload makes the folder.
std::map<std::string, std::uintmax_t> KeptFiles(const std::string& folder) {
  std::map<std::string, std::uintmax_t> files;
  std::error_code none;
  for (const auto& file : std::filesystem::directory_iterator(folder, none))
    files[file.path().filename().string()] = file.file_size();
  return files;
}

std::uintmax_t BytesOf(const std::map<std::string, std::uintmax_t>& files) {
  std::uintmax_t bytes = 0;
  for (const auto& [name, size] : files) bytes += size;
  return bytes;
}

}  // namespace

void TGuideUploadForm::BuildComponents() {
  SetTitle("kx guide - upload");
  // The uploader sends each file picked or dropped in a request of its own, in the background.
  UPLOADER = Place<TKXFileUploader>(this, "UPLOADER", 16, 16, 400, 160);
  UPLOADER->SetAllowedExtensions("txt;png;jpg;pdf");  // checked in the browser and again on the server
  UPLOADER->SetMaxFileSize(1024 * 1024);
  LIMIT = Place<TKXLabel>(this, "LIMIT", 16, 184, 400);
  LIMIT->SetCaption("Up to 1 MB a file (txt, png, jpg or pdf) and 10 MB in all, deleted when the session ends.");

  // Runs once per file, in the upload's request, before the file is saved into destPath: the session's cache
  // folder, deleted with the session (logged out, expired, at the program's stop, or at the next start after a
  // crash). A file that would take the session past its 10 MB is refused: the exception's message is what the
  // uploader shows on the file's line, and nothing is saved. The upload's answer carries no controls, so a caption
  // set here does not reach the page.
  UPLOADER->OnAsyncUploadCompleted = [this](TObject*, std::string& destPath, std::string& fileName, bool&, bool&) {
    std::map<std::string, std::uintmax_t> kept = KeptFiles(destPath);
    kept.erase(fileName);  // a file of the same name is replaced
    std::uintmax_t incoming = 0;  // the request's files (the uploader's script sends one at a time)
    for (int i = 0; i < UPLOADER->FileList().Count(); ++i) incoming += UPLOADER->FileList().Items(i)->FileSize();
    if (BytesOf(kept) + incoming > kSessionUploadBytes)
      throw Exception(fileName + " was not kept: the files of a session may take 10 MB in all.");
  };
  // The callback the browser makes once the file is saved: its answer updates the page.
  UPLOADER->OnAsyncUploadSuccess = [this](TObject*, TStrings&) { ShowKept(); };

  RECEIVED = Place<TKXLabel>(this, "RECEIVED", 16, 212, 400);
  BUTTONBACK = Place<TKXButton>(this, "BUTTONBACK", 16, 244, 96);
  BUTTONBACK->SetCaption("Back");
  BUTTONBACK->OnClick = [this](TObject*) { Release(); };
  OnShow = [this](TObject*) { ShowKept(); };
}

void TGuideUploadForm::ShowKept() {
  const std::map<std::string, std::uintmax_t> kept = KeptFiles(WebApplication()->UserCacheDir());
  std::string names;
  for (const auto& [name, size] : kept) names += (names.empty() ? "" : ", ") + name;
  RECEIVED->SetCaption(kept.empty() ? std::string("Nothing uploaded yet.")
                                    : "Kept: " + names + Format(" (%.1f of 10 MB)", BytesOf(kept) / 1048576.0));
}

}  // namespace kx
