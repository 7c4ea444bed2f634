#include "app/export/list_reader.h"

#include <cstring>
#include <span>
#include <string_view>

#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace lv = image::list_view;

// Where a DLL call that took the wrong number of words is reported.
constexpr calls::Site kListReaderSite{33, 0};

uintptr_t Word(const void* address) { return reinterpret_cast<uintptr_t>(address); }

template <typename T>
void Put(std::span<uint8_t> record, size_t offset, T value) {
  std::memcpy(record.data() + offset, &value, sizeof value);
}

int32_t Count(uintptr_t answer) { return static_cast<int32_t>(static_cast<uint32_t>(answer)); }

}  // namespace

ListReader::ListReader(calls::Calls& rt, uintptr_t list) : rt_(rt), list_(list) {
  // The records' addresses as the DLL layer sees them: lstrcpyn with a
  // length of 0 copies nothing and answers its destination.
  column_address_ = Call(sym::dll::kCommand9, {Word(column_.data()), Word(column_.data()), 0});
  item_address_ = Call(sym::dll::kCommand10, {Word(item_.data()), Word(item_.data()), 0});
}

int32_t ListReader::Columns() {
  const uintptr_t header = Call(sym::dll::kCommand6, {list_, lv::kGetHeader, 0, 0});
  return Count(Call(sym::dll::kCommand6, {header, lv::kHeaderGetItemCount, 0, 0}));
}

int32_t ListReader::Rows() {
  return Count(Call(sym::dll::kCommand6, {list_, lv::kGetItemCount, 0, 0}));
}

bool ListReader::Title(int32_t column, std::string& out) {
  int32_t format = lv::column::kFormatLeft;
  return Title(column, out, format);
}

bool ListReader::Title(int32_t column, std::string& out, int32_t& format) {
  column_.fill(0);
  Put<uint32_t>(column_, lv::column::kMask, lv::column::kMaskText | lv::column::kMaskFormat);
  Put<uintptr_t>(column_, lv::column::kText, Word(text_.data()));
  Put<int32_t>(column_, lv::column::kTextMax, static_cast<int32_t>(text_.size()));
  const uintptr_t answer = Call(
      sym::dll::kCommand7, {list_, lv::kGetColumnA, static_cast<uint32_t>(column), column_address_});
  if (answer == 0) return false;
  std::memcpy(&format, column_.data() + lv::column::kFormat, sizeof format);
  return Take(out);
}

bool ListReader::Cell(int32_t row, int32_t column, std::string& out) {
  item_.fill(0);
  Put<uint32_t>(item_, lv::item::kMask, lv::item::kMaskText);
  Put<int32_t>(item_, lv::item::kItem, row);
  Put<int32_t>(item_, lv::item::kSubItem, column);
  Put<uintptr_t>(item_, lv::item::kText, Word(text_.data()));
  Put<int32_t>(item_, lv::item::kTextMax, static_cast<int32_t>(text_.size()));
  const uintptr_t answer = Call(sym::dll::kCommand8, {list_, lv::kGetItemA, 0, item_address_});
  return answer != 0 && Take(out);
}

uintptr_t ListReader::Call(uint32_t command, std::initializer_list<uintptr_t> words) {
  return static_cast<uintptr_t>(rt_.Dll(rt_.Id(command), words, kListReaderSite));
}

bool ListReader::Take(std::string& out) {
  text_.back() = '\0';  // never trust the answer to have terminated it
  out = WholeCharacters(std::string_view(text_.data()));
  return true;
}

}  // namespace pcshop::app
