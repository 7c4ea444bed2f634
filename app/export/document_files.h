#pragma once
// A sheet content as a document for the user: the print preview, and a
// picture or PDF in the day folder beside the program (named like an
// export: stem_year年month月day日hour点minute分.ext, "_2", "_3", ... when
// taken), or where the window's file dialog says when that folder fails.
// Each tells its outcome in a message box.

#include <string_view>

#include "app/export/sheet_content.h"
#include "image/calls/calls.h"

namespace pcshop::app {

enum class DocumentFileKind { kPicture, kPdf };

// Opens the print preview of `content`; says so when it cannot.
void PreviewContent(calls::Calls& rt, const SheetContent& content);

// Saves `content` as `kind`. `stem` (GBK) is cleaned as an export's name is
// and replaced by `fallback_stem` when nothing of it is left. `dialog` is
// the window's 通用对话框1.
void SaveContentFile(calls::Calls& rt, const calls::ValueTriple& dialog,
                     const SheetContent& content, std::string_view stem,
                     std::string_view fallback_stem, DocumentFileKind kind);

}  // namespace pcshop::app
