// RegistryAccess over the real registry database of a fresh machine root.
#include "core/registry_access.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_root.h"

namespace qx {
namespace {

class RegistryAccessTest : public ::testing::Test {
 protected:
  test::TempRoot root;
  HKEY key = 0;

  void SetUp() override {
    std::string sub = "QX-COM";
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Harlenby\\TouchScreen", sub, key));
  }
  void TearDown() override { CloseKey(key); }

  // The stored bytes and type of NAME.
  std::vector<BYTE> Stored(const std::string& name, DWORD& type) {
    BYTE buffer[64];
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, buffer, &size) != ERROR_SUCCESS) return {0xEE};
    return std::vector<BYTE>(buffer, buffer + size);
  }
  std::vector<BYTE> Binary(const std::string& hexText) {
    EXPECT_TRUE(SetBinary(key, "Bytes", hexText));
    DWORD type = 0;
    std::vector<BYTE> bytes = Stored("Bytes", type);
    EXPECT_EQ(type, REG_BINARY);
    return bytes;
  }
};

TEST_F(RegistryAccessTest, CreateKeyJoinsThePathAndDropsTheSubKeysLeadingBackslash) {
  std::string sub = "\\QX-COM";
  HKEY same = 0;
  ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Harlenby\\TouchScreen", sub, same));
  EXPECT_EQ(sub, "QX-COM");  // the caller's variable lost its backslash
  ASSERT_TRUE(SetDword(same, "CalibrationMode", 1));
  std::int32_t mode = 0;
  EXPECT_TRUE(QueryDword(key, "CalibrationMode", mode));
  EXPECT_EQ(mode, 1);
  CloseKey(same);

  std::string none;
  HKEY parent = 0;
  ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Harlenby", none, parent));  // the key path alone
  HKEY child = 0;
  EXPECT_TRUE(OpenKey(parent, "TouchScreen\\QX-COM", child));
  CloseKey(child);
  CloseKey(parent);
}

TEST_F(RegistryAccessTest, CreateKeyWithAnEmptyPathFailsWithoutTouchingTheRegistry) {
  test::TempRoot fresh;
  std::string sub = "\\X";
  HKEY out = 77;
  EXPECT_FALSE(CreateKey(HKEY_LOCAL_MACHINE, "", sub, out));
  EXPECT_EQ(out, 77u);
  EXPECT_EQ(sub, "\\X");
  EXPECT_FALSE(std::filesystem::exists(fresh.path() + "/registry.db"));  // no call was made
}

TEST_F(RegistryAccessTest, OpenKeyNeedsTheKeyAndDeleteKeyTakesTheSubtree) {
  HKEY out = 5;
  EXPECT_FALSE(OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nowhere", out));
  EXPECT_EQ(out, 5u);
  EXPECT_TRUE(DeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Harlenby"));
  EXPECT_FALSE(OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Harlenby\\TouchScreen\\QX-COM", out));
  EXPECT_FALSE(DeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Harlenby"));
  EXPECT_TRUE(CloseKey(key));
  EXPECT_FALSE(CloseKey(key));
}

TEST_F(RegistryAccessTest, QueryStringReadsOnlyTextAndCutsAtTheFirstNul) {
  const std::string raw("abc\0more", 8);
  ASSERT_EQ(RegSetValueExA(key, "Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw.data()), 8), ERROR_SUCCESS);
  std::string text = "unchanged";
  EXPECT_TRUE(QueryString(key, "Raw", text));
  EXPECT_EQ(text, "abc");

  ASSERT_TRUE(SetDword(key, "Number", 30));
  text = "unchanged";
  EXPECT_FALSE(QueryString(key, "Number", text));
  EXPECT_FALSE(QueryString(key, "Missing", text));
  EXPECT_EQ(text, "unchanged");

  // Without a terminating NUL the whole text is the value.
  ASSERT_EQ(RegSetValueExA(key, "NoNul", 0, REG_SZ, reinterpret_cast<const BYTE*>("xyz"), 3), ERROR_SUCCESS);
  EXPECT_TRUE(QueryString(key, "nonul", text));
  EXPECT_EQ(text, "xyz");
  ASSERT_EQ(RegSetValueExA(key, "Zero", 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
  EXPECT_TRUE(QueryString(key, "Zero", text));
  EXPECT_EQ(text, "");
}

TEST_F(RegistryAccessTest, QueryDwordReadsOnlyFourByteDwords) {
  ASSERT_TRUE(SetString(key, "Text", "1"));
  std::int32_t value = 42;
  EXPECT_FALSE(QueryDword(key, "Text", value));
  EXPECT_EQ(value, 42);
  ASSERT_EQ(RegSetValueExA(key, "Short", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\x07\x00"), 2), ERROR_SUCCESS);
  EXPECT_FALSE(QueryDword(key, "Short", value));
  EXPECT_EQ(value, 42);
  ASSERT_TRUE(SetDword(key, "Negative", -2));
  EXPECT_TRUE(QueryDword(key, "Negative", value));
  EXPECT_EQ(value, -2);
  DWORD type = 0;
  EXPECT_EQ(Stored("Negative", type), (std::vector<BYTE>{0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(type, REG_DWORD);
}

TEST_F(RegistryAccessTest, SetStringWritesTheTextAndItsNulAndRefusesHandleZero) {
  ASSERT_TRUE(SetString(key, "VenderName", "Harlenby"));
  DWORD type = 0;
  std::vector<BYTE> bytes = Stored("VenderName", type);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::string("Harlenby\0", 9));
  EXPECT_EQ(type, REG_SZ);
  ASSERT_TRUE(SetString(key, "Empty", ""));
  EXPECT_EQ(Stored("Empty", type), (std::vector<BYTE>{0}));
  EXPECT_FALSE(SetString(0, "VenderName", "x"));
  EXPECT_FALSE(SetDword(0, "x", 1));
}

TEST_F(RegistryAccessTest, SetBinaryReadsOneBytePerThreeCharacters) {
  EXPECT_EQ(Binary("01 02 FF"), (std::vector<BYTE>{0x01, 0x02, 0xFF}));
  EXPECT_EQ(Binary("12 AB 00 "), (std::vector<BYTE>{0x12, 0xAB, 0x00}));  // last separator optional
  EXPECT_EQ(Binary("ab,cd"), (std::vector<BYTE>{0xAB, 0xCD}));            // any separator character
  EXPECT_EQ(Binary(""), (std::vector<BYTE>{}));
  EXPECT_EQ(Binary("7"), (std::vector<BYTE>{0x07}));           // a lone digit
  EXPECT_EQ(Binary("10 2"), (std::vector<BYTE>{0x10, 0x02}));  // a short last group
  // A character that is not a hex digit ends the number: 1G reads as 1, G1 as 0.
  EXPECT_EQ(Binary("1G G1 zz f"), (std::vector<BYTE>{0x01, 0x00, 0x00, 0x0F}));
}

}  // namespace
}  // namespace qx
