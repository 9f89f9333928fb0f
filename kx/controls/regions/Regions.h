// Regions and borders. A region is a container drawn as one positioned DIV
// with its own border, background, scroll bars, hint and z-index, whose
// children a layout manager places inside it; a region aligned to an edge of
// its parent may carry a splitter the user drags, whose new position and size
// come back with the next post. TKXContainerBorderOptions describes the border
// and background of a region (and the frame drawn around a control with
// UseFrame); TKXBorderOptions is the plain border of a single control.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/forms/Containers.h"
#include "kx/forms/ControlInterfaces.h"
#include "kx/forms/CustomControl.h"
#include "kx/forms/RenderContexts.h"
#include "kx/foundation/Markup.h"

namespace kx {

enum TKXContainerBorderStyle : std::uint8_t {
  cbsNone,
  cbsHidden,
  cbsDotted,
  cbsDashed,
  cbsSolid,
  cbsDouble,
  cbsGroove,
  cbsRidge,
  cbsInset,
  cbsOutset
};
enum TKXContainerBorderWidth : std::uint8_t { cbwThin, cbwMedium, cbwThick, cbwNumeric };

// A DIV that wraps the tag of a control (or nothing, for a region).
class TKXFrameHTMLTag : public TKXHTMLTag {
 public:
  // A DIV holding content as its child; content may be null.
  static TKXElementPtr<TKXFrameHTMLTag> Create(TKXElementPtr<TKXMarkupLanguageTag> content);

  // The wrapped tag while the frame still holds it; null otherwise (and in a copy).
  TKXMarkupLanguageTag* EmbededTag();

  TKXTagClass TagClass() const override;

 protected:
  TKXFrameHTMLTag(const std::string& tag, TKXMarkupLanguageElement* parent);

 private:
  TKXMarkupLanguageTag* FEmbededTag = nullptr;
};

// The border, background and scroll bars of a region or of the frame of a control.
class TKXContainerBorderOptions : public TPersistent {
 public:
  // control: the control the options belong to (not owned; it owns the options).
  explicit TKXContainerBorderOptions(TControl* control = nullptr);
  TKXContainerBorderOptions(std::int32_t numericWidth, TKXContainerBorderWidth borderWidth,
                            TKXContainerBorderStyle style, TKXColor color);
  TKXContainerBorderOptions(const TKXContainerBorderOptions&) = delete;
  TKXContainerBorderOptions& operator=(const TKXContainerBorderOptions&) = delete;

  // Every setter calls OnChange when the value changes.
  // The width in pixels for cbwNumeric; 0 by default.
  std::int32_t NumericWidth() const { return FNumericWidth; }
  void SetNumericWidth(std::int32_t value);
  // cbwThin by default.
  TKXContainerBorderWidth BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(TKXContainerBorderWidth value);
  // cbsNone by default.
  TKXContainerBorderStyle Style() const { return FStyle; }
  void SetStyle(TKXContainerBorderStyle value);
  // 0 (black) by default; clNone writes no border colour.
  TKXColor Color() const { return FColor; }
  void SetColor(TKXColor value);
  // What InitalizeForRendering stored: clNone and both scroll bars on by default.
  TKXColor BGColor() const { return FBGColor; }
  bool HorizScrollBar() const { return FHorizScrollBar; }
  bool VertScrollBar() const { return FVertScrollBar; }
  TControl* Control() const { return FControl; }

  TNotifyEvent OnChange;

  // 0 without a border (style none or hidden, or a control whose style render
  // options leave borders out); else 1, 3 and 5 for thin, medium and thick, or NumericWidth.
  int GetPixelWidth() const;
  // Stores the background colour and scroll bars of the next render.
  void InitalizeForRendering(TKXColor bgColor, bool horizScrollBar, bool vertScrollBar);
  // RenderFrameStyle with the clip flag of the options' control (else of the context's component).
  std::string RenderStyle(TKXCompContext* context) const;
  // The border (or "border-width: 0;"), with clip the overflow of each scroll
  // bar, the background colour, and "padding: 0; ".
  std::string RenderFrameStyle(bool clip) const;
  // A frame DIV holding content (may be null), whose style becomes the web font
  // of control. The options take control as theirs when they have none.
  TKXElementPtr<TKXFrameHTMLTag> CreateFrame(TKXElementPtr<TKXMarkupLanguageTag> content,
                                             TKXPageContext40* pageContext, TControl* control);
  // The frame of a control with UseFrame: an inset border of USE_FRAME_WIDTH pixels.
  static TKXElementPtr<TKXFrameHTMLTag> CreateDefaultFrame(TKXElementPtr<TKXMarkupLanguageTag> content,
                                                           TKXPageContext40* pageContext, TControl* control);

