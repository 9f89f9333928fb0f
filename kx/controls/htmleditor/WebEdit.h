// The rich-text editor: TTKXWebEdit keeps an HTML document as a list of lines, fills the editor's embedded
// template (style and script, "YarKXWEBED") with its settings, writes the tool bar, the drop-down row and an
// editable frame around it, and takes the HTML the browser posts back into its lines. The editing itself is the
// client script's (KXWebEdit.js); the document is sanitised there, in the browser, before it is shown in the frame
// (DOMPurify, served as /js/purify.js beside it).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "kx/forms/CustomControl.h"
#include "kx/foundation/StyleTypes.h"
#include "kx/platform/StringLists.h"

namespace kx {

// The buttons of the tool bar, in the order of the Glyphs and Hints properties. ebNew has no button.
enum TTKXEditorButton : std::uint8_t {
  ebBold,
  ebItalic,
  ebUnderline,
  ebStrike,
  ebSubscript,
  ebSuperscript,
  ebLeft,
  ebCenter,
  ebRight,
  ebUnorderedList,
  ebOrderedList,
  ebIndent,
  ebUnindent,
  ebCut,
  ebCopy,
  ebPaste,
  ebNew,
  ebLink,
  ebInsertImage,
  ebInsertHorizontalRule,
};
inline constexpr int kEditorButtonCount = 20;

// The drop-down lists of the editor's second row.
enum TTKXEditorCombo : std::uint8_t { ecBackColors, ecParagraph, ecFontNames, ecFontSizes, ecFontColors };
inline constexpr int kEditorComboCount = 5;

// Which drop-down lists appear: all of them at creation.
class TTKXComboboxes : public TPersistent {
 public:
  TTKXComboboxes() { FShown.fill(true); }
  TTKXComboboxes(const TTKXComboboxes&) = delete;
  TTKXComboboxes& operator=(const TTKXComboboxes&) = delete;

  bool Shown(TTKXEditorCombo combo) const { return FShown[combo]; }
  void SetShown(TTKXEditorCombo combo, bool value) { FShown[combo] = value; }
  // Paragraph, FontNames, FontSizes or FontColors is shown (BackColors alone opens no row).
  bool OpensRow() const;

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  std::array<bool, kEditorComboCount> FShown{};
};

// Which tool bar buttons appear: all of them at creation.
class TTKXHTMLEdGlyphs : public TPersistent {
 public:
  TTKXHTMLEdGlyphs() { FShown.fill(true); }
  TTKXHTMLEdGlyphs(const TTKXHTMLEdGlyphs&) = delete;
  TTKXHTMLEdGlyphs& operator=(const TTKXHTMLEdGlyphs&) = delete;

  bool Shown(TTKXEditorButton button) const { return FShown[button]; }
  void SetShown(TTKXEditorButton button, bool value) { FShown[button] = value; }

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  std::array<bool, kEditorButtonCount> FShown{};
};

// The tool-tips of the buttons ("Bold", "Italic", ... "Insert Horizontal Rule" at creation).
class TTKXHTMLEdHints : public TPersistent {
 public:
  TTKXHTMLEdHints();
  TTKXHTMLEdHints(const TTKXHTMLEdHints&) = delete;
  TTKXHTMLEdHints& operator=(const TTKXHTMLEdHints&) = delete;

  const std::string& Hint(TTKXEditorButton button) const { return FHints[button]; }
  // Stored with every double quote written "&quot;".
  void SetHint(TTKXEditorButton button, const std::string& value);

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  std::array<std::string, kEditorButtonCount> FHints;
};

// An input control (TKXControl), so that form execution hands it the posted HTML.
class TTKXCustomWebEdit : public TKXControl {
  KX_COMPONENT_CLASS(TTKXCustomWebEdit, TKXControl)

 public:
  // The document, one HTML line per entry; "This is an example of a HTML editor." at creation.
  TStringList& Lines() { return FLines; }
  // Copies the lines and invalidates.
  void SetLines(const TStrings& value);
  // White by default; a change invalidates.
  TKXColor BackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(TKXColor value);
  // Of the editing area: Arial, 12 points, black at creation. A change invalidates.
  TKXFont& Font() { return FFont; }
  void SetFont(const TKXFont& value);
  // The entries of the font drop-down: the eight default fonts at creation.
  TStringList& FontList() { return FFontList; }
  void SetFontList(const TStrings& value) { FFontList.Assign(&value); }
  // True by default: the frame is editable.
  bool ContentEditable() const { return FContentEditable; }
  void SetContentEditable(bool value) { FContentEditable = value; }
  // True by default; a change invalidates.
  bool ShowToolBar() const { return FShowToolBar; }
  void SetShowToolBar(bool value);
  // True by default; a change invalidates.
  bool ShowComboBoxes() const { return FShowComboBoxes; }
  void SetShowComboBoxes(bool value);
  // False by default; stored only.
  bool Scroll() const { return FScroll; }
  void SetScroll(bool value) { FScroll = value; }
  TTKXComboboxes& ComboBoxes() { return FComboBoxes; }
  void SetComboBoxes(const TTKXComboboxes& value) { FComboBoxes.Assign(&value); }
  TTKXHTMLEdGlyphs& Glyphs() { return FGlyphs; }
  void SetGlyphs(const TTKXHTMLEdGlyphs& value) { FGlyphs.Assign(&value); }
  TTKXHTMLEdHints& Hints() { return FHints; }
  void SetHints(const TTKXHTMLEdHints& value) { FHints.Assign(&value); }

  // ---- posted values
  // Tells a parent implementing IKXUpdateNotified, then the posted HTML becomes the lines (split at line breaks),
  // stored as posted; the browser shows it already, so the editor is not marked for refresh.
  void SetValue(const std::string& value) override;

  // ---- rendering
  // A DIV holding the filled template and the editor's markup, then the hidden INPUT named HTMLName; the page
  // gets the editor's scripts, the initial value and the start-up call.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;

  // The document as the value of a script string: the lines joined, "<BR>" after every line but the last unless
  // it holds a block tag (ignoring case), escaped for a script literal (also "</script>" stays inside).
  std::string InitialValue() const;
  // The document for the hidden text area: each line after a blank, with the same "<BR>" rule, as HTML text.
  std::string SourceText() const;
  // The embedded template with its markers filled for this editor.
  std::string FilledTemplate();

 protected:
  // 600 x 400, sizes rendered, may take the focus, needs the form tag.
  void InitControl() override;

 private:
  std::string ToolBarRow(const std::string& name, const std::string& imageBase) const;
  std::string ComboBoxRow(const std::string& name) const;
  std::string EditingRow(const std::string& name) const;

  TStringList FLines;
  TKXColor FBackgroundColor = 0xFFFFFF;
  TKXFont FFont;
  TStringList FFontList;
  bool FContentEditable = true;
  bool FShowToolBar = true;
  bool FShowComboBoxes = true;
  bool FScroll = false;
  TTKXComboboxes FComboBoxes;
  TTKXHTMLEdGlyphs FGlyphs;
  TTKXHTMLEdHints FHints;
};

class TTKXWebEdit : public TTKXCustomWebEdit {
  KX_COMPONENT_CLASS(TTKXWebEdit, TTKXCustomWebEdit)
};

// The text of an embedded resource, each byte one character (the template is ASCII); empty when there is none.
std::string GetResourceText(const std::string& name);
// Appends an OPTION per non-empty name of list to text, the name escaped for HTML.
void GetFonts(const TStrings& list, std::string& text);
// The colour as "#RRGGBB".
std::string HTMLClr(TKXColor color);

}  // namespace kx
