#include "host/window_input_qt.h"

#include <qpa/qwindowsysteminterface.h>

#include <QWidget>
#include <QWindow>

#include "host/window_input.h"

namespace qx {

namespace {

// The modifier keys held down through WM_KEYDOWN, until their WM_KEYUP.
Qt::KeyboardModifiers heldKeys;

Qt::KeyboardModifier ModifierOf(WPARAM key) {
  switch (key) {
    case VK_SHIFT: return Qt::ShiftModifier;
    case VK_CONTROL: return Qt::ControlModifier;
    case VK_MENU: return Qt::AltModifier;
    default: return Qt::NoModifier;
  }
}

// The Qt key and the text it types for a virtual-key code.
std::pair<int, QString> KeyOf(WPARAM key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
    const QChar c(static_cast<char16_t>(key));
    const bool typesText = !(heldKeys & (Qt::ControlModifier | Qt::AltModifier));
    return {static_cast<int>(key), typesText ? QString(heldKeys & Qt::ShiftModifier ? c : c.toLower()) : QString()};
  }
  switch (key) {
    case VK_TAB: return {Qt::Key_Tab, QStringLiteral("\t")};
    case VK_RETURN: return {Qt::Key_Return, QStringLiteral("\r")};
    case VK_ESCAPE: return {Qt::Key_Escape, QString(QChar(0x1B))};
    case VK_SPACE: return {Qt::Key_Space, QStringLiteral(" ")};
    case VK_LEFT: return {Qt::Key_Left, QString()};
    case VK_UP: return {Qt::Key_Up, QString()};
    case VK_RIGHT: return {Qt::Key_Right, QString()};
    case VK_DOWN: return {Qt::Key_Down, QString()};
    case VK_SHIFT: return {Qt::Key_Shift, QString()};
    case VK_CONTROL: return {Qt::Key_Control, QString()};
    case VK_MENU: return {Qt::Key_Alt, QString()};
    default: return {0, QString()};
  }
}

// Shift, Ctrl and Alt are held from their WM_KEYDOWN to their WM_KEYUP, whichever window each
// was sent to and whether or not it was on screen then.
void TrackModifiers(UINT msg, WPARAM key) {
  const Qt::KeyboardModifier modifier = ModifierOf(key);
  if (msg == WM_KEYDOWN) heldKeys |= modifier;
  if (msg == WM_KEYUP) heldKeys &= ~modifier;
}

bool QueueKey(QWindow* window, UINT msg, WPARAM key) {
  const auto [qtKey, text] = KeyOf(key);
  if (!qtKey) return false;
  // A modifier's own press already counts it as held, its release no longer.
  const QEvent::Type type = msg == WM_KEYDOWN ? QEvent::KeyPress : QEvent::KeyRelease;
  QWindowSystemInterface::handleKeyEvent(window, type, qtKey, heldKeys, text);
  return true;
}

bool QueueMouse(QWindow* window, UINT msg, WPARAM flags, LPARAM lParam) {
  const QPointF local(static_cast<qint16>(lParam & 0xFFFF), static_cast<qint16>((lParam >> 16) & 0xFFFF));
  Qt::MouseButtons held;
  if (flags & MK_LBUTTON) held |= Qt::LeftButton;
  if (flags & MK_RBUTTON) held |= Qt::RightButton;
  Qt::KeyboardModifiers modifiers = heldKeys;
  if (flags & MK_SHIFT) modifiers |= Qt::ShiftModifier;
  if (flags & MK_CONTROL) modifiers |= Qt::ControlModifier;
  Qt::MouseButton button = Qt::NoButton;
  QEvent::Type type = QEvent::MouseMove;
  switch (msg) {
    // A double click is the second press of a quick pair: the window system makes it one.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: button = Qt::LeftButton, type = QEvent::MouseButtonPress, held |= button; break;
    case WM_LBUTTONUP: button = Qt::LeftButton, type = QEvent::MouseButtonRelease, held &= ~button; break;
    case WM_RBUTTONDOWN: button = Qt::RightButton, type = QEvent::MouseButtonPress, held |= button; break;
    case WM_RBUTTONUP: button = Qt::RightButton, type = QEvent::MouseButtonRelease, held &= ~button; break;
    default: break;
  }
  QWindowSystemInterface::handleMouseEvent(window, local, window->mapToGlobal(local), held, button, type, modifiers);
  return true;
}

}  // namespace

bool QueueWindowInput(QWidget* window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KEYDOWN || msg == WM_KEYUP) TrackModifiers(msg, wParam);
  if (!IsInputMessage(msg) || !window || !window->isVisible() || !window->windowHandle()) return false;
  QWindow* target = window->windowHandle();
  if (msg == WM_KEYDOWN || msg == WM_KEYUP) return QueueKey(target, msg, wParam);
  return QueueMouse(target, msg, wParam, lParam);
}

}  // namespace qx
