#include "ui/about_box.h"

#include "platform/product_data.h"
#include "ui/controls.h"
#include "ui/oem_branding.h"
#include "ui/window_ops.h"

namespace qx {

AboutBox::AboutBox() : SuiteDialog("frmAbout", 7095, 2895) {
  setWindowTitle(QStringLiteral(" About"));
  area_ = AddTitleArea(this, 480, 360, 4740, kIconSize);
  AddIconBox(this, 5280, 360, kIconSize);
  lblCopyright = AddLabel(this, "lblCopyright", "", 480, 1500, 6135, 195);
  cmdOK = AddButton(this, "cmdOK", "&OK", 2880, 2040);
  cmdOK->setDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
}

// The version line, the notice, the logo or title, then the places.
void AboutBox::Load() {
  if (const QLabel* mainSystem = FindTitleArea(MainWindowWidget()).lblSystem)
    area_.lblSystem->setText(mainSystem->text());
  lblCopyright->setText(QString::fromUtf8(LegalNotice()));
  ApplyDialogLogo(this, MainWindowWidget());
  CenterForm(this);
  CenterIcon(this);
}

}  // namespace qx
