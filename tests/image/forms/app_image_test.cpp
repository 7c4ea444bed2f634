// The generated image: seven windows with their captions and geometry, every
// named control with its caption, the quote sheet's design-time content, the
// category lists, and bindings that land on routine slots.
#include <algorithm>
#include <set>

#include "app_image_reader.h"
#include "image/app_symbols.h"
#include "image/event_numbers.h"

namespace pcshop::testing {
namespace {

namespace ev = image::event;

uint32_t WindowId(uint32_t slot) { return static_cast<uint32_t>(AppImage::Get().Slot(slot)); }

struct NamedControl {
  const char* name;
  const char* caption;
  int32_t left = -1, top = -1, width = -1, height = -1;  // -1: laid out freely
};

void ExpectControls(uint32_t window_slot, const std::vector<NamedControl>& expected) {
  const image::WindowForm& w = AppImage::Get().Window(WindowId(window_slot));
  for (const NamedControl& e : expected) {
    const image::ControlForm* c = FindControl(w, e.name);
    ASSERT_NE(c, nullptr) << e.name;
    EXPECT_EQ(c->caption, Gbk(e.caption)) << e.name;
    if (e.left >= 0) {
      EXPECT_EQ(c->left, e.left) << e.name;
      EXPECT_EQ(c->top, e.top) << e.name;
      EXPECT_EQ(c->width, e.width) << e.name;
      EXPECT_EQ(c->height, e.height) << e.name;
    }
  }
}

const std::vector<NamedControl> kPanel = {
    {"组合框品名", "", 72, 51, 232, 37},   {"组合框品牌", "", 72, 108, 232, 37},
    {"组合框型号", "", 72, 166, 232, 37},  {"编辑框价格", "", 72, 225, 232, 40},
    {"编辑框备注", "", 72, 286, 232, 40},  {"透明标签1", "品名", 8, 51, 56, 40},
    {"透明标签2", "品牌", 8, 108, 56, 40}, {"透明标签4", "型号", 8, 166, 56, 40},
    {"透明标签8", "价格", 8, 225, 56, 40}, {"透明标签6", "备注", 8, 286, 56, 40},
    {"按钮新增", "新增", 81, 351, 70, 38}, {"按钮修改", "修改", 151, 351, 70, 38},
    {"按钮删除", "删除", 221, 351, 70, 38},
};

const std::vector<std::string> kCategories = {"CPU",  "散热器", "主板", "内存", "机械盘",
                                              "固态盘", "显卡", "显示器", "机箱", "电源",
                                              "键盘", "鼠标", "音箱", "其它"};

TEST(AppImageTest, HasElevenWindowsWithTheirCaptionsAndSize) {
  const image::ImageView& view = AppImage::Get().view();
  ASSERT_EQ(view.windows.size(), 11u);
  const std::vector<std::pair<uint32_t, const char*>> windows = {
      {sym::window::kQuote, "配置单"},     {sym::window::kCustomer, "客户管理"},
      {sym::window::kStockIn, "进销存"},   {sym::window::kProduct, "商品管理"},
      {sym::window::kStockOut, "数据库"}, {sym::window::kAccounts, "往来账"},
      {sym::window::kAging, "欠款账龄"},   {sym::window::kReports, "报表"},
      {sym::window::kImport, "导入价格表"}};
  std::set<uint32_t> ids;
  for (const auto& [slot, caption] : windows) {
    const image::WindowForm& w = AppImage::Get().Window(WindowId(slot));
    ids.insert(w.id);
    EXPECT_EQ(w.window.type, image::type_id::kWindow);
    EXPECT_EQ(w.window.caption, Gbk(caption));
    EXPECT_EQ(w.window.width, 1440) << caption;
    EXPECT_EQ(w.window.height, 800) << caption;
  }
  EXPECT_EQ(ids.size(), 9u);
  const image::WindowForm& quote = AppImage::Get().Window(WindowId(sym::window::kQuote));
  EXPECT_EQ(quote.window.left, 50);
  EXPECT_EQ(quote.window.top, 50);
  // 店铺信息 and 数据维护 are small dialogs over the quote window, with window
  // ids of their own.
  for (const auto& [slot, caption] : std::vector<std::pair<uint32_t, const char*>>{
           {sym::window::kShop, "店铺信息"}, {sym::window::kBackup, "数据维护"}}) {
    const image::WindowForm& dialog = AppImage::Get().Window(WindowId(slot));
    EXPECT_FALSE(ids.contains(dialog.id)) << caption;
    EXPECT_EQ(dialog.window.caption, Gbk(caption));
    EXPECT_LE(dialog.window.left + dialog.window.width, quote.window.left + 1440) << caption;
    EXPECT_LE(dialog.window.top + dialog.window.height, quote.window.top + 800) << caption;
  }
}

TEST(AppImageTest, ShopWindowBoxesAreLimitedToTheirFieldsWidths) {
  const image::WindowForm& w = AppImage::Get().Window(WindowId(sym::window::kShop));
  for (const auto& [name, limit] : std::vector<std::pair<const char*, int32_t>>{
           {"编辑框店名", 40}, {"编辑框地址", 80}, {"编辑框电话", 30}}) {
    const image::ControlForm* box = FindControl(w, name);
    ASSERT_NE(box, nullptr) << name;
    EXPECT_EQ(box->input_limit, limit) << name;
  }
  ExpectControls(sym::window::kShop, {{"按钮保存", "保存"}, {"按钮返回", "返回"}});
}

TEST(AppImageTest, QuoteWindowHasEveryNamedControlAtItsPlace) {
  std::vector<NamedControl> expected = {
      {"超级列表框配置信息", "", 377, 135, 1024, 568},
      {"组合框1", "", 576, 166, 129, 37},
      {"透明标签10", "配置名", 396, 45, 60, 40},
      {"组合框标准配置名", "", 465, 49, 200, 20},
      {"透明标签11", "生成日期", 686, 43, 85, 40},
      {"编辑框标准生成日期", "", 778, 47, 234, 32},
      {"透明标签3", "备  注", 395, 90, 64, 40},
      {"编辑框配置备注", "", 466, 94, 545, 32},
      {"按钮配置保存", "保存", 1102, 73, 70, 40},
      {"按钮配置导出", "导出", 1174, 74, 70, 40},
      {"按钮配置删除", "删除", 1245, 74, 70, 40},
      {"按钮退出", "退出", 1315, 74, 70, 40},
      {"通用对话框1", ""},
      {"分组框1", "商品新增", 35, 135, 320, 419},
      {"按钮客户管理", "客户管理", 70, 581, 120, 48},
      {"按钮商品管理", "商品管理", 70, 636, 120, 48},
      {"按钮入库管理", "入库管理", 197, 581, 120, 48},
      {"按钮出库管理", "出库管理", 197, 636, 120, 48},
      {"按钮往来账", "往来账", 70, 691, 120, 48},
      {"按钮店铺信息", "店铺信息", 197, 691, 120, 48},
  };
  expected.insert(expected.end(), kPanel.begin(), kPanel.end());
  ExpectControls(sym::window::kQuote, expected);

  const image::WindowForm& w = AppImage::Get().Window(WindowId(sym::window::kQuote));
  const image::ControlForm* editor = FindControl(w, "组合框1");
  ASSERT_NE(editor, nullptr);
  EXPECT_FALSE(editor->visible);
  EXPECT_EQ(editor->font_name, Gbk("宋体"));
  EXPECT_FALSE(FindControl(w, "通用对话框1")->visible);
}

TEST(AppImageTest, ProductWindowHasEveryNamedControlAtItsPlace) {
  std::vector<NamedControl> expected = {
      {"透明标签5", "商品信息管理1.0", 32, 46, 326, 80},
      {"透明标签10", "选择查询类型", 389, 85, 158, 40},
      {"组合框商品查询类别", "", 547, 87, 200, 20},
      {"按钮配置导出", "导出", 761, 82, 70, 40},
      {"按钮全部商品", "全部商品", 1154, 82, 152, 40},
      {"按钮退出", "退出", 1315, 82, 70, 40},
      {"按钮返回", "返回", 1312, 16, 80, 32},
      {"超级列表框商品信息", "", 377, 134, 1024, 568},
      {"分组框1", "商品设置", 35, 134, 320, 419},
      {"按钮客户管理", "客户管理", 70, 580, 120, 48},
      {"按钮入库管理", "入库管理", 197, 580, 120, 48},
      {"按钮配置管理", "配置单", 70, 635, 120, 48},
      {"按钮出库管理", "出库管理", 197, 635, 120, 48},
      {"通用对话框1", ""},
  };
  expected.insert(expected.end(), kPanel.begin(), kPanel.end());
  ExpectControls(sym::window::kProduct, expected);

  const image::WindowForm& w = AppImage::Get().Window(WindowId(sym::window::kProduct));
  const image::ControlForm* query = FindControl(w, "组合框商品查询类别");
  EXPECT_EQ(query->style & image::style::kComboListOnly, image::style::kComboListOnly);
  const image::ControlForm* list = FindControl(w, "超级列表框商品信息");
  ASSERT_EQ(list->columns.size(), 7u);
  const char* titles[] = {"序号", "品名", "品牌", "型号", "价格", "备注", "库存"};
  for (size_t i = 0; i < 7; ++i) EXPECT_EQ(list->columns[i].title, Gbk(titles[i]));
}

TEST(AppImageTest, PanelInputsLieInsideTheirGroupBox) {
  for (uint32_t slot : {sym::window::kQuote, sym::window::kProduct}) {
    const image::WindowForm& w = AppImage::Get().Window(WindowId(slot));
    const auto group = std::find_if(w.controls.begin(), w.controls.end(), [](const auto& c) {
      return c.name == Gbk("分组框1");
    });
    ASSERT_NE(group, w.controls.end());
    const auto group_index = static_cast<int32_t>(group - w.controls.begin());
    for (const NamedControl& p : kPanel) {
      EXPECT_EQ(FindControl(w, p.name)->parent, group_index) << p.name;
    }
  }
}

TEST(AppImageTest, CustomerWindowHasItsControlsLimitsAndColumns) {
  ExpectControls(sym::window::kCustomer,
                 {{"分组框1", "客户管理"}, {"透明标签5", "客户信息管理1.0"},
                  {"编辑框客户姓名", ""}, {"编辑框客户拼音码", ""}, {"组合框客户类别", ""},
                  {"编辑框客户单位", ""}, {"编辑框客户电话", ""}, {"编辑框客户应收", ""},
                  {"编辑框客户应付", ""}, {"编辑框客户建档日期", ""}, {"编辑框客户备注", ""},
                  {"编辑框查询内容", ""}, {"按钮新增", "新增"}, {"按钮修改", "修改"},
                  {"按钮删除", "删除"}, {"按钮客户查询", "查询"}, {"按钮刷新客户", "刷新"},
                  {"按钮配置导出", "导出"}, {"超级列表框客户信息", ""}, {"通用对话框1", ""},
                  {"按钮配置单", "配置单"}, {"按钮入库管理", "入库管理"},
                  {"按钮商品管理", "商品管理"}, {"按钮出库管理", "出库管理"},
                  {"按钮返回", "返回"}, {"按钮退出", "退出"}});
  const image::WindowForm& w = AppImage::Get().Window(WindowId(sym::window::kCustomer));
  const std::vector<std::pair<const char*, int32_t>> limits = {
      {"编辑框客户姓名", 8}, {"编辑框客户拼音码", 2}, {"编辑框客户单位", 40},
      {"编辑框客户电话", 11}, {"编辑框客户应收", 6}, {"编辑框客户应付", 6},
      {"编辑框客户建档日期", 40}, {"编辑框客户备注", 40}, {"编辑框查询内容", 0}};
  for (const auto& [name, limit] : limits) EXPECT_EQ(FindControl(w, name)->input_limit, limit) << name;
  EXPECT_EQ(FindControl(w, "组合框客户类别")->items,
            (std::vector<std::string>{Gbk("个人"), Gbk("公司")}));

  const image::ControlForm* list = FindControl(w, "超级列表框客户信息");
  const std::vector<std::pair<const char*, int32_t>> columns = {
      {"序号", 65},  {"姓名", 120}, {"拼音码", 90}, {"类别", 65},   {"单位", 200},
      {"电话", 160}, {"应收", 80},  {"应付", 80},   {"备注", 320}, {"建档日期", 300}};
  ASSERT_EQ(list->columns.size(), columns.size());
  for (size_t i = 0; i < columns.size(); ++i) {
    EXPECT_EQ(list->columns[i].title, Gbk(columns[i].first));
    EXPECT_EQ(list->columns[i].width, columns[i].second);
  }
}

TEST(AppImageTest, StockWindowsShareOneLayoutWithTheirOwnTitles) {
  const std::vector<NamedControl> common = {
      {"组合框品名", ""},         {"组合框品牌", ""},           {"组合框型号", ""},
      {"编辑框数量", ""},         {"编辑框价格", ""},           {"编辑框金额", ""},
      {"编辑框日期", ""},         {"编辑框备注", ""},           {"按钮新增", "新增"},
      {"按钮修改", "修改"},       {"按钮删除", "删除"},         {"超级列表框商品信息", ""},
      {"组合框商品查询类别", ""}, {"按钮配置导出", "导出"},     {"按钮全部商品", "全部商品"},
      {"通用对话框1", ""},        {"按钮客户管理", "客户管理"}, {"按钮商品管理", "商品管理"},
      {"按钮配置管理", "配置单"}, {"按钮退出", "退出"},         {"按钮返回", "返回"},
      {"组合框往来", ""},         {"编辑框实付", ""},           {"按钮新客户", "新客户"}};
  std::vector<NamedControl> in = common;
  in.insert(in.end(), {{"透明标签5", "商品入库管理1.0"},
                       {"分组框1", "入库管理"},
                       {"按钮出库管理", "出库管理"},
                       {"透明标签往来", "供应商"},
                       {"透明标签实付", "实付"}});
  std::vector<NamedControl> out = common;
  out.insert(out.end(), {{"透明标签5", "商品出库管理1.0"},
                         {"分组框1", "出库管理"},
                         {"按钮入库管理", "入库管理"},
                         {"透明标签往来", "客户"},
                         {"透明标签实付", "实收"}});
  ExpectControls(sym::window::kStockIn, in);
  ExpectControls(sym::window::kStockOut, out);

  const image::WindowForm& w = AppImage::Get().Window(WindowId(sym::window::kStockOut));
  const image::ControlForm* list = FindControl(w, "超级列表框商品信息");
  const std::vector<std::pair<const char*, int32_t>> columns = {
      {"序号", 65}, {"品名", 120}, {"品牌", 140}, {"型号", 200}, {"数量", 70}, {"价格", 80},
      {"金额", 80}, {"日期", 130}, {"备注", 150}, {"客户", 100}, {"实收", 70}, {"成本", 70}};
  ASSERT_EQ(list->columns.size(), columns.size());
  for (size_t i = 0; i < columns.size(); ++i) {
    EXPECT_EQ(list->columns[i].title, Gbk(columns[i].first));
    EXPECT_EQ(list->columns[i].width, columns[i].second);
  }
  EXPECT_TRUE(list->rows.empty());
}

TEST(AppImageTest, QuoteSheetHasEightColumnsAndNineteenDesignRows) {
  const image::WindowForm& w = AppImage::Get().Window(WindowId(sym::window::kQuote));
  const image::ControlForm* sheet = FindControl(w, "超级列表框配置信息");
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->type, image::type_id::kListView);
  const std::vector<std::tuple<const char*, int32_t, int32_t>> columns = {
      {"序号", 65, 0}, {"品名", 120, 0}, {"品牌", 180, 0}, {"型号", 360, 0},
      {"数量", 80, 1}, {"单价", 80, 1},  {"金额", 120, 1}, {"备注", 280, 0}};
  ASSERT_EQ(sheet->columns.size(), 8u);
  for (size_t i = 0; i < columns.size(); ++i) {
    EXPECT_EQ(sheet->columns[i].title, Gbk(std::get<0>(columns[i])));
    EXPECT_EQ(sheet->columns[i].width, std::get<1>(columns[i]));
    EXPECT_EQ(sheet->columns[i].alignment, std::get<2>(columns[i]));
  }
  const char* rows[] = {"CPU", "散热器", "主板", "内存", "机械盘", "固态盘", "显卡", "显示器",
                        "机箱", "电源", "键盘", "鼠标", "音箱", "其它一", "其它二"};
  ASSERT_EQ(sheet->rows.size(), 19u);
  for (size_t r = 0; r < 19; ++r) {
    const std::vector<std::string>& row = sheet->rows[r];
    for (size_t c = 0; c < row.size(); ++c) {
      if (r < 15 && c == 0) {
        EXPECT_EQ(row[c], std::to_string(r + 1));
      } else if (r < 15 && c == 1) {
        EXPECT_EQ(row[c], Gbk(rows[r]));
      } else {
        EXPECT_EQ(row[c], "") << "row " << r << " column " << c;
      }
    }
    if (r < 15) {
      ASSERT_GE(row.size(), 2u);
    }
  }
}

TEST(AppImageTest, CategoryBoxesListTheFourteenCategoriesInOrder) {
  std::vector<std::string> categories;
  for (const std::string& c : kCategories) categories.push_back(Gbk(c));
  const std::vector<std::pair<uint32_t, const char*>> boxes = {
      {sym::window::kQuote, "组合框品名"},        {sym::window::kProduct, "组合框品名"},
      {sym::window::kProduct, "组合框商品查询类别"}, {sym::window::kStockIn, "组合框品名"},
      {sym::window::kStockIn, "组合框商品查询类别"}, {sym::window::kStockOut, "组合框品名"},
      {sym::window::kStockOut, "组合框商品查询类别"}};
  for (const auto& [slot, name] : boxes) {
    const image::ControlForm* box = FindControl(AppImage::Get().Window(WindowId(slot)), name);
    ASSERT_NE(box, nullptr) << name;
    EXPECT_EQ(box->items, categories) << name;
  }
}

TEST(AppImageTest, EveryBindingLandsOnAnEmptyRoutineSlot) {
  const std::set<uint32_t> routines = {
#define PCSHOP_ROUTINE_SLOT(name) sym::routine::k##name,
      PCSHOP_IMAGE_ROUTINES(PCSHOP_ROUTINE_SLOT)
#undef PCSHOP_ROUTINE_SLOT
  };
  size_t bindings = 0;
  for (const image::WindowForm& w : AppImage::Get().view().windows) {
    std::vector<const image::ControlForm*> records = {&w.window};
    for (const image::ControlForm& c : w.controls) records.push_back(&c);
    for (const image::ControlForm* c : records) {
      for (const image::EventBinding& b : c->bindings) {
        ++bindings;
        EXPECT_TRUE(routines.contains(b.code_offset)) << b.code_offset;
        EXPECT_EQ(AppImage::Get().Slot(b.code_offset), 0u);
      }
    }
  }
  EXPECT_GT(bindings, 60u);
  EXPECT_EQ(AppImage::Get().view().entry_offset,
            AppImage::Get().view().code_section().data_offset + sym::routine::kImageEntry);
}

// The control's id slot holds the id of the record of that name.
const image::ControlForm& Bound(uint32_t window_slot, uint32_t control_slot) {
  const image::WindowForm& w = AppImage::Get().Window(WindowId(window_slot));
  const auto id = static_cast<uint32_t>(AppImage::Get().Slot(control_slot));
  const auto it = std::find_if(w.controls.begin(), w.controls.end(),
                               [&](const auto& c) { return c.id == id; });
  EXPECT_NE(it, w.controls.end()) << id;
  return it == w.controls.end() ? w.window : *it;
}

void ExpectBinding(const image::ControlForm& c, int32_t event, uint32_t routine) {
  const auto it = std::find_if(c.bindings.begin(), c.bindings.end(),
                               [&](const auto& b) { return b.event == event; });
  ASSERT_NE(it, c.bindings.end()) << "event " << event;
  EXPECT_EQ(it->code_offset, routine);
}

TEST(AppImageTest, HandlersAreBoundToTheirControlsAndEvents) {
  namespace q = sym::control::quote;
  namespace r = sym::routine;
  using sym::window::kQuote;
  ExpectBinding(AppImage::Get().Window(WindowId(kQuote)).window, ev::kWindowCreated,
                r::kOnQuoteWindowCreated);
  ExpectBinding(Bound(kQuote, q::按钮配置保存), ev::kButtonClicked, r::kSaveConfig);
  ExpectBinding(Bound(kQuote, q::按钮配置删除), ev::kButtonClicked, r::kDeleteConfig);
  ExpectBinding(Bound(kQuote, q::按钮退出), ev::kButtonClicked, r::kExitQuoteWindow);
  ExpectBinding(Bound(kQuote, q::超级列表框配置信息), ev::kPress, r::kOpenCellEditor);
  ExpectBinding(Bound(kQuote, q::组合框1), ev::kFocusLost, r::kCommitCellEdit);
  ExpectBinding(Bound(kQuote, q::组合框1), ev::kComboEnterPressed, r::kCommitCellEdit);
  ExpectBinding(Bound(kQuote, q::组合框标准配置名), ev::kComboAboutToDropDown,
                r::kFillConfigNames);
  ExpectBinding(Bound(kQuote, q::组合框标准配置名), ev::kComboItemChosen, r::kLoadConfig);
  ExpectBinding(Bound(kQuote, q::组合框标准配置名), ev::kFocusLost, r::kNameBoxLeft);

  namespace p = sym::control::product;
  ExpectBinding(Bound(sym::window::kProduct, p::组合框商品查询类别), ev::kComboItemChosen,
                r::kListCategory);
  ExpectBinding(Bound(sym::window::kProduct, p::按钮全部商品), ev::kButtonClicked,
                r::kListAllProducts);

  namespace c = sym::control::customer;
  using sym::window::kCustomer;
  ExpectBinding(AppImage::Get().Window(WindowId(kCustomer)).window, ev::kWindowCreated,
                r::kOnCustomerWindowCreated);
  ExpectBinding(Bound(kCustomer, c::按钮新增), ev::kButtonClicked, r::kAddCustomer);
  ExpectBinding(Bound(kCustomer, c::编辑框查询内容), ev::kFocusLost, r::kTrimQueryText);
  ExpectBinding(Bound(kCustomer, c::编辑框客户姓名), ev::kEditTextChanged,
                r::kUpdatePinyinCode);
}

TEST(AppImageTest, NavigationButtonsSwitchAsTheTableSays) {
  namespace r = sym::routine;
  namespace q = sym::control::quote;
  namespace cu = sym::control::customer;
  namespace si = sym::control::stock_in;
  namespace pr = sym::control::product;
  namespace so = sym::control::stock_out;
  namespace ac = sym::control::accounts;
  namespace ag = sym::control::aging;
  namespace re = sym::control::reports;
  using namespace sym::window;  // NOLINT: the seven window slots
  const std::vector<std::tuple<uint32_t, uint32_t, uint32_t>> buttons = {
      {kQuote, q::按钮客户管理, r::kQuoteToCustomer},
      {kQuote, q::按钮入库管理, r::kQuoteToStockIn},
      {kQuote, q::按钮商品管理, r::kQuoteToProduct},
      {kQuote, q::按钮出库管理, r::kQuoteToStockOut},
      {kQuote, q::按钮往来账, r::kQuoteToAccounts},
      {kCustomer, cu::按钮配置单, r::kCustomerToQuote},
      {kCustomer, cu::按钮入库管理, r::kCustomerToStockIn},
      {kCustomer, cu::按钮商品管理, r::kCustomerToProduct},
      {kCustomer, cu::按钮出库管理, r::kCustomerToStockOut},
      {kCustomer, cu::按钮返回, r::kCustomerToQuote},
      {kCustomer, cu::按钮退出, r::kExitCustomerWindow},
      {kCustomer, cu::按钮往来账, r::kCustomerToAccounts},
      {kStockIn, si::按钮客户管理, r::kStockInToCustomer},
      {kStockIn, si::按钮商品管理, r::kStockInToProduct},
      {kStockIn, si::按钮配置管理, r::kStockInToQuote},
      {kStockIn, si::按钮出库管理, r::kStockInToStockOut},
      {kStockIn, si::按钮返回, r::kStockInToQuote},
      {kStockIn, si::按钮退出, r::kExitStockInWindow},
      {kProduct, pr::按钮配置管理, r::kProductToQuote},
      {kProduct, pr::按钮入库管理, r::kProductToStockIn},
      {kProduct, pr::按钮客户管理, r::kProductToCustomer},
      {kProduct, pr::按钮出库管理, r::kProductToStockOut},
      {kProduct, pr::按钮返回, r::kProductToQuote},
      {kProduct, pr::按钮退出, r::kExitProductWindow},
      {kStockOut, so::按钮客户管理, r::kStockOutToCustomer},
      {kStockOut, so::按钮入库管理, r::kStockOutToStockIn},
      {kStockOut, so::按钮商品管理, r::kStockOutToProduct},
      {kStockOut, so::按钮返回, r::kStockOutToQuote},
      {kStockOut, so::按钮退出, r::kExitStockOutWindow},
      {kAccounts, ac::按钮客户管理, r::kAccountsToCustomer},
      {kAccounts, ac::按钮商品管理, r::kAccountsToProduct},
      {kAccounts, ac::按钮配置管理, r::kAccountsToQuote},
      {kAccounts, ac::按钮入库管理, r::kAccountsToStockIn},
      {kAccounts, ac::按钮出库管理, r::kAccountsToStockOut},
      {kAccounts, ac::按钮返回, r::kAccountsToQuote},
      {kAccounts, ac::按钮退出, r::kExitAccountsWindow},
      {kAccounts, ac::按钮欠款账龄, r::kAccountsToAging},
      {kCustomer, cu::按钮欠款账龄, r::kCustomerToAging},
      {kAging, ag::按钮返回, r::kAgingToQuote},
      {kAging, ag::按钮配置管理, r::kAgingToQuote},
      {kAging, ag::按钮客户管理, r::kAgingToCustomer},
      {kAging, ag::按钮商品管理, r::kAgingToProduct},
      {kAging, ag::按钮入库管理, r::kAgingToStockIn},
      {kAging, ag::按钮出库管理, r::kAgingToStockOut},
      {kAging, ag::按钮往来账, r::kAgingToAccounts},
      {kAging, ag::按钮退出, r::kExitAgingWindow},
      {kQuote, q::按钮报表, r::kQuoteToReports},
      {kProduct, pr::按钮报表, r::kProductToReports},
      {kAccounts, ac::按钮报表, r::kAccountsToReports},
      {kReports, re::按钮返回, r::kReportsToQuote},
      {kReports, re::按钮商品管理, r::kReportsToProduct},
      {kReports, re::按钮往来账, r::kReportsToAccounts},
      {kReports, re::按钮退出, r::kExitReportsWindow},
  };
  for (const auto& [window, control, routine] : buttons) {
    ExpectBinding(Bound(window, control), ev::kButtonClicked, routine);
  }
  // The stock-out window's 配置单 button leads to the quote window like its namesakes.
  ExpectBinding(Bound(kStockOut, so::按钮配置管理), ev::kButtonClicked, r::kStockOutToQuote);
  ExpectBinding(Bound(kStockIn, si::按钮新增), ev::kButtonClicked, r::kAddMovement);
  ExpectBinding(Bound(kStockOut, so::按钮全部商品), ev::kButtonClicked, r::kListAllMovements);
}

TEST(AppImageTest, VisibleControlsStayInsideTheirWindowOrGroup) {
  for (const image::WindowForm& w : AppImage::Get().view().windows) {
    for (const image::ControlForm& c : w.controls) {
      if (!c.visible) continue;
      const int32_t width = c.parent < 0 ? w.window.width : w.controls[c.parent].width;
      const int32_t height = c.parent < 0 ? w.window.height : w.controls[c.parent].height;
      EXPECT_GE(c.left, 0) << w.id << " " << c.id;
      EXPECT_GE(c.top, 0) << w.id << " " << c.id;
      EXPECT_LE(c.left + c.width, width) << w.id << " " << c.id;
      EXPECT_LE(c.top + c.height, height) << w.id << " " << c.id;
    }
  }
}

}  // namespace
}  // namespace pcshop::testing
