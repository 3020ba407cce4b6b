// The confirmation window: its texts, its layout rule and separator, the About box, and a missing
// installation record. (No is pressed on the real program: uninstall_program_test.cpp.)
#include <gmock/gmock.h>

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTextLayout>
#include <filesystem>

#include "core/settings_store.h"
#include "tests/programs/uninstall/removal_fixture.h"
#include "ui/about_box.h"
#include "ui/controls.h"
#include "ui/twips.h"

namespace qx::test {
namespace {

using ::testing::ElementsAre;

// Where the layout rule puts the two buttons in a window WIDTH twips wide.
int YesLeft(int width) { return static_cast<int>(std::nearbyint(width - 1.5 * kButtonWidth - kButtonWidth)) / 2; }
int NoLeft(int width) { return static_cast<int>(std::nearbyint(YesLeft(width) + 1.5 * kButtonWidth)); }

TEST_F(RemovalTest, TheWindowAsksWithItsTextsButtonsAndEtchedSeparator) {
  ASSERT_TRUE(Install());
  ASSERT_EQ(Start(), LoadResult::Ready);
  RemovalWindow& w = Window();
  EXPECT_EQ(w.windowTitle().toStdString(), kRemovalTitle);
  EXPECT_EQ(w.lblSystem->text().toStdString(), "TouchScreen Software Removal Version 7.0.COM");
  const std::string ask = "Are you sure you want to completely remove TouchScreen V.7.0.COM and all of its components?";
  EXPECT_EQ(w.lblAsk->text().remove(QChar(0x2060)).toStdString(), ask);  // word joiners aside
  EXPECT_EQ(QAccessible::queryAccessibleInterface(w.lblAsk)->text(QAccessible::Name).toStdString(), ask);
  // However narrow the question is laid out, no line ends inside the version.
  const QString shown = w.lblAsk->text();
  const qsizetype from = shown.indexOf(QStringLiteral("V.")), to = shown.indexOf(QStringLiteral(" and all"));
  for (int width = w.fontMetrics().horizontalAdvance(shown.mid(from, to - from)); width < 600; width += 3) {
    QTextLayout layout(shown, w.lblAsk->font());
    layout.setTextOption(QTextOption(Qt::AlignLeft));
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(width);
      const qsizetype end = line.textStart() + line.textLength();
      EXPECT_TRUE(end <= from || end >= to) << "width " << width << ": " << shown.left(end).toStdString();
    }
    layout.endLayout();
  }
  EXPECT_EQ(w.lblText->text().toStdString(),
            "If Removal is complete, TouchScreen will not work next time when you start Windows!");
  EXPECT_EQ(w.cmdYes->text(), "&Yes");
  EXPECT_EQ(w.cmdNo->text(), "&No");
  EXPECT_TRUE(boxes.shown.empty());

  // The caption is short: the designed width stays, the frame is centred, the buttons stand
  // half a button apart around the middle: (7200 - 1822.5 - 1215) rounds to 4162, halved 2081.
  const int width = WidthTwips(&w);
  EXPECT_EQ(width, 7200);
  EXPECT_EQ(w.shpRemoval->x(), PixelsFromTwips((width - WidthTwips(w.shpRemoval)) / 2));
  EXPECT_EQ(YesLeft(width), 2081);
  EXPECT_EQ(w.cmdYes->x(), PixelsFromTwips(2081));
  EXPECT_EQ(w.cmdNo->x(), PixelsFromTwips(3904));

