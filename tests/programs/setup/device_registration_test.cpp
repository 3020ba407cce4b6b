// The device registration in process, against the real registry and INF file of a temporary root.
#include "programs/setup/device_registration.h"

#include <gtest/gtest.h>

#include "core/registry_access.h"
#include "core/settings_store.h"
#include "host/program_state.h"
#include "platform/ini_file.h"
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

  const std::string c = "System\\CurrentControlSet\\Services\\Class\\Mouse\\0002";
  EXPECT_EQ(Text(c, "DevLoader"), "*vmouse");
  EXPECT_EQ(Text(c, "DriverDesc"), "\"TouchScreen - Serial Mouse Driver V.7.0.COM\"");
  EXPECT_EQ(Text(c, "InfPath"), "QXWMECOM.INF");
  EXPECT_EQ(Text(c, "InfSection"), "QxCOM");
  EXPECT_EQ(Text(c, "MouseType"), "Serial");
  EXPECT_EQ(Text(c, "NoSetupUI"), "4");
  EXPECT_EQ(Text(c, "MouseDriver"), "QXWMECOM.VXD");
  const std::string e = "Enum\\Root\\Mouse\\0000";
  EXPECT_EQ(Text(e, "InfName"), "QXWMECOM.INF");
  EXPECT_EQ(Text(e, "InfSection"), "QxCOM");
  EXPECT_EQ(Text(e, "DeviceDesc"), "TouchScreen - Serial Mouse Driver V.7.0.COM");
  EXPECT_EQ(Text(e, "Class"), "Mouse");
  EXPECT_EQ(Text(e, "HardwareID"), "MOUSE");
  EXPECT_EQ(Text(e, "Driver"), "Mouse\\0002");
  EXPECT_EQ(Text(e, "Mfg"), "TouchScreen");

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
