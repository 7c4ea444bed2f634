#pragma once
// The print preview: the document on an A4 portrait page, from which the
// user prints it or saves it as a PDF. Tests install a responder that is
// handed the prepared dialog instead of running it.

#include <functional>

#include "runtime/document/document.h"
#include "base/status.h"

class QPrintPreviewDialog;
class QWidget;

namespace pcshop::document {

using PreviewResponder = std::function<void(QPrintPreviewDialog& dialog)>;

// Runs the preview over `owner` until the user closes it. A document whose
// texts cannot be shown is refused before any dialog opens.
[[nodiscard]] Status ShowPreview(const Document& doc, QWidget* owner,
                                 const PreviewResponder& responder);

}  // namespace pcshop::document
