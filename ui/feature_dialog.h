// The behaviour every feature dialog of the control panel shares. A dialog built on it states
// only what is its own: its controls, how it loads them from the SettingsBlock, whether its
// pending values differ from the block, and what Apply writes and sends.
//
//   Opening   OpenWindow (ui/suite_window.h): one instance, shown modeless while the main window
//             hides; closing destroys it, so every opening builds and loads it afresh.
//   Loading   LoadFields() from the SettingsBlock as the program holds it (no request), then
//             PrepareDialog: caption, version line, logo and title, centred window and icon.
//   Editing   changes touch only the dialog; after each one the dialog calls UpdateApply():
//             "cmdApply" is enabled exactly when Differs().
//   Apply     hourglass; WriteFields() into the SettingsBlock; SendRequest() with the whole
//             block; Applied(), on which the main window rebuilds the dialog's summary line;
//             "cmdApply" disabled; Taken() for what follows a request the driver took.
//             A request that fails is sent once more over a fresh connection to the driver (a
//             service started again since takes it); failing again (the service stopped or not
//             answering), it changes nothing the person sees but the driver's box: the
//             SettingsBlock back as it was, "cmdApply" still enabled, no Applied().
//   OK        Apply first when "cmdApply" is enabled, then close (not when that Apply failed).
//             Cancel closes; nothing is restored or resent. Any close (OK, Cancel, Esc, the close
//             box) shows the main window.
//   Nothing is written to the registry.
#pragma once

#include <QPushButton>

#include "ui/suite_window.h"

namespace qx {

class FeatureDialog : public SuiteDialog {
  Q_OBJECT
 public:
  // ApplyOkCancel: the feature dialogs; OK is the default button, Esc is Cancel.
  // OkOnly: the display-only dialogs, OK the default button.
  // SaveOkCancel: a set-up dialog, where Apply is "cmdSave" ("&Save") and Cancel is "cmdCancel";
  //   Esc is OK (it saves what is pending), and no button is the default.
  enum class Buttons { ApplyOkCancel, OkOnly, SaveOkCancel };

  QPushButton* cmdApply = nullptr;  // or Save
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCandel = nullptr;  // or cmdCancel

  void Load() final;

  // Where a dialog's own controls begin, below the title area (twips).
  static constexpr int kContentTop = 1020;

 signals:
  // Apply has written the fields and sent the request.
  void Applied();

 public slots:
  void Apply();
  void Ok();
  void Cancel();

 protected:
  // A window NAME ("frmMouseSpeed") with an inner size in twips; the title area and icon box
  // sit at the top (content starts at kContentTop), the buttons along the bottom.
  FeatureDialog(const char* name, int widthTwips, int heightTwips, Buttons buttons = Buttons::ApplyOkCancel);

  void UpdateApply();

  virtual void LoadFields() = 0;
  virtual bool Differs() const { return false; }
  virtual void WriteFields() {}
  virtual void SendRequest() {}
  // After a request the driver took, and Applied().
  virtual void Taken() {}

  void reject() override;  // Esc: Cancel (OK in a set-up dialog)

 private:
  void AddButtons();
  // SendRequest(), once more on a fresh connection when it failed; whether the driver took it.
  bool Send();

  Buttons buttons_;
};

}  // namespace qx
