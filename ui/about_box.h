// The About box: the title area with the main window's version line, the icon, the product's
// legal notice ("lblCopyright") and "&OK". Opened by the main window after it has hidden itself;
// closing it shows the main window again.
#pragma once

#include <QDialog>
#include <QPushButton>

namespace qx {

class AboutBox : public QDialog {
  Q_OBJECT
 public:
  AboutBox();
  QPushButton* cmdOK = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
};

// Opens the one About box (or brings it forward).
AboutBox* OpenAboutBox();

}  // namespace qx
