#include "device/controller.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/controller_info.h"
#include "core/field_changes.h"
#include "core/settings_fields.h"
#include "device/touchscreen_identity.h"
#include "host/device_frame.h"

namespace qx {

namespace {

template <typename Record>
std::vector<std::uint8_t> Bytes(const Record& record) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&record);
  return std::vector<std::uint8_t>(p, p + sizeof(Record));
}

template <typename Record>
Record From(const std::uint8_t* payload) {
  Record record;
  std::memcpy(&record, payload, sizeof(Record));
  return record;
}

DeviceReply Ok(std::vector<std::uint8_t> data) { return {true, std::move(data)}; }
DeviceReply Failed() { return {false, {}}; }

}  // namespace

Controller::Controller(StateFile file, Journal& journal, TouchSide& touch)
    : file_(std::move(file)), journal_(journal), touch_(touch) {
  if (auto kept = file_.Load()) {
    state_ = *kept;
  } else {
    state_ = DefaultState();
    file_.Save(state_);
  }
  touch_.Configure(state_.block, state_.calibratedAt, state_.options);
  touch_.OnMonitorChosen([this](const MonitorInfo& m) { TakeMonitor(m); });
  touch_.OnPanelTaken([this](const std::string& panel) { TakePanel(panel); });
}

SettingsBlock Controller::BlockAsHandedOut() const {
  SettingsBlock b = state_.block;
  // A real touchscreen: what the block says of the controller and the machine is theirs.
  if (const ControllerFacts* facts = touch_.Facts()) MakeBlockTrue(*facts, b);
  if (!state_.present || !touch_.Present()) {
    b.ActivePort = 0;
    b.ActivePortBase = 0;
    b.ActivePortIrq = 0;
  }
  return b;
}

std::vector<std::string> Controller::TakeInitialSettings(const InitialSettings& settings) {
  const std::uint64_t fingerprint = Fingerprint(settings);
  if (fingerprint == state_.initialSettings) return {};
  StoredState next = state_;
  std::vector<std::string> problems;
  const std::vector<std::string> fields = ApplyInitialSettings(settings, next.block, problems);
  next.initialSettings = fingerprint;
  SetAndSaveState(next);
  // A machine without an installation has no set to speak of; the empty set is remembered all the
  // same, so that an installation after a removal is a new set again.
  if (!fields.empty() || !problems.empty()) journal_.Add(0, "InitialSettings", DescribeFields(state_.block, fields));
  return problems;
}

void Controller::SetAndSaveState(const StoredState& next, bool madeNow) {
  const bool calibrated =
      std::memcmp(next.block.CalibrationData, state_.block.CalibrationData, sizeof next.block.CalibrationData) != 0 ||
      next.block.CalibrationFlags != state_.block.CalibrationFlags;
  bool changed = calibrated || next.present != state_.present || next.initialSettings != state_.initialSettings ||
                 std::memcmp(&next.block, &state_.block, sizeof(SettingsBlock)) != 0 ||
                 std::memcmp(&next.options, &state_.options, sizeof(TouchOptions)) != 0 || !madeNow;
  state_ = next;
  // A new calibration is made for the picture as it stands now.
  if (calibrated && madeNow) state_.calibratedAt = static_cast<std::int8_t>(touch_.rotation());
  touch_.Configure(state_.block, state_.calibratedAt, state_.options);
  if (changed) saver_.Submit(state_);
}

DeviceReply Controller::OnceKept(DeviceReply reply) const {
  reply.kept = saver_.latest();
  return reply;
}

void Controller::NoteNotKept() { journal_.Add(0, "StateNotSaved", "path=" + file_.path()); }

