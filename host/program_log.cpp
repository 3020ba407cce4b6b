#include "host/program_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <syslog.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <cstdlib>

#include "host/machine_root.h"
#include "host/root_folder.h"

namespace qx {

namespace {

constexpr char kLogFolder[] = "log";
// A file log is set aside as NAME.log.old once it grows past this, so that it never fills the disk.
constexpr off_t kLargestLog = 1 << 20;

std::string TestLog() {
  const char* log = std::getenv("QX_PROCESS_LOG");
  return log && *log ? log : "";
}

// Whether the journal takes streams here: its socket is there (a container or a machine without
// systemd has none).
bool JournalThere() {
  struct stat st {};
  return ::stat("/run/systemd/journal/stdout", &st) == 0 && S_ISSOCK(st.st_mode);
}

std::string FileName(const std::string& program) { return LogIdentifier(program) + ".log"; }

}  // namespace

std::string LogIdentifier(const std::string& program) {
  std::string name = program.substr(program.rfind('/') + 1);
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0) name.resize(name.size() - 4);
  return name;
}

UniqueFd OpenProgramLog(const std::string& program) {
  if (const std::string log = TestLog(); !log.empty())
    return UniqueFd(::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
  if (JournalThere()) {
    const int fd = sd_journal_stream_fd(LogIdentifier(program).c_str(), LOG_INFO, 0);
    if (fd >= 0) {
      ::fcntl(fd, F_SETFD, FD_CLOEXEC);
      return UniqueFd(fd);
    }
  }
  // Reached from the root without a link, made the owner's alone.
  const UniqueFd folder = OpenRootFolder(kLogFolder);
  if (!folder) return UniqueFd(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  const std::string name = FileName(program);
  struct stat st {};
  if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_size > kLargestLog)
    ::renameat(folder.get(), name.c_str(), folder.get(), (name + ".old").c_str());
  UniqueFd file(
      ::openat(folder.get(), name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
  // A FIFO or a device put in the log's place is not written to.
  if (file && (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))) file.reset();
  if (file) ::fcntl(file.get(), F_SETFL, O_WRONLY | O_APPEND);
  return file ? std::move(file) : UniqueFd(::open("/dev/null", O_WRONLY | O_CLOEXEC));
}

std::string ProgramLogPlace(const std::string& program) {
  if (const std::string log = TestLog(); !log.empty()) return log;
  if (JournalThere()) return "journalctl --user -t " + LogIdentifier(program);
  return MachineRoot() + "/" + kLogFolder + "/" + FileName(program);
}

}  // namespace qx
