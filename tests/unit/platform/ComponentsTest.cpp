#include "kx/platform/Components.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/Raised.h"

namespace kx {
namespace {

using TLog = std::vector<std::string>;

// Writes its life into a log: "init X", "design X", "loaded X", "dispose X", "X: remove Y".
class TProbe : public TComponent {
  KX_COMPONENT_CLASS(TProbe, TComponent)

 public:
  TProbe() = default;
  TProbe(TLog* log, std::string label) : mLog(log), mLabel(std::move(label)) {}

  std::function<void()> OnDispose;
  TComponentRef<TComponent> Watched;
  using TComponent::IsFreeing;

 protected:
  void InitControl() override {
    TComponent::InitControl();
    Write("init " + ClassName());
  }
  void InitDesignTime() override { Write("design " + mLabel); }
  void Loaded() override {
    TComponent::Loaded();
    Write("loaded " + mLabel);
  }
  void Dispose() override {
    Write("dispose " + mLabel);
    if (OnDispose) OnDispose();
  }
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    auto* probe = dynamic_cast<TProbe*>(component);
    Write(mLabel + (operation == opRemove ? ": remove " : ": insert ") + (probe ? probe->mLabel : component->Name()));
  }
  void Write(const std::string& line) {
    if (mLog) mLog->push_back(line);
  }

  TLog* mLog = nullptr;
  std::string mLabel;
};

class TDerivedProbe : public TProbe {
  KX_COMPONENT_CLASS(TDerivedProbe, TProbe)

 public:
  using TProbe::TProbe;
  TComponent* OwnerSeenByInit = nullptr;

