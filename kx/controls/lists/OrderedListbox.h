// TKXOrderedListbox lets the user put a list in order in the browser: a SELECT
// with a "Move up" and a "Move down" button beside it (/js/KXOrderedListbox.js).
// The new order and the selection come back in one hidden field, N_VALUE.
#pragma once

#include <cstdint>
#include <string>

#include "kx/controls/labels/Labels.h"
#include "kx/forms/CustomControl.h"

namespace kx {

class TKXOrderedListbox : public TKXControl {
  KX_COMPONENT_CLASS(TKXOrderedListbox, TKXControl)

 public:
  // The caption above the list: "Use the Move up and Move down buttons to sort items." by default.
  const std::string& Caption() const { return Text(); }
  void SetCaption(const std::string& value) { SetText(value); }
  // Pixels; 0 (the default) leaves the buttons their natural width.
  std::int32_t ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(std::int32_t value) { SetProperty(FButtonWidth, value); }
  // "caption=value" entries; the value identifies an entry in posts.
  TStringList& Items() { return FItems; }
  void SetItems(const TStrings& list) { FItems.Assign(&list); }
  // "Move up" and "Move down" by default.
  const std::string& MoveUpCaption() const { return FMoveUpCaption; }
  void SetMoveUpCaption(const std::string& value) { SetProperty(FMoveUpCaption, value); }
  const std::string& MoveDownCaption() const { return FMoveDownCaption; }
  void SetMoveDownCaption(const std::string& value) { SetProperty(FMoveDownCaption, value); }
  TKXFont& ItemsFont() { return FItemsFont; }
  TKXFont& CaptionFont() { return FCaptionFont; }
  TKXFont& ButtonsFont() { return FButtonsFont; }
  // -1 by default; ignored while not below the item count.
  std::int32_t ItemIndex() const { return FItemIndex; }
  void SetItemIndex(std::int32_t value);
  // False by default.
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool value) { FMultiSelect = value; }

  // The caption and value parts of item index.
  std::string ItemCaption(int index) const;
  std::string ItemValue(int index) const;
  // Multiple selection: the entry is among the selected; single: index = ItemIndex.
  bool GetSelected(int index) const;
  void SetSelected(int index, bool value);
  // Selects nothing.
  void ResetSelection();

  // The list holds N + "_VALUE".
  void GetInputControlNames(TStrings& list) override;
  bool IsForThisControl(const std::string& name) override;
  // The entries in their new order, joined by ";", "*" before a selected one:
  // the items take that order and selection. Entries naming no item (or one
  // already taken) are skipped; items not posted keep their order after the
  // posted ones. An empty value changes nothing.
  void SetValue(const std::string& value) override;
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;

 protected:
  // The default caption and button captions.
  void InitControl() override;

 private:
  std::string ButtonStyle();

  std::int32_t FButtonWidth = 0;
  TKXNotifyStringList FItems;
  std::string FMoveUpCaption = "Move up";
  std::string FMoveDownCaption = "Move down";
  TKXFont FItemsFont;
  TKXFont FCaptionFont;
  TKXFont FButtonsFont;
  std::int32_t FItemIndex = -1;
  bool FMultiSelect = false;
  TStringList FSelection;  // whole entry texts
};

}  // namespace kx
