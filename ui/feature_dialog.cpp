#include "ui/feature_dialog.h"

#include <optional>

#include "core/driver_link.h"
#include "ui/controls.h"
#include "ui/pointer.h"
#include "ui/title_area.h"
#include "ui/twips.h"
#include "ui/window_ops.h"

namespace qx {

FeatureDialog::FeatureDialog(const char* name, int widthTwips, int heightTwips, Buttons buttons)
    : SuiteDialog(name, widthTwips, heightTwips), buttons_(buttons) {
  const int iconLeft = widthTwips - kMargin - kIconSize;
  AddTitleArea(this, kMargin, kMargin, iconLeft - 2 * kMargin, kIconSize);
  AddIconBox(this, iconLeft, kMargin, kIconSize);
}

void FeatureDialog::Load() {
  AddButtons();
  LoadFields();
  UpdateApply();
  PrepareDialog(this);
}

// Along the bottom, right-aligned: OK, Cancel, Apply.
void FeatureDialog::AddButtons() {
  const int top = HeightTwips(this) - kMargin - kButtonHeight;
  int left = WidthTwips(this) - kMargin - kButtonWidth;
  auto add = [&](const char* objectName, const char* caption) {
    QPushButton* button = AddButton(this, objectName, caption, left, top);
    button->show();
    left -= kButtonWidth + kMargin;
    return button;
  };
  const bool setUp = buttons_ == Buttons::SaveOkCancel;
  if (buttons_ != Buttons::OkOnly) {
    cmdApply = setUp ? add("cmdSave", "&Save") : add("cmdApply", "&Apply");
    cmdApply->setEnabled(false);
    connect(cmdApply, &QPushButton::clicked, this, &FeatureDialog::Apply);
    cmdCandel = setUp ? add("cmdCancel", "&Cancel") : add("cmdCandel", "&Cancel");
    connect(cmdCandel, &QPushButton::clicked, this, &FeatureDialog::Cancel);
  }
  cmdOK = add("cmdOK", "&OK");
  cmdOK->setDefault(!setUp);
  connect(cmdOK, &QPushButton::clicked, this, &FeatureDialog::Ok);
  // Tab order left to right: OK, Cancel, Apply, after the dialog's own controls.
  if (cmdCandel) setTabOrder(cmdOK, cmdCandel);
  if (cmdApply) setTabOrder(cmdCandel, cmdApply);
}

void FeatureDialog::UpdateApply() {
  if (cmdApply) cmdApply->setEnabled(Differs());
}

void FeatureDialog::Apply() {
  std::optional<Hourglass> busy(std::in_place);
  const SettingsBlock before = Settings;
  WriteFields();
  if (!Send()) {
    // The summary line, the block and Apply stay as they were: the values were not taken.
    Settings = before;
    busy.reset();
    ReportDriverMissing(windowTitle().toStdString());
    return;
  }
  emit Applied();
  if (cmdApply) cmdApply->setEnabled(false);
  Taken();
}

// A request that failed is sent once more over a fresh connection: a service started again since
// the driver was opened takes it. A Set request may be sent twice: it only takes its fields.
bool FeatureDialog::Send() {
  SendRequest();
  if (LastRequestResult) return true;
  CloseDriver();
  if (OpenDriver()) SendRequest();
  return LastRequestResult != 0;
}

void FeatureDialog::Ok() {
  if (cmdApply && cmdApply->isEnabled()) {
    Apply();
    if (cmdApply->isEnabled()) return;  // not taken: the dialog stays, with what is pending
  }
  Hourglass busy;
  close();
}

void FeatureDialog::Cancel() {
  Hourglass busy;
  close();
}

void FeatureDialog::reject() {
  if (buttons_ == Buttons::SaveOkCancel) Ok();
  else Cancel();
}

}  // namespace qx
