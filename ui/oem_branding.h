// OEM branding of the title area that every main window and dialog carries (ui/title_area.h): the
// picture box "picLogo" holding the labels "lblOemTitle" (the vendor's title) and "lblSystem" (the
// program and version line).
//
// With "\QXLogo.Bmp" in the install folder the logo replaces the text title everywhere; otherwise
// the title is "VenderName" drawn in the "VenderStyle" code. Both come from the installation
// record (core/settings_store.h), which must be loaded first.
#pragma once

#include <QWidget>

namespace qx {

inline constexpr char LOGO_FILE[] = "\\QXLogo.Bmp";

// Set by ApplyMainLogo: whether the logo was found (and could be read) when the main window loaded.
extern bool LogoPresent;

// Once, by each program's main window as it loads.
void ApplyMainLogo(QWidget* window);
// By every dialog and box as it loads: the title or the picture of MAIN_WINDOW, no file read again.
void ApplyDialogLogo(QWidget* dialog, const QWidget* mainWindow);
// "VenderStyle" onto the window's "lblOemTitle" and "lblSystem"; a code shorter than 8
// characters leaves their design look.
void ApplyTitleStyle(QWidget* window);

}  // namespace qx
