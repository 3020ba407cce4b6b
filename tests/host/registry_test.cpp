// The registry calls against a real database in a fresh machine root.
#include "host/registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/machine_root.h"
#include "tests/host/registry_dump.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

class RegistryTest : public ::testing::Test {
 protected:
  test::TempRoot root;

  HKEY Create(const char* path, HKEY base = HKEY_LOCAL_MACHINE) {
    HKEY key = 0;
    EXPECT_EQ(RegCreateKeyA(base, path, &key), ERROR_SUCCESS) << path;
    return key;
  }
  static LONG SetBytes(HKEY key, const char* name, DWORD type, const std::string& bytes) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
  }
  // The value's bytes, or "<rc>" when the query fails.
  static std::string Get(HKEY key, const char* name, DWORD* type = nullptr) {
    BYTE buffer[256];
    DWORD size = sizeof buffer;
    LONG rc = RegQueryValueExA(key, name, nullptr, type, buffer, &size);
    if (rc != ERROR_SUCCESS) return "<" + std::to_string(rc) + ">";
    return std::string(reinterpret_cast<char*>(buffer), size);
  }
  static std::string SubkeyName(HKEY key, DWORD index) {
    char name[MAX_KEY_NAME + 1];
    return RegEnumKeyA(key, index, name, sizeof name) == ERROR_SUCCESS ? name : "";
  }
};

TEST_F(RegistryTest, CreateMakesEveryMissingKeyAndOpenFindsThemWithoutRegardToCase) {
  HKEY key = Create("SOFTWARE\\Harlenby\\TouchScreen\\QX-COM");
  HKEY again = 0;
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "software\\HARLENBY\\touchscreen\\qx-com", &again), ERROR_SUCCESS);
  EXPECT_NE(again, key);
  ASSERT_EQ(SetBytes(key, "Name", REG_SZ, std::string("abc\0", 4)), ERROR_SUCCESS);
  EXPECT_EQ(Get(again, "NAME"), std::string("abc\0", 4));

  HKEY middle = 0;
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Harlenby", &middle), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyName(middle, 0), "TouchScreen");  // stored in the case it was created with

  // Creating an existing key with other case opens it and keeps the stored case.
  HKEY same = Create("SOFTWARE\\harlenby\\TOUCHSCREEN");
  EXPECT_EQ(SubkeyName(same, 0), "QX-COM");
  EXPECT_EQ(SubkeyName(middle, 0), "TouchScreen");
  EXPECT_EQ(SubkeyName(middle, 1), "");
  for (HKEY h : {key, again, middle, same}) EXPECT_EQ(RegCloseKey(h), ERROR_SUCCESS);
}

