// The runtime's services driven through the call interface, as application
// routines drive them: the table store, texts, DLL commands, faults.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "image/calls/calls.h"
#include "runtime/files/native_path.h"
#include "kernel_test_image.h"

namespace pcshop::kernel::testing {
namespace {

using calls::FieldRecord;
using calls::Int;
using calls::Text;
using calls::ValueTriple;

void NoOp(const calls::RoutineCall&) {}
void BeginsASnapshot(const calls::RoutineCall& call) {
  (void)calls::Calls(call).ReadSnapshot(true);
}

class RuntimeCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image::ImageModel model = SmallModel();
    SetSlot(model, kEntrySlot, reinterpret_cast<uintptr_t>(&NoOp));
    image_ = std::make_unique<ImageBuffer>(Write(model));
    ASSERT_TRUE(rt_.runtime().Load(image_->bytes()).ok());
    calls_.emplace(rt_.runtime().code());
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kernel_test.XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string TextPath(const char* name) { return *files::ToTextPath(dir_ / name); }

  // A table of name (text) and price (integer), open and current.
  void OpenGoodsTable() {
    const std::string path = TextPath("goods.zdb");
    const FieldRecord fields[] = {{"name", 10, 20}, {"price", 3, 20}};
    ASSERT_TRUE(calls_->CreateTable(path.c_str(), fields));
    ASSERT_TRUE(calls_->OpenTable(path.c_str(), "goods"));
    const ValueTriple cpu[] = {Text("cpu"), Int(1999)};
    const ValueTriple fan[] = {Text("fan"), Int(45)};
    ASSERT_TRUE(calls_->AppendRecord(cpu));
    ASSERT_TRUE(calls_->AppendRecord(fan));
  }

