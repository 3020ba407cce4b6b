// The commands of qxctl. Each takes the words after its name and returns the exit code.
#pragma once

#include "tools/common/tool_main.h"

namespace qx::ctl {

using tool::Args;
using tool::kFailed;
using tool::kOk;
using tool::kUsage;
// qxctl's own exit codes (core/exit_codes.h).
inline constexpr int kNoService = exit_code::kNoService;
inline constexpr int kNoController = exit_code::kAbsent;
inline constexpr int kNoAnswer = exit_code::kNoAnswer;
// A recording that cannot be played.
inline constexpr int kBadRecording = exit_code::kBadData;

int Summary(const Args& args);
int Get(const Args& args);
int Set(const Args& args);
int Block(const Args& args);
int ControllerCmd(const Args& args);
int Touch(const Args& args);
int Press(const Args& args);
int Lift(const Args& args);
int JournalCmd(const Args& args);
int Rbf(const Args& args);
int Smi(const Args& args);
int Pointer(const Args& args);
int Output(const Args& args);
int Input(const Args& args);
int MapToOutput(const Args& args);
int Calibrate(const Args& args);
int Replay(const Args& args);
int Record(const Args& args);
int ExportCalibration(const Args& args);

}  // namespace qx::ctl