DeviceReply Controller::Handle(std::uint32_t code, const std::uint8_t* payload, std::uint32_t size, ClientId client) {
  const RequestEntry* request = FindRequest(code);
  if (!request || size != request->size) return Refuse(code, size);
  const RequestEntry& r = *request;
  if (!r.fields.empty()) return HandleSet(r, From<SettingsBlock>(payload));
  switch (code) {
    case IOCTL_GET_SETTINGS: return Answer(r, BlockAsHandedOut());
    case IOCTL_GET_TOUCH_SAMPLE:
      // A program waiting for a touch polls without end: a run of polls with no report between
      // them is one line.
      journal_.AddUnlessRepeated(r.code, r.name, "");
      return Ok(Bytes(touch_.path().sample()));
    case IOCTL_SET_CALIBRATION_STATE: return SetCalibrationState(r, From<std::int32_t>(payload));
    case IOCTL_GET_RBF_REGISTRATION:
    case IOCTL_WAIT_RBF_DISARMED: return Answer(r, touch_.path().rightButton());
    case IOCTL_SET_RBF_REGISTRATION: return RegisterRightButton(r, From<RbfRegistration>(payload));
    case IOCTL_GET_SMI_REGISTRATION: return Answer(r, smi_);
    case IOCTL_SET_SMI_REGISTRATION: return RegisterCompanion(r, From<SmiRegistration>(payload));
    case IOCTL_PLAY_TEST_SOUND: return PlayTestSound(r, From<TestSound>(payload));
    case IOCTL_GET_CONTROLLER_INFO: return Answer(r, ControllerInfoNow());
    case IOCTL_SIM_GET_BLOCK: return Ok(Bytes(state_.block));
    case IOCTL_SIM_SET_BLOCK: return SetWholeBlock(r, From<SettingsBlock>(payload));
    case IOCTL_SIM_SET_PRESENT: return SetPresent(r, From<std::int32_t>(payload));
    case IOCTL_SIM_TOUCH: return InjectTouch(r, From<SimTouch>(payload), client);
    case IOCTL_SIM_FINGER: return MoveFinger(r, From<SimFinger>(payload));
    case IOCTL_SIM_REPORT_RATE: return SetReportRate(r, From<std::int32_t>(payload));
    case IOCTL_SIM_REPLAY: return Replay(r, From<SimReplay>(payload), client);
    case IOCTL_SIM_READ_REPORTS: return ReadReports(From<SimReports>(payload));
    case IOCTL_GET_INPUT: return Ok(Bytes(touch_.InputInForce()));
    case IOCTL_SET_INPUT: return SetInput(r, From<InputUse>(payload));
    case IOCTL_SET_MONITORS: return SetMonitors(r, From<MonitorLayout>(payload));
    case IOCTL_GET_MONITORS: return Ok(Bytes(touch_.monitors()));
    case IOCTL_MAP_TO_OUTPUT: return MapToOutput(r, From<OutputName>(payload));
    case IOCTL_GET_OPTIONS: return Ok(Bytes(state_.options));
    case IOCTL_SET_OPTIONS: return SetOptions(r, From<TouchOptions>(payload));
    case IOCTL_SET_FIELDS: return SetFields(r, From<FieldChanges>(payload));
    case IOCTL_SIM_GET_STATUS: return Ok(Bytes(Status()));
    case IOCTL_SIM_READ_JOURNAL: return Ok(journal_.Tail(frame::kMaxPayload));  // the newest lines that fit
    case IOCTL_SIM_CLEAR_JOURNAL: journal_.Clear(); return Ok({});
    case IOCTL_SIM_DESCRIBE_IO: return DescribeIo();
    default: return Failed();
  }
}

DeviceReply Controller::Refuse(std::uint32_t code, std::uint32_t size) {
  const char* name = RequestName(code);
  journal_.Add(code, *name ? name : "Unknown", "size=" + std::to_string(size) + " failed");
  return Failed();
}

bool Controller::Note(const RequestEntry& request, const std::string& fields, bool ok) {
  journal_.Add(request.code, request.name, ok ? fields : fields + " failed");
  return ok;
}

template <typename Record>
DeviceReply Controller::Answer(const RequestEntry& request, const Record& record, const std::string& fields) {
  Note(request, fields);
  return Ok(Bytes(record));
}

// A Set request of the driver: the fields its row lists, and nothing else, go into the block.
DeviceReply Controller::HandleSet(const RequestEntry& request, const SettingsBlock& in) {
  StoredState next = state_;
  CopyFields(in, next.block, request.taken);
  SetAndSaveState(next);
  Note(request, DescribeFields(in, request.taken));
  return OnceKept(Ok(Bytes(BlockAsHandedOut())));
}

