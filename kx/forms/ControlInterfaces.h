// The interfaces through which forms, containers, layouts, render contexts and
// the session talk to any framework component without knowing its class, and
// the one-line query helpers over Supports<I>. Interfaces are abstract classes
// inherited virtually (a region reaches IKXBaseHTMLComponent through both
// IKXHTML40Component and IKXHTML40Control) and are never reference counted:
// the component tree owns the objects.
#pragma once

#include <functional>
#include <string>

#include "kx/foundation/Markup.h"
#include "kx/foundation/StyleTypes.h"
#include "kx/platform/CompactFunction.h"
#include "kx/platform/Components.h"
#include "kx/platform/Controls.h"

namespace kx {

class TKXApplication;
class IKXCallBacks;
class TKXCompContext;
class TKXContainerContext;
class TKXBasePageContext;
class TKXContainer;
class TKXPageContext40;
class TKXScriptEvents;

class IKXBaseContainer;
class IKXBaseHTMLControl;

// Called with the component and its rendered tag before the tag is written (OnHTMLTag).
// Held by every component and set on few: one pointer while empty.
using TKXOnHTMLTag = TCompactFunction<void(TObject* sender, TKXMarkupLanguageTag* tag)>;
// A control's submit procedure; receives the posted action parameter.
using TSubmitProc = std::function<void(const std::string& value)>;

// ---------------------------------------------------------------------------
// Components and controls

class IKXBaseComponent {
 public:
  virtual TComponent* InterfaceInstance() = 0;
  // Extra attributes copied onto the rendered tag (name=value lines).
  virtual TStrings& ExtraTagParams() = 0;
  virtual void SetExtraTagParams(const TStrings& value) = 0;
  // Implements IKXSubmitControl.
  virtual bool SupportsSubmit() = 0;
  // Implements IKXInputControl and is editable.
  virtual bool SupportsInput() = 0;
  // The component's tag, or null when it renders none; the caller owns it.
  virtual TKXElementPtr<TKXMarkupLanguageTag> RenderMarkupLanguageTag(TKXCompContext* context) = 0;
  // The object is told (IKXFreeNotification::Freeing) when the component is freed.
  virtual void AddFreeNotifier(TObject* object) = 0;
  virtual void RemoveFreeNotifier(TObject* object) = 0;
  // The upper-cased name under which containers and render contexts keep the component.
  virtual std::string ComponentName() = 0;

 protected:
  ~IKXBaseComponent() = default;
};

// A non-visual framework component: it registers with the form above it.
class IKXFormComponent {
 public:
  // Leaves the form it was registered with and joins the one above it now (a frame holding it changed parent).
  virtual void ParentChanging() = 0;

 protected:
  ~IKXFormComponent() = default;
};

class IKXBaseHTMLComponent : public virtual IKXBaseComponent {
 public:
  // The upper-case name of the element in the page.
  virtual std::string HTMLName() = 0;
  virtual const TKXOnHTMLTag& OnHTMLTag() = 0;
  virtual void SetOnHTMLTag(TKXOnHTMLTag value) = 0;
  virtual bool HasName() = 0;
  // The page's FORM needs a hidden input of the component's HTML name.
  virtual bool NeedsFormTag() = 0;
  // Builds the component's tag; null when it renders none. The caller owns it.
  virtual TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) = 0;
  // Adds the extra attributes to tag and writes CR LF and the tag into stream.
  virtual void MakeHTMLTag(TKXHTMLTag* tag, TKXRenderStream& stream) = 0;
  virtual std::string MakeHTMLTag(TKXHTMLTag* tag) = 0;
  // Calls OnHTMLTag with the component and tag.
  virtual void DoHTMLTag(TKXMarkupLanguageTag* tag) = 0;

 protected:
  ~IKXBaseHTMLComponent() = default;
};

class IKXBaseHTMLControl : public virtual IKXBaseHTMLComponent {
 public:
  virtual TKXFont& WebFont() = 0;
  virtual void SetWebFont(const TKXFont& value) = 0;
  virtual TKXColor WebColor() = 0;
  virtual void SetWebColor(TKXColor value) = 0;
  virtual int HTMLWidth() = 0;
  virtual int HTMLHeight() = 0;

 protected:
  ~IKXBaseHTMLControl() = default;
};

// A control kept in the tab lists of its owner frame and form (the HTML controls; containers keep their own place).
class IKXTabListControl {
 public:
  // The containers whose tab lists hold the control: the container below a frame, and the form; null when none.
  virtual TKXContainer* OwnerFrame() const = 0;
  virtual TKXContainer* OwnerForm() const = 0;
  // The tab order the control stored (its wished position while loading; -1 for none).
  virtual int StoredTabOrder() const = 0;

 protected:
  ~IKXTabListControl() = default;
};

