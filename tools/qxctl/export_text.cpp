#include "tools/qxctl/export_text.h"

#include <cstdio>

namespace qx {

namespace {

// A device name inside the double quotes of an xorg.conf section, which cannot hold a quote or a
// backslash: each such character becomes '?'.
std::string Quoted(const std::string& name) {
  std::string out;
  for (char ch : name) out += (ch == '"' || ch == '\\' || static_cast<unsigned char>(ch) < 0x20) ? '?' : ch;
  return '"' + out + '"';
}

// A device name as one word of a shell command: the characters the shell reads inside double
// quotes are escaped.
std::string ShellQuoted(const std::string& name) {
  std::string out = "\"";
  for (char ch : name) {
    if (ch == '"' || ch == '\\' || ch == '$' || ch == '`') out += '\\';
    out += ch;
  }
  return out + '"';
}

std::string Numbers(const double* values, int count) {
  std::string out;
  char text[32];
  for (int i = 0; i < count; ++i) {
    std::snprintf(text, sizeof text, "%s%.6f", i ? " " : "", values[i]);
    out += text;
  }
  return out;
}

std::string XorgSection(const CalibrationExport& e, const std::string& device) {
  const auto onOff = [](bool on) { return on ? "\"on\"" : "\"off\""; };
  std::string text = "Section \"InputClass\"\n\tIdentifier \"QX-COM touch-screen calibration\"\n";
  text += "\tMatchIsTouchscreen \"on\"\n";
  if (!device.empty()) text += "\tMatchProduct " + Quoted(device) + "\n";
  text += "\tMatchDevicePath \"/dev/input/event*\"\n\tDriver \"evdev\"\n";
  text += std::string("\tOption \"SwapAxes\" ") + onOff(e.swapAxes) + "\n";
  text += std::string("\tOption \"InvertX\" ") + onOff(e.invertX) + "\n";
  text += std::string("\tOption \"InvertY\" ") + onOff(e.invertY) + "\n";
  text += "\tOption \"Calibration\" \"" + std::to_string(e.calibration[0]) + " " + std::to_string(e.calibration[1]) +
          " " + std::to_string(e.calibration[2]) + " " + std::to_string(e.calibration[3]) + "\"\n";
  return text + "EndSection\n";
}

// NAME as the value of a udev rule's match that matches that name alone, with its double quotes.
std::string UdevMatch(const std::string& name) {
  // udev takes \" in a value as a quote and keeps every other backslash, splits the value at each
  // '|' into alternatives (no escape keeps one whole), and matches each with fnmatch, where a
  // backslash makes the next character plain. What no escape can carry (a '|', a backslash, a
  // control character) becomes '?', any one character.
  std::string out;
  for (char ch : name) {
    if (ch == '*' || ch == '?' || ch == '[' || ch == '"') out += '\\';
    const bool unwritable = ch == '|' || ch == '\\' || static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f;
    out += unwritable ? '?' : ch;
  }
  return '"' + out + '"';
}

}  // namespace

std::string FormatExport(ExportFormat format, const CalibrationExport& e, double difference,
                         const std::string& device) {
  char line[100];
  std::snprintf(line, sizeof line, "# largest difference from the suite's own mapping over the screen: %.1f px\n",
                difference);
  std::string text = line;
  switch (format) {
    case ExportFormat::kLibinput:
      text += "ACTION==\"add|change\", KERNEL==\"event[0-9]*\", ";
      text += device.empty() ? "ENV{ID_INPUT_TOUCHSCREEN}==\"1\"" : "ATTRS{name}==" + UdevMatch(device);
      return text + ", ENV{LIBINPUT_CALIBRATION_MATRIX}=\"" + Numbers(e.matrix.data(), 6) + "\"\n";
    case ExportFormat::kXinput:
      if (device.empty()) text += "# NAME: the touchscreen's name as `xinput list` shows it\n";
      return text + "xinput set-prop " + (device.empty() ? "\"NAME\"" : ShellQuoted(device)) +
             " --type=float \"Coordinate Transformation Matrix\" " + Numbers(e.matrix.data(), 6) + " 0 0 1\n";
    case ExportFormat::kXorg: return text + XorgSection(e, device);
  }
  return text;
}

}  // namespace qx
