// What the startup program's tests share: the stored copies of the double-click values (the
// suite's key and the user's "Control Panel\Mouse"), the desktop's live values, and calls made to
// fail, all in the current machine root.
#pragma once

#include <string>

namespace qx::test {

// "Control Panel\Mouse" of HKEY_CURRENT_USER as "type:data" ("1:500"); "" when missing.
std::string MouseValue(const std::string& name);
// The desktop's live values as "time/width/height" ("500/32/32").
std::string DesktopValues();
// The three stored copies in the suite's key, as "speed/width/height" of "type:data" entries.
std::string SuiteValues();
std::string MouseValues();
// Names the calls that fail from now on (run/failing-calls), blank-separated; "" for none.
void FailCalls(const std::string& names);

}  // namespace qx::test
