#include "kx/forms/Containers.h"

#include <algorithm>
#include <utility>

#include "kx/appserver/Application.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/KXMessages.h"
#include "kx/foundation/SortedLists.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* CRLF = "\r\n";
constexpr const char* FrameRegionName = "KXFrameRegion";

// Stable merge sort of pointers by an integer key.
template <class T, class Key>
void SortByKey(std::vector<T*>& items, Key key) {
  TKXList list;
  for (T* item : items) list.Add(item);
  list.MergeSort([&](void* a, void* b) {
    const int ka = key(static_cast<T*>(a));
    const int kb = key(static_cast<T*>(b));
    return ka < kb ? -1 : (ka > kb ? 1 : 0);
  });
  for (int i = 0; i < list.Count(); ++i) items[std::size_t(i)] = static_cast<T*>(list.Items(i));
}

// The tab order a tab-list member stored (its wished position while loading).
int StoredTabOrderOf(const TControl* control) {
  if (auto* html = Supports<const IKXTabListControl>(control)) return html->StoredTabOrder();
  if (auto* container = Supports<const TKXHTMLContainer>(control)) return container->StoredTabOrder();
  return 0;
}

// The key that orders children for rendering: their tab order as a 16-bit value.
int TabOrderKey(TComponent* component) {
  if (IKXTabOrder* order = Supports<IKXTabOrder>(component)) return std::int16_t(order->TabOrder());
  if (auto* frame = Supports<TFrame>(component)) {
    if (IKXTabOrder* order = Supports<IKXTabOrder>(frame->FindComponent(FrameRegionName))) {
      return std::int16_t(order->TabOrder());
    }
  }
  return 0;
}

// The controls of a frame that render in place of a missing frame region.
std::vector<TComponent*> FrameControls(TFrame* frame) {
  std::vector<TComponent*> controls;
  for (int i = 0; i < frame->ComponentCount(); ++i) {
    auto* control = Supports<TControl>(frame->Components(i));
    if (control && control->Parent() == frame && Supports<IKXBaseComponent>(control)) controls.push_back(control);
  }
  return controls;
}

void EraseFromTabList(TKXContainer* owner, TControl* control) {
  if (owner) std::erase(owner->TabOrderList(), control);
}

}  // namespace

// ---------------------------------------------------------------------------
// Parent walks

TComponent* GetKXParent(const TComponent* component) {
  if (component == nullptr) return nullptr;
  if (auto* control = Supports<const TControl>(component)) return control->Parent();
  return component->Owner();
}

IKXBaseContainer* GetKXParentContainer(const TComponent* component) {
  for (TComponent* parent = GetKXParent(component); parent; parent = GetKXParent(parent)) {
    if (IKXBaseContainer* container = Supports<IKXBaseContainer>(parent)) return container;
  }
  return nullptr;
}

bool IsKXForm(const TComponent* component) {
  return Supports<const TKXContainer>(component) != nullptr && Supports<IKXForm>(component) != nullptr;
}