  RecordingRuntime rt_;
  std::unique_ptr<ImageBuffer> image_;
  std::optional<calls::Calls> calls_;
  std::filesystem::path dir_;
};

TEST_F(RuntimeCommandsTest, TableStoreWorksThroughCountedCalls) {
  OpenGoodsTable();
  EXPECT_EQ(calls_->RecordCount(), 2);
  EXPECT_EQ(calls_->CurrentTableName().view(), "goods");
  ASSERT_TRUE(calls_->GoFirst());
  EXPECT_EQ(calls_->ReadFieldText("name", {1, 1}).view(), "cpu");
  EXPECT_EQ(calls_->ReadFieldInt("price", {1, 2}), 1999);

  // A condition that reads fields, as a nested routine of its caller.
  ASSERT_TRUE(calls_->GoFirst());
  EXPECT_TRUE(calls_->FindRecord([&] { return calls_->ReadFieldInt("price", {2, 1}) < 100; }));
  EXPECT_EQ(calls_->ReadFieldText("name", {2, 2}).view(), "fan");

  // Omitted values keep their fields.
  const ValueTriple cheaper[] = {calls::Omitted(), Int(40)};
  ASSERT_TRUE(calls_->ModifyRecord(cheaper));
  EXPECT_EQ(calls_->ReadFieldText("name", {3, 1}).view(), "fan");
  EXPECT_EQ(calls_->ReadFieldInt("price", {3, 2}), 40);
  EXPECT_TRUE(calls_->DeleteRecord());
  EXPECT_TRUE(calls_->PurgeDeleted());
  EXPECT_EQ(calls_->RecordCount(), 1);
  EXPECT_EQ(rt_.Errors(), "");
}

TEST_F(RuntimeCommandsTest, UniqueAppendAndOneStepRemoveWorkThroughCountedCalls) {
  using Outcome = calls::Calls::AppendOutcome;
  OpenGoodsTable();
  const char* const by_name[] = {"name"};
  const ValueTriple cpu_again[] = {Text("cpu"), Int(1)};
  EXPECT_EQ(calls_->AppendUniqueRecord(by_name, cpu_again), Outcome::kSameKeyExists);
  EXPECT_EQ(calls_->RecordCount(), 2);
  const ValueTriple ram[] = {Text("ram")};  // a left-out value is the field's empty value
  EXPECT_EQ(calls_->AppendUniqueRecord(by_name, ram), Outcome::kAppended);
  EXPECT_EQ(calls_->ReadFieldInt("price", {1, 1}), 0);
  const char* const unknown[] = {"colour"};
  EXPECT_EQ(calls_->AppendUniqueRecord(unknown, ram), Outcome::kFailed);
  const ValueTriple too_many[] = {Text("x"), Int(1), Int(2)};
  EXPECT_EQ(calls_->AppendUniqueRecord(by_name, too_many), Outcome::kFailed);
  EXPECT_EQ(calls_->AppendUniqueRecord({}, ram), Outcome::kFailed);

  ASSERT_TRUE(calls_->GoToRecord(2));
  EXPECT_TRUE(calls_->RemoveRecord());
  EXPECT_FALSE(calls_->RemoveRecord());  // on no record now
  EXPECT_EQ(calls_->RecordCount(), 2);
  ASSERT_TRUE(calls_->GoToRecord(2));
  EXPECT_EQ(calls_->ReadFieldText("name", {1, 2}).view(), "ram");
  EXPECT_EQ(rt_.Errors(), "");
}

TEST_F(RuntimeCommandsTest, AReadSnapshotRefusesWritesAndEndsWithTheHandlerThatLeftItOpen) {
  OpenGoodsTable();
  const ValueTriple ram[] = {Text("ram"), Int(300)};
  ASSERT_TRUE(calls_->ReadSnapshot(true));
  EXPECT_FALSE(calls_->AppendRecord(ram));
  EXPECT_EQ(calls_->RecordCount(), 2);
  EXPECT_TRUE(calls_->ReadSnapshot(false));
  EXPECT_TRUE(calls_->AppendRecord(ram));

  image_->SetCodeSlot(kEntrySlot, reinterpret_cast<uintptr_t>(&BeginsASnapshot));
  rt_.runtime().CallEventHandler(kEntrySlot, {});
  EXPECT_EQ(rt_.runtime().tables().snapshot_depth(), 0);
  EXPECT_TRUE(calls_->AppendRecord(ram));
  EXPECT_NE(rt_.Errors().find("left a read snapshot open"), std::string::npos) << rt_.Errors();
}

TEST_F(RuntimeCommandsTest, IntegerFieldReadAsTextReportsFault5AndTheStatementGoesOn) {
  OpenGoodsTable();
  ASSERT_TRUE(calls_->GoFirst());
  const calls::OwnedText price = calls_->ReadFieldText("price", {72, 3});
  EXPECT_EQ(price.view(), "");
  EXPECT_EQ(rt_.Errors(), "runtime error: kind 5 (wrong value type) in routine 72 at position 3\n");
  // The program goes on: the next statement runs normally.
  EXPECT_EQ(calls_->ReadFieldText("name", {72, 4}).view(), "cpu");
}

TEST_F(RuntimeCommandsTest, MissingFieldReadsAsAnUntypedValue) {
  OpenGoodsTable();
  EXPECT_EQ(calls_->ReadField("nothing"), calls::Omitted());
}

TEST_F(RuntimeCommandsTest, TextAndConversionResultsAreOwnedTexts) {
  EXPECT_EQ(calls_->MidText("\xB1\xA3\xB4\xE6xy", 3, 3).view(), "\xB4\xE6x");
  EXPECT_EQ(calls_->LeftText(nullptr, 3).view(), "");
  EXPECT_EQ(calls_->ToText(-12).view(), "-12");
  EXPECT_EQ(calls_->ToText(2.5).view(), "2.5");
  EXPECT_EQ(calls_->TextToInt(" 42abc"), 42);
  EXPECT_EQ(calls_->TextLength(nullptr), 0);
  EXPECT_EQ(calls_->CharCode("\xB1\xA3"), -(0xB1 * 256 + 0xA3));
  EXPECT_EQ(calls_->NormalizeText("  a b ").view(), "a b");
  EXPECT_EQ(calls_->MakeTextBuffer(4).view(), "");
  EXPECT_EQ(calls_->BinaryLength(calls_->ConstBinary(kEmptyTextSlot)), 0);
}

TEST_F(RuntimeCommandsTest, DateTimePartsComeBackFromTheCallInterface) {
  // 2024-05-03 14:07:09 as a day count.
  const double value = 45415 + (14 * 3600 + 7 * 60 + 9) / 86400.0;
  EXPECT_EQ(calls_->GetYear(value), 2024);
  EXPECT_EQ(calls_->GetMonth(value), 5);
  EXPECT_EQ(calls_->GetDay(value), 3);
  EXPECT_EQ(calls_->GetHour(value), 14);
  EXPECT_EQ(calls_->GetMinute(value), 7);
  EXPECT_EQ(calls_->DateToText(value, 2).view(), "2024\xC4\xEA" "5\xD4\xC2" "3\xC8\xD5");
  EXPECT_GT(calls_->Now(), value);
}

TEST_F(RuntimeCommandsTest, TextFileLinesAreWritten) {
  const std::string path = TextPath("out.xls");
  const int32_t file = calls_->OpenTextFile(path.c_str(), 4);
  ASSERT_GT(file, 0);
  EXPECT_TRUE(calls_->SeekFile(file));
  EXPECT_TRUE(calls_->WriteTextLine(file, "<tr>"));
  EXPECT_TRUE(calls_->CloseTextFile(file));
  EXPECT_TRUE(calls_->FileExists(path.c_str()));
  EXPECT_EQ(calls_->OpenTextFile(TextPath("no/such/out.xls").c_str(), 1), 0);
}

TEST_F(RuntimeCommandsTest, PriceListIsReadThroughTheLibraryCommands) {
  using image::SheetInfo;
  // GBK "品牌,价格" and "七彩虹,1299", then 𠀀 (GB18030 only) in row 3.
  const std::string csv = "\xC6\xB7\xC5\xC6,\xBC\xDB\xB8\xF1\r\n\xC6\xDF\xB2\xCA\xBA\xE7,1299\r\n"
                          "\x95\x32\x82\x36,1\r\n";
  const std::filesystem::path native = dir_ / "list.csv";
  { std::ofstream(native, std::ios::binary) << csv; }
  const int32_t file = calls_->OpenSheetFile(TextPath("list.csv").c_str(), 0, 0);
  ASSERT_GT(file, 0);
  EXPECT_EQ(calls_->SheetFileMessage(file).view(), "");
  EXPECT_EQ(calls_->SheetFileInfo(file, SheetInfo::kRows), 3);
  EXPECT_EQ(calls_->SheetFileInfo(file, SheetInfo::kColumns), 2);
  EXPECT_EQ(calls_->SheetFileInfo(file, SheetInfo::kEncoding), 2);
  EXPECT_EQ(calls_->SheetCell(file, 1, 0).view(), "\xC6\xDF\xB2\xCA\xBA\xE7");
  EXPECT_EQ(calls_->SheetCell(file, 1, 9).view(), "");
  EXPECT_EQ(calls_->SheetRowNumber(file, 2), 3);
  EXPECT_EQ(calls_->SheetRowProblem(file, 1).view(), "");
  EXPECT_TRUE(calls_->SheetRowProblem(file, 2).view().starts_with("\xB5\xDA" "3"));  // 第3行
  calls_->CloseSheetFile(file);
  EXPECT_EQ(calls_->SheetFileInfo(file, SheetInfo::kRows), 0);

  { std::ofstream(dir_ / "bad.xlsx", std::ios::binary) << std::string("PK\x03\x04broken", 10); }
  const int32_t bad = calls_->OpenSheetFile(TextPath("bad.xlsx").c_str(), 0, 0);
  ASSERT_GT(bad, 0);
  EXPECT_FALSE(calls_->SheetFileMessage(bad).view().empty());
  EXPECT_EQ(calls_->SheetFileInfo(bad, SheetInfo::kRows), 0);
  calls_->CloseSheetFile(bad);
}

TEST_F(RuntimeCommandsTest, PlatformPathWritesTheNativeSeparatorAndKeepsTrailBytes) {
  // "/tmp\日\x.xls" with 日 in GBK; 0xB1 0x5C is one character whose trail
  // byte is the code of "\".
  EXPECT_EQ(calls_->PlatformPath("/tmp\\\xC8\xD5\\x.xls").view(), "/tmp/\xC8\xD5/x.xls");
  EXPECT_EQ(calls_->PlatformPath("/tmp\\\xB1\x5C.xls").view(), "/tmp/\xB1\x5C.xls");
  const std::string drive(calls_->PlatformPath("c:\\windows\\a.dll").view());
  EXPECT_TRUE(drive.ends_with("/drive_c/windows/a.dll")) << drive;
  EXPECT_EQ(drive.find('\\'), std::string::npos) << drive;
  // No path: nothing to show.
  EXPECT_EQ(calls_->PlatformPath("").view(), "");
  EXPECT_EQ(calls_->PlatformPath("/tmp\\\x81").view(), "");
}

TEST_F(RuntimeCommandsTest, DllCommandWithTheWrongWordCountReportsFault6AndIsNotCalled) {
  const std::string existing = TextPath("");
  // Command 1 is PathFileExistsA, one word.
  EXPECT_EQ(calls_->Dll(1, {reinterpret_cast<uintptr_t>(existing.c_str())}, {5, 1}), 1u);
  EXPECT_EQ(rt_.Errors(), "");
  EXPECT_EQ(calls_->Dll(1, {}, {5, 2}), 0u);
  EXPECT_EQ(rt_.Errors(),
            "runtime error: kind 6 (stack moved by a DLL call) in routine 5 at position 2\n");
}

TEST_F(RuntimeCommandsTest, ControlCommandsOnAWindowThatIsNotOpenAnswerNothing) {
  EXPECT_EQ(calls_->GetListRowCount(calls::Object(1, 12, 0x20004)), 0);
  EXPECT_EQ(calls_->GetComboCount(calls::Object(1, 12, 0x1000E)), 0);
  EXPECT_EQ(calls_->GetControlHandle(calls::Object(1, 12, 0x1000B)), 0u);
  EXPECT_EQ(calls_->GetProperty(1, 12, 1), 0u);
  EXPECT_EQ(rt_.Errors(), "");
}

}  // namespace
}  // namespace pcshop::kernel::testing
