// 店铺信息 and the heading of printed documents, through the real generated
// image offscreen: the shop's details saved in their table after a
// confirmation, read back by the window and by the quote's print, nothing
// printed when none are saved, and a table of another layout refused
// untouched. The program folder is shared with the other app tests: same lock.

#include <gtest/gtest.h>

#include <QPrintPreviewDialog>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/kernel/runtime.h"
#include "tests/app/app_fixture.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

constexpr char kQuote[] = "窗口配置单";
constexpr char kShop[] = "窗口店铺信息";

// The records of 店铺.zdb, each as 店名|地址|电话 in UTF-8; none when it
// cannot be read.
Texts ShopRecordsIn(const fs::path& data) {
  Texts out;
  TestStore store;
  if (!store.OpenTable((data / (Gbk("店铺") + ".zdb")).string(), "read").ok()) return out;
  auto count = store.RecordCount();
  for (int32_t n = 1; count.ok() && n <= *count; ++n) {
    (void)store.GoToRecord(n);
    std::string row;
    for (const char* field : {"店名", "地址", "电话"}) {
      auto v = store.ReadField(Gbk(field));
      row += (v.ok() && tables::IsText(*v) ? Utf8(std::get<std::string>(*v)) : "?") + "|";
    }
    out.push_back(row);
  }
  return out;
}

class ShopTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;  // no program to watch
    // The lines of the document the print preview shows, in UTF-8.
    runtime_->documents().SetPreviewResponder([this](QPrintPreviewDialog&) {
      for (int32_t n = 1; n <= 16; ++n) {
        if (const document::Document* doc = runtime_->documents().Find(n)) {
          printed_.clear();
          for (const std::string& line : doc->lines()) printed_.push_back(Utf8(line));
        }
      }
    });
  }
  void Enter(const std::string& name, const std::string& address, const std::string& phone) {
    Ok(user_->SetText(kShop, "编辑框店名", name));
    Ok(user_->SetText(kShop, "编辑框地址", address));
    Ok(user_->SetText(kShop, "编辑框电话", phone));
  }
  Texts Boxes() {
    return {user_->Text(kShop, "编辑框店名"), user_->Text(kShop, "编辑框地址"),
            user_->Text(kShop, "编辑框电话")};
  }
  // The quote's print preview: the document's lines above its table.
  Texts Printed() {
    printed_.clear();
    Click(kQuote, "按钮配置打印");
    EXPECT_EQ(Messages(), Texts{});
    return printed_;
  }
  // The first three lines printed.
  static Texts Heading(const Texts& lines) {
    return Texts(lines.begin(), lines.begin() + std::min<size_t>(3, lines.size()));
  }

  Texts printed_;
};

TEST_F(ShopTest, SavedDetailsAreConfirmedWrittenOnceAndHeadTheQuote) {
  Run([&] {
    Click(kQuote, "按钮店铺信息");
    ASSERT_TRUE(user_->IsOpen(kShop));
    EXPECT_EQ(Boxes(), (Texts{"", "", ""}));
    Enter("华强电脑城 鑫达电脑", "深圳市福田区华强北路 1001 号", "0755-83216688");
    Click(kShop, "按钮保存");
    EXPECT_EQ(Messages(), (Texts{"正在保存店铺信息\r\n\r\n店名: 华强电脑城 鑫达电脑\r\n地址: "
                                 "深圳市福田区华强北路 1001 号\r\n电话: 0755-83216688\r\n\r\n"
                                 "确定保存吗",
                                 "保存成功"}));
    Click(kShop, "按钮保存");
    EXPECT_EQ(Messages(), Texts{"与原记录相同"});
    Click(kShop, "按钮返回");
    EXPECT_EQ(user_->OpenWindows(), Texts{"窗口配置单"});

    const Texts printed = Printed();
    EXPECT_EQ(Heading(printed), (Texts{"华强电脑城 鑫达电脑", "地址：深圳市福田区华强北路 1001 号",
                                       "电话：0755-83216688"}));
    ASSERT_EQ(printed.size(), 7u);
    EXPECT_EQ(printed[3], "") << "the shop set apart from the quote's own lines";
    EXPECT_EQ(printed[4], "配置名：");

    // A second save modifies the one record; an address left empty is not printed.
    Click(kQuote, "按钮店铺信息");
    EXPECT_EQ(Boxes(),
              (Texts{"华强电脑城 鑫达电脑", "深圳市福田区华强北路 1001 号", "0755-83216688"}));
    Enter("鑫达电脑", "", "13800138000");
    Click(kShop, "按钮保存");
    EXPECT_EQ(Messages().back(), "保存成功");
    Click(kShop, "按钮返回");
    EXPECT_EQ(ShopRecordsIn(data()), Texts{"鑫达电脑||13800138000|"});
    EXPECT_EQ(Heading(Printed()), (Texts{"鑫达电脑", "电话：13800138000", ""}));

    // Another counter's change shows on the next print and the next opening.
    {
      TestStore other;
      Ok(other.OpenTable((data() / (Gbk("店铺") + ".zdb")).string(), "other"));
      Ok(other.GoToRecord(1));
      const tables::OptionalValue values[] = {std::string(Gbk("鑫达电脑二店")), std::nullopt,
                                              std::nullopt};
      Ok(other.ModifyRecord(values));
    }
    EXPECT_EQ(Printed().front(), "鑫达电脑二店");
    Click(kQuote, "按钮店铺信息");
    EXPECT_EQ(Boxes().front(), "鑫达电脑二店");
  });
  EXPECT_EQ(Errors(), "") << "the runtime reported a fault";
}

TEST_F(ShopTest, NothingSavedOrACancelledSavePrintsNoShopLines) {
  Run([&] {
    const Texts quote_only = Printed();
    ASSERT_EQ(quote_only.size(), 3u);
    EXPECT_EQ(quote_only.front(), "配置名：");
    Click(kQuote, "按钮店铺信息");
    Enter("鑫达电脑", "华强北路", "");
    responder_.QueueMessageBoxAnswer(1);
    Click(kShop, "按钮保存");
    EXPECT_EQ(Messages().size(), 1u) << "the confirmation, then nothing";
    Click(kShop, "按钮返回");
    EXPECT_EQ(Printed().front(), "配置名：");
  });
  EXPECT_EQ(ShopRecordsIn(data()), Texts{});
  EXPECT_EQ(Errors(), "");
}

TEST_F(ShopTest, AForeignShopTableIsRefusedUntouchedAndTheQuoteStillPrints) {
  fs::create_directories(data());
  {
    TestStore store;
    const std::vector<tables::FieldSpec> foreign = {{Gbk("店名"), 10, 20}, {Gbk("金额"), 3, 20}};
    Ok(store.CreateTable((data() / (Gbk("店铺") + ".zdb")).string(), foreign));
  }
  const Texts unusable = {"店铺.zdb的格式无法识别，本窗口不能使用它。文件未作改动。"};
  Run([&] {
    Click(kQuote, "按钮店铺信息");
    EXPECT_EQ(Messages(), unusable);
    Enter("鑫达电脑", "", "");
    Click(kShop, "按钮保存");
    EXPECT_EQ(Messages(), unusable);
    Click(kShop, "按钮返回");
    EXPECT_EQ(Printed().front(), "配置名：");
  });
  EXPECT_EQ(FieldsOf(data() / "店铺.zdb").size(), 2u);
  EXPECT_EQ(RecordCountOf(data() / "店铺.zdb"), 0);
  EXPECT_EQ(Errors(), "");
}

}  // namespace
}  // namespace pcshop::app::testing
