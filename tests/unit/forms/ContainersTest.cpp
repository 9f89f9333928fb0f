#include "kx/forms/Containers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kx/foundation/KXExceptions.h"
#include "support/TestForms.h"

namespace kx {

void PrintTo(const TRect& r, std::ostream* os) {
  *os << "(" << r.Left << ", " << r.Top << ", " << r.Width() << " x " << r.Height() << ")";
}

namespace {

using test::TFormFixture;
using test::TTestEdit;
using test::TTestLabel;
using test::TTestPanel;

// The names of the registered components of a context, in order.
std::string Order(TKXContainerContext* context) {
  std::string names;
  for (int i = 0; i < context->GetControlsCount(); ++i) {
    if (!names.empty()) names += ",";
    names += context->GetControlInstanceFromIndex(i)->Name();
  }
  return names;
}

TEST(TKXContainer, ChildrenRenderInTabOrderAndEqualOrdersKeepTheirPlace) {
  TFormFixture f;
  auto* timer = TComponent::Create<TKXBaseHTML40Component>(f.Form);  // no tab order: key 0
  timer->SetName("Timer1");
  f.Add<TTestEdit>("A", f.Form);
  f.Add<TTestEdit>("B", f.Form);
  auto* c = f.Add<TTestEdit>("C", f.Form);
  c->SetTabOrder(0);
  EXPECT_EQ(Order(f.Form->Render()), "Timer1,C,A,B");
}

TEST(TKXContainer, NestedContainersRenderTheirChildrenIntoTheirOwnContext) {
  TFormFixture f;
  f.Form->AppForm = true;
  auto* panel = f.Add<TTestPanel>("Panel1", f.Form);
  f.Add<TTestEdit>("Before", f.Form);
  auto* inner = f.Add<TTestPanel>("Inner", panel);
  f.Add<TTestEdit>("X", panel);
  auto* deep = f.Add<TTestLabel>("Deep", inner);
  auto* y = f.Add<TTestEdit>("Y", panel);
  y->SetTabOrder(0);  // first of the form, so first inside the panel too

  TKXContainerContext* context = f.Form->Render();
  EXPECT_EQ(Order(context), "Panel1,Before");
  ASSERT_NE(panel->ContainerContext(), nullptr);
  EXPECT_EQ(Order(panel->ContainerContext()), "Y,Inner,X");
  EXPECT_EQ(Order(inner->ContainerContext()), "Deep");
  EXPECT_EQ(context->GetControlInstance("PANEL1.INNER.DEEP"), deep);
  EXPECT_EQ(f.Form->FindComponentByName("panel1.inner.deep"), deep);
  // The children's client objects hang below their container's.
  EXPECT_EQ(f.Form->Page.GetKXCLInitProc(),
            "  KX.initKXCL(PANEL1KXCL,\"Y\",true);\r\n"
            "  KX.initKXCL(INNERKXCL,\"DEEP\",false);\r\n"
            "  KX.initKXCL(PANEL1KXCL,\"X\",true);\r\n"
            "  KX.initKXCL(KXCLForm,\"BEFORE\",true);\r\n");
}

TEST(TKXContainer, InvisibleControlsRenderHiddenOrNotAtAll) {
  TFormFixture f;
  auto* hidden = f.Add<TTestEdit>("Hidden", f.Form);
  f.Add<TTestEdit>("Shown", f.Form);
  hidden->SetVisible(false);
  TKXContainerContext* context = f.Form->Render();
  EXPECT_EQ(Order(context), "Hidden,Shown");
  EXPECT_EQ(context->GetMarkupLanguageTag("HIDDEN")->Params()->Values("style"), "visibility: hidden; ");
  EXPECT_EQ(context->GetMarkupLanguageTag("SHOWN")->Params()->Values("style"), "");

  f.Form->SetRenderInvisibleControls(false);
  EXPECT_EQ(Order(f.Form->Render()), "Shown");
}

// A label that renders no tag at all.
class TNoTagLabel : public TTestLabel {
 public:
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override {
    (void)context;
    return nullptr;
  }
};

TEST(TKXContainer, AnInvisibleControlWithoutATagIsRegisteredWithoutOne) {
  TFormFixture f;
  auto* label = TComponent::Create<TNoTagLabel>(f.Form);
  label->SetName("Label1");
  label->SetParent(f.Form);
  label->SetVisible(false);
  TKXContainerContext* context = f.Form->Render();
  EXPECT_EQ(Order(context), "Label1");
  EXPECT_EQ(context->GetMarkupLanguageTag("LABEL1"), nullptr);
}

TEST(TKXContainer, AFrameRendersThroughItsRegionOrItsOwnControls) {
  TFormFixture f;
  f.Form->AppForm = true;
  auto* withRegion = f.Add<TFrame>("Frame1", f.Form);
  auto* region = f.Add<TTestPanel>("KXFrameRegion", withRegion, withRegion);
  f.Add<TTestEdit>("InRegion", region, withRegion);
  auto* plain = f.Add<TFrame>("Frame2", f.Form);
  f.Add<TTestEdit>("OnFrame", plain, plain);
  auto* hiddenFrame = f.Add<TFrame>("Frame3", f.Form);
  f.Add<TTestEdit>("Never", hiddenFrame, hiddenFrame);
  hiddenFrame->SetVisible(false);

  TKXContainerContext* context = f.Form->Render();
  EXPECT_EQ(Order(context), "KXFrameRegion,OnFrame");
  EXPECT_EQ(Order(region->ContainerContext()), "InRegion");
  EXPECT_EQ(context->GetControlInstance("FRAME2ONFRAME")->Name(), "OnFrame");
  EXPECT_EQ(context->GetControlInstance("Frame1.InRegion")->Name(), "InRegion");
}

TEST(TKXHTML40Container, ControlPositionsComeFromRefreshingContainersOnly) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  edit->SetBounds(1, 2, 30, 40);
  auto* panel = f.Add<TTestPanel>("Panel1", f.Form);
  auto* inner = f.Add<TTestEdit>("Inner", panel);
  inner->SetBounds(5, 6, 7, 8);
  auto* hidden = f.Add<TTestEdit>("Hidden", panel);
  hidden->SetVisible(false);

