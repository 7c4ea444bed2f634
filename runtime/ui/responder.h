#pragma once
// What answers the runtime's modal dialogs when no user is there: tests
// install a Responder on the window manager, queue answers and read back
// what was asked. Without queued answers a message box is answered with its
// first button (0) and a file dialog is cancelled.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace pcshop::ui {

struct MessageBoxRequest {
  std::string text;     // GBK, as the program passed it
  std::string caption;  // GBK; "pcshop" when the program gave none
  int32_t style = 0;    // 0 OK, 1 OK and Cancel
};

struct FileDialogRequest {
  bool save = false;
  std::string filter;             // GBK, as the program set it ("excel文件|*.xls")
  std::string default_extension;  // GBK
  std::string start;              // UTF-8, the native path the dialog opens at
  bool folder = false;            // a folder is chosen, not a file
};

class Responder {
 public:
  // Button numbers: 0 OK, 1 Cancel.
  void QueueMessageBoxAnswer(int32_t button) { message_box_answers_.push_back(button); }
  // A GBK or UTF-8 path, or nothing to cancel.
  void QueueFileDialogAnswer(std::optional<std::string> path) {
    file_dialog_answers_.push_back(std::move(path));
  }

  const std::vector<MessageBoxRequest>& message_boxes() const { return message_boxes_; }
  const std::vector<FileDialogRequest>& file_dialogs() const { return file_dialogs_; }
  // The message boxes' texts as UTF-8, in order.
  std::vector<std::string> MessageTexts() const;
  void Clear();

  // --- Called by the window manager.
  int32_t AnswerMessageBox(const MessageBoxRequest& request);
  std::optional<std::string> AnswerFileDialog(const FileDialogRequest& request);

 private:
  std::deque<int32_t> message_box_answers_;
  std::deque<std::optional<std::string>> file_dialog_answers_;
  std::vector<MessageBoxRequest> message_boxes_;
  std::vector<FileDialogRequest> file_dialogs_;
};

}  // namespace pcshop::ui
