// The customer register through the real generated image and the runtime,
// offscreen: a user opens the customer window from the quote window, fills
// the inputs, adds, changes, deletes and searches customers. Message boxes
// are answered by a Responder in every test. The program folder is shared
// with the other app tests: same lock.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "runtime/tables/table_store.h"
#include "runtime/text/gbk_codec.h"
#include "runtime/ui/responder.h"
#include "runtime/ui/test_seam.h"
#include "runtime/ui/window_manager.h"
#include "tests/app/app_fixture.h"
#include "tests/app/table_expectations.h"
#include "tests/runtime/document/tool_output.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

constexpr char kWindow[] = "窗口客户管理";
constexpr char kList[] = "超级列表框客户信息";
constexpr char kQuery[] = "编辑框查询内容";
constexpr int kPerson = 0;
constexpr int kCompany = 1;

// One customer as the table holds it; texts UTF-8.
struct Customer {
  std::string name;
  std::string pinyin;
  std::string category;
  std::string unit;
  std::string phone;
  int receivable = 0;
  int payable = 0;
  std::string remark;
  std::string date;
  bool operator==(const Customer&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Customer& c) {
  return os << c.name << "/" << c.pinyin << "/" << c.category << "/" << c.unit << "/" << c.phone
            << "/" << c.receivable << "/" << c.payable << "/" << c.remark << "/" << c.date;
}

// The date-and-time text the confirmations show, e.g. 2024年5月3日14时07分09秒.
const std::regex kDate("\\d{4}年\\d{1,2}月\\d{1,2}日\\d{1,2}时\\d{2}分\\d{2}秒");

// `form` (UTF-8) with each "@" replaced by the next date found in `said`
// (GBK), as GBK: compared with `said` it checks every other byte exactly.
std::string WithDates(const std::string& said, std::string form) {
  const std::string utf8 = Utf8(said);
  auto date = std::sregex_iterator(utf8.begin(), utf8.end(), kDate);
  for (size_t at = form.find('@'); at != std::string::npos; at = form.find('@', at)) {
    if (date == std::sregex_iterator()) return "<fewer dates than expected>";
    form.replace(at, 1, date->str());
    at += date->str().size();
    ++date;
  }
  return Gbk(form);
}

class CustomerTest : public AppFixture {
 protected:
  // Starts the program and opens the customer window; the runtime must
  // report no fault.
  void Run(const std::function<void()>& scenario) {
    AppFixture::Run([&] {
      Click("窗口配置单", "按钮客户管理");
      ASSERT_TRUE(user_->IsOpen(kWindow));
      scenario();
    });
    EXPECT_EQ(Errors(), "") << "the runtime reported a fault";
  }

  using AppFixture::Click;
  void Click(const char* control) { Click(kWindow, control); }
  void Type(const char* control, const std::string& text) {
    Ok(user_->SetText(kWindow, control, text));
  }
  std::string Shown(const char* control) { return user_->Text(kWindow, control); }

  // The inputs as a user fills them; the pinyin code follows the name.
  void Fill(const std::string& name, int category, const std::string& unit,
            const std::string& phone, const std::string& receivable = "",
            const std::string& payable = "", const std::string& remark = "") {
    Type("编辑框客户姓名", name);
    Ok(user_->ChooseComboItem(kWindow, "组合框客户类别", category));
    if (!unit.empty()) Type("编辑框客户单位", unit);
    Type("编辑框客户电话", phone);
    Type("编辑框客户应收", receivable);
    Type("编辑框客户应付", payable);
    Type("编辑框客户备注", remark);
  }

  Texts Messages() {
    Texts texts;
    for (const ui::MessageBoxRequest& r : responder_.message_boxes()) texts.push_back(r.text);
    responder_.Clear();
    return texts;
  }