TKXContainer* GetKXParentForm(const TComponent* component) {
  for (TComponent* parent = GetKXParent(component); parent; parent = GetKXParent(parent)) {
    if (IsKXForm(parent)) return static_cast<TKXContainer*>(parent);
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// TKXBaseContainer

void TKXBaseContainer::InitControl() {
  TScrollingWinControl::InitControl();
  FRenderInvisibleControls = true;
}

void TKXBaseContainer::SetParent(TWinControl* parent) {
  TWinControl* old = Parent();
  if (old == parent) return;
  ParentChanging(old, parent);
  TScrollingWinControl::SetParent(parent);
  AfterParentChanging(old, parent);
}

void TKXBaseContainer::Loaded() {
  TScrollingWinControl::Loaded();
  KXLoaded();
}

void TKXBaseContainer::Resize() {
  TScrollingWinControl::Resize();
  KXResizingContainer();
}

void TKXBaseContainer::RequestAlign() {
  if (!DesignMode()) {
    if (auto* container = Supports<TKXBaseContainer>(Parent())) {
      container->ForceAlign();
      return;
    }
  }
  TScrollingWinControl::RequestAlign();
}

void TKXBaseContainer::ForceAlign() {
  if (GetLoading()) return;
  Realign();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    if (auto* container = Supports<TKXBaseContainer>(child)) {
      container->ForceAlign();
    } else if (auto* frame = Supports<TFrame>(child)) {
      TKXBaseContainer* held = nullptr;
      for (int j = 0; j < frame->ComponentCount() && held == nullptr; ++j) {
        held = Supports<TKXBaseContainer>(frame->Components(j));
      }
      EKXNoFrameContainer::IfNotAssigned(held, RSMissingContainerOnFrame);
      frame->Realign();
      held->ForceAlign();
    }
  }
}

// ---------------------------------------------------------------------------
// TKXContainerImplementation

void TKXContainerImplementation::AddComponent(TComponent* component) {
  if (component == nullptr || IndexOf(component) >= 0) return;
  mComponentList.push_back(component);
  IKXBaseComponent* base = Supports<IKXBaseComponent>(component);
  if (base) {
    if (IKXTabOrder* order = Supports<IKXTabOrder>(component)) order->SetTabOrder(Count() - 1);
  } else if (auto* frame = Supports<TFrame>(component)) {
    for (int i = 0; i < frame->ComponentCount(); ++i) {
      if (auto* owned = Supports<IKXFormComponent>(frame->Components(i))) owned->ParentChanging();
    }
  }
  // The list never holds a freed component: the container hears of every Free.
  mContainer->FreeNotification(component);
  if (base) base->AddFreeNotifier(mContainer);
}

void TKXContainerImplementation::RemoveComponent(TComponent* component) {
  const int index = IndexOf(component);
  if (index < 0) return;
  mComponentList.erase(mComponentList.begin() + index);
  if (IKXBaseComponent* base = Supports<IKXBaseComponent>(component)) base->RemoveFreeNotifier(mContainer);
  mContainer->RemoveFreeNotification(component);
}

int TKXContainerImplementation::IndexOf(const TComponent* component) const {
  for (std::size_t i = 0; i < mComponentList.size(); ++i) {
    if (mComponentList[i] == component) return int(i);
  }
  return -1;
}

TComponent* TKXContainerImplementation::Components(int index) const {
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
  return mComponentList[std::size_t(index)];
}

std::string TKXContainerImplementation::Names(int index) const {
  TComponent* component = Components(index);
  IKXBaseComponent* base = Supports<IKXBaseComponent>(component);
  return base ? base->ComponentName() : component->Name();
}

// ---------------------------------------------------------------------------
// TKXContainer

void TKXContainer::InitControl() {
  FContainerImplementation = std::make_unique<TKXContainerImplementation>(this);
  TKXBaseContainer::InitControl();
}

void TKXContainer::Dispose() {
  // The last first, reading the count again: freeing one child may take others out of the list.
  for (int i = KXComponentsCount() - 1; i >= 0; --i) {
    if (i >= KXComponentsCount()) continue;
    TComponent* component = ContainerComponent(i);
    auto* control = Supports<TControl>(component);
    if (control && !Supports<TFrame>(control) && control->Parent() == this) {
      control->SetParent(nullptr);
      control->Free();
    } else if (IKXBaseComponent* base = Supports<IKXBaseComponent>(component)) {
      base->RemoveFreeNotifier(this);
    }
  }
  SetLayoutMgr(nullptr);
  TKXBaseContainer::Dispose();
}

void TKXContainer::Loaded() {
  TKXBaseContainer::Loaded();
  FixUpTabList();
}

void TKXContainer::FixUpTabList() { SortByKey(FTabOrderList, [](TControl* control) { return StoredTabOrderOf(control); }); }

void TKXContainer::SetLayoutMgr(TComponent* value) {
  TComponent* old = mLayoutMgr.Get();
  if (old == value) return;
  if (old) {
    if (IKXContainerLayout* layout = Supports<IKXContainerLayout>(old)) layout->SetContainer(nullptr);
    RemoveFreeNotification(old);
  }
  mLayoutMgr = value;
  if (value) {
    FreeNotification(value);
    if (IKXContainerLayout* layout = Supports<IKXContainerLayout>(value)) layout->SetContainer(this);
  }
}

std::string TKXContainer::ContainerName() {
  if (IsKXForm(this)) return Name();
  if (IKXBaseContainer* parent = Supports<IKXBaseContainer>(Parent())) return parent->ContainerName() + "." + Name();
  return Name();
}

std::string TKXContainer::ContainerClassname() {
  if (IsKXForm(this)) return ClassName();
  if (IKXBaseContainer* parent = Supports<IKXBaseContainer>(Parent())) {
    return parent->ContainerClassname() + "." + ClassName();
  }
  return Name();
}

void TKXContainer::DoRender() {
  if (OnRender) OnRender(this);
  for (int i = 0; i < KXComponentsCount(); ++i) {
    TComponent* component = ContainerComponent(i);
    if (Supports<TFrame>(component->Owner())) continue;
    if (IKXBaseContainer* container = Supports<IKXBaseContainer>(component)) {
      container->DoRender();
    } else if (auto* frame = Supports<TFrame>(component)) {
      for (int j = 0; j < frame->ComponentCount(); ++j) {
        if (IKXBaseContainer* nested = Supports<IKXBaseContainer>(frame->Components(j))) nested->DoRender();
      }
    }
  }
}

void TKXContainer::KXAddComponent(TComponent* component) {
  if (DesignMode() || ComponentState().Contains(csDestroying)) return;
  FContainerImplementation->AddComponent(component);
  KXComponentsChanged(component);
}

void TKXContainer::KXRemoveComponent(TComponent* component) {
  if (DesignMode() || component == nullptr) return;
  if (auto* control = Supports<TControl>(component)) {
    std::erase(FTabOrderList, control);
    if (auto* html = Supports<IKXTabListControl>(control)) {
      EraseFromTabList(html->OwnerFrame(), control);
      EraseFromTabList(html->OwnerForm(), control);
    }
  }
  if (FContainerImplementation->IndexOf(component) < 0) return;
  FContainerImplementation->RemoveComponent(component);
  KXComponentsChanged(component);
}

int TKXContainer::KXFindComponent(TComponent* component) { return FContainerImplementation->IndexOf(component); }

TComponent* TKXContainer::FindComponentByName(const std::string& name) {
  for (int i = 0; i < KXComponentsCount(); ++i) {
    TComponent* component = ContainerComponent(i);
    IKXBaseComponent* base = Supports<IKXBaseComponent>(component);
    if (base && SameText(base->ComponentName(), name)) return component;
  }
  TKXContainerContext* context = ContainerContext();
  return context ? context->GetControlInstance(name) : nullptr;
}

TComponent* TKXContainer::ContainerComponent(int index) { return FContainerImplementation->Components(index); }

int TKXContainer::KXComponentsCount() { return FContainerImplementation ? FContainerImplementation->Count() : 0; }

std::unique_ptr<TKXContainerContext> TKXContainer::InitContainerContext(TKXApplication* application) {
  (void)application;
  return nullptr;
}

TKXContainerContext* TKXContainer::ContainerContext() { return FContainerImplementation->ContainerContext(); }

void TKXContainer::SetContainerContext(std::unique_ptr<TKXContainerContext> context) {
  if (context.get() == ContainerContext()) return;
  FContainerImplementation->SetContainerContext(std::move(context));
}

bool TKXContainer::CheckComponentForRender(TComponent* component) {
  (void)component;
  return false;
}

bool TKXContainer::CheckUpdateTree(TComponent* component) {
  (void)component;
  return false;
}

void TKXContainer::Freeing(TObject* object) {
  if (auto* component = Supports<TComponent>(object)) KXRemoveComponent(component);
}

void TKXContainer::KXComponentsChanged(TComponent* component) {
  if (ComponentState().Contains(csDestroying)) return;
  if (auto* parent = Supports<TKXContainer>(Parent())) parent->KXComponentsChanged(component);
}

TKXMarkupLanguageTag* TKXContainer::DoPostRenderProcessing(TKXMarkupLanguageTag* tag, TKXCompContext* context,
                                                           TComponent* component) {
  (void)context, (void)component;
  return tag;
}

// Renders the children in the order of their tab order (equal orders keep the
// order of the component list). A framework component renders its tag into a
// new component context registered with containerContext; a nested container
// then renders its own children into a new context of its own.
void TKXContainer::RenderComponents(TKXContainerContext* containerContext, TKXPageContext40* pageContext) {
  std::vector<TComponent*> items;
  for (int i = 0; i < KXComponentsCount(); ++i) {
    TComponent* component = ContainerComponent(i);
    if (auto* frame = Supports<TFrame>(component)) {
      if (!CheckComponentForRender(frame) && !frame->Visible()) continue;
      if (frame->FindComponent(FrameRegionName)) {
        items.push_back(frame);
      } else {
        for (TComponent* control : FrameControls(frame)) items.push_back(control);
      }
    } else if (Supports<IKXBaseComponent>(component)) {
      IKXBaseControl* control = Supports<IKXBaseControl>(component);
      if (control == nullptr || control->Visible() || RenderInvisibleControls() || CheckComponentForRender(component)) {
        items.push_back(component);
      }
    }
  }
  SortByKey(items, TabOrderKey);

  TKXApplication* application = pageContext ? pageContext->WebApplication() : nullptr;
  for (TComponent* item : items) {
    if (auto* frame = Supports<TFrame>(item)) item = frame->FindComponent(FrameRegionName);
    if (item == nullptr) continue;
    if (IKXBaseComponent* base = Supports<IKXBaseComponent>(item)) {
      auto context = std::make_unique<TKXCompContext>(item, containerContext, pageContext);
      context->SetMLTag(base->RenderMarkupLanguageTag(context.get()));
      TKXMarkupLanguageTag* tag = DoPostRenderProcessing(context->MLTag(), context.get(), item);
      IKXBaseControl* control = Supports<IKXBaseControl>(item);
      if (tag != nullptr && control != nullptr && !control->Visible()) {
        tag->AddStringParam("style", "visibility: hidden; " + tag->Params()->Values("style"));
      }
      if (containerContext) containerContext->AddComponent(std::move(context));
    }
    if (IKXBaseContainer* nested = Supports<IKXBaseContainer>(item)) {
      std::unique_ptr<TKXContainerContext> subContext = nested->InitContainerContext(application);
      if (subContext) {
        subContext->SetUpdateTree(CheckUpdateTree(item) || (containerContext && containerContext->UpdateTree()));
        TKXContainerContext* own = subContext.get();
        nested->SetContainerContext(std::move(subContext));
        nested->RenderComponents(own, pageContext);
      }
    }
  }
}

void TKXContainer::ControlChange(TControl* control, bool inserting) {
  TKXBaseContainer::ControlChange(control, inserting);
  const bool frame = Supports<TFrame>(control) != nullptr;
  if (!frame && !Supports<IKXBaseComponent>(control)) return;
  if (inserting) {
    KXAddComponent(control);
  } else {
    KXRemoveComponent(control);
  }
}

void TKXContainer::ParentChanging(TWinControl* oldParent, TWinControl* newParent) {
  TKXBaseContainer::ParentChanging(oldParent, newParent);
  if (IKXBaseContainer* old = Supports<IKXBaseContainer>(oldParent)) old->KXRemoveComponent(this);
}

void TKXContainer::AfterParentChanging(TWinControl* oldParent, TWinControl* newParent) {
  TKXBaseContainer::AfterParentChanging(oldParent, newParent);
  if (IKXBaseContainer* container = Supports<IKXBaseContainer>(newParent)) container->KXAddComponent(this);
}

void TKXContainer::Notification(TComponent* component, TOperation operation) {
  TKXBaseContainer::Notification(component, operation);
  // A component that only changes owner stays where it is placed.
  if (operation != opRemove || component == nullptr || !component->ComponentState().Contains(csDestroying)) return;
  if (auto* control = Supports<TControl>(component)) std::erase(FTabOrderList, control);
  if (FContainerImplementation && FContainerImplementation->IndexOf(component) >= 0) {
    FContainerImplementation->RemoveComponent(component);
  }
}

// ---------------------------------------------------------------------------
// TKXHTMLContainer

TKXElementPtr<TKXHTMLTag> TKXHTMLContainer::RenderHTML(TKXCompContext* context) {
  (void)context;
  return nullptr;
}

TKXElementPtr<TKXMarkupLanguageTag> TKXHTMLContainer::RenderMarkupLanguageTag(TKXCompContext* context) {
  return RenderHTML(context);
}

TKXContainer* TKXHTMLContainer::OwnerForm() const {
  TWinControl* parent = Parent();
  if (IsKXForm(parent)) return static_cast<TKXContainer*>(parent);
  if (auto* container = Supports<TKXHTMLContainer>(parent)) return container->OwnerForm();
  if (auto* frame = Supports<TFrame>(parent)) {
    if (IsKXForm(frame->Parent())) return static_cast<TKXContainer*>(frame->Parent());
    return GetKXParentForm(frame);
  }
  return nullptr;
}

TKXContainer* TKXHTMLContainer::OwnerFrame() const {
  const TKXHTMLContainer* container = this;
  while (container != nullptr) {
    if (Supports<TFrame>(container->Parent())) return const_cast<TKXHTMLContainer*>(container);
    container = Supports<TKXHTMLContainer>(container->Parent());
  }
  return nullptr;
}

int TKXHTMLContainer::TabOrder() const {
  TKXContainer* form = OwnerForm();
  if (form == nullptr) return FTabOrder;
  const std::vector<TControl*>& list = form->TabOrderList();
  auto it = std::find(list.begin(), list.end(), static_cast<const TControl*>(this));
  if (it != list.end()) return int(it - list.begin());
  // Not placed yet: it takes the end of the list now.
  const_cast<TKXHTMLContainer*>(this)->SetTabOrder(-1);
  return int(form->TabOrderList().size()) - 1;
}

int TKXHTMLContainer::RealTabOrder() const {
  IKXHTML40Form* form = Supports<IKXHTML40Form>(OwnerForm());
  return form ? form->RealTabOrderOf(this) : -1;
}

void TKXHTMLContainer::SetTabOrder(int value) {
  TKXContainer* form = OwnerForm();
  if (form == nullptr) {
    if (value != -1) FTabOrder = std::int16_t(value);
    return;
  }
  std::vector<TControl*>& list = form->TabOrderList();
  std::erase(list, static_cast<TControl*>(this));
  int position;
  if (!GetLoading() && value >= 0 && value < int(list.size())) {
    list.insert(list.begin() + value, this);
    position = value;
  } else {
    list.push_back(this);
    position = int(list.size()) - 1;
  }
  FTabOrder = std::int16_t(value == -1 ? position : value);
}

void TKXHTMLContainer::LeaveTabLists() {
  EraseFromTabList(OwnerForm(), this);
  if (TKXContainer* frame = OwnerFrame(); frame != this) EraseFromTabList(frame, this);
}

void TKXHTMLContainer::ParentChanging(TWinControl* oldParent, TWinControl* newParent) {
  LeaveTabLists();
  TKXContainer::ParentChanging(oldParent, newParent);
}

void TKXHTMLContainer::Dispose() {
  LeaveTabLists();
  TKXContainer::Dispose();
}

void TKXHTMLContainer::AfterParentChanging(TWinControl* oldParent, TWinControl* newParent) {
  TKXContainer::AfterParentChanging(oldParent, newParent);
  if (Supports<TFrame>(oldParent) || Supports<TFrame>(newParent) ||
      (oldParent == nullptr && newParent != nullptr)) {
    SetTabOrder(-1);
  }
}

// ---------------------------------------------------------------------------
// TKXHTML40ContainerImplementation

void TKXHTML40ContainerImplementation::Consider(TComponent* object) {
  IKXHTML40Component* component = Supports<IKXHTML40Component>(object);
  IKXHTML40Control* control = Supports<IKXHTML40Control>(object);
  if ((component && component->DoRefreshControl()) || (control && control->RequiresRefresh())) {
    if (std::find(FControlList.begin(), FControlList.end(), object) == FControlList.end()) {
      FControlList.push_back(object);
    }
  }
}

void TKXHTML40ContainerImplementation::Walk(TComponent* object) {
  if (auto* frame = Supports<TFrame>(object)) {
    IKXBaseContainer* root = Supports<IKXBaseContainer>(mContainer);
    if ((root == nullptr || !root->CheckComponentForRender(frame)) && !frame->Visible()) return;
    if (TComponent* region = frame->FindComponent(FrameRegionName)) {
      Walk(region);
    } else {
      for (TComponent* control : FrameControls(frame)) Walk(control);
    }
    return;
  }
  Consider(object);
  if (IKXBaseContainer* container = Supports<IKXBaseContainer>(object)) {
    for (int i = 0; i < container->KXComponentsCount(); ++i) Walk(container->ContainerComponent(i));
  }
}

void TKXHTML40ContainerImplementation::RenderAsyncComponents(TKXContainerContext* containerContext,
                                                            TKXPageContext40* pageContext) {
  FControlList.clear();
  Walk(mContainer);
  for (TComponent* object : FControlList) {
    IKXHTML40Component* component = Supports<IKXHTML40Component>(object);
    if (component == nullptr) continue;
    auto context = std::make_unique<TKXCompContext>(object, containerContext, pageContext);
    TKXElementPtr<TKXXMLTag> tag = component->RenderAsyncComponent(context.get());
    if (!tag) continue;
    context->SetMLTag(std::move(tag));
    if (containerContext) containerContext->AddComponent(std::move(context));
  }
}

// ---------------------------------------------------------------------------
// TKXHTML40Container

void TKXHTML40Container::InitControl() {
  FHTML40ContainerImplementation = std::make_unique<TKXHTML40ContainerImplementation>(this);
  TKXHTMLContainer::InitControl();
}

TKXElementPtr<TKXXMLTag> TKXHTML40Container::RenderAsync(TKXCompContext* context) {
  (void)context;
  return nullptr;
}

void TKXHTML40Container::SetActiveControl(IKXHTML40Control* control) { kx::SetActiveControl(Parent(), control); }

std::string TKXHTML40Container::GenerateControlPositions() {
  std::string result;
  for (int i = 0; i < KXComponentsCount(); ++i) {
    TComponent* component = ContainerComponent(i);
    IKXBaseControl* base = Supports<IKXBaseControl>(component);
    if (base == nullptr || !base->Visible()) continue;
    IKXHTML40Control* control = Supports<IKXHTML40Control>(component);
    if (control && FDoRefreshControl) {
      result += std::string(CRLF) + "KXTop()." + control->HTMLName() + "KXCL.SetRect(new parent.Rect(" +
                std::to_string(control->HTMLLeft()) + ", " + std::to_string(control->HTMLTop()) + ", " +
                std::to_string(control->HTMLWidth()) + ", " + std::to_string(control->HTMLHeight()) + "));" + CRLF;
    }
    if (IKXHTML40Container* nested = Supports<IKXHTML40Container>(component)) {
      result += CRLF + nested->GenerateControlPositions();
    }
  }
  return result;
}

void TKXHTML40Container::RenderAsyncComponents(TKXContainerContext* containerContext,
                                               TKXPageContext40* pageContext) {
  FHTML40ContainerImplementation->RenderAsyncComponents(containerContext, pageContext);
}

// ---------------------------------------------------------------------------
// Focus and refresh helpers

void SetActiveControl(TComponent* container, IKXHTML40Control* control) {
  TComponent* current = container;
  while (current != nullptr) {
    if (IKXHTML40Container* html = Supports<IKXHTML40Container>(current)) {
      html->SetActiveControl(control);
      return;
    }
    auto* frame = Supports<TFrame>(current);
    if (frame == nullptr) break;
    current = frame->Parent();
  }
  throw Exception(RSCannotReceiveFocus);
}

void SetDoRefreshControl(TComponent* component, bool value) {
  if (component == nullptr) return;
  if (IKXHTML40Component* html = Supports<IKXHTML40Component>(component)) html->SetDoRefreshControl(value);
  if (auto* container = Supports<TKXHTML40Container>(component)) container->SetDoRefreshControl(value);
  if (IKXBaseContainer* container = Supports<IKXBaseContainer>(component)) {
    for (int i = 0; i < container->KXComponentsCount(); ++i) SetDoRefreshControl(container->ContainerComponent(i), value);
  } else if (auto* frame = Supports<TFrame>(component)) {
    for (int i = 0; i < frame->ComponentCount(); ++i) SetDoRefreshControl(frame->Components(i), value);
  }
}

}  // namespace kx