 protected:
  void InitControl() override {
    TProbe::InitControl();
    OwnerSeenByInit = Owner();
    Write("init derived");
  }
};

template <class T = TProbe>
T* Make(TComponent* owner, TLog& log, const std::string& label) {
  return TComponent::Create<T>(owner, &log, label);
}

bool Contains(const TLog& log, const std::string& line) {
  return std::find(log.begin(), log.end(), line) != log.end();
}

TEST(TComponent, InitControlRunsAfterConstructionOnTheMostDerivedClass) {
  TLog log;
  TOwnedComponent<TComponent> root(TComponent::Create<TComponent>(nullptr));
  auto* probe = Make<TDerivedProbe>(root.get(), log, "D");
  EXPECT_EQ(log, (TLog{"init TDerivedProbe", "init derived", "design D"}));
  EXPECT_EQ(probe->OwnerSeenByInit, root.get());
  EXPECT_EQ(probe->ClassName(), "TDerivedProbe");
}

TEST(TComponent, ConstructionOutsideCreateRaises) {
  EXPECT_THROW(TProbe probe, EInvalidOperation);
  // The refusal does not stick to the next proper creation.
  TOwnedComponent<TProbe> probe(TComponent::Create<TProbe>(nullptr));
  EXPECT_NE(probe.get(), nullptr);
}

TEST(TComponent, OwnedComponentsAreFreedLastFirstAfterTheOwnersDispose) {
  TLog log;
  auto* root = Make(nullptr, log, "root");
  Make(root, log, "A");
  auto* b = Make(root, log, "B");
  Make(b, log, "B1");
  Make(root, log, "C");
  log.clear();
  root->Free();
  TLog disposals;
  for (const std::string& line : log) {
    if (line.rfind("dispose ", 0) == 0) disposals.push_back(line);
  }
  EXPECT_EQ(disposals, (TLog{"dispose root", "dispose C", "dispose B", "dispose B1", "dispose A"}));
}

TEST(TComponent, ComponentFreedAloneLeavesItsOwnerAndEveryGuard) {
  TLog log;
  TOwnedComponent<TProbe> root(Make(nullptr, log, "root"));
  auto* a = Make(root.get(), log, "A");
  auto* b = Make(root.get(), log, "B");
  a->SetName("Alpha");
  TComponentRef<TProbe> ref1(a);
  TComponentRef<TComponent> ref2 = ref1.Get();
  TComponentRef<TProbe> copy = ref1;
  a->Free();
  EXPECT_EQ(root->ComponentCount(), 1);
  EXPECT_EQ(root->Components(0), b);
  EXPECT_EQ(root->FindComponent("Alpha"), nullptr);
  EXPECT_EQ(ref1.Get(), nullptr);
  EXPECT_EQ(ref2.Get(), nullptr);
  EXPECT_FALSE(copy);
  EXPECT_TRUE(Contains(log, "root: remove A"));
  EXPECT_TRUE(Contains(log, "B: remove A"));  // the owner passes the notice on
}

TEST(TComponent, GuardIsClearedBeforeTheTargetsDisposeRuns) {
  TLog log;
  auto* probe = Make(nullptr, log, "P");
  TComponentRef<TProbe> ref(probe);
  bool nullInDispose = false;
  probe->OnDispose = [&] {
    nullInDispose = ref.Get() == nullptr;
    ref = probe;  // a target being freed cannot be taken again
  };
  probe->Free();
  EXPECT_TRUE(nullInDispose);
  EXPECT_EQ(ref.Get(), nullptr);
}

TEST(TComponent, GuardLeavingScopeUnregistersFromTheTarget) {
  TOwnedComponent<TComponent> target(TComponent::Create<TComponent>(nullptr));
  {
    TComponentRef<TComponent> ref(target.get());
    TComponentRef<TComponent> other;
    other = ref;
  }
  target.reset();  // must not touch the destroyed guards
  SUCCEED();
}

TEST(TComponent, ChildWhoseDisposeFreesASibling) {
  TLog log;
  auto* root = Make(nullptr, log, "root");
  auto* a = Make(root, log, "A");
  Make(root, log, "B");
  auto* c = Make(root, log, "C");
  c->OnDispose = [a] { a->Free(); };
  log.clear();
  root->Free();
  TLog disposals;
  for (const std::string& line : log) {
    if (line.rfind("dispose ", 0) == 0) disposals.push_back(line);
  }
  EXPECT_EQ(disposals, (TLog{"dispose root", "dispose C", "dispose A", "dispose B"}));
}

TEST(TComponent, ChildWhoseDisposeFreesItsOwnerDuringTheOwnersFree) {
  TLog log;
  auto* root = Make(nullptr, log, "root");
  auto* a = Make(root, log, "A");
  a->OnDispose = [root] { root->Free(); };  // already being freed: nothing happens
  root->Free();
  EXPECT_EQ(std::count(log.begin(), log.end(), "dispose root"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "dispose A"), 1);
}

TEST(TComponent, ChildFreeingItsOwnerFromItsOwnFree) {
  TLog log;
  auto* root = Make(nullptr, log, "root");
  auto* a = Make(root, log, "A");
  Make(root, log, "B");
  a->OnDispose = [root] { root->Free(); };
  a->Free();  // the owner goes first; A finishes without touching it
  EXPECT_EQ(std::count(log.begin(), log.end(), "dispose A"), 1);
  EXPECT_TRUE(Contains(log, "dispose B"));
}

TEST(TComponent, FreeNotificationReachesTheComponentsThatAsked) {
  TLog log;
  TOwnedComponent<TProbe> watcher(Make(nullptr, log, "W"));
  TOwnedComponent<TProbe> other(Make(nullptr, log, "O"));
  auto* target = Make(nullptr, log, "T");
  target->FreeNotification(watcher.get());
  target->FreeNotification(watcher.get());  // once only
  target->FreeNotification(other.get());
  target->RemoveFreeNotification(other.get());
  target->Free();
  EXPECT_EQ(std::count(log.begin(), log.end(), "W: remove T"), 1);
  EXPECT_FALSE(Contains(log, "O: remove T"));
}

TEST(TComponent, FreeNotificationLinkGoesWithTheWatcher) {
  TLog log;
  auto* watcher = Make(nullptr, log, "W");
  auto* target = Make(nullptr, log, "T");
  target->FreeNotification(watcher);
  watcher->Free();
  EXPECT_TRUE(Contains(log, "T: remove W"));
  log.clear();
  target->Free();  // no notice to the freed watcher
  EXPECT_EQ(log, (TLog{"dispose T"}));
}

TEST(TComponent, OwnerPassesInsertAndRemoveOnToItsComponents) {
  TLog log;
  TOwnedComponent<TProbe> root(Make(nullptr, log, "root"));
  Make(root.get(), log, "A");
  log.clear();
  auto* b = Make(root.get(), log, "B");
  EXPECT_TRUE(Contains(log, "root: insert B"));
  EXPECT_TRUE(Contains(log, "A: insert B"));
  EXPECT_FALSE(Contains(log, "B: insert B"));
  log.clear();
  root->RemoveComponent(b);
  EXPECT_EQ(b->Owner(), nullptr);
  EXPECT_TRUE(Contains(log, "A: remove B"));
  b->Free();
}

TEST(TComponent, NamesAreIdentifiers) {
  struct Case {
    const char* name;
    bool valid;
  };
  const Case cases[] = {{"Edit1", true}, {"_x", true},    {"a_1_B", true}, {"", true},
                        {"1Edit", false}, {"Edit 1", false}, {"Edit-1", false}, {"Ädit", false}, {"a.b", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TOwnedComponent<TComponent> component(TComponent::Create<TComponent>(nullptr));
    if (c.valid) {
      EXPECT_NO_THROW(component->SetName(c.name));
      EXPECT_EQ(component->Name(), c.name);
    } else {
      EXPECT_EQ(test::MessageOf<EComponentError>([&] { component->SetName(c.name); }),
                std::string("\"") + c.name + "\" is not a valid component name.");
      EXPECT_EQ(component->Name(), "");
    }
  }
}

TEST(TComponent, NamesAreUniqueAmongTheOwnersComponentsIgnoringCase) {
  TOwnedComponent<TComponent> root(TComponent::Create<TComponent>(nullptr));
  auto* a = TComponent::Create<TComponent>(root.get());
  auto* b = TComponent::Create<TComponent>(root.get());
  a->SetName("Edit1");
  EXPECT_EQ(test::MessageOf<EComponentError>([&] { b->SetName("EDIT1"); }), "A component named EDIT1 already exists");
  EXPECT_EQ(b->Name(), "");
  a->SetName("edit1");  // the same name in another case
  EXPECT_EQ(root->FindComponent("EdIt1"), a);
  EXPECT_EQ(root->FindComponent(""), nullptr);
  b->SetName("Edit2");
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_THROW(root->Components(2), EListError);

  // A named component cannot join an owner that has that name already; it stays where it was.
  TOwnedComponent<TComponent> other(TComponent::Create<TComponent>(nullptr));
  auto* stranger = TComponent::Create<TComponent>(other.get());
  stranger->SetName("EDIT2");
  EXPECT_THROW(root->InsertComponent(stranger), EComponentError);
  EXPECT_EQ(stranger->Owner(), other.get());
}

TEST(TComponent, InsertComponentMovesAndRefusesCycles) {
  TOwnedComponent<TComponent> first(TComponent::Create<TComponent>(nullptr));
  TOwnedComponent<TComponent> second(TComponent::Create<TComponent>(nullptr));
  auto* child = TComponent::Create<TComponent>(first.get());
  auto* grandChild = TComponent::Create<TComponent>(child);
  second->InsertComponent(child);
  EXPECT_EQ(child->Owner(), second.get());
  EXPECT_EQ(first->ComponentCount(), 0);
  EXPECT_THROW(grandChild->InsertComponent(second.get()), EComponentError);
  EXPECT_THROW(child->InsertComponent(child), EComponentError);
}

TEST(TComponent, FailedInitControlFreesTheComponent) {
  class TFailing : public TProbe {
   public:
    using TProbe::TProbe;

   protected:
    void InitControl() override {
      TProbe::InitControl();
      throw EConvertError("bad default");
    }
  };
  TLog log;
  TOwnedComponent<TComponent> root(TComponent::Create<TComponent>(nullptr));
  EXPECT_THROW(Make<TFailing>(root.get(), log, "F"), EConvertError);
  EXPECT_EQ(root->ComponentCount(), 0);
  EXPECT_TRUE(Contains(log, "dispose F"));
}

TEST(TComponent, FreeCompletesThenRaisesTheFirstException) {
  TLog log;
  auto* root = Make(nullptr, log, "root");
  auto* a = Make(root, log, "A");
  auto* b = Make(root, log, "B");
  a->OnDispose = [] { throw std::runtime_error("first"); };
  b->OnDispose = [] { throw std::runtime_error("second"); };
  TComponentRef<TProbe> ref(a);
  try {
    root->Free();
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "second");  // B goes first
  }
  EXPECT_TRUE(Contains(log, "dispose A"));
  EXPECT_EQ(ref.Get(), nullptr);
}

TEST(TComponent, LoadComponentsMarksBuiltComponentsLoadingUntilLoaded) {
  class TBuilt : public TProbe {
   public:
    using TProbe::TProbe;
    TComponentState ChildStateInBuild;

   protected:
    void AfterConstruction() override {
      TProbe::AfterConstruction();
      LoadComponents();
    }
    void BuildComponents() override {
      auto* child = Make(this, *mLog, "child");
      ChildStateInBuild = child->ComponentState();
      EXPECT_TRUE(ComponentState().Contains(csReading));
    }
  };
  TLog log;
  TOwnedComponent<TBuilt> built(Make<TBuilt>(nullptr, log, "built"));
  EXPECT_TRUE(built->ChildStateInBuild.Contains(csLoading));
  EXPECT_FALSE(built->ChildStateInBuild.Contains(csReading));
  EXPECT_TRUE(built->ComponentState().Empty());
  EXPECT_TRUE(built->Components(0)->ComponentState().Empty());
  TLog loaded;
  for (const std::string& line : log) {
    if (line.rfind("loaded ", 0) == 0) loaded.push_back(line);
  }
  EXPECT_EQ(loaded, (TLog{"loaded child", "loaded built"}));
}

TEST(TComponent, DestroyingStateReachesOwnedComponentsBeforeTheirOwnersDispose) {
  TLog log;
  auto* root = Make(nullptr, log, "root");
  auto* child = Make(root, log, "child");
  bool childDestroying = false;
  root->OnDispose = [&] { childDestroying = child->ComponentState().Contains(csDestroying); };
  root->Free();
  EXPECT_TRUE(childDestroying);
}

struct IShape {
  virtual ~IShape() = default;
  virtual int Corners() const = 0;
};
struct IPolygon : virtual IShape {};
struct IColoured : virtual IShape {};

class TSquare : public TComponent, public virtual IPolygon, public virtual IColoured {
  KX_COMPONENT_CLASS(TSquare, TComponent)

