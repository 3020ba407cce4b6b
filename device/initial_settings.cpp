#include "device/initial_settings.h"

#include <array>

#include "core/registry_access.h"
#include "core/settings_fields.h"
#include "core/settings_store.h"

namespace qx {

namespace {

// One field a value carries: where its bytes lie in the value, and its range.
struct Part {
  const char* field;
  int offset;
  int size;  // 1, or 2 low byte first
  int min;
  int max;
};

struct ValueLayout {
  const char* name;
  int size;
  std::vector<Part> parts;
};

// The installer's encodings: "RightButtonAutomatic" in the block's order, "MouseSpeed" not.
const std::array<ValueLayout, 7>& Layouts() {
  static const std::array<ValueLayout, 7> layouts{{
      {"VirtualButton", 1, {{"TouchMode", 0, 1, 1, 4}}},
      {"RightButtonFunction", 1, {{"RbfEnable", 0, 1, 0, 1}}},
      {"RightButtonAutomatic",
       4,
       {{"RbfAutoMode", 0, 1, 0, 1},
        {"RbfAutoSTime", 1, 1, 0, 9},
        {"RbfAutoETime", 2, 1, 0, 9},
        {"RbfAutoBeep", 3, 1, 0, 1}}},
      {"FeedbackSound", 1, {{"SoundMode", 0, 1, 1, 4}}},
      {"FeedbackTone", 2, {{"SoundTone", 0, 2, 200, 5000}}},
      {"FeedbackDuration", 2, {{"SoundDuration", 0, 2, 10, 50}}},
      {"MouseSpeed",
       4,
       {{"SpeedH", 0, 1, 1, 20}, {"SpeedV", 1, 1, 1, 20}, {"Acceleration", 2, 1, 1, 4}, {"Bypass", 3, 1, 0, 1}}},
  }};
  return layouts;
}

int PartValue(const InitialValue& value, const Part& part) {
  int number = value.data[part.offset];
  if (part.size == 2) number |= value.data[part.offset + 1] << 8;
  return number;
}

// Why VALUE cannot be taken as LAYOUT says; "" when it can.
std::string Refusal(const InitialValue& value, const ValueLayout& layout) {
  if (value.type != REG_BINARY) return "its type is " + std::to_string(value.type) + ", not REG_BINARY";
  if (value.data.size() != static_cast<std::size_t>(layout.size))
    return "it has " + std::to_string(value.data.size()) + " bytes, not " + std::to_string(layout.size);
  for (const Part& part : layout.parts) {
    const int number = PartValue(value, part);
    if (number < part.min || number > part.max)
      return std::string(part.field) + " would be " + std::to_string(number) + ", not " + std::to_string(part.min) +
             ".." + std::to_string(part.max);
  }
  return "";
}

InitialValue ReadValue(HKEY key, const char* name) {
  InitialValue value;
  value.name = name;
  DWORD type = 0;
  DWORD size = 0;
  if (!key || RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return value;
  value.data.resize(size);
  if (RegQueryValueExA(key, name, nullptr, &type, value.data.data(), &size) != ERROR_SUCCESS) {
    value.data.clear();
    return value;
  }
  value.data.resize(size);
  value.type = type;
  value.present = true;
  return value;
}

}  // namespace

InitialSettings ReadInitialSettings() {
  HKEY key = 0;
  // Opened, not created: a machine without an installation has no such key, and keeps it so.
  const bool opened = OpenKey(HKEY_LOCAL_MACHINE, std::string(SUITE_KEY_PATH) + "\\" + SUITE_SUB_KEY, key);
  InitialSettings settings;
  for (const ValueLayout& layout : Layouts()) settings.push_back(ReadValue(opened ? key : 0, layout.name));
  if (opened) CloseKey(key);
  return settings;
}

std::uint64_t Fingerprint(const InitialSettings& settings) {
  // FNV-1a over each value's name, presence, type, size and bytes.
  std::uint64_t hash = 0xCBF29CE484222325ull;
  auto add = [&hash](std::uint8_t byte) { hash = (hash ^ byte) * 0x100000001B3ull; };
  auto addWord = [&add](std::uint32_t word) {
    for (int i = 0; i < 4; ++i) add(static_cast<std::uint8_t>(word >> (8 * i)));
  };
  for (const InitialValue& value : settings) {
    for (char c : value.name) add(static_cast<std::uint8_t>(c));
    add(value.present ? 1 : 0);
    addWord(value.type);
    addWord(static_cast<std::uint32_t>(value.data.size()));
    for (std::uint8_t byte : value.data) add(byte);
  }
  return hash ? hash : 1;
}

std::vector<std::string> ApplyInitialSettings(const InitialSettings& settings, SettingsBlock& block,
                                              std::vector<std::string>& problems) {
  std::vector<std::string> fields;
  for (const ValueLayout& layout : Layouts()) {
    for (const InitialValue& value : settings) {
      if (value.name != layout.name || !value.present) continue;
      const std::string refusal = Refusal(value, layout);
      if (!refusal.empty()) {
        problems.push_back("initial setting \"" + value.name + "\" ignored: " + refusal);
        continue;
      }
      for (const Part& part : layout.parts) {
        SetField(block, part.field, std::to_string(PartValue(value, part)));
        fields.push_back(part.field);
      }
    }
  }
  return fields;
}

}  // namespace qx
