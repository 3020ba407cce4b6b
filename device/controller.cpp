#include "device/controller.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/controller_info.h"
#include "core/settings_fields.h"
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

void Controller::SetAndSaveState(const StoredState& next) {
  const bool calibrated =
      std::memcmp(next.block.CalibrationData, state_.block.CalibrationData, sizeof next.block.CalibrationData) != 0 ||
      next.block.CalibrationFlags != state_.block.CalibrationFlags;
  bool changed = calibrated || next.present != state_.present || next.initialSettings != state_.initialSettings ||
                 std::memcmp(&next.block, &state_.block, sizeof(SettingsBlock)) != 0 ||
                 std::memcmp(&next.options, &state_.options, sizeof(TouchOptions)) != 0;
  state_ = next;
  // A new calibration is made for the picture as it stands now.
  if (calibrated) state_.calibratedAt = static_cast<std::int8_t>(touch_.rotation());
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
    case IOCTL_GET_TOUCH_SAMPLE: return Answer(r, touch_.path().sample());
    case IOCTL_SET_CALIBRATION_STATE: return SetCalibrationState(r, From<std::int32_t>(payload));
    case IOCTL_GET_RBF_REGISTRATION:
    case IOCTL_WAIT_RBF_DISARMED: return Answer(r, touch_.path().rightButton());
    case IOCTL_SET_RBF_REGISTRATION: return RegisterRightButton(r, From<RbfRegistration>(payload));
    case IOCTL_GET_SMI_REGISTRATION: return Answer(r, smi_);
    case IOCTL_SET_SMI_REGISTRATION: return RegisterCompanion(r, From<SmiRegistration>(payload));
    case IOCTL_PLAY_TEST_SOUND: return PlayTestSound(r, From<TestSound>(payload));
    case IOCTL_GET_CONTROLLER_INFO: return Answer(r, touch_.Facts() ? InfoOf(*touch_.Facts()) : ControllerInfo{});
    case IOCTL_SIM_GET_BLOCK: return Ok(Bytes(state_.block));
    case IOCTL_SIM_SET_BLOCK: return SetWholeBlock(r, From<SettingsBlock>(payload));
    case IOCTL_SIM_SET_PRESENT: return SetPresent(r, From<std::int32_t>(payload));
    case IOCTL_SIM_TOUCH: return InjectTouch(r, From<SimTouch>(payload));
    case IOCTL_SIM_FINGER: return MoveFinger(r, From<SimFinger>(payload));
    case IOCTL_SIM_REPORT_RATE: return SetReportRate(r, From<std::int32_t>(payload));
    case IOCTL_SIM_REPLAY: return Replay(r, From<SimReplay>(payload), client);
    case IOCTL_SIM_READ_REPORTS: return ReadReports(From<SimReports>(payload));
    case IOCTL_SIM_GET_INPUT: return Ok(Bytes(touch_.InputInForce()));
    case IOCTL_SIM_SET_INPUT: return SetInput(r, From<SimInputUse>(payload));
    case IOCTL_SIM_SET_MONITORS: return SetMonitors(r, From<MonitorLayout>(payload));
    case IOCTL_SIM_GET_MONITORS: return Ok(Bytes(touch_.monitors()));
    case IOCTL_SIM_MAP_TO_OUTPUT: return MapToOutput(r, From<SimOutputName>(payload));
    case IOCTL_SIM_GET_OPTIONS: return Ok(Bytes(state_.options));
    case IOCTL_SIM_SET_OPTIONS: return SetOptions(r, From<TouchOptions>(payload));
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

template <typename Record>
DeviceReply Controller::Answer(const RequestEntry& request, const Record& record) {
  journal_.Add(request.code, request.name, "");
  return Ok(Bytes(record));
}

// A Set request of the driver: the fields its row lists, and nothing else, go into the block.
DeviceReply Controller::HandleSet(const RequestEntry& request, const SettingsBlock& in) {
  StoredState next = state_;
  CopyFields(in, next.block, request.taken);
  SetAndSaveState(next);
  journal_.Add(request.code, request.name, DescribeFields(in, request.taken));
  return OnceKept(Ok(Bytes(BlockAsHandedOut())));
}

// The simulator's SimSetBlock: every byte, the reserved ones too; the block as stored comes back.
DeviceReply Controller::SetWholeBlock(const RequestEntry& request, const SettingsBlock& in) {
  StoredState next = state_;
  next.block = in;
  SetAndSaveState(next);
  journal_.Add(request.code, request.name, DescribeFields(in, FieldList::All()));
  return OnceKept(Ok(Bytes(state_.block)));
}

DeviceReply Controller::SetCalibrationState(const RequestEntry& request, std::int32_t state) {
  calibrationState_ = state;
  journal_.Add(request.code, request.name, "State=" + std::to_string(calibrationState_));
  return Ok(Bytes(calibrationState_));
}

DeviceReply Controller::RegisterRightButton(const RequestEntry& request, const RbfRegistration& registration) {
  touch_.path().Register(registration);
  journal_.Add(request.code, request.name,
               "Window=" + std::to_string(registration.Window) + " Armed=" + std::to_string(registration.Armed));
  return Ok(Bytes(touch_.path().rightButton()));
}

DeviceReply Controller::RegisterCompanion(const RequestEntry& request, const SmiRegistration& registration) {
  smi_ = registration;
  touch_.SetRotation(smi_.RotationCode);
  journal_.Add(request.code, request.name,
               "Window=" + std::to_string(smi_.Window) + " RotationCode=" + std::to_string(smi_.RotationCode));
  return Ok(Bytes(smi_));
}

DeviceReply Controller::PlayTestSound(const RequestEntry& request, const TestSound& sound) {
  journal_.Add(request.code, request.name,
               "Tone=" + std::to_string(sound.Tone) + " Duration=" + std::to_string(sound.Duration));
  touch_.path().Bell(sound.Tone, sound.Duration);
  return Ok(Bytes(sound));
}

// The suite's own touch settings, whole: kept like the block, taken by the touch side at once.
DeviceReply Controller::SetOptions(const RequestEntry& request, const TouchOptions& options) {
  const bool ok = OptionsValid(options);
  journal_.Add(request.code, request.name, DescribeOptions(options) + (ok ? "" : " failed"));
  if (!ok) return Failed();
  StoredState next = state_;
  next.options = options;
  SetAndSaveState(next);
  return OnceKept(Ok(Bytes(state_.options)));
}

DeviceReply Controller::SetPresent(const RequestEntry& request, std::int32_t present) {
  StoredState next = state_;
  next.present = present != 0;
  SetAndSaveState(next);
  journal_.Add(request.code, request.name, std::string("Present=") + (state_.present ? "1" : "0"));
  return OnceKept(Ok(Bytes(present)));
}

DeviceReply Controller::SetReportRate(const RequestEntry& request, std::int32_t rate) {
  bool ok = rate >= 0 && rate <= Finger::kMaxRate;
  if (ok && rate) touch_.finger().SetRate(rate);
  journal_.Add(request.code, request.name, "Rate=" + std::to_string(rate) + (ok ? "" : " failed"));
  if (!ok) return Failed();
  return Ok(Bytes(static_cast<std::int32_t>(touch_.finger().rate())));
}

SimStatus Controller::Status() const {
  SimStatus status = touch_.Status();
  status.Present = state_.present && status.Present ? 1 : 0;
  return status;
}

bool Controller::Holds(std::uint32_t code) const {
  return code == IOCTL_WAIT_RBF_DISARMED && touch_.path().rightButton().Armed != 0;
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
  journal_.Add(request.code, request.name,
               "Events=" + std::to_string(part.Count) + " First=" + (first ? "1" : "0") +
                   " Last=" + (last ? "1" : "0") + (another ? " failed" : ""));
  if (another || !touch_.Replay(part)) return Failed();
  replayer_ = client;
  return Ok(Bytes(touch_.path().sample()));
}

// The root's input setting, taken at once and kept. What went wrong is the log's.
DeviceReply Controller::SetInput(const RequestEntry& request, const SimInputUse& in) {
  const std::string use(in.Use, strnlen(in.Use, sizeof in.Use));
  std::string why;
  const bool ok = touch_.UseInput(use, true, why);
  journal_.Add(request.code, request.name, "Use=" + use + (ok ? "" : " failed"));
  if (!ok) std::fprintf(stderr, "qxwmecomd: input %s: %s\n", use.c_str(), why.c_str());
  return ok ? Ok(Bytes(touch_.InputInForce())) : Failed();
}

// The companion's account of the desktop: the touchscreen's monitor chosen among the monitors.
DeviceReply Controller::SetMonitors(const RequestEntry& request, const MonitorLayout& layout) {
  touch_.SetMonitors(layout);
  const MonitorLayout& now = touch_.monitors();
  journal_.Add(request.code, request.name,
               "Count=" + std::to_string(now.Count) +
                   " Chosen=" + (now.Chosen >= 0 ? Text(now.Monitors[now.Chosen].Name) : std::string("none")));
  return Ok(Bytes(now));
}

DeviceReply Controller::MapToOutput(const RequestEntry& request, const SimOutputName& name) {
  const std::string output = Text(name.Name);
  std::string why;
  const bool ok = touch_.MapToOutput(output, why);
  journal_.Add(request.code, request.name, "Name=" + output + (ok ? "" : " failed"));
  if (!ok) std::fprintf(stderr, "qxwmecomd: map-to-output %s: %s\n", output.c_str(), why.c_str());
  return ok ? Ok(Bytes(touch_.monitors())) : Failed();
}

void Controller::TakeMonitor(const MonitorInfo& m) {
  smi_.RotationCode = m.RotationCode;
  if (m.Width == state_.block.ScreenWidth && m.Height == state_.block.ScreenHeight) return;
  StoredState next = state_;
  next.block.ScreenWidth = static_cast<std::int16_t>(std::clamp(m.Width, 1, 32767));
  next.block.ScreenHeight = static_cast<std::int16_t>(std::clamp(m.Height, 1, 32767));
  SetAndSaveState(next);
}

// A recording whose client is gone would hold its touch, and stay the input in force, until the
// next replay.
void Controller::Leaves(ClientId client) {
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

DeviceReply Controller::DescribeIo() const {
  const std::string text = touch_.Describe();
  return Ok(std::vector<std::uint8_t>(text.begin(), text.end()));
}

DeviceReply Controller::InjectTouch(const RequestEntry& request, const SimTouch& touch) {
  journal_.Add(request.code, request.name,
               "X=" + std::to_string(touch.X) + " Y=" + std::to_string(touch.Y) +
                   " Touching=" + std::to_string(touch.Touching) + " Reports=" + std::to_string(touch.Reports));
  touch_.Burst(touch.X, touch.Y, touch.Touching != 0, touch.Reports);
  return Ok(Bytes(touch_.path().sample()));
}

DeviceReply Controller::MoveFinger(const RequestEntry& request, const SimFinger& finger) {
  journal_.Add(request.code, request.name,
               "X=" + std::to_string(finger.X) + " Y=" + std::to_string(finger.Y) +
                   " Jitter=" + std::to_string(finger.Jitter) + " Down=" + std::to_string(finger.Down));
  touch_.MoveFinger(finger.X, finger.Y, finger.Jitter, finger.Down != 0);
  return Ok(Bytes(touch_.path().sample()));
}

}  // namespace qx
