#include "ui/boxes.h"

#include "host/message_box.h"

namespace qx {

int QuestionBox(const std::string& text, UINT extraFlags, const std::string& caption) {
  return MessageBoxA(0, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL | extraFlags);
}

int OkBox(const std::string& text, const std::string& caption, UINT icon) {
  return MessageBoxA(0, text.c_str(), caption.c_str(), MB_OK | MB_SYSTEMMODAL | icon);
}

}  // namespace qx
