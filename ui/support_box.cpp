#include "ui/support_box.h"

#include <QCloseEvent>
#include <QPixmap>
#include <QPointer>
#include <algorithm>

#include "host/paths.h"
#include "ui/title_area.h"
#include "ui/twips.h"
#include "ui/window_ops.h"

namespace qx {

namespace {

constexpr int kPictureLeft = 0;
constexpr int kPictureTop = 60;
constexpr int kButtonWidth = 1215;
constexpr int kButtonHeight = 495;
// Without a picture the box would be as narrow as nothing; it keeps room for its button.
constexpr int kNarrowest = kButtonWidth + 2 * 120;

}  // namespace

SupportBox::SupportBox(const std::string& picturePath)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
  setObjectName("frmSupport");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(ProgramIcon());
  if (const QWidget* main = MainWindowWidget()) setWindowTitle(main->windowTitle());
  picSupport = new QLabel(this);
  picSupport->setObjectName("picSupport");
  cmdOK = new QPushButton(QStringLiteral("&OK"), this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);

  // 1. The picture, at its own size (a damaged or vanished one leaves it empty).
  QPixmap picture;
  if (!picture.load(QString::fromStdString(HostPath(picturePath)))) picture = QPixmap();
  picSupport->setPixmap(picture);
  const int pictureWidth = TwipsFromPixels(picture.width());
  const int pictureHeight = TwipsFromPixels(picture.height());
  PlaceTwips(picSupport, kPictureLeft, kPictureTop, pictureWidth, pictureHeight);
  // 2. The window fitted to it; its inner size is what the outer-minus-inner terms leave.
  const int width = std::max(kNarrowest, pictureWidth + 2 * kPictureLeft);
  const int height = pictureHeight + 5 * kPictureTop + kButtonHeight;
  SetClientSizeTwips(this, width, height);
  // 3. The button under the picture, centred.
  PlaceTwips(cmdOK, (width - kButtonWidth) / 2, 3 * kPictureTop + pictureHeight, kButtonWidth, kButtonHeight);
  // 4.
  CenterForm(this);
}

void SupportBox::closeEvent(QCloseEvent* event) {
  ShowMainWindow();
  event->accept();
}

SupportBox* OpenSupportBox(const std::string& picturePath) {
  static QPointer<SupportBox> box;
  if (!box) box = new SupportBox(picturePath);
  box->show();
  box->raise();
  box->activateWindow();
  return box.data();
}

}  // namespace qx
