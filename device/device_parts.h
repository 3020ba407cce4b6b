// What the device service's loop serves, made in the order each needs the others: the journal,
// the touch side that writes into it, and the controller that keeps the settings in a state file
// and hands them to the touch side.
#pragma once

#include <utility>

#include "device/controller.h"
#include "device/journal.h"
#include "device/state_file.h"
#include "device/touch_side.h"

namespace qx {

struct DeviceParts {
  explicit DeviceParts(StateFile file) : controller(std::move(file), journal, touch) {}
  DeviceParts(const DeviceParts&) = delete;
  DeviceParts& operator=(const DeviceParts&) = delete;

  Journal journal;
  TouchSide touch{journal};
  Controller controller;
};

}  // namespace qx
