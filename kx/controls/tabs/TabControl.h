// The tab control: a region whose child regions are tab pages. The browser shows a row of tab titles and one page
// at a time, switched by the client script "/js/tabcontrol.js" (JSTabControl). The active page comes back in the
// hidden input NAME_input with the next post, or through the callback NAME.DoOnAsyncChange (parameter "page").
//
// Pages are counted in one index space everywhere: the visible pages ordered by tab order. The client's selected
// index, the hidden input, a posted value and the callback's "page" are positions in that list; ActivePage is the
// tab order of the page at that position.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kx/controls/ControlFamily.h"
#include "kx/controls/regions/Regions.h"

namespace kx {

class TKXTabPage;

// Height of the row of tab titles, in pixels.
inline constexpr int KXTabHeaderHeight = 20;

class TKXTabControl : public TKXCustomRegion,
                      public virtual IKXInputControl40,
                      public virtual IKXSubmitControl {
  KX_COMPONENT_CLASS(TKXTabControl, TKXCustomRegion)

 public:
  // A full submit after the user switched pages.
  TNotifyEvent OnChange;
  // A callback after the user switched pages; ActivePage is already set.
  std::function<void(TObject* sender, TStrings& params)> OnAsyncChange;

  // White and bold, the default family; a change invalidates.
  TKXFont& ActiveTabFont() { return FActiveTabFont; }
  void SetActiveTabFont(const TKXFont& value) { FActiveTabFont.Assign(&value); }
  // #A9A9A9 by default.
  TKXColor ActiveTabColor() const { return FActiveTabColor; }
  void SetActiveTabColor(TKXColor value);
  // Black, the default family.
  TKXFont& InactiveTabFont() { return FInactiveTabFont; }
  void SetInactiveTabFont(const TKXFont& value) { FInactiveTabFont.Assign(&value); }
  // #D3D3D3 by default.
  TKXColor InactiveTabColor() const { return FInactiveTabColor; }
  void SetInactiveTabColor(TKXColor value);
  // The tab order of the page shown, 0 by default. When no visible page has it, the first one is shown.
  std::int32_t ActivePage() const { return FActivePage; }
  void SetActivePage(std::int32_t value);

  // The pages in the order they joined; freed pages are gone.
  std::vector<TKXTabPage*> Pages() const;
  // The visible pages by ascending tab order (equal orders keep their joining order).
  std::vector<TKXTabPage*> VisiblePages() const;
  // The position of the active page among VisiblePages; 0 when none matches.
  int ActiveIndex() const;
  // A new page owned by the control's owner and placed on the control below the titles; name and title are the
  // given ones, or the first free "<control>PageN" and "Page" + its tab order.
  TKXTabPage* CreateNewPage(const std::string& title = std::string(), const std::string& name = std::string());

  // Told by the pages.
  void pageAdded(TKXTabPage* page);
  void pageRemoved(TKXTabPage* page);

  // The region's DIV with the row of titles, the start-up script and the FORM holding NAME_input.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "tab-pane".
  std::string RenderCSSClass(TKXCompContext* context) override;
  // "control" of type "KXTABCONTROL": the region's properties and "activeindex".
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

  // Reads "page" (a position as above; -1 when missing or not a number) and, when it names a visible page,
  // activates it; then OnAsyncChange. Nothing without OnAsyncChange.
  void DoOnAsyncChange(TStrings& params);

  // ---- IKXInputControl40
  // A position among the pages of the last rendering: that page becomes active. A value that is not a number
  // raises EConvertError; a position outside the list changes nothing.
  void SetValue(const std::string& value) override;
  void SetFileValue(const std::string& value) override { (void)value; }
  // Always true; the setter does nothing.
  bool Editable() override { return true; }
  void SetEditable(bool value) override { (void)value; }
  // Always false; the setter does nothing.
  bool NonEditableAsLabel() override { return false; }
  void SetNonEditableAsLabel(bool value) override { (void)value; }
  // HTMLName + "_input".
  void GetInputControlNames(TStrings& list) override;
  bool IsForThisControl(const std::string& name) override;
  // Always true (a callback posts NAME_input too); the setter does nothing.
  bool SubmitOnAsyncEvent() override { return true; }
  void SetSubmitOnAsyncEvent(bool value) override { (void)value; }

  // ---- IKXSubmitControl
  // Stores value, then OnChange.
  void Submit(const std::string& value) override;
  TSubmitProc getSubmitProc() override;
  std::string GetSubmitParam() override { return FSubmitParam; }

 protected:
  // No border, no clipping, silver; the tab fonts and colours.
  void InitControl() override;

 private:
  std::string FSubmitParam;
  TKXFont FActiveTabFont;
  TKXColor FActiveTabColor = 0;
  TKXFont FInactiveTabFont;
  TKXColor FInactiveTabColor = 0;
  std::vector<TComponentRef<TKXTabPage>> FPages;
  std::int32_t FActivePage = 0;
  // The visible pages as last rendered: what a posted position means.
  std::vector<TComponentRef<TKXTabPage>> FRenderedPages;
};

class TKXTabPage : public TKXCustomRegion {
  KX_COMPONENT_CLASS(TKXTabPage, TKXCustomRegion)

 public:
  // "Title" by default; a change invalidates the page and its control.
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& value);
  // The tab control the page lies on; null when none.
  TKXTabControl* TabControl() const;

  // Leaves the old control's page list and joins the new one's.
  void ParentChanging(TWinControl* oldParent, TWinControl* newParent) override;
  // Also invalidates the tab control.
  void Invalidate() override;
  // "tab-page".
  std::string RenderCSSClass(TKXCompContext* context) override;
  // Absolute at its bounds, above the control's own content, with its colour.
  std::string RenderStyle(TKXCompContext* context) override;

 protected:
  // No border, no clipping, white, anchored on all sides.
  void InitControl() override;
  void Dispose() override;

 private:
  std::string FTitle;
};

// Installs the family alone (its script "/js/tabcontrol.js"). After Startup().
void InstallTabs();

// The family's registration (the tab control and its pages), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& TabsFamily();

}  // namespace kx
