#include "kx/platform/Resources.h"

#include <algorithm>

#include "kx/platform/SysUtils.h"

namespace kx {

// CompareText folds ASCII letters to upper case and then compares bytes, which is the order the generator sorts the
// upper-case names in.
const TEmbeddedResource* FindResource(std::string_view name) {
  const std::span<const TEmbeddedResource> table = EmbeddedResources();
  auto before = [](const TEmbeddedResource& entry, std::string_view key) { return CompareText(entry.Name, key) < 0; };
  auto it = std::lower_bound(table.begin(), table.end(), name, before);
  if (it == table.end() || CompareText(it->Name, name) != 0) return nullptr;
  return &*it;
}

}  // namespace kx
