#include "kx/controls/uploader/FileUploader.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "kx/appserver/Application.h"
#include "kx/controls/uploader/FamilyFiles.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/Streams.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace fs = std::filesystem;

namespace {

// NAME_MAX of the common Linux file systems.
constexpr std::size_t kMaxFileNameBytes = 255;

constexpr const char* kClassNames[] = {"button",       "button-hover",    "drop-area",   "drop-area-active",
                                       "drop-area-disabled", "list",     "upload-spinner", "progress-bar",
                                       "upload-file",  "upload-size",     "upload-listItem", "upload-cancel",
                                       "upload-success", "upload-fail",   "success-icon", "fail-icon"};

// The client script's keys for the class names, in the order it reads them.
constexpr std::pair<const char*, const char*> kClientClasses[] = {
    {"button", "button"},          {"buttonHover", "button-hover"},
    {"buttonFocus", "button-hover"}, {"drop", "drop-area"},
    {"dropActive", "drop-area-active"}, {"dropDisabled", "drop-area-disabled"},
    {"list", "list"},              {"spinner", "upload-spinner"},
    {"progressBar", "progress-bar"}, {"file", "upload-file"},
    {"size", "upload-size"},       {"listItem", "upload-listItem"},
    {"cancel", "upload-cancel"},   {"success", "upload-success"},
    {"fail", "upload-fail"},       {"successIcon", "success-icon"},
    {"failIcon", "fail-icon"}};

// Removed from the end to the start, as the values are typed: "*.jpg; *.png" becomes "jpg,png".
std::string CleanList(const std::string& value, bool dropStars) {
  std::string cleaned;
  for (char c : value) {
    if (c == ' ' || c == '"' || c == '\'' || c == '.' || (dropStars && c == '*')) continue;
    cleaned += c == ';' ? ',' : c;
  }
  return cleaned;
}

// A text as a single-quoted script string inside a <script> block.
std::string Quoted(const std::string& text) { return "'" + ScriptStringText(text) + "'"; }

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
    parts.push_back(text.substr(start, comma - start));
  parts.push_back(text.substr(start));
  return parts;
}

std::string JoinCommas(const std::vector<std::string>& parts) {
  std::string joined;
  for (const std::string& part : parts) joined += (joined.empty() ? "" : ",") + part;
  return joined;
}

std::string Bool(bool value) { return value ? "true" : "false"; }

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::string LowerExtension(const std::string& fileName) {
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string::npos ? std::string() : LowerCase(fileName.substr(dot + 1));
}

// Whether path lies inside folder once both are normalised ("a/../.." does not).
bool IsInside(const fs::path& folder, const fs::path& path) {
  fs::path base = fs::weakly_canonical(folder);
  // A folder named with a trailing separator ends in an empty element, which no path inside it has.
  if (!base.has_filename()) base = base.parent_path();
  const fs::path target = fs::weakly_canonical(path);
  auto [baseEnd, targetAt] = std::mismatch(base.begin(), base.end(), target.begin(), target.end());
  return baseEnd == base.end() && target != base;
}

void InitArea(TKXStyleAreaOptions& options, TKXColor background, TKXColor font, std::int32_t height) {
  options.SetBGColor(background);
  options.Font().SetColor(font);
  options.SetHeight(height);
}

void InitPlain(TKXStyleOptions& options, TKXColor background, TKXColor font) {
  options.SetBGColor(background);
  options.Font().SetColor(font);
}

}  // namespace

std::string UploadTargetName(const std::string& clientName) {
  const std::size_t slash = clientName.find_last_of("/\\");
  std::string name;
  for (char c : slash == std::string::npos ? clientName : clientName.substr(slash + 1))
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) name += c;
  // A longer name than a directory entry holds could only fail later, with a message naming server folders.
  if (name.empty() || name == "." || name == ".." || name.size() > kMaxFileNameBytes)
    throw Exception("Invalid file name");
  return name;
}

// ---------------------------------------------------------------------------
// Style options

void TKXStyleAreaOptions::Assign(const TPersistent* source) {
  TKXStyleOptions::Assign(source);
  if (const auto* area = Supports<const TKXStyleAreaOptions>(source)) {
    SetHeight(area->FHeight);
    SetWidth(area->FWidth);
    SetBorderRadius(area->FBorderRadius);
  }
}

