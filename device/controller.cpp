#include "device/controller.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/settings_fields.h"
#include "device/pointer_mapping.h"
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

// The record size each request takes; 0 for a request with no payload, -1 for an unknown code.
long SizeFor(std::uint32_t code) {
  switch (code) {
    case IOCTL_GET_SETTINGS:
    case IOCTL_SET_SERIAL_PORTS:
    case IOCTL_SET_TOUCH_MODE:
    case IOCTL_SET_FEEDBACK_SOUND:
    case IOCTL_SET_SENSITIVITY:
    case IOCTL_SET_MOUSE_SPEED:
    case IOCTL_SET_CALIBRATION:
    case IOCTL_SET_SCREEN_SIZE:
    case IOCTL_SET_POWER_SAVE:
    case IOCTL_SIM_GET_BLOCK:
    case IOCTL_SIM_SET_BLOCK: return sizeof(SettingsBlock);
    case IOCTL_GET_TOUCH_SAMPLE: return sizeof(TouchSample);
    case IOCTL_SET_CALIBRATION_STATE:
    case IOCTL_SIM_SET_PRESENT:
    case IOCTL_SIM_REPORT_RATE: return 4;
    case IOCTL_GET_RBF_REGISTRATION:
    case IOCTL_SET_RBF_REGISTRATION: return sizeof(RbfRegistration);
    case IOCTL_GET_SMI_REGISTRATION:
    case IOCTL_SET_SMI_REGISTRATION: return sizeof(SmiRegistration);
    case IOCTL_PLAY_TEST_SOUND: return sizeof(TestSound);
    case IOCTL_SIM_TOUCH: return sizeof(SimTouch);
    case IOCTL_SIM_FINGER: return sizeof(SimFinger);
    case IOCTL_SIM_GET_STATUS: return sizeof(SimStatus);
    case IOCTL_SIM_READ_JOURNAL:
    case IOCTL_SIM_CLEAR_JOURNAL: return 0;
    default: return -1;
  }
}

// The block fields each Set request is for.
std::vector<std::string> FieldsFor(std::uint32_t code) {
  switch (code) {
    case IOCTL_SET_SERIAL_PORTS: return {"PortIrq1", "PortIrq2", "PortIrq3", "PortIrq4"};
    case IOCTL_SET_TOUCH_MODE:
      return {"TouchMode", "RbfEnable", "RbfAutoMode", "RbfAutoSTime", "RbfAutoETime", "RbfAutoBeep"};
    case IOCTL_SET_FEEDBACK_SOUND: return {"SoundMode", "SoundTone", "SoundDuration"};
    case IOCTL_SET_SENSITIVITY: return {"Sensitivity"};
    case IOCTL_SET_MOUSE_SPEED: return {"Bypass", "SpeedH", "SpeedV", "Acceleration"};
    case IOCTL_SET_CALIBRATION: return {"CalibrationData", "CalibrationFlags"};
    case IOCTL_SET_SCREEN_SIZE: return {"ScreenWidth", "ScreenHeight"};
    case IOCTL_SET_POWER_SAVE: return {"PowerDownTime"};
    case IOCTL_SIM_SET_BLOCK: return FieldNames();
    default: return {};
  }
}

}  // namespace

std::string FieldsOf(std::uint32_t code, const SettingsBlock& block) { return DescribeFields(block, FieldsFor(code)); }

Controller::Controller(StateFile file) : file_(std::move(file)) {
  if (auto kept = file_.Load()) {
    state_ = *kept;
  } else {
    state_ = DefaultState();
    file_.Save(state_);
  }
}

