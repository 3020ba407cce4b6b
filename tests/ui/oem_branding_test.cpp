#include "ui/oem_branding.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QLabel>
#include <filesystem>
#include <memory>

#include "core/settings_store.h"
#include "host/paths.h"
#include "host/program_state.h"
#include "platform/file_exists.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

// A window with the title area as every window of the suite has it.
struct TitledWindow {
  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  QLabel* picLogo = new QLabel(window.get());
  QLabel* title = new QLabel(QStringLiteral("Harlenby"), picLogo);
  QLabel* system = new QLabel(QStringLiteral("Version line"), picLogo);

  TitledWindow() {
    picLogo->setObjectName("picLogo");
    title->setObjectName("lblOemTitle");
    system->setObjectName("lblSystem");
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(20.25);
    font.setBold(true);
    title->setFont(font);
    system->move(2, 34);
  }
};

class OemBranding : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    InstallPath = "C:\\Suite";
    VenderName = "Vendor && Sons";
    std::filesystem::create_directories(HostPath(InstallPath));
  }
  void WriteLogo(int width = 40, int height = 20) {
    QImage logo(width, height, QImage::Format_RGB32);
    logo.fill(Qt::darkGreen);
    ASSERT_TRUE(logo.save(QString::fromStdString(HostPath(InstallPath + LOGO_FILE)), "BMP"));
  }
  test::TempRoot root;
};

TEST_F(OemBranding, WithoutLogoTheTitleIsTheVendorNameInTheDesignLook) {
  TitledWindow main;
  ApplyMainLogo(main.window.get());
  EXPECT_FALSE(LogoPresent);
  EXPECT_EQ(main.title->text(), "Vendor & Sons");
  EXPECT_FALSE(main.title->isHidden());
  EXPECT_TRUE(main.title->font().bold());
  EXPECT_DOUBLE_EQ(main.title->font().pointSizeF(), 20.25);
  EXPECT_EQ(main.system->pos(), QPoint(2, 34));
}

TEST_F(OemBranding, StyleCodeSetsFaceSlantSizeAndColours) {
  VenderStyle = "23140912";
  TitledWindow main;
  ApplyMainLogo(main.window.get());
  const QFont font = main.title->font();
  EXPECT_EQ(font.family(), "Arial");
  EXPECT_TRUE(font.bold());
  EXPECT_TRUE(font.italic());
  EXPECT_EQ(font.pointSize(), 14);
  EXPECT_EQ(main.title->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(main.system->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST_F(OemBranding, ColourOutsideThePaletteLeavesTheColour) {
  VenderStyle = "1000-199";
  TitledWindow main;
  const QColor before = main.title->palette().color(QPalette::WindowText);
  ApplyMainLogo(main.window.get());
  EXPECT_EQ(main.title->palette().color(QPalette::WindowText), before);
  EXPECT_EQ(main.title->font().family(), "Times New Roman");
  EXPECT_FALSE(main.title->font().bold());
}

TEST_F(OemBranding, LogoReplacesTheTitleInMainWindowAndEveryDialogEvenAfterTheFileIsGone) {
  WriteLogo();
  TitledWindow main;
  ApplyMainLogo(main.window.get());
  ASSERT_TRUE(LogoPresent);
  EXPECT_TRUE(main.title->isHidden());
  EXPECT_EQ(main.system->pos(), QPoint(2, 32));
  EXPECT_EQ(main.picLogo->pixmap().size(), QSize(40, 20));

  std::filesystem::remove(HostPath(InstallPath + LOGO_FILE));
  TitledWindow dialog;
  ApplyDialogLogo(dialog.window.get(), main.window.get());
  EXPECT_TRUE(dialog.title->isHidden());
  EXPECT_EQ(dialog.system->pos(), QPoint(2, 32));
  EXPECT_EQ(dialog.picLogo->pixmap().toImage(), main.picLogo->pixmap().toImage());
}

TEST_F(OemBranding, DamagedLogoFallsBackToTheTextTitle) {
  test::WriteFile(HostPath(InstallPath + LOGO_FILE), "BM not really a bitmap");
  TitledWindow main;
  ApplyMainLogo(main.window.get());
  EXPECT_FALSE(LogoPresent);
  EXPECT_FALSE(main.title->isHidden());
  EXPECT_EQ(main.title->text(), "Vendor & Sons");
  EXPECT_TRUE(main.picLogo->pixmap().isNull());
}

TEST_F(OemBranding, DialogCopiesTheMainTitleAndAppliesTheStyle) {
  VenderStyle = "20000303";
  TitledWindow main;
  ApplyMainLogo(main.window.get());
  VenderName = "changed since";  // the dialog copies the main window, not the record
  TitledWindow dialog;
  ApplyDialogLogo(dialog.window.get(), main.window.get());
  EXPECT_EQ(dialog.title->text(), "Vendor & Sons");
  EXPECT_EQ(dialog.title->font().family(), "Arial");
  EXPECT_EQ(dialog.title->palette().color(QPalette::WindowText), QColor(0, 128, 128));
}

TEST_F(OemBranding, FileExistsOnlyForReadableFiles) {
  test::WriteFile(HostPath(InstallPath + "\\QXVender.Cut"), "");
  EXPECT_TRUE(FileExists(InstallPath + "\\QXVender.Cut"));
  EXPECT_TRUE(FileExists("c:\\suite\\qxvender.cut"));  // Windows names do not regard case
  EXPECT_FALSE(FileExists(InstallPath + "\\QXVender.Bmp"));
  EXPECT_FALSE(FileExists(InstallPath));  // a folder is no file
  EXPECT_FALSE(FileExists(""));
}

}  // namespace
}  // namespace qx
