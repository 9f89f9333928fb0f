// A small "people" data set on a form, for the data-aware control tests.
#pragma once

#include "kx/controls/dbcontrols/DBListCtrls.h"
#include "kx/controls/dbcontrols/DBStdCtrls.h"
#include "kx/data/MemDataSet.h"
#include "support/TestForms.h"

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

// A list of three cities (key, name) for the look-up controls, bound to the people's "id" field.
template <class T>
T* LookupControl(TFormFixture& f, bool withItems = true) {
  auto* cities = f.Add<TMemDataSet>("Cities", f.Form);
  cities->AddField("key", ftInteger);
  cities->AddField("name", ftString);
  cities->Open();
  if (withItems)
    for (const char* key : {"1", "2", "3"}) cities->AddRecord({key, std::string("City ") + key});
  cities->Refresh();
  auto* source = f.Add<TDataSource>("CitiesSource", f.Form);
  source->SetDataSet(cities);
  auto* control = BoundControl<T>(f, "Lookup1", "id");
  PeopleSource(f)->DataSet()->FieldByName("id").SetReadOnly(false);
  control->Lookup().SetListSource(source);
  control->Lookup().SetListField("name");
  control->Lookup().SetKeyField("key");
  return control;
}

}  // namespace kx::test
