#pragma once
// One product record as the catalogue reads it at the record pointer.

#include <cstdint>

#include "image/calls/calls.h"

namespace pcshop::app {

struct ProductFieldNames {
  const char* kind;
  const char* brand;
  const char* model;
  const char* price;
  const char* remark;
};

ProductFieldNames FieldNames(calls::Calls& rt);

struct ProductRow {
  calls::OwnedText kind;
  calls::OwnedText brand;
  calls::OwnedText model;
  int32_t price = 0;
  calls::OwnedText remark;
};

// The five fields of the current record.
ProductRow ReadProduct(calls::Calls& rt, const ProductFieldNames& names);

// Whether text field `name` of the current record equals `text` byte for byte.
bool FieldEquals(calls::Calls& rt, const char* name, const char* text);

// Whether the current record is the product of `brand` and `model`. A model
// name alone is not a product: two brands may sell the same model name at
// different prices.
bool IsProduct(calls::Calls& rt, const ProductFieldNames& names, const char* brand,
               const char* model);

}  // namespace pcshop::app
