#pragma once
// The quote as the customer takes it home: the title 电脑配置报价单, the
// configuration's name, the date and the remark, the filled quote rows only
// (numbered anew from 1), a 合计 row with the pieces and the amount, and a
// footer line for the shop. The print preview, the PDF, the picture and the
// workbook files all show this content.

#include "app/export/sheet_content.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// A quote row counts as filled when its 品牌 or 型号 cell holds text.
SheetContent QuoteContent(calls::Calls& rt);

}  // namespace pcshop::app