class IKXHTML40Component : public virtual IKXBaseHTMLComponent {
 public:
  // Set when the component must be sent again in the next asynchronous update.
  virtual bool DoRefreshControl() = 0;
  virtual void SetDoRefreshControl(bool value) = 0;
  virtual std::string RenderCSSClass(TKXCompContext* context) = 0;
  virtual std::string RenderStyle(TKXCompContext* context) = 0;
  virtual void RenderScripts(TKXCompContext* context) = 0;
  // The component's update element for an asynchronous reply, or null.
  virtual TKXElementPtr<TKXXMLTag> RenderAsyncComponent(TKXCompContext* context) = 0;
  virtual void AddAsyncStyle(TKXXMLTag* tag, const std::string& style) = 0;
  virtual bool WantsSubmitValidation() = 0;

 protected:
  ~IKXHTML40Component() = default;
};

class IKXHTML40Control : public virtual IKXBaseHTMLControl {
 public:
  virtual int HTMLLeft() = 0;
  virtual int HTMLTop() = 0;
  // Writes the hint attribute onto tag.
  virtual void HintEvents(TKXHTMLTag* tag) = 0;
  // Adds the control's client script to browser events.
  virtual void HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) = 0;
  virtual bool RenderSize() = 0;
  virtual void SetRenderSize(bool value) = 0;
  virtual TKXStyleRenderOptions& StyleRenderOptions() = 0;
  virtual void SetStyleRenderOptions(const TKXStyleRenderOptions& value) = 0;
  virtual int ZIndex() = 0;
  virtual void SetZIndex(int value) = 0;
  virtual bool Clip() = 0;
  virtual void SetClip(bool value) = 0;
  virtual std::string Css() = 0;
  virtual void SetCss(const std::string& value) = 0;
  virtual std::string SkinId() = 0;
  virtual void SetSkinId(const std::string& value) = 0;
  virtual TKXCursor WebCursor() = 0;
  virtual void SetWebCursor(TKXCursor value) = 0;
  virtual bool UseFrame() = 0;
  virtual void SetUseFrame(bool value) = 0;
  virtual bool SupportsPartial() = 0;
  virtual void SetSupportsPartial(bool value) = 0;
  virtual TKXScriptEvents& ScriptEvents() = 0;
  virtual void SetScriptEvents(const TKXScriptEvents& value) = 0;
  virtual TAnchors Anchors() const = 0;
  virtual void SetAnchors(TAnchors value) = 0;
  virtual TAlign Align() const = 0;
  virtual void SetAlign(TAlign value) = 0;
  virtual bool ShowHint() const = 0;
  virtual void SetShowHint(bool value) = 0;
  virtual bool ParentShowHint() const = 0;
  virtual void SetParentShowHint(bool value) = 0;
  virtual bool RequiresRefresh() = 0;

 protected:
  ~IKXHTML40Control() = default;
};

class IKXBaseControl {
 public:
  // Leaves the old parent's container before the parent changes.
  virtual void ParentChanging(TWinControl* oldParent, TWinControl* newParent) = 0;
  // The parent when it is a framework container, else null.
  virtual IKXBaseContainer* ParentContainer() = 0;
  virtual void Invalidate() = 0;
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool value) = 0;

 protected:
  ~IKXBaseControl() = default;
};

// ---------------------------------------------------------------------------
// Containers

class IKXBaseContainer {
 public:
  virtual std::string ContainerName() = 0;
  // Appended to the names of the container's children to form their HTML names.
  virtual std::string ContainerPrefix() = 0;
  virtual std::string ContainerClassname() = 0;
  // Runs before rendering: OnRender, then the nested containers' DoRender.
  virtual void DoRender() = 0;
  virtual TComponent* InterfaceInstance() = 0;
  virtual void KXAddComponent(TComponent* component) = 0;
  virtual void KXRemoveComponent(TComponent* component) = 0;
  // The index in the container's component list; -1 when absent.
  virtual int KXFindComponent(TComponent* component) = 0;
  virtual TComponent* FindComponentByName(const std::string& name) = 0;
  virtual TComponent* ContainerComponent(int index) = 0;
  virtual int KXComponentsCount() = 0;
  // A new container context for one rendering, or null for a container that
  // renders no children of its own.
  virtual std::unique_ptr<TKXContainerContext> InitContainerContext(TKXApplication* application) = 0;
  // Renders the children into containerContext (the container's own context).
  virtual void RenderComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) = 0;
  // The context of the container's last rendering, owned by the container; null before.
  virtual TKXContainerContext* ContainerContext() = 0;
  virtual void SetContainerContext(std::unique_ptr<TKXContainerContext> context) = 0;
  // Whether component takes part in rendering even though it would be left out.
  virtual bool CheckComponentForRender(TComponent* component) = 0;

 protected:
  ~IKXBaseContainer() = default;
};

