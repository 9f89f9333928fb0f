// Containers: the page elements that hold other framework components (forms,
// regions, tab pages). A container keeps the list of the components placed in
// it and the tab sequence of its form, chooses which children render, renders
// them in tab order into per-component contexts (a nested container into a
// nested container context), collects the ones marked for an asynchronous
// update, and writes the script that moves the client objects to their rectangles.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kx/forms/ControlInterfaces.h"
#include "kx/forms/RenderContexts.h"
#include "kx/platform/CompactFunction.h"
#include "kx/platform/Components.h"
#include "kx/platform/Controls.h"

namespace kx {

class TKXContainer;

// The root of the containers: a windowed control that may render its invisible children.
class TKXBaseContainer : public TScrollingWinControl, public virtual IKXInvisibleControlRenderer {
  KX_COMPONENT_CLASS(TKXBaseContainer, TScrollingWinControl)

 public:
  bool DesignMode() const { return ComponentState().Contains(csDesigning); }
  bool GetLoading() const { return ComponentState().Contains(csLoading); }

  // True by default: an invisible child renders hidden instead of being left out.
  bool RenderInvisibleControls() override { return FRenderInvisibleControls; }
  void SetRenderInvisibleControls(bool value) override { FRenderInvisibleControls = value; }
  // clNone by default.
  virtual TKXColor WebColor() { return mWebColor; }
  virtual void SetWebColor(TKXColor value) { mWebColor = value; }

  // ParentChanging(old, new), the platform's SetParent, then AfterParentChanging(old, new).
  void SetParent(TWinControl* parent) override;
  // Told before the parent changes; nothing here.
  virtual void ParentChanging(TWinControl* oldParent, TWinControl* newParent) {
    (void)oldParent, (void)newParent;
  }
  // Unless loading: places the aligned children of this container and of the
  // nested containers again. A frame child must hold a container among its
  // components, else EKXNoFrameContainer "Frame container not found." is raised.
  virtual void ForceAlign();

 protected:
  void InitControl() override;
  // The platform's Loaded, then KXLoaded.
  void Loaded() override;
  virtual void KXLoaded() {}
  // The platform's, then KXResizingContainer.
  void Resize() override;
  // Invalidate.
  virtual void KXResizingContainer() { Invalidate(); }
  // ForceAlign outside design mode.
  void RequestAlign() override;
  virtual void AfterParentChanging(TWinControl* oldParent, TWinControl* newParent) {
    (void)oldParent, (void)newParent;
  }

 private:
  bool FRenderInvisibleControls = true;
  TKXColor mWebColor = clNone;
};

// The components placed in a container and the context of its last rendering.
class TKXContainerImplementation : public TObject {
 public:
  // container: the component the list belongs to (a container, or a control holding controls, such as a grid);
  // it hears of every listed component's Free.
  explicit TKXContainerImplementation(TComponent* container) : mContainer(container) {}
  TKXContainerImplementation(const TKXContainerImplementation&) = delete;
  TKXContainerImplementation& operator=(const TKXContainerImplementation&) = delete;

  TComponent* Container() const { return mContainer; }
  // Adds component once; a framework component's TabOrder then becomes its index here.
  void AddComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  int IndexOf(const TComponent* component) const;
  int Count() const { return int(mComponentList.size()); }
  TComponent* Components(int index) const;
  // The component's ComponentName for a framework component, else its Name.
  std::string Names(int index) const;
  TKXContainerContext* ContainerContext() const { return mContainerContext.get(); }
  void SetContainerContext(std::unique_ptr<TKXContainerContext> context) { mContainerContext = std::move(context); }
  // Hands the context to the caller; the implementation holds none afterwards.
  std::unique_ptr<TKXContainerContext> TakeContainerContext() { return std::move(mContainerContext); }

