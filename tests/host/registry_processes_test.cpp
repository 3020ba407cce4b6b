// Several real processes using one registry database at once.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "host/registry.h"
#include "tests/host/registry_dump.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/wait.h"

namespace qx {
namespace {

int WaitFor(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RegistryProcesses, FiveWritersAtOnceLoseNothingAndNeverFail) {
  test::TempRoot root;
  const std::string go = root.path() + "/go";
  std::vector<pid_t> writers;
  for (int w = 0; w < 5; ++w) {
    writers.push_back(test::Spawn(
        {test::Program("qx_registry_writer"), "write", "SOFTWARE\\Load", "w" + std::to_string(w) + "_", "1000", go},
        root.path() + "/writer" + std::to_string(w) + ".log"));
  }
  test::WriteFile(go, "go");  // all five start their writes together
  for (int w = 0; w < 5; ++w)
    EXPECT_EQ(WaitFor(writers[w]), 0) << test::ReadFile(root.path() + "/writer" + std::to_string(w) + ".log");

  HKEY key = 0;
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Load", &key), ERROR_SUCCESS);
  std::set<std::string> expected, seen;
  for (int w = 0; w < 5; ++w)
    for (int i = 0; i < 1000; ++i) expected.insert("w" + std::to_string(w) + "_" + std::to_string(i));
  for (const test::DumpedValue& v : test::DumpValues(key)) {
    seen.insert(v.name);
    ASSERT_EQ(v.type, REG_DWORD);
    ASSERT_EQ(v.data.size(), 4u);
    const std::string number = v.name.substr(v.name.find('_') + 1);
    EXPECT_EQ(static_cast<DWORD>(v.data[0] | v.data[1] << 8), static_cast<DWORD>(std::stoi(number))) << v.name;
  }
  EXPECT_EQ(seen.size(), 5000u);
  EXPECT_EQ(seen, expected);
}

TEST(RegistryProcesses, AWriteWaitsForAnotherProcessesTransactionInsteadOfFailing) {
  test::TempRoot root;
  const std::string ready = root.path() + "/ready";
  pid_t holder = test::Spawn({test::Program("qx_registry_writer"), "hold", "1500", ready});
  test::WaitUntil([&] { return std::filesystem::exists(ready); }, 5000);
  ASSERT_TRUE(std::filesystem::exists(ready));

  const auto start = std::chrono::steady_clock::now();
  const DWORD data = 2;
  EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "Mine", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), 4),
            ERROR_SUCCESS);
  EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));  // it did wait
  EXPECT_EQ(WaitFor(holder), 0);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(HKEY_LOCAL_MACHINE, "Held", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
}

}  // namespace
}  // namespace qx
