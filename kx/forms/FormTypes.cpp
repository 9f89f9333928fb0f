#include "kx/forms/FormTypes.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "kx/appserver/Application.h"
#include "kx/forms/Forms.h"
#include "kx/foundation/RuntimeSlots.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// The registered classes; registration happens at start-up (possibly from
// static initialisers of the application), look-ups while requests run.
struct TClassRegistry {
  std::mutex Lock;
  std::vector<const TComponentClass*> Classes;
};

// Class records are the program's, not a runtime's: one registry per process, like the classes themselves.
TClassRegistry& Registry() {
  static TClassRegistry registry;
  return registry;
}

// The main form declared before any runtime existed (KX_REGISTER_MAIN_FORM at namespace scope).
std::atomic<const TComponentClass*> gDeclaredMainFormClass{nullptr};

}  // namespace

// ---------------------------------------------------------------------------
// Form types

void TKXFormTypes::Add(const TComponentClass& formClass) {
  if (std::find(mTypes.begin(), mTypes.end(), &formClass) == mTypes.end()) mTypes.push_back(&formClass);
}

const TComponentClass& TKXFormTypes::Items(int index) const {
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
  return *mTypes[std::size_t(index)];
}

bool TKXFormTypes::Contains(const TComponentClass& classRecord) const {
  return std::any_of(mTypes.begin(), mTypes.end(),
                     [&classRecord](const TComponentClass* type) { return classRecord.InheritsFrom(*type); });
}

TKXFormTypes& GKXFormTypes() { return TKXRuntimeSlots::Required().Slot<TKXFormTypes>(); }

void RegisterKXFormType(const TComponentClass& formClass) { GKXFormTypes().Add(formClass); }

bool IsSupportedFormType(const TComponent* form) {
  return form != nullptr && GKXFormTypes().Contains(form->ClassType());
}

// ---------------------------------------------------------------------------
// Registered classes

void RegisterClass(const TComponentClass& classRecord) {
  TClassRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.Lock);
  for (const TComponentClass*& registered : registry.Classes) {
    if (SameText(registered->Name, classRecord.Name)) {
      registered = &classRecord;
      return;
    }
  }
  registry.Classes.push_back(&classRecord);
}

const TComponentClass* FindClass(std::string_view name) {
  TClassRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.Lock);
  for (const TComponentClass* registered : registry.Classes) {
    if (SameText(registered->Name, name)) return registered;
  }
  return nullptr;
}

void UnRegisterAllClasses() {
  TClassRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.Lock);
  registry.Classes.clear();
}

const TComponentClass* FindAppFormClass(const std::string& name) {
  const TComponentClass* found = FindClass(name);
  return found != nullptr && GKXFormTypes().Contains(*found) ? found : nullptr;
}

void SetAsMainForm(const TComponentClass& formClass) {
  if (TKXRuntime::Current())
    gMainFormClass = &formClass;
  else
    gDeclaredMainFormClass = &formClass;
}

void InstallForms() {
  RegisterKXFormType(TKXForm::ClassRecord());
  gFindAppFormClass = &FindAppFormClass;
  gFormComponent = [](TKXForm* form) -> TComponent* { return form; };
  if (!gMainFormClass) gMainFormClass = gDeclaredMainFormClass.load();
  // Controls with UseFrame are drawn in the default frame that the regions provide.
  TKXRuntime::Required().RequireSeam("the default frame of controls", "kx::InstallRegions",
                                     [](TKXRuntime& runtime) {
                                       return runtime.Slot<TKXFormsSeams>().CreateDefaultFrame != nullptr;
                                     });
}

}  // namespace kx