 private:
  TComponent* mContainer;
  std::vector<TComponent*> mComponentList;
  std::unique_ptr<TKXContainerContext> mContainerContext;
};

class TKXContainer : public TKXBaseContainer,
                     public virtual IKXFreeNotification,
                     public virtual IKXBaseContainer {
  KX_COMPONENT_CLASS(TKXContainer, TKXBaseContainer)

 public:
  // Runs in DoRender; one pointer while empty.
  TCompactFunction<void(TObject* sender)> OnRender;

  // The layout component (implementing IKXContainerLayout), or null. Setting it
  // detaches the old layout and attaches the new one; a freed layout is forgotten.
  TComponent* LayoutMgr() { return mLayoutMgr.Get(); }
  void SetLayoutMgr(TComponent* value);

  // The tab sequence of the controls whose owner form or frame this container is.
  std::vector<TControl*>& TabOrderList() { return FTabOrderList; }
  // Sorts the tab list by the tab orders its members stored (stable).
  void FixUpTabList();

  // ---- IKXBaseContainer
  // Name; after the parent's ContainerName and "." when the parent is a container.
  std::string ContainerName() override;
  // Empty here.
  std::string ContainerPrefix() override { return std::string(); }
  std::string ContainerClassname() override;
  // OnRender, then DoRender of the nested containers (also those of frames).
  void DoRender() override;
  TComponent* InterfaceInstance() override { return this; }
  // Nothing in design mode or while this container is being destroyed.
  void KXAddComponent(TComponent* component) override;
  // Also takes the component out of the tab lists.
  void KXRemoveComponent(TComponent* component) override;
  int KXFindComponent(TComponent* component) override;
  // The first framework component whose ComponentName equals name ignoring
  // case, else the container context's look-up.
  TComponent* FindComponentByName(const std::string& name) override;
  TComponent* ContainerComponent(int index) override;
  int KXComponentsCount() override;
  // Null here: the container renders no children of its own.
  std::unique_ptr<TKXContainerContext> InitContainerContext(TKXApplication* application) override;
  // Renders the children in tab order (see the .cpp).
  void RenderComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) override;
  TKXContainerContext* ContainerContext() override;
  // Frees the current context when context differs from it.
  void SetContainerContext(std::unique_ptr<TKXContainerContext> context) override;
  // False here.
  bool CheckComponentForRender(TComponent* component) override;

  // ---- IKXFreeNotification
  // A component going leaves the container.
  void Freeing(TObject* object) override;

  // True here: the layout reuses the tags of the last rendering.
  virtual bool CacheControls() { return true; }
  // Told after the component list changed; passed on to a parent container.
  virtual void KXComponentsChanged(TComponent* component);
  // False here.
  virtual bool CheckUpdateTree(TComponent* component);
  // The step after a child rendered tag into context (which holds it). An
  // override may wrap the tag (putting the wrapper into the context) or write
  // the child's scripts; it returns the tag the context holds. Returns tag here.
  virtual TKXMarkupLanguageTag* DoPostRenderProcessing(TKXMarkupLanguageTag* tag, TKXCompContext* context,
                                                       TComponent* component);
  TKXContainerImplementation* ContainerImplementation() const { return FContainerImplementation.get(); }
  // Leaves the old parent container.
  void ParentChanging(TWinControl* oldParent, TWinControl* newParent) override;

 protected:
  // Creates the component list and the tab list, then the inherited InitControl.
  void InitControl() override;
  // Frees the child controls listed here and leaves the components' notifier lists.
  void Dispose() override;
  void Loaded() override;
  // Registers a framework control (or a frame whose parent this container is) joining or leaving.
  void ControlChange(TControl* control, bool inserting) override;
  // Joins the new parent container.
  void AfterParentChanging(TWinControl* oldParent, TWinControl* newParent) override;
  // A freed layout or listed component is forgotten.
  void Notification(TComponent* component, TOperation operation) override;

 private:
  std::unique_ptr<TKXContainerImplementation> FContainerImplementation;
  TComponentRef<TComponent> mLayoutMgr;
  std::vector<TControl*> FTabOrderList;
};

// A container that renders as a tag of its own and takes part in tab order.
class TKXHTMLContainer : public TKXContainer, public virtual IKXTabOrder {
  KX_COMPONENT_CLASS(TKXHTMLContainer, TKXContainer)