  fs::path TableFile() const { return folder_ / "DATA" / (Gbk("客户信息") + ".zdb"); }
  // Writes customers into the table the window created, then lists them.
  void Seed(const std::vector<Customer>& customers) {
    {
      TestStore store;
      Ok(store.OpenTable(TableFile().string(), "seed"));
      for (const Customer& c : customers) {
        const tables::FieldValue values[] = {Gbk(c.name), Gbk(c.pinyin), Gbk(c.category),
                                             Gbk(c.unit), Gbk(c.phone),  c.receivable,
                                             c.payable,   Gbk(c.remark), Gbk(c.date)};
        Ok(store.AppendRecord(values));
      }
    }
    Click("按钮刷新客户");
  }
  std::vector<Customer> Records() {
    std::vector<Customer> out;
    TestStore store;
    if (!store.OpenTable(TableFile().string(), "read").ok()) return out;
    auto counted = store.RecordCount();
    const int32_t count = counted.ok() ? *counted : 0;
    auto text = [&](const char* field) {
      auto v = store.ReadField(Gbk(field));
      return v.ok() && tables::IsText(*v) ? Utf8(std::get<std::string>(*v)) : std::string("?");
    };
    auto number = [&](const char* field) {
      auto v = store.ReadField(Gbk(field));
      return v.ok() && !tables::IsText(*v) ? static_cast<int>(std::get<int64_t>(*v)) : -1;
    };
    for (int32_t n = 1; n <= count; ++n) {
      (void)store.GoToRecord(n);
      out.push_back({text("姓名"), text("拼音码"), text("类别"), text("单位"), text("电话"),
                     number("应收"), number("应付"), text("备注"), text("日期")});
    }
    return out;
  }
  // Records without their dates, which follow the clock.
  std::vector<Customer> Undated() {
    std::vector<Customer> out = Records();
    for (Customer& c : out) c.date.clear();
    return out;
  }
  // One column of the list, top to bottom.
  Texts Column(int column) {
    Texts out;
    for (int r = 0; r < user_->RowCount(kWindow, kList); ++r) {
      out.push_back(user_->Cell(kWindow, kList, r, column));
    }
    return out;
  }

};

const Customer kZhao{"赵四", "zs", "个人", "", "111", 0, 0, "", "2024年1月1日9时00分00秒"};
const Customer kHuawei{
    "华为", "hw", "公司", "华为", "222", 5, 6, "华为", "2024年1月2日9时00分00秒"};
const Customer kAcme{"王五", "ww", "公司", "华为", "333", 0, 0, "", ""};
const Customer kNoPhone{"李六", "ll", "个人", "", "", 0, 0, "华为", ""};

TEST_F(CustomerTest, CategoryDrivesTheUnitBoxAndTheUnitCheck) {
  Run([&] {
    Type("编辑框客户单位", "某厂");
    Ok(user_->ChooseComboItem(kWindow, "组合框客户类别", kPerson));
    EXPECT_EQ(Shown("编辑框客户单位"), "");
    EXPECT_FALSE(user_->Enabled(kWindow, "编辑框客户单位"));
    Ok(user_->ChooseComboItem(kWindow, "组合框客户类别", kCompany));
    EXPECT_TRUE(user_->Enabled(kWindow, "编辑框客户单位"));

    Click("按钮新增");
    EXPECT_EQ(Messages(), Gbks({"请填写客户姓名"}));
    Type("编辑框客户姓名", "张三");
    Click("按钮新增");
    EXPECT_EQ(Messages(), Gbks({"请选择客户单位"}));
    Click("按钮刷新客户");
    Type("编辑框客户姓名", "张三");
    Click("按钮新增");
    EXPECT_EQ(Messages(), Gbks({"请选择客户类别"}));

    Fill("张三", kPerson, "", "138", "10", "x");
    Click("按钮新增");
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[1], Gbk("增加成功"));
    EXPECT_EQ(Column(1), Texts{"张三"});
    EXPECT_EQ(Shown("编辑框客户姓名"), "");
    EXPECT_EQ(user_->CurrentIndex(kWindow, "组合框客户类别"), -1);
  });
  EXPECT_EQ(Undated(), (std::vector<Customer>{{"张三", "zs", "个人", "", "138", 10, 0, "", ""}}));
  const std::vector<Customer> stored = Records();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_TRUE(std::regex_match(stored[0].date, kDate)) << stored[0].date;
}

