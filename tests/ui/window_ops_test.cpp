#include "ui/window_ops.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <cmath>
#include <memory>

#include "core/settings_store.h"
#include "ui/oem_branding.h"
#include "tests/ui/main_window_stand_in.h"
#include "ui/title_area.h"
#include "ui/twips.h"

namespace qx {
namespace {

TEST(Twips, FifteenToAPixel) {
  QWidget w;
  PlaceTwips(&w, 480, 360, 4740, 780);
  EXPECT_EQ(w.geometry(), QRect(32, 24, 316, 52));
  EXPECT_EQ(LeftTwips(&w), 480);
  EXPECT_EQ(HeightTwips(&w), 780);
  SetTopTwips(&w, 1200);
  EXPECT_EQ(w.y(), 80);
}

TEST(CenterForm, CentresOnTheUpperEightyFivePercent) {
  QWidget window;
  SetClientSizeTwips(&window, 7200, 4095);  // 480 x 273 pixels
  CenterForm(&window);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const int screenWidth = screen.width() * 15;
  const int upper = static_cast<int>(std::lrint(screen.height() * 15 * 0.85));
  EXPECT_EQ(window.x(), (screenWidth / 2 - 7200 / 2) / 15);
  EXPECT_EQ(window.y(), (upper / 2 - 4095 / 2) / 15);
  EXPECT_LT(window.y() + window.height() / 2, screen.height() / 2);  // above the true centre
}

TEST(CenterIcon, CentresTheImageInsideItsBox) {
  QWidget window;
  AddIconBox(&window, 0, 0, 780);
  CenterIcon(&window);
  auto* box = window.findChild<QWidget*>("picIcon");
  auto* image = box->findChild<QLabel*>("imgIcon");
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), QSize(32, 32));
  const QRect inner = box->contentsRect();
  EXPECT_EQ(image->x() - inner.left(), (inner.width() - 32) / 2);
  EXPECT_EQ(image->y() - inner.top(), (inner.height() - 32) / 2);
}

using DialogPreparation = test::MainWindowStandIn;

TEST_F(DialogPreparation, CopiesCaptionVersionLineAndTitle) {
  QWidget dialog;
  const TitleArea area = AddTitleArea(&dialog, 120, 120, 3000, 780);
  AddIconBox(&dialog, 3240, 120, 780);
  SetClientSizeTwips(&dialog, 4200, 3000);
  PrepareDialog(&dialog);
  EXPECT_EQ(dialog.windowTitle(), " Main caption");
  EXPECT_EQ(area.lblSystem->text(), "Program Version 7.0.COM");
  EXPECT_EQ(area.lblOemTitle->text(), "Vendor");
  EXPECT_EQ(dialog.pos().x(), (QGuiApplication::primaryScreen()->geometry().width() * 15 / 2 - 2100) / 15);
}

TEST_F(DialogPreparation, ShowMainWindowShowsTheHiddenMainWindow) {
  main->hide();
  ShowMainWindow();
  EXPECT_TRUE(main->isVisible());
}

}  // namespace
}  // namespace qx
