// qxreg run as a real process against the registry of a temporary root.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "host/machine_root.h"
#include "host/registry.h"
#include "tests/host/registry_dump.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

test::RunResult Qxreg(std::vector<std::string> args) {
  args.insert(args.begin(), test::Program("qxreg"));
  return test::Run(args);
}

HKEY Create(HKEY root, const char* path) {
  HKEY key = 0;
  EXPECT_EQ(RegCreateKeyA(root, path, &key), ERROR_SUCCESS) << path;
  return key;
}

void Set(HKEY key, const char* name, DWORD type, const std::string& bytes) {
  ASSERT_EQ(
      RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())),
      ERROR_SUCCESS);
}

// A registry with every kind of value that must survive export and import.
void FillRegistry() {
  HKEY suite = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Harlenby\\TouchScreen\\QX-COM");
  Set(suite, "VenderName", REG_SZ, std::string("Harlenby\0", 9));
  Set(suite, "InstallPath", REG_SZ, std::string("C:\\Program Files\\\"Quoted\"\0", 26));
  Set(suite, "Empty", REG_SZ, std::string("\0", 1));
  Set(suite, "NoBytes", REG_SZ, "");
  Set(suite, "NoNul", REG_SZ, "abc");
  Set(suite, "Lines", REG_SZ, std::string("a\r\nb\0c\0", 7));
  Set(suite, "CalibrationMode", REG_DWORD, std::string("\x1e\0\0\0", 4));
  Set(suite, "ShortDword", REG_DWORD, std::string("\x01\x02", 2));
  Set(suite, "PanelDirection", REG_BINARY, std::string("\xb0\x04", 2));
  Set(suite, "EmptyBinary", REG_BINARY, "");
  std::string big;
  for (int i = 0; i < 200; ++i) big += static_cast<char>(i);
  Set(suite, "Big", REG_BINARY, big);
  Set(suite, "Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
  Set(suite, "Odd \\ \"name\"", 0xFFFFFFFFu, "x");
  Set(suite, nullptr, REG_SZ, std::string("unnamed\0", 8));
  // Written again with other case: one value, first case kept, last data.
  Set(suite, "VENDERNAME", REG_SZ, std::string("Harlenby Ltd\0", 13));
  HKEY mixed = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Harlenby\\Mixed");
  Set(mixed, "n", REG_DWORD, std::string(4, '\0'));
  HKEY sameAgain = Create(HKEY_LOCAL_MACHINE, "software\\HARLENBY\\MIXED\\Empty Key");
  for (HKEY k : {suite, mixed, sameAgain}) RegCloseKey(k);
  HKEY user = Create(HKEY_CURRENT_USER, "Control Panel\\Mouse");
  Set(user, "DoubleClickSpeed", REG_SZ, std::string("500\0", 4));
  RegCloseKey(user);
}

TEST(Qxreg, ExportThenImportIntoAnEmptyRootGivesBackEveryKeyAndValue) {
  test::TempRoot source;
  FillRegistry();
  const auto original = test::DumpRegistry();
  const std::string machineFile = source.path() + "/machine.reg", userFile = source.path() + "/user.reg";
  ASSERT_EQ(Qxreg({"export", "hklm\\software", machineFile}).exitCode, 0);
  ASSERT_EQ(Qxreg({"export", "HKEY_CURRENT_USER\\Control Panel", userFile}).exitCode, 0);
  const std::string text = test::ReadFile(machineFile);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Harlenby\\Mixed]\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"VenderName\"=\"Harlenby Ltd\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"InstallPath\"=\"C:\\\\Program Files\\\\\\\"Quoted\\\"\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"CalibrationMode\"=dword:0000001e\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"PanelDirection\"=hex:b0,04\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Empty\"=\"\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("@=\"unnamed\"\r\n"), std::string::npos);

  test::TempRoot target;
  ASSERT_EQ(Qxreg({"import", machineFile}).exitCode, 0);
  ASSERT_EQ(Qxreg({"--root", target.path(), "import", userFile}).exitCode, 0);
  EXPECT_EQ(test::DumpRegistry(), original);

  // Exported again, the copy gives the same file byte for byte.
  const std::string again = target.path() + "/again.reg";
  ASSERT_EQ(Qxreg({"export", "HKLM\\SOFTWARE", again}).exitCode, 0);
  EXPECT_EQ(test::ReadFile(again), text);
}