  panel->SetDoRefreshControl(true);
  EXPECT_EQ(f.Form->GenerateControlPositions(),
            "\r\n\r\nKXTop().INNERKXCL.SetRect(new parent.Rect(5, 6, 7, 8));\r\n");
  f.Form->SetDoRefreshControl(true);
  panel->SetDoRefreshControl(false);
  EXPECT_EQ(f.Form->GenerateControlPositions(), "\r\nKXTop().EDIT1KXCL.SetRect(new parent.Rect(1, 2, 30, 40));\r\n\r\n");
}

TEST(TKXHTML40Container, AsyncRenderSendsExactlyTheMarkedComponents) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  auto* panel = f.Add<TTestPanel>("Panel1", f.Form);
  auto* inner = f.Add<TTestEdit>("Inner", panel);
  auto* frame = f.Add<TFrame>("Frame1", f.Form);
  auto* onFrame = f.Add<TTestEdit>("OnFrame", frame, frame);
  auto* label = f.Add<TTestLabel>("Label1", f.Form);  // renders no update element
  (void)edit;

  SetDoRefreshControl(f.Form, false);
  EXPECT_EQ(f.Form->RenderUpdate()->GetControlsCount(), 0);

  inner->SetText("new");
  onFrame->SetHint("h");
  label->Invalidate();
  TKXContainerContext* context = f.Form->RenderUpdate();
  EXPECT_EQ(Order(context), "Inner,OnFrame");
  EXPECT_EQ(f.Form->HTML40ContainerImplementation()->ControlList().size(), 3u);
  EXPECT_EQ(context->GetMarkupLanguageTag("INNER")->Params()->Values("id"), "INNER");
}

TEST(TKXContainer, AComponentIsListedOnceAndLeavesWhenFreed) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  auto* other = f.Add<TTestEdit>("Edit2", f.Form);
  f.Form->KXAddComponent(edit);
  EXPECT_EQ(f.Form->KXComponentsCount(), 2);
  EXPECT_EQ(f.Form->TabOrderList().size(), 2u);
  edit->Free();
  EXPECT_EQ(f.Form->KXComponentsCount(), 1);
  EXPECT_EQ(f.Form->KXFindComponent(other), 0);
  ASSERT_EQ(f.Form->TabOrderList().size(), 1u);
  EXPECT_EQ(f.Form->TabOrderList()[0], other);
  EXPECT_EQ(other->TabOrder(), 0);
}

TEST(TKXHTMLContainer, ANestedContainerLeavesItsFormsTabListWhenMovedOrFreed) {
  TFormFixture f;
  auto* other = TComponent::Create<test::TTestForm>(f.Root.get());
  auto* panel = f.Add<TTestPanel>("Panel1", f.Form);
  auto* inner = f.Add<TKXHTML40Container>("Inner", panel);
  auto* moved = f.Add<TKXHTML40Container>("Moved", panel);
  EXPECT_EQ(f.Form->TabOrderList(), (std::vector<TControl*>{panel, inner, moved}));

  moved->SetParent(other);
  EXPECT_EQ(f.Form->TabOrderList(), (std::vector<TControl*>{panel, inner}));
  EXPECT_EQ(moved->TabOrder(), 0);
  EXPECT_EQ(other->TabOrderList(), std::vector<TControl*>{moved});

  inner->Free();
  EXPECT_EQ(f.Form->TabOrderList(), std::vector<TControl*>{panel});
}

TEST(TKXContainer, ALayoutIsAttachedDetachedAndForgottenWhenFreed) {
  TFormFixture f;
  test::TTestLayout* first = f.Form->Layout();
  EXPECT_EQ(first->Container, static_cast<IKXBaseContainer*>(f.Form));
  auto* second = TComponent::Create<test::TTestLayout>(f.Root.get());
  f.Form->SetLayoutMgr(second);
  EXPECT_EQ(first->Container, nullptr);
  EXPECT_EQ(second->Container, static_cast<IKXBaseContainer*>(f.Form));
  second->Free();
  EXPECT_EQ(f.Form->LayoutMgr(), nullptr);
}

