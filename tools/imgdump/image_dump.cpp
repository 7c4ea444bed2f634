#include "tools/imgdump/image_dump.h"

#include <cstdio>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <string_view>
#include <vector>

#include "image/image_format.h"
#include "image/image_reader.h"
#include "runtime/text/gbk_codec.h"

namespace pcshop::imgdump {

namespace {

using image::ControlForm;
using image::ImageView;

// GBK as UTF-8; bytes that are not GBK show as \xNN.
std::string Utf8(const std::string& gbk) {
  Result<std::string> utf8 = text::GbkToUtf8(gbk);
  if (utf8.ok()) return *utf8;
  std::string out;
  for (unsigned char c : gbk) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

std::string Hex(uint32_t v) {
  char hex[11];
  std::snprintf(hex, sizeof hex, "0x%X", v);
  return hex;
}

std::string_view KindName(uint32_t type) {
  switch (type) {
    case 0x10001:
      return "window";
    case 0x10005:
      return "edit box";
    case 0x10009:
      return "group box";
    case 0x1000B:
      return "button";
    case 0x1000E:
      return "combo box";
    case 0x1001F:
      return "common dialog";
    case 0x10022:
      return "field-description list";
    case 0x20004:
      return "list view";
    case 0x20005:
      return "transparent label";
    case 0x30001:
      return "spreadsheet application";
    case 0x30002:
      return "spreadsheet workbook";
  }
  return "unknown kind";
}

void DumpRecord(const ControlForm& c, std::ostream& out) {
  out << "    " << std::left << std::setw(9) << c.id << Utf8(c.name) << " (" << KindName(c.type)
      << ' ' << Hex(c.type) << ") at " << c.left << ',' << c.top << ' ' << c.width << 'x'
      << c.height;
  if (!c.caption.empty()) out << " caption \"" << Utf8(c.caption) << '"';
  if (!c.visible) out << " hidden";
  if (!c.enabled) out << " disabled";
  if (c.style != 0) out << " style " << Hex(c.style);
  if (!c.font_name.empty() || c.font_size != 0) {
    out << " font \"" << Utf8(c.font_name) << "\" " << c.font_size;
  }
  if (c.input_limit != 0) out << " limit " << c.input_limit;
  if (c.parent >= 0) out << " in control " << c.parent;
  if (!c.items.empty()) out << " items " << c.items.size();
  if (!c.columns.empty()) out << " columns " << c.columns.size();
  if (!c.rows.empty()) out << " rows " << c.rows.size();
  out << '\n';
  for (const image::EventBinding& b : c.bindings) {
    out << "      event " << b.event << " -> code offset " << b.code_offset << '\n';
  }
}

}  // namespace

void DumpImage(const ImageView& view, std::ostream& out) {
  namespace format = image::format;
  const auto word = [&](uint32_t at) { return format::LoadLE32(view.bytes.data() + at); };
  const auto& code = view.code_section();
  out << "image: " << view.bytes.size() << " bytes\n"
      << "header\n"
      << "  first section header at " << word(format::kChainStartOffset) << '\n'
      << "  words at 40, 48, 52: " << word(format::kWord40Offset) << ", "
      << word(format::kWord48Offset) << ", " << Hex(word(format::kWord52Offset)) << '\n'
      << "  entry offset " << view.entry_offset << " (code offset "
      << view.entry_offset - code.data_offset << ")\n";

  out << "libraries: " << view.libraries.size() << '\n';
  for (size_t i = 0; i < view.libraries.size(); ++i) {
    const image::LibraryRecord& l = view.libraries[i];
    out << "  " << i << ' ' << Utf8(l.name) << ' ' << Utf8(l.major) << '.' << Utf8(l.minor) << ' '
        << Utf8(l.identifier) << " \"" << Utf8(l.description) << "\"\n";
  }
  out << "DLL commands: " << view.dll_commands.size() << '\n';
  for (size_t i = 0; i < view.dll_commands.size(); ++i) {
    out << "  " << i << ' ' << Utf8(view.dll_commands[i].library) << ' '
        << Utf8(view.dll_commands[i].function) << '\n';
  }

  out << "sections:     header   flags     memory     stored    data at\n";
  for (const image::SectionInfo& s : view.sections) {
    out << "  " << std::left << std::setw(9) << s.name << std::right << std::setw(9)
        << s.header_offset << std::setw(8) << Hex(s.flags) << std::setw(11) << s.memory_size
        << std::setw(11) << s.data_size << std::setw(11);
    if (s.data_offset == format::kNotStored) {
      out << "-";
    } else {
      out << s.data_offset;
    }
    out << '\n';
  }

  static constexpr std::string_view kFixupTargets[] = {"entry points", "const", "var", "code"};
  out << "fixups:";
  for (size_t k = 0; k < view.fixups.size(); ++k) {
    out << (k == 0 ? " " : ", ") << "kind " << k << " (" << kFixupTargets[k] << ") "
        << view.fixups[k].size();
  }
  static constexpr std::string_view kGroups[] = {"windows and controls", "DLL commands",
                                                 "libraries", "types"};
  out << "\nid groups:";
  for (size_t g = 0; g < view.id_groups.size(); ++g) {
    out << (g == 0 ? " " : ", ") << g << " (" << kGroups[g] << ") " << view.id_groups[g].size();
  }
  out << '\n';

  for (size_t w = 0; w < view.windows.size(); ++w) {
    const image::WindowForm& window = view.windows[w];
    out << "window " << w + 1 << ": id " << window.id << ", " << window.controls.size()
        << " controls\n";
    DumpRecord(window.window, out);
    for (const ControlForm& c : window.controls) DumpRecord(c, out);
  }
}

int RunImgdump(const std::filesystem::path& file, std::ostream& out, std::ostream& err) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    err << "pcshop_imgdump: cannot open " << file.string() << '\n';
    return 1;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  std::span<uint8_t> image_bytes(bytes);
  Result<std::span<uint8_t>> embedded = image::FindEmbeddedImage(bytes);
  const bool raw = !embedded.ok();
  if (embedded.ok()) {
    image_bytes = *embedded;
    out << "embedded at file offset " << image_bytes.data() - bytes.data() << '\n';
  } else if (embedded.status().code() != Status::Code::kNotFound) {
    err << embedded.status().message() << '\n';
    return 1;
  }
  image::ReadFault fault;
  Result<image::ImageView> view = image::ReadImage(image_bytes, &fault);
  if (!view.ok()) {
    err << view.status().message() << "\n(caught at image offset " << fault.image_offset
        << ", reader line " << fault.reader_line << ")\n";
    if (raw) err << "(the file holds no embedded image marker; it was read as a raw image)\n";
    return 1;
  }
  DumpImage(*view, out);
  return 0;
}

}  // namespace pcshop::imgdump
