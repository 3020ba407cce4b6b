// The device registration in process, against the real registry and INF file of a temporary root.
#include "programs/setup/device_registration.h"

#include <gtest/gtest.h>

#include <map>

#include "core/registry_access.h"
#include "core/settings_store.h"
#include "host/program_state.h"
#include "platform/ini_file.h"
#include "tests/host/registry_dump.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

class DeviceRegistration : public ::testing::Test {
 protected:
  void SetUp() override {
    WindowsPath = "C:\\WINDOWS";
    InstallPath = "C:\\Program Files\\TouchScreen\\QX-COM";
    test::WriteFile(root.path() + "/drive_c/WINDOWS/inf/QXWMECOM.INF", "[Version]\r\nClass=Mouse\r\n\r\n[Strings]\r\n");
  }
  void TearDown() override { ResetProgramState(); }

  static void MakeKey(const std::string& path) {
    HKEY key = 0;
    std::string none;
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, path, none, key));
    CloseKey(key);
  }
  // The text NAME of the key at PATH; "<none>" when it or its key is missing.
  static std::string Text(const std::string& path, const std::string& name) {
    HKEY key = 0;
    std::string text = "<none>";
    if (OpenKey(HKEY_LOCAL_MACHINE, path, key)) {
      QueryString(key, name, text);
      CloseKey(key);
    }
    return text;
  }
  // Every value of the key at PATH, each a REG_SZ with its terminating zero, as text.
  using TextValues = std::map<std::string, std::string>;
  static TextValues Texts(const std::string& path) {
    TextValues texts;
    HKEY key = 0;
    if (!OpenKey(HKEY_LOCAL_MACHINE, path, key)) return texts;
    for (const test::DumpedValue& value : test::DumpValues(key)) {
      EXPECT_EQ(value.type, REG_SZ) << value.name;
      std::string text(value.data.begin(), value.data.end());
      EXPECT_TRUE(!text.empty() && text.back() == '\0') << value.name << ": the terminating zero";
      if (!text.empty() && text.back() == '\0') text.pop_back();
      texts[value.name] = text;
    }
    CloseKey(key);
    return texts;
  }
  std::string Inf(const std::string& key) const {
    return ReadIniString("C:\\WINDOWS\\inf\\QXWMECOM.INF", "Strings", key);
  }

  test::TempRoot root;
};

TEST_F(DeviceRegistration, FillsTheInfAndTheLowestFreeInstancesAfterAnotherMouse) {
  MakeKey("System\\CurrentControlSet\\Services\\Class\\Mouse\\0000");
  MakeKey("System\\CurrentControlSet\\Services\\Class\\Mouse\\0001");
  MakeKey("System\\CurrentControlSet\\Services\\Class\\Mouse\\0003");
  EXPECT_EQ(FreeInstance(HKEY_LOCAL_MACHINE, kMouseEnumPath), "0000");
  ASSERT_TRUE(RegisterDevice());

  EXPECT_EQ(Inf("OEM_NAME"), "TouchScreen") << "the reading call drops the quotes";
  EXPECT_NE(test::ReadFile(root.path() + "/drive_c/WINDOWS/inf/QXWMECOM.INF")
                .find("OEM_CALL=\"TouchScreen - Serial Mouse Driver V.7.0.COM\"\r\n"),
            std::string::npos);
  EXPECT_EQ(Inf("InstallPath"), "C:\\Program Files\\TouchScreen\\QX-COM");

  const std::string description = "TouchScreen - Serial Mouse Driver V.7.0.COM";
  EXPECT_EQ(Texts("System\\CurrentControlSet\\Services\\Class\\Mouse\\0002"),
            (TextValues{{"DevLoader", "*vmouse"},
                        {"DriverDesc", "\"" + description + "\""},
                        {"InfPath", "QXWMECOM.INF"},
                        {"InfSection", "QxCOM"},
                        {"MouseType", "Serial"},
                        {"NoSetupUI", "4"},
                        {"MouseDriver", "QXWMECOM.VXD"}}));
  EXPECT_EQ(Texts("Enum\\Root\\Mouse\\0000"), (TextValues{{"InfName", "QXWMECOM.INF"},
                                                          {"InfSection", "QxCOM"},
                                                          {"DeviceDesc", description},
                                                          {"Class", "Mouse"},
                                                          {"HardwareID", "MOUSE"},
                                                          {"Driver", "Mouse\\0002"},
                                                          {"Mfg", "TouchScreen"}}));

  // A second registration takes the next free instances.
  ASSERT_TRUE(RegisterDevice());
  EXPECT_EQ(Text("Enum\\Root\\Mouse\\0001", "Driver"), "Mouse\\0004");
}

TEST_F(DeviceRegistration, StopsAtTheFirstFailureAndKeepsWhatWasWritten) {
  test::WriteFile(root.path() + "/run/failing-calls", "RegSetValueExA:InfSection");
  EXPECT_FALSE(RegisterDevice());
  const std::string c = "System\\CurrentControlSet\\Services\\Class\\Mouse\\0000";
  EXPECT_EQ(Text(c, "InfPath"), "QXWMECOM.INF");
  EXPECT_EQ(Text(c, "InfSection"), "<none>");
  EXPECT_EQ(Text(c, "MouseType"), "<none>") << "nothing after the failure";
  EXPECT_EQ(Text("Enum\\Root\\Mouse\\0000", "InfName"), "<none>");

  test::WriteFile(root.path() + "/run/failing-calls", "RegCreateKeyA:Enum\\Root\\Mouse\\0000");
  EXPECT_FALSE(RegisterDevice());
  EXPECT_EQ(Text("System\\CurrentControlSet\\Services\\Class\\Mouse\\0001", "MouseDriver"), "QXWMECOM.VXD");

  test::WriteFile(root.path() + "/run/failing-calls", "WritePrivateProfileStringA");
  EXPECT_FALSE(RegisterDevice());
  EXPECT_EQ(Text("System\\CurrentControlSet\\Services\\Class\\Mouse\\0002", "DevLoader"), "<none>")
      << "a failed INF write stops before the registry";
}

}  // namespace
}  // namespace qx
