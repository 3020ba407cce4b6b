#include "programs/panel/mouse_speed_dialog.h"

#include "core/driver_link.h"
#include "core/settings_block.h"
#include "ui/colours.h"
#include "ui/controls.h"

namespace qx {

namespace {

constexpr int kWidth = 5880;
constexpr int kHeight = 5415;
constexpr int kFrameLeft = 120;
constexpr int kFrameWidth = 5640;

QString PercentText(int value) { return QString::number(value * 5) + QStringLiteral("%"); }

}  // namespace

MouseSpeedDialog::MouseSpeedDialog() : FeatureDialog("frmMouseSpeed", kWidth, kHeight) {
  hscMouseHSpeed = AddSpeedFrame("  Horizontal Speed  ", kContentTop, "hscMouseHSpeed", "lblHS", lblHS);
  hscMouseVSpeed = AddSpeedFrame("  Vertical Speed  ", kContentTop + 1080, "hscMouseVSpeed", "lblVS", lblVS);
  speedH_ = new FieldBar(hscMouseHSpeed);
  speedV_ = new FieldBar(hscMouseVSpeed);

  const int row = kContentTop + 2160;
  QGroupBox* adjust = AddFrame(this, "fraAdjustMode", "  Adjust Mode", kFrameLeft, row, 3240, 690);
  chkBoth = AddCheckBox(adjust, "chkBoth", "Set Both Horizontal && Vertical ", 120, kInFrameTop, 3000);
  SetTextColour(chkBoth, kTeal);

  QGroupBox* bypass = AddFrame(this, "fraBypassMode", "  Bypass Mode", 3480, row, 2280, 690);
  chkBypass = AddCheckBox(bypass, "chkBypass", "Enable", 120, kInFrameTop, 1800);
  SetTextColour(chkBypass, kTeal);

  QGroupBox* acceleration =
      AddFrame(this, "fraAcceleration", "  Acceleration  ", kFrameLeft, row + 810, kFrameWidth, 690);
  optAcceleration = new OptionGroup(this);
  for (int index = 1; index <= 4; ++index) {
    const std::string name = "optAcceleration" + std::to_string(index);
    optAcceleration->Add(index, AddOption(acceleration, name.c_str(), "", 240 + (index - 1) * 1350, kInFrameTop, 1230));
  }

  connect(speedH_, &FieldBar::Changed, this, [this] { SpeedChanged(speedH_, lblHS, hscMouseVSpeed); });
  connect(speedV_, &FieldBar::Changed, this, [this] { SpeedChanged(speedV_, lblVS, hscMouseHSpeed); });
  connect(speedH_, &FieldBar::Scrolled, this, [this] { SpeedScrolled(hscMouseHSpeed, hscMouseVSpeed); });
  connect(speedV_, &FieldBar::Scrolled, this, [this] { SpeedScrolled(hscMouseVSpeed, hscMouseHSpeed); });
  connect(chkBoth, &QCheckBox::toggled, this, [this] { ShowBothColour(); });
  connect(chkBypass, &QCheckBox::clicked, this, [this] { BypassBehaviour(); });
  connect(optAcceleration, &OptionGroup::Changed, this, [this] { UpdateApply(); });
}

ScrollBar* MouseSpeedDialog::AddSpeedFrame(const char* title, int top, const char* barName, const char* labelName,
                                           QLabel*& valueLabel) {
  const std::string frameName = std::string("fra") + (barName + 3);
  QGroupBox* frame = AddFrame(this, frameName.c_str(), title, kFrameLeft, top, kFrameWidth, 960);
  AddLabel(frame, "lblSlow", "Slow", 120, kInFrameTop, 540);
  ScrollBar* bar = AddScrollBar(frame, barName, 1, 20, 1, 2, 690, kInFrameTop, 4230);
  AddLabel(frame, "lblFast", "Fast", 4980, kInFrameTop, 540, kLabelHeight, Qt::AlignRight);
  valueLabel = AddLabel(frame, labelName, "", 690, kInFrameTop + 300, 4230, kLabelHeight, Qt::AlignHCenter);
  return bar;
}

void MouseSpeedDialog::LoadFields() {
  for (int index = 1; index <= 4; ++index)
    optAcceleration->Button(index)->setText(QString::fromStdString(AccelerationNames[static_cast<std::size_t>(index)]));
  // The pending acceleration, its option set and drawn black (none for a value outside 1..4).
  optAcceleration->Load(Settings.Acceleration);
  chkBypass->setChecked(Settings.Bypass != 0);
  chkBoth->setChecked(Settings.SpeedH == Settings.SpeedV);
  ShowBothColour();
  // Each load reports a change, also at the bar's design value: the labels show from the first display.
  speedH_->Load(Settings.SpeedH);
  speedV_->Load(Settings.SpeedV);
  BypassBehaviour();
}

// The label shows the speed the dialog would write: a stored one beyond the bar while it holds.
void MouseSpeedDialog::SpeedChanged(FieldBar* field, QLabel* label, ScrollBar* other) {
  label->setText(PercentText(field->Value()));
  // The other bar follows a move of the person's (it reports its own change when it moves).
  if (chkBoth->isChecked() && field->Value() == field->bar()->value()) other->setValue(field->bar()->value());
  UpdateApply();
}

void MouseSpeedDialog::SpeedScrolled(ScrollBar* bar, ScrollBar* other) {
  if (chkBoth->isChecked()) other->setValue(bar->value());
}

void MouseSpeedDialog::BypassBehaviour() {
  const bool enabled = !chkBypass->isChecked();
  chkBoth->setEnabled(enabled);
  hscMouseHSpeed->setEnabled(enabled);
  hscMouseVSpeed->setEnabled(enabled);
  optAcceleration->SetEnabled(enabled);
  UpdateApply();
}

void MouseSpeedDialog::ShowBothColour() { SetTextColour(chkBoth, chkBoth->isChecked() ? kBlack : kTeal); }

bool MouseSpeedDialog::Differs() const {
  return Settings.Bypass != (chkBypass->isChecked() ? 1 : 0) || Settings.SpeedV != speedV_->Value() ||
         Settings.SpeedH != speedH_->Value() || optAcceleration->Pending() != Settings.Acceleration;
}

void MouseSpeedDialog::WriteFields() {
  Settings.Bypass = chkBypass->isChecked() ? 1 : 0;
  Settings.SpeedH = static_cast<std::uint8_t>(speedH_->Value());
  Settings.SpeedV = static_cast<std::uint8_t>(speedV_->Value());
  Settings.Acceleration = static_cast<std::uint8_t>(optAcceleration->Pending());
}

void MouseSpeedDialog::SendRequest() { SetMouseSpeed(); }

}  // namespace qx