TEST(Qxreg, ImportFindsNamesWrittenInOtherCaseAndKeepsTheStoredCase) {
  test::TempRoot root;
  HKEY key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\HARLENBY");
  Set(key, "vendername", REG_SZ, std::string("old\0", 4));
  Set(key, "Gone", REG_SZ, std::string("x\0", 2));
  HKEY old = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Old\\Deeper");
  RegCloseKey(old);
  test::WriteFile(root.path() + "/in.reg",
                  "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Harlenby]\n\"VenderName\"=\"new\"\n\"GONE\"=-\n"
                  "\"Bytes\"=hex:01,02,\\\n  03\n\n[-HKLM\\software\\old]\n[-HKLM\\software\\never there]\n");
  auto result = Qxreg({"import", root.path() + "/in.reg"});
  ASSERT_EQ(result.exitCode, 0) << result.err;

  const auto dump = test::DumpRegistry();
  ASSERT_TRUE(dump.count("HKEY_LOCAL_MACHINE\\SOFTWARE\\HARLENBY"));
  EXPECT_FALSE(dump.count("HKEY_LOCAL_MACHINE\\SOFTWARE\\Old"));
  const auto& values = dump.at("HKEY_LOCAL_MACHINE\\SOFTWARE\\HARLENBY");
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0], (test::DumpedValue{"Bytes", REG_BINARY, {1, 2, 3}}));
  EXPECT_EQ(values[1], (test::DumpedValue{"vendername", REG_SZ, {'n', 'e', 'w', 0}}));
}

struct BadFile {
  std::string text;
  int line;
  const char* message;
};

// How a case is named in the test's output: the line and the message it expects.
void PrintTo(const BadFile& file, std::ostream* out) { *out << "line " << file.line << ": " << file.message; }

class QxregMalformed : public ::testing::TestWithParam<BadFile> {};

TEST_P(QxregMalformed, IsRefusedWithItsLineNumberAndChangesNothing) {
  test::TempRoot root;
  FillRegistry();
  const auto before = test::DumpRegistry();
  const std::string file = root.path() + "/bad.reg";
  test::WriteFile(file, GetParam().text);
  auto result = Qxreg({"import", file});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find(file + ":" + std::to_string(GetParam().line) + ": "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find(GetParam().message), std::string::npos) << result.err;
  EXPECT_EQ(test::DumpRegistry(), before);
}

// Each file first changes something real (a value, a key deletion), so a partial import would show.
#define GOOD_START                                                                                    \
  "REGEDIT4\r\n\r\n[HKLM\\SOFTWARE\\Harlenby\\TouchScreen\\QX-COM]\r\n\"VenderName\"=\"Changed\"\r\n" \
  "[-HKLM\\SOFTWARE\\Harlenby\\Mixed]\r\n[HKLM\\SOFTWARE\\New]\r\n"
INSTANTIATE_TEST_SUITE_P(
    Files, QxregMalformed,
    ::testing::Values(BadFile{"", 1, "not a REGEDIT4 file"},
                      BadFile{"\n\nWindows Registry Editor Version 5.00\n", 3, "not a REGEDIT4 file"},
                      BadFile{"REGEDIT4\n\"a\"=\"b\"\n", 2, "before the first key"},
                      BadFile{GOOD_START "[HKLM\\SOFTWARE\\X\r\n", 7, "must end with"},
                      BadFile{GOOD_START "[HKEY_NOWHERE\\X]\r\n", 7, "bad key name"},
                      BadFile{GOOD_START "[HKLM\\A\\\\B]\r\n", 7, "bad key name"},
                      BadFile{GOOD_START "[-HKLM]\r\n", 7, "root key cannot be deleted"},
                      BadFile{GOOD_START "\"Path\"=\"C:\\WINDOWS\"\r\n", 7, "unknown escape"},
                      BadFile{GOOD_START "\"Open\"=\"text\r\n", 7, "no closing quote"},
                      BadFile{GOOD_START "\"Extra\"=\"text\" junk\r\n", 7, "after the closing quote"},
                      BadFile{GOOD_START "\"N\"=dword:123456789\r\n", 7, "dword:"},
                      BadFile{GOOD_START "\"N\"=dword:\r\n", 7, "dword:"},
                      BadFile{GOOD_START "\"B\"=hex:01,0g\r\n", 7, "bad byte"},
                      BadFile{GOOD_START "\"B\"=hex:01,,02\r\n", 7, "bad byte"},
                      BadFile{GOOD_START "\"B\"=hex(zz):01\r\n", 7, "hex(N)"},
                      BadFile{GOOD_START "\"B\"=hex:01,\\\r\n", 7, "continued hex list"},
                      BadFile{GOOD_START "\"B\"=text\r\n", 7, "unknown value data"},
                      BadFile{GOOD_START "\"B\" \"C\"=\"x\"\r\n", 7, "expected \"=\""},
                      BadFile{GOOD_START "B=\"x\"\r\n", 7, "expected a key"},
                      BadFile{GOOD_START "[-HKLM\\SOFTWARE\\Y]\r\n\"v\"=\"x\"\r\n", 8, "being deleted"},
                      // A NUL would cut the name where the registry takes it: the key would be
                      // HKLM\SOFTWARE itself, or HKCU\Software\A.
                      BadFile{std::string(GOOD_START "[-HKEY_LOCAL_MACHINE\\SOFTWARE") + '\0' + "\\Unrelated]\r\n", 7,
                              "a key name may not hold a NUL, CR or LF"},
                      BadFile{std::string(GOOD_START "[HKCU\\Software\\A") + '\0' + "B\\C]\r\n", 7,
                              "a key name may not hold a NUL, CR or LF"},
                      BadFile{GOOD_START "[HKCU\\Software\\A\rB]\r\n", 7, "a key name may not hold a NUL, CR or LF"},
                      BadFile{std::string(GOOD_START "\"Vender") + '\0' + "Name\"=\"x\"\r\n", 7,
                              "a value name may not hold a NUL, CR or LF"},
                      BadFile{GOOD_START "\"Vender\rName\"=\"x\"\r\n", 7,
                              "a value name may not hold a NUL, CR or LF"}));

