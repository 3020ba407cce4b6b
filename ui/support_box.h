// The Support box: the vendor's picture ("picSupport") with "&OK" under it, the window fitted to
// the picture. A picture that cannot be read leaves the box empty but usable.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <string>

namespace qx {

class SupportBox : public QDialog {
  Q_OBJECT
 public:
  // PICTURE_PATH: the vendor picture's Windows path, as the main window remembered it.
  explicit SupportBox(const std::string& picturePath);
  QLabel* picSupport = nullptr;
  QPushButton* cmdOK = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
};

SupportBox* OpenSupportBox(const std::string& picturePath);

}  // namespace qx
