#include "image_test_model.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/image_reader.h"

namespace pcshop::image::testing {

namespace {

void StoreSlot(std::string& code, uint32_t offset, uint64_t value) {
  for (int i = 0; i < 8; ++i) code[offset + i] = static_cast<char>(value >> (8 * i));
}

ControlForm Control(uint32_t id, uint32_t type, std::string name, int32_t left) {
  ControlForm c;
  c.id = id;
  c.type = type;
  c.name = std::move(name);
  c.left = left;
  c.top = 10;
  c.width = 80;
  c.height = 24;
  return c;
}

std::vector<LibraryRecord> Libraries() {
  return {{"morva", "d09f2340818511d396f6aaf844c7e325", "5", "7", "kernel"},
          {"ctlpk", "a068799b7bcc48b9b24fbcae3ba75e2b", "2", "0", "controls"},
          {"xlsbridge", "f7fc1ae45c5c4758af03ef19f18a3956", "2", "0", "spreadsheet"}};
}

}  // namespace

ImageModel SmallModel() {
  ImageModel m;
  m.libraries = Libraries();
  m.dll_commands = {{"kernel32", "GetSystemDirectoryA"},
                    {"shlwapi.dll", "PathFileExistsA"},
                    {"kernel32", "lstrcpyn"}};
  // Empty text at 0, the double 1.0 at 1, then a GBK text ("保存").
  m.const_data = std::string(1, '\0') + std::string("\0\0\0\0\0\0\xF0\x3F", 8) +
                 "\xB1\xA3\xB4\xE6" + std::string(1, '\0');

  // Slots: 0 ImageEntry, 1 exit routine, 2 handler, 3-4 const, 5 var,
  // 6 routine reference, 7-8 window and control id, 9 DLL command,
  // 10 library, 11 type, 12-23 the stubs.
  std::string code(24 * kSlotSize, '\0');
  StoreSlot(code, 24, 9);
  StoreSlot(code, 32, 1);
  StoreSlot(code, 40, 8);
  StoreSlot(code, 48, kExitRoutineSlot);
  StoreSlot(code, 56, 1);
  StoreSlot(code, 64, 12);
  StoreSlot(code, 72, 2);
  StoreSlot(code, 80, 1);
  StoreSlot(code, 88, 0x1000B);
  for (uint32_t i = 0; i < kStubOrder.size(); ++i) {
    StoreSlot(code, kFirstStubSlot + 8 * i, static_cast<uint32_t>(kStubOrder[i]));
    m.fixups[0].push_back(kFirstStubSlot + 8 * i);
  }
  m.code_data = code;
  m.fixups[1] = {32, 24};  // kind 1 need not be sorted
  m.fixups[2] = {40};
  m.fixups[3] = {48};
  m.id_groups = {std::vector<uint32_t>{56, 64}, {72}, {80}, {88}};
  m.entry_code_offset = kEntrySlot;

  WindowForm quote;
  quote.id = 1;
  quote.window = Control(11, format::kWindowType, "\xC5\xE4\xD6\xC3\xB5\xA5", 0);  // 配置单
  quote.window.width = 1440;
  quote.window.height = 800;
  quote.window.caption = "\xC5\xE4\xD6\xC3\xB5\xA5";
  quote.window.bindings = {{0, kHandlerSlot}};
  ControlForm edit = Control(12, 0x10005, "edit", 5);
  edit.input_limit = 20;
  edit.style = 1;
  edit.bindings = {{-8, kHandlerSlot}};
  ControlForm group = Control(13, 0x10009, "group", 100);
  group.caption = "\xB2\xFA\xC6\xB7";                                  // 产品
  ControlForm button = Control(14, 0x1000B, "\xB0\xB4\xC5\xA5", 110);  // 按钮
  button.parent = 1;
  button.font_name = "\xCB\xCE\xCC\xE5";  // 宋体
  button.font_size = 9;
  button.enabled = false;
  button.bindings = {{0, kHandlerSlot}};
  ControlForm combo = Control(15, 0x1000E, "combo", 200);
  combo.items = {"1", "2", ""};
  combo.bindings = {{0, kHandlerSlot}, {1, kHandlerSlot}, {2, kHandlerSlot}};
  ControlForm list = Control(16, 0x20004, "list", 300);
  list.columns = {{"CPU", 60, 0}, {"\xBC\xDB\xB8\xF1", 40, 1}};  // 价格
  list.rows = {{"a", "1"}, {}, {"", "2"}};
  list.bindings = {{-3, kHandlerSlot}};
  ControlForm label = Control(17, 0x20005, "label", 400);
  label.visible = false;
  ControlForm dialog = Control(18, 0x1001F, "dialog", 500);
  quote.controls = {edit, group, button, combo, list, label, dialog};

  WindowForm stock;
  stock.id = 2;
  stock.window = Control(21, format::kWindowType, "stock", 0);
  ControlForm back = Control(22, 0x1000B, "back", 10);
  back.bindings = {{0, kHandlerSlot}};
  stock.controls = {back};
  m.windows = {quote, stock};
  return m;
}

ImageModel BareModel() {
  ImageModel m;
  m.code_data = std::string(kSlotSize, '\0');
  m.const_data = std::string(1, '\0');
  WindowForm w;
  w.id = 7;
  w.window = Control(70, format::kWindowType, "w", 0);
  m.windows = {w};
  return m;
}

std::vector<uint8_t> Write(const ImageModel& model) {
  Result<std::vector<uint8_t>> image = WriteImage(model);
  if (!image.ok()) {
    std::fprintf(stderr, "test model does not write: %s\n", image.status().message().c_str());
    std::abort();
  }
  return std::move(image).value();
}

ImageFields::ImageFields(std::vector<uint8_t> image) : image_(std::move(image)) {
  Result<ImageView> view = ReadImage(image_);
  if (!view.ok()) {
    std::fprintf(stderr, "test image does not read: %s\n", view.status().message().c_str());
    std::abort();
  }
  view_ = std::move(view).value();
}

uint64_t ImageFields::BlockHeader(uint32_t w) const {
  uint64_t at = SectionData(format::kForm);
  at += 4 + Get32(image_, at);
  for (uint32_t i = 0; i < w; ++i) {
    at += format::kBlockHeaderSize + Get32(image_, at + format::kBlockSizeField);
  }
  return at;
}

uint32_t Get32(const std::vector<uint8_t>& image, uint64_t at) {
  return format::LoadLE32(image.data() + at);
}

void Set32(std::vector<uint8_t>& image, uint64_t at, uint32_t value) {
  format::StoreLE32(image.data() + at, value);
}

}  // namespace pcshop::image::testing
