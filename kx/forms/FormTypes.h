// The registries of form classes: GKXFormTypes, the form types (base classes
// whose descendants are forms the session may show by class name); the
// registered classes, by name (RegisterClass); the author's main form
// (SetAsMainForm, gMainFormClass); and InstallForms, which plugs the forms
// layer into the session's seams. An author registers a form in one line:
//   KX_REGISTER_MAIN_FORM(TMainForm)      // at namespace scope, or in main():
//   kx::SetAsMainForm<TMainForm>();
// Builds on forms/Forms.h and appserver/KXGlobal.h.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "kx/appserver/KXGlobal.h"
#include "kx/forms/Forms.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/platform/Components.h"

namespace kx {

// The list of form types, filled at start-up (reads take no lock).
class TKXFormTypes {
 public:
  // Adds the class once.
  void Add(const TComponentClass& formClass);
  int Count() const { return int(mTypes.size()); }
  const TComponentClass& Items(int index) const;
  // Whether classRecord is one of the types or derives from one.
  bool Contains(const TComponentClass& classRecord) const;
  void Clear() { mTypes.clear(); }

 private:
  std::vector<const TComponentClass*> mTypes;
};

// The process's form types, made on first use.
TKXFormTypes& GKXFormTypes();
void RegisterKXFormType(const TComponentClass& formClass);
// Whether form is an instance of a registered form type; false when none is registered.
bool IsSupportedFormType(const TComponent* form);

// Registers a class under its name (with the T), so that it can be found by
// name (a content handler's class name, a form re-created after the back
// button). A name registered already is replaced.
void RegisterClass(const TComponentClass& classRecord);
// The registered class of that name, ignoring case; null when none.
const TComponentClass* FindClass(std::string_view name);
// Forgets every registered class (tests).
void UnRegisterAllClasses();

// The registered class of that name when it is a form type's descendant; null otherwise.
const TComponentClass* FindAppFormClass(const std::string& name);

// The class a new session shows (gMainFormClass). The template also registers it.
void SetAsMainForm(const TComponentClass& formClass);

// Raises EKXException when T does not declare its own class record
// (KX_COMPONENT_CLASS), so that its creation would make an instance of its parent class.
template <class T>
void CheckOwnClassRecord() {
  if (T::ClassRecord().Name != ClassNameOf(typeid(T)))
    throw EKXException(ClassNameOf(typeid(T)) + " must declare its class record with KX_COMPONENT_CLASS.");
}

template <class T>
const TComponentClass& RegisterClass() {
  static_assert(std::is_base_of_v<TComponent, T>, "only component classes can be registered");
  CheckOwnClassRecord<T>();
  RegisterClass(T::ClassRecord());
  return T::ClassRecord();
}

template <class T>
void SetAsMainForm() {
  static_assert(std::is_base_of_v<TKXBaseForm, T>, "the main form must be a form");
  static_assert(!std::is_abstract_v<T> && std::is_default_constructible_v<T>,
                "the main form must be creatable: not abstract, with a public default constructor");
  SetAsMainForm(RegisterClass<T>());
}

// Sets the session layer's form seams (the class look-up of content handlers
// and the back button, the form component of controller events) and registers
// TKXForm as a form type. Part of the start-up sequence, after Startup().
void InstallForms();

}  // namespace kx

#define KX_FORMS_CONCAT_INNER(a, b) a##b
#define KX_FORMS_CONCAT(a, b) KX_FORMS_CONCAT_INNER(a, b)
// At namespace scope of the application: registers the form class by name.
#define KX_REGISTER_FORM(Class) \
  static const bool KX_FORMS_CONCAT(kxRegisteredForm_, __LINE__) = (::kx::RegisterClass<Class>(), true);
// At namespace scope of the application: registers the form class and makes it the main form.
#define KX_REGISTER_MAIN_FORM(Class) \
  static const bool KX_FORMS_CONCAT(kxRegisteredMainForm_, __LINE__) = (::kx::SetAsMainForm<Class>(), true);
