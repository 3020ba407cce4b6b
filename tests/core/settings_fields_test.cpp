#include "core/settings_fields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace qx {
namespace {

SettingsBlock RandomBlock(std::mt19937& rng) {
  SettingsBlock b;
  auto* p = reinterpret_cast<std::uint8_t*>(&b);
  for (std::size_t i = 0; i < sizeof b; ++i) p[i] = static_cast<std::uint8_t>(rng());
  return b;
}

TEST(SettingsFields, EveryFieldWrittenBackAsReadLeavesTheBlockAsItWas) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    SettingsBlock original = RandomBlock(rng);
    // Start from zero but for the unnamed bytes, then set every named field from its text.
    SettingsBlock copy{};
    for (int n = 0; n < 9; ++n) copy.PortTable[n].Reserved = original.PortTable[n].Reserved;
    copy.Reserved71 = original.Reserved71;
    for (const std::string& name : FieldNames()) {
      auto text = GetField(original, name);
      ASSERT_TRUE(text) << name;
      ASSERT_EQ(SetField(copy, name, *text), "") << name << "=" << *text;
    }
    ASSERT_EQ(std::memcmp(&copy, &original, sizeof copy), 0) << "round " << round;
  }
}

TEST(SettingsFields, NamesCoverEveryByteButTheReservedOnes) {
  SettingsBlock b{};
  for (const std::string& name : FieldNames()) {
    // Setting each field to all ones marks the bytes it owns.
    std::string ones = name == "CalibrationData" ? "-1,-1,-1,-1,-1,-1" : name == "McuCode" ? "FFFFFFFF" : "0xFFFF";
    SettingsBlock one{};
    if (SetField(one, name, ones) != "") {
      ASSERT_EQ(SetField(one, name, "0xFF"), "") << name;  // a byte field
    }
    auto* p = reinterpret_cast<std::uint8_t*>(&b);
    auto* q = reinterpret_cast<std::uint8_t*>(&one);
    for (std::size_t i = 0; i < sizeof b; ++i) p[i] |= q[i];
  }
  auto* p = reinterpret_cast<std::uint8_t*>(&b);
  for (std::size_t i = 0; i < sizeof b; ++i) {
    bool reserved = (i >= 4 && i < 40 && i % 4 == 3) || i == 71;
    if (reserved) EXPECT_EQ(p[i], 0) << "byte " << i;
    else EXPECT_NE(p[i], 0) << "byte " << i << " has no field";
  }
}

TEST(SettingsFields, BadValuesAreRefusedAndChangeNothing) {
  SettingsBlock b{};
  b.SpeedH = 9;
  const SettingsBlock before = b;
  EXPECT_NE(SetField(b, "SpeedH", "256"), "");
  EXPECT_NE(SetField(b, "SpeedH", "-1"), "");
  EXPECT_NE(SetField(b, "SpeedH", "ten"), "");
  EXPECT_NE(SetField(b, "SpeedH", ""), "");
  EXPECT_NE(SetField(b, "SoundTone", "70000"), "");
  EXPECT_NE(SetField(b, "CalibrationData", "1,2,3,4,5"), "");
  EXPECT_NE(SetField(b, "CalibrationData", "1,2,3,4,5,6,7"), "");
  EXPECT_NE(SetField(b, "CalibrationData", "1,2,x,4,5,6"), "");
  EXPECT_NE(SetField(b, "McuCode", "DEADBEE"), "");
  EXPECT_NE(SetField(b, "McuCode", "DEADBEEG"), "");
  EXPECT_NE(SetField(b, "NoSuchField", "1"), "");
  EXPECT_EQ(std::memcmp(&b, &before, sizeof b), 0);
}

TEST(SettingsFields, AcceptedForms) {
  SettingsBlock b{};
  EXPECT_EQ(SetField(b, "portbase3", "0x3e8"), "");
  EXPECT_EQ(b.PortTable[2].PortBase, 0x3E8);
  EXPECT_EQ(SetField(b, "ActivePortBase", "0xFFFF"), "");
  EXPECT_EQ(b.ActivePortBase, -1);
  EXPECT_EQ(*GetField(b, "ActivePortBase"), "0xFFFF");
  EXPECT_EQ(SetField(b, "McuCode", "0x0a0B0c0D"), "");
  EXPECT_EQ(*GetField(b, "McuCode"), "0A0B0C0D");
  EXPECT_EQ(SetField(b, "CalibrationData", "86, 500, 914, 102, 500, 898"), "");
  EXPECT_EQ(*GetField(b, "CalibrationData"), "86,500,914,102,500,898");
  EXPECT_EQ(DescribeFields(b, {"SpeedH", "McuMode"}), "SpeedH=0 McuMode=0x00");
}

}  // namespace
}  // namespace qx
