// The application's texts and constants as the image holds them: GBK bytes
// exactly as the routines must show or use them.
#include <fstream>
#include <sstream>

#include "app_image_reader.h"
#include "image/app_symbols.h"

namespace pcshop::testing {
namespace {

std::string Bytes(std::initializer_list<unsigned> bytes) {
  std::string out;
  for (unsigned b : bytes) out.push_back(static_cast<char>(b));
  return out;
}

std::string TextAt(uint32_t slot) {
  return AppImage::Get().ConstText(AppImage::Get().Slot(slot));
}

TEST(AppTextsTest, MessagesAreByteExactGbk) {
  // 写入配置失败！ with its full-width exclamation mark.
  EXPECT_EQ(TextAt(sym::text::kConfigWriteFailed),
            Bytes({0xD0, 0xB4, 0xC8, 0xEB, 0xC5, 0xE4, 0xD6, 0xC3, 0xCA, 0xA7, 0xB0, 0xDC,
                   0xA3, 0xA1}));
  // "\r\n\r\n确定吗？": real CR LF pairs, full-width question mark.
  EXPECT_EQ(TextAt(sym::text::kConfirmEnd),
            Bytes({0x0D, 0x0A, 0x0D, 0x0A, 0xC8, 0xB7, 0xB6, 0xA8, 0xC2, 0xF0, 0xA3, 0xBF}));
  EXPECT_EQ(TextAt(sym::text::kDeletedEnd),
            Bytes({0x0D, 0x0A, 0x0D, 0x0A, 0xD2, 0xD1, 0xC9, 0xBE, 0xB3, 0xFD, 0xA3, 0xA1}));
  // 正在修改客户\r\n\r\n原姓名: with an ASCII colon and no space after it.
  EXPECT_EQ(TextAt(sym::text::kModifyingCustomer),
            Bytes({0xD5, 0xFD, 0xD4, 0xDA, 0xD0, 0xDE, 0xB8, 0xC4, 0xBF, 0xCD, 0xBB, 0xA7,
                   0x0D, 0x0A, 0x0D, 0x0A, 0xD4, 0xAD, 0xD0, 0xD5, 0xC3, 0xFB, 0x3A}));
  EXPECT_EQ(TextAt(sym::text::kExportFilter),
            Bytes({0x65, 0x78, 0x63, 0x65, 0x6C, 0xCE, 0xC4, 0xBC, 0xFE, 0x7C, 0x2A, 0x2E,
                   0x78, 0x6C, 0x73}));
}

TEST(AppTextsTest, ConfirmationPiecesKeepTheirSpacesAndMarks) {
  EXPECT_EQ(TextAt(sym::text::kModifyingProduct), Gbk("正在修改 \r\n数据库: "));
  EXPECT_EQ(TextAt(sym::text::kDeletingProduct), Gbk("正在删除 \r\n数据库: "));
  EXPECT_EQ(TextAt(sym::text::kConfirmAddProductEnd), Gbk("\r\n\r\n确定增加吗"));
  EXPECT_EQ(TextAt(sym::text::kConfirmAddCustomerEnd), Gbk("\r\n\r\n确定增加吗?"));
  EXPECT_EQ(TextAt(sym::text::kLinePhoneBare), "\r\n" + Gbk("电话:"));
  EXPECT_EQ(TextAt(sym::text::kConfirmDeleteConfig), Gbk("确定删除配置单: "));
  EXPECT_EQ(TextAt(sym::text::kConfigDeletedEnd), " " + Gbk("已删除") + "!");
  EXPECT_EQ(TextAt(sym::text::kHtmlTableOpen), "<table border=\"1\">");
  EXPECT_EQ(TextAt(sym::text::kHtmlCellOpen), "    <td>");
}

TEST(AppTextsTest, PathsKeepTheirBackslashes) {
  EXPECT_EQ(TextAt(sym::text::kSystemSkinPath), "c:\\windows\\system32\\SkinMV.dll");
  EXPECT_EQ(TextAt(sym::text::kTempSkinPath),
            "C:\\Users\\Administrator\\AppData\\Local\\Temp\\xkw\\SkinMV.dll");
  EXPECT_EQ(TextAt(sym::text::kSkinLibraryFile), "\\SkinMV.dll");
  EXPECT_EQ(TextAt(sym::text::kDataFolderPrefix), "\\DATA\\");
  EXPECT_EQ(TextAt(sym::text::kTablePathConfig), Gbk("\\DATA\\配置.zdb"));
  EXPECT_EQ(TextAt(sym::text::kTablePathOther), Gbk("\\DATA\\其它.zdb"));
  EXPECT_EQ(TextAt(sym::text::kConfigFieldOtherTwoRemark), Gbk("其它二备注"));
}

TEST(AppTextsTest, FixedConstantsLieWhereCompiledCodeExpectsThem) {
  const AppImage& image = AppImage::Get();
  EXPECT_EQ(image.ConstText(0), "");
  EXPECT_EQ(image.Slot(sym::text::kEmpty), 0u);
  EXPECT_EQ(image.Slot(sym::number::kOne), 1u);
  double one = 0;
  std::memcpy(&one, image.ConstBytes(1, 8).data(), 8);
  EXPECT_EQ(one, 1.0);
  EXPECT_EQ(image.Slot(sym::binary::kEmpty), 89u);
  EXPECT_EQ(image.ConstBytes(89, 8), Bytes({1, 0, 0, 0, 0, 0, 0, 0}));

  std::ifstream in(PCSHOP_SKIN_QSS, std::ios::binary);
  std::stringstream skin;
  skin << in.rdbuf();
  const uint64_t at = image.Slot(sym::binary::kSkin);
  const std::string_view header = image.ConstBytes(at, 8);
  uint32_t marker = 0, length = 0;
  std::memcpy(&marker, header.data(), 4);
  std::memcpy(&length, header.data() + 4, 4);
  EXPECT_EQ(marker, 1u);
  ASSERT_EQ(length, skin.str().size());
  EXPECT_EQ(image.ConstBytes(at + 8, length), skin.str());
}

TEST(AppTextsTest, LibrariesAndDllCommandsAreDeclaredAsTheProgramNeedsThem) {
  const image::ImageView& view = AppImage::Get().view();
  ASSERT_EQ(view.libraries.size(), 3u);
  const std::vector<std::tuple<const char*, const char*, const char*>> libraries = {
      {"morva", "5", "7"}, {"ctlpk", "2", "0"}, {"xlsbridge", "2", "0"}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(view.libraries[i].name, std::get<0>(libraries[i]));
    EXPECT_EQ(view.libraries[i].major, std::get<1>(libraries[i]));
    EXPECT_EQ(view.libraries[i].minor, std::get<2>(libraries[i]));
    EXPECT_EQ(view.libraries[i].identifier.size(), 32u);
  }
  ASSERT_EQ(view.dll_commands.size(), 12u);
  EXPECT_EQ(view.dll_commands[0], (image::DllCommand{"kernel32", "GetSystemDirectoryA"}));
  EXPECT_EQ(view.dll_commands[3], (image::DllCommand{"SkinMV.dll", "SkinAttachRes"}));
  EXPECT_EQ(view.dll_commands[7], (image::DllCommand{"user32", "SendMessageA"}));
  EXPECT_EQ(view.dll_commands[8], (image::DllCommand{"user32.dll", "SendMessageA"}));
  EXPECT_EQ(view.dll_commands[10], (image::DllCommand{"kernel32.dll", "lstrcpyn"}));
  EXPECT_EQ(view.dll_commands[11], (image::DllCommand{"shlwapi.dll", "PathRemoveBlanksA"}));
  // Each DLL command's slot carries its own index; the library slots 1 and 2.
  EXPECT_EQ(AppImage::Get().Slot(sym::dll::kCommand0), 0u);
  EXPECT_EQ(AppImage::Get().Slot(sym::dll::kCommand11), 11u);
  EXPECT_EQ(AppImage::Get().Slot(sym::library::kCtlpk), 1u);
  EXPECT_EQ(AppImage::Get().Slot(sym::library::kXlsbridge), 2u);
  EXPECT_EQ(AppImage::Get().Slot(sym::type::kListView), 0x20004u);
  EXPECT_EQ(AppImage::Get().Slot(sym::stub::kCallDllCommand), 4u);
  EXPECT_EQ(AppImage::Get().Slot(sym::routine_ref::kExitRoutine), sym::routine::kExitRoutine);
}

}  // namespace
}  // namespace pcshop::testing
