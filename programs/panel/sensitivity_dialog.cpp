#include "programs/panel/sensitivity_dialog.h"

#include <QEvent>

#include "core/controller_info.h"
#include "core/driver_link.h"
#include "programs/panel/level_frame.h"
#include "ui/colours.h"
#include "ui/controls.h"

namespace qx {

namespace {

constexpr int kWidth = 5880;
constexpr int kInnerWidth = kWidth - 2 * kMargin;
constexpr int kBoxTop = FeatureDialog::kContentTop + kLevelFrameHeight + kMargin;
constexpr int kBoxHeight = 900;
constexpr int kHeight = kBoxTop + kBoxHeight + 2 * kMargin + kButtonHeight;
constexpr int kStoredAtLevelZero = 127;

}  // namespace

SensitivityDialog::SensitivityDialog() : FeatureDialog("frmSensitivity", kWidth, kHeight) {
  const LevelFrame frame =
      AddLevelFrame(this, "  Touch Sensitivity Adjustment ", kMargin, kContentTop, kInnerWidth, "hscSensitivity", 0,
                    127, 1, 10, "Light", "Heavy", "lblSV", {"0", "63", "127"});
  frame_ = frame.frame;
  hscSensitivity = frame.bar;
  lblSV = frame.value;
  level_ = new FieldBar(hscSensitivity);
  connect(level_, &FieldBar::Scrolled, this, [this] { ShowLevel(); });
  connect(level_, &FieldBar::Changed, this, [this] {
    ShowLevel();
    UpdateApply();
  });

  // The box shows its yellow only while it is pressed: transparent until then.
  lblTestBox0 = AddLabel(this, "lblTestBox0", "", kMargin, kBoxTop, kInnerWidth, kBoxHeight);
  lblTestBox0->setFrameStyle(QFrame::Box | QFrame::Plain);
  QPalette yellow = lblTestBox0->palette();
  yellow.setColor(QPalette::Window, kYellow);
  lblTestBox0->setPalette(yellow);
  // The caption, one line across the middle of the box.
  lblTestBox1 =
      AddLabel(this, "lblTestBox1", "Touch On This Box To Test", 4 * kMargin, kBoxTop + (kBoxHeight - kLabelHeight) / 2,
               kInnerWidth - 6 * kMargin, kLabelHeight, Qt::AlignHCenter);
  for (QLabel* part : {lblTestBox0, lblTestBox1}) part->installEventFilter(this);
}

void SensitivityDialog::LoadFields() {
  level_->Load(kStoredAtLevelZero - Settings.Sensitivity);
  const bool lacks = ControllerRecord.Lacks & LACKS_SENSITIVITY;
  frame_->setEnabled(!lacks);
  lblTestBox1->setText(QString::fromUtf8(lacks ? kDoesNotApply : "Touch On This Box To Test"));
}

void SensitivityDialog::ShowLevel() { lblSV->setText(SignedText(level_->Value())); }

bool SensitivityDialog::Differs() const { return Settings.Sensitivity != kStoredAtLevelZero - level_->Value(); }

void SensitivityDialog::WriteFields() {
  Settings.Sensitivity = static_cast<std::uint8_t>(kStoredAtLevelZero - level_->Value());
}

void SensitivityDialog::SendRequest() { SetSensitivity(); }

// A press on either part lights the box; the release clears it wherever the pointer then is (the
// part pressed keeps the mouse until the button comes up).
bool SensitivityDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lblTestBox0 || watched == lblTestBox1) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
        lblTestBox0->setAutoFillBackground(true);
        lblTestBox0->update();
        return true;
      case QEvent::MouseButtonRelease:
        lblTestBox0->setAutoFillBackground(false);
        lblTestBox0->update();
        return true;
      default: break;
    }
  }
  return FeatureDialog::eventFilter(watched, event);
}

}  // namespace qx
