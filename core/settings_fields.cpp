#include "core/settings_fields.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <sstream>

#include "host/profile_text.h"

namespace qx {

namespace {

enum class Kind { U8, I16, Hex2, Hex4, Calibration, McuCode };

struct Field {
  std::string name;
  std::size_t offset;
  Kind kind;
};

std::vector<Field> MakeFields() {
  std::vector<Field> f = {
      {"ActivePortBase", offsetof(SettingsBlock, ActivePortBase), Kind::Hex4},
      {"ActivePortIrq", offsetof(SettingsBlock, ActivePortIrq), Kind::U8},
      {"ActivePort", offsetof(SettingsBlock, ActivePort), Kind::U8},
  };
  for (std::size_t n = 1; n <= 9; ++n) {
    std::size_t entry = offsetof(SettingsBlock, PortTable) + 4 * (n - 1);
    f.push_back({"PortBase" + std::to_string(n), entry, Kind::Hex4});
    f.push_back({"PortIrq" + std::to_string(n), entry + 2, Kind::U8});
  }
  const std::vector<Field> rest = {
      {"TouchMode", offsetof(SettingsBlock, TouchMode), Kind::U8},
      {"SoundMode", offsetof(SettingsBlock, SoundMode), Kind::U8},
      {"SoundTone", offsetof(SettingsBlock, SoundTone), Kind::I16},
      {"SoundDuration", offsetof(SettingsBlock, SoundDuration), Kind::I16},
      {"Sensitivity", offsetof(SettingsBlock, Sensitivity), Kind::U8},
      {"Bypass", offsetof(SettingsBlock, Bypass), Kind::U8},
      {"SpeedH", offsetof(SettingsBlock, SpeedH), Kind::U8},
      {"SpeedV", offsetof(SettingsBlock, SpeedV), Kind::U8},
      {"Acceleration", offsetof(SettingsBlock, Acceleration), Kind::U8},
      {"PowerDownTime", offsetof(SettingsBlock, PowerDownTime), Kind::U8},
      {"BaudIndex", offsetof(SettingsBlock, BaudIndex), Kind::U8},
      {"RbfEnable", offsetof(SettingsBlock, RbfEnable), Kind::U8},
      {"RbfAutoMode", offsetof(SettingsBlock, RbfAutoMode), Kind::U8},
      {"RbfAutoSTime", offsetof(SettingsBlock, RbfAutoSTime), Kind::U8},
      {"RbfAutoETime", offsetof(SettingsBlock, RbfAutoETime), Kind::U8},
      {"RbfAutoBeep", offsetof(SettingsBlock, RbfAutoBeep), Kind::U8},
      {"CalibrationData", offsetof(SettingsBlock, CalibrationData), Kind::Calibration},
      {"CalibrationFlags", offsetof(SettingsBlock, CalibrationFlags), Kind::U8},
      {"ScreenWidth", offsetof(SettingsBlock, ScreenWidth), Kind::I16},
      {"ScreenHeight", offsetof(SettingsBlock, ScreenHeight), Kind::I16},
      {"McuMode", offsetof(SettingsBlock, McuMode), Kind::Hex2},
      {"McuVersion", offsetof(SettingsBlock, McuVersion), Kind::Hex2},
      {"McuCode", offsetof(SettingsBlock, McuCode), Kind::McuCode},
  };
  f.insert(f.end(), rest.begin(), rest.end());
  return f;
}

const std::vector<Field>& Fields() {
  static const std::vector<Field> fields = MakeFields();
  return fields;
}

const Field* Find(const std::string& name) {
  for (const Field& f : Fields())
    if (profile::SameName(f.name, name)) return &f;
  return nullptr;
}

// The bytes a field of KIND takes in the block.
std::size_t SizeOf(Kind kind) {
  switch (kind) {
    case Kind::U8:
    case Kind::Hex2: return 1;
    case Kind::I16:
    case Kind::Hex4: return 2;
    case Kind::Calibration: return sizeof(SettingsBlock::CalibrationData);
    case Kind::McuCode: return sizeof(SettingsBlock::McuCode);
  }
  return 0;
}

std::int16_t ReadI16(const std::uint8_t* p) { return static_cast<std::int16_t>(p[0] | p[1] << 8); }
void WriteI16(std::uint8_t* p, long v) {
  p[0] = static_cast<std::uint8_t>(v & 0xFF);
  p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

}  // namespace

std::optional<long> ParseFieldNumber(std::string text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.erase(0, 1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
  bool negative = !text.empty() && text[0] == '-';
  if (negative) text.erase(0, 1);
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.erase(0, 2);
  }
  if (text.empty() || text.size() > 9) return std::nullopt;
  long value = 0;
  for (char c : text) {
    int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                : (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
                    ? std::toupper(static_cast<unsigned char>(c)) - 'A' + 10
                    : -1;
    if (digit < 0) return std::nullopt;
    value = value * base + digit;
  }
  return negative ? -value : value;
}

namespace {

std::string HexText(unsigned value, int digits) {
  std::ostringstream out;
  out << "0x";
  out.width(digits);
  out.fill('0');
  out << std::uppercase << std::hex << value;
  return out.str();
}

std::string ValueText(const SettingsBlock& block, const Field& f) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&block) + f.offset;
  switch (f.kind) {
    case Kind::U8: return std::to_string(p[0]);
    case Kind::I16: return std::to_string(ReadI16(p));
    case Kind::Hex2: return HexText(p[0], 2);
    case Kind::Hex4: return HexText(static_cast<std::uint16_t>(ReadI16(p)), 4);
    case Kind::Calibration: {
      std::string text;
      for (int i = 0; i < 6; ++i) text += (i ? "," : "") + std::to_string(ReadI16(p + 2 * i));
      return text;
    }
    case Kind::McuCode: {
      std::string text;
      for (int i = 0; i < 4; ++i) text += Hex2(p[i]);
      return text;
    }
  }
  return {};
}

}  // namespace

const std::vector<std::string>& FieldNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const Field& f : Fields()) n.push_back(f.name);
    return n;
  }();
  return names;
}

