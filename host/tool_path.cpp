#include "host/tool_path.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qx {

namespace {

bool Runnable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

}  // namespace

std::string ToolPath(const std::string& name) {
  if (const char* tools = std::getenv("QX_TOOLS"); tools && *tools) return std::string(tools) + "/" + name;
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    std::string beside = (self.parent_path() / name).string();
    if (Runnable(beside)) return beside;
  }
  std::string built = std::string(QX_BUILT_TOOLS_DIR) + "/" + name;
  if (Runnable(built)) return built;
  return name;
}

}  // namespace qx
