// The data image, which shows a picture stored in a blob field, and the data radio group, which checks the item
// whose value equals a field's text and writes the chosen value back. Both read their field before every page
// and callback render and then render as the controls they derive from.
//
//   auto* photo = TComponent::Create<TKXDBImage>(this);
//   photo->SetDataSource(customersSource);
//   photo->SetDataField("picture");
#pragma once

#include <optional>
#include <string>

#include "kx/controls/checks/Checks.h"
#include "kx/controls/dbcontrols/DBCommon.h"
#include "kx/controls/images/Images.h"

namespace kx {

// The link of a data image: as a data-aware control's.
class TKXImageDataLink : public TKXDataLink {
 public:
  using TKXDataLink::TKXDataLink;
  // Loading the picture when the data set opens is for the form designer; at run time the image loads it
  // before rendering.
  void CheckAndUpdateImage() {}

 protected:
  void ActiveChanged() override {
    CheckAndUpdateImage();
    TKXDataLink::ActiveChanged();
  }
};

class TKXDBImage : public TKXDynamicImage {
  KX_COMPONENT_CLASS(TKXDBImage, TKXDynamicImage)

 public:
  // Not owned; cleared when it is freed.
  TDataSource* DataSource() const { return FDataSource.Get(); }
  void SetDataSource(TDataSource* value);
  const std::string& DataField() const { return FDataField; }
  void SetDataField(const std::string& value);

  // The picture from the blob: JPEG, PNG, GIF or bitmap, told by the first bytes. An unbound or non-blob field,
  // a null or too short blob, or bytes that are no picture leave the picture empty: a broken picture in one
  // record must not fail the whole page.
  virtual void CheckData();
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 private:
  TComponentRef<TDataSource> FDataSource;
  std::string FDataField;
  TKXImageDataLink FLink{this};
  // The bytes the picture was loaded from: the same blob again keeps the picture and its cache file.
  std::optional<std::string> FLoadedBytes;
};

class TKXDBRadioGroup : public TKXCustomRadioGroup, public virtual IKXAutoEditableControl {
  KX_COMPONENT_CLASS(TKXDBRadioGroup, TKXCustomRadioGroup)

 public:
  TDataSource* DataSource() const { return FBinding.DataSource(); }
  void SetDataSource(TDataSource* value) {
    FBinding.SetDataSource(value);
    Invalidate();
  }
  const std::string& DataField() const { return FBinding.DataField(); }
  void SetDataField(const std::string& value) {
    FBinding.SetDataField(value);
    Invalidate();
  }
  // Line i is the value of item i; empty, the items' captions are the values.
  TStringList& Values() { return FValues; }
  void SetValues(const TStrings& value) { FValues.Assign(&value); Invalidate(); }
  // True by default: the field's text is trimmed before it is looked up.
  bool TrimValues() const { return FTrimValues; }
  void SetTrimValues(bool value) { SetProperty(FTrimValues, value); }
  // False by default: Editable follows the data set's state.
  bool AutoEditable() const { return FBinding.AutoEditable(); }
  void SetAutoEditable(bool value) { FBinding.SetAutoEditable(value); }

  // ItemIndex from the field: the line of Values equal to its text (ignoring case), else the item with that
  // caption; -1 when unbound.
  virtual void CheckData();
  // The chosen value (empty when nothing is chosen) goes into the field when it differs, then OnClick.
  void ValueChanged() override;
  void EditingChanged() override { FBinding.EditingChanged(*this); }
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  void InitControl() override;

 private:
  TKXDBBinding FBinding{this};
  TStringList FValues;
  bool FTrimValues = true;
};

}  // namespace kx