TEST_F(CustomerTest, PinyinCodeIsMadeFromTheNameAndMayExceedWhatTheUserCanType) {
  Run([&] {
    Type("编辑框客户姓名", "张三");
    EXPECT_EQ(Shown("编辑框客户拼音码"), "zs");
    Type("编辑框客户姓名", "李4a");
    EXPECT_EQ(Shown("编辑框客户拼音码"), "l4a");
    Type("编辑框客户姓名", "①王");  // a symbol has no reading
    EXPECT_EQ(Shown("编辑框客户拼音码"), "w");
    // The limits count bytes and hold only for typing.
    Type("编辑框客户姓名", "欧阳娜娜x");
    EXPECT_EQ(Shown("编辑框客户姓名"), "欧阳娜娜");
    Type("编辑框客户拼音码", "abc");
    EXPECT_EQ(Shown("编辑框客户拼音码"), "ab");
  });
}

// A paste past a box's byte limit keeps what fits, cut between characters,
// and says so at the box; the pinyin code follows what was kept.
TEST_F(CustomerTest, AnOverLongPastedNameIsCutToTheLimitWithANotice) {
  Run([&] {
    for (const char* box : {"编辑框客户单位", "编辑框客户备注"}) {
      Ok(user_->Paste(kWindow, box, std::string(21, 'x') + "深圳市华强北电子世界三楼"));
      EXPECT_EQ(Shown(box), std::string(21, 'x') + "深圳市华强北电子世") << box;
      EXPECT_EQ(user_->Notice(), "超出长度限制，已截取前39个字节。") << box;
    }
    Ok(user_->Paste(kWindow, "编辑框客户姓名", "欧阳娜娜丽"));
    EXPECT_EQ(Shown("编辑框客户姓名"), "欧阳娜娜");
    EXPECT_EQ(user_->Notice(), "超出长度限制，已截取前8个字节。");
    EXPECT_EQ(Shown("编辑框客户拼音码"), "oynn");
  });
}

TEST_F(CustomerTest, TheFirstCharacterIsReadAsASurname) {
  Run([&] {
    const std::pair<const char*, const char*> kNames[] = {
        {"曾小明", "zxm"},  // common reading céng
        {"单田芳", "stf"},  {"乐嘉", "yj"},    {"仇英", "qy"},   {"解缙", "xj"},
        {"区健", "oj"},     {"查良镛", "zly"}, {"翟丽", "zl"},   {"覃波", "qb"},
        {"万俟卨", "mqx"},  // a compound surname: wàn sì otherwise
        {"尉迟恭", "ycg"},  {"尉缭", "wl"},    {"澹台灭明", "ttmm"},
        // Only the first character: elsewhere the common reading.
        {"曾曾", "zc"},     {"李曾", "lc"},    {"曾", "z"},      {"万俟", "mq"},
        {"万里", "wl"},     {"a曾", "ac"},     {"张三", "zs"}};
    for (const auto& [name, code] : kNames) {
      Type("编辑框客户姓名", name);
      EXPECT_EQ(Shown("编辑框客户拼音码"), code) << name;
    }
  });
}

TEST_F(CustomerTest, ASurnameReadingIsStoredAndFoundByTheQuery) {
  Run([&] {
    Seed({kZhao, kHuawei});
    Fill("曾小明", kPerson, "", "444");
    EXPECT_EQ(Shown("编辑框客户拼音码"), "zxm");
    Click("按钮新增");
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[1], Gbk("增加成功"));

    Type(kQuery, "zxm");
    Click("按钮客户查询");
    EXPECT_EQ(Column(1), Texts{"曾小明"});
    EXPECT_EQ(Column(2), Texts{"zxm"});
    Type(kQuery, "cxm");
    Click("按钮客户查询");
    EXPECT_EQ(user_->RowCount(kWindow, kList), 0);
  });
  const std::vector<Customer> stored = Undated();
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[2], (Customer{"曾小明", "zxm", "个人", "", "444", 0, 0, "", ""}));
}

