#pragma once
// 打印, 存为图片 and 存为PDF of a window's content, shared by the quote and
// the statement of account: the content as a runtime document in the print
// preview, or as a picture or a PDF in the day folder (the export's naming
// and its dialog fallback).

#include <cstdint>
#include <string_view>

#include "app/export/sheet_content.h"
#include "image/calls/calls.h"

namespace pcshop::app {

enum class DocumentFileKind { kPicture, kPdf };

// Opens the print preview of `content`; says so when it cannot.
void PreviewContent(calls::Calls& rt, const SheetContent& content);

// Writes `content` to the day folder as stem_year年month月day日hour点minute分
// with the kind's extension ("_2", "_3", ... when that file is there): `stem`
// cleaned as the export cleans names, or the text of key `fallback_stem`
// when nothing of it is left. When the day folder fails, `dialog` (the
// window's 通用对话框1) asks where. Tells the outcome.
void SaveContentDocument(calls::Calls& rt, const calls::ValueTriple& dialog,
                         const SheetContent& content, std::string_view stem,
                         uint32_t fallback_stem, DocumentFileKind kind);

}  // namespace pcshop::app
