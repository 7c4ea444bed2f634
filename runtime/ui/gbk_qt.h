#pragma once
// Texts crossing the widget edge: GBK bytes in the runtime, UTF-16 in Qt.
// Nothing crosses towards the program changed: a character GBK cannot hold
// is an error, never a silent "?".

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "base/status.h"

namespace pcshop::ui {

// Invalid GBK shows as U+FFFD; never fails.
QString FromGbk(std::string_view gbk);
// Exact or an InvalidArgument error naming the first character GBK lacks.
Result<std::string> ToGbk(const QString& text);
// The GBK byte length of `text`, or nothing when GBK cannot hold all of it.
std::optional<size_t> GbkLength(const QString& text);
// The longest start of `text` (which GBK holds) that takes at most
// `max_bytes` GBK bytes, never ending inside a character.
QString GbkPrefix(const QString& text, size_t max_bytes);
// The first character of `text` that GBK cannot hold, as "U+XXXX".
std::optional<QString> FirstNonGbk(const QString& text);
// UTF-8 when the bytes are valid UTF-8 (whether or not GBK holds every
// character), GBK otherwise: how tests and the responder name texts.
QString FromUtf8OrGbk(std::string_view text);
// True when `name` (GBK or UTF-8) names the GBK text `gbk_name`.
bool NameMatches(std::string_view gbk_name, std::string_view name);

}  // namespace pcshop::ui
