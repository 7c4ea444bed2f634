#include "runtime/document/documents.h"

namespace pcshop::document {

int32_t Documents::Open(std::string_view title) {
  if (open_.size() >= kMaxOpenDocuments) return 0;
  do {
    last_ = last_ == INT32_MAX ? 1 : last_ + 1;
  } while (open_.count(last_) != 0);
  open_.emplace(last_, Document(title));
  return last_;
}

Document* Documents::Find(int32_t number) {
  auto it = open_.find(number);
  return it == open_.end() ? nullptr : &it->second;
}

void Documents::Close(int32_t number) { open_.erase(number); }

}  // namespace pcshop::document
