#include "kx/controls/htmleditor/WebEdit.h"

#include <string_view>

#include "kx/appserver/Application.h"
#include "kx/controls/htmleditor/FamilyFiles.h"
#include "kx/foundation/Colors.h"
#include "kx/foundation/Markup.h"
#include "kx/foundation/TextUtils.h"
#include "kx/platform/Resources.h"

namespace kx {

namespace {

constexpr const char* kDefaultHints[kEditorButtonCount] = {
    "Bold",   "Italic", "Underline",     "Striketrough",  "Subscript", "Superscript", "Left",
    "Center", "Right",  "UnorderedList", "OrderedList",   "Indent",    "Unindent",    "Cut",
    "Copy",   "Paste",  "New",           "Create Link",   "Insert Image", "Insert Horizontal Rule",
};

constexpr const char* kDefaultFonts[] = {"Arial",  "Comic Sans MS",   "Courier New",  "Lucida Console",
                                         "Tahoma", "Times New Roman", "Trebuchet MS", "Verdana"};

constexpr const char* kExampleLine = "This is an example of a HTML editor.";

// One tool bar button: its glyph, element id suffix, editing command and image.
struct TToolBarButton {
  TTKXEditorButton Button;
  const char* Id;
  const char* Command;
  const char* Image;
};
constexpr TToolBarButton kToolBar[] = {
    {ebBold, "i1", "bold", "webbold.gif"},
    {ebItalic, "i2", "italic", "webitalic.gif"},
    {ebUnderline, "i3", "underline", "webunderline.gif"},
    {ebStrike, "i4", "strikethrough", "webstrikeout.gif"},
    {ebSubscript, "i18", "subscript", "websubscript.gif"},
    {ebSuperscript, "i19", "superscript", "websuperscript.gif"},
    {ebLeft, "i5", "justifyleft", "webalignleft.gif"},
    {ebCenter, "i6", "justifycenter", "webaligncentre.gif"},
    {ebRight, "i7", "justifyright", "webalignright.gif"},
    {ebUnorderedList, "i8", "insertunorderedList", "webbullets.gif"},
    {ebOrderedList, "i9", "insertorderedList", "webnumberedlist.gif"},
    {ebIndent, "i10", "indent", "webindentincrease.gif"},
    {ebUnindent, "i11", "outdent", "webindentdecrease.gif"},
    {ebCut, "i12", "cut", "webcut.gif"},
    {ebCopy, "i13", "copy", "webcopy.gif"},
    {ebPaste, "i14", "paste", "webpaste.gif"},
    {ebLink, "i15", "CreateLink", "weblink.gif"},
    {ebInsertImage, "i16", "InsertImage", "webimg.gif"},
    {ebInsertHorizontalRule, "i17", "InsertHorizontalRule", "webruler.gif"},
};

// The colours of the two colour lists: caption and value.
constexpr const char* kColours[] = {"Black", "Navy", "Green",  "Blue",   "Cyan", "Magenta",
                                    "Red",   "Yellow", "White", "Silver", "Teal"};

// A line holding one of these needs no "<BR>" after it: it breaks the text itself. Compared ignoring case, so
// that the lower-case tags browsers write do not gain a break on every round trip.
const StringArray& BlockMarkers() {
  static const StringArray markers = {"</P>", "<BR>", "<LI>", "</LI>", "</H>", "<HR", "<OL>", "<UL>"};
  return markers;
}

std::string HTMLText(std::string_view text) { return TKXBaseHTMLControl::TextToHTML(text, false, false, false); }

// The lines joined, each but the last followed by "<BR>" unless it breaks the text itself; prefix goes before
// every line.
std::string JoinLines(const TStrings& lines, const std::string& prefix) {
  std::string text;
  for (int i = 0; i < lines.Count(); ++i) {
    const std::string& line = lines.Strings(i);
    text += prefix + line;
    if (i < lines.Count() - 1 && !ContainsAny(line, BlockMarkers())) text += "<BR>";
  }
  return text;
}

std::string SelectStart(const std::string& name, const char* suffix, const char* handler) {
  return "<td><select id=\"" + name + suffix + "\" onchange=\"" + name + handler + "(this)\">\r";
}

}  // namespace

// ---------------------------------------------------------------------------

bool TTKXComboboxes::OpensRow() const {
  return FShown[ecParagraph] || FShown[ecFontNames] || FShown[ecFontSizes] || FShown[ecFontColors];
}

void TTKXComboboxes::AssignTo(TPersistent* dest) const {
  if (auto* combos = Supports<TTKXComboboxes>(dest)) {
    combos->FShown = FShown;
    return;
  }
  TPersistent::AssignTo(dest);
}

void TTKXHTMLEdGlyphs::AssignTo(TPersistent* dest) const {
  if (auto* glyphs = Supports<TTKXHTMLEdGlyphs>(dest)) {
    glyphs->FShown = FShown;
    return;
  }
  TPersistent::AssignTo(dest);
}

TTKXHTMLEdHints::TTKXHTMLEdHints() {
  for (int i = 0; i < kEditorButtonCount; ++i) FHints[i] = kDefaultHints[i];
}

void TTKXHTMLEdHints::SetHint(TTKXEditorButton button, const std::string& value) {
  FHints[button] = KXStringReplace(value, "\"", "&quot;");
}

void TTKXHTMLEdHints::AssignTo(TPersistent* dest) const {
  if (auto* hints = Supports<TTKXHTMLEdHints>(dest)) {
    hints->FHints = FHints;
    return;
  }
  TPersistent::AssignTo(dest);
}

// ---------------------------------------------------------------------------
// TTKXCustomWebEdit

void TTKXCustomWebEdit::InitControl() {
  TKXControl::InitControl();
  SetBounds(Left(), Top(), 600, 400);
  SetRenderSize(true);
  SetNeedsFormTag(true);
  SetCanReceiveFocus(true);
  FLines.Clear();
  FLines.Add(kExampleLine);
  FFont.SetFontName("Arial");
  FFont.SetSize(12);
  FFont.SetColor(0x000000);
  FFont.OnChange = [this](TObject*) { Invalidate(); };
  FFontList.Clear();
  for (const char* font : kDefaultFonts) FFontList.Add(font);
}

void TTKXCustomWebEdit::SetLines(const TStrings& value) {
  FLines.Assign(&value);
  Invalidate();
}

void TTKXCustomWebEdit::SetBackgroundColor(TKXColor value) { SetProperty(FBackgroundColor, value); }

void TTKXCustomWebEdit::SetFont(const TKXFont& value) {
  FFont.Assign(&value);
  Invalidate();
}

void TTKXCustomWebEdit::SetShowToolBar(bool value) { SetProperty(FShowToolBar, value); }

void TTKXCustomWebEdit::SetShowComboBoxes(bool value) { SetProperty(FShowComboBoxes, value); }

void TTKXCustomWebEdit::SetValue(const std::string& value) {
  NotifyParentOfPostedValue(value);
  FLines.SetText(value);
  SetDoRefreshControl(false);
}

std::string TTKXCustomWebEdit::InitialValue() const {
  // One pass over the whole text: the backslashes written for quotes are never doubled again, and "</script>"
  // or "<!--" in the document cannot end or comment out the page's script block.
  return TKXBaseHTMLControl::TextToJSStringLiteral(JoinLines(FLines, ""));
}

std::string TTKXCustomWebEdit::SourceText() const { return HTMLText(JoinLines(FLines, " ")); }

std::string TTKXCustomWebEdit::FilledTemplate() {
  const std::string name = HTMLName();
  std::string text = GetResourceText("YarKXWEBED");
  const auto replace = [&text](std::string_view marker, const std::string& value) {
    text = KXTextReplace(text, marker, value);
  };
  replace("<#BGCOLOR>", HTMLClr(FBackgroundColor));
  replace("<#FONTSIZE>", std::to_string(FFont.Size()));
  // The template writes the font name into a script string.
  replace("<#FONTNAME>", TKXBaseHTMLControl::TextToJSStringLiteral(FFont.FontName()));
  replace("<#FONTCOLOR>", HTMLClr(FFont.Color()));
  replace("<#WIDTHTEXT>", "100%");
  replace("<#HEIGHTTEXT>", "100%");
  replace("GSubmitter.elements['<#COMPNAME>'].value", "FindElem('" + name + "').value");
  replace("<#BORDERCOLOR>", "#000000");
  replace("<#CONTENTEDITABLE>", FContentEditable ? "True" : "False");
  replace("<#DESIGNMODE>", FContentEditable ? "On" : "Off");
  replace("<#COMPNAME>", name);
  replace("<#DISPLAYHTML>", "false");
  return text;
}

std::string TTKXCustomWebEdit::ToolBarRow(const std::string& name, const std::string& imageBase) const {
  std::string row =
      "<tr style=\"HEIGHT: 22px\">\r<td>\r<table cellspacing=\"0\" cellpadding=\"2\" border=\"0\">\r<tbody>\r<tr>\r";
  for (const TToolBarButton& button : kToolBar) {
    if (!FGlyphs.Shown(button.Button)) continue;
    row += "<td><img id=\"" + name + button.Id + "\" class=\"" + name + "ToolBarButton\"" +
           (button.Button == ebUnindent ? "  " : " ") + "onclick=\"" + name + "OnClickToolBarButton('" +
           button.Command + "')\" title=\"" + EscapeAttributeQuotes(FHints.Hint(button.Button)) + "\" src=\"" +
           EscapeAttributeQuotes(imageBase + "gfx/" + button.Image) + "\"></td>\r";
  }
  return row + "</tr>\r</tbody>\r</table>\r</td>\r</tr>\r";
}

std::string TTKXCustomWebEdit::ComboBoxRow(const std::string& name) const {
  std::string row = "<tr style=\"HEIGHT: 22px\">\r<td>\r<table cellspacing=\"0\">\r<tbody>\r<tr>\r";
  if (FComboBoxes.Shown(ecParagraph)) {
    row += SelectStart(name, "formattingList", "OnSelectedIndexChangedFormattingList");
    row += "<option value=\"&lt;body&gt;\" selected>Normal</option>\r";
    for (int level = 1; level <= 6; ++level) {
      const std::string n = std::to_string(level);
      row += "<option value=\"&lt;h" + n + "&gt;\">Heading " + n + "</option>\r";
    }
    row += "</select></td>\r";
  }
  if (FComboBoxes.Shown(ecFontNames)) {
    row += SelectStart(name, "fontFaceList", "OnSelectedIndexChangedFontFaceList");
    GetFonts(FFontList, row);
    row += "</select></td>\r";
  }
  if (FComboBoxes.Shown(ecFontSizes)) {
    row += SelectStart(name, "fontSizeList", "OnSelectedIndexChangedFontSizeList");
    for (int size = 1; size <= 6; ++size) {
      const std::string n = std::to_string(size);
      row += "<option value=\"" + n + "\"" + (size == 3 ? " selected" : "") + ">" + n + "</option>\r";
    }
    row += "</select></td>\r";
  }
  if (FComboBoxes.Shown(ecFontColors)) {
    row += SelectStart(name, "fontColorList", "OnSelectedIndexChangedFontColorList");
    for (const char* colour : kColours) {
      const std::string value = LowerCase(colour);
      // White text on the list's white background would not be seen.
      const std::string shown = value == "white" ? "black" : value;
      row += "<option value=\"" + value + "\" style=\"color:" + shown + "\"" + (value == "black" ? " selected" : "") +
             ">" + colour + "</option>\r";
    }
    row += "</select></td>\r";
  }
  if (FComboBoxes.Shown(ecBackColors)) {
    row += SelectStart(name, "backColorList", "OnSelectedIndexChangedBackColorList");
    for (const char* colour : kColours) {
      const std::string value = LowerCase(colour);
      const std::string text = value == "black" || value == "navy" ? ";color:white" : "";
      row += "<option value=\"" + value + "\" style=\"background-color:" + value + text + "\"" +
             (value == "white" ? " selected" : "") + ">" + colour + "</option>\r";
    }
    row += "</select></td>\r";
  }
  return row + "</tr>\r</tbody>\r</table>\r</td>\r</tr>\r";
}

std::string TTKXCustomWebEdit::EditingRow(const std::string& name) const {
  std::string row = "<tr mytest style=\"";
  if (FBackgroundColor != clNone) {
    const std::string colour = HTMLClr(FBackgroundColor);
    row += "background-color:" + colour + "\">\r<td bgcolor=\"" + colour + "\">\r";
  } else {
    row += "\">\r<td>\r";
  }
  row += "<textarea style=\"display:none;\" id=\"" + name + "editorTextArea\">" + SourceText() + "</textarea>\r";
  row += "<iframe onBlur=\"" + name +
         "OnBlurEditorDiv();\" allowtransparency=\"true\" style=\"filter:chroma(color=#FFFFFF);border:1;padding:0;\" "
         "class=\"" +
         name + "editorText\" id=\"" + name + "editorDiv\"></iframe>\r";
  return row + "</td>\r</tr>\r</tbody>\r</table>\r</body>\r</span>\r</body>\r";
}

TKXElementPtr<TKXHTMLTag> TTKXCustomWebEdit::RenderHTML(TKXCompContext* context) {
  const std::string name = HTMLName();
  if (context != nullptr) {
    context->AddScriptFile(htmleditor_files::kPurifyJs);
    context->AddScriptFile(htmleditor_files::kKXWebEditJs);
    context->AddToInitProc("FindElem('" + name + "').value=\"" + InitialValue() + "\";");
  }
  const std::string imageBase = TKXControlSession::Of(context).LibraryURLBase("/$/");

  std::string text = FilledTemplate();
  text += "\r<span ID=\"" + name + "myedit\">\r<body unselectable=\"on\">\r";
  text += "<table height=\"100%\" width=\"100%\" cellspacing=\"0\" cellpadding=\"0\" border=\"0\">\r<tbody>\r";
  bool anyGlyph = false;
  for (const TToolBarButton& button : kToolBar) anyGlyph = anyGlyph || FGlyphs.Shown(button.Button);
  if (FShowToolBar && anyGlyph) text += ToolBarRow(name, imageBase);
  if (FShowComboBoxes && FComboBoxes.OpensRow()) text += ComboBoxRow(name);
  text += EditingRow(name);

  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("DIV");
  tag->Contents()->AddText(text, false);
  TKXHTMLTag* input = tag->Contents()->AddTag("INPUT", false);
  input->AddStringParam("TYPE", "hidden");
  input->AddStringParam("NAME", name);
  input->AddStringParam("ID", name + "_INPUT");
  if (context != nullptr) context->AddToInitProc(name + "Initialize();");
  return tag;
}

// ---------------------------------------------------------------------------

std::string GetResourceText(const std::string& name) {
  const TEmbeddedResource* resource = FindResource(name);
  return resource != nullptr ? std::string(resource->Text()) : std::string();
}

void GetFonts(const TStrings& list, std::string& text) {
  for (int i = 0; i < list.Count(); ++i) {
    const std::string& font = list.Strings(i);
    if (font.empty()) continue;
    const std::string shown = HTMLText(font);
    text += "<option value=\"" + shown + "\">" + shown + "</option>";
  }
}

std::string HTMLClr(TKXColor color) { return ColorToRGBString(color); }

}  // namespace kx
