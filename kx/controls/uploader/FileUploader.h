// The file uploader: a control the user picks or drops files on; the client script (KXFileUploader.js) posts them
// one by one, in the background and with progress, to the session's "$/upload/" path. The host spools each body to
// a temporary file, form execution hands the request's files to the control (IKXUploadControl), and the control
// checks them again on the server, then saves them where its OnAsyncUploadCompleted handler says (or all of them
// with AutoSave). Its looks are class rules written from its style options.
//
// A client file name is never used as a path: it is reduced to its last component without control characters, and
// whatever name a handler gives must stay inside the destination folder.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/controls/css3/Css3.h"
#include "kx/data/DataSets.h"
#include "kx/forms/ControlInterfaces.h"
#include "kx/forms/CustomControl.h"
#include "kx/foundation/HttpRequest.h"
#include "kx/platform/StringLists.h"

namespace kx {

class TStream;

// Called once per received file before it is saved. destPath and fileName start as the destination folder and the
// file's safe name (a folder named with or without a trailing "/" alike); saveFile starts true, and clearing it
// skips the file (nothing saved, the upload still succeeds); overwrite starts as OverwriteExisting, and false keeps
// a file of that name that is there already (the upload is refused). It runs in the upload's own request, whose
// answer is the script's JSON, not a callback answer: a control changed here (a caption) does not reach the page
// until a later answer; change the page in OnAsyncUploadSuccess instead.
using TUploadCompleteEvent = std::function<void(TObject* sender, std::string& destPath, std::string& fileName,
                                                bool& saveFile, bool& overwrite)>;

// A gradient whose two colours follow one background colour.
class TKXStyleOptions : public TKXCssGradient {
 public:
  using TKXCssGradient::TKXCssGradient;

  TKXColor BGColor() const { return FromColor(); }
  // Both gradient colours; a change invalidates the control.
  void SetBGColor(TKXColor value) { SetColors(value, value); }
};

// A style option for a box: the gradient, then its height (also the line height), width and corner radius.
class TKXStyleAreaOptions : public TKXStyleOptions {
 public:
  using TKXStyleOptions::TKXStyleOptions;

  // In pixels, 0 by default; a change invalidates the control.
  std::int32_t Height() const { return FHeight; }
  void SetHeight(std::int32_t value) { Change(FHeight, value); }
  // Below 1: the full width.
  std::int32_t Width() const { return FWidth; }
  void SetWidth(std::int32_t value) { Change(FWidth, value); }
  // Written only when positive.
  std::int32_t BorderRadius() const { return FBorderRadius; }
  void SetBorderRadius(std::int32_t value) { Change(FBorderRadius, value); }

  void Assign(const TPersistent* source) override;
  std::string StyleFor(const TBrowser* browser) const override;

 private:
  std::int32_t FHeight = 0;
  std::int32_t FWidth = 0;
  std::int32_t FBorderRadius = 0;
};

// The seven looks of an uploader; each invalidates the control on a change.
class TKXFileUploaderStyle : public TPersistent {
 public:
  explicit TKXFileUploaderStyle(TControl* control = nullptr);
  TKXFileUploaderStyle(const TKXFileUploaderStyle&) = delete;
  TKXFileUploaderStyle& operator=(const TKXFileUploaderStyle&) = delete;

  TKXStyleAreaOptions& ButtonOptions() { return FButtonOptions; }
  TKXStyleOptions& ButtonHoverOptions() { return FButtonHoverOptions; }
  TKXStyleAreaOptions& ListOptions() { return FListOptions; }
  TKXStyleOptions& ListSuccessOptions() { return FListSuccessOptions; }
  TKXStyleOptions& ListErrorOptions() { return FListErrorOptions; }
  TKXStyleAreaOptions& DropAreaOptions() { return FDropAreaOptions; }
  TKXStyleAreaOptions& DropAreaActiveOptions() { return FDropAreaActiveOptions; }

  void Assign(const TPersistent* source) override;

 private:
  TKXStyleAreaOptions FButtonOptions;
  TKXStyleOptions FButtonHoverOptions;
  TKXStyleAreaOptions FListOptions;
  TKXStyleOptions FListSuccessOptions;
  TKXStyleOptions FListErrorOptions;
  TKXStyleAreaOptions FDropAreaOptions;
  TKXStyleAreaOptions FDropAreaActiveOptions;
};

// The texts the client script shows. "{file}", "{extensions}", "{sizeLimit}" and "{minSizeLimit}" are filled in
// where a message names them.
class TKXFileUploaderTextStrings : public TPersistent {
 public:
  std::string DragText = "Drop files here to upload";
  std::string UploadButtonText = "Upload a file";
  std::string CancelButtonText = "Cancel";
  std::string RemoveButtonText = "Remove";
  std::string UploadErrorText = "Upload failed";
  std::string MultipleFileDropNotAllowedText = "You may only drop a single file";
  std::string OfTotalText = "of";
  std::string TypeErrorText = "{file} has an invalid extension. Only {extensions} files are allowed.";
  std::string SizeErrorText = "{file} is too large, maximum file size is {sizeLimit}.";
  std::string MinSizeErrorText = "{file} is too small, minimum file size is {minSizeLimit}.";
  std::string EmptyErrorText = "{file} is empty, please select files again without it.";
  std::string NoFilesErrorText = "No files to upload.";
  std::string OnLeaveWarningText = "The files are being uploaded, if you leave now the upload will be cancelled.";

