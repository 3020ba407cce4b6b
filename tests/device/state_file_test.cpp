#include "device/state_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>

#include "tests/support/temp_root.h"

namespace qx {
namespace {

using test::ReadFile;
using test::TempRoot;
using test::WriteFile;

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
  std::string bytes = ReadFile(path);
  bytes.resize(bytes.size() - 4 - sizeof(TouchOptions));
  bytes[4] = 3;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(crc >> (8 * i));
  WriteFile(path, bytes);
  const auto back = file.Load();
  ASSERT_TRUE(back);
  EXPECT_EQ(back->block.SpeedH, 17);
  EXPECT_EQ(back->calibratedAt, 1);
  EXPECT_EQ(back->options.TouchOn, DefaultOptions().TouchOn);
}

}  // namespace
}  // namespace qx
