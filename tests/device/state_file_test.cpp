#include "device/state_file.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qx
