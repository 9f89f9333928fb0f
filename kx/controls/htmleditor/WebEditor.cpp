#include "kx/controls/htmleditor/WebEditor.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "kx/appserver/Application.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/htmleditor/WebEdit.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/regions/Regions.h"
#include "kx/foundation/FileUtils.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/platform/Streams.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* kFileNotFound = "Kestrix HTML Editor - file not found: %s";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The form's bands, top down: the buttons, the document's title, then the editor, which alone follows the form's
// size and so must start below the others (it runs down to the form's bottom).
constexpr int kBandLeft = 21;
constexpr int kButtonsTop = 16;
constexpr int kBandGap = 5;
// The form takes the window's inner size, a vertical scroll bar included: the editor leaves that much room right
// of it, counted from its own left edge.
constexpr int kEditorRightMargin = 15;
constexpr int kEditorBottomMargin = 5;

// Whether name may only lead inside the content folder: relative, no ".." segment, no drive letter, no NUL.
bool IsPlainRelativeName(const std::string& name) {
  if (name.empty() || name.find('\0') != std::string::npos) return false;
  if (name.front() == '/' || name.front() == '\\') return false;
  if (name.size() >= 2 && name[1] == ':') return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    const std::size_t end = name.find_first_of("/\\", start);
    const std::string segment = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (segment == "..") return false;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return true;
}

// Whether path, with its links resolved, lies inside folder.
bool LiesInside(const std::string& path, const std::string& folder) {
  std::error_code error;
  const std::filesystem::path base = std::filesystem::weakly_canonical(folder, error);
  if (error) return false;
  const std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
  if (error) return false;
  const auto [baseEnd, targetAt] = std::mismatch(base.begin(), base.end(), target.begin(), target.end());
  return baseEnd == base.end() && targetAt != target.end();
}

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

std::string ReadWholeFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  std::string bytes(std::size_t(stream.Size()), '\0');
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), std::int64_t(bytes.size()));
  return bytes;
}

void WriteWholeFile(const std::string& fileName, const std::string& bytes) {
  TFileStream stream(fileName, fmCreate);
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), std::int64_t(bytes.size()));
}

}  // namespace

void TfrmWebEditor::BuildComponents() {
  WebEditor = TComponent::Create<TTKXWebEdit>(this);
  WebEditor->SetName("WebEditor");
  WebEditor->SetParent(this);
  WebEditor->SetBounds(kBandLeft, 0, 665, 329);  // its top once the bands above it are placed
  WebEditor->SetBackgroundColor(0xFFFFFF);
  WebEditor->SetContentEditable(true);

  const auto region = [this](const char* name, int top, int height) {
    auto* result = TComponent::Create<TKXRegion>(this);
    result->SetName(name);
    result->SetParent(this);
    result->SetBounds(kBandLeft, top, 542, height);
    result->SetColor(clNone);
    result->SetZIndex(1000);
    result->SetRenderInvisibleControls(true);
    return result;
  };
  const auto button = [this](TKXRegion* parent, const char* name, const char* caption, const char* friendlyName,
                             int left) {
    auto* result = TComponent::Create<TKXButton>(this);
    result->SetName(name);
    result->SetParent(parent);
    result->SetBounds(left, 9, 115, 25);
    result->SetCaption(caption);
    result->SetFriendlyName(friendlyName);
    result->SetDoSubmitValidation(true);
    result->SetTabOrder(0);
    return result;
  };
  irButtons = region("irButtons", kButtonsTop, 39);
  SaveButton = button(irButtons, "SaveButton", "Save Document", "SaveButton", 1);
  ReloadButton = button(irButtons, "ReloadButton", "Reload", "KXButton1", 122);
  CancelButton = button(irButtons, "CancelButton", "Cancel", "KXButton1", 243);
  ButtonClose = button(irButtons, "ButtonClose", "Close & Save", "ButtonClose;", 364);
  SaveButton->OnClick = [this](TObject*) { SaveFile(); };
  ReloadButton->OnClick = [this](TObject*) { LoadFile(); };
  ButtonClose->OnClick = [this](TObject*) {
    SaveFile();
    Release();
  };
  CancelButton->OnClick = [this](TObject*) { Release(); };

  irDocTitle = region("irDocTitle", irButtons->BoundsRect().Bottom + kBandGap, 50);
  DocTitleLabel = TComponent::Create<TKXLabel>(this);
  DocTitleLabel->SetName("DocTitleLabel");
  DocTitleLabel->SetParent(irDocTitle);
  DocTitleLabel->SetBounds(5, 2, 100, DocTitleLabel->Height());
  DocTitleLabel->SetCaption("Document Title:");
  DocTitleEdit = TComponent::Create<TKXEdit>(this);
  DocTitleEdit->SetName("DocTitleEdit");
  DocTitleEdit->SetParent(irDocTitle);
  DocTitleEdit->SetBounds(5, 22, 300, DocTitleEdit->Height());

  WebEditor->SetBounds(WebEditor->Left(), irDocTitle->BoundsRect().Bottom + kBandGap, WebEditor->Width(),
                       WebEditor->Height());
}

