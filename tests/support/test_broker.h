// The device broker (qx-com-broker) under test, running under a DeviceBed: it listens in a folder
// of the test's, and takes the seats from a file there (its --seat-file: no logind runs here).
#pragma once

#include <sys/types.h>

#include <string>

#include "tests/support/device_bed.h"

namespace qx::test {

class TestBroker {
 public:
  // Started in FOLDER (which others may reach: the socket is for every user) with ACTIVE the
  // user of every seat's active session, as its socket unit starts it.
  TestBroker(DeviceBed& bed, const std::string& folder, uid_t active);
  ~TestBroker();
  TestBroker(const TestBroker&) = delete;
  TestBroker& operator=(const TestBroker&) = delete;

  const std::string& socket() const { return socket_; }
  pid_t pid() const { return pid_; }
  // The seats change: UID's session is the active one now ("" for nobody's).
  void SetActive(const std::string& uid);
  std::string Log() const;

 private:
  std::string folder_;
  std::string socket_;
  pid_t pid_ = -1;
};

}  // namespace qx::test
