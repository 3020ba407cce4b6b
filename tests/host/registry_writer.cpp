// A helper process for the registry tests, writing into the registry of QX_ROOT:
//   qx_registry_writer write KEY PREFIX COUNT [GO_FILE]
//     waits until GO_FILE exists (when given), then writes COUNT REG_DWORD values PREFIX0 ..
//     under HKEY_LOCAL_MACHINE\KEY, each in its own call; exits 1 at the first failed call.
//   qx_registry_writer hold MS READY_FILE
//     opens a batch with one write in it, creates READY_FILE, keeps the batch open MS
//     milliseconds, then commits it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "host/registry.h"

using namespace qx;

namespace {

int Write(const char* path, const std::string& prefix, int count, const char* goFile) {
  while (goFile && !std::filesystem::exists(goFile)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  HKEY key = 0;
  LONG rc = RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key);
  if (rc != ERROR_SUCCESS) {
    std::fprintf(stderr, "RegCreateKeyA: %d\n", rc);
    return 1;
  }
  for (int i = 0; i < count; ++i) {
    const std::string name = prefix + std::to_string(i);
    const DWORD data = static_cast<DWORD>(i);
    rc = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    if (rc != ERROR_SUCCESS) {
      std::fprintf(stderr, "RegSetValueExA %s: %d\n", name.c_str(), rc);
      return 1;
    }
  }
  return RegCloseKey(key) == ERROR_SUCCESS ? 0 : 1;
}

int Hold(int ms, const char* readyFile) {
  if (RegBeginBatch() != ERROR_SUCCESS) return 1;
  const DWORD data = 1;
  if (RegSetValueExA(HKEY_LOCAL_MACHINE, "Held", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), 4) !=
      ERROR_SUCCESS)
    return 1;
  std::ofstream(readyFile) << "ready\n";
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  return RegEndBatch(true) == ERROR_SUCCESS ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 5 && !std::strcmp(argv[1], "write"))
    return Write(argv[2], argv[3], std::atoi(argv[4]), argc > 5 ? argv[5] : nullptr);
  if (argc == 4 && !std::strcmp(argv[1], "hold")) return Hold(std::atoi(argv[2]), argv[3]);
  std::fprintf(stderr, "usage: qx_registry_writer write KEY PREFIX COUNT [GO_FILE] | hold MS READY_FILE\n");
  return 64;
}
