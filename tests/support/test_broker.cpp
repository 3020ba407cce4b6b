#include "tests/support/test_broker.h"

#include <signal.h>
#include <sys/stat.h>

#include <cstdio>

#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/wait.h"

namespace qx::test {

TestBroker::TestBroker(DeviceBed& bed, const std::string& folder, uid_t active)
    : folder_(folder), socket_(folder + "/broker") {
  ::chmod(folder.c_str(), 0755);
  SetActive(std::to_string(active));
  bed.Preloaded([&] {
    pid_ = Spawn({Program("qx-com-broker"), "--socket", socket_, "--seat-file", folder_ + "/seat"},
                 folder_ + "/broker.log");
  });
  struct stat st {};
  WaitUntil([&] { return ::stat(socket_.c_str(), &st) == 0; }, 10000);
}

TestBroker::~TestBroker() {
  if (pid_ > 0) KillAndWait(pid_, SIGTERM);
}

// Written beside the file and renamed over it, as a seat's change lands at once.
void TestBroker::SetActive(const std::string& uid) {
  WriteFile(folder_ + "/seat.new", uid);
  std::rename((folder_ + "/seat.new").c_str(), (folder_ + "/seat").c_str());
}

std::string TestBroker::Log() const { return ReadFile(folder_ + "/broker.log"); }

}  // namespace qx::test
