#include "kx/controls/dbcontrols/DBCommon.h"

#include "kx/foundation/KXMessages.h"
#include "kx/platform/SysUtils.h"

namespace kx {

bool InEditMode(const TDataSet& dataSet) { return dataSet.State() == dsEdit || dataSet.State() == dsInsert; }

std::string GetFieldText(const TField& field) {
  return field.IsBlob() && !field.OnGetText ? field.AsString() : field.Text();
}

bool CheckDataSource(const TDataSource* dataSource) {
  return dataSource && dataSource->DataSet() && dataSource->DataSet()->Active();
}

bool CheckDataSource(const TDataSource* dataSource, const std::string& fieldName, TField*& field) {
  if (!CheckDataSource(dataSource) || fieldName.empty()) return false;
  field = &dataSource->DataSet()->FieldByName(fieldName);
  return true;
}

TField* GetDataSourceField(const TDataSource* dataSource, const std::string& fieldName) {
  if (!dataSource || !dataSource->DataSet()) return nullptr;
  return dataSource->DataSet()->FindField(fieldName);
}

bool FieldIsEditable(const TDataSource* dataSource, const std::string& fieldName) {
  const TField* field = GetDataSourceField(dataSource, fieldName);
  return field && field->CanModify();
}

namespace {

std::string NotEditingMessage(const TDataSource* dataSource) {
  std::string message = SNotEditing;
  if (*RSDataSetNotEditing && dataSource && dataSource->DataSet())
    message += ". " + Format(RSDataSetNotEditing, dataSource->Name(), dataSource->DataSet()->Name());
  return message;
}

}  // namespace

EKXDataSetNotEditingError::EKXDataSetNotEditingError(const TDataSource* dataSource)
    : Exception(NotEditingMessage(dataSource)) {}

// ---------------------------------------------------------------------------
// TKXDataLink

void TKXDataLink::UpdateEditable() {
  if (!FControl) return;
  if (IKXAutoEditableControl* control = AutoEditableControlInterface(FControl)) control->EditingChanged();
  FControl->Invalidate();
}

void TKXDataLink::DataEvent(TDataEvent event, std::intptr_t info) {
  TDataLink::DataEvent(event, info);
  // A scroll changes the record shown as much as a data-set change does, so it re-renders the control too.
  if (FControl && (event == deFieldChange || event == deDataSetChange || event == deDataSetScroll ||
                   event == deCheckBrowseMode))
    FControl->Invalidate();
}

void TKXDataLink::ActiveChanged() {
  TDataLink::ActiveChanged();
  if (FControl) FControl->Invalidate();
}

// ---------------------------------------------------------------------------
// TKXDBBinding

void TKXDBBinding::SetDataSource(TDataSource* value) {
  FDataSource = value;
  FLink.SetDataSource(FDataSource.Get());
}

TField* TKXDBBinding::Field() const {
  TField* field = nullptr;
  return CheckDataSource(DataSource(), FDataField, field) ? field : nullptr;
}

bool TKXDBBinding::EditableNow() const {
  return CheckDataSource(DataSource()) && InEditMode(*DataSource()->DataSet()) &&
         FieldIsEditable(DataSource(), FDataField);
}

void TKXDBBinding::EditingChanged(TKXCustomControl& control) const {
  if (FAutoEditable) control.SetEditable(EditableNow());
}

void TKXDBBinding::Write(bool editable, TField& field, const std::function<void(TField&)>& store) const {
  // A field that cannot be modified (read-only, or in a read-only data set) is not written and raises nothing:
  // checked first, so that such a post does not put the data set into edit state either.
  if (!field.CanModify()) return;
  TDataSource* source = DataSource();
  if (editable) source->Edit();
  if (!InEditMode(*source->DataSet())) throw EKXDataSetNotEditingError(source);
  store(field);
}

}  // namespace kx
