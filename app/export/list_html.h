#pragma once
// The pieces of the HTML table an export writes, apart from the list-view
// messages that read the list: the escaping of cell texts and the repair of
// a text a fixed-size buffer cut in the middle of a character.

#include <string>
#include <string_view>

namespace pcshop::app {

// Each title or cell is read into a buffer of this many bytes, terminator
// included.
inline constexpr size_t kListTextBufferSize = 260;

// `gbk` with "&", "<" and ">" written as HTML entities, so that a model such
// as "<B550>" shows as text instead of breaking the table. A byte scan is
// enough: GBK trail bytes start at 0x40, above all three.
std::string EscapeHtml(std::string_view gbk);

// `gbk` without a final lead byte that lost its trail byte to a cut.
std::string_view WholeCharacters(std::string_view gbk);

}  // namespace pcshop::app
