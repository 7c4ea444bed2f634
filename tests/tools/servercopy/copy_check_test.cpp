#include <gtest/gtest.h>

#include "tests/runtime/tables/table_layouts.h"
#include "tests/tools/servercopy/shop_folder.h"
#include "tools/servercopy/record_check.h"
#include "tools/servercopy/table_names.h"

namespace pcshop::servercopy::testing {
namespace {

using tables::testing::Gbk;

class VectorSource : public RecordSource {
 public:
  explicit VectorSource(std::vector<CopyRecord> records) : records_(std::move(records)) {}
  Result<bool> Next(CopyRecord& out) override {
    if (next_ >= records_.size()) return false;
    out = records_[next_++];
    return true;
  }

 private:
  std::vector<CopyRecord> records_;
  size_t next_ = 0;
};

const TableLayout kCpu{Gbk("DATA/CPU.zdb"), tables::testing::ProductLayout()};

std::vector<CopyRecord> Products() {
  return {Product(1, "CPU", "英特尔", "i5", 1099), Product(4, "CPU", "AMD", "R5", 899, "", true)};
}

Status Check(std::vector<CopyRecord> source, std::vector<CopyRecord> copy) {
  VectorSource a(std::move(source));
  VectorSource b(std::move(copy));
  return CheckSameRecords(kCpu, a, b).status();
}

TEST(CopyCheckTest, EveryKindOfDifferenceIsCaughtAndNamed) {
  EXPECT_TRUE(Check(Products(), Products()).ok());

  std::vector<CopyRecord> copy = Products();
  std::get<std::string>(copy[1].values[1]).back() ^= 1;
  Status s = Check(Products(), copy);
  EXPECT_EQ(s.code(), Status::Code::kCorruption);
  EXPECT_NE(s.message().find("DATA/CPU.zdb: record 2"), std::string::npos) << s.message();
  EXPECT_NE(s.message().find("品牌"), std::string::npos) << s.message();

  copy = Products();
  copy[0].values[3] = std::string("1099");  // the same digits, the wrong kind
  EXPECT_NE(Check(Products(), copy).message().find("价格"), std::string::npos);

  copy = Products();
  copy[1].deleted = false;
  EXPECT_NE(Check(Products(), copy).message().find("not marked deleted"), std::string::npos);

  copy = Products();
  copy[1].id = 2;
  EXPECT_NE(Check(Products(), copy).message().find("id 2 instead of 4"), std::string::npos);

  copy = Products();
  copy.pop_back();
  EXPECT_NE(Check(Products(), copy).message().find("the source holds 2 records, the copy 1"),
            std::string::npos);
  copy = Products();
  copy.push_back(Product(5, "CPU", "x", "y", 1));
  copy.push_back(Product(6, "CPU", "x", "z", 1));
  EXPECT_NE(Check(Products(), copy).message().find("the source holds 2 records, the copy 4"),
            std::string::npos);
}

TEST(TableNamesTest, FolderNameAndFileNameMakeTheServerName) {
  EXPECT_EQ(*FolderPrefix("/shop/DATA/"), "DATA/");
  EXPECT_EQ(*FolderPrefix("/shop/DATA/../数据"), Gbk("数据/"));
  EXPECT_EQ(*ServerName("DATA/", "/shop/DATA/配置.zdb"), Gbk("DATA/配置.zdb"));
  EXPECT_EQ(*FileFor("/x/DATA", "DATA/", Gbk("DATA/客户信息.zdb")), "/x/DATA/客户信息.zdb");
}

TEST(TableNamesTest, ServerNamesThatAreNoPlainFileNameAreRefused) {
  for (const std::string& name :
       {std::string("DATA/../etc.zdb"), std::string("DATA/sub/CPU.zdb"), std::string("DATA/"),
        std::string("DATA/.."), std::string("DATA/a\\b.zdb"), std::string("DATA/a.zdb\x81"),
        std::string("OTHER/CPU.zdb")}) {
    auto file = FileFor("/x/DATA", "DATA/", name);
    EXPECT_FALSE(file.ok()) << name;
  }
  // A GBK trail byte 0x5C is part of a character, not a separator.
  EXPECT_TRUE(FileFor("/x/DATA", "DATA/", Gbk("DATA/淺.zdb")).ok());
}

}  // namespace
}  // namespace pcshop::servercopy::testing
