// The commands of qxmachine, each taking the words after its name and giving the exit code.
#pragma once

#include "tools/common/tool_main.h"

namespace qx::machine {

// Exit code of status when the machine does not run.
inline constexpr int kNotRunning = exit_code::kAbsent;

int Boot(const tool::Args& args);
int Restart(const tool::Args& args);
int Shutdown(const tool::Args& args);
int Status(const tool::Args& args);
int Desktop(const tool::Args& args);
int Keep(const tool::Args& args);

}  // namespace qx::machine
