#include "host/cursor.h"

#include "host/program_state.h"

namespace qx {

namespace {

int displayCount = 0;

const ProgramState kCursorState([] { displayCount = 0; });

CursorVisibilityHook& Hook() {
  static CursorVisibilityHook hook;
  return hook;
}

}  // namespace

int ShowCursor(BOOL show) {
  const bool wasVisible = displayCount >= 0;
  displayCount += show ? 1 : -1;
  const bool visible = displayCount >= 0;
  if (visible != wasVisible && Hook()) Hook()(visible);
  return displayCount;
}

CursorVisibilityHook SetCursorVisibilityHook(CursorVisibilityHook hook) {
  CursorVisibilityHook old = std::move(Hook());
  Hook() = std::move(hook);
  return old;
}

}  // namespace qx
