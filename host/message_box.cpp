#include "host/message_box.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "host/printable_text.h"

namespace qx {

namespace {

MessageBoxPresenter& Presenter() {
  static MessageBoxPresenter presenter;
  return presenter;
}

Beeper& CurrentBeeper() {
  static Beeper beeper;
  return beeper;
}

int beeps = 0;

// The answers queued in QX_MESSAGE_ANSWERS, consumed one box at a time.
int NextScriptedAnswer(UINT type) {
  static std::vector<int> answers;
  static bool loaded = false;
  static std::size_t next = 0;
  if (!loaded) {
    loaded = true;
    if (const char* list = std::getenv("QX_MESSAGE_ANSWERS")) {
      std::stringstream in(list);
      std::string item;
      while (std::getline(in, item, ',')) answers.push_back(std::atoi(item.c_str()));
    }
  }
  return next < answers.size() ? answers[next++] : DefaultButton(type);
}

int ConsoleBox(const std::string& text, const std::string& caption, UINT type) {
  std::string shown = text;
  for (char& c : shown)
    if (c == '\r') c = '\n';
  std::fprintf(stderr, "%s\n", shown.c_str());
  (void)caption;
  return DefaultButton(type);
}

}  // namespace

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter) {
  MessageBoxPresenter old = std::move(Presenter());
  Presenter() = std::move(presenter);
  return old;
}

int DefaultButton(UINT type) {
  bool second = (type & 0xF00) == MB_DEFBUTTON2;
  switch (type & 0xF) {
    case MB_OKCANCEL: return second ? IDCANCEL : IDOK;
    case MB_YESNOCANCEL:
    case MB_YESNO: return second ? IDNO : IDYES;
    default: return IDOK;
  }
}

int MessageBoxA(HWND, const char* text, const char* caption, UINT type) {
  std::string t = text ? text : "";
  std::string c = caption ? caption : "";
  if (const char* log = std::getenv("QX_MESSAGE_LOG"); log && *log) {
    std::ofstream out(log, std::ios::app);
    out << Printable(c) << '\t' << Printable(t) << '\t' << type << '\n';
    return NextScriptedAnswer(type);
  }
  if (Presenter()) return Presenter()(t, c, type);
  return ConsoleBox(t, c, type);
}

int ErrorBox(const std::string& text, const std::string& caption) {
  MessageBeep(0);
  return MessageBoxA(0, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
}

Beeper SetBeeper(Beeper beeper) {
  Beeper old = std::move(CurrentBeeper());
  CurrentBeeper() = std::move(beeper);
  return old;
}

BOOL MessageBeep(UINT) {
  ++beeps;
  if (CurrentBeeper()) CurrentBeeper()();
  return TRUE;
}

int BeepCount() { return beeps; }

}  // namespace qx