TEST_F(CustomerTest, ExistingPinyinCodeGetsTheCustomerCountWithoutAMessage) {
  Run([&] {
    Seed({kZhao, kHuawei, kAcme, kNoPhone, {"钱七", "qq", "个人", "", "555", 0, 0, "", ""}});
    Fill("张三", kPerson, "", "555");
    Click("按钮新增");
    EXPECT_EQ(Messages(), Gbks({"电话重复"}));
    // Set by the program, over the box's limit of two.
    EXPECT_EQ(Shown("编辑框客户拼音码"), "zs5");
    Type("编辑框客户电话", "666");
    Click("按钮新增");
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[1], Gbk("增加成功"));
    ASSERT_EQ(user_->RowCount(kWindow, kList), 6);
    Ok(user_->PressListCell(kWindow, kList, 5, 1));
    EXPECT_EQ(Shown("编辑框客户姓名"), "张三");
    EXPECT_EQ(Shown("编辑框客户拼音码"), "zs5");
    EXPECT_FALSE(user_->Enabled(kWindow, "编辑框客户单位"));
  });
  const std::vector<Customer> stored = Undated();
  ASSERT_EQ(stored.size(), 6u);
  EXPECT_EQ(stored[5].pinyin, "zs5");
}

TEST_F(CustomerTest, EmptyPhoneIsAskedAboutAndNotTakenForADuplicate) {
  Run([&] {
    Seed({kNoPhone});
    Fill("张三", kPerson, "", "");
    responder_.QueueMessageBoxAnswer(1);
    Click("按钮新增");
    EXPECT_EQ(Messages(), Gbks({"不填写客户电话吗"}));
    Click("按钮新增");
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 4u);
    EXPECT_EQ(said[0], Gbk("不填写客户电话吗"));
    EXPECT_EQ(said[1], Gbk("未填写客户电话"));
    EXPECT_EQ(said[3], Gbk("增加成功"));
    // A phone given is still unique, and so is a name.
    Fill("王五", kPerson, "", "");
    Click("按钮新增");
    EXPECT_EQ(Messages().back(), Gbk("增加成功"));
    Fill("赵四", kPerson, "", "");
    Click("按钮新增");
    EXPECT_EQ(Messages().back(), Gbk("增加成功"));
    Fill("钱七", kPerson, "", "");
    Click("按钮新增");
    EXPECT_EQ(Messages().back(), Gbk("增加成功"));
    Fill("孙八", kPerson, "", "138");
    Click("按钮新增");
    EXPECT_EQ(Messages().back(), Gbk("增加成功"));
    Fill("周九", kPerson, "", "138");
    Click("按钮新增");
    EXPECT_EQ(Messages(), Gbks({"电话重复"}));
    Fill("张三", kPerson, "", "139");
    Click("按钮新增");
    EXPECT_EQ(Messages(), Gbks({"姓名重复"}));
  });
  EXPECT_EQ(Records().size(), 6u);
}

TEST_F(CustomerTest, ModifyAndDeleteOfANameNoRecordHasDoNothing) {
  Run([&] {
    Seed({kZhao});
    Click("按钮修改");
    Click("按钮删除");
    Type("编辑框客户姓名", "无此人");
    Click("按钮修改");
    Click("按钮删除");
    EXPECT_EQ(Messages(), Texts{});
    EXPECT_EQ(Shown("编辑框客户姓名"), "无此人");
  });
  EXPECT_EQ(Records(), std::vector<Customer>{kZhao});
}

