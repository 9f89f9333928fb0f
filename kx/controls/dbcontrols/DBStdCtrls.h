// The data-aware standard controls: each shows one field of the current record of a data source and renders
// exactly as the control it derives from. CheckData reads the field before every page and callback render; a
// posted value that differs from what the control showed is written into the field (TKXDBBinding::Write).
//
//   auto* name = TComponent::Create<TKXDBEdit>(this);
//   name->SetParent(this);
//   name->SetDataSource(customersSource);
//   name->SetDataField("name");
#pragma once

#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/controls/dbcontrols/DBCommon.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/labels/Labels.h"

namespace kx {

// The properties every data-aware control publishes, forwarded to its binding.
#define KX_DB_BINDING_PROPERTIES                                                             \
  TDataSource* DataSource() const { return FBinding.DataSource(); }                          \
  void SetDataSource(TDataSource* value) {                                                    \
    FBinding.SetDataSource(value);                                                            \
    Invalidate();                                                                             \
  }                                                                                           \
  const std::string& DataField() const { return FBinding.DataField(); }                      \
  TKXDBBinding& Binding() { return FBinding; }

class TKXDBEdit : public TKXCustomEdit, public virtual IKXAutoEditableControl {
  KX_COMPONENT_CLASS(TKXDBEdit, TKXCustomEdit)

 public:
  KX_DB_BINDING_PROPERTIES
  // Nothing when equal ignoring case; a string field's Size becomes MaxLength.
  void SetDataField(const std::string& value);
  bool AutoEditable() const { return FBinding.AutoEditable(); }
  void SetAutoEditable(bool value) { FBinding.SetAutoEditable(value); }

  // Text from the field: unbound empty; a date or time field shows its DisplayText while editable, other fields
  // GetFieldText; DisplayText while not editable.
  virtual void CheckData();
  // The parent's SetValue, then the write step when the text differs from what CheckData shows.
  void SetValue(const std::string& value) override;
  void EditingChanged() override { FBinding.EditingChanged(*this); }
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 private:
  // The text CheckData shows for field.
  std::string ShownText(const TField& field);

  TKXDBBinding FBinding{this};
};

class TKXDBLabel : public TKXCustomLabel {
  KX_COMPONENT_CLASS(TKXDBLabel, TKXCustomLabel)

 public:
  KX_DB_BINDING_PROPERTIES
  void SetDataField(const std::string& value) { FBinding.SetDataField(value); Invalidate(); }

  // The caption: the field's DisplayText, empty when unbound.
  virtual void CheckData();
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 private:
  TKXDBBinding FBinding{this};
};

class TKXDBText : public TKXCustomText {
  KX_COMPONENT_CLASS(TKXDBText, TKXCustomText)

 public:
  KX_DB_BINDING_PROPERTIES
  void SetDataField(const std::string& value) { FBinding.SetDataField(value); Invalidate(); }

  // The lines: DisplayText of a date or time field, GetFieldText of the others; cleared when unbound.
  virtual void CheckData();
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 private:
  TKXDBBinding FBinding{this};
};

class TKXDBMemo : public TKXCustomMemo, public virtual IKXAutoEditableControl {
  KX_COMPONENT_CLASS(TKXDBMemo, TKXCustomMemo)

 public:
  KX_DB_BINDING_PROPERTIES
  void SetDataField(const std::string& value) { FBinding.SetDataField(value); Invalidate(); }
  bool AutoEditable() const { return FBinding.AutoEditable(); }
  void SetAutoEditable(bool value) { FBinding.SetAutoEditable(value); }

  // Always takes posted values, whatever Editable says (the write step checks the data set).
  bool SupportsInput() override { return true; }
  // The lines from GetFieldText; the ends-with-line-break flag tells whether the field text ends with one.
  virtual void CheckData();
  // The parent's SetValue, then the write step when the posted text differs from the field's.
  void SetValue(const std::string& value) override;
  void EditingChanged() override { FBinding.EditingChanged(*this); }
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 private:
  // The text as the browser holds it: the lines' text less the line break they add when it had none.
  std::string PostedText();

  TKXDBBinding FBinding{this};
};

// The family's registration, listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& DBControlsFamily();

}  // namespace kx
