#pragma once
// The process's search indexes, one each for the catalogue and the customer
// register, shared by every window; kept in a var slot and made on first
// use.

#include "app/search/name_index.h"
#include "app/search/product_index.h"
#include "image/calls/calls.h"

namespace pcshop::app {

ProductIndex& TheProductIndex(calls::Calls& rt);
NameIndex& TheNameIndex(calls::Calls& rt);
// Frees both (the exit routine).
void FreeSearchIndexes(calls::Calls& rt);

}  // namespace pcshop::app