 protected:
  // Copies the values (not the control or the change event) into another TKXContainerBorderOptions.
  void AssignTo(TPersistent* dest) const override;
  void DoChange();

 private:
  TKXColor FBGColor = clNone;
  bool FHorizScrollBar = true;
  bool FVertScrollBar = true;
  TKXContainerBorderStyle FStyle = cbsNone;
  TKXColor FColor = 0;
  TControl* FControl = nullptr;
  TKXContainerBorderWidth FBorderWidth = cbwThin;
  std::int32_t FNumericWidth = 0;
};

// The solid border of a single control.
class TKXBorderOptions : public TPersistent {
 public:
  // control: the control invalidated on a change (not owned; may be null).
  explicit TKXBorderOptions(TControl* control = nullptr) : FControl(control) {}
  TKXBorderOptions(TKXColor color, std::int32_t width) : FColor(color), FWidth(width) {}
  TKXBorderOptions(const TKXBorderOptions&) = delete;
  TKXBorderOptions& operator=(const TKXBorderOptions&) = delete;

  // clNone (no border colour) by default; a change calls DoChange.
  TKXColor Color() const { return FColor; }
  void SetColor(TKXColor value);
  // In pixels, 0 by default; a change calls DoChange.
  std::int32_t Width() const { return FWidth; }
  void SetWidth(std::int32_t value);
  TControl* Control() const { return FControl; }

  TNotifyEvent OnChange;

  // "border-width: Wpx; border-style: solid; " and, with a colour, "border-color: #RRGGBB; ".
  std::string RenderStyle() const;

 protected:
  // Copies the colour and the width into another TKXBorderOptions.
  void AssignTo(TPersistent* dest) const override;
  // OnChange, then the control's Invalidate unless it is loading.
  void DoChange();

 private:
  TKXColor FColor = clNone;
  TControl* FControl = nullptr;
  std::int32_t FWidth = 0;
};

// ---------------------------------------------------------------------------

// The members of the control interfaces that a control answers alike come from
// TKXForwardToImplementation (forms/CustomControl.h).
class TKXCustomRegion : public TKXForwardToImplementation<TKXHTML40Container>, public virtual IKXRegion {
  KX_COMPONENT_CLASS(TKXCustomRegion, TKXHTML40Container)

 public:
  // Runs once after loading, not in design mode.
  TNotifyEvent OnCreate;

  // Owned: a solid numeric 1-pixel border without colour by default. A change
  // keeps the children inside the border, realigns and invalidates.
  TKXContainerBorderOptions& BorderOptions() { return FBorderOptions; }
  void SetBorderOptions(const TKXContainerBorderOptions& value);
  // The background colour; clNone by default. A change invalidates.
  TKXColor WebColor() override { return TKXBaseContainer::WebColor(); }
  void SetWebColor(TKXColor value) override;
  TKXColor Color() { return WebColor(); }
  void SetColor(TKXColor value) { SetWebColor(value); }
  // Whether the region scrolls its content (with Clip on); both true by default. A change invalidates.
  bool HorizScrollBar() const { return FHorizScrollBar; }
  void SetHorizScrollBar(bool value);
  bool VertScrollBar() const { return FVertScrollBar; }
  void SetVertScrollBar(bool value);
  // The Clip flag, on by default: the region clips (or scrolls) its content.
  bool ClipRegion() { return Clip(); }
  void SetClipRegion(bool value) { SetClip(value); }

  // ---- IKXBaseHTMLComponent
  bool NeedsFormTag() override { return false; }
  // The region's frame DIV (empty; its children are added by RenderComponents).
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;

  // ---- IKXBaseHTMLControl
  // Width and Height less the border on both sides (not for Internet Explorer
  // outside strict mode, nor in design mode); never below 0.
  int HTMLWidth() override;
  int HTMLHeight() override;

  // ---- IKXHTML40Component
  bool DoRefreshControl() override { return TKXHTML40Container::DoRefreshControl(); }
  void SetDoRefreshControl(bool value) override { TKXHTML40Container::SetDoRefreshControl(value); }
  // The implementation's class, with " KXCLIPCONTROL" when Clip is on.
  std::string RenderCSSClass(TKXCompContext* context) override;
  // The implementation's style, then the border options' style.
  std::string RenderStyle(TKXCompContext* context) override;
  // The implementation's scripts, then the client property BorderWidthPixels.
  void RenderScripts(TKXCompContext* context) override;
  TKXElementPtr<TKXXMLTag> RenderAsyncComponent(TKXCompContext* context) override { return RenderAsync(context); }
  bool WantsSubmitValidation() override { return false; }

