#include "core/settings_block.h"

#include "host/program_state.h"

namespace qx {

std::array<std::string, 5> TouchModeNames;
std::array<std::string, 5> SoundModeNames;
std::array<std::string, 5> AccelerationNames;
std::array<std::string, 12> BaudRateNames;

namespace {

const ProgramState kNameTablesState([] {
  TouchModeNames = {};
  SoundModeNames = {};
  AccelerationNames = {};
  BaudRateNames = {};
});

}  // namespace

void FillNameTables() {
  TouchModeNames = {"", "Stream Mode", "Lift Off Mode", "Touch Down Mode", "Drag Drop Mode"};
  // "&&" is kept: the label that shows it draws one "&".
  SoundModeNames = {"", "Silence ( No Sound )", "Touch Down Only", "Lift Off Only", "Both Touch Down && Lift Off"};
  AccelerationNames = {"", "Slow", "Medium", "Fast", "Off"};
  BaudRateNames = {"", "1200", "2400", "4800", "9600", "14400", "19200", "28800", "38400", "57600", "76800", "115200"};
}

namespace {

std::string HexDigits(unsigned value, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) out[static_cast<std::size_t>(i)] = kHex[value & 0xF];
  return out;
}

std::string Num(int value) { return std::to_string(value); }

}  // namespace

std::string Hex2(int value) { return HexDigits(static_cast<unsigned>(value) & 0xFFu, 2); }
std::string Hex4(int value) { return HexDigits(static_cast<unsigned>(value) & 0xFFFFu, 4); }

std::string SerialPortText(const SettingsBlock& b) {
  // A BaudIndex past the table has no name; it is shown the way the other texts show
  // a value they have no name for, never read out of the table's bounds.
  std::string rate = b.BaudIndex < BaudRateNames.size() ? BaudRateNames[b.BaudIndex] : "Invalid#" + Num(b.BaudIndex);
  return "COM" + Num(b.ActivePort) + ", Port=" + Hex4(b.ActivePortBase) + ", IRQ=" + Num(b.ActivePortIrq) + ", (" +
         rate + ",N,8,1)";
}

std::string PortStatusText(int n, int base, int irq) {
  std::string com = "COM" + Num(n);
  if (base != 0) return com + ", BasePort=" + Hex4(base) + "h, IRQ=" + Num(irq);
  if (irq == 255) return com + "..Not Found.";
  if (irq == 254) return com + "..Used by Other Device.";
  return com + "..Unabled (code=" + Num(irq) + ")";
}

std::string TouchModeText(int mode, int enable, int autoMode) {
  if (mode <= 0 || mode > 4) return "Invalid#" + Num(mode) + "," + Num(enable) + "," + Num(autoMode);
  std::string text = TouchModeNames[static_cast<std::size_t>(mode)] + ", RBF ";
  if (enable == 0) return text + "Disable";
  text += "Enable";
  if (mode == 4) text += autoMode == 1 ? " ( Automatic Mode )" : " ( Manual Mode )";
  return text;
}

bool RbfProgramNeeded(int mode, int enable, int autoMode) { return enable == 1 && !(autoMode != 0 && mode == 4); }

std::string SoundModeText(int mode) {
  if (mode <= 0 || mode > 4) return "Invalid#" + Num(mode);
  return SoundModeNames[static_cast<std::size_t>(mode)];
}

std::string AccelerationText(int value) {
  if (value <= 0 || value > 4) return "Invalid#" + Num(value);
  return AccelerationNames[static_cast<std::size_t>(value)];
}

std::string SensitivityText(int stored) { return "Level " + Num(127 - stored); }

std::string MouseSpeedText(int h, int v, int accel, int bypass) {
  if (bypass != 0) return "Enable Bypass Mode";
  return "HS=" + Num(5 * h) + "%, VS=" + Num(5 * v) + "%, Acceleration=" + AccelerationText(accel);
}

std::string PowerSaveText(int t) {
  if (t == 0) return "Disable Power Down Function";
  return "Power Down When Idle " + DurationText(10 * t);
}

std::string DurationText(int seconds) {
  int m = seconds / 60;
  int r = seconds % 60;
  std::string text;
  if (m != 0) text += " " + Num(m) + " Min. ";
  if (r != 0) text += " " + Num(r) + " Sec.";
  return text;
}

std::string LabelCaption(const std::string& text) {
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') shown += '&';
      ++i;
      if (i < text.size() && text[i] != '&') shown += text[i];
      continue;
    }
    shown += text[i];
  }
  return shown;
}

}  // namespace qx
