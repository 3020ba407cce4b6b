// The companion's one window: small, captioned, showing what it registered. Its handle is what
// it registers with the device service; SMI_CLOSE sent to it (the control panel's SMI Off, the
// uninstaller) closes it, as do its close box, its Close button, WM_CLOSE and the end signals.
// However it closes, it deregisters first.
#pragma once

#include <QMetaObject>
#include <QPointer>
#include <QSize>
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

  // Opens the driver, registers this window with its RotationCode, reports the primary screen's
  // size, and from then on reports the size again whenever it changes (and registers again when
  // the rotation does). False after a box said why (no driver, or it refused the registration).
  bool Start();

  std::int16_t rotationCode() const { return rotationCode_; }

  QLabel* lblScreen = nullptr;
  QPushButton* cmdClose = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Follow(QScreen* screen);
  void ScreenChanged();
  void ShowState();
  // Whether the screen followed is a display's, not one the platform made up for want of any.
  bool OnADisplay() const;
  void Unregister();

  const std::optional<int> fixedRotation_;
  std::int16_t rotationCode_ = 0;
  QSize reported_;
  bool registered_ = false;
  QPointer<QScreen> screen_;
  QMetaObject::Connection geometryConnection_, orientationConnection_;
  WindowProc savedProc_;
};

}  // namespace qx::companion
