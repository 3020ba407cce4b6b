// Calls that a test makes fail on purpose: the file <root>/run/failing-calls names them, one a
// line (blanks and commas also separate). A name is a call ("SetDoubleClickTime") or a call and
// the one action or index it fails for ("SystemParametersInfoA:SPI_SETDOUBLECLKWIDTH",
// "GetSystemMetrics:SM_CXSCREEN"); a registry call by the value it writes
// ("RegSetValueExA:DoubleClickWidth") or the last name of the key it creates ("RegCreateKeyA:Mouse"),
// and then fails with ERROR_REGISTRY_IO_FAILED. The file is read at every call, so a running program follows
// it, and it goes with the rest of run/ when the machine restarts.
#pragma once

#include <string_view>

namespace qx {

// Whether CALL, for ACTION (empty: the call has no actions), is named in run/failing-calls.
bool CallFails(std::string_view call, std::string_view action = {});

}  // namespace qx