 public:
  // Null here.
  virtual TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context);
  virtual TKXElementPtr<TKXMarkupLanguageTag> RenderMarkupLanguageTag(TKXCompContext* context);

  // The index in the owner form's tab list (placing the container there first
  // when it is missing); the stored value without owner form.
  int TabOrder() const override;
  int RealTabOrder() const override;
  bool ShouldRenderTabOrder() const override { return true; }
  void SetTabOrder(int value) override;
  bool HasTabOrder() const override { return true; }
  int StoredTabOrder() const { return FTabOrder; }

  // The form whose tab list holds the container; null when none.
  TKXContainer* OwnerForm() const;
  // The container below a frame reached through plain containers (itself when its parent is a frame).
  TKXContainer* OwnerFrame() const;

  // Also leaves the tab list of its owner form, which it takes again in the new one when asked.
  void ParentChanging(TWinControl* oldParent, TWinControl* newParent) override;

 protected:
  void AfterParentChanging(TWinControl* oldParent, TWinControl* newParent) override;
  // Leaves the tab lists of its owner form and frame.
  void Dispose() override;

 private:
  void LeaveTabLists();

  std::int16_t FTabOrder = -1;
};

// Collects and renders the asynchronous updates of a container (forms use it too).
class TKXHTML40ContainerImplementation : public TObject {
 public:
  explicit TKXHTML40ContainerImplementation(TComponent* container) : mContainer(container) {}

  // Renders the update element of every component of the container (and of
  // nested containers and frames) marked for refresh into its own context.
  void RenderAsyncComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext);
  // The components the last RenderAsyncComponents found marked.
  const std::vector<TComponent*>& ControlList() const { return FControlList; }

 private:
  void Walk(TComponent* object);
  void Consider(TComponent* object);

  TComponent* mContainer;
  std::vector<TComponent*> FControlList;
};

class TKXHTML40Container : public TKXHTMLContainer, public virtual IKXHTML40Container {
  KX_COMPONENT_CLASS(TKXHTML40Container, TKXHTMLContainer)

 public:
  bool DoRefreshControl() const { return FDoRefreshControl; }
  void SetDoRefreshControl(bool value) { FDoRefreshControl = value; }
  // Null here.
  virtual TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context);
  TKXElementPtr<TKXXMLTag> RenderAsyncComponent(TKXCompContext* context) { return RenderAsync(context); }

  // ---- IKXHTML40Container
  // Passes the control on to the parent (see SetActiveControl below).
  void SetActiveControl(IKXHTML40Control* control) override;
  TComponent* LayoutMgr() override { return TKXContainer::LayoutMgr(); }
  void SetLayoutMgr(TComponent* value) override { TKXContainer::SetLayoutMgr(value); }
  // For each visible child control: its SetRect line when this container
  // refreshes, and the lines of a nested container whatever its state.
  std::string GenerateControlPositions() override;
  void RenderAsyncComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) override;
  bool ShowHint() const override { return TControl::ShowHint(); }
  int Width() const override { return TControl::Width(); }
  int Height() const override { return TControl::Height(); }

  TKXHTML40ContainerImplementation* HTML40ContainerImplementation() const {
    return FHTML40ContainerImplementation.get();
  }

 protected:
  void InitControl() override;

 private:
  bool FDoRefreshControl = false;
  std::unique_ptr<TKXHTML40ContainerImplementation> FHTML40ContainerImplementation;
};

// ---------------------------------------------------------------------------
// Parent walks

// The parent of a control (frames included), otherwise the owner.
TComponent* GetKXParent(const TComponent* component);
// The first framework container above component; null when none.
IKXBaseContainer* GetKXParentContainer(const TComponent* component);
// The first form (a container implementing IKXForm) above component; null when none.
TKXContainer* GetKXParentForm(const TComponent* component);
// Whether component is a form: a framework container implementing IKXForm.
bool IsKXForm(const TComponent* component);

// ---------------------------------------------------------------------------
// Focus and refresh helpers

// Asks the container (or, for a frame, the frame's parent) to make control the
// form's active control; raises Exception "Control cannot receive focus" when
// neither is an HTML 4.0 container.
void SetActiveControl(TComponent* container, IKXHTML40Control* control);
// Sets DoRefreshControl of the component and of every component inside it when
// it is a container or a frame.
void SetDoRefreshControl(TComponent* component, bool value);

}  // namespace kx
