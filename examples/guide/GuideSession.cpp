#include "GuideSession.h"

#include "kx/platform/SysUtils.h"

namespace kx {

// The session owns its data modules and lists them among its forms.
TGuideSession& TGuideSession::Of(TKXApplication* application) {
  TComponent* module = application != nullptr ? application->FindFormByClassName(ClassRecord().Name) : nullptr;
  auto* data = dynamic_cast<TGuideSession*>(module);
  if (data == nullptr) throw Exception("The session has no TGuideSession data module.");
  return *data;
}

}  // namespace kx
