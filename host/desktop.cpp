#include "host/desktop.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

#include "host/desktop_home.h"
#include "host/failing_calls.h"
#include "host/machine_root.h"
#include "host/profile_file.h"

namespace qx {

namespace {

constexpr char kSection[] = "Mouse";
constexpr char kTime[] = "DoubleClickSpeed";
constexpr char kWidth[] = "DoubleClickWidth";
constexpr char kHeight[] = "DoubleClickHeight";

ScreenSource& Source() {
  static ScreenSource source;
  return source;
}

DesktopChangeHook& ChangeHook() {
  static DesktopChangeHook hook;
  return hook;
}

std::string_view Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string ValuesFile() { return DesktopFolder() + "/mouse.ini"; }

bool Accepted(const std::string& key, UINT value) {
  return key == kTime ? value >= 1 && value <= kMaxDoubleClickTime : value <= kMaxDoubleClickSide;
}

// The live value KEY, or its default when the file does not hold one the desktop accepts.
UINT LiveValue(const std::string& key) {
  for (const profile::Entry& e : ProfileSectionEntries(ValuesFile(), kSection)) {
    if (!profile::SameName(e.key, key)) continue;
    UINT value = 0;
    auto [end, error] = std::from_chars(e.value.data(), e.value.data() + e.value.size(), value);
    if (error == std::errc() && end == e.value.data() + e.value.size() && Accepted(key, value)) return value;
    break;
  }
  return key == kTime ? kDefaultDoubleClickTime : kDefaultDoubleClickSide;
}

BOOL SetLiveValue(const std::string& key, UINT value) {
  if (!Accepted(key, value) || !WriteProfileValue(ValuesFile(), kSection, key, std::to_string(value))) return FALSE;
  if (ChangeHook()) ChangeHook()();
  return TRUE;
}

// The double-click time: the person's desktop's, where it keeps one the desktop accepts, else the
// root's.
UINT LiveTime() {
  if (const auto home = DesktopDoubleClickHome())
    if (const std::optional<unsigned> time = home->Read(); time && Accepted(kTime, *time)) return *time;
  return LiveValue(kTime);
}

// Sets the time in the person's desktop, where it keeps one, and in the root.
BOOL SetLiveTime(UINT milliseconds) {
  if (!Accepted(kTime, milliseconds)) return FALSE;
  if (const auto home = DesktopDoubleClickHome(); home && !home->Write(milliseconds)) return FALSE;
  return SetLiveValue(kTime, milliseconds);
}

const char* MetricName(int index) {
  switch (index) {
    case SM_CXSCREEN: return "SM_CXSCREEN";
    case SM_CYSCREEN: return "SM_CYSCREEN";
    case SM_CXDOUBLECLK: return "SM_CXDOUBLECLK";
    case SM_CYDOUBLECLK: return "SM_CYDOUBLECLK";
    default: return nullptr;
  }
}

const char* ActionName(UINT action) {
  switch (action) {
    case SPI_SETDOUBLECLKWIDTH: return "SPI_SETDOUBLECLKWIDTH";
    case SPI_SETDOUBLECLKHEIGHT: return "SPI_SETDOUBLECLKHEIGHT";
    case SPI_SETDOUBLECLICKTIME: return "SPI_SETDOUBLECLICKTIME";
    case SPI_GETWORKAREA: return "SPI_GETWORKAREA";
    default: return nullptr;
  }
}

std::optional<ScreenGeometry> Screen() { return Source() ? Source()() : std::nullopt; }

}  // namespace

int GetSystemMetrics(int index) {
  const char* name = MetricName(index);
  if (!name || CallFails("GetSystemMetrics", name)) return 0;
  switch (index) {
    case SM_CXDOUBLECLK: return static_cast<int>(LiveValue(kWidth));
    case SM_CYDOUBLECLK: return static_cast<int>(LiveValue(kHeight));
    default: {
      auto screen = Screen();
      if (!screen) return 0;
      return index == SM_CXSCREEN ? screen->screen.right - screen->screen.left
                                  : screen->screen.bottom - screen->screen.top;
    }
  }
}

BOOL SystemParametersInfoA(UINT action, UINT param, void* pvParam, UINT) {
  const char* name = ActionName(action);
  if (!name || CallFails("SystemParametersInfoA", name)) return FALSE;
  switch (action) {
    case SPI_SETDOUBLECLKWIDTH: return SetLiveValue(kWidth, param);
    case SPI_SETDOUBLECLKHEIGHT: return SetLiveValue(kHeight, param);
    case SPI_SETDOUBLECLICKTIME: return SetLiveTime(param);
    default: {
      auto screen = Screen();
      if (!pvParam || !screen) return FALSE;
      *static_cast<RECT*>(pvParam) = screen->workArea;
      return TRUE;
    }
  }
}

BOOL SetDoubleClickTime(UINT milliseconds) {
  if (CallFails("SetDoubleClickTime")) return FALSE;
  return SetLiveTime(milliseconds);
}

UINT GetDoubleClickTime() {
  if (CallFails("GetDoubleClickTime")) return 0;
  return LiveTime();
}

ScreenSource SetScreenSource(ScreenSource source) {
  ScreenSource old = std::move(Source());
  Source() = std::move(source);
  return old;
}

DesktopChangeHook SetDesktopChangeHook(DesktopChangeHook hook) {
  DesktopChangeHook old = std::move(ChangeHook());
  ChangeHook() = std::move(hook);
  return old;
}

bool WaylandSession() { return !Variable("WAYLAND_DISPLAY").empty() || Variable("XDG_SESSION_TYPE") == "wayland"; }

bool GnomeDesktop() { return DesktopNamed("GNOME"); }

bool DesktopNamed(std::string_view name) {
  // Compared as the desktop entries' OnlyShowIn compares them.
  for (std::string_view desktops = Variable("XDG_CURRENT_DESKTOP"); !desktops.empty();) {
    const std::size_t end = desktops.find(':');
    if (desktops.substr(0, end) == name) return true;
    desktops = end == std::string_view::npos ? std::string_view() : desktops.substr(end + 1);
  }
  return false;
}

std::string DesktopFolder() {
  std::string folder = RunDir() + "/desktop";
  MakeDirs(folder);
  return folder;
}

}  // namespace qx