// The simulator's SimSetBlock: every byte, the reserved ones too; the block as stored comes back.
DeviceReply Controller::SetWholeBlock(const RequestEntry& request, const SettingsBlock& in) {
  StoredState next = state_;
  next.block = in;
  SetAndSaveState(next);
  Note(request, DescribeFields(in, FieldList::All()));
  return OnceKept(Ok(Bytes(state_.block)));
}

// Named fields of the block and touch options, all of them or none, kept in one write.
DeviceReply Controller::SetFields(const RequestEntry& request, const FieldChanges& changes) {
  const std::string text = Text(changes.Text);
  StoredState next = state_;
  std::string described;
  const bool ok = ApplyChanges(text, next.block, next.options, described).empty();
  if (!Note(request, ok ? described : text, ok)) return Failed();
  SetAndSaveState(next);
  return OnceKept(Ok(Bytes(changes)));
}

DeviceReply Controller::SetCalibrationState(const RequestEntry& request, std::int32_t state) {
  calibrationState_ = state;
  return Answer(request, calibrationState_, "State=" + std::to_string(calibrationState_));
}

DeviceReply Controller::RegisterRightButton(const RequestEntry& request, const RbfRegistration& registration) {
  touch_.path().Register(registration);
  return Answer(request, touch_.path().rightButton(),
                "Window=" + std::to_string(registration.Window) + " Armed=" + std::to_string(registration.Armed));
}

DeviceReply Controller::RegisterCompanion(const RequestEntry& request, const SmiRegistration& registration) {
  smi_ = registration;
  touch_.SetRotation(smi_.RotationCode);
  return Answer(request, smi_,
                "Window=" + std::to_string(smi_.Window) + " RotationCode=" + std::to_string(smi_.RotationCode));
}

DeviceReply Controller::PlayTestSound(const RequestEntry& request, const TestSound& sound) {
  Note(request, "Tone=" + std::to_string(sound.Tone) + " Duration=" + std::to_string(sound.Duration));
  touch_.path().Bell(sound.Tone, sound.Duration);
  return Ok(Bytes(sound));
}

// The suite's own touch settings, whole: kept like the block, taken by the touch side at once.
DeviceReply Controller::SetOptions(const RequestEntry& request, const TouchOptions& options) {
  if (!Note(request, DescribeOptions(options), OptionsValid(options))) return Failed();
  StoredState next = state_;
  next.options = options;
  SetAndSaveState(next);
  return OnceKept(Ok(Bytes(state_.options)));
}

DeviceReply Controller::SetPresent(const RequestEntry& request, std::int32_t present) {
  StoredState next = state_;
  next.present = present != 0;
  SetAndSaveState(next);
  Note(request, std::string("Present=") + (state_.present ? "1" : "0"));
  return OnceKept(Ok(Bytes(present)));
}

DeviceReply Controller::SetReportRate(const RequestEntry& request, std::int32_t rate) {
  if (!Note(request, "Rate=" + std::to_string(rate), rate >= 0 && rate <= Finger::kMaxRate)) return Failed();
  if (rate) touch_.finger().SetRate(rate);
  return Ok(Bytes(static_cast<std::int32_t>(touch_.finger().rate())));
}

SimStatus Controller::Status() const {
  SimStatus status = touch_.Status();
  status.Present = state_.present && status.Present ? 1 : 0;
  return status;
}

std::chrono::milliseconds Controller::HoldFor(std::uint32_t code, const std::uint8_t* payload,
                                              std::uint32_t size) const {
  if (code == IOCTL_WAIT_RBF_DISARMED && touch_.path().rightButton().Armed != 0)
    return std::chrono::milliseconds(kRbfWaitHoldMs);
  // While the panel is touched a poll is answered at once, so that a program polling faster than
  // the reports sees each report's sample more than once, as it always did.
  if (code == IOCTL_GET_TOUCH_SAMPLE && size == sizeof(TouchSample) && !touch_.path().touching() &&
      std::memcmp(payload, &touch_.path().sample(), sizeof(TouchSample)) == 0)
    return std::chrono::milliseconds(kSampleWaitHoldMs);
  return std::chrono::milliseconds(0);
}