  void Assign(const TPersistent* source) override;
};

// The name a received file is saved under: its client name reduced the way the host reduces it (the part after the
// last "/" or "\", without NUL and other control characters), checked again here since a handler or another host
// may hand any text. Raises Exception "Invalid file name" when nothing usable is left ("", ".", "..").
std::string UploadTargetName(const std::string& clientName);

class TKXCustomFileUploader : public TKXCustomControl, public virtual IKXUploadControl {
  KX_COMPONENT_CLASS(TKXCustomFileUploader, TKXCustomControl)

 public:
  // ---- properties
  // The extensions without dots, comma-separated ("jpg,png"); empty allows any. SetAllowedExtensions takes them
  // separated by "," or ";", with or without dots and stars ("txt;png", "*.jpg; *.png" alike).
  const std::string& AllowedExtensions() const { return FAllowedExtensions; }
  // Keeps the bare extensions: blanks, quotes, dots and stars go, ";" becomes ",".
  void SetAllowedExtensions(const std::string& value);
  // The file input's accept list, cleaned like the extensions but keeping "*".
  const std::string& AcceptFiles() const { return FAcceptFiles; }
  void SetAcceptFiles(const std::string& value);
  bool DisableCancel() const { return FDisableCancel; }
  void SetDisableCancel(bool value) { SetProperty(FDisableCancel, value); }
  // True by default: a picked file is sent at once.
  bool AutoUpload() const { return FAutoUpload; }
  void SetAutoUpload(bool value) { SetProperty(FAutoUpload, value); }
  // False by default; with it every file is saved into AutoSavePath and OnAsyncUploadCompleted does not fire.
  bool AutoSave() const { return FAutoSave; }
  void SetAutoSave(bool value) { FAutoSave = value; }
  bool ButtonVisible() const { return FButtonVisible; }
  void SetButtonVisible(bool value) { SetProperty(FButtonVisible, value); }
  bool ListVisible() const { return FListVisible; }
  void SetListVisible(bool value) { SetProperty(FListVisible, value); }
  // The destination folder; empty: the session's cache folder, which is deleted with the session. A file meant to
  // outlive the session needs a folder of the application's (here or as OnAsyncUploadCompleted's destPath).
  const std::string& AutoSavePath() const { return FAutoSavePath; }
  void SetAutoSavePath(const std::string& value) { FAutoSavePath = value; }
  // True by default.
  bool OverwriteExisting() const { return FOverwriteExisting; }
  void SetOverwriteExisting(bool value) { FOverwriteExisting = value; }
  // Milliseconds after which the client hides the list of finished files; 0: never.
  std::uint32_t AutoHideListTime() const { return FAutoHideListTime; }
  void SetAutoHideListTime(std::uint32_t value) { SetProperty(FAutoHideListTime, value); }
  // name=value overrides of the sixteen class names; an empty value keeps the default class.
  TStringList& CssClasses() { return FCssClasses; }
  void SetCssClasses(const TStrings& value);
  // False by default: one file per pick or drop.
  bool Multiple() const { return FMultiple; }
  void SetMultiple(bool value) { SetProperty(FMultiple, value); }
  // Bytes; 0 means no limit. 20 MiB at most by default.
  std::int64_t MinFileSize() const { return FMinFileSize; }
  void SetMinFileSize(std::int64_t value) { SetProperty(FMinFileSize, value); }
  std::int64_t MaxFileSize() const { return FMaxFileSize; }
  void SetMaxFileSize(std::int64_t value) { SetProperty(FMaxFileSize, value); }
  bool JavaScriptDebug() const { return FJavaScriptDebug; }
  void SetJavaScriptDebug(bool value) { SetProperty(FJavaScriptDebug, value); }
  TKXFileUploaderTextStrings& TextStrings() { return *FTextStrings; }
  void SetTextStrings(const TKXFileUploaderTextStrings& value);
  TKXFileUploaderStyle& Style() { return *FStyle; }
  void SetStyle(const TKXFileUploaderStyle& value) { FStyle->Assign(&value); }
  // The lower-cased HTML name + "-", put before every default class name.
  const std::string& CSSClassPrefix() const { return FCSSClassPrefix; }

  // ---- events
  // Before each file is saved, in the upload's request (see TUploadCompleteEvent: no page update from here).
  TUploadCompleteEvent OnAsyncUploadCompleted;
  // Callbacks from the client script, with the parameters "FileName" and "FileSize" (SelectFile), "FileName"
  // (UploadSuccess), "FileName" and "Error" (UploadError). They do nothing while the control is disabled.
  TKXAsyncEvent OnAsyncUploadSuccess;
  TKXAsyncEvent OnAsyncUploadError;
  TKXAsyncEvent OnAsyncSelectFile;
  virtual void DoOnAsyncUploadSuccess(TStrings& params) { FireUploaderEvent(OnAsyncUploadSuccess, params); }
  virtual void DoOnAsyncUploadError(TStrings& params) { FireUploaderEvent(OnAsyncUploadError, params); }
  virtual void DoOnAsyncSelectFile(TStrings& params) { FireUploaderEvent(OnAsyncSelectFile, params); }

