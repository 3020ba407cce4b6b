// A pointer output that keeps every action the touch path hands it, for the device tests that
// check what touches do in-process.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "device/pointer_output.h"

namespace qx {

// How a test failure shows an action (found by argument lookup).
inline void PrintTo(const PointerAction& a, std::ostream* out) {
  static const char* const kinds[] = {"move", "press", "release", "bell"};
  *out << kinds[static_cast<int>(a.kind)] << "(" << a.x << "," << a.y << " button " << static_cast<int>(a.button)
       << " bell " << a.tone << "/" << a.duration << ")";
}

struct RecordedPointer : PointerOutput {
  void Perform(const PointerAction& action) override { actions.push_back(action); }
  std::string Describe() const override { return "recorded"; }
  std::vector<PointerAction> actions;
};

}  // namespace qx
