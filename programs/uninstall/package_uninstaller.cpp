#include "programs/uninstall/package_uninstaller.h"

#include <QCoreApplication>

#include "host/handles.h"
#include "host/process_handles.h"
#include "host/process_start.h"

namespace qx {

namespace {

constexpr int kWaitRounds = 10;
constexpr DWORD kRoundMilliseconds = 1000;

}  // namespace

PackageOutcome RunPackageUninstaller(const std::string& installPath) {
  const std::string command = installPath + "\\" + PACKAGE_UNINSTALLER + " /SILENT";
  DWORD processId = 0;
  StartProcess(command.c_str(), SW_SHOWNORMAL, &processId);  // a failed start leaves the id 0
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (!process) return PackageOutcome::Startup;

  PackageOutcome outcome = PackageOutcome::WaitTimeout;
  for (int round = 0; round < kWaitRounds; ++round) {
    // The program's windows go on answering (the window bus, repaints) while it waits.
    QCoreApplication::processEvents();
    const DWORD result = WaitForSingleObject(process, kRoundMilliseconds);
    if (result == WAIT_OBJECT_0) outcome = PackageOutcome::Ended;
    if (result == WAIT_FAILED) outcome = PackageOutcome::WaitFailed;
    if (result == WAIT_ABANDONED) outcome = PackageOutcome::WaitAbandoned;
    if (outcome != PackageOutcome::WaitTimeout) break;
  }
  CloseHandle(process);
  return outcome;
}

std::string PackageFailureText(PackageOutcome outcome) {
  const char* reason = "";
  switch (outcome) {
    case PackageOutcome::Ended: return "";
    case PackageOutcome::Startup: reason = "Startup"; break;
    case PackageOutcome::WaitFailed: reason = "WAIT_FAILED"; break;
    case PackageOutcome::WaitAbandoned: reason = "WAIT_ABANDONED"; break;
    case PackageOutcome::WaitTimeout: reason = "WAIT_TIMEOUT"; break;
  }
  return std::string("Fail to remove files! (") + reason + ")";
}

}  // namespace qx
