// The About and Support boxes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <QLabel>
#include <QTest>
#include <filesystem>
#include <memory>

#include "core/settings_store.h"
#include "host/paths.h"
#include "ui/oem_branding.h"
#include "platform/product_data.h"
#include "tests/support/temp_root.h"
#include "tests/ui/main_window_stand_in.h"
#include "ui/about_box.h"
#include "ui/support_box.h"
#include "ui/title_area.h"
#include "ui/twips.h"
#include "ui/window_ops.h"

namespace qx {
namespace {

class Boxes : public test::MainWindowStandIn {
 protected:
  void SetUp() override {
    MainWindowStandIn::SetUp();
    InstallPath = "C:\\Suite";
    std::filesystem::create_directories(HostPath(InstallPath));
  }

  std::string WritePicture(int width, int height) {
    const std::string path = InstallPath + "\\QXVender.Bmp";
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::yellow);
    EXPECT_TRUE(picture.save(QString::fromStdString(HostPath(path)), "BMP"));
    return path;
  }

  test::TempRoot root;
};

TEST_F(Boxes, AboutBoxShowsVersionLineNoticeAndTitleAndReturnsToTheMainWindow) {
  QPointer<AboutBox> box;
  OpenWindow(box, main.get());
  EXPECT_EQ(box->windowTitle(), " About");
  EXPECT_EQ(box->findChild<QLabel*>("lblSystem")->text(), "Program Version 7.0.COM");
  EXPECT_EQ(box->findChild<QLabel*>("lblOemTitle")->text(), "Vendor");
  EXPECT_EQ(box->findChild<QLabel*>("lblCopyright")->text(), QString::fromUtf8(LegalNotice()));
  EXPECT_FALSE(QString::fromUtf8(LegalNotice()).isEmpty());
  EXPECT_EQ(box->findChild<QWidget*>("picLogo")->geometry(), QRect(32, 24, 316, 52));
  EXPECT_EQ(box->cmdOK->geometry(), QRect(192, 136, 81, 33));
  EXPECT_EQ(box->cmdOK->text(), "&OK");
  EXPECT_FALSE(main->isVisible());
  QTest::mouseClick(box->cmdOK, Qt::LeftButton);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(box.isNull());
  EXPECT_TRUE(main->isVisible());
}

TEST_F(Boxes, SupportBoxFitsThePictureWithTheButtonCentredBelow) {
  const std::string path = WritePicture(200, 100);
  QPointer<SupportBox> box;
  OpenWindow(box, main.get(), path);
  EXPECT_EQ(box->windowTitle(), " Main caption");
  EXPECT_EQ(box->picSupport->geometry(), QRect(0, 4, 200, 100));
  // Inner size: the picture's width; its height + 5 x its top (60 twips) + the button's height.
  EXPECT_EQ(box->size(), QSize(200, 100 + 20 + 33));
  EXPECT_EQ(box->cmdOK->geometry(), QRect((3000 - 1215) / 2 / 15, 12 + 100, 81, 33));
  box->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(box.isNull());
  EXPECT_TRUE(main->isVisible());
}

// A damaged picture, or a FIFO in its place (not waited on), leaves the box without one.
TEST_F(Boxes, SupportBoxWithAPictureThatCannotBeReadStaysUsable) {
  const std::string path = InstallPath + "\\QXVender.Bmp";
  for (const bool fifo : {false, true}) {
    std::filesystem::remove(HostPath(path));
    if (fifo) ASSERT_EQ(::mkfifo(HostPath(path).c_str(), 0600), 0);
    else test::WriteFile(HostPath(path), "damaged");
    QPointer<SupportBox> box;
    OpenWindow(box, main.get(), path);
    EXPECT_TRUE(box->picSupport->pixmap().isNull());
    EXPECT_GE(box->width(), box->cmdOK->width());
    EXPECT_GE(box->cmdOK->x(), 0);
    EXPECT_TRUE(box->rect().contains(box->cmdOK->geometry()));
    box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

TEST_F(Boxes, AboutBoxShowsTheMainWindowsLogo) {
  QImage logo(60, 30, QImage::Format_RGB32);
  logo.fill(Qt::blue);
  ASSERT_TRUE(logo.save(QString::fromStdString(HostPath(InstallPath + LOGO_FILE)), "BMP"));
  ApplyMainLogo(main.get());
  ASSERT_TRUE(LogoPresent);
  QPointer<AboutBox> box;
  OpenWindow(box, main.get());
  EXPECT_TRUE(box->findChild<QLabel*>("lblOemTitle")->isHidden());
  EXPECT_EQ(box->findChild<QLabel*>("picLogo")->pixmap().size(), QSize(60, 30));
  box->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace qx
