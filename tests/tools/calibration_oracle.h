// A second, independent calibration computation for the acceptance check: written afresh from
// the formulas in wide integers with explicit 16-bit range checks, sharing no code with core/.
#pragma once

#include <array>
#include <string>
#include <utility>

namespace qx::test {

struct OracleInput {
  bool side = false;  // SideMethod, else CornerMethod
  int width = 0;
  int height = 0;
  int rotation = 0;
  std::array<std::pair<int, int>, 4> measured{};  // in the order the run measures them
};

struct OracleOutcome {
  bool ok = false;
  std::array<int, 6> values{};  // XLeft XCenter XRight YTop YCenter YBottom
  int flags = 0;
  std::string message;  // the failure text
};

OracleOutcome OracleCalibrate(const OracleInput& input);

// What `qxctl calibrate` prints for the outcome: the value line or the failure text, and "\n".
std::string OracleLine(const OracleOutcome& outcome);

}  // namespace qx::test
