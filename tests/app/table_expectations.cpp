#include "tests/app/table_expectations.h"

#include <algorithm>
#include <sstream>

#include <stdlib.h>

#include <gtest/gtest.h>

#include "runtime/files/native_path.h"
#include "runtime/files/program_folder.h"
#include "runtime/tables/server_backend.h"
#include "runtime/text/gbk_codec.h"

namespace pcshop::app::testing {

namespace fs = std::filesystem;

std::string Gbk(const std::string& utf8) {
  auto gbk = text::Utf8ToGbk(utf8);
  return gbk.ok() ? *gbk : std::string();
}

std::string Utf8(const std::string& gbk) {
  auto utf8 = text::GbkToUtf8(gbk);
  return utf8.ok() ? *utf8 : std::string("<not GBK>");
}

namespace {

// Where the server cannot be reached: every table refused.
class NoTables final : public tables::TableBackend {
 public:
  Status Create(const fs::path&, std::span<const tables::FieldSpec>) override { return Refused(); }
  Result<std::unique_ptr<tables::Table>> Open(const fs::path&) override { return Refused(); }
  Result<bool> Upgrade(const fs::path&, std::span<const tables::FieldSpec>) override {
    return Refused();
  }

 private:
  static Status Refused() { return Status::IOError("the test server cannot be reached"); }
};

}  // namespace

Result<std::unique_ptr<tables::TableBackend>> TestTablesBackend() {
  const char* server = std::getenv(kTablesServerVariable);
  if (server == nullptr) {
    return std::unique_ptr<tables::TableBackend>(std::make_unique<tables::FileBackend>());
  }
  auto exe = files::ExecutablePath();
  if (!exe.ok()) return exe.status();
  auto backend = tables::ServerBackend::Connect(server, exe->parent_path());
  if (!backend.ok()) return backend.status();
  return std::unique_ptr<tables::TableBackend>(std::move(backend).value());
}

TestStore::TestStore() {
  auto backend = TestTablesBackend();
  if (!backend.ok()) {
    ADD_FAILURE() << "the test's tables: " << backend.status().ToString();
    (void)UseBackend(std::make_unique<NoTables>());
  } else {
    (void)UseBackend(std::move(backend).value());
  }
}

std::vector<std::string> Gbks(const std::vector<std::string>& utf8) {
  std::vector<std::string> out;
  for (const std::string& t : utf8) out.push_back(Gbk(t));
  return out;
}

namespace {

tables::FieldSpec Text(const std::string& name, int width) { return {Gbk(name), 10, width}; }
tables::FieldSpec Int(const std::string& name, int width) { return {Gbk(name), 3, width}; }

std::vector<tables::FieldSpec> ProductFields() {
  return {Text("品名", 20), Text("品牌", 20), Text("型号", 20), Int("价格", 20),
          Text("备注", 20)};
}

}  // namespace

std::vector<tables::FieldSpec> EightMovementFields() {
  std::vector<tables::FieldSpec> f = ProductFields();
  f.push_back(Int("数量", 20));
  f.push_back(Int("金额", 20));
  f.push_back(Text("日期", 20));
  return f;
}

std::vector<tables::FieldSpec> MovementFields(bool sale) {
  std::vector<tables::FieldSpec> f = EightMovementFields();
  f.push_back(Text(sale ? "客户" : "供应商", 20));
  f.push_back(Int(sale ? "实收" : "实付", 20));
  if (sale) f.push_back(Int("成本", 20));
  return f;
}

namespace {

std::vector<tables::FieldSpec> ConfigFields() {
  std::vector<tables::FieldSpec> f = {Text("配置名", 20), Text("生成日期", 20)};
  const char* rows[] = {"CPU",  "散热器", "主板", "内存", "机械盘", "固态盘", "显卡",  "显示器",
                        "机箱", "电源",   "键盘", "鼠标", "音箱",   "其它一", "其它二"};
  for (const std::string row : rows) {
    f.push_back(Text(row + "品名", 20));
    f.push_back(Text(row + "品牌", 20));
    f.push_back(Text(row + "型号", 30));
    f.push_back(Int(row + "数量", 20));
    f.push_back(Int(row + "价格", 20));
    f.push_back(Int(row + "金额", 20));
    f.push_back(Text(row + "备注", row == "其它二" ? 20 : 30));
  }
  f.push_back(Text("配置备注", 30));
  return f;
}

// A private store on one file; closed when it goes.
struct OneTable {
  TestStore store;
  bool ok = false;
  explicit OneTable(const fs::path& file) {
    auto path = files::ToTextPath(file);
    ok = path.ok() && store.OpenTable(*path, "t").ok() && store.SelectTable("t").ok();
  }
};

}  // namespace

std::vector<ExpectedTable> StartupTables() {
  std::vector<ExpectedTable> t;
  for (const char* name : {"CPU", "散热器", "主板", "内存", "机械盘", "固态盘", "显卡", "显示器",
                           "机箱", "电源", "键盘", "鼠标", "音箱", "其它"}) {
    t.push_back({name, ProductFields()});
  }
  t.push_back({"入库", MovementFields(false)});
  t.push_back({"出库", MovementFields(true)});
  t.push_back({"收付款", PaymentTableFields()});
  t.push_back({"店铺", ShopTableFields()});
  t.push_back({"设置", {Text("名称", 1000), Text("值", 1000)}});
  t.push_back({"配置", ConfigFields()});
  return t;
}

std::vector<tables::FieldSpec> PaymentTableFields() {
  return {Text("日期", 20), Text("姓名", 20), Text("类型", 20),
          Int("金额", 20),  Text("方式", 20), Text("备注", 40)};
}

std::vector<tables::FieldSpec> ShopTableFields() {
  return {Text("店名", 40), Text("地址", 80), Text("电话", 30)};
}

std::vector<tables::FieldSpec> CustomerTableFields() {
  return {Text("姓名", 20), Text("拼音码", 20), Text("类别", 40), Text("单位", 40),
          Text("电话", 11), Int("应收", 20),    Int("应付", 20),  Text("备注", 40),
          Text("日期", 30)};
}

std::vector<tables::FieldSpec> FieldsOf(const fs::path& file) {
  OneTable t(file);
  if (!t.ok) return {};
  auto fields = t.store.Fields();
  return fields.ok() ? *fields : std::vector<tables::FieldSpec>{};
}

int RecordCountOf(const fs::path& file) {
  OneTable t(file);
  if (!t.ok) return -1;
  auto n = t.store.RecordCount();
  return n.ok() ? *n : -1;
}

bool AppendProduct(const fs::path& file, const std::string& brand, int price) {
  return AppendProduct(file, "显卡", brand, "X1", price, "");
}

bool AppendProduct(const fs::path& file, const std::string& kind, const std::string& brand,
                   const std::string& model, int price, const std::string& remark) {
  OneTable t(file);
  if (!t.ok) return false;
  const tables::FieldValue values[] = {Gbk(kind), Gbk(brand), Gbk(model), price, Gbk(remark)};
  return t.store.AppendRecord(values).ok();
}

bool AppendRecordTo(const fs::path& file, const std::vector<tables::FieldValue>& values) {
  OneTable t(file);
  return t.ok && t.store.AppendRecord(values).ok();
}

bool AppendCustomer(const fs::path& file, const std::string& name, const std::string& pinyin,
                    const std::string& phone) {
  if (!fs::exists(file)) {
    TestStore store;
    auto path = files::ToTextPath(file);
    if (!path.ok() || !store.CreateTable(*path, CustomerTableFields()).ok()) return false;
  }
  OneTable t(file);
  if (!t.ok) return false;
  const tables::FieldValue values[] = {Gbk(name),     Gbk(pinyin),   std::string(),
                                       std::string(), Gbk(phone),    0,
                                       0,             std::string(), std::string()};
  return t.store.AppendRecord(values).ok();
}

std::string Fingerprint(const fs::path& folder) {
  std::vector<std::string> lines;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    std::ostringstream line;
    line << entry.path().filename().string() << ' ' << entry.file_size(ec) << ' '
         << entry.last_write_time(ec).time_since_epoch().count();
    lines.push_back(line.str());
  }
  std::sort(lines.begin(), lines.end());
  std::string all;
  for (const auto& l : lines) all += l + "\n";
  if (std::getenv(kTablesServerVariable) == nullptr) return all;
  std::vector<std::string> names;
  for (const ExpectedTable& t : StartupTables()) names.push_back(t.name);
  names.push_back("客户信息");
  for (const std::string& name : names) {
    OneTable t(folder / (name + ".zdb"));
    auto count = t.ok ? t.store.RecordCount() : Result<int32_t>(0);
    auto fields = t.store.Fields();
    all += name + " " + std::to_string(count.ok() ? *count : -1) + "\n";
    for (int32_t n = 1; count.ok() && fields.ok() && n <= *count; ++n) {
      (void)t.store.GoToRecord(n);
      auto deleted = t.store.IsDeleted();
      all += deleted.ok() && *deleted ? "*" : " ";
      for (const tables::FieldSpec& f : *fields) {
        auto v = t.store.ReadField(f.name);
        if (!v.ok()) all += "?";
        else if (tables::IsText(*v)) all += std::get<std::string>(*v);
        else all += std::to_string(std::get<int64_t>(*v));
        all += '|';
      }
      all += '\n';
    }
  }
  return all;
}

std::ostream& operator<<(std::ostream& os, const PaymentRow& p) {
  return os << p.date << "|" << p.name << "|" << p.kind << "|" << p.amount << "|" << p.method
            << "|" << p.remark;
}

std::vector<PaymentRow> PaymentsIn(const std::filesystem::path& data) {
  std::vector<PaymentRow> out;
  TestStore store;
  if (!store.OpenTable((data / (Gbk("收付款") + ".zdb")).string(), "read").ok()) return out;
  auto counted = store.RecordCount();
  auto text = [&](const char* f) {
    auto v = store.ReadField(Gbk(f));
    return v.ok() && tables::IsText(*v) ? Utf8(std::get<std::string>(*v)) : std::string("?");
  };
  for (int32_t n = 1; counted.ok() && n <= *counted; ++n) {
    (void)store.GoToRecord(n);
    auto amount = store.ReadField(Gbk("金额"));
    out.push_back({text("日期"), text("姓名"), text("类型"),
                   amount.ok() && !tables::IsText(*amount) ? std::get<int64_t>(*amount) : -1,
                   text("方式"), text("备注")});
  }
  return out;
}

}  // namespace pcshop::app::testing
