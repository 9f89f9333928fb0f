// The selection controls: TKXComboBox (a SELECT of size 1, or a scripted
// drop-down of positioned elements) and TKXListbox (a SELECT list with single
// or multiple selection), on TKXCustomListCombo, which owns the items, the
// selected index, the "no selection" entry, the validation and the change
// event. TComboStringList keeps a list box's selection in step with its items.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "kx/appserver/FileReference.h"
#include "kx/controls/ControlFamily.h"
#include "kx/controls/labels/Labels.h"
#include "kx/forms/CustomControl.h"

namespace kx {

class TKXCustomListCombo;

// The items of a list or combo box: tells its owner of inserts, deletes and
// exchanges so that a list box's selection follows its items.
class TComboStringList : public TKXNotifyStringList {
 public:
  explicit TComboStringList(TKXCustomListCombo* owner) : FOwner(owner) {}

  void Delete(int index) override;
  void Exchange(int index1, int index2) override;
  // Sorts by moving items with Exchange, so that selection follows them (only
  // when the list is not sorted and holds more than one item).
  void ExchangeSort();

 protected:
  void InsertItem(int index, const std::string& s, TObject* object) override;

 private:
  TKXCustomListCombo* FOwner;
};

class TKXCustomListCombo : public TKXControl {
  KX_COMPONENT_CLASS(TKXCustomListCombo, TKXControl)

 public:
  // False by default: sent to the client object as "AutoHide".
  bool AutoHideOnMenuActivation() const { return FAutoHideOnMenuActivation; }
  void SetAutoHideOnMenuActivation(bool value) { FAutoHideOnMenuActivation = value; }
  // Created on first use (InitItems); a change marks the control for refresh.
  TComboStringList& Items();
  // Copies list; a list shorter than the items (or empty) selects nothing first.
  void SetItems(const TStrings& list);
  // Whether the items are kept sorted; setting it sorts them (selection follows) and invalidates.
  bool Sorted();
  void SetSorted(bool value);
  // clNone by default; a change invalidates.
  TKXColor BGColor() const { return FBGColor; }
  void SetBGColor(TKXColor value);
  // -1 (nothing) by default. Ignored while not below the item count; any
  // value below -1 is taken as -1. A change during a callback fires OnChange.
  std::int32_t ItemIndex() const { return FItemIndex; }
  virtual void SetItemIndex(std::int32_t value);
  // False by default: each item is "caption=value" (split at the first "=").
  bool ItemsHaveValues() const { return FItemsHaveValues; }
  void SetItemsHaveValues(bool value);
  // True by default: once something is selected the no-selection entry is not offered.
  bool RequireSelection() const { return FRequireSelection; }
  virtual void SetRequireSelection(bool value);
  // "-- No Selection --" by default.
  const std::string& NoSelectionText() const { return FNoSelectionText; }
  void SetNoSelectionText(const std::string& value);
  // True by default; also sets RenderSize.
  bool UseSize() const { return FUseSize; }
  void SetUseSize(bool value);
  // False by default: with it "nothing selected" stops the page's submit (a check in the browser only).
  bool Required() const { return FRequired; }
  void SetRequired(bool value) { SetProperty(FRequired, value); }
  // The background while the control has the focus; clNone (none) by default.
  TKXColor FocusColor() const { return FFocusColor; }
  void SetFocusColor(TKXColor value) { SetProperty(FFocusColor, value); }
  TNotifyEvent OnChange;

  // The caption and the value of item index (the value is the item's text without ItemsHaveValues).
  std::string ItemCaption(int index);
  std::string ItemValue(int index);
  // The value (or text) of the selected item; empty when nothing is selected.
  std::string GetSelectedValue();
  // The caption of the selected item; NoSelectionText when nothing is selected.
  std::string GetSelectedText();
  // Selects nothing, then empties the items.
  void Clear();
  // Calls OnChange.
  virtual void DoChange();

