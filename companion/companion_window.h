// The companion's one window: small, captioned, saying what it is for and showing what it
// registered. Its handle is what it registers with the device service; SMI_CLOSE sent to it (the
// control panel's SMI Off, the uninstaller) closes it, as do its close box, its Close button,
// WM_CLOSE and the end signals. However it closes, it deregisters first.
#pragma once

#include <QMetaObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <optional>

#include "host/window_bus_qt.h"

class QLabel;
class QPushButton;
class QScreen;

namespace qx::companion {

class CompanionWindow : public QWidget {
  Q_OBJECT

 public:
  // FIXED_ROTATION: the RotationCode to register whatever the screen does (--rotation); none:
  // the primary screen's, followed as it turns.
  explicit CompanionWindow(std::optional<int> fixedRotation = std::nullopt);
  ~CompanionWindow() override;

  // Opens the driver, registers this window with the primary screen's RotationCode, and tells the
  // service the desktop's monitors once: the service takes the size and the RotationCode of the
  // one it chooses for the touchscreen, which the window shows. From then on it tells the service
  // the monitors again whenever one comes, goes, moves, changes size or turns. False after a box
  // said why (no driver, or it refused the registration).
  bool Start();

  std::int16_t rotationCode() const { return rotationCode_; }

  QLabel* lblAbout = nullptr;
  QLabel* lblScreen = nullptr;
  QPushButton* cmdClose = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Each screen's changes, and screens coming and going, make the monitors registered again.
  void Watch(QScreen* screen);
  void MonitorsChanged();
  // Tells the service the monitors and shows its choice.
  void RegisterMonitors();
  void ShowState();
  // Whether SCREEN is a display's, not one the platform made up for want of any.
  static bool OnADisplay(const QScreen* screen);
  void Unregister();

  const std::optional<int> fixedRotation_;
  std::int16_t rotationCode_ = 0;
  bool registered_ = false;
  QPointer<QScreen> screen_;
  bool monitorsDue_ = false;  // a registration of the monitors is on its way
  WindowProc savedProc_;
};

}  // namespace qx::companion
