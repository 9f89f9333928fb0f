// Supports answers from its per-class cache exactly what dynamic_cast answers, for the library's components and
// interfaces, for interfaces of the author's own, and for a base queried while its derived object is being made.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kx/controls/appform/AppForm.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/imagelist/ImageList.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/regions/Regions.h"
#include "kx/forms/LayoutManagers.h"
#include "support/TestForms.h"

namespace kx {
namespace {

constexpr const char* kChrome = "Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36";

// An interface of the author's own, which the library knows nothing of.
class IAuthorMark {
 public:
  virtual int Mark() = 0;

 protected:
  ~IAuthorMark() = default;
};

class TMarkedEdit : public TKXEdit, public virtual IAuthorMark {
  KX_COMPONENT_CLASS(TMarkedEdit, TKXEdit)

 public:
  int Mark() override { return 7; }
};

// Asks each interface of the list twice (the first answer fills the cache, the second comes from it), through the
// object's TObject and TComponent pointers and a const pointer, and compares with dynamic_cast.
template <class... Is>
void ExpectSameAsDynamicCast(TComponent* component) {
  TObject* object = component;
  const TComponent* constant = component;
  auto check = [&]<class I>(I*) {
    SCOPED_TRACE(ClassNameOf(typeid(I)));
    I* expected = dynamic_cast<I*>(object);
    for (int pass = 0; pass < 2; ++pass) {
      EXPECT_EQ(Supports<I>(object), expected);
      EXPECT_EQ(Supports<I>(component), expected);
      EXPECT_EQ(Supports<I>(constant), static_cast<const I*>(expected));
    }
    return expected != nullptr;
  };
  const int supported = (int(check(static_cast<Is*>(nullptr))) + ...);
  // Every class here implements something of the list but the plain component and the image list.
  if (component->ClassName() != "TComponent" && component->ClassName() != "TKXImageList") {
    EXPECT_GT(supported, 0);
  }
  EXPECT_LT(supported, int(sizeof...(Is)));
}

TEST(Supports, AnswersAsDynamicCastForTheLibrarysComponents) {
  test::TSessionFixture session(kChrome);
  test::TFormFixture f;
  TOwnedComponent<TKXForm> form(TComponent::Create<TKXForm>(nullptr));
  auto* region = f.Add<TKXRegion>("Region1", f.Form);
  const std::vector<TComponent*> components = {
      f.Root.get(),
      f.Form,
      form.get(),
      TComponent::Create<TKXShowMessage>(session.Session),
      f.Add<TKXButton>("Button1", f.Form),
      f.Add<TKXEdit>("Edit1", region),
      f.Add<TKXMemo>("Memo1", f.Form),
      f.Add<TKXLabel>("Label1", region),
      f.Add<TKXText>("Text1", f.Form),
      region,
      f.Add<TKXLayoutMgrForm>("Layout1", nullptr),
      f.Add<TKXImageList>("Images1", nullptr),
      f.Add<TMarkedEdit>("Marked1", f.Form),
  };
  for (TComponent* component : components) {
    SCOPED_TRACE(component->ClassName());
    ExpectSameAsDynamicCast<IKXBaseComponent, IKXBaseHTMLComponent, IKXBaseHTMLControl, IKXHTML40Component,
                            IKXBaseControl, IKXHTML40Control, IKXBaseContainer, IKXHTML40Container, IKXTabOrder,
                            IKXInputControl, IKXInputControl40, IKXSubmitControl, IKXRegion, IKXContainerLayout,
                            IKXFreeNotification, IKXResyncEvents, IKXInvisibleControlRenderer, IKXUpdateNotified,
                            IKXForm, IKXHTMLForm, IKXHTML40Form, IKXAppForm, IKXMessageForm, IKXCacheOwner,
                            IAuthorMark>(component);
  }
  EXPECT_EQ(Supports<IAuthorMark>(components.back())->Mark(), 7);
  EXPECT_EQ(Supports<IAuthorMark>(static_cast<TComponent*>(nullptr)), nullptr);
}

// A base with a virtual interface sits at another distance from that interface inside a derived class that adds a
// virtual base and fields of its own; while the base is constructed inside the derived object, the answer must be
// the one for that layout and not the one for a complete base object asked before.
class IFirst {
 public:
  virtual ~IFirst() = default;
};
class ISecond {
 public:
  virtual ~ISecond() = default;
};

class TQueriedBase : public TComponent, public virtual IFirst {
  KX_COMPONENT_CLASS(TQueriedBase, TComponent)

 public:
  TQueriedBase() { Record(); }
  ~TQueriedBase() override { Record(); }

  static inline std::vector<std::string> Mismatches;

 private:
  void Record() {
    TComponent* self = this;
    if (Supports<IFirst>(self) != dynamic_cast<IFirst*>(self) || Supports<ISecond>(self) != dynamic_cast<ISecond*>(self))
      Mismatches.push_back(ClassNameOf(typeid(*this)));
  }
};

class TQueriedDerived : public TQueriedBase, public virtual ISecond {
  KX_COMPONENT_CLASS(TQueriedDerived, TQueriedBase)

 public:
  char Fields[40] = {};
};

TEST(Supports, AnswersForTheLayoutOfAnObjectUnderConstruction) {
  TQueriedBase::Mismatches.clear();
  TOwnedComponent<TComponent> base(TComponent::Create<TQueriedBase>(nullptr));
  TOwnedComponent<TComponent> derived(TComponent::Create<TQueriedDerived>(nullptr));
  EXPECT_NE(Supports<ISecond>(derived.get()), nullptr);
  EXPECT_EQ(Supports<IFirst>(derived.get()), dynamic_cast<IFirst*>(derived.get()));
  EXPECT_EQ(Supports<IFirst>(base.get()), dynamic_cast<IFirst*>(base.get()));
  base.reset();
  derived.reset();
  EXPECT_EQ(TQueriedBase::Mismatches, std::vector<std::string>{});
}

}  // namespace
}  // namespace kx
