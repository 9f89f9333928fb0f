#include "kx/controls/grids/ControlContainer.h"

#include "kx/platform/SysUtils.h"

namespace kx {

void TKXControlContainer::InitControl() {
  FContainerImplementation = std::make_unique<TKXContainerImplementation>(this);
  TKXCustomControl::InitControl();
}

void TKXControlContainer::Dispose() {
  TKXCustomControl::Dispose();
  // The last first, reading the count again: a control given back may take others with it.
  while (KXComponentsCount() > 0) {
    auto* control = dynamic_cast<TKXCustomControl*>(ContainerComponent(KXComponentsCount() - 1));
    FContainerImplementation->RemoveComponent(ContainerComponent(KXComponentsCount() - 1));
    if (control == nullptr || control->ComponentState().Contains(csDestroying)) continue;
    if (IKXBaseContainer* parent = control->ParentContainer()) parent->KXAddComponent(control);
  }
  FContainerImplementation.reset();
}

std::string TKXControlContainer::ContainerName() {
  if (IKXBaseContainer* parent = Supports<IKXBaseContainer>(Parent())) return parent->ContainerName() + "." + Name();
  return Name();
}

std::string TKXControlContainer::ContainerPrefix() {
  if (IKXBaseContainer* parent = Supports<IKXBaseContainer>(Parent())) return parent->ContainerPrefix();
  return UpperCase(Name());
}

std::string TKXControlContainer::ContainerClassname() {
  if (IKXBaseContainer* parent = Supports<IKXBaseContainer>(Parent())) {
    return parent->ContainerClassname() + "." + ClassName();
  }
  return ClassName();
}

void TKXControlContainer::KXAddComponent(TComponent* component) {
  if (DesignMode() || ComponentState().Contains(csDestroying) || FContainerImplementation == nullptr) return;
  FContainerImplementation->AddComponent(component);
  // The form's index of posting controls reaches the held controls through this control.
  if (auto* parent = dynamic_cast<TKXContainer*>(Parent())) parent->KXComponentsChanged(component);
}

void TKXControlContainer::KXRemoveComponent(TComponent* component) {
  if (FContainerImplementation == nullptr || FContainerImplementation->IndexOf(component) < 0) return;
  FContainerImplementation->RemoveComponent(component);
  if (auto* parent = dynamic_cast<TKXContainer*>(Parent())) parent->KXComponentsChanged(component);
}

int TKXControlContainer::KXFindComponent(TComponent* component) {
  return FContainerImplementation ? FContainerImplementation->IndexOf(component) : -1;
}

TComponent* TKXControlContainer::FindComponentByName(const std::string& name) {
  for (int i = 0; i < KXComponentsCount(); ++i) {
    TComponent* component = ContainerComponent(i);
    IKXBaseComponent* base = Supports<IKXBaseComponent>(component);
    if (base != nullptr && SameText(base->ComponentName(), name)) return component;
  }
  TKXContainerContext* context = ContainerContext();
  return context ? context->GetControlInstance(name) : nullptr;
}

TComponent* TKXControlContainer::ContainerComponent(int index) { return FContainerImplementation->Components(index); }

int TKXControlContainer::KXComponentsCount() {
  return FContainerImplementation ? FContainerImplementation->Count() : 0;
}

TKXContainerContext* TKXControlContainer::ContainerContext() {
  return FContainerImplementation ? FContainerImplementation->ContainerContext() : nullptr;
}

void TKXControlContainer::SetContainerContext(std::unique_ptr<TKXContainerContext> context) {
  if (FContainerImplementation == nullptr || context.get() == ContainerContext()) return;
  FContainerImplementation->SetContainerContext(std::move(context));
}

bool TKXControlContainer::CheckComponentForRender(TComponent* component) {
  TWinControl* parent = Parent();
  if (Supports<IKXHTML40Form>(parent)) return false;
  if (IKXHTML40Container* container = Supports<IKXHTML40Container>(parent)) {
    return container->CheckComponentForRender(component);
  }
  return false;
}

void TKXControlContainer::Freeing(TObject* object) {
  if (auto* component = dynamic_cast<TComponent*>(object)) KXRemoveComponent(component);
}

}  // namespace kx
