#include "device/touch_side.h"

#include <algorithm>

#include "device/double_tap.h"
#include "host/printable_text.h"

namespace qx {

TouchSide::TouchSide(Journal& journal) : journal_(journal) {
  path_.Attach(pointer_);
  path_.SetDoubleClickSource(DesktopDoubleClick);
  path_.SetOptions(options_);
}

void TouchSide::Configure(const SettingsBlock& settings, int calibratedAt, const TouchOptions& options) {
  settings_ = settings;
  calibratedAt_ = calibratedAt;
  options_ = options;
  path_.SetTurn(calibratedAt_, rotation_);
  path_.SetOptions(options_);
  if (desktop_) desktop_->HideCursor(options_.HideCursor != 0);
}

void TouchSide::SetRotation(int code) {
  rotation_ = code;
  path_.SetTurn(calibratedAt_, rotation_);
}

void TouchSide::SetMonitors(const MonitorLayout& layout) {
  // A monitor of no size (0 × 0, or negative) shows nothing to touch: it is left out.
  layout_ = {0, -1, {}};
  for (std::uint32_t i = 0; i < std::min<std::uint32_t>(layout.Count, kMonitors); ++i)
    if (layout.Monitors[i].Width > 0 && layout.Monitors[i].Height > 0)
      layout_.Monitors[layout_.Count++] = layout.Monitors[i];
  Choose();
}

MonitorChoice TouchSide::KeptChoice() const { return setup_ ? setup_->Monitor() : MonitorChoice{}; }

void TouchSide::Choose() {
  chosenFor_ = made_ ? made_->Panel() : PanelFacts{};
  const int before = layout_.Chosen;
  const ScreenPlacement was = placement_;
  layout_.Chosen = ChooseMonitor(layout_, KeptChoice(), chosenFor_, chosenWhy_);
  if (layout_.Chosen < 0) {
    placement_ = {};
    return;
  }
  const MonitorInfo& m = layout_.Monitors[layout_.Chosen];
  placement_ = {true, MonitorRect(m), DesktopRect(layout_)};
  // The controller takes the monitor's size and turn (a half turn leaves its place as it was).
  if ((before != layout_.Chosen || !(was == placement_) || m.RotationCode != rotation_) && chosen_) chosen_(m);
}

bool TouchSide::MapToOutput(const std::string& name, std::string& why) {
  MonitorChoice choice;
  choice.output = name;
  for (std::uint32_t i = 0; i < layout_.Count && !name.empty(); ++i)
    if (Text(layout_.Monitors[i].Name) == name) {
      const MonitorInfo& m = layout_.Monitors[i];
      choice = {name, Text(m.Maker), Text(m.Model), Text(m.Serial)};
    }
  if (!name.empty() && choice.maker.empty() && layout_.Count > 0 &&
      std::none_of(layout_.Monitors, layout_.Monitors + layout_.Count,
                   [&](const MonitorInfo& m) { return Text(m.Name) == name; })) {
    why = "no monitor " + name + " on this desktop";
    return false;
  }
  if (!setup_ || !setup_->KeepMonitor(choice)) {
    why = "the choice could not be kept";
    return false;
  }
  Choose();
  return true;
}

std::string TouchSide::DescribeMonitor() const {
  if (layout_.Chosen < 0) return "";
  const MonitorInfo& m = layout_.Monitors[layout_.Chosen];
  const ScreenRect& d = placement_.desktop;
  return "Monitor: " + Printable(Text(m.Name)) + " " + std::to_string(m.Width) + "x" + std::to_string(m.Height) + "+" +
         std::to_string(m.X) + "+" + std::to_string(m.Y) + " of the desktop " + std::to_string(d.width) + "x" +
         std::to_string(d.height) + " (" + chosenWhy_ + ")\n";
}

void TouchSide::AddInput(TouchInput& input) { inputs_.insert(inputs_.end() - 1, &input); }

void TouchSide::AttachOutput(PointerOutput& output) {
  path_.Attach(output);
  desktop_ = &output;
  desktop_->HideCursor(options_.HideCursor != 0);
}

void TouchSide::AppendPollEntries(std::vector<pollfd>& fds) const {
  for (const TouchInput* input : inputs_) fds.push_back({input->Descriptor(), POLLIN, 0});
  // The output reads what comes on its own when woken.
  if (desktop_) fds.push_back({desktop_->Descriptor(), POLLIN, 0});
}

std::optional<TouchSide::Time> TouchSide::NextDue() const {
  // The path's own timers (the automatic right button) and its outputs', the inputs', and the
  // repeat of a resting touch.
  std::optional<Time> due = path_.NextDue();
  std::optional<Time> repeat = pace_.NextDue(finger_.Period());
  if (repeat && (!due || *repeat < *due)) due = repeat;
  for (const TouchInput* input : inputs_) {
    std::optional<Time> next = input->NextDue();
    if (next && (!due || *next < *due)) due = next;
  }
  return due;
}

void TouchSide::Wake(Time now, const pollfd* polled, std::size_t count) {
  for (std::size_t k = 0; k < inputs_.size(); ++k) {
    const bool same = k < count && polled[k].fd == inputs_[k]->Descriptor();
    const std::int16_t counter = path_.sample().Counter;
    inputs_[k]->Wake(now, same && (polled[k].revents & (POLLIN | POLLHUP | POLLERR)), path_);
    if (path_.sample().Counter != counter) pace_.Reported(now, path_.touching(), inputs_[k] == &finger_);
  }
  pace_.Wake(now, finger_.Period(), path_);
  path_.Wake(now);
  // A touchscreen taken or lost may belong to another monitor, and has a calibration of its own.
  if (layout_.Count > 0 && !((made_ ? made_->Panel() : PanelFacts{}) == chosenFor_)) Choose();
  NotePanel();
}

void TouchSide::OnPanelTaken(std::function<void(const std::string&)> taken) {
  panelTaken_ = std::move(taken);
  panel_.clear();
  NotePanel();
}

void TouchSide::NotePanel() {
  const std::string panel = made_ && made_->Present() ? made_->Panel().identity : "";
  if (panel.empty() || panel == panel_) return;
  panel_ = panel;
  if (panelTaken_) panelTaken_(panel);
}

bool TouchSide::UseInput(const std::string& use, bool keep, std::string& why) {
  std::unique_ptr<TouchInput> input;
  if (!setup_) {
    why = "this service reads no input but the simulated controller";
    return false;
  }
  if (!setup_->MakeInput(use, input, why)) return false;
  // Kept before it is switched to: a setting that cannot be kept leaves the input in force.
  if (keep && !setup_->KeepInput(use)) {
    why = "the input setting could not be written";
    return false;
  }
  if (made_) {
    made_->Release(path_);
    std::erase(inputs_, made_.get());
  }
  made_ = std::move(input);
  if (made_) AddInput(*made_);
  NotePanel();
  return true;
}

bool TouchSide::Burst(TouchBurst& burst) {
  // A burst is a touch of its own: the held finger, if any, leaves the panel to it.
  if (burst.next == 0) finger_.Lift();
  // Reports that the journal could not keep anyway (it keeps its newest lines) only count: the
  // work of a burst is bounded by the journal's size, whatever its number of reports. They are
  // the ones after the first, so that a touch-down still does what it does.
  const SimTouch& asked = burst.asked;
  const std::size_t count = asked.Reports, kept = journal_.capacity() + 1;
  const std::size_t skipped = count > kept ? count - kept : 0;
  for (std::size_t made = 0; burst.next < count && made < kBurstPart; ++made) {
    if (burst.next == 1 && skipped) {
      path_.CountUnmade(skipped);
      burst.next += skipped;
      continue;
    }
    path_.Report(asked.X, asked.Y, asked.Touching != 0);
    ++burst.next;
  }
  pace_.Reported(std::chrono::steady_clock::now(), asked.Touching != 0, true);
  return burst.next >= count;
}

void TouchSide::MoveFinger(std::int16_t x, std::int16_t y, std::uint16_t jitter, bool down) {
  const Time now = std::chrono::steady_clock::now();
  if (down) {
    finger_.Press(x, y, jitter, now);
    finger_.Wake(now, false, path_);
  } else {
    // The finger leaves where it was last reported.
    finger_.Lift();
    path_.Report(path_.sample().X, path_.sample().Y, false);
  }
  pace_.Reported(now, down, true);
}

bool TouchSide::Replay(const SimReplay& part) {
  const bool taken = replay_.Take(part, path_);
  pace_.Reported(std::chrono::steady_clock::now(), path_.touching(), false);
  return taken;
}

void TouchSide::EndReplay() {
  replay_.End(path_);
  pace_.Reported(std::chrono::steady_clock::now(), path_.touching(), false);
}

bool TouchSide::Present() const {
  return std::all_of(inputs_.begin(), inputs_.end(), [](const TouchInput* input) { return input->Present(); });
}

const TouchInput& TouchSide::InForce() const {
  auto in = std::find_if(inputs_.rbegin(), inputs_.rend(), [](const TouchInput* input) { return input->InForce(); });
  return **in;  // the finger always is
}

SimStatus TouchSide::Status() const {
  const TouchSample& sample = path_.sample();
  SimStatus status{};
  status.Present = Present() ? 1 : 0;
  status.Touching = path_.touching() ? 1 : 0;
  status.RawX = sample.X;
  status.RawY = sample.Y;
  status.Counter = static_cast<std::uint16_t>(sample.Counter);
  status.PointerX = pointer_.x();
  status.PointerY = pointer_.y();
  status.RightButtonActions = pointer_.rightClicks();
  return status;
}

std::string TouchSide::Describe() const {
  return "Input: " + InForce().Describe() + "\n" + DescribeMonitor() +
         "Output: " + (desktop_ ? desktop_->Describe() : "none") + "\n" +
         (path_.touchOn() ? "" : "Touch: off, touches reach no pointer (qxctl touch on)\n");
}

}  // namespace qx
