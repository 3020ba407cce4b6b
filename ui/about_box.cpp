#include "ui/about_box.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>

#include "platform/oem_branding.h"
#include "platform/product_data.h"
#include "ui/title_area.h"
#include "ui/twips.h"
#include "ui/window_ops.h"

namespace qx {

AboutBox::AboutBox()
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
  setObjectName("frmAbout");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral(" About"));
  setWindowIcon(ProgramIcon());
  SetClientSizeTwips(this, 7095, 2895);
  const TitleArea area = AddTitleArea(this, 480, 360, 4740, 780);
  AddIconBox(this, 5280, 360, 780);
  auto* copyright = new QLabel(this);
  copyright->setObjectName("lblCopyright");
  PlaceTwips(copyright, 480, 1500, 6135, 195);
  cmdOK = new QPushButton(QStringLiteral("&OK"), this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setDefault(true);
  PlaceTwips(cmdOK, 2880, 2040, 1215, 495);
  connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);

  // Load: the version line, the notice, the logo or title, then the places.
  if (const QWidget* main = MainWindowWidget())
    if (const QLabel* mainSystem = main->findChild<QLabel*>("lblSystem")) area.lblSystem->setText(mainSystem->text());
  copyright->setText(QString::fromUtf8(LegalNotice()));
  ApplyDialogLogo(this, MainWindowWidget());
  CenterForm(this);
  CenterIcon(this);
}

void AboutBox::closeEvent(QCloseEvent* event) {
  ShowMainWindow();
  event->accept();
}

AboutBox* OpenAboutBox() {
  static QPointer<AboutBox> box;
  if (!box) box = new AboutBox();
  box->show();
  box->raise();
  box->activateWindow();
  return box.data();
}

}  // namespace qx