TEST_F(RegistryTest, PathsAndHandlesThatAreNotValid) {
  HKEY key = 0;
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Missing", &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "\\SOFTWARE", &key), ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\\\X", &key), ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\", &key), ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, std::string(256, 'k').c_str(), &key), ERROR_BAD_PATHNAME);
  // Line breaks in a key name: refused by every call that takes a path, so none can be made.
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\A\rB", &key), ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\A\nB\\C", &key), ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "A\r", &key), ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "\nA"), ERROR_BAD_PATHNAME);
  EXPECT_EQ(key, 0u);  // untouched by the failures
  EXPECT_EQ(RegCreateKeyA(0x80000009u, "A", &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCreateKeyA(12345, "A", &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegSetValueExA(0, "v", 0, REG_DWORD, nullptr, 0), ERROR_INVALID_HANDLE);

  HKEY opened = Create(std::string(255, 'k').c_str());
  EXPECT_EQ(RegCloseKey(opened), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(opened), ERROR_INVALID_HANDLE);
  EXPECT_EQ(Get(opened, "v"), "<6>");
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);  // the roots stay usable
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, TheFourRootsAreSeparate) {
  HKEY machine = Create("Control Panel\\Mouse", HKEY_LOCAL_MACHINE);
  HKEY user = Create("Control Panel\\Mouse", HKEY_CURRENT_USER);
  ASSERT_EQ(SetBytes(machine, "DoubleClickSpeed", REG_SZ, std::string("500\0", 4)), ERROR_SUCCESS);
  EXPECT_EQ(Get(user, "DoubleClickSpeed"), "<2>");
  HKEY other = 0;
  EXPECT_EQ(RegOpenKeyA(HKEY_USERS, "Control Panel", &other), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Control Panel", &other), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, DeletingAKeyDeletesItsSubtreeAndItsHandlesNeverComeBack) {
  HKEY a = Create("A");
  HKEY c = Create("A\\B\\C");
  ASSERT_EQ(SetBytes(c, "x", REG_DWORD, std::string(4, '\1')), ERROR_SUCCESS);
  HKEY sibling = Create("AB");
  ASSERT_EQ(SetBytes(sibling, "kept", REG_BINARY, "\x01"), ERROR_SUCCESS);

  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "a"), ERROR_SUCCESS);
  HKEY gone = 0;
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "A\\B\\C", &gone), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "A", &gone), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Get(c, "x"), "<1018>");
  EXPECT_EQ(SetBytes(a, "y", REG_DWORD, "1234"), ERROR_KEY_DELETED);
  EXPECT_EQ(Get(sibling, "kept"), "\x01");
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "A"), ERROR_FILE_NOT_FOUND);

  // A key made again under the same name is a new key: the old handles stay dead, no values return.
  HKEY again = Create("A\\B\\C");
  EXPECT_EQ(Get(c, "x"), "<1018>");
  EXPECT_EQ(Get(again, "x"), "<2>");
}

TEST_F(RegistryTest, QueryGivesTypeAndSizeWithoutABufferAndMoreDataWhenShort) {
  HKEY key = Create("K");
  ASSERT_EQ(SetBytes(key, "Text", REG_SZ, std::string("hello\0", 6)), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExA(key, "text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 6u);

  BYTE small[4] = {'#', '#', '#', '#'};
  size = sizeof small;
  type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(small), 4), "####");
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, small, nullptr), ERROR_INVALID_PARAMETER);

  BYTE exact[6];
  size = sizeof exact;
  ASSERT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, exact, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(exact), 6), std::string("hello\0", 6));
  EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ValuesKeepTheirBytesTypeAndFirstWrittenCase) {
  HKEY key = Create("K");
  ASSERT_EQ(SetBytes(key, "Empty", REG_SZ, ""), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key, "Odd", 0x12345678u, std::string("\0\xff\0", 3)), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key, nullptr, REG_SZ, std::string("default\0", 8)), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key, "CalibrationMode", REG_SZ, std::string("1\0", 2)), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key, "CALIBRATIONMODE", REG_DWORD, std::string("\1\0\0\0", 4)), ERROR_SUCCESS);

  DWORD type = 0;
  EXPECT_EQ(Get(key, "Empty", &type), "");
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(Get(key, "ODD", &type), std::string("\0\xff\0", 3));
  EXPECT_EQ(type, 0x12345678u);
  EXPECT_EQ(Get(key, "", &type), std::string("default\0", 8));  // "" and null are the unnamed value
  EXPECT_EQ(Get(key, "calibrationmode", &type), std::string("\1\0\0\0", 4));
  EXPECT_EQ(type, REG_DWORD);

  // Enumeration: in order of names without regard to case; the overwritten value kept its first case.
  std::vector<std::string> names;
  for (const auto& v : test::DumpValues(key)) names.push_back(v.name);
  EXPECT_EQ(names, (std::vector<std::string>{"", "CalibrationMode", "Empty", "Odd"}));

  EXPECT_EQ(RegDeleteValueA(key, "odd"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "Odd"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Get(key, "Odd"), "<2>");
}

