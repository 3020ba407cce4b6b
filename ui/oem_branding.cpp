#include "ui/oem_branding.h"

#include <QLabel>
#include <QPixmap>

#include "core/settings_block.h"
#include "core/settings_store.h"
#include "host/paths.h"
#include "host/program_state.h"
#include "platform/file_exists.h"
#include "ui/colours.h"
#include "ui/title_area.h"
#include "ui/vender_style.h"

namespace qx {

bool LogoPresent = false;

namespace {

const ProgramState kBrandingState([] { LogoPresent = false; });

}  // namespace

namespace {

// The logo shown in place of the text title: the title hidden, the version line 2 pixels higher
// and at the left edge, the picture in "picLogo".
void ShowLogo(QWidget* window, const QPixmap& logo) {
  const TitleArea area = FindTitleArea(window);
  if (area.lblOemTitle) area.lblOemTitle->hide();
  if (area.lblSystem) area.lblSystem->move(2, area.lblSystem->y() - 2);
  if (area.picLogo) area.picLogo->setPixmap(logo);
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
  if (QLabel* title = FindTitleArea(window).lblOemTitle) {
    title->setText(QString::fromStdString(LabelCaption(VenderName)));
    title->adjustSize();
  }
  ApplyTitleStyle(window);
}

void ApplyDialogLogo(QWidget* dialog, const QWidget* mainWindow) {
  const TitleArea main = FindTitleArea(mainWindow);
  if (LogoPresent) {
    ShowLogo(dialog, main.picLogo ? main.picLogo->pixmap() : QPixmap());
    return;
  }
  if (QLabel* title = FindTitleArea(dialog).lblOemTitle; title && main.lblOemTitle) {
    title->setText(main.lblOemTitle->text());
    title->adjustSize();
  }
  ApplyTitleStyle(dialog);
}

void ApplyTitleStyle(QWidget* window) {
  const std::optional<TitleStyle> style = ParseVenderStyle(VenderStyle);
  if (!style) return;
  const TitleArea area = FindTitleArea(window);
  if (QLabel* title = area.lblOemTitle) {
    QFont font = title->font();
    if (!style->face.isEmpty()) font.setFamily(style->face);
    font.setBold(style->bold);
    font.setItalic(style->italic);
    if (style->points > 0) font.setPointSize(style->points);
    title->setFont(font);
    title->adjustSize();  // the title label sizes itself to its text, as designed
    if (style->titleColour) SetTextColour(title, *style->titleColour);
  }
  if (area.lblSystem && style->systemColour) SetTextColour(area.lblSystem, *style->systemColour);
}

}  // namespace qx
