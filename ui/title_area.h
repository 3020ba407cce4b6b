// The title area every main window and dialog carries, and the program's icon box:
//   picLogo      a picture box with the OEM title "lblOemTitle" (design caption "Harlenby", red,
//                Times New Roman bold 20.25 pt, top left) and the version line "lblSystem" (blue)
//   picIcon      a picture box holding the program's icon image "imgIcon"
// Sizes and places in twips. The OEM branding (ui/oem_branding.h) and the dialogs' preparation
// find these controls in a window by their names, which are given here once.
#pragma once

#include <QLabel>
#include <QPixmap>

namespace qx {

inline constexpr char kPicLogo[] = "picLogo";
inline constexpr char kLblOemTitle[] = "lblOemTitle";
inline constexpr char kLblSystem[] = "lblSystem";
inline constexpr char kPicIcon[] = "picIcon";
inline constexpr char kImgIcon[] = "imgIcon";

struct TitleArea {
  QLabel* picLogo = nullptr;
  QLabel* lblOemTitle = nullptr;
  QLabel* lblSystem = nullptr;
};

TitleArea AddTitleArea(QWidget* window, int left, int top, int width, int height);

// The title area's controls of WINDOW, found by name; null for any it lacks.
TitleArea FindTitleArea(const QWidget* window);

// Returns the image "imgIcon"; CenterIcon centres it in the box.
QLabel* AddIconBox(QWidget* window, int left, int top, int size);

// The suite's icon, drawn: a touch screen with a target on it.
QPixmap ProgramIcon();

}  // namespace qx
