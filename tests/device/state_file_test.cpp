#include "device/state_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <tuple>

#include "tests/support/device_service.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

using test::DeviceService;
using test::ReadFile;
using test::TempRoot;
using test::WriteFile;

// The file BYTES (without its checksum) as version VERSION, its checksum made anew.
std::string AsVersion(std::string bytes, char version) {
  bytes[4] = version;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(crc >> (8 * i));
  return bytes;
}

TEST(StateFile, KeepsTheBlockAndThePresentFlag) {
  TempRoot root;
  StateFile file(root.path() + "/settings.bin");
  EXPECT_FALSE(file.Load()) << "no file yet";
  StoredState s = DefaultState();
  s.block.SpeedH = 17;
  s.block.Reserved71 = 0x5A;
  s.present = false;
  ASSERT_TRUE(file.Save(s));
  auto back = file.Load();
  ASSERT_TRUE(back);
  EXPECT_FALSE(back->present);
  EXPECT_EQ(std::memcmp(&back->block, &s.block, sizeof s.block), 0);
  EXPECT_FALSE(std::filesystem::exists(root.path() + "/settings.bin.new"));
}

TEST(StateFile, ADamagedFileIsSetAsideNotTrusted) {
  TempRoot root;
  const std::string path = root.path() + "/settings.bin";
  StateFile file(path);
  ASSERT_TRUE(file.Save(DefaultState()));
  std::string good = ReadFile(path);

  for (std::string bad : {std::string(), good.substr(0, 40), good + "x", [&] {
                            std::string flipped = good;
                            flipped[30] ^= 1;  // one bit of the block: the checksum catches it
                            return flipped;
                          }()}) {
    WriteFile(path, bad);
    EXPECT_FALSE(file.Load());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(ReadFile(path + ".damaged"), bad) << "the damaged file is kept for a person to look at";
  }
}

// A file an earlier service wrote (version 3: the rotation, no touch options) keeps its settings
// and the rotation; the options are the defaults.
TEST(StateFile, AFileWithoutTheTouchOptionsLoads) {
  TempRoot root;
  const std::string path = root.path() + "/settings.bin";
  StateFile file(path);
  StoredState s = DefaultState();
  s.block.SpeedH = 17;
  s.calibratedAt = 1;
  s.options.TouchOn = 0;
  ASSERT_TRUE(file.Save(s));
  const std::string bytes = ReadFile(path);
  WriteFile(path, AsVersion(bytes.substr(0, bytes.size() - 4 - sizeof(TouchOptions)), 3));
  const auto back = file.Load();
  ASSERT_TRUE(back);
  EXPECT_EQ(back->block.SpeedH, 17);
  EXPECT_EQ(back->calibratedAt, 1);
  EXPECT_EQ(back->options.TouchOn, DefaultOptions().TouchOn);
}

// A FIFO where the file belongs (it held the service's start for ever) is set aside; a newer
// version's file is left as it is, what this version knows of it taken when its checksum holds.
TEST(StateFile, AFifoOrANewerVersionsFileHoldsNoStartAndIsNotWrittenOver) {
  const std::tuple<int, const char*, const char*> cases[] = {  // 0 a FIFO, 1 newer, 2 newer and damaged
      {0, "10\n", "settings.bin is not a regular file; kept as"},
      {1, "17\n", "written by a newer version of the service (file version 6)"},
      {2, "10\n", "left as it is, starting from the default settings"}};
  for (const auto& [kind, speed, said] : cases) {
    TempRoot root;
    const std::string path = root.path() + "/device/settings.bin";
    std::filesystem::create_directories(root.path() + "/device");
    StoredState s = DefaultState();
    s.block.SpeedH = 17;
    ASSERT_TRUE(StateFile(path).Save(s));
    std::string newer = ReadFile(path);
    newer = AsVersion(newer.substr(0, newer.size() - 4) + "more", 6);
    newer[20] ^= kind == 2;
    WriteFile(path, newer);
    ASSERT_TRUE(kind != 0 || (std::filesystem::remove(path) && ::mkfifo(path.c_str(), 0600) == 0));
    {
      DeviceService service;
      EXPECT_EQ(DeviceService::Qxctl("get SpeedH"), speed);
      EXPECT_EQ(DeviceService::QxctlExit("set SpeedH=5"), 0);
    }
    EXPECT_NE(ReadFile(root.path() + "/qxwmecomd.log").find(said), std::string::npos) << kind;
    if (kind == 0) EXPECT_TRUE(std::filesystem::is_fifo(path + ".damaged"));
    else EXPECT_EQ(ReadFile(path), newer) << "left for the newer service";
  }
}

}  // namespace
}  // namespace qx
