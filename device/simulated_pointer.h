// The pointer the service keeps for itself, attached to the touch path whatever desktop gets the
// pointer besides: where the last action put it and how many right clicks it made, for
// SimGetStatus and `qxctl pointer`. Each right click is a `RightButtonAction` line of the journal.
#pragma once

#include <cstdint>

#include "device/journal.h"
#include "device/pointer_output.h"

namespace qx {

class SimulatedPointer : public PointerOutput {
 public:
  explicit SimulatedPointer(Journal& journal) : journal_(journal) {}

  void Perform(const PointerAction& action) override;
  std::string Describe() const override { return "simulated"; }

  std::int32_t x() const { return x_; }
  std::int32_t y() const { return y_; }
  // Touches turned into a right-button action so far.
  std::uint32_t rightClicks() const { return rightClicks_; }

 private:
  Journal& journal_;
  std::int32_t x_ = 0;
  std::int32_t y_ = 0;
  std::uint32_t rightClicks_ = 0;
};

}  // namespace qx
