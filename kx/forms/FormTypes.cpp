#include "kx/forms/FormTypes.h"

#include <algorithm>
#include <mutex>

#include "kx/appserver/Application.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// The registered classes; registration happens at start-up (possibly from
// static initialisers of the application), look-ups while requests run.
struct TClassRegistry {
  std::mutex Lock;
  std::vector<const TComponentClass*> Classes;
};

TClassRegistry& Registry() {
  static TClassRegistry registry;
  return registry;
}

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

TKXFormTypes& GKXFormTypes() {
  static TKXFormTypes types;
  return types;
}

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

void SetAsMainForm(const TComponentClass& formClass) { gMainFormClass = &formClass; }

void InstallForms() {
  RegisterKXFormType(TKXForm::ClassRecord());
  gFindAppFormClass = &FindAppFormClass;
  gFormComponent = [](TKXForm* form) -> TComponent* { return form; };
}

}  // namespace kx
