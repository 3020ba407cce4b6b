// Stands in for the person in front of the message boxes: for its life every MessageBoxA is
// recorded (caption, text, type) instead of shown, and answered with the next of the queued
// answers, or with the box's default button when none is left.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "host/message_box.h"

namespace qx::test {

struct ShownBox {
  std::string caption;
  std::string text;
  UINT type = 0;
};

class MessageRecorder {
 public:
  explicit MessageRecorder(std::deque<int> answers = {}) : answers_(std::move(answers)) {
    previous_ = SetMessageBoxPresenter([this](const std::string& text, const std::string& caption, UINT type) {
      shown.push_back({caption, text, type});
      if (answers_.empty()) return DefaultButton(type);
      int answer = answers_.front();
      answers_.pop_front();
      return answer;
    });
  }
  ~MessageRecorder() { SetMessageBoxPresenter(std::move(previous_)); }
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  std::vector<ShownBox> shown;

 private:
  std::deque<int> answers_;
  MessageBoxPresenter previous_;
};

}  // namespace qx::test
