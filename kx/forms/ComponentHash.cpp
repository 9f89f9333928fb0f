#include "kx/forms/ComponentHash.h"

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
    : fCompare(compare), fHash(hash), fSize(size < 4 ? 200u : std::uint32_t(size)) {
  fBuckets.resize(fSize);
}

THashTable::~THashTable() = default;

void THashTable::Add(const std::string& key, TObject* value) {
  if (fHash == nullptr) return;
  std::unique_ptr<TBucket>& bucket = fBuckets[BucketOf(key)];
  if (!bucket) bucket = std::make_unique<TBucket>();
  if (fCompare != nullptr) {
    for (const TItem& item : *bucket) {
      if (fCompare(item.Key, key) != 0) continue;
      if (FIgnoreDuplicates) return;
      throw EHashTableException("Item is already in the table. \"" + key + "\"");
    }
  }
  bucket->push_back(TItem{key, value});
}

TObject* THashTable::LookUp(const std::string& key) const {
  if (fHash == nullptr) throw EHashTableException("Unable to create hash value for current key @ THashTable.LookUp");
  const std::unique_ptr<TBucket>& bucket = fBuckets[BucketOf(key)];
  if (!bucket || fCompare == nullptr) return nullptr;
  for (const TItem& item : *bucket) {
    if (fCompare(item.Key, key) == 0) return item.Value;
  }
  return nullptr;
}

TObject* THashTable::LookUpAndRemove(const std::string& key) {
  if (fHash == nullptr) {
    throw EHashTableException("Unable to create hash value for current key @ THashTable.LookUpAndRemove");
  }
  std::unique_ptr<TBucket>& bucket = fBuckets[BucketOf(key)];
  if (!bucket || fCompare == nullptr) return nullptr;
  for (auto it = bucket->begin(); it != bucket->end(); ++it) {
    if (fCompare(it->Key, key) != 0) continue;
    TObject* value = it->Value;
    bucket->erase(it);
    return value;
  }
  return nullptr;
}

bool THashTable::ContainsValue(const TObject* value) const {
  for (const std::unique_ptr<TBucket>& bucket : fBuckets) {
    if (!bucket) continue;
    for (auto it = bucket->rbegin(); it != bucket->rend(); ++it) {
      if (it->Value == value) return true;
    }
  }
  return false;
}

double THashTable::GetLoadFactor() const {
  std::size_t count = 0;
  for (const std::unique_ptr<TBucket>& bucket : fBuckets) {
    if (bucket) count += bucket->size();
  }
  return double(count);
}

void THashTable::ResizeTable(std::uint32_t newSize) {
  if (newSize == 0) throw EHashTableException("Probably want to use a positive meaningful value for new table size.");
  std::vector<std::unique_ptr<TBucket>> buckets(newSize);
  for (std::unique_ptr<TBucket>& bucket : fBuckets) {
    if (!bucket) continue;
    for (TItem& item : *bucket) {
      // Without a hash function the table holds nothing to move.
      std::unique_ptr<TBucket>& target = buckets[fHash(item.Key) % newSize];
      if (!target) target = std::make_unique<TBucket>();
      target->push_back(std::move(item));
    }
  }
  fBuckets = std::move(buckets);
  fSize = newSize;
}

void THashTable::Clear(std::uint32_t newSize) {
  for (std::unique_ptr<TBucket>& bucket : fBuckets) bucket.reset();
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
