// The commands of qxreg. Each takes the words after its name and returns the exit code.
#pragma once

#include <string>
#include <vector>

namespace qx::reg {

using Args = std::vector<std::string>;

inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 64;

int Query(const Args& args);
int Add(const Args& args);
int Delete(const Args& args);
int Export(const Args& args);
int Import(const Args& args);

}  // namespace qx::reg