TEST_F(RegistryTest, EnumerationEndsWithNoMoreItemsAndReportsShortBuffers) {
  HKEY key = Create("K");
  Create("K\\beta");
  Create("K\\Alpha");
  ASSERT_EQ(SetBytes(key, "LongValueName", REG_BINARY, "\x01\x02"), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyName(key, 0), "Alpha");
  EXPECT_EQ(SubkeyName(key, 1), "beta");
  char name[MAX_KEY_NAME + 1];
  EXPECT_EQ(RegEnumKeyA(key, 2, name, sizeof name), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegEnumKeyA(key, 0, name, 5), ERROR_MORE_DATA);  // "Alpha" needs 6 with its NUL

  DWORD nameSize = 5, type = 0, size = 0;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, &type, nullptr, &size), ERROR_MORE_DATA);
  nameSize = sizeof name;
  BYTE data[1];
  size = sizeof data;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, &type, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 2u);
  nameSize = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 1, name, &nameSize, nullptr, &type, nullptr, &size), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryTest, ABatchTakesEffectWholeOrNotAtAll) {
  HKEY key = Create("K");
  ASSERT_EQ(RegBeginBatch(), ERROR_SUCCESS);
  EXPECT_EQ(RegBeginBatch(), ERROR_INVALID_PARAMETER);
  ASSERT_EQ(SetBytes(key, "a", REG_BINARY, "\x01"), ERROR_SUCCESS);
  HKEY sub = Create("K\\Sub");
  ASSERT_EQ(RegEndBatch(false), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, "a"), "<2>");
  EXPECT_EQ(Get(sub, "a"), "<1018>");  // the key made in the batch is gone with it

  ASSERT_EQ(RegBeginBatch(), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key, "a", REG_BINARY, "\x02"), ERROR_SUCCESS);
  ASSERT_EQ(RegEndBatch(true), ERROR_SUCCESS);
  EXPECT_EQ(Get(key, "a"), "\x02");
  EXPECT_EQ(RegEndBatch(true), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, EachRootHasItsOwnRegistry) {
  HKEY key = Create("OnlyHere");
  ASSERT_EQ(SetBytes(key, "v", REG_BINARY, "\x01"), ERROR_SUCCESS);
  EXPECT_TRUE(std::filesystem::exists(root.path() + "/registry.db"));
  {
    test::TempRoot other;
    HKEY missing = 0;
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "OnlyHere", &missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(key, "v"), "<6>");  // handles belong to the root they were opened in
  }
  HKEY back = 0;
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "OnlyHere", &back), ERROR_SUCCESS);
  EXPECT_EQ(Get(back, "v"), "\x01");
}

// A root reached through a link (a home behind /home -> /var/home) holds its registry as any other.
TEST_F(RegistryTest, ARootReachedThroughALinkOpens) {
  std::filesystem::create_directory(root.path() + "/real");
  std::filesystem::create_directory_symlink("real", root.path() + "/home");
  SetMachineRoot(root.path() + "/home/qx-com");
  EXPECT_EQ(SetBytes(Create("Through"), "v", REG_BINARY, "\x01"), ERROR_SUCCESS);
  EXPECT_TRUE(std::filesystem::exists(root.path() + "/real/qx-com/registry.db"));
}

TEST_F(RegistryTest, ADamagedDatabaseGivesFailuresNotACrash) {
  test::WriteFile(root.path() + "/registry.db", std::string(8192, 'x'));
  HKEY key = 0;
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "A", &key), ERROR_REGISTRY_IO_FAILED);
  EXPECT_EQ(key, 0u);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(HKEY_LOCAL_MACHINE, "v", nullptr, nullptr, nullptr, &size), ERROR_REGISTRY_IO_FAILED);
  EXPECT_EQ(RegBeginBatch(), ERROR_REGISTRY_IO_FAILED);
}

}  // namespace
}  // namespace qx
