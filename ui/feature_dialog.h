// The behaviour every feature dialog of the control panel shares. A dialog built on it states
// only what is its own: its controls, how it loads them from the SettingsBlock, whether its
// pending values differ from the block, and what Apply writes, sends and shows.
//
//   Opening   one instance, shown modeless while the main window hides (OpenFeatureDialog);
//             closing destroys it, so every opening builds and loads it afresh.
//   Loading   LoadFields() from the SettingsBlock as the program holds it (no request), then
//             PrepareDialog: caption, version line, logo and title, centred window and icon.
//   Editing   changes touch only the dialog; after each one the dialog calls UpdateApply():
//             "cmdApply" is enabled exactly when Differs().
//   Apply     hourglass; WriteFields() into the SettingsBlock; SendRequest() with the whole
//             block; RefreshSummary() of the main window; "cmdApply" disabled.
//   OK        Apply first when "cmdApply" is enabled, then close. Cancel closes; nothing is
//             restored or resent. Any close (OK, Cancel, Esc, the close box) shows the main window.
//   Nothing is written to the registry.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QPushButton>

#include "ui/pointer.h"

namespace qx {

class FeatureDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Buttons { ApplyOkCancel, OkOnly };

  QPushButton* cmdApply = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCandel = nullptr;

 public slots:
  void Apply();
  void Ok();
  void Cancel();

 protected:
  // A window NAME ("frmMouseSpeed") with an inner size in twips; the title area and icon box
  // sit at the top (content starts at kContentTop), the buttons along the bottom.
  FeatureDialog(const char* name, int widthTwips, int heightTwips, Buttons buttons = Buttons::ApplyOkCancel);

  static constexpr int kContentTop = 1020;

  // Called by the dialog at the end of its constructor, once its controls exist.
  void Load();
  void UpdateApply();

  virtual void LoadFields() = 0;
  virtual bool Differs() const { return false; }
  virtual void WriteFields() {}
  virtual void SendRequest() {}
  virtual void RefreshSummary() {}

  void reject() override;  // Esc and the close box
  void closeEvent(QCloseEvent* event) override;

 private:
  void AddButtons();

  Buttons buttons_;
};

// Opens the one instance of dialog D (hourglass, create if missing, show modeless, hide the main
// window, normal pointer).
template <typename D>
D* OpenFeatureDialog(QPointer<D>& instance, QWidget* mainWindow) {
  Hourglass busy;
  if (!instance) instance = new D();
  instance->show();
  instance->raise();
  instance->activateWindow();
  if (mainWindow) mainWindow->hide();
  return instance.data();
}

}  // namespace qx
