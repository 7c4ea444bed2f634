#include "app/catalogue/product_fields.h"

#include <cstring>

#include "image/app_symbols.h"

namespace pcshop::app {

ProductFieldNames FieldNames(calls::Calls& rt) {
  namespace t = sym::text;
  return {rt.ConstText(t::kFieldKind), rt.ConstText(t::kFieldBrand),
          rt.ConstText(t::kFieldModel), rt.ConstText(t::kFieldPrice),
          rt.ConstText(t::kFieldRemark)};
}

ProductRow ReadProduct(calls::Calls& rt, const ProductFieldNames& names) {
  ProductRow row;
  row.kind = rt.ReadFieldText(names.kind, {});
  row.brand = rt.ReadFieldText(names.brand, {});
  row.model = rt.ReadFieldText(names.model, {});
  row.price = rt.ReadFieldInt(names.price, {});
  row.remark = rt.ReadFieldText(names.remark, {});
  return row;
}

bool FieldEquals(calls::Calls& rt, const char* name, const char* text) {
  const calls::OwnedText value = rt.ReadFieldText(name, {});
  return std::strcmp(value.c_str(), text != nullptr ? text : "") == 0;
}

bool IsProduct(calls::Calls& rt, const ProductFieldNames& names, const char* brand,
               const char* model) {
  return FieldEquals(rt, names.brand, brand) && FieldEquals(rt, names.model, model);
}

}  // namespace pcshop::app