std::size_t Controller::ReplyBound(std::uint32_t code) {
  // The description of the inputs and the output is a few lines of text.
  if (code == IOCTL_SIM_DESCRIBE_IO) return 4096;
  if (code == IOCTL_SIM_READ_JOURNAL) return frame::kMaxPayload;
  const RequestEntry* request = FindRequest(code);
  return std::max<std::size_t>(sizeof(SettingsBlock), request ? request->size : 0);
}

bool Controller::SimulatorRequest(std::uint32_t code) {
  // The simulator's requests are the 0xF9xxx group of the table.
  return (code & 0xFF000) == (IOCTL_SIM_GET_BLOCK & 0xFF000);
}

// A part of a recording: it makes the recording the input in force, or goes on with it. A
// recording that ends with the finger down lifts it, so that nothing stays pressed. A recording
// belongs to the client that plays it: another's parts are refused until it ends.
DeviceReply Controller::Replay(const RequestEntry& request, const SimReplay& part, ClientId client) {
  const bool first = part.Flags & REPLAY_FIRST, last = part.Flags & REPLAY_LAST;
  const bool another = touch_.Replaying() && client != replayer_;
  const std::string fields =
      "Events=" + std::to_string(part.Count) + " First=" + (first ? "1" : "0") + " Last=" + (last ? "1" : "0");
  if (!Note(request, fields, !another) || !touch_.Replay(part)) return Failed();
  replayer_ = client;
  return Ok(Bytes(touch_.path().sample()));
}

// The root's input setting, taken at once and kept. What went wrong is the log's.
DeviceReply Controller::SetInput(const RequestEntry& request, const InputUse& in) {
  const std::string use(in.Use, strnlen(in.Use, sizeof in.Use));
  std::string why;
  const bool ok = Note(request, "Use=" + use, touch_.UseInput(use, true, why));
  if (!ok) std::fprintf(stderr, "qxwmecomd: input %s: %s\n", use.c_str(), why.c_str());
  return ok ? Ok(Bytes(touch_.InputInForce())) : Failed();
}

// The companion's account of the desktop: the touchscreen's monitor chosen among the monitors.
DeviceReply Controller::SetMonitors(const RequestEntry& request, const MonitorLayout& layout) {
  touch_.SetMonitors(layout);
  const MonitorLayout& now = touch_.monitors();
  // Answered once the chosen monitor's size is kept.
  return OnceKept(Answer(request, now,
                         "Count=" + std::to_string(now.Count) + " Chosen=" +
                             (now.Chosen >= 0 ? Text(now.Monitors[now.Chosen].Name) : std::string("none"))));
}

DeviceReply Controller::MapToOutput(const RequestEntry& request, const OutputName& name) {
  const std::string output = Text(name.Name);
  std::string why;
  const bool ok = Note(request, "Name=" + output, touch_.MapToOutput(output, why));
  if (!ok) std::fprintf(stderr, "qxwmecomd: map-to-output %s: %s\n", output.c_str(), why.c_str());
  return ok ? OnceKept(Ok(Bytes(touch_.monitors()))) : Failed();
}

// The one place the touchscreen's monitor sets the screen the touches map to: its size, kept, and
// how its picture stands.
void Controller::TakeMonitor(const MonitorInfo& m) {
  smi_.RotationCode = m.RotationCode;
  touch_.SetRotation(m.RotationCode);
  if (m.Width == state_.block.ScreenWidth && m.Height == state_.block.ScreenHeight) return;
  StoredState next = state_;
  next.block.ScreenWidth = static_cast<std::int16_t>(std::clamp(m.Width, 1, 32767));
  next.block.ScreenHeight = static_cast<std::int16_t>(std::clamp(m.Height, 1, 32767));
  SetAndSaveState(next);
}

// A recording whose client is gone would hold its touch, and stay the input in force, until the
// next replay.
void Controller::Leaves(ClientId client) {
  if (burst_ && burst_->first == client) burst_.reset();  // its reports end where they are
  if (client != replayer_ || !touch_.Replaying()) return;
  journal_.Add(0, "ReplayEnded", "ClientGone=1");
  touch_.EndReplay();
}