 public:
  int Corners() const override { return 4; }
};

class TAbstractShape : public TComponent {
  KX_COMPONENT_CLASS(TAbstractShape, TComponent)

 public:
  virtual void Draw() = 0;
};

TEST(TComponentClass, RecordNamesCreatesAndKnowsItsAncestors) {
  const TComponentClass& record = TSquare::ClassRecord();
  EXPECT_EQ(record.Name, "TSquare");
  EXPECT_TRUE(record.InheritsFrom(TComponent::ClassRecord()));
  EXPECT_FALSE(TComponent::ClassRecord().InheritsFrom(record));
  EXPECT_EQ(TAbstractShape::ClassRecord().Create, nullptr);

  TOwnedComponent<TComponent> root(TComponent::Create<TComponent>(nullptr));
  TComponent* made = record.Create(root.get());
  EXPECT_EQ(made->Owner(), root.get());
  EXPECT_EQ(&made->ClassType(), &record);
  EXPECT_TRUE(made->InheritsFrom(TComponent::ClassRecord()));
  EXPECT_EQ(made->ClassName(), "TSquare");
}

TEST(Supports, FindsInterfacesThroughVirtualBases) {
  TOwnedComponent<TSquare> square(TComponent::Create<TSquare>(nullptr));
  TComponent* component = square.get();
  ASSERT_NE(Supports<IShape>(component), nullptr);  // reachable through two paths
  EXPECT_EQ(Supports<IShape>(component)->Corners(), 4);
  IColoured* coloured = Supports<IColoured>(component);
  ASSERT_NE(coloured, nullptr);
  EXPECT_NE(Supports<IPolygon>(coloured), nullptr);  // from one interface to another
  const TComponent* constComponent = component;
  EXPECT_NE(Supports<IPolygon>(constComponent), nullptr);

  TOwnedComponent<TComponent> plain(TComponent::Create<TComponent>(nullptr));
  EXPECT_EQ(Supports<IShape>(plain.get()), nullptr);
  EXPECT_EQ(Supports<IShape>(static_cast<TComponent*>(nullptr)), nullptr);
}

class TSessionModule : public TDataModule {
  KX_COMPONENT_CLASS(TSessionModule, TDataModule)

