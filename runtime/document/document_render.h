#pragma once
// The document on paper and in files. A document without charts is one
// page: taller than the page, it is scaled down to fit, never split (a
// quote is one sheet). A document with charts (a report) flows over as many
// pages as it needs, each chart whole on one page, drawn as vector shapes. The PDF is A4
// portrait; the picture is a page as wide as a phone screen, as tall as its
// content. Files are written whole or not at all (runtime/files/whole_file.h).

#include <QImage>
#include <QRectF>
#include <filesystem>
#include <string>

#include "runtime/document/document.h"
#include "base/status.h"

class QPainter;
class QPagedPaintDevice;

namespace pcshop::document {

// A4 margins on paper and in the PDF.
inline constexpr qreal kPageMarginMillimetres = 15;
// The picture's default width in pixels, a phone screen's.
inline constexpr int kPictureWidth = 1080;
inline constexpr int kMinPictureWidth = 320;
inline constexpr int kMaxPictureWidth = 4096;

// Lays the document out for `device` at the width of `area` (device pixels)
// and paints it there with `painter`: scaled down when taller than `area`,
// or, when it holds charts, page after page of `area`'s size.
[[nodiscard]] Status PaintDocument(const Document& doc, QPainter& painter,
                                   QPagedPaintDevice* device, const QRectF& area);

[[nodiscard]] Result<std::string> PdfBytes(const Document& doc);
[[nodiscard]] Result<QImage> Picture(const Document& doc, int width = kPictureWidth);

[[nodiscard]] Status WritePdf(const Document& doc, const std::filesystem::path& path);
[[nodiscard]] Status WritePicture(const Document& doc, const std::filesystem::path& path,
                                  int width = kPictureWidth);

}  // namespace pcshop::document
