// The root of the class tree: TObject with its class name, and TPersistent,
// whose Assign copies one object's state into another of a compatible class.
#pragma once

#include <string>

#include "kx/platform/SysUtils.h"

namespace kx {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;

  // The class's own name without namespace, e.g. "TStringList".
  virtual std::string ClassName() const;
};

// The class name of a C++ type as ClassName reports it.
std::string ClassNameOf(const std::type_info& type);

class TPersistent : public TObject {
 public:
  // Copies source into this object. The default asks source to AssignTo this
  // object and raises EConvertError "Cannot assign a X to a Y." when it cannot.
  virtual void Assign(const TPersistent* source);

 protected:
  virtual void AssignTo(TPersistent* dest) const;
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

}  // namespace kx
