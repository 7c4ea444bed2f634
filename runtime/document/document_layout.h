#pragma once
// The document as Qt lays it out: the title centred and large, the lines
// under it, a place as wide as the text for each chart, the table with a
// bold shaded header row and its totals rows in bold, the footer lines
// small and centred, all in a CJK font. Texts are converted from GBK here;
// a text that is not valid GBK is an error that names it, never shown as
// replacement characters.

#include <QRectF>
#include <QTextDocument>
#include <memory>
#include <vector>

#include "base/status.h"
#include "runtime/document/document.h"

class QPaintDevice;

namespace pcshop::document {

// Ok when every text converts; otherwise the error naming the first that
// does not. Cheaper than a layout, for refusing a document up front.
[[nodiscard]] Status CheckTexts(const Document& doc);

// Laid out for `device` (its resolution sets the font sizes in pixels) and
// a text width of `width` device pixels.
[[nodiscard]] Result<std::unique_ptr<QTextDocument>> LayOutDocument(const Document& doc,
                                                                    QPaintDevice* device,
                                                                    qreal width);

}  // namespace pcshop::document

namespace pcshop::document {

// Where chart `index` of the document goes, in the layout's coordinates.
// The places are empty: the chart is painted there afterwards.
struct ChartPlace {
  size_t index = 0;
  QRectF rect;
};

std::vector<ChartPlace> ChartPlaces(const QTextDocument& text);

// Breaks `text` into pages of `page` (device pixels): between lines and
// table rows, and before a chart that would not fit whole on what is left
// of its page.
void SetPages(QTextDocument& text, const QSizeF& page);

}  // namespace pcshop::document
