#include "app/search/search_indexes.h"

#include <memory>

#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

// Slot 8 holds the indexes' address; no other routine uses it.
constexpr uint32_t kIndexesSlot = sym::var::kSlot8;

struct SearchIndexes {
  ProductIndex products;
  NameIndex names;
};

SearchIndexes& Indexes(calls::Calls& rt) {
  uintptr_t* slot = rt.Var(kIndexesSlot);
  if (*slot == 0) *slot = reinterpret_cast<uintptr_t>(std::make_unique<SearchIndexes>().release());
  return *reinterpret_cast<SearchIndexes*>(*slot);
}

}  // namespace

ProductIndex& TheProductIndex(calls::Calls& rt) {
  return Indexes(rt).products;
}
NameIndex& TheNameIndex(calls::Calls& rt) {
  return Indexes(rt).names;
}

void FreeSearchIndexes(calls::Calls& rt) {
  uintptr_t* slot = rt.Var(kIndexesSlot);
  std::unique_ptr<SearchIndexes> owned(reinterpret_cast<SearchIndexes*>(*slot));
  *slot = 0;
}

}  // namespace pcshop::app
