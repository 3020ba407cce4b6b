// A plain window standing in for a program's main window: its caption, its version line and
// a text title, registered as the main window the dialogs copy from, with no logo and no style.
#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>
#include <memory>

#include "core/settings_store.h"
#include "host/program_state.h"
#include "ui/oem_branding.h"
#include "ui/title_area.h"
#include "ui/window_ops.h"

namespace qx::test {

class MainWindowStandIn : public ::testing::Test {
 protected:
  void SetUp() override {
    main = std::make_unique<QWidget>();
    main->setWindowTitle(" Main caption");
    AddTitleArea(main.get(), 120, 120, 4000, 780).lblSystem->setText("Program Version 7.0.COM");
    main->findChild<QLabel*>("lblOemTitle")->setText("Vendor");
    ResetProgramState();
    SetMainWindow(main.get());
  }
  void TearDown() override { ResetProgramState(); }

  std::unique_ptr<QWidget> main;
};

}  // namespace qx::test
