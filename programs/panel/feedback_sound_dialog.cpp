#include "programs/panel/feedback_sound_dialog.h"

#include <QMouseEvent>

#include "core/driver_link.h"
#include "core/settings_block.h"
#include "ui/controls.h"

namespace qx {

namespace {

constexpr int kWidth = 6000;
constexpr int kFrameLeft = 120;
constexpr int kFrameWidth = 5760;
constexpr int kOptionsHeight = 1080;
constexpr int kBarFrameHeight = 690;
constexpr int kToneTop = FeatureDialog::kContentTop + kOptionsHeight + 120;
constexpr int kDurationTop = kToneTop + kBarFrameHeight + 120;
constexpr int kTestTop = kDurationTop + kBarFrameHeight + 120;
constexpr int kHeight = kTestTop + kButtonHeight + 2 * kMargin + kButtonHeight;

}  // namespace

FeedbackSoundDialog::FeedbackSoundDialog() : FeatureDialog("frmFeedbackSound", kWidth, kHeight) {
  QGroupBox* options = AddFrame(this, "fraFeedbackSound", "  Feedback Sound Option  ", kFrameLeft, kContentTop,
                                kFrameWidth, kOptionsHeight);
  optFeedbackSound = new OptionGroup(this);
  for (int index = 1; index <= 4; ++index) {
    // Two columns: silence and touch down above, lift off and both below; the right column is
    // the wider, for "Both Touch Down & Lift Off".
    const bool right = index % 2 == 0;
    const int top = kInFrameTop + ((index - 1) / 2) * 360;
    const std::string name = "optFeedbackSound" + std::to_string(index);
    optFeedbackSound->Add(index, AddOption(options, name.c_str(), "", right ? 2640 : 180, top, right ? 3000 : 2400));
  }

  tone_ = AddBarFrame("  Tone  ", kToneTop, "hscTone", 200, 5000, 100, "Low", "High", "lblTone", lblTone);
  hscTone = tone_->bar();
  duration_ =
      AddBarFrame("  Duration  ", kDurationTop, "hscDuration", 10, 50, 5, "Short", "Long", "lblDuration", lblDuration);
  hscDuration = duration_->bar();

  cmdSoundTest = AddButton(this, "cmdSoundTest", "Touch Here to Test", kFrameLeft, kTestTop, kFrameWidth);
  cmdSoundTest->installEventFilter(this);

  connect(optFeedbackSound, &OptionGroup::Changed, this, [this] { UpdateApply(); });
}

// A frame with LOW_TEXT and HIGH_TEXT at the ends of its bar and the value label beside it; the
// label follows the bar at every step, also while the thumb is dragged.
FieldBar* FeedbackSoundDialog::AddBarFrame(const char* title, int top, const char* barName, int min, int max,
                                           int largeStep, const char* lowText, const char* highText,
                                           const char* labelName, QLabel*& valueLabel) {
  const std::string frameName = std::string("fra") + (barName + 3);
  QGroupBox* frame = AddFrame(this, frameName.c_str(), title, kFrameLeft, top, kFrameWidth, kBarFrameHeight);
  AddLabel(frame, (std::string("lbl") + lowText).c_str(), lowText, 120, kInFrameTop, 540);
  ScrollBar* bar = AddScrollBar(frame, barName, min, max, 1, largeStep, 720, kInFrameTop, 3480);
  AddLabel(frame, (std::string("lbl") + highText).c_str(), highText, 4260, kInFrameTop, 540);
  QLabel* label = AddLabel(frame, labelName, "", 4860, kInFrameTop, 780, kLabelHeight, Qt::AlignRight);
  valueLabel = label;
  auto* field = new FieldBar(bar);
  auto follow = [this, field, label] {
    label->setText(QString::number(field->Value()));
    UpdateApply();
  };
  connect(field, &FieldBar::Changed, this, follow);
  connect(field, &FieldBar::Scrolled, this, follow);
  return field;
}

void FeedbackSoundDialog::LoadFields() {
  for (int index = 1; index <= 4; ++index)
    optFeedbackSound->Button(index)->setText(QStringLiteral(" ") +
                                             QString::fromStdString(SoundModeNames[static_cast<std::size_t>(index)]));
  optFeedbackSound->Load(Settings.SoundMode);
  tone_->Load(Settings.SoundTone);
  duration_->Load(Settings.SoundDuration);
  cmdSoundTest->setEnabled(optFeedbackSound->Pending() == 1);
}

bool FeedbackSoundDialog::Differs() const {
  return optFeedbackSound->Pending() != Settings.SoundMode || duration_->Value() != Settings.SoundDuration ||
         tone_->Value() != Settings.SoundTone;
}

void FeedbackSoundDialog::WriteFields() {
  Settings.SoundTone = static_cast<std::int16_t>(tone_->Value());
  Settings.SoundDuration = static_cast<std::int16_t>(duration_->Value());
  Settings.SoundMode = static_cast<std::uint8_t>(optFeedbackSound->Pending());
}

void FeedbackSoundDialog::SendRequest() { SetFeedbackSound(); }

// The test is offered exactly when the mode just applied is silence.
void FeedbackSoundDialog::Taken() { cmdSoundTest->setEnabled(optFeedbackSound->Pending() == 1); }

// The values come from the labels: the test sounds what the dialog shows.
void FeedbackSoundDialog::SoundTest() {
  Sound.Tone = static_cast<std::int16_t>(lblTone->text().toInt());
  Sound.Duration = static_cast<std::int16_t>(lblDuration->text().toInt());
  PlayTestSound();
}

// The test runs as a mouse button goes down on the test button and again as it comes up (a
// second press of a double click counts as a press).
bool FeedbackSoundDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == cmdSoundTest && cmdSoundTest->isEnabled()) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick || type == QEvent::MouseButtonRelease)
      SoundTest();
  }
  return FeatureDialog::eventFilter(watched, event);
}

}  // namespace qx
