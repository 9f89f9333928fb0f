// A small "people" data set on a form, for the data-aware control tests.
#pragma once

#include "kx/controls/dbcontrols/DBStdCtrls.h"
#include "kx/data/MemDataSet.h"
#include "unit/forms/TestForms.h"

namespace kx::test {

// People with name, born (a date), notes (a memo), id (read-only), active (a boolean) and city, one record: Ada.
// Its source is "PeopleSource".
inline TDataSource* PeopleSource(TFormFixture& f) {
  if (auto* source = dynamic_cast<TDataSource*>(f.Form->FindComponent("PeopleSource"))) return source;
  auto* people = f.Add<TMemDataSet>("People", f.Form);
  people->AddField("name", ftString);
  people->AddField("born", ftDate);
  people->AddField("notes", ftMemo);
  people->AddField("id", ftInteger);
  people->AddField("active", ftBoolean);
  people->AddField("city", ftString);
  people->Open();
  people->AddRecord({"Ada", "1815-12-10", "line 1\r\nline 2", "1", "TRUE", " london "});
  people->Refresh();
  people->FieldByName("id").SetReadOnly(true);
  auto* source = f.Add<TDataSource>("PeopleSource", f.Form);
  source->SetDataSet(people);
  return source;
}

template <class T>
T* BoundControl(TFormFixture& f, const char* name, const char* field) {
  auto* control = f.Add<T>(name, f.Form);
  control->SetDataSource(PeopleSource(f));
  control->SetDataField(field);
  return control;
}

// Writes text into the control's field and posts it (the way another part of the program changes the record).
template <class T>
void StoreField(TKXCustomControl& control, const std::string& text) {
  auto& bound = static_cast<T&>(control);
  TDataSet* data = bound.DataSource()->DataSet();
  data->Edit();
  data->FieldByName(bound.DataField()).SetText(text);
  data->Post();
}

// The text of the control's field.
template <class T>
std::string FieldText(TKXCustomControl& control) {
  auto& bound = static_cast<T&>(control);
  return bound.DataSource()->DataSet()->FieldByName(bound.DataField()).Text();
}

}  // namespace kx::test
