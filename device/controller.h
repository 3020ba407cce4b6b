// The simulated controller behind the device service, on the side of its requests: what each
// request of the table in core/driver_records does to the kept settings, the registrations, the
// journal and the touch path. It owns the touch side too (the touch path, the simulated pointer
// attached to it and the finger), which the service's loop wakes. No I/O but the state file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/driver_records.h"
#include "device/finger.h"
#include "device/initial_settings.h"
#include "device/journal.h"
#include "device/simulated_pointer.h"
#include "device/state_file.h"
#include "device/touch_decoder.h"
#include "device/touch_input.h"
#include "device/touch_path.h"

namespace qx {

struct DeviceReply {
  bool success = false;
  std::vector<std::uint8_t> data;
};

class Controller {
 public:
  // Loads the kept settings, or starts from the defaults and keeps them.
  explicit Controller(StateFile file);
  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  DeviceReply Handle(std::uint32_t code, const std::uint8_t* payload, std::uint32_t size);

  // Takes SETTINGS, the installer's initial settings, when they are not the set taken last: their
  // accepted values go into the block, and the set is remembered in the kept state. Returns why
  // values were left out (nothing when the set was taken before).
  std::vector<std::string> TakeInitialSettings(const InitialSettings& settings);

  // Whether a request of CODE waits for its answer now: WaitRbfDisarmed while the right button is
  // armed. The service holds it until this turns false, or for kRbfWaitHoldMs at the most.
  bool Holds(std::uint32_t code) const;

  // The largest reply a request of CODE can get: the journal's, or a record's.
  static std::size_t ReplyBound(std::uint32_t code);

  // For the service's loop: the inputs it waits on (the finger first), and the touch path that
  // takes their reports and drives the pointer outputs attached to it. An input added outlives
  // the controller; the one added last is the input in force (a touchscreen in place of the
  // finger), except while a recording is played.
  void AddInput(TouchInput& input) { inputs_.push_back(&input); }
  const std::vector<TouchInput*>& inputs() const { return inputs_; }
  TouchPath& touchPath() { return touch_; }
  // The desktop's pointer, besides the simulated one: attached to the touch path, and the output
  // the service reports as in force. It outlives the controller.
  void AttachOutput(PointerOutput& output);
  // "Input: …\nOutput: …\n": the input and the desktop output in force, as SimDescribeIo answers.
  std::string DescribeIo() const;

  const StoredState& state() const { return state_; }
  const Journal& journal() const { return journal_; }
  Journal& journal() { return journal_; }

 private:
  DeviceReply Refuse(std::uint32_t code, std::uint32_t size);
  // Answers with RECORD, journalling the request without fields.
  template <typename Record>
  DeviceReply Answer(const RequestEntry& request, const Record& record);
  DeviceReply HandleSet(const RequestEntry& request, const SettingsBlock& in);
  DeviceReply SetWholeBlock(const RequestEntry& request, const SettingsBlock& in);
  DeviceReply SetCalibrationState(const RequestEntry& request, std::int32_t state);
  DeviceReply RegisterRightButton(const RequestEntry& request, const RbfRegistration& registration);
  DeviceReply RegisterCompanion(const RequestEntry& request, const SmiRegistration& registration);
  DeviceReply PlayTestSound(const RequestEntry& request, const TestSound& sound);
  DeviceReply SetPresent(const RequestEntry& request, std::int32_t present);
  DeviceReply SetReportRate(const RequestEntry& request, std::int32_t rate);
  DeviceReply InjectTouch(const RequestEntry& request, const SimTouch& touch);
  DeviceReply MoveFinger(const RequestEntry& request, const SimFinger& finger);
  DeviceReply Replay(const RequestEntry& request, const SimReplay& part);
  DeviceReply ReadReports(const SimReports& in);
  SimInput InputInForce() const;
  // Every input can report: an unplugged touchscreen makes the controller read as absent.
  bool InputsPresent() const;
  SimStatus Status() const;
  std::vector<std::uint8_t> JournalTail();

  // The block as GetSettings and the Set requests hand it out: an absent controller shows no
  // active port.
  SettingsBlock BlockAsHandedOut() const;
  // Makes NEXT the state, and writes it to the state file when it differs from the state before.
  void SetAndSaveState(const StoredState& next);

  StateFile file_;
  StoredState state_;
  Journal journal_;
  SimulatedPointer pointer_{journal_};
  TouchPath touch_{state_.block, journal_};
  Finger finger_;
  std::vector<TouchInput*> inputs_{&finger_};
  PointerOutput* desktop_ = nullptr;
  // The recording being played, if one is: its decoder and what it is.
  struct Replaying {
    TouchDecoder decoder;
    SimInput input;
  };
  std::optional<Replaying> replay_;
  SmiRegistration smi_{-1, 0, 0};
  std::int32_t calibrationState_ = 0;
};

}  // namespace qx
