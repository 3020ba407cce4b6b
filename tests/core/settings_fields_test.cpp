#include "core/settings_fields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "core/driver_records.h"

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
  EXPECT_EQ(DescribeFields(b, FieldList({"SpeedH", "McuMode"})), "SpeedH=0 McuMode=0x00");
}

// CopyFields takes each named field whole, at its place, and nothing around it.
TEST(SettingsFields, CopyFieldsTakesTheNamedFieldsBytesOnly) {
  struct Case {
    std::vector<std::string> names;
    std::vector<std::pair<std::size_t, std::size_t>> bytes;  // [offset, size) ranges taken
  };
  const Case cases[] = {
      {{"PortIrq3"}, {{14, 1}}},
      {{"ActivePortBase", "ActivePort"}, {{0, 2}, {3, 1}}},
      {{"SoundTone"}, {{42, 2}}},
      {{"CalibrationData"}, {{58, 12}}},
      {{"McuCode", "mcumode"}, {{76, 1}, {78, 4}}},
      {{"NoSuchField"}, {}},
      {{}, {}},
  };
  SettingsBlock from;
  std::memset(&from, 0xA5, sizeof from);
  for (const Case& c : cases) {
    SettingsBlock to{};
    CopyFields(from, to, c.names);
    const auto* p = reinterpret_cast<const std::uint8_t*>(&to);
    for (std::size_t i = 0; i < sizeof to; ++i) {
      bool taken = false;
      for (auto [offset, size] : c.bytes) taken |= i >= offset && i < offset + size;
      EXPECT_EQ(p[i], taken ? 0xA5 : 0) << (c.names.empty() ? "" : c.names[0]) << " byte " << i;
    }
  }
}

// The request table holds each code and name once, and its Set requests name fields that exist.
TEST(RequestTable, CodesAndNamesAreUniqueAndSetFieldsExist) {
  std::set<std::uint32_t> codes;
  std::set<std::string> names;
  const SettingsBlock block{};
  for (const RequestEntry& request : RequestTable()) {
    EXPECT_TRUE(codes.insert(request.code).second) << request.name;
    EXPECT_TRUE(names.insert(request.name).second) << request.name;
    EXPECT_EQ(FindRequest(request.code), &request);
    EXPECT_STREQ(RequestName(request.code), request.name);
    EXPECT_TRUE(request.fields.empty() || request.size == sizeof(SettingsBlock)) << request.name;
    for (const std::string& field : request.fields) EXPECT_TRUE(GetField(block, field)) << request.name << " " << field;
  }
  EXPECT_EQ(FindRequest(0xF2020), nullptr);
  EXPECT_STREQ(RequestName(0), "");
}

}  // namespace
}  // namespace qx
