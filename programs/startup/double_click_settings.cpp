#include "programs/startup/double_click_settings.h"

#include "core/driver_link.h"
#include "core/registry_access.h"
#include "core/settings_store.h"
#include "host/desktop.h"
#include "host/message_box.h"
#include "host/program_state.h"

namespace qx {

std::int32_t DoubleClickSpeed = kStoredDoubleClickSpeed;
std::int32_t DoubleClickWidth = kStoredDoubleClickSide;
std::int32_t DoubleClickHeight = kStoredDoubleClickSide;

namespace {

void SetDefaults() {
  DoubleClickSpeed = kStoredDoubleClickSpeed;
  DoubleClickWidth = kStoredDoubleClickSide;
  DoubleClickHeight = kStoredDoubleClickSide;
}

const ProgramState kDoubleClickState(SetDefaults);

bool OpenSuiteKey(HKEY& key) {
  std::string subKey = SUITE_SUB_KEY;
  return CreateKey(HKEY_LOCAL_MACHINE, SUITE_KEY_PATH, subKey, key);
}

// Only the desktop's update message is asked for: Windows' own settings file is left alone.
constexpr UINT kUpdateFlag = SPIF_SENDWININICHANGE;

}  // namespace

void LoadDoubleClickSettings() {
  HKEY key = 0;
  bool ok = OpenSuiteKey(key);
  if (ok) {
    ok = QueryDword(key, "DoubleClickSpeed", DoubleClickSpeed) && ok;
    ok = QueryDword(key, "DoubleClickWidth", DoubleClickWidth) && ok;
    ok = QueryDword(key, "DoubleClickHeight", DoubleClickHeight) && ok;
    CloseKey(key);
  }
  if (!ok) SetDefaults();
}

std::string ApplyDoubleClickValues() {
  std::string letters;
  // A negative value reaches the desktop as the large unsigned number it is, which it refuses.
  if (!SystemParametersInfoA(SPI_SETDOUBLECLKWIDTH, static_cast<UINT>(DoubleClickWidth), nullptr, kUpdateFlag))
    letters += 'W';
  if (!SystemParametersInfoA(SPI_SETDOUBLECLKHEIGHT, static_cast<UINT>(DoubleClickHeight), nullptr, kUpdateFlag))
    letters += 'H';
  if (!SystemParametersInfoA(SPI_SETDOUBLECLICKTIME, static_cast<UINT>(DoubleClickSpeed), nullptr, kUpdateFlag))
    letters += 'T';
  SetDoubleClickTime(static_cast<UINT>(DoubleClickSpeed));

  std::string subKey = MOUSE_SUB_KEY;
  HKEY mouse = 0;
  if (!CreateKey(HKEY_CURRENT_USER, MOUSE_KEY_PATH, subKey, mouse)) return letters + 'R';
  if (!SetString(mouse, "DoubleClickWidth", std::to_string(DoubleClickWidth))) letters += 'w';
  if (!SetString(mouse, "DoubleClickHeight", std::to_string(DoubleClickHeight))) letters += 'h';
  if (!SetString(mouse, "DoubleClickSpeed", std::to_string(DoubleClickSpeed))) letters += 't';
  CloseKey(mouse);

  HKEY suite = 0;
  if (OpenSuiteKey(suite)) {
    SetDword(suite, "DoubleClickSpeed", DoubleClickSpeed);
    SetDword(suite, "DoubleClickWidth", DoubleClickWidth);
    SetDword(suite, "DoubleClickHeight", DoubleClickHeight);
    CloseKey(suite);
  }
  return letters;
}

bool ApplyDoubleClickSettings(const std::string& title) {
  const std::string letters = ApplyDoubleClickValues();
  if (letters.empty()) return true;
  ErrorBox("Fail to SetDoubleClock (" + letters + ")!", title);
  return false;
}

}  // namespace qx
