// The device service's touch side: where touches come from and where they go. It holds the
// inputs (the simulated finger, a touchscreen added by the service's start, the recording a
// replay request feeds), the touch path that decides what their reports mean, and the pointer
// outputs (the simulated pointer, always; the desktop's, when one is attached). The service's loop
// waits on its descriptors and due time and wakes it; the controller hands it what a request asks
// of it, and the settings it runs with whenever they change. Nothing here locks: the service acts
// on it from one thread at a time (device/server).
#pragma once

#include <poll.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/driver_records.h"
#include "core/settings_block.h"
#include "device/finger.h"
#include "device/journal.h"
#include "device/monitor_choice.h"
#include "device/pointer_output.h"
#include "device/replay_input.h"
#include "device/report_pace.h"
#include "device/simulated_pointer.h"
#include "device/touch_input.h"
#include "device/touch_path.h"
#include "device/touch_setup.h"

namespace qx {

class TouchSide {
 public:
  using Time = std::chrono::steady_clock::time_point;

  // JOURNAL gets the reports' lines and the simulated pointer's; it outlives the touch side.
  explicit TouchSide(Journal& journal);
  TouchSide(const TouchSide&) = delete;
  TouchSide& operator=(const TouchSide&) = delete;

  // The controller's settings block as it is kept, from now on (calibration, screen size, touch
  // mode, right buttons, sound), the rotation code the calibration was made at (-1: as the
  // picture stands, whatever it is), and the suite's own touch settings.
  void Configure(const SettingsBlock& settings, int calibratedAt, const TouchOptions& options);
  // Those settings, for an output that maps to the screen they name; the reference stays good.
  const SettingsBlock& settings() const { return settings_; }

  // An input besides the finger: it is in force from now on, but while a recording plays. It
  // outlives the touch side.
  void AddInput(TouchInput& input);
  // Where the inputs a setting names come from (the root's); it outlives the touch side.
  void SetSetup(TouchSetup& setup) { setup_ = &setup; }
  // The input USE names ("simulated", "auto", a path, a touchscreen's name) in place of the one it
  // made before, which is let go; kept as the root's setting when KEEP. False with WHY when USE
  // names nothing that can be had or cannot be kept: the input in force then stays.
  bool UseInput(const std::string& use, bool keep, std::string& why);

  // The desktop's monitors as the companion registers them: the touchscreen's is chosen among them
  // (device/monitor_choice) and placed for the outputs; CHOSEN hears of each new choice, and of a
  // new turn of the one chosen, and sets the screen size and the turn (SetRotation) from it.
  void SetMonitors(const MonitorLayout& layout);
  void OnMonitorChosen(std::function<void(const MonitorInfo&)> chosen) { chosen_ = std::move(chosen); }
  // TAKEN hears of each touchscreen taken that is not the one before (its identity, PanelFacts),
  // at once for one in force now.
  void OnPanelTaken(std::function<void(const std::string&)> taken);
  // The layout with Chosen set.
  const MonitorLayout& monitors() const { return layout_; }
  // The touchscreen's monitor from now on, by NAME ("": the desktops' way), kept in the root. False
  // with WHY when NAME is not a monitor of the layout, or it cannot be kept.
  bool MapToOutput(const std::string& name, std::string& why);
  // Where the touches go on the desktop, for the outputs; the reference stays good.
  const ScreenPlacement& placement() const { return placement_; }
  // How the picture stands on the touchscreen now (a RotationCode); the companion registers it.
  void SetRotation(int code);
  int rotation() const { return rotation_; }
  // The desktop's pointer, besides the simulated one: gets every action from now on, and is the
  // output `qxctl output` names. It outlives the touch side.
  void AttachOutput(PointerOutput& output);

  // For the service's waits. The inputs' poll entries go at the end of FDS, one per input in a
  // fixed order (-1 for one without a descriptor), then the desktop output's connection (none
  // without a desktop output); Wake takes COUNT entries of a poll made on them, in that order (an
  // input that came or went since has none of them), lets every input hand the path its reports,
  // then wakes the path's timers and outputs: the desktop output reads what came on its connection
  // whether its entry was polled or not.
  void AppendPollEntries(std::vector<pollfd>& fds) const;
  std::optional<Time> NextDue() const;
  void Wake(Time now, const pollfd* polled, std::size_t count);

  // What the requests ask of it.
  TouchPath& path() { return path_; }
  const TouchPath& path() const { return path_; }
  Finger& finger() { return finger_; }
  // A burst of reports as SimTouch asks it, made a part at a time so that a large one holds nobody
  // up for long; NEXT, how many are made so far.
  struct TouchBurst {
    SimTouch asked{};
    std::size_t next = 0;
  };
  // Reports made in one part of a burst: about a millisecond's work.
  static constexpr std::size_t kBurstPart = 2000;
  // Makes the next part of BURST (the held finger lifted first); true once its last report is made.
  bool Burst(TouchBurst& burst);
  // The held finger put down at (X, Y) (or moved there) with JITTER, or lifted (SimFinger).
  void MoveFinger(std::int16_t x, std::int16_t y, std::uint16_t jitter, bool down);
  // A part of a recording (SimReplay); false when it cannot be taken.
  bool Replay(const SimReplay& part);
  // Ends the recording that plays, if any: a touch still down lifts where it was.
  void EndReplay();
  bool Replaying() const { return replay_.playing(); }

  // "Monitor: …" for the touchscreen's monitor and why, when the monitors are known.
  std::string DescribeMonitor() const;
  // Whether every input can report: an unplugged touchscreen makes the controller read as absent.
  bool Present() const;
  // The input in force, as GetInput hands it out.
  InputInfo InputInForce() const { return InForce().Identity(); }
  // What the root's touchscreen says of itself as the controller, a recording playing or not;
  // nothing while the simulated controller is the root's input.
  const ControllerFacts* Facts() const { return made_ ? made_->Facts() : nullptr; }
  // The touch and pointer fields of SimGetStatus (Present: the inputs').
  SimStatus Status() const;
  // "Input: …\nOutput: …\n": the input and the desktop output in force, as SimDescribeIo answers,
  // and "Touch: off …" while touches reach no output.
  std::string Describe() const;
  std::string DescribeInput() const { return InForce().Describe(); }

 private:
  const TouchInput& InForce() const;
  // Chooses the touchscreen's monitor again (the layout, the root's choice or the touchscreen
  // changed), and places it.
  void Choose();
  MonitorChoice KeptChoice() const;
  // Tells of a touchscreen taken that is not the one before.
  void NotePanel();

  SettingsBlock settings_{};
  TouchOptions options_ = DefaultOptions();
  Journal& journal_;
  TouchPath path_{settings_, journal_};
  SimulatedPointer pointer_{journal_};
  PointerOutput* desktop_ = nullptr;
  Finger finger_;
  ReplayInput replay_;
  ReportPace pace_;
  TouchSetup* setup_ = nullptr;
  std::unique_ptr<TouchInput> made_;  // what the setup made for the setting in force
  MonitorLayout layout_{0, -1, {}};
  std::string chosenWhy_;
  PanelFacts chosenFor_;  // the touchscreen the monitor was chosen for
  ScreenPlacement placement_;
  std::function<void(const MonitorInfo&)> chosen_;
  std::function<void(const std::string&)> panelTaken_;
  std::string panel_;  // the touchscreen last told of
  int rotation_ = 0;
  int calibratedAt_ = -1;
  // The finger first, the recording last, those added between them.
  std::vector<TouchInput*> inputs_{&finger_, &replay_};
};

}  // namespace qx
