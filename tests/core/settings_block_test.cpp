#include "core/settings_block.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qx {
namespace {

class SettingsTexts : public ::testing::Test {
 protected:
  void SetUp() override { FillNameTables(); }
};

TEST(SettingsBlockLayout, FieldsSitAtTheirLittleEndianOffsets) {
  std::uint8_t raw[82] = {};
  raw[0] = 0xF8, raw[1] = 0x03;               // ActivePortBase
  raw[2] = 4, raw[3] = 1;                     // ActivePortIrq, ActivePort
  raw[4 * 3] = 0xE8, raw[4 * 3 + 1] = 0x03;   // COM3 base 0x3E8
  raw[4 * 3 + 2] = 5, raw[4 * 3 + 3] = 0xAA;  // COM3 IRQ, reserved
  raw[42] = 0x88, raw[43] = 0x13;             // SoundTone 5000
  raw[58] = 0x56, raw[59] = 0x00;             // XLeft 86
  raw[68] = 0x82, raw[69] = 0x03;             // YBottom 898
  raw[70] = 5, raw[71] = 0x77;                // flags, reserved
  raw[72] = 0x80, raw[73] = 0x07;             // ScreenWidth 1920
  raw[78] = 0xDE, raw[81] = 0xEF;             // McuCode
  SettingsBlock b;
  std::memcpy(&b, raw, sizeof b);
  EXPECT_EQ(b.ActivePortBase, 0x3F8);
  EXPECT_EQ(b.ActivePortIrq, 4);
  EXPECT_EQ(b.ActivePort, 1);
  EXPECT_EQ(b.PortTable[2].PortBase, 0x3E8);
  EXPECT_EQ(b.PortTable[2].PortIrq, 5);
  EXPECT_EQ(b.PortTable[2].Reserved, 0xAA);
  EXPECT_EQ(b.SoundTone, 5000);
  EXPECT_EQ(b.CalibrationData[XLeft], 86);
  EXPECT_EQ(b.CalibrationData[YBottom], 898);
  EXPECT_EQ(b.CalibrationFlags, 5);
  EXPECT_EQ(b.Reserved71, 0x77);
  EXPECT_EQ(b.ScreenWidth, 1920);
  EXPECT_EQ(b.McuCode[0], 0xDE);
  EXPECT_EQ(b.McuCode[3], 0xEF);
  std::uint8_t back[82];
  std::memcpy(back, &b, sizeof back);
  EXPECT_EQ(std::memcmp(raw, back, sizeof raw), 0) << "reserved bytes must come back as they came";
}

TEST_F(SettingsTexts, HexIsUpperCasePaddedAndCut) {
  EXPECT_EQ(Hex4(1016), "03F8");
  EXPECT_EQ(Hex4(-2), "FFFE");
  EXPECT_EQ(Hex4(0x12345), "2345");
  EXPECT_EQ(Hex2(5), "05");
  EXPECT_EQ(Hex2(0x1AB), "AB");
  EXPECT_EQ(Hex2(-1), "FF");
}

TEST_F(SettingsTexts, SerialPortLine) {
  SettingsBlock b{};
  b.ActivePort = 1, b.ActivePortBase = 0x3F8, b.ActivePortIrq = 4, b.BaudIndex = 4;
  EXPECT_EQ(SerialPortText(b), "COM1, Port=03F8, IRQ=4, (9600,N,8,1)");
  b.BaudIndex = 0;
  EXPECT_EQ(SerialPortText(b), "COM1, Port=03F8, IRQ=4, (,N,8,1)");
  b.BaudIndex = 11;
  EXPECT_EQ(SerialPortText(b), "COM1, Port=03F8, IRQ=4, (115200,N,8,1)");
  b.BaudIndex = 200;  // past the table: shown, never read out of bounds
  EXPECT_EQ(SerialPortText(b), "COM1, Port=03F8, IRQ=4, (Invalid#200,N,8,1)");
}

TEST_F(SettingsTexts, PortStatusLines) {
  EXPECT_EQ(PortStatusText(3, 0, 254), "COM3..Used by Other Device.");
  EXPECT_EQ(PortStatusText(5, 0, 7), "COM5..Unabled (code=7)");
  EXPECT_EQ(PortStatusText(2, 760, 3), "COM2, BasePort=02F8h, IRQ=3");
  EXPECT_EQ(PortStatusText(9, 0, 255), "COM9..Not Found.");
}

TEST_F(SettingsTexts, TouchModeLine) {
  EXPECT_EQ(TouchModeText(4, 1, 1), "Drag Drop Mode, RBF Enable ( Automatic Mode )");
  EXPECT_EQ(TouchModeText(4, 1, 2), "Drag Drop Mode, RBF Enable ( Manual Mode )");
  EXPECT_EQ(TouchModeText(4, 1, 0), "Drag Drop Mode, RBF Enable ( Manual Mode )");
  EXPECT_EQ(TouchModeText(2, 1, 1), "Lift Off Mode, RBF Enable");
  EXPECT_EQ(TouchModeText(1, 0, 1), "Stream Mode, RBF Disable");
  EXPECT_EQ(TouchModeText(4, 0, 1), "Drag Drop Mode, RBF Disable");
  EXPECT_EQ(TouchModeText(7, 1, 0), "Invalid#7,1,0");
  EXPECT_EQ(TouchModeText(0, 0, 0), "Invalid#0,0,0");
}

TEST_F(SettingsTexts, SoundAccelerationSensitivity) {
  EXPECT_EQ(SoundModeText(0), "Invalid#0");
  EXPECT_EQ(SoundModeText(4), "Both Touch Down && Lift Off");
  EXPECT_EQ(SoundModeText(5), "Invalid#5");
  EXPECT_EQ(AccelerationText(4), "Off");
  EXPECT_EQ(AccelerationText(9), "Invalid#9");
  EXPECT_EQ(SensitivityText(127), "Level 0");
  EXPECT_EQ(SensitivityText(0), "Level 127");
  EXPECT_EQ(SensitivityText(130), "Level -3");
}

TEST_F(SettingsTexts, MouseSpeedLine) {
  EXPECT_EQ(MouseSpeedText(10, 10, 1, 0), "HS=50%, VS=50%, Acceleration=Slow");
  EXPECT_EQ(MouseSpeedText(1, 20, 0, 0), "HS=5%, VS=100%, Acceleration=Invalid#0");
  EXPECT_EQ(MouseSpeedText(3, 7, 2, 1), "Enable Bypass Mode");
  EXPECT_EQ(MouseSpeedText(0, 0, 0, 2), "Enable Bypass Mode");
}

TEST_F(SettingsTexts, PowerSaveLineKeepsItsSpaces) {
  EXPECT_EQ(PowerSaveText(0), "Disable Power Down Function");
  EXPECT_EQ(PowerSaveText(3), "Power Down When Idle  30 Sec.");
  EXPECT_EQ(PowerSaveText(6), "Power Down When Idle  1 Min. ");
  EXPECT_EQ(PowerSaveText(9), "Power Down When Idle  1 Min.  30 Sec.");
  EXPECT_EQ(PowerSaveText(30), "Power Down When Idle  5 Min. ");
  EXPECT_EQ(DurationText(3725), " 62 Min.  5 Sec.");
}

TEST(LabelCaption, ShowsDoubledAmpersandsOnceAndDropsAccessKeyMarks) {
  EXPECT_EQ(LabelCaption("Both Touch Down && Lift Off"), "Both Touch Down & Lift Off");
  EXPECT_EQ(LabelCaption("&Serial Port"), "Serial Port");
  EXPECT_EQ(LabelCaption("a&&&b"), "a&b");
  EXPECT_EQ(LabelCaption("trailing&"), "trailing");
  EXPECT_EQ(LabelCaption(""), "");
}

}  // namespace
}  // namespace qx
