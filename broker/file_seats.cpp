// The seats a file says, for tests where no logind runs (--seat-file FILE): FILE holds the uid of
// the user whose session is active on every seat, or nothing (no active session). Its folder is
// watched, so that a file written anew or renamed over it counts as a change.
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "broker/seats.h"
#include "host/unique_fd.h"

namespace qx {

namespace {

// The uid FILE holds; none when it is missing, empty, or holds anything else (said on stderr).
std::optional<uid_t> ReadActiveUid(const std::string& file) {
  UniqueFd fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  char text[32] = {};
  const ssize_t got = ::read(fd.get(), text, sizeof text - 1);
  if (got <= 0) return std::nullopt;
  char* end = nullptr;
  const unsigned long uid = std::strtoul(text, &end, 10);
  if (end == text || (*end && std::strcmp(end, "\n") != 0) || uid > 0xfffffffeul) {
    std::fprintf(stderr, "qx-com-broker: %s holds no uid: no active session\n", file.c_str());
    return std::nullopt;
  }
  return static_cast<uid_t>(uid);
}

class FileSeatsImpl : public Seats {
 public:
  FileSeatsImpl(std::string file, UniqueFd watch) : file_(std::move(file)), watch_(std::move(watch)) { Flush(); }

  int Descriptor() const override { return watch_.get(); }
  void Flush() override {
    char events[4096];
    while (::read(watch_.get(), events, sizeof events) > 0) {
    }
    active_ = ReadActiveUid(file_);
  }
  std::string Refusal(uid_t uid, const std::string& seat) const override {
    return active_ == uid ? "" : NotAtSeat(uid, seat);
  }

 private:
  std::string file_;
  UniqueFd watch_;
  std::optional<uid_t> active_;
};

}  // namespace

std::unique_ptr<Seats> FileSeats(const std::string& file, std::string& why) {
  const std::size_t slash = file.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
  UniqueFd watch(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  const unsigned mask = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE;
  if (!watch || ::inotify_add_watch(watch.get(), folder.c_str(), mask) < 0) {
    why = "cannot watch " + folder + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<FileSeatsImpl>(file, std::move(watch));
}

}  // namespace qx