std::string TKXStyleAreaOptions::StyleFor(const TBrowser* browser) const {
  const std::string height = std::to_string(FHeight);
  std::string style = TKXStyleOptions::StyleFor(browser) + "height: " + height + "px; padding: 0px 5px;" +
                      "line-height: " + height + "px; ";
  style += FWidth >= 1 ? "width: " + std::to_string(FWidth) + "px; " : std::string("width: 100%; ");
  if (FBorderRadius > 0) style += "border-radius: " + std::to_string(FBorderRadius) + "px; ";
  return style;
}

TKXFileUploaderStyle::TKXFileUploaderStyle(TControl* control)
    : FButtonOptions(control),
      FButtonHoverOptions(control),
      FListOptions(control),
      FListSuccessOptions(control),
      FListErrorOptions(control),
      FDropAreaOptions(control),
      FDropAreaActiveOptions(control) {
  // Platform colours (blue in the high byte).
  InitArea(FButtonOptions, TKXColor(128), clWhite, 30);
  InitPlain(FButtonHoverOptions, TKXColor(214), clWhite);
  InitArea(FListOptions, TKXColor(55295), clBlack, 30);
  InitPlain(FListSuccessOptions, TKXColor(2263842), clWhite);
  InitPlain(FListErrorOptions, TKXColor(255), clWhite);
  InitArea(FDropAreaOptions, TKXColor(36095), clWhite, 60);
  InitArea(FDropAreaActiveOptions, TKXColor(3329330), clWhite, 60);
}