  bool ShouldRenderTabOrder() const override;
  // Whether the change handler is written into the SELECT itself instead of being hooked; false here.
  virtual bool RenderOnChangeIntoTag(const std::string& userAgent);
  // The base's, then the submit on "OnChange" and the focus colour's "OnFocus"/"OnBlur".
  void HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) override;
  // The base's, then the client property AutoHide.
  void RenderScripts(TKXCompContext* context) override;
  std::string RenderStyle(TKXCompContext* context) override;

 protected:
  // Creates the items; a data-aware descendant may create its own kind.
  virtual void InitItems();
  // The items changed: the control shows them anew.
  virtual void ItemsChanged();
  // TComboStringList's notifications (a list box moves its selection).
  virtual void ItemInserted(int index) { (void)index; }
  virtual void ItemDeleted(int index);
  virtual void ItemsExchanged(int index1, int index2) { (void)index1, (void)index2; }
  // Whether item index is selected (single selection: index = ItemIndex).
  virtual bool IsItemSelected(int index) { return index == FItemIndex; }
  // Whether the no-selection entry is offered (page and update).
  virtual bool ShowsNoSelection();
  // The index whose value part is value; -1 when none.
  int IndexOfValue(const std::string& value);
  // What a posted entry names: the item of that index, or -1 (no selection); nullopt for any other index.
  std::optional<int> ItemAt(int index);
  // What a posted entry names: the first item of that value part, else -1 (no selection) for "-1"; nullopt for
  // any other text.
  std::optional<int> ItemOfValue(const std::string& value);
  // The SELECT of the page (combo box stNormal, list box): size, multiple and onChange are the caller's.
  TKXElementPtr<TKXHTMLTag> RenderSelect(TKXCompContext* context, int size, bool multiple);
  // A list box's "select_type" child of its update; nothing here.
  virtual void RenderAsyncSelectType(TKXXMLTag* tag) { (void)tag; }
  // "control" of type, its "items" and the common properties; the enabled state goes as a script.
  TKXElementPtr<TKXXMLTag> RenderItemsAsync(TKXCompContext* context, const std::string& type);
  // A label showing the selected caption (not editable and NonEditableAsLabel); owned by the caller.
  TOwnedComponent<TKXLabel> CreateInnerLabel();
  // Brings label in line with the control: name, colour, CSS class, style options, font, hint, align, bounds,
  // visibility, z-index and the caption, its spaces converted as the items' are. A callback update places the
  // element by the label's left and top.
  void UpdateInnerLabel(TKXLabel& label);
  // What that label shows: the selected caption here.
  virtual std::string InnerLabelCaption();
  bool ShownAsLabel() { return !Editable() && NonEditableAsLabel(); }

 private:
  friend class TComboStringList;

  bool FAutoHideOnMenuActivation = false;
  std::unique_ptr<TComboStringList> FItems;
  TKXColor FBGColor = clNone;
  std::int32_t FItemIndex = -1;
  bool FItemsHaveValues = false;
  bool FRequireSelection = true;
  std::string FNoSelectionText = "-- No Selection --";
  bool FUseSize = true;
  bool FRequired = false;
  TKXColor FFocusColor = clNone;
  std::int32_t FBorderWidth = 1;  // pixels, the inset border
};

// ---------------------------------------------------------------------------

// Scoped: the check box's styles share the name stNormal.
enum class TKXCustomComboBoxStyle : std::uint8_t { stNormal, stEnhanced };

class TKXCustomComboBox : public TKXCustomListCombo {
  KX_COMPONENT_CLASS(TKXCustomComboBox, TKXCustomListCombo)

