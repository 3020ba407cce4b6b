#include "device/state_saver.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

namespace qx {

StateSaver::StateSaver(const StateFile& file)
    : file_(file), writtenFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), thread_(&StateSaver::Run, this) {}

StateSaver::~StateSaver() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
  }
  work_.notify_one();
  thread_.join();
  if (writtenFd_ >= 0) ::close(writtenFd_);
}

StateSaver::Generation StateSaver::Submit(const StoredState& state) {
  Generation generation;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_ = state;
    generation = ++latest_;
  }
  work_.notify_one();
  return generation;
}

StateSaver::Generation StateSaver::latest() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return latest_;
}

std::optional<bool> StateSaver::Kept(Generation generation) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (tried_ < generation) return std::nullopt;
  return kept_ >= generation;
}

void StateSaver::Run() {
  StoredState state;
  Generation generation;
  while (NextCopy(state, generation)) {
    const bool saved = file_.Save(state);
    if (!saved) std::fprintf(stderr, "qxwmecomd: the settings could not be written to %s\n", file_.path().c_str());
    Done(generation, saved);
  }
}

bool StateSaver::NextCopy(StoredState& state, Generation& generation) {
  std::unique_lock<std::mutex> lock(mutex_);
  work_.wait(lock, [&] { return waiting_ || ending_; });
  if (!waiting_) return false;  // ending, with everything written
  state = *waiting_;
  waiting_.reset();
  generation = latest_;
  return true;
}

void StateSaver::Done(Generation generation, bool saved) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tried_ = generation;
    if (saved) kept_ = generation;
  }
  const std::uint64_t one = 1;
  ssize_t ignored = ::write(writtenFd_, &one, sizeof one);
  (void)ignored;
}

}  // namespace qx
