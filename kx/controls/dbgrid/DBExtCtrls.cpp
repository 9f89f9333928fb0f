#include "kx/controls/dbgrid/DBExtCtrls.h"

#include "kx/platform/Streams.h"
#include "kx/platform/SysUtils.h"

namespace kx {

// ---------------------------------------------------------------------------
// TKXDBImage

void TKXDBImage::SetDataSource(TDataSource* value) {
  FDataSource = value;
  FLink.SetDataSource(FDataSource.Get());
  Invalidate();
}

void TKXDBImage::SetDataField(const std::string& value) {
  FDataField = value;
  Invalidate();
}

void TKXDBImage::CheckData() {
  TField* field = nullptr;
  std::optional<std::string> bytes;
  if (CheckDataSource(DataSource(), FDataField, field) && field->IsBlob() && !field->IsNull())
    bytes = field->AsString();
  if (bytes == FLoadedBytes && (bytes.has_value() || IsEmpty())) return;
  FLoadedBytes = bytes;
  Clear();
  // Fewer than two bytes cannot even tell the format.
  if (!bytes || bytes->size() < 2) return;
  TMemoryStream stream;
  stream.Write(bytes->data(), std::int64_t(bytes->size()));
  stream.SetPosition(0);
  try {
    Picture().LoadFromStream(stream);
  } catch (const Exception&) {
    Clear();
  }
}

TKXElementPtr<TKXHTMLTag> TKXDBImage::RenderHTML(TKXCompContext* context) {
  CheckData();
  return TKXDynamicImage::RenderHTML(context);
}

TKXElementPtr<TKXXMLTag> TKXDBImage::RenderAsync(TKXCompContext* context) {
  CheckData();
  return TKXDynamicImage::RenderAsync(context);
}

// ---------------------------------------------------------------------------
// TKXDBRadioGroup

void TKXDBRadioGroup::InitControl() {
  TKXCustomRadioGroup::InitControl();
  FValues.SetCaseSensitive(false);
}

void TKXDBRadioGroup::CheckData() {
  const TField* field = FBinding.Field();
  if (field == nullptr) {
    SetItemIndex(-1);
    if (AutoEditable()) SetEditable(false);
    return;
  }
  std::string text = GetFieldText(*field);
  if (FTrimValues) text = Trim(text);
  int index = FValues.IndexOf(text);
  if (AutoEditable()) SetEditable(FBinding.EditableNow());
  if (index < 0) index = Items().IndexOf(text);
  SetItemIndex(index);
}

void TKXDBRadioGroup::ValueChanged() {
  // An index past the items (a forged post) chooses nothing that could be written.
  if (TField* field = FBinding.Field(); field && ItemIndex() < Items().Count()) {
    const int index = ItemIndex();
    std::string text;
    if (index >= 0) text = FValues.Count() > index ? FValues.Strings(index) : Items().Strings(index);
    if (GetFieldText(*field) != text)
      FBinding.Write(Editable(), *field, [&text](TField& f) { f.SetText(text); });
  }
  TKXCustomRadioGroup::ValueChanged();
}

TKXElementPtr<TKXHTMLTag> TKXDBRadioGroup::RenderHTML(TKXCompContext* context) {
  CheckData();
  return TKXCustomRadioGroup::RenderHTML(context);
}

TKXElementPtr<TKXXMLTag> TKXDBRadioGroup::RenderAsync(TKXCompContext* context) {
  CheckData();
  return TKXCustomRadioGroup::RenderAsync(context);
}

}  // namespace kx
