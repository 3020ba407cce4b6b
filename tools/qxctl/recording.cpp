// Recordings: the file cut into counted lines, each handed to libevemu, and written back with it.
#include "tools/qxctl/recording.h"

#include <evemu.h>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace qx {

namespace {

// Larger than an hour of any panel's events: a bigger file is refused rather than read.
constexpr off_t kMaxFile = 256 << 20;

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

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

struct EvemuDeleter {
  void operator()(evemu_device* d) const { evemu_delete(d); }
};
using Device = std::unique_ptr<evemu_device, EvemuDeleter>;

// TEXT as a stream for libevemu (TEXT must outlive it).
File Stream(std::string_view text) { return File(::fmemopen(const_cast<char*>(text.data()), text.size(), "r")); }

bool ReadWhole(const std::string& path, std::string& text, std::string& why) {
  // Not blocking on a FIFO or a device put where a recording should be.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    why = path + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return false;
  }
  if (!S_ISREG(st.st_mode) || st.st_size > kMaxFile) {
    why = path + (S_ISREG(st.st_mode) ? ": larger than a recording can be" : ": not a regular file");
    ::close(fd);
    return false;
  }
  text.resize(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  for (ssize_t n; got < text.size() && (n = ::read(fd, text.data() + got, text.size() - got)) > 0;)
    got += static_cast<std::size_t>(n);
  ::close(fd);
  text.resize(got);
  return true;
}

struct Line {
  int number;
  std::string_view text;  // with its end of line, if it has one
};

std::vector<Line> Lines(std::string_view text) {
  std::vector<Line> lines;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    end = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back({static_cast<int>(lines.size()) + 1, text.substr(at, end - at)});
    at = end;
  }
  return lines;
}

bool IsComment(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t\r\n");
  return first == std::string_view::npos || line[first] == '#';
}

std::string Shown(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return std::string(line.substr(0, 80));
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

// The description: the text before the first event. WHY names the line libevemu stopped at.
bool ReadDescription(std::string_view head, Recording& recording, std::string& why) {
  const auto lines = Lines(head);
  if (std::all_of(lines.begin(), lines.end(), [](const Line& l) { return IsComment(l.text); })) {
    why = "line 1: no device description before the events (the N:, I:, P:, B: and A: lines evemu-record writes)";
    return false;
  }
  Device dev(evemu_new(nullptr));
  File in = Stream(head);
  if (evemu_read(dev.get(), in.get()) <= 0) {
    // libevemu has read the line it stopped at.
    const long at = std::max(std::ftell(in.get()), 1L);
    const long line = std::count(head.begin(), head.begin() + std::min<long>(at, long(head.size())), '\n');
    const std::size_t index = static_cast<std::size_t>(std::clamp<long>(line, 1, long(lines.size()))) - 1;
    why =
        "line " + std::to_string(lines[index].number) + ": not a device description line: " + Shown(lines[index].text);
    return false;
  }
  recording.name = evemu_get_name(dev.get());
  if (!AxesOf(dev.get(), recording.axes)) {
    why = "line " + std::to_string(lines.back().number) +
          ": the description has no absolute X and Y axes (A: 00 and A: 01)";
    return false;
  }
  return true;
}

// Whether LINE has the shape of an event line, "E: <sec>.<usec> <type> <code> <value>", with
// nothing after it but a comment. libevemu is handed only such lines: on a line it cannot parse it loses the buffer it
// read the line into, a leak for every bad line of a file.
bool LooksLikeEvent(std::string_view line) {
  const std::string text(line);
  long sec = 0, usec = 0;
  unsigned type = 0, code = 0;
  int value = 0, used = 0;
  if (std::sscanf(text.c_str(), "E: %ld.%ld %x %x %d%n", &sec, &usec, &type, &code, &value, &used) != 5) return false;
  // What follows is blank, or the comment evemu writes after an event ("# EV_ABS / ABS_X ...").
  const std::size_t rest = text.find_first_not_of(" \t\r\n", static_cast<std::size_t>(used));
  return rest == std::string::npos || text[rest] == '#';
}

bool ReadEvent(const Line& line, RecordedEvent& event, std::string& why) {
  input_event ev{};
  int rc = 0;
  if (LooksLikeEvent(line.text)) {
    File in = Stream(line.text);
    rc = evemu_read_event(in.get(), &ev);
  }
  if (rc <= 0) {
    why = "line " + std::to_string(line.number) + ": not an event line: " + Shown(line.text);
    return false;
  }
  event = {ev.input_event_sec * 1'000'000LL + ev.input_event_usec, ev.type, ev.code, ev.value};
  return true;
}

bool ReadEvents(const std::vector<Line>& lines, std::size_t from, Recording& recording, std::string& why) {
  int lastLine = 0;
  for (std::size_t i = from; i < lines.size(); ++i) {
    if (lines[i].text.back() != '\n') {
      why = "line " + std::to_string(lines[i].number) + ": cut short (the file ends inside it)";
      return false;
    }
    if (IsComment(lines[i].text)) continue;
    RecordedEvent event;
    if (!ReadEvent(lines[i], event, why)) return false;
    recording.events.push_back(event);
    lastLine = lines[i].number;
  }
  if (recording.events.empty()) {
    why = "line " + std::to_string(lines.size()) + ": no events after the description";
    return false;
  }
  const RecordedEvent& last = recording.events.back();
  if (last.type != EV_SYN || last.code != SYN_REPORT) {
    why =
        "line " + std::to_string(lastLine) + ": the recording ends in the middle of a report (no SYN_REPORT after it)";
    return false;
  }
  return true;
}

// The controller as a device: one touch, X and Y on the raw 0..1023.
const char kControllerDescription[] =
    "# EVEMU 1.3\n"
    "N: QX-COM touch-screen controller\n"
    "I: 0000 0000 0000 0000\n"
    "P: 02 00 00 00 00 00 00 00\n"
    "B: 00 0b 00 00 00 00 00 00 00\n"
    "B: 01 00 00 00 00 00 00 00 00\n"
    "B: 01 00 00 00 00 00 00 00 00\n"
    "B: 01 00 00 00 00 00 00 00 00\n"
    "B: 01 00 00 00 00 00 00 00 00\n"
    "B: 01 00 00 00 00 00 00 00 00\n"
    "B: 01 00 04 00 00 00 00 00 00\n"  // BTN_TOUCH
    "B: 03 03 00 00 00 00 00 00 00\n"  // ABS_X, ABS_Y
    "A: 00 0 1023 0 0 0\n"
    "A: 01 0 1023 0 0 0\n";

// Each report as the frame a single-touch device would give for it: the values that changed,
// then SYN_REPORT.
bool WriteEvents(FILE* out, const std::vector<ReportEntry>& reports) {
  bool ok = true;
  const ReportEntry* last = nullptr;
  const std::int64_t start = reports.empty() ? 0 : reports.front().Time;
  for (const ReportEntry& r : reports) {
    const std::int64_t t = std::max<std::int64_t>(r.Time - start, 0);
    const auto put = [&](int type, int code, int value) {
      input_event ev{};
      ev.input_event_sec = t / 1'000'000;
      ev.input_event_usec = t % 1'000'000;
      ev.type = static_cast<std::uint16_t>(type);
      ev.code = static_cast<std::uint16_t>(code);
      ev.value = value;
      ok = ok && evemu_write_event(out, &ev) > 0;
    };
    if (!last || r.X != last->X) put(EV_ABS, ABS_X, r.X);
    if (!last || r.Y != last->Y) put(EV_ABS, ABS_Y, r.Y);
    if (!last || r.Touching != last->Touching) put(EV_KEY, BTN_TOUCH, r.Touching);
    put(EV_SYN, SYN_REPORT, 0);
    last = &r;
  }
  return ok;
}

}  // namespace

