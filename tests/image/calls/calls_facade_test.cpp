// The facade over a recording entry-point table: what the runtime receives
// for each kind of call, and the faults compiled code reports itself.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/calls/calls.h"
#include "image/link_table.h"

namespace pcshop::calls {
namespace {

using image::EntryIndex;
using image::EntryPoint;

// What the recording entry points saw. Entry points are plain functions, so
// the record is one object for the test binary, reset by each test.
struct Record {
  uint32_t command = 0;
  uint32_t library = 0;
  std::vector<ValueTriple> arguments;
  ValueTriple answer;  // what the next counted call returns
  std::vector<int32_t> fault;  // kind, routine, position
  std::vector<void*> freed;
  uint32_t dll_words_taken = 0;
  uint32_t dll_index = 0;
};
Record g_record;

void RecordCall(uint32_t command, ValueTriple* result, uint32_t count, const ValueTriple* args) {
  g_record.command = command;
  g_record.arguments.assign(args, args + count);
  if (command == static_cast<uint32_t>(image::KernelCommand::kFindRecord)) {
    // Runs the condition as the runtime would: three candidates.
    const auto* ref = args[0].AsPointer<const RoutineReference>();
    bool found = false;
    for (int i = 0; i < 3 && !found; ++i) {
      ValueTriple r;
      RoutineCall call;
      call.frame = ref->frame;
      call.result = &r;
      ref->routine(call);
      found = r.is(TypeCode::kLogical) && r.low != 0;
    }
    *result = Logical(found);
    return;
  }
  *result = g_record.answer;
}
void RecordLibraryCall(uint32_t library, uint32_t command, ValueTriple* result, uint32_t count,
                       const ValueTriple* args) {
  g_record.library = library;
  RecordCall(command, result, count, args);
}
void RecordFault(int32_t kind, int32_t routine, int32_t position) {
  g_record.fault = {kind, routine, position};
}
uint64_t RecordDll(uint32_t index, const uintptr_t* words, uint32_t count, uint32_t* taken) {
  g_record.dll_index = index;
  *taken = g_record.dll_words_taken;
  return count == g_record.dll_words_taken ? words[0] + 1 : 0;
}
void RecordFree(void* block) {
  g_record.freed.push_back(block);
  std::free(block);
}
void* Allocate(uint32_t size) { return std::calloc(size, 1); }

// Code data of four ordinary slots and the twelve stubs, each stub slot
// holding the address of its entry.
class CallsFacadeTest : public ::testing::Test {
 protected:
  CallsFacadeTest() : code_((4 + image::kStubOrder.size()) * image::kSlotSize) {
    g_record = Record{};
    table_[EntryIndex(EntryPoint::kCallKernelCommand)] =
        reinterpret_cast<uintptr_t>(&RecordCall);
    table_[EntryIndex(EntryPoint::kCallLibraryCommand)] =
        reinterpret_cast<uintptr_t>(&RecordLibraryCall);
    table_[EntryIndex(EntryPoint::kReportRuntimeError)] =
        reinterpret_cast<uintptr_t>(&RecordFault);
    table_[EntryIndex(EntryPoint::kCallDllCommand)] = reinterpret_cast<uintptr_t>(&RecordDll);
    table_[EntryIndex(EntryPoint::kFreeMemory)] = reinterpret_cast<uintptr_t>(&RecordFree);
    table_[EntryIndex(EntryPoint::kAllocateMemory)] = reinterpret_cast<uintptr_t>(&Allocate);
    for (size_t i = 0; i < image::kStubOrder.size(); ++i) {
      const uint64_t entry =
          reinterpret_cast<uintptr_t>(&table_[EntryIndex(image::kStubOrder[i])]);
      std::memcpy(code_.data() + (4 + i) * image::kSlotSize, &entry, 8);
    }
  }

  static char* NewText(const char* text) {
    char* block = static_cast<char*>(std::malloc(std::strlen(text) + 1));
    std::strcpy(block, text);
    return block;
  }

