// The editor form: TfrmWebEditor edits one HTML file of the application's content folder in a TTKXWebEdit and
// saves it back (UTF-8). EditDocument opens it for a file in the current session; which request path leads there
// is the application's choice. A save writes the HTML as the user posted it, scripts included, and a page of the
// content folder is then served so to every visitor: an application whose users may not write the site gives each
// a file of their own outside that folder (SetDocumentFile), or checks the HTML itself before it saves.
#pragma once

#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/controls/appform/AppForm.h"

namespace kx {

class TKXButton;
class TKXEdit;
class TKXLabel;
class TKXRegion;
class TTKXWebEdit;

class TfrmWebEditor : public TKXAppForm {
  KX_COMPONENT_CLASS(TfrmWebEditor, TKXAppForm)

 public:
  TTKXWebEdit* WebEditor = nullptr;
  TKXRegion* irButtons = nullptr;
  TKXButton* SaveButton = nullptr;
  TKXButton* ReloadButton = nullptr;
  TKXButton* CancelButton = nullptr;
  TKXButton* ButtonClose = nullptr;
  TKXRegion* irDocTitle = nullptr;
  TKXLabel* DocTitleLabel = nullptr;
  TKXEdit* DocTitleEdit = nullptr;

  // The file is the server controller's content path joined with name, then LoadFile. A name that is absolute,
  // holds a ".." segment, a drive letter or NUL, or leads outside the content path, and a file that does not
  // exist, raise Exception "Kestrix HTML Editor - file not found: %s" (with the full file name).
  void SetDocument(const std::string& name);
  // Edits fileName itself, with no content-folder check: a file the application's code chose, never a name from
  // a request. Then LoadFile.
  void SetDocumentFile(const std::string& fileName);
  // Reads the file (UTF-8, a byte order mark dropped) into the editor; its "title" element becomes the title,
  // shown in DocTitleEdit. Raises the platform's file errors.
  void LoadFile();
  // A text without "<body" (any case) is wrapped into a page titled with DocTitleEdit's text; then the text is
  // written to the file (UTF-8, with a byte order mark when the loaded file had one).
  void SaveFile();

  const std::string& FileName() const { return FFileName; }
  const std::string& DocTitle() const { return FTitle; }

  // The form's size; the editor follows: its right edge 15 inside the form's width (room for a scroll bar), its
  // bottom 5 above the form's height. The regions above it keep their place.
  void SetBounds(int left, int top, int width, int height) override;

 protected:
  void BuildComponents() override;

 private:
  std::string FFileName;
  std::string FTitle;
  bool FHadByteOrderMark = false;
};

// Creates a TfrmWebEditor in the current session, sets its document to fileName and shows it. Raises Exception
// without a current session, and SetDocument's exception (before the form is shown).
void EditDocument(const std::string& fileName);

// The family's registration (the editor, its images, scripts and the editor form), listed in
// kx/controls/ControlFamilies.cpp.
const TKXControlFamily& HTMLEditorFamily();

}  // namespace kx
