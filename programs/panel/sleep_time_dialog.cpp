#include "programs/panel/sleep_time_dialog.h"

#include "core/controller_info.h"
#include "core/driver_link.h"
#include "core/settings_block.h"
#include "programs/panel/level_frame.h"
#include "ui/colours.h"
#include "ui/controls.h"

namespace qx {

namespace {

constexpr int kWidth = 5880;
constexpr int kInnerWidth = kWidth - 2 * kMargin;
constexpr int kTextTop = FeatureDialog::kContentTop + kLevelFrameHeight + kMargin;
constexpr int kHeight = kTextTop + kLabelHeight + 2 * kMargin + kButtonHeight;
constexpr int kSecondsPerUnit = 10;

}  // namespace

SleepTimeDialog::SleepTimeDialog() : FeatureDialog("frmSleepTime", kWidth, kHeight) {
  const LevelFrame frame = AddLevelFrame(this, "  Power Down Timer Adjustment ", kMargin, kContentTop, kInnerWidth,
                                         "hscSleepTime", 0, 30, 1, 6, "Short", "Long", "lblST", {"0", "300"});
  frame_ = frame.frame;
  hscSleepTime = frame.bar;
  lblST = frame.value;
  lblSS = AddLabel(this, "lblSS", "", kMargin, kTextTop, kInnerWidth, kLabelHeight, Qt::AlignHCenter);
  SetTextColour(lblSS, kBlue);
  time_ = new FieldBar(hscSleepTime);
  connect(time_, &FieldBar::Scrolled, this, [this] { ShowTime(); });
  connect(time_, &FieldBar::Changed, this, [this] {
    ShowTime();
    UpdateApply();
  });
}

void SleepTimeDialog::LoadFields() {
  time_->Load(Settings.PowerDownTime);
  const bool lacks = ControllerRecord.Lacks & LACKS_POWER_SAVE;
  frame_->setEnabled(!lacks);
  if (lacks) lblSS->setText(QString::fromUtf8(kDoesNotApply));
}

void SleepTimeDialog::ShowTime() {
  lblST->setText(SignedText(time_->Value() * kSecondsPerUnit));
  lblSS->setText(QString::fromStdString(PowerSaveText(time_->Value())));
}

bool SleepTimeDialog::Differs() const { return Settings.PowerDownTime != time_->Value(); }

void SleepTimeDialog::WriteFields() { Settings.PowerDownTime = static_cast<std::uint8_t>(time_->Value()); }

void SleepTimeDialog::SendRequest() { SetPowerSave(); }

}  // namespace qx
