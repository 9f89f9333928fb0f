#include "kx/forms/ComponentHash.h"

#include <algorithm>

#include "kx/forms/ControlInterfaces.h"
#include "kx/platform/Controls.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

int CompareKeysIgnoringCase(std::string_view key1, std::string_view key2) { return CompareText(key1, key2); }

}  // namespace

std::uint32_t ELFHash(std::string_view key) {
  std::uint32_t h = 0;
  auto step = [&h](std::uint32_t code) {
    h = (h << 4) + code;
    const std::uint32_t g = h & 0xF0000000u;
    if (g != 0) h ^= g >> 24;
    h &= ~g;
  };
  std::size_t pos = 0;
  char32_t code = 0;
  while (pos < key.size()) {
    DecodeUtf8(key, pos, code);
    if (code > 0xFFFF) {
      const std::uint32_t rest = std::uint32_t(code) - 0x10000;
      step(0xD800 + (rest >> 10));
      step(0xDC00 + (rest & 0x3FF));
    } else {
      step(std::uint32_t(code));
    }
  }
  return h;
}

// ---------------------------------------------------------------------------
// THashTable

THashTable::THashTable(std::int32_t size, TCompareFunc compare, THashFunc hash)
    : fCompare(compare), fHash(hash), fSize(size < 4 ? 200u : std::uint32_t(size)) {}

THashTable::~THashTable() = default;

std::pair<THashTable::TItems::iterator, THashTable::TItems::iterator> THashTable::BucketRange(std::uint32_t bucket) {
  auto before = [bucket](const TItem& item) { return item.Bucket < bucket; };
  auto within = [bucket](const TItem& item) { return item.Bucket == bucket; };
  auto first = std::partition_point(fItems.begin(), fItems.end(), before);
  auto last = std::partition_point(first, fItems.end(), within);
  return {first, last};
}

THashTable::TItems::iterator THashTable::Find(std::string_view key) {
  if (fCompare == nullptr) return fItems.end();
  auto [first, last] = BucketRange(BucketOf(key));
  auto found = std::find_if(first, last, [&](const TItem& item) { return fCompare(item.Key, key) == 0; });
  return found == last ? fItems.end() : found;
}

void THashTable::Add(const std::string& key, TObject* value) {
  if (fHash == nullptr) return;
  if (Find(key) != fItems.end()) {
    if (FIgnoreDuplicates) return;
    throw EHashTableException("Item is already in the table. \"" + key + "\"");
  }
  const std::uint32_t bucket = BucketOf(key);
  fItems.insert(BucketRange(bucket).second, TItem{key, value, bucket});
}

TObject* THashTable::LookUp(const std::string& key) const {
  if (fHash == nullptr) throw EHashTableException("Unable to create hash value for current key @ THashTable.LookUp");
  auto found = const_cast<THashTable*>(this)->Find(key);
  return found == fItems.end() ? nullptr : found->Value;
}

TObject* THashTable::LookUpAndRemove(const std::string& key) {
  if (fHash == nullptr) {
    throw EHashTableException("Unable to create hash value for current key @ THashTable.LookUpAndRemove");
  }
  auto found = Find(key);
  if (found == fItems.end()) return nullptr;
  TObject* value = found->Value;
  fItems.erase(found);
  return value;
}

bool THashTable::ContainsValue(const TObject* value) const {
  return std::any_of(fItems.begin(), fItems.end(), [value](const TItem& item) { return item.Value == value; });
}

double THashTable::GetLoadFactor() const { return double(fItems.size()); }

void THashTable::ResizeTable(std::uint32_t newSize) {
  if (newSize == 0) throw EHashTableException("Probably want to use a positive meaningful value for new table size.");
  fSize = newSize;
  // Without a hash function the table holds nothing to move. Within a new bucket the items keep the order of
  // their old buckets, and within one old bucket the order they were added.
  for (TItem& item : fItems) item.Bucket = BucketOf(item.Key);
  std::stable_sort(fItems.begin(), fItems.end(), [](const TItem& a, const TItem& b) { return a.Bucket < b.Bucket; });
}

void THashTable::Clear(std::uint32_t newSize) {
  fItems.clear();
  ResizeTable(newSize);
}

// ---------------------------------------------------------------------------
// TKXComponentHash

TKXComponentHash::TKXComponentHash() : THashTable(200, &CompareKeysIgnoringCase, &ELFHash) {}

TComponent* TKXComponentHash::LookUp(const std::string& name) const {
  return static_cast<TComponent*>(THashTable::LookUp(UpperCase(name)));
}

void TKXComponentHash::Add(TComponent* component) {
  if (component == nullptr) return;
  IKXBaseHTMLComponent* html = Supports<IKXBaseHTMLComponent>(component);
  const std::string key = html ? html->HTMLName() : UpperCase(component->Name());
  if (!key.empty()) THashTable::Add(key, component);
  IKXInputControl* input = Supports<IKXInputControl>(component);
  if (input == nullptr) return;
  FInputNamesList.Clear();
  input->GetInputControlNames(FInputNamesList);
  for (int i = 0; i < FInputNamesList.Count(); ++i) {
    const std::string name = UpperCase(FInputNamesList.Strings(i));
    if (!name.empty() && name != key) THashTable::Add(name, component);
  }
}

void TKXComponentHash::Populate(TComponent* component) {
  Clear(Size());
  DoPopulate(component);
  ShrinkToFit();  // the index lives on with the session
  FNeedsRefresh = false;
}

bool TKXComponentHash::IsContainerComponent(TComponent* component) {
  if (Supports<IKXBaseContainer>(component)) return true;
  auto* frame = Supports<TFrame>(component);
  return frame != nullptr && frame->ComponentCount() > 0;
}

void TKXComponentHash::DoPopulate(TComponent* component) {
  std::vector<TComponent*> visited;
  if (IKXBaseContainer* container = Supports<IKXBaseContainer>(component)) {
    for (int i = 0; i < container->KXComponentsCount(); ++i) visited.push_back(container->ContainerComponent(i));
  } else if (auto* frame = Supports<TFrame>(component)) {
    for (int i = 0; i < frame->ComponentCount(); ++i) visited.push_back(frame->Components(i));
  }
  for (TComponent* child : visited) {
    if (IsContainerComponent(child)) {
      if (Supports<IKXInputControl>(child) || Supports<IKXSubmitControl>(child)) Add(child);
      DoPopulate(child);
    } else {
      Add(child);
    }
  }
}

}  // namespace kx
