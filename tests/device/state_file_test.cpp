#include "device/state_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>

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

// What the service finds in its file's place and cannot take as its own file of this version: a
// FIFO (which held its start for ever) is set aside; a newer version's file (after a downgrade)
// is left as it is, what this version knows of it taken when its checksum holds. Either is said.
TEST(StateFile, AFifoOrANewerVersionsFileHoldsNoStartAndIsNotWrittenOver) {
  struct Case {
    const char* what;
    bool fifo;
    std::string extra;  // a newer version's own fields
    bool sound;
    const char* speed;  // SpeedH as the service starts with it
    const char* said;
  };
  const Case cases[] = {
      {"a FIFO", true, "", true, "10\n", "settings.bin is not a regular file; kept as"},
      {"version 5", false, "more", true, "17\n", "written by a newer version of the service (file version 5)"},
      {"version 5, damaged", false, "more", false, "10\n", "left as it is, starting from the default settings"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempRoot root;
    const std::string path = root.path() + "/device/settings.bin";
    std::filesystem::create_directories(root.path() + "/device");
    std::string newer;
    if (c.fifo) {
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    } else {
      StoredState s = DefaultState();
      s.block.SpeedH = 17;
      ASSERT_TRUE(StateFile(path).Save(s));
      const std::string bytes = ReadFile(path);
      newer = AsVersion(bytes.substr(0, bytes.size() - 4) + c.extra, 5);
      if (!c.sound) newer[20] ^= 1;
      WriteFile(path, newer);
    }
    {
      DeviceService service;
      EXPECT_EQ(DeviceService::Qxctl("get SpeedH"), c.speed);
      EXPECT_EQ(DeviceService::QxctlExit("set SpeedH=5"), 0);
    }
    EXPECT_NE(ReadFile(root.path() + "/qxwmecomd.log").find(c.said), std::string::npos)
        << ReadFile(root.path() + "/qxwmecomd.log");
    if (c.fifo) EXPECT_TRUE(std::filesystem::is_fifo(path + ".damaged"));
    else EXPECT_EQ(ReadFile(path), newer) << "left for the newer service";
  }
}

}  // namespace
}  // namespace qx
