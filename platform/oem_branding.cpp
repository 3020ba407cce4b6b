#include "platform/oem_branding.h"

#include <QLabel>
#include <QPixmap>

#include "core/settings_block.h"
#include "core/settings_store.h"
#include "host/paths.h"
#include "platform/file_exists.h"
#include "platform/vender_style.h"

namespace qx {

bool LogoPresent = false;

namespace {

QLabel* Child(const QWidget* window, const char* name) { return window->findChild<QLabel*>(name); }

void SetTextColour(QLabel* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

// The logo shown in place of the text title: the title hidden, the version line 2 pixels higher
// and at the left edge, the picture in "picLogo".
void ShowLogo(QWidget* window, const QPixmap& logo) {
  if (QLabel* title = Child(window, "lblOemTitle")) title->hide();
  if (QLabel* system = Child(window, "lblSystem")) system->move(2, system->y() - 2);
  if (QLabel* picture = Child(window, "picLogo")) picture->setPixmap(logo);
}

}  // namespace

void ApplyMainLogo(QWidget* window) {
  const std::string path = InstallPath + LOGO_FILE;
  QPixmap logo;
  // A logo that is there but cannot be read as a picture counts as no logo: the text title stays.
  LogoPresent = FileExists(path) && logo.load(QString::fromStdString(HostPath(path))) && !logo.isNull();
  if (LogoPresent) {
    ShowLogo(window, logo);
    return;
  }
  if (QLabel* title = Child(window, "lblOemTitle")) {
    title->setText(QString::fromStdString(LabelCaption(VenderName)));
    title->adjustSize();
  }
  ApplyTitleStyle(window);
}

void ApplyDialogLogo(QWidget* dialog, const QWidget* mainWindow) {
  if (LogoPresent) {
    const QLabel* mainPicture = mainWindow ? Child(mainWindow, "picLogo") : nullptr;
    ShowLogo(dialog, mainPicture ? mainPicture->pixmap() : QPixmap());
    return;
  }
  const QLabel* mainTitle = mainWindow ? Child(mainWindow, "lblOemTitle") : nullptr;
  if (QLabel* title = Child(dialog, "lblOemTitle"); title && mainTitle) {
    title->setText(mainTitle->text());
    title->adjustSize();
  }
  ApplyTitleStyle(dialog);
}

void ApplyTitleStyle(QWidget* window) {
  const std::optional<TitleStyle> style = ParseVenderStyle(VenderStyle);
  if (!style) return;
  if (QLabel* title = Child(window, "lblOemTitle")) {
    QFont font = title->font();
    if (!style->face.isEmpty()) font.setFamily(style->face);
    font.setBold(style->bold);
    font.setItalic(style->italic);
    if (style->points > 0) font.setPointSize(style->points);
    title->setFont(font);
    title->adjustSize();  // the title label sizes itself to its text, as designed
    if (style->titleColour) SetTextColour(title, *style->titleColour);
  }
  if (QLabel* system = Child(window, "lblSystem"); system && style->systemColour)
    SetTextColour(system, *style->systemColour);
}

}  // namespace qx
