// What the data-aware controls share: the look-ups of a data source's field, the link that re-renders a control
// when its data changes, the error of a write into a data set that is not editing, and the binding (data source,
// field name, AutoEditable, link) every data-aware control holds.
#pragma once

#include <functional>
#include <string>

#include "kx/data/DataSets.h"
#include "kx/forms/CustomControl.h"

namespace kx {

// The data set is in edit or insert state.
bool InEditMode(const TDataSet& dataSet);
// The text a control shows and compares: a blob without OnGetText gives AsString, any other field its Text.
std::string GetFieldText(const TField& field);
// The data source is given and has an open data set.
bool CheckDataSource(const TDataSource* dataSource);
// As above, and the field name is not empty: field becomes FieldByName (which raises for an unknown name).
// Otherwise false, field untouched.
bool CheckDataSource(const TDataSource* dataSource, const std::string& fieldName, TField*& field);
// FindField of the data source's data set (open or not), or null.
TField* GetDataSourceField(const TDataSource* dataSource, const std::string& fieldName);
// The field's CanModify; false when there is no such field.
bool FieldIsEditable(const TDataSource* dataSource, const std::string& fieldName);

// A write into a data set that is neither editing nor inserting.
class EKXDataSetNotEditingError : public Exception {
 public:
  // SNotEditing, and with a data source that has a data set: ". " and RSDataSetNotEditing with both names.
  explicit EKXDataSetNotEditingError(const TDataSource* dataSource);
};

// The link of a data-aware control: data changes mark the control for re-rendering; editing and layout changes
// also let an auto-editable control follow the data set's state. The control owns the link.
class TKXDataLink : public TDataLink {
 public:
  explicit TKXDataLink(TKXCustomControl* control) : FControl(control) {}
  TKXCustomControl* Control() const { return FControl; }
  // EditingChanged of an IKXAutoEditableControl, then Invalidate.
  void UpdateEditable();

 protected:
  // Field, data set and scroll changes and the check before a post invalidate the control.
  void DataEvent(TDataEvent event, std::intptr_t info) override;
  void ActiveChanged() override;
  void EditingChanged() override { UpdateEditable(); }
  void LayoutChanged() override { UpdateEditable(); }

 private:
  TKXCustomControl* FControl;
};

// The data side of one data-aware control. The field is never cached: every render and post looks it up by name.
class TKXDBBinding {
 public:
  explicit TKXDBBinding(TKXCustomControl* control) : FLink(control) {}

  // Not owned; cleared when it is freed.
  TDataSource* DataSource() const { return FDataSource.Get(); }
  void SetDataSource(TDataSource* value);
  const std::string& DataField() const { return FDataField; }
  void SetDataField(const std::string& value) { FDataField = value; }
  // False by default: with it the control's Editable follows EditableNow when the data set's state changes.
  bool AutoEditable() const { return FAutoEditable; }
  void SetAutoEditable(bool value) { FAutoEditable = value; }
  TKXDataLink& Link() { return FLink; }

  // The bound field (the three-argument CheckDataSource), or null.
  TField* Field() const;
  // The data source is open, editing, and the field can be modified.
  bool EditableNow() const;
  // Sets Editable from EditableNow when AutoEditable is on.
  void EditingChanged(TKXCustomControl& control) const;
  // The write step: nothing (and no error) when the field cannot be modified; else Edit of the data source when
  // the control is editable, EKXDataSetNotEditingError unless the data set then edits or inserts, and store.
  void Write(bool editable, TField& field, const std::function<void(TField&)>& store) const;

 private:
  TComponentRef<TDataSource> FDataSource;
  std::string FDataField;
  bool FAutoEditable = false;
  TKXDataLink FLink;
};

}  // namespace kx
