// The installer's initial settings as the device service takes them: their encodings, what it
// refuses, and that a set is taken once, remembered in the kept state across starts.
#include "device/initial_settings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/registry_access.h"
#include "core/settings_store.h"
#include "device/device_parts.h"
#include "tests/support/device_service.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

InitialValue Binary(const std::string& name, std::vector<std::uint8_t> bytes) {
  return {name, true, REG_BINARY, std::move(bytes)};
}

// The seven values of an installation whose "setup.ini" differs from the first settings.
InitialSettings Installed() {
  return {Binary("VirtualButton", {2}),
          Binary("RightButtonFunction", {0}),
          Binary("RightButtonAutomatic", {0x01, 0x03, 0x07, 0x01}),
          Binary("FeedbackSound", {3}),
          Binary("FeedbackTone", {0xB0, 0x04}),
          Binary("FeedbackDuration", {35, 0}),
          Binary("MouseSpeed", {20, 7, 2, 1})};
}

TEST(InitialSettings, EachValueGoesToItsFieldsInItsByteOrder) {
  SettingsBlock block = DefaultState().block;
  std::vector<std::string> problems;
  const auto fields = ApplyInitialSettings(Installed(), block, problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(fields.size(), 13u);
  EXPECT_EQ(block.TouchMode, 2);
  EXPECT_EQ(block.RbfEnable, 0);
  EXPECT_EQ(block.RbfAutoMode, 1);
  EXPECT_EQ(block.RbfAutoSTime, 3);
  EXPECT_EQ(block.RbfAutoETime, 7);
  EXPECT_EQ(block.RbfAutoBeep, 1);
  EXPECT_EQ(block.SoundMode, 3);
  EXPECT_EQ(block.SoundTone, 1200);
  EXPECT_EQ(block.SoundDuration, 35);
  EXPECT_EQ(block.SpeedH, 20);  // "MouseSpeed" is H, V, acceleration, bypass
  EXPECT_EQ(block.SpeedV, 7);
  EXPECT_EQ(block.Acceleration, 2);
  EXPECT_EQ(block.Bypass, 1);
}

TEST(InitialSettings, AValueOfTheWrongTypeSizeOrRangeIsLeftOutWholeAndSaid) {
  InitialSettings settings = Installed();
  settings[0] = {"VirtualButton", true, REG_DWORD, {2, 0, 0, 0}};
  settings[4] = Binary("FeedbackTone", {0xB0, 0x04, 0x00});
  settings[6] = Binary("MouseSpeed", {21, 7, 2, 1});
  settings[5] = Binary("FeedbackDuration", {0x32, 0x01});  // 306
  settings[3].present = false;
  SettingsBlock block = DefaultState().block;
  std::vector<std::string> problems;
  ApplyInitialSettings(settings, block, problems);
  ASSERT_EQ(problems.size(), 4u);
  EXPECT_EQ(problems[0], "initial setting \"VirtualButton\" ignored: its type is 4, not REG_BINARY");
  EXPECT_EQ(problems[1], "initial setting \"FeedbackTone\" ignored: it has 3 bytes, not 2");
  EXPECT_EQ(problems[2], "initial setting \"FeedbackDuration\" ignored: SoundDuration would be 306, not 10..50");
  EXPECT_EQ(problems[3], "initial setting \"MouseSpeed\" ignored: SpeedH would be 21, not 1..20");
  const SettingsBlock first = DefaultState().block;
  EXPECT_EQ(block.TouchMode, first.TouchMode);
  EXPECT_EQ(block.SoundMode, first.SoundMode) << "a missing value";
  EXPECT_EQ(block.SoundTone, first.SoundTone);
  EXPECT_EQ(block.SpeedV, first.SpeedV) << "no part of a refused value is taken";
  EXPECT_EQ(block.RbfAutoETime, 7) << "the others are";
}

TEST(InitialSettings, ASetIsTakenOnceAcrossStartsAndANewSetAgain) {
  test::TempRoot root;
  const std::string path = root.path() + "/settings.bin";
  {
    DeviceParts parts{StateFile(path)};
    Controller& controller = parts.controller;
    EXPECT_TRUE(controller.TakeInitialSettings(Installed()).empty());
    EXPECT_EQ(controller.state().block.SoundTone, 1200);
    EXPECT_NE(controller.journal().Text().find("InitialSettings TouchMode=2 RbfEnable=0"), std::string::npos);
    SettingsBlock changed = controller.state().block;
    changed.SoundTone = 3000;
    controller.Handle(IOCTL_SET_FEEDBACK_SOUND, reinterpret_cast<const std::uint8_t*>(&changed), sizeof changed);
  }
  {
    DeviceParts parts{StateFile(path)};  // the next start
    Controller& controller = parts.controller;
    controller.TakeInitialSettings(Installed());
    EXPECT_EQ(controller.state().block.SoundTone, 3000) << "the person's change stays";
    EXPECT_EQ(controller.journal().Text(), "");
    InitialSettings next = Installed();
    next[4] = Binary("FeedbackTone", {0x20, 0x03});  // a new installation: 800
    controller.TakeInitialSettings(next);
    EXPECT_EQ(controller.state().block.SoundTone, 800);
  }
  EXPECT_EQ(StateFile(path).Load()->initialSettings, Fingerprint([] {
              InitialSettings next = Installed();
              next[4] = Binary("FeedbackTone", {0x20, 0x03});
              return next;
            }()));
}

// The kept state of a service from before the initial settings were kept: the settings load,
// with no set taken.
TEST(InitialSettings, AKeptStateOfTheFirstVersionStillLoads) {
  test::TempRoot root;
  const std::string path = root.path() + "/settings.bin";
  StoredState state = DefaultState();
  state.block.SpeedH = 17;
  state.initialSettings = 99;
  ASSERT_TRUE(StateFile(path).Save(state));
  std::string bytes = test::ReadFile(path);
  ASSERT_EQ(bytes.size(), 109u);  // the present version, 3
  // Version 1: no fingerprint, its own checksum (CRC-32) over what precedes it.
  bytes = bytes.substr(0, 88);
  bytes[4] = 1;
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : bytes) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  crc = ~crc;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(crc >> (8 * i));
  test::WriteFile(path, bytes);
  auto loaded = StateFile(path).Load();
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->block.SpeedH, 17);
  EXPECT_EQ(loaded->initialSettings, 0u);
}

// The real service reads the values from the registry as it starts and says what it refuses.
TEST(InitialSettings, TheServiceTakesTheRegistrysValuesAtItsStart) {
  test::TempRoot root;
  HKEY key = 0;
  std::string subKey = SUITE_SUB_KEY;
  ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, SUITE_KEY_PATH, subKey, key));
  ASSERT_TRUE(SetBinary(key, "FeedbackTone", "B0,04"));
  ASSERT_TRUE(SetDword(key, "FeedbackSound", 3));
  CloseKey(key);
  const InitialSettings read = ReadInitialSettings();
  ASSERT_EQ(read.size(), 7u);
  EXPECT_FALSE(read[0].present);
  EXPECT_EQ(read[4].data, (std::vector<std::uint8_t>{0xB0, 0x04}));

  test::DeviceService service;
  EXPECT_EQ(test::DeviceService::Qxctl("get SoundTone SoundMode"), "SoundTone=1200\nSoundMode=4\n");
  EXPECT_NE(test::ReadFile(root.path() + "/qxwmecomd.log")
                .find("qxwmecomd: initial setting \"FeedbackSound\" ignored: its type is 4, not REG_BINARY"),
            std::string::npos);
}

}  // namespace
}  // namespace qx
