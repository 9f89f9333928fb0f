// TKXControlContainer: a control that holds controls of its own (the grid's cell controls) without being a
// container of the forms layer. It forwards the container interfaces to its TKXContainerImplementation and, for
// names and render checks, to its parent container; what it renders and how it makes its container context is the
// derived class's (DoRender, InitContainerContext, RenderComponents, RenderAsyncComponents).
#pragma once

#include <memory>
#include <string>

#include "kx/forms/Containers.h"
#include "kx/forms/CustomControl.h"

namespace kx {

class TKXControlContainer : public TKXCustomControl,
                            public virtual IKXHTML40Container,
                            public virtual IKXFreeNotification {
  KX_COMPONENT_CLASS(TKXControlContainer, TKXCustomControl)

 public:
  // ---- IKXBaseContainer
  // The parent container's name + "." + Name, else Name.
  std::string ContainerName() override;
  // The parent container's prefix, else Name upper-cased.
  std::string ContainerPrefix() override;
  std::string ContainerClassname() override;
  TComponent* InterfaceInstance() override { return this; }
  // Adds component (nothing at design time or while freed); the parent container hears of the change, so that the
  // form's index of posting controls reaches the held controls.
  void KXAddComponent(TComponent* component) override;
  void KXRemoveComponent(TComponent* component) override;
  int KXFindComponent(TComponent* component) override;
  // A held control by its component name, else a control of the container context.
  TComponent* FindComponentByName(const std::string& name) override;
  TComponent* ContainerComponent(int index) override;
  int KXComponentsCount() override;
  TKXContainerContext* ContainerContext() override;
  void SetContainerContext(std::unique_ptr<TKXContainerContext> context) override;
  // What the parent container says; false under a form.
  bool CheckComponentForRender(TComponent* component) override;

  // ---- IKXHTML40Container: no layout and no active control of its own
  void SetActiveControl(IKXHTML40Control* control) override { (void)control; }
  TComponent* LayoutMgr() override { return nullptr; }
  void SetLayoutMgr(TComponent* value) override { (void)value; }
  std::string GenerateControlPositions() override { return std::string(); }
  bool ShowHint() const override { return TKXCustomControl::ShowHint(); }
  int Width() const override { return TKXCustomControl::Width(); }
  int Height() const override { return TKXCustomControl::Height(); }

  // ---- IKXFreeNotification
  // A watched component (a held control) is being freed; it leaves the container.
  void Freeing(TObject* object) override;

 protected:
  // The container implementation, then the inherited InitControl.
  void InitControl() override;
  // The inherited Dispose, then the held controls go back to their parents' containers.
  void Dispose() override;
  // Null before InitControl and after Dispose.
  TKXContainerImplementation* ContainerImplementation() const { return FContainerImplementation.get(); }

 private:
  std::unique_ptr<TKXContainerImplementation> FContainerImplementation;
};

}  // namespace kx