TEST_F(CustomerTest, ConfirmationsShowTheirLinesExactly) {
  Run([&] {
    Fill("张三", kCompany, "某厂", "138", "10", "20", "老客户");
    responder_.QueueMessageBoxAnswer(1);
    Click("按钮新增");
    Texts said = Messages();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0],
              WithDates(said[0],
                        "正在增加客户\r\n\r\n姓名: 张三\r\n类别: 公司\r\n单位: 某厂\r\n电话: "
                        "138\r\n应收: 10\r\n应付: 20\r\n建档日期: @\r\n备注: "
                        "老客户\r\n\r\n确定增加吗?"));
    Click("按钮新增");
    EXPECT_EQ(Messages().back(), Gbk("增加成功"));

    Ok(user_->PressListCell(kWindow, kList, 0, 1));
    EXPECT_EQ(Shown("编辑框客户应收"), "10");
    EXPECT_TRUE(user_->Enabled(kWindow, "编辑框客户单位"));
    Type("编辑框客户电话", "139");
    Type("编辑框客户应付", "x");
    Click("按钮修改");
    said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[0],
              WithDates(said[0],
                        "正在修改客户\r\n\r\n原姓名:张三\r\n原类别:公司\r\n原单位:某厂\r\n电话:"
                        "138\r\n原应收:10\r\n原应付:20\r\n建档日期:@\r\n原备注:老客户\r\n\r\n"
                        "现姓名:张三\r\n现类别:公司\r\n现单位:某厂\r\n现电话:139\r\n现应收:"
                        "10\r\n现应付:x\r\n建档日期:@\r\n现备注:老客户\r\n\r\n确定修改吗?"));
    EXPECT_EQ(said[1], Gbk("修改成功"));
    EXPECT_EQ(Column(5), Texts{"139"});
    EXPECT_EQ(Column(7), Texts{"0"});

    Ok(user_->PressListCell(kWindow, kList, 0, 1));
    Type("编辑框客户备注", "框里的");
    responder_.QueueMessageBoxAnswer(1);
    Click("按钮删除");
    said = Messages();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0],
              WithDates(said[0],
                        "正在删除客户\r\n\r\n姓名:张三\r\n类别:公司\r\n单位:某厂\r\n电话:139\r\n"
                        "应收:10\r\n应付:0\r\n建档日期:@\r\n备注:框里的\r\n\r\n确定删除吗?"));
    EXPECT_EQ(Records().size(), 1u);
    Click("按钮删除");
    EXPECT_EQ(Messages().back(), Gbk("删除成功"));
    EXPECT_EQ(user_->RowCount(kWindow, kList), 0);
    EXPECT_EQ(Shown("编辑框客户姓名"), "");
  });
  EXPECT_EQ(Records(), std::vector<Customer>{});
}

TEST_F(CustomerTest, CustomersLeftMarkedByAnInterruptedDeleteSurviveTheNextDelete) {
  Run([&] {
    Seed({kZhao, kAcme, kHuawei});
    {
      // An earlier run was killed between a delete's mark and its purge,
      // once on 赵四 and once on 王五.
      TestStore store;
      Ok(store.OpenTable(TableFile().string(), "mark"));
      Ok(store.DeleteRecord());
      Ok(store.GoToRecord(2));
      Ok(store.DeleteRecord());
    }
    Click("按钮刷新客户");
    EXPECT_EQ(Column(1), (Texts{"赵四", "王五", "华为"}));
    // The user keeps working with 赵四, then deletes 华为.
    Ok(user_->PressListCell(kWindow, kList, 0, 1));
    Type("编辑框客户电话", "119");
    Click("按钮修改");
    EXPECT_EQ(Messages().back(), Gbk("修改成功"));
    Ok(user_->PressListCell(kWindow, kList, 2, 1));
    Click("按钮删除");
    EXPECT_EQ(Messages().back(), Gbk("删除成功"));
    EXPECT_EQ(Column(1), (Texts{"赵四", "王五"}));
  });
  const std::vector<Customer> stored = Records();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].phone, "119");
  EXPECT_EQ(stored[1], kAcme);
}