 public:
  // stNormal (a SELECT) by default; stEnhanced draws a scripted drop-down.
  TKXCustomComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TKXCustomComboBoxStyle value) { SetProperty(FStyle, value); }
  // The drop-down button's colour (stEnhanced); clBtnFace by default.
  TKXColor ButtonColor() const { return FButtonColor; }
  void SetButtonColor(TKXColor value) { SetProperty(FButtonColor, value); }
  // The drop-down button's image (stEnhanced); empty: the library's arrow.
  TKXFileReference& ButtonImage() { return FButtonImage; }

  // Tells the parent, then selects the posted item: by value part with
  // ItemsHaveValues, else (and always for stEnhanced, whose field holds the
  // index) by the integer before the first ","; -1 selects nothing. A value
  // that names no item (a forged post) leaves the selection as it is.
  void SetValue(const std::string& value) override;
  // Stores value, then DoChange.
  void Submit(const std::string& value) override;
  // True for Internet Explorer on a Mac.
  bool RenderOnChangeIntoTag(const std::string& userAgent) override;
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXCOMBOBOX" (or the label's update when shown as one).
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  // 121 x 21, submits with asynchronous events, needs the form tag, may take the focus.
  void InitControl() override;

 private:
  // The item a posted value names (-1: no selection); nullopt when it names none.
  std::optional<int> PostedItem(const std::string& value);
  TKXElementPtr<TKXHTMLTag> RenderEnhanced(TKXCompContext* context);
  std::string EnhancedScript();
  std::string ButtonImageURL();
  // The kept label, brought in line with the control (UpdateInnerLabel).
  TKXLabel& InnerLabel();

  TKXCustomComboBoxStyle FStyle = TKXCustomComboBoxStyle::stNormal;
  TKXColor FButtonColor = clBtnFace;
  TKXFileReference FButtonImage;
  TOwnedComponent<TKXLabel> FInnerLabel;  // shown when not editable and NonEditableAsLabel; made on first use
};

class TKXComboBox : public TKXCustomComboBox {
  KX_COMPONENT_CLASS(TKXComboBox, TKXCustomComboBox)
};

// ---------------------------------------------------------------------------

class TKXCustomListbox : public TKXCustomListCombo {
  KX_COMPONENT_CLASS(TKXCustomListbox, TKXCustomListCombo)

 public:
  // False by default; setting it clears RequireSelection.
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool value);
  // Stored only.
  std::int32_t MaxItems() const { return FMaxItems; }
  void SetMaxItems(std::int32_t value) { FMaxItems = value; }
  TNotifyEvent OnDblClick;

  // Single selection: index = ItemIndex; multiple: index is among the selected.
  bool GetSelected(int index);
  // Multiple selection: selects or deselects index (inside the items); a change invalidates.
  void SetSelected(int index, bool value);
  void ResetSelection();
  // The shared one; in multi-select mode ItemIndex is then selected too.
  void SetItemIndex(std::int32_t value) override;

  // A comma-separated list: the first entry sets ItemIndex, in multi-select
  // mode every entry selects its item; "" and "-1" select nothing. An entry
  // that is not a number (items without values) raises EConvertError; a list
  // with an entry that names no item (a forged post) changes nothing.
  void SetValue(const std::string& value) override;
  // Stores value, DoChange, then OnDblClick ("DblClick") or the click.
  void Submit(const std::string& value) override;
  void HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) override;
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXLISTBOX" with its select type and items (or the label's update when shown as one).
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

 protected:
  // 121 x 121, needs the form tag, may take the focus.
  void InitControl() override;
  void ItemInserted(int index) override;
  void ItemDeleted(int index) override;
  void ItemsExchanged(int index1, int index2) override;
  bool IsItemSelected(int index) override { return GetSelected(index); }
  // Also needs a NoSelectionText, single selection and items.
  bool ShowsNoSelection() override;
  void RenderAsyncSelectType(TKXXMLTag* tag) override;
  // The selected item's value part (its text without ItemsHaveValues).
  std::string InnerLabelCaption() override;

 private:
  // The items a posted list names, the first entry first (-1: no selection); nullopt when an entry names no item.
  std::optional<std::vector<int>> PostedItems(const std::string& value);

  bool FMultiSelect = false;
  std::set<int> FSelection;
  std::int32_t FMaxItems = 0;
};

class TKXListbox : public TKXCustomListbox {
  KX_COMPONENT_CLASS(TKXListbox, TKXCustomListbox)

 public:
  // Setting it clears MultiSelect.
  void SetRequireSelection(bool value) override;
};

// The family's registration (list, combo and ordered list boxes), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& ListsFamily();

}  // namespace kx