void TfrmWebEditor::SetDocument(const std::string& name) {
  const std::string contentPath = TKXControlSession::ContentPath();
  const std::string fileName = IncludeTrailingPathDelim(contentPath) + name;
  // The name may come from a URL: it must not reach files outside the content folder.
  if (contentPath.empty() || !IsPlainRelativeName(name) || !LiesInside(fileName, contentPath) ||
      !IsRegularFile(fileName)) {
    throw Exception(Format(kFileNotFound, fileName));
  }
  SetDocumentFile(fileName);
}

void TfrmWebEditor::SetDocumentFile(const std::string& fileName) {
  FFileName = fileName;
  LoadFile();
}

void TfrmWebEditor::LoadFile() {
  std::string text = ReadWholeFile(FFileName);
  FHadByteOrderMark = text.starts_with(kByteOrderMark);
  if (FHadByteOrderMark) text.erase(0, kByteOrderMark.size());
  WebEditor->Lines().SetText(text);
  WebEditor->Invalidate();
  FTitle = KXExtractTagContent(text, "title");
  DocTitleEdit->SetText(FTitle);
}

void TfrmWebEditor::SaveFile() {
  const std::string text = WebEditor->Lines().Text();
  if (!ContainsText(text, "<body")) {
    // The title edit holds text: it is written as HTML text.
    FTitle = "<title>" + TKXBaseHTMLControl::TextToHTML(DocTitleEdit->Text(), false, false, false) + "</title>";
    WebEditor->Lines().SetText("<html>" + FTitle + "<body>" + text + "</body></html>");
  }
  WriteWholeFile(FFileName, (FHadByteOrderMark ? std::string(kByteOrderMark) : std::string()) +
                                WebEditor->Lines().Text());
}

void TfrmWebEditor::SetBounds(int left, int top, int width, int height) {
  TKXAppForm::SetBounds(left, top, width, height);
  if (WebEditor == nullptr) return;
  WebEditor->SetBounds(WebEditor->Left(), WebEditor->Top(),
                       std::max(Width() - WebEditor->Left() - kEditorRightMargin, 0),
                       std::max(Height() - WebEditor->Top() - kEditorBottomMargin, 0));
}

void EditDocument(const std::string& fileName) {
  TKXApplication* application = TKXControlSession::Current().Application();
  if (application == nullptr) throw Exception("EditDocument needs a current session");
  TOwnedComponent<TfrmWebEditor> form(TComponent::Create<TfrmWebEditor>(application));
  form->SetDocument(fileName);
  form.release()->Show();
}

namespace {

constexpr TKXControlFamily::TClassRecord kEditorFormTypes[] = {&TfrmWebEditor::ClassRecord};

}  // namespace

const TKXControlFamily& HTMLEditorFamily() {
  static const TKXControlFamily family{.Name = "htmleditor", .FormTypes = kEditorFormTypes};
  return family;
}

}  // namespace kx
