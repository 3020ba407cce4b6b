#include "ui/support_box.h"

#include <QPixmap>
#include <algorithm>

#include "host/paths.h"
#include "platform/file_exists.h"
#include "ui/controls.h"
#include "ui/twips.h"
#include "ui/window_ops.h"

namespace qx {

namespace {

constexpr int kPictureLeft = 0;
constexpr int kPictureTop = 60;
// Without a picture the box would be as narrow as nothing; it keeps room for its button.
constexpr int kNarrowest = kButtonWidth + 2 * kMargin;

}  // namespace

SupportBox::SupportBox(std::string picturePath)
    : SuiteDialog("frmSupport", kNarrowest, kButtonHeight), picturePath_(std::move(picturePath)) {
  if (const QWidget* main = MainWindowWidget()) setWindowTitle(main->windowTitle());
  picSupport = AddLabel(this, "picSupport", "", kPictureLeft, kPictureTop, 0, 0);
  cmdOK = AddButton(this, "cmdOK", "&OK", 0, 0);
  cmdOK->setDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
}

void SupportBox::Load() {
  // The picture at its own size (a damaged or vanished one leaves it empty, and so does what is no
  // regular file: a FIFO there would hold the window for ever).
  QPixmap picture;
  if (!FileExists(picturePath_) || !picture.load(QString::fromStdString(HostPath(picturePath_)))) picture = QPixmap();
  picSupport->setPixmap(picture);
  const int pictureWidth = TwipsFromPixels(picture.width());
  const int pictureHeight = TwipsFromPixels(picture.height());
  PlaceTwips(picSupport, kPictureLeft, kPictureTop, pictureWidth, pictureHeight);
  // The window fitted to it; its inner size is what the outer-minus-inner terms leave.
  const int width = std::max(kNarrowest, pictureWidth + 2 * kPictureLeft);
  const int height = pictureHeight + 5 * kPictureTop + kButtonHeight;
  SetClientSizeTwips(this, width, height);
  // The button under the picture, centred.
  PlaceTwips(cmdOK, (width - kButtonWidth) / 2, 3 * kPictureTop + pictureHeight, kButtonWidth, kButtonHeight);
  CenterForm(this);
}

}  // namespace qx
