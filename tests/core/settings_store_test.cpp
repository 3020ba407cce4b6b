// The settings store: the suite's key read and written through the real registry database.
#include "core/settings_store.h"

#include <gtest/gtest.h>

#include "core/registry_access.h"
#include "host/program_state.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  test::TempRoot root;

  void SetUp() override { ResetProgramState(); }
  static HKEY SuiteKey() {
    std::string sub = SUITE_SUB_KEY;
    HKEY key = 0;
    EXPECT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, SUITE_KEY_PATH, sub, key));
    return key;
  }
  static void WriteRecord(bool withHardwareId) {
    HKEY key = SuiteKey();
    SetString(key, "VenderName", "Harlenby");
    SetString(key, "VenderStyle", "21200904");
    SetString(key, "InstallPath", "C:\\Program Files\\TouchScreen\\QX-COM");
    SetString(key, "WindowsPath", "C:\\WINDOWS");
    SetString(key, "SystemPath", "C:\\WINDOWS\\SYSTEM");
    if (withHardwareId) SetString(key, "HardwareID", "SERENUM\\QXW0001");
    CloseKey(key);
  }
};

TEST_F(SettingsStoreTest, LoadInstallationReadsTheSixTexts) {
  WriteRecord(true);
  ASSERT_TRUE(LoadInstallation());
  EXPECT_EQ(VenderName, "Harlenby");
  EXPECT_EQ(VenderStyle, "21200904");
  EXPECT_EQ(InstallPath, "C:\\Program Files\\TouchScreen\\QX-COM");
  EXPECT_EQ(WindowsPath, "C:\\WINDOWS");
  EXPECT_EQ(SystemPath, "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(HardwareID, "SERENUM\\QXW0001");
}

TEST_F(SettingsStoreTest, AMissingHardwareIdFailsTheLoadButTheOtherTextsAreRead) {
  WriteRecord(false);
  EXPECT_FALSE(LoadInstallation());
  EXPECT_EQ(VenderName, "Harlenby");
  EXPECT_EQ(SystemPath, "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(HardwareID, "");
}

TEST_F(SettingsStoreTest, AFailedReadEarlyOnDoesNotStopTheLaterReads) {
  WriteRecord(true);
  HKEY key = SuiteKey();
  ASSERT_TRUE(SetDword(key, "VenderName", 7));  // the first read fails: not a text
  CloseKey(key);
  EXPECT_FALSE(LoadInstallation());
  EXPECT_EQ(VenderName, "");
  EXPECT_EQ(HardwareID, "SERENUM\\QXW0001");
}

TEST_F(SettingsStoreTest, AMissingKeyIsCreatedEmptyAndTheLoadFails) {
  EXPECT_FALSE(LoadInstallation());
  HKEY key = 0;
  ASSERT_TRUE(OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Harlenby\\TouchScreen\\QX-COM", key));
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "VenderName", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  CloseKey(key);
}

TEST_F(SettingsStoreTest, CalibrationModeRoundTripsAsADword) {
  CalibrationMode = 1;
  ASSERT_TRUE(SaveCalibrationMode());
  CalibrationMode = 0;
  EXPECT_TRUE(LoadCalibrationMode());
  EXPECT_EQ(CalibrationMode, 1);
}

TEST_F(SettingsStoreTest, ACalibrationModeStoredAsTextIsIgnoredAndWrittenBackAsADword) {
  HKEY key = SuiteKey();
  ASSERT_TRUE(SetString(key, "CalibrationMode", "1"));
  EXPECT_FALSE(LoadCalibrationMode());
  EXPECT_EQ(CalibrationMode, 0);
  ASSERT_TRUE(SaveCalibrationMode());  // what the main window does during start-up
  DWORD type = 0;
  DWORD size = 0;
  ASSERT_EQ(RegQueryValueExA(key, "CalibrationMode", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(size, 4u);
  CloseKey(key);
  EXPECT_TRUE(LoadCalibrationMode());
  EXPECT_EQ(CalibrationMode, 0);
}

TEST_F(SettingsStoreTest, AMissingCalibrationModeLeavesTheModeAsItWas) {
  CalibrationMode = 1;
  EXPECT_FALSE(LoadCalibrationMode());
  EXPECT_EQ(CalibrationMode, 1);
}

}  // namespace
}  // namespace qx
