// Reading a recording: the stream cut into counted lines, the description handed to libevemu
// whole, each event line on its own as it comes; what is kept is the events.
#include <fcntl.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "tools/qxctl/evemu_files.h"
#include "tools/qxctl/recording.h"

namespace qx {

namespace {

using evemu::Device;
using evemu::File;

// Longer than any line evemu writes: a longer one is refused, not kept.
constexpr std::size_t kLongestLine = 4096;
// Far more than any device's description, comments included.
constexpr std::size_t kLongestDescription = 1 << 20;
// Event times are seconds since some start (the recording's, or the epoch's) that fit 32 bits.
constexpr long kLatestSecond = 0xFFFFFFFFL;

// libevemu says on stderr what it could not read; the message that names the line is ours, so
// its own is kept from the person while a recording is read.
class QuietStderr {
 public:
  QuietStderr() : saved_(::dup(2)) {
    std::fflush(stderr);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
      ::dup2(null, 2);
      ::close(null);
    }
  }
  ~QuietStderr() {
    std::fflush(stderr);
    if (saved_ >= 0) {
      ::dup2(saved_, 2);
      ::close(saved_);
    }
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_;
};

// The lines of a stream, counted, one at a time.
class Lines {
 public:
  explicit Lines(std::FILE* in) : in_(in) {}

  // The next line into text(), with its end of line (none where the stream ends inside it), at
  // most kLongestLine bytes of it (tooLong() when there were more); false at the end.
  bool Next() {
    text_.clear();
    tooLong_ = false;
    for (int c; (c = getc_unlocked(in_)) != EOF;) {
      if (text_.size() < kLongestLine) text_.push_back(static_cast<char>(c));
      else tooLong_ = true;
      if (c == '\n') break;
    }
    if (text_.empty()) return false;
    ++number_;
    return true;
  }
  const std::string& text() const { return text_; }
  int number() const { return number_; }
  bool tooLong() const { return tooLong_; }