TEST(Qxreg, QueryShowsStoredNamesTypesAndSubkeys) {
  test::TempRoot root;
  FillRegistry();
  auto result = Qxreg({"query", "hklm\\software\\harlenby"});
  ASSERT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out,
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Harlenby\n\n"
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Harlenby\\Mixed\n"
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Harlenby\\TouchScreen\n");
  result = Qxreg({"query", "HKLM\\SOFTWARE\\Harlenby\\TouchScreen\\QX-COM", "/v", "calibrationmode"});
  EXPECT_EQ(result.out,
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Harlenby\\TouchScreen\\QX-COM\n"
            "    CalibrationMode    REG_DWORD    0x1e\n");
  result = Qxreg({"query", "HKLM\\SOFTWARE\\Harlenby\\TouchScreen\\QX-COM", "/ve"});
  EXPECT_NE(result.out.find("    (Default)    REG_SZ    unnamed\n"), std::string::npos);
  result = Qxreg({"query", "HKLM\\SOFTWARE\\Harlenby\\TouchScreen\\QX-COM", "/v", "PanelDirection"});
  EXPECT_NE(result.out.find("    PanelDirection    REG_BINARY    B004\n"), std::string::npos);
  EXPECT_EQ(Qxreg({"query", "HKLM\\SOFTWARE\\Harlenby\\TouchScreen\\QX-COM", "/v", "Missing"}).exitCode, 1);
  EXPECT_EQ(Qxreg({"query", "HKLM\\SOFTWARE\\Nowhere"}).exitCode, 1);
  EXPECT_EQ(Qxreg({"query", "HKXX\\SOFTWARE"}).exitCode, 64);
}