  std::vector<uint8_t> code_;
  EntryTable table_ = {};
};

TEST_F(CallsFacadeTest, OmittedTrailingArgumentsStillCountWithZeroTriples) {
  Calls calls(code_);
  calls.MessageBox("hi", 1);
  EXPECT_EQ(g_record.command, static_cast<uint32_t>(image::KernelCommand::kMessageBox));
  ASSERT_EQ(g_record.arguments.size(), 4u);  // text, buttons, [title], [owner]
  EXPECT_EQ(std::string(g_record.arguments[0].AsPointer<const char>()), "hi");
  EXPECT_EQ(g_record.arguments[1], Int(1));
  EXPECT_EQ(g_record.arguments[2], Omitted());
  EXPECT_EQ(g_record.arguments[3], Omitted());

  calls.OpenTable("a.zdb", "a");
  EXPECT_EQ(g_record.arguments.size(), 7u);
  calls.InsertListRow(Object(1, 2, 0x20004), 0);
  EXPECT_EQ(g_record.library, 1u);
  ASSERT_EQ(g_record.arguments.size(), 7u);
  EXPECT_EQ(g_record.arguments[0], Object(1, 2, 0x20004));
  EXPECT_EQ(g_record.arguments[6], Omitted());
}

TEST_F(CallsFacadeTest, VariadicCommandsReceiveTheValuesGiven) {
  Calls calls(code_);
  const ValueTriple values[] = {Text("x"), Int(3), Omitted()};
  calls.ModifyRecord(values);
  ASSERT_EQ(g_record.arguments.size(), 3u);
  EXPECT_EQ(g_record.arguments[2], Omitted());  // a left-out value stays left out
}

TEST_F(CallsFacadeTest, NullTextArgumentBecomesTheImagesEmptyText) {
  const char image_empty[] = "";
  const uint32_t empty_binary[2] = {1, 0};
  Calls calls(code_, {image_empty, empty_binary});
  calls.TextLength(nullptr);
  EXPECT_EQ(g_record.arguments[0], Text(image_empty));
  calls.BinaryLength(nullptr);
  EXPECT_EQ(g_record.arguments[0], Binary(empty_binary));

  Calls own_empty(code_);  // without the image's: never a null address
  own_empty.SelectTable(nullptr);
  ASSERT_NE(g_record.arguments[0].AsPointer<const char>(), nullptr);
  EXPECT_EQ(*g_record.arguments[0].AsPointer<const char>(), '\0');
}

TEST_F(CallsFacadeTest, ReturnedTextIsFreedOnceByItsOwner) {
  Calls calls(code_);
  char* block = NewText("abc");
  g_record.answer = Text(block);
  {
    OwnedText left = calls.LeftText("abcdef", 3);
    EXPECT_EQ(left.view(), "abc");
    OwnedText moved = std::move(left);
    EXPECT_EQ(moved.view(), "abc");
    EXPECT_TRUE(g_record.freed.empty());
  }
  EXPECT_EQ(g_record.freed, std::vector<void*>{block});
}

TEST_F(CallsFacadeTest, FieldReadAsTextThatIsAnIntegerRaisesFault5AndGoesOn) {
  Calls calls(code_);
  g_record.answer = Int(42);
  OwnedText text = calls.ReadFieldText("price", {72, 3});
  EXPECT_EQ(g_record.fault, (std::vector<int32_t>{5, 72, 3}));
  EXPECT_EQ(text.view(), "");

  g_record.fault.clear();
  char* block = NewText("x");
  g_record.answer = Text(block);
  EXPECT_EQ(calls.ReadFieldInt("name", {72, 4}), 0);
  EXPECT_EQ(g_record.fault, (std::vector<int32_t>{5, 72, 4}));
  EXPECT_EQ(g_record.freed, std::vector<void*>{block});  // the text read is not leaked

  g_record.fault.clear();
  g_record.answer = Int(9);
  EXPECT_EQ(calls.ReadFieldInt("price", {72, 5}), 9);
  EXPECT_TRUE(g_record.fault.empty());
}

TEST_F(CallsFacadeTest, DllCallTakingOtherWordsThanPassedRaisesFault6) {
  Calls calls(code_);
  g_record.dll_words_taken = 1;
  EXPECT_EQ(calls.Dll(4, {41}, {10, 2}), 42u);
  EXPECT_EQ(g_record.dll_index, 4u);
  EXPECT_TRUE(g_record.fault.empty());

  g_record.dll_words_taken = 2;
  EXPECT_EQ(calls.Dll(4, {41}, {10, 3}), 0u);
  EXPECT_EQ(g_record.fault, (std::vector<int32_t>{6, 10, 3}));
}

TEST_F(CallsFacadeTest, ArrayIndexOutsideTheArrayRaisesFault1) {
  Calls calls(code_);
  // Two dimensions 2 x 3, then six 8-byte elements.
  std::vector<uint64_t> array(1 + 1 + 6);
  const uint32_t header[3] = {2, 2, 3};
  std::memcpy(array.data(), header, sizeof header);
  for (uint64_t i = 0; i < 6; ++i) array[ArrayElementsOffset(2) / 8 + i] = 100 + i;
  EXPECT_EQ(calls.ArrayElement(array.data(), 5, {1, 1}), 105u);
  EXPECT_TRUE(g_record.fault.empty());
  EXPECT_EQ(calls.ArrayElement(array.data(), 6, {1, 2}), 0u);
  EXPECT_EQ(g_record.fault, (std::vector<int32_t>{1, 1, 2}));
  EXPECT_EQ(calls.ArrayElement(nullptr, 0, {1, 3}), 0u);  // a null array is empty
  EXPECT_EQ(g_record.fault, (std::vector<int32_t>{1, 1, 3}));
}

TEST_F(CallsFacadeTest, FindRecordRunsTheConditionAsANestedRoutine) {
  Calls calls(code_);
  int runs = 0;
  EXPECT_TRUE(calls.FindRecord([&] { return ++runs == 2; }));
  EXPECT_EQ(runs, 2);
  ASSERT_EQ(g_record.arguments.size(), 1u);
  EXPECT_TRUE(g_record.arguments[0].is(TypeCode::kRoutineRef));
  runs = 0;
  EXPECT_FALSE(calls.FindRecord([&] { return ++runs > 5; }));
  EXPECT_EQ(runs, 3);
}

TEST(ValueTripleTest, AddressesAndEightByteValuesFillBothWords) {
  const char* text = "t";
  const ValueTriple t = Text(text);
  EXPECT_EQ(t.wide(), reinterpret_cast<uintptr_t>(text));
  EXPECT_EQ(t.AsPointer<const char>(), text);
  const ValueTriple d = Double(-12.75);
  EXPECT_EQ(d.AsDouble(), -12.75);
  EXPECT_NE(d.high, 0u);
  EXPECT_EQ(Int(-1).high, 0u);  // a 32-bit value leaves the high word 0
}

}  // namespace
}  // namespace pcshop::calls