class IKXHTML40Control;

class IKXHTML40Container : public virtual IKXBaseContainer {
 public:
  // A plain container passes the control on towards its form, which keeps it as its active control.
  virtual void SetActiveControl(IKXHTML40Control* control) = 0;
  // The layout component (implementing IKXContainerLayout), or null.
  virtual TComponent* LayoutMgr() = 0;
  virtual void SetLayoutMgr(TComponent* value) = 0;
  // The script that moves the client objects of the refreshing children to their rectangles.
  virtual std::string GenerateControlPositions() = 0;
  // Renders the update elements of the components marked for refresh.
  virtual void RenderAsyncComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) = 0;
  virtual bool ShowHint() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;

 protected:
  ~IKXHTML40Container() = default;
};

// What the control bases ask of a form rendered as an HTML 4.0 page.
class IKXHTML40Form : public virtual IKXHTML40Container {
 public:
  // Appends script to the start-up code of the next page.
  virtual void AddToInitProc(const std::string& script) = 0;
  // The page context of the current rendering; null outside rendering.
  virtual TKXPageContext40* PageContext() = 0;
  // The control's position in the tab order of the current rendering; -1 when it has none.
  virtual int RealTabOrderOf(const TComponent* control) = 0;

 protected:
  ~IKXHTML40Form() = default;
};

// The way a layout manager lays out the page (the type tests the control bases make).
enum TKXLayoutKind : std::uint8_t {
  lkOther,
  lkForm,      // absolute positioning, the default layout
  lkTemplate,  // an HTML template processor
};

// What render contexts, controls and containers ask of a layout manager; the
// layout manager components implement it.
class IKXContainerLayout {
 public:
  virtual TKXLayoutKind LayoutKind() = 0;
  // Adds what the layout writes for the control to style (its position).
  virtual void RenderStyle(IKXBaseHTMLControl* control, std::string& style) = 0;
  // Attaches the layout to the container it lays out; null detaches it.
  virtual void SetContainer(IKXBaseContainer* container) = 0;

 protected:
  ~IKXContainerLayout() = default;
};

// A region: a container drawn with a border that its children keep inside.
class IKXRegion {
 public:
  // The pixel width of the border; 0 when none is drawn.
  virtual int BorderPixelWidth() = 0;

 protected:
  ~IKXRegion() = default;
};

// ---------------------------------------------------------------------------
// Roles

class IKXTabOrder {
 public:
  // The position in the tab list of the owner frame or form.
  virtual int TabOrder() const = 0;
  // The position in the form's tab order of the current rendering; -1 when none.
  virtual int RealTabOrder() const = 0;
  virtual bool ShouldRenderTabOrder() const = 0;
  virtual void SetTabOrder(int value) = 0;
  virtual bool HasTabOrder() const = 0;

 protected:
  ~IKXTabOrder() = default;
};

class IKXInputControl {
 public:
  // Takes the posted value.
  virtual void SetValue(const std::string& value) = 0;
  virtual void SetFileValue(const std::string& value) = 0;
  virtual bool Editable() = 0;
  virtual void SetEditable(bool value) = 0;
  virtual bool NonEditableAsLabel() = 0;
  virtual void SetNonEditableAsLabel(bool value) = 0;
  // Replaces the list with the names of the fields the control posts.
  virtual void GetInputControlNames(TStrings& list) = 0;
  virtual bool IsForThisControl(const std::string& name) = 0;

 protected:
  ~IKXInputControl() = default;
};

class IKXInputControl40 : public virtual IKXInputControl {
 public:
  // An asynchronous event of the control also posts its value.
  virtual bool SubmitOnAsyncEvent() = 0;
  virtual void SetSubmitOnAsyncEvent(bool value) = 0;

 protected:
  ~IKXInputControl40() = default;
};

class IKXExInputControl : public virtual IKXInputControl {
 public:
  using IKXInputControl::SetValue;
  // Takes the posted value; changed tells whether the control's value changed.
  virtual void SetValue(const std::string& value, bool& changed) = 0;
  // Fires the control's change event after all posted values were applied.
  virtual void ValueChanged() = 0;

 protected:
  ~IKXExInputControl() = default;
};

class IKXSubmitControl {
 public:
  virtual void Submit(const std::string& value) = 0;
  virtual TSubmitProc getSubmitProc() = 0;
  virtual std::string GetSubmitParam() = 0;

 protected:
  ~IKXSubmitControl() = default;
};

class IKXResyncEvents {
 public:
  // Registers the control's asynchronous events as callbacks of the session.
  virtual void RegisterAsyncEvents(TKXApplication* application) = 0;

 protected:
  ~IKXResyncEvents() = default;
};

class IKXFreeNotification {
 public:
  // The component this object registered with is being freed.
  virtual void Freeing(TObject* object) = 0;

