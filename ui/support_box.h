// The Support box: the vendor's picture ("picSupport") with "&OK" under it, the window fitted to
// the picture. A picture that cannot be read leaves the box empty but usable. Opened by the main
// window after it has hidden itself; closing it shows the main window again.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <string>

#include "ui/suite_window.h"

namespace qx {

class SupportBox : public SuiteDialog {
  Q_OBJECT
 public:
  // PICTURE_PATH: the vendor picture's Windows path, as the main window remembered it.
  explicit SupportBox(std::string picturePath);
  void Load() override;

  QLabel* picSupport = nullptr;
  QPushButton* cmdOK = nullptr;

 private:
  std::string picturePath_;
};

}  // namespace qx
