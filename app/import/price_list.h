#pragma once
// A supplier's price list as the import window works on it: read through
// xlsbridge's commands, its header row found and mapped, the rows below it.
// A list that cannot be used carries the message to show instead.

#include <cstdint>
#include <string>
#include <vector>

#include "app/import/column_map.h"
#include "app/import/import_plan.h"
#include "image/calls/calls.h"

namespace pcshop::app {

struct PriceList {
  std::string message;  // GBK; set when the list cannot be imported
  int32_t encoding = 0;  // image::SheetInfo::kEncoding
  std::vector<std::string> sheet_names;
  int32_t sheet = 0;
  std::vector<std::string> headers;
  ColumnMap map;
  std::vector<ListRow> rows;  // below the header row
};

// `encoding` 0 by evidence, 1 UTF-8, 2 GBK/GB18030; `sheet` from 0.
// `synonyms` the text ImportHeaderSynonyms; `no_header` the message for a
// list without a header row.
PriceList ReadPriceList(calls::Calls& rt, const char* path, int32_t encoding, int32_t sheet,
                        std::string_view synonyms, std::string_view no_header);

}  // namespace pcshop::app
