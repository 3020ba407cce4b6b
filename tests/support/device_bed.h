// A umockdev test bed in the test's own process for programs that open /dev/uinput and input
// event nodes: the test answers their ioctls and takes their writes as the kernel would, and
// records them. Programs started inside Preloaded() run under it (the test bed's UMOCKDEV_DIR is
// the whole process's while it lives).
#pragma once

#include <linux/input.h>

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;

namespace qx::test {

// What was made of /dev/uinput: the device set up, every event written to it, its end.
struct UinputRecord {
  std::mutex mutex;
  std::string name;
  std::set<std::pair<unsigned, unsigned>> codes;  // EV_KEY and EV_ABS codes enabled
  std::map<unsigned, std::pair<int, int>> axes;   // ABS code: minimum, maximum
  bool created = false;
  bool destroyed = false;
  std::vector<input_event> events;
};

// An input event node's answers: its version, and its revocation (EVIOCREVOKE), which hangs the
// node up, so that every reader's reads end as a revoked descriptor's do.
struct InputNodeRecord {
  std::mutex mutex;
  int master = -1;  // the test bed's end of the node, where its events are written
  int revocations = 0;
};

class DeviceBed {
 public:
  DeviceBed();  // with /dev/uinput
  ~DeviceBed();
  DeviceBed(const DeviceBed&) = delete;
  DeviceBed& operator=(const DeviceBed&) = delete;

  // An input device at /dev/input/eventN, its input device inputN, with udev PROPERTIES (lines
  // NAME=value).
  void AddInputNode(int n, const std::string& properties);
  // Writes EVENT into /dev/input/eventN, for whoever reads it.
  void Feed(int n, const input_event& event);
  int Revocations(int n);

  UinputRecord& uinput() { return uinput_; }
  // The events written to /dev/uinput since the last call, as "type code value" words (a
  // SYN_REPORT as "syn"), 100 ms after the call.
  std::vector<std::string> TakeEvents();

  // Runs START with umockdev's preload in the environment, so that what it starts runs here.
  void Preloaded(const std::function<void()>& start);

 private:
  UMockdevTestbed* testbed_;
  std::vector<UMockdevIoctlBase*> handlers_;
  UinputRecord uinput_;
  std::map<int, InputNodeRecord> nodes_;
};

}  // namespace qx::test
