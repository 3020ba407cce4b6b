// The package uninstaller "unins000.exe" of the installation folder, run silently and waited for.
#pragma once

#include <string>

namespace qx {

inline constexpr char PACKAGE_UNINSTALLER[] = "unins000.exe";

// How the run of the package uninstaller ended.
enum class PackageOutcome {
  Ended,          // the process ended within the ten rounds
  Startup,        // it could not be started, or its process not opened
  WaitFailed,     // a wait failed (WAIT_FAILED)
  WaitAbandoned,  // a wait came back abandoned (WAIT_ABANDONED)
  WaitTimeout,    // it still ran after the tenth round
};

// Starts INSTALL_PATH + "\unins000.exe /SILENT" in a normal window and waits for it, at most ten
// rounds: each lets pending window messages run, then waits up to one second on the process.
PackageOutcome RunPackageUninstaller(const std::string& installPath);

// The warning for an outcome other than Ended: "Fail to remove files! (WAIT_TIMEOUT)" and the like.
std::string PackageFailureText(PackageOutcome outcome);

}  // namespace qx
