#include "tools/qxctl/service_requests.h"

#include <cstdio>
#include <cstdlib>

#include "host/last_error.h"
#include "host/machine_root.h"

namespace qx::ctl {

namespace {

const char kTitle[] = "qxctl";

}  // namespace

int Fail(const char* what, int code) {
  std::fprintf(stderr, "qxctl: %s\n", what);
  return code;
}

int NoAnswer() { return Fail("the device service did not answer", kNoAnswer); }

int Open() {
  if (OpenDriver()) return kOk;
  if (GetLastError() == ERROR_SEM_TIMEOUT) return NoAnswer();
  ReportDriverMissing(kTitle);
  const std::string root = MachineRoot();
  std::fprintf(stderr,
               "qxctl: no device service serves the machine root %s (looked for %s/run/%s)\n"
               "qxctl: qxwmecomd --root %s starts one (or qxmachine --root %s boot, the whole machine)\n",
               root.c_str(), root.c_str(), DRIVER_NAME, root.c_str(), root.c_str());
  return kNoService;
}

bool ParseInt(const std::string& text, long low, long high, long& out) {
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || v < low || v > high) return false;
  out = v;
  return true;
}

}  // namespace qx::ctl
