// The commands of qxreg. Each takes the words after its name and returns the exit code.
#pragma once

#include "tools/common/tool_main.h"

namespace qx::reg {

using tool::Args;
using tool::kFailed;
using tool::kOk;
using tool::kUsage;

int Query(const Args& args);
int Add(const Args& args);
int Delete(const Args& args);
int Export(const Args& args);
int Import(const Args& args);

}  // namespace qx::reg
