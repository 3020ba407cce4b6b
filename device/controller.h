// The simulated controller behind the device service: the settings it keeps, the touch reports
// injected into it, the registrations, and what each request does to them. No I/O but the state file.
#pragma once

#include <cstdint>
#include <vector>

#include "core/driver_records.h"
#include "device/journal.h"
#include "device/state_file.h"

namespace qx {

struct DeviceReply {
  bool success = false;
  std::vector<std::uint8_t> data;
};

class Controller {
 public:
  // Loads the kept settings, or starts from the defaults and keeps them.
  explicit Controller(StateFile file);

  DeviceReply Handle(std::uint32_t code, const std::uint8_t* payload, std::uint32_t size);

  const StoredState& state() const { return state_; }
  const Journal& journal() const { return journal_; }

 private:
  DeviceReply HandleSet(std::uint32_t code, const SettingsBlock& in);
  DeviceReply InjectTouch(const SimTouch& touch);
  // The block as GetSettings hands it out: an absent controller shows no active port.
  SettingsBlock Visible() const;
  void Keep(const StoredState& next);

  StateFile file_;
  StoredState state_;
  Journal journal_;
  TouchSample sample_{};
  RbfRegistration rbf_{-1, 0, 0};
  SmiRegistration smi_{-1, 0, 0};
  std::int32_t calibrationState_ = 0;
  std::int32_t pointerX_ = 0;
  std::int32_t pointerY_ = 0;
  std::uint32_t rightButtonActions_ = 0;
};

// "Name=value …" of the block fields a Set request is for (all fields for the simulator's own).
std::string FieldsOf(std::uint32_t code, const SettingsBlock& block);

}  // namespace qx
