// The suite's version as its programs show it. The Debian package's version is made from it
// (cmake/Package.cmake reads this file).
#pragma once

namespace qx {

inline constexpr char kSuiteVersion[] = "7.0.COM";

}  // namespace qx
