// The SettingsBlock's fields by name, as text: how tools read and write single fields, and how
// the device service takes the fields a Set request is for and journals what it carried.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/settings_block.h"

namespace qx {

// Every field name in block order: ActivePortBase, ActivePortIrq, ActivePort, PortBase1,
// PortIrq1, … PortIrq9, TouchMode, …, CalibrationData, CalibrationFlags, …, McuCode.
// The reserved bytes have no name: they are kept as they came.
const std::vector<std::string>& FieldNames();

// The field's value as text: decimal numbers; port bases and McuMode/McuVersion as 0x and four
// or two hex digits; CalibrationData as six comma-separated numbers; McuCode as eight hex digits.
// Nothing for an unknown name (names compare without regard to case).
std::optional<std::string> GetField(const SettingsBlock& block, const std::string& name);

// Sets one field from text in the forms GetField writes (a number may also be 0x hex).
// Returns an error message, empty on success; the block is unchanged on error.
std::string SetField(SettingsBlock& block, const std::string& name, const std::string& value);

// A field's number as text: decimal, or hex after 0x, at most nine digits; nothing for anything
// else.
std::optional<long> ParseFieldNumber(std::string text);

// Fields looked up by name once, in the order named (names that are not fields are passed over):
// a Set request's, taken and journalled on every request without comparing names again.
class FieldList {
 public:
  FieldList() = default;
  FieldList(const std::vector<std::string>& names);  // NOLINT: a list of names is a list of fields
  // Every field, in block order.
  static const FieldList& All();
  bool empty() const { return fields_.empty(); }

 private:
  friend void CopyFields(const SettingsBlock& from, SettingsBlock& to, const FieldList& fields);
  friend std::string DescribeFields(const SettingsBlock& block, const FieldList& fields);
  std::vector<std::size_t> fields_;  // places in the table of fields
};

// Copies the fields' bytes from FROM into TO, leaving every other byte of TO as it was.
void CopyFields(const SettingsBlock& from, SettingsBlock& to, const FieldList& fields);

// "Name=value Name=value …" for the fields.
std::string DescribeFields(const SettingsBlock& block, const FieldList& fields);

}  // namespace qx
