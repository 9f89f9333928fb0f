// The data-aware choice controls: a check box, a combo box and a list box bound to one field, and the look-up
// combo and list boxes whose items come from a second data set (ListSource: ListField shown, KeyField stored).
// Like the other data-aware controls they render as their parents, read the field before every render and write a
// changed post back (TKXDBBinding::Write). Reading the field never fires the parent's change events.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "kx/controls/checks/Checks.h"
#include "kx/controls/dbcontrols/DBStdCtrls.h"
#include "kx/controls/lists/Lists.h"

namespace kx {

class TKXDBCheckBox : public TKXCustomCheckBox, public virtual IKXAutoEditableControl {
  KX_COMPONENT_CLASS(TKXDBCheckBox, TKXCustomCheckBox)

 public:
  KX_DB_BINDING_PROPERTIES
  // Nothing when equal ignoring case.
  void SetDataField(const std::string& value);
  bool AutoEditable() const { return FBinding.AutoEditable(); }
  void SetAutoEditable(bool value) { FBinding.SetAutoEditable(value); }
  // The field text that means checked, "true" by default (compared ignoring case).
  const std::string& ValueChecked() const { return FValueChecked; }
  void SetValueChecked(const std::string& value) { SetProperty(FValueChecked, value); }
  // The text written when unchecked, "false" by default.
  const std::string& ValueUnchecked() const { return FValueUnchecked; }
  void SetValueUnchecked(const std::string& value) { SetProperty(FValueUnchecked, value); }

  // Checked when the field text equals ValueChecked ignoring case; unchecked when unbound.
  virtual void CheckData();
  // The parent's (the change event), then the write step with ValueChecked or ValueUnchecked, unless the field
  // holds that text already; a null field is always written.
  void ValueChanged() override;
  void EditingChanged() override { FBinding.EditingChanged(*this); }
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 private:
  TKXDBBinding FBinding{this};
  std::string FValueChecked = "true";
  std::string FValueUnchecked = "false";
  bool FReading = false;  // CheckData is setting Checked
};

// What the bound combo and list boxes share: the index the field selects, and a write only when the posted
// selection differs from it (so a field shown through a case-insensitive or trimmed match is never rewritten).
template <class TParent>
class TKXDBChoice : public TParent, public virtual IKXAutoEditableControl {
 public:
  TDataSource* DataSource() const { return FBinding.DataSource(); }
  void SetDataSource(TDataSource* value) {
    FBinding.SetDataSource(value);
    this->Invalidate();
  }
  const std::string& DataField() const { return FBinding.DataField(); }
  void SetDataField(const std::string& value) {
    FBinding.SetDataField(value);
    this->Invalidate();
  }
  bool AutoEditable() const { return FBinding.AutoEditable(); }
  void SetAutoEditable(bool value) { FBinding.SetAutoEditable(value); }
  TKXDBBinding& Binding() { return FBinding; }

  // The selection from the field (FieldIndex), set without change events.
  virtual void CheckData();
  void EditingChanged() override { FBinding.EditingChanged(*this); }
  // The field's selection, the parent's; then, when the selection differs from the field's, the write step with
  // the selected item's value (its value part with ItemsHaveValues), or "" for no selection. A value that names no
  // item writes nothing.
  void SetValue(const std::string& value) override;
  void DoChange() override {
    if (!FReading) TParent::DoChange();
  }
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override {
    CheckData();
    return TParent::RenderHTML(context);
  }
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override {
    CheckData();
    return TParent::RenderAsync(context);
  }

 protected:
  // The text the field is looked up by; the list box trims it.
  virtual std::string LookupText(const TField& field) { return GetFieldText(field); }
  // The index the field selects: -1 unbound or unmatched; with ItemsHaveValues the first value equal to the text
  // (case-sensitive), else the first item equal to it ignoring case.
  int FieldIndex();
  // Sets the index without the change event.
  void ShowIndex(int index);

  TKXDBBinding FBinding{this};
  bool FReading = false;
};

class TKXDBComboBox : public TKXDBChoice<TKXCustomComboBox> {
  KX_COMPONENT_CLASS(TKXDBComboBox, TKXCustomComboBox)
};

class TKXDBListbox : public TKXDBChoice<TKXCustomListbox> {
  KX_COMPONENT_CLASS(TKXDBListbox, TKXCustomListbox)

 public:
  // True by default: the field text is trimmed before it is looked up.
  bool TrimValues() const { return FTrimValues; }
  void SetTrimValues(bool value) { SetProperty(FTrimValues, value); }