SettingsBlock Controller::Visible() const {
  SettingsBlock b = state_.block;
  if (!state_.present) {
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
  Keep(next);
  // A machine without an installation has no set to speak of; the empty set is remembered all the
  // same, so that an installation after a removal is a new set again.
  if (!fields.empty() || !problems.empty()) journal_.Add(0, "InitialSettings", DescribeFields(state_.block, fields));
  return problems;
}

void Controller::Keep(const StoredState& next) {
  bool changed = next.present != state_.present || next.initialSettings != state_.initialSettings ||
                 std::memcmp(&next.block, &state_.block, sizeof(SettingsBlock)) != 0;
  state_ = next;
  if (changed && !file_.Save(state_)) journal_.Add(0, "StateNotSaved", "path=" + file_.path());
}

DeviceReply Controller::Handle(std::uint32_t code, const std::uint8_t* payload, std::uint32_t size) {
  const char* name = RequestName(code);
  long expected = SizeFor(code);
  if (expected < 0 || static_cast<long>(size) != expected) {
    char text[64];
    std::snprintf(text, sizeof text, "size=%u failed", size);
    journal_.Add(code, *name ? name : "Unknown", text);
    return Failed();
  }

  switch (code) {
    case IOCTL_GET_SETTINGS: journal_.Add(code, name, ""); return Ok(Bytes(Visible()));
    case IOCTL_SET_SERIAL_PORTS:
    case IOCTL_SET_TOUCH_MODE:
    case IOCTL_SET_FEEDBACK_SOUND:
    case IOCTL_SET_SENSITIVITY:
    case IOCTL_SET_MOUSE_SPEED:
    case IOCTL_SET_CALIBRATION:
    case IOCTL_SET_SCREEN_SIZE:
    case IOCTL_SET_POWER_SAVE:
    case IOCTL_SIM_SET_BLOCK: return HandleSet(code, From<SettingsBlock>(payload));
    case IOCTL_GET_TOUCH_SAMPLE: journal_.Add(code, name, ""); return Ok(Bytes(sample_));
    case IOCTL_SET_CALIBRATION_STATE:
      calibrationState_ = From<std::int32_t>(payload);
      journal_.Add(code, name, "State=" + std::to_string(calibrationState_));
      return Ok(Bytes(calibrationState_));
    case IOCTL_GET_RBF_REGISTRATION: journal_.Add(code, name, ""); return Ok(Bytes(rbf_));
    case IOCTL_SET_RBF_REGISTRATION:
      rbf_ = From<RbfRegistration>(payload);
      journal_.Add(code, name, "Window=" + std::to_string(rbf_.Window) + " Armed=" + std::to_string(rbf_.Armed));
      return Ok(Bytes(rbf_));
    case IOCTL_GET_SMI_REGISTRATION: journal_.Add(code, name, ""); return Ok(Bytes(smi_));
    case IOCTL_SET_SMI_REGISTRATION:
      smi_ = From<SmiRegistration>(payload);
      journal_.Add(code, name,
                   "Window=" + std::to_string(smi_.Window) + " RotationCode=" + std::to_string(smi_.RotationCode));
      return Ok(Bytes(smi_));
    case IOCTL_PLAY_TEST_SOUND: {
      TestSound sound = From<TestSound>(payload);
      journal_.Add(code, name, "Tone=" + std::to_string(sound.Tone) + " Duration=" + std::to_string(sound.Duration));
      return Ok(Bytes(sound));
    }
    case IOCTL_SIM_GET_BLOCK: return Ok(Bytes(state_.block));
    case IOCTL_SIM_SET_PRESENT: {
      StoredState next = state_;
      next.present = From<std::int32_t>(payload) != 0;
      Keep(next);
      journal_.Add(code, name, std::string("Present=") + (state_.present ? "1" : "0"));
      return Ok(Bytes(From<std::int32_t>(payload)));
    }
    case IOCTL_SIM_TOUCH: return InjectTouch(From<SimTouch>(payload));
    case IOCTL_SIM_FINGER: return MoveFinger(From<SimFinger>(payload));
    case IOCTL_SIM_REPORT_RATE: {
      std::int32_t rate = From<std::int32_t>(payload);
      bool ok = rate >= 0 && rate <= Finger::kMaxRate;
      if (ok && rate) finger_.SetRate(rate);
      journal_.Add(code, name, "Rate=" + std::to_string(rate) + (ok ? "" : " failed"));
      if (!ok) return Failed();
      return Ok(Bytes(static_cast<std::int32_t>(finger_.rate())));
    }
    case IOCTL_SIM_GET_STATUS: {
      SimStatus status{};
      status.Present = state_.present ? 1 : 0;
      status.Touching = (sample_.Status & TOUCH_BIT) ? 1 : 0;
      status.RawX = sample_.X;
      status.RawY = sample_.Y;
      status.Counter = static_cast<std::uint16_t>(sample_.Counter);
      status.PointerX = pointerX_;
      status.PointerY = pointerY_;
      status.RightButtonActions = rightButtonActions_;
      return Ok(Bytes(status));
    }
    case IOCTL_SIM_READ_JOURNAL: {
      std::string text = journal_.Text();
      // The newest lines, when they are more than one reply can hold.
      if (text.size() > frame::kMaxPayload) text.erase(0, text.size() - frame::kMaxPayload);
      return Ok(std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    case IOCTL_SIM_CLEAR_JOURNAL: journal_.Clear(); return Ok({});
    default: return Failed();
  }
}

DeviceReply Controller::HandleSet(std::uint32_t code, const SettingsBlock& in) {
  StoredState next = state_;
  SettingsBlock& b = next.block;
  switch (code) {
    case IOCTL_SET_SERIAL_PORTS:
      for (int n = 0; n < 4; ++n) b.PortTable[n].PortIrq = in.PortTable[n].PortIrq;
      break;
    case IOCTL_SET_TOUCH_MODE:
      b.TouchMode = in.TouchMode;
      b.RbfEnable = in.RbfEnable;
      b.RbfAutoMode = in.RbfAutoMode;
      b.RbfAutoSTime = in.RbfAutoSTime;
      b.RbfAutoETime = in.RbfAutoETime;
      b.RbfAutoBeep = in.RbfAutoBeep;
      break;
    case IOCTL_SET_FEEDBACK_SOUND:
      b.SoundMode = in.SoundMode;
      b.SoundTone = in.SoundTone;
      b.SoundDuration = in.SoundDuration;
      break;
    case IOCTL_SET_SENSITIVITY: b.Sensitivity = in.Sensitivity; break;
    case IOCTL_SET_MOUSE_SPEED:
      b.Bypass = in.Bypass;
      b.SpeedH = in.SpeedH;
      b.SpeedV = in.SpeedV;
      b.Acceleration = in.Acceleration;
      break;
    case IOCTL_SET_CALIBRATION:
      std::memcpy(b.CalibrationData, in.CalibrationData, sizeof b.CalibrationData);
      b.CalibrationFlags = in.CalibrationFlags;
      break;
    case IOCTL_SET_SCREEN_SIZE:
      b.ScreenWidth = in.ScreenWidth;
      b.ScreenHeight = in.ScreenHeight;
      break;
    case IOCTL_SET_POWER_SAVE: b.PowerDownTime = in.PowerDownTime; break;
    case IOCTL_SIM_SET_BLOCK: b = in; break;
  }
  Keep(next);
  journal_.Add(code, RequestName(code), FieldsOf(code, in));
  return Ok(Bytes(code == IOCTL_SIM_SET_BLOCK ? state_.block : Visible()));
}

std::size_t Controller::ReplyBound(std::uint32_t code) {
  return code == IOCTL_SIM_READ_JOURNAL ? frame::kMaxPayload : sizeof(SettingsBlock);
}

void Controller::Report(std::int16_t x, std::int16_t y, bool touching) {
  bool wasTouching = sample_.Status & TOUCH_BIT;
  sample_.X = x;
  sample_.Y = y;
  sample_.Status = touching ? TOUCH_BIT : 0;
  sample_.Counter = static_cast<std::int16_t>(sample_.Counter + 1);
  ScreenPoint p = MapRawToScreen(state_.block, x, y);
  pointerX_ = p.x;
  pointerY_ = p.y;
  journal_.AddReport({x, y, touching, sample_.Counter, p.x, p.y});
  // The one-shot right button: the touch that lands while it is armed becomes the action.
  if (touching && !wasTouching && rbf_.Armed == 1) {
    rbf_.Armed = 0;
    ++rightButtonActions_;
    journal_.Add(0, "RightButtonAction", "PointerX=" + std::to_string(p.x) + " PointerY=" + std::to_string(p.y));
  }
}

DeviceReply Controller::InjectTouch(const SimTouch& touch) {
  journal_.Add(IOCTL_SIM_TOUCH, "SimTouch",
               "X=" + std::to_string(touch.X) + " Y=" + std::to_string(touch.Y) +
                   " Touching=" + std::to_string(touch.Touching) + " Reports=" + std::to_string(touch.Reports));
  // A burst is a touch of its own: the held finger, if any, leaves the panel to it.
  finger_.Lift();
  // Reports that the journal could not keep anyway (it keeps its newest lines) only count: the
  // work of a burst is bounded by the journal's size, whatever its number of reports. They are
  // the ones after the first, so that a touch-down still does what it does.
  const std::size_t count = touch.Reports;
  const std::size_t skipped = count > journal_.capacity() + 1 ? count - journal_.capacity() - 1 : 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (i == 1 && skipped) {
      sample_.Counter = static_cast<std::int16_t>(sample_.Counter + skipped);
      i += skipped - 1;
      continue;
    }
    Report(touch.X, touch.Y, touch.Touching != 0);
  }
  return Ok(Bytes(sample_));
}

DeviceReply Controller::MoveFinger(const SimFinger& finger) {
  journal_.Add(IOCTL_SIM_FINGER, "SimFinger",
               "X=" + std::to_string(finger.X) + " Y=" + std::to_string(finger.Y) +
                   " Jitter=" + std::to_string(finger.Jitter) + " Down=" + std::to_string(finger.Down));
  if (finger.Down) {
    auto now = std::chrono::steady_clock::now();
    finger_.Press(finger.X, finger.Y, finger.Jitter, now);
    Tick(now);
  } else {
    // The finger leaves where it was last reported.
    finger_.Lift();
    Report(sample_.X, sample_.Y, false);
  }
  return Ok(Bytes(sample_));
}

void Controller::Tick(Finger::Time now) {
  if (finger_.TakeDue(now)) Report(finger_.ReportX(), finger_.ReportY(), true);
}

}  // namespace qx
