#include "ui/title_area.h"

#include <QFrame>
#include <QPainter>

#include "ui/colours.h"
#include "ui/twips.h"

namespace qx {

TitleArea AddTitleArea(QWidget* window, int left, int top, int width, int height) {
  TitleArea area;
  area.picLogo = new QLabel(window);
  area.picLogo->setObjectName(kPicLogo);
  area.picLogo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  PlaceTwips(area.picLogo, left, top, width, height);

  area.lblOemTitle = new QLabel(QStringLiteral("Harlenby"), area.picLogo);
  area.lblOemTitle->setObjectName(kLblOemTitle);
  QFont title(QStringLiteral("Times New Roman"));
  title.setPointSizeF(20.25);
  title.setBold(true);
  area.lblOemTitle->setFont(title);
  SetTextColour(area.lblOemTitle, kRed);
  area.lblOemTitle->move(0, 0);
  area.lblOemTitle->adjustSize();

  area.lblSystem = new QLabel(area.picLogo);
  area.lblSystem->setObjectName(kLblSystem);
  SetTextColour(area.lblSystem, kBlue);
  PlaceTwips(area.lblSystem, 30, 525, width - 30, 240);
  return area;
}

TitleArea FindTitleArea(const QWidget* window) {
  if (!window) return {};
  return {window->findChild<QLabel*>(kPicLogo), window->findChild<QLabel*>(kLblOemTitle),
          window->findChild<QLabel*>(kLblSystem)};
}

QLabel* AddIconBox(QWidget* window, int left, int top, int size) {
  auto* box = new QFrame(window);
  box->setObjectName(kPicIcon);
  box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  PlaceTwips(box, left, top, size, size);
  auto* image = new QLabel(box);
  image->setObjectName(kImgIcon);
  image->setPixmap(ProgramIcon());
  image->adjustSize();
  return image;
}

QPixmap ProgramIcon() {
  QPixmap icon(32, 32);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(64, 64, 64), 1));
  p.setBrush(QColor(192, 192, 192));
  p.drawRoundedRect(QRectF(1.5, 2.5, 29, 22), 2, 2);  // the monitor
  p.setBrush(QColor(0, 0, 128));
  p.drawRect(QRectF(4.5, 5.5, 23, 16));  // its screen
  p.setBrush(QColor(128, 128, 128));
  p.drawRect(QRectF(11.5, 25.5, 9, 3));  // the stand
  p.drawRect(QRectF(7.5, 28.5, 17, 2));
  p.setPen(QPen(QColor(255, 255, 0), 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(16, 13.5), 4.5, 4.5);  // a touch target
  p.drawLine(QPointF(16, 7), QPointF(16, 20));
  p.drawLine(QPointF(9.5, 13.5), QPointF(22.5, 13.5));
  return icon;
}

}  // namespace qx
