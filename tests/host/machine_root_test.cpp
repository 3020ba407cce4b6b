// The machine root belongs to its owner: what the suite makes there is the owner's alone whatever
// the umask, and a link planted where a file of ours should be is not followed.
#include "host/machine_root.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/driver_records.h"
#include "host/instance_lock.h"
#include "host/registry.h"
#include "tests/support/device_service.h"
#include "tests/support/temp_root.h"
#include "tests/support/window_program.h"

namespace qx {
namespace {

using test::DeviceService;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

// Everything the suite makes in a root that does not exist yet, under umask 000.
TEST(MachineRootTest, EveryFolderSocketAndFileIsTheOwnersWhateverTheUmask) {
  test::TempRoot temp;
  const std::string r = temp.path() + "/machine";
  SetMachineRoot(r);
  mode_t previous = ::umask(0);
  {
    DeviceService service;
    int rc = -1;
    DeviceService::Qxctl("set SpeedH=3", &rc);
    ASSERT_EQ(rc, 0);
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Owner", &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_SUCCESS);
    ASSERT_TRUE(TakeInstanceLock("Owner"));
    test::WindowProgram window("Owner's window");

    for (const char* folder : {"", "/run", "/run/windows", "/device"})
      EXPECT_EQ(ModeOf(r + folder), 0700u) << r + folder;
    for (const std::string& file : {r + "/run/QXWMECOM", r + "/run/windows/" + std::to_string(window.pid()),
                                    r + "/registry.db", r + "/registry.db-wal", r + "/registry.db-shm",
                                    r + "/device/settings.bin", r + "/run/QXWMECOM.lock", r + "/run/Owner.lock"})
      EXPECT_EQ(ModeOf(file), 0600u) << file;
    RegCloseKey(key);
  }
  ::umask(previous);
}

// Links planted by someone who could write into device/: the service writes through none of
// them, and takes none of them for its state.
TEST(MachineRootTest, APlantedLinkIsNeitherFollowedNorTaken) {
  test::TempRoot root;
  const std::string device = root.path() + "/device";
  const std::string victim = root.path() + "/victim";
  test::WriteFile(victim, "the owner's own file");
  std::filesystem::create_directories(device);
  std::filesystem::create_symlink(victim, device + "/settings.bin.new");
  {
    DeviceService service;
    int rc = -1;
    DeviceService::Qxctl("set SpeedH=3", &rc);
    EXPECT_EQ(rc, 0);
  }
  EXPECT_EQ(test::ReadFile(victim), "the owner's own file");
  EXPECT_FALSE(std::filesystem::is_symlink(device + "/settings.bin"));

  // The state file itself a link to a file that would pass for one.
  std::filesystem::copy_file(device + "/settings.bin", victim, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::remove(device + "/settings.bin");
  std::filesystem::create_symlink(victim, device + "/settings.bin");
  const std::string before = test::ReadFile(victim);
  {
    DeviceService service;
    EXPECT_EQ(DeviceService::Qxctl("get SpeedH"), "10\n") << "the defaults, not the linked file";
    int rc = -1;
    DeviceService::Qxctl("set SpeedH=5", &rc);
  }
  EXPECT_EQ(test::ReadFile(victim), before);
  EXPECT_TRUE(std::filesystem::is_symlink(device + "/settings.bin.damaged")) << "the link is set aside";
  EXPECT_NE(test::ReadFile(root.path() + "/qxwmecomd.log").find("symbolic link"), std::string::npos);
}

}  // namespace
}  // namespace qx