void TKXFileUploaderStyle::Assign(const TPersistent* source) {
  const auto* style = Supports<const TKXFileUploaderStyle>(source);
  if (style == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  FButtonOptions.Assign(&style->FButtonOptions);
  FButtonHoverOptions.Assign(&style->FButtonHoverOptions);
  FListOptions.Assign(&style->FListOptions);
  FListSuccessOptions.Assign(&style->FListSuccessOptions);
  FListErrorOptions.Assign(&style->FListErrorOptions);
  FDropAreaOptions.Assign(&style->FDropAreaOptions);
  FDropAreaActiveOptions.Assign(&style->FDropAreaActiveOptions);
}

void TKXFileUploaderTextStrings::Assign(const TPersistent* source) {
  const auto* texts = Supports<const TKXFileUploaderTextStrings>(source);
  if (texts == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  DragText = texts->DragText;
  UploadButtonText = texts->UploadButtonText;
  CancelButtonText = texts->CancelButtonText;
  RemoveButtonText = texts->RemoveButtonText;
  UploadErrorText = texts->UploadErrorText;
  MultipleFileDropNotAllowedText = texts->MultipleFileDropNotAllowedText;
  OfTotalText = texts->OfTotalText;
  TypeErrorText = texts->TypeErrorText;
  SizeErrorText = texts->SizeErrorText;
  MinSizeErrorText = texts->MinSizeErrorText;
  EmptyErrorText = texts->EmptyErrorText;
  NoFilesErrorText = texts->NoFilesErrorText;
  OnLeaveWarningText = texts->OnLeaveWarningText;
}

// ---------------------------------------------------------------------------
// TKXCustomFileUploader: properties

void TKXCustomFileUploader::InitControl() {
  TKXCustomControl::InitControl();
  FTextStrings = std::make_unique<TKXFileUploaderTextStrings>();
  FStyle = std::make_unique<TKXFileUploaderStyle>(this);
  for (const char* name : kClassNames) FCssClasses.Add(std::string(name) + "=");
  SetBounds(Left(), Top(), 300, 120);
  FStyle->ButtonOptions().SetWidth(Width() / 2);
}

void TKXCustomFileUploader::SetAllowedExtensions(const std::string& value) {
  if (value != FAllowedExtensions) SetProperty(FAllowedExtensions, CleanList(value, true));
}

void TKXCustomFileUploader::SetAcceptFiles(const std::string& value) {
  if (value != FAcceptFiles) SetProperty(FAcceptFiles, CleanList(value, false));
}

void TKXCustomFileUploader::SetCssClasses(const TStrings& value) {
  FCssClasses.Assign(&value);
  Invalidate();
}

void TKXCustomFileUploader::SetTextStrings(const TKXFileUploaderTextStrings& value) {
  FTextStrings->Assign(&value);
  Invalidate();
}

void TKXCustomFileUploader::SetName(const std::string& value) {
  TKXCustomControl::SetName(value);
  FCSSClassPrefix = LowerCase(HTMLName()) + "-";
}

std::string TKXCustomFileUploader::GetCSSClass(const std::string& name) const {
  const std::string overridden = FCssClasses.Values(name);
  return overridden.empty() ? FCSSClassPrefix + name : overridden;
}

// ---------------------------------------------------------------------------
// Received files

void TKXCustomFileUploader::AssignFileList(const THttpFileList& list) {
  FFileList.Clear();
  const std::string field = HTMLName();
  for (int i = 0; i < list.Count(); ++i) {
    const THttpFile* file = list.Items(i);
    // The copy takes over the temporary file, so the entry stays valid however the request ends.
    if (SameText(file->FieldName(), field)) FFileList.Add(std::make_unique<THttpFile>(*file));
  }
}

void TKXCustomFileUploader::CreateDirectory(const std::string& path) {
  std::error_code error;
  fs::create_directories(path, error);
  if (error || !fs::is_directory(path)) throw Exception("Could not create directory");
}

int TKXCustomFileUploader::SaveAll(const std::string& path, bool overwrite) {
  if (path.empty()) return 0;
  int saved = 0;
  for (int i = 0; i < FFileList.Count(); ++i)
    if (DoSaveFile(path, UploadTargetName(FFileList.Items(i)->FileName()), overwrite, i)) ++saved;
  return saved;
}

bool TKXCustomFileUploader::DoSaveFile(const std::string& destPath, const std::string& fileName, bool overwrite,
                                       int index) {
  if (destPath.empty() || fileName.empty()) return false;
  const fs::path folder(destPath);
  const fs::path target = folder / fs::path(fileName).relative_path();
  // The messages go to the client: they name the file as the client or handler did, never the server's folders.
  // The name the client sent is already a plain name: what fails here is the program's folder or the name its
  // handler gave, so the operator reads it in the log, with the folder (a file kept without overwrite is no
  // mistake).
  const auto refuse = [&](const std::string& message) {
    std::error_code unknown;
    if (overwrite || !fs::exists(target, unknown))
      TKXControlSession::LogConfigurationMistake(Name() + ": the upload \"" + fileName + "\" into \"" + destPath +
                                                 "\" was refused: " + message);
    throw Exception(ReplaceAll(message, target.string(), fileName));
  };
  try {
    if (fs::path(fileName).is_absolute() || !IsInside(folder, target))
      throw Exception("File name \"" + fileName + "\" leaves the destination folder");
    CreateDirectory(target.parent_path().string());
    FFileList.Items(index)->SaveToFile(target.string(), overwrite);
  } catch (const fs::filesystem_error& e) {
    refuse("File \"" + fileName + "\" could not be saved: " + e.code().message());
  } catch (const Exception& e) {
    refuse(e.Message());
  }
  return true;
}

void TKXCustomFileUploader::SaveToFile(const std::string& fileName, const std::string& destFileName,
                                       bool overwrite) {
  const THttpFile* file = FFileList.FindFile(fileName);
  if (file == nullptr) throw Exception("File \"" + fileName + "\" not found in request");
  file->SaveToFile(destFileName, overwrite);
}

void TKXCustomFileUploader::SaveToStream(const std::string& fileName, TStream& stream) {
  const THttpFile* file = FFileList.FindFile(fileName);
  if (file == nullptr) throw Exception("File \"" + fileName + "\" not found in request");
  file->SaveToStream(stream);
}

void TKXCustomFileUploader::CheckFilesAllowed() {
  bool usable = Enabled() && Visible();
  for (TWinControl* parent = Parent(); usable && parent != nullptr; parent = parent->Parent())
    usable = parent->Enabled() && parent->Visible();
  if (!usable) throw Exception("Uploads are disabled");
  std::vector<std::string> allowed;
  for (std::string& extension : SplitCommas(LowerCase(FAllowedExtensions)))
    if (!extension.empty()) allowed.push_back(extension);
  for (int i = 0; i < FFileList.Count(); ++i) {
    const THttpFile& file = *FFileList.Items(i);
    const std::string name = UploadTargetName(file.FileName());
    if (!allowed.empty() && std::find(allowed.begin(), allowed.end(), LowerExtension(name)) == allowed.end())
      throw Exception(ReplaceAll(ReplaceAll(FTextStrings->TypeErrorText, "{file}", name), "{extensions}",
                                 FAllowedExtensions));
    if (FMaxFileSize > 0 && file.FileSize() > FMaxFileSize)
      throw Exception(ReplaceAll(ReplaceAll(FTextStrings->SizeErrorText, "{file}", name), "{sizeLimit}",
                                 std::to_string(FMaxFileSize)));
    if (FMinFileSize > 0 && file.FileSize() < FMinFileSize)
      throw Exception(ReplaceAll(ReplaceAll(FTextStrings->MinSizeErrorText, "{file}", name), "{minSizeLimit}",
                                 std::to_string(FMinFileSize)));
  }
}

void TKXCustomFileUploader::NotifyUploadCompleted() {
  TKXApplication* application = TKXControlSession::Current().Application();
  const THttpFileList* files = application ? application->GetFileList() : nullptr;
  if (files == nullptr || files->Count() == 0) return;
  AssignFileList(*files);
  // Released however this ends: the temporary files go with the copies.
  struct TRelease {
    THttpFileList& List;
    ~TRelease() { List.Clear(); }
  } release{FFileList};
  if (FFileList.Count() == 0) return;
  CheckFilesAllowed();

  if (!FAutoSave && !OnAsyncUploadCompleted) return;
  // The session's cache folder is made only when something may be saved into it.
  const std::string path = FAutoSavePath.empty() ? application->ForceUserCacheDir() : FAutoSavePath;
  if (FAutoSave) {
    SaveAll(path, FOverwriteExisting);
    return;
  }
  for (int i = 0; i < FFileList.Count(); ++i) {
    std::string destPath = path;
    std::string fileName = UploadTargetName(FFileList.Items(i)->FileName());
    bool saveFile = true;
    bool overwrite = FOverwriteExisting;
    OnAsyncUploadCompleted(this, destPath, fileName, saveFile, overwrite);
    if (saveFile) DoSaveFile(destPath, fileName, overwrite, i);
  }
}

// ---------------------------------------------------------------------------
// Events

void TKXCustomFileUploader::FireUploaderEvent(const TKXAsyncEvent& event, TStrings& params) {
  if (!Enabled() || !event) return;
  event(this, params);
}

void TKXCustomFileUploader::RegisterAsyncEvents(TKXApplication* application) {
  TKXCustomControl::RegisterAsyncEvents(application);
  IKXCallBacks* callBacks = application ? application->CallBacks() : nullptr;
  if (callBacks == nullptr) return;
  using TMethod = void (TKXCustomFileUploader::*)(TStrings&);
  const std::pair<const TKXAsyncEvent*, std::pair<const char*, TMethod>> events[] = {
      {&OnAsyncUploadSuccess, {".DoOnAsyncUploadSuccess", &TKXCustomFileUploader::DoOnAsyncUploadSuccess}},
      {&OnAsyncUploadError, {".DoOnAsyncUploadError", &TKXCustomFileUploader::DoOnAsyncUploadError}},
      {&OnAsyncSelectFile, {".DoOnAsyncSelectFile", &TKXCustomFileUploader::DoOnAsyncSelectFile}}};
  for (const auto& [event, callback] : events) {
    if (!*event) continue;
    // The registry may outlive the control: the guarded pointer makes a late callback do nothing.
    TComponentRef<TKXCustomFileUploader> control(this);
    const TMethod method = callback.second;
    callBacks->RegisterCallBack(HTMLName() + callback.first, [control, method](TStrings& params) {
      if (control) (control.Get()->*method)(params);
    });
  }
}

// ---------------------------------------------------------------------------
// Rendering

std::string TKXCustomFileUploader::ClientOptions(const std::string& name) {
  const TKXFileUploaderTextStrings& t = *FTextStrings;
  std::string o = "element:document.getElementById(\"" + name + "\"), ";
  o += "action:\"$/upload/\"+(GTrackID),";
  o += "inputName:\"" + name + "\",inputId:\"" + name + "_INPUT\",";
  o += "enabled:" + Bool(Enabled()) + ",autoUpload:" + Bool(FAutoUpload) + ",btnVisible:" + Bool(FButtonVisible) +
       ",listVisible:" + Bool(FListVisible) + ",";
  std::vector<std::string> handlers;
  if (OnAsyncSelectFile) handlers.push_back("\"SelectFile\"");
  if (OnAsyncUploadSuccess) handlers.push_back("\"UploadSuccess\"");
  if (OnAsyncUploadError) handlers.push_back("\"UploadError\"");
  o += "asyncHandlers:[" + JoinCommas(handlers) + "],";
  if (!FAllowedExtensions.empty()) {
    std::vector<std::string> extensions;
    for (const std::string& extension : SplitCommas(FAllowedExtensions))
      if (!extension.empty()) extensions.push_back("\"" + ScriptStringText(extension) + "\"");
    o += "allowedExtensions:[" + JoinCommas(extensions) + "],";
  }
  if (!FAcceptFiles.empty()) o += "acceptFiles:\"" + ScriptStringText(FAcceptFiles) + "\",";
  if (FJavaScriptDebug) o += "debug:true,";
  if (FMinFileSize != 0) o += "minSizeLimit:" + std::to_string(FMinFileSize) + ",";
  if (FMaxFileSize != 0) o += "sizeLimit:" + std::to_string(FMaxFileSize) + ",";
  if (!FMultiple) o += "multiple:false,";
  if (FDisableCancel) o += "disableCancelForFormUploads: true,";
  o += "params:{\"KX_ActionParam\": \"" + name + "\", \"KXFileUploader\": \"true\", \"" + name + "\":\"\"},";
  o += "customHeaders:{\"X-KXFileUploader\": \"true\", \"X-KXFieldName\": \"" + name + "\"},";
  o += "uploadButtonText: " + Quoted(t.UploadButtonText) + ",dragText: " + Quoted(t.DragText) +
       ",cancelButtonText: " + Quoted(t.CancelButtonText) + ",removeButtonText: " + Quoted(t.RemoveButtonText) +
       ",failUploadText: " + Quoted(t.UploadErrorText) +
       ",multipleFileDropNotAllowedMessage: " + Quoted(t.MultipleFileDropNotAllowedText) +
       ",ofTotalText: " + Quoted(t.OfTotalText) + ",";
  o += "messages: {typeError:" + Quoted(t.TypeErrorText) + ",sizeError:" + Quoted(t.SizeErrorText) +
       ",minSizeError:" + Quoted(t.MinSizeErrorText) + ",emptyError:" + Quoted(t.EmptyErrorText) +
       ",noFilesError:" + Quoted(t.NoFilesErrorText) + ",onLeave:" + Quoted(t.OnLeaveWarningText) + "},";
  o += "autoHideListTime: " + std::to_string(FAutoHideListTime) + ",";
  o += "template: " +
       Quoted("<div class=\"KXFileUploader\"><div id=\"" + name + "_drop_area\" class=\"" + GetCSSClass("drop-area") +
              "\"><span>{dragText}</span></div><div id=\"" + name + "_button\" class=\"" + GetCSSClass("button") +
              "\">{uploadButtonText}</div><ul id=\"" + name + "_list\" class=\"" + GetCSSClass("list") +
              "\"></ul></div>") +
       ",";
  std::string fileTemplate = "<li><span class=\"" + GetCSSClass("progress-bar") + "\"></span>";
  for (const char* part : {"upload-spinner", "upload-file", "upload-size"})
    fileTemplate += "<span class=\"" + GetCSSClass(part) + "\"></span>";
  fileTemplate += "<a class=\"" + GetCSSClass("upload-cancel") + "\" href=\"#\">{cancelButtonText}</a></li>";
  o += "fileTemplate: " + Quoted(fileTemplate) + ",";
  std::vector<std::string> classes;
  for (const auto& [key, cssClass] : kClientClasses)
    classes.push_back(std::string(key) + ": \"" + ScriptStringText(GetCSSClass(cssClass)) + "\"");
  return o + "classes:{" + JoinCommas(classes) + "}";
}

TKXElementPtr<TKXHTMLTag> TKXCustomFileUploader::RenderHTML(TKXCompContext* context) {
  const std::string name = HTMLName();
  if (context != nullptr) {
    context->AddScriptFile(uploader_files::kKXFileUploaderJs);
    context->AddToJavaScriptOnce("function create" + name + "(){return new kxfu.FileUploader({" +
                                 ClientOptions(name) + "});}");
    context->AddToInitProc("window." + name + "_Obj = create" + name + "();");
  }
  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("div");
  tag->AddStringParam("id", name);
  return tag;
}

void TKXCustomFileUploader::AddClassRules(TKXCompContext* context) {
  const int z = ZIndex();
  const std::int32_t width = Width();
  const std::string w = std::to_string(width);
  const std::string gfx = TKXControlSession::Of(context).LibraryURLBase("") + "gfx/";
  const auto rule = [&](const char* name, const std::string& style, const std::string& suffix = "") {
    if (!FCssClasses.Values(name).empty()) return;
    context->AddClassStyle("." + GetCSSClass(name) + suffix, style);
  };
  const auto z_plus = [z](int n) { return std::to_string(z + n); };
  TKXFileUploaderStyle& style = *FStyle;
  const std::string icon =
      "background-position: 5px center; background-repeat: no-repeat; background-color: none;";
  rule("button", style.ButtonOptions().RenderStyle(context) + "z-index: " + z_plus(1) + ";");
  rule("button-hover", style.ButtonHoverOptions().RenderStyle(context));
  rule("list", "margin: 0; padding: 0; list-style: none; width: " + w + "px;");
  rule("upload-listItem", style.ListOptions().RenderStyle(context) + "width: " + w + "px;");
  rule("upload-spinner", "display: inline-block; margin-right: 12px; z-index: " + z_plus(2) +
                             "; width: 15px; height: 15px;vertical-align: text-bottom; background: url(\"" + gfx +
                             "fileUploading.gif\");");
  const std::string statusBox = "padding-left: 25px; width: " + std::to_string(width - 25) + "px;";
  rule("upload-success", style.ListSuccessOptions().RenderStyle(context) + statusBox);
  rule("upload-fail", style.ListErrorOptions().RenderStyle(context) + statusBox);
  const std::string drop = style.DropAreaOptions().RenderStyle(context);
  rule("drop-area", drop + "top: 0; left: 0; position: absolute; z-index: " + z_plus(2) + ";");
  rule("drop-area", drop + "top: 0; left: 0; position: absolute; z-index: " + z_plus(3) + "; display: block;",
       " span");
  rule("drop-area-active", style.DropAreaActiveOptions().RenderStyle(context) +
                               "top: 0; left:0; position: absolute; z-index:" + z_plus(4) + ";");
  for (const char* plain : {"upload-file", "upload-size", "upload-cancel"}) rule(plain, "margin-right: 12px;");
  rule("success-icon", "background-image: url(\"" + gfx + "check.png\"); " + icon);
  rule("fail-icon", "background-image: url(\"" + gfx + "alert.png\"); " + icon);
}

std::string TKXCustomFileUploader::RenderStyle(TKXCompContext* context) {
  std::string style = TKXCustomControl::RenderStyle(context);
  style += "outline: none; border-width: 0; border-style: none; z-index:" + std::to_string(ZIndex()) + ";";
  if (context != nullptr) AddClassRules(context);
  return style;
}

TKXElementPtr<TKXXMLTag> TKXCustomFileUploader::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXFILEUPLOADER");
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  return tag;
}

// ---------------------------------------------------------------------------
// Family

const TKXControlFamily& UploaderFamily() {
  static const TKXControlFamily family{.Name = "uploader"};
  return family;
}

}  // namespace kx
