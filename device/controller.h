// The simulated controller behind the device service: the settings it keeps, the touch reports
// injected into it, the registrations, and what each request does to them. No I/O but the state file.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/driver_records.h"
#include "device/finger.h"
#include "device/initial_settings.h"
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

  // Takes SETTINGS, the installer's initial settings, when they are not the set taken last: their
  // accepted values go into the block, and the set is remembered in the kept state. Returns why
  // values were left out (nothing when the set was taken before).
  std::vector<std::string> TakeInitialSettings(const InitialSettings& settings);

  // The largest reply a request of CODE can get: the journal's, or a record's.
  static std::size_t ReplyBound(std::uint32_t code);

  // The held finger's report, when one is due at NOW; the service's loop calls it whenever it
  // wakes, and sleeps no longer than until NextReport().
  void Tick(Finger::Time now);
  std::optional<Finger::Time> NextReport() const { return finger_.NextDue(); }

  const StoredState& state() const { return state_; }
  const Journal& journal() const { return journal_; }

 private:
  DeviceReply HandleSet(std::uint32_t code, const SettingsBlock& in);
  DeviceReply InjectTouch(const SimTouch& touch);
  DeviceReply MoveFinger(const SimFinger& finger);
  // One report of the controller: the sample, the pointer, the journal, the one-shot right button.
  void Report(std::int16_t x, std::int16_t y, bool touching);
  // The block as GetSettings hands it out: an absent controller shows no active port.
  SettingsBlock Visible() const;
  void Keep(const StoredState& next);

  StateFile file_;
  StoredState state_;
  Journal journal_;
  Finger finger_;
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
