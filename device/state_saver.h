// The kept settings written to their state file away from the service's turn. Writing the file
// (a new file, flushed, renamed over the old one, the folder flushed) takes milliseconds, at worst
// a good part of a second on a busy disk, while a turn takes microseconds: a Set request hands the
// saver a copy of the state and is answered, and the reply goes out once that copy is on disk, so
// that "answered" still means "kept" while touch reports and other clients go on.
//
// Each copy gets the next generation number. The saver writes only the newest copy it has: a copy
// holds every change before it, so a generation is kept once it or any later one is on disk. The
// service's loop never waits for a write: the saver signals a descriptor after each one, and the
// loop then asks which generations are kept.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "device/state_file.h"

namespace qx {

class StateSaver {
 public:
  using Generation = std::uint64_t;

  // Writes to FILE, which outlives the saver, from a thread of its own.
  explicit StateSaver(const StateFile& file);
  // Writes the newest copy still waiting, then ends the thread.
  ~StateSaver();
  StateSaver(const StateSaver&) = delete;
  StateSaver& operator=(const StateSaver&) = delete;

  // A copy of STATE to be written; its generation.
  Generation Submit(const StoredState& state);
  // The generation handed in last (0: none yet): what a reply that reads the state now waits for.
  Generation latest() const;
  // Whether GENERATION is on disk (it, or a later one that holds it), once it has been written or
  // failed to be; nothing while it waits. Generation 0 is on disk at once.
  std::optional<bool> Kept(Generation generation) const;
  // Readable once a write has ended since it was last read (an eventfd: one read takes them all).
  int WrittenDescriptor() const { return writtenFd_; }

 private:
  void Run();
  // Waits for a copy to write, or for the end; the copy and its generation.
  bool NextCopy(StoredState& state, Generation& generation);
  void Done(Generation generation, bool saved);

  const StateFile& file_;
  mutable std::mutex mutex_;
  std::condition_variable work_;  // a copy came, or the end
  int writtenFd_ = -1;
  std::optional<StoredState> waiting_;
  Generation latest_ = 0;  // handed in last
  Generation tried_ = 0;   // written or failed, up to this one
  Generation kept_ = 0;    // on disk, up to this one
  bool ending_ = false;
  std::thread thread_;
};

}  // namespace qx
