#include "app/import/import_preview.h"

#include <algorithm>
#include <charconv>

#include "app/catalogue/category_tables.h"
#include "app/catalogue/product_fields.h"
#include "app/lists/settings_table.h"
#include "image/app_symbols.h"
#include "image/type_ids.h"

namespace pcshop::app {
namespace {

namespace type = image::type_id;

std::string Held(const calls::OwnedText& t) { return std::string(t.view()); }

}  // namespace

ImportControls ImportWindowControls(calls::Calls& rt) {
  namespace c = sym::control::import;
  const uint32_t w = rt.Id(sym::window::kImport);
  auto ref = [&](uint32_t control, uint32_t type) { return ControlRef{w, rt.Id(control), type}; };
  auto combo = [&](uint32_t control) { return ref(control, type::kComboBox); };
  return {ref(c::编辑框文件, type::kEditBox),
          ref(c::编辑框未勾选, type::kEditBox),
          combo(c::组合框编码),
          combo(c::组合框工作表),
          combo(c::组合框类别),
          {combo(c::组合框列品名), combo(c::组合框列品牌), combo(c::组合框列型号),
           combo(c::组合框列价格), combo(c::组合框列备注)},
          combo(c::组合框筛选),
          ref(c::透明标签计数, type::kLabel),
          ref(c::超级列表框导入, type::kListView)};
}

std::vector<CatalogueProduct> ReadCatalogue(calls::Calls& rt) {
  const ProductFieldNames names = FieldNames(rt);
  std::vector<CatalogueProduct> products;
  for (int32_t i = 0; i < kCategoryCount; ++i) {
    if (!SelectCategoryByIndex(rt, i)) continue;
    const int32_t count = rt.RecordCount();
    for (int32_t n = 1; n <= count; ++n) {
      (void)rt.GoToRecord(n);
      const ProductRow p = ReadProduct(rt, names);
      products.push_back({i, Held(p.brand), Held(p.model), Held(p.remark), p.price});
    }
  }
  return products;
}

ImportPreview BuildPreview(calls::Calls& rt, const ImportControls& c, const char* path,
                           int32_t encoding, int32_t sheet, bool remap) {
  namespace t = sym::text;
  ImportPreview p;
  p.list = ReadPriceList(rt, path, encoding, sheet, rt.ConstText(t::kImportHeaderSynonyms),
                         rt.ConstText(t::kImportNoHeader));
  if (!p.list.message.empty()) return p;
  const int32_t categories = rt.GetComboCount(ObjectOf(c.category));
  for (int32_t i = 0; i < categories; ++i) {
    p.category_names.push_back(Held(rt.GetComboItem(ObjectOf(c.category), i)));
  }
  ColumnMap map = p.list.map;
  if (remap) {
    // The columns the user last applied for a list of the same headers win
    // over the guess from them.
    const std::optional<std::string> kept = ReadSetting(rt, MappingSettingName(rt, p.list.headers));
    if (kept) (void)ParseMapText(*kept, p.list.headers.size(), map);
  } else {
    const auto columns = static_cast<int32_t>(p.list.headers.size());
    for (size_t f = 0; f < kImportFieldCount; ++f) {
      // Item 0 is （无）; a chooser left empty keeps what the headers gave.
      const int32_t index = IndexOf(rt, c.columns[f]);
      if (index >= 0) map.column[f] = index - 1 < columns ? index - 1 : -1;
    }
  }
  p.list.map = map;
  p.catalogue = ReadCatalogue(rt);
  PlanInput in;
  in.rows = p.list.rows;
  in.map = map;
  in.category = IndexOf(rt, c.category);
  in.category_names = p.category_names;
  in.price_signs = rt.ConstText(t::kImportPriceSigns);
  in.catalogue = p.catalogue;
  p.plan = PlanImport(in);
  const std::vector<int32_t> unticked = UntickedRows(rt, c);
  for (PlannedRow& row : p.plan.rows) {
    if (std::find(unticked.begin(), unticked.end(), row.number) != unticked.end()) {
      row.ticked = false;
    }
  }
  return p;
}

std::string MappingSettingName(calls::Calls& rt, std::span<const std::string> headers) {
  return rt.ConstText(sym::text::kImportMappingSetting) + HeaderSignature(headers);
}

int32_t EncodingOfChoice(int32_t index) {
  switch (index) {
    case 1:
    case 3: return 1;  // UTF-8, with or without its mark
    case 2: return 2;
    default: return 0;  // by evidence
  }
}

std::vector<int32_t> UntickedRows(calls::Calls& rt, const ImportControls& c) {
  const calls::OwnedText text = TextOf(rt, c.unticked);
  std::vector<int32_t> rows;
  std::string_view rest = text.view();
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    const std::string_view part = rest.substr(0, comma);
    int32_t n = 0;
    if (std::from_chars(part.data(), part.data() + part.size(), n).ec == std::errc()) {
      rows.push_back(n);
    }
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  }
  return rows;
}

void StoreUntickedRows(calls::Calls& rt, const ImportControls& c,
                       const std::vector<int32_t>& rows) {
  std::string text;
  for (const int32_t n : rows) {
    if (!text.empty()) text += ',';
    text += std::to_string(n);
  }
  SetTextOf(rt, c.unticked, text.c_str());
}

}  // namespace pcshop::app