std::optional<std::string> GetField(const SettingsBlock& block, const std::string& name) {
  const Field* f = Find(name);
  if (!f) return std::nullopt;
  return ValueText(block, *f);
}

std::string SetField(SettingsBlock& block, const std::string& name, const std::string& value) {
  const Field* f = Find(name);
  if (!f) return "unknown field '" + name + "'";
  auto* p = reinterpret_cast<std::uint8_t*>(&block) + f->offset;
  const std::string bad = "bad value '" + value + "' for " + f->name;
  switch (f->kind) {
    case Kind::U8:
    case Kind::Hex2: {
      auto v = ParseFieldNumber(value);
      if (!v || *v < 0 || *v > 255) return bad + " (0 to 255)";
      p[0] = static_cast<std::uint8_t>(*v);
      return "";
    }
    case Kind::I16:
    case Kind::Hex4: {
      auto v = ParseFieldNumber(value);
      if (!v || *v < -32768 || *v > 65535) return bad + " (a 16-bit number)";
      WriteI16(p, *v);
      return "";
    }
    case Kind::Calibration: {
      std::vector<long> numbers;
      std::stringstream in(value);
      std::string item;
      while (std::getline(in, item, ',')) {
        auto v = ParseFieldNumber(item);
        if (!v || *v < -32768 || *v > 32767) return bad + " (six comma-separated 16-bit numbers)";
        numbers.push_back(*v);
      }
      if (numbers.size() != 6) return bad + " (six comma-separated 16-bit numbers)";
      for (int i = 0; i < 6; ++i) WriteI16(p + 2 * i, numbers[static_cast<std::size_t>(i)]);
      return "";
    }
    case Kind::McuCode: {
      std::string hex = value;
      if (hex.size() == 10 && hex[0] == '0' && (hex[1] == 'x' || hex[1] == 'X')) hex.erase(0, 2);
      if (hex.size() != 8) return bad + " (eight hex digits)";
      std::uint8_t bytes[4];
      for (int i = 0; i < 4; ++i) {
        auto v = ParseFieldNumber("0x" + hex.substr(static_cast<std::size_t>(2 * i), 2));
        if (!v || hex[static_cast<std::size_t>(2 * i)] == '-') return bad + " (eight hex digits)";
        bytes[i] = static_cast<std::uint8_t>(*v);
      }
      std::memcpy(p, bytes, 4);
      return "";
    }
  }
  return bad;
}

FieldList::FieldList(const std::vector<std::string>& names) {
  for (const std::string& name : names)
    if (const Field* f = Find(name)) fields_.push_back(static_cast<std::size_t>(f - Fields().data()));
}

const FieldList& FieldList::All() {
  static const FieldList all(FieldNames());
  return all;
}

void CopyFields(const SettingsBlock& from, SettingsBlock& to, const FieldList& fields) {
  for (std::size_t k : fields.fields_) {
    const Field& f = Fields()[k];
    std::memcpy(reinterpret_cast<std::uint8_t*>(&to) + f.offset,
                reinterpret_cast<const std::uint8_t*>(&from) + f.offset, SizeOf(f.kind));
  }
}

std::string DescribeFields(const SettingsBlock& block, const FieldList& fields) {
  std::string text;
  for (std::size_t k : fields.fields_) {
    const Field& f = Fields()[k];
    if (!text.empty()) text += ' ';
    text += f.name + "=" + ValueText(block, f);
  }
  return text;
}

}  // namespace qx
