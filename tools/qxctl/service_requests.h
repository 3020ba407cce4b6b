// How qxctl's commands reach the device service: the driver opened as the suite's programs open
// it, the service's own requests on the open handle, and the messages and exit codes of failures.
#pragma once

#include <cstdint>
#include <string>

#include "core/driver_link.h"
#include "host/device_file.h"
#include "tools/qxctl/commands.h"

namespace qx::ctl {

// Says WHAT on stderr; CODE.
int Fail(const char* what, int code = kFailed);
// The failure of a request: the service went silent, or away, meanwhile.
int NoAnswer();
// Opens the driver as the suite's programs do: kOk, or the exit code after saying what is wrong
// (no service, as the programs say it, or one that does not answer).
int Open();

// One of the service's own requests, on the open handle, its record both ways.
template <typename Record>
bool Request(std::uint32_t code, Record& record) {
  DWORD returned = 0;
  return DeviceIoControl(DriverHandle, code, &record, sizeof(Record), &record, sizeof(Record), &returned, nullptr) &&
         returned == sizeof(Record);
}

// TEXT as a whole number within LOW..HIGH.
bool ParseInt(const std::string& text, long low, long high, long& out);

}  // namespace qx::ctl
