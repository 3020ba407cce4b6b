// The About box: the title area with the main window's version line, the icon, the product's
// legal notice ("lblCopyright") and "&OK". Opened by the main window after it has hidden itself;
// closing it shows the main window again.
#pragma once

#include <QLabel>
#include <QPushButton>

#include "ui/suite_window.h"
#include "ui/title_area.h"

namespace qx {

class AboutBox : public SuiteDialog {
  Q_OBJECT
 public:
  AboutBox();
  void Load() override;

  QLabel* lblCopyright = nullptr;
  QPushButton* cmdOK = nullptr;

 private:
  TitleArea area_;
};

}  // namespace qx
