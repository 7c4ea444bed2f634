// A supplier's price list of 5,000 rows (.xlsx written by libxlsxwriter)
// read and matched against a catalogue of 14,000 products: the file read,
// then the plan of every row (new, up, down, unchanged, refused) that the
// preview shows. Target for both together: under 500 ms.
//
// What is measured is the reader and the matching; the catalogue comes
// from memory, as the program's product index holds it.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/import/import_plan.h"
#include "bench/import/price_list.h"
#include "runtime/text/gbk_codec.h"
#include "runtime/xlsbridge/sheet_reader.h"

namespace pcshop {
namespace {

namespace fs = std::filesystem;

constexpr int kPerCategory = 1000;
constexpr int kListRows = 5000;

std::string Gbk(const char* utf8) { return text::Utf8ToGbk(utf8).value(); }

const std::vector<std::string>& Names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const char* c : {"CPU", "散热器", "主板", "内存", "机械盘", "固态盘", "显卡", "显示器",
                          "机箱", "电源", "键盘", "鼠标", "音箱", "其它"}) {
      n.push_back(Gbk(c));
    }
    return n;
  }();
  return names;
}

std::vector<app::CatalogueProduct> Catalogue() {
  std::vector<app::CatalogueProduct> products;
  for (int c = 0; c < 14; ++c) {
    for (int i = 0; i < kPerCategory; ++i) {
      products.push_back({c, Gbk("七彩虹"), "M" + std::to_string(c) + "-" + std::to_string(i),
                          Gbk("白色"), 1000 + i});
    }
  }
  return products;
}

// The list: most rows change price, some are new, some refused.
fs::path WriteList(const fs::path& dir) {
  const fs::path path = dir / "list.xlsx";
  (void)bench::WritePriceList(path, kListRows, kPerCategory);
  return path;
}

void BM_ReadAndPlan(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / "pcshop-import-bench";
  fs::create_directories(dir);
  const fs::path path = WriteList(dir);
  const std::vector<app::CatalogueProduct> catalogue = Catalogue();
  const std::string synonyms = Gbk(
      "品名:品名 类别|品牌:品牌|型号:型号 规格|价格:价格 单价 报价|备注:备注 说明");
  const std::string signs = Gbk("￥ 元");
  size_t planned = 0;
  for (auto _ : state) {
    Result<xlsbridge::SheetData> data =
        xlsbridge::ReadSheetFile(path, xlsbridge::TextEncoding::kDetect, 0);
    if (!data.ok()) {
      state.SkipWithError(data.status().message().c_str());
      break;
    }
    std::vector<app::ListRow> rows;
    rows.reserve(data->rows.size());
    for (size_t r = 1; r < data->rows.size(); ++r) {
      rows.push_back({data->rows[r].number, data->rows[r].cells, data->rows[r].problem});
    }
    const app::ColumnMap map = app::MapHeaders(data->rows[0].cells, synonyms);
    const app::ImportPlan plan = app::PlanImport({rows, map, -1, Names(), signs, catalogue});
    planned = plan.rows.size();
    benchmark::DoNotOptimize(plan);
  }
  state.counters["rows"] = static_cast<double>(planned);
  fs::remove_all(dir);
}
BENCHMARK(BM_ReadAndPlan)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace pcshop

BENCHMARK_MAIN();
