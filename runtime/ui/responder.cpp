#include "runtime/ui/responder.h"

#include "runtime/text/gbk_codec.h"

namespace pcshop::ui {

int32_t Responder::AnswerMessageBox(const MessageBoxRequest& request) {
  message_boxes_.push_back(request);
  if (message_box_answers_.empty()) return 0;
  const int32_t answer = message_box_answers_.front();
  message_box_answers_.pop_front();
  return answer;
}

std::optional<std::string> Responder::AnswerFileDialog(const FileDialogRequest& request) {
  file_dialogs_.push_back(request);
  if (file_dialog_answers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(file_dialog_answers_.front());
  file_dialog_answers_.pop_front();
  return answer;
}

std::vector<std::string> Responder::MessageTexts() const {
  std::vector<std::string> texts;
  for (const MessageBoxRequest& m : message_boxes_) {
    const Result<std::string> utf8 = text::GbkToUtf8(m.text);
    texts.push_back(utf8.ok() ? *utf8 : m.text);
  }
  return texts;
}

void Responder::Clear() {
  message_box_answers_.clear();
  file_dialog_answers_.clear();
  message_boxes_.clear();
  file_dialogs_.clear();
}

}  // namespace pcshop::ui