TEST(TKXContainer, NamesOfNestedContainers) {
  TFormFixture f;
  auto* panel = f.Add<TTestPanel>("Panel1", f.Form);
  auto* inner = f.Add<TTestPanel>("Inner", panel);
  auto* loose = f.Add<TTestPanel>("Loose", nullptr);
  EXPECT_EQ(f.Form->ContainerName(), "Form1");
  EXPECT_EQ(inner->ContainerName(), "Form1.Panel1.Inner");
  EXPECT_EQ(f.Form->ContainerClassname(), "TTestForm");
  EXPECT_EQ(inner->ContainerClassname(), "TTestForm.TTestPanel.TTestPanel");
  EXPECT_EQ(loose->ContainerClassname(), "Loose");
}

TEST(TKXContainer, DoRenderReachesNestedContainers) {
  TFormFixture f;
  auto* panel = f.Add<TTestPanel>("Panel1", f.Form);
  auto* inner = f.Add<TTestPanel>("Inner", panel);
  auto* frame = f.Add<TFrame>("Frame1", f.Form);
  auto* region = f.Add<TTestPanel>("KXFrameRegion", frame, frame);
  std::string seen;
  for (TKXContainer* container : std::vector<TKXContainer*>{f.Form, panel, inner, region}) {
    container->OnRender = [&seen](TObject* sender) { seen += static_cast<TComponent*>(sender)->Name() + ","; };
  }
  f.Form->DoRender();
  EXPECT_EQ(seen, "Form1,Panel1,Inner,KXFrameRegion,");
}

TEST(TKXBaseContainer, NestedContainersAreAlignedWithTheirParent) {
  TFormFixture f;
  auto* top = f.Add<TTestPanel>("Top", f.Form);
  top->SetBounds(0, 0, 10, 100);
  top->SetAlign(alTop);
  auto* client = f.Add<TTestPanel>("Client", f.Form);
  client->SetAlign(alClient);
  auto* left = f.Add<TTestEdit>("Left", client);
  left->SetBounds(0, 0, 50, 10);
  left->SetAlign(alLeft);
  auto* rest = f.Add<TTestEdit>("Rest", client);
  rest->SetAlign(alClient);
  auto* anchored = f.Add<TTestEdit>("Anchored", top);
  anchored->SetBounds(700, 10, 90, 20);
  anchored->SetAnchors({akRight, akTop});

  EXPECT_EQ(top->BoundsRect(), Bounds(0, 0, 800, 100));
  EXPECT_EQ(client->BoundsRect(), Bounds(0, 100, 800, 500));
  EXPECT_EQ(left->BoundsRect(), Bounds(0, 0, 50, 500));
  EXPECT_EQ(rest->BoundsRect(), Bounds(50, 0, 750, 500));

  f.Form->SetBounds(0, 0, 400, 300);
  EXPECT_EQ(client->BoundsRect(), Bounds(0, 100, 400, 200));
  EXPECT_EQ(rest->BoundsRect(), Bounds(50, 0, 350, 200));
  EXPECT_EQ(anchored->BoundsRect(), Bounds(300, 10, 90, 20));
}

TEST(TKXBaseContainer, AFrameChildMustHoldAContainer) {
  TFormFixture f;
  auto* frame = f.Add<TFrame>("Frame1", f.Form);
  f.Add<TTestEdit>("Edit1", frame, frame);
  try {
    f.Form->ForceAlign();
    FAIL() << "no exception";
  } catch (const EKXNoFrameContainer& error) {
    EXPECT_STREQ(error.what(), "Frame container not found.");
  }
  auto* region = f.Add<TTestPanel>("KXFrameRegion", frame, frame);
  frame->SetBounds(0, 0, 200, 100);
  region->SetAlign(alClient);
  f.Form->ForceAlign();
  EXPECT_EQ(region->BoundsRect(), Bounds(0, 0, 200, 100));
}

// A control that frees a sibling while it is disposed.
class TSiblingKiller : public TTestEdit {
 public:
  TComponentRef<TControl> Sibling;

 protected:
  void Dispose() override {
    if (Sibling) Sibling->Free();
    TTestEdit::Dispose();
  }
};

TEST(TKXContainer, FreeingAContainerWhoseChildFreesASibling) {
  TFormFixture f;
  auto* panel = f.Add<TTestPanel>("Panel1", f.Form);
  auto* sibling = f.Add<TTestEdit>("Sibling", panel);
  auto* killer = TComponent::Create<TSiblingKiller>(f.Form);
  killer->SetName("Killer");
  killer->SetParent(panel);
  killer->Sibling = sibling;
  f.Add<TTestEdit>("Last", panel);
  f.Form->Render();
  panel->Free();
  EXPECT_EQ(f.Form->FindComponent("Sibling"), nullptr);
  EXPECT_EQ(f.Form->FindComponent("Killer"), nullptr);
  EXPECT_EQ(f.Form->KXComponentsCount(), 0);
  EXPECT_TRUE(f.Form->TabOrderList().empty());
}

}  // namespace
}  // namespace kx
