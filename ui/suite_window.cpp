#include "ui/suite_window.h"

#include <QCloseEvent>

#include "ui/title_area.h"
#include "ui/twips.h"
#include "ui/window_ops.h"

namespace qx {

void SetUpWindow(QWidget* window, const char* name, int widthTwips, int heightTwips) {
  window->setObjectName(name);
  window->setWindowIcon(ProgramIcon());
  SetClientSizeTwips(window, widthTwips, heightTwips);
}

SuiteDialog::SuiteDialog(const char* name, int widthTwips, int heightTwips, Qt::WindowFlags flags)
    : QDialog(nullptr, flags) {
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  SetUpWindow(this, name, widthTwips, heightTwips);
}

void SuiteDialog::done(int result) {
  setResult(result);
  close();
}

void SuiteDialog::closeEvent(QCloseEvent* event) {
  if (returnTo_) ShowAgain(returnTo_);
  else ShowMainWindow();
  event->accept();
}

}  // namespace qx
