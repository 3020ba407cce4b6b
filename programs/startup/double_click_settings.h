// The suite's own double-click time and rectangle: stored in the suite's registry key (REG_DWORD)
// and in the user's mouse settings ("Control Panel\Mouse", decimal text), applied to the desktop
// at every log-on and from the double-click dialog.
#pragma once

#include <cstdint>
#include <string>

namespace qx {

// The suite's defaults (the desktop's own are 500 ms and 4 x 4).
inline constexpr std::int32_t kStoredDoubleClickSpeed = 500;  // milliseconds
inline constexpr std::int32_t kStoredDoubleClickSide = 32;    // pixels

inline constexpr char MOUSE_KEY_PATH[] = "Control Panel";
inline constexpr char MOUSE_SUB_KEY[] = "Mouse";

// Program-wide, loaded when the main window loads; 500, 32, 32 at start.
extern std::int32_t DoubleClickSpeed;
extern std::int32_t DoubleClickWidth;
extern std::int32_t DoubleClickHeight;

// The three values from the suite's key (made when missing). Only a REG_DWORD counts; unless all
// three are read, all three are the defaults, those that were read too.
void LoadDoubleClickSettings();

// Applies the three values to the desktop and stores them in both places, in this order: the
// desktop's width (failure "W"), height ("H") and time ("T"), SetDoubleClickTime (not tested); the
// key "Control Panel\Mouse" ("R" when it cannot be made, and the texts are then not written), its
// texts width ("w"), height ("h") and speed ("t"); the suite's key as REG_DWORD speed, width,
// height (failures not reported). Returns the letters of the steps that failed, "" when none did.
std::string ApplyDoubleClickValues();

// ApplyDoubleClickValues, then, when a step failed, the error box "Fail to SetDoubleClock (" +
// letters + ")!" captioned TITLE. True when nothing failed.
bool ApplyDoubleClickSettings(const std::string& title);

}  // namespace qx