  // The separator half a button above the buttons, 50 twips beyond the frame on either side,
  // and its highlight 20 twips lower, drawn back from 5 twips beyond the end to 5 before the start.
  const int y = TopTwips(w.cmdYes) - kButtonHeight / 2;
  const int start = LeftTwips(w.shpRemoval) - 50;
  const int end = start + WidthTwips(w.shpRemoval) + 100;
  EXPECT_THAT(w.SeparatorLines(), ElementsAre(QLine(start, y, end, y), QLine(end + 5, y + 20, start - 5, y + 20)));
  const QImage drawn = w.grab().toImage();
  const int middle = PixelsFromTwips((start + end) / 2);
  const QRgb shadow = w.palette().color(QPalette::Dark).rgb();
  EXPECT_EQ(drawn.pixel(middle, PixelsFromTwips(y)), shadow);
  EXPECT_EQ(drawn.pixel(middle, PixelsFromTwips(y + 20)), w.palette().color(QPalette::Light).rgb());
  EXPECT_EQ(drawn.pixel(PixelsFromTwips(start), PixelsFromTwips(y)), shadow);
  EXPECT_NE(drawn.pixel(PixelsFromTwips(start) - 2, PixelsFromTwips(y)), shadow);
}

TEST_F(RemovalTest, ACaptionTooWideForTheWindowWidensItAndTheLayoutFollows) {
  ASSERT_TRUE(Install());
  window = std::make_unique<RemovalWindow>();
  QFont large = window->font();
  large.setPointSize(72);
  window->setFont(large);
  window->SetPauseClock(clock);
  ASSERT_EQ(window->Load(), LoadResult::Ready);
  RemovalWindow& w = Window();

  const int caption = TwipsFromPixels(QFontMetrics(large).horizontalAdvance(QString::fromUtf8(kRemovalTitle)));
  ASSERT_GT(2 * kButtonWidth + caption, 7200);
  const int width = WidthTwips(&w);
  EXPECT_EQ(width, TwipsFromPixels(PixelsFromTwips(2 * kButtonWidth + caption)));
  EXPECT_EQ(w.shpRemoval->x(), PixelsFromTwips((width - WidthTwips(w.shpRemoval)) / 2));
  // What the frame holds moves with it.
  EXPECT_EQ(w.lblAsk->x() - w.shpRemoval->x(), PixelsFromTwips(960));
  EXPECT_EQ(w.imgRemoval->x() - w.shpRemoval->x(), PixelsFromTwips(240));
  EXPECT_EQ(w.cmdYes->x(), PixelsFromTwips(YesLeft(width)));
  EXPECT_EQ(w.cmdNo->x(), PixelsFromTwips(NoLeft(width)));
  EXPECT_EQ(w.SeparatorLines()[0].x1(), LeftTwips(w.shpRemoval) - 50);
}

TEST_F(RemovalTest, ADoubleClickOnTheIconOpensTheAboutBoxWithTheVersionLine) {
  ASSERT_TRUE(Install());
  ASSERT_EQ(Start(), LoadResult::Ready);
  QTest::mouseDClick(Window().imgIcon, Qt::LeftButton);
  ASSERT_TRUE(Window().frmAbout);
  EXPECT_TRUE(Window().frmAbout->isVisible());
  EXPECT_FALSE(Window().isVisible());
  EXPECT_EQ(FindTitleArea(Window().frmAbout).lblSystem->text(), Window().lblSystem->text());
  Window().frmAbout->cmdOK->click();
  EXPECT_TRUE(Window().isVisible());
}

// Esc on the question answers nothing: the window stays, still asking, and nothing is removed.
TEST_F(RemovalTest, EscLeavesTheQuestionOpen) {
  ASSERT_TRUE(Install());
  ASSERT_EQ(Start(), LoadResult::Ready);
  Window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_TRUE(Window().isVisible());
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(std::filesystem::exists(Installed("unins000.exe")));
}

TEST_F(RemovalTest, WithoutTheInstallationRecordItSaysSoAndEnds) {
  ASSERT_EQ(Start(), LoadResult::Failed);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Fail to load data from Register File!");
  EXPECT_EQ(boxes.shown[0].caption, kRemovalTitle);
  EXPECT_EQ(boxes.shown[0].type, MB_OK | MB_SYSTEMMODAL);
}

// The package uninstaller it runs and the WININIT.INI it writes lie in the record's folders: a
// record naming one outside the machine's drives is refused before the question is asked.
TEST_F(RemovalTest, ARecordNamingAFolderOutsideTheDrivesIsRefusedBeforeTheQuestion) {
  ASSERT_TRUE(Install());
  const std::string outside = root.path() + "/outside";
  const std::string key = "SOFTWARE\\Harlenby\\TouchScreen\\QX-COM";
  for (const auto& [value, folder] :
       {std::pair{"WindowsPath", "Windows folder"}, std::pair{"InstallPath", "installation folder"}}) {
    SCOPED_TRACE(value);
    WriteStringValue(key, value, outside);
    boxes.shown.clear();
    window.reset();
    EXPECT_EQ(Start(), LoadResult::Failed);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              std::string("The ") + folder + " \"" + outside + "\" (" + value + ") is not on the machine's drives!");
    EXPECT_EQ(boxes.shown[0].caption, kRemovalTitle);
    EXPECT_EQ(boxes.shown[0].type, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
  }
}

}  // namespace
}  // namespace qx::test
