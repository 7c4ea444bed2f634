#include "tests/runtime/tables/table_layouts.h"

#include <cstdio>
#include <cstdlib>

#include "runtime/text/gbk_codec.h"

namespace pcshop::tables::testing {

std::string Gbk(std::string_view utf8) {
  auto gbk = text::Utf8ToGbk(utf8);
  if (!gbk.ok()) {
    std::fprintf(stderr, "bad test literal\n");
    std::abort();
  }
  return std::move(gbk).value();
}

std::vector<FieldSpec> ProductLayout() {
  return {{Gbk("品名"), kTextField, 20},
          {Gbk("品牌"), kTextField, 20},
          {Gbk("型号"), kTextField, 20},
          {Gbk("价格"), kIntegerField, 20},
          {Gbk("备注"), kTextField, 20}};
}

std::vector<FieldSpec> ConfigLayout() {
  static const char* const kRows[] = {"CPU", "散热器", "主板", "内存", "机械盘",
                                      "固态盘", "显卡", "显示器", "机箱", "电源",
                                      "键盘", "鼠标", "音箱", "其它一", "其它二"};
  std::vector<FieldSpec> f = {{Gbk("配置名"), kTextField, 20}, {Gbk("生成日期"), kTextField, 20}};
  for (const char* row : kRows) {
    const std::string p(row);
    const bool last = p == "其它二";
    f.push_back({Gbk(p + "品名"), kTextField, 20});
    f.push_back({Gbk(p + "品牌"), kTextField, 20});
    f.push_back({Gbk(p + "型号"), kTextField, 30});
    f.push_back({Gbk(p + "数量"), kIntegerField, 20});
    f.push_back({Gbk(p + "价格"), kIntegerField, 20});
    f.push_back({Gbk(p + "金额"), kIntegerField, 20});
    f.push_back({Gbk(p + "备注"), kTextField, last ? 20 : 30});
  }
  f.push_back({Gbk("配置备注"), kTextField, 30});
  return f;
}

std::vector<FieldSpec> CustomerLayout() {
  return {{Gbk("姓名"), kTextField, 20},   {Gbk("拼音码"), kTextField, 20},
          {Gbk("类别"), kTextField, 40},   {Gbk("单位"), kTextField, 40},
          {Gbk("电话"), kTextField, 11},   {Gbk("应收"), kIntegerField, 20},
          {Gbk("应付"), kIntegerField, 20}, {Gbk("备注"), kTextField, 40},
          {Gbk("日期"), kTextField, 30}};
}

std::vector<std::string> ProductTableNames() {
  return {"CPU",  "散热器", "主板", "内存", "机械盘", "固态盘", "显卡", "显示器",
          "机箱", "电源",   "键盘", "鼠标", "音箱",   "其它",   "入库", "出库"};
}

}  // namespace pcshop::tables::testing
