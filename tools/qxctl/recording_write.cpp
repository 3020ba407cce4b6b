// Writing a recording of the controller's reports with libevemu, a frame at a time, into a new
// file that takes its destination's place at the end.
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "tools/qxctl/evemu_files.h"
#include "tools/qxctl/recording.h"

namespace qx {

namespace {

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

// Whether a recording may take PATH's place: nothing is there, or a regular file. A device, a
// FIFO, a socket or a folder is never replaced, nor a link: replacing one would not write where
// it points (/dev/stdout), and following one could write where someone else pointed it.
bool Replaceable(const std::string& path, std::string& why) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return true;
  why = path +
        " is not a regular file (a link, a device, a FIFO, a socket or a folder): a recording is written to a file";
  return false;
}

// REPORT's frame after LAST's (none for the first), timed T microseconds from the first report,
// into TEXT; its length, or 0 when it could not be made.
std::size_t Frame(const ReportEntry& report, const ReportEntry* last, std::int64_t t, char (&text)[1024]) {
  evemu::File out(::fmemopen(text, sizeof text, "w"));
  bool ok = out != nullptr;
  const auto put = [&](int type, int code, int value) {
    input_event ev{};
    ev.input_event_sec = t / 1'000'000;
    ev.input_event_usec = t % 1'000'000;
    ev.type = static_cast<std::uint16_t>(type);
    ev.code = static_cast<std::uint16_t>(code);
    ev.value = value;
    ok = ok && evemu_write_event(out.get(), &ev) > 0;
  };
  if (!last || report.X != last->X) put(EV_ABS, ABS_X, report.X);
  if (!last || report.Y != last->Y) put(EV_ABS, ABS_Y, report.Y);
  if (!last || report.Touching != last->Touching) put(EV_KEY, BTN_TOUCH, report.Touching);
  put(EV_SYN, SYN_REPORT, 0);
  const long length = ok && std::fflush(out.get()) == 0 ? std::ftell(out.get()) : 0;
  return length > 0 && length < static_cast<long>(sizeof text) ? static_cast<std::size_t>(length) : 0;
}

}  // namespace

RecordingWriter::~RecordingWriter() {
  if (out_) std::fclose(out_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool RecordingWriter::Begin(const std::string& path, std::string& why) {
  if (!Replaceable(path, why)) return false;
  path_ = path;
  temp_ = path + ".XXXXXX";
  const int fd = ::mkstemp(temp_.data());  // 0600
  out_ = fd >= 0 ? ::fdopen(fd, "w") : nullptr;
  if (!out_) {
    why = "cannot write " + path + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);  // the file made goes with the writer
    else temp_.clear();
    return false;
  }
  evemu::Device dev(evemu_new(nullptr));
  evemu::File description = evemu::Stream(kControllerDescription);
  if (evemu_read(dev.get(), description.get()) <= 0 || evemu_write(dev.get(), out_) != 0) error_ = EIO;
  written_ = std::ftell(out_);
  return true;
}

bool RecordingWriter::Add(const ReportEntry& report) {
  if (!out_ || full_ || error_) return false;
  char text[1024];
  const std::size_t length = Frame(report, reports_ ? &last_ : nullptr,
                                   reports_ ? std::max<std::int64_t>(report.Time - first_.Time, 0) : 0, text);
  if (length == 0) error_ = EINVAL;
  else if (written_ + static_cast<std::int64_t>(length) > limit_) full_ = true;
  else if (std::fwrite(text, 1, length, out_) != length) error_ = errno ? errno : EIO;
  if (full_ || error_) return false;
  written_ += static_cast<std::int64_t>(length);
  if (reports_++ == 0) first_ = report;
  last_ = report;
  return true;
}

bool RecordingWriter::Finish(std::string& why) {
  why.clear();
  if (!out_) {
    why = "cannot write " + path_;
    return false;
  }
  if (!error_ && (std::fflush(out_) != 0 || ::fsync(::fileno(out_)) != 0)) error_ = errno;
  if (std::fclose(out_) != 0 && !error_) error_ = errno;
  out_ = nullptr;
  if (!error_ && Replaceable(path_, why) && ::rename(temp_.c_str(), path_.c_str()) != 0) error_ = errno;
  if (error_) why = "cannot write " + path_ + ": " + std::strerror(error_);
  if (!why.empty()) return false;
  temp_.clear();  // in PATH's place now
  return true;
}

}  // namespace qx
