#pragma once
// Reads a report list through the list-view and header messages of the
// DLL-command table (SendMessageA, and lstrcpyn for the records' addresses),
// as the export does. The two records and the text buffer live as long as
// the reader; each message reuses them. Texts are GBK, each read into a
// buffer of kListTextBufferSize bytes.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "app/export/list_html.h"
#include "image/calls/calls.h"
#include "image/list_view_abi.h"

namespace pcshop::app {

class ListReader {
 public:
  // `list` is the list's native handle (GetControlHandle).
  ListReader(calls::Calls& rt, uintptr_t list);

  int32_t Columns();
  int32_t Rows();
  // The column's title; false when the list refuses it.
  bool Title(int32_t column, std::string& out);
  // The title and the alignment (image::list_view::column::kFormatLeft ...).
  bool Title(int32_t column, std::string& out, int32_t& format);
  // The text of cell (row, column); false when the list refuses it.
  bool Cell(int32_t row, int32_t column, std::string& out);

 private:
  uintptr_t Call(uint32_t command, std::initializer_list<uintptr_t> words);
  // The buffer's text; a character cut by the buffer's end is dropped whole
  // rather than kept as half a character.
  bool Take(std::string& out);

  calls::Calls& rt_;
  uintptr_t list_;
  std::array<uint8_t, image::list_view::column::kSize> column_{};
  std::array<uint8_t, image::list_view::item::kSize> item_{};
  std::array<char, kListTextBufferSize> text_{};
  uintptr_t column_address_ = 0;
  uintptr_t item_address_ = 0;
};

}  // namespace pcshop::app
