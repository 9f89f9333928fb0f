#include "kx/controls/dbcontrols/DBListCtrls.h"

#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// Sets flag for the life of the guard: the field is being read into the control.
class TReading {
 public:
  explicit TReading(bool& flag) : mFlag(flag), mWas(flag) { mFlag = true; }
  ~TReading() { mFlag = mWas; }
  TReading(const TReading&) = delete;
  TReading& operator=(const TReading&) = delete;

 private:
  bool& mFlag;
  bool mWas;
};

std::string KeyAsString(const TField& field) { return field.AsString(); }
std::string KeyAsFieldText(const TField& field) { return GetFieldText(field); }

// The item of the key the field holds; -1 for a null field or a key not on the list.
int FieldKeyIndex(const TKXDBLookup& lookup, const TField& field) {
  return field.IsNull() ? -1 : lookup.IndexOfKey(GetFieldText(field));
}

// The look-up's write step: the key of the chosen item, or the field cleared when nothing is chosen (a null field
// stays as it is, a key the field holds already is not written again).
void WriteKey(TKXDBBinding& binding, bool editable, TField& field, const std::string& key, bool none) {
  if (none ? field.IsNull() : !field.IsNull() && GetFieldText(field) == key) return;
  binding.Write(editable, field, [&key, none](TField& f) { none ? f.Clear() : f.SetText(key); });
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXDBCheckBox

void TKXDBCheckBox::SetDataField(const std::string& value) {
  if (SameText(value, DataField())) return;
  FBinding.SetDataField(value);
  Invalidate();
}

void TKXDBCheckBox::CheckData() {
  const TField* field = FBinding.Field();
  TReading reading(FReading);
  SetChecked(field && SameText(GetFieldText(*field), FValueChecked));
}

void TKXDBCheckBox::ValueChanged() {
  if (FReading) return;  // the field itself changed the box: nothing to tell, nothing to write
  TKXCustomCheckBox::ValueChanged();
  TField* field = FBinding.Field();
  if (!field) return;
  const std::string text = Checked() ? FValueChecked : FValueUnchecked;
  if (!field->IsNull() && SameText(GetFieldText(*field), text)) return;
  FBinding.Write(Editable(), *field, [&text](TField& f) { f.SetText(text); });
  if (SameText(GetFieldText(*field), FValueChecked) == Checked()) SetDoRefreshControl(false);
}

TKXElementPtr<TKXHTMLTag> TKXDBCheckBox::RenderHTML(TKXCompContext* context) {
  CheckData();
  return TKXCustomCheckBox::RenderHTML(context);
}

TKXElementPtr<TKXXMLTag> TKXDBCheckBox::RenderAsync(TKXCompContext* context) {
  CheckData();
  return TKXCustomCheckBox::RenderAsync(context);
}

// ---------------------------------------------------------------------------
// TKXDBChoice

template <class TParent>
int TKXDBChoice<TParent>::FieldIndex() {
  const TField* field = FBinding.Field();
  if (!field) return -1;
  const std::string text = LookupText(*field);
  for (int i = 0; i < this->Items().Count(); ++i) {
    if (this->ItemsHaveValues() ? this->ItemValue(i) == text : SameText(this->Items().Strings(i), text)) return i;
  }
  return -1;
}

template <class TParent>
void TKXDBChoice<TParent>::ShowIndex(int index) {
  TReading reading(FReading);
  this->SetItemIndex(index);
}

template <class TParent>
void TKXDBChoice<TParent>::CheckData() {
  ShowIndex(FieldIndex());
}

template <class TParent>
void TKXDBChoice<TParent>::SetValue(const std::string& value) {
  TField* field = FBinding.Field();
  // The post is taken against the field's selection, so that a value naming no item (which leaves the selection)
  // writes nothing.
  const int shown = FieldIndex();
  if (field) ShowIndex(shown);
  TParent::SetValue(value);
  const int selected = this->ItemIndex();
  if (!field || selected == shown) return;
  const std::string text = selected < 0 ? std::string() : this->ItemValue(selected);
  FBinding.Write(this->Editable(), *field, [&text](TField& f) { f.SetText(text); });
  // The browser shows that selection already.
  if (FieldIndex() == selected) this->SetDoRefreshControl(false);
}

template class TKXDBChoice<TKXCustomComboBox>;
template class TKXDBChoice<TKXCustomListbox>;

void TKXDBListbox::InitControl() {
  TKXDBChoice<TKXCustomListbox>::InitControl();
  SetNonEditableAsLabel(false);
  FTrimValues = true;
}

std::string TKXDBListbox::LookupText(const TField& field) {
  return FTrimValues ? Trim(GetFieldText(field)) : GetFieldText(field);
}

// ---------------------------------------------------------------------------
// TKXDBLookup

std::string TKXDBLookup::KeyAt(int index) const {
  return index >= 0 && index < static_cast<int>(FKeys.size()) ? FKeys[index] : std::string();
}

int TKXDBLookup::IndexOfKey(const std::string& key) const {
  for (std::size_t i = 0; i < FKeys.size(); ++i)
    if (FKeys[i] == key) return static_cast<int>(i);
  return -1;
}

void TKXDBLookup::Fill(TStrings& items, std::string (*keyText)(const TField&)) {
  FKeys.clear();
  items.Clear();
  TField* listField = nullptr;
  TField* keyField = nullptr;
  if (!CheckDataSource(ListSource(), FListField, listField) || !CheckDataSource(ListSource(), FKeyField, keyField))
    return;
  TDataSet& list = *ListSource()->DataSet();
  const TBookmark bookmark = list.GetBookmark();
  list.DisableControls();
  // The list data set goes back where it was, also when reading it fails.
  struct TRestore {
    TDataSet& List;
    const TBookmark& Bookmark;
    ~TRestore() {
      try {
        if (List.BookmarkValid(Bookmark)) List.GotoBookmark(Bookmark);
      } catch (...) {
      }
      List.EnableControls();
    }
  } restore{list, bookmark};
  for (list.First(); !list.Eof(); list.Next()) {
    items.Add(GetFieldText(*listField));
    FKeys.push_back(keyText(*keyField));
  }
}

// ---------------------------------------------------------------------------
// TKXDBLookupComboBox

void TKXDBLookupComboBox::CheckData() {
  TReading reading(FReading);
  FLookup.Fill(Items(), &KeyAsString);
  if (const TField* field = FBinding.Field()) {
    SetItemIndex(field->IsNull() ? -1 : FLookup.IndexOfKey(GetFieldText(*field)));
  } else if (FKeyValue) {
    SetItemIndex(FLookup.IndexOfKey(*FKeyValue));
  }
}

void TKXDBLookupComboBox::FillIfEmpty() {
  if (Items().Count() > 0) return;
  TReading reading(FReading);
  FLookup.Fill(Items(), &KeyAsString);
}

std::optional<std::string> TKXDBLookupComboBox::GetKeyValue() const {
  if (ItemIndex() == -1) return FBinding.Field() ? std::nullopt : FKeyValue;
  if (ItemIndex() < static_cast<int>(FLookup.Keys().size())) return FLookup.KeyAt(ItemIndex());
  return std::string("-1");
}

void TKXDBLookupComboBox::SetKeyValue(const std::optional<std::string>& value) {
  {
    TReading reading(FReading);
    SetItemIndex(value ? FLookup.IndexOfKey(*value) : -1);
  }
  if (!FBinding.Field()) FKeyValue = value;
  Invalidate();
}

void TKXDBLookupComboBox::SetValue(const std::string& value) {
  if (DataSource() && DataSource()->State() != dsEdit && DataSource()->State() != dsInsert && !Editable()) return;
  FillIfEmpty();
  TField* field = FBinding.Field();
  // The post is taken against the field's selection, so that a value naming no item (which leaves the selection)
  // writes nothing.
  if (field) {
    TReading reading(FReading);
    SetItemIndex(FieldKeyIndex(FLookup, *field));
  }
  const int before = ItemIndex();
  TKXCustomComboBox::SetValue(value);
  if (ItemIndex() == before) return;
  if (!field) {
    if (ItemIndex() == -1) FKeyValue.reset();
    return;
  }
  WriteKey(FBinding, Editable(), *field, FLookup.KeyAt(ItemIndex()), ItemIndex() < 0);
}

TKXElementPtr<TKXHTMLTag> TKXDBLookupComboBox::RenderHTML(TKXCompContext* context) {
  CheckData();
  if (Items().Count() > 0) return TKXCustomComboBox::RenderHTML(context);
  if (FDisableWhenEmpty) {
    // Disabled for this render only: the control comes back once its list has items.
    const bool enabled = Enabled();
    SetEnabled(false);
    TKXElementPtr<TKXHTMLTag> tag = TKXCustomComboBox::RenderHTML(context);
    SetEnabled(enabled);
    return tag;
  }
  TKXElementPtr<TKXHTMLTag> tag = TKXCustomComboBox::RenderHTML(context);
  if (SameText(tag->Tag(), "SELECT")) {
    TKXHTMLTag* option = tag->Contents()->AddTag("OPTION", false);
    option->Add("SELECTED");
    option->AddIntegerParam("VALUE", -1);
    option->Contents()->AddText(TextToHTML(NoSelectionText(), false, true), false);
  }
  return tag;
}

TKXElementPtr<TKXXMLTag> TKXDBLookupComboBox::RenderAsync(TKXCompContext* context) {
  CheckData();
  return TKXCustomComboBox::RenderAsync(context);
}

// ---------------------------------------------------------------------------
// TKXDBLookupListBox

void TKXDBLookupListBox::InitControl() {
  TKXCustomListbox::InitControl();
  SetNonEditableAsLabel(false);
}

void TKXDBLookupListBox::CheckData() {
  TReading reading(FReading);
  FLookup.Fill(Items(), &KeyAsFieldText);
  if (const TField* field = FBinding.Field())
    SetItemIndex(field->IsNull() ? -1 : FLookup.IndexOfKey(GetFieldText(*field)));
}

void TKXDBLookupListBox::SetValue(const std::string& value) {
  TField* field = FBinding.Field();
  {
    TReading reading(FReading);
    if (Items().Count() == 0) FLookup.Fill(Items(), &KeyAsFieldText);
    // As the combo box: the post is taken against the field's selection.
    if (field) SetItemIndex(FieldKeyIndex(FLookup, *field));
  }
  const int before = ItemIndex();
  TKXCustomListbox::SetValue(value);
  if (!field || ItemIndex() == before) return;
  WriteKey(FBinding, Editable(), *field, FLookup.KeyAt(ItemIndex()), ItemIndex() < 0);
}

TKXElementPtr<TKXHTMLTag> TKXDBLookupListBox::RenderHTML(TKXCompContext* context) {
  CheckData();
  return TKXCustomListbox::RenderHTML(context);
}

TKXElementPtr<TKXXMLTag> TKXDBLookupListBox::RenderAsync(TKXCompContext* context) {
  CheckData();
  return TKXCustomListbox::RenderAsync(context);
}

}  // namespace kx