 protected:
  ~IKXFreeNotification() = default;
};

class IKXInvisibleControlRenderer {
 public:
  virtual void SetRenderInvisibleControls(bool value) = 0;
  virtual bool RenderInvisibleControls() = 0;

 protected:
  ~IKXInvisibleControlRenderer() = default;
};

class IKXSubmitInvisible {
 protected:
  ~IKXSubmitInvisible() = default;
};

class IKXUpdateNotified {
 public:
  // A child control took the posted value.
  virtual void ControlValueUpdated(TComponent* control, const std::string& value) = 0;

 protected:
  ~IKXUpdateNotified() = default;
};

class IKXMultiInputControl {
 public:
  // Takes the value posted under one of the control's names.
  virtual void SetValue(const std::string& name, const std::string& value) = 0;

 protected:
  ~IKXMultiInputControl() = default;
};

class IKXAutoEditableControl {
 public:
  virtual void EditingChanged() = 0;

 protected:
  ~IKXAutoEditableControl() = default;
};

class IKXUploadControl {
 public:
  virtual void NotifyUploadCompleted() = 0;

 protected:
  ~IKXUploadControl() = default;
};

class IKXRequiresFormRender {
 public:
  virtual bool GetEnabled() = 0;
  virtual void GetContentFiles(TStrings& list) = 0;
  virtual std::string GetOnReadyProc() = 0;

 protected:
  ~IKXRequiresFormRender() = default;
};

// Marks a component that posts files: the page then posts as multipart form data.
class IMpfDataAttrib {
 protected:
  ~IMpfDataAttrib() = default;
};

// ---------------------------------------------------------------------------
// Query helpers: the object's interface, or null (false) for null or an object without it.

inline bool isBaseComponent(TObject* object) { return Supports<IKXBaseComponent>(object) != nullptr; }
inline bool isBaseControl(TObject* object) { return Supports<IKXBaseControl>(object) != nullptr; }
inline bool isBaseContainer(TObject* object) { return Supports<IKXBaseContainer>(object) != nullptr; }
inline bool isInputControl(TObject* object) { return Supports<IKXInputControl>(object) != nullptr; }
inline bool isSubmitControl(TObject* object) { return Supports<IKXSubmitControl>(object) != nullptr; }
inline bool RequiresUpdateNotification(TObject* object) { return Supports<IKXUpdateNotified>(object) != nullptr; }

inline IKXSubmitControl* SubmitInterface(TObject* object) { return Supports<IKXSubmitControl>(object); }
inline IKXMultiInputControl* MultiInputInterface(TObject* object) { return Supports<IKXMultiInputControl>(object); }
inline IKXBaseControl* BaseControlInterface(TObject* object) { return Supports<IKXBaseControl>(object); }
inline IKXBaseContainer* BaseContainerInterface(TObject* object) { return Supports<IKXBaseContainer>(object); }
inline IKXInputControl* InputInterface(TObject* object) { return Supports<IKXInputControl>(object); }
inline IKXExInputControl* ExInputInterface(TObject* object) { return Supports<IKXExInputControl>(object); }
inline IKXBaseComponent* BaseComponentInterface(TObject* object) { return Supports<IKXBaseComponent>(object); }
inline IKXTabOrder* TabOrderInterface(TObject* object) { return Supports<IKXTabOrder>(object); }
inline IKXFreeNotification* FreeNotificationInterface(TObject* object) {
  return Supports<IKXFreeNotification>(object);
}
inline IKXUpdateNotified* UpdateNotifiedInterface(TObject* object) { return Supports<IKXUpdateNotified>(object); }
inline IKXAutoEditableControl* AutoEditableControlInterface(TObject* object) {
  return Supports<IKXAutoEditableControl>(object);
}
inline IKXUploadControl* UploadControlInterface(TObject* object) { return Supports<IKXUploadControl>(object); }
inline IKXBaseHTMLControl* BaseHTMLControlInterface(TObject* object) { return Supports<IKXBaseHTMLControl>(object); }
inline IKXBaseHTMLComponent* BaseHTMLComponentInterface(TObject* object) {
  return Supports<IKXBaseHTMLComponent>(object);
}
inline IKXInputControl40* InputControl40Interface(TObject* object) { return Supports<IKXInputControl40>(object); }
inline IKXHTML40Control* HTML40ControlInterface(TObject* object) { return Supports<IKXHTML40Control>(object); }
inline IKXHTML40Container* HTML40ContainerInterface(TObject* object) {
  return Supports<IKXHTML40Container>(object);
}
inline IKXHTML40Form* HTML40FormInterface(TObject* object) { return Supports<IKXHTML40Form>(object); }
inline IKXHTML40Component* HTML40ComponentInterface(TObject* object) {
  return Supports<IKXHTML40Component>(object);
}

}  // namespace kx
