// frmFeedbackSound: when the controller sounds on a touch (never, touch down, lift off, both), and
// the tone and duration of that sound; Apply sends SetFeedbackSound. "Touch Here to Test" asks
// the driver for the sound shown, applied or not, as its button goes down and again as it comes
// up; it is offered only while the stored mode is silence, and changes only with Apply.
//
// Fields out of their ranges when the dialog opens: a tone or duration beyond its bar shows its
// number in the label with the bar at the nearest end, and stays as it is unless the bar is moved
// (FieldBar); a mode outside 1..4 shows no option chosen and stays unless one is chosen. So Apply
// and OK write back only what the person changed.
#pragma once

#include <QLabel>
#include <QPushButton>

#include "programs/panel/field_bar.h"
#include "ui/feature_dialog.h"
#include "ui/option_group.h"

namespace qx {

class FeedbackSoundDialog : public FeatureDialog {
  Q_OBJECT
 public:
  FeedbackSoundDialog();

  OptionGroup* optFeedbackSound = nullptr;
  ScrollBar* hscTone = nullptr;
  QLabel* lblTone = nullptr;
  ScrollBar* hscDuration = nullptr;
  QLabel* lblDuration = nullptr;
  QPushButton* cmdSoundTest = nullptr;

  // PlayTestSound with the tone and duration the labels show.
  void SoundTest();

 protected:
  void LoadFields() override;
  bool Differs() const override;
  void WriteFields() override;
  void SendRequest() override;
  void Taken() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  FieldBar* AddBarFrame(const char* title, int top, const char* barName, int min, int max, int largeStep,
                        const char* lowText, const char* highText, const char* labelName, QLabel*& valueLabel);

  FieldBar* tone_ = nullptr;
  FieldBar* duration_ = nullptr;
};

}  // namespace qx