bool WriteRecording(const std::string& path, const std::vector<ReportEntry>& reports, std::string& why) {
  Device dev(evemu_new(nullptr));
  File description = Stream(kControllerDescription);
  if (evemu_read(dev.get(), description.get()) <= 0) {
    why = "the controller's description cannot be made";
    return false;
  }
  // Written beside PATH and put in its place whole: a link at PATH is replaced, not followed.
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd >= 0) ::fchmod(fd, 0644);  // a recording to send with a bug report, not a secret
  File out(fd >= 0 ? ::fdopen(fd, "w") : nullptr);
  bool ok = out && evemu_write(dev.get(), out.get()) == 0 && WriteEvents(out.get(), reports) &&
            std::fflush(out.get()) == 0 && ::fsync(fd) == 0;
  if (!ok) why = "cannot write " + path + ": " + std::strerror(errno);
  out.reset();
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    why = "cannot write " + path + ": " + std::strerror(errno);
    ok = false;
  }
  if (!ok && fd >= 0) ::unlink(temp.c_str());
  return ok;
}

bool ReadRecording(const std::string& path, Recording& recording, std::string& why) {
  recording = Recording{};
  std::string text;
  if (!ReadWhole(path, text, why)) return false;  // WHY names the file
  const std::vector<Line> lines = Lines(text);
  const auto firstEvent =
      std::find_if(lines.begin(), lines.end(), [](const Line& l) { return l.text.substr(0, 2) == "E:"; });
  const std::size_t head = firstEvent == lines.end() ? text.size() : firstEvent->text.data() - text.data();
  QuietStderr quiet;
  bool ok = ReadDescription(std::string_view(text).substr(0, head), recording, why) &&
            ReadEvents(lines, static_cast<std::size_t>(firstEvent - lines.begin()), recording, why);
  if (!ok) why = path + ", " + why;
  return ok;
}

}  // namespace qx
