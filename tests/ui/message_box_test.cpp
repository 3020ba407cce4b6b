#include "host/message_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "core/driver_link.h"
#include "tests/support/message_recorder.h"
#include "ui/boxes.h"
#include "ui/qt_message_box.h"

namespace qx {
namespace {

TEST(QtMessageBox, ErrorBoxIsSystemModalWithErrorIconAndOk) {
  QMessageBox box;
  SetUpMessageBox(box, "Application is running!\r\rPlease find it.", " Caption", MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
  EXPECT_EQ(box.windowTitle(), " Caption");
  EXPECT_EQ(box.text(), "Application is running!\n\nPlease find it.");
  EXPECT_EQ(box.icon(), QMessageBox::Critical);
  EXPECT_EQ(box.buttons().size(), 1);
  EXPECT_EQ(box.standardButton(box.defaultButton()), QMessageBox::Ok);
  EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
  EXPECT_TRUE(box.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(QtMessageBox, QuestionWithSecondDefaultHasNoAsDefaultAndNoEscape) {
  QMessageBox box;
  SetUpMessageBox(box, "Keep?", "c", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  EXPECT_EQ(box.icon(), QMessageBox::Question);
  EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.standardButton(box.defaultButton()), QMessageBox::No);
  EXPECT_EQ(box.escapeButton(), nullptr);
  EXPECT_FALSE(box.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(QtMessageBox, WarningOkCancelEscapesWithCancel) {
  QMessageBox box;
  SetUpMessageBox(box, "w", "c", MB_OKCANCEL | MB_ICONWARNING);
  EXPECT_EQ(box.icon(), QMessageBox::Warning);
  EXPECT_EQ(box.standardButton(box.escapeButton()), QMessageBox::Cancel);
  EXPECT_EQ(box.standardButton(box.defaultButton()), QMessageBox::Ok);
}

// The real box, shown and answered by a click on its No button.
TEST(QtMessageBox, QuestionBoxShownAsQtBoxReturnsTheClickedButton) {
  auto previous = SetMessageBoxPresenter(ShowQtMessageBox);
  QString seenTitle;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_TRUE(box);
    seenTitle = box->windowTitle();
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(QuestionBox("Save the new values?", 0, " Panel"), IDNO);
  EXPECT_EQ(seenTitle, " Panel");
  SetMessageBoxPresenter(std::move(previous));
}

// Nobody at the screen: the box shows for the time given, then answers with its default button.
TEST(QtMessageBox, AnUnattendedBoxAnswersItselfWithItsDefaultButton) {
  qputenv("QX_MESSAGE_SHOW_MS", "50");
  bool shown = false;
  QTimer::singleShot(0, [&] { shown = QApplication::activeModalWidget() != nullptr; });
  EXPECT_EQ(ShowQtMessageBox("Keep it?", " Panel", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_TRUE(shown);
  qunsetenv("QX_MESSAGE_SHOW_MS");
}

TEST(MessageBoxes, FlagsOfErrorQuestionAndPlainBoxes) {
  test::MessageRecorder boxes({IDYES});
  const int beeps = BeepCount();
  EXPECT_EQ(QuestionBox("q", MB_DEFBUTTON2, "cap"), IDYES);
  EXPECT_EQ(OkBox("w", "cap", MB_ICONWARNING), IDOK);
  ErrorBox("e", "cap");
  ASSERT_EQ(boxes.shown.size(), 3u);
  EXPECT_EQ(boxes.shown[0].type, MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL | MB_DEFBUTTON2);
  EXPECT_EQ(boxes.shown[1].type, MB_OK | MB_SYSTEMMODAL | MB_ICONWARNING);
  EXPECT_EQ(boxes.shown[2].type, 0x1010u);
  EXPECT_EQ(boxes.shown[2].caption, "cap");
  EXPECT_EQ(BeepCount(), beeps + 1);  // only the error box beeps
}

}  // namespace
}  // namespace qx
