#pragma once
// The documents the application is building, by number, as the call
// interface hands them out (like text files): a number from 1, 0 for none.

#include <cstdint>
#include <map>
#include <string_view>

#include "runtime/document/document.h"
#include "runtime/document/document_preview.h"

namespace pcshop::document {

// A caller that forgets to close its documents cannot pile up more.
inline constexpr size_t kMaxOpenDocuments = 16;

class Documents {
 public:
  // A new empty document; 0 when too many are open.
  int32_t Open(std::string_view title);
  // Null for a number that is not open.
  Document* Find(int32_t number);
  void Close(int32_t number);
  size_t open_count() const { return open_.size(); }

  // What answers the print preview in tests; empty runs the dialog.
  void SetPreviewResponder(PreviewResponder responder) { responder_ = std::move(responder); }
  const PreviewResponder& preview_responder() const { return responder_; }

 private:
  std::map<int32_t, Document> open_;
  int32_t last_ = 0;
  PreviewResponder responder_;
};

}  // namespace pcshop::document