 private:
  std::FILE* in_;
  std::string text_;
  int number_ = 0;
  bool tooLong_ = false;
};

bool Refuse(int line, const std::string& what, std::string& why) {
  why = "line " + std::to_string(line) + ": " + what;
  return false;
}

bool IsComment(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t\r\n");
  return first == std::string_view::npos || line[first] == '#';
}

std::string Shown(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return std::string(line.substr(0, 80));
}

// Line NUMBER (from 1) of TEXT.
std::string_view LineOf(std::string_view text, long number) {
  std::size_t at = 0;
  for (long i = 1; i < number && at < text.size(); ++i) at = std::min(text.find('\n', at), text.size() - 1) + 1;
  return text.substr(at, text.find('\n', at) - at);
}

AxisRange RangeOf(const evemu_device* dev, int code) {
  return {evemu_get_abs_minimum(dev, code), evemu_get_abs_maximum(dev, code)};
}

bool HasAxis(const evemu_device* dev, int code) {
  return evemu_has_event(dev, EV_ABS, code) && evemu_get_abs_maximum(dev, code) > evemu_get_abs_minimum(dev, code);
}

// The axes of the description; false when it has no absolute X and Y of either kind.
bool AxesOf(const evemu_device* dev, TouchAxes& axes) {
  const bool single = HasAxis(dev, ABS_X) && HasAxis(dev, ABS_Y);
  const bool contacts = HasAxis(dev, ABS_MT_POSITION_X) && HasAxis(dev, ABS_MT_POSITION_Y);
  if (!single && !contacts) return false;
  axes.X = single ? RangeOf(dev, ABS_X) : RangeOf(dev, ABS_MT_POSITION_X);
  axes.Y = single ? RangeOf(dev, ABS_Y) : RangeOf(dev, ABS_MT_POSITION_Y);
  axes.SlotX = contacts ? RangeOf(dev, ABS_MT_POSITION_X) : axes.X;
  axes.SlotY = contacts ? RangeOf(dev, ABS_MT_POSITION_Y) : axes.Y;
  const bool slots = evemu_has_event(dev, EV_ABS, ABS_MT_SLOT);
  axes.Slots = slots ? static_cast<std::uint16_t>(std::clamp(evemu_get_abs_maximum(dev, ABS_MT_SLOT) + 1, 0, 64)) : 0;
  return true;
}

// Whether LINE has the shape of a description line ("N: ", "I: ", "P: ", "B: ", "A: ", and the
// "L: " and "S: " of LEDs and switches), without a NUL. libevemu is handed only such lines and
// comments: it loses a buffer on some others.
bool LooksLikeDescription(std::string_view line) {
  return line.size() > 3 && std::string_view("NIPBALS").find(line[0]) != std::string_view::npos &&
         line.substr(1, 2) == ": " && line.find('\0') == std::string_view::npos;
}

bool AllComments(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    if (!IsComment(text.substr(at, end - at))) return false;
    at = end + 1;
  }
  return true;
}

// The description: HEAD, the LINES lines before the first event. WHY names the line libevemu
// stopped at.
bool ReadDescription(const std::string& head, int lines, Recording& recording, std::string& why) {
  if (AllComments(head))
    return Refuse(1, "no device description before the events (the N:, I:, P:, B: and A: lines evemu-record writes)",
                  why);
  // Only whole lines go to libevemu, which loses a buffer on some lines the file ends inside.
  if (head.back() != '\n') return Refuse(lines, "cut short (the file ends inside it)", why);
  Device dev(evemu_new(nullptr));
  File in = evemu::Stream(head);
  if (evemu_read(dev.get(), in.get()) <= 0) {
    // libevemu has read the line it stopped at.
    const long at = std::clamp(std::ftell(in.get()), 1L, static_cast<long>(head.size()));
    const long line = std::clamp<long>(std::count(head.begin(), head.begin() + at, '\n'), 1, lines);
    return Refuse(static_cast<int>(line), "not a device description line: " + Shown(LineOf(head, line)), why);
  }
  recording.name = evemu_get_name(dev.get());
  if (!AxesOf(dev.get(), recording.axes))
    return Refuse(lines, "the description has no absolute X and Y axes (A: 00 and A: 01)", why);
  return true;
}

// Whether TEXT is 1 to MOST digits (hex digits when HEX).
bool Digits(std::string_view text, std::size_t most, bool hex) {
  return !text.empty() && text.size() <= most && std::all_of(text.begin(), text.end(), [hex](char c) {
    return hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c));
  });
}

// Whether LINE has the shape of an event line, "E: <sec>.<usec> <type> <code> <value>" (usec in at
// most 6 digits, type and code in at most 4 hex digits, as evemu writes them), with nothing after
// it but a comment. libevemu is handed only such lines: on a line it cannot parse it loses the
// buffer it read the line into, a leak for every bad line of a file.
bool LooksLikeEvent(std::string_view line) {
  if (!line.starts_with("E: ")) return false;
  line = line.substr(0, line.find('#'));
  constexpr char kBlank[] = " \t\r\n";
  std::string_view words[6];
  std::size_t count = 0;
  for (std::size_t at = line.find_first_not_of(kBlank); at != std::string_view::npos && count < 6;
       at = line.find_first_not_of(kBlank, at)) {
    const std::size_t end = std::min(line.find_first_of(kBlank, at), line.size());
    words[count++] = line.substr(at, end - at);
    at = end;
  }
  if (count != 5) return false;
  const std::string_view time = words[1], value = words[4];
  const std::size_t dot = time.find('.');
  return dot != std::string_view::npos && Digits(time.substr(0, dot), 18, false) &&
         Digits(time.substr(dot + 1), 6, false) && Digits(words[2], 4, true) && Digits(words[3], 4, true) &&
         Digits(value.substr(value.starts_with('-') ? 1 : 0), 10, false);
}

