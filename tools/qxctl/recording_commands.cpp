// qxctl replay and qxctl record: recordings in the evemu format played through the device service
// as the controller's reports, and the controller's reports written as one.
#include <limits.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "host/last_error.h"
#include "tools/qxctl/commands.h"
#include "tools/qxctl/recording.h"
#include "tools/qxctl/service_requests.h"

namespace qx::ctl {

namespace {

using Clock = std::chrono::steady_clock;

// Ctrl-C, SIGTERM or a closed terminal (SIGHUP) ends a replay or a recording at its next step,
// which finishes it properly: the replay's touch lifts, the recording is written.
volatile sig_atomic_t interrupted = 0;

void OnInterrupt(int) { interrupted = 1; }

void CatchInterrupt() {
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &sa, nullptr);
}

// Sleeps until DUE, or until interrupted.
void WaitUntil(Clock::time_point due) {
  while (!interrupted && Clock::now() < due)
    std::this_thread::sleep_for(std::min<Clock::duration>(due - Clock::now(), std::chrono::milliseconds(50)));
}

// The recording's file as the service names the input: its full path, cut at the front when long.
void NameFile(const std::string& file, char (&to)[sizeof(SimReplay::File)]) {
  char full[PATH_MAX];
  std::string name = ::realpath(file.c_str(), full) ? full : file;
  if (name.size() >= sizeof to) name = "..." + name.substr(name.size() - (sizeof to - 4));
  std::snprintf(to, sizeof to, "%s", name.c_str());
}

bool Send(SimReplay& part) {
  DWORD returned = 0;
  TouchSample sample{};
  const bool ok =
      DeviceIoControl(DriverHandle, IOCTL_SIM_REPLAY, &part, sizeof part, &sample, sizeof sample, &returned, nullptr);
  part.Flags = 0;
  part.Count = 0;
  return ok;
}

// Plays RECORDING's events through the service: each at its time from the first divided by
// SPEED, or all at once when FAST; those due together go in one request.
bool Play(const Recording& recording, const std::string& file, double speed, bool fast) {
  auto part = std::make_unique<SimReplay>();
  part->Flags = REPLAY_FIRST;
  part->Axes = recording.axes;
  NameFile(file, part->File);
  const std::vector<RecordedEvent>& events = recording.events;
  Clock::time_point start = Clock::now();
  const auto due = [&](std::size_t i) {
    const double us = double(events[i].time - events.front().time) / speed;
    return start + std::chrono::microseconds(static_cast<std::int64_t>(std::max(us, 0.0)));
  };
  std::size_t i = 0;
  while (i < events.size() && !interrupted) {
    if (!fast) WaitUntil(due(i));
    do {
      const RecordedEvent& e = events[i++];
      part->Events[part->Count++] = {e.type, e.code, e.value};
    } while (i < events.size() && part->Count < kReplayEvents && (fast || due(i) <= Clock::now()));
    if (i == events.size()) part->Flags |= REPLAY_LAST;
    const bool first = (part->Flags & REPLAY_FIRST) != 0;
    if (!Send(*part)) return false;
    // The pace counts from when the first events took effect: the service setting the replay up
    // must not shorten the intervals that follow.
    if (first) start = Clock::now();
  }
  if (i == events.size()) return true;
  // Interrupted: the input before it is in force again, and a finger still down lifts.
  part->Flags = REPLAY_LAST;
  return Send(*part);
}

// Speeds whose waits the clocks can count over the longest recording.
bool ParseSpeed(const std::string& text, double& speed) {
  char* end = nullptr;
  speed = std::strtod(text.c_str(), &end);
  return !text.empty() && !*end && speed >= kSlowestSpeed && speed <= kFastestSpeed;
}

// Adds the reports the journal took after NEXT to WRITER, until it has no more or the recording
// is full; counts the journal's entries let go of before they were read into LOST.
bool TakeReports(std::uint32_t& next, RecordingWriter& writer, std::uint64_t& lost) {
  auto batch = std::make_unique<SimReports>();
  do {
    *batch = SimReports{};
    batch->After = next;
    if (!Request(IOCTL_SIM_READ_REPORTS, *batch)) return false;
    const std::size_t count = std::min<std::size_t>(batch->Count, kReportsRead);
    for (std::size_t i = 0; i < count; ++i)
      if (!writer.Add(batch->Reports[i])) break;
    lost += batch->Lost;
    next = batch->Next;
  } while (batch->Count == kReportsRead && !writer.stopped());
  return true;
}

// Follows the reports into WRITER until END, an interruption, or the recording stops (full, or
// not written).
bool FollowReports(RecordingWriter& writer, Clock::time_point end) {
  auto now = std::make_unique<SimReports>();
  now->After = REPORTS_FROM_NOW;
  if (!Request(IOCTL_SIM_READ_REPORTS, *now)) return false;
  std::uint32_t next = now->Next;
  std::uint64_t lost = 0;
  bool ok = true;
  while (ok && !interrupted && !writer.stopped() && Clock::now() < end) {
    WaitUntil(std::min(end, Clock::now() + std::chrono::milliseconds(50)));
    ok = TakeReports(next, writer, lost);
  }
  if (lost)
    std::fprintf(stderr, "qxctl: the journal let go of %llu entries before they were read: reports are missing\n",
                 static_cast<unsigned long long>(lost));
  if (writer.full())
    std::fprintf(stderr, "qxctl: the recording reached %lld MiB, the most replay reads: stopped there\n",
                 static_cast<long long>(kMaxRecordingBytes >> 20));
  return ok;
}

}  // namespace

int Replay(const Args& args) {
  if (args.empty()) return kUsage;
  double speed = 1;
  bool fast = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--fast") fast = true;
    else if (args[i] == "--speed" && i + 1 < args.size() && ParseSpeed(args[i + 1], speed)) ++i;
    else if (args[i] == "--speed")
      return Fail("--speed N: N from 0.001 to 1000000 (times the recording's pace)", kUsage);
    else return kUsage;
  }
  Recording recording;
  std::string why;
  if (!ReadRecording(args[0], recording, why)) return Fail(why.c_str(), kBadRecording);
  if (int rc = Open()) return rc;
  CatchInterrupt();
  const bool ok = Play(recording, args[0], speed, fast);
  // A part the service answered and refused: another client's recording plays.
  const bool refused = !ok && GetLastError() != ERROR_SEM_TIMEOUT;
  CloseDriver();
  if (refused) return Fail("another recording is being replayed: it must end first");
  return ok ? kOk : NoAnswer();
}

int Record(const Args& args) {
  long seconds = 0;
  if (args.empty() ||
      !(args.size() == 1 || (args.size() == 3 && args[1] == "--seconds" && ParseInt(args[2], 1, 24 * 3600, seconds))))
    return kUsage;
  // Where the recording goes is checked before anything is recorded.
  RecordingWriter writer;
  std::string why;
  if (!writer.Begin(args[0], why)) return Fail(why.c_str());
  if (int rc = Open()) return rc;
  CatchInterrupt();
  std::fprintf(stderr, "qxctl: recording the controller's reports in %s (%s)\n", args[0].c_str(),
               seconds ? (std::to_string(seconds) + " s").c_str() : "Ctrl-C ends it");
  const bool ok =
      FollowReports(writer, seconds ? Clock::now() + std::chrono::seconds(seconds) : Clock::time_point::max());
  CloseDriver();
  if (!ok) return NoAnswer();
  if (!writer.Finish(why)) return Fail(why.c_str());
  std::printf("%zu reports recorded in %s\n", writer.reports(), args[0].c_str());
  return kOk;
}

}  // namespace qx::ctl
