#include "kernel_test_image.h"

#include <cstdlib>
#include <cstring>

#include "image/image_reader.h"
#include "image/link_table.h"

namespace pcshop::kernel::testing {

using image::ImageModel;

void SetSlot(ImageModel& model, uint32_t code_offset, uint64_t value) {
  std::memcpy(model.code_data.data() + code_offset, &value, sizeof value);
}

ImageModel SmallModel() {
  ImageModel m;
  m.libraries = {{"morva", "d09f2340818511d396f6aaf844c7e325", "5", "7", "kernel"},
                 {"ctlpk", "a068799b7bcc48b9b24fbcae3ba75e2b", "2", "0", "controls"},
                 {"xlsbridge", "f7fc1ae45c5c4758af03ef19f18a3956", "2", "0", "spreadsheet"}};
  m.dll_commands = {{"kernel32", "GetSystemDirectoryA"}, {"shlwapi.dll", "PathFileExistsA"}};
  // "" at 0, 1.0 at 1, "abc" at 9, the empty binary value at 89.
  m.const_data = std::string(1, '\0') + std::string("\0\0\0\0\0\0\xF0\x3F", 8) +
                 std::string("abc\0", 4);
  m.const_data.resize(89, '\0');
  m.const_data += std::string("\1\0\0\0\0\0\0\0", 8);

  m.code_data.assign(kFirstStubSlot + image::kStubOrder.size() * image::kSlotSize, '\0');
  SetSlot(m, kEmptyTextSlot, 0);
  SetSlot(m, kTextSlot, kTextConst);
  SetSlot(m, kOneSlot, 1);
  SetSlot(m, kVar0Slot, 0);
  SetSlot(m, kVar1Slot, 8);
  SetSlot(m, kExitRefSlot, kExitSlot);
  SetSlot(m, kWindowIdSlot, 1);
  SetSlot(m, kControlIdSlot, 12);
  SetSlot(m, kDllSlot, 1);
  SetSlot(m, kLibrarySlot, 1);
  SetSlot(m, kTypeSlot, 0x1000B);
  for (uint32_t i = 0; i < image::kStubOrder.size(); ++i) {
    SetSlot(m, kFirstStubSlot + 8 * i, static_cast<uint32_t>(image::kStubOrder[i]));
    m.fixups[0].push_back(kFirstStubSlot + 8 * i);
  }
  m.fixups[1] = {kEmptyTextSlot, kTextSlot, kOneSlot};
  m.fixups[2] = {kVar0Slot, kVar1Slot};
  m.fixups[3] = {kExitRefSlot};
  m.id_groups = {std::vector<uint32_t>{kWindowIdSlot, kControlIdSlot}, {kDllSlot},
                 {kLibrarySlot}, {kTypeSlot}};
  m.entry_code_offset = kEntrySlot;

  image::WindowForm w;
  w.id = 1;
  w.window.id = 11;
  w.window.type = 0x10001;
  w.window.name = "w";
  image::ControlForm button;
  button.id = 12;
  button.type = 0x1000B;
  button.name = "b";
  w.controls = {button};
  m.windows = {w};
  return m;
}

std::vector<uint8_t> Write(const ImageModel& model) {
  Result<std::vector<uint8_t>> image = image::WriteImage(model);
  if (!image.ok()) {
    std::fprintf(stderr, "test model does not write: %s\n", image.status().ToString().c_str());
    std::abort();
  }
  return std::move(image).value();
}

ImageBuffer::ImageBuffer(std::span<const uint8_t> image)
    : data_(image.size() + 16), size_(image.size()) {
  offset_ = (16 - reinterpret_cast<uintptr_t>(data_.data()) % 16) % 16;
  std::memcpy(data_.data() + offset_, image.data(), image.size());
  Result<image::ImageView> view = image::ReadImage(bytes());
  if (!view.ok()) {
    std::fprintf(stderr, "test image does not read: %s\n", view.status().ToString().c_str());
    std::abort();
  }
  code_offset_ = view->code_section().data_offset;
}

uint64_t ImageBuffer::CodeSlot(uint32_t code_offset) const {
  uint64_t v = 0;
  std::memcpy(&v, data_.data() + offset_ + code_offset_ + code_offset, sizeof v);
  return v;
}

void ImageBuffer::SetCodeSlot(uint32_t code_offset, uint64_t value) {
  std::memcpy(data_.data() + offset_ + code_offset_ + code_offset, &value, sizeof value);
}

RecordingRuntime::RecordingRuntime() : errors_(std::tmpfile()) {
  RuntimeOptions options;
  options.errors = errors_;
  options.end_process = [this](int32_t code) { exit_codes_.push_back(code); };
  runtime_ = std::make_unique<Runtime>(std::move(options));
}

RecordingRuntime::~RecordingRuntime() {
  runtime_.reset();
  std::fclose(errors_);
}

std::string RecordingRuntime::Errors() const {
  std::fflush(errors_);
  std::string text;
  std::rewind(errors_);
  char buffer[512];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, errors_)) > 0) text.append(buffer, n);
  return text;
}

}  // namespace pcshop::kernel::testing