  // ---- the received files (valid while the upload request is handled)
  // The files of this control's field, as owning copies of the request's entries.
  const THttpFileList& FileList() const { return FFileList; }
  // Empties the list, then copies every file of list posted in the control's field (ignoring case).
  void AssignFileList(const THttpFileList& list);
  // Saves every file as path + its safe name into path (created when missing); the number saved. Nothing for an
  // empty path.
  int SaveAll(const std::string& path, bool overwrite);
  // Saves the file at index as destPath + fileName; false when either is empty. The name must stay inside destPath.
  bool DoSaveFile(const std::string& destPath, const std::string& fileName, bool overwrite, int index);
  // The file of that client name (ignoring case); "File \"x\" not found in request" for an unknown one.
  void SaveToFile(const std::string& fileName, const std::string& destFileName, bool overwrite);
  void SaveToStream(const std::string& fileName, TStream& stream);
  // Creates the folder with its parents; Exception "Could not create directory" when that fails.
  static void CreateDirectory(const std::string& path);

  // The class for one of the sixteen names: its override in CssClasses, else prefix + name.
  std::string GetCSSClass(const std::string& name) const;

  // ---- IKXUploadControl
  // Refuses the whole upload (Exception naming the file) when the control is disabled or hidden, or a file has an
  // extension that is not allowed or a size outside the limits; then AutoSave or the handler. The copies are
  // released afterwards, so no temporary file outlives the request.
  void NotifyUploadCompleted() override;

  // ---- rendering
  bool SupportsInput() override { return true; }
  void SetName(const std::string& value) override;
  void RegisterAsyncEvents(TKXApplication* application) override;
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  std::string RenderStyle(TKXCompContext* context) override;
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  // 300 x 120; the button takes half the width.
  void InitControl() override;

 private:
  void FireUploaderEvent(const TKXAsyncEvent& event, TStrings& params);
  void CheckFilesAllowed();
  std::string ClientOptions(const std::string& name);
  void AddClassRules(TKXCompContext* context);

  std::string FAllowedExtensions;
  std::string FAcceptFiles;
  bool FDisableCancel = false;
  bool FAutoUpload = true;
  bool FAutoSave = false;
  bool FButtonVisible = true;
  bool FListVisible = true;
  std::string FAutoSavePath;
  bool FOverwriteExisting = true;
  std::uint32_t FAutoHideListTime = 0;
  TStringList FCssClasses;
  std::string FCSSClassPrefix;
  bool FMultiple = false;
  THttpFileList FFileList;
  std::int64_t FMinFileSize = 0;
  std::int64_t FMaxFileSize = 20 * 1024 * 1024;
  bool FJavaScriptDebug = false;
  std::unique_ptr<TKXFileUploaderTextStrings> FTextStrings;
  std::unique_ptr<TKXFileUploaderStyle> FStyle;
};

class TKXFileUploader : public TKXCustomFileUploader {
  KX_COMPONENT_CLASS(TKXFileUploader, TKXCustomFileUploader)
};

// A file field kept for stored forms: its properties and the control base's behaviour, nothing of its own.
class TKXFile : public TKXCustomControl {
  KX_COMPONENT_CLASS(TKXFile, TKXCustomControl)

 public:
  TKXAsyncEvent OnStatus;
  std::int32_t StatusUpdateInterval() const { return FStatusUpdateInterval; }
  void SetStatusUpdateInterval(std::int32_t value) { FStatusUpdateInterval = value; }
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value) { FBGColor = value; }
  TKXColor FrameBGColor() const { return FFrameBGColor; }
  void SetFrameBGColor(TKXColor value) { FFrameBGColor = value; }
  std::int32_t ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(std::int32_t value) { FButtonHeight = value; }

 private:
  std::int32_t FStatusUpdateInterval = 0;
  TKXColor FBGColor = clNone;
  TKXColor FFrameBGColor = clNone;
  std::int32_t FButtonHeight = 0;
};

// The data-aware file field: a data source and a field name kept for stored forms, nothing of its own. The source
// is guarded: once freed, DataSource is null.
class TKXDBFile : public TKXFile {
  KX_COMPONENT_CLASS(TKXDBFile, TKXFile)

 public:
  const std::string& DataField() const { return FDataField; }
  void SetDataField(const std::string& value) { FDataField = value; }
  TDataSource* DataSource() const { return FDataSource.Get(); }
  void SetDataSource(TDataSource* value) { FDataSource = TComponentRef<TDataSource>(value); }

 private:
  std::string FDataField;
  TComponentRef<TDataSource> FDataSource;
};

const TKXControlFamily& UploaderFamily();

}  // namespace kx
