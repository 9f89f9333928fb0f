#include "kx/controls/dbcontrols/DBStdCtrls.h"

#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

bool IsDateOrTime(const TField& field) {
  return field.DataType() == ftDate || field.DataType() == ftTime || field.DataType() == ftDateTime;
}

// Texts equal once their line breaks are alike: a field may hold LF where the browser posts CR LF.
bool SameLines(std::string_view a, std::string_view b) {
  auto strip = [](std::string_view s) {
    std::string out;
    for (char c : s)
      if (c != '\r') out += c;
    return out;
  };
  return strip(a) == strip(b);
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXDBEdit

void TKXDBEdit::SetDataField(const std::string& value) {
  if (SameText(value, DataField())) return;
  FBinding.SetDataField(value);
  if (!value.empty())
    if (const TField* field = GetDataSourceField(DataSource(), value); field && field->DataType() == ftString)
      SetMaxLength(field->Size());
  Invalidate();
}

std::string TKXDBEdit::ShownText(const TField& field) {
  if (!Editable()) return field.DisplayText();
  return IsDateOrTime(field) ? field.DisplayText() : GetFieldText(field);
}

void TKXDBEdit::CheckData() {
  const TField* field = FBinding.Field();
  SetText(field ? ShownText(*field) : std::string());
}

void TKXDBEdit::SetValue(const std::string& value) {
  TKXCustomEdit::SetValue(value);
  // Compared with what the edit showed, so that an unchanged date shown in its display form is not rewritten.
  TField* field = FBinding.Field();
  if (!field || ShownText(*field) == Text()) return;
  FBinding.Write(Editable(), *field, [this](TField& f) { f.SetText(Text()); });
  // The browser shows the value already, unless the field stored it otherwise (cut to its size, a number's form).
  if (ShownText(*field) == Text()) SetDoRefreshControl(false);
}

TKXElementPtr<TKXHTMLTag> TKXDBEdit::RenderHTML(TKXCompContext* context) {
  CheckData();
  return TKXCustomEdit::RenderHTML(context);
}

TKXElementPtr<TKXXMLTag> TKXDBEdit::RenderAsync(TKXCompContext* context) {
  CheckData();
  return TKXCustomEdit::RenderAsync(context);
}

// ---------------------------------------------------------------------------
// TKXDBLabel

void TKXDBLabel::CheckData() {
  const TField* field = FBinding.Field();
  SetCaption(field ? field->DisplayText() : std::string());
}

TKXElementPtr<TKXHTMLTag> TKXDBLabel::RenderHTML(TKXCompContext* context) {
  CheckData();
  return TKXCustomLabel::RenderHTML(context);
}

TKXElementPtr<TKXXMLTag> TKXDBLabel::RenderAsync(TKXCompContext* context) {
  CheckData();
  return TKXCustomLabel::RenderAsync(context);
}

// ---------------------------------------------------------------------------
// TKXDBText

void TKXDBText::CheckData() {
  const TField* field = FBinding.Field();
  if (!field) return Lines().Clear();
  Lines().SetText(IsDateOrTime(*field) ? field->DisplayText() : GetFieldText(*field));
}

TKXElementPtr<TKXHTMLTag> TKXDBText::RenderHTML(TKXCompContext* context) {
  CheckData();
  return TKXCustomText::RenderHTML(context);
}

TKXElementPtr<TKXXMLTag> TKXDBText::RenderAsync(TKXCompContext* context) {
  CheckData();
  return TKXCustomText::RenderAsync(context);
}

// ---------------------------------------------------------------------------
// TKXDBMemo

void TKXDBMemo::CheckData() {
  const TField* field = FBinding.Field();
  if (!field) {
    Lines().Clear();
    SetEndsWithLineBreak(true);
    return;
  }
  const std::string text = GetFieldText(*field);
  Lines().SetText(text);
  // The lines always end with a line break; the memo shows one only when the field text has it (LF or CR LF).
  SetEndsWithLineBreak(text.empty() || text.back() == '\n');
}

std::string TKXDBMemo::PostedText() {
  std::string text = Text();
  if (!EndsWithLineBreak() && text.ends_with("\r\n")) text.resize(text.size() - 2);
  return text;
}

void TKXDBMemo::SetValue(const std::string& value) {
  TKXCustomMemo::SetValue(value);
  TField* field = FBinding.Field();
  if (!field || SameLines(GetFieldText(*field), PostedText())) return;
  FBinding.Write(Editable(), *field, [this](TField& f) { f.SetAsString(PostedText()); });
  if (SameLines(GetFieldText(*field), PostedText())) SetDoRefreshControl(false);
}

TKXElementPtr<TKXHTMLTag> TKXDBMemo::RenderHTML(TKXCompContext* context) {
  CheckData();
  return TKXCustomMemo::RenderHTML(context);
}

TKXElementPtr<TKXXMLTag> TKXDBMemo::RenderAsync(TKXCompContext* context) {
  CheckData();
  return TKXCustomMemo::RenderAsync(context);
}

// ---------------------------------------------------------------------------

const TKXControlFamily& DBControlsFamily() {
  static const TKXControlFamily family{.Name = "dbcontrols"};
  return family;
}

}  // namespace kx
