#include "kx/platform/Controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kx {

// Prints rectangles in failure messages.
void PrintTo(const TRect& r, std::ostream* os) {
  *os << "(" << r.Left << ", " << r.Top << ", " << r.Width() << " x " << r.Height() << ")";
}

namespace {

using TLog = std::vector<std::string>;

// A windowed control that logs child changes, resizes and invalidations.
class TPanel : public TWinControl {
  KX_COMPONENT_CLASS(TPanel, TWinControl)

 public:
  TLog* Log = nullptr;
  int Border = 0;  // taken off every side of the client area
  int Invalidations = 0;

  TRect ClientRect() const override {
    return Rect(Border, Border, std::max(Border, Width() - Border), std::max(Border, Height() - Border));
  }
  void Invalidate() override { ++Invalidations; }

 protected:
  void ControlChange(TControl* control, bool inserting) override {
    if (Log) Log->push_back(Name() + (inserting ? " +" : " -") + control->Name());
  }
};

struct Fixture {
  TOwnedComponent<TComponent> root{TComponent::Create<TComponent>(nullptr)};

  TPanel* Panel(const char* name, int width, int height, TWinControl* parent = nullptr) {
    auto* panel = TComponent::Create<TPanel>(root.get());
    panel->SetName(name);
    panel->SetBounds(0, 0, width, height);
    panel->SetParent(parent);
    return panel;
  }
  TControl* Child(TWinControl* parent, const char* name, TRect bounds, TAlign align = alNone) {
    auto* control = TComponent::Create<TControl>(root.get());
    control->SetName(name);
    control->SetBoundsRect(bounds);
    control->SetParent(parent);
    control->SetAlign(align);
    return control;
  }
};

TEST(TWinControl, AlignsTopBottomLeftRightThenClient) {
  Fixture f;
  TPanel* panel = f.Panel("P", 400, 300);
  // Added in an order that differs from the alignment order.
  TControl* client = f.Child(panel, "C", Bounds(5, 5, 10, 10), alClient);
  TControl* right = f.Child(panel, "R", Bounds(0, 0, 70, 10), alRight);
  TControl* top1 = f.Child(panel, "T1", Bounds(0, 0, 10, 50), alTop);
  TControl* bottom = f.Child(panel, "B", Bounds(0, 0, 10, 40), alBottom);
  TControl* left = f.Child(panel, "L", Bounds(0, 0, 60, 10), alLeft);
  TControl* top2 = f.Child(panel, "T2", Bounds(0, 0, 10, 20), alTop);  // same Top as T1: after it

  struct Case {
    TControl* control;
    TRect expected;
  };
  const Case before[] = {{top1, Bounds(0, 0, 400, 50)},   {top2, Bounds(0, 50, 400, 20)},
                         {bottom, Bounds(0, 260, 400, 40)}, {left, Bounds(0, 70, 60, 190)},
                         {right, Bounds(330, 70, 70, 190)}, {client, Bounds(60, 70, 270, 190)}};
  for (const Case& c : before) {
    SCOPED_TRACE(c.control->Name());
    EXPECT_EQ(c.control->BoundsRect(), c.expected);
  }

  panel->SetBounds(0, 0, 500, 400);
  const Case after[] = {{top1, Bounds(0, 0, 500, 50)},   {top2, Bounds(0, 50, 500, 20)},
                        {bottom, Bounds(0, 360, 500, 40)}, {left, Bounds(0, 70, 60, 290)},
                        {right, Bounds(430, 70, 70, 290)}, {client, Bounds(60, 70, 370, 290)}};
  for (const Case& c : after) {
    SCOPED_TRACE(c.control->Name());
    EXPECT_EQ(c.control->BoundsRect(), c.expected);
  }
}

TEST(TWinControl, AlignedChildChangesReflowTheOthers) {
  Fixture f;
  TPanel* panel = f.Panel("P", 200, 100);
  TControl* top = f.Child(panel, "T", Bounds(0, 0, 0, 30), alTop);
  TControl* client = f.Child(panel, "C", Bounds(0, 0, 0, 0), alClient);
  EXPECT_EQ(client->BoundsRect(), Bounds(0, 30, 200, 70));

  top->SetHeight(50);
  EXPECT_EQ(client->BoundsRect(), Bounds(0, 50, 200, 50));
  top->SetWidth(10);  // an aligned control gets its width back
  EXPECT_EQ(top->BoundsRect(), Bounds(0, 0, 200, 50));

  top->SetVisible(false);  // takes no room
  EXPECT_EQ(client->BoundsRect(), Bounds(0, 0, 200, 100));
  top->SetVisible(true);
  EXPECT_EQ(client->BoundsRect(), Bounds(0, 50, 200, 50));

  top->SetAlign(alNone);
  EXPECT_EQ(top->Anchors(), (TAnchors{akLeft, akTop}));
  EXPECT_EQ(client->BoundsRect(), Bounds(0, 0, 200, 100));
  EXPECT_EQ(top->BoundsRect(), Bounds(0, 0, 200, 50));  // stays where it was
}

TEST(TWinControl, AlignmentKeepsMarginsAndClientArea) {
  Fixture f;
  TPanel* panel = f.Panel("P", 200, 100);
  panel->Border = 5;
  TControl* top = f.Child(panel, "T", Bounds(0, 0, 0, 20), alTop);
  TControl* client = f.Child(panel, "C", Bounds(0, 0, 0, 0), alClient);
  client->Margins().SetMargins(1, 2, 3, 4);
  client->SetAlignWithMargins(true);
  EXPECT_EQ(top->BoundsRect(), Bounds(5, 5, 190, 20));
  EXPECT_EQ(client->BoundsRect(), Bounds(6, 27, 186, 64));

  client->Margins().SetLeft(10);
  EXPECT_EQ(client->BoundsRect(), Bounds(15, 27, 177, 64));

  panel->SetBounds(0, 0, 20, 20);  // less room than the controls need: sizes stop at 0
  EXPECT_EQ(client->Width(), 0);
  EXPECT_EQ(client->Height(), 0);
}

TEST(TWinControl, AnchorsKeepDistancesWhenTheParentResizes) {
  struct Case {
    const char* name;
    TAnchors anchors;
    TRect expected;  // after 200 x 100 -> 300 x 150
  };
  const Case cases[] = {
      {"left top", {akLeft, akTop}, Bounds(10, 20, 50, 30)},
      {"right bottom", {akRight, akBottom}, Bounds(110, 70, 50, 30)},
      {"left right", {akLeft, akRight}, Bounds(10, 45, 150, 30)},
      {"all", {akLeft, akTop, akRight, akBottom}, Bounds(10, 20, 150, 80)},
      {"none", {}, Bounds(60, 45, 50, 30)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    TPanel* panel = f.Panel("P", 200, 100);
    TControl* child = f.Child(panel, "C", Bounds(10, 20, 50, 30));
    child->SetAnchors(c.anchors);
    panel->SetBounds(0, 0, 300, 150);
    EXPECT_EQ(child->BoundsRect(), c.expected);
    // Shrinking below the control's size and growing back restores it.
    panel->SetBounds(0, 0, 20, 10);
    EXPECT_GE(child->Width(), 0);
    panel->SetBounds(0, 0, 200, 100);
    EXPECT_EQ(child->BoundsRect(), Bounds(10, 20, 50, 30));
  }
}

TEST(TWinControl, MovingAnAnchoredControlTakesNewDistances) {
  Fixture f;
  TPanel* panel = f.Panel("P", 200, 100);
  TControl* child = f.Child(panel, "C", Bounds(10, 10, 50, 30));
  child->SetAnchors({akRight, akTop});
  panel->SetWidth(300);
  EXPECT_EQ(child->Left(), 110);
  child->SetLeft(20);  // 280 from the right edge now
  panel->SetWidth(400);
  EXPECT_EQ(child->Left(), 120);
}

class TBuiltFrame : public TFrame {
  KX_COMPONENT_CLASS(TBuiltFrame, TFrame)

 public:
  TControl* Button = nullptr;

 protected:
  void BuildComponents() override {
    Button = TComponent::Create<TControl>(this);
    Button->SetParent(this);
    Button->SetBounds(150, 10, 40, 20);  // 10 from the right edge of the designed 200 x 100
    Button->SetAnchors({akRight, akTop});
    SetBounds(0, 0, 200, 100);  // the frame gets its size after its children
  }
};

TEST(TFrame, BuildsItsChildrenAndAnchorsThemFromItsLoadedSize) {
  TOwnedComponent<TBuiltFrame> frame(TComponent::Create<TBuiltFrame>(nullptr));
  ASSERT_NE(frame->Button, nullptr);
  EXPECT_EQ(frame->Button->Owner(), frame.get());
  EXPECT_EQ(frame->Button->Left(), 150);  // the frame's sizing while loading moved nothing
  EXPECT_FALSE(frame->ComponentState().Contains(csLoading));
  frame->SetWidth(300);
  EXPECT_EQ(frame->Button->Left(), 250);
}

TEST(TWinControl, AlignmentWaitsWhileDisabled) {
  Fixture f;
  TPanel* panel = f.Panel("P", 200, 100);
  panel->DisableAlign();
  TControl* client = f.Child(panel, "C", Bounds(0, 0, 10, 10), alClient);
  EXPECT_EQ(client->BoundsRect(), Bounds(0, 0, 10, 10));
  panel->EnableAlign();
  EXPECT_EQ(client->BoundsRect(), Bounds(0, 0, 200, 100));
}

TEST(TControl, TabOrderIsThePositionAmongTheSiblings) {
  Fixture f;
  TPanel* panel = f.Panel("P", 100, 100);
  TControl* a = f.Child(panel, "A", Bounds(0, 0, 1, 1));
  f.Child(panel, "B", Bounds(0, 0, 1, 1));
  TControl* c = f.Child(panel, "C", Bounds(0, 0, 1, 1));
  auto order = [panel] {
    std::vector<TControl*> list;
    panel->GetTabOrderList(list);
    std::string names;
    for (TControl* control : list) names += control->Name();
    return names;
  };
  EXPECT_EQ(order(), "ABC");
  EXPECT_EQ(c->TabOrder(), 2);

  c->SetTabOrder(0);
  EXPECT_EQ(order(), "CAB");
  EXPECT_EQ(a->TabOrder(), 1);
  a->SetTabOrder(99);  // past the end: last
  EXPECT_EQ(order(), "CBA");
  c->SetTabOrder(-1);  // below 0: last
  EXPECT_EQ(order(), "BAC");
  EXPECT_EQ(panel->ControlCount(), 3);
  EXPECT_EQ(panel->Controls(0), a);  // the child order is untouched

  // A control without parent keeps the wished position until it gets one.
  TControl* d = f.Child(nullptr, "D", Bounds(0, 0, 1, 1));
  EXPECT_EQ(d->TabOrder(), -1);
  d->SetTabOrder(1);
  EXPECT_EQ(d->TabOrder(), 1);
  d->SetParent(panel);
  EXPECT_EQ(order(), "BDAC");

  // Nested controls follow their parent in the list.
  TPanel* inner = f.Panel("I", 10, 10, panel);
  f.Child(inner, "X", Bounds(0, 0, 1, 1));
  inner->SetTabOrder(0);
  EXPECT_EQ(order(), "IXBDAC");
}

TEST(TControl, ReparentingMovesTheControlBetweenChildLists) {
  TLog log;  // outlives the fixture, whose freeing still reports to it
  Fixture f;
  TPanel* first = f.Panel("P1", 100, 100);
  TPanel* second = f.Panel("P2", 100, 100);
  first->Log = &log;
  second->Log = &log;
  TControl* child = f.Child(first, "C", Bounds(0, 0, 10, 10), alClient);
  f.Child(second, "D", Bounds(0, 0, 1, 1));
  EXPECT_EQ(child->BoundsRect(), Bounds(0, 0, 100, 100));

  second->SetBounds(0, 0, 50, 40);
  child->SetParent(second);
  EXPECT_EQ(first->ControlCount(), 0);
  EXPECT_EQ(second->ControlCount(), 2);
  EXPECT_EQ(child->Parent(), second);
  EXPECT_EQ(child->TabOrder(), 1);
  EXPECT_EQ(child->BoundsRect(), Bounds(0, 0, 50, 40));
  EXPECT_EQ(log, (TLog{"P1 +C", "P2 +D", "P1 -C", "P2 +C"}));

  EXPECT_TRUE(first->ContainsControl(first));
  EXPECT_FALSE(first->ContainsControl(child));
  EXPECT_TRUE(second->ContainsControl(child));
}

TEST(TControl, ParentCannotBeTheControlItselfOrInsideIt) {
  Fixture f;
  TPanel* outer = f.Panel("Outer", 100, 100);
  TPanel* inner = f.Panel("Inner", 50, 50, outer);
  TPanel* innermost = f.Panel("Innermost", 10, 10, inner);
  EXPECT_THROW(outer->SetParent(outer), EInvalidOperation);
  EXPECT_THROW(outer->SetParent(innermost), EInvalidOperation);
  EXPECT_EQ(outer->Parent(), nullptr);
  EXPECT_EQ(innermost->Parent(), inner);
}

TEST(TWinControl, FreeingAParentFreesItsChildControlsWhoeverOwnsThem) {
  Fixture f;
  TPanel* panel = f.Panel("P", 100, 100);
  TControl* child = f.Child(panel, "C", Bounds(0, 0, 1, 1));
  TComponentRef<TControl> ref(child);
  f.Child(panel, "D", Bounds(0, 0, 1, 1));
  const int owned = f.root->ComponentCount();
  panel->Free();
  EXPECT_EQ(ref.Get(), nullptr);
  EXPECT_EQ(f.root->ComponentCount(), owned - 3);
}

TEST(TControl, FreedChildLeavesItsParentAndTheAlignment) {
  TLog log;  // outlives the fixture, whose freeing still reports to it
  Fixture f;
  TPanel* panel = f.Panel("P", 100, 100);
  panel->Log = &log;
  TControl* top = f.Child(panel, "T", Bounds(0, 0, 0, 30), alTop);
  TControl* client = f.Child(panel, "C", Bounds(0, 0, 0, 0), alClient);
  top->Free();
  EXPECT_EQ(panel->ControlCount(), 1);
  EXPECT_EQ(client->BoundsRect(), Bounds(0, 0, 100, 100));
  EXPECT_EQ(log.back(), "P -T");
}

TEST(TControl, ShowHintFollowsTheParentUntilSetOnItsOwn) {
  Fixture f;
  TPanel* panel = f.Panel("P", 10, 10);
  TControl* child = f.Child(panel, "C", Bounds(0, 0, 1, 1));
  EXPECT_FALSE(child->ShowHint());
  panel->SetShowHint(true);
  EXPECT_TRUE(child->ShowHint());
  child->SetShowHint(false);
  EXPECT_FALSE(child->ParentShowHint());
  panel->SetShowHint(true);
  EXPECT_FALSE(child->ShowHint());
  child->SetParentShowHint(true);
  EXPECT_TRUE(child->ShowHint());
}

TEST(TControl, ChangesInvalidateAndResizesCallOnResize) {
  Fixture f;
  TPanel* panel = f.Panel("P", 10, 10);
  int resizes = 0;
  panel->OnResize = [&](TObject* sender) {
    EXPECT_EQ(sender, panel);
    ++resizes;
  };
  panel->Invalidations = 0;
  panel->SetLeft(5);
  EXPECT_EQ(resizes, 0);
  panel->SetWidth(20);
  panel->SetWidth(20);  // unchanged: nothing
  EXPECT_EQ(resizes, 1);
  panel->SetEnabled(false);
  panel->SetVisible(false);
  EXPECT_EQ(panel->Invalidations, 4);
  panel->SetHeight(-5);
  EXPECT_EQ(panel->Height(), 0);
}

}  // namespace
}  // namespace kx
