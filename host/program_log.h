// Where a program the suite starts writes its messages (its standard output and errors): the
// person's systemd journal where there is one, as a stream with the program's name as its
// identifier (journalctl --user -t qxwmecomd), else a file of its own in the machine root,
// log/NAME.log. QX_PROCESS_LOG names one file for every program instead (the tests' own log).
#pragma once

#include <string>

#include "host/unique_fd.h"

namespace qx {

// The identifier PROGRAM's messages carry: its file's name without the folder and ".exe".
std::string LogIdentifier(const std::string& program);

// A descriptor to write PROGRAM's messages to, as above; empty when none can be had.
UniqueFd OpenProgramLog(const std::string& program);

// Where PROGRAM's messages are, as a person finds them: "journalctl --user -t qxwmecomd", or the
// file's path.
std::string ProgramLogPlace(const std::string& program);

}  // namespace qx