TEST_F(CustomerTest, ModifyRewritesTheFirstRecordOfTheNameWithTheTimeOfTheChange) {
  Run([&] {
    Seed({kHuawei, {"华为", "hw", "公司", "其它", "9", 0, 0, "", "旧"}});
    Ok(user_->PressListCell(kWindow, kList, 1, 1));
    Type("编辑框客户拼音码", "h");
    Click("按钮修改");
    EXPECT_EQ(Messages().back(), Gbk("修改成功"));
  });
  const std::vector<Customer> stored = Records();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].unit, "其它");
  EXPECT_EQ(stored[0].pinyin, "h");
  EXPECT_TRUE(std::regex_match(stored[0].date, kDate)) << stored[0].date;
  EXPECT_EQ(stored[1].date, "旧");
}

TEST_F(CustomerTest, QueryListsOneCustomerByNameOrEveryoneByCategoryUnitOrRemark) {
  Run([&] {
    Click("按钮客户查询");
    EXPECT_EQ(Messages(), Gbks({"无记录"}));
    Seed({kZhao, kHuawei, kAcme, kNoPhone});
    Click("按钮客户查询");  // an empty query lists nothing
    EXPECT_EQ(user_->RowCount(kWindow, kList), 0);

    Type(kQuery, "公司");
    Click("按钮客户查询");
    EXPECT_EQ(Column(0), (Texts{"1", "2"}));
    EXPECT_EQ(Column(1), (Texts{"华为", "王五"}));
    EXPECT_EQ(Shown(kQuery), "公司");  // kept after a scan

    Type(kQuery, "华为");
    Click("按钮客户查询");
    EXPECT_EQ(Column(0), Texts{"1"});
    EXPECT_EQ(Column(1), Texts{"华为"});
    EXPECT_EQ(Column(6), Texts{"5"});

    Type(kQuery, "ww");
    Click("按钮客户查询");
    EXPECT_EQ(Column(1), Texts{"王五"});

    // Spaces are trimmed to the empty text: the customer without a phone.
    Type(kQuery, "   ");
    Click("按钮客户查询");
    EXPECT_EQ(Column(1), Texts{"李六"});
    EXPECT_EQ(Shown(kQuery), "   ");
    Ok(user_->LeaveControl(kWindow, kQuery));
    EXPECT_EQ(Shown(kQuery), "");

    Type(kQuery, " 个人 ");
    Ok(user_->LeaveControl(kWindow, kQuery));
    EXPECT_EQ(Shown(kQuery), "个人");
    Click("按钮客户查询");
    EXPECT_EQ(Column(1), (Texts{"赵四", "李六"}));
    Type(kQuery, "无此值");
    Click("按钮客户查询");
    EXPECT_EQ(user_->RowCount(kWindow, kList), 0);
    EXPECT_EQ(Messages(), Texts{});
  });
}

TEST_F(CustomerTest, EnterInTheQueryBoxRunsTheQuery) {
  Run([&] {
    Seed({kZhao, kHuawei, kAcme, kNoPhone});
    Type(kQuery, "公司");
    Ok(user_->PressEnter(kWindow, kQuery));
    user_->ProcessEvents();
    EXPECT_EQ(Column(1), (Texts{"华为", "王五"}));
    Type(kQuery, "ww");
    Ok(user_->PressEnter(kWindow, kQuery));
    user_->ProcessEvents();
    EXPECT_EQ(Column(1), Texts{"王五"});
    EXPECT_EQ(Messages(), Texts{});
  });
}

TEST_F(CustomerTest, SpacesMatchEmptyCategoryUnitOrRemarkWhenEveryoneHasAPhone) {
  Run([&] {
    Seed({kHuawei, kZhao, kAcme});
    Type(kQuery, " ");
    Click("按钮客户查询");
    EXPECT_EQ(Column(0), (Texts{"1", "2"}));
    EXPECT_EQ(Column(1), (Texts{"赵四", "王五"}));
  });
}

