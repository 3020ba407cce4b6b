// Calls that a test makes fail on purpose: the file <root>/run/failing-calls names them, one a
// line (blanks and commas also separate). A name is a call ("SetDoubleClickTime") or a call and
// the one action or index it fails for ("SystemParametersInfoA:SPI_SETDOUBLECLKWIDTH",
// "GetSystemMetrics:SM_CXSCREEN"); the registry's writes fail for one value name
// ("RegSetValueExA:FeedbackTone") or one key, by its path as passed or its last name when the path
// holds a blank ("RegCreateKeyA:Enum\Root\Mouse\0000", "RegCreateKeyA:Mouse"), with
// ERROR_ACCESS_DENIED. The file is read at every call, so a running program follows it, and it
// goes with the rest of run/ when the machine restarts.
#pragma once

#include <string_view>

namespace qx {

// Whether CALL, for ACTION (empty: the call has no actions), is named in run/failing-calls.
bool CallFails(std::string_view call, std::string_view action = {});

}  // namespace qx