// A database that cannot be opened (a link planted as registry.db) fails the query: it is no absence.
TEST(Qxreg, ADatabaseThatCannotBeOpenedIsNoMissingKey) {
  test::TempRoot root;
  std::filesystem::create_symlink(root.path() + "/elsewhere.db", root.path() + "/registry.db");
  const auto result = Qxreg({"query", "HKLM\\SOFTWARE"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("the registry database cannot be read or written"), std::string::npos) << result.err;
}

// Value names of any length are listed, the long ones and every one after them.
TEST(Qxreg, QueryListsValuesWithLongNames) {
  test::TempRoot root;
  HKEY key = Create(HKEY_CURRENT_USER, "Long");
  const std::string longName(5000, 'a');
  Set(key, longName.c_str(), REG_DWORD, std::string("\x01\0\0\0", 4));
  Set(key, "b", REG_SZ, std::string("after\0", 6));
  RegCloseKey(key);
  auto result = Qxreg({"query", "HKCU\\Long"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out,
            "HKEY_CURRENT_USER\\Long\n    " + longName + "    REG_DWORD    0x1\n    b    REG_SZ    after\n");
  result = Qxreg({"query", "HKCU\\Long", "/v", std::string(5000, 'A')});
  EXPECT_EQ(result.out, "HKEY_CURRENT_USER\\Long\n    " + longName + "    REG_DWORD    0x1\n") << "the stored name";
}

TEST(Qxreg, AddWritesTypedValuesAndOverwritesOnlyWithF) {
  test::TempRoot root;
  const std::string key = "HKLM\\SOFTWARE\\Harlenby\\TouchScreen\\QX-COM";
  EXPECT_EQ(Qxreg({"add", key, "/v", "Mode", "/t", "REG_DWORD", "/d", "0x1E"}).exitCode, 0);
  EXPECT_EQ(Qxreg({"add", key, "/v", "Speed", "/t", "reg_dword", "/d", "4294967295"}).exitCode, 0);
  EXPECT_EQ(Qxreg({"add", key, "/v", "Bytes", "/t", "REG_BINARY", "/d", "B004"}).exitCode, 0);
  EXPECT_EQ(Qxreg({"add", key, "/v", "Text"}).exitCode, 0);  // REG_SZ "" by default
  EXPECT_EQ(Qxreg({"add", "HKCU\\Only\\A\\Key"}).exitCode, 0);
  for (const char* bad : {"4294967296", "-1", "12x", ""})
    EXPECT_EQ(Qxreg({"add", key, "/v", "Bad", "/t", "REG_DWORD", "/d", bad}).exitCode, 64) << bad;
  EXPECT_EQ(Qxreg({"add", key, "/v", "Bad", "/t", "REG_BINARY", "/d", "B00"}).exitCode, 64);
  EXPECT_EQ(Qxreg({"add", key, "/v", "Bad", "/t", "REG_QWORD", "/d", "1"}).exitCode, 64);
  EXPECT_EQ(Qxreg({"add", key, "/t", "REG_SZ"}).exitCode, 64);

  auto refused = Qxreg({"add", key, "/v", "MODE", "/t", "REG_DWORD", "/d", "5"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("use /f"), std::string::npos);
  EXPECT_EQ(Qxreg({"add", key, "/v", "Speed", "/t", "REG_SZ", "/d", "fast", "/f"}).exitCode, 0);

  const auto dump = test::DumpRegistry();
  EXPECT_TRUE(dump.count("HKEY_CURRENT_USER\\Only\\A\\Key"));
  EXPECT_EQ(dump.at("HKEY_LOCAL_MACHINE\\SOFTWARE\\Harlenby\\TouchScreen\\QX-COM"),
            (std::vector<test::DumpedValue>{{"Bytes", REG_BINARY, {0xB0, 0x04}},
                                            {"Mode", REG_DWORD, {0x1E, 0, 0, 0}},
                                            {"Speed", REG_SZ, {'f', 'a', 's', 't', 0}},
                                            {"Text", REG_SZ, {0}}}));
}

TEST(Qxreg, DeleteNeedsFWithoutATerminalAndNeverDeletesARoot) {
  test::TempRoot root;
  FillRegistry();
  const std::string key = "HKLM\\SOFTWARE\\Harlenby\\TouchScreen\\QX-COM";
  EXPECT_EQ(Qxreg({"delete", key, "/v", "VenderName"}).exitCode, 1);
  EXPECT_EQ(Qxreg({"delete", "HKLM\\SOFTWARE\\Harlenby"}).exitCode, 1);
  EXPECT_EQ(Qxreg({"query", key, "/v", "VenderName"}).exitCode, 0);

  EXPECT_EQ(Qxreg({"delete", key, "/v", "vendername", "/f"}).exitCode, 0);
  EXPECT_EQ(Qxreg({"query", key, "/v", "VenderName"}).exitCode, 1);
  EXPECT_EQ(Qxreg({"delete", key, "/v", "VenderName", "/f"}).exitCode, 1);
  EXPECT_EQ(Qxreg({"delete", "HKLM\\software\\harlenby", "/f"}).exitCode, 0);
  EXPECT_EQ(Qxreg({"query", key}).exitCode, 1);
  EXPECT_EQ(Qxreg({"delete", "HKCU", "/f"}).exitCode, 1);
  EXPECT_TRUE(test::DumpRegistry().count("HKEY_CURRENT_USER\\Control Panel\\Mouse"));
}

TEST(Qxreg, RootOptionWinsOverQxRoot) {
  test::TempRoot environment;
  test::TempRoot other;
  SetMachineRoot(environment.path());
  ASSERT_EQ(Qxreg({"--root", other.path(), "add", "HKLM\\There", "/v", "x", "/d", "1"}).exitCode, 0);
  EXPECT_FALSE(test::DumpRegistry().count("HKEY_LOCAL_MACHINE\\There"));
  SetMachineRoot(other.path());
  EXPECT_TRUE(test::DumpRegistry().count("HKEY_LOCAL_MACHINE\\There"));
}

}  // namespace
}  // namespace qx