// The event of LINE, number NUMBER, whose time must lie within kLongestRecordingSeconds of FIRST
// (the first event's, when there is one).
bool ReadEvent(const std::string& line, int number, const RecordedEvent* first, RecordedEvent& event,
               std::string& why) {
  input_event ev{};
  File in = LooksLikeEvent(line) ? evemu::Stream(line) : File();
  if (!in || evemu_read_event(in.get(), &ev) <= 0) return Refuse(number, "not an event line: " + Shown(line), why);
  const long sec = ev.input_event_sec;
  if (sec < 0 || sec > kLatestSecond)
    return Refuse(number, "the event's time is out of range (0 to " + std::to_string(kLatestSecond) + " s)", why);
  event = {sec * 1'000'000LL + ev.input_event_usec, ev.type, ev.code, ev.value};
  if (first && std::abs(event.time - first->time) > kLongestRecordingSeconds * 1'000'000)
    return Refuse(number,
                  "the event lies " + std::to_string((event.time - first->time) / 1'000'000) +
                      " s from the first: a recording spans at most " + std::to_string(kLongestRecordingSeconds) + " s",
                  why);
  return true;
}

// The events from the line LINES stands at (when AT_EVENT) to the end.
bool ReadEvents(Lines& lines, bool atEvent, Recording& recording, std::string& why) {
  int lastLine = 0;
  for (bool more = atEvent; more; more = lines.Next()) {
    const std::string& line = lines.text();
    if (lines.tooLong()) return Refuse(lines.number(), "longer than any line of a recording", why);
    // Many recordings end without an end of line: a last line that is whole is taken.
    if (line.back() != '\n' && !IsComment(line) && !LooksLikeEvent(line))
      return Refuse(lines.number(), "cut short (the file ends inside it)", why);
    if (IsComment(line)) continue;
    RecordedEvent event;
    const RecordedEvent* first = recording.events.empty() ? nullptr : &recording.events.front();
    if (!ReadEvent(line, lines.number(), first, event, why)) return false;
    recording.events.push_back(event);
    lastLine = lines.number();
  }
  if (recording.events.empty()) return Refuse(lines.number(), "no events after the description", why);
  const RecordedEvent& last = recording.events.back();
  if (last.type != EV_SYN || last.code != SYN_REPORT)
    return Refuse(lastLine, "the recording ends in the middle of a report (no SYN_REPORT after it)", why);
  return true;
}

// The file at PATH for reading: a regular file (not blocking on a FIFO or a device put where a
// recording should be) of at most kMaxRecordingBytes.
File OpenRecording(const std::string& path, std::string& why) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    why = path + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return nullptr;
  }
  if (!S_ISREG(st.st_mode) || st.st_size > kMaxRecordingBytes) {
    why = path + (S_ISREG(st.st_mode)
                      ? ": larger than a recording can be (" + std::to_string(kMaxRecordingBytes >> 20) + " MiB)"
                      : std::string(": not a regular file"));
    ::close(fd);
    return nullptr;
  }
  return File(::fdopen(fd, "r"));
}

}  // namespace

bool ReadRecordingFrom(std::FILE* in, Recording& recording, std::string& why) {
  recording = Recording{};
  Lines lines(in);
  std::string head;
  bool atEvent = false;
  while (!atEvent && lines.Next()) {
    if (lines.tooLong()) return Refuse(lines.number(), "longer than any line of a recording", why);
    atEvent = lines.text().starts_with("E:");
    if (!atEvent && !IsComment(lines.text()) && !LooksLikeDescription(lines.text()))
      return Refuse(lines.number(), "not a device description line: " + Shown(lines.text()), why);
    if (!atEvent) head += lines.text();
    if (head.size() > kLongestDescription)
      return Refuse(lines.number(), "no events in the first MiB: longer than any device's description", why);
  }
  return ReadDescription(head, lines.number() - (atEvent ? 1 : 0), recording, why) &&
         ReadEvents(lines, atEvent, recording, why);
}

bool ReadRecording(const std::string& path, Recording& recording, std::string& why) {
  File in = OpenRecording(path, why);
  if (!in) {
    recording = Recording{};
    return false;  // WHY names the file
  }
  bool ok = false;
  {
    // Here rather than in ReadRecordingFrom, the fuzz target's entry: its reports must be seen.
    QuietStderr quiet;
    ok = ReadRecordingFrom(in.get(), recording, why);
  }
  if (!ok) why = path + ", " + why;
  return ok;
}

}  // namespace qx