TEST_F(CustomerTest, RefreshListsEveryRecordAndClearsTheInputsButNotTheQuery) {
  Run([&] {
    Seed({kZhao, kHuawei});
    EXPECT_EQ(Column(0), (Texts{"1", "2"}));
    EXPECT_EQ(Column(9), (Texts{kZhao.date, kHuawei.date}));
    Type(kQuery, "华为");
    Click("按钮客户查询");
    Ok(user_->PressListCell(kWindow, kList, 0, 1));
    EXPECT_EQ(Shown("编辑框客户建档日期"), kHuawei.date);
    EXPECT_EQ(user_->CurrentIndex(kWindow, "组合框客户类别"), kCompany);
    Click("按钮刷新客户");
    EXPECT_EQ(Column(1), (Texts{"赵四", "华为"}));
    for (const char* box :
         {"编辑框客户姓名", "编辑框客户拼音码", "编辑框客户单位", "编辑框客户电话",
          "编辑框客户应收", "编辑框客户应付", "编辑框客户建档日期", "编辑框客户备注"}) {
      EXPECT_EQ(Shown(box), "") << box;
    }
    EXPECT_EQ(user_->CurrentIndex(kWindow, "组合框客户类别"), -1);
    EXPECT_EQ(Shown(kQuery), "华为");
    EXPECT_EQ(Messages(), Texts{});
  });
}

TEST_F(CustomerTest, ExportNamesTheFileAfterTheRegisterAndSkipsAnEmptyList) {
  fs::path written;
  Run([&] {
    Click("按钮配置导出");
    EXPECT_EQ(Messages(), Texts{});
    Seed({kZhao, kHuawei});
    Type(kQuery, "公司");
    Click("按钮客户查询");
    Click("按钮配置导出");
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[1], Gbk("导出成功！"));
    const std::string path = Utf8(said[0]);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(path, m,
                                  std::regex("/(\\d{4}年\\d{1,2}月\\d{1,2}日)/(客户信息_\\1"
                                             "\\d{1,2}点\\d{1,2}分\\.xls)$")))
        << path;
    written = folder_ / m[1].str() / m[2].str();
    EXPECT_TRUE(responder_.file_dialogs().empty());
  });
  std::error_code ec;
  std::string html(static_cast<size_t>(fs::file_size(written, ec)), '\0');
  std::ifstream(written, std::ios::binary)
      .read(html.data(), static_cast<std::streamsize>(html.size()));
  EXPECT_NE(html.find(Gbk("    <td>华为</td>")), std::string::npos) << written;
  EXPECT_EQ(html.find(Gbk("    <td>赵四</td>")), std::string::npos);
  if (!written.empty()) fs::remove_all(written.parent_path(), ec);
}

TEST_F(CustomerTest, SaveAsWorkbookKeepsReceivablesAsNumbersAndThePhoneAsText) {
  if (!pcshop::testing::HasTool("unzip")) GTEST_SKIP() << "unzip missing";
  const fs::path xlsx = folder_ / "customers.xlsx";
  Run([&] {
    Seed({{"赵四", "zs", "个人", "", "05718888", 1200, 30, "", ""}});
    responder_.QueueFileDialogAnswer(xlsx.string());
    Click("按钮另存为");
    EXPECT_EQ(Messages(), Texts{Gbk("导出成功！")});
  });
  const std::string sheet = pcshop::testing::SheetXml(xlsx);
  EXPECT_TRUE(pcshop::testing::IsNumberCell(sheet, "G2", "1200")) << sheet;  // 应收
  EXPECT_TRUE(pcshop::testing::IsNumberCell(sheet, "H2", "30")) << sheet;    // 应付
  const std::string phone = pcshop::testing::CellXml(sheet, "F2");
  EXPECT_NE(phone.find("05718888"), std::string::npos) << phone;
  EXPECT_NE(phone.find(" t=\""), std::string::npos) << phone;
  fs::remove(xlsx);
}

}  // namespace
}  // namespace pcshop::app::testing
