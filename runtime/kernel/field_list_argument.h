#pragma once
// A field list as CreateTable and UpgradeTable receive it.

#include <vector>

#include "image/calls/value_triple.h"
#include "runtime/tables/table_types.h"

namespace pcshop::kernel {

// A one-dimensional array of FieldRecord addresses in a triple typed with the
// field-list type identifier; an empty list for anything else.
std::vector<tables::FieldSpec> FieldList(const calls::ValueTriple& list);

}  // namespace pcshop::kernel