DeviceReply Controller::ReadReports(const SimReports& in) {
  SimReports out{};
  journal_.ReportsAfter(in.After, out);
  out.After = in.After;
  return Ok(Bytes(out));
}

void Controller::TakePanel(const std::string& panel) {
  if (panel == state_.calibratedPanel) return;
  StoredState next = state_;
  next.calibratedPanel = panel;
  if (state_.calibratedPanel.empty()) {
    journal_.Add(0, "CalibrationOf", "Panel=" + panel + " Given=1");
    return SetAndSaveState(next, false);
  }
  // The calibration in force goes aside for its panel; PANEL's own comes out, else none.
  std::erase_if(next.panels, [&](const PanelCalibration& p) { return p.panel == state_.calibratedPanel; });
  PanelCalibration aside{state_.calibratedPanel, {}, state_.block.CalibrationFlags, state_.calibratedAt};
  std::memcpy(aside.data, state_.block.CalibrationData, sizeof aside.data);
  next.panels.push_back(aside);
  PanelCalibration taken{panel, {}, 0, -1};
  std::memcpy(taken.data, kStraightCalibration, sizeof taken.data);
  const auto own =
      std::find_if(next.panels.begin(), next.panels.end(), [&](const PanelCalibration& p) { return p.panel == panel; });
  const bool kept = own != next.panels.end();
  if (kept) {
    taken = *own;
    next.panels.erase(own);
  }
  std::memcpy(next.block.CalibrationData, taken.data, sizeof taken.data);
  next.block.CalibrationFlags = taken.flags;
  next.calibratedAt = taken.calibratedAt;
  journal_.Add(0, "CalibrationOf", "Panel=" + panel + (kept ? " Kept=1" : " Kept=0"));
  SetAndSaveState(next, false);
}

ControllerInfo Controller::ControllerInfoNow() const {
  ControllerInfo info = touch_.Facts() ? InfoOf(*touch_.Facts()) : ControllerInfo{};
  if (state_.calibratedPanel.empty()) return info;
  // A panel taken without a calibration of its own has the straight one until it is calibrated.
  const bool straight =
      std::memcmp(state_.block.CalibrationData, kStraightCalibration, sizeof kStraightCalibration) == 0 &&
      state_.block.CalibrationFlags == 0;
  info.CalibrationOf = straight ? CALIBRATION_NONE_YET : CALIBRATION_MADE_ON_PANEL;
  const std::string name = TouchscreenIdentity::NameInText(state_.calibratedPanel);
  std::snprintf(info.CalibratedPanel, sizeof info.CalibratedPanel, "%s", name.c_str());
  return info;
}

DeviceReply Controller::DescribeIo() const {
  std::string text = touch_.Describe();
  if (!state_.calibratedPanel.empty()) text += "Calibration: that of " + state_.calibratedPanel + "\n";
  return Ok(std::vector<std::uint8_t>(text.begin(), text.end()));
}

// A burst is made a part at a time, its request handed in again until it is done; its reply is the
// sample after its last report.
DeviceReply Controller::InjectTouch(const RequestEntry& request, const SimTouch& touch, ClientId client) {
  DeviceReply unfinished;
  unfinished.unfinished = true;
  if (burst_ && burst_->first != client) return unfinished;
  if (!burst_) {
    Note(request, "X=" + std::to_string(touch.X) + " Y=" + std::to_string(touch.Y) +
                      " Touching=" + std::to_string(touch.Touching) + " Reports=" + std::to_string(touch.Reports));
    burst_.emplace(client, TouchSide::TouchBurst{touch, 0});
  }
  if (!touch_.Burst(burst_->second)) return unfinished;
  burst_.reset();
  return Ok(Bytes(touch_.path().sample()));
}

DeviceReply Controller::MoveFinger(const RequestEntry& request, const SimFinger& finger) {
  Note(request, "X=" + std::to_string(finger.X) + " Y=" + std::to_string(finger.Y) +
                    " Jitter=" + std::to_string(finger.Jitter) + " Down=" + std::to_string(finger.Down));
  touch_.MoveFinger(finger.X, finger.Y, finger.Jitter, finger.Down != 0);
  return Ok(Bytes(touch_.path().sample()));
}

}  // namespace qx