 protected:
  void InitControl() override;
  std::string LookupText(const TField& field) override;

 private:
  bool FTrimValues = true;
};

// The look-up part of both look-up controls: the list source, the two field names and the key list that runs
// parallel to the items.
class TKXDBLookup {
 public:
  TDataSource* ListSource() const { return FListSource.Get(); }
  void SetListSource(TDataSource* value) { FListSource = value; }
  const std::string& ListField() const { return FListField; }
  void SetListField(const std::string& value) { FListField = value; }
  const std::string& KeyField() const { return FKeyField; }
  void SetKeyField(const std::string& value) { FKeyField = value; }
  const std::vector<std::string>& Keys() const { return FKeys; }
  // The key of item index, or "" outside the key list.
  std::string KeyAt(int index) const;
  int IndexOfKey(const std::string& key) const;
  // Fills items and keys from the list data set, which is left where it was (bookmark, controls disabled);
  // keyText reads a key field.
  void Fill(TStrings& items, std::string (*keyText)(const TField&));

 private:
  TComponentRef<TDataSource> FListSource;
  std::string FListField;
  std::string FKeyField;
  std::vector<std::string> FKeys;
};

class TKXDBLookupComboBox : public TKXCustomComboBox, public virtual IKXAutoEditableControl {
  KX_COMPONENT_CLASS(TKXDBLookupComboBox, TKXCustomComboBox)

 public:
  KX_DB_BINDING_PROPERTIES
  void SetDataField(const std::string& value) { FBinding.SetDataField(value); Invalidate(); }
  bool AutoEditable() const { return FBinding.AutoEditable(); }
  void SetAutoEditable(bool value) { FBinding.SetAutoEditable(value); }
  TKXDBLookup& Lookup() { return FLookup; }
  // True by default: an empty list renders disabled (for that render only).
  bool DisableWhenEmpty() const { return FDisableWhenEmpty; }
  void SetDisableWhenEmpty(bool value) { SetProperty(FDisableWhenEmpty, value); }
  // Without a bound field: the selected key (none for Null). With one: none without a selection.
  std::optional<std::string> GetKeyValue() const;
  // Selects the item of that key; without a bound field the key is kept for the renders to come.
  void SetKeyValue(const std::optional<std::string>& value);
  // The selected item's key, or "".
  std::string GetSelectedValue() const { return FLookup.KeyAt(ItemIndex()); }

  // Items and keys from the list data set, then the selection from the field or the kept key.
  virtual void CheckData();
  // Ignored while the data set is browsing and the control is not editable; else the field's selection, the
  // parent's, then, when the selection changed, the write step with the selected key, or the field cleared for no
  // selection. A value that names no item writes nothing.
  void SetValue(const std::string& value) override;
  void EditingChanged() override { FBinding.EditingChanged(*this); }
  void DoChange() override {
    if (!FReading) TKXCustomComboBox::DoChange();
  }
  // An empty list: disabled for this render with DisableWhenEmpty, else one selected option -1 with the
  // no-selection text.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 private:
  // A post indexes the items the page showed; a control that has not rendered yet reads them first.
  void FillIfEmpty();

  TKXDBBinding FBinding{this};
  TKXDBLookup FLookup;
  bool FDisableWhenEmpty = true;
  std::optional<std::string> FKeyValue;
  bool FReading = false;
};

class TKXDBLookupListBox : public TKXCustomListbox, public virtual IKXAutoEditableControl {
  KX_COMPONENT_CLASS(TKXDBLookupListBox, TKXCustomListbox)

 public:
  KX_DB_BINDING_PROPERTIES
  void SetDataField(const std::string& value) { FBinding.SetDataField(value); Invalidate(); }
  bool AutoEditable() const { return FBinding.AutoEditable(); }
  void SetAutoEditable(bool value) { FBinding.SetAutoEditable(value); }
  TKXDBLookup& Lookup() { return FLookup; }
  std::string GetSelectedValue() const { return FLookup.KeyAt(ItemIndex()); }

  // As the look-up combo box; the list data set, too, stays where it was.
  virtual void CheckData();
  // As the look-up combo box's, without the browsing check.
  void SetValue(const std::string& value) override;
  void EditingChanged() override { FBinding.EditingChanged(*this); }
  void DoChange() override {
    if (!FReading) TKXCustomListbox::DoChange();
  }
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  void InitControl() override;

 private:
  TKXDBBinding FBinding{this};
  TKXDBLookup FLookup;
  bool FReading = false;
};

}  // namespace kx