 public:
  explicit TSessionModule(TLog* log) : Log(log) {}
  TLog* Log;

 protected:
  void InitControl() override {
    TDataModule::InitControl();
    OnCreate = [this](TObject*) { Log->push_back(Loading() ? "create while loading" : "create"); };
    OnDestroy = [this](TObject*) { Log->push_back(ComponentState().Contains(csDestroying) ? "destroy" : "?"); };
  }
  void Loaded() override {
    TDataModule::Loaded();
    Log->push_back("loaded");
  }
  void Dispose() override { Log->push_back("dispose"); }

 private:
  bool Loading() const { return ComponentState().Contains(csLoading); }
};

TEST(TDataModule, OnCreateAfterLoadedAndOnDestroyBeforeDispose) {
  TLog log;
  auto* module = TComponent::Create<TSessionModule>(nullptr, &log);
  EXPECT_EQ(log, (TLog{"loaded", "create"}));
  log.clear();
  module->Free();
  EXPECT_EQ(log, (TLog{"destroy", "dispose"}));
}

TEST(TDataModule, AnnouncedToTheRoutinesInPlaceAndToTheDefaultListAfterwards) {
  const int before = DataModuleCount();
  std::vector<TDataModule*> added, removed;
  TDataModuleProc savedAdd = AddDataModule, savedRemove = RemoveDataModule;
  AddDataModule = [&](TDataModule* m) { added.push_back(m); };
  RemoveDataModule = [&](TDataModule* m) { removed.push_back(m); };
  auto* module = TComponent::Create<TDataModule>(nullptr);
  EXPECT_EQ(added, std::vector<TDataModule*>{module});
  EXPECT_EQ(DataModuleCount(), before);
  module->Free();
  EXPECT_EQ(removed, std::vector<TDataModule*>{module});

  AddDataModule = savedAdd;
  RemoveDataModule = savedRemove;
  auto* listed = TComponent::Create<TDataModule>(nullptr);
  EXPECT_EQ(DataModuleCount(), before + 1);
  EXPECT_EQ(DataModules(before), listed);
  listed->Free();
  EXPECT_EQ(DataModuleCount(), before);
  EXPECT_THROW(DataModules(before), EListError);
}

}  // namespace
}  // namespace kx
