#include "programs/setup/setup_settings.h"

#include <locale.h>
#include <stdlib.h>

#include <array>
#include <cmath>
#include <cstdio>

#include "core/registry_access.h"
#include "core/settings_store.h"
#include "host/message_box.h"
#include "platform/file_exists.h"
#include "platform/ini_file.h"
#include "ui/window_program.h"

namespace qx {

namespace {

// The keys of "setup.ini" by their places in kSetupKeys.
enum Key {
  kCalibrationMode,
  kVirtualButton,
  kRightButtonFunction,
  kRightButtonAutoMode,
  kRightButtonAutoSTime,
  kRightButtonAutoETime,
  kRightButtonAutoBeep,
  kFeedbackSound,
  kFeedbackTone,
  kFeedbackDuration,
  kMouseBypass,
  kMouseHSpeed,
  kMouseVSpeed,
  kMouseAcceleration,
  kDoubleClickSpeed,
  kDoubleClickWidth,
  kDoubleClickHeight,
  kPanelDirection,
  kKeyCount
};
static_assert(kKeyCount == kSetupKeys.size());

// A registry value: a REG_DWORD (0 bytes here) or 1, 2 or 4 bytes; a packed value takes its four
// keys from its first byte to its last.
struct SettingValue {
  const char* name;
  int bytes;
  std::array<Key, 4> keys;
  int keyCount;
};

constexpr int kDword = 0;

// The values in the order they are written.
constexpr std::array<SettingValue, 12> kValues{{
    {"CalibrationMode", kDword, {kCalibrationMode}, 1},
    {"VirtualButton", 1, {kVirtualButton}, 1},
    {"RightButtonFunction", 1, {kRightButtonFunction}, 1},
    {"RightButtonAutomatic",
     4,
     {kRightButtonAutoMode, kRightButtonAutoSTime, kRightButtonAutoETime, kRightButtonAutoBeep},
     4},
    {"FeedbackSound", 1, {kFeedbackSound}, 1},
    {"FeedbackTone", 2, {kFeedbackTone}, 1},
    {"FeedbackDuration", 2, {kFeedbackDuration}, 1},
    {"MouseSpeed", 4, {kMouseHSpeed, kMouseVSpeed, kMouseAcceleration, kMouseBypass}, 4},
    {"DoubleClickSpeed", kDword, {kDoubleClickSpeed}, 1},
    {"DoubleClickWidth", kDword, {kDoubleClickWidth}, 1},
    {"DoubleClickHeight", kDword, {kDoubleClickHeight}, 1},
    {"PanelDirection", 1, {kPanelDirection}, 1},
}};

bool Digit(char c) { return c >= '0' && c <= '9'; }

// The number the leading numeric characters of TEXT spell; 0 when it does not begin with one.
double LeadingNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  const std::size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  int digits = 0;
  for (; i < text.size() && Digit(text[i]); ++i) ++digits;
  if (i < text.size() && text[i] == '.')
    for (++i; i < text.size() && Digit(text[i]); ++i) ++digits;
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && Digit(text[j])) {
      while (j < text.size() && Digit(text[j])) ++j;
      i = j;
    }
  }
  // Read in the C locale whatever the person's locale is: the decimal point is always ".".
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  const std::string number = text.substr(start, i - start);
  return strtod_l(number.c_str(), nullptr, cLocale);  // beyond a double: +-HUGE_VAL, out of every range
}

double RoundHalfToEven(double x) {
  double whole = std::floor(x);
  const double rest = x - whole;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return whole;
}

void Write(HKEY key, const SettingValue& value, std::uint32_t number) {
  const bool ok = value.bytes == kDword ? SetDword(key, value.name, static_cast<std::int32_t>(number))
                                        : SetBinary(key, value.name, ByteText(number, value.bytes));
  if (!ok) {
    const std::string text = std::string("Fail to save settings! (") + value.name + ")";
    MessageBoxA(0, text.c_str(), ProgramTitle(), MB_OK);
  }
}

}  // namespace

std::optional<std::int32_t> SetupNumber(const std::string& text, std::int32_t min, std::int32_t max) {
  if (text.empty()) return std::nullopt;
  const double number = RoundHalfToEven(LeadingNumber(text));
  if (!(number >= min && number <= max)) return std::nullopt;
  return static_cast<std::int32_t>(number);
}

std::string ByteText(std::uint32_t value, int bytes) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", value);
  const std::string digits = hex;
  switch (bytes) {
    case 1: return digits.substr(6, 2);
    case 2: return digits.substr(6, 2) + "," + digits.substr(4, 2);
    default:
      return digits.substr(0, 2) + "," + digits.substr(2, 2) + "," + digits.substr(4, 2) + "," + digits.substr(6, 2) +
             ",";
  }
}

SetupValues ReadSetupValues(const std::string& iniPath) {
  SetupValues accepted;
  for (std::size_t k = 0; k < kSetupKeys.size(); ++k)
    accepted[k] =
        SetupNumber(ReadIniString(iniPath, "Settings", kSetupKeys[k].name), kSetupKeys[k].min, kSetupKeys[k].max);
  return accepted;
}

void WriteInitialSettings(const std::string& iniPath) {
  if (!FileExists(iniPath)) return;
  HKEY key = 0;
  std::string subKey = SUITE_SUB_KEY;
  if (!CreateKey(HKEY_LOCAL_MACHINE, SUITE_KEY_PATH, subKey, key)) return;

  const SetupValues accepted = ReadSetupValues(iniPath);

  for (const SettingValue& value : kValues) {
    // A packed value is formed byte by byte from its keys, the first one the most significant,
    // and only from all four.
    std::uint32_t number = 0;
    bool complete = true;
    for (int i = 0; i < value.keyCount && complete; ++i) {
      const std::optional<std::int32_t>& part = accepted[value.keys[i]];
      complete = part.has_value();
      if (complete) number = number << 8 | static_cast<std::uint32_t>(*part);
    }
    if (complete) Write(key, value, number);
  }
  CloseKey(key);
}

}  // namespace qx
