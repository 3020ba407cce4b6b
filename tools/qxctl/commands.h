// The commands of qxctl. Each takes the words after its name and returns the exit code.
#pragma once

#include <string>
#include <vector>

namespace qx::ctl {

using Args = std::vector<std::string>;

// Exit codes shared by the commands.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kNoService = 2;
inline constexpr int kNoController = 3;
inline constexpr int kUsage = 64;

int Summary(const Args& args);
int Get(const Args& args);
int Set(const Args& args);
int Block(const Args& args);
int ControllerCmd(const Args& args);
int Touch(const Args& args);
int Lift(const Args& args);
int JournalCmd(const Args& args);
int Rbf(const Args& args);
int Smi(const Args& args);
int Pointer(const Args& args);
int Calibrate(const Args& args);

}  // namespace qx::ctl
