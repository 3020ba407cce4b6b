// Recordings of a touchscreen in the evemu text format (what evemu-record writes: the device's
// description in N:, I:, P:, B: and A: lines, then one E: line per event, # comments), as
// `qxctl replay` plays them and `qxctl record` writes them. libevemu reads and writes every line;
// the lines are counted here, so that a message names the line at fault. A recording is read and
// checked whole before any of it is played; it is read as a stream, and costs what its events
// hold, whatever else the file holds.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/driver_records.h"

namespace qx {

// The largest recording: replay reads no larger file, and record writes none. More than an hour
// of any panel's events.
inline constexpr std::int64_t kMaxRecordingBytes = std::int64_t{256} << 20;
// How far an event's time may lie from the first event's: at the slowest replay speed
// (kSlowestSpeed) still a wait the clocks can count.
inline constexpr std::int64_t kLongestRecordingSeconds = 7 * 24 * 3600;
inline constexpr double kSlowestSpeed = 0.001;
inline constexpr double kFastestSpeed = 1e6;

struct RecordedEvent {
  std::int64_t time = 0;  // microseconds, as the recording has them
  std::uint16_t type = 0;
  std::uint16_t code = 0;
  std::int32_t value = 0;
};

struct Recording {
  std::string name;  // the device's
  TouchAxes axes{};
  std::vector<RecordedEvent> events;  // ending with a SYN_REPORT
};

// Reads the recording at PATH. False with WHY ("PATH, line 12: …") when it is no regular file or
// larger than kMaxRecordingBytes, has no description with absolute X and Y, holds a line longer
// than 4096 bytes, a line before the events that is neither a comment nor of the shape of a
// description line, a line that is neither a comment nor an event after the description, a bad E:
// line, an event time before 0, past 2^32 s or more than kLongestRecordingSeconds from the first
// event's, ends inside a line (cut short: a last line without its end of line is taken when it is a
// whole event or a comment), or ends in the middle of a report (events after the last SYN_REPORT).
bool ReadRecording(const std::string& path, Recording& recording, std::string& why);

// The same from the stream IN, from where it stands to its end; WHY without a file's name.
bool ReadRecordingFrom(std::FILE* in, Recording& recording, std::string& why);

// The device a recording of the controller's reports describes: one touch, X and Y on the
// controller's raw 0..1023.
inline constexpr char kControllerName[] = "QX-COM touch-screen controller";

// A recording of the controller's reports written as they come (qxctl record): the device
// kControllerName, then each report as a frame of the values that changed (ABS_X, ABS_Y,
// BTN_TOUCH) and a SYN_REPORT, timed from the first report. It is written into a new file beside
// its destination, made 0600 whatever the umask (touches can give away what was typed on the
// screen), and put in the destination's place whole at the end.
class RecordingWriter {
 public:
  // LIMIT: the most bytes the recording may take.
  explicit RecordingWriter(std::int64_t limit = kMaxRecordingBytes) : limit_(limit) {}
  ~RecordingWriter();  // a recording not finished leaves no file behind
  RecordingWriter(const RecordingWriter&) = delete;
  RecordingWriter& operator=(const RecordingWriter&) = delete;

  // Begins the recording for PATH. False with WHY when PATH is there and is no regular file (a
  // link, a device, a FIFO, a socket or a folder: never replaced) or no file can be written
  // beside it: said before anything is recorded.
  bool Begin(const std::string& path, std::string& why);
  // Adds REPORT. False, REPORT left out, when the recording would pass the limit (full()) or
  // cannot be written (Finish says why).
  bool Add(const ReportEntry& report);
  bool full() const { return full_; }
  // Whether no more is added: full, or a write failed.
  bool stopped() const { return full_ || error_ != 0; }
  std::size_t reports() const { return reports_; }
  // Puts the recording in PATH's place; false with WHY when it could not be written, or PATH
  // has meanwhile become something that is no regular file.
  bool Finish(std::string& why);

 private:
  std::int64_t limit_;
  std::string path_;
  std::string temp_;  // the file being written, until it takes PATH's place
  std::FILE* out_ = nullptr;
  int error_ = 0;  // the first write's errno that failed
  std::int64_t written_ = 0;
  std::size_t reports_ = 0;
  ReportEntry first_{};
  ReportEntry last_{};
  bool full_ = false;
};

}  // namespace qx
