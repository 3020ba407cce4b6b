// The simulated controller behind the device service, on the side of its requests: what each
// request of the table in core/driver_records does to the kept settings, the registrations and the
// journal, and what it asks of the touch side (device/touch_side), which it hands the settings in
// force whenever they change. Its own I/O: the state file read at its start (and written there
// when none is kept; every later write is the saver's thread's, device/state_saver), and a line on
// stderr when an input or a monitor a request names cannot be taken. The root's input.ini is
// written through the touch side's setup (device/touch_setup.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/controller_info.h"
#include "core/driver_records.h"
#include "device/initial_settings.h"
#include "device/journal.h"
#include "device/state_file.h"
#include "device/state_saver.h"
#include "device/touch_side.h"

namespace qx {

struct DeviceReply {
  bool success = false;
  std::vector<std::uint8_t> data;
  // The generation of the kept settings this reply waits for (StateSaver), or 0: a reply to a
  // request that changes the settings goes out once they are on disk.
  std::uint64_t kept = 0;
  // The request is not done yet (a burst made a part at a time): it is to be handed in again, and
  // the reply is that of its last call.
  bool unfinished = false;
};

class Controller {
 public:
  // Loads the kept settings, or starts from the defaults and keeps them, and hands them to TOUCH.
  // JOURNAL and TOUCH outlive the controller.
  Controller(StateFile file, Journal& journal, TouchSide& touch);
  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  // Who sends a request: a number the service gives each connection, never reused; 0 for a caller
  // that is no client (the controller's own tests).
  using ClientId = std::uint64_t;

  DeviceReply Handle(std::uint32_t code, const std::uint8_t* payload, std::uint32_t size, ClientId client = 0);
  // CLIENT has gone: a recording it was playing ends, a touch of it still down lifted.
  void Leaves(ClientId client);

  // Takes SETTINGS, the installer's initial settings, when they are not the set taken last: their
  // accepted values go into the block, and the set is remembered in the kept state. Returns why
  // values were left out (nothing when the set was taken before).
  std::vector<std::string> TakeInitialSettings(const InitialSettings& settings);

  // Whether the kept settings of GENERATION (DeviceReply::kept) are on disk, once they were written
  // or failed to be (false: the reply then says the request failed); nothing while they wait.
  std::optional<bool> Kept(std::uint64_t generation) const { return saver_.Kept(generation); }
  // Readable whenever settings were written since it was last read (StateSaver).
  int KeptDescriptor() const { return saver_.WrittenDescriptor(); }
  // Journals that the settings a reply waited for could not be written.
  void NoteNotKept();

  // How long at the most a request of CODE with PAYLOAD waits for its answer now, or zero when it
  // is answered at once: WaitRbfDisarmed while the right button is armed (kRbfWaitHoldMs), and
  // GetTouchSample while nothing touches the panel and its caller has the sample in force
  // (kSampleWaitHoldMs). The service holds it
  // until this turns zero, or for that long at the most.
  std::chrono::milliseconds HoldFor(std::uint32_t code, const std::uint8_t* payload, std::uint32_t size) const;

  // The largest reply a request of CODE can get: the journal's, or a record's.
  static std::size_t ReplyBound(std::uint32_t code);
  // Whether CODE is one of the simulator's requests (Sim…), which the service serves after the
  // suite's: a journal read or a burst takes milliseconds, a request of the suite microseconds.
  // Every other request, the administration of the real device (SetInput, SetMonitors, …) too,
  // is the suite's. The one place the service learns a request's line.
  static bool SimulatorRequest(std::uint32_t code);

  const StoredState& state() const { return state_; }
  const Journal& journal() const { return journal_; }
  Journal& journal() { return journal_; }

 private:
  DeviceReply Refuse(std::uint32_t code, std::uint32_t size);
  // The request's journal line: its FIELDS, and " failed" unless OK. Returns OK.
  bool Note(const RequestEntry& request, const std::string& fields, bool ok = true);
  // Answers with RECORD, journalling the request with FIELDS.
  template <typename Record>
  DeviceReply Answer(const RequestEntry& request, const Record& record, const std::string& fields = "");
  DeviceReply HandleSet(const RequestEntry& request, const SettingsBlock& in);
  DeviceReply SetWholeBlock(const RequestEntry& request, const SettingsBlock& in);
  DeviceReply SetFields(const RequestEntry& request, const FieldChanges& changes);
  DeviceReply SetCalibrationState(const RequestEntry& request, std::int32_t state);
  DeviceReply RegisterRightButton(const RequestEntry& request, const RbfRegistration& registration);
  DeviceReply RegisterCompanion(const RequestEntry& request, const SmiRegistration& registration);
  DeviceReply PlayTestSound(const RequestEntry& request, const TestSound& sound);
  DeviceReply SetOptions(const RequestEntry& request, const TouchOptions& options);
  DeviceReply SetPresent(const RequestEntry& request, std::int32_t present);
  DeviceReply SetReportRate(const RequestEntry& request, std::int32_t rate);
  DeviceReply InjectTouch(const RequestEntry& request, const SimTouch& touch, ClientId client);
  DeviceReply MoveFinger(const RequestEntry& request, const SimFinger& finger);
  DeviceReply Replay(const RequestEntry& request, const SimReplay& part, ClientId client);
  DeviceReply ReadReports(const SimReports& in);
  DeviceReply SetInput(const RequestEntry& request, const InputUse& in);
  DeviceReply SetMonitors(const RequestEntry& request, const MonitorLayout& layout);
  DeviceReply MapToOutput(const RequestEntry& request, const OutputName& name);
  // The touchscreen's monitor M, newly chosen: the screen the touch path maps to is its size, and
  // the picture stands as it does.
  void TakeMonitor(const MonitorInfo& m);
  // The touchscreen PANEL taken: the calibration in force is set aside for its own panel, and
  // PANEL's own is taken, else none (its axes straight onto its monitor). A calibration that
  // belongs to no panel yet (an older file's, or made before any touchscreen) is given to PANEL.
  void TakePanel(const std::string& panel);
  // GetControllerInfo's record: the touchscreen in force, and whose calibration is in force.
  ControllerInfo ControllerInfoNow() const;
  DeviceReply DescribeIo() const;
  SimStatus Status() const;

  // The block as GetSettings and the Set requests hand it out: an absent controller shows no
  // active port.
  SettingsBlock BlockAsHandedOut() const;
  // Makes NEXT the state, hands it to the touch side, and to the saver when it differs from the
  // state before. A calibration not MADE_NOW is one taken as it was kept (at the rotation NEXT
  // says), and NEXT is kept whatever changed.
  void SetAndSaveState(const StoredState& next, bool madeNow = true);
  // REPLY, waiting for the kept settings as they are now.
  DeviceReply OnceKept(DeviceReply reply) const;

  StateFile file_;
  StateSaver saver_{file_};
  StoredState state_;
  Journal& journal_;
  TouchSide& touch_;
  SmiRegistration smi_{-1, 0, 0};
  // The client whose recording plays (while one does): only its parts are taken.
  ClientId replayer_ = 0;
  // The burst under way and its client: another client's waits until it is made.
  std::optional<std::pair<ClientId, TouchSide::TouchBurst>> burst_;
  std::int32_t calibrationState_ = 0;
};

}  // namespace qx
