#include "programs/panel/mcu_info_dialog.h"

#include <cctype>
#include <cstdio>

#include "core/driver_link.h"
#include "ui/controls.h"

namespace qx {

namespace {

constexpr int kWidth = 5880;
constexpr int kHeight = FeatureDialog::kContentTop + kLabelHeight + 3 * kMargin + kButtonHeight;

std::string VersionText(std::uint8_t version) {
  char hex[3];
  std::snprintf(hex, sizeof hex, "%X", version);
  int v = 0;
  for (const char* c = hex; std::isdigit(static_cast<unsigned char>(*c)); ++c) v = v * 10 + (*c - '0');
  return std::to_string(v / 10) + "." + std::to_string(v % 10);
}

}  // namespace

std::string McuInfoText(const SettingsBlock& block) {
  std::string code;
  for (std::uint8_t byte : block.McuCode) code += Hex2(byte);
  return "MCU-Mode=" + Hex2(block.McuMode) + "  MCU-Version=" + VersionText(block.McuVersion) + "  MCU-Code=" + code;
}

McuInfoDialog::McuInfoDialog() : FeatureDialog("frmMcuInfo", kWidth, kHeight, Buttons::OkOnly) {
  setWindowTitle(QStringLiteral(" MCU Information"));
  lblMcuInfo = AddLabel(this, "lblMcuInfo", "", kMargin, kContentTop + kMargin, kWidth - 2 * kMargin, kLabelHeight,
                        Qt::AlignHCenter);
}

void McuInfoDialog::LoadFields() { lblMcuInfo->setText(QString::fromStdString(McuInfoText(Settings))); }

}  // namespace qx