  // ---- IKXHTML40Control
  // Nothing: a region hooks no events.
  void HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) override;
  // A value that differs ignoring case is stored and invalidates.
  void SetCss(const std::string& value) override;
  // Stored only.
  void SetSkinId(const std::string& value) override;
  bool UseFrame() override { return FUseFrame; }
  void SetUseFrame(bool value) override { FUseFrame = value; }

  // ---- IKXBaseControl
  IKXBaseContainer* ParentContainer() override { return Supports<IKXBaseContainer>(Parent()); }
  // Marks the region for refresh.
  void Invalidate() override;
  bool Visible() const override { return TControl::Visible(); }
  // A change realigns the parent and marks the region for refresh.
  void SetVisible(bool value) override;

  // ---- IKXRegion
  int BorderPixelWidth() override { return FBorderOptions.GetPixelWidth(); }

  // ---- IKXTabOrder
  // On a frame the container's place in its form's tab list; else the stored value (-1 by default).
  int TabOrder() const override;
  void SetTabOrder(int value) override;

  // ---- container
  // A new container context whose layout is the region's able layout manager,
  // or a new TKXLayoutMgrForm that becomes the region's.
  std::unique_ptr<TKXContainerContext> InitContainerContext(TKXApplication* application) override;
  // Renders the children, lets the layout process them and adds what it writes to the region's DIV.
  void RenderComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) override;
  // Frames a child with UseFrame when the layout allows frames, then writes the child's scripts.
  TKXMarkupLanguageTag* DoPostRenderProcessing(TKXMarkupLanguageTag* tag, TKXCompContext* context,
                                               TComponent* component) override;
  // The answer of the container above (never of a form).
  bool CheckComponentForRender(TComponent* component) override;
  // Whether component is marked for refresh.
  bool CheckUpdateTree(TComponent* component) override;
  // The platform's client rectangle less the border on every side (not in design mode).
  TRect ClientRect() const override;
  // A region named "KXFrameRegion" keeps its name and fills its parent.
  void SetName(const std::string& value) override;

  TKXHTMLControlImplementation* HTMLControlImplementation() const override { return FKXControlImplementation.get(); }

 protected:
  // The implementation object, the container parts, the border options, and
  // the defaults: 60 x 60, no colour, z-index 1000, Clip and ShowHint on.
  void InitControl() override;
  void Loaded() override;
  void Dispose() override;
  // Invalidates.
  virtual void StyleRenderOptionsChanged() { Invalidate(); }
  // Children within the border are moved to its inside; realigns and invalidates.
  void BorderChanged();

  // The DIV of the last RenderHTML, until RenderComponents filled it.
  TKXFrameHTMLTag* FRegionDIV = nullptr;

 private:
  TKXContainerBorderOptions FBorderOptions{this};
  std::unique_ptr<TKXHTMLControlImplementation> FKXControlImplementation;
  bool FUseFrame = false;
  bool FHorizScrollBar = true;
  bool FVertScrollBar = true;
};

class TKXRegion : public TKXCustomRegion, public virtual IKXInputControl {
  KX_COMPONENT_CLASS(TKXRegion, TKXCustomRegion)

 public:
  // False by default. With an edge alignment the region carries a grip to resize it in the browser.
  bool Splitter() const { return FSplitter; }
  void SetSplitter(bool value) { FSplitter = value; }
  // Splitter on and aligned to an edge (top, bottom, left or right).
  bool SplitterActive() const;

  // The owner frame's name when the owner is a frame; else the parent
  // container's prefix; else the region's own name (upper-cased).
  std::string ContainerPrefix() override;
  // The frame DIV, with the splitter's form, hidden input and grip when active.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXREGION": the common properties and the border and size style.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

  // ---- IKXInputControl
  // The splitter's "position,size": the new bounds for the alignment, then
  // the parent realigns. A value that is not two integers raises EConvertError.
  void SetValue(const std::string& value) override;
  void SetFileValue(const std::string& value) override { (void)value; }
  // Always true; the setter does nothing.
  bool Editable() override { return true; }
  void SetEditable(bool value) override { (void)value; }
  // Always false; the setter does nothing.
  bool NonEditableAsLabel() override { return false; }
  void SetNonEditableAsLabel(bool value) override { (void)value; }
  // HTMLName + "_data" while the splitter is active; else none.
  void GetInputControlNames(TStrings& list) override;
  bool IsForThisControl(const std::string& name) override;

 private:
  bool FSplitter = false;
};

// Installs the family alone: the splitter script "/js/KXSplitter.js" (its
// readable variant too) in the internal files and the default frame of
// controls in the forms. After Startup().
void InstallRegions();

// The family's registration (the regions and their splitter), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& RegionsFamily();

}  // namespace kx
